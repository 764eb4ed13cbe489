#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

#include "gdi/gdi-internalpool.h"
#include "gdi/gdi.h"
#include "pix/pix.h"
#include "tests/support/alloc_hook.h"

TEST(MemContext, FrameBufferIsAlignedZeroedAndTopRowFirst) {
  HDC dc = GDI_CreateMemContext(nullptr, 3, 2);
  ASSERT_NE(dc, nullptr);
  unsigned char* fb = static_cast<unsigned char*>(GDI_GetCtxFrameBuffer(dc));
  ASSERT_NE(fb, nullptr);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(fb) % 64, 0u);
  for (int i = 0; i < 3 * 2 * 4; ++i) ASSERT_EQ(fb[i], 0) << i;
  ASSERT_NE(GDI_GetCtxGC(dc), nullptr);

  // Drawing at y = 0 lands in the first row, pixel (0, 0) in the first four bytes, blue first.
  HBRUSH br = CreateSolidBrush(RGB(0x20, 0x40, 0x80));
  RECT r = {0, 0, 1, 1};
  GDI_FillRect(dc, &r, br);
  GDI_GetCtxFrameBuffer(dc);
  EXPECT_EQ(fb[0], 0x80);
  EXPECT_EQ(fb[1], 0x40);
  EXPECT_EQ(fb[2], 0x20);
  for (int i = 4; i < 3 * 2 * 4; ++i) ASSERT_EQ(fb[i], 0) << i;
  DeleteObject(br);
  GDI_DeleteGfxContext(dc);
}

TEST(MemContext, RefusesEmptyAndHugeSizes) {
  EXPECT_EQ(GDI_CreateMemContext(nullptr, 0, 5), nullptr);
  EXPECT_EQ(GDI_CreateMemContext(nullptr, 5, -1), nullptr);
  EXPECT_EQ(GDI_CreateMemContext(nullptr, 1 << 30, 2), nullptr);  // row bytes beyond an int
  EXPECT_EQ(GDI_GetCtxFrameBuffer(nullptr), nullptr);
  EXPECT_EQ(GDI_GetCtxGC(nullptr), nullptr);
}

TEST(MemContext, AllocationFailureGivesNull) {
  SKIP_WITHOUT_ALLOC_HOOK();
  // Drain nothing from the pool: the pixel block itself is what fails.
  alloc_hook::FailAfter fail(0, alloc_hook::kCalloc | alloc_hook::kMalloc);
  EXPECT_EQ(GDI_CreateMemContext(nullptr, 16, 16), nullptr);
}

TEST(MemContext, DeletedHandleIsRefusedUntilThePoolReusesIt) {
  HDC dc = GDI_CreateMemContext(nullptr, 4, 4);
  ASSERT_NE(dc, nullptr);
  const int pooled = GDI_PooledContextCount();
  GDI_DeleteGfxContext(dc);
  EXPECT_EQ(GDI_PooledContextCount(), pooled + 1);
  EXPECT_EQ(GDI_GetCtxFrameBuffer(dc), nullptr);
  EXPECT_EQ(GDI_GetCtxGC(dc), nullptr);
  HPEN pen = CreatePen(0, 1, 0);
  EXPECT_EQ(SelectObject(dc, pen), nullptr);
  DeleteObject(pen);
  GDI_LineTo(dc, 3, 3);
  Rectangle(dc, 0, 0, 2, 2);
  GDI_DeleteGfxContext(dc);  // a second delete is ignored
  EXPECT_EQ(GDI_PooledContextCount(), pooled + 1);
  // The next context takes the freed block, cleared.
  HDC again = GDI_CreateMemContext(nullptr, 2, 2);
  EXPECT_EQ(again, dc);
  EXPECT_NE(GDI_GetCtxFrameBuffer(again), nullptr);
  GDI_DeleteGfxContext(again);
}

TEST(GfxContext, WrapsAForeignCairoContext) {
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 4, 4);
  cairo_t* cr = cairo_create(s);
  HDC dc = GDI_CreateGfxContext(cr);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(GDI_GetCtxGC(dc), cr);
  EXPECT_EQ(GDI_GetCtxFrameBuffer(dc), nullptr);  // not a memory context
  EXPECT_FALSE(GDI_IsRetinaDC(dc));
  cairo_scale(cr, 2, 2);
  EXPECT_TRUE(GDI_IsRetinaDC(dc));
  GDI_DeleteGfxContext(dc);
  cairo_destroy(cr);  // still valid: the context held its own reference
  cairo_surface_destroy(s);
  EXPECT_EQ(GDI_CreateGfxContext(nullptr), nullptr);
}

TEST(ClipRegion, LimitsDrawingUntilPopped) {
  PIX_SysBitmap bm(6, 6);
  HDC dc = bm.getDC();
  HBRUSH br = CreateSolidBrush(RGB(255, 255, 255));
  RECT all = {0, 0, 6, 6}, clip = {2, 2, 4, 4};
  GDI_PushClipRegion(dc);
  GDI_SetClipRegion(dc, &clip);
  GDI_FillRect(dc, &all, br);
  GDI_PopClipRegion(dc);
  GDI_PopClipRegion(dc);  // unbalanced pops are ignored and leave the context usable
  EXPECT_EQ(PIX_GetPixel(&bm, 2, 2) & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(PIX_GetPixel(&bm, 3, 3) & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(PIX_GetPixel(&bm, 1, 2) & 0xFFFFFF, 0u);
  EXPECT_EQ(PIX_GetPixel(&bm, 4, 4) & 0xFFFFFF, 0u);
  HBRUSH black = CreateSolidBrush(0);
  GDI_FillRect(dc, &all, black);
  EXPECT_EQ(PIX_GetPixel(&bm, 3, 3) & 0xFFFFFF, 0u);
  EXPECT_EQ(cairo_status(GDI_GetCtxGC(dc)), CAIRO_STATUS_SUCCESS);
  DeleteObject(br);
  DeleteObject(black);
}

TEST(Pools, SeveralThreadsCreateAndFreeConcurrently) {
  std::vector<std::thread> threads;
  std::vector<int> ok(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t, &ok] {
      for (int i = 0; i < 300; ++i) {
        HDC dc = GDI_CreateMemContext(nullptr, 8, 8);
        HPEN pen = CreatePen(0, 2, RGB(t, i & 255, 0));
        if (!dc || !pen) continue;
        SelectObject(dc, pen);
        MoveToEx(dc, 0, 0, nullptr);
        GDI_LineTo(dc, 7, 7);
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(1));
        DeleteObject(pen);
        GDI_DeleteGfxContext(dc);
        ++ok[t];
      }
    });
  }
  for (auto& th : threads) th.join();
  for (int t = 0; t < 4; ++t) EXPECT_EQ(ok[t], 300);
  EXPECT_LE(GDI_PooledContextCount(), 100);
  EXPECT_LE(GDI_PooledObjectCount(), 200);
}
