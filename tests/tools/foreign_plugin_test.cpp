// verlo-host hosting plug-ins it was not built with: Debian's dpf-plugins-vst.
#include <sys/stat.h>

#include <algorithm>
#include <cmath>

#include "host_run.h"

namespace {

constexpr const char* kPingPongPan = "/usr/lib/vst/PingPongPan-vst.so";
constexpr const char* kKars = "/usr/lib/vst/Kars-vst.so";                      // a synth: 0 in, 1 out
constexpr const char* kAmplitudeImposer = "/usr/lib/vst/AmplitudeImposer-vst.so";  // 4 in, 2 out

class ForeignPluginTest : public HostTest {
protected:
  void SetUp() override {
    struct stat st;
    if (stat(kPingPongPan, &st) != 0) GTEST_SKIP() << kPingPongPan << " is absent (apt-get install dpf-plugins-vst)";
    HostTest::SetUp();
  }
  // Its leaks are not ours to report.
  HostResult RunForeign(const std::vector<std::string>& args) { return Run(args, {"ASAN_OPTIONS=detect_leaks=0"}); }
};

TEST_F(ForeignPluginTest, InfoShowsItsRecordAndParameters) {
  const HostResult r = RunForeign({"info", kPingPongPan});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  for (const char* line : {"name:            Ping Pong Pan", "vendor:          DISTRHO",
                           "channels:        2 in, 2 out", "parameters:      2", "Frequency", "Width"})
    EXPECT_TRUE(Contains(r.out, line)) << line << "\n" << r.out;
}

TEST_F(ForeignPluginTest, RenderPansAMonoSignalBackAndForth) {
  // The same signal in both channels: any difference between the outputs is the panning.
  const int rate = 44100;
  Audio in = ConstantAudio(2, rate, 2 * rate, 0.0f);
  for (long i = 0; i < in.Frames(); ++i)
    in.samples[size_t(i) * 2] = in.samples[size_t(i) * 2 + 1] = 0.5f * float(std::sin(2 * M_PI * 440.0 * i / rate));
  WriteAudio(Path("in.wav"), in);
  const HostResult r =
      RunForeign({"render", kPingPongPan, Path("in.wav"), Path("out.wav"), "--set-normalized", "width=1"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const Audio out = ReadAudio(Path("out.wav"));
  ASSERT_EQ(out.channels, 2);
  ASSERT_EQ(out.Frames(), in.Frames());

  // Levels over 10 ms windows: the left side must lead in some, the right in others.
  const long window = rate / 100;
  int leftLouder = 0, rightLouder = 0;
  double peak = 0;
  for (long start = 0; start + window <= out.Frames(); start += window) {
    double l = 0, r2 = 0;
    for (long i = start; i < start + window; ++i) {
      l += double(out.At(i, 0)) * out.At(i, 0);
      r2 += double(out.At(i, 1)) * out.At(i, 1);
      peak = std::max(peak, double(std::fabs(out.At(i, 0))));
    }
    if (l > 2.0 * r2) ++leftLouder;
    if (r2 > 2.0 * l) ++rightLouder;
  }
  EXPECT_GT(leftLouder, 5);
  EXPECT_GT(rightLouder, 5);
  EXPECT_GT(peak, 0.1);  // not silenced
}

TEST_F(ForeignPluginTest, MonoFileFeedsBothInputsOfAPluginWithoutMono) {
  WriteAudio(Path("mono.wav"), ConstantAudio(1, 44100, 44100, 0.5f));
  const HostResult r = RunForeign({"render", kPingPongPan, Path("mono.wav"), Path("out.wav")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "the signal feeds all 2 inputs; the output has 2 channels")) << r.out;
  const Audio out = ReadAudio(Path("out.wav"));
  EXPECT_EQ(out.channels, 2);
  EXPECT_EQ(out.Frames(), 44100);
}

TEST_F(ForeignPluginTest, InstrumentsAndSideChainsSayWhatTheyGet) {
  WriteAudio(Path("in.wav"), ConstantAudio(4, 44100, 4410, 0.5f));
  const HostResult synth = RunForeign({"render", kKars, Path("in.wav"), Path("kars.wav")});
  ASSERT_EQ(synth.exitCode, 0) << synth.err;
  EXPECT_EQ(synth.err, "verlo-host: warning: Kars is an instrument: verlo-host sends it no MIDI, so it will "
                       "likely render silence\n");
  // The channels match the inputs one to one, yet the last two are the side-chain.
  const HostResult imposer = RunForeign({"render", kAmplitudeImposer, Path("in.wav"), Path("imposer.wav")});
  ASSERT_EQ(imposer.exitCode, 0) << imposer.err;
  EXPECT_TRUE(Contains(imposer.out, "the plug-in has 4 inputs and 2 outputs (likely a side-chain on inputs 3 to 4); "
                                    "file channels to inputs: 1 -> 1, 2 -> 2, 3 -> 3, 4 -> 4; the output has 2 channels\n"))
      << imposer.out;
}

}  // namespace
