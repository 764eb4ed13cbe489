#include "tests/graphics/recording_graphics.h"

#include "pix/pix_png.h"

std::atomic<int> RecordingGraphics::sImageLoads{0};

bool RecordingGraphics::DrawScreen(IRECT* rect) {
  screenCopies.push_back(*rect);
  return true;
}

IPopupMenu* RecordingGraphics::CreateIPopupMenu(IPopupMenu* menu, IRECT* areaRect) {
  ReleaseMouseCapture();
  MenuShown shown;
  shown.rect = *areaRect;
  for (int i = 0; i < menu->GetNItems(); ++i) {
    shown.items.push_back(menu->GetItemText(i));
    shown.checked.push_back(menu->IsItemChecked(i));
  }
  menus.push_back(shown);
  IPopupMenuItem* item = menu->GetItem(menuChoice);
  if (!item || item->GetIsSeparator() || !item->GetEnabled()) return nullptr;
  if (IPopupMenu* sub = item->GetSubmenu()) {
    if (!sub->GetItem(submenuChoice)) return nullptr;
    sub->SetChosenItemIdx(submenuChoice);
    return sub;
  }
  menu->SetChosenItemIdx(menuChoice);
  return menu;
}

void RecordingGraphics::CreateTextEntry(IControl* control, IText*, IRECT* textRect, const char* str,
                                        IParam* param) {
  textEntries.push_back({control, *textRect, str ? str : "", param});
}

bool RecordingGraphics::OpenURL(const char* url, const char*, const char*, const char*) {
  urls.push_back(url ? url : "");
  return openURLSucceeds;
}

void* RecordingGraphics::OpenWindow(void*) {
  CloseWindow();
  mWindow = &mWindowToken;
  return mWindow;
}

PIX_IBitmap* RecordingGraphics::OSLoadBitmap(int, const char* name) {
  ++sImageLoads;
  if (!name || mImageDir.empty()) return nullptr;
  std::string file = name;
  const size_t slash = file.rfind('/');
  if (slash != std::string::npos) file = file.substr(slash + 1);
  return PIX_LoadPNG((mImageDir + "/" + file).c_str(), nullptr);
}
