// The editor's small records and the pop-up menu model.
#include <gtest/gtest.h>

#include "graphics/IGraphicsStructs.h"
#include "graphics/IPopupMenu.h"
#include "pix/pix_combine.h"

TEST(IRECT, UnionTreatsOnlyAllZeroAsEmpty) {
  IRECT area;
  area.Union(IRECT(10, 10, 20, 20));
  area.Union(IRECT(30, 5, 40, 15));
  EXPECT_EQ(area, IRECT(10, 5, 40, 20));
  area.Union(IRECT());
  EXPECT_EQ(area, IRECT(10, 5, 40, 20));
  IRECT thin(5, 5, 5, 9);  // zero width, yet not empty
  EXPECT_FALSE(thin.Empty());
  thin.Union(IRECT(1, 1, 2, 2));
  EXPECT_EQ(thin, IRECT(1, 1, 5, 9));
}

TEST(IRECT, IntersectsCountsOwnRightAndBottomEdgesOnly) {
  const IRECT a(0, 0, 10, 10);
  EXPECT_TRUE(a.Intersects(IRECT(10, 0, 20, 10)));   // our right edge meets their left
  EXPECT_FALSE(IRECT(10, 0, 20, 10).Intersects(a));  // our left edge meets their right
  EXPECT_TRUE(a.Intersects(IRECT(0, 10, 10, 20)));
  EXPECT_FALSE(IRECT(0, 10, 10, 20).Intersects(a));
  EXPECT_FALSE(a.Intersects(IRECT()));
  EXPECT_TRUE(a.Contains(0, 9));
  EXPECT_FALSE(a.Contains(10, 5));
  EXPECT_FALSE(IRECT().Contains(0, 0));
}

TEST(IColor, PacksIntoThePixelWordAndBlendsMapToModes) {
  EXPECT_EQ(IColor(0x80, 0x11, 0x22, 0x33).Pixel(), 0x80112233u);
  EXPECT_EQ(IColor(255, 0x1FF, -1, 0).Pixel(), 0xFFFFFF00u);  // channels are masked
  EXPECT_EQ(COLOR_ORANGE, IColor(255, 255, 127, 0));
  const IChannelBlend copy(IChannelBlend::kBlendMethodCopy, 0.5f), add(IChannelBlend::kBlendMethodAdd),
      dodge(IChannelBlend::kBlendMethodDodge), odd(17);
  EXPECT_EQ(BlendMode(&copy), PIX_COMBINE_COPY);
  EXPECT_EQ(BlendMode(&add), 0x10001);
  EXPECT_EQ(BlendMode(&dodge), 0x10002);
  EXPECT_EQ(BlendMode(&odd), 0x10000);
  EXPECT_EQ(BlendMode(nullptr), 0x10000);
  EXPECT_EQ(BlendWeight(&copy), 0.5f);
  EXPECT_EQ(BlendWeight(nullptr), 1.0f);
}

TEST(IPopupMenu, InsertsAppendsAndChecks) {
  IPopupMenu menu;
  menu.AddItem("a");
  menu.AddItem("b");
  menu.AddItem("x", 0);
  menu.AddItem("y", 7);
  menu.AddItem("z", -5);
  ASSERT_EQ(menu.GetNItems(), 5);
  const char* expected[] = {"z", "x", "a", "b", "y"};
  for (int i = 0; i < 5; ++i) EXPECT_STREQ(menu.GetItemText(i), expected[i]);
  for (int i = 0; i < 5; ++i) menu.CheckItem(i, true);
  menu.CheckItemAlone(1);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(menu.IsItemChecked(i), i == 1);
  EXPECT_FALSE(menu.IsItemChecked(-1));
  EXPECT_FALSE(menu.CheckItem(9, true));
  EXPECT_STREQ(menu.GetItemText(9), "");
  menu.SetPrefix(2);
  menu.SetPrefix(4);
  EXPECT_EQ(menu.GetPrefix(), 2);
  EXPECT_TRUE(menu.AddSeparator()->GetIsSeparator());
  EXPECT_EQ(menu.GetChosenItem(), nullptr);  // nothing chosen yet
  menu.SetChosenItemIdx(42);
  EXPECT_EQ(menu.GetChosenItem(), nullptr);  // chosen past the last item
}
