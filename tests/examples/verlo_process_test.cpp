#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "examples/Verlo/Verlo.h"
#include "tests/effect/offline_host.h"
#include "tests/support/alloc_hook.h"

namespace {
using TestVerlo = OfflineHost<Verlo>;

struct BlockResult {
  double phase;
  double firstL, firstR, lastL, lastR;
  bool ducked;
};

// Runs blocks of constant 1.0 input through the float or the double host path.
class Runner {
public:
  Runner(TestVerlo& effect, int blockSize, bool useFloat)
      : mEffect(effect), mBlock(blockSize), mFloat(useFloat), mFIn(blockSize, 1.0f),
        mFL(blockSize), mFR(blockSize), mDIn(blockSize, 1.0), mDL(blockSize), mDR(blockSize) {}

  BlockResult Next() {
    if (mFloat) {
      float* ins[] = {mFIn.data(), mFIn.data()};
      float* outs[] = {mFL.data(), mFR.data()};
      mEffect.ProcessHostBlock(ins, outs, mBlock, false);
      for (int i = 0; i < mBlock; ++i) mDL[i] = mFL[i], mDR[i] = mFR[i];
    } else {
      double* ins[] = {mDIn.data(), mDIn.data()};
      double* outs[] = {mDL.data(), mDR.data()};
      mEffect.ProcessHostBlock(ins, outs, mBlock);
    }
    const int last = mBlock - 1;
    return {mEffect.GetPhase(), mDL[0], mDR[0], mDL[last], mDR[last], mDL[last] < mDL[0]};
  }

private:
  TestVerlo& mEffect;
  int mBlock;
  bool mFloat;
  std::vector<float> mFIn, mFL, mFR;
  std::vector<double> mDIn, mDL, mDR;
};

void ExpectWorkedExample(bool useFloat) {
  TestVerlo effect;
  effect.Prepare(44100, 512, 2, 2);
  effect.SetParam(Verlo::kChop, 0.5);
  Runner runner(effect, 512, useFloat);
  std::vector<BlockResult> blocks(1);  // 1-based
  for (int i = 1; i <= 120; ++i) blocks.push_back(runner.Next());

  EXPECT_NEAR(effect.GetGateSmoother().b, 0.9992878743953528, 1e-16);
  EXPECT_NEAR(effect.GetGateSmoother().a, 0.0007121256046471736, 1e-16);
  const double tol = 5e-7;
  EXPECT_NEAR(blocks[1].phase, 0.011610, tol);
  EXPECT_NEAR(blocks[1].firstL, 0.000712, tol);
  EXPECT_NEAR(blocks[1].firstR, 0.001424, tol);
  EXPECT_NEAR(blocks[1].lastL, 0.517495, tol);
  EXPECT_NEAR(blocks[1].lastR, 0.517839, tol);
  EXPECT_NEAR(blocks[34].phase, 0.394739, tol);
  for (int b = 21; b <= 34; ++b) {
    EXPECT_NEAR(blocks[b].firstL, 1.0, tol) << b;
    EXPECT_NEAR(blocks[b].lastR, 1.0, tol) << b;
  }
  EXPECT_NEAR(blocks[35].phase, 0.406349, tol);
  EXPECT_NEAR(blocks[35].lastL, 0.482505, tol);
  EXPECT_NEAR(blocks[35].lastR, 0.482161, tol);
  EXPECT_NEAR(blocks[43].phase, 0.499229, tol);
  EXPECT_NEAR(blocks[43].lastL, 0.001409, tol);
  EXPECT_NEAR(blocks[43].lastR, 0.001408, tol);
  EXPECT_NEAR(blocks[44].phase, 0.110839, tol);
  EXPECT_NEAR(blocks[44].lastL, 0.518175, tol);
  EXPECT_NEAR(blocks[44].lastR, 0.518518, tol);

  std::vector<int> ducked;
  for (int b = 1; b <= 120; ++b)
    if (blocks[b].ducked) ducked.push_back(b);
  std::vector<int> expected;
  for (int b = 35; b <= 43; ++b) expected.push_back(b);
  for (int b = 69; b <= 77; ++b) expected.push_back(b);
  for (int b = 104; b <= 111; ++b) expected.push_back(b);
  EXPECT_EQ(ducked, expected);
}
}  // namespace

TEST(VerloProcess, WorkedExampleThroughTheDoublePath) { ExpectWorkedExample(false); }
TEST(VerloProcess, WorkedExampleThroughTheFloatPath) { ExpectWorkedExample(true); }

TEST(VerloProcess, LongBlocksCanStepOverTheDuckedSlot) {
  TestVerlo effect;
  effect.Prepare(44100, 8192, 2, 2);
  effect.SetParam(Verlo::kChop, 0.5);
  Runner runner(effect, 8192, false);
  const double phases[] = {0.18576, 0.37152, 0.15728, 0.34304, 0.12880,
                           0.31456, 0.10032, 0.28608, 0.47184};
  for (int i = 0; i < 9; ++i) {
    const BlockResult r = runner.Next();
    EXPECT_NEAR(r.phase, phases[i], 5e-6) << i;
    EXPECT_EQ(r.ducked, i == 8) << i;
  }
}

TEST(VerloProcess, DryIsAppliedInSinglePrecision) {
  TestVerlo effect;
  effect.Prepare(44100, 64, 2, 2);
  effect.SetParam(Verlo::kChop, 0.22);
  effect.SetParam(Verlo::kDry, 0.3);
  effect.SetParam(Verlo::kFade, 50);
  Runner runner(effect, 64, false);
  // 0.12 s cycles with a 0.1 s ducked slot: by the slot's last block the smoother has settled
  // on the gate level (to rounding), with the input at 1.0 and unity gain.
  double settled = 0;
  bool wasDucked = false;
  double previousLast = 0;
  for (int i = 0; i < 500; ++i) {
    const BlockResult r = runner.Next();
    const bool ducked = r.phase >= 0.22 - 0.1;
    if (wasDucked && !ducked) settled = previousLast;
    wasDucked = ducked;
    previousLast = r.lastL;
  }
  ASSERT_NE(settled, 0.0);
  EXPECT_NEAR(settled, 0.30000001192092896, 1e-12);
  EXPECT_GT(std::fabs(settled - 0.3), 1e-9) << "not the double 0.3";
}

TEST(VerloProcess, OutputGain) {
  const struct {
    double db, gain;
  } cases[] = {{10, 3.1622776601683795}, {-10, 0.31622776601683794}, {0, 1.0}};
  for (const auto& c : cases) {
    // Against the unity-gain output of an identical instance.
    TestVerlo unity, scaled;
    for (TestVerlo* e : {&unity, &scaled}) e->Prepare(44100, 32, 2, 2);
    scaled.SetParam(Verlo::kOutput, c.db);
    double in[32], l1[32], r1[32], l2[32], r2[32];
    for (int i = 0; i < 32; ++i) in[i] = 0.5 + i * 0.01;
    double* ins[] = {in, in};
    double* o1[] = {l1, r1};
    double* o2[] = {l2, r2};
    unity.ProcessHostBlock(ins, o1, 32);
    scaled.ProcessHostBlock(ins, o2, 32);
    for (int i = 0; i < 32; ++i) {
      ASSERT_EQ(l2[i], l1[i] * c.gain) << c.db;
      ASSERT_EQ(r2[i], r1[i] * c.gain) << c.db;
    }
  }
}

TEST(VerloProcess, BypassCopiesExactlyWhileThePhaseAdvancesAndTheSmootherHolds) {
  TestVerlo effect;
  effect.Prepare(48000, 100, 2, 2);
  double in[100], l[100], r[100];
  for (int i = 0; i < 100; ++i) in[i] = std::sin(i * 0.37) * 1.7;
  double* ins[] = {in, in};
  double* outs[] = {l, r};
  effect.ProcessHostBlock(ins, outs, 100);
  const double z = effect.GetGateSmoother().z;
  const double phase = effect.GetPhase();
  effect.SetParam(Verlo::kBypass, 1);
  effect.ProcessHostBlock(ins, outs, 100);
  for (int i = 0; i < 100; ++i) {
    ASSERT_EQ(l[i], in[i]);
    ASSERT_EQ(r[i], in[i]);
  }
  EXPECT_EQ(effect.GetGateSmoother().z, z);
  EXPECT_EQ(effect.GetPhase(), phase + 100 / 48000.0);
  effect.SetParam(Verlo::kBypass, 0);
  effect.ProcessHostBlock(ins, outs, 1);
  const double b = effect.GetGateSmoother().b, a = effect.GetGateSmoother().a;
  EXPECT_EQ(l[0], in[0] * (b * z + a * 1.0)) << "continues from the held state";
}

TEST(VerloProcess, ZeroFramesLeaveEverythingAlone) {
  TestVerlo effect;
  effect.Prepare(44100, 16, 2, 2);
  double in[16] = {}, l[16], r[16];
  for (double& v : l) v = 42;
  double* ins[] = {in, in};
  double* outs[] = {l, r};
  effect.ProcessHostBlock(ins, outs, 0);
  EXPECT_EQ(effect.GetPhase(), 0.0);
  EXPECT_EQ(l[0], 42.0);
  EXPECT_EQ(effect.GetGateSmoother().b, 0.0) << "weights untouched";
}

TEST(VerloProcess, ChopBelowThePhaseWrapsByWholeCyclesUntilBelowChop) {
  TestVerlo effect;
  effect.Prepare(44100, 4410, 2, 2);  // 0.1 s blocks
  effect.SetParam(Verlo::kChop, 1.0);
  Runner runner(effect, 4410, false);
  for (int i = 0; i < 8; ++i) runner.Next();
  ASSERT_NEAR(effect.GetPhase(), 0.8, 1e-12);
  effect.SetParam(Verlo::kChop, 0.22);
  // 0.9 >= 0.22: steps back by 0.12 at a time, in one call, until below 0.22.
  double expected = effect.GetPhase() + 0.1;
  while (expected >= 0.22) expected -= 0.22 + (-0.1);
  runner.Next();
  EXPECT_EQ(effect.GetPhase(), expected);
  EXPECT_LT(effect.GetPhase(), 0.22);
}

TEST(VerloProcess, BlocksLongerThanACycleKeepTheGateCycling) {
  // CHOP 0.22 at 48 kHz: each 8192-frame block (0.171 s) outlasts the 0.12 s cycle.
  TestVerlo effect;
  effect.Prepare(48000, 8192, 2, 2);
  Runner runner(effect, 8192, false);
  int open = 0;
  for (int i = 0; i < 60; ++i) {
    const BlockResult r = runner.Next();
    ASSERT_LT(r.phase, 0.22) << i;
    if (i > 0 && r.phase < 0.12) ++open;
  }
  // The phase moves on by 0.051 s of the cycle per block and the gate is open for 0.02 s of
  // it: about one block in six.
  EXPECT_GE(open, 8);
  EXPECT_LE(open, 12);
  TestVerlo slowRate;  // a sample rate so low that one block lasts hours
  slowRate.Prepare(1e-3, 8192, 2, 2);
  Runner slowRunner(slowRate, 8192, false);
  for (int i = 0; i < 3; ++i) EXPECT_LT(slowRunner.Next().phase, 0.22) << i;
}

TEST(VerloProcess, MonoConfigurationRunsTheLeftComputationOnScratch) {
  TestVerlo mono, stereo;
  mono.Prepare(44100, 256, 1, 1);
  stereo.Prepare(44100, 256, 2, 2);
  std::vector<float> in(256), monoOut(256), left(256), right(256);
  for (int i = 0; i < 256; ++i) in[i] = static_cast<float>(std::cos(i * 0.1));
  for (int block = 0; block < 40; ++block) {
    float* monoIns[] = {in.data()};
    float* monoOuts[] = {monoOut.data()};
    mono.ProcessHostBlock(monoIns, monoOuts, 256, false);
    std::vector<float> silence(256, 0.0f);
    float* ins[] = {in.data(), silence.data()};
    float* outs[] = {left.data(), right.data()};
    stereo.ProcessHostBlock(ins, outs, 256, false);
    ASSERT_EQ(monoOut, left) << block;
  }
  EXPECT_EQ(mono.GetGateSmoother().z, stereo.GetGateSmoother().z) << "two steps per frame";
}

TEST(VerloProcess, ResetChangesNothing) {
  TestVerlo effect;
  effect.Prepare(44100, 512, 2, 2);
  Runner runner(effect, 512, false);
  runner.Next();
  const double z = effect.GetGateSmoother().z, phase = effect.GetPhase();
  effect.Reset();
  effect.SetSampleRate(96000);
  effect.Reset();
  effect.SetBlockSize(1024);
  effect.Reset();
  EXPECT_EQ(effect.GetGateSmoother().z, z);
  EXPECT_EQ(effect.GetPhase(), phase);
}

TEST(VerloProcess, ParametersAsDeclared) {
  TestVerlo effect;
  const char* names[] = {"FADE", "CHOP", "DRY", "OUTPUT", "BY"};
  const char* labels[] = {"ms", "ms", "%", "dB", ""};
  const double defaults[] = {5.0, 0.22, 0.0, 0.0, 0};
  const double mins[] = {5.0, 0.22, 0.0, -10.0, 0}, maxs[] = {50.0, 1.0, 1.0, 10.0, 1};
  ASSERT_EQ(effect.NParams(), 5);
  for (int i = 0; i < 5; ++i) {
    const IParam* p = effect.GetParam(i);
    EXPECT_STREQ(p->GetNameForHost(), names[i]);
    EXPECT_STREQ(p->GetLabelForHost(), labels[i]);
    EXPECT_EQ(p->Value(), defaults[i]);
    double lo, hi;
    p->GetBounds(lo, hi);
    EXPECT_EQ(lo, mins[i]);
    EXPECT_EQ(hi, maxs[i]);
    EXPECT_EQ(p->GetShape(), 1.0);
    EXPECT_EQ(p->Type(), i < 4 ? IParam::kTypeDouble : IParam::kTypeInt);
  }
  effect.SetParam(Verlo::kDry, 0.5);
  char text[32];
  effect.GetParam(Verlo::kDry)->GetDisplayForHost(text, sizeof text);
  EXPECT_STREQ(text, "0.50");
  EXPECT_STREQ(effect.GetEffectName(), "Verlo");
  EXPECT_STREQ(effect.GetMfrName(), "Quenmarrow");
  EXPECT_EQ(effect.GetUniqueID(), 0x56524C31);
  EXPECT_EQ(effect.GetEffectVersion(true), 20000);
  EXPECT_TRUE(effect.LegalIO(1, 1));
  EXPECT_TRUE(effect.LegalIO(2, 2));
  EXPECT_FALSE(effect.LegalIO(2, 1));
}

TEST(VerloProcess, OversizedBlocksAreSafeAndMatchTheSameWorkInBlockSizePieces) {
  TestVerlo big, pieces;
  big.Prepare(44100, 256, 2, 2);
  pieces.Prepare(44100, 256, 2, 2);
  std::vector<float> in(1000), bl(1000), br(1000), pl(256), pr(256);
  for (int i = 0; i < 1000; ++i) in[i] = static_cast<float>(std::sin(i * 0.05));
  float* ins[] = {in.data(), in.data()};
  float* outs[] = {bl.data(), br.data()};
  big.ProcessHostBlock(ins, outs, 1000, false);
  for (int done = 0; done < 1000; done += 256) {
    const int n = std::min(256, 1000 - done);
    float* pin[] = {in.data() + done, in.data() + done};
    float* pout[] = {pl.data(), pr.data()};
    pieces.ProcessHostBlock(pin, pout, n, false);
    for (int i = 0; i < n; ++i) {
      ASSERT_EQ(bl[done + i], pl[i]) << done + i;
      ASSERT_EQ(br[done + i], pr[i]) << done + i;
    }
  }
  EXPECT_EQ(big.GetPhase(), pieces.GetPhase());
}

TEST(VerloProcess, ProcessCallsAllocateNothing) {
  SKIP_WITHOUT_ALLOC_HOOK();
  TestVerlo effect;
  effect.Prepare(44100, 512, 2, 2);
  std::vector<float> in(4096, 0.5f), l(4096), r(4096);
  float* ins[] = {in.data(), in.data()};
  float* outs[] = {l.data(), r.data()};
  alloc_hook::Counter counter;
  for (int i = 0; i < 200; ++i) {
    effect.ProcessHostBlock(ins, outs, 512, false);
    effect.ProcessHostBlock(ins, outs, 4096, true);
    effect.SetParam(Verlo::kBypass, i % 2);
  }
  EXPECT_EQ(counter.Allocations(), 0);
}
