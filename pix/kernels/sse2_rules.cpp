// SSE2 kernels of the add, dodge, multiply and overlay rules, channel copy and the whole-word
// mixes, four pixels at a time. Weights outside 1..256 run the scalar rule over the whole row,
// and so do the last n % 4 pixels.
#include <emmintrin.h>

#include "pix/kernels/sse2.h"

namespace pix {
namespace sse2 {
namespace {

using V = __m128i;

inline V Load(const uint32_t* p) { return _mm_loadu_si128(reinterpret_cast<const V*>(p)); }
inline void Store(uint32_t* p, V v) { _mm_storeu_si128(reinterpret_cast<V*>(p), v); }
inline V Set16(int x) { return _mm_set1_epi16(static_cast<short>(x)); }

// In 1..256 every product below fits its 16-bit lane.
inline bool Covered(int alpha) { return alpha >= 1 && alpha <= 256; }

// The rules on 16-bit lanes, two pixels per vector: channels s and d in 0..255, a weight w in
// 0..256 per lane. Results are non-negative and below 32768; packing them with unsigned
// saturation is the rules' clamp.

struct AddRule {
  static V ch(V s, V d, V w) { return _mm_add_epi16(d, _mm_srli_epi16(_mm_mullo_epi16(s, w), 8)); }
};

// m = s w + (256 - w) 256 = 65536 - w (256 - s) fits 16 bits for w >= 1, and (m d) >> 16 is
// the high half of the product. At w = 0, m wraps to 0; callers whose weight can be 0 mask it.
struct MultiplyRule {
  static V ch(V s, V d, V w) {
    const V m = _mm_add_epi16(_mm_mullo_epi16(s, w), _mm_slli_epi16(_mm_sub_epi16(Set16(256), w), 8));
    return _mm_mulhi_epu16(m, d);
  }
};

// With A = w |s - 128| <= 32768, the weighted source v = 32768 + w (s - 128) and the truncating
// division, y = ((32768 - v) d) / 256 + v is 32768 +- (A - ((A d) >> 8)), the sign that of
// s - 128; y stays in 0..65280. The result (y d) >> 15 is the high half of y * 2d.
struct OverlayRule {
  static V ch(V s, V d, V w) {
    const V x = _mm_sub_epi16(s, Set16(128));
    const V neg = _mm_srai_epi16(x, 15);
    const V a = _mm_mullo_epi16(_mm_sub_epi16(_mm_xor_si128(x, neg), neg), w);
    const V e = _mm_sub_epi16(a, _mm_mulhi_epu16(a, _mm_slli_epi16(d, 8)));
    const V y = _mm_xor_si128(_mm_sub_epi16(_mm_xor_si128(e, neg), neg), Set16(-32768));
    return _mm_mulhi_epu16(y, _mm_add_epi16(d, d));
  }
};

// (d 256) / (256 - k) with k = (s w) >> 8 <= 255; k = 255 gives d 256, as the rule's other
// branch does. The float quotient is correctly rounded, and a quotient of a numerator below
// 65536 by a divisor up to 256 that is not an integer lies at least 1/256 from the next one,
// more than half a float step there, so truncating it gives the integer quotient.
inline V Quotients(V num, V den) {
  const V z = _mm_setzero_si128();
  const __m128 lo =
      _mm_div_ps(_mm_cvtepi32_ps(_mm_unpacklo_epi16(num, z)), _mm_cvtepi32_ps(_mm_unpacklo_epi16(den, z)));
  const __m128 hi =
      _mm_div_ps(_mm_cvtepi32_ps(_mm_unpackhi_epi16(num, z)), _mm_cvtepi32_ps(_mm_unpackhi_epi16(den, z)));
  return _mm_packs_epi32(_mm_cvttps_epi32(lo), _mm_cvttps_epi32(hi));
}

struct DodgeRule {
  static V ch(V s, V d, V w) {
    const V k = _mm_srli_epi16(_mm_mullo_epi16(s, w), 8);
    return Quotients(_mm_slli_epi16(d, 8), _mm_sub_epi16(Set16(256), k));
  }
};

inline V Alpha16(V s) {
  return _mm_shufflehi_epi16(_mm_shufflelo_epi16(s, _MM_SHUFFLE(3, 3, 3, 3)), _MM_SHUFFLE(3, 3, 3, 3));
}

// (alpha (a + 1)) / 256 in every lane of each pixel, 0..256. The factors (a + 1) 128 and
// 2 alpha stay within 16 bits even for a = 255 at alpha = 256.
inline V SourceWeight(V s, V alpha2) {
  return _mm_mulhi_epu16(_mm_slli_epi16(_mm_add_epi16(Alpha16(s), Set16(1)), 7), alpha2);
}

// A zero source alpha or a zero weight leaves the pixel (the weight-0 product would be d).
struct MultiplySourceAlphaRule {
  static V ch(V s, V d, V w) {
    const V keep = _mm_cmpeq_epi16(_mm_min_epi16(w, Alpha16(s)), _mm_setzero_si128());
    return _mm_or_si128(_mm_and_si128(keep, d), _mm_andnot_si128(keep, MultiplyRule::ch(s, d, w)));
  }
};

template <int kRule, class R> void Blend(uint32_t* d, const uint32_t* s, int n, int alpha) {
  if (!Covered(alpha)) return scalar::BlendRow<kRule>(d, s, n, alpha);
  const V z = _mm_setzero_si128();
  const V w = Set16(alpha);
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    const V sv = Load(s + i), dv = Load(d + i);
    Store(d + i, _mm_packus_epi16(R::ch(_mm_unpacklo_epi8(sv, z), _mm_unpacklo_epi8(dv, z), w),
                                  R::ch(_mm_unpackhi_epi8(sv, z), _mm_unpackhi_epi8(dv, z), w)));
  }
  if (i < n) scalar::BlendRow<kRule>(d + i, s + i, n - i, alpha);
}

// A zero source alpha gets weight 0 (1 at alpha 256), with which add adds nothing; dodge and
// overlay do not skip it, and multiply masks it itself.
template <int kRule, class R> void BlendSourceAlpha(uint32_t* d, const uint32_t* s, int n, int alpha) {
  if (!Covered(alpha)) return scalar::BlendRow<kRule>(d, s, n, alpha);
  const V z = _mm_setzero_si128();
  const V alpha2 = Set16(alpha * 2);
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    const V sv = Load(s + i), dv = Load(d + i);
    const V slo = _mm_unpacklo_epi8(sv, z), shi = _mm_unpackhi_epi8(sv, z);
    Store(d + i, _mm_packus_epi16(R::ch(slo, _mm_unpacklo_epi8(dv, z), SourceWeight(slo, alpha2)),
                                  R::ch(shi, _mm_unpackhi_epi8(dv, z), SourceWeight(shi, alpha2))));
  }
  if (i < n) scalar::BlendRow<kRule>(d + i, s + i, n - i, alpha);
}

// The colour's terms do not depend on the pixel; the compiler lifts them out of the loop.
template <int kRule, class R> void Solid(uint32_t* d, int n, uint32_t c, int alpha) {
  if (!Covered(alpha)) return scalar::SolidRow<kRule>(d, n, c, alpha);
  const V z = _mm_setzero_si128();
  const V s = _mm_unpacklo_epi8(_mm_set1_epi32(static_cast<int>(c)), z);
  const V w = Set16(alpha);
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    const V dv = Load(d + i);
    Store(d + i, _mm_packus_epi16(R::ch(s, _mm_unpacklo_epi8(dv, z), w), R::ch(s, _mm_unpackhi_epi8(dv, z), w)));
  }
  if (i < n) scalar::SolidRow<kRule>(d + i, n - i, c, alpha);
}

// n / D from r = 1 / D: n r is within 2^-15 of n / D below 256, and the bias 2^-10 lifts exact
// quotients over that error while the others, at least 1/256 below the next integer, stay
// under it. Quotients from 256 on clamp to 255 either way.
inline V ScaledQuotients(V num, __m128 r) {
  const V z = _mm_setzero_si128();
  const __m128 bias = _mm_set1_ps(1.0f / 1024.0f);
  const __m128 lo = _mm_add_ps(_mm_mul_ps(_mm_cvtepi32_ps(_mm_unpacklo_epi16(num, z)), r), bias);
  const __m128 hi = _mm_add_ps(_mm_mul_ps(_mm_cvtepi32_ps(_mm_unpackhi_epi16(num, z)), r), bias);
  return _mm_packs_epi32(_mm_cvttps_epi32(lo), _mm_cvttps_epi32(hi));
}

// The masked byte of each d word from s shifted by kShift bits (left if positive); returns the
// pixels done.
template <int kShift> int MoveBytes(uint32_t* d, const uint32_t* s, int n, V mask) {
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    V moved = Load(s + i);
    if constexpr (kShift > 0) moved = _mm_slli_epi32(moved, kShift);
    if constexpr (kShift < 0) moved = _mm_srli_epi32(moved, -kShift);
    Store(d + i, _mm_or_si128(_mm_andnot_si128(mask, Load(d + i)), _mm_and_si128(mask, moved)));
  }
  return i;
}

// Per-byte halves and quarters of whole words.
inline V Half(V x) { return _mm_and_si128(_mm_srli_epi32(x, 1), _mm_set1_epi8(0x7F)); }
inline V Quarter(V x) { return _mm_and_si128(_mm_srli_epi32(x, 2), _mm_set1_epi8(0x3F)); }

}  // namespace

void AddRow(uint32_t* d, const uint32_t* s, int n, int alpha) { Blend<kernels::kAdd, AddRule>(d, s, n, alpha); }
void DodgeRow(uint32_t* d, const uint32_t* s, int n, int alpha) {
  Blend<kernels::kDodge, DodgeRule>(d, s, n, alpha);
}
void MultiplyRow(uint32_t* d, const uint32_t* s, int n, int alpha) {
  Blend<kernels::kMultiply, MultiplyRule>(d, s, n, alpha);
}
void OverlayRow(uint32_t* d, const uint32_t* s, int n, int alpha) {
  Blend<kernels::kOverlay, OverlayRule>(d, s, n, alpha);
}

void AddSourceAlphaRow(uint32_t* d, const uint32_t* s, int n, int alpha) {
  BlendSourceAlpha<kernels::kAddSourceAlpha, AddRule>(d, s, n, alpha);
}
void DodgeSourceAlphaRow(uint32_t* d, const uint32_t* s, int n, int alpha) {
  BlendSourceAlpha<kernels::kDodgeSourceAlpha, DodgeRule>(d, s, n, alpha);
}
void MultiplySourceAlphaRow(uint32_t* d, const uint32_t* s, int n, int alpha) {
  BlendSourceAlpha<kernels::kMultiplySourceAlpha, MultiplySourceAlphaRule>(d, s, n, alpha);
}
void OverlaySourceAlphaRow(uint32_t* d, const uint32_t* s, int n, int alpha) {
  BlendSourceAlpha<kernels::kOverlaySourceAlpha, OverlayRule>(d, s, n, alpha);
}

void AddSolidRow(uint32_t* d, int n, uint32_t c, int alpha) { Solid<kernels::kAdd, AddRule>(d, n, c, alpha); }
void MultiplySolidRow(uint32_t* d, int n, uint32_t c, int alpha) {
  Solid<kernels::kMultiply, MultiplyRule>(d, n, c, alpha);
}
void OverlaySolidRow(uint32_t* d, int n, uint32_t c, int alpha) {
  Solid<kernels::kOverlay, OverlayRule>(d, n, c, alpha);
}

// A solid row has one divisor per channel, so its reciprocal replaces the division.
void DodgeSolidRow(uint32_t* d, int n, uint32_t c, int alpha) {
  if (!Covered(alpha)) return scalar::SolidRow<kernels::kDodge>(d, n, c, alpha);
  float recip[4];
  for (int b = 0; b < 4; ++b) recip[b] = 1.0f / static_cast<float>(256 - ((((c >> (8 * b)) & 0xFF) * alpha) >> 8));
  const __m128 r = _mm_loadu_ps(recip);
  const V z = _mm_setzero_si128();
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    const V dv = Load(d + i);
    // Bytes unpacked into the high halves are d << 8.
    Store(d + i, _mm_packus_epi16(ScaledQuotients(_mm_unpacklo_epi8(z, dv), r),
                                  ScaledQuotients(_mm_unpackhi_epi8(z, dv), r)));
  }
  if (i < n) scalar::SolidRow<kernels::kDodge>(d + i, n - i, c, alpha);
}

// Shifts by a register count are slow on some cores, so each distance gets its own loop with
// an immediate count, picked once per row.
void ChannelCopyRow(uint32_t* d, const uint32_t* s, int n, int srcByte, int dstByte) {
  const V mask = _mm_set1_epi32(static_cast<int>(0xFFu << (8 * dstByte)));
  int done = 0;
  switch (dstByte - srcByte) {
    case -3: done = MoveBytes<-24>(d, s, n, mask); break;
    case -2: done = MoveBytes<-16>(d, s, n, mask); break;
    case -1: done = MoveBytes<-8>(d, s, n, mask); break;
    case 0: done = MoveBytes<0>(d, s, n, mask); break;
    case 1: done = MoveBytes<8>(d, s, n, mask); break;
    case 2: done = MoveBytes<16>(d, s, n, mask); break;
    case 3: done = MoveBytes<24>(d, s, n, mask); break;
  }
  if (done < n) scalar::ChannelCopyRow(d + done, s + done, n - done, srcByte, dstByte);
}

// The whole-word mixes, word for word in 32-bit lanes; the colour's terms are computed once.
void QuarterMixRow(uint32_t* d, int n, uint32_t c) {
  const V cv = Quarter(_mm_set1_epi32(static_cast<int>(c)));
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    const V dv = Load(d + i);
    Store(d + i, _mm_add_epi32(_mm_add_epi32(cv, Quarter(dv)), Half(dv)));
  }
  if (i < n) scalar::QuarterMixRow(d + i, n - i, c);
}

void HalfMixSolidRow(uint32_t* d, int n, uint32_t c) {
  const V cv = Half(_mm_set1_epi32(static_cast<int>(c)));
  int i = 0;
  for (; i + 4 <= n; i += 4) Store(d + i, _mm_add_epi32(cv, Half(Load(d + i))));
  if (i < n) scalar::HalfMixSolidRow(d + i, n - i, c);
}

void ThreeQuarterMixRow(uint32_t* d, int n, uint32_t c) {
  const V cw = _mm_set1_epi32(static_cast<int>(c));
  const V cv = _mm_add_epi32(Half(cw), Quarter(cw));
  int i = 0;
  for (; i + 4 <= n; i += 4) Store(d + i, _mm_add_epi32(cv, Quarter(Load(d + i))));
  if (i < n) scalar::ThreeQuarterMixRow(d + i, n - i, c);
}

}  // namespace sse2
}  // namespace pix
