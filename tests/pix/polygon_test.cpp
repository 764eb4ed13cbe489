#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "tests/pix/geom_reference.h"

namespace {

const uint32_t kBg = 0xFF305070u;
const uint32_t kInk = 0xFFC0A080u;

// A convex polygon: points on an ellipse at sorted random angles.
void RandomConvex(std::mt19937& rng, int n, int cx, int cy, int rx, int ry, std::vector<int>& xs,
                  std::vector<int>& ys) {
  std::vector<double> a(n);
  for (double& v : a) v = (rng() % 6283) / 1000.0;
  std::sort(a.begin(), a.end());
  xs.clear(), ys.clear();
  for (double v : a) xs.push_back(cx + (int)std::lround(rx * std::cos(v))), ys.push_back(cy + (int)std::lround(ry * std::sin(v)));
}

// Rounding can dent the outline; such point sets are no convex polygon in their given order.
bool Convex(const std::vector<int>& xs, const std::vector<int>& ys) {
  const size_t n = xs.size();
  for (size_t i = 0; i < n; ++i) {
    const size_t j = (i + 1) % n, k = (i + 2) % n;
    const long long cross = (long long)(xs[j] - xs[i]) * (ys[k] - ys[j]) - (long long)(ys[j] - ys[i]) * (xs[k] - xs[j]);
    if (cross < 0 || (xs[i] == xs[j] && ys[i] == ys[j])) return false;
  }
  return true;
}

std::vector<bool> Marked(PIX_MemBitmap& bm) {
  std::vector<bool> m;
  for (int y = 0; y < bm.getHeight(); ++y)
    for (int x = 0; x < bm.getWidth(); ++x) m.push_back(At(bm, x, y) != kBg);
  return m;
}

}  // namespace

TEST(Trapezoid, SingleColumnAndRandomEdgesMatchTheFixedPointSteps) {
  PIX_MemBitmap bm(10, 12);
  PIX_Clear(&bm, kBg);
  PIX_FillTrapezoid(&bm, 5, 5, 0, 5, 5, 9, kInk, 1.0f, 0);
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 10; ++x) ASSERT_EQ(At(bm, x, y), x == 5 && y <= 9 ? kInk : kBg) << x << "," << y;

  std::mt19937 rng(31);
  std::uniform_int_distribution<int> u(-20, 60);
  for (int i = 0; i < 300; ++i) {
    SimdScope scope(SimdLevels()[i % SimdLevels().size()]);
    int xa = u(rng), xb = u(rng), ya = u(rng), xc = u(rng), xd = u(rng), yb = u(rng);
    const int mode = rng() % 6;
    const int weights[] = {64, 128, 192, 256, 100, 300};
    const int ia = weights[rng() % 6];
    const float alpha = (ia % 64 == 0 && ia <= 256) ? ia / 256.0f : OpacityFor(ia);
    PIX_MemBitmap got(40, 30), want(40, 30);
    FillRandom(got, rng);
    PIX_Copy(&want, &got);
    const uint32_t c = ref::RandomPixel(rng);
    PIX_FillTrapezoid(&got, xa, xb, ya, xc, xd, yb, c, alpha, mode);
    if (ya > yb) std::swap(xa, xc), std::swap(xb, xd), std::swap(ya, yb);
    auto edge = [&](int x1, int x2, int k) {
      if (ya == yb) return x1;
      long long step = (long long)(x2 - x1) * 65536 / (yb - ya), acc = 0;
      int x = x1;
      for (int j = 0; j < k; ++j) {
        acc += std::llabs(step);
        x += (step < 0 ? -1 : 1) * (int)(acc >> 16);
        acc &= 0xFFFF;
      }
      return x;
    };
    for (int y = std::max(ya, 0); y <= std::min(yb, 29); ++y)
      for (int x = std::max(edge(xa, xc, y - ya), 0); x <= std::min(edge(xb, xd, y - ya), 39); ++x) {
        uint32_t& d = At(want, x, y);
        if (mode == 0 && ia % 64 == 0 && ia <= 256) d = ia == 256 ? c : ref::Mix(c, d, ia / 64);
        else d = ref::Apply(d, c, ia, mode);
      }
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 40; ++x) ASSERT_EQ(At(got, x, y), At(want, x, y)) << "case " << i << " at " << x << "," << y;
  }
}

TEST(Polygon, CollinearTriangleOnOneRowFillsTheOuterSpan) {
  PIX_MemBitmap bm(20, 5);
  PIX_Clear(&bm, kBg);
  PIX_FillTriangle(&bm, 9, 2, 3, 2, 15, 2, kInk, 1.0f, 0);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 20; ++x) ASSERT_EQ(At(bm, x, y), y == 2 && x >= 3 && x <= 15 ? kInk : kBg);
}

TEST(Polygon, HalfOpacityFillMixesEachPixelOnceAndCoversItsVertices) {
  std::mt19937 rng(32);
  const uint32_t once = ref::Mix(kInk, kBg, 2);
  for (int i = 0; i < 300; ++i) {
    std::vector<int> xs, ys;
    RandomConvex(rng, 3 + rng() % 10, rng() % 60, rng() % 40, 1 + rng() % 40, 1 + rng() % 30, xs, ys);
    PIX_MemBitmap bm(60, 40);
    PIX_Clear(&bm, kBg);
    PIX_FillConvexPolygon(&bm, xs.data(), ys.data(), (int)xs.size(), kInk, 0.5f, 0);
    for (int y = 0; y < 40; ++y) {
      int first = -1, last = -1, count = 0;
      for (int x = 0; x < 60; ++x) {
        const uint32_t p = At(bm, x, y);
        ASSERT_TRUE(p == kBg || p == once) << "mixed twice at " << x << "," << y;
        if (p != once) continue;
        if (first < 0) first = x;
        last = x, ++count;
      }
      if (count) {
        ASSERT_EQ(count, last - first + 1) << "row " << y << " has a hole";
      }
    }
    for (size_t k = 0; k < xs.size(); ++k)
      if (xs[k] >= 0 && xs[k] < 60 && ys[k] >= 0 && ys[k] < 40) {
        ASSERT_EQ(At(bm, xs[k], ys[k]), once);
      }
  }
}

TEST(Polygon, PolygonsSharingEdgesLeaveNoGap) {
  std::mt19937 rng(33);
  for (int i = 0; i < 300; ++i) {
    std::vector<int> xs, ys;
    RandomConvex(rng, 4 + rng() % 8, 30, 25, 10 + rng() % 30, 10 + rng() % 25, xs, ys);
    if (!Convex(xs, ys)) continue;
    PIX_MemBitmap whole(60, 50), fan(60, 50);
    PIX_Clear(&whole, kBg);
    PIX_Clear(&fan, kBg);
    PIX_FillConvexPolygon(&whole, xs.data(), ys.data(), (int)xs.size(), kInk, 1.0f, 0);
    // The same polygon as a fan of triangles from its first vertex.
    for (size_t k = 1; k + 1 < xs.size(); ++k)
      PIX_FillTriangle(&fan, xs[0], ys[0], xs[k], ys[k], xs[k + 1], ys[k + 1], kInk, 1.0f, 0);
    ASSERT_EQ(Marked(whole), Marked(fan)) << "case " << i;
  }
}

TEST(Polygon, ManyPointsAndFarCoordinatesAreSafe) {
  std::vector<int> xs, ys;
  std::mt19937 rng(34);
  RandomConvex(rng, 2000, 30, 20, 25, 15, xs, ys);
  PIX_MemBitmap bm(60, 40);
  PIX_Clear(&bm, kBg);
  PIX_FillConvexPolygon(&bm, xs.data(), ys.data(), (int)xs.size(), kInk, 1.0f, 0);
  EXPECT_EQ(At(bm, 30, 20), kInk);
  const int fx[] = {-2000000000, 2000000000, 0}, fy[] = {-2000000000, -2000000000, 2000000000};
  PIX_FillConvexPolygon(&bm, fx, fy, 3, 0xFF000000u, 1.0f, 0);
  EXPECT_EQ(At(bm, 30, 20), 0xFF000000u);
}
