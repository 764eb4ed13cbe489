#include "progress.h"

#include <unistd.h>

#include <cstdio>

namespace {
constexpr auto kQuietFor = std::chrono::milliseconds(400);
constexpr auto kRedrawEvery = std::chrono::milliseconds(100);
constexpr int kWidth = 40;
}  // namespace

Progress::Progress(long long total)
    : mTotal(total), mEnabled(total > 0 && isatty(STDERR_FILENO)),
      mStart(std::chrono::steady_clock::now()), mLastDraw(mStart) {}

// A render cut short by an error leaves its bar where it stopped.
Progress::~Progress() {
  if (mShown) std::fputc('\n', stderr);
}

void Progress::Update(long long done) {
  if (!mEnabled) return;
  const auto now = std::chrono::steady_clock::now();
  const bool finished = done >= mTotal;
  if (now - mStart < kQuietFor || (mShown && !finished && now - mLastDraw < kRedrawEvery)) return;
  mLastDraw = now;
  mShown = true;
  Draw(done);
}

void Progress::Draw(long long done) {
  const double fraction = mTotal > 0 ? static_cast<double>(done) / static_cast<double>(mTotal) : 1.0;
  const int filled = static_cast<int>(fraction * kWidth + 0.5);
  char bar[kWidth + 1];
  for (int i = 0; i < kWidth; ++i) bar[i] = i < filled ? '#' : '-';
  bar[kWidth] = 0;
  std::fprintf(stderr, "\rrendering [%s] %3d%%", bar, static_cast<int>(fraction * 100.0 + 0.5));
  std::fflush(stderr);
}
