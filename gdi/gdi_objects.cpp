#include <cstdint>

#include "gdi/gdi-internalpool.h"
#include "gdi/gdi.h"

namespace {

// Stock objects live for the whole process and are never deleted.
GDI_Object gNullPen = {GDI_TYPE_PEN, 0, {0, 0, 0, 1}, -1, 0, false, nullptr, nullptr, nullptr, 0, nullptr};
GDI_Object gNullBrush = {GDI_TYPE_BRUSH, 0, {0, 0, 0, 1}, -1, 0, false, nullptr, nullptr, nullptr, 0, nullptr};

HGDIOBJ NewColored(int type, int width, int color, float alpha) {
  GDI_Object* o = GDI_NewObject();
  if (!o) return nullptr;
  o->type = type;
  o->wid = width;
  o->color = GDI_ColorOf(color, alpha);
  return o;
}

}  // namespace

HPEN CreatePen(int style, int width, int color) { return CreatePenAlpha(style, width, color, 1.0f); }

HPEN CreatePenAlpha(int, int width, int color, float alpha) {
  return NewColored(GDI_TYPE_PEN, width > 0 ? width : 0, color, alpha);
}

HBRUSH CreateSolidBrush(int color) { return CreateSolidBrushAlpha(color, 1.0f); }

HBRUSH CreateSolidBrushAlpha(int color, float alpha) { return NewColored(GDI_TYPE_BRUSH, 0, color, alpha); }

HGDIOBJ GetStockObject(int which) {
  if (which == NULL_PEN) return &gNullPen;
  if (which == NULL_BRUSH) return &gNullBrush;
  return nullptr;
}

HGDIOBJ SelectObject(HDC ctx, HGDIOBJ obj) {
  if (!GDI_IsValidContext(ctx)) return nullptr;
  const uintptr_t v = reinterpret_cast<uintptr_t>(obj);
  int type;
  if (v >= GDI_TYPE_PEN && v <= GDI_TYPE_FONT) {
    type = static_cast<int>(v);
    obj = nullptr;  // deselect that kind
  } else if (!GDI_IsValidObject(obj)) {
    return nullptr;
  } else {
    type = obj->type;
  }
  HGDIOBJ* slot = type == GDI_TYPE_PEN ? &ctx->curpen
                  : type == GDI_TYPE_BRUSH ? &ctx->curbrush
                  : type == GDI_TYPE_FONT ? &ctx->curfont
                                          : nullptr;
  if (!slot) return nullptr;
  HGDIOBJ prev = *slot;
  *slot = obj;
  return prev ? prev : reinterpret_cast<HGDIOBJ>(static_cast<uintptr_t>(type));
}

void DeleteObject(HGDIOBJ obj) {
  if (!GDI_IsValidObject(obj) || obj == &gNullPen || obj == &gNullBrush) return;
  if (obj->additionalReferences > 0) {
    --obj->additionalReferences;
    return;
  }
  if (obj->font && obj->fontRelease) obj->fontRelease(obj->font);
  if (obj->image && obj->type == GDI_TYPE_BITMAP && obj->wid == 1) cairo_surface_destroy(obj->image);
  GDI_RecycleObject(obj);
}

HGDIOBJ GDI_CloneGDIObject(HGDIOBJ obj) {
  if (!GDI_IsValidObject(obj)) return nullptr;
  if (obj != &gNullPen && obj != &gNullBrush) ++obj->additionalReferences;
  return obj;
}
