#pragma once
// Pixel-by-pixel reference of the resampling blits: every destination pixel works out its own
// source position, sample and rule, with no trimming, stepping or separable sums.
#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

#include "tests/pix/helpers.h"

namespace sref {

struct Img {
  int w = 0, h = 0;
  std::vector<uint32_t> px;
  uint32_t& at(int x, int y) { return px[size_t(y) * w + x]; }
  uint32_t at(int x, int y) const { return px[size_t(y) * w + x]; }
};

inline Img Read(PIX_IBitmap& bm) {
  Img m;
  m.w = bm.getWidth(), m.h = bm.getHeight();
  for (int y = 0; y < m.h; ++y)
    for (int x = 0; x < m.w; ++x) m.px.push_back(At(bm, x, y));
  return m;
}

// The source window and the 16.16 positions relative to it.
struct Window {
  const Img* src;
  int l, t, r, b;
  bool inside(long long x, long long y) const { return x >= 0 && y >= 0 && x < r - l && y < b - t; }
  ref::Px px(long long x, long long y) const { return ref::Split(src->at(int(x + l), int(y + t))); }
};

inline bool Sample(const Window& win, long long s, long long t, bool bilinear, ref::Px& out) {
  const long long x = s >> 16, y = t >> 16;
  if (!win.inside(x, y)) return false;
  if (!bilinear) return out = win.px(x, y), true;
  const long long xf = s & 0xFFFF, yf = t & 0xFFFF;
  const bool lastCol = x == win.r - win.l - 1, lastRow = y == win.b - win.t - 1;
  const ref::Px p00 = win.px(x, y);
  for (int c = 0; c < 4; ++c) {
    long long v;
    if (lastCol && lastRow) v = p00.c[c];
    else if (lastCol) v = (p00.c[c] * (65536 - yf) + win.px(x, y + 1).c[c] * yf) >> 16;
    else if (lastRow) v = (p00.c[c] * (65536 - xf) + win.px(x + 1, y).c[c] * xf) >> 16;
    else {
      const long long f11 = (xf * yf) >> 16, f10 = xf - f11, f01 = yf - f11, f00 = 65536 - xf - yf + f11;
      v = (p00.c[c] * f00 + win.px(x + 1, y).c[c] * f10 + win.px(x, y + 1).c[c] * f01 +
           win.px(x + 1, y + 1).c[c] * f11) >> 16;
    }
    out.c[c] = int(v);
  }
  return true;
}

// The weighted kernel as written: every tap's weight from its distance, summed and divided.
inline bool Box(const Window& win, long long s, long long t, long long idx, long long idy, int size, ref::Px& out) {
  const long long cx = s >> 16, cy = t >> 16;
  if (!win.inside(cx, cy)) return false;
  long long sum[4] = {0, 0, 0, 0}, total = 0;
  for (int dy = -size / 2; dy <= size / 2; ++dy)
    for (int dx = -size / 2; dx <= size / 2; ++dx) {
      if (!win.inside(cx + dx, cy + dy)) continue;
      long long wgt = 65536;
      if (dx || dy) {
        const double f = (double(std::max(idx, idy)) - 1) / std::sqrt(double(dx * dx + dy * dy));
        wgt = (long long)(std::min(1.0, std::max(0.0, f)) * 65536);
      }
      const ref::Px p = win.px(cx + dx, cy + dy);
      for (int c = 0; c < 4; ++c) sum[c] += p.c[c] * wgt;
      total += wgt;
    }
  if (total <= 0) return false;
  for (int c = 0; c < 4; ++c) out.c[c] = int(sum[c] / total);
  return true;
}

// Rule of a fixed weight; false when the mode and weight draw nothing.
inline bool FixedRule(int mode, int ia, ref::Rule& rule) {
  const int m = mode & 0x100FF;
  if (m == 0) {
    if (ia <= 0) return false;
    rule = ia == 256 ? ref::Clobber : ref::Copy;
    return true;
  }
  if (m == 0x10000) return rule = ia == 256 ? ref::CopySAFull : ref::CopySA, true;
  return ref::BlendRule(mode, rule);
}

inline int Weight(float a) { return PIX_Weight(a); }

struct Axis {
  bool ok = false;
  long long start = 0, n = 0, cur = 0, step = 0;
  int lo = 0, hi = 0;
  double adv = 0;
};

inline Axis MakeAxis(long long dpos, long long dlen, double spos, double slen, int dsize, int ssize) {
  Axis a;
  if (dlen < 0) dpos += dlen, spos += slen, dlen = -dlen, slen = -slen;
  a.adv = slen / double(dlen);
  if (dpos < 0) spos += double(-dpos) * a.adv, dlen += dpos, dpos = 0;
  if (dlen <= 0 || dpos >= dsize) return a;
  a.step = (long long)std::floor(a.adv * 65536);
  // A backward axis samples each pixel's span at its lower end.
  a.cur = (long long)std::floor((a.adv < 0 ? spos + a.adv : spos) * 65536);
  a.n = std::min(dlen, (long long)dsize - dpos);
  a.start = dpos;
  long long lowest = LLONG_MAX;
  for (long long k = 0; k < a.n; ++k) {
    const long long p = a.cur + k * a.step;
    if (p >= 0 && p < (long long)ssize * 65536) lowest = std::min(lowest, p);
  }
  if (lowest == LLONG_MAX) return a;
  a.lo = int(lowest >> 16);
  a.hi = std::min(ssize, int(std::max(0.0, slen) + spos + 0.999999));
  a.ok = a.hi > a.lo;
  return a;
}

// PIX_ScaledBlit's scaled path (not the unscaled shortcut) onto a copy of dest.
inline Img Scaled(Img dest, const Img& src, int dstx, int dsty, int dstw, int dsth, float srcx, float srcy,
                  float srcw, float srch, float alpha, int mode) {
  if (dstw == 0 || dsth == 0 || alpha == 0.0f) return dest;
  const Axis ax = MakeAxis(dstx, dstw, srcx, srcw, dest.w, src.w), ay = MakeAxis(dsty, dsth, srcy, srch, dest.h, src.h);
  if (!ax.ok || !ay.ok) return dest;
  const Window win{&src, ax.lo, ay.lo, ax.hi, ay.hi};
  const int ia = Weight(alpha);
  const bool fast = (mode & 0x1FFFF) == 0 && (ia == 256 || ia == 128);
  const bool bilinear = (mode & 0xFF00) == 0x100;
  const bool box = !fast && bilinear && ax.adv >= 1.7 && ay.adv >= 1.7;
  const int size = std::max(ax.step, ay.step) > 0x30000 ? 5 : 3;
  ref::Rule rule = ref::Clobber;
  if (!fast && !FixedRule(mode, ia, rule)) return dest;
  for (long long j = 0; j < ay.n; ++j)
    for (long long i = 0; i < ax.n; ++i) {
      const long long s = ax.cur + i * ax.step - ax.lo * 65536LL, t = ay.cur + j * ay.step - ay.lo * 65536LL;
      ref::Px p;
      const bool got = box ? Box(win, s, t, ax.step, ay.step, size, p) : Sample(win, s, t, bilinear && !fast, p);
      if (!got) continue;
      uint32_t& d = dest.at(int(ax.start + i), int(ay.start + j));
      if (fast) d = ia == 256 ? ref::Join(p) : ref::Mix(ref::Join(p), d, 2);
      else d = ref::Combine(rule, d, p, ia);
    }
  return dest;
}

// A mapped blit in 16.16: destination pixel (x, y) of the area samples
// s + x * (dsdx + y * dsdxdy) + y * dsdy (and likewise t) in the window, at weight ia, or at the
// stepped weight (v + x * dvdx + y * dvdy) >> 8 when varying.
struct Delta {
  int dx, dy, w, h;
  long long s, t, dsdx, dtdx, dsdy, dtdy, dsdxdy, dtdxdy;
  bool varying = false;
  long long v = 0, dvdx = 0, dvdy = 0;
};

inline Img Mapped(Img dest, const Img& src, const Window& win, const Delta& d, float alpha, int mode) {
  const int ia = Weight(alpha);
  if (ia == 0 && !d.varying) return dest;
  const bool bilinear = (mode & 0xFF00) == 0x100;
  ref::Rule rule = ref::Copy;
  const int m = mode & 0x100FF;
  if (d.varying) {
    if (m == 0) rule = ref::Copy;
    else if (m == 0x10000) rule = ref::CopySA;
    else if (!ref::BlendRule(mode, rule)) return dest;
  } else if (!FixedRule(mode, ia, rule)) {
    return dest;
  }
  (void)src;
  for (int y = 0; y < d.h; ++y)
    for (int x = 0; x < d.w; ++x) {
      const int X = d.dx + x, Y = d.dy + y;
      if (X < 0 || Y < 0 || X >= dest.w || Y >= dest.h) continue;
      int weight = ia;
      if (d.varying) {
        weight = int(std::clamp<long long>((d.v + x * d.dvdx + y * d.dvdy) >> 8, -32512, 32512));
        if (weight == 0 || ((m == 0 || m == 0x10000) && weight < 0)) continue;
      }
      const long long s = d.s + x * (d.dsdx + y * d.dsdxdy) + y * d.dsdy;
      const long long t = d.t + x * (d.dtdx + y * d.dtdxdy) + y * d.dtdy;
      ref::Px p;
      if (Sample(win, s, t, bilinear, p)) dest.at(X, Y) = ref::Combine(rule, dest.at(X, Y), p, weight);
    }
  return dest;
}

}  // namespace sref
