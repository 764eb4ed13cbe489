#include "stress_isolation.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <iostream>

namespace {

void WriteAll(int fd, const std::string& bytes) {
  for (size_t done = 0; done < bytes.size();) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0 && errno != EINTR) return;
    if (n > 0) done += size_t(n);
  }
}

// Reads until the child closes its end or the deadline passes; false on the deadline.
bool ReadReport(int fd, std::chrono::steady_clock::time_point deadline, std::string& report) {
  char buffer[4096];
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd p{fd, POLLIN, 0};
    const int ready = poll(&p, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return ready == 0 ? false : true;
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return true;
    report.append(buffer, size_t(n));
  }
}

}  // namespace

CheckResult RunIsolated(const std::function<CheckResult()>& check, double timeoutSeconds) {
  int fds[2];
  if (pipe(fds) != 0) return {false, std::string("cannot make a pipe: ") + std::strerror(errno)};
  std::cout.flush();
  std::cerr.flush();
  const pid_t pid = fork();
  if (pid < 0) {
    close(fds[0]);
    close(fds[1]);
    return {false, std::string("cannot fork: ") + std::strerror(errno)};
  }
  if (pid == 0) {
    close(fds[0]);
    CheckResult result;
    try {
      result = check();
    } catch (const std::exception& e) {
      result = {false, e.what()};
    }
    const uint32_t figureSize = uint32_t(result.figure.size());
    WriteAll(fds[1], (result.passed ? "P" : "F") + std::string(reinterpret_cast<const char*>(&figureSize), 4) +
                         result.figure + result.data);
    close(fds[1]);
    // What the plug-in left behind is not this process's to tidy; the report is out.
    _exit(0);
  }
  close(fds[1]);
  const auto deadline = std::chrono::steady_clock::now() +
                        std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(timeoutSeconds));
  std::string report;
  const bool answered = ReadReport(fds[0], deadline, report);
  close(fds[0]);
  if (!answered) kill(pid, SIGKILL);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (!answered) return {false, "hang: no answer within " + std::to_string(int(timeoutSeconds)) + " s, killed"};
  if (WIFSIGNALED(status))
    return {false, "crashed: signal " + std::to_string(WTERMSIG(status)) + " (" + strsignal(WTERMSIG(status)) + ")"};
  uint32_t figureSize = 0;
  if (report.size() >= 5) std::memcpy(&figureSize, &report[1], 4);
  if (report.size() < 5 || report.size() - 5 < figureSize)
    return {false, "the check ended without a report (status " + std::to_string(WEXITSTATUS(status)) + ")", ""};
  return {report[0] == 'P', report.substr(5, figureSize), report.substr(5 + figureSize)};
}
