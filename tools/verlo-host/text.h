#pragma once
// Case folding for names the user types: parameter names, file extensions.
#include <cctype>
#include <string>

inline std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}
