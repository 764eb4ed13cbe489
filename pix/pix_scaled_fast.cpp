#include "pix/pix_scaled_fast.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "kit/heapbuf.h"
#include "pix/pix_simd.h"

// Out of line so that the AVX2 kernels call this baseline copy for their last columns.
void _PIX_ColumnSums(const _PIX_Window& win, int y0, int y1, int c0, int c1, uint16_t* col) {
  for (int c = c0; c <= c1; ++c) {
    unsigned t[4] = {0, 0, 0, 0};
    for (int r = y0; r <= y1; ++r) {
      const PIX_pixel v = win.row(r)[c];
      t[0] += v & 255, t[1] += (v >> 8) & 255, t[2] += (v >> 16) & 255, t[3] += v >> 24;
    }
    for (int i = 0; i < 4; ++i) col[c * 4 + i] = static_cast<uint16_t>(t[i]);
  }
}

#if defined(PIX_HAVE_SSE2)
#include <emmintrin.h>

namespace {

// Combines a row of samples into the destination.
using RowFn = void (*)(PIX_pixel* d, const PIX_pixel* s, int n, int alpha);

void StoreRow(PIX_pixel* d, const PIX_pixel* s, int n, int) { memcpy(d, s, static_cast<size_t>(n) * 4); }
void OverRow(PIX_pixel* d, const PIX_pixel* s, int n, int) { _PIX_SSE2_OverRow(d, s, n); }
#if defined(PIX_HAVE_AVX2_KERNELS)
void OverRowAvx2(PIX_pixel* d, const PIX_pixel* s, int n, int) { _PIX_AVX2_OverRow(d, s, n); }
#endif

template <class R> void RuleRow(PIX_pixel* d, const PIX_pixel* s, int n, int alpha) {
  for (int i = 0; i < n; ++i)
    R::doPix(reinterpret_cast<unsigned char*>(d + i), PIX_GETR(s[i]), PIX_GETG(s[i]), PIX_GETB(s[i]), PIX_GETA(s[i]),
             alpha);
}

// The row form of the rule _PIX_DispatchResampleRule picks; null when nothing is drawn.
RowFn PickRow(int mode, int ia, bool avx2) {
  (void)avx2;
  const int rule = mode & PIX_RULE_MASK;
  if (rule == PIX_COMBINE_COPY && ia > 0 && ia < 256) {
#if defined(PIX_HAVE_AVX2_KERNELS)
    if (avx2) return _PIX_AVX2_CopyRow;
#endif
    return _PIX_SSE2_CopyRow;
  }
  if (rule == PIX_FLAG_SOURCE_ALPHA && ia == 256) {
#if defined(PIX_HAVE_AVX2_KERNELS)
    if (avx2) return OverRowAvx2;
#endif
    return OverRow;
  }
  if (rule == PIX_FLAG_SOURCE_ALPHA && ia > 0 && ia < 256) {
#if defined(PIX_HAVE_AVX2_KERNELS)
    if (avx2) return _PIX_AVX2_CopySourceAlphaRow;
#endif
    return _PIX_SSE2_CopySourceAlphaRow;
  }
  if (rule == PIX_COMBINE_COPY && ia == 256) return StoreRow;
  RowFn fn = nullptr;
  _PIX_DispatchResampleRule(mode, ia, [&](auto tag) { fn = RuleRow<typename decltype(tag)::type>; });
  return fn;
}

long long FloorDiv(long long a, long long b) {  // b > 0
  const long long q = a / b;
  return (a % b != 0 && a < 0) ? q - 1 : q;
}

// The columns k in [k0, k1) of [k0, k1) for which lo <= s + k * ds < hi.
void Narrow(long long s, long long ds, long long lo, long long hi, long long& k0, long long& k1) {
  long long a, b;
  if (ds == 0) {
    a = 0, b = (s >= lo && s < hi) ? k1 : 0;
  } else if (ds > 0) {
    a = -FloorDiv(s - lo, ds), b = -FloorDiv(s - hi, ds);
  } else {
    a = FloorDiv(s - hi, -ds) + 1, b = FloorDiv(s - lo, -ds) + 1;
  }
  if (a > k0) k0 = a;
  if (b < k1) k1 = b;
  if (k1 < k0) k1 = k0;
}

bool Sane(long long v) { return v > -(1LL << 48) && v < (1LL << 48); }

#if defined(PIX_HAVE_AVX2_KERNELS)
// Plain scaling whose rows the blocks sample whole, window edges included: the last row, taken
// as its own lower neighbour, cancels the vertical terms and leaves the last row's rule. The n
// columns from a, all inside the window, have source pixels xs and fractions xf. False when
// the columns do not form blocks.
bool BlockScale(PIX_pixel* dest, ptrdiff_t dstep, int h, const _PIX_DeltaSteps& st, const _PIX_Window& win, int ia,
                RowFn row, PIX_pixel* out, long long a, int n, const int* xs, const uint32_t* xf) {
  if (n <= 0) return true;
  const int count = (n + 7) / 8 * 2;
  KIT_TypedBuf<_PIX_BilinearBlock> blockBuf;
  _PIX_BilinearBlock* blocks = blockBuf.Resize(count);
  if (!blocks || blockBuf.GetSize() < count || !_PIX_AVX2_BilinearBlocks(xs, xf, n, win.w, blocks)) return false;
  // A plain copy lands in the destination directly.
  const bool direct = row == StoreRow;
  const long long H = static_cast<long long>(win.h) << 16;
  long long t = st.t;
  for (; h > 0; --h, dest += dstep, t += st.dtdy) {
    if (t < 0 || t >= H) continue;
    const int y = static_cast<int>(t >> 16);
    PIX_pixel* target = (direct ? dest : out) + a;
    _PIX_AVX2_BilinearBlockRow(win.row(y), win.row(y == win.h - 1 ? y : y + 1), blocks, n,
                               static_cast<int>(t & 0xFFFF), target);
    if (!direct) row(dest + a, target, n, ia);
  }
  return true;
}
#endif

}  // namespace

bool _PIX_FastBilinearDelta(PIX_pixel* dest, ptrdiff_t dstep, int w, int h, const _PIX_DeltaSteps& st,
                            const _PIX_Window& win, int ia, int mode) {
  const int level = _PIX_SimdLevel();
  if (level < PIX_SIMD_SSE2 || (mode & 0xFF00) != PIX_FILTER_BILINEAR) return false;
  // Positions far outside any window, or steps that grow without bound, stay with the scalar
  // loop, which steps them in wrapping arithmetic.
  const long long rows = h;
  if (!Sane(st.s) || !Sane(st.t) || !Sane(st.dsdx) || !Sane(st.dtdx) || !Sane(st.dsdy) || !Sane(st.dtdy) ||
      !Sane(st.dsdxdy) || !Sane(st.dtdxdy) || !Sane(st.dsdy * rows) || !Sane(st.dtdy * rows) ||
      !Sane(st.dsdxdy * rows) || !Sane(st.dtdxdy * rows) || !Sane((st.dsdx + st.dsdxdy * rows) * w) ||
      !Sane((st.dtdx + st.dtdxdy * rows) * w))
    return false;
  const bool avx2 = level >= PIX_SIMD_AVX2;
  const RowFn row = PickRow(mode, ia, avx2);
  if (!row) return true;
  KIT_TypedBuf<PIX_pixel> buf;
  PIX_pixel* out = buf.Resize(w);
  if (!out || buf.GetSize() < w) return false;
  // Plain scaling steps only across columns and down rows: every row samples the same columns,
  // so their positions and fractions are worked out once.
  const bool scaling = avx2 && st.dtdx == 0 && st.dsdy == 0 && st.dsdxdy == 0 && st.dtdxdy == 0;
  // A plain copy lands in the destination directly.
  const bool direct = row == StoreRow;
  const long long W = static_cast<long long>(win.w) << 16, H = static_cast<long long>(win.h) << 16;
  KIT_TypedBuf<int> xsBuf;
  KIT_TypedBuf<uint32_t> xfBuf;
  KIT_TypedBuf<uint64_t> wBuf;
  long long sa = 0, sb = w, sc = 0, se = w;
  if (scaling) {
    Narrow(st.s, st.dsdx, 0, W, sa, sb);
    Narrow(st.s, st.dsdx, 0, W - 65536, sc, se);
    int* xs = xsBuf.Resize(w);
    uint32_t* xf = xfBuf.Resize(w);
    if (!xs || !xf || xsBuf.GetSize() < w || xfBuf.GetSize() < w) return false;
    for (long long k = sa; k < sb; ++k) {
      const long long pos = st.s + k * st.dsdx;
      xs[k] = static_cast<int>(pos >> 16), xf[k] = static_cast<uint32_t>(pos & 0xFFFF);
    }
#if defined(PIX_HAVE_AVX2_KERNELS)
    if (BlockScale(dest, dstep, h, st, win, ia, row, out, sa, static_cast<int>(sb - sa), xs + sa, xf + sa))
      return true;
#endif
    // The per-pixel gather's weights, worked out a row at a time.
    if (!wBuf.Resize(w) || wBuf.GetSize() < w) return false;
  }
  _PIX_DeltaSteps d = st;
  _PIX_Channels p;
  for (; h > 0; --h, dest += dstep) {
    PIX_pixel* target = direct ? dest : out;
    // Columns inside the window, and those whose right and lower neighbours are too; scaling
    // rows share their horizontal limits.
    long long a = 0, b = w;
    if (scaling) a = sa, b = sb;
    else Narrow(d.s, d.dsdx, 0, W, a, b);
    Narrow(d.t, d.dtdx, 0, H, a, b);
    long long c = a, e = b;
    if (scaling) c = std::max(c, sc), e = std::max(c, std::min(e, se));
    else Narrow(d.s, d.dsdx, 0, W - 65536, c, e);
    Narrow(d.t, d.dtdx, 0, H - 65536, c, e);
    if (e <= c) c = e = b;
    for (long long k = a; k < b; ++k) {
      if (k == c) {
        const long long s = d.s + c * d.dsdx, t = d.t + c * d.dtdx;
        const int n = static_cast<int>(e - c);
#if defined(PIX_HAVE_AVX2_KERNELS)
        if (scaling && c == sc && e == se) {
          const PIX_pixel *r0 = win.row(t >> 16), *r1 = win.row((t >> 16) + 1);
          const int yf = static_cast<int>(t & 0xFFFF);
          _PIX_AVX2_BilinearScaleWeights(xfBuf.Get() + c, yf, n, wBuf.Get() + c);
          _PIX_AVX2_BilinearScaleRow(r0, r1, xsBuf.Get() + c, wBuf.Get() + c, n, target + c);
        } else if (avx2) {
          _PIX_AVX2_BilinearRun(win, s, t, d.dsdx, d.dtdx, n, target + c);
        } else
#endif
          _PIX_SSE2_BilinearRun(win, s, t, d.dsdx, d.dtdx, n, target + c);
        k = e - 1;
        continue;
      }
      const long long s = d.s + k * d.dsdx, t = d.t + k * d.dtdx;
      _PIX_Bilinear(win, s >> 16, t >> 16, static_cast<int>(s & 0xFFFF), static_cast<int>(t & 0xFFFF), p);
      target[k] = PIX_RGBA(p.c[2], p.c[1], p.c[0], p.c[3]);
    }
    if (b > a && !direct) row(dest + a, out + a, static_cast<int>(b - a), ia);
    d.s += d.dsdy, d.t += d.dtdy, d.dsdx += d.dsdxdy, d.dtdx += d.dtdxdy;
  }
  return true;
}

namespace {

// cvttps of an exactly held sum: the integer division by 65536 of the scalar rule.
inline __m128i Bilerp(const PIX_pixel* p, ptrdiff_t step, int xf, int yf) {
  const int f11 = static_cast<int>((static_cast<unsigned>(xf) * static_cast<unsigned>(yf)) >> 16);
  const __m128 f = _mm_cvtepi32_ps(_mm_setr_epi32(65536 - xf - yf + f11, xf - f11, yf - f11, f11));
  const __m128i z = _mm_setzero_si128();
  const __m128i top = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)), z);
  const __m128i bot = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p + step)), z);
  // Every product and partial sum is an integer below 2^24, so float holds them exactly.
  __m128 sum = _mm_mul_ps(_mm_cvtepi32_ps(_mm_unpacklo_epi16(top, z)), _mm_shuffle_ps(f, f, 0x00));
  sum = _mm_add_ps(sum, _mm_mul_ps(_mm_cvtepi32_ps(_mm_unpackhi_epi16(top, z)), _mm_shuffle_ps(f, f, 0x55)));
  sum = _mm_add_ps(sum, _mm_mul_ps(_mm_cvtepi32_ps(_mm_unpacklo_epi16(bot, z)), _mm_shuffle_ps(f, f, 0xAA)));
  sum = _mm_add_ps(sum, _mm_mul_ps(_mm_cvtepi32_ps(_mm_unpackhi_epi16(bot, z)), _mm_shuffle_ps(f, f, 0xFF)));
  return _mm_cvttps_epi32(_mm_mul_ps(sum, _mm_set1_ps(1.0f / 65536.0f)));
}

}  // namespace

void _PIX_SSE2_BilinearRun(const _PIX_Window& win, long long s, long long t, long long ds, long long dt, int n,
                           PIX_pixel* out) {
  int k = 0;
  for (; k + 2 <= n; k += 2, s += 2 * ds, t += 2 * dt) {
    const long long s1 = s + ds, t1 = t + dt;
    const __m128i a = Bilerp(win.row(t >> 16) + (s >> 16), win.step, int(s & 0xFFFF), int(t & 0xFFFF));
    const __m128i b = Bilerp(win.row(t1 >> 16) + (s1 >> 16), win.step, int(s1 & 0xFFFF), int(t1 & 0xFFFF));
    const __m128i ab = _mm_packs_epi32(a, b);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + k), _mm_packus_epi16(ab, ab));
  }
  if (k < n) {
    const __m128i a = Bilerp(win.row(t >> 16) + (s >> 16), win.step, int(s & 0xFFFF), int(t & 0xFFFF));
    const __m128i aa = _mm_packs_epi32(a, a);
    out[k] = static_cast<PIX_pixel>(_mm_cvtsi128_si32(_mm_packus_epi16(aa, aa)));
  }
}

namespace {

inline __m128i Load4(const uint16_t* p) { return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)); }

// ceil(2^18 / n): for sums up to 255 n, (sum * it) >> 18 is the integer division by n (n <= 25;
// below 5 it does not fit 16 bits).
struct Reciprocals {
  uint16_t v[26] = {};
  constexpr Reciprocals() {
    for (int n = 5; n < 26; ++n) v[n] = static_cast<uint16_t>(((1 << 18) + n - 1) / n);
  }
  constexpr uint16_t operator[](int n) const { return v[n]; }
};
constexpr Reciprocals kReciprocal18;

void SSE2ColumnSums(const _PIX_Window& win, int y0, int y1, int c0, int c1, uint16_t* col) {
  const __m128i z = _mm_setzero_si128();
  int c = c0;
  for (; c + 4 <= c1 + 1; c += 4) {
    __m128i lo = z, hi = z;
    for (int r = y0; r <= y1; ++r) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(win.row(r) + c));
      lo = _mm_add_epi16(lo, _mm_unpacklo_epi8(v, z));
      hi = _mm_add_epi16(hi, _mm_unpackhi_epi8(v, z));
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(col + c * 4), lo);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(col + c * 4 + 8), hi);
  }
  _PIX_ColumnSums(win, y0, y1, c, c1, col);
}

// The four 16-bit channel sums in the low half of sum divided by n (1 to 25), truncating.
PIX_pixel DivideSums(__m128i sum, int n) {
  __m128i v;
  if (n >= 5) {
    v = _mm_srli_epi16(_mm_mulhi_epu16(sum, _mm_set1_epi16(static_cast<short>(kReciprocal18[n]))), 2);
  } else {
    // The float quotient of two small integers is within far less than 1 / n of the exact
    // one, so truncating it divides exactly too.
    const __m128i z = _mm_setzero_si128();
    const __m128 q = _mm_div_ps(_mm_cvtepi32_ps(_mm_unpacklo_epi16(sum, z)), _mm_set1_ps(static_cast<float>(n)));
    v = _mm_packs_epi32(_mm_cvttps_epi32(q), z);
  }
  return static_cast<PIX_pixel>(_mm_cvtsi128_si32(_mm_packus_epi16(v, v)));
}

// The arrays of one reduction, carved from one allocation: the row of results, each result's
// first column and column count, and the zeroed sums the kernels take, which are either two
// 32-byte aligned column planes (xs and os) of the given number of entries or sumCount 16-bit
// column sums (col).
struct BoxScratch {
  KIT_TypedBuf<uint32_t> buf;
  PIX_pixel* out = nullptr;
  int* first = nullptr;
  int* count = nullptr;
  uint32_t* xs = nullptr;
  uint32_t* os = nullptr;
  uint16_t* col = nullptr;
  bool Make(int w, long long entries, long long sumCount) {
    const long long stride = (entries + 7) / 8 * 8;
    const long long sumWords = std::max(2 * stride, (sumCount + 1) / 2);
    const long long total = 3LL * w + 8 + sumWords;
    if (total > 0x1fffffff) return false;
    uint32_t* p = buf.Resize(static_cast<int>(total));
    if (!p || buf.GetSize() < total) return false;
    out = p;
    first = reinterpret_cast<int*>(p + w);
    count = first + w;
    uint32_t* sums = p + 3LL * w;
    sums += (8 - (reinterpret_cast<uintptr_t>(sums) / sizeof(uint32_t)) % 8) % 8;
    memset(sums, 0, static_cast<size_t>(sumWords) * sizeof(uint32_t));
    xs = sums;
    os = sums + stride;
    col = reinterpret_cast<uint16_t*>(sums);
    return true;
  }
};

}  // namespace

bool _PIX_FastBoxScale(PIX_pixel* dest, ptrdiff_t dstep, int w, int h, long long curx, long long cury,
                       long long idx, long long idy, const _PIX_Window& win, int size, int ia, int mode) {
  if (_PIX_SimdLevel() < PIX_SIMD_SSE2 || !Sane(curx) || !Sane(cury) || !Sane(idx) || !Sane(idy) ||
      !Sane(idx * w) || !Sane(idy * h))
    return false;
  const bool avx2 = _PIX_SimdLevel() >= PIX_SIMD_AVX2;
  const RowFn row = PickRow(mode, ia, avx2);
  if (!row) return true;
  const int half = size / 2;
  const long long W = static_cast<long long>(win.w) << 16;
  long long a = 0, b = w;
  Narrow(curx, idx, 0, W, a, b);
  if (b <= a) return true;
  // The planes start at most 16 entries before the window, and the run of kernels at most 23
  // entries into them, reading below (n + 7) / 8 * 32 + 12 entries on for n kernels; the column
  // sums hold four 16-bit channels per column (at most 5 * 255 each), padded for the four-pixel
  // steps.
  const long long planeEntries = std::max(win.w + 16LL, 23 + (w + 7LL) / 8 * 32 + 12);
  BoxScratch scratch;
  if (!scratch.Make(w, planeEntries, (win.w + 4LL) * 4)) return false;
  PIX_pixel* const out = scratch.out;
  int* const first = scratch.first;
  int* const count = scratch.count;
  // Whole kernels form one run of columns, since the kernel centre moves one way.
  long long wholeFrom = b, wholeTo = b;
  for (long long k = a; k < b; ++k) {
    const long long cx = (curx + k * idx) >> 16;
    const int x0 = static_cast<int>(cx - half < 0 ? 0 : cx - half);
    const int x1 = static_cast<int>(cx + half >= win.w ? win.w - 1 : cx + half);
    first[k] = x0, count[k] = x1 - x0 + 1;
    if (count[k] == size) {
      if (wholeFrom == b) wholeFrom = k;
      wholeTo = k + 1;
    }
  }
  const int c0 = std::min(first[a], first[b - 1]);
  const int c1 = std::max(first[a] + count[a], first[b - 1] + count[b - 1]) - 1;
  const int whole = static_cast<int>(wholeTo - wholeFrom);
  // 5 x 5 kernels four columns apart (a reduction to a quarter) are summed from column planes,
  // eight kernels at a time. The planes start at a multiple of 8 entries, 16 to 23 before the
  // first whole kernel, so that the eight-column steps store whole aligned vectors. Each edge
  // cuts at most one kernel, to no fewer than 3 columns; from 2 rows on, every count has its
  // 18-bit reciprocal.
  const int org = whole > 0 ? (first[wholeFrom] - 16) & ~7 : 0;
  // The run's first plane entry: the first whole kernel's, or that of the cut kernel before it.
  const int runStart = whole > 0 ? first[wholeFrom] - org - 4 * static_cast<int>(wholeFrom - a) : 0;
  const bool step4 =
      avx2 && size == 5 && idx == 4 << 16 && whole > 0 && win.w >= 8 && win.h >= 2 && c0 / 8 * 8 >= org;
  uint32_t* const xs = scratch.xs;
  uint32_t* const os = scratch.os;
  uint16_t* const col = scratch.col;
  // A plain copy lands in the destination directly.
  const bool direct = row == StoreRow;
  for (; h > 0; --h, dest += dstep, cury += idy) {
    const long long y = cury >> 16;
    if (static_cast<unsigned long long>(y) >= static_cast<unsigned long long>(win.h)) continue;
    const int y0 = static_cast<int>(y - half < 0 ? 0 : y - half);
    const int y1 = static_cast<int>(y + half >= win.h ? win.h - 1 : y + half);
    const int rowsUsed = y1 - y0 + 1;
    PIX_pixel* target = direct ? dest : out;
#if defined(PIX_HAVE_AVX2_KERNELS)
    if (step4) {
      _PIX_AVX2_ColumnPlanes(win, y0, y1, c0, c1, org, xs, os);
      _PIX_AVX2_BoxRowStep4(xs + runStart, os + runStart, static_cast<int>(b - a), kReciprocal18[rowsUsed * 5],
                            kReciprocal18[rowsUsed * count[a]], kReciprocal18[rowsUsed * count[b - 1]], target + a);
      if (!direct) row(dest + a, out + a, static_cast<int>(b - a), ia);
      continue;
    }
    if (avx2) {
      _PIX_AVX2_ColumnSums(win, y0, y1, c0, c1, col);
    } else
#endif
      SSE2ColumnSums(win, y0, y1, c0, c1, col);
    for (long long k = a; k < b; ++k) {
#if defined(PIX_HAVE_AVX2_KERNELS)
      if (avx2 && k == wholeFrom && rowsUsed * size >= 5) {
        _PIX_AVX2_BoxRow(col, first + k, whole, size, kReciprocal18[rowsUsed * size], target + k);
        k = wholeTo - 1;
        continue;
      }
#endif
      const uint16_t* cp = col + first[k] * 4;
      __m128i sum;
      if (count[k] == size) {
        sum = _mm_add_epi16(Load4(cp), _mm_add_epi16(Load4(cp + 4), Load4(cp + 8)));
        if (size == 5) sum = _mm_add_epi16(sum, _mm_add_epi16(Load4(cp + 12), Load4(cp + 16)));
      } else {
        sum = _mm_setzero_si128();
        for (int x = 0; x < count[k]; ++x, cp += 4) sum = _mm_add_epi16(sum, Load4(cp));
      }
      target[k] = DivideSums(sum, rowsUsed * count[k]);
    }
    if (!direct) row(dest + a, out + a, static_cast<int>(b - a), ia);
  }
  return true;
}

#else
bool _PIX_FastBilinearDelta(PIX_pixel*, ptrdiff_t, int, int, const _PIX_DeltaSteps&, const _PIX_Window&, int, int) {
  return false;
}
bool _PIX_FastBoxScale(PIX_pixel*, ptrdiff_t, int, int, long long, long long, long long, long long,
                       const _PIX_Window&, int, int, int) {
  return false;
}
#endif
