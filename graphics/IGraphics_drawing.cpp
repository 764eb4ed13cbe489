// The drawing vocabulary controls paint with: each operation is one or a few raster calls into
// the draw bitmap, and images come from (and stay in) the process-wide bitmap store.
#include <cmath>

#include "graphics/IGraphics.h"
#include "graphics/IGraphicsStores.h"
#include "pix/pix.h"

namespace {
constexpr double kPi = 3.141592653589793;

IBitmap HandleOn(PIX_IBitmap* bitmap, int n, bool horizontal) {
  if (!bitmap) return IBitmap(nullptr, 0, 0, n, horizontal);
  return IBitmap(bitmap, bitmap->getWidth(), bitmap->getHeight(), n, horizontal);
}

// Draws nothing without a bitmap: a missing image leaves its control blank.
bool Drawable(const IBitmap* bitmap) { return bitmap && bitmap->mData; }
}  // namespace

IBitmap IGraphics::LoadIBitmap(int id, const char* name, int nStates, bool framesAreHorizontal) {
  PIX_IBitmap* bitmap = TheBitmapStorage().FindOrLoad(id, [&] { return OSLoadBitmap(id, name); });
  return HandleOn(bitmap, nStates, framesAreHorizontal);
}

IBitmap IGraphics::ScaleBitmap(IBitmap* src, int destW, int destH) {
  if (!Drawable(src) || destW <= 0 || destH <= 0) return IBitmap();
  PIX_MemBitmap* scaled = new PIX_MemBitmap(destW, destH, 4);
  PIX_ScaledBlit(scaled, src->mData, 0, 0, destW, destH, 0.0f, 0.0f, static_cast<float>(src->W),
                 static_cast<float>(src->H), 1.0f, PIX_FILTER_BILINEAR);
  if (!TheBitmapStorage().Add(scaled)) return IBitmap();
  return IBitmap(scaled, destW, destH, src->N, false);
}

IBitmap IGraphics::CropBitmap(IBitmap* src, IRECT* rect) {
  if (!Drawable(src) || !rect || rect->W() <= 0 || rect->H() <= 0) return IBitmap();
  PIX_MemBitmap* cropped = new PIX_MemBitmap(rect->W(), rect->H(), 4);
  PIX_Blit(cropped, src->mData, 0, 0, rect->L, rect->T, rect->W(), rect->H(), 1.0f, PIX_COMBINE_COPY);
  if (!TheBitmapStorage().Add(cropped)) return IBitmap();
  return IBitmap(cropped, rect->W(), rect->H(), src->N, false);
}

void IGraphics::RetainBitmap(IBitmap* bitmap) {
  if (Drawable(bitmap)) TheBitmapStorage().Add(bitmap->mData);
}

void IGraphics::ReleaseBitmap(IBitmap* bitmap) {
  if (Drawable(bitmap)) TheBitmapStorage().Remove(bitmap->mData);
}

bool IGraphics::DrawBitmap(IBitmap* bitmap, IRECT* dest, int srcX, int srcY, const IChannelBlend* blend) {
  if (!Drawable(bitmap) || !dest) return true;
  const IRECT r = dest->Intersection(mDrawRECT);
  PIX_Blit(mDrawBitmap, bitmap->mData, r.L, r.T, srcX + r.L - dest->L, srcY + r.T - dest->T, r.W(), r.H(),
           BlendWeight(blend), BlendMode(blend));
  return true;
}

bool IGraphics::DrawBitmap(IBitmap* bitmap, IRECT* dest, int frame, const IChannelBlend* blend) {
  if (!bitmap || bitmap->N <= 0) return true;  // a strip of no frames has nothing to show
  int srcX = 0, srcY = 0;
  if (frame >= 2 && bitmap->N >= 2) {
    const double offset = static_cast<double>(frame - 1);
    if (bitmap->mFramesAreHorizontal)
      srcX = static_cast<int>(offset * bitmap->W / bitmap->N + 0.5);
    else
      srcY = static_cast<int>(offset * bitmap->H / bitmap->N + 0.5);
  }
  return DrawBitmap(bitmap, dest, srcX, srcY, blend);
}

bool IGraphics::DrawRotatedBitmap(IBitmap* bitmap, int destCtrX, int destCtrY, double angle, int yOffsetZeroDeg,
                                  const IChannelBlend* blend) {
  if (!Drawable(bitmap)) return true;
  const int W = bitmap->W, H = bitmap->H;
  PIX_RotatedBlit(mDrawBitmap, bitmap->mData, destCtrX - W / 2, destCtrY - H / 2, W, H, 0.0f, 0.0f,
                  static_cast<float>(W), static_cast<float>(H), static_cast<float>(angle), false,
                  BlendWeight(blend), BlendMode(blend) | PIX_FILTER_BILINEAR, 0.0f,
                  static_cast<float>(yOffsetZeroDeg));
  return true;
}

bool IGraphics::DrawRotatedMask(IBitmap* base, IBitmap* mask, IBitmap* top, int x, int y, double angle,
                                const IChannelBlend* blend) {
  if (!Drawable(base) || !Drawable(mask) || !Drawable(top)) return true;
  if (!mTmpBitmap) mTmpBitmap = new PIX_MemBitmap(0, 0, 4);
  const int W = base->W, H = base->H;
  PIX_Copy(mTmpBitmap, base->mData);
  PIX_ClearRect(mTmpBitmap, 0, 0, W, H, 0x00FFFFFF, 0);
  const float radians = static_cast<float>(angle * kPi / 180.0);
  const float xOffset = W % 2 ? -0.5f : 0.0f;
  const float w = static_cast<float>(W), h = static_cast<float>(H);
  PIX_RotatedBlit(mTmpBitmap, mask->mData, 0, 0, W, H, 0.0f, 0.0f, w, h, radians, true, 1.0f,
                  PIX_COMBINE_ADD | PIX_FILTER_BILINEAR | PIX_FLAG_SOURCE_ALPHA, xOffset, 0.0f);
  PIX_RotatedBlit(mTmpBitmap, top->mData, 0, 0, W, H, 0.0f, 0.0f, w, h, radians, true, 1.0f,
                  PIX_COMBINE_COPY | PIX_FILTER_BILINEAR | PIX_FLAG_SOURCE_ALPHA, xOffset, 0.0f);
  IBitmap scratch(mTmpBitmap, W, H);
  IRECT dest(x, y, x + W, y + H);
  return DrawBitmap(&scratch, &dest, 0, 0, blend);
}

bool IGraphics::DrawPoint(const IColor* color, float x, float y, const IChannelBlend* blend, bool) {
  PIX_PutPixel(mDrawBitmap, static_cast<int>(x + 0.5f), static_cast<int>(y + 0.5f), color->Pixel(),
               BlendWeight(blend), BlendMode(blend));
  return true;
}

bool IGraphics::ForcePixel(const IColor* color, int x, int y) {
  if (!mDrawBitmap || x < 0 || y < 0 || x >= mDrawBitmap->getWidth() || y >= mDrawBitmap->getHeight()) return false;
  mDrawBitmap->getBits()[y * mDrawBitmap->getRowSpan() + x] = color->Pixel();
  return true;
}

IColor IGraphics::GetPoint(int x, int y) {
  if (!mDrawBitmap || x < 0 || y < 0 || x >= mDrawBitmap->getWidth() || y >= mDrawBitmap->getHeight())
    return IColor(0, 0, 0, 0);
  return IColor::FromPixel(PIX_GetPixel(mDrawBitmap, x, y));
}

bool IGraphics::DrawLine(const IColor* color, float x1, float y1, float x2, float y2, const IChannelBlend* blend,
                         bool antiAlias) {
  PIX_Line(mDrawBitmap, static_cast<int>(x1), static_cast<int>(y1), static_cast<int>(x2), static_cast<int>(y2),
           color->Pixel(), BlendWeight(blend), BlendMode(blend), antiAlias);
  return true;
}

bool IGraphics::DrawArc(const IColor* color, float cx, float cy, float r, float minAngle, float maxAngle,
                        const IChannelBlend* blend, bool antiAlias) {
  PIX_Arc(mDrawBitmap, cx, cy, r, minAngle, maxAngle, color->Pixel(), BlendWeight(blend), BlendMode(blend),
          antiAlias);
  return true;
}

bool IGraphics::DrawCircle(const IColor* color, float cx, float cy, float r, const IChannelBlend* blend,
                           bool antiAlias) {
  PIX_Circle(mDrawBitmap, cx, cy, r, color->Pixel(), BlendWeight(blend), BlendMode(blend), antiAlias);
  return true;
}

bool IGraphics::RoundRect(const IColor* color, IRECT* rect, const IChannelBlend* blend, int cornerradius, bool aa) {
  PIX_RoundRect(mDrawBitmap, static_cast<float>(rect->L), static_cast<float>(rect->T), static_cast<float>(rect->W()),
                static_cast<float>(rect->H()), cornerradius, color->Pixel(), BlendWeight(blend), BlendMode(blend), aa);
  return true;
}

bool IGraphics::FillRoundRect(const IColor* color, IRECT* rect, const IChannelBlend* blend, int cornerradius,
                              bool aa) {
  const int L = rect->L, T = rect->T, R = rect->R, B = rect->B, H = rect->H(), cr = cornerradius;
  const PIX_pixel c = color->Pixel();
  const float weight = BlendWeight(blend);
  const int mode = BlendMode(blend);
  PIX_FillRect(mDrawBitmap, L + cr, T, (R - L) - 2 * cr, H, c, weight, mode);
  PIX_FillRect(mDrawBitmap, L, T + cr, cr, H - 2 * cr, c, weight, mode);
  PIX_FillRect(mDrawBitmap, R - cr, T + cr, cr, H - 2 * cr, c, weight, mode);
  const float r = static_cast<float>(cr);
  const float left = static_cast<float>(L + cr), right = static_cast<float>(R - cr - 1);
  const float top = static_cast<float>(T + cr), bottom = static_cast<float>(B - cr - 1);
  PIX_FillCircle(mDrawBitmap, left, top, r, c, weight, mode, aa);
  PIX_FillCircle(mDrawBitmap, right, bottom, r, c, weight, mode, aa);
  PIX_FillCircle(mDrawBitmap, right, top, r, c, weight, mode, aa);
  PIX_FillCircle(mDrawBitmap, left, bottom, r, c, weight, mode, aa);
  return true;
}

bool IGraphics::FillIRect(const IColor* color, IRECT* rect, const IChannelBlend* blend) {
  PIX_FillRect(mDrawBitmap, rect->L, rect->T, rect->W(), rect->H(), color->Pixel(), BlendWeight(blend),
               BlendMode(blend));
  return true;
}

bool IGraphics::FillCircle(const IColor* color, int cx, int cy, float r, const IChannelBlend* blend,
                           bool antiAlias) {
  PIX_FillCircle(mDrawBitmap, static_cast<float>(cx), static_cast<float>(cy), r, color->Pixel(), BlendWeight(blend),
                 BlendMode(blend), antiAlias);
  return true;
}

bool IGraphics::FillTriangle(const IColor* color, int x1, int y1, int x2, int y2, int x3, int y3,
                             IChannelBlend* blend) {
  PIX_FillTriangle(mDrawBitmap, x1, y1, x2, y2, x3, y3, color->Pixel(), BlendWeight(blend), BlendMode(blend));
  return true;
}

bool IGraphics::FillIConvexPolygon(const IColor* color, int* x, int* y, int npoints, const IChannelBlend* blend) {
  PIX_FillConvexPolygon(mDrawBitmap, x, y, npoints, color->Pixel(), BlendWeight(blend), BlendMode(blend));
  return true;
}

bool IGraphics::DrawRect(const IColor* color, IRECT* rect) {
  const PIX_pixel c = color->Pixel();
  PIX_Line(mDrawBitmap, rect->L, rect->T, rect->R, rect->T, c, 1.0f, 0, false);
  PIX_Line(mDrawBitmap, rect->L, rect->B, rect->R, rect->B, c, 1.0f, 0, false);
  PIX_Line(mDrawBitmap, rect->L, rect->T, rect->L, rect->B, c, 1.0f, 0, false);
  PIX_Line(mDrawBitmap, rect->R, rect->T, rect->R, rect->B, c, 1.0f, 0, false);
  return true;
}

bool IGraphics::DrawVerticalLine(const IColor* color, int xi, int yLo, int yHi) {
  PIX_Line(mDrawBitmap, xi, yLo, xi, yHi, color->Pixel(), 1.0f, 0, false);
  return true;
}

bool IGraphics::DrawHorizontalLine(const IColor* color, int yi, int xLo, int xHi) {
  PIX_Line(mDrawBitmap, xLo, yi, xHi, yi, color->Pixel(), 1.0f, 0, false);
  return true;
}

namespace {
float Clamp01(float f) { return f < 0.0f ? 0.0f : (f > 1.0f ? 1.0f : f); }
}  // namespace

bool IGraphics::DrawVerticalLine(const IColor* color, IRECT* rect, float x) {
  const int xi = rect->L + static_cast<int>(static_cast<float>(rect->W()) * Clamp01(x));
  return DrawVerticalLine(color, xi, rect->T, rect->B);
}

bool IGraphics::DrawHorizontalLine(const IColor* color, IRECT* rect, float y) {
  const int yi = rect->B - static_cast<int>(static_cast<float>(rect->H()) * Clamp01(y));
  return DrawHorizontalLine(color, yi, rect->L, rect->R);
}

bool IGraphics::DrawRadialLine(const IColor* color, float cx, float cy, float angle, float rMin, float rMax,
                               const IChannelBlend* blend, bool antiAlias) {
  const float s = std::sin(angle), c = std::cos(angle);
  return DrawLine(color, cx + s * rMin, cy - c * rMin, cx + s * rMax, cy - c * rMax, blend, antiAlias);
}
