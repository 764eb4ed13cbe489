#include "pix/pix_scaled_fast.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "kit/heapbuf.h"
#include "pix/kernels/kernels.h"

namespace pix {
namespace {

using kernels::BlendRow;
using kernels::ScaleKernels;

void StoreRow(PIX_pixel* d, const PIX_pixel* s, int n, int) { memcpy(d, s, static_cast<size_t>(n) * 4); }

// The row kernel that combines a row of samples into the destination; StoreRow for a plain copy,
// null when nothing is drawn.
BlendRow CombineRow(int mode, int ia) {
  if ((mode & PIX_RULE_MASK) == PIX_COMBINE_COPY && ia == 256) return StoreRow;
  return kernels::RuleRow(mode, ia);
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

// A buffer of each thread's that keeps its largest size, so that blits after the first on a
// thread allocate nothing.
template <class T> T* Scratch(KIT_TypedBuf<T>& buf, long long count) {
  if (count > 0x1fffffff) return nullptr;
  if (buf.GetSize() < count) buf.Resize(static_cast<int>(count));
  return buf.GetSize() >= count ? buf.Get() : nullptr;
}

// The scratch arrays of the sampling paths, one set per thread.
struct SampleScratch {
  KIT_TypedBuf<PIX_pixel> samples;          // one row of samples
  KIT_TypedBuf<int> sourceColumn;           // each column's source pixel, plain scaling
  KIT_TypedBuf<uint32_t> columnFraction;    // and its fraction
  KIT_TypedBuf<uint64_t> columnWeights;     // per-column weights of the current row
  KIT_TypedBuf<kernels::BilinearBlock> blocks;
};
thread_local SampleScratch tScratch;

// Plain scaling whose rows the blocks sample whole, window edges included: the last row, taken
// as its own lower neighbour, cancels the vertical terms and leaves the last row's rule. The n
// columns from first, all inside the window, have source pixels xs and fractions xf. False when
// the columns do not form blocks.
bool BlockScale(const ScaleKernels& kern, PIX_pixel* dest, ptrdiff_t dstep, int h, const DeltaSteps& st,
                const Window& win, int ia, BlendRow row, PIX_pixel* samples, long long first, int n, const int* xs,
                const uint32_t* xf) {
  if (n <= 0) return true;
  kernels::BilinearBlock* blocks = Scratch(tScratch.blocks, (n + 7) / 8 * 2);
  if (!blocks || !kern.bilinearBlocks(xs, xf, n, win.w, blocks)) return false;
  const bool direct = row == StoreRow;  // a plain copy lands in the destination directly
  const long long H = static_cast<long long>(win.h) << 16;
  long long t = st.t;
  for (; h > 0; --h, dest += dstep, t += st.dtdy) {
    if (t < 0 || t >= H) continue;
    const int y = static_cast<int>(t >> 16);
    PIX_pixel* target = (direct ? dest : samples) + first;
    kern.bilinearBlockRow(win.row(y), win.row(y == win.h - 1 ? y : y + 1), blocks, n, static_cast<int>(t & 0xFFFF),
                       target);
    if (!direct) row(dest + first, target, n, ia);
  }
  return true;
}

bool SaneSteps(const DeltaSteps& st, int w, int h) {
  const long long rows = h;
  return Sane(st.s) && Sane(st.t) && Sane(st.dsdx) && Sane(st.dtdx) && Sane(st.dsdy) && Sane(st.dtdy) &&
         Sane(st.dsdxdy) && Sane(st.dtdxdy) && Sane(st.dsdy * rows) && Sane(st.dtdy * rows) &&
         Sane(st.dsdxdy * rows) && Sane(st.dtdxdy * rows) && Sane((st.dsdx + st.dsdxdy * rows) * w) &&
         Sane((st.dtdx + st.dtdxdy * rows) * w);
}

}  // namespace

bool FastBilinearDelta(PIX_pixel* dest, ptrdiff_t dstep, int w, int h, const DeltaSteps& st, const Window& win, int ia,
                       int mode) {
  const ScaleKernels* kp = kernels::Active().scale;
  if (!kp || (mode & 0xFF00) != PIX_FILTER_BILINEAR) return false;
  const ScaleKernels& kern = *kp;
  // Positions far outside any window, or steps that grow without bound, stay with the scalar
  // loop, which steps them in wrapping arithmetic.
  if (!SaneSteps(st, w, h)) return false;
  const BlendRow row = CombineRow(mode, ia);
  if (!row) return true;
  PIX_pixel* samples = Scratch(tScratch.samples, w);
  if (!samples) return false;
  // Plain scaling steps only across columns and down rows: every row samples the same columns,
  // so their positions and fractions are worked out once.
  const bool scaling = kern.bilinearScaleRow && st.dtdx == 0 && st.dsdy == 0 && st.dsdxdy == 0 && st.dtdxdy == 0;
  const bool direct = row == StoreRow;  // a plain copy lands in the destination directly
  const long long W = static_cast<long long>(win.w) << 16, H = static_cast<long long>(win.h) << 16;
  // Columns whose sample lies inside the window, and those whose right neighbour does too, when
  // every row shares them (plain scaling).
  long long insideFrom = 0, insideTo = w, innerFrom = 0, innerTo = w;
  int* sourceColumn = nullptr;
  uint32_t* columnFraction = nullptr;
  uint64_t* columnWeights = nullptr;
  if (scaling) {
    Narrow(st.s, st.dsdx, 0, W, insideFrom, insideTo);
    Narrow(st.s, st.dsdx, 0, W - 65536, innerFrom, innerTo);
    sourceColumn = Scratch(tScratch.sourceColumn, w);
    columnFraction = Scratch(tScratch.columnFraction, w);
    if (!sourceColumn || !columnFraction) return false;
    for (long long x = insideFrom; x < insideTo; ++x) {
      const long long pos = st.s + x * st.dsdx;
      sourceColumn[x] = static_cast<int>(pos >> 16), columnFraction[x] = static_cast<uint32_t>(pos & 0xFFFF);
    }
    if (kern.bilinearBlocks && BlockScale(kern, dest, dstep, h, st, win, ia, row, samples, insideFrom,
                                       static_cast<int>(insideTo - insideFrom), sourceColumn + insideFrom,
                                       columnFraction + insideFrom))
      return true;
    // The per-pixel gather's weights, worked out a row at a time.
    columnWeights = Scratch(tScratch.columnWeights, w);
    if (!columnWeights) return false;
  }
  DeltaSteps pos = st;
  Channels edge;
  for (; h > 0; --h, dest += dstep) {
    PIX_pixel* target = direct ? dest : samples;
    // Columns [from, to) sample inside the window; [runFrom, runTo) have their right and lower
    // neighbours inside too and go through the vector kernels.
    long long from = 0, to = w;
    if (scaling) from = insideFrom, to = insideTo;
    else Narrow(pos.s, pos.dsdx, 0, W, from, to);
    Narrow(pos.t, pos.dtdx, 0, H, from, to);
    long long runFrom = from, runTo = to;
    if (scaling) runFrom = std::max(runFrom, innerFrom), runTo = std::max(runFrom, std::min(runTo, innerTo));
    else Narrow(pos.s, pos.dsdx, 0, W - 65536, runFrom, runTo);
    Narrow(pos.t, pos.dtdx, 0, H - 65536, runFrom, runTo);
    if (runTo <= runFrom) runFrom = runTo = to;
    for (long long x = from; x < to; ++x) {
      if (x == runFrom) {
        const long long s = pos.s + runFrom * pos.dsdx, t = pos.t + runFrom * pos.dtdx;
        const int n = static_cast<int>(runTo - runFrom);
        if (scaling && runFrom == innerFrom && runTo == innerTo) {
          const int yf = static_cast<int>(t & 0xFFFF);
          kern.bilinearScaleWeights(columnFraction + runFrom, yf, n, columnWeights + runFrom);
          kern.bilinearScaleRow(win.row(t >> 16), win.row((t >> 16) + 1), sourceColumn + runFrom,
                             columnWeights + runFrom, n, target + runFrom);
        } else {
          kern.bilinearRun(win, s, t, pos.dsdx, pos.dtdx, n, target + runFrom);
        }
        x = runTo - 1;
        continue;
      }
      const long long s = pos.s + x * pos.dsdx, t = pos.t + x * pos.dtdx;
      Bilinear(win, s >> 16, t >> 16, static_cast<int>(s & 0xFFFF), static_cast<int>(t & 0xFFFF), edge);
      target[x] = PIX_RGBA(edge.c[2], edge.c[1], edge.c[0], edge.c[3]);
    }
    if (to > from && !direct) row(dest + from, samples + from, static_cast<int>(to - from), ia);
    pos.s += pos.dsdy, pos.t += pos.dtdy, pos.dsdx += pos.dsdxdy, pos.dtdx += pos.dtdxdy;
  }
  return true;
}

bool FastNearestScale(PIX_pixel* dest, ptrdiff_t dstep, int w, int h, long long curx, long long cury, long long idx,
                      long long idy, const Window& win, int ia, int mode) {
  if (!Sane(curx) || !Sane(cury) || !Sane(idx) || !Sane(idy) || !Sane(idx * w) || !Sane(idy * h)) return false;
  const BlendRow row = CombineRow(mode, ia);
  if (!row) return true;
  const kernels::ScaleKernels* kp = kernels::Active().scale;
  const auto gather = kp ? kp->gather : scalar::Gather;
  const auto over = kp && (mode & PIX_RULE_MASK) == PIX_FLAG_SOURCE_ALPHA && ia == 256 ? kp->nearestOver : nullptr;
  long long from = 0, to = w;
  Narrow(curx, idx, 0, static_cast<long long>(win.w) << 16, from, to);
  if (to <= from) return true;
  const int n = static_cast<int>(to - from);
  // Every row samples the same columns: gather each row's pixels, then one kernel call combines them.
  int* column = Scratch(tScratch.sourceColumn, n);
  PIX_pixel* samples = Scratch(tScratch.samples, n);
  if (!column || !samples) return false;
  for (int i = 0; i < n; ++i) column[i] = static_cast<int>((curx + (from + i) * idx) >> 16);
  for (dest += from; h > 0; --h, dest += dstep, cury += idy) {
    const long long y = cury >> 16;
    if (static_cast<unsigned long long>(y) >= static_cast<unsigned long long>(win.h)) continue;
    if (over) {
      over(dest, win.row(y), column, n);
    } else {
      gather(win.row(y), column, n, samples);
      row(dest, samples, n, ia);
    }
  }
  return true;
}

namespace {

// The arrays of one reduction, carved from one allocation: the row of results, each result's
// first column and column count, and the zeroed sums the kernels take, which are either two
// 32-byte aligned column planes (xs and os) of the given number of entries or sumCount 16-bit
// column sums (col).
struct BoxScratch {
  explicit BoxScratch(KIT_TypedBuf<uint32_t>& b) : buf(b) {}
  KIT_TypedBuf<uint32_t>& buf;
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
    uint32_t* p = Scratch(buf, total);
    if (!p) return false;
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

thread_local KIT_TypedBuf<uint32_t> tBoxBuffer;

}  // namespace

bool FastBoxScale(PIX_pixel* dest, ptrdiff_t dstep, int w, int h, long long curx, long long cury, long long idx,
                  long long idy, const Window& win, int size, int ia, int mode) {
  const ScaleKernels* kp = kernels::Active().scale;
  if (!kp || !Sane(curx) || !Sane(cury) || !Sane(idx) || !Sane(idy) ||
      !Sane(idx * w) || !Sane(idy * h))
    return false;
  const ScaleKernels& kern = *kp;
  const BlendRow row = CombineRow(mode, ia);
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
  BoxScratch scratch(tBoxBuffer);
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
      kern.boxRowStep4 && size == 5 && idx == 4 << 16 && whole > 0 && win.w >= 8 && win.h >= 2 && c0 / 8 * 8 >= org;
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
    if (step4) {
      kern.columnPlanes(win, y0, y1, c0, c1, org, xs, os);
      const uint16_t* recip = kernels::kBoxReciprocal18.v;
      kern.boxRowStep4(xs + runStart, os + runStart, static_cast<int>(b - a), recip[rowsUsed * 5],
                       recip[rowsUsed * count[a]], recip[rowsUsed * count[b - 1]], target + a);
    } else {
      kern.columnSums(win, y0, y1, c0, c1, col);
      kern.boxResults(col, first + a, count + a, static_cast<int>(b - a), size, rowsUsed, target + a);
    }
    if (!direct) row(dest + a, out + a, static_cast<int>(b - a), ia);
  }
  return true;
}


}  // namespace pix
