// The state chunk layout: its version header, the preset heads of a bank, the values of a
// program. Little-endian, as the host's processor stores them.
#include <algorithm>
#include <cstring>

#include "effect/fxformat/fxformat.h"

namespace fxformat {
namespace {

void StoreLE32(unsigned char* out, int32_t value) {
  const uint32_t bits = static_cast<uint32_t>(value);
  for (int i = 0; i < 4; ++i) out[i] = static_cast<unsigned char>(bits >> (8 * i));
}

// The int32 at pos, when all four bytes are there. Positions come from data, so the end is
// formed wide.
bool LoadLE32(const unsigned char* data, size_t size, int pos, int32_t* value) {
  if (pos < 0 || static_cast<unsigned long long>(pos) + 4 > size) return false;
  uint32_t bits = 0;
  for (int i = 3; i >= 0; --i) bits = (bits << 8) | data[pos + i];
  *value = static_cast<int32_t>(bits);
  return true;
}

}  // namespace

void WriteStateHeader(unsigned char* out, int32_t version) {
  StoreLE32(out, kStateMagic);
  StoreLE32(out + 4, version);
}

int ReadStateHeader(const unsigned char* data, size_t size, int pos, int32_t* version) {
  int32_t magic = 0;
  if (!LoadLE32(data, size, pos, &magic) || magic != kStateMagic) return pos;
  return LoadLE32(data, size, pos + 4, version) ? pos + kStateHeaderSize : -1;
}

int ReadPresetHead(const unsigned char* data, size_t size, int pos, std::string* name, bool* initialized) {
  int32_t length = 0;
  if (!LoadLE32(data, size, pos, &length) || length < 0) return -1;
  const unsigned long long flagAt = static_cast<unsigned long long>(pos) + 4 + static_cast<unsigned long long>(length);
  if (flagAt >= size) return -1;
  const char* text = reinterpret_cast<const char*>(data + pos + 4);
  name->assign(text, strnlen(text, static_cast<size_t>(length)));
  *initialized = data[flagAt] != 0;
  return static_cast<int>(flagAt + 1);
}

std::vector<double> ReadStateValues(const unsigned char* data, size_t size, size_t pos, size_t maxCount) {
  std::vector<double> values;
  if (pos > size) return values;
  const size_t count = std::min(maxCount, (size - pos) / sizeof(double));
  values.resize(count);
  if (count > 0) memcpy(values.data(), data + pos, count * sizeof(double));
  return values;
}

}  // namespace fxformat
