// State files of a plug-in that keeps its state in a chunk: saved, shown, loaded and refused.
#include <cmath>
#include <fstream>
#include <iterator>

#include "host_run.h"

namespace {

class ChunkStateTest : public HostTest {
protected:
  void SetUp() override {
    HostTest::SetUp();
    WriteAudio(Path("in.wav"), ConstantAudio(1, 44100, 1000, 0.25f));
  }
  std::string Bytes(const std::string& name) {
    std::ifstream in(Path(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
};

TEST_F(ChunkStateTest, ChunkStateRoundTripsThroughProgramAndBankFiles) {
  const float gain = float(std::pow(10.0, 12.0 / 20.0));
  for (const char* file : {"gain.fxp", "gain.fxb"}) {
    const bool bank = std::string(file).back() == 'b';
    std::vector<std::string> save = {"state", "save", FakePlugin("chunk-gain"), Path(file), "--set", "Gain=12"};
    if (bank) save.push_back("--bank");
    const HostResult saved = Run(save);
    ASSERT_EQ(saved.exitCode, 0) << saved.err;
    // 12 dB in -24..24 is 0.75: the chunk is the text "gain=0.75".
    EXPECT_TRUE(Contains(saved.out, "(9-byte chunk)")) << saved.out;
    EXPECT_EQ(Bytes(file).substr(0, 4), "CcnK");
    EXPECT_EQ(Bytes(file).substr(8, 4), bank ? "FBCh" : "FPCh");

    const HostResult shown = Run({"state", "show", Path(file)});
    ASSERT_EQ(shown.exitCode, 0) << shown.err;
    EXPECT_TRUE(Contains(shown.out, bank ? "bank, chunk (FBCh)" : "program, chunk (FPCh)")) << shown.out;
    EXPECT_TRUE(Contains(shown.out, "plug-in ID:      'FGn2'")) << shown.out;
    EXPECT_TRUE(Contains(shown.out, "  0000  67 61 69 6e 3d 30 2e 37 35\n")) << shown.out;
    // Given the plug-in, the chunk is loaded into it to show what it holds.
    const HostResult read = Run({"state", "show", Path(file), FakePlugin("chunk-gain")});
    ASSERT_EQ(read.exitCode, 0) << read.err;
    EXPECT_TRUE(Contains(read.out, "    0  0.75  Gain  12.00 dB\n")) << read.out;

    const HostResult r = Run({"render", FakePlugin("chunk-gain"), Path("in.wav"), Path("out.wav"), "--state", Path(file)});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(Contains(r.out, "state loaded from " + Path(file))) << r.out;
    const Audio out = ReadAudio(Path("out.wav"));
    ASSERT_EQ(out.Frames(), 1000);
    EXPECT_FLOAT_EQ(out.At(999, 0), 0.25f * gain) << file;
  }
}

TEST_F(ChunkStateTest, AChunkThePluginRefusesStopsTheRender) {
  ASSERT_EQ(Run({"state", "save", FakePlugin("chunk-gain"), Path("gain.fxp")}).exitCode, 0);
  std::string bytes = Bytes("gain.fxp");
  const size_t at = bytes.find("gain=");
  ASSERT_NE(at, std::string::npos);
  bytes[at + 1] = 'x';
  std::ofstream(Path("bad.fxp"), std::ios::binary) << bytes;
  const HostResult r = Run({"render", FakePlugin("chunk-gain"), Path("in.wav"), Path("out.wav"), "--state", Path("bad.fxp")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(Contains(r.err, "verlo-host: the plug-in refused the state in '" + Path("bad.fxp") + "'")) << r.err;
  EXPECT_EQ(Files(), (std::vector<std::string>{"bad.fxp", "gain.fxp", "in.wav"}));
  // A chunk file is no use to a plug-in without chunks.
  const HostResult plain = Run({"render", FakePlugin("mono-gain"), Path("in.wav"), Path("out.wav"), "--state", Path("gain.fxp")});
  EXPECT_EQ(plain.exitCode, 1);
  EXPECT_TRUE(Contains(plain.err, "holds state of the plug-in with ID 'FGn2', not 'FGn1'")) << plain.err;
}

}  // namespace
