// verlo-host stress, briefly: Verlo and a foreign plug-in pass every check; a plug-in that
// crashes and hangs fails exactly those checks while the run goes on.
#include <sys/stat.h>

#include <sstream>

#include "host_run.h"

namespace {

constexpr const char* kPingPongPan = "/usr/lib/vst/PingPongPan-vst.so";

// The row of the table for CHECK.
std::string Row(const std::string& table, const std::string& check) {
  std::istringstream lines(table);
  for (std::string line; std::getline(lines, line);)
    if (line.rfind(check, 0) == 0) return line;
  return "";
}

class StressTest : public HostTest {
protected:
  // A private Xvfb for the editor check, so that its windows stay off the shared display; the
  // foreign plug-ins' leaks are not ours to report. Without the leak checker's slow unwinding on
  // every allocation: Mesa's JIT allocates while it holds the unwinder's lock, and the sanitizer's
  // unwinding then waits for that lock forever.
  HostResult Stress(const std::string& plugin, const std::string& cycles) {
    return Run({"stress", plugin, "--seconds", "1", "--cycles", cycles, "--seed", "7"},
               {"DISPLAY=", "ASAN_OPTIONS=detect_leaks=0", "LSAN_OPTIONS="});
  }
};

TEST_F(StressTest, VerloPassesEveryCheckAndItsWorkedExample) {
  const HostResult r = Stress(VERLO_BUNDLE_PATH, "50");
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_TRUE(Contains(r.out, "9 of 9 checks passed")) << r.out;
  EXPECT_TRUE(Contains(Row(r.out, "reference render"), "the worked example to six places")) << r.out;
  EXPECT_TRUE(Contains(Row(r.out, "editor open, pump, close"), "50 opens, pumps and closes")) << r.out;
}

TEST_F(StressTest, AForeignPluginPassesEveryCheck) {
  struct stat st;
  if (stat(kPingPongPan, &st) != 0) GTEST_SKIP() << kPingPongPan << " is absent (apt-get install dpf-plugins-vst)";
  const HostResult r = Stress(kPingPongPan, "20");
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_TRUE(Contains(r.out, "9 of 9 checks passed")) << r.out;
}

TEST_F(StressTest, CrashesAndHangsFailTheirChecksAndTheRunGoesOn) {
  const HostResult r = Stress(FakePlugin("faulty-gain"), "20");
  EXPECT_EQ(r.exitCode, 1) << r.out << r.err;
  // Every check with an audio thread meets a block over 4096 frames.
  for (const char* check : {"automation from 2 threads", "state chunks mid-processing", "program switches"})
    EXPECT_TRUE(Contains(Row(r.out, check), "FAIL")) << check << "\n" << r.out;
  EXPECT_TRUE(Contains(Row(r.out, "sample-rate changes"), "FAIL    hang: no answer within")) << r.out;
  EXPECT_TRUE(Contains(Row(r.out, "instance cycles"), "pass")) << r.out;
  EXPECT_TRUE(Contains(r.out, "5 of 9 checks passed")) << r.out;
}

}  // namespace
