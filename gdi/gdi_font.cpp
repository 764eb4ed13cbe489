// Font objects over fontconfig and FreeType (through cairo): face matching with a name cache,
// metrics, glyph lookup and registering font files.
#include <cairo-ft.h>
#include <fontconfig/fontconfig.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <algorithm>

#include "gdi/gdi-internalpool.h"
#include "gdi/gdi.h"
#include "gdi/gdi_font_internal.h"
#include "kit/assocarray.h"
#include "kit/kitcstring.h"
#include "kit/mutex.h"

namespace {

constexpr int kMaxFaceNameLen = 899;
constexpr double kDefaultSize = 10.0;
const char kDefaultFamily[] = "sans-serif";

void DestroyPattern(FcPattern*& pattern) { FcPatternDestroy(pattern); }

// Requested names (face plus " Bold" / " Italic") to the pattern fontconfig matched for them.
struct FontNameCache {
  KIT_Mutex mutex;
  KIT_StringKeyedArray<FcPattern*>* names = nullptr;
  ~FontNameCache() { delete names; }
};
FontNameCache& NameCache() {
  static FontNameCache cache;
  return cache;
}

// The pattern fontconfig chooses for a family and style: the face itself when installed, else
// its best substitute. A reference the caller releases; null when fontconfig has no fonts.
FcPattern* MatchPattern(const char* family, bool bold, bool italic) {
  FcPattern* request = FcPatternCreate();
  if (!request) return nullptr;
  if (family[0]) FcPatternAddString(request, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
  if (bold) FcPatternAddInteger(request, FC_WEIGHT, FC_WEIGHT_BOLD);
  if (italic) FcPatternAddInteger(request, FC_SLANT, FC_SLANT_ITALIC);
  FcConfigSubstitute(nullptr, request, FcMatchPattern);
  FcDefaultSubstitute(request);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, request, &result);
  FcPatternDestroy(request);
  return match;
}

FcPattern* LookUpPattern(const char* key, const char* family, bool bold, bool italic) {
  FontNameCache& cache = NameCache();
  KIT_MutexLock lock(cache.mutex);
  if (!cache.names) cache.names = new KIT_StringKeyedArray<FcPattern*>(DestroyPattern);
  FcPattern* pattern = cache.names->Get(key, nullptr);
  if (!pattern) {
    pattern = MatchPattern(family, bold, italic);
    if (!pattern) return nullptr;
    if (cache.names->Insert(key, pattern) < 0) return pattern;  // uncached: the caller owns it
  }
  FcPatternReference(pattern);
  return pattern;
}

void ReleaseFont(void* font) {
  GDI_Font* f = static_cast<GDI_Font*>(font);
  if (f->scaled) cairo_scaled_font_destroy(f->scaled);
  if (f->face) cairo_font_face_destroy(f->face);
  delete f;
}

// A font of the pattern's face at the size; null when cairo cannot make it.
GDI_Font* MakeFont(FcPattern* pattern, double size) {
  cairo_font_face_t* face = cairo_ft_font_face_create_for_pattern(pattern);
  if (!face || cairo_font_face_status(face) != CAIRO_STATUS_SUCCESS) {
    if (face) cairo_font_face_destroy(face);
    return nullptr;
  }
  cairo_matrix_t fontMatrix, identity;
  cairo_matrix_init_scale(&fontMatrix, size, size);
  cairo_matrix_init_identity(&identity);
  cairo_font_options_t* options = cairo_font_options_create();
  // Typographic (unhinted) advances, as text layout measures them.
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_scaled_font_t* scaled = cairo_scaled_font_create(face, &fontMatrix, &identity, options);
  cairo_font_options_destroy(options);
  if (cairo_scaled_font_status(scaled) != CAIRO_STATUS_SUCCESS) {
    cairo_scaled_font_destroy(scaled);
    cairo_font_face_destroy(face);
    return nullptr;
  }
  GDI_Font* font = new (std::nothrow) GDI_Font{face, scaled, size, {}};
  if (!font) {
    cairo_scaled_font_destroy(scaled);
    cairo_font_face_destroy(face);
    return nullptr;
  }
  FcChar8* name = nullptr;
  if (FcPatternGetString(pattern, FC_FULLNAME, 0, &name) != FcResultMatch)
    FcPatternGetString(pattern, FC_FAMILY, 0, &name);
  if (name) KIT_CopyString(font->displayName, sizeof font->displayName, reinterpret_cast<const char*>(name));
  return font;
}

GDI_Font* MakeDefaultFont(double size) {
  FcPattern* pattern = LookUpPattern(kDefaultFamily, kDefaultFamily, false, false);
  if (!pattern) return nullptr;
  GDI_Font* font = MakeFont(pattern, size);
  FcPatternDestroy(pattern);
  return font;
}

// Made once and kept until the library unloads.
struct DefaultFontHolder {
  GDI_Font* const font = MakeDefaultFont(kDefaultSize);
  ~DefaultFontHolder() {
    if (font) ReleaseFont(font);
  }
};

const GDI_Font* DefaultFont() {
  static DefaultFontHolder holder;
  return holder.font;
}

}  // namespace

void GDI_EnsureStaticState() {
  GDI_PooledObjectCount();
  NameCache();
}

const GDI_Font* GDI_FontOfContext(HDC ctx) {
  if (GDI_IsValidContext(ctx) && GDI_IsValidObject(ctx->curfont) && ctx->curfont->type == GDI_TYPE_FONT &&
      ctx->curfont->font)
    return static_cast<const GDI_Font*>(ctx->curfont->font);
  return DefaultFont();
}

HFONT CreateFont(int height, int width, int, int orientation, int weight, char italic, char, char, char, char,
                 char, char quality, char, const char* face) {
  double size = std::abs(static_cast<double>(height ? height : width));
  if (size > 8192 || size < 2) size = kDefaultSize;

  char family[kMaxFaceNameLen + 1] = "";
  if (face) KIT_CopyString(family, sizeof family, face);
  const bool bold = weight >= FW_BOLD, slanted = italic != 0;
  char key[sizeof family + 16];
  KIT_CopyString(key, sizeof key, family);
  if (bold) KIT_AppendString(key, sizeof key, " Bold");
  if (slanted) KIT_AppendString(key, sizeof key, " Italic");

  GDI_Font* font = nullptr;
  if (FcPattern* pattern = LookUpPattern(key, family, bold, slanted)) {
    font = MakeFont(pattern, size);
    FcPatternDestroy(pattern);
  }
  if (!font) font = MakeDefaultFont(size);
  if (!font) return nullptr;

  GDI_Object* obj = GDI_NewObject();
  if (!obj) {
    ReleaseFont(font);
    return nullptr;
  }
  obj->type = GDI_TYPE_FONT;
  obj->rotation = orientation / 10;
  obj->font = font;
  obj->fontRelease = ReleaseFont;
  obj->quality = quality == 3 ? 3 : quality == 4 ? 4 : 0;
  return obj;
}

HFONT CreateFontIndirect(const LOGFONT* lf) {
  if (!lf) return nullptr;
  return CreateFont(lf->lfHeight, lf->lfWidth, 0, lf->lfOrientation, lf->lfWeight, lf->lfItalic, 0, 0, 0, 0, 0,
                    lf->lfQuality, 0, lf->lfFaceName);
}

// The font's vertical measures, as text layout uses them: the line gap is the leading.
void GDI_FontLineMetrics(const GDI_Font* font, double* ascent, double* descent, double* leading) {
  cairo_font_extents_t extents;
  cairo_scaled_font_extents(font->scaled, &extents);
  *ascent = extents.ascent;
  *descent = extents.descent;
  *leading = std::max(0.0, extents.height - extents.ascent - extents.descent);
}

int GetTextMetrics(HDC ctx, TEXTMETRIC* tm) {
  if (!tm) return 0;
  tm->tmHeight = 16;
  tm->tmAscent = 12;
  tm->tmDescent = 4;
  tm->tmInternalLeading = 3;
  tm->tmAveCharWidth = 10;
  if (!GDI_IsValidContext(ctx)) return 0;
  const GDI_Font* font = GDI_FontOfContext(ctx);
  if (!font) return 1;
  double ascent, descent, leading;
  GDI_FontLineMetrics(font, &ascent, &descent, &leading);
  tm->tmInternalLeading = static_cast<int>(leading);
  tm->tmAscent = static_cast<int>(ascent);
  tm->tmDescent = static_cast<int>(descent);
  const double total = ascent + descent + leading;
  tm->tmHeight = static_cast<int>(total) + (total != 0 ? 1 : 0);
  tm->tmAveCharWidth = static_cast<int>(total * 2 / 3);
  return 1;
}

int GetTextFace(HDC ctx, int size, char* buffer) {
  if (!GDI_IsValidContext(ctx) || !buffer || size <= 0) return 0;
  const GDI_Font* font = GDI_FontOfContext(ctx);
  KIT_CopyString(buffer, static_cast<size_t>(size), font ? font->displayName : "");
  return static_cast<int>(strlen(buffer));
}

int GetGlyphIndicesW(HDC ctx, const wchar_t* text, int n, unsigned short* glyphs, int flags) {
  if (!GDI_IsValidContext(ctx) || !text || !glyphs || n <= 0) return 0;
  const GDI_Font* font = GDI_FontOfContext(ctx);
  FT_Face face = font ? cairo_ft_scaled_font_lock_face(font->scaled) : nullptr;
  bool all = face != nullptr;
  for (int i = 0; i < n && all; ++i) {
    const FT_UInt index = FT_Get_Char_Index(face, static_cast<FT_ULong>(text[i]));
    all = index != 0 && index <= 0xFFFF;
    glyphs[i] = static_cast<unsigned short>(index);
  }
  if (face) cairo_ft_scaled_font_unlock_face(font->scaled);
  if (all) return n;
  for (int i = 0; i < n; ++i) glyphs[i] = flags == 1 ? 0xFFFF : 0;
  return 0;
}

int AddFontResourceEx(const char* path, unsigned, void*) {
  // fontconfig registers application fonts for this process, whichever scope was asked for.
  if (!path || !path[0] || !FcConfigAppFontAddFile(nullptr, reinterpret_cast<const FcChar8*>(path))) return 0;
  // Names matched before may have a better face now.
  FontNameCache& cache = NameCache();
  KIT_MutexLock lock(cache.mutex);
  delete cache.names;
  cache.names = nullptr;
  return 1;
}
