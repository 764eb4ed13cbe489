#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <limits>
#include <memory>
#include <random>

#include "pix/pix.h"
#include "tests/support/alloc_hook.h"
#include "tests/pix/helpers.h"
#include "tests/pix/scaled_reference.h"

namespace {

using sref::Img;

std::unique_ptr<PIX_MemBitmap> Random(int w, int h, std::mt19937& rng, bool flipped = false) {
  std::unique_ptr<PIX_MemBitmap> bm(flipped ? new FlippedBitmap(w, h) : new PIX_MemBitmap(w, h));
  FillRandom(*bm, rng);
  return bm;
}

void ExpectSame(PIX_IBitmap& bm, const Img& want) {
  const Img got = sref::Read(bm);
  ASSERT_EQ(got.w, want.w);
  for (int y = 0; y < want.h; ++y)
    for (int x = 0; x < want.w; ++x) ASSERT_EQ(got.at(x, y), want.at(x, y)) << "at " << x << "," << y;
}

ref::Px Px(const Img& m, int x, int y) { return ref::Split(m.at(x, y)); }

const int kModes[] = {0,       0x100,   0x10000, 0x10100, 0x10001, 0x101,  0x10003,
                      0x10104, 0x10005, 0x102,   0x10002, 0x3,     0x107};
const float kAlphas[] = {1.0f, 0.5f, OpacityFor(77), OpacityFor(300), -0.5f};

int RandomMode(std::mt19937& rng) { return kModes[rng() % std::size(kModes)]; }

struct Call {
  int dstx, dsty, dstw, dsth;
  float srcx, srcy, srcw, srch, alpha;
  int mode;
};

// The blit at every SIMD level, each from the destination's starting pixels, against the
// pixel-by-pixel reference.
void ExpectLikeReference(PIX_IBitmap& dst, PIX_IBitmap& src, const Call& c) {
  const Img src0 = sref::Read(src), dst0 = sref::Read(dst);
  SCOPED_TRACE(testing::Message() << "src " << src0.w << "x" << src0.h << " dst " << dst0.w << "x" << dst0.h << " d "
                                  << c.dstx << "," << c.dsty << " " << c.dstw << "x" << c.dsth << " s " << c.srcx
                                  << "," << c.srcy << " " << c.srcw << "x" << c.srch << " mode " << std::hex << c.mode
                                  << " alpha " << c.alpha);
  const Img want =
      sref::Scaled(dst0, src0, c.dstx, c.dsty, c.dstw, c.dsth, c.srcx, c.srcy, c.srcw, c.srch, c.alpha, c.mode);
  for (Level level : SimdLevels()) {
    SimdScope scope(level);
    for (int y = 0; y < dst0.h; ++y)
      for (int x = 0; x < dst0.w; ++x) At(dst, x, y) = dst0.at(x, y);
    PIX_ScaledBlit(&dst, &src, c.dstx, c.dsty, c.dstw, c.dsth, c.srcx, c.srcy, c.srcw, c.srch, c.alpha, c.mode);
    ASSERT_NO_FATAL_FAILURE(ExpectSame(dst, want)) << "level " << static_cast<int>(level);
  }
}

// Random rectangles, fractions, mirrors, clipping, flipped bitmaps, every rule and the special
// weights, against the pixel-by-pixel reference, at every SIMD level.
TEST(ScaledBlit, MatchesReferenceOverRandomCases) {
  std::mt19937 rng(1);
  std::uniform_real_distribution<float> frac(-0.6f, 0.6f);
  for (int iter = 0; iter < 1500; ++iter) {
    const int sw = 1 + int(rng() % 40), sh = 1 + int(rng() % 40);
    auto src = Random(sw, sh, rng, rng() % 4 == 0);
    const int dw = 1 + int(rng() % 40), dh = 1 + int(rng() % 40);
    auto dst = Random(dw, dh, rng, rng() % 4 == 0);
    int dstw = int(rng() % 60) - 10, dsth = int(rng() % 60) - 10;
    if (dstw == 0) dstw = 3;
    if (dsth == 0) dsth = -2;
    const int dstx = int(rng() % 50) - 15, dsty = int(rng() % 50) - 15;
    const float srcx = float(int(rng() % 50) - 10) + frac(rng), srcy = float(int(rng() % 50) - 10) + frac(rng);
    float srcw = float(int(rng() % 120)) + frac(rng), srch = float(int(rng() % 120)) + frac(rng);
    if (rng() % 6 == 0) srcw = -srcw;
    const int mode = RandomMode(rng);
    const float alpha = kAlphas[rng() % 5];
    SCOPED_TRACE(testing::Message() << "iter " << iter);
    ExpectLikeReference(*dst, *src, {dstx, dsty, dstw, dsth, srcx, srcy, srcw, srch, alpha, mode});
    if (HasFatalFailure()) return;
  }
}

// Large images run the gathered bilinear rows and the whole-kernel box rows; their outputs must
// match the reference over whole images, including the columns at the clipped and mirrored edges.
TEST(ScaledBlit, LargeScalesMatchReference) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> frac(-0.6f, 0.6f);
  for (int iter = 0; iter < 100; ++iter) {
    const int sw = 120 + int(rng() % 100), sh = 60 + int(rng() % 100);
    auto src = Random(sw, sh, rng, rng() % 3 == 0);
    const int dw = 20 + int(rng() % 60), dh = 20 + int(rng() % 40);
    auto dst = Random(dw, dh, rng, rng() % 3 == 0);
    const float factor = 0.6f + float(rng() % 60) / 10.0f;
    int dstw = int(float(sw) / factor) + int(rng() % 5), dsth = int(float(sh) / factor) + int(rng() % 5);
    if (rng() % 5 == 0) dstw = -dstw;
    const int dstx = int(rng() % 20) - 8, dsty = int(rng() % 20) - 8;
    const float srcx = float(int(rng() % 6)) + (rng() % 2 ? frac(rng) : 0.0f), srcy = float(int(rng() % 6));
    const float srcw = float(sw - 6), srch = float(sh - 6);
    const int mode = RandomMode(rng);
    const float alpha = kAlphas[rng() % 5];
    SCOPED_TRACE(testing::Message() << "iter " << iter);
    ExpectLikeReference(*dst, *src, {dstx, dsty, dstw, dsth, srcx, srcy, srcw, srch, alpha, mode});
    if (HasFatalFailure()) return;
  }
}

// Reductions to exactly a quarter across take the 5 x 5 kernels four columns apart in eight-kernel
// rounds: every count of kernels, cut kernels at either edge, shallow windows, and channels at 0 and
// 255, whose 25-pixel sums are the largest the kernels add.
TEST(ScaledBlit, QuarterWidthReductionsMatchReference) {
  std::mt19937 rng(11);
  std::uniform_real_distribution<float> frac(-0.6f, 0.6f);
  for (int iter = 0; iter < 300; ++iter) {
    // One in three sources is at most 3 rows deep, where cut kernels hold fewer than 5 pixels.
    const int sw = 6 + int(rng() % 180), sh = 1 + int(rng() % (iter % 3 == 1 ? 3 : 40));
    auto src = Random(sw, sh, rng, rng() % 3 == 0);
    if (iter % 4 == 0)
      for (int y = 0; y < sh; ++y)
        for (int x = 0; x < sw; ++x) At(*src, x, y) = (rng() % 2 ? 0xFF000000u : 0) | (rng() % 3 ? 0xFF00FFu : 0) |
                                                       (rng() % 5 ? 0xFF00u : 0);
    const int dw = 4 + int(rng() % 50), dh = 2 + int(rng() % 20);
    auto dst = Random(dw, dh, rng, rng() % 3 == 0);
    const int dstw = 1 + int(rng() % 50), dsth = 1 + int(rng() % 12);
    const int dstx = int(rng() % 12) - 4, dsty = int(rng() % 6) - 2;
    const float srcx = float(int(rng() % 9) - 3) + (rng() % 2 ? frac(rng) : 0.0f);
    const float srcy = sh <= 3 ? 0.0f : float(int(rng() % 4) - 1) + frac(rng);
    const float srcw = 4.0f * float(dstw), srch = float(dsth) * (1.7f + float(rng() % 40) / 10.0f);
    const int mode = RandomMode(rng);
    const float alpha = kAlphas[rng() % 5];
    SCOPED_TRACE(testing::Message() << "iter " << iter);
    ExpectLikeReference(*dst, *src, {dstx, dsty, dstw, dsth, srcx, srcy, srcw, srch, alpha, mode});
    if (HasFatalFailure()) return;
  }
}

// Equal sizes blit unscaled from the rounded position, unless filtering would see the fraction.
TEST(ScaledBlit, UnscaledShortcut) {
  std::mt19937 rng(2);
  auto src = Random(130, 60, rng);
  auto dst = Random(100, 50, rng), viaBlit = Random(100, 50, rng);
  const Img dst0 = sref::Read(*dst);
  PIX_Copy(viaBlit.get(), dst.get());
  PIX_Blit(viaBlit.get(), src.get(), 0, 0, 10, 0, 100, 50, 0.7f, PIX_FLAG_SOURCE_ALPHA);
  PIX_ScaledBlit(dst.get(), src.get(), 0, 0, 100, 50, 10.4f, 0.0f, 100.0f, 50.0f, 0.7f, PIX_FLAG_SOURCE_ALPHA);
  EXPECT_EQ(PIX_BitmapCmp(dst.get(), viaBlit.get()), 0);

  // Within 0.03 of a whole pixel filtering still takes the shortcut.
  PIX_Copy(dst.get(), viaBlit.get());
  PIX_Blit(viaBlit.get(), src.get(), 0, 0, 10, 0, 100, 50, 1.0f, 0);
  PIX_ScaledBlit(dst.get(), src.get(), 0, 0, 100, 50, 10.02f, 0.0f, 100.0f, 50.0f, 1.0f, PIX_FILTER_BILINEAR);
  EXPECT_EQ(PIX_BitmapCmp(dst.get(), viaBlit.get()), 0);

  // At 10.4 filtering mixes columns 10 and 11 with the fraction 0.4.
  for (int y = 0; y < 50; ++y)
    for (int x = 0; x < 100; ++x) At(*dst, x, y) = dst0.at(x, y);
  PIX_ScaledBlit(dst.get(), src.get(), 0, 0, 100, 50, 10.4f, 0.0f, 100.0f, 50.0f, 1.0f, PIX_FILTER_BILINEAR);
  const Img s = sref::Read(*src), got = sref::Read(*dst);
  const long long xf = (long long)std::floor(double(10.4f) * 65536) & 0xFFFF;
  for (int y : {0, 17, 49})
    for (int x : {0, 33, 99}) {
      ref::Px want;
      for (int c = 0; c < 4; ++c)
        want.c[c] = int((Px(s, 10 + x, y).c[c] * (65536 - xf) + Px(s, 11 + x, y).c[c] * xf) >> 16);
      EXPECT_EQ(got.at(x, y), ref::Join(want)) << x << "," << y;
    }
}

// The per-channel average of the source block [x0, x1] x [y0, y1].
uint32_t BlockAverage(const Img& s, int x0, int y0, int x1, int y1) {
  int sum[4] = {0, 0, 0, 0}, n = 0;
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x, ++n)
      for (int c = 0; c < 4; ++c) sum[c] += Px(s, x, y).c[c];
  return ref::Join(ref::Px{{sum[0] / n, sum[1] / n, sum[2] / n, sum[3] / n}});
}

TEST(ScaledBlit, KernelBySteps) {
  std::mt19937 rng(3);
  auto src = Random(200, 200, rng);
  const Img s = sref::Read(*src);
  // Step 4: a 5 x 5 box around (4i, 4j), cut at the edges.
  PIX_MemBitmap d50(50, 50);
  PIX_ScaledBlit(&d50, src.get(), 0, 0, 50, 50, 0, 0, 200, 200, 1.0f, PIX_FILTER_BILINEAR);
  const Img g50 = sref::Read(d50);
  EXPECT_EQ(g50.at(3, 4), BlockAverage(s, 10, 14, 14, 18));
  EXPECT_EQ(g50.at(0, 0), BlockAverage(s, 0, 0, 2, 2));
  EXPECT_EQ(g50.at(49, 20), BlockAverage(s, 194, 78, 198, 82));
  // Step 2: a 3 x 3 box.
  PIX_MemBitmap d100(100, 100);
  PIX_ScaledBlit(&d100, src.get(), 0, 0, 100, 100, 0, 0, 200, 200, 1.0f, PIX_FILTER_BILINEAR);
  const Img g100 = sref::Read(d100);
  EXPECT_EQ(g100.at(5, 5), BlockAverage(s, 9, 9, 11, 11));
  EXPECT_EQ(g100.at(0, 7), BlockAverage(s, 0, 13, 1, 15));
  // Step 4/3: plain bilinear.
  PIX_MemBitmap d150(150, 150);
  PIX_ScaledBlit(&d150, src.get(), 0, 0, 150, 150, 0, 0, 200, 200, 1.0f, PIX_FILTER_BILINEAR);
  const long long step = (long long)std::floor(200.0 / 150.0 * 65536);
  const long long px = 2 * step, py = step;
  const int x = int(px >> 16), y = int(py >> 16), xf = int(px & 0xFFFF), yf = int(py & 0xFFFF);
  const int f11 = int((long long)xf * yf >> 16), f10 = xf - f11, f01 = yf - f11, f00 = 65536 - xf - yf + f11;
  ref::Px want;
  for (int c = 0; c < 4; ++c)
    want.c[c] = (Px(s, x, y).c[c] * f00 + Px(s, x + 1, y).c[c] * f10 + Px(s, x, y + 1).c[c] * f01 +
                 Px(s, x + 1, y + 1).c[c] * f11) >> 16;
  EXPECT_EQ(sref::Read(d150).at(2, 1), ref::Join(want));
}

// A 3 x 2 source doubled: samples at half pixels, the last column mixing only vertically and
// the last row only horizontally.
TEST(ScaledBlit, LastColumnAndRowSampling) {
  std::mt19937 rng(4);
  auto src = Random(3, 2, rng);
  const Img s = sref::Read(*src);
  PIX_MemBitmap d(6, 4);
  PIX_ScaledBlit(&d, src.get(), 0, 0, 6, 4, 0, 0, 3, 2, 1.0f, PIX_FILTER_BILINEAR);
  const Img g = sref::Read(d);
  auto half = [&](ref::Px a, ref::Px b) {
    ref::Px o;
    for (int c = 0; c < 4; ++c) o.c[c] = (a.c[c] * 32768 + b.c[c] * 32768) >> 16;
    return ref::Join(o);
  };
  EXPECT_EQ(g.at(5, 0), s.at(2, 0));                        // last column, no vertical fraction
  EXPECT_EQ(g.at(4, 1), half(Px(s, 2, 0), Px(s, 2, 1)));    // last column: vertical pair only
  EXPECT_EQ(g.at(1, 3), half(Px(s, 0, 1), Px(s, 1, 1)));    // last row: horizontal pair only
  EXPECT_EQ(g.at(5, 3), s.at(2, 1));                        // their corner as it is
  EXPECT_EQ(g.at(2, 0), s.at(1, 0));
}

TEST(ScaledBlit, NegativeSizesMirror) {
  std::mt19937 rng(5);
  auto src = Random(20, 10, rng);
  const Img s = sref::Read(*src);
  PIX_MemBitmap d(20, 10);
  PIX_ScaledBlit(&d, src.get(), 20, 0, -20, 10, 0, 0, 20, 10, 1.0f, 0);
  Img g = sref::Read(d);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 20; ++x) ASSERT_EQ(g.at(x, y), s.at(19 - x, y)) << x << "," << y;
  PIX_ScaledBlit(&d, src.get(), 20, 10, -20, -10, 0, 0, 20, 10, 1.0f, PIX_FILTER_BILINEAR);
  g = sref::Read(d);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 20; ++x) ASSERT_EQ(g.at(x, y), s.at(19 - x, 9 - y)) << x << "," << y;
  // Mirrored while doubling: each source column covers two destination columns.
  PIX_MemBitmap d2(40, 10);
  PIX_ScaledBlit(&d2, src.get(), 40, 0, -40, 10, 0, 0, 20, 10, 1.0f, 0);
  g = sref::Read(d2);
  for (int x = 0; x < 40; ++x) ASSERT_EQ(g.at(x, 3), s.at(19 - x / 2, 3)) << x;
}

TEST(RotatedBlit, AngleZeroReproducesBlit) {
  std::mt19937 rng(6);
  for (int mode : {0, 0x10000, 0x1, 0x10003, 0x5}) {
    for (float alpha : {1.0f, 0.5f, OpacityFor(90)}) {
      auto src = Random(31, 23, rng), a = Random(40, 30, rng);
      PIX_MemBitmap b(40, 30);
      PIX_Copy(&b, a.get());
      // Opacity 0.5 makes PIX_Blit mix whole words; the rotation uses the copy rule at weight 128.
      PIX_Blit(a.get(), src.get(), 5, -3, 4, 2, 20, 15, alpha == 0.5f ? OpacityFor(128) : alpha, mode);
      PIX_RotatedBlit(&b, src.get(), 5, -3, 20, 15, 4, 2, 20, 15, 0.0f, true, alpha, mode, 0, 0);
      EXPECT_EQ(PIX_BitmapCmp(a.get(), &b), 0) << mode << " " << alpha;
    }
  }
}

// Rotations against the reference: the set-up's start and steps, then every pixel sampled.
TEST(RotatedBlit, MatchesReferenceMapping) {
  std::mt19937 rng(7);
  for (int iter = 0; iter < 200; ++iter) {
    auto src = Random(1 + int(rng() % 30), 1 + int(rng() % 30), rng, iter % 3 == 0);
    auto dst = Random(1 + int(rng() % 30), 1 + int(rng() % 30), rng, iter % 5 == 0);
    const Img s0 = sref::Read(*src), d0 = sref::Read(*dst);
    const int dstx = int(rng() % 20) - 5, dsty = int(rng() % 20) - 5, dstw = 1 + int(rng() % 30),
              dsth = 1 + int(rng() % 30);
    const float srcx = float(rng() % 10) - 2.5f, srcy = float(rng() % 10) - 1.25f;
    const float srcw = float(1 + rng() % 30), srch = float(1 + rng() % 30);
    const float angle = float(rng() % 628) / 100.0f, rx = float(rng() % 5) - 2.0f, ry = 0.5f;
    const bool clip = rng() % 2;
    const int mode = RandomMode(rng);
    const float alpha = kAlphas[rng() % 4];
    // The set-up as described, in doubles.
    const double c = std::cos(double(angle)), sn = std::sin(double(angle));
    const double sx = double(srcw) / dstw, sy = double(srch) / dsth;
    const double dsdx = sx * c, dtdx = -sy * sn, dsdy = sx * sn, dtdy = sy * c;
    double X = srcx - (((dsth * sx * sn + dstw * sx * c) - srcw) * 0.5 - rx);
    double Y = srcy - (((dsth * sy * c - dstw * sy * sn) - srch) * 0.5 - ry);
    int dx = dstx, dy = dsty, w = dstw, h = dsth;
    if (dx < 0) X -= dx * dsdx, Y -= dx * dtdx, w += dx, dx = 0;
    if (dy < 0) X -= dy * dsdy, Y -= dy * dtdy, h += dy, dy = 0;
    sref::Window win{&s0, 0, 0, s0.w, s0.h};
    if (clip) {
      win.l = std::max(0, int(srcx)), win.t = std::max(0, int(srcy));
      win.r = std::min(s0.w, int(srcx + srcw)), win.b = std::min(s0.h, int(srcy + srch));
    }
    Img want = d0;
    if (win.r > win.l && win.b > win.t && w > 0 && h > 0) {
      sref::Delta d{dx, dy, w, h,
                    (long long)std::floor((X - win.l) * 65536), (long long)std::floor((Y - win.t) * 65536),
                    (long long)(dsdx * 65536), (long long)(dtdx * 65536), (long long)(dsdy * 65536),
                    (long long)(dtdy * 65536), 0, 0};
      want = sref::Mapped(d0, s0, win, d, alpha, mode);
    }
    SCOPED_TRACE(testing::Message() << "iter " << iter);
    PIX_RotatedBlit(dst.get(), src.get(), dstx, dsty, dstw, dsth, srcx, srcy, srcw, srch, angle, clip, alpha, mode,
                    rx, ry);
    ASSERT_NO_FATAL_FAILURE(ExpectSame(*dst, want));
  }
}

TEST(RotatedBlit, NegativeWidthMirrors) {
  std::mt19937 rng(8);
  auto src = Random(16, 9, rng);
  const Img s = sref::Read(*src);
  PIX_MemBitmap d(16, 9);
  PIX_RotatedBlit(&d, src.get(), 16, 0, -16, 9, 0, 0, 16, 9, 0.0f, false, 1.0f, 0, 0, 0);
  const Img g = sref::Read(d);
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 16; ++x) ASSERT_EQ(g.at(x, y), s.at(15 - x, y)) << x << "," << y;
}

// Second-order terms and clipping at negative destination positions, against the reference
// mapping; steps that are exact in binary keep the clipped start exact too.
TEST(DeltaBlit, SecondOrderTermsAndClipping) {
  std::mt19937 rng(9);
  const double steps[] = {0.75, -0.5, 0.125, 1.25, 0, -0.0625};
  for (int iter = 0; iter < 150; ++iter) {
    auto src = Random(1 + int(rng() % 25), 1 + int(rng() % 25), rng, iter % 4 == 1);
    auto dst = Random(1 + int(rng() % 25), 1 + int(rng() % 25), rng, iter % 3 == 1);
    const Img s0 = sref::Read(*src), d0 = sref::Read(*dst);
    auto pick = [&] { return steps[rng() % 6]; };
    const double dsdx = pick(), dtdx = pick(), dsdy = pick(), dtdy = pick();
    const double dsdxdy = pick() / 16, dtdxdy = pick() / 16;
    const float sx = float(int(rng() % 16) - 3) / 4, sy = float(int(rng() % 16) - 3) / 4;
    const int dstx = int(rng() % 16) - 6, dsty = int(rng() % 16) - 6, dstw = int(rng() % 30), dsth = int(rng() % 30);
    const int mode = RandomMode(rng);
    const float alpha = kAlphas[rng() % 4];
    // The unclipped mapping from the area's own top-left pixel, skipping what lies outside.
    sref::Delta d{dstx, dsty, dstw, dsth,
                  (long long)(sx * 65536.0), (long long)(sy * 65536.0), (long long)(dsdx * 65536),
                  (long long)(dtdx * 65536), (long long)(dsdy * 65536), (long long)(dtdy * 65536),
                  (long long)(dsdxdy * 65536), (long long)(dtdxdy * 65536)};
    const sref::Window win{&s0, 0, 0, s0.w, s0.h};
    const Img want = sref::Mapped(d0, s0, win, d, alpha, mode);
    SCOPED_TRACE(testing::Message() << "iter " << iter);
    PIX_DeltaBlit(dst.get(), src.get(), dstx, dsty, dstw, dsth, sx, sy, 0, 0, dsdx, dtdx, dsdy, dtdy, dsdxdy, dtdxdy,
                  false, alpha, mode);
    ASSERT_NO_FATAL_FAILURE(ExpectSame(*dst, want));
  }
}

TEST(DeltaBlit, VaryingWeight) {
  std::mt19937 rng(10);
  for (int mode : {0, 0x100, 0x10000, 0x10101, 0x3, 0x10005}) {
    auto src = Random(20, 20, rng), dst = Random(24, 18, rng);
    const Img s0 = sref::Read(*src), d0 = sref::Read(*dst);
    // From -0.25 up past full weight across the columns, down the rows.
    const float a0 = -0.25f, dadx = 0.0625f, dady = -0.03125f;
    sref::Delta d{-2, 1, 26, 16, (long long)(1.5 * 65536), (long long)(0.25 * 65536), (long long)(0.75 * 65536),
                  (long long)(0.125 * 65536), (long long)(-0.125 * 65536), (long long)(0.75 * 65536), 0, 0};
    d.varying = true;
    d.v = (long long)(a0 * 65536), d.dvdx = (long long)(dadx * 65536), d.dvdy = (long long)(dady * 65536);
    const sref::Window win{&s0, 0, 0, 20, 20};
    const Img want = sref::Mapped(d0, s0, win, d, 1.0f, mode);
    PIX_DeltaBlitAlpha(dst.get(), src.get(), -2, 1, 26, 16, 1.5f, 0.25f, 0, 0, 0.75, 0.125, -0.125, 0.75, 0, 0,
                       false, a0, dadx, dady, mode);
    ASSERT_NO_FATAL_FAILURE(ExpectSame(*dst, want)) << mode;
  }
}

TEST(TransformBlit, IdentityMeshReproducesBlitAndFormsAgree) {
  std::mt19937 rng(11);
  auto src = Random(64, 48, rng), a = Random(80, 60, rng);
  PIX_MemBitmap b(80, 60), c(80, 60), e(80, 60);
  PIX_Copy(&b, a.get());
  PIX_Copy(&c, a.get());
  PIX_Copy(&e, a.get());
  std::vector<float> pf;
  std::vector<double> pd;
  std::vector<float> alphas;
  for (int j = 0; j < 5; ++j)
    for (int i = 0; i < 3; ++i) {
      pf.push_back(float(i * 32)), pf.push_back(float(j * 12));
      pd.push_back(i * 32.0), pd.push_back(j * 12.0);
      alphas.push_back(1.0f);
    }
  PIX_Blit(a.get(), src.get(), 7, 5, 0, 0, 64, 48, 1.0f, 0);
  PIX_TransformBlit(&b, src.get(), 7, 5, 64, 48, pf.data(), 3, 5, 1.0f, 0);
  EXPECT_EQ(PIX_BitmapCmp(a.get(), &b), 0);
  PIX_TransformBlit2(&c, src.get(), 7, 5, 64, 48, pd.data(), 3, 5, 1.0f, 0);
  EXPECT_EQ(PIX_BitmapCmp(a.get(), &c), 0);
  PIX_TransformBlit2Alpha(&e, src.get(), 7, 5, 64, 48, pd.data(), alphas.data(), 3, 5, 0);
  EXPECT_EQ(PIX_BitmapCmp(a.get(), &e), 0);
  // A grid of one row or column draws nothing.
  PIX_MemBitmap f(80, 60);
  PIX_Copy(&f, &b);
  PIX_TransformBlit(&f, src.get(), 0, 0, 64, 48, pf.data(), 1, 5, 1.0f, 0);
  PIX_TransformBlit(&f, src.get(), 0, 0, 64, 48, pf.data(), 3, 1, 1.0f, 0);
  PIX_TransformBlit(&f, src.get(), 0, 0, 0, 48, pf.data(), 3, 5, 1.0f, 0);
  EXPECT_EQ(PIX_BitmapCmp(&f, &b), 0);
}

// A mesh whose columns run backwards mirrors the image, cell by cell.
TEST(TransformBlit, MirroringMesh) {
  std::mt19937 rng(12);
  auto src = Random(32, 16, rng);
  const Img s = sref::Read(*src);
  PIX_MemBitmap d(32, 16);
  // Each destination column x samples source column 31 - x: 31 at the left edge, -1 at the right.
  const float pts[] = {31, 0, 15, 0, -1, 0, 31, 16, 15, 16, -1, 16};
  PIX_TransformBlit(&d, src.get(), 0, 0, 32, 16, pts, 3, 2, 1.0f, 0);
  const Img g = sref::Read(d);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 32; ++x) ASSERT_EQ(g.at(x, y), s.at(31 - x, y)) << x << "," << y;
}

// A bitmap inside a larger block whose margins (a row above and below, padding on the right)
// hold a marker that no drawing may change.
class GuardedBitmap : public PIX_IBitmap {
public:
  static constexpr PIX_pixel kMark = 0xDEADBEEFu;
  GuardedBitmap(int w, int h) : mW(w), mH(h), mBlock(size_t(w + 3) * (h + 2), kMark) {}
  PIX_pixel* getBits() const override { return const_cast<PIX_pixel*>(mBlock.data()) + mW + 3; }
  int getWidth() const override { return mW; }
  int getHeight() const override { return mH; }
  int getRowSpan() const override { return mW + 3; }
  bool resize(int, int) override { return false; }
  bool MarginsIntact() const {
    for (size_t i = 0; i < mBlock.size(); ++i) {
      const long long row = (long long)(i / (mW + 3)) - 1, col = (long long)(i % (mW + 3));
      const bool image = row >= 0 && row < mH && col < mW;
      if (!image && mBlock[i] != kMark) return false;
    }
    return true;
  }

private:
  int mW, mH;
  std::vector<PIX_pixel> mBlock;
};

// Arguments far outside any sensible range draw within the bitmaps or not at all.
TEST(ResampledBlits, ExtremeArgumentsStayInBounds) {
  std::mt19937 rng(13);
  auto src = Random(9, 7, rng);
  auto dst = std::make_unique<GuardedBitmap>(11, 5);
  PIX_MemBitmap empty;
  const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
  const float fs[] = {0, -1e30f, 1e30f, nan, inf, -inf, 3.5f, -2.25f, 2147483520.0f};
  const int is[] = {0, 1, -1, INT_MIN, INT_MAX, 6, -7, 1 << 30};
  for (int mode : {0, 0x100, 0x10100, 0x10001}) {
    for (int i = 0; i < 400; ++i) {
      const int a = is[rng() % 8], b = is[rng() % 8], c = is[rng() % 8], d = is[rng() % 8];
      const float e = fs[rng() % 9], f = fs[rng() % 9], g = fs[rng() % 9], h = fs[rng() % 9];
      PIX_ScaledBlit(dst.get(), src.get(), a, b, c, d, e, f, g, h, 1.0f, mode);
      PIX_ScaledBlit(dst.get(), src.get(), a % 5, b % 5, c % 20, d % 20, e, f, g, h, 0.6f, mode);
      PIX_RotatedBlit(dst.get(), src.get(), a, b, c, d, e, f, g, h, fs[rng() % 9], i % 2, 1.0f, mode, e, h);
      PIX_RotatedBlit(dst.get(), src.get(), a % 5, b % 5, c % 20, d % 20, e, f, g, h, 1.0f, i % 2, 0.5f, mode, 0, 0);
      PIX_DeltaBlit(dst.get(), src.get(), a % 9, b % 9, c % 30, d % 30, e, f, g, h, e, f, g, h, e, h, i % 2, 1.0f,
                    mode);
      PIX_DeltaBlit(dst.get(), src.get(), a, b, c, d, 1, 1, 5, 5, 1e9, -1e9, 1e12, 3, 1e9, -1e9, false, 1.0f, mode);
      PIX_DeltaBlitAlpha(dst.get(), src.get(), a % 9, b % 9, c % 30, d % 30, e, f, g, h, 0.5, 0.25, g, h, 1e9, -1e9,
                         i % 2, e, f, g, mode);
      PIX_ScaledBlit(&empty, src.get(), 0, 0, 5, 5, 0, 0, 3, 3, 1.0f, mode);
      PIX_ScaledBlit(dst.get(), &empty, 0, 0, 5, 5, 0, 0, 3, 3, 1.0f, mode);
      PIX_RotatedBlit(nullptr, src.get(), 0, 0, 5, 5, 0, 0, 3, 3, 1.0f, false, 1.0f, mode, 0, 0);
    }
  }
  const double grid[] = {0, 0, 1e300, -1e300, nan, 4, 8, inf};
  PIX_TransformBlit2(dst.get(), src.get(), -3, -3, 30, 30, grid, 2, 2, 1.0f, 0x100);
  PIX_TransformBlit2(dst.get(), src.get(), 0, 0, INT_MAX, INT_MAX, grid, 2, 2, 1.0f, 0);
  EXPECT_TRUE(dst->MarginsIntact());
}

}  // namespace

// The resampling paths keep their scratch rows per thread: once a thread has drawn at a size,
// drawing again allocates nothing.
TEST(ScaledBlit, RepeatedBlitsAllocateNothing) {
  if (!alloc_hook::Active()) GTEST_SKIP() << "the sanitizers keep their own allocator";
  PIX_MemBitmap src(200, 200), dst(150, 150);
  std::mt19937 rng(9);
  FillRandom(src, rng);
  auto drawAll = [&] {
    PIX_ScaledBlit(&dst, &src, 0, 0, 150, 150, 0, 0, 200, 200, 1.0f, PIX_FLAG_SOURCE_ALPHA);
    PIX_ScaledBlit(&dst, &src, 0, 0, 150, 150, 0, 0, 200, 200, 0.6f, PIX_FILTER_BILINEAR);
    PIX_ScaledBlit(&dst, &src, 0, 0, 50, 50, 0, 0, 200, 200, 1.0f, PIX_FILTER_BILINEAR | PIX_FLAG_SOURCE_ALPHA);
    PIX_RotatedBlit(&dst, &src, 0, 0, 150, 150, 0, 0, 200, 200, 0.5f, false, 1.0f, PIX_FILTER_BILINEAR, 75, 75);
  };
  drawAll();
  const alloc_hook::Counter counter;
  drawAll();
  EXPECT_EQ(counter.Allocations(), 0);
}
