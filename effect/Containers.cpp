#include "effect/Containers.h"

#include <cstdint>

int ByteChunk::PutBytes(const void* data, int n) {
  const int size = Size();
  if (n <= 0 || !data) return size;
  if (static_cast<long long>(size) + n > 0x7fffffffLL) return size;
  unsigned char* bytes = mBytes.Resize(size + n);
  if (mBytes.GetSize() != size + n) return size;
  memcpy(bytes + size, data, static_cast<size_t>(n));
  return size + n;
}

int ByteChunk::PutStr(const char* text) {
  const size_t length = text ? strlen(text) : 0;
  const int32_t n = length > 0x7fffff00u ? 0 : static_cast<int32_t>(length);
  Put(&n);
  return PutBytes(text, n);
}

int ByteChunk::GetStr(KIT_String* text, int startPos) const {
  int32_t length = 0;
  const int pos = Get(&length, startPos);
  if (pos < 0 || length < 0) return -1;
  const long long endPos = static_cast<long long>(pos) + length;
  if (endPos > 0x7fffffffLL) return 0x7fffffff;  // beyond any chunk: the next read fails
  if (endPos <= Size()) {
    if (length == 0)
      text->Set("");
    else
      text->Set(reinterpret_cast<const char*>(GetBytes() + pos), length);
  }
  return static_cast<int>(endPos);
}

int ByteChunk::Resize(int newSize) {
  const int size = Size();
  if (newSize < 0) newSize = 0;
  unsigned char* bytes = mBytes.Resize(newSize);
  if (bytes && mBytes.GetSize() == newSize && newSize > size)
    memset(bytes + size, 0, static_cast<size_t>(newSize - size));
  return Size();
}

void InitChunkWithFrameworkVer(ByteChunk* chunk) {
  chunk->Clear();
  unsigned char header[fxformat::kStateHeaderSize];
  fxformat::WriteStateHeader(header);
  chunk->PutBytes(header, fxformat::kStateHeaderSize);
}

int GetFrameworkVerFromChunk(ByteChunk* chunk, int* pos) {
  int32_t version = 0;
  const int next = fxformat::ReadStateHeader(chunk->GetBytes(), static_cast<size_t>(chunk->Size()), *pos, &version);
  if (next == *pos) return 0;
  *pos = next;
  return next < 0 ? 0 : version;
}
