#include <cmath>

#include "gdi/gdi-internalpool.h"
#include "gdi/gdi.h"

namespace {

cairo_t* GC(HDC ctx) { return GDI_IsValidContext(ctx) ? ctx->gc : nullptr; }

bool Usable(HGDIOBJ o, int type) { return GDI_IsValidObject(o) && o->type == type && o->wid >= 0; }

void SetColor(cairo_t* cr, const GDI_Color& c) { cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a); }

// Fills and strokes the current path with the context's usable brush and pen; a pen narrower
// than 1 strokes at 1.
void FillAndStroke(HDC ctx, cairo_t* cr) {
  const bool brush = Usable(ctx->curbrush, GDI_TYPE_BRUSH);
  const bool pen = Usable(ctx->curpen, GDI_TYPE_PEN);
  if (brush) {
    SetColor(cr, ctx->curbrush->color);
    if (pen) cairo_fill_preserve(cr);
    else cairo_fill(cr);
  }
  if (pen) {
    SetColor(cr, ctx->curpen->color);
    cairo_set_line_width(cr, ctx->curpen->wid > 1 ? ctx->curpen->wid : 1);
    cairo_stroke(cr);
  }
  cairo_new_path(cr);
}

// Lines are drawn through pixel centres for odd widths: the path moves by half the width.
double HalfWidth(HDC ctx) { return (ctx->curpen->wid > 0 ? ctx->curpen->wid : 1) * 0.5; }

void StrokeWithPen(HDC ctx, cairo_t* cr) {
  SetColor(cr, ctx->curpen->color);
  cairo_set_line_width(cr, ctx->curpen->wid > 0 ? ctx->curpen->wid : 1);
  cairo_stroke(cr);
}

}  // namespace

void GDI_FillRect(HDC ctx, const RECT* r, HBRUSH brush) {
  cairo_t* cr = GC(ctx);
  if (!cr || !r || !Usable(brush, GDI_TYPE_BRUSH)) return;
  cairo_new_path(cr);
  cairo_rectangle(cr, r->left, r->top, r->right - r->left, r->bottom - r->top);
  SetColor(cr, brush->color);
  cairo_fill(cr);
}

void Rectangle(HDC ctx, int l, int t, int r, int b) {
  cairo_t* cr = GC(ctx);
  if (!cr) return;
  cairo_new_path(cr);
  cairo_rectangle(cr, l, t, r - l, b - t);
  FillAndStroke(ctx, cr);
}

void Ellipse(HDC ctx, int l, int t, int r, int b) {
  cairo_t* cr = GC(ctx);
  if (!cr || r == l || b == t) return;
  cairo_new_path(cr);
  cairo_save(cr);
  cairo_translate(cr, (l + r) * 0.5, (t + b) * 0.5);
  cairo_scale(cr, (r - l) * 0.5, (b - t) * 0.5);
  cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
  cairo_restore(cr);
  FillAndStroke(ctx, cr);
}

void GDI_Polygon(HDC ctx, const POINT* pts, int npts) {
  cairo_t* cr = GC(ctx);
  if (!cr || !pts || npts < 2) return;
  if (!Usable(ctx->curbrush, GDI_TYPE_BRUSH) && !Usable(ctx->curpen, GDI_TYPE_PEN)) return;
  cairo_new_path(cr);
  cairo_move_to(cr, pts[0].x, pts[0].y);
  for (int i = 1; i < npts; ++i) cairo_line_to(cr, pts[i].x, pts[i].y);
  cairo_close_path(cr);
  FillAndStroke(ctx, cr);
}

void RoundRect(HDC ctx, int l, int t, int r, int b, int w, int h) {
  w /= 3;
  h /= 3;
  const POINT pts[10] = {{l, t + h}, {l + w, t}, {r - w, t}, {r, t + h}, {r, b - h},
                         {r - w, b}, {l + w, b}, {l, b - h}, {l, t + h}, {l + w, t}};
  GDI_Polygon(ctx, pts, 10);
}

void MoveToEx(HDC ctx, int x, int y, POINT* op) {
  if (!GDI_IsValidContext(ctx)) return;
  if (op) {
    op->x = static_cast<int>(ctx->lastpos_x);
    op->y = static_cast<int>(ctx->lastpos_y);
  }
  ctx->lastpos_x = static_cast<float>(x);
  ctx->lastpos_y = static_cast<float>(y);
}

void GDI_LineTo(HDC ctx, int x, int y) {
  cairo_t* cr = GC(ctx);
  if (!cr || !Usable(ctx->curpen, GDI_TYPE_PEN)) return;
  const double o = HalfWidth(ctx);
  cairo_new_path(cr);
  cairo_move_to(cr, ctx->lastpos_x + o, ctx->lastpos_y + o);
  cairo_line_to(cr, x + o, y + o);
  StrokeWithPen(ctx, cr);
  ctx->lastpos_x = static_cast<float>(x);
  ctx->lastpos_y = static_cast<float>(y);
}

void PolyBezierTo(HDC ctx, const POINT* pts, int np) {
  cairo_t* cr = GC(ctx);
  if (!cr || !pts || np < 3 || !Usable(ctx->curpen, GDI_TYPE_PEN)) return;
  cairo_new_path(cr);
  cairo_move_to(cr, ctx->lastpos_x, ctx->lastpos_y);
  int i = 0;
  for (; i + 3 <= np; i += 3)
    cairo_curve_to(cr, pts[i].x, pts[i].y, pts[i + 1].x, pts[i + 1].y, pts[i + 2].x, pts[i + 2].y);
  StrokeWithPen(ctx, cr);
  ctx->lastpos_x = static_cast<float>(pts[i - 1].x);
  ctx->lastpos_y = static_cast<float>(pts[i - 1].y);
}

void PolyPolyline(HDC ctx, const POINT* pts, const DWORD* cnts, int nseg) {
  cairo_t* cr = GC(ctx);
  if (!cr || !pts || !cnts || nseg <= 0 || !Usable(ctx->curpen, GDI_TYPE_PEN)) return;
  const double o = HalfWidth(ctx);
  cairo_new_path(cr);
  for (int s = 0; s < nseg; ++s) {
    const DWORD n = cnts[s];
    if (n == 0) continue;
    if (n == 1) {
      ++pts;
      continue;
    }
    cairo_move_to(cr, pts[0].x + o, pts[0].y + o);
    for (DWORD i = 1; i < n; ++i) cairo_line_to(cr, pts[i].x + o, pts[i].y + o);
    pts += n;
  }
  StrokeWithPen(ctx, cr);
}

void GDI_SetPixel(HDC ctx, int x, int y, int color) {
  cairo_t* cr = GC(ctx);
  if (!cr) return;
  // The whole pixel square, so that exactly pixel (x, y) takes the colour.
  cairo_new_path(cr);
  cairo_rectangle(cr, x, y, 1, 1);
  cairo_set_source_rgb(cr, GetRValue(color) / 255.0, GetGValue(color) / 255.0, GetBValue(color) / 255.0);
  cairo_fill(cr);
}

void GDI_FillDialogBackground(HDC ctx, const RECT* r, int) {
  cairo_t* cr = GC(ctx);
  if (!cr || !r) return;
  // The light grey of the system's dialog face colour.
  cairo_new_path(cr);
  cairo_rectangle(cr, r->left, r->top, r->right - r->left, r->bottom - r->top);
  cairo_set_source_rgb(cr, 0xE0 / 255.0, 0xE0 / 255.0, 0xE0 / 255.0);
  cairo_fill(cr);
}
