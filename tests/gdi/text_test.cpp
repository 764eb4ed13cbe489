#include <gtest/gtest.h>

#include <string>

#include "gdi/gdi.h"
#include "pix/pix.h"

namespace {

struct Box {
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;  // right, bottom exclusive
  bool Empty() const { return right < 0; }
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
};

// A black canvas with white text in DejaVu Sans.
struct TextCanvas {
  TextCanvas(int w, int h, int size = 16) : bm(w, h) {
    font = CreateFont(size, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "DejaVu Sans");
    SelectObject(dc(), font);
    SetTextColor(dc(), RGB(255, 255, 255));
  }
  ~TextCanvas() {
    SelectObject(dc(), reinterpret_cast<HGDIOBJ>(3));
    DeleteObject(font);
  }
  HDC dc() const { return bm.getDC(); }
  unsigned At(int x, int y) const { return PIX_GetPixel(&bm, x, y) & 0xFFFFFFu; }
  // Bounding box of every pixel that is not the given background.
  Box Ink(unsigned background = 0) const {
    Box b;
    for (int y = 0; y < bm.getHeight(); ++y)
      for (int x = 0; x < bm.getWidth(); ++x)
        if (At(x, y) != background) {
          b.left = std::min(b.left, x), b.top = std::min(b.top, y);
          b.right = std::max(b.right, x + 1), b.bottom = std::max(b.bottom, y + 1);
        }
    return b;
  }
  RECT Measure(const char* text, int flags = 0, int length = -1) {
    RECT r = {10, 20, 10, 20};
    GDI_DrawText(dc(), text, length, &r, flags | DT_CALCRECT);
    return r;
  }
  int Width(const char* text, int flags = 0) {
    const RECT r = Measure(text, flags);
    return r.right - r.left;
  }
  PIX_SysBitmap bm;
  HFONT font;
};

}  // namespace

TEST(DrawText, AmpersandsArePrefixesUnlessNoPrefix) {
  TextCanvas c(8, 8);
  EXPECT_EQ(c.Width("a&b"), c.Width("ab"));
  EXPECT_GT(c.Width("a&b", DT_NOPREFIX), c.Width("ab"));
  EXPECT_EQ(c.Width("a&&b"), c.Width("a&b", DT_NOPREFIX));
  EXPECT_EQ(c.Width("a&&&b"), c.Width("a&b", DT_NOPREFIX));
  // Carriage returns never count.
  EXPECT_EQ(c.Width("a\rb"), c.Width("ab"));
}

TEST(DrawText, LineFeedsInSingleAndMultiLineText) {
  TextCanvas c(8, 8);
  const RECT one = c.Measure("two words", DT_SINGLELINE);
  const RECT joined = c.Measure("two\nwords", DT_SINGLELINE);
  EXPECT_EQ(joined.right, one.right);
  EXPECT_EQ(joined.bottom, one.bottom);

  const RECT lines = c.Measure("two\nwords");
  const int lineHeight = one.bottom - one.top - 1;
  EXPECT_EQ(lines.bottom - lines.top, 2 * lineHeight + 1);
  EXPECT_EQ(lines.right - lines.left, c.Width("words"));
  // A final line feed opens no line; an empty line in between counts.
  EXPECT_EQ(c.Measure("two\nwords\n").bottom, lines.bottom);
  EXPECT_EQ(c.Measure("two\n\nwords").bottom - 20, 3 * lineHeight + 1);
}

TEST(DrawText, MeasuringFillsTheRectangleAndEmptyTextChangesNothing) {
  TextCanvas c(8, 8);
  RECT r = {3, 4, 5, 6};
  EXPECT_EQ(GDI_DrawText(c.dc(), "", -1, &r, DT_CALCRECT), 0);
  EXPECT_EQ(r.right, 5);
  EXPECT_EQ(r.bottom, 6);
  // Length limits what is read; the height is the returned value.
  RECT part = {0, 0, 0, 0};
  const int h = GDI_DrawText(c.dc(), "abcdef", 3, &part, DT_CALCRECT);
  EXPECT_EQ(part.bottom, h);
  EXPECT_EQ(part.right, c.Width("abc"));
  EXPECT_GT(h, 16);
  EXPECT_EQ(c.Ink().Empty(), true);  // nothing drawn while measuring
  // Not UTF-8: nothing at all.
  RECT bad = {0, 0, 50, 50};
  EXPECT_EQ(GDI_DrawText(c.dc(), "a\xC0z", -1, &bad, 0), 0);
  EXPECT_TRUE(c.Ink().Empty());
  EXPECT_EQ(GDI_DrawText(nullptr, "a", -1, &bad, 0), 0);
}

TEST(DrawText, EveryAlignmentPlacesTheTextBox) {
  const char* text = "Verlo";
  struct Case {
    int flags;
    bool right, hcenter, bottom, vcenter;
  } cases[] = {{DT_LEFT | DT_TOP, false, false, false, false},
               {DT_RIGHT, true, false, false, false},
               {DT_CENTER, false, true, false, false},
               {DT_BOTTOM, false, false, true, false},
               {DT_VCENTER, false, false, false, true},
               {DT_CENTER | DT_VCENTER, false, true, false, true},
               {DT_RIGHT | DT_BOTTOM, true, false, true, false}};
  Box reference;
  int width = 0, height = 0;
  {
    TextCanvas c(200, 100);
    const RECT m = c.Measure(text);
    width = m.right - m.left, height = m.bottom - m.top;
    RECT r = {0, 0, 200, 100};
    GDI_DrawText(c.dc(), text, -1, &r, 0);
    reference = c.Ink();
    ASSERT_FALSE(reference.Empty());
    EXPECT_LE(reference.right, width + 1);
    EXPECT_LE(reference.bottom, height);
  }
  for (const Case& k : cases) {
    TextCanvas c(200, 100);
    RECT r = {20, 10, 180, 90};
    EXPECT_EQ(GDI_DrawText(c.dc(), text, -1, &r, k.flags), height);
    const int x = k.right ? 180 - width : k.hcenter ? 20 + 160 / 2 - width / 2 : 20;
    const int y = k.bottom ? 90 - height : k.vcenter ? 10 + 80 / 2 - height / 2 : 10;
    const Box ink = c.Ink();
    EXPECT_EQ(ink.left, reference.left + x) << k.flags;
    EXPECT_EQ(ink.top, reference.top + y) << k.flags;
    EXPECT_EQ(ink.Width(), reference.Width()) << k.flags;
  }
}

TEST(DrawText, OpaqueBackgroundFillsTheLineBox) {
  TextCanvas c(120, 60);
  SetTextColor(c.dc(), RGB(255, 0, 0));
  SetBkColor(c.dc(), RGB(0, 0, 200));
  EXPECT_EQ(SetBkMode(c.dc(), OPAQUE), 0);
  RECT r = {10, 10, 110, 50};
  const int lineHeight = GDI_DrawText(c.dc(), "Bk", -1, &r, 0) - 1;
  const int w = c.Width("Bk");
  int background = 0;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 120; ++x) {
      const bool inBox = x >= 10 && x < 10 + w && y >= 10 && y < 10 + lineHeight;
      // Red text may overhang the box; the blue fill never does.
      if (!inBox) {
        EXPECT_EQ(c.At(x, y) & 0xFFu, 0u) << x << "," << y;
      }
      background += inBox && c.At(x, y) == 0x0000C8u;
    }
  EXPECT_GT(background, w * lineHeight / 2);
  EXPECT_EQ(SetBkMode(c.dc(), TRANSPARENT), OPAQUE);
  // Transparent again: no fill.
  TextCanvas t(120, 60);
  SetBkColor(t.dc(), RGB(0, 0, 200));
  SetTextColor(t.dc(), RGB(255, 0, 0));
  GDI_DrawText(t.dc(), "Bk", -1, &r, 0);
  EXPECT_EQ(t.At(10, 10) & 0xFFu, 0u);
  EXPECT_FALSE(t.Ink().Empty());
}

TEST(DrawText, ClippedToTheRectangleUnlessNoClip) {
  const char* text = "A long label that overflows";
  for (bool clip : {true, false}) {
    TextCanvas c(300, 40);
    RECT r = {5, 5, 40, 30};
    GDI_DrawText(c.dc(), text, -1, &r, clip ? 0 : DT_NOCLIP);
    const Box ink = c.Ink();
    if (clip) {
      EXPECT_GE(ink.left, 5);
      EXPECT_LE(ink.right, 40);
    } else {
      EXPECT_GT(ink.right, 100);
    }
  }
}

TEST(DrawText, ColourAndQuality) {
  TextCanvas c(80, 40, 20);
  EXPECT_EQ(SetTextColor(c.dc(), RGB(0, 255, 0)), RGB(255, 255, 255));
  EXPECT_EQ(GetTextColor(c.dc()), RGB(0, 255, 0));
  EXPECT_EQ(GetTextColor(nullptr), -1);
  RECT r = {0, 0, 80, 40};
  GDI_DrawText(c.dc(), "Ag", -1, &r, 0);
  bool greyLevels = false;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 80; ++x) {
      const unsigned p = c.At(x, y);
      EXPECT_EQ(p & 0xFF00FFu, 0u);  // only green
      greyLevels |= p != 0 && p != 0x00FF00u;
    }
  EXPECT_TRUE(greyLevels);

  // Quality 3: every pixel fully on or off.
  PIX_SysBitmap bm(80, 40);
  HFONT mono = CreateFont(20, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, NONANTIALIASED_QUALITY, 0, "DejaVu Sans");
  SelectObject(bm.getDC(), mono);
  SetTextColor(bm.getDC(), RGB(255, 255, 255));
  GDI_DrawText(bm.getDC(), "Ag", -1, &r, 0);
  int on = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 80; ++x) {
      const unsigned p = PIX_GetPixel(&bm, x, y) & 0xFFFFFFu;
      EXPECT_TRUE(p == 0 || p == 0xFFFFFFu) << std::hex << p;
      on += p != 0;
    }
  EXPECT_GT(on, 20);
  SelectObject(bm.getDC(), reinterpret_cast<HGDIOBJ>(3));
  DeleteObject(mono);
}

TEST(DrawText, LongTextIsCutAtACharacterBoundary) {
  TextCanvas c(8, 8);
  // 4094 ASCII bytes then a two-byte character: the character no longer fits and goes whole.
  std::string text(4094, 'i');
  text += "\xC3\xA9";
  const int cut = c.Width(text.c_str(), DT_SINGLELINE);
  EXPECT_GT(cut, 0);
  EXPECT_EQ(cut, c.Width(std::string(4094, 'i').c_str(), DT_SINGLELINE));
}
