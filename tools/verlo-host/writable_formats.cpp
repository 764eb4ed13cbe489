#include "writable_formats.h"

#include <sndfile.h>
#include <sys/mman.h>
#include <unistd.h>

bool Writes(int format, int channels, int sampleRate) {
  SF_INFO info{};
  info.format = format;
  info.channels = channels;
  info.samplerate = sampleRate;
  if (!sf_format_check(&info)) return false;
  // An anonymous in-memory file: the same descriptor-based open as real outputs, nothing on disk.
  const int fd = memfd_create("verlo-host-format-trial", MFD_CLOEXEC);
  if (fd < 0) return false;
  bool written = false;
  if (SNDFILE* file = sf_open_fd(fd, SFM_WRITE, &info, SF_FALSE)) {
    const double silence[64] = {};
    const sf_count_t frames = sf_count_t(sizeof silence / sizeof *silence) / channels;
    written = sf_writef_double(file, silence, frames) == frames;
    written = sf_close(file) == 0 && written;
  }
  close(fd);
  return written;
}

const std::vector<WritableFormat>& WritableFormats() {
  static const std::vector<WritableFormat> formats = [] {
    std::vector<WritableFormat> found;
    int majors = 0, subtypes = 0;
    sf_command(nullptr, SFC_GET_FORMAT_MAJOR_COUNT, &majors, sizeof majors);
    sf_command(nullptr, SFC_GET_FORMAT_SUBTYPE_COUNT, &subtypes, sizeof subtypes);
    for (int i = 0; i < majors; ++i) {
      SF_FORMAT_INFO major{};
      major.format = i;
      sf_command(nullptr, SFC_GET_FORMAT_MAJOR, &major, sizeof major);
      if (!major.extension || (major.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_RAW) continue;
      for (int j = 0; j < subtypes; ++j) {
        SF_FORMAT_INFO sub{};
        sub.format = j;
        sf_command(nullptr, SFC_GET_FORMAT_SUBTYPE, &sub, sizeof sub);
        // Mono: some containers hold only one channel.
        if (Writes(major.format | sub.format, 1, 44100)) {
          found.push_back({major.extension, major.format & SF_FORMAT_TYPEMASK, sub.format & SF_FORMAT_SUBMASK});
          break;
        }
      }
    }
    return found;
  }();
  return formats;
}
