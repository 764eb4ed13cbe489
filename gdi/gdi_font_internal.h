#pragma once
// What a font object holds: the face fontconfig matched for the requested name and style, its
// size, and a scaled font for measuring.
#include <cairo.h>

#include "gdi/gditypes.h"

struct GDI_Font {
  cairo_font_face_t* face;
  cairo_scaled_font_t* scaled;  // at the font's size, identity transform, hinting off
  double size;
  char displayName[256];
};

// The context's selected font, or the default font (sans, size 10) when none is selected.
// Null only when no font at all could be made.
const GDI_Font* GDI_FontOfContext(HDC ctx);

// The font's ascent, descent and leading (its line gap) in pixels, unrounded.
void GDI_FontLineMetrics(const GDI_Font* font, double* ascent, double* descent, double* leading);
