#pragma once
// The process-wide stores behind every editor: one for loaded and derived images, one for raster
// fonts. Every plug-in instance in the process shares them; each takes its own mutex, lives until
// the library unloads and then deletes everything it holds.
#include "kit/mutex.h"
#include "kit/ptrlist.h"

class PIX_CachedFont;
class PIX_IBitmap;

class BitmapStorage {
public:
  BitmapStorage();
  ~BitmapStorage();
  BitmapStorage(const BitmapStorage&) = delete;
  BitmapStorage& operator=(const BitmapStorage&) = delete;

  // The bitmap stored under id; when there is none, load() makes one, which is stored unless it
  // is null. The lock is held throughout so that an image is loaded once however many editors
  // ask at the same time.
  template <class Load> PIX_IBitmap* FindOrLoad(int id, Load load) {
    KIT_MutexLock lock(mMutex);
    if (PIX_IBitmap* found = Find(id)) return found;
    PIX_IBitmap* loaded = load();
    if (loaded && !Add(loaded, id)) return nullptr;
    return loaded;
  }
  PIX_IBitmap* Find(int id);
  // Takes ownership; false (and the bitmap deleted) when the store cannot grow.
  bool Add(PIX_IBitmap* bitmap, int id = -1);
  // Deletes the bitmap and its entry; a bitmap the store does not hold is left alone.
  void Remove(PIX_IBitmap* bitmap);
  int Count();

private:
  struct Entry {
    int mID;
    PIX_IBitmap* mBitmap;
  };
  KIT_PtrList<Entry> mEntries;
  KIT_Mutex mMutex;
};

class FontStorage {
public:
  static constexpr int kFaceLen = 36;

  FontStorage();
  ~FontStorage();
  FontStorage(const FontStorage&) = delete;
  FontStorage& operator=(const FontStorage&) = delete;

  // As BitmapStorage::FindOrLoad, keyed by size, orientation, style and face.
  template <class Make>
  PIX_CachedFont* FindOrMake(int size, int orientation, int style, const char* face, Make make) {
    KIT_MutexLock lock(mMutex);
    if (PIX_CachedFont* found = Find(size, orientation, style, face)) return found;
    PIX_CachedFont* made = make();
    if (made && !Add(made, size, orientation, style, face)) return nullptr;
    return made;
  }
  PIX_CachedFont* Find(int size, int orientation, int style, const char* face);
  bool Add(PIX_CachedFont* font, int size, int orientation, int style, const char* face);
  int Count();

private:
  struct Entry {
    int mSize, mOrientation, mStyle;
    char mFace[kFaceLen];
    PIX_CachedFont* mFont;
  };
  KIT_PtrList<Entry> mEntries;
  KIT_Mutex mMutex;
};

BitmapStorage& TheBitmapStorage();
FontStorage& TheFontStorage();
