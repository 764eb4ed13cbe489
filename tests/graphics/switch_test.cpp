// Switches and buttons through the editor's dispatch: values at the plug-in, frames on screen.
#include "graphics/ISwitchControls.h"
#include "tests/graphics/controls_fixture.h"

using Switches = ControlsEditor;

TEST_F(Switches, ClicksStepThroughTheFramesAndWrap) {
  IBitmap two = Strip(2, 20, 20), five = Strip(5, 20, 20);
  Add(new ISwitchControl(&plug, 10, 10, TestEffect::kSwitch, &two));
  Add(new ISwitchControl(&plug, 50, 10, TestEffect::kSteps, &five));
  EXPECT_EQ(Shown(15, 15), FrameColour(0));
  Click(15, 15);
  EXPECT_EQ(plug.GetParam(TestEffect::kSwitch)->Int(), 1);
  EXPECT_EQ(Shown(15, 15), FrameColour(1));
  Click(15, 15);
  EXPECT_EQ(plug.GetParam(TestEffect::kSwitch)->Int(), 0);

  // STEPS starts at 2 of 0..4 (frame 3); two clicks reach the fifth frame, the next wraps.
  EXPECT_EQ(Shown(55, 15), FrameColour(2));
  Click(55, 15);
  Click(55, 15);
  EXPECT_NEAR(Normalized(TestEffect::kSteps), 1.0, 1e-9);
  EXPECT_EQ(Shown(55, 15), FrameColour(4));
  Click(55, 15);
  EXPECT_EQ(plug.GetParam(TestEffect::kSteps)->Int(), 0);
  EXPECT_EQ(Shown(55, 15), FrameColour(0));
  // The second press of a double-click steps like any other.
  g->OnMouseDblClick(55, 15, &left);
  EXPECT_EQ(plug.GetParam(TestEffect::kSteps)->Int(), 1);
}

TEST_F(Switches, PopUpSwitchOpensTheValueMenuWhenPromptingIsOn) {
  IBitmap three = Strip(3, 20, 20);
  ISwitchPopUpControl* popup = Add(new ISwitchPopUpControl(&plug, 10, 10, TestEffect::kMode, &three));
  Click(15, 15);
  EXPECT_TRUE(g->menus.empty());  // prompting off: the value stays
  EXPECT_EQ(plug.GetParam(TestEffect::kMode)->Int(), 1);
  popup->DisablePrompt(false);
  g->menuChoice = 2;
  Click(15, 15);
  ASSERT_EQ(g->menus.size(), 1u);
  EXPECT_EQ(plug.GetParam(TestEffect::kMode)->Int(), 2);
  EXPECT_EQ(Shown(15, 15), FrameColour(2));
}

TEST_F(Switches, FrameHitAreasPickTheirFrameAndAMissPushesTheValueUnchanged) {
  IBitmap three = Strip(3, 30, 10, true);  // frames side by side: 30 x 10 each
  ISwitchFramesControl* frames = Add(new ISwitchFramesControl(&plug, 10, 10, TestEffect::kMode, &three, true));
  frames->SetTargetRECT(IRECT(0, 0, 100, 100));  // clicks may land beside every hit area
  ASSERT_EQ(frames->NHitRects(), 3);
  EXPECT_EQ(frames->HitRect(1), IRECT(20, 10, 30, 20));
  Click(12, 12);
  EXPECT_EQ(plug.GetParam(TestEffect::kMode)->Int(), 0);
  Click(35, 15);
  EXPECT_EQ(plug.GetParam(TestEffect::kMode)->Int(), 2);
  plug.informed.clear();
  Click(80, 80);
  ASSERT_EQ(plug.informed.size(), 1u);
  EXPECT_DOUBLE_EQ(plug.informed[0].normalized, 1.0);
  EXPECT_FALSE(frames->IsPromptDisabled());
  IBitmap one = Strip(1, 10, 10);
  ISwitchFramesControl lone(&plug, 0, 0, TestEffect::kMode, &one);  // one frame: no division by zero
  lone.OnMouseDown(2, 2, &left);
  EXPECT_EQ(lone.GetValue(), 0.0);
}

TEST_F(Switches, RadioButtonsLayOutBothWaysAndIgnoreTheRightButton) {
  IBitmap onOff = Strip(2, 10, 10);
  IRadioButtonsControl* row =
      Add(new IRadioButtonsControl(&plug, IRECT(10, 10, 70, 20), TestEffect::kMode, 3, &onOff, kHorizontal));
  EXPECT_EQ(row->ButtonRect(2), IRECT(60, 10, 70, 20));
  IRadioButtonsControl* column =
      Add(new IRadioButtonsControl(&plug, IRECT(100, 10, 110, 70), TestEffect::kSteps, 5, &onOff, kVertical, true));
  EXPECT_EQ(column->ButtonRect(0), IRECT(100, 58, 110, 68));  // reversed: the first at the bottom
  EXPECT_EQ(column->ButtonRect(4), IRECT(100, 10, 110, 20));
  EXPECT_EQ(Shown(35, 15), FrameColour(1));  // MODE 1: the middle one is on
  EXPECT_EQ(Shown(15, 15), FrameColour(0));
  Click(65, 15);
  EXPECT_EQ(plug.GetParam(TestEffect::kMode)->Int(), 2);
  EXPECT_EQ(Shown(65, 15), FrameColour(1));
  Click(105, 25);
  EXPECT_EQ(plug.GetParam(TestEffect::kSteps)->Int(), 3);
  Click(15, 15, &right);
  EXPECT_EQ(plug.GetParam(TestEffect::kMode)->Int(), 2);
}

TEST_F(Switches, ContactReleasesAndTheInvisibleSwitchToggles) {
  IBitmap two = Strip(2, 20, 20);
  Add(new IContactControl(&plug, 10, 10, TestEffect::kSwitch, &two));
  g->OnMouseDown(15, 15, &left);
  EXPECT_EQ(plug.GetParam(TestEffect::kSwitch)->Int(), 1);
  EXPECT_EQ(Shown(15, 15), FrameColour(1));
  g->OnMouseUp(15, 15, &left);
  EXPECT_EQ(plug.GetParam(TestEffect::kSwitch)->Int(), 0);

  IInvisibleSwitchControl* toggle = Add(new IInvisibleSwitchControl(&plug, IRECT(50, 50, 60, 60), TestEffect::kGain));
  EXPECT_EQ(Shown(55, 55), 0xFF000000u);  // paints nothing
  toggle->SetValue(0.49);
  Click(55, 55);
  EXPECT_EQ(Normalized(TestEffect::kGain), 1.0);
  toggle->SetValue(0.5);
  Click(55, 55);
  EXPECT_EQ(Normalized(TestEffect::kGain), 0.0);
}
