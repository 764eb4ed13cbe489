// Program (FXP) and bank (FXB) files: the plug-in's side of them. The bytes are fxformat's; here
// the records are filled from the parameters and presets and applied back to them. Runs on the
// calling thread only.
#include <cstdio>
#include <cstring>
#include <vector>

#include "effect/IEffectBase.h"
#include "effect/fxformat/fxformat.h"
#include "kit/ptrlist.h"

namespace {
// A normalised value from a file: out-of-range values are clamped, anything not a number is 0.
double FileValue(float value) {
  if (!(value >= 0.0f)) return 0.0;
  return value > 1.0f ? 1.0 : static_cast<double>(value);
}

std::vector<unsigned char> BytesOf(const ByteChunk& chunk) {
  return std::vector<unsigned char>(chunk.GetBytes(), chunk.GetBytes() + chunk.Size());
}

void FillChunk(ByteChunk* chunk, const std::vector<unsigned char>& bytes) {
  chunk->Clear();
  chunk->PutBytes(bytes.data(), static_cast<int>(bytes.size()));
}

// State chunks inside files may come without the version header; its version is not used.
int StateStart(ByteChunk* state) {
  int pos = 0;
  GetFrameworkVerFromChunk(state, &pos);
  return pos;
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

bool WriteWholeFile(const KIT_String& path, const std::vector<unsigned char>& image) {
  FILE* file = fopen(path.Get(), "wb");
  if (!file) return false;
  const bool written = image.empty() || fwrite(image.data(), 1, image.size(), file) == image.size();
  return fclose(file) == 0 && written;
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
}  // namespace

bool IEffectBase::SaveProgramAsFXP(const KIT_String& path) {
  if (path.GetLength() <= 0) return false;
  fxformat::Program program;
  program.form = mStateChunks ? fxformat::Form::kChunk : fxformat::Form::kParams;
  program.uniqueId = mUniqueID;
  program.fxVersion = GetEffectVersion(true);
  program.numParams = NParams();
  program.name = GetPresetName(mCurrentPresetIdx);
  if (mStateChunks) {
    ByteChunk state;
    InitChunkWithFrameworkVer(&state);
    if (!SerializeState(&state)) return false;
    program.chunk = BytesOf(state);
  } else {
    KIT_MutexLock lock(mMutex);
    for (int i = 0; i < NParams(); ++i) program.params.push_back(static_cast<float>(GetParam(i)->GetNormalized()));
  }
  std::vector<unsigned char> image;
  return fxformat::WriteProgram(program, fxformat::ByteSize::kWholeFileForChunks, &image) &&
         WriteWholeFile(path, image);
}

bool IEffectBase::SaveBankAsFXB(const KIT_String& path) {
  if (path.GetLength() <= 0) return false;
  fxformat::Bank bank;
  bank.form = mStateChunks ? fxformat::Form::kChunk : fxformat::Form::kParams;
  bank.uniqueId = mUniqueID;
  bank.fxVersion = GetEffectVersion(true);
  bank.numPrograms = NPresets();
  bank.currentProgram = mCurrentPresetIdx;
  if (mStateChunks) {
    ByteChunk presets;
    InitChunkWithFrameworkVer(&presets);
    if (!SerializePresets(&presets)) return false;
    bank.chunk = BytesOf(presets);
  } else {
    bank.programs.resize(static_cast<size_t>(NPresets()));
    for (int p = 0; p < NPresets(); ++p) {
      const IPreset* preset = mPresets.Get(p);
      fxformat::Program& record = bank.programs[static_cast<size_t>(p)];
      record.name = preset->mName;
      // The slot's stored values; where the chunk ends (an uninitialised slot) 0.0 stands in.
      int pos = 0;
      for (int i = 0; i < NParams(); ++i) {
        double value = 0.0;
        pos = preset->mChunk.Get(&value, pos);
        if (pos < 0) value = 0.0;
        record.params.push_back(static_cast<float>(GetParam(i)->GetNormalized(value)));
      }
    }
  }
  std::vector<unsigned char> image;
  return fxformat::WriteBank(bank, fxformat::ByteSize::kWholeFileForChunks, &image) &&
         WriteWholeFile(path, image);
}

bool IEffectBase::LoadProgramFromFXP(const KIT_String& path) {
  ByteChunk file;
  fxformat::Program program;
  if (!ReadWholeFile(path, &file) ||
      !fxformat::ReadProgram(file.GetBytes(), static_cast<size_t>(file.Size()), fxformat::Reading::kLenient,
                             &program, nullptr) ||
      program.formatVersion != fxformat::kProgramFormatVersion || program.uniqueId != mUniqueID)
    return false;

  if (program.form == fxformat::Form::kChunk) {
    if (!mStateChunks) return false;
    // The state may fail half-way; the live state is kept aside so a bad file changes nothing.
    ByteChunk before, state;
    const bool saved = SerializeState(&before);
    FillChunk(&state, program.chunk);
    const int pos = StateStart(&state);
    if (pos < 0 || UnserializeState(&state, pos) < 0) {
      if (saved) UnserializeState(&before, 0);
      return false;
    }
  } else {
    const int n = NParams();
    if (program.params.size() < static_cast<size_t>(n)) return false;
    KIT_MutexLock lock(mMutex);
    for (int i = 0; i < n; ++i) GetParam(i)->SetNormalized(FileValue(program.params[static_cast<size_t>(i)]));
  }
  ModifyCurrentPreset(program.name.c_str());
  RestorePreset(mCurrentPresetIdx);
  InformHostOfProgramChange();
  return true;
}

bool IEffectBase::LoadBankFromFXB(const KIT_String& path) {
  ByteChunk file;
  fxformat::Bank bank;
  if (!ReadWholeFile(path, &file) ||
      !fxformat::ReadBank(file.GetBytes(), static_cast<size_t>(file.Size()), fxformat::Reading::kLenient, &bank,
                          nullptr) ||
      bank.uniqueId != mUniqueID)
    return false;

  if (bank.form == fxformat::Form::kChunk) {
    if (!mStateChunks) return false;
    ByteChunk state;
    FillChunk(&state, bank.chunk);
    const int pos = StateStart(&state);
    if (pos < 0) return false;
    // A bank that breaks off half-way would leave some slots read and others not.
    BankBackup backup(this);
    if (UnserializePresets(&state, pos) < 0) {
      backup.Restore();
      return false;
    }
    InformHostOfProgramChange();
    return true;
  }

  // Every record is checked before the first is applied, so a bad file changes nothing.
  const int n = NParams();
  for (const fxformat::Program& record : bank.programs)
    if (record.formatVersion != fxformat::kProgramFormatVersion || record.numParams != n) return false;

  for (int p = 0; p < static_cast<int>(bank.programs.size()); ++p) {
    // Records beyond the slots have nowhere to go.
    if (p >= NPresets()) break;
    if (!RestorePreset(p) || mCurrentPresetIdx != p) continue;
    const fxformat::Program& record = bank.programs[static_cast<size_t>(p)];
    {
      KIT_MutexLock lock(mMutex);
      for (int i = 0; i < n; ++i) GetParam(i)->SetNormalized(FileValue(record.params[static_cast<size_t>(i)]));
    }
    ModifyCurrentPreset(record.name.c_str());
  }
  RestorePreset(bank.currentProgram);
  InformHostOfProgramChange();
  return true;
}
