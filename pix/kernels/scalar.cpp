// The scalar level: the rules of pix_combine.h one pixel at a time. Every wider level falls back
// to these for weights its vector code does not cover and for the last pixels of a row.
#include "pix/kernels/kernels.h"
#include "pix/pix_combine.h"

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

template <class R> inline void Apply(uint32_t* d, uint32_t s, int alpha) {
  R::doPix(reinterpret_cast<unsigned char*>(d), PIX_GETR(s), PIX_GETG(s), PIX_GETB(s), PIX_GETA(s), alpha);
}

template <int... k> struct RuleList {};

template <int... k> constexpr kernels::Table MakeTable(RuleList<k...>) {
  return kernels::Table{kernels::Level::kScalar,
                        {&scalar::BlendRow<k>...},
                        {&scalar::SolidRow<k>...},
                        scalar::HalfMixRow,
                        scalar::FillRow,
                        scalar::QuarterMixRow,
                        scalar::HalfMixSolidRow,
                        scalar::ThreeQuarterMixRow,
                        scalar::ChannelCopyRow};
}

}  // namespace

namespace scalar {

template <int kRule> void BlendRow(uint32_t* d, const uint32_t* s, int n, int alpha) {
  for (int i = 0; i < n; ++i) Apply<typename RuleOf<kRule>::type>(d + i, s[i], alpha);
}

template <int kRule> void SolidRow(uint32_t* d, int n, uint32_t c, int alpha) {
  for (int i = 0; i < n; ++i) Apply<typename RuleOf<kRule>::type>(d + i, c, alpha);
}

void HalfMixRow(uint32_t* d, const uint32_t* s, int n) {
  for (int i = 0; i < n; ++i) _PIX_CombinePixelsHalfMix2FAST::doPixFAST(d + i, s[i]);
}
void FillRow(uint32_t* d, int n, uint32_t c) {
  for (int i = 0; i < n; ++i) d[i] = c;
}
void QuarterMixRow(uint32_t* d, int n, uint32_t c) {
  for (int i = 0; i < n; ++i) _PIX_CombinePixelsQuarterMix2FAST::doPixFAST(d + i, c);
}
void HalfMixSolidRow(uint32_t* d, int n, uint32_t c) {
  for (int i = 0; i < n; ++i) _PIX_CombinePixelsHalfMix2FAST::doPixFAST(d + i, c);
}
void ThreeQuarterMixRow(uint32_t* d, int n, uint32_t c) {
  for (int i = 0; i < n; ++i) _PIX_CombinePixelsThreeQuarterMix2FAST::doPixFAST(d + i, c);
}
void ChannelCopyRow(uint32_t* d, const uint32_t* s, int n, int srcByte, int dstByte) {
  unsigned char* db = reinterpret_cast<unsigned char*>(d) + dstByte;
  const unsigned char* sb = reinterpret_cast<const unsigned char*>(s) + srcByte;
  for (int i = 0; i < n; ++i) db[i * 4] = sb[i * 4];
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

namespace kernels {

const Table& ScalarTable() {
  static constexpr Table table = MakeTable(
      RuleList<kCopy, kCopySourceAlpha, kOver, kAdd, kAddSourceAlpha, kDodge, kDodgeSourceAlpha, kMultiply,
               kMultiplySourceAlpha, kOverlay, kOverlaySourceAlpha, kHsv, kHsvSourceAlpha>());
  return table;
}

}  // namespace kernels
}  // namespace pix
