// Raster blits and fills side by side with memcpy and pixman doing the same work. Each pair
// reports bytes processed, so their throughputs compare directly; the "min" statistic (with
// --benchmark_repetitions) is the least disturbed run on a shared machine.
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <algorithm>
#include <cmath>
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

// pixman compositing src (through mask, if any) onto an opaque w x h destination.
void PixmanComposite(benchmark::State& st, pixman_op_t op, pixman_image_t* src, pixman_image_t* mask, int w, int h) {
  PIX_MemBitmap dst(w, h);
  Randomize(dst, false, 3);
  pixman_image_t* d = Wrap(dst);
  for (auto _ : st) {
    pixman_image_composite32(op, src, mask, d, 0, 0, 0, 0, 0, 0, w, h);
    benchmark::ClobberMemory();
  }
  pixman_image_unref(d);
  if (mask) pixman_image_unref(mask);
  pixman_image_unref(src);
  SetBytes(st, w, h);
}

void PixmanOver(benchmark::State& st, pixman_image_t* src, pixman_image_t* mask, int w, int h) {
  PixmanComposite(st, PIXMAN_OP_OVER, src, mask, w, h);
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

// The half mix (copy at opacity 0.5) beside the same constant-mask OVER.
void BM_PIX_Blit_HalfMix100(benchmark::State& st) { RasterBlit(st, kImg, kImg, true, 0.5f, PIX_COMBINE_COPY); }
BENCHMARK(BM_PIX_Blit_HalfMix100)->ComputeStatistics("min", Min);

// ---- combine rules, 100 x 100 with varied alpha onto an opaque destination ----
// Each rule runs weighted by the source alpha at opacity 1, and plain at opacity 0.7 so the weight
// multiplies in. pixman's twins take the same pixels premultiplied; those for the plain runs go
// through a constant 0.7 mask, which costs pixman the same extra multiply.

void PixmanRule(benchmark::State& st, pixman_op_t op, bool mask) {
  PIX_MemBitmap src(kImg, kImg);
  const pixman_color_t point7 = {0xB333, 0xB333, 0xB333, 0xB333};
  PixmanComposite(st, op, PixmanSource(src), mask ? pixman_image_create_solid_fill(&point7) : nullptr, kImg, kImg);
}

// Our add is the same multiply-and-add per channel as OVER on premultiplied pixels; pixman's
// ADD (a saturating add without the multiply) is reported beside it.
void BM_Pixman_OverForAdd100(benchmark::State& st) { PixmanRule(st, PIXMAN_OP_OVER, false); }
BENCHMARK(BM_Pixman_OverForAdd100)->ComputeStatistics("min", Min);
void BM_Pixman_Add100(benchmark::State& st) { PixmanRule(st, PIXMAN_OP_ADD, false); }
BENCHMARK(BM_Pixman_Add100)->ComputeStatistics("min", Min);
void BM_PIX_Blit_AddSourceAlpha100(benchmark::State& st) {
  RasterBlit(st, kImg, kImg, true, 1.0f, PIX_FLAG_SOURCE_ALPHA | PIX_COMBINE_ADD);
}
BENCHMARK(BM_PIX_Blit_AddSourceAlpha100)->ComputeStatistics("min", Min);
void BM_Pixman_OverForAddMask07_100(benchmark::State& st) { PixmanRule(st, PIXMAN_OP_OVER, true); }
BENCHMARK(BM_Pixman_OverForAddMask07_100)->ComputeStatistics("min", Min);
void BM_Pixman_AddMask07_100(benchmark::State& st) { PixmanRule(st, PIXMAN_OP_ADD, true); }
BENCHMARK(BM_Pixman_AddMask07_100)->ComputeStatistics("min", Min);
void BM_PIX_Blit_AddPoint7_100(benchmark::State& st) { RasterBlit(st, kImg, kImg, true, 0.7f, PIX_COMBINE_ADD); }
BENCHMARK(BM_PIX_Blit_AddPoint7_100)->ComputeStatistics("min", Min);

void BM_Pixman_ColorDodge100(benchmark::State& st) { PixmanRule(st, PIXMAN_OP_COLOR_DODGE, false); }
BENCHMARK(BM_Pixman_ColorDodge100)->ComputeStatistics("min", Min);
void BM_PIX_Blit_DodgeSourceAlpha100(benchmark::State& st) {
  RasterBlit(st, kImg, kImg, true, 1.0f, PIX_FLAG_SOURCE_ALPHA | PIX_COMBINE_DODGE);
}
BENCHMARK(BM_PIX_Blit_DodgeSourceAlpha100)->ComputeStatistics("min", Min);
void BM_Pixman_ColorDodgeMask07_100(benchmark::State& st) { PixmanRule(st, PIXMAN_OP_COLOR_DODGE, true); }
BENCHMARK(BM_Pixman_ColorDodgeMask07_100)->ComputeStatistics("min", Min);
void BM_PIX_Blit_DodgePoint7_100(benchmark::State& st) { RasterBlit(st, kImg, kImg, true, 0.7f, PIX_COMBINE_DODGE); }
BENCHMARK(BM_PIX_Blit_DodgePoint7_100)->ComputeStatistics("min", Min);

void BM_Pixman_Multiply100(benchmark::State& st) { PixmanRule(st, PIXMAN_OP_MULTIPLY, false); }
BENCHMARK(BM_Pixman_Multiply100)->ComputeStatistics("min", Min);
void BM_PIX_Blit_MultiplySourceAlpha100(benchmark::State& st) {
  RasterBlit(st, kImg, kImg, true, 1.0f, PIX_FLAG_SOURCE_ALPHA | PIX_COMBINE_MULTIPLY);
}
BENCHMARK(BM_PIX_Blit_MultiplySourceAlpha100)->ComputeStatistics("min", Min);
void BM_Pixman_MultiplyMask07_100(benchmark::State& st) { PixmanRule(st, PIXMAN_OP_MULTIPLY, true); }
BENCHMARK(BM_Pixman_MultiplyMask07_100)->ComputeStatistics("min", Min);
void BM_PIX_Blit_MultiplyPoint7_100(benchmark::State& st) {
  RasterBlit(st, kImg, kImg, true, 0.7f, PIX_COMBINE_MULTIPLY);
}
BENCHMARK(BM_PIX_Blit_MultiplyPoint7_100)->ComputeStatistics("min", Min);

void BM_Pixman_Overlay100(benchmark::State& st) { PixmanRule(st, PIXMAN_OP_OVERLAY, false); }
BENCHMARK(BM_Pixman_Overlay100)->ComputeStatistics("min", Min);
void BM_PIX_Blit_OverlaySourceAlpha100(benchmark::State& st) {
  RasterBlit(st, kImg, kImg, true, 1.0f, PIX_FLAG_SOURCE_ALPHA | PIX_COMBINE_OVERLAY);
}
BENCHMARK(BM_PIX_Blit_OverlaySourceAlpha100)->ComputeStatistics("min", Min);
void BM_Pixman_OverlayMask07_100(benchmark::State& st) { PixmanRule(st, PIXMAN_OP_OVERLAY, true); }
BENCHMARK(BM_Pixman_OverlayMask07_100)->ComputeStatistics("min", Min);
void BM_PIX_Blit_OverlayPoint7_100(benchmark::State& st) {
  RasterBlit(st, kImg, kImg, true, 0.7f, PIX_COMBINE_OVERLAY);
}
BENCHMARK(BM_PIX_Blit_OverlayPoint7_100)->ComputeStatistics("min", Min);

// ---- channel copy, source byte 1 into destination byte 3, beside memcpy of the same rows ----

void BM_Memcpy_ChannelTwin100(benchmark::State& st) {
  PIX_MemBitmap src(kImg, kImg), dst(kImg, kImg);
  Randomize(src, true, 2);
  Randomize(dst, false, 3);
  for (auto _ : st) {
    for (int y = 0; y < kImg; ++y)
      memcpy(dst.getBits() + y * dst.getRowSpan(), src.getBits() + y * src.getRowSpan(), kImg * 4);
    benchmark::ClobberMemory();
  }
  SetBytes(st, kImg, kImg);
}
BENCHMARK(BM_Memcpy_ChannelTwin100)->ComputeStatistics("min", Min);

void BM_PIX_Blit_ChannelCopy100(benchmark::State& st) {
  RasterBlit(st, kImg, kImg, true, 1.0f, PIX_COMBINE_CHANNELCOPY | (3 << 2) | 1);
}
BENCHMARK(BM_PIX_Blit_ChannelCopy100)->ComputeStatistics("min", Min);

// ---- 20 anti-aliased glyphs in one colour on the editor's back buffer ----

const int kGlyphs = 20;
const PIX_pixel kInk = 0xFF202020u;

struct Glyph {
  int w, h, x, y;
  std::vector<unsigned char> cover;  // w bytes a row, as PIX_DrawGlyph takes it
};

// Filled ellipses with a one-pixel soft edge, 11 to 13 wide and 15 to 17 high, spread over the
// buffer; the varied widths make pixman's rows need padding.
const std::vector<Glyph>& Glyphs() {
  static const std::vector<Glyph> glyphs = [] {
    std::vector<Glyph> g(kGlyphs);
    for (int i = 0; i < kGlyphs; ++i) {
      Glyph& gl = g[i];
      gl.w = 11 + i % 3;
      gl.h = 15 + (i / 3) % 3;
      gl.x = 9 + i * 38;
      gl.y = 7 + (i * 61) % (kEdH - 24);
      gl.cover.resize(static_cast<size_t>(gl.w) * gl.h);
      const double cx = gl.w / 2.0, cy = gl.h / 2.0, rx = gl.w / 2.0 - 0.5, ry = gl.h / 2.0 - 0.5;
      for (int y = 0; y < gl.h; ++y)
        for (int x = 0; x < gl.w; ++x) {
          const double dx = (x + 0.5 - cx) / rx, dy = (y + 0.5 - cy) / ry;
          // Distance outside the ellipse in pixels, roughly; coverage falls off over one pixel.
          const double out = (std::sqrt(dx * dx + dy * dy) - 1.0) * std::min(rx, ry);
          const double c = std::clamp(0.5 - out, 0.0, 1.0);
          gl.cover[static_cast<size_t>(y) * gl.w + x] = static_cast<unsigned char>(c * 255.0 + 0.5);
        }
    }
    return g;
  }();
  return glyphs;
}

void SetGlyphBytes(benchmark::State& st) {
  int64_t px = 0;
  for (const Glyph& g : Glyphs()) px += g.w * g.h;
  st.SetBytesProcessed(static_cast<int64_t>(st.iterations()) * px * 4);
  st.SetItemsProcessed(static_cast<int64_t>(st.iterations()) * kGlyphs);
}

void BM_Pixman_Glyph20(benchmark::State& st) {
  PIX_MemBitmap dst(kEdW, kEdH);
  Randomize(dst, false, 4);
  pixman_image_t* d = Wrap(dst);
  const pixman_color_t ink = {0x2020, 0x2020, 0x2020, 0xFFFF};
  pixman_image_t* solid = pixman_image_create_solid_fill(&ink);
  // The same coverage in a8 images, whose rows pixman wants padded to 4 bytes.
  std::vector<std::vector<uint32_t>> store;
  std::vector<pixman_image_t*> masks;
  for (const Glyph& g : Glyphs()) {
    const int stride = (g.w + 3) & ~3;
    store.emplace_back(static_cast<size_t>(stride) * g.h / 4);
    unsigned char* bytes = reinterpret_cast<unsigned char*>(store.back().data());
    for (int y = 0; y < g.h; ++y) memcpy(bytes + y * stride, g.cover.data() + y * g.w, g.w);
    masks.push_back(pixman_image_create_bits(PIXMAN_a8, g.w, g.h, store.back().data(), stride));
  }
  for (auto _ : st) {
    for (int i = 0; i < kGlyphs; ++i) {
      const Glyph& g = Glyphs()[i];
      pixman_image_composite32(PIXMAN_OP_OVER, solid, masks[i], d, 0, 0, 0, 0, g.x, g.y, g.w, g.h);
    }
    benchmark::ClobberMemory();
  }
  for (pixman_image_t* m : masks) pixman_image_unref(m);
  pixman_image_unref(solid);
  pixman_image_unref(d);
  SetGlyphBytes(st);
}
BENCHMARK(BM_Pixman_Glyph20)->ComputeStatistics("min", Min);

void BM_PIX_DrawGlyph20(benchmark::State& st) {
  PIX_MemBitmap dst(kEdW, kEdH);
  Randomize(dst, false, 4);
  for (auto _ : st) {
    for (const Glyph& g : Glyphs())
      PIX_DrawGlyph(&dst, g.x, g.y, kInk, g.cover.data(), g.w, g.h, 1.0f, PIX_COMBINE_COPY);
    benchmark::ClobberMemory();
  }
  SetGlyphBytes(st);
}
BENCHMARK(BM_PIX_DrawGlyph20)->ComputeStatistics("min", Min);

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
