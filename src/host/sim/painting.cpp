// Fonts and painting on the simulated desktop: font handles are recorded
// LOGFONTs, and the one paint DC records the drawing calls of what the
// framework paints (its containers, and the controls that their parent
// paints).
#include <algorithm>
#include <cstdint>
#include <iterator>
#include <utility>

#include "host/sim/desktop_impl.h"
#include "host/sim/text_metrics.h"

namespace flx::sim {

namespace {
// A coordinate plus an extent, held in LONG's range.
LONG HeldAdd(LONG at, LONG extent) {
  return static_cast<LONG>(std::clamp<std::int64_t>(std::int64_t{at} + extent,
                                                    INT32_MIN, INT32_MAX));
}
}  // namespace

HFONT Desktop::createFontIndirect(const LOGFONTW* font) {
  impl_->recordCall("CreateFontIndirectW", nullptr);
  if (font == nullptr) return nullptr;
  if (!impl_->freeFonts.empty()) {
    std::size_t slot = impl_->freeFonts.back();
    impl_->freeFonts.pop_back();
    impl_->fonts[slot] = *font;
    return makeHandle<HFONT>(slot, kTagFont);
  }
  impl_->fonts.emplace_back(*font);
  return makeHandle<HFONT>(impl_->fonts.size() - 1, kTagFont);
}

BOOL Desktop::deleteFont(HFONT font) {
  impl_->recordCall("DeleteObject", nullptr);
  const std::size_t serial = handleSerial(font, kTagFont);
  // A stock object is not deleted (DeleteObject says it was).
  if (serial != 0 && serial == impl_->stockSystemFont) return TRUE;
  if (serial == 0 || serial >= impl_->fonts.size() ||
      !impl_->fonts[serial].has_value()) {
    return FALSE;
  }
  impl_->fonts[serial].reset();
  impl_->freeFonts.push_back(serial);
  return TRUE;
}

BOOL Desktop::getFontObject(HFONT font, LOGFONTW* out) {
  impl_->recordCall("GetObjectW", nullptr);
  const std::size_t serial = handleSerial(font, kTagFont);
  if (out == nullptr || serial == 0 || serial >= impl_->fonts.size() ||
      !impl_->fonts[serial].has_value()) {
    return FALSE;
  }
  *out = *impl_->fonts[serial];
  return TRUE;
}

HFONT Desktop::getStockFont(int index) {
  impl_->recordCall("GetStockObject", nullptr);
  if (index != SYSTEM_FONT) return nullptr;
  if (impl_->stockSystemFont == 0) {
    impl_->fonts.emplace_back(Impl::systemFont());
    impl_->stockSystemFont = impl_->fonts.size() - 1;
  }
  return makeHandle<HFONT>(impl_->stockSystemFont, kTagFont);
}

int Desktop::fontCount() const {
  int n = 0;
  for (std::size_t i = 1; i < impl_->fonts.size(); ++i) {
    if (impl_->fonts[i].has_value() && i != impl_->stockSystemFont) ++n;
  }
  return n;
}

std::optional<LOGFONTW> Desktop::windowFont(HWND wnd) const {
  const auto* w = impl_->find(wnd);
  if (w == nullptr) return std::nullopt;
  const std::size_t serial = handleSerial(w->font, kTagFont);
  if (serial == 0 || serial >= impl_->fonts.size()) return std::nullopt;
  return impl_->fonts[serial];
}

// ---- Painting

HDC Desktop::beginPaint(HWND wnd, PAINTSTRUCT* paint) {
  impl_->recordCall("BeginPaint", wnd);
  const auto* w = impl_->find(wnd);
  if (w == nullptr || paint == nullptr) return nullptr;
  // Nothing is drawn: the whole client counts as needing paint.
  *paint = PAINTSTRUCT{};
  paint->hdc = makeHandle<HDC>(kPaintDc, kTagDc);
  paint->rcPaint = RECT{0, 0, impl_->clientWidth(*w), impl_->clientHeight(*w)};
  impl_->paint = Impl::PaintDc{};
  impl_->paint.wnd = wnd;
  return paint->hdc;
}

BOOL Desktop::endPaint(HWND wnd, const PAINTSTRUCT* paint) {
  impl_->recordCall("EndPaint", wnd);
  if (paint == nullptr || handleSerial(paint->hdc, kTagDc) != kPaintDc) {
    return FALSE;
  }
  impl_->paint.wnd = nullptr;
  return TRUE;
}

HFONT Desktop::selectFont(HDC dc, HFONT font) {
  impl_->recordCall("SelectObject", impl_->paint.wnd);
  const std::size_t serial = handleSerial(dc, kTagDc);
  if (serial == kScreenDc) return std::exchange(impl_->screenFont, font);
  if (serial != kPaintDc) return nullptr;
  const HFONT previous = impl_->paint.font;
  impl_->paint.font = font;
  return previous;
}

int Desktop::setBkMode(HDC dc, int mode) {
  impl_->recordCall("SetBkMode", impl_->paint.wnd);
  if (handleSerial(dc, kTagDc) != kPaintDc) return 0;
  const int previous = impl_->paint.bkMode;
  impl_->paint.bkMode = mode;
  return previous;
}

void Desktop::Impl::recordPaint(const char* op, std::u16string_view text,
                                const RECT& rect, UINT format, UINT flags) {
  if (!recording) return;
  keep(paints,
       PaintRecord{op, paint.wnd, std::u16string(text), rect, format, flags,
                   paint.font, paint.bkMode, paint.textColor, paint.bkColor});
}

int Desktop::drawText(HDC dc, std::u16string_view text, RECT* rect,
                      UINT format) {
  impl_->recordCall("DrawTextW", impl_->paint.wnd);
  if (rect == nullptr) return 0;
  if (format & DT_CALCRECT) {
    // Measured, not drawn: the font's real text metrics. Without them (no
    // font file found) nothing is guessed: the rectangle stays and 0 says
    // that DrawTextW failed.
    const auto font = impl_->dcFont(dc);
    if (!font) return 0;
    const auto size = MeasureDrawText(FontRequest::Of(*font), text,
                                      rect->right - rect->left, format);
    if (!size) return 0;
    rect->right = HeldAdd(rect->left, size->cx);
    rect->bottom = HeldAdd(rect->top, size->cy);
    return size->cy;
  }
  if (handleSerial(dc, kTagDc) != kPaintDc) return 0;
  impl_->recordPaint("DrawTextW", text, *rect, format, 0);
  return 1;  // a height; nothing is measured
}

BOOL Desktop::drawEdge(HDC dc, RECT* rect, UINT edge, UINT flags) {
  impl_->recordCall("DrawEdge", impl_->paint.wnd);
  if (handleSerial(dc, kTagDc) != kPaintDc || rect == nullptr) return FALSE;
  impl_->recordPaint("DrawEdge", {}, *rect, edge, flags);
  return TRUE;
}

COLORREF Desktop::setTextColor(HDC dc, COLORREF color) {
  impl_->recordCall("SetTextColor", impl_->paint.wnd);
  if (handleSerial(dc, kTagDc) != kPaintDc) return 0xFFFFFFFF;  // CLR_INVALID
  return std::exchange(impl_->paint.textColor, color);
}

COLORREF Desktop::setBkColor(HDC dc, COLORREF color) {
  impl_->recordCall("SetBkColor", impl_->paint.wnd);
  if (handleSerial(dc, kTagDc) != kPaintDc) return 0xFFFFFFFF;
  return std::exchange(impl_->paint.bkColor, color);
}

BOOL Desktop::extTextOut(HDC dc, int x, int y, UINT options, const RECT* rect,
                         std::u16string_view text) {
  impl_->recordCall("ExtTextOutW", impl_->paint.wnd);
  if (handleSerial(dc, kTagDc) != kPaintDc) return FALSE;
  impl_->recordPaint("ExtTextOutW", text,
                     rect != nullptr ? *rect : RECT{x, y, x, y}, options, 0);
  return TRUE;
}

int Desktop::stretchDIBits(HDC dc, int x, int y, int width, int height,
                           int /*srcX*/, int /*srcY*/, int srcWidth,
                           int srcHeight, const void* bits, const void* info,
                           UINT /*usage*/, DWORD /*rop*/) {
  impl_->recordCall("StretchDIBits", impl_->paint.wnd);
  if (handleSerial(dc, kTagDc) != kPaintDc || bits == nullptr ||
      info == nullptr) {
    return 0;
  }
  impl_->recordPaint("StretchDIBits", {}, RECT{x, y, x + width, y + height},
                     static_cast<UINT>(srcWidth), static_cast<UINT>(srcHeight));
  return srcHeight;  // the lines copied
}

COLORREF Desktop::getSysColor(int index) {
  // Windows 10's defaults, 0x00BBGGRR.
  static constexpr COLORREF kColors[] = {
      0xC8C8C8, 0x000000, 0xD1B499, 0xDBCDBF, 0xF0F0F0, 0xFFFFFF, 0x646464,
      0x000000, 0x000000, 0x000000, 0xB4B4B4, 0xFCF7F4, 0xABABAB, 0xD77800,
      0xFFFFFF, 0xF0F0F0, 0xA0A0A0, 0x6D6D6D, 0x000000, 0x000000, 0xFFFFFF,
      0x696969, 0xE3E3E3, 0x000000, 0xE1FFFF, 0x000000, 0xCC6600, 0xEAD1B9,
      0xF2E4D7, 0xFF9933, 0xF0F0F0};
  if (index < 0 || index >= static_cast<int>(std::size(kColors))) return 0;
  return kColors[index];
}

}  // namespace flx::sim
