#pragma once
// Audio files through libsndfile: whatever it reads in, and the output format chosen from the
// output's extension.
#include <sndfile.h>

#include <memory>
#include <string>
#include <vector>

#include "atomic_file.h"

class AudioReader {
public:
  explicit AudioReader(const std::string& path);  // throws HostError when unreadable
  ~AudioReader();
  AudioReader(const AudioReader&) = delete;
  AudioReader& operator=(const AudioReader&) = delete;

  int Channels() const { return mInfo.channels; }
  int SampleRate() const { return mInfo.samplerate; }
  long long Frames() const { return mInfo.frames; }
  // What the file's header says it holds; more than the frames read when the file was cut.
  long long DeclaredFrames() const { return mDeclaredFrames; }
  int Format() const { return mInfo.format; }
  // Interleaved; returns the frames read, 0 at the end.
  long Read(double* interleaved, long frames);

private:
  std::string mPath;
  SF_INFO mInfo{};
  long long mDeclaredFrames = 0;
  SNDFILE* mFile = nullptr;
};

class AudioWriter {
public:
  // formatHint is a libsndfile format whose sample encoding is kept when the container allows.
  AudioWriter(const std::string& path, int channels, int sampleRate, int formatHint);
  ~AudioWriter();  // an uncommitted output is removed
  AudioWriter(const AudioWriter&) = delete;
  AudioWriter& operator=(const AudioWriter&) = delete;

  void Write(const double* interleaved, long frames);
  void Commit();
  std::string FormatName() const;

private:
  std::string mPath;
  std::unique_ptr<TempFile> mTemp;
  SF_INFO mInfo{};
  SNDFILE* mFile = nullptr;
};
