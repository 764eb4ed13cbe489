#pragma once
// A tooltip: a small override-redirect window with a text, shown near the pointer. Editor (GUI)
// thread only.
#include <X11/Xlib.h>

#include <string>

class X11Tooltip {
public:
  explicit X11Tooltip(Display* display) : mDisplay(display) {}
  ~X11Tooltip() { Hide(); }
  X11Tooltip(const X11Tooltip&) = delete;
  X11Tooltip& operator=(const X11Tooltip&) = delete;

  // Shows text with its top-left corner at (rootX, rootY); an empty text hides it.
  void Show(const char* text, int rootX, int rootY);
  void Hide();
  bool IsShown() const { return mWindow != 0; }
  // Repaints after exposure; true when the event was for the tooltip.
  bool HandleEvent(const XEvent& event);

private:
  void Paint();

  Display* mDisplay;
  Window mWindow = 0;
  std::string mText;
  int mW = 0, mH = 0;
};
