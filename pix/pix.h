#pragma once
// The raster library: bitmaps, combine rules, unscaled blits and rectangle operations; the
// resampling blits (pix_scaled.h) and PNG files (pix_png.h) come with it.
// Nothing here reports errors: null bitmaps, empty or clipped-away areas, zero weights and
// unknown modes draw nothing.
#include "pix/pix_bitmap.h"
#include "pix/pix_combine.h"
#include "pix/pix_draw.h"
#include "pix/pix_png.h"
#include "pix/pix_scaled.h"

void PIX_Blit(PIX_IBitmap* dest, const PIX_IBitmap* src, int dstx, int dsty, const RECT* srcrect, float alpha,
              int mode);
void PIX_Blit(PIX_IBitmap* dest, const PIX_IBitmap* src, int dstx, int dsty, int srcx, int srcy, int srcw, int srch,
              float alpha, int mode);
// Resizes dest to the source size and copies the source into it.
void PIX_Copy(PIX_IBitmap* dest, const PIX_IBitmap* src);

void PIX_FillRect(PIX_IBitmap* dest, int x, int y, int w, int h, PIX_pixel color, float alpha, int mode);
void PIX_Clear(PIX_IBitmap* dest, PIX_pixel color);
// Each pixel of the rectangle becomes (pixel & mask) | orbits.
void PIX_ClearRect(PIX_IBitmap* dest, int x, int y, int w, int h, PIX_pixel mask, PIX_pixel orbits);
PIX_pixel PIX_GetPixel(const PIX_IBitmap* bm, int x, int y);
void PIX_PutPixel(PIX_IBitmap* dest, int x, int y, PIX_pixel color, float alpha, int mode);

// Start channels are 0..1 (alpha is the weight), stepped per column and per row.
void PIX_GradRect(PIX_IBitmap* dest, int x, int y, int w, int h, float ir, float ig, float ib, float ia, float drdx,
                  float dgdx, float dbdx, float dadx, float drdy, float dgdy, float dbdy, float dady, int mode);
// Each channel becomes clamp((add * 256 + scale * 256 * channel) >> 8).
void PIX_MultiplyAddRect(PIX_IBitmap* dest, int x, int y, int w, int h, float rsc, float gsc, float bsc, float asc,
                         float radd, float gadd, float badd, float aadd);
void PIX_ProcessRect(PIX_IBitmap* dest, int x, int y, int w, int h, void (*procFunc)(PIX_pixel* p, void* parm),
                     void* parm);
// Pixels whose colour equals the colour's low 24 bits become transparent, all others opaque.
void PIX_SetAlphaFromColorMask(PIX_IBitmap* dest, PIX_pixel color);
// Span fill from (x, y) over pixels that match the start pixel under comparemask.
void PIX_SimpleFill(PIX_IBitmap* dest, int x, int y, PIX_pixel newcolor, PIX_pixel comparemask = 0xFFFFFFFF,
                    PIX_pixel keepmask = 0);
void PIX_Blur(PIX_IBitmap* dest, const PIX_IBitmap* src, int dstx, int dsty, int srcx, int srcy, int srcw, int srch);
// Each destination pixel is the 2 x 2 average of the source block under it.
void PIX_HalveBlitAA(PIX_IBitmap* dest, const PIX_IBitmap* src);
// 0 when equal. With coordinates: 1 and the x, y, w, h of the smallest rectangle holding every
// differing pixel. Size differences and null bitmaps give other non-zero values.
int PIX_BitmapCmp(const PIX_IBitmap* a, const PIX_IBitmap* b, int* coordsOut = nullptr);
int PIX_BitmapCmpEx(const PIX_IBitmap* a, const PIX_IBitmap* b, PIX_pixel mask, int* coordsOut = nullptr);
