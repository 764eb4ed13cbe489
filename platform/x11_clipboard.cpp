#include "platform/x11_clipboard.h"

#include <poll.h>
#include <time.h>

#include <climits>

#include <X11/Xatom.h>

#include "platform/utf8_text.h"
#include "platform/x11_errors.h"

namespace {
constexpr int kWaitMs = 1000;

long NowMs() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<long>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

// The owner's answer to our request, taking only that SelectionNotify from the queue so that
// every other event stays where it is; false when none came in time.
bool AwaitSelectionNotify(Display* display, Window requestor, XEvent* event) {
  const long deadline = NowMs() + kWaitMs;
  for (;;) {
    if (XCheckTypedWindowEvent(display, requestor, SelectionNotify, event)) return true;
    const long left = deadline - NowMs();
    if (left <= 0) return false;
    pollfd fd = {ConnectionNumber(display), POLLIN, 0};
    poll(&fd, 1, static_cast<int>(left));
  }
}

// Reads and deletes the property the owner filled. Text that comes in increments (INCR, for very
// large selections) is refused: a text field has no use for it.
bool TakeText(Display* display, Window requestor, Atom property, std::string* out) {
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  const int status = XGetWindowProperty(display, requestor, property, 0, LONG_MAX / 4, True, AnyPropertyType, &type,
                                        &format, &count, &after, &data);
  if (status != Success) return false;
  const bool text = data && format == 8 && type != XInternAtom(display, "INCR", False);
  if (text) {
    const char* bytes = reinterpret_cast<const char*>(data);
    if (type == XA_STRING) {
      for (unsigned long i = 0; i < count; ++i) AppendUtf8(out, static_cast<unsigned char>(bytes[i]));
    } else {
      out->assign(bytes, count);
    }
  }
  if (data) XFree(data);
  XDeleteProperty(display, requestor, property);
  return text && !out->empty();
}
}  // namespace

bool X11ClipboardText(Display* display, Window requestor, std::string* out) {
  out->clear();
  if (!display || !requestor) return false;
  X11ErrorTrap trap(display);
  const Atom clipboard = XInternAtom(display, "CLIPBOARD", False);
  if (XGetSelectionOwner(display, clipboard) == None) return false;
  const Atom property = XInternAtom(display, "VERLO_CLIPBOARD", False);
  const Atom targets[] = {XInternAtom(display, "UTF8_STRING", False), XA_STRING};
  for (const Atom target : targets) {
    XDeleteProperty(display, requestor, property);
    XConvertSelection(display, clipboard, target, property, requestor, CurrentTime);
    if (trap.Sync() != 0) return false;  // the requestor went away
    XEvent event;
    if (!AwaitSelectionNotify(display, requestor, &event)) return false;
    // No property means the owner cannot give this form; the next one may do.
    if (event.xselection.property == None) continue;
    return TakeText(display, requestor, property, out);
  }
  return false;
}
