#include "tests/platform/x11_test_support.h"

#include <poll.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "pix/pix_png.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {
std::atomic<int> gUnexpectedErrors{0};

// Windows of the components under test come and go while the tests look at them, so a window
// that is gone is no error here; anything else is counted and shown.
int OnTestError(Display* display, XErrorEvent* error) {
  if (error->error_code == BadWindow || error->error_code == BadDrawable) return 0;
  char text[128];
  XGetErrorText(display, error->error_code, text, sizeof text);
  std::fprintf(stderr, "X error: %s (request %d)\n", text, error->request_code);
  ++gUnexpectedErrors;
  return 0;
}
}  // namespace

void InstallTestErrorHandler() { XSetErrorHandler(&OnTestError); }
int UnexpectedXErrors() { return gUnexpectedErrors.load(); }

X11Connection::X11Connection() : mDisplay(XOpenDisplay(nullptr)) {
  const char* name = std::getenv("DISPLAY");
  if (!mDisplay && name && name[0]) WaitUntil([&] { return (mDisplay = XOpenDisplay(nullptr)) != nullptr; }, 5000);
}

bool WaitUntil(const std::function<bool()>& cond, int ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!cond()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

Window MakeShownWindow(Display* display, int x, int y, int w, int h, long eventMask) {
  XSetWindowAttributes attributes = {};
  attributes.background_pixel = WhitePixel(display, DefaultScreen(display));
  attributes.event_mask = eventMask;
  const Window window = XCreateWindow(display, DefaultRootWindow(display), x, y, static_cast<unsigned>(w),
                                      static_cast<unsigned>(h), 0, CopyFromParent, InputOutput, CopyFromParent,
                                      CWBackPixel | CWEventMask, &attributes);
  XMapRaised(display, window);
  WaitUntil([&] {
    XWindowAttributes now;
    return XGetWindowAttributes(display, window, &now) && now.map_state == IsViewable;
  });
  return window;
}

void MovePointer(Display* display, int rootX, int rootY) {
  XTestFakeMotionEvent(display, -1, rootX, rootY, CurrentTime);
  XSync(display, False);
}

void Click(Display* display, int rootX, int rootY, unsigned button) {
  MovePointer(display, rootX, rootY);
  XTestFakeButtonEvent(display, button, True, CurrentTime);
  XTestFakeButtonEvent(display, button, False, CurrentTime);
  XSync(display, False);
}

void PressButton(Display* display, unsigned button, bool press) {
  XTestFakeButtonEvent(display, button, press ? True : False, CurrentTime);
  XSync(display, False);
}

void PressKey(Display* display, unsigned long keysym, const std::vector<unsigned long>& held) {
  const KeyCode code = XKeysymToKeycode(display, keysym);
  const bool shifted = XkbKeycodeToKeysym(display, code, 0, 0) != keysym &&
                       XkbKeycodeToKeysym(display, code, 0, 1) == keysym;
  std::vector<KeyCode> modifiers;
  for (const unsigned long sym : held) modifiers.push_back(XKeysymToKeycode(display, sym));
  if (shifted) modifiers.push_back(XKeysymToKeycode(display, XK_Shift_L));
  for (const KeyCode m : modifiers) XTestFakeKeyEvent(display, m, True, CurrentTime);
  XTestFakeKeyEvent(display, code, True, CurrentTime);
  XTestFakeKeyEvent(display, code, False, CurrentTime);
  for (size_t i = modifiers.size(); i-- > 0;) XTestFakeKeyEvent(display, modifiers[i], False, CurrentTime);
  XSync(display, False);
}

void TypeText(Display* display, const char* text) {
  // Printable ASCII characters are their own keysyms.
  for (const char* c = text; *c; ++c) PressKey(display, static_cast<unsigned char>(*c));
}

std::unique_ptr<PIX_MemBitmap> CaptureWindow(Display* display, Window window) {
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, window, &attributes)) return nullptr;
  XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(attributes.width),
                            static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
  if (!image) return nullptr;
  auto bm = std::make_unique<PIX_MemBitmap>(attributes.width, attributes.height);
  for (int y = 0; y < attributes.height; ++y)
    for (int x = 0; x < attributes.width; ++x)
      bm->getBits()[y * bm->getRowSpan() + x] = static_cast<PIX_pixel>(XGetPixel(image, x, y) & 0xFFFFFF) | 0xFF000000u;
  XDestroyImage(image);
  return bm;
}

int CountPixelsUnlike(const PIX_IBitmap& bm, PIX_pixel color, int tolerance) {
  int n = 0;
  for (int y = 0; y < bm.getHeight(); ++y)
    for (int x = 0; x < bm.getWidth(); ++x) {
      const PIX_pixel p = bm.getBits()[y * bm.getRowSpan() + x];
      if (std::abs(PIX_GETR(p) - PIX_GETR(color)) > tolerance || std::abs(PIX_GETG(p) - PIX_GETG(color)) > tolerance ||
          std::abs(PIX_GETB(p) - PIX_GETB(color)) > tolerance)
        ++n;
    }
  return n;
}

void SaveScreenshot(const PIX_IBitmap& bm, const char* name) {
  const char* dir = std::getenv("VERLO_SCREENSHOT_DIR");
  if (dir && dir[0]) PIX_WritePNG(&bm, (std::string(dir) + "/" + name + ".png").c_str());
}

std::vector<Window> ShownPopups(Display* display) {
  std::vector<Window> shown;
  Window root = 0, parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) return shown;
  for (unsigned i = 0; i < count; ++i) {
    XWindowAttributes attributes;
    // A window may go away between the query and this look at it.
    if (XGetWindowAttributes(display, children[i], &attributes) && attributes.override_redirect &&
        attributes.map_state == IsViewable)
      shown.push_back(children[i]);
  }
  if (children) XFree(children);
  return shown;
}

WindowBox RootBox(Display* display, Window window) {
  WindowBox box;
  XWindowAttributes attributes;
  Window child = 0;
  if (!XGetWindowAttributes(display, window, &attributes)) return box;
  XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &box.x, &box.y, &child);
  box.w = attributes.width;
  box.h = attributes.height;
  return box;
}

ClipboardOwner::ClipboardOwner(std::string text, Offers offers) : mText(std::move(text)), mOffers(offers) {
  mThread = std::thread(&ClipboardOwner::Serve, this);
  WaitUntil([&] { return mStarted.load(); });
}

ClipboardOwner::~ClipboardOwner() {
  mStop = true;
  mThread.join();
}

void ClipboardOwner::Serve() {
  X11Connection connection;
  Display* display = connection.get();
  if (!display) {
    mStarted = true;
    return;
  }
  const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
  const Atom clipboard = XInternAtom(display, "CLIPBOARD", False);
  const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
  const Atom incr = XInternAtom(display, "INCR", False);
  XSetSelectionOwner(display, clipboard, window, CurrentTime);
  mReady = XGetSelectionOwner(display, clipboard) == window;
  mStarted = true;
  while (!mStop) {
    while (XPending(display)) {
      XEvent event;
      XNextEvent(display, &event);
      if (event.type != SelectionRequest) continue;
      const XSelectionRequestEvent& request = event.xselectionrequest;
      XSelectionEvent reply = {};
      reply.type = SelectionNotify;
      reply.requestor = request.requestor;
      reply.selection = request.selection;
      reply.target = request.target;
      reply.time = request.time;
      reply.property = request.property;
      // Something else for the requestor's connection to hold on to meanwhile.
      XClearArea(display, request.requestor, 0, 0, 0, 0, True);
      const auto* bytes = reinterpret_cast<const unsigned char*>(mText.data());
      const int length = static_cast<int>(mText.size());
      if (mOffers == Offers::kIncremental) {
        const long size = length;
        XChangeProperty(display, request.requestor, request.property, incr, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&size), 1);
      } else if (request.target == utf8 && mOffers == Offers::kUtf8) {
        XChangeProperty(display, request.requestor, request.property, utf8, 8, PropModeReplace, bytes, length);
      } else if (request.target == XA_STRING) {
        XChangeProperty(display, request.requestor, request.property, XA_STRING, 8, PropModeReplace, bytes, length);
      } else {
        reply.property = None;
      }
      XSendEvent(display, request.requestor, False, 0, reinterpret_cast<XEvent*>(&reply));
      XFlush(display);
    }
    pollfd ready = {ConnectionNumber(display), POLLIN, 0};
    poll(&ready, 1, 5);
  }
}
