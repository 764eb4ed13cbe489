#include <gtest/gtest.h>

#include <cstring>

#include "kit/heapbuf.h"
#include "tests/support/alloc_hook.h"

TEST(HeapBuf, NegativeSizeActsAsZero) {
  KIT_HeapBuf buf;
  EXPECT_EQ(buf.Resize(-5), nullptr);
  EXPECT_EQ(buf.GetSize(), 0);
  EXPECT_EQ(buf.GetAllocated(), 0);
  ASSERT_NE(buf.Resize(100), nullptr);
  EXPECT_EQ(buf.Resize(-5), nullptr);
  EXPECT_EQ(buf.GetSize(), 0);
  EXPECT_EQ(buf.Get(), nullptr);
}

TEST(HeapBuf, PageGranularityRoundsToPagesLessAllocatorOverhead) {
  KIT_HeapBuf buf(4096);
  ASSERT_NE(buf.Resize(10), nullptr);
  EXPECT_EQ(buf.GetAllocated(), 4000);
  EXPECT_EQ(buf.GetSize(), 10);
  buf.Resize(4000);
  EXPECT_EQ(buf.GetAllocated(), 4000);
  buf.Resize(4001);
  EXPECT_EQ(buf.GetAllocated(), 8096);
  // Large growth: slack is half the size cut to pages, at most 4 MiB.
  KIT_HeapBuf big(4096);
  big.Resize(100000);
  EXPECT_EQ(big.GetAllocated(), (100000 + 49152 + 96) / 4096 * 4096 - 96);
  KIT_HeapBuf huge(4096);
  huge.Resize(20000000);
  EXPECT_EQ(huge.GetAllocated(), (20000000 + 4194304 + 96) / 4096 * 4096 - 96);
}

TEST(HeapBuf, SmallGranularityGrowsBySlack) {
  KIT_HeapBuf buf(128);
  buf.Resize(10);
  EXPECT_EQ(buf.GetAllocated(), 138);
  void* before = buf.Get();
  EXPECT_EQ(buf.Resize(100, false), before);
  EXPECT_EQ(buf.GetAllocated(), 138);
  EXPECT_EQ(buf.GetSize(), 100);
  buf.Resize(1000);
  EXPECT_EQ(buf.GetAllocated(), 1500);
}

TEST(HeapBuf, ShrinkIsLazyUntilTheThreshold) {
  KIT_HeapBuf buf(128);
  buf.Resize(6667);  // 6667 + 3333 = 10000
  ASSERT_EQ(buf.GetAllocated(), 10000);
  buf.Resize(9000);
  ASSERT_EQ(buf.GetAllocated(), 10000);
  buf.Resize(5001);
  EXPECT_EQ(buf.GetAllocated(), 10000);
  EXPECT_EQ(buf.GetSize(), 5001);
  buf.Resize(5000);
  EXPECT_EQ(buf.GetAllocated(), 10000);
  buf.Resize(4999);
  EXPECT_EQ(buf.GetAllocated(), 4999 + 2499);
  EXPECT_EQ(buf.GetSize(), 4999);
}

TEST(HeapBuf, ShrinkKeepsContents) {
  KIT_HeapBuf buf(128);
  char* p = static_cast<char*>(buf.Resize(6667));
  for (int i = 0; i < 6667; ++i) p[i] = static_cast<char>(i * 7);
  p = static_cast<char*>(buf.Resize(1000));
  for (int i = 0; i < 1000; ++i) ASSERT_EQ(p[i], static_cast<char>(i * 7)) << i;
}

TEST(HeapBuf, ResizeToZeroWithoutResizeDownKeepsStorage) {
  KIT_HeapBuf buf;
  buf.Resize(500);
  EXPECT_EQ(buf.Resize(0, false), nullptr);
  EXPECT_EQ(buf.GetSize(), 0);
  EXPECT_EQ(buf.GetAllocated(), 4000);
  EXPECT_EQ(buf.Resize(0, true), nullptr);
  EXPECT_EQ(buf.GetAllocated(), 4000) << "same size: nothing changes";
  buf.Resize(10);
  EXPECT_EQ(buf.Resize(0, true), nullptr);
  EXPECT_EQ(buf.GetAllocated(), 0);
}

TEST(HeapBuf, SizesBeyondThirtyTwoBitsFailLikeAFailedGrowth) {
  KIT_HeapBuf buf(4096);
  void* p = buf.Resize(16);
  EXPECT_EQ(buf.Resize(0x7ffffff0), p);
  EXPECT_EQ(buf.GetSize(), 16);
}

TEST(HeapBuf, FailedGrowthKeepsOldContentsAndSize) {
  SKIP_WITHOUT_ALLOC_HOOK();
  KIT_HeapBuf buf(128);
  char* p = static_cast<char*>(buf.Resize(20));
  memcpy(p, "nineteen characters", 20);
  {
    alloc_hook::FailAfter refuse;
    EXPECT_EQ(buf.Resize(5000), p);
  }
  EXPECT_EQ(buf.GetSize(), 20);
  EXPECT_EQ(buf.GetAllocated(), 148);
  EXPECT_STREQ(static_cast<char*>(buf.Get()), "nineteen characters");

  KIT_HeapBuf empty;
  {
    alloc_hook::FailAfter refuse;
    EXPECT_EQ(empty.Resize(10), nullptr);
  }
  EXPECT_EQ(empty.GetSize(), 0);
}

TEST(HeapBuf, FallsBackToMallocAndCopyWhenReallocFails) {
  SKIP_WITHOUT_ALLOC_HOOK();
  KIT_HeapBuf buf(128);
  char* p = static_cast<char*>(buf.Resize(20));
  memcpy(p, "nineteen characters", 20);
  alloc_hook::Counter counter;
  char* moved;
  {
    alloc_hook::FailAfter refuseRealloc(0, alloc_hook::kRealloc);
    moved = static_cast<char*>(buf.Resize(5000));
  }
  ASSERT_NE(moved, nullptr);
  EXPECT_EQ(buf.GetSize(), 5000);
  EXPECT_EQ(buf.GetAllocated(), 7500);
  EXPECT_STREQ(moved, "nineteen characters");
  EXPECT_EQ(counter.Allocations(), 1);
  EXPECT_EQ(counter.Frees(), 1);
}

TEST(TypedBuf, CountsElements) {
  KIT_TypedBuf<double> buf;
  double* d = buf.Resize(3);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(buf.GetSize(), 3);
  EXPECT_EQ(buf.Bytes().GetSize(), 24);
  EXPECT_EQ(buf.Resize(-1), nullptr);
  EXPECT_EQ(buf.GetSize(), 0);
}
