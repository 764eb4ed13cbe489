#pragma once
// Blending of 8-bit glyph coverage into pixels, written once and instantiated per combine rule.
#include <cstddef>

#include "pix/pix_combine.h"
#include "pix/kernels/kernels.h"

template <class R> struct GlyphRenderer {
  // Anti-aliased coverage: the weight follows the coverage.
  static void Normal(const pix::kernels::GlyphArea& a, PIX_pixel color, int ia) {
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
  static void Mono(const pix::kernels::GlyphArea& a, PIX_pixel color, int weight) {
    const int r = PIX_GETR(color), g = PIX_GETG(color), b = PIX_GETB(color);
    PIX_pixel* d = a.dest;
    const unsigned char* c = a.cov;
    for (int y = 0; y < a.h; ++y, d += a.dstep, c += a.covstep)
      for (int x = 0; x < a.w; ++x)
        if (c[x]) R::doPix(reinterpret_cast<unsigned char*>(d + x), r, g, b, 255, weight);
  }
  // Ink (255) in the text colour, effect pixels in the effect colour.
  static void Effect(const pix::kernels::GlyphArea& a, PIX_pixel color, PIX_pixel effect, int weight) {
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

// The copy rule, the common case, runs through the level's glyph kernel.
template <>
inline void GlyphRenderer<_PIX_CombinePixelsCopyNoClamp>::Normal(const pix::kernels::GlyphArea& a, PIX_pixel color,
                                                                 int ia) {
  pix::kernels::Active().glyphCopy(a, color, ia);
}
