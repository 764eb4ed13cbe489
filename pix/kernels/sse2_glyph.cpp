// The SSE2 glyph kernel of the copy rule: four pixels at a time.
#include <emmintrin.h>

#include <cstring>

#include "pix/kernels/sse2.h"

namespace pix {
namespace sse2 {
namespace {

// d + ((d - s) * k) / 256 with k = 256 - weight, formed from |d - s| so that every product fits
// 16 bits and the division truncates toward zero as the scalar rule does. k = 256 keeps d.
inline __m128i BlendTwo(__m128i d16, __m128i s16, __m128i k) {
  const __m128i pos = _mm_srli_epi16(_mm_mullo_epi16(_mm_subs_epu16(d16, s16), k), 8);
  const __m128i neg = _mm_srli_epi16(_mm_mullo_epi16(_mm_subs_epu16(s16, d16), k), 8);
  return _mm_sub_epi16(_mm_add_epi16(s16, pos), neg);
}


// The copy rule of a colour at per-pixel weights from the coverage: cv + 1 when full, else
// ia * cv / 256 (ia in 1..256). A pixel without coverage keeps its value either way.
void CoverageBlend(const kernels::GlyphArea& a, uint32_t colour, int ia, bool full) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i s16 = _mm_unpacklo_epi8(_mm_set1_epi32(static_cast<int>(colour)), zero);
  const __m128i vIa = _mm_set1_epi16(static_cast<short>(ia));
  const __m128i v256 = _mm_set1_epi16(256), v255 = _mm_set1_epi16(255);
  auto blend = [&](uint32_t* p, unsigned four) {
    const __m128i cv = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(four)), zero);
    const __m128i keep =
        full ? _mm_sub_epi16(v255, cv) : _mm_sub_epi16(v256, _mm_srli_epi16(_mm_mullo_epi16(cv, vIa), 8));
    const __m128i none = _mm_cmpeq_epi16(cv, zero);
    const __m128i k = _mm_or_si128(_mm_and_si128(none, v256), _mm_andnot_si128(none, keep));
    const __m128i pairs = _mm_unpacklo_epi16(k, k);  // k0 k0 k1 k1 k2 k2 k3 k3
    const __m128i px = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i lo = BlendTwo(_mm_unpacklo_epi8(px, zero), s16, _mm_unpacklo_epi32(pairs, pairs));
    const __m128i hi = BlendTwo(_mm_unpackhi_epi8(px, zero), s16, _mm_unpackhi_epi32(pairs, pairs));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm_packus_epi16(lo, hi));
  };
  const int rest = a.w % 4;
  // The last group ends at the row's end; its pixels shared with the group before get no
  // coverage, so each pixel is blended once.
  const unsigned tailMask = rest ? ~0u << (8 * (4 - rest)) : 0;
  uint32_t* d = a.dest;
  const unsigned char* c = a.cov;
  for (int y = 0; y < a.h; ++y, d += a.dstep, c += a.covstep) {
    for (int x = 0; x + 4 <= a.w; x += 4) {
      unsigned four;
      memcpy(&four, c + x, 4);
      if (four) blend(d + x, four);
    }
    if (!rest) continue;
    unsigned four;
    memcpy(&four, c + a.w - 4, 4);
    four &= tailMask;
    if (four) blend(d + a.w - 4, four);
  }
}

}  // namespace

void GlyphCopy(const kernels::GlyphArea& a, uint32_t color, int ia) {
  if (a.w < 4 || ia < 1 || ia > 256) return scalar::GlyphCopy(a, color, ia);
  CoverageBlend(a, color | 0xFF000000u, ia, ia == 256);
}

void CoverageCopy(const kernels::GlyphArea& a, uint32_t color, int ia) {
  if (a.w < 4 || ia < 1 || ia > 256) return scalar::CoverageCopy(a, color, ia);
  CoverageBlend(a, color, ia, false);
}

}  // namespace sse2
}  // namespace pix
