// Stereo float processing through the host path, beside the bare two-step smoother recurrence
// that bounds it: z = b * z + c twice per frame is one serial chain of multiplies and adds.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "examples/Verlo/Verlo.h"
#include "tests/effect/offline_host.h"

static void BM_VerloFloatStereo(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  OfflineHost<Verlo> effect;
  effect.Prepare(44100, n, 2, 2);
  std::vector<float> inL(n), inR(n), outL(n), outR(n);
  for (int i = 0; i < n; ++i) {
    inL[i] = static_cast<float>(std::sin(i * 0.01));
    inR[i] = static_cast<float>(std::cos(i * 0.01));
  }
  float* ins[] = {inL.data(), inR.data()};
  float* outs[] = {outL.data(), outR.data()};
  for (auto _ : state) {
    KIT_MutexLock lock(effect.GetMutex());  // as the host entry does
    effect.ProcessHostBlock(ins, outs, n, false);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * n);
  state.counters["ns_per_frame"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * n, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_VerloFloatStereo)->Arg(32)->Arg(64)->Arg(512)->Arg(4096);

static void BM_SmootherRecurrenceLimit(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  double b = std::exp((5.0 / 44100.0) * -6.283185307179586);
  double c = (1.0 - b) * 1.0;
  double z = 0.0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(b);
    benchmark::DoNotOptimize(c);
    for (int i = 0; i < n; ++i) {
      z = b * z + c;
      z = b * z + c;
    }
    benchmark::DoNotOptimize(z);
  }
  state.SetItemsProcessed(state.iterations() * n);
  state.counters["ns_per_frame"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * n, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_SmootherRecurrenceLimit)->Arg(32)->Arg(64)->Arg(512)->Arg(4096);
