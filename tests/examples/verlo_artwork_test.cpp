// The editor images the build draws into Verlo.vst/Resources/: their sizes and frame counts, knob
// frames that turn evenly from minimum to maximum, and the same bytes from every generator run.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "pix/pix.h"

namespace {

const std::string kResources = VERLO_BUILD_DIR "/Verlo.vst/Resources/";
const char* const kFiles[] = {"BG.png", "BY.png", "FADE.png", "CHOP.png", "DRY.png", "OUT.png"};
struct KnobStrip {
  const char* file;
  int size;
};
const KnobStrip kKnobStrips[] = {{"FADE.png", 100}, {"CHOP.png", 100}, {"DRY.png", 100}, {"OUT.png", 72}};

std::unique_ptr<PIX_IBitmap> Load(const std::string& path) {
  return std::unique_ptr<PIX_IBitmap>(PIX_LoadPNG(path.c_str(), nullptr));
}

int Luma(PIX_pixel p) { return (PIX_GETR(p) * 3 + PIX_GETG(p) * 6 + PIX_GETB(p)) / 10; }

// The pointer's angle in degrees (0 up, clockwise positive): the direction of the bright pixels
// in a band around the centre of the frame, between the cap's middle and its rim.
double PointerAngle(const PIX_IBitmap& strip, int size, int frame) {
  const double centre = size / 2.0, inner = 0.10 * size, outer = 0.20 * size;
  double sx = 0, sy = 0;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const double dx = x + 0.5 - centre, dy = y + 0.5 - centre, r = std::hypot(dx, dy);
      const int weight = Luma(PIX_GetPixel(&strip, x, frame * size + y)) - 200;
      if (r >= inner && r <= outer && weight > 0) sx += weight * dx, sy -= weight * dy;
    }
  return std::atan2(sx, sy) * 180.0 / M_PI;
}

std::string Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(VerloArtwork, ImagesHaveTheEditorSizesAndFrameCounts) {
  const auto bg = Load(kResources + "BG.png");
  ASSERT_TRUE(bg);
  EXPECT_EQ(bg->getWidth(), 784);
  EXPECT_EQ(bg->getHeight(), 184);
  int translucent = 0;
  for (int y = 0; y < 184; ++y)
    for (int x = 0; x < 784; ++x) translucent += PIX_GETA(PIX_GetPixel(bg.get(), x, y)) != 255;
  EXPECT_EQ(translucent, 0) << "the background is opaque";

  // Two stacked frames: the second (bypassed) has its LED lit.
  const auto by = Load(kResources + "BY.png");
  ASSERT_TRUE(by);
  EXPECT_EQ(by->getWidth(), 60);
  ASSERT_EQ(by->getHeight(), 2 * 46);
  EXPECT_GT(Luma(PIX_GetPixel(by.get(), 30, 46 + 23)) - Luma(PIX_GetPixel(by.get(), 30, 23)), 100);

  for (const KnobStrip& k : kKnobStrips) {
    SCOPED_TRACE(k.file);
    const auto strip = Load(kResources + k.file);
    ASSERT_TRUE(strip);
    EXPECT_EQ(strip->getWidth(), k.size);
    EXPECT_EQ(strip->getHeight(), 61 * k.size);
    // Transparent around the knob in every frame's corner, opaque in its middle.
    EXPECT_EQ(PIX_GETA(PIX_GetPixel(strip.get(), 0, 60 * k.size)), 0);
    EXPECT_EQ(PIX_GETA(PIX_GetPixel(strip.get(), k.size / 2, 60 * k.size + k.size / 2)), 255);
  }
}

TEST(VerloArtwork, KnobFramesTurnEvenlyFromMinimumThroughUpToMaximum) {
  for (const KnobStrip& k : kKnobStrips) {
    SCOPED_TRACE(k.file);
    const auto strip = Load(kResources + k.file);
    ASSERT_TRUE(strip);
    ASSERT_EQ(strip->getHeight(), 61 * k.size);
    EXPECT_NEAR(PointerAngle(*strip, k.size, 0), -135.0, 2.0);
    EXPECT_NEAR(PointerAngle(*strip, k.size, 30), 0.0, 2.0);
    EXPECT_NEAR(PointerAngle(*strip, k.size, 60), 135.0, 2.0);
    // 270 degrees over 60 steps; a turn that grows every frame also means no two frames are equal.
    for (int frame = 1; frame < 61; ++frame)
      EXPECT_NEAR(PointerAngle(*strip, k.size, frame) - PointerAngle(*strip, k.size, frame - 1), 4.5, 1.0)
          << "frame " << frame + 1;
  }
}

TEST(VerloArtwork, LabelsAndTheLinkAreInkedWhereTheControlsAre) {
  const auto bg = Load(kResources + "BG.png");
  ASSERT_TRUE(bg);
  // Text is far brighter than the graphite panel under it.
  auto inked = [&](int left, int top, int right, int bottom) {
    int n = 0;
    for (int y = top; y < bottom; ++y)
      for (int x = left; x < right; ++x) n += Luma(PIX_GetPixel(bg.get(), x, y)) > 120;
    return n;
  };
  for (int centre : {121, 241, 391, 540, 662}) EXPECT_GT(inked(centre - 30, 128, centre + 30, 152), 20) << centre;
  EXPECT_GT(inked(685, 157, 784, 184), 20) << "link text in the visible part of the link area";
  EXPECT_EQ(inked(600, 157, 685, 184), 0) << "nothing that looks clickable left of the link area";
}

TEST(VerloArtwork, EveryGeneratorRunWritesTheBuildsBytes) {
  std::string runs[2];
  for (std::string& dir : runs) {
    dir = (std::filesystem::temp_directory_path() / "verlo-artwork-XXXXXX").string();
    ASSERT_NE(mkdtemp(dir.data()), nullptr);
    const std::string command = "'" VERLO_ARTWORK_GENERATOR "' '" + dir + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
  }
  for (const char* file : kFiles) {
    const std::string built = Bytes(kResources + file);
    EXPECT_FALSE(built.empty()) << file;
    // Compared as a whole; a failure names the file rather than printing its bytes.
    EXPECT_TRUE(Bytes(runs[0] + "/" + file) == built) << file << " differs from the build's";
    EXPECT_TRUE(Bytes(runs[1] + "/" + file) == built) << file << " differs from the build's";
  }
  for (const std::string& dir : runs) std::filesystem::remove_all(dir);
}

}  // namespace
