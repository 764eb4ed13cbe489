// Verlo's editor through the built bundle, as a DAW shows it: each control shows the frame of
// its strip for its parameter's value, a drag on a knob is a gesture that moves its parameter by
// the gearing, a click beside a knob changes nothing, and the visible part of the link opens the
// product page.
#include "tests/platform/daw_host.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <memory>
#include <string>

#include "pix/pix.h"
#include "tests/examples/verlo_screen.h"

using verlo_screen::Area;
using verlo_screen::Expected;

namespace {
enum { kFade = 0, kChop, kDry, kOutput, kBypass };

struct VerloEditor : ::testing::Test {
  std::unique_ptr<PluginLibrary> library;
  std::unique_ptr<DawHost> daw;

  void SetUp() override {
    library = std::make_unique<PluginLibrary>(VERLO_PLUGIN_PATH);
    ASSERT_TRUE(library->Loaded()) << library->Error();
    daw = std::make_unique<DawHost>(*library);
    if (!daw->HasDisplay()) GTEST_SKIP() << "no X display";
    daw->Host().Start();
  }
  void TearDown() override {
    daw.reset();
    library.reset();
  }
  // Waits until the control at (x, y) shows frame of strip.
  bool Shows(const char* strip, int frames, int frame, int x, int y, double seconds = 2.0) {
    const Area want = Expected(strip, frames, frame, x, y);
    if (want.pixels.empty()) return false;
    return DawHost::WaitFor([&] { return daw->Grab(x, y, want.w, want.h) == want.pixels; }, seconds);
  }
  float Param(int idx) { return daw->Effect()->getParameter(daw->Effect(), idx); }
};
}  // namespace

TEST_F(VerloEditor, ControlsShowTheFramesOfTheirValues) {
  daw->Effect()->setParameter(daw->Effect(), kBypass, 1.0f);
  daw->Effect()->setParameter(daw->Effect(), kChop, 0.5f);
  daw->Effect()->setParameter(daw->Effect(), kOutput, 1.0f);
  ASSERT_EQ(daw->OpenEditor(), 1);
  EXPECT_TRUE(Shows("BY.png", 2, 2, 91, 53));
  EXPECT_TRUE(Shows("FADE.png", 61, 1, 191, 26));
  EXPECT_TRUE(Shows("CHOP.png", 61, 31, 341, 26));
  EXPECT_TRUE(Shows("DRY.png", 61, 1, 490, 26));
  EXPECT_TRUE(Shows("OUT.png", 61, 61, 626, 40));
}

TEST_F(VerloEditor, ValuesFromAStateChunkShowToo) {
  daw->Effect()->setParameter(daw->Effect(), kDry, 0.5f);
  void* chunk = nullptr;
  const VstIntPtr size = daw->Host().Dispatch(effGetChunk, 1, 0, &chunk);
  ASSERT_GT(size, 0);
  const std::vector<char> saved(static_cast<char*>(chunk), static_cast<char*>(chunk) + size);
  daw->Effect()->setParameter(daw->Effect(), kDry, 0.0f);
  ASSERT_EQ(daw->OpenEditor(), 1);
  ASSERT_TRUE(Shows("DRY.png", 61, 1, 490, 26));
  std::vector<char> copy = saved;
  ASSERT_EQ(daw->Host().Dispatch(effSetChunk, 1, size, copy.data()), 1);
  EXPECT_TRUE(Shows("DRY.png", 61, 31, 490, 26));
}

TEST_F(VerloEditor, ADragOnFadeIsAGestureByTheGearingAndABesideClickChangesNothing) {
  ASSERT_EQ(daw->OpenEditor(), 1);
  ASSERT_TRUE(Shows("FADE.png", 61, 1, 191, 26));
  daw->Host().ClearCalls();
  daw->MoveTo(241, 100);
  daw->Button(1, true);
  for (int y = 90; y >= 60; y -= 10) {
    daw->MoveTo(241, y);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  daw->Button(1, false);
  ASSERT_TRUE(DawHost::WaitFor([&] { return !daw->Host().CallsWith(audioMasterEndEdit).empty(); }));
  EXPECT_EQ(daw->Host().CallsWith(audioMasterBeginEdit).size(), 1u);
  EXPECT_FALSE(daw->Host().CallsWith(audioMasterAutomate).empty());
  // 40 pixels up over a 100-pixel knob at gearing 4.
  EXPECT_NEAR(Param(kFade), 0.1, 1e-6);
  EXPECT_TRUE(Shows("FADE.png", 61, 7, 191, 26));  // trunc(60 x 0.1 + 0.5) + 1

  daw->Host().ClearCalls();
  daw->Click(300, 100);  // between FADE and CHOP: the background takes it
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  EXPECT_TRUE(daw->Host().CallsWith(audioMasterAutomate).empty());
  EXPECT_TRUE(daw->Host().CallsWith(audioMasterBeginEdit).empty());
  EXPECT_NEAR(Param(kFade), 0.1, 1e-6);
}

TEST_F(VerloEditor, TheBypassSwitchTogglesAndTheLinkOpensTheProductPage) {
  InstallOpenerStandIn();
  ASSERT_EQ(daw->OpenEditor(), 1);
  ASSERT_TRUE(Shows("BY.png", 2, 1, 91, 53));
  daw->Click(121, 76);
  ASSERT_TRUE(DawHost::WaitFor([&] { return Param(kBypass) == 1.0f; }));
  EXPECT_TRUE(Shows("BY.png", 2, 2, 91, 53));
  daw->Click(730, 175);  // the link reaches below the editor; this part is on screen
  EXPECT_EQ(OpenedAddress(), "https://quenmarrow.example/verlo");
}

TEST(VerloEditorWithoutArtwork, OpensAndDrawsWithNothingToShow) {
  // A bundle holding the plug-in but no Resources folder.
  const std::string bundle = ::testing::TempDir() + "NoArt.vst";
  mkdir(bundle.c_str(), 0755);
  {
    std::ifstream in(VERLO_PLUGIN_PATH, std::ios::binary);
    std::ofstream out(bundle + "/Verlo.so", std::ios::binary);
    out << in.rdbuf();
  }
  PluginLibrary library((bundle + "/Verlo.so").c_str());
  ASSERT_TRUE(library.Loaded()) << library.Error();
  DawHost daw(library);
  if (!daw.HasDisplay()) GTEST_SKIP() << "no X display";
  ASSERT_EQ(daw.OpenEditor(), 1);
  daw.Click(241, 76);
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  EXPECT_EQ(daw.CloseEditor(), 1);
}
