// Ardour 7, headless through its Lua interpreter, finds the LV2 Verlo on LV2_PATH, instantiates it
// on a stereo track, exports the session through it, and restores it from the saved session in a
// new process.
#include <cmath>
#include <sstream>

#include "tests/lv2/lv2_folder.h"
#include "tests/tools/host_run.h"

namespace {
constexpr char kURI[] = "https://quenmarrow.example/plugins/verlo";
constexpr int kRate = 44100, kFrames = 2 * kRate;
constexpr int kChopPort = 1;

class Lv2Ardour : public HostTest {
protected:
  // Ardour's configuration and caches in the scratch folder, and only Verlo on its LV2 path.
  std::vector<std::string> Environment() {
    std::filesystem::create_directories(Path("home"));
    return {"LV2_PATH=" + Lv2FolderWithVerlo(mDir), "HOME=" + Path("home"), "XDG_CONFIG_HOME=" + Path("config"),
            "XDG_CACHE_HOME=" + Path("cache"), "XDG_DATA_HOME=" + Path("data")};
  }
  HostResult Lua(const std::vector<std::string>& args) {
    std::vector<std::string> all = {"--", VERLO_ARDOUR_SCRIPT};  // "--": negative values are no options
    all.insert(all.end(), args.begin(), args.end());
    return RunProgram("ardour7-lua", all, Environment());
  }
};

// The value printed on the line that starts with key and names symbol, or NaN.
double Reported(const std::string& out, const std::string& key, const std::string& symbol) {
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    std::string first, name;
    double value;
    if (words >> first >> name >> value && first == key && name == symbol) return value;
  }
  return std::nan("");
}
}  // namespace

TEST_F(Lv2Ardour, FindsRendersAndRestoresVerlo) {
#if defined(VERLO_SANITIZED)
  GTEST_SKIP() << "Ardour cannot load a plug-in built with AddressSanitizer";
#endif
  // A steady level on both channels: what comes out shows the chopper's two levels.
  WriteAudio(Path("in.wav"), ConstantAudio(2, kRate, kFrames, 0.5f));
  const HostResult render = Lua({"render", Path("session"), "verlo", kURI, std::to_string(kChopPort), "chop", "0.5",
                                 Path("in.wav"), std::to_string(kFrames), Path("out"), VERLO_LV2_BUNDLE "/Verlo.so"});
  ASSERT_EQ(render.exitCode, 0) << render.out << render.err;
  EXPECT_TRUE(Contains(render.out, std::string("PLUGIN_FOUND ") + kURI)) << render.out;
  EXPECT_TRUE(Contains(render.out, "PLUGIN_BINARY " VERLO_LV2_BUNDLE "/Verlo.so")) << render.out;
  EXPECT_DOUBLE_EQ(Reported(render.out, "PARAM", "chop"), 0.5);

  // Full level for most of each 0.4 s cycle, silence at the end of its ducked tenth of a second.
  const Audio out = ReadAudio(Path("out/render.wav"));
  ASSERT_EQ(out.Frames(), kFrames);
  long full = 0, silent = 0;
  for (long f = 0; f < out.Frames(); ++f) {
    const float level = out.At(f, 0) / 0.5f;
    full += level > 0.99f;
    silent += level < 0.01f;
  }
  EXPECT_GT(full, kFrames * 4 / 10) << full;
  EXPECT_GT(silent, kFrames / 20) << silent;

  const HostResult verify = Lua({"verify", Path("session"), "verlo", kURI, std::to_string(kChopPort), "chop"});
  ASSERT_EQ(verify.exitCode, 0) << verify.out << verify.err;
  EXPECT_DOUBLE_EQ(Reported(verify.out, "RESTORED", "chop"), 0.5);
}
