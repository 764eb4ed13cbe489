#pragma once
// Every failure the user should see ends up as one of these, caught in main: a message and the
// exit status.
#include <iostream>
#include <stdexcept>
#include <string>

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

struct HostError : std::runtime_error {
  explicit HostError(const std::string& message, int status = kExitFailure)
      : std::runtime_error(message), exitStatus(status) {}
  int exitStatus;
};

struct UsageError : HostError {
  explicit UsageError(const std::string& message) : HostError(message, kExitUsage) {}
};

// A problem that does not stop the work: one line on stderr, after what stdout holds so far.
inline void Warn(const std::string& message) {
  std::cout.flush();
  std::cerr << "verlo-host: warning: " << message << "\n";
}
