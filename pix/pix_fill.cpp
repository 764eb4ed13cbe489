#include "pix/pix.h"
#include "pix/pix_loops.h"
#include "pix/pix_simd.h"

namespace {

void FillWords(PIX_pixel* d, int w, int h, PIX_pixel color, ptrdiff_t step) {
#if defined(PIX_HAVE_SSE2)
  if (_PIX_SimdEnabled()) {
    for (; h > 0; --h, d += step) _PIX_SSE2_FillRow(d, w, color);
    return;
  }
#endif
  _PIX_Template_Blit0<_PIX_CombinePixelsClobberFAST>::solidBlitFAST(d, w, h, color, step);
}

void SolidCopy(const _PIX_Surface& s, int x, int y, int w, int h, PIX_pixel color, int ia) {
  PIX_pixel* d = s.row(y) + x;
  switch (ia) {
    case 64: return _PIX_Template_Blit0<_PIX_CombinePixelsQuarterMix2FAST>::solidBlitFAST(d, w, h, color, s.step);
    case 128: return _PIX_Template_Blit0<_PIX_CombinePixelsHalfMix2FAST>::solidBlitFAST(d, w, h, color, s.step);
    case 192:
      return _PIX_Template_Blit0<_PIX_CombinePixelsThreeQuarterMix2FAST>::solidBlitFAST(d, w, h, color, s.step);
    case 256: return FillWords(d, w, h, color, s.step);
    default: break;
  }
  if (ia < 0) return;
  // The weight also stands for the source alpha, so the destination alpha moves toward it.
#if defined(PIX_HAVE_SSE2)
  if (_PIX_SimdEnabled() && ia < 256) {
    const PIX_pixel c = (color & 0xFFFFFFu) | (static_cast<PIX_pixel>(ia) << 24);
    void (*row)(PIX_pixel*, int, PIX_pixel, int) = _PIX_SSE2_CopySolidRow;
#if defined(PIX_HAVE_AVX2_KERNELS)
    if (_PIX_SimdLevel() >= PIX_SIMD_AVX2) row = _PIX_AVX2_CopySolidRow;
#endif
    for (int i = 0; i < h; ++i, d += s.step) row(d, w, c, ia);
    return;
  }
#endif
  _PIX_Template_Blit1<_PIX_CombinePixelsCopyNoClamp>::solidBlit(d, w, h, PIX_GETR(color), PIX_GETG(color),
                                                                 PIX_GETB(color), ia, ia, s.step);
}

}  // namespace

void PIX_FillRect(PIX_IBitmap* dest, int x, int y, int w, int h, PIX_pixel color, float alpha, int mode) {
  if (!dest) return;
  if (mode & PIX_FLAG_SOURCE_ALPHA) alpha *= static_cast<float>(PIX_GETA(color)) / 255.0f;
  _PIX_Surface s;
  if (!_PIX_GetSurface(dest, s) || !_PIX_ClipRect(s, x, y, w, h) || alpha == 0.0f) return;
  const int ia = PIX_Weight(alpha);
  if (ia == 0) return;
  const int plain = mode & PIX_COMBINE_MODEMASK;
  if (plain == PIX_COMBINE_COPY) return SolidCopy(s, x, y, w, h, color, ia);
  PIX_pixel* d = s.row(y) + x;
  _PIX_DispatchBlendRule(plain, [&](auto tag) {
    _PIX_Template_Blit1<typename decltype(tag)::type>::solidBlit(d, w, h, PIX_GETR(color), PIX_GETG(color),
                                                                  PIX_GETB(color), ia, ia, s.step);
  });
}

void PIX_Clear(PIX_IBitmap* dest, PIX_pixel color) {
  _PIX_Surface s;
  if (!_PIX_GetSurface(dest, s)) return;
  FillWords(s.bits, s.w, s.h, color, s.step);
}

void PIX_ClearRect(PIX_IBitmap* dest, int x, int y, int w, int h, PIX_pixel mask, PIX_pixel orbits) {
  _PIX_Surface s;
  if (!_PIX_GetSurface(dest, s) || !_PIX_ClipRect(s, x, y, w, h)) return;
  PIX_pixel* d = s.row(y) + x;
  for (; h > 0; --h, d += s.step)
    for (int i = 0; i < w; ++i) d[i] = (d[i] & mask) | orbits;
}

PIX_pixel PIX_GetPixel(const PIX_IBitmap* bm, int x, int y) {
  _PIX_Surface s;
  if (!_PIX_GetSurface(bm, s) || x < 0 || y < 0 || x >= s.w || y >= s.h) return 0;
  return s.row(y)[x];
}

void PIX_PutPixel(PIX_IBitmap* dest, int x, int y, PIX_pixel color, float alpha, int mode) {
  _PIX_Surface s;
  if (!_PIX_GetSurface(dest, s) || x < 0 || y < 0 || x >= s.w || y >= s.h) return;
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
  _PIX_DispatchBlendRule(plain, [&](auto tag) {
    decltype(tag)::type::doPix(reinterpret_cast<unsigned char*>(d), PIX_GETR(color), PIX_GETG(color),
                               PIX_GETB(color), PIX_GETA(color), ia);
  });
}
