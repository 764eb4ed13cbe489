#pragma once
// Blits that resample the source: scaling, rotation and general mapped copies. Source positions
// are in source pixels (the integer part is the pixel, the fraction its sub-pixel offset), and
// the mode word and opacity work as for PIX_Blit; PIX_FILTER_BILINEAR turns on filtering.
#include "pix/pix_bitmap.h"

// Nearest, bilinear, or (bilinear when shrinking by 1.7 or more on both axes) box-filtered
// scaling of the source rectangle onto the destination one. Negative destination sizes mirror.
void PIX_ScaledBlit(PIX_IBitmap* dest, const PIX_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx,
                    float srcy, float srcw, float srch, float alpha, int mode);

// The source rectangle scaled onto the destination one and turned by angle (radians) about the
// destination's centre moved by (rotxcent, rotycent). cliptosourcerect limits sampling to the
// source rectangle instead of the whole source.
void PIX_RotatedBlit(PIX_IBitmap* dest, const PIX_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx,
                     float srcy, float srcw, float srch, float angle, bool cliptosourcerect, float alpha, int mode,
                     float rotxcent, float rotycent);

// Destination pixel (dstx, dsty) samples the source at (srcx, srcy); each column moves the sample
// by (dsdx, dtdx) and each row by (dsdy, dtdy), and from one row to the next the column steps
// change by (dsdxdy, dtdxdy). srcw and srch only matter with cliptosourcerect.
void PIX_DeltaBlit(PIX_IBitmap* dest, const PIX_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx,
                   float srcy, float srcw, float srch, double dsdx, double dtdx, double dsdy, double dtdy,
                   double dsdxdy, double dtdxdy, bool cliptosourcerect, float alpha, int mode);
// The same with an opacity that starts at alpha and changes by dalphadx per column and dalphady
// per row.
void PIX_DeltaBlitAlpha(PIX_IBitmap* dest, const PIX_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                        float srcx, float srcy, float srcw, float srch, double dsdx, double dtdx, double dsdy,
                        double dtdy, double dsdxdy, double dtdxdy, bool cliptosourcerect, float alpha,
                        float dalphadx, float dalphady, int mode);

// Mesh mappings: points holds div_w x div_h source (x, y) pairs, row by row, spread evenly over the
// destination rectangle; each cell between four points is drawn with its steps interpolated
// bilinearly. Nothing is drawn unless div_w and div_h are at least 2.
void PIX_TransformBlit(PIX_IBitmap* dest, const PIX_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                       const float* points, int div_w, int div_h, float alpha, int mode);
void PIX_TransformBlit2(PIX_IBitmap* dest, const PIX_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                        const double* points, int div_w, int div_h, float alpha, int mode);
// alphas holds one opacity per point; within a cell it runs from the top-left corner toward the
// top-right and bottom-left ones.
void PIX_TransformBlit2Alpha(PIX_IBitmap* dest, const PIX_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                             const double* points, const float* alphas, int div_w, int div_h, int mode);
