#pragma once
// The small records the editor passes around: rectangles, colours, text styles, image handles,
// blend settings and mouse modifiers.
#include "pix/pix_bitmap.h"

class PIX_CachedFont;

// Editor pixels, y growing downward; right and bottom are exclusive. All zero means empty.
struct IRECT {
  int L = 0, T = 0, R = 0, B = 0;

  IRECT() = default;
  IRECT(int l, int t, int r, int b) : L(l), T(t), R(r), B(b) {}

  bool Empty() const { return L == 0 && T == 0 && R == 0 && B == 0; }
  int W() const { return R - L; }
  int H() const { return B - T; }
  bool operator==(const IRECT& o) const { return L == o.L && T == o.T && R == o.R && B == o.B; }
  bool operator!=(const IRECT& o) const { return !(*this == o); }

  // An empty side takes the other; otherwise the bounding box of both.
  void Union(const IRECT& o) {
    if (Empty()) {
      *this = o;
    } else if (!o.Empty()) {
      if (o.L < L) L = o.L;
      if (o.T < T) T = o.T;
      if (o.R > R) R = o.R;
      if (o.B > B) B = o.B;
    }
  }
  // Deliberately lopsided: touching our right or bottom edge counts, touching our left or top
  // does not.
  bool Intersects(const IRECT& o) const {
    return !Empty() && !o.Empty() && R >= o.L && L < o.R && B >= o.T && T < o.B;
  }
  bool Contains(int x, int y) const { return !Empty() && x >= L && x < R && y >= T && y < B; }
  // The overlap when the two intersect (by the rule above), else the empty rectangle.
  IRECT Intersection(const IRECT& o) const {
    if (!Intersects(o)) return IRECT();
    return IRECT(L > o.L ? L : o.L, T > o.T ? T : o.T, R < o.R ? R : o.R, B < o.B ? B : o.B);
  }
};

struct IColor {
  int A = 255, R = 0, G = 0, B = 0;

  IColor() = default;
  IColor(int a, int r, int g, int b) : A(a), R(r), G(g), B(b) {}
  // The raster library's pixel word.
  PIX_pixel Pixel() const {
    return (static_cast<PIX_pixel>(A) << 24) | ((static_cast<PIX_pixel>(R) & 0xFF) << 16) |
           ((static_cast<PIX_pixel>(G) & 0xFF) << 8) | (static_cast<PIX_pixel>(B) & 0xFF);
  }
  static IColor FromPixel(PIX_pixel p) {
    return IColor(PIX_GETA(p), PIX_GETR(p), PIX_GETG(p), PIX_GETB(p));
  }
  bool operator==(const IColor& o) const { return A == o.A && R == o.R && G == o.G && B == o.B; }
  bool operator!=(const IColor& o) const { return !(*this == o); }
};

extern const IColor COLOR_TRANSPARENT, COLOR_BLACK, COLOR_GRAY, COLOR_WHITE, COLOR_RED, COLOR_GREEN,
    COLOR_BLUE, COLOR_YELLOW, COLOR_ORANGE;
extern const IColor DEFAULT_TEXT_COLOR, DEFAULT_TEXT_ENTRY_BGCOLOR, DEFAULT_TEXT_ENTRY_FGCOLOR;

// A text style. Styles that differ only in colour, alignment or quality share one raster font.
struct IText {
  enum EStyle { kStyleNormal = 0, kStyleBold, kStyleItalic };
  enum EAlign { kAlignNear = 0, kAlignCenter, kAlignFar };
  enum EQuality { kQualityDefault = 0, kQualityNonAntiAliased, kQualityAntiAliased, kQualityClearType };
  static constexpr int kFontNameLen = 32;

  char mFont[kFontNameLen] = "Monaco";
  int mSize = 10;
  IColor mColor = IColor(255, 0, 0, 0);
  IColor mTextEntryBGColor = IColor(255, 255, 255, 255);
  IColor mTextEntryFGColor = IColor(255, 0, 0, 0);
  int mStyle = kStyleNormal;
  int mAlign = kAlignCenter;
  int mOrientation = 0;  // degrees
  int mQuality = kQualityDefault;
  // Borrowed from the process-wide font store; null until first use.
  PIX_CachedFont* mCached = nullptr;

  IText() = default;
  IText(int size, const IColor* color = nullptr, const char* font = nullptr, int style = kStyleNormal,
        int align = kAlignCenter, int orientation = 0, int quality = kQualityDefault);
};

// A handle on an image the bitmap store owns. Copying copies the handle, not the pixels.
struct IBitmap {
  PIX_IBitmap* mData = nullptr;
  int W = 0, H = 0;
  int N = 0;                            // frames
  bool mFramesAreHorizontal = false;    // side by side, else stacked

  IBitmap() = default;
  IBitmap(PIX_IBitmap* data, int w, int h, int n = 1, bool horizontal = false)
      : mData(data), W(w), H(h), N(n), mFramesAreHorizontal(horizontal) {}

  int FrameWidth() const { return mFramesAreHorizontal && N > 0 ? W / N : W; }
  int FrameHeight() const { return !mFramesAreHorizontal && N > 0 ? H / N : H; }
};

struct IChannelBlend {
  enum EBlendMethod { kBlendMethodAlpha = 0, kBlendMethodCopy, kBlendMethodAdd, kBlendMethodDodge };

  int mMethod = kBlendMethodAlpha;
  float mWeight = 1.0f;

  IChannelBlend() = default;
  explicit IChannelBlend(int method, float weight = 1.0f) : mMethod(method), mWeight(weight) {}
};

// The raster mode word and opacity a blend stands for; a missing blend is alpha at full weight.
int BlendMode(const IChannelBlend* blend);
inline float BlendWeight(const IChannelBlend* blend) { return blend ? blend->mWeight : 1.0f; }

struct IMouseMod {
  bool L = false, R = false, S = false, C = false, A = false;

  IMouseMod() = default;
  IMouseMod(bool l, bool r = false, bool s = false, bool c = false, bool a = false)
      : L(l), R(r), S(s), C(c), A(a) {}
};

enum EDirection { kVertical = 0, kHorizontal = 1 };

// The key codes OnKeyDown receives, whatever the platform.
enum EKeyCode {
  kKeySpace = 0,
  kKeyUpArrow,
  kKeyDownArrow,
  kKeyLeftArrow,
  kKeyRightArrow,
  kKeyDigit0,
  kKeyDigit9 = kKeyDigit0 + 9,
  kKeyAlphaA,
  kKeyAlphaZ = kKeyAlphaA + 25,
};
enum EFileAction { kFileOpen = 0, kFileSave = 1 };
