#pragma once
// The test editor's artwork, made in code: the tests write it into the plug-in's Resources
// folder and know from the same functions which pixel each control shows.
#include <sys/stat.h>

#include <string>

#include "pix/pix.h"

namespace test_artwork {
constexpr int kEditorW = 300, kEditorH = 160;
constexpr int kKnobX = 20, kKnobY = 20, kKnobSize = 60, kKnobFrames = 61;
constexpr int kSwitchX = 100, kSwitchY = 20, kSwitchSize = 40;
constexpr int kModeX = 160, kModeY = 60, kModeW = 40, kModeH = 20;

inline PIX_pixel Background(int x, int y) {
  return PIX_RGBA(x * 255 / kEditorW, y * 255 / kEditorH, 0x40, 255);
}
inline PIX_pixel KnobFrame(int k) { return PIX_RGBA(k * 4 + 3, 0x90, 255 - k * 4, 255); }
inline PIX_pixel SwitchFrame(int k) { return k ? PIX_RGBA(0xE0, 0xE0, 0x20, 255) : PIX_RGBA(0x20, 0x20, 0x20, 255); }
inline PIX_pixel ModeFrame(int k) { return PIX_RGBA(0x30 + k * 0x50, 0x10, 0x80, 255); }

// Writes BG.png, KNOB.png, SWITCH.png and MODE.png into dir; false on failure.
inline bool WriteAll(const std::string& dir) {
  PIX_MemBitmap bg(kEditorW, kEditorH);
  for (int y = 0; y < kEditorH; ++y)
    for (int x = 0; x < kEditorW; ++x) bg.getBits()[y * bg.getRowSpan() + x] = Background(x, y);
  PIX_MemBitmap knob(kKnobSize, kKnobSize * kKnobFrames), sw(kSwitchSize, kSwitchSize * 2), mode(kModeW, kModeH * 3);
  for (int k = 0; k < kKnobFrames; ++k) PIX_FillRect(&knob, 0, k * kKnobSize, kKnobSize, kKnobSize, KnobFrame(k), 1.0f, 0);
  for (int k = 0; k < 2; ++k) PIX_FillRect(&sw, 0, k * kSwitchSize, kSwitchSize, kSwitchSize, SwitchFrame(k), 1.0f, 0);
  for (int k = 0; k < 3; ++k) PIX_FillRect(&mode, 0, k * kModeH, kModeW, kModeH, ModeFrame(k), 1.0f, 0);
  return PIX_WritePNG(&bg, (dir + "/BG.png").c_str()) && PIX_WritePNG(&knob, (dir + "/KNOB.png").c_str()) &&
         PIX_WritePNG(&sw, (dir + "/SWITCH.png").c_str()) && PIX_WritePNG(&mode, (dir + "/MODE.png").c_str());
}
#ifdef TEST_EDITOR_PLUGIN
// The Resources folder of the test editor plug-in's bundle.
inline std::string TestEditorResources() {
  const std::string plugin = TEST_EDITOR_PLUGIN;
  return plugin.substr(0, plugin.rfind('/')) + "/Resources";
}
// Puts the artwork where the test editor looks for it.
inline bool InstallForTestEditor() {
  mkdir(TestEditorResources().c_str(), 0755);
  return WriteAll(TestEditorResources());
}
#endif
}  // namespace test_artwork
