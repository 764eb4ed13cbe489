#pragma once
#include <random>
#include <vector>

#include "pix/pix.h"
#include "pix/kernels/kernels.h"
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

using pix::kernels::Level;
// Limits the kernels to a level (scalar, SSE2, AVX2) while alive.
using SimdScope = pix::kernels::ScopedLevel;

// Every level the CPU offers, best first.
inline std::vector<Level> SimdLevels() {
  std::vector<Level> levels;
  for (int l = static_cast<int>(pix::kernels::BestLevel()); l >= 0; --l) levels.push_back(static_cast<Level>(l));
  return levels;
}

// An opacity that converts to exactly this weight without hitting the exact-opacity shortcuts.
inline float OpacityFor(int weight) { return (static_cast<float>(weight) + 0.25f) / 256.0f; }
