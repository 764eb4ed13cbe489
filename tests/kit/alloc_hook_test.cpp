#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "kit/heapbuf.h"
#include "kit/kitstring.h"
#include "kit/ptrlist.h"
#include "tests/support/alloc_hook.h"

TEST(AllocHook, SeesAllocationsAndInjectsFailures) {
  SKIP_WITHOUT_ALLOC_HOOK();
  alloc_hook::Counter counter;
  void* volatile p = malloc(10);  // volatile: the pair must not be optimised away
  free(p);
  const int64_t allocations = counter.Allocations(), frees = counter.Frees();
  EXPECT_EQ(allocations, 1);
  EXPECT_EQ(frees, 1);
  alloc_hook::FailAfter refuse(1);
  void* volatile first = malloc(10);
  void* volatile second = malloc(10);
  EXPECT_NE(first, nullptr);
  EXPECT_EQ(second, nullptr);
  free(first);
}

TEST(AllocHook, WorkingSizeBuffersAllocateNothing) {
  SKIP_WITHOUT_ALLOC_HOOK();
  KIT_HeapBuf buf;
  buf.Resize(4000);
  KIT_TypedBuf<double> block;
  block.Resize(1024);
  KIT_String text;
  text.Set("warm");
  text.Append(std::string(100, 'x').c_str());
  text.Set("warm");
  KIT_PtrList<int> list;
  int item = 0;
  for (int i = 0; i < 100; ++i) list.Add(&item);
  list.Empty();

  alloc_hook::Counter counter;
  for (int round = 0; round < 1000; ++round) {
    buf.Resize(1 + round % 3999);
    buf.Resize(3000 + round % 1000);
    block.Resize(1 + round % 1024);
    block.Resize(1024);
    text.Append("0123456789", round % 10);
    text.Set("warm");
    for (int i = 0; i < 100; ++i) list.Add(&item);
    list.Empty();
  }
  EXPECT_EQ(counter.Allocations(), 0);
  EXPECT_EQ(counter.Frees(), 0);
}
