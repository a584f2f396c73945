// Text measurement on the simulated desktop: GetTextExtentPoint32W,
// GetTextMetricsW and the dialog character dimensions, answered from real
// font files (text_metrics.cpp) for the font selected into the DC.
#include "host/sim/desktop_impl.h"
#include "host/sim/text_metrics.h"

namespace flx::sim {

std::optional<LOGFONTW> Desktop::Impl::dcFont(HDC dc) const {
  const std::size_t serial = handleSerial(dc, kTagDc);
  HFONT selected = nullptr;
  if (serial == kScreenDc) {
    selected = screenFont;
  } else if (serial == kPaintDc) {
    selected = paint.font;
  } else {
    return std::nullopt;
  }
  const std::size_t font = handleSerial(selected, kTagFont);
  if (font != 0 && font < fonts.size() && fonts[font]) return fonts[font];
  // A DC starts with the stock System font.
  return systemFont();
}

LOGFONTW Desktop::Impl::systemFont() {
  LOGFONTW system{};
  system.lfHeight = 16;
  system.lfWeight = FW_BOLD;
  const std::u16string_view face = u"System";
  std::copy(face.begin(), face.end(), system.lfFaceName);
  return system;
}

BOOL Desktop::getTextExtentPoint32(HDC dc, std::u16string_view text,
                                   SIZE* size) {
  impl_->recordCall("GetTextExtentPoint32W", impl_->paint.wnd);
  const auto font = impl_->dcFont(dc);
  if (!font || size == nullptr) return FALSE;
  const auto extent =
      TextMeasurer::Instance().Extent(FontRequest::Of(*font), text);
  if (!extent) return FALSE;
  *size = SIZE{extent->cx, extent->cy};
  return TRUE;
}

BOOL Desktop::getTextMetrics(HDC dc, TEXTMETRICW* metrics) {
  impl_->recordCall("GetTextMetricsW", impl_->paint.wnd);
  const auto font = impl_->dcFont(dc);
  if (!font || metrics == nullptr) return FALSE;
  const auto m = TextMeasurer::Instance().Metrics(FontRequest::Of(*font));
  if (!m) return FALSE;
  *metrics = m->tm;
  return TRUE;
}

LONG Desktop::gdiGetCharDimensions(HDC dc, TEXTMETRICW* metrics, LONG* height) {
  impl_->recordCall("GdiGetCharDimensions", impl_->paint.wnd);
  TEXTMETRICW tm{};
  if (!getTextMetrics(dc, &tm)) return 0;
  SIZE size{};
  if (!getTextExtentPoint32(
          dc, u"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ", &size)) {
    return 0;
  }
  if (metrics != nullptr) *metrics = tm;
  if (height != nullptr) *height = size.cy;
  return (size.cx / 26 + 1) / 2;
}

}  // namespace flx::sim
