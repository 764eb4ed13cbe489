#include "pix/pix.h"
#include "pix/pix_loops.h"
#include "pix/kernels/kernels.h"

namespace {

void SolidRows(PIX_pixel* d, int w, int h, PIX_pixel color, ptrdiff_t step, pix::kernels::WordRow row) {
  for (; h > 0; --h, d += step) row(d, w, color);
}

// The weight also stands for the source alpha, so the destination alpha moves toward it. A colour
// word holds that alpha only from 0 to 255; other weights take the rule's own loop.
template <class R>
void SolidRule(PIX_pixel* d, int w, int h, ptrdiff_t step, PIX_pixel color, int ia, pix::kernels::SolidRow row) {
  if (ia < 0 || ia > 255) {
    _PIX_Template_Blit1<R>::solidBlit(d, w, h, PIX_GETR(color), PIX_GETG(color), PIX_GETB(color), ia, ia, step);
    return;
  }
  const PIX_pixel c = (color & 0xFFFFFFu) | (static_cast<PIX_pixel>(ia) << 24);
  for (; h > 0; --h, d += step) row(d, w, c, ia);
}

void SolidCopy(const pix::Surface& s, int x, int y, int w, int h, PIX_pixel color, int ia) {
  const pix::kernels::Table& k = pix::kernels::Active();
  PIX_pixel* d = s.row(y) + x;
  switch (ia) {
    case 64: return SolidRows(d, w, h, color, s.step, k.quarterMix);
    case 128: return SolidRows(d, w, h, color, s.step, k.halfMixSolid);
    case 192: return SolidRows(d, w, h, color, s.step, k.threeQuarterMix);
    case 256: return SolidRows(d, w, h, color, s.step, k.fill);
    default: break;
  }
  if (ia < 0) return;
  SolidRule<_PIX_CombinePixelsCopyNoClamp>(d, w, h, s.step, color, ia, k.solid[pix::kernels::kCopy]);
}

}  // namespace

void PIX_FillRect(PIX_IBitmap* dest, int x, int y, int w, int h, PIX_pixel color, float alpha, int mode) {
  if (!dest) return;
  if (mode & PIX_FLAG_SOURCE_ALPHA) alpha *= static_cast<float>(PIX_GETA(color)) / 255.0f;
  pix::Surface s;
  if (!pix::GetSurface(dest, s) || !pix::ClipRect(s, x, y, w, h) || alpha == 0.0f) return;
  const int ia = PIX_Weight(alpha);
  if (ia == 0) return;
  const int plain = mode & PIX_COMBINE_MODEMASK;
  if (plain == PIX_COMBINE_COPY) return SolidCopy(s, x, y, w, h, color, ia);
  using namespace pix::kernels;
  const Table& k = Active();
  PIX_pixel* d = s.row(y) + x;
  switch (plain) {
    case PIX_COMBINE_ADD: return SolidRule<_PIX_CombinePixelsAdd>(d, w, h, s.step, color, ia, k.solid[kAdd]);
    case PIX_COMBINE_DODGE:
      return SolidRule<_PIX_CombinePixelsColorDodge>(d, w, h, s.step, color, ia, k.solid[kDodge]);
    case PIX_COMBINE_MULTIPLY:
      return SolidRule<_PIX_CombinePixelsMulNoClamp>(d, w, h, s.step, color, ia, k.solid[kMultiply]);
    case PIX_COMBINE_OVERLAY:
      return SolidRule<_PIX_CombinePixelsOverlay>(d, w, h, s.step, color, ia, k.solid[kOverlay]);
    case PIX_COMBINE_HSVADJUST:
      return SolidRule<_PIX_CombinePixelsHSVAdjust>(d, w, h, s.step, color, ia, k.solid[kHsv]);
    default: return;
  }
}

void PIX_Clear(PIX_IBitmap* dest, PIX_pixel color) {
  pix::Surface s;
  if (!pix::GetSurface(dest, s)) return;
  SolidRows(s.bits, s.w, s.h, color, s.step, pix::kernels::Active().fill);
}

void PIX_ClearRect(PIX_IBitmap* dest, int x, int y, int w, int h, PIX_pixel mask, PIX_pixel orbits) {
  pix::Surface s;
  if (!pix::GetSurface(dest, s) || !pix::ClipRect(s, x, y, w, h)) return;
  PIX_pixel* d = s.row(y) + x;
  for (; h > 0; --h, d += s.step)
    for (int i = 0; i < w; ++i) d[i] = (d[i] & mask) | orbits;
}

PIX_pixel PIX_GetPixel(const PIX_IBitmap* bm, int x, int y) {
  pix::Surface s;
  if (!pix::GetSurface(bm, s) || x < 0 || y < 0 || x >= s.w || y >= s.h) return 0;
  return s.row(y)[x];
}

void PIX_PutPixel(PIX_IBitmap* dest, int x, int y, PIX_pixel color, float alpha, int mode) {
  pix::Surface s;
  if (!pix::GetSurface(dest, s) || x < 0 || y < 0 || x >= s.w || y >= s.h) return;
  const int ia = PIX_Weight(alpha);
  if (ia == 0) return;
  PIX_pixel* d = s.row(y) + x;
  const int plain = mode & PIX_COMBINE_MODEMASK;
  if (plain == PIX_COMBINE_COPY) {
    switch (ia) {
      case 64: return _PIX_CombinePixelsQuarterMix2FAST::doPixFAST(d, color);
      case 128: return _PIX_CombinePixelsHalfMix2FAST::doPixFAST(d, color);
      case 192: return _PIX_CombinePixelsThreeQuarterMix2FAST::doPixFAST(d, color);
      case 256: return _PIX_CombinePixelsClobberFAST::doPixFAST(d, color);
      default: break;
    }
    if (ia > 0)
      _PIX_CombinePixelsCopyNoClamp::doPix(reinterpret_cast<unsigned char*>(d), PIX_GETR(color), PIX_GETG(color),
                                           PIX_GETB(color), PIX_GETA(color), ia);
    return;
  }
  pix::DispatchBlendRule(plain, [&](auto tag) {
    decltype(tag)::type::doPix(reinterpret_cast<unsigned char*>(d), PIX_GETR(color), PIX_GETG(color),
                               PIX_GETB(color), PIX_GETA(color), ia);
  });
}
