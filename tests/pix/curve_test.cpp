#include <gtest/gtest.h>

#include <cmath>

#include "tests/pix/geom_reference.h"

namespace {

const uint32_t kBg = 0xFF000000u;
const uint32_t kInk = 0xFFFFFFFFu;

struct Pt {
  double x, y;
};

Pt Quad(const Pt* p, double t) {
  const double u = 1 - t;
  return {u * u * p[0].x + 2 * t * u * p[1].x + t * t * p[2].x, u * u * p[0].y + 2 * t * u * p[1].y + t * t * p[2].y};
}

Pt Cube(const Pt* p, double t) {
  const double u = 1 - t;
  return {u * u * u * p[0].x + 3 * u * u * t * p[1].x + 3 * u * t * t * p[2].x + t * t * t * p[3].x,
          u * u * u * p[0].y + 3 * u * u * t * p[1].y + 3 * u * t * t * p[2].y + t * t * t * p[3].y};
}

// Every inked pixel lies near the curve, and every point of the curve inside the bitmap has ink
// next to it.
template <class F> void ExpectFollows(PIX_MemBitmap& bm, F&& curve) {
  std::vector<Pt> pts;
  for (int i = 0; i <= 2000; ++i) pts.push_back(curve(i / 2000.0));
  for (int y = 0; y < bm.getHeight(); ++y)
    for (int x = 0; x < bm.getWidth(); ++x) {
      if (At(bm, x, y) == kBg) continue;
      double best = 1e9;
      for (const Pt& p : pts) best = std::min(best, std::hypot(p.x - x, p.y - y));
      ASSERT_LT(best, 1.6) << "stray pixel " << x << "," << y;
    }
  for (const Pt& p : pts) {
    const int x = (int)std::floor(p.x), y = (int)std::floor(p.y);
    if (x < 1 || y < 1 || x >= bm.getWidth() - 2 || y >= bm.getHeight() - 2) continue;
    bool ink = false;
    for (int dy = -1; dy <= 2; ++dy)
      for (int dx = -1; dx <= 2; ++dx) ink |= At(bm, x + dx, y + dy) != kBg;
    ASSERT_TRUE(ink) << "gap near " << p.x << "," << p.y;
  }
}

}  // namespace

TEST(Bezier, QuadraticsFollowTheCurveAndToleranceZeroMeansOnePixel) {
  std::mt19937 rng(61);
  std::uniform_real_distribution<float> u(-20.0f, 80.0f);
  for (int i = 0; i < 60; ++i) {
    Pt p[3] = {{u(rng), u(rng)}, {u(rng), u(rng)}, {u(rng), u(rng)}};
    const bool aa = i % 2;
    PIX_MemBitmap a(60, 60), b(60, 60);
    PIX_Clear(&a, kBg);
    PIX_Clear(&b, kBg);
    PIX_DrawQBezier(&a, p[0].x, p[0].y, p[1].x, p[1].y, p[2].x, p[2].y, kInk, 1.0f, 0, aa, 0.0f);
    PIX_DrawQBezier(&b, p[0].x, p[0].y, p[1].x, p[1].y, p[2].x, p[2].y, kInk, 1.0f, 0, aa, 1.0f);
    for (int y = 0; y < 60; ++y)
      for (int x = 0; x < 60; ++x) ASSERT_EQ(At(a, x, y), At(b, x, y));
    ExpectFollows(a, [&](double t) { return Quad(p, t); });
  }
}

TEST(Bezier, CubicsFollowTheCurve) {
  std::mt19937 rng(62);
  std::uniform_real_distribution<float> u(-20.0f, 80.0f);
  for (int i = 0; i < 60; ++i) {
    Pt p[4] = {{u(rng), u(rng)}, {u(rng), u(rng)}, {u(rng), u(rng)}, {u(rng), u(rng)}};
    PIX_MemBitmap bm(60, 60);
    PIX_Clear(&bm, kBg);
    PIX_DrawCBezier(&bm, p[0].x, p[0].y, p[1].x, p[1].y, p[2].x, p[2].y, p[3].x, p[3].y, kInk, 1.0f, 0, i % 2, 0.7f);
    ExpectFollows(bm, [&](double t) { return Cube(p, t); });
  }
}

TEST(Bezier, GetYBracketsThePointOnAMonotoneCubic) {
  const Pt p[4] = {{0, 10}, {10, 40}, {30, -20}, {50, 30}};
  for (float x = 0.5f; x < 50.0f; x += 3.7f) {
    float lo = -1, hi = -1;
    const float y = PIX_CBezier_GetY(p[0].x, p[0].y, p[1].x, p[1].y, p[2].x, p[2].y, p[3].x, p[3].y, x, &lo, &hi);
    ASSERT_LE(lo, hi);
    ASSERT_LE(Cube(p, lo).x, x + 1e-4);
    ASSERT_GE(Cube(p, hi).x, x - 1e-4);
    ASSERT_LE(hi - lo, 1.0f / 256 + 1e-6f);
    // The true y at x, by dense search of the curve.
    double best = 1e9, ty = 0;
    for (int i = 0; i <= 100000; ++i) {
      const Pt q = Cube(p, i / 100000.0);
      if (std::fabs(q.x - x) < best) best = std::fabs(q.x - x), ty = q.y;
    }
    ASSERT_NEAR(y, ty, 0.05);
  }
  float lo, hi;
  EXPECT_EQ(PIX_CBezier_GetY(0, 10, 10, 40, 30, -20, 50, 30, -5, &lo, &hi), 10.0f);
  EXPECT_EQ(lo, 0.0f);
  EXPECT_EQ(PIX_CBezier_GetY(0, 10, 10, 40, 30, -20, 50, 30, 70, &lo, &hi), 30.0f);
  EXPECT_EQ(hi, 1.0f);
}

TEST(Bezier, FillsReachTheFillLineOncePerPixelAndTransposeExactly) {
  std::mt19937 rng(63);
  std::uniform_real_distribution<float> u(-10.0f, 60.0f);
  const uint32_t once = ref::Mix(kInk, kBg, 2);
  for (int i = 0; i < 100; ++i) {
    const float p[8] = {u(rng), u(rng), u(rng), u(rng), u(rng), u(rng), u(rng), u(rng)};
    const int fill = rng() % 50;
    PIX_MemBitmap a(50, 50), b(50, 50);
    PIX_Clear(&a, kBg);
    PIX_Clear(&b, kBg);
    PIX_FillCBezier(&a, p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7], fill, kInk, 0.5f, 0, 1.0f);
    PIX_FillCBezierX(&b, p[1], p[0], p[3], p[2], p[5], p[4], p[7], p[6], fill, kInk, 0.5f, 0, 1.0f);
    bool any = false;
    for (int x = 0; x < 50; ++x) {
      int first = -1, last = -1, count = 0;
      for (int y = 0; y < 50; ++y) {
        ASSERT_EQ(At(a, x, y), At(b, y, x)) << "transposed fill differs at " << x << "," << y;
        const uint32_t v = At(a, x, y);
        ASSERT_TRUE(v == kBg || v == once) << "filled twice at " << x << "," << y;
        if (v != once) continue;
        if (first < 0) first = y;
        last = y, ++count;
      }
      if (!count) continue;
      any = true;
      ASSERT_EQ(count, last - first + 1) << "column " << x << " has a hole";
      ASSERT_TRUE(first <= fill && last >= fill) << "column " << x << " misses the fill row";
    }
    const float lx = std::min(p[0], p[6]), hx = std::max(p[0], p[6]);
    if (hx - lx > 3 && lx > 0 && hx < 49) {
      ASSERT_TRUE(any);
    }
  }
}
