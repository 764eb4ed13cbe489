#pragma once
// A static text in a rectangle, drawn in the control's text style. It also serves as the value
// or name read-out that another control can link to. GUI thread only.
#include "graphics/IControl.h"
#include "kit/kitstring.h"

class ITextControl : public IControl {
public:
  ITextControl(IEffectBase* plug, const IRECT& rect, const IText* text, const char* str = "");

  bool Draw(IGraphics* graphics) override;

  // Dirties the control only when the text really changes.
  virtual void SetTextFromPlug(const char* str);
  const char* GetTextForDisplay() const { return mStr.Get(); }

protected:
  KIT_String mStr;
};
