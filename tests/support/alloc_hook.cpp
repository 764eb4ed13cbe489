#include "tests/support/alloc_hook.h"

#include <cerrno>
#include <cstddef>

namespace {
thread_local alloc_hook::Counts tCounts;
thread_local bool tFailing = false;
thread_local int tSucceedLeft = 0;
thread_local unsigned tFailingKinds = 0;

}  // namespace

namespace alloc_hook {
Counts ThisThread() { return tCounts; }
FailAfter::FailAfter(int succeedFirst, unsigned kinds) {
  tSucceedLeft = succeedFirst;
  tFailingKinds = kinds;
  tFailing = true;
}
FailAfter::~FailAfter() { tFailing = false; }
}  // namespace alloc_hook

#if defined(VERLO_SANITIZED)

bool alloc_hook::Active() { return false; }

#else

bool alloc_hook::Active() { return true; }

namespace {
bool Refuse(unsigned kind) {
  if (!tFailing || !(tFailingKinds & kind)) return false;
  if (tSucceedLeft > 0) {
    --tSucceedLeft;
    return false;
  }
  ++tCounts.failures;
  return true;
}

void* Counted(void* p) {
  if (p) ++tCounts.allocations;
  return p;
}
}  // namespace

extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void* __libc_memalign(size_t, size_t);
void __libc_free(void*);

void* malloc(size_t n) { return Refuse(alloc_hook::kMalloc) ? nullptr : Counted(__libc_malloc(n)); }
void* calloc(size_t n, size_t size) { return Refuse(alloc_hook::kCalloc) ? nullptr : Counted(__libc_calloc(n, size)); }
void* realloc(void* p, size_t n) {
  if (p && n == 0) {
    ++tCounts.frees;
    return __libc_realloc(p, 0);
  }
  return Refuse(alloc_hook::kRealloc) ? nullptr : Counted(__libc_realloc(p, n));
}
void free(void* p) {
  if (p) ++tCounts.frees;
  __libc_free(p);
}
void* memalign(size_t alignment, size_t n) {
  return Refuse(alloc_hook::kAligned) ? nullptr : Counted(__libc_memalign(alignment, n));
}
void* aligned_alloc(size_t alignment, size_t n) { return memalign(alignment, n); }
int posix_memalign(void** out, size_t alignment, size_t n) {
  if (alignment < sizeof(void*) || (alignment & (alignment - 1))) return EINVAL;
  void* p = memalign(alignment, n);
  if (!p) return ENOMEM;
  *out = p;
  return 0;
}
}

#endif
