#include "audio_file.h"

#include <cstring>

#include "error.h"
#include "text.h"

namespace {

// The container libsndfile associates with the path's extension.
int MajorFormatFor(const std::string& path) {
  const size_t dot = path.rfind('.');
  const size_t slash = path.rfind('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
    throw HostError("cannot write '" + path + "': no extension to choose the format from (use .wav, .flac, .aiff, ...)");
  const std::string ext = Lower(path.substr(dot + 1));
  if (ext == "aif") return SF_FORMAT_AIFF;
  if (ext == "ogg" || ext == "oga") return SF_FORMAT_OGG;
  int count = 0;
  sf_command(nullptr, SFC_GET_FORMAT_MAJOR_COUNT, &count, sizeof count);
  std::string known;
  for (int i = 0; i < count; ++i) {
    SF_FORMAT_INFO info{};
    info.format = i;
    sf_command(nullptr, SFC_GET_FORMAT_MAJOR, &info, sizeof info);
    if (!info.extension || (info.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_RAW) continue;
    if (ext == info.extension) return info.format & SF_FORMAT_TYPEMASK;
    if (known.find(std::string(" ") + info.extension + ",") == std::string::npos)
      known += std::string(" ") + info.extension + ",";
  }
  if (!known.empty()) known.pop_back();
  throw HostError("cannot write '" + path + "': unsupported output format '." + ext + "' (known:" + known + ")");
}

}  // namespace

AudioReader::AudioReader(const std::string& path) : mPath(path) {
  mFile = sf_open(path.c_str(), SFM_READ, &mInfo);
  if (!mFile)
    throw HostError("cannot read audio file '" + path + "': " + sf_strerror(nullptr));
  if (mInfo.channels < 1 || mInfo.samplerate < 1) {
    sf_close(mFile);
    throw HostError("cannot read audio file '" + path + "': no channels or no sample rate");
  }
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
  const int major = MajorFormatFor(path);
  mInfo.channels = channels;
  mInfo.samplerate = sampleRate;
  const int candidates[] = {formatHint & SF_FORMAT_SUBMASK, SF_FORMAT_FLOAT, SF_FORMAT_PCM_24,
                            SF_FORMAT_PCM_16, SF_FORMAT_VORBIS, SF_FORMAT_OPUS};
  bool found = false;
  for (int sub : candidates) {
    mInfo.format = major | sub;
    if (sub && sf_format_check(&mInfo)) {
      found = true;
      break;
    }
  }
  if (!found)
    throw HostError("cannot write '" + path + "': that format cannot hold " + std::to_string(channels) +
                    " channel(s) at " + std::to_string(sampleRate) + " Hz");
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
