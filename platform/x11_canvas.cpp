#include "platform/x11_canvas.h"

// The plug-in core's headers come before Xlib's macros (Bool, None, Status) can reach them.
#include "gdi/gdi.h"
#include "graphics/IGraphics.h"
#include "pix/pix_cachedfont.h"
#include "platform/x11_errors.h"

bool X11Canvas::Init(Display* display, Window window, int w, int h) {
  mBitmap.resize(w < 1 ? 1 : w, h < 1 ? 1 : h);
  mReady = mScreen.Init(display, window, mBitmap.getWidth(), mBitmap.getHeight());
  return mReady;
}

void X11Canvas::Show() {
  if (mReady) mScreen.Put(&mBitmap, IRECT(0, 0, mBitmap.getWidth(), mBitmap.getHeight()));
}

PIX_CachedFont* X11StyleFont(const IText& style) {
  IText copy = style;
  copy.mCached = nullptr;
  return IGraphics::CacheFont(&copy);
}

PIX_CachedFont* X11UiFont(int size) {
  const IText style(size, &COLOR_BLACK, "DejaVu Sans", IText::kStyleNormal, IText::kAlignNear);
  return X11StyleFont(style);
}

int X11TextWidth(PIX_CachedFont* font, PIX_IBitmap* bm, const char* text, int length) {
  if (!font || !text || length == 0 || !text[0]) return 0;
  RECT r = {0, 0, 0, 0};
  font->DrawText(bm, text, length, &r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  return r.right - r.left;
}

void X11DrawTextLine(PIX_CachedFont* font, PIX_IBitmap* bm, const char* text, int length, int x, int top,
                     int bottom, PIX_pixel color) {
  if (!font || !text || length == 0 || !text[0]) return;
  font->SetTextColor(color | 0xFF000000u);
  RECT r = {x, top, bm->getWidth(), bottom};
  font->DrawText(bm, text, length, &r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

Window X11CreatePopup(Display* display, int* x, int* y, int w, int h, long eventMask, PIX_pixel background) {
  const int screen = DefaultScreen(display);
  const int rootW = DisplayWidth(display, screen), rootH = DisplayHeight(display, screen);
  if (*x + w > rootW) *x = rootW - w;
  if (*y + h > rootH) *y = rootH - h;
  if (*x < 0) *x = 0;
  if (*y < 0) *y = 0;
  XSetWindowAttributes attributes = {};
  attributes.override_redirect = True;
  attributes.save_under = True;
  attributes.event_mask = eventMask;
  attributes.background_pixel = background & 0xFFFFFF;
  attributes.border_pixel = 0;
  X11ErrorTrap trap(display);
  const Window window =
      XCreateWindow(display, RootWindow(display, screen), *x, *y, static_cast<unsigned>(w < 1 ? 1 : w),
                    static_cast<unsigned>(h < 1 ? 1 : h), 0, CopyFromParent, InputOutput, CopyFromParent,
                    CWOverrideRedirect | CWSaveUnder | CWEventMask | CWBackPixel | CWBorderPixel, &attributes);
  if (trap.Sync() != 0) return 0;
  return window;
}
