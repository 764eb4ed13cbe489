#include "pix/pix_loops.h"

namespace pix {

bool GetSurface(const PIX_IBitmap* bm, Surface& s) {
  if (!bm) return false;
  s.bits = bm->getBits();
  s.w = bm->getWidth();
  s.h = bm->getHeight();
  const int span = bm->getRowSpan();
  if (!s.bits || s.w <= 0 || s.h <= 0 || span <= 0) return false;
  s.step = span;
  if (bm->isFlipped()) {
    s.bits += static_cast<ptrdiff_t>(s.h - 1) * span;
    s.step = -static_cast<ptrdiff_t>(span);
  }
  return true;
}

bool ClipRect(const Surface& s, int& x, int& y, int& w, int& h) {
  long long lx = x, ly = y, lw = w, lh = h;
  if (lx < 0) lw += lx, lx = 0;
  if (ly < 0) lh += ly, ly = 0;
  if (lx >= s.w || ly >= s.h) return false;
  if (lw > s.w - lx) lw = s.w - lx;
  if (lh > s.h - ly) lh = s.h - ly;
  if (lw <= 0 || lh <= 0) return false;
  x = static_cast<int>(lx), y = static_cast<int>(ly), w = static_cast<int>(lw), h = static_cast<int>(lh);
  return true;
}

}  // namespace pix
