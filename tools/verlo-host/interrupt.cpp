#include "interrupt.h"

#include <signal.h>

#include "error.h"

namespace {

constexpr int kWatched[] = {SIGINT, SIGTERM, SIGHUP};
volatile sig_atomic_t gCaught = 0;
struct sigaction gPrevious[sizeof kWatched / sizeof *kWatched];
bool gInstalled[sizeof kWatched / sizeof *kWatched];

void Record(int signal) { gCaught = signal; }

const char* SignalName(int signal) {
  return signal == SIGINT ? "SIGINT" : signal == SIGTERM ? "SIGTERM" : "SIGHUP";
}

}  // namespace

InterruptWatch::InterruptWatch() {
  gCaught = 0;
  struct sigaction action {};
  action.sa_handler = Record;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;  // reads and writes carry on; the render stops between blocks
  for (size_t i = 0; i < sizeof kWatched / sizeof *kWatched; ++i) {
    gInstalled[i] = sigaction(kWatched[i], nullptr, &gPrevious[i]) == 0 && gPrevious[i].sa_handler != SIG_IGN &&
                    sigaction(kWatched[i], &action, nullptr) == 0;
  }
}

InterruptWatch::~InterruptWatch() {
  for (size_t i = 0; i < sizeof kWatched / sizeof *kWatched; ++i)
    if (gInstalled[i]) sigaction(kWatched[i], &gPrevious[i], nullptr);
}

void InterruptWatch::Check(const std::string& output) const {
  const int signal = gCaught;
  if (signal)
    throw HostError(std::string("interrupted by ") + SignalName(signal) +
                        (output.empty() ? "" : "; nothing was written to '" + output + "'"),
                    128 + signal);
}
