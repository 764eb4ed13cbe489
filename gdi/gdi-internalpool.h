#pragma once
// The objects behind HDC and HGDIOBJ and the process-wide pools that recycle them. Pooled blocks
// keep their freed marker, so stale handles are refused until the pool hands the block out again.
#include <cairo.h>

#include "gdi/gditypes.h"

enum { GDI_TYPE_PEN = 1, GDI_TYPE_BRUSH = 2, GDI_TYPE_FONT = 3, GDI_TYPE_BITMAP = 4 };

struct GDI_Color {
  double r, g, b, a;
};

// A 24-bit colour value (red in bits 16-23) with an opacity.
inline GDI_Color GDI_ColorOf(int color, double alpha = 1.0) {
  return GDI_Color{((color >> 16) & 0xFF) / 255.0, ((color >> 8) & 0xFF) / 255.0, (color & 0xFF) / 255.0, alpha};
}

struct GDI_Context {
  cairo_t* gc;
  void* ownedPixels;  // memory contexts: the zeroed block behind the surface (63 bytes spare)
  cairo_surface_t* surface;  // memory contexts: the image surface over ownedPixels
  HGDIOBJ curpen, curbrush, curfont;
  float lastpos_x, lastpos_y;
  void* glContext;
  GDI_Context* poolNext;
  GDI_Color textColor;
  bool hasTextColor;
  int curtextcol;
  int curbkcol;
  int curbkmode;
  int clipDepth;  // pushed clip states, so a stray pop never unbalances cairo
  bool freed;
};

struct GDI_Object {
  int type;
  int additionalReferences;
  GDI_Color color;
  int wid;  // pen: line width (negative = null pen); brush: negative = null brush; bitmap: 1 = owns image
  int rotation;
  bool freed;
  GDI_Object* poolNext;
  // Font objects: the font representation and how to release it, supplied by the font code.
  void* font;
  void (*fontRelease)(void* font);
  int quality;
  cairo_surface_t* image;  // bitmap objects
};

// Cleared blocks, from the pools when possible; null when allocation fails.
GDI_Context* GDI_NewContext();
GDI_Object* GDI_NewObject();
// Back into the pools (marked freed) or to the heap once a pool is full.
void GDI_RecycleContext(GDI_Context* ctx);
void GDI_RecycleObject(GDI_Object* obj);
int GDI_PooledContextCount();
int GDI_PooledObjectCount();

// Live, not freed and not one of the small selector values.
bool GDI_IsValidContext(HDC ctx);
bool GDI_IsValidObject(HGDIOBJ obj);
