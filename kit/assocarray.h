#pragma once
// Key/value array kept sorted by key, with bisection lookup and optional key duplication and
// key/value disposal.
#include <cstdlib>
#include <cstring>

#include "kit/heapbuf.h"

template <class K, class V> class KIT_AssocArrayImpl {
public:
  struct KeyVal {
    K key;
    V value;
  };
  using CompareFunction = int (*)(const K&, const K&);
  using DupFunction = K (*)(const K&);
  using KeyDisposeFunction = void (*)(K&);
  using ValueDisposeFunction = void (*)(V&);

  KIT_AssocArrayImpl(CompareFunction compare, DupFunction dup, KeyDisposeFunction disposeKey,
                     ValueDisposeFunction disposeValue)
      : mCompare(compare), mDup(dup), mDisposeKey(disposeKey), mDisposeValue(disposeValue) {}

  ~KIT_AssocArrayImpl() {
    if (mDisposeKey || mDisposeValue) {
      KeyVal* entries = mData.Get();
      for (int i = 0; i < mData.GetSize(); ++i) {
        if (mDisposeKey) mDisposeKey(entries[i].key);
        if (mDisposeValue) mDisposeValue(entries[i].value);
      }
    }
    mData.Resize(0);
  }

  KIT_AssocArrayImpl(const KIT_AssocArrayImpl&) = delete;
  KIT_AssocArrayImpl& operator=(const KIT_AssocArrayImpl&) = delete;

  int GetSize() const { return mData.GetSize(); }
  const KeyVal* GetEntry(int i) const {
    return i >= 0 && i < mData.GetSize() ? mData.Get() + i : nullptr;
  }

  // Returns the entry's index, or -1 when a new entry could not be stored (the caller then
  // still owns value).
  int Insert(const K& key, const V& value) {
    int lo = 0;
    const int mid = Find(key, lo);
    if (mid >= 0) {
      KeyVal& hit = mData.Get()[mid];
      if (mDisposeValue) mDisposeValue(hit.value);
      hit.value = value;
      return mid;
    }
    const int count = mData.GetSize();
    mData.Resize(count + 1);
    if (mData.GetSize() != count + 1) return -1;
    KeyVal* entries = mData.Get();
    memmove(static_cast<void*>(entries + lo + 1), entries + lo,
            sizeof(KeyVal) * static_cast<size_t>(count - lo));
    entries[lo].key = mDup ? mDup(key) : key;
    entries[lo].value = value;
    return lo;
  }

  V Get(const K& key, const V& defaultValue) const {
    int lo = 0;
    const int mid = Find(key, lo);
    return mid >= 0 ? mData.Get()[mid].value : defaultValue;
  }

private:
  // Index of key, or -1 with lo set to where it would be inserted.
  int Find(const K& key, int& lo) const {
    const KeyVal* entries = mData.Get();
    lo = 0;
    int hi = mData.GetSize();
    while (lo < hi) {
      const int mid = (lo + hi) / 2;
      const int c = mCompare(key, entries[mid].key);
      if (c > 0)
        lo = mid + 1;
      else if (c < 0)
        hi = mid;
      else
        return mid;
    }
    return -1;
  }

  KIT_TypedBuf<KeyVal> mData;
  CompareFunction mCompare;
  DupFunction mDup;
  KeyDisposeFunction mDisposeKey;
  ValueDisposeFunction mDisposeValue;
};

namespace kit_detail {
inline int cmpstr(char* const& a, char* const& b) { return strcmp(a, b); }
inline char* dupstr(char* const& s) { return strdup(s); }
inline void freestr(char*& s) { free(s); }
}  // namespace kit_detail

// Keys are copied in with strdup and freed on destruction.
template <class V> class KIT_StringKeyedArray : public KIT_AssocArrayImpl<char*, V> {
public:
  using Base = KIT_AssocArrayImpl<char*, V>;
  explicit KIT_StringKeyedArray(typename Base::ValueDisposeFunction disposeValue = nullptr)
      : Base(kit_detail::cmpstr, kit_detail::dupstr, kit_detail::freestr, disposeValue) {}

  int Insert(const char* key, const V& value) { return Base::Insert(const_cast<char*>(key), value); }
  V Get(const char* key, const V& defaultValue) const {
    return Base::Get(const_cast<char*>(key), defaultValue);
  }
};
