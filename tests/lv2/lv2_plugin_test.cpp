// The built LV2 bundle in a lilv host: processing bit for bit against the VST 2 build, state
// through lilv, independent instances, port values, the default preset.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include <lv2/presets/presets.h>

#include "tests/lv2/lilv_host.h"
#include "tests/vst2/test_host.h"

namespace {
using lilvhost::Instance;
using lilvhost::World;
enum { kFade, kChop, kDry, kOutput, kBypass };

bool SameBits(const std::vector<float>& a, const std::vector<float>& b) {
  return a.size() == b.size() && memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

// Runs nBlocks blocks of constant 1.0 input and appends both outputs.
void RunOnes(Instance& instance, int nBlocks, int blockSize, std::vector<float>& left, std::vector<float>& right) {
  for (int b = 0; b < nBlocks; ++b) {
    std::fill(instance.In(0), instance.In(0) + blockSize, 1.0f);
    std::fill(instance.In(1), instance.In(1) + blockSize, 1.0f);
    instance.Run(blockSize);
    left.insert(left.end(), instance.Out(0), instance.Out(0) + blockSize);
    right.insert(right.end(), instance.Out(1), instance.Out(1) + blockSize);
  }
}

void SetControls(Instance& instance, std::initializer_list<float> values) {
  int port = 0;
  for (float v : values) instance.Control(port++) = v;
}
}  // namespace

TEST(Lv2Plugin, WorkedExampleGivesTheVst2FloatPathsSamplesAndChunk) {
  constexpr int kBlock = 512, kBlocks = 120;
  World world;
  ASSERT_NE(world.Plugin(), nullptr);
  Instance lv2(world, 44100.0, kBlock);
  ASSERT_TRUE(lv2.Valid());
  SetControls(lv2, {5.0f, 0.5f, 0.0f, 0.0f, 0.0f});
  std::vector<float> left, right;
  RunOnes(lv2, kBlocks, kBlock, left, right);

  auto last = [&](const std::vector<float>& out, int block) { return out[static_cast<size_t>(block * kBlock - 1)]; };
  EXPECT_NEAR(left[0], 0.000712, 5e-7);
  EXPECT_NEAR(right[0], 0.001424, 5e-7);
  EXPECT_NEAR(last(left, 1), 0.517495, 5e-7);
  EXPECT_NEAR(last(right, 1), 0.517839, 5e-7);
  EXPECT_NEAR(last(left, 35), 0.482505, 5e-7);
  EXPECT_NEAR(last(right, 35), 0.482161, 5e-7);
  EXPECT_NEAR(last(left, 43), 0.001409, 5e-7);
  EXPECT_NEAR(last(left, 44), 0.518175, 5e-7);
  EXPECT_NEAR(last(right, 44), 0.518518, 5e-7);

  // The VST 2 build, given the LV2 state's bytes as its program chunk, plays the same samples.
  const std::vector<unsigned char> chunk = lv2.SavedChunk();
  ASSERT_FALSE(chunk.empty());
  PluginLibrary library;
  TestHost vst(library);
  ASSERT_NE(vst.Effect(), nullptr);
  vst.Start(44100.0f, kBlock);
  ASSERT_EQ(vst.Dispatch(effSetChunk, 1, static_cast<VstIntPtr>(chunk.size()), const_cast<unsigned char*>(chunk.data())), 1);
  void* vstChunk = nullptr;
  const VstIntPtr vstSize = vst.Dispatch(effGetChunk, 1, 0, &vstChunk);
  ASSERT_EQ(static_cast<size_t>(vstSize), chunk.size());
  EXPECT_EQ(memcmp(vstChunk, chunk.data(), chunk.size()), 0);

  std::vector<float> ones(kBlock, 1.0f), outL(kBlock), outR(kBlock), vstLeft, vstRight;
  for (int b = 0; b < kBlocks; ++b) {
    float* ins[] = {ones.data(), ones.data()};
    float* outs[] = {outL.data(), outR.data()};
    vst.Effect()->processReplacing(vst.Effect(), ins, outs, kBlock);
    vstLeft.insert(vstLeft.end(), outL.begin(), outL.end());
    vstRight.insert(vstRight.end(), outR.begin(), outR.end());
  }
  EXPECT_TRUE(SameBits(left, vstLeft));
  EXPECT_TRUE(SameBits(right, vstRight));
}

TEST(Lv2Plugin, StateRoundTripsEveryParameterThroughLilvsTextForm) {
  World world;
  Instance saved(world, 48000.0, 256), restored(world, 48000.0, 256);
  ASSERT_TRUE(saved.Valid() && restored.Valid());
  SetControls(saved, {12.5f, 0.75f, 0.25f, -3.5f, 1.0f});
  saved.Run(64);
  LilvState* state = saved.SaveState();
  ASSERT_NE(state, nullptr);
  char* text = lilv_state_to_string(world.Get(), world.Urids().MapFeature(), world.Urids().UnmapFeature(), state,
                                    "urn:verlo:test-state", nullptr);
  ASSERT_NE(text, nullptr);
  LilvState* loaded = lilv_state_new_from_string(world.Get(), world.Urids().MapFeature(), text);
  ASSERT_NE(loaded, nullptr);
  // The state interface alone brings every parameter back, and the ports' old values, unchanged
  // since, do not undo it.
  restored.RestoreState(loaded, false);
  restored.Run(64);
  EXPECT_EQ(restored.SavedChunk(), saved.SavedChunk());
  restored.RestoreState(loaded);
  restored.Run(64);

  for (int port = 0; port < lilvhost::kControls; ++port)
    EXPECT_EQ(restored.Control(port), saved.Control(port)) << "port " << port;
  EXPECT_EQ(restored.SavedChunk(), saved.SavedChunk());
  lilv_state_free(loaded);
  lilv_free(text);
  lilv_state_free(state);
}

TEST(Lv2Plugin, TwoInstancesRunIndependently) {
  World world;
  Instance a(world, 44100.0, 256), b(world, 44100.0, 256), alone(world, 44100.0, 256);
  SetControls(a, {5.0f, 0.3f, 0.0f, 0.0f, 0.0f});
  SetControls(alone, {5.0f, 0.3f, 0.0f, 0.0f, 0.0f});
  SetControls(b, {40.0f, 0.9f, 0.5f, 6.0f, 0.0f});
  std::vector<float> aL, aR, bL, bR, aloneL, aloneR;
  for (int block = 0; block < 60; ++block) {
    RunOnes(a, 1, 256, aL, aR);
    RunOnes(b, 1, 256, bL, bR);
  }
  RunOnes(alone, 60, 256, aloneL, aloneR);
  EXPECT_TRUE(SameBits(aL, aloneL));
  EXPECT_TRUE(SameBits(aR, aloneR));
  EXPECT_FALSE(SameBits(aL, bL));
}

TEST(Lv2Plugin, PortValuesFollowTheirDeclaredKinds) {
  World world;
  Instance instance(world, 44100.0, 128);
  // A toggle is on above zero: BY at 0.5 bypasses, so the input comes out untouched; values
  // beyond a range are held at its end.
  SetControls(instance, {5.0f, 0.5f, 0.0f, 40.0f, 0.5f});
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> sample(-1.0f, 1.0f);
  for (int c = 0; c < 2; ++c)
    for (int i = 0; i < 128; ++i) instance.In(c)[i] = sample(rng);
  const std::vector<float> in0(instance.In(0), instance.In(0) + 128);
  instance.Run(128);
  EXPECT_EQ(memcmp(instance.Out(0), in0.data(), sizeof(float) * 128), 0);

  const std::vector<unsigned char> chunk = instance.SavedChunk();
  ASSERT_EQ(chunk.size(), 8u + 5 * sizeof(double));
  double output, bypass;
  memcpy(&output, chunk.data() + 8 + kOutput * sizeof(double), sizeof output);
  memcpy(&bypass, chunk.data() + 8 + kBypass * sizeof(double), sizeof bypass);
  EXPECT_EQ(output, 10.0);
  EXPECT_EQ(bypass, 1.0);
}

TEST(Lv2Plugin, TheDefaultPresetRestoresTheDefaults) {
  World world;
  LilvNode* presetClass = lilv_new_uri(world.Get(), LV2_PRESETS__Preset);
  LilvNodes* presets = lilv_plugin_get_related(world.Plugin(), presetClass);
  ASSERT_EQ(lilv_nodes_size(presets), 1u);
  const LilvNode* preset = lilv_nodes_get(presets, lilv_nodes_begin(presets));
  lilv_world_load_resource(world.Get(), preset);
  LilvState* state = lilv_state_new_from_world(world.Get(), world.Urids().MapFeature(), preset);
  ASSERT_NE(state, nullptr);
  EXPECT_STREQ(lilv_state_get_label(state), "-");

  Instance instance(world, 44100.0, 64);
  SetControls(instance, {30.0f, 0.8f, 0.7f, 4.0f, 1.0f});
  instance.Run(64);
  instance.RestoreState(state);
  instance.Run(64);
  const float defaults[] = {5.0f, 0.22f, 0.0f, 0.0f, 0.0f};
  for (int port = 0; port < lilvhost::kControls; ++port) EXPECT_EQ(instance.Control(port), defaults[port]);
  lilv_state_free(state);
  lilv_nodes_free(presets);
  lilv_node_free(presetClass);
}
