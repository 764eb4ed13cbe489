// The SSE2 kernels of the copy rules, the fill and the half mix: four pixels at a time.
#include <emmintrin.h>

#include "pix/kernels/sse2.h"
#include "pix/pix_combine.h"

namespace pix {
namespace sse2 {

namespace {

// s + trunc((d - s) * wd / 256) on 16-bit lanes with ws + wd = 256 and channels in 0..255.
// Adding 256 s on both sides turns it into (s ws + d wd + bias) >> 8 with no negative terms,
// where bias = 255 when d < s makes the shift round toward zero like the scalar division. The
// largest sum is 255 * 256 + 255, so unsigned 16-bit lanes hold it exactly.
inline __m128i Mix(__m128i s, __m128i d, __m128i ws, __m128i wd) {
  const __m128i bias = _mm_and_si128(_mm_cmpgt_epi16(s, d), _mm_set1_epi16(255));
  return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(s, ws), _mm_mullo_epi16(d, wd)), bias), 8);
}

inline __m128i BroadcastAlpha16(__m128i x) {
  return _mm_shufflehi_epi16(_mm_shufflelo_epi16(x, _MM_SHUFFLE(3, 3, 3, 3)), _MM_SHUFFLE(3, 3, 3, 3));
}

inline __m128i AlphaMask() { return _mm_set1_epi32(static_cast<int>(0xFF000000u)); }

inline __m128i Over4(__m128i s, __m128i d) {
  const __m128i z = _mm_setzero_si128();
  const __m128i one = _mm_set1_epi16(1);
  const __m128i c256 = _mm_set1_epi16(256);
  const __m128i am = AlphaMask();
  const __m128i slo = _mm_unpacklo_epi8(s, z), shi = _mm_unpackhi_epi8(s, z);
  const __m128i alo = BroadcastAlpha16(slo), ahi = BroadcastAlpha16(shi);
  // Colour weights a + 1 on the source and 255 - a on the destination, except that a
  // transparent source pixel gets 0 and 256, which leaves its destination exactly as it was.
  const __m128i wslo = _mm_add_epi16(alo, _mm_min_epi16(alo, one));
  const __m128i wshi = _mm_add_epi16(ahi, _mm_min_epi16(ahi, one));
  const __m128i mixed = _mm_packus_epi16(Mix(slo, _mm_unpacklo_epi8(d, z), wslo, _mm_sub_epi16(c256, wslo)),
                                         Mix(shi, _mm_unpackhi_epi8(d, z), wshi, _mm_sub_epi16(c256, wshi)));
  const __m128i alpha = _mm_and_si128(_mm_adds_epu8(d, s), am);
  return _mm_or_si128(_mm_andnot_si128(am, mixed), alpha);
}

inline __m128i CopySourceAlpha4(__m128i s, __m128i d, __m128i ia) {
  const __m128i z = _mm_setzero_si128();
  const __m128i one = _mm_set1_epi16(1);
  const __m128i c256 = _mm_set1_epi16(256);
  const __m128i am = AlphaMask();
  const __m128i slo = _mm_unpacklo_epi8(s, z), shi = _mm_unpackhi_epi8(s, z);
  // Per-pixel weight (ia * (a + 1)) / 256, at most 255 * 256 before the shift.
  const __m128i wlo = _mm_srli_epi16(_mm_mullo_epi16(_mm_add_epi16(BroadcastAlpha16(slo), one), ia), 8);
  const __m128i whi = _mm_srli_epi16(_mm_mullo_epi16(_mm_add_epi16(BroadcastAlpha16(shi), one), ia), 8);
  // A zero source alpha gives weight 0, which already leaves the colour channels unchanged.
  const __m128i mixed = _mm_packus_epi16(Mix(slo, _mm_unpacklo_epi8(d, z), wlo, _mm_sub_epi16(c256, wlo)),
                                         Mix(shi, _mm_unpackhi_epi8(d, z), whi, _mm_sub_epi16(c256, whi)));
  const __m128i wbytes = _mm_packus_epi16(wlo, whi);
  const __m128i alpha = _mm_and_si128(_mm_adds_epu8(d, wbytes), am);
  return _mm_or_si128(_mm_andnot_si128(am, mixed), alpha);
}

inline __m128i Copy4(__m128i s, __m128i d, __m128i ws, __m128i wd) {
  const __m128i z = _mm_setzero_si128();
  return _mm_packus_epi16(Mix(_mm_unpacklo_epi8(s, z), _mm_unpacklo_epi8(d, z), ws, wd),
                          Mix(_mm_unpackhi_epi8(s, z), _mm_unpackhi_epi8(d, z), ws, wd));
}

inline __m128i Load(const uint32_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
inline void Store(uint32_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

}  // namespace

void OverRow(uint32_t* d, const uint32_t* s, int n, int) {
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m128i sv = Load(s + i);
    // Runs of opaque or transparent pixels (typical artwork) skip the arithmetic. Both tests
    // feed one branch so that mixed alpha does not pay for mispredictions.
    const int opaque = _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_or_si128(sv, _mm_set1_epi32(0x00FFFFFF)), _mm_set1_epi32(-1)));
    const int clear = _mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(sv, AlphaMask()), _mm_setzero_si128()));
    if ((opaque == 0xFFFF) | (clear == 0xFFFF)) {
      if (opaque == 0xFFFF) Store(d + i, sv);
      continue;
    }
    Store(d + i, Over4(sv, Load(d + i)));
  }
  // At most three pixels: the rule inline costs less than a call.
  for (; i < n; ++i)
    _PIX_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp::doPix(reinterpret_cast<unsigned char*>(d + i),
                                                                  PIX_GETR(s[i]), PIX_GETG(s[i]), PIX_GETB(s[i]),
                                                                  PIX_GETA(s[i]), 256);
}

void CopySourceAlphaRow(uint32_t* d, const uint32_t* s, int n, int alpha) {
  // (a + 1) * 256 does not fit the 16-bit lanes.
  if (alpha < 1 || alpha > 255) return scalar::BlendRow<kernels::kCopySourceAlpha>(d, s, n, alpha);
  const __m128i ia = _mm_set1_epi16(static_cast<short>(alpha));
  int i = 0;
  for (; i + 4 <= n; i += 4) Store(d + i, CopySourceAlpha4(Load(s + i), Load(d + i), ia));
  scalar::BlendRow<kernels::kCopySourceAlpha>(d + i, s + i, n - i, alpha);
}

void CopyRow(uint32_t* d, const uint32_t* s, int n, int alpha) {
  if (alpha < 1 || alpha > 256) return scalar::BlendRow<kernels::kCopy>(d, s, n, alpha);
  const __m128i ws = _mm_set1_epi16(static_cast<short>(alpha));
  const __m128i wd = _mm_set1_epi16(static_cast<short>(256 - alpha));
  int i = 0;
  for (; i + 4 <= n; i += 4) Store(d + i, Copy4(Load(s + i), Load(d + i), ws, wd));
  scalar::BlendRow<kernels::kCopy>(d + i, s + i, n - i, alpha);
}

void CopySolidRow(uint32_t* d, int n, uint32_t c, int alpha) {
  if (alpha < 1 || alpha > 256) return scalar::SolidRow<kernels::kCopy>(d, n, c, alpha);
  const __m128i ws = _mm_set1_epi16(static_cast<short>(alpha));
  const __m128i wd = _mm_set1_epi16(static_cast<short>(256 - alpha));
  const __m128i sv = _mm_set1_epi32(static_cast<int>(c));
  int i = 0;
  for (; i + 4 <= n; i += 4) Store(d + i, Copy4(sv, Load(d + i), ws, wd));
  scalar::SolidRow<kernels::kCopy>(d + i, n - i, c, alpha);
}

void FillRow(uint32_t* d, int n, uint32_t c) {
  const __m128i v = _mm_set1_epi32(static_cast<int>(c));
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    Store(d + i, v);
    Store(d + i + 4, v);
  }
  for (; i < n; ++i) d[i] = c;
}

void HalfMixRow(uint32_t* d, const uint32_t* s, int n) {
  const __m128i m = _mm_set1_epi8(0x7F);
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m128i a = _mm_and_si128(_mm_srli_epi32(Load(s + i), 1), m);
    const __m128i b = _mm_and_si128(_mm_srli_epi32(Load(d + i), 1), m);
    Store(d + i, _mm_add_epi32(a, b));
  }
  scalar::HalfMixRow(d + i, s + i, n - i);
}

}  // namespace sse2
}  // namespace pix
