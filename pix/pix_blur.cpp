#include <algorithm>
#include <cstring>

#include "kit/heapbuf.h"
#include "pix/pix.h"
#include "pix/pix_loops.h"

namespace {

inline PIX_pixel Half(PIX_pixel p) { return (p >> 1) & 0x7F7F7F7Fu; }
inline PIX_pixel Quarter(PIX_pixel p) { return (p >> 2) & 0x3F3F3F3Fu; }
inline PIX_pixel Eighth(PIX_pixel p) { return (p >> 3) & 0x1F1F1F1Fu; }

// One output row from its unblurred row and neighbours; a missing neighbour's share goes to
// the one opposite it. w is at least 2.
void BlurRow(PIX_pixel* out, const PIX_pixel* up, const PIX_pixel* cur, const PIX_pixel* down, int w) {
  for (int i = 0; i < w; ++i) {
    PIX_pixel v = Half(cur[i]);
    if (i == 0) v += Quarter(cur[1]);
    else if (i == w - 1) v += Quarter(cur[i - 1]);
    else v += Eighth(cur[i - 1]) + Eighth(cur[i + 1]);
    if (!up) v += Quarter(down[i]);
    else if (!down) v += Quarter(up[i]);
    else v += Eighth(up[i]) + Eighth(down[i]);
    out[i] = v;
  }
}

struct Area {
  PIX_pixel* d;
  const PIX_pixel* s;
  int w, h;
  ptrdiff_t dstep, sstep;
};

// Clips like an unscaled blit; false when nothing is left.
bool ClipArea(PIX_IBitmap* dest, const PIX_IBitmap* src, int dstx, int dsty, int srcx, int srcy, int srcw, int srch,
              Area& a) {
  pix::Surface ds, ss;
  if (!pix::GetSurface(dest, ds) || !pix::GetSurface(src, ss)) return false;
  long long l = srcx, t = srcy, r = l + srcw, b = t + srch, dx = dstx, dy = dsty;
  if (l < 0) dx -= l, l = 0;
  if (t < 0) dy -= t, t = 0;
  r = std::min<long long>(r, ss.w);
  b = std::min<long long>(b, ss.h);
  if (dx < 0) l -= dx, dx = 0;
  if (dy < 0) t -= dy, dy = 0;
  const long long w = std::min<long long>(r - l, ds.w - dx), h = std::min<long long>(b - t, ds.h - dy);
  if (w <= 0 || h <= 0) return false;
  a.w = static_cast<int>(w), a.h = static_cast<int>(h);
  a.d = ds.row(static_cast<int>(dy)) + dx;
  a.s = ss.row(static_cast<int>(t)) + l;
  a.dstep = ds.step, a.sstep = ss.step;
  return true;
}

bool Overlaps(const Area& a) {
  const PIX_pixel* d0 = std::min(a.d, a.d + (a.h - 1) * a.dstep);
  const PIX_pixel* d1 = std::max(a.d, a.d + (a.h - 1) * a.dstep) + a.w;
  const PIX_pixel* s0 = std::min(a.s, a.s + (a.h - 1) * a.sstep);
  const PIX_pixel* s1 = std::max(a.s, a.s + (a.h - 1) * a.sstep) + a.w;
  return d0 < s1 && s0 < d1;
}

}  // namespace

void PIX_Blur(PIX_IBitmap* dest, const PIX_IBitmap* src, int dstx, int dsty, int srcx, int srcy, int srcw,
              int srch) {
  Area a;
  if (!ClipArea(dest, src, dstx, dsty, srcx, srcy, srcw, srch, a) || a.w < 2 || a.h < 2) return;
  auto srow = [&](int j) { return a.s + j * a.sstep; };

  if (a.d == a.s && a.dstep == a.sstep) {
    // In place: only the previous row and the row being written need their unblurred copies.
    PIX_pixel stackRows[2 * 1024];
    KIT_TypedBuf<PIX_pixel> heapRows;
    PIX_pixel* rows = stackRows;
    if (a.w > 1024) {
      rows = heapRows.Resize(2 * a.w);
      if (!rows || heapRows.GetSize() < 2 * a.w) return;
    }
    PIX_pixel* prev = rows;
    PIX_pixel* cur = rows + a.w;
    for (int j = 0; j < a.h; ++j) {
      memcpy(cur, srow(j), static_cast<size_t>(a.w) * 4);
      BlurRow(a.d + j * a.dstep, j > 0 ? prev : nullptr, cur, j + 1 < a.h ? srow(j + 1) : nullptr, a.w);
      std::swap(prev, cur);
    }
    return;
  }

  KIT_TypedBuf<PIX_pixel> copy;
  if (Overlaps(a)) {
    PIX_pixel* tmp = copy.Resize(a.w * a.h);
    if (!tmp || copy.GetSize() < a.w * a.h) return;
    for (int j = 0; j < a.h; ++j) memcpy(tmp + j * a.w, srow(j), static_cast<size_t>(a.w) * 4);
    a.s = tmp;
    a.sstep = a.w;
  }
  for (int j = 0; j < a.h; ++j)
    BlurRow(a.d + j * a.dstep, j > 0 ? srow(j - 1) : nullptr, srow(j), j + 1 < a.h ? srow(j + 1) : nullptr, a.w);
}

void PIX_HalveBlitAA(PIX_IBitmap* dest, const PIX_IBitmap* src) {
  pix::Surface ds, ss;
  if (!pix::GetSurface(dest, ds) || !pix::GetSurface(src, ss)) return;
  const int w = std::min(ds.w, ss.w / 2), h = std::min(ds.h, ss.h / 2);
  // Row y and column x only read rows 2y, 2y+1 and columns 2x, 2x+1, so halving a bitmap into
  // itself never reads a pixel already replaced.
  for (int y = 0; y < h; ++y) {
    PIX_pixel* out = ds.row(y);
    const PIX_pixel* r0 = ss.row(2 * y);
    const PIX_pixel* r1 = ss.row(2 * y + 1);
    for (int x = 0; x < w; ++x)
      out[x] = Quarter(r0[2 * x]) + Quarter(r0[2 * x + 1]) + Quarter(r1[2 * x]) + Quarter(r1[2 * x + 1]);
  }
}

int PIX_BitmapCmp(const PIX_IBitmap* a, const PIX_IBitmap* b, int* coordsOut) {
  return PIX_BitmapCmpEx(a, b, 0xFFFFFFFFu, coordsOut);
}

int PIX_BitmapCmpEx(const PIX_IBitmap* a, const PIX_IBitmap* b, PIX_pixel mask, int* coordsOut) {
  if (coordsOut) coordsOut[0] = coordsOut[1] = coordsOut[2] = coordsOut[3] = 0;
  if (!a || !b) return !a && !b ? 0 : !a ? -1 : 1;
  if (a->getWidth() != b->getWidth()) return b->getWidth() - a->getWidth();
  if (a->getHeight() != b->getHeight()) return b->getHeight() - a->getHeight();
  pix::Surface sa, sb;
  const bool ha = pix::GetSurface(a, sa), hb = pix::GetSurface(b, sb);
  if (!ha || !hb) return ha == hb ? 0 : !ha ? -1 : 1;
  int minx = sa.w, miny = sa.h, maxx = -1, maxy = -1;
  for (int y = 0; y < sa.h; ++y) {
    const PIX_pixel* ra = sa.row(y);
    const PIX_pixel* rb = sb.row(y);
    for (int x = 0; x < sa.w; ++x) {
      if (((ra[x] ^ rb[x]) & mask) == 0) continue;
      if (!coordsOut) return 1;
      minx = std::min(minx, x), maxx = std::max(maxx, x);
      miny = std::min(miny, y), maxy = std::max(maxy, y);
    }
  }
  if (maxx < 0) return 0;
  coordsOut[0] = minx, coordsOut[1] = miny, coordsOut[2] = maxx - minx + 1, coordsOut[3] = maxy - miny + 1;
  return 1;
}
