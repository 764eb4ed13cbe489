// Compiled with -mavx2. Nothing from the shared headers is inlined here, so no AVX2 copy of a
// common inline function can end up used on a CPU without it; the tails go to the SSE2 kernels.
#include <immintrin.h>

#include "pix/kernels/avx2.h"

namespace pix {
namespace avx2 {
namespace {

// See the SSE2 kernels: (s ws + d wd + bias) >> 8 with ws + wd = 256, bias 255 where d < s.
inline __m256i Mix(__m256i s, __m256i d, __m256i ws, __m256i wd) {
  const __m256i bias = _mm256_and_si256(_mm256_cmpgt_epi16(s, d), _mm256_set1_epi16(255));
  return _mm256_srli_epi16(
      _mm256_add_epi16(_mm256_add_epi16(_mm256_mullo_epi16(s, ws), _mm256_mullo_epi16(d, wd)), bias), 8);
}

inline __m256i BroadcastAlpha16(__m256i x) {
  return _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(x, _MM_SHUFFLE(3, 3, 3, 3)), _MM_SHUFFLE(3, 3, 3, 3));
}

inline __m256i Copy8(__m256i s, __m256i d, __m256i ws, __m256i wd) {
  const __m256i z = _mm256_setzero_si256();
  return _mm256_packus_epi16(Mix(_mm256_unpacklo_epi8(s, z), _mm256_unpacklo_epi8(d, z), ws, wd),
                             Mix(_mm256_unpackhi_epi8(s, z), _mm256_unpackhi_epi8(d, z), ws, wd));
}

inline __m256i Load(const uint32_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
inline void Store(uint32_t* p, __m256i v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }

}  // namespace

namespace {

// The over rule on eight pixels whose source words are sv, in place at d. Runs of opaque or
// transparent source pixels (typical artwork) skip the arithmetic.
inline void Over8(uint32_t* d, __m256i sv) {
  const __m256i z = _mm256_setzero_si256();
  const __m256i one = _mm256_set1_epi16(1);
  const __m256i c256 = _mm256_set1_epi16(256);
  const __m256i am = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
  const __m256i sa = _mm256_and_si256(sv, am);
  const bool opaque = _mm256_testc_si256(sa, am);  // every alpha is 255
  const bool clear = _mm256_testz_si256(sv, am);   // every alpha is 0
  if (opaque | clear) {
    if (opaque) Store(d, sv);
    return;
  }
  const __m256i dv = Load(d);
  const __m256i slo = _mm256_unpacklo_epi8(sv, z), shi = _mm256_unpackhi_epi8(sv, z);
  const __m256i alo = BroadcastAlpha16(slo), ahi = BroadcastAlpha16(shi);
  const __m256i wslo = _mm256_add_epi16(alo, _mm256_min_epi16(alo, one));
  const __m256i wshi = _mm256_add_epi16(ahi, _mm256_min_epi16(ahi, one));
  const __m256i mixed =
      _mm256_packus_epi16(Mix(slo, _mm256_unpacklo_epi8(dv, z), wslo, _mm256_sub_epi16(c256, wslo)),
                          Mix(shi, _mm256_unpackhi_epi8(dv, z), wshi, _mm256_sub_epi16(c256, wshi)));
  const __m256i alpha = _mm256_and_si256(_mm256_adds_epu8(dv, sv), am);
  Store(d, _mm256_or_si256(_mm256_andnot_si256(am, mixed), alpha));
}

}  // namespace

void OverRow(uint32_t* d, const uint32_t* s, int n, int) {
  int i = 0;
  for (; i + 8 <= n; i += 8) Over8(d + i, Load(s + i));
  if (i < n) sse2::OverRow(d + i, s + i, n - i, 256);
}

void NearestOverRow(uint32_t* d, const uint32_t* row, const int* columns, int n) {
  int i = 0;
  // Eight loads and inserts: the gather instruction is slower on common CPUs.
  for (; i + 8 <= n; i += 8) {
    const int* c = columns + i;
    const __m128i lo = _mm_setr_epi32(static_cast<int>(row[c[0]]), static_cast<int>(row[c[1]]),
                                      static_cast<int>(row[c[2]]), static_cast<int>(row[c[3]]));
    const __m128i hi = _mm_setr_epi32(static_cast<int>(row[c[4]]), static_cast<int>(row[c[5]]),
                                      static_cast<int>(row[c[6]]), static_cast<int>(row[c[7]]));
    Over8(d + i, _mm256_inserti128_si256(_mm256_castsi128_si256(lo), hi, 1));
  }
  uint32_t rest[8];
  for (int k = 0; i + k < n; ++k) rest[k] = row[columns[i + k]];
  if (i < n) sse2::OverRow(d + i, rest, n - i, 256);
}

void CopySourceAlphaRow(uint32_t* d, const uint32_t* s, int n, int alpha) {
  if (alpha < 1 || alpha > 255) return sse2::CopySourceAlphaRow(d, s, n, alpha);
  const __m256i z = _mm256_setzero_si256();
  const __m256i one = _mm256_set1_epi16(1);
  const __m256i c256 = _mm256_set1_epi16(256);
  const __m256i am = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
  const __m256i ia = _mm256_set1_epi16(static_cast<short>(alpha));
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m256i sv = Load(s + i), dv = Load(d + i);
    const __m256i slo = _mm256_unpacklo_epi8(sv, z), shi = _mm256_unpackhi_epi8(sv, z);
    const __m256i wlo = _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_add_epi16(BroadcastAlpha16(slo), one), ia), 8);
    const __m256i whi = _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_add_epi16(BroadcastAlpha16(shi), one), ia), 8);
    const __m256i mixed =
        _mm256_packus_epi16(Mix(slo, _mm256_unpacklo_epi8(dv, z), wlo, _mm256_sub_epi16(c256, wlo)),
                            Mix(shi, _mm256_unpackhi_epi8(dv, z), whi, _mm256_sub_epi16(c256, whi)));
    const __m256i na = _mm256_and_si256(_mm256_adds_epu8(dv, _mm256_packus_epi16(wlo, whi)), am);
    Store(d + i, _mm256_or_si256(_mm256_andnot_si256(am, mixed), na));
  }
  if (i < n) sse2::CopySourceAlphaRow(d + i, s + i, n - i, alpha);
}

void CopyRow(uint32_t* d, const uint32_t* s, int n, int alpha) {
  if (alpha < 1 || alpha > 256) return sse2::CopyRow(d, s, n, alpha);
  const __m256i ws = _mm256_set1_epi16(static_cast<short>(alpha));
  const __m256i wd = _mm256_set1_epi16(static_cast<short>(256 - alpha));
  int i = 0;
  for (; i + 8 <= n; i += 8) Store(d + i, Copy8(Load(s + i), Load(d + i), ws, wd));
  if (i < n) sse2::CopyRow(d + i, s + i, n - i, alpha);
}

void CopySolidRow(uint32_t* d, int n, uint32_t c, int alpha) {
  if (alpha < 1 || alpha > 256) return sse2::CopySolidRow(d, n, c, alpha);
  const __m256i ws = _mm256_set1_epi16(static_cast<short>(alpha));
  const __m256i wd = _mm256_set1_epi16(static_cast<short>(256 - alpha));
  const __m256i sv = _mm256_set1_epi32(static_cast<int>(c));
  int i = 0;
  for (; i + 8 <= n; i += 8) Store(d + i, Copy8(sv, Load(d + i), ws, wd));
  if (i < n) sse2::CopySolidRow(d + i, n - i, c, alpha);
}

void FillRow(uint32_t* d, int n, uint32_t c) {
  const __m256i v = _mm256_set1_epi32(static_cast<int>(c));
  int i = 0;
  for (; i + 16 <= n; i += 16) {
    Store(d + i, v);
    Store(d + i + 8, v);
  }
  if (i + 8 <= n) Store(d + i, v), i += 8;
  // The last pixels as one store that ends at the row's end, when the row has eight.
  if (i < n && n >= 8) Store(d + n - 8, v), i = n;
  for (; i < n; ++i) d[i] = c;
}

void HalfMixRow(uint32_t* d, const uint32_t* s, int n) {
  const __m256i m = _mm256_set1_epi8(0x7F);
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m256i a = _mm256_and_si256(_mm256_srli_epi32(Load(s + i), 1), m);
    const __m256i b = _mm256_and_si256(_mm256_srli_epi32(Load(d + i), 1), m);
    Store(d + i, _mm256_add_epi32(a, b));
  }
  if (i < n) sse2::HalfMixRow(d + i, s + i, n - i);
}

}  // namespace avx2
}  // namespace pix

