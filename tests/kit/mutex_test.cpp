#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "kit/mutex.h"

TEST(Mutex, IsRecursiveAndExcludesOtherThreads) {
  KIT_Mutex mutex;
  std::atomic<bool> otherEntered{false};
  std::thread other;
  {
    KIT_MutexLock outer(mutex);
    {
      KIT_MutexLock inner(mutex);  // same thread: must not deadlock
      other = std::thread([&] {
        KIT_MutexLock lock(mutex);
        otherEntered = true;
      });
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(otherEntered) << "still held once by this thread";
  }
  other.join();
  EXPECT_TRUE(otherEntered);
}

TEST(Mutex, SharedCounterStaysConsistent) {
  KIT_Mutex mutex;
  long counter = 0;
  auto work = [&] {
    for (int i = 0; i < 100000; ++i) {
      KIT_MutexLock a(mutex);
      KIT_MutexLock b(mutex);
      ++counter;
    }
  };
  std::thread t1(work), t2(work);
  t1.join();
  t2.join();
  EXPECT_EQ(counter, 200000);
}

TEST(Mutex, GuardLeavesWhenAnExceptionPasses) {
  KIT_Mutex mutex;
  try {
    KIT_MutexLock lock(mutex);
    throw 1;
  } catch (int) {
  }
  std::atomic<bool> entered{false};
  std::thread([&] {
    KIT_MutexLock lock(mutex);
    entered = true;
  }).join();
  EXPECT_TRUE(entered);
}
