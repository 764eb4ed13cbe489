// Every drawing operation lands in the draw bitmap exactly as the raster call it stands for,
// called directly on a copy of the same bitmap.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>

#include "gdi/gdi.h"
#include "pix/pix.h"
#include "pix/pix_cachedfont.h"
#include "tests/effect/offline_host.h"
#include "tests/graphics/test_editor.h"

namespace {
using DrawFn = std::function<void(IGraphics*)>;
using RasterFn = std::function<void(PIX_IBitmap*)>;

class FnControl : public IControl {
public:
  FnControl(IEffectBase* plug, DrawFn fn) : IControl(plug, IRECT(0, 0, 1, 1)), mFn(std::move(fn)) {}
  bool Draw(IGraphics* g) override {
    mFn(g);
    return true;
  }

private:
  DrawFn mFn;
};

PIX_MemBitmap* RandomImage(int w, int h, unsigned seed) {
  std::mt19937 rng(seed);
  PIX_MemBitmap* bm = new PIX_MemBitmap(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) bm->getBits()[y * bm->getRowSpan() + x] = static_cast<PIX_pixel>(rng());
  return bm;
}

struct Drawing : ::testing::Test {
  static constexpr int kW = 120, kH = 90;
  OfflineHost<TestEffect> plug;
  RecordingGraphics* g = nullptr;
  PIX_MemBitmap* image = RandomImage(40, 120, 7);  // 3 stacked frames of 40 x 40
  PIX_MemBitmap* wide = RandomImage(120, 30, 8);   // 4 frames of 30 x 30 side by side
  IBitmap strip{image, 40, 120, 3, false};
  IBitmap row{wide, 120, 30, 4, true};
  IBitmap single{image, 40, 120, 1, false};

  void SetUp() override {
    g = AttachEditor(&plug, kW, kH, [](IGraphics*) {});
    g->RetainBitmap(&strip);
    g->RetainBitmap(&row);
  }
  void TearDown() override {
    g->ReleaseBitmap(&strip);
    g->ReleaseBitmap(&row);
  }

  // Draws op through the editor's draw cycle over area, and raster on a copy of the bitmap as it
  // was; both must come out the same, and the op must have changed something.
  void ExpectSame(const DrawFn& op, const RasterFn& raster, IRECT area = IRECT(0, 0, kW, kH)) {
    PIX_IBitmap* bits = g->GetDrawBitmap();
    std::mt19937 rng(3);
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) bits->getBits()[y * bits->getRowSpan() + x] = static_cast<PIX_pixel>(rng()) | 0x40000000;
    PIX_SysBitmap before(kW, kH), expected(kW, kH);
    PIX_Copy(&before, bits);
    PIX_Copy(&expected, bits);
    raster(&expected);
    FnControl* control = new FnControl(&plug, op);
    control->SetRECT(area);
    g->AttachControl(control);
    g->Draw(&area);
    EXPECT_EQ(PIX_BitmapCmp(bits, &expected), 0);
    EXPECT_NE(PIX_BitmapCmp(bits, &before), 0) << "the operation drew nothing";
    g->Resize(kW, kH);  // drops the control
  }
};
}  // namespace

TEST_F(Drawing, BitmapsBlendByMethodAndWeightClippedToTheDrawArea) {
  struct Case {
    int method;
    float weight;
    int mode;
  } cases[] = {{IChannelBlend::kBlendMethodAlpha, 1.0f, 0x10000}, {IChannelBlend::kBlendMethodCopy, 0.5f, 0},
               {IChannelBlend::kBlendMethodAdd, 0.75f, 0x10001}, {IChannelBlend::kBlendMethodDodge, 1.0f, 0x10002}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.method);
    IChannelBlend blend(c.method, c.weight);
    ExpectSame(
        [&](IGraphics* gr) {
          IRECT dest(50, 30, 90, 70);
          gr->DrawBitmap(&single, &dest, 3, 7, &blend);
        },
        // The draw area (60, 0, 120, 50) cuts the destination to (60, 30, 90, 50).
        [&](PIX_IBitmap* bm) { PIX_Blit(bm, image, 60, 30, 13, 7, 30, 20, c.weight, c.mode); }, IRECT(60, 0, 120, 50));
  }
}

TEST_F(Drawing, FramesComeFromTheirPlaceInTheStripEitherWay) {
  ExpectSame(
      [&](IGraphics* gr) {
        IRECT dest(5, 5, 45, 45);
        gr->DrawBitmap(&strip, &dest, 3);
        IRECT dest2(50, 50, 80, 80);
        gr->DrawBitmap(&row, &dest2, 2);
      },
      [&](PIX_IBitmap* bm) {
        PIX_Blit(bm, image, 5, 5, 0, 80, 40, 40, 1.0f, 0x10000);
        PIX_Blit(bm, wide, 50, 50, 30, 0, 30, 30, 1.0f, 0x10000);
      });
  // Frames 0 and 1 both read the first frame.
  ExpectSame(
      [&](IGraphics* gr) {
        IRECT dest(5, 5, 45, 45);
        gr->DrawBitmap(&strip, &dest, 0);
      },
      [&](PIX_IBitmap* bm) { PIX_Blit(bm, image, 5, 5, 0, 0, 40, 40, 1.0f, 0x10000); });
}

TEST_F(Drawing, RotatedAndMaskedBitmaps) {
  IChannelBlend half(IChannelBlend::kBlendMethodAlpha, 0.5f);
  ExpectSame([&](IGraphics* gr) { gr->DrawRotatedBitmap(&row, 60, 45, 0.6, 3, &half); },
             [&](PIX_IBitmap* bm) {
               PIX_RotatedBlit(bm, wide, 0, 30, 120, 30, 0.0f, 0.0f, 120.0f, 30.0f, 0.6f, false, 0.5f, 0x10100, 0.0f,
                               3.0f);
             });
  PIX_MemBitmap* mask = RandomImage(31, 31, 11);
  PIX_MemBitmap* top = RandomImage(31, 31, 12);
  PIX_MemBitmap* base = RandomImage(31, 31, 13);
  IBitmap bBase(base, 31, 31), bMask(mask, 31, 31), bTop(top, 31, 31);
  ExpectSame([&](IGraphics* gr) { gr->DrawRotatedMask(&bBase, &bMask, &bTop, 20, 10, 45.0, nullptr); },
             [&](PIX_IBitmap* bm) {
               PIX_MemBitmap scratch;
               PIX_Copy(&scratch, base);
               PIX_ClearRect(&scratch, 0, 0, 31, 31, 0x00FFFFFF, 0);
               const float a = static_cast<float>(45.0 * 3.141592653589793 / 180.0);
               PIX_RotatedBlit(&scratch, mask, 0, 0, 31, 31, 0, 0, 31, 31, a, true, 1.0f, 0x10101, -0.5f, 0.0f);
               PIX_RotatedBlit(&scratch, top, 0, 0, 31, 31, 0, 0, 31, 31, a, true, 1.0f, 0x10100, -0.5f, 0.0f);
               PIX_Blit(bm, &scratch, 20, 10, 0, 0, 31, 31, 1.0f, 0x10000);
             });
  delete mask;
  delete top;
  delete base;
}

TEST_F(Drawing, ShapesAndLines) {
  const IColor c(200, 30, 160, 90);
  const PIX_pixel p = c.Pixel();
  IChannelBlend add(IChannelBlend::kBlendMethodAdd, 0.5f);
  ExpectSame(
      [&](IGraphics* gr) {
        gr->DrawLine(&c, 3.7f, 4.2f, 100.9f, 60.1f, &add, true);
        gr->DrawArc(&c, 60, 45, 30, -1.0f, 2.0f, nullptr, true);
        gr->DrawCircle(&c, 30, 30, 12.5f, &add, false);
        IRECT r(10, 50, 70, 85);
        gr->RoundRect(&c, &r, nullptr, 6, true);
        IRECT f(72, 10, 115, 40);
        gr->FillRoundRect(&c, &f, &add, 5, true);
        IRECT fr(2, 2, 9, 9);
        gr->FillIRect(&c, &fr, &add);
        gr->FillCircle(&c, 90, 70, 9.5f, nullptr, true);
        gr->FillTriangle(&c, 5, 80, 20, 60, 35, 88, &add);
        int xs[] = {40, 60, 55, 38}, ys[] = {5, 8, 25, 20};
        gr->FillIConvexPolygon(&c, xs, ys, 4, nullptr);
        gr->DrawPoint(&c, 110.6f, 80.4f, nullptr, false);
      },
      [&](PIX_IBitmap* bm) {
        PIX_Line(bm, 3, 4, 100, 60, p, 0.5f, 0x10001, true);
        PIX_Arc(bm, 60, 45, 30, -1.0f, 2.0f, p, 1.0f, 0x10000, true);
        PIX_Circle(bm, 30, 30, 12.5f, p, 0.5f, 0x10001, false);
        PIX_RoundRect(bm, 10, 50, 60, 35, 6, p, 1.0f, 0x10000, true);
        PIX_FillRect(bm, 77, 10, 33, 30, p, 0.5f, 0x10001);
        PIX_FillRect(bm, 72, 15, 5, 20, p, 0.5f, 0x10001);
        PIX_FillRect(bm, 110, 15, 5, 20, p, 0.5f, 0x10001);
        PIX_FillCircle(bm, 77, 15, 5, p, 0.5f, 0x10001, true);
        PIX_FillCircle(bm, 109, 34, 5, p, 0.5f, 0x10001, true);
        PIX_FillCircle(bm, 109, 15, 5, p, 0.5f, 0x10001, true);
        PIX_FillCircle(bm, 77, 34, 5, p, 0.5f, 0x10001, true);
        PIX_FillRect(bm, 2, 2, 7, 7, p, 0.5f, 0x10001);
        PIX_FillCircle(bm, 90, 70, 9.5f, p, 1.0f, 0x10000, true);
        PIX_FillTriangle(bm, 5, 80, 20, 60, 35, 88, p, 0.5f, 0x10001);
        int xs[] = {40, 60, 55, 38}, ys[] = {5, 8, 25, 20};
        PIX_FillConvexPolygon(bm, xs, ys, 4, p, 1.0f, 0x10000);
        PIX_PutPixel(bm, 111, 80, p, 1.0f, 0x10000);
      });
  ExpectSame(
      [&](IGraphics* gr) {
        IRECT r(10, 10, 50, 40);
        gr->DrawRect(&c, &r);
        gr->DrawVerticalLine(&c, 60, 5, 80);
        gr->DrawHorizontalLine(&c, 85, 3, 100);
        gr->DrawVerticalLine(&c, &r, 0.25f);
        gr->DrawHorizontalLine(&c, &r, 1.5f);  // clamped to the top
        gr->DrawRadialLine(&c, 90, 45, 1.0f, 5, 25, nullptr, true);
      },
      [&](PIX_IBitmap* bm) {
        PIX_Line(bm, 10, 10, 50, 10, p, 1.0f, 0, false);
        PIX_Line(bm, 10, 40, 50, 40, p, 1.0f, 0, false);
        PIX_Line(bm, 10, 10, 10, 40, p, 1.0f, 0, false);
        PIX_Line(bm, 50, 10, 50, 40, p, 1.0f, 0, false);
        PIX_Line(bm, 60, 5, 60, 80, p, 1.0f, 0, false);
        PIX_Line(bm, 3, 85, 100, 85, p, 1.0f, 0, false);
        PIX_Line(bm, 20, 10, 20, 40, p, 1.0f, 0, false);
        PIX_Line(bm, 10, 10, 50, 10, p, 1.0f, 0, false);
        const float s = std::sin(1.0f), co = std::cos(1.0f);
        PIX_Line(bm, static_cast<int>(90 + s * 5), static_cast<int>(45 - co * 5), static_cast<int>(90 + s * 25),
                 static_cast<int>(45 - co * 25), p, 1.0f, 0x10000, true);
      });
}

TEST_F(Drawing, PixelsOutsideTheBitmapAreRefusedAndReadAsZero) {
  const IColor c(255, 1, 2, 3);
  EXPECT_TRUE(g->ForcePixel(&c, 4, 5));
  EXPECT_EQ(g->GetPoint(4, 5), c);
  EXPECT_FALSE(g->ForcePixel(&c, -1, 5));
  EXPECT_FALSE(g->ForcePixel(&c, kW, 0));
  EXPECT_FALSE(g->ForcePixel(&c, 0, kH));
  EXPECT_EQ(g->GetPoint(kW, 0), IColor(0, 0, 0, 0));
  EXPECT_EQ(g->GetPoint(0, -7), IColor(0, 0, 0, 0));
}

TEST_F(Drawing, TextInEveryAlignmentAndTranslucentTextAsTheFontDrawsIt) {
  for (int align = IText::kAlignNear; align <= IText::kAlignFar; ++align) {
    for (int alpha : {255, 128}) {
      SCOPED_TRACE(align * 1000 + alpha);
      const IColor color(alpha, 20, 40, 200);
      IText style(14, &color, "DejaVu Sans", IText::kStyleNormal, align);
      ExpectSame(
          [&](IGraphics* gr) {
            IRECT r(5, 10, 115, 40);
            gr->DrawIText(&style, "Chop 0.22 s", &r);
          },
          [&](PIX_IBitmap* bm) {
            PIX_CachedFont* font = IGraphics::CacheFont(&style);
            font->SetTextColor(color.Pixel());
            RECT r = {5, 10, 115, 40};
            const int flags = DT_NOCLIP | (alpha < 255 ? PIX_DT_ALPHA_FROM_COLOR : 0) |
                              (align == 1 ? DT_CENTER : align == 2 ? DT_RIGHT : 0);
            font->DrawText(bm, "Chop 0.22 s", -1, &r, flags);
          });
    }
  }
}

TEST_F(Drawing, MeasuringPlacesTheTextByAlignment) {
  IText left(12, &COLOR_BLACK, "DejaVu Sans", IText::kStyleNormal, IText::kAlignNear);
  PIX_CachedFont* font = IGraphics::CacheFont(&left);
  ASSERT_NE(font, nullptr);
  RECT m = {0, 0, 0, 0};
  font->DrawText(nullptr, "abc", -1, &m, DT_CALCRECT | DT_NOCLIP);
  const int w = m.right, h = m.bottom;
  ASSERT_GT(w, 0);
  IRECT r(100, 20, 200, 30);
  EXPECT_TRUE(g->MeasureIText(&left, const_cast<char*>("abc"), &r));
  EXPECT_EQ(r, IRECT(100, 20, 100 + w, 20 + h));
  IText centre = left, right = left;
  centre.mAlign = IText::kAlignCenter;
  right.mAlign = IText::kAlignFar;
  r = IRECT(100, 20, 200, 30);
  g->MeasureIText(&centre, const_cast<char*>("abc"), &r);
  EXPECT_EQ(r, IRECT(150 - w / 2, 20, 150 - w / 2 + w, 20 + h));
  r = IRECT(100, 20, 200, 30);
  g->MeasureIText(&right, const_cast<char*>("abc"), &r);
  EXPECT_EQ(r, IRECT(200 - w, 20, 200, 20 + h));
  // Empty text draws nothing and succeeds.
  r = IRECT(1, 2, 3, 4);
  EXPECT_TRUE(g->DrawIText(&left, "", &r));
  EXPECT_EQ(r, IRECT(1, 2, 3, 4));
}
