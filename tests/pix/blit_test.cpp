#include <gtest/gtest.h>

#include <cstring>

#include "tests/pix/helpers.h"

namespace {

// The rule an unscaled blit uses for a mode and weight; false when it draws nothing.
bool BlitRule(int mode, int ia, ref::Rule& rule) {
  if (ia == 0) return false;
  if ((mode & 0x100FF) == 0) {
    rule = ia == 256 ? ref::Clobber : ref::Copy;
    return ia > 0;
  }
  if ((mode & 0x100FF) == 0x10000) {
    rule = ia == 256 ? ref::CopySAFull : ref::CopySA;
    return true;
  }
  return ref::BlendRule(mode, rule);
}

// Compares a blit of a random source over a random destination with the reference, area
// (dx, dy) .. (dx + w, dy + h) from source (sx, sy); outside it the destination must not change.
void CheckBlit(int mode, int ia, bool flipSrc, bool flipDst, std::mt19937& rng) {
  const int W = 37, H = 9;  // an odd width reaches the vector loops' tails
  PIX_MemBitmap msrc(W, H), mdst(W + 4, H + 2);
  FlippedBitmap fsrc(W, H), fdst(W + 4, H + 2);
  PIX_IBitmap& src = flipSrc ? static_cast<PIX_IBitmap&>(fsrc) : msrc;
  PIX_IBitmap& dst = flipDst ? static_cast<PIX_IBitmap&>(fdst) : mdst;
  FillRandom(src, rng);
  FillRandom(dst, rng);
  PIX_MemBitmap before(W + 4, H + 2);
  for (int y = 0; y < H + 2; ++y)
    for (int x = 0; x < W + 4; ++x) At(before, x, y) = At(dst, x, y);
  const int dx = 3, dy = 1, sx = 2, sy = 1, w = 33, h = 7;
  PIX_Blit(&dst, &src, dx, dy, sx, sy, w, h, OpacityFor(ia), mode);
  ref::Rule rule = ref::Copy;
  const bool draws = BlitRule(mode, ia, rule);
  for (int y = 0; y < H + 2; ++y) {
    for (int x = 0; x < W + 4; ++x) {
      uint32_t want = At(before, x, y);
      if (draws && x >= dx && x < dx + w && y >= dy && y < dy + h)
        want = ref::Combine(rule, want, ref::Split(At(src, x - dx + sx, y - dy + sy)), ia);
      ASSERT_EQ(At(dst, x, y), want) << "mode " << std::hex << mode << std::dec << " ia " << ia << " at " << x << ","
                                     << y << " simd " << static_cast<int>(pix::kernels::ActiveLevel());
    }
  }
}

const int kModes[] = {0, 1, 2, 3, 4, 5, 0x10000, 0x10001, 0x10002, 0x10003, 0x10004, 0x10005, 0x100, 0x10101, 7, 0x10009};

}  // namespace

TEST(Blit, EveryRuleMatchesTheReferenceAtEveryWeight) {
  std::mt19937 rng(3);
  for (Level simd : SimdLevels()) {
    SimdScope scope(simd);
    for (int mode : kModes)
      for (int ia : ref::Weights())
        for (int rep = 0; rep < 3; ++rep) CheckBlit(mode, ia, false, false, rng);
  }
}

TEST(Blit, FlippedBitmapsAreWalkedFromTheirLastRow) {
  std::mt19937 rng(5);
  for (int mode : {0, 0x10000, 3})
    for (int ia : {128, 255, 256}) {
      CheckBlit(mode, ia, true, false, rng);
      CheckBlit(mode, ia, false, true, rng);
      CheckBlit(mode, ia, true, true, rng);
    }
}

TEST(Blit, NegativeCopyWeightDrawsNothing) {
  std::mt19937 rng(9);
  CheckBlit(0, -64, false, false, rng);
}

TEST(Blit, EveryKernelLevelAgreesWithScalarOnLongRows) {
  std::mt19937 rng(21);
  PIX_MemBitmap src(203, 5), a(203, 5), b(203, 5);
  for (Level level : SimdLevels()) {
    for (int mode : {0, 0x10000}) {
      for (int ia : {1, 77, 128, 200, 255, 256}) {
        FillRandom(src, rng);
        // Runs of opaque and transparent pixels reach the kernels' shortcuts.
        for (int x = 16; x < 48; ++x) At(src, x, 1) |= 0xFF000000u;
        for (int x = 64; x < 96; ++x) At(src, x, 2) &= 0x00FFFFFFu;
        FillRandom(a, rng);
        memcpy(b.getBits(), a.getBits(), 204 * 5 * 4);
        {
          SimdScope scope(level);
          PIX_Blit(&a, &src, 0, 0, nullptr, OpacityFor(ia), mode);
        }
        {
          SimdScope scalar(Level::kScalar);
          PIX_Blit(&b, &src, 0, 0, nullptr, OpacityFor(ia), mode);
        }
        ASSERT_EQ(PIX_BitmapCmp(&a, &b), 0) << "level " << static_cast<int>(level) << " mode " << mode << " ia " << ia;
      }
    }
  }
}

TEST(Blit, ExactOpacitiesUseWholeWordCopies) {
  std::mt19937 rng(13);
  PIX_MemBitmap src(10, 4), dst(10, 4), before(10, 4);
  FillRandom(src, rng);
  FillRandom(dst, rng);
  PIX_Copy(&before, &dst);
  PIX_Blit(&dst, &src, 0, 0, nullptr, 0.5f, PIX_FILTER_BILINEAR);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 10; ++x) ASSERT_EQ(At(dst, x, y), ref::Mix(At(src, x, y), At(before, x, y), 2));
  PIX_Blit(&dst, &src, 0, 0, nullptr, 1.0f, 0);
  EXPECT_EQ(PIX_BitmapCmp(&dst, &src), 0);
}

TEST(Blit, NegativeSourceOriginMovesTheDestination) {
  PIX_MemBitmap src(4, 4), dst(10, 10);
  for (int i = 0; i < 4 * 4; ++i) src.getBits()[i] = 0xFF000000u | static_cast<PIX_pixel>(i + 1);
  PIX_Clear(&dst, 0);
  RECT r = {-3, -1, 2, 4};
  PIX_Blit(&dst, &src, 1, 1, &r, 1.0f, 0);
  // Source column 0 lands at dstx + 3, row 0 at dsty + 1.
  EXPECT_EQ(PIX_GetPixel(&dst, 4, 2), PIX_GetPixel(&src, 0, 0));
  EXPECT_EQ(PIX_GetPixel(&dst, 5, 2), PIX_GetPixel(&src, 1, 0));
  EXPECT_EQ(PIX_GetPixel(&dst, 6, 2), 0u);  // right edge 2 keeps two columns
  EXPECT_EQ(PIX_GetPixel(&dst, 3, 2), 0u);
  EXPECT_EQ(PIX_GetPixel(&dst, 4, 5), PIX_GetPixel(&src, 0, 3));
  EXPECT_EQ(PIX_GetPixel(&dst, 4, 6), 0u);
}

TEST(Blit, NegativeDestinationSkipsSourcePixelsAndClipsToBothBitmaps) {
  PIX_MemBitmap src(6, 6), dst(4, 4);
  for (int i = 0; i < 6 * 8; ++i) src.getBits()[i] = static_cast<PIX_pixel>(i);
  PIX_Clear(&dst, 0xDEADBEEFu);
  PIX_Blit(&dst, &src, -2, -1, nullptr, 1.0f, 0);
  EXPECT_EQ(PIX_GetPixel(&dst, 0, 0), PIX_GetPixel(&src, 2, 1));
  EXPECT_EQ(PIX_GetPixel(&dst, 3, 3), PIX_GetPixel(&src, 5, 4));
  PIX_Clear(&dst, 0xDEADBEEFu);
  PIX_Blit(&dst, &src, 3, 3, nullptr, 1.0f, 0);
  EXPECT_EQ(PIX_GetPixel(&dst, 3, 3), PIX_GetPixel(&src, 0, 0));
  EXPECT_EQ(PIX_GetPixel(&dst, 2, 3), 0xDEADBEEFu);
  // Nothing left after clipping, null bitmaps, zero opacity.
  PIX_Clear(&dst, 1);
  PIX_Blit(&dst, &src, 4, 0, nullptr, 1.0f, 0);
  PIX_Blit(&dst, &src, -6, 0, nullptr, 1.0f, 0);
  PIX_Blit(&dst, &src, 0, 0, 6, 0, 3, 3, 1.0f, 0);
  PIX_Blit(&dst, &src, 0, 0, nullptr, 0.0f, 0);
  PIX_Blit(&dst, nullptr, 0, 0, nullptr, 1.0f, 0);
  PIX_Blit(nullptr, &src, 0, 0, nullptr, 1.0f, 0);
  PIX_MemBitmap empty(0, 0);
  PIX_Blit(&dst, &empty, 0, 0, nullptr, 1.0f, 0);
  PIX_Blit(&empty, &src, 0, 0, nullptr, 1.0f, 0);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) ASSERT_EQ(PIX_GetPixel(&dst, x, y), 1u);
}

TEST(Blit, SelfBlitsAreOverlapSafeInEveryDirection) {
  std::mt19937 rng(17);
  const int shifts[][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}, {2, 3}, {-3, -2}};
  for (auto& sh : shifts) {
    for (float alpha : {1.0f, 0.5f, 0.3f}) {
      PIX_MemBitmap bm(20, 12), copy(20, 12), want(20, 12);
      FillRandom(bm, rng);
      PIX_Copy(&copy, &bm);
      PIX_Copy(&want, &bm);
      PIX_Blit(&want, &copy, sh[0], sh[1], nullptr, alpha, PIX_FLAG_SOURCE_ALPHA * (alpha == 0.3f));
      PIX_Blit(&bm, &bm, sh[0], sh[1], nullptr, alpha, PIX_FLAG_SOURCE_ALPHA * (alpha == 0.3f));
      ASSERT_EQ(PIX_BitmapCmp(&bm, &want), 0) << sh[0] << "," << sh[1] << " alpha " << alpha;
    }
  }
}

TEST(Blit, ChannelCopyMovesOneByte) {
  std::mt19937 rng(19);
  for (int si = 0; si < 4; ++si) {
    for (int di = 0; di < 4; ++di) {
      PIX_MemBitmap src(5, 3), dst(5, 3), before(5, 3);
      FillRandom(src, rng);
      FillRandom(dst, rng);
      PIX_Copy(&before, &dst);
      PIX_Blit(&dst, &src, 0, 0, nullptr, 0.25f, 0xF0 | si | (di << 2) | PIX_FLAG_SOURCE_ALPHA);
      for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
          ref::Px want = ref::Split(At(before, x, y));
          want.c[di] = ref::Split(At(src, x, y)).c[si];
          ASSERT_EQ(At(dst, x, y), ref::Join(want)) << si << " " << di;
        }
    }
  }
}

TEST(Blit, CopyResizesAndDuplicates) {
  std::mt19937 rng(23);
  PIX_MemBitmap src(13, 7), dst(2, 2);
  FillRandom(src, rng);
  PIX_Copy(&dst, &src);
  EXPECT_EQ(dst.getWidth(), 13);
  EXPECT_EQ(dst.getHeight(), 7);
  EXPECT_EQ(PIX_BitmapCmp(&dst, &src), 0);
  PIX_SysBitmap sys(1, 1);
  PIX_Copy(&sys, &src);
  EXPECT_EQ(PIX_BitmapCmp(&sys, &src), 0);
}
