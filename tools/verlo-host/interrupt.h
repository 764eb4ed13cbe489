#pragma once
// SIGINT, SIGTERM and SIGHUP while a render runs. The handler only records the signal; the render
// checks between blocks and stops by throwing, so the unfinished output is removed as on any
// failure and the plug-in is closed properly.
#include <string>

class InterruptWatch {
public:
  // Catches the three signals, except those ignored when the program started (nohup).
  InterruptWatch();
  ~InterruptWatch();  // puts back what was there
  InterruptWatch(const InterruptWatch&) = delete;
  InterruptWatch& operator=(const InterruptWatch&) = delete;

  // Throws HostError with the exit status 128 + signal when one has arrived; output names the
  // file that is then left alone (none when empty).
  void Check(const std::string& output) const;
};
