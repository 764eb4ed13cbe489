#include "effect/SampleConversion.h"

#include <immintrin.h>

namespace sample_conversion {
namespace {

void WidenScalar(const float* src, double* dest, int n) {
  for (int i = 0; i < n; ++i) dest[i] = src[i];
}
void NarrowScalar(const double* src, float* dest, int n) {
  for (int i = 0; i < n; ++i) dest[i] = static_cast<float>(src[i]);
}
void AccumulateScalar(const double* src, float* dest, int n) {
  for (int i = 0; i < n; ++i) dest[i] = dest[i] + static_cast<float>(src[i]);
}

void WidenSse2(const float* src, double* dest, int n) {
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m128 f = _mm_loadu_ps(src + i);
    _mm_storeu_pd(dest + i, _mm_cvtps_pd(f));
    _mm_storeu_pd(dest + i + 2, _mm_cvtps_pd(_mm_movehl_ps(f, f)));
  }
  WidenScalar(src + i, dest + i, n - i);
}
__m128 NarrowFour(const double* src) {
  return _mm_movelh_ps(_mm_cvtpd_ps(_mm_loadu_pd(src)), _mm_cvtpd_ps(_mm_loadu_pd(src + 2)));
}
void NarrowSse2(const double* src, float* dest, int n) {
  int i = 0;
  for (; i + 4 <= n; i += 4) _mm_storeu_ps(dest + i, NarrowFour(src + i));
  NarrowScalar(src + i, dest + i, n - i);
}
void AccumulateSse2(const double* src, float* dest, int n) {
  int i = 0;
  for (; i + 4 <= n; i += 4)
    _mm_storeu_ps(dest + i, _mm_add_ps(_mm_loadu_ps(dest + i), NarrowFour(src + i)));
  AccumulateScalar(src + i, dest + i, n - i);
}

// The tails stay inside the AVX functions (compiled as VEX code), so no call into SSE code
// happens before the upper register halves are cleared once at the end.
__attribute__((target("avx"))) void WidenAvx(const float* src, double* dest, int n) {
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    _mm256_storeu_pd(dest + i, _mm256_cvtps_pd(_mm_loadu_ps(src + i)));
    _mm256_storeu_pd(dest + i + 4, _mm256_cvtps_pd(_mm_loadu_ps(src + i + 4)));
  }
  for (; i < n; ++i) dest[i] = src[i];
  _mm256_zeroupper();
}
__attribute__((target("avx"))) __m256 NarrowEight(const double* src) {
  const __m128 lo = _mm256_cvtpd_ps(_mm256_loadu_pd(src));
  const __m128 hi = _mm256_cvtpd_ps(_mm256_loadu_pd(src + 4));
  return _mm256_insertf128_ps(_mm256_castps128_ps256(lo), hi, 1);
}
__attribute__((target("avx"))) void NarrowAvx(const double* src, float* dest, int n) {
  int i = 0;
  for (; i + 8 <= n; i += 8) _mm256_storeu_ps(dest + i, NarrowEight(src + i));
  for (; i < n; ++i) dest[i] = static_cast<float>(src[i]);
  _mm256_zeroupper();
}
__attribute__((target("avx"))) void AccumulateAvx(const double* src, float* dest, int n) {
  int i = 0;
  for (; i + 8 <= n; i += 8)
    _mm256_storeu_ps(dest + i, _mm256_add_ps(_mm256_loadu_ps(dest + i), NarrowEight(src + i)));
  for (; i < n; ++i) dest[i] = dest[i] + static_cast<float>(src[i]);
  _mm256_zeroupper();
}

}  // namespace

const Variant kScalar = {"scalar", WidenScalar, NarrowScalar, AccumulateScalar};
const Variant kSse2 = {"sse2", WidenSse2, NarrowSse2, AccumulateSse2};
const Variant kAvx = {"avx", WidenAvx, NarrowAvx, AccumulateAvx};

bool HasAvx() {
  // Also false when the operating system does not save the wide registers.
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx");
}

const Variant& Best() {
  static const Variant& best = HasAvx() ? kAvx : kSse2;
  return best;
}
}  // namespace sample_conversion

void WidenSamples(const float* src, double* dest, int n) { sample_conversion::Best().widen(src, dest, n); }
void NarrowSamples(const double* src, float* dest, int n) {
  sample_conversion::Best().narrow(src, dest, n);
}
void AccumulateSamples(const double* src, float* dest, int n) {
  sample_conversion::Best().accumulate(src, dest, n);
}
