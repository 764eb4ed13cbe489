#pragma once
// The AVX2 kernels. Weights outside 1..256 and the last pixels of a row go to the SSE2 ones.
#include <cstdint>

#include "pix/kernels/kernels.h"
#include "pix/kernels/sse2.h"

namespace pix {
namespace avx2 {
#include "pix/kernels/level_kernels.inc"

// Resampling kernels only this level has.
void NearestOverRow(uint32_t* d, const uint32_t* row, const int* columns, int n);
void BilinearScaleWeights(const uint32_t* xf, int yf, int n, uint64_t* w);
void BilinearScaleRow(const uint32_t* r0, const uint32_t* r1, const int* xs, const uint64_t* w, int n, uint32_t* out);
bool BilinearBlocks(const int* xs, const uint32_t* xf, int n, int width, kernels::BilinearBlock* blocks);
void BilinearBlockRow(const uint32_t* r0, const uint32_t* r1, const kernels::BilinearBlock* blocks, int n, int yf,
                      uint32_t* out);
void ColumnPlanes(const Window& win, int y0, int y1, int c0, int c1, int org, uint32_t* xs, uint32_t* os);
void BoxRowStep4(const uint32_t* xs, const uint32_t* os, int n, uint16_t recip, uint16_t firstRecip,
                 uint16_t lastRecip, uint32_t* out);

}  // namespace avx2
}  // namespace pix
