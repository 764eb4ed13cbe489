#pragma once
// What Verlo's editor must show on screen, made from the bundle's own artwork.
#include <memory>
#include <string>
#include <vector>

#include "pix/pix.h"

namespace verlo_screen {
inline std::string Resource(const char* name) {
  const std::string plugin = VERLO_PLUGIN_PATH;
  return plugin.substr(0, plugin.rfind('/')) + "/Resources/" + name;
}

// What the screen must show in a control's rectangle: the background with the frame blended over it.
struct Area {
  int w = 0, h = 0;
  std::vector<uint32_t> pixels;
};
inline Area Expected(const char* strip, int frames, int frame, int x, int y) {
  std::unique_ptr<PIX_IBitmap> bg(PIX_LoadPNG(Resource("BG.png").c_str(), nullptr));
  std::unique_ptr<PIX_IBitmap> image(PIX_LoadPNG(Resource(strip).c_str(), nullptr));
  Area area;
  if (!bg || !image) return area;
  area.w = image->getWidth();
  area.h = image->getHeight() / frames;
  PIX_Blit(bg.get(), image.get(), x, y, 0, (frame - 1) * area.h, area.w, area.h, 1.0f, 0x10000);
  for (int j = 0; j < area.h; ++j)
    for (int i = 0; i < area.w; ++i) area.pixels.push_back(PIX_GetPixel(bg.get(), x + i, y + j) & 0xFFFFFF);
  return area;
}

}  // namespace verlo_screen
