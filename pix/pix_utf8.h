#pragma once
// The UTF-8 decoding the raster text uses: two- and three-byte characters give their 16-bit
// code, four-byte ones are consumed whole as a space, and anything malformed is taken one byte
// at a time as its own value.

// Decodes the character at s, reading at most avail bytes (avail < 0: up to the zero byte).
// Returns the code and stores the bytes used in *used (at least 1).
inline int PIX_Utf8Char(const char* s, int avail, int* used) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(s);
  auto cont = [&](int i) { return (avail < 0 || i < avail) && p[i] >= 0x80 && p[i] <= 0xBF; };
  const int c = p[0];
  if (c >= 0xC2 && c <= 0xDF && cont(1)) {
    *used = 2;
    return ((c & 0x1F) << 6) | (p[1] & 0x3F);
  }
  if (c >= 0xE0 && c <= 0xEF && cont(1) && cont(2)) {
    *used = 3;
    return ((c & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F);
  }
  if (c >= 0xF0 && c <= 0xF4 && cont(1) && cont(2) && cont(3)) {
    *used = 4;
    return ' ';
  }
  *used = 1;
  return c;
}
