#pragma once
// Verlo's editor artwork: where each control sits on the 784 x 184 background and the drawing of
// each image. The editor loads these images by file name; their frame sizes are its control sizes.
#include "pix/pix_bitmap.h"

namespace artwork {

constexpr int kEditorWidth = 784;
constexpr int kEditorHeight = 184;
constexpr int kKnobFrames = 61;
constexpr int kSwitchFrames = 2;

struct ControlArt {
  const char* file;   // in Verlo.vst/Resources/
  const char* label;  // printed under the control on the background
  int x, y;           // top-left corner of the control on the background
  int width, height;  // one frame
  int frames;
  bool bipolar;  // a knob whose value arc starts at the middle (a gain around 0 dB)
};

constexpr ControlArt kBypass = {"BY.png", "BYPASS", 91, 53, 60, 46, kSwitchFrames, false};
constexpr ControlArt kKnobs[] = {
    {"FADE.png", "FADE", 191, 26, 100, 100, kKnobFrames, false},
    {"CHOP.png", "CHOP", 341, 26, 100, 100, kKnobFrames, false},
    {"DRY.png", "DRY", 490, 26, 100, 100, kKnobFrames, false},
    {"OUT.png", "OUTPUT", 626, 40, 72, 72, kKnobFrames, true},
};
constexpr const char* kBackgroundFile = "BG.png";

// The visible part of the editor's link area, which opens the product page.
constexpr int kLinkLeft = 685, kLinkTop = 155, kLinkRight = kEditorWidth, kLinkBottom = kEditorHeight;
constexpr const char* kLinkText = "Verlo on the web";

// The knob's pointer angle for a frame: -135 degrees (frame 0) through 0 (straight up) to +135.
constexpr float KnobAngle(int frame) { return -135.0f + 270.0f * frame / (kKnobFrames - 1); }

// Each drawing resizes the bitmap to the image's full size (frames stacked top to bottom).
void DrawBackground(PIX_IBitmap* bitmap);
void DrawBypassSwitch(PIX_IBitmap* bitmap);
void DrawKnobStrip(PIX_IBitmap* bitmap, const ControlArt& knob);

}  // namespace artwork
