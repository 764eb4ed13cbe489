#include "audio_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>

#include "error.h"
#include "text.h"
#include "writable_formats.h"

namespace {

// The writable format libsndfile associates with the path's extension.
const WritableFormat& FormatFor(const std::string& path) {
  const size_t dot = path.rfind('.');
  const size_t slash = path.rfind('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
    throw HostError("cannot write '" + path + "': no extension to choose the format from (use .wav, .flac, .aiff, ...)");
  const std::string ext = Lower(path.substr(dot + 1));
  const int alias = ext == "aif" ? SF_FORMAT_AIFF : ext == "ogg" ? SF_FORMAT_OGG : 0;
  std::string known;
  for (const WritableFormat& f : WritableFormats()) {
    if (ext == f.extension || f.major == alias) return f;
    if (known.find(" " + f.extension + ",") == std::string::npos) known += " " + f.extension + ",";
  }
  if (!known.empty()) known.pop_back();
  throw HostError("cannot write '" + path + "': unsupported output format '." + ext + "' (known:" + known + ")");
}

uint32_t Le(const unsigned char* p, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | p[i];
  return v;
}

uint32_t Be32(const unsigned char* p) { return uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3]; }

// The frame count a WAV (PCM or float) or AIFF header declares, -1 for other files. libsndfile
// shortens its count to the data a cut file still holds, so only the header tells of the cut.
long long HeaderFrames(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  unsigned char form[12];
  if (!in.read(reinterpret_cast<char*>(form), sizeof form)) return -1;
  const bool wav = !std::memcmp(form, "RIFF", 4) && !std::memcmp(form + 8, "WAVE", 4);
  const bool aiff = !std::memcmp(form, "FORM", 4) && (!std::memcmp(form + 8, "AIFF", 4) || !std::memcmp(form + 8, "AIFC", 4));
  if (!wav && !aiff) return -1;
  uint32_t frameBytes = 0;
  unsigned char chunk[8], fields[14];
  while (in.read(reinterpret_cast<char*>(chunk), sizeof chunk)) {
    const uint32_t size = wav ? Le(chunk + 4, 4) : Be32(chunk + 4);
    const std::streamoff next = in.tellg() + std::streamoff(size + (size & 1));
    if (aiff && !std::memcmp(chunk, "COMM", 4))
      return in.read(reinterpret_cast<char*>(fields), 6) ? Be32(fields + 2) : -1;
    if (wav && !std::memcmp(chunk, "fmt ", 4) && size >= 14 && in.read(reinterpret_cast<char*>(fields), 14)) {
      const uint32_t tag = Le(fields, 2);  // PCM, float or extensible: one block is one frame
      frameBytes = tag == 1 || tag == 3 || tag == 0xFFFE ? Le(fields + 12, 2) : 0;
    }
    // Writers that stream leave the size 0 or all ones.
    if (wav && !std::memcmp(chunk, "data", 4))
      return frameBytes && size && size != 0xFFFFFFFF ? size / frameBytes : -1;
    in.seekg(next);
  }
  return -1;
}

}  // namespace

AudioReader::AudioReader(const std::string& path) : mPath(path) {
  struct stat st;
  if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
    throw HostError("cannot read audio file '" + path + "': it is a folder");
  mFile = sf_open(path.c_str(), SFM_READ, &mInfo);
  if (!mFile)
    throw HostError("cannot read audio file '" + path + "': " + sf_strerror(nullptr));
  if (mInfo.channels < 1 || mInfo.samplerate < 1) {
    sf_close(mFile);
    throw HostError("cannot read audio file '" + path + "': no channels or no sample rate");
  }
  // SF_COUNT_MAX stands for an unknown length (a cut Ogg stream).
  mDeclaredFrames = mInfo.frames == SF_COUNT_MAX ? 0 : std::max<long long>(mInfo.frames, HeaderFrames(path));
}

AudioReader::~AudioReader() { sf_close(mFile); }

long AudioReader::Read(double* interleaved, long frames) {
  const sf_count_t n = sf_readf_double(mFile, interleaved, frames);
  if (n < 0 || (n < frames && sf_error(mFile) != SF_ERR_NO_ERROR))
    throw HostError("cannot read audio file '" + mPath + "': " + sf_strerror(mFile));
  return static_cast<long>(n);
}

AudioWriter::AudioWriter(const std::string& path, int channels, int sampleRate, int formatHint)
    : mPath(path) {
  const WritableFormat& format = FormatFor(path);
  mInfo.channels = channels;
  mInfo.samplerate = sampleRate;
  const int candidates[] = {formatHint & SF_FORMAT_SUBMASK, SF_FORMAT_FLOAT, SF_FORMAT_PCM_24,
                            SF_FORMAT_PCM_16, format.subtype};
  bool found = false;
  for (int sub : candidates) {
    mInfo.format = format.major | sub;
    if (sub && Writes(mInfo.format, channels, sampleRate)) {
      found = true;
      break;
    }
  }
  if (!found)
    throw HostError("cannot write '" + path + "': that format cannot hold " + Count(channels, "channel") +
                    " at " + std::to_string(sampleRate) + " Hz");
  mTemp = std::make_unique<TempFile>(path);
  mFile = sf_open_fd(mTemp->ReleaseDescriptor(), SFM_WRITE, &mInfo, SF_TRUE);
  if (!mFile) throw HostError("cannot write '" + path + "': " + sf_strerror(nullptr));
  // Integer formats clip rather than wrap samples beyond full scale.
  sf_command(mFile, SFC_SET_CLIPPING, nullptr, SF_TRUE);
}

AudioWriter::~AudioWriter() {
  if (mFile) sf_close(mFile);
}

void AudioWriter::Write(const double* interleaved, long frames) {
  if (sf_writef_double(mFile, interleaved, frames) != frames)
    throw HostError("cannot write '" + mPath + "': " + sf_strerror(mFile));
}

void AudioWriter::Commit() {
  const int err = sf_close(mFile);
  mFile = nullptr;
  if (err) throw HostError("cannot write '" + mPath + "': " + sf_error_number(err));
  mTemp->Commit();
}

std::string AudioWriter::FormatName() const {
  SF_FORMAT_INFO major{}, sub{};
  major.format = mInfo.format & SF_FORMAT_TYPEMASK;
  sub.format = mInfo.format & SF_FORMAT_SUBMASK;
  sf_command(nullptr, SFC_GET_FORMAT_INFO, &major, sizeof major);
  sf_command(nullptr, SFC_GET_FORMAT_INFO, &sub, sizeof sub);
  return std::string(major.name ? major.name : "?") + ", " + (sub.name ? sub.name : "?");
}
