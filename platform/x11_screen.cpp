#include "platform/x11_screen.h"

#include <sys/ipc.h>
#include <sys/shm.h>

#include <cstring>

#include <X11/Xutil.h>

#include "platform/x11_errors.h"
#include "pix/pix_bitmap.h"

namespace {
// Our pixels are little-endian 0xXXRRGGBB words: a 24- or 32-bit TrueColor visual with these
// masks shows them unchanged.
bool ShowsOurPixels(Display* display, const XWindowAttributes& attributes) {
  const Visual* v = attributes.visual;
  return (attributes.depth == 24 || attributes.depth == 32) && v->red_mask == 0xFF0000 && v->green_mask == 0xFF00 &&
         v->blue_mask == 0xFF && ImageByteOrder(display) == LSBFirst;
}
}  // namespace

bool X11ScreenCopy::Init(Display* display, Window window, int w, int h, bool allowShm) {
  Release();
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, window, &attributes) || !ShowsOurPixels(display, attributes)) return false;
  mDisplay = display;
  mWindow = window;
  mVisual = attributes.visual;
  mDepth = attributes.depth;
  mW = w;
  mH = h;
  mGC = XCreateGC(display, window, 0, nullptr);
  if (!allowShm || !XShmQueryExtension(display)) return true;
  mShmImage = XShmCreateImage(display, mVisual, mDepth, ZPixmap, nullptr, &mShm, w, h);
  if (!mShmImage) return true;
  mShm.shmid = shmget(IPC_PRIVATE, static_cast<size_t>(mShmImage->bytes_per_line) * h, IPC_CREAT | 0600);
  if (mShm.shmid >= 0) {
    mShm.shmaddr = mShmImage->data = static_cast<char*>(shmat(mShm.shmid, nullptr, 0));
    mShm.readOnly = False;
    // A server on another machine cannot attach: that shows up as an error here.
    X11ErrorTrap trap(display);
    const bool attached = mShm.shmaddr != reinterpret_cast<char*>(-1) && XShmAttach(display, &mShm) && !trap.Sync();
    shmctl(mShm.shmid, IPC_RMID, nullptr);  // gone as soon as both sides detach
    if (attached) return true;
    if (mShm.shmaddr != reinterpret_cast<char*>(-1)) shmdt(mShm.shmaddr);
  }
  mShmImage->data = nullptr;
  XDestroyImage(mShmImage);
  mShmImage = nullptr;
  mShm = {};
  return true;
}

void X11ScreenCopy::Release() {
  if (!mDisplay) return;
  if (mShmImage) {
    XShmDetach(mDisplay, &mShm);
    XSync(mDisplay, False);
    shmdt(mShm.shmaddr);
    mShmImage->data = nullptr;
    XDestroyImage(mShmImage);
    mShmImage = nullptr;
    mShm = {};
  }
  if (mGC) XFreeGC(mDisplay, mGC);
  mGC = nullptr;
  mDisplay = nullptr;
}

bool X11ScreenCopy::Put(const PIX_IBitmap* bm, const IRECT& r) {
  if (!mDisplay || !bm || !bm->getBits()) return false;
  const int w = bm->getWidth() < mW ? bm->getWidth() : mW, h = bm->getHeight() < mH ? bm->getHeight() : mH;
  const int x0 = r.L < 0 ? 0 : r.L, y0 = r.T < 0 ? 0 : r.T;
  const int x1 = r.R > w ? w : r.R, y1 = r.B > h ? h : r.B;
  if (x1 <= x0 || y1 <= y0) return true;
  const int span = bm->getRowSpan();
  if (mShmImage) {
    for (int y = y0; y < y1; ++y)
      memcpy(mShmImage->data + static_cast<size_t>(y) * mShmImage->bytes_per_line + x0 * 4,
             bm->getBits() + static_cast<size_t>(y) * span + x0, static_cast<size_t>(x1 - x0) * 4);
    XShmPutImage(mDisplay, mWindow, mGC, mShmImage, x0, y0, x0, y0, x1 - x0, y1 - y0, False);
  } else {
    XImage image = {};
    image.width = bm->getWidth();
    image.height = bm->getHeight();
    image.format = ZPixmap;
    image.data = reinterpret_cast<char*>(bm->getBits());
    image.byte_order = LSBFirst;
    image.bitmap_unit = 32;
    image.bitmap_bit_order = LSBFirst;
    image.bitmap_pad = 32;
    image.depth = mDepth;
    image.bytes_per_line = span * 4;
    image.bits_per_pixel = 32;
    image.red_mask = mVisual->red_mask;
    image.green_mask = mVisual->green_mask;
    image.blue_mask = mVisual->blue_mask;
    if (!XInitImage(&image)) return false;
    XPutImage(mDisplay, mWindow, mGC, &image, x0, y0, x0, y0, x1 - x0, y1 - y0);
  }
  XSync(mDisplay, False);
  ++mCopies;
  return true;
}
