// The cached way: walking text glyph by glyph to measure and to draw it.
#include <algorithm>

#include "gdi/gdi.h"
#include "pix/pix_cachedfont.h"
#include "pix/pix_loops.h"
#include "pix/pix_utf8.h"

namespace {

// Steps through the text one character at a time, as the cached way reads it.
class TextWalk {
public:
  TextWalk(const char* text, int length) : mText(text), mLeft(length) {}
  // False at the end: the length used up or a zero byte.
  bool Next(int* c) {
    if (mLeft == 0 || !*mText) return false;
    int used = 1;
    *c = PIX_Utf8Char(mText, mLeft, &used);
    mText += used;
    if (mLeft > 0) mLeft = std::max(0, mLeft - used);
    return true;
  }

private:
  const char* mText;
  int mLeft;
};

// The pen through a walk: characters to draw come back from Next; carriage returns are skipped
// and line feeds start a new line (or are spaces in single-line text).
class PenWalk {
public:
  PenWalk(const char* text, int length, int flags, bool vertical, int x0, int y0, int lineStep)
      : mWalk(text, length), mSingleLine((flags & DT_SINGLELINE) != 0), mVertical(vertical), mX0(x0), mY0(y0),
        mLineStep(lineStep), x(x0), y(y0) {}
  bool Next(int* c) {
    while (mWalk.Next(c)) {
      if (*c == '\r') continue;
      if (*c != '\n') return true;
      if (mSingleLine) {
        *c = ' ';
        return true;
      }
      if (mVertical)
        y = mY0, x += mLineStep;
      else
        x = mX0, y += mLineStep;
    }
    return false;
  }

private:
  TextWalk mWalk;
  bool mSingleLine, mVertical;
  int mX0, mY0, mLineStep;

public:
  int x, y;
};

}  // namespace

void PIX_CachedFont::MeasureCached(const char* text, int length, int flags, int* width, int* height) {
  const bool vertical = (m_flags & PIX_FONTOPT_VERTICAL) != 0;
  int w = 0, h = 0;
  PenWalk pen(text, length, flags, vertical, 0, 0, m_lineheight + m_linespace_adj);
  int& x = pen.x;
  int& y = pen.y;
  for (int c; pen.Next(&c);) {
    const GlyphEntry* g = GlyphFor(c);
    if (!g || g->base_offset < 0) continue;
    if (vertical) {
      h = std::max(h, std::max(y + g->advance, y + g->height - g->left_extra));
      w = std::max(w, x + g->width);
      y += g->advance;
    } else {
      w = std::max(w, std::max(x + g->advance, x + g->width - g->left_extra));
      h = std::max(h, y + g->height);
      x += g->advance;
    }
  }
  *width = w;
  *height = h;
}

int PIX_CachedFont::DrawTextCached(PIX_IBitmap* bm, const char* text, int length, RECT* rect, int flags) {
  const bool vertical = (m_flags & PIX_FONTOPT_VERTICAL) != 0;
  const bool bottomUp = vertical && (m_flags & PIX_FONTOPT_BOTTOMUP);
  if (flags & DT_CALCRECT) {
    int w, h;
    MeasureCached(text, length, flags, &w, &h);
    rect->right = rect->left + w;
    rect->bottom = rect->top + h;
    return vertical ? w : h;
  }

  float alpha = m_alpha;
  if (flags & PIX_DT_ALPHA_FROM_COLOR) alpha *= static_cast<float>(PIX_GETA(m_fg)) / 255.0f;
  if (alpha == 0.0f) return 0;

  int xpos = rect->left, ypos = rect->top;
  if ((flags & 0xF) || bottomUp) {
    int tw, th;
    MeasureCached(text, length, flags & DT_SINGLELINE, &tw, &th);
    if (flags & DT_CENTER)
      xpos += (rect->right - rect->left - tw) / 2;
    else if (flags & DT_RIGHT)
      xpos += rect->right - rect->left - tw;
    if (flags & DT_VCENTER)
      ypos += (rect->bottom - rect->top - th) / 2;
    else if (flags & DT_BOTTOM)
      ypos += rect->bottom - rect->top - th;
    if (bottomUp) ypos += th;
  }

  RECT clip = {0, 0, bm->getWidth(), bm->getHeight()};
  if (!(flags & DT_NOCLIP)) {
    clip.left = std::max(rect->left, 0), clip.top = std::max(rect->top, 0);
    clip.right = std::min(rect->right, bm->getWidth()), clip.bottom = std::min(rect->bottom, bm->getHeight());
  }
  if (clip.right <= clip.left || clip.bottom <= clip.top) return 0;
  pix::Surface surface;
  if (!pix::GetSurface(bm, surface)) return 0;

  const float savedAlpha = m_alpha;
  m_alpha = alpha;
  int extent = 0;
  PenWalk pen(text, length, flags, vertical, xpos, ypos, m_lineheight + m_linespace_adj);
  int& x = pen.x;
  int& y = pen.y;
  for (int c; pen.Next(&c);) {
    const GlyphEntry* g = GlyphFor(c);
    if (!g || g->base_offset < 0) continue;
    const int advance = g->advance, gw = g->width, gh = g->height;
    DrawGlyphAt(bm, surface, g, x, bottomUp ? y - gh : y, &clip);
    if (vertical) {
      extent = std::max(extent, x - xpos + gw);
      y += bottomUp ? -advance : advance;
    } else {
      extent = std::max(extent, y - ypos + gh);
      x += advance;
    }
  }
  m_alpha = savedAlpha;
  return extent;
}
