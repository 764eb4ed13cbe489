// Text, caption, bitmap text, link and file controls through the editor's dispatch.
#include "graphics/IBitmapMonoText.h"
#include "graphics/ITextControls.h"
#include "tests/graphics/controls_fixture.h"

using TextControls = ControlsEditor;

TEST_F(TextControls, TextOnlyChangesWhenItDiffersAndCaptionsShowDisplayAndLabel) {
  IText style(12, &COLOR_WHITE, "DejaVu Sans", IText::kStyleNormal, IText::kAlignNear);
  ITextControl* text = Add(new ITextControl(&plug, IRECT(0, 0, 100, 20), &style, "Verlo"));
  text->SetClean();
  text->SetTextFromPlug("Verlo");
  EXPECT_FALSE(text->IsDirty());
  text->SetTextFromPlug("Chop");
  EXPECT_TRUE(text->IsDirty());
  Shown(0, 0);
  int inked = 0;  // "Chop" was drawn, from the left edge
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 8; ++x) inked += PIX_GetPixel(g->GetDrawBitmap(), x, y) != 0xFF000000u;
  EXPECT_GT(inked, 5);

  ICaptionControl* caption = Add(new ICaptionControl(&plug, IRECT(0, 30, 100, 50), TestEffect::kGain, &style, true));
  ICaptionControl* mode = Add(new ICaptionControl(&plug, IRECT(0, 60, 100, 80), TestEffect::kMode, &style, false));
  Shown(0, 0);
  EXPECT_STREQ(caption->GetTextForDisplay(), "0.0 dB");
  EXPECT_STREQ(mode->GetTextForDisplay(), "On");

  // A text far longer than its rectangle, at the bitmap's edge, stays inside the draw bitmap.
  Add(new ITextControl(&plug, IRECT(150, 190, 200, 200), &style, "a caption much too long for its little box"));
  Shown(0, 0);
}

TEST_F(TextControls, BitmapTextBreaksLinesCutsAndCentresVertically) {
  // A 96-frame font of 10 x 10 cells: frame k holds character k + 31.
  IBitmap font = Strip(96, 10, 10);
  IText near(10, nullptr, nullptr, IText::kStyleNormal, IText::kAlignNear);
  IRECT narrow(10, 10, 25, 40);
  g->AttachPanelBackground(&COLOR_BLACK);
  IRECT all(0, 0, 200, 200);
  g->Draw(&all);  // black, and the draw area for the calls below
  DrawBitmapedText(g, &font, &narrow, &near, nullptr, "AB", false, false, 10, 10, 0);
  EXPECT_EQ(PIX_GetPixel(g->GetDrawBitmap(), 12, 12), FrameColour('A' - 32));
  EXPECT_EQ(PIX_GetPixel(g->GetDrawBitmap(), 12, 22), 0xFF000000u);  // single line: B is cut
  DrawBitmapedText(g, &font, &narrow, &near, nullptr, "AB", false, true, 10, 10, 0);
  EXPECT_EQ(PIX_GetPixel(g->GetDrawBitmap(), 12, 22), FrameColour('B' - 32));
  IRECT tall(50, 10, 80, 50);
  DrawBitmapedText(g, &font, &tall, &near, nullptr, "C", true, false, 10, 10, 0);
  EXPECT_EQ(PIX_GetPixel(g->GetDrawBitmap(), 52, 26), FrameColour('C' - 32));  // rows 25..34
  EXPECT_EQ(PIX_GetPixel(g->GetDrawBitmap(), 52, 22), 0xFF000000u);
  DrawBitmapedText(g, &font, &tall, &near, nullptr, "\xff", false, false, 0, 10, 0);  // no width, no glyph
  IBitmapTextControl* label = Add(new IBitmapTextControl(&plug, IRECT(100, 100, 130, 110), "XY", 10, 10, 0, &font));
  EXPECT_EQ(Shown(106, 105), FrameColour('X' - 32));  // centred: "XY" spans 105..125
  EXPECT_EQ(Shown(116, 105), FrameColour('Y' - 32));
  label->SetClean();
  label->SetTextFromPlug("XY");
  EXPECT_FALSE(label->IsDirty());
}

TEST_F(TextControls, LinksTryTheBackupWhenTheAddressFailsAndRefuseWhatDoesNotFit) {
  Add(new IURLControl(&plug, IRECT(0, 0, 50, 50), "https://example.org/verlo", "https://backup.example.org"));
  Click(10, 10);
  EXPECT_EQ(g->urls, (std::vector<std::string>{"https://example.org/verlo"}));
  g->openURLSucceeds = false;
  Click(10, 10);
  EXPECT_EQ(g->urls.back(), "https://backup.example.org");
  EXPECT_EQ(g->urls.size(), 3u);

  g->urls.clear();
  const std::string longURL = "https://example.org/" + std::string(300, 'x');
  IURLControl* refused = Add(new IURLControl(&plug, IRECT(60, 0, 100, 50), longURL.c_str()));
  EXPECT_STREQ(refused->GetURL(), "");
  Add(new IURLControl(&plug, IRECT(110, 0, 150, 50), ""));
  Click(70, 10);
  Click(120, 10);
  EXPECT_TRUE(g->urls.empty());
  Add(new IURLControl(&plug, IRECT(160, 0, 200, 50), "", "https://backup.example.org"));
  Click(170, 10);
  EXPECT_EQ(g->urls, (std::vector<std::string>{"https://backup.example.org"}));
}

TEST_F(TextControls, AFileChoiceFlipsTheValueAndReportsDirtyOnce) {
  IBitmap picture = Strip(1, 20, 20);
  IFileSelectorControl* files =
      Add(new IFileSelectorControl(&plug, IRECT(10, 10, 30, 30), TestEffect::kSwitch, &picture, kFileOpen, "/tmp", "wav"));
  Click(15, 15);
  EXPECT_EQ(files->GetState(), IFileSelectorControl::kFSDone);
  EXPECT_EQ(plug.GetParam(TestEffect::kSwitch)->Int(), 1);
  Click(15, 15);
  EXPECT_EQ(plug.GetParam(TestEffect::kSwitch)->Int(), 0);
  files->SetClean();
  EXPECT_TRUE(files->IsDirty());  // once after a choice
  EXPECT_FALSE(files->IsDirty());
  EXPECT_EQ(Shown(15, 15), 0xFF000000u);  // the picture shows only while choosing
}
