#include <png.h>

#include <cstdio>

#include "pix/pix_loops.h"
#include "pix/pix_png.h"

namespace {

void QuietError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void QuietWarning(png_structp, png_const_charp) {}

// Everything that may jump back out of libpng; the rows are read straight from the bitmap, which
// libpng copies before reordering the bytes.
bool Write(png_structp png, png_infop info, FILE* f, const pix::Surface& s) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_init_io(png, f);
  png_set_IHDR(png, info, static_cast<png_uint_32>(s.w), static_cast<png_uint_32>(s.h), 8,
               PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_set_bgr(png);
  for (int y = 0; y < s.h; ++y) png_write_row(png, reinterpret_cast<png_const_bytep>(s.row(y)));
  png_write_end(png, info);
  return true;
}

}  // namespace

bool PIX_WritePNG(const PIX_IBitmap* bmp, const char* filename) {
  pix::Surface s;
  if (!filename || !pix::GetSurface(bmp, s)) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, QuietError, QuietWarning);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_write_struct(png ? &png : nullptr, nullptr);
    return false;
  }
  FILE* f = fopen(filename, "wb");
  bool ok = f && Write(png, info, f, s);
  png_destroy_write_struct(&png, &info);
  if (f && fclose(f) != 0) ok = false;
  if (f && !ok) remove(filename);
  return ok;
}
