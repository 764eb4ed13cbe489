#pragma once
// The continuous controls: knobs that share one drag and wheel behaviour and paint a line, a
// rotated bitmap, a filmstrip frame or a rotating mask; a fader whose handle slides along a
// track; and an overlay that shows a bitmap only while on. Values step freely here and are
// clamped by SetDirty. GUI thread only.
#include "graphics/ISwitchControls.h"

// Dragging by the control's height (or width) moves the value by 1 / gearing; shift or control
// makes it ten times finer. The wheel moves 0.01 a step, 0.001 with shift or control.
class IKnobControl : public IControl {
public:
  static constexpr double kDefaultGearing = 4.0;

  IKnobControl(IEffectBase* plug, const IRECT& rect, int paramIdx, EDirection direction = kVertical,
               double gearing = kDefaultGearing);
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) override;
  void OnMouseWheel(int x, int y, IMouseMod* mod, int d) override;

protected:
  EDirection mDirection;
  double mGearing;
};

// An anti-aliased line from the centre, at an angle (radians, 0 up, clockwise) set by the value.
class IKnobLineControl : public IKnobControl {
public:
  IKnobLineControl(IEffectBase* plug, const IRECT& rect, int paramIdx, const IColor* color, double innerRadius = 0.0,
                   double outerRadius = 0.0, double minAngle = -0.75 * 3.141592653589793,
                   double maxAngle = 0.75 * 3.141592653589793, EDirection direction = kVertical,
                   double gearing = kDefaultGearing);
  bool Draw(IGraphics* graphics) override;

private:
  IColor mColor;
  float mMinAngle, mMaxAngle, mInnerRadius, mOuterRadius;
};

// The whole bitmap turned about the control's centre by an angle (radians) set by the value.
class IKnobRotaterControl : public IKnobControl {
public:
  IKnobRotaterControl(IEffectBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                      double minAngle = -0.75 * 3.141592653589793, double maxAngle = 0.75 * 3.141592653589793,
                      int yOffsetZeroDeg = 0, EDirection direction = kVertical, double gearing = kDefaultGearing);
  bool Draw(IGraphics* graphics) override;

private:
  IBitmap mBitmap;
  double mMinAngle, mMaxAngle;
  int mYOffset;
};

// One frame of a filmstrip for the value: frame 1 at 0, the last frame at 1.
class IKnobMultiControl : public IKnobControl {
public:
  IKnobMultiControl(IEffectBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                    EDirection direction = kVertical, double gearing = kDefaultGearing);
  bool Draw(IGraphics* graphics) override;

private:
  IBitmap mBitmap;
};

// A fixed base with a mask and a top image turned by an angle (degrees) set by the value.
class IKnobRotatingMaskControl : public IKnobControl {
public:
  IKnobRotatingMaskControl(IEffectBase* plug, int x, int y, int paramIdx, const IBitmap* base, const IBitmap* mask,
                           const IBitmap* top, double minAngle = -135.0, double maxAngle = 135.0,
                           EDirection direction = kVertical, double gearing = kDefaultGearing);
  bool Draw(IGraphics* graphics) override;

private:
  IBitmap mBase, mMask, mTop;
  double mMinAngle, mMaxAngle;
};

// A handle bitmap along a track of the given length; a click snaps the handle's centre to the
// pointer. With onlyHandle set, only the handle itself can be hit.
class IFaderControl : public IControl {
public:
  IFaderControl(IEffectBase* plug, int x, int y, int len, int paramIdx, const IBitmap* bitmap,
                EDirection direction = kVertical, bool onlyHandle = false);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) override;
  void OnMouseWheel(int x, int y, IMouseMod* mod, int d) override;
  bool Draw(IGraphics* graphics) override;
  bool IsHit(int x, int y) override;
  virtual void SnapToMouse(int x, int y);

  // The handle's rectangle for a value; a negative value means the current one.
  IRECT GetHandleRECT(double value = -1.0) const;
  int GetLength() const { return mLen; }
  int GetHandleHeadroom() const { return mHandleHeadroom; }

private:
  int mLen, mHandleHeadroom;
  IBitmap mBitmap;
  EDirection mDirection;
  bool mOnlyHandle;
};

// Shows its bitmap, and takes clicks over its whole rectangle, only while on; while off only the
// stored target area is hit.
class IBitmapOverlayControl : public ISwitchControl {
public:
  IBitmapOverlayControl(IEffectBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap, const IRECT& targetArea);
  bool Draw(IGraphics* graphics) override;

private:
  IRECT mTargetArea;
};
