#pragma once
// PNG decoding with libpng into 32-bit bitmaps (straight alpha, opaque where the image has none),
// and writing 32-bit bitmaps as RGBA PNG files. Loaders return the bitmap they were given, resized
// and filled, or a new PIX_MemBitmap the caller deletes when given null; null on any failure.
// Images wider or taller than PIX_PNG_MAX_SIDE, or of more than PIX_PNG_MAX_PIXELS pixels, are
// refused so that no file can make a loader allocate more than 64 MB of pixels.
#include "pix/pix_bitmap.h"

#define PIX_PNG_MAX_SIDE 32768
#define PIX_PNG_MAX_PIXELS (1 << 24)

PIX_IBitmap* PIX_LoadPNG(const char* filename, PIX_IBitmap* bmp);
// Needs at least the 8-byte PNG signature.
PIX_IBitmap* PIX_LoadPNGFromMemory(const void* data, int length, PIX_IBitmap* bmp);
// The file of that name in the Resources folder beside the module (the plug-in's .so, or the
// program) that holds this code.
PIX_IBitmap* PIX_LoadPNGFromNamedResource(const char* name, PIX_IBitmap* bmp);
// Modules carry no resources here: always null.
PIX_IBitmap* PIX_LoadPNGFromResource(void* hInst, const char* resid, PIX_IBitmap* bmp);

// Writes the bitmap as an 8-bit RGBA PNG; false (and no file left behind) on failure.
bool PIX_WritePNG(const PIX_IBitmap* bmp, const char* filename);

// One entry of the chain of image loaders; the PNG entry puts itself at the head at start-up.
struct PIX_ImageLoader {
  PIX_IBitmap* (*loadfunc)(const char* filename, bool checkFileName, PIX_IBitmap* bmp);
  const char* (*get_extlist)();  // pairs of description and pattern, ending in an empty string
  PIX_ImageLoader* _next;
};
extern PIX_ImageLoader* PIX_ImageLoader_list;

class PIX_PNGLoader {
public:
  // With checkFileName the path's extension must be ".png" in any case.
  static PIX_IBitmap* loadfunc(const char* filename, bool checkFileName, PIX_IBitmap* bmp);
  static const char* get_extlist();
};
