// Every failure verlo-host reports: the message, the exit status, and no output left behind.
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>
#include <tuple>

#include "host_run.h"

namespace {

class HostErrorTest : public HostTest {
protected:
  void SetUp() override {
    HostTest::SetUp();
    WriteAudio(Path("in.wav"), ConstantAudio(2, 44100, 2048, 0.5f));
  }
  // Runs the host, expects failure with status 1, a message holding every part, and that the
  // scratch folder still holds only in.wav and what the test made.
  void ExpectFailure(const std::vector<std::string>& args, const std::vector<std::string>& parts,
                     int status = 1) {
    const std::vector<std::string> before = Files();
    const HostResult r = Run(args);
    EXPECT_EQ(r.exitCode, status) << r.err;
    EXPECT_EQ(r.err.rfind("verlo-host: ", 0), 0u) << r.err;
    for (const std::string& part : parts) EXPECT_TRUE(Contains(r.err, part)) << part << "\n" << r.err;
    EXPECT_EQ(Files(), before);
  }
  std::vector<std::string> Render(const std::string& plugin, std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {"render", plugin, Path("in.wav"), Path("out.wav")};
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
  }
};

TEST_F(HostErrorTest, PluginFilesThatCannotBeLoaded) {
  ExpectFailure(Render(Path("missing.so")), {"cannot open plug-in '" + Path("missing.so") + "': No such file or directory"});
  ExpectFailure({"info", Path("missing.so")}, {"No such file or directory"});
  std::ofstream(Path("text.so")) << "not a shared object\n";
  ExpectFailure(Render(Path("text.so")), {"'" + Path("text.so") + "' is not a loadable plug-in: "});
  ExpectFailure(Render(FakePlugin("no-entry")), {"is not a VST 2 plug-in: it exports neither VSTPluginMain nor main"});
  ExpectFailure({"info", FakePlugin("null-record")}, {"the entry function VSTPluginMain returned no effect record"});
  ExpectFailure(Render(FakePlugin("bad-magic")),
                {"the effect record has the magic 0x12345678 instead of 'VstP'; not a VST 2 plug-in"});
  std::filesystem::create_directory(Path("Empty.vst"));
  ExpectFailure({"info", Path("Empty.vst")}, {"'" + Path("Empty.vst") + "' is a folder without a plug-in (.so) in it"});
}

TEST_F(HostErrorTest, ParametersTheUserGetsWrong) {
  ExpectFailure(Render(VERLO_PLUGIN_PATH, {"--set", "SPEED=3"}),
                {"the plug-in has no parameter 'SPEED'; its parameters are: FADE, CHOP, DRY, OUTPUT, BY"});
  ExpectFailure(Render(FakePlugin("mono-gain"), {"--set", "gain=30"}),
                {"the plug-in refused the value '30' for parameter Gain (it is shown as 0.00 dB)",
                 "--set-normalized gain=X"});
  // A parameter shown as a number takes a number, with or without its unit.
  for (const char* value : {"CHOP=abc", "CHOP=", "CHOP=nan", "CHOP=0.5 s"})
    ExpectFailure(Render(VERLO_PLUGIN_PATH, {"--set", value}),
                  {"--set CHOP takes a number (CHOP is shown as 0.22 ms), not '" + std::string(value + 5) + "'",
                   "--set-normalized CHOP=X"}, 2);
  ExpectFailure(Render(VERLO_PLUGIN_PATH, {"--set-normalized", "DRY=1.5"}), {"must lie in 0..1, not 1.5"}, 2);
  ExpectFailure(Render(VERLO_PLUGIN_PATH, {"--set", "DRY"}), {"--set takes NAME=VALUE, not 'DRY'"}, 2);
  ExpectFailure(Render(VERLO_PLUGIN_PATH, {"--program", "3"}), {"--program 3 does not exist"});
  ExpectFailure(Render(VERLO_PLUGIN_PATH, {"--block", "0"}), {"--block must lie in 1..1048576"}, 2);
  ExpectFailure(Render(VERLO_PLUGIN_PATH, {"--precision", "half"}), {"float, double or accumulate"}, 2);
  ExpectFailure(Render(FakePlugin("mono-gain"), {"--precision", "double"}),
                {"the plug-in cannot process in double precision"});
  ExpectFailure(Render(VERLO_PLUGIN_PATH, {"--sett", "DRY=1"}), {"unknown option '--sett'"}, 2);
}

TEST_F(HostErrorTest, AudioFilesThatCannotBeRead) {
  const HostResult good = Run(Render(VERLO_PLUGIN_PATH));  // what the failures below differ from
  ASSERT_EQ(good.exitCode, 0) << good.err;
  std::filesystem::remove(Path("out.wav"));
  ExpectFailure({"render", VERLO_PLUGIN_PATH, Path("none.wav"), Path("out.wav")},
                {"cannot read audio file '" + Path("none.wav") + "'"});
  std::filesystem::create_directory(Path("folder.wav"));
  ExpectFailure({"render", VERLO_PLUGIN_PATH, Path("folder.wav"), Path("out.wav")},
                {"cannot read audio file '" + Path("folder.wav") + "': it is a folder"});
  std::ofstream(Path("noise.wav")) << "RIFF? no, just text";
  ExpectFailure({"render", VERLO_PLUGIN_PATH, Path("noise.wav"), Path("out.wav")},
                {"cannot read audio file '" + Path("noise.wav") + "'"});
}

TEST_F(HostErrorTest, OutputsThatCannotBeWritten) {
  ExpectFailure({"render", VERLO_PLUGIN_PATH, Path("in.wav"), Path("no/such/out.wav")},
                {"cannot write '" + Path("no/such/out.wav") + "': No such file or directory"});
  ExpectFailure({"render", VERLO_PLUGIN_PATH, Path("in.wav"), Path("out.xyz")},
                {"cannot write '" + Path("out.xyz") + "': unsupported output format '.xyz'"});
  ExpectFailure({"render", VERLO_PLUGIN_PATH, Path("in.wav"), Path("out")}, {"no extension to choose the format from"});
  std::filesystem::create_directory(Path("folder.wav"));
  ExpectFailure({"render", VERLO_PLUGIN_PATH, Path("in.wav"), Path("folder.wav")}, {"it is a folder"});
  ExpectFailure({"state", "save", VERLO_PLUGIN_PATH, Path("no/such/state.fxp")}, {"No such file or directory"});
}

TEST_F(HostErrorTest, SignalsDuringARenderRemoveTheUnfinishedOutput) {
  // A minute of audio in blocks of one frame renders for seconds.
  WriteAudio(Path("long.wav"), ConstantAudio(1, 44100, 60 * 44100, 0.5f));
  const std::vector<std::string> before = Files();
  for (const auto& [signal, status, name] :
       {std::tuple{SIGINT, 130, "SIGINT"}, std::tuple{SIGTERM, 143, "SIGTERM"}, std::tuple{SIGHUP, 129, "SIGHUP"}}) {
    const pid_t pid = Start({"render", VERLO_PLUGIN_PATH, Path("long.wav"), Path("out.wav"), "--block", "1"});
    ASSERT_GT(pid, 0);
    // Signal once the unfinished output exists, that is while the render is under way.
    const auto started = std::chrono::steady_clock::now();
    auto writing = [&] {
      const std::vector<std::string> now = Files();
      return std::any_of(now.begin(), now.end(), [](const std::string& f) { return f.rfind(".out.wav.", 0) == 0; });
    };
    while (!writing() && std::chrono::steady_clock::now() - started < std::chrono::seconds(20))
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    kill(pid, signal);
    const HostResult r = Finish(pid);
    EXPECT_EQ(r.exitCode, status) << name << "\n" << r.err;
    EXPECT_EQ(r.err, "verlo-host: interrupted by " + std::string(name) + "; nothing was written to '" +
                         Path("out.wav") + "'\n");
    EXPECT_EQ(Files(), before) << name;
  }
}

TEST_F(HostErrorTest, StateFilesThatDoNotFit) {
  std::ofstream(Path("junk.fxp")) << "junk";
  ExpectFailure({"state", "show", Path("junk.fxp")}, {"is not a usable program or bank file: it does not start with 'CcnK'"});
  ExpectFailure(Render(VERLO_PLUGIN_PATH, {"--state", Path("junk.fxp")}), {"is not a usable program or bank file"});
  const HostResult saved = Run({"state", "save", FakePlugin("mono-gain"), Path("gain.fxp")});
  ASSERT_EQ(saved.exitCode, 0) << saved.err;
  ExpectFailure(Render(VERLO_PLUGIN_PATH, {"--state", Path("gain.fxp")}),
                {"holds state of the plug-in with ID 'FGn1', not 'VRL1'"});
  // A file cut short is refused before anything is set.
  std::ifstream in(Path("gain.fxp"), std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::ofstream(Path("short.fxp"), std::ios::binary) << bytes.substr(0, bytes.size() - 2);
  ExpectFailure({"state", "show", Path("short.fxp")}, {"it ends early"});
}

TEST_F(HostErrorTest, UsageMistakes) {
  const HostResult bare = Run({});
  EXPECT_EQ(bare.exitCode, 2);
  EXPECT_EQ(bare.err.rfind("usage: verlo-host COMMAND", 0), 0u) << bare.err;
  ExpectFailure({"play"}, {"unknown command 'play'"}, 2);
  ExpectFailure({"render", VERLO_PLUGIN_PATH}, {"render takes PLUGIN IN OUT"}, 2);
  ExpectFailure({"state", "load"}, {"unknown state command 'load'"}, 2);
  for (const char* command : {"info", "render", "state", "demo"}) {
    const HostResult help = Run({command, "--help"});
    EXPECT_EQ(help.exitCode, 0) << command;
    EXPECT_EQ(help.out.rfind(std::string("usage: verlo-host ") + command, 0), 0u) << help.out;
  }
}

}  // namespace
