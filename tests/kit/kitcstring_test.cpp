#include <gtest/gtest.h>

#include <cstring>

#include "kit/kitcstring.h"

TEST(KitCString, CopyCutsToTheFieldAndTerminates) {
  char field[8];
  memset(field, 'z', sizeof field);
  EXPECT_EQ(KIT_CopyString(field, sizeof field, "a long program name"), 7u);
  EXPECT_STREQ(field, "a long ");
  EXPECT_EQ(KIT_CopyString(field, sizeof field, nullptr), 0u);
  EXPECT_STREQ(field, "");
  EXPECT_EQ(KIT_CopyString(field, 0, "x"), 0u);
}

TEST(KitCString, CopyNReadsNoFurtherThanItsLimit) {
  const char unterminated[4] = {'a', 'b', 'c', 'd'};
  char field[16];
  EXPECT_EQ(KIT_CopyStringN(field, sizeof field, unterminated, sizeof unterminated), 4u);
  EXPECT_STREQ(field, "abcd");
  EXPECT_EQ(KIT_CopyStringN(field, sizeof field, "ab\0cd", 5), 2u);
  EXPECT_STREQ(field, "ab");
}

TEST(KitCString, AppendStaysInsideTheField) {
  char field[8] = "abc";
  EXPECT_EQ(KIT_AppendString(field, sizeof field, "defghij"), 7u);
  EXPECT_STREQ(field, "abcdefg");
  char full[4] = {'w', 'x', 'y', 'z'};
  EXPECT_EQ(KIT_AppendString(full, sizeof full, "q"), 3u);
  EXPECT_STREQ(full, "wxy");
}

TEST(KitCString, CompareOrdersNullFirst) {
  EXPECT_LT(KIT_CompareStrings(nullptr, ""), 0);
  EXPECT_GT(KIT_CompareStrings("a", nullptr), 0);
  EXPECT_EQ(KIT_CompareStrings(nullptr, nullptr), 0);
  EXPECT_LT(KIT_CompareStrings("a", "b"), 0);
}
