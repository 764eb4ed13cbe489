#include "pix/kernels/kernels.h"

#include <atomic>

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
