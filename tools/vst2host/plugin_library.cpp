#include "tools/vst2host/plugin_library.h"

#include <dirent.h>
#include <dlfcn.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace vst2host {
namespace {

bool IsFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string Join(const std::string& dir, const std::string& name) {
  return dir.empty() || dir.back() == '/' ? dir + name : dir + "/" + name;
}

std::vector<std::string> SharedObjectsIn(const std::string& dir) {
  std::vector<std::string> found;
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* e = readdir(d)) {
      const std::string name = e->d_name;
      if (name.size() > 3 && name.compare(name.size() - 3, 3, ".so") == 0 && IsFile(Join(dir, name)))
        found.push_back(Join(dir, name));
    }
    closedir(d);
  }
  return found;
}

// Foo.vst holds Foo.so; newer bundles keep it under Contents/x86_64-linux/. "" and an error when
// the folder holds none, or several without one named after the folder.
std::string ResolveBundle(const std::string& path, std::string& error) {
  std::string stem = path;
  while (stem.size() > 1 && stem.back() == '/') stem.pop_back();
  stem = stem.substr(stem.rfind('/') + 1);
  const size_t dot = stem.rfind('.');
  if (dot != std::string::npos && dot > 0) stem.resize(dot);
  for (const std::string& dir : {path, Join(path, "Contents/x86_64-linux")}) {
    if (IsFile(Join(dir, stem + ".so"))) return Join(dir, stem + ".so");
    const std::vector<std::string> found = SharedObjectsIn(dir);
    if (found.size() == 1) return found[0];
    if (found.size() > 1) {
      error = "'" + path + "' holds several shared objects; name the one to load";
      return "";
    }
  }
  error = "'" + path + "' is a folder without a plug-in (.so) in it";
  return "";
}

}  // namespace

PluginLibrary::PluginLibrary(const std::string& path) : mPath(path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) {
    mError = "cannot open plug-in '" + path + "': " + std::strerror(errno);
    return;
  }
  if (S_ISDIR(st.st_mode) && (mPath = ResolveBundle(path, mError)).empty()) return;
  // dlopen searches the library path for names without a slash; the caller meant this file.
  if (mPath.find('/') == std::string::npos) mPath = "./" + mPath;
  mHandle = dlopen(mPath.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!mHandle) {
    mError = "'" + mPath + "' is not a loadable plug-in: " + dlerror();
    return;
  }
  mMain = reinterpret_cast<Entry>(dlsym(mHandle, "main"));
  if (void* entry = dlsym(mHandle, "VSTPluginMain")) {
    mEntry = reinterpret_cast<Entry>(entry);
    mEntryName = "VSTPluginMain";
  } else if (mMain) {
    mEntry = mMain;
    mEntryName = "main";
  } else {
    mError = "'" + mPath + "' is not a VST 2 plug-in: it exports neither VSTPluginMain nor main";
  }
}

PluginLibrary::~PluginLibrary() {
  if (mHandle) dlclose(mHandle);
}

}  // namespace vst2host
