#pragma once
// Base64 with the standard alphabet (A-Z, a-z, 0-9, '+', '/') and '=' padding.
#include <cstddef>

// Size of the text, terminator included, that encoding n bytes needs.
size_t KIT_Base64EncodedSize(size_t n);

// Encodes data into text, which holds textSize bytes. Only whole 4-character groups that fit
// before the terminator are written, so a short buffer truncates at a group boundary. Returns
// the text length; text is always terminated when textSize > 0.
size_t KIT_Base64Encode(const void* data, size_t n, char* text, size_t textSize);

// Decodes text up to its first character outside the alphabet (the padding or the terminator),
// writing at most maxBytes bytes to out. Returns the bytes written.
size_t KIT_Base64Decode(const char* text, void* out, size_t maxBytes);
