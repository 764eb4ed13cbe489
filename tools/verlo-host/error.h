#pragma once
// Every failure the user should see ends up as one of these, caught in main: a message and the
// exit status.
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
