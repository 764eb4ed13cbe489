// The pop-up menu under real pointer and key input. The menu is modal: it runs on the component's
// connection in the test's thread while a driver thread, with a connection of its own, watches
// for its windows and sends the input.
#include "tests/platform/x11_test_support.h"

#include "graphics/IPopupMenu.h"
#include "platform/x11_menu.h"

#include <X11/keysym.h>

namespace {
constexpr int kMenuX = 300, kMenuY = 200;
constexpr PIX_pixel kMenuBackground = 0xFFF7F7F7u;

using Script = std::function<void(Display*)>;

// The menu windows once there are n of them, bottom (the top menu) first.
std::vector<Window> AwaitMenus(Display* display, size_t n) {
  std::vector<Window> shown;
  WaitUntil([&] { return (shown = ShownPopups(display)).size() == n; });
  return shown;
}

// The middle of row i of a menu of n rows of one height.
int RowY(const WindowBox& box, int i, int n) { return box.y + box.h * (2 * i + 1) / (2 * n); }
int MiddleX(const WindowBox& box) { return box.x + box.w / 2; }

class MenuTest : public X11Test {
protected:
  void SetUp() override {
    X11Test::SetUp();
    if (IsSkipped()) return;
    mEditor = MakeShownWindow(ComponentDisplay(), 0, 0, 200, 100, ExposureMask);
    MovePointer(TestDisplay(), 1, 1000);  // away from where the menus open
    XSync(ComponentDisplay(), True);      // no exposure of the editor left from its showing
  }

  IPopupMenu* Run(IPopupMenu* menu, const Script& script, int x = kMenuX, int y = kMenuY) {
    std::thread driver([&] {
      X11Connection connection;
      Display* display = connection.get();
      if (!display) return;
      script(display);
      // A script that left the menu up ends it, so that a failing test does not hang.
      if (!WaitUntil([&] { return ShownPopups(display).empty(); }, 2000)) {
        for (int i = 0; i < 3; ++i) PressKey(display, XK_Escape);
        Click(display, 1, 1000);
      }
    });
    IPopupMenu* chosen = RunX11PopupMenu(ComponentDisplay(), menu, x, y, [&] { ++mIdleCalls; });
    driver.join();
    return chosen;
  }

  // Shows a menu with every kind of item and reads it back once it is drawn.
  void LookAtEveryKindOfItem(int prefix, WindowBox* box, int* ink, const char* name) {
    IPopupMenu sub, menu;
    sub.AddItem("Slow");
    menu.SetPrefix(prefix);
    menu.AddItem("Low cut", -1, IPopupMenuItem::kMenuItemChecked);
    menu.AddItem("Band pass");
    menu.AddItem("High shelf", -1, IPopupMenuItem::kMenuItemDisabled | IPopupMenuItem::kMenuItemChecked);
    menu.AddSeparator();
    menu.AddItem("Notch", -1, IPopupMenuItem::kMenuItemIndented);
    menu.AddItem("Speed", &sub);
    Run(&menu, [&](Display* d) {
      const Window window = AwaitMenus(d, 1)[0];
      *box = RootBox(d, window);
      std::unique_ptr<PIX_MemBitmap> shot;
      WaitUntil([&] { return (shot = CaptureWindow(d, window)) && CountPixelsUnlike(*shot, kMenuBackground) > 500; });
      if (shot) {
        *ink = CountPixelsUnlike(*shot, kMenuBackground);
        SaveScreenshot(*shot, name);
      }
      PressKey(d, XK_Escape);
    });
  }

  Window mEditor = 0;
  std::atomic<int> mIdleCalls{0};
};

void AddItems(IPopupMenu* menu, std::initializer_list<const char*> texts) {
  for (const char* text : texts) menu->AddItem(text);
}

TEST_F(MenuTest, AClickChoosesTheItemUnderThePointer) {
  IPopupMenu menu;
  AddItems(&menu, {"Alpha", "Beta", "Gamma"});
  EXPECT_EQ(Run(&menu,
                [](Display* d) {
                  const WindowBox box = RootBox(d, AwaitMenus(d, 1)[0]);
                  Click(d, MiddleX(box), RowY(box, 1, 3));
                }),
            &menu);
  EXPECT_EQ(menu.GetChosenItemIdx(), 1);
}

TEST_F(MenuTest, KeysSkipSeparatorsAndDisabledItems) {
  IPopupMenu menu;
  menu.AddItem("One");
  menu.AddSeparator();
  menu.AddItem("Two", -1, IPopupMenuItem::kMenuItemDisabled);
  menu.AddItem("Three");
  EXPECT_EQ(Run(&menu,
                [](Display* d) {
                  AwaitMenus(d, 1);
                  for (const KeySym key : {XK_Down, XK_Down, XK_Return}) PressKey(d, key);
                }),
            &menu);
  EXPECT_EQ(menu.GetChosenItemIdx(), 3);
}

TEST_F(MenuTest, AClickOnADisabledItemChoosesNothingAndAClickOutsideDismisses) {
  IPopupMenu menu;
  menu.AddItem("Alpha");
  menu.AddItem("Beta", -1, IPopupMenuItem::kMenuItemDisabled);
  menu.AddItem("Gamma");
  EXPECT_EQ(Run(&menu,
                [](Display* d) {
                  const WindowBox box = RootBox(d, AwaitMenus(d, 1)[0]);
                  Click(d, MiddleX(box), RowY(box, 1, 3));
                  Click(d, 1200, 50);
                }),
            nullptr);
  EXPECT_EQ(menu.GetChosenItemIdx(), -1);
}

TEST_F(MenuTest, ChoosingInASubmenuReturnsTheSubmenu) {
  IPopupMenu sub, menu;
  AddItems(&sub, {"Slow", "Fast"});
  menu.AddItem("Off");
  menu.AddItem("Speed", &sub);
  WindowBox top, opened;
  EXPECT_EQ(Run(&menu,
                [&](Display* d) {
                  top = RootBox(d, AwaitMenus(d, 1)[0]);
                  MovePointer(d, MiddleX(top), RowY(top, 1, 2));  // hovering opens it
                  opened = RootBox(d, AwaitMenus(d, 2).back());
                  MovePointer(d, MiddleX(opened), RowY(opened, 1, 2));
                  if (const auto shot = CaptureWindow(d, AwaitMenus(d, 2).back())) SaveScreenshot(*shot, "submenu");
                  Click(d, MiddleX(opened), RowY(opened, 1, 2));
                }),
            &sub);
  EXPECT_EQ(sub.GetChosenItemIdx(), 1);
  EXPECT_EQ(menu.GetChosenItemIdx(), -1);
  EXPECT_GE(opened.x, top.x + top.w - 8);  // beside its row
}

TEST_F(MenuTest, ArrowKeysOpenAndCloseASubmenuAndEscapeClosesOnlyIt) {
  IPopupMenu sub, menu;
  AddItems(&sub, {"Slow", "Fast"});
  menu.AddItem("Off");
  menu.AddItem("Speed", &sub);
  size_t afterLeft = 0, afterEscape = 0;
  EXPECT_EQ(Run(&menu,
                [&](Display* d) {
                  AwaitMenus(d, 1);
                  for (const KeySym key : {XK_Down, XK_Down, XK_Right}) PressKey(d, key);
                  AwaitMenus(d, 2);
                  PressKey(d, XK_Left);
                  afterLeft = AwaitMenus(d, 1).size();
                  PressKey(d, XK_Right);
                  AwaitMenus(d, 2);
                  PressKey(d, XK_Escape);
                  afterEscape = AwaitMenus(d, 1).size();
                  for (const KeySym key : {XK_Right, XK_Down, XK_Return}) PressKey(d, key);
                }),
            &sub);
  EXPECT_EQ(afterLeft, 1u);
  EXPECT_EQ(afterEscape, 1u);
  EXPECT_EQ(sub.GetChosenItemIdx(), 1);
}

TEST_F(MenuTest, EscapeDismissesWhileTheEditorKeepsItsEventsAndDrawing) {
  IPopupMenu menu;
  AddItems(&menu, {"Alpha", "Beta"});
  Display* display = ComponentDisplay();
  const int rootW = DisplayWidth(display, DefaultScreen(display));
  const int rootH = DisplayHeight(display, DefaultScreen(display));
  WindowBox box;
  const Window editor = mEditor;
  EXPECT_EQ(Run(
                &menu,
                [&](Display* d) {
                  box = RootBox(d, AwaitMenus(d, 1)[0]);
                  XClearArea(d, editor, 10, 10, 20, 20, True);  // an exposure of the editor meanwhile
                  XSync(d, False);
                  WaitUntil([&] { return mIdleCalls >= 3; });
                  PressKey(d, XK_Escape);
                },
                rootW - 10, rootH - 10),
            nullptr);
  EXPECT_EQ(menu.GetChosenItemIdx(), -1);
  EXPECT_GE(mIdleCalls, 3);
  // Kept on the screen.
  EXPECT_GT(box.w, 0);
  EXPECT_LE(box.x + box.w, rootW);
  EXPECT_LE(box.y + box.h, rootH);
  // The editor's exposure waits in the queue.
  bool exposed = false;
  XEvent event;
  while (!exposed && XCheckTypedWindowEvent(display, mEditor, Expose, &event))
    exposed = event.xexpose.x == 10 && event.xexpose.y == 10 && event.xexpose.width == 20;
  EXPECT_TRUE(exposed);
}

TEST_F(MenuTest, ATwoDigitPrefixNumbersTheItems) {
  WindowBox plain, numbered;
  int plainInk = 0, numberedInk = 0;
  LookAtEveryKindOfItem(0, &plain, &plainInk, "menu_plain");
  LookAtEveryKindOfItem(2, &numbered, &numberedInk, "menu_numbered");
  // "01: " and the like before every text: wider, and more ink.
  EXPECT_GT(numbered.w, plain.w + 15);
  EXPECT_GT(numberedInk, plainInk + 200);
  EXPECT_GT(plainInk, 1000);
}
}  // namespace
