#pragma once
// The checks of verlo-host stress: each drives a plug-in the way one kind of harsh host does and
// measures what happened. Each runs in a child process of its own (stress_isolation.h).
#include <cstdint>
#include <string>
#include <vector>

#include "stress_isolation.h"

struct StressRun {
  std::string pluginPath;
  double seconds = 10.0;  // how long each timed check runs
  int cycles = 1000;      // how often the counted checks open an editor or make an instance
  uint64_t seed = 1;
  std::vector<float> reference;  // what a fresh instance renders (RenderReference)
};

struct StressCheck {
  const char* name;
  bool timed;  // runs for StressRun::seconds; the others do StressRun::cycles of their work
  CheckResult (*run)(const StressRun&);
};

// The reference render comes first: its data is the reference the others compare with.
const std::vector<StressCheck>& StressChecks();
