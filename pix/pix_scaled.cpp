#include "pix/pix_scaled.h"

#include <algorithm>
#include <cmath>

#include "pix/pix.h"
#include "pix/pix_scaled_fast.h"

namespace {

const double kFix = 65536.0;
// GCC's 128-bit integer; __extension__ tells -Wpedantic it is meant.
__extension__ typedef __int128 Wide;

// Conversions that saturate instead of overflowing; NaN gives 0.
long long SatLL(double v, double lim) {
  if (!(v == v)) return 0;
  return v >= lim ? static_cast<long long>(lim) : v <= -lim ? -static_cast<long long>(lim) : static_cast<long long>(v);
}
int SatInt(double v) { return static_cast<int>(SatLL(v, 2147483647.0)); }
long long FloorFix(double v) { return SatLL(std::floor(v * kFix), 1152921504606846976.0); }  // 2^60

bool NearWhole(double v) { return std::fabs(v - std::floor(v + 0.5)) <= 0.03; }

// One axis of a scaled blit: destination start and count, source start and step in 16.16, and
// the source window [lo, hi).
struct Axis {
  long long dst = 0, count = 0, cur = 0, step = 0;
  int lo = 0, hi = 0;
  double adv = 0;
};

bool PlanAxis(long long dpos, long long dlen, double spos, double slen, int destSize, int srcSize, Axis& a) {
  if (dlen < 0) dpos += dlen, spos += slen, dlen = -dlen, slen = -slen;
  a.adv = slen / static_cast<double>(dlen);
  if (dpos < 0) spos += static_cast<double>(-dpos) * a.adv, dlen += dpos, dpos = 0;
  if (dlen <= 0 || dpos >= destSize) return false;
  a.step = SatLL(std::floor(a.adv * kFix), 2147483648.0 * 65536.0);
  // A backward step samples each destination pixel's source span at its lower end, as a
  // forward one does; starting at the upper end would shift a mirror by one pixel.
  a.cur = FloorFix(a.adv < 0 ? spos + a.adv : spos);
  long long n = std::min(dlen, static_cast<long long>(destSize) - dpos);
  const Wide end = static_cast<Wide>(srcSize) * 65536;
  // Columns whose samples fall outside the source draw nothing; trimming them keeps every
  // position that is stepped to within the source.
  if (a.step > 0) {
    if (a.cur < 0) {
      const long long k = (a.step - 1 - a.cur) / a.step;
      dpos += k, n -= k, a.cur += k * a.step;
    }
    if (n > 0 && static_cast<Wide>(n - 1) * a.step + a.cur >= end)
      n = std::min<long long>(n, static_cast<long long>((end - 1 - a.cur) / a.step) + 1);
  } else if (a.step < 0) {
    const long long back = -a.step;
    if (a.cur >= end) {
      const long long k = static_cast<long long>((a.cur - end + back) / back);
      dpos += k, n -= k, a.cur -= k * back;
    }
    if (n > 0 && a.cur >= 0) n = std::min(n, a.cur / back + 1);
    else n = 0;
  }
  if (n <= 0) return false;
  const long long first = (a.step < 0 ? (n - 1) * a.step : 0) + a.cur;
  a.lo = static_cast<int>(std::clamp<long long>(first / 65536, 0, srcSize));
  a.hi = std::min(srcSize, SatInt(std::max(0.0, slen) + spos + 0.999999));
  a.dst = dpos;
  a.count = n;
  return a.hi > a.lo;
}

void MakeWindow(const pix::Surface& ss, int l, int t, int r, int b, pix::Window& win) {
  win.bits = ss.row(t) + l;
  win.step = ss.step;
  win.w = r - l;
  win.h = b - t;
}

}  // namespace

void PIX_ScaledBlit(PIX_IBitmap* dest, const PIX_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx,
                    float srcy, float srcw, float srch, float alpha, int mode) {
  if (!dest || !src || dstw == 0 || dsth == 0 || alpha == 0.0f) return;
  if (std::fabs(static_cast<double>(srcw) - dstw) < 0.001 && std::fabs(static_cast<double>(srch) - dsth) < 0.001 &&
      ((mode & 0xFF00) != PIX_FILTER_BILINEAR || (NearWhole(srcx) && NearWhole(srcy))))
    return PIX_Blit(dest, src, dstx, dsty, SatInt(srcx + 0.5), SatInt(srcy + 0.5), dstw, dsth, alpha, mode);

  pix::Surface ds, ss;
  if (!pix::GetSurface(dest, ds) || !pix::GetSurface(src, ss)) return;
  Axis ax, ay;
  if (!PlanAxis(dstx, dstw, srcx, srcw, ds.w, ss.w, ax) || !PlanAxis(dsty, dsth, srcy, srch, ds.h, ss.h, ay)) return;
  pix::Window win;
  MakeWindow(ss, ax.lo, ay.lo, ax.hi, ay.hi, win);
  const long long curx = ax.cur - ax.lo * 65536LL, cury = ay.cur - ay.lo * 65536LL;
  const int w = static_cast<int>(ax.count), h = static_cast<int>(ay.count);
  PIX_pixel* d = ds.row(static_cast<int>(ay.dst)) + ax.dst;
  const int ia = PIX_Weight(alpha);

  if ((mode & 0x1FFFF) == 0) {
    if (ia == 256)
      return _PIX_Template_Blit0<_PIX_CombinePixelsClobberFAST>::scaleBlitFAST(d, ds.step, w, h, curx, cury, ax.step,
                                                                               ay.step, win);
    if (ia == 128)
      return _PIX_Template_Blit0<_PIX_CombinePixelsHalfMixFAST>::scaleBlitFAST(d, ds.step, w, h, curx, cury, ax.step,
                                                                               ay.step, win);
  }
  const bool bilinear = (mode & 0xFF00) == PIX_FILTER_BILINEAR;
  if (bilinear && ax.adv >= 1.7 && ay.adv >= 1.7) {
    const int size = std::max(ax.step, ay.step) > 0x30000 ? 5 : 3;
    if (pix::FastBoxScale(d, ds.step, w, h, curx, cury, ax.step, ay.step, win, size, ia, mode)) return;
    pix::DispatchResampleRule(mode, ia, [&](auto tag) {
      _PIX_Template_Blit2<typename decltype(tag)::type>::scaleBlitFilterDown(d, ds.step, w, h, curx, cury, ax.step,
                                                                              ay.step, win, size, ia);
    });
    return;
  }
  // Bilinear scaling is the mapping that steps only across columns and down rows.
  if (bilinear) {
    pix::DeltaSteps st;
    st.s = curx, st.t = cury, st.dsdx = ax.step, st.dtdy = ay.step;
    if (pix::FastBilinearDelta(d, ds.step, w, h, st, win, ia, mode)) return;
  } else if (pix::FastNearestScale(d, ds.step, w, h, curx, cury, ax.step, ay.step, win, ia, mode)) {
    return;
  }
  pix::DispatchResampleRule(mode, ia, [&](auto tag) {
    _PIX_Template_Blit2<typename decltype(tag)::type>::scaleBlit(d, ds.step, w, h, curx, cury, ax.step, ay.step, win,
                                                                 bilinear, ia);
  });
}

namespace {

// A mapped blit in source pixels before clipping and conversion to 16.16.
struct Mapping {
  long long dx, dy, dw, dh;
  double s, t, dsdx, dtdx, dsdy, dtdy, dsdxdy, dtdxdy;
  double a = 0, dadx = 0, dady = 0;  // opacity, for the alpha form
};

// Source window of a mapped blit: the source rectangle with cliptosourcerect, else the whole
// source.
bool MappedWindow(const pix::Surface& ss, double srcx, double srcy, double srcw, double srch, bool clip, int& l,
                  int& t, int& r, int& b) {
  l = 0, t = 0, r = ss.w, b = ss.h;
  if (clip) {
    l = std::max(0, SatInt(srcx)), t = std::max(0, SatInt(srcy));
    r = std::min(ss.w, SatInt(srcx + srcw)), b = std::min(ss.h, SatInt(srcy + srch));
  }
  return r > l && b > t;
}

// Moves the start past destination rows and columns left of or above the destination, limits the
// area to the destination and converts to fixed point. False when nothing is left.
bool ClipMapping(Mapping m, const pix::Surface& ds, int wl, int wt, pix::DeltaSteps& st, pix::WeightSteps& wst,
                 PIX_pixel*& d, int& w, int& h) {
  if (m.dy < 0) {
    const double k = static_cast<double>(-m.dy);
    m.s += k * m.dsdy, m.t += k * m.dtdy, m.a += k * m.dady;
    m.dsdx += k * m.dsdxdy, m.dtdx += k * m.dtdxdy;
    m.dh += m.dy, m.dy = 0;
  }
  if (m.dx < 0) {
    // Later rows' column steps differ, so their skipped columns move their starts further.
    const double k = static_cast<double>(-m.dx);
    m.s += k * m.dsdx, m.t += k * m.dtdx, m.a += k * m.dadx;
    m.dsdy += k * m.dsdxdy, m.dtdy += k * m.dtdxdy;
    m.dw += m.dx, m.dx = 0;
  }
  if (m.dw <= 0 || m.dh <= 0 || m.dx >= ds.w || m.dy >= ds.h) return false;
  w = static_cast<int>(std::min<long long>(m.dw, ds.w - m.dx));
  h = static_cast<int>(std::min<long long>(m.dh, ds.h - m.dy));
  d = ds.row(static_cast<int>(m.dy)) + m.dx;
  st.s = FloorFix(m.s - wl), st.t = FloorFix(m.t - wt);
  auto fix = [](double v) -> long long { return SatInt(v * kFix); };
  st.dsdx = fix(m.dsdx), st.dtdx = fix(m.dtdx), st.dsdy = fix(m.dsdy), st.dtdy = fix(m.dtdy);
  st.dsdxdy = fix(m.dsdxdy), st.dtdxdy = fix(m.dtdxdy);
  wst.v = FloorFix(m.a), wst.dvdx = fix(m.dadx), wst.dvdy = fix(m.dady);
  return true;
}

// A mapped blit clipped and converted, ready for the loops.
struct MappedArea {
  pix::DeltaSteps st;
  pix::WeightSteps wst;
  pix::Window win;
  PIX_pixel* d = nullptr;
  ptrdiff_t step = 0;
  int w = 0, h = 0;
};

bool Prepare(PIX_IBitmap* dest, const PIX_IBitmap* src, const Mapping& m, double srcx, double srcy, double srcw,
             double srch, bool clip, MappedArea& a) {
  if (!dest || !src || m.dw == 0 || m.dh == 0) return false;
  pix::Surface ds, ss;
  if (!pix::GetSurface(dest, ds) || !pix::GetSurface(src, ss)) return false;
  int l, t, r, b;
  if (!MappedWindow(ss, srcx, srcy, srcw, srch, clip, l, t, r, b)) return false;
  if (!ClipMapping(m, ds, l, t, a.st, a.wst, a.d, a.w, a.h)) return false;
  MakeWindow(ss, l, t, r, b, a.win);
  a.step = ds.step;
  return true;
}

void RunDelta(PIX_IBitmap* dest, const PIX_IBitmap* src, const Mapping& m, double srcx, double srcy, double srcw,
              double srch, bool clip, float alpha, int mode) {
  const int ia = PIX_Weight(alpha);
  MappedArea a;
  if (ia == 0 || !Prepare(dest, src, m, srcx, srcy, srcw, srch, clip, a)) return;
  if (pix::FastBilinearDelta(a.d, a.step, a.w, a.h, a.st, a.win, ia, mode)) return;
  pix::DispatchResampleRule(mode, ia, [&](auto tag) {
    _PIX_Template_Blit3<typename decltype(tag)::type>::deltaBlit(a.d, a.step, a.w, a.h, a.st, a.win, mode & 0xFF00,
                                                                 ia);
  });
}

void RunDeltaAlpha(PIX_IBitmap* dest, const PIX_IBitmap* src, const Mapping& m, double srcx, double srcy,
                   double srcw, double srch, bool clip, int mode) {
  MappedArea a;
  if (!Prepare(dest, src, m, srcx, srcy, srcw, srch, clip, a)) return;
  pix::WeightSteps& wst = a.wst;
  // With a varying weight the copy rules serve every weight; negative ones draw nothing for them.
  auto run = [&](auto tag) {
    _PIX_Template_Blit4<typename decltype(tag)::type>::deltaBlitAlpha(a.d, a.step, a.w, a.h, a.st, wst, a.win,
                                                                      mode & 0xFF00);
  };
  switch (mode & PIX_RULE_MASK) {
    case PIX_COMBINE_COPY: wst.minWeight = 1; return run(pix::RuleTag<_PIX_CombinePixelsCopyNoClamp>());
    case PIX_FLAG_SOURCE_ALPHA: wst.minWeight = 1; return run(pix::RuleTag<_PIX_CombinePixelsCopySourceAlphaNoClamp>());
    default: wst.minWeight = -PIX_WEIGHT_LIMIT; pix::DispatchBlendRule(mode, run);
  }
}

Mapping MakeMapping(long long dstx, long long dsty, long long dstw, long long dsth, double s, double t, double dsdx, double dtdx, double dsdy,
                    double dtdy, double dsdxdy, double dtdxdy) {
  Mapping m;
  m.dx = dstx, m.dy = dsty, m.dw = dstw, m.dh = dsth;
  m.s = s, m.t = t, m.dsdx = dsdx, m.dtdx = dtdx, m.dsdy = dsdy, m.dtdy = dtdy, m.dsdxdy = dsdxdy, m.dtdxdy = dtdxdy;
  return m;
}

}  // namespace

void PIX_RotatedBlit(PIX_IBitmap* dest, const PIX_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx,
                     float srcy, float srcw, float srch, float angle, bool cliptosourcerect, float alpha, int mode,
                     float rotxcent, float rotycent) {
  if (!dest || !src || dstw == 0 || dsth == 0) return;
  const double wx = srcx, wy = srcy, ww = srcw, wh = srch;  // the window is the unmirrored rectangle
  long long dx = dstx, dy = dsty, dw = dstw, dh = dsth;
  double sx0 = srcx, sy0 = srcy, sw = srcw, sh = srch;
  if (dw < 0) dx += dw, sx0 += sw, dw = -dw, sw = -sw;
  if (dh < 0) dy += dh, sy0 += sh, dh = -dh, sh = -sh;
  const double c = std::cos(static_cast<double>(angle)), s = std::sin(static_cast<double>(angle));
  const double sx = sw / static_cast<double>(dw), sy = sh / static_cast<double>(dh);
  const double dsdx = sx * c, dtdx = -sy * s, dsdy = sx * s, dtdy = sy * c;
  const double fw = static_cast<double>(dw), fh = static_cast<double>(dh);
  sx0 -= ((fh * sx * s + fw * sx * c) - sw) * 0.5 - rotxcent;
  sy0 -= ((fh * sy * c - fw * sy * s) - sh) * 0.5 - rotycent;
  // A reversed axis samples each pixel's span at its lower end, as PIX_ScaledBlit does.
  if (sx < 0) sx0 += dsdx, sy0 += dtdx;
  if (sy < 0) sx0 += dsdy, sy0 += dtdy;
  RunDelta(dest, src, MakeMapping(dx, dy, dw, dh, sx0, sy0, dsdx, dtdx, dsdy, dtdy, 0, 0), wx, wy, ww, wh,
           cliptosourcerect, alpha, mode);
}

void PIX_DeltaBlit(PIX_IBitmap* dest, const PIX_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx,
                   float srcy, float srcw, float srch, double dsdx, double dtdx, double dsdy, double dtdy,
                   double dsdxdy, double dtdxdy, bool cliptosourcerect, float alpha, int mode) {
  if (dstw < 0 || dsth < 0) return;
  RunDelta(dest, src, MakeMapping(dstx, dsty, dstw, dsth, srcx, srcy, dsdx, dtdx, dsdy, dtdy, dsdxdy, dtdxdy), srcx,
           srcy, srcw, srch, cliptosourcerect, alpha, mode);
}

void PIX_DeltaBlitAlpha(PIX_IBitmap* dest, const PIX_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                        float srcx, float srcy, float srcw, float srch, double dsdx, double dtdx, double dsdy,
                        double dtdy, double dsdxdy, double dtdxdy, bool cliptosourcerect, float alpha,
                        float dalphadx, float dalphady, int mode) {
  if (dstw < 0 || dsth < 0) return;
  Mapping m = MakeMapping(dstx, dsty, dstw, dsth, srcx, srcy, dsdx, dtdx, dsdy, dtdy, dsdxdy, dtdxdy);
  m.a = alpha, m.dadx = dalphadx, m.dady = dalphady;
  RunDeltaAlpha(dest, src, m, srcx, srcy, srcw, srch, cliptosourcerect, mode);
}

namespace {

// Calls cell(x, y, w, h, i, j) for every grid cell of the destination rectangle with its corners
// rounded to whole pixels; empty cells are left out.
template <class F> void ForEachCell(int dstx, int dsty, int dstw, int dsth, int div_w, int div_h, F&& cell) {
  if (div_w <= 1 || div_h <= 1 || dstw <= 0 || dsth <= 0) return;
  auto edge = [](int start, int size, int i, int n) {
    return SatInt(std::floor(start + static_cast<double>(i) * size / (n - 1) + 0.5));
  };
  for (int j = 0; j + 1 < div_h; ++j) {
    const int y0 = edge(dsty, dsth, j, div_h), y1 = edge(dsty, dsth, j + 1, div_h);
    if (y1 <= y0) continue;
    for (int i = 0; i + 1 < div_w; ++i) {
      const int x0 = edge(dstx, dstw, i, div_w), x1 = edge(dstx, dstw, i + 1, div_w);
      if (x1 > x0) cell(x0, y0, x1 - x0, y1 - y0, i, j);
    }
  }
}

// The steps of one cell from its four corner values (top-left, top-right, bottom-left,
// bottom-right) of one coordinate.
struct CellSteps {
  double start, dx, dy, dxdy;
};
CellSteps Interpolate(double p00, double p10, double p01, double p11, int w, int h) {
  return {p00, (p10 - p00) / w, (p01 - p00) / h, ((p11 - p01) - (p10 - p00)) / (static_cast<double>(w) * h)};
}

template <class P>
void TransformCells(PIX_IBitmap* dest, const PIX_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                    const P* points, const float* alphas, int div_w, int div_h, float alpha, int mode) {
  if (!dest || !src || !points) return;
  if (static_cast<long long>(div_w) * div_h > (1LL << 28)) return;
  ForEachCell(dstx, dsty, dstw, dsth, div_w, div_h, [&](int x, int y, int w, int h, int i, int j) {
    auto at = [&](int di, int dj, int c) { return static_cast<double>(points[((j + dj) * div_w + i + di) * 2 + c]); };
    const CellSteps s = Interpolate(at(0, 0, 0), at(1, 0, 0), at(0, 1, 0), at(1, 1, 0), w, h);
    const CellSteps t = Interpolate(at(0, 0, 1), at(1, 0, 1), at(0, 1, 1), at(1, 1, 1), w, h);
    Mapping m = MakeMapping(x, y, w, h, s.start, t.start, s.dx, t.dx, s.dy, t.dy, s.dxdy, t.dxdy);
    if (!alphas) return RunDelta(dest, src, m, 0, 0, 0, 0, false, alpha, mode);
    auto a = [&](int di, int dj) { return static_cast<double>(alphas[(j + dj) * div_w + i + di]); };
    const CellSteps o = Interpolate(a(0, 0), a(1, 0), a(0, 1), a(1, 1), w, h);
    m.a = o.start, m.dadx = o.dx, m.dady = o.dy;
    RunDeltaAlpha(dest, src, m, 0, 0, 0, 0, false, mode);
  });
}

}  // namespace

void PIX_TransformBlit(PIX_IBitmap* dest, const PIX_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                       const float* points, int div_w, int div_h, float alpha, int mode) {
  TransformCells(dest, src, dstx, dsty, dstw, dsth, points, nullptr, div_w, div_h, alpha, mode);
}

void PIX_TransformBlit2(PIX_IBitmap* dest, const PIX_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                        const double* points, int div_w, int div_h, float alpha, int mode) {
  TransformCells(dest, src, dstx, dsty, dstw, dsth, points, nullptr, div_w, div_h, alpha, mode);
}

void PIX_TransformBlit2Alpha(PIX_IBitmap* dest, const PIX_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                             const double* points, const float* alphas, int div_w, int div_h, int mode) {
  if (!alphas) return;
  TransformCells(dest, src, dstx, dsty, dstw, dsth, points, alphas, div_w, div_h, 1.0f, mode);
}
