// The scalar level: the rules of pix_combine.h one pixel at a time. Every wider level falls back
// to these for weights its vector code does not cover and for the last pixels of a row.
#include "pix/kernels/kernels.h"
#include "pix/pix_loops.h"
#include "pix/pix_window.h"

namespace pix {
namespace {

template <int kRule> struct RuleOf;
template <> struct RuleOf<kernels::kCopy> { using type = _PIX_CombinePixelsCopyNoClamp; };
template <> struct RuleOf<kernels::kCopySourceAlpha> { using type = _PIX_CombinePixelsCopySourceAlphaNoClamp; };
template <> struct RuleOf<kernels::kOver> { using type = _PIX_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp; };
template <> struct RuleOf<kernels::kAdd> { using type = _PIX_CombinePixelsAdd; };
template <> struct RuleOf<kernels::kAddSourceAlpha> { using type = _PIX_CombinePixelsAddSourceAlpha; };
template <> struct RuleOf<kernels::kDodge> { using type = _PIX_CombinePixelsColorDodge; };
template <> struct RuleOf<kernels::kDodgeSourceAlpha> { using type = _PIX_CombinePixelsColorDodgeSourceAlpha; };
template <> struct RuleOf<kernels::kMultiply> { using type = _PIX_CombinePixelsMulNoClamp; };
template <> struct RuleOf<kernels::kMultiplySourceAlpha> { using type = _PIX_CombinePixelsMulSourceAlphaNoClamp; };
template <> struct RuleOf<kernels::kOverlay> { using type = _PIX_CombinePixelsOverlay; };
template <> struct RuleOf<kernels::kOverlaySourceAlpha> { using type = _PIX_CombinePixelsOverlaySourceAlpha; };
template <> struct RuleOf<kernels::kHsv> { using type = _PIX_CombinePixelsHSVAdjust; };
template <> struct RuleOf<kernels::kHsvSourceAlpha> { using type = _PIX_CombinePixelsHSVAdjustSourceAlpha; };

void CopyRowScalar(uint32_t* d, const unsigned char* cov, int n, int r, int g, int b, int ia) {
  for (int x = 0; x < n; ++x) {
    const int cv = cov[x];
    if (!cv) continue;
    int weight = ia == 256 ? cv + 1 : (ia * cv) / 256;
    if (weight > 256) weight = 256;
    _PIX_CombinePixelsCopyNoClamp::doPix(reinterpret_cast<unsigned char*>(d + x), r, g, b, 255, weight);
  }
}

}  // namespace

namespace scalar {

template <int kRule> void BlendRow(uint32_t* d, const uint32_t* s, int n, int alpha) {
  _PIX_Template_Blit2<typename RuleOf<kRule>::type>::blit(d, s, n, 1, 0, 0, alpha);
}

template <int kRule> void SolidRow(uint32_t* d, int n, uint32_t c, int alpha) {
  _PIX_Template_Blit1<typename RuleOf<kRule>::type>::solidBlit(d, n, 1, PIX_GETR(c), PIX_GETG(c), PIX_GETB(c),
                                                              PIX_GETA(c), alpha, 0);
}

void HalfMixRow(uint32_t* d, const uint32_t* s, int n) {
  for (int i = 0; i < n; ++i) _PIX_CombinePixelsHalfMix2FAST::doPixFAST(d + i, s[i]);
}
void FillRow(uint32_t* d, int n, uint32_t c) {
  _PIX_Template_Blit0<_PIX_CombinePixelsClobberFAST>::solidBlitFAST(d, n, 1, c, 0);
}
void QuarterMixRow(uint32_t* d, int n, uint32_t c) {
  _PIX_Template_Blit0<_PIX_CombinePixelsQuarterMix2FAST>::solidBlitFAST(d, n, 1, c, 0);
}
void HalfMixSolidRow(uint32_t* d, int n, uint32_t c) {
  _PIX_Template_Blit0<_PIX_CombinePixelsHalfMix2FAST>::solidBlitFAST(d, n, 1, c, 0);
}
void ThreeQuarterMixRow(uint32_t* d, int n, uint32_t c) {
  _PIX_Template_Blit0<_PIX_CombinePixelsThreeQuarterMix2FAST>::solidBlitFAST(d, n, 1, c, 0);
}
void ChannelCopyRow(uint32_t* d, const uint32_t* s, int n, int srcByte, int dstByte) {
  unsigned char* db = reinterpret_cast<unsigned char*>(d) + dstByte;
  const unsigned char* sb = reinterpret_cast<const unsigned char*>(s) + srcByte;
  for (int i = 0; i < n; ++i) db[i * 4] = sb[i * 4];
}

void GlyphCopy(const kernels::GlyphArea& a, uint32_t color, int ia) {
  uint32_t* d = a.dest;
  const unsigned char* c = a.cov;
  for (int y = 0; y < a.h; ++y, d += a.dstep, c += a.covstep)
    CopyRowScalar(d, c, a.w, PIX_GETR(color), PIX_GETG(color), PIX_GETB(color), ia);
}

void CoverageCopy(const kernels::GlyphArea& a, uint32_t color, int ia) {
  uint32_t* d = a.dest;
  const unsigned char* c = a.cov;
  for (int y = 0; y < a.h; ++y, d += a.dstep, c += a.covstep)
    for (int x = 0; x < a.w; ++x) {
      const int weight = (c[x] * ia) / 256;
      if (weight != 0)
        _PIX_CombinePixelsCopyNoClamp::doPix(reinterpret_cast<unsigned char*>(d + x), PIX_GETR(color),
                                             PIX_GETG(color), PIX_GETB(color), PIX_GETA(color), weight);
    }
}

void ColumnSums(const Window& win, int y0, int y1, int c0, int c1, uint16_t* col) {
  for (int c = c0; c <= c1; ++c) {
    unsigned t[4] = {0, 0, 0, 0};
    for (int r = y0; r <= y1; ++r) {
      const uint32_t v = win.row(r)[c];
      t[0] += v & 255, t[1] += (v >> 8) & 255, t[2] += (v >> 16) & 255, t[3] += v >> 24;
    }
    for (int i = 0; i < 4; ++i) col[c * 4 + i] = static_cast<uint16_t>(t[i]);
  }
}

void Gather(const uint32_t* row, const int* columns, int n, uint32_t* out) {
  for (int i = 0; i < n; ++i) out[i] = row[columns[i]];
}

#define PIX_INSTANTIATE_RULE(k)                                                       \
  template void BlendRow<kernels::k>(uint32_t*, const uint32_t*, int, int);          \
  template void SolidRow<kernels::k>(uint32_t*, int, uint32_t, int);
PIX_INSTANTIATE_RULE(kCopy)
PIX_INSTANTIATE_RULE(kCopySourceAlpha)
PIX_INSTANTIATE_RULE(kOver)
PIX_INSTANTIATE_RULE(kAdd)
PIX_INSTANTIATE_RULE(kAddSourceAlpha)
PIX_INSTANTIATE_RULE(kDodge)
PIX_INSTANTIATE_RULE(kDodgeSourceAlpha)
PIX_INSTANTIATE_RULE(kMultiply)
PIX_INSTANTIATE_RULE(kMultiplySourceAlpha)
PIX_INSTANTIATE_RULE(kOverlay)
PIX_INSTANTIATE_RULE(kOverlaySourceAlpha)
PIX_INSTANTIATE_RULE(kHsv)
PIX_INSTANTIATE_RULE(kHsvSourceAlpha)
#undef PIX_INSTANTIATE_RULE

}  // namespace scalar
}  // namespace pix
