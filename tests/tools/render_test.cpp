// Rendering through the built Verlo plug-in, end to end through the verlo-host binary.
#include <sys/stat.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

#include "host_run.h"

namespace {

constexpr int kBlock = 512;
constexpr int kBlocks = 120;

class RenderTest : public HostTest {
protected:
  // A constant-1.0 stereo file at 44100 Hz, 120 blocks long.
  std::string OnesFile() {
    const std::string in = Path("ones.wav");
    WriteAudio(in, ConstantAudio(2, 44100, long(kBlock) * kBlocks, 1.0f));
    return in;
  }
  Audio Render(const std::vector<std::string>& options, const std::string& out) {
    std::vector<std::string> args = {"render", VERLO_PLUGIN_PATH, OnesFile(), Path(out), "--block", "512"};
    args.insert(args.end(), options.begin(), options.end());
    const HostResult r = Run(args);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    return ReadAudio(Path(out));
  }
};

// Block k (1-based) of the render.
float First(const Audio& a, int block, int channel) { return a.At(long(block - 1) * kBlock, channel); }
float Last(const Audio& a, int block, int channel) { return a.At(long(block) * kBlock - 1, channel); }

void ExpectWorkedExample(const Audio& a) {
  ASSERT_EQ(a.channels, 2);
  ASSERT_EQ(a.rate, 44100);
  ASSERT_EQ(a.Frames(), long(kBlock) * kBlocks);
  const double tol = 5e-7;
  EXPECT_NEAR(First(a, 1, 0), 0.000712, tol);
  EXPECT_NEAR(First(a, 1, 1), 0.001424, tol);
  EXPECT_NEAR(Last(a, 1, 0), 0.517495, tol);
  EXPECT_NEAR(Last(a, 1, 1), 0.517839, tol);
  for (int b = 21; b <= 34; ++b) {
    EXPECT_NEAR(First(a, b, 0), 1.0, tol) << b;
    EXPECT_NEAR(Last(a, b, 1), 1.0, tol) << b;
  }
  EXPECT_NEAR(Last(a, 35, 0), 0.482505, tol);
  EXPECT_NEAR(Last(a, 35, 1), 0.482161, tol);
  EXPECT_NEAR(Last(a, 43, 0), 0.001409, tol);
  EXPECT_NEAR(Last(a, 43, 1), 0.001408, tol);
  EXPECT_NEAR(Last(a, 44, 0), 0.518175, tol);
  EXPECT_NEAR(Last(a, 44, 1), 0.518518, tol);
  std::vector<int> ducked, expected;
  for (int b = 1; b <= kBlocks; ++b)
    if (Last(a, b, 0) < First(a, b, 0)) ducked.push_back(b);
  for (int b = 35; b <= 43; ++b) expected.push_back(b);
  for (int b = 69; b <= 77; ++b) expected.push_back(b);
  for (int b = 104; b <= 111; ++b) expected.push_back(b);
  EXPECT_EQ(ducked, expected);
}

TEST_F(RenderTest, ConstantInputWithChopHalfASecondGivesTheWorkedExample) {
  ExpectWorkedExample(Render({"--set", "CHOP=0.5"}, "float.wav"));
  ExpectWorkedExample(Render({"--set", "CHOP=0.5", "--precision", "double"}, "double.wav"));
}

TEST_F(RenderTest, RenderReportsWhatItDid) {
  const HostResult r = Run({"render", VERLO_PLUGIN_PATH, OnesFile(), Path("out.wav"), "--set", "chop=0.5"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "rendered 61440 frames")) << r.out;
  EXPECT_TRUE(Contains(r.out, "through Verlo, blocks of 512, float precision")) << r.out;
  WriteAudio(Path("one.wav"), ConstantAudio(2, 44100, 1, 1.0f));
  const HostResult one = Run({"render", VERLO_PLUGIN_PATH, Path("one.wav"), Path("one-out.wav")});
  EXPECT_TRUE(Contains(one.out, "rendered 1 frame (")) << one.out;
  // The bundle folder loads the .so inside it.
  const HostResult bundle = Run({"render", VERLO_BUNDLE_PATH, OnesFile(), Path("bundle.wav"), "--set", "chop=0.5"});
  ASSERT_EQ(bundle.exitCode, 0) << bundle.err;
  EXPECT_EQ(ReadAudio(Path("out.wav")).samples, ReadAudio(Path("bundle.wav")).samples);
}

TEST_F(RenderTest, DisplayAndNormalisedValuesSetTheSameParameters) {
  // OUTPUT runs -10..10 dB and DRY 0..1, linearly: +5 dB is 0.75, DRY 0.5 is 0.5.
  const Audio shown = Render({"--set", "chop=0.5", "--set", "Output=5", "--set", "dry=0.5"}, "shown.wav");
  const Audio normalised =
      Render({"--set", "CHOP=0.5", "--set-normalized", "OUTPUT=0.75", "--set-normalized", "DRY=0.5"}, "norm.wav");
  ASSERT_EQ(shown.Frames(), long(kBlock) * kBlocks);
  EXPECT_EQ(shown.samples, normalised.samples);
  const double gain = std::pow(10.0, 5.0 / 20.0);
  EXPECT_NEAR(Last(shown, 30, 0), gain, 1e-5);
  // By the end of the ducked run the smoother has nearly reached DRY.
  EXPECT_NEAR(Last(shown, 43, 0), 0.5 * gain, 0.01);
  EXPECT_GT(Last(shown, 43, 0), 0.4 * gain);
}

TEST_F(RenderTest, ValuesOutsideTheRangeAreClampedAndSaidSo) {
  const HostResult r = Run({"render", VERLO_PLUGIN_PATH, OnesFile(), Path("out.wav"), "--set", "CHOP=7"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "note: the plug-in took CHOP=7 as 1.00 ms")) << r.out;
  const HostResult unit = Run({"render", VERLO_PLUGIN_PATH, OnesFile(), Path("unit.wav"), "--set", "CHOP=0.5 MS"});
  ASSERT_EQ(unit.exitCode, 0) << unit.err;
  EXPECT_EQ(unit.out.find("note:"), std::string::npos) << unit.out;
}

TEST_F(RenderTest, AnExistingOutputKeepsItsModeAndASymbolicLinkItsTarget) {
  const std::string in = OnesFile();
  std::ofstream(Path("old.wav")) << "old";
  ASSERT_EQ(chmod(Path("old.wav").c_str(), 0640), 0);
  std::filesystem::create_directory(Path("real"));
  std::ofstream(Path("real/target.wav")) << "old";
  std::filesystem::create_symlink("real/target.wav", Path("link.wav"));  // relative to its folder
  for (const char* out : {"old.wav", "link.wav"}) {
    const HostResult r = Run({"render", VERLO_PLUGIN_PATH, in, Path(out), "--set", "BY=1"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
  }
  struct stat st {};
  ASSERT_EQ(stat(Path("old.wav").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_TRUE(std::filesystem::is_symlink(Path("link.wav")));
  EXPECT_EQ(ReadAudio(Path("real/target.wav")).Frames(), long(kBlock) * kBlocks);
  EXPECT_EQ(Files(), (std::vector<std::string>{"link.wav", "old.wav", "ones.wav", "real"}));
}

TEST_F(RenderTest, ACutInputRendersWhatItHoldsAndSaysSo) {
  WriteAudio(Path("full.wav"), ConstantAudio(2, 44100, 1000, 0.5f));
  std::ifstream full(Path("full.wav"), std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(full)), std::istreambuf_iterator<char>());
  std::ofstream(Path("cut.wav"), std::ios::binary) << bytes.substr(0, bytes.size() - 400 * 8);  // 400 float frames
  const HostResult r = Run({"render", VERLO_PLUGIN_PATH, Path("cut.wav"), Path("out.wav"), "--set", "BY=1"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "verlo-host: warning: '" + Path("cut.wav") +
                       "' is cut short: its header declares 1000 frames, it holds 600; those were rendered\n");
  EXPECT_EQ(ReadAudio(Path("out.wav")).Frames(), 600);
}

TEST_F(RenderTest, SavedStateLoadsIntoANewRender) {
  // Parameter-form files keep normalised floats; DRY and OUTPUT are chosen to survive exactly,
  // and CHOP's float rounding moves the phase by far less than any block boundary is from it.
  const std::vector<std::string> settings = {"--set", "CHOP=0.5", "--set", "DRY=0.25", "--set", "OUTPUT=-5"};
  for (const char* file : {"state.fxp", "state.fxb"}) {
    std::vector<std::string> save = {"state", "save", VERLO_PLUGIN_PATH, Path(file)};
    save.insert(save.end(), settings.begin(), settings.end());
    if (std::string(file).back() == 'b') save.push_back("--bank");
    const HostResult saved = Run(save);
    ASSERT_EQ(saved.exitCode, 0) << saved.err;
    EXPECT_TRUE(Contains(saved.out, "CHOP = 0.50 ms")) << saved.out;

    const HostResult shown = Run({"state", "show", Path(file)});
    ASSERT_EQ(shown.exitCode, 0) << shown.err;
    EXPECT_TRUE(Contains(shown.out, "'VRL1'")) << shown.out;
    // The Verlo built beside verlo-host names and shows each value.
    EXPECT_TRUE(Contains(shown.out, "    2  0.25  DRY  0.25 %\n    3  0.25  OUTPUT  -5.00 dB\n")) << shown.out;

    const Audio direct = Render(settings, std::string("direct-") + file + ".wav");
    const Audio loaded = Render({"--state", Path(file)}, std::string("loaded-") + file + ".wav");
    const Audio plain = Render({}, std::string("plain-") + file + ".wav");
    ASSERT_EQ(direct.Frames(), long(kBlock) * kBlocks);
    EXPECT_EQ(direct.samples, loaded.samples) << file;
    EXPECT_NE(direct.samples, plain.samples) << file;
  }
}

TEST_F(RenderTest, MonoFileIntoVerloUsesAMonoArrangement) {
  WriteAudio(Path("mono.wav"), ConstantAudio(1, 44100, long(kBlock) * kBlocks, 1.0f));
  const HostResult r =
      Run({"render", VERLO_PLUGIN_PATH, Path("mono.wav"), Path("out.wav"), "--set", "CHOP=0.5"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "mono speaker arrangement")) << r.out;
  const Audio a = ReadAudio(Path("out.wav"));
  ASSERT_EQ(a.channels, 1);
  // The left computation of the worked example.
  EXPECT_NEAR(Last(a, 1, 0), 0.517495, 5e-7);
  EXPECT_NEAR(Last(a, 35, 0), 0.482505, 5e-7);
}

TEST_F(RenderTest, StereoFileIntoAMonoPluginRunsOneInstancePerChannel) {
  Audio in = ConstantAudio(2, 48000, 1000, 0.0f);
  for (long i = 0; i < in.Frames(); ++i) {
    in.samples[size_t(i) * 2] = 0.25f;
    in.samples[size_t(i) * 2 + 1] = -0.5f;
  }
  WriteAudio(Path("in.wav"), in);
  for (const char* precision : {"float", "accumulate"}) {
    const HostResult r = Run({"render", FakePlugin("mono-gain"), Path("in.wav"), Path("out.wav"), "--set",
                              "gain=6", "--precision", precision, "--block", "300"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(Contains(r.out, "2 channels into a mono plug-in: one instance per channel")) << r.out;
    const Audio a = ReadAudio(Path("out.wav"));
    ASSERT_EQ(a.channels, 2);
    ASSERT_EQ(a.rate, 48000);
    ASSERT_EQ(a.Frames(), 1000);
    const float gain = float(std::pow(10.0, 6.0 / 20.0));
    for (long i : {0L, 299L, 300L, 999L}) {
      EXPECT_FLOAT_EQ(a.At(i, 0), 0.25f * gain) << precision << " " << i;
      EXPECT_FLOAT_EQ(a.At(i, 1), -0.5f * gain) << precision << " " << i;
    }
  }
}

TEST_F(RenderTest, OutputFormatFollowsTheExtension) {
  WriteAudio(Path("in.flac"), ConstantAudio(2, 44100, 4096, 0.5f));
  const HostResult r = Run({"render", VERLO_PLUGIN_PATH, Path("in.flac"), Path("out.aiff"), "--set", "BY=1"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "AIFF")) << r.out;
  const Audio a = ReadAudio(Path("out.aiff"));
  ASSERT_EQ(a.Frames(), 4096);
  // Bypassed: the input comes through, at the 24-bit resolution the FLAC input had.
  EXPECT_NEAR(a.At(4095, 1), 0.5f, 1e-6);
}

TEST_F(RenderTest, EveryOutputFormatOfferedIsWritten) {
  const HostResult offer = Run({"render", VERLO_PLUGIN_PATH, OnesFile(), Path("out.xyz")});
  const size_t from = offer.err.find("(known: "), to = offer.err.find(')', from);
  ASSERT_NE(to, std::string::npos) << offer.err;
  std::stringstream known(offer.err.substr(from + 8, to - from - 8));
  // Mono, so that formats that hold only one channel are tried too.
  WriteAudio(Path("mono.wav"), ConstantAudio(1, 44100, 4410, 0.5f));
  int formats = 0;
  for (std::string ext; std::getline(known >> std::ws, ext, ',');) {
    const HostResult r = Run({"render", VERLO_PLUGIN_PATH, Path("mono.wav"), Path("out." + ext), "--set", "BY=1"});
    EXPECT_EQ(r.exitCode, 0) << ext << ": " << r.err;
    ++formats;
  }
  EXPECT_GE(formats, 10) << offer.err;
}

}  // namespace
