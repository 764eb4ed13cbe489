// The editor wired to a real instance created through its entry function: what the host sees
// of an editor gesture, and how host changes reach the controls.
#include <gtest/gtest.h>

#include "tests/graphics/test_editor.h"
#include "tests/vst2/test_host.h"

namespace {
struct Bridge : ::testing::Test {
  TestHost host{&TestEffectMain};
  TestEffect* plug = EffectOf(host.Effect());
  ProbeControl* knob = nullptr;
  RecordingGraphics* g = nullptr;

  void Attach() {
    g = AttachEditor(plug, 300, 120, [&](IGraphics* graphics) {
      graphics->AttachControl(knob = new ProbeControl(plug, IRECT(10, 10, 60, 60), TestEffect::kGain));
    });
  }
};
}  // namespace

TEST_F(Bridge, AttachingReportsTheEditorToTheHost) {
  ERect* rect = nullptr;
  EXPECT_EQ(host.Dispatch(effEditGetRect, 0, 0, &rect), 0);
  EXPECT_EQ(host.Dispatch(effEditOpen, 0, 0, nullptr), 0);
  EXPECT_EQ(host.Effect()->flags & effFlagsHasEditor, 0);
  Attach();
  EXPECT_EQ(host.Effect()->flags & effFlagsHasEditor, effFlagsHasEditor);
  ASSERT_EQ(host.Dispatch(effEditGetRect, 0, 0, &rect), 1);
  EXPECT_EQ(rect->right, 300);
  EXPECT_EQ(rect->bottom, 120);
  EXPECT_EQ(host.Dispatch(effEditOpen, 0, 0, nullptr), 1);
  EXPECT_TRUE(g->WindowIsOpen());
  EXPECT_EQ(host.Dispatch(effEditClose), 1);
  EXPECT_FALSE(g->WindowIsOpen());
  g->Resize(400, 150);
  EXPECT_EQ(rect->right, 400);
  EXPECT_EQ(rect->bottom, 150);
}

TEST_F(Bridge, AGestureReachesTheHostCallbackInOrder) {
  host.Start();
  Attach();
  host.ClearCalls();
  IMouseMod left(true);
  g->OnMouseDown(20, 20, &left);
  g->OnMouseDrag(20, 10, &left);
  g->OnMouseDrag(20, 0, &left);
  g->OnMouseUp(20, 0, &left);
  std::vector<TestHost::Call> calls;
  for (const TestHost::Call& c : host.Calls())
    if (c.opcode == audioMasterBeginEdit || c.opcode == audioMasterAutomate || c.opcode == audioMasterEndEdit)
      calls.push_back(c);
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[0].opcode, audioMasterBeginEdit);
  EXPECT_EQ(calls[1].opcode, audioMasterAutomate);
  EXPECT_FLOAT_EQ(calls[1].opt, 0.6f);
  EXPECT_FLOAT_EQ(calls[2].opt, 0.7f);
  EXPECT_EQ(calls[3].opcode, audioMasterEndEdit);
  for (const TestHost::Call& c : calls) EXPECT_EQ(c.index, TestEffect::kGain);
  EXPECT_FLOAT_EQ(host.Effect()->getParameter(host.Effect(), TestEffect::kGain), 0.7f);
}

TEST_F(Bridge, HostChangesByValueTextAndStateReachTheControls) {
  host.Start();
  Attach();
  host.Effect()->setParameter(host.Effect(), TestEffect::kGain, 0.25f);
  EXPECT_DOUBLE_EQ(knob->GetValue(), 0.25);
  char text[] = "6";
  EXPECT_EQ(host.Dispatch(effString2Parameter, TestEffect::kGain, 0, text), 1);
  EXPECT_DOUBLE_EQ(knob->GetValue(), 0.75);
  EXPECT_TRUE(host.CallsWith(audioMasterAutomate).empty());  // the host is not told its own changes

  void* chunk = nullptr;
  plug->GetParam(TestEffect::kGain)->Set(-12.0);
  const VstIntPtr size = host.Dispatch(effGetChunk, 1, 0, &chunk);
  ASSERT_GT(size, 0);
  std::vector<char> saved(static_cast<char*>(chunk), static_cast<char*>(chunk) + size);
  host.Effect()->setParameter(host.Effect(), TestEffect::kGain, 1.0f);
  EXPECT_EQ(host.Dispatch(effSetChunk, 1, size, saved.data()), 1);
  EXPECT_DOUBLE_EQ(knob->GetValue(), 0.0);
}
