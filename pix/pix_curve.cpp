// Quadratic and cubic Bezier curves as chains of float lines, and cubic fills.
#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "pix/pix.h"

namespace {

// More segments than this never make a curve on a bitmap look better; it bounds the time taken
// by tiny tolerances and huge coordinates.
const double kMaxSegments = 65536.0;

struct P2 {
  double x, y;
};

double Dist(P2 a, P2 b) { return std::hypot(b.x - a.x, b.y - a.y); }

bool Finite(std::initializer_list<float> v) {
  for (float f : v)
    if (!std::isfinite(f)) return false;
  return true;
}

int SegmentCount(double length, double t0, double t1, float tol) {
  const double n = length * (t1 - t0) / (tol > 0.0f ? tol : 1.0f);
  return static_cast<int>(std::clamp(n, 1.0, kMaxSegments));
}

// The parameter in [0, 1] at which a t^2 + b t + c = 0: the first root for the start of the
// range, the last for its end; fallback when no root lies in [0, 1].
double QuadRoot(double a, double b, double c, bool first, double fallback) {
  if (a == 0.0) return b == 0.0 ? 0.0 : std::clamp(-c / b, 0.0, 1.0);
  const double disc = b * b - 4.0 * a * c;
  if (disc < 0.0) return fallback;
  const double s = std::sqrt(disc);
  double r1 = (-b - s) / (2.0 * a), r2 = (-b + s) / (2.0 * a);
  if (r1 > r2) std::swap(r1, r2);
  const bool in1 = r1 >= 0.0 && r1 <= 1.0, in2 = r2 >= 0.0 && r2 <= 1.0;
  if (first) return in1 ? r1 : in2 ? r2 : fallback;
  return in2 ? r2 : in1 ? r1 : fallback;
}

struct Cubic {
  double ax, bx, cx, x0, ay, by, cy, y0;
  Cubic(P2 p0, P2 p1, P2 p2, P2 p3) {
    cx = 3.0 * (p1.x - p0.x), bx = 3.0 * (p2.x - p1.x) - cx, ax = p3.x - p0.x - cx - bx, x0 = p0.x;
    cy = 3.0 * (p1.y - p0.y), by = 3.0 * (p2.y - p1.y) - cy, ay = p3.y - p0.y - cy - by, y0 = p0.y;
  }
  P2 at(double t) const { return {((ax * t + bx) * t + cx) * t + x0, ((ay * t + by) * t + cy) * t + y0}; }
};

// y at x of a cubic ordered by x, with the bracketing parameters.
double CubicY(const Cubic& c, P2 p0, P2 p3, double x, double& tlo, double& thi) {
  if (x <= p0.x) return tlo = thi = 0.0, p0.y;
  if (x >= p3.x) return tlo = thi = 1.0, p3.y;
  double lo = 0.0, hi = 1.0;
  for (int i = 0; i < 8; ++i) {
    const double mid = (lo + hi) / 2.0, xm = c.at(mid).x;
    if (xm == x) {
      lo = mid, hi = std::min(1.0, mid + 1.0 / 256.0);
      break;
    }
    (xm < x ? lo : hi) = mid;
  }
  tlo = lo, thi = hi;
  const P2 a = c.at(lo), b = c.at(hi);
  return b.x != a.x ? a.y + (x - a.x) * (b.y - a.y) / (b.x - a.x) : a.y;
}

// A cubic with its end points ordered along the axis it is cut on, and the kept parameter range.
struct CutCubic {
  P2 p[4];
  double t0 = 0.0, t1 = 1.0;
};

// True when x(t) never turns back on [0, 1], which the bisecting cut relies on.
bool Monotone(const Cubic& c) {
  // x'(t) = 3 ax t^2 + 2 bx t + cx changes sign only at a root inside (0, 1).
  const double a = 3.0 * c.ax, b = 2.0 * c.bx, d = c.cx;
  if (a == 0.0) return b == 0.0 || -d / b <= 0.0 || -d / b >= 1.0;
  const double disc = b * b - 4.0 * a * d;
  if (disc <= 0.0) return true;
  const double s = std::sqrt(disc);
  for (double r : {(-b - s) / (2.0 * a), (-b + s) / (2.0 * a)})
    if (r > 0.0 && r < 1.0) return false;
  return true;
}

// Orders the curve along u (x, or y when transposed) and cuts it at u = 0 and u = limit. A curve
// that turns back is not cut: bisection could lose visible parts of it.
bool Cut(CutCubic& k, int limit) {
  if (k.p[0].x > k.p[3].x) std::swap(k.p[0], k.p[3]), std::swap(k.p[1], k.p[2]);
  const Cubic c(k.p[0], k.p[1], k.p[2], k.p[3]);
  if (!Monotone(c)) return true;
  double lo, hi;
  // The outer bracket of each cut, so the kept range reaches the bitmap's edges; the float lines
  // clip what lies beyond.
  if (k.p[0].x < 0.0) CubicY(c, k.p[0], k.p[3], 0.0, lo, hi), k.t0 = lo;
  if (k.p[3].x >= limit) CubicY(c, k.p[0], k.p[3], limit, lo, hi), k.t1 = hi;
  return k.t0 <= k.t1;
}

double CubicLength(const CutCubic& k) { return Dist(k.p[0], k.p[1]) + Dist(k.p[1], k.p[2]) + Dist(k.p[2], k.p[3]); }

int ToInt(double v) { return static_cast<int>(std::clamp(v, -1.0e9, 1.0e9)); }

// Fills between a cubic and the line v = vfill, in (u, v) coordinates that are (x, y), or (y, x)
// when transposed. Each segment fills its own columns of u, starting one after the last one filled.
void FillCubic(PIX_IBitmap* dest, std::initializer_list<float> xy, int vfill, PIX_pixel color, float alpha, int mode,
               float tol, bool transposed) {
  if (!dest || !Finite(xy)) return;
  CutCubic k;
  const float* coords = xy.begin();
  for (int i = 0; i < 4; ++i)
    k.p[i] = transposed ? P2{coords[2 * i + 1], coords[2 * i]} : P2{coords[2 * i], coords[2 * i + 1]};
  if (!Cut(k, transposed ? dest->getHeight() : dest->getWidth())) return;
  const Cubic c(k.p[0], k.p[1], k.p[2], k.p[3]);
  const int n = SegmentCount(CubicLength(k), k.t0, k.t1, tol);
  auto polygon = [&](std::initializer_list<int> uv) {
    int xs[4], ys[4], m = 0;
    for (auto it = uv.begin(); it != uv.end(); it += 2, ++m) {
      xs[m] = transposed ? it[1] : it[0];
      ys[m] = transposed ? it[0] : it[1];
    }
    PIX_FillConvexPolygon(dest, xs, ys, m, color, alpha, mode);
  };
  auto point = [&](double t, int& u, int& v) {
    const P2 q = c.at(t);
    u = ToInt(std::floor(q.x)), v = ToInt(std::floor(q.y + 0.5));
  };
  // Curve points are held within +-1e9; so is the fill line, which keeps every difference an int.
  vfill = std::clamp(vfill, -1000000000, 1000000000);
  int ua, va;
  point(k.t0, ua, va);
  bool first = true;
  int lastFilled = 0;
  for (int i = 1; i <= n; ++i) {
    int ub, vb;
    point(i == n ? k.t1 : k.t0 + (k.t1 - k.t0) * i / n, ub, vb);
    const int us = first ? ua : lastFilled + 1;
    if (ub >= us) {
      if (us == ub) {
        const int v = std::abs(va - vfill) > std::abs(vb - vfill) ? va : vb;
        transposed ? PIX_Line(dest, v, ub, vfill, ub, color, alpha, mode, false)
                   : PIX_Line(dest, ub, v, ub, vfill, color, alpha, mode, false);
      } else if ((va < vfill && vb > vfill) || (va > vfill && vb < vfill)) {
        // Crossing the fill line: one triangle on each side, the crossing column in the first.
        const int uc = us + static_cast<int>(static_cast<long long>(vfill - va) * (ub - us) / (vb - va));
        polygon({us, va, uc, vfill, us, vfill});
        polygon({uc + 1, vfill, ub, vb, ub, vfill});
      } else {
        polygon({us, va, ub, vb, ub, vfill, us, vfill});
      }
      lastFilled = ub;
      first = false;
    }
    ua = ub, va = vb;
  }
}

}  // namespace

void PIX_DrawQBezier(PIX_IBitmap* dest, float xstart, float ystart, float xctl, float yctl, float xend, float yend,
                     PIX_pixel color, float alpha, int mode, bool aa, float tol) {
  if (!dest || !Finite({xstart, ystart, xctl, yctl, xend, yend})) return;
  P2 p0{xstart, ystart}, p1{xctl, yctl}, p2{xend, yend};
  if (p0.x > p2.x) std::swap(p0, p2);
  const double a = p0.x - 2.0 * p1.x + p2.x, b = 2.0 * (p1.x - p0.x);
  const int width = dest->getWidth();
  double t0 = 0.0, t1 = 1.0;
  if (p0.x < 0.0) t0 = QuadRoot(a, b, p0.x, true, 0.0);
  if (p2.x >= width) t1 = QuadRoot(a, b, p0.x - (width - 1), false, 1.0);
  if (t0 > t1) return;
  auto at = [&](double t) {
    const double u = 1.0 - t;
    return P2{u * u * p0.x + 2.0 * t * u * p1.x + t * t * p2.x, u * u * p0.y + 2.0 * t * u * p1.y + t * t * p2.y};
  };
  const int n = SegmentCount(Dist(p0, p1) + Dist(p1, p2), t0, t1, tol);
  P2 prev = at(t0);
  for (int i = 1; i <= n; ++i) {
    const P2 q = at(i == n ? t1 : t0 + (t1 - t0) * i / n);
    PIX_FLine(dest, static_cast<float>(prev.x), static_cast<float>(prev.y), static_cast<float>(q.x),
              static_cast<float>(q.y), color, alpha, mode, aa);
    prev = q;
  }
}

float PIX_CBezier_GetY(float x0, float y0, float x1, float y1, float x2, float y2, float x3, float y3, float x,
                       float* tlo, float* thi) {
  const P2 p0{x0, y0}, p3{x3, y3};
  double lo, hi;
  const double y = CubicY(Cubic(p0, {x1, y1}, {x2, y2}, p3), p0, p3, x, lo, hi);
  if (tlo) *tlo = static_cast<float>(lo);
  if (thi) *thi = static_cast<float>(hi);
  return static_cast<float>(y);
}

void PIX_DrawCBezier(PIX_IBitmap* dest, float xstart, float ystart, float xctl1, float yctl1, float xctl2,
                     float yctl2, float xend, float yend, PIX_pixel color, float alpha, int mode, bool aa, float tol) {
  if (!dest || !Finite({xstart, ystart, xctl1, yctl1, xctl2, yctl2, xend, yend})) return;
  CutCubic k;
  k.p[0] = {xstart, ystart}, k.p[1] = {xctl1, yctl1}, k.p[2] = {xctl2, yctl2}, k.p[3] = {xend, yend};
  if (!Cut(k, dest->getWidth())) return;
  const Cubic c(k.p[0], k.p[1], k.p[2], k.p[3]);
  const int n = SegmentCount(CubicLength(k), k.t0, k.t1, tol);
  P2 prev = c.at(k.t0);
  for (int i = 1; i <= n; ++i) {
    const P2 q = c.at(i == n ? k.t1 : k.t0 + (k.t1 - k.t0) * i / n);
    PIX_FLine(dest, static_cast<float>(prev.x), static_cast<float>(prev.y), static_cast<float>(q.x),
              static_cast<float>(q.y), color, alpha, mode, aa);
    prev = q;
  }
}

void PIX_FillCBezier(PIX_IBitmap* dest, float xstart, float ystart, float xctl1, float yctl1, float xctl2,
                     float yctl2, float xend, float yend, int yfill, PIX_pixel color, float alpha, int mode,
                     float tol) {
  FillCubic(dest, {xstart, ystart, xctl1, yctl1, xctl2, yctl2, xend, yend}, yfill, color, alpha, mode, tol, false);
}

void PIX_FillCBezierX(PIX_IBitmap* dest, float xstart, float ystart, float xctl1, float yctl1, float xctl2,
                      float yctl2, float xend, float yend, int xfill, PIX_pixel color, float alpha, int mode,
                      float tol) {
  FillCubic(dest, {xstart, ystart, xctl1, yctl1, xctl2, yctl2, xend, yend}, xfill, color, alpha, mode, tol, true);
}
