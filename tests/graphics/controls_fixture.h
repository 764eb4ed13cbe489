#pragma once
// An editor over a test effect for control tests: events go in through IGraphics's dispatch,
// values come out at the plug-in, and pixels are read from the draw bitmap after a draw.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "pix/pix.h"
#include "tests/effect/offline_host.h"
#include "tests/graphics/test_editor.h"

// Frame k (from 0) of a strip is filled with this colour, so a pixel tells the frame shown.
inline PIX_pixel FrameColour(int k) { return 0xFF000000u | static_cast<PIX_pixel>(k * 4 + 3) << 16 | 0x5A; }

// A strip of n frames of w x h, stacked or side by side, each frame its own colour; owner keeps
// the pixels.
inline IBitmap MakeStrip(std::vector<std::unique_ptr<PIX_MemBitmap>>& owner, int n, int w, int h,
                         bool horizontal = false) {
  owner.push_back(std::make_unique<PIX_MemBitmap>(horizontal ? w * n : w, horizontal ? h : h * n));
  PIX_MemBitmap* bm = owner.back().get();
  for (int k = 0; k < n; ++k) PIX_FillRect(bm, horizontal ? k * w : 0, horizontal ? 0 : k * h, w, h, FrameColour(k), 1.0f, 0);
  return IBitmap(bm, bm->getWidth(), bm->getHeight(), n, horizontal);
}

struct ControlsEditor : ::testing::Test {
  OfflineHost<TestEffect> plug;
  RecordingGraphics* g = nullptr;
  std::vector<std::unique_ptr<PIX_MemBitmap>> images;
  IMouseMod left{true}, shift{true, false, true}, ctrl{true, false, false, true}, right{false, true};

  void SetUp() override { g = AttachEditor(&plug, 200, 200, [](IGraphics*) {}); }

  IBitmap Strip(int n, int w, int h, bool horizontal = false) { return MakeStrip(images, n, w, h, horizontal); }
  // Attaches a control as the plug-in would have it: with the parameter's current value.
  template <class C> C* Add(C* control) {
    g->AttachControl(control);
    const IParam* param = plug.GetParam(control->ParamIdx());
    if (param) control->SetValueFromPlug(param->GetNormalized());
    return control;
  }
  // A full redraw over black, then the pixel at (x, y).
  PIX_pixel Shown(int x, int y) {
    PIX_Clear(g->GetDrawBitmap(), 0xFF000000);
    g->SetAllControlsDirty();
    IRECT area;
    g->IsDirty(&area);
    g->Draw(&area);
    return PIX_GetPixel(g->GetDrawBitmap(), x, y);
  }
  void Click(int x, int y, IMouseMod* mod = nullptr) {
    g->OnMouseDown(x, y, mod ? mod : &left);
    g->OnMouseUp(x, y, mod ? mod : &left);
  }
  void Drag(int x, int y, int dx, int dy, IMouseMod* mod = nullptr) {
    g->OnMouseDown(x, y, mod ? mod : &left);
    g->OnMouseDrag(x + dx, y + dy, mod ? mod : &left);
    g->OnMouseUp(x + dx, y + dy, mod ? mod : &left);
  }
  double Normalized(int paramIdx) { return plug.GetParam(paramIdx)->GetNormalized(); }
};
