#include "graphics/IKnobControls.h"

#include <cmath>

#include "graphics/IGraphics.h"

namespace {
bool Fine(const IMouseMod* mod) { return mod && (mod->C || mod->S); }

double WheelStep(const IMouseMod* mod, int d) { return (Fine(mod) ? 0.001 : 0.01) * d; }

IRECT BitmapRect(int x, int y, const IBitmap* bitmap, bool wholeImage) {
  if (!bitmap) return IRECT(x, y, x, y);
  const int w = wholeImage ? bitmap->W : bitmap->FrameWidth(), h = wholeImage ? bitmap->H : bitmap->FrameHeight();
  return IRECT(x, y, x + w, y + h);
}

template <class T> T Lerp(T lo, T hi, double t) { return static_cast<T>(lo + t * (hi - lo)); }
}  // namespace

IKnobControl::IKnobControl(IEffectBase* plug, const IRECT& rect, int paramIdx, EDirection direction, double gearing)
    : IControl(plug, rect, paramIdx), mDirection(direction), mGearing(gearing) {}

void IKnobControl::OnMouseDrag(int, int, int dX, int dY, IMouseMod* mod) {
  const double gearing = Fine(mod) ? mGearing * 10.0 : mGearing;
  const double delta = mDirection == kVertical ? static_cast<double>(dY) / (mRECT.T - mRECT.B)
                                               : static_cast<double>(dX) / (mRECT.R - mRECT.L);
  // An empty rectangle gives no defined distance: nothing moves.
  if (!std::isfinite(delta)) return;
  SetValue(GetValue() + delta / gearing);
  SetDirty(true);
}

void IKnobControl::OnMouseWheel(int, int, IMouseMod* mod, int d) {
  SetValue(GetValue() + WheelStep(mod, d));
  SetDirty(true);
}

IKnobLineControl::IKnobLineControl(IEffectBase* plug, const IRECT& rect, int paramIdx, const IColor* color,
                                   double innerRadius, double outerRadius, double minAngle, double maxAngle,
                                   EDirection direction, double gearing)
    : IKnobControl(plug, rect, paramIdx, direction, gearing),
      mColor(color ? *color : COLOR_BLACK),
      mMinAngle(static_cast<float>(minAngle)),
      mMaxAngle(static_cast<float>(maxAngle)),
      mInnerRadius(static_cast<float>(innerRadius)),
      mOuterRadius(static_cast<float>(outerRadius == 0.0 ? 0.5 * rect.W() : outerRadius)) {
  mBlend = IChannelBlend(IChannelBlend::kBlendMethodCopy, 1.0f);
}

bool IKnobLineControl::Draw(IGraphics* graphics) {
  const double angle = mMinAngle + GetValue() * (mMaxAngle - mMinAngle);
  const float s = static_cast<float>(std::sin(angle)), c = static_cast<float>(std::cos(angle));
  const float cx = static_cast<float>((mRECT.L + mRECT.R) * 0.5), cy = static_cast<float>((mRECT.T + mRECT.B) * 0.5);
  graphics->DrawLine(&mColor, cx + s * mInnerRadius, cy - c * mInnerRadius, cx + s * mOuterRadius,
                     cy - c * mOuterRadius, &mBlend, true);
  return true;
}

IKnobRotaterControl::IKnobRotaterControl(IEffectBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                                         double minAngle, double maxAngle, int yOffsetZeroDeg, EDirection direction,
                                         double gearing)
    : IKnobControl(plug, BitmapRect(x, y, bitmap, true), paramIdx, direction, gearing),
      mBitmap(bitmap ? *bitmap : IBitmap()),
      mMinAngle(minAngle),
      mMaxAngle(maxAngle),
      mYOffset(yOffsetZeroDeg) {}

bool IKnobRotaterControl::Draw(IGraphics* graphics) {
  graphics->DrawRotatedBitmap(&mBitmap, (mRECT.L + mRECT.R) / 2, (mRECT.T + mRECT.B) / 2,
                              Lerp(mMinAngle, mMaxAngle, GetValue()), mYOffset, &mBlend);
  return true;
}

IKnobMultiControl::IKnobMultiControl(IEffectBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                                     EDirection direction, double gearing)
    : IKnobControl(plug, BitmapRect(x, y, bitmap, false), paramIdx, direction, gearing),
      mBitmap(bitmap ? *bitmap : IBitmap()) {}

bool IKnobMultiControl::Draw(IGraphics* graphics) {
  graphics->DrawBitmap(&mBitmap, &mRECT, FrameForValue(mBitmap.N, GetValue()), &mBlend);
  return true;
}

IKnobRotatingMaskControl::IKnobRotatingMaskControl(IEffectBase* plug, int x, int y, int paramIdx,
                                                   const IBitmap* base, const IBitmap* mask, const IBitmap* top,
                                                   double minAngle, double maxAngle, EDirection direction,
                                                   double gearing)
    : IKnobControl(plug, BitmapRect(x, y, base, true), paramIdx, direction, gearing),
      mBase(base ? *base : IBitmap()),
      mMask(mask ? *mask : IBitmap()),
      mTop(top ? *top : IBitmap()),
      mMinAngle(minAngle),
      mMaxAngle(maxAngle) {}

bool IKnobRotatingMaskControl::Draw(IGraphics* graphics) {
  graphics->DrawRotatedMask(&mBase, &mMask, &mTop, mRECT.L, mRECT.T, Lerp(mMinAngle, mMaxAngle, GetValue()),
                            &mBlend);
  return true;
}

namespace {
IRECT TrackRect(int x, int y, int len, const IBitmap* bitmap, EDirection direction) {
  const int w = bitmap ? bitmap->W : 0, h = bitmap ? bitmap->H : 0;
  return direction == kHorizontal ? IRECT(x, y, x + len, y + h) : IRECT(x, y, x + w, y + len);
}
}  // namespace

IFaderControl::IFaderControl(IEffectBase* plug, int x, int y, int len, int paramIdx, const IBitmap* bitmap,
                             EDirection direction, bool onlyHandle)
    : IControl(plug, TrackRect(x, y, len, bitmap, direction), paramIdx),
      mLen(len),
      mHandleHeadroom(bitmap ? (direction == kHorizontal ? bitmap->W : bitmap->H) : 0),
      mBitmap(bitmap ? *bitmap : IBitmap()),
      mDirection(direction),
      mOnlyHandle(onlyHandle) {}

IRECT IFaderControl::GetHandleRECT(double value) const {
  if (value < 0.0) value = GetValue();
  const int travel = mLen - mHandleHeadroom;
  if (mDirection == kHorizontal) {
    const int offset = static_cast<int>(value * travel);
    return IRECT(mRECT.L + offset, mRECT.T, mRECT.L + offset + mBitmap.W, mRECT.T + mBitmap.H);
  }
  const int offset = static_cast<int>((1.0 - value) * travel);
  return IRECT(mRECT.L, mRECT.T + offset, mRECT.L + mBitmap.W, mRECT.T + offset + mBitmap.H);
}

void IFaderControl::SnapToMouse(int x, int y) {
  const double travel = mLen - mHandleHeadroom;
  if (travel <= 0.0) return;  // a handle as long as its track has nowhere to go
  if (mDirection == kHorizontal)
    SetValue((x - mRECT.L - mHandleHeadroom / 2) / travel);
  else
    SetValue(1.0 - (y - mRECT.T - mHandleHeadroom / 2) / travel);
  SetDirty(true);
}

void IFaderControl::OnMouseDown(int x, int y, IMouseMod* mod) {
  if (mod && mod->R) {
    PromptUserInput();
    return;
  }
  SnapToMouse(x, y);
}

void IFaderControl::OnMouseDrag(int x, int y, int, int, IMouseMod*) { SnapToMouse(x, y); }

void IFaderControl::OnMouseWheel(int, int, IMouseMod* mod, int d) {
  SetValue(GetValue() + WheelStep(mod, d));
  SetDirty(true);
}

bool IFaderControl::Draw(IGraphics* graphics) {
  IRECT handle = GetHandleRECT();
  graphics->DrawBitmap(&mBitmap, &handle, 1, &mBlend);
  return true;
}

bool IFaderControl::IsHit(int x, int y) {
  return mOnlyHandle ? GetHandleRECT().Contains(x, y) : mTargetRECT.Contains(x, y);
}

IBitmapOverlayControl::IBitmapOverlayControl(IEffectBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                                             const IRECT& targetArea)
    : ISwitchControl(plug, x, y, paramIdx, bitmap), mTargetArea(targetArea) {}

bool IBitmapOverlayControl::Draw(IGraphics* graphics) {
  if (GetValue() < 0.5) {
    mTargetRECT = mTargetArea;
    return true;
  }
  mTargetRECT = mRECT;
  return IBitmapControl::Draw(graphics);
}
