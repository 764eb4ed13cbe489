#pragma once
// A plug-in's editor in a top-level X11 window of our own, driven as a DAW drives it: the
// window's id goes to effEditOpen, effEditIdle follows every 40 ms, and our own window's events
// are handled in between. Everything here runs on the main thread, verlo-host's only one; the
// editor keeps its own X connection.
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "plugin.h"

struct _XDisplay;

// The window's pixels as 0xFFRRGGBB, row by row.
struct Frame {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;
  bool operator==(const Frame& o) const { return width == o.width && height == o.height && pixels == o.pixels; }
  bool operator!=(const Frame& o) const { return !(*this == o); }
};

enum class Placement {
  kManaged,        // a normal window, placed and decorated by the window manager
  kFixedAtOrigin,  // override-redirect at the screen's top-left corner: no window manager moves
                   // or covers it, so all of it can be read back
};

class EditorWindow {
public:
  static constexpr std::chrono::milliseconds kIdlePeriod{40};

  // Connects to the display DISPLAY names, makes the window (titled with the plug-in's name),
  // opens the editor in it and shows it. Throws HostError when the plug-in has no editor, there
  // is no display or the editor does not open.
  EditorWindow(PluginInstance& plugin, Placement placement);
  ~EditorWindow();  // effEditClose, then the window and the connection go
  EditorWindow(const EditorWindow&) = delete;
  EditorWindow& operator=(const EditorWindow&) = delete;

  // Handles the window's events until the next idle time comes, then sends effEditIdle. False,
  // without idling, once the user has closed the window.
  bool Tick();
  // What the window shows now; false when it cannot be read (not on screen).
  bool Grab(Frame& frame);
  // When effEditOpen was sent.
  std::chrono::steady_clock::time_point OpenedAt() const { return mOpenedAt; }
  int Width() const { return mWidth; }
  int Height() const { return mHeight; }

private:
  void Release();
  void HandleEvents();
  bool Resize(int width, int height);

  PluginInstance& mPlugin;
  _XDisplay* mDisplay = nullptr;
  unsigned long mWindow = 0;
  unsigned long mDeleteAtom = 0;
  int mWidth = 0, mHeight = 0;
  bool mEditorOpen = false;
  bool mClosed = false;     // by the user
  bool mDestroyed = false;  // by someone else
  bool mMapped = false;
  std::chrono::steady_clock::time_point mNextIdle, mOpenedAt;
};

// Throws HostError when the plug-in says it has no editor.
void RequireEditor(PluginInstance& plugin);
// The editor's size as effEditGetRect gives it; false when it gives none.
bool EditorRect(PluginInstance& plugin, int& width, int& height);
