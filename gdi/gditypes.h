#pragma once
// Win32-style value types and opaque handles shared by the drawing layer and the raster library.
#include <cstdint>

struct RECT {
  int left, top, right, bottom;  // right and bottom are exclusive
};

struct POINT {
  int x, y;
};

struct GDI_Context;
struct GDI_Object;
typedef GDI_Context* HDC;
typedef GDI_Object* HGDIOBJ;
typedef HGDIOBJ HPEN;
typedef HGDIOBJ HBRUSH;
typedef HGDIOBJ HFONT;
typedef HGDIOBJ HBITMAP;
typedef HGDIOBJ HICON;
typedef void* HWND;
typedef uint32_t DWORD;
