#include "kit/numtext.h"

#include <locale.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace {
// One C locale object for as long as the library is loaded; unloading frees it.
class CLocale {
public:
  CLocale() : mHandle(newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0))) {}
  ~CLocale() {
    if (mHandle) freelocale(mHandle);
  }
  CLocale(const CLocale&) = delete;
  CLocale& operator=(const CLocale&) = delete;
  locale_t Get() const { return mHandle; }

private:
  locale_t mHandle;
};

// Null only if the C library could not make one; callers then use the process's locale.
locale_t TheCLocale() {
  static const CLocale sLocale;
  return sLocale.Get();
}
}  // namespace

double KIT_StrToDouble(const char* text, char** end) {
  const locale_t c = TheCLocale();
  return c ? strtod_l(text, end, c) : strtod(text, end);
}

int KIT_FormatNumber(char* buffer, size_t size, const char* format, ...) {
  const locale_t c = TheCLocale();
  // uselocale changes only this thread's locale, and only for this call.
  const locale_t previous = c ? uselocale(c) : static_cast<locale_t>(0);
  va_list args;
  va_start(args, format);
  const int n = vsnprintf(buffer, size, format, args);
  va_end(args);
  if (c) uselocale(previous);
  return n;
}
