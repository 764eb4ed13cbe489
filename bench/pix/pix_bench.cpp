// Raster blits and fills side by side with memcpy and pixman doing the same work. Each pair
// reports bytes processed, so their throughputs compare directly.
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "pix/pix.h"

namespace {

const int kEdW = 784, kEdH = 184;  // the editor's back buffer
const int kImg = 100;

void Randomize(PIX_MemBitmap& bm, bool variedAlpha, unsigned seed) {
  std::mt19937 rng(seed);
  for (int y = 0; y < bm.getHeight(); ++y)
    for (int x = 0; x < bm.getWidth(); ++x) {
      PIX_pixel v = rng();
      v = variedAlpha ? v : (v | 0xFF000000u);
      bm.getBits()[y * bm.getRowSpan() + x] = v;
    }
}

// pixman wants premultiplied colour; make the same pixels valid for it.
void Premultiply(PIX_MemBitmap& bm) {
  for (int y = 0; y < bm.getHeight(); ++y)
    for (int x = 0; x < bm.getWidth(); ++x) {
      PIX_pixel& p = bm.getBits()[y * bm.getRowSpan() + x];
      const unsigned a = p >> 24;
      p = (a << 24) | ((PIX_GETR(p) * a / 255) << 16) | ((PIX_GETG(p) * a / 255) << 8) | (PIX_GETB(p) * a / 255);
    }
}

pixman_image_t* Wrap(PIX_MemBitmap& bm, pixman_format_code_t fmt = PIXMAN_a8r8g8b8) {
  return pixman_image_create_bits(fmt, bm.getWidth(), bm.getHeight(), reinterpret_cast<uint32_t*>(bm.getBits()),
                                  bm.getRowSpan() * 4);
}

// On a shared machine the fastest repetition is the least disturbed one.
double Min(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

void SetBytes(benchmark::State& st, int w, int h) {
  st.SetBytesProcessed(static_cast<int64_t>(st.iterations()) * w * h * 4);
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

void BM_PIX_Blit_Copy784x184(benchmark::State& st) {
  PIX_MemBitmap src(kEdW, kEdH), dst(kEdW, kEdH);
  Randomize(src, false, 1);
  for (auto _ : st) {
    PIX_Blit(&dst, &src, 0, 0, nullptr, 1.0f, PIX_COMBINE_COPY);
    benchmark::ClobberMemory();
  }
  SetBytes(st, kEdW, kEdH);
}
BENCHMARK(BM_PIX_Blit_Copy784x184)->ComputeStatistics("min", Min);

// ---- source alpha at full opacity, 100 x 100 with varied alpha onto an opaque destination ----

void BM_Pixman_Over100(benchmark::State& st) {
  PIX_MemBitmap src(kImg, kImg), dst(kImg, kImg);
  Randomize(src, true, 2);
  Premultiply(src);
  Randomize(dst, false, 3);
  pixman_image_t* s = Wrap(src);
  pixman_image_t* d = Wrap(dst);
  for (auto _ : st) {
    pixman_image_composite32(PIXMAN_OP_OVER, s, nullptr, d, 0, 0, 0, 0, 0, 0, kImg, kImg);
    benchmark::ClobberMemory();
  }
  pixman_image_unref(s);
  pixman_image_unref(d);
  SetBytes(st, kImg, kImg);
}
BENCHMARK(BM_Pixman_Over100)->ComputeStatistics("min", Min);

void BM_PIX_Blit_SourceAlpha100(benchmark::State& st) {
  PIX_MemBitmap src(kImg, kImg), dst(kImg, kImg);
  Randomize(src, true, 2);
  Randomize(dst, false, 3);
  for (auto _ : st) {
    PIX_Blit(&dst, &src, 0, 0, nullptr, 1.0f, PIX_FLAG_SOURCE_ALPHA);
    benchmark::ClobberMemory();
  }
  SetBytes(st, kImg, kImg);
}
BENCHMARK(BM_PIX_Blit_SourceAlpha100)->ComputeStatistics("min", Min);

// ---- source alpha at opacity 0.5 against OVER through a constant mask ----

void BM_Pixman_OverConstMask100(benchmark::State& st) {
  PIX_MemBitmap src(kImg, kImg), dst(kImg, kImg);
  Randomize(src, true, 2);
  Premultiply(src);
  Randomize(dst, false, 3);
  pixman_image_t* s = Wrap(src);
  pixman_image_t* d = Wrap(dst);
  const pixman_color_t half = {0x8000, 0x8000, 0x8000, 0x8000};
  pixman_image_t* m = pixman_image_create_solid_fill(&half);
  for (auto _ : st) {
    pixman_image_composite32(PIXMAN_OP_OVER, s, m, d, 0, 0, 0, 0, 0, 0, kImg, kImg);
    benchmark::ClobberMemory();
  }
  pixman_image_unref(m);
  pixman_image_unref(s);
  pixman_image_unref(d);
  SetBytes(st, kImg, kImg);
}
BENCHMARK(BM_Pixman_OverConstMask100)->ComputeStatistics("min", Min);

void BM_PIX_Blit_SourceAlphaHalf100(benchmark::State& st) {
  PIX_MemBitmap src(kImg, kImg), dst(kImg, kImg);
  Randomize(src, true, 2);
  Randomize(dst, false, 3);
  for (auto _ : st) {
    PIX_Blit(&dst, &src, 0, 0, nullptr, 0.5f, PIX_FLAG_SOURCE_ALPHA);
    benchmark::ClobberMemory();
  }
  SetBytes(st, kImg, kImg);
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

void BM_PIX_FillRect_Opaque784x184(benchmark::State& st) {
  PIX_MemBitmap dst(kEdW, kEdH);
  for (auto _ : st) {
    PIX_FillRect(&dst, 0, 0, kEdW, kEdH, 0xFF336699u, 1.0f, PIX_COMBINE_COPY);
    benchmark::ClobberMemory();
  }
  SetBytes(st, kEdW, kEdH);
}
BENCHMARK(BM_PIX_FillRect_Opaque784x184)->ComputeStatistics("min", Min);

void BM_Pixman_OverSolid784x184(benchmark::State& st) {
  PIX_MemBitmap dst(kEdW, kEdH);
  Randomize(dst, false, 4);
  pixman_image_t* d = Wrap(dst);
  // 0x336699 at alpha 0.3, premultiplied.
  const pixman_color_t c = {static_cast<uint16_t>(0x3333 * 3 / 10), static_cast<uint16_t>(0x6666 * 3 / 10),
                            static_cast<uint16_t>(0x9999 * 3 / 10), static_cast<uint16_t>(0xFFFF * 3 / 10)};
  pixman_image_t* s = pixman_image_create_solid_fill(&c);
  for (auto _ : st) {
    pixman_image_composite32(PIXMAN_OP_OVER, s, nullptr, d, 0, 0, 0, 0, 0, 0, kEdW, kEdH);
    benchmark::ClobberMemory();
  }
  pixman_image_unref(s);
  pixman_image_unref(d);
  SetBytes(st, kEdW, kEdH);
}
BENCHMARK(BM_Pixman_OverSolid784x184)->ComputeStatistics("min", Min);

void BM_PIX_FillRect_Point3_784x184(benchmark::State& st) {
  PIX_MemBitmap dst(kEdW, kEdH);
  Randomize(dst, false, 4);
  for (auto _ : st) {
    PIX_FillRect(&dst, 0, 0, kEdW, kEdH, 0xFF336699u, 0.3f, PIX_COMBINE_COPY);
    benchmark::ClobberMemory();
  }
  SetBytes(st, kEdW, kEdH);
}
BENCHMARK(BM_PIX_FillRect_Point3_784x184)->ComputeStatistics("min", Min);

}  // namespace
