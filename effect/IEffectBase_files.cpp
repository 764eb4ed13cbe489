// Program (FXP) and bank (FXB) files. Their integers and floats are big-endian; the state chunks
// they embed are the little-endian chunks the host exchanges, copied unchanged. Every field is
// read through ByteChunk::Get, so a short or corrupted file reads as absent fields, never past
// the buffer. Runs on the calling thread only.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "effect/IEffectBase.h"
#include "kit/ptrlist.h"

namespace {
constexpr uint32_t FourCC(const char (&code)[5]) {
  return (static_cast<uint32_t>(static_cast<unsigned char>(code[0])) << 24) |
         (static_cast<uint32_t>(static_cast<unsigned char>(code[1])) << 16) |
         (static_cast<uint32_t>(static_cast<unsigned char>(code[2])) << 8) |
         static_cast<uint32_t>(static_cast<unsigned char>(code[3]));
}

constexpr uint32_t kChunkMagicFX = FourCC("CcnK");
constexpr uint32_t kProgramParamsMagic = FourCC("FxCk");
constexpr uint32_t kProgramChunkMagic = FourCC("FPCh");
constexpr uint32_t kBankParamsMagic = FourCC("FxBk");
constexpr uint32_t kBankChunkMagic = FourCC("FBCh");
constexpr int kProgramFormatVersion = 1;
constexpr int kBankFormatVersion = 2;

// Offsets of the fields, shared by program files and the program records of a bank.
constexpr int kMagicOffset = 0;
constexpr int kFormOffset = 8;
constexpr int kFormatVersionOffset = 12;
constexpr int kEffectIDOffset = 16;
constexpr int kCountOffset = 24;
constexpr int kCurrentProgramOffset = 28;
constexpr int kProgramNameOffset = 28;
constexpr int kProgramNameLen = 28;
constexpr int kProgramHeaderSize = 56;
constexpr int kBankReservedLen = 124;
constexpr int kBankHeaderSize = 156;

void PutBE(ByteChunk* chunk, uint32_t value) {
  const unsigned char bytes[4] = {static_cast<unsigned char>(value >> 24),
                                  static_cast<unsigned char>(value >> 16),
                                  static_cast<unsigned char>(value >> 8),
                                  static_cast<unsigned char>(value)};
  chunk->PutBytes(bytes, 4);
}

void PutBEFloat(ByteChunk* chunk, float value) {
  uint32_t bits;
  memcpy(&bits, &value, sizeof bits);
  PutBE(chunk, bits);
}

// Returns the position after the field, or -1 (value untouched) when it is not there.
int GetBE(const ByteChunk& chunk, int pos, uint32_t* value) {
  unsigned char bytes[4];
  const int next = chunk.Get(&bytes, pos);
  if (next >= 0)
    *value = (static_cast<uint32_t>(bytes[0]) << 24) | (static_cast<uint32_t>(bytes[1]) << 16) |
             (static_cast<uint32_t>(bytes[2]) << 8) | static_cast<uint32_t>(bytes[3]);
  return next;
}

bool FieldIs(const ByteChunk& chunk, int pos, uint32_t expected) {
  uint32_t value = 0;
  return GetBE(chunk, pos, &value) >= 0 && value == expected;
}

// A normalised value from a file: out-of-range values are clamped, anything not a number is 0.
double FileValue(float value) {
  if (!(value >= 0.0f)) return 0.0;
  return value > 1.0f ? 1.0 : static_cast<double>(value);
}

// The name field: the name cut to 27 bytes (never inside a UTF-8 character), then zeros.
void PutNameField(ByteChunk* chunk, const char* name) {
  char field[kProgramNameLen] = {};
  CopyNameField(field, sizeof field, name, name ? strlen(name) : 0);
  chunk->PutBytes(field, kProgramNameLen);
}

// A field that is all text and no terminator gives its first 27 bytes; a file too short for the
// field gives the empty name.
void GetNameField(const ByteChunk& chunk, int pos, char (&name)[kProgramNameLen]) {
  name[0] = 0;
  if (pos < 0 || static_cast<long long>(pos) + kProgramNameLen > chunk.Size()) return;
  CopyNameField(name, sizeof name, reinterpret_cast<const char*>(chunk.GetBytes() + pos),
                kProgramNameLen);
}

bool ReadWholeFile(const KIT_String& path, ByteChunk* image) {
  if (path.GetLength() <= 0) return false;
  FILE* file = fopen(path.Get(), "rb");
  if (!file) return false;
  bool read = false;
  if (fseek(file, 0, SEEK_END) == 0) {
    const long length = ftell(file);
    if (length >= 0 && length <= 0x7fffffffL && fseek(file, 0, SEEK_SET) == 0) {
      const int size = static_cast<int>(length);
      if (image->Resize(size) == size)
        read = size == 0 || fread(image->GetBytes(), 1, static_cast<size_t>(size), file) ==
                                static_cast<size_t>(size);
    }
  }
  fclose(file);
  return read;
}

// What a bank can change: every slot and the live state. Put back when a bank fails half-way.
class BankBackup {
public:
  explicit BankBackup(IEffectBase* effect) : mEffect(effect) {
    mSaved = effect->SerializeState(&mLive);
    for (int i = 0; i < effect->NPresets(); ++i) {
      const IPreset* slot = effect->GetPreset(i);
      IPreset* copy = new IPreset;
      copy->mInitialized = slot->mInitialized;
      memcpy(copy->mName, slot->mName, sizeof copy->mName);
      copy->mChunk.PutChunk(&slot->mChunk);
      mSlots.Add(copy);
    }
  }
  ~BankBackup() { mSlots.Empty(true); }
  BankBackup(const BankBackup&) = delete;
  BankBackup& operator=(const BankBackup&) = delete;

  void Restore() {
    for (int i = 0; i < mSlots.GetSize() && i < mEffect->NPresets(); ++i) {
      IPreset* slot = mEffect->GetPreset(i);
      const IPreset* copy = mSlots.Get(i);
      slot->mInitialized = copy->mInitialized;
      memcpy(slot->mName, copy->mName, sizeof slot->mName);
      slot->mChunk.Clear();
      slot->mChunk.PutChunk(&copy->mChunk);
    }
    if (mSaved) mEffect->UnserializeState(&mLive, 0);
  }

private:
  IEffectBase* mEffect;
  ByteChunk mLive;
  bool mSaved = false;
  KIT_PtrList<IPreset> mSlots;
};

bool WriteWholeFile(const KIT_String& path, const ByteChunk& image) {
  FILE* file = fopen(path.Get(), "wb");
  if (!file) return false;
  const size_t size = static_cast<size_t>(image.Size());
  const bool written = size == 0 || fwrite(image.GetBytes(), 1, size, file) == size;
  return fclose(file) == 0 && written;
}
}  // namespace

bool IEffectBase::SaveProgramAsFXP(const KIT_String& path) {
  if (path.GetLength() <= 0) return false;
  ByteChunk state;
  if (mStateChunks) {
    InitChunkWithFrameworkVer(&state);
    if (!SerializeState(&state)) return false;
  }
  ByteChunk image;
  PutBE(&image, kChunkMagicFX);
  PutBE(&image, mStateChunks ? static_cast<uint32_t>(state.Size() + 60) : 0u);
  PutBE(&image, mStateChunks ? kProgramChunkMagic : kProgramParamsMagic);
  PutBE(&image, kProgramFormatVersion);
  PutBE(&image, static_cast<uint32_t>(mUniqueID));
  PutBE(&image, static_cast<uint32_t>(GetEffectVersion(true)));
  PutBE(&image, static_cast<uint32_t>(NParams()));
  PutNameField(&image, GetPresetName(mCurrentPresetIdx));
  if (mStateChunks) {
    PutBE(&image, static_cast<uint32_t>(state.Size()));
    image.PutChunk(&state);
  } else {
    KIT_MutexLock lock(mMutex);
    for (int i = 0; i < NParams(); ++i) PutBEFloat(&image, static_cast<float>(GetParam(i)->GetNormalized()));
  }
  return WriteWholeFile(path, image);
}

bool IEffectBase::SaveBankAsFXB(const KIT_String& path) {
  if (path.GetLength() <= 0) return false;
  ByteChunk bank;
  if (mStateChunks) {
    InitChunkWithFrameworkVer(&bank);
    if (!SerializePresets(&bank)) return false;
  }
  ByteChunk image;
  PutBE(&image, kChunkMagicFX);
  PutBE(&image, mStateChunks ? static_cast<uint32_t>(bank.Size() + 160) : 0u);
  PutBE(&image, mStateChunks ? kBankChunkMagic : kBankParamsMagic);
  PutBE(&image, kBankFormatVersion);
  PutBE(&image, static_cast<uint32_t>(mUniqueID));
  PutBE(&image, static_cast<uint32_t>(GetEffectVersion(true)));
  PutBE(&image, static_cast<uint32_t>(NPresets()));
  PutBE(&image, static_cast<uint32_t>(mCurrentPresetIdx));
  const unsigned char reserved[kBankReservedLen] = {};
  image.PutBytes(reserved, kBankReservedLen);

  if (mStateChunks) {
    PutBE(&image, static_cast<uint32_t>(bank.Size()));
    image.PutChunk(&bank);
    return WriteWholeFile(path, image);
  }
  for (int p = 0; p < NPresets(); ++p) {
    const IPreset* preset = mPresets.Get(p);
    PutBE(&image, kChunkMagicFX);
    PutBE(&image, 0u);
    PutBE(&image, kProgramParamsMagic);
    PutBE(&image, kProgramFormatVersion);
    PutBE(&image, static_cast<uint32_t>(mUniqueID));
    PutBE(&image, static_cast<uint32_t>(GetEffectVersion(true)));
    PutBE(&image, static_cast<uint32_t>(NParams()));
    PutNameField(&image, preset->mName);
    // The slot's stored values; where the chunk ends (an uninitialised slot) 0.0 stands in.
    int pos = 0;
    for (int i = 0; i < NParams(); ++i) {
      double value = 0.0;
      pos = preset->mChunk.Get(&value, pos);
      if (pos < 0) value = 0.0;
      PutBEFloat(&image, static_cast<float>(GetParam(i)->GetNormalized(value)));
    }
  }
  return WriteWholeFile(path, image);
}

bool IEffectBase::LoadProgramFromFXP(const KIT_String& path) {
  ByteChunk file;
  if (!ReadWholeFile(path, &file)) return false;
  if (!FieldIs(file, kMagicOffset, kChunkMagicFX) ||
      !FieldIs(file, kFormatVersionOffset, kProgramFormatVersion) ||
      !FieldIs(file, kEffectIDOffset, static_cast<uint32_t>(mUniqueID)))
    return false;
  uint32_t form = 0;
  if (GetBE(file, kFormOffset, &form) < 0) return false;
  char name[kProgramNameLen];
  GetNameField(file, kProgramNameOffset, name);

  if (form == kProgramChunkMagic && mStateChunks) {
    // The state may fail half-way; the live state is kept aside so a bad file changes nothing.
    ByteChunk before;
    const bool saved = SerializeState(&before);
    int pos = kProgramHeaderSize + 4;  // past the chunk size, which is not relied on
    GetFrameworkVerFromChunk(&file, &pos);
    if (pos < 0 || pos > file.Size() || UnserializeState(&file, pos) < 0) {
      if (saved) UnserializeState(&before, 0);
      return false;
    }
  } else if (form == kProgramParamsMagic) {
    const int n = NParams();
    if (static_cast<long long>(kProgramHeaderSize) + 4LL * n > file.Size()) return false;
    KIT_MutexLock lock(mMutex);
    for (int i = 0; i < n; ++i) {
      uint32_t bits = 0;
      GetBE(file, kProgramHeaderSize + 4 * i, &bits);
      float value;
      memcpy(&value, &bits, sizeof value);
      GetParam(i)->SetNormalized(FileValue(value));
    }
  } else {
    return false;
  }
  ModifyCurrentPreset(name);
  RestorePreset(mCurrentPresetIdx);
  InformHostOfProgramChange();
  return true;
}

bool IEffectBase::LoadBankFromFXB(const KIT_String& path) {
  ByteChunk file;
  if (!ReadWholeFile(path, &file)) return false;
  if (!FieldIs(file, kMagicOffset, kChunkMagicFX) ||
      !FieldIs(file, kEffectIDOffset, static_cast<uint32_t>(mUniqueID)))
    return false;
  uint32_t form = 0;
  if (GetBE(file, kFormOffset, &form) < 0) return false;

  if (form == kBankChunkMagic && mStateChunks) {
    int pos = kBankHeaderSize + 4;  // past the chunk size, which is not relied on
    GetFrameworkVerFromChunk(&file, &pos);
    if (pos < 0 || pos > file.Size()) return false;
    // A bank that breaks off half-way would leave some slots read and others not.
    BankBackup backup(this);
    if (UnserializePresets(&file, pos) < 0) {
      backup.Restore();
      return false;
    }
    InformHostOfProgramChange();
    return true;
  }
  if (form != kBankParamsMagic) return false;

  uint32_t count = 0, current = 0;
  if (GetBE(file, kCountOffset, &count) < 0 || GetBE(file, kCurrentProgramOffset, &current) < 0)
    return false;
  const int nPrograms = static_cast<int>(count);
  const int n = NParams();
  const long long recordSize = kProgramHeaderSize + 4LL * n;

  // Every record is checked before the first is applied, so a bad file changes nothing.
  for (int p = 0; p < nPrograms; ++p) {
    const long long pos = kBankHeaderSize + recordSize * p;
    if (pos + recordSize > file.Size()) return false;
    const int at = static_cast<int>(pos);
    if (!FieldIs(file, at + kFormatVersionOffset, kProgramFormatVersion) ||
        !FieldIs(file, at + kMagicOffset, kChunkMagicFX) ||
        !FieldIs(file, at + kFormOffset, kProgramParamsMagic) ||
        !FieldIs(file, at + kCountOffset, static_cast<uint32_t>(n)))
      return false;
  }

  for (int p = 0; p < nPrograms; ++p) {
    // Records beyond the slots have nowhere to go.
    if (p >= NPresets()) break;
    const int at = static_cast<int>(kBankHeaderSize + recordSize * p);
    if (!RestorePreset(p) || mCurrentPresetIdx != p) continue;
    char name[kProgramNameLen];
    GetNameField(file, at + kProgramNameOffset, name);
    {
      KIT_MutexLock lock(mMutex);
      for (int i = 0; i < n; ++i) {
        uint32_t bits = 0;
        GetBE(file, at + kProgramHeaderSize + 4 * i, &bits);
        float value;
        memcpy(&value, &bits, sizeof value);
        GetParam(i)->SetNormalized(FileValue(value));
      }
    }
    ModifyCurrentPreset(name);
  }
  RestorePreset(static_cast<int>(current));
  InformHostOfProgramChange();
  return true;
}
