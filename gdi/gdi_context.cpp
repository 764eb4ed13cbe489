#include <dlfcn.h>

#include <climits>
#include <cstdint>
#include <cstdlib>

#include "gdi/gdi-internalpool.h"
#include "gdi/gdi.h"

namespace {
// cairo and what it pulls in (pixman, fontconfig, FreeType) build process-wide state when they
// load and when first used, and free none of it when they are unloaded. A host that loads and
// unloads the plug-in would lose that state on every cycle; once they are loaded they stay, so it
// is built once per process.
const bool kCairoResident = dlopen("libcairo.so.2", RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE) != nullptr;
}  // namespace

HDC GDI_CreateMemContext(HDC, int w, int h) {
  if (w <= 0 || h <= 0) return nullptr;
  const long long bytes = static_cast<long long>(w) * h * 4;
  if (static_cast<long long>(w) * 4 > INT_MAX || bytes > static_cast<long long>(PTRDIFF_MAX) - 63) return nullptr;
  GDI_Context* ctx = GDI_NewContext();
  if (!ctx) return nullptr;
  void* block = calloc(1, static_cast<size_t>(bytes) + 63);
  if (!block) {
    GDI_RecycleContext(ctx);
    return nullptr;
  }
  unsigned char* pixels =
      reinterpret_cast<unsigned char*>((reinterpret_cast<uintptr_t>(block) + 63) & ~static_cast<uintptr_t>(63));
  // RGB24 is one 32-bit word per pixel, blue in the low byte, the top byte unused: the raster
  // library's layout, so both draw into the same bytes.
  cairo_surface_t* surface = cairo_image_surface_create_for_data(pixels, CAIRO_FORMAT_RGB24, w, h, w * 4);
  cairo_t* cr = surface && cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS ? cairo_create(surface) : nullptr;
  if (!cr || cairo_status(cr) != CAIRO_STATUS_SUCCESS) {
    if (cr) cairo_destroy(cr);
    if (surface) cairo_surface_destroy(surface);
    free(block);
    GDI_RecycleContext(ctx);
    return nullptr;
  }
  // Grey-level text anti-aliasing only: subpixel colour fringes would not survive the raster
  // library's per-channel arithmetic.
  cairo_font_options_t* fo = cairo_font_options_create();
  cairo_font_options_set_antialias(fo, CAIRO_ANTIALIAS_GRAY);
  cairo_set_font_options(cr, fo);
  cairo_font_options_destroy(fo);

  ctx->gc = cr;
  ctx->surface = surface;
  ctx->ownedPixels = block;
  ctx->hasTextColor = true;
  ctx->textColor = GDI_Color{0, 0, 0, 1};
  ctx->curtextcol = 0;
  return ctx;
}

void* GDI_GetCtxFrameBuffer(HDC ctx) {
  if (!GDI_IsValidContext(ctx) || !ctx->surface) return nullptr;
  cairo_surface_flush(ctx->surface);
  return cairo_image_surface_get_data(ctx->surface);
}

void GDI_DeleteGfxContext(HDC ctx) {
  if (!GDI_IsValidContext(ctx)) return;
  if (ctx->gc) cairo_destroy(ctx->gc);
  if (ctx->surface) cairo_surface_destroy(ctx->surface);
  free(ctx->ownedPixels);
  GDI_RecycleContext(ctx);
}

HDC GDI_CreateGfxContext(cairo_t* cr) {
  if (!cr) return nullptr;
  GDI_Context* ctx = GDI_NewContext();
  if (!ctx) return nullptr;
  ctx->gc = cairo_reference(cr);
  return ctx;
}

cairo_t* GDI_GetCtxGC(HDC ctx) { return GDI_IsValidContext(ctx) ? ctx->gc : nullptr; }

bool GDI_IsRetinaDC(HDC ctx) {
  if (!GDI_IsValidContext(ctx) || !ctx->gc) return false;
  double dx = 1, dy = 1;
  cairo_user_to_device_distance(ctx->gc, &dx, &dy);
  double sx = 1, sy = 1;
  cairo_surface_get_device_scale(cairo_get_target(ctx->gc), &sx, &sy);
  return dx * sx > 1.9;
}

void GDI_PushClipRegion(HDC ctx) {
  if (!GDI_IsValidContext(ctx) || !ctx->gc) return;
  cairo_save(ctx->gc);
  ++ctx->clipDepth;
}

void GDI_SetClipRegion(HDC ctx, const RECT* r) {
  if (!GDI_IsValidContext(ctx) || !ctx->gc || !r) return;
  cairo_new_path(ctx->gc);
  cairo_rectangle(ctx->gc, r->left, r->top, r->right - r->left, r->bottom - r->top);
  cairo_clip(ctx->gc);
}

void GDI_PopClipRegion(HDC ctx) {
  if (!GDI_IsValidContext(ctx) || !ctx->gc || ctx->clipDepth <= 0) return;
  cairo_restore(ctx->gc);
  --ctx->clipDepth;
}
