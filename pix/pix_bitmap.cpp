#include "pix/pix_bitmap.h"

#include <climits>
#include <cstdlib>

#include "gdi/gdi.h"

PIX_MemBitmap::PIX_MemBitmap(int w, int h, unsigned int linealign) {
  m_linealign = linealign < 2 ? 0 : static_cast<int>((linealign & (0u - linealign)) - 1);
  if (w > 0 && h > 0) resize(w, h);
}

PIX_MemBitmap::~PIX_MemBitmap() { free(m_buf); }

PIX_pixel* PIX_MemBitmap::getBits() const {
  if (!m_buf) return nullptr;
  const uintptr_t p = (reinterpret_cast<uintptr_t>(m_buf) + 63) & ~static_cast<uintptr_t>(63);
  return reinterpret_cast<PIX_pixel*>(p);
}

void PIX_MemBitmap::freeStorage() {
  free(m_buf);
  m_buf = nullptr;
  m_allocsize = 0;
  m_width = m_height = 0;
}

bool PIX_MemBitmap::resize(int w, int h) {
  if (w == m_width && h == m_height) return false;
  m_width = w;
  m_height = h;
  // Sizes whose byte count (with the growth margin and the alignment slack) does not fit an int
  // are refused like empty ones rather than wrapping around to a small block.
  const long long span = w > 0 ? ((static_cast<long long>(w) + m_linealign) & ~static_cast<long long>(m_linealign)) : 0;
  const long long bytes = h > 0 ? span * h * 4 : 0;
  if (w <= 0 || h <= 0 || bytes <= 0 || bytes > INT_MAX - 63) {
    freeStorage();
    return true;
  }
  const int size = static_cast<int>(bytes);
  if (m_buf && m_allocsize >= size) return true;

  if (m_buf) {
    long long grown = bytes + bytes / 4;
    if (grown > INT_MAX - 63) grown = bytes;
    void* p = realloc(m_buf, static_cast<size_t>(grown) + 63);
    if (p) {
      m_buf = p;
      m_allocsize = static_cast<int>(grown);
    } else {
      free(m_buf);
      m_buf = malloc(static_cast<size_t>(size) + 63);
      m_allocsize = m_buf ? size : 0;
    }
  } else {
    m_buf = malloc(static_cast<size_t>(size) + 63);
    m_allocsize = m_buf ? size : 0;
  }
  if (!m_buf) m_width = m_height = 0;
  return true;
}

PIX_SysBitmap::PIX_SysBitmap(int w, int h) { resize(w, h); }

PIX_SysBitmap::~PIX_SysBitmap() {
  if (m_dc) GDI_DeleteGfxContext(m_dc);
}

bool PIX_SysBitmap::resize(int w, int h) {
  if (w == m_width && h == m_height) return false;
  m_width = w;
  m_height = h;
  if (w > 0 && h > 0 && w <= m_allocw && h <= m_alloch && m_bits) return true;

  m_allocw = w > INT_MAX - 3 ? 0 : ((w + 3) & ~3);
  m_alloch = h;
  if (m_dc) GDI_DeleteGfxContext(m_dc);
  m_dc = nullptr;
  m_bits = nullptr;
  if (h <= 0 || m_allocw <= 0) {
    // No storage: report a 0 x 0 bitmap rather than a negative size.
    m_width = m_height = 0;
    m_allocw = m_alloch = 0;
    return false;
  }
  m_dc = GDI_CreateMemContext(nullptr, m_allocw, h);
  if (!m_dc) {
    m_width = m_height = 0;
    m_allocw = m_alloch = 0;
    return true;
  }
  m_bits = static_cast<PIX_pixel*>(GDI_GetCtxFrameBuffer(m_dc));
  return true;
}
