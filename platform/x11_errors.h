#pragma once
// X errors of one connection, caught while a trap is alive. Xlib's error handler is one per
// process and belongs to the host: ours is installed only while traps are alive, around our own
// requests, and the host's is put back after them; errors of other connections go to the host's.
#include <X11/Xlib.h>

class X11ErrorTrap {
public:
  explicit X11ErrorTrap(Display* display);
  // Waits for the server's answers to everything sent so far, so late errors land here too.
  ~X11ErrorTrap();
  X11ErrorTrap(const X11ErrorTrap&) = delete;
  X11ErrorTrap& operator=(const X11ErrorTrap&) = delete;

  // The error code of the last error since the trap was set (or the last Sync), 0 for none.
  int Sync();
  int LastError() const { return mLastError; }

private:
  static int OnError(Display* display, XErrorEvent* error);

  Display* mDisplay;
  X11ErrorTrap* mOuter;
  int mLastError = 0;
};
