#pragma once
// SSE2 row kernels for the hottest rules. Each produces exactly the bytes of the scalar rule it
// stands for; callers pick a kernel once per call and fall back to the scalar template otherwise.
#include "pix/pix_bitmap.h"
#include "pix/pix_simd_avx2.h"

// Which kernels run: 0 the scalar rules only, 1 up to SSE2, 2 up to AVX2 (when the CPU has it).
// Tests lower it to compare the paths; by default the best the CPU offers is used.
enum { PIX_SIMD_NONE = 0, PIX_SIMD_SSE2 = 1, PIX_SIMD_AVX2 = 2 };
int _PIX_SimdLevel();
void _PIX_SetSimdLevel(int level);
inline bool _PIX_SimdEnabled() { return _PIX_SimdLevel() >= PIX_SIMD_SSE2; }

#if defined(__SSE2__)
#define PIX_HAVE_SSE2 1
// _PIX_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp over a row.
void _PIX_SSE2_OverRow(PIX_pixel* d, const PIX_pixel* s, int n);
// _PIX_CombinePixelsCopySourceAlphaNoClamp with a weight in 1..255.
void _PIX_SSE2_CopySourceAlphaRow(PIX_pixel* d, const PIX_pixel* s, int n, int alpha);
// _PIX_CombinePixelsCopyNoClamp with a weight in 1..255.
void _PIX_SSE2_CopyRow(PIX_pixel* d, const PIX_pixel* s, int n, int alpha);
// _PIX_CombinePixelsCopyNoClamp of one colour word (alpha byte included) with a weight in 1..255.
void _PIX_SSE2_CopySolidRow(PIX_pixel* d, int n, PIX_pixel c, int alpha);
// Every pixel becomes c.
void _PIX_SSE2_FillRow(PIX_pixel* d, int n, PIX_pixel c);
// ((s >> 1) & 0x7F7F7F7F) + ((d >> 1) & 0x7F7F7F7F).
void _PIX_SSE2_HalfMixRow(PIX_pixel* d, const PIX_pixel* s, int n);
#endif
