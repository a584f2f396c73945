// The form window procedure and its four handlers: first-show sizing and
// placement, the maximised size, the drag limits and the rescale pass.
#include <algorithm>

#include "component/unit_private.h"
#include "flexarium/forms.h"
#include "flexarium/winapi.h"

namespace flx {

using namespace win;

namespace {

bool isFrame(const TComponent* c) {
  return dynamic_cast<const TCustomFrame*>(c) != nullptr;
}

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

LRESULT TFlexarium::PassOn(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  // A second component on the form replaced FormWndProc with itself: its
  // previous procedure would lead back here, so go to the form's own one.
  if (lpPrevWndProc == nullptr || lpPrevWndProc == &FormWndProc) {
    return passToForm(Wnd, Msg, WParam, LParam);
  }
  LRESULT result = CallWindowProcW(lpPrevWndProc, Wnd, Msg, WParam, LParam);
  if (Msg == WM_NCDESTROY) RemovePropW(Wnd, unit::kPrevProcProp);
  return result;
}

bool TFlexarium::BusyForm(HWND Wnd) {
  if (IsIconic(Wnd)) return true;
  auto* form = dynamic_cast<TCustomForm*>(Owner());
  return form != nullptr && form->FormStyle() == TFormStyle::fsMDIChild &&
         form->WindowState() != TWindowState::wsNormal;
}

void TFlexarium::HandleShowWindow(HWND Wnd, WPARAM WParam, bool HookPath) {
  if ((WParam & 0xFF) != 1 || FIsResized) return;
  if (BusyForm(Wnd)) return;
  if (HookPath) {
    LastScreenWidth = GetSystemMetrics(SM_CXSCREEN);
    LastScreenHeight = GetSystemMetrics(SM_CYSCREEN);
  }
  int W = 0, H = 0, Edge = teNone;
  APPBARDATA TaskbarData{};
  GetTaskbarArea(Wnd, W, H, Edge, FValidTaskbar, TaskbarData);
  int w, h;
  if (FFormWidth > 0 && FFormHeight > 0) {
    w = FFormWidth;
    h = FFormHeight;
  } else {
    RECT r{};
    GetWindowRect(Wnd, &r);
    w = r.right - r.left;
    h = r.bottom - r.top;
  }
  w = std::min(w, W);
  h = std::min(h, H);
  if (TWinControl* form = OwnerForm()) {
    PlaceForm(form, FFormPos, FValidTaskbar, w, h);
  }
}

void TFlexarium::HandleGetMinMaxInfo(HWND Wnd, LPARAM LParam, bool HookPath) {
  if (BusyForm(Wnd)) return;
  auto* Info = reinterpret_cast<MINMAXINFO*>(LParam);
  if (Info == nullptr) return;
  int W = 0, H = 0, Edge = teNone;
  APPBARDATA TaskbarData{};
  GetTaskbarArea(Wnd, W, H, Edge, FValidTaskbar, TaskbarData);
  const int tw = TaskbarData.rc.right - TaskbarData.rc.left;
  const int th = TaskbarData.rc.bottom - TaskbarData.rc.top;
  int mx = Info->ptMaxSize.x, my = Info->ptMaxSize.y;
  int px = Info->ptMaxPosition.x, py = Info->ptMaxPosition.y;
  const bool maxSet = FFormMaxWidth > 0 && FFormMaxHeight > 0;
  if (maxSet) {
    mx = FFormMaxWidth;
    my = FFormMaxHeight;
  } else {
    if (!HookPath && IsZoomed(Wnd)) {
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
    RECT R{};
    GetWindowRect(Wnd, &R);
    if (R.left < 0) {
      px = Edge == teLeft ? tw : 0;
    } else if (R.right <= W) {
      px = (Edge == teLeft && R.left <= tw) ? tw : R.left;
    } else {
      px = W - mx + (Edge == teLeft ? tw : 0);
    }
    if (R.top < 0) {
      py = Edge == teTop ? th : 0;
    } else if (R.bottom <= H) {
      py = (Edge == teTop && R.top <= th) ? th : R.top;
    } else {
      py = H - my + (Edge == teTop ? th : 0);
    }
    px = std::max(px, 0);
    py = std::max(py, 0);
  }
  // Windows 98 puts the maximised position under a top or left taskbar.
  if (HookPath && Win32MajorVersion() == 4 && Win32MinorVersion() == 10) {
    if (Edge == teTop) py -= th;
    if (Edge == teLeft) px -= tw;
  }
  Info->ptMaxSize = {mx, my};
  Info->ptMaxTrackSize = {mx, my};
  Info->ptMaxPosition = {px, py};
}

void TFlexarium::HandleSizing(LPARAM LParam) {
  auto* R = reinterpret_cast<RECT*>(LParam);
  if (R == nullptr) return;
  // Only the right and bottom edges move; the minimum wins over the maximum.
  if (FFormMaxWidth > 0 && FFormMaxHeight > 0) {
    if (R->right - R->left > FFormMaxWidth) R->right = R->left + FFormMaxWidth;
    if (R->bottom - R->top > FFormMaxHeight) {
      R->bottom = R->top + FFormMaxHeight;
    }
  }
  if (FFormMinWidth > 0 && FFormMinHeight > 0) {
    if (R->right - R->left < FFormMinWidth) R->right = R->left + FFormMinWidth;
    if (R->bottom - R->top < FFormMinHeight) {
      R->bottom = R->top + FFormMinHeight;
    }
  }
}

void TFlexarium::ControlStep(TControl* Ctl, PCtrlInfo Info, double sx,
                             double sy, double sf, bool UpdateFactors) {
  ScaleCtrlFont(true, Info, Ctl);
  // What the control's own font size reads once set (sizes travel through
  // the pixel height, as the framework keeps them).
  int fontSize = 0;
  bool sizeSet = false;
  if (FResizeFont && Info->Font && !FontExcluded(Ctl->Name())) {
    // Control fonts truncate; only an exact 0 is lifted to 1.
    int size =
        unit::TruncInt(Info->Font->Size() * static_cast<long double>(sf));
    const int ppi = Ctl->Font().PixelsPerInch();
    auto readBack = [ppi](int points) {
      return -MulDiv(-MulDiv(points, ppi, 72), 72, ppi);
    };
    fontSize = readBack(size);
    if (fontSize == 0) fontSize = readBack(1);
    sizeSet = true;
    // A control that follows its parent gets the parent's font back at the
    // end of its step, which replaces this size: setting it would only
    // realise a font for nothing.
    if (!Info->ParentFont) {
      Ctl->Font().SetSize(size);
      if (Ctl->Font().Size() == 0) Ctl->Font().SetSize(1);
      fontSize = Ctl->Font().Size();
    }
  }
  Ctl->SetTop(unit::HalfUp(Info->Top * static_cast<long double>(sy)));
  Ctl->SetLeft(unit::HalfUp(Info->Left * static_cast<long double>(sx)));
  Ctl->SetWidth(unit::HalfUp(Info->Width * static_cast<long double>(sx)));
  Ctl->SetHeight(unit::HalfUp(Info->Height * static_cast<long double>(sy)));
  if (Ctl->Top() == 0) Ctl->SetTop(1);
  if (Ctl->Left() == 0) Ctl->SetLeft(1);
  if (Ctl->Width() == 0) Ctl->SetWidth(1);
  if (Ctl->Height() == 0) Ctl->SetHeight(1);
  Info->OldTop = Ctl->Top();
  Info->OldLeft = Ctl->Left();
  Info->OldWidth = Ctl->Width();
  Info->OldHeight = Ctl->Height();
  if (Info->Font) Info->OldFontSize = sizeSet ? fontSize : Ctl->Font().Size();
  if (UpdateFactors) FactorsPending = true;
  ScaleCtrlFont(false, Info, Ctl);
}

void TFlexarium::HandleSize(HWND Wnd, WPARAM WParam, LPARAM LParam,
                            bool HookPath) {
  if (WParam == SIZE_MINIMIZED) return;
  const unsigned cw = LOWORD(static_cast<std::uintptr_t>(LParam));
  const unsigned ch = HIWORD(static_cast<std::uintptr_t>(LParam));
  double sx = 1.0, sy = 1.0;
  // A zero reference size leaves its factor at 1.0 rather than dividing by 0.
  if (FRunDpiW != 0 && FOwnerWidth != 0) {
    sx = (static_cast<long double>(cw) / FOwnerWidth) *
         (static_cast<long double>(FDesignDpiW) / FRunDpiW);
  }
  if (FRunDpiH != 0 && FOwnerHeight != 0) {
    sy = (static_cast<long double>(ch) / FOwnerHeight) *
         (static_cast<long double>(FDesignDpiH) / FRunDpiH);
  }
  const double sf = sy >= sx ? sx : sy;
  SyncCtrlList();
  auto* form = dynamic_cast<TControl*>(Owner());
  if (form == nullptr) return;
  // Drawing is held from the form's font on: every control that follows it
  // takes the new font, and none should repaint on its own.
  LockWindowUpdate(Wnd);
  // The factors at which the controls' fonts now stand are the previous
  // pass's until the whole pass is done: a base font derived in the middle
  // of the pass must divide by those, not by the factors being applied.
  FactorsPending = false;
  auto commitFactors = [&] {
    if (!FactorsPending) return;
    FPrevScaleX = sx;
    FPrevScaleY = sy;
    FPrevScaleF = sf;
    FactorsPending = false;
  };
  try {
    if (FResizeFont && FOwnerFont && !FontExcluded(Owner()->Name())) {
      form->Font().SetSize(
          unit::HalfUp(FOwnerFont->Size() * static_cast<long double>(sf)));
    }
    TComponent* owner = Owner();
    for (int i = 0; i < owner->ComponentCount(); ++i) {
      TComponent* C = owner->Components(i);
      auto* control = dynamic_cast<TControl*>(C);
      if (control == nullptr || Excluded(C->Name())) continue;
      PCtrlInfo Info = FindCtrlOf(C);
      if (Info == nullptr) continue;
      ControlStep(control, Info, sx, sy, sf, true);
      if (C->ComponentCount() != 0 && isFrame(C)) {
        for (int j = 0; j < C->ComponentCount(); ++j) {
          TComponent* S = C->Components(j);
          auto* child = dynamic_cast<TControl*>(S);
          if (child == nullptr || Excluded(S->Name())) continue;
          if (PCtrlInfo ChildInfo = FindChildCtrl(C->Name(), S->Name())) {
            ControlStep(child, ChildInfo, sx, sy, sf, false);
          }
        }
      }
    }
  } catch (...) {
    // The drawing lock must not outlive a failed pass.
    commitFactors();
    LockWindowUpdate(nullptr);
    throw;
  }
  commitFactors();
  LockWindowUpdate(nullptr);
  if (WParam == SIZE_MAXIMIZED) {
    if (FFormMaxWidth > 0 && FFormMaxHeight > 0) {
      int W = 0, H = 0, Edge = teNone;
      APPBARDATA TaskbarData{};
      GetTaskbarArea(Wnd, W, H, Edge, FValidTaskbar, TaskbarData);
      RECT R{};
      GetWindowRect(Wnd, &R);
      const int tw = TaskbarData.rc.right - TaskbarData.rc.left;
      const int th = TaskbarData.rc.bottom - TaskbarData.rc.top;
      // W and H become the right and bottom of the usable area.
      if (Edge == teTop && FValidTaskbar) H += th;
      if (Edge == teLeft && FValidTaskbar) W += tw;
      if (R.bottom > H || R.right > W) {
        int x = R.left, y = R.top;
        if (R.bottom > H) y = H - (R.bottom - R.top);
        if (R.right > W) x = W - (R.right - R.left);
        MoveWindow(Wnd, x, y, R.right - R.left, R.bottom - R.top, TRUE);
      }
    } else if (!HookPath && TStyleManager::IsCustomStyleActive()) {
      RECT R{};
      GetWindowRect(Wnd, &R);
      MoveWindow(Wnd, R.left, R.top, FMaxSize.x - R.left, FMaxSize.y - R.top,
                 TRUE);
    }
  }
  if (FOnExitResize) FOnExitResize.Code(this, sx, sy);
  FIsResized = true;
}

void TFlexarium::HandleMessage(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam,
                               bool HookPath) {
  // Errors of a handler are the application's to hear about; they never
  // cross the window or hook procedure.
  try {
    switch (Msg) {
      case WM_SHOWWINDOW:
        HandleShowWindow(Wnd, WParam, HookPath);
        break;
      case WM_GETMINMAXINFO:
        HandleGetMinMaxInfo(Wnd, LParam, HookPath);
        break;
      case WM_SIZING:
        HandleSizing(LParam);
        break;
      case WM_SIZE:
        HandleSize(Wnd, WParam, LParam, HookPath);
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
}

LRESULT FLX_CALLBACK FormWndProc(HWND Wnd, UINT Msg, WPARAM WParam,
                                 LPARAM LParam) {
  // Nothing may cross into the window system: errors of a handler are
  // reported to the application and the message still goes on.
  TFlexarium* self = unit::FindInstance(Wnd);
  if (self != nullptr && self->FEnabled) {
    self->HandleMessage(Wnd, Msg, WParam, LParam, false);
  }
  try {
    return self != nullptr ? self->PassOn(Wnd, Msg, WParam, LParam)
                           : passToForm(Wnd, Msg, WParam, LParam);
  } catch (const std::exception& e) {
    HandleException(e);
  } catch (...) {
    HandleException(Exception("unknown error in the form procedure"));
  }
  return 0;
}

}  // namespace flx
