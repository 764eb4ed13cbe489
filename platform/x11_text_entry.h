#pragma once
// The in-place text field: a small child window of the editor's over a rectangle, drawn with our
// own raster and text code, with a caret, a selection, Backspace and Delete, Home and End, and
// paste from the CLIPBOARD. Return, Tab and the loss of focus commit; Escape cancels. Editor (GUI)
// thread only, on the editor's own connection.
#include <X11/Xlib.h>

#include <string>

#include "graphics/IGraphicsStructs.h"

class X11TextEntry {
public:
  enum class Outcome { kEditing, kCommitted, kCancelled };

  // allowed: the characters that may be typed, or null for any; maxLength 0 means no limit.
  X11TextEntry(Display* display, Window parent, const IRECT& rect, const IText& style, const char* text,
               const char* allowed, int maxLength);
  ~X11TextEntry();
  X11TextEntry(const X11TextEntry&) = delete;
  X11TextEntry& operator=(const X11TextEntry&) = delete;

  // False when the window could not be made; the entry is then of no use.
  bool IsOpen() const { return mWindow != 0; }
  Window GetWindow() const { return mWindow; }
  // Handles an event meant for the field's window (keys, exposure, focus, pasted text). Once the
  // editing has ended, later events change nothing and give the same outcome.
  Outcome HandleEvent(const XEvent& event);
  const std::string& Text() const { return mText; }

private:
  struct Impl;
  Impl* mImpl = nullptr;
  Window mWindow = 0;
  std::string mText;
};
