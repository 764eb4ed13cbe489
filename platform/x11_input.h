#pragma once
// X11 input in the editor's terms: modifier flags, virtual key codes and double-clicks.
#include <X11/Xlib.h>

#include "graphics/IGraphicsStructs.h"

// Left-button events, moves and the wheel have left set and right when Super is held (it plays
// the command key's role); right-button events have only right set.
IMouseMod ModsFromState(unsigned state, bool rightButton);

// The editor's code for a key, or -1 for keys the editor does not know (they go back to the host).
int EditorKeyCode(KeySym keysym);

// A press of the same button within 400 ms and a few pixels of the previous one is a double-click.
class X11DoubleClick {
public:
  static constexpr Time kInterval = 400;  // ms
  static constexpr int kSlop = 4;         // pixels

  // True when this press completes a double-click; a third press starts afresh.
  bool Press(unsigned button, Time time, int x, int y);

private:
  unsigned mButton = 0;
  Time mTime = 0;
  int mX = 0, mY = 0;
  bool mArmed = false;
};
