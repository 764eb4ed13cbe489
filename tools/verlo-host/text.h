#pragma once
// Small text helpers: case folding for names the user types (parameter names, file
// extensions), counts and paths in messages.
#include <cctype>
#include <string>

inline std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// "1 frame", "2 frames".
inline std::string Count(long long n, const std::string& noun) {
  return std::to_string(n) + " " + noun + (n == 1 ? "" : "s");
}

// dir/name with one slash between them, whether or not dir ends with one.
inline std::string JoinPath(const std::string& dir, const std::string& name) {
  return dir.empty() || dir.back() == '/' ? dir + name : dir + "/" + name;
}

// The last component of a path: "out.wav" of "demo/out.wav"; trailing slashes do not count.
inline std::string BaseName(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}
