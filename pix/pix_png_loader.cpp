// The PNG entry of the image-loader chain, and loading from the module's resource folder.
#include <cctype>
#include <cstdio>
#include <cstring>

#include "kit/bundle.h"
#include "pix/pix_png.h"

PIX_ImageLoader* PIX_ImageLoader_list = nullptr;

namespace {

PIX_ImageLoader PIX_pngldr = {PIX_PNGLoader::loadfunc, PIX_PNGLoader::get_extlist, nullptr};

struct Register {
  Register() {
    PIX_pngldr._next = PIX_ImageLoader_list;
    PIX_ImageLoader_list = &PIX_pngldr;
  }
} gRegister;

}  // namespace

PIX_IBitmap* PIX_LoadPNGFromNamedResource(const char* name, PIX_IBitmap* bmp) {
  if (!name || strlen(name) > 400) return nullptr;
  char bundle[1536];
  if (!KIT_GetBundlePath(bundle, sizeof bundle) || !bundle[0]) return nullptr;
  char path[sizeof bundle + sizeof "/Resources/" + 400];
  snprintf(path, sizeof path, "%s/Resources/%s", bundle, name);
  return PIX_LoadPNG(path, bmp);
}

PIX_IBitmap* PIX_PNGLoader::loadfunc(const char* filename, bool checkFileName, PIX_IBitmap* bmp) {
  if (!filename) return nullptr;
  if (checkFileName) {
    // The extension runs from the last '.', '/' or '\\'; only a '.' starts one.
    const char* p = filename + strlen(filename);
    while (p > filename && p[-1] != '.' && p[-1] != '/' && p[-1] != '\\') --p;
    if (p == filename || p[-1] != '.') return nullptr;
    const char* ext = p - 1;
    if (strlen(ext) != 4) return nullptr;
    for (int i = 0; i < 4; ++i)
      if (tolower(static_cast<unsigned char>(ext[i])) != ".png"[i]) return nullptr;
  }
  return PIX_LoadPNG(filename, bmp);
}

const char* PIX_PNGLoader::get_extlist() { return "PNG files (*.PNG)\0*.PNG\0"; }
