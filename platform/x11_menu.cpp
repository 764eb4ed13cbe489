#include "platform/x11_menu.h"

#include <poll.h>
#include <time.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

// The plug-in core's headers come before Xlib's macros (Bool, None, Status) can reach them.
#include "graphics/IPopupMenu.h"
#include "pix/pix.h"
#include "pix/pix_cachedfont.h"
#include "platform/x11_canvas.h"
#include "platform/x11_errors.h"

#include <X11/Xutil.h>
#include <X11/keysym.h>

namespace {
constexpr int kFontSize = 15;  // line height; DejaVu Sans then stands about 12 pixels tall
constexpr int kRowPad = 3;     // above and below the text of a row
constexpr int kSeparatorHeight = 9;
constexpr int kBorder = 1;
constexpr int kCheckColumn = 22;  // the check marks' column left of the texts
constexpr int kIndent = 14;
constexpr int kArrowColumn = 18;
constexpr int kRightPad = 12;
constexpr int kMinWidth = 96;
constexpr int kSubmenuOverlap = 3;
constexpr long kIdleMs = 40;
constexpr int kGrabAttempts = 25;  // 20 ms apart: another client's grab may be about to end

constexpr PIX_pixel kBackground = 0xFFF7F7F7u;
constexpr PIX_pixel kFrame = 0xFF969696u;
constexpr PIX_pixel kText = 0xFF1C1C1Cu;
constexpr PIX_pixel kDisabledText = 0xFFA3A3A3u;
constexpr PIX_pixel kHot = 0xFF3875D7u;
constexpr PIX_pixel kHotText = 0xFFFFFFFFu;
constexpr PIX_pixel kSeparator = 0xFFD6D6D6u;

constexpr long kMenuEvents = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask;
constexpr unsigned kGrabbedPointerEvents = ButtonPressMask | ButtonReleaseMask | PointerMotionMask;

long NowMs() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<long>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

struct Row {
  int top = 0, bottom = 0;
  std::string label;
  int flags = 0;
  IPopupMenu* submenu = nullptr;

  bool Separator() const { return flags & IPopupMenuItem::kMenuItemSeparator; }
  // Rows the highlight may rest on: enabled items, submenus among them.
  bool Selectable() const { return !Separator() && !(flags & IPopupMenuItem::kMenuItemDisabled); }
  bool Choosable() const { return Selectable() && !submenu; }
  bool OpensSubmenu() const { return Selectable() && submenu && submenu->GetNItems() > 0; }
};

// One open menu window: the top menu or a submenu.
struct Level {
  explicit Level(Display* d) : display(d) {}
  ~Level() {
    if (!window) return;
    X11ErrorTrap trap(display);
    XDestroyWindow(display, window);
  }
  Level(const Level&) = delete;
  Level& operator=(const Level&) = delete;

  bool Contains(int rootX, int rootY) const { return rootX >= x && rootX < x + w && rootY >= y && rootY < y + h; }
  int RowAt(int rootY) const {
    for (size_t i = 0; i < rows.size(); ++i)
      if (rootY - y >= rows[i].top && rootY - y < rows[i].bottom) return static_cast<int>(i);
    return -1;
  }

  Display* display;
  IPopupMenu* menu = nullptr;
  Window window = 0;
  int x = 0, y = 0, w = 0, h = 0;
  std::vector<Row> rows;
  int hot = -1;
  X11Canvas canvas;
};

std::string Label(const IPopupMenu& menu, int index) {
  static const char* const kFormats[] = {"", "%1d: ", "%02d: ", "%03d: "};
  const int prefix = menu.GetPrefix();
  char number[16] = "";
  if (prefix >= 1 && prefix <= 3) std::snprintf(number, sizeof number, kFormats[prefix], index + 1);
  return std::string(number) + menu.GetItemText(index);
}

void DrawCheckMark(PIX_IBitmap* bm, int cx, int cy, PIX_pixel color) {
  for (int thick = 0; thick < 2; ++thick) {
    const float y = static_cast<float>(cy + thick);
    PIX_FLine(bm, cx - 4.0f, y, cx - 1.0f, y + 3.0f, color, 1.0f, PIX_COMBINE_COPY, true);
    PIX_FLine(bm, cx - 1.0f, y + 3.0f, cx + 4.5f, y - 4.0f, color, 1.0f, PIX_COMBINE_COPY, true);
  }
}

void DrawArrow(PIX_IBitmap* bm, int right, int cy, PIX_pixel color) {
  PIX_FillTriangle(bm, right - 4, cy - 4, right - 4, cy + 4, right, cy, color, 1.0f, PIX_COMBINE_COPY);
}

class MenuSession {
public:
  MenuSession(Display* display, const std::function<void()>& idle) : mDisplay(display), mIdle(idle) {}
  IPopupMenu* Run(IPopupMenu* menu, int rootX, int rootY);

private:
  bool Open(IPopupMenu* menu, int x, int y, const Level* parent);
  void OpenSubmenu(size_t level, bool highlightFirst);
  // Closes every level deeper than depth.
  void CloseBelow(size_t depth);
  void Paint(Level& level);
  void SetHot(size_t level, int row);
  int Step(const Level& level, int direction) const;
  void Choose(size_t level, int row);
  int LevelAt(int rootX, int rootY) const;
  bool Ours(Window window) const;
  void Dispatch(XEvent& event);
  void OnMotion(int rootX, int rootY, bool buttonHeld);
  void OnPress(int rootX, int rootY, unsigned button);
  void OnRelease(int rootX, int rootY, unsigned button);
  void OnKey(XKeyEvent& event);
  void Grab();
  void Ungrab();

  Display* mDisplay;
  const std::function<void()>& mIdle;
  PIX_CachedFont* mFont = nullptr;
  std::vector<std::unique_ptr<Level>> mLevels;
  // Events of the connection's other windows, given back when the menu is done.
  std::vector<XEvent> mDeferred;
  IPopupMenu* mResult = nullptr;
  bool mDone = false;
  // A release chooses only after a press in the menu or a drag over it: the release of the click
  // that opened the menu does not.
  bool mPressedInside = false, mDragged = false;
  bool mPointerGrabbed = false, mKeyboardGrabbed = false;
};

bool MenuSession::Open(IPopupMenu* menu, int x, int y, const Level* parent) {
  if (!mFont || !menu || menu->GetNItems() == 0) return false;
  auto level = std::make_unique<Level>(mDisplay);
  level->menu = menu;
  const int rowHeight = mFont->GetLineHeight() + 2 * kRowPad;
  int top = kBorder, widest = 0;
  bool anySubmenu = false;
  for (int i = 0; i < menu->GetNItems(); ++i) {
    const IPopupMenuItem* item = menu->GetItem(i);
    Row row;
    row.flags = item->GetFlags();
    row.submenu = item->GetSubmenu();
    row.top = top;
    if (!row.Separator()) {
      row.label = Label(*menu, i);
      const int width = X11TextWidth(mFont, nullptr, row.label.c_str()) + (item->IsIndented() ? kIndent : 0);
      if (width > widest) widest = width;
      anySubmenu = anySubmenu || row.submenu;
    }
    top += row.Separator() ? kSeparatorHeight : rowHeight;
    row.bottom = top;
    level->rows.push_back(row);
  }
  level->w = 2 * kBorder + kCheckColumn + widest + kRightPad + (anySubmenu ? kArrowColumn : 0);
  if (level->w < kMinWidth) level->w = kMinWidth;
  level->h = top + kBorder;
  // A submenu that would leave the screen on the right opens to the left of its parent.
  const int rootW = DisplayWidth(mDisplay, DefaultScreen(mDisplay));
  if (parent && x + level->w > rootW) x = parent->x - level->w + kSubmenuOverlap;
  level->x = x;
  level->y = y;
  level->window = X11CreatePopup(mDisplay, &level->x, &level->y, level->w, level->h, kMenuEvents, kBackground);
  if (!level->window || !level->canvas.Init(mDisplay, level->window, level->w, level->h)) return false;
  {
    X11ErrorTrap trap(mDisplay);
    XMapRaised(mDisplay, level->window);
  }
  Paint(*level);
  mLevels.push_back(std::move(level));
  return true;
}

void MenuSession::OpenSubmenu(size_t level, bool highlightFirst) {
  Level& parent = *mLevels[level];
  if (parent.hot < 0 || !parent.rows[parent.hot].OpensSubmenu()) return;
  CloseBelow(level);
  const Row& row = parent.rows[parent.hot];
  if (!Open(row.submenu, parent.x + parent.w - kSubmenuOverlap, parent.y + row.top - kBorder, &parent)) return;
  if (highlightFirst) SetHot(level + 1, Step(*mLevels[level + 1], 1));
}

void MenuSession::CloseBelow(size_t depth) {
  while (mLevels.size() > depth + 1) mLevels.pop_back();
}

void MenuSession::Paint(Level& level) {
  PIX_SysBitmap* bm = level.canvas.Bitmap();
  PIX_BorderedRect(bm, 0, 0, level.w - 1, level.h - 1, kBackground, kFrame, 1.0f, PIX_COMBINE_COPY);
  const int inner = level.w - 2 * kBorder;
  for (size_t i = 0; i < level.rows.size(); ++i) {
    const Row& row = level.rows[i];
    const int mid = (row.top + row.bottom) / 2;
    if (row.Separator()) {
      PIX_FillRect(bm, kBorder + 6, mid, inner - 12, 1, kSeparator, 1.0f, PIX_COMBINE_COPY);
      continue;
    }
    const bool hot = static_cast<int>(i) == level.hot;
    if (hot) PIX_FillRect(bm, kBorder, row.top, inner, row.bottom - row.top, kHot, 1.0f, PIX_COMBINE_COPY);
    const PIX_pixel color = !row.Selectable() ? kDisabledText : hot ? kHotText : kText;
    if (row.flags & IPopupMenuItem::kMenuItemChecked) DrawCheckMark(bm, kBorder + kCheckColumn / 2, mid, color);
    const int left = kBorder + kCheckColumn + (row.flags & IPopupMenuItem::kMenuItemIndented ? kIndent : 0);
    X11DrawTextLine(mFont, bm, row.label.c_str(), -1, left, row.top, row.bottom, color);
    if (row.submenu) DrawArrow(bm, level.w - kBorder - 8, mid, color);
  }
  level.canvas.Show();
}

void MenuSession::SetHot(size_t level, int row) {
  Level& l = *mLevels[level];
  if (row >= 0 && !l.rows[row].Selectable()) row = -1;
  if (l.hot == row) return;
  l.hot = row;
  Paint(l);
}

// The next selectable row from the highlighted one in that direction, wrapping around; -1 when
// the menu has none.
int MenuSession::Step(const Level& level, int direction) const {
  const int n = static_cast<int>(level.rows.size());
  int i = level.hot >= 0 ? level.hot : direction > 0 ? -1 : n;
  for (int tried = 0; tried < n; ++tried) {
    i = (i + direction + n) % n;
    if (level.rows[i].Selectable()) return i;
  }
  return -1;
}

void MenuSession::Choose(size_t level, int row) {
  Level& l = *mLevels[level];
  if (row < 0 || !l.rows[row].Choosable()) return;
  l.menu->SetChosenItemIdx(row);
  mResult = l.menu;
  mDone = true;
}

int MenuSession::LevelAt(int rootX, int rootY) const {
  for (size_t i = mLevels.size(); i-- > 0;)
    if (mLevels[i]->Contains(rootX, rootY)) return static_cast<int>(i);
  return -1;
}

bool MenuSession::Ours(Window window) const {
  for (const auto& level : mLevels)
    if (level->window == window) return true;
  return false;
}

void MenuSession::OnMotion(int rootX, int rootY, bool buttonHeld) {
  const int found = LevelAt(rootX, rootY);
  if (found < 0) {
    // Off the menus: the innermost one loses its highlight; those holding open submenus keep it.
    SetHot(mLevels.size() - 1, -1);
    return;
  }
  const size_t level = static_cast<size_t>(found);
  const int row = mLevels[level]->RowAt(rootY);
  const bool keepsSubmenu = mLevels.size() > level + 1 && mLevels[level]->hot == row;
  if (!keepsSubmenu) CloseBelow(level);
  SetHot(level, row);
  if (row >= 0 && buttonHeld && mLevels[level]->rows[row].Choosable()) mDragged = true;
  if (!keepsSubmenu) OpenSubmenu(level, false);
}

void MenuSession::OnPress(int rootX, int rootY, unsigned button) {
  if (button > Button3) return;  // the wheel
  const int found = LevelAt(rootX, rootY);
  if (found < 0) {
    mDone = true;  // a click outside dismisses
    return;
  }
  mPressedInside = true;
  OnMotion(rootX, rootY, false);
}

void MenuSession::OnRelease(int rootX, int rootY, unsigned button) {
  if (button > Button3 || !(mPressedInside || mDragged)) return;
  const int found = LevelAt(rootX, rootY);
  if (found >= 0) Choose(static_cast<size_t>(found), mLevels[found]->RowAt(rootY));
}

void MenuSession::OnKey(XKeyEvent& event) {
  char text[8];
  KeySym sym = NoSymbol;
  XLookupString(&event, text, sizeof text, &sym, nullptr);
  const size_t last = mLevels.size() - 1;
  Level& level = *mLevels[last];
  switch (sym) {
    case XK_Up:
    case XK_KP_Up: SetHot(last, Step(level, -1)); break;
    case XK_Down:
    case XK_KP_Down: SetHot(last, Step(level, 1)); break;
    case XK_Home:
    case XK_KP_Home:
      level.hot = -1;
      SetHot(last, Step(level, 1));
      break;
    case XK_End:
    case XK_KP_End:
      level.hot = -1;
      SetHot(last, Step(level, -1));
      break;
    case XK_Right:
    case XK_KP_Right: OpenSubmenu(last, true); break;
    case XK_Left:
    case XK_KP_Left:
      if (last > 0) CloseBelow(last - 1);
      break;
    case XK_Escape:
      if (last > 0)
        CloseBelow(last - 1);
      else
        mDone = true;
      break;
    case XK_Return:
    case XK_KP_Enter:
    case XK_space:
      if (level.hot >= 0 && level.rows[level.hot].OpensSubmenu())
        OpenSubmenu(last, true);
      else
        Choose(last, level.hot);
      break;
    default: break;
  }
}

// Input of any window is the menu's while it runs (the grab sends everything here); exposures of
// our windows repaint them; every other event waits for the editor.
void MenuSession::Dispatch(XEvent& event) {
  switch (event.type) {
    case MotionNotify:
      // Only the latest of a run of moves matters.
      while (XEventsQueued(mDisplay, QueuedAlready) > 0) {
        XEvent next;
        XPeekEvent(mDisplay, &next);
        if (next.type != MotionNotify) break;
        XNextEvent(mDisplay, &event);
      }
      OnMotion(event.xmotion.x_root, event.xmotion.y_root,
               (event.xmotion.state & (Button1Mask | Button2Mask | Button3Mask)) != 0);
      return;
    case ButtonPress: OnPress(event.xbutton.x_root, event.xbutton.y_root, event.xbutton.button); return;
    case ButtonRelease: OnRelease(event.xbutton.x_root, event.xbutton.y_root, event.xbutton.button); return;
    case KeyPress: OnKey(event.xkey); return;
    case KeyRelease:
    case EnterNotify:
    case LeaveNotify: return;
    case Expose:
      for (const auto& level : mLevels)
        if (level->window == event.xexpose.window && event.xexpose.count == 0) Paint(*level);
      break;
    default: break;
  }
  if (!Ours(event.xany.window)) mDeferred.push_back(event);
}

// Pointer and keyboard come to us wherever they are, the root window standing for everything that
// is not ours; grabbing before the first menu shows means no input reaches it ungrabbed.
void MenuSession::Grab() {
  const Window root = DefaultRootWindow(mDisplay);
  for (int attempt = 0; attempt < kGrabAttempts; ++attempt) {
    if (!mPointerGrabbed)
      mPointerGrabbed = XGrabPointer(mDisplay, root, True, kGrabbedPointerEvents, GrabModeAsync, GrabModeAsync, None,
                                     None, CurrentTime) == GrabSuccess;
    if (!mKeyboardGrabbed)
      mKeyboardGrabbed = XGrabKeyboard(mDisplay, root, True, GrabModeAsync, GrabModeAsync, CurrentTime) == GrabSuccess;
    if (mPointerGrabbed && mKeyboardGrabbed) return;
    poll(nullptr, 0, 20);
  }
}

void MenuSession::Ungrab() {
  if (mPointerGrabbed) XUngrabPointer(mDisplay, CurrentTime);
  if (mKeyboardGrabbed) XUngrabKeyboard(mDisplay, CurrentTime);
  mPointerGrabbed = mKeyboardGrabbed = false;
}

IPopupMenu* MenuSession::Run(IPopupMenu* menu, int rootX, int rootY) {
  mFont = X11UiFont(kFontSize);
  Grab();
  if (Open(menu, rootX, rootY, nullptr)) {
    const int fd = ConnectionNumber(mDisplay);
    long nextIdle = NowMs() + kIdleMs;
    while (!mDone) {
      while (!mDone && XPending(mDisplay)) {
        XEvent event;
        XNextEvent(mDisplay, &event);
        Dispatch(event);
      }
      if (mDone) break;
      const long now = NowMs();
      if (now >= nextIdle) {
        if (mIdle) mIdle();
        nextIdle = now + kIdleMs;
        continue;
      }
      pollfd ready = {fd, POLLIN, 0};
      poll(&ready, 1, static_cast<int>(nextIdle - now));
    }
  }
  Ungrab();
  mLevels.clear();
  XSync(mDisplay, False);
  // Back at the head of the queue in their order, ahead of what came since.
  for (size_t i = mDeferred.size(); i-- > 0;) XPutBackEvent(mDisplay, &mDeferred[i]);
  return mResult;
}
}  // namespace

IPopupMenu* RunX11PopupMenu(Display* display, IPopupMenu* menu, int rootX, int rootY,
                            const std::function<void()>& idle) {
  if (!display || !menu) return nullptr;
  MenuSession session(display, idle);
  return session.Run(menu, rootX, rootY);
}
