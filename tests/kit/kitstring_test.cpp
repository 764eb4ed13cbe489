#include <gtest/gtest.h>

#include <string>

#include "kit/kitstring.h"
#include "tests/support/alloc_hook.h"

TEST(KitString, EmptyTextGivesSizeOne) {
  KIT_String s;
  EXPECT_EQ(s.GetSize(), 0);
  EXPECT_STREQ(s.Get(), "");
  s.Set("");
  EXPECT_EQ(s.GetSize(), 1);
  EXPECT_STREQ(s.Get(), "");
  s.Set(nullptr);
  EXPECT_EQ(s.GetSize(), 1);
}

TEST(KitString, MaxLenCountsBytesBeforeTheFirstNul) {
  KIT_String s;
  s.Set("abcdef", 3);
  EXPECT_STREQ(s.Get(), "abc");
  EXPECT_EQ(s.GetSize(), 4);
  s.Set("ab", 5);
  EXPECT_STREQ(s.Get(), "ab");
  s.Append("xyz", 2);
  EXPECT_STREQ(s.Get(), "abxy");
  KIT_String fromCtor("hello", 4);
  EXPECT_STREQ(fromCtor.Get(), "hell");
}

TEST(KitString, SetShorterTrimsSizeToLengthPlusOne) {
  KIT_String s("a fairly long text");
  s.Set("short");
  EXPECT_EQ(s.GetSize(), 6);
  EXPECT_EQ(s.GetLength(), 5);
}

TEST(KitString, AppendOwnTextWhileTheBufferMoves) {
  KIT_String s("0123456789");
  std::string expected = "0123456789";
  for (int i = 0; i < 8; ++i) {  // 10 bytes doubling to 2560 crosses several reallocations
    s.Append(s.Get());
    expected += expected;
    ASSERT_EQ(std::string(s.Get()), expected) << i;
    ASSERT_EQ(s.GetSize(), static_cast<int>(expected.size()) + 1);
  }
}

TEST(KitString, InsertOwnTextWhileTheBufferMoves) {
  KIT_String s("abcdef");
  std::string expected = "abcdef";
  s.Insert(s.Get(), 2);
  expected.insert(2, expected);
  EXPECT_EQ(std::string(s.Get()), expected);
  // A piece of its own text that lies after the insertion point, across a reallocation.
  for (int i = 0; i < 6; ++i) {
    const int len = s.GetLength();
    const std::string piece = expected.substr(len / 2, len / 3);
    s.Insert(s.Get() + len / 2, 1, len / 3);
    expected.insert(1, piece);
    ASSERT_EQ(std::string(s.Get()), expected) << i;
  }
  // A piece straddling the insertion point.
  const std::string piece = expected.substr(3, 10);
  s.Insert(s.Get() + 3, 7, 10);
  expected.insert(7, piece);
  EXPECT_EQ(std::string(s.Get()), expected);
}

TEST(KitString, InsertClampsPosition) {
  KIT_String s("mid");
  s.Insert("<", -4);
  s.Insert(">", 100);
  EXPECT_STREQ(s.Get(), "<mid>");
}

TEST(KitString, SetLenCutsAndExtends) {
  KIT_String s("abcdef");
  s.SetLen(3);
  EXPECT_STREQ(s.Get(), "abc");
  s.SetLen(5);
  EXPECT_EQ(s.GetSize(), 6);
  EXPECT_EQ(s.Get()[5], 0);
  s.SetLen(-1);
  EXPECT_EQ(s.GetSize(), 6);
}

TEST(KitString, DeleteSub) {
  KIT_String s("abcdef");
  s.DeleteSub(1, 2);
  EXPECT_STREQ(s.Get(), "adef");
  EXPECT_EQ(s.GetSize(), 5);
  s.DeleteSub(2, 100);
  EXPECT_STREQ(s.Get(), "ad");
  s.DeleteSub(2, 1);
  s.DeleteSub(-1, 1);
  s.DeleteSub(0, 0);
  EXPECT_STREQ(s.Get(), "ad");
  KIT_String empty;
  empty.DeleteSub(0, 1);
  EXPECT_EQ(empty.GetSize(), 0);
}

TEST(KitString, FailedGrowthWritesNothing) {
  SKIP_WITHOUT_ALLOC_HOOK();
  KIT_String s("keep");
  std::string longText(500, 'x');
  {
    alloc_hook::FailAfter refuse;
    s.Append(longText.c_str());
  }
  EXPECT_STREQ(s.Get(), "keep");
  EXPECT_EQ(s.GetSize(), 5);
}
