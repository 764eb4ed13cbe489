#include <gtest/gtest.h>

#include <functional>

#include "tests/pix/geom_reference.h"

// Drawing on a flipped bitmap writes the rows a normal bitmap gets from the vertically mirrored
// shape: what the flipped one shows is the mirror image of that.
TEST(Flipped, EveryShapeGivesTheMirrorImage) {
  const int W = 50, H = 40;
  const float pi = 3.14159265f;
  std::mt19937 rng(51);
  // Each shape drawn with y measured from the top (m = false) or mirrored (m = true).
  using Shape = std::function<void(PIX_IBitmap*, bool)>;
  auto my = [&](int y, bool m) { return m ? H - 1 - y : y; };
  auto mf = [&](float y, bool m) { return m ? H - 1 - y : y; };
  for (int i = 0; i < 60; ++i) {
    const int x1 = rng() % W, y1 = rng() % H, x2 = rng() % W, y2 = rng() % H, x3 = rng() % W, y3 = rng() % H;
    const float r = 1.0f + (rng() % 150) / 10.0f, a0 = (rng() % 628) / 100.0f, a1 = (rng() % 628) / 100.0f;
    const bool aa = i % 2;
    const Shape shapes[] = {
        [&](PIX_IBitmap* b, bool m) { PIX_Line(b, x1, my(y1, m), x2, my(y2, m), 0xFFFFFFFFu, 0.7f, 0, aa); },
        // Without aa float lines truncate before mirroring, so only whole coordinates mirror exactly.
        [&](PIX_IBitmap* b, bool m) {
          const float f = aa ? 0.25f : 0.0f;
          PIX_FLine(b, x1 + 2 * f, mf(y1 + f, m), x2, mf(y2, m), 0xFFFFFFFFu, 0.7f, 0, aa);
        },
        [&](PIX_IBitmap* b, bool m) { PIX_DashedLine(b, x1, my(y1, m), x1, my(y2, m), 2, 3, 0xFFFFFFFFu, 0.7f, 0, aa); },
        [&](PIX_IBitmap* b, bool m) { PIX_Circle(b, x1, my(y1, m), r, 0xFFFFFFFFu, 0.7f, 0, aa); },
        [&](PIX_IBitmap* b, bool m) { PIX_FillCircle(b, x1, my(y1, m), r, 0xFFFFFFFFu, 0.7f, 0, aa); },
        [&](PIX_IBitmap* b, bool m) { PIX_Arc(b, x1, my(y1, m), r, m ? pi - a0 : a0, m ? pi - a1 : a1, 0xFFFFFFFFu, 0.7f, 0, aa); },
        [&](PIX_IBitmap* b, bool m) { PIX_FillTrapezoid(b, x1, x1 + 5, my(y1, m), x2, x2 + 9, my(y2, m), 0xFFFFFFFFu, 0.7f, 0); },
        [&](PIX_IBitmap* b, bool m) { PIX_FillTriangle(b, x1, my(y1, m), x2, my(y2, m), x3, my(y3, m), 0xFFFFFFFFu, 0.7f, 0); },
        [&](PIX_IBitmap* b, bool m) {
          PIX_DrawCBezier(b, x1, mf(y1, m), x2, mf(y2, m), x3, mf(y3, m), x2, mf(y1, m), 0xFFFFFFFFu, 0.7f, 0, true, 1.0f);
        },
        [&](PIX_IBitmap* b, bool m) {
          // Off the half-pixel grid: rounding halves up is not mirror-symmetric.
          const float f = 0.37f;
          PIX_FillCBezier(b, x1 + f, mf(y1 + f, m), x2, mf(y2 + f, m), x3 + f, mf(y3 + f, m), x2 + f, mf(y1 + f, m),
                          my(20, m), 0xFFFFFFFFu, 0.7f, 0, 1.0f);
        },
    };
    int kind = 0;
    for (const Shape& s : shapes) {
      PIX_MemBitmap plain(W, H);
      FlippedBitmap flipped(W, H);
      PIX_Clear(&plain, 0xFF000000u);
      PIX_Clear(&flipped, 0xFF000000u);
      s(&flipped, false);
      s(&plain, true);
      for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
          ASSERT_EQ(At(flipped, x, y), At(plain, x, H - 1 - y)) << "shape " << kind << " case " << i << " at " << x << "," << y;
      ++kind;
    }
  }
}
