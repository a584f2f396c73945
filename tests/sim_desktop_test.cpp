#include "flexarium/sim_desktop.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "flexarium/sysutils.h"
#include "flexarium/winapi.h"

using namespace flx::win;
using flx::sim::CallRecord;
using flx::sim::Desktop;
using flx::sim::DesktopConfig;
using flx::sim::MessageRecord;
using flx::sim::MonitorConfig;
using flx::sim::ScopedDesktop;
using flx::sim::TaskbarEdge;

namespace {

using Handler =
    std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)>;

// The behaviour of the test window class; each test installs its own.
Handler gHandler;

LRESULT FLX_CALLBACK TestProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (gHandler) {
    if (auto r = gHandler(wnd, msg, wp, lp)) return *r;
  }
  return DefWindowProcW(wnd, msg, wp, lp);
}

std::tuple<int, int, int, int> tie(const RECT& r) {
  return {r.left, r.top, r.right, r.bottom};
}
std::tuple<int, int, int, int> rect(int l, int t, int r, int b) {
  return {l, t, r, b};
}

std::string msgName(UINT msg) {
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

LPARAM lparamOf(int lo, int hi) { return MAKELPARAM(lo, hi); }

}  // namespace

// ---- Creation ----

TEST(SimDesktop, CreationSendsMessagesInWindowsOrder) {
  Env env;
  const HWND parent = env.top();
  struct Case {
    const char* name;
    DWORD style;
    bool child;
    Names expected;
  };
  const Case cases[] = {
      {"overlapped",
       WS_OVERLAPPEDWINDOW,
       false,
       {"GETMINMAXINFO", "NCCREATE", "NCCALCSIZE", "CREATE"}},
      {"popup", WS_POPUP, false, {"NCCREATE", "NCCALCSIZE", "CREATE"}},
      {"child", WS_CHILD, true, {"NCCREATE", "NCCALCSIZE", "CREATE"}},
      {"visible child",
       WS_CHILD | WS_VISIBLE,
       true,
       {"NCCREATE", "NCCALCSIZE", "CREATE", "SHOWWINDOW", "POSCHANGING",
        "POSCHANGED", "SIZE", "MOVE"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    env.d().clearRecords();
    int tag = 42;
    void* seenParam = nullptr;
    std::u16string seenName;
    gHandler = [&](HWND, UINT msg, WPARAM,
                   LPARAM lp) -> std::optional<LRESULT> {
      if (msg == WM_NCCREATE || msg == WM_CREATE) {
        const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lp);
        seenParam = cs->lpCreateParams;
        seenName = cs->lpszName;
      }
      return std::nullopt;
    };
    const HWND wnd =
        env.d().createWindowEx(0, u"Test", u"caption", c.style, 10, 20, 300,
                               200, c.child ? parent : nullptr, &tag);
    ASSERT_NE(wnd, nullptr);
    EXPECT_EQ(env.names(wnd), c.expected);
    EXPECT_EQ(seenParam, &tag);
    EXPECT_EQ(seenName, u"caption");
    EXPECT_EQ(env.d().getWindowText(wnd), u"caption");
  }
}

TEST(SimDesktop, CreationCanBeRefused) {
  struct Case {
    const char* name;
    UINT refusedAt;
    LRESULT refusal;
  };
  const Case cases[] = {{"NCCREATE returns 0", WM_NCCREATE, 0},
                        {"CREATE returns -1", WM_CREATE, -1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Env env;
    HWND seen = nullptr;
    gHandler = [&](HWND wnd, UINT msg, WPARAM,
                   LPARAM) -> std::optional<LRESULT> {
      seen = wnd;
      if (msg == c.refusedAt) return c.refusal;
      return std::nullopt;
    };
    EXPECT_EQ(env.top(), nullptr);
    EXPECT_EQ(env.d().windowCount(), 0);
    EXPECT_FALSE(env.d().isWindow(seen));
    // The framework frees per-window state on WM_NCDESTROY.
    EXPECT_EQ(env.names(seen).back(), "NCDESTROY");
  }
}

TEST(SimDesktop, CreationFailsForBadClassOrParent) {
  Env env;
  const HWND top = env.top();
  const HWND gone = env.top();
  env.d().destroyWindow(gone);
  EXPECT_EQ(env.d().createWindowEx(0, u"NoSuchClass", u"", WS_POPUP, 0, 0, 10,
                                   10, nullptr, nullptr),
            nullptr);
  EXPECT_EQ(env.child(nullptr, {0, 0, 10, 10}), nullptr);
  EXPECT_EQ(env.child(gone, {0, 0, 10, 10}), nullptr);
  EXPECT_NE(env.child(top, {0, 0, 10, 10}), nullptr);
  EXPECT_EQ(env.d().windowCount(), 2);
}

TEST(SimDesktop, SystemClassesExistAndActLikeDefWindowProc) {
  Env env;
  const HWND parent = env.top();
  for (const char16_t* cls : {u"Button", u"EDIT", u"STATIC", u"LISTBOX",
                              u"COMBOBOX", u"SCROLLBAR", u"#32770"}) {
    SCOPED_TRACE(flx::Utf16ToUtf8(cls));
    const HWND wnd = env.d().createWindowEx(0, cls, u"x", WS_CHILD, 0, 0, 50,
                                            20, parent, nullptr);
    ASSERT_NE(wnd, nullptr);
    EXPECT_TRUE(env.d().setWindowText(wnd, u"hello"));
    EXPECT_EQ(env.d().getWindowText(wnd), u"hello");
    const auto font = reinterpret_cast<HFONT>(0x1236);
    env.d().sendMessage(wnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
    EXPECT_EQ(env.d().sendMessage(wnd, WM_GETFONT, 0, 0),
              reinterpret_cast<LRESULT>(font));
  }
}

TEST(SimDesktop, ReRegisteringAClassReplacesItsProcedure) {
  Env env;
  static int hits = 0;
  hits = 0;
  struct P {
    static LRESULT FLX_CALLBACK proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
      if (m == WM_APP) ++hits;
      return DefWindowProcW(w, m, wp, lp);
    }
  };
  EXPECT_TRUE(env.d().registerClass(u"TEST", &P::proc));
  const HWND wnd = env.top();
  env.d().sendMessage(wnd, WM_APP, 0, 0);
  EXPECT_EQ(hits, 1);
}

TEST(SimDesktop, HandlesAreDistinctAndNeverReused) {
  Env env;
  std::vector<HWND> seen;
  for (int i = 0; i < 20; ++i) {
    const HWND wnd = env.top(WS_POPUP);
    ASSERT_NE(wnd, nullptr);
    for (HWND s : seen) EXPECT_NE(s, wnd);
    seen.push_back(wnd);
    if (i % 2 == 0) env.d().destroyWindow(wnd);
  }
  EXPECT_EQ(env.d().windowCount(), 10);
}

// ---- Showing ----

TEST(SimDesktop, FirstShowSendsSizeBeforeMove) {
  for (int cmd : {SW_SHOW, SW_SHOWNORMAL, SW_SHOWNOACTIVATE}) {
    SCOPED_TRACE(cmd);
    Env env;
    const HWND wnd = env.top();
    env.d().clearRecords();
    EXPECT_FALSE(env.d().showWindow(wnd, cmd));
    EXPECT_EQ(env.names(wnd), (Names{"SHOWWINDOW", "POSCHANGING", "POSCHANGED",
                                     "SIZE", "MOVE"}));
    const auto show = env.records(wnd, WM_SHOWWINDOW).at(0);
    EXPECT_EQ(show.wParam, 1u);
    EXPECT_EQ(show.lParam, 0);
    const auto size = env.records(wnd, WM_SIZE).at(0);
    EXPECT_EQ(size.wParam, SIZE_RESTORED);
    EXPECT_EQ(size.lParam, lparamOf(600 - 16, 400 - 31 - 8));
    EXPECT_EQ(env.records(wnd, WM_MOVE).at(0).lParam, lparamOf(108, 131));
    EXPECT_TRUE(env.d().isWindowVisible(wnd));
  }
}

TEST(SimDesktop, ShowHideShowSequences) {
  Env env;
  const HWND wnd = env.top(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  const Names created = env.names(wnd);
  EXPECT_EQ(created,
            (Names{"GETMINMAXINFO", "NCCREATE", "NCCALCSIZE", "CREATE",
                   "SHOWWINDOW", "POSCHANGING", "POSCHANGED", "SIZE", "MOVE"}));
  struct Step {
    int cmd;
    BOOL result;
    Names expected;
    bool visibleAfter;
  };
  const Step steps[] = {
      {SW_SHOW, TRUE, {}, true},
      {SW_HIDE, TRUE, {"SHOWWINDOW", "POSCHANGING", "POSCHANGED"}, false},
      {SW_HIDE, FALSE, {}, false},
      {SW_SHOW, FALSE, {"SHOWWINDOW", "POSCHANGING", "POSCHANGED"}, true},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(s.cmd);
    env.d().clearRecords();
    EXPECT_EQ(env.d().showWindow(wnd, s.cmd), s.result);
    EXPECT_EQ(env.names(wnd), s.expected);
    EXPECT_EQ(env.d().isWindowVisible(wnd), s.visibleAfter ? TRUE : FALSE);
  }
  env.d().clearRecords();
  env.d().showWindow(wnd, SW_HIDE);
  EXPECT_EQ(env.records(wnd, WM_SHOWWINDOW).at(0).wParam, 0u);
}

TEST(SimDesktop, ChildVisibilityDependsOnAncestors) {
  Env env;
  const HWND top = env.top();
  const HWND mid = env.child(top, {0, 0, 100, 100});
  const HWND leaf = env.child(mid, {0, 0, 10, 10});
  EXPECT_FALSE(env.d().isWindowVisible(leaf));
  env.d().showWindow(top, SW_SHOW);
  EXPECT_TRUE(env.d().isWindowVisible(leaf));
  env.d().showWindow(mid, SW_HIDE);
  EXPECT_FALSE(env.d().isWindowVisible(leaf));
  EXPECT_TRUE(env.d().isWindowVisible(top));
}

// ---- Moving and sizing ----

TEST(SimDesktop, MoveAndResizeSequences) {
  struct Case {
    const char* name;
    bool child;
    DWORD style;
    int x, y, w, h;
    UINT flags;
    Names expected;
  };
  const Case cases[] = {
      {"top move",
       false,
       WS_OVERLAPPEDWINDOW,
       150,
       160,
       0,
       0,
       SWP_NOSIZE | SWP_NOZORDER,
       {"POSCHANGING", "POSCHANGED", "MOVE"}},
      {"top size",
       false,
       WS_OVERLAPPEDWINDOW,
       0,
       0,
       500,
       300,
       SWP_NOMOVE | SWP_NOZORDER,
       {"POSCHANGING", "GETMINMAXINFO", "NCCALCSIZE", "POSCHANGED", "SIZE"}},
      {"top move and size",
       false,
       WS_OVERLAPPEDWINDOW,
       50,
       60,
       500,
       300,
       SWP_NOZORDER,
       {"POSCHANGING", "GETMINMAXINFO", "NCCALCSIZE", "POSCHANGED", "MOVE",
        "SIZE"}},
      {"top same rect",
       false,
       WS_OVERLAPPEDWINDOW,
       100,
       100,
       600,
       400,
       SWP_NOZORDER,
       {"POSCHANGING", "GETMINMAXINFO", "NCCALCSIZE", "POSCHANGED"}},
      {"popup without sizing frame is not clamped",
       false,
       WS_POPUP,
       50,
       60,
       500,
       300,
       SWP_NOZORDER,
       {"POSCHANGING", "NCCALCSIZE", "POSCHANGED", "MOVE", "SIZE"}},
      {"popup with sizing frame",
       false,
       WS_POPUP | WS_THICKFRAME,
       100,
       100,
       500,
       300,
       SWP_NOZORDER,
       {"POSCHANGING", "GETMINMAXINFO", "NCCALCSIZE", "POSCHANGED", "SIZE"}},
      {"child move and size",
       true,
       WS_CHILD,
       5,
       6,
       70,
       80,
       SWP_NOZORDER,
       {"POSCHANGING", "NCCALCSIZE", "POSCHANGED", "MOVE", "SIZE"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Env env;
    const HWND parent = env.top();
    const HWND wnd = c.child ? env.child(parent, {10, 10, 110, 110}, c.style)
                             : env.top(c.style);
    env.d().clearRecords();
    EXPECT_TRUE(
        env.d().setWindowPos(wnd, nullptr, c.x, c.y, c.w, c.h, c.flags));
    EXPECT_EQ(env.names(wnd), c.expected);
  }
}

TEST(SimDesktop, MoveAndSizeReportClientGeometry) {
  Env env;
  const HWND wnd = env.top();
  env.d().clearRecords();
  EXPECT_TRUE(env.d().moveWindow(wnd, 20, 30, 400, 300, TRUE));
  EXPECT_EQ(env.ops(), (std::vector<std::string>{"MoveWindow"}));
  EXPECT_EQ(env.records(wnd, WM_MOVE).at(0).lParam, lparamOf(28, 61));
  const auto size = env.records(wnd, WM_SIZE).at(0);
  EXPECT_EQ(size.wParam, SIZE_RESTORED);
  EXPECT_EQ(size.lParam, lparamOf(384, 261));
  EXPECT_EQ(tie(env.windowRect(wnd)), rect(20, 30, 420, 330));
  EXPECT_EQ(tie(env.clientRect(wnd)), rect(0, 0, 384, 261));
  const auto pos = env.records(wnd, WM_WINDOWPOSCHANGING).at(0);
  EXPECT_NE(pos.lParam, 0);
}

TEST(SimDesktop, SetWindowPosShowAndHideFlags) {
  Env env;
  const HWND wnd = env.top();
  env.d().setWindowPos(wnd, nullptr, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
  EXPECT_TRUE(env.d().isWindowVisible(wnd));
  env.d().setWindowPos(wnd, nullptr, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_HIDEWINDOW);
  EXPECT_FALSE(env.d().isWindowVisible(wnd));
  EXPECT_EQ(tie(env.windowRect(wnd)), rect(100, 100, 700, 500));
}

TEST(SimDesktop, WindowPosChangingEditsAreHonoured) {
  Env env;
  const HWND wnd = env.top();
  gHandler = [](HWND, UINT msg, WPARAM, LPARAM lp) -> std::optional<LRESULT> {
    if (msg == WM_WINDOWPOSCHANGING) {
      auto* pos = reinterpret_cast<WINDOWPOS*>(lp);
      pos->x = 7;
      pos->cy = 250;
      return 0;
    }
    return std::nullopt;
  };
  env.d().moveWindow(wnd, 50, 60, 500, 300, TRUE);
  EXPECT_EQ(tie(env.windowRect(wnd)), rect(7, 60, 507, 310));
}

TEST(SimDesktop, SizingClampsToTrackingLimits) {
  struct Case {
    const char* name;
    DWORD style;
    std::optional<POINT> minTrack;
    std::optional<POINT> maxTrack;
    int w, h;
    int expectW, expectH;
  };
  const Case cases[] = {
      {"default minimum", WS_OVERLAPPEDWINDOW, {}, {}, 20, 10, 136, 39},
      {"default maximum", WS_OVERLAPPEDWINDOW, {}, {}, 9000, 9000, 1940, 1100},
      {"procedure maximum",
       WS_OVERLAPPEDWINDOW,
       {},
       POINT{300, 200},
       900,
       900,
       300,
       200},
      {"procedure minimum",
       WS_OVERLAPPEDWINDOW,
       POINT{150, 100},
       {},
       20,
       20,
       150,
       100},
      {"popup is not clamped", WS_POPUP, {}, POINT{300, 200}, 20, 900, 20, 900},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Env env;
    const HWND wnd = env.top(c.style);
    gHandler = [&](HWND, UINT msg, WPARAM,
                   LPARAM lp) -> std::optional<LRESULT> {
      if (msg == WM_GETMINMAXINFO) {
        auto* mmi = reinterpret_cast<MINMAXINFO*>(lp);
        if (c.minTrack) mmi->ptMinTrackSize = *c.minTrack;
        if (c.maxTrack) mmi->ptMaxTrackSize = *c.maxTrack;
        return 0;
      }
      return std::nullopt;
    };
    env.d().moveWindow(wnd, 0, 0, c.w, c.h, TRUE);
    EXPECT_EQ(tie(env.windowRect(wnd)), rect(0, 0, c.expectW, c.expectH));
  }
}

TEST(SimDesktop, DefaultMinMaxInfo) {
  struct Case {
    const char* name;
    DWORD style;
    int dpi;
    TaskbarEdge edge;
    MINMAXINFO expected;
  };
  const Case cases[] = {
      {"sizing frame, bottom taskbar",
       WS_OVERLAPPEDWINDOW,
       96,
       TaskbarEdge::Bottom,
       {{0, 0}, {1936, 1056}, {-8, -8}, {136, 39}, {1940, 1100}}},
      {"fixed frame, top taskbar",
       WS_CAPTION | WS_SYSMENU,
       96,
       TaskbarEdge::Top,
       {{0, 0}, {1926, 1046}, {-3, 37}, {136, 39}, {1940, 1100}}},
      {"sizing frame at 144 dpi, no taskbar",
       WS_OVERLAPPEDWINDOW,
       144,
       TaskbarEdge::None,
       {{0, 0}, {1944, 1104}, {-12, -12}, {204, 59}, {1948, 1108}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DesktopConfig config;
    config.dpiX = config.dpiY = c.dpi;
    config.taskbar.edge = c.edge;
    Env env(config);
    std::optional<MINMAXINFO> seen;
    gHandler = [&](HWND, UINT msg, WPARAM,
                   LPARAM lp) -> std::optional<LRESULT> {
      if (msg == WM_GETMINMAXINFO && !seen) {
        seen = *reinterpret_cast<MINMAXINFO*>(lp);
      }
      return std::nullopt;
    };
    env.top(c.style);
    ASSERT_TRUE(seen.has_value());
    const auto& e = c.expected;
    EXPECT_EQ(seen->ptMaxSize.x, e.ptMaxSize.x);
    EXPECT_EQ(seen->ptMaxSize.y, e.ptMaxSize.y);
    EXPECT_EQ(seen->ptMaxPosition.x, e.ptMaxPosition.x);
    EXPECT_EQ(seen->ptMaxPosition.y, e.ptMaxPosition.y);
    EXPECT_EQ(seen->ptMinTrackSize.x, e.ptMinTrackSize.x);
    EXPECT_EQ(seen->ptMinTrackSize.y, e.ptMinTrackSize.y);
    EXPECT_EQ(seen->ptMaxTrackSize.x, e.ptMaxTrackSize.x);
    EXPECT_EQ(seen->ptMaxTrackSize.y, e.ptMaxTrackSize.y);
  }
}

// ---- Frames ----

TEST(SimDesktop, NonClientFramePerStyleAndDpi) {
  struct Case {
    const char* name;
    DWORD style;
    DWORD exStyle;
    int dpiX, dpiY;
    bool scale;
    int left, top, right, bottom;
  };
  const Case cases[] = {
      {"overlapped", WS_OVERLAPPEDWINDOW, 0, 96, 96, true, 8, 31, 8, 8},
      {"tool window", WS_OVERLAPPEDWINDOW, WS_EX_TOOLWINDOW, 96, 96, true, 8,
       25, 8, 8},
      {"dialog frame", WS_CAPTION | WS_SYSMENU, 0, 96, 96, true, 3, 26, 3, 3},
      {"modal frame popup", WS_POPUP, WS_EX_DLGMODALFRAME, 96, 96, true, 3, 3,
       3, 3},
      {"bordered popup", WS_POPUP | WS_BORDER, 0, 96, 96, true, 1, 1, 1, 1},
      {"sizing popup", WS_POPUP | WS_THICKFRAME, 0, 96, 96, true, 8, 8, 8, 8},
      {"bare popup", WS_POPUP, 0, 96, 96, true, 0, 0, 0, 0},
      {"overlapped 144", WS_OVERLAPPEDWINDOW, 0, 144, 144, true, 12, 47, 12,
       12},
      {"overlapped 120x144", WS_OVERLAPPEDWINDOW, 0, 120, 144, true, 10, 47, 10,
       12},
      {"unscaled 144", WS_OVERLAPPEDWINDOW, 0, 144, 144, false, 8, 31, 8, 8},
      {"dialog 192", WS_CAPTION, 0, 192, 192, true, 6, 52, 6, 6},
      {"child plain", WS_CHILD, 0, 96, 96, true, 0, 0, 0, 0},
      {"child border", WS_CHILD | WS_BORDER, 0, 144, 144, true, 1, 1, 1, 1},
      {"child client edge", WS_CHILD, WS_EX_CLIENTEDGE, 96, 96, true, 2, 2, 2,
       2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DesktopConfig config;
    config.dpiX = c.dpiX;
    config.dpiY = c.dpiY;
    config.scaleMetricsWithDpi = c.scale;
    Env env(config);
    const HWND parent = env.top();
    const HWND wnd =
        (c.style & WS_CHILD)
            ? env.child(parent, {0, 0, 400, 300}, c.style, c.exStyle)
            : env.top(c.style, {0, 0, 400, 300}, c.exStyle);
    ASSERT_NE(wnd, nullptr);
    EXPECT_EQ(tie(env.clientRect(wnd)),
              rect(0, 0, 400 - c.left - c.right, 300 - c.top - c.bottom));
    RECT r{0, 0, 100, 50};
    EXPECT_TRUE(env.d().adjustWindowRectEx(&r, c.style, TRUE, c.exStyle));
    EXPECT_EQ(tie(r), rect(-c.left, -c.top, 100 + c.right, 50 + c.bottom));
  }
}

TEST(SimDesktop, ChildCoordinatesNest) {
  Env env;
  const HWND top = env.top(WS_OVERLAPPEDWINDOW, {100, 100, 700, 500});
  const HWND panel =
      env.child(top, {10, 20, 210, 220}, WS_CHILD | WS_VISIBLE | WS_BORDER);
  const HWND leaf = env.child(panel, {5, 6, 55, 36});
  // top client origin (108, 131); panel client origin +10+1, +20+1.
  EXPECT_EQ(tie(env.windowRect(panel)), rect(118, 151, 318, 351));
  EXPECT_EQ(tie(env.windowRect(leaf)), rect(124, 158, 174, 188));
  EXPECT_EQ(env.d().getParent(leaf), panel);
  EXPECT_EQ(env.d().getParent(top), nullptr);
  env.d().clearRecords();
  env.d().moveWindow(leaf, 7, 8, 50, 30, TRUE);
  EXPECT_EQ(env.names(leaf),
            (Names{"POSCHANGING", "NCCALCSIZE", "POSCHANGED", "MOVE"}));
  EXPECT_EQ(env.records(leaf, WM_MOVE).at(0).lParam, lparamOf(7, 8));
  env.d().moveWindow(panel, 0, 0, 200, 200, TRUE);
  EXPECT_EQ(tie(env.windowRect(leaf)), rect(116, 140, 166, 170));
  // A child is never clamped to the tracking limits.
  env.d().moveWindow(leaf, 0, 0, 5, 5, TRUE);
  EXPECT_EQ(tie(env.clientRect(leaf)), rect(0, 0, 5, 5));
}

// ---- Maximize, minimize, restore ----

TEST(SimDesktop, MaximizeAndRestore) {
  Env env;
  const HWND wnd = env.top(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  env.d().clearRecords();
  env.d().maximize(wnd);
  EXPECT_EQ(env.names(wnd),
            (Names{"GETMINMAXINFO", "POSCHANGING", "GETMINMAXINFO",
                   "NCCALCSIZE", "POSCHANGED", "MOVE", "SIZE"}));
  EXPECT_EQ(env.records(wnd, WM_SIZE).at(0).wParam, SIZE_MAXIMIZED);
  EXPECT_EQ(env.records(wnd, WM_SIZE).at(0).lParam, lparamOf(1920, 1017));
  EXPECT_EQ(env.records(wnd, WM_MOVE).at(0).lParam, lparamOf(0, 23));
  EXPECT_EQ(tie(env.windowRect(wnd)), rect(-8, -8, 1928, 1048));
  EXPECT_TRUE(env.d().isZoomed(wnd));
  EXPECT_FALSE(env.d().isIconic(wnd));
  EXPECT_TRUE(env.d().getWindowLongPtr(wnd, GWL_STYLE) & WS_MAXIMIZE);
  WINDOWPLACEMENT wp{};
  ASSERT_TRUE(env.d().getWindowPlacement(wnd, &wp));
  EXPECT_EQ(wp.showCmd, static_cast<UINT>(SW_SHOWMAXIMIZED));
  EXPECT_EQ(tie(wp.rcNormalPosition), rect(100, 100, 700, 500));

  env.d().clearRecords();
  env.d().maximize(wnd);
  EXPECT_EQ(env.names(wnd), Names{});

  // Moving a maximized window keeps it maximized.
  env.d().clearRecords();
  env.d().setWindowPos(wnd, nullptr, -8, -8, 1936, 1000, SWP_NOZORDER);
  EXPECT_TRUE(env.d().isZoomed(wnd));
  EXPECT_EQ(env.records(wnd, WM_SIZE).at(0).wParam, SIZE_MAXIMIZED);

  env.d().clearRecords();
  env.d().restore(wnd);
  EXPECT_FALSE(env.d().isZoomed(wnd));
  EXPECT_EQ(tie(env.windowRect(wnd)), rect(100, 100, 700, 500));
  EXPECT_EQ(env.records(wnd, WM_SIZE).at(0).wParam, SIZE_RESTORED);
  EXPECT_EQ(env.records(wnd, WM_SIZE).at(0).lParam, lparamOf(584, 361));
  ASSERT_TRUE(env.d().getWindowPlacement(wnd, &wp));
  EXPECT_EQ(wp.showCmd, static_cast<UINT>(SW_SHOWNORMAL));
}

TEST(SimDesktop, MaximizeAlwaysSendsSizeAndHonoursMinMaxInfo) {
  Env env;
  // Already at the maximized rectangle: the client size does not change.
  const HWND wnd =
      env.top(WS_OVERLAPPEDWINDOW | WS_VISIBLE, {-8, -8, 1928, 1048});
  env.d().clearRecords();
  env.d().showWindow(wnd, SW_SHOWMAXIMIZED);
  EXPECT_EQ(env.records(wnd, WM_MOVE).size(), 0u);
  ASSERT_EQ(env.records(wnd, WM_SIZE).size(), 1u);
  EXPECT_EQ(env.records(wnd, WM_SIZE).at(0).wParam, SIZE_MAXIMIZED);

  const HWND other = env.top();
  gHandler = [&](HWND w, UINT msg, WPARAM,
                 LPARAM lp) -> std::optional<LRESULT> {
    if (w == other && msg == WM_GETMINMAXINFO) {
      auto* mmi = reinterpret_cast<MINMAXINFO*>(lp);
      mmi->ptMaxPosition = POINT{50, 40};
      mmi->ptMaxSize = POINT{800, 600};
      return 0;
    }
    return std::nullopt;
  };
  env.d().clearRecords();
  // Maximizing a hidden window shows it first.
  env.d().showWindow(other, SW_MAXIMIZE);
  EXPECT_EQ(env.names(other).front(), "SHOWWINDOW");
  EXPECT_TRUE(env.d().isWindowVisible(other));
  EXPECT_EQ(tie(env.windowRect(other)), rect(50, 40, 850, 640));
}

TEST(SimDesktop, MinimizeAndRestoreReturnToThePreviousState) {
  struct Case {
    const char* name;
    bool maximizedFirst;
    int dpi;
    WPARAM restoredKind;
    std::tuple<int, int, int, int> restoredRect;
    UINT placementFlags;
  };
  const Case cases[] = {
      {"from normal", false, 96, SIZE_RESTORED, rect(100, 100, 700, 500), 0},
      {"from maximized", true, 96, SIZE_MAXIMIZED, rect(-8, -8, 1928, 1048), 2},
      {"from normal at 144 dpi", false, 144, SIZE_RESTORED,
       rect(100, 100, 700, 500), 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DesktopConfig config;
    config.dpiX = config.dpiY = c.dpi;
    config.taskbar.edge = c.dpi == 96 ? TaskbarEdge::Bottom : TaskbarEdge::None;
    Env env(config);
    const HWND wnd = env.top(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    if (c.maximizedFirst) env.d().maximize(wnd);
    env.d().clearRecords();
    env.d().minimize(wnd);
    EXPECT_TRUE(env.d().isIconic(wnd));
    EXPECT_FALSE(env.d().isZoomed(wnd));
    const int iconW = c.dpi == 96 ? 160 : 240;
    const int iconH = c.dpi == 96 ? 28 : 42;
    EXPECT_EQ(tie(env.windowRect(wnd)),
              rect(-32000, -32000, -32000 + iconW, -32000 + iconH));
    const auto size = env.records(wnd, WM_SIZE);
    ASSERT_EQ(size.size(), 1u);
    EXPECT_EQ(size[0].wParam, SIZE_MINIMIZED);
    EXPECT_EQ(size[0].lParam, 0);
    EXPECT_EQ(tie(env.clientRect(wnd)), rect(0, 0, 0, 0));
    WINDOWPLACEMENT wp{};
    ASSERT_TRUE(env.d().getWindowPlacement(wnd, &wp));
    EXPECT_EQ(wp.showCmd, static_cast<UINT>(SW_SHOWMINIMIZED));
    EXPECT_EQ(wp.flags, c.placementFlags);
    EXPECT_EQ(tie(wp.rcNormalPosition), rect(100, 100, 700, 500));

    env.d().clearRecords();
    env.d().restore(wnd);
    EXPECT_FALSE(env.d().isIconic(wnd));
    EXPECT_EQ(env.d().isZoomed(wnd), c.maximizedFirst ? TRUE : FALSE);
    EXPECT_EQ(tie(env.windowRect(wnd)), c.restoredRect);
    const auto restored = env.records(wnd, WM_SIZE);
    ASSERT_EQ(restored.size(), 1u);
    EXPECT_EQ(restored[0].wParam, c.restoredKind);
  }
}

TEST(SimDesktop, ShowNormalRestoresAndRestoreOfNormalWindowIsQuiet) {
  Env env;
  const HWND wnd = env.top(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  env.d().clearRecords();
  env.d().restore(wnd);
  EXPECT_EQ(env.names(wnd), Names{});
  env.d().maximize(wnd);
  env.d().showWindow(wnd, SW_SHOWNORMAL);
  EXPECT_FALSE(env.d().isZoomed(wnd));
  EXPECT_EQ(tie(env.windowRect(wnd)), rect(100, 100, 700, 500));
}

// ---- Dragging ----

TEST(SimDesktop, DragEachEdgeAndCorner) {
  struct Case {
    const char* name;
    WPARAM edge;
    int dx, dy;
    std::tuple<int, int, int, int> expected;
    bool moves;
  };
  const Case cases[] = {
      {"left", WMSZ_LEFT, -10, 99, rect(90, 100, 700, 500), true},
      {"right", WMSZ_RIGHT, 20, 99, rect(100, 100, 720, 500), false},
      {"top", WMSZ_TOP, 99, -5, rect(100, 95, 700, 500), true},
      {"bottom", WMSZ_BOTTOM, 99, 30, rect(100, 100, 700, 530), false},
      {"top left", WMSZ_TOPLEFT, 10, 10, rect(110, 110, 700, 500), true},
      {"top right", WMSZ_TOPRIGHT, 10, -10, rect(100, 90, 710, 500), true},
      {"bottom left", WMSZ_BOTTOMLEFT, -10, 10, rect(90, 100, 700, 510), true},
      {"bottom right", WMSZ_BOTTOMRIGHT, 5, 5, rect(100, 100, 705, 505), false},
      {"left past minimum", WMSZ_LEFT, 1000, 0, rect(564, 100, 700, 500), true},
      {"top past minimum", WMSZ_TOP, 0, 1000, rect(100, 461, 700, 500), true},
      {"corner past minimum", WMSZ_BOTTOMRIGHT, -1000, -1000,
       rect(100, 100, 236, 139), false},
      {"right past maximum", WMSZ_RIGHT, 5000, 0, rect(100, 100, 2040, 500),
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Env env;
    const HWND wnd = env.top(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    std::optional<RECT> proposed;
    gHandler = [&](HWND, UINT msg, WPARAM wp,
                   LPARAM lp) -> std::optional<LRESULT> {
      if (msg == WM_SIZING) {
        EXPECT_EQ(wp, c.edge);
        proposed = *reinterpret_cast<RECT*>(lp);
      }
      return std::nullopt;
    };
    env.d().clearRecords();
    env.d().dragEdge(wnd, c.edge, c.dx, c.dy);
    Names expected{"ENTERSIZEMOVE", "GETMINMAXINFO", "SIZING",    "POSCHANGING",
                   "GETMINMAXINFO", "NCCALCSIZE",    "POSCHANGED"};
    if (c.moves) expected.push_back("MOVE");
    expected.push_back("SIZE");
    expected.push_back("EXITSIZEMOVE");
    EXPECT_EQ(env.names(wnd), expected);
    ASSERT_TRUE(proposed.has_value());
    EXPECT_EQ(tie(*proposed), c.expected);
    EXPECT_EQ(tie(env.windowRect(wnd)), c.expected);
  }
}

TEST(SimDesktop, DragHonoursSizingEdits) {
  Env env;
  const HWND wnd = env.top(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  gHandler = [](HWND, UINT msg, WPARAM, LPARAM lp) -> std::optional<LRESULT> {
    if (msg == WM_SIZING) {
      auto* r = reinterpret_cast<RECT*>(lp);
      r->right = r->left + 300;  // snap to a grid of the window's choice
      r->bottom = r->top + 200;
      return TRUE;
    }
    return std::nullopt;
  };
  env.d().dragEdge(wnd, WMSZ_BOTTOMRIGHT, 37, 41);
  EXPECT_EQ(tie(env.windowRect(wnd)), rect(100, 100, 400, 300));
}

TEST(SimDesktop, DragIgnoresWindowsThatCannotBeDragged) {
  struct Case {
    const char* name;
    std::function<HWND(Env&)> make;
    WPARAM edge;
  };
  const Case cases[] = {
      {"maximized",
       [](Env& e) {
         HWND w = e.top(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
         e.d().maximize(w);
         return w;
       },
       WMSZ_RIGHT},
      {"minimized",
       [](Env& e) {
         HWND w = e.top(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
         e.d().minimize(w);
         return w;
       },
       WMSZ_RIGHT},
      {"child",
       [](Env& e) {
         return e.child(e.top(), {0, 0, 50, 50});
       },
       WMSZ_RIGHT},
      {"bad edge",
       [](Env& e) { return e.top(WS_OVERLAPPEDWINDOW | WS_VISIBLE); }, 9},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Env env;
    const HWND wnd = c.make(env);
    const RECT before = env.windowRect(wnd);
    env.d().clearRecords();
    env.d().dragEdge(wnd, c.edge, 50, 50);
    EXPECT_TRUE(env.d().messages().empty());
    EXPECT_EQ(tie(env.windowRect(wnd)), tie(before));
  }
}

// ---- Subclassing and hooks ----

namespace {

WNDPROC gOriginal = nullptr;
std::vector<std::string> gTrail;

LRESULT FLX_CALLBACK SubclassProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_SIZING) {
    gTrail.push_back("subclass");
    reinterpret_cast<RECT*>(lp)->bottom = 222;
  }
  return CallWindowProcW(gOriginal, wnd, msg, wp, lp);
}

}  // namespace

TEST(SimDesktop, SubclassChainSharesTheSendersRecord) {
  Env env;
  gTrail.clear();
  const HWND wnd = env.top();
  gHandler = [](HWND, UINT msg, WPARAM, LPARAM lp) -> std::optional<LRESULT> {
    if (msg == WM_SIZING) {
      gTrail.push_back("original");
      reinterpret_cast<RECT*>(lp)->right = 111;
      return TRUE;
    }
    return std::nullopt;
  };
  const LONG_PTR subclass = reinterpret_cast<LONG_PTR>(&SubclassProc);
  gOriginal = reinterpret_cast<WNDPROC>(
      env.d().setWindowLongPtr(wnd, GWLP_WNDPROC, subclass));
  EXPECT_EQ(gOriginal, &TestProc);
  EXPECT_EQ(env.d().getWindowLongPtr(wnd, GWLP_WNDPROC), subclass);
  RECT r{1, 2, 3, 4};
  EXPECT_EQ(env.d().sendMessage(wnd, WM_SIZING, WMSZ_BOTTOMRIGHT,
                                reinterpret_cast<LPARAM>(&r)),
            TRUE);
  EXPECT_EQ(tie(r), rect(1, 2, 111, 222));
  EXPECT_EQ(gTrail, (std::vector<std::string>{"subclass", "original"}));
  // Putting the original back returns the subclass.
  EXPECT_EQ(env.d().setWindowLongPtr(wnd, GWLP_WNDPROC,
                                     reinterpret_cast<LONG_PTR>(gOriginal)),
            subclass);
  EXPECT_EQ(env.d().callWindowProc(nullptr, wnd, WM_APP, 0, 0), 0);
}

TEST(SimDesktop, SubclassedSystemClassReachesTheDefaultProcedure) {
  Env env;
  const HWND parent = env.top();
  const HWND button = env.d().createWindowEx(0, u"BUTTON", u"", WS_CHILD, 0, 0,
                                             80, 24, parent, nullptr);
  gTrail.clear();
  gOriginal = reinterpret_cast<WNDPROC>(env.d().setWindowLongPtr(
      button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassProc)));
  ASSERT_NE(gOriginal, nullptr);
  EXPECT_TRUE(env.d().setWindowText(button, u"OK"));
  EXPECT_EQ(env.d().getWindowText(button), u"OK");
  char16_t buf[8] = {};
  EXPECT_EQ(
      env.d().sendMessage(button, WM_GETTEXT, 8, reinterpret_cast<LPARAM>(buf)),
      2);
  EXPECT_EQ(std::u16string(buf), u"OK");
}

TEST(SimDesktop, WindowLongSlots) {
  Env env;
  const HWND wnd =
      env.top(WS_OVERLAPPEDWINDOW, {0, 0, 300, 200}, WS_EX_APPWINDOW);
  EXPECT_EQ(env.d().getWindowLongPtr(wnd, GWL_STYLE),
            static_cast<LONG_PTR>(WS_OVERLAPPEDWINDOW));
  EXPECT_EQ(env.d().getWindowLongPtr(wnd, GWL_EXSTYLE),
            static_cast<LONG_PTR>(WS_EX_APPWINDOW));
  EXPECT_EQ(env.d().setWindowLongPtr(wnd, GWLP_USERDATA, 77), 0);
  EXPECT_EQ(env.d().setWindowLongPtr(wnd, GWLP_USERDATA, 78), 77);
  EXPECT_EQ(env.d().getWindowLongPtr(wnd, GWLP_USERDATA), 78);
  EXPECT_EQ(env.d().setWindowLongPtr(wnd, GWL_STYLE, WS_POPUP),
            static_cast<LONG_PTR>(WS_OVERLAPPEDWINDOW));
  EXPECT_EQ(static_cast<DWORD>(env.d().getWindowLongPtr(wnd, GWL_STYLE)),
            WS_POPUP);
  EXPECT_EQ(env.d().getWindowLongPtr(wnd, 12345), 0);
  // The client area follows the new frame once it is recalculated.
  EXPECT_EQ(tie(env.clientRect(wnd)), rect(0, 0, 284, 161));
  env.d().setWindowPos(wnd, nullptr, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_FRAMECHANGED);
  EXPECT_EQ(tie(env.clientRect(wnd)), rect(0, 0, 300, 200));
}

namespace {

struct HookLog {
  HHOOK handles[3] = {};
  bool passOn[3] = {true, true, true};
  std::vector<std::string> order;
  std::vector<const CWPSTRUCT*> records;
  std::vector<CWPSTRUCT> copies;
  std::vector<std::pair<int, WPARAM>> codes;
  UINT watch = WM_APP;
  std::function<void(CWPSTRUCT*)> edit;
  LRESULT nextResult = -1;
};
HookLog* gHooks = nullptr;

template <int N>
LRESULT FLX_CALLBACK HookN(int code, WPARAM wp, LPARAM lp) {
  auto* cwp = reinterpret_cast<CWPSTRUCT*>(lp);
  if (cwp->message == gHooks->watch) {
    gHooks->order.push_back("hook" + std::to_string(N));
    gHooks->records.push_back(cwp);
    gHooks->copies.push_back(*cwp);
    gHooks->codes.emplace_back(code, wp);
    if (gHooks->edit) gHooks->edit(cwp);
  }
  if (!gHooks->passOn[N]) return 0;
  const LRESULT r = CallNextHookEx(gHooks->handles[N], code, wp, lp);
  if (N == 0) gHooks->nextResult = r;
  return r;
}

struct HookEnv : Env {
  HookLog log;
  HookEnv() { gHooks = &log; }
  ~HookEnv() { gHooks = nullptr; }
  void install(int count) {
    const HOOKPROC procs[] = {&HookN<0>, &HookN<1>, &HookN<2>};
    for (int i = 0; i < count; ++i) {
      log.handles[i] = d().setWindowsHookEx(WH_CALLWNDPROC, procs[i], nullptr,
                                            d().getCurrentThreadId());
      ASSERT_NE(log.handles[i], nullptr);
    }
  }
};

}  // namespace

TEST(SimDesktop, HooksRunLastInstalledFirstAndShareTheRecord) {
  HookEnv env;
  const HWND wnd = env.top();
  env.install(3);
  EXPECT_EQ(env.d().hookCount(), 3);
  int payload = 5;
  const LPARAM lp = reinterpret_cast<LPARAM>(&payload);
  std::vector<std::string> procSaw;
  gHandler = [&](HWND, UINT msg, WPARAM, LPARAM l) -> std::optional<LRESULT> {
    if (msg == WM_APP) {
      procSaw.push_back("proc");
      env.log.order.push_back("proc");
      EXPECT_EQ(l, lp);
      return 9;
    }
    return std::nullopt;
  };
  EXPECT_EQ(env.d().sendMessage(wnd, WM_APP, 3, lp), 9);
  EXPECT_EQ(env.log.order,
            (std::vector<std::string>{"hook2", "hook1", "hook0", "proc"}));
  ASSERT_EQ(env.log.records.size(), 3u);
  EXPECT_EQ(env.log.records[0], env.log.records[1]);
  EXPECT_EQ(env.log.records[1], env.log.records[2]);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(env.log.copies[i].lParam, lp);
    EXPECT_EQ(env.log.copies[i].wParam, 3u);
    EXPECT_EQ(env.log.copies[i].message, WM_APP);
    EXPECT_EQ(env.log.copies[i].hwnd, wnd);
    EXPECT_EQ(env.log.codes[i].first, HC_ACTION);
    EXPECT_EQ(env.log.codes[i].second, 1u);
  }
  EXPECT_EQ(env.log.nextResult, 0);  // nothing was installed before hook0
}

TEST(SimDesktop, HookThatDoesNotCallNextStopsTheChainButNotTheProcedure) {
  HookEnv env;
  const HWND wnd = env.top();
  env.install(3);
  env.log.passOn[1] = false;
  bool procSaw = false;
  gHandler = [&](HWND, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (msg == WM_APP) procSaw = true;
    return std::nullopt;
  };
  env.d().sendMessage(wnd, WM_APP, 0, 0);
  EXPECT_EQ(env.log.order, (std::vector<std::string>{"hook2", "hook1"}));
  EXPECT_TRUE(procSaw);
}

TEST(SimDesktop, UnhookedHooksAreNoLongerCalled) {
  HookEnv env;
  const HWND wnd = env.top();
  env.install(3);
  EXPECT_TRUE(env.d().unhookWindowsHookEx(env.log.handles[1]));
  EXPECT_FALSE(env.d().unhookWindowsHookEx(env.log.handles[1]));
  EXPECT_EQ(env.d().hookCount(), 2);
  env.d().sendMessage(wnd, WM_APP, 0, 0);
  EXPECT_EQ(env.log.order, (std::vector<std::string>{"hook2", "hook0"}));
  EXPECT_TRUE(env.d().unhookWindowsHookEx(env.log.handles[2]));
  EXPECT_TRUE(env.d().unhookWindowsHookEx(env.log.handles[0]));
  env.log.order.clear();
  env.d().sendMessage(wnd, WM_APP, 0, 0);
  EXPECT_TRUE(env.log.order.empty());
  EXPECT_EQ(env.d().hookCount(), 0);
}

TEST(SimDesktop, HookEditOfMinMaxInfoReachesTheProcedure) {
  HookEnv env;
  const HWND wnd = env.top();
  env.install(1);
  env.log.watch = WM_GETMINMAXINFO;
  env.log.edit = [](CWPSTRUCT* cwp) {
    reinterpret_cast<MINMAXINFO*>(cwp->lParam)->ptMaxTrackSize =
        POINT{300, 200};
  };
  std::optional<POINT> procSaw;
  gHandler = [&](HWND, UINT msg, WPARAM, LPARAM lp) -> std::optional<LRESULT> {
    if (msg == WM_GETMINMAXINFO) {
      procSaw = reinterpret_cast<MINMAXINFO*>(lp)->ptMaxTrackSize;
    }
    return std::nullopt;
  };
  env.d().moveWindow(wnd, 0, 0, 900, 900, TRUE);
  ASSERT_TRUE(procSaw.has_value());
  EXPECT_EQ(procSaw->x, 300);
  EXPECT_EQ(procSaw->y, 200);
  EXPECT_EQ(tie(env.windowRect(wnd)), rect(0, 0, 300, 200));
}

TEST(SimDesktop, HooksSeeGeneratedMessagesAndRefuseOtherKinds) {
  HookEnv env;
  const HWND wnd = env.top();
  env.install(1);
  env.log.watch = WM_SIZE;
  env.d().moveWindow(wnd, 0, 0, 300, 300, TRUE);
  EXPECT_EQ(env.log.order, (std::vector<std::string>{"hook0"}));
  EXPECT_EQ(env.d().setWindowsHookEx(99, &HookN<1>, nullptr, 1), nullptr);
  EXPECT_EQ(env.d().setWindowsHookEx(WH_CALLWNDPROC, nullptr, nullptr, 1),
            nullptr);
  EXPECT_EQ(env.d().setWindowsHookEx(WH_CALLWNDPROC, &HookN<1>, nullptr, 777),
            nullptr);
  EXPECT_EQ(env.d().hookCount(), 1);
}

namespace {
int gHookSends = 0;
LRESULT FLX_CALLBACK SendingHook(int code, WPARAM wp, LPARAM lp) {
  auto* cwp = reinterpret_cast<CWPSTRUCT*>(lp);
  ++gHookSends;
  if (cwp->message == WM_APP) SendMessageW(cwp->hwnd, WM_APP + 1, 0, 0);
  return CallNextHookEx(nullptr, code, wp, lp);
}
}  // namespace

TEST(SimDesktop, HookThatSendsIsNotReentered) {
  Env env;
  const HWND wnd = env.top();
  gHookSends = 0;
  ASSERT_NE(env.d().setWindowsHookEx(WH_CALLWNDPROC, &SendingHook, nullptr, 0),
            nullptr);
  env.d().sendMessage(wnd, WM_APP, 0, 0);
  EXPECT_EQ(gHookSends, 1);
  EXPECT_EQ(env.records(wnd, WM_APP + 1).size(), 1u);
}

// ---- Re-entrancy and destruction ----

TEST(SimDesktop, NestedSendsWork) {
  Env env;
  HWND kid = nullptr;
  HWND self = nullptr;
  gHandler = [&](HWND w, UINT msg, WPARAM,
                 LPARAM lp) -> std::optional<LRESULT> {
    if (msg == WM_CREATE && kid == nullptr && self == nullptr) {
      self = w;
      kid = CreateWindowExW(0, u"Test", u"kid", WS_CHILD | WS_VISIBLE, 0, 0, 10,
                            10, w, nullptr);
    }
    if (w == self && msg == WM_SIZE && kid != nullptr) {
      MoveWindow(kid, 0, 0, LOWORD(static_cast<std::uintptr_t>(lp)),
                 HIWORD(static_cast<std::uintptr_t>(lp)), TRUE);
    }
    if (w == self && msg == WM_WINDOWPOSCHANGED) {
      // Re-entering SetWindowPos on the same window from its own
      // notification.
      const auto* pos = reinterpret_cast<const WINDOWPOS*>(lp);
      if (pos->cx == 500) {
        SetWindowPos(w, nullptr, 0, 0, 510, 310, SWP_NOMOVE | SWP_NOZORDER);
      }
    }
    if (msg == WM_APP) return SendMessageW(kid, WM_APP + 1, 0, 0) + 1;
    if (msg == WM_APP + 1) return 41;
    return std::nullopt;
  };
  const HWND wnd = env.top();
  ASSERT_NE(kid, nullptr);
  EXPECT_EQ(env.d().getParent(kid), wnd);
  EXPECT_EQ(env.d().sendMessage(wnd, WM_APP, 0, 0), 42);
  env.d().clearRecords();
  env.d().moveWindow(wnd, 0, 0, 500, 300, TRUE);
  EXPECT_EQ(tie(env.windowRect(wnd)), rect(0, 0, 510, 310));
  // The outer call must not follow up with its own, stale size.
  const auto sizes = env.records(wnd, WM_SIZE);
  ASSERT_EQ(sizes.size(), 1u);
  EXPECT_EQ(sizes[0].lParam, lparamOf(494, 271));
  EXPECT_EQ(env.records(wnd, WM_MOVE).size(), 1u);
  EXPECT_EQ(tie(env.clientRect(kid)), rect(0, 0, 494, 271));
}

TEST(SimDesktop, DestroyOrderForATree) {
  Env env;
  const HWND top = env.top();
  const HWND a = env.child(top, {0, 0, 50, 50});
  const HWND a1 = env.child(a, {0, 0, 5, 5});
  const HWND b = env.child(top, {0, 0, 50, 50});
  env.d().setProp(a, u"prop", reinterpret_cast<HANDLE>(0x10));
  std::vector<std::pair<UINT, HWND>> seen;
  gHandler = [&](HWND w, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (msg == WM_DESTROY || msg == WM_NCDESTROY) seen.emplace_back(msg, w);
    return std::nullopt;
  };
  EXPECT_TRUE(env.d().destroyWindow(top));
  const std::vector<std::pair<UINT, HWND>> expected{
      {WM_DESTROY, top}, {WM_DESTROY, a},    {WM_DESTROY, a1},
      {WM_DESTROY, b},   {WM_NCDESTROY, a1}, {WM_NCDESTROY, a},
      {WM_NCDESTROY, b}, {WM_NCDESTROY, top}};
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(env.d().windowCount(), 0);
  for (HWND w : {top, a, a1, b}) EXPECT_FALSE(env.d().isWindow(w));
  EXPECT_EQ(env.d().getProp(a, u"prop"), nullptr);
  EXPECT_FALSE(env.d().destroyWindow(top));
}

TEST(SimDesktop, DestroyingOwnerDestroysOwnedWindowsFirst) {
  Env env;
  const HWND owner = env.top();
  const HWND owned = env.d().createWindowEx(0, u"Test", u"", WS_POPUP, 0, 0, 50,
                                            50, owner, nullptr);
  ASSERT_NE(owned, nullptr);
  EXPECT_EQ(env.d().getParent(owned), owner);
  std::vector<HWND> destroyed;
  gHandler = [&](HWND w, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (msg == WM_DESTROY) destroyed.push_back(w);
    return std::nullopt;
  };
  env.d().destroyWindow(owner);
  EXPECT_EQ(destroyed, (std::vector<HWND>{owned, owner}));
  EXPECT_EQ(env.d().windowCount(), 0);
}

TEST(SimDesktop, WindowDestroyedDuringItsOwnMessages) {
  struct Case {
    const char* name;
    UINT killAt;
    std::function<void(Env&, HWND)> act;
  };
  const auto move = [](Env& e, HWND w) {
    e.d().moveWindow(w, 1, 2, 300, 300, TRUE);
  };
  const Case cases[] = {
      {"POSCHANGING of a move", WM_WINDOWPOSCHANGING, move},
      {"GETMINMAXINFO of a move", WM_GETMINMAXINFO, move},
      {"NCCALCSIZE of a move", WM_NCCALCSIZE, move},
      {"MOVE of a move", WM_MOVE, move},
      {"SIZE of a move", WM_SIZE, move},
      {"SHOWWINDOW", WM_SHOWWINDOW,
       [](Env& e, HWND w) { e.d().showWindow(w, SW_SHOW); }},
      {"SIZE of a first show", WM_SIZE,
       [](Env& e, HWND w) { e.d().showWindow(w, SW_SHOW); }},
      {"GETMINMAXINFO of maximize", WM_GETMINMAXINFO,
       [](Env& e, HWND w) { e.d().maximize(w); }},
      {"SIZE of minimize", WM_SIZE, [](Env& e, HWND w) { e.d().minimize(w); }},
      {"SIZING of a drag", WM_SIZING,
       [](Env& e, HWND w) { e.d().dragEdge(w, WMSZ_RIGHT, 10, 0); }},
      {"ENTERSIZEMOVE", WM_ENTERSIZEMOVE,
       [](Env& e, HWND w) { e.d().dragEdge(w, WMSZ_RIGHT, 10, 0); }},
      {"CLOSE", WM_CLOSE,
       [](Env& e, HWND w) { e.d().sendMessage(w, WM_CLOSE, 0, 0); }},
      {"DESTROY itself", WM_DESTROY,
       [](Env& e, HWND w) { e.d().destroyWindow(w); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Env env;
    HWND victim = env.top();
    const HWND kid = env.child(victim, {0, 0, 10, 10});
    bool armed = true;
    gHandler = [&](HWND w, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
      if (w == victim && msg == c.killAt && armed) {
        armed = false;
        DestroyWindow(w);
      }
      return std::nullopt;
    };
    c.act(env, victim);
    EXPECT_FALSE(armed);
    EXPECT_FALSE(env.d().isWindow(victim));
    EXPECT_FALSE(env.d().isWindow(kid));
    EXPECT_EQ(env.d().windowCount(), 0);
  }
}

TEST(SimDesktop, WindowDestroyedDuringCreationOrByAHook) {
  {
    Env env;
    gHandler = [](HWND w, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
      if (msg == WM_GETMINMAXINFO) DestroyWindow(w);
      return std::nullopt;
    };
    EXPECT_EQ(env.top(), nullptr);
    EXPECT_EQ(env.d().windowCount(), 0);
  }
  {
    Env env;
    gHandler = [](HWND w, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
      if (msg == WM_CREATE) DestroyWindow(w);
      return std::nullopt;
    };
    EXPECT_EQ(env.top(WS_OVERLAPPEDWINDOW | WS_VISIBLE), nullptr);
    EXPECT_EQ(env.d().windowCount(), 0);
  }
  {
    HookEnv env;
    const HWND wnd = env.top();
    env.install(1);
    env.log.edit = [](CWPSTRUCT* cwp) { DestroyWindow(cwp->hwnd); };
    bool procSaw = false;
    gHandler = [&](HWND, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
      if (msg == WM_APP) procSaw = true;
      return std::nullopt;
    };
    EXPECT_EQ(env.d().sendMessage(wnd, WM_APP, 0, 0), 0);
    EXPECT_FALSE(procSaw);
    EXPECT_FALSE(env.d().isWindow(wnd));
  }
}

TEST(SimDesktop, StaleAndUnknownHandlesFailGracefully) {
  Env env;
  const HWND gone = env.top();
  env.d().destroyWindow(gone);
  const HWND bogus = reinterpret_cast<HWND>(0x12345);
  for (HWND wnd : {gone, bogus, static_cast<HWND>(nullptr)}) {
    RECT r{1, 2, 3, 4};
    WINDOWPLACEMENT wp{};
    EXPECT_FALSE(env.d().isWindow(wnd));
    EXPECT_FALSE(env.d().getWindowRect(wnd, &r));
    EXPECT_FALSE(env.d().getClientRect(wnd, &r));
    EXPECT_EQ(tie(r), rect(1, 2, 3, 4));
    EXPECT_FALSE(env.d().getWindowPlacement(wnd, &wp));
    EXPECT_FALSE(env.d().showWindow(wnd, SW_SHOW));
    EXPECT_FALSE(env.d().setWindowPos(wnd, nullptr, 0, 0, 1, 1, 0));
    EXPECT_FALSE(env.d().moveWindow(wnd, 0, 0, 1, 1, TRUE));
    EXPECT_FALSE(env.d().destroyWindow(wnd));
    EXPECT_FALSE(env.d().isIconic(wnd));
    EXPECT_FALSE(env.d().isZoomed(wnd));
    EXPECT_FALSE(env.d().isWindowVisible(wnd));
    EXPECT_FALSE(env.d().setWindowText(wnd, u"x"));
    EXPECT_EQ(env.d().getWindowText(wnd), u"");
    EXPECT_EQ(env.d().getWindowLongPtr(wnd, GWLP_WNDPROC), 0);
    EXPECT_EQ(env.d().setWindowLongPtr(wnd, GWLP_USERDATA, 5), 0);
    EXPECT_FALSE(env.d().setProp(wnd, u"p", nullptr));
    EXPECT_EQ(env.d().removeProp(wnd, u"p"), nullptr);
    EXPECT_EQ(env.d().sendMessage(wnd, WM_APP, 0, 0), 0);
    EXPECT_EQ(env.d().defWindowProc(wnd, WM_NCCREATE, 0, 0), 0);
    EXPECT_EQ(env.d().getParent(wnd), nullptr);
    EXPECT_FALSE(env.d().windowFont(wnd).has_value());
    env.d().dragEdge(wnd, WMSZ_LEFT, 1, 1);
    env.d().maximize(wnd);
    DWORD dummy[4];
    EXPECT_EQ(env.d().dwmGetWindowAttribute(wnd, DWMWA_EXTENDED_FRAME_BOUNDS,
                                            dummy, sizeof dummy),
              E_FAIL);
  }
  EXPECT_EQ(env.d().monitorFromWindow(bogus, MONITOR_DEFAULTTONULL), nullptr);
  EXPECT_EQ(env.d().callNextHookEx(reinterpret_cast<HHOOK>(0x77), 0, 0, 0), 0);
  EXPECT_FALSE(env.d().unhookWindowsHookEx(nullptr));
  EXPECT_EQ(env.d().getDC(bogus), nullptr);
  EXPECT_EQ(env.d().getDeviceCaps(nullptr, LOGPIXELSX), 0);
}

// ---- Text, properties, fonts, lock ----

TEST(SimDesktop, TextAndProperties) {
  Env env;
  const HWND wnd = env.top();
  env.d().clearRecords();
  EXPECT_TRUE(env.d().setWindowText(wnd, u"Hello"));
  EXPECT_EQ(env.names(wnd), (Names{"SETTEXT"}));
  EXPECT_EQ(env.d().getWindowText(wnd), u"Hello");
  char16_t small[4] = {u'x', u'x', u'x', u'x'};
  EXPECT_EQ(
      env.d().sendMessage(wnd, WM_GETTEXT, 4, reinterpret_cast<LPARAM>(small)),
      3);
  EXPECT_EQ(std::u16string(small), u"Hel");

  const auto h1 = reinterpret_cast<HANDLE>(0x100);
  const auto h2 = reinterpret_cast<HANDLE>(0x200);
  EXPECT_TRUE(env.d().setProp(wnd, u"A", h1));
  EXPECT_TRUE(env.d().setProp(wnd, u"B", h2));
  EXPECT_TRUE(env.d().setProp(wnd, u"A", h2));
  EXPECT_EQ(env.d().getProp(wnd, u"A"), h2);
  EXPECT_EQ(env.d().removeProp(wnd, u"A"), h2);
  EXPECT_EQ(env.d().getProp(wnd, u"A"), nullptr);
  EXPECT_EQ(env.d().getProp(wnd, u"B"), h2);
  EXPECT_TRUE(env.d().invalidateRect(wnd, nullptr, TRUE));
}

TEST(SimDesktop, FontsFollowWmSetFont) {
  Env env;
  const HWND wnd = env.top();
  LOGFONTW lf{};
  lf.lfHeight = -12;
  lf.lfWeight = FW_BOLD;
  const std::u16string face = u"Tahoma";
  std::copy(face.begin(), face.end(), lf.lfFaceName);
  const HFONT font = env.d().createFontIndirect(&lf);
  const HFONT other = env.d().createFontIndirect(&lf);
  ASSERT_NE(font, nullptr);
  EXPECT_NE(font, other);
  EXPECT_FALSE(env.d().windowFont(wnd).has_value());
  lf.lfHeight = -99;  // the desktop keeps its own copy
  env.d().sendMessage(wnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  const auto got = env.d().windowFont(wnd);
  ASSERT_TRUE(got.has_value());
  EXPECT_EQ(got->lfHeight, -12);
  EXPECT_EQ(got->lfWeight, FW_BOLD);
  EXPECT_EQ(std::u16string(got->lfFaceName), face);
  EXPECT_EQ(env.d().sendMessage(wnd, WM_GETFONT, 0, 0),
            reinterpret_cast<LRESULT>(font));
  EXPECT_TRUE(env.d().deleteFont(font));
  EXPECT_FALSE(env.d().deleteFont(font));
  EXPECT_FALSE(env.d().windowFont(wnd).has_value());
  EXPECT_EQ(env.d().createFontIndirect(nullptr), nullptr);
}

TEST(SimDesktop, LockWindowUpdate) {
  Env env;
  const HWND a = env.top();
  const HWND b = env.top();
  struct Step {
    HWND wnd;
    BOOL result;
    HWND holder;
  };
  const Step steps[] = {
      {a, TRUE, a},
      {b, FALSE, a},
      {a, FALSE, a},
      {nullptr, TRUE, nullptr},
      {nullptr, TRUE, nullptr},
      {b, TRUE, b},
  };
  for (const auto& s : steps) {
    EXPECT_EQ(env.d().lockWindowUpdate(s.wnd), s.result);
    EXPECT_EQ(env.d().lockedWindow(), s.holder);
  }
  env.d().destroyWindow(b);
  EXPECT_EQ(env.d().lockedWindow(), nullptr);
  EXPECT_TRUE(env.d().lockWindowUpdate(a));
}

// ---- Screen, monitors, taskbar ----

TEST(SimDesktop, SystemMetricsFollowDpi) {
  struct Case {
    int index;
    int at96;
    int at144;
  };
  const Case cases[] = {
      {SM_CXSCREEN, 1920, 1920},
      {SM_CYSCREEN, 1080, 1080},
      {SM_CMONITORS, 1, 1},
      {SM_CYCAPTION, 23, 35},
      {SM_CYSMCAPTION, 17, 26},
      {SM_CXFRAME, 4, 6},
      {SM_CYFRAME, 4, 6},
      {SM_CXPADDEDBORDER, 4, 6},
      {SM_CXDLGFRAME, 3, 5},
      {SM_CYDLGFRAME, 3, 5},
      {SM_CXBORDER, 1, 2},
      {SM_CYBORDER, 1, 2},
      {SM_CXMINTRACK, 136, 204},
      {SM_CYMINTRACK, 39, 59},
      {SM_CXMAXTRACK, 1940, 1948},
      {SM_CYMAXTRACK, 1100, 1108},
      {SM_CXMAXIMIZED, 1936, 1944},
      {SM_CYMAXIMIZED, 1056, 1064},
      {12345, 0, 0},
  };
  Env env;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.index);
    env.d().mutableConfig().dpiX = env.d().mutableConfig().dpiY = 96;
    EXPECT_EQ(env.d().getSystemMetrics(c.index), c.at96);
    env.d().mutableConfig().dpiX = env.d().mutableConfig().dpiY = 144;
    EXPECT_EQ(env.d().getSystemMetrics(c.index), c.at144);
  }
}

TEST(SimDesktop, ScreenDeviceContext) {
  DesktopConfig config;
  config.dpiX = 120;
  config.dpiY = 144;
  Env env(config);
  const HDC dc = env.d().getDC(nullptr);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(env.d().getDeviceCaps(dc, LOGPIXELSX), 120);
  EXPECT_EQ(env.d().getDeviceCaps(dc, LOGPIXELSY), 144);
  EXPECT_EQ(env.d().getDeviceCaps(dc, 8), 0);
  EXPECT_EQ(env.d().releaseDC(nullptr, dc), 1);
  env.d().mutableConfig().dpiX = 192;
  EXPECT_EQ(env.d().getDeviceCaps(dc, LOGPIXELSX), 192);
}

TEST(SimDesktop, MonitorsPickTheLargestOverlapOrTheNearest) {
  DesktopConfig config;
  config.monitors = {MonitorConfig{{0, 0, 1920, 1080}, true},
                     MonitorConfig{{1920, 0, 3200, 1024}, false}};
  Env env(config);
  EXPECT_EQ(env.d().getSystemMetrics(SM_CMONITORS), 2);
  struct Case {
    const char* name;
    RECT r;
    DWORD flags;
    int expected;  // 0 primary, 1 secondary, -1 none
  };
  const Case cases[] = {
      {"on primary", {100, 100, 500, 500}, MONITOR_DEFAULTTONULL, 0},
      {"on secondary", {2000, 100, 2500, 500}, MONITOR_DEFAULTTONULL, 1},
      {"straddling, mostly secondary",
       {1800, 100, 2400, 500},
       MONITOR_DEFAULTTONULL,
       1},
      {"straddling, mostly primary",
       {1500, 100, 2000, 500},
       MONITOR_DEFAULTTONULL,
       0},
      {"right of secondary, nearest",
       {3300, 100, 3400, 200},
       MONITOR_DEFAULTTONEAREST,
       1},
      {"right of secondary, primary",
       {3300, 100, 3400, 200},
       MONITOR_DEFAULTTOPRIMARY,
       0},
      {"right of secondary, null",
       {3300, 100, 3400, 200},
       MONITOR_DEFAULTTONULL,
       -1},
      {"below secondary, nearest",
       {2500, 1100, 2600, 1200},
       MONITOR_DEFAULTTONEAREST,
       1},
  };
  const HMONITOR primary = [&] {
    const HWND probe = env.top(WS_POPUP, {0, 0, 10, 10});
    return env.d().monitorFromWindow(probe, MONITOR_DEFAULTTONULL);
  }();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const HWND wnd = env.top(WS_POPUP, c.r);
    const HMONITOR m = env.d().monitorFromWindow(wnd, c.flags);
    if (c.expected < 0) {
      EXPECT_EQ(m, nullptr);
      continue;
    }
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m == primary, c.expected == 0);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(env.d().getMonitorInfo(m, &info));
    EXPECT_EQ(info.dwFlags, c.expected == 0 ? MONITORINFOF_PRIMARY : 0u);
    if (c.expected == 1) {
      EXPECT_EQ(tie(info.rcMonitor), rect(1920, 0, 3200, 1024));
      EXPECT_EQ(tie(info.rcWork), rect(1920, 0, 3200, 1024));
    } else {
      EXPECT_EQ(tie(info.rcWork), rect(0, 0, 1920, 1040));
    }
  }
  // A window maximizes on its own monitor.
  const HWND wnd =
      env.top(WS_OVERLAPPEDWINDOW | WS_VISIBLE, {2000, 100, 2500, 500});
  env.d().maximize(wnd);
  EXPECT_EQ(tie(env.windowRect(wnd)), rect(1912, -8, 3208, 1032));
  // A minimized window stays with the monitor of its restored position.
  env.d().minimize(wnd);
  EXPECT_NE(env.d().monitorFromWindow(wnd, MONITOR_DEFAULTTONULL), primary);
  EXPECT_NE(env.d().monitorFromWindow(wnd, MONITOR_DEFAULTTONULL), nullptr);
}

TEST(SimDesktop, MonitorInfoRejectsBadArguments) {
  Env env;
  const HWND wnd = env.top();
  const HMONITOR m = env.d().monitorFromWindow(wnd, MONITOR_DEFAULTTONEAREST);
  MONITORINFO info{};
  info.cbSize = sizeof info - 1;
  EXPECT_FALSE(env.d().getMonitorInfo(m, &info));
  info.cbSize = sizeof info;
  EXPECT_FALSE(env.d().getMonitorInfo(nullptr, &info));
  EXPECT_FALSE(env.d().getMonitorInfo(reinterpret_cast<HMONITOR>(0x5), &info));
  EXPECT_FALSE(env.d().getMonitorInfo(m, nullptr));
  EXPECT_TRUE(env.d().getMonitorInfo(m, &info));
  EXPECT_EQ(tie(info.rcMonitor), rect(0, 0, 1920, 1080));
}

TEST(SimDesktop, TaskbarOnEachEdge) {
  struct Case {
    TaskbarEdge edge;
    bool autoHide;
    UINT_PTR state;
    UINT_PTR posResult;
    UINT uEdge;
    std::tuple<int, int, int, int> bar;
    std::tuple<int, int, int, int> work;
  };
  const Case cases[] = {
      {TaskbarEdge::Bottom, false, ABS_ALWAYSONTOP, 1, ABE_BOTTOM,
       rect(0, 1040, 1920, 1080), rect(0, 0, 1920, 1040)},
      {TaskbarEdge::Top, false, ABS_ALWAYSONTOP, 1, ABE_TOP,
       rect(0, 0, 1920, 40), rect(0, 40, 1920, 1080)},
      {TaskbarEdge::Left, false, ABS_ALWAYSONTOP, 1, ABE_LEFT,
       rect(0, 0, 40, 1080), rect(40, 0, 1920, 1080)},
      {TaskbarEdge::Right, false, ABS_ALWAYSONTOP, 1, ABE_RIGHT,
       rect(1880, 0, 1920, 1080), rect(0, 0, 1880, 1080)},
      {TaskbarEdge::Left, true, ABS_ALWAYSONTOP | ABS_AUTOHIDE, 1, ABE_LEFT,
       rect(0, 0, 40, 1080), rect(0, 0, 1920, 1080)},
      {TaskbarEdge::None, false, 0, 0, 77, rect(9, 9, 9, 9),
       rect(0, 0, 1920, 1080)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(flx::sim::toString(c.edge)) +
                 (c.autoHide ? " autohide" : ""));
    DesktopConfig config;
    config.taskbar.edge = c.edge;
    config.taskbar.autoHide = c.autoHide;
    config.dpiX = config.dpiY = 144;  // the thickness is not scaled
    Env env(config);
    APPBARDATA data{};
    data.cbSize = sizeof data;
    data.uEdge = 77;
    data.rc = RECT{9, 9, 9, 9};
    EXPECT_EQ(env.d().shAppBarMessage(ABM_GETSTATE, &data), c.state);
    EXPECT_EQ(env.d().shAppBarMessage(ABM_GETTASKBARPOS, &data), c.posResult);
    EXPECT_EQ(data.uEdge, c.uEdge);
    EXPECT_EQ(tie(data.rc), c.bar);
    EXPECT_EQ(tie(env.d().workArea()), c.work);
    if (c.edge != TaskbarEdge::None) {
      EXPECT_EQ(tie(env.d().taskbarRect()), c.bar);
    }
    MONITORINFO info{};
    info.cbSize = sizeof info;
    const HWND wnd = env.top();
    ASSERT_TRUE(env.d().getMonitorInfo(
        env.d().monitorFromWindow(wnd, MONITOR_DEFAULTTONEAREST), &info));
    EXPECT_EQ(tie(info.rcWork), c.work);
  }
}

TEST(SimDesktop, TaskbarReportedRectAndLiveChanges) {
  DesktopConfig config;
  config.taskbar.reportedRect = RECT{-2, 1038, 1922, 1082};
  Env env(config);
  APPBARDATA data{};
  data.cbSize = sizeof data;
  EXPECT_EQ(env.d().shAppBarMessage(ABM_GETTASKBARPOS, &data), 1u);
  EXPECT_EQ(tie(data.rc), rect(-2, 1038, 1922, 1082));
  EXPECT_EQ(tie(env.d().workArea()), rect(0, 0, 1920, 1040));
  EXPECT_EQ(env.d().shAppBarMessage(99, &data), 0u);
  env.d().mutableConfig().taskbar = {};
  env.d().mutableConfig().taskbar.edge = TaskbarEdge::Top;
  env.d().mutableConfig().taskbar.thickness = 60;
  EXPECT_EQ(tie(env.d().workArea()), rect(0, 60, 1920, 1080));
  EXPECT_EQ(env.d().getSystemMetrics(SM_CYMAXIMIZED), 1020 + 16);
}

TEST(SimDesktop, WindowPlacementUsesWorkspaceCoordinates) {
  DesktopConfig config;
  config.taskbar.edge = TaskbarEdge::Left;
  Env env(config);
  const HWND wnd = env.top(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  const HWND tool =
      env.top(WS_OVERLAPPEDWINDOW, {100, 100, 700, 500}, WS_EX_TOOLWINDOW);
  WINDOWPLACEMENT wp{};
  ASSERT_TRUE(env.d().getWindowPlacement(wnd, &wp));
  EXPECT_EQ(wp.length, sizeof wp);
  EXPECT_EQ(tie(wp.rcNormalPosition), rect(60, 100, 660, 500));
  ASSERT_TRUE(env.d().getWindowPlacement(tool, &wp));
  EXPECT_EQ(tie(wp.rcNormalPosition), rect(100, 100, 700, 500));
}

// ---- DWM ----

TEST(SimDesktop, DwmExtendedFrameBounds) {
  struct Case {
    const char* name;
    bool composition;
    DWORD style;
    int dpi;
    std::function<void(Env&, HWND)> prepare;
    HRESULT result;
    std::tuple<int, int, int, int> bounds;
  };
  const auto none = [](Env&, HWND) {};
  const Case cases[] = {
      {"sizing frame", true, WS_OVERLAPPEDWINDOW, 96, none, S_OK,
       rect(107, 100, 693, 493)},
      {"sizing frame 144", true, WS_OVERLAPPEDWINDOW, 144, none, S_OK,
       rect(111, 100, 689, 489)},
      {"fixed frame", true, WS_CAPTION | WS_SYSMENU, 96, none, S_OK,
       rect(100, 100, 700, 500)},
      {"maximized", true, WS_OVERLAPPEDWINDOW, 96,
       [](Env& e, HWND w) { e.d().maximize(w); }, S_OK,
       rect(-8, -8, 1928, 1048)},
      {"composition off", false, WS_OVERLAPPEDWINDOW, 96, none, E_FAIL,
       rect(1, 2, 3, 4)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DesktopConfig config;
    config.composition = c.composition;
    config.dpiX = config.dpiY = c.dpi;
    Env env(config);
    const HWND wnd = env.top(c.style);
    c.prepare(env, wnd);
    EXPECT_FALSE(env.d().dwmLoaded());
    RECT r{1, 2, 3, 4};
    EXPECT_EQ(env.d().dwmGetWindowAttribute(wnd, DWMWA_EXTENDED_FRAME_BOUNDS,
                                            &r, sizeof r),
              c.result);
    EXPECT_TRUE(env.d().dwmLoaded());
    EXPECT_EQ(tie(r), c.bounds);
    EXPECT_EQ(env.d().dwmGetWindowAttribute(wnd, 2, &r, sizeof r), E_NOTIMPL);
  }
}

TEST(SimDesktop, DwmCompositionQueryLoadsTheLibrary) {
  for (bool on : {true, false}) {
    SCOPED_TRACE(on);
    DesktopConfig config;
    config.composition = on;
    Env env(config);
    EXPECT_FALSE(env.d().dwmLoaded());
    BOOL enabled = 7;
    EXPECT_EQ(env.d().dwmIsCompositionEnabled(&enabled), S_OK);
    EXPECT_EQ(enabled, on ? TRUE : FALSE);
    EXPECT_TRUE(env.d().dwmLoaded());
    EXPECT_NE(env.d().dwmIsCompositionEnabled(nullptr), S_OK);
  }
}

// ---- Locale, version, style ----

TEST(SimDesktop, LocaleBufferRules) {
  struct Case {
    const char* name;
    LCTYPE type;
    int size;
    int result;
    const char* buffer;
  };
  const Case cases[] = {
      {"size query", LOCALE_SABBREVLANGNAME, 0, 4, "########"},
      {"too small", LOCALE_SABBREVLANGNAME, 3, 0, "########"},
      {"exact", LOCALE_SABBREVLANGNAME, 4, 4, "JPN"},
      {"roomy", LOCALE_SABBREVLANGNAME, 8, 4, "JPN"},
      {"other type", 0x1001, 8, 0, "########"},
  };
  DesktopConfig config;
  config.localeAbbrev = "JPN";
  Env env(config);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    char buf[9] = "########";
    EXPECT_EQ(env.d().getLocaleInfoA(LOCALE_USER_DEFAULT, c.type,
                                     c.size ? buf : nullptr, c.size),
              c.result);
    EXPECT_STREQ(buf, c.buffer);
  }
  env.d().mutableConfig().localeAbbrev = "DEU";
  char buf[8] = {};
  EXPECT_EQ(env.d().getLocaleInfoA(0x407, LOCALE_SABBREVLANGNAME, buf, 8), 4);
  EXPECT_STREQ(buf, "DEU");
}

TEST(SimDesktop, VersionStyleAndThread) {
  DesktopConfig config;
  config.version = OSVersion{6, 1};
  config.customStyle = true;
  Env env(config);
  EXPECT_EQ(env.d().getVersion().major, 6);
  EXPECT_EQ(env.d().getVersion().minor, 1);
  EXPECT_TRUE(env.d().isCustomStyleActive());
  env.d().mutableConfig().version = OSVersion{4, 10};
  env.d().mutableConfig().customStyle = false;
  EXPECT_EQ(env.d().getVersion().major, 4);
  EXPECT_FALSE(env.d().isCustomStyleActive());
  EXPECT_EQ(env.d().getCurrentThreadId(), env.d().getCurrentThreadId());
  EXPECT_NE(env.d().getCurrentThreadId(), 0u);
}

TEST(SimDesktop, TaskbarEdgeNames) {
  EXPECT_EQ(flx::sim::toString(TaskbarEdge::None), "None");
  EXPECT_EQ(flx::sim::toString(TaskbarEdge::Left), "Left");
  EXPECT_EQ(flx::sim::toString(TaskbarEdge::Top), "Top");
  EXPECT_EQ(flx::sim::toString(TaskbarEdge::Right), "Right");
  EXPECT_EQ(flx::sim::toString(TaskbarEdge::Bottom), "Bottom");
}

// ---- Records and installation ----

TEST(SimDesktop, CallRecordsNameClientCallsOnly) {
  Env env;
  const HWND wnd = env.top();
  env.d().clearRecords();
  EXPECT_TRUE(env.d().calls().empty());
  EXPECT_TRUE(env.d().messages().empty());
  env.d().setWindowLongPtr(wnd, GWLP_USERDATA, 1);
  env.d().moveWindow(wnd, 0, 0, 300, 300, TRUE);
  HDC dc = env.d().getDC(nullptr);
  env.d().getDeviceCaps(dc, LOGPIXELSX);
  APPBARDATA data{};
  env.d().shAppBarMessage(ABM_GETSTATE, &data);
  RECT r{};
  env.d().dwmGetWindowAttribute(wnd, DWMWA_EXTENDED_FRAME_BOUNDS, &r, sizeof r);
  env.d().sendMessage(wnd, WM_APP, 0, 0);
  env.d().maximize(wnd);  // a user action, not a client call
  EXPECT_EQ(env.ops(),
            (std::vector<std::string>{
                "SetWindowLongPtrW", "MoveWindow", "GetDC", "GetDeviceCaps",
                "SHAppBarMessage", "DwmGetWindowAttribute", "SendMessageW"}));
  EXPECT_EQ(env.d().calls()[0].wnd, wnd);
  EXPECT_EQ(env.d().calls()[1].wnd, wnd);
  // Generated messages are recorded although they are not calls.
  EXPECT_FALSE(env.records(wnd, WM_GETMINMAXINFO).empty());
  EXPECT_EQ(env.records(wnd, WM_APP).size(), 1u);

  env.d().setRecording(false);
  env.d().clearRecords();
  env.d().moveWindow(wnd, 5, 5, 200, 200, TRUE);
  env.d().sendMessage(wnd, WM_APP, 0, 0);
  EXPECT_TRUE(env.d().calls().empty());
  EXPECT_TRUE(env.d().messages().empty());
  env.d().setRecording(true);
  const HWND made = env.top();
  ASSERT_FALSE(env.d().calls().empty());
  EXPECT_EQ(env.d().calls()[0].op, "CreateWindowExW");
  EXPECT_EQ(env.d().calls()[0].wnd, made);
}

TEST(SimDesktop, ScopedDesktopInstallsAndRestores) {
  const bool had = hasWindowSystem();
  WindowSystem* before = had ? &currentWindowSystem() : nullptr;
  {
    ScopedDesktop outer;
    EXPECT_EQ(&currentWindowSystem(), &outer.desktop());
    {
      ScopedDesktop inner;
      EXPECT_EQ(&currentWindowSystem(), &inner.desktop());
      EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1920);
      EXPECT_EQ(inner->calls().back().op, "GetSystemMetrics");
      EXPECT_TRUE(outer->calls().empty());
    }
    EXPECT_EQ(&currentWindowSystem(), &outer.desktop());
  }
  EXPECT_EQ(hasWindowSystem(), had);
  if (had) {
    EXPECT_EQ(&currentWindowSystem(), before);
  }
}

TEST(SimDesktop, ManyChildMovesWithRecordingOff) {
  Env env;
  env.d().setRecording(false);
  const HWND parent = env.top(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  std::vector<HWND> kids;
  for (int i = 0; i < 2000; ++i) {
    kids.push_back(env.child(parent, {i, i, i + 10, i + 10}));
  }
  for (int pass = 0; pass < 5; ++pass) {
    for (std::size_t i = 0; i < kids.size(); ++i) {
      env.d().setWindowPos(kids[i], nullptr, pass, static_cast<int>(i),
                           20 + pass, 10, SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  EXPECT_EQ(tie(env.clientRect(kids.back())), rect(0, 0, 24, 10));
  EXPECT_EQ(env.d().windowCount(), 2001);
  EXPECT_TRUE(env.d().messages().empty());
  env.d().destroyWindow(parent);
  EXPECT_EQ(env.d().windowCount(), 0);
}
