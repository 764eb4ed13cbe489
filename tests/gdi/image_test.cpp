#include <gtest/gtest.h>

#include <cairo.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "gdi/gdi.h"
#include "kit/bundle.h"
#include "pix/pix.h"

namespace {

unsigned Rgb(const PIX_IBitmap& bm, int x, int y) { return PIX_GetPixel(&bm, x, y) & 0xFFFFFFu; }

// 3 x 2 pixels in memory order blue, green, red, alpha.
const std::vector<unsigned char> kPixels = {
    0x10, 0x20, 0x30, 0xFF, 0x40, 0x50, 0x60, 0xFF, 0xFF, 0x00, 0x00, 0xFF,
    0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0x80, 0x80, 0x80, 0x80};

unsigned Expected(int i) {
  const unsigned char* p = &kPixels[static_cast<size_t>(i) * 4];
  // Drawn over the context's black: colour times alpha.
  auto over = [&](int c) { return static_cast<unsigned>((c * p[3] + 127) / 255); };
  return (over(p[2]) << 16) | (over(p[1]) << 8) | over(p[0]);
}

// A PNG written with cairo: magenta where mask[i] is set, other colours elsewhere.
std::string WritePng(const std::string& path, int w, int h, const std::vector<bool>& magenta) {
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
  uint32_t* px = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(s));
  const int stride = cairo_image_surface_get_stride(s) / 4;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      px[y * stride + x] = magenta[static_cast<size_t>(y * w + x)] ? 0xFFFF00FFu : 0xFF000000u | (x * 40 << 8) | (y * 50);
  cairo_surface_mark_dirty(s);
  EXPECT_EQ(cairo_surface_write_to_png(s, path.c_str()), CAIRO_STATUS_SUCCESS);
  cairo_surface_destroy(s);
  return path;
}

uint32_t SurfacePixel(cairo_surface_t* s, int x, int y) {
  cairo_surface_flush(s);
  const unsigned char* data = cairo_image_surface_get_data(s);
  return reinterpret_cast<const uint32_t*>(data + y * cairo_image_surface_get_stride(s))[x];
}

}  // namespace

TEST(Images, CreatedBitmapDrawnAtItsSizeReproducesItsPixels) {
  HBITMAP image = CreateBitmap(3, 2, 1, 32, kPixels.data());
  ASSERT_NE(image, nullptr);
  PIX_SysBitmap bm(5, 4);
  RECT r = {1, 1, 4, 3};
  DrawImageInRect(bm.getDC(), image, &r);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(Rgb(bm, 1 + i % 3, 1 + i / 3), Expected(i)) << i;
  EXPECT_EQ(Rgb(bm, 0, 0), 0u);
  EXPECT_EQ(Rgb(bm, 4, 3), 0u);

  // Scaled up it covers the whole rectangle and nothing else.
  PIX_SysBitmap big(40, 30);
  RECT wide = {5, 4, 35, 24};
  HBITMAP opaque = CreateBitmap(3, 2, 1, 24, kPixels.data());
  DrawImageInRect(big.getDC(), opaque, &wide);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) {
      const bool inside = x >= 5 && x < 35 && y >= 4 && y < 24;
      if (inside)
        EXPECT_NE(Rgb(big, x, y), 0u) << x << "," << y;
      else
        EXPECT_EQ(Rgb(big, x, y), 0u) << x << "," << y;
    }
  // 24 bits ignore the alpha byte: the last pixel is opaque grey.
  EXPECT_EQ(Rgb(big, 34, 23), 0x808080u);
  DeleteObject(image);
  DeleteObject(opaque);
}

TEST(Images, CreateBitmapRefusals) {
  EXPECT_EQ(CreateBitmap(0, 2, 1, 32, kPixels.data()), nullptr);
  EXPECT_EQ(CreateBitmap(3, -1, 1, 32, kPixels.data()), nullptr);
  EXPECT_EQ(CreateBitmap(3, 2, 1, 16, kPixels.data()), nullptr);
  EXPECT_EQ(CreateBitmap(40000, 2, 1, 32, nullptr), nullptr);
  // No data: a transparent image that draws nothing.
  HBITMAP empty = CreateBitmap(4, 4, 1, 32, nullptr);
  ASSERT_NE(empty, nullptr);
  PIX_SysBitmap bm(4, 4);
  PIX_Clear(&bm, 0xFF336699u);
  RECT r = {0, 0, 4, 4};
  DrawImageInRect(bm.getDC(), empty, &r);
  EXPECT_EQ(Rgb(bm, 2, 2), 0x336699u);
  DeleteObject(empty);
}

TEST(Images, GetObjectAndSystemColours) {
  HBITMAP image = CreateBitmap(3, 2, 1, 32, kPixels.data());
  BITMAP bm;
  memset(&bm, 0x55, sizeof bm);
  EXPECT_EQ(GetObject(image, static_cast<int>(sizeof bm), &bm), 1);
  EXPECT_EQ(bm.bmWidth, 3);
  EXPECT_EQ(bm.bmHeight, 2);
  EXPECT_EQ(bm.bmWidthBytes, 12);
  EXPECT_EQ(bm.bmPlanes, 1);
  EXPECT_EQ(bm.bmBitsPixel, 32);
  EXPECT_EQ(bm.bmBits, nullptr);
  int small[3] = {7, 7, 7};
  EXPECT_EQ(GetObject(image, 8, small), 1);
  EXPECT_EQ(small[0], 3);
  EXPECT_EQ(small[1], 2);
  EXPECT_EQ(small[2], 7);  // beyond the 8 bytes asked for
  EXPECT_EQ(GetObject(image, 7, small), 0);
  HBRUSH brush = CreateSolidBrush(0);
  EXPECT_EQ(GetObject(brush, static_cast<int>(sizeof bm), &bm), 0);
  DeleteObject(brush);
  EXPECT_EQ(GDI_GetImageSurfaceFromHICON(image) != nullptr, true);
  EXPECT_EQ(GDI_GetImageSurfaceFromHICON(nullptr), nullptr);
  DeleteObject(image);
  // A freed object is no image any more.
  EXPECT_EQ(GetObject(image, 8, small), 0);

  EXPECT_EQ(GetSysColor(0), 0x606060);
  EXPECT_EQ(GetSysColor(8), 0xFFF0C8);
  EXPECT_EQ(GetSysColor(9), 0);
  EXPECT_EQ(GetSysColor(10), 0);
  EXPECT_EQ(GetSysColor(-1), 0);
}

TEST(Images, IconsShareTheirBitmapsImage) {
  HBITMAP image = CreateBitmap(3, 2, 1, 32, kPixels.data());
  ICONINFO info{1, 0, 0, nullptr, image};
  HICON icon = CreateIconIndirect(&info);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(GDI_GetImageSurfaceFromHICON(icon), GDI_GetImageSurfaceFromHICON(image));
  DeleteObject(image);  // the icon keeps the image alive
  PIX_SysBitmap bm(3, 2);
  RECT r = {0, 0, 3, 2};
  DrawImageInRect(bm.getDC(), icon, &r);
  EXPECT_EQ(Rgb(bm, 0, 0), Expected(0));
  DeleteObject(icon);

  ICONINFO notIcon{0, 0, 0, nullptr, image};
  EXPECT_EQ(CreateIconIndirect(&notIcon), nullptr);
  HBRUSH brush = CreateSolidBrush(0);
  ICONINFO brushIcon{1, 0, 0, nullptr, brush};
  EXPECT_EQ(CreateIconIndirect(&brushIcon), nullptr);
  EXPECT_EQ(CreateIconIndirect(nullptr), nullptr);
  DeleteObject(brush);
}

TEST(Images, NamedImagesFromFilesAndTheBundleWithTheMagentaMask) {
  char resources[4096];
  ASSERT_TRUE(KIT_GetBundleResourcePath("", resources, sizeof resources));
  mkdir(resources, 0755);
  const int w = 4, h = 3;
  std::vector<bool> magenta(static_cast<size_t>(w * h), false);
  magenta[1] = magenta[6] = magenta[11] = true;
  const std::string named = WritePng(std::string(resources) + "verlo_test_mask.png", w, h, magenta);
  const std::string plain = WritePng(std::string(resources) + "verlo_test_plain.png", w, h, std::vector<bool>(12, false));

  // By path, with and without the mask.
  HBITMAP raw = LoadNamedImage(named.c_str(), false);
  HBITMAP masked = LoadNamedImage(named.c_str(), true);
  ASSERT_NE(raw, nullptr);
  ASSERT_NE(masked, nullptr);
  for (int i = 0; i < w * h; ++i) {
    const uint32_t before = SurfacePixel(GDI_GetImageSurfaceFromHICON(raw), i % w, i / w);
    const uint32_t after = SurfacePixel(GDI_GetImageSurfaceFromHICON(masked), i % w, i / w);
    EXPECT_EQ(before == 0xFFFF00FFu, magenta[static_cast<size_t>(i)]) << i;
    EXPECT_EQ(after, magenta[static_cast<size_t>(i)] ? 0u : before) << i;
  }
  // No magenta: the loaded image as it is.
  HBITMAP unmasked = LoadNamedImage(plain.c_str(), true);
  ASSERT_NE(unmasked, nullptr);
  EXPECT_EQ(SurfacePixel(GDI_GetImageSurfaceFromHICON(unmasked), 0, 0), 0xFF000000u);
  EXPECT_EQ(cairo_image_surface_get_format(GDI_GetImageSurfaceFromHICON(unmasked)), CAIRO_FORMAT_RGB24);

  // By name from the bundle's Resources, with or without the extension.
  HBITMAP byName = LoadNamedImage("verlo_test_mask", false);
  HBITMAP byFullName = LoadNamedImage("verlo_test_mask.png", false);
  EXPECT_NE(byName, nullptr);
  EXPECT_NE(byFullName, nullptr);
  EXPECT_EQ(LoadNamedImage("verlo_test_missing", false), nullptr);
  EXPECT_EQ(LoadNamedImage("/nonexistent/verlo_test_mask.png", false), nullptr);
  EXPECT_EQ(LoadNamedImage("", false), nullptr);
  EXPECT_EQ(LoadNamedImage(nullptr, true), nullptr);

  for (HBITMAP b : {raw, masked, unmasked, byName, byFullName}) DeleteObject(b);
  unlink(named.c_str());
  unlink(plain.c_str());
  rmdir(resources);
}

TEST(ImageLists, AddReplaceRemoveAndDestroy) {
  HIMAGELIST list = ImageList_CreateEx();
  ASSERT_NE(list, nullptr);
  HBITMAP image = CreateBitmap(3, 2, 1, 32, kPixels.data());
  EXPECT_EQ(ImageList_Add(list, image, nullptr), 0);
  EXPECT_EQ(ImageList_Add(list, image, nullptr), 1);
  EXPECT_EQ(ImageList_Add(list, image, nullptr), 2);
  // Entries hold copies: the image itself can go.
  EXPECT_NE(GDI_GetImageSurfaceFromHICON(ImageList_GetIcon(list, 0)), GDI_GetImageSurfaceFromHICON(image));
  HBRUSH brush = CreateSolidBrush(0);
  EXPECT_EQ(ImageList_Add(list, brush, nullptr), -1);
  EXPECT_EQ(ImageList_Add(nullptr, image, nullptr), -1);

  HICON second = ImageList_GetIcon(list, 1);
  EXPECT_EQ(ImageList_Remove(list, 1), 1);
  EXPECT_EQ(ImageList_GetImageCount(list), 3);
  EXPECT_EQ(ImageList_GetIcon(list, 1), nullptr);
  EXPECT_EQ(GDI_GetImageSurfaceFromHICON(second), nullptr);  // deleted with its entry
  EXPECT_EQ(ImageList_Remove(list, 3), 0);

  // Replacing an entry shares the icon's image; an index that is no entry appends.
  EXPECT_EQ(ImageList_ReplaceIcon(list, 1, image), 1);
  EXPECT_EQ(GDI_GetImageSurfaceFromHICON(ImageList_GetIcon(list, 1)), GDI_GetImageSurfaceFromHICON(image));
  HICON first = ImageList_GetIcon(list, 0);
  EXPECT_EQ(ImageList_ReplaceIcon(list, 0, image), 0);
  EXPECT_EQ(GDI_GetImageSurfaceFromHICON(first), nullptr);
  EXPECT_EQ(ImageList_ReplaceIcon(list, 7, image), 3);
  EXPECT_EQ(ImageList_ReplaceIcon(list, -1, image), 4);
  EXPECT_EQ(ImageList_ReplaceIcon(list, 0, brush), -1);
  EXPECT_EQ(ImageList_GetImageCount(list), 5);

  DeleteObject(image);
  // The shared entries still draw.
  PIX_SysBitmap bm(3, 2);
  RECT r = {0, 0, 3, 2};
  DrawImageInRect(bm.getDC(), ImageList_GetIcon(list, 3), &r);
  EXPECT_EQ(Rgb(bm, 2, 0), Expected(2));

  EXPECT_EQ(ImageList_Remove(list, -1), 1);
  EXPECT_EQ(ImageList_GetImageCount(list), 0);
  EXPECT_EQ(ImageList_Add(list, ImageList_GetIcon(list, 0), nullptr), -1);
  HBITMAP again = CreateBitmap(1, 1, 1, 32, kPixels.data());
  EXPECT_EQ(ImageList_Add(list, again, nullptr), 0);
  DeleteObject(again);
  ImageList_Destroy(list);
  ImageList_Destroy(nullptr);
  EXPECT_EQ(ImageList_Remove(nullptr, 0), 0);
  DeleteObject(brush);
}
