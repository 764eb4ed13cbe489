#include "pix/kernels/kernels.h"

#include <atomic>

#include "pix/pix_combine.h"

namespace pix {
namespace kernels {
namespace {

Level DetectBest() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx2")) return Level::kAvx2;
  return Level::kSse2;  // the x86-64 baseline
#else
  return Level::kScalar;
#endif
}

const Table& TableOf(Level level) {
  switch (level) {
    case Level::kAvx2: return Avx2Table();
    case Level::kSse2: return Sse2Table();
    default: return ScalarTable();
  }
}

// Null until the first drawing call (which may come from another file's static initialiser),
// then the best table; only ScopedLevel changes it after that. Read from any thread.
std::atomic<const Table*> gActive{nullptr};

}  // namespace

const Table& Active() {
  const Table* table = gActive.load(std::memory_order_relaxed);
  if (!table) {
    table = &TableOf(BestLevel());
    gActive.store(table, std::memory_order_relaxed);
  }
  return *table;
}

Level ActiveLevel() { return Active().level; }

BlendRow RuleRow(int mode, int ia) {
  const Table& k = Active();
  switch (mode & PIX_RULE_MASK) {
    case PIX_COMBINE_COPY: return ia > 0 ? k.blend[kCopy] : nullptr;
    case PIX_FLAG_SOURCE_ALPHA: return k.blend[ia == 256 ? kOver : kCopySourceAlpha];
    case PIX_COMBINE_ADD: return k.blend[kAdd];
    case PIX_COMBINE_ADD | PIX_FLAG_SOURCE_ALPHA: return k.blend[kAddSourceAlpha];
    case PIX_COMBINE_DODGE: return k.blend[kDodge];
    case PIX_COMBINE_DODGE | PIX_FLAG_SOURCE_ALPHA: return k.blend[kDodgeSourceAlpha];
    case PIX_COMBINE_MULTIPLY: return k.blend[kMultiply];
    case PIX_COMBINE_MULTIPLY | PIX_FLAG_SOURCE_ALPHA: return k.blend[kMultiplySourceAlpha];
    case PIX_COMBINE_OVERLAY: return k.blend[kOverlay];
    case PIX_COMBINE_OVERLAY | PIX_FLAG_SOURCE_ALPHA: return k.blend[kOverlaySourceAlpha];
    case PIX_COMBINE_HSVADJUST: return k.blend[kHsv];
    case PIX_COMBINE_HSVADJUST | PIX_FLAG_SOURCE_ALPHA: return k.blend[kHsvSourceAlpha];
    default: return nullptr;
  }
}

Level BestLevel() {
  static const Level best = DetectBest();
  return best;
}

ScopedLevel::ScopedLevel(Level level) : mWas(ActiveLevel()) {
  gActive.store(&TableOf(level > BestLevel() ? BestLevel() : level), std::memory_order_relaxed);
}
ScopedLevel::~ScopedLevel() { gActive.store(&TableOf(mWas), std::memory_order_relaxed); }

}  // namespace kernels
}  // namespace pix
