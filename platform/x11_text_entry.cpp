#include "platform/x11_text_entry.h"

#include <cstdlib>

// The plug-in core's headers come before Xlib's macros (Bool, None, Status) can reach them.
#include "pix/pix.h"
#include "pix/pix_cachedfont.h"
#include "platform/utf8_text.h"
#include "platform/x11_canvas.h"
#include "platform/x11_clipboard.h"
#include "platform/x11_errors.h"

#include <X11/Xutil.h>
#include <X11/keysym.h>

namespace {
constexpr int kPadX = 3;
constexpr PIX_pixel kSelectionBackground = 0xFF3875D7u;
constexpr PIX_pixel kSelectionText = 0xFFFFFFFFu;
constexpr long kEventMask = ExposureMask | KeyPressMask | FocusChangeMask | ButtonPressMask | ButtonReleaseMask |
                            Button1MotionMask | StructureNotifyMask | VisibilityChangeMask;

// The character a key types, or 0 for keys that type none.
char32_t TypedChar(KeySym sym, const char* lookedUp, int lookedUpLength) {
  if ((sym >= 0x20 && sym <= 0x7E) || (sym >= 0xA0 && sym <= 0xFF)) return static_cast<char32_t>(sym);
  if ((sym & 0xFF000000) == 0x01000000) return static_cast<char32_t>(sym & 0xFFFFFF);
  if (sym >= XK_KP_0 && sym <= XK_KP_9) return U'0' + static_cast<char32_t>(sym - XK_KP_0);
  switch (sym) {
    case XK_KP_Decimal: return U'.';
    case XK_KP_Add: return U'+';
    case XK_KP_Subtract: return U'-';
    case XK_KP_Multiply: return U'*';
    case XK_KP_Divide: return U'/';
    case XK_KP_Equal: return U'=';
    case XK_KP_Space: return U' ';
    default: break;
  }
  const unsigned char c = lookedUpLength == 1 ? static_cast<unsigned char>(lookedUp[0]) : 0;
  return c >= 0x20 && c < 0x7F ? c : 0;
}

std::u32string CodePoints(const std::string& s) {
  std::u32string out;
  for (size_t pos = 0; pos < s.size(); pos = NextUtf8Char(s, pos)) out.push_back(Utf8CharAt(s, pos));
  return out;
}

// Pasted text in one line: up to the first line break, without control characters.
std::string SingleLine(const std::string& pasted) {
  std::string out;
  for (const char c : pasted) {
    if (c == '\n' || c == '\r') break;
    if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) out.push_back(c);
  }
  return out;
}
}  // namespace

struct X11TextEntry::Impl {
  Impl(Display* d, std::string& t) : display(d), text(t) {}

  bool HasSelection() const { return caret != anchor; }
  size_t SelectionStart() const { return caret < anchor ? caret : anchor; }
  size_t SelectionEnd() const { return caret < anchor ? anchor : caret; }
  int Width(size_t bytes) { return X11TextWidth(font, canvas.Bitmap(), text.c_str(), static_cast<int>(bytes)); }

  bool Accepts(const std::string& insertion) const;
  void Replace(const std::string& insertion);
  void Erase(bool forward);
  void MoveCaret(size_t to, bool extend);
  void Paste();
  Outcome OnKey(XKeyEvent& event);
  size_t OffsetAt(int x);
  int TextLeft();
  void Paint();
  void TakeFocus();
  void GiveFocusBack();

  Display* display;
  Window window = 0;
  std::string& text;
  PIX_CachedFont* font = nullptr;
  PIX_pixel fg = 0, bg = 0;
  int align = IText::kAlignNear;
  int w = 0, h = 0;
  X11Canvas canvas;
  bool filtered = false;
  std::u32string allowed;
  size_t maxLength = 0;
  size_t caret = 0, anchor = 0;  // byte offsets; the selection lies between them
  int scroll = 0;                // pixels a long text is moved left so that the caret stays in view
  Window previousFocus = None;
  bool focusPending = false;  // the window was not viewable yet when the field opened
  bool focused = false;
  Outcome outcome = Outcome::kEditing;
};

// The formatter's rule: every character of what is typed or pasted must be allowed, and the text
// may not grow past the length limit. Taking characters away is always allowed.
bool X11TextEntry::Impl::Accepts(const std::string& insertion) const {
  if (filtered)
    for (const char32_t c : CodePoints(insertion))
      if (allowed.find(c) == std::u32string::npos) return false;
  if (maxLength == 0) return true;
  const std::string selected = text.substr(SelectionStart(), SelectionEnd() - SelectionStart());
  return CountUtf8Chars(text) - CountUtf8Chars(selected) + CountUtf8Chars(insertion) <= maxLength;
}

void X11TextEntry::Impl::Replace(const std::string& insertion) {
  const size_t start = SelectionStart();
  text.replace(start, SelectionEnd() - start, insertion);
  caret = anchor = start + insertion.size();
}

void X11TextEntry::Impl::Erase(bool forward) {
  if (!HasSelection()) {
    if (forward)
      caret = NextUtf8Char(text, caret);
    else
      caret = PrevUtf8Char(text, caret);
  }
  Replace(std::string());
}

void X11TextEntry::Impl::MoveCaret(size_t to, bool extend) {
  caret = to > text.size() ? text.size() : to;
  if (!extend) anchor = caret;
}

void X11TextEntry::Impl::Paste() {
  std::string pasted;
  if (!X11ClipboardText(display, window, &pasted)) return;
  pasted = SingleLine(pasted);
  if (Accepts(pasted)) Replace(pasted);
}

X11TextEntry::Outcome X11TextEntry::Impl::OnKey(XKeyEvent& event) {
  char lookedUp[16];
  KeySym sym = NoSymbol;
  const int n = XLookupString(&event, lookedUp, sizeof lookedUp, &sym, nullptr);
  const bool shift = event.state & ShiftMask, control = event.state & ControlMask;
  switch (sym) {
    case XK_Return:
    case XK_KP_Enter:
    case XK_Tab:
    case XK_ISO_Left_Tab: return Outcome::kCommitted;
    case XK_Escape: return Outcome::kCancelled;
    case XK_BackSpace: Erase(false); return Outcome::kEditing;
    case XK_Delete:
    case XK_KP_Delete: Erase(true); return Outcome::kEditing;
    case XK_Left:
    case XK_KP_Left:
      MoveCaret(HasSelection() && !shift ? SelectionStart() : PrevUtf8Char(text, caret), shift);
      return Outcome::kEditing;
    case XK_Right:
    case XK_KP_Right:
      MoveCaret(HasSelection() && !shift ? SelectionEnd() : NextUtf8Char(text, caret), shift);
      return Outcome::kEditing;
    case XK_Home:
    case XK_KP_Home: MoveCaret(0, shift); return Outcome::kEditing;
    case XK_End:
    case XK_KP_End: MoveCaret(text.size(), shift); return Outcome::kEditing;
    case XK_Insert:
      if (shift) Paste();
      return Outcome::kEditing;
    default: break;
  }
  if (control) {
    if (sym == XK_v || sym == XK_V) Paste();
    if (sym == XK_a || sym == XK_A) {
      anchor = 0;
      caret = text.size();
    }
    return Outcome::kEditing;
  }
  if (event.state & Mod1Mask) return Outcome::kEditing;
  if (const char32_t c = TypedChar(sym, lookedUp, n)) {
    std::string typed;
    AppendUtf8(&typed, c);
    if (Accepts(typed)) Replace(typed);
  }
  return Outcome::kEditing;
}

// Where the text starts in the window: placed by the alignment while it fits, else scrolled just
// enough to keep the caret inside.
int X11TextEntry::Impl::TextLeft() {
  const int total = Width(text.size()), inner = w - 2 * kPadX;
  if (total <= inner) {
    scroll = 0;
    if (align == IText::kAlignCenter) return (w - total) / 2;
    if (align == IText::kAlignFar) return w - kPadX - total;
    return kPadX;
  }
  const int caretX = Width(caret);
  if (caretX - scroll > inner - 1) scroll = caretX - inner + 1;
  if (caretX - scroll < 0) scroll = caretX;
  if (scroll > total - inner) scroll = total - inner;
  if (scroll < 0) scroll = 0;
  return kPadX - scroll;
}

size_t X11TextEntry::Impl::OffsetAt(int x) {
  const int left = TextLeft();
  size_t best = 0;
  int bestDistance = std::abs(left - x);
  for (size_t pos = NextUtf8Char(text, 0); pos <= text.size() && pos > 0; pos = NextUtf8Char(text, pos)) {
    const int distance = std::abs(left + Width(pos) - x);
    if (distance < bestDistance) best = pos, bestDistance = distance;
    if (pos == text.size()) break;
  }
  return best;
}

void X11TextEntry::Impl::Paint() {
  PIX_SysBitmap* bm = canvas.Bitmap();
  PIX_FillRect(bm, 0, 0, w, h, bg, 1.0f, PIX_COMBINE_COPY);
  const int left = TextLeft();
  const int line = font ? font->GetLineHeight() : h;
  const int bandTop = (h - line) / 2 - 1 < 0 ? 0 : (h - line) / 2 - 1;
  const int bandBottom = bandTop + line + 2 > h ? h : bandTop + line + 2;
  const size_t start = SelectionStart(), end = SelectionEnd();
  const int startX = left + Width(start), endX = left + Width(end);
  if (HasSelection()) PIX_FillRect(bm, startX, bandTop, endX - startX, bandBottom - bandTop, kSelectionBackground,
                                   1.0f, PIX_COMBINE_COPY);
  const char* s = text.c_str();
  X11DrawTextLine(font, bm, s, static_cast<int>(start), left, 0, h, fg);
  X11DrawTextLine(font, bm, s + start, static_cast<int>(end - start), startX, 0, h, kSelectionText);
  X11DrawTextLine(font, bm, s + end, static_cast<int>(text.size() - end), endX, 0, h, fg);
  if (!HasSelection()) {
    const int x = startX < 0 ? 0 : startX >= w ? w - 1 : startX;
    PIX_Line(bm, x, bandTop, x, bandBottom - 1, fg, 1.0f, PIX_COMBINE_COPY, false);
  }
  canvas.Show();
}

// Only a viewable window can take the focus; until it is, the focus waits for the window's map
// and visibility events.
void X11TextEntry::Impl::TakeFocus() {
  X11ErrorTrap trap(display);
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, window, &attributes) || attributes.map_state != IsViewable) {
    focusPending = true;
    return;
  }
  XSetInputFocus(display, window, RevertToParent, CurrentTime);
  focusPending = trap.Sync() != 0;
  focused = !focusPending;
}

// The window that had the focus before gets it back, unless the focus moved on meanwhile or that
// window is gone (the trap takes the error then, and destroying ours reverts to its parent).
void X11TextEntry::Impl::GiveFocusBack() {
  if (!focused) return;
  X11ErrorTrap trap(display);
  Window now = None;
  int revert = 0;
  XGetInputFocus(display, &now, &revert);
  if (now != window) return;
  if (previousFocus == PointerRoot)
    XSetInputFocus(display, PointerRoot, RevertToPointerRoot, CurrentTime);
  else if (previousFocus != None)
    XSetInputFocus(display, previousFocus, RevertToParent, CurrentTime);
}

X11TextEntry::X11TextEntry(Display* display, Window parent, const IRECT& rect, const IText& style, const char* text,
                           const char* allowed, int maxLength)
    : mImpl(new Impl(display, mText)), mText(text ? text : "") {
  Impl& e = *mImpl;
  IText small = style;
  small.mSize = static_cast<int>(style.mSize * 0.9);
  e.font = X11StyleFont(small);
  e.fg = style.mTextEntryFGColor.Pixel() | 0xFF000000u;
  e.bg = style.mTextEntryBGColor.Pixel() | 0xFF000000u;
  e.align = style.mAlign;
  e.w = rect.W() < 1 ? 1 : rect.W();
  e.h = rect.H() < 1 ? 1 : rect.H();
  e.filtered = allowed != nullptr;
  if (allowed) e.allowed = CodePoints(allowed);
  e.maxLength = maxLength > 0 ? static_cast<size_t>(maxLength) : 0;
  // Opening selects everything, so that typing replaces the value.
  e.caret = mText.size();
  if (!display || !parent || !e.font) return;

  X11ErrorTrap trap(display);
  int revert = 0;
  XGetInputFocus(display, &e.previousFocus, &revert);
  XSetWindowAttributes attributes = {};
  attributes.event_mask = kEventMask;
  attributes.background_pixel = e.bg & 0xFFFFFF;
  attributes.border_pixel = 0;
  const Window window = XCreateWindow(display, parent, rect.L, rect.T, static_cast<unsigned>(e.w),
                                      static_cast<unsigned>(e.h), 0, CopyFromParent, InputOutput, CopyFromParent,
                                      CWEventMask | CWBackPixel | CWBorderPixel, &attributes);
  if (trap.Sync() != 0 || !window) return;
  if (!e.canvas.Init(display, window, e.w, e.h)) {
    XDestroyWindow(display, window);
    return;
  }
  e.window = mWindow = window;
  XMapRaised(display, window);
  XSync(display, False);
  e.TakeFocus();
  e.Paint();
}

X11TextEntry::~X11TextEntry() {
  if (mWindow) {
    mImpl->GiveFocusBack();
    X11ErrorTrap trap(mImpl->display);
    XDestroyWindow(mImpl->display, mWindow);
  }
  delete mImpl;
}

X11TextEntry::Outcome X11TextEntry::HandleEvent(const XEvent& event) {
  Impl& e = *mImpl;
  if (!mWindow || e.outcome != Outcome::kEditing || event.xany.window != mWindow) return e.outcome;
  switch (event.type) {
    case Expose:
      if (event.xexpose.count == 0) e.Paint();
      break;
    case MapNotify:
    case VisibilityNotify:
      if (e.focusPending) e.TakeFocus();
      break;
    case KeyPress: {
      XKeyEvent key = event.xkey;
      e.outcome = e.OnKey(key);
      if (e.outcome == Outcome::kEditing) e.Paint();
      break;
    }
    case ButtonPress:
      if (event.xbutton.button == Button1) {
        e.MoveCaret(e.OffsetAt(event.xbutton.x), (event.xbutton.state & ShiftMask) != 0);
        e.Paint();
      }
      break;
    case MotionNotify:
      e.MoveCaret(e.OffsetAt(event.xmotion.x), true);
      e.Paint();
      break;
    case FocusOut: {
      // The focus passing through on its way into or under our window, or a grab elsewhere, is no
      // loss of focus.
      const XFocusChangeEvent& focus = event.xfocus;
      const bool passing = focus.detail == NotifyPointer || focus.detail == NotifyInferior;
      const bool grab = focus.mode == NotifyGrab || focus.mode == NotifyUngrab;
      if (!passing && !grab) e.outcome = Outcome::kCommitted;
      break;
    }
    default: break;
  }
  return e.outcome;
}
