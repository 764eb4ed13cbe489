// A plug-in with an editor that fills both process-wide stores: two images (drawn here, no files)
// and a font, used by one draw. Loading and unloading it must leave nothing behind.
#include "graphics/IBitmapControl.h"
#include "graphics/ITextControls.h"
#include "pix/pix.h"
#include "tests/graphics/test_editor.h"

namespace {
class PaintingGraphics : public RecordingGraphics {
public:
  using RecordingGraphics::RecordingGraphics;
  PIX_IBitmap* OSLoadBitmap(int id, const char*) override {
    PIX_MemBitmap* image = new PIX_MemBitmap(40, 80);
    PIX_Clear(image, 0xC0000000u | static_cast<PIX_pixel>(id * 0x10203));
    return image;
  }
};
}  // namespace

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback hostCallback) {
  AEffect* effect = TestEffectMain(hostCallback);
  TestEffect* plug = EffectOf(effect);
  PaintingGraphics* graphics = new PaintingGraphics(plug, 120, 90);
  graphics->AttachBackground(1, "background.png");
  IBitmap strip = graphics->LoadIBitmap(2, "switch.png", 2);
  graphics->AttachControl(new IBitmapControl(plug, 50, 10, TestEffect::kSwitch, &strip));
  IText style(13, &COLOR_WHITE, "DejaVu Sans");
  graphics->AttachControl(new ITextControl(plug, IRECT(0, 60, 120, 80), &style, "Unload me"));
  plug->AttachGraphics(graphics);
  IRECT area;
  if (graphics->IsDirty(&area)) graphics->Draw(&area);
  return effect;
}
