#pragma once
// Recursive mutex and its scope guard.
#include <pthread.h>

class KIT_Mutex {
public:
  KIT_Mutex() = default;
  ~KIT_Mutex() { pthread_mutex_destroy(&mMutex); }
  KIT_Mutex(const KIT_Mutex&) = delete;
  KIT_Mutex& operator=(const KIT_Mutex&) = delete;

  void Enter() { pthread_mutex_lock(&mMutex); }
  void Leave() { pthread_mutex_unlock(&mMutex); }

private:
  pthread_mutex_t mMutex = PTHREAD_RECURSIVE_MUTEX_INITIALIZER_NP;
};

class KIT_MutexLock {
public:
  explicit KIT_MutexLock(KIT_Mutex& mutex) : mMutex(mutex) { mMutex.Enter(); }
  ~KIT_MutexLock() { mMutex.Leave(); }
  KIT_MutexLock(const KIT_MutexLock&) = delete;
  KIT_MutexLock& operator=(const KIT_MutexLock&) = delete;

private:
  KIT_Mutex& mMutex;
};

// Holds the mutex for its lifetime when given one; does nothing for null.
class KIT_OptionalMutexLock {
public:
  explicit KIT_OptionalMutexLock(KIT_Mutex* mutex) : mMutex(mutex) {
    if (mMutex) mMutex->Enter();
  }
  ~KIT_OptionalMutexLock() {
    if (mMutex) mMutex->Leave();
  }
  KIT_OptionalMutexLock(const KIT_OptionalMutexLock&) = delete;
  KIT_OptionalMutexLock& operator=(const KIT_OptionalMutexLock&) = delete;

private:
  KIT_Mutex* mMutex;
};
