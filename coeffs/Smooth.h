#pragma once
// One-pole smoother: z = b * z + a * x, with b = exp(-2 pi f / sr) and a = 1 - b.
#include <cmath>

struct OnePoleSmoother {
  double a = 1.0;  // input weight
  double b = 0.0;  // feedback weight
  double z = 0.0;  // state

  void SetFrequency(double frequency, double sampleRate) {
    b = std::exp((frequency / sampleRate) * -6.283185307179586);
    a = 1.0 - b;
  }
  double Step(double x) {
    z = b * z + a * x;
    return z;
  }
};
