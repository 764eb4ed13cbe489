// Built with -mavx2; called only after the CPU check. Everything here but the kernels' entry
// points has internal linkage, and nothing inline from other headers (the standard library's
// included) is used: the linker could otherwise keep this file's AVX2 copy for every caller.
#include <immintrin.h>

#include <cstring>

#include "pix/kernels/avx2.h"
#include "pix/pix_window.h"

namespace pix {
namespace avx2 {
namespace {

inline int Min(int a, int b) { return b < a ? b : a; }
inline int Max(int a, int b) { return a < b ? b : a; }

// win.row(y), computed here (see above).
inline const uint32_t* Row(const Window& win, long long y) { return win.bits + static_cast<ptrdiff_t>(y) * win.step; }

// A kernel's row count as a type, so that loops can be unrolled for each count.
template <int N> struct RowCount {
  constexpr int operator()() const { return N; }
};

// One pixel's four weights (top-left, top-right, bottom-left, bottom-right) as floats.
inline __m256 Weights(long long s, long long t) {
  const int xf = int(s & 0xFFFF), yf = int(t & 0xFFFF);
  const int f11 = int((unsigned(xf) * unsigned(yf)) >> 16);
  return _mm256_castps128_ps256(_mm_cvtepi32_ps(_mm_setr_epi32(65536 - xf - yf + f11, xf - f11, yf - f11, f11)));
}

// The weighted top and bottom pairs of one pixel: [c00 f00 + c01 f01 | c10 f10 + c11 f11]. Every
// product and partial sum is an integer below 2^24, so float holds them exactly.
inline __m256 Pair(const uint32_t* p, ptrdiff_t step, __m256 f) {
  const __m256i lo = _mm256_setr_epi32(0, 0, 0, 0, 1, 1, 1, 1), hi = _mm256_setr_epi32(2, 2, 2, 2, 3, 3, 3, 3);
  const __m256 top = _mm256_cvtepi32_ps(_mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p))));
  const __m256 bot =
      _mm256_cvtepi32_ps(_mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p + step))));
  return _mm256_add_ps(_mm256_mul_ps(top, _mm256_permutevar8x32_ps(f, lo)),
                       _mm256_mul_ps(bot, _mm256_permutevar8x32_ps(f, hi)));
}

}  // namespace

void BilinearRun(const Window& win, long long s, long long t, long long ds, long long dt, int n, uint32_t* out) {
  const __m256 scale = _mm256_set1_ps(1.0f / 65536.0f);
  int k = 0;
  for (; k + 2 <= n; k += 2, s += 2 * ds, t += 2 * dt) {
    const long long s1 = s + ds, t1 = t + dt;
    const __m256 a = Pair(Row(win, t >> 16) + (s >> 16), win.step, Weights(s, t));
    const __m256 b = Pair(Row(win, t1 >> 16) + (s1 >> 16), win.step, Weights(s1, t1));
    const __m256 sum = _mm256_add_ps(_mm256_permute2f128_ps(a, b, 0x20), _mm256_permute2f128_ps(a, b, 0x31));
    const __m256i q = _mm256_cvttps_epi32(_mm256_mul_ps(sum, scale));
    const __m128i w = _mm_packs_epi32(_mm256_castsi256_si128(q), _mm256_extracti128_si256(q, 1));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + k), _mm_packus_epi16(w, w));
  }
  if (k < n) sse2::BilinearRun(win, s, t, ds, dt, n - k, out + k);
}


// Scaling in 16-bit integer lanes. With A = c10 - c00, B = c01 - c00, C = c11 - c10 - c01 + c00 and
// S = c00 + c11, the weighted sum c00 f00 + c10 f10 + c01 f01 + c11 f11 equals
// 65536 c00 + xf A + yf B + f11 C, and with the fractions offset by 32768 to fit signed 16 bits it
// is (xf' A + yf' B) + (f11' C + -32768 * -S): two pair-multiply-adds and one add, exactly.
void BilinearScaleWeights(const uint32_t* xf, int yf, int n, uint64_t* w) {
  const __m256i y = _mm256_set1_epi32(yf);
  const __m256i flip = _mm256_set1_epi32(0x8000);
  const __m256i yhigh = _mm256_set1_epi32(static_cast<int>(static_cast<uint32_t>(yf ^ 0x8000) << 16));
  const __m256i minus32768 = _mm256_set1_epi32(static_cast<int>(0x80000000u));
  int k = 0;
  for (; k + 8 <= n; k += 8) {
    const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(xf + k));
    const __m256i f11 = _mm256_mulhi_epu16(x, y);  // (xf * yf) >> 16, high halves stay 0
    const __m256i w1 = _mm256_or_si256(_mm256_xor_si256(x, flip), yhigh);
    const __m256i w2 = _mm256_or_si256(_mm256_xor_si256(f11, flip), minus32768);
    const __m256i lo = _mm256_unpacklo_epi32(w1, w2), hi = _mm256_unpackhi_epi32(w1, w2);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(w + k), _mm256_permute2x128_si256(lo, hi, 0x20));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(w + k + 4), _mm256_permute2x128_si256(lo, hi, 0x31));
  }
  for (; k < n; ++k) {
    const uint32_t f11 = (xf[k] * static_cast<uint32_t>(yf)) >> 16;
    w[k] = ((xf[k] ^ 0x8000u) | (static_cast<uint32_t>(yf ^ 0x8000) << 16)) |
           (static_cast<uint64_t>((f11 ^ 0x8000u) | 0x80000000u) << 32);
  }
}

namespace {

inline __m128i LoadPair(const uint32_t* a, const uint32_t* b) {
  const __m128d lo = _mm_castsi128_pd(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(a)));
  return _mm_castpd_si128(_mm_loadh_pd(lo, reinterpret_cast<const double*>(b)));
}

// Byte shuffles of the results below into the low or the high eight bytes of each lane.
inline __m256i PlaceLow() {
  return _mm256_setr_epi8(0, 4, 8, 12, 2, 6, 10, 14, -1, -1, -1, -1, -1, -1, -1, -1, 0, 4, 8, 12, 2, 6, 10, 14, -1, -1,
                          -1, -1, -1, -1, -1, -1);
}
inline __m256i PlaceHigh() {
  return _mm256_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, 0, 4, 8, 12, 2, 6, 10, 14, -1, -1, -1, -1, -1, -1, -1, -1, 0,
                          4, 8, 12, 2, 6, 10, 14);
}

// Four samples with every 16-bit lane in use: the corners of pixels p and q fill the low halves
// of the two 128-bit lanes, those of r and s the high ones. w1 and w2 hold the two weight dwords
// of pixels p | q (pq) and r | s (rs), four times each. The results come out as p, r | q, s in
// the eight bytes of each lane that place (PlaceLow or PlaceHigh) picks, the others zero.
inline __m256i Combine4Bytes(__m256i c00, __m256i c10, __m256i c01, __m256i c11, __m256i w1pq, __m256i w2pq,
                             __m256i w1rs, __m256i w2rs, __m256i place) {
  const __m256i a = _mm256_sub_epi16(c10, c00), b = _mm256_sub_epi16(c01, c00);
  const __m256i c = _mm256_sub_epi16(_mm256_sub_epi16(c11, c01), a);
  const __m256i ns = _mm256_sub_epi16(_mm256_sub_epi16(_mm256_setzero_si256(), c00), c11);
  const __m256i lo = _mm256_add_epi32(_mm256_madd_epi16(_mm256_unpacklo_epi16(a, b), w1pq),
                                      _mm256_madd_epi16(_mm256_unpacklo_epi16(c, ns), w2pq));
  const __m256i hi = _mm256_add_epi32(_mm256_madd_epi16(_mm256_unpackhi_epi16(a, b), w1rs),
                                      _mm256_madd_epi16(_mm256_unpackhi_epi16(c, ns), w2rs));
  // Each result is below 256, so the high words of lo and hi hold whole channels: one blend puts
  // them side by side and one byte shuffle orders them.
  return _mm256_shuffle_epi8(_mm256_blend_epi16(_mm256_srli_epi32(lo, 16), hi, 0xAA), place);
}

// The same, the four results as p, q, r, s.
inline __m128i Combine4(__m256i c00, __m256i c10, __m256i c01, __m256i c11, __m256i w1pq, __m256i w2pq,
                        __m256i w1rs, __m256i w2rs) {
  const __m256i bytes = Combine4Bytes(c00, c10, c01, c11, w1pq, w2pq, w1rs, w2rs, PlaceLow());
  return _mm256_castsi256_si128(_mm256_permutevar8x32_epi32(bytes, _mm256_setr_epi32(0, 4, 1, 5, 0, 0, 0, 0)));
}

}  // namespace

bool BilinearBlocks(const int* xs, const uint32_t* xf, int n, int width, kernels::BilinearBlock* blocks) {
  for (int k = 0; k < n; k += 8)
    for (int half = 0; half < 2; ++half) {
      kernels::BilinearBlock& b = blocks[k / 4 + half];
      // Lane 0 samples pixels k + 2 half and the one after, lane 1 the two four further on, each
      // from four source pixels that end with the row at the latest. The last group repeats the
      // last column.
      int x[4], right[4];
      uint32_t f[4];
      for (int i = 0; i < 4; ++i) {
        const int j = Min(k + 2 * half + (i / 2) * 4 + i % 2, n - 1);
        // The last column has no right neighbour; taking the column itself in its place cancels
        // the horizontal terms, which leaves the last column's rule.
        x[i] = xs[j], f[i] = xf[j], right[i] = xs[j] == width - 1 ? xs[j] : xs[j] + 1;
      }
      for (int lane = 0; lane < 2; ++lane) {
        const int p = 2 * lane, q = p + 1;
        const int base = Min(Min(x[p], x[q]), width - 4);
        if (base < 0 || Max(right[p], right[q]) - base >= 4) return false;
        b.base[lane] = base;
        for (int second = 0; second < 2; ++second) {
          const int l = x[p + second] - base, r = right[p + second] - base;
          for (int i = 0; i < 4; ++i) {
            const int at = lane * 16 + second * 8 + 2 * i;
            b.left[at] = static_cast<int8_t>(4 * l + i), b.right[at] = static_cast<int8_t>(4 * r + i);
            b.left[at + 1] = b.right[at + 1] = -1;  // zero high bytes
          }
        }
      }
      for (int i = 0; i < 4; ++i) {
        b.xfpq[i] = f[0], b.xfpq[4 + i] = f[2];
        b.xfrs[i] = f[1], b.xfrs[4 + i] = f[3];
      }
    }
  return true;
}

namespace {

// The first n (below 8) of eight pixels.
inline void StoreFirstPixels(uint32_t* out, __m256i px, int n) {
  uint32_t all[8];
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(all), px);
  memcpy(out, all, sizeof(uint32_t) * n);
}

inline __m256i LoadLanes(const uint32_t* row, const int* base) {
  return _mm256_inserti128_si256(
      _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row + base[0]))),
      _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + base[1])), 1);
}

}  // namespace

void BilinearBlockRow(const uint32_t* r0, const uint32_t* r1, const kernels::BilinearBlock* blocks, int n,
                                int yf, uint32_t* out) {
  const __m256i y = _mm256_set1_epi32(yf);
  // The weight dwords of the 16-bit lane form: (xf ^ 0x8000) | (yf ^ 0x8000) << 16 and
  // (f11 ^ 0x8000) | 0x8000 << 16, each a single xor since the high halves start at 0.
  const __m256i w1key = _mm256_set1_epi32(static_cast<int>(0x8000u | (static_cast<uint32_t>(yf ^ 0x8000) << 16)));
  const __m256i w2key = _mm256_set1_epi32(static_cast<int>(0x80008000u));
  const __m256i low = PlaceLow(), high = PlaceHigh();
  auto sample = [&](const kernels::BilinearBlock& b, __m256i place) {
    const __m256i left = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b.left));
    const __m256i right = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b.right));
    const __m256i top = LoadLanes(r0, b.base), bot = LoadLanes(r1, b.base);
    const __m256i xpq = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b.xfpq));
    const __m256i xrs = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b.xfrs));
    return Combine4Bytes(_mm256_shuffle_epi8(top, left), _mm256_shuffle_epi8(top, right),
                         _mm256_shuffle_epi8(bot, left), _mm256_shuffle_epi8(bot, right), _mm256_xor_si256(xpq, w1key),
                         _mm256_xor_si256(_mm256_mulhi_epu16(xpq, y), w2key), _mm256_xor_si256(xrs, w1key),
                         _mm256_xor_si256(_mm256_mulhi_epu16(xrs, y), w2key), place);
  };
  // The first block of a group yields pixels 0, 1 | 4, 5 in the low halves of the lanes and the
  // second 2, 3 | 6, 7 in the high ones: together eight pixels in order.
  auto group = [&](int k) {
    return _mm256_or_si256(sample(blocks[k / 4], low), sample(blocks[k / 4 + 1], high));
  };
  int k = 0;
  for (; k + 8 <= n; k += 8) _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + k), group(k));
  if (k < n) StoreFirstPixels(out + k, group(k), n - k);
}

void BilinearScaleRow(const uint32_t* r0, const uint32_t* r1, const int* xs, const uint64_t* w, int n,
                                uint32_t* out) {
  const __m256i z = _mm256_setzero_si256();
  const __m256i pick = _mm256_setr_epi32(0, 4, 0, 0, 0, 0, 0, 0);
  int k = 0;
  const __m256i w1ab = _mm256_setr_epi32(0, 0, 0, 0, 2, 2, 2, 2), w2ab = _mm256_setr_epi32(1, 1, 1, 1, 3, 3, 3, 3);
  const __m256i w1cd = _mm256_setr_epi32(4, 4, 4, 4, 6, 6, 6, 6), w2cd = _mm256_setr_epi32(5, 5, 5, 5, 7, 7, 7, 7);
  for (; k + 4 <= n; k += 4) {
    const int xa = xs[k], xb = xs[k + 1], xc = xs[k + 2], xd = xs[k + 3];
    const __m256i tab = _mm256_cvtepu8_epi16(LoadPair(r0 + xa, r0 + xb));
    const __m256i tcd = _mm256_cvtepu8_epi16(LoadPair(r0 + xc, r0 + xd));
    const __m256i uab = _mm256_cvtepu8_epi16(LoadPair(r1 + xa, r1 + xb));
    const __m256i ucd = _mm256_cvtepu8_epi16(LoadPair(r1 + xc, r1 + xd));
    const __m256i wv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(w + k));
    const __m128i px = Combine4(_mm256_unpacklo_epi64(tab, tcd), _mm256_unpackhi_epi64(tab, tcd),
                                _mm256_unpacklo_epi64(uab, ucd), _mm256_unpackhi_epi64(uab, ucd),
                                _mm256_permutevar8x32_epi32(wv, w1ab), _mm256_permutevar8x32_epi32(wv, w2ab),
                                _mm256_permutevar8x32_epi32(wv, w1cd), _mm256_permutevar8x32_epi32(wv, w2cd));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + k), px);
  }
  for (; k + 2 <= n; k += 2) {
    const int xa = xs[k], xb = xs[k + 1];
    // [c00 c10 | same for the second pixel] and the row below, in 16-bit lanes.
    const __m256i top = _mm256_cvtepu8_epi16(LoadPair(r0 + xa, r0 + xb));
    const __m256i bot = _mm256_cvtepu8_epi16(LoadPair(r1 + xa, r1 + xb));
    const __m256i c10 = _mm256_srli_si256(top, 8), c11 = _mm256_srli_si256(bot, 8);
    const __m256i a = _mm256_sub_epi16(c10, top), b = _mm256_sub_epi16(bot, top);
    const __m256i c = _mm256_sub_epi16(_mm256_sub_epi16(c11, bot), a);
    const __m256i ns = _mm256_sub_epi16(_mm256_sub_epi16(z, top), c11);
    const __m256i wv = _mm256_permute4x64_epi64(
        _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(w + k))), 0x50);
    const __m256i sum = _mm256_add_epi32(_mm256_madd_epi16(_mm256_unpacklo_epi16(a, b), _mm256_shuffle_epi32(wv, 0x00)),
                                         _mm256_madd_epi16(_mm256_unpacklo_epi16(c, ns), _mm256_shuffle_epi32(wv, 0x55)));
    const __m256i q = _mm256_srli_epi32(sum, 16);
    const __m256i px = _mm256_packus_epi16(_mm256_packus_epi32(q, q), z);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + k),
                     _mm256_castsi256_si128(_mm256_permutevar8x32_epi32(px, pick)));
  }
  for (; k < n; ++k) {
    const uint32_t w1 = static_cast<uint32_t>(w[k]), w2 = static_cast<uint32_t>(w[k] >> 32);
    const int xf = int((w1 & 0xFFFF) ^ 0x8000), yf = int((w1 >> 16) ^ 0x8000), f11 = int((w2 & 0xFFFF) ^ 0x8000);
    const uint32_t* p = r0 + xs[k];
    const uint32_t* q = r1 + xs[k];
    uint32_t v = 0;
    for (int i = 0; i < 32; i += 8) {
      const int c00 = (p[0] >> i) & 255, c10 = (p[1] >> i) & 255, c01 = (q[0] >> i) & 255, c11 = (q[1] >> i) & 255;
      const int t = 65536 * c00 + xf * (c10 - c00) + yf * (c01 - c00) + f11 * (c11 - c10 - c01 + c00);
      v |= static_cast<uint32_t>(t >> 16) << i;
    }
    out[k] = v;
  }
}


namespace {

// Calls f(RowCount<n>()) for a kernel's row count n (1 to 5).
template <class F> inline void WithRowCount(int n, F&& f) {
  switch (n) {
    case 1: f(RowCount<1>()); break;
    case 2: f(RowCount<2>()); break;
    case 3: f(RowCount<3>()); break;
    case 4: f(RowCount<4>()); break;
    default: f(RowCount<5>()); break;
  }
}

// Sums of eight columns from c over a fixed number of rows, kept in registers throughout.
template <int Rows> inline void SumEightColumns(const uint32_t* const* rows, int c, uint16_t* col) {
  auto widen = [&](int r, int offset) {
    return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[r] + c + offset)));
  };
  __m256i a = widen(0, 0), b = widen(0, 4);
#pragma GCC unroll 8
  for (int r = 1; r < Rows; ++r) {
    a = _mm256_add_epi16(a, widen(r, 0));
    b = _mm256_add_epi16(b, widen(r, 4));
  }
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(col + c * 4), a);
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(col + c * 4 + 16), b);
}

// Columns c..c1 of rows width pixels wide. Steps may run past c1 while the rows last, and the
// last step may overlap the one before: sums are the same however often they are written.
// Returns the first column left undone.
template <int Rows> int ColumnSumsOf(const uint32_t* const* rows, int c, int c1, int width, uint16_t* col) {
  for (; c <= c1 && c + 8 <= width; c += 8) SumEightColumns<Rows>(rows, c, col);
  if (c <= c1 && width >= 8) {
    SumEightColumns<Rows>(rows, width - 8, col);
    c = c1 + 1;
  }
  return c;
}

}  // namespace

void ColumnSums(const Window& win, int y0, int y1, int c0, int c1, uint16_t* col) {
  const uint32_t* rows[5];
  const int n = y1 - y0 + 1;
  for (int r = 0; r < n; ++r) rows[r] = Row(win, y0 + r);
  int c = c0;
  WithRowCount(n, [&](auto rowCount) { c = ColumnSumsOf<rowCount()>(rows, c, c1, win.w, col); });
  scalar::ColumnSums(win, y0, y1, c, c1, col);
}

namespace {

// The sums of Size columns from columns xa and xb, in the low 64 bits of each 128-bit half.
// Each load reads one column past the kernel, which the caller pads.
template <int Size> inline __m256i KernelPair(const uint16_t* col, int xa, int xb) {
  auto pair = [&](int offset) {
    return _mm256_inserti128_si256(
        _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(col + xa * 4 + offset))),
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(col + xb * 4 + offset)), 1);
  };
  __m256i s = pair(0);
  if (Size == 5) s = _mm256_add_epi16(s, pair(8));
  s = _mm256_add_epi16(s, _mm256_srli_si256(s, 8));
  return _mm256_add_epi16(s, pair(Size == 5 ? 16 : 8));
}

template <int Size> void BoxRowOf(const uint16_t* col, const int* x0, int n, uint16_t recip, uint32_t* out) {
  const __m256i r = _mm256_set1_epi16(static_cast<short>(recip));
  const __m256i order = _mm256_setr_epi32(0, 4, 1, 5, 0, 0, 0, 0);
  int k = 0;
  for (; k + 4 <= n; k += 4) {
    // [k, k + 2 | k + 1, k + 3]
    const __m256i sum = _mm256_unpacklo_epi64(KernelPair<Size>(col, x0[k], x0[k + 1]),
                                              KernelPair<Size>(col, x0[k + 2], x0[k + 3]));
    const __m256i q = _mm256_srli_epi16(_mm256_mulhi_epu16(sum, r), 2);
    const __m256i px = _mm256_permutevar8x32_epi32(_mm256_packus_epi16(q, q), order);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + k), _mm256_castsi256_si128(px));
  }
  for (; k < n; ++k) {
    const __m128i sum = _mm256_castsi256_si128(KernelPair<Size>(col, x0[k], x0[k]));
    const __m128i q = _mm_srli_epi16(_mm_mulhi_epu16(sum, _mm256_castsi256_si128(r)), 2);
    out[k] = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(q, q)));
  }
}

}  // namespace

void BoxRow(const uint16_t* col, const int* x0, int n, int size, uint16_t recip, uint32_t* out) {
  if (size == 5) BoxRowOf<5>(col, x0, n, recip, out);
  else BoxRowOf<3>(col, x0, n, recip, out);
}

namespace {

// One eight-column step of the planes from p (the first of Rows rows, step apart).
template <int Rows> inline void PlaneStep(const uint32_t* p, ptrdiff_t step, uint32_t* xs, uint32_t* os) {
  auto row = [&](int r) {
    __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + r * step));
    // Keeps the row in one register: GCC would otherwise load it again as the add's operand.
    asm("" : "+x"(v));
    return v;
  };
  __m256i x = row(0), o = _mm256_srli_epi16(x, 8);
#pragma GCC unroll 8
  for (int r = 1; r < Rows; ++r) {
    const __m256i v = row(r);
    x = _mm256_add_epi16(x, v);
    o = _mm256_add_epi16(o, _mm256_srli_epi16(v, 8));
  }
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(xs), x);
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(os), o);
}

// Steps start at multiples of 8 columns, where rows 32-byte aligned take whole loads; the last
// is moved inside the window.
template <int Rows>
void PlanesOf(const uint32_t* p, ptrdiff_t step, int width, int c0, int c1, int org, uint32_t* xs, uint32_t* os) {
  int c = c0 / 8 * 8;
  for (const int last = Min(c1, width - 8); c <= last; c += 8)
    PlaneStep<Rows>(p + c, step, xs + (c - org), os + (c - org));
  if (c <= c1) PlaneStep<Rows>(p + (width - 8), step, xs + (width - 8 - org), os + (width - 8 - org));
}

// Kernel sums as [x low, o low, x high, o high] words to channels divided through the 18-bit
// reciprocal: each low byte's sum is x - (o << 8), where only o's low byte reaches x's word.
inline __m256i DivideKernels(__m256i w, __m256i recip) {
  const __m256i oUnderX = _mm256_setr_epi8(-1, 2, -1, -1, -1, 6, -1, -1, -1, 10, -1, -1, -1, 14, -1, -1,  //
                                           -1, 2, -1, -1, -1, 6, -1, -1, -1, 10, -1, -1, -1, 14, -1, -1);
  const __m256i sums = _mm256_sub_epi16(w, _mm256_shuffle_epi8(w, oUnderX));
  return _mm256_srli_epi16(_mm256_mulhi_epu16(sums, recip), 2);
}

// Two kernels, one per 128-bit half: the half's four columns from entry c and the column after
// them, as the words [x low, o low, x high, o high].
inline __m256i HalfKernels(const uint32_t* xs, const uint32_t* os, int c) {
  auto plane = [c](const uint32_t* p) {
    const __m256i next = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + c + 4));
    return _mm256_add_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + c)),
                            _mm256_blend_epi32(_mm256_setzero_si256(), next, 0x11));
  };
  const __m256i x = plane(xs), o = plane(os);
  return _mm256_add_epi16(_mm256_unpacklo_epi16(x, o), _mm256_unpackhi_epi16(x, o));
}

}  // namespace

void ColumnPlanes(const Window& win, int y0, int y1, int c0, int c1, int org, uint32_t* xs, uint32_t* os) {
  const uint32_t* p = Row(win, y0);
  WithRowCount(y1 - y0 + 1,
               [&](auto rowCount) { PlanesOf<rowCount()>(p, win.step, win.w, c0, c1, org, xs, os); });
}

namespace {

// Sets the reciprocals of kernel j of a round, whose kernels lie [0, 2 | 1, 3] in ra and
// [4, 6 | 5, 7] in rb, to v.
inline void SetKernelRecip(__m256i& ra, __m256i& rb, int j, uint16_t v) {
  const __m256i value = _mm256_set1_epi16(static_cast<short>(v)), at = _mm256_set1_epi64x(j);
  ra = _mm256_blendv_epi8(ra, value, _mm256_cmpeq_epi64(_mm256_setr_epi64x(0, 2, 1, 3), at));
  rb = _mm256_blendv_epi8(rb, value, _mm256_cmpeq_epi64(_mm256_setr_epi64x(4, 6, 5, 7), at));
}

}  // namespace

void BoxRowStep4(const uint32_t* xs, const uint32_t* os, int n, uint16_t recip, uint16_t firstRecip,
                           uint16_t lastRecip, uint32_t* out) {
  const __m256i r = _mm256_set1_epi16(static_cast<short>(recip));
  const __m256i order = _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7);
  for (int k = 0;; k += 8) {
    // The last step ends at n, overlapping the one before with the same values: a masked store
    // costs more than a whole step on some processors.
    const int at = Min(k, Max(n - 8, 0));
    const int c = 4 * at;
    const __m256i k0 = HalfKernels(xs, os, c), k1 = HalfKernels(xs, os, c + 8);
    const __m256i k2 = HalfKernels(xs, os, c + 16), k3 = HalfKernels(xs, os, c + 24);
    // Kernels [0, 2 | 1, 3] and [4, 6 | 5, 7]
    const __m256i a = _mm256_add_epi16(_mm256_unpacklo_epi64(k0, k1), _mm256_unpackhi_epi64(k0, k1));
    const __m256i b = _mm256_add_epi16(_mm256_unpacklo_epi64(k2, k3), _mm256_unpackhi_epi64(k2, k3));
    __m256i ra = r, rb = r;
    if (at == 0) SetKernelRecip(ra, rb, 0, firstRecip);
    if (n - at <= 8) SetKernelRecip(ra, rb, n - 1 - at, lastRecip);
    const __m256i px =
        _mm256_permutevar8x32_epi32(_mm256_packus_epi16(DivideKernels(a, ra), DivideKernels(b, rb)), order);
    if (n >= 8) _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + at), px);
    else StoreFirstPixels(out, px, n);
    if (at + 8 >= n) break;
  }
}


// Runs of whole kernels go through BoxRow; cut kernels and counts below 5 through the SSE2 form.
void BoxResults(const uint16_t* col, const int* first, const int* count, int n, int size, int rows, uint32_t* out) {
  const bool wide = rows * size >= 5;
  int k = 0;
  while (k < n) {
    int e = k;
    if (wide)
      while (e < n && count[e] == size) ++e;
    if (e > k) {
      BoxRow(col, first + k, e - k, size, kernels::kBoxReciprocal18.v[rows * size], out + k);
    } else {
      while (e < n && (!wide || count[e] != size)) ++e;
      sse2::BoxResults(col, first + k, count + k, e - k, size, rows, out + k);
    }
    k = e;
  }
}

}  // namespace avx2
}  // namespace pix
