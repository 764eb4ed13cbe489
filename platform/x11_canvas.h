#pragma once
// What the editor's own little windows (text field, menus, tooltips) share: a bitmap drawn with
// our raster and text code and put on a window of ours, pop-up windows that stay on the screen,
// and the text measures that lay them out. Editor (GUI) thread only.
#include <X11/Xlib.h>

#include "pix/pix_bitmap.h"
#include "platform/x11_screen.h"

class PIX_CachedFont;
struct IText;

// A window-sized bitmap and the copy that shows it on that window.
class X11Canvas {
public:
  // False when the window cannot show our pixels; the canvas then shows nothing.
  bool Init(Display* display, Window window, int w, int h);
  PIX_SysBitmap* Bitmap() { return &mBitmap; }
  // Puts the whole bitmap on the window.
  void Show();

private:
  PIX_SysBitmap mBitmap;
  X11ScreenCopy mScreen;
  bool mReady = false;
};

// The raster font of a text style (through the editor's shared font store), or null.
PIX_CachedFont* X11StyleFont(const IText& style);
// DejaVu Sans with a line height of about size pixels, for menus and tooltips.
PIX_CachedFont* X11UiFont(int size);
// The width of the first length bytes of a single line of text (all of it for -1), measured as it
// would be drawn on bm; 0 for no text.
int X11TextWidth(PIX_CachedFont* font, PIX_IBitmap* bm, const char* text, int length = -1);
// Draws one line of text with its left end at x, vertically centred between top and bottom and
// clipped to the bitmap.
void X11DrawTextLine(PIX_CachedFont* font, PIX_IBitmap* bm, const char* text, int length, int x, int top,
                     int bottom, PIX_pixel color);

// An override-redirect top-level window at (*x, *y), moved left and up as far as it takes to keep
// it on the root window (the position it got is written back); 0 on failure. Not mapped yet.
Window X11CreatePopup(Display* display, int* x, int* y, int w, int h, long eventMask, PIX_pixel background);
