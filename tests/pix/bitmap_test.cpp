#include <gtest/gtest.h>

#include <cstring>

#include "gdi/gdi.h"
#include "pix/pix.h"
#include "tests/support/alloc_hook.h"

TEST(MemBitmap, RowSpanIsPaddedAndBitsAre64ByteAligned) {
  PIX_MemBitmap bm(5, 3, 4);
  EXPECT_EQ(bm.getWidth(), 5);
  EXPECT_EQ(bm.getHeight(), 3);
  EXPECT_EQ(bm.getRowSpan(), 8);
  ASSERT_NE(bm.getBits(), nullptr);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(bm.getBits()) % 64, 0u);
  EXPECT_FALSE(bm.isFlipped());
  EXPECT_EQ(bm.getDC(), nullptr);
  EXPECT_EQ(bm.Extended(1, nullptr), 0);
  // The last byte of the last padded row is inside the block.
  memset(bm.getBits(), 0xAB, 8 * 3 * 4);
}

TEST(MemBitmap, LineAlignmentUsesLowestSetBit) {
  PIX_MemBitmap none(5, 1, 1);
  EXPECT_EQ(none.getRowSpan(), 5);
  PIX_MemBitmap six(5, 1, 6);  // lowest bit 2: rows of 2-pixel multiples
  EXPECT_EQ(six.getRowSpan(), 6);
  PIX_MemBitmap eight(9, 1, 8);
  EXPECT_EQ(eight.getRowSpan(), 16);
}

TEST(MemBitmap, ShrinkKeepsTheBlockAndGrowthAddsAQuarter) {
  PIX_MemBitmap bm(100, 100, 4);
  EXPECT_EQ(bm.getAllocatedSize(), 40000);
  PIX_pixel* before = bm.getBits();
  EXPECT_TRUE(bm.resize(50, 50));
  EXPECT_EQ(bm.getAllocatedSize(), 40000);
  EXPECT_EQ(bm.getBits(), before);
  EXPECT_EQ(bm.getRowSpan(), 52);

  PIX_MemBitmap grow(100, 100, 4);
  EXPECT_TRUE(grow.resize(101, 100));
  const int bytes = 104 * 100 * 4;  // span 104
  EXPECT_EQ(grow.getAllocatedSize(), bytes + bytes / 4);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(grow.getBits()) % 64, 0u);
}

TEST(MemBitmap, ResizeToSameSizeIsFalseAndToZeroFrees) {
  PIX_MemBitmap bm(10, 10, 4);
  EXPECT_FALSE(bm.resize(10, 10));
  EXPECT_TRUE(bm.resize(0, 0));
  EXPECT_EQ(bm.getBits(), nullptr);
  EXPECT_EQ(bm.getAllocatedSize(), 0);
  EXPECT_EQ(bm.getWidth(), 0);
  EXPECT_TRUE(bm.resize(4, -2));
  EXPECT_EQ(bm.getBits(), nullptr);
  EXPECT_EQ(bm.getWidth(), 0);
  EXPECT_EQ(bm.getHeight(), 0);
}

TEST(MemBitmap, OversizedRequestIsRefusedInsteadOfWrapping) {
  PIX_MemBitmap bm(10, 10, 4);
  EXPECT_TRUE(bm.resize(65536, 65536));  // 16 GiB: more than an int can count
  EXPECT_EQ(bm.getBits(), nullptr);
  EXPECT_EQ(bm.getWidth(), 0);
}

TEST(MemBitmap, FailedAllocationLeavesZeroByZero) {
  SKIP_WITHOUT_ALLOC_HOOK();
  PIX_MemBitmap fresh(0, 0, 4);
  {
    alloc_hook::FailAfter fail(0);
    EXPECT_TRUE(fresh.resize(20, 20));
  }
  EXPECT_EQ(fresh.getWidth(), 0);
  EXPECT_EQ(fresh.getHeight(), 0);
  EXPECT_EQ(fresh.getBits(), nullptr);

  // Growth whose reallocation fails falls back to an exact allocation.
  PIX_MemBitmap bm(10, 10, 4);
  {
    alloc_hook::FailAfter fail(0, alloc_hook::kRealloc);
    EXPECT_TRUE(bm.resize(40, 40));
  }
  EXPECT_EQ(bm.getWidth(), 40);
  EXPECT_EQ(bm.getAllocatedSize(), 40 * 40 * 4);
  ASSERT_NE(bm.getBits(), nullptr);
}

TEST(SysBitmap, ShrinkKeepsTheContextAndGrowthReplacesIt) {
  PIX_SysBitmap bm(10, 10);
  ASSERT_NE(bm.getBits(), nullptr);
  ASSERT_NE(bm.getDC(), nullptr);
  EXPECT_EQ(bm.getRowSpan(), 12);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(bm.getBits()) % 64, 0u);
  EXPECT_EQ(bm.getBits(), GDI_GetCtxFrameBuffer(bm.getDC()));
  // Memory contexts start cleared.
  for (int i = 0; i < 12 * 10; ++i) ASSERT_EQ(bm.getBits()[i], 0u);

  PIX_pixel* bits = bm.getBits();
  EXPECT_TRUE(bm.resize(7, 7));
  EXPECT_EQ(bm.getWidth(), 7);
  EXPECT_EQ(bm.getRowSpan(), 12);
  EXPECT_EQ(bm.getBits(), bits);
  EXPECT_FALSE(bm.resize(7, 7));

  EXPECT_TRUE(bm.resize(13, 7));
  EXPECT_EQ(bm.getRowSpan(), 16);
  ASSERT_NE(bm.getBits(), nullptr);
  EXPECT_EQ(bm.getBits(), GDI_GetCtxFrameBuffer(bm.getDC()));
}

TEST(SysBitmap, EmptyOrNegativeSizeHasNoStorage) {
  PIX_SysBitmap bm(8, 8);
  EXPECT_FALSE(bm.resize(0, 0));
  EXPECT_EQ(bm.getBits(), nullptr);
  EXPECT_EQ(bm.getDC(), nullptr);
  EXPECT_FALSE(bm.resize(-5, 3));
  EXPECT_EQ(bm.getWidth(), 0);
  EXPECT_EQ(bm.getHeight(), 0);
  EXPECT_TRUE(bm.resize(3, 3));
  EXPECT_NE(bm.getBits(), nullptr);
}

TEST(SysBitmap, FailedContextLeavesZeroByZero) {
  SKIP_WITHOUT_ALLOC_HOOK();
  PIX_SysBitmap bm(0, 0);
  {
    alloc_hook::FailAfter fail(0);
    EXPECT_TRUE(bm.resize(16, 16));
  }
  EXPECT_EQ(bm.getWidth(), 0);
  EXPECT_EQ(bm.getBits(), nullptr);
  EXPECT_TRUE(bm.resize(16, 16));
  EXPECT_NE(bm.getBits(), nullptr);
}

TEST(PixelFormat, BlueIsTheLowByte) {
  const PIX_pixel v = PIX_RGBA(0, 0, 255, 255);
  EXPECT_EQ(v, 0xFF0000FFu);
  PIX_MemBitmap bm(1, 1, 4);
  bm.getBits()[0] = v;
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(bm.getBits());
  EXPECT_EQ(bytes[0], 0xFF);
  EXPECT_EQ(bytes[1], 0x00);
  EXPECT_EQ(bytes[2], 0x00);
  EXPECT_EQ(bytes[3], 0xFF);
  EXPECT_EQ(PIX_GETB(v), 255);
  EXPECT_EQ(PIX_GETA(v), 255);
  EXPECT_EQ(PIX_GETR(v), 0);
}
