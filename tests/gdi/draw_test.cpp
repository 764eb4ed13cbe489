#include <gtest/gtest.h>

#include "gdi/gdi.h"
#include "pix/pix.h"

namespace {

// Colour of a pixel as cairo leaves it (the fourth byte of RGB24 is not defined).
unsigned Rgb(const PIX_IBitmap& bm, int x, int y) { return PIX_GetPixel(&bm, x, y) & 0xFFFFFFu; }

int CountColour(const PIX_IBitmap& bm, unsigned rgb) {
  int n = 0;
  for (int y = 0; y < bm.getHeight(); ++y)
    for (int x = 0; x < bm.getWidth(); ++x) n += Rgb(bm, x, y) == rgb;
  return n;
}

struct Canvas {
  explicit Canvas(int w, int h) : bm(w, h) {}
  PIX_SysBitmap bm;
  HDC dc() const { return bm.getDC(); }
};

}  // namespace

TEST(Drawing, CairoAndRasterShareTheSamePixels) {
  Canvas c(8, 6);
  // cairo fills, the raster library reads: y grows downward, bytes B, G, R.
  HBRUSH br = CreateSolidBrush(RGB(0xC0, 0x80, 0x40));
  RECT r = {2, 1, 5, 3};
  GDI_FillRect(c.dc(), &r, br);
  EXPECT_EQ(Rgb(c.bm, 2, 1), 0xC08040u);
  EXPECT_EQ(Rgb(c.bm, 4, 2), 0xC08040u);
  EXPECT_EQ(Rgb(c.bm, 5, 2), 0u);
  EXPECT_EQ(Rgb(c.bm, 2, 3), 0u);
  EXPECT_EQ(CountColour(c.bm, 0xC08040u), 6);

  // The raster library draws, cairo reads it back by copying the context into another one.
  PIX_FillRect(&c.bm, 0, 5, 8, 1, 0xFF123456u, 1.0f, 0);
  Canvas out(8, 6);
  BitBlt(out.dc(), 0, 0, 8, 6, c.dc(), 0, 0, SRCCOPY);
  EXPECT_EQ(Rgb(out.bm, 7, 5), 0x123456u);
  EXPECT_EQ(Rgb(out.bm, 3, 2), 0xC08040u);
  EXPECT_EQ(Rgb(out.bm, 0, 0), 0u);
  DeleteObject(br);
}

TEST(Drawing, RectangleFillsWithBrushAndStrokesWithPen) {
  Canvas c(12, 12);
  HBRUSH br = CreateSolidBrush(RGB(0, 0, 255));
  HPEN pen = CreatePen(PS_SOLID, 0, RGB(255, 0, 0));
  SelectObject(c.dc(), br);
  Rectangle(c.dc(), 2, 2, 10, 10);
  EXPECT_EQ(Rgb(c.bm, 5, 5), 0x0000FFu);
  EXPECT_EQ(Rgb(c.bm, 1, 5), 0u);
  EXPECT_EQ(Rgb(c.bm, 10, 5), 0u);
  SelectObject(c.dc(), pen);
  SelectObject(c.dc(), GetStockObject(NULL_BRUSH));
  Rectangle(c.dc(), 2, 2, 10, 10);
  // Only the outline changes: the inside keeps the first fill.
  EXPECT_EQ(Rgb(c.bm, 5, 5), 0x0000FFu);
  EXPECT_NE(Rgb(c.bm, 2, 5), 0x0000FFu);
  EXPECT_NE(Rgb(c.bm, 2, 5), 0u);
  DeleteObject(br);
  DeleteObject(pen);
}

TEST(Drawing, EllipsePolygonAndRoundRectFillTheirShapes) {
  Canvas c(40, 20);
  HBRUSH br = CreateSolidBrush(RGB(0, 255, 0));
  SelectObject(c.dc(), br);
  Ellipse(c.dc(), 0, 0, 20, 20);
  EXPECT_EQ(Rgb(c.bm, 10, 10), 0x00FF00u);
  EXPECT_EQ(Rgb(c.bm, 0, 0), 0u);   // corner outside the circle
  EXPECT_EQ(Rgb(c.bm, 19, 19), 0u);
  const POINT tri[3] = {{20, 0}, {40, 0}, {20, 20}};
  GDI_Polygon(c.dc(), tri, 3);
  EXPECT_EQ(Rgb(c.bm, 22, 2), 0x00FF00u);
  EXPECT_EQ(Rgb(c.bm, 38, 18), 0u);
  // A polygon needs two points and something to draw with.
  Canvas d(10, 10);
  SelectObject(d.dc(), br);
  GDI_Polygon(d.dc(), tri, 1);
  SelectObject(d.dc(), reinterpret_cast<HGDIOBJ>(2));
  const POINT sq[4] = {{0, 0}, {9, 0}, {9, 9}, {0, 9}};
  GDI_Polygon(d.dc(), sq, 4);
  EXPECT_EQ(CountColour(d.bm, 0), 100);
  // Round rectangle: the corners are cut by a third of the corner size.
  SelectObject(d.dc(), br);
  RoundRect(d.dc(), 0, 0, 10, 10, 9, 9);
  EXPECT_EQ(Rgb(d.bm, 5, 5), 0x00FF00u);
  EXPECT_EQ(Rgb(d.bm, 0, 0), 0u);
  EXPECT_EQ(Rgb(d.bm, 9, 9), 0u);
  EXPECT_EQ(Rgb(d.bm, 5, 0), 0x00FF00u);
  DeleteObject(br);
}

TEST(Drawing, LinesRunThroughPixelCentresAndMoveThePosition) {
  Canvas c(10, 10);
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
  GDI_LineTo(c.dc(), 9, 0);  // no pen: nothing
  EXPECT_EQ(CountColour(c.bm, 0), 100);
  SelectObject(c.dc(), pen);
  MoveToEx(c.dc(), 1, 3, nullptr);
  GDI_LineTo(c.dc(), 8, 3);
  // The ends sit on the centres of pixels 1 and 8, which are half covered.
  for (int x = 2; x < 8; ++x) EXPECT_EQ(Rgb(c.bm, x, 3), 0xFFFFFFu) << x;
  EXPECT_EQ(Rgb(c.bm, 1, 3), 0x808080u);
  EXPECT_EQ(Rgb(c.bm, 8, 3), 0x808080u);
  EXPECT_EQ(Rgb(c.bm, 4, 2), 0u);
  EXPECT_EQ(Rgb(c.bm, 4, 4), 0u);
  POINT old = {0, 0};
  MoveToEx(c.dc(), 0, 0, &old);
  EXPECT_EQ(old.x, 8);
  EXPECT_EQ(old.y, 3);
  // Two polylines; a count of 1 skips a point and 0 is ignored.
  const POINT pts[] = {{1, 6}, {4, 6}, {9, 9}, {6, 8}, {8, 8}};
  const DWORD counts[] = {2, 0, 1, 2};
  PolyPolyline(c.dc(), pts, counts, 4);
  EXPECT_EQ(Rgb(c.bm, 2, 6), 0xFFFFFFu);
  EXPECT_EQ(Rgb(c.bm, 7, 8), 0xFFFFFFu);
  EXPECT_EQ(Rgb(c.bm, 6, 7), 0u);  // nothing joins the first line to the second
  DeleteObject(pen);
}

TEST(Drawing, BezierEndsAtItsLastPoint) {
  Canvas c(20, 20);
  HPEN pen = CreatePen(PS_SOLID, 2, RGB(255, 0, 255));
  SelectObject(c.dc(), pen);
  MoveToEx(c.dc(), 2, 2, nullptr);
  const POINT pts[] = {{10, 2}, {10, 18}, {18, 18}};
  PolyBezierTo(c.dc(), pts, 2);  // fewer than three points: nothing
  EXPECT_EQ(CountColour(c.bm, 0), 400);
  PolyBezierTo(c.dc(), pts, 3);
  EXPECT_GT(400 - CountColour(c.bm, 0), 20);
  POINT pos;
  MoveToEx(c.dc(), 0, 0, &pos);
  EXPECT_EQ(pos.x, 18);
  EXPECT_EQ(pos.y, 18);
  DeleteObject(pen);
}

TEST(Drawing, SetPixelColoursExactlyThatPixel) {
  Canvas c(5, 5);
  GDI_SetPixel(c.dc(), 2, 3, RGB(10, 20, 30));
  EXPECT_EQ(Rgb(c.bm, 2, 3), 0x0A141Eu);
  EXPECT_EQ(CountColour(c.bm, 0), 24);
  RECT r = {0, 0, 1, 1};
  GDI_FillDialogBackground(c.dc(), &r, 0);
  EXPECT_NE(Rgb(c.bm, 0, 0), 0u);
}

TEST(StretchBlt, NegativeSourceOriginIsClippedProportionally) {
  Canvas src(20, 4), dst(80, 4);
  // Source columns 0..9 get distinct colours.
  for (int x = 0; x < 10; ++x) PIX_FillRect(&src.bm, x, 0, 1, 4, 0xFF000000u | (x * 20 + 10), 1.0f, 0);
  // Source range -10..10 onto 40 pixels at x = 5: its right half (source 0..9) lands at 25, 20 wide.
  StretchBlt(dst.dc(), 5, 0, 40, 4, src.dc(), -10, 0, 20, 4, SRCCOPY);
  EXPECT_EQ(Rgb(dst.bm, 24, 1), 0u);
  EXPECT_EQ(Rgb(dst.bm, 25, 1), 10u);
  EXPECT_EQ(Rgb(dst.bm, 26, 1), 10u);
  EXPECT_EQ(Rgb(dst.bm, 27, 1), 30u);
  EXPECT_EQ(Rgb(dst.bm, 44, 1), 190u);
  EXPECT_EQ(Rgb(dst.bm, 45, 1), 0u);
}

TEST(StretchBlt, SourceAreaIsLimitedToTheSourceAndScalesTheDestination) {
  Canvas src(4, 4), dst(16, 16);
  PIX_Clear(&src.bm, 0xFFFFFFFFu);
  // 8 x 8 source pixels asked for, only 2 x 2 exist from (2, 2): the destination shrinks to 4 x 4.
  StretchBlt(dst.dc(), 0, 0, 16, 16, src.dc(), 2, 2, 8, 8, SRCCOPY);
  EXPECT_EQ(Rgb(dst.bm, 3, 3), 0xFFFFFFu);
  EXPECT_EQ(Rgb(dst.bm, 4, 3), 0u);
  EXPECT_EQ(Rgb(dst.bm, 3, 4), 0u);
  EXPECT_EQ(CountColour(dst.bm, 0xFFFFFFu), 16);
  // Invalid sources or sizes draw nothing.
  StretchBlt(dst.dc(), 0, 0, 16, 16, src.dc(), 0, 0, 0, 4, SRCCOPY);
  StretchBlt(dst.dc(), 0, 0, 16, 16, nullptr, 0, 0, 4, 4, SRCCOPY);
  StretchBlt(dst.dc(), 0, 0, 16, 16, src.dc(), 4, 0, 4, 4, SRCCOPY);
  EXPECT_EQ(CountColour(dst.bm, 0xFFFFFFu), 16);
}

TEST(StretchBlt, AlphaModeBlendsPremultipliedSource) {
  Canvas src(2, 1), dst(2, 1);
  PIX_Clear(&dst.bm, 0xFF0000FFu);
  src.bm.getBits()[0] = 0x00000000u;  // transparent: destination shows through
  src.bm.getBits()[1] = 0xFF00FF00u;  // opaque green
  BitBlt(dst.dc(), 0, 0, 2, 1, src.dc(), 0, 0, static_cast<int>(SRCCOPY_USEALPHACHAN));
  EXPECT_EQ(Rgb(dst.bm, 0, 0), 0x0000FFu);
  EXPECT_EQ(Rgb(dst.bm, 1, 0), 0x00FF00u);
}
