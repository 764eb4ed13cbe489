#pragma once
// The test editor plug-in loaded by a host that plays a DAW, with its artwork in place.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/platform/daw_host.h"
#include "tests/platform/test_artwork.h"

struct EditorHost : ::testing::Test {
  static void SetUpTestSuite() { ASSERT_TRUE(test_artwork::InstallForTestEditor()); }
  void SetUp() override {
    library = std::make_unique<PluginLibrary>(TEST_EDITOR_PLUGIN);
    ASSERT_TRUE(library->Loaded()) << library->Error();
    daw = std::make_unique<DawHost>(*library);
    if (!daw->HasDisplay()) GTEST_SKIP() << "no X display";
    screenCopies = reinterpret_cast<long (*)(AEffect*)>(dlsym(handle(), "TestEditor_ScreenCopies"));
  }
  void TearDown() override {
    daw.reset();
    library.reset();
  }
  void* handle() { return dlopen(TEST_EDITOR_PLUGIN, RTLD_NOW | RTLD_NOLOAD); }
  // Opens the editor and waits until its first frame is on screen.
  void Open() {
    ASSERT_EQ(daw->OpenEditor(), 1);
    ASSERT_TRUE(ShowsKnobFrame(30)) << "the first frame never showed";
  }
  bool ShowsKnobFrame(int k, double seconds = 2.0) {
    const uint32_t want = test_artwork::KnobFrame(k) & 0xFFFFFF;
    return DawHost::WaitFor([&] { return daw->PixelAt(50, 50) == want; }, seconds);
  }
  double Param(int idx) { return daw->Effect()->getParameter(daw->Effect(), idx); }

  std::unique_ptr<PluginLibrary> library;
  std::unique_ptr<DawHost> daw;
  long (*screenCopies)(AEffect*) = nullptr;
};

enum { kGain = 0, kMode, kSwitch, kSteps };
