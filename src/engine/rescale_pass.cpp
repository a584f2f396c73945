// The rescale pass, the heart of the component: on WM_SIZE every recorded
// control gets its base bounds and font size times the factors of the new
// client size (and of design DPI to run-time DPI), one control step each.
#include <algorithm>
#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

#include "flexarium/winapi.h"
#include "unit/unit_private.h"

namespace flx {

using namespace win;

namespace {

// Holds the form's drawing for one pass. On every way out, a failed pass
// included, `commit` runs first (the controls stand at the new factors),
// then drawing is released.
template <class Commit>
class PassLock {
 public:
  PassLock(HWND wnd, Commit commit) : commit_(std::move(commit)) {
    LockWindowUpdate(wnd);
  }
  ~PassLock() {
    commit_();
    LockWindowUpdate(nullptr);
  }
  PassLock(const PassLock&) = delete;
  PassLock& operator=(const PassLock&) = delete;

 private:
  Commit commit_;
};

}  // namespace

void TFlexarium::Impl::HandleSize(HWND Wnd, WPARAM WParam, LPARAM LParam,
                                  bool HookPath) {
  if (WParam == SIZE_MINIMIZED) return;
  const unsigned cw = LOWORD(static_cast<std::uintptr_t>(LParam));
  const unsigned ch = HIWORD(static_cast<std::uintptr_t>(LParam));
  double sx = 1.0, sy = 1.0;
  // (cw / FOwnerWidth) x (FDesignDpiW / FRunDpiW) as the Double nearest to
  // that ratio. A reference size of 0 (or less, from a form without a
  // client area) leaves its factor at 1.0 rather than dividing by it.
  if (FRunDpiW != 0 && FOwnerWidth > 0) {
    sx = unit::RatioNearest(std::int64_t{cw} * FDesignDpiW,
                            std::int64_t{FOwnerWidth} * FRunDpiW);
  }
  if (FRunDpiH != 0 && FOwnerHeight > 0) {
    sy = unit::RatioNearest(std::int64_t{ch} * FDesignDpiH,
                            std::int64_t{FOwnerHeight} * FRunDpiH);
  }
  const double sf = sy >= sx ? sx : sy;
  SyncCtrlList();
  auto* form = dynamic_cast<TControl*>(Owner());
  if (form == nullptr) return;
  {
    // Drawing is held from the form's font on: every control that follows it
    // takes the new font, and none should repaint on its own.
    const PassLock lock(Wnd, [&] {
      // The factors at which the controls' fonts now stand are the previous
      // pass's until the whole pass is done: a base font derived in the
      // middle of the pass must divide by those, not by the factors being
      // applied.
      if (!FactorsPending) return;
      FPrevScaleX = sx;
      FPrevScaleY = sy;
      FPrevScaleF = sf;
      FactorsPending = false;
    });
    FactorsPending = false;
    if (FResizeFont && FOwnerFont && !FontExcluded(Owner()->Name())) {
      form->Font().SetSize(FloorFontSize(
          unit::HalfUpProduct(FOwnerFont->Size(), sf), FOwnerFont->Size()));
    }
    std::vector<std::pair<TControl*, PCtrlInfo>> anchored;
    auto step = [&](TControl* C, PCtrlInfo Info, bool UpdateFactors) {
      ControlStep(C, Info, sx, sy, sf, UpdateFactors);
      if (C->Align() == TAlign::alNone && C->Anchors() != (akLeft | akTop)) {
        anchored.emplace_back(C, Info);
      }
    };
    ForEachRecordedControl(
        std::numeric_limits<int>::max(), [&](TControl* C, TComponent* frame) {
          if (frame != nullptr) {
            if (PCtrlInfo Info = FindChildCtrl(frame->Name(), C->Name())) {
              step(C, Info, false);
            }
            return true;
          }
          PCtrlInfo Info = FindCtrlOf(C);
          if (Info != nullptr) step(C, Info, true);
          return Info != nullptr;
        });
    SettleAnchored(anchored);
  }
  const bool keepInside = FFormMaxWidth > 0 && FFormMaxHeight > 0;
  if (WParam == SIZE_MAXIMIZED &&
      (keepInside || (!HookPath && TStyleManager::IsCustomStyleActive()))) {
    // Both rules work relative to the monitor that shows the form (the
    // primary one has its origin at (0, 0)), so a form maximised on a
    // monitor beside it stays there.
    const RECT Monitor = placement_detail::MonitorRect(Wnd);
    RECT R{};
    GetWindowRect(Wnd, &R);
    const std::int64_t left = std::int64_t{R.left} - Monitor.left;
    const std::int64_t top = std::int64_t{R.top} - Monitor.top;
    const std::int64_t width = unit::Extent(R.left, R.right);
    const std::int64_t height = unit::Extent(R.top, R.bottom);
    if (keepInside) {
      int AvailW = 0, AvailH = 0, Edge = teNone;
      APPBARDATA TaskbarData{};
      GetTaskbarArea(Wnd, AvailW, AvailH, Edge, FValidTaskbar, TaskbarData);
      // W and H become the right and bottom of the usable area.
      std::int64_t W = AvailW, H = AvailH;
      if (Edge == teTop && FValidTaskbar) {
        H += unit::Extent(TaskbarData.rc.top, TaskbarData.rc.bottom);
      }
      if (Edge == teLeft && FValidTaskbar) {
        W += unit::Extent(TaskbarData.rc.left, TaskbarData.rc.right);
      }
      if (top + height > H || left + width > W) {
        std::int64_t x = left, y = top;
        if (top + height > H) y = H - height;
        if (left + width > W) x = W - width;
        MoveWindow(Wnd, unit::Saturate(x + Monitor.left),
                   unit::Saturate(y + Monitor.top), unit::Saturate(width),
                   unit::Saturate(height), TRUE);
      }
    } else {
      // The right and bottom edges land on those of the monitor.
      MoveWindow(Wnd, R.left, R.top, unit::Saturate(FMaxSize.x - left),
                 unit::Saturate(FMaxSize.y - top), TRUE);
    }
  }
  if (FOnExitResize) FOnExitResize.Code(&Self, sx, sy);
  FIsResized = true;
}

// A control anchored to its parent's right or bottom edge was placed by
// the pass while its parent may still have been at its old size; when the
// parent took its new size later in the pass, the framework moved the
// control again by its anchors. Once every parent stands at its new size,
// each such control gets the bounds the pass gave it back, parents first,
// and its anchor rules are taken there: the pass decides where it is, the
// anchors what happens when the application resizes its parent between
// passes.
void TFlexarium::Impl::SettleAnchored(
    std::vector<std::pair<TControl*, PCtrlInfo>>& Anchored) {
  auto depth = [](const TControl* c) {
    int d = 0;
    for (const TWinControl* p = c->Parent(); p != nullptr; p = p->Parent()) {
      ++d;
    }
    return d;
  };
  std::stable_sort(Anchored.begin(), Anchored.end(),
                   [&](const auto& a, const auto& b) {
                     return depth(a.first) < depth(b.first);
                   });
  for (auto& [Ctl, Info] : Anchored) {
    if (Ctl->Left() != Info->OldLeft || Ctl->Top() != Info->OldTop ||
        Ctl->Width() != Info->OldWidth || Ctl->Height() != Info->OldHeight) {
      Ctl->SetBounds(Info->OldLeft, Info->OldTop, Info->OldWidth,
                     Info->OldHeight);
      Info->OldLeft = Ctl->Left();
      Info->OldTop = Ctl->Top();
      Info->OldWidth = Ctl->Width();
      Info->OldHeight = Ctl->Height();
    }
  }
}

void TFlexarium::Impl::ControlStep(TControl* Ctl, PCtrlInfo Info, double sx,
                                   double sy, double sf, bool UpdateFactors) {
  ScaleCtrlFont(true, Info, Ctl);
  // What the control's own font size reads once set (sizes travel through
  // the pixel height, as the framework keeps them).
  int fontSize = 0;
  bool sizeSet = false;
  if (FResizeFont && Info->Font && !FontExcluded(Ctl->Name())) {
    // Control fonts truncate; only an exact 0 is lifted to 1.
    int size = FloorFontSize(unit::TruncProduct(Info->Font->Size(), sf),
                             Info->Font->Size());
    const int ppi = Ctl->Font().PixelsPerInch();
    auto readBack = [ppi](int points) {
      return TFont::SizeOfHeight(TFont::HeightOfSize(points, ppi), ppi);
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
  Ctl->SetTop(unit::HalfUpProduct(Info->Top, sy));
  Ctl->SetLeft(unit::HalfUpProduct(Info->Left, sx));
  Ctl->SetWidth(unit::HalfUpProduct(Info->Width, sx));
  Ctl->SetHeight(unit::HalfUpProduct(Info->Height, sy));
  if (Ctl->Top() == 0) Ctl->SetTop(1);
  if (Ctl->Left() == 0) Ctl->SetLeft(1);
  if (Ctl->Width() == 0) Ctl->SetWidth(1);
  if (Ctl->Height() == 0) Ctl->SetHeight(1);
  Info->OldTop = Ctl->Top();
  Info->OldLeft = Ctl->Left();
  Info->OldWidth = Ctl->Width();
  Info->OldHeight = Ctl->Height();
  if (Info->Font) Info->OldFontSize = sizeSet ? fontSize : Ctl->Font().Size();
  ColumnStep(Ctl, Info, sx, sy);
  if (UpdateFactors) FactorsPending = true;
  ScaleCtrlFont(false, Info, Ctl);
}

}  // namespace flx
