#pragma once
// A host that plays a DAW with a plug-in's editor: a top-level window of its own (on its own X
// connection) is the parent; a GUI thread that is not the main thread opens the editor with the
// parent's id, sends effEditIdle every 40 ms and closes it again. The test's own thread moves the
// pointer and presses keys with XTest and reads pixels back, on the host's connection.
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/vst2/test_host.h"

// Xlib's types, declared so that its macros stay out of the tests that include this.
struct _XDisplay;

// Puts a stand-in xdg-open first in PATH for the rest of the process; OpenedAddress() then gives
// what it was last asked to open (waiting up to two seconds), or "".
void InstallOpenerStandIn();
std::string OpenedAddress();

class DawHost {
public:
  // With a null display name the DISPLAY environment variable is used.
  explicit DawHost(PluginLibrary& library, int parentX = 10, int parentY = 10);
  ~DawHost();
  DawHost(const DawHost&) = delete;
  DawHost& operator=(const DawHost&) = delete;

  bool HasDisplay() const { return mDisplay != nullptr; }
  TestHost& Host() { return *mHost; }
  AEffect* Effect() { return mHost->Effect(); }
  _XDisplay* TestDisplay() { return mDisplay; }
  unsigned long Parent() const { return mParent; }  // X Window ids

  // Runs f on the GUI thread and waits for it.
  void OnGui(const std::function<void()>& f);
  // effEditGetRect, then effEditOpen with the parent's id, on the GUI thread; its answer.
  VstIntPtr OpenEditor();
  VstIntPtr CloseEditor();
  // What a host closing its window first does; the editor stays open.
  void DestroyParent();
  // The windows the editor put into the parent.
  std::vector<unsigned long> EditorWindows();
  void SetIdle(bool on) { mIdling = on; }

  // Input at editor coordinates (the editor sits at the parent's top-left corner).
  void MoveTo(int x, int y);
  void Button(unsigned button, bool press);
  void Click(int x, int y, unsigned button = 1);
  void Key(unsigned long keysym, bool withControl = false);
  // The editor's pixels as 0xRRGGBB, read from the screen.
  std::vector<uint32_t> Grab(int x, int y, int w, int h);
  uint32_t PixelAt(int x, int y) { return Grab(x, y, 1, 1)[0]; }
  // Polls cond every 10 ms for at most seconds; its last answer.
  static bool WaitFor(const std::function<bool()>& cond, double seconds = 2.0);

private:
  void GuiLoop();

  _XDisplay* mDisplay = nullptr;
  unsigned long mParent = 0;
  int mParentX, mParentY;
  std::unique_ptr<TestHost> mHost;
  std::thread mGui;
  std::mutex mMutex;
  std::condition_variable mWake;
  std::vector<std::function<void()>> mTasks;
  bool mQuit = false;
  bool mIdling = true;
  bool mOpen = false;
};
