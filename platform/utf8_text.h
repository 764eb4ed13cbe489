#pragma once
// The little UTF-8 the text field and the clipboard need: walking characters in a byte string,
// counting them, and encoding and decoding code points. Malformed bytes count as characters of
// their own, so that every byte offset these return lies on a boundary the next call accepts.
#include <cstddef>
#include <string>

inline bool IsUtf8Continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// The offset of the character after (or before) the one at pos.
inline size_t NextUtf8Char(const std::string& s, size_t pos) {
  if (pos >= s.size()) return s.size();
  const size_t start = pos++;
  while (pos < s.size() && pos - start < 4 && IsUtf8Continuation(static_cast<unsigned char>(s[pos]))) ++pos;
  return pos;
}

inline size_t PrevUtf8Char(const std::string& s, size_t pos) {
  if (pos == 0) return 0;
  size_t p = pos - 1;
  while (p > 0 && pos - p < 4 && IsUtf8Continuation(static_cast<unsigned char>(s[p]))) --p;
  return p;
}

inline size_t CountUtf8Chars(const std::string& s) {
  size_t n = 0;
  for (size_t pos = 0; pos < s.size(); pos = NextUtf8Char(s, pos)) ++n;
  return n;
}

// The code point of the character at pos; a malformed sequence gives its first byte.
inline char32_t Utf8CharAt(const std::string& s, size_t pos) {
  const size_t end = NextUtf8Char(s, pos);
  const unsigned char lead = static_cast<unsigned char>(s[pos]);
  const size_t n = end - pos;
  if (n == 1) return lead;
  char32_t c = lead & (0x7F >> n);
  for (size_t i = pos + 1; i < end; ++i) c = (c << 6) | (static_cast<unsigned char>(s[i]) & 0x3F);
  return c;
}

inline void AppendUtf8(std::string* out, char32_t c) {
  if (c < 0x80) {
    out->push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (c >> 6)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (c >> 12)));
    out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (c >> 18)));
    out->push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}
