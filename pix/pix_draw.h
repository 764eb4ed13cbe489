#pragma once
// Geometry of the raster library: lines, curves, circles, arcs, polygon fills and glyph images.
// Colours are packed pixels; only the combine number of the mode (mode & 0xFF) is used, never the
// source-alpha flag. A flipped bitmap receives the vertical mirror image of what its rows would
// show unflipped.
#include "pix/pix_bitmap.h"

// Integer line, both end points included. With aa, lines that are neither horizontal, vertical
// nor diagonal spread each step over two pixels.
void PIX_Line(PIX_IBitmap* dest, int x1, int y1, int x2, int y2, PIX_pixel color, float alpha, int mode, bool aa);
// Without aa the coordinates are truncated and drawn as PIX_Line.
void PIX_FLine(PIX_IBitmap* dest, float x1, float y1, float x2, float y2, PIX_pixel color, float alpha, int mode,
               bool aa);
// Horizontal and vertical lines only: runs of pxon drawn and pxoff skipped pixels from the smaller
// end; the larger end point is never drawn.
void PIX_DashedLine(PIX_IBitmap* dest, int x1, int y1, int x2, int y2, int pxon, int pxoff, PIX_pixel color,
                    float alpha, int mode, bool aa);
// Cohen-Sutherland clip to the box xlo <= x < xhi, ylo <= y < yhi; false when nothing is left.
bool PIX_ClipLine(int* x1, int* y1, int* x2, int* y2, int xlo, int ylo, int xhi, int yhi);
// The same in float; points moved to the far edges land one pixel inside (xhi - 1, yhi - 1).
bool PIX_ClipFLine(float* x1, float* y1, float* x2, float* y2, float xlo, float ylo, float xhi, float yhi);

// Outline covering (w + 1) x (h + 1) pixels; corners are drawn twice.
void PIX_DrawRect(PIX_IBitmap* dest, int x, int y, int w, int h, PIX_pixel color, float alpha, int mode);
void PIX_BorderedRect(PIX_IBitmap* dest, int x, int y, int w, int h, PIX_pixel fillcolor, PIX_pixel bordercolor,
                      float alpha, int mode);

// Bezier curves as chains of PIX_FLine segments about tol pixels long (tol <= 0 means 1).
void PIX_DrawQBezier(PIX_IBitmap* dest, float xstart, float ystart, float xctl, float yctl, float xend, float yend,
                     PIX_pixel color, float alpha, int mode, bool aa, float tol);
void PIX_DrawCBezier(PIX_IBitmap* dest, float xstart, float ystart, float xctl1, float yctl1, float xctl2,
                     float yctl2, float xend, float yend, PIX_pixel color, float alpha, int mode, bool aa, float tol);
// Fills between the cubic and the row yfill (FillCBezierX: the column xfill); no pixel twice.
void PIX_FillCBezier(PIX_IBitmap* dest, float xstart, float ystart, float xctl1, float yctl1, float xctl2,
                     float yctl2, float xend, float yend, int yfill, PIX_pixel color, float alpha, int mode, float tol);
void PIX_FillCBezierX(PIX_IBitmap* dest, float xstart, float ystart, float xctl1, float yctl1, float xctl2,
                      float yctl2, float xend, float yend, int xfill, PIX_pixel color, float alpha, int mode,
                      float tol);
// y of a cubic whose end points are ordered by x, at x, found by 8 bisection steps; tlo and thi
// bracket the parameter.
float PIX_CBezier_GetY(float x0, float y0, float x1, float y1, float x2, float y2, float x3, float y3, float x,
                       float* tlo, float* thi);

void PIX_Circle(PIX_IBitmap* dest, float cx, float cy, float r, PIX_pixel color, float alpha, int mode, bool aa);
void PIX_FillCircle(PIX_IBitmap* dest, float cx, float cy, float r, PIX_pixel color, float alpha, int mode, bool aa);
// Angles in radians, 0 pointing up, growing clockwise.
void PIX_Arc(PIX_IBitmap* dest, float cx, float cy, float r, float minAngle, float maxAngle, PIX_pixel color,
             float alpha, int mode, bool aa);
void PIX_RoundRect(PIX_IBitmap* dest, float x, float y, float w, float h, int cornerradius, PIX_pixel color,
                   float alpha, int mode, bool aa);

// Top edge x1a..x1b on row y1, bottom edge x2a..x2b on row y2, both inclusive.
void PIX_FillTrapezoid(PIX_IBitmap* dest, int x1a, int x1b, int y1, int x2a, int x2b, int y2, PIX_pixel color,
                       float alpha, int mode);
// Fills the convex hull of the points; every pixel is written at most once.
void PIX_FillConvexPolygon(PIX_IBitmap* dest, const int* x, const int* y, int npoints, PIX_pixel color, float alpha,
                           int mode);
void PIX_FillTriangle(PIX_IBitmap* dest, int x1, int y1, int x2, int y2, int x3, int y3, PIX_pixel color,
                      float alpha, int mode);

// 8-bit coverage image blended at (x, y) in the colour, weight coverage * opacity. A negative
// row span means the image's rows are stored bottom row first.
void PIX_DrawGlyphEx(PIX_IBitmap* dest, int x, int y, PIX_pixel color, const unsigned char* image, int imagew,
                     int imagespan, int imageh, float alpha, int mode);
void PIX_DrawGlyph(PIX_IBitmap* dest, int x, int y, PIX_pixel color, const unsigned char* image, int w, int h,
                   float alpha, int mode);
// 1-bit image, 8 pixels a byte, most significant bit first; span in bytes.
void PIX_DrawMonoGlyph(PIX_IBitmap* dest, int x, int y, PIX_pixel color, const unsigned char* image, int w,
                       int spanbytes, int h, float alpha, int mode);
