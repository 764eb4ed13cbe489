#include "kit/kitstring.h"

#include <cstring>

namespace {
int TextLength(const char* text, int maxLen) {
  if (!text) return 0;
  if (maxLen < 1) return static_cast<int>(strlen(text));
  const void* nul = memchr(text, 0, static_cast<size_t>(maxLen));
  return nul ? static_cast<int>(static_cast<const char*>(nul) - text) : maxLen;
}
}  // namespace

const char* KIT_String::Get() const {
  if (mBuf.GetSize() > 0) return static_cast<const char*>(mBuf.Get());
  static char sEmpty[1];
  if (sEmpty[0]) sEmpty[0] = 0;  // a caller may have written into it; only write when needed
  return sEmpty;
}

int KIT_String::GetLength() const {
  return mBuf.GetSize() > 0 ? static_cast<int>(strlen(static_cast<const char*>(mBuf.Get()))) : 0;
}

void KIT_String::Set(const char* text, int maxLen) { __doSet(0, text, TextLength(text, maxLen), 0); }

void KIT_String::Append(const char* text, int maxLen) {
  __doSet(GetLength(), text, TextLength(text, maxLen), 0);
}

void KIT_String::Insert(const char* text, int position, int maxLen) {
  const int length = GetLength();
  if (position < 0) position = 0;
  if (position > length) position = length;
  __doSet(position, text, TextLength(text, maxLen), length - position);
}

void KIT_String::SetLen(int n) {
  if (n < 0) return;
  char* buf = static_cast<char*>(mBuf.Resize(n + 1, false));
  if (buf && mBuf.GetSize() == n + 1) buf[n] = 0;
}

void KIT_String::DeleteSub(int position, int count) {
  char* buf = static_cast<char*>(mBuf.Get());
  if (!buf || !buf[0] || position < 0 || count <= 0) return;
  const int length = static_cast<int>(strlen(buf));
  if (position >= length) return;
  if (count > length - position) count = length - position;
  memmove(buf + position, buf + position + count, static_cast<size_t>(length - position - count + 1));
  mBuf.Resize(mBuf.GetSize() - count, false);
}

void KIT_String::__doSet(int offset, const char* text, int length, int keepTail) {
  if (offset == 0 && length == 0 && keepTail == 0) {
    char* buf = static_cast<char*>(mBuf.Resize(1, false));
    if (buf) buf[0] = 0;
    return;
  }
  if (offset < 0 || length <= 0 || keepTail < 0) return;

  const int oldSize = mBuf.GetSize();
  const long long wanted = static_cast<long long>(offset) + length + keepTail;
  if (wanted >= 0x7fffffffLL) return;
  const int newLength = static_cast<int>(wanted);

  const char* oldStart = static_cast<const char*>(mBuf.Get());
  const bool textIsOwn = text && oldStart && text >= oldStart && text < oldStart + oldSize;
  const ptrdiff_t textOffset = textIsOwn ? text - oldStart : 0;
  if (newLength >= oldSize) mBuf.Resize(newLength + 1, false);
  char* buf = static_cast<char*>(mBuf.Get());
  if (mBuf.GetSize() <= newLength) return;
  if (textIsOwn) text = buf + textOffset;

  if (keepTail > 0) memmove(buf + offset + length, buf + offset, static_cast<size_t>(keepTail));
  if (text) {
    if (textIsOwn && keepTail > 0 && textOffset + length > offset) {
      // Part of our own text sat in the tail that just moved up by length: copy the part before
      // the insertion point from where it was, the rest from where it went.
      const int before = textOffset < offset ? offset - static_cast<int>(textOffset) : 0;
      memmove(buf + offset, text, static_cast<size_t>(before));
      memmove(buf + offset + before, text + before + length, static_cast<size_t>(length - before));
    } else {
      memmove(buf + offset, text, static_cast<size_t>(length));
    }
  }
  buf[newLength] = 0;
  if (newLength + 1 < oldSize) mBuf.Resize(newLength + 1, false);
}
