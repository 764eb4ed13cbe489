#include "gdi/gdi-internalpool.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "kit/mutex.h"

namespace {

// A capped list of cleared blocks linked through their pool link, guarded by the pools' mutex.
template <class T> struct FreeList {
  explicit FreeList(int cap) : max(cap) {}
  T* head = nullptr;
  int count = 0;
  const int max;

  ~FreeList() {
    while (head) {
      T* next = head->poolNext;
      free(head);
      head = next;
    }
  }

  T* Take() {
    T* t = head;
    if (!t) return nullptr;
    head = t->poolNext;
    --count;
    memset(t, 0, sizeof(*t));
    return t;
  }

  bool Give(T* t) {
    if (count >= max) return false;
    memset(t, 0, sizeof(*t));
    t->freed = true;
    t->poolNext = head;
    head = t;
    ++count;
    return true;
  }
};

// Shared by every plug-in instance in the process; blocks still pooled at unload are freed.
struct Pools {
  KIT_Mutex mutex;
  FreeList<GDI_Context> contexts{100};
  FreeList<GDI_Object> objects{200};
};

Pools& ThePools() {
  static Pools pools;
  return pools;
}

template <class T> T* New(FreeList<T> Pools::*list) {
  Pools& p = ThePools();
  {
    KIT_MutexLock lock(p.mutex);
    if (T* t = (p.*list).Take()) return t;
  }
  return static_cast<T*>(calloc(1, sizeof(T)));
}

template <class T> void Recycle(FreeList<T> Pools::*list, T* t) {
  if (!t) return;
  Pools& p = ThePools();
  {
    KIT_MutexLock lock(p.mutex);
    if ((p.*list).Give(t)) return;
  }
  free(t);
}

template <class T> int Count(FreeList<T> Pools::*list) {
  Pools& p = ThePools();
  KIT_MutexLock lock(p.mutex);
  return (p.*list).count;
}

}  // namespace

GDI_Context* GDI_NewContext() { return New(&Pools::contexts); }
GDI_Object* GDI_NewObject() { return New(&Pools::objects); }
void GDI_RecycleContext(GDI_Context* ctx) { Recycle(&Pools::contexts, ctx); }
void GDI_RecycleObject(GDI_Object* obj) { Recycle(&Pools::objects, obj); }
int GDI_PooledContextCount() { return Count(&Pools::contexts); }
int GDI_PooledObjectCount() { return Count(&Pools::objects); }

bool GDI_IsValidContext(HDC ctx) { return reinterpret_cast<uintptr_t>(ctx) >= 5 && !ctx->freed; }

bool GDI_IsValidObject(HGDIOBJ obj) { return reinterpret_cast<uintptr_t>(obj) >= 5 && !obj->freed; }
