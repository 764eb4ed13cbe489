#pragma once
// Step-by-step versions of the line walks, written as loops that accumulate their error the way
// the algorithms are described, for lines lying wholly inside a bitmap. Each gives the pixels it
// writes with their weights, in order; -1 means "the call's own weight".
#include <cmath>
#include <cstdlib>
#include <vector>

#include "tests/pix/helpers.h"

namespace ref {

struct Plot {
  int x, y, w;
};

// Integer line that is neither straight nor diagonal, from both ends toward the middle.
inline std::vector<Plot> GeneralLine(int x1, int y1, int x2, int y2, bool aa, int ia) {
  std::vector<Plot> out;
  const bool xmaj = std::abs(x2 - x1) > std::abs(y2 - y1);
  const int n = xmaj ? std::abs(x2 - x1) : std::abs(y2 - y1);
  const int m = xmaj ? std::abs(y2 - y1) : std::abs(x2 - x1);
  const int sx = x2 < x1 ? -1 : 1, sy = y2 < y1 ? -1 : 1;
  const int err = (int)((double)m / n * 65536);
  auto put = [&](int x, int y, int w) { out.push_back({x, y, w}); };
  auto scale = [&](int w) { return ia == 256 ? w : (w * ia) >> 8; };
  int fx = x1, fy = y1, bx = x2, by = y2;
  const int steps = (n + 1) / 2;
  // Front and back move toward each other along either axis.
  auto minorStep = [&]() {
    if (xmaj) fy += sy, by -= sy;
    else fx += sx, bx -= sx;
  };
  auto majorStep = [&]() {
    if (xmaj) fx += sx, bx -= sx;
    else fy += sy, by -= sy;
  };
  if (!aa) {
    int e = 0;
    for (int k = 0; k < steps; ++k) {
      put(fx, fy, -1), put(bx, by, -1);
      if (e + err >= 0x8000) e -= 0x10000, minorStep();
      e += err;
      majorStep();
    }
    if (n % 2 == 0) put(fx, fy, -1);
    return out;
  }
  put(x1, y1, -1), put(x2, y2, -1);
  int e = err;
  majorStep();
  const int last = n % 2 == 0 ? steps : steps - 1;
  for (int k = 1; k <= last; ++k) {
    const int w1 = scale(255 - (e >> 8)), w2 = scale(e >> 8);
    put(fx, fy, w1), put(xmaj ? fx : fx + sx, xmaj ? fy + sy : fy, w2);
    if (k < steps) put(bx, by, w1), put(xmaj ? bx : bx - sx, xmaj ? by - sy : by, w2);
    if (e + err >= 0x10000) e -= 0x10000, minorStep();
    e += err;
    majorStep();
  }
  return out;
}

// Anti-aliased float line: from ceil(start) to floor(end) along the major axis, the minor
// position accumulated in 16.16.
inline std::vector<Plot> FloatLine(float x1, float y1, float x2, float y2, int ia) {
  std::vector<Plot> out;
  const bool xmaj = std::fabs(x2 - x1) >= std::fabs(y2 - y1);
  double a = xmaj ? x1 : y1, am = xmaj ? y1 : x1, b = xmaj ? x2 : y2, bm = xmaj ? y2 : x2;
  if (a > b) std::swap(a, b), std::swap(am, bm);
  const double slope = (bm - am) / (b - a);
  long long pos = (long long)std::floor((am + (std::ceil(a) - a) * slope) * 65536.0);
  const long long step = (long long)(slope * 65536.0);
  for (long long k = (long long)std::ceil(a); k <= (long long)std::floor(b); ++k, pos += step) {
    const int frac = (int)((pos & 0xFFFF) >> 8), m = (int)(pos >> 16);
    const int w1 = ia == 256 ? 255 - frac : ((255 - frac) * ia) >> 8, w2 = ia == 256 ? frac : (frac * ia) >> 8;
    out.push_back(xmaj ? Plot{(int)k, m, w1} : Plot{m, (int)k, w1});
    out.push_back(xmaj ? Plot{(int)k, m + 1, w2} : Plot{m + 1, (int)k, w2});
  }
  return out;
}

// What one plot does to a pixel for a rule number (mode & 0xFF) with the colour's channels.
inline uint32_t Apply(uint32_t d, uint32_t color, int w, int mode) {
  static const Rule rules[] = {Copy, Add, Dodge, Mul, Overlay, HSV};
  if (w == 0) return d;
  return Combine(rules[mode & 0xFF], d, Split(color), w);
}

}  // namespace ref
