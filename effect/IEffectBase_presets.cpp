// Presets of the plug-in base: the bank layout, the chunk exchange with hosts, the slots filled at
// construction and by hosts, and the developer dumps of presets as source text.
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "effect/IEffectBase.h"
#include "kit/base64encdec.h"
#include "kit/heapbuf.h"
#include "kit/numtext.h"

namespace {
// Marks the entries of a named-parameter preset that no pair set.
constexpr double kUnsetParamValue = 9.999e-08;
constexpr const char* kUserPresetName = "user preset";

void CopyPresetName(IPreset* preset, const char* name) {
  CopyNameField(preset->mName, sizeof preset->mName, name, name ? strlen(name) : 0);
}

// The value of the next variadic argument, read with the type its parameter is declared with.
double NextParamValue(const IParam* param, va_list* args) {
  switch (param->Type()) {
    case IParam::kTypeBool:
    case IParam::kTypeInt:
    case IParam::kTypeEnum: return static_cast<double>(va_arg(*args, int));
    default: return va_arg(*args, double);
  }
}

// Base64 of a chunk; the text grows with the chunk.
void EncodeChunk(const ByteChunk* chunk, KIT_TypedBuf<char>* text) {
  const size_t size = KIT_Base64EncodedSize(static_cast<size_t>(chunk->Size()));
  text->Resize(static_cast<int>(size));
  if (text->GetSize() != static_cast<int>(size) || size == 0) {
    text->Resize(1);
    if (text->Get()) text->Get()[0] = 0;
    return;
  }
  KIT_Base64Encode(chunk->GetBytes(), static_cast<size_t>(chunk->Size()), text->Get(), size);
}

void WriteBlobCall(FILE* file, const char* name, const ByteChunk* chunk) {
  KIT_TypedBuf<char> text;
  EncodeChunk(chunk, &text);
  fprintf(file, "MakePresetFromBlob(\"%s\", \"", name);
  fputs(text.Get() ? text.Get() : "", file);
  fprintf(file, "\", %i);\n", chunk->Size());
}
}  // namespace

IPreset* GetNextUninitializedPreset(KIT_PtrList<IPreset>* presets) {
  for (int i = 0; i < presets->GetSize(); ++i) {
    IPreset* preset = presets->Get(i);
    if (!preset->mInitialized) return preset;
  }
  return nullptr;
}

void MakeDefaultUserPresetName(KIT_PtrList<IPreset>* presets, char* out) {
  int count = 0;
  for (int i = 0; i < presets->GetSize(); ++i)
    if (strstr(presets->Get(i)->mName, kUserPresetName)) ++count;
  snprintf(out, 32, "%s %d", kUserPresetName, count + 1);
}

void IEffectBase::InitPresetSlot(IPreset* preset, const char* name) {
  preset->mInitialized = true;
  CopyPresetName(preset, name ? name : "Empty");
}

bool IEffectBase::SerializePresets(ByteChunk* chunk) {
  bool saved = true;
  for (int i = 0; i < NPresets() && saved; ++i) {
    const IPreset* preset = mPresets.Get(i);
    const long long length = static_cast<long long>(strlen(preset->mName));
    long long expected = static_cast<long long>(chunk->Size()) + 4 + length + 1;
    chunk->PutStr(preset->mName);
    chunk->PutBool(preset->mInitialized);
    if (preset->mInitialized) {
      expected += preset->mChunk.Size();
      chunk->PutChunk(&preset->mChunk);
    }
    // A put that could not grow the chunk leaves it short.
    saved = chunk->Size() == expected && chunk->Size() > 0;
  }
  return saved;
}

int IEffectBase::UnserializePresets(ByteChunk* chunk, int startPos) {
  int pos = startPos;
  KIT_String name;
  for (int i = 0; i < NPresets() && pos >= 0; ++i) {
    IPreset* preset = mPresets.Get(i);
    pos = chunk->GetStr(&name, pos);
    // A name that could not be read leaves the slot's name as it was.
    if (pos < 0 || pos > chunk->Size()) {
      pos = -1;
      break;
    }
    CopyPresetName(preset, name.Get());
    bool initialized = false;
    pos = chunk->GetBool(&initialized, pos);
    if (pos < 0) break;
    preset->mInitialized = initialized;
    // A slot the bank leaves empty holds no stale state either.
    if (!initialized) preset->mChunk.Clear();
    if (preset->mInitialized) {
      pos = UnserializeState(chunk, pos);
      if (pos > 0) {
        preset->mChunk.Clear();
        SerializeState(&preset->mChunk);
      }
    }
  }
  RestorePreset(mCurrentPresetIdx);
  return pos;
}

bool IEffectBase::GetStateChunkForHost(ByteChunk* chunk, bool isBank) {
  InitChunkWithFrameworkVer(chunk);
  bool saved;
  if (isBank) {
    ModifyCurrentPreset();
    saved = SerializePresets(chunk);
  } else {
    saved = SerializeState(chunk);
  }
  return saved && chunk->Size() > 0;
}

bool IEffectBase::SetStateChunkFromHost(ByteChunk* chunk, bool isBank) {
  int pos = 0;
  const int version = GetFrameworkVerFromChunk(chunk, &pos);
  if (isBank && version >= kFrameworkVersion) {
    pos = UnserializePresets(chunk, pos);
  } else {
    pos = UnserializeState(chunk, pos);
    ModifyCurrentPreset();
  }
  if (pos < 0) return false;
  RedrawParamControls();
  return true;
}

void IEffectBase::MakeDefaultPreset(const char* name, int nPresets) {
  for (int i = 0; i < nPresets; ++i) {
    IPreset* preset = GetNextUninitializedPreset(&mPresets);
    if (!preset) return;
    InitPresetSlot(preset, name);
    preset->mChunk.Clear();
    SerializeState(&preset->mChunk);
  }
}

void IEffectBase::MakePreset(const char* name, ...) {
  IPreset* preset = GetNextUninitializedPreset(&mPresets);
  if (!preset) return;
  InitPresetSlot(preset, name);
  preset->mChunk.Clear();
  va_list args;
  va_start(args, name);
  for (int i = 0; i < NParams(); ++i) {
    const double value = NextParamValue(GetParam(i), &args);
    preset->mChunk.Put(&value);
  }
  va_end(args);
}

void IEffectBase::MakePresetFromNamedParams(const char* name, int nParamsNamed, ...) {
  IPreset* preset = GetNextUninitializedPreset(&mPresets);
  if (!preset) return;
  InitPresetSlot(preset, name);
  preset->mChunk.Clear();

  const int n = NParams();
  KIT_TypedBuf<double> values;
  values.Resize(n);
  if (values.GetSize() != n) return;
  for (int i = 0; i < n; ++i) values.Get()[i] = kUnsetParamValue;

  va_list args;
  va_start(args, nParamsNamed);
  for (int i = 0; i < nParamsNamed; ++i) {
    const int paramIdx = va_arg(args, int);
    // Past an unknown index the type of the value that follows is unknown too.
    if (paramIdx < 0 || paramIdx >= n) break;
    values.Get()[paramIdx] = NextParamValue(GetParam(paramIdx), &args);
  }
  va_end(args);

  for (int i = 0; i < n; ++i) {
    double value = values.Get()[i];
    if (value == kUnsetParamValue) value = GetParam(i)->Value();
    preset->mChunk.Put(&value);
  }
}

void IEffectBase::MakePresetFromChunk(const char* name, ByteChunk* chunk) {
  IPreset* preset = GetNextUninitializedPreset(&mPresets);
  if (!preset) return;
  InitPresetSlot(preset, name);
  preset->mChunk.Clear();
  preset->mChunk.PutChunk(chunk);
}

void IEffectBase::MakePresetFromBlob(const char* name, const char* blob, int sizeOfChunk) {
  ByteChunk chunk;
  if (sizeOfChunk > 0 && chunk.Resize(sizeOfChunk) == sizeOfChunk && blob)
    KIT_Base64Decode(blob, chunk.GetBytes(), static_cast<size_t>(sizeOfChunk));
  MakePresetFromChunk(name, &chunk);
}

void IEffectBase::EnsureDefaultPreset() { MakeDefaultPreset("Empty", NPresets()); }

void IEffectBase::PruneUninitializedPresets() {
  for (int i = 0; i < mPresets.GetSize();) {
    if (mPresets.Get(i)->mInitialized)
      ++i;
    else
      mPresets.Delete(i, true);
  }
}

bool IEffectBase::RestorePreset(int idx) {
  IPreset* preset = mPresets.Get(idx);
  if (!preset) return false;
  if (!preset->mInitialized) {
    char name[32];
    MakeDefaultUserPresetName(&mPresets, name);
    preset->mInitialized = true;
    CopyPresetName(preset, name);
    preset->mChunk.Clear();
    if (!SerializeState(&preset->mChunk)) return false;
  } else {
    const int pos = UnserializeState(&preset->mChunk, 0);
    // An empty state (an effect without parameters) is read by reading nothing.
    if (pos < 0 || (pos == 0 && preset->mChunk.Size() > 0)) return false;
  }
  mCurrentPresetIdx = idx;
  PresetsChangedByHost();
  RedrawParamControls();
  return true;
}

bool IEffectBase::RestorePreset(const char* name) {
  if (!name || !name[0]) return false;
  for (int i = 0; i < NPresets(); ++i)
    if (strcmp(mPresets.Get(i)->mName, name) == 0) return RestorePreset(i);
  return false;
}

const char* IEffectBase::GetPresetName(int idx) const {
  const IPreset* preset = mPresets.Get(idx);
  return preset ? preset->mName : "";
}

void IEffectBase::ModifyCurrentPreset(const char* name) {
  IPreset* preset = mPresets.Get(mCurrentPresetIdx);
  if (!preset) return;
  preset->mChunk.Clear();
  SerializeState(&preset->mChunk);
  if (name && name[0]) CopyPresetName(preset, name);
}

void IEffectBase::DirtyParameters() {
  KIT_MutexLock lock(mMutex);
  for (int i = 0; i < NParams(); ++i) InformHostOfParamChange(i, GetParam(i)->GetNormalized());
}

void IEffectBase::DumpPresetSrcCode(const char* filename, const char* paramEnumNames[]) {
  FILE* file = filename ? fopen(filename, "w") : nullptr;
  if (!file) return;
  fprintf(file, "  MakePresetFromNamedParams(\"name\", %d", NParams());
  for (int i = 0; i < NParams(); ++i) {
    const IParam* param = GetParam(i);
    char value[32];
    switch (param->Type()) {
      case IParam::kTypeBool: snprintf(value, sizeof value, "%s", param->Bool() ? "true" : "false"); break;
      case IParam::kTypeInt:
      case IParam::kTypeEnum: snprintf(value, sizeof value, "%d", param->Int()); break;
      default: KIT_FormatNumber(value, sizeof value, "%.6f", param->Value()); break;
    }
    const char* paramName = paramEnumNames && paramEnumNames[i] ? paramEnumNames[i] : "";
    fprintf(file, ",\n    %s, %s", paramName, value);
  }
  fprintf(file, ");\n");
  fclose(file);
}

void IEffectBase::DumpPresetBlob(const char* filename) {
  FILE* file = filename ? fopen(filename, "w") : nullptr;
  if (!file) return;
  const IPreset* preset = mPresets.Get(mCurrentPresetIdx);
  if (preset) {
    WriteBlobCall(file, "name", &preset->mChunk);
  } else {
    // No current slot: the call for an empty preset, so the text still compiles.
    fprintf(file, "MakePresetFromBlob(\"name\", \"\", 0);\n");
  }
  fclose(file);
}

void IEffectBase::DumpBankBlob(const char* filename) {
  FILE* file = filename ? fopen(filename, "w") : nullptr;
  if (!file) return;
  for (int i = 0; i < NPresets(); ++i) WriteBlobCall(file, mPresets.Get(i)->mName, &mPresets.Get(i)->mChunk);
  fclose(file);
}
