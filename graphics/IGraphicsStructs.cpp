#include "graphics/IGraphicsStructs.h"

#include "kit/kitcstring.h"
#include "pix/pix_combine.h"

const IColor COLOR_TRANSPARENT(0, 0, 0, 0);
const IColor COLOR_BLACK(255, 0, 0, 0);
const IColor COLOR_GRAY(255, 127, 127, 127);
const IColor COLOR_WHITE(255, 255, 255, 255);
const IColor COLOR_RED(255, 255, 0, 0);
const IColor COLOR_GREEN(255, 0, 255, 0);
const IColor COLOR_BLUE(255, 0, 0, 255);
const IColor COLOR_YELLOW(255, 255, 255, 0);
const IColor COLOR_ORANGE(255, 255, 127, 0);
const IColor DEFAULT_TEXT_COLOR(255, 0, 0, 0);
const IColor DEFAULT_TEXT_ENTRY_BGCOLOR(255, 255, 255, 255);
const IColor DEFAULT_TEXT_ENTRY_FGCOLOR(255, 0, 0, 0);

IText::IText(int size, const IColor* color, const char* font, int style, int align, int orientation,
             int quality)
    : mSize(size),
      mColor(color ? *color : DEFAULT_TEXT_COLOR),
      mStyle(style),
      mAlign(align),
      mOrientation(orientation),
      mQuality(quality) {
  if (font) KIT_CopyString(mFont, sizeof mFont, font);
}

int BlendMode(const IChannelBlend* blend) {
  switch (blend ? blend->mMethod : IChannelBlend::kBlendMethodAlpha) {
    case IChannelBlend::kBlendMethodCopy: return PIX_COMBINE_COPY;
    case IChannelBlend::kBlendMethodAdd: return PIX_COMBINE_ADD | PIX_FLAG_SOURCE_ALPHA;
    case IChannelBlend::kBlendMethodDodge: return PIX_COMBINE_DODGE | PIX_FLAG_SOURCE_ALPHA;
    default: return PIX_COMBINE_COPY | PIX_FLAG_SOURCE_ALPHA;
  }
}
