#pragma once
// What the X11 component tests share: connections, a stand-in for the editor's window, real input
// through XTest, reading windows back, and a clipboard owner on a thread of its own. Every
// connection here is used by the thread that opened it only.
//
// GoogleTest comes before Xlib, whose macros (None, Bool) its headers would not survive.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "pix/pix_bitmap.h"

#include <X11/Xlib.h>

// A connection to the display of DISPLAY, closed with the object. A server whose last client left
// resets and refuses connections meanwhile, so opening tries again for a few seconds.
class X11Connection {
public:
  X11Connection();
  ~X11Connection() {
    if (mDisplay) XCloseDisplay(mDisplay);
  }
  X11Connection(const X11Connection&) = delete;
  X11Connection& operator=(const X11Connection&) = delete;
  Display* get() const { return mDisplay; }

private:
  Display* mDisplay;
};

// The process's X error handler for the tests (before any component sets its own traps): windows
// that are gone are no error; other errors are printed and counted.
void InstallTestErrorHandler();
int UnexpectedXErrors();

// Polls cond every 2 ms for at most ms milliseconds; true once it holds.
bool WaitUntil(const std::function<bool()>& cond, int ms = 3000);

// A mapped top-level window at (x, y), returned once it is viewable.
Window MakeShownWindow(Display* display, int x, int y, int w, int h, long eventMask);

// Real input, sent and then waited for until the server has handled it.
void MovePointer(Display* display, int rootX, int rootY);
void Click(Display* display, int rootX, int rootY, unsigned button = 1);
// A button pressed or released where the pointer is, for drags.
void PressButton(Display* display, unsigned button, bool press);
// A key by keysym, with Shift added when the keyboard types it on the shifted level, and with the
// given modifier keys held around it.
void PressKey(Display* display, unsigned long keysym, const std::vector<unsigned long>& held = {});
void TypeText(Display* display, const char* text);

// The window's pixels (B, G, R, X), or null when it cannot be read.
std::unique_ptr<PIX_MemBitmap> CaptureWindow(Display* display, Window window);
// Pixels of the bitmap that differ from the colour by more than tolerance in some channel.
int CountPixelsUnlike(const PIX_IBitmap& bm, PIX_pixel color, int tolerance = 24);
// Writes the bitmap to $VERLO_SCREENSHOT_DIR/name.png when that variable is set, for looking at.
void SaveScreenshot(const PIX_IBitmap& bm, const char* name);

// Viewable override-redirect children of the root window (pop-up menus, tooltips), bottom first.
std::vector<Window> ShownPopups(Display* display);
struct WindowBox {
  int x = 0, y = 0, w = 0, h = 0;
};
WindowBox RootBox(Display* display, Window window);

// Owns CLIPBOARD from its own thread and connection and answers requests for it until destroyed.
class ClipboardOwner {
public:
  enum class Offers { kUtf8, kStringOnly, kIncremental };
  ClipboardOwner(std::string text, Offers offers);
  ~ClipboardOwner();
  ClipboardOwner(const ClipboardOwner&) = delete;
  ClipboardOwner& operator=(const ClipboardOwner&) = delete;
  // False when the owner could not take the selection.
  bool Ready() const { return mReady; }

private:
  void Serve();

  std::string mText;
  Offers mOffers;
  std::atomic<bool> mStop{false};
  std::atomic<bool> mReady{false};
  std::atomic<bool> mStarted{false};
  std::thread mThread;
};

// Two connections: the test's own (its windows and its input) and the one the component under
// test gets, as the editor would give it its own. Skips without a display.
class X11Test : public ::testing::Test {
protected:
  void SetUp() override {
    InstallTestErrorHandler();
    if (!mTest.get() || !mComponent.get()) GTEST_SKIP() << "no X display to test on (DISPLAY unset or unreachable)";
  }
  void TearDown() override { EXPECT_EQ(UnexpectedXErrors(), 0); }
  Display* TestDisplay() const { return mTest.get(); }
  Display* ComponentDisplay() const { return mComponent.get(); }

private:
  X11Connection mTest, mComponent;
};
