#include <gtest/gtest.h>

#include "tests/pix/helpers.h"

namespace {

const ref::Rule kPlain[] = {ref::Copy, ref::Add, ref::Dodge, ref::Mul, ref::Overlay, ref::HSV};

// What a solid fill (source alpha = the weight) or a single put (the colour's alpha) does to one
// destination pixel.
uint32_t RefSolid(uint32_t d, uint32_t color, int ia, int mode, bool alphaIsWeight) {
  const int m = mode & 0xFF;
  if (ia == 0 || m > 5) return d;
  if (m == 0) {
    if (ia == 64) return ref::Mix(color, d, 1);
    if (ia == 128) return ref::Mix(color, d, 2);
    if (ia == 192) return ref::Mix(color, d, 3);
    if (ia == 256) return color;
    if (ia < 0) return d;
  }
  ref::Px s = ref::Split(color);
  if (alphaIsWeight) s.c[3] = ia;
  return ref::Combine(kPlain[m], d, s, ia);
}

}  // namespace

TEST(FillRect, EveryRuleMatchesTheReferenceAtEveryWeight) {
  std::mt19937 rng(31);
  for (Level simd : SimdLevels()) {
    SimdScope scope(simd);
    for (int mode : {0, 1, 2, 3, 4, 5, 6, 0x100}) {
      for (int ia : ref::Weights()) {
        PIX_MemBitmap bm(23, 6), before(23, 6);
        FillRandom(bm, rng);
        PIX_Copy(&before, &bm);
        const PIX_pixel color = ref::RandomPixel(rng);
        // Exact weights reach the whole-word mixes; the others the per-channel rule.
        const float alpha = (ia == 64 || ia == 128 || ia == 192 || ia == 256) ? ia / 256.0f : OpacityFor(ia);
        PIX_FillRect(&bm, 2, 1, 19, 4, color, alpha, mode);
        for (int y = 0; y < 6; ++y)
          for (int x = 0; x < 23; ++x) {
            const bool inside = x >= 2 && x < 21 && y >= 1 && y < 5;
            const uint32_t want = inside ? RefSolid(At(before, x, y), color, ia, mode, true) : At(before, x, y);
            ASSERT_EQ(At(bm, x, y), want) << "mode " << mode << " ia " << ia << " at " << x << "," << y;
          }
      }
    }
  }
}

TEST(FillRect, QuarterOpacityMixesWholeWordsAndPointThreeUsesWeight76) {
  PIX_MemBitmap bm(2, 1);
  bm.getBits()[0] = 0xFFFFFFFFu;
  bm.getBits()[1] = 0x10203040u;
  PIX_FillRect(&bm, 0, 0, 2, 1, 0x00000000u, 0.25f, 0);
  EXPECT_EQ(bm.getBits()[0], 0xBEBEBEBEu);  // 255/4 + 255/2 per byte, rounded down by the shifts
  EXPECT_EQ(bm.getBits()[1], ref::Mix(0, 0x10203040u, 1));
  bm.getBits()[0] = 0x00000000u;
  PIX_FillRect(&bm, 0, 0, 1, 1, PIX_RGBA(255, 100, 0, 255), 0.3f, 0);
  // Toward the colour by 76/256; the alpha channel moves toward the weight, not the colour alpha.
  EXPECT_EQ(bm.getBits()[0], PIX_RGBA(255 - (255 * 180) / 256, 100 - (100 * 180) / 256, 0, 76 - (76 * 180) / 256));
}

TEST(FillRect, SourceAlphaScalesOpacityAndTransparentColourDrawsNothing) {
  PIX_MemBitmap bm(3, 3), want(3, 3);
  PIX_Clear(&bm, 0x11223344u);
  PIX_FillRect(&bm, 0, 0, 3, 3, 0x00FF00FFu, 1.0f, PIX_FLAG_SOURCE_ALPHA);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(PIX_GetPixel(&bm, i, i), 0x11223344u);
  // Alpha 0x80 at opacity 1.0: weight (int)(128/255 * 256) = 128, the half mix.
  PIX_FillRect(&bm, 0, 0, 3, 3, 0x80FFFFFFu, 1.0f, PIX_FLAG_SOURCE_ALPHA);
  EXPECT_EQ(PIX_GetPixel(&bm, 1, 1), ref::Mix(0x80FFFFFFu, 0x11223344u, 2));
}

TEST(FillRect, ClipsNegativeAndOversizedRectangles) {
  PIX_MemBitmap bm(4, 4);
  PIX_Clear(&bm, 0);
  PIX_FillRect(&bm, -2, -3, 4, 5, 7, 1.0f, 0);
  EXPECT_EQ(PIX_GetPixel(&bm, 0, 0), 7u);
  EXPECT_EQ(PIX_GetPixel(&bm, 1, 1), 7u);
  EXPECT_EQ(PIX_GetPixel(&bm, 2, 0), 0u);
  EXPECT_EQ(PIX_GetPixel(&bm, 0, 2), 0u);
  PIX_FillRect(&bm, 3, 3, 100, 100, 9, 1.0f, 0);
  EXPECT_EQ(PIX_GetPixel(&bm, 3, 3), 9u);
  PIX_FillRect(&bm, 4, 0, 1, 1, 5, 1.0f, 0);
  PIX_FillRect(&bm, 0, 0, 0, 4, 5, 1.0f, 0);
  PIX_FillRect(&bm, 0, 0, 4, 4, 5, 0.0f, 0);
  PIX_FillRect(nullptr, 0, 0, 4, 4, 5, 1.0f, 0);
  EXPECT_EQ(PIX_GetPixel(&bm, 3, 0), 0u);
}

TEST(PutPixel, EveryRuleMatchesTheReference) {
  std::mt19937 rng(37);
  for (int mode : {0, 1, 2, 3, 4, 5, 0x10000, 0x10003, 8}) {
    for (int ia : ref::Weights()) {
      for (int i = 0; i < 200; ++i) {
        PIX_MemBitmap bm(1, 1);
        const uint32_t d = ref::RandomPixel(rng), c = ref::RandomPixel(rng);
        bm.getBits()[0] = d;
        const float alpha = (ia == 64 || ia == 128 || ia == 192 || ia == 256) ? ia / 256.0f : OpacityFor(ia);
        PIX_PutPixel(&bm, 0, 0, c, alpha, mode);
        ASSERT_EQ(bm.getBits()[0], RefSolid(d, c, ia, mode, false)) << "mode " << mode << " ia " << ia;
      }
    }
  }
}

TEST(Pixels, GetAndPutRespectBoundsAndFlippedRows) {
  FlippedBitmap bm(3, 2);
  PIX_Clear(&bm, 0);
  PIX_PutPixel(&bm, 1, 0, 0xAABBCCDDu, 1.0f, 0);
  EXPECT_EQ(bm.getBits()[1 * bm.getRowSpan() + 1], 0xAABBCCDDu);  // logical row 0 is stored last
  EXPECT_EQ(PIX_GetPixel(&bm, 1, 0), 0xAABBCCDDu);
  PIX_PutPixel(&bm, 3, 0, 1, 1.0f, 0);
  PIX_PutPixel(&bm, -1, 0, 1, 1.0f, 0);
  PIX_PutPixel(&bm, 0, 2, 1, 1.0f, 0);
  EXPECT_EQ(PIX_GetPixel(&bm, 3, 0), 0u);
  EXPECT_EQ(PIX_GetPixel(&bm, 0, -1), 0u);
  EXPECT_EQ(PIX_GetPixel(nullptr, 0, 0), 0u);
  PIX_MemBitmap empty;
  EXPECT_EQ(PIX_GetPixel(&empty, 0, 0), 0u);
  int nonzero = 0;
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) nonzero += PIX_GetPixel(&bm, x, y) != 0;
  EXPECT_EQ(nonzero, 1);
}

TEST(Clear, FillsOnlyTheWidthOfEachRow) {
  PIX_MemBitmap bm(5, 2);  // span 8
  for (int i = 0; i < 16; ++i) bm.getBits()[i] = 0x55u;
  PIX_Clear(&bm, 0xFF123456u);
  EXPECT_EQ(bm.getBits()[4], 0xFF123456u);
  EXPECT_EQ(bm.getBits()[5], 0x55u);
  EXPECT_EQ(bm.getBits()[8], 0xFF123456u);
  EXPECT_EQ(bm.getBits()[15], 0x55u);
}

TEST(ClearRect, MasksAndOrsWithinTheClippedArea) {
  PIX_MemBitmap bm(4, 4);
  PIX_Clear(&bm, 0xFF808080u);
  PIX_ClearRect(&bm, -1, 1, 3, 10, 0xFFFFFFu, 0);
  EXPECT_EQ(PIX_GetPixel(&bm, 0, 1), 0x00808080u);
  EXPECT_EQ(PIX_GetPixel(&bm, 1, 3), 0x00808080u);
  EXPECT_EQ(PIX_GetPixel(&bm, 2, 1), 0xFF808080u);
  EXPECT_EQ(PIX_GetPixel(&bm, 0, 0), 0xFF808080u);
  PIX_ClearRect(&bm, 3, 0, 1, 1, 0xFF0000FFu, 0x00110000u);
  EXPECT_EQ(PIX_GetPixel(&bm, 3, 0), 0xFF110080u);
}
