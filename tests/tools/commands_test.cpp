// info and demo on the built Verlo plug-in.
#include <algorithm>
#include <cmath>

#include "host_run.h"
#include "pix/pix.h"
#include "tools/verlo-host/plot_layout.h"

namespace {

// The demo's picture of the editor comes from a private Xvfb, away from the tests' display.
const std::vector<std::string> kNoDisplay = {"DISPLAY="};

class CommandTest : public HostTest {};

TEST_F(CommandTest, InfoDescribesVerlo) {
  const HostResult r = Run({"info", VERLO_BUNDLE_PATH + std::string("/")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  for (const char* line : {"Verlo.vst/Verlo.so (entry VSTPluginMain)", "name:            Verlo\n",
                           "product:         (none)\n", "vendor:          Quenmarrow\n",
                           "unique ID:       'VRL1' (0x56524C31)\n", "channels:        2 in, 2 out\n",
                           "parameters:      5\n", "  0  FADE  5.00 ms  (normalised 0.000000)\n",
                           "  1  CHOP  0.22 ms  (normalised 0.000000)\n", "  3  OUTPUT  0.00 dB  (normalised 0.500000)\n",
                           "  4  BY  0  (normalised 0.000000)\n", "programs:        1 (current 0)\n", "editor:          784 x 184\n"})
    EXPECT_TRUE(Contains(r.out, line)) << line << "\n" << r.out;
}

double Rms(const Audio& a, double from, double to) {
  double sum = 0;
  long n = 0;
  for (long i = long(from * a.rate); i < long(to * a.rate); ++i, ++n)
    for (int c = 0; c < a.channels; ++c) sum += double(a.At(i, c)) * a.At(i, c);
  return std::sqrt(sum / double(n * a.channels));
}

TEST_F(CommandTest, DemoWritesTheLoopAndItsChoppedRendering) {
  const HostResult r = Run({"demo", Path("demo"), "--plugin", VERLO_PLUGIN_PATH}, kNoDisplay);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "settings: CHOP=0.6 FADE=20 DRY=0.15 OUTPUT=0 BY=0")) << r.out;
  const Audio in = ReadAudio(Path("demo/input.wav")), out = ReadAudio(Path("demo/output.wav"));
  for (const Audio* a : {&in, &out}) {
    EXPECT_EQ(a->channels, 2);
    EXPECT_EQ(a->rate, 48000);
    EXPECT_EQ(a->Frames(), 8 * 48000);
  }
  ASSERT_EQ(out.Frames(), in.Frames());
  // The first cycle passes 0.5 s, ducks 0.1 s to DRY, and the next passes again.
  EXPECT_NEAR(Rms(out, 0.2, 0.45) / Rms(in, 0.2, 0.45), 1.0, 0.02);
  EXPECT_NEAR(Rms(out, 0.53, 0.59) / Rms(in, 0.53, 0.59), 0.15, 0.03);
  EXPECT_NEAR(Rms(out, 0.7, 0.95) / Rms(in, 0.7, 0.95), 1.0, 0.02);
}

TEST_F(CommandTest, DemoFindsThePluginBuiltBesideIt) {
  const HostResult r = Run({"demo", Path("beside/")}, kNoDisplay);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "plug-in: " + std::string(VERLO_PLUGIN_PATH))) << r.out;
  EXPECT_TRUE(Contains(r.out, "output: " + Path("beside/output.wav") + "\n")) << r.out;
  EXPECT_EQ(ReadAudio(Path("beside/output.wav")).Frames(), 8 * 48000);
}

// The highest sample of a channel among the frames that fall into a plot column.
float ColumnHigh(const Audio& a, int channel, int column) {
  float high = -1.0f;
  for (long f = 0; f < a.Frames(); ++f)
    if (plot::ColumnOf(f, a.Frames()) == column) high = std::max(high, a.At(f, channel));
  return high;
}

TEST_F(CommandTest, DemoPlotShowsTheDucksWhereTheyFall) {
  const HostResult r = Run({"demo", Path("demo")}, kNoDisplay);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "saved the editor of Verlo (784 x 184) to " + Path("demo/editor.png"))) << r.out;
  PIX_MemBitmap picture;
  ASSERT_NE(PIX_LoadPNG(Path("demo/plot.png").c_str(), &picture), nullptr);
  ASSERT_EQ(picture.getWidth(), plot::kWidth);
  ASSERT_EQ(picture.getHeight(), plot::Height(2));
  const Audio in = ReadAudio(Path("demo/input.wav")), out = ReadAudio(Path("demo/output.wav"));
  auto columnAt = [&](double seconds) { return plot::ColumnOf(long(seconds * in.rate), in.Frames()); };
  auto pixel = [&](int column, int lane, double amplitude) {
    return PIX_GetPixel(&picture, plot::kLeft + column, plot::RowOf(lane, amplitude)) | 0xFF000000u;
  };
  for (int lane = 0; lane < 2; ++lane) {
    // Passed at full level: the output covers the input up to its peak.
    for (double t : {0.02, 0.77}) {
      const int column = columnAt(t);
      const float high = ColumnHigh(in, lane, column);
      ASSERT_NEAR(ColumnHigh(out, lane, column), high, 0.02 * high) << t;
      EXPECT_EQ(pixel(column, lane, high * 0.9), plot::kOutputColour) << t;
      EXPECT_NE(pixel(column, lane, high + 0.05), plot::kOutputColour) << t;
    }
    // Ducked to DRY 0.15 from 0.5 s, 1.0 s, 1.5 s on: the input shows above the output.
    for (double t : {0.55, 1.05, 1.55}) {
      const int column = columnAt(t);
      const float inHigh = ColumnHigh(in, lane, column), outHigh = ColumnHigh(out, lane, column);
      ASSERT_LT(outHigh, 0.25 * inHigh) << t;
      EXPECT_EQ(pixel(column, lane, outHigh * 0.9), plot::kOutputColour) << t;
      EXPECT_EQ(pixel(column, lane, (inHigh + outHigh) / 2), plot::kInputColour) << t;
    }
  }
}

}  // namespace
