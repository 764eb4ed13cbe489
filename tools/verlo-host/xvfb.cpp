#include "xvfb.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "error.h"

namespace {

constexpr int kReadyTimeoutMs = 5000;
constexpr int kNotInstalled = 127;

// The child between fork and exec: only async-signal-safe calls.
[[noreturn]] void ExecXvfb(int readyFd, const char* screen) {
  prctl(PR_SET_PDEATHSIG, SIGTERM);  // never outlives us, even when we are killed
  dup2(readyFd, 3);
  const int null = open("/dev/null", O_RDWR);
  dup2(null, 0);
  dup2(null, 1);
  dup2(null, 2);  // its start-up chatter (keymap warnings) is no concern of the user
  // -displayfd: it picks a free display number and writes it to fd 3 once it listens.
  const char* argv[] = {"Xvfb", "-displayfd", "3", "-screen", "0", screen, "-nolisten", "tcp", nullptr};
  execvp(argv[0], const_cast<char* const*>(argv));
  _exit(kNotInstalled);
}

}  // namespace

PrivateXvfb::PrivateXvfb(int width, int height) {
  int ready[2];
  if (pipe2(ready, O_CLOEXEC) != 0) throw HostError("cannot start Xvfb: " + std::string(std::strerror(errno)));
  const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
  mPid = fork();
  if (mPid == 0) ExecXvfb(ready[1], screen.c_str());
  close(ready[1]);
  if (mPid < 0) {
    close(ready[0]);
    throw HostError("cannot start Xvfb: " + std::string(std::strerror(errno)));
  }
  std::string number;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kReadyTimeoutMs);
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd p = {ready[0], POLLIN, 0};
    if (left.count() <= 0 || (poll(&p, 1, int(left.count())) < 0 && errno != EINTR)) break;
    char c;
    const ssize_t n = read(ready[0], &c, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0 || c == '\n') break;
    number += c;
  }
  close(ready[0]);
  if (number.empty()) {
    // Its end of the pipe closes as it exits; give it a moment to be reaped before asking why.
    int status = 0;
    bool exited = false;
    for (int i = 0; i < 50 && !(exited = waitpid(mPid, &status, WNOHANG) == mPid); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (!exited) Stop();
    mPid = -1;
    if (exited && WIFEXITED(status) && WEXITSTATUS(status) == kNotInstalled)
      throw HostError("there is no X display (DISPLAY is not set) and Xvfb, which would stand in for one, is not "
                      "installed (apt-get install xvfb)");
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    if (exited)
      throw HostError("there is no X display (DISPLAY is not set) and Xvfb, started to stand in for one, failed "
                      "(exit status " + std::to_string(code) + ")");
    throw HostError("there is no X display (DISPLAY is not set) and Xvfb, started to stand in for one, did not take "
                    "connections within " + std::to_string(kReadyTimeoutMs / 1000) + " s");
  }
  mDisplayName = ":" + number;
  if (const char* previous = std::getenv("DISPLAY")) {
    mHadDisplay = true;
    mPreviousDisplay = previous;
  }
  setenv("DISPLAY", mDisplayName.c_str(), 1);
}

PrivateXvfb::~PrivateXvfb() {
  if (mHadDisplay)
    setenv("DISPLAY", mPreviousDisplay.c_str(), 1);
  else
    unsetenv("DISPLAY");
  Stop();
}

void PrivateXvfb::Stop() {
  if (mPid <= 0) return;
  kill(mPid, SIGTERM);
  // It exits at once; a hung one is not waited for long.
  for (int i = 0; i < 200; ++i) {
    if (waitpid(mPid, nullptr, WNOHANG) == mPid) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  kill(mPid, SIGKILL);
  waitpid(mPid, nullptr, 0);
}
