#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/pix/geom_reference.h"

// Extreme and broken arguments draw only inside the bitmap: the padding beyond each row's width
// (a 5-pixel row spans 8) must keep its guard value. The sanitizer build also sees every access.
TEST(Geometry, ExtremeArgumentsStayInsideTheBitmap) {
  const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
  const float fv[] = {0.0f, 2.5f, -1.0f, 4.0f, 1e9f, -1e9f, 3e38f, inf, -inf, nan, 1.5f, 7.0f};
  const int iv[] = {0, 2, -1, 4, 5, 3, 1 << 30, -(1 << 30), 2147483647, -2147483647 - 1};
  std::mt19937 rng(71);
  auto f = [&] { return fv[rng() % 12]; };
  auto i = [&] { return iv[rng() % 10]; };
  const unsigned char img[16] = {255, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
  for (int n = 0; n < 4000; ++n) {
    PIX_MemBitmap plain(5, 3);
    FlippedBitmap flipped(5, 3);
    PIX_IBitmap* bm = n % 2 ? static_cast<PIX_IBitmap*>(&flipped) : &plain;
    for (int k = 0; k < 8 * 3; ++k) bm->getBits()[k] = 0xA5A5A5A5u;
    const int mode = rng() % 7;
    const float alpha = (rng() % 3) ? 1.0f : f();
    const bool aa = rng() % 2;
    switch (n % 16) {
      case 0: PIX_Line(bm, i(), i(), i(), i(), 1, alpha, mode, aa); break;
      case 1: PIX_FLine(bm, f(), f(), f(), f(), 1, alpha, mode, aa); break;
      case 2: PIX_DashedLine(bm, i(), i(), i(), i(), i(), i(), 1, alpha, mode, aa); break;
      case 3: PIX_DrawRect(bm, i(), i(), i(), i(), 1, alpha, mode); break;
      case 4: PIX_DrawQBezier(bm, f(), f(), f(), f(), f(), f(), 1, alpha, mode, aa, f()); break;
      case 5: PIX_DrawCBezier(bm, f(), f(), f(), f(), f(), f(), f(), f(), 1, alpha, mode, aa, f()); break;
      case 6: PIX_FillCBezier(bm, f(), f(), f(), f(), f(), f(), f(), f(), i(), 1, alpha, mode, f()); break;
      case 7: PIX_FillCBezierX(bm, f(), f(), f(), f(), f(), f(), f(), f(), i(), 1, alpha, mode, f()); break;
      case 8: PIX_Circle(bm, f(), f(), f(), 1, alpha, mode, aa); break;
      case 9: PIX_FillCircle(bm, f(), f(), f(), 1, alpha, mode, aa); break;
      case 10: PIX_Arc(bm, f(), f(), f(), f(), f(), 1, alpha, mode, aa); break;
      case 11: PIX_RoundRect(bm, f(), f(), f(), f(), i(), 1, alpha, mode, aa); break;
      case 12: PIX_FillTrapezoid(bm, i(), i(), i(), i(), i(), i(), 1, alpha, mode); break;
      case 13: PIX_FillTriangle(bm, i(), i(), i(), i(), i(), i(), 1, alpha, mode); break;
      case 14: PIX_DrawGlyphEx(bm, i(), i(), 1, img, 4, (rng() % 2) ? 4 : -4, 4, alpha, mode); break;
      default: PIX_DrawMonoGlyph(bm, i(), i(), 1, img, 8, 2, 8, alpha, mode); break;
    }
    for (int y = 0; y < 3; ++y)
      for (int x = 5; x < 8; ++x) ASSERT_EQ(bm->getBits()[y * 8 + x], 0xA5A5A5A5u) << "operation " << n % 16;
  }
  PIX_Line(nullptr, 0, 0, 5, 5, 1, 1.0f, 0, true);
  PIX_FillConvexPolygon(nullptr, nullptr, nullptr, 3, 1, 1.0f, 0);
  PIX_DrawGlyph(nullptr, 0, 0, 1, img, 4, 4, 1.0f, 0);
}
