#pragma once
// Numbers as users type them and as reports show them: always with '.' as the decimal point,
// whatever locale the process runs in (plug-ins may call setlocale when they load).
#include <string>

// The finite number text starts with, optionally signed; its length goes to *used. False when
// text starts with no finite number.
bool LeadingNumber(const std::string& text, double& value, size_t* used = nullptr);
// value with the given number of decimals.
std::string Fixed(double value, int decimals);
