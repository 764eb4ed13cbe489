#pragma once
// Controls that switch between discrete values on a click: a stepping switch (and one that opens
// the value menu), a switch with one hit area per frame, an invisible toggle area, radio buttons
// and a momentary contact. GUI thread only.
#include "graphics/IBitmapControl.h"
#include "kit/heapbuf.h"

// Each click steps the value by one frame, wrapping past the last to the first.
class ISwitchControl : public IBitmapControl {
public:
  using IBitmapControl::IBitmapControl;
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseDblClick(int x, int y, IMouseMod* mod) override;
};

// A click opens the value prompt (when the owner enabled prompting).
class ISwitchPopUpControl : public ISwitchControl {
public:
  using ISwitchControl::ISwitchControl;
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
};

// A click on frame i's share of the rectangle selects frame i.
class ISwitchFramesControl : public ISwitchControl {
public:
  ISwitchFramesControl(IEffectBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                       bool imagesAreHorizontal = false,
                       IChannelBlend::EBlendMethod blendMethod = IChannelBlend::kBlendMethodAlpha);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;

  int NHitRects() const { return mRECTs.GetSize(); }
  IRECT HitRect(int i) const { return mRECTs.Get()[i]; }

private:
  KIT_TypedBuf<IRECT> mRECTs;
};

// Toggles between 0 and 1 and paints nothing.
class IInvisibleSwitchControl : public IControl {
public:
  IInvisibleSwitchControl(IEffectBase* plug, const IRECT& rect, int paramIdx);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics*) override { return true; }
};

// n buttons in a row or column, each showing the bitmap's frame 2 when selected, frame 1 when not.
class IRadioButtonsControl : public IControl {
public:
  IRadioButtonsControl(IEffectBase* plug, const IRECT& rect, int paramIdx, int nButtons, const IBitmap* bitmap,
                       EDirection direction = kVertical, bool reverse = false);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics* graphics) override;

  int NButtons() const { return mRECTs.GetSize(); }
  IRECT ButtonRect(int i) const { return mRECTs.Get()[i]; }

private:
  KIT_TypedBuf<IRECT> mRECTs;
  IBitmap mBitmap;
};

// Steps like a switch when pressed and returns to 0 when released.
class IContactControl : public ISwitchControl {
public:
  using ISwitchControl::ISwitchControl;
  void OnMouseUp(int x, int y, IMouseMod* mod) override;
};
