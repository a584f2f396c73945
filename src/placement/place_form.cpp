// Sizing the owner form and moving it to one of nine positions of the
// usable area of its monitor, corrected for the taskbar and for the
// invisible frame margins of desktop composition.
#include <algorithm>

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
  const int OriginX = Monitor.left;
  const int OriginY = Monitor.top;

  int X = WindowRect.left - OriginX;
  int Y = WindowRect.top - OriginY;
  if (X + Width > AvailW) X = AvailW - Width;
  if (Y + Height > AvailH) Y = AvailH - Height;

  const bool Margins =
      DwmComposition != FALSE && FrameExtra.x > 0 && FrameExtra.y > 0;
  // The halving truncates toward zero, as Pascal's div does.
  int Left, Center, Right, Top, Middle, Bottom;
  if (Margins) {
    const int VisW = Width - FrameExtra.x;
    const int VisH = Height - FrameExtra.y;
    Left = -FrameOffset.x;
    Center = (AvailW - VisW) / 2 - FrameOffset.x;
    // The visible frame, not the window, meets the right and bottom edges:
    // the invisible margin in front of it is taken off as for Left and Top.
    Right = AvailW - VisW - FrameOffset.x;
    Top = -FrameOffset.y;
    Middle = (AvailH - VisH) / 2 - FrameOffset.y;
    Bottom = AvailH - VisH - FrameOffset.y;
  } else {
    Left = 0;
    Center = (AvailW - Width) / 2;
    Right = AvailW - Width;
    Top = 0;
    Middle = (AvailH - Height) / 2;
    Bottom = AvailH - Height;
  }

  // rpTopLeft .. rpBottomRight run row by row, three columns each; rpDefault
  // and any ordinal beyond the enumeration keep the position.
  if (FormPos >= rpTopLeft && FormPos <= rpBottomRight) {
    const int Cell = FormPos - rpTopLeft;
    const int Columns[3] = {Left, Center, Right};
    const int Rows[3] = {Top, Middle, Bottom};
    X = Columns[Cell % 3];
    Y = Rows[Cell / 3];
  }

  // A form larger than the area keeps its top-left corner on the screen,
  // where the caption and system menu stay within reach. With margins only
  // the invisible frame may lie beyond the edge.
  if (Margins) {
    X = std::max(X, -FrameOffset.x);
    Y = std::max(Y, -FrameOffset.y);
  } else {
    X = std::max(X, 0);
    Y = std::max(Y, 0);
  }

  // Windows 98 (4.10) is left out of the push-out from under the taskbar.
  if (!(Win32MajorVersion() == 4 && Win32MinorVersion() == 10)) {
    const int BarRight = Taskbar.rc.right - OriginX;
    const int BarBottom = Taskbar.rc.bottom - OriginY;
    if (Edge == teTop && Y < BarBottom) Y = BarBottom;
    if (Edge == teLeft && X < BarRight) X = BarRight;
  }

  MoveWindow(Wnd, X + OriginX, Y + OriginY, Width, Height, TRUE);
}

void TFlexarium::SetFormPos(TResizeFormPos Value) {
  if (Value == FFormPos) return;
  FFormPos = Value;
  if (ComponentState().Contains(csDesigning)) return;
  auto* Form = dynamic_cast<TWinControl*>(Owner());
  if (Form == nullptr) return;
  win::RECT Bounds{0, 0, 0, 0};
  // Without the current size the form would be shrunk to nothing.
  if (win::GetWindowRect(Form->Handle(), &Bounds) == win::FALSE) return;
  win::OffsetRect(&Bounds, -Bounds.left, -Bounds.top);
  PlaceForm(Form, FFormPos, FValidTaskbar, Bounds.right, Bounds.bottom);
}

}  // namespace flx
