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

// Builds the layer's process-wide pools and caches now. An object of static storage duration
// whose destructor deletes drawing objects calls this from its constructor, so that they are
// destroyed after it.
void GDI_EnsureStaticState();

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

// Fonts and text, over fontconfig and FreeType. A face that is not installed falls back to the
// face fontconfig substitutes for it.
#define FW_NORMAL 400
#define FW_BOLD 700
#define NONANTIALIASED_QUALITY 3
#define ANTIALIASED_QUALITY 4
#define FR_PRIVATE 0x10
#define GGI_MARK_NONEXISTING_GLYPHS 1

#define DT_TOP 0x0
#define DT_LEFT 0x0
#define DT_CENTER 0x1
#define DT_RIGHT 0x2
#define DT_VCENTER 0x4
#define DT_BOTTOM 0x8
#define DT_SINGLELINE 0x20
#define DT_NOCLIP 0x100
#define DT_CALCRECT 0x400
#define DT_NOPREFIX 0x800

struct LOGFONT {
  int lfHeight, lfWidth, lfEscapement, lfOrientation, lfWeight;
  char lfItalic, lfUnderline, lfStrikeOut, lfCharSet, lfOutPrecision, lfClipPrecision, lfQuality,
      lfPitchAndFamily;
  char lfFaceName[32];
};

struct TEXTMETRIC {
  int tmHeight, tmAscent, tmDescent, tmInternalLeading, tmAveCharWidth;
};

// Size |height| (|width| when height is 0); sizes above 8192 or below 2 become 10. Weight 700
// and up asks for bold, a non-zero italic for italic. Quality 3 draws without anti-aliasing, 4
// with it.
HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, char italic, char underline,
                 char strikeout, char charset, char outprec, char clipprec, char quality, char pitchAndFamily,
                 const char* face);
HFONT CreateFontIndirect(const LOGFONT* lf);
// 1 on success; the record holds 16, 12, 4, 3, 10 when the context is invalid (0 then).
int GetTextMetrics(HDC ctx, TEXTMETRIC* tm);
// The display name of the context's font, cut to size - 1 bytes; its length.
int GetTextFace(HDC ctx, int size, char* buffer);
// n when the font maps every character; else 0 with each glyph 0xFFFF (flags 1) or 0.
int GetGlyphIndicesW(HDC ctx, const wchar_t* text, int n, unsigned short* glyphs, int flags);
// Registers a font file for this process; 1 on success.
int AddFontResourceEx(const char* path, unsigned flags, void* reserved);

int SetTextColor(HDC ctx, int color);
int GetTextColor(HDC ctx);
int SetBkColor(HDC ctx, int color);
int SetBkMode(HDC ctx, int mode);
// Draws (or with DT_CALCRECT measures into rect) UTF-8 text; length < 0 reads to the zero byte.
// Returns the text height in pixels, 0 on failure or empty text.
int GDI_DrawText(HDC ctx, const char* text, int length, RECT* rect, int flags);

// Bitmap and icon objects over cairo image surfaces (premultiplied ARGB32), and image lists.
struct BITMAP {
  int bmWidth, bmHeight, bmWidthBytes;
  unsigned short bmPlanes, bmBitsPixel;
  void* bmBits;
};

struct ICONINFO {
  int fIcon;
  DWORD xHotspot, yHotspot;
  HBITMAP hbmMask, hbmColor;
};

struct GDI_ImageList;
typedef GDI_ImageList* HIMAGELIST;

// An image from w x h pixels of 4 bytes (blue, green, red, alpha; straight alpha). 32 bits per
// pixel keeps the alpha, 24 makes the image opaque; other depths give null. Null data gives a
// transparent image.
HBITMAP CreateBitmap(int width, int height, int planes, int bitsPerPixel, const unsigned char* data);
// An icon sharing the colour bitmap's image; null unless fIcon is set and hbmColor is an image.
HICON CreateIconIndirect(const ICONINFO* info);
// A PNG by path (a name holding '/'), else from the bundle's Resources folder (the name, or the
// name with ".png"). With transparencyMask, opaque magenta pixels become transparent.
HBITMAP LoadNamedImage(const char* name, bool transparencyMask);
// The whole image scaled into the rectangle, drawn over what is there.
void DrawImageInRect(HDC ctx, HGDIOBJ image, const RECT* r);
// 1 for an image: out (size bytes) cleared, then width and height and, when size >= 24, row bytes,
// planes and bits per pixel of a BITMAP. 0 for anything else or size < 8.
int GetObject(HGDIOBJ obj, int size, void* out);
// The cairo image surface behind an image or icon object (owned by the object), or null.
cairo_surface_t* GDI_GetImageSurfaceFromHICON(HICON icon);
int GetSysColor(int index);

HIMAGELIST ImageList_CreateEx();
// Appends a copy of the image; its index, or -1 for an invalid image or list.
int ImageList_Add(HIMAGELIST list, HBITMAP image, HBITMAP mask);
// Replaces entry index with an object sharing the icon's image, or appends it when index is not
// an entry; the index used, or -1 for an invalid icon or list.
int ImageList_ReplaceIcon(HIMAGELIST list, int index, HICON icon);
// index < 0: every entry deleted and the list emptied; an entry: deleted and left null. 1, or 0
// for an index beyond the end.
int ImageList_Remove(HIMAGELIST list, int index);
void ImageList_Destroy(HIMAGELIST list);
int ImageList_GetImageCount(HIMAGELIST list);
HICON ImageList_GetIcon(HIMAGELIST list, int index);
