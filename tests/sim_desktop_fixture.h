// Shared set-up of the simulated desktop's own tests: a fresh desktop per
// test with one window class, "Test", whose behaviour each test supplies,
// and readers for the messages and calls the desktop records.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "flexarium/sim_desktop.h"
#include "flexarium/winapi.h"

namespace flx::simtest {

using namespace flx::win;
using sim::CallRecord;
using sim::Desktop;
using sim::DesktopConfig;
using sim::MessageRecord;
using sim::MonitorConfig;
using sim::ScopedDesktop;
using sim::TaskbarEdge;

using Handler =
    std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)>;

// The behaviour of the test window class; each test installs its own.
inline Handler gHandler;

inline LRESULT FLX_CALLBACK TestProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (gHandler) {
    if (auto r = gHandler(wnd, msg, wp, lp)) return *r;
  }
  return DefWindowProcW(wnd, msg, wp, lp);
}

inline std::tuple<int, int, int, int> tie(const RECT& r) {
  return {r.left, r.top, r.right, r.bottom};
}
inline std::tuple<int, int, int, int> rect(int l, int t, int r, int b) {
  return {l, t, r, b};
}

inline LPARAM lparamOf(int lo, int hi) { return MAKELPARAM(lo, hi); }

inline std::string msgName(UINT msg) {
  switch (msg) {
    case WM_CREATE:
      return "CREATE";
    case WM_DESTROY:
      return "DESTROY";
    case WM_MOVE:
      return "MOVE";
    case WM_SIZE:
      return "SIZE";
    case WM_SETTEXT:
      return "SETTEXT";
    case WM_CLOSE:
      return "CLOSE";
    case WM_SHOWWINDOW:
      return "SHOWWINDOW";
    case WM_GETMINMAXINFO:
      return "GETMINMAXINFO";
    case WM_SETFONT:
      return "SETFONT";
    case WM_WINDOWPOSCHANGING:
      return "POSCHANGING";
    case WM_WINDOWPOSCHANGED:
      return "POSCHANGED";
    case WM_NCCREATE:
      return "NCCREATE";
    case WM_NCDESTROY:
      return "NCDESTROY";
    case WM_NCCALCSIZE:
      return "NCCALCSIZE";
    case WM_SIZING:
      return "SIZING";
    case WM_ENTERSIZEMOVE:
      return "ENTERSIZEMOVE";
    case WM_EXITSIZEMOVE:
      return "EXITSIZEMOVE";
    default:
      return "0x" + std::to_string(msg);
  }
}

using Names = std::vector<std::string>;

struct Env {
  ScopedDesktop scoped;

  explicit Env(DesktopConfig config = {}) : scoped(std::move(config)) {
    gHandler = nullptr;
    scoped->registerClass(u"Test", &TestProc);
  }
  ~Env() { gHandler = nullptr; }
  Env(const Env&) = delete;
  Env& operator=(const Env&) = delete;

  Desktop& d() { return scoped.desktop(); }

  HWND top(DWORD style = WS_OVERLAPPEDWINDOW, RECT r = {100, 100, 700, 500},
           DWORD exStyle = 0) {
    return d().createWindowEx(exStyle, u"Test", u"top", style, r.left, r.top,
                              r.right - r.left, r.bottom - r.top, nullptr,
                              nullptr);
  }
  HWND child(HWND parent, RECT r, DWORD style = WS_CHILD | WS_VISIBLE,
             DWORD exStyle = 0) {
    return d().createWindowEx(exStyle, u"Test", u"child", style, r.left, r.top,
                              r.right - r.left, r.bottom - r.top, parent,
                              nullptr);
  }

  Names names(HWND wnd) {
    Names out;
    for (const auto& m : d().messages()) {
      if (m.wnd == wnd) out.push_back(msgName(m.msg));
    }
    return out;
  }
  std::vector<MessageRecord> records(HWND wnd, UINT msg) {
    std::vector<MessageRecord> out;
    for (const auto& m : d().messages()) {
      if (m.wnd == wnd && m.msg == msg) out.push_back(m);
    }
    return out;
  }
  // Client calls, less the DefWindowProcW calls of the test procedure.
  std::vector<std::string> ops() {
    std::vector<std::string> out;
    for (const auto& c : d().calls()) {
      if (c.op != "DefWindowProcW") out.push_back(c.op);
    }
    return out;
  }
  RECT windowRect(HWND wnd) {
    RECT r{};
    d().getWindowRect(wnd, &r);
    return r;
  }
  RECT clientRect(HWND wnd) {
    RECT r{};
    d().getClientRect(wnd, &r);
    return r;
  }
};

}  // namespace flx::simtest
