#include "tests/graphics/test_editor.h"

#include <cstdio>

TestEffect::TestEffect(IEffectInstanceInfo info)
    : IEffectVST(info, kNumParams, "2-2", 1, "Test Editor", "", "Tests", 0x10000, 0x54454431, 0x54657374, 0, false,
                 false, false, 0) {
  GetParam(kGain)->InitDouble("GAIN", 0.0, -12.0, 12.0, 0.1, "dB");
  GetParam(kMode)->InitEnum("MODE", 1, 3);
  GetParam(kMode)->SetDisplayText(0, "Off");
  GetParam(kMode)->SetDisplayText(1, "On");
  GetParam(kMode)->SetDisplayText(2, "Auto");
  GetParam(kSwitch)->InitBool("SWITCH", false);
  GetParam(kSteps)->InitInt("STEPS", 2, 0, 4);
  MakeDefaultPreset("-", 1);
}

AEffect* TestEffectMain(audioMasterCallback hostCallback) {
  IEffectInstanceInfo info;
  info.mVSTHostCallback = hostCallback;
  return (new TestEffect(info))->GetAEffect();
}

TestEffect* EffectOf(AEffect* effect) {
  return static_cast<TestEffect*>(static_cast<IEffectVST*>(effect->object));
}

bool ProbeControl::Draw(IGraphics* graphics) {
  ++draws;
  graphics->FillIRect(&mColor, &mRECT, &mBlend);
  return true;
}

void ProbeControl::Log(const char* what, int a, int b) {
  char line[64];
  snprintf(line, sizeof line, "%s %d,%d", what, a, b);
  events.push_back(line);
}

void ProbeControl::OnMouseDown(int x, int y, IMouseMod* mod) {
  Log("down", x, y);
  IControl::OnMouseDown(x, y, mod);
}
void ProbeControl::OnMouseUp(int x, int y, IMouseMod*) { Log("up", x, y); }
void ProbeControl::OnMouseDrag(int, int, int dX, int dY, IMouseMod*) {
  Log("drag", dX, dY);
  SetValue(GetValue() - dY / 100.0);
  SetDirty(true);
}
void ProbeControl::OnMouseDblClick(int x, int y, IMouseMod* mod) {
  Log("dblclick", x, y);
  IControl::OnMouseDblClick(x, y, mod);
}
void ProbeControl::OnMouseWheel(int, int, IMouseMod*, int d) { Log("wheel", d); }
bool ProbeControl::OnKeyDown(int, int, int key) {
  Log("key", key);
  return handlesKeys;
}
void ProbeControl::OnMouseOver(int x, int y, IMouseMod*) { Log("over", x, y); }
void ProbeControl::OnMouseOut() { Log("out"); }
