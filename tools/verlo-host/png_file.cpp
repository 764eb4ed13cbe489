#include "png_file.h"

#include <unistd.h>

#include "error.h"
#include "pix/pix_png.h"

PngOutput::PngOutput(const std::string& path) : mPath(path), mTemp(path) {}

void PngOutput::Write(const PIX_IBitmap& image) {
  close(mTemp.ReleaseDescriptor());  // the PNG writer opens the file by name
  if (!PIX_WritePNG(&image, mTemp.TempPath().c_str())) throw HostError("cannot write the picture '" + mPath + "'");
  mTemp.Commit();
}
