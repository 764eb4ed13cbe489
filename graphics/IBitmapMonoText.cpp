#include "graphics/IBitmapMonoText.h"

#include <cstring>

#include "graphics/IGraphics.h"
#include "graphics/ITextControls.h"

void DrawBitmapedText(IGraphics* graphics, IBitmap* bitmap, IRECT* rect, IText* text, IChannelBlend* blend,
                      const char* str, bool vCenter, bool multiline, int charWidth, int charHeight, int charOffset) {
  if (!graphics || !bitmap || !rect || !str || !str[0] || charWidth <= 0) return;
  const int len = static_cast<int>(strlen(str));
  const int y = vCenter ? rect->T + (rect->B - (rect->T + charHeight)) / 2 : rect->T;
  const int total = charWidth * len;
  const int align = text ? text->mAlign : IText::kAlignCenter;
  const int x = align == IText::kAlignNear ? rect->L
                : align == IText::kAlignFar ? rect->R - total
                                            : rect->L + (rect->R - (total + rect->L)) / 2;
  const int width = rect->W();
  int perLine = width / charWidth, lines = 1;
  if (multiline && total > width && width > 0) lines = total / width + 1;
  if (perLine <= 0) return;
  int next = 0;
  for (int line = 0; line < lines; ++line) {
    for (int i = 0; i < perLine; ++i) {
      if (next >= len) return;
      const int frame = static_cast<unsigned char>(str[next++]) - 31;
      if (frame > bitmap->N) continue;
      const int left = x + i * (charWidth + charOffset), top = y + line * charHeight;
      IRECT cell(left, top, left + charWidth, top + charHeight);
      graphics->DrawBitmap(bitmap, &cell, frame, blend);
    }
  }
}

IBitmapTextControl::IBitmapTextControl(IEffectBase* plug, const IRECT& rect, const char* str, int charWidth,
                                       int charHeight, int charOffset, const IBitmap* bitmap, bool multiLine,
                                       bool vCenter)
    : IControl(plug, rect),
      mStr(str ? str : ""),
      mCharWidth(charWidth),
      mCharHeight(charHeight),
      mCharOffset(charOffset),
      mTextBitmap(bitmap ? *bitmap : IBitmap()),
      mMultiLine(multiLine),
      mVCentre(vCenter) {}

bool IBitmapTextControl::Draw(IGraphics* graphics) {
  if (mStr.GetLength() > 0)
    DrawBitmapedText(graphics, &mTextBitmap, &mRECT, &mText, &mBlend, mStr.Get(), mVCentre, mMultiLine, mCharWidth,
                     mCharHeight, mCharOffset);
  return true;
}

void IBitmapTextControl::SetTextFromPlug(const char* str) {
  if (ReplaceText(&mStr, str)) SetDirty(false);
}
