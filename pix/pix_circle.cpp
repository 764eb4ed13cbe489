// Circles, discs, arcs and rounded rectangles.
#include <algorithm>
#include <cmath>

#include "pix/pix.h"
#include "pix/pix_pen.h"

namespace {

const double kPi = 3.14159265358979323846;

// Larger radii would take too long to walk and overflow the midpoint arithmetic.
const double kMaxRadius = 1 << 24;

// Clip box, right and bottom exclusive.
struct Box {
  int l, t, r, b;
};

// Writes points and runs of one circle. Without Clip the caller has checked that everything the
// circle can touch lies inside the bitmap.
template <class P, bool Clip> struct Drawer {
  const pix::Canvas& cv;
  Box box;
  const P& pen;

  bool in(int x, int y) const { return !Clip || (x >= box.l && x < box.r && y >= box.t && y < box.b); }
  void pt(int x, int y) const {
    if (in(x, y)) pen.put(cv.at(x, y));
  }
  void pt(int x, int y, int w) const {
    if (w != 0 && in(x, y)) pen.put(cv.at(x, y), w);
  }
  // Column x from row y0 to y1, both included, in either order.
  void vline(int x, int y0, int y1) const {
    if (y0 > y1) std::swap(y0, y1);
    if (Clip) {
      if (x < box.l || x >= box.r) return;
      y0 = std::max(y0, box.t), y1 = std::min(y1, box.b - 1);
    }
    PIX_pixel* p = cv.at(x, y0);
    for (int y = y0; y <= y1; ++y, p += cv.span) pen.put(p);
  }
  void hline(int x0, int x1, int y) const {
    if (x0 > x1) std::swap(x0, x1);
    if (Clip) {
      if (y < box.t || y >= box.b) return;
      x0 = std::max(x0, box.l), x1 = std::min(x1, box.r - 1);
    }
    if (x0 <= x1) pen.run(cv.at(x0, y), x1 - x0 + 1);
  }
  // The four mirror images of (dx, dy) around the centre.
  void pt4(int X, int Y, int dx, int dy) const {
    pt(X + dx, Y - dy), pt(X - dx, Y - dy), pt(X + dx, Y + dy), pt(X - dx, Y + dy);
  }
  void pt4(int X, int Y, int dx, int dy, int w) const {
    pt(X + dx, Y - dy, w), pt(X - dx, Y - dy, w), pt(X + dx, Y + dy, w), pt(X - dx, Y + dy, w);
  }
  // A disc is the centre cross plus, per quadrant, columns from the rim down to the diagonal
  // and rows from the rim in to just past it, so each pixel is written once.
  void column4(int X, int Y, int dx, int rim) const {
    if (rim < dx) return;
    vline(X + dx, Y - rim, Y - dx), vline(X - dx, Y - rim, Y - dx);
    vline(X + dx, Y + dx, Y + rim), vline(X - dx, Y + dx, Y + rim);
  }
  void row4(int X, int Y, int dy, int rim) const {
    if (rim < dy + 1) return;
    hline(X + dy + 1, X + rim, Y - dy), hline(X - rim, X - dy - 1, Y - dy);
    hline(X + dy + 1, X + rim, Y + dy), hline(X - rim, X - dy - 1, Y + dy);
  }
  void cross(int X, int Y, int R) const {
    if (R > 0) vline(X, Y - R, Y - 1), vline(X, Y + 1, Y + R);
    hline(X - R, X + R, Y);
  }

  // Midpoint circle of radius (int)(r + 0.5).
  template <bool Fill> void circle(int X, int Y, int R) const {
    if (Fill) {
      cross(X, Y, R);
    } else if (R == 0) {
      pt(X, Y);
    } else {
      pt(X, Y - R), pt(X + R, Y), pt(X, Y + R), pt(X - R, Y);
    }
    long long d = -R;
    for (int x = 0, y = R; x + 1 < y;) {
      const bool down = d >= 0;
      const int ny = down ? y - 1 : y;
      if (Fill) {
        column4(X, Y, x + 1, ny);
        row4(X, Y, x + 1, ny);
      } else {
        pt4(X, Y, x + 1, ny);
        if (x + 1 != ny) pt4(X, Y, ny, x + 1);
      }
      d += 2LL * x + 3 - (down ? 2LL * (y - 1) : 0);
      ++x, y = ny;
    }
  }

  // Anti-aliased circle: the rim pixels share the weight by the fraction of the exact radius.
  template <bool Fill> void circleAA(int X, int Y, float r, int ia) const {
    const int R = static_cast<int>(r);
    const int f = static_cast<int>((r - std::floor(r)) * ia);
    pt(X, Y - R - 1, f), pt(X, Y + R + 1, f), pt(X - R - 1, Y, f), pt(X + R + 1, Y, f);
    if (Fill) {
      cross(X, Y, R);
    } else {
      pt(X, Y - R, ia - f), pt(X + R, Y, ia - f), pt(X, Y + R, ia - f), pt(X - R, Y, ia - f);
    }
    const double rr = static_cast<double>(r) * r;
    for (int i = 1;; ++i) {
      const double E = std::sqrt(std::max(0.0, rr - static_cast<double>(i) * i));
      const int count = static_cast<int>(E + 0.5);
      if (!(i - 1 < count)) break;
      const int I = static_cast<int>(E);
      const int g = static_cast<int>((E - std::floor(E)) * ia);
      pt4(X, Y, i, I + 1, g);
      if (i != count) pt4(X, Y, I + 1, i, g);
      if (Fill) {
        column4(X, Y, i, I);
        row4(X, Y, i, I);
      } else {
        pt4(X, Y, I, i, ia - g);
        if (i != count) pt4(X, Y, i, I, ia - g);
      }
    }
  }
};

// Centre, radius and the weight of a circle call, after the common rejections.
struct Circle {
  float cx, cy, r;
  int X, Y;
};

bool Prepare(const pix::Canvas& cv, float cx, float cy, float r, Circle& c) {
  if (!(r >= 0.0f) || !std::isfinite(cx) || !std::isfinite(cy) || r > kMaxRadius) return false;
  c.cx = cx, c.cy = static_cast<float>(cv.row(static_cast<double>(cy))), c.r = r;
  // Entirely more than two pixels outside the bitmap.
  if (c.cx + r < -2.0f || c.cy + r < -2.0f || c.cx - r > cv.w + 2.0f || c.cy - r > cv.h + 2.0f) return false;
  c.X = static_cast<int>(c.cx + 0.5f), c.Y = static_cast<int>(c.cy + 0.5f);
  return true;
}

// Runs one circle through the drawer the rule, weight and clipping select.
template <bool Fill>
void Run(const pix::Canvas& cv, const Circle& c, Box box, bool clip, PIX_pixel color, int ia, int mode, bool aa) {
  auto go = [&](const auto& pen, auto draw) {
    using P = std::decay_t<decltype(pen)>;
    if (clip) draw(Drawer<P, true>{cv, box, pen});
    else draw(Drawer<P, false>{cv, box, pen});
  };
  if (aa) {
    pix::WithAAPen(color, ia, mode, [&](const auto& pen) {
      go(pen, [&](const auto& d) { d.template circleAA<Fill>(c.X, c.Y, c.r, ia); });
    });
  } else {
    const int R = static_cast<int>(c.r + 0.5f);
    pix::WithWeightPen(color, ia, mode, [&](const auto& pen) {
      go(pen, [&](const auto& d) { d.template circle<Fill>(c.X, c.Y, R); });
    });
  }
}

// Whole-bitmap drawing: per-pixel clipping only when the circle with a 2-pixel margin leaves it.
template <bool Fill> void RunWhole(const pix::Canvas& cv, const Circle& c, PIX_pixel color, int ia, int mode, bool aa) {
  const int R = static_cast<int>(c.r) + 1;
  const bool clip = c.X - R - 2 < 0 || c.Y - R - 2 < 0 || c.X + R + 2 >= cv.w || c.Y + R + 2 >= cv.h;
  Run<Fill>(cv, c, Box{0, 0, cv.w, cv.h}, clip, color, ia, mode, aa);
}

// Fixed patterns for the small radii, row by row, anti-aliased and plain.
struct Pattern {
  float r;
  int n;
  const unsigned char* aa;
  const unsigned char* plain;
};

const unsigned char kAA15[] = {79, 255, 255, 79, 255, 15, 15, 255, 255, 15, 15, 255, 79, 255, 255, 79};
const unsigned char kPlain15[] = {0, 255, 255, 0, 255, 0, 0, 255, 255, 0, 0, 255, 0, 255, 255, 0};
const unsigned char kAA20[] = {15,  191, 255, 191, 15,  191, 209, 79,  209, 191, 255, 79, 0,
                               79,  255, 191, 209, 79,  209, 191, 15,  191, 255, 191, 15};
const unsigned char kPlain20[] = {0, 0, 255, 0, 0, 0, 255, 0, 255, 0, 255, 0, 0,
                                  0, 255, 0, 255, 0, 255, 0, 0, 0,   255, 0, 0};
const unsigned char kAA25[] = {6,   146, 241, 241, 146, 6,   146, 200, 50,  50,  200, 146,
                               241, 50,  0,   0,   50,  241, 241, 50,  0,   0,   50,  241,
                               146, 200, 50,  50,  200, 146, 6,   146, 241, 241, 146, 6};
const unsigned char kPlain25[] = {0,   255, 255, 255, 255, 0,   255, 0, 0, 0, 0, 255, 255, 0, 0, 0,   0,   255,
                                  255, 0,   0,   0,   0,   255, 255, 0, 0, 0, 0, 255, 0,   255, 255, 255, 255, 0};
const unsigned char kAA30[] = {0,   90,  214, 253, 214, 90,  0,   90,  234, 88,  32,  88,  234, 90,  214, 88, 0,
                               0,   0,   88,  214, 253, 32,  0,   0,   0,   32,  253, 214, 88,  0,   0,   0,  88,
                               214, 90,  234, 88,  32,  88,  234, 90,  0,   90,  214, 253, 214, 90,  0};
const unsigned char kPlain30[] = {0,   0, 255, 255, 255, 0, 0,   0,   255, 0,   0, 0, 255, 0,   255, 0,   0,
                                  0,   0, 0,   255, 255, 0, 0,   0,   0,   0,   255, 255, 0, 0,   0,   0,   0,
                                  255, 0, 255, 0,   0,   0, 255, 0,   0,   0,   255, 255, 255, 0, 0};
const unsigned char kAA35[] = {0,   42,  178, 245, 245, 178, 42,  0,   42,  239, 137, 42,  42,  137, 239, 42,
                               178, 137, 0,   0,   0,   0,   137, 178, 245, 42,  0,   0,   0,   0,   42,  245,
                               245, 42,  0,   0,   0,   0,   42,  245, 178, 137, 0,   0,   0,   0,   137, 178,
                               42,  239, 137, 42,  42,  137, 239, 42,  0,   42,  178, 245, 245, 178, 42,  0};
const unsigned char kPlain35[] = {0,   0,   255, 255, 255, 255, 0,   0,   0,   255, 0,   0,   0,   0,   255, 0,
                                  255, 0,   0,   0,   0,   0,   0,   255, 255, 0,   0,   0,   0,   0,   0,   255,
                                  255, 0,   0,   0,   0,   0,   0,   255, 255, 0,   0,   0,   0,   0,   0,   255,
                                  0,   255, 0,   0,   0,   0,   255, 0,   0,   0,   255, 255, 255, 255, 0,   0};
const unsigned char kAA40[] = {0,   11,  132, 223, 255, 223, 132, 11,  0,   11,  200, 192, 67,  32,  67,  192, 200,
                               11,  132, 192, 6,   0,   0,   0,   6,   192, 132, 223, 67,  0,   0,   0,   0,   0,
                               67,  223, 255, 32,  0,   0,   0,   0,   0,   32,  255, 223, 67,  0,   0,   0,   0,
                               0,   67,  223, 132, 192, 6,   0,   0,   0,   6,   192, 132, 11,  200, 192, 67,  32,
                               67,  192, 200, 11,  0,   11,  132, 223, 255, 223, 132, 11,  0};
const unsigned char kPlain40[] = {0,   0,   255, 255, 255, 255, 255, 0,   0,   0,   255, 0,   0, 0, 0, 0, 255,
                                  0,   255, 0,   0,   0,   0,   0,   0,   0,   255, 255, 0,   0, 0, 0, 0, 0,
                                  0,   255, 255, 0,   0,   0,   0,   0,   0,   0,   255, 255, 0, 0, 0, 0, 0,
                                  0,   0,   255, 255, 0,   0,   0,   0,   0,   0,   0,   255, 0, 255, 0, 0, 0,
                                  0,   0,   255, 0,   0,   0,   255, 255, 255, 255, 255, 0,   0};

const Pattern kPatterns[] = {{1.5f, 4, kAA15, kPlain15}, {2.0f, 5, kAA20, kPlain20}, {2.5f, 6, kAA25, kPlain25},
                             {3.0f, 7, kAA30, kPlain30}, {3.5f, 8, kAA35, kPlain35}, {4.0f, 9, kAA40, kPlain40}};

const Pattern* FindPattern(float r) {
  for (const Pattern& p : kPatterns)
    if (p.r == r) return &p;
  return nullptr;
}

// A finite float truncated toward zero, held within the int range.
int Trunc(float v) { return static_cast<int>(std::clamp(v, -2.0e9f, 2.0e9f)); }

// Point of a circle at angle a (0 up, clockwise), rounded to a pixel.
void ArcPoint(const Circle& c, double a, int& x, int& y) {
  x = static_cast<int>(c.cx + c.r * std::sin(a) + 0.5);
  y = static_cast<int>(c.cy - c.r * std::cos(a) + 0.5);
}

}  // namespace

void PIX_Circle(PIX_IBitmap* dest, float cx, float cy, float r, PIX_pixel color, float alpha, int mode, bool aa) {
  pix::Canvas cv;
  Circle c;
  if (!pix::GetCanvas(dest, cv) || !Prepare(cv, cx, cy, r, c)) return;
  if (const Pattern* p = FindPattern(r)) {
    // Patterns sit in stored rows like everything else here, so flipped bitmaps mirror them too.
    pix::DrawCoverage(cv.bits, cv.w, cv.h, cv.span, static_cast<int>(c.cx - r), static_cast<int>(c.cy - r), color,
                      aa ? p->aa : p->plain, p->n, p->n, p->n, alpha, mode);
    return;
  }
  const int ia = PIX_Weight(alpha);
  RunWhole<false>(cv, c, color, ia, mode, aa);
}

void PIX_FillCircle(PIX_IBitmap* dest, float cx, float cy, float r, PIX_pixel color, float alpha, int mode,
                    bool aa) {
  pix::Canvas cv;
  Circle c;
  if (!pix::GetCanvas(dest, cv) || !Prepare(cv, cx, cy, r, c)) return;
  RunWhole<true>(cv, c, color, PIX_Weight(alpha), mode, aa);
}

void PIX_Arc(PIX_IBitmap* dest, float cx, float cy, float r, float minAngle, float maxAngle, PIX_pixel color,
             float alpha, int mode, bool aa) {
  pix::Canvas cv;
  Circle c;
  if (!pix::GetCanvas(dest, cv) || !std::isfinite(minAngle) || !std::isfinite(maxAngle)) return;
  double lo = minAngle, hi = maxAngle;
  // Mirroring the rows mirrors the angles about the horizontal axis.
  if (cv.flipped) lo = kPi - lo, hi = kPi - hi;
  if (lo > hi) std::swap(lo, hi);
  const double turn = 2.0 * kPi;
  if (hi - lo >= turn) return PIX_Circle(dest, cx, cy, r, color, alpha, mode, aa);
  if (!Prepare(cv, cx, cy, r, c)) return;
  if (hi >= turn) {
    const double nh = std::fmod(hi, turn);
    lo -= hi - nh, hi = nh;
  } else if (lo <= -turn) {
    const double nl = std::fmod(lo, turn);
    hi -= lo - nl, lo = nl;
  }
  const int ia = PIX_Weight(alpha);
  if (ia == 0) return;
  lo += turn, hi += turn;
  const double quarter = kPi / 2.0;
  // Angles within this of a quarter boundary count as on it, so rounding never adds a sliver
  // piece that would draw its end pixels a second time.
  const double eps = 1e-6;
  for (double start = lo;;) {
    double q = std::floor(start / quarter) * quarter + quarter;
    if (q - start < eps) q += quarter;
    const double end = hi - q < eps ? hi : q;
    int px, py, qx, qy;
    ArcPoint(c, start, px, py);
    ArcPoint(c, end, qx, qy);
    const int mx = std::max(px, qx), my = std::max(py, qy);
    const Box box{std::max(0, std::min(px, qx)), std::max(0, std::min(py, qy)),
                  std::min(cv.w, mx + (mx == c.X ? 1 : 2)), std::min(cv.h, my + (my == c.Y ? 1 : 2))};
    if (box.l < box.r && box.t < box.b) Run<false>(cv, c, box, true, color, ia, mode, aa);
    if (end >= hi) break;
    start = end;
  }
}

void PIX_RoundRect(PIX_IBitmap* dest, float x, float y, float w, float h, int cornerradius, PIX_pixel color,
                   float alpha, int mode, bool aa) {
  if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(w) || !std::isfinite(h)) return;
  const int rr = cornerradius > 0 ? static_cast<int>(std::floor(std::min({static_cast<float>(cornerradius),
                                                                           w / 2.0f, h / 2.0f})))
                                  : 0;
  if (rr < 2) return PIX_DrawRect(dest, Trunc(x), Trunc(y), Trunc(w), Trunc(h), color, alpha, mode);
  const float fr = static_cast<float>(rr), q = static_cast<float>(kPi / 2.0);
  const float r = x + w, b = y + h;
  PIX_Line(dest, Trunc(x + fr), Trunc(y), Trunc(r - fr), Trunc(y), color, alpha, mode, aa);
  PIX_Line(dest, Trunc(x + fr - 1), Trunc(b), Trunc(r - fr), Trunc(b), color, alpha, mode, aa);
  PIX_Line(dest, Trunc(r), Trunc(y + fr), Trunc(r), Trunc(b - fr), color, alpha, mode, aa);
  PIX_Line(dest, Trunc(x), Trunc(y + fr - 1), Trunc(x), Trunc(b - fr), color, alpha, mode, aa);
  PIX_Arc(dest, x + fr, y + fr, fr, -q, 0.0f, color, alpha, mode, aa);
  PIX_Arc(dest, r - fr, y + fr, fr, 0.0f, q, color, alpha, mode, aa);
  PIX_Arc(dest, r - fr, b - fr, fr, q, 2.0f * q, color, alpha, mode, aa);
  PIX_Arc(dest, x + fr, b - fr, fr, 2.0f * q, 3.0f * q, color, alpha, mode, aa);
}
