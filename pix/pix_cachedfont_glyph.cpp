// Drawing one cached glyph: placement, clipping, the background box and the renderers.
#include <algorithm>

#include "gdi/gdi.h"
#include "pix/pix.h"
#include "pix/pix_cachedfont.h"
#include "pix/pix_glyph_renderer.h"
#include "pix/pix_loops.h"

namespace {

// Calls f with the rule of the mode's combine number; the glyph's own alpha is always full, so
// the source-alpha flag changes nothing. False for unknown modes.
template <class F> bool WithGlyphRule(int mode, F&& f) {
  if ((mode & PIX_COMBINE_MODEMASK) == PIX_COMBINE_COPY) {
    f(pix::RuleTag<_PIX_CombinePixelsCopyNoClamp>());
    return true;
  }
  return pix::DispatchBlendRule(mode & PIX_COMBINE_MODEMASK, f);
}

void StoreWord(const pix::kernels::GlyphArea& a, PIX_pixel ink, PIX_pixel effect) {
  PIX_pixel* d = a.dest;
  const unsigned char* c = a.cov;
  for (int y = 0; y < a.h; ++y, d += a.dstep, c += a.covstep)
    for (int x = 0; x < a.w; ++x)
      if (c[x]) d[x] = c[x] == 255 ? ink : effect;
}

}  // namespace

bool PIX_CachedFont::DrawGlyph(PIX_IBitmap* bm, unsigned short c, int xpos, int ypos, const RECT* clipR) {
  const GlyphEntry* g = GlyphFor(c);
  pix::Surface s;
  if (!g || !pix::GetSurface(bm, s)) return false;
  return DrawGlyphAt(bm, s, g, xpos, ypos, clipR);
}

bool PIX_CachedFont::DrawGlyphAt(PIX_IBitmap* bm, const pix::Surface& s, const GlyphEntry* g, int xpos, int ypos,
                                 const RECT* clipR) {
  if (g->base_offset <= 0 || g->width <= 0 || g->height <= 0) return false;

  // The image starts before the pen along the writing direction.
  if (!(m_flags & PIX_FONTOPT_VERTICAL))
    xpos -= g->left_extra;
  else if (m_flags & PIX_FONTOPT_BOTTOMUP)
    ypos += g->left_extra;
  else
    ypos -= g->left_extra;

  int left = xpos, top = ypos, right = xpos + g->width, bottom = ypos + g->height;
  if (clipR) {
    left = std::max(left, clipR->left), top = std::max(top, clipR->top);
    right = std::min(right, clipR->right), bottom = std::min(bottom, clipR->bottom);
  }
  left = std::max(left, 0), top = std::max(top, 0);
  right = std::min(right, s.w), bottom = std::min(bottom, s.h);
  if (right <= left || bottom <= top) return false;

  if (m_bgmode == OPAQUE)
    PIX_FillRect(bm, left, top, right - left, bottom - top, m_bg, m_alpha, m_comb & ~PIX_FLAG_SOURCE_ALPHA);

  const unsigned char* image = static_cast<const unsigned char*>(m_glyphstore.Get()) + (g->base_offset - 1);
  pix::kernels::GlyphArea a;
  a.dest = s.row(top) + left;
  a.dstep = s.step;
  a.cov = image + (top - ypos) * g->width + (left - xpos);
  a.covstep = g->width;
  a.w = right - left;
  a.h = bottom - top;

  const bool copy = (m_comb & PIX_COMBINE_MODEMASK) == PIX_COMBINE_COPY;
  const int ia = PIX_Weight(m_alpha);
  if (copy && ia <= 0) return false;
  const int flatWeight = std::min(256, ia);
  if (m_flags & (PIX_FONTOPT_SHADOW | PIX_FONTOPT_OUTLINE)) {
    if (copy && m_alpha == 1.0f) {
      StoreWord(a, m_fg, m_effectcol);
      return true;
    }
    return WithGlyphRule(m_comb, [&](auto tag) {
      GlyphRenderer<typename decltype(tag)::type>::Effect(a, m_fg, m_effectcol, flatWeight);
    });
  }
  if (m_flags & PIX_FONTOPT_MONO) {
    if (copy && m_alpha == 1.0f) {
      StoreWord(a, m_fg, m_fg);
      return true;
    }
    return WithGlyphRule(m_comb, [&](auto tag) { GlyphRenderer<typename decltype(tag)::type>::Mono(a, m_fg, flatWeight); });
  }
  return WithGlyphRule(m_comb, [&](auto tag) { GlyphRenderer<typename decltype(tag)::type>::Normal(a, m_fg, ia); });
}
