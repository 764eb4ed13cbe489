#pragma once
// AVX2 versions of the widest-used SSE2 kernels, built in their own file with -mavx2 and only
// called after the CPU has been checked. Same bytes as the scalar rules.
#include <cstdint>

#if defined(__x86_64__) || defined(__i386__)
#define PIX_HAVE_AVX2_KERNELS 1
void _PIX_AVX2_OverRow(uint32_t* d, const uint32_t* s, int n);
void _PIX_AVX2_CopySourceAlphaRow(uint32_t* d, const uint32_t* s, int n, int alpha);
void _PIX_AVX2_CopyRow(uint32_t* d, const uint32_t* s, int n, int alpha);
void _PIX_AVX2_CopySolidRow(uint32_t* d, int n, uint32_t c, int alpha);
#endif
