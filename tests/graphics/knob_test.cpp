// Knobs, faders and the overlay through the editor's dispatch: gearing, fine drags, wheel steps,
// reset, and the frames and raster calls they paint.
#include <cmath>

#include "graphics/IKnobControls.h"
#include "tests/graphics/controls_fixture.h"
#include "tests/vst2/test_host.h"

using Knobs = ControlsEditor;

TEST_F(Knobs, DragsFollowTheGearingAndShiftOrControlMakeThemTenTimesFiner) {
  IBitmap strip = Strip(61, 40, 60);
  IKnobControl* v = Add(new IKnobMultiControl(&plug, 10, 10, TestEffect::kGain, &strip));
  EXPECT_EQ(v->GetRECT().H(), 60);
  Drag(20, 30, 0, -12);
  EXPECT_NEAR(Normalized(TestEffect::kGain), 0.55, 1e-12);
  Drag(20, 30, 0, 12, &shift);
  EXPECT_NEAR(Normalized(TestEffect::kGain), 0.545, 1e-12);
  Drag(20, 30, 0, 12, &ctrl);
  EXPECT_NEAR(Normalized(TestEffect::kGain), 0.54, 1e-12);
  Drag(20, 30, 0, -600);  // far past the top: clamped
  EXPECT_EQ(Normalized(TestEffect::kGain), 1.0);

  IKnobControl* h = Add(new IKnobLineControl(&plug, IRECT(100, 10, 150, 20), TestEffect::kSteps, &COLOR_WHITE, 0, 0, -2, 2,
                                              kHorizontal, 2.0));
  h->SetValue(0.5);
  Drag(110, 15, 25, 40);  // half the width at gearing 2; vertical motion is ignored
  EXPECT_NEAR(Normalized(TestEffect::kSteps), 0.75, 1e-12);
}

TEST_F(Knobs, WheelStepsClampAndDoubleClickReturnsToTheFirstValue) {
  IKnobControl* knob = Add(new IKnobLineControl(&plug, IRECT(10, 10, 50, 50), TestEffect::kGain, &COLOR_WHITE));
  g->OnMouseWheel(20, 20, &left, 1);
  EXPECT_NEAR(Normalized(TestEffect::kGain), 0.51, 1e-12);
  g->OnMouseWheel(20, 20, &ctrl, -3);
  EXPECT_NEAR(Normalized(TestEffect::kGain), 0.507, 1e-12);
  knob->SetValue(0.995);
  g->OnMouseWheel(20, 20, &left, 1);
  EXPECT_EQ(knob->GetValue(), 1.0);
  knob->SetValue(0.004);
  g->OnMouseWheel(20, 20, &shift, -5);
  EXPECT_EQ(knob->GetValue(), 0.0);
  g->OnMouseDblClick(20, 20, &left);
  EXPECT_EQ(knob->GetValue(), 0.5);  // GAIN's default, the first value the plug-in sent
  EXPECT_EQ(plug.GetParam(TestEffect::kGain)->Value(), 0.0);
}

TEST_F(Knobs, AFilmstripShowsTheFrameForTheValue) {
  IBitmap strip = Strip(61, 20, 20);
  IKnobMultiControl* knob = Add(new IKnobMultiControl(&plug, 10, 10, TestEffect::kGain, &strip));
  const struct {
    double value;
    int frame;
  } cases[] = {{0.0, 1}, {1.0 / 120, 2}, {0.5, 31}, {1.0, 61}, {-3.0, 1}, {7.0, 61}, {std::nan(""), 1}};
  for (const auto& c : cases) {
    knob->SetValue(c.value);
    EXPECT_EQ(Shown(15, 15), FrameColour(c.frame - 1)) << c.value;
  }
  IBitmap none;  // a missing image and a strip of no frames draw nothing
  Add(new IKnobMultiControl(&plug, 50, 50, TestEffect::kGain, &none));
  IBitmap empty(strip.mData, 20, 1220, 0);
  Add(new IKnobMultiControl(&plug, 100, 50, TestEffect::kGain, &empty));
  EXPECT_EQ(Shown(55, 55), 0xFF000000u);
  EXPECT_EQ(Shown(105, 55), 0xFF000000u);
}

namespace {
// The draw bitmap after a full redraw over black, beside the same black bitmap after raster.
template <class Raster> void ExpectPaints(ControlsEditor& e, Raster raster) {
  e.Shown(0, 0);
  PIX_SysBitmap expected(200, 200);
  PIX_Clear(&expected, 0xFF000000);
  raster(&expected);
  EXPECT_EQ(PIX_BitmapCmp(e.g->GetDrawBitmap(), &expected), 0);
  PIX_SysBitmap black(200, 200);
  PIX_Clear(&black, 0xFF000000);
  EXPECT_NE(PIX_BitmapCmp(&expected, &black), 0);
}
}  // namespace

TEST_F(Knobs, LineRotaterAndRotatingMaskKnobsPaintTheirRasterCalls) {
  const IColor c(255, 250, 200, 10);
  Add(new IKnobLineControl(&plug, IRECT(20, 20, 80, 80), TestEffect::kGain, &c, 5.0, 0.0, -2.0, 2.0))->SetValue(0.25);
  ExpectPaints(*this, [&](PIX_IBitmap* bm) {
    const double angle = -2.0 + 0.25 * 4.0;
    const float s = static_cast<float>(std::sin(angle)), co = static_cast<float>(std::cos(angle));
    PIX_Line(bm, static_cast<int>(50 + s * 5), static_cast<int>(50 - co * 5), static_cast<int>(50 + s * 30),
             static_cast<int>(50 - co * 30), c.Pixel(), 1.0f, 0, true);
  });
  g->Resize(200, 200);

  IBitmap arrow = Strip(1, 30, 40);
  Add(new IKnobRotaterControl(&plug, 100, 100, TestEffect::kGain, &arrow, -1.0, 1.0, 2))->SetValue(0.75);
  ExpectPaints(*this, [&](PIX_IBitmap* bm) {
    PIX_RotatedBlit(bm, arrow.mData, 100, 100, 30, 40, 0, 0, 30, 40, 0.5f, false, 1.0f, 0x10100, 0.0f, 2.0f);
  });
  g->Resize(200, 200);

  IBitmap base = Strip(1, 31, 31), mask = Strip(1, 31, 31), top = Strip(1, 31, 31);
  PIX_FillRect(mask.mData, 0, 0, 31, 31, 0x80103070, 1.0f, 0);
  PIX_FillRect(top.mData, 12, 0, 7, 15, 0xFFFFFFFF, 1.0f, 0);
  PIX_FillRect(top.mData, 0, 15, 31, 16, 0x00000000, 1.0f, 0);
  Add(new IKnobRotatingMaskControl(&plug, 30, 40, TestEffect::kGain, &base, &mask, &top, -90.0, 90.0))->SetValue(0.75);
  ExpectPaints(*this, [&](PIX_IBitmap* bm) {
    PIX_MemBitmap scratch;
    PIX_Copy(&scratch, base.mData);
    PIX_ClearRect(&scratch, 0, 0, 31, 31, 0x00FFFFFF, 0);
    const float a = static_cast<float>(45.0 * 3.141592653589793 / 180.0);
    PIX_RotatedBlit(&scratch, mask.mData, 0, 0, 31, 31, 0, 0, 31, 31, a, true, 1.0f, 0x10101, -0.5f, 0.0f);
    PIX_RotatedBlit(&scratch, top.mData, 0, 0, 31, 31, 0, 0, 31, 31, a, true, 1.0f, 0x10100, -0.5f, 0.0f);
    PIX_Blit(bm, &scratch, 30, 40, 0, 0, 31, 31, 1.0f, 0x10000);
  });
}

TEST_F(Knobs, FadersPlaceTheirHandleSnapToClicksAndMayTakeOnlyHandleHits) {
  IBitmap handle = Strip(1, 10, 8);
  IFaderControl* h = Add(new IFaderControl(&plug, 0, 10, 100, TestEffect::kGain, &handle, kHorizontal));
  Click(55, 12);
  EXPECT_NEAR(Normalized(TestEffect::kGain), 50.0 / 90.0, 1e-12);
  EXPECT_EQ(h->GetHandleRECT(), IRECT(50, 10, 60, 18));
  EXPECT_EQ(Shown(55, 12), FrameColour(0));
  EXPECT_EQ(Shown(5, 12), 0xFF000000u);  // the track is not painted

  IFaderControl* v = Add(new IFaderControl(&plug, 150, 20, 100, TestEffect::kSteps, &handle, kVertical, true));
  EXPECT_EQ(v->GetHandleRECT(1.0), IRECT(150, 20, 160, 28));
  EXPECT_EQ(v->GetHandleRECT(0.5), IRECT(150, 66, 160, 74));
  Click(155, 70);  // on the handle: snaps to where it is
  EXPECT_NEAR(Normalized(TestEffect::kSteps), 1.0 - 46.0 / 92.0, 1e-12);
  Click(155, 24);  // on the track above the handle: only-handle hits ignore it
  EXPECT_NEAR(Normalized(TestEffect::kSteps), 0.5, 1e-12);
  g->OnMouseDown(155, 70, &left);
  g->OnMouseDrag(155, 24, &left);  // a drag from the handle snaps anywhere
  g->OnMouseUp(155, 24, &left);
  EXPECT_EQ(Normalized(TestEffect::kSteps), 1.0);
}

TEST_F(Knobs, AnOverlayShowsAndTakesClicksOnlyWhileOn) {
  IBitmap picture = Strip(2, 40, 40);
  IBitmapOverlayControl* overlay =
      Add(new IBitmapOverlayControl(&plug, 50, 50, TestEffect::kSwitch, &picture, IRECT(0, 0, 10, 10)));
  EXPECT_EQ(Shown(60, 60), 0xFF000000u);
  EXPECT_EQ(g->GetMouseControlIdx(60, 60), -1);
  Click(5, 5);
  EXPECT_EQ(plug.GetParam(TestEffect::kSwitch)->Int(), 1);
  EXPECT_EQ(Shown(60, 60), FrameColour(1));
  EXPECT_EQ(overlay->GetTargetRECT(), overlay->GetRECT());
}

// The whole road of a knob turn on a real instance: gesture and automation at the host, the
// parameter and its display, and the next draw.
TEST(KnobRoad, PressDragReleaseReachesTheHostParameterAndScreen) {
  TestHost host(&TestEffectMain);
  host.Start();
  TestEffect* plug = EffectOf(host.Effect());
  std::vector<std::unique_ptr<PIX_MemBitmap>> images;
  IBitmap strip = MakeStrip(images, 61, 30, 30);
  RecordingGraphics* g = AttachEditor(plug, 100, 100, [&](IGraphics* graphics) {
    graphics->AttachControl(new IKnobMultiControl(plug, 10, 10, TestEffect::kGain, &strip));
  });
  host.ClearCalls();
  IMouseMod left(true);
  g->OnMouseDown(20, 20, &left);
  g->OnMouseDrag(20, 15, &left);
  g->OnMouseDrag(20, 5, &left);
  g->OnMouseUp(20, 5, &left);
  std::vector<VstInt32> opcodes;
  std::vector<float> automated;
  for (const TestHost::Call& c : host.Calls()) {
    opcodes.push_back(c.opcode);
    if (c.opcode == audioMasterAutomate) automated.push_back(c.opt);
  }
  EXPECT_EQ(opcodes, (std::vector<VstInt32>{audioMasterBeginEdit, audioMasterAutomate, audioMasterAutomate,
                                            audioMasterEndEdit}));
  ASSERT_EQ(automated.size(), 2u);
  EXPECT_FLOAT_EQ(automated[0], static_cast<float>(0.5 + 5.0 / 30 / 4));
  EXPECT_FLOAT_EQ(automated[1], static_cast<float>(0.5 + 15.0 / 30 / 4));
  char display[64];
  host.Dispatch(effGetParamDisplay, TestEffect::kGain, 0, display);
  EXPECT_STREQ(display, "3.0");
  IRECT area;
  ASSERT_TRUE(g->IsDirty(&area));
  g->Draw(&area);
  EXPECT_EQ(PIX_GetPixel(g->GetDrawBitmap(), 20, 20), FrameColour(FrameForValue(61, 0.625) - 1));
  EXPECT_EQ(FrameForValue(61, 0.625), 39);
}
