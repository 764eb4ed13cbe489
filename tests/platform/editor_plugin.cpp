// A plug-in with an X11 editor for the editor-host tests: a filmstrip knob, a switch, a caption
// that prompts for text, a switch that prompts with a menu, a control that steps on arrow keys,
// one that opens a menu with a submenu, and a link.
#include "effect/IEffectVST.h"
#include "graphics/IKnobControls.h"
#include "graphics/IPopupMenu.h"
#include "graphics/ITextControls.h"
#include "platform/IGraphicsLinux.h"
#include "tests/platform/test_artwork.h"

using namespace test_artwork;

namespace {
enum EParams { kGain = 0, kMode, kSwitch, kSteps, kNumParams };

// Up and Down step STEPS; other keys are not taken.
class KeyStepper : public IPanelControl {
public:
  KeyStepper(IEffectBase* plug, const IRECT& rect) : IPanelControl(plug, rect, &COLOR_GRAY) { mParamIdx = kSteps; }
  bool OnKeyDown(int, int, int key) override {
    if (key != kKeyUpArrow && key != kKeyDownArrow) return false;
    SetValue(GetValue() + (key == kKeyUpArrow ? 0.25 : -0.25));
    SetDirty(true);
    return true;
  }
};

// A click shows "One", "Two" and a submenu "More" with "Three" and "Four"; the choice becomes
// STEPS (0 to 3), a dismissal leaves it.
class MenuButton : public IPanelControl {
public:
  MenuButton(IEffectBase* plug, const IRECT& rect) : IPanelControl(plug, rect, &COLOR_BLUE) { mParamIdx = kSteps; }
  void OnMouseDown(int, int, IMouseMod*) override {
    IPopupMenu more;
    more.AddItem("Three");
    more.AddItem("Four");
    IPopupMenu menu;
    menu.AddItem("One");
    menu.AddItem("Two");
    menu.AddItem("More", &more);
    IPopupMenu* chosen = mPlug->GetGUI()->CreateIPopupMenu(&menu, &mRECT);
    if (!chosen) return;
    SetValue((chosen == &more ? 2 + chosen->GetChosenItemIdx() : chosen->GetChosenItemIdx()) / 4.0);
    SetDirty(true);
  }
};

class TestEditorEffect : public IEffectVST {
public:
  explicit TestEditorEffect(IEffectInstanceInfo info)
      : IEffectVST(info, kNumParams, "2-2", 1, "Test Editor", "", "Tests", 0x10000, 0x54454432, 0x54657374, 0, false,
                   false, false, 0) {
    GetParam(kGain)->InitDouble("GAIN", 0.0, -12.0, 12.0, 0.1, "dB");
    GetParam(kMode)->InitEnum("MODE", 0, 3);
    GetParam(kMode)->SetDisplayText(0, "Off");
    GetParam(kMode)->SetDisplayText(1, "On");
    GetParam(kMode)->SetDisplayText(2, "Auto");
    GetParam(kSwitch)->InitBool("SWITCH", false);
    GetParam(kSteps)->InitInt("STEPS", 0, 0, 4);

    IGraphicsLinux* g = new IGraphicsLinux(this, kEditorW, kEditorH, 0);
    g->AttachBackground(1, "resources/img/BG.png");
    IBitmap knob = g->LoadIBitmap(2, "resources/img/KNOB.PNG", kKnobFrames);
    g->AttachControl(new IKnobMultiControl(this, kKnobX, kKnobY, kGain, &knob));
    IBitmap sw = g->LoadIBitmap(3, "SWITCH.png", 2);
    g->AttachControl(new ISwitchControl(this, kSwitchX, kSwitchY, kSwitch, &sw));
    IText style(12, &COLOR_WHITE, "DejaVu Sans");
    ICaptionControl* caption = new ICaptionControl(this, IRECT(160, 20, 280, 40), kGain, &style, true);
    caption->DisablePrompt(false);
    g->AttachControl(caption);
    IBitmap mode = g->LoadIBitmap(4, "MODE.png", 3);
    ISwitchPopUpControl* popup = new ISwitchPopUpControl(this, kModeX, kModeY, kMode, &mode);
    popup->DisablePrompt(false);
    g->AttachControl(popup);
    g->AttachControl(new KeyStepper(this, IRECT(20, 100, 80, 140)));
    g->AttachControl(new MenuButton(this, IRECT(100, 100, 140, 140)));
    g->AttachControl(new IURLControl(this, IRECT(200, 120, 300, 160), "https://example.org/verlo"));
    AttachGraphics(g);
    MakeDefaultPreset("-", 1);
  }
};
}  // namespace

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback hostCallback) {
  IEffectInstanceInfo info;
  info.mVSTHostCallback = hostCallback;
  return (new TestEditorEffect(info))->GetAEffect();
}

// For the tests only: how often the instance's editor has copied to the screen.
extern "C" __attribute__((visibility("default"))) long TestEditor_ScreenCopies(AEffect* effect) {
  IEffectVST* plug = static_cast<IEffectVST*>(effect->object);
  return static_cast<IGraphicsLinux*>(plug->GetGUI())->ScreenCopies();
}
