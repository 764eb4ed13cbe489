#pragma once
// Where the code's bundle lives: the folder holding the shared object (or program) this code was
// linked into, found at run time, and the resources kept in its Resources/ folder.
#include <cstddef>

// The bundle folder, without a trailing slash; false when it cannot be found or does not fit.
bool KIT_GetBundlePath(char* out, size_t size);
// The bundle folder followed by "/Resources/" and name; false when it does not fit.
bool KIT_GetBundleResourcePath(const char* name, char* out, size_t size);
