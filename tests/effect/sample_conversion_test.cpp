#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "effect/SampleConversion.h"

namespace {
std::vector<double> AwkwardDoubles(int n) {
  std::mt19937_64 rng(99);
  std::vector<double> v(std::max(n, 9));
  for (size_t i = 0; i < v.size(); ++i) {
    uint64_t bits = rng();
    memcpy(&v[i], &bits, sizeof bits);
    if (i % 3 == 0) v[i] = std::ldexp(static_cast<double>(rng() % 100000) - 50000, -20);
  }
  // Ties between two floats, denormals, overflow to infinity, signed zero, NaN.
  v[1] = 1.0 + std::ldexp(1.0, -24);
  v[2] = 1.0 + 3 * std::ldexp(1.0, -24);
  v[4] = 1e-40;
  v[5] = 1e300;
  v[7] = -0.0;
  v[8] = std::numeric_limits<double>::quiet_NaN();
  v.resize(n);
  return v;
}

bool SameBits(const void* a, const void* b, size_t n) { return memcmp(a, b, n) == 0; }
}  // namespace

TEST(SampleConversion, EveryVariantGivesTheScalarBits) {
  using namespace sample_conversion;
  std::vector<const Variant*> variants = {&kSse2};
  if (HasAvx()) variants.push_back(&kAvx);
  for (int n : {0, 1, 3, 4, 7, 8, 9, 31, 513}) {
    const std::vector<double> doubles = AwkwardDoubles(n);
    std::vector<float> floats(n);
    for (int i = 0; i < n; ++i) floats[i] = static_cast<float>(doubles[i] * 0.001);
    std::vector<double> wideRef(n + 1, 7.0);
    std::vector<float> narrowRef(n + 1, 7.0f), accRef(floats);
    accRef.push_back(7.0f);
    kScalar.widen(floats.data(), wideRef.data(), n);
    kScalar.narrow(doubles.data(), narrowRef.data(), n);
    kScalar.accumulate(doubles.data(), accRef.data(), n);
    for (const Variant* v : variants) {
      std::vector<double> wide(n + 1, 7.0);
      std::vector<float> narrow(n + 1, 7.0f), acc(floats);
      acc.push_back(7.0f);
      v->widen(floats.data(), wide.data(), n);
      v->narrow(doubles.data(), narrow.data(), n);
      v->accumulate(doubles.data(), acc.data(), n);
      EXPECT_TRUE(SameBits(wide.data(), wideRef.data(), sizeof(double) * (n + 1))) << v->name << n;
      EXPECT_TRUE(SameBits(narrow.data(), narrowRef.data(), sizeof(float) * (n + 1))) << v->name << n;
      EXPECT_TRUE(SameBits(acc.data(), accRef.data(), sizeof(float) * (n + 1))) << v->name << n;
    }
  }
  // Round to nearest, ties to even.
  float out[2];
  const double ties[2] = {1.0 + std::ldexp(1.0, -24), 1.0 + 3 * std::ldexp(1.0, -24)};
  NarrowSamples(ties, out, 2);
  EXPECT_EQ(out[0], 1.0f);
  EXPECT_EQ(out[1], 1.0f + std::ldexp(1.0f, -22));
}
