// The bypass switch: a raised graphite button with an amber LED. Frame 1 (effect active) shows
// the button up and the LED dark; frame 2 (bypassed) the button pressed and the LED lit.
#include "examples/Verlo/artwork/artwork.h"
#include "examples/Verlo/artwork/palette.h"
#include "examples/Verlo/artwork/shapes.h"

namespace artwork {
namespace {

void DrawButton(Canvas& c, bool pressed) {
  const float cx = c.Width() * 0.5f, cy = c.Height() * 0.5f;
  // The shadow's blur ends inside the frame, so no edge shows where the frame is cut.
  const RoundRect body = {cx - 24.0f, cy - 15.0f, cx + 24.0f, cy + 15.0f, 7.0f};
  Canvas shadow(c.Width(), c.Height());
  shadow.Fill(pressed ? Move(body, 1.0f, 1.5f) : Move(body, 2.0f, 2.5f), Rgb(0x000000, pressed ? 0.6f : 0.75f));
  shadow.Blur(2);
  c.Composite(shadow, 0, 0, 1.0f);

  const Colour light = pressed ? Mix(kBodyLight, kBodyDark, 0.2f) : kBodyLight;
  c.Fill(body, [&](float x, float y) { return Mix(kBodyDark, light, Lit(x, y, cx, cy, 24.0f)); });
  // Bevel: lit top-left edge, shaded bottom-right edge; flatter when pressed.
  c.Fill(Minus(body, Move(body, 1.0f, 1.0f)), Rgb(0xFFFFFF, pressed ? 0.18f : 0.35f));
  c.Fill(Minus(body, Move(body, -1.0f, -1.0f)), Rgb(0x000000, 0.45f));
}

void DrawLed(Canvas& c, bool lit) {
  const float cx = c.Width() * 0.5f, cy = c.Height() * 0.5f;
  c.Fill(Disc{cx, cy, 6.0f}, Rgb(0x0C0D0F, 0.9f));   // bezel
  c.Fill(Minus(Disc{cx, cy, 6.0f}, Move(Disc{cx, cy, 6.0f}, -0.8f, -0.8f)), Rgb(0xFFFFFF, 0.15f));
  if (lit) {
    Canvas glow(c.Width(), c.Height());
    glow.Fill(Disc{cx, cy, 6.5f}, kAccent);
    glow.Blur(3);
    c.Composite(glow, 0, 0, 1.0f);
    c.Fill(Disc{cx, cy, 4.5f}, [&](float x, float y) {
      return Mix(kAccentLight, kAccentDeep, Clamp01(std::hypot(x - cx + 1.0f, y - cy + 1.0f) / 5.5f));
    });
  } else {
    c.Fill(Disc{cx, cy, 4.5f}, [&](float x, float y) { return Mix(Rgb(0x1A120C), kLedOff, Lit(x, y, cx, cy, 4.5f)); });
  }
  // Glass highlight, upper left.
  c.Fill(Disc{cx - 1.5f, cy - 1.6f, 1.5f}, Rgb(0xFFFFFF, lit ? 0.7f : 0.3f));
}

}  // namespace

void DrawBypassSwitch(PIX_IBitmap* bitmap) {
  bitmap->resize(kBypass.width, kBypass.height * kBypass.frames);
  for (int frame = 0; frame < kBypass.frames; ++frame) {
    Canvas c(kBypass.width, kBypass.height);
    DrawButton(c, frame == 1);
    DrawLed(c, frame == 1);
    c.CopyTo(bitmap, 0, frame * kBypass.height);
  }
}

}  // namespace artwork
