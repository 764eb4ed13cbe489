// Verlo's LV2 editor as a DAW opens it through suil: inside the host's parent window, pumped
// through the idle interface, each control showing the port value the host sent, a drag on a knob
// reaching the host as one touched run of writes to its port, and closing in either order a host
// may take.
#include "tests/lv2/suil_editor_host.h"

#include <memory>
#include <vector>

#include "tests/examples/verlo_screen.h"

namespace {
enum Port : uint32_t { kFade = 0, kChop, kDry, kOutput, kBypass, kNumControlPorts };

// Each control port's control in the editor: its strip, where it sits, and the port's range.
struct Control {
  const char* strip;
  int frames;
  int x, y;
  float lo, hi;
};
const Control kControls[kNumControlPorts] = {{"FADE.png", 61, 191, 26, 5.0f, 50.0f},
                                             {"CHOP.png", 61, 341, 26, 0.22f, 1.0f},
                                             {"DRY.png", 61, 490, 26, 0.0f, 1.0f},
                                             {"OUT.png", 61, 626, 40, -10.0f, 10.0f},
                                             {"BY.png", 2, 91, 53, 0.0f, 1.0f}};

// The strip frame (from 1) a control shows for a port value: the nearest step of its range.
int FrameFor(Port port, float value) {
  const Control& c = kControls[port];
  return static_cast<int>((value - c.lo) / (c.hi - c.lo) * (c.frames - 1) + 0.5) + 1;
}

bool IsTouch(const HostCall& call, uint32_t port, bool grabbed) {
  return call.kind == HostCall::Kind::kTouch && call.port == port && call.grabbed == grabbed;
}

class VerloLV2Editor : public X11Test {
protected:
  void SetUp() override {
    X11Test::SetUp();
    if (IsSkipped()) return;
    host = std::make_unique<SuilEditorHost>(TestDisplay(), 40, 40, 800, 200);
    ASSERT_NE(host->Instance(), nullptr);
  }
  void TearDown() override {
    host.reset();
    X11Test::TearDown();
  }

  // Whether, idling for up to two seconds, the screen comes to show the frame of the port's
  // control for value, blended on the background.
  bool Shows(Port port, float value) {
    const Control& c = kControls[port];
    const verlo_screen::Area want = verlo_screen::Expected(c.strip, c.frames, FrameFor(port, value), c.x, c.y);
    if (want.pixels.empty()) return false;
    return host->IdleUntil([&] { return Grab(c.x, c.y, want.w, want.h) == want.pixels; });
  }
  // The editor's pixels in a rectangle as 0xRRGGBB.
  std::vector<uint32_t> Grab(int x, int y, int w, int h) {
    std::vector<uint32_t> pixels;
    const auto screen = host->Capture();
    if (!screen) return pixels;
    for (int j = y; j < y + h; ++j)
      for (int i = x; i < x + w; ++i) pixels.push_back(screen->getBits()[j * screen->getRowSpan() + i] & 0xFFFFFF);
    return pixels;
  }
  // The pointer to editor coordinates (the editor fills the parent from its top-left corner).
  void MoveTo(int x, int y) {
    const WindowBox box = host->Box();
    MovePointer(TestDisplay(), box.x + x, box.y + y);
  }
  size_t Writes() const {
    size_t n = 0;
    for (const HostCall& call : host->Calls()) n += call.kind == HostCall::Kind::kWrite;
    return n;
  }

  std::unique_ptr<SuilEditorHost> host;
};
}  // namespace

TEST_F(VerloLV2Editor, ShowsThePortValuesTheHostSendsAndEchoesNoneBack) {
  EXPECT_EQ(host->ParentChildren(), std::vector<Window>{host->Widget()});
  EXPECT_EQ(host->Idle(), 0);
  // What a host sends once the editor is up: every control port's value. Values at the middle
  // of a frame's step, so that rounding cannot pick its neighbour.
  const float sent[kNumControlPorts] = {50.0f, 0.61f, 0.25f, -10.0f, 1.0f};
  for (uint32_t port = 0; port < kNumControlPorts; ++port) host->SendPortValue(port, sent[port]);
  for (uint32_t port = 0; port < kNumControlPorts; ++port)
    EXPECT_TRUE(Shows(Port(port), sent[port])) << kControls[port].strip;
  if (const auto screen = host->Capture()) SaveScreenshot(*screen, "lv2_editor_sent_values");

  // Values changed while it is open redraw their controls.
  host->SendPortValue(kBypass, 0.0f);
  host->SendPortValue(kOutput, 2.0f);
  EXPECT_TRUE(Shows(kBypass, 0.0f));
  EXPECT_TRUE(Shows(kOutput, 2.0f));
  EXPECT_TRUE(host->Calls().empty());
}

TEST_F(VerloLV2Editor, ADragOnFadeIsOneTouchedRunOfRisingWrites) {
  host->SendPortValue(kFade, 5.0f);
  ASSERT_TRUE(Shows(kFade, 5.0f));
  MoveTo(241, 100);
  PressButton(TestDisplay(), 1, true);
  // The move onto the knob, the press and the first step reach the editor between two idle
  // calls, as a quick hand's do in a host; each later step is handled before the next.
  for (int y = 90; y >= 60; y -= 10) {
    const size_t before = Writes();
    MoveTo(241, y);
    ASSERT_TRUE(host->IdleUntil([&] { return Writes() > before; }, 1000)) << "no write for the step to y = " << y;
  }
  PressButton(TestDisplay(), 1, false);
  ASSERT_TRUE(host->IdleUntil([&] { return !host->Calls().empty() && IsTouch(host->Calls().back(), kFade, false); }));

  const std::vector<HostCall>& calls = host->Calls();
  ASSERT_GE(calls.size(), 4u);
  EXPECT_TRUE(IsTouch(calls.front(), kFade, true));
  std::vector<float> values;
  for (size_t i = 1; i + 1 < calls.size(); ++i) {
    EXPECT_EQ(calls[i].kind, HostCall::Kind::kWrite) << "call " << i;
    EXPECT_EQ(calls[i].port, kFade);
    EXPECT_EQ(calls[i].format, 0u);
    EXPECT_EQ(calls[i].size, sizeof(float));
    values.push_back(calls[i].value);
  }
  for (size_t i = 0; i < values.size(); ++i) {
    EXPECT_GT(values[i], i ? values[i - 1] : kControls[kFade].lo) << "write " << i;
    EXPECT_LE(values[i], kControls[kFade].hi) << "write " << i;
  }
  // The knob shows where the drag left the port.
  EXPECT_TRUE(Shows(kFade, values.back()));
  if (const auto screen = host->Capture()) SaveScreenshot(*screen, "lv2_editor_after_drag");
}

TEST_F(VerloLV2Editor, FreeingTheInstanceTakesTheEditorOutOfTheParent) {
  host->SendPortValue(kBypass, 1.0f);
  ASSERT_TRUE(Shows(kBypass, 1.0f));
  host->FreeInstance();
  EXPECT_TRUE(host->ParentChildren().empty());
}

TEST_F(VerloLV2Editor, IdleTellsAHostThatDestroyedTheParentThatTheEditorIsGone) {
  host->SendPortValue(kBypass, 1.0f);
  ASSERT_TRUE(Shows(kBypass, 1.0f));
  host->DestroyParent();
  EXPECT_TRUE(WaitUntil([&] { return host->Idle() != 0; }));
  host->FreeInstance();  // the editor's window went with the parent: nothing left to destroy
}
