#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "effect/fxformat/fxformat.h"
#include "tests/effect/scratch_files.h"
#include "tests/effect/state_effects.h"

namespace {
std::vector<unsigned char> BE(uint32_t v) {
  return {static_cast<unsigned char>(v >> 24), static_cast<unsigned char>(v >> 16),
          static_cast<unsigned char>(v >> 8), static_cast<unsigned char>(v)};
}
std::vector<unsigned char> BEFloat(float f) {
  uint32_t bits;
  memcpy(&bits, &f, 4);
  return BE(bits);
}
std::vector<unsigned char> Text(const char* t) { return std::vector<unsigned char>(t, t + strlen(t)); }
void Append(std::vector<unsigned char>* to, const std::vector<unsigned char>& more) {
  to->insert(to->end(), more.begin(), more.end());
}
std::vector<unsigned char> Slice(const std::vector<unsigned char>& b, size_t at, size_t n) {
  return std::vector<unsigned char>(b.begin() + at, b.begin() + at + n);
}
std::vector<unsigned char> NameField(const char* name) {
  std::vector<unsigned char> f(28, 0);
  memcpy(f.data(), name, strlen(name));
  return f;
}
KIT_String Path(const std::string& p) { return KIT_String(p.c_str()); }

// Values whose normalised forms are exact in single precision.
void SetSound(IEffectBase& e, int variant) {
  const double a[] = {27.5, 0.61, 0.25, 5.0, 1.0};
  const double b[] = {16.25, 1.0, 0.75, -5.0, 0.0};
  const double* v = variant ? b : a;
  for (int i = 0; i < 5; ++i) e.GetParam(i)->Set(v[i]);
}

void ExpectNearValues(const IEffectBase& a, const IEffectBase& b) {
  for (int i = 0; i < a.NParams(); ++i)
    EXPECT_NEAR(a.GetParam(i)->Value(), b.GetParam(i)->Value(), 1e-6) << i;
}

std::vector<float> Normalized(const IEffectBase& e) {
  std::vector<float> values;
  for (int i = 0; i < e.NParams(); ++i) values.push_back(static_cast<float>(e.GetParam(i)->GetNormalized()));
  return values;
}

// A file read the way verlo-host reads it.
fxformat::File ReadAsHost(const std::string& path) {
  const std::vector<unsigned char> bytes = ReadFile(path);
  fxformat::File file;
  std::string error;
  EXPECT_TRUE(fxformat::ReadFile(bytes.data(), bytes.size(), fxformat::Reading::kStrict, &file, &error)) << error;
  return file;
}

// The common 28 bytes of a program file or record: magic, size, form, version, id, fxVersion, count.
std::vector<unsigned char> ProgramHead(uint32_t byteSize, const char* form, uint32_t version = 1,
                                       uint32_t id = FiveParams::kID, uint32_t count = 5) {
  std::vector<unsigned char> h = Text("CcnK");
  Append(&h, BE(byteSize));
  Append(&h, Text(form));
  Append(&h, BE(version));
  Append(&h, BE(id));
  Append(&h, BE(20000));
  Append(&h, BE(count));
  return h;
}
}  // namespace

TEST(ProgramFile, ParameterFormIs76BigEndianBytes) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  Five e;
  e.MakeDefaultPreset("Warm", 1);
  SetSound(e, 0);
  const std::string path = dir.File("p.fxp");
  ASSERT_TRUE(e.SaveProgramAsFXP(Path(path)));
  const std::vector<unsigned char> f = ReadFile(path);
  ASSERT_EQ(f.size(), 76u);
  std::vector<unsigned char> expected = ProgramHead(0, "FxCk");
  Append(&expected, NameField("Warm"));
  for (float v : {0.5f, 0.5f, 0.25f, 0.75f, 1.0f}) Append(&expected, BEFloat(v));
  EXPECT_EQ(Slice(f, 0, 56), Slice(expected, 0, 56));
  EXPECT_EQ(Slice(f, 4, 4), BE(0));
  EXPECT_EQ(Slice(f, 16, 4), Text("VRL1"));
  EXPECT_EQ(Slice(f, 20, 4), (std::vector<unsigned char>{0x00, 0x00, 0x4E, 0x20}));
  for (int i : {0, 2, 3, 4}) EXPECT_EQ(Slice(f, 56 + 4 * i, 4), Slice(expected, 56 + 4 * i, 4)) << i;
  uint32_t chopBits = (uint32_t(f[60]) << 24) | (uint32_t(f[61]) << 16) | (uint32_t(f[62]) << 8) | f[63];
  float chop;
  memcpy(&chop, &chopBits, 4);
  EXPECT_NEAR(chop, 0.5f, 1e-6);
}

TEST(ProgramFile, ChunkFormIs108BytesWithItsLengthInTheSizeField) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  OfflineHost<FiveParams> e(1, true);
  e.MakeDefaultPreset("Chunky", 1);
  SetSound(e, 1);
  const std::string path = dir.File("c.fxp");
  ASSERT_TRUE(e.SaveProgramAsFXP(Path(path)));
  const std::vector<unsigned char> f = ReadFile(path);
  ASSERT_EQ(f.size(), 108u);
  std::vector<unsigned char> head = ProgramHead(108, "FPCh");
  Append(&head, NameField("Chunky"));
  Append(&head, BE(48));
  EXPECT_EQ(Slice(f, 0, 60), head);
  ByteChunk program;
  ASSERT_TRUE(e.GetStateChunkForHost(&program, false));
  EXPECT_EQ(Slice(f, 60, 48), Bytes(program));  // the little-endian chunk, unchanged
}

TEST(BankFile, ParameterFormOfOneSlotIs232Bytes) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  Five e;
  SetSound(e, 0);
  e.MakeDefaultPreset("Slot", 1);
  SetSound(e, 1);  // not stored: the file holds what the slot holds
  const std::string path = dir.File("b.fxb");
  ASSERT_TRUE(e.SaveBankAsFXB(Path(path)));
  const std::vector<unsigned char> f = ReadFile(path);
  ASSERT_EQ(f.size(), 232u);
  std::vector<unsigned char> head = Text("CcnK");
  Append(&head, BE(0));
  Append(&head, Text("FxBk"));
  Append(&head, BE(2));
  Append(&head, BE(FiveParams::kID));
  Append(&head, BE(20000));
  Append(&head, BE(1));
  Append(&head, BE(0));
  Append(&head, std::vector<unsigned char>(124, 0));
  EXPECT_EQ(Slice(f, 0, 156), head);
  std::vector<unsigned char> record = ProgramHead(0, "FxCk");
  Append(&record, NameField("Slot"));
  EXPECT_EQ(Slice(f, 156, 56), record);
  EXPECT_EQ(Slice(f, 156 + 56, 4), BEFloat(0.5f));
  EXPECT_EQ(Slice(f, 156 + 72, 4), BEFloat(1.0f));

  // An uninitialised slot is written with 0.0 converted: FADE's 0.0 clamps to its minimum.
  Five two(2);
  two.MakeDefaultPreset("a", 1);
  const std::string path2 = dir.File("b2.fxb");
  ASSERT_TRUE(two.SaveBankAsFXB(Path(path2)));
  const std::vector<unsigned char> g = ReadFile(path2);
  ASSERT_EQ(g.size(), 156u + 2 * 76u);
  EXPECT_EQ(Slice(g, 232 + 28, 28), NameField("empty"));
  for (int i : {0, 1, 2, 4}) EXPECT_EQ(Slice(g, 232 + 56 + 4 * i, 4), BE(0)) << i;
  EXPECT_EQ(Slice(g, 232 + 56 + 12, 4), BEFloat(0.5f));  // OUTPUT 0.0 in -10..10
}

TEST(Files, RoundTripsInBothFormsGiveIdenticalState) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  for (bool chunks : {false, true}) {
    SCOPED_TRACE(chunks ? "chunk form" : "parameter form");
    OfflineHost<FiveParams> a(3, chunks);
    SetSound(a, 0);
    a.MakeDefaultPreset("zero", 1);
    SetSound(a, 1);
    a.MakeDefaultPreset("one", 1);
    a.MakeDefaultPreset("two", 1);
    a.RestorePreset(1);
    const std::string program = dir.File(chunks ? "rt_c.fxp" : "rt_p.fxp");
    const std::string bank = dir.File(chunks ? "rt_c.fxb" : "rt_p.fxb");
    ASSERT_TRUE(a.SaveProgramAsFXP(Path(program)));
    ASSERT_TRUE(a.SaveBankAsFXB(Path(bank)));

    OfflineHost<FiveParams> b(3, chunks);
    b.EnsureDefaultPreset();
    ASSERT_TRUE(b.LoadBankFromFXB(Path(bank)));
    EXPECT_EQ(b.programChanges, 1);
    for (int i = 0; i < 3; ++i) EXPECT_STREQ(b.GetPresetName(i), a.GetPresetName(i));
    if (chunks) {
      EXPECT_EQ(Snap(b).chunks, Snap(a).chunks);
    } else {
      EXPECT_EQ(b.GetCurrentPresetIdx(), 1);  // the parameter form restores the file's program
      ExpectNearValues(a, b);
    }
    EXPECT_TRUE(b.RestorePreset(0));
    EXPECT_NEAR(b.GetParam(0)->Value(), 27.5, 1e-6);

    OfflineHost<FiveParams> c(1, chunks);
    c.MakeDefaultPreset("before", 1);
    c.programChanges = 0;
    ASSERT_TRUE(c.LoadProgramFromFXP(Path(program)));
    EXPECT_EQ(c.programChanges, 1);
    EXPECT_STREQ(c.GetPresetName(0), "one");
    ExpectNearValues(a, c);
    ByteChunk live;
    c.SerializeState(&live);
    EXPECT_TRUE(live.IsEqual(c.GetPreset(0)->mChunk));
    if (chunks) {
      EXPECT_EQ(Snap(c).values, Snap(a).values);
    }
  }
}

TEST(Files, ChunkFormCarriesStateBeyondTheParameters) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  Extra a;
  a.extra = 0x12345678;
  SetSound(a, 1);
  a.MakeDefaultPreset("x", 2);
  const std::string program = dir.File("x.fxp");
  const std::string bank = dir.File("x.fxb");
  ASSERT_TRUE(a.SaveProgramAsFXP(Path(program)));
  ASSERT_TRUE(a.SaveBankAsFXB(Path(bank)));
  EXPECT_EQ(ReadFile(program).size(), 112u);
  const std::vector<unsigned char> f = ReadFile(bank);
  EXPECT_EQ(Slice(f, 4, 4), BE(static_cast<uint32_t>(f.size())));
  EXPECT_EQ(Slice(f, 8, 4), Text("FBCh"));

  Extra b;
  ASSERT_TRUE(b.LoadProgramFromFXP(Path(program)));
  EXPECT_EQ(b.extra, 0x12345678);
  EXPECT_EQ(Snap(b).values, Snap(a).values);
  Extra c;
  ASSERT_TRUE(c.LoadBankFromFXB(Path(bank)));
  EXPECT_EQ(c.extra, 0x12345678);
  EXPECT_EQ(Snap(c), Snap(a));
}

TEST(Files, RefusedFilesChangeNothing) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  std::vector<unsigned char> values;
  for (float v : {0.9f, 0.9f, 0.9f, 0.9f, 1.0f}) Append(&values, BEFloat(v));
  auto program = [&](uint32_t version, uint32_t id, const char* form) {
    std::vector<unsigned char> p = ProgramHead(0, form, version, id);
    Append(&p, NameField("bad"));
    Append(&p, values);
    return p;
  };
  auto bank = [&](uint32_t id, const char* form) {
    std::vector<unsigned char> b = Text("CcnK");
    Append(&b, BE(0));
    Append(&b, Text(form));
    Append(&b, BE(2));
    Append(&b, BE(id));
    Append(&b, BE(20000));
    Append(&b, BE(1));
    Append(&b, BE(0));
    Append(&b, std::vector<unsigned char>(124, 0));
    Append(&b, program(1, id, "FxCk"));
    return b;
  };
  std::vector<unsigned char> shortHead = program(1, FiveParams::kID, "FxCk");
  shortHead.resize(19);
  const std::vector<std::vector<unsigned char>> programs = {
      program(1, 0x41424344, "FxCk"), program(2, FiveParams::kID, "FxCk"),
      program(1, FiveParams::kID, "FxBk"), program(1, FiveParams::kID, "FPCh"),
      program(1, FiveParams::kID, "XXXX"), shortHead, Slice(program(1, FiveParams::kID, "FxCk"), 0, 70)};
  std::vector<unsigned char> badRecord = bank(FiveParams::kID, "FxBk");
  badRecord[156 + 27] = 4;  // the record's parameter count
  std::vector<unsigned char> badMagic = bank(FiveParams::kID, "FxBk");
  badMagic[156] = 'X';
  const std::vector<std::vector<unsigned char>> banks = {
      bank(0x41424344, "FxBk"), bank(FiveParams::kID, "FxCk"), bank(FiveParams::kID, "FBCh"),
      bank(FiveParams::kID, "ABCD"), badRecord, badMagic, Slice(bank(FiveParams::kID, "FxBk"), 0, 3),
      Slice(bank(FiveParams::kID, "FxBk"), 0, 231)};

  // The unaltered files load, so the refusals below come from what was altered.
  const std::string good = dir.File("good");
  WriteFile(good, program(1, FiveParams::kID, "FxCk"));
  Five probe;
  EXPECT_TRUE(probe.LoadProgramFromFXP(Path(good)));
  EXPECT_NEAR(probe.GetParam(2)->Value(), 0.9, 1e-6);
  WriteFile(good, bank(FiveParams::kID, "FxBk"));
  Five probe2;
  EXPECT_TRUE(probe2.LoadBankFromFXB(Path(good)));
  EXPECT_STREQ(probe2.GetPresetName(0), "bad");

  const std::string path = dir.File("refused");
  for (size_t i = 0; i < programs.size() + banks.size(); ++i) {
    const bool isProgram = i < programs.size();
    WriteFile(path, isProgram ? programs[i] : banks[i - programs.size()]);
    Five e;
    SetSound(e, 0);
    e.MakeDefaultPreset("kept", 1);
    SetSound(e, 1);
    e.programChanges = 0;
    const Snapshot before = Snap(e);
    EXPECT_FALSE(isProgram ? e.LoadProgramFromFXP(Path(path)) : e.LoadBankFromFXB(Path(path))) << i;
    EXPECT_EQ(Snap(e), before) << i;
    EXPECT_EQ(e.programChanges, 0) << i;
  }

  Five e;
  EXPECT_FALSE(e.LoadProgramFromFXP(KIT_String("")));
  EXPECT_FALSE(e.LoadBankFromFXB(KIT_String(dir.File("missing").c_str())));
  EXPECT_FALSE(e.SaveProgramAsFXP(KIT_String("")));
  EXPECT_FALSE(e.SaveBankAsFXB(KIT_String("")));
  EXPECT_FALSE(e.SaveProgramAsFXP(Path(dir.File("no/dir.fxp"))));
  EXPECT_FALSE(e.SaveBankAsFXB(Path(dir.File("no/dir.fxb"))));
}

TEST(Files, ProgramNamesAreCutTo27BytesAndEmptyNamesKeepThePreset) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  Five e;
  e.MakeDefaultPreset("0123456789012345678901234\xC3\xA9xyz", 1);  // é straddles byte 27
  const std::string path = dir.File("n.fxp");
  ASSERT_TRUE(e.SaveProgramAsFXP(Path(path)));
  std::vector<unsigned char> f = ReadFile(path);
  EXPECT_EQ(Slice(f, 28, 28), NameField("0123456789012345678901234\xC3\xA9"));

  strcpy(e.GetPreset(0)->mName, "01234567890123456789012345\xC3\xA9");
  ASSERT_TRUE(e.SaveProgramAsFXP(Path(path)));
  f = ReadFile(path);
  EXPECT_EQ(Slice(f, 28, 28), NameField("01234567890123456789012345"));

  // A field without terminator gives its first 27 bytes.
  for (int i = 0; i < 28; ++i) f[28 + i] = 'N';
  WriteFile(path, f);
  Five g;
  g.MakeDefaultPreset("old", 1);
  ASSERT_TRUE(g.LoadProgramFromFXP(Path(path)));
  EXPECT_EQ(std::string(g.GetPresetName(0)), std::string(27, 'N'));

  // An empty name keeps the current preset's name.
  for (int i = 0; i < 28; ++i) f[28 + i] = 0;
  WriteFile(path, f);
  ASSERT_TRUE(g.LoadProgramFromFXP(Path(path)));
  EXPECT_EQ(std::string(g.GetPresetName(0)), std::string(27, 'N'));
}

TEST(BankFile, RecordsBeyondTheSlotsAreIgnored) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  Five big(3);
  SetSound(big, 0);
  big.MakeDefaultPreset("a", 1);
  SetSound(big, 1);
  big.MakeDefaultPreset("b", 1);
  big.MakeDefaultPreset("c", 1);
  const std::string path = dir.File("three.fxb");
  ASSERT_TRUE(big.SaveBankAsFXB(Path(path)));

  Five small(2);
  small.EnsureDefaultPreset();
  ASSERT_TRUE(small.LoadBankFromFXB(Path(path)));
  EXPECT_STREQ(small.GetPresetName(0), "a");
  EXPECT_STREQ(small.GetPresetName(1), "b");  // not overwritten by record "c"
  EXPECT_EQ(small.GetCurrentPresetIdx(), 0);
  EXPECT_NEAR(small.GetParam(0)->Value(), 27.5, 1e-6);
}

TEST(Files, TruncatedAndCorruptedFilesAreReadInsideTheirBytes) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  std::vector<std::vector<unsigned char>> files;
  for (bool chunks : {false, true}) {
    OfflineHost<FiveParams> a(2, chunks);
    SetSound(a, 1);
    a.MakeDefaultPreset("seed", 2);
    const std::string p = dir.File(chunks ? "s_c.fxp" : "s_p.fxp");
    const std::string b = dir.File(chunks ? "s_c.fxb" : "s_p.fxb");
    a.SaveProgramAsFXP(Path(p));
    a.SaveBankAsFXB(Path(b));
    files.push_back(ReadFile(p));
    files.push_back(ReadFile(b));
  }
  const std::string path = dir.File("cut");
  // Every cut of a program file is refused and leaves everything as it was.
  for (int k : {0, 2}) {
    for (size_t n = 0; n < files[k].size(); ++n) {
      WriteFile(path, Slice(files[k], 0, n));
      OfflineHost<FiveParams> e(2, k == 2);
      e.EnsureDefaultPreset();
      const Snapshot before = Snap(e);
      EXPECT_FALSE(e.LoadProgramFromFXP(Path(path))) << k << " " << n;
      EXPECT_EQ(Snap(e), before) << k << " " << n;
    }
  }
  // Every cut of a bank file is refused and leaves everything as it was, even one that breaks
  // off after the first slot of a chunk.
  for (int k : {1, 3}) {
    for (size_t n = 0; n < files[k].size(); ++n) {
      WriteFile(path, Slice(files[k], 0, n));
      OfflineHost<FiveParams> e(2, k == 3);
      e.EnsureDefaultPreset();
      e.GetParam(2)->Set(0.125);  // live, not stored
      strcpy(e.GetPreset(1)->mName, "second");
      const Snapshot before = Snap(e);
      e.programChanges = 0;
      EXPECT_FALSE(e.LoadBankFromFXB(Path(path))) << k << " " << n;
      EXPECT_EQ(Snap(e), before) << k << " " << n;
      EXPECT_EQ(e.programChanges, 0);
    }
  }
  // Random corruption of every form, either loader.
  std::mt19937 rng(99);
  for (int round = 0; round < 500; ++round) {
    std::vector<unsigned char> bad = files[rng() % files.size()];
    const int edits = 1 + static_cast<int>(rng() % 4);
    for (int k = 0; k < edits; ++k) bad[rng() % bad.size()] = static_cast<unsigned char>(rng());
    WriteFile(path, bad);
    OfflineHost<FiveParams> e(2, (rng() & 1) != 0);
    if (rng() & 1)
      e.LoadProgramFromFXP(Path(path));
    else
      e.LoadBankFromFXB(Path(path));
    for (int i = 0; i < 2; ++i)
      ASSERT_LT(strnlen(e.GetPresetName(i), IPreset::kNameLen), static_cast<size_t>(IPreset::kNameLen));
    for (int i = 0; i < 5; ++i) {
      double lo, hi;
      e.GetParam(i)->GetBounds(lo, hi);
      ASSERT_GE(e.GetParam(i)->Value(), lo);
      ASSERT_LE(e.GetParam(i)->Value(), hi);
    }
  }
}

TEST(FxFormatAcross, FilesThePluginSavesReadAsTheHostReadsThem) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  for (bool chunks : {false, true}) {
    SCOPED_TRACE(chunks ? "chunk form" : "parameter form");
    OfflineHost<FiveParams> e(2, chunks);
    SetSound(e, 0);
    e.MakeDefaultPreset("first", 1);
    SetSound(e, 1);
    e.MakeDefaultPreset("second", 1);
    ASSERT_TRUE(e.RestorePreset(1));
    const std::string fxp = dir.File(chunks ? "c.fxp" : "p.fxp"), fxb = dir.File(chunks ? "c.fxb" : "p.fxb");
    ASSERT_TRUE(e.SaveProgramAsFXP(Path(fxp)));
    ASSERT_TRUE(e.SaveBankAsFXB(Path(fxb)));

    const fxformat::File program = ReadAsHost(fxp);
    ASSERT_FALSE(program.isBank);
    EXPECT_EQ(program.GetForm(), chunks ? fxformat::Form::kChunk : fxformat::Form::kParams);
    EXPECT_EQ(program.UniqueId(), FiveParams::kID);
    EXPECT_EQ(program.FxVersion(), 20000);
    EXPECT_EQ(program.program.numParams, 5);
    EXPECT_EQ(program.program.name, "second");
    const fxformat::File bank = ReadAsHost(fxb);
    ASSERT_TRUE(bank.isBank);
    EXPECT_EQ(bank.bank.numPrograms, 2);
    EXPECT_EQ(bank.bank.currentProgram, 1);
    if (chunks) {
      ByteChunk state;
      ASSERT_TRUE(e.GetStateChunkForHost(&state, false));
      EXPECT_EQ(program.Chunk(), Bytes(state));
      // The bank chunk is in the state layout the host walks: header, then each preset's head.
      const std::vector<unsigned char>& b = bank.Chunk();
      int32_t version = 0;
      int pos = fxformat::ReadStateHeader(b.data(), b.size(), 0, &version);
      EXPECT_EQ(version, fxformat::kFrameworkVersion);
      std::string name;
      bool initialized = false;
      pos = fxformat::ReadPresetHead(b.data(), b.size(), pos, &name, &initialized);
      ASSERT_GT(pos, 0);
      EXPECT_EQ(name, "first");
      EXPECT_TRUE(initialized);
      EXPECT_EQ(fxformat::ReadStateValues(b.data(), b.size(), size_t(pos), 5)[0], 27.5);
    } else {
      EXPECT_EQ(program.program.params, Normalized(e));
      ASSERT_EQ(bank.bank.programs.size(), 2u);
      EXPECT_EQ(bank.bank.programs[0].name, "first");
      EXPECT_EQ(bank.bank.programs[1].params, Normalized(e));
      EXPECT_EQ(bank.bank.programs[0].params[0], 0.5f);  // FADE 27.5 in 5..50
    }
  }
}

TEST(FxFormatAcross, FilesTheHostWritesLoadIntoThePlugin) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  for (bool chunks : {false, true}) {
    SCOPED_TRACE(chunks ? "chunk form" : "parameter form");
    // The source of the state, as the host gets it from a plug-in's dispatcher.
    OfflineHost<FiveParams> source(2, chunks);
    SetSound(source, 1);
    source.MakeDefaultPreset("kept", 2);
    ByteChunk programChunk, bankChunk;
    ASSERT_TRUE(source.GetStateChunkForHost(&programChunk, false));
    ASSERT_TRUE(source.GetStateChunkForHost(&bankChunk, true));

    fxformat::Program program;
    program.form = chunks ? fxformat::Form::kChunk : fxformat::Form::kParams;
    program.uniqueId = FiveParams::kID;
    program.numParams = 5;
    program.name = "from host";
    fxformat::Bank bank;
    bank.form = program.form;
    bank.uniqueId = FiveParams::kID;
    bank.numPrograms = 2;
    bank.currentProgram = 1;
    if (chunks) {
      program.chunk = Bytes(programChunk);
      bank.chunk = Bytes(bankChunk);
    } else {
      program.params = Normalized(source);
      bank.programs = {program, program};
      bank.programs[0].name = "slot a";
    }
    std::vector<unsigned char> fxp, fxb;
    ASSERT_TRUE(fxformat::WriteProgram(program, fxformat::ByteSize::kBytesAfterField, &fxp));
    ASSERT_TRUE(fxformat::WriteBank(bank, fxformat::ByteSize::kBytesAfterField, &fxb));
    EXPECT_EQ(fxp[7], static_cast<unsigned char>(fxp.size() - 8));
    const std::string fxpPath = dir.File(chunks ? "hc.fxp" : "hp.fxp"), fxbPath = dir.File(chunks ? "hc.fxb" : "hp.fxb");
    WriteFile(fxpPath, fxp);
    WriteFile(fxbPath, fxb);

    OfflineHost<FiveParams> a(2, chunks);
    a.EnsureDefaultPreset();
    ASSERT_TRUE(a.LoadProgramFromFXP(Path(fxpPath)));
    ExpectNearValues(a, source);
    EXPECT_STREQ(a.GetPresetName(0), "from host");

    OfflineHost<FiveParams> b(2, chunks);
    b.EnsureDefaultPreset();
    ASSERT_TRUE(b.LoadBankFromFXB(Path(fxbPath)));
    ExpectNearValues(b, source);
    EXPECT_STREQ(b.GetPresetName(0), chunks ? "kept" : "slot a");
    EXPECT_EQ(b.GetCurrentPresetIdx(), chunks ? 0 : 1);  // a chunk bank keeps the current slot
  }
}
