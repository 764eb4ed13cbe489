#pragma once
// A small effect with one parameter of each kind, created through an entry function like a
// plug-in's, and a control that records what reaches it.
#include <string>
#include <vector>

#include "effect/IEffectVST.h"
#include "graphics/IControl.h"
#include "graphics/IGraphics.h"
#include "tests/graphics/recording_graphics.h"

class TestEffect : public IEffectVST {
public:
  enum EParams { kGain = 0, kMode, kSwitch, kSteps, kNumParams };
  explicit TestEffect(IEffectInstanceInfo info);
};

// Creates a TestEffect for the host callback, as a plug-in's VSTPluginMain does.
AEffect* TestEffectMain(audioMasterCallback hostCallback);
TestEffect* EffectOf(AEffect* effect);

// Builds an editor of w x h with controls added by layout, then hands it to the plug-in, which
// pushes every parameter value into the controls.
template <class Layout>
RecordingGraphics* AttachEditor(IEffectBase* plug, int w, int h, Layout layout, const std::string& imageDir = "") {
  RecordingGraphics* graphics = new RecordingGraphics(plug, w, h, 0, imageDir);
  layout(graphics);
  plug->AttachGraphics(graphics);
  return graphics;
}

// Paints its rectangle in one colour and logs every event; a vertical drag moves the value by
// dY / 100 like a knob.
class ProbeControl : public IControl {
public:
  ProbeControl(IEffectBase* plug, const IRECT& rect, int paramIdx = -1, IColor color = IColor(255, 200, 0, 0))
      : IControl(plug, rect, paramIdx), mColor(color) {}

  std::vector<std::string> events;
  int draws = 0;
  bool handlesKeys = true;

  bool Draw(IGraphics* graphics) override;
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseUp(int x, int y, IMouseMod* mod) override;
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) override;
  void OnMouseDblClick(int x, int y, IMouseMod* mod) override;
  void OnMouseWheel(int x, int y, IMouseMod* mod, int d) override;
  bool OnKeyDown(int x, int y, int key) override;
  void OnMouseOver(int x, int y, IMouseMod* mod) override;
  void OnMouseOut() override;

private:
  void Log(const char* what, int a = 0, int b = 0);
  IColor mColor;
};
