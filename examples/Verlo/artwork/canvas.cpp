#include "examples/Verlo/artwork/canvas.h"

#include "pix/pix.h"

namespace artwork {

void Canvas::Blend(int x, int y, Colour c, float coverage) {
  if (x < 0 || y < 0 || x >= mWidth || y >= mHeight) return;
  const float a = Clamp01(c.a * coverage);
  float* p = At(x, y);
  p[0] = c.r * a + p[0] * (1.0f - a);
  p[1] = c.g * a + p[1] * (1.0f - a);
  p[2] = c.b * a + p[2] * (1.0f - a);
  p[3] = a + p[3] * (1.0f - a);
}

void Canvas::Composite(const Canvas& layer, int dx, int dy, float opacity) {
  for (int y = std::max(0, dy); y < std::min(mHeight, layer.mHeight + dy); ++y)
    for (int x = std::max(0, dx); x < std::min(mWidth, layer.mWidth + dx); ++x) {
      const float* s = layer.At(x - dx, y - dy);
      float* p = At(x, y);
      const float keep = 1.0f - s[3] * opacity;
      for (int i = 0; i < 4; ++i) p[i] = s[i] * opacity + p[i] * keep;
    }
}

namespace {

// One box blur along a line of n pixels, step floats apart, edges reading as transparent.
void BoxLine(float* line, int n, int step, int radius, std::vector<float>& scratch) {
  scratch.resize(4u * n);
  for (int i = 0; i < n; ++i)
    for (int c = 0; c < 4; ++c) scratch[4u * i + c] = line[static_cast<long>(i) * step + c];
  const float scale = 1.0f / (2 * radius + 1);
  for (int c = 0; c < 4; ++c) {
    float sum = 0.0f;
    for (int i = 0; i <= radius && i < n; ++i) sum += scratch[4u * i + c];
    for (int i = 0; i < n; ++i) {
      line[static_cast<long>(i) * step + c] = sum * scale;
      if (i + radius + 1 < n) sum += scratch[4u * (i + radius + 1) + c];
      if (i - radius >= 0) sum -= scratch[4u * (i - radius) + c];
    }
  }
}

}  // namespace

void Canvas::Blur(int radius) {
  if (radius < 1) return;
  std::vector<float> scratch;
  for (int pass = 0; pass < 3; ++pass) {
    for (int y = 0; y < mHeight; ++y) BoxLine(At(0, y), mWidth, 4, radius, scratch);
    for (int x = 0; x < mWidth; ++x) BoxLine(At(x, 0), mHeight, 4 * mWidth, radius, scratch);
  }
}

void Canvas::CopyTo(PIX_IBitmap* bitmap, int x, int y) const {
  auto byte = [](float v) { return static_cast<int>(Clamp01(v) * 255.0f + 0.5f); };
  for (int j = 0; j < mHeight; ++j)
    for (int i = 0; i < mWidth; ++i) {
      const float* p = At(i, j);
      const float a = p[3];
      const float unmul = a > 0.0f ? 1.0f / a : 0.0f;
      const PIX_pixel c = PIX_RGBA(byte(p[0] * unmul), byte(p[1] * unmul), byte(p[2] * unmul), byte(a));
      PIX_PutPixel(bitmap, x + i, y + j, a > 0.0f ? c : 0, 1.0f, PIX_COMBINE_COPY);
    }
}

}  // namespace artwork
