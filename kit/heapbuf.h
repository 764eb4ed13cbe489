#pragma once
// Growable byte buffer over the C allocator with lazy shrinking, and a typed array on top of it.
#include <cstddef>

class KIT_HeapBuf {
public:
  explicit KIT_HeapBuf(int granularity = 4096) : mGranularity(granularity > 0 ? granularity : 1) {}
  ~KIT_HeapBuf();
  KIT_HeapBuf(const KIT_HeapBuf&) = delete;
  KIT_HeapBuf& operator=(const KIT_HeapBuf&) = delete;

  void* Get() const { return mSize > 0 ? mBuf : nullptr; }
  int GetSize() const { return mSize; }
  int GetAllocated() const { return mAllocated; }
  int GetGranularity() const { return mGranularity; }

  // Returns the buffer after the change (null when the new size is 0). A failed growth keeps the
  // old contents and size, so callers detect failure by comparing GetSize() with what they asked.
  void* Resize(int newSize, bool resizeDown = true);

private:
  // The allocation Resize chooses for newSize, or -1 when it does not fit in 32 bits.
  long long ChooseAllocation(int newSize) const;

  void* mBuf = nullptr;
  int mAllocated = 0;
  int mSize = 0;
  const int mGranularity;
};

template <class T> class KIT_TypedBuf {
public:
  KIT_TypedBuf() = default;
  T* Get() const { return static_cast<T*>(mBuf.Get()); }
  int GetSize() const { return mBuf.GetSize() / static_cast<int>(sizeof(T)); }
  T* Resize(int n, bool resizeDown = true) {
    if (n < 0) n = 0;
    if (static_cast<long long>(n) * static_cast<long long>(sizeof(T)) > 0x7fffffffLL) return Get();
    return static_cast<T*>(mBuf.Resize(n * static_cast<int>(sizeof(T)), resizeDown));
  }
  const KIT_HeapBuf& Bytes() const { return mBuf; }

private:
  KIT_HeapBuf mBuf{4096};
};
