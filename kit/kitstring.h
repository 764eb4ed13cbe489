#pragma once
// Owned NUL-terminated byte string. Its size is 0 (nothing written yet) or the length plus one.
#include "kit/heapbuf.h"

class KIT_String {
public:
  KIT_String() = default;
  explicit KIT_String(const char* text, int maxLen = 0) { Set(text, maxLen); }

  const char* Get() const;
  char* GetWritable() { return static_cast<char*>(mBuf.Get()); }
  int GetLength() const;
  int GetSize() const { return mBuf.GetSize(); }

  // maxLen < 1 takes the whole text; otherwise at most maxLen bytes before the first NUL.
  void Set(const char* text, int maxLen = 0);
  void Append(const char* text, int maxLen = 0);
  void Insert(const char* text, int position, int maxLen = 0);
  void SetLen(int n);
  void DeleteSub(int position, int count);

private:
  // Writes length bytes of text at offset, first moving keepTail bytes at offset up past them.
  // Text may point into this string's own buffer.
  void __doSet(int offset, const char* text, int length, int keepTail);

  KIT_HeapBuf mBuf{128};
};
