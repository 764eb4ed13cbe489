#pragma once
// The plain pictures: a coloured panel, and a bitmap that shows the frame matching its value.
// GUI thread only.
#include "graphics/IControl.h"

class IPanelControl : public IControl {
public:
  IPanelControl(IEffectBase* plug, const IRECT& rect, const IColor* color);
  bool Draw(IGraphics* graphics) override;

protected:
  IColor mColor;
};

class IBitmapControl : public IControl {
public:
  // The rectangle starts at (x, y) and has the size of one frame.
  IBitmapControl(IEffectBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                 IChannelBlend::EBlendMethod blendMethod = IChannelBlend::kBlendMethodAlpha);
  bool Draw(IGraphics* graphics) override;

  const IBitmap& GetBitmap() const { return mBitmap; }

protected:
  IBitmap mBitmap;
};

// The frame, counted from 1, that a control with n frames shows at value; always inside 1..n.
int FrameForValue(int nFrames, double value);
