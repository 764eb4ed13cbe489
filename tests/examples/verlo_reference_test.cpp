// The block-wise processing against a frame-by-frame reference that follows the processing
// steps literally: coefficients and the bypass switch re-read on every frame.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "examples/Verlo/Verlo.h"
#include "tests/effect/offline_host.h"

namespace {
struct Reference {
  double a = 1.0, b = 0.0, z = 0.0, phase = 0.0;
  double fade = 5.0, chop = 0.22, dry = 0.0, gain = 1.0, bypass = 0.0;

  void Process(const double* inL, const double* inR, double* outL, double* outR, int n,
               double sr) {
    phase = phase + n / sr;
    const double p = chop + (-0.1);
    while (phase >= chop) phase = phase - p;
    double g;
    if (phase >= p)
      g = static_cast<double>(static_cast<float>(dry));
    else
      g = 1.0;
    if (n <= 0) return;
    for (int i = 0; i < n; ++i) {
      b = std::exp((fade / sr) * (-6.283185307179586));
      a = 1.0 - b;
      const int by = static_cast<int>(bypass);
      if (by == 1) {
        outL[i] = inL[i];
        outR[i] = inR[i];
      } else if (by == 0) {
        z = b * z + a * g;
        outL[i] = (inL[i] * z) * gain;
        z = b * z + a * g;
        outR[i] = (inR[i] * z) * gain;
      }
    }
  }
};

bool SameBits(double x, double y) { return memcmp(&x, &y, sizeof x) == 0; }
}  // namespace

TEST(VerloReference, BlockWiseProcessingMatchesTheFrameByFrameStepsBitForBit) {
  std::mt19937 rng(1234);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (double sr : {44100.0, 48000.0, 96000.0, 22050.0}) {
    OfflineHost<Verlo> effect;
    effect.Prepare(sr, 2048, 2, 2);
    Reference ref;
    std::vector<double> inL(2048), inR(2048), outL(2048), outR(2048), refL(2048), refR(2048);
    for (int block = 0; block < 400; ++block) {
      if (block % 7 == 0) {
        // Change parameters between blocks as a host would, through normalised values.
        for (int idx = 0; idx < Verlo::kNumParams; ++idx) {
          if (unit(rng) < 0.5) continue;
          const double normalized = idx == Verlo::kBypass ? (unit(rng) < 0.3 ? 1.0 : 0.0) : unit(rng);
          effect.GetParam(idx)->SetNormalized(normalized);
          effect.OnParamChange(idx);
        }
        ref.fade = effect.GetParam(Verlo::kFade)->Value();
        ref.chop = effect.GetParam(Verlo::kChop)->Value();
        ref.dry = effect.GetParam(Verlo::kDry)->Value();
        ref.gain = std::pow(10.0, effect.GetParam(Verlo::kOutput)->Value() / 20.0);
        ref.bypass = effect.GetParam(Verlo::kBypass)->Value();
      }
      const int n = block % 11 == 0 ? 0 : 1 + static_cast<int>(unit(rng) * 2047);
      for (int i = 0; i < n; ++i) {
        inL[i] = unit(rng) * 2 - 1;
        inR[i] = unit(rng) * 2 - 1;
      }
      double* ins[] = {inL.data(), inR.data()};
      double* outs[] = {outL.data(), outR.data()};
      effect.ProcessHostBlock(ins, outs, n);
      ref.Process(inL.data(), inR.data(), refL.data(), refR.data(), n, sr);
      for (int i = 0; i < n; ++i) {
        ASSERT_TRUE(SameBits(outL[i], refL[i])) << sr << " block " << block << " frame " << i;
        ASSERT_TRUE(SameBits(outR[i], refR[i])) << sr << " block " << block << " frame " << i;
      }
      ASSERT_TRUE(SameBits(effect.GetPhase(), ref.phase)) << block;
      ASSERT_TRUE(SameBits(effect.GetGateSmoother().z, ref.z)) << block;
      if (n > 0) {
        ASSERT_TRUE(SameBits(effect.GetGateSmoother().b, ref.b)) << block;
      }
    }
  }
}
