#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kit/assocarray.h"

namespace {
std::vector<std::string> sDisposed;
void DisposeValue(std::string*& v) {
  sDisposed.push_back(*v);
  delete v;
}
}  // namespace

TEST(AssocArray, KeepsKeysSortedAndLooksThemUp) {
  KIT_StringKeyedArray<int> array;
  const char* keys[] = {"mango", "apple", "zucchini", "kiwi", "banana", "lime"};
  for (int i = 0; i < 6; ++i) array.Insert(keys[i], i + 1);
  ASSERT_EQ(array.GetSize(), 6);
  for (int i = 1; i < array.GetSize(); ++i)
    EXPECT_LT(strcmp(array.GetEntry(i - 1)->key, array.GetEntry(i)->key), 0);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(array.Get(keys[i], -1), i + 1) << keys[i];
  EXPECT_EQ(array.Get("cherry", -7), -7);
  EXPECT_EQ(array.Insert("aardvark", 9), 0);
  EXPECT_EQ(array.Insert("zz", 10), 7);
}

TEST(AssocArray, KeysAreDuplicated) {
  KIT_StringKeyedArray<int> array;
  char key[] = "temporary";
  array.Insert(key, 3);
  key[0] = 'X';
  EXPECT_EQ(array.Get("temporary", 0), 3);
  EXPECT_NE(array.GetEntry(0)->key, key);
}

TEST(AssocArray, ReplacingDisposesTheOldValueAndDestructionDisposesTheRest) {
  sDisposed.clear();
  {
    KIT_StringKeyedArray<std::string*> array(DisposeValue);
    array.Insert("b", new std::string("b1"));
    array.Insert("a", new std::string("a1"));
    const int index = array.Insert("b", new std::string("b2"));
    EXPECT_EQ(index, 1);
    EXPECT_EQ(sDisposed, (std::vector<std::string>{"b1"}));
    EXPECT_EQ(*array.Get("b", nullptr), "b2");
  }
  EXPECT_EQ(sDisposed, (std::vector<std::string>{"b1", "a1", "b2"}));
}
