// The simulated screen: monitors, the taskbar and work areas, system
// metrics scaled with the DPI, and desktop composition (DWM).
#include <climits>
#include <cstring>

#include "host/sim/desktop_impl.h"

namespace flx::sim {

namespace {

constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);

// The metrics that are one of the configured frame sizes scaled to the
// DPI: across (SM_CX...) or down (SM_CY...).
struct FrameMetric {
  int index;
  int DesktopConfig::*size;
  bool vertical;
};
constexpr FrameMetric kFrameMetrics[] = {
    {SM_CYCAPTION, &DesktopConfig::captionHeight, true},
    {SM_CXFRAME, &DesktopConfig::sizeFrame, false},
    {SM_CYFRAME, &DesktopConfig::sizeFrame, true},
    {SM_CXPADDEDBORDER, &DesktopConfig::paddedBorder, false},
    {SM_CXDLGFRAME, &DesktopConfig::fixedFrame, false},
    {SM_CYDLGFRAME, &DesktopConfig::fixedFrame, true},
    {SM_CXBORDER, &DesktopConfig::border, false},
    {SM_CYBORDER, &DesktopConfig::border, true},
};

long long intersectionArea(const RECT& a, const RECT& b) {
  const long long w = std::min<long long>(a.right, b.right) -
                      std::max<long long>(a.left, b.left);
  const long long h = std::min<long long>(a.bottom, b.bottom) -
                      std::max<long long>(a.top, b.top);
  return (w > 0 && h > 0) ? w * h : 0;
}

long long gapSquared(const RECT& a, const RECT& b) {
  auto gap = [](long long lo1, long long hi1, long long lo2,
                long long hi2) -> long long {
    if (hi1 < lo2) return lo2 - hi1;
    if (hi2 < lo1) return lo1 - hi2;
    return 0;
  };
  const long long dx = gap(a.left, a.right, b.left, b.right);
  const long long dy = gap(a.top, a.bottom, b.top, b.bottom);
  return dx * dx + dy * dy;
}

// A taskbar's edge as sides of a rectangle: the side it lies along, the
// side facing it, the way inwards from it (+1 or -1), and whether its
// thickness is measured down (else across).
struct EdgeSides {
  LONG RECT::*side;
  LONG RECT::*facing;
  int inwards;
  bool down;
};
EdgeSides sidesOf(TaskbarEdge edge) {
  switch (edge) {
    case TaskbarEdge::Left:
      return {&RECT::left, &RECT::right, 1, false};
    case TaskbarEdge::Top:
      return {&RECT::top, &RECT::bottom, 1, true};
    case TaskbarEdge::Right:
      return {&RECT::right, &RECT::left, -1, false};
    default:
      return {&RECT::bottom, &RECT::top, -1, true};
  }
}

}  // namespace

std::string_view toString(TaskbarEdge edge) {
  switch (edge) {
    case TaskbarEdge::None:
      return "None";
    case TaskbarEdge::Left:
      return "Left";
    case TaskbarEdge::Top:
      return "Top";
    case TaskbarEdge::Right:
      return "Right";
    case TaskbarEdge::Bottom:
      return "Bottom";
  }
  return "?";
}

// ---- Monitors and the taskbar

std::vector<MonitorConfig> Desktop::Impl::monitorList() const {
  std::vector<MonitorConfig> list;
  for (std::size_t i = 0; i < monitorCount(); ++i) list.push_back(monitorAt(i));
  return list;
}

std::size_t Desktop::Impl::primaryIndex() const {
  const auto& m = config.monitors;
  for (std::size_t i = 0; i < m.size(); ++i) {
    if (m[i].primary) return i;
  }
  return 0;
}

// The monitor as the process sees it: a process that is not per-monitor
// aware sees a monitor of another DPI than its own with virtualised
// coordinates, scaled by its DPI over the monitor's.
MonitorConfig Desktop::Impl::monitorAt(std::size_t i) const {
  MonitorConfig m =
      config.monitors.empty() ? MonitorConfig{} : config.monitors[i];
  const Dpi real = monitorDpiAt(i);
  const Dpi seen = appDpiAt(i);
  if (real != seen) {
    m.rect = RECT{MulDiv(m.rect.left, seen.x, real.x),
                  MulDiv(m.rect.top, seen.y, real.y),
                  MulDiv(m.rect.right, seen.x, real.x),
                  MulDiv(m.rect.bottom, seen.y, real.y)};
  }
  return m;
}

std::size_t Desktop::Impl::monitorCount() const {
  return config.monitors.empty() ? 1 : config.monitors.size();
}

RECT Desktop::Impl::primaryRect() const {
  return monitorAt(primaryIndex()).rect;
}

RECT Desktop::Impl::virtualScreen() const {
  const auto list = monitorList();
  RECT v = list.front().rect;
  for (const auto& m : list) {
    v.left = std::min(v.left, m.rect.left);
    v.top = std::min(v.top, m.rect.top);
    v.right = std::max(v.right, m.rect.right);
    v.bottom = std::max(v.bottom, m.rect.bottom);
  }
  return v;
}

// The strip the taskbar occupies on the primary monitor.
RECT Desktop::Impl::taskbarStrip() const {
  const RECT m = primaryRect();
  // The thickness is in the primary monitor's pixels.
  const Dpi real = monitorDpiAt(primaryIndex());
  const Dpi seen = appDpiAt(primaryIndex());
  const int tx = std::clamp(MulDiv(config.taskbar.thickness, seen.x, real.x), 0,
                            std::max(0, width(m)));
  const int ty = std::clamp(MulDiv(config.taskbar.thickness, seen.y, real.y), 0,
                            std::max(0, height(m)));
  if (config.taskbar.edge == TaskbarEdge::None) return RECT{0, 0, 0, 0};
  const EdgeSides e = sidesOf(config.taskbar.edge);
  RECT r = m;
  r.*e.facing = m.*e.side + e.inwards * (e.down ? ty : tx);
  return r;
}

RECT Desktop::Impl::reportedTaskbar() const {
  if (config.taskbar.edge == TaskbarEdge::None) return RECT{0, 0, 0, 0};
  if (config.taskbar.reportedRect) {
    RECT r = *config.taskbar.reportedRect;
    const Dpi real = monitorDpiAt(primaryIndex());
    const Dpi seen = appDpiAt(primaryIndex());
    if (real != seen) {
      r = RECT{MulDiv(r.left, seen.x, real.x), MulDiv(r.top, seen.y, real.y),
               MulDiv(r.right, seen.x, real.x),
               MulDiv(r.bottom, seen.y, real.y)};
    }
    return r;
  }
  return taskbarStrip();
}

RECT Desktop::Impl::workAreaOf(std::size_t i) const {
  RECT w = monitorAt(i).rect;
  if (i != primaryIndex() || config.taskbar.edge == TaskbarEdge::None ||
      config.taskbar.autoHide) {
    return w;
  }
  // The work area ends where the taskbar's strip does.
  const EdgeSides e = sidesOf(config.taskbar.edge);
  w.*e.side = taskbarStrip().*e.facing;
  return w;
}

// -1 when no monitor intersects the rectangle.
long long Desktop::Impl::bestIntersecting(const RECT& r) const {
  long long best = -1;
  long long bestArea = 0;
  for (std::size_t i = 0; i < monitorCount(); ++i) {
    const long long a = intersectionArea(r, monitorAt(i).rect);
    if (a > bestArea) {
      bestArea = a;
      best = static_cast<long long>(i);
    }
  }
  return best;
}

std::size_t Desktop::Impl::nearestMonitor(const RECT& r) const {
  const long long hit = bestIntersecting(r);
  if (hit >= 0) return static_cast<std::size_t>(hit);
  std::size_t best = 0;
  long long bestGap = LLONG_MAX;
  for (std::size_t i = 0; i < monitorCount(); ++i) {
    const long long g = gapSquared(r, monitorAt(i).rect);
    if (g < bestGap) {
      bestGap = g;
      best = i;
    }
  }
  return best;
}

// A minimized window belongs to the monitor of its restored position, as
// Windows does, not to wherever (-32000, -32000) happens to be nearest.
RECT Desktop::Impl::monitorProbeRect(const Window& w) const {
  if (w.state == State::Minimized) {
    RECT r = w.normalRect;
    const POINT off = screenOffset(w);
    OffsetRect(&r, off.x, off.y);
    return r;
  }
  return screenRect(w);
}

// Workspace coordinates: screen coordinates less the offset of the work
// area within its monitor, which WINDOWPLACEMENT uses for top-level windows.
POINT Desktop::Impl::workspaceOffset(const Window& w) const {
  if (w.child || (w.exStyle & WS_EX_TOOLWINDOW)) return POINT{0, 0};
  const std::size_t m = nearestMonitor(monitorProbeRect(w));
  const RECT mon = monitorAt(m).rect;
  const RECT work = workAreaOf(m);
  return POINT{work.left - mon.left, work.top - mon.top};
}

RECT Desktop::workArea() const {
  return impl_->workAreaOf(impl_->primaryIndex());
}

RECT Desktop::taskbarRect() const { return impl_->reportedTaskbar(); }

HMONITOR Desktop::monitorFromWindow(HWND wnd, DWORD flags) {
  impl_->recordCall("MonitorFromWindow", wnd);
  const auto* w = impl_->find(wnd);
  if (w == nullptr) return impl_->monitorForRect(nullptr, flags);
  const RECT probe = impl_->monitorProbeRect(*w);
  return impl_->monitorForRect(&probe, flags);
}

HMONITOR Desktop::monitorFromRect(const RECT* rect, DWORD flags) {
  impl_->recordCall("MonitorFromRect", nullptr);
  return impl_->monitorForRect(rect, flags);
}

HMONITOR Desktop::Impl::monitorForRect(const RECT* r, DWORD flags) const {
  const long long hit = r != nullptr ? bestIntersecting(*r) : -1;
  std::size_t index = 0;
  if (hit >= 0) {
    index = static_cast<std::size_t>(hit);
  } else if (flags == MONITOR_DEFAULTTONEAREST && r != nullptr) {
    index = nearestMonitor(*r);
  } else if (flags == MONITOR_DEFAULTTONEAREST ||
             flags == MONITOR_DEFAULTTOPRIMARY) {
    index = primaryIndex();
  } else {
    return nullptr;
  }
  return makeHandle<HMONITOR>(index + 1, kTagMonitor);
}

BOOL Desktop::getMonitorInfo(HMONITOR monitor, MONITORINFO* info) {
  impl_->recordCall("GetMonitorInfoW", nullptr);
  const std::size_t serial = handleSerial(monitor, kTagMonitor);
  if (info == nullptr || info->cbSize < sizeof(MONITORINFO) || serial == 0 ||
      serial > impl_->monitorCount()) {
    return FALSE;
  }
  const std::size_t i = serial - 1;
  info->rcMonitor = impl_->monitorAt(i).rect;
  info->rcWork = impl_->workAreaOf(i);
  info->dwFlags = i == impl_->primaryIndex() ? MONITORINFOF_PRIMARY : 0;
  return TRUE;
}

UINT_PTR Desktop::shAppBarMessage(DWORD message, APPBARDATA* data) {
  impl_->recordCall("SHAppBarMessage", nullptr);
  const auto& tb = impl_->config.taskbar;
  switch (message) {
    case ABM_GETSTATE:
      if (tb.edge == TaskbarEdge::None) return 0;
      return ABS_ALWAYSONTOP | (tb.autoHide ? ABS_AUTOHIDE : 0);
    case ABM_GETTASKBARPOS: {
      if (tb.edge == TaskbarEdge::None || data == nullptr) return 0;
      data->rc = impl_->reportedTaskbar();
      data->uEdge = tb.edge == TaskbarEdge::Left    ? ABE_LEFT
                    : tb.edge == TaskbarEdge::Top   ? ABE_TOP
                    : tb.edge == TaskbarEdge::Right ? ABE_RIGHT
                                                    : ABE_BOTTOM;
      return 1;
    }
    default:
      return 0;
  }
}

// ---- Metrics

int Desktop::Impl::smallCaptionHeight(const Dpi& dpi) const {
  return metricY(config.smallCaptionHeight > 0 ? config.smallCaptionHeight
                                               : config.captionHeight * 3 / 4,
                 dpi);
}

POINT Desktop::Impl::minTrack(const Dpi& dpi) const {
  return POINT{metricX(136, dpi), metricY(39, dpi)};
}

POINT Desktop::Impl::maxTrack(const Dpi& dpi) const {
  const RECT v = virtualScreen();
  return POINT{width(v) +
                   2 * (metricX(config.sizeFrame, dpi) +
                        metricX(config.paddedBorder, dpi)) +
                   4,
               height(v) +
                   2 * (metricY(config.sizeFrame, dpi) +
                        metricY(config.paddedBorder, dpi)) +
                   4};
}

MINMAXINFO Desktop::Impl::defaultMinMax(const Window& w) const {
  const RECT work = workAreaOf(nearestMonitor(monitorProbeRect(w)));
  MINMAXINFO mmi{};
  mmi.ptMaxSize =
      POINT{width(work) + 2 * w.frameX, height(work) + 2 * w.frameY};
  mmi.ptMaxPosition = POINT{work.left - w.frameX, work.top - w.frameY};
  mmi.ptMinTrackSize = minTrack(dpiOf(w));
  mmi.ptMaxTrackSize = maxTrack(dpiOf(w));
  return mmi;
}

HDC Desktop::getDC(HWND wnd) {
  impl_->recordCall("GetDC", wnd);
  if (wnd != nullptr && impl_->find(wnd) == nullptr) return nullptr;
  return makeHandle<HDC>(kScreenDc, kTagDc);
}

int Desktop::releaseDC(HWND wnd, HDC /*dc*/) {
  impl_->recordCall("ReleaseDC", wnd);
  return 1;
}

int Desktop::getDeviceCaps(HDC dc, int index) {
  impl_->recordCall("GetDeviceCaps", nullptr);
  if (handleSerial(dc, kTagDc) != kScreenDc) return 0;
  if (index == LOGPIXELSX) return impl_->appSystemDpi().x;
  if (index == LOGPIXELSY) return impl_->appSystemDpi().y;
  return 0;
}

int Desktop::getSystemMetrics(int index) {
  impl_->recordCall("GetSystemMetrics", nullptr);
  return impl_->systemMetric(index, impl_->appSystemDpi());
}

// A metric as it is at `dpi`; the screen's size and the monitor count do
// not depend on it.
int Desktop::Impl::systemMetric(int index, const Dpi& dpi) const {
  const auto& c = config;
  for (const FrameMetric& m : kFrameMetrics) {
    if (m.index == index) {
      return m.vertical ? metricY(c.*m.size, dpi) : metricX(c.*m.size, dpi);
    }
  }
  switch (index) {
    case SM_CXSCREEN:
      return width(primaryRect());
    case SM_CYSCREEN:
      return height(primaryRect());
    case SM_CMONITORS:
      return static_cast<int>(monitorCount());
    case SM_CYSMCAPTION:
      return smallCaptionHeight(dpi);
    case SM_CXMINTRACK:
      return minTrack(dpi).x;
    case SM_CYMINTRACK:
      return minTrack(dpi).y;
    case SM_CXMAXTRACK:
      return maxTrack(dpi).x;
    case SM_CYMAXTRACK:
      return maxTrack(dpi).y;
    case SM_CXMAXIMIZED:
      return width(workAreaOf(primaryIndex())) +
             2 * (metricX(c.sizeFrame, dpi) + metricX(c.paddedBorder, dpi));
    case SM_CYMAXIMIZED:
      return height(workAreaOf(primaryIndex())) +
             2 * (metricY(c.sizeFrame, dpi) + metricY(c.paddedBorder, dpi));
    default:
      return 0;
  }
}

// ---- Composition

HRESULT Desktop::dwmIsCompositionEnabled(BOOL* enabled) {
  impl_->recordCall("DwmIsCompositionEnabled", nullptr);
  impl_->dwmLoaded = true;
  if (enabled == nullptr) return E_INVALIDARG;
  *enabled = impl_->config.composition ? TRUE : FALSE;
  return S_OK;
}

HRESULT Desktop::dwmGetWindowAttribute(HWND wnd, DWORD attribute, void* value,
                                       DWORD size) {
  impl_->recordCall("DwmGetWindowAttribute", wnd);
  impl_->dwmLoaded = true;
  if (attribute != DWMWA_EXTENDED_FRAME_BOUNDS) return E_NOTIMPL;
  if (value == nullptr || size < sizeof(RECT)) return E_INVALIDARG;
  if (!impl_->config.composition) return E_FAIL;
  const auto* w = impl_->find(wnd);
  if (w == nullptr) return E_FAIL;
  RECT r = impl_->screenRect(*w);
  if (!w->child && (w->style & WS_THICKFRAME) &&
      w->state == Impl::State::Normal) {
    // The margins are drawn at the window's DPI.
    const auto& m = impl_->config.margins;
    const Dpi dpi = impl_->dpiOf(*w);
    r.left += impl_->metricX(m.left, dpi);
    r.top += impl_->metricY(m.top, dpi);
    r.right -= impl_->metricX(m.right, dpi);
    r.bottom -= impl_->metricY(m.bottom, dpi);
  }
  std::memcpy(value, &r, sizeof r);
  return S_OK;
}

}  // namespace flx::sim
