#include <sys/stat.h>

#include <cstdlib>
#include <iomanip>
#include <iostream>
#include <memory>
#include <random>

#include "args.h"
#include "commands.h"
#include "error.h"
#include "stress_checks.h"
#include "xvfb.h"

namespace {

const char kHelp[] =
    "usage: verlo-host stress PLUGIN [--seconds N] [--seed S] [--cycles C]\n"
    "\n"
    "Drives PLUGIN the way the harshest hosts do, one check at a time, each in a child process of\n"
    "its own with a watchdog, and prints a table of what each check did and measured:\n"
    "  reference render               what a fresh instance renders (for Verlo: its worked example)\n"
    "  automation from 2 threads      random parameter values from two threads while an audio\n"
    "                                 thread processes blocks of 1 to 8192 frames\n"
    "  state chunks mid-processing    program and bank chunks got and set while audio runs\n"
    "  program switches               programs switched while audio runs\n"
    "  sample-rate changes            8000 to 384000 Hz, with suspend and resume\n"
    "  editor open, pump, close       the editor opened, pumped and closed on a GUI thread, C times\n"
    "  instance cycles                C instances made, run and closed\n"
    "  16 instances at once           all rendering the reference on their own threads\n"
    "  denormal, NaN, infinite input  no crash, finite output for finite input\n"
    "A check fails on a crash, a hang, non-finite output for finite input, or when a fresh\n"
    "instance afterwards no longer renders the reference bit for bit. The timed checks run N\n"
    "seconds each (default 10), the counted ones C times (default 1000). S seeds the random\n"
    "choices (default: a new seed, printed, so that a run can be repeated). Without DISPLAY the\n"
    "editor check runs on a private Xvfb when there is one.\n"
    "Exit status 1 when any check fails.\n";

}  // namespace

int CommandStress(int argc, char** argv) {
  Args args(argc, argv, {{"seconds", true}, {"seed", true}, {"cycles", true}});
  if (args.Has("help")) {
    std::cout << kHelp;
    return 0;
  }
  if (args.Positional().size() != 1) throw UsageError("stress takes one PLUGIN\n\n" + std::string(kHelp));
  StressRun run;
  run.pluginPath = args.Positional()[0];
  run.seconds = ParseNumber(args.Last("seconds", "10"), "--seconds");
  if (!(run.seconds > 0.0 && run.seconds <= 86400.0)) throw UsageError("--seconds wants a time from above 0 to 86400");
  const long cycles = ParseInteger(args.Last("cycles", "1000"), "--cycles");
  if (cycles < 1 || cycles > 1000000) throw UsageError("--cycles wants a count from 1 to 1000000");
  run.cycles = int(cycles);
  const long seed = args.Has("seed") ? ParseInteger(args.Last("seed"), "--seed") : long(std::random_device{}() & 0x7FFFFFFF);
  run.seed = uint64_t(seed);
  // The plug-in is only ever loaded in the children, so that nothing it does can take this
  // process down; a path that is not there fails here, before any of them.
  struct stat st;
  if (stat(run.pluginPath.c_str(), &st) != 0) throw HostError("cannot open plug-in '" + run.pluginPath + "'");

  std::unique_ptr<PrivateXvfb> xvfb;
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) {
    try {
      xvfb = std::make_unique<PrivateXvfb>(1280, 1024);
    } catch (const HostError& e) {
      Warn(std::string("the editor check has no display: ") + e.what());
    }
  }

  std::cout << "verlo-host stress: " << run.pluginPath << ", seed " << seed << ", " << run.seconds
            << " s per timed check\n"
            << std::left << std::setw(32) << "check" << std::setw(8) << "result" << "figures\n";
  int passed = 0, ran = 0;
  for (const StressCheck& check : StressChecks()) {
    CheckResult result;
    if (ran > 0 && run.reference.empty()) {
      result = {false, "not run: there is no reference render"};
    } else {
      // Generous for a loaded machine, short enough that a hang is seen soon.
      const double timeout = check.timed ? 2.0 * run.seconds + 20.0 : 60.0 + 0.5 * run.cycles;
      result = RunIsolated([&] { return check.run(run); }, timeout);
      if (ran == 0 && result.passed)
        run.reference.assign(reinterpret_cast<const float*>(result.data.data()),
                             reinterpret_cast<const float*>(result.data.data()) + result.data.size() / sizeof(float));
    }
    ++ran;
    passed += result.passed;
    std::cout << std::setw(32) << check.name << std::setw(8) << (result.passed ? "pass" : "FAIL") << result.figure
              << std::endl;
  }
  std::cout << passed << " of " << ran << " checks passed\n";
  return passed == ran ? 0 : kExitFailure;
}
