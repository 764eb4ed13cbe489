#include "platform/x11_input.h"

#include <X11/keysym.h>

#include <cstdlib>

IMouseMod ModsFromState(unsigned state, bool rightButton) {
  IMouseMod mod;
  mod.L = !rightButton;
  mod.R = rightButton || (state & Mod4Mask);
  mod.S = (state & ShiftMask) != 0;
  mod.C = (state & ControlMask) != 0;
  mod.A = (state & Mod1Mask) != 0;
  return mod;
}

int EditorKeyCode(KeySym keysym) {
  switch (keysym) {
    case XK_space: return kKeySpace;
    case XK_Up: return kKeyUpArrow;
    case XK_Down: return kKeyDownArrow;
    case XK_Left: return kKeyLeftArrow;
    case XK_Right: return kKeyRightArrow;
    default: break;
  }
  if (keysym >= XK_0 && keysym <= XK_9) return kKeyDigit0 + static_cast<int>(keysym - XK_0);
  if (keysym >= XK_a && keysym <= XK_z) return kKeyAlphaA + static_cast<int>(keysym - XK_a);
  if (keysym >= XK_A && keysym <= XK_Z) return kKeyAlphaA + static_cast<int>(keysym - XK_A);
  return -1;
}

bool X11DoubleClick::Press(unsigned button, Time time, int x, int y) {
  const bool doubled = mArmed && button == mButton && time - mTime <= kInterval && std::abs(x - mX) <= kSlop &&
                       std::abs(y - mY) <= kSlop;
  mArmed = !doubled;
  mButton = button;
  mTime = time;
  mX = x;
  mY = y;
  return doubled;
}
