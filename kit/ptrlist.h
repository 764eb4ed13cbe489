#pragma once
// List of pointers. The list never owns its items unless a caller asks for deletion explicitly.
#include <cstring>

#include "kit/heapbuf.h"

template <class T> class KIT_PtrList {
public:
  using DeleteFunction = void (*)(T*);

  KIT_PtrList() = default;

  int GetSize() const { return mBuf.GetSize() / static_cast<int>(sizeof(T*)); }

  T* Get(int i) const {
    T** items = Items();
    if (!items || i < 0 || i >= GetSize()) return nullptr;
    return items[i];
  }

  // The item array itself, null while the list is empty.
  T** GetList() const { return Items(); }

  // Returns the item when it was stored, null when the list could not grow (the caller keeps it).
  T* Add(T* item) {
    const int count = GetSize();
    if (!Grow(count)) return nullptr;
    Items()[count] = item;
    return item;
  }

  T* Insert(int index, T* item) {
    const int count = GetSize();
    if (index < 0) index = 0;
    if (index > count) index = count;
    if (!Grow(count)) return nullptr;
    T** items = Items();
    memmove(items + index + 1, items + index, sizeof(T*) * static_cast<size_t>(count - index));
    items[index] = item;
    return item;
  }

  void Delete(int index, bool wantDelete = false, DeleteFunction deleteFunction = nullptr) {
    const int count = GetSize();
    if (index < 0 || index >= count) return;
    T** items = Items();
    if (wantDelete) Dispose(items[index], deleteFunction);
    memmove(items + index, items + index + 1, sizeof(T*) * static_cast<size_t>(count - index - 1));
    mBuf.Resize((count - 1) * static_cast<int>(sizeof(T*)), false);
  }

  // When deleting, the list shrinks item by item so a deleter that inspects it sees only what is
  // still ahead. The allocation is kept in every case.
  void Empty(bool wantDelete = false, DeleteFunction deleteFunction = nullptr) {
    if (wantDelete) {
      for (int i = GetSize() - 1; i >= 0; --i) {
        T* item = Items()[i];
        if (item) Dispose(item, deleteFunction);
        mBuf.Resize(i * static_cast<int>(sizeof(T*)), false);
      }
    }
    mBuf.Resize(0, false);
  }

private:
  T** Items() const { return static_cast<T**>(mBuf.Get()); }

  bool Grow(int count) {
    const int wanted = (count + 1) * static_cast<int>(sizeof(T*));
    return mBuf.Resize(wanted, false) && mBuf.GetSize() == wanted;
  }

  static void Dispose(T* item, DeleteFunction deleteFunction) {
    if (deleteFunction)
      deleteFunction(item);
    else
      delete item;
  }

  KIT_HeapBuf mBuf{4096};
};
