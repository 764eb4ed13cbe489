// Dirty tracking and the draw cycle over real draws into the draw bitmap.
#include <gtest/gtest.h>

#include "pix/pix.h"
#include "tests/effect/offline_host.h"
#include "tests/graphics/test_editor.h"

namespace {
using Plug = OfflineHost<TestEffect>;

// One timer tick as the platform does it: poll, then draw what is dirty.
bool Tick(IGraphics* g) {
  IRECT area;
  if (!g->IsDirty(&area)) return false;
  g->Draw(&area);
  return true;
}

struct Editor {
  Plug plug;
  RecordingGraphics* g = nullptr;
  std::vector<ProbeControl*> probes;

  explicit Editor(std::vector<IRECT> rects, std::vector<int> params = {}) {
    g = AttachEditor(&plug, 100, 60, [&](IGraphics* graphics) {
      for (size_t i = 0; i < rects.size(); ++i) {
        probes.push_back(new ProbeControl(&plug, rects[i], i < params.size() ? params[i] : -1,
                                          IColor(255, 10 * static_cast<int>(i + 1), 0, 0)));
        graphics->AttachControl(probes.back());
      }
    });
  }
  void Settle() {
    while (Tick(g)) {
    }
    g->screenCopies.clear();
    for (ProbeControl* p : probes) p->draws = 0;
  }
  PIX_pixel Pixel(int x, int y) { return PIX_GetPixel(g->GetDrawBitmap(), x, y); }
};
}  // namespace

TEST(DrawCycle, PlugValueChangesPaintTwiceAPlainDirtyOnceNothingDirtyNothing) {
  Editor e({IRECT(0, 0, 100, 60), IRECT(10, 10, 30, 30)}, {-1, TestEffect::kGain});
  e.Settle();
  EXPECT_FALSE(Tick(e.g));
  EXPECT_TRUE(e.g->screenCopies.empty());

  e.g->SetParameterFromPlug(TestEffect::kGain, 0.75, true);
  EXPECT_TRUE(Tick(e.g));
  EXPECT_TRUE(Tick(e.g));
  EXPECT_FALSE(Tick(e.g));
  EXPECT_EQ(e.probes[1]->draws, 2);
  ASSERT_EQ(e.g->screenCopies.size(), 2u);
  EXPECT_EQ(e.g->screenCopies[0], IRECT(10, 10, 30, 30));
  EXPECT_EQ(e.Pixel(15, 15), 0xFF140000u);  // the probe's colour landed in the draw bitmap

  e.probes[1]->SetDirty(false);
  EXPECT_TRUE(Tick(e.g));
  EXPECT_FALSE(Tick(e.g));
  EXPECT_EQ(e.probes[1]->draws, 3);
}

TEST(DrawCycle, StrictModeDrawsWhatMeetsTheAreaAndCleansEverything) {
  Editor e({IRECT(0, 0, 100, 60), IRECT(40, 0, 50, 10), IRECT(0, 0, 20, 10), IRECT(), IRECT(30, 30, 40, 40)});
  e.Settle();
  e.probes[3]->SetDirty(false);  // an empty rectangle never widens the area
  IRECT area;
  EXPECT_TRUE(e.g->IsDirty(&area));
  EXPECT_TRUE(area.Empty());
  e.probes[4]->Hide(true);  // hidden but dirty: still widens the area
  area = IRECT(20, 0, 40, 10);
  EXPECT_TRUE(e.g->IsDirty(&area));
  EXPECT_EQ(area, IRECT(20, 0, 40, 40));
  area = IRECT(20, 0, 40, 10);
  e.g->Draw(&area);
  // Left edge on the area's right edge: drawn. Right edge on the area's left edge: not drawn.
  EXPECT_EQ(e.probes[0]->draws, 1);
  EXPECT_EQ(e.probes[1]->draws, 1);
  EXPECT_EQ(e.probes[2]->draws, 0);
  EXPECT_EQ(e.probes[3]->draws, 0);
  EXPECT_EQ(e.probes[4]->draws, 0);
  EXPECT_FALSE(e.probes[3]->IsDirty());
  EXPECT_TRUE(e.probes[4]->IsDirty());  // hiding asks for a second pass
  ASSERT_EQ(e.g->screenCopies.size(), 1u);
  EXPECT_EQ(e.g->screenCopies[0], IRECT(20, 0, 40, 10));
}

TEST(DrawCycle, NonStrictModeRedrawsAroundEachDirtyControl) {
  Editor e({IRECT(0, 0, 100, 60), IRECT(10, 10, 30, 30), IRECT(25, 25, 50, 50), IRECT(60, 0, 70, 10)});
  e.g->SetStrictDrawing(false);
  IRECT area;
  EXPECT_TRUE(e.g->IsDirty(&area));
  e.g->Draw(&area);  // the background is dirty: everything once, all cleaned
  for (ProbeControl* p : e.probes) EXPECT_EQ(p->draws, 1);
  EXPECT_FALSE(Tick(e.g));

  e.probes[1]->SetDirty(false);
  area = IRECT();
  ASSERT_TRUE(e.g->IsDirty(&area));
  e.g->Draw(&area);
  // Around control 1: the background, control 1 and the overlapping control 2.
  EXPECT_EQ(e.probes[0]->draws, 2);
  EXPECT_EQ(e.probes[1]->draws, 2);
  EXPECT_EQ(e.probes[2]->draws, 2);
  EXPECT_EQ(e.probes[3]->draws, 1);
  EXPECT_EQ(e.g->GetDrawRECT(), IRECT(10, 10, 30, 30));
}

TEST(DrawCycle, EmptyEditorDrawsNothingAndShowsNothing) {
  Plug plug;
  RecordingGraphics g(&plug, 10, 10, -3);
  EXPECT_EQ(g.FPS(), 25);
  IRECT area(0, 0, 10, 10);
  EXPECT_TRUE(g.Draw(&area));
  EXPECT_TRUE(g.screenCopies.empty());
}

TEST(DrawCycle, ResizeDropsControlsRebuildsBitmapsAndReportsTheSize) {
  Editor e({IRECT(0, 0, 10, 10)}, {TestEffect::kGain});
  IMouseMod mod(true);
  e.g->OnMouseDown(5, 5, &mod);
  e.g->Resize(120, 80);
  EXPECT_EQ(e.g->GetNControls(), 0);
  EXPECT_EQ(e.g->GetMouseCapture(), -1);
  EXPECT_EQ(e.g->GetDrawBitmap()->getWidth(), 120);
  e.g->SetControlFromPlug(0, 0.5);  // nothing left to reach
  e.g->SetControlFromPlug(-1, 0.5);
}

TEST(DrawCycle, PlugValuesArriveNormalisedOrConvertedThroughTheRange) {
  Editor e({IRECT(0, 0, 10, 10), IRECT(0, 0, 10, 10)}, {TestEffect::kGain, TestEffect::kSteps});
  e.g->SetParameterFromPlug(TestEffect::kGain, 6.0, false);
  EXPECT_DOUBLE_EQ(e.probes[0]->GetValue(), 0.75);
  e.g->SetParameterFromPlug(TestEffect::kGain, 0.25, true);
  EXPECT_DOUBLE_EQ(e.probes[0]->GetValue(), 0.25);
  e.g->SetParameterFromPlug(99, 1.0, false);  // no such parameter: nothing changes
  e.g->SetParameterFromPlug(-1, 1.0, true);
  EXPECT_DOUBLE_EQ(e.probes[0]->GetValue(), 0.25);
  EXPECT_DOUBLE_EQ(e.probes[1]->GetValue(), 0.5);  // STEPS default 2 of 0..4
}
