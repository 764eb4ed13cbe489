#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <vector>

#include "tests/effect/offline_host.h"
#include "tests/support/alloc_hook.h"

namespace {
// Records the pointers and samples it is handed; writes input + 0.5 to every output.
struct Probe : TestBase {
  explicit Probe(const char* io = "1-1 2-2") : TestBase(io) {}
  std::vector<int> frameCounts;
  std::vector<std::vector<double>> lastInputs;
  double** lastIn = nullptr;
  double** lastOut = nullptr;
  void ProcessDoubleReplacing(double** in, double** out, int n) override {
    frameCounts.push_back(n);
    lastIn = in;
    lastOut = out;
    lastInputs.assign(NInChannels(), {});
    for (int c = 0; c < NInChannels(); ++c) lastInputs[c].assign(in[c], in[c] + std::max(n, 0));
    for (int c = 0; c < NOutChannels(); ++c)
      for (int i = 0; i < n; ++i) out[c][i] = in[c < NInChannels() ? c : 0][i] + 0.5;
  }
};
}  // namespace

TEST(Routing, UnconnectedInputReadsZerosAlsoAfterAResize) {
  OfflineHost<Probe> effect;
  effect.Prepare(44100, 8, 1, 2);
  std::vector<double> in(8, 1.0), out0(8), out1(8);
  double* ins[] = {in.data()};
  double* outs[] = {out0.data(), out1.data()};
  effect.ProcessHostBlock(ins, outs, 8);
  EXPECT_EQ(effect.lastInputs[1], std::vector<double>(8, 0.0));
  effect.SetBlockSize(4096);  // moves the scratch buffer
  std::vector<double> bigIn(4096, 1.0), big0(4096), big1(4096);
  double* bigIns[] = {bigIn.data()};
  double* bigOuts[] = {big0.data(), big1.data()};
  effect.ProcessHostBlock(bigIns, bigOuts, 4096);
  EXPECT_EQ(effect.lastInputs[1], std::vector<double>(4096, 0.0));
}

TEST(Routing, SetBlockSizeZeroesOnlyWhenTheSizeChanges) {
  OfflineHost<Probe> effect;
  effect.Prepare(44100, 16, 2, 1);  // output 1 unconnected: it writes into its scratch
  std::vector<double> a(16, 2.0), b(16, 3.0), out(16);
  double* ins[] = {a.data(), b.data()};
  double* outs[] = {out.data()};
  effect.ProcessHostBlock(ins, outs, 16);
  double* scratch = effect.lastOut[1];
  EXPECT_EQ(scratch[15], 3.5);
  effect.SetBlockSize(16);
  EXPECT_EQ(scratch[15], 3.5) << "same size: contents untouched";
  effect.SetBlockSize(32);
  double* resized = effect.lastOut[1];  // the table entry follows the resize
  for (int i = 0; i < 32; ++i) ASSERT_EQ(resized[i], 0.0) << i;
  effect.SetBlockSize(8);
  for (int i = 0; i < 8; ++i) ASSERT_EQ(effect.lastOut[1][i], 0.0) << i;
}

TEST(Routing, AttachConsumesOnePointerPerConnectedChannel) {
  OfflineHost<Probe> effect;
  effect.Prepare(44100, 4, 2, 2);
  effect.SetInputChannelConnections(1, 1, false);
  double a[4] = {1, 2, 3, 4}, unused[4] = {9, 9, 9, 9};
  double* ins[] = {a, unused};
  effect.AttachInputBuffers(0, 2, ins, 4);
  double o0[4], o1[4];
  double* outs[] = {o0, o1};
  effect.AttachOutputBuffers(0, 2, outs);
  effect.ProcessBuffers(0.0, 4);
  EXPECT_EQ(effect.lastIn[0], a);
  EXPECT_NE(effect.lastIn[1], unused);
  EXPECT_EQ(effect.lastInputs[1], std::vector<double>(4, 0.0));
  EXPECT_EQ(effect.lastOut[0], o0);
}

TEST(Routing, FloatBuffersWidenExactlyAndRoundToNearest) {
  OfflineHost<Probe> effect;
  effect.Prepare(44100, 4, 2, 2);
  float a[4] = {0.1f, -0.2f, 1e-30f, 3.0f}, b[4] = {1, 2, 3, 4};
  float o0[4] = {10, 10, 10, 10}, o1[4] = {10, 10, 10, 10};
  float* ins[] = {a, b};
  float* outs[] = {o0, o1};
  effect.ProcessHostBlock(ins, outs, 4, false);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(effect.lastInputs[0][i], static_cast<double>(a[i]));
    EXPECT_EQ(o0[i], static_cast<float>(static_cast<double>(a[i]) + 0.5)) << "overwritten";
  }
  effect.ProcessHostBlock(ins, outs, 4, true);
  for (int i = 0; i < 4; ++i) {
    const float expected = static_cast<float>(static_cast<double>(b[i]) + 0.5);
    EXPECT_EQ(o1[i], expected + expected) << "accumulated in single precision";
  }
}

TEST(Routing, AccumulationAddsInSinglePrecision) {
  struct Constant : TestBase {
    Constant() : TestBase("1-1") {}
    void ProcessDoubleReplacing(double**, double** out, int n) override {
      for (int i = 0; i < n; ++i) out[0][i] = 1e-8;
    }
  };
  OfflineHost<Constant> effect;
  effect.Prepare(44100, 2, 1, 1);
  float in[2] = {0, 0}, out[2] = {1.0f, 1.0f};
  float* ins[] = {in};
  float* outs[] = {out};
  effect.ProcessHostBlock(ins, outs, 2, true);
  EXPECT_EQ(out[0], 1.0f) << "1 + 1e-8 rounds back to 1 in single precision";
}

TEST(Routing, DefaultProcessingPassesThroughAndZeroFills) {
  OfflineHost<TestBase> stereo("2-2");
  stereo.Prepare(44100, 3, 2, 2);
  double a[3] = {1, 2, 3}, b[3] = {4, 5, 6}, o0[3], o1[3];
  double* ins[] = {a, b};
  double* outs[] = {o0, o1};
  stereo.ProcessHostBlock(ins, outs, 3);
  EXPECT_EQ(std::vector<double>(o1, o1 + 3), (std::vector<double>{4, 5, 6}));
  OfflineHost<TestBase> wide("1-2");
  wide.Prepare(44100, 3, 1, 2);
  o1[0] = o1[1] = o1[2] = 7;
  double* one[] = {a};
  wide.ProcessHostBlock(one, outs, 3);
  EXPECT_EQ(std::vector<double>(o0, o0 + 3), (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(std::vector<double>(o1, o1 + 3), (std::vector<double>{0, 0, 0}));
}

TEST(Routing, OversizedHostBlocksRunInPiecesOfTheBlockSize) {
  OfflineHost<Probe> effect;
  effect.Prepare(44100, 64, 2, 2);
  const int n = 1000;
  std::vector<float> a(n), b(n), o0(n), o1(n);
  std::iota(a.begin(), a.end(), 0.0f);
  std::iota(b.begin(), b.end(), 5000.0f);
  float* ins[] = {a.data(), b.data()};
  float* outs[] = {o0.data(), o1.data()};
  effect.ProcessHostBlock(ins, outs, n, false);
  std::vector<int> expected(15, 64);
  expected.push_back(n - 15 * 64);
  EXPECT_EQ(effect.frameCounts, expected);
  for (int i = 0; i < n; ++i) {
    ASSERT_EQ(o0[i], a[i] + 0.5f) << i;
    ASSERT_EQ(o1[i], b[i] + 0.5f) << i;
  }

  // Double buffers with every channel connected need no scratch and stay whole...
  effect.frameCounts.clear();
  std::vector<double> da(n, 1), db(n, 2), d0(n), d1(n);
  double* dins[] = {da.data(), db.data()};
  double* douts[] = {d0.data(), d1.data()};
  effect.ProcessHostBlock(dins, douts, n);
  EXPECT_EQ(effect.frameCounts, std::vector<int>{n});
  // ...but an unconnected channel's scratch bounds them too.
  effect.frameCounts.clear();
  effect.SetOutputChannelConnections(1, 1, false);
  effect.ProcessHostBlock(dins, douts, n);
  EXPECT_EQ(effect.frameCounts.size(), 16u);
  EXPECT_EQ(d0[n - 1], 1.5);
}

TEST(Routing, ZeroFramesStillReachTheEffectAndNoScratchGivesSilence) {
  OfflineHost<Probe> effect;
  effect.Prepare(44100, 16, 2, 2);
  float a[4] = {1, 1, 1, 1}, o[4] = {5, 5, 5, 5};
  float* ins[] = {a, a};
  float* outs[] = {o, o};
  effect.ProcessHostBlock(ins, outs, 0, false);
  EXPECT_EQ(effect.frameCounts, std::vector<int>{0});
  EXPECT_EQ(o[0], 5.0f);
  effect.SetBlockSize(0);
  effect.ProcessHostBlock(ins, outs, 4, false);
  EXPECT_EQ(effect.frameCounts.size(), 1u) << "nothing to process into";
  EXPECT_EQ(o[3], 0.0f);
}

TEST(Routing, ProcessingAllocatesNothing) {
  SKIP_WITHOUT_ALLOC_HOOK();
  OfflineHost<TestBase> effect("1-1 2-2");
  effect.Prepare(44100, 512, 2, 2);
  std::vector<float> a(2048, 0.25f), o0(2048), o1(2048);
  float* ins[] = {a.data(), a.data()};
  float* outs[] = {o0.data(), o1.data()};
  std::vector<double> da(2048), d0(2048), d1(2048);
  double* dins[] = {da.data(), da.data()};
  double* douts[] = {d0.data(), d1.data()};
  alloc_hook::Counter counter;
  for (int i = 0; i < 50; ++i) {
    effect.ProcessHostBlock(ins, outs, 512, false);
    effect.ProcessHostBlock(ins, outs, 2048, true);
    effect.ProcessHostBlock(dins, douts, 2048);
  }
  EXPECT_EQ(counter.Allocations(), 0);
}
