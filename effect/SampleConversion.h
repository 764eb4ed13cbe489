#pragma once
// Conversions between the host's float samples and the double samples the effect processes.
// Widening is exact; narrowing rounds to nearest (the default rounding mode); accumulation adds
// in single precision. Every variant gives the same bits: SSE2 is the x86-64 baseline, and AVX
// is chosen at run time where the processor has it.

void WidenSamples(const float* src, double* dest, int n);
void NarrowSamples(const double* src, float* dest, int n);
void AccumulateSamples(const double* src, float* dest, int n);

// The individual variants, for tests and benchmarks.
namespace sample_conversion {
struct Variant {
  const char* name;
  void (*widen)(const float*, double*, int);
  void (*narrow)(const double*, float*, int);
  void (*accumulate)(const double*, float*, int);
};
extern const Variant kScalar;
extern const Variant kSse2;
extern const Variant kAvx;
bool HasAvx();
const Variant& Best();
}  // namespace sample_conversion
