#include "kit/bundle.h"

#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>
#include <string.h>

#include "kit/kitcstring.h"

bool KIT_GetBundlePath(char* out, size_t size) {
  if (!out || size == 0) return false;
  out[0] = 0;
  Dl_info info;
  char resolved[PATH_MAX];
  const bool fromObject = dladdr(reinterpret_cast<void*>(&KIT_GetBundlePath), &info) && info.dli_fname &&
                          info.dli_fname[0] == '/' && realpath(info.dli_fname, resolved);
  // The main program may be named relative to a directory it has since left.
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
