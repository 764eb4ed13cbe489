#pragma once
// Each stress check runs in a child process of its own, watched from here: a crash or a hang in
// the plug-in becomes that check's failure and the run goes on.
#include <functional>
#include <string>
#include <utility>

struct CheckResult {
  CheckResult() = default;
  CheckResult(bool passedIt, std::string measured, std::string bytes = "")
      : passed(passedIt), figure(std::move(measured)), data(std::move(bytes)) {}

  bool passed = false;
  std::string figure;  // what was measured, or why it failed
  std::string data;    // bytes the check hands back besides (the reference render)
};

// Forks, runs CHECK in the child and returns what it reported. A child that dies by a signal,
// exits without a report or gives none within TIMEOUT_SECONDS (then it is killed) failed, and
// the result says how. Call from a process that has no other threads.
CheckResult RunIsolated(const std::function<CheckResult()>& check, double timeoutSeconds);
