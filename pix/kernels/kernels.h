#pragma once
// The raster library's row kernels, one table per instruction-set level. The table in use is
// picked once, from the CPU; tests pin a lower level with ScopedLevel. Callers name the kernel
// they want and never the level: every entry of every table is total (any weight the public
// routines can pass, -32512..32512) and gives exactly the bytes of the scalar rule it stands for.
//
// This header holds declarations and plain data only, so the per-level files built for wider
// instruction sets can include it without compiling a shared inline function for them.
#include <cstddef>
#include <cstdint>

namespace pix {

struct Window;

namespace kernels {

enum class Level { kScalar = 0, kSse2 = 1, kAvx2 = 2 };

// The per-channel rules of the combine modes, with and without the source-alpha flag. kOver is
// the source-alpha copy at full weight (the rule that ignores the weight).
enum Rule {
  kCopy,
  kCopySourceAlpha,
  kOver,
  kAdd,
  kAddSourceAlpha,
  kDodge,
  kDodgeSourceAlpha,
  kMultiply,
  kMultiplySourceAlpha,
  kOverlay,
  kOverlaySourceAlpha,
  kHsv,
  kHsvSourceAlpha,
  kRuleCount
};

// d[i] = rule(d[i], s[i]) at weight alpha: the source pixel's four channels as source.
using BlendRow = void (*)(uint32_t* d, const uint32_t* s, int n, int alpha);
// d[i] = rule(d[i], c) at weight alpha: the colour word's four channels as source.
using SolidRow = void (*)(uint32_t* d, int n, uint32_t c, int alpha);
// Whole-word rules with no weight: d[i] = f(c, d[i]) (or f(s[i], d[i])).
using WordRow = void (*)(uint32_t* d, int n, uint32_t c);
using WordBlendRow = void (*)(uint32_t* d, const uint32_t* s, int n);
// Byte dstByte of every d[i] becomes byte srcByte of s[i] (bytes 0 blue .. 3 alpha).
using ChannelRow = void (*)(uint32_t* d, const uint32_t* s, int n, int srcByte, int dstByte);

// A coverage image clipped to its destination: w x h bytes from cov, rows covstep apart, drawn
// at dest with rows dstep pixels apart.
struct GlyphArea {
  uint32_t* dest;
  ptrdiff_t dstep;
  const unsigned char* cov;
  int covstep;
  int w, h;
};
// The copy rule through glyph coverage: each pixel with coverage cv > 0 gets the colour (alpha
// 255) at weight cv + 1 (ia 256) or min(256, ia * cv / 256).
using GlyphCopy = void (*)(const GlyphArea& a, uint32_t color, int ia);
// The same with the colour's own alpha, each pixel with coverage cv at weight ia * cv / 256
// (pixels whose weight is 0 keep their value).
using CoverageCopy = GlyphCopy;

// Two pairs of bilinear scaling columns (of a group of eight, two blocks a group), each pair
// taken from four source pixels at its base: per source row, two loads and a byte shuffle for
// each of the left and right corners. Fractions are repeated for the lanes that use them.
struct BilinearBlock {
  int8_t left[32], right[32];
  uint32_t xfpq[8], xfrs[8];
  int base[2];
};

// The resampling kernels of a level. Entries after boxResults are null where a level has no such
// kernel; callers then take the general path.
struct ScaleKernels {
  // out[i] = row[columns[i]] for n columns: the samples of a nearest-neighbour row.
  void (*gather)(const uint32_t* row, const int* columns, int n, uint32_t* out);
  // The over rule (source alpha at full weight) of those samples straight into d; null where a
  // level gathers first and combines after.
  void (*nearestOver)(uint32_t* d, const uint32_t* row, const int* columns, int n);
  // n inner bilinear samples (x + 1 and y + 1 inside the window) from (s, t), stepping (ds, dt).
  void (*bilinearRun)(const Window& win, long long s, long long t, long long ds, long long dt, int n, uint32_t* out);
  // Per-channel sums of rows y0..y1 (at most 5) for columns c0..c1, four 16-bit values a column.
  void (*columnSums)(const Window& win, int y0, int y1, int c0, int c1, uint16_t* col);
  // n box results, result k summing count[k] columns from first[k] over rows rows and dividing
  // by their pixel count, truncating; kernels of size columns (3 or 5) are the common case.
  void (*boxResults)(const uint16_t* col, const int* first, const int* count, int n, int size, int rows,
                     uint32_t* out);
  // Plain scaling rows: xf holds each column's fraction; w receives the per-column weights of a
  // row with fraction yf, which the row then samples between source rows r0 and r1 at xs.
  void (*bilinearScaleWeights)(const uint32_t* xf, int yf, int n, uint64_t* w);
  void (*bilinearScaleRow)(const uint32_t* r0, const uint32_t* r1, const int* xs, const uint64_t* w, int n,
                           uint32_t* out);
  // Fills (n + 7) / 8 * 2 blocks for the columns of xs/xf (n of them, in rows width pixels wide,
  // the last column included); false when they do not form such blocks.
  bool (*bilinearBlocks)(const int* xs, const uint32_t* xf, int n, int width, BilinearBlock* blocks);
  // n samples of a row with fraction yf between r0 and r1.
  void (*bilinearBlockRow)(const uint32_t* r0, const uint32_t* r1, const BilinearBlock* blocks, int n, int yf,
                           uint32_t* out);
  // Column sums as two planes, one 32-bit entry per column at index column - org: xs sums each
  // pixel's two 16-bit halves, wrapping around, and os the halves' high bytes exactly, so the
  // low bytes' sums are xs - (os << 8) (below 65536 for up to 25 pixels). Rows y0..y1 (at most
  // 5) and columns c0..c1 of a window at least 8 columns wide, in eight-column steps from
  // c0 / 8 * 8, which must not lie before org.
  void (*columnPlanes)(const Window& win, int y0, int y1, int c0, int c1, int org, uint32_t* xs, uint32_t* os);
  // n results of 5-column kernels whose first columns step by 4 from the planes' first entries,
  // divided through the 18-bit reciprocals of their counts: firstRecip for the first kernel,
  // lastRecip for the last and recip for the others (kernels cut by the window's edges sum zero
  // entries beyond it and count fewer pixels). Reads plane entries below (n + 7) / 8 * 32 + 12.
  void (*boxRowStep4)(const uint32_t* xs, const uint32_t* os, int n, uint16_t recip, uint16_t firstRecip,
                      uint16_t lastRecip, uint32_t* out);
};

// ceil(2^18 / n) for pixel counts n = 5..25 (0 below): for sums up to 255 n, (sum * it) >> 18
// is the integer division by n. Plain data with internal linkage, so the wider levels' files
// share no symbol through it.
struct BoxReciprocals {
  uint16_t v[26];
};
static constexpr BoxReciprocals MakeBoxReciprocals() {
  BoxReciprocals r{};
  for (int n = 5; n < 26; ++n) r.v[n] = static_cast<uint16_t>(((1 << 18) + n - 1) / n);
  return r;
}
constexpr BoxReciprocals kBoxReciprocal18 = MakeBoxReciprocals();

struct Table {
  Level level;
  BlendRow blend[kRuleCount];
  SolidRow solid[kRuleCount];
  WordBlendRow halfMix;  // ((s >> 1) & 0x7F7F7F7F) + ((d >> 1) & 0x7F7F7F7F)
  WordRow fill;          // c
  WordRow quarterMix;    // ((c >> 2) & 0x3F3F3F3F) + ((d >> 2) & 0x3F3F3F3F) + ((d >> 1) & 0x7F7F7F7F)
  WordRow halfMixSolid;  // ((c >> 1) & 0x7F7F7F7F) + ((d >> 1) & 0x7F7F7F7F)
  WordRow threeQuarterMix;  // ((c >> 1) & 0x7F7F7F7F) + ((c >> 2) & 0x3F3F3F3F) + ((d >> 2) & 0x3F3F3F3F)
  ChannelRow channelCopy;
  GlyphCopy glyphCopy;
  CoverageCopy coverageCopy;
  const ScaleKernels* scale;  // null: the level resamples with the scalar loops
};

// The table of the level in use. Reading it is a relaxed atomic load: safe from any thread.
const Table& Active();
Level ActiveLevel();
// The row kernel of the rule that the mode word's rule bits and the weight select in the active
// table; null when they draw nothing (an unknown rule, or copy at a weight of 0 or below). Copy
// at full weight gives the copy row, which stores the source pixel.
BlendRow RuleRow(int mode, int ia);
// The best level this CPU runs.
Level BestLevel();

// Pins the level (never above BestLevel()) while alive; for tests that compare the levels.
// Not meant for concurrent drawing on other threads while it changes.
class ScopedLevel {
public:
  explicit ScopedLevel(Level level);
  ~ScopedLevel();
  ScopedLevel(const ScopedLevel&) = delete;
  ScopedLevel& operator=(const ScopedLevel&) = delete;

private:
  Level mWas;
};

// The tables of each level, filled by the level's own files.
const Table& ScalarTable();
const Table& Sse2Table();
const Table& Avx2Table();

}  // namespace kernels

// Each level's kernels, defined in that level's files. The scalar ones are the rules of
// pix_combine.h over a row; the wider ones call them for weights outside 1..256.
namespace scalar {
template <int kRule> void BlendRow(uint32_t* d, const uint32_t* s, int n, int alpha);
template <int kRule> void SolidRow(uint32_t* d, int n, uint32_t c, int alpha);
void HalfMixRow(uint32_t* d, const uint32_t* s, int n);
void FillRow(uint32_t* d, int n, uint32_t c);
void QuarterMixRow(uint32_t* d, int n, uint32_t c);
void HalfMixSolidRow(uint32_t* d, int n, uint32_t c);
void ThreeQuarterMixRow(uint32_t* d, int n, uint32_t c);
void ChannelCopyRow(uint32_t* d, const uint32_t* s, int n, int srcByte, int dstByte);
void GlyphCopy(const kernels::GlyphArea& a, uint32_t color, int ia);
void CoverageCopy(const kernels::GlyphArea& a, uint32_t color, int ia);
void ColumnSums(const Window& win, int y0, int y1, int c0, int c1, uint16_t* col);
void Gather(const uint32_t* row, const int* columns, int n, uint32_t* out);
}  // namespace scalar

}  // namespace pix
