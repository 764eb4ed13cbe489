#pragma once
// The resampling loop families. Source positions are 16.16 fixed point relative to a window of
// the source bitmap, held in 64 bits so no step count can overflow; a sample whose integer part
// falls outside the window is skipped (negative positions fail the unsigned test).
#include "pix/pix_loops.h"
#include "pix/pix_window.h"

namespace pix {

// Channels by byte position: 0 blue, 1 green, 2 red, 3 alpha.
struct Channels {
  int c[4];
};

static inline void Split(PIX_pixel p, Channels& o) {
  o.c[0] = PIX_GETB(p), o.c[1] = PIX_GETG(p), o.c[2] = PIX_GETR(p), o.c[3] = PIX_GETA(p);
}

// Bilinear sample at (x + xf / 65536, y + yf / 65536), (x, y) inside the window. The last column
// mixes only vertically, the last row only horizontally, and their corner is taken as it is.
static inline void Bilinear(const Window& win, long long x, long long y, int xf, int yf, Channels& o) {
  const PIX_pixel* p = win.row(y) + x;
  const bool lastCol = x == win.w - 1, lastRow = y == win.h - 1;
  if (!lastCol && !lastRow) {
    const int f11 = static_cast<int>((static_cast<long long>(xf) * yf) >> 16);
    const int f10 = xf - f11, f01 = yf - f11, f00 = 65536 - xf - yf + f11;
    const PIX_pixel p00 = p[0], p10 = p[1], p01 = p[win.step], p11 = p[win.step + 1];
    for (int i = 0; i < 4; ++i) {
      const int sh = i * 8;
      o.c[i] = static_cast<int>((((p00 >> sh) & 255) * static_cast<unsigned>(f00) +
                                 ((p10 >> sh) & 255) * static_cast<unsigned>(f10) +
                                 ((p01 >> sh) & 255) * static_cast<unsigned>(f01) +
                                 ((p11 >> sh) & 255) * static_cast<unsigned>(f11)) >> 16);
    }
  } else if (!lastRow) {
    const PIX_pixel p00 = p[0], p01 = p[win.step];
    for (int i = 0; i < 4; ++i) {
      const int sh = i * 8;
      o.c[i] = static_cast<int>((((p00 >> sh) & 255) * static_cast<unsigned>(65536 - yf) +
                                 ((p01 >> sh) & 255) * static_cast<unsigned>(yf)) >> 16);
    }
  } else if (!lastCol) {
    const PIX_pixel p00 = p[0], p10 = p[1];
    for (int i = 0; i < 4; ++i) {
      const int sh = i * 8;
      o.c[i] = static_cast<int>((((p00 >> sh) & 255) * static_cast<unsigned>(65536 - xf) +
                                 ((p10 >> sh) & 255) * static_cast<unsigned>(xf)) >> 16);
    }
  } else {
    Split(p[0], o);
  }
}

// Nearest or bilinear sample at the 16.16 position (s, t); false when it lies outside.
static inline bool Sample(const Window& win, long long s, long long t, bool bilinear, Channels& o) {
  const long long x = s >> 16, y = t >> 16;
  if (!win.inside(x, y)) return false;
  if (bilinear) Bilinear(win, x, y, static_cast<int>(s & 0xFFFF), static_cast<int>(t & 0xFFFF), o);
  else Split(win.row(y)[x], o);
  return true;
}

template <class R> static inline void Apply(PIX_pixel* d, const Channels& p, int alpha) {
  R::doPix(reinterpret_cast<unsigned char*>(d), p.c[2], p.c[1], p.c[0], p.c[3], alpha);
}

}  // namespace pix

template <class R>
void _PIX_Template_Blit2<R>::scaleBlit(PIX_pixel* dest, ptrdiff_t dstep, int w, int h, long long curx,
                                       long long cury, long long idx, long long idy, const pix::Window& win,
                                       bool bilinear, int alpha) {
  pix::Channels p;
  for (; h > 0; --h, dest += dstep, cury += idy) {
    long long s = curx;
    for (int x = 0; x < w; ++x, s += idx)
      if (pix::Sample(win, s, cury, bilinear, p)) pix::Apply<R>(dest + x, p, alpha);
  }
}

// Uniform box of size x size taps around each sample point; taps outside the window are left out
// of both the sum and the count. The box is separable, so each row sums its columns first.
template <class R>
void _PIX_Template_Blit2<R>::scaleBlitFilterDown(PIX_pixel* dest, ptrdiff_t dstep, int w, int h, long long curx,
                                                 long long cury, long long idx, long long idy,
                                                 const pix::Window& win, int size, int alpha) {
  const int half = size / 2;
  pix::Channels p;
  for (; h > 0; --h, dest += dstep, cury += idy) {
    const long long y = cury >> 16;
    if (static_cast<unsigned long long>(y) >= static_cast<unsigned long long>(win.h)) continue;
    const long long y0 = y - half < 0 ? 0 : y - half, y1 = y + half >= win.h ? win.h - 1 : y + half;
    long long s = curx;
    for (int x = 0; x < w; ++x, s += idx) {
      const long long cx = s >> 16;
      if (static_cast<unsigned long long>(cx) >= static_cast<unsigned long long>(win.w)) continue;
      const long long x0 = cx - half < 0 ? 0 : cx - half, x1 = cx + half >= win.w ? win.w - 1 : cx + half;
      unsigned sum[4] = {0, 0, 0, 0};
      for (long long ty = y0; ty <= y1; ++ty) {
        const PIX_pixel* r = win.row(ty);
        for (long long tx = x0; tx <= x1; ++tx) {
          const PIX_pixel v = r[tx];
          sum[0] += v & 255, sum[1] += (v >> 8) & 255, sum[2] += (v >> 16) & 255, sum[3] += v >> 24;
        }
      }
      const unsigned n = static_cast<unsigned>((y1 - y0 + 1) * (x1 - x0 + 1));
      for (int i = 0; i < 4; ++i) p.c[i] = static_cast<int>(sum[i] / n);
      pix::Apply<R>(dest + x, p, alpha);
    }
  }
}

template <class R>
void _PIX_Template_Blit0<R>::scaleBlitFAST(PIX_pixel* dest, ptrdiff_t dstep, int w, int h, long long curx,
                                           long long cury, long long idx, long long idy, const pix::Window& win) {
  for (; h > 0; --h, dest += dstep, cury += idy) {
    const long long y = cury >> 16;
    if (static_cast<unsigned long long>(y) >= static_cast<unsigned long long>(win.h)) continue;
    const PIX_pixel* r = win.row(y);
    long long s = curx;
    for (int x = 0; x < w; ++x, s += idx) {
      const long long sx = s >> 16;
      if (static_cast<unsigned long long>(sx) < static_cast<unsigned long long>(win.w)) R::doPixFAST(dest + x, r[sx]);
    }
  }
}

namespace pix {

// A mapped area: the start position of the first row, the steps per column and per row, and the
// change of the column steps from one row to the next. All 16.16.
struct DeltaSteps {
  long long s = 0, t = 0;
  long long dsdx = 0, dtdx = 0, dsdy = 0, dtdy = 0;
  long long dsdxdy = 0, dtdxdy = 0;
};

// The same stepped in wrapping arithmetic: second-order terms over large areas may run past the
// 64-bit range, and a wrapped position is still only used after the window test.
struct WrapSteps {
  unsigned long long s, t, dsdx, dtdx, dsdy, dtdy, dsdxdy, dtdxdy;
  explicit WrapSteps(const DeltaSteps& d)
      : s(static_cast<unsigned long long>(d.s)), t(static_cast<unsigned long long>(d.t)),
        dsdx(static_cast<unsigned long long>(d.dsdx)), dtdx(static_cast<unsigned long long>(d.dtdx)),
        dsdy(static_cast<unsigned long long>(d.dsdy)), dtdy(static_cast<unsigned long long>(d.dtdy)),
        dsdxdy(static_cast<unsigned long long>(d.dsdxdy)), dtdxdy(static_cast<unsigned long long>(d.dtdxdy)) {}
  void nextRow() { s += dsdy, t += dtdy, dsdx += dsdxdy, dtdx += dtdxdy; }
};

}  // namespace pix

template <class R> struct _PIX_Template_Blit3 {
  static void deltaBlit(PIX_pixel* dest, ptrdiff_t dstep, int w, int h, pix::DeltaSteps d, const pix::Window& win,
                        int filter, int alpha) {
    const bool bilinear = (filter & 0xFF00) == PIX_FILTER_BILINEAR;
    pix::Channels p;
    pix::WrapSteps u(d);
    for (; h > 0; --h, dest += dstep, u.nextRow()) {
      unsigned long long s = u.s, t = u.t;
      for (int x = 0; x < w; ++x, s += u.dsdx, t += u.dtdx)
        if (pix::Sample(win, static_cast<long long>(s), static_cast<long long>(t), bilinear, p))
          pix::Apply<R>(dest + x, p, alpha);
    }
  }
};

namespace pix {

// The weight as a 16.16 opacity stepped per column and per row; each pixel uses value >> 8
// (256 = full), limited like every weight. Weights of 0, or below minWeight, draw nothing.
struct WeightSteps {
  long long v = 0, dvdx = 0, dvdy = 0;
  int minWeight = 0;
};

}  // namespace pix

template <class R> struct _PIX_Template_Blit4 {
  static void deltaBlitAlpha(PIX_pixel* dest, ptrdiff_t dstep, int w, int h, pix::DeltaSteps d,
                             pix::WeightSteps a, const pix::Window& win, int filter) {
    const bool bilinear = (filter & 0xFF00) == PIX_FILTER_BILINEAR;
    pix::Channels p;
    pix::WrapSteps u(d);
    unsigned long long rv = static_cast<unsigned long long>(a.v);
    for (; h > 0; --h, dest += dstep, u.nextRow(), rv += static_cast<unsigned long long>(a.dvdy)) {
      unsigned long long s = u.s, t = u.t, v = rv;
      for (int x = 0; x < w; ++x, s += u.dsdx, t += u.dtdx, v += static_cast<unsigned long long>(a.dvdx)) {
        const long long wv = static_cast<long long>(v) >> 8;
        const int weight = wv > PIX_WEIGHT_LIMIT ? PIX_WEIGHT_LIMIT
                           : wv < -PIX_WEIGHT_LIMIT ? -PIX_WEIGHT_LIMIT
                                                    : static_cast<int>(wv);
        if (weight == 0 || weight < a.minWeight) continue;
        if (pix::Sample(win, static_cast<long long>(s), static_cast<long long>(t), bilinear, p))
          pix::Apply<R>(dest + x, p, weight);
      }
    }
  }
};

namespace pix {

// The rule of a resampling blit at a fixed weight: clobber at 256 for copy, the copy rule for
// other positive weights and nothing for the rest; the ignore-alpha-parameter rule at 256 for copy
// with source alpha, the source-alpha copy rule otherwise; the blend rules at any weight.
template <class F> bool DispatchResampleRule(int mode, int ia, F&& f) {
  switch (mode & PIX_RULE_MASK) {
    case PIX_COMBINE_COPY:
      if (ia <= 0) return false;
      if (ia == 256) f(RuleTag<_PIX_CombinePixelsClobberNoClamp>());
      else f(RuleTag<_PIX_CombinePixelsCopyNoClamp>());
      return true;
    case PIX_FLAG_SOURCE_ALPHA:
      if (ia == 256) f(RuleTag<_PIX_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp>());
      else f(RuleTag<_PIX_CombinePixelsCopySourceAlphaNoClamp>());
      return true;
    default: return DispatchBlendRule(mode, f);
  }
}

}  // namespace pix
