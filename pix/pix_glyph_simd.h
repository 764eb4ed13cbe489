#pragma once
// Kernels of the copy rule for glyph coverage: each pixel with coverage cv > 0 gets the colour
// (alpha 255) at weight cv + 1 (ia 256) or min(256, ia * cv / 256). The SSE2 and AVX2 forms
// take ia in 1..256 and give exactly the bytes of the scalar form, which takes any ia.
#include <cstddef>

#include "pix/pix_bitmap.h"

// A coverage image clipped to its destination: w x h bytes starting at cov, rows covstep apart,
// drawn at dest with rows dstep pixels apart.
struct PIX_GlyphArea {
  PIX_pixel* dest;
  ptrdiff_t dstep;
  const unsigned char* cov;
  int covstep;
  int w, h;
};

void _PIX_GlyphCopy(const PIX_GlyphArea& a, PIX_pixel color, int ia);
void _PIX_SSE2_GlyphCopy(const PIX_GlyphArea& a, PIX_pixel color, int ia);
void _PIX_AVX2_GlyphCopy(const PIX_GlyphArea& a, PIX_pixel color, int ia);
