#pragma once
// The SSE2 kernels. Weights outside 1..256 and the last pixels of a row go to the scalar ones.
#include <cstdint>

#include "pix/kernels/kernels.h"

namespace pix {
namespace sse2 {
#include "pix/kernels/level_kernels.inc"
}  // namespace sse2
}  // namespace pix
