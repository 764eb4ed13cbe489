#include "gdi/gdi-internalpool.h"
#include "gdi/gdi.h"

void StretchBlt(HDC hdcDest, int x, int y, int w, int h, HDC hdcSrc, int sx, int sy, int sw, int sh, int mode) {
  if (!GDI_IsValidContext(hdcDest) || !hdcDest->gc || !GDI_IsValidContext(hdcSrc) || !hdcSrc->surface) return;
  if (sw <= 0 || sh <= 0) return;
  cairo_surface_t* ss = hdcSrc->surface;
  cairo_surface_flush(ss);
  const long long srcW = cairo_image_surface_get_width(ss), srcH = cairo_image_surface_get_height(ss);
  long long X = x, Y = y, W = w, H = h, SX = sx, SY = sy, SW = sw, SH = sh;
  // A negative source origin is cut away and the destination moves by the same proportion.
  if (SX < 0) {
    X -= W * SX / SW;
    const long long nsw = SW + SX;
    W = nsw > 0 ? W * nsw / SW : 0;
    SW = nsw, SX = 0;
  }
  if (SY < 0) {
    Y -= H * SY / SH;
    const long long nsh = SH + SY;
    H = nsh > 0 ? H * nsh / SH : 0;
    SH = nsh, SY = 0;
  }
  if (SX + SW > srcW) {
    const long long nsw = srcW - SX;
    W = nsw > 0 ? W * nsw / SW : 0;
    SW = nsw;
  }
  if (SY + SH > srcH) {
    const long long nsh = srcH - SY;
    H = nsh > 0 ? H * nsh / SH : 0;
    SH = nsh;
  }
  if (SW <= 0 || SH <= 0 || W <= 0 || H <= 0) return;

  const int stride = cairo_image_surface_get_stride(ss);
  unsigned char* origin = cairo_image_surface_get_data(ss) + SY * stride + SX * 4;
  const cairo_format_t fmt = static_cast<unsigned>(mode) == SRCCOPY_USEALPHACHAN ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24;
  cairo_surface_t* img =
      cairo_image_surface_create_for_data(origin, fmt, static_cast<int>(SW), static_cast<int>(SH), stride);
  if (cairo_surface_status(img) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(img);
    return;
  }
  cairo_t* cr = hdcDest->gc;
  cairo_save(cr);
  cairo_new_path(cr);
  cairo_rectangle(cr, static_cast<double>(X), static_cast<double>(Y), static_cast<double>(W), static_cast<double>(H));
  cairo_clip(cr);
  cairo_translate(cr, static_cast<double>(X), static_cast<double>(Y));
  cairo_scale(cr, static_cast<double>(W) / SW, static_cast<double>(H) / SH);
  cairo_set_source_surface(cr, img, 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
  cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
  if (fmt == CAIRO_FORMAT_RGB24) cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_paint(cr);
  cairo_restore(cr);
  cairo_surface_destroy(img);
}

void BitBlt(HDC hdcDest, int x, int y, int w, int h, HDC hdcSrc, int sx, int sy, int mode) {
  StretchBlt(hdcDest, x, y, w, h, hdcSrc, sx, sy, w, h, mode);
}
