// Sizing the owner form and moving it to one of nine positions of the
// usable area of its monitor, corrected for the taskbar and for the
// invisible frame margins of desktop composition.
#include <algorithm>
#include <cstdint>

#include "flexarium/flexarium.h"
#include "flexarium/sysutils.h"
#include "flexarium/winapi.h"
#include "unit/unit_private.h"

namespace flx {

void PlaceForm(TWinControl* Form, TResizeFormPos FormPos, bool ValidTaskbar,
               int Width, int Height) {
  using namespace win;
  if (Form == nullptr) return;
  const HWND Wnd = Form->Handle();
  if (IsZoomed(Wnd) != FALSE) return;

  int AvailW = 0;
  int AvailH = 0;
  int Edge = teNone;
  APPBARDATA Taskbar{};
  GetTaskbarArea(Wnd, AvailW, AvailH, Edge, ValidTaskbar, Taskbar);
  POINT FrameOffset{0, 0};
  POINT FrameExtra{0, 0};
  RECT WindowRect{0, 0, 0, 0};
  GetFrameBounds(Wnd, FrameOffset, FrameExtra, WindowRect);

  // Positions are worked out relative to the monitor that shows the form
  // (the primary one has its origin at (0, 0)), so a form on a secondary
  // monitor stays there.
  const RECT Monitor = placement_detail::MonitorRect(Wnd);
  // Worked out wide: sizes and positions may lie anywhere in the Integer
  // range, and the window system holds the result to what it can show.
  using I64 = std::int64_t;
  const I64 OriginX = Monitor.left;
  const I64 OriginY = Monitor.top;

  I64 X = WindowRect.left - OriginX;
  I64 Y = WindowRect.top - OriginY;
  if (X + Width > AvailW) X = I64{AvailW} - Width;
  if (Y + Height > AvailH) Y = I64{AvailH} - Height;

  const bool Margins =
      DwmComposition != FALSE && FrameExtra.x > 0 && FrameExtra.y > 0;
  // The halving truncates toward zero, as Pascal's div does.
  I64 Left, Center, Right, Top, Middle, Bottom;
  if (Margins) {
    const I64 VisW = I64{Width} - FrameExtra.x;
    const I64 VisH = I64{Height} - FrameExtra.y;
    Left = -I64{FrameOffset.x};
    Center = (AvailW - VisW) / 2 - FrameOffset.x;
    // The visible frame, not the window, meets the right and bottom edges:
    // the invisible margin in front of it is taken off as for Left and Top.
    Right = AvailW - VisW - FrameOffset.x;
    Top = -I64{FrameOffset.y};
    Middle = (AvailH - VisH) / 2 - FrameOffset.y;
    Bottom = AvailH - VisH - FrameOffset.y;
  } else {
    Left = 0;
    Center = (I64{AvailW} - Width) / 2;
    Right = I64{AvailW} - Width;
    Top = 0;
    Middle = (I64{AvailH} - Height) / 2;
    Bottom = I64{AvailH} - Height;
  }

  // rpTopLeft .. rpBottomRight run row by row, three columns each; rpDefault
  // and any ordinal beyond the enumeration keep the position.
  if (FormPos >= rpTopLeft && FormPos <= rpBottomRight) {
    const int Cell = FormPos - rpTopLeft;
    const I64 Columns[3] = {Left, Center, Right};
    const I64 Rows[3] = {Top, Middle, Bottom};
    X = Columns[Cell % 3];
    Y = Rows[Cell / 3];
  }

  // A form larger than the area keeps its top-left corner on the screen,
  // where the caption and system menu stay within reach. With margins only
  // the invisible frame may lie beyond the edge.
  if (Margins) {
    X = std::max(X, -I64{FrameOffset.x});
    Y = std::max(Y, -I64{FrameOffset.y});
  } else {
    X = std::max<I64>(X, 0);
    Y = std::max<I64>(Y, 0);
  }

  // Windows 98 (4.10) is left out of the push-out from under the taskbar.
  if (!(Win32MajorVersion() == 4 && Win32MinorVersion() == 10)) {
    const I64 BarRight = Taskbar.rc.right - OriginX;
    const I64 BarBottom = Taskbar.rc.bottom - OriginY;
    if (Edge == teTop && Y < BarBottom) Y = BarBottom;
    if (Edge == teLeft && X < BarRight) X = BarRight;
  }

  MoveWindow(Wnd, unit::Saturate(X + OriginX), unit::Saturate(Y + OriginY),
             Width, Height, TRUE);
}

void TFlexarium::Impl::SetFormPos(TResizeFormPos Value) {
  if (Value == FFormPos) return;
  FFormPos = Value;
  if (ComponentState().Contains(csDesigning)) return;
  auto* Form = dynamic_cast<TWinControl*>(Owner());
  if (Form == nullptr) return;
  win::RECT Bounds{0, 0, 0, 0};
  // Without the current size the form would be shrunk to nothing.
  if (win::GetWindowRect(Form->Handle(), &Bounds) == win::FALSE) return;
  PlaceForm(Form, FFormPos, FValidTaskbar,
            unit::Saturate(unit::Extent(Bounds.left, Bounds.right)),
            unit::Saturate(unit::Extent(Bounds.top, Bounds.bottom)));
}

}  // namespace flx
