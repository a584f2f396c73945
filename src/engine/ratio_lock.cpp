// The aspect-ratio lock (KeepAspect): while an edge or corner is dragged,
// WM_SIZING gets a rectangle whose client area has the design client aspect
// ratio, and WM_GETMINMAXINFO a maximised size of that ratio centred where
// the maximised window goes. Correcting in WM_SIZING rather than WM_SIZE
// means the window is never drawn at the wrong shape and moved back.
#include <algorithm>
#include <cstdint>
#include <numeric>

#include "flexarium/winapi.h"
#include "unit/unit_private.h"

namespace flx {

using namespace win;

namespace {

// v x mul / div rounded half up (all positive), held within the Integer
// range: the products of window sizes and DPIs need more than 64 bits.
std::int64_t mulDivHalfUp(std::int64_t v, std::int64_t mul, std::int64_t div) {
  using Wide = __int128;
  if (v <= 0) return 0;
  const Wide r = (Wide{2} * v * mul + div) / (Wide{2} * div);
  return r > INT32_MAX ? INT32_MAX : static_cast<std::int64_t>(r);
}

// The client aspect ratio as width:height = num:den, in run-time pixels:
// the ratio at which both factors of the rescale pass are equal.
struct Ratio {
  std::int64_t num = 0;
  std::int64_t den = 0;
  explicit operator bool() const { return num > 0 && den > 0; }
  // Half up, as the pass rounds.
  std::int64_t heightFor(std::int64_t w) const {
    return mulDivHalfUp(w, den, num);
  }
  std::int64_t widthFor(std::int64_t h) const {
    return mulDivHalfUp(h, num, den);
  }
};

// The frame and caption around the client area: constant while the window
// is dragged, so the present window tells them.
POINT nonClient(HWND wnd) {
  RECT w{}, c{};
  GetWindowRect(wnd, &w);
  GetClientRect(wnd, &c);
  return POINT{
      static_cast<LONG>(std::max<std::int64_t>(
          unit::Extent(w.left, w.right) - unit::Extent(c.left, c.right), 0)),
      static_cast<LONG>(std::max<std::int64_t>(
          unit::Extent(w.top, w.bottom) - unit::Extent(c.top, c.bottom), 0))};
}

// The ratio the component keeps, none before start-up.
Ratio designRatio(int ownerW, int ownerH, int runDpiW, int runDpiH,
                  int designDpiW, int designDpiH) {
  if (ownerW <= 0 || ownerH <= 0 || runDpiW <= 0 || runDpiH <= 0 ||
      designDpiW <= 0 || designDpiH <= 0) {
    return {};
  }
  const std::int64_t num = std::int64_t{ownerW} * runDpiW * designDpiH;
  const std::int64_t den = std::int64_t{ownerH} * runDpiH * designDpiW;
  const std::int64_t g = std::gcd(num, den);
  return Ratio{num / g, den / g};
}

}  // namespace

void TFlexarium::KeepAspectSizing(HWND Wnd, WPARAM Edge, LPARAM LParam) {
  auto* R = reinterpret_cast<RECT*>(LParam);
  const Ratio ratio = designRatio(FOwnerWidth, FOwnerHeight, FRunDpiW, FRunDpiH,
                                  FDesignDpiW, FDesignDpiH);
  if (R == nullptr || !ratio || BusyForm(Wnd)) return;
  const bool left =
      Edge == WMSZ_LEFT || Edge == WMSZ_TOPLEFT || Edge == WMSZ_BOTTOMLEFT;
  const bool right =
      Edge == WMSZ_RIGHT || Edge == WMSZ_TOPRIGHT || Edge == WMSZ_BOTTOMRIGHT;
  const bool top =
      Edge == WMSZ_TOP || Edge == WMSZ_TOPLEFT || Edge == WMSZ_TOPRIGHT;
  const bool bottom = Edge == WMSZ_BOTTOM || Edge == WMSZ_BOTTOMLEFT ||
                      Edge == WMSZ_BOTTOMRIGHT;
  if (!left && !right && !top && !bottom) return;

  const POINT nc = nonClient(Wnd);
  const POINT now =
      FDragStart.x > 0 && FDragStart.y > 0 ? FDragStart : ClientSizeOf(Wnd);
  const std::int64_t nowW = std::max<std::int64_t>(now.x, 1);
  const std::int64_t nowH = std::max<std::int64_t>(now.y, 1);
  std::int64_t cw =
      std::max<std::int64_t>(unit::Extent(R->left, R->right) - nc.x, 1);
  std::int64_t ch =
      std::max<std::int64_t>(unit::Extent(R->top, R->bottom) - nc.y, 1);
  // A side edge drives the height, a top or bottom edge the width, a corner
  // whichever side changed more (relative to its size when the drag began).
  bool byWidth = left || right;
  if ((left || right) && (top || bottom)) {
    byWidth = (cw > nowW ? cw - nowW : nowW - cw) * nowH >=
              (ch > nowH ? ch - nowH : nowH - ch) * nowW;
  }

  // The client widths the limits allow: the minimum and maximum sizes, and
  // the usable area of the monitor. The minimum wins over the maximum.
  std::int64_t loW = 1, hiW = INT32_MAX;
  if (FFormMinWidth > 0 && FFormMinHeight > 0) {
    loW = std::max({loW, std::int64_t{FFormMinWidth} - nc.x,
                    ratio.widthFor(std::int64_t{FFormMinHeight} - nc.y)});
  }
  int AvailW = 0, AvailH = 0, AreaEdge = teNone;
  APPBARDATA TaskbarData{};
  GetTaskbarArea(Wnd, AvailW, AvailH, AreaEdge, FValidTaskbar, TaskbarData);
  std::int64_t maxW = AvailW, maxH = AvailH;
  if (FFormMaxWidth > 0 && FFormMaxHeight > 0) {
    maxW = std::min<std::int64_t>(maxW, FFormMaxWidth);
    maxH = std::min<std::int64_t>(maxH, FFormMaxHeight);
  }
  if (maxW > nc.x && maxH > nc.y) {
    hiW = std::min(maxW - nc.x, ratio.widthFor(maxH - nc.y));
    // Rounding may make the width for the greatest height one too many.
    while (hiW > 1 && ratio.heightFor(hiW) > maxH - nc.y) --hiW;
  }
  if (!byWidth) cw = ratio.widthFor(ch);
  cw = std::max(std::min(cw, hiW), loW);
  ch = std::max<std::int64_t>(ratio.heightFor(cw), 1);

  const std::int64_t outerW = cw + nc.x, outerH = ch + nc.y;
  if (left) {
    R->left = unit::Saturate(std::int64_t{R->right} - outerW);
  } else {
    R->right = unit::Saturate(std::int64_t{R->left} + outerW);
  }
  if (top) {
    R->top = unit::Saturate(std::int64_t{R->bottom} - outerH);
  } else {
    R->bottom = unit::Saturate(std::int64_t{R->top} + outerH);
  }
}

POINT TFlexarium::ClientSizeOf(HWND Wnd) {
  RECT c{};
  GetClientRect(Wnd, &c);
  return POINT{c.right - c.left, c.bottom - c.top};
}

void TFlexarium::KeepAspectMaxInfo(HWND Wnd, LPARAM LParam) {
  auto* Info = reinterpret_cast<MINMAXINFO*>(LParam);
  const Ratio ratio = designRatio(FOwnerWidth, FOwnerHeight, FRunDpiW, FRunDpiH,
                                  FDesignDpiW, FDesignDpiH);
  if (Info == nullptr || !ratio || BusyForm(Wnd)) return;
  const POINT nc = nonClient(Wnd);
  const std::int64_t boxW = Info->ptMaxSize.x, boxH = Info->ptMaxSize.y;
  if (boxW <= nc.x || boxH <= nc.y) return;
  std::int64_t cw = std::min(boxW - nc.x, ratio.widthFor(boxH - nc.y));
  while (cw > 1 && ratio.heightFor(cw) > boxH - nc.y) --cw;
  const std::int64_t ch = std::max<std::int64_t>(ratio.heightFor(cw), 1);
  const std::int64_t w = cw + nc.x, h = ch + nc.y;
  // Centred in the place the maximised window would have filled.
  Info->ptMaxPosition = {
      unit::Saturate(Info->ptMaxPosition.x + (boxW - w) / 2),
      unit::Saturate(Info->ptMaxPosition.y + (boxH - h) / 2)};
  Info->ptMaxSize = {unit::Saturate(w), unit::Saturate(h)};
}

}  // namespace flx
