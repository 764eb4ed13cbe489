#pragma once
// Bounded C-string helpers for fixed-size name fields.
#include <cstddef>

// Copies at most dstSize - 1 bytes of src (null counts as empty) and always terminates dst.
// Returns the number of bytes copied.
size_t KIT_CopyString(char* dst, size_t dstSize, const char* src);

// Like KIT_CopyString but reads at most srcMax bytes of src, which need not be terminated.
size_t KIT_CopyStringN(char* dst, size_t dstSize, const char* src, size_t srcMax);

// Appends to the terminated text in dst without passing dstSize. Returns the new length.
size_t KIT_AppendString(char* dst, size_t dstSize, const char* src);

// strcmp with null ordered before every text.
int KIT_CompareStrings(const char* a, const char* b);
