#pragma once
// The editor on X11: a child window of the host's parent window on an X connection of the
// editor's own, pumped from the host's idle calls (pending events, then the redraw timer at the
// frame rate), the draw bitmap put on screen through MIT-SHM or XPutImage, and the platform
// services the editor asks for. Artwork comes from the Resources folder of the bundle (the folder
// holding the loaded .so).
//
// Threads: everything here runs on the host's GUI thread, the thread that opens the window; the
// connection is used on that thread only. Host threads reach the editor only through
// IGraphics::SetParameterFromPlug, which never touches X.
#include <memory>

#include "graphics/IGraphics.h"
#include "kit/kitstring.h"

// Xlib's own types, declared so that its macros stay out of every file that names the editor.
struct _XDisplay;
union _XEvent;
class X11DoubleClick;
class X11ScreenCopy;
class X11TextEntry;
class X11Tooltip;

class IGraphicsLinux : public IGraphics {
public:
  IGraphicsLinux(IEffectBase* plug, int w, int h, int fps = 0);

  // The overrides, in the base's slot order; GUI thread.
  bool DrawScreen(IRECT* rect) override;
  bool MeasureIText(IText* text, char* str, IRECT* destRect) override;
  void ForceEndUserEdit() override;
  void Resize(int w, int h) override;
  // Open until closed, or until the server destroyed it with the host's parent window.
  bool WindowIsOpen() override { return mWindow != 0 && !mWindowGone; }
  const char* GetGUIAPI() override { return "X11 GUI"; }
  int ShowMessageBox(const char* text, const char* caption, int type) override;
  IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, IRECT* areaRect) override;
  void CreateTextEntry(IControl* control, IText* text, IRECT* textRect, const char* str, IParam* param) override;
  void HostPath(KIT_String* path) override;
  void PluginPath(KIT_String* path) override;
  void DesktopPath(KIT_String* path) override;
  void AppSupportPath(KIT_String* path, bool isSystem = false) override;
  void SandboxSafeAppSupportPath(KIT_String* path) override;
  void PromptForFile(KIT_String* filename, EFileAction action, KIT_String* dir, char* extensions) override;
  bool PromptForColor(IColor*, char*) override { return false; }
  bool OpenURL(const char* url, const char* msgWindowTitle = nullptr, const char* confirmMsg = nullptr,
               const char* errMsgOnFailure = nullptr) override;
  using IGraphics::OpenWindow;
  // parent is the host's X Window id; the result is ours (as a pointer), or null when no window
  // could be made (no parent, no display, a bad parent).
  void* OpenWindow(void* parent) override;
  void CloseWindow() override;
  void* GetWindow() override { return reinterpret_cast<void*>(mWindow); }
  bool GetTextFromClipboard(KIT_String* str) override;
  ~IGraphicsLinux() override;
  void HideMouseCursor() override;
  void ShowMouseCursor() override;
  void UpdateTooltips() override;
  PIX_IBitmap* OSLoadBitmap(int id, const char* name) override;
  void Idle() override;

  void SetBundleID(const char* id) { mBundleID.Set(id); }
  const char* GetBundleID() const { return mBundleID.Get(); }
  // The OS version for traces: the kernel release, packed as hexadecimal digits.
  int GetUserOSVersion();
  // Screen copies made since the window opened, and whether they use shared memory.
  long ScreenCopies() const;
  bool ScreenCopyUsesShm() const;

private:
  void HandleEvent(_XEvent& event);
  void HandleButton(_XEvent& event, bool press);
  void HandleMotion(_XEvent& event);
  void HandleKey(_XEvent& event);
  void EndUserInput();
  void UpdateTooltip(int x, int y, bool moved);
  void DestroyWindow();

  KIT_String mBundleID;
  _XDisplay* mDisplay = nullptr;
  unsigned long mWindow = 0;  // X Window ids
  unsigned long mParent = 0;
  bool mWindowGone = false;  // destroyed by the server (with its parent)
  std::unique_ptr<X11ScreenCopy> mScreen;
  double mLastTick = 0.0;    // seconds on the monotonic clock
  int mPrevX = 0, mPrevY = 0;
  std::unique_ptr<X11DoubleClick> mDoubleClick;
  // The text entry and what it edits.
  std::unique_ptr<X11TextEntry> mTextEntry;
  IControl* mEdControl = nullptr;
  IParam* mEdParam = nullptr;
  // Tooltips: shown after the pointer rests over a control with one.
  std::unique_ptr<X11Tooltip> mTooltip;
  double mHoverSince = 0.0;
  int mHoverX = -1, mHoverY = -1;
  int mHoverControl = -1;
};
