#pragma once
// The scaling kernels of pix_scaled_avx2.cpp and what they call. That file is built with -mavx2,
// so this header holds declarations and plain data only (that file reads _PIX_Window's fields,
// not its accessors): an inline function used there would be compiled for AVX2 too, and the
// linker may keep that copy for the baseline callers.
#include <cstdint>

#include "pix/pix_simd_avx2.h"
#include "pix/pix_window.h"

// n inner bilinear samples (x + 1 and y + 1 inside the window) from (s, t), stepping (ds, dt).
void _PIX_SSE2_BilinearRun(const _PIX_Window& win, long long s, long long t, long long ds, long long dt, int n,
                           PIX_pixel* out);
void _PIX_AVX2_BilinearRun(const _PIX_Window& win, long long s, long long t, long long ds, long long dt, int n,
                           PIX_pixel* out);

// Scaling rows: xs and xf hold each column's source pixel and fraction, w receives the
// per-column weights of a row with fraction yf, which the row then samples between source rows
// r0 and r0's next.
void _PIX_AVX2_BilinearScaleWeights(const uint32_t* xf, int yf, int n, uint64_t* w);
void _PIX_AVX2_BilinearScaleRow(const PIX_pixel* r0, const PIX_pixel* r1, const int* xs, const uint64_t* w, int n,
                                PIX_pixel* out);
// Two pairs of scaling columns (of a group of eight, two blocks a group), each pair taken from
// four source pixels at its base: per source row, two loads and a byte shuffle for each of the
// left and right corners. Fractions are repeated for the lanes that use them.
struct _PIX_BilinearBlock {
  int8_t left[32], right[32];
  uint32_t xfpq[8], xfrs[8];
  int base[2];
};
// Fills (n + 7) / 8 * 2 blocks for the columns of xs/xf (n of them, in rows width pixels wide, the
// last column included); false when they do not form such blocks.
bool _PIX_AVX2_BilinearBlocks(const int* xs, const uint32_t* xf, int n, int width, _PIX_BilinearBlock* blocks);
// n samples of a row with fraction yf between r0 and r1.
void _PIX_AVX2_BilinearBlockRow(const PIX_pixel* r0, const PIX_pixel* r1, const _PIX_BilinearBlock* blocks, int n,
                                int yf, PIX_pixel* out);
// Per-channel sums of rows y0..y1 (at most 5) for columns c0..c1, four 16-bit values a column.
void _PIX_ColumnSums(const _PIX_Window& win, int y0, int y1, int c0, int c1, uint16_t* col);
void _PIX_AVX2_ColumnSums(const _PIX_Window& win, int y0, int y1, int c0, int c1, uint16_t* col);
// n box results of size (3 or 5) whole columns each, starting at columns x0, from column sums
// (readable one column past every kernel) divided through the 18-bit reciprocal of the count.
void _PIX_AVX2_BoxRow(const uint16_t* col, const int* x0, int n, int size, uint16_t recip, PIX_pixel* out);
// Column sums as two planes, one 32-bit entry per column at index column - org: xs sums each
// pixel's two 16-bit halves, wrapping around, and os the halves' high bytes exactly, so the low
// bytes' sums are xs - (os << 8) (below 65536 for up to 25 pixels). Rows y0..y1 (at most 5) and
// columns c0..c1 of a window at least 8 columns wide, in eight-column steps from c0 / 8 * 8,
// which must not lie before org.
void _PIX_AVX2_ColumnPlanes(const _PIX_Window& win, int y0, int y1, int c0, int c1, int org, uint32_t* xs,
                            uint32_t* os);
// n results of 5-column kernels whose first columns step by 4 from the planes' first entries,
// divided through the 18-bit reciprocals of their counts: firstRecip for the first kernel,
// lastRecip for the last and recip for the others (kernels cut by the window's edges sum zero
// entries beyond it and count fewer pixels). Reads plane entries below (n + 7) / 8 * 32 + 12.
void _PIX_AVX2_BoxRowStep4(const uint32_t* xs, const uint32_t* os, int n, uint16_t recip, uint16_t firstRecip,
                           uint16_t lastRecip, PIX_pixel* out);
