#include "kit/kitcstring.h"

#include <cstring>

size_t KIT_CopyStringN(char* dst, size_t dstSize, const char* src, size_t srcMax) {
  if (!dst || dstSize == 0) return 0;
  size_t n = 0;
  if (src) {
    const void* nul = memchr(src, 0, srcMax);
    n = nul ? static_cast<size_t>(static_cast<const char*>(nul) - src) : srcMax;
    if (n > dstSize - 1) n = dstSize - 1;
    memcpy(dst, src, n);
  }
  dst[n] = 0;
  return n;
}

size_t KIT_CopyString(char* dst, size_t dstSize, const char* src) {
  return KIT_CopyStringN(dst, dstSize, src, src ? strlen(src) : 0);
}

size_t KIT_AppendString(char* dst, size_t dstSize, const char* src) {
  if (!dst || dstSize == 0) return 0;
  const void* nul = memchr(dst, 0, dstSize);
  if (!nul) {
    dst[dstSize - 1] = 0;
    return dstSize - 1;
  }
  const size_t used = static_cast<size_t>(static_cast<const char*>(nul) - dst);
  return used + KIT_CopyString(dst + used, dstSize - used, src);
}

int KIT_CompareStrings(const char* a, const char* b) {
  if (!a || !b) return (a ? 1 : 0) - (b ? 1 : 0);
  return strcmp(a, b);
}
