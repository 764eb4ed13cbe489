#include "editor_window.h"

#include <poll.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "error.h"

// Xlib last: its macros (None, Bool, Status) clash with other headers.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

using Clock = std::chrono::steady_clock;

// Xlib's default handler ends the process on any error. Errors on our connection are counted
// (a grab of a window that is not on screen fails that way); those of the plug-in's own
// connection become a warning, as a DAW would rather keep running.
Display* gOurDisplay = nullptr;
int gOurErrors = 0;
XErrorHandler gPreviousHandler = nullptr;

int OnXError(Display* display, XErrorEvent* error) {
  if (display == gOurDisplay) {
    ++gOurErrors;
    return 0;
  }
  char text[128] = {};
  XGetErrorText(display, error->error_code, text, sizeof text);
  Warn("the editor's X connection got an error: " + std::string(text) + " (request " +
       std::to_string(error->request_code) + ")");
  return 0;
}

// 8 bits of the colour channel that mask selects.
uint32_t Channel(unsigned long pixel, unsigned long mask) {
  if (!mask) return 0;
  int shift = 0;
  while (!((mask >> shift) & 1)) ++shift;
  const unsigned long max = mask >> shift;
  return static_cast<uint32_t>(((pixel & mask) >> shift) * 255 / max);
}

}  // namespace

void RequireEditor(PluginInstance& plugin) {
  if (!(plugin.Effect()->flags & effFlagsHasEditor)) throw HostError(plugin.Name() + " has no editor");
}

bool EditorRect(PluginInstance& plugin, int& width, int& height) {
  ERect* rect = nullptr;
  plugin.Dispatch(effEditGetRect, 0, 0, &rect);
  if (!rect || rect->right <= rect->left || rect->bottom <= rect->top) return false;
  width = rect->right - rect->left;
  height = rect->bottom - rect->top;
  return true;
}

EditorWindow::EditorWindow(PluginInstance& plugin, Placement placement) : mPlugin(plugin) {
  RequireEditor(plugin);
  const std::string name = plugin.Name();
  const char* displayName = std::getenv("DISPLAY");
  if (!displayName || !*displayName)
    throw HostError("no X display to open the editor on: DISPLAY is not set");
  mDisplay = XOpenDisplay(nullptr);
  if (!mDisplay) throw HostError("cannot open the X display '" + std::string(displayName) + "'");
  gOurDisplay = mDisplay;
  gOurErrors = 0;
  gPreviousHandler = XSetErrorHandler(OnXError);

  // Some editors know their size only once open; the window follows them then.
  if (!EditorRect(plugin, mWidth, mHeight)) mWidth = 640, mHeight = 480;
  XSetWindowAttributes attributes = {};
  attributes.background_pixel = BlackPixel(mDisplay, DefaultScreen(mDisplay));
  attributes.override_redirect = placement == Placement::kFixedAtOrigin ? True : False;
  attributes.event_mask = StructureNotifyMask;
  mWindow = XCreateWindow(mDisplay, DefaultRootWindow(mDisplay), 0, 0, unsigned(mWidth), unsigned(mHeight), 0,
                          CopyFromParent, InputOutput, CopyFromParent,
                          CWBackPixel | CWOverrideRedirect | CWEventMask, &attributes);
  XStoreName(mDisplay, mWindow, name.c_str());
  XChangeProperty(mDisplay, mWindow, XInternAtom(mDisplay, "_NET_WM_NAME", False),
                  XInternAtom(mDisplay, "UTF8_STRING", False), 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(name.data()), int(name.size()));
  XClassHint hint = {const_cast<char*>("verlo-host"), const_cast<char*>("Verlo-host")};
  XSetClassHint(mDisplay, mWindow, &hint);
  mDeleteAtom = XInternAtom(mDisplay, "WM_DELETE_WINDOW", False);
  Atom protocols[] = {mDeleteAtom};
  XSetWMProtocols(mDisplay, mWindow, protocols, 1);
  // The editor makes its own window inside ours on its own connection: ours must exist first.
  XSync(mDisplay, False);

  plugin.onSizeWindow = [this](int width, int height) { return Resize(width, height); };
  mOpenedAt = Clock::now();
  if (!plugin.Dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(static_cast<uintptr_t>(mWindow)))) {
    Release();
    throw HostError("the editor of " + name + " did not open (effEditOpen answered 0)");
  }
  mEditorOpen = true;
  int width = mWidth, height = mHeight;
  EditorRect(plugin, width, height);
  Resize(width, height);
  XMapRaised(mDisplay, mWindow);
  XFlush(mDisplay);
  mNextIdle = Clock::now();
}

EditorWindow::~EditorWindow() { Release(); }

void EditorWindow::Release() {
  if (mEditorOpen) mPlugin.Dispatch(effEditClose);
  mEditorOpen = false;
  mPlugin.onSizeWindow = nullptr;
  if (mDisplay) {
    if (mWindow && !mDestroyed) XDestroyWindow(mDisplay, mWindow);
    XCloseDisplay(mDisplay);
    XSetErrorHandler(gPreviousHandler);
    gOurDisplay = nullptr;
  }
  mDisplay = nullptr;
}

bool EditorWindow::Resize(int width, int height) {
  if (width <= 0 || height <= 0) return false;
  if (width != mWidth || height != mHeight) XResizeWindow(mDisplay, mWindow, unsigned(width), unsigned(height));
  mWidth = width;
  mHeight = height;
  // The editor has the size it asks for, so the user cannot change it.
  XSizeHints* hints = XAllocSizeHints();
  hints->flags = PMinSize | PMaxSize;
  hints->min_width = hints->max_width = width;
  hints->min_height = hints->max_height = height;
  XSetWMNormalHints(mDisplay, mWindow, hints);
  XFree(hints);
  XFlush(mDisplay);
  return true;
}

void EditorWindow::HandleEvents() {
  while (!mClosed && XPending(mDisplay)) {
    XEvent event;
    XNextEvent(mDisplay, &event);
    if (event.type == ClientMessage && static_cast<Atom>(event.xclient.data.l[0]) == mDeleteAtom) mClosed = true;
    if (event.type == DestroyNotify && event.xdestroywindow.window == mWindow) mClosed = mDestroyed = true;
    if (event.type == MapNotify) mMapped = true;
    if (event.type == UnmapNotify) mMapped = false;
  }
}

bool EditorWindow::Tick() {
  for (;;) {
    HandleEvents();
    if (mClosed) return false;
    const auto now = Clock::now();
    if (now >= mNextIdle) break;
    pollfd connection = {ConnectionNumber(mDisplay), POLLIN, 0};
    const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(mNextIdle - now).count() + 1;
    poll(&connection, 1, int(wait));
  }
  mNextIdle = std::max(mNextIdle + kIdlePeriod, Clock::now());
  mPlugin.Dispatch(effEditIdle);
  return true;
}

bool EditorWindow::Grab(Frame& frame) {
  if (!mMapped || mClosed) return false;
  XSync(mDisplay, False);
  const int errors = gOurErrors;
  XImage* image = XGetImage(mDisplay, mWindow, 0, 0, unsigned(mWidth), unsigned(mHeight), AllPlanes, ZPixmap);
  XSync(mDisplay, False);
  if (!image || gOurErrors != errors) {
    if (image) XDestroyImage(image);
    return false;
  }
  frame.width = mWidth;
  frame.height = mHeight;
  frame.pixels.resize(size_t(mWidth) * mHeight);
  for (int y = 0; y < mHeight; ++y)
    for (int x = 0; x < mWidth; ++x) {
      const unsigned long p = XGetPixel(image, x, y);
      frame.pixels[size_t(y) * mWidth + x] = 0xFF000000u | Channel(p, image->red_mask) << 16 |
                                             Channel(p, image->green_mask) << 8 | Channel(p, image->blue_mask);
    }
  XDestroyImage(image);
  return true;
}
