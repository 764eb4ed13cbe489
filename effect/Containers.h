#pragma once
// Serialised state: a growable byte buffer with typed little-endian Put/Get, and preset slots.
#include <cstring>

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
  template <class T> int Get(T* value, int startPos) const {
    const int endPos = startPos + static_cast<int>(sizeof(T));
    if (startPos < 0 || endPos > Size() || endPos < startPos) return -1;
    memcpy(value, mBytes.Get() + startPos, sizeof(T));
    return endPos;
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

  int PutStr(const char* text);
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
