// The screen around a window: the monitor that shows it, the usable area
// left by the taskbar, and the invisible frame margins that desktop
// composition draws around it. Every call asks the system afresh.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "flexarium/flexarium.h"
#include "flexarium/sysutils.h"
#include "flexarium/winapi.h"
#include "unit/unit_private.h"

namespace flx {

namespace placement_detail {

namespace {

// The monitor that shows the window, and its handle when the system has
// several (nullptr where the screen metrics stand for it).
win::RECT MonitorOf(win::HWND Wnd, win::HMONITOR* Handle) {
  using namespace win;
  if (Handle != nullptr) *Handle = nullptr;
  if (Win32MajorVersion() >= 5 && GetSystemMetrics(SM_CMONITORS) > 1) {
    HMONITOR Monitor = MonitorFromWindow(Wnd, MONITOR_DEFAULTTONEAREST);
    MONITORINFO Info{};
    Info.cbSize = sizeof(MONITORINFO);
    if (GetMonitorInfoW(Monitor, &Info) != FALSE) {
      if (Handle != nullptr) *Handle = Monitor;
      if ((Info.dwFlags & MONITORINFOF_PRIMARY) == 0) return Info.rcMonitor;
    }
  }
  return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN),
              GetSystemMetrics(SM_CYSCREEN)};
}

}  // namespace

// The monitor that shows the window, in screen coordinates. The primary
// monitor always has its origin at (0, 0), so for it (and for every
// fallback) the screen metrics suffice.
win::RECT MonitorRect(win::HWND Wnd) { return MonitorOf(Wnd, nullptr); }

}  // namespace placement_detail

namespace {

bool HasArea(const win::RECT& R) {
  return R.right > R.left && R.bottom > R.top;
}

// The shell reports one taskbar, often a few pixels past the edge of its
// monitor, e.g. (-2, 1040, 1922, 1082): it belongs to the monitor that
// holds the larger part of that report, as the system itself decides, and
// only if it overlaps it at all (clamping it would invert it otherwise).
bool TaskbarOnMonitor(const win::RECT& Bar, const win::RECT& Rect,
                      win::HMONITOR Monitor) {
  const bool overlap =
      std::max(Bar.left, Rect.left) < std::min(Bar.right, Rect.right) &&
      std::max(Bar.top, Rect.top) < std::min(Bar.bottom, Rect.bottom);
  if (!overlap) return false;
  if (Monitor == nullptr) return true;  // one screen: the bar is on it
  return win::MonitorFromRect(&Bar, win::MONITOR_DEFAULTTONEAREST) == Monitor;
}

int TaskbarEdgeOf(win::UINT SystemEdge) {
  switch (SystemEdge) {
    case win::ABE_TOP:
      return teTop;
    case win::ABE_LEFT:
      return teLeft;
    case win::ABE_RIGHT:
      return teRight;
    case win::ABE_BOTTOM:
      return teBottom;
    default:
      return teNone;
  }
}

}  // namespace

void GetMonitorSize(win::HWND Wnd, int& Width, int& Height) {
  const win::RECT Monitor = placement_detail::MonitorRect(Wnd);
  Width = unit::Saturate(unit::Extent(Monitor.left, Monitor.right));
  Height = unit::Saturate(unit::Extent(Monitor.top, Monitor.bottom));
}

void GetTaskbarArea(win::HWND Wnd, int& Width, int& Height, int& Edge,
                    bool ValidTaskbar, win::APPBARDATA& TaskbarData) {
  using namespace win;
  std::memset(&TaskbarData, 0, sizeof(TaskbarData));
  HMONITOR MonitorHandle = nullptr;
  const RECT Monitor = placement_detail::MonitorOf(Wnd, &MonitorHandle);
  std::int64_t W = unit::Extent(Monitor.left, Monitor.right);
  std::int64_t H = unit::Extent(Monitor.top, Monitor.bottom);
  Width = unit::Saturate(W);
  Height = unit::Saturate(H);
  Edge = teNone;
  if (Win32MajorVersion() < 4) return;

  TaskbarData.cbSize = sizeof(APPBARDATA);
  const UINT_PTR State = SHAppBarMessage(ABM_GETSTATE, &TaskbarData);
  SHAppBarMessage(ABM_GETTASKBARPOS, &TaskbarData);
  RECT& Bar = TaskbarData.rc;

  if (!HasArea(Bar)) {
    // Nothing reported (the query failed or there is no taskbar): the zero
    // record, which lies at the origin of the primary monitor, moved to the
    // origin of this one so that it stays a bar of no thickness here too.
    Bar = RECT{Monitor.left, Monitor.top, Monitor.left, Monitor.top};
  } else if (!TaskbarOnMonitor(Bar, Monitor, MonitorHandle)) {
    // On another monitor the bar takes nothing away from this one, even
    // where its report overhangs onto it.
    Bar = RECT{Monitor.left, Monitor.top, Monitor.left, Monitor.top};
    return;
  } else {
    // Overhangs, e.g. (-2, 1040, 1922, 1082) on 1920 x 1080, are cut off.
    Bar.top = std::max(Bar.top, Monitor.top);
    Bar.left = std::max(Bar.left, Monitor.left);
    Bar.right = std::min(Bar.right, Monitor.right);
    Bar.bottom = std::min(Bar.bottom, Monitor.bottom);
  }

  Edge = TaskbarEdgeOf(TaskbarData.uEdge);

  if ((State & ABS_AUTOHIDE) != 0) {
    // A hidden bar takes no room: zero thickness on its own edge.
    switch (Edge) {
      case teTop:
        Bar.bottom = Bar.top;
        break;
      case teLeft:
        Bar.right = Bar.left;
        break;
      case teRight:
        Bar.left = Bar.right;
        break;
      case teBottom:
        Bar.top = Bar.bottom;
        break;
      default:
        break;
    }
  }

  if (ValidTaskbar) {
    if (Edge == teLeft || Edge == teRight) {
      W -= unit::Extent(Bar.left, Bar.right);
    } else if (Edge == teTop || Edge == teBottom) {
      H -= unit::Extent(Bar.top, Bar.bottom);
    }
  }
  Width = unit::Saturate(W);
  Height = unit::Saturate(H);
}

void GetFrameBounds(win::HWND Wnd, win::POINT& FrameOffset,
                    win::POINT& FrameExtra, win::RECT& WindowRect) {
  using namespace win;
  FrameOffset = POINT{0, 0};
  FrameExtra = POINT{0, 0};
  WindowRect = RECT{0, 0, 0, 0};
  GetWindowRect(Wnd, &WindowRect);
  // Only set on Windows 6.0 and later, so the DWM is never bound before.
  if (DwmComposition == FALSE) return;

  RECT Visible{0, 0, 0, 0};
  if (DwmGetWindowAttribute(Wnd, DWMWA_EXTENDED_FRAME_BOUNDS, &Visible,
                            sizeof(Visible)) < 0) {
    return;
  }
  if (EqualRect(&WindowRect, &Visible) != FALSE) return;

  FrameOffset.x = unit::Saturate(unit::Extent(WindowRect.left, Visible.left));
  FrameOffset.y = unit::Saturate(unit::Extent(WindowRect.top, Visible.top));
  FrameExtra.x =
      unit::Saturate(unit::Extent(WindowRect.left, WindowRect.right) -
                     unit::Extent(Visible.left, Visible.right));
  FrameExtra.y =
      unit::Saturate(unit::Extent(WindowRect.top, WindowRect.bottom) -
                     unit::Extent(Visible.top, Visible.bottom));
}

}  // namespace flx
