#include "platform/x11_errors.h"

#include <mutex>

namespace {
// Xlib has one error handler for the whole process. While any trap is alive, on any thread, ours
// is installed; the host's is put back when the last one ends, so editors on two threads never
// restore each other's handler out of order.
std::mutex gHandlerMutex;
int gLiveTraps = 0;
XErrorHandler gHostHandler = nullptr;

// Xlib calls the handler on the thread that reads the connection, which is the thread that set
// the trap.
thread_local X11ErrorTrap* tCurrent = nullptr;
}  // namespace

X11ErrorTrap::X11ErrorTrap(Display* display) : mDisplay(display), mOuter(tCurrent) {
  tCurrent = this;
  std::lock_guard<std::mutex> lock(gHandlerMutex);
  if (gLiveTraps++ == 0) gHostHandler = XSetErrorHandler(&X11ErrorTrap::OnError);
}

X11ErrorTrap::~X11ErrorTrap() {
  if (mDisplay) XSync(mDisplay, False);
  {
    std::lock_guard<std::mutex> lock(gHandlerMutex);
    if (--gLiveTraps == 0) XSetErrorHandler(gHostHandler);
  }
  tCurrent = mOuter;
}

int X11ErrorTrap::Sync() {
  if (mDisplay) XSync(mDisplay, False);
  const int error = mLastError;
  mLastError = 0;
  return error;
}

int X11ErrorTrap::OnError(Display* display, XErrorEvent* error) {
  for (X11ErrorTrap* trap = tCurrent; trap; trap = trap->mOuter) {
    if (trap->mDisplay == display) {
      trap->mLastError = error->error_code;
      return 0;
    }
  }
  // Not ours: the host's handler decides.
  XErrorHandler host;
  {
    std::lock_guard<std::mutex> lock(gHandlerMutex);
    host = gHostHandler;
  }
  return host ? host(display, error) : 0;
}
