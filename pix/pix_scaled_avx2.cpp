// Built with -mavx2; called only after the CPU check.
#include <immintrin.h>

#include "pix/pix_scaled_fast.h"
#include "pix/pix_simd.h"

#if defined(PIX_HAVE_AVX2_KERNELS)

namespace {

// One pixel's four weights (top-left, top-right, bottom-left, bottom-right) as floats.
inline __m256 Weights(long long s, long long t) {
  const int xf = int(s & 0xFFFF), yf = int(t & 0xFFFF);
  const int f11 = int((unsigned(xf) * unsigned(yf)) >> 16);
  return _mm256_castps128_ps256(_mm_cvtepi32_ps(_mm_setr_epi32(65536 - xf - yf + f11, xf - f11, yf - f11, f11)));
}

// The weighted top and bottom pairs of one pixel: [c00 f00 + c01 f01 | c10 f10 + c11 f11]. Every
// product and partial sum is an integer below 2^24, so float holds them exactly.
inline __m256 Pair(const PIX_pixel* p, ptrdiff_t step, __m256 f) {
  const __m256i lo = _mm256_setr_epi32(0, 0, 0, 0, 1, 1, 1, 1), hi = _mm256_setr_epi32(2, 2, 2, 2, 3, 3, 3, 3);
  const __m256 top = _mm256_cvtepi32_ps(_mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p))));
  const __m256 bot =
      _mm256_cvtepi32_ps(_mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p + step))));
  return _mm256_add_ps(_mm256_mul_ps(top, _mm256_permutevar8x32_ps(f, lo)),
                       _mm256_mul_ps(bot, _mm256_permutevar8x32_ps(f, hi)));
}

}  // namespace

void _PIX_AVX2_BilinearRun(const _PIX_Window& win, long long s, long long t, long long ds, long long dt, int n,
                           PIX_pixel* out) {
  const __m256 scale = _mm256_set1_ps(1.0f / 65536.0f);
  int k = 0;
  for (; k + 2 <= n; k += 2, s += 2 * ds, t += 2 * dt) {
    const long long s1 = s + ds, t1 = t + dt;
    const __m256 a = Pair(win.row(t >> 16) + (s >> 16), win.step, Weights(s, t));
    const __m256 b = Pair(win.row(t1 >> 16) + (s1 >> 16), win.step, Weights(s1, t1));
    const __m256 sum = _mm256_add_ps(_mm256_permute2f128_ps(a, b, 0x20), _mm256_permute2f128_ps(a, b, 0x31));
    const __m256i q = _mm256_cvttps_epi32(_mm256_mul_ps(sum, scale));
    const __m128i w = _mm_packs_epi32(_mm256_castsi256_si128(q), _mm256_extracti128_si256(q, 1));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + k), _mm_packus_epi16(w, w));
  }
  if (k < n) _PIX_SSE2_BilinearRun(win, s, t, ds, dt, n - k, out + k);
}

#endif
