#include <cairo.h>
#include <gtest/gtest.h>
#include <unistd.h>
#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "pix/pix.h"
#include "tests/pix/helpers.h"
#include "tests/pix/png_images.h"
#include "tests/support/alloc_hook.h"

namespace {

namespace fs = std::filesystem;

std::string TempPath(const std::string& name) {
  return (fs::temp_directory_path() / ("pix_png_" + std::to_string(getpid()) + "_" + name)).string();
}

void Save(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

// cairo's rounding of a premultiplied channel.
int Premul(int a, int c) {
  const int t = a * c + 0x80;
  return (t + (t >> 8)) >> 8;
}

// Compares a decoded bitmap with cairo's reading of the same file: colours where cairo keeps them
// (alpha 255), alpha 0 where it drops them, and the premultiplied form everywhere else.
void ExpectMatchesCairo(PIX_IBitmap& bm, const std::string& path) {
  cairo_surface_t* s = cairo_image_surface_create_from_png(path.c_str());
  ASSERT_EQ(cairo_surface_status(s), CAIRO_STATUS_SUCCESS);
  ASSERT_EQ(cairo_image_surface_get_width(s), bm.getWidth());
  ASSERT_EQ(cairo_image_surface_get_height(s), bm.getHeight());
  cairo_surface_flush(s);
  const unsigned char* data = cairo_image_surface_get_data(s);
  const int stride = cairo_image_surface_get_stride(s);
  const bool hasAlpha = cairo_image_surface_get_format(s) == CAIRO_FORMAT_ARGB32;
  for (int y = 0; y < bm.getHeight(); ++y)
    for (int x = 0; x < bm.getWidth(); ++x) {
      uint32_t c;
      memcpy(&c, data + y * stride + x * 4, 4);
      if (!hasAlpha) c |= 0xFF000000u;
      const PIX_pixel p = At(bm, x, y);
      const int a = PIX_GETA(p);
      if (a == 255) {
        ASSERT_EQ(p, c) << x << "," << y;
      } else {
        ASSERT_EQ(a, int(c >> 24)) << x << "," << y;
        const uint32_t pre = PIX_RGBA(Premul(a, PIX_GETR(p)), Premul(a, PIX_GETG(p)), Premul(a, PIX_GETB(p)), a);
        ASSERT_EQ(pre, c) << x << "," << y;
      }
    }
  cairo_surface_destroy(s);
}

void ExpectPixels(PIX_IBitmap& bm, const pngimg::Image& img, int w, int h) {
  ASSERT_EQ(bm.getWidth(), w);
  ASSERT_EQ(bm.getHeight(), h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) ASSERT_EQ(At(bm, x, y), img.expected[y * w + x]) << x << "," << y;
}

struct Case {
  const char* name;
  int colorType, depth;
  bool trns, interlaced;
};

const Case kCases[] = {
    {"grey1", PNG_COLOR_TYPE_GRAY, 1, false, false},
    {"grey2", PNG_COLOR_TYPE_GRAY, 2, false, false},
    {"grey4", PNG_COLOR_TYPE_GRAY, 4, false, false},
    {"grey8", PNG_COLOR_TYPE_GRAY, 8, false, false},
    {"grey16", PNG_COLOR_TYPE_GRAY, 16, false, false},
    {"grey2_trns", PNG_COLOR_TYPE_GRAY, 2, true, false},
    {"grey16_trns", PNG_COLOR_TYPE_GRAY, 16, true, false},
    {"greyalpha8", PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, false},
    {"greyalpha16", PNG_COLOR_TYPE_GRAY_ALPHA, 16, false, false},
    {"palette1", PNG_COLOR_TYPE_PALETTE, 1, false, false},
    {"palette4", PNG_COLOR_TYPE_PALETTE, 4, false, false},
    {"palette8", PNG_COLOR_TYPE_PALETTE, 8, false, false},
    {"palette2_trns", PNG_COLOR_TYPE_PALETTE, 2, true, false},
    {"palette8_trns", PNG_COLOR_TYPE_PALETTE, 8, true, false},
    {"rgb8", PNG_COLOR_TYPE_RGB, 8, false, false},
    {"rgb16", PNG_COLOR_TYPE_RGB, 16, false, false},
    {"rgb8_trns", PNG_COLOR_TYPE_RGB, 8, true, false},
    {"rgba8", PNG_COLOR_TYPE_RGB_ALPHA, 8, false, false},
    {"rgba16", PNG_COLOR_TYPE_RGB_ALPHA, 16, false, false},
    {"rgba8_interlaced", PNG_COLOR_TYPE_RGB_ALPHA, 8, false, true},
    {"grey1_interlaced", PNG_COLOR_TYPE_GRAY, 1, false, true},
    {"palette4_trns_interlaced", PNG_COLOR_TYPE_PALETTE, 4, true, true},
};

pngimg::Image MakeCase(const Case& c, int w, int h, unsigned seed) {
  pngimg::PngKind s;
  s.w = w, s.h = h, s.colorType = c.colorType, s.depth = c.depth, s.trns = c.trns, s.interlaced = c.interlaced;
  return pngimg::Make(s, seed);
}

// Every colour type and depth, from a file and from memory, against the samples written and
// against cairo's reader.
TEST(PngDecode, EveryColourTypeAndDepthMatchesSamplesAndCairo) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const int w = 13, h = 9;  // odd sizes cross byte and interlace-pass boundaries
    const pngimg::Image img = MakeCase(c, w, h, 7);
    ASSERT_FALSE(img.file.empty());
    const std::string path = TempPath(std::string(c.name) + ".png");
    Save(path, img.file);
    std::unique_ptr<PIX_IBitmap> fromFile(PIX_LoadPNG(path.c_str(), nullptr));
    ASSERT_TRUE(fromFile);
    ExpectPixels(*fromFile, img, w, h);
    ExpectMatchesCairo(*fromFile, path);
    std::unique_ptr<PIX_IBitmap> fromMem(
        PIX_LoadPNGFromMemory(img.file.data(), static_cast<int>(img.file.size()), nullptr));
    ASSERT_TRUE(fromMem);
    ExpectPixels(*fromMem, img, w, h);
    remove(path.c_str());
  }
}

TEST(PngDecode, OneBitGreyIsOpaqueBlackOrWhite) {
  const pngimg::Image img = MakeCase(kCases[0], 16, 4, 3);
  std::unique_ptr<PIX_IBitmap> bm(PIX_LoadPNGFromMemory(img.file.data(), int(img.file.size()), nullptr));
  ASSERT_TRUE(bm);
  int black = 0, white = 0;
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 16; ++x) {
      const PIX_pixel p = At(*bm, x, y);
      black += p == 0xFF000000u, white += p == 0xFFFFFFFFu;
    }
  EXPECT_EQ(black + white, 64);
  EXPECT_GT(black, 0);
  EXPECT_GT(white, 0);
}

// A 3 x 2 image into a 10 x 10 system bitmap: resized, same span, pixels past the width kept.
TEST(PngDecode, CallerBitmapIsResizedAndOnlyImagePixelsWritten) {
  const pngimg::Image img = MakeCase(kCases[17], 3, 2, 5);
  PIX_SysBitmap sys(10, 10);
  ASSERT_EQ(sys.getRowSpan(), 12);
  for (int i = 0; i < 12 * 10; ++i) sys.getBits()[i] = 0x5A5A5A5Au;
  EXPECT_EQ(PIX_LoadPNGFromMemory(img.file.data(), int(img.file.size()), &sys), &sys);
  EXPECT_EQ(sys.getRowSpan(), 12);
  ExpectPixels(sys, img, 3, 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 3; x < 12; ++x) EXPECT_EQ(sys.getBits()[y * 12 + x], 0x5A5A5A5Au);

  FlippedBitmap flipped(1, 1);
  EXPECT_EQ(PIX_LoadPNGFromMemory(img.file.data(), int(img.file.size()), &flipped), &flipped);
  ExpectPixels(flipped, img, 3, 2);
}

// The IHDR chunk of a file with its width and height replaced and its checksum fixed up.
std::vector<uint8_t> WithSize(std::vector<uint8_t> f, uint32_t w, uint32_t h) {
  for (int i = 0; i < 4; ++i) f[16 + i] = uint8_t(w >> (24 - 8 * i)), f[20 + i] = uint8_t(h >> (24 - 8 * i));
  const uint32_t crc = uint32_t(crc32(0, f.data() + 12, 17));
  for (int i = 0; i < 4; ++i) f[29 + i] = uint8_t(crc >> (24 - 8 * i));
  return f;
}

TEST(PngDecode, BadInputGivesNull) {
  const pngimg::Image img = MakeCase(kCases[17], 6, 6, 9);
  const std::vector<uint8_t>& f = img.file;
  EXPECT_EQ(PIX_LoadPNGFromMemory(f.data(), 7, nullptr), nullptr);
  EXPECT_EQ(PIX_LoadPNGFromMemory(nullptr, 100, nullptr), nullptr);
  EXPECT_EQ(PIX_LoadPNGFromMemory(f.data(), -1, nullptr), nullptr);
  std::vector<uint8_t> bad = f;
  bad[1] = 'Q';
  EXPECT_EQ(PIX_LoadPNGFromMemory(bad.data(), int(bad.size()), nullptr), nullptr);
  for (size_t n : {8, 20, 33, 50}) EXPECT_EQ(PIX_LoadPNGFromMemory(f.data(), int(n), nullptr), nullptr) << n;
  EXPECT_EQ(PIX_LoadPNGFromMemory(f.data(), int(f.size()) - 13, nullptr), nullptr);  // no IEND
  bad = f;
  bad[f.size() - 20] ^= 0x40;  // inside the image data: its checksum fails
  EXPECT_EQ(PIX_LoadPNGFromMemory(bad.data(), int(bad.size()), nullptr), nullptr);
  EXPECT_EQ(PIX_LoadPNG("/nonexistent/x.png", nullptr), nullptr);
  EXPECT_EQ(PIX_LoadPNGFromResource(nullptr, "x", nullptr), nullptr);
}

// A few bytes declaring a huge unknown chunk end when the data does, not after reading the
// declared length.
TEST(PngDecode, ChunkLongerThanTheDataFailsAtOnce) {
  const pngimg::Image img = MakeCase(kCases[17], 2, 2, 1);
  std::vector<uint8_t> f(img.file.begin(), img.file.begin() + 33);  // signature and IHDR
  const uint8_t chunk[] = {0x7F, 0xFF, 0xFF, 0xF0, 'e', 'e', 'e', 'e', 1};
  f.insert(f.end(), chunk, chunk + sizeof chunk);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(PIX_LoadPNGFromMemory(f.data(), int(f.size()), nullptr), nullptr);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

// Sizes beyond the limits are refused before any pixels are allocated: a caller's bitmap keeps
// its size.
TEST(PngDecode, OversizedImagesAreRefusedBeforeAllocating) {
  const pngimg::Image img = MakeCase(kCases[17], 4, 4, 2);
  const std::pair<uint32_t, uint32_t> sizes[] = {
      {PIX_PNG_MAX_SIDE + 1, 1}, {1, PIX_PNG_MAX_SIDE + 1}, {4097, 4096}, {0x7FFFFFFF, 0x7FFFFFFF}};
  for (auto [w, h] : sizes) {
    const std::vector<uint8_t> f = WithSize(img.file, w, h);
    PIX_MemBitmap bm(2, 2);
    EXPECT_EQ(PIX_LoadPNGFromMemory(f.data(), int(f.size()), &bm), nullptr) << w << "x" << h;
    EXPECT_EQ(bm.getWidth(), 2);
  }
  // Within the limits the same file is only refused for its missing data.
  const std::vector<uint8_t> f = WithSize(img.file, 4096, 4096);
  PIX_MemBitmap bm(2, 2);
  EXPECT_EQ(PIX_LoadPNGFromMemory(f.data(), int(f.size()), &bm), nullptr);
  EXPECT_EQ(bm.getWidth(), 4096);
}

TEST(PngDecode, AllocationFailuresGiveNullWithoutLeaks) {
  if (!alloc_hook::Active()) GTEST_SKIP() << "allocator hook inactive under sanitizers";
  const pngimg::Image img = MakeCase(kCases[20], 9, 9, 4);
  bool loaded = false;
  for (int n = 0; n < 200 && !loaded; ++n) {
    alloc_hook::Counter count;
    {
      alloc_hook::FailAfter fail(n);
      PIX_IBitmap* bm = PIX_LoadPNGFromMemory(img.file.data(), int(img.file.size()), nullptr);
      loaded = bm != nullptr;
      if (loaded) ExpectPixels(*bm, img, 9, 9);
      delete bm;
    }
    EXPECT_EQ(count.Allocations(), count.Frees()) << n;
  }
  EXPECT_TRUE(loaded);
}

TEST(PngLoader, ExtensionCheckAndChain) {
  const pngimg::Image img = MakeCase(kCases[14], 2, 2, 1);
  const std::string dir = TempPath("dir.png");
  fs::create_directories(dir);
  const std::string upper = dir + "/IMAGE.PNG", bare = dir + "/image", other = dir + "/image.pngx";
  for (const auto& p : {upper, bare, other}) Save(p, img.file);
  std::unique_ptr<PIX_IBitmap> a(PIX_PNGLoader::loadfunc(upper.c_str(), true, nullptr));
  EXPECT_TRUE(a);
  EXPECT_EQ(PIX_PNGLoader::loadfunc(bare.c_str(), true, nullptr), nullptr);
  EXPECT_EQ(PIX_PNGLoader::loadfunc(other.c_str(), true, nullptr), nullptr);
  EXPECT_EQ(PIX_PNGLoader::loadfunc("C:\\dir.png\\image", true, nullptr), nullptr);
  std::unique_ptr<PIX_IBitmap> b(PIX_PNGLoader::loadfunc(bare.c_str(), false, nullptr));
  ASSERT_TRUE(b);
  ExpectPixels(*b, img, 2, 2);
  fs::remove_all(dir);

  const char* ext = PIX_PNGLoader::get_extlist();
  EXPECT_STREQ(ext, "PNG files (*.PNG)");
  EXPECT_STREQ(ext + strlen(ext) + 1, "*.PNG");
  EXPECT_EQ(ext[strlen(ext) + 1 + 6], '\0');
  bool found = false;
  for (PIX_ImageLoader* l = PIX_ImageLoader_list; l; l = l->_next)
    found |= l->loadfunc == &PIX_PNGLoader::loadfunc && l->get_extlist == &PIX_PNGLoader::get_extlist;
  EXPECT_TRUE(found);
}

// The test program is the module here, so its folder holds the resources.
TEST(PngLoader, NamedResourceComesFromTheModulesResourceFolder) {
  const std::string res = (fs::canonical("/proc/self/exe").parent_path() / "Resources").string();
  const bool made = fs::create_directories(res);
  const std::string name = "pix_png_test_" + std::to_string(getpid()) + ".png";
  const pngimg::Image img = MakeCase(kCases[18], 5, 3, 8);
  Save(res + "/" + name, img.file);
  std::unique_ptr<PIX_IBitmap> bm(PIX_LoadPNGFromNamedResource(name.c_str(), nullptr));
  ASSERT_TRUE(bm);
  ExpectPixels(*bm, img, 5, 3);
  EXPECT_EQ(PIX_LoadPNGFromNamedResource(std::string(401, 'a').c_str(), nullptr), nullptr);
  EXPECT_EQ(PIX_LoadPNGFromNamedResource("missing.png", nullptr), nullptr);
  fs::remove(res + "/" + name);
  if (made) fs::remove(res);
}

TEST(PngWrite, WrittenPixelsReadBackIdentically) {
  std::mt19937 rng(11);
  for (bool flipped : {false, true}) {
    std::unique_ptr<PIX_MemBitmap> src(flipped ? new FlippedBitmap(37, 11) : new PIX_MemBitmap(37, 11));
    FillRandom(*src, rng);
    const std::string path = TempPath("write.png");
    ASSERT_TRUE(PIX_WritePNG(src.get(), path.c_str()));
    std::unique_ptr<PIX_IBitmap> back(PIX_LoadPNG(path.c_str(), nullptr));
    ASSERT_TRUE(back);
    EXPECT_EQ(PIX_BitmapCmp(src.get(), back.get()), 0);
    // An independent reader agrees where it keeps straight colours.
    ExpectMatchesCairo(*back, path);
    remove(path.c_str());
  }
  PIX_MemBitmap empty;
  EXPECT_FALSE(PIX_WritePNG(&empty, TempPath("empty.png").c_str()));
  EXPECT_FALSE(fs::exists(TempPath("empty.png")));
  PIX_MemBitmap one(1, 1);
  EXPECT_FALSE(PIX_WritePNG(&one, "/nonexistent/dir/x.png"));
}

}  // namespace
