// Fonts and painting on the simulated desktop: font handles are recorded
// LOGFONTs, and the one paint DC records the drawing calls of the controls
// that their parent paints.
#include "host/sim/desktop_impl.h"

namespace flx::sim {

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
  if (serial == 0 || serial >= impl_->fonts.size() ||
      !impl_->fonts[serial].has_value()) {
    return FALSE;
  }
  impl_->fonts[serial].reset();
  impl_->freeFonts.push_back(serial);
  return TRUE;
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
  impl_->paintWnd = wnd;
  impl_->paintFont = nullptr;
  impl_->paintBkMode = OPAQUE;
  return paint->hdc;
}

BOOL Desktop::endPaint(HWND wnd, const PAINTSTRUCT* paint) {
  impl_->recordCall("EndPaint", wnd);
  if (paint == nullptr || handleSerial(paint->hdc, kTagDc) != kPaintDc) {
    return FALSE;
  }
  impl_->paintWnd = nullptr;
  return TRUE;
}

HFONT Desktop::selectFont(HDC dc, HFONT font) {
  impl_->recordCall("SelectObject", impl_->paintWnd);
  if (handleSerial(dc, kTagDc) != kPaintDc) return nullptr;
  const HFONT previous = impl_->paintFont;
  impl_->paintFont = font;
  return previous;
}

int Desktop::setBkMode(HDC dc, int mode) {
  impl_->recordCall("SetBkMode", impl_->paintWnd);
  if (handleSerial(dc, kTagDc) != kPaintDc) return 0;
  const int previous = impl_->paintBkMode;
  impl_->paintBkMode = mode;
  return previous;
}

int Desktop::drawText(HDC dc, std::u16string_view text, RECT* rect,
                      UINT format) {
  impl_->recordCall("DrawTextW", impl_->paintWnd);
  if (handleSerial(dc, kTagDc) != kPaintDc || rect == nullptr) return 0;
  if (impl_->recording) {
    Impl::keep(
        impl_->paints,
        PaintRecord{"DrawTextW", impl_->paintWnd, std::u16string(text), *rect,
                    format, 0, impl_->paintFont, impl_->paintBkMode});
  }
  return 1;  // a height; nothing is measured
}

BOOL Desktop::drawEdge(HDC dc, RECT* rect, UINT edge, UINT flags) {
  impl_->recordCall("DrawEdge", impl_->paintWnd);
  if (handleSerial(dc, kTagDc) != kPaintDc || rect == nullptr) return FALSE;
  if (impl_->recording) {
    Impl::keep(impl_->paints, PaintRecord{"DrawEdge",
                                          impl_->paintWnd,
                                          {},
                                          *rect,
                                          edge,
                                          flags,
                                          impl_->paintFont,
                                          impl_->paintBkMode});
  }
  return TRUE;
}

}  // namespace flx::sim
