// The SSE2 resampling kernels: bilinear samples and box sums.
#include <emmintrin.h>

#include "pix/kernels/sse2.h"
#include "pix/pix_window.h"

namespace pix {
namespace sse2 {
namespace {

// cvttps of an exactly held sum: the integer division by 65536 of the scalar rule.
inline __m128i Bilerp(const uint32_t* p, ptrdiff_t step, int xf, int yf) {
  const int f11 = static_cast<int>((static_cast<unsigned>(xf) * static_cast<unsigned>(yf)) >> 16);
  const __m128 f = _mm_cvtepi32_ps(_mm_setr_epi32(65536 - xf - yf + f11, xf - f11, yf - f11, f11));
  const __m128i z = _mm_setzero_si128();
  const __m128i top = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)), z);
  const __m128i bot = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p + step)), z);
  // Every product and partial sum is an integer below 2^24, so float holds them exactly.
  __m128 sum = _mm_mul_ps(_mm_cvtepi32_ps(_mm_unpacklo_epi16(top, z)), _mm_shuffle_ps(f, f, 0x00));
  sum = _mm_add_ps(sum, _mm_mul_ps(_mm_cvtepi32_ps(_mm_unpackhi_epi16(top, z)), _mm_shuffle_ps(f, f, 0x55)));
  sum = _mm_add_ps(sum, _mm_mul_ps(_mm_cvtepi32_ps(_mm_unpacklo_epi16(bot, z)), _mm_shuffle_ps(f, f, 0xAA)));
  sum = _mm_add_ps(sum, _mm_mul_ps(_mm_cvtepi32_ps(_mm_unpackhi_epi16(bot, z)), _mm_shuffle_ps(f, f, 0xFF)));
  return _mm_cvttps_epi32(_mm_mul_ps(sum, _mm_set1_ps(1.0f / 65536.0f)));
}

inline __m128i Load4(const uint16_t* p) { return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)); }

// The four 16-bit channel sums in the low half of sum divided by n (1 to 25), truncating.
uint32_t DivideSums(__m128i sum, int n) {
  __m128i v;
  if (n >= 5) {
    const short recip = static_cast<short>(kernels::kBoxReciprocal18.v[n]);
    v = _mm_srli_epi16(_mm_mulhi_epu16(sum, _mm_set1_epi16(recip)), 2);
  } else {
    // The float quotient of two small integers is within far less than 1 / n of the exact
    // one, so truncating it divides exactly too.
    const __m128i z = _mm_setzero_si128();
    const __m128 q = _mm_div_ps(_mm_cvtepi32_ps(_mm_unpacklo_epi16(sum, z)), _mm_set1_ps(static_cast<float>(n)));
    v = _mm_packs_epi32(_mm_cvttps_epi32(q), z);
  }
  return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(v, v)));
}

}  // namespace

void BilinearRun(const Window& win, long long s, long long t, long long ds, long long dt, int n, uint32_t* out) {
  int k = 0;
  for (; k + 2 <= n; k += 2, s += 2 * ds, t += 2 * dt) {
    const long long s1 = s + ds, t1 = t + dt;
    const __m128i a = Bilerp(win.row(t >> 16) + (s >> 16), win.step, int(s & 0xFFFF), int(t & 0xFFFF));
    const __m128i b = Bilerp(win.row(t1 >> 16) + (s1 >> 16), win.step, int(s1 & 0xFFFF), int(t1 & 0xFFFF));
    const __m128i ab = _mm_packs_epi32(a, b);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + k), _mm_packus_epi16(ab, ab));
  }
  if (k < n) {
    const __m128i a = Bilerp(win.row(t >> 16) + (s >> 16), win.step, int(s & 0xFFFF), int(t & 0xFFFF));
    const __m128i aa = _mm_packs_epi32(a, a);
    out[k] = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(aa, aa)));
  }
}

void ColumnSums(const Window& win, int y0, int y1, int c0, int c1, uint16_t* col) {
  const __m128i z = _mm_setzero_si128();
  int c = c0;
  for (; c + 4 <= c1 + 1; c += 4) {
    __m128i lo = z, hi = z;
    for (int r = y0; r <= y1; ++r) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(win.row(r) + c));
      lo = _mm_add_epi16(lo, _mm_unpacklo_epi8(v, z));
      hi = _mm_add_epi16(hi, _mm_unpackhi_epi8(v, z));
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(col + c * 4), lo);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(col + c * 4 + 8), hi);
  }
  scalar::ColumnSums(win, y0, y1, c, c1, col);
}

void BoxResults(const uint16_t* col, const int* first, const int* count, int n, int size, int rows, uint32_t* out) {
  for (int k = 0; k < n; ++k) {
    const uint16_t* cp = col + first[k] * 4;
    __m128i sum;
    if (count[k] == size) {
      sum = _mm_add_epi16(Load4(cp), _mm_add_epi16(Load4(cp + 4), Load4(cp + 8)));
      if (size == 5) sum = _mm_add_epi16(sum, _mm_add_epi16(Load4(cp + 12), Load4(cp + 16)));
    } else {
      sum = _mm_setzero_si128();
      for (int x = 0; x < count[k]; ++x, cp += 4) sum = _mm_add_epi16(sum, Load4(cp));
    }
    out[k] = DivideSums(sum, rows * count[k]);
  }
}

}  // namespace sse2
}  // namespace pix
