#pragma once
// PNG files made by the tests with libpng itself: random samples of any colour type and depth,
// and the pixels they must decode to, worked out from the samples.
#include <png.h>

#include <cstdint>
#include <random>
#include <vector>

#include "pix/pix_bitmap.h"

namespace pngimg {

struct PngKind {
  int w = 7, h = 5;
  int colorType = PNG_COLOR_TYPE_RGB;
  int depth = 8;
  bool interlaced = false;
  bool trns = false;
};

struct Image {
  std::vector<uint8_t> file;
  std::vector<PIX_pixel> expected;  // w * h, straight alpha
};

inline int Channels(int colorType) {
  switch (colorType) {
    case PNG_COLOR_TYPE_GRAY: return 1;
    case PNG_COLOR_TYPE_GRAY_ALPHA: return 2;
    case PNG_COLOR_TYPE_RGB: return 3;
    case PNG_COLOR_TYPE_RGB_ALPHA: return 4;
    default: return 1;  // palette index
  }
}

inline void WriteVec(png_structp png, png_bytep data, size_t n) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + n);
}
inline void NoFlush(png_structp) {}

// Packs one row of samples (each 0 .. 2^depth - 1) the way PNG stores them.
inline std::vector<uint8_t> PackRow(const std::vector<int>& samples, int depth) {
  std::vector<uint8_t> row;
  if (depth == 16) {
    for (int v : samples) row.push_back(uint8_t(v >> 8)), row.push_back(uint8_t(v));
    return row;
  }
  if (depth == 8) return std::vector<uint8_t>(samples.begin(), samples.end());
  row.assign((samples.size() * depth + 7) / 8, 0);
  for (size_t i = 0; i < samples.size(); ++i)
    row[i * depth / 8] |= uint8_t(samples[i] << (8 - depth - (i * depth) % 8));
  return row;
}

inline int To8(int v, int depth) {
  switch (depth) {
    case 1: return v * 255;
    case 2: return v * 85;
    case 4: return v * 17;
    case 16: return v >> 8;
    default: return v;
  }
}

// Only references live across the jump, so nothing here can be clobbered by it.
inline void Encode(const PngKind& s, std::vector<png_color>& pal, std::vector<png_byte>& palAlpha, png_color_16& key,
                   std::vector<std::vector<uint8_t>>& rows, std::vector<uint8_t>& out) {
  std::vector<png_bytep> ptrs;
  for (auto& r : rows) ptrs.push_back(r.data());
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    out.clear();
    return;
  }
  png_set_write_fn(png, &out, WriteVec, NoFlush);
  png_set_IHDR(png, info, s.w, s.h, s.depth, s.colorType, s.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  const bool palette = s.colorType == PNG_COLOR_TYPE_PALETTE;
  if (palette) png_set_PLTE(png, info, pal.data(), int(pal.size()));
  if (s.trns && palette) png_set_tRNS(png, info, palAlpha.data(), int(palAlpha.size()), nullptr);
  if (s.trns && !palette) png_set_tRNS(png, info, nullptr, 0, &key);
  png_set_rows(png, info, ptrs.data());
  png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
  png_destroy_write_struct(&png, &info);
}

inline Image Make(const PngKind& s, unsigned seed) {
  std::mt19937 rng(seed);
  const int n = Channels(s.colorType), maxv = (1 << s.depth) - 1;
  const bool palette = s.colorType == PNG_COLOR_TYPE_PALETTE;
  const int entries = palette ? std::min(256, 1 << s.depth) : 0;
  std::vector<png_color> pal(entries > 0 ? entries : 1);
  std::vector<png_byte> palAlpha(pal.size(), 255);
  for (auto& c : pal) c = {png_byte(rng()), png_byte(rng()), png_byte(rng())};
  // Transparency: a few palette entries, or one colour key that some pixels use.
  png_color_16 key{};
  std::vector<int> keySamples(n, 0);
  for (int c = 0; c < n; ++c) keySamples[c] = int(rng() % (maxv + 1));
  if (s.trns && palette)
    for (auto& a : palAlpha) a = png_byte(std::vector<int>{0, 255, 128, 1, 37}[rng() % 5]);
  if (s.colorType == PNG_COLOR_TYPE_GRAY) key.gray = png_uint_16(keySamples[0]);
  if (s.colorType == PNG_COLOR_TYPE_RGB)
    key.red = png_uint_16(keySamples[0]), key.green = png_uint_16(keySamples[1]), key.blue = png_uint_16(keySamples[2]);

  Image img;
  std::vector<std::vector<uint8_t>> rows;
  for (int y = 0; y < s.h; ++y) {
    std::vector<int> samples;
    for (int x = 0; x < s.w; ++x) {
      std::vector<int> px(n);
      const bool useKey = s.trns && !palette && rng() % 3 == 0;
      for (int c = 0; c < n; ++c) px[c] = useKey ? keySamples[c] : int(rng() % (palette ? entries : maxv + 1));
      if (n == 2 || n == 4) {
        static const int alphas[] = {0, 255, 1, 128, 254};
        if (rng() % 2) px[n - 1] = To8(alphas[rng() % 5], 8) * maxv / 255;
      }
      samples.insert(samples.end(), px.begin(), px.end());
      int r, g, b, a = 255;
      if (palette) {
        r = pal[px[0]].red, g = pal[px[0]].green, b = pal[px[0]].blue;
        if (s.trns) a = palAlpha[px[0]];
      } else if (n <= 2) {
        r = g = b = To8(px[0], s.depth);
        if (n == 2) a = To8(px[1], s.depth);
      } else {
        r = To8(px[0], s.depth), g = To8(px[1], s.depth), b = To8(px[2], s.depth);
        if (n == 4) a = To8(px[3], s.depth);
      }
      if (s.trns && !palette && px == keySamples) a = 0;
      img.expected.push_back(PIX_RGBA(r, g, b, a));
    }
    rows.push_back(PackRow(samples, s.depth));
  }

  Encode(s, pal, palAlpha, key, rows, img.file);
  return img;
}
}  // namespace pngimg
