#pragma once
// A virtual X server of our own, for pictures of an editor where there is no display: Xvfb on a
// free display number, reachable only through its local socket, ended with this object.
#include <sys/types.h>

#include <string>

class PrivateXvfb {
public:
  // Starts Xvfb with one screen of the given size and waits until it takes connections (a few
  // seconds at most), then points DISPLAY at it. Throws HostError when it is not installed or
  // does not start.
  PrivateXvfb(int width, int height);
  ~PrivateXvfb();  // ends the server and puts DISPLAY back
  PrivateXvfb(const PrivateXvfb&) = delete;
  PrivateXvfb& operator=(const PrivateXvfb&) = delete;

  const std::string& DisplayName() const { return mDisplayName; }

private:
  void Stop();

  pid_t mPid = -1;
  std::string mDisplayName;
  bool mHadDisplay = false;
  std::string mPreviousDisplay;
};
