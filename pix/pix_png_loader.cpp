// The PNG entry of the image-loader chain, and loading from the module's resource folder.
#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>

#include <cctype>
#include <cstring>
#include <string>

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

// The folder of the file that holds this code: the plug-in's .so inside its bundle folder, or
// the program itself. Empty when it cannot be found.
std::string ModuleFolder() {
  Dl_info info;
  if (!dladdr(reinterpret_cast<void*>(&PIX_LoadPNGFromNamedResource), &info) || !info.dli_fname) return {};
  char resolved[PATH_MAX];
  if (!realpath(info.dli_fname, resolved)) return {};
  const char* slash = strrchr(resolved, '/');
  if (!slash) return {};
  return std::string(resolved, static_cast<size_t>(slash - resolved));
}

}  // namespace

PIX_IBitmap* PIX_LoadPNGFromNamedResource(const char* name, PIX_IBitmap* bmp) {
  if (!name || strlen(name) > 400) return nullptr;
  const std::string folder = ModuleFolder();
  if (folder.empty() || folder.size() >= 1536) return nullptr;
  return PIX_LoadPNG((folder + "/Resources/" + name).c_str(), bmp);
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
