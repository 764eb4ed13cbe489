// The process-wide image and font stores, shared by every editor in the process.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <atomic>
#include <thread>

#include "graphics/IBitmapControl.h"
#include "graphics/IGraphicsStores.h"
#include "pix/pix.h"
#include "tests/graphics/test_editor.h"
#include "tests/vst2/test_host.h"

namespace {
std::string ImageDir() {
  static const std::string dir = [] {
    std::string d = ::testing::TempDir() + "graphics_stores";
    mkdir(d.c_str(), 0755);
    PIX_MemBitmap image(8, 6);
    PIX_Clear(&image, 0xFF336699);
    PIX_WritePNG(&image, (d + "/knob.png").c_str());
    return d;
  }();
  return dir;
}
}  // namespace

TEST(Stores, AnImageIdIsLoadedOnceAndAMissingImageIsNotKept) {
  RecordingGraphics g(nullptr, 10, 10, 0, ImageDir());
  const int before = RecordingGraphics::sImageLoads;
  IBitmap a = g.LoadIBitmap(9001, "resources/img/knob.png", 2);
  IBitmap b = g.LoadIBitmap(9001, "resources/img/other.png", 3);  // same id: the first image
  ASSERT_NE(a.mData, nullptr);
  EXPECT_EQ(a.mData, b.mData);
  EXPECT_EQ(a.W, 8);
  EXPECT_EQ(a.FrameHeight(), 3);
  EXPECT_EQ(b.N, 3);
  EXPECT_EQ(RecordingGraphics::sImageLoads - before, 1);

  const int stored = TheBitmapStorage().Count();
  IBitmap missing = g.LoadIBitmap(9002, "resources/img/missing.png");
  EXPECT_EQ(missing.mData, nullptr);
  EXPECT_EQ(TheBitmapStorage().Count(), stored);
  g.LoadIBitmap(9002, "resources/img/missing.png");
  EXPECT_EQ(RecordingGraphics::sImageLoads - before, 3);  // asked again, since nothing was kept

  g.PrepDraw();
  PIX_Clear(g.GetDrawBitmap(), 0xFF000000);
  IRECT area(0, 0, 10, 10);
  g.AttachControl(new IBitmapControl(nullptr, 0, 0, -1, &missing));
  g.Draw(&area);
  EXPECT_EQ(PIX_GetPixel(g.GetDrawBitmap(), 0, 0), 0xFF000000u);
}

TEST(Stores, DerivedBitmapsBelongToTheStoreUntilReleased) {
  RecordingGraphics g(nullptr, 10, 10, 0, ImageDir());
  IBitmap source = g.LoadIBitmap(9003, "knob.png", 2);
  const int stored = TheBitmapStorage().Count();
  IBitmap scaled = g.ScaleBitmap(&source, 16, 12);
  IRECT r(2, 1, 6, 5);
  IBitmap cropped = g.CropBitmap(&source, &r);
  EXPECT_EQ(TheBitmapStorage().Count(), stored + 2);
  EXPECT_EQ(scaled.W, 16);
  EXPECT_EQ(scaled.N, 2);
  EXPECT_EQ(cropped.W, 4);
  EXPECT_EQ(PIX_GetPixel(cropped.mData, 0, 0), 0xFF336699u);
  g.ReleaseBitmap(&scaled);
  g.ReleaseBitmap(&cropped);
  EXPECT_EQ(TheBitmapStorage().Count(), stored);
}

namespace {
// Each instance's editor loads two images and makes a font.
AEffect* EntryWithArtwork(audioMasterCallback callback) {
  AEffect* effect = TestEffectMain(callback);
  TestEffect* plug = EffectOf(effect);
  AttachEditor(
      plug, 50, 50,
      [](IGraphics* g) {
        g->AttachBackground(9101, "knob.png");
        IBitmap strip = g->LoadIBitmap(9102, "knob.png", 2);
        g->AttachControl(new IBitmapControl(g->GetPlug(), 10, 10, TestEffect::kSwitch, &strip));
        IText style(17, &COLOR_RED, "DejaVu Sans Mono", IText::kStyleBold);
        IGraphics::CacheFont(&style);
      },
      ImageDir());
  return effect;
}
}  // namespace

TEST(Stores, InstancesOnSeveralThreadsShareOneLoadOfEachImageAndFont) {
  const int loads = RecordingGraphics::sImageLoads;
  const int fonts = TheFontStorage().Count();
  std::vector<std::thread> threads;
  std::atomic<int> opened{0};
  for (int t = 0; t < 2; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < 5; ++i) {
        TestHost host(&EntryWithArtwork);
        if (host.Effect()) ++opened;
      }
    });
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(opened, 10);
  EXPECT_EQ(RecordingGraphics::sImageLoads - loads, 2);
  EXPECT_EQ(TheFontStorage().Count(), fonts + 1);
  IText same(17, &COLOR_BLUE, "DejaVu Sans Mono", IText::kStyleBold, IText::kAlignFar);
  EXPECT_NE(IGraphics::CacheFont(&same), nullptr);
  EXPECT_EQ(TheFontStorage().Count(), fonts + 1);  // colour and alignment are not part of the key
}
