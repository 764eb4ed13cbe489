// Coverage images (8-bit and 1-bit) blended in one colour.
#include <algorithm>

#include "pix/pix.h"
#include "pix/kernels/kernels.h"
#include "pix/pix_pen.h"

namespace {

// The part of a w x h image at (x, y) that lies on the bitmap: columns [x0, x1), rows [y0, y1).
struct Placement {
  int x0, y0, x1, y1;
};

bool Place(int bw, int bh, int x, int y, int w, int h, Placement& p) {
  const long long l = std::max<long long>(x, 0), t = std::max<long long>(y, 0);
  const long long r = std::min<long long>(static_cast<long long>(x) + w, bw);
  const long long b = std::min<long long>(static_cast<long long>(y) + h, bh);
  if (l >= r || t >= b) return false;
  p = {static_cast<int>(l), static_cast<int>(t), static_cast<int>(r), static_cast<int>(b)};
  return true;
}

// Coverage(row, column) gives the weight before opacity, 0..255.
template <class P, class Coverage>
void Blend(PIX_pixel* bits, ptrdiff_t step, int x, int y, const Placement& pl, const P& pen, int ia,
           Coverage&& coverage) {
  for (int row = pl.y0; row < pl.y1; ++row) {
    PIX_pixel* d = bits + static_cast<ptrdiff_t>(row) * step;
    for (int col = pl.x0; col < pl.x1; ++col) {
      const int c = coverage(row - y, col - x);
      if (c == 0) continue;
      const int w = (c * ia) / 256;
      if (w != 0) pen.put(d + col, w);
    }
  }
}

bool Logical(const PIX_IBitmap* dest, pix::Surface& s) { return pix::GetSurface(dest, s); }

}  // namespace

namespace pix {

void DrawCoverage(PIX_pixel* bits, int w, int h, ptrdiff_t step, int x, int y, PIX_pixel color,
                  const unsigned char* image, int imagew, ptrdiff_t imagestep, int imageh, float alpha, int mode) {
  Placement pl;
  if (!bits || !image || !Place(w, h, x, y, imagew, imageh, pl)) return;
  const int ia = PIX_Weight(alpha);
  if ((mode & PIX_COMBINE_MODEMASK) == PIX_COMBINE_COPY) {
    if (ia <= 0) return;
    const pix::kernels::GlyphArea area{bits + static_cast<ptrdiff_t>(pl.y0) * step + pl.x0, step,
                                       image + (pl.y0 - y) * imagestep + (pl.x0 - x), static_cast<int>(imagestep),
                                       pl.x1 - pl.x0, pl.y1 - pl.y0};
    return pix::kernels::Active().coverageCopy(area, color, ia);
  }
  WithAAPen(color, ia, mode, [&](const auto& pen) {
    Blend(bits, step, x, y, pl, pen, ia, [&](int r, int c) { return image[r * imagestep + c]; });
  });
}

}  // namespace pix

void PIX_DrawGlyphEx(PIX_IBitmap* dest, int x, int y, PIX_pixel color, const unsigned char* image, int imagew,
                     int imagespan, int imageh, float alpha, int mode) {
  pix::Surface s;
  if (!image || imagew <= 0 || imageh <= 0 || !Logical(dest, s)) return;
  const ptrdiff_t istep = imagespan;
  // Rows stored bottom first start at the last stored row and walk backwards.
  const unsigned char* top = istep < 0 ? image + static_cast<ptrdiff_t>(imageh - 1) * -istep : image;
  pix::DrawCoverage(s.bits, s.w, s.h, s.step, x, y, color, top, imagew, istep, imageh, alpha, mode);
}

void PIX_DrawGlyph(PIX_IBitmap* dest, int x, int y, PIX_pixel color, const unsigned char* image, int w, int h,
                   float alpha, int mode) {
  PIX_DrawGlyphEx(dest, x, y, color, image, w, w, h, alpha, mode);
}

void PIX_DrawMonoGlyph(PIX_IBitmap* dest, int x, int y, PIX_pixel color, const unsigned char* image, int w,
                       int spanbytes, int h, float alpha, int mode) {
  pix::Surface s;
  Placement pl;
  if (!image || w <= 0 || h <= 0 || !Logical(dest, s) || !Place(s.w, s.h, x, y, w, h, pl)) return;
  const int ia = PIX_Weight(alpha);
  const ptrdiff_t span = spanbytes;
  pix::WithAAPen(color, ia, mode, [&](const auto& pen) {
    Blend(s.bits, s.step, x, y, pl, pen, ia, [&](int r, int c) {
      return ((image[r * span + (c >> 3)] >> (7 - (c & 7))) & 1) ? 255 : 0;
    });
  });
}
