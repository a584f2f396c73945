// The thread message hook that stands in for the form window procedure on
// Windows 4.x: it sees each message sent to a window of the thread before
// the window does, and does for the component's forms what FormWndProc does.
#include "flexarium/winapi.h"
#include "unit/unit_private.h"

namespace flx {

using namespace win;

LRESULT FLX_CALLBACK CallWndHookProc(int Code, WPARAM WParam, LPARAM LParam) {
  if (Code < 0) {
    try {
      return CallNextHookEx(HookHandle, Code, WParam, LParam);
    } catch (const std::exception& e) {
      HandleException(e);
      return 0;
    }
  }
  if (Code != HC_ACTION) return 0;
  auto* M = reinterpret_cast<CWPSTRUCT*>(LParam);
  if (M == nullptr || M->hwnd == nullptr || InstanceList == nullptr ||
      InstanceList->Count() == 0) {
    return 0;
  }
  TFlexarium::Impl* self = unit::FindInstance(M->hwnd);
  if (self == nullptr || !self->FEnabled) return 0;
  try {
    const bool win98 = Win32MajorVersion() == 4 && Win32MinorVersion() == 10;
    if (win98 && self->FIsResized && M->message == WM_NCPAINT) {
      // A changed screen size is only recorded.
      if (IsIconic(M->hwnd)) return 0;
      int w = GetSystemMetrics(SM_CXSCREEN);
      int h = GetSystemMetrics(SM_CYSCREEN);
      if (w != LastScreenWidth || h != LastScreenHeight) {
        LastScreenWidth = w;
        LastScreenHeight = h;
      }
      return 0;
    }
  } catch (const std::exception& e) {
    HandleException(e);
    return 0;
  }
  self->HandleMessage(M->hwnd, M->message, M->wParam, M->lParam, true);
  return 0;
}

}  // namespace flx
