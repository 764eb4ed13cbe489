#pragma once
// Numbers as text in the C locale's notation ('.' as the decimal point, no digit grouping)
// whatever locale the host process has chosen: texts exchanged with a host must not change
// meaning with the user's language. The process's locale is left alone; any thread may call.
#include <cstddef>

// strtod's rules in the C locale: leading blanks, an optional sign, decimal or hexadecimal
// digits, "inf" and "nan". *end (if end is given) points past what was read.
double KIT_StrToDouble(const char* text, char** end = nullptr);

// snprintf in the C locale.
int KIT_FormatNumber(char* buffer, size_t size, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
