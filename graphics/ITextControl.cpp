#include "graphics/ITextControl.h"

#include <cstring>

#include "graphics/IGraphics.h"

ITextControl::ITextControl(IEffectBase* plug, const IRECT& rect, const IText* text, const char* str)
    : IControl(plug, rect), mStr(str ? str : "") {
  if (text) mText = *text;
}

bool ITextControl::Draw(IGraphics* graphics) {
  if (mStr.GetLength() > 0) graphics->DrawIText(&mText, mStr.Get(), &mRECT);
  return true;
}

void ITextControl::SetTextFromPlug(const char* str) {
  if (!str) str = "";
  if (strcmp(mStr.Get(), str) == 0) return;
  SetDirty(false);
  mStr.Set(str);
}
