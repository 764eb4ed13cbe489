#pragma once
// Test-only view of the C allocator: per-thread counts of allocations and injected failures.
// The hook replaces malloc, calloc, realloc, free and the aligned allocators in the test binary;
// sanitizer builds keep their own allocator, so there Active() is false and tests skip.
#include <cstdint>

namespace alloc_hook {

struct Counts {
  int64_t allocations = 0;  // malloc, calloc, realloc and aligned allocations that succeeded
  int64_t frees = 0;        // free of a non-null pointer
  int64_t failures = 0;     // allocations refused by an injected failure
};

bool Active();
Counts ThisThread();

// Counts this thread's allocator calls from construction on.
class Counter {
public:
  Counter() : mStart(ThisThread()) {}
  int64_t Allocations() const { return ThisThread().allocations - mStart.allocations; }
  int64_t Frees() const { return ThisThread().frees - mStart.frees; }

private:
  Counts mStart;
};

enum Kind : unsigned { kMalloc = 1, kCalloc = 2, kRealloc = 4, kAligned = 8, kAll = 15 };

// While alive, this thread's allocations of the given kinds succeed `succeedFirst` times and
// then all fail.
class FailAfter {
public:
  explicit FailAfter(int succeedFirst = 0, unsigned kinds = kAll);
  ~FailAfter();
  FailAfter(const FailAfter&) = delete;
  FailAfter& operator=(const FailAfter&) = delete;
};

}  // namespace alloc_hook

#define SKIP_WITHOUT_ALLOC_HOOK()                                                    \
  do {                                                                               \
    if (!alloc_hook::Active()) GTEST_SKIP() << "allocator hook is off in this build"; \
  } while (0)
