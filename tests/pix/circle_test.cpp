#include <gtest/gtest.h>

#include <cmath>

#include "tests/pix/geom_reference.h"

namespace {

const uint32_t kBg = 0xFF204060u;
const uint32_t kInk = 0xFFE0C0A0u;
const float kPi = 3.14159265f;

const unsigned char kDiamond[25] = {0, 0, 255, 0, 0, 0, 255, 0, 255, 0, 255, 0, 0,
                                    0, 255, 0, 255, 0, 255, 0, 0, 0,   255, 0, 0};
const unsigned char kRing15[16] = {79, 255, 255, 79, 255, 15, 15, 255, 255, 15, 15, 255, 79, 255, 255, 79};

void ExpectPattern(PIX_MemBitmap& bm, int x0, int y0, int n, const unsigned char* pat) {
  for (int y = 0; y < bm.getHeight(); ++y)
    for (int x = 0; x < bm.getWidth(); ++x) {
      const bool in = x >= x0 && x < x0 + n && y >= y0 && y < y0 + n;
      const int cov = in ? pat[(y - y0) * n + (x - x0)] : 0;
      ASSERT_EQ(At(bm, x, y), cov ? ref::Apply(kBg, kInk, cov, 0) : kBg) << x << "," << y;
    }
}

// The per-channel half mix plain shapes use at weight 128.
uint32_t HalfMix(uint32_t d, uint32_t s) {
  ref::Px a = ref::Split(d), b = ref::Split(s);
  for (int i = 0; i < 4; ++i) a.c[i] = (a.c[i] + b.c[i]) >> 1;
  return ref::Join(a);
}

// Every pixel is the background or the background mixed once toward the ink.
void ExpectMixedAtMostOnce(PIX_MemBitmap& bm, uint32_t once) {
  for (int y = 0; y < bm.getHeight(); ++y)
    for (int x = 0; x < bm.getWidth(); ++x) {
      const uint32_t p = At(bm, x, y);
      ASSERT_TRUE(p == kBg || p == once) << std::hex << p << " at " << std::dec << x << "," << y;
    }
}

}  // namespace

TEST(Circle, SmallRadiiUseTheirPatterns) {
  PIX_MemBitmap bm(12, 12);
  PIX_Clear(&bm, kBg);
  PIX_Circle(&bm, 6.0f, 5.0f, 2.0f, kInk, 1.0f, 0, false);
  ExpectPattern(bm, 4, 3, 5, kDiamond);
  PIX_Clear(&bm, kBg);
  PIX_Circle(&bm, 3.5f, 7.5f, 1.5f, kInk, 1.0f, 0, true);
  ExpectPattern(bm, 2, 6, 4, kRing15);
}

TEST(Circle, ZeroRadiusDiscIsTheCentrePixel) {
  for (bool aa : {false, true}) {
    PIX_MemBitmap bm(7, 7);
    PIX_Clear(&bm, kBg);
    PIX_FillCircle(&bm, 3.0f, 2.0f, 0.0f, kInk, 0.5f, 0, aa);
    ExpectMixedAtMostOnce(bm, aa ? ref::Apply(kBg, kInk, 128, 0) : HalfMix(kBg, kInk));
    EXPECT_NE(At(bm, 3, 2), kBg);
    int n = 0;
    for (int y = 0; y < 7; ++y)
      for (int x = 0; x < 7; ++x) n += At(bm, x, y) != kBg;
    EXPECT_EQ(n, 1);
  }
}

TEST(Circle, OutlinesAndDiscsAreMirrorSymmetric) {
  std::mt19937 rng(21);
  for (int i = 0; i < 200; ++i) {
    const int X = 10 + rng() % 40, Y = 10 + rng() % 30;
    const float r = (rng() % 400) / 10.0f;
    // The half-radius patterns are centred between pixels, not on (X, Y).
    if (r == 1.5f || r == 2.5f || r == 3.5f) continue;
    const bool aa = i % 2, fill = (i / 2) % 2;
    PIX_MemBitmap bm(60, 50);
    PIX_Clear(&bm, kBg);
    (fill ? PIX_FillCircle : PIX_Circle)(&bm, (float)X, (float)Y, r, kInk, 0.75f, 0, aa);
    for (int y = 0; y < 50; ++y)
      for (int x = 0; x < 60; ++x) {
        const int mx = 2 * X - x, my = 2 * Y - y;
        if (mx >= 0 && mx < 60) {
          ASSERT_EQ(At(bm, x, y), At(bm, mx, y)) << "r " << r << " at " << x << "," << y;
        }
        if (my >= 0 && my < 50) {
          ASSERT_EQ(At(bm, x, y), At(bm, x, my)) << "r " << r << " at " << x << "," << y;
        }
      }
  }
}

TEST(Circle, DiscsWriteEachPixelOnceWithoutHoles) {
  std::mt19937 rng(22);
  for (int i = 0; i < 200; ++i) {
    const float cx = (rng() % 700) / 10.0f, cy = (rng() % 500) / 10.0f, r = (rng() % 300) / 10.0f;
    const bool aa = i % 2;
    PIX_MemBitmap bm(70, 50);
    PIX_Clear(&bm, kBg);
    PIX_FillCircle(&bm, cx, cy, r, kInk, 0.5f, 0, aa);
    // The anti-aliased rim has weights of its own; the plain disc only full-weight pixels.
    const uint32_t half = HalfMix(kBg, kInk);
    const int X = (int)(cx + 0.5f), Y = (int)(cy + 0.5f);
    for (int y = 0; y < 50; ++y) {
      int first = -1, last = -1, count = 0;
      for (int x = 0; x < 70; ++x) {
        const uint32_t p = At(bm, x, y);
        if (!aa) {
          ASSERT_TRUE(p == kBg || p == half) << x << "," << y;
        }
        const double d = std::hypot(x - X, y - Y);
        if (p != kBg) {
          ASSERT_LE(d, r + 1.5) << x << "," << y;
          if (first < 0) first = x;
          last = x, ++count;
        } else if (X >= 0 && X < 70 && Y >= 0 && Y < 50) {
          ASSERT_GT(d, r - 1.0) << "hole at " << x << "," << y << " r " << r;
        }
      }
      if (count) {
        ASSERT_EQ(count, last - first + 1) << "row " << y;
      }
    }
  }
}

TEST(Arc, QuarterFromZeroToHalfPiIsTheUpperRightQuarter) {
  for (bool aa : {false, true}) {
    PIX_MemBitmap arc(40, 40), full(40, 40);
    PIX_Clear(&arc, kBg);
    PIX_Clear(&full, kBg);
    PIX_Arc(&arc, 20.0f, 20.0f, 10.3f, 0.0f, kPi / 2, kInk, 1.0f, 0, aa);
    PIX_Circle(&full, 20.0f, 20.0f, 10.3f, kInk, 1.0f, 0, aa);
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 40; ++x) {
        // The quarter's box: from the top point to one column past the right point.
        const bool quarter = x >= 20 && x <= 20 + 10 + 1 && y >= 10 && y <= 20;
        ASSERT_EQ(At(arc, x, y), quarter ? At(full, x, y) : kBg) << "aa " << aa << " at " << x << "," << y;
      }
    PIX_Clear(&arc, kBg);
    PIX_Arc(&arc, 20.0f, 20.0f, 10.3f, 0.0f, 7.0f, kInk, 1.0f, 0, aa);
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 40; ++x) ASSERT_EQ(At(arc, x, y), At(full, x, y));
  }
}

TEST(Arc, PiecesJoinIntoTheWholeCircle) {
  // Four quarters cover every pixel of the plain outline.
  PIX_MemBitmap arcs(40, 40), full(40, 40);
  PIX_Clear(&arcs, kBg);
  PIX_Clear(&full, kBg);
  for (int q = 0; q < 4; ++q) PIX_Arc(&arcs, 19.0f, 21.0f, 12.0f, q * kPi / 2, (q + 1) * kPi / 2, kInk, 1.0f, 0, false);
  PIX_Circle(&full, 19.0f, 21.0f, 12.0f, kInk, 1.0f, 0, false);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) ASSERT_EQ(At(arcs, x, y), At(full, x, y)) << x << "," << y;
}

TEST(RoundRect, CornerRadiusOneIsThePlainOutline) {
  PIX_MemBitmap a(20, 20), b(20, 20);
  PIX_Clear(&a, kBg);
  PIX_Clear(&b, kBg);
  PIX_RoundRect(&a, 2.7f, 3.2f, 12.0f, 9.0f, 1, kInk, 0.5f, 0, true);
  PIX_DrawRect(&b, 2, 3, 12, 9, kInk, 0.5f, 0);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x) ASSERT_EQ(At(a, x, y), At(b, x, y));
  // With real corners the outline stays within the rectangle and reaches all four sides.
  PIX_Clear(&a, kBg);
  PIX_RoundRect(&a, 2.0f, 3.0f, 14.0f, 12.0f, 4, kInk, 1.0f, 0, false);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x)
      if (At(a, x, y) != kBg) {
        ASSERT_TRUE(x >= 2 && x <= 16 && y >= 3 && y <= 15) << x << "," << y;
      }
  EXPECT_EQ(At(a, 9, 3), kInk);
  EXPECT_EQ(At(a, 9, 15), kInk);
  EXPECT_EQ(At(a, 2, 9), kInk);
  EXPECT_EQ(At(a, 16, 9), kInk);
  EXPECT_EQ(At(a, 2, 3), kBg);
}
