#pragma once
// Mode word, opacity weight and the per-pixel combine rules. Each rule is a stateless class with
// one static doPix; drawing loops are templates over the rule so no loop tests the mode.
#include <array>
#include <climits>

#include "pix/pix_bitmap.h"

#define PIX_COMBINE_COPY 0
#define PIX_COMBINE_ADD 1
#define PIX_COMBINE_DODGE 2
#define PIX_COMBINE_MULTIPLY 3
#define PIX_COMBINE_OVERLAY 4
#define PIX_COMBINE_HSVADJUST 5
#define PIX_COMBINE_MODEMASK 0xFF
#define PIX_COMBINE_CHANNELCOPY 0xF0
#define PIX_FILTER_BILINEAR 0x100
#define PIX_FLAG_SOURCE_ALPHA 0x10000
// The bits that select a rule: the combine number and the source-alpha flag.
#define PIX_RULE_MASK 0x100FF

// Weights are kept within +-32512 so that no rule's intermediate product can overflow an int;
// any opacity beyond 127 saturates there.
#define PIX_WEIGHT_LIMIT 32512

// Integer weight of a float opacity: truncated toward zero, 256 = full weight.
static inline int PIX_Weight(float opacity) {
  const float w = opacity * 256.0f;
  if (!(w == w)) return 0;
  if (w >= static_cast<float>(PIX_WEIGHT_LIMIT)) return PIX_WEIGHT_LIMIT;
  if (w <= -static_cast<float>(PIX_WEIGHT_LIMIT)) return -PIX_WEIGHT_LIMIT;
  return static_cast<int>(w);
}

static inline int PIX_LimitWeight(int ia) {
  return ia > PIX_WEIGHT_LIMIT ? PIX_WEIGHT_LIMIT : ia < -PIX_WEIGHT_LIMIT ? -PIX_WEIGHT_LIMIT : ia;
}

namespace pix {

static inline int Clamp(int x) { return x < 0 ? 0 : x > 255 ? 255 : x; }

// Source-alpha rules scale the weight by the source alpha this way.
static inline int SourceAlphaWeight(int alpha, int a) { return (alpha * (a + 1)) / 256; }

// Rules that treat the four channels alike: R::ch(d, s, alpha) gives each channel's result,
// stored as its low byte.
template <class R> struct PerChannel {
  static inline void doPix(unsigned char* d, int r, int g, int b, int a, int alpha) {
    d[0] = (unsigned char)R::ch(d[0], b, alpha);
    d[1] = (unsigned char)R::ch(d[1], g, alpha);
    d[2] = (unsigned char)R::ch(d[2], r, alpha);
    d[3] = (unsigned char)R::ch(d[3], a, alpha);
  }
};

// The clamping form of a per-channel rule.
template <class R> struct ClampedChannel : PerChannel<ClampedChannel<R>> {
  static inline int ch(int d, int s, int alpha) { return Clamp(R::ch(d, s, alpha)); }
};

}  // namespace pix

struct _PIX_CombinePixelsClobberNoClamp {
  static inline void doPix(unsigned char* d, int r, int g, int b, int a, int) {
    d[0] = (unsigned char)b;
    d[1] = (unsigned char)g;
    d[2] = (unsigned char)r;
    d[3] = (unsigned char)a;
  }
};

struct _PIX_CombinePixelsClobberClamp : pix::PerChannel<_PIX_CombinePixelsClobberClamp> {
  static inline int ch(int, int s, int) { return pix::Clamp(s); }
};

struct _PIX_CombinePixelsCopyNoClamp : pix::PerChannel<_PIX_CombinePixelsCopyNoClamp> {
  static inline int ch(int d, int s, int alpha) { return s + ((d - s) * (256 - alpha)) / 256; }
};

struct _PIX_CombinePixelsCopyClamp : pix::ClampedChannel<_PIX_CombinePixelsCopyNoClamp> {};

struct _PIX_CombinePixelsAdd : pix::PerChannel<_PIX_CombinePixelsAdd> {
  static inline int ch(int d, int s, int alpha) { return pix::Clamp(d + (s * alpha) / 256); }
};

struct _PIX_CombinePixelsColorDodge : pix::PerChannel<_PIX_CombinePixelsColorDodge> {
  static inline int ch(int d, int s, int alpha) {
    const int k = (s * alpha) / 256;
    return k < 255 ? pix::Clamp((d * 256) / (256 - k)) : pix::Clamp(d * 256);
  }
};

struct _PIX_CombinePixelsMulNoClamp : pix::PerChannel<_PIX_CombinePixelsMulNoClamp> {
  static inline int ch(int d, int s, int alpha) { return ((s * alpha + (256 - alpha) * 256) * d) >> 16; }
};

struct _PIX_CombinePixelsMulClamp : pix::ClampedChannel<_PIX_CombinePixelsMulNoClamp> {};

struct _PIX_CombinePixelsOverlay : pix::PerChannel<_PIX_CombinePixelsOverlay> {
  static inline int ch(int d, int s, int alpha) {
    const int w = s * alpha + (256 - alpha) * 128;
    return pix::Clamp(((((32768 - w) * d) / 256 + w) * d) >> 15);
  }
};

namespace pix {

// T[i] = 65536 / i - 1, T[0] = 0: a reciprocal in 16 bits for the hue and saturation maths.
struct HSVTable {
  static constexpr std::array<unsigned short, 256> make() {
    std::array<unsigned short, 256> t{};
    for (int i = 1; i < 256; ++i) t[i] = (unsigned short)(65536 / i - 1);
    return t;
  }
};
inline constexpr std::array<unsigned short, 256> kHsvReciprocal = HSVTable::make();

}  // namespace pix

// The source colour is not painted: red shifts the hue, green the saturation and blue the value
// of the destination, each centred on 128. Hue runs 0..383, 64 steps per sixth of the circle.
struct _PIX_CombinePixelsHSVAdjust {
  static inline void doPix(unsigned char* d, int r, int g, int b, int a, int alpha) {
    const int R = d[2], G = d[1], B = d[0];
    int mx, mn, base, diff;
    if (R < G) {
      if (B < G) {
        mx = G, mn = R < B ? R : B, base = 128, diff = B - R;
      } else {
        mx = B, mn = R, base = 256, diff = R - G;
      }
    } else if (B < R) {
      mx = R, mn = G < B ? G : B, base = G < B ? 383 : 0, diff = G - B;
    } else {
      mx = B, mn = G, base = 256, diff = R - G;
    }
    const int delta = mx - mn;
    int hue = base + (alpha * (r + r / 2 - 192)) / 256 + (diff * (pix::kHsvReciprocal[delta] + 1)) / 1024;
    if (hue < 0) hue += 384;
    else if (hue >= 384) hue -= 384;
    // Only weights far above full strength can leave the circle after one turn.
    if (hue < 0 || hue >= 384) hue = ((hue % 384) + 384) % 384;
    const int v = pix::Clamp(mx + (alpha * (b - 128)) / 128);
    const int s = pix::Clamp((delta * pix::kHsvReciprocal[mx]) / 256 + (alpha * (g - 128)) / 128);
    const int p = ((256 - s) * v) >> 8;
    int nr, ng, nb;
    if (hue < 64) {
      nr = v, ng = (v * (16384 - (64 - hue) * s)) >> 14, nb = p;
    } else if (hue < 128) {
      nr = (v * (16384 - (hue - 64) * s)) >> 14, ng = v, nb = p;
    } else if (hue < 192) {
      nr = p, ng = v, nb = (v * (16384 - (192 - hue) * s)) >> 14;
    } else if (hue < 256) {
      nr = p, ng = (v * (16384 - (hue - 192) * s)) >> 14, nb = v;
    } else if (hue < 320) {
      nr = (v * (16384 - (320 - hue) * s)) >> 14, ng = p, nb = v;
    } else {
      nr = v, ng = p, nb = (v * (16384 - (hue - 320) * s)) >> 14;
    }
    d[0] = (unsigned char)nb;
    d[1] = (unsigned char)ng;
    d[2] = (unsigned char)nr;
    d[3] = (unsigned char)a;
  }
};

struct _PIX_CombinePixelsHalfMixNoClamp : pix::PerChannel<_PIX_CombinePixelsHalfMixNoClamp> {
  static inline int ch(int d, int s, int) { return (d + s) >> 1; }
};

// ---- rules weighted by the source alpha ----

struct _PIX_CombinePixelsCopySourceAlphaNoClamp {
  static inline void doPix(unsigned char* d, int r, int g, int b, int a, int alpha) {
    if (a == 0) return;
    const int w = pix::SourceAlphaWeight(alpha, a);
    d[0] = (unsigned char)_PIX_CombinePixelsCopyNoClamp::ch(d[0], b, w);
    d[1] = (unsigned char)_PIX_CombinePixelsCopyNoClamp::ch(d[1], g, w);
    d[2] = (unsigned char)_PIX_CombinePixelsCopyNoClamp::ch(d[2], r, w);
    const int na = d[3] + w;
    d[3] = (unsigned char)(na > 255 ? 255 : na);
  }
};

// Full weight: only the source alpha scales the mix.
struct _PIX_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp {
  static inline void doPix(unsigned char* d, int r, int g, int b, int a, int) {
    if (a == 0) return;
    if (a == 255) {
      d[0] = (unsigned char)b;
      d[1] = (unsigned char)g;
      d[2] = (unsigned char)r;
      d[3] = 255;
      return;
    }
    const int w = 255 - a;
    d[0] = (unsigned char)(b + ((d[0] - b) * w) / 256);
    d[1] = (unsigned char)(g + ((d[1] - g) * w) / 256);
    d[2] = (unsigned char)(r + ((d[2] - r) * w) / 256);
    const int na = d[3] + a;
    d[3] = (unsigned char)(na > 255 ? 255 : na);
  }
};

struct _PIX_CombinePixelsAddSourceAlpha {
  static inline void doPix(unsigned char* d, int r, int g, int b, int a, int alpha) {
    if (a == 0) return;
    _PIX_CombinePixelsAdd::doPix(d, r, g, b, a, pix::SourceAlphaWeight(alpha, a));
  }
};

struct _PIX_CombinePixelsColorDodgeSourceAlpha {
  static inline void doPix(unsigned char* d, int r, int g, int b, int a, int alpha) {
    _PIX_CombinePixelsColorDodge::doPix(d, r, g, b, a, pix::SourceAlphaWeight(alpha, a));
  }
};

struct _PIX_CombinePixelsMulSourceAlphaNoClamp {
  static inline void doPix(unsigned char* d, int r, int g, int b, int a, int alpha) {
    if (a == 0) return;
    _PIX_CombinePixelsMulNoClamp::doPix(d, r, g, b, a, pix::SourceAlphaWeight(alpha, a));
  }
};

struct _PIX_CombinePixelsMulSourceAlphaClamp {
  static inline void doPix(unsigned char* d, int r, int g, int b, int a, int alpha) {
    if (a == 0) return;
    _PIX_CombinePixelsMulClamp::doPix(d, r, g, b, a, pix::SourceAlphaWeight(alpha, a));
  }
};

struct _PIX_CombinePixelsOverlaySourceAlpha {
  static inline void doPix(unsigned char* d, int r, int g, int b, int a, int alpha) {
    _PIX_CombinePixelsOverlay::doPix(d, r, g, b, a, pix::SourceAlphaWeight(alpha, a));
  }
};

struct _PIX_CombinePixelsHSVAdjustSourceAlpha {
  static inline void doPix(unsigned char* d, int r, int g, int b, int a, int alpha) {
    _PIX_CombinePixelsHSVAdjust::doPix(d, r, g, b, a, pix::SourceAlphaWeight(alpha, a));
  }
};

// ---- whole-word rules for exact weights (c = source colour word, d = destination word) ----

struct _PIX_CombinePixelsClobberFAST {
  static inline void doPixFAST(PIX_pixel* d, PIX_pixel c) { *d = c; }
};

struct _PIX_CombinePixelsHalfMixFAST {
  static inline PIX_pixel mix(PIX_pixel c, PIX_pixel d) {
    return ((c >> 1) & 0x7F7F7F7Fu) + ((d >> 1) & 0x7F7F7F7Fu);
  }
  static inline void doPixFAST(PIX_pixel* d, PIX_pixel c) { *d = mix(c, *d); }
};

struct _PIX_CombinePixelsHalfMix2FAST : _PIX_CombinePixelsHalfMixFAST {};

struct _PIX_CombinePixelsQuarterMix2FAST {
  static inline void doPixFAST(PIX_pixel* d, PIX_pixel c) {
    const PIX_pixel v = *d;
    *d = ((c >> 2) & 0x3F3F3F3Fu) + ((v >> 2) & 0x3F3F3F3Fu) + ((v >> 1) & 0x7F7F7F7Fu);
  }
};

struct _PIX_CombinePixelsThreeQuarterMix2FAST {
  static inline void doPixFAST(PIX_pixel* d, PIX_pixel c) {
    *d = ((c >> 1) & 0x7F7F7F7Fu) + ((c >> 2) & 0x3F3F3F3Fu) + ((*d >> 2) & 0x3F3F3F3Fu);
  }
};

// One pixel at a time through the same rules. alpha 0 leaves dest; unknown modes leave dest.
PIX_pixel PIX_CombinePixels(PIX_pixel dest, PIX_pixel src, float alpha, int mode);
void PIX_CombinePixels2(PIX_pixel* dest, int r, int g, int b, int a, int ia, int mode);
// Clamps the source channels first and uses the clamping copy and multiply rules.
void PIX_CombinePixels2Clamp(PIX_pixel* dest, int r, int g, int b, int a, int ia, int mode);
