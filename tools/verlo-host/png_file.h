#pragma once
// A PNG output: its temporary file beside the target is made at once (an unwritable place fails
// then), and the picture takes the target's name only when complete.
#include <string>

#include "atomic_file.h"
#include "pix/pix_bitmap.h"

class PngOutput {
public:
  explicit PngOutput(const std::string& path);  // throws HostError
  void Write(const PIX_IBitmap& image);         // throws HostError
  const std::string& Path() const { return mPath; }

private:
  std::string mPath;
  TempFile mTemp;
};
