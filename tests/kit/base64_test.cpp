#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "kit/base64encdec.h"

namespace {
std::string Encode(const std::string& data) {
  std::string text(KIT_Base64EncodedSize(data.size()), '\0');
  const size_t n = KIT_Base64Encode(data.data(), data.size(), &text[0], text.size());
  text.resize(n);
  return text;
}
}  // namespace

TEST(Base64, EncodesTheStandardVectors) {
  EXPECT_EQ(Encode(""), "");
  EXPECT_EQ(Encode("f"), "Zg==");
  EXPECT_EQ(Encode("fo"), "Zm8=");
  EXPECT_EQ(Encode("foo"), "Zm9v");
  EXPECT_EQ(Encode("foob"), "Zm9vYg==");
  EXPECT_EQ(Encode("fooba"), "Zm9vYmE=");
  EXPECT_EQ(Encode("foobar"), "Zm9vYmFy");
  EXPECT_EQ(Encode(std::string("\xfb\xff\xbf", 3)), "+/+/");
}

TEST(Base64, RoundTripsEveryByte) {
  std::string data;
  for (int i = 0; i < 256; ++i) data += static_cast<char>(i);
  const std::string text = Encode(data);
  std::string out(256, '\0');
  EXPECT_EQ(KIT_Base64Decode(text.c_str(), &out[0], out.size()), 256u);
  EXPECT_EQ(out, data);
}

TEST(Base64, DecodeStopsOutsideTheAlphabetAndAtTheLimit) {
  unsigned char out[8] = {};
  EXPECT_EQ(KIT_Base64Decode("Zm9vYg==", out, sizeof out), 4u);
  EXPECT_EQ(memcmp(out, "foob", 4), 0);
  memset(out, 0, sizeof out);
  EXPECT_EQ(KIT_Base64Decode("Zm9v*YmFy", out, sizeof out), 3u);
  EXPECT_EQ(out[3], 0);
  memset(out, 0xee, sizeof out);
  EXPECT_EQ(KIT_Base64Decode("Zm9vYmFy", out, 2), 2u);
  EXPECT_EQ(out[2], 0xee) << "never writes past the limit";
}

TEST(Base64, ShortTextBufferTruncatesAtAGroupAndTerminates) {
  char text[7];
  memset(text, 'q', sizeof text);
  EXPECT_EQ(KIT_Base64Encode("foobar", 6, text, sizeof text), 4u);
  EXPECT_STREQ(text, "Zm9v");
  char tiny[1] = {'q'};
  EXPECT_EQ(KIT_Base64Encode("f", 1, tiny, 1), 0u);
  EXPECT_EQ(tiny[0], 0);
}
