#include "platform/x11_tooltip.h"

#include "gdi/gdi.h"
#include "pix/pix.h"
#include "pix/pix_cachedfont.h"
#include "platform/x11_canvas.h"
#include "platform/x11_errors.h"

namespace {
constexpr int kFontSize = 13;  // line height; DejaVu Sans then stands about 11 pixels tall
constexpr int kPadX = 5, kPadY = 3;
constexpr PIX_pixel kBackground = 0xFFFFFFE1u;
constexpr PIX_pixel kBorder = 0xFF767676u;
constexpr PIX_pixel kText = 0xFF000000u;

// The size of the text's block, lines and all.
void MeasureBlock(PIX_CachedFont* font, const char* text, int* w, int* h) {
  RECT r = {0, 0, 0, 0};
  font->DrawText(nullptr, text, -1, &r, DT_CALCRECT | DT_NOPREFIX);
  *w = r.right - r.left;
  *h = r.bottom - r.top;
}
}  // namespace

void X11Tooltip::Show(const char* text, int rootX, int rootY) {
  Hide();
  PIX_CachedFont* font = X11UiFont(kFontSize);
  if (!mDisplay || !text || !text[0] || !font) return;
  int w = 0, h = 0;
  MeasureBlock(font, text, &w, &h);
  mText = text;
  mW = w + 2 * kPadX;
  mH = (h > 0 ? h : font->GetLineHeight()) + 2 * kPadY;
  mWindow = X11CreatePopup(mDisplay, &rootX, &rootY, mW, mH, ExposureMask, kBackground);
  if (!mWindow) return;
  X11ErrorTrap trap(mDisplay);
  XMapRaised(mDisplay, mWindow);
  Paint();
}

void X11Tooltip::Hide() {
  if (!mWindow) return;
  X11ErrorTrap trap(mDisplay);
  XDestroyWindow(mDisplay, mWindow);
  mWindow = 0;
  mText.clear();
}

bool X11Tooltip::HandleEvent(const XEvent& event) {
  if (!mWindow || event.xany.window != mWindow) return false;
  if (event.type == Expose && event.xexpose.count == 0) Paint();
  return true;
}

void X11Tooltip::Paint() {
  X11Canvas canvas;
  PIX_CachedFont* font = X11UiFont(kFontSize);
  if (!font || !canvas.Init(mDisplay, mWindow, mW, mH)) return;
  PIX_SysBitmap* bm = canvas.Bitmap();
  PIX_BorderedRect(bm, 0, 0, mW - 1, mH - 1, kBackground, kBorder, 1.0f, PIX_COMBINE_COPY);
  font->SetTextColor(kText);
  RECT r = {kPadX, kPadY, mW - kPadX, mH - kPadY};
  font->DrawText(bm, mText.c_str(), -1, &r, DT_NOPREFIX);
  canvas.Show();
}
