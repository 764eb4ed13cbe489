// The built LV2 bundle as Debian's LV2 tools see it: the validator, lv2info and lv2file.
#include <cstring>
#include <filesystem>
#include <random>

#include "tests/lv2/lv2_folder.h"
#include "tests/tools/host_run.h"

namespace {
constexpr char kURI[] = "https://quenmarrow.example/plugins/verlo";

std::vector<std::string> TurtleFiles(const std::string& folder) {
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
    if (entry.is_regular_file() && entry.path().extension() == ".ttl") files.push_back(entry.path().string());
  return files;
}

class Lv2Tools : public HostTest {
protected:
  // An LV2 path with the built bundle and the LV2 vocabulary bundles, which name the classes.
  std::vector<std::string> Lv2Path() {
    std::vector<std::string> env = {"LV2_PATH=" + Lv2FolderWithVerlo(mDir) + ":/usr/lib/lv2"};
    // A sanitizer build's plug-in needs its runtime loaded first; the host's own leaks are not ours.
    if (*VERLO_FOREIGN_HOST_PRELOAD) {
      env.push_back("LD_PRELOAD=" VERLO_FOREIGN_HOST_PRELOAD);
      env.push_back("ASAN_OPTIONS=detect_leaks=0:abort_on_error=1");
    }
    return env;
  }
};
}  // namespace

TEST_F(Lv2Tools, TheTurtleFilesValidateAndLv2infoListsPortsEditorAndPreset) {
  // The turtle files of the LV2 vocabulary bundles tell the validator what each term allows.
  std::vector<std::string> files = TurtleFiles("/usr/lib/lv2");
  files.push_back(VERLO_LV2_BUNDLE "/manifest.ttl");
  files.push_back(VERLO_LV2_BUNDLE "/Verlo.ttl");
  const HostResult validated = RunProgram("sord_validate", files);
  EXPECT_EQ(validated.exitCode, 0) << validated.out << validated.err;
  EXPECT_TRUE(Contains(validated.out + validated.err, "Found 0 errors")) << validated.out << validated.err;

  const HostResult info = RunProgram("lv2info", {kURI}, Lv2Path());
  ASSERT_EQ(info.exitCode, 0) << info.err;
  for (const char* part : {"Name:              Verlo", "Class:             Modulator Plugin", "Author:            Quenmarrow",
                           "https://quenmarrow.example/plugins/verlo#ui", "ui#X11UI", "state#interface", "Presets: \n\t         -",
                           "Symbol:      fade", "Maximum:     50.000000", "Default:     0.220000", "Symbol:      by",
                           "lv2core#toggled", "Symbol:      in_2", "Symbol:      out_2"})
    EXPECT_TRUE(Contains(info.out, part)) << part << "\n" << info.out;
}

TEST_F(Lv2Tools, Lv2fileRendersWhatTheVst2BuildRenders) {
  Audio input = ConstantAudio(2, 44100, 44100 * 2, 0.0f);
  std::mt19937 rng(11);
  std::uniform_real_distribution<float> sample(-0.9f, 0.9f);
  for (float& s : input.samples) s = sample(rng);
  WriteAudio(Path("in.wav"), input);

  const HostResult lv2 = RunProgram("lv2file", {"-i", Path("in.wav"), "-o", Path("lv2.wav"), "-b", "512", "-p", "fade:10",
                                                "-p", "chop:0.5", "-p", "dry:0.25", "-p", "output:-6", "-p", "by:0", kURI},
                                    Lv2Path());
  ASSERT_EQ(lv2.exitCode, 0) << lv2.out << lv2.err;
  const HostResult vst = Run({"render", VERLO_PLUGIN_PATH, Path("in.wav"), Path("vst.wav"), "--block", "512", "--set",
                              "FADE=10", "--set", "CHOP=0.5", "--set", "DRY=0.25", "--set", "OUTPUT=-6"});
  ASSERT_EQ(vst.exitCode, 0) << vst.err;

  const Audio fromLv2 = ReadAudio(Path("lv2.wav")), fromVst = ReadAudio(Path("vst.wav"));
  ASSERT_EQ(fromLv2.samples.size(), input.samples.size());
  ASSERT_EQ(fromVst.samples.size(), input.samples.size());
  EXPECT_EQ(memcmp(fromLv2.samples.data(), fromVst.samples.data(), input.samples.size() * sizeof(float)), 0);
  // And the chopper was at work: what came out is not what went in.
  EXPECT_NE(memcmp(fromLv2.samples.data(), input.samples.data(), input.samples.size() * sizeof(float)), 0);
}
