#pragma once
// Text from the CLIPBOARD selection, asked of its owner through our window and waited for (at
// most about a second). Editor (GUI) thread only.
#include <X11/Xlib.h>

#include <string>

// False (and out empty) when nothing offers text.
bool X11ClipboardText(Display* display, Window requestor, std::string* out);
