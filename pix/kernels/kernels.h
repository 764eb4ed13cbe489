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
};

// The table of the level in use. Reading it is a relaxed atomic load: safe from any thread.
const Table& Active();
Level ActiveLevel();
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
}  // namespace scalar

}  // namespace pix
