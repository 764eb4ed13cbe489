#include <gtest/gtest.h>

#include "tests/pix/helpers.h"

namespace {

using ref::Rule;

// The rule the one-pixel functions pick for a mode and weight; false when they leave dest.
bool FreeRule(int mode, int ia, bool clamped, Rule& rule) {
  if ((mode & 0x100FF) == 0) {
    rule = ia == 256 ? (clamped ? ref::ClobberClamp : ref::Clobber) : (clamped ? ref::CopyClamp : ref::Copy);
    return true;
  }
  if ((mode & 0x100FF) == 0x10000) {
    rule = ia == 256 ? ref::CopySAFull : ref::CopySA;
    return true;
  }
  if (!ref::BlendRule(mode, rule)) return false;
  if (clamped && rule == ref::Mul) rule = ref::MulClamp;
  return true;
}

uint32_t RefFree(uint32_t d, const ref::Px& s, int ia, int mode, bool clamped) {
  Rule rule = ref::Copy;
  if (ia == 0 || !FreeRule(mode, ia, clamped, rule)) return d;
  if (clamped && rule == ref::MulSA) {
    if (s.c[3] == 0) return d;
    return ref::Combine(ref::MulClamp, d, s, (ia * (s.c[3] + 1)) / 256);
  }
  return ref::Combine(rule, d, s, ia);
}

const int kModes[] = {0, 1, 2, 3, 4, 5, 0x10000, 0x10001, 0x10002, 0x10003, 0x10004, 0x10005, 6, 0x100, 0x10006};

}  // namespace

TEST(CombineFree, EveryRuleMatchesTheReferenceAtEveryWeight) {
  std::mt19937 rng(7);
  for (int mode : kModes) {
    for (int ia : ref::Weights()) {
      for (int i = 0; i < 400; ++i) {
        const uint32_t d = ref::RandomPixel(rng), s = ref::RandomPixel(rng);
        const ref::Px sp = ref::Split(s);
        const uint32_t want = RefFree(d, sp, ia, mode, false);
        // Filter bits play no part in choosing the rule.
        ASSERT_EQ(PIX_CombinePixels(d, s, ia / 256.0f, mode), want) << "mode " << mode << " ia " << ia;
        PIX_pixel p = d;
        PIX_CombinePixels2(&p, sp.c[2], sp.c[1], sp.c[0], sp.c[3], ia, mode);
        ASSERT_EQ(p, want) << "mode " << mode << " ia " << ia;
      }
    }
  }
}

TEST(CombineFree, ClampVariantClampsSourcesAndResults) {
  std::mt19937 rng(11);
  std::uniform_int_distribution<int> wide(-60, 320);
  for (int mode : kModes) {
    for (int ia : ref::Weights()) {
      for (int i = 0; i < 300; ++i) {
        const uint32_t d = ref::RandomPixel(rng);
        const int r = wide(rng), g = wide(rng), b = wide(rng), a = wide(rng);
        const ref::Px s{{ref::clamp255(b), ref::clamp255(g), ref::clamp255(r), ref::clamp255(a)}};
        PIX_pixel p = d;
        PIX_CombinePixels2Clamp(&p, r, g, b, a, ia, mode);
        ASSERT_EQ(p, RefFree(d, s, ia, mode, true)) << "mode " << mode << " ia " << ia;
      }
    }
  }
}

TEST(CombineFree, CopyAtHalfWeightTruncatesTowardZero) {
  const PIX_pixel out = PIX_CombinePixels(0, PIX_RGBA(200, 100, 0, 255), 0.5f, PIX_COMBINE_COPY);
  EXPECT_EQ(PIX_GETR(out), 100);
  EXPECT_EQ(PIX_GETG(out), 50);
  EXPECT_EQ(PIX_GETB(out), 0);
  EXPECT_EQ(PIX_GETA(out), 128);
}

TEST(CombineFree, AddSaturatesAndDodgeAtFullSource) {
  EXPECT_EQ(PIX_CombinePixels(PIX_RGBA(250, 10, 200, 255), PIX_RGBA(100, 10, 255, 255), 1.0f, PIX_COMBINE_ADD),
            PIX_RGBA(255, 20, 255, 255));
  EXPECT_EQ(PIX_CombinePixels(PIX_RGBA(1, 0, 128, 0), PIX_RGBA(255, 255, 255, 255), 1.0f, PIX_COMBINE_DODGE),
            PIX_RGBA(255, 0, 255, 0));
}

TEST(CombineFree, MultiplyByWhiteLosesOneStepAtTheTop) {
  EXPECT_EQ(PIX_CombinePixels(PIX_RGBA(255, 128, 0, 255), 0xFFFFFFFFu, 1.0f, PIX_COMBINE_MULTIPLY),
            PIX_RGBA(254, 127, 0, 254));
}

TEST(CombineFree, NeutralHsvAppliesNoOffsetButTakesSourceAlpha) {
  // With every offset at its centre the weight makes no difference; only the round trip through
  // hue, saturation and value remains, and the alpha becomes the source's.
  std::mt19937 rng(5);
  for (int i = 0; i < 500; ++i) {
    const PIX_pixel d = ref::RandomPixel(rng);
    const PIX_pixel full = PIX_CombinePixels(d, PIX_RGBA(128, 128, 128, 17), 1.0f, PIX_COMBINE_HSVADJUST);
    EXPECT_EQ(PIX_GETA(full), 17);
    for (float w : {0.01f, 0.5f, 2.0f})
      ASSERT_EQ(PIX_CombinePixels(d, PIX_RGBA(128, 128, 128, 17), w, PIX_COMBINE_HSVADJUST), full);
  }
  // Grey stays grey and keeps its level; a value offset brightens it.
  EXPECT_EQ(PIX_CombinePixels(PIX_RGBA(100, 100, 100, 0), PIX_RGBA(128, 128, 128, 9), 1.0f, PIX_COMBINE_HSVADJUST),
            PIX_RGBA(100, 100, 100, 9));
  EXPECT_EQ(PIX_CombinePixels(PIX_RGBA(100, 100, 100, 0), PIX_RGBA(128, 128, 160, 9), 1.0f, PIX_COMBINE_HSVADJUST),
            PIX_RGBA(164, 164, 164, 9));
}

TEST(CombineFree, TransparentSourceNeverTouchesDestinationInSourceAlphaCopy) {
  for (int ia : ref::Weights()) {
    PIX_pixel p = 0x12345678u;
    PIX_CombinePixels2(&p, 255, 255, 255, 0, ia, PIX_FLAG_SOURCE_ALPHA);
    EXPECT_EQ(p, 0x12345678u) << ia;
  }
}

TEST(CombineFree, ZeroWeightAndUnknownModesLeaveDest) {
  EXPECT_EQ(PIX_CombinePixels(0x11223344u, 0xFFFFFFFFu, 0.0f, 0), 0x11223344u);
  EXPECT_EQ(PIX_CombinePixels(0x11223344u, 0xFFFFFFFFu, 0.003f, 0), 0x11223344u);  // weight 0
  EXPECT_EQ(PIX_CombinePixels(0x11223344u, 0xFFFFFFFFu, 1.0f, 9), 0x11223344u);
  EXPECT_EQ(PIX_CombinePixels(0x11223344u, 0xFFFFFFFFu, 1.0f, 0xF0), 0x11223344u);
  EXPECT_EQ(PIX_CombinePixels(0x11223344u, 0xAABBCCDDu, 1.0f, 0), 0xAABBCCDDu);
}

TEST(CombineFree, HugeOpacitiesSaturateInsteadOfOverflowing) {
  EXPECT_EQ(PIX_Weight(1e30f), PIX_WEIGHT_LIMIT);
  EXPECT_EQ(PIX_Weight(-1e30f), -PIX_WEIGHT_LIMIT);
  EXPECT_EQ(PIX_Weight(0.3f), 76);
  // Integer weights beyond the limit act as the limit (the sanitizer build checks for overflow).
  for (int mode : kModes) {
    PIX_pixel p = 0x80FF0080u, q = p;
    PIX_CombinePixels2(&p, 255, 0, 128, 200, 1 << 30, mode);
    PIX_CombinePixels2(&q, 255, 0, 128, 200, PIX_WEIGHT_LIMIT, mode);
    EXPECT_EQ(p, q) << mode;
    PIX_CombinePixels2Clamp(&p, 255, 0, 128, 200, -(1 << 30), mode);
    PIX_CombinePixels2Clamp(&q, 255, 0, 128, 200, -PIX_WEIGHT_LIMIT, mode);
    EXPECT_EQ(p, q) << mode;
  }
}
