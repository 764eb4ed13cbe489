// The file codec on its own: how strict and lenient readers differ, what the writers put in the
// size fields, and the state layout's preset heads.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "effect/fxformat/fxformat.h"

using fxformat::Form;
using Blob = std::vector<unsigned char>;

TEST(FxFormat, StrictReadingRefusesWhatTheFieldsDoNotCover) {
  fxformat::Program program;
  program.form = Form::kChunk;
  program.chunk = {1, 2, 3, 4};
  Blob bytes;
  ASSERT_TRUE(fxformat::WriteProgram(program, fxformat::ByteSize::kWholeFileForChunks, &bytes));
  ASSERT_EQ(bytes.size(), 64u);
  EXPECT_EQ(bytes[7], 64);

  auto read = [](const Blob& b, fxformat::Reading reading, std::string* error) {
    fxformat::Program out;
    const bool ok = fxformat::ReadProgram(b.data(), b.size(), reading, &out, error);
    return ok ? out.chunk : Blob{0xEE};
  };
  std::string error;
  Blob longer = bytes;
  longer[59] = 5;  // the chunk size now runs one byte past the end
  EXPECT_EQ(read(longer, fxformat::Reading::kStrict, &error), Blob{0xEE});
  EXPECT_EQ(error, "it ends early");
  EXPECT_EQ(read(longer, fxformat::Reading::kLenient, nullptr), program.chunk);  // to the end
  Blob negative = bytes;
  negative[56] = 0x80;
  EXPECT_EQ(read(negative, fxformat::Reading::kStrict, &error), Blob{0xEE});
  EXPECT_EQ(error, "negative chunk size");
  EXPECT_EQ(read(Blob(bytes.begin(), bytes.begin() + 3), fxformat::Reading::kLenient, &error), Blob{0xEE});
  EXPECT_EQ(error, "it does not start with 'CcnK'");

  // A bank counting programs below zero holds none when read leniently, and is refused strictly.
  fxformat::Bank bank;
  bank.programs.resize(1);
  ASSERT_TRUE(fxformat::WriteBank(bank, fxformat::ByteSize::kBytesAfterField, &bytes));
  EXPECT_EQ(bytes[156 + 7], 48);  // the record counts its own bytes after the field
  bytes[24] = 0xff;
  fxformat::Bank out;
  EXPECT_FALSE(fxformat::ReadBank(bytes.data(), bytes.size(), fxformat::Reading::kStrict, &out, &error));
  EXPECT_EQ(error, "negative program count");
  ASSERT_TRUE(fxformat::ReadBank(bytes.data(), bytes.size(), fxformat::Reading::kLenient, &out, nullptr));
  EXPECT_TRUE(out.programs.empty());
  EXPECT_FALSE(fxformat::ReadProgram(bytes.data(), bytes.size(), fxformat::Reading::kLenient, &program, &error));
  EXPECT_EQ(error, "it holds a bank, not a program");
}

TEST(FxFormat, PresetHeadsStayInsideTheirBytes) {
  const Blob head = {3, 0, 0, 0, 'a', 0, 'b', 1};
  std::string name;
  bool initialized = false;
  EXPECT_EQ(fxformat::ReadPresetHead(head.data(), head.size(), 0, &name, &initialized), 8);
  EXPECT_EQ(name, "a");  // up to the NUL
  EXPECT_TRUE(initialized);
  EXPECT_EQ(fxformat::ReadPresetHead(head.data(), head.size() - 1, 0, &name, &initialized), -1);  // no flag
  const Blob negative = {0xff, 0xff, 0xff, 0xff, 0};
  EXPECT_EQ(fxformat::ReadPresetHead(negative.data(), negative.size(), 0, &name, &initialized), -1);
  EXPECT_EQ(fxformat::ReadStateValues(head.data(), head.size(), 1, 3).size(), 0u);
}
