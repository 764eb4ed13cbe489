// The in-place text field under real typing: its character filter and length limit, the keys that
// edit, commit and cancel, the focus, pasting, and what it looks like.
#include "tests/platform/x11_test_support.h"

#include "platform/x11_text_entry.h"

#include <X11/keysym.h>

namespace {
constexpr char kIntegers[] = "0123456789-+";
constexpr char kDecimals[] = "0123456789.-+";
constexpr int kParentX = 40, kParentY = 40;
const IRECT kField(20, 30, 220, 54);

class TextEntryTest : public X11Test {
protected:
  using Outcome = X11TextEntry::Outcome;

  void SetUp() override {
    X11Test::SetUp();
    if (IsSkipped()) return;
    mParent = MakeShownWindow(TestDisplay(), kParentX, kParentY, 280, 90, 0);
    XSetInputFocus(TestDisplay(), mParent, RevertToParent, CurrentTime);
    XSync(TestDisplay(), False);
  }

  std::unique_ptr<X11TextEntry> Open(const char* text, const char* allowed = nullptr, int maxLength = 0) {
    IText style(15, &COLOR_BLACK, "DejaVu Sans", IText::kStyleNormal, IText::kAlignNear);
    style.mTextEntryBGColor = IColor(255, 36, 40, 48);
    style.mTextEntryFGColor = IColor(255, 235, 235, 235);
    return std::make_unique<X11TextEntry>(ComponentDisplay(), mParent, kField, style, text, allowed, maxLength);
  }

  // Hands the field every event the server has sent it so far; the outcome that ended the editing,
  // or kEditing.
  Outcome Pump(X11TextEntry& entry) {
    Display* display = ComponentDisplay();
    XSync(display, False);
    Outcome outcome = Outcome::kEditing;
    while (XPending(display)) {
      XEvent event;
      XNextEvent(display, &event);
      if (event.xany.window != entry.GetWindow()) continue;
      const Outcome now = entry.HandleEvent(event);
      if (now != Outcome::kEditing) outcome = now;
    }
    return outcome;
  }

  std::string Typed(X11TextEntry& entry, const char* text) {
    TypeText(TestDisplay(), text);
    Pump(entry);
    return entry.Text();
  }

  std::string Key(X11TextEntry& entry, unsigned long keysym, const std::vector<unsigned long>& held = {}) {
    PressKey(TestDisplay(), keysym, held);
    Pump(entry);
    return entry.Text();
  }

  Window Focus() {
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(TestDisplay(), &focus, &revert);
    return focus;
  }

  Window mParent = 0;
};

TEST_F(TextEntryTest, IntegerFieldRefusesAPointAndTakesASignedNumber) {
  auto entry = Open("5", kIntegers);
  ASSERT_TRUE(entry->IsOpen());
  EXPECT_EQ(Typed(*entry, "."), "5");
  // The value came selected, so typing replaces it.
  EXPECT_EQ(Typed(*entry, "-12"), "-12");
  PressKey(TestDisplay(), XK_Return);
  EXPECT_EQ(Pump(*entry), Outcome::kCommitted);
  EXPECT_EQ(entry->Text(), "-12");
}

TEST_F(TextEntryTest, DecimalFieldTakesAFractionButNoExponent) {
  auto entry = Open("0", kDecimals);
  EXPECT_EQ(Typed(*entry, "1.5e"), "1.5");
  PressKey(TestDisplay(), XK_Tab);
  EXPECT_EQ(Pump(*entry), Outcome::kCommitted);
  EXPECT_EQ(entry->Text(), "1.5");
}

TEST_F(TextEntryTest, AnEmptyCharacterSetRefusesEverything) {
  auto entry = Open("7", "");
  EXPECT_EQ(Typed(*entry, "1a"), "7");
}

TEST_F(TextEntryTest, LengthLimitRefusesTheEighthCharacterAndEscapeCancels) {
  auto entry = Open("", kDecimals, 7);
  EXPECT_EQ(Typed(*entry, "12345678"), "1234567");
  PressKey(TestDisplay(), XK_Escape);
  EXPECT_EQ(Pump(*entry), Outcome::kCancelled);
}

TEST_F(TextEntryTest, CaretKeysAndDeletionEdit) {
  auto entry = Open("abcd");
  EXPECT_EQ(Key(*entry, XK_Right), "abcd");  // ends the selection at its end
  EXPECT_EQ(Key(*entry, XK_BackSpace), "abc");
  EXPECT_EQ(Key(*entry, XK_Home), "abc");
  EXPECT_EQ(Key(*entry, XK_Delete), "bc");
  EXPECT_EQ(Key(*entry, XK_Right), "bc");
  EXPECT_EQ(Typed(*entry, "X"), "bXc");
  EXPECT_EQ(Key(*entry, XK_Left, {XK_Shift_L}), "bXc");
  EXPECT_EQ(Typed(*entry, "Y"), "bYc");
  EXPECT_EQ(Key(*entry, XK_End, {XK_Shift_L}), "bYc");
  EXPECT_EQ(Key(*entry, XK_BackSpace), "bY");
  EXPECT_EQ(Key(*entry, XK_Home, {XK_Shift_L}), "bY");  // nothing moves: the caret is at the end
  EXPECT_EQ(Typed(*entry, "Z"), "Z");
}

TEST_F(TextEntryTest, AClickPlacesTheCaret) {
  auto entry = Open("123");
  Click(TestDisplay(), kParentX + kField.L + 1, kParentY + kField.T + kField.H() / 2);
  EXPECT_EQ(Typed(*entry, "9"), "9123");
}

TEST_F(TextEntryTest, TakesTheFocusAndGivesItBack) {
  // Not the field's parent, where the focus would fall back to anyway.
  const Window previous = MakeShownWindow(TestDisplay(), 400, 40, 50, 50, 0);
  XSetInputFocus(TestDisplay(), previous, RevertToParent, CurrentTime);
  XSync(TestDisplay(), False);
  auto entry = Open("1");
  EXPECT_EQ(Focus(), entry->GetWindow());
  PressKey(TestDisplay(), XK_Return);
  EXPECT_EQ(Pump(*entry), Outcome::kCommitted);
  entry.reset();
  XSync(ComponentDisplay(), False);
  EXPECT_EQ(Focus(), previous);
}

TEST_F(TextEntryTest, LosingTheFocusCommitsAndLeavesItWhereItWent) {
  auto entry = Open("1");
  EXPECT_EQ(Typed(*entry, "42"), "42");
  const Window other = MakeShownWindow(TestDisplay(), 400, 40, 50, 50, 0);
  XSetInputFocus(TestDisplay(), other, RevertToParent, CurrentTime);
  XSync(TestDisplay(), False);
  EXPECT_EQ(Pump(*entry), Outcome::kCommitted);
  EXPECT_EQ(entry->Text(), "42");
  entry.reset();
  XSync(ComponentDisplay(), False);
  EXPECT_EQ(Focus(), other);
}

TEST_F(TextEntryTest, PastesTheClipboardThroughTheFilter) {
  auto entry = Open("0", kDecimals);
  {
    ClipboardOwner owner("2.5", ClipboardOwner::Offers::kUtf8);
    ASSERT_TRUE(owner.Ready());
    EXPECT_EQ(Key(*entry, XK_v, {XK_Control_L}), "2.5");
  }
  ClipboardOwner owner("1e5", ClipboardOwner::Offers::kUtf8);
  ASSERT_TRUE(owner.Ready());
  EXPECT_EQ(Key(*entry, XK_v, {XK_Control_L}), "2.5");
}

TEST_F(TextEntryTest, ShowsTheTextTheSelectionAndTheCaret) {
  auto entry = Open("-12.5 dB");
  Pump(*entry);
  const PIX_pixel background = 0xFF242830u, selection = 0xFF3875D7u;
  const auto selected = CaptureWindow(TestDisplay(), entry->GetWindow());
  ASSERT_TRUE(selected);
  EXPECT_EQ(selected->getWidth(), kField.W());
  SaveScreenshot(*selected, "text_entry_selected");
  const int area = kField.W() * kField.H();
  // The selection covers the text; white text on it.
  EXPECT_LT(CountPixelsUnlike(*selected, selection, 8), area - 150);
  EXPECT_GT(CountPixelsUnlike(*selected, background, 8), 400);

  Key(*entry, XK_End);
  const auto caret = CaptureWindow(TestDisplay(), entry->GetWindow());
  ASSERT_TRUE(caret);
  SaveScreenshot(*caret, "text_entry_caret");
  EXPECT_EQ(CountPixelsUnlike(*caret, selection, 8), area);
  EXPECT_GT(CountPixelsUnlike(*caret, background, 8), 60);
  // The ink furthest right is the caret: a column taller than any glyph's stem.
  int right = -1, caretPixels = 0;
  for (int x = 0; x < caret->getWidth(); ++x)
    for (int y = 0; y < caret->getHeight(); ++y)
      if (caret->getBits()[y * caret->getRowSpan() + x] != background) right = x;
  for (int y = 0; right >= 0 && y < caret->getHeight(); ++y)
    caretPixels += caret->getBits()[y * caret->getRowSpan() + right] == 0xFFEBEBEBu;
  EXPECT_GT(right, 40);
  EXPECT_GE(caretPixels, 13);
}
}  // namespace
