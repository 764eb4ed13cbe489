#pragma once
// 32-bit bitmaps: one unsigned word per pixel, blue in bits 0-7, green 8-15, red 16-23 and
// straight (not premultiplied) alpha 24-31, stored little-endian so byte 0 is blue.
#include <cstdint>

#include "gdi/gditypes.h"

typedef uint32_t PIX_pixel;

#define PIX_RGBA(r, g, b, a)                                                         \
  ((PIX_pixel)(((unsigned)(b) & 0xFF) | (((unsigned)(g) & 0xFF) << 8) |              \
               (((unsigned)(r) & 0xFF) << 16) | (((unsigned)(a) & 0xFF) << 24)))
#define PIX_GETB(v) ((int)((v) & 0xFF))
#define PIX_GETG(v) ((int)(((v) >> 8) & 0xFF))
#define PIX_GETR(v) ((int)(((v) >> 16) & 0xFF))
#define PIX_GETA(v) ((int)(((v) >> 24) & 0xFF))

// Byte positions inside a pixel.
enum { PIX_BYTE_B = 0, PIX_BYTE_G = 1, PIX_BYTE_R = 2, PIX_BYTE_A = 3 };

class PIX_IBitmap {
public:
  virtual ~PIX_IBitmap() {}
  virtual PIX_pixel* getBits() const = 0;
  virtual int getWidth() const = 0;
  virtual int getHeight() const = 0;
  virtual int getRowSpan() const = 0;  // pixels from one row start to the next
  virtual bool isFlipped() const { return false; }
  // True when the size changed or the storage moved; false when it already was w x h.
  virtual bool resize(int w, int h) = 0;
  virtual HDC getDC() const { return nullptr; }
  virtual intptr_t Extended(int id, void* data) {
    (void)id;
    (void)data;
    return 0;
  }
};

// Heap-backed bitmap. Rows are padded to the line alignment and the first pixel sits on a
// 64-byte boundary. Pixels are left uninitialised by creation and growth.
class PIX_MemBitmap : public PIX_IBitmap {
public:
  PIX_MemBitmap(int w = 0, int h = 0, unsigned int linealign = 4);
  ~PIX_MemBitmap() override;
  PIX_MemBitmap(const PIX_MemBitmap&) = delete;
  PIX_MemBitmap& operator=(const PIX_MemBitmap&) = delete;

  PIX_pixel* getBits() const override;
  int getWidth() const override { return m_width; }
  int getHeight() const override { return m_height; }
  int getRowSpan() const override { return (m_width + m_linealign) & ~m_linealign; }
  bool resize(int w, int h) override;

  int getAllocatedSize() const { return m_allocsize; }

private:
  void freeStorage();

  void* m_buf = nullptr;
  int m_width = 0;
  int m_height = 0;
  int m_allocsize = 0;  // bytes of pixels the block holds, not counting the 63 spare bytes
  int m_linealign = 0;  // alignment - 1
};

// Bitmap whose pixels belong to a memory drawing context, so that cairo drawing and the raster
// routines share the same bytes. The surface only ever grows; shrinking keeps it.
class PIX_SysBitmap : public PIX_IBitmap {
public:
  PIX_SysBitmap(int w = 0, int h = 0);
  ~PIX_SysBitmap() override;
  PIX_SysBitmap(const PIX_SysBitmap&) = delete;
  PIX_SysBitmap& operator=(const PIX_SysBitmap&) = delete;

  PIX_pixel* getBits() const override { return m_bits; }
  int getWidth() const override { return m_width; }
  int getHeight() const override { return m_height; }
  int getRowSpan() const override { return m_allocw; }
  bool resize(int w, int h) override;
  HDC getDC() const override { return m_dc; }

private:
  int m_width = 0;
  int m_height = 0;
  HDC m_dc = nullptr;
  PIX_pixel* m_bits = nullptr;
  int m_allocw = 0;
  int m_alloch = 0;
};
