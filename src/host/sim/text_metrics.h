// Text measured as Wine's GDI measures it: the face a form names is mapped
// to the font GDI would use (face_table.cpp), then measured by the backend
// the build chose: FreeType hinted at the pixel size on the font file found
// through fontconfig or in Wine's own font folder (freetype_text.cpp), or on
// Windows GDI itself (src/host/win32/gdi_text.cpp).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "flexarium/win_types.h"

namespace flx::sim {

// One entry of the face table: a face forms name, what Wine's GDI takes
// for it, and why.
struct FaceMapping {
  std::string_view face;    // as forms name it (case-insensitive)
  std::string_view target;  // another entry's face, or the font itself
  // Where the target is found: a file of Wine's font folder (regular and
  // bold; empty bold = emboldened by GDI), else a fontconfig family.
  std::string_view wineFile;
  std::string_view wineBoldFile;
  // A bitmap font of which GDI takes one strike only, whatever the size
  // asked for: that strike's cell height in pixels (0: every strike).
  int onlyStrike;
};
// Every mapping; the entry with an empty face stands for faces not listed.
std::span<const FaceMapping> FaceTable();

// A font as LOGFONTW asks for it.
struct FontRequest {
  std::u16string face;
  std::int32_t height = 0;  // LOGFONTW's lfHeight
  std::int32_t weight = 400;
  bool italic = false;
  static FontRequest Of(const win::LOGFONTW& font);
};

// What a font measures at one size.
struct FontMetrics {
  win::TEXTMETRICW tm{};
  std::string file;     // the font file measured (FreeType)
  bool bitmap = false;  // a bitmap strike, not outlines
};

// A string's extent, and how many of its characters the font has no glyph
// for (measured with the font's default glyph, as GDI draws them).
struct TextExtent {
  int cx = 0;
  int cy = 0;
  int missing = 0;
};

// What measures for the TextMeasurer; safe to call from several threads.
// Both calls fail (nullopt) when no font can be found for the request.
class TextBackend {
 public:
  virtual ~TextBackend() = default;
  virtual std::optional<FontMetrics> Metrics(const FontRequest& font) = 0;
  virtual std::optional<TextExtent> Extent(const FontRequest& font,
                                           std::u16string_view text) = 0;
};
// The backend of this build: FreeType where it has FreeType, else GDI on
// Windows; null where it has neither, and then nothing is measured.
std::unique_ptr<TextBackend> MakeTextBackend();

// The process's measurements, by the build's backend (which caches them);
// safe to call from several threads. Every call fails (nullopt) when no
// font can be found for the request.
class TextMeasurer {
 public:
  static TextMeasurer& Instance();
  std::optional<FontMetrics> Metrics(const FontRequest& font);
  std::optional<TextExtent> Extent(const FontRequest& font,
                                   std::u16string_view text);
  // The face table entry a face ends at, after following aliases.
  static const FaceMapping& Resolve(std::u16string_view face);

  ~TextMeasurer();
  TextMeasurer(const TextMeasurer&) = delete;
  TextMeasurer& operator=(const TextMeasurer&) = delete;

 private:
  TextMeasurer();
  std::unique_ptr<TextBackend> backend_;  // null: nothing can be measured
};

// DrawTextW's DT_CALCRECT: the size the text needs under `format` (word
// breaks at `width` with DT_WORDBREAK, '&' prefixes unless DT_NOPREFIX,
// tabs with DT_EXPANDTABS); nullopt when the font cannot measure.
std::optional<win::SIZE> MeasureDrawText(const FontRequest& font,
                                         std::u16string_view text, int width,
                                         win::UINT format);

}  // namespace flx::sim
