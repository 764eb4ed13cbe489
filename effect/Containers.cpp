#include "effect/Containers.h"

#include <cstdint>

#include "kit/kitcstring.h"

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
  const int32_t magic = kChunkMagic, version = kFrameworkVersion;
  chunk->Put(&magic);
  chunk->Put(&version);
}

int GetFrameworkVerFromChunk(ByteChunk* chunk, int* pos) {
  int32_t magic = 0, version = 0;
  const int afterMagic = chunk->Get(&magic, *pos);
  if (afterMagic < 0 || magic != kChunkMagic) return 0;
  const int afterVersion = chunk->Get(&version, afterMagic);
  if (afterVersion < 0) {
    *pos = -1;
    return 0;
  }
  *pos = afterVersion;
  return version;
}

size_t CopyNameField(char* dst, size_t dstSize, const char* src, size_t srcMax) {
  size_t n = KIT_CopyStringN(dst, dstSize, src, srcMax);
  const bool cut = src && n < srcMax && src[n] != 0;
  if (!cut) return n;
  // Walk back over at most three continuation bytes to the lead byte of the last sequence.
  size_t lead = n;
  while (lead > 0 && n - lead < 3 && (static_cast<unsigned char>(dst[lead - 1]) & 0xC0) == 0x80) --lead;
  if (lead == 0) return n;
  const unsigned char c = static_cast<unsigned char>(dst[lead - 1]);
  const size_t seqLen = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
  if (seqLen > 1 && n - (lead - 1) < seqLen) {
    n = lead - 1;
    dst[n] = 0;
  }
  return n;
}
