// DPI on the simulated desktop: the DPI the process sees (its awareness
// decides), the DPI of each window, the non-client metrics at a DPI, and the
// DPI change of a per-monitor aware window (WM_GETDPISCALEDSIZE, then
// WM_DPICHANGED) when a move carries it onto a monitor of another DPI or
// the user changes its monitor's scale.
#include "host/sim/desktop_impl.h"

namespace flx::sim {

namespace {

constexpr UINT kQuietFlags = SWP_NOZORDER | SWP_NOACTIVATE;

// The pseudo contexts SetProcessDpiAwarenessContext takes, by awareness.
DPI_AWARENESS_CONTEXT contextOf(DpiAwareness awareness) {
  switch (awareness) {
    case DpiAwareness::Unaware:
      return DPI_AWARENESS_CONTEXT_UNAWARE;
    case DpiAwareness::System:
      return DPI_AWARENESS_CONTEXT_SYSTEM_AWARE;
    case DpiAwareness::PerMonitor:
      break;
  }
  return DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2;
}

}  // namespace

std::string_view toString(DpiAwareness awareness) {
  switch (awareness) {
    case DpiAwareness::Unaware:
      return "unaware";
    case DpiAwareness::System:
      return "system";
    case DpiAwareness::PerMonitor:
      return "permonitor";
  }
  return "?";
}

// ---- The DPI the process sees

// Per-monitor v2 came with Windows 10; an older system honours the
// manifest's dpiAware fallback, which is system awareness.
DpiAwareness Desktop::Impl::awareness() const {
  if (config.awareness == DpiAwareness::PerMonitor &&
      config.version.major < 10) {
    return DpiAwareness::System;
  }
  return config.awareness;
}

Dpi Desktop::Impl::systemDpi() const { return Dpi{config.dpiX, config.dpiY}; }

Dpi Desktop::Impl::appSystemDpi() const {
  if (awareness() == DpiAwareness::Unaware) {
    return Dpi{USER_DEFAULT_SCREEN_DPI, USER_DEFAULT_SCREEN_DPI};
  }
  return systemDpi();
}

Dpi Desktop::Impl::monitorDpiAt(std::size_t i) const {
  const int own = i < config.monitors.size() ? config.monitors[i].dpi : 0;
  return own > 0 ? Dpi{own, own} : systemDpi();
}

Dpi Desktop::Impl::appDpiAt(std::size_t i) const {
  return awareness() == DpiAwareness::PerMonitor ? monitorDpiAt(i)
                                                 : appSystemDpi();
}

Dpi Desktop::Impl::dpiOf(const Window& w) const {
  const Window* top = &w;
  int guard = 0;
  while (top->child && guard++ < 100000) {
    const Window* p = find(top->parent);
    if (p == nullptr) return appSystemDpi();
    top = p;
  }
  return top->dpi;
}

Dpi Desktop::Impl::decideDpi(const RECT& r) const {
  if (awareness() != DpiAwareness::PerMonitor) return appSystemDpi();
  return monitorDpiAt(nearestMonitor(r));
}

int Desktop::Impl::metricX(int v, const Dpi& dpi) const {
  if (config.scaleMetricsWithDpi) return MulDiv(v, dpi.x, 96);
  // Metrics given as they are at the system DPI scale from there.
  const int base = config.dpiX;
  return dpi.x == base || base <= 0 ? v : MulDiv(v, dpi.x, base);
}

int Desktop::Impl::metricY(int v, const Dpi& dpi) const {
  if (config.scaleMetricsWithDpi) return MulDiv(v, dpi.y, 96);
  const int base = config.dpiY;
  return dpi.y == base || base <= 0 ? v : MulDiv(v, dpi.y, base);
}

// ---- DPI changes

void Desktop::Impl::checkDpi(HWND wnd) {
  const Window* w = find(wnd);
  if (w == nullptr || w->child || w->dpiChanging || w->destroying ||
      awareness() != DpiAwareness::PerMonitor) {
    return;
  }
  // Decided once per move: a window whose new size tips it back over the
  // boundary keeps the new DPI until it moves again.
  const Dpi next = decideDpi(monitorProbeRect(*w));
  if (next != w->dpi) changeDpi(wnd, next);
}

void Desktop::Impl::changeDpi(HWND wnd, Dpi next) {
  Window* w = find(wnd);
  if (w == nullptr || w->child || w->dpiChanging) return;
  const Dpi old = w->dpi;
  w->dpiChanging = true;
  const RECT pending = w->rect;
  SIZE size{width(pending), height(pending)};
  bool sized = false;
  // Only a window in its normal state has a size of its own to ask about.
  if (w->state == State::Normal) {
    sized = deliverPtr(wnd, WM_GETDPISCALEDSIZE, static_cast<WPARAM>(next.y),
                       &size) != 0;
    w = find(wnd);
    if (w == nullptr) return;
  }
  const Frame frame = frameFor(false, w->style, w->exStyle, next);
  // Linear scaling: the client area times the ratio of the DPIs, the
  // non-client area as it is at the new DPI.
  auto linear = [&](const RECT& r) {
    const int cw = std::max(0, width(r) - 2 * w->frameX);
    const int ch = std::max(0, height(r) - 2 * w->frameY - w->caption);
    return SIZE{MulDiv(cw, next.x, old.x) + 2 * frame.x,
                MulDiv(ch, next.y, old.y) + 2 * frame.y + frame.caption};
  };
  RECT suggested = pending;
  if (w->state == State::Normal) {
    if (!sized) size = linear(pending);
    suggested.right = pending.left + size.cx;
    suggested.bottom = pending.top + size.cy;
  } else {
    // The restore rectangle keeps its corner and scales; a maximised
    // window is offered its monitor's maximised rectangle at the new DPI,
    // a minimised one keeps its place.
    const SIZE normal = linear(w->normalRect);
    w->normalRect.right = w->normalRect.left + normal.cx;
    w->normalRect.bottom = w->normalRect.top + normal.cy;
    if (w->state == State::Maximized) {
      const RECT work = workAreaOf(nearestMonitor(screenRect(*w)));
      suggested = RECT{work.left - frame.x, work.top - frame.y,
                       work.right + frame.x, work.bottom + frame.y};
    }
  }
  w->dpi = next;
  deliverPtr(wnd, WM_DPICHANGED, MAKEWPARAM(next.x, next.y), &suggested);
  w = find(wnd);
  if (w == nullptr) return;
  // The system scales the non-client area whatever the window does with
  // the suggestion. Still within the change: a window that the new frame
  // tips back over the boundary keeps the new DPI until it moves again
  // (else two monitors would hand it back and forth without end).
  const Frame now = frameFor(false, w->style, w->exStyle, w->dpi);
  if (now.x != w->frameX || now.y != w->frameY || now.caption != w->caption) {
    position(wnd, nullptr, 0, 0, 0, 0,
             SWP_NOMOVE | SWP_NOSIZE | SWP_FRAMECHANGED | kQuietFlags);
    w = find(wnd);
    if (w == nullptr) return;
  }
  w->dpiChanging = false;
}

void Desktop::Impl::moveByCaption(HWND wnd, int x, int y) {
  const Window* w = find(wnd);
  if (w == nullptr || w->child || w->state != State::Normal) return;
  deliver(wnd, WM_ENTERSIZEMOVE, 0, 0);
  w = find(wnd);
  if (w == nullptr) return;
  RECT r{x, y, x + width(w->rect), y + height(w->rect)};
  deliverPtr(wnd, WM_MOVING, 0, &r);
  if (find(wnd) == nullptr) return;
  position(wnd, nullptr, r.left, r.top, 0, 0, SWP_NOSIZE | kQuietFlags);
  deliver(wnd, WM_EXITSIZEMOVE, 0, 0);
}

// ---- User actions and inspection

void Desktop::dragCaption(HWND wnd, int x, int y) {
  impl_->moveByCaption(wnd, x, y);
}

bool Desktop::setMonitorDpi(std::size_t index, int dpi) {
  if (index >= impl_->monitorCount() || dpi < 1 || dpi > 10000) return false;
  auto& monitors = impl_->config.monitors;
  if (monitors.empty()) monitors.push_back(MonitorConfig{});
  monitors[index].dpi = dpi;
  std::vector<HWND> tops;
  for (const auto& w : impl_->windows) {
    if (w != nullptr && !w->child && !w->destroying) tops.push_back(w->handle);
  }
  for (HWND wnd : tops) impl_->checkDpi(wnd);
  return true;
}

std::size_t Desktop::monitorOf(HWND wnd) const {
  const auto* w = impl_->find(wnd);
  if (w == nullptr) return impl_->primaryIndex();
  return impl_->nearestMonitor(impl_->monitorProbeRect(*w));
}

RECT Desktop::monitorRect(std::size_t index) const {
  if (index >= impl_->monitorCount()) return RECT{0, 0, 0, 0};
  return impl_->monitorAt(index).rect;
}

int Desktop::monitorDpi(std::size_t index) const {
  if (index >= impl_->monitorCount()) return 0;
  return impl_->monitorDpiAt(index).y;
}

DpiAwareness Desktop::effectiveAwareness() const { return impl_->awareness(); }

// ---- WindowSystem

UINT Desktop::getDpiForWindow(HWND wnd) {
  impl_->recordCall("GetDpiForWindow", wnd);
  const auto* w = impl_->find(wnd);
  if (w == nullptr) return 0;
  return static_cast<UINT>(impl_->dpiOf(*w).y);
}

UINT Desktop::getDpiForSystem() {
  impl_->recordCall("GetDpiForSystem", nullptr);
  return static_cast<UINT>(impl_->appSystemDpi().y);
}

BOOL Desktop::adjustWindowRectExForDpi(RECT* rect, DWORD style, BOOL /*menu*/,
                                       DWORD exStyle, UINT dpi) {
  impl_->recordCall("AdjustWindowRectExForDpi", nullptr);
  if (rect == nullptr || dpi == 0) return FALSE;
  const Dpi at{static_cast<int>(dpi), static_cast<int>(dpi)};
  const auto f = impl_->frameFor((style & WS_CHILD) != 0, style, exStyle, at);
  rect->left -= f.x;
  rect->right += f.x;
  rect->top -= f.y + f.caption;
  rect->bottom += f.y;
  return TRUE;
}

int Desktop::getSystemMetricsForDpi(int index, UINT dpi) {
  impl_->recordCall("GetSystemMetricsForDpi", nullptr);
  return impl_->systemMetric(index,
                             Dpi{static_cast<int>(dpi), static_cast<int>(dpi)});
}

DPI_AWARENESS_CONTEXT Desktop::getThreadDpiAwarenessContext() {
  impl_->recordCall("GetThreadDpiAwarenessContext", nullptr);
  return contextOf(impl_->awareness());
}

DPI_AWARENESS Desktop::getAwarenessFromDpiAwarenessContext(
    DPI_AWARENESS_CONTEXT context) {
  impl_->recordCall("GetAwarenessFromDpiAwarenessContext", nullptr);
  switch (reinterpret_cast<std::intptr_t>(context)) {
    case -1:  // unaware
    case -5:  // unaware, GDI scaled
      return DPI_AWARENESS_UNAWARE;
    case -2:
      return DPI_AWARENESS_SYSTEM_AWARE;
    case -3:  // per-monitor v1
    case -4:  // and v2
      return DPI_AWARENESS_PER_MONITOR_AWARE;
    default:
      return DPI_AWARENESS_INVALID;
  }
}

// ---- Per-monitor dialog scaling: recorded, for the tests to see that it
// was switched off; the simulated desktop has no dialog re-layout of its
// own to switch.

namespace {

BOOL recordBehavior(std::vector<std::pair<HWND, DWORD>>& table, HWND wnd,
                    DWORD mask, DWORD values) {
  auto it = std::find_if(table.begin(), table.end(),
                         [&](const auto& e) { return e.first == wnd; });
  if (it == table.end()) {
    table.emplace_back(wnd, 0);
    it = std::prev(table.end());
  }
  it->second = (it->second & ~mask) | (values & mask);
  return TRUE;
}

std::optional<DWORD> behaviorOf(const std::vector<std::pair<HWND, DWORD>>& t,
                                HWND wnd) {
  for (const auto& [w, v] : t) {
    if (w == wnd) return v;
  }
  return std::nullopt;
}

}  // namespace

BOOL Desktop::setDialogDpiChangeBehavior(HWND dialog, DWORD mask,
                                         DWORD values) {
  impl_->recordCall("SetDialogDpiChangeBehavior", dialog);
  if (impl_->find(dialog) == nullptr) return FALSE;
  return recordBehavior(impl_->dialogDpiBehavior, dialog, mask, values);
}

BOOL Desktop::setDialogControlDpiChangeBehavior(HWND control, DWORD mask,
                                                DWORD values) {
  impl_->recordCall("SetDialogControlDpiChangeBehavior", control);
  if (impl_->find(control) == nullptr) return FALSE;
  return recordBehavior(impl_->controlDpiBehavior, control, mask, values);
}

std::optional<DWORD> Desktop::dialogDpiBehavior(HWND wnd) const {
  return behaviorOf(impl_->dialogDpiBehavior, wnd);
}

std::optional<DWORD> Desktop::controlDpiBehavior(HWND wnd) const {
  return behaviorOf(impl_->controlDpiBehavior, wnd);
}

}  // namespace flx::sim
