#pragma once
#include <random>

#include "pix/pix.h"
#include "pix/pix_simd.h"
#include "tests/pix/reference.h"

// A memory bitmap that stores its rows bottom first.
class FlippedBitmap : public PIX_MemBitmap {
public:
  FlippedBitmap(int w, int h) : PIX_MemBitmap(w, h, 4) {}
  bool isFlipped() const override { return true; }
};

inline void FillRandom(PIX_IBitmap& bm, std::mt19937& rng) {
  for (int y = 0; y < bm.getHeight(); ++y)
    for (int x = 0; x < bm.getWidth(); ++x) bm.getBits()[y * bm.getRowSpan() + x] = ref::RandomPixel(rng);
}

// Pixel (x, y) in logical rows, whatever the storage order.
inline PIX_pixel& At(PIX_IBitmap& bm, int x, int y) {
  const int row = bm.isFlipped() ? bm.getHeight() - 1 - y : y;
  return bm.getBits()[row * bm.getRowSpan() + x];
}

// Runs a body once with the SIMD kernels and once with the scalar rules.
class SimdScope {
public:
  explicit SimdScope(bool on) : mWas(_PIX_SimdEnabled()) { _PIX_SetSimdEnabled(on); }
  ~SimdScope() { _PIX_SetSimdEnabled(mWas); }

private:
  bool mWas;
};

// An opacity that converts to exactly this weight without hitting the exact-opacity shortcuts.
inline float OpacityFor(int weight) { return (static_cast<float>(weight) + 0.25f) / 256.0f; }
