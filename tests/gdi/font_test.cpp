#include <gtest/gtest.h>

#include <fontconfig/fontconfig.h>

#include <string>
#include <thread>
#include <vector>

#include "gdi/gdi.h"
#include "pix/pix.h"

namespace {

struct Selected {
  Selected(int w, int h, HFONT selected) : bm(w, h), font(selected) { SelectObject(bm.getDC(), selected); }
  ~Selected() {
    SelectObject(bm.getDC(), reinterpret_cast<HGDIOBJ>(3));
    DeleteObject(font);
  }
  HDC dc() const { return bm.getDC(); }
  PIX_SysBitmap bm;
  HFONT font;
};

TEXTMETRIC Metrics(HFONT font) {
  Selected s(4, 4, font);
  TEXTMETRIC tm{};
  EXPECT_EQ(GetTextMetrics(s.dc(), &tm), 1);
  return tm;
}

std::string Face(HFONT font) {
  Selected s(4, 4, font);
  char name[128];
  GetTextFace(s.dc(), sizeof name, name);
  return name;
}

HFONT Font(int height, const char* face, int weight = FW_NORMAL, bool italic = false, int width = 0) {
  return CreateFont(height, width, 0, 0, weight, italic, 0, 0, 0, 0, 0, 0, 0, face);
}

bool FaceInstalled(const char* family) {
  FcPattern* p = FcNameParse(reinterpret_cast<const FcChar8*>(family));
  FcObjectSet* os = FcObjectSetBuild(FC_FAMILY, nullptr);
  FcFontSet* set = FcFontList(nullptr, p, os);
  const bool found = set && set->nfont > 0;
  if (set) FcFontSetDestroy(set);
  FcObjectSetDestroy(os);
  FcPatternDestroy(p);
  return found;
}

}  // namespace

TEST(Fonts, MissingFaceFallsBackToAnInstalledOneKeepingBoldAndItalic) {
  ASSERT_FALSE(FaceInstalled("Monaco"));
  const std::string plain = Face(Font(-12, "Monaco"));
  const std::string styled = Face(Font(-12, "Monaco", FW_BOLD, true));
  EXPECT_FALSE(plain.empty());
  EXPECT_EQ(plain.find("Monaco"), std::string::npos);
  // The substitute's own style names say bold and slanted.
  EXPECT_NE(styled.find("Bold"), std::string::npos) << styled;
  EXPECT_TRUE(styled.find("Oblique") != std::string::npos || styled.find("Italic") != std::string::npos) << styled;
  EXPECT_EQ(Face(Font(-12, "DejaVu Sans Mono")), "DejaVu Sans Mono");
  EXPECT_EQ(Face(Font(-12, "DejaVu Serif", 699)), "DejaVu Serif");
  EXPECT_EQ(Face(Font(-12, "DejaVu Serif", 700)), "DejaVu Serif Bold");
}

TEST(Fonts, SizeComesFromHeightThenWidthAndOutOfRangeIsTen) {
  const TEXTMETRIC ten = Metrics(Font(10, "DejaVu Sans"));
  const TEXTMETRIC twelve = Metrics(Font(-12, "DejaVu Sans"));
  const TEXTMETRIC forty = Metrics(Font(40, "DejaVu Sans"));
  EXPECT_GT(twelve.tmHeight, ten.tmHeight);
  EXPECT_NEAR(forty.tmAscent, 4 * ten.tmAscent, 4);
  EXPECT_EQ(Metrics(Font(0, "DejaVu Sans", FW_NORMAL, false, -12)).tmHeight, twelve.tmHeight);
  for (int size : {0, 1, 8193, -9000}) {
    const TEXTMETRIC tm = Metrics(Font(size, "DejaVu Sans"));
    EXPECT_EQ(tm.tmHeight, ten.tmHeight) << size;
    EXPECT_EQ(tm.tmAscent, ten.tmAscent) << size;
  }
  // The record's rules: height = ascent + descent + leading (+1), width two thirds of that.
  EXPECT_GE(forty.tmHeight, forty.tmAscent + forty.tmDescent + forty.tmInternalLeading);
  EXPECT_LE(forty.tmHeight, forty.tmAscent + forty.tmDescent + forty.tmInternalLeading + 3);
  EXPECT_NEAR(forty.tmAveCharWidth, (forty.tmHeight - 1) * 2 / 3, 2);
}

TEST(Fonts, IndirectCreationUsesTheRecord) {
  LOGFONT lf{};
  lf.lfHeight = -12;
  lf.lfWeight = FW_BOLD;
  lf.lfQuality = NONANTIALIASED_QUALITY;
  std::snprintf(lf.lfFaceName, sizeof lf.lfFaceName, "%s", "DejaVu Serif");
  HFONT font = CreateFontIndirect(&lf);
  EXPECT_EQ(Face(font), "DejaVu Serif Bold");
  EXPECT_EQ(CreateFontIndirect(nullptr), nullptr);
}

TEST(Fonts, MetricsOfInvalidContextsAndTheDefaultFont) {
  TEXTMETRIC tm{};
  EXPECT_EQ(GetTextMetrics(nullptr, &tm), 0);
  EXPECT_EQ(tm.tmHeight, 16);
  EXPECT_EQ(tm.tmAscent, 12);
  EXPECT_EQ(tm.tmDescent, 4);
  EXPECT_EQ(tm.tmInternalLeading, 3);
  EXPECT_EQ(tm.tmAveCharWidth, 10);
  // No font selected: the default sans font of size 10.
  PIX_SysBitmap bm(4, 4);
  ASSERT_EQ(GetTextMetrics(bm.getDC(), &tm), 1);
  EXPECT_EQ(tm.tmHeight, Metrics(Font(10, "sans-serif")).tmHeight);
}

TEST(Fonts, TextFaceIsCutToTheBuffer) {
  Selected s(4, 4, Font(12, "DejaVu Sans Mono"));
  char name[8];
  EXPECT_EQ(GetTextFace(s.dc(), sizeof name, name), 7);
  EXPECT_STREQ(name, "DejaVu ");
  EXPECT_EQ(GetTextFace(s.dc(), 0, name), 0);
}

TEST(Fonts, GlyphIndicesAllOrNothing) {
  Selected s(4, 4, Font(12, "DejaVu Sans"));
  unsigned short glyphs[3] = {1, 1, 1};
  EXPECT_EQ(GetGlyphIndicesW(s.dc(), L"Ab\u00e9", 3, glyphs, 0), 3);
  EXPECT_NE(glyphs[0], 0);
  EXPECT_NE(glyphs[0], glyphs[1]);
  // A private-use character no installed face maps.
  EXPECT_EQ(GetGlyphIndicesW(s.dc(), L"A\U000F0000b", 3, glyphs, GGI_MARK_NONEXISTING_GLYPHS), 0);
  EXPECT_EQ(glyphs[0], 0xFFFF);
  EXPECT_EQ(glyphs[2], 0xFFFF);
  EXPECT_EQ(GetGlyphIndicesW(s.dc(), L"A\U000F0000b", 3, glyphs, 0), 0);
  EXPECT_EQ(glyphs[0], 0);
}

TEST(Fonts, AddingAFontFile) {
  EXPECT_EQ(AddFontResourceEx("/nonexistent/font.ttf", FR_PRIVATE, nullptr), 0);
  EXPECT_EQ(AddFontResourceEx(nullptr, 0, nullptr), 0);
  FcChar8* file = nullptr;
  FcPattern* p = FcNameParse(reinterpret_cast<const FcChar8*>("DejaVu Sans Mono"));
  FcConfigSubstitute(nullptr, p, FcMatchPattern);
  FcDefaultSubstitute(p);
  FcResult r;
  FcPattern* m = FcFontMatch(nullptr, p, &r);
  ASSERT_TRUE(m);
  ASSERT_EQ(FcPatternGetString(m, FC_FILE, 0, &file), FcResultMatch);
  EXPECT_EQ(AddFontResourceEx(reinterpret_cast<const char*>(file), FR_PRIVATE, nullptr), 1);
  FcPatternDestroy(m);
  FcPatternDestroy(p);
  // Registering drops the name cache; names resolve again afterwards.
  EXPECT_EQ(Face(Font(12, "DejaVu Sans Mono")), "DejaVu Sans Mono");
}

TEST(Fonts, ObjectsAreFontsAndThreadsShareTheNameCache) {
  HFONT font = Font(14, "DejaVu Sans");
  PIX_SysBitmap bm(4, 4);
  EXPECT_EQ(SelectObject(bm.getDC(), font), reinterpret_cast<HGDIOBJ>(3));
  EXPECT_EQ(SelectObject(bm.getDC(), reinterpret_cast<HGDIOBJ>(3)), font);
  DeleteObject(font);

  std::vector<std::thread> threads;
  std::vector<std::string> faces(4);
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([t, &faces] {
      for (int i = 0; i < 50; ++i) {
        const std::string name = "Face" + std::to_string(i % 7);
        HFONT f = Font(10 + i % 5, t % 2 ? "DejaVu Serif" : name.c_str(), i % 2 ? FW_BOLD : FW_NORMAL);
        faces[t] = Face(f);
      }
    });
  for (auto& th : threads) th.join();
  for (const auto& f : faces) EXPECT_FALSE(f.empty());
}
