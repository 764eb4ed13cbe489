// Text colour, background and GDI_DrawText: preparing, measuring, placing and drawing text.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "gdi/gdi-internalpool.h"
#include "gdi/gdi.h"
#include "gdi/gdi_font_internal.h"

namespace {

constexpr int kMaxTextLen = 4095;

bool IsContinuationByte(unsigned char c) { return (c & 0xC0) == 0x80; }

// Well-formed UTF-8: no stray or missing continuation bytes, no overlong forms or surrogates.
bool IsValidUtf8(const char* text, int n) {
  const unsigned char* s = reinterpret_cast<const unsigned char*>(text);
  for (int i = 0; i < n;) {
    const unsigned char c = s[i];
    int extra;
    unsigned min;
    unsigned code;
    if (c < 0x80) {
      ++i;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      extra = 1, min = 0x80, code = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      extra = 2, min = 0x800, code = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      extra = 3, min = 0x10000, code = c & 0x07;
    } else {
      return false;
    }
    for (int k = 1; k <= extra; ++k) {
      if (i + k >= n || !IsContinuationByte(s[i + k])) return false;
      code = (code << 6) | (s[i + k] & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    i += extra + 1;
  }
  return true;
}

// The prepared text with its lines split in place: each line ends with a zero byte.
// n, or less when the text's last UTF-8 character was cut short.
int WithoutIncompleteLastCharacter(const char* text, int n) {
  int start = n;
  while (start > 0 && n - start < 3 && IsContinuationByte(static_cast<unsigned char>(text[start - 1]))) --start;
  if (start == 0) return n;
  const unsigned char lead = static_cast<unsigned char>(text[start - 1]);
  const int expected = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  return n - (start - 1) < expected ? start - 1 : n;
}

struct PreparedText {
  char text[kMaxTextLen + 1];
  int length = 0;
  int lines = 0;
};

// Carriage returns dropped, '&' prefixes resolved unless DT_NOPREFIX, line feeds made spaces in
// single-line mode. A text longer than the buffer is cut before the character that does not fit.
void Prepare(const char* src, int length, int flags, PreparedText* out) {
  int n = 0;
  bool literal = false;
  for (int i = 0; (length < 0 || i < length) && src[i]; ++i) {
    char c = src[i];
    if (c == '\r') continue;
    if (!literal && c == '&' && !(flags & DT_NOPREFIX)) {
      literal = true;
      continue;
    }
    literal = false;
    if (c == '\n' && (flags & DT_SINGLELINE)) c = ' ';
    if (n == kMaxTextLen) {
      n = WithoutIncompleteLastCharacter(out->text, n);
      break;
    }
    out->text[n++] = c;
  }
  out->text[n] = 0;
  out->length = n;
  // A final line feed opens no further line.
  out->lines = n > 0 ? 1 : 0;
  for (int i = 0; i < n; ++i) {
    if (out->text[i] != '\n') continue;
    out->text[i] = 0;
    if (i + 1 < n) ++out->lines;
  }
}

const char* NextLine(const char* line) { return line + strlen(line) + 1; }

int RoundedAdvance(const GDI_Font* font, const char* line) {
  cairo_text_extents_t extents;
  cairo_scaled_font_text_extents(font->scaled, line, &extents);
  return static_cast<int>(std::floor(extents.x_advance + 0.5));
}

struct Layout {
  int width = 0, height = 0, lineHeight = 0;
  double ascent = 0;
};

// Each line is as high as the font's ascent, descent and leading, rounded.
Layout Measure(const GDI_Font* font, const PreparedText& text) {
  Layout layout;
  double descent, leading;
  GDI_FontLineMetrics(font, &layout.ascent, &descent, &leading);
  layout.lineHeight = static_cast<int>(std::floor(layout.ascent + descent + leading + 1.5));
  const char* line = text.text;
  for (int i = 0; i < text.lines; ++i, line = NextLine(line)) {
    layout.width = std::max(layout.width, RoundedAdvance(font, line));
    layout.height += layout.lineHeight;
  }
  if (layout.height != 0) layout.height += 1;
  return layout;
}

void SetColor(cairo_t* cr, const GDI_Color& c) { cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a); }

void DrawLines(HDC ctx, const GDI_Font* font, int quality, const PreparedText& text, const Layout& layout, int x, int y,
               const RECT& rect, int flags) {
  cairo_t* cr = ctx->gc;
  cairo_save(cr);
  if (!(flags & DT_NOCLIP)) {
    cairo_new_path(cr);
    cairo_rectangle(cr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    cairo_clip(cr);
  }
  if (ctx->curbkmode == OPAQUE) {
    SetColor(cr, GDI_ColorOf(ctx->curbkcol));
    cairo_new_path(cr);
    cairo_rectangle(cr, x, y, layout.width, layout.lineHeight);
    cairo_fill(cr);
  }
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_get_font_options(cr, options);
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  if (quality == ANTIALIASED_QUALITY) cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
  if (quality == NONANTIALIASED_QUALITY) cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_NONE);
  cairo_set_font_options(cr, options);
  cairo_font_options_destroy(options);
  cairo_set_font_face(cr, font->face);
  cairo_set_font_size(cr, font->size);
  SetColor(cr, ctx->hasTextColor ? ctx->textColor : GDI_Color{0, 0, 0, 1});

  const char* line = text.text;
  for (int i = 0, top = y; i < text.lines; ++i, top += layout.lineHeight, line = NextLine(line)) {
    cairo_move_to(cr, x, top + layout.ascent);
    cairo_show_text(cr, line);
  }
  cairo_restore(cr);
}

}  // namespace

int SetTextColor(HDC ctx, int color) {
  if (!GDI_IsValidContext(ctx)) return -1;
  const int previous = ctx->curtextcol;
  ctx->curtextcol = color;
  ctx->textColor = GDI_ColorOf(color);
  ctx->hasTextColor = true;
  return previous;
}

int GetTextColor(HDC ctx) { return GDI_IsValidContext(ctx) ? ctx->curtextcol : -1; }

int SetBkColor(HDC ctx, int color) {
  if (!GDI_IsValidContext(ctx)) return -1;
  const int previous = ctx->curbkcol;
  ctx->curbkcol = color;
  return previous;
}

int SetBkMode(HDC ctx, int mode) {
  if (!GDI_IsValidContext(ctx)) return 0;
  const int previous = ctx->curbkmode;
  ctx->curbkmode = mode;
  return previous;
}

int GDI_DrawText(HDC ctx, const char* text, int length, RECT* rect, int flags) {
  if (!GDI_IsValidContext(ctx) || !text || !rect) return 0;
  const GDI_Font* font = GDI_FontOfContext(ctx);
  if (!font) return 0;
  PreparedText prepared;
  Prepare(text, length, flags, &prepared);
  if (prepared.length == 0 || !IsValidUtf8(prepared.text, prepared.length)) return 0;
  const Layout layout = Measure(font, prepared);

  if (flags & DT_CALCRECT) {
    rect->right = rect->left + layout.width;
    rect->bottom = rect->top + layout.height;
    return layout.height;
  }
  if (!ctx->gc) return 0;
  int x = rect->left, y = rect->top;
  if (flags & DT_RIGHT)
    x = rect->left + (rect->right - rect->left - layout.width);
  else if (flags & DT_CENTER)
    x = rect->left + (rect->right - rect->left) / 2 - layout.width / 2;
  if (flags & DT_BOTTOM)
    y = rect->bottom - layout.height;
  else if (flags & DT_VCENTER)
    y = rect->top + (rect->bottom - rect->top) / 2 - layout.height / 2;

  const int quality = GDI_IsValidObject(ctx->curfont) ? ctx->curfont->quality : 0;
  DrawLines(ctx, font, quality, prepared, layout, x, y, *rect, flags);
  return layout.height;
}
