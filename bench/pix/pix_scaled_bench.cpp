// Resampling blits side by side with pixman's bilinear transforms, and PNG decoding side by side
// with cairo's PNG reader. Each pair processes the same pixels; compare medians of repetitions.
#include <benchmark/benchmark.h>
#include <cairo.h>
#include <pixman.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "bench/pix/bench_images.h"
#include "pix/pix.h"

namespace {

// pixman drawing src through a bilinear transform (destination to source) onto a w x h image.
void PixmanTransformed(benchmark::State& st, bool variedAlpha, int sw, int sh, int w, int h,
                       const pixman_transform_t& t, pixman_op_t op) {
  PIX_MemBitmap src(sw, sh), dst(w, h);
  Randomize(src, variedAlpha, 1);
  Premultiply(src);
  Randomize(dst, false, 2);
  pixman_image_t* s = Wrap(src);
  pixman_image_t* d = Wrap(dst);
  pixman_image_set_transform(s, &t);
  pixman_image_set_filter(s, PIXMAN_FILTER_BILINEAR, nullptr, 0);
  for (auto _ : st) {
    pixman_image_composite32(op, s, nullptr, d, 0, 0, 0, 0, 0, 0, w, h);
    benchmark::ClobberMemory();
  }
  pixman_image_unref(d);
  pixman_image_unref(s);
}

pixman_transform_t Scale(double f) {
  pixman_transform_t t;
  pixman_transform_init_scale(&t, pixman_double_to_fixed(f), pixman_double_to_fixed(f));
  return t;
}

void RasterScaled(benchmark::State& st, int w) {
  PIX_MemBitmap src(200, 200), dst(w, w);
  Randomize(src, false, 1);
  Randomize(dst, false, 2);
  for (auto _ : st) {
    PIX_ScaledBlit(&dst, &src, 0, 0, w, w, 0, 0, 200, 200, 1.0f, PIX_FILTER_BILINEAR);
    benchmark::ClobberMemory();
  }
}

void BM_Pixman_Bilinear200to150(benchmark::State& st) {
  PixmanTransformed(st, false, 200, 200, 150, 150, Scale(200.0 / 150.0), PIXMAN_OP_SRC);
}
BENCHMARK(BM_Pixman_Bilinear200to150);
void BM_PIX_ScaledBlit200to150(benchmark::State& st) { RasterScaled(st, 150); }
BENCHMARK(BM_PIX_ScaledBlit200to150);

void BM_Pixman_Bilinear200to50(benchmark::State& st) {
  PixmanTransformed(st, false, 200, 200, 50, 50, Scale(4.0), PIXMAN_OP_SRC);
}
BENCHMARK(BM_Pixman_Bilinear200to50);
void BM_PIX_ScaledBlit200to50(benchmark::State& st) { RasterScaled(st, 50); }
BENCHMARK(BM_PIX_ScaledBlit200to50);

const double kAngle = 30.0 * M_PI / 180.0;

// Turned about the image centre, as PIX_RotatedBlit does with no centre offset.
void BM_Pixman_BilinearRotate100Over(benchmark::State& st) {
  pixman_transform_t t;
  pixman_transform_init_identity(&t);
  const pixman_fixed_t c = pixman_double_to_fixed(50.0);
  pixman_transform_translate(&t, nullptr, -c, -c);
  pixman_transform_rotate(&t, nullptr, pixman_double_to_fixed(std::cos(kAngle)), pixman_double_to_fixed(std::sin(kAngle)));
  pixman_transform_translate(&t, nullptr, c, c);
  PixmanTransformed(st, true, 100, 100, 100, 100, t, PIXMAN_OP_OVER);
}
BENCHMARK(BM_Pixman_BilinearRotate100Over);

void BM_PIX_RotatedBlit100SourceAlpha(benchmark::State& st) {
  PIX_MemBitmap src(100, 100), dst(100, 100);
  Randomize(src, true, 1);
  Randomize(dst, false, 2);
  for (auto _ : st) {
    PIX_RotatedBlit(&dst, &src, 0, 0, 100, 100, 0, 0, 100, 100, static_cast<float>(kAngle), false, 1.0f,
                    PIX_FLAG_SOURCE_ALPHA | PIX_FILTER_BILINEAR, 0, 0);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_PIX_RotatedBlit100SourceAlpha);

// ---- PNG decoding of an editor-sized RGBA image ----

// Artwork-like content: gradients, flat areas, soft alpha edges and a little noise.
const std::vector<unsigned char>& EditorPNG() {
  static const std::vector<unsigned char> bytes = [] {
    PIX_MemBitmap bm(784, 184);
    std::mt19937 rng(3);
    for (int y = 0; y < 184; ++y)
      for (int x = 0; x < 784; ++x) {
        const int n = int(rng() % 7);
        const int a = x < 200 ? 255 : x < 400 ? (x - 200) * 255 / 200 : (y * 7 + x) % 97 < 40 ? 0 : 255;
        bm.getBits()[y * bm.getRowSpan() + x] = PIX_RGBA(x * 255 / 784 + n, y + n, (x ^ y) & 0xF0, a);
      }
    const std::string path = "/tmp/pix_scaled_bench_" + std::to_string(getpid()) + ".png";
    std::vector<unsigned char> out;
    if (PIX_WritePNG(&bm, path.c_str())) {
      FILE* f = fopen(path.c_str(), "rb");
      if (f) {
        unsigned char buf[65536];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, f)) > 0) out.insert(out.end(), buf, buf + n);
        fclose(f);
      }
      remove(path.c_str());
    }
    return out;
  }();
  return bytes;
}

struct Stream {
  const unsigned char* p;
  size_t left;
};

cairo_status_t ReadStream(void* closure, unsigned char* data, unsigned int length) {
  Stream* s = static_cast<Stream*>(closure);
  if (length > s->left) return CAIRO_STATUS_READ_ERROR;
  memcpy(data, s->p, length);
  s->p += length;
  s->left -= length;
  return CAIRO_STATUS_SUCCESS;
}

void BM_Cairo_DecodePNG784x184(benchmark::State& st) {
  const auto& png = EditorPNG();
  for (auto _ : st) {
    Stream s = {png.data(), png.size()};
    cairo_surface_t* img = cairo_image_surface_create_from_png_stream(ReadStream, &s);
    if (cairo_surface_status(img) != CAIRO_STATUS_SUCCESS) st.SkipWithError("cairo could not read the image");
    cairo_surface_destroy(img);
  }
}
BENCHMARK(BM_Cairo_DecodePNG784x184);

void BM_PIX_LoadPNGFromMemory784x184(benchmark::State& st) {
  const auto& png = EditorPNG();
  for (auto _ : st) {
    PIX_IBitmap* bm = PIX_LoadPNGFromMemory(png.data(), static_cast<int>(png.size()), nullptr);
    if (!bm) st.SkipWithError("the image did not load");
    delete bm;
  }
}
BENCHMARK(BM_PIX_LoadPNGFromMemory784x184);

}  // namespace
