// Host automation on one thread while the editor polls and draws on another. Run under
// ThreadSanitizer (the concurrency label) this must report no race.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "graphics/IBitmapControl.h"
#include "tests/graphics/test_editor.h"
#include "tests/vst2/test_host.h"

TEST(Concurrency, AutomationWhileTheEditorDraws) {
  TestHost host(&TestEffectMain);
  host.Start();
  TestEffect* plug = EffectOf(host.Effect());
  std::vector<ProbeControl*> probes;
  RecordingGraphics* g = AttachEditor(plug, 200, 50, [&](IGraphics* graphics) {
    for (int p = 0; p < TestEffect::kNumParams; ++p) {
      probes.push_back(new ProbeControl(plug, IRECT(p * 50, 0, p * 50 + 40, 40), p));
      graphics->AttachControl(probes.back());
    }
  });
  std::atomic<bool> done{false};
  std::thread automation([&] {
    AEffect* e = host.Effect();
    for (int i = 0; i < 20000; ++i) e->setParameter(e, i % TestEffect::kNumParams, (i % 101) / 100.0f);
    char text[] = "3.5";
    e->dispatcher(e, effString2Parameter, TestEffect::kGain, 0, text, 0.0f);
    done = true;
  });
  int draws = 0;
  IMouseMod left(true);
  while (!done) {
    IRECT area;
    if (g->IsDirty(&area)) g->Draw(&area), ++draws;
    g->OnMouseDown(5, 5, &left);  // the GUI side changes values too
    g->OnMouseDrag(5, 3, &left);
    g->OnMouseUp(5, 3, &left);
  }
  automation.join();
  IRECT area;
  while (g->IsDirty(&area)) g->Draw(&area), area = IRECT(), ++draws;
  EXPECT_GT(draws, 0);
  EXPECT_DOUBLE_EQ(probes[TestEffect::kGain]->GetValue(), plug->GetParam(TestEffect::kGain)->GetNormalized());
}
