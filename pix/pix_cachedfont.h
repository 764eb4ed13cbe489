#pragma once
// Text drawn into raster bitmaps with a font of the drawing layer, two ways: natively through
// GDI_DrawText on the bitmap's context, or from per-font cached 8-bit coverage images blended
// with the combine rules (translucency, every combine mode, glyph effects, vertical text).
#include "gdi/gditypes.h"
#include "kit/heapbuf.h"
#include "pix/pix_bitmap.h"

namespace pix {
struct Surface;
}  // namespace pix

#define PIX_FONTOPT_VERTICAL 0x1
#define PIX_FONTOPT_BOTTOMUP 0x2
#define PIX_FONTOPT_ASCII_ONLY 0x4
#define PIX_FONTOPT_BLUR 0x10
#define PIX_FONTOPT_INVERT 0x20
#define PIX_FONTOPT_MONO 0x40
#define PIX_FONTOPT_SHADOW 0x80
#define PIX_FONTOPT_OUTLINE 0x100
#define PIX_FONTOPT_OWNS_FONT 0x200
#define PIX_FONTOPT_PREFER_NATIVE 0x400

// Draw flags beyond the DT_ ones of gdi/gdi.h: scale the opacity by the text colour's alpha (and
// never draw natively); bit 31 only rules out the native way.
#define PIX_DT_ALPHA_FROM_COLOR 0x40000000
#define PIX_DT_NO_NATIVE 0x80000000

// A bitmap answering this Extended request with non-zero wants text the cached way.
#define PIX_EXTENDED_PREFER_CACHED_TEXT 0x59555678

class PIX_CachedFont {
public:
  PIX_CachedFont();
  virtual ~PIX_CachedFont();
  PIX_CachedFont(const PIX_CachedFont&) = delete;
  PIX_CachedFont& operator=(const PIX_CachedFont&) = delete;

  // Binds the font (deleting an owned previous one) and empties every glyph cache.
  virtual void SetFromHFont(HFONT font, int flags = 0);
  virtual void SetTextColor(PIX_pixel color) { m_fg = color; }
  virtual void SetBkColor(PIX_pixel color) { m_bg = color; }
  virtual void SetEffectColor(PIX_pixel color) { m_effectcol = color; }
  virtual void SetBkMode(int mode) { m_bgmode = mode; }
  virtual void SetCombineMode(int mode, float alpha = 1.0f) {
    m_comb = mode;
    m_alpha = alpha;
  }
  // Draws (or with DT_CALCRECT measures) UTF-8 text; length in bytes, or -1 for zero-terminated.
  // Returns the height of the text block (its width for vertical fonts).
  virtual int DrawText(PIX_IBitmap* bm, const char* text, int length, RECT* rect, int flags);
  virtual PIX_pixel GetTextColor() const { return m_fg; }
  virtual HFONT GetHFont() const { return m_font; }
  virtual int GetLineHeight() const { return m_lineheight; }
  // One cached glyph at the pen position; true when anything was drawn.
  virtual bool DrawGlyph(PIX_IBitmap* bm, unsigned short c, int xpos, int ypos, const RECT* clipR);

  // Glyph store size in bytes and the number of characters above 127 known so far.
  int GetGlyphStoreSize() const { return m_glyphstore.GetSize(); }
  int GetExtraGlyphCount() const;
  // The character codes above 127 in list order.
  int GetExtraGlyphCode(int i) const;

  struct GlyphEntry {
    int base_offset;  // 0 not rendered, -1 nothing to draw or not stored, else 1 + store offset
    int width, height;
    int advance;
    int charid;
    int left_extra;  // pixels the image starts before the pen
  };

private:
  GlyphEntry* FindGlyph(int c);
  GlyphEntry* RenderGlyph(int c);
  GlyphEntry* GlyphFor(int c);
  void StoreImage(GlyphEntry* g, int w, int h, int pad);
  bool DrawGlyphAt(PIX_IBitmap* bm, const pix::Surface& s, const GlyphEntry* g, int xpos, int ypos,
                   const RECT* clipR);
  int DrawTextNative(PIX_IBitmap* bm, const char* text, int length, RECT* rect, int flags);
  int DrawTextNativeViaScratch(PIX_IBitmap* bm, const char* text, int length, RECT* rect, int flags);
  void MeasureCached(const char* text, int length, int flags, int* width, int* height);
  int DrawTextCached(PIX_IBitmap* bm, const char* text, int length, RECT* rect, int flags);

  PIX_pixel m_fg = 0;
  PIX_pixel m_bg = 0xFFFFFFFF;
  PIX_pixel m_effectcol = 0xFFFFFFFF;
  int m_bgmode = 0;
  int m_comb = 0;
  float m_alpha = 1.0f;
  int m_flags = 0;
  int m_lineheight = 0;
  int m_linespace_adj = 0;
  GlyphEntry m_lowchars[128] = {};
  KIT_HeapBuf m_extracharlist{4096};
  KIT_HeapBuf m_glyphstore{65536};
  HFONT m_font = nullptr;
};
