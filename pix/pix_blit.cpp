#include <algorithm>
#include <climits>
#include <cstring>

#include "kit/heapbuf.h"
#include "pix/pix.h"
#include "pix/pix_loops.h"
#include "pix/pix_simd.h"

namespace {

struct BlitArea {
  PIX_pixel* d;
  const PIX_pixel* s;
  int w, h;
  ptrdiff_t dstep, sstep;
};

void ChannelCopy(const BlitArea& a, int mode) {
  const int si = mode & 3, di = (mode >> 2) & 3;
  PIX_pixel* d = a.d;
  const PIX_pixel* s = a.s;
  for (int y = 0; y < a.h; ++y, d += a.dstep, s += a.sstep) {
    unsigned char* db = reinterpret_cast<unsigned char*>(d) + di;
    const unsigned char* sb = reinterpret_cast<const unsigned char*>(s) + si;
    for (int x = 0; x < a.w; ++x) db[x * 4] = sb[x * 4];
  }
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

using RowFn = void (*)(PIX_pixel* d, const PIX_pixel* s, int n, int alpha);

void RunRows(const BlitArea& a, RowFn fn, int alpha) {
  PIX_pixel* d = a.d;
  const PIX_pixel* s = a.s;
  for (int y = 0; y < a.h; ++y, d += a.dstep, s += a.sstep) fn(d, s, a.w, alpha);
}

#if defined(PIX_HAVE_SSE2)
void OverRow(PIX_pixel* d, const PIX_pixel* s, int n, int) { _PIX_SSE2_OverRow(d, s, n); }
#endif
#if defined(PIX_HAVE_AVX2_KERNELS)
void OverRowAvx2(PIX_pixel* d, const PIX_pixel* s, int n, int) { _PIX_AVX2_OverRow(d, s, n); }
void HalfMixRow(PIX_pixel* d, const PIX_pixel* s, int n, int) { _PIX_SSE2_HalfMixRow(d, s, n); }
#endif

void HalfMixRows(const BlitArea& a) {
#if defined(PIX_HAVE_SSE2)
  if (_PIX_SimdEnabled()) return RunRows(a, HalfMixRow, 0);
#endif
  PIX_pixel* d = a.d;
  const PIX_pixel* s = a.s;
  for (int y = 0; y < a.h; ++y, d += a.dstep, s += a.sstep)
    for (int x = 0; x < a.w; ++x) _PIX_CombinePixelsHalfMix2FAST::doPixFAST(d + x, s[x]);
}

template <class R> void Run(const BlitArea& a, int ia) {
  _PIX_Template_Blit2<R>::blit(a.d, a.s, a.w, a.h, a.dstep, a.sstep, ia);
}

// Blends through the rule the mode and weight select; false when they select none.
bool BlendRows(const BlitArea& a, int ia, int mode) {
  const int rule = mode & PIX_RULE_MASK;
  const int level = _PIX_SimdLevel();
  const bool simd = level >= PIX_SIMD_SSE2;
  const bool avx2 = level >= PIX_SIMD_AVX2;
  (void)simd;
  (void)avx2;
  if (rule == PIX_COMBINE_COPY) {
    if (ia < 0) return false;
    if (ia == 256) {
      CopyRows(a);
      return true;
    }
#if defined(PIX_HAVE_AVX2_KERNELS)
    if (avx2 && ia < 256) return RunRows(a, _PIX_AVX2_CopyRow, ia), true;
#endif
#if defined(PIX_HAVE_SSE2)
    if (simd && ia < 256) return RunRows(a, _PIX_SSE2_CopyRow, ia), true;
#endif
    Run<_PIX_CombinePixelsCopyNoClamp>(a, ia);
    return true;
  }
  if (rule == PIX_FLAG_SOURCE_ALPHA) {
    if (ia == 256) {
#if defined(PIX_HAVE_AVX2_KERNELS)
      if (avx2) return RunRows(a, OverRowAvx2, 256), true;
#endif
#if defined(PIX_HAVE_SSE2)
      if (simd) return RunRows(a, OverRow, 256), true;
#endif
      Run<_PIX_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp>(a, ia);
      return true;
    }
#if defined(PIX_HAVE_AVX2_KERNELS)
    if (avx2 && ia > 0 && ia < 256) return RunRows(a, _PIX_AVX2_CopySourceAlphaRow, ia), true;
#endif
#if defined(PIX_HAVE_SSE2)
    if (simd && ia > 0 && ia < 256) return RunRows(a, _PIX_SSE2_CopySourceAlphaRow, ia), true;
#endif
    Run<_PIX_CombinePixelsCopySourceAlphaNoClamp>(a, ia);
    return true;
  }
  return _PIX_DispatchBlendRule(mode, [&](auto tag) { Run<typename decltype(tag)::type>(a, ia); });
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
  _PIX_Surface ds, ss;
  if (!_PIX_GetSurface(dest, ds) || !_PIX_GetSurface(src, ss)) return;

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
  if (!detach()) return;
  BlendRows(a, ia, mode);
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
