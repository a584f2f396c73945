// The form window procedure and its handlers of first-show sizing and
// placement, the maximised size and the drag limits. The fourth handler,
// WM_SIZE, is the rescale pass (rescale_pass.cpp).
#include <algorithm>
#include <cstdint>

#include "flexarium/winapi.h"
#include "unit/unit_private.h"

namespace flx {

using namespace win;

namespace {

WNDPROC formsOwnProc(HWND wnd) {
  return reinterpret_cast<WNDPROC>(GetPropW(wnd, unit::kPrevProcProp));
}

// Hands a message to the form's own procedure when no component serves the
// window (its component was freed while the form lives on).
LRESULT passToForm(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  WNDPROC proc = formsOwnProc(wnd);
  LRESULT result = proc != nullptr
                       ? CallWindowProcW(proc, wnd, msg, wParam, lParam)
                       : DefWindowProcW(wnd, msg, wParam, lParam);
  if (msg == WM_NCDESTROY) RemovePropW(wnd, unit::kPrevProcProp);
  return result;
}

}  // namespace

LRESULT TFlexarium::Impl::PassOn(HWND Wnd, UINT Msg, WPARAM WParam,
                                 LPARAM LParam) {
  // A second component on the form replaced FormWndProc with itself: its
  // previous procedure would lead back here, so go to the form's own one.
  if (lpPrevWndProc == nullptr || lpPrevWndProc == &FormWndProc) {
    return passToForm(Wnd, Msg, WParam, LParam);
  }
  LRESULT result = CallWindowProcW(lpPrevWndProc, Wnd, Msg, WParam, LParam);
  if (Msg == WM_NCDESTROY) RemovePropW(Wnd, unit::kPrevProcProp);
  return result;
}

bool TFlexarium::Impl::BusyForm(HWND Wnd) {
  return IsIconic(Wnd) || BusyMdiChild();
}

bool TFlexarium::Impl::BusyMdiChild() {
  auto* form = dynamic_cast<TCustomForm*>(Owner());
  return form != nullptr && form->FormStyle() == TFormStyle::fsMDIChild &&
         form->WindowState() != TWindowState::wsNormal;
}

void TFlexarium::Impl::HandleShowWindow(HWND Wnd, WPARAM WParam,
                                        bool HookPath) {
  if ((WParam & 0xFF) != 1 || FIsResized) return;
  if (BusyForm(Wnd)) return;
  if (HookPath) {
    LastScreenWidth = GetSystemMetrics(SM_CXSCREEN);
    LastScreenHeight = GetSystemMetrics(SM_CYSCREEN);
  }
  int W = 0, H = 0, Edge = teNone;
  APPBARDATA TaskbarData{};
  GetTaskbarArea(Wnd, W, H, Edge, FValidTaskbar, TaskbarData);
  std::int64_t w, h;
  if (FFormWidth > 0 && FFormHeight > 0) {
    w = FFormWidth;
    h = FFormHeight;
  } else {
    RECT r{};
    GetWindowRect(Wnd, &r);
    w = unit::Extent(r.left, r.right);
    h = unit::Extent(r.top, r.bottom);
  }
  w = std::min<std::int64_t>(w, W);
  h = std::min<std::int64_t>(h, H);
  if (TWinControl* form = OwnerForm()) {
    PlaceForm(form, FFormPos, FValidTaskbar, unit::Saturate(w),
              unit::Saturate(h));
  }
}

void TFlexarium::Impl::HandleGetMinMaxInfo(HWND Wnd, LPARAM LParam,
                                           bool HookPath, bool Maximising,
                                           bool Iconic) {
  if (BusyForm(Wnd) && !(Iconic && IsIconic(Wnd) && !BusyMdiChild())) return;
  auto* Info = reinterpret_cast<MINMAXINFO*>(LParam);
  if (Info == nullptr) return;
  int AvailW = 0, AvailH = 0, Edge = teNone;
  APPBARDATA TaskbarData{};
  GetTaskbarArea(Wnd, AvailW, AvailH, Edge, FValidTaskbar, TaskbarData);
  // Wide: the proposal may hold any value, a negative one widens the area.
  std::int64_t W = AvailW, H = AvailH;
  const std::int64_t tw =
      unit::Extent(TaskbarData.rc.left, TaskbarData.rc.right);
  const std::int64_t th =
      unit::Extent(TaskbarData.rc.top, TaskbarData.rc.bottom);
  std::int64_t mx = Info->ptMaxSize.x, my = Info->ptMaxSize.y;
  std::int64_t px = Info->ptMaxPosition.x, py = Info->ptMaxPosition.y;
  const bool maxSet = FFormMaxWidth > 0 && FFormMaxHeight > 0;
  if (maxSet) {
    mx = LimitW(FFormMaxWidth);
    my = LimitH(FFormMaxHeight);
  } else {
    if (!HookPath && !Maximising && IsZoomed(Wnd)) {
      GetMonitorSize(Wnd, FMaxSize.x, FMaxSize.y);
      return;
    }
    if (mx < 0) W -= mx;
    if (my < 0) H -= my;
    mx = W;
    my = H;
  }
  mx = std::min(mx, W);
  my = std::min(my, H);
  if (maxSet) {
    // Worked out relative to the monitor that shows the form, so that a
    // form on a monitor beside the primary stays on it.
    const RECT Monitor = placement_detail::MonitorRect(Wnd);
    RECT R{};
    GetWindowRect(Wnd, &R);
    const std::int64_t left = std::int64_t{R.left} - Monitor.left;
    const std::int64_t top = std::int64_t{R.top} - Monitor.top;
    const std::int64_t right = std::int64_t{R.right} - Monitor.left;
    const std::int64_t bottom = std::int64_t{R.bottom} - Monitor.top;
    if (left < 0) {
      px = Edge == teLeft ? tw : 0;
    } else if (right <= W) {
      px = (Edge == teLeft && left <= tw) ? tw : left;
    } else {
      px = W - mx + (Edge == teLeft ? tw : 0);
    }
    if (top < 0) {
      py = Edge == teTop ? th : 0;
    } else if (bottom <= H) {
      py = (Edge == teTop && top <= th) ? th : top;
    } else {
      py = H - my + (Edge == teTop ? th : 0);
    }
    px = std::max<std::int64_t>(px, 0) + Monitor.left;
    py = std::max<std::int64_t>(py, 0) + Monitor.top;
  }
  // Windows 98 puts the maximised position under a top or left taskbar.
  if (HookPath && Win32MajorVersion() == 4 && Win32MinorVersion() == 10) {
    if (Edge == teTop) py -= th;
    if (Edge == teLeft) px -= tw;
  }
  const POINT size{unit::Saturate(mx), unit::Saturate(my)};
  Info->ptMaxSize = size;
  Info->ptMaxTrackSize = size;
  Info->ptMaxPosition = {unit::Saturate(px), unit::Saturate(py)};
}

void TFlexarium::Impl::HandleSizing(LPARAM LParam) {
  auto* R = reinterpret_cast<RECT*>(LParam);
  if (R == nullptr) return;
  // Only the right and bottom edges move; the minimum wins over the maximum.
  // An edge that the limit would push past the coordinate range stops there.
  auto limit = [](LONG lo, LONG& hi, int size, bool atMost) {
    const std::int64_t extent = unit::Extent(lo, hi);
    if (atMost ? extent > size : extent < size) {
      hi = unit::Saturate(std::int64_t{lo} + size);
    }
  };
  // The limits are pixels at the start-up DPI, held at the current one.
  if (FFormMaxWidth > 0 && FFormMaxHeight > 0) {
    limit(R->left, R->right, LimitW(FFormMaxWidth), true);
    limit(R->top, R->bottom, LimitH(FFormMaxHeight), true);
  }
  if (FFormMinWidth > 0 && FFormMinHeight > 0) {
    limit(R->left, R->right, LimitW(FFormMinWidth), false);
    limit(R->top, R->bottom, LimitH(FFormMinHeight), false);
  }
}

// What WM_SIZE tells the per-monitor DPI code: the client size a change of
// DPI scales from (dpi_change.cpp).
void TFlexarium::Impl::NoteClientSize(WPARAM WParam, LPARAM LParam) {
  if (FDpi == nullptr || WParam == SIZE_MINIMIZED) return;
  DpiState& s = *FDpi;
  ++s.Passes;
  // The size a DPI change gives is derived from the kept one, never kept
  // itself; a maximised size is the monitor's, not one the form was given.
  if (s.Changing || WParam != SIZE_RESTORED) return;
  const int width = LOWORD(static_cast<std::uintptr_t>(LParam));
  const int height = HIWORD(static_cast<std::uintptr_t>(LParam));
  // The kept size itself at this DPI (a restore after a change while
  // maximised) is kept as it was given: taken again here, rounded at this
  // DPI, it would come back a pixel off.
  const SIZE kept = KeptClientSize(FRunDpiW, FRunDpiH);
  if (width == kept.cx && height == kept.cy) return;
  s.ClientWidth = width;
  s.ClientHeight = height;
  s.ClientDpiW = FRunDpiW;
  s.ClientDpiH = FRunDpiH;
}

int TFlexarium::Impl::LimitW(int Value) const {
  if (FDpi == nullptr || Value <= 0 || FRunDpiW == FDpi->StartDpiW ||
      FDpi->StartDpiW <= 0) {
    return Value;
  }
  return std::max(1, unit::ScaleHalfUp(Value, FRunDpiW, FDpi->StartDpiW));
}

int TFlexarium::Impl::LimitH(int Value) const {
  if (FDpi == nullptr || Value <= 0 || FRunDpiH == FDpi->StartDpiH ||
      FDpi->StartDpiH <= 0) {
    return Value;
  }
  return std::max(1, unit::ScaleHalfUp(Value, FRunDpiH, FDpi->StartDpiH));
}

bool TFlexarium::Impl::HandleMessage(HWND Wnd, UINT Msg, WPARAM WParam,
                                     LPARAM LParam, bool HookPath) {
  // Errors of a handler are the application's to hear about; they never
  // cross the window or hook procedure.
  bool answered = false;
  try {
    switch (Msg) {
      case WM_SHOWWINDOW:
        HandleShowWindow(Wnd, WParam, HookPath);
        break;
      case WM_GETMINMAXINFO:
        HandleGetMinMaxInfo(Wnd, LParam, HookPath);
        if (FKeepAspect) KeepAspectMaxInfo(Wnd, LParam, HookPath);
        break;
      case WM_SIZING:
        HandleSizing(LParam);
        if (FKeepAspect) KeepAspectSizing(Wnd, WParam, LParam);
        break;
      case WM_ENTERSIZEMOVE:
        FDragStart = ClientSizeOf(Wnd);
        break;
      case WM_EXITSIZEMOVE:
        FDragStart = {0, 0};
        break;
      case WM_WINDOWPOSCHANGING:
        if (!HookPath) HandleWindowPosChanging(Wnd, LParam);
        break;
      case WM_SIZE:
        NoteClientSize(WParam, LParam);
        HandleSize(Wnd, WParam, LParam, HookPath);
        break;
      // Windows 4.x knows no DPI change.
      case WM_GETDPISCALEDSIZE:
        answered = !HookPath && HandleGetDpiScaledSize(Wnd, WParam, LParam);
        break;
      case WM_DPICHANGED:
        if (!HookPath) HandleDpiChanged(Wnd, WParam, LParam);
        break;
      default:
        break;
    }
  } catch (const std::exception& e) {
    FLastError = e.what();
    HandleException(e);
  } catch (...) {
    FLastError = "unknown error";
    HandleException(Exception("unknown error in a message handler"));
  }
  return answered;
}

LRESULT FLX_CALLBACK FormWndProc(HWND Wnd, UINT Msg, WPARAM WParam,
                                 LPARAM LParam) {
  // Nothing may cross into the window system: errors of a handler are
  // reported to the application and the message still goes on.
  TFlexarium::Impl* self = unit::FindInstance(Wnd);
  bool answered = false;
  if (self != nullptr && self->FEnabled) {
    answered = self->HandleMessage(Wnd, Msg, WParam, LParam, false);
  }
  try {
    const LRESULT result = self != nullptr
                               ? self->PassOn(Wnd, Msg, WParam, LParam)
                               : passToForm(Wnd, Msg, WParam, LParam);
    // The form's own procedure may answer in our stead; DefWindowProc's
    // FALSE would have the system scale linearly after all.
    return answered && result == 0 ? TRUE : result;
  } catch (const std::exception& e) {
    HandleException(e);
  } catch (...) {
    HandleException(Exception("unknown error in the form procedure"));
  }
  return 0;
}

}  // namespace flx
