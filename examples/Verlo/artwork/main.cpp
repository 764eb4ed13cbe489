// verlo_artwork OUTDIR: draws Verlo's six editor images into OUTDIR (made if missing) as PNG
// files. The same build writes the same bytes every time.
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "examples/Verlo/artwork/artwork.h"
#include "pix/pix.h"

namespace {

bool Write(const PIX_IBitmap& image, const std::string& dir, const char* file) {
  const std::string path = dir + "/" + file;
  if (PIX_WritePNG(&image, path.c_str())) return true;
  std::fprintf(stderr, "verlo_artwork: cannot write %s\n", path.c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: verlo_artwork OUTDIR\n");
    return 2;
  }
  const std::string dir = argv[1];
  std::error_code error;
  std::filesystem::create_directories(dir, error);

  PIX_MemBitmap image;
  artwork::DrawBackground(&image);
  bool ok = Write(image, dir, artwork::kBackgroundFile);
  artwork::DrawBypassSwitch(&image);
  ok = Write(image, dir, artwork::kBypass.file) && ok;
  for (const artwork::ControlArt& knob : artwork::kKnobs) {
    artwork::DrawKnobStrip(&image, knob);
    ok = Write(image, dir, knob.file) && ok;
  }
  return ok ? 0 : 1;
}
