#include "platform/x11_connection.h"

#include <time.h>

#include <cerrno>

Display* X11OpenDisplay() {
  for (int attempt = 0;; ++attempt) {
    errno = 0;
    if (Display* display = XOpenDisplay(nullptr)) return display;
    if ((errno != EAGAIN && errno != ECONNRESET) || attempt == 8) return nullptr;
    const timespec pause = {0, 1000000L << (attempt < 5 ? attempt : 5)};  // 1, 2, 4 .. 32 ms
    nanosleep(&pause, nullptr);
  }
}
