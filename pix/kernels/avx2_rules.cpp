// AVX2 kernels of the add, dodge, multiply and overlay rules, channel copy and the whole-word
// mixes, eight pixels at a time; the arithmetic is the SSE2 kernels' on wider vectors (see there
// for why each step is exact). Compiled with -mavx2 and sharing no inline code with the baseline
// files: weights outside 1..256 and the last n % 8 pixels go to the SSE2 kernel of the rule.
#include <immintrin.h>

#include "pix/kernels/avx2.h"
#include "pix/kernels/sse2.h"

namespace pix {
namespace avx2 {
namespace {

using V = __m256i;

inline V Load(const uint32_t* p) { return _mm256_loadu_si256(reinterpret_cast<const V*>(p)); }
inline void Store(uint32_t* p, V v) { _mm256_storeu_si256(reinterpret_cast<V*>(p), v); }
inline V Set16(int x) { return _mm256_set1_epi16(static_cast<short>(x)); }

inline bool Covered(int alpha) { return alpha >= 1 && alpha <= 256; }

// 16-bit lanes, channels 0..255, weights 0..256; results go through unsigned saturation.
struct AddRule {
  static V ch(V s, V d, V w) { return _mm256_add_epi16(d, _mm256_srli_epi16(_mm256_mullo_epi16(s, w), 8)); }
};

// 65536 - w (256 - s) as a 16-bit factor; w = 0 wraps and is masked by the callers that have it.
struct MultiplyRule {
  static V ch(V s, V d, V w) {
    const V m = _mm256_add_epi16(_mm256_mullo_epi16(s, w), _mm256_slli_epi16(_mm256_sub_epi16(Set16(256), w), 8));
    return _mm256_mulhi_epu16(m, d);
  }
};

// y = 32768 +- (A - ((A d) >> 8)) with A = w |s - 128|, signed like s - 128; result (y 2d) >> 16.
struct OverlayRule {
  static V ch(V s, V d, V w) {
    const V x = _mm256_sub_epi16(s, Set16(128));
    const V neg = _mm256_srai_epi16(x, 15);
    const V a = _mm256_mullo_epi16(_mm256_abs_epi16(x), w);
    const V e = _mm256_sub_epi16(a, _mm256_mulhi_epu16(a, _mm256_slli_epi16(d, 8)));
    const V y = _mm256_xor_si256(_mm256_sub_epi16(_mm256_xor_si256(e, neg), neg), Set16(-32768));
    return _mm256_mulhi_epu16(y, _mm256_add_epi16(d, d));
  }
};

// Truncated float quotients of 16-bit numerators by divisors 1..256 are the integer ones.
inline V Quotients(V num, V den) {
  const V z = _mm256_setzero_si256();
  const __m256 lo = _mm256_div_ps(_mm256_cvtepi32_ps(_mm256_unpacklo_epi16(num, z)),
                                    _mm256_cvtepi32_ps(_mm256_unpacklo_epi16(den, z)));
  const __m256 hi = _mm256_div_ps(_mm256_cvtepi32_ps(_mm256_unpackhi_epi16(num, z)),
                                    _mm256_cvtepi32_ps(_mm256_unpackhi_epi16(den, z)));
  return _mm256_packs_epi32(_mm256_cvttps_epi32(lo), _mm256_cvttps_epi32(hi));
}

struct DodgeRule {
  static V ch(V s, V d, V w) {
    const V k = _mm256_srli_epi16(_mm256_mullo_epi16(s, w), 8);
    return Quotients(_mm256_slli_epi16(d, 8), _mm256_sub_epi16(Set16(256), k));
  }
};

inline V Alpha16(V s) {
  return _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(s, _MM_SHUFFLE(3, 3, 3, 3)), _MM_SHUFFLE(3, 3, 3, 3));
}

// (alpha (a + 1)) / 256 per pixel from the factors (a + 1) 128 and 2 alpha.
inline V SourceWeight(V s, V alpha2) {
  return _mm256_mulhi_epu16(_mm256_slli_epi16(_mm256_add_epi16(Alpha16(s), Set16(1)), 7), alpha2);
}

struct MultiplySourceAlphaRule {
  static V ch(V s, V d, V w) {
    const V keep = _mm256_cmpeq_epi16(_mm256_min_epi16(w, Alpha16(s)), _mm256_setzero_si256());
    return _mm256_blendv_epi8(MultiplyRule::ch(s, d, w), d, keep);
  }
};

using BlendFn = void (*)(uint32_t*, const uint32_t*, int, int);
using SolidFn = void (*)(uint32_t*, int, uint32_t, int);

template <class R, BlendFn kNarrow> void Blend(uint32_t* d, const uint32_t* s, int n, int alpha) {
  if (!Covered(alpha)) return kNarrow(d, s, n, alpha);
  const V z = _mm256_setzero_si256();
  const V w = Set16(alpha);
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    const V sv = Load(s + i), dv = Load(d + i);
    Store(d + i, _mm256_packus_epi16(R::ch(_mm256_unpacklo_epi8(sv, z), _mm256_unpacklo_epi8(dv, z), w),
                                     R::ch(_mm256_unpackhi_epi8(sv, z), _mm256_unpackhi_epi8(dv, z), w)));
  }
  if (i < n) kNarrow(d + i, s + i, n - i, alpha);
}

template <class R, BlendFn kNarrow> void BlendSourceAlpha(uint32_t* d, const uint32_t* s, int n, int alpha) {
  if (!Covered(alpha)) return kNarrow(d, s, n, alpha);
  const V z = _mm256_setzero_si256();
  const V alpha2 = Set16(alpha * 2);
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    const V sv = Load(s + i), dv = Load(d + i);
    const V slo = _mm256_unpacklo_epi8(sv, z), shi = _mm256_unpackhi_epi8(sv, z);
    Store(d + i, _mm256_packus_epi16(R::ch(slo, _mm256_unpacklo_epi8(dv, z), SourceWeight(slo, alpha2)),
                                     R::ch(shi, _mm256_unpackhi_epi8(dv, z), SourceWeight(shi, alpha2))));
  }
  if (i < n) kNarrow(d + i, s + i, n - i, alpha);
}

template <class R, SolidFn kNarrow> void Solid(uint32_t* d, int n, uint32_t c, int alpha) {
  if (!Covered(alpha)) return kNarrow(d, n, c, alpha);
  const V z = _mm256_setzero_si256();
  const V s = _mm256_unpacklo_epi8(_mm256_set1_epi32(static_cast<int>(c)), z);
  const V w = Set16(alpha);
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    const V dv = Load(d + i);
    Store(d + i,
          _mm256_packus_epi16(R::ch(s, _mm256_unpacklo_epi8(dv, z), w), R::ch(s, _mm256_unpackhi_epi8(dv, z), w)));
  }
  if (i < n) kNarrow(d + i, n - i, c, alpha);
}

// n / D from r = 1 / D plus a bias of 2^-10, truncated (see the SSE2 solid dodge).
inline V ScaledQuotients(V num, __m256 r) {
  const V z = _mm256_setzero_si256();
  const __m256 bias = _mm256_set1_ps(1.0f / 1024.0f);
  const __m256 lo = _mm256_add_ps(_mm256_mul_ps(_mm256_cvtepi32_ps(_mm256_unpacklo_epi16(num, z)), r), bias);
  const __m256 hi = _mm256_add_ps(_mm256_mul_ps(_mm256_cvtepi32_ps(_mm256_unpackhi_epi16(num, z)), r), bias);
  return _mm256_packs_epi32(_mm256_cvttps_epi32(lo), _mm256_cvttps_epi32(hi));
}

inline V Half(V x) { return _mm256_and_si256(_mm256_srli_epi32(x, 1), _mm256_set1_epi8(0x7F)); }
inline V Quarter(V x) { return _mm256_and_si256(_mm256_srli_epi32(x, 2), _mm256_set1_epi8(0x3F)); }

}  // namespace

void AddRow(uint32_t* d, const uint32_t* s, int n, int alpha) { Blend<AddRule, sse2::AddRow>(d, s, n, alpha); }
void DodgeRow(uint32_t* d, const uint32_t* s, int n, int alpha) { Blend<DodgeRule, sse2::DodgeRow>(d, s, n, alpha); }
void MultiplyRow(uint32_t* d, const uint32_t* s, int n, int alpha) {
  Blend<MultiplyRule, sse2::MultiplyRow>(d, s, n, alpha);
}
void OverlayRow(uint32_t* d, const uint32_t* s, int n, int alpha) {
  Blend<OverlayRule, sse2::OverlayRow>(d, s, n, alpha);
}

void AddSourceAlphaRow(uint32_t* d, const uint32_t* s, int n, int alpha) {
  BlendSourceAlpha<AddRule, sse2::AddSourceAlphaRow>(d, s, n, alpha);
}
void DodgeSourceAlphaRow(uint32_t* d, const uint32_t* s, int n, int alpha) {
  BlendSourceAlpha<DodgeRule, sse2::DodgeSourceAlphaRow>(d, s, n, alpha);
}
void MultiplySourceAlphaRow(uint32_t* d, const uint32_t* s, int n, int alpha) {
  BlendSourceAlpha<MultiplySourceAlphaRule, sse2::MultiplySourceAlphaRow>(d, s, n, alpha);
}
void OverlaySourceAlphaRow(uint32_t* d, const uint32_t* s, int n, int alpha) {
  BlendSourceAlpha<OverlayRule, sse2::OverlaySourceAlphaRow>(d, s, n, alpha);
}

void AddSolidRow(uint32_t* d, int n, uint32_t c, int alpha) { Solid<AddRule, sse2::AddSolidRow>(d, n, c, alpha); }
void MultiplySolidRow(uint32_t* d, int n, uint32_t c, int alpha) {
  Solid<MultiplyRule, sse2::MultiplySolidRow>(d, n, c, alpha);
}
void OverlaySolidRow(uint32_t* d, int n, uint32_t c, int alpha) {
  Solid<OverlayRule, sse2::OverlaySolidRow>(d, n, c, alpha);
}

void DodgeSolidRow(uint32_t* d, int n, uint32_t c, int alpha) {
  if (!Covered(alpha)) return sse2::DodgeSolidRow(d, n, c, alpha);
  float recip[4];
  for (int b = 0; b < 4; ++b) recip[b] = 1.0f / static_cast<float>(256 - ((((c >> (8 * b)) & 0xFF) * alpha) >> 8));
  const __m256 r = _mm256_setr_ps(recip[0], recip[1], recip[2], recip[3], recip[0], recip[1], recip[2], recip[3]);
  const V z = _mm256_setzero_si256();
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    const V dv = Load(d + i);
    Store(d + i, _mm256_packus_epi16(ScaledQuotients(_mm256_unpacklo_epi8(z, dv), r),
                                     ScaledQuotients(_mm256_unpackhi_epi8(z, dv), r)));
  }
  if (i < n) sse2::DodgeSolidRow(d + i, n - i, c, alpha);
}

// One byte shuffle within each 128-bit half puts the source byte of every word in place and
// zeroes the others.
void ChannelCopyRow(uint32_t* d, const uint32_t* s, int n, int srcByte, int dstByte) {
  alignas(16) char order[16];
  for (int b = 0; b < 16; ++b) order[b] = (b & 3) == dstByte ? static_cast<char>((b & ~3) + srcByte) : -128;
  const V pick = _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(order)));
  const V mask = _mm256_set1_epi32(static_cast<int>(0xFFu << (8 * dstByte)));
  int i = 0;
  for (; i + 8 <= n; i += 8)
    Store(d + i, _mm256_or_si256(_mm256_andnot_si256(mask, Load(d + i)), _mm256_shuffle_epi8(Load(s + i), pick)));
  if (i < n) sse2::ChannelCopyRow(d + i, s + i, n - i, srcByte, dstByte);
}

void QuarterMixRow(uint32_t* d, int n, uint32_t c) {
  const V cv = Quarter(_mm256_set1_epi32(static_cast<int>(c)));
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    const V dv = Load(d + i);
    Store(d + i, _mm256_add_epi32(_mm256_add_epi32(cv, Quarter(dv)), Half(dv)));
  }
  if (i < n) sse2::QuarterMixRow(d + i, n - i, c);
}

void HalfMixSolidRow(uint32_t* d, int n, uint32_t c) {
  const V cv = Half(_mm256_set1_epi32(static_cast<int>(c)));
  int i = 0;
  for (; i + 8 <= n; i += 8) Store(d + i, _mm256_add_epi32(cv, Half(Load(d + i))));
  if (i < n) sse2::HalfMixSolidRow(d + i, n - i, c);
}

void ThreeQuarterMixRow(uint32_t* d, int n, uint32_t c) {
  const V cw = _mm256_set1_epi32(static_cast<int>(c));
  const V cv = _mm256_add_epi32(Half(cw), Quarter(cw));
  int i = 0;
  for (; i + 8 <= n; i += 8) Store(d + i, _mm256_add_epi32(cv, Quarter(Load(d + i))));
  if (i < n) sse2::ThreeQuarterMixRow(d + i, n - i, c);
}

}  // namespace avx2
}  // namespace pix
