#pragma once
// Blending of 8-bit glyph coverage into pixels, written once and instantiated per combine rule.
#include <cstddef>

#include "pix/pix_combine.h"
#include "pix/pix_glyph_simd.h"

template <class R> struct GlyphRenderer {
  // Anti-aliased coverage: the weight follows the coverage.
  static void Normal(const PIX_GlyphArea& a, PIX_pixel color, int ia) {
    const int r = PIX_GETR(color), g = PIX_GETG(color), b = PIX_GETB(color);
    PIX_pixel* d = a.dest;
    const unsigned char* c = a.cov;
    for (int y = 0; y < a.h; ++y, d += a.dstep, c += a.covstep)
      for (int x = 0; x < a.w; ++x) {
        const int cv = c[x];
        if (!cv) continue;
        int weight = (ia * cv) / 256;
        if (ia == 256) weight = cv + 1;
        if (weight > 256) weight = 256;
        R::doPix(reinterpret_cast<unsigned char*>(d + x), r, g, b, 255, weight);
      }
  }
  // Thresholded coverage: every inked pixel at the same weight.
  static void Mono(const PIX_GlyphArea& a, PIX_pixel color, int weight) {
    const int r = PIX_GETR(color), g = PIX_GETG(color), b = PIX_GETB(color);
    PIX_pixel* d = a.dest;
    const unsigned char* c = a.cov;
    for (int y = 0; y < a.h; ++y, d += a.dstep, c += a.covstep)
      for (int x = 0; x < a.w; ++x)
        if (c[x]) R::doPix(reinterpret_cast<unsigned char*>(d + x), r, g, b, 255, weight);
  }
  // Ink (255) in the text colour, effect pixels in the effect colour.
  static void Effect(const PIX_GlyphArea& a, PIX_pixel color, PIX_pixel effect, int weight) {
    const int r = PIX_GETR(color), g = PIX_GETG(color), b = PIX_GETB(color);
    const int er = PIX_GETR(effect), eg = PIX_GETG(effect), eb = PIX_GETB(effect);
    PIX_pixel* d = a.dest;
    const unsigned char* c = a.cov;
    for (int y = 0; y < a.h; ++y, d += a.dstep, c += a.covstep)
      for (int x = 0; x < a.w; ++x) {
        const int cv = c[x];
        if (cv == 255)
          R::doPix(reinterpret_cast<unsigned char*>(d + x), r, g, b, 255, weight);
        else if (cv)
          R::doPix(reinterpret_cast<unsigned char*>(d + x), er, eg, eb, 255, weight);
      }
  }
};

// The copy rule, the common case, runs through the SIMD kernels when they are on.
#include "pix/pix_simd.h"

template <>
inline void GlyphRenderer<_PIX_CombinePixelsCopyNoClamp>::Normal(const PIX_GlyphArea& a, PIX_pixel color, int ia) {
  const int level = ia > 0 && ia <= 256 ? _PIX_SimdLevel() : PIX_SIMD_NONE;
  if (level >= PIX_SIMD_AVX2)
    _PIX_AVX2_GlyphCopy(a, color, ia);
  else if (level >= PIX_SIMD_SSE2)
    _PIX_SSE2_GlyphCopy(a, color, ia);
  else
    _PIX_GlyphCopy(a, color, ia);
}
