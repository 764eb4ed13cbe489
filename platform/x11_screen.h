#pragma once
// Puts areas of a 32-bit bitmap (B, G, R, X bytes) on a window: through a shared-memory image
// when the server offers MIT-SHM on this machine, else with plain XPutImage. Every call waits for
// the server to finish, so the bitmap may change right after. Editor (GUI) thread only.
#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>

#include "graphics/IGraphicsStructs.h"

class X11ScreenCopy {
public:
  X11ScreenCopy() = default;
  ~X11ScreenCopy() { Release(); }
  X11ScreenCopy(const X11ScreenCopy&) = delete;
  X11ScreenCopy& operator=(const X11ScreenCopy&) = delete;

  // False when the window's visual cannot show such pixels. allowShm false forces XPutImage.
  bool Init(Display* display, Window window, int w, int h, bool allowShm = true);
  void Release();
  // Copies r (clipped to the bitmap and the window) from bm.
  bool Put(const PIX_IBitmap* bm, const IRECT& r);
  bool UsesShm() const { return mShmImage != nullptr; }
  long Copies() const { return mCopies; }

private:
  Display* mDisplay = nullptr;
  Window mWindow = 0;
  GC mGC = nullptr;
  Visual* mVisual = nullptr;
  int mDepth = 0;
  int mW = 0, mH = 0;
  XImage* mShmImage = nullptr;
  XShmSegmentInfo mShm = {};
  long mCopies = 0;
};
