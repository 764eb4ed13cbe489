#pragma once
// Serialised state: a growable byte buffer with typed little-endian Put/Get, preset slots, the
// version header that opens a state chunk, and the bounded copy used for fixed name fields.
#include <cstddef>
#include <cstring>

#include "effect/fxformat/fxformat.h"
#include "kit/heapbuf.h"
#include "kit/kitstring.h"

class ByteChunk {
public:
  ByteChunk() = default;
  ByteChunk(const ByteChunk&) = delete;
  ByteChunk& operator=(const ByteChunk&) = delete;

  // Appends sizeof(T) bytes of *value; returns the new size (unchanged when growth failed).
  template <class T> int Put(const T* value) { return PutBytes(value, static_cast<int>(sizeof(T))); }

  // Copies a value out at startPos; returns the position after it, or -1 (target untouched).
  // Positions come from data (GetStr can return one past the end), so the sum is formed wide.
  template <class T> int Get(T* value, int startPos) const {
    const long long endPos = static_cast<long long>(startPos) + static_cast<long long>(sizeof(T));
    if (startPos < 0 || endPos > Size()) return -1;
    memcpy(value, mBytes.Get() + startPos, sizeof(T));
    return static_cast<int>(endPos);
  }

  int PutBool(bool value) {
    const unsigned char byte = value ? 1 : 0;
    return Put(&byte);
  }
  int GetBool(bool* value, int startPos) const {
    unsigned char byte = 0;
    const int pos = Get(&byte, startPos);
    if (pos >= 0) *value = byte != 0;
    return pos;
  }

  // An int32 length, then the bytes without terminator.
  int PutStr(const char* text);
  // Returns the position after the text even when it runs past the end (the target is then left
  // alone and the next read fails); -1 when the length cannot be read or is negative.
  int GetStr(KIT_String* text, int startPos) const;

  int PutBytes(const void* data, int n);
  int PutChunk(const ByteChunk* other) { return PutBytes(other->GetBytes(), other->Size()); }

  int Size() const { return mBytes.GetSize(); }
  unsigned char* GetBytes() const { return mBytes.Get(); }
  void Clear() { mBytes.Resize(0, true); }
  // Bytes added at the end are zero; returns the new size.
  int Resize(int newSize);

  bool IsEqual(const ByteChunk& other) const {
    return Size() == other.Size() && (Size() == 0 || memcmp(GetBytes(), other.GetBytes(), Size()) == 0);
  }

private:
  KIT_TypedBuf<unsigned char> mBytes;
};

struct IPreset {
  static constexpr int kNameLen = 256;  // 255 characters and the terminator

  IPreset() { strcpy(mName, "empty"); }
  IPreset(const IPreset&) = delete;
  IPreset& operator=(const IPreset&) = delete;

  bool mInitialized = false;
  char mName[kNameLen];
  ByteChunk mChunk;
};

// The header that opens a state chunk: "tffp" as a little-endian int32, then the framework version.
constexpr int kChunkMagic = fxformat::kStateMagic;
constexpr int kFrameworkVersion = fxformat::kFrameworkVersion;

// Clears the chunk and writes the header.
void InitChunkWithFrameworkVer(ByteChunk* chunk);
// The framework version at *pos, advancing *pos past the header. Returns 0 and leaves *pos alone
// when there is no header there; sets *pos to -1 when the magic is there without a version.
int GetFrameworkVerFromChunk(ByteChunk* chunk, int* pos);

// The bounded, UTF-8-safe copy into fixed name fields that preset slots share with the files.
using fxformat::CopyNameField;
