#pragma once
// The SSE2 kernels. Each is total and gives exactly the bytes of its scalar rule: weights outside
// 1..256 and the last pixels of a row go to the narrower level's kernels.
#include <cstdint>

#include "pix/kernels/kernels.h"

namespace pix {
namespace sse2 {

// Unscaled blit rows.
void CopyRow(uint32_t* d, const uint32_t* s, int n, int alpha);
void CopySourceAlphaRow(uint32_t* d, const uint32_t* s, int n, int alpha);
void OverRow(uint32_t* d, const uint32_t* s, int n, int alpha);
void AddRow(uint32_t* d, const uint32_t* s, int n, int alpha);
void AddSourceAlphaRow(uint32_t* d, const uint32_t* s, int n, int alpha);
void DodgeRow(uint32_t* d, const uint32_t* s, int n, int alpha);
void DodgeSourceAlphaRow(uint32_t* d, const uint32_t* s, int n, int alpha);
void MultiplyRow(uint32_t* d, const uint32_t* s, int n, int alpha);
void MultiplySourceAlphaRow(uint32_t* d, const uint32_t* s, int n, int alpha);
void OverlayRow(uint32_t* d, const uint32_t* s, int n, int alpha);
void OverlaySourceAlphaRow(uint32_t* d, const uint32_t* s, int n, int alpha);
void HalfMixRow(uint32_t* d, const uint32_t* s, int n);
void ChannelCopyRow(uint32_t* d, const uint32_t* s, int n, int srcByte, int dstByte);

// Solid rows: the colour word's channels as source.
void CopySolidRow(uint32_t* d, int n, uint32_t c, int alpha);
void AddSolidRow(uint32_t* d, int n, uint32_t c, int alpha);
void DodgeSolidRow(uint32_t* d, int n, uint32_t c, int alpha);
void MultiplySolidRow(uint32_t* d, int n, uint32_t c, int alpha);
void OverlaySolidRow(uint32_t* d, int n, uint32_t c, int alpha);
void FillRow(uint32_t* d, int n, uint32_t c);
void QuarterMixRow(uint32_t* d, int n, uint32_t c);
void HalfMixSolidRow(uint32_t* d, int n, uint32_t c);
void ThreeQuarterMixRow(uint32_t* d, int n, uint32_t c);

// Coverage images through the copy rule.
void GlyphCopy(const kernels::GlyphArea& a, uint32_t color, int ia);
void CoverageCopy(const kernels::GlyphArea& a, uint32_t color, int ia);

// Resampling.
void BilinearRun(const Window& win, long long s, long long t, long long ds, long long dt, int n, uint32_t* out);
void ColumnSums(const Window& win, int y0, int y1, int c0, int c1, uint16_t* col);
void BoxResults(const uint16_t* col, const int* first, const int* count, int n, int size, int rows, uint32_t* out);

}  // namespace sse2
}  // namespace pix
