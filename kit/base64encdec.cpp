#include "kit/base64encdec.h"

#include <cstdint>

namespace {
const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int DecodeChar(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}
}  // namespace

size_t KIT_Base64EncodedSize(size_t n) { return (n + 2) / 3 * 4 + 1; }

size_t KIT_Base64Encode(const void* data, size_t n, char* text, size_t textSize) {
  if (!text || textSize == 0) return 0;
  const uint8_t* in = static_cast<const uint8_t*>(data);
  size_t length = 0;
  for (size_t i = 0; i < n && length + 4 < textSize; i += 3) {
    const size_t left = n - i;
    const uint32_t group = (uint32_t(in[i]) << 16) | (left > 1 ? uint32_t(in[i + 1]) << 8 : 0) |
                           (left > 2 ? uint32_t(in[i + 2]) : 0);
    text[length++] = kAlphabet[(group >> 18) & 63];
    text[length++] = kAlphabet[(group >> 12) & 63];
    text[length++] = left > 1 ? kAlphabet[(group >> 6) & 63] : '=';
    text[length++] = left > 2 ? kAlphabet[group & 63] : '=';
  }
  text[length] = 0;
  return length;
}

size_t KIT_Base64Decode(const char* text, void* out, size_t maxBytes) {
  if (!text || !out) return 0;
  uint8_t* bytes = static_cast<uint8_t*>(out);
  size_t written = 0;
  uint32_t bits = 0;
  int bitCount = 0;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); written < maxBytes; ++p) {
    const int value = DecodeChar(*p);
    if (value < 0) break;
    bits = (bits << 6) | static_cast<uint32_t>(value);
    bitCount += 6;
    if (bitCount >= 8) {
      bitCount -= 8;
      bytes[written++] = static_cast<uint8_t>(bits >> bitCount);
      bits &= (1u << bitCount) - 1;
    }
  }
  return written;
}
