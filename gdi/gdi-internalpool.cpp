#include "gdi/gdi-internalpool.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "kit/mutex.h"

namespace {

const int kMaxPooledContexts = 100;
const int kMaxPooledObjects = 200;

// Shared by every plug-in instance in the process; blocks still pooled at unload are freed.
struct Pools {
  KIT_Mutex mutex;
  GDI_Context* contexts = nullptr;
  int contextCount = 0;
  GDI_Object* objects = nullptr;
  int objectCount = 0;

  ~Pools() {
    while (contexts) {
      GDI_Context* next = contexts->poolNext;
      free(contexts);
      contexts = next;
    }
    while (objects) {
      GDI_Object* next = objects->poolNext;
      free(objects);
      objects = next;
    }
  }
};

Pools& ThePools() {
  static Pools pools;
  return pools;
}

}  // namespace

GDI_Context* GDI_NewContext() {
  Pools& p = ThePools();
  {
    KIT_MutexLock lock(p.mutex);
    if (GDI_Context* c = p.contexts) {
      p.contexts = c->poolNext;
      --p.contextCount;
      memset(c, 0, sizeof(*c));
      return c;
    }
  }
  return static_cast<GDI_Context*>(calloc(1, sizeof(GDI_Context)));
}

GDI_Object* GDI_NewObject() {
  Pools& p = ThePools();
  {
    KIT_MutexLock lock(p.mutex);
    if (GDI_Object* o = p.objects) {
      p.objects = o->poolNext;
      --p.objectCount;
      memset(o, 0, sizeof(*o));
      return o;
    }
  }
  return static_cast<GDI_Object*>(calloc(1, sizeof(GDI_Object)));
}

void GDI_RecycleContext(GDI_Context* ctx) {
  if (!ctx) return;
  Pools& p = ThePools();
  {
    KIT_MutexLock lock(p.mutex);
    if (p.contextCount < kMaxPooledContexts) {
      memset(ctx, 0, sizeof(*ctx));
      ctx->freed = true;
      ctx->poolNext = p.contexts;
      p.contexts = ctx;
      ++p.contextCount;
      return;
    }
  }
  free(ctx);
}

void GDI_RecycleObject(GDI_Object* obj) {
  if (!obj) return;
  Pools& p = ThePools();
  {
    KIT_MutexLock lock(p.mutex);
    if (p.objectCount < kMaxPooledObjects) {
      memset(obj, 0, sizeof(*obj));
      obj->freed = true;
      obj->poolNext = p.objects;
      p.objects = obj;
      ++p.objectCount;
      return;
    }
  }
  free(obj);
}

int GDI_PooledContextCount() {
  Pools& p = ThePools();
  KIT_MutexLock lock(p.mutex);
  return p.contextCount;
}

int GDI_PooledObjectCount() {
  Pools& p = ThePools();
  KIT_MutexLock lock(p.mutex);
  return p.objectCount;
}

bool GDI_IsValidContext(HDC ctx) { return reinterpret_cast<uintptr_t>(ctx) >= 5 && !ctx->freed; }

bool GDI_IsValidObject(HGDIOBJ obj) { return reinterpret_cast<uintptr_t>(obj) >= 5 && !obj->freed; }
