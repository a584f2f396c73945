// Helpers shared by the native tests: what the real system says about a
// window, read with user32/gdi32 directly (not through the backend under
// test), and the expectations the runner passes in the environment.
#pragma once

#include "flexarium/win32_windows.h"

// Needs <windows.h> first.
#include <shellapi.h>

#include <cstdlib>
#include <sstream>
#include <string>

#include "flexarium/win32_desktop.h"
#include "flexarium/win_types.h"
#include "mini_test.h"

// Global, where CHECK_EQ finds it for the global RECT.
inline bool operator==(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right &&
         a.bottom == b.bottom;
}

namespace native {

inline std::string str(const RECT& r) {
  std::ostringstream out;
  out << "(" << r.left << "," << r.top << "," << r.right << "," << r.bottom
      << ")";
  return out.str();
}

inline RECT rect(int left, int top, int width, int height) {
  return RECT{left, top, left + width, top + height};
}

inline RECT ours(const flx::win::RECT& r) {
  return RECT{r.left, r.top, r.right, r.bottom};
}

// The window's rectangle in its parent's client coordinates, as the system
// has it now.
inline RECT rectInParent(HWND wnd) {
  RECT r{};
  ::GetWindowRect(wnd, &r);
  HWND parent = ::GetAncestor(wnd, GA_PARENT);
  if (parent != nullptr && parent != ::GetDesktopWindow()) {
    ::MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
  }
  return r;
}

inline RECT clientRect(HWND wnd) {
  RECT r{};
  ::GetClientRect(wnd, &r);
  return r;
}

inline std::wstring className(HWND wnd) {
  wchar_t buf[64] = {};
  ::GetClassNameW(wnd, buf, 64);
  return buf;
}

inline bool sameClass(HWND wnd, const wchar_t* name) {
  return ::lstrcmpiW(className(wnd).c_str(), name) == 0;
}

// The font the window uses, as the system reports it.
inline LOGFONTW windowFont(HWND wnd) {
  LOGFONTW lf{};
  auto font = reinterpret_cast<HFONT>(::SendMessageW(wnd, WM_GETFONT, 0, 0));
  if (font != nullptr) ::GetObjectW(font, sizeof lf, &lf);
  return lf;
}

// Delivers what is queued for this thread (posted messages, paints).
inline void pump() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

inline int envInt(const char* name, int fallback) {
  const char* v = std::getenv(name);
  return (v != nullptr && *v != 0) ? std::atoi(v) : fallback;
}

inline std::string envString(const char* name, const char* fallback) {
  const char* v = std::getenv(name);
  return (v != nullptr && *v != 0) ? v : fallback;
}

}  // namespace native

namespace mini {
template <>
inline std::string show<RECT>(const RECT& r) {
  return native::str(r);
}
}  // namespace mini
