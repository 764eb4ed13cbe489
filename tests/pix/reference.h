#pragma once
// Scalar reference of the combine rules, written channel by channel from the formulas and kept
// apart from the library's code so the two can be compared.
#include <cstdint>
#include <random>
#include <vector>

#include "pix/pix.h"

namespace ref {

enum Rule {
  Clobber,
  ClobberClamp,
  Copy,
  CopyClamp,
  Add,
  Dodge,
  Mul,
  MulClamp,
  Overlay,
  HSV,
  CopySA,
  CopySAFull,  // full weight: only the source alpha mixes
  AddSA,
  DodgeSA,
  MulSA,
  OverlaySA,
  HSVSA,
};

inline int clamp255(int x) { return x < 0 ? 0 : (x > 255 ? 255 : x); }

// Channel arrays are indexed by byte position: 0 blue, 1 green, 2 red, 3 alpha.
struct Px {
  int c[4];
};
inline Px Split(uint32_t v) { return Px{{int(v & 255), int((v >> 8) & 255), int((v >> 16) & 255), int(v >> 24)}}; }
inline uint32_t Join(const Px& p) {
  return uint32_t(p.c[0] & 255) | uint32_t(p.c[1] & 255) << 8 | uint32_t(p.c[2] & 255) << 16 |
         uint32_t(p.c[3] & 255) << 24;
}

inline uint32_t Hsv(uint32_t dest, const Px& s, int alpha) {
  static int T[256];
  T[0] = 0;
  for (int i = 1; i < 256; ++i) T[i] = 65536 / i - 1;
  Px d = Split(dest);
  const int R = d.c[2], G = d.c[1], B = d.c[0];
  int mx, mn, base, diff;
  if (R < G && B < G) mx = G, mn = std::min(R, B), base = 128, diff = B - R;
  else if (R < G) mx = B, mn = std::min(R, G), base = 256, diff = R - G;
  else if (B < R) mx = R, mn = std::min(G, B), base = G < B ? 383 : 0, diff = G - B;
  else mx = B, mn = std::min(R, G), base = 256, diff = R - G;
  const int delta = mx - mn;
  const int r = s.c[2], g = s.c[1], b = s.c[0];
  int hue = base + (alpha * (r + r / 2 - 192)) / 256 + (diff * (T[delta] + 1)) / 1024;
  if (hue < 0) hue += 384;
  else if (hue >= 384) hue -= 384;
  hue = ((hue % 384) + 384) % 384;
  const int v = clamp255(mx + (alpha * (b - 128)) / 128);
  const int sat = clamp255((delta * T[mx]) / 256 + (alpha * (g - 128)) / 128);
  const int p = ((256 - sat) * v) >> 8;
  auto t = [&](int k) { return v * (16384 - k * sat) / 16384; };
  int out[3];  // red, green, blue
  switch (hue / 64) {
    case 0: out[0] = v, out[1] = t(64 - hue), out[2] = p; break;
    case 1: out[0] = t(hue - 64), out[1] = v, out[2] = p; break;
    case 2: out[0] = p, out[1] = v, out[2] = t(192 - hue); break;
    case 3: out[0] = p, out[1] = t(hue - 192), out[2] = v; break;
    case 4: out[0] = t(320 - hue), out[1] = p, out[2] = v; break;
    default: out[0] = v, out[1] = p, out[2] = t(hue - 320); break;
  }
  return Join(Px{{out[2], out[1], out[0], s.c[3]}});
}

// One pixel: dest combined with source channels s (b, g, r, a) at weight alpha.
inline uint32_t Combine(Rule rule, uint32_t dest, const Px& s, int alpha) {
  const Px d = Split(dest);
  const int a = s.c[3];
  Px o = d;
  const int wsa = (alpha * (a + 1)) / 256;
  switch (rule) {
    case Clobber: return Join(s);
    case ClobberClamp:
      for (int i = 0; i < 4; ++i) o.c[i] = clamp255(s.c[i]);
      return Join(o);
    case Copy:
    case CopyClamp:
      for (int i = 0; i < 4; ++i) {
        o.c[i] = s.c[i] + ((d.c[i] - s.c[i]) * (256 - alpha)) / 256;
        if (rule == CopyClamp) o.c[i] = clamp255(o.c[i]);
      }
      return Join(o);
    case AddSA:
      if (a == 0) return dest;
      return Combine(Add, dest, s, wsa);
    case Add:
      for (int i = 0; i < 4; ++i) o.c[i] = clamp255(d.c[i] + (s.c[i] * alpha) / 256);
      return Join(o);
    case DodgeSA: return Combine(Dodge, dest, s, wsa);
    case Dodge:
      for (int i = 0; i < 4; ++i) {
        const int k = (s.c[i] * alpha) / 256;
        o.c[i] = k < 255 ? clamp255((d.c[i] * 256) / (256 - k)) : clamp255(d.c[i] * 256);
      }
      return Join(o);
    case MulSA:
      if (a == 0) return dest;
      return Combine(Mul, dest, s, wsa);
    case Mul:
    case MulClamp:
      for (int i = 0; i < 4; ++i) {
        o.c[i] = ((s.c[i] * alpha + (256 - alpha) * 256) * d.c[i]) >> 16;
        if (rule == MulClamp) o.c[i] = clamp255(o.c[i]);
      }
      return Join(o);
    case OverlaySA: return Combine(Overlay, dest, s, wsa);
    case Overlay:
      for (int i = 0; i < 4; ++i) {
        const int w = s.c[i] * alpha + (256 - alpha) * 128;
        o.c[i] = clamp255(((((32768 - w) * d.c[i]) / 256 + w) * d.c[i]) >> 15);
      }
      return Join(o);
    case HSVSA: return Hsv(dest, s, wsa);
    case HSV: return Hsv(dest, s, alpha);
    case CopySA:
      if (a == 0) return dest;
      for (int i = 0; i < 3; ++i) o.c[i] = s.c[i] + ((d.c[i] - s.c[i]) * (256 - wsa)) / 256;
      o.c[3] = std::min(255, d.c[3] + wsa);
      return Join(o);
    case CopySAFull:
      if (a == 0) return dest;
      if (a == 255) return Join(Px{{s.c[0], s.c[1], s.c[2], 255}});
      for (int i = 0; i < 3; ++i) o.c[i] = s.c[i] + ((d.c[i] - s.c[i]) * (255 - a)) / 256;
      o.c[3] = std::min(255, d.c[3] + a);
      return Join(o);
  }
  return dest;
}

// The rules of add, dodge, multiply, overlay and HSV, with or without source alpha.
inline bool BlendRule(int mode, Rule& rule) {
  static const Rule plain[] = {Add, Dodge, Mul, Overlay, HSV};
  static const Rule withAlpha[] = {AddSA, DodgeSA, MulSA, OverlaySA, HSVSA};
  const int m = mode & 0x100FF, n = m & 0xFF;
  if (n < 1 || n > 5) return false;
  rule = (m & 0x10000) ? withAlpha[n - 1] : plain[n - 1];
  return true;
}

// The per-byte whole-word mixes.
inline uint32_t Mix(uint32_t c, uint32_t d, int quarters) {
  Px pc = Split(c), pd = Split(d), o;
  for (int i = 0; i < 4; ++i) {
    if (quarters == 1) o.c[i] = pc.c[i] / 4 + pd.c[i] / 4 + pd.c[i] / 2;
    else if (quarters == 2) o.c[i] = pc.c[i] / 2 + pd.c[i] / 2;
    else o.c[i] = pc.c[i] / 2 + pc.c[i] / 4 + pd.c[i] / 4;
  }
  return Join(o);
}

// Weights every rule is tried with, through opacities that give them exactly.
inline const std::vector<int>& Weights() {
  static const std::vector<int> w = {0, 1, 64, 127, 128, 192, 255, 256, 300, 700};
  return w;
}

// Random pixels with the interesting alphas well represented.
inline uint32_t RandomPixel(std::mt19937& rng) {
  static const int alphas[] = {0, 1, 127, 128, 254, 255};
  uint32_t v = rng();
  if (rng() % 2) v = (v & 0xFFFFFFu) | uint32_t(alphas[rng() % 6]) << 24;
  return v;
}

}  // namespace ref
