// The knob filmstrips: a graphite knob with a knurled skirt, a lit cap and a white pointer, in a
// groove whose amber arc shows the value.
#include <cmath>

#include "examples/Verlo/artwork/artwork.h"
#include "examples/Verlo/artwork/palette.h"
#include "examples/Verlo/artwork/shapes.h"

namespace artwork {
namespace {

constexpr float kSweep = 135.0f;  // degrees each side of straight up

// Everything of the knob that does not turn, drawn once per strip.
void DrawFixedParts(Canvas& c) {
  const float s = c.Width() / 100.0f, m = c.Width() * 0.5f;
  const Arc groove = {m, m, 43.5f * s, 2.8f * s, -kSweep, kSweep};
  c.Fill(groove, kGrooveColour);
  // The groove is cut into the panel: its upper-left wall is in shadow, its lower-right lip lit.
  c.Fill(Minus(groove, Move(groove, 1.0f, 1.0f)), Rgb(0x000000, 0.55f));
  c.Fill(Minus(Move(groove, 0.8f, 0.8f), groove), Rgb(0xFFFFFF, 0.10f));

  Canvas shadow(c.Width(), c.Height());
  shadow.Fill(Disc{m + 2.5f * s, m + 3.5f * s, 34.0f * s}, Rgb(0x000000, 0.75f));
  shadow.Blur(static_cast<int>(std::lround(3.0f * s)));
  c.Composite(shadow, 0, 0, 1.0f);
}

void DrawValueArc(Canvas& c, float angle, bool bipolar) {
  const float s = c.Width() / 100.0f, m = c.Width() * 0.5f;
  const float start = bipolar ? 0.0f : -kSweep;
  const Arc value = {m, m, 43.5f * s, 2.1f * s, std::fmin(start, angle), std::fmax(start, angle)};
  Canvas glow(c.Width(), c.Height());
  glow.Fill(value, kAccent);
  glow.Blur(static_cast<int>(std::lround(2.0f * s)));
  c.Composite(glow, 0, 0, 0.7f);
  c.Fill(value, [&](float x, float y) { return Mix(kAccentDeep, kAccentLight, Lit(x, y, m, m, 44.0f * s)); });
}

void DrawBody(Canvas& c, float angle) {
  const float s = c.Width() / 100.0f, m = c.Width() * 0.5f;
  const float skirt = 34.0f * s, cap = 25.5f * s;
  // Ridges around the skirt turn with the knob; they fade towards the cap.
  c.Fill(Disc{m, m, skirt}, [&](float x, float y) {
    const float r = std::hypot(x - m, y - m);
    const float around = std::atan2(x - m, m - y) * (180.0f / kPi) - angle;
    const float ridge = std::cos(Radians(around * 36.0f)) * Clamp01((r - cap) / (3.0f * s));
    const Colour base = Mix(kBodyDark, kBodyLight, Lit(x, y, m, m, skirt));
    return Mix(base, ridge > 0 ? Rgb(0xFFFFFF) : Rgb(0x000000), 0.07f * std::fabs(ridge));
  });
  // Rim light on the upper left of the skirt's edge.
  c.Fill(Ring{m, m, skirt - 0.6f * s, 0.7f}, [&](float x, float y) {
    const float lit = Lit(x, y, m, m, skirt);
    return Rgb(0xFFFFFF, 0.45f * lit * lit);
  });
  // The cap's step onto the skirt: a dark edge, then a chamfer that catches the light.
  c.Fill(Disc{m + 0.6f * s, m + 0.9f * s, cap + 1.2f * s}, Rgb(0x000000, 0.45f));
  c.Fill(Disc{m, m, cap}, [&](float x, float y) {
    const Colour base = Mix(kCapDark, kCapLight, Lit(x, y, m, m, cap));
    const float sheen = Clamp01(1.0f - std::hypot(x - (m - 9.0f * s), y - (m - 11.0f * s)) / (24.0f * s));
    return Mix(base, Rgb(0xFFFFFF), 0.16f * sheen * sheen);
  });
  c.Fill(Ring{m, m, cap - 0.7f, 0.6f}, [&](float x, float y) {
    const float lit = Lit(x, y, m, m, cap);
    return lit > 0.5f ? Rgb(0xFFFFFF, 0.5f * (lit - 0.5f)) : Rgb(0x000000, 0.6f * (0.5f - lit));
  });

  const float x0 = PolarX(m, 8.0f * s, angle), y0 = PolarY(m, 8.0f * s, angle);
  const float x1 = PolarX(m, 22.5f * s, angle), y1 = PolarY(m, 22.5f * s, angle);
  const float half = 2.0f * s;
  c.Fill(Capsule{x0 + 0.7f * s, y0 + 1.0f * s, x1 + 0.7f * s, y1 + 1.0f * s, half + 0.5f},
         Rgb(0x000000, 0.35f));
  c.Fill(Capsule{x0, y0, x1, y1, half}, kPointer);
}

}  // namespace

void DrawKnobStrip(PIX_IBitmap* bitmap, const ControlArt& knob) {
  bitmap->resize(knob.width, knob.height * knob.frames);
  Canvas fixed(knob.width, knob.height);
  DrawFixedParts(fixed);
  for (int frame = 0; frame < knob.frames; ++frame) {
    Canvas c = fixed;
    const float angle = KnobAngle(frame);
    DrawValueArc(c, angle, knob.bipolar);
    DrawBody(c, angle);
    c.CopyTo(bitmap, 0, frame * knob.height);
  }
}

}  // namespace artwork
