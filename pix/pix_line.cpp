// Integer and float lines, dashed lines and the line clippers.
//
// Lines are drawn from their own end points and only the pixels inside the bitmap are written:
// each pixel's position and weight depend on the whole line, never on where the bitmap cuts it,
// so a partly visible line shows exactly the pixels it would show on a larger bitmap.
#include <algorithm>
#include <cmath>

#include "pix/pix.h"
#include "pix/pix_draw.h"
#include "pix/pix_pen.h"

namespace {

using LL = long long;

inline LL Sign(LL v) { return v < 0 ? -1 : 1; }
inline LL Abs(LL v) { return v < 0 ? -v : v; }
inline int SatInt(LL v) { return static_cast<int>(std::clamp<LL>(v, -0x7fffffffLL - 1, 0x7fffffffLL)); }

template <class P> inline void Plot(const pix::Canvas& cv, LL x, LL y, const P& pen) {
  if (cv.inside(x, y)) pen.put(cv.at(x, y));
}

template <class P> inline void PlotW(const pix::Canvas& cv, LL x, LL y, const P& pen, int w) {
  if (w != 0 && cv.inside(x, y)) pen.put(cv.at(x, y), w);
}

template <class P> void HRun(const pix::Canvas& cv, LL y, LL xa, LL xb, const P& pen) {
  if (xa > xb) std::swap(xa, xb);
  if (y < 0 || y >= cv.h) return;
  xa = std::max<LL>(xa, 0), xb = std::min<LL>(xb, cv.w - 1);
  if (xa <= xb) pen.run(cv.at(xa, y), static_cast<int>(xb - xa + 1));
}

template <class P> void VRun(const pix::Canvas& cv, LL x, LL ya, LL yb, const P& pen) {
  if (ya > yb) std::swap(ya, yb);
  if (x < 0 || x >= cv.w) return;
  ya = std::max<LL>(ya, 0), yb = std::min<LL>(yb, cv.h - 1);
  for (PIX_pixel* p = cv.at(x, ya); ya <= yb; ++ya, p += cv.span) pen.put(p);
}

// The steps k in [lo, hi] for which start + k * step (step +-1) lies in 0..lim-1.
void StepRange(LL start, LL step, LL lim, LL& lo, LL& hi) {
  const LL a = step > 0 ? -start : start - (lim - 1);
  const LL b = step > 0 ? lim - 1 - start : start;
  lo = std::max(lo, a), hi = std::min(hi, b);
}

// Exact diagonals: |dx| + 1 pixels.
template <class P> void Diagonal(const pix::Canvas& cv, LL x1, LL y1, LL x2, LL y2, const P& pen) {
  const LL sx = Sign(x2 - x1), sy = Sign(y2 - y1);
  LL lo = 0, hi = Abs(x2 - x1);
  StepRange(x1, sx, cv.w, lo, hi);
  StepRange(y1, sy, cv.h, lo, hi);
  if (lo > hi) return;
  PIX_pixel* p = cv.at(x1 + lo * sx, y1 + lo * sy);
  const ptrdiff_t step = sx + sy * cv.span;
  for (LL k = lo; k <= hi; ++k, p += step) pen.put(p);
}

// Anti-aliased diagonal, walked downwards: each pixel with its neighbour toward the end on the
// same row and the one below it, except the last.
template <class PM, class PS>
void DiagonalAA(const pix::Canvas& cv, LL x1, LL y1, LL x2, LL y2, const PM& main, const PS& side) {
  if (y1 > y2) std::swap(x1, x2), std::swap(y1, y2);
  const LL sx = Sign(x2 - x1), n = y2 - y1;
  LL lo = 0, hi = n;
  StepRange(x1, sx, cv.w, lo, hi);
  StepRange(y1, 1, cv.h, lo, hi);
  if (lo > hi) return;
  // The neighbours of the pixel before the first visible one can still be visible.
  for (LL k = std::max<LL>(lo - 1, 0); k <= hi; ++k) {
    const LL x = x1 + k * sx, y = y1 + k;
    Plot(cv, x, y, main);
    if (k < n) Plot(cv, x + sx, y, side), Plot(cv, x, y + 1, side);
  }
}

// A weight of its own on a rule pen, seen as a fixed pen.
template <class P> struct Weighted {
  const P& pen;
  int w;
  void put(PIX_pixel* p) const {
    if (w != 0) pen.put(p, w);
  }
};

// The general line from both ends toward the middle: (n + 1) / 2 steps from each end, and the
// middle pixel from the front when n is even.
struct Walk {
  LL maj1, min1, maj2, min2, smaj, smin, n;
  bool xmajor;
  int err;  // minor step per major pixel, 16.16
  LL frontLast() const { return n % 2 == 0 ? (n + 1) / 2 : (n + 1) / 2 - 1; }
  LL backLast() const { return (n + 1) / 2 - 1; }
};

Walk MakeWalk(LL x1, LL y1, LL x2, LL y2) {
  Walk w;
  const LL dx = x2 - x1, dy = y2 - y1;
  w.xmajor = Abs(dx) > Abs(dy);
  w.maj1 = w.xmajor ? x1 : y1, w.min1 = w.xmajor ? y1 : x1;
  w.maj2 = w.xmajor ? x2 : y2, w.min2 = w.xmajor ? y2 : x2;
  w.smaj = Sign(w.maj2 - w.maj1), w.smin = Sign(w.min2 - w.min1);
  w.n = Abs(w.maj2 - w.maj1);
  w.err = static_cast<int>(static_cast<double>(Abs(w.min2 - w.min1)) / static_cast<double>(w.n) * 65536.0);
  return w;
}

template <class F> void ForFront(const pix::Canvas& cv, const Walk& w, LL first, F&& f) {
  LL lo = first, hi = w.frontLast();
  StepRange(w.maj1, w.smaj, w.xmajor ? cv.w : cv.h, lo, hi);
  for (LL k = lo; k <= hi; ++k) f(w.maj1 + k * w.smaj, w.min1, w.smin, k);
}

template <class F> void ForBack(const pix::Canvas& cv, const Walk& w, LL first, F&& f) {
  LL lo = first, hi = w.backLast();
  StepRange(w.maj2, -w.smaj, w.xmajor ? cv.w : cv.h, lo, hi);
  for (LL k = lo; k <= hi; ++k) f(w.maj2 - k * w.smaj, w.min2, -w.smin, k);
}

template <class P> void GeneralLine(const pix::Canvas& cv, LL x1, LL y1, LL x2, LL y2, const P& pen) {
  const Walk w = MakeWalk(x1, y1, x2, y2);
  // The minor coordinate steps whenever the accumulated error passes one half.
  auto plot = [&](LL maj, LL min0, LL smin, LL k) {
    const LL min = min0 + ((k * w.err + 0x8000) >> 16) * smin;
    w.xmajor ? Plot(cv, maj, min, pen) : Plot(cv, min, maj, pen);
  };
  ForFront(cv, w, 0, plot);
  ForBack(cv, w, 0, plot);
}

template <class P> void GeneralLineAA(const pix::Canvas& cv, LL x1, LL y1, LL x2, LL y2, const P& pen, int ia) {
  const Walk w = MakeWalk(x1, y1, x2, y2);
  Plot(cv, x1, y1, pen);
  Plot(cv, x2, y2, pen);
  // Step k lies k * err of the way to the next minor pixel; its fraction splits the weight.
  auto plot = [&](LL maj, LL min0, LL smin, LL k) {
    const LL pos = k * w.err;
    const LL min = min0 + (pos >> 16) * smin;
    const int frac = static_cast<int>((pos & 0xFFFF) >> 8);
    const int w1 = pix::ScaleWeight(255 - frac, ia), w2 = pix::ScaleWeight(frac, ia);
    if (w.xmajor) {
      PlotW(cv, maj, min, pen, w1), PlotW(cv, maj, min + smin, pen, w2);
    } else {
      PlotW(cv, min, maj, pen, w1), PlotW(cv, min + smin, maj, pen, w2);
    }
  };
  ForFront(cv, w, 1, plot);
  ForBack(cv, w, 1, plot);
}

template <class P> void StraightLine(const pix::Canvas& cv, LL x1, LL y1, LL x2, LL y2, const P& pen) {
  if (y1 == y2) return HRun(cv, y1, x1, x2, pen);
  if (x1 == x2) return VRun(cv, x1, y1, y2, pen);
  if (Abs(x2 - x1) == Abs(y2 - y1)) return Diagonal(cv, x1, y1, x2, y2, pen);
  GeneralLine(cv, x1, y1, x2, y2, pen);
}

// A float truncated to int the way a C cast would, saturated; false for not-a-number.
bool TruncInt(float v, int& out) {
  if (!(v == v)) return false;
  out = v >= 2147483520.0f ? 2147483520 : v <= -2147483520.0f ? -2147483520 : static_cast<int>(v);
  return true;
}

// Clips the segment a-b in double to the box [lo, hi] on both axes (parametric form).
bool ClipToBox(double& ax, double& ay, double& bx, double& by, double xlo, double ylo, double xhi, double yhi) {
  double t0 = 0.0, t1 = 1.0;
  const double dx = bx - ax, dy = by - ay;
  auto edge = [&](double p, double q) {
    if (p == 0.0) return q >= 0.0;
    const double t = q / p;
    if (p < 0.0) {
      if (t > t1) return false;
      if (t > t0) t0 = t;
    } else {
      if (t < t0) return false;
      if (t < t1) t1 = t;
    }
    return true;
  };
  if (!edge(-dx, ax - xlo) || !edge(dx, xhi - ax) || !edge(-dy, ay - ylo) || !edge(dy, yhi - ay)) return false;
  const double nax = ax + t0 * dx, nay = ay + t0 * dy;
  bx = ax + t1 * dx, by = ay + t1 * dy;
  ax = nax, ay = nay;
  return true;
}

template <class P> void FloatLineAA(const pix::Canvas& cv, double x1, double y1, double x2, double y2, const P& pen,
                                    int ia) {
  const bool xmajor = std::fabs(x2 - x1) >= std::fabs(y2 - y1);
  double amaj = xmajor ? x1 : y1, amin = xmajor ? y1 : x1;
  double bmaj = xmajor ? x2 : y2, bmin = xmajor ? y2 : x2;
  if (amaj > bmaj) std::swap(amaj, bmaj), std::swap(amin, bmin);
  const double slope = (bmin - amin) / (bmaj - amaj);
  const LL k0 = static_cast<LL>(std::ceil(amaj)), k1 = static_cast<LL>(std::floor(bmaj));
  // Minor position in 16.16 at the first whole major pixel, then one slope step per pixel.
  const LL pos0 = static_cast<LL>(std::floor((amin + (static_cast<double>(k0) - amaj) * slope) * 65536.0));
  const LL step = static_cast<LL>(slope * 65536.0);
  const LL lo = std::max<LL>(k0, 0), hi = std::min<LL>(k1, (xmajor ? cv.w : cv.h) - 1);
  for (LL k = lo; k <= hi; ++k) {
    const LL pos = pos0 + (k - k0) * step;
    const LL m = pos >> 16;
    const int frac = static_cast<int>((pos >> 8) & 0xFF);
    const int w1 = pix::ScaleWeight(255 - frac, ia), w2 = pix::ScaleWeight(frac, ia);
    if (xmajor) {
      PlotW(cv, k, m, pen, w1), PlotW(cv, k, m + 1, pen, w2);
    } else {
      PlotW(cv, m, k, pen, w1), PlotW(cv, m + 1, k, pen, w2);
    }
  }
}

}  // namespace

void PIX_Line(PIX_IBitmap* dest, int x1, int y1, int x2, int y2, PIX_pixel color, float alpha, int mode, bool aa) {
  pix::Canvas cv;
  if (!pix::GetCanvas(dest, cv)) return;
  const LL X1 = x1, X2 = x2, Y1 = cv.row(static_cast<LL>(y1)), Y2 = cv.row(static_cast<LL>(y2));
  if (std::max(X1, X2) < 0 || std::min(X1, X2) >= cv.w || std::max(Y1, Y2) < 0 || std::min(Y1, Y2) >= cv.h) return;
  const bool straight = X1 == X2 || Y1 == Y2;
  if (!aa || straight) return pix::WithLinePen(color, alpha, mode, [&](const auto& pen) {
    StraightLine(cv, X1, Y1, X2, Y2, pen);
  });
  if (Abs(X2 - X1) == Abs(Y2 - Y1)) {
    if ((mode & PIX_COMBINE_MODEMASK) == PIX_COMBINE_COPY && alpha == 1.0f)
      return DiagonalAA(cv, X1, Y1, X2, Y2, pix::WordPen<_PIX_CombinePixelsThreeQuarterMix2FAST>{color},
                        pix::WordPen<_PIX_CombinePixelsQuarterMix2FAST>{color});
    const int ia = PIX_Weight(alpha);
    return pix::WithAAPen(color, ia, mode, [&](const auto& pen) {
      using P = std::decay_t<decltype(pen)>;
      DiagonalAA(cv, X1, Y1, X2, Y2, Weighted<P>{pen, (ia * 192) >> 8}, Weighted<P>{pen, (ia * 64) >> 8});
    });
  }
  const int ia = PIX_Weight(alpha);
  pix::WithAAPen(color, ia, mode, [&](const auto& pen) { GeneralLineAA(cv, X1, Y1, X2, Y2, pen, ia); });
}

void PIX_FLine(PIX_IBitmap* dest, float x1, float y1, float x2, float y2, PIX_pixel color, float alpha, int mode,
               bool aa) {
  if (!aa) {
    int ix1, iy1, ix2, iy2;
    if (!TruncInt(x1, ix1) || !TruncInt(y1, iy1) || !TruncInt(x2, ix2) || !TruncInt(y2, iy2)) return;
    return PIX_Line(dest, ix1, iy1, ix2, iy2, color, alpha, mode, false);
  }
  pix::Canvas cv;
  if (!pix::GetCanvas(dest, cv)) return;
  double X1 = x1, X2 = x2, Y1 = cv.row(static_cast<double>(y1)), Y2 = cv.row(static_cast<double>(y2));
  if (!std::isfinite(X1) || !std::isfinite(X2) || !std::isfinite(Y1) || !std::isfinite(Y2)) return;
  if (X1 == X2 && Y1 == Y2) return;
  // Far-away end points are first brought near the bitmap so the 16.16 positions stay in range.
  const double far = 1 << 20;
  if (std::max({std::fabs(X1), std::fabs(X2), std::fabs(Y1), std::fabs(Y2)}) > far &&
      !ClipToBox(X1, Y1, X2, Y2, -4.0, -4.0, cv.w + 4.0, cv.h + 4.0))
    return;
  const int ia = PIX_Weight(alpha);
  pix::WithAAPen(color, ia, mode, [&](const auto& pen) { FloatLineAA(cv, X1, Y1, X2, Y2, pen, ia); });
}

void PIX_DashedLine(PIX_IBitmap* dest, int x1, int y1, int x2, int y2, int pxon, int pxoff, PIX_pixel color,
                    float alpha, int mode, bool aa) {
  (void)aa;
  pix::Canvas cv;
  if (!pix::GetCanvas(dest, cv) || pxon <= 0) return;
  LL X1 = x1, X2 = x2, Y1 = cv.row(static_cast<LL>(y1)), Y2 = cv.row(static_cast<LL>(y2));
  if (X1 != X2 && Y1 != Y2) return;
  const bool horizontal = Y1 == Y2;
  LL a = horizontal ? X1 : Y1, b = horizontal ? X2 : Y2;
  if (a > b) std::swap(a, b);
  const LL fixed = horizontal ? Y1 : X1;
  if (fixed < 0 || fixed >= (horizontal ? cv.h : cv.w)) return;
  const LL period = static_cast<LL>(pxon) + std::max(pxoff, 0);
  // The dash phase counts from the line's own smaller end, visible or not.
  const LL from = std::max<LL>(a, 0), to = std::min<LL>(b - 1, (horizontal ? cv.w : cv.h) - 1);
  pix::WithWeightPen(color, PIX_Weight(alpha), mode, [&](const auto& pen) {
    for (LL v = from; v <= to; ++v) {
      if ((v - a) % period >= pxon) {
        v += period - (v - a) % period - 1;
        continue;
      }
      pen.put(horizontal ? cv.at(v, fixed) : cv.at(fixed, v));
    }
  });
}

namespace {

// Cohen-Sutherland in at most 33 passes. A point moved to a far edge lands one pixel inside it;
// whole-pixel clipping takes the other coordinate where the line meets the edge itself, truncated.
template <class T> bool ClipSegment(T& X1, T& Y1, T& X2, T& Y2, T xlo, T ylo, T xhi, T yhi) {
  constexpr bool whole = std::is_integral<T>::value;
  auto code = [&](T x, T y) { return (x < xlo ? 1 : x >= xhi ? 2 : 0) | (y < ylo ? 4 : y >= yhi ? 8 : 0); };
  auto cut = [](double v) { return whole ? static_cast<T>(static_cast<LL>(v)) : static_cast<T>(v); };
  for (int pass = 0; pass < 33; ++pass) {
    const int c1 = code(X1, Y1), c2 = code(X2, Y2);
    if ((c1 | c2) == 0) return true;
    if (c1 & c2) return false;
    const int c = c1 ? c1 : c2;
    const double dx = static_cast<double>(X2) - X1, dy = static_cast<double>(Y2) - Y1;
    T x, y;
    if (c & 12) {
      y = (c & 8) ? yhi - 1 : ylo;
      const double at = (c & 8) && whole ? static_cast<double>(yhi) : static_cast<double>(y);
      x = X1 + cut((at - Y1) * dx / dy);
    } else {
      x = (c & 2) ? xhi - 1 : xlo;
      const double at = (c & 2) && whole ? static_cast<double>(xhi) : static_cast<double>(x);
      y = Y1 + cut(dy * (at - X1) / dx);
    }
    if (c == c1) X1 = x, Y1 = y;
    else X2 = x, Y2 = y;
  }
  return false;
}

}  // namespace

bool PIX_ClipLine(int* x1, int* y1, int* x2, int* y2, int xlo, int ylo, int xhi, int yhi) {
  if (!x1 || !y1 || !x2 || !y2) return false;
  LL X1 = *x1, Y1 = *y1, X2 = *x2, Y2 = *y2;
  if (!ClipSegment<LL>(X1, Y1, X2, Y2, xlo, ylo, xhi, yhi)) return false;
  *x1 = SatInt(X1), *y1 = SatInt(Y1), *x2 = SatInt(X2), *y2 = SatInt(Y2);
  return true;
}

bool PIX_ClipFLine(float* x1, float* y1, float* x2, float* y2, float xlo, float ylo, float xhi, float yhi) {
  if (!x1 || !y1 || !x2 || !y2) return false;
  float X1 = *x1, Y1 = *y1, X2 = *x2, Y2 = *y2;
  if (!(X1 == X1) || !(Y1 == Y1) || !(X2 == X2) || !(Y2 == Y2)) return false;
  if (!ClipSegment<float>(X1, Y1, X2, Y2, xlo, ylo, xhi, yhi)) return false;
  *x1 = X1, *y1 = Y1, *x2 = X2, *y2 = Y2;
  return true;
}

void PIX_DrawRect(PIX_IBitmap* dest, int x, int y, int w, int h, PIX_pixel color, float alpha, int mode) {
  const int r = SatInt(static_cast<LL>(x) + w), b = SatInt(static_cast<LL>(y) + h);
  PIX_Line(dest, x, y, r, y, color, alpha, mode, false);
  PIX_Line(dest, r, y, r, b, color, alpha, mode, false);
  PIX_Line(dest, r, b, x, b, color, alpha, mode, false);
  PIX_Line(dest, x, b, x, y, color, alpha, mode, false);
}

void PIX_BorderedRect(PIX_IBitmap* dest, int x, int y, int w, int h, PIX_pixel fillcolor, PIX_pixel bordercolor,
                      float alpha, int mode) {
  PIX_FillRect(dest, x + 1, y + 1, w - 1, h - 1, fillcolor, alpha, mode);
  PIX_DrawRect(dest, x, y, w, h, bordercolor, alpha, mode);
}
