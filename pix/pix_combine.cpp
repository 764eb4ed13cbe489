#include "pix/pix_combine.h"

#include "pix/pix_loops.h"

namespace {

template <class R> inline void Apply(PIX_pixel* d, int r, int g, int b, int a, int ia) {
  R::doPix(reinterpret_cast<unsigned char*>(d), r, g, b, a, ia);
}

// The one-pixel dispatch shared by the free functions; Clamped picks the clamping copy and
// multiply forms.
template <bool Clamped> void Combine(PIX_pixel* d, int r, int g, int b, int a, int ia, int mode) {
  ia = PIX_LimitWeight(ia);
  if (ia == 0) return;
  switch (mode & PIX_RULE_MASK) {
    case PIX_COMBINE_COPY:
      if (ia == 256) {
        if (Clamped) return Apply<_PIX_CombinePixelsClobberClamp>(d, r, g, b, a, ia);
        return Apply<_PIX_CombinePixelsClobberNoClamp>(d, r, g, b, a, ia);
      }
      if (Clamped) return Apply<_PIX_CombinePixelsCopyClamp>(d, r, g, b, a, ia);
      return Apply<_PIX_CombinePixelsCopyNoClamp>(d, r, g, b, a, ia);
    case PIX_FLAG_SOURCE_ALPHA:
      if (ia == 256) return Apply<_PIX_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp>(d, r, g, b, a, ia);
      return Apply<_PIX_CombinePixelsCopySourceAlphaNoClamp>(d, r, g, b, a, ia);
    case PIX_COMBINE_MULTIPLY:
      if (Clamped) return Apply<_PIX_CombinePixelsMulClamp>(d, r, g, b, a, ia);
      return Apply<_PIX_CombinePixelsMulNoClamp>(d, r, g, b, a, ia);
    case PIX_FLAG_SOURCE_ALPHA | PIX_COMBINE_MULTIPLY:
      if (Clamped) return Apply<_PIX_CombinePixelsMulSourceAlphaClamp>(d, r, g, b, a, ia);
      return Apply<_PIX_CombinePixelsMulSourceAlphaNoClamp>(d, r, g, b, a, ia);
    default:
      pix::DispatchBlendRule(mode, [&](auto tag) { Apply<typename decltype(tag)::type>(d, r, g, b, a, ia); });
  }
}

}  // namespace

PIX_pixel PIX_CombinePixels(PIX_pixel dest, PIX_pixel src, float alpha, int mode) {
  Combine<false>(&dest, PIX_GETR(src), PIX_GETG(src), PIX_GETB(src), PIX_GETA(src), PIX_Weight(alpha), mode);
  return dest;
}

void PIX_CombinePixels2(PIX_pixel* dest, int r, int g, int b, int a, int ia, int mode) {
  if (!dest) return;
  Combine<false>(dest, r, g, b, a, ia, mode);
}

void PIX_CombinePixels2Clamp(PIX_pixel* dest, int r, int g, int b, int a, int ia, int mode) {
  if (!dest) return;
  Combine<true>(dest, pix::Clamp(r), pix::Clamp(g), pix::Clamp(b), pix::Clamp(a), ia, mode);
}
