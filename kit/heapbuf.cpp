#include "kit/heapbuf.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {
constexpr long long kPage = 4096;
constexpr long long kAllocatorOverhead = 96;
constexpr long long kMaxPageSlack = 4194304;
}  // namespace

KIT_HeapBuf::~KIT_HeapBuf() { free(mBuf); }

long long KIT_HeapBuf::ChooseAllocation(int newSize) const {
  if (newSize == 0) return 0;
  long long slack = std::max<long long>(newSize / 2, mGranularity);
  long long allocation;
  if (mGranularity <= 4095) {
    allocation = newSize + slack;
  } else {
    // Page-sized blocks: block plus the allocator's own header ends on a page boundary.
    slack = std::clamp(slack / kPage * kPage, kPage, kMaxPageSlack);
    allocation = (newSize + slack + kAllocatorOverhead) / kPage * kPage - kAllocatorOverhead;
  }
  return allocation > INT_MAX ? -1 : allocation;
}

void* KIT_HeapBuf::Resize(int newSize, bool resizeDown) {
  if (newSize < 0) newSize = 0;
  if (newSize == mSize) return Get();

  int threshold = 0;
  if (resizeDown && newSize < mSize)
    threshold = std::max(1, std::min(mAllocated / 2, mAllocated - 4 * mGranularity));
  if (threshold <= newSize && newSize <= mAllocated) {
    mSize = newSize;
    return Get();
  }

  const long long chosen = ChooseAllocation(newSize);
  if (chosen < 0) return Get();  // too large to represent: treated as a failed growth
  const int allocation = static_cast<int>(chosen);
  if (allocation == mAllocated) {
    mSize = newSize;
    return Get();
  }
  if (allocation <= 0) {
    free(mBuf);
    mBuf = nullptr;
    mAllocated = 0;
    mSize = 0;
    return nullptr;
  }

  void* block = realloc(mBuf, static_cast<size_t>(allocation));
  if (!block) {
    block = malloc(static_cast<size_t>(allocation));
    if (!block) return Get();
    if (mBuf) memcpy(block, mBuf, static_cast<size_t>(std::min(mSize, newSize)));
    free(mBuf);
  }
  mBuf = block;
  mAllocated = allocation;
  mSize = newSize;
  return Get();
}
