// Bitmap and icon objects over cairo image surfaces, named images, the system colours and image
// lists.
#include <cairo.h>

#include <cstring>
#include <new>

#include "gdi/gdi-internalpool.h"
#include "gdi/gdi.h"
#include "kit/bundle.h"
#include "kit/ptrlist.h"

struct GDI_ImageList {
  KIT_PtrList<GDI_Object> images;
};

namespace {

constexpr int kMaxImageSide = 32767;  // cairo's limit
constexpr int kSysColors[10] = {0x606060, 0xE0E0E0, 0xC0C0C0, 0, 0xC0C0C0, 0x202020, 0x303030, 0xC0C0C0, 0xFFF0C8, 0};

bool IsImage(HGDIOBJ obj) { return GDI_IsValidObject(obj) && obj->type == GDI_TYPE_BITMAP && obj->image; }

// A new image object holding the surface (and owning the caller's reference to it).
HBITMAP NewImageObject(cairo_surface_t* surface) {
  if (!surface) return nullptr;
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    return nullptr;
  }
  GDI_Object* obj = GDI_NewObject();
  if (!obj) {
    cairo_surface_destroy(surface);
    return nullptr;
  }
  obj->type = GDI_TYPE_BITMAP;
  obj->image = surface;
  obj->wid = 1;
  return obj;
}

// A copy of the surface's pixels in the given format (opaque sources become fully opaque).
cairo_surface_t* CopySurface(cairo_surface_t* src, cairo_format_t format) {
  const int w = cairo_image_surface_get_width(src), h = cairo_image_surface_get_height(src);
  cairo_surface_t* copy = cairo_image_surface_create(format, w, h);
  if (cairo_surface_status(copy) != CAIRO_STATUS_SUCCESS) return copy;
  cairo_t* cr = cairo_create(copy);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr, src, 0, 0);
  cairo_paint(cr);
  cairo_destroy(cr);
  return copy;
}

cairo_surface_t* LoadPng(const char* path) {
  cairo_surface_t* s = cairo_image_surface_create_from_png(path);
  if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS) return s;
  cairo_surface_destroy(s);
  return nullptr;
}

cairo_surface_t* LoadFromResources(const char* name) {
  char path[4096];
  if (KIT_GetBundleResourcePath(name, path, sizeof path))
    if (cairo_surface_t* s = LoadPng(path)) return s;
  const char* dot = strrchr(name, '.');
  if (dot && !strchr(dot, '/')) return nullptr;
  char withExtension[1024];
  if (strlen(name) + 5 > sizeof withExtension) return nullptr;
  strcpy(withExtension, name);
  strcat(withExtension, ".png");
  return KIT_GetBundleResourcePath(withExtension, path, sizeof path) ? LoadPng(path) : nullptr;
}

// A copy of the image in which every opaque magenta pixel is transparent; null when the image
// has none (or the copy cannot be made).
cairo_surface_t* WithoutMagenta(cairo_surface_t* image) {
  // Transparency needs an alpha channel, whatever format the image came in.
  cairo_surface_t* copy = CopySurface(image, CAIRO_FORMAT_ARGB32);
  if (cairo_surface_status(copy) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(copy);
    return nullptr;
  }
  cairo_surface_flush(copy);
  unsigned char* data = cairo_image_surface_get_data(copy);
  const int stride = cairo_image_surface_get_stride(copy);
  int cleared = 0;
  for (int y = 0; y < cairo_image_surface_get_height(copy); ++y) {
    uint32_t* row = reinterpret_cast<uint32_t*>(data + static_cast<ptrdiff_t>(y) * stride);
    for (int x = 0; x < cairo_image_surface_get_width(copy); ++x)
      if (row[x] == 0xFFFF00FFu) row[x] = 0, ++cleared;
  }
  cairo_surface_mark_dirty(copy);
  if (cleared) return copy;
  cairo_surface_destroy(copy);
  return nullptr;
}

}  // namespace

HBITMAP CreateBitmap(int width, int height, int, int bitsPerPixel, const unsigned char* data) {
  if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide) return nullptr;
  if (bitsPerPixel != 32 && bitsPerPixel != 24) return nullptr;
  const bool alpha = bitsPerPixel == 32;
  cairo_surface_t* s = cairo_image_surface_create(alpha ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24, width, height);
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(s);
    return nullptr;
  }
  if (data) {
    cairo_surface_flush(s);
    unsigned char* dst = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < height; ++y) {
      uint32_t* row = reinterpret_cast<uint32_t*>(dst + static_cast<ptrdiff_t>(y) * stride);
      const unsigned char* src = data + static_cast<ptrdiff_t>(y) * width * 4;
      for (int x = 0; x < width; ++x, src += 4) {
        const uint32_t a = alpha ? src[3] : 255;
        // cairo keeps colour premultiplied by alpha, rounded.
        auto pre = [a](uint32_t c) { return (c * a + 127) / 255; };
        row[x] = (a << 24) | (pre(src[2]) << 16) | (pre(src[1]) << 8) | pre(src[0]);
      }
    }
    cairo_surface_mark_dirty(s);
  }
  return NewImageObject(s);
}

HICON CreateIconIndirect(const ICONINFO* info) {
  if (!info || !info->fIcon || !IsImage(info->hbmColor)) return nullptr;
  return NewImageObject(cairo_surface_reference(info->hbmColor->image));
}

HBITMAP LoadNamedImage(const char* name, bool transparencyMask) {
  if (!name || !name[0]) return nullptr;
  cairo_surface_t* image = strchr(name, '/') ? LoadPng(name) : nullptr;
  if (!image) image = LoadFromResources(name);
  if (!image) return nullptr;
  if (transparencyMask) {
    if (cairo_surface_t* masked = WithoutMagenta(image)) {
      cairo_surface_destroy(image);
      image = masked;
    }
  }
  return NewImageObject(image);
}

void DrawImageInRect(HDC ctx, HGDIOBJ image, const RECT* r) {
  if (!GDI_IsValidContext(ctx) || !ctx->gc || !IsImage(image) || !r) return;
  const int iw = cairo_image_surface_get_width(image->image), ih = cairo_image_surface_get_height(image->image);
  const int rw = r->right - r->left, rh = r->bottom - r->top;
  if (iw <= 0 || ih <= 0 || rw <= 0 || rh <= 0) return;
  cairo_t* cr = ctx->gc;
  cairo_save(cr);
  cairo_translate(cr, r->left, r->top);
  cairo_scale(cr, static_cast<double>(rw) / iw, static_cast<double>(rh) / ih);
  cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
  cairo_set_source_surface(cr, image->image, 0, 0);
  // Edges stay sharp: samples beyond the image are its edge pixels, not transparency.
  cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
  cairo_new_path(cr);
  cairo_rectangle(cr, 0, 0, iw, ih);
  cairo_fill(cr);
  cairo_restore(cr);
}

int GetObject(HGDIOBJ obj, int size, void* out) {
  if (!IsImage(obj) || size < 8 || !out) return 0;
  memset(out, 0, static_cast<size_t>(size));
  BITMAP bm{};
  bm.bmWidth = cairo_image_surface_get_width(obj->image);
  bm.bmHeight = cairo_image_surface_get_height(obj->image);
  bm.bmWidthBytes = bm.bmWidth * 4;
  bm.bmPlanes = 1;
  bm.bmBitsPixel = 32;
  memcpy(out, &bm, size >= 24 ? 16 : 8);
  return 1;
}

cairo_surface_t* GDI_GetImageSurfaceFromHICON(HICON icon) { return IsImage(icon) ? icon->image : nullptr; }

int GetSysColor(int index) { return index >= 0 && index < 10 ? kSysColors[index] : 0; }

HIMAGELIST ImageList_CreateEx() { return new (std::nothrow) GDI_ImageList; }

int ImageList_Add(HIMAGELIST list, HBITMAP image, HBITMAP) {
  if (!list || !IsImage(image)) return -1;
  HBITMAP copy = NewImageObject(CopySurface(image->image, cairo_image_surface_get_format(image->image)));
  if (!copy) return -1;
  if (!list->images.Add(copy)) {
    DeleteObject(copy);
    return -1;
  }
  return list->images.GetSize() - 1;
}

int ImageList_ReplaceIcon(HIMAGELIST list, int index, HICON icon) {
  if (!list || !IsImage(icon)) return -1;
  HICON shared = NewImageObject(cairo_surface_reference(icon->image));
  if (!shared) return -1;
  if (index >= 0 && index < list->images.GetSize()) {
    GDI_Object** slot = list->images.GetList() + index;
    if (*slot) DeleteObject(*slot);
    *slot = shared;
    return index;
  }
  if (!list->images.Add(shared)) {
    DeleteObject(shared);
    return -1;
  }
  return list->images.GetSize() - 1;
}

int ImageList_Remove(HIMAGELIST list, int index) {
  if (!list) return 0;
  if (index < 0) {
    list->images.Empty(true, DeleteObject);
    return 1;
  }
  if (index >= list->images.GetSize()) return 0;
  GDI_Object** slot = list->images.GetList() + index;
  if (*slot) DeleteObject(*slot);
  *slot = nullptr;
  return 1;
}

void ImageList_Destroy(HIMAGELIST list) {
  if (!list) return;
  ImageList_Remove(list, -1);
  delete list;
}

int ImageList_GetImageCount(HIMAGELIST list) { return list ? list->images.GetSize() : 0; }

HICON ImageList_GetIcon(HIMAGELIST list, int index) { return list ? list->images.Get(index) : nullptr; }
