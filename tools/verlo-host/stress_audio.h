#pragma once
// Audio for the stress checks: buffers for one instance's process calls, and the reference
// render that a fresh instance must reproduce bit for bit after every check.
#include <cstdint>
#include <string>
#include <vector>

#include "plugin.h"

constexpr int kStressMaxBlock = 8192;

// Input and output channels of one instance, as many as it declares, kStressMaxBlock frames each.
// Allocated once; processing through them allocates nothing.
class StressBuffers {
public:
  explicit StressBuffers(const AEffect* effect);

  void FillInputs(float value);
  // Deterministic noise in [-1, 1] from SEED, the same for every channel.
  void FillNoise(uint64_t seed);
  // processReplacing over FRAMES (at most kStressMaxBlock); the number of output samples that
  // came out NaN or infinite.
  long Process(AEffect* effect, int frames);
  const std::vector<float>& Output(int channel) const { return mOutputs[size_t(channel)]; }
  int OutputChannels() const { return int(mOutputs.size()); }

private:
  std::vector<std::vector<float>> mInputs, mOutputs;
  std::vector<float*> mInputPointers, mOutputPointers;
};

// Verlo, the plug-in this host was built with, is checked against its published worked example;
// any other plug-in against what a fresh instance of it rendered first.
bool IsVerlo(PluginInstance& plugin);

constexpr double kReferenceRate = 44100.0;
constexpr int kReferenceBlock = 512;

// Prepares an instance opened at kReferenceRate for the reference render: for Verlo the worked
// example's settings (CHOP 0.5, DRY 0, FADE 5, OUTPUT 0 dB) with both inputs at 1.0, for others
// the defaults with deterministic noise. Resumes it.
void PrepareReference(PluginInstance& plugin, StressBuffers& buffers);
// Every output sample of the reference's 120 blocks of kReferenceBlock frames, channel after
// channel per block, from a prepared instance.
std::vector<float> RenderReferenceBlocks(AEffect* effect, StressBuffers& buffers);
// Both of the above on a fresh instance.
std::vector<float> RenderReference(PluginLibrary& library);

// "" when Verlo's render matches the worked example's figures to six places, else the first
// figure that does not.
std::string CompareWithWorkedExample(const std::vector<float>& render, int outputs);

// Renders the reference with a fresh instance of LIBRARY and compares it with EXPECTED, bit for
// bit; "" when identical, else where it first differs.
std::string FreshInstanceDiffers(PluginLibrary& library, const std::vector<float>& expected);
