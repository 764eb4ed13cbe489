// Trapezoid, triangle and convex polygon fills.
#include <algorithm>
#include <array>

#include "kit/heapbuf.h"
#include "pix/pix.h"
#include "pix/pix_pen.h"

namespace {

using LL = long long;
// GCC's 128-bit integer; __extension__ tells -Wpedantic it is meant.
__extension__ typedef __int128 Wide;

template <class P> inline void Span(const pix::Canvas& cv, LL y, LL xl, LL xr, const P& pen) {
  xl = std::max<LL>(xl, 0), xr = std::min<LL>(xr, cv.w - 1);
  if (xl <= xr) pen.run(cv.at(xl, y), static_cast<int>(xr - xl + 1));
}

// One edge of a trapezoid stepping in 16.16 from its top x: a magnitude and a sign, moving the
// edge by whole pixels as the fraction carries.
struct TrapEdge {
  LL x, mag, sign;
  TrapEdge(LL x1, LL x2, LL dy) : x(x1), mag(0), sign(x2 < x1 ? -1 : 1) {
    if (dy != 0) {
      const LL step = std::clamp<LL>((x2 - x1) * 65536 / dy, -(1LL << 29), 1LL << 29);
      mag = step < 0 ? -step : step;
    }
  }
  LL at(LL k) const { return x + sign * ((k * mag) >> 16); }
};

template <class P> void Trapezoid(const pix::Canvas& cv, LL x1a, LL x1b, LL y1, LL x2a, LL x2b, LL y2, const P& pen) {
  if (y1 > y2) std::swap(x1a, x2a), std::swap(x1b, x2b), std::swap(y1, y2);
  if ((x1b < 0 && x2b < 0) || (x1a >= cv.w && x2a >= cv.w) || y2 < 0 || y1 >= cv.h) return;
  const TrapEdge left(x1a, x2a, y2 - y1), right(x1b, x2b, y2 - y1);
  const LL last = std::min<LL>(y2, cv.h - 1);
  for (LL y = std::max<LL>(y1, 0); y <= last; ++y) Span(cv, y, left.at(y - y1), right.at(y - y1), pen);
}

struct Pt {
  LL x, y;
};

// Points up to this many are sorted on the stack.
const int kStackPoints = 512;

// The next vertex of a chain below vertex i: the outermost edge (smallest dx/dy on the left,
// largest on the right), the later vertex among equal slopes; -1 at the bottom.
int NextVertex(const Pt* p, int n, int i, bool left) {
  int best = -1;
  for (int j = i + 1; j < n; ++j) {
    if (p[j].y <= p[i].y) continue;
    if (best < 0) {
      best = j;
      continue;
    }
    const LL dxj = p[j].x - p[i].x, dyj = p[j].y - p[i].y;
    const LL dxb = p[best].x - p[i].x, dyb = p[best].y - p[i].y;
    // dxj / dyj against dxb / dyb, both dy positive.
    const Wide lhs = static_cast<Wide>(dxj) * dyb, rhs = static_cast<Wide>(dxb) * dyj;
    if (left ? lhs <= rhs : lhs >= rhs) best = j;
  }
  return best;
}

// x of the edge a-b on row y, truncated toward a's x as the edge walks down from a.
inline LL EdgeX(const Pt& a, const Pt& b, LL y) { return a.x + (y - a.y) * (b.x - a.x) / (b.y - a.y); }

// Rows from the top vertex down: each row spans from the left chain to the right chain, each edge
// x worked out from the edge's own end points so neighbours sharing an edge meet without a gap.
template <class P> void Polygon(const pix::Canvas& cv, const Pt* p, int n, const P& pen) {
  if (p[0].y == p[n - 1].y) {
    if (p[0].y >= 0 && p[0].y < cv.h) Span(cv, p[0].y, p[0].x, p[n - 1].x, pen);
    return;
  }
  int l = 0, r = 0;
  while (r + 1 < n && p[r + 1].y == p[0].y) ++r;
  int ln = NextVertex(p, n, l, true), rn = NextVertex(p, n, r, false);
  LL y = p[0].y;
  while (ln >= 0 && rn >= 0 && y < cv.h) {
    const LL bottom = std::min(p[ln].y, p[rn].y);
    const LL last = std::min<LL>(bottom, cv.h - 1);
    for (LL row = std::max<LL>(y, 0); row <= last; ++row)
      Span(cv, row, EdgeX(p[l], p[ln], row), EdgeX(p[r], p[rn], row), pen);
    y = bottom + 1;
    if (p[ln].y == bottom) l = ln, ln = NextVertex(p, n, l, true);
    if (p[rn].y == bottom) r = rn, rn = NextVertex(p, n, r, false);
  }
}

}  // namespace

void PIX_FillTrapezoid(PIX_IBitmap* dest, int x1a, int x1b, int y1, int x2a, int x2b, int y2, PIX_pixel color,
                       float alpha, int mode) {
  pix::Canvas cv;
  if (!pix::GetCanvas(dest, cv)) return;
  const LL Y1 = cv.row(static_cast<LL>(y1)), Y2 = cv.row(static_cast<LL>(y2));
  pix::WithFillPen(color, PIX_Weight(alpha), mode,
                   [&](const auto& pen) { Trapezoid(cv, x1a, x1b, Y1, x2a, x2b, Y2, pen); });
}

void PIX_FillConvexPolygon(PIX_IBitmap* dest, const int* x, const int* y, int npoints, PIX_pixel color, float alpha,
                           int mode) {
  pix::Canvas cv;
  if (!x || !y || npoints < 3 || !pix::GetCanvas(dest, cv)) return;
  const int ia = PIX_Weight(alpha);
  if (ia == 0) return;
  std::array<Pt, kStackPoints> local;
  KIT_TypedBuf<Pt> heap;
  Pt* p = local.data();
  if (npoints > kStackPoints) {
    p = heap.Resize(npoints);
    if (!p || heap.GetSize() < npoints) return;
  }
  for (int i = 0; i < npoints; ++i) p[i] = Pt{x[i], cv.row(static_cast<LL>(y[i]))};
  std::sort(p, p + npoints, [](const Pt& a, const Pt& b) { return a.y != b.y ? a.y < b.y : a.x < b.x; });
  if (p[0].y >= cv.h || p[npoints - 1].y < 0) return;
  pix::WithFillPen(color, ia, mode, [&](const auto& pen) { Polygon(cv, p, npoints, pen); });
}

void PIX_FillTriangle(PIX_IBitmap* dest, int x1, int y1, int x2, int y2, int x3, int y3, PIX_pixel color,
                      float alpha, int mode) {
  const int xs[3] = {x1, x2, x3}, ys[3] = {y1, y2, y3};
  PIX_FillConvexPolygon(dest, xs, ys, 3, color, alpha, mode);
}
