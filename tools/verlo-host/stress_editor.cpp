#include "stress_editor.h"

#include <chrono>
#include <cstdint>

#include <X11/Xlib.h>

EditorCycles OpenAndCloseEditor(PluginInstance& plugin, int cycles) {
  EditorCycles result;
  Display* display = XOpenDisplay(nullptr);
  if (!display) return result;
  result.display = true;
  int width = 800, height = 600;
  ERect* rect = nullptr;
  if (plugin.Dispatch(effEditGetRect, 0, 0, &rect) && rect && rect->right > rect->left && rect->bottom > rect->top) {
    width = rect->right - rect->left;
    height = rect->bottom - rect->top;
  }
  const Window parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, unsigned(width),
                                            unsigned(height), 0, 0, 0);
  XMapWindow(display, parent);
  XSync(display, False);
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < cycles; ++i) {
    plugin.Dispatch(effEditGetRect, 0, 0, &rect);
    if (!plugin.Dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(static_cast<uintptr_t>(parent)))) {
      ++result.failed;
      continue;
    }
    for (int idle = 0; idle < 3; ++idle) plugin.Dispatch(effEditIdle);
    plugin.Dispatch(effEditClose);
    ++result.opened;
    // Our own connection's events (the editor's child windows coming and going) are not needed.
    while (XPending(display)) {
      XEvent event;
      XNextEvent(display, &event);
    }
  }
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  XDestroyWindow(display, parent);
  XCloseDisplay(display);
  return result;
}
