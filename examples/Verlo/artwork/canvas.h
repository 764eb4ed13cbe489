#pragma once
// A floating-point RGBA canvas for drawing the editor artwork: shapes given by signed distance
// functions are blended with one pixel of anti-aliasing, layers are blurred and composited, and
// the result becomes a straight-alpha raster bitmap. Pixels are kept premultiplied so that edges
// blended over transparency keep their colour.
#include <algorithm>
#include <cmath>
#include <vector>

#include "pix/pix_bitmap.h"

namespace artwork {

// Straight (not premultiplied) colour, every channel 0..1.
struct Colour {
  float r, g, b, a;
};

constexpr Colour Rgb(unsigned rgb, float a = 1.0f) {
  return {((rgb >> 16) & 0xFF) / 255.0f, ((rgb >> 8) & 0xFF) / 255.0f, (rgb & 0xFF) / 255.0f, a};
}
inline Colour Mix(Colour from, Colour to, float t) {
  return {from.r + (to.r - from.r) * t, from.g + (to.g - from.g) * t, from.b + (to.b - from.b) * t,
          from.a + (to.a - from.a) * t};
}
inline Colour WithAlpha(Colour c, float a) { return {c.r, c.g, c.b, a}; }
inline float Clamp01(float v) { return std::min(1.0f, std::max(0.0f, v)); }

// Pixel rectangle, right and bottom exclusive.
struct Box {
  int left, top, right, bottom;
};

class Canvas {
public:
  Canvas(int width, int height) : mWidth(width), mHeight(height), mPixels(4u * width * height, 0.0f) {}
  int Width() const { return mWidth; }
  int Height() const { return mHeight; }

  // Blends the colour over pixel (x, y), weighted by coverage.
  void Blend(int x, int y, Colour c, float coverage);
  // Blends shader(x, y) at every pixel centre the shape covers. A shape has Distance(x, y), signed
  // and negative inside, and Bounds().
  template <class Shape, class Shader> void Fill(const Shape& shape, const Shader& shader) {
    const Box b = shape.Bounds();
    for (int y = std::max(0, b.top); y < std::min(mHeight, b.bottom); ++y)
      for (int x = std::max(0, b.left); x < std::min(mWidth, b.right); ++x) {
        const float px = x + 0.5f, py = y + 0.5f;
        const float coverage = Clamp01(0.5f - shape.Distance(px, py));
        if (coverage > 0.0f) Blend(x, y, shader(px, py), coverage);
      }
  }
  template <class Shape> void Fill(const Shape& shape, Colour c) {
    Fill(shape, [c](float, float) { return c; });
  }
  // Blends the layer over this canvas, moved by whole pixels and weighted by opacity.
  void Composite(const Canvas& layer, int dx, int dy, float opacity);
  // Three box blurs of the given radius in each direction: close to a Gaussian.
  void Blur(int radius);
  // Writes the pixels as 8-bit straight alpha into the bitmap at (x, y).
  void CopyTo(PIX_IBitmap* bitmap, int x, int y) const;

private:
  float* At(int x, int y) { return &mPixels[4u * (static_cast<unsigned>(y) * mWidth + x)]; }
  const float* At(int x, int y) const { return &mPixels[4u * (static_cast<unsigned>(y) * mWidth + x)]; }

  int mWidth, mHeight;
  std::vector<float> mPixels;  // premultiplied r, g, b, a
};

}  // namespace artwork
