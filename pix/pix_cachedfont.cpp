// The cached font: binding a font, rendering and storing glyphs, choosing the way to draw, the
// native way, and measuring and walking text the cached way.
#include "pix/pix_cachedfont.h"

#include <algorithm>
#include <cstring>

#include "gdi/gdi.h"
#include "pix/pix.h"
#include "pix/pix_utf8.h"

namespace {

constexpr int kMaxCachedLineHeight = 1023;
constexpr int kNativeLineHeight = 256;
constexpr int kOptionsRulingOutNative = 0x1F7;
constexpr int kMaxNativeDrawFlags = 0x3FFFFFFF;

// Scratch bitmaps shared by every font: one to render glyphs into, one for native text on
// bitmaps without a drawing context. They live while any font does.
PIX_SysBitmap* gGlyphScratch = nullptr;
PIX_SysBitmap* gNativeScratch = nullptr;
int gInstances = 0;

// Grows a scratch bitmap to at least w x h; a new context gets white text on an opaque black
// background.
PIX_SysBitmap* EnsureScratch(PIX_SysBitmap*& scratch, int w, int h) {
  if (!scratch) scratch = new PIX_SysBitmap();
  if (scratch->getWidth() >= w && scratch->getHeight() >= h) return scratch;
  scratch->resize(std::max(w, scratch->getWidth()), std::max(h, scratch->getHeight()));
  HDC dc = scratch->getDC();
  ::SetTextColor(dc, 0xFFFFFF);
  ::SetBkMode(dc, OPAQUE);
  ::SetBkColor(dc, 0);
  return scratch;
}

int Pad(int lineHeight) { return lineHeight < 16 ? 2 : lineHeight / 16 + 2; }

int EncodeUtf8(int c, char* out) {
  if (c < 0x80) {
    out[0] = static_cast<char>(c);
    out[1] = 0;
    return 1;
  }
  if (c < 0x800) {
    out[0] = static_cast<char>(0xC0 | (c >> 6));
    out[1] = static_cast<char>(0x80 | (c & 0x3F));
    out[2] = 0;
    return 2;
  }
  out[0] = static_cast<char>(0xE0 | ((c >> 12) & 0x0F));
  out[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
  out[2] = static_cast<char>(0x80 | (c & 0x3F));
  out[3] = 0;
  return 3;
}

// Rotates a w x h coverage image a quarter turn into out (h x w): clockwise for text running
// down, anticlockwise for text running up.
void Transpose(const unsigned char* in, unsigned char* out, int w, int h, bool bottomUp) {
  for (int y = 0; y < w; ++y)
    for (int x = 0; x < h; ++x)
      out[y * h + x] = bottomUp ? in[x * w + (w - 1 - y)] : in[(h - 1 - x) * w + y];
}

void Threshold(unsigned char* p, int n) {
  for (int i = 0; i < n; ++i) p[i] = p[i] > 130 ? 255 : 0;
}

// Marks with 128 the empty pixels next to ink: all four neighbours for an outline; the left,
// upper and upper-left ones for a shadow falling to the lower right.
void AddEffect(unsigned char* p, int w, int h, bool outline) {
  auto ink = [&](int x, int y) { return x >= 0 && y >= 0 && x < w && y < h && p[y * w + x] == 255; };
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      if (p[y * w + x]) continue;
      const bool mark = outline ? ink(x - 1, y) || ink(x + 1, y) || ink(x, y - 1) || ink(x, y + 1)
                                : ink(x - 1, y) || ink(x, y - 1) || (y > 0 && ink(x - 1, y - 1));
      if (mark) p[y * w + x] = 128;
    }
}

}  // namespace

PIX_CachedFont::PIX_CachedFont() { ++gInstances; }

PIX_CachedFont::~PIX_CachedFont() {
  if (m_font && (m_flags & PIX_FONTOPT_OWNS_FONT)) DeleteObject(m_font);
  if (--gInstances == 0) {
    delete gGlyphScratch;
    delete gNativeScratch;
    gGlyphScratch = gNativeScratch = nullptr;
  }
}

void PIX_CachedFont::SetFromHFont(HFONT font, int flags) {
  if (m_font && (m_flags & PIX_FONTOPT_OWNS_FONT) && m_font != font) DeleteObject(m_font);
  m_flags = flags;
  m_font = font;
  if (font) {
    HDC dc = EnsureScratch(gGlyphScratch, 256, 256)->getDC();
    HGDIOBJ previous = SelectObject(dc, font);
    TEXTMETRIC tm;
    GetTextMetrics(dc, &tm);
    m_lineheight = tm.tmHeight;
    SelectObject(dc, previous);
  }
  memset(m_lowchars, 0, sizeof m_lowchars);
  m_extracharlist.Resize(0);
  m_glyphstore.Resize(0);
  if (font && (flags & PIX_FONTOPT_ASCII_ONLY))
    for (int c = 0; c < 128; ++c) RenderGlyph(c);
}

int PIX_CachedFont::GetExtraGlyphCount() const {
  return m_extracharlist.GetSize() / static_cast<int>(sizeof(GlyphEntry));
}

int PIX_CachedFont::GetExtraGlyphCode(int i) const {
  if (i < 0 || i >= GetExtraGlyphCount()) return -1;
  return static_cast<const GlyphEntry*>(m_extracharlist.Get())[i].charid;
}

PIX_CachedFont::GlyphEntry* PIX_CachedFont::FindGlyph(int c) {
  if (c >= 0 && c < 128) return &m_lowchars[c];
  GlyphEntry* list = static_cast<GlyphEntry*>(m_extracharlist.Get());
  GlyphEntry* end = list + GetExtraGlyphCount();
  GlyphEntry* hit = std::lower_bound(list, end, c, [](const GlyphEntry& g, int code) { return g.charid < code; });
  return hit != end && hit->charid == c ? hit : nullptr;
}

// The glyph's entry, rendered on first use; null when it cannot be rendered.
PIX_CachedFont::GlyphEntry* PIX_CachedFont::GlyphFor(int c) {
  GlyphEntry* g = FindGlyph(c);
  if (g && g->base_offset != 0) return g;
  return RenderGlyph(c);
}

PIX_CachedFont::GlyphEntry* PIX_CachedFont::RenderGlyph(int c) {
  if (!m_font || m_lineheight > kMaxCachedLineHeight || c < 0 || c > 0xFFFF) return nullptr;
  bool added = false;
  GlyphEntry* g = FindGlyph(c);
  if (!g) {
    if (m_flags & PIX_FONTOPT_ASCII_ONLY) return nullptr;
    const int n = GetExtraGlyphCount();
    const int bytes = (n + 1) * static_cast<int>(sizeof(GlyphEntry));
    if (!m_extracharlist.Resize(bytes, false) || m_extracharlist.GetSize() != bytes) {
      m_extracharlist.Resize(n * static_cast<int>(sizeof(GlyphEntry)), false);
      return nullptr;
    }
    g = static_cast<GlyphEntry*>(m_extracharlist.Get()) + n;
    *g = GlyphEntry{};
    g->charid = c;
    added = true;
  }

  const int scratchSize = std::max(1, m_lineheight) * 2 + 8;
  PIX_SysBitmap* scratch = EnsureScratch(gGlyphScratch, scratchSize, scratchSize);
  HDC dc = scratch->getDC();
  HGDIOBJ previous = SelectObject(dc, m_font);
  char utf8[4];
  EncodeUtf8(c, utf8);
  RECT box = {0, 0, 0, 0};
  GDI_DrawText(dc, utf8, -1, &box, DT_CALCRECT | DT_NOPREFIX | DT_SINGLELINE);
  const int pad = Pad(m_lineheight);
  const int w = std::min(box.right, scratch->getWidth() - 2 * pad);
  const int h = std::min(box.bottom, scratch->getHeight());
  if (w >= 1 && h >= 1) {
    PIX_FillRect(scratch, 0, 0, w + 2 * pad, h, 0, 1.0f, PIX_COMBINE_COPY);
    RECT at = {pad, 0, pad + w, h};
    GDI_DrawText(dc, utf8, -1, &at, DT_NOCLIP | DT_NOPREFIX | DT_SINGLELINE);
  }
  SelectObject(dc, previous);

  if (w < 1 || h < 1) {
    g->base_offset = -1;
    g->height = 0;
    g->left_extra = 0;
  } else {
    g->advance = w;
    if (m_flags & PIX_FONTOPT_BLUR) PIX_Blur(scratch, scratch, 0, 0, 0, 0, w + 2 * pad, h);
    StoreImage(g, w, h, pad);
  }

  if (added && GetExtraGlyphCount() >= 2) {
    GlyphEntry* list = static_cast<GlyphEntry*>(m_extracharlist.Get());
    std::sort(list, list + GetExtraGlyphCount(),
              [](const GlyphEntry& a, const GlyphEntry& b) { return a.charid < b.charid; });
    g = FindGlyph(c);
  }
  return g;
}

// Copies the rendered w x h glyph (padded by pad on both sides) from the glyph scratch into the
// store, trimmed to its inked columns, then turned and given its effects.
void PIX_CachedFont::StoreImage(GlyphEntry* g, int w, int h, int pad) {
  const PIX_IBitmap* scratch = gGlyphScratch;
  const int fullw = w + 2 * pad;
  const int start = m_glyphstore.GetSize();
  const long long grown = static_cast<long long>(start) + static_cast<long long>(h) * fullw;
  if (grown > 0x7fffffffLL || m_glyphstore.Resize(static_cast<int>(grown), false) == nullptr ||
      m_glyphstore.GetSize() != grown) {
    m_glyphstore.Resize(start, false);
    g->base_offset = -1;
    g->height = 0;
    return;
  }
  unsigned char* image = static_cast<unsigned char*>(m_glyphstore.Get()) + start;
  const bool invert = (m_flags & PIX_FONTOPT_INVERT) != 0;
  int left = pad, right = pad + w;
  bool anyInk = false;
  for (int y = 0; y < h; ++y) {
    const PIX_pixel* row = scratch->getBits() + static_cast<ptrdiff_t>(y) * scratch->getRowSpan();
    for (int x = 0; x < fullw; ++x) {
      const int red = PIX_GETR(row[x]);
      image[y * fullw + x] = static_cast<unsigned char>(invert ? 255 - red : red);
      if (red) {
        left = std::min(left, x);
        right = std::max(right, x + 1);
      }
    }
  }
  const int width = right - left;
  for (int y = 0; y < h; ++y) memmove(image + y * width, image + y * fullw + left, static_cast<size_t>(width));
  int outw = width, outh = h;
  const int bytes = width * h;

  if (m_flags & PIX_FONTOPT_VERTICAL) {
    KIT_TypedBuf<unsigned char> turned;
    if (!turned.Resize(bytes) || turned.GetSize() != bytes) {
      m_glyphstore.Resize(start, false);
      g->base_offset = -1;
      g->height = 0;
      return;
    }
    Transpose(image, turned.Get(), width, h, (m_flags & PIX_FONTOPT_BOTTOMUP) != 0);
    memcpy(image, turned.Get(), static_cast<size_t>(bytes));
    outw = h, outh = width;
  }
  if (m_flags & (PIX_FONTOPT_MONO | PIX_FONTOPT_SHADOW | PIX_FONTOPT_OUTLINE)) Threshold(image, bytes);
  if (m_flags & (PIX_FONTOPT_SHADOW | PIX_FONTOPT_OUTLINE))
    AddEffect(image, outw, outh, (m_flags & PIX_FONTOPT_OUTLINE) != 0);
  for (int i = 0; i < bytes && !anyInk; ++i) anyInk = image[i] != 0;

  g->base_offset = start + 1;
  g->left_extra = pad - left;
  if (!anyInk) {
    // Nothing to see (a space): keep the advance and the line extent, store no bytes.
    m_glyphstore.Resize(start, false);
    if (m_flags & PIX_FONTOPT_VERTICAL)
      outh = 0;
    else
      outw = 0;
  } else {
    m_glyphstore.Resize(start + bytes, false);
  }
  g->width = outw;
  g->height = outh;
}

int PIX_CachedFont::DrawText(PIX_IBitmap* bm, const char* text, int length, RECT* rect, int flags) {
  if (!text || !rect) return 0;
  if (!bm && !(flags & DT_CALCRECT)) return 0;
  if (bm && bm->Extended(PIX_EXTENDED_PREFER_CACHED_TEXT, nullptr))
    return DrawTextCached(bm, text, length, rect, flags);
  const bool nativeAllowed = (m_flags & PIX_FONTOPT_PREFER_NATIVE) && !(m_flags & kOptionsRulingOutNative) &&
                             static_cast<unsigned>(flags) <= static_cast<unsigned>(kMaxNativeDrawFlags) &&
                             m_font && (m_linespace_adj == 0 || (flags & DT_SINGLELINE));
  if (nativeAllowed || m_lineheight >= kNativeLineHeight) return DrawTextNative(bm, text, length, rect, flags);
  return DrawTextCached(bm, text, length, rect, flags);
}

int PIX_CachedFont::DrawTextNative(PIX_IBitmap* bm, const char* text, int length, RECT* rect, int flags) {
  HDC dc = bm ? bm->getDC() : nullptr;
  if (!dc) return DrawTextNativeViaScratch(bm, text, length, rect, flags);
  HGDIOBJ previous = SelectObject(dc, m_font);
  ::SetTextColor(dc, static_cast<int>(m_fg & 0xFFFFFF));
  ::SetBkMode(dc, m_bgmode);
  if (m_bgmode == OPAQUE) ::SetBkColor(dc, static_cast<int>(m_bg & 0xFFFFFF));
  RECT r = *rect;
  const int result = GDI_DrawText(dc, text, length, &r, (flags & 0x7FFFFFFF) | DT_NOPREFIX);
  if (flags & DT_CALCRECT) *rect = r;
  SelectObject(dc, previous);
  return result;
}

// Native text for a bitmap without a context: drawn on a copy of the area in the native scratch
// bitmap, then copied back at the font's opacity.
int PIX_CachedFont::DrawTextNativeViaScratch(PIX_IBitmap* bm, const char* text, int length, RECT* rect,
                                             int flags) {
  PIX_SysBitmap* scratch = EnsureScratch(gNativeScratch, 4, 4);
  HDC dc = scratch->getDC();
  HGDIOBJ previous = SelectObject(dc, m_font);
  RECT measured = {0, 0, 0, 0};
  const int height = GDI_DrawText(dc, text, length, &measured, (flags & 0x7FFFFFF0) | DT_CALCRECT | DT_NOPREFIX);
  const int tw = measured.right, th = measured.bottom;
  if (flags & DT_CALCRECT) {
    rect->right = rect->left + tw;
    rect->bottom = rect->top + th;
    SelectObject(dc, previous);
    return height;
  }
  int x = rect->left, y = rect->top;
  if (flags & DT_RIGHT)
    x = rect->right - tw;
  else if (flags & DT_CENTER)
    x = rect->left + (rect->right - rect->left - tw) / 2;
  if (flags & DT_BOTTOM)
    y = rect->bottom - th;
  else if (flags & DT_VCENTER)
    y = rect->top + (rect->bottom - rect->top - th) / 2;
  // Ink may overhang the measured box by a few pixels on either side.
  const int pad = Pad(m_lineheight);
  int bx = x - pad, by = y, br = x + tw + pad, bb = y + th;
  if (!(flags & DT_NOCLIP)) {
    bx = std::max(bx, rect->left), by = std::max(by, rect->top);
    br = std::min(br, rect->right), bb = std::min(bb, rect->bottom);
  }
  bx = std::max(bx, 0), by = std::max(by, 0);
  br = std::min(br, bm->getWidth()), bb = std::min(bb, bm->getHeight());
  if (br > bx && bb > by) {
    const int bw = br - bx, bh = bb - by;
    scratch = EnsureScratch(gNativeScratch, bw, bh);
    dc = scratch->getDC();
    SelectObject(dc, m_font);
    PIX_Blit(scratch, bm, 0, 0, bx, by, bw, bh, 1.0f, PIX_COMBINE_COPY);
    ::SetTextColor(dc, static_cast<int>(m_fg & 0xFFFFFF));
    ::SetBkMode(dc, m_bgmode);
    if (m_bgmode == OPAQUE) ::SetBkColor(dc, static_cast<int>(m_bg & 0xFFFFFF));
    RECT local = {rect->left - bx, rect->top - by, rect->right - bx, rect->bottom - by};
    GDI_DrawText(dc, text, length, &local, (flags & 0x7FFFFFFF) | DT_NOPREFIX);
    PIX_Blit(bm, scratch, bx, by, 0, 0, bw, bh, m_alpha, PIX_COMBINE_COPY);
  }
  SelectObject(dc, previous);
  return height;
}
