// Input dispatch: hit-testing, capture, gestures and keys, through IGraphics's entry points.
#include <gtest/gtest.h>

#include "tests/effect/offline_host.h"
#include "tests/graphics/test_editor.h"

namespace {
// Records the gestures the editor starts and ends.
class GesturePlug : public OfflineHost<TestEffect> {
public:
  std::vector<std::string> gestures;
  void BeginInformHostOfParamChange(int idx) override { gestures.push_back("begin " + std::to_string(idx)); }
  void EndInformHostOfParamChange(int idx) override { gestures.push_back("end " + std::to_string(idx)); }
};

struct InputEditor : ::testing::Test {
  GesturePlug plug;
  RecordingGraphics* g = nullptr;
  ProbeControl *background = nullptr, *knob = nullptr, *top = nullptr;
  IMouseMod left{true};

  void SetUp() override {
    g = AttachEditor(&plug, 100, 100, [&](IGraphics* graphics) {
      graphics->AttachControl(background = new ProbeControl(&plug, IRECT(0, 0, 100, 100)));
      graphics->AttachControl(knob = new ProbeControl(&plug, IRECT(10, 10, 40, 40), TestEffect::kGain));
      graphics->AttachControl(top = new ProbeControl(&plug, IRECT(30, 30, 60, 60), TestEffect::kSteps));
    });
  }
};
}  // namespace

TEST_F(InputEditor, TopmostVisibleUngrayedControlWins) {
  EXPECT_EQ(g->GetMouseControlIdx(35, 35), 2);
  EXPECT_EQ(g->GetMouseControlIdx(15, 15), 1);
  EXPECT_EQ(g->GetMouseControlIdx(80, 80), 0);
  EXPECT_EQ(g->GetMouseControlIdx(200, 200), -1);
  top->Hide(true);
  EXPECT_EQ(g->GetMouseControlIdx(35, 35), 1);
  top->Hide(false);
  top->GrayOut(true);
  EXPECT_EQ(g->GetMouseControlIdx(35, 35), 1);
  EXPECT_EQ(g->GetMouseControlIdx(35, 35, true), 1);
  top->SetMOWhenGrayed(true);
  EXPECT_EQ(g->GetMouseControlIdx(35, 35, true), 2);  // hover may reach it, clicks may not
  EXPECT_EQ(g->GetMouseControlIdx(35, 35, false), 1);
}

TEST_F(InputEditor, CapturedDragKeepsGoingOutsideAndBracketsAGesture) {
  g->OnMouseDown(15, 15, &left);
  g->OnMouseDrag(15, 10, &left);
  g->OnMouseDrag(15, 10, &left);  // same point: dropped
  g->OnMouseDrag(90, 95, &left);  // far outside the knob: still the knob's
  g->OnMouseUp(90, 95, &left);
  EXPECT_EQ(knob->events, (std::vector<std::string>{"down 15,15", "drag 0,-5", "drag 75,85", "up 90,95"}));
  EXPECT_TRUE(background->events.empty());
  EXPECT_EQ(plug.gestures, (std::vector<std::string>{"begin 0", "end 0"}));
  ASSERT_EQ(plug.informed.size(), 2u);
  EXPECT_DOUBLE_EQ(plug.informed[0].normalized, 0.55);
  EXPECT_EQ(g->GetMouseCapture(), -1);
}

TEST_F(InputEditor, BackgroundPressStartsNoGestureAndUnpressedReleaseEndsOne) {
  g->OnMouseDown(80, 80, &left);
  g->OnMouseUp(80, 80, &left);
  EXPECT_EQ(background->events, (std::vector<std::string>{"down 80,80", "up 80,80"}));
  EXPECT_TRUE(plug.gestures.empty());
  g->OnMouseUp(35, 35, &left);  // released over a control never pressed
  EXPECT_EQ(plug.gestures, (std::vector<std::string>{"end 3"}));
  g->OnMouseDrag(50, 50, &left);  // nothing captured: no drag reaches anyone
  EXPECT_EQ(top->events, (std::vector<std::string>{"up 35,35"}));
}

TEST_F(InputEditor, DoubleClickResetsWithoutCaptureUnlessItActsAsASingleClick) {
  g->OnMouseDown(15, 15, &left);
  g->OnMouseDrag(15, 5, &left);
  g->OnMouseUp(15, 5, &left);
  EXPECT_DOUBLE_EQ(knob->GetValue(), 0.6);
  EXPECT_FALSE(g->OnMouseDblClick(15, 15, &left));
  EXPECT_DOUBLE_EQ(knob->GetValue(), 0.5);  // the first value the plug-in sent
  EXPECT_DOUBLE_EQ(plug.GetParam(TestEffect::kGain)->Value(), 0.0);
  EXPECT_EQ(g->GetMouseCapture(), -1);
  top->SetMouseDblAsSingleClick(true);
  plug.gestures.clear();
  EXPECT_TRUE(g->OnMouseDblClick(35, 35, &left));
  EXPECT_EQ(g->GetMouseCapture(), 2);
  EXPECT_EQ(top->events.back(), "down 35,35");
  EXPECT_TRUE(plug.gestures.empty());  // no gesture starts on this path
  EXPECT_FALSE(g->OnMouseDblClick(200, 200, &left));
}

TEST_F(InputEditor, WheelHoverAndKeysFindTheirTargets) {
  g->OnMouseWheel(35, 35, &left, 3);
  EXPECT_EQ(top->events.back(), "wheel 3,0");
  EXPECT_FALSE(g->OnMouseOver(35, 35, &left));  // hover is off by default
  g->HandleMouseOver(true);
  EXPECT_TRUE(g->OnMouseOver(35, 35, &left));
  EXPECT_TRUE(g->OnMouseOver(15, 15, &left));
  EXPECT_EQ(top->events.back(), "out 0,0");
  EXPECT_EQ(g->GetMouseOver(), 1);
  g->OnMouseOut();
  EXPECT_EQ(g->GetMouseOver(), -1);

  EXPECT_TRUE(g->OnKeyDown(15, 15, 7));
  EXPECT_EQ(knob->events.back(), "key 7,0");
  EXPECT_FALSE(g->OnKeyDown(80, 80, 7));  // the background never takes keys
  EXPECT_EQ(background->events.back(), "out 0,0");
  ProbeControl* catcher = new ProbeControl(&plug, IRECT());
  g->AttachKeyCatcher(catcher);
  EXPECT_TRUE(g->OnKeyDown(80, 80, 9));
  EXPECT_EQ(catcher->events.back(), "key 9,0");
}

TEST_F(InputEditor, AutomationShortcutsReportTheParameterUnderThePointer) {
  EXPECT_EQ(g->GetParamIdxForPTAutomation(15, 15), TestEffect::kGain);
  EXPECT_EQ(g->GetLastClickedParamForPTAutomation(), TestEffect::kGain);
  EXPECT_EQ(g->GetLastClickedParamForPTAutomation(), -1);
  EXPECT_EQ(g->GetParamIdxForPTAutomation(80, 80), -1);
  EXPECT_EQ(g->GetParamIdxForPTAutomation(500, 500), -1);
  EXPECT_EQ(g->GetLastClickedParamForPTAutomation(), -1);
}
