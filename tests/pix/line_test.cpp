#include <gtest/gtest.h>

#include <cmath>

#include "tests/pix/geom_reference.h"

namespace {

const uint32_t kBg = 0xFF102030u;
const uint32_t kInk = 0xFFF0E0D0u;

// A line pen at the call's weight: exact opacities mix whole words in copy mode.
uint32_t RefPen(uint32_t d, uint32_t c, float alpha, int mode) {
  if ((mode & 0xFF) == 0) {
    if (alpha == 1.0f) return c;
    if (alpha == 0.5f) return ref::Mix(c, d, 2);
    if (alpha == 0.25f) return ref::Mix(c, d, 1);
    if (alpha == 0.75f) return ref::Mix(c, d, 3);
  }
  const int ia = (int)(alpha * 256);
  if ((mode & 0xFF) == 0 && ia == 128) {
    ref::Px a = ref::Split(d), b = ref::Split(c);
    for (int i = 0; i < 4; ++i) a.c[i] = (a.c[i] + b.c[i]) >> 1;
    return ref::Join(a);
  }
  if ((mode & 0xFF) == 0 && ia == 256) return c;
  return ref::Apply(d, c, ia, mode);
}

void Expect(PIX_MemBitmap& got, PIX_MemBitmap& want, const char* what) {
  for (int y = 0; y < got.getHeight(); ++y)
    for (int x = 0; x < got.getWidth(); ++x)
      ASSERT_EQ(At(got, x, y), At(want, x, y)) << what << " at " << x << "," << y;
}

int Count(PIX_MemBitmap& bm, uint32_t bg) {
  int n = 0;
  for (int y = 0; y < bm.getHeight(); ++y)
    for (int x = 0; x < bm.getWidth(); ++x) n += At(bm, x, y) != bg;
  return n;
}

}  // namespace

TEST(Line, ClippedHorizontalLineFillsItsRowOnly) {
  PIX_MemBitmap bm(100, 100);
  PIX_Clear(&bm, kBg);
  PIX_Line(&bm, -10, 5, 300, 5, kInk, 1.0f, 0, true);
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 100; ++x) ASSERT_EQ(At(bm, x, y), y == 5 ? kInk : kBg) << x << "," << y;
}

TEST(Line, OpacitiesPickWholeWordMixesOrTheRule) {
  std::mt19937 rng(5);
  for (float alpha : {1.0f, 0.5f, 0.25f, 0.75f, 0.5003f, 0.3f, 1.7f})
    for (int mode : {0, 1, 2, 3, 4, 5, 0x10000}) {
      PIX_MemBitmap bm(40, 3), before(40, 3);
      FillRandom(bm, rng);
      PIX_Copy(&before, &bm);
      const uint32_t c = ref::RandomPixel(rng);
      PIX_Line(&bm, 2, 1, 37, 1, c, alpha, mode, false);
      for (int x = 0; x < 40; ++x) {
        const uint32_t d = At(before, x, 1);
        ASSERT_EQ(At(bm, x, 1), x >= 2 && x <= 37 ? RefPen(d, c, alpha, mode & 0xFF) : d)
            << "alpha " << alpha << " mode " << mode << " x " << x;
      }
    }
}

TEST(Line, AntiAliasedDiagonalHasQuarterNeighbours) {
  PIX_MemBitmap bm(12, 12);
  PIX_Clear(&bm, kBg);
  PIX_Line(&bm, 2, 2, 8, 8, kInk, 1.0f, 0, true);
  int drawn = 0;
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 12; ++x) {
      uint32_t want = kBg;
      if (x == y && x >= 2 && x <= 8) want = ref::Mix(kInk, kBg, 3);
      else if ((x == y + 1 && y >= 2 && y < 8) || (y == x + 1 && x >= 2 && x < 8)) want = ref::Mix(kInk, kBg, 1);
      ASSERT_EQ(At(bm, x, y), want) << x << "," << y;
      drawn += want != kBg;
    }
  EXPECT_EQ(drawn, 7 + 12);
}

TEST(Line, GeneralLinesMatchTheStepwiseWalk) {
  std::mt19937 rng(11);
  for (int i = 0; i < 300; ++i) {
    int x1 = rng() % 60, y1 = rng() % 40, x2 = rng() % 60, y2 = rng() % 40;
    if (x1 == x2 || y1 == y2 || std::abs(x2 - x1) == std::abs(y2 - y1)) continue;
    const bool aa = i % 2;
    const int mode = rng() % 6;
    const float alpha = i % 3 == 0 ? 1.0f : OpacityFor(rng() % 300 + 1);
    PIX_MemBitmap got(60, 40), want(60, 40);
    FillRandom(got, rng);
    PIX_Copy(&want, &got);
    const uint32_t c = ref::RandomPixel(rng);
    PIX_Line(&got, x1, y1, x2, y2, c, alpha, mode, aa);
    const int ia = (int)(alpha * 256);
    for (const ref::Plot& p : ref::GeneralLine(x1, y1, x2, y2, aa, ia)) {
      uint32_t& d = At(want, p.x, p.y);
      d = p.w >= 0 ? ref::Apply(d, c, p.w, mode) : aa ? ref::Apply(d, c, ia, mode) : RefPen(d, c, alpha, mode);
    }
    Expect(got, want, aa ? "aa line" : "line");
  }
}

TEST(Line, FloatLinesMatchTheStepwiseWalk) {
  std::mt19937 rng(12);
  std::uniform_real_distribution<float> ux(0.0f, 48.0f), uy(0.0f, 28.0f);
  for (int i = 0; i < 300; ++i) {
    const float x1 = ux(rng), y1 = uy(rng), x2 = ux(rng), y2 = uy(rng);
    const int mode = rng() % 6;
    const float alpha = i % 2 ? 1.0f : OpacityFor(rng() % 256 + 1);
    PIX_MemBitmap got(50, 30), want(50, 30);
    FillRandom(got, rng);
    PIX_Copy(&want, &got);
    const uint32_t c = ref::RandomPixel(rng);
    PIX_FLine(&got, x1, y1, x2, y2, c, alpha, mode, true);
    for (const ref::Plot& p : ref::FloatLine(x1, y1, x2, y2, (int)(alpha * 256))) {
      uint32_t& d = At(want, p.x, p.y);
      d = ref::Apply(d, c, p.w, mode);
    }
    Expect(got, want, "float line");
  }
}

TEST(Line, PlainLinesHitBothEndsAndEveryMajorStepOnce) {
  std::mt19937 rng(13);
  for (int i = 0; i < 500; ++i) {
    const int x1 = rng() % 70, y1 = rng() % 50, x2 = rng() % 70, y2 = rng() % 50;
    PIX_MemBitmap bm(70, 50);
    PIX_Clear(&bm, 0);
    PIX_Line(&bm, x1, y1, x2, y2, kInk, 1.0f, 0, false);
    const bool xmaj = std::abs(x2 - x1) >= std::abs(y2 - y1);
    const int n = std::max(std::abs(x2 - x1), std::abs(y2 - y1));
    ASSERT_EQ(At(bm, x1, y1), kInk);
    ASSERT_EQ(At(bm, x2, y2), kInk);
    ASSERT_EQ(Count(bm, 0), n + 1) << x1 << "," << y1 << " " << x2 << "," << y2;
    // One pixel per major step, the minor coordinate moving by at most one and never back.
    int prev = -1;
    for (int k = 0; k <= n; ++k) {
      const int maj = (xmaj ? x1 : y1) + k * ((xmaj ? x2 - x1 : y2 - y1) < 0 ? -1 : 1);
      int found = -1, hits = 0;
      for (int v = 0; v < (xmaj ? 50 : 70); ++v)
        if (At(bm, xmaj ? maj : v, xmaj ? v : maj) == kInk) found = v, ++hits;
      ASSERT_EQ(hits, 1);
      if (prev >= 0) {
        const int step = (found - prev) * ((xmaj ? y2 - y1 : x2 - x1) < 0 ? -1 : 1);
        ASSERT_TRUE(step == 0 || step == 1) << "jump at step " << k;
      }
      prev = found;
    }
  }
}

TEST(Line, ClippingChangesNothingInside) {
  std::mt19937 rng(14);
  std::uniform_int_distribution<int> u(-60, 100);
  for (int i = 0; i < 400; ++i) {
    const int x1 = u(rng), y1 = u(rng), x2 = u(rng), y2 = u(rng);
    const int kind = i % 4;
    const float alpha = i % 3 ? 1.0f : 0.6f;
    // The small bitmap sees the large one's area (20..59, 25..54).
    PIX_MemBitmap big(100, 100), small(40, 30);
    PIX_Clear(&big, kBg);
    PIX_Clear(&small, kBg);
    auto draw = [&](PIX_IBitmap* bm, int ox, int oy) {
      switch (kind) {
        case 0: PIX_Line(bm, x1 - ox, y1 - oy, x2 - ox, y2 - oy, kInk, alpha, 0, false); break;
        case 1: PIX_Line(bm, x1 - ox, y1 - oy, x2 - ox, y2 - oy, kInk, alpha, 0, true); break;
        case 2: PIX_FLine(bm, x1 - ox + 0.3f, y1 - oy + 0.6f, x2 - ox + 0.1f, y2 - oy, kInk, alpha, 0, true); break;
        default: PIX_DashedLine(bm, x1 - ox, y1 - oy, x1 - ox, y2 - oy, 3, 2, kInk, alpha, 0, false); break;
      }
    };
    draw(&big, 0, 0);
    draw(&small, 20, 25);
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 40; ++x)
        ASSERT_EQ(At(small, x, y), At(big, x + 20, y + 25)) << "kind " << kind << " line " << x1 << "," << y1
                                                             << " " << x2 << "," << y2 << " at " << x << "," << y;
  }
}

TEST(Line, FarAwayEndPointsStillDrawTheVisiblePart) {
  PIX_MemBitmap bm(50, 50);
  PIX_Clear(&bm, kBg);
  PIX_Line(&bm, -2000000000, 10, 2000000000, 10, kInk, 1.0f, 0, true);
  PIX_FLine(&bm, -3e9f, 20.0f, 3e9f, 20.0f, kInk, 1.0f, 0, true);
  PIX_FLine(&bm, 1e30f, 1e30f, -1e30f, -1e30f, kInk, 1.0f, 0, true);
  for (int x = 0; x < 50; ++x) {
    ASSERT_EQ(At(bm, x, 10), kInk);
    ASSERT_NE(At(bm, x, 20), kBg);
  }
  PIX_FLine(&bm, NAN, 1.0f, 5.0f, 5.0f, kInk, 1.0f, 0, true);
}

TEST(DashedLine, RunsStartAtTheSmallerEndAndStopBeforeTheLarger) {
  PIX_MemBitmap bm(8, 8);
  PIX_Clear(&bm, kBg);
  PIX_DashedLine(&bm, 3, 2, 3, 0, 1, 1, kInk, 1.0f, 0, false);
  EXPECT_EQ(Count(bm, kBg), 1);
  EXPECT_EQ(At(bm, 3, 0), kInk);
  PIX_DashedLine(&bm, 5, 0, 5, 0, 1, 1, kInk, 1.0f, 0, false);
  PIX_DashedLine(&bm, 0, 0, 5, 3, 1, 1, kInk, 1.0f, 0, false);  // neither straight: nothing
  EXPECT_EQ(Count(bm, kBg), 1);
  PIX_DashedLine(&bm, 7, 7, 0, 7, 2, 1, kInk, 0.5f, 0, false);
  for (int x = 0; x < 8; ++x)
    EXPECT_EQ(At(bm, x, 7), x < 7 && x % 3 < 2 ? RefPen(kBg, kInk, 0.5003f, 0) : kBg) << x;
}

TEST(Rect, OutlineCoversOneMoreAndZeroSizeMixesOnePixelFourTimes) {
  PIX_MemBitmap bm(10, 10);
  PIX_Clear(&bm, kBg);
  PIX_DrawRect(&bm, 4, 4, 0, 0, kInk, 0.5f, 0);
  uint32_t want = kBg;
  for (int i = 0; i < 4; ++i) want = ref::Mix(kInk, want, 2);
  EXPECT_EQ(At(bm, 4, 4), want);
  EXPECT_EQ(Count(bm, kBg), 1);
  PIX_Clear(&bm, kBg);
  PIX_BorderedRect(&bm, 1, 2, 5, 4, 0xFF0000FFu, kInk, 1.0f, 0);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) {
      const bool edge = (x == 1 || x == 6) ? y >= 2 && y <= 6 : (y == 2 || y == 6) && x >= 1 && x <= 6;
      const bool inner = x > 1 && x < 6 && y > 2 && y < 6;
      ASSERT_EQ(At(bm, x, y), edge ? kInk : inner ? 0xFF0000FFu : kBg) << x << "," << y;
    }
}

TEST(ClipLine, MovesEndPointsToTheBoxAsComputed) {
  int x1 = -10, y1 = 5, x2 = 300, y2 = 5;
  ASSERT_TRUE(PIX_ClipLine(&x1, &y1, &x2, &y2, 0, 0, 100, 100));
  EXPECT_EQ(x1, 0); EXPECT_EQ(x2, 99); EXPECT_EQ(y1, 5); EXPECT_EQ(y2, 5);
  // Crossing the bottom: y becomes 99 and x is taken where the line meets y = 100.
  x1 = 0, y1 = 0, x2 = 10, y2 = 200;
  ASSERT_TRUE(PIX_ClipLine(&x1, &y1, &x2, &y2, 0, 0, 100, 100));
  EXPECT_EQ(x2, 5); EXPECT_EQ(y2, 99);
  x1 = -5, y1 = -5, x2 = -1, y2 = 50;
  EXPECT_FALSE(PIX_ClipLine(&x1, &y1, &x2, &y2, 0, 0, 100, 100));
  float fx1 = -10.5f, fy1 = 5.0f, fx2 = 300.0f, fy2 = 5.0f;
  ASSERT_TRUE(PIX_ClipFLine(&fx1, &fy1, &fx2, &fy2, 0.0f, 0.0f, 99.0f, 99.0f));
  EXPECT_EQ(fx1, 0.0f); EXPECT_EQ(fx2, 98.0f); EXPECT_EQ(fy2, 5.0f);
}
