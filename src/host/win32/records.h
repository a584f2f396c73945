// The window-system records of flexarium and of <windows.h> are layout
// twins; these checks make a mismatch a compile error, and the helpers cast
// between them.
#pragma once

#include "flexarium/win32_windows.h"

// Need <windows.h> first.
#include <commctrl.h>
#include <shellapi.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <type_traits>

#include "flexarium/win_types.h"

namespace flx::win32::detail {

namespace fw = ::flx::win;

static_assert(std::is_same_v<fw::HWND, ::HWND>);
static_assert(std::is_same_v<fw::HHOOK, ::HHOOK>);
static_assert(std::is_same_v<fw::HMONITOR, ::HMONITOR>);
static_assert(std::is_same_v<fw::HDC, ::HDC>);
static_assert(std::is_same_v<fw::HFONT, ::HFONT>);
static_assert(std::is_same_v<fw::HINSTANCE, ::HINSTANCE>);
static_assert(
    std::is_same_v<fw::DPI_AWARENESS_CONTEXT, ::DPI_AWARENESS_CONTEXT>);
static_assert(std::is_same_v<fw::WPARAM, ::WPARAM>);
static_assert(std::is_same_v<fw::LPARAM, ::LPARAM>);
static_assert(std::is_same_v<fw::LRESULT, ::LRESULT>);
static_assert(std::is_same_v<fw::LONG_PTR, ::LONG_PTR>);
static_assert(std::is_same_v<fw::UINT_PTR, ::UINT_PTR>);
static_assert(std::is_same_v<fw::UINT, ::UINT>);
static_assert(sizeof(fw::DWORD) == sizeof(::DWORD));
static_assert(std::is_same_v<fw::BOOL, ::BOOL>);
static_assert(std::is_same_v<fw::HANDLE, ::HANDLE>);
static_assert(std::is_same_v<fw::WNDPROC, ::WNDPROC>);
static_assert(std::is_same_v<fw::HOOKPROC, ::HOOKPROC>);
static_assert(sizeof(fw::LONG) == sizeof(::LONG));
static_assert(sizeof(fw::HRESULT) == sizeof(::HRESULT));
static_assert(sizeof(wchar_t) == sizeof(char16_t));

#define FLX_SAME_RECORD(Ours, Theirs)            \
  static_assert(sizeof(Ours) == sizeof(Theirs)); \
  static_assert(alignof(Ours) == alignof(Theirs))
#define FLX_SAME_FIELD(Ours, Theirs, field) \
  static_assert(offsetof(Ours, field) == offsetof(Theirs, field))

FLX_SAME_RECORD(fw::POINT, ::POINT);
FLX_SAME_FIELD(fw::POINT, ::POINT, y);
FLX_SAME_RECORD(fw::TEXTMETRICW, ::TEXTMETRICW);
FLX_SAME_FIELD(fw::TEXTMETRICW, ::TEXTMETRICW, tmOverhang);
FLX_SAME_FIELD(fw::TEXTMETRICW, ::TEXTMETRICW, tmFirstChar);
FLX_SAME_FIELD(fw::TEXTMETRICW, ::TEXTMETRICW, tmItalic);
FLX_SAME_FIELD(fw::TEXTMETRICW, ::TEXTMETRICW, tmCharSet);
FLX_SAME_RECORD(fw::SIZE, ::SIZE);
FLX_SAME_FIELD(fw::SIZE, ::SIZE, cy);
FLX_SAME_RECORD(fw::RECT, ::RECT);
FLX_SAME_FIELD(fw::RECT, ::RECT, left);
FLX_SAME_FIELD(fw::RECT, ::RECT, top);
FLX_SAME_FIELD(fw::RECT, ::RECT, right);
FLX_SAME_FIELD(fw::RECT, ::RECT, bottom);
FLX_SAME_RECORD(fw::MINMAXINFO, ::MINMAXINFO);
FLX_SAME_FIELD(fw::MINMAXINFO, ::MINMAXINFO, ptMaxSize);
FLX_SAME_FIELD(fw::MINMAXINFO, ::MINMAXINFO, ptMaxPosition);
FLX_SAME_FIELD(fw::MINMAXINFO, ::MINMAXINFO, ptMinTrackSize);
FLX_SAME_FIELD(fw::MINMAXINFO, ::MINMAXINFO, ptMaxTrackSize);
FLX_SAME_RECORD(fw::CWPSTRUCT, ::CWPSTRUCT);
FLX_SAME_FIELD(fw::CWPSTRUCT, ::CWPSTRUCT, lParam);
FLX_SAME_FIELD(fw::CWPSTRUCT, ::CWPSTRUCT, wParam);
FLX_SAME_FIELD(fw::CWPSTRUCT, ::CWPSTRUCT, message);
FLX_SAME_FIELD(fw::CWPSTRUCT, ::CWPSTRUCT, hwnd);
FLX_SAME_RECORD(fw::APPBARDATA, ::APPBARDATA);
FLX_SAME_FIELD(fw::APPBARDATA, ::APPBARDATA, hWnd);
FLX_SAME_FIELD(fw::APPBARDATA, ::APPBARDATA, uCallbackMessage);
FLX_SAME_FIELD(fw::APPBARDATA, ::APPBARDATA, uEdge);
FLX_SAME_FIELD(fw::APPBARDATA, ::APPBARDATA, rc);
FLX_SAME_FIELD(fw::APPBARDATA, ::APPBARDATA, lParam);
FLX_SAME_RECORD(fw::MONITORINFO, ::MONITORINFO);
FLX_SAME_FIELD(fw::MONITORINFO, ::MONITORINFO, rcMonitor);
FLX_SAME_FIELD(fw::MONITORINFO, ::MONITORINFO, rcWork);
FLX_SAME_FIELD(fw::MONITORINFO, ::MONITORINFO, dwFlags);
FLX_SAME_RECORD(fw::WINDOWPOS, ::WINDOWPOS);
FLX_SAME_FIELD(fw::WINDOWPOS, ::WINDOWPOS, hwndInsertAfter);
FLX_SAME_FIELD(fw::WINDOWPOS, ::WINDOWPOS, x);
FLX_SAME_FIELD(fw::WINDOWPOS, ::WINDOWPOS, cy);
FLX_SAME_FIELD(fw::WINDOWPOS, ::WINDOWPOS, flags);
FLX_SAME_RECORD(fw::WINDOWPLACEMENT, ::WINDOWPLACEMENT);
FLX_SAME_FIELD(fw::WINDOWPLACEMENT, ::WINDOWPLACEMENT, showCmd);
FLX_SAME_FIELD(fw::WINDOWPLACEMENT, ::WINDOWPLACEMENT, ptMinPosition);
FLX_SAME_FIELD(fw::WINDOWPLACEMENT, ::WINDOWPLACEMENT, ptMaxPosition);
FLX_SAME_FIELD(fw::WINDOWPLACEMENT, ::WINDOWPLACEMENT, rcNormalPosition);
FLX_SAME_RECORD(fw::CREATESTRUCTW, ::CREATESTRUCTW);
FLX_SAME_FIELD(fw::CREATESTRUCTW, ::CREATESTRUCTW, hInstance);
FLX_SAME_FIELD(fw::CREATESTRUCTW, ::CREATESTRUCTW, hwndParent);
FLX_SAME_FIELD(fw::CREATESTRUCTW, ::CREATESTRUCTW, cy);
FLX_SAME_FIELD(fw::CREATESTRUCTW, ::CREATESTRUCTW, x);
FLX_SAME_FIELD(fw::CREATESTRUCTW, ::CREATESTRUCTW, style);
FLX_SAME_FIELD(fw::CREATESTRUCTW, ::CREATESTRUCTW, lpszName);
FLX_SAME_FIELD(fw::CREATESTRUCTW, ::CREATESTRUCTW, lpszClass);
FLX_SAME_FIELD(fw::CREATESTRUCTW, ::CREATESTRUCTW, dwExStyle);
FLX_SAME_RECORD(fw::LOGFONTW, ::LOGFONTW);
FLX_SAME_FIELD(fw::LOGFONTW, ::LOGFONTW, lfWeight);
FLX_SAME_FIELD(fw::LOGFONTW, ::LOGFONTW, lfItalic);
FLX_SAME_FIELD(fw::LOGFONTW, ::LOGFONTW, lfCharSet);
FLX_SAME_FIELD(fw::LOGFONTW, ::LOGFONTW, lfPitchAndFamily);
FLX_SAME_FIELD(fw::LOGFONTW, ::LOGFONTW, lfFaceName);
FLX_SAME_RECORD(fw::PAINTSTRUCT, ::PAINTSTRUCT);
FLX_SAME_FIELD(fw::PAINTSTRUCT, ::PAINTSTRUCT, fErase);
FLX_SAME_FIELD(fw::PAINTSTRUCT, ::PAINTSTRUCT, rcPaint);
FLX_SAME_FIELD(fw::PAINTSTRUCT, ::PAINTSTRUCT, fIncUpdate);
FLX_SAME_FIELD(fw::PAINTSTRUCT, ::PAINTSTRUCT, rgbReserved);

FLX_SAME_RECORD(fw::NMHDR, ::NMHDR);
FLX_SAME_FIELD(fw::NMHDR, ::NMHDR, idFrom);
FLX_SAME_FIELD(fw::NMHDR, ::NMHDR, code);
FLX_SAME_RECORD(fw::TCITEMW, ::TCITEMW);
FLX_SAME_FIELD(fw::TCITEMW, ::TCITEMW, pszText);
FLX_SAME_FIELD(fw::TCITEMW, ::TCITEMW, cchTextMax);
FLX_SAME_FIELD(fw::TCITEMW, ::TCITEMW, lParam);
FLX_SAME_RECORD(fw::LVCOLUMNW, ::LVCOLUMNW);
FLX_SAME_FIELD(fw::LVCOLUMNW, ::LVCOLUMNW, cx);
FLX_SAME_FIELD(fw::LVCOLUMNW, ::LVCOLUMNW, pszText);
FLX_SAME_FIELD(fw::LVCOLUMNW, ::LVCOLUMNW, cxIdeal);
FLX_SAME_RECORD(fw::HDITEMW, ::HDITEMW);
FLX_SAME_FIELD(fw::HDITEMW, ::HDITEMW, cxy);
FLX_SAME_FIELD(fw::HDITEMW, ::HDITEMW, pszText);
FLX_SAME_FIELD(fw::HDITEMW, ::HDITEMW, fmt);
FLX_SAME_FIELD(fw::HDITEMW, ::HDITEMW, state);
FLX_SAME_RECORD(fw::SYSTEMTIME, ::SYSTEMTIME);
FLX_SAME_FIELD(fw::SYSTEMTIME, ::SYSTEMTIME, wDay);
FLX_SAME_FIELD(fw::SYSTEMTIME, ::SYSTEMTIME, wMilliseconds);
static_assert(sizeof(fw::COLORREF) == sizeof(::COLORREF));

#undef FLX_SAME_RECORD
#undef FLX_SAME_FIELD

// The checks above make these casts between twins well defined in layout.
inline ::SIZE* sys(fw::SIZE* s) { return reinterpret_cast<::SIZE*>(s); }
inline ::RECT* sys(fw::RECT* r) { return reinterpret_cast<::RECT*>(r); }
inline const ::RECT* sys(const fw::RECT* r) {
  return reinterpret_cast<const ::RECT*>(r);
}
inline ::WINDOWPLACEMENT* sys(fw::WINDOWPLACEMENT* p) {
  return reinterpret_cast<::WINDOWPLACEMENT*>(p);
}
inline ::MONITORINFO* sys(fw::MONITORINFO* m) {
  return reinterpret_cast<::MONITORINFO*>(m);
}
inline ::APPBARDATA* sys(fw::APPBARDATA* a) {
  return reinterpret_cast<::APPBARDATA*>(a);
}
inline const ::LOGFONTW* sys(const fw::LOGFONTW* f) {
  return reinterpret_cast<const ::LOGFONTW*>(f);
}
inline ::PAINTSTRUCT* sys(fw::PAINTSTRUCT* p) {
  return reinterpret_cast<::PAINTSTRUCT*>(p);
}
inline const ::PAINTSTRUCT* sys(const fw::PAINTSTRUCT* p) {
  return reinterpret_cast<const ::PAINTSTRUCT*>(p);
}
inline fw::RECT ours(const ::RECT& r) {
  return fw::RECT{r.left, r.top, r.right, r.bottom};
}

// A string view is not terminated; the system wants a terminated copy.
inline std::wstring wide(std::u16string_view s) {
  return std::wstring(s.begin(), s.end());
}

// GetProcAddress hands out FARPROC; going through void(*)() is the cast
// that -Wcast-function-type accepts.
template <typename F>
F procAddress(HMODULE module, const char* name) {
  if (module == nullptr) return nullptr;
  return reinterpret_cast<F>(
      reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

}  // namespace flx::win32::detail
