// processReplacing through the built plug-in's entry point, beside the effect's own processing
// called directly, at block 64: the difference is what the host bridge costs per call.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "examples/Verlo/Verlo.h"
#include "tests/effect/offline_host.h"
#include "tests/vst2/test_host.h"

namespace {
constexpr int kBlock = 64;

struct Signal {
  std::vector<float> l = std::vector<float>(kBlock), r = std::vector<float>(kBlock),
                     ol = std::vector<float>(kBlock), orr = std::vector<float>(kBlock);
  std::vector<double> dl = std::vector<double>(kBlock), dr = std::vector<double>(kBlock),
                      dol = std::vector<double>(kBlock), dor = std::vector<double>(kBlock);
  Signal() {
    for (int i = 0; i < kBlock; ++i) {
      l[i] = static_cast<float>(std::sin(i * 0.1));
      r[i] = static_cast<float>(std::cos(i * 0.1));
      dl[i] = l[i];
      dr[i] = r[i];
    }
  }
};
}  // namespace

static void BM_ProcessReplacingThroughEntryPoint(benchmark::State& state) {
  PluginLibrary library;
  if (!library.Loaded()) {
    state.SkipWithError(library.Error().c_str());
    return;
  }
  TestHost host(library);
  host.Start(44100.0f, 512);
  AEffect* e = host.Effect();
  Signal s;
  float* ins[] = {s.l.data(), s.r.data()};
  float* outs[] = {s.ol.data(), s.orr.data()};
  for (auto _ : state) {
    e->processReplacing(e, ins, outs, kBlock);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_ProcessReplacingThroughEntryPoint);

static void BM_EffectProcessingDirect(benchmark::State& state) {
  OfflineHost<Verlo> effect;
  effect.Prepare(44100, 512, 2, 2);
  Signal s;
  double* ins[] = {s.dl.data(), s.dr.data()};
  double* outs[] = {s.dol.data(), s.dor.data()};
  for (auto _ : state) {
    effect.ProcessDoubleReplacing(ins, outs, kBlock);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_EffectProcessingDirect);
