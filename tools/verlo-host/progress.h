#pragma once
// A progress bar on stderr, only when stderr is a terminal and the work has already taken more
// than a moment (short renders stay quiet).
#include <chrono>

class Progress {
public:
  explicit Progress(long long total);
  ~Progress();
  void Update(long long done);

private:
  void Draw(long long done);
  long long mTotal;
  bool mEnabled;
  bool mShown = false;
  std::chrono::steady_clock::time_point mStart, mLastDraw;
};
