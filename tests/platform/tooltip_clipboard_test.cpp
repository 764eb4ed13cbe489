// Tooltips on the screen, and text from the CLIPBOARD selection of another client.
#include "tests/platform/x11_test_support.h"

#include <chrono>

#include "platform/x11_clipboard.h"
#include "platform/x11_tooltip.h"

namespace {
constexpr PIX_pixel kTooltipBackground = 0xFFFFFFE1u;

using TooltipTest = X11Test;
using ClipboardTest = X11Test;

// Hands the tooltip every event its connection has so far.
void Pump(Display* display, X11Tooltip* tip) {
  XSync(display, False);
  while (XPending(display)) {
    XEvent event;
    XNextEvent(display, &event);
    tip->HandleEvent(event);
  }
}

TEST_F(TooltipTest, ShowsItsTextWhereAskedRepaintsAndHides) {
  X11Tooltip tip(ComponentDisplay());
  tip.Show("Cutoff frequency", 100, 120);
  ASSERT_TRUE(tip.IsShown());
  const std::vector<Window> shown = ShownPopups(TestDisplay());
  ASSERT_EQ(shown.size(), 1u);
  const WindowBox box = RootBox(TestDisplay(), shown[0]);
  EXPECT_EQ(box.x, 100);
  EXPECT_EQ(box.y, 120);
  const auto painted = CaptureWindow(TestDisplay(), shown[0]);
  ASSERT_TRUE(painted);
  SaveScreenshot(*painted, "tooltip");
  const int ink = CountPixelsUnlike(*painted, kTooltipBackground);
  EXPECT_GT(ink, 200);  // the text and the border

  // Cleared to its background, it paints itself again on the exposure.
  XClearArea(TestDisplay(), shown[0], 0, 0, 0, 0, True);
  XSync(TestDisplay(), False);
  const auto cleared = CaptureWindow(TestDisplay(), shown[0]);
  ASSERT_TRUE(cleared);
  EXPECT_EQ(CountPixelsUnlike(*cleared, kTooltipBackground), 0);
  Pump(ComponentDisplay(), &tip);
  const auto repainted = CaptureWindow(TestDisplay(), shown[0]);
  ASSERT_TRUE(repainted);
  EXPECT_EQ(CountPixelsUnlike(*repainted, kTooltipBackground), ink);

  tip.Hide();
  XSync(ComponentDisplay(), False);
  EXPECT_FALSE(tip.IsShown());
  EXPECT_TRUE(ShownPopups(TestDisplay()).empty());
}

// A window of the component's connection to receive the selection on.
Window Requestor(Display* display) { return MakeShownWindow(display, 0, 0, 10, 10, ExposureMask); }

TEST_F(ClipboardTest, NothingWithoutAnOwner) {
  Display* display = ComponentDisplay();
  if (XGetSelectionOwner(display, XInternAtom(display, "CLIPBOARD", False)) != None)
    GTEST_SKIP() << "something else owns the clipboard";
  std::string text = "old";
  EXPECT_FALSE(X11ClipboardText(display, Requestor(display), &text));
  EXPECT_EQ(text, "");
}

TEST_F(ClipboardTest, FallsBackToLatin1AndKeepsOtherEvents) {
  Display* display = ComponentDisplay();
  const Window requestor = Requestor(display);
  XSync(display, True);
  ClipboardOwner owner("caf\xe9", ClipboardOwner::Offers::kStringOnly);
  ASSERT_TRUE(owner.Ready());
  std::string text;
  EXPECT_TRUE(X11ClipboardText(display, requestor, &text));
  EXPECT_EQ(text, "caf\xc3\xa9");
  // The owner exposed the requestor before answering: that event is still there.
  XEvent event;
  EXPECT_TRUE(XCheckTypedWindowEvent(display, requestor, Expose, &event));
}

TEST_F(ClipboardTest, RefusesIncrementalTransfersWithoutHanging) {
  Display* display = ComponentDisplay();
  const Window requestor = Requestor(display);
  ClipboardOwner owner("large", ClipboardOwner::Offers::kIncremental);
  ASSERT_TRUE(owner.Ready());
  std::string text;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(X11ClipboardText(display, requestor, &text));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
  EXPECT_EQ(text, "");
}
}  // namespace
