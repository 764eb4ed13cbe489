#include <gtest/gtest.h>

#include <vector>

#include "kit/ptrlist.h"
#include "tests/support/alloc_hook.h"

namespace {
struct Item {
  explicit Item(int v, int* deathCount = nullptr) : value(v), deaths(deathCount) {}
  ~Item() {
    if (deaths) ++*deaths;
  }
  int value;
  int* deaths;
};

std::vector<int> Values(const KIT_PtrList<Item>& list) {
  std::vector<int> v;
  for (int i = 0; i < list.GetSize(); ++i) v.push_back(list.Get(i) ? list.Get(i)->value : -1);
  return v;
}
}  // namespace

TEST(PtrList, AddInsertAndOutOfRangeGet) {
  KIT_PtrList<Item> list;
  EXPECT_EQ(list.Get(0), nullptr);
  Item a(1), b(2), c(3), d(4);
  EXPECT_EQ(list.Add(&a), &a);
  EXPECT_EQ(list.Add(&b), &b);
  list.Insert(0, &c);
  list.Insert(99, &d);  // clamped to the end
  EXPECT_EQ(Values(list), (std::vector<int>{3, 1, 2, 4}));
  list.Insert(-3, nullptr);  // clamped to the front; nulls are allowed
  EXPECT_EQ(Values(list), (std::vector<int>{-1, 3, 1, 2, 4}));
  EXPECT_EQ(list.Get(5), nullptr);
  EXPECT_EQ(list.Get(-1), nullptr);
}

TEST(PtrList, DeleteMovesLaterItemsDownAndIgnoresBadIndices) {
  int deaths = 0;
  KIT_PtrList<Item> list;
  for (int i = 0; i < 4; ++i) list.Add(new Item(i, &deaths));
  Item* kept = list.Get(1);
  list.Delete(1);
  EXPECT_EQ(deaths, 0) << "no deletion unless asked";
  delete kept;
  list.Delete(list.GetSize());
  list.Delete(-1);
  EXPECT_EQ(Values(list), (std::vector<int>{0, 2, 3}));
  list.Delete(0, true);
  EXPECT_EQ(deaths, 2);
  EXPECT_EQ(Values(list), (std::vector<int>{2, 3}));
  list.Empty(true);
}

TEST(PtrList, EmptyWithDeletionSkipsNullsAndShrinksAsItGoes) {
  static KIT_PtrList<Item>* sList;
  static std::vector<int> sSeenSizes;
  KIT_PtrList<Item> list;
  sList = &list;
  sSeenSizes.clear();
  list.Add(new Item(0));
  list.Add(nullptr);
  list.Add(new Item(2));
  list.Empty(true, [](Item* item) {
    sSeenSizes.push_back(sList->GetSize());
    delete item;
  });
  EXPECT_EQ(list.GetSize(), 0);
  EXPECT_EQ(sSeenSizes, (std::vector<int>{3, 1})) << "a deleter sees the items still ahead";
}

TEST(PtrList, FailedGrowthStoresNothing) {
  SKIP_WITHOUT_ALLOC_HOOK();
  KIT_PtrList<Item> list;
  Item a(1);
  {
    alloc_hook::FailAfter refuse;
    EXPECT_EQ(list.Add(&a), nullptr);
    EXPECT_EQ(list.Insert(0, &a), nullptr);
  }
  EXPECT_EQ(list.GetSize(), 0);
}
