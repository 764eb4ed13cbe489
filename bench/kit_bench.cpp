// Appending to the kit string and buffer against the standard library's equivalents.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "kit/heapbuf.h"
#include "kit/kitstring.h"

static void BM_KitStringAppend(benchmark::State& state) {
  for (auto _ : state) {
    KIT_String s;
    for (int i = 0; i < 256; ++i) s.Append("chunk");
    benchmark::DoNotOptimize(s.Get());
  }
  state.SetItemsProcessed(state.iterations() * 256);
}
BENCHMARK(BM_KitStringAppend);

static void BM_StdStringAppend(benchmark::State& state) {
  for (auto _ : state) {
    std::string s;
    for (int i = 0; i < 256; ++i) s.append("chunk");
    benchmark::DoNotOptimize(s.data());
  }
  state.SetItemsProcessed(state.iterations() * 256);
}
BENCHMARK(BM_StdStringAppend);

static void BM_TypedBufPerBlockResize(benchmark::State& state) {
  KIT_TypedBuf<double> buf;
  buf.Resize(4096);
  int n = 1;
  for (auto _ : state) {
    benchmark::DoNotOptimize(buf.Resize(n));
    n = n % 4096 + 1;
  }
}
BENCHMARK(BM_TypedBufPerBlockResize);

static void BM_VectorPerBlockResize(benchmark::State& state) {
  std::vector<double> buf(4096);
  size_t n = 1;
  for (auto _ : state) {
    buf.resize(n);
    benchmark::DoNotOptimize(buf.data());
    n = n % 4096 + 1;
  }
}
BENCHMARK(BM_VectorPerBlockResize);
