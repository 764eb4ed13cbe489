#include <gtest/gtest.h>

#include "tests/pix/geom_reference.h"

TEST(Glyph, CoverageImagesBlendThroughEveryRule) {
  for (Level level : SimdLevels()) {
  SimdScope scope(level);
  std::mt19937 rng(41);
  for (int i = 0; i < 300; ++i) {
    const int iw = 1 + rng() % 20, ih = 1 + rng() % 9, x = (int)(rng() % 30) - 8, y = (int)(rng() % 20) - 6;
    const bool bottomUp = i % 3 == 0, mono = i % 5 == 0;
    const int span = mono ? (iw + 7) / 8 + (int)(rng() % 2) : iw + (int)(rng() % 3);
    std::vector<unsigned char> img(span * ih);
    for (auto& v : img) v = rng() % 3 == 0 ? 0 : rng();
    const int mode = rng() % 7;
    const int ia = ref::Weights()[rng() % ref::Weights().size()];
    const float alpha = OpacityFor(ia);
    PIX_MemBitmap got(32, 16), want(32, 16);
    FillRandom(got, rng);
    PIX_Copy(&want, &got);
    const uint32_t c = ref::RandomPixel(rng);
    if (mono) PIX_DrawMonoGlyph(&got, x, y, c, img.data(), iw, span, ih, alpha, mode);
    else if (bottomUp) PIX_DrawGlyphEx(&got, x, y, c, img.data(), iw, -span, ih, alpha, mode);
    else PIX_DrawGlyphEx(&got, x, y, c, img.data(), iw, span, ih, alpha, mode);
    for (int r = 0; r < ih; ++r)
      for (int k = 0; k < iw; ++k) {
        if (x + k < 0 || x + k >= 32 || y + r < 0 || y + r >= 16 || mode > 5 || (mode == 0 && ia <= 0)) continue;
        const int row = bottomUp && !mono ? ih - 1 - r : r;
        const int cov = mono ? ((img[row * span + k / 8] >> (7 - k % 8)) & 1) * 255 : img[row * span + k];
        uint32_t& d = At(want, x + k, y + r);
        if (cov) d = ref::Apply(d, c, cov * ia / 256, mode);
      }
    for (int yy = 0; yy < 16; ++yy)
      for (int xx = 0; xx < 32; ++xx)
        ASSERT_EQ(At(got, xx, yy), At(want, xx, yy))
            << "level " << static_cast<int>(level) << " case " << i << " at " << xx << "," << yy;
  }
  }
}

TEST(Glyph, FlippedBitmapsShowTheSameImage) {
  std::mt19937 rng(42);
  std::vector<unsigned char> img(7 * 5);
  for (auto& v : img) v = rng();
  PIX_MemBitmap plain(10, 8);
  FlippedBitmap flipped(10, 8);
  PIX_Clear(&plain, 0xFF000000u);
  PIX_Clear(&flipped, 0xFF000000u);
  PIX_DrawGlyph(&plain, 2, -1, 0xFFFFFFFFu, img.data(), 7, 5, 0.8f, 0);
  PIX_DrawGlyph(&flipped, 2, -1, 0xFFFFFFFFu, img.data(), 7, 5, 0.8f, 0);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 10; ++x) ASSERT_EQ(At(plain, x, y), At(flipped, x, y));
}
