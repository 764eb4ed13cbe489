#include <cmath>

#include "pix/pix.h"
#include "pix/pix_loops.h"

namespace {

// A float in 16.16 fixed point, saturated so that stepping across a bitmap cannot overflow.
long long Fixed16(float v, float scale) {
  const double f = static_cast<double>(v) * scale * 65536.0;
  if (!(f == f)) return 0;
  if (f > 1e15) return 1000000000000000LL;
  if (f < -1e15) return -1000000000000000LL;
  return static_cast<long long>(f);
}

int Scale256(float v) {
  const double f = static_cast<double>(v) * 256.0;
  if (!(f == f)) return 0;
  if (f > 1e7) return 10000000;
  if (f < -1e7) return -10000000;
  return static_cast<int>(f);
}

}  // namespace

void PIX_GradRect(PIX_IBitmap* dest, int x, int y, int w, int h, float ir, float ig, float ib, float ia, float drdx,
                  float dgdx, float dbdx, float dadx, float drdy, float dgdy, float dbdy, float dady, int mode) {
  pix::Surface s;
  const int x0 = x, y0 = y;
  if (!pix::GetSurface(dest, s) || !pix::ClipRect(s, x, y, w, h)) return;
  // Clipping keeps the gradient anchored at the rectangle's own corner.
  const long long cx = x - x0, cy = y - y0;
  const long long sr = Fixed16(drdx, 255), sg = Fixed16(dgdx, 255), sb = Fixed16(dbdx, 255), sa = Fixed16(dadx, 256);
  const long long tr = Fixed16(drdy, 255), tg = Fixed16(dgdy, 255), tb = Fixed16(dbdy, 255), ta = Fixed16(dady, 256);
  const long long r = Fixed16(ir, 255) + sr * cx + tr * cy, g = Fixed16(ig, 255) + sg * cx + tg * cy;
  const long long b = Fixed16(ib, 255) + sb * cx + tb * cy, a = Fixed16(ia, 256) + sa * cx + ta * cy;
  PIX_pixel* d = s.row(y) + x;
  auto run = [&](auto tag) {
    _PIX_Template_Blit1<typename decltype(tag)::type>::gradBlit(d, w, h, r, g, b, a, sr, sg, sb, sa, tr, tg, tb, ta,
                                                                 s.step);
  };
  switch (mode & PIX_COMBINE_MODEMASK) {
    case PIX_COMBINE_COPY:
      if (ia == 1.0f && dadx == 0.0f && dady == 0.0f) return run(pix::RuleTag<_PIX_CombinePixelsClobberClamp>());
      return run(pix::RuleTag<_PIX_CombinePixelsCopyClamp>());
    case PIX_COMBINE_MULTIPLY: return run(pix::RuleTag<_PIX_CombinePixelsMulClamp>());
    default: pix::DispatchBlendRule(mode & PIX_COMBINE_MODEMASK, run);
  }
}

void PIX_MultiplyAddRect(PIX_IBitmap* dest, int x, int y, int w, int h, float rsc, float gsc, float bsc, float asc,
                         float radd, float gadd, float badd, float aadd) {
  pix::Surface s;
  if (!pix::GetSurface(dest, s) || !pix::ClipRect(s, x, y, w, h)) return;
  // Per byte position: blue, green, red, alpha.
  const int S[4] = {Scale256(bsc), Scale256(gsc), Scale256(rsc), Scale256(asc)};
  const int A[4] = {Scale256(badd), Scale256(gadd), Scale256(radd), Scale256(aadd)};
  PIX_pixel* row = s.row(y) + x;
  for (; h > 0; --h, row += s.step) {
    unsigned char* p = reinterpret_cast<unsigned char*>(row);
    for (int i = 0; i < w * 4; i += 4) {
      for (int c = 0; c < 4; ++c) {
        const long long v = (A[c] + static_cast<long long>(S[c]) * p[i + c]) >> 8;
        p[i + c] = static_cast<unsigned char>(v < 0 ? 0 : v > 255 ? 255 : v);
      }
    }
  }
}

void PIX_ProcessRect(PIX_IBitmap* dest, int x, int y, int w, int h, void (*procFunc)(PIX_pixel* p, void* parm),
                     void* parm) {
  pix::Surface s;
  if (!procFunc || !pix::GetSurface(dest, s) || !pix::ClipRect(s, x, y, w, h)) return;
  PIX_pixel* row = s.row(y) + x;
  for (; h > 0; --h, row += s.step)
    for (int i = 0; i < w; ++i) procFunc(row + i, parm);
}

void PIX_SetAlphaFromColorMask(PIX_IBitmap* dest, PIX_pixel color) {
  pix::Surface s;
  if (!pix::GetSurface(dest, s)) return;
  const PIX_pixel key = color & 0xFFFFFFu;
  for (int y = 0; y < s.h; ++y) {
    PIX_pixel* row = s.row(y);
    for (int i = 0; i < s.w; ++i) row[i] = (row[i] & 0xFFFFFFu) == key ? key : (row[i] | 0xFF000000u);
  }
}

namespace {

// Fills the run of matching pixels through column x of one row; false when column x does not
// match, which ends the walk in that direction.
bool FillRun(PIX_pixel* row, int w, int x, PIX_pixel target, PIX_pixel newcolor, PIX_pixel cmpmask,
             PIX_pixel keepmask) {
  if ((row[x] & cmpmask) != target) return false;
  int l = x;
  while (l > 0 && (row[l - 1] & cmpmask) == target) --l;
  int r = x;
  while (r + 1 < w && (row[r + 1] & cmpmask) == target) ++r;
  for (int i = l; i <= r; ++i) row[i] = newcolor | (row[i] & keepmask);
  return true;
}

}  // namespace

void PIX_SimpleFill(PIX_IBitmap* dest, int x, int y, PIX_pixel newcolor, PIX_pixel comparemask, PIX_pixel keepmask) {
  pix::Surface s;
  if (!pix::GetSurface(dest, s) || x < 0 || y < 0 || x >= s.w || y >= s.h) return;
  const PIX_pixel target = s.row(y)[x] & comparemask;
  for (int j = y; j < s.h && FillRun(s.row(j), s.w, x, target, newcolor, comparemask, keepmask); ++j) {
  }
  for (int j = y - 1; j >= 0 && FillRun(s.row(j), s.w, x, target, newcolor, comparemask, keepmask); --j) {
  }
}
