#pragma once
// Pens for the geometry routines: how one colour is written, picked once per call from the mode
// and weight, so each drawing template is instantiated per rule and its loops never test the mode.
#include <cstddef>

#include "pix/pix_loops.h"
#include "pix/kernels/kernels.h"

namespace pix {

// A bitmap's pixels in storage order. Geometry mirrors y itself on flipped bitmaps (y becomes
// h - 1 - y before anything else), so its algorithms always walk stored rows.
struct Canvas {
  PIX_pixel* bits = nullptr;
  int w = 0, h = 0;
  ptrdiff_t span = 0;
  bool flipped = false;
  PIX_pixel* at(long long x, long long y) const { return bits + static_cast<ptrdiff_t>(y) * span + x; }
  bool inside(long long x, long long y) const { return x >= 0 && y >= 0 && x < w && y < h; }
  // Stored row of a caller's row.
  long long row(long long y) const { return flipped ? h - 1 - y : y; }
  double row(double y) const { return flipped ? h - 1 - y : y; }
};

inline bool GetCanvas(const PIX_IBitmap* bm, Canvas& c) {
  if (!bm) return false;
  c.bits = bm->getBits();
  c.w = bm->getWidth();
  c.h = bm->getHeight();
  c.span = bm->getRowSpan();
  c.flipped = bm->isFlipped();
  return c.bits && c.w > 0 && c.h > 0 && c.span > 0;
}

// A whole-word rule at the call's weight; it has no per-pixel weighted form.
template <class F> struct WordPen {
  PIX_pixel c;
  void put(PIX_pixel* p) const { F::doPixFAST(p, c); }
  void run(PIX_pixel* p, int n) const {
    for (int i = 0; i < n; ++i) F::doPixFAST(p + i, c);
  }
};

template <> inline void WordPen<_PIX_CombinePixelsClobberFAST>::run(PIX_pixel* p, int n) const {
  if (n >= 8) return pix::kernels::Active().fill(p, n, c);
  for (int i = 0; i < n; ++i) p[i] = c;
}

// A per-channel rule with the colour's four channels as source: put() at the call's weight,
// put(p, w) at a weight of the pixel's own (anti-aliasing, glyph coverage).
template <class R> struct RulePen {
  int r, g, b, a, ia;
  void put(PIX_pixel* p) const { R::doPix(reinterpret_cast<unsigned char*>(p), r, g, b, a, ia); }
  void put(PIX_pixel* p, int w) const { R::doPix(reinterpret_cast<unsigned char*>(p), r, g, b, a, w); }
  void run(PIX_pixel* p, int n) const {
    for (int i = 0; i < n; ++i) put(p + i);
  }
};

template <> inline void RulePen<_PIX_CombinePixelsCopyNoClamp>::run(PIX_pixel* p, int n) const {
  if (n >= 4) return pix::kernels::Active().solid[pix::kernels::kCopy](p, n, PIX_RGBA(r, g, b, a), ia);
  for (int i = 0; i < n; ++i) put(p + i);
}

// The copy rule at full weight gives the colour itself, so whole pixels and runs are stores;
// pixels with weights of their own still mix.
struct CopyFullPen : RulePen<_PIX_CombinePixelsCopyNoClamp> {
  PIX_pixel c;
  void put(PIX_pixel* p) const { *p = c; }
  void put(PIX_pixel* p, int w) const { RulePen<_PIX_CombinePixelsCopyNoClamp>::put(p, w); }
  void run(PIX_pixel* p, int n) const { WordPen<_PIX_CombinePixelsClobberFAST>{c}.run(p, n); }
};

template <class R> inline RulePen<R> MakeRulePen(PIX_pixel c, int ia) {
  return RulePen<R>{PIX_GETR(c), PIX_GETG(c), PIX_GETB(c), PIX_GETA(c), ia};
}

// Calls f(pen) with the rule of mode & 0xFF other than copy; false for unknown rules.
template <class F> bool WithBlendPen(PIX_pixel c, int ia, int mode, F&& f) {
  return DispatchBlendRule(mode & PIX_COMBINE_MODEMASK,
                           [&](auto tag) { f(MakeRulePen<typename decltype(tag)::type>(c, ia)); });
}

// Fixed weight ia: copy stores at 256, uses the per-channel half mix at 128 and the copy rule for
// other positive weights; the other rules take any non-zero weight.
template <class F> void WithWeightPen(PIX_pixel c, int ia, int mode, F&& f) {
  if (ia == 0) return;
  if ((mode & PIX_COMBINE_MODEMASK) != PIX_COMBINE_COPY) {
    WithBlendPen(c, ia, mode, f);
    return;
  }
  if (ia < 0) return;
  if (ia == 256) return f(WordPen<_PIX_CombinePixelsClobberFAST>{c});
  if (ia == 128) return f(MakeRulePen<_PIX_CombinePixelsHalfMixNoClamp>(c, ia));
  f(MakeRulePen<_PIX_CombinePixelsCopyNoClamp>(c, ia));
}

// Lines: exact opacities in copy mode mix whole words.
template <class F> void WithLinePen(PIX_pixel c, float alpha, int mode, F&& f) {
  if ((mode & PIX_COMBINE_MODEMASK) == PIX_COMBINE_COPY) {
    if (alpha == 1.0f) return f(WordPen<_PIX_CombinePixelsClobberFAST>{c});
    if (alpha == 0.5f) return f(WordPen<_PIX_CombinePixelsHalfMixFAST>{c});
    if (alpha == 0.25f) return f(WordPen<_PIX_CombinePixelsQuarterMix2FAST>{c});
    if (alpha == 0.75f) return f(WordPen<_PIX_CombinePixelsThreeQuarterMix2FAST>{c});
  }
  WithWeightPen(c, PIX_Weight(alpha), mode, f);
}

// Area fills: the exact copy weights 64, 128, 192 and 256 mix whole words.
template <class F> void WithFillPen(PIX_pixel c, int ia, int mode, F&& f) {
  if (ia == 0) return;
  if ((mode & PIX_COMBINE_MODEMASK) != PIX_COMBINE_COPY) {
    WithBlendPen(c, ia, mode, f);
    return;
  }
  switch (ia) {
    case 64: return f(WordPen<_PIX_CombinePixelsQuarterMix2FAST>{c});
    case 128: return f(WordPen<_PIX_CombinePixelsHalfMix2FAST>{c});
    case 192: return f(WordPen<_PIX_CombinePixelsThreeQuarterMix2FAST>{c});
    case 256: return f(WordPen<_PIX_CombinePixelsClobberFAST>{c});
    default: break;
  }
  if (ia > 0) f(MakeRulePen<_PIX_CombinePixelsCopyNoClamp>(c, ia));
}

// Anti-aliased drawing and glyphs: a rule pen whose pixels carry their own weights; copy uses
// the copy rule and draws nothing at ia <= 0.
template <class F> void WithAAPen(PIX_pixel c, int ia, int mode, F&& f) {
  if (ia == 0) return;
  if ((mode & PIX_COMBINE_MODEMASK) != PIX_COMBINE_COPY) {
    WithBlendPen(c, ia, mode, f);
    return;
  }
  if (ia == 256) return f(CopyFullPen{MakeRulePen<_PIX_CombinePixelsCopyNoClamp>(c, ia), c});
  if (ia > 0) f(MakeRulePen<_PIX_CombinePixelsCopyNoClamp>(c, ia));
}

// Scales a coverage in 0..255 by the call's weight; full weight keeps it.
inline int ScaleWeight(int w, int ia) { return ia == 256 ? w : (w * ia) >> 8; }

// An 8-bit coverage image blended through the rows of a bitmap (step may be negative). Used by
// PIX_DrawGlyph and by the circle patterns, which place it in stored rows.
void DrawCoverage(PIX_pixel* bits, int w, int h, ptrdiff_t step, int x, int y, PIX_pixel color,
                  const unsigned char* image, int imagew, ptrdiff_t imagestep, int imageh, float alpha, int mode);

}  // namespace pix
