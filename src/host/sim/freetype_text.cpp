// The FreeType backend of the text measurer: text metrics from real fonts,
// as Wine's GDI computes them. The pixel size is |lfHeight| (a positive
// height is the cell, scaled by the OS/2 Windows ascent and descent), glyphs
// are hinted at that size with FreeType's default interpreter, and an
// advance is the hinted advance rounded to whole pixels. A string is the sum
// of its advances: GDI's GetTextExtentPoint32W applies no kerning.
#if FLEXARIUM_HAVE_FREETYPE

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <tuple>

#include "flexarium/sysutils.h"
#include "flexarium/winapi.h"
#include "host/sim/text_metrics.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

namespace flx::sim {

using namespace win;

namespace {

// Whether Windows-1252 has the character: what GDI draws of a bitmap font
// (its strikes are of that code page, whatever else the file's character
// map lists); control characters it draws as the default character too.
bool InWindows1252(char32_t c) {
  if (c >= 0x20 && c < 0x7F) return true;
  if (c >= 0xA0 && c <= 0xFF) return true;
  static constexpr char32_t kUpper[] = {
      0x20AC, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030,
      0x0160, 0x2039, 0x0152, 0x017D, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x017E, 0x0178};
  return std::find(std::begin(kUpper), std::end(kUpper), c) != std::end(kUpper);
}

// Wine's own fonts: FLEXARIUM_WINE_FONTS, else where Debian's fonts-wine
// puts them.
std::filesystem::path WineFontDir() {
  const char* env = std::getenv("FLEXARIUM_WINE_FONTS");
  return env != nullptr && *env != '\0' ? env : "/usr/share/wine/fonts";
}

struct LoadedFont {
  FT_Face face = nullptr;
  std::string file;
  bool fakeBold = false;
  bool bitmap = false;
  int onlyStrike = 0;  // FaceMapping::onlyStrike
};

class FreeTypeBackend final : public TextBackend {
 public:
  ~FreeTypeBackend() override;
  std::optional<FontMetrics> Metrics(const FontRequest& request) override;
  std::optional<TextExtent> Extent(const FontRequest& request,
                                   std::u16string_view text) override;

 private:
  std::mutex mutex;
  FT_Library library = nullptr;
  bool fontconfigReady = false;
  // Fonts by (resolved face, bold, italic); a null face when none is found.
  std::map<std::tuple<std::string, bool, bool>, LoadedFont> fonts;
  // Advances by (font, pixel size, character), metrics by (font, size).
  std::map<std::tuple<FT_Face, int, FT_UInt>, int> advances;
  std::map<std::pair<FT_Face, int>, TEXTMETRICW> metrics;

  std::string FontconfigFile(std::string_view family, bool bold, bool italic,
                             int* index, bool* fakeBold) {
    if (!fontconfigReady) {
      if (FcInit() == FcFalse) return {};
      fontconfigReady = true;
    }
    FcPattern* pattern = FcPatternCreate();
    const std::string name(family);
    FcPatternAddString(pattern, FC_FAMILY,
                       reinterpret_cast<const FcChar8*>(name.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT,
                        bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT,
                        italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    std::string file;
    if (match != nullptr) {
      FcChar8* path = nullptr;
      int weight = FC_WEIGHT_REGULAR;
      if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch) {
        file = reinterpret_cast<const char*>(path);
      }
      FcPatternGetInteger(match, FC_INDEX, 0, index);
      FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
      *fakeBold = bold && weight < FC_WEIGHT_DEMIBOLD;
      FcPatternDestroy(match);
    }
    return file;
  }

  const LoadedFont& Load(const FontRequest& request) {
    const FaceMapping& mapping = TextMeasurer::Resolve(request.face);
    const bool bold = request.weight >= 600;
    const auto key =
        std::make_tuple(std::string(mapping.face), bold, request.italic);
    if (auto it = fonts.find(key); it != fonts.end()) return it->second;
    LoadedFont font;
    if (library == nullptr && FT_Init_FreeType(&library) != 0) {
      library = nullptr;
      return fonts[key];
    }
    int index = 0;
    if (!mapping.wineFile.empty()) {
      const bool ownBold = bold && !mapping.wineBoldFile.empty();
      font.file = (WineFontDir() / std::string(ownBold ? mapping.wineBoldFile
                                                       : mapping.wineFile))
                      .string();
      font.fakeBold = bold && !ownBold;
      if (!std::filesystem::exists(font.file)) font.file.clear();
    } else {
      font.file = FontconfigFile(mapping.target, bold, request.italic, &index,
                                 &font.fakeBold);
    }
    if (!font.file.empty() &&
        FT_New_Face(library, font.file.c_str(), index, &font.face) != 0) {
      font.face = nullptr;
    }
    if (font.face != nullptr) {
      font.bitmap = !FT_IS_SCALABLE(font.face);
      font.onlyStrike = font.bitmap ? mapping.onlyStrike : 0;
    }
    return fonts[key] = font;
  }

  // The pixel size GDI realises for lfHeight: a negative height is the em,
  // a positive one the cell (ascent plus descent), 0 a cell of 16.
  static int Ppem(FT_Face face, std::int32_t height) {
    // FreeType takes pixel sizes up to 0xFFFF; a larger height (down to
    // the Integer minimum, whose negation would overflow) is held there.
    if (height < 0) return height < -0xFFFF ? 0xFFFF : -height;
    if (height == 0) height = 16;
    if (!FT_IS_SCALABLE(face)) {
      // A cell height picks the tallest strike that fits in it.
      int best = -1;
      int bestHeight = 0;
      for (int i = 0; i < face->num_fixed_sizes; ++i) {
        const int h = face->available_sizes[i].height;
        if (h <= height && h > bestHeight) {
          best = i;
          bestHeight = h;
        }
      }
      if (best < 0 || FT_Select_Size(face, best) != 0) return height;
      return static_cast<int>((face->size->metrics.ascender + 32) >> 6);
    }
    const auto* os2 =
        static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    long cell = os2 != nullptr ? os2->usWinAscent + os2->usWinDescent : 0;
    if (cell == 0) cell = face->ascender - face->descender;
    if (cell <= 0 || face->units_per_EM == 0) return height;
    return std::max(
        1, flx::MulDiv(height, face->units_per_EM, static_cast<int>(cell)));
  }

  // A bitmap font has fixed strikes. GDI matches the character height
  // asked for against a strike's ascent (its cell less the internal
  // leading, which these strikes put below the baseline): the strike of
  // that height, else the tallest below it, else the smallest.
  static bool SelectSize(const LoadedFont& font, int ppem) {
    if (!font.bitmap) return FT_Set_Pixel_Sizes(font.face, 0, ppem) == 0;
    FT_Face face = font.face;
    if (face->num_fixed_sizes <= 0) return false;
    int best = -1, bestSize = 0, smallest = -1, smallestSize = 0;
    for (int i = 0; i < face->num_fixed_sizes; ++i) {
      if (font.onlyStrike > 0 &&
          face->available_sizes[i].height != font.onlyStrike) {
        continue;
      }
      if (FT_Select_Size(face, i) != 0) continue;
      const int size =
          static_cast<int>((face->size->metrics.ascender + 32) >> 6);
      if (size <= ppem && (best < 0 || size > bestSize)) {
        best = i;
        bestSize = size;
      }
      if (smallest < 0 || size < smallestSize) {
        smallest = i;
        smallestSize = size;
      }
    }
    const int chosen = best >= 0 ? best : smallest;
    return chosen >= 0 && FT_Select_Size(face, chosen) == 0;
  }

  // Past its tallest strike GDI draws a bitmap font at a whole multiple of
  // it: the character height over the strike's cell, rounded half down
  // (measured under Wine: MS Sans Serif's 20-pixel strike serves 16 to 30
  // pixels at 1x, 32 to 48 at 2x, 53 and 64 at 3x). Needs the strike
  // selected.
  static int BitmapScale(const LoadedFont& font, int ppem) {
    if (!font.bitmap) return 1;
    const int cell =
        static_cast<int>((font.face->size->metrics.height + 32) >> 6);
    if (cell <= 0) return 1;
    return std::max(1, (ppem + cell / 2 - 1) / cell);
  }

  std::optional<TEXTMETRICW> Metrics(const LoadedFont& font, int ppem) {
    if (auto it = metrics.find({font.face, ppem}); it != metrics.end()) {
      return it->second;
    }
    if (!SelectSize(font, ppem)) return std::nullopt;
    FT_Face face = font.face;
    TEXTMETRICW tm{};
    const auto* os2 =
        static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    const auto* hhea = static_cast<const TT_HoriHeader*>(
        FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
    const int upem = face->units_per_EM;
    auto scaled = [&](long units) {
      return upem > 0 ? static_cast<LONG>((units * ppem + upem / 2) / upem) : 0;
    };
    int em = ppem;
    if (font.bitmap) {
      // A strike carries its own metrics.
      const FT_Size_Metrics& m = face->size->metrics;
      em = static_cast<int>((m.ascender + 32) >> 6);
      tm.tmAscent = static_cast<LONG>((m.ascender + 32) >> 6);
      tm.tmDescent = static_cast<LONG>((-m.descender + 32) >> 6);
      tm.tmMaxCharWidth = static_cast<LONG>((m.max_advance + 32) >> 6);
      tm.tmAveCharWidth =
          os2 != nullptr && upem > 0
              ? static_cast<LONG>((os2->xAvgCharWidth * em + upem / 2) / upem)
              : tm.tmMaxCharWidth;
    } else {
      const bool winMetrics =
          os2 != nullptr && os2->usWinAscent + os2->usWinDescent > 0;
      tm.tmAscent = scaled(winMetrics ? os2->usWinAscent : face->ascender);
      tm.tmDescent = scaled(winMetrics ? os2->usWinDescent : -face->descender);
      tm.tmAveCharWidth = os2 != nullptr ? scaled(os2->xAvgCharWidth) : 0;
      tm.tmMaxCharWidth = scaled(face->bbox.xMax - face->bbox.xMin);
      tm.tmExternalLeading = hhea != nullptr ? scaled(hhea->Line_Gap) : 0;
    }
    if (const int scale = BitmapScale(font, ppem); scale > 1) {
      tm.tmAscent *= scale;
      tm.tmDescent *= scale;
      tm.tmAveCharWidth *= scale;
      tm.tmMaxCharWidth *= scale;
      em *= scale;
    }
    tm.tmHeight = tm.tmAscent + tm.tmDescent;
    tm.tmInternalLeading = std::max<LONG>(0, tm.tmHeight - em);
    if (tm.tmAveCharWidth == 0) tm.tmAveCharWidth = (em + 1) / 2;
    tm.tmWeight = (face->style_flags & FT_STYLE_FLAG_BOLD) || font.fakeBold
                      ? FW_BOLD
                      : FW_NORMAL;
    if (font.fakeBold) {
      ++tm.tmAveCharWidth;
      ++tm.tmMaxCharWidth;
    }
    tm.tmDigitizedAspectX = tm.tmDigitizedAspectY = 96;
    tm.tmFirstChar = 0x20;
    tm.tmLastChar = 0xFFFC;
    tm.tmDefaultChar = 0x1F;
    tm.tmBreakChar = 0x20;
    tm.tmCharSet = DEFAULT_CHARSET;
    metrics[{font.face, ppem}] = tm;
    return tm;
  }

  // One character's advance in whole pixels; -1 when the glyph cannot be
  // loaded. `missing` tells that the font has no glyph for it.
  int Advance(const LoadedFont& font, int ppem, char32_t c, bool* missing) {
    FT_UInt glyph =
        font.bitmap && !InWindows1252(c) ? 0 : FT_Get_Char_Index(font.face, c);
    *missing = glyph == 0;
    // A bitmap font draws what it lacks as its default character, the box
    // it has at U+0080 (measured under Wine: Cyrillic and tabs in MS Sans
    // Serif); an outline font as its .notdef glyph.
    if (glyph == 0 && font.bitmap) glyph = FT_Get_Char_Index(font.face, 0x80);
    const auto key = std::make_tuple(font.face, ppem, glyph);
    auto it = advances.find(key);
    if (it != advances.end()) return it->second;
    if (!SelectSize(font, ppem)) return -1;
    // GDI never takes Tahoma's embedded bitmaps for its widths, so the
    // outlines are loaded even where a strike exists.
    const FT_Int32 flags = font.bitmap
                               ? FT_LOAD_DEFAULT
                               : FT_LOAD_TARGET_NORMAL | FT_LOAD_NO_BITMAP;
    if (FT_Load_Glyph(font.face, glyph, flags) != 0) return -1;
    int advance = static_cast<int>((font.face->glyph->advance.x + 32) >> 6) *
                  BitmapScale(font, ppem);
    // GDI's emboldening widens each glyph by a pixel.
    if (font.fakeBold) ++advance;
    advances.emplace(key, advance);
    return advance;
  }
};

FreeTypeBackend::~FreeTypeBackend() {
  for (auto& [key, font] : fonts) {
    if (font.face != nullptr) FT_Done_Face(font.face);
  }
  if (library != nullptr) FT_Done_FreeType(library);
}

std::optional<FontMetrics> FreeTypeBackend::Metrics(
    const FontRequest& request) {
  std::lock_guard lock(mutex);
  const LoadedFont& font = Load(request);
  if (font.face == nullptr) return std::nullopt;
  const auto tm = Metrics(font, Ppem(font.face, request.height));
  if (!tm) return std::nullopt;
  FontMetrics m;
  m.tm = *tm;
  m.tm.tmItalic = request.italic ? 1 : 0;
  m.file = font.file;
  m.bitmap = font.bitmap;
  return m;
}

std::optional<TextExtent> FreeTypeBackend::Extent(const FontRequest& request,
                                                  std::u16string_view text) {
  std::lock_guard lock(mutex);
  const LoadedFont& font = Load(request);
  if (font.face == nullptr) return std::nullopt;
  const int ppem = Ppem(font.face, request.height);
  const auto tm = Metrics(font, ppem);
  if (!tm) return std::nullopt;
  TextExtent e;
  e.cy = tm->tmHeight;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    // A surrogate pair is one character; a lone surrogate has no glyph.
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() &&
        text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    }
    bool missing = false;
    const int advance = Advance(font, ppem, c, &missing);
    if (advance < 0) return std::nullopt;
    e.cx += advance;
    if (missing) ++e.missing;
  }
  return e;
}

}  // namespace

std::unique_ptr<TextBackend> MakeTextBackend() {
  return std::make_unique<FreeTypeBackend>();
}

}  // namespace flx::sim

#endif
