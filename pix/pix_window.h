#pragma once
// The source window of the resampling loops: rows step pixels apart from bits.
#include <cstddef>

#include "pix/pix_bitmap.h"

namespace pix {

struct Window {
  const PIX_pixel* bits = nullptr;  // the window's top-left pixel
  ptrdiff_t step = 0;
  int w = 0, h = 0;
  const PIX_pixel* row(long long y) const { return bits + static_cast<ptrdiff_t>(y) * step; }
  bool inside(long long x, long long y) const {
    return static_cast<unsigned long long>(x) < static_cast<unsigned long long>(w) &&
           static_cast<unsigned long long>(y) < static_cast<unsigned long long>(h);
  }
};

}  // namespace pix
