// Verlo's editor: the background, the bypass switch, four filmstrip knobs and the link to the
// product page, built once in the constructor.
#include "examples/Verlo/IEffectEntry.h"
#include "examples/Verlo/Verlo.h"
#include "graphics/IKnobControls.h"
#include "graphics/ITextControls.h"
#include "platform/IGraphicsLinux.h"

namespace {
constexpr int kWidth = 784, kHeight = 184;
constexpr int kFrames = 61;
constexpr double kGearing = 4.0;
constexpr char kBundleID[] = "com.Quenmarrow.vst.Verlo";
}  // namespace

const char Verlo::kProductURL[] = "https://quenmarrow.example/verlo";

IGraphics* MakeGraphics(IEffectBase* plug, int w, int h, int fps) {
  IGraphicsLinux* graphics = new IGraphicsLinux(plug, w, h, fps);
  graphics->SetBundleID(kBundleID);
  return graphics;
}

void Verlo::BuildEditor() {
  IGraphics* g = MakeGraphics(this, kWidth, kHeight, 0);
  g->AttachBackground(105, "resources/img/BG.png");
  IBitmap bypass = g->LoadIBitmap(104, "resources/img/BY.png", 2);
  g->AttachControl(new ISwitchControl(this, 91, 53, kBypass, &bypass, IChannelBlend::kBlendMethodAlpha));
  const struct {
    int id, x, y, param;
    const char* file;
  } knobs[] = {{103, 191, 26, kFade, "resources/img/FADE.png"},
               {102, 341, 26, kChop, "resources/img/CHOP.png"},
               {101, 490, 26, kDry, "resources/img/DRY.png"},
               {106, 626, 40, kOutput, "resources/img/OUT.png"}};
  for (const auto& k : knobs) {
    IBitmap strip = g->LoadIBitmap(k.id, k.file, kFrames);
    g->AttachControl(new IKnobMultiControl(this, k.x, k.y, k.param, &strip, kVertical, kGearing));
  }
  g->AttachControl(new IURLControl(this, IRECT(685, 155, 785, 255), kProductURL));
  AttachGraphics(g);
}
