#pragma once
// Runs the built verlo-host as a child process in a scratch folder and reads and writes the
// audio files it works on.
#include <gtest/gtest.h>
#include <sys/types.h>

#include <string>
#include <vector>

struct HostResult {
  int exitCode = -1;  // -1 when the child did not exit normally (a crash)
  std::string out, err;
};

struct Audio {
  int channels = 0, rate = 0;
  std::vector<float> samples;  // interleaved
  long Frames() const { return channels ? long(samples.size()) / channels : 0; }
  float At(long frame, int channel) const { return samples[size_t(frame) * channels + channel]; }
};

// Audio filled with one constant value in every channel.
Audio ConstantAudio(int channels, int rate, long frames, float value);
// 32-bit float WAV unless the path's extension says otherwise.
void WriteAudio(const std::string& path, const Audio& audio);
Audio ReadAudio(const std::string& path);  // fails the test when unreadable

// Gives every test its own scratch folder, removed afterwards.
class HostTest : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;
  std::string Path(const std::string& name) const { return mDir + "/" + name; }
  // Names of the files in the scratch folder, sorted.
  std::vector<std::string> Files() const;
  HostResult Run(const std::vector<std::string>& args, const std::vector<std::string>& env = {});
  // Run in two steps, for tests that act while the host runs: Start returns the child's id (-1
  // when it could not start) and Finish waits for it.
  pid_t Start(const std::vector<std::string>& args, const std::vector<std::string>& env = {});
  HostResult Finish(pid_t pid);
  // Another program (found on PATH when PROGRAM names no folder) run the same way.
  HostResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                        const std::vector<std::string>& env = {});
  pid_t StartProgram(const std::string& program, const std::vector<std::string>& args,
                     const std::vector<std::string>& env = {});

  std::string mDir;
};

std::string FakePlugin(const std::string& kind);  // path of fake-KIND.so
bool Contains(const std::string& text, const std::string& part);
