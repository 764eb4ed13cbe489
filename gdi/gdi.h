#pragma once
// Win32-style drawing over cairo: device contexts, pens and brushes, shapes, lines and blits.
// Colours are 24-bit values, red in bits 16-23, green 8-15, blue 0-7. Invalid handles (null,
// values below 5, freed or of the wrong kind) make every function do nothing and return 0/null.
#include <cairo.h>

#include "gdi/gditypes.h"

#define NULL_PEN 1
#define NULL_BRUSH 2
#define PS_SOLID 0
#define TRANSPARENT 0
#define OPAQUE 1
// BitBlt / StretchBlt mode that reads the source as premultiplied alpha instead of opaque.
#define SRCCOPY_USEALPHACHAN 0xDEADBEEF
#define SRCCOPY 0x00CC0020

#define RGB(r, g, b) ((int)((((unsigned)(r) & 0xFF) << 16) | (((unsigned)(g) & 0xFF) << 8) | ((unsigned)(b) & 0xFF)))
#define GetRValue(c) (((c) >> 16) & 0xFF)
#define GetGValue(c) (((c) >> 8) & 0xFF)
#define GetBValue(c) ((c) & 0xFF)

// Memory context of w x h pixels over zeroed, 64-byte-aligned memory in the raster library's
// byte order (blue first), rows top first, y growing downward. Null on failure.
HDC GDI_CreateMemContext(HDC ignored, int w, int h);
void* GDI_GetCtxFrameBuffer(HDC ctx);
void GDI_DeleteGfxContext(HDC ctx);
// Wraps a cairo context drawn elsewhere (a reference is taken and dropped on delete).
HDC GDI_CreateGfxContext(cairo_t* cr);
cairo_t* GDI_GetCtxGC(HDC ctx);
bool GDI_IsRetinaDC(HDC ctx);

void GDI_PushClipRegion(HDC ctx);
void GDI_SetClipRegion(HDC ctx, const RECT* r);
void GDI_PopClipRegion(HDC ctx);

HPEN CreatePen(int style, int width, int color);
HPEN CreatePenAlpha(int style, int width, int color, float alpha);
HBRUSH CreateSolidBrush(int color);
HBRUSH CreateSolidBrushAlpha(int color, float alpha);
HGDIOBJ GetStockObject(int which);
HGDIOBJ SelectObject(HDC ctx, HGDIOBJ obj);
void DeleteObject(HGDIOBJ obj);
HGDIOBJ GDI_CloneGDIObject(HGDIOBJ obj);

void GDI_FillRect(HDC ctx, const RECT* r, HBRUSH brush);
void Rectangle(HDC ctx, int l, int t, int r, int b);
void Ellipse(HDC ctx, int l, int t, int r, int b);
void GDI_Polygon(HDC ctx, const POINT* pts, int npts);
void RoundRect(HDC ctx, int l, int t, int r, int b, int w, int h);
void MoveToEx(HDC ctx, int x, int y, POINT* op);
void GDI_LineTo(HDC ctx, int x, int y);
void PolyBezierTo(HDC ctx, const POINT* pts, int np);
void PolyPolyline(HDC ctx, const POINT* pts, const DWORD* cnts, int nseg);
void GDI_SetPixel(HDC ctx, int x, int y, int color);
void GDI_FillDialogBackground(HDC ctx, const RECT* r, int which);

// The source must be a memory context. Nearest-neighbour scaling of (sx, sy, sw, sh) onto
// (x, y, w, h), after clipping the source area to the source.
void StretchBlt(HDC hdcDest, int x, int y, int w, int h, HDC hdcSrc, int sx, int sy, int sw, int sh, int mode);
void BitBlt(HDC hdcDest, int x, int y, int w, int h, HDC hdcSrc, int sx, int sy, int mode);
