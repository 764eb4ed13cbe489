// Raster blits and fills side by side with memcpy and pixman doing the same work. Each pair
// reports bytes processed, so their throughputs compare directly; the "min" statistic (with
// --benchmark_repetitions) is the least disturbed run on a shared machine.
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "bench/pix/bench_images.h"
#include "pix/pix.h"
#include "pix/kernels/kernels.h"

namespace {

const int kEdW = 784, kEdH = 184;  // the editor's back buffer
const int kImg = 100;

double Min(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

void SetBytes(benchmark::State& st, int w, int h) {
  st.SetBytesProcessed(static_cast<int64_t>(st.iterations()) * w * h * 4);
}

// pixman OVER of src (through mask, if any) onto an opaque w x h destination.
void PixmanOver(benchmark::State& st, pixman_image_t* src, pixman_image_t* mask, int w, int h) {
  PIX_MemBitmap dst(w, h);
  Randomize(dst, false, 3);
  pixman_image_t* d = Wrap(dst);
  for (auto _ : st) {
    pixman_image_composite32(PIXMAN_OP_OVER, src, mask, d, 0, 0, 0, 0, 0, 0, w, h);
    benchmark::ClobberMemory();
  }
  pixman_image_unref(d);
  if (mask) pixman_image_unref(mask);
  pixman_image_unref(src);
  SetBytes(st, w, h);
}

// pixman's image of the same 100 x 100 source the raster blits use.
pixman_image_t* PixmanSource(PIX_MemBitmap& keep) {
  Randomize(keep, true, 2);
  Premultiply(keep);
  return Wrap(keep);
}

void RasterBlit(benchmark::State& st, int w, int h, bool variedAlpha, float alpha, int mode) {
  PIX_MemBitmap src(w, h), dst(w, h);
  Randomize(src, variedAlpha, 2);
  Randomize(dst, false, 3);
  for (auto _ : st) {
    PIX_Blit(&dst, &src, 0, 0, nullptr, alpha, mode);
    benchmark::ClobberMemory();
  }
  SetBytes(st, w, h);
}

void RasterFill(benchmark::State& st, float alpha) {
  PIX_MemBitmap dst(kEdW, kEdH);
  Randomize(dst, false, 4);
  for (auto _ : st) {
    PIX_FillRect(&dst, 0, 0, kEdW, kEdH, 0xFF336699u, alpha, PIX_COMBINE_COPY);
    benchmark::ClobberMemory();
  }
  SetBytes(st, kEdW, kEdH);
}

// ---- opaque copy of the editor's size ----

void BM_Memcpy_Copy784x184(benchmark::State& st) {
  PIX_MemBitmap src(kEdW, kEdH), dst(kEdW, kEdH);
  Randomize(src, false, 1);
  for (auto _ : st) {
    for (int y = 0; y < kEdH; ++y)
      memcpy(dst.getBits() + y * dst.getRowSpan(), src.getBits() + y * src.getRowSpan(), kEdW * 4);
    benchmark::ClobberMemory();
  }
  SetBytes(st, kEdW, kEdH);
}
BENCHMARK(BM_Memcpy_Copy784x184)->ComputeStatistics("min", Min);

void BM_PIX_Blit_Copy784x184(benchmark::State& st) { RasterBlit(st, kEdW, kEdH, false, 1.0f, PIX_COMBINE_COPY); }
BENCHMARK(BM_PIX_Blit_Copy784x184)->ComputeStatistics("min", Min);

// ---- source alpha at full opacity, 100 x 100 with varied alpha onto an opaque destination ----

void BM_Pixman_Over100(benchmark::State& st) {
  PIX_MemBitmap src(kImg, kImg);
  PixmanOver(st, PixmanSource(src), nullptr, kImg, kImg);
}
BENCHMARK(BM_Pixman_Over100)->ComputeStatistics("min", Min);

void BM_PIX_Blit_SourceAlpha100(benchmark::State& st) {
  RasterBlit(st, kImg, kImg, true, 1.0f, PIX_FLAG_SOURCE_ALPHA);
}
BENCHMARK(BM_PIX_Blit_SourceAlpha100)->ComputeStatistics("min", Min);

// The same with the kernels held to SSE2, for machines without AVX2.
void BM_PIX_Blit_SourceAlpha100_SSE2(benchmark::State& st) {
  pix::kernels::ScopedLevel sse2(pix::kernels::Level::kSse2);
  RasterBlit(st, kImg, kImg, true, 1.0f, PIX_FLAG_SOURCE_ALPHA);
}
BENCHMARK(BM_PIX_Blit_SourceAlpha100_SSE2)->ComputeStatistics("min", Min);

// ---- source alpha at opacity 0.5 against OVER through a constant mask ----

void BM_Pixman_OverConstMask100(benchmark::State& st) {
  PIX_MemBitmap src(kImg, kImg);
  const pixman_color_t half = {0x8000, 0x8000, 0x8000, 0x8000};
  PixmanOver(st, PixmanSource(src), pixman_image_create_solid_fill(&half), kImg, kImg);
}
BENCHMARK(BM_Pixman_OverConstMask100)->ComputeStatistics("min", Min);

void BM_PIX_Blit_SourceAlphaHalf100(benchmark::State& st) {
  RasterBlit(st, kImg, kImg, true, 0.5f, PIX_FLAG_SOURCE_ALPHA);
}
BENCHMARK(BM_PIX_Blit_SourceAlphaHalf100)->ComputeStatistics("min", Min);

// ---- solid fills of the editor's size ----

void BM_Pixman_Fill784x184(benchmark::State& st) {
  PIX_MemBitmap dst(kEdW, kEdH);
  for (auto _ : st) {
    pixman_fill(reinterpret_cast<uint32_t*>(dst.getBits()), dst.getRowSpan(), 32, 0, 0, kEdW, kEdH, 0xFF336699u);
    benchmark::ClobberMemory();
  }
  SetBytes(st, kEdW, kEdH);
}
BENCHMARK(BM_Pixman_Fill784x184)->ComputeStatistics("min", Min);

void BM_PIX_FillRect_Opaque784x184(benchmark::State& st) { RasterFill(st, 1.0f); }
BENCHMARK(BM_PIX_FillRect_Opaque784x184)->ComputeStatistics("min", Min);

void BM_Pixman_OverSolid784x184(benchmark::State& st) {
  // 0x336699 at alpha 0.3, premultiplied.
  const pixman_color_t c = {static_cast<uint16_t>(0x3333 * 3 / 10), static_cast<uint16_t>(0x6666 * 3 / 10),
                            static_cast<uint16_t>(0x9999 * 3 / 10), static_cast<uint16_t>(0xFFFF * 3 / 10)};
  PixmanOver(st, pixman_image_create_solid_fill(&c), nullptr, kEdW, kEdH);
}
BENCHMARK(BM_Pixman_OverSolid784x184)->ComputeStatistics("min", Min);

void BM_PIX_FillRect_Point3_784x184(benchmark::State& st) { RasterFill(st, 0.3f); }
BENCHMARK(BM_PIX_FillRect_Point3_784x184)->ComputeStatistics("min", Min);

}  // namespace
