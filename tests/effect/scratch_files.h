#pragma once
// Files for the state tests: a scratch directory and whole-file reads and writes.
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

// A scratch directory removed with everything in it when the test ends.
class TempDir {
public:
  TempDir() {
    std::string pattern = ::testing::TempDir() + "verlo_state_XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back(0);
    if (mkdtemp(buf.data())) mPath = buf.data();
  }
  ~TempDir() {
    for (const std::string& f : mFiles) remove(f.c_str());
    if (!mPath.empty()) rmdir(mPath.c_str());
  }
  std::string File(const char* name) {
    mFiles.push_back(mPath + "/" + name);
    return mFiles.back();
  }
  bool ok() const { return !mPath.empty(); }

private:
  std::string mPath;
  std::vector<std::string> mFiles;
};

inline std::vector<unsigned char> ReadFile(const std::string& path) {
  std::vector<unsigned char> bytes;
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return bytes;
  int c;
  while ((c = fgetc(f)) != EOF) bytes.push_back(static_cast<unsigned char>(c));
  fclose(f);
  return bytes;
}

inline void WriteFile(const std::string& path, const std::vector<unsigned char>& bytes) {
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) return;
  if (!bytes.empty()) fwrite(bytes.data(), 1, bytes.size(), f);
  fclose(f);
}

inline std::string ReadText(const std::string& path) {
  const std::vector<unsigned char> b = ReadFile(path);
  return std::string(b.begin(), b.end());
}
