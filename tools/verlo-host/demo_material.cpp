#include "demo_material.h"

#include <cmath>
#include <cstdint>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kBeat = 0.5;  // seconds at 120 BPM
constexpr int kBeats = 16;

// A fixed-seed generator so the demo files are identical on every machine.
struct Noise {
  uint32_t state = 0x12345678u;
  double Next() {
    state = state * 1664525u + 1013904223u;
    return static_cast<double>(state >> 8) / 8388608.0 - 1.0;
  }
};

double MidiToHz(int note) { return 440.0 * std::pow(2.0, (note - 69) / 12.0); }

void AddKick(std::vector<double>& out, int rate, double at) {
  const int start = static_cast<int>(at * rate), length = rate / 3;
  double phase = 0.0;
  for (int i = 0; i < length && (start + i) * 2 + 1 < int(out.size()); ++i) {
    const double t = double(i) / rate;
    phase += 2.0 * kPi * (45.0 + 110.0 * std::exp(-t * 30.0)) / rate;
    const double s = 0.9 * std::sin(phase) * std::exp(-t * 9.0);
    out[(start + i) * 2] += s;
    out[(start + i) * 2 + 1] += s;
  }
}

void AddSnare(std::vector<double>& out, int rate, double at, Noise& noise) {
  const int start = static_cast<int>(at * rate), length = rate / 5;
  for (int i = 0; i < length && (start + i) * 2 + 1 < int(out.size()); ++i) {
    const double t = double(i) / rate;
    const double body = 0.25 * std::sin(2.0 * kPi * 185.0 * t) * std::exp(-t * 25.0);
    const double s = body + 0.35 * noise.Next() * std::exp(-t * 18.0);
    out[(start + i) * 2] += s * 0.9;
    out[(start + i) * 2 + 1] += s;
  }
}

void AddHat(std::vector<double>& out, int rate, double at, Noise& noise) {
  const int start = static_cast<int>(at * rate), length = rate / 20;
  double previous = 0.0;
  for (int i = 0; i < length && (start + i) * 2 + 1 < int(out.size()); ++i) {
    const double t = double(i) / rate;
    const double n = noise.Next();
    const double s = 0.15 * (n - previous) * std::exp(-t * 80.0);  // first difference: bright
    previous = n;
    out[(start + i) * 2] += s * 0.7;
    out[(start + i) * 2 + 1] += s;
  }
}

// One bar of a soft triad, slightly detuned between the channels.
void AddChord(std::vector<double>& out, int rate, double at, const int (&notes)[3]) {
  const int start = static_cast<int>(at * rate), length = static_cast<int>(4 * kBeat * rate);
  for (int i = 0; i < length && (start + i) * 2 + 1 < int(out.size()); ++i) {
    const double t = double(i) / rate;
    const double envelope = std::min(1.0, t / 0.02) * std::exp(-t * 0.6) * std::min(1.0, (length - i) / (0.01 * rate));
    double left = 0.0, right = 0.0;
    for (int n : notes) {
      const double f = MidiToHz(n);
      for (int h = 1; h <= 4; ++h) {
        left += std::sin(2.0 * kPi * f * h * t) / (h * h);
        right += std::sin(2.0 * kPi * f * 1.002 * h * t) / (h * h);
      }
    }
    out[(start + i) * 2] += 0.07 * envelope * left;
    out[(start + i) * 2 + 1] += 0.07 * envelope * right;
  }
}

}  // namespace

std::vector<double> MakeDrumAndChordLoop(int sampleRate) {
  std::vector<double> out(size_t(kBeats * kBeat * sampleRate) * 2, 0.0);
  Noise noise;
  static const int kChords[4][3] = {{57, 60, 64}, {53, 57, 60}, {48, 52, 55}, {55, 59, 62}};  // Am F C G
  for (int bar = 0; bar < 4; ++bar) AddChord(out, sampleRate, bar * 4 * kBeat, kChords[bar]);
  for (int beat = 0; beat < kBeats; ++beat) {
    const double at = beat * kBeat;
    if (beat % 2 == 0) AddKick(out, sampleRate, at);
    if (beat % 4 == 2) AddKick(out, sampleRate, at + kBeat * 0.75);
    if (beat % 2 == 1) AddSnare(out, sampleRate, at, noise);
    AddHat(out, sampleRate, at, noise);
    AddHat(out, sampleRate, at + kBeat / 2, noise);
  }
  double peak = 0.0;
  for (double s : out) peak = std::max(peak, std::fabs(s));
  if (peak > 0.0)
    for (double& s : out) s *= 0.8 / peak;
  return out;
}
