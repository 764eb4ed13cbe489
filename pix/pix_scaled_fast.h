#pragma once
// The resampling families for the vector levels: each row's samples are taken into a
// buffer (inner samples with vector code, the window's last column and row one by one) and then
// combined with the row kernels of the unscaled blits. Same bytes as the scalar families; false
// when a call is left to them.
#include <cstdint>

#include "pix/pix_scaled_loops.h"

namespace pix {

// Bilinear sampling over a mapped area, as _PIX_Template_Blit3::deltaBlit does.
bool FastBilinearDelta(PIX_pixel* dest, ptrdiff_t dstep, int w, int h, const DeltaSteps& st, const Window& win, int ia,
                       int mode);
// Nearest-neighbour scaling, as _PIX_Template_Blit2::scaleBlit does without the filter.
bool FastNearestScale(PIX_pixel* dest, ptrdiff_t dstep, int w, int h, long long curx, long long cury, long long idx,
                      long long idy, const Window& win, int ia, int mode);
// The box reduction of _PIX_Template_Blit2::scaleBlitFilterDown.
bool FastBoxScale(PIX_pixel* dest, ptrdiff_t dstep, int w, int h, long long curx, long long cury, long long idx,
                  long long idy, const Window& win, int size, int ia, int mode);

}  // namespace pix
