#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "examples/Verlo/Verlo.h"
#include "tests/effect/scratch_files.h"
#include "tests/effect/state_effects.h"

namespace {
using TestVerlo = OfflineHost<Verlo>;

}  // namespace

TEST(VerloState, OneSlotNamedDashHoldingTheDefaults) {
  TestVerlo verlo;
  ASSERT_EQ(verlo.NPresets(), 1);
  EXPECT_TRUE(verlo.GetPreset(0)->mInitialized);
  EXPECT_STREQ(verlo.GetPresetName(0), "-");
  ByteChunk defaults;
  ASSERT_TRUE(verlo.SerializeState(&defaults));
  EXPECT_EQ(Bytes(verlo.GetPreset(0)->mChunk), Bytes(defaults));

  // The entry function's EnsureDefaultPreset finds nothing left to fill.
  const std::vector<unsigned char> before = Bytes(verlo.GetPreset(0)->mChunk);
  verlo.EnsureDefaultPreset();
  EXPECT_STREQ(verlo.GetPresetName(0), "-");
  EXPECT_EQ(Bytes(verlo.GetPreset(0)->mChunk), before);
}

TEST(VerloState, ProgramChunkIs48BytesAndBankChunk54) {
  TestVerlo verlo;
  ByteChunk program, bank;
  ASSERT_TRUE(verlo.GetStateChunkForHost(&program, false));
  EXPECT_EQ(program.Size(), 48);
  ASSERT_TRUE(verlo.GetStateChunkForHost(&bank, true));
  ASSERT_EQ(bank.Size(), 54);
  const unsigned char head[] = {0x74, 0x66, 0x66, 0x70, 0, 0, 1, 0, 1, 0, 0, 0, '-', 1};
  EXPECT_EQ(memcmp(bank.GetBytes(), head, sizeof head), 0);
  // The slot's state is the program state, FADE first at its default 5.0.
  EXPECT_EQ(memcmp(bank.GetBytes() + 14, program.GetBytes() + 8, 40), 0);
  double fade = 0.0;
  EXPECT_EQ(bank.Get(&fade, 14), 22);
  EXPECT_EQ(fade, 5.0);

  // A fresh instance takes the bank back unchanged.
  TestVerlo other;
  other.GetParam(Verlo::kFade)->Set(40.0);
  ASSERT_TRUE(other.SetStateChunkFromHost(&bank, true));
  EXPECT_EQ(other.GetParam(Verlo::kFade)->Value(), 5.0);
  ByteChunk again;
  ASSERT_TRUE(other.GetStateChunkForHost(&again, true));
  EXPECT_TRUE(again.IsEqual(bank));
}

TEST(VerloState, ProgramAndBankFilesRoundTrip) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  TestVerlo verlo;
  verlo.GetParam(Verlo::kFade)->Set(27.5);
  verlo.GetParam(Verlo::kOutput)->Set(5.0);
  verlo.GetParam(Verlo::kBypass)->Set(1.0);
  const std::string program = dir.File("verlo.fxp");
  const std::string bank = dir.File("verlo.fxb");
  ASSERT_TRUE(verlo.SaveProgramAsFXP(KIT_String(program.c_str())));
  verlo.ModifyCurrentPreset();
  ASSERT_TRUE(verlo.SaveBankAsFXB(KIT_String(bank.c_str())));
  const std::vector<unsigned char> p = ReadFile(program), b = ReadFile(bank);
  ASSERT_EQ(p.size(), 76u);
  ASSERT_EQ(b.size(), 232u);
  EXPECT_EQ(std::string(p.begin() + 16, p.begin() + 20), "VRL1");
  EXPECT_EQ(p[28], '-');
  EXPECT_EQ(p[29], 0);

  TestVerlo fromProgram, fromBank;
  ASSERT_TRUE(fromProgram.LoadProgramFromFXP(KIT_String(program.c_str())));
  ASSERT_TRUE(fromBank.LoadBankFromFXB(KIT_String(bank.c_str())));
  for (int i = 0; i < Verlo::kNumParams; ++i) {
    EXPECT_NEAR(fromProgram.GetParam(i)->Value(), verlo.GetParam(i)->Value(), 1e-6) << i;
    EXPECT_NEAR(fromBank.GetParam(i)->Value(), verlo.GetParam(i)->Value(), 1e-6) << i;
  }
  EXPECT_STREQ(fromBank.GetPresetName(0), "-");
}

TEST(VerloState, ProgramChunkHoldingNotANumberStillProcessesFiniteAudio) {
  TestVerlo verlo;
  ByteChunk chunk;
  InitChunkWithFrameworkVer(&chunk);
  const double values[Verlo::kNumParams] = {__builtin_nan(""), 0.5, __builtin_nan(""), 0.0, 0.0};
  for (const double& v : values) chunk.Put(&v);
  ASSERT_TRUE(verlo.SetStateChunkFromHost(&chunk, false));
  EXPECT_EQ(verlo.GetParam(Verlo::kFade)->Value(), 5.0);
  EXPECT_EQ(verlo.GetParam(Verlo::kDry)->Value(), 0.0);

  constexpr int kFrames = 256;
  verlo.Prepare(44100.0, kFrames, 2, 2);
  std::vector<double> left(kFrames, 1.0), right(kFrames, 1.0), outLeft(kFrames), outRight(kFrames);
  double* in[2] = {left.data(), right.data()};
  double* out[2] = {outLeft.data(), outRight.data()};
  verlo.ProcessHostBlock(in, out, kFrames);
  for (int i = 0; i < kFrames; ++i) {
    ASSERT_TRUE(std::isfinite(outLeft[i])) << i;
    ASSERT_TRUE(std::isfinite(outRight[i])) << i;
  }
}
