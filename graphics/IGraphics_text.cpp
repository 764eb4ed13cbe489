// Text styles made into raster fonts (once per process and style), text drawing and measuring,
// and the value prompt.
#include <cstring>

#include "effect/IEffectBase.h"
#include "gdi/gdi.h"
#include "graphics/IGraphics.h"
#include "graphics/IGraphicsStores.h"
#include "graphics/IPopupMenu.h"
#include "pix/pix_cachedfont.h"

namespace {
char FontQuality(int quality) {
  switch (quality) {
    case IText::kQualityDefault: return 0;
    case IText::kQualityNonAntiAliased: return NONANTIALIASED_QUALITY;
    case IText::kQualityAntiAliased:
    case IText::kQualityClearType: return ANTIALIASED_QUALITY;
    default: return NONANTIALIASED_QUALITY;
  }
}

HFONT RequestFont(const IText& text, int height) {
  const int angle = text.mOrientation * 10;
  return CreateFont(height < 2 ? 2 : height, 0, angle, angle, text.mStyle == IText::kStyleBold ? FW_BOLD : FW_NORMAL,
                    text.mStyle == IText::kStyleItalic, 0, 0, 0, 0, 0, FontQuality(text.mQuality), 0, text.mFont);
}

// A raster font whose line height comes close to the style's size: when the first font's line
// height differs, the size is scaled by size / lineHeight once.
PIX_CachedFont* MakeFont(const IText& text) {
  PIX_CachedFont* font = new PIX_CachedFont;
  int h = text.mSize;
  for (int attempt = 0; attempt < 2; ++attempt) {
    HFONT handle = RequestFont(text, h);
    if (!handle) {
      delete font;
      return nullptr;
    }
    font->SetFromHFont(handle, PIX_FONTOPT_PREFER_NATIVE | PIX_FONTOPT_OWNS_FONT);
    const int lineHeight = font->GetLineHeight();
    if (attempt > 0 || lineHeight == h || lineHeight <= 0) break;
    const double square = h < 2 ? 4.0 : static_cast<double>(h) * h;
    h = static_cast<int>(square / lineHeight + 0.5);
  }
  return font;
}
}  // namespace

PIX_CachedFont* IGraphics::CacheFont(IText* text) {
  PIX_CachedFont* font = TheFontStorage().FindOrMake(text->mSize, text->mOrientation, text->mStyle, text->mFont,
                                                     [&] { return MakeFont(*text); });
  if (font) text->mCached = font;
  return font;
}

bool IGraphics::DrawIText(IText* text, const char* str, IRECT* rect, bool measure) {
  if (!str || !str[0]) return true;
  PIX_CachedFont* font = text->mCached ? text->mCached : CacheFont(text);
  if (!font) return false;
  const PIX_pixel color = text->mColor.Pixel();
  font->SetTextColor(color);
  int flags = DT_NOCLIP;
  if (color < 0xFF000000u) flags |= PIX_DT_ALPHA_FROM_COLOR;
  if (text->mAlign == IText::kAlignCenter) flags |= DT_CENTER;
  if (text->mAlign == IText::kAlignFar) flags |= DT_RIGHT;
  if (!measure) {
    RECT r = {rect->L, rect->T, rect->R, rect->B};
    if (mDrawBitmap) font->DrawText(mDrawBitmap, str, -1, &r, flags);
    return true;
  }
  RECT r = {0, 0, 0, 0};
  font->DrawText(mDrawBitmap, str, -1, &r, flags | DT_CALCRECT);
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (text->mAlign == IText::kAlignCenter) {
    rect->L = static_cast<int>((rect->L + rect->R) * 0.5) - w / 2;
    rect->R = rect->L + w;
  } else if (text->mAlign == IText::kAlignFar) {
    rect->L = rect->R - w;
  } else {
    rect->R = rect->L + w;
  }
  rect->B = rect->T + h;
  return true;
}

bool IGraphics::MeasureIText(IText* text, char* str, IRECT* destRect) { return DrawIText(text, str, destRect, true); }

void IGraphics::PromptUserInput(IControl* control, IParam* param, IRECT* textRect) {
  if (!control || !param || !textRect) return;
  const IParam::EParamType type = param->Type();
  const int nTexts = param->GetNDisplayTexts();
  char current[IParam::kNameLen * 2];
  if (type == IParam::kTypeEnum || (type == IParam::kTypeBool && nTexts > 0)) {
    IPopupMenu menu;
    {
      KIT_OptionalMutexLock lock(PlugMutex());
      param->GetDisplayForHost(param->Value(), false, current, sizeof current, true);
      for (int i = 0; i < nTexts; ++i) {
        const char* item = param->GetDisplayTextAtIdx(i);
        menu.AddItem(item, -1, strcmp(item, current) == 0 ? IPopupMenuItem::kMenuItemChecked : 0);
      }
    }
    if (IPopupMenu* chosen = CreateIPopupMenu(&menu, textRect)) {
      double normalized;
      {
        KIT_OptionalMutexLock lock(PlugMutex());
        normalized = param->GetNormalized(static_cast<double>(chosen->GetChosenItemIdx()));
      }
      control->SetValueFromUserInput(normalized);
    }
    return;
  }
  {
    KIT_OptionalMutexLock lock(PlugMutex());
    param->GetDisplayForHost(param->Value(), false, current, sizeof current, false);
  }
  CreateTextEntry(control, control->GetText(), textRect, current, param);
}
