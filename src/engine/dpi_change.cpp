// Per-monitor DPI: a form whose window moves onto a monitor of another DPI
// (or whose monitor changes its scale) gets WM_GETDPISCALEDSIZE and then
// WM_DPICHANGED. The component answers with the client size it keeps,
// scaled to the new DPI, derives every base value afresh from the values
// start-up began with, exactly as start-up would at the new DPI, and lets
// one rescale pass apply them. Nothing already scaled is scaled again, so
// any number of moves that end on the first monitor ends in the first
// layout. A window made from a dialog template (an attached dialog) takes
// the dialog manager's layout at the new DPI instead of its own scaled:
// its base units are not proportional to the DPI, and it stands as the
// dialog opened there.
#include <algorithm>

#include "flexarium/adopted.h"
#include "flexarium/winapi.h"
#include "unit/unit_private.h"

namespace flx {

using namespace win;

namespace {

// Clears a flag on every way out.
class FlagScope {
 public:
  explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
  ~FlagScope() { flag_ = false; }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;

 private:
  bool& flag_;
};

// The layout at any DPI of a window made from a dialog template.
const TDpiLayout* dpiLayoutOf(const TComponent* owner) {
  const auto* form = dynamic_cast<const TAdoptedForm*>(owner);
  return form != nullptr ? form->DpiLayout() : nullptr;
}

}  // namespace

// ---- Start-up and bookkeeping

void TFlexarium::Impl::StartDpi(int DesignDpiW, int DesignDpiH) {
  FDpi = std::make_unique<DpiState>();
  DpiState& s = *FDpi;
  s.DesignDpiFromRun = DesignDpiW <= 0 || DesignDpiH <= 0;
  // The framework knows the window's DPI when, in a per-monitor aware
  // process, it is not the system DPI the screen DC reports.
  auto* form = dynamic_cast<TCustomForm*>(Owner());
  const int ppi = form != nullptr ? form->CurrentPPI() : 0;
  if (ppi > 0 && (ppi != FRunDpiW || ppi != FRunDpiH)) {
    FRunDpiW = FRunDpiH = ppi;
    if (DesignDpiW <= 0) FDesignDpiW = ppi;
    if (DesignDpiH <= 0) FDesignDpiH = ppi;
  }
  s.StartDpiW = FRunDpiW;
  s.StartDpiH = FRunDpiH;
  if (auto* control = dynamic_cast<TControl*>(Owner())) {
    s.ClientWidth = control->ClientWidth();
    s.ClientHeight = control->ClientHeight();
  }
  s.ClientDpiW = FRunDpiW;
  s.ClientDpiH = FRunDpiH;
}

int TFlexarium::Impl::StartupDpi() const {
  return FDpi != nullptr ? FDpi->StartDpiH : FRunDpiH;
}

// Only a per-monitor aware process acts on a DPI change: Windows stretches
// the windows of the others, which keep their layout.
bool TFlexarium::Impl::PerMonitorAware() {
  return GetAwarenessFromDpiAwarenessContext(GetThreadDpiAwarenessContext()) ==
         DPI_AWARENESS_PER_MONITOR_AWARE;
}

// The kept client size scaled to the DPI.
SIZE TFlexarium::Impl::KeptClientSize(int DpiX, int DpiY) const {
  const DpiState& s = *FDpi;
  // A dialog's in proportion to its client size made at each DPI.
  if (const TDpiLayout* layout = dpiLayoutOf(Owner());
      layout != nullptr && s.ClientDpiW > 0 && s.ClientDpiH > 0) {
    const SIZE to = layout->ClientSize(DpiX);
    const SIZE from = layout->ClientSize(s.ClientDpiW);
    if (from.cx > 0 && from.cy > 0 && to.cx > 0 && to.cy > 0) {
      return SIZE{unit::ScaleHalfUp(s.ClientWidth, to.cx, from.cx),
                  unit::ScaleHalfUp(s.ClientHeight, to.cy, from.cy)};
    }
  }
  return SIZE{
      s.ClientDpiW > 0 ? unit::ScaleHalfUp(s.ClientWidth, DpiX, s.ClientDpiW)
                       : s.ClientWidth,
      s.ClientDpiH > 0 ? unit::ScaleHalfUp(s.ClientHeight, DpiY, s.ClientDpiH)
                       : s.ClientHeight};
}

// The outer size for the kept client size scaled to the DPI, with the
// non-client area as it is at that DPI.
SIZE TFlexarium::Impl::ScaledOuterSize(HWND Wnd, int DpiX, int DpiY) {
  const SIZE client = KeptClientSize(DpiX, DpiY);
  RECT r{0, 0, client.cx, client.cy};
  const auto style =
      static_cast<DWORD>(GetWindowLongPtrW(Wnd, GWL_STYLE) &
                         ~static_cast<LONG_PTR>(WS_MAXIMIZE | WS_MINIMIZE));
  const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(Wnd, GWL_EXSTYLE));
  AdjustWindowRectExForDpi(&r, style, FALSE, exStyle, static_cast<UINT>(DpiY));
  return SIZE{r.right - r.left, r.bottom - r.top};
}

// ---- The messages

bool TFlexarium::Impl::HandleGetDpiScaledSize(HWND Wnd, WPARAM WParam,
                                              LPARAM LParam) {
  auto* Size = reinterpret_cast<SIZE*>(LParam);
  const int dpi = static_cast<int>(WParam);
  if (Size == nullptr || FDpi == nullptr || dpi <= 0 || dpi > 0xFFFF) {
    return false;
  }
  if (IsZoomed(Wnd) || IsIconic(Wnd) || !PerMonitorAware()) return false;
  *Size = ScaledOuterSize(Wnd, dpi, dpi);
  return true;
}

void TFlexarium::Impl::HandleDpiChanged(HWND Wnd, WPARAM WParam,
                                        LPARAM LParam) {
  const auto* Suggested = reinterpret_cast<const RECT*>(LParam);
  const int dpiX = LOWORD(WParam);
  const int dpiY = HIWORD(WParam);
  if (Suggested == nullptr || FDpi == nullptr || dpiX == 0 || dpiY == 0) {
    return;
  }
  if (!PerMonitorAware()) return;
  // The form may have changed DPI while this component did not serve it
  // (another served it, or no component was in the window's chain): the
  // records first follow it there.
  CatchUpDpi();
  DpiState& s = *FDpi;
  const FlagScope changing(s.Changing);
  const int passes = s.Passes;
  if (dpiX != FRunDpiW || dpiY != FRunDpiH) {
    DeriveForDpi(dpiX, dpiY);
    if (IsIconic(Wnd) || IsZoomed(Wnd)) s.RestoreKept = true;
  }
  GetMonitorSize(Wnd, FMaxSize.x, FMaxSize.y);
  // A minimised form takes its new layout when it is restored.
  if (IsIconic(Wnd)) return;
  RECT Target = *Suggested;
  if (IsZoomed(Wnd)) {
    // Maximised there: the monitor's maximised rectangle at the new DPI,
    // held to the maximum size as maximising holds it.
    MINMAXINFO Info{};
    Info.ptMaxSize = {Suggested->right - Suggested->left,
                      Suggested->bottom - Suggested->top};
    Info.ptMaxPosition = {Suggested->left, Suggested->top};
    HandleGetMinMaxInfo(Wnd, reinterpret_cast<LPARAM>(&Info), false, true);
    // With the ratio lock, the maximised size of the ratio, as maximising
    // there gives it; the frame is already the new DPI's.
    if (FKeepAspect) {
      KeepAspectMaxInfo(Wnd, reinterpret_cast<LPARAM>(&Info), false,
                        static_cast<UINT>(dpiY));
    }
    Target = RECT{Info.ptMaxPosition.x, Info.ptMaxPosition.y,
                  Info.ptMaxPosition.x + Info.ptMaxSize.x,
                  Info.ptMaxPosition.y + Info.ptMaxSize.y};
  } else {
    // The suggested place; the size is the kept client size at the new
    // DPI, which the answer to WM_GETDPISCALEDSIZE made the suggestion's
    // too (a system that did not ask gets it all the same).
    const SIZE Outer = ScaledOuterSize(Wnd, dpiX, dpiY);
    Target.right = Target.left + Outer.cx;
    Target.bottom = Target.top + Outer.cy;
  }
  SetWindowPos(Wnd, nullptr, Target.left, Target.top,
               Target.right - Target.left, Target.bottom - Target.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  if (s.Passes != passes) return;
  // The client size happened to stay: the layout follows the DPI anyway,
  // in the one pass a change of DPI makes.
  RECT Client{};
  GetClientRect(Wnd, &Client);
  HandleSize(Wnd, IsZoomed(Wnd) ? SIZE_MAXIMIZED : SIZE_RESTORED,
             MAKELPARAM(Client.right, Client.bottom), false);
  ++s.Passes;
}

// The restore that follows a change while maximised or minimised: the
// system scaled its restore rectangle itself, rounded its own way.
void TFlexarium::Impl::HandleWindowPosChanging(HWND Wnd, LPARAM LParam) {
  auto* Pos = reinterpret_cast<WINDOWPOS*>(LParam);
  if (Pos == nullptr || FDpi == nullptr || !FDpi->RestoreKept) return;
  if (IsIconic(Wnd) || IsZoomed(Wnd)) return;
  FDpi->RestoreKept = false;
  if ((Pos->flags & SWP_NOSIZE) != 0 || !PerMonitorAware()) return;
  const SIZE Outer = ScaledOuterSize(Wnd, FRunDpiW, FRunDpiH);
  Pos->cx = Outer.cx;
  Pos->cy = Outer.cy;
}

// ---- Deriving the bases at a DPI

// The font size a control that follows its parent's font had at start-up:
// the base of the nearest font of its own up the parent chain.
int TFlexarium::Impl::FollowedFontSize(TControl* Control) {
  const TComponent* form = Owner();
  for (TWinControl* p = Control->Parent(); p != nullptr; p = p->Parent()) {
    if (p == form) return FOwnerFont ? FOwnerFont->Size() : p->Font().Size();
    PCtrlInfo Info = RecordOf(p);
    if (Info != nullptr && Info->Font && !Info->OrgParentFont) {
      return Info->Font->Size();
    }
    if (!p->ParentFont()) return p->Font().Size();
  }
  return Control->Font().Size();
}

void TFlexarium::Impl::DeriveForDpi(int DpiX, int DpiY) {
  DpiState& s = *FDpi;
  auto* form = dynamic_cast<TControl*>(Owner());
  if (form == nullptr) return;
  SyncCtrlList();
  // Columns added since the last pass are at that pass's factors and at the
  // DPI being left: their bases are taken there, before the DPI changes.
  SyncAllColumnBases();
  const int FromDpiH = FRunDpiH;
  FRunDpiW = DpiX;
  FRunDpiH = DpiY;
  if (s.DesignDpiFromRun) {
    FDesignDpiW = DpiX;
    FDesignDpiH = DpiY;
  }
  const double RatioX = unit::DpiRatio(FDesignDpiW, FRunDpiW);
  const double RatioY = unit::DpiRatio(FDesignDpiH, FRunDpiH);
  double ScaleX = s.KeepDesignedBounds ? 1.0 : RatioX;
  double ScaleY = s.KeepDesignedBounds ? 1.0 : RatioY;

  // A dialog's reference client size is the one it is made with here, and
  // what the template does not place scales with it; its fonts of other
  // sizes than the dialog's scale with the DPI from where it was opened.
  const TDpiLayout* layout = dpiLayoutOf(Owner());
  double FontRatio = RatioX;
  SIZE LayoutClient{};
  if (layout != nullptr) {
    LayoutClient = layout->ClientSize(DpiX);
    const SIZE opened = layout->ClientSize(s.StartDpiW);
    FOwnerWidth = LayoutClient.cx;
    FOwnerHeight = LayoutClient.cy;
    // A dialog of no client area scales nothing with it.
    ScaleX = opened.cx > 0 && LayoutClient.cx > 0
                 ? unit::DpiRatio(opened.cx, LayoutClient.cx)
                 : 1.0;
    ScaleY = opened.cy > 0 && LayoutClient.cy > 0
                 ? unit::DpiRatio(opened.cy, LayoutClient.cy)
                 : 1.0;
    FontRatio = unit::DpiRatio(s.StartDpiH, DpiY);
  }
  const int DialogHeight = layout != nullptr ? layout->FontHeight(DpiY) : 0;

  // A font as start-up makes it from its designed height at this DPI.
  auto startupFont = [&](TFont& font, const TDesignFont& design, double ratio) {
    font.SetPixelsPerInch(DpiY);
    unit::SetDesignFont(font, design);
    font.SetSize(unit::DpiScaled(font.Size(), ratio));
  };
  // The dialog's font as the dialog manager makes it at this DPI.
  auto dialogFont = [&](TFont& font) {
    font.SetPixelsPerInch(DpiY);
    font.SetHeight(DialogHeight);
  };
  // The form's own font is the framework's, as it is made at this DPI.
  if (FOwnerFont) {
    startupFont(*FOwnerFont, s.DesignFont, layout != nullptr ? 1.0 : FontRatio);
  }

  auto bounds = [&](PCtrlInfo R, TControl* C) {
    TRect made;
    if (layout != nullptr && layout->Bounds(*C, DpiX, made)) {
      R->Left = made.Left;
      R->Top = made.Top;
      R->Width = made.Width();
      R->Height = made.Height();
    } else if (layout != nullptr) {
      const int atW = R->BoundsDpiW > 0 ? R->BoundsDpiW : s.StartDpiW;
      const int atH = R->BoundsDpiH > 0 ? R->BoundsDpiH : s.StartDpiH;
      const int fromW = layout->ClientSize(atW).cx;
      const int fromH = layout->ClientSize(atH).cy;
      auto along = [](int v, int to, int from) {
        return from > 0 && to > 0 ? unit::ScaleHalfUp(v, to, from) : v;
      };
      R->Left = along(R->DesignLeft, LayoutClient.cx, fromW);
      R->Top = along(R->DesignTop, LayoutClient.cy, fromH);
      R->Width = along(R->DesignWidth, LayoutClient.cx, fromW);
      R->Height = along(R->DesignHeight, LayoutClient.cy, fromH);
    } else if (R->BoundsDpiW > 0 && R->BoundsDpiH > 0) {
      R->Left = unit::ScaleHalfUp(R->DesignLeft, DpiX, R->BoundsDpiW);
      R->Top = unit::ScaleHalfUp(R->DesignTop, DpiY, R->BoundsDpiH);
      R->Width = unit::ScaleHalfUp(R->DesignWidth, DpiX, R->BoundsDpiW);
      R->Height = unit::ScaleHalfUp(R->DesignHeight, DpiY, R->BoundsDpiH);
    } else {
      R->Left = unit::DpiScaled(R->DesignLeft, ScaleX);
      R->Top = unit::DpiScaled(R->DesignTop, ScaleY);
      R->Width = unit::DpiScaled(R->DesignWidth, ScaleX);
      R->Height = unit::DpiScaled(R->DesignHeight, ScaleY);
    }
    // What the control would have read back at start-up.
    int w = std::max(R->Width, 0), h = std::max(R->Height, 0);
    C->Constraints().Apply(w, h);
    R->Width = w;
    R->Height = h;
    DeriveColumnBases(R, DpiX, DpiY, ScaleX, ScaleY);
  };
  // Fonts the pass leaves alone (ResizeFont False, NoResizeFntCtl) still
  // carry start-up's DPI scaling; set once every font is for the new DPI.
  // Controls in NoResizeCtl are left alone, but their records follow the
  // DPI too, for the passes after they are no longer excluded.
  std::vector<std::pair<TControl*, int>> unscaled;
  std::vector<std::pair<PCtrlInfo, TControl*>> followers;
  ForEachRecordedControl(
      std::numeric_limits<int>::max(),
      [&](TControl* C, TComponent* frame) {
        PCtrlInfo R = frame != nullptr ? FindChildCtrl(frame->Name(), C->Name())
                                       : FindCtrlOf(C);
        if (R == nullptr) return frame != nullptr;
        bounds(R, C);
        if (!R->Font) return true;
        // A ParentFont that changed since the last pass is taken into the
        // base now, while the control's font still reads at the old DPI.
        if (C->ParentFont() != R->OrgParentFont) {
          R->ParentFont = C->ParentFont();
          DeriveBaseFont(R, C);
        }
        if (!R->FontFromDesign) {
          // A base taken at run time is in points at factor 1.0, which
          // mean the same at any DPI.
          int size = R->Font->Size();
          // A dialog's reference size is its size made at each DPI: the
          // points follow the DPI from there.
          if (layout != nullptr) {
            size = unit::DpiScaled(size, unit::DpiRatio(FromDpiH, DpiY));
          }
          R->Font->SetPixelsPerInch(DpiY);
          R->Font->SetSize(size);
        } else if (R->OrgParentFont) {
          followers.emplace_back(R, C);
        } else {
          if (DialogHeight != 0 && layout->ShowsDialogFont(*C)) {
            dialogFont(*R->Font);
          } else {
            // The System font, a bitmap font, is the same at every DPI.
            const bool system =
                layout != nullptr && layout->ShowsSystemFont(*C);
            startupFont(*R->Font, R->DesignFont, system ? 1.0 : FontRatio);
          }
          const bool alone = Excluded(C->Name()) ||
                             (frame != nullptr && Excluded(frame->Name()));
          if ((!FResizeFont || FontExcluded(C->Name())) && !alone) {
            unscaled.emplace_back(C, R->Font->Size());
          }
        }
        return true;
      },
      true);

  // Every font of the form is for the new DPI from here on.
  if (auto* f = dynamic_cast<TCustomForm*>(Owner())) f->SetCurrentPPI(DpiY);
  if ((!FResizeFont || FontExcluded(Owner()->Name())) && FOwnerFont) {
    form->Font().SetSize(FOwnerFont->Size());
  }
  for (auto [C, size] : unscaled) C->Font().SetSize(size);
  for (auto [R, C] : followers) {
    R->Font->SetPixelsPerInch(DpiY);
    R->Font->SetSize(FollowedFontSize(C));
  }
}

}  // namespace flx
