#include "graphics/IBitmapControl.h"

#include "graphics/IGraphics.h"

IPanelControl::IPanelControl(IEffectBase* plug, const IRECT& rect, const IColor* color)
    : IControl(plug, rect), mColor(color ? *color : COLOR_BLACK) {}

bool IPanelControl::Draw(IGraphics* graphics) {
  graphics->FillIRect(&mColor, &mRECT, &mBlend);
  return true;
}

namespace {
IRECT FrameRect(int x, int y, const IBitmap* bitmap) {
  if (!bitmap) return IRECT(x, y, x, y);
  return IRECT(x, y, x + bitmap->FrameWidth(), y + bitmap->FrameHeight());
}
}  // namespace

IBitmapControl::IBitmapControl(IEffectBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                               IChannelBlend::EBlendMethod blendMethod)
    : IControl(plug, FrameRect(x, y, bitmap), paramIdx, blendMethod), mBitmap(bitmap ? *bitmap : IBitmap()) {}

int FrameForValue(int nFrames, double value) {
  if (nFrames < 2) return 1;
  // NaN and values far outside 0..1 must still land on a frame.
  const double c = (nFrames - 1) * value + 0.5;
  if (!(c >= 0.0)) return 1;
  if (c >= nFrames) return nFrames;
  return static_cast<int>(c) + 1;
}

bool IBitmapControl::Draw(IGraphics* graphics) {
  graphics->DrawBitmap(&mBitmap, &mRECT, FrameForValue(mBitmap.N, GetValue()), &mBlend);
  return true;
}
