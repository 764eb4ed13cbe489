#include "pix/pix_simd.h"

#include <atomic>

#include "pix/pix_combine.h"

namespace {
std::atomic<bool> gSimdOn{true};
}

bool _PIX_SimdEnabled() { return gSimdOn.load(std::memory_order_relaxed); }
void _PIX_SetSimdEnabled(bool on) { gSimdOn.store(on, std::memory_order_relaxed); }

#if defined(PIX_HAVE_SSE2)
#include <emmintrin.h>

namespace {

// s + trunc((d - s) * w / 256) on 16-bit lanes, w in 0..256 and channels in 0..255. The product
// of |d - s| and w stays below 65536, so the low half of the 16-bit multiply is exact; the sign is
// taken off and put back so the division truncates toward zero like the scalar rule.
inline __m128i MixTowardDest(__m128i s, __m128i d, __m128i w) {
  const __m128i diff = _mm_sub_epi16(d, s);
  const __m128i neg = _mm_cmplt_epi16(diff, _mm_setzero_si128());
  const __m128i mag = _mm_sub_epi16(_mm_xor_si128(diff, neg), neg);
  const __m128i q = _mm_srli_epi16(_mm_mullo_epi16(mag, w), 8);
  return _mm_add_epi16(s, _mm_sub_epi16(_mm_xor_si128(q, neg), neg));
}

inline __m128i BroadcastAlpha16(__m128i x) {
  return _mm_shufflehi_epi16(_mm_shufflelo_epi16(x, _MM_SHUFFLE(3, 3, 3, 3)), _MM_SHUFFLE(3, 3, 3, 3));
}

const __m128i kAlphaMask = _mm_set1_epi32(static_cast<int>(0xFF000000u));

inline __m128i Over4(__m128i s, __m128i d) {
  const __m128i z = _mm_setzero_si128();
  const __m128i c255 = _mm_set1_epi16(255);
  const __m128i slo = _mm_unpacklo_epi8(s, z), shi = _mm_unpackhi_epi8(s, z);
  const __m128i dlo = _mm_unpacklo_epi8(d, z), dhi = _mm_unpackhi_epi8(d, z);
  const __m128i wlo = _mm_sub_epi16(c255, BroadcastAlpha16(slo));
  const __m128i whi = _mm_sub_epi16(c255, BroadcastAlpha16(shi));
  const __m128i mixed = _mm_packus_epi16(MixTowardDest(slo, dlo, wlo), MixTowardDest(shi, dhi, whi));
  const __m128i alpha = _mm_and_si128(_mm_adds_epu8(d, s), kAlphaMask);
  const __m128i out = _mm_or_si128(_mm_andnot_si128(kAlphaMask, mixed), alpha);
  // A transparent source pixel leaves its destination alone.
  const __m128i clear = _mm_cmpeq_epi32(_mm_and_si128(s, kAlphaMask), z);
  return _mm_or_si128(_mm_and_si128(clear, d), _mm_andnot_si128(clear, out));
}

inline __m128i CopySourceAlpha4(__m128i s, __m128i d, __m128i ia) {
  const __m128i z = _mm_setzero_si128();
  const __m128i one = _mm_set1_epi16(1);
  const __m128i c256 = _mm_set1_epi16(256);
  const __m128i slo = _mm_unpacklo_epi8(s, z), shi = _mm_unpackhi_epi8(s, z);
  const __m128i dlo = _mm_unpacklo_epi8(d, z), dhi = _mm_unpackhi_epi8(d, z);
  // Per-pixel weight (ia * (a + 1)) / 256, at most 255 * 256 before the shift.
  const __m128i wlo = _mm_srli_epi16(_mm_mullo_epi16(_mm_add_epi16(BroadcastAlpha16(slo), one), ia), 8);
  const __m128i whi = _mm_srli_epi16(_mm_mullo_epi16(_mm_add_epi16(BroadcastAlpha16(shi), one), ia), 8);
  // A zero source alpha gives weight 0, which already leaves the colour channels unchanged.
  const __m128i mixed = _mm_packus_epi16(MixTowardDest(slo, dlo, _mm_sub_epi16(c256, wlo)),
                                         MixTowardDest(shi, dhi, _mm_sub_epi16(c256, whi)));
  const __m128i wbytes = _mm_packus_epi16(wlo, whi);
  const __m128i alpha = _mm_and_si128(_mm_adds_epu8(d, wbytes), kAlphaMask);
  return _mm_or_si128(_mm_andnot_si128(kAlphaMask, mixed), alpha);
}

inline __m128i Copy4(__m128i s, __m128i d, __m128i w) {
  const __m128i z = _mm_setzero_si128();
  return _mm_packus_epi16(MixTowardDest(_mm_unpacklo_epi8(s, z), _mm_unpacklo_epi8(d, z), w),
                          MixTowardDest(_mm_unpackhi_epi8(s, z), _mm_unpackhi_epi8(d, z), w));
}

inline __m128i Load(const PIX_pixel* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
inline void Store(PIX_pixel* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

template <class R> inline void ScalarTail(PIX_pixel* d, const PIX_pixel* s, int n, int alpha) {
  for (int i = 0; i < n; ++i)
    R::doPix(reinterpret_cast<unsigned char*>(d + i), PIX_GETR(s[i]), PIX_GETG(s[i]), PIX_GETB(s[i]),
             PIX_GETA(s[i]), alpha);
}

}  // namespace

void _PIX_SSE2_OverRow(PIX_pixel* d, const PIX_pixel* s, int n) {
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m128i sv = Load(s + i);
    const int am = _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_and_si128(sv, kAlphaMask), kAlphaMask));
    if ((am & 0x8888) == 0x8888) {
      Store(d + i, sv);  // four opaque pixels replace the destination
      continue;
    }
    const int zm = _mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(sv, kAlphaMask), _mm_setzero_si128()));
    if (zm == 0xFFFF) continue;  // four transparent pixels
    Store(d + i, Over4(sv, Load(d + i)));
  }
  ScalarTail<_PIX_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp>(d + i, s + i, n - i, 256);
}

void _PIX_SSE2_CopySourceAlphaRow(PIX_pixel* d, const PIX_pixel* s, int n, int alpha) {
  const __m128i ia = _mm_set1_epi16(static_cast<short>(alpha));
  int i = 0;
  for (; i + 4 <= n; i += 4) Store(d + i, CopySourceAlpha4(Load(s + i), Load(d + i), ia));
  ScalarTail<_PIX_CombinePixelsCopySourceAlphaNoClamp>(d + i, s + i, n - i, alpha);
}

void _PIX_SSE2_CopyRow(PIX_pixel* d, const PIX_pixel* s, int n, int alpha) {
  const __m128i w = _mm_set1_epi16(static_cast<short>(256 - alpha));
  int i = 0;
  for (; i + 4 <= n; i += 4) Store(d + i, Copy4(Load(s + i), Load(d + i), w));
  ScalarTail<_PIX_CombinePixelsCopyNoClamp>(d + i, s + i, n - i, alpha);
}

void _PIX_SSE2_CopySolidRow(PIX_pixel* d, int n, PIX_pixel c, int alpha) {
  const __m128i w = _mm_set1_epi16(static_cast<short>(256 - alpha));
  const __m128i sv = _mm_set1_epi32(static_cast<int>(c));
  int i = 0;
  for (; i + 4 <= n; i += 4) Store(d + i, Copy4(sv, Load(d + i), w));
  for (; i < n; ++i)
    _PIX_CombinePixelsCopyNoClamp::doPix(reinterpret_cast<unsigned char*>(d + i), PIX_GETR(c), PIX_GETG(c),
                                         PIX_GETB(c), PIX_GETA(c), alpha);
}

void _PIX_SSE2_HalfMixRow(PIX_pixel* d, const PIX_pixel* s, int n) {
  const __m128i m = _mm_set1_epi8(0x7F);
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m128i a = _mm_and_si128(_mm_srli_epi32(Load(s + i), 1), m);
    const __m128i b = _mm_and_si128(_mm_srli_epi32(Load(d + i), 1), m);
    Store(d + i, _mm_add_epi32(a, b));
  }
  for (; i < n; ++i) d[i] = _PIX_CombinePixelsHalfMixFAST::mix(s[i], d[i]);
}
#endif
