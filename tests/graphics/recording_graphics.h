#pragma once
// An editor platform for tests: it records what the framework asks of the window system and
// answers with scripted results. Images are PNG files read from a folder by their file name.
#include <atomic>
#include <string>
#include <vector>

#include "graphics/IGraphics.h"
#include "graphics/IPopupMenu.h"

class RecordingGraphics : public IGraphics {
public:
  struct TextEntry {
    IControl* control;
    IRECT rect;
    std::string text;
    IParam* param;
  };
  struct MenuShown {
    std::vector<std::string> items;
    std::vector<bool> checked;
    IRECT rect;
  };

  RecordingGraphics(IEffectBase* plug, int w, int h, int fps = 0, std::string imageDir = "")
      : IGraphics(plug, w, h, fps), mImageDir(std::move(imageDir)) {}

  // Scripted answers.
  int menuChoice = -1;          // item to choose in the top menu; -1 dismisses
  int submenuChoice = -1;       // with menuChoice naming an item with a submenu: the item in it
  bool openURLSucceeds = true;

  // What was asked.
  std::vector<IRECT> screenCopies;
  std::vector<TextEntry> textEntries;
  std::vector<MenuShown> menus;
  std::vector<std::string> urls;
  int cursorHides = 0, cursorShows = 0;
  static std::atomic<int> sImageLoads;  // OSLoadBitmap calls in the whole process

  bool DrawScreen(IRECT* rect) override;
  void ForceEndUserEdit() override {}
  int ShowMessageBox(const char*, const char*, int) override { return 0; }
  IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, IRECT* areaRect) override;
  void CreateTextEntry(IControl* control, IText*, IRECT* textRect, const char* str, IParam* param) override;
  void HostPath(KIT_String* path) override { path->Set("/host"); }
  void PluginPath(KIT_String* path) override { path->Set("/plugin/"); }
  void DesktopPath(KIT_String* path) override { path->Set("/desktop"); }
  void AppSupportPath(KIT_String* path, bool) override { path->Set("/support"); }
  void SandboxSafeAppSupportPath(KIT_String* path) override { path->Set("/sandbox"); }
  void PromptForFile(KIT_String* filename, EFileAction, KIT_String*, char*) override { filename->Set(""); }
  bool PromptForColor(IColor*, char*) override { return false; }
  bool OpenURL(const char* url, const char*, const char*, const char*) override;
  using IGraphics::OpenWindow;
  void* OpenWindow(void* parent) override;
  void CloseWindow() override { mWindow = nullptr; }
  void* GetWindow() override { return mWindow; }
  bool GetTextFromClipboard(KIT_String* str) override {
    str->Set("");
    return false;
  }
  void HideMouseCursor() override { ++cursorHides; }
  void ShowMouseCursor() override { ++cursorShows; }
  void UpdateTooltips() override {}
  PIX_IBitmap* OSLoadBitmap(int id, const char* name) override;

private:
  std::string mImageDir;
  void* mWindow = nullptr;
  int mWindowToken = 0;
};
