// The control base: values from the plug-in and the user, clamping, graying, auxiliary
// parameters, read-outs and the value prompt.
#include <gtest/gtest.h>

#include "graphics/ITextControls.h"
#include "tests/effect/offline_host.h"
#include "tests/graphics/test_editor.h"

namespace {
struct Controls : ::testing::Test {
  OfflineHost<TestEffect> plug;
  RecordingGraphics* g = nullptr;
  ProbeControl *gain = nullptr, *mode = nullptr, *steps = nullptr;

  void SetUp() override {
    plug.GetParam(TestEffect::kGain)->Set(-2.4);  // normalised 0.4 before the editor exists
    g = AttachEditor(&plug, 100, 100, [&](IGraphics* graphics) {
      graphics->AttachControl(gain = new ProbeControl(&plug, IRECT(10, 10, 50, 30), TestEffect::kGain));
      graphics->AttachControl(mode = new ProbeControl(&plug, IRECT(60, 10, 90, 30), TestEffect::kMode));
      graphics->AttachControl(steps = new ProbeControl(&plug, IRECT(60, 40, 90, 60), TestEffect::kSteps));
    });
  }
};
}  // namespace

TEST_F(Controls, FirstPlugValueBecomesTheDefaultAndEqualValuesChangeNothing) {
  EXPECT_DOUBLE_EQ(gain->GetDefaultValue(), 0.4);
  gain->SetClean();
  gain->SetValueFromPlug(gain->GetDefaultValue());
  EXPECT_FALSE(gain->IsDirty());
  gain->SetValueFromPlug(0.5);
  EXPECT_TRUE(gain->IsDirty());
  EXPECT_TRUE(gain->GetRedrawAgain());
  gain->SetClean();
  EXPECT_TRUE(gain->IsDirty());  // the second pass
  gain->SetClean();
  EXPECT_FALSE(gain->IsDirty());
  EXPECT_TRUE(plug.informed.empty());  // values from the plug-in never go back to it
  gain->SetValueFromUserInput(0.9);
  gain->OnMouseDblClick(0, 0, nullptr);
  ASSERT_EQ(plug.informed.size(), 2u);
  EXPECT_DOUBLE_EQ(plug.informed[1].normalized, 0.4);
  EXPECT_NEAR(plug.GetParam(TestEffect::kGain)->Value(), -2.4, 1e-12);
}

TEST_F(Controls, ClampRangeLimitsUserValuesAndGrayingSetsTheWeight) {
  g->ClampControl(TestEffect::kGain, -6.0, 6.0, false);  // plain values: 0.25 .. 0.75
  gain->SetValueFromUserInput(0.9);
  EXPECT_DOUBLE_EQ(gain->GetValue(), 0.75);
  EXPECT_DOUBLE_EQ(plug.informed.back().normalized, 0.75);
  gain->SetValueFromUserInput(0.1);
  EXPECT_DOUBLE_EQ(plug.informed.back().normalized, 0.25);

  gain->GetBlend()->mWeight = 0.5f;
  g->GrayOutControl(TestEffect::kGain, true);
  EXPECT_TRUE(gain->IsGrayed());
  EXPECT_EQ(gain->GetBlend()->mWeight, 0.25f);
  g->GrayOutControl(TestEffect::kGain, false);
  EXPECT_EQ(gain->GetBlend()->mWeight, 1.0f);
  g->HideControl(TestEffect::kMode, true);
  EXPECT_TRUE(mode->IsHidden());
  EXPECT_FALSE(gain->IsHidden());
}

TEST_F(Controls, AuxiliaryParametersFollowThePlugIn) {
  gain->AddAuxParam(TestEffect::kSteps);
  gain->AddAuxParam(TestEffect::kMode);
  gain->AddAuxParam(TestEffect::kSteps);
  EXPECT_EQ(gain->AuxParamIdx(TestEffect::kSteps), 0);
  EXPECT_EQ(gain->AuxParamIdx(TestEffect::kMode), 1);
  EXPECT_EQ(gain->AuxParamIdx(TestEffect::kSwitch), -1);
  gain->SetClean();
  g->SetParameterFromPlug(TestEffect::kMode, 1.0, true);
  EXPECT_DOUBLE_EQ(gain->AuxParamValue(1), 1.0);
  EXPECT_TRUE(gain->IsDirty());
  EXPECT_DOUBLE_EQ(mode->GetValue(), 1.0);
  gain->SetAllAuxParamsFromGUI();
  EXPECT_EQ(plug.GetParam(TestEffect::kMode)->Int(), 2);
  EXPECT_EQ(gain->GetAuxParam(3), nullptr);
}

TEST_F(Controls, ReadOutsShowTheValueWithItsLabelAndTheName) {
  IText style;
  ITextControl* value = new ITextControl(&plug, IRECT(0, 80, 50, 90), &style);
  ITextControl* name = new ITextControl(&plug, IRECT(50, 80, 100, 90), &style);
  g->AttachControl(value);
  g->AttachControl(name);
  gain->SetValDisplayControl(value);
  gain->SetNameDisplayControl(name);
  gain->SetValueFromUserInput(0.75);
  EXPECT_STREQ(value->GetTextForDisplay(), "6.0 dB");
  EXPECT_STREQ(name->GetTextForDisplay(), "GAIN");
  value->SetClean();
  gain->SetDirty(true);  // same text: the read-out stays clean
  EXPECT_FALSE(value->IsDirty());
}

TEST_F(Controls, PromptsOnlyWhenEnabledAsAMenuOrACentredTextBox) {
  IMouseMod right(false, true);
  g->OnMouseDown(20, 20, &right);
  EXPECT_TRUE(g->textEntries.empty());  // prompting is off by default

  gain->DisablePrompt(false);
  g->OnMouseDown(20, 20, &right);
  ASSERT_EQ(g->textEntries.size(), 1u);
  EXPECT_EQ(g->textEntries[0].rect, IRECT(10, 12, 50, 28));
  EXPECT_EQ(g->textEntries[0].text, "-2.4");
  g->SetFromStringAfterPrompt(gain, plug.GetParam(TestEffect::kGain), const_cast<char*>("6"));
  EXPECT_DOUBLE_EQ(plug.GetParam(TestEffect::kGain)->Value(), 6.0);

  mode->DisablePrompt(false);
  g->menuChoice = 2;
  g->OnMouseDown(70, 20, &right);
  ASSERT_EQ(g->menus.size(), 1u);
  EXPECT_EQ(g->menus[0].items, (std::vector<std::string>{"Off", "On", "Auto"}));
  EXPECT_EQ(g->menus[0].checked, (std::vector<bool>{false, true, false}));
  EXPECT_EQ(g->menus[0].rect, mode->GetRECT());
  EXPECT_EQ(plug.GetParam(TestEffect::kMode)->Int(), 2);

  g->menuChoice = 9;  // past the last item: nothing chosen, nothing changes
  g->OnMouseDown(70, 20, &right);
  EXPECT_EQ(plug.GetParam(TestEffect::kMode)->Int(), 2);
  g->SetFromStringAfterPrompt(mode, plug.GetParam(TestEffect::kMode), const_cast<char*>("Off"));
  EXPECT_EQ(plug.GetParam(TestEffect::kMode)->Int(), 0);
}
