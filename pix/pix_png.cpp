#include "pix/pix_png.h"

#include <png.h>

#include <cstdio>
#include <cstring>
#include <new>

#include "kit/heapbuf.h"
#include "pix/pix_loops.h"

namespace {

struct MemoryInput {
  const unsigned char* p;
  size_t left;
};

// Reading past the end of the block fails at once: libpng skips a chunk it does not know by
// reading all of its declared length, and zeros standing in for the missing bytes would let a few
// bytes claiming a 2 GB chunk keep it busy for seconds.
void ReadMemory(png_structp png, png_bytep out, size_t n) {
  MemoryInput* in = static_cast<MemoryInput*>(png_get_io_ptr(png));
  const size_t k = n < in->left ? n : in->left;
  if (k) memcpy(out, in->p, k);
  in->p += k;
  in->left -= k;
  if (k < n) {
    memset(out + k, 0, n - k);
    png_error(png, "read past the end of the data");
  }
}

// libpng's own handlers print; failures here are silent and reported by a null result.
void QuietError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void QuietWarning(png_structp, png_const_charp) {}

// What must outlive a jump out of libpng: kept in the caller's frame, not in the frame that
// calls setjmp.
struct Decode {
  png_structp png = nullptr;
  png_infop info = nullptr;
  PIX_IBitmap* target = nullptr;
  PIX_IBitmap* created = nullptr;
  KIT_TypedBuf<png_bytep> rows;
};

// Asks libpng for 4 bytes per pixel in the bitmap's memory order: blue, green, red, alpha, with
// opaque alpha added where the image has none.
void RequestBGRA(png_structp png, png_infop info, int colorType, int depth) {
  if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colorType == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
  if (png_get_valid(png, info, PNG_INFO_tRNS)) {
    png_set_tRNS_to_alpha(png);
    colorType |= PNG_COLOR_MASK_ALPHA;
  }
  if (depth == 16) png_set_strip_16(png);
  if (depth < 8) png_set_packing(png);
  if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
  png_set_bgr(png);
  if (!(colorType & PNG_COLOR_MASK_ALPHA)) png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
}

// Everything that may jump back out of libpng. True with the image in st.target.
bool Run(Decode& st) {
  if (setjmp(png_jmpbuf(st.png))) return false;
  png_read_info(st.png, st.info);
  png_uint_32 w = 0, h = 0;
  int depth = 0, colorType = 0, interlace = 0, compression = 0, filter = 0;
  png_get_IHDR(st.png, st.info, &w, &h, &depth, &colorType, &interlace, &compression, &filter);
  if (w == 0 || h == 0 || w > PIX_PNG_MAX_SIDE || h > PIX_PNG_MAX_SIDE ||
      static_cast<unsigned long long>(w) * h > PIX_PNG_MAX_PIXELS)
    return false;
  RequestBGRA(st.png, st.info, colorType, depth);
  png_read_update_info(st.png, st.info);
  // The rows are decoded straight into the bitmap, which has room for exactly this.
  if (png_get_rowbytes(st.png, st.info) != static_cast<size_t>(w) * 4) return false;

  const int iw = static_cast<int>(w), ih = static_cast<int>(h);
  if (!st.target) {
    st.created = new (std::nothrow) PIX_MemBitmap(iw, ih, 4);
    st.target = st.created;
    if (!st.target) return false;
  } else {
    st.target->resize(iw, ih);
  }
  pix::Surface s;
  if (!pix::GetSurface(st.target, s) || s.w != iw || s.h != ih) return false;
  png_bytep* rows = st.rows.Resize(ih);
  if (!rows || st.rows.GetSize() < ih) return false;
  for (int y = 0; y < ih; ++y) rows[y] = reinterpret_cast<png_bytep>(s.row(y));
  png_read_image(st.png, rows);
  return true;
}

PIX_IBitmap* Load(FILE* file, MemoryInput* mem, PIX_IBitmap* bmp) {
  Decode st;
  st.target = bmp;
  st.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, QuietError, QuietWarning);
  if (st.png) st.info = png_create_info_struct(st.png);
  bool ok = false;
  if (st.info) {
    png_set_user_limits(st.png, PIX_PNG_MAX_SIDE, PIX_PNG_MAX_SIDE);
    if (file) png_init_io(st.png, file);
    else png_set_read_fn(st.png, mem, ReadMemory);
    ok = Run(st);
  }
  png_destroy_read_struct(st.png ? &st.png : nullptr, st.info ? &st.info : nullptr, nullptr);
  if (ok) return st.target;
  delete st.created;
  return nullptr;
}

}  // namespace

PIX_IBitmap* PIX_LoadPNG(const char* filename, PIX_IBitmap* bmp) {
  if (!filename) return nullptr;
  FILE* f = fopen(filename, "rb");
  if (!f) return nullptr;
  PIX_IBitmap* r = Load(f, nullptr, bmp);
  fclose(f);
  return r;
}

PIX_IBitmap* PIX_LoadPNGFromMemory(const void* data, int length, PIX_IBitmap* bmp) {
  if (!data || length < 8 || png_sig_cmp(static_cast<png_const_bytep>(data), 0, 8) != 0) return nullptr;
  MemoryInput in = {static_cast<const unsigned char*>(data), static_cast<size_t>(length)};
  return Load(nullptr, &in, bmp);
}

PIX_IBitmap* PIX_LoadPNGFromResource(void*, const char*, PIX_IBitmap*) { return nullptr; }
