#pragma once
// Clipping helpers and the pixel loop families, each written once and instantiated per rule.
#include <cstddef>
#include <type_traits>

#include "pix/pix_combine.h"

namespace pix {

// A bitmap's pixels as the loops see them: row y starts at bits + y * step, so flipped bitmaps
// simply have a negative step from their last stored row.
struct Surface {
  PIX_pixel* bits = nullptr;
  int w = 0, h = 0;
  ptrdiff_t step = 0;
  PIX_pixel* row(int y) const { return bits + static_cast<ptrdiff_t>(y) * step; }
};

// False for a null bitmap, no pixels, an empty size or a zero row span.
bool GetSurface(const PIX_IBitmap* bm, Surface& s);

// The common rectangle clip; false when nothing is left.
bool ClipRect(const Surface& s, int& x, int& y, int& w, int& h);

// Integer part of a 16.16 value, saturated to the int range.
static inline int Fixed16ToInt(long long v) {
  v >>= 16;
  return v > 0x7fffffffLL ? 0x7fffffff : v < -0x7fffffffLL ? -0x7fffffff : static_cast<int>(v);
}

struct Window;

template <class R> struct RuleTag {
  using type = R;
};

// Calls f(RuleTag<Rule>()) for the add, dodge, multiply, overlay and HSV rules, with or
// without source alpha. False for any other mode (copy included).
template <class F> bool DispatchBlendRule(int mode, F&& f) {
  switch (mode & PIX_RULE_MASK) {
    case PIX_COMBINE_ADD: f(RuleTag<_PIX_CombinePixelsAdd>()); return true;
    case PIX_COMBINE_DODGE: f(RuleTag<_PIX_CombinePixelsColorDodge>()); return true;
    case PIX_COMBINE_MULTIPLY: f(RuleTag<_PIX_CombinePixelsMulNoClamp>()); return true;
    case PIX_COMBINE_OVERLAY: f(RuleTag<_PIX_CombinePixelsOverlay>()); return true;
    case PIX_COMBINE_HSVADJUST: f(RuleTag<_PIX_CombinePixelsHSVAdjust>()); return true;
    case PIX_FLAG_SOURCE_ALPHA | PIX_COMBINE_ADD: f(RuleTag<_PIX_CombinePixelsAddSourceAlpha>()); return true;
    case PIX_FLAG_SOURCE_ALPHA | PIX_COMBINE_DODGE:
      f(RuleTag<_PIX_CombinePixelsColorDodgeSourceAlpha>());
      return true;
    case PIX_FLAG_SOURCE_ALPHA | PIX_COMBINE_MULTIPLY:
      f(RuleTag<_PIX_CombinePixelsMulSourceAlphaNoClamp>());
      return true;
    case PIX_FLAG_SOURCE_ALPHA | PIX_COMBINE_OVERLAY:
      f(RuleTag<_PIX_CombinePixelsOverlaySourceAlpha>());
      return true;
    case PIX_FLAG_SOURCE_ALPHA | PIX_COMBINE_HSVADJUST:
      f(RuleTag<_PIX_CombinePixelsHSVAdjustSourceAlpha>());
      return true;
    default: return false;
  }
}

}  // namespace pix

template <class R> struct _PIX_Template_Blit2 {
  // Resampling families, defined in pix_scaled_loops.h.
  static void scaleBlit(PIX_pixel* dest, ptrdiff_t dstep, int w, int h, long long curx, long long cury,
                        long long idx, long long idy, const pix::Window& win, bool bilinear, int alpha);
  static void scaleBlitFilterDown(PIX_pixel* dest, ptrdiff_t dstep, int w, int h, long long curx, long long cury,
                                  long long idx, long long idy, const pix::Window& win, int size, int alpha);
  // Unscaled copy of w x h pixels through the rule.
  static void blit(PIX_pixel* dest, const PIX_pixel* src, int w, int h, ptrdiff_t dstep, ptrdiff_t sstep,
                   int alpha) {
    for (; h > 0; --h, dest += dstep, src += sstep) {
      for (int x = 0; x < w; ++x) {
        const PIX_pixel s = src[x];
        R::doPix(reinterpret_cast<unsigned char*>(dest + x), PIX_GETR(s), PIX_GETG(s), PIX_GETB(s), PIX_GETA(s),
                 alpha);
      }
    }
  }
};

template <class R> struct _PIX_Template_Blit1 {
  static void solidBlit(PIX_pixel* dest, int w, int h, int r, int g, int b, int a, int alpha, ptrdiff_t step) {
    for (; h > 0; --h, dest += step)
      for (int x = 0; x < w; ++x) R::doPix(reinterpret_cast<unsigned char*>(dest + x), r, g, b, a, alpha);
  }

  // Channels in 16.16 fixed point stepping per column and per row; the alpha channel is the
  // weight (256 = full). Computed values may overshoot, so they are clamped before the rule.
  static void gradBlit(PIX_pixel* dest, int w, int h, long long ir, long long ig, long long ib, long long ia,
                       long long drdx, long long dgdx, long long dbdx, long long dadx, long long drdy, long long dgdy,
                       long long dbdy, long long dady, ptrdiff_t step) {
    for (; h > 0; --h, dest += step) {
      long long r = ir, g = ig, b = ib, a = ia;
      for (int x = 0; x < w; ++x) {
        const int wa = pix::Fixed16ToInt(a);
        const int weight = wa < 0 ? 0 : wa > 256 ? 256 : wa;
        R::doPix(reinterpret_cast<unsigned char*>(dest + x), pix::Clamp(pix::Fixed16ToInt(r)),
                 pix::Clamp(pix::Fixed16ToInt(g)), pix::Clamp(pix::Fixed16ToInt(b)), pix::Clamp(wa), weight);
        r += drdx, g += dgdx, b += dbdx, a += dadx;
      }
      ir += drdy, ig += dgdy, ib += dbdy, ia += dady;
    }
  }
};

template <class R> struct _PIX_Template_Blit0 {
  static void scaleBlitFAST(PIX_pixel* dest, ptrdiff_t dstep, int w, int h, long long curx, long long cury,
                            long long idx, long long idy, const pix::Window& win);
  static void solidBlitFAST(PIX_pixel* dest, int w, int h, PIX_pixel color, ptrdiff_t step) {
    for (; h > 0; --h, dest += step)
      for (int x = 0; x < w; ++x) R::doPixFAST(dest + x, color);
  }
};
