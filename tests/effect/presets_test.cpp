#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <random>
#include <string>

#include "kit/base64encdec.h"
#include "tests/effect/scratch_files.h"
#include "tests/effect/state_effects.h"

namespace {
const std::vector<unsigned char> kHeader = {0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00};

std::vector<unsigned char> LE(double v) {
  unsigned char b[8];
  memcpy(b, &v, 8);
  return std::vector<unsigned char>(b, b + 8);
}

void Append(std::vector<unsigned char>* to, const std::vector<unsigned char>& more) {
  to->insert(to->end(), more.begin(), more.end());
}

void SetValues(Five& e, double a, double b, double c, double d, double by) {
  const double v[] = {a, b, c, d, by};
  for (int i = 0; i < 5; ++i) e.GetParam(i)->Set(v[i]);
}
}  // namespace

TEST(ByteChunk, ValuesAreLittleEndianAndReadsAreBounded) {
  ByteChunk c;
  const int32_t word = 0x01020304;
  const double one = 1.0;
  EXPECT_EQ(c.Put(&word), 4);
  EXPECT_EQ(c.Put(&one), 12);
  EXPECT_EQ(c.PutBool(true), 13);
  const std::vector<unsigned char> expected = {4, 3, 2, 1, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F, 1};
  EXPECT_EQ(Bytes(c), expected);

  double d = 7.0;
  EXPECT_EQ(c.Get(&d, 4), 12);
  EXPECT_EQ(d, 1.0);
  d = 7.0;
  EXPECT_EQ(c.Get(&d, 6), -1);  // two bytes short
  EXPECT_EQ(c.Get(&d, -1), -1);
  EXPECT_EQ(c.Get(&d, INT_MAX), -1);  // the end position must not wrap
  EXPECT_EQ(c.Get(&d, INT_MAX - 4), -1);
  EXPECT_EQ(d, 7.0);

  bool flag = false;
  c.GetBytes()[12] = 0x80;  // any non-zero byte reads as true
  EXPECT_EQ(c.GetBool(&flag, 12), 13);
  EXPECT_TRUE(flag);
  EXPECT_EQ(c.GetBool(&flag, 13), -1);
  EXPECT_TRUE(flag);

  EXPECT_EQ(c.Resize(16), 16);
  EXPECT_EQ(c.GetBytes()[13] | c.GetBytes()[14] | c.GetBytes()[15], 0);
  ByteChunk other;
  other.PutChunk(&c);
  EXPECT_TRUE(other.IsEqual(c));
  c.Clear();
  EXPECT_EQ(c.Size(), 0);
  EXPECT_EQ(c.GetBytes(), nullptr);
}

TEST(ByteChunk, StringsCarryTheirLengthAndBadLengthsFailTheNextRead) {
  ByteChunk c;
  EXPECT_EQ(c.PutStr("abc"), 7);
  EXPECT_EQ(Bytes(c), (std::vector<unsigned char>{3, 0, 0, 0, 'a', 'b', 'c'}));
  KIT_String s;
  EXPECT_EQ(c.GetStr(&s, 0), 7);
  EXPECT_STREQ(s.Get(), "abc");

  // A NUL inside the text ends it; the position still moves past all L bytes.
  c.GetBytes()[5] = 0;
  EXPECT_EQ(c.GetStr(&s, 0), 7);
  EXPECT_STREQ(s.Get(), "a");

  ByteChunk empty;
  empty.PutStr("");
  s.Set("old");
  EXPECT_EQ(empty.GetStr(&s, 0), 4);
  EXPECT_STREQ(s.Get(), "");

  // A length that runs past the end: the target is left alone and the next read fails.
  const std::vector<int32_t> lengths = {8, 0x7fffffff};
  for (int32_t length : lengths) {
    ByteChunk bad;
    bad.Put(&length);
    bad.PutBytes("xyz", 3);
    s.Set("old");
    const int pos = bad.GetStr(&s, 0);
    EXPECT_GT(pos, bad.Size());
    EXPECT_STREQ(s.Get(), "old");
    bool flag;
    EXPECT_EQ(bad.GetBool(&flag, pos), -1);
  }
  // A negative length is no text at all.
  ByteChunk negative;
  const int32_t minus = -8;
  negative.Put(&minus);
  negative.PutBytes("abcdefgh", 8);
  EXPECT_EQ(negative.GetStr(&s, 0), -1);
  EXPECT_GT(negative.GetStr(&s, 2), negative.Size());  // "ab" ends the length: far too long
}

TEST(ChunkVersion, HeaderIsWrittenAndFoundOnlyWhereItIs) {
  ByteChunk c;
  c.PutStr("stale");
  InitChunkWithFrameworkVer(&c);
  EXPECT_EQ(Bytes(c), kHeader);

  int pos = 0;
  EXPECT_EQ(GetFrameworkVerFromChunk(&c, &pos), 0x10000);
  EXPECT_EQ(pos, 8);

  ByteChunk bare;  // state without header
  const double v = 3.0;
  bare.Put(&v);
  pos = 0;
  EXPECT_EQ(GetFrameworkVerFromChunk(&bare, &pos), 0);
  EXPECT_EQ(pos, 0);
  pos = -1;
  EXPECT_EQ(GetFrameworkVerFromChunk(&c, &pos), 0);
  EXPECT_EQ(pos, -1);
  pos = 6;  // fewer than 4 bytes remain
  EXPECT_EQ(GetFrameworkVerFromChunk(&c, &pos), 0);
  EXPECT_EQ(pos, 6);

  ByteChunk magicOnly;
  Fill(&magicOnly, {0x74, 0x66, 0x66, 0x70, 0x00, 0x00});
  pos = 0;
  EXPECT_EQ(GetFrameworkVerFromChunk(&magicOnly, &pos), 0);
  EXPECT_EQ(pos, -1);
}

TEST(NameField, LongNamesAreCutAtTheFieldWithoutSplittingACharacter) {
  char field[8];
  EXPECT_EQ(CopyNameField(field, sizeof field, "abcdefg", 7), 7u);
  EXPECT_STREQ(field, "abcdefg");
  EXPECT_EQ(CopyNameField(field, sizeof field, "abcdefghij", 10), 7u);
  EXPECT_STREQ(field, "abcdefg");
  // "abcde" then U+20AC (3 bytes): only two of its bytes fit, so it goes.
  EXPECT_EQ(CopyNameField(field, sizeof field, "abcde\xE2\x82\xAC", 8), 5u);
  EXPECT_STREQ(field, "abcde");
  // "abcd" then U+20AC: fits whole.
  EXPECT_EQ(CopyNameField(field, sizeof field, "abcd\xE2\x82\xAC" "z", 8), 7u);
  EXPECT_STREQ(field, "abcd\xE2\x82\xAC");
  // A source field without terminator is read no further than srcMax.
  const char raw[4] = {'w', 'x', 'y', 'z'};
  EXPECT_EQ(CopyNameField(field, sizeof field, raw, 4), 4u);
  EXPECT_STREQ(field, "wxyz");
  EXPECT_EQ(CopyNameField(field, sizeof field, nullptr, 4), 0u);
  EXPECT_STREQ(field, "");
}

TEST(StateChunks, ProgramChunkIsHeaderThenFortyBytesOfDoubles) {
  Five e;
  SetValues(e, 12.5, 0.5, 0.25, -3.0, 1.0);
  ByteChunk c;
  ASSERT_TRUE(e.GetStateChunkForHost(&c, false));
  ASSERT_EQ(c.Size(), 48);
  std::vector<unsigned char> expected = kHeader;
  for (double v : {12.5, 0.5, 0.25, -3.0, 1.0}) Append(&expected, LE(v));
  EXPECT_EQ(Bytes(c), expected);
}

TEST(StateChunks, BankChunkOfOneEmptySlotIs58Bytes) {
  Five e;
  e.EnsureDefaultPreset();
  SetValues(e, 6.0, 0.3, 0.0, 1.0, 0.0);
  ByteChunk c;
  ASSERT_TRUE(e.GetStateChunkForHost(&c, true));
  ASSERT_EQ(c.Size(), 58);
  std::vector<unsigned char> expected = kHeader;
  Append(&expected, {5, 0, 0, 0, 'E', 'm', 'p', 't', 'y', 1});
  for (double v : {6.0, 0.3, 0.0, 1.0, 0.0}) Append(&expected, LE(v));  // the live state
  EXPECT_EQ(Bytes(c), expected);
}

TEST(StateChunks, FourByteProgramChunkResetsOnlyTheFirstParameterAndFails) {
  Five e;
  SetValues(e, 20.0, 0.5, 0.5, 2.0, 1.0);
  e.changes.clear();
  ByteChunk c;
  Fill(&c, {1, 2, 3, 4});
  EXPECT_FALSE(e.SetStateChunkFromHost(&c, false));
  EXPECT_EQ(e.GetParam(0)->Value(), 5.0);  // 0.0 clamped to the range
  EXPECT_EQ(e.GetParam(1)->Value(), 0.5);
  EXPECT_EQ(e.GetParam(3)->Value(), 2.0);
  EXPECT_EQ(e.changes, (std::vector<int>{0, 1, 2, 3, 4}));

  // The magic without its version reads nothing.
  SetValues(e, 20.0, 0.5, 0.5, 2.0, 1.0);
  Fill(&c, {0x74, 0x66, 0x66, 0x70});
  EXPECT_FALSE(e.SetStateChunkFromHost(&c, true));
  EXPECT_EQ(e.GetParam(0)->Value(), 20.0);
}

TEST(StateChunks, BankWithAnOlderHeaderIsReadAsAProgram) {
  Five e;
  e.EnsureDefaultPreset();
  std::vector<unsigned char> bytes = {0x74, 0x66, 0x66, 0x70, 0xFF, 0xFF, 0x00, 0x00};
  for (double v : {30.0, 0.7, 0.1, -5.0, 1.0}) Append(&bytes, LE(v));
  ByteChunk c;
  Fill(&c, bytes);
  EXPECT_TRUE(e.SetStateChunkFromHost(&c, true));
  EXPECT_EQ(e.GetParam(0)->Value(), 30.0);
  EXPECT_EQ(e.GetParam(3)->Value(), -5.0);
  EXPECT_STREQ(e.GetPresetName(0), "Empty");
  // The current slot follows the program just read.
  EXPECT_EQ(std::vector<unsigned char>(bytes.begin() + 8, bytes.end()), Bytes(e.GetPreset(0)->mChunk));

  // Bare state without header, handed as a program.
  Five f;
  Fill(&c, std::vector<unsigned char>(bytes.begin() + 8, bytes.end()));
  EXPECT_TRUE(f.SetStateChunkFromHost(&c, false));
  EXPECT_EQ(f.GetParam(1)->Value(), 0.7);
}

TEST(StateChunks, BankRoundTripGivesIdenticalPresets) {
  Five a(3);
  SetValues(a, 10.0, 0.4, 0.2, 3.0, 0.0);
  a.MakeDefaultPreset("first", 1);
  SetValues(a, 40.0, 0.9, 0.8, -7.0, 1.0);
  a.MakeDefaultPreset("second", 1);  // slot 2 stays uninitialised
  ByteChunk c;
  ASSERT_TRUE(a.GetStateChunkForHost(&c, true));

  Five b(3);
  b.EnsureDefaultPreset();  // every slot filled, so reading must clear slot 2's flag
  b.changes.clear();
  ASSERT_TRUE(b.SetStateChunkFromHost(&c, true));
  EXPECT_EQ(Snap(b), Snap(a));
  EXPECT_FALSE(b.GetPreset(2)->mInitialized);
  EXPECT_EQ(b.GetParam(0)->Value(), 40.0);  // slot 0, which was modified to the live state
}

TEST(StateChunks, TruncatedAndCorruptedBanksStayInsideTheBuffer) {
  Five a(2);
  SetValues(a, 10.0, 0.4, 0.2, 3.0, 0.0);
  a.MakeDefaultPreset("first", 1);
  SetValues(a, 40.0, 0.9, 0.8, -7.0, 1.0);
  a.MakeDefaultPreset("second", 1);
  ByteChunk full;
  ASSERT_TRUE(a.GetStateChunkForHost(&full, true));
  const std::vector<unsigned char> bytes = Bytes(full);

  for (size_t n = 0; n < bytes.size(); ++n) {
    Five b(2);
    b.EnsureDefaultPreset();
    ByteChunk c;
    Fill(&c, std::vector<unsigned char>(bytes.begin(), bytes.begin() + n));
    EXPECT_FALSE(b.SetStateChunkFromHost(&c, true)) << n;
  }
  // Cut inside the second slot's state: the first slot is read, the second keeps its name.
  {
    Five b(2);
    b.EnsureDefaultPreset();
    ByteChunk c;
    Fill(&c, std::vector<unsigned char>(bytes.begin(), bytes.end() - 3));
    EXPECT_FALSE(b.SetStateChunkFromHost(&c, true));
    EXPECT_STREQ(b.GetPresetName(0), "first");
    EXPECT_EQ(Bytes(b.GetPreset(0)->mChunk), Bytes(a.GetPreset(0)->mChunk));
    EXPECT_STREQ(b.GetPresetName(1), "second");
  }
  // Cut inside the second slot's name length: it keeps the name it had.
  {
    Five b(2);
    b.EnsureDefaultPreset();
    ByteChunk c;
    Fill(&c, std::vector<unsigned char>(bytes.begin(), bytes.begin() + 8 + 4 + 5 + 1 + 40 + 2));
    EXPECT_FALSE(b.SetStateChunkFromHost(&c, true));
    EXPECT_STREQ(b.GetPresetName(1), "Empty");
  }

  // Random corruption: whatever the bytes say, names stay terminated inside their field.
  std::mt19937 rng(1234);
  for (int round = 0; round < 3000; ++round) {
    std::vector<unsigned char> bad = bytes;
    const int edits = 1 + static_cast<int>(rng() % 4);
    for (int k = 0; k < edits; ++k) bad[rng() % bad.size()] = static_cast<unsigned char>(rng());
    if (rng() % 3 == 0) bad.resize(rng() % bad.size());
    Five b(2);
    b.EnsureDefaultPreset();
    ByteChunk c;
    Fill(&c, bad);
    b.SetStateChunkFromHost(&c, (rng() & 1) != 0);
    for (int i = 0; i < 2; ++i) {
      ASSERT_LT(strnlen(b.GetPresetName(i), IPreset::kNameLen), static_cast<size_t>(IPreset::kNameLen));
      ASSERT_TRUE(b.GetPreset(i)->mChunk.Size() == 0 || b.GetPreset(i)->mChunk.Size() == 40);
    }
  }
}

TEST(StateChunks, LongNamesFromABankAreCut) {
  const std::string longName(300, 'n');
  ByteChunk c;
  InitChunkWithFrameworkVer(&c);
  c.PutStr(longName.c_str());
  c.PutBool(true);
  for (double v : {6.0, 0.3, 0.0, 1.0, 0.0}) c.Put(&v);
  Five b;
  EXPECT_TRUE(b.SetStateChunkFromHost(&c, true));
  EXPECT_EQ(std::string(b.GetPresetName(0)), std::string(255, 'n'));
}

TEST(Presets, MakeOperationsFillTheNextFreeSlot) {
  Five e(6);
  SetValues(e, 7.0, 0.3, 0.0, 0.0, 0.0);
  e.MakeDefaultPreset(nullptr, 1);
  e.MakePreset("made", 100.0, 0.5, 0.25, 9.0, 1);  // stored unclamped
  e.MakePresetFromNamedParams("named", 2, 3, -2.0, 4, 1);
  e.MakePresetFromNamedParams("marker", 1, 0, 9.999e-08);
  const std::string longName(400, 'x');
  e.MakePresetFromNamedParams(longName.c_str(), 0);

  EXPECT_STREQ(e.GetPresetName(0), "Empty");
  EXPECT_EQ(Bytes(e.GetPreset(0)->mChunk), Bytes(e.GetPreset(4)->mChunk));  // both the live state
  std::vector<unsigned char> made;
  for (double v : {100.0, 0.5, 0.25, 9.0, 1.0}) Append(&made, LE(v));
  EXPECT_EQ(Bytes(e.GetPreset(1)->mChunk), made);
  std::vector<unsigned char> named;
  for (double v : {7.0, 0.3, 0.0, -2.0, 1.0}) Append(&named, LE(v));
  EXPECT_EQ(Bytes(e.GetPreset(2)->mChunk), named);
  std::vector<unsigned char> marker;  // the marker value itself counts as unset
  for (double v : {7.0, 0.3, 0.0, 0.0, 0.0}) Append(&marker, LE(v));
  EXPECT_EQ(Bytes(e.GetPreset(3)->mChunk), marker);
  EXPECT_EQ(std::string(e.GetPresetName(4)), std::string(255, 'x'));
  EXPECT_FALSE(e.GetPreset(5)->mInitialized);
  EXPECT_STREQ(e.GetPresetName(5), "empty");

  // Filled to the last slot; further makes change nothing.
  e.MakeDefaultPreset("last", 3);
  EXPECT_STREQ(e.GetPresetName(5), "last");
  const Snapshot full = Snap(e);
  e.MakePreset("none", 1.0, 1.0, 1.0, 1.0, 1);
  e.MakePresetFromChunk("none", &e.GetPreset(0)->mChunk);
  EXPECT_EQ(Snap(e), full);
}

TEST(Presets, NamedParamsStopAtAnIndexThatNamesNoParameter) {
  Five e;
  e.MakePresetFromNamedParams("guarded", 3, 2, 0.5, 9, 1.0, 0, 20.0);
  std::vector<unsigned char> expected;
  for (double v : {5.0, 0.22, 0.5, 0.0, 0.0}) Append(&expected, LE(v));
  EXPECT_EQ(Bytes(e.GetPreset(0)->mChunk), expected);
}

TEST(Presets, BlobsDecodeIntoExactlyTheirSize) {
  Five e(3);
  e.MakePresetFromBlob("short", "AQID", 6);  // 01 02 03
  e.MakePresetFromBlob("long", "AQIDBAUG", 2);
  e.MakePresetFromBlob("padded", "AQ==", 2);
  EXPECT_EQ(Bytes(e.GetPreset(0)->mChunk), (std::vector<unsigned char>{1, 2, 3, 0, 0, 0}));
  EXPECT_EQ(Bytes(e.GetPreset(1)->mChunk), (std::vector<unsigned char>{1, 2}));
  EXPECT_EQ(Bytes(e.GetPreset(2)->mChunk), (std::vector<unsigned char>{1, 0}));
  EXPECT_TRUE(e.GetPreset(2)->mInitialized);
}

TEST(Presets, EnsureAndPruneKeepFilledSlotsInOrder) {
  Five e(4);
  e.MakeDefaultPreset("a", 1);
  e.EnsureDefaultPreset();
  EXPECT_STREQ(e.GetPresetName(0), "a");
  for (int i = 1; i < 4; ++i) {
    EXPECT_STREQ(e.GetPresetName(i), "Empty");
    EXPECT_TRUE(e.GetPreset(i)->mInitialized);
  }
  e.GetPreset(0)->mInitialized = false;
  e.GetPreset(2)->mInitialized = false;
  IPreset* kept1 = e.GetPreset(1);
  IPreset* kept3 = e.GetPreset(3);
  e.PruneUninitializedPresets();
  ASSERT_EQ(e.NPresets(), 2);
  EXPECT_EQ(e.GetPreset(0), kept1);
  EXPECT_EQ(e.GetPreset(1), kept3);
}

TEST(Presets, RestoreByIndexAndName) {
  Five e(4);
  SetValues(e, 10.0, 0.5, 0.5, 1.0, 0.0);
  e.MakeDefaultPreset("ten", 1);
  SetValues(e, 20.0, 0.6, 0.6, 2.0, 1.0);
  e.presetsChanged = 0;
  e.changes.clear();

  EXPECT_FALSE(e.RestorePreset(-1));
  EXPECT_FALSE(e.RestorePreset(4));
  EXPECT_TRUE(e.RestorePreset(0));
  EXPECT_EQ(e.GetParam(0)->Value(), 10.0);
  EXPECT_EQ(e.changes, (std::vector<int>{0, 1, 2, 3, 4}));
  EXPECT_EQ(e.presetsChanged, 1);

  // An uninitialised slot takes the live sound under the next user name.
  SetValues(e, 30.0, 0.6, 0.6, 2.0, 1.0);
  EXPECT_TRUE(e.RestorePreset(1));
  EXPECT_EQ(e.GetCurrentPresetIdx(), 1);
  EXPECT_STREQ(e.GetPresetName(1), "user preset 1");
  EXPECT_EQ(Bytes(e.GetPreset(1)->mChunk).size(), 40u);
  strcpy(e.GetPreset(0)->mName, "my user preset");
  EXPECT_TRUE(e.RestorePreset(2));
  EXPECT_STREQ(e.GetPresetName(2), "user preset 3");

  EXPECT_FALSE(e.RestorePreset(static_cast<const char*>(nullptr)));
  EXPECT_FALSE(e.RestorePreset(""));
  EXPECT_FALSE(e.RestorePreset("user preset"));  // exact names only
  EXPECT_TRUE(e.RestorePreset("user preset 1"));
  EXPECT_EQ(e.GetCurrentPresetIdx(), 1);
  EXPECT_EQ(e.GetParam(0)->Value(), 30.0);

  // A stored chunk cut short does not restore.
  e.GetPreset(0)->mChunk.Resize(12);
  EXPECT_FALSE(e.RestorePreset(0));
  EXPECT_EQ(e.GetCurrentPresetIdx(), 1);

  EXPECT_STREQ(e.GetPresetName(-1), "");
  EXPECT_STREQ(e.GetPresetName(4), "");
}

TEST(Presets, UserPresetNameCountsEveryNameContainingIt) {
  KIT_PtrList<IPreset> list;
  char name[32];
  MakeDefaultUserPresetName(&list, name);
  EXPECT_STREQ(name, "user preset 1");
  IPreset a, b, c;
  strcpy(a.mName, "user preset 1");
  strcpy(b.mName, "old user preset");
  list.Add(&a);
  list.Add(&b);
  list.Add(&c);
  MakeDefaultUserPresetName(&list, name);
  EXPECT_STREQ(name, "user preset 3");
  EXPECT_EQ(GetNextUninitializedPreset(&list), &a);
  a.mInitialized = b.mInitialized = c.mInitialized = true;
  EXPECT_EQ(GetNextUninitializedPreset(&list), nullptr);
}

TEST(Presets, ModifyCurrentPresetStoresTheLiveStateAndRenames) {
  Five e(2);
  e.MakeDefaultPreset("start", 1);
  SetValues(e, 33.0, 0.5, 0.5, 1.0, 1.0);
  e.ModifyCurrentPreset();
  EXPECT_STREQ(e.GetPresetName(0), "start");
  std::vector<unsigned char> expected;
  for (double v : {33.0, 0.5, 0.5, 1.0, 1.0}) Append(&expected, LE(v));
  EXPECT_EQ(Bytes(e.GetPreset(0)->mChunk), expected);
  e.ModifyCurrentPreset("");
  EXPECT_STREQ(e.GetPresetName(0), "start");
  e.ModifyCurrentPreset(std::string(260, 'q').c_str());
  EXPECT_EQ(std::string(e.GetPresetName(0)), std::string(255, 'q'));
  EXPECT_TRUE(e.GetPreset(0)->mInitialized);

  // The flag is not touched: an uninitialised current slot stays so.
  Five f(1);
  f.ModifyCurrentPreset("x");
  EXPECT_FALSE(f.GetPreset(0)->mInitialized);
  EXPECT_STREQ(f.GetPresetName(0), "x");
}

TEST(Presets, CompareStateUsesSinglePrecisionAndCountsDoubles) {
  Five e;
  SetValues(e, 10.0, 0.5, 0.25, 1.0, 0.0);
  std::vector<double> data = {99.0, 10.0, 0.5, 0.25, 1.0, 0.0};
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(data.data());
  EXPECT_TRUE(e.CompareState(bytes, 1));
  EXPECT_FALSE(e.CompareState(bytes, 0));
  data[3] = 0.25 + 4e-6;
  EXPECT_TRUE(e.CompareState(bytes, 1));
  data[3] = 0.25 + 2e-5;
  EXPECT_FALSE(e.CompareState(bytes, 1));
  data[3] = 0.25;
  data[1] = 10.0 + 1e-8;  // lost in single precision
  EXPECT_TRUE(e.CompareState(bytes, 1));
  OfflineHost<TestBase> none("1-1", 0);
  EXPECT_TRUE(none.CompareState(bytes, 0));
}

TEST(Presets, UnserializeParamsStopsWhereTheDataEnds) {
  Five e;
  SetValues(e, 20.0, 0.5, 0.5, 2.0, 1.0);
  ByteChunk c;
  for (double v : {30.0, 0.7}) c.Put(&v);
  e.changes.clear();
  EXPECT_EQ(e.UnserializeParams(&c, 0), -1);
  EXPECT_EQ(e.GetParam(0)->Value(), 30.0);
  EXPECT_EQ(e.GetParam(1)->Value(), 0.7);
  EXPECT_EQ(e.GetParam(2)->Value(), 0.0);  // where it ran out: 0.0 clamped
  EXPECT_EQ(e.GetParam(3)->Value(), 2.0);
  EXPECT_EQ(e.changes.size(), 5u);
  // Values out of range are clamped on the way in.
  ByteChunk high;
  for (double v : {100.0, 5.0, -1.0, 50.0, 3.0}) high.Put(&v);
  EXPECT_EQ(e.UnserializeParams(&high, 0), 40);
  EXPECT_EQ(e.GetParam(0)->Value(), 50.0);
  EXPECT_EQ(e.GetParam(2)->Value(), 0.0);
  EXPECT_EQ(e.GetParam(3)->Value(), 10.0);
}

TEST(Presets, DirtyParametersInformsTheHostOfEveryNormalisedValue) {
  Five e;
  SetValues(e, 27.5, 1.0, 0.25, 5.0, 1.0);
  e.informed.clear();
  e.DirtyParameters();
  ASSERT_EQ(e.informed.size(), 5u);
  const double expected[] = {0.5, 1.0, 0.25, 0.75, 1.0};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(e.informed[i].paramIdx, i);
    EXPECT_DOUBLE_EQ(e.informed[i].normalized, expected[i]);
  }
}

TEST(Dumps, SourceTextForPresetsAndBanks) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  Five e(2);
  SetValues(e, 12.5, 0.5, 0.25, -3.0, 1.0);
  e.MakeDefaultPreset("one", 1);
  e.MakePresetFromBlob("two", "AQID", 3);

  const std::string src = dir.File("src.txt");
  const char* names[] = {"kFade", "kChop", "kDry", "kOutput", "kBypass"};
  e.DumpPresetSrcCode(src.c_str(), names);
  EXPECT_EQ(ReadText(src),
            "  MakePresetFromNamedParams(\"name\", 5,\n    kFade, 12.500000,\n    kChop, 0.500000,"
            "\n    kDry, 0.250000,\n    kOutput, -3.000000,\n    kBypass, true);\n");

  char text[128];
  KIT_Base64Encode(e.GetPreset(0)->mChunk.GetBytes(), 40, text, sizeof text);
  EXPECT_EQ(strlen(text), 56u);
  const std::string blob = dir.File("blob.txt");
  e.DumpPresetBlob(blob.c_str());
  EXPECT_EQ(ReadText(blob), std::string("MakePresetFromBlob(\"name\", \"") + text + "\", 40);\n");

  const std::string bank = dir.File("bank.txt");
  e.DumpBankBlob(bank.c_str());
  EXPECT_EQ(ReadText(bank), std::string("MakePresetFromBlob(\"one\", \"") + text +
                                "\", 40);\nMakePresetFromBlob(\"two\", \"AQID\", 3);\n");

  // No current slot: an empty preset call.
  Five none(0);
  const std::string empty = dir.File("empty.txt");
  none.DumpPresetBlob(empty.c_str());
  EXPECT_EQ(ReadText(empty), "MakePresetFromBlob(\"name\", \"\", 0);\n");

  // Chunks longer than a fixed text buffer would hold are encoded whole.
  Five big(1);
  std::vector<unsigned char> raw(3000, 0xAB);
  ByteChunk bigChunk;
  bigChunk.PutBytes(raw.data(), 3000);
  big.MakePresetFromChunk("big", &bigChunk);
  const std::string bigFile = dir.File("big.txt");
  big.DumpPresetBlob(bigFile.c_str());
  EXPECT_EQ(ReadText(bigFile).size(), strlen("MakePresetFromBlob(\"name\", \"") + 4000 +
                                           strlen("\", 3000);\n"));

  // An unopenable path writes nothing and does not fail loudly.
  const std::string missing = dir.File("no/such/dir.txt");
  e.DumpPresetSrcCode(missing.c_str(), names);
  e.DumpPresetBlob(missing.c_str());
  e.DumpBankBlob(missing.c_str());
  EXPECT_TRUE(ReadFile(missing).empty());
}
