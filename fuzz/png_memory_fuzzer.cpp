// Any bytes decoded as a PNG from memory, into a new bitmap and into a caller-given flipped one;
// then the same bytes with every chunk checksum made right, so mutations reach the image data
// instead of stopping at the first checksum.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "pix/pix_png.h"

namespace {

class FlippedBitmap : public PIX_MemBitmap {
public:
  bool isFlipped() const override { return true; }
};

uint32_t Crc32(const uint8_t* p, size_t n) {
  uint32_t c = 0xFFFFFFFFu;
  for (size_t i = 0; i < n; ++i) {
    c ^= p[i];
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
  }
  return ~c;
}

// Rewrites the checksum of each whole chunk after the signature; false when there is none.
bool FixChecksums(std::vector<uint8_t>& f) {
  bool fixed = false;
  size_t at = 8;
  while (at + 12 <= f.size()) {
    const uint32_t len = uint32_t(f[at]) << 24 | uint32_t(f[at + 1]) << 16 | uint32_t(f[at + 2]) << 8 | f[at + 3];
    if (len > f.size() - at - 12) break;
    const uint32_t crc = Crc32(f.data() + at + 4, len + 4);
    for (int i = 0; i < 4; ++i) f[at + 8 + len + i] = uint8_t(crc >> (24 - 8 * i));
    at += 12 + len;
    fixed = true;
  }
  return fixed;
}

void Decode(const uint8_t* data, int n) {
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
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > INT_MAX) return 0;
  Decode(data, static_cast<int>(size));
  std::vector<uint8_t> fixed(data, data + size);
  if (FixChecksums(fixed)) Decode(fixed.data(), static_cast<int>(size));
  return 0;
}
