// The aspect-ratio lock (KeepAspect): while an edge or corner is dragged,
// WM_SIZING gets a rectangle whose client area has the design client aspect
// ratio, and WM_GETMINMAXINFO a maximised size of that ratio centred where
// the maximised window goes. Correcting in WM_SIZING rather than WM_SIZE
// means the window is never drawn at the wrong shape and moved back.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>

#include "flexarium/winapi.h"
#include "unit/unit_private.h"

namespace flx {

using namespace win;

namespace {

// Products of window sizes and DPIs need more than 64 bits; these few
// steps of wide arithmetic are portable (no compiler's 128-bit type).
constexpr std::uint64_t kFactorLimit = std::uint64_t{1} << 62;

// a x b as two 64-bit words.
void wideProduct(std::uint64_t a, std::uint64_t b, std::uint64_t& hi,
                 std::uint64_t& lo) {
  const std::uint64_t aL = a & 0xFFFFFFFFu, aH = a >> 32;
  const std::uint64_t bL = b & 0xFFFFFFFFu, bH = b >> 32;
  const std::uint64_t ll = aL * bL, lh = aL * bH, hl = aH * bL;
  const std::uint64_t mid =
      (ll >> 32) + (lh & 0xFFFFFFFFu) + (hl & 0xFFFFFFFFu);
  hi = aH * bH + (lh >> 32) + (hl >> 32) + (mid >> 32);
  lo = (mid << 32) | (ll & 0xFFFFFFFFu);
}

// (a x mul + add) / div rounded down (div positive, mul below
// kFactorLimit, add below 2^63), held within the Integer range.
std::int64_t mulAddDiv(std::uint64_t a, std::uint64_t mul, std::uint64_t add,
                       std::uint64_t div) {
  if (div == 0) return 0;
  std::uint64_t hi = 0, lo = 0;
  wideProduct(a, mul, hi, lo);
  const std::uint64_t sum = lo + add;
  hi += sum < lo ? 1 : 0;
  lo = sum;
  if (hi >= div) return INT32_MAX;  // a quotient of 64 bits or more
  std::uint64_t rem = hi, q = 0;
  for (int bit = 63; bit >= 0; --bit) {
    const bool carry = (rem >> 63) != 0;
    rem = (rem << 1) | ((lo >> bit) & 1u);
    q <<= 1;
    if (carry || rem >= div) {
      rem -= div;
      q |= 1;
    }
  }
  return q > INT32_MAX ? INT32_MAX : static_cast<std::int64_t>(q);
}

// v x mul / div rounded half up (v, mul, div positive, mul and div below
// kFactorLimit), held within the Integer range.
std::int64_t mulDivHalfUp(std::int64_t v, std::uint64_t mul,
                          std::uint64_t div) {
  if (v <= 0 || div == 0) return 0;
  // (2 v mul + div) / (2 div)
  return mulAddDiv(2 * static_cast<std::uint64_t>(v), mul, div, 2 * div);
}

// The client aspect ratio as width:height = num:den, in run-time pixels:
// the ratio at which both factors of the rescale pass are equal.
struct Ratio {
  std::uint64_t num = 0;
  std::uint64_t den = 0;
  explicit operator bool() const { return num > 0 && den > 0; }
  // Half up, as the pass rounds.
  std::int64_t heightFor(std::int64_t w) const {
    return mulDivHalfUp(w, den, num);
  }
  std::int64_t widthFor(std::int64_t h) const {
    return mulDivHalfUp(h, num, den);
  }
  // The narrowest width whose height is at least h (h >= 1): heightFor(w)
  // >= h exactly when 2 w den >= (2 h - 1) num.
  std::int64_t widthAtLeast(std::int64_t h) const {
    if (h <= 1) h = 1;
    if (h >= INT32_MAX) return INT32_MAX;
    return std::max<std::int64_t>(
        mulAddDiv(2 * static_cast<std::uint64_t>(h) - 1, num, 2 * den - 1,
                  2 * den),
        1);
  }
  // The widest width whose height is at most h, 0 when even a width of 1
  // is too tall: heightFor(w) <= h exactly when 2 w den < (2 h + 1) num.
  std::int64_t widthAtMost(std::int64_t h) const {
    if (h < 0) return 0;
    if (h >= INT32_MAX) return INT32_MAX;
    return mulAddDiv(2 * static_cast<std::uint64_t>(h) + 1, num, 2 * den - 1,
                     2 * den) -
           1;
  }
};

// The frame and caption around the client area: constant while the window
// is dragged, so the present window tells them. A minimised window has no
// client area to tell them by, and during a DPI change the frame is still
// the old DPI's: then the style gives them at the DPI (dpi > 0).
POINT nonClient(HWND wnd, UINT dpi = 0) {
  if (dpi == 0 && !IsIconic(wnd)) {
    RECT w{}, c{};
    GetWindowRect(wnd, &w);
    GetClientRect(wnd, &c);
    return POINT{
        static_cast<LONG>(std::max<std::int64_t>(
            unit::Extent(w.left, w.right) - unit::Extent(c.left, c.right), 0)),
        static_cast<LONG>(std::max<std::int64_t>(
            unit::Extent(w.top, w.bottom) - unit::Extent(c.top, c.bottom), 0))};
  }
  RECT r{0, 0, 0, 0};
  const auto style =
      static_cast<DWORD>(GetWindowLongPtrW(wnd, GWL_STYLE) &
                         ~static_cast<LONG_PTR>(WS_MAXIMIZE | WS_MINIMIZE));
  const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(wnd, GWL_EXSTYLE));
  // At the system DPI the system's own measures, which keep the axes
  // apart where it has a DPI for each.
  if (dpi == 0 && GetDpiForWindow(wnd) == GetDpiForSystem()) {
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
  } else {
    if (dpi == 0) dpi = GetDpiForWindow(wnd);
    AdjustWindowRectExForDpi(&r, style, FALSE, exStyle, dpi);
  }
  return POINT{static_cast<LONG>(
                   std::max<std::int64_t>(unit::Extent(r.left, r.right), 0)),
               static_cast<LONG>(
                   std::max<std::int64_t>(unit::Extent(r.top, r.bottom), 0))};
}

// The smallest and largest window the system lets a drag make: the
// system's minimum tracking size, then whatever the window's procedures
// (this component's limits, the form's constraints) make of it.
void trackSizes(HWND wnd, POINT& minTrack, POINT& maxTrack) {
  MINMAXINFO info{};
  if (GetAwarenessFromDpiAwarenessContext(GetThreadDpiAwarenessContext()) ==
      DPI_AWARENESS_PER_MONITOR_AWARE) {
    const UINT dpi = GetDpiForWindow(wnd);
    info.ptMinTrackSize = {GetSystemMetricsForDpi(SM_CXMINTRACK, dpi),
                           GetSystemMetricsForDpi(SM_CYMINTRACK, dpi)};
  } else {
    info.ptMinTrackSize = {GetSystemMetrics(SM_CXMINTRACK),
                           GetSystemMetrics(SM_CYMINTRACK)};
  }
  info.ptMaxTrackSize = {INT32_MAX, INT32_MAX};
  SendMessageW(wnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  minTrack = info.ptMinTrackSize;
  maxTrack = info.ptMaxTrackSize;
}

// The ratio the component keeps, none before start-up: (ownerW x runDpiW x
// designDpiH) : (ownerH x runDpiH x designDpiW), reduced. Factors from a
// form file can be as large as the Integer range; where even the reduced
// ratio passes kFactorLimit, it is kept to 62 bits (a ratio no window can
// show the difference of).
Ratio designRatio(int ownerW, int ownerH, int runDpiW, int runDpiH,
                  int designDpiW, int designDpiH) {
  if (ownerW <= 0 || ownerH <= 0 || runDpiW <= 0 || runDpiH <= 0 ||
      designDpiW <= 0 || designDpiH <= 0) {
    return {};
  }
  std::uint64_t n[3] = {static_cast<std::uint64_t>(ownerW),
                        static_cast<std::uint64_t>(runDpiW),
                        static_cast<std::uint64_t>(designDpiH)};
  std::uint64_t d[3] = {static_cast<std::uint64_t>(ownerH),
                        static_cast<std::uint64_t>(runDpiH),
                        static_cast<std::uint64_t>(designDpiW)};
  for (std::uint64_t& a : n) {
    for (std::uint64_t& b : d) {
      const std::uint64_t g = std::gcd(a, b);
      a /= g;
      b /= g;
    }
  }
  // Each factor is below 2^31: the products fit in 93 bits, held here as
  // doubles only to find how far to shift them down.
  std::uint64_t num = n[0] * n[1], den = d[0] * d[1];
  int shift = 0;
  const double wide = static_cast<double>(num) * static_cast<double>(n[2]);
  const double wideDen = static_cast<double>(den) * static_cast<double>(d[2]);
  while (std::max(wide, wideDen) / std::ldexp(1.0, shift) >=
         static_cast<double>(kFactorLimit)) {
    ++shift;
  }
  if (shift == 0) return Ratio{num * n[2], den * d[2]};
  const double scale = std::ldexp(1.0, -shift);
  return Ratio{
      std::max<std::uint64_t>(static_cast<std::uint64_t>(wide * scale), 1),
      std::max<std::uint64_t>(static_cast<std::uint64_t>(wideDen * scale), 1)};
}

}  // namespace

void TFlexarium::Impl::KeepAspectSizing(HWND Wnd, WPARAM Edge, LPARAM LParam) {
  auto* R = reinterpret_cast<RECT*>(LParam);
  const Ratio ratio = designRatio(FOwnerWidth, FOwnerHeight, FRunDpiW, FRunDpiH,
                                  FDesignDpiW, FDesignDpiH);
  if (R == nullptr || !ratio || BusyForm(Wnd)) return;
  const auto [left, right, top, bottom] = SizingEdges(Edge);
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

  // The client sizes the limits allow on each axis. Minimum: the minimum
  // size and the smallest window the system allows. Maximum: the maximum
  // size, the usable area of the monitor and the largest window the
  // system allows. Limits are those the drag is held to at this DPI.
  POINT minTrack{}, maxTrack{};
  trackSizes(Wnd, minTrack, maxTrack);
  std::int64_t minW =
      std::max<std::int64_t>(std::int64_t{minTrack.x} - nc.x, 1);
  std::int64_t minH =
      std::max<std::int64_t>(std::int64_t{minTrack.y} - nc.y, 1);
  if (FFormMinWidth > 0 && FFormMinHeight > 0) {
    minW = std::max<std::int64_t>(minW,
                                  std::int64_t{LimitW(FFormMinWidth)} - nc.x);
    minH = std::max<std::int64_t>(minH,
                                  std::int64_t{LimitH(FFormMinHeight)} - nc.y);
  }
  int AvailW = 0, AvailH = 0, AreaEdge = teNone;
  APPBARDATA TaskbarData{};
  GetTaskbarArea(Wnd, AvailW, AvailH, AreaEdge, FValidTaskbar, TaskbarData);
  std::int64_t maxW = AvailW, maxH = AvailH;
  if (FFormMaxWidth > 0 && FFormMaxHeight > 0) {
    maxW = std::min<std::int64_t>(maxW, LimitW(FFormMaxWidth));
    maxH = std::min<std::int64_t>(maxH, LimitH(FFormMaxHeight));
  }
  maxW = std::min<std::int64_t>(maxW, maxTrack.x);
  maxH = std::min<std::int64_t>(maxH, maxTrack.y);
  // A maximum smaller than the frame (no monitor measured) limits nothing.
  if (maxW > nc.x && maxH > nc.y) {
    maxW -= nc.x;
    maxH -= nc.y;
  } else {
    maxW = maxH = INT32_MAX;
  }

  // The widths whose ratio height is within the limits too. Where there is
  // none (a ratio that no window within the limits can show), the limits
  // win and the ratio is given up: each side is held on its own, the
  // minimum winning over the maximum, as without the lock.
  // The bounds are rounded as the height is: the width nearest the limit,
  // moved to the first whose height is within it.
  const std::int64_t loW =
      std::max({minW, ratio.widthFor(minH), ratio.widthAtLeast(minH)});
  const std::int64_t hiW =
      std::min({maxW, ratio.widthFor(maxH), ratio.widthAtMost(maxH)});
  if (loW <= hiW) {
    if (!byWidth) cw = ratio.widthFor(ch);
    cw = std::max(std::min(cw, hiW), loW);
    ch = ratio.heightFor(cw);
  } else {
    cw = std::max(std::min(cw, maxW), minW);
    ch = std::max(std::min(ch, maxH), minH);
  }

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

POINT TFlexarium::Impl::ClientSizeOf(HWND Wnd) {
  RECT c{};
  GetClientRect(Wnd, &c);
  return POINT{c.right - c.left, c.bottom - c.top};
}

void TFlexarium::Impl::KeepAspectMaxInfo(HWND Wnd, LPARAM LParam, bool HookPath,
                                         UINT Dpi) {
  auto* Info = reinterpret_cast<MINMAXINFO*>(LParam);
  const Ratio ratio = designRatio(FOwnerWidth, FOwnerHeight, FRunDpiW, FRunDpiH,
                                  FDesignDpiW, FDesignDpiH);
  // An MDI child maximised inside its parent is the parent's to size.
  if (Info == nullptr || !ratio || BusyMdiChild()) return;
  if (IsIconic(Wnd)) {
    // Maximised straight from minimised: the place a form in its normal
    // state would be maximised to, which the ratio is fitted into.
    MINMAXINFO Box = *Info;
    HandleGetMinMaxInfo(Wnd, reinterpret_cast<LPARAM>(&Box), HookPath, true,
                        true);
    Info->ptMaxSize = Box.ptMaxSize;
    Info->ptMaxPosition = Box.ptMaxPosition;
  }
  const POINT nc = nonClient(Wnd, Dpi);
  const std::int64_t boxW = Info->ptMaxSize.x, boxH = Info->ptMaxSize.y;
  if (boxW <= nc.x || boxH <= nc.y) return;
  // The largest size of the ratio in the box, no smaller than the smallest
  // window the system allows; with none, the box as it is (the ratio is
  // given up rather than the window put off the screen or made too small).
  const std::int64_t minW =
      std::max<std::int64_t>(std::int64_t{Info->ptMinTrackSize.x} - nc.x, 1);
  const std::int64_t minH =
      std::max<std::int64_t>(std::int64_t{Info->ptMinTrackSize.y} - nc.y, 1);
  const std::int64_t cw = std::min({boxW - nc.x, ratio.widthFor(boxH - nc.y),
                                    ratio.widthAtMost(boxH - nc.y)});
  if (cw < std::max({minW, ratio.widthFor(minH), ratio.widthAtLeast(minH)})) {
    return;
  }
  const std::int64_t ch = ratio.heightFor(cw);
  const std::int64_t w = cw + nc.x, h = ch + nc.y;
  // Centred in the place the maximised window would have filled.
  Info->ptMaxPosition = {
      unit::Saturate(Info->ptMaxPosition.x + (boxW - w) / 2),
      unit::Saturate(Info->ptMaxPosition.y + (boxH - h) / 2)};
  Info->ptMaxSize = {unit::Saturate(w), unit::Saturate(h)};
}

}  // namespace flx
