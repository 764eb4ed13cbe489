#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "gdi/gdi.h"
#include "pix/pix.h"
#include "pix/pix_cachedfont.h"
#include "pix/pix_glyph_renderer.h"
#include "tests/pix/helpers.h"

namespace {

constexpr PIX_pixel kWhite = 0xFFFFFFFFu;
constexpr PIX_pixel kBlack = 0xFF000000u;

HFONT Sans(int size) { return CreateFont(size, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "DejaVu Sans"); }

struct Box {
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
  bool Empty() const { return right < 0; }
};

Box Ink(const PIX_IBitmap& bm, PIX_pixel background) {
  Box b;
  for (int y = 0; y < bm.getHeight(); ++y)
    for (int x = 0; x < bm.getWidth(); ++x)
      if ((PIX_GetPixel(&bm, x, y) & 0xFFFFFF) != (background & 0xFFFFFF)) {
        b.left = std::min(b.left, x), b.top = std::min(b.top, y);
        b.right = std::max(b.right, x + 1), b.bottom = std::max(b.bottom, y + 1);
      }
  return b;
}

// The inked pixels of a bitmap cropped to their box, one byte per pixel (0 = background).
std::vector<std::vector<int>> InkPattern(const PIX_IBitmap& bm, PIX_pixel background) {
  const Box b = Ink(bm, background);
  std::vector<std::vector<int>> rows;
  for (int y = b.top; y < b.bottom; ++y) {
    rows.emplace_back();
    for (int x = b.left; x < b.right; ++x) rows.back().push_back(PIX_GetPixel(&bm, x, y) & 0xFF);
  }
  return rows;
}

struct Font {
  explicit Font(int flags = 0, int size = 16) { font.SetFromHFont(Sans(size), flags | PIX_FONTOPT_OWNS_FONT); }
  RECT Measure(const char* text, int length = -1, int flags = 0) {
    RECT r = {5, 7, 5, 7};
    font.DrawText(nullptr, text, length, &r, flags | DT_CALCRECT);
    return r;
  }
  int Width(const char* text, int length = -1, int flags = 0) {
    const RECT r = Measure(text, length, flags);
    return r.right - r.left;
  }
  PIX_CachedFont font;
};

// Black text on white, drawn into a fresh bitmap of the given kind.
template <class Bitmap> std::unique_ptr<Bitmap> Drawn(PIX_CachedFont& font, const char* text, int flags = 0,
                                                   int length = -1, int w = 160, int h = 40) {
  auto bm = std::make_unique<Bitmap>(w, h);
  PIX_FillRect(bm.get(), 0, 0, w, h, kWhite, 1.0f, 0);
  font.SetTextColor(kBlack);
  RECT r = {4, 4, w - 4, h - 4};
  font.DrawText(bm.get(), text, length, &r, flags);
  return bm;
}

}  // namespace

TEST(CachedFont, TextWalkEdgeCases) {
  Font f;
  // Single line: the line feed is a space, the carriage return nothing.
  EXPECT_EQ(f.Width("a\r\nb", -1, DT_SINGLELINE), f.Width("a b"));
  EXPECT_EQ(f.Measure("a\r\nb", -1, DT_SINGLELINE).bottom, f.Measure("a b").bottom);
  // Multi-line: the second line starts again at the left, one line height down.
  const RECT two = f.Measure("ab\nab");
  EXPECT_EQ(two.right - two.left, f.Width("ab"));
  EXPECT_GE(two.bottom - two.top, f.font.GetLineHeight() + (f.Measure("ab").bottom - 7));
  EXPECT_EQ(f.Width("abcdef", 3), f.Width("abc"));
  // Four-byte characters are one space; a lone 0xC0 is the character 0xC0.
  EXPECT_EQ(f.Width("a\xF0\x9F\x98\x80" "b"), f.Width("a b"));
  EXPECT_EQ(f.Width("\xC0"), f.Width("\xC3\x80"));
  // A length that cuts a character takes its bytes one at a time.
  EXPECT_EQ(f.Width("\xC3\x80", 1), f.Width("\xC3"));
  // An empty text: nothing, and a zero-sized rectangle at the corner.
  const RECT empty = f.Measure("");
  EXPECT_EQ(empty.left, 5);
  EXPECT_EQ(empty.right, 5);
  EXPECT_EQ(empty.bottom, 7);
  EXPECT_EQ(f.font.DrawText(nullptr, "a", -1, const_cast<RECT*>(&empty), 0), 0);
}

TEST(CachedFont, GlyphStoreRendersEachCharacterOnceKeepsExtrasSortedAndStoresNoEmptyInk) {
  Font f;
  Drawn<PIX_SysBitmap>(f.font, "a");
  const int one = f.font.GetGlyphStoreSize();
  EXPECT_GT(one, 0);
  Drawn<PIX_SysBitmap>(f.font, "aaaa");
  EXPECT_EQ(f.font.GetGlyphStoreSize(), one);

  // Spaces advance but leave no bytes and draw nothing.
  Drawn<PIX_SysBitmap>(f.font, " ");
  EXPECT_EQ(f.font.GetGlyphStoreSize(), one);
  EXPECT_GT(f.Width("a a"), f.Width("aa"));
  PIX_SysBitmap bm(20, 20);
  RECT clip = {0, 0, 20, 20};
  EXPECT_FALSE(f.font.DrawGlyph(&bm, ' ', 2, 2, &clip));
  EXPECT_TRUE(f.font.DrawGlyph(&bm, 'a', 2, 2, &clip));

  Drawn<PIX_SysBitmap>(f.font, "\xC3\xBC\xC3\xA9\xE2\x82\xAC\xC3\xA0");  // u-umlaut, e-acute, euro, a-grave
  ASSERT_EQ(f.font.GetExtraGlyphCount(), 4);
  EXPECT_EQ(f.font.GetExtraGlyphCode(0), 0xE0);
  EXPECT_EQ(f.font.GetExtraGlyphCode(1), 0xE9);
  EXPECT_EQ(f.font.GetExtraGlyphCode(2), 0xFC);
  EXPECT_EQ(f.font.GetExtraGlyphCode(3), 0x20AC);
  const int withExtras = f.font.GetGlyphStoreSize();
  Drawn<PIX_SysBitmap>(f.font, "\xC3\xA9\xE2\x82\xAC");
  EXPECT_EQ(f.font.GetGlyphStoreSize(), withExtras);
  EXPECT_EQ(f.font.GetExtraGlyphCount(), 4);

  // Rebinding empties everything; ASCII-only fonts render 0..127 at once and nothing else.
  Font ascii(PIX_FONTOPT_ASCII_ONLY);
  const int preset = ascii.font.GetGlyphStoreSize();
  EXPECT_GT(preset, one * 20);
  EXPECT_EQ(ascii.Width("\xC3\xA9"), 0);
  EXPECT_EQ(ascii.font.GetExtraGlyphCount(), 0);
  EXPECT_EQ(ascii.font.GetGlyphStoreSize(), preset);
}

TEST(CachedFont, NativeAndCachedWaysPlaceTheSameLabel) {
  const char* label = "Chop 0.22 ms";
  PIX_CachedFont native, cached;
  native.SetFromHFont(Sans(16), PIX_FONTOPT_PREFER_NATIVE | PIX_FONTOPT_OWNS_FONT);
  cached.SetFromHFont(Sans(16), PIX_FONTOPT_OWNS_FONT);
  for (int flags : {0, DT_CENTER | DT_VCENTER, DT_RIGHT | DT_BOTTOM}) {
    auto a = Drawn<PIX_SysBitmap>(native, label, flags);
    auto b = Drawn<PIX_SysBitmap>(cached, label, flags);
    EXPECT_EQ(native.GetGlyphStoreSize(), 0);  // opaque text took the native way
    EXPECT_GT(cached.GetGlyphStoreSize(), 0);
    const Box na = Ink(*a, kWhite), ca = Ink(*b, kWhite);
    ASSERT_FALSE(na.Empty());
    EXPECT_NEAR(na.left, ca.left, 1) << flags;
    EXPECT_NEAR(na.top, ca.top, 1) << flags;
    EXPECT_NEAR(na.right, ca.right, 1) << flags;
    EXPECT_NEAR(na.bottom, ca.bottom, 1) << flags;
  }
  // The native way on a bitmap without a context draws through the scratch bitmap, the same.
  auto sys = Drawn<PIX_SysBitmap>(native, label, DT_CENTER);
  auto mem = Drawn<PIX_MemBitmap>(native, label, DT_CENTER);
  int diff[4] = {};
  EXPECT_EQ(PIX_BitmapCmpEx(sys.get(), mem.get(), 0xFFFFFF, diff), 0)
      << diff[0] << "," << diff[1] << " " << diff[2] << "x" << diff[3];
}

TEST(CachedFont, WayChoice) {
  PIX_CachedFont f;
  f.SetFromHFont(Sans(16), PIX_FONTOPT_PREFER_NATIVE | PIX_FONTOPT_OWNS_FONT);
  // Translucent colour with the alpha flag: cached, even though native is preferred.
  auto bm = std::make_unique<PIX_SysBitmap>(100, 30);
  PIX_FillRect(bm.get(), 0, 0, 100, 30, kWhite, 1.0f, 0);
  f.SetTextColor(0x80000000u);
  RECT r = {0, 0, 100, 30};
  f.DrawText(bm.get(), "x", -1, &r, PIX_DT_ALPHA_FROM_COLOR);
  EXPECT_GT(f.GetGlyphStoreSize(), 0);
  // Half the opacity: the darkest pixel is mid grey, not black.
  int darkest = 255;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 100; ++x) darkest = std::min(darkest, static_cast<int>(PIX_GetPixel(bm.get(), x, y) & 0xFF));
  EXPECT_GE(darkest, 120);
  EXPECT_LE(darkest, 135);

  // A font option or bit 31 rules out the native way.
  PIX_CachedFont mono;
  mono.SetFromHFont(Sans(16), PIX_FONTOPT_PREFER_NATIVE | PIX_FONTOPT_MONO | PIX_FONTOPT_OWNS_FONT);
  Drawn<PIX_SysBitmap>(mono, "x");
  EXPECT_GT(mono.GetGlyphStoreSize(), 0);
  PIX_CachedFont bit31;
  bit31.SetFromHFont(Sans(16), PIX_FONTOPT_PREFER_NATIVE | PIX_FONTOPT_OWNS_FONT);
  Drawn<PIX_SysBitmap>(bit31, "x", static_cast<int>(PIX_DT_NO_NATIVE));
  EXPECT_GT(bit31.GetGlyphStoreSize(), 0);

  // A line height of 300 always goes natively.
  PIX_CachedFont huge;
  huge.SetFromHFont(Sans(240), PIX_FONTOPT_OWNS_FONT);
  ASSERT_GE(huge.GetLineHeight(), 256);
  auto big = Drawn<PIX_SysBitmap>(huge, "x", 0, -1, 300, 300);
  EXPECT_EQ(huge.GetGlyphStoreSize(), 0);
  EXPECT_FALSE(Ink(*big, kWhite).Empty());

  // Zero opacity and a null bitmap draw nothing.
  PIX_CachedFont plain;
  plain.SetFromHFont(Sans(16), PIX_FONTOPT_OWNS_FONT);
  plain.SetCombineMode(PIX_COMBINE_COPY, 0.0f);
  auto none = Drawn<PIX_SysBitmap>(plain, "x");
  EXPECT_TRUE(Ink(*none, kWhite).Empty());
  EXPECT_EQ(plain.DrawText(nullptr, "x", -1, &r, 0), 0);
}

TEST(CachedFont, MonoOutlineShadowAndInvertOptions) {
  PIX_CachedFont mono;
  mono.SetFromHFont(Sans(20), PIX_FONTOPT_MONO | PIX_FONTOPT_OWNS_FONT);
  auto m = Drawn<PIX_SysBitmap>(mono, "Ag");
  int inked = 0;
  for (int y = 0; y < m->getHeight(); ++y)
    for (int x = 0; x < m->getWidth(); ++x) {
      const PIX_pixel p = PIX_GetPixel(m.get(), x, y) & 0xFFFFFF;
      EXPECT_TRUE(p == 0 || p == 0xFFFFFF) << std::hex << p;
      inked += p == 0;
    }
  EXPECT_GT(inked, 30);

  // Outline: effect-colour pixels on every side of the ink; shadow: only below and right of it.
  for (int option : {PIX_FONTOPT_OUTLINE, PIX_FONTOPT_SHADOW}) {
    PIX_CachedFont f;
    f.SetFromHFont(Sans(20), option | PIX_FONTOPT_OWNS_FONT);
    f.SetEffectColor(0xFFFF0000u);
    auto bm = Drawn<PIX_SysBitmap>(f, "l");
    const Box ink = Ink(*bm, kWhite);
    Box red, black;
    for (int y = 0; y < bm->getHeight(); ++y)
      for (int x = 0; x < bm->getWidth(); ++x) {
        const PIX_pixel p = PIX_GetPixel(bm.get(), x, y) & 0xFFFFFF;
        Box& b = p == 0xFF0000 ? red : black;
        if (p != 0xFF0000 && p != 0) continue;
        b.left = std::min(b.left, x), b.top = std::min(b.top, y);
        b.right = std::max(b.right, x + 1), b.bottom = std::max(b.bottom, y + 1);
      }
    ASSERT_FALSE(red.Empty());
    ASSERT_FALSE(black.Empty());
    EXPECT_EQ(ink.right, red.right);
    if (option == PIX_FONTOPT_OUTLINE) {
      EXPECT_EQ(red.left, black.left - 1);
      EXPECT_EQ(red.top, black.top - 1);
      EXPECT_EQ(red.right, black.right + 1);
      EXPECT_EQ(red.bottom, black.bottom + 1);
    } else {
      EXPECT_GE(red.left, black.left);
      EXPECT_GE(red.top, black.top);
      EXPECT_EQ(red.right, black.right + 1);
      EXPECT_EQ(red.bottom, black.bottom + 1);
    }
  }

  // Inverted coverage: the glyph box is inked where the character is not.
  PIX_CachedFont inv;
  inv.SetFromHFont(Sans(20), PIX_FONTOPT_INVERT | PIX_FONTOPT_OWNS_FONT);
  auto i = Drawn<PIX_SysBitmap>(inv, "l");
  auto n = Drawn<PIX_SysBitmap>(mono, "l");
  const Box ib = Ink(*i, kWhite), nb = Ink(*n, kWhite);
  EXPECT_GT(ib.right - ib.left, nb.right - nb.left);
  EXPECT_GT(ib.bottom - ib.top, nb.bottom - nb.top);

  // Blur spreads the same ink over more pixels.
  PIX_CachedFont blurred, sharp;
  blurred.SetFromHFont(Sans(20), PIX_FONTOPT_BLUR | PIX_FONTOPT_OWNS_FONT);
  sharp.SetFromHFont(Sans(20), PIX_FONTOPT_OWNS_FONT);
  auto count = [](const PIX_IBitmap& bm) {
    int c = 0;
    for (int y = 0; y < bm.getHeight(); ++y)
      for (int x = 0; x < bm.getWidth(); ++x) c += (PIX_GetPixel(&bm, x, y) & 0xFFFFFF) != 0xFFFFFF;
    return c;
  };
  EXPECT_GT(count(*Drawn<PIX_SysBitmap>(blurred, "l")), count(*Drawn<PIX_SysBitmap>(sharp, "l")));
}

TEST(CachedFont, VerticalTextRunsDownOrUpWithGlyphsTurned) {
  Font horizontal;
  Font down(PIX_FONTOPT_VERTICAL);
  Font up(PIX_FONTOPT_VERTICAL | PIX_FONTOPT_BOTTOMUP);
  const RECT h = horizontal.Measure("Lq");
  const RECT v = down.Measure("Lq");
  // The roles of width and height swap; the result is the width.
  EXPECT_EQ(v.bottom - v.top, h.right - h.left);
  EXPECT_EQ(v.right - v.left, h.bottom - h.top);
  RECT r = {0, 0, 0, 0};
  EXPECT_EQ(down.font.DrawText(nullptr, "Lq", -1, &r, DT_CALCRECT), v.right - v.left);

  auto a = Drawn<PIX_SysBitmap>(down.font, "Lq", 0, -1, 60, 80);
  auto b = Drawn<PIX_SysBitmap>(up.font, "Lq", 0, -1, 60, 80);
  const auto pa = InkPattern(*a, kWhite), pb = InkPattern(*b, kWhite);
  ASSERT_FALSE(pa.empty());
  // Running up is running down turned half a circle.
  ASSERT_EQ(pa.size(), pb.size());
  for (size_t y = 0; y < pa.size(); ++y) {
    ASSERT_EQ(pa[y].size(), pb[y].size());
    for (size_t x = 0; x < pa[y].size(); ++x)
      EXPECT_EQ(pa[y][x], pb[pa.size() - 1 - y][pa[y].size() - 1 - x]) << x << "," << y;
  }
  // Down: the text starts at the top of the rectangle; up: it ends at its top.
  EXPECT_LE(Ink(*a, kWhite).top, 6);
}

TEST(CachedFont, CombineModesClippingAndBackground) {
  PIX_CachedFont f;
  f.SetFromHFont(Sans(20), PIX_FONTOPT_OWNS_FONT);
  // Add mode brightens a grey background where the glyph is.
  PIX_SysBitmap bm(60, 30);
  PIX_FillRect(&bm, 0, 0, 60, 30, 0xFF404040u, 1.0f, 0);
  f.SetTextColor(0xFF202020u);
  f.SetCombineMode(PIX_COMBINE_ADD, 1.0f);
  RECT r = {0, 0, 60, 30};
  f.DrawText(&bm, "H", -1, &r, 0);
  int brightest = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 60; ++x) {
      const int v = static_cast<int>(PIX_GetPixel(&bm, x, y) & 0xFF);
      EXPECT_GE(v, 0x40);
      brightest = std::max(brightest, v);
    }
  EXPECT_GE(brightest, 0x5F);

  // Clipped to the rectangle unless told not to.
  for (bool clip : {true, false}) {
    PIX_CachedFont c;
    c.SetFromHFont(Sans(20), PIX_FONTOPT_OWNS_FONT);
    auto out = std::make_unique<PIX_SysBitmap>(200, 30);
    PIX_FillRect(out.get(), 0, 0, 200, 30, kWhite, 1.0f, 0);
    c.SetTextColor(kBlack);
    RECT small = {10, 0, 30, 30};
    c.DrawText(out.get(), "WWWW", -1, &small, clip ? 0 : DT_NOCLIP);
    const Box ink = Ink(*out, kWhite);
    if (clip)
      EXPECT_LE(ink.right, 30);
    else
      EXPECT_GT(ink.right, 40);
  }

  // Background mode: each glyph box filled first.
  PIX_CachedFont bg;
  bg.SetFromHFont(Sans(20), PIX_FONTOPT_OWNS_FONT);
  bg.SetBkMode(OPAQUE);
  bg.SetBkColor(0xFF0000FFu);
  auto filled = Drawn<PIX_SysBitmap>(bg, "H");
  int blue = 0;
  for (int y = 0; y < filled->getHeight(); ++y)
    for (int x = 0; x < filled->getWidth(); ++x) blue += (PIX_GetPixel(filled.get(), x, y) & 0xFFFFFF) == 0xFF;
  EXPECT_GT(blue, 20);
}

TEST(CachedFont, CopyKernelsGiveTheScalarRuleBytesAtEverySimdLevel) {
  std::mt19937 rng(7);
  for (int trial = 0; trial < 200; ++trial) {
    const int w = 1 + static_cast<int>(rng() % 23), h = 1 + static_cast<int>(rng() % 5);
    const int ia = std::vector<int>{256, 255, 200, 1, 128}[rng() % 5];
    std::vector<unsigned char> cov(static_cast<size_t>(w * h));
    for (auto& c : cov) c = rng() % 3 == 0 ? 0 : static_cast<unsigned char>(rng() % 2 ? 255 : rng());
    std::vector<PIX_pixel> start(static_cast<size_t>(w * h + 16));
    for (auto& p : start) p = static_cast<PIX_pixel>(rng());
    const PIX_pixel color = static_cast<PIX_pixel>(rng());

    // The rule itself, pixel by pixel.
    std::vector<PIX_pixel> expected = start;
    for (int i = 0; i < w * h; ++i) {
      if (!cov[static_cast<size_t>(i)]) continue;
      int weight = ia == 256 ? cov[static_cast<size_t>(i)] + 1 : (ia * cov[static_cast<size_t>(i)]) / 256;
      weight = std::min(weight, 256);
      _PIX_CombinePixelsCopyNoClamp::doPix(reinterpret_cast<unsigned char*>(&expected[static_cast<size_t>(i)]),
                                           PIX_GETR(color), PIX_GETG(color), PIX_GETB(color), 255, weight);
    }
    for (Level level : {Level::kScalar, Level::kSse2, Level::kAvx2}) {
      SimdScope scope(level);
      std::vector<PIX_pixel> got = start;
      pix::kernels::GlyphArea a{got.data(), w, cov.data(), w, w, h};
      GlyphRenderer<_PIX_CombinePixelsCopyNoClamp>::Normal(a, color, ia);
      ASSERT_EQ(got, expected) << "level " << static_cast<int>(level) << " w " << w << " h " << h << " ia " << ia;
    }
  }
}
