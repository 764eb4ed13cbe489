// The AVX2 glyph kernel of the copy rule: eight pixels at a time. Built with -mavx2; called only
// after the CPU check.
#include <immintrin.h>

#include <cstring>

#include "pix/kernels/avx2.h"

namespace pix {
namespace avx2 {
namespace {

inline __m256i BlendFour(__m256i d16, __m256i s16, __m256i k) {
  const __m256i pos = _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_subs_epu16(d16, s16), k), 8);
  const __m256i neg = _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_subs_epu16(s16, d16), k), 8);
  return _mm256_sub_epi16(_mm256_add_epi16(s16, pos), neg);
}

struct Kernel {
  __m256i s16;
  __m128i vIa, v256, v255;
  bool full;

  // Eight pixels from eight coverage bytes packed in a 64-bit word.
  __m256i Blend(__m256i px, long long coverage) const {
    const __m128i cv = _mm_cvtepu8_epi16(_mm_cvtsi64_si128(coverage));
    const __m128i keep =
        full ? _mm_sub_epi16(v255, cv) : _mm_sub_epi16(v256, _mm_srli_epi16(_mm_mullo_epi16(cv, vIa), 8));
    const __m128i k = _mm_blendv_epi8(keep, v256, _mm_cmpeq_epi16(cv, _mm_setzero_si128()));
    const __m128i pairsLo = _mm_unpacklo_epi16(k, k);  // k0 k0 k1 k1 k2 k2 k3 k3
    const __m128i pairsHi = _mm_unpackhi_epi16(k, k);  // k4 k4 k5 k5 k6 k6 k7 k7
    // Byte unpacking works per 128-bit lane: pixels 0, 1 | 4, 5 and 2, 3 | 6, 7.
    const __m256i kLo = _mm256_set_m128i(_mm_unpacklo_epi32(pairsHi, pairsHi), _mm_unpacklo_epi32(pairsLo, pairsLo));
    const __m256i kHi = _mm256_set_m128i(_mm_unpackhi_epi32(pairsHi, pairsHi), _mm_unpackhi_epi32(pairsLo, pairsLo));
    const __m256i zero = _mm256_setzero_si256();
    const __m256i lo = BlendFour(_mm256_unpacklo_epi8(px, zero), s16, kLo);
    const __m256i hi = BlendFour(_mm256_unpackhi_epi8(px, zero), s16, kHi);
    return _mm256_packus_epi16(lo, hi);
  }

  // Four pixels from four coverage bytes, for the short end of a row.
  __m128i Blend4(__m128i px, unsigned coverage) const {
    const __m128i cv = _mm_cvtepu8_epi16(_mm_cvtsi32_si128(static_cast<int>(coverage)));
    const __m128i keep =
        full ? _mm_sub_epi16(v255, cv) : _mm_sub_epi16(v256, _mm_srli_epi16(_mm_mullo_epi16(cv, vIa), 8));
    const __m128i k = _mm_blendv_epi8(keep, v256, _mm_cmpeq_epi16(cv, _mm_setzero_si128()));
    const __m128i pairs = _mm_unpacklo_epi16(k, k);  // k0 k0 k1 k1 k2 k2 k3 k3
    const __m256i k4 = _mm256_set_m128i(_mm_unpackhi_epi32(pairs, pairs), _mm_unpacklo_epi32(pairs, pairs));
    const __m256i blended = BlendFour(_mm256_cvtepu8_epi16(px), s16, k4);
    return _mm_packus_epi16(_mm256_castsi256_si128(blended), _mm256_extracti128_si256(blended, 1));
  }
};

// See the SSE2 form: the copy rule of a colour at per-pixel weights from the coverage.
void CoverageBlend(const kernels::GlyphArea& a, uint32_t colour, int ia, bool full) {
  Kernel kernel;
  kernel.s16 = _mm256_unpacklo_epi8(_mm256_set1_epi32(static_cast<int>(colour)), _mm256_setzero_si256());
  kernel.vIa = _mm_set1_epi16(static_cast<short>(ia));
  kernel.v256 = _mm_set1_epi16(256);
  kernel.v255 = _mm_set1_epi16(255);
  kernel.full = full;
  const int rest = a.w % 8;
  // The last group of a row, of four pixels when at most four are left and of eight otherwise,
  // ends at the row's end and overlaps the one before; the overlapping pixels get no coverage
  // there, so each pixel is blended once.
  const bool shortRest = rest > 0 && rest <= 4;
  const unsigned long long tailMask = rest > 4 ? ~0ULL << (8 * (8 - rest)) : 0;
  const unsigned shortMask = shortRest ? ~0u << (8 * (4 - rest)) : 0;
  uint32_t* d = a.dest;
  const unsigned char* c = a.cov;
  for (int y = 0; y < a.h; ++y, d += a.dstep, c += a.covstep) {
    for (int x = 0; x + 8 <= a.w; x += 8) {
      long long eight;
      memcpy(&eight, c + x, 8);
      if (!eight) continue;
      __m256i* p = reinterpret_cast<__m256i*>(d + x);
      _mm256_storeu_si256(p, kernel.Blend(_mm256_loadu_si256(p), eight));
    }
    if (!rest) continue;
    if (shortRest) {
      unsigned four;
      memcpy(&four, c + a.w - 4, 4);
      four &= shortMask;
      if (!four) continue;
      __m128i* p = reinterpret_cast<__m128i*>(d + a.w - 4);
      _mm_storeu_si128(p, kernel.Blend4(_mm_loadu_si128(p), four));
      continue;
    }
    unsigned long long eight;
    memcpy(&eight, c + a.w - 8, 8);
    eight &= tailMask;
    if (!eight) continue;
    __m256i* p = reinterpret_cast<__m256i*>(d + a.w - 8);
    _mm256_storeu_si256(p, kernel.Blend(_mm256_loadu_si256(p), static_cast<long long>(eight)));
  }
  _mm256_zeroupper();
}

}  // namespace

void GlyphCopy(const kernels::GlyphArea& a, uint32_t color, int ia) {
  // Too narrow for one group of eight, or a weight the 16-bit lanes do not hold.
  if (a.w < 8 || ia < 1 || ia > 256) return sse2::GlyphCopy(a, color, ia);
  CoverageBlend(a, color | 0xFF000000u, ia, ia == 256);
}

void CoverageCopy(const kernels::GlyphArea& a, uint32_t color, int ia) {
  if (a.w < 8 || ia < 1 || ia > 256) return sse2::CoverageCopy(a, color, ia);
  CoverageBlend(a, color, ia, false);
}

}  // namespace avx2
}  // namespace pix
