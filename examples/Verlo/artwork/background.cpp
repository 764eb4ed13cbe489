// The editor background: a lit graphite panel with the product and maker names, a label under
// each control, and the product page link in the footer.
#include <cmath>
#include <cstdint>

#include "examples/Verlo/artwork/artwork.h"
#include "examples/Verlo/artwork/palette.h"
#include "examples/Verlo/artwork/shapes.h"
#include "gdi/gdi.h"
#include "pix/pix.h"
#include "pix/pix_cachedfont.h"

namespace artwork {
namespace {

constexpr int kFooterTop = 156;
constexpr int kLabelTop = 132, kLabelBottom = 147;

// A fixed-seed generator, so the brushed grain is the same in every build.
struct Grain {
  uint32_t state = 0x2545F491u;
  float Next() {
    state = state * 1664525u + 1013904223u;
    return static_cast<float>(state >> 8) / 16777216.0f - 0.5f;
  }
};

void DrawPanel(Canvas& c) {
  Grain grain;
  const int w = c.Width(), h = c.Height();
  for (int y = 0; y < h; ++y) {
    const float streak = 0.012f * grain.Next();
    for (int x = 0; x < w; ++x) {
      Colour p = Mix(kPanelTop, kPanelBottom, static_cast<float>(y) / (h - 1));
      const float v = streak + 0.006f * grain.Next();
      p = {Clamp01(p.r + v), Clamp01(p.g + v), Clamp01(p.b + v), 1.0f};
      c.Blend(x, y, y >= kFooterTop ? Mix(p, kFooter, 0.75f) : p, 1.0f);
    }
  }
  // The footer is a step down: a shadow line under the panel's edge, the edge itself lit.
  for (int x = 0; x < w; ++x) {
    c.Blend(x, kFooterTop - 1, Rgb(0xFFFFFF, 0.07f), 1.0f);
    c.Blend(x, kFooterTop, Rgb(0x000000, 0.6f), 1.0f);
    c.Blend(x, kFooterTop + 1, Rgb(0x000000, 0.25f), 1.0f);
  }
  // Frame: lit top and left edges, shaded bottom and right ones.
  for (int x = 0; x < w; ++x) c.Blend(x, 0, Rgb(0xFFFFFF, 0.14f), 1.0f), c.Blend(x, h - 1, Rgb(0x000000, 0.6f), 1.0f);
  for (int y = 0; y < h; ++y) c.Blend(0, y, Rgb(0xFFFFFF, 0.10f), 1.0f), c.Blend(w - 1, y, Rgb(0x000000, 0.6f), 1.0f);
}

// Engraved vertical line between groups of controls: a shadow with a lit edge to its right.
void DrawSeparator(Canvas& c, int x) {
  for (int y = 22; y < 148; ++y) {
    const float fade = Clamp01(std::fmin(y - 22, 148 - y) / 16.0f);
    c.Blend(x, y, Rgb(0x000000, 0.45f * fade), 1.0f);
    c.Blend(x + 1, y, Rgb(0xFFFFFF, 0.07f * fade), 1.0f);
  }
}

HFONT Font(int size, bool bold) {
  return CreateFont(size, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, 0, 0, 0, 0, 0, 0, ANTIALIASED_QUALITY, 0,
                    "DejaVu Sans");
}

// Text in the box with a one-pixel shadow to the lower right.
void DrawText(PIX_IBitmap* bm, PIX_CachedFont& font, const char* text, RECT box, int flags, PIX_pixel colour,
              float shadow) {
  const int single = flags | DT_SINGLELINE | DT_NOPREFIX;
  RECT shifted = {box.left + 1, box.top + 1, box.right + 1, box.bottom + 1};
  font.SetTextColor(kTextShadow);
  font.SetCombineMode(PIX_COMBINE_COPY, shadow);
  font.DrawText(bm, text, -1, &shifted, single);
  font.SetTextColor(colour);
  font.SetCombineMode(PIX_COMBINE_COPY, 1.0f);
  font.DrawText(bm, text, -1, &box, single);
}

void DrawLabel(PIX_IBitmap* bm, PIX_CachedFont& font, const ControlArt& control) {
  const int centre = control.x + control.width / 2;
  DrawText(bm, font, control.label, {centre - 50, kLabelTop, centre + 50, kLabelBottom},
           DT_CENTER | DT_VCENTER, kLabelText, 0.6f);
}

void DrawLettering(PIX_IBitmap* bm) {
  PIX_CachedFont title, tagline, label, maker, link;
  title.SetFromHFont(Font(28, true), PIX_FONTOPT_OWNS_FONT);
  tagline.SetFromHFont(Font(9, false), PIX_FONTOPT_OWNS_FONT);
  label.SetFromHFont(Font(12, true), PIX_FONTOPT_OWNS_FONT);
  maker.SetFromHFont(Font(11, true), PIX_FONTOPT_OWNS_FONT);
  link.SetFromHFont(Font(10, false), PIX_FONTOPT_OWNS_FONT);

  DrawText(bm, title, "Verlo", {15, 9, 180, 45}, DT_LEFT | DT_TOP, kTitleText, 0.7f);
  DrawText(bm, tagline, "stereo chopper", {17, 44, 180, 56}, DT_LEFT | DT_TOP, kLinkTextColour, 0.5f);
  DrawLabel(bm, label, kBypass);
  for (const ControlArt& knob : kKnobs) DrawLabel(bm, label, knob);
  DrawText(bm, maker, "Quenmarrow", {16, kFooterTop + 1, 300, kEditorHeight}, DT_LEFT | DT_VCENTER, kMakerText,
           0.5f);
  // The link text sits right-aligned in the visible part of the link area, underlined.
  RECT linkBox = {kLinkLeft, kFooterTop + 1, kLinkRight - 8, kLinkBottom};
  DrawText(bm, link, kLinkText, linkBox, DT_RIGHT | DT_VCENTER, kLinkTextColour, 0.5f);
  link.DrawText(nullptr, kLinkText, -1, &linkBox, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  const int width = linkBox.right - linkBox.left, underline = (kFooterTop + 1 + kLinkBottom) / 2 + 6;
  PIX_Line(bm, kLinkRight - 8 - width, underline, kLinkRight - 9, underline, kLinkTextColour, 0.6f,
           PIX_COMBINE_COPY, false);
}

}  // namespace

void DrawBackground(PIX_IBitmap* bitmap) {
  bitmap->resize(kEditorWidth, kEditorHeight);
  Canvas c(kEditorWidth, kEditorHeight);
  DrawPanel(c);
  DrawSeparator(c, 171);
  DrawSeparator(c, 608);
  c.CopyTo(bitmap, 0, 0);
  DrawLettering(bitmap);
}

}  // namespace artwork
