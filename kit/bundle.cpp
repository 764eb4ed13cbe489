#include "kit/bundle.h"

#include <dlfcn.h>
#include <limits.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "kit/kitcstring.h"

namespace {

// The absolute path of the file mapped at addr, from the process's memory map. The loader only
// knows an object by the name it was opened with, which may be relative to a directory the
// process has since left.
bool MappedFile(const void* addr, char* out, size_t size) {
  FILE* maps = fopen("/proc/self/maps", "re");
  if (!maps) return false;
  const uintptr_t at = reinterpret_cast<uintptr_t>(addr);
  bool found = false;
  char line[PATH_MAX + 128];
  while (!found && fgets(line, sizeof line, maps)) {
    unsigned long long lo = 0, hi = 0;
    int pathAt = 0;
    if (sscanf(line, "%llx-%llx %*s %*s %*s %*s %n", &lo, &hi, &pathAt) < 2 || pathAt == 0) continue;
    if (at < lo || at >= hi || line[pathAt] != '/') continue;
    line[strcspn(line, "\n")] = 0;
    found = realpath(line + pathAt, out) != nullptr;
  }
  fclose(maps);
  return found && strlen(out) < size;
}

}  // namespace

bool KIT_GetBundlePath(char* out, size_t size) {
  if (!out || size == 0) return false;
  out[0] = 0;
  Dl_info info;
  char resolved[PATH_MAX];
  void* const self = reinterpret_cast<void*>(&KIT_GetBundlePath);
  const bool fromObject = (dladdr(self, &info) && info.dli_fname && info.dli_fname[0] == '/' &&
                           realpath(info.dli_fname, resolved)) ||
                          MappedFile(self, resolved, sizeof resolved);
  if (!fromObject && !realpath("/proc/self/exe", resolved)) return false;
  char* slash = strrchr(resolved, '/');
  if (!slash) return false;
  *slash = 0;
  if (strlen(resolved) + 1 > size) return false;
  KIT_CopyString(out, size, resolved);
  return true;
}

bool KIT_GetBundleResourcePath(const char* name, char* out, size_t size) {
  if (!name || !KIT_GetBundlePath(out, size)) return false;
  const size_t need = strlen(out) + strlen("/Resources/") + strlen(name) + 1;
  if (need > size) {
    out[0] = 0;
    return false;
  }
  KIT_AppendString(out, size, "/Resources/");
  KIT_AppendString(out, size, name);
  return true;
}
