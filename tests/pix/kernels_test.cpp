#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "pix/kernels/avx2.h"
#include "pix/kernels/kernels.h"
#include "pix/kernels/sse2.h"

namespace {

using Row = std::vector<uint32_t>;
namespace k = pix::kernels;

const int kWeights[] = {-300, -1, 0, 1, 2, 63, 64, 127, 128, 129, 200, 255, 256, 257, 1000, 32512};
const char* const kLevelNames[] = {"SSE2", "AVX2"};

int LevelCount() { return __builtin_cpu_supports("avx2") ? 2 : 1; }

// Channels are 0, 255 or anything, a quarter of the time each of the first two.
uint32_t RandomPixel(std::mt19937& rng) {
  uint32_t p = 0;
  for (int b = 0; b < 4; ++b) {
    const uint32_t r = rng();
    const uint32_t c = (r & 3) == 0 ? 0 : (r & 3) == 1 ? 255 : (r >> 8) & 0xFF;
    p |= c << (8 * b);
  }
  return p;
}

// n pixels at random offsets into rows with guard pixels, so misaligned starts and stray
// writes past either end show.
struct Rows {
  Row d, s;
  int od, os, n;
};

Rows MakeRows(std::mt19937& rng, int n) {
  Rows r{Row(n + 16), Row(n + 16), static_cast<int>(rng() % 8), static_cast<int>(rng() % 8), n};
  for (auto& p : r.d) p = RandomPixel(rng);
  for (auto& p : r.s) p = RandomPixel(rng);
  return r;
}

template <class Fn> Row Apply(const Rows& r, Fn fn) {
  Row d = r.d;
  fn(d.data() + r.od, r.s.data() + r.os, r.n);
  return d;
}

// A kernel, its scalar reference and its SSE2 and AVX2 versions.
template <class Fn> struct Case {
  const char* name;
  Fn scalar, level[2];
};
#define PIX_LEVELS(name) { pix::sse2::name, pix::avx2::name }

const Case<k::BlendRow> kBlends[] = {
    {"add", pix::scalar::BlendRow<k::kAdd>, PIX_LEVELS(AddRow)},
    {"add source alpha", pix::scalar::BlendRow<k::kAddSourceAlpha>, PIX_LEVELS(AddSourceAlphaRow)},
    {"dodge", pix::scalar::BlendRow<k::kDodge>, PIX_LEVELS(DodgeRow)},
    {"dodge source alpha", pix::scalar::BlendRow<k::kDodgeSourceAlpha>, PIX_LEVELS(DodgeSourceAlphaRow)},
    {"multiply", pix::scalar::BlendRow<k::kMultiply>, PIX_LEVELS(MultiplyRow)},
    {"multiply source alpha", pix::scalar::BlendRow<k::kMultiplySourceAlpha>, PIX_LEVELS(MultiplySourceAlphaRow)},
    {"overlay", pix::scalar::BlendRow<k::kOverlay>, PIX_LEVELS(OverlayRow)},
    {"overlay source alpha", pix::scalar::BlendRow<k::kOverlaySourceAlpha>, PIX_LEVELS(OverlaySourceAlphaRow)},
};

const Case<k::SolidRow> kSolids[] = {
    {"add", pix::scalar::SolidRow<k::kAdd>, PIX_LEVELS(AddSolidRow)},
    {"dodge", pix::scalar::SolidRow<k::kDodge>, PIX_LEVELS(DodgeSolidRow)},
    {"multiply", pix::scalar::SolidRow<k::kMultiply>, PIX_LEVELS(MultiplySolidRow)},
    {"overlay", pix::scalar::SolidRow<k::kOverlay>, PIX_LEVELS(OverlaySolidRow)},
};

const Case<k::WordRow> kWords[] = {
    {"quarter mix", pix::scalar::QuarterMixRow, PIX_LEVELS(QuarterMixRow)},
    {"half mix", pix::scalar::HalfMixSolidRow, PIX_LEVELS(HalfMixSolidRow)},
    {"three-quarter mix", pix::scalar::ThreeQuarterMixRow, PIX_LEVELS(ThreeQuarterMixRow)},
};
const k::ChannelRow kChannelCopy[] = PIX_LEVELS(ChannelCopyRow);

}  // namespace

TEST(RuleKernels, BlendRowsGiveTheScalarBytes) {
  std::mt19937 rng(1);
  for (const Case<k::BlendRow>& c : kBlends) {
    for (int w : kWeights) {
      for (int n = 0; n <= 40; ++n) {
        const Rows r = MakeRows(rng, n);
        const Row want = Apply(r, [&](uint32_t* d, const uint32_t* s, int m) { c.scalar(d, s, m, w); });
        for (int l = 0; l < LevelCount(); ++l)
          ASSERT_EQ(Apply(r, [&](uint32_t* d, const uint32_t* s, int m) { c.level[l](d, s, m, w); }), want)
              << c.name << " " << kLevelNames[l] << " weight " << w << " n " << n;
      }
    }
  }
}

TEST(RuleKernels, SolidWordAndChannelRowsGiveTheScalarBytes) {
  std::mt19937 rng(2);
  for (int n = 0; n <= 40; ++n) {
    const Rows r = MakeRows(rng, n);
    const uint32_t colour = r.s[0];
    for (const Case<k::SolidRow>& c : kSolids) {
      for (int w : kWeights) {
        const Row want = Apply(r, [&](uint32_t* d, const uint32_t*, int m) { c.scalar(d, m, colour, w); });
        for (int l = 0; l < LevelCount(); ++l)
          ASSERT_EQ(Apply(r, [&](uint32_t* d, const uint32_t*, int m) { c.level[l](d, m, colour, w); }), want)
              << c.name << " " << kLevelNames[l] << " weight " << w << " n " << n;
      }
    }
    for (const Case<k::WordRow>& c : kWords) {
      const Row want = Apply(r, [&](uint32_t* d, const uint32_t*, int m) { c.scalar(d, m, colour); });
      for (int l = 0; l < LevelCount(); ++l)
        ASSERT_EQ(Apply(r, [&](uint32_t* d, const uint32_t*, int m) { c.level[l](d, m, colour); }), want)
            << c.name << " " << kLevelNames[l] << " n " << n;
    }
    for (int from = 0; from < 4; ++from) {
      for (int to = 0; to < 4; ++to) {
        const Row want = Apply(r, [&](uint32_t* d, const uint32_t* s, int m) {
          pix::scalar::ChannelCopyRow(d, s, m, from, to);
        });
        for (int l = 0; l < LevelCount(); ++l)
          ASSERT_EQ(Apply(r, [&](uint32_t* d, const uint32_t* s, int m) { kChannelCopy[l](d, s, m, from, to); }), want)
              << "channel copy " << kLevelNames[l] << " byte " << from << " to " << to << " n " << n;
      }
    }
  }
}

// The division and the signed overlay steps are checked on every (d, s) at every covered
// weight, the source-alpha weight on every (weight, source alpha).
TEST(RuleKernels, DodgeAndOverlayAreExactEverywhere) {
  // Four (d, s) pairs per pixel, one per channel: all 65536 in 16384 pixels.
  Rows pairs{Row(16384), Row(16384), 0, 0, 16384};
  for (uint32_t p = 0; p < 65536; ++p) {
    pairs.d[p / 4] |= (p & 0xFF) << (8 * (p % 4));
    pairs.s[p / 4] |= (p >> 8) << (8 * (p % 4));
  }
  // Every d in 64 pixels, for a colour of four equal channels.
  Rows solid{Row(64), Row(64), 0, 0, 64};
  for (uint32_t p = 0; p < 256; ++p) solid.d[p / 4] |= p << (8 * (p % 4));
  // Every source alpha, with random colour channels.
  std::mt19937 rng(4);
  Rows alphas = MakeRows(rng, 256);
  alphas.os = 0;
  for (uint32_t a = 0; a < 256; ++a) alphas.s[a] = (alphas.s[a] & 0xFFFFFF) | a << 24;

  const Case<k::BlendRow>* const plain[] = {&kBlends[2], &kBlends[6]};
  const Case<k::BlendRow>* const sourceAlpha[] = {&kBlends[1], &kBlends[3], &kBlends[5], &kBlends[7]};
  const Case<k::SolidRow>* const solids[] = {&kSolids[1], &kSolids[3]};
  for (int w = 1; w <= 256; ++w) {
    for (int l = 0; l < LevelCount(); ++l) {
      for (const Case<k::BlendRow>* c : plain)
        ASSERT_EQ(Apply(pairs, [&](uint32_t* d, const uint32_t* s, int m) { c->level[l](d, s, m, w); }),
                  Apply(pairs, [&](uint32_t* d, const uint32_t* s, int m) { c->scalar(d, s, m, w); }))
            << c->name << " " << kLevelNames[l] << " weight " << w;
      for (const Case<k::BlendRow>* c : sourceAlpha)
        ASSERT_EQ(Apply(alphas, [&](uint32_t* d, const uint32_t* s, int m) { c->level[l](d, s, m, w); }),
                  Apply(alphas, [&](uint32_t* d, const uint32_t* s, int m) { c->scalar(d, s, m, w); }))
            << c->name << " " << kLevelNames[l] << " weight " << w;
      for (const Case<k::SolidRow>* c : solids) {
        for (uint32_t v = 0; v < 256; ++v) {
          const uint32_t colour = v * 0x01010101u;
          ASSERT_EQ(Apply(solid, [&](uint32_t* d, const uint32_t*, int m) { c->level[l](d, m, colour, w); }),
                    Apply(solid, [&](uint32_t* d, const uint32_t*, int m) { c->scalar(d, m, colour, w); }))
              << c->name << " solid " << kLevelNames[l] << " weight " << w << " source " << v;
        }
      }
    }
  }
}
