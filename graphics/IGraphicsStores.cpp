#include "graphics/IGraphicsStores.h"

#include <cstring>

#include "gdi/gdi.h"
#include "kit/kitcstring.h"
#include "pix/pix_bitmap.h"
#include "pix/pix_cachedfont.h"

BitmapStorage::BitmapStorage() { GDI_EnsureStaticState(); }

BitmapStorage::~BitmapStorage() {
  for (int i = 0; i < mEntries.GetSize(); ++i) delete mEntries.Get(i)->mBitmap;
  mEntries.Empty(true);
}

PIX_IBitmap* BitmapStorage::Find(int id) {
  KIT_MutexLock lock(mMutex);
  for (int i = 0; i < mEntries.GetSize(); ++i)
    if (mEntries.Get(i)->mID == id) return mEntries.Get(i)->mBitmap;
  return nullptr;
}

bool BitmapStorage::Add(PIX_IBitmap* bitmap, int id) {
  KIT_MutexLock lock(mMutex);
  Entry* entry = new Entry{id, bitmap};
  if (!mEntries.Add(entry)) {
    delete entry;
    delete bitmap;
    return false;
  }
  return true;
}

void BitmapStorage::Remove(PIX_IBitmap* bitmap) {
  KIT_MutexLock lock(mMutex);
  for (int i = 0; i < mEntries.GetSize(); ++i) {
    if (mEntries.Get(i)->mBitmap == bitmap) {
      mEntries.Delete(i, true);
      delete bitmap;
      return;
    }
  }
}

int BitmapStorage::Count() {
  KIT_MutexLock lock(mMutex);
  return mEntries.GetSize();
}

FontStorage::FontStorage() { GDI_EnsureStaticState(); }

FontStorage::~FontStorage() {
  for (int i = 0; i < mEntries.GetSize(); ++i) delete mEntries.Get(i)->mFont;
  mEntries.Empty(true);
}

PIX_CachedFont* FontStorage::Find(int size, int orientation, int style, const char* face) {
  KIT_MutexLock lock(mMutex);
  for (int i = 0; i < mEntries.GetSize(); ++i) {
    const Entry* e = mEntries.Get(i);
    if (e->mSize == size && e->mOrientation == orientation && e->mStyle == style &&
        strncmp(e->mFace, face, kFaceLen - 1) == 0)
      return e->mFont;
  }
  return nullptr;
}

bool FontStorage::Add(PIX_CachedFont* font, int size, int orientation, int style, const char* face) {
  KIT_MutexLock lock(mMutex);
  Entry* entry = new Entry{size, orientation, style, {}, font};
  KIT_CopyString(entry->mFace, sizeof entry->mFace, face);
  if (!mEntries.Add(entry)) {
    delete entry;
    delete font;
    return false;
  }
  return true;
}

int FontStorage::Count() {
  KIT_MutexLock lock(mMutex);
  return mEntries.GetSize();
}

BitmapStorage& TheBitmapStorage() {
  static BitmapStorage store;
  return store;
}

FontStorage& TheFontStorage() {
  static FontStorage store;
  return store;
}
