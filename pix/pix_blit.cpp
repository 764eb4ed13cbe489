#include <algorithm>
#include <climits>
#include <cstring>

#include "kit/heapbuf.h"
#include "pix/pix.h"
#include "pix/pix_loops.h"
#include "pix/kernels/kernels.h"

namespace {

struct BlitArea {
  PIX_pixel* d;
  const PIX_pixel* s;
  int w, h;
  ptrdiff_t dstep, sstep;
};

void ChannelCopy(const BlitArea& a, int mode) {
  const pix::kernels::ChannelRow row = pix::kernels::Active().channelCopy;
  PIX_pixel* d = a.d;
  const PIX_pixel* s = a.s;
  for (int y = 0; y < a.h; ++y, d += a.dstep, s += a.sstep) row(d, s, a.w, mode & 3, (mode >> 2) & 3);
}

// Rows are moved in the order that never reads a row already overwritten when source and
// destination share storage.
void CopyRows(const BlitArea& a) {
  const size_t bytes = static_cast<size_t>(a.w) * sizeof(PIX_pixel);
  // Rows that follow each other without padding in both bitmaps move as one block.
  if (a.dstep == a.w && a.sstep == a.w) {
    memmove(a.d, a.s, bytes * static_cast<size_t>(a.h));
    return;
  }
  // Writing row y of the destination lands on a later source row exactly when the destination
  // lies further along in the direction the rows advance.
  if ((a.d > a.s) == (a.dstep > 0)) {
    for (int y = a.h - 1; y >= 0; --y) memmove(a.d + y * a.dstep, a.s + y * a.sstep, bytes);
  } else {
    for (int y = 0; y < a.h; ++y) memmove(a.d + y * a.dstep, a.s + y * a.sstep, bytes);
  }
}

void RunRows(const BlitArea& a, pix::kernels::BlendRow row, int alpha) {
  PIX_pixel* d = a.d;
  const PIX_pixel* s = a.s;
  for (int y = 0; y < a.h; ++y, d += a.dstep, s += a.sstep) row(d, s, a.w, alpha);
}

void HalfMixRows(const BlitArea& a) {
  const pix::kernels::WordBlendRow row = pix::kernels::Active().halfMix;
  PIX_pixel* d = a.d;
  const PIX_pixel* s = a.s;
  for (int y = 0; y < a.h; ++y, d += a.dstep, s += a.sstep) row(d, s, a.w);
}

bool Overlaps(const BlitArea& a) {
  const PIX_pixel* d0 = a.d;
  const PIX_pixel* d1 = a.d + (a.h - 1) * a.dstep;
  const PIX_pixel* s0 = a.s;
  const PIX_pixel* s1 = a.s + (a.h - 1) * a.sstep;
  const PIX_pixel* dlo = d0 < d1 ? d0 : d1;
  const PIX_pixel* dhi = (d0 < d1 ? d1 : d0) + a.w;
  const PIX_pixel* slo = s0 < s1 ? s0 : s1;
  const PIX_pixel* shi = (s0 < s1 ? s1 : s0) + a.w;
  return dlo < shi && slo < dhi;
}

}  // namespace

void PIX_Blit(PIX_IBitmap* dest, const PIX_IBitmap* src, int dstx, int dsty, const RECT* srcrect, float alpha,
              int mode) {
  if (!dest || !src || alpha == 0.0f) return;
  const long long sw = src->getWidth(), sh = src->getHeight();
  long long l = 0, t = 0, r = sw, b = sh, dx = dstx, dy = dsty;
  if (srcrect) {
    l = srcrect->left, t = srcrect->top, r = srcrect->right, b = srcrect->bottom;
    if (l < 0) dx -= l, l = 0;
    if (t < 0) dy -= t, t = 0;
    if (r > sw) r = sw;
    if (b > sh) b = sh;
  }
  if (dx < 0) l -= dx, dx = 0;
  if (dy < 0) t -= dy, dy = 0;
  const long long cw = std::min(r - l, static_cast<long long>(dest->getWidth()) - dx);
  const long long ch = std::min(b - t, static_cast<long long>(dest->getHeight()) - dy);
  if (cw <= 0 || ch <= 0) return;
  pix::Surface ds, ss;
  if (!pix::GetSurface(dest, ds) || !pix::GetSurface(src, ss)) return;

  BlitArea a;
  a.w = static_cast<int>(cw);
  a.h = static_cast<int>(ch);
  a.d = ds.row(static_cast<int>(dy)) + dx;
  a.s = ss.row(static_cast<int>(t)) + l;
  a.dstep = ds.step;
  a.sstep = ss.step;

  if ((mode & PIX_COMBINE_CHANNELCOPY) == PIX_COMBINE_CHANNELCOPY) return ChannelCopy(a, mode);

  // A blend that reads pixels it has already written (a bitmap onto itself) works from a copy
  // of the source area instead. A failed copy draws nothing.
  KIT_TypedBuf<PIX_pixel> scratch;
  auto detach = [&]() -> bool {
    if (!Overlaps(a)) return true;
    PIX_pixel* tmp = scratch.Resize(a.w * a.h);
    if (!tmp || scratch.GetSize() < a.w * a.h) return false;
    for (int y = 0; y < a.h; ++y) memcpy(tmp + y * a.w, a.s + y * a.sstep, static_cast<size_t>(a.w) * 4);
    a.s = tmp;
    a.sstep = a.w;
    return true;
  };

  if ((mode & PIX_RULE_MASK) == PIX_COMBINE_COPY) {
    if (alpha == 1.0f) return CopyRows(a);
    if (alpha == 0.5f) {
      if (detach()) HalfMixRows(a);
      return;
    }
  }
  const int ia = PIX_Weight(alpha);
  if (ia == 0) return;
  if ((mode & PIX_RULE_MASK) == PIX_COMBINE_COPY && ia == 256) return CopyRows(a);
  const pix::kernels::BlendRow row = pix::kernels::RuleRow(mode, ia);
  if (!row || !detach()) return;
  RunRows(a, row, ia);
}

void PIX_Blit(PIX_IBitmap* dest, const PIX_IBitmap* src, int dstx, int dsty, int srcx, int srcy, int srcw, int srch,
              float alpha, int mode) {
  const long long r = static_cast<long long>(srcx) + srcw, b = static_cast<long long>(srcy) + srch;
  RECT rc = {srcx, srcy, r > INT_MAX ? INT_MAX : static_cast<int>(r), b > INT_MAX ? INT_MAX : static_cast<int>(b)};
  PIX_Blit(dest, src, dstx, dsty, &rc, alpha, mode);
}

void PIX_Copy(PIX_IBitmap* dest, const PIX_IBitmap* src) {
  if (!dest || !src) return;
  dest->resize(src->getWidth(), src->getHeight());
  PIX_Blit(dest, src, 0, 0, nullptr, 1.0f, 0);
}
