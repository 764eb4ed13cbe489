#include <gtest/gtest.h>

#include "gdi/gdi-internalpool.h"
#include "gdi/gdi.h"

namespace {
HGDIOBJ Kind(uintptr_t v) { return reinterpret_cast<HGDIOBJ>(v); }
}  // namespace

TEST(SelectObject, ReturnsThePreviousObjectOrTheKindNumber) {
  HDC dc = GDI_CreateMemContext(nullptr, 2, 2);
  HPEN pen = CreatePen(PS_SOLID, 3, RGB(1, 2, 3));
  HPEN pen2 = CreatePen(PS_SOLID, -4, 0);
  HBRUSH brush = CreateSolidBrush(RGB(4, 5, 6));
  ASSERT_TRUE(dc && pen && pen2 && brush);
  EXPECT_EQ(pen->type, GDI_TYPE_PEN);
  EXPECT_EQ(pen->wid, 3);
  EXPECT_EQ(pen2->wid, 0);  // negative widths become 0
  EXPECT_EQ(SelectObject(dc, pen), Kind(1));
  EXPECT_EQ(SelectObject(dc, pen), pen);
  EXPECT_EQ(SelectObject(dc, pen2), pen);
  EXPECT_EQ(SelectObject(dc, Kind(1)), pen2);  // deselect
  EXPECT_EQ(SelectObject(dc, Kind(1)), Kind(1));
  EXPECT_EQ(SelectObject(dc, brush), Kind(2));
  EXPECT_EQ(SelectObject(dc, Kind(2)), brush);
  EXPECT_EQ(SelectObject(dc, Kind(3)), Kind(3));
  // Not objects, or not a selectable kind.
  EXPECT_EQ(SelectObject(dc, Kind(4)), nullptr);
  EXPECT_EQ(SelectObject(dc, nullptr), nullptr);
  EXPECT_EQ(SelectObject(nullptr, pen), nullptr);
  GDI_Object* image = GDI_NewObject();
  image->type = GDI_TYPE_BITMAP;
  EXPECT_EQ(SelectObject(dc, image), nullptr);
  GDI_RecycleObject(image);
  DeleteObject(pen);
  DeleteObject(pen2);
  DeleteObject(brush);
  GDI_DeleteGfxContext(dc);
}

TEST(DeleteObject, ClonesKeepObjectsAliveAndFreedOnesAreRefused) {
  HBRUSH brush = CreateSolidBrushAlpha(RGB(9, 9, 9), 0.5f);
  ASSERT_NE(brush, nullptr);
  EXPECT_DOUBLE_EQ(brush->color.a, 0.5);
  EXPECT_EQ(GDI_CloneGDIObject(brush), brush);
  DeleteObject(brush);
  EXPECT_FALSE(brush->freed);
  EXPECT_TRUE(GDI_IsValidObject(brush));
  const int pooled = GDI_PooledObjectCount();
  DeleteObject(brush);
  EXPECT_FALSE(GDI_IsValidObject(brush));
  EXPECT_EQ(GDI_PooledObjectCount(), pooled + 1);
  DeleteObject(brush);  // already freed: ignored
  EXPECT_EQ(GDI_PooledObjectCount(), pooled + 1);
  EXPECT_EQ(GDI_CloneGDIObject(brush), nullptr);
  HDC dc = GDI_CreateMemContext(nullptr, 1, 1);
  EXPECT_EQ(SelectObject(dc, brush), nullptr);
  GDI_DeleteGfxContext(dc);
  // The pool hands the block out again, cleared.
  HPEN pen = CreatePen(0, 1, 0);
  EXPECT_EQ(static_cast<HGDIOBJ>(pen), brush);
  EXPECT_EQ(pen->type, GDI_TYPE_PEN);
  EXPECT_EQ(pen->additionalReferences, 0);
  DeleteObject(pen);
  DeleteObject(Kind(3));  // small values are ignored
}

TEST(DeleteObject, ReleasesFontsAndOwnedImages) {
  static int released = 0;
  GDI_Object* font = GDI_NewObject();
  font->type = GDI_TYPE_FONT;
  font->font = &released;
  font->fontRelease = [](void* p) { ++*static_cast<int*>(p); };
  DeleteObject(font);
  EXPECT_EQ(released, 1);

  cairo_surface_t* img = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 2, 2);
  cairo_surface_reference(img);
  GDI_Object* owned = GDI_NewObject();
  owned->type = GDI_TYPE_BITMAP;
  owned->wid = 1;
  owned->image = img;
  DeleteObject(owned);
  EXPECT_EQ(cairo_surface_get_reference_count(img), 1u);
  GDI_Object* borrowed = GDI_NewObject();
  borrowed->type = GDI_TYPE_BITMAP;
  borrowed->image = img;
  DeleteObject(borrowed);
  EXPECT_EQ(cairo_surface_get_reference_count(img), 1u);
  cairo_surface_destroy(img);
}

TEST(StockObjects, NullPenAndBrushAreStaticAndNeverDrawn) {
  HGDIOBJ pen = GetStockObject(NULL_PEN);
  HGDIOBJ brush = GetStockObject(NULL_BRUSH);
  ASSERT_NE(pen, nullptr);
  ASSERT_NE(brush, nullptr);
  EXPECT_EQ(pen->wid, -1);
  EXPECT_EQ(brush->wid, -1);
  EXPECT_EQ(GetStockObject(0), nullptr);
  EXPECT_EQ(GetStockObject(7), nullptr);
  DeleteObject(pen);
  EXPECT_TRUE(GDI_IsValidObject(pen));
  EXPECT_EQ(GetStockObject(NULL_PEN), pen);
}
