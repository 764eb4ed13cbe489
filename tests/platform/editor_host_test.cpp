// The X11 editor as a DAW meets it: a child window of the host's parent that shows the draw
// bitmap, redraws only what changes, and turns real input events into the editor's calls.
// gtest comes before Xlib, whose macros (None, Bool) it would not survive.
#include "tests/platform/editor_fixture.h"

#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <chrono>

using namespace test_artwork;
using Clock = std::chrono::steady_clock;

TEST_F(EditorHost, TheEditorIsAChildOfTheParentAndShowsItsBitmap) {
  Open();
  const std::vector<unsigned long> children = daw->EditorWindows();
  ASSERT_EQ(children.size(), 1u);
  XWindowAttributes attributes;
  XGetWindowAttributes(daw->TestDisplay(), children[0], &attributes);
  EXPECT_EQ(attributes.width, kEditorW);
  EXPECT_EQ(attributes.height, kEditorH);
  EXPECT_EQ(attributes.x, 0);
  EXPECT_EQ(attributes.y, 0);
  const std::vector<uint32_t> row = daw->Grab(0, 150, kEditorW, 1);  // below every control
  for (int x = 0; x < 195; ++x) ASSERT_EQ(row[x], Background(x, 150) & 0xFFFFFF) << x;
  EXPECT_EQ(daw->PixelAt(kSwitchX + 5, kSwitchY + 5), SwitchFrame(0) & 0xFFFFFF);
}

TEST_F(EditorHost, NothingChangingDrawsNothingAndHostChangesShowWithinATick) {
  Open();
  ASSERT_NE(screenCopies, nullptr);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  const long before = screenCopies(daw->Effect());
  std::this_thread::sleep_for(std::chrono::seconds(1));
  EXPECT_EQ(screenCopies(daw->Effect()), before);

  const auto start = Clock::now();
  daw->Effect()->setParameter(daw->Effect(), kGain, 1.0f);  // from a host thread
  ASSERT_TRUE(ShowsKnobFrame(60));
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  // The next idle call (every 40 ms) finds the timer due (every 40 ms); a loaded machine adds a little.
  EXPECT_LT(seconds, 0.2);
}

TEST_F(EditorHost, ADragIsAGestureAndKeepsGoingOutsideTheWindow) {
  Open();
  daw->Host().ClearCalls();
  daw->MoveTo(50, 50);
  daw->Button(1, true);
  for (int y = 45; y >= 5; y -= 10) {
    daw->MoveTo(50, y);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  daw->MoveTo(380, 5);  // beyond the editor's right edge: still the knob's drag
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  daw->MoveTo(380, -5);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  daw->Button(1, false);
  ASSERT_TRUE(DawHost::WaitFor([&] { return !daw->Host().CallsWith(audioMasterEndEdit).empty(); }));
  std::vector<VstInt32> gesture;
  for (const TestHost::Call& c : daw->Host().Calls())
    if (c.opcode == audioMasterBeginEdit || c.opcode == audioMasterEndEdit) gesture.push_back(c.opcode);
  EXPECT_EQ(gesture, (std::vector<VstInt32>{audioMasterBeginEdit, audioMasterEndEdit}));
  const std::vector<TestHost::Call> automated = daw->Host().CallsWith(audioMasterAutomate);
  ASSERT_GE(automated.size(), 2u);
  // 55 pixels up over a 60-pixel knob at gearing 4.
  EXPECT_NEAR(automated.back().opt, 0.5 + 55.0 / 60.0 / 4.0, 1e-6);
  EXPECT_NEAR(Param(kGain), 0.5 + 55.0 / 60.0 / 4.0, 1e-6);
}

TEST_F(EditorHost, DoubleClickResetsAndTheWheelSteps) {
  Open();
  daw->Effect()->setParameter(daw->Effect(), kGain, 0.8f);
  daw->MoveTo(50, 50);
  daw->Button(4, true);
  daw->Button(4, false);
  ASSERT_TRUE(DawHost::WaitFor([&] { return std::abs(Param(kGain) - 0.81) < 1e-6; }));
  for (int i = 0; i < 2; ++i) {
    daw->Button(5, true);
    daw->Button(5, false);
  }
  ASSERT_TRUE(DawHost::WaitFor([&] { return std::abs(Param(kGain) - 0.79) < 1e-6; }));
  daw->Click(50, 50);
  daw->Click(50, 50);
  ASSERT_TRUE(DawHost::WaitFor([&] { return Param(kGain) == 0.5f; }));
  EXPECT_TRUE(ShowsKnobFrame(30));
}

TEST_F(EditorHost, KeysReachTheEditorAndTheRestReachTheHost) {
  Open();
  const Window editor = daw->EditorWindows().at(0);
  XSelectInput(daw->TestDisplay(), daw->Parent(), KeyPressMask);
  XSetInputFocus(daw->TestDisplay(), editor, RevertToParent, CurrentTime);
  daw->MoveTo(30, 110);  // over the key stepper
  daw->Key(XK_Up);
  ASSERT_TRUE(DawHost::WaitFor([&] { return Param(kSteps) == 0.25f; }));
  daw->Key(XK_q);  // no control takes it: it goes on to the host's window
  XEvent event;
  const bool forwarded = DawHost::WaitFor([&] {
    return XCheckTypedWindowEvent(daw->TestDisplay(), daw->Parent(), KeyPress, &event) &&
           XLookupKeysym(&event.xkey, 0) == XK_q;
  });
  EXPECT_TRUE(forwarded);
  EXPECT_EQ(Param(kSteps), 0.25f);
}

TEST_F(EditorHost, TheTextEntryTakesTypedNumbersAndCommitsOnReturn) {
  Open();
  daw->Click(200, 30);  // the GAIN caption prompts
  const Window editor = daw->EditorWindows().at(0);
  ASSERT_TRUE(DawHost::WaitFor([&] {
    Window root, parent, *children = nullptr;
    unsigned n = 0;
    XQueryTree(daw->TestDisplay(), editor, &root, &parent, &children, &n);
    if (children) XFree(children);
    return n == 1;
  })) << "no text field opened";
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  for (unsigned long key : {XK_minus, XK_3, XK_period, XK_e, XK_5, XK_Return}) {
    daw->Key(key);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ASSERT_TRUE(DawHost::WaitFor([&] { return std::abs(Param(kGain) - (12.0 - 3.5) / 24.0) < 1e-6; }))
      << "GAIN is " << Param(kGain);
}

TEST_F(EditorHost, TheLinkRunsTheDesktopOpenerFoundFirstInPath) {
  InstallOpenerStandIn();
  Open();
  daw->Click(250, 140);
  EXPECT_EQ(OpenedAddress(), "https://example.org/verlo");
}

TEST_F(EditorHost, MenusReturnTheChoiceTheSubmenusChoiceOrNothing) {
  Open();
  const auto menuKeys = [&](std::initializer_list<unsigned long> keys) {
    std::this_thread::sleep_for(std::chrono::milliseconds(150));  // the menu is up and grabbed
    for (unsigned long key : keys) {
      daw->Key(key);
      std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
  };
  daw->Click(kModeX + 5, kModeY + 5);  // the value menu: Off, On, Auto
  menuKeys({XK_Down, XK_Down, XK_Return});
  ASSERT_TRUE(DawHost::WaitFor([&] { return Param(kMode) == 0.5f; })) << "MODE is " << Param(kMode);
  daw->Click(120, 120);  // One, Two, More > (Three, Four)
  menuKeys({XK_Down, XK_Down, XK_Down, XK_Right, XK_Down, XK_Return});
  ASSERT_TRUE(DawHost::WaitFor([&] { return Param(kSteps) == 0.75f; })) << "STEPS is " << Param(kSteps);
  daw->Click(120, 120);
  menuKeys({XK_Down, XK_Escape});
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  EXPECT_EQ(Param(kSteps), 0.75f);
}
