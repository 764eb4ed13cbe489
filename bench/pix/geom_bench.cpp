// Raster geometry side by side with cairo drawing the same shapes on an image surface over the
// same kind of pixels (RGB24, anti-aliasing left at CAIRO_ANTIALIAS_DEFAULT). Each pair draws the
// same pre-made random shapes per iteration; with --benchmark_repetitions compare the medians.
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "pix/pix.h"

namespace {

const int kW = 784, kH = 184;  // the editor's back buffer
const PIX_pixel kColor = 0xFF3366CCu;

struct Line {
  float x1, y1, x2, y2;
};

struct Poly {
  int x[8], y[8];
};

const std::vector<Line>& Lines() {
  static const std::vector<Line> v = [] {
    std::mt19937 rng(1);
    std::uniform_real_distribution<float> ux(0.0f, kW - 1.0f), uy(0.0f, kH - 1.0f);
    std::vector<Line> l(1000);
    for (Line& s : l) s = {ux(rng), uy(rng), ux(rng), uy(rng)};
    return l;
  }();
  return v;
}

const std::vector<std::pair<float, float>>& Centres() {
  static const std::vector<std::pair<float, float>> v = [] {
    std::mt19937 rng(2);
    std::uniform_real_distribution<float> ux(20.0f, kW - 21.0f), uy(20.0f, kH - 21.0f);
    std::vector<std::pair<float, float>> c(100);
    for (auto& p : c) p = {ux(rng), uy(rng)};
    return c;
  }();
  return v;
}

// Convex octagons: eight sorted angles on an ellipse around a random centre.
const std::vector<Poly>& Polys() {
  static const std::vector<Poly> v = [] {
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> angle(0.0, 6.283185307179586), radius(10.0, 60.0);
    std::uniform_int_distribution<int> ux(0, kW - 1), uy(0, kH - 1);
    std::vector<Poly> p(100);
    for (Poly& q : p) {
      double a[8];
      for (double& t : a) t = angle(rng);
      std::sort(a, a + 8);
      const int cx = ux(rng), cy = uy(rng);
      const double rx = radius(rng), ry = radius(rng) / 2;
      for (int i = 0; i < 8; ++i) {
        q.x[i] = cx + static_cast<int>(std::lround(rx * std::cos(a[i])));
        q.y[i] = cy + static_cast<int>(std::lround(ry * std::sin(a[i])));
      }
    }
    return p;
  }();
  return v;
}

// A cairo context drawing into its own RGB24 copy of the editor-sized bitmap.
struct Cairo {
  PIX_MemBitmap bm{kW, kH};
  cairo_surface_t* surface;
  cairo_t* cr;
  Cairo() {
    PIX_Clear(&bm, 0xFF000000u);
    surface = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(bm.getBits()), CAIRO_FORMAT_RGB24,
                                                  kW, kH, bm.getRowSpan() * 4);
    cr = cairo_create(surface);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_DEFAULT);
    cairo_set_source_rgb(cr, PIX_GETR(kColor) / 255.0, PIX_GETG(kColor) / 255.0, PIX_GETB(kColor) / 255.0);
    cairo_set_line_width(cr, 1.0);
  }
  ~Cairo() {
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
  }
};

PIX_MemBitmap& Target() {
  static PIX_MemBitmap bm(kW, kH);
  PIX_Clear(&bm, 0xFF000000u);
  return bm;
}

// ---- 1,000 one-pixel anti-aliased lines ----

void BM_Cairo_Lines1000(benchmark::State& st) {
  Cairo c;
  for (auto _ : st) {
    // Pixel centres sit at half coordinates in cairo.
    for (const Line& l : Lines()) {
      cairo_move_to(c.cr, l.x1 + 0.5, l.y1 + 0.5);
      cairo_line_to(c.cr, l.x2 + 0.5, l.y2 + 0.5);
      cairo_stroke(c.cr);
    }
    cairo_surface_flush(c.surface);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Cairo_Lines1000);

void BM_PIX_FLine_Lines1000(benchmark::State& st) {
  PIX_MemBitmap& bm = Target();
  for (auto _ : st) {
    for (const Line& l : Lines()) PIX_FLine(&bm, l.x1, l.y1, l.x2, l.y2, kColor, 1.0f, PIX_COMBINE_COPY, true);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_PIX_FLine_Lines1000);

void BM_PIX_Line_Lines1000(benchmark::State& st) {
  PIX_MemBitmap& bm = Target();
  for (auto _ : st) {
    for (const Line& l : Lines())
      PIX_Line(&bm, static_cast<int>(l.x1), static_cast<int>(l.y1), static_cast<int>(l.x2), static_cast<int>(l.y2),
               kColor, 1.0f, PIX_COMBINE_COPY, true);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_PIX_Line_Lines1000);

// ---- 100 filled circles of radius 20 ----

void BM_Cairo_Discs100(benchmark::State& st) {
  Cairo c;
  for (auto _ : st) {
    for (const auto& p : Centres()) {
      cairo_arc(c.cr, p.first + 0.5, p.second + 0.5, 20.0, 0.0, 6.283185307179586);
      cairo_fill(c.cr);
    }
    cairo_surface_flush(c.surface);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Cairo_Discs100);

void Discs(benchmark::State& st, bool aa) {
  PIX_MemBitmap& bm = Target();
  for (auto _ : st) {
    for (const auto& p : Centres()) PIX_FillCircle(&bm, p.first, p.second, 20.0f, kColor, 1.0f, PIX_COMBINE_COPY, aa);
    benchmark::ClobberMemory();
  }
}

void BM_PIX_FillCircleAA_Discs100(benchmark::State& st) { Discs(st, true); }
BENCHMARK(BM_PIX_FillCircleAA_Discs100);

void BM_PIX_FillCircle_Discs100(benchmark::State& st) { Discs(st, false); }
BENCHMARK(BM_PIX_FillCircle_Discs100);

// ---- 100 convex polygons of 8 points ----

void BM_Cairo_Polygons100(benchmark::State& st) {
  Cairo c;
  for (auto _ : st) {
    for (const Poly& q : Polys()) {
      cairo_move_to(c.cr, q.x[0], q.y[0]);
      for (int i = 1; i < 8; ++i) cairo_line_to(c.cr, q.x[i], q.y[i]);
      cairo_close_path(c.cr);
      cairo_fill(c.cr);
    }
    cairo_surface_flush(c.surface);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Cairo_Polygons100);

void BM_PIX_FillConvexPolygon_Polygons100(benchmark::State& st) {
  PIX_MemBitmap& bm = Target();
  for (auto _ : st) {
    for (const Poly& q : Polys()) PIX_FillConvexPolygon(&bm, q.x, q.y, 8, kColor, 1.0f, PIX_COMBINE_COPY);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_PIX_FillConvexPolygon_Polygons100);

}  // namespace
