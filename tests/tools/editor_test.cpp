// verlo-host's editor and screenshot commands: on the tests' display, where this test finds the
// host's window by its title, drags in it with XTest and closes it as a window manager would,
// and on private Xvfb servers of the host's own.
#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

#include "host_run.h"
#include "pix/pix.h"

// Xlib last: its macros clash with other headers.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kPingPongPan = "/usr/lib/vst/PingPongPan-vst.so";
const std::vector<std::string> kNoDisplay = {"DISPLAY="};  // the host starts its own Xvfb
// Its leaks are not ours to report; and the leak checker's slow unwinding on every allocation
// deadlocks in the unwinder while its GL driver's compiler registers code.
const std::vector<std::string> kForeign = {"ASAN_OPTIONS=detect_leaks=0", "LSAN_OPTIONS="};

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

class EditorCommandTest : public HostTest {
protected:
  void SetUp() override {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) GTEST_SKIP() << "needs an X display (ctest runs under xvfb-run)";
    mX = XOpenDisplay(nullptr);
    ASSERT_NE(mX, nullptr);
    HostTest::SetUp();
  }
  void TearDown() override {
    HostTest::TearDown();
    if (mX) XCloseDisplay(mX);
  }

  // The viewable top-level window of that title once the editor is in it, or 0 after 5 s.
  // Generous: a foreign editor that starts OpenGL takes seconds under the sanitizers on a busy machine.
  Window WaitForEditorWindow(const std::string& title) {
    const auto start = Clock::now();
    while (SecondsSince(start) < 30.0) {
      Window root, parent, *children = nullptr;
      unsigned n = 0;
      XQueryTree(mX, DefaultRootWindow(mX), &root, &parent, &children, &n);
      Window found = 0;
      for (unsigned i = 0; i < n && !found; ++i) {
        char* name = nullptr;
        if (XFetchName(mX, children[i], &name) && name) {
          if (title == name && HasViewableChild(children[i])) found = children[i];
          XFree(name);
        }
      }
      if (children) XFree(children);
      if (found) return found;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return 0;
  }
  bool HasViewableChild(Window w) {
    XWindowAttributes a;
    if (!XGetWindowAttributes(mX, w, &a) || a.map_state != IsViewable) return false;
    Window root, parent, *children = nullptr;
    unsigned n = 0;
    XQueryTree(mX, w, &root, &parent, &children, &n);
    bool viewable = false;
    for (unsigned i = 0; i < n; ++i)
      viewable = viewable || (XGetWindowAttributes(mX, children[i], &a) && a.map_state == IsViewable);
    if (children) XFree(children);
    return viewable;
  }
  // A press at (x, y) of the window, moved by dy in steps of 10 pixels, released.
  void Drag(Window w, int x, int y, int dy) {
    Window child;
    int rootX = 0, rootY = 0;
    XTranslateCoordinates(mX, w, DefaultRootWindow(mX), x, y, &rootX, &rootY, &child);
    auto step = [this] {
      XSync(mX, False);
      std::this_thread::sleep_for(std::chrono::milliseconds(60));
    };
    XTestFakeMotionEvent(mX, -1, rootX, rootY, CurrentTime);
    step();
    XTestFakeButtonEvent(mX, 1, True, CurrentTime);
    step();
    for (int moved = 0; moved != dy; moved += dy > 0 ? 10 : -10) {
      XTestFakeMotionEvent(mX, -1, rootX, rootY + moved + (dy > 0 ? 10 : -10), CurrentTime);
      step();
    }
    XTestFakeButtonEvent(mX, 1, False, CurrentTime);
    step();
  }
  // What a window manager sends when the user closes the window.
  void Close(Window w) {
    XEvent e = {};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = XInternAtom(mX, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(XInternAtom(mX, "WM_DELETE_WINDOW", False));
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(mX, w, False, NoEventMask, &e);
    XSync(mX, False);
  }
  // Closes the window, or ends a host whose window never came.
  HostResult FinishWith(pid_t pid, Window w) {
    if (w)
      Close(w);
    else if (pid > 0)
      kill(pid, SIGKILL);
    return Finish(pid);
  }

  Display* mX = nullptr;
};

TEST_F(EditorCommandTest, AKnobDragIsPrintedAndTheStateLeftIsSaved) {
  const pid_t pid = Start({"editor", VERLO_BUNDLE_PATH, "--save", Path("left.fxp")});
  const Window w = WaitForEditorWindow("Verlo");
  ASSERT_NE(w, 0u) << FinishWith(pid, w).err;
  XWindowAttributes a;
  XGetWindowAttributes(mX, w, &a);
  EXPECT_EQ(a.width, 784);
  EXPECT_EQ(a.height, 184);
  Drag(w, 241, 76, -40);  // up from the middle of the FADE knob
  const HostResult r = FinishWith(pid, w);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  // 40 pixels up a 100-pixel knob with a gearing of 4 raise it by a tenth of its range.
  const HostResult tenth = Run({"state", "save", VERLO_BUNDLE_PATH, Path("tenth.fxp"), "--set-normalized", "FADE=0.1"});
  ASSERT_EQ(tenth.exitCode, 0) << tenth.err;
  const size_t at = tenth.out.find("  FADE = ");
  ASSERT_NE(at, std::string::npos) << tenth.out;
  const std::string fadeLine = tenth.out.substr(at, tenth.out.find('\n', at) - at);  // "  FADE = 9.50 ms"
  EXPECT_TRUE(Contains(r.out, "the editor of Verlo is open (784 x 184)")) << r.out;
  EXPECT_TRUE(Contains(r.out, "FADE: begin\n")) << r.out;
  EXPECT_TRUE(Contains(r.out, "\nFADE = ")) << r.out;
  EXPECT_TRUE(Contains(r.out, "FADE: end\n")) << r.out;
  EXPECT_TRUE(Contains(r.out, "saved program state of Verlo (5 parameters) to " + Path("left.fxp") + "\n" + fadeLine))
      << r.out << "\nexpected " << fadeLine;
  const HostResult shown = Run({"state", "show", Path("left.fxp")});
  EXPECT_TRUE(Contains(shown.out, "plug-in ID:      'VRL1'")) << shown.out;
}

TEST_F(EditorCommandTest, AForeignEditorOpensAndClosesWithItsWindow) {
  struct stat st;
  if (stat(kPingPongPan, &st) != 0) GTEST_SKIP() << kPingPongPan << " is absent (apt-get install dpf-plugins-vst)";
  const pid_t pid = Start({"editor", kPingPongPan, "--save", Path("pan.fxb")}, kForeign);
  const Window w = WaitForEditorWindow("Ping Pong Pan");
  ASSERT_NE(w, 0u) << FinishWith(pid, w).err;
  const HostResult r = FinishWith(pid, w);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_TRUE(Contains(r.out, "the editor of Ping Pong Pan is open")) << r.out;
  EXPECT_TRUE(Contains(r.out, "saved bank state of Ping Pong Pan")) << r.out;
}

TEST_F(EditorCommandTest, EditorNeedsAnEditorAndADisplay) {
  const HostResult none = Run({"editor", FakePlugin("mono-gain")});
  EXPECT_EQ(none.exitCode, 1);
  EXPECT_EQ(none.err, "verlo-host: Fake Gain has no editor\n");
  const HostResult headless = Run({"editor", VERLO_BUNDLE_PATH}, kNoDisplay);
  EXPECT_EQ(headless.exitCode, 1);
  EXPECT_EQ(headless.err, "verlo-host: no X display to open the editor on: DISPLAY is not set\n");
}

struct Picture {
  PIX_MemBitmap bitmap;
  bool loaded = false;
};

void Load(const std::string& path, Picture& p) { p.loaded = PIX_LoadPNG(path.c_str(), &p.bitmap) != nullptr; }

TEST_F(EditorCommandTest, ScreenshotShowsTheBypassSwitchAtItsValue) {
  // One picture on the tests' display, the other on a private Xvfb. The first names the bundle
  // relative to where it runs, as users do, so the plug-in finds its artwork from such a path too.
  const std::string relative = std::filesystem::relative(VERLO_BUNDLE_PATH).string();
  const HostResult plain = Run({"screenshot", relative, Path("plain.png")});
  ASSERT_EQ(plain.exitCode, 0) << plain.err;
  EXPECT_TRUE(Contains(plain.out, "saved the editor of Verlo (784 x 184) to " + Path("plain.png"))) << plain.out;
  const HostResult bypassed = Run({"screenshot", VERLO_BUNDLE_PATH, Path("bypassed.png"), "--set", "BY=1"}, kNoDisplay);
  ASSERT_EQ(bypassed.exitCode, 0) << bypassed.err;
  Picture a, b;
  Load(Path("plain.png"), a);
  Load(Path("bypassed.png"), b);
  ASSERT_TRUE(a.loaded && b.loaded);
  EXPECT_EQ(a.bitmap.getWidth(), 784);
  EXPECT_EQ(a.bitmap.getHeight(), 184);
  // Only the switch differs: the smallest rectangle of changed pixels lies inside its own.
  int changed[4] = {};
  ASSERT_EQ(PIX_BitmapCmp(&a.bitmap, &b.bitmap, changed), 1);
  EXPECT_GE(changed[0], 91);
  EXPECT_GE(changed[1], 53);
  EXPECT_LE(changed[0] + changed[2], 151);
  EXPECT_LE(changed[1] + changed[3], 99);
}

TEST_F(EditorCommandTest, ScreenshotOfAForeignEditor) {
  struct stat st;
  if (stat(kPingPongPan, &st) != 0) GTEST_SKIP() << kPingPongPan << " is absent (apt-get install dpf-plugins-vst)";
  std::vector<std::string> env = kForeign;
  env.insert(env.end(), kNoDisplay.begin(), kNoDisplay.end());
  const HostResult r = Run({"screenshot", kPingPongPan, Path("pan.png")}, env);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  Picture p;
  Load(Path("pan.png"), p);
  ASSERT_TRUE(p.loaded);
  EXPECT_TRUE(Contains(r.out, "saved the editor of Ping Pong Pan (" + std::to_string(p.bitmap.getWidth()) + " x " +
                                  std::to_string(p.bitmap.getHeight()) + ")"))
      << r.out;
  // Drawn: far from one flat colour.
  int differing = 0;
  const PIX_pixel first = PIX_GetPixel(&p.bitmap, 0, 0);
  for (int y = 0; y < p.bitmap.getHeight(); ++y)
    for (int x = 0; x < p.bitmap.getWidth(); ++x) differing += PIX_GetPixel(&p.bitmap, x, y) != first;
  EXPECT_GT(differing, p.bitmap.getWidth() * p.bitmap.getHeight() / 2);
}

TEST_F(EditorCommandTest, ScreenshotWithoutAPictureFailsFastAndWritesNothing) {
  struct Case {
    std::vector<std::string> args, env;
    std::string message;
  };
  const std::vector<Case> cases = {
      {{FakePlugin("mono-gain")}, {}, "verlo-host: Fake Gain has no editor\n"},
      {{FakePlugin("blank-editor")}, {}, "verlo-host: the editor of Fake Gain drew nothing in 3 s\n"},
      {{VERLO_BUNDLE_PATH}, {"DISPLAY=", "PATH=" + Path("empty")},
       "verlo-host: there is no X display (DISPLAY is not set) and Xvfb, which would stand in for one, is not "
       "installed (apt-get install xvfb)\n"}};
  for (const Case& c : cases) {
    std::vector<std::string> args = {"screenshot"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    args.push_back(Path("shot.png"));
    const auto start = Clock::now();
    const HostResult r = Run(args, c.env);
    EXPECT_LT(SecondsSince(start), 5.0) << c.message;
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_EQ(r.err, c.message);
    EXPECT_EQ(Files(), std::vector<std::string>{}) << c.message;
  }
}

}  // namespace
