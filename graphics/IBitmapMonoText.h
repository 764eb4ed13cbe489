#pragma once
// Text drawn from a monospaced bitmap font: frame k of the font bitmap holds character code
// k + 31, so the space is frame 1. GUI thread only.
#include "graphics/IControl.h"
#include "kit/kitstring.h"

// Only the style's alignment is used. Characters the font has no frame for are left blank.
void DrawBitmapedText(IGraphics* graphics, IBitmap* bitmap, IRECT* rect, IText* text, IChannelBlend* blend,
                      const char* str, bool vCenter, bool multiline, int charWidth, int charHeight, int charOffset);

class IBitmapTextControl : public IControl {
public:
  IBitmapTextControl(IEffectBase* plug, const IRECT& rect, const char* str, int charWidth, int charHeight,
                     int charOffset, const IBitmap* bitmap, bool multiLine = false, bool vCenter = true);
  bool Draw(IGraphics* graphics) override;
  // Dirties the control only when the text really changes.
  void SetTextFromPlug(const char* str);
  const char* GetTextForDisplay() const { return mStr.Get(); }

private:
  KIT_String mStr;
  int mCharWidth, mCharHeight, mCharOffset;
  IBitmap mTextBitmap;
  bool mMultiLine, mVCentre;
};
