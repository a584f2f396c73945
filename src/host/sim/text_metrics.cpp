// The simulated desktop's text measurer: the face table followed to the
// face Wine's GDI takes, the measuring left to the backend this build has
// (freetype_text.cpp, or GDI in the native layer on Windows), and DrawTextW's
// line breaking on top of the measured extents.
#include "host/sim/text_metrics.h"

#include <algorithm>
#include <cctype>

#include "flexarium/winapi.h"

namespace flx::sim {

using namespace win;

FontRequest FontRequest::Of(const LOGFONTW& font) {
  FontRequest r;
  const auto* end =
      std::find(std::begin(font.lfFaceName), std::end(font.lfFaceName), u'\0');
  r.face.assign(font.lfFaceName, end);
  r.height = font.lfHeight;
  r.weight = font.lfWeight;
  r.italic = font.lfItalic != 0;
  return r;
}

namespace {

bool SameFace(std::u16string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] > 0x7F) return false;
    const int x = std::tolower(static_cast<unsigned char>(a[i]));
    const int y = std::tolower(static_cast<unsigned char>(b[i]));
    if (x != y) return false;
  }
  return true;
}

}  // namespace

const FaceMapping& TextMeasurer::Resolve(std::u16string_view face) {
  const auto table = FaceTable();
  const FaceMapping* entry = &table.back();
  for (const auto& m : table) {
    if (!m.face.empty() && SameFace(face, m.face)) entry = &m;
  }
  // Aliases end at an entry that names itself; the table has no cycles,
  // and the bound keeps a bad edit from looping.
  for (int hops = 0; hops < 8 && entry->target != entry->face; ++hops) {
    const FaceMapping* next = &table.back();
    for (const auto& m : table) {
      if (m.face == entry->target) next = &m;
    }
    if (next == entry) break;
    entry = next;
  }
  return *entry;
}

// ---- The measurer

#if !FLEXARIUM_HAVE_FREETYPE && !FLEXARIUM_GDI_TEXT
// A build with neither FreeType nor GDI measures nothing.
std::unique_ptr<TextBackend> MakeTextBackend() { return nullptr; }
#endif

TextMeasurer::TextMeasurer() : backend_(MakeTextBackend()) {}
TextMeasurer::~TextMeasurer() = default;

std::optional<FontMetrics> TextMeasurer::Metrics(const FontRequest& request) {
  if (!backend_) return std::nullopt;
  return backend_->Metrics(request);
}

std::optional<TextExtent> TextMeasurer::Extent(const FontRequest& request,
                                               std::u16string_view text) {
  if (!backend_) return std::nullopt;
  return backend_->Extent(request, text);
}

TextMeasurer& TextMeasurer::Instance() {
  static TextMeasurer measurer;
  return measurer;
}

// ---- DrawTextW's measuring

namespace {

// The text as drawn: '&' marks the next character as a mnemonic and "&&"
// draws one '&', unless DT_NOPREFIX.
std::u16string WithoutPrefixes(std::u16string_view text, UINT format) {
  if (format & DT_NOPREFIX) return std::u16string(text);
  std::u16string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'&' && i + 1 < text.size())
      ++i;
    else if (text[i] == u'&')
      continue;
    out += text[i];
  }
  return out;
}

}  // namespace

std::optional<SIZE> MeasureDrawText(const FontRequest& font,
                                    std::u16string_view text, int width,
                                    UINT format) {
  auto& measurer = TextMeasurer::Instance();
  const auto metrics = measurer.Metrics(font);
  if (!metrics) return std::nullopt;
  const int lineHeight = metrics->tm.tmHeight;
  const int tab = 8 * metrics->tm.tmAveCharWidth;
  const std::u16string shown = WithoutPrefixes(text, format);
  bool failed = false;
  // A run's width; tabs stop at multiples of eight average characters.
  auto widthOf = [&](std::u16string_view run) {
    int x = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= run.size(); ++i) {
      if (i < run.size() && !(run[i] == u'\t' && (format & DT_EXPANDTABS))) {
        continue;
      }
      const auto e = measurer.Extent(font, run.substr(start, i - start));
      if (!e) {
        failed = true;
        return 0;
      }
      x += e->cx;
      if (i < run.size() && tab > 0) x = (x / tab + 1) * tab;
      start = i + 1;
    }
    return x;
  };
  if (format & DT_SINGLELINE) {
    std::u16string line = shown;
    std::replace(line.begin(), line.end(), u'\n', u' ');
    std::erase(line, u'\r');
    const int w = widthOf(line);
    if (failed) return std::nullopt;
    return SIZE{w, lineHeight};
  }
  int maxWidth = 0;
  int lines = 0;
  std::size_t pos = 0;
  while (pos <= shown.size()) {
    std::size_t end = shown.find(u'\n', pos);
    if (end == std::u16string::npos) end = shown.size();
    std::u16string_view paragraph(shown.data() + pos, end - pos);
    if (!paragraph.empty() && paragraph.back() == u'\r') {
      paragraph.remove_suffix(1);
    }
    if (!(format & DT_WORDBREAK)) {
      maxWidth = std::max(maxWidth, widthOf(paragraph));
      ++lines;
    } else {
      // Greedy: as many words as fit; a word wider than the rectangle
      // stands alone and widens it. Spaces at a break take no room.
      std::size_t start = 0;
      do {
        std::size_t fit = start;
        std::size_t i = start;
        while (i < paragraph.size()) {
          std::size_t wordEnd = paragraph.find(u' ', i);
          if (wordEnd == std::u16string_view::npos) wordEnd = paragraph.size();
          const int w = widthOf(paragraph.substr(start, wordEnd - start));
          if (w > width && fit > start) break;
          fit = wordEnd;
          i = wordEnd;
          while (i < paragraph.size() && paragraph[i] == u' ') ++i;
          if (w > width) break;
        }
        maxWidth =
            std::max(maxWidth, widthOf(paragraph.substr(start, fit - start)));
        ++lines;
        start = fit;
        while (start < paragraph.size() && paragraph[start] == u' ') ++start;
      } while (start < paragraph.size());
    }
    if (end == shown.size()) break;
    pos = end + 1;
  }
  if (failed) return std::nullopt;
  return SIZE{maxWidth, lines * lineHeight};
}

}  // namespace flx::sim
