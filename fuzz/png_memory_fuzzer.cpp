// Any bytes decoded as a PNG from memory, into a new bitmap and into a caller-given flipped one.
#include <climits>
#include <cstddef>
#include <cstdint>

#include "pix/pix_png.h"

namespace {
class FlippedBitmap : public PIX_MemBitmap {
public:
  bool isFlipped() const override { return true; }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > INT_MAX) return 0;
  const int n = static_cast<int>(size);
  PIX_IBitmap* bm = PIX_LoadPNGFromMemory(data, n, nullptr);
  if (bm) {
    // Every decoded pixel must be readable.
    volatile PIX_pixel sum = 0;
    for (int y = 0; y < bm->getHeight(); ++y)
      for (int x = 0; x < bm->getWidth(); ++x) sum = sum + bm->getBits()[y * bm->getRowSpan() + x];
    delete bm;
  }
  FlippedBitmap flipped;
  PIX_LoadPNGFromMemory(data, n, &flipped);
  return 0;
}
