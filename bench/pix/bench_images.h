#pragma once
// Test images shared by the raster benchmarks, and their pixman views.
#include <pixman.h>

#include <random>

#include "pix/pix_bitmap.h"

inline void Randomize(PIX_MemBitmap& bm, bool variedAlpha, unsigned seed) {
  std::mt19937 rng(seed);
  for (int y = 0; y < bm.getHeight(); ++y)
    for (int x = 0; x < bm.getWidth(); ++x) {
      const PIX_pixel v = rng();
      bm.getBits()[y * bm.getRowSpan() + x] = variedAlpha ? v : (v | 0xFF000000u);
    }
}

// pixman wants premultiplied colour; make the same pixels valid for it.
inline void Premultiply(PIX_MemBitmap& bm) {
  for (int y = 0; y < bm.getHeight(); ++y)
    for (int x = 0; x < bm.getWidth(); ++x) {
      PIX_pixel& p = bm.getBits()[y * bm.getRowSpan() + x];
      const unsigned a = p >> 24;
      p = (a << 24) | ((PIX_GETR(p) * a / 255) << 16) | ((PIX_GETG(p) * a / 255) << 8) | (PIX_GETB(p) * a / 255);
    }
}

inline pixman_image_t* Wrap(PIX_MemBitmap& bm) {
  return pixman_image_create_bits(PIXMAN_a8r8g8b8, bm.getWidth(), bm.getHeight(),
                                  reinterpret_cast<uint32_t*>(bm.getBits()), bm.getRowSpan() * 4);
}
