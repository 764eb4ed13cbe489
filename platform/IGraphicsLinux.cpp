#include "platform/IGraphicsLinux.h"

#include <cstring>
#include <ctime>
#include <string>

// The plug-in core's headers come before Xlib's, whose macros (Bool, None, Status) they would
// not survive.
#include "effect/IParam.h"
#include "kit/bundle.h"
#include "pix/pix_bitmap.h"
#include "pix/pix_png.h"
#include "platform/desktop.h"
#include "platform/x11_clipboard.h"
#include "platform/x11_connection.h"
#include "platform/x11_errors.h"
#include "platform/x11_input.h"
#include "platform/x11_menu.h"
#include "platform/x11_screen.h"
#include "platform/x11_text_entry.h"
#include "platform/x11_tooltip.h"

#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>

namespace {
double Now() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + t.tv_nsec * 1e-9;
}

constexpr long kEventMask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask |
                            EnterWindowMask | LeaveWindowMask | StructureNotifyMask;
constexpr double kTooltipDelay = 0.6;  // seconds the pointer rests before a tooltip shows
}  // namespace

IGraphicsLinux::IGraphicsLinux(IEffectBase* plug, int w, int h, int fps)
    : IGraphics(plug, w, h, fps), mDoubleClick(std::make_unique<X11DoubleClick>()) {}

IGraphicsLinux::~IGraphicsLinux() { CloseWindow(); }

void* IGraphicsLinux::OpenWindow(void* parent) {
  CloseWindow();
  const Window parentWindow = static_cast<Window>(reinterpret_cast<uintptr_t>(parent));
  if (!parentWindow) return nullptr;  // the editor lives in a host's window, never on its own
  Display* display = X11OpenDisplay();
  if (!display) return nullptr;
  const int screen = DefaultScreen(display);
  Window window = 0;
  {
    X11ErrorTrap trap(display);
    XSetWindowAttributes attributes = {};
    attributes.event_mask = kEventMask;
    attributes.colormap = DefaultColormap(display, screen);
    attributes.border_pixel = 0;
    attributes.background_pixmap = None;  // the bitmap covers everything: no flash of a background
    window = XCreateWindow(display, parentWindow, 0, 0,
                           static_cast<unsigned>(Width()), static_cast<unsigned>(Height()), 0,
                           DefaultDepth(display, screen), InputOutput, DefaultVisual(display, screen),
                           CWEventMask | CWColormap | CWBorderPixel | CWBackPixmap, &attributes);
    if (trap.Sync() != 0) window = 0;
    mScreen = std::make_unique<X11ScreenCopy>();
    if (!window || !mScreen->Init(display, window, Width(), Height())) {
      mScreen.reset();
      if (window) XDestroyWindow(display, window);
      window = 0;
    }
  }
  if (!window) {
    XCloseDisplay(display);
    return nullptr;
  }
  mDisplay = display;
  mWindow = window;
  mParent = parentWindow;
  mWindowGone = false;
  mTooltip = std::make_unique<X11Tooltip>(display);
  {
    X11ErrorTrap trap(display);
    XMapWindow(display, window);
  }
  // Everything is drawn once now; the exposure that follows the mapping shows it.
  SetAllControlsDirty();
  IRECT all(0, 0, Width(), Height());
  IsDirty(&all);
  Draw(&all);
  mLastTick = Now();
  UpdateTooltips();
  return GetWindow();
}

void IGraphicsLinux::DestroyWindow() {
  X11ErrorTrap trap(mDisplay);
  mTextEntry.reset();
  mTooltip.reset();
  mScreen.reset();
  if (mCursorHidden) ShowMouseCursor();
  // A window destroyed with its parent is gone; asking again would only earn an error.
  if (!mWindowGone) XDestroyWindow(mDisplay, mWindow);
}

void IGraphicsLinux::CloseWindow() {
  if (!mDisplay) return;
  DestroyWindow();
  XCloseDisplay(mDisplay);
  mDisplay = nullptr;
  mWindow = 0;
  mParent = 0;
  mEdControl = nullptr;
  mEdParam = nullptr;
  ReleaseMouseCapture();
}

void IGraphicsLinux::Idle() {
  ReapDesktopChildren();
  if (!mDisplay) return;
  X11ErrorTrap trap(mDisplay);
  while (mDisplay && XPending(mDisplay)) {
    XEvent event;
    XNextEvent(mDisplay, &event);
    HandleEvent(event);
  }
  if (!mDisplay || mWindowGone) return;
  const double now = Now();
  if (now - mLastTick >= 1.0 / FPS()) {
    mLastTick = now;
    IRECT area;
    if (IsDirty(&area)) Draw(&area);
    UpdateTooltip(mHoverX, mHoverY, false);
  }
}

bool IGraphicsLinux::DrawScreen(IRECT* rect) {
  if (!mScreen || mWindowGone || !rect) return false;
  return mScreen->Put(GetDrawBitmap(), *rect);
}

long IGraphicsLinux::ScreenCopies() const { return mScreen ? mScreen->Copies() : 0; }
bool IGraphicsLinux::ScreenCopyUsesShm() const { return mScreen && mScreen->UsesShm(); }

bool IGraphicsLinux::MeasureIText(IText* text, char* str, IRECT* destRect) {
  return IGraphics::MeasureIText(text, str, destRect);
}

void IGraphicsLinux::Resize(int w, int h) {
  if (w == Width() && h == Height()) return;
  IGraphics::Resize(w, h);
  if (!mDisplay || mWindowGone) return;
  X11ErrorTrap trap(mDisplay);
  XResizeWindow(mDisplay, mWindow, static_cast<unsigned>(w), static_cast<unsigned>(h));
  mScreen = std::make_unique<X11ScreenCopy>();
  if (!mScreen->Init(mDisplay, mWindow, w, h)) mScreen.reset();
}

PIX_IBitmap* IGraphicsLinux::OSLoadBitmap(int, const char* name) {
  if (!name) return nullptr;
  const char* dot = strrchr(name, '.');
  const char* extension = dot ? dot + 1 : name;
  if (strcasecmp(extension, "png") != 0) return nullptr;
  const char* slash = strrchr(name, '/');
  const char* base = slash ? slash + 1 : name;
  const std::string file = std::string(base, dot > base ? static_cast<size_t>(dot - base) : strlen(base)) + ".png";
  char path[4096];
  if (!KIT_GetBundleResourcePath(file.c_str(), path, sizeof path)) return nullptr;
  return PIX_LoadPNG(path, nullptr);
}

// Events.

void IGraphicsLinux::HandleEvent(XEvent& event) {
  if (mTextEntry && event.xany.window == mTextEntry->GetWindow()) {
    const X11TextEntry::Outcome outcome = mTextEntry->HandleEvent(event);
    if (outcome == X11TextEntry::Outcome::kCommitted) {
      std::string text = mTextEntry->Text();
      IControl* control = mEdControl;
      IParam* param = mEdParam;
      EndUserInput();
      if (param)
        SetFromStringAfterPrompt(control, param, &text[0]);
      else if (control)
        control->TextFromTextEntry(text.c_str());
    } else if (outcome == X11TextEntry::Outcome::kCancelled) {
      EndUserInput();
    }
    return;
  }
  if (mTooltip && mTooltip->HandleEvent(event)) return;
  if (event.xany.window != mWindow) return;
  switch (event.type) {
    case Expose: {
      IRECT r(event.xexpose.x, event.xexpose.y, event.xexpose.x + event.xexpose.width,
              event.xexpose.y + event.xexpose.height);
      DrawScreen(&r);
      break;
    }
    case ButtonPress: HandleButton(event, true); break;
    case ButtonRelease: HandleButton(event, false); break;
    case MotionNotify: HandleMotion(event); break;
    case KeyPress: HandleKey(event); break;
    case LeaveNotify:
      if (event.xcrossing.mode == NotifyNormal) {
        OnMouseOut();
        UpdateTooltip(-1, -1, true);
      }
      break;
    case DestroyNotify:
      if (event.xdestroywindow.window == mWindow) mWindowGone = true;
      break;
    default: break;
  }
}

void IGraphicsLinux::HandleButton(XEvent& any, bool press) {
  const XButtonEvent& event = any.xbutton;
  const int x = event.x, y = event.y;
  mPrevX = x;
  mPrevY = y;
  UpdateTooltip(-1, -1, true);
  if (event.button >= 4 && event.button <= 7) {
    if (!press) return;
    if (mTextEntry) EndUserInput();
    IMouseMod mod = ModsFromState(event.state, false);
    OnMouseWheel(x, y, &mod, event.button == 4 || event.button == 7 ? 1 : -1);
    return;
  }
  if (event.button != Button1 && event.button != Button3) return;
  const bool right = event.button == Button3;
  IMouseMod mod = ModsFromState(event.state, right);
  if (!press) {
    OnMouseUp(x, y, &mod);
    return;
  }
  if (mTextEntry) {
    // A click beside the field takes the focus from it, which commits it.
    XEvent focusOut = {};
    focusOut.type = FocusOut;
    focusOut.xfocus.window = mTextEntry->GetWindow();
    HandleEvent(focusOut);
  }
  const bool doubled = mDoubleClick->Press(event.button, event.time, x, y);
  if (doubled && !right)
    OnMouseDblClick(x, y, &mod);
  else
    OnMouseDown(x, y, &mod);
}

void IGraphicsLinux::HandleMotion(XEvent& event) {
  // Only the latest of a run of moves matters. A move queued behind a press or a release stays
  // there: taken early, it would drag before the press or lose the drag's last step.
  while (XEventsQueued(mDisplay, QueuedAlready) > 0) {
    XEvent next;
    XPeekEvent(mDisplay, &next);
    if (next.type != MotionNotify || next.xmotion.window != mWindow) break;
    XNextEvent(mDisplay, &event);
  }
  const XMotionEvent& motion = event.xmotion;
  mPrevX = motion.x;
  mPrevY = motion.y;
  const bool left = motion.state & Button1Mask, right = motion.state & Button3Mask;
  if (left || right) {
    if (mTextEntry) return;
    IMouseMod mod = ModsFromState(motion.state, right && !left);
    OnMouseDrag(motion.x, motion.y, &mod);
    return;
  }
  IMouseMod mod = ModsFromState(motion.state, false);
  OnMouseOver(motion.x, motion.y, &mod);
  UpdateTooltip(motion.x, motion.y, true);
}

void IGraphicsLinux::HandleKey(XEvent& any) {
  XKeyEvent& event = any.xkey;
  KeySym keysym = NoSymbol;
  char text[8];
  XLookupString(&event, text, sizeof text, &keysym, nullptr);
  const int code = EditorKeyCode(keysym);
  if (code >= 0 && OnKeyDown(mPrevX, mPrevY, code)) return;
  // Keys the editor does not take are the host's, as if the editor had not been there.
  if (!mParent) return;
  XKeyEvent forwarded = event;
  forwarded.window = mParent;
  XSendEvent(mDisplay, mParent, True, KeyPressMask, reinterpret_cast<XEvent*>(&forwarded));
}

// Text entry.

void IGraphicsLinux::CreateTextEntry(IControl* control, IText* text, IRECT* textRect, const char* str,
                                     IParam* param) {
  if (!control || !mDisplay || mWindowGone || mTextEntry || !textRect) return;
  const char* allowed = nullptr;
  if (param) {
    switch (param->Type()) {
      case IParam::kTypeBool:
      case IParam::kTypeInt:
      case IParam::kTypeEnum: allowed = "0123456789-+"; break;
      case IParam::kTypeDouble: allowed = "0123456789.-+"; break;
      default: allowed = ""; break;
    }
  }
  X11ErrorTrap trap(mDisplay);
  mTextEntry = std::make_unique<X11TextEntry>(mDisplay, mWindow, *textRect, text ? *text : IText(), str, allowed,
                                              param ? control->GetTextEntryLength() : 0);
  if (!mTextEntry->IsOpen()) {
    mTextEntry.reset();
    return;
  }
  mEdControl = control;
  mEdParam = param;
}

void IGraphicsLinux::EndUserInput() {
  if (!mTextEntry) return;
  X11ErrorTrap trap(mDisplay);
  mTextEntry.reset();
  mEdControl = nullptr;
  mEdParam = nullptr;
  SetAllControlsDirty();
}

void IGraphicsLinux::ForceEndUserEdit() { EndUserInput(); }

// Menus and dialogs.

IPopupMenu* IGraphicsLinux::CreateIPopupMenu(IPopupMenu* menu, IRECT* areaRect) {
  ReleaseMouseCapture();
  if (!mDisplay || mWindowGone || !menu || !areaRect) return nullptr;
  int rootX = 0, rootY = 0;
  Window child;
  X11ErrorTrap trap(mDisplay);
  XTranslateCoordinates(mDisplay, mWindow, DefaultRootWindow(mDisplay), areaRect->L, areaRect->B, &rootX, &rootY,
                        &child);
  // The editor keeps drawing while the menu is up.
  IPopupMenu* chosen = RunX11PopupMenu(mDisplay, menu, rootX, rootY, [this] {
    IRECT area;
    if (IsDirty(&area)) Draw(&area);
  });
  // The press that opened the menu does not pair with the next one into a double-click.
  *mDoubleClick = X11DoubleClick();
  return chosen;
}

int IGraphicsLinux::ShowMessageBox(const char* text, const char* caption, int type) {
  return ShowDesktopMessageBox(text, caption, type);
}

void IGraphicsLinux::PromptForFile(KIT_String* filename, EFileAction action, KIT_String* dir, char* extensions) {
  if (!filename) return;
  if (!mDisplay || !dir) {
    filename->Set("");
    return;
  }
  PromptDesktopFile(filename, action, dir, extensions);
}

bool IGraphicsLinux::OpenURL(const char* url, const char*, const char*, const char*) {
  return url && url[0] && OpenWithDesktop(url);
}

bool IGraphicsLinux::GetTextFromClipboard(KIT_String* str) {
  std::string text;
  const bool got = mDisplay && !mWindowGone && X11ClipboardText(mDisplay, mWindow, &text);
  str->Set(got ? text.c_str() : "");
  return got;
}

// Paths.

void IGraphicsLinux::HostPath(KIT_String* path) { HostExecutablePath(path); }
void IGraphicsLinux::PluginPath(KIT_String* path) { FolderHoldingBundle(path); }
void IGraphicsLinux::DesktopPath(KIT_String* path) { UserDesktopPath(path); }
void IGraphicsLinux::AppSupportPath(KIT_String* path, bool isSystem) { ApplicationDataPath(path, isSystem); }
void IGraphicsLinux::SandboxSafeAppSupportPath(KIT_String* path) { UserMusicPath(path); }
int IGraphicsLinux::GetUserOSVersion() { return KernelVersion(); }

// Cursor.

void IGraphicsLinux::HideMouseCursor() {
  if (mCursorHidden || !mDisplay || mWindowGone) return;
  Window root, child;
  int rootX, rootY, x, y;
  unsigned mask;
  X11ErrorTrap trap(mDisplay);
  if (!XQueryPointer(mDisplay, mWindow, &root, &child, &rootX, &rootY, &x, &y, &mask)) return;
  XFixesHideCursor(mDisplay, mWindow);
  if (trap.Sync() != 0) return;
  mCursorHidden = true;
  mHiddenMousePointX = rootX;
  mHiddenMousePointY = rootY;
}

void IGraphicsLinux::ShowMouseCursor() {
  if (!mCursorHidden || !mDisplay) return;
  X11ErrorTrap trap(mDisplay);
  XWarpPointer(mDisplay, None, DefaultRootWindow(mDisplay), 0, 0, 0, 0, mHiddenMousePointX, mHiddenMousePointY);
  if (!mWindowGone) XFixesShowCursor(mDisplay, mWindow);
  if (trap.Sync() == 0) mCursorHidden = false;
}

// Tooltips.

void IGraphicsLinux::UpdateTooltips() {
  if (mTooltip) mTooltip->Hide();
  mHoverControl = -1;
}

void IGraphicsLinux::UpdateTooltip(int x, int y, bool moved) {
  if (!mTooltip || !TooltipsEnabled()) return;
  if (moved) {
    mTooltip->Hide();
    mHoverX = x;
    mHoverY = y;
    mHoverSince = Now();
    mHoverControl = x < 0 ? -1 : GetMouseControlIdx(x, y, true);
    return;
  }
  if (mTooltip->IsShown() || mHoverControl < 0 || Now() - mHoverSince < kTooltipDelay) return;
  const IControl* control = GetControl(mHoverControl);
  if (!control || !control->GetTooltip()[0]) return;
  int rootX = 0, rootY = 0;
  Window child;
  XTranslateCoordinates(mDisplay, mWindow, DefaultRootWindow(mDisplay), mHoverX + 12, mHoverY + 16, &rootX, &rootY,
                        &child);
  mTooltip->Show(control->GetTooltip(), rootX, rootY);
}
