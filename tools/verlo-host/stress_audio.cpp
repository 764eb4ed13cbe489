#include "stress_audio.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sstream>

#include "settings.h"

namespace {

constexpr int kReferenceBlocks = 120;

}  // namespace

StressBuffers::StressBuffers(const AEffect* effect)
    : mInputs(size_t(std::max(effect->numInputs, 0)), std::vector<float>(kStressMaxBlock, 0.0f)),
      mOutputs(size_t(std::max(effect->numOutputs, 0)), std::vector<float>(kStressMaxBlock, 0.0f)) {
  for (auto& channel : mInputs) mInputPointers.push_back(channel.data());
  for (auto& channel : mOutputs) mOutputPointers.push_back(channel.data());
}

void StressBuffers::FillInputs(float value) {
  for (auto& channel : mInputs) std::fill(channel.begin(), channel.end(), value);
}

void StressBuffers::FillNoise(uint64_t seed) {
  uint64_t state = seed | 1;
  for (int i = 0; i < kStressMaxBlock; ++i) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    const float x = float(double(state >> 11) / double(1ull << 53) * 2.0 - 1.0);
    for (auto& channel : mInputs) channel[size_t(i)] = x;
  }
}

long StressBuffers::Process(AEffect* effect, int frames) {
  effect->processReplacing(effect, mInputPointers.data(), mOutputPointers.data(), frames);
  long bad = 0;
  for (const auto& channel : mOutputs)
    for (int i = 0; i < frames; ++i) bad += !std::isfinite(channel[size_t(i)]);
  return bad;
}

bool IsVerlo(PluginInstance& plugin) {
  return plugin.Text(effGetEffectName) == "Verlo" && plugin.Text(effGetVendorString) == "Quenmarrow";
}

void PrepareReference(PluginInstance& plugin, StressBuffers& buffers) {
  if (IsVerlo(plugin)) {
    PluginSettings settings;
    settings.params = {{"CHOP", "0.5"}, {"DRY", "0"}, {"FADE", "5"}, {"OUTPUT", "0"}};
    std::ostringstream quiet;
    ApplySettings(plugin, settings, quiet);
    buffers.FillInputs(1.0f);
  } else {
    buffers.FillNoise(0x5EED);
  }
  plugin.Resume();
}

std::vector<float> RenderReferenceBlocks(AEffect* effect, StressBuffers& buffers) {
  std::vector<float> render;
  render.reserve(size_t(kReferenceBlocks) * kReferenceBlock * size_t(buffers.OutputChannels()));
  for (int block = 0; block < kReferenceBlocks; ++block) {
    buffers.Process(effect, kReferenceBlock);
    for (int c = 0; c < buffers.OutputChannels(); ++c)
      render.insert(render.end(), buffers.Output(c).begin(), buffers.Output(c).begin() + kReferenceBlock);
  }
  return render;
}

std::vector<float> RenderReference(PluginLibrary& library) {
  PluginInstance plugin(library, kReferenceRate, kReferenceBlock);
  StressBuffers buffers(plugin.Effect());
  PrepareReference(plugin, buffers);
  return RenderReferenceBlocks(plugin.Effect(), buffers);
}

std::string CompareWithWorkedExample(const std::vector<float>& render, int outputs) {
  if (outputs != 2 || render.size() != size_t(kReferenceBlocks) * kReferenceBlock * 2)
    return "Verlo rendered " + std::to_string(outputs) + " outputs, not 2";
  // block (from 1), frame in the block, left, right
  struct Figure { int block, frame; double left, right; };
  static const Figure kFigures[] = {{1, 0, 0.000712, 0.001424},    {1, 511, 0.517495, 0.517839},
                                    {20, 511, 1.0, 1.0},           {34, 511, 1.0, 1.0},
                                    {35, 511, 0.482505, 0.482161}, {43, 511, 0.001409, 0.001408},
                                    {44, 511, 0.518175, 0.518518}};
  for (const Figure& f : kFigures) {
    const size_t at = size_t(f.block - 1) * kReferenceBlock * 2 + size_t(f.frame);
    const double left = render[at], right = render[at + kReferenceBlock];
    if (std::fabs(left - f.left) > 5e-7 || std::fabs(right - f.right) > 5e-7) {
      char text[160];
      std::snprintf(text, sizeof text, "block %d frame %d gives %.6f, %.6f instead of %.6f, %.6f", f.block,
                    f.frame + 1, left, right, f.left, f.right);
      return text;
    }
  }
  return "";
}

std::string FreshInstanceDiffers(PluginLibrary& library, const std::vector<float>& expected) {
  const std::vector<float> render = RenderReference(library);
  if (render.size() != expected.size()) return "a fresh instance renders a different number of samples";
  for (size_t i = 0; i < render.size(); ++i)
    if (std::memcmp(&render[i], &expected[i], sizeof(float)) != 0) {
      const size_t perBlock = render.size() / kReferenceBlocks;
      return "a fresh instance differs from the reference in block " + std::to_string(i / perBlock + 1);
    }
  return "";
}
