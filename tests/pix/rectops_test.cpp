#include <gtest/gtest.h>

#include "tests/pix/helpers.h"

namespace {

// Reference gradient: channels in 16.16 from the start values plus column and row steps.
uint32_t RefGrad(uint32_t d, int mode, int col, int row, const float* start, const float* dx, const float* dy) {
  const double scale[4] = {255, 255, 255, 256};  // r, g, b, a
  long long v[4];
  for (int i = 0; i < 4; ++i) {
    const long long s = static_cast<long long>(start[i] * scale[i] * 65536.0);
    v[i] = (s + col * static_cast<long long>(dx[i] * scale[i] * 65536.0) +
            row * static_cast<long long>(dy[i] * scale[i] * 65536.0)) >> 16;
  }
  const int weight = static_cast<int>(std::min<long long>(256, std::max<long long>(0, v[3])));
  const ref::Px s{{ref::clamp255(int(v[2])), ref::clamp255(int(v[1])), ref::clamp255(int(v[0])),
                   ref::clamp255(int(v[3]))}};
  const ref::Rule rules[] = {ref::CopyClamp, ref::Add, ref::Dodge, ref::MulClamp, ref::Overlay, ref::HSV};
  if (mode == 0 && start[3] == 1.0f && dx[3] == 0 && dy[3] == 0) return ref::Combine(ref::ClobberClamp, d, s, weight);
  return ref::Combine(rules[mode], d, s, weight);
}

}  // namespace

TEST(GradRect, StepsChannelsAndUsesTheClampingRules) {
  std::mt19937 rng(41);
  // Alpha translucent and stepping; opaque and held, which the copy rule draws as an overwrite;
  // opaque and stepping, which it must not. Every variant steps the colours.
  const float start[3][4] = {{0.25f, 1.0f, 0.0f, 0.75f}, {0.5f, 0.5f, 0.5f, 1.0f}, {0.5f, 0.5f, 0.5f, 1.0f}};
  const float dx[3][4] = {{0.125f, -0.0625f, 0.03125f, 0.015625f},  //
                          {0.125f, -0.0625f, 0.03125f, 0.0f},
                          {0.125f, -0.0625f, 0.03125f, -0.0625f}};
  const float dy[3][4] = {{-0.0625f, 0.0f, 0.25f, 0.0625f},  //
                          {-0.0625f, 0.0f, 0.25f, 0.0f},
                          {-0.0625f, 0.0f, 0.25f, -0.03125f}};
  for (int mode = 0; mode <= 5; ++mode) {
    for (int variant = 0; variant < 3; ++variant) {
      const float *st = start[variant], *ddx = dx[variant], *ddy = dy[variant];
      PIX_MemBitmap bm(12, 8), before(12, 8);
      FillRandom(bm, rng);
      PIX_Copy(&before, &bm);
      // Starts outside the bitmap: the clipped part keeps its place in the gradient.
      PIX_GradRect(&bm, -2, -1, 13, 8, st[0], st[1], st[2], st[3], ddx[0], ddx[1], ddx[2], ddx[3], ddy[0], ddy[1],
                   ddy[2], ddy[3], mode);
      for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 12; ++x) {
          const bool inside = x < 11 && y < 7;
          const uint32_t want = inside ? RefGrad(At(before, x, y), mode, x + 2, y + 1, st, ddx, ddy) : At(before, x, y);
          ASSERT_EQ(At(bm, x, y), want) << "mode " << mode << " variant " << variant << " at " << x << "," << y;
        }
    }
  }
}

TEST(MultiplyAddRect, ScalesAndOffsetsEachChannelWithClamping) {
  PIX_MemBitmap bm(3, 2);
  PIX_Clear(&bm, PIX_RGBA(100, 200, 50, 128));
  PIX_MultiplyAddRect(&bm, 1, 0, 5, 1, 2.0f, 0.5f, 1.0f, -1.0f, 0.0f, 0.0f, 0.25f, 300.0f);
  EXPECT_EQ(PIX_GetPixel(&bm, 0, 0), PIX_RGBA(100, 200, 50, 128));
  // red 2 * 100, green 200 / 2, blue (64 + 256 * 50) >> 8, alpha (76800 - 256 * 128) >> 8.
  EXPECT_EQ(PIX_GetPixel(&bm, 1, 0), PIX_RGBA(200, 100, 50, 172));
  PIX_Clear(&bm, PIX_RGBA(200, 10, 3, 0));
  PIX_MultiplyAddRect(&bm, 0, 0, 3, 2, 1.5f, -2.0f, 0.33f, 1.0f, 0.0f, 10.0f, 0.0f, -0.5f);
  // 1.5 -> 384: 200*384>>8 = 300 -> 255; green (2560 - 512*10)>>8 < 0 -> 0; blue (int)(0.33*256) = 84.
  EXPECT_EQ(PIX_GetPixel(&bm, 2, 1), PIX_RGBA(255, 0, (84 * 3) >> 8, 0));
}

TEST(ProcessRect, CallsOncePerClippedPixel) {
  PIX_MemBitmap bm(5, 5);
  PIX_Clear(&bm, 0);
  int calls = 0;
  struct P {
    static void Bump(PIX_pixel* p, void* parm) {
      *p += 1;
      ++*static_cast<int*>(parm);
    }
  };
  PIX_ProcessRect(&bm, 3, -1, 4, 3, P::Bump, &calls);
  EXPECT_EQ(calls, 4);  // columns 3..4, rows 0..1
  EXPECT_EQ(PIX_GetPixel(&bm, 4, 1), 1u);
  EXPECT_EQ(PIX_GetPixel(&bm, 2, 1), 0u);
  PIX_ProcessRect(&bm, 0, 0, 5, 5, nullptr, &calls);
  EXPECT_EQ(calls, 4);
}

TEST(SetAlphaFromColorMask, KeyColourBecomesTransparentOthersOpaque) {
  PIX_MemBitmap bm(3, 1);
  bm.getBits()[0] = 0x12FF00FFu;
  bm.getBits()[1] = 0x00FF00FEu;
  bm.getBits()[2] = 0x00FF00FFu;
  PIX_SetAlphaFromColorMask(&bm, 0xABFF00FFu);
  EXPECT_EQ(bm.getBits()[0], 0x00FF00FFu);
  EXPECT_EQ(bm.getBits()[1], 0xFFFF00FEu);
  EXPECT_EQ(bm.getBits()[2], 0x00FF00FFu);
}

TEST(SimpleFill, FillsConnectedRunsDownThenUp) {
  // 0 = background, 1 = wall. Column 2 is open from row 0 to row 4.
  const char* rows[] = {
      "00000",
      "01011",
      "00000",
      "11010",
      "00000",
  };
  PIX_MemBitmap bm(5, 5);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x) At(bm, x, y) = rows[y][x] == '1' ? 0xFF000001u : 0xFF000000u;
  PIX_SimpleFill(&bm, 2, 2, 0x00AA0000u, 0xFFFFFFFFu, 0xFF000000u);
  const PIX_pixel F = 0xFFAA0000u, B = 0xFF000000u, W = 0xFF000001u;
  // Every row's run through column 2 is filled; the run left of a wall in row 1 is not.
  const PIX_pixel want[5][5] = {
      {F, F, F, F, F}, {B, W, F, W, W}, {F, F, F, F, F}, {W, W, F, W, B}, {F, F, F, F, F},
  };
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x) ASSERT_EQ(At(bm, x, y), want[y][x]) << x << "," << y;
  // The walk stops at the first row whose column x does not match.
  PIX_Clear(&bm, 0);
  At(bm, 2, 1) = 5;
  At(bm, 2, 3) = 5;
  PIX_SimpleFill(&bm, 2, 2, 9);
  EXPECT_EQ(At(bm, 0, 2), 9u);
  EXPECT_EQ(At(bm, 0, 1), 0u);
  EXPECT_EQ(At(bm, 0, 3), 0u);
  PIX_SimpleFill(&bm, 7, 2, 9);  // outside: nothing
}

namespace {

uint32_t Term(uint32_t p, int div) {
  ref::Px a = ref::Split(p);
  for (int i = 0; i < 4; ++i) a.c[i] /= div;
  return ref::Join(a);
}

// Five-point blur of the w x h area at (sx, sy), written by neighbour counting.
void RefBlur(PIX_IBitmap& src, int sx, int sy, int w, int h, std::vector<uint32_t>& out) {
  out.assign(static_cast<size_t>(w) * h, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      auto P = [&](int i, int j) { return At(src, sx + i, sy + j); };
      uint32_t v = Term(P(x, y), 2);
      if (x == 0) v += Term(P(1, y), 4);
      else if (x == w - 1) v += Term(P(x - 1, y), 4);
      else v += Term(P(x - 1, y), 8) + Term(P(x + 1, y), 8);
      if (y == 0) v += Term(P(x, 1), 4);
      else if (y == h - 1) v += Term(P(x, y - 1), 4);
      else v += Term(P(x, y - 1), 8) + Term(P(x, y + 1), 8);
      out[static_cast<size_t>(y) * w + x] = v;
    }
}

}  // namespace

TEST(Blur, MatchesFivePointReferenceIntoAnotherBitmapAndInPlace) {
  std::mt19937 rng(43);
  for (int width : {2, 9, 1100}) {
    PIX_MemBitmap src(width + 3, 7), dst(width + 3, 7), self(width + 3, 7);
    FillRandom(src, rng);
    FillRandom(dst, rng);
    PIX_Copy(&self, &src);
    std::vector<uint32_t> want;
    RefBlur(src, 1, 2, width, 4, want);
    PIX_Blur(&dst, &src, 2, 1, 1, 2, width, 4);
    PIX_Blur(&self, &self, 1, 2, 1, 2, width, 4);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < width; ++x) {
        ASSERT_EQ(At(dst, x + 2, y + 1), want[y * width + x]) << width << " " << x << "," << y;
        ASSERT_EQ(At(self, x + 1, y + 2), want[y * width + x]) << width << " in place " << x << "," << y;
      }
    // Pixels outside the area stay as they were.
    EXPECT_EQ(At(self, 0, 0), At(src, 0, 0));
    EXPECT_EQ(At(self, width + 1, 6), At(src, width + 1, 6));
  }
}

TEST(Blur, ShiftedOntoItselfReadsTheUnblurredSource) {
  std::mt19937 rng(47);
  PIX_MemBitmap bm(10, 10), copy(10, 10);
  FillRandom(bm, rng);
  PIX_Copy(&copy, &bm);
  std::vector<uint32_t> want;
  RefBlur(copy, 0, 0, 8, 8, want);
  PIX_Blur(&bm, &bm, 1, 1, 0, 0, 8, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) ASSERT_EQ(At(bm, x + 1, y + 1), want[y * 8 + x]);
}

TEST(Blur, AreasNarrowerThanTwoAreLeftAlone) {
  std::mt19937 rng(53);
  PIX_MemBitmap bm(6, 6), before(6, 6);
  FillRandom(bm, rng);
  PIX_Copy(&before, &bm);
  PIX_Blur(&bm, &bm, 0, 0, 0, 0, 1, 6);
  PIX_Blur(&bm, &bm, 0, 0, 0, 0, 6, 1);
  PIX_Blur(&bm, &bm, 5, 0, 0, 0, 6, 6);  // clipped to one column
  EXPECT_EQ(PIX_BitmapCmp(&bm, &before), 0);
}

TEST(HalveBlitAA, AveragesTwoByTwoBlocks) {
  std::mt19937 rng(59);
  PIX_MemBitmap src(9, 6), dst(3, 5);
  FillRandom(src, rng);
  PIX_Clear(&dst, 0x01010101u);
  PIX_HalveBlitAA(&dst, &src);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 3; ++x) {
      const uint32_t want = y < 3 ? Term(At(src, 2 * x, 2 * y), 4) + Term(At(src, 2 * x + 1, 2 * y), 4) +
                                        Term(At(src, 2 * x, 2 * y + 1), 4) + Term(At(src, 2 * x + 1, 2 * y + 1), 4)
                                  : 0x01010101u;
      ASSERT_EQ(At(dst, x, y), want) << x << "," << y;
    }
}

TEST(BitmapCmp, NullsSizesAndDifferenceRectangle) {
  PIX_MemBitmap a(6, 4), b(6, 4), c(5, 4), d(6, 2);
  PIX_Clear(&a, 0x11111111u);
  PIX_Clear(&b, 0x11111111u);
  EXPECT_EQ(PIX_BitmapCmp(nullptr, nullptr), 0);
  EXPECT_EQ(PIX_BitmapCmp(nullptr, &a), -1);
  EXPECT_EQ(PIX_BitmapCmp(&a, nullptr), 1);
  EXPECT_EQ(PIX_BitmapCmp(&a, &c), -1);  // width(b) - width(a)
  EXPECT_EQ(PIX_BitmapCmp(&a, &d), -2);
  int rc[4] = {9, 9, 9, 9};
  EXPECT_EQ(PIX_BitmapCmp(&a, &b, rc), 0);
  EXPECT_EQ(rc[0] | rc[1] | rc[2] | rc[3], 0);
  PIX_PutPixel(&b, 1, 2, 0x11111112u, 1.0f, 0);
  PIX_PutPixel(&b, 4, 1, 0x21111111u, 1.0f, 0);
  EXPECT_NE(PIX_BitmapCmp(&a, &b), 0);
  EXPECT_EQ(PIX_BitmapCmp(&a, &b, rc), 1);
  EXPECT_EQ(rc[0], 1);
  EXPECT_EQ(rc[1], 1);
  EXPECT_EQ(rc[2], 4);
  EXPECT_EQ(rc[3], 2);
  // Under a mask that hides both differences they compare equal.
  EXPECT_EQ(PIX_BitmapCmpEx(&a, &b, 0x0FFFFFF0u, rc), 0);
  EXPECT_EQ(PIX_BitmapCmpEx(&a, &b, 0x0FFFFFFFu, rc), 1);
  EXPECT_EQ(rc[0], 1);
  EXPECT_EQ(rc[2], 1);
}
