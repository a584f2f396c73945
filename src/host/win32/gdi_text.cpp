// The Windows build's backend of the simulated desktop's text measurer: GDI
// itself, on a memory DC of its own, asked for the face the face table maps
// a form's face to. Under Wine, with Wine's fonts in the prefix, GDI gives
// the widths the FreeType backend computes on Linux, so flexarium.exe
// places and checks text as the Linux command does.
#if FLEXARIUM_GDI_TEXT

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <tuple>

#include "host/sim/text_metrics.h"
#include "host/win32/records.h"

namespace flx::sim {

namespace {

static_assert(sizeof(win::TEXTMETRICW) == sizeof(::TEXTMETRICW));

// One DC serves every thread in turn. An SRW lock, as MinGW's win32 thread
// model has no std::mutex.
class Exclusive {
 public:
  explicit Exclusive(SRWLOCK& lock) : lock_(lock) {
    ::AcquireSRWLockExclusive(&lock_);
  }
  ~Exclusive() { ::ReleaseSRWLockExclusive(&lock_); }
  Exclusive(const Exclusive&) = delete;
  Exclusive& operator=(const Exclusive&) = delete;

 private:
  SRWLOCK& lock_;
};

class GdiBackend final : public TextBackend {
 public:
  GdiBackend() : dc_(::CreateCompatibleDC(nullptr)) {}

  ~GdiBackend() override {
    if (dc_ != nullptr) {
      if (original_ != nullptr) ::SelectObject(dc_, original_);
      ::DeleteDC(dc_);
    }
    for (auto& [key, font] : fonts_) {
      if (font != nullptr) ::DeleteObject(font);
    }
  }

  GdiBackend(const GdiBackend&) = delete;
  GdiBackend& operator=(const GdiBackend&) = delete;

  std::optional<FontMetrics> Metrics(const FontRequest& request) override {
    Exclusive hold(lock_);
    ::TEXTMETRICW tm{};
    if (!Select(request) || !::GetTextMetricsW(dc_, &tm)) return std::nullopt;
    FontMetrics m;
    std::memcpy(&m.tm, &tm, sizeof tm);
    m.bitmap = (tm.tmPitchAndFamily & TMPF_VECTOR) == 0;
    return m;
  }

  std::optional<TextExtent> Extent(const FontRequest& request,
                                   std::u16string_view text) override {
    Exclusive hold(lock_);
    if (!Select(request)) return std::nullopt;
    const auto* chars = reinterpret_cast<const wchar_t*>(text.data());
    const int count = static_cast<int>(text.size());
    ::SIZE size{};
    if (!::GetTextExtentPoint32W(dc_, chars, count, &size)) return std::nullopt;
    TextExtent e;
    e.cx = static_cast<int>(size.cx);
    e.cy = static_cast<int>(size.cy);
    if (text.empty()) {
      // An empty string is one line high, as the other backend has it.
      ::TEXTMETRICW tm{};
      if (!::GetTextMetricsW(dc_, &tm)) return std::nullopt;
      e.cy = static_cast<int>(tm.tmHeight);
      return e;
    }
    std::wstring glyphs(text.size(), L'\0');
    if (::GetGlyphIndicesW(dc_, chars, count,
                           reinterpret_cast<WORD*>(glyphs.data()),
                           GGI_MARK_NONEXISTING_GLYPHS) != GDI_ERROR) {
      for (std::size_t i = 0; i < text.size(); ++i) {
        if (glyphs[i] == 0xFFFF) ++e.missing;
        // A surrogate pair is one character.
        if (text[i] >= 0xD800 && text[i] < 0xDC00 && i + 1 < text.size() &&
            text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
          ++i;
        }
      }
    }
    return e;
  }

 private:
  // Selects the font GDI realises for the request, with the face table's
  // face and the weight the other backend distinguishes (bold from 600).
  bool Select(const FontRequest& request) {
    if (dc_ == nullptr) return false;
    const FaceMapping& mapping = TextMeasurer::Resolve(request.face);
    const bool bold = request.weight >= 600;
    // The FreeType backend holds pixel sizes at 0xFFFF; so does this one,
    // which also keeps the Integer minimum from being negated.
    const LONG height =
        std::clamp<std::int32_t>(request.height, -0xFFFF, 0xFFFF);
    const auto key = std::make_tuple(std::string(mapping.face), height, bold,
                                     request.italic);
    auto it = fonts_.find(key);
    if (it == fonts_.end()) {
      ::LOGFONTW lf{};
      lf.lfHeight = height;
      lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
      lf.lfItalic = request.italic ? TRUE : FALSE;
      lf.lfCharSet = DEFAULT_CHARSET;
      const std::size_t n =
          std::min(mapping.face.size(), std::size(lf.lfFaceName) - 1);
      for (std::size_t i = 0; i < n; ++i) {
        lf.lfFaceName[i] = static_cast<wchar_t>(mapping.face[i]);
      }
      it = fonts_.emplace(key, ::CreateFontIndirectW(&lf)).first;
    }
    if (it->second == nullptr) return false;
    HGDIOBJ previous = ::SelectObject(dc_, it->second);
    if (previous == nullptr || previous == HGDI_ERROR) return false;
    if (original_ == nullptr) original_ = previous;
    return true;
  }

  SRWLOCK lock_ = SRWLOCK_INIT;
  HDC dc_;
  HGDIOBJ original_ = nullptr;  // the DC's own font, put back at the end
  std::map<std::tuple<std::string, LONG, bool, bool>, HFONT> fonts_;
};

}  // namespace

std::unique_ptr<TextBackend> MakeTextBackend() {
  return std::make_unique<GdiBackend>();
}

}  // namespace flx::sim

#endif
