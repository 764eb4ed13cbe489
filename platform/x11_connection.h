#pragma once
// Opening a connection to the X server named by DISPLAY.
#include <X11/Xlib.h>

// A server busy with earlier connections may refuse or reset a new one for a moment (EAGAIN,
// ECONNRESET); such attempts are made again a few times within about 100 ms. Null when there is
// no server to reach.
Display* X11OpenDisplay();
