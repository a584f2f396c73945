// Where the simulated desktop puts windows: showing, moving and sizing with
// the messages each sends, the tracking limits, the non-client frame per
// style and DPI, and child coordinates.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <tuple>

#include "sim_desktop_fixture.h"

namespace flx::simtest {
namespace {

// ---- Showing

TEST(SimGeometry, FirstShowSendsSizeBeforeMove) {
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

TEST(SimGeometry, ShowHideShowSequences) {
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

TEST(SimGeometry, ChildVisibilityDependsOnAncestors) {
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

// ---- Moving and sizing

TEST(SimGeometry, MoveAndResizeSequences) {
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

TEST(SimGeometry, MoveAndSizeReportClientGeometry) {
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

TEST(SimGeometry, SetWindowPosShowAndHideFlags) {
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

TEST(SimGeometry, WindowPosChangingEditsAreHonoured) {
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

TEST(SimGeometry, SizingClampsToTrackingLimits) {
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

// SetWindowPos holds positions to -32768..32767 and sizes to 0..32767, as
// Windows does, so that every WM_SIZE and WM_MOVE carries what the window
// really has; windows that get WM_GETMINMAXINFO stop at their tracking
// size first.
TEST(SimGeometry, PositionsAndSizesStayWithinWhatMessagesCarry) {
  constexpr int kMax = std::numeric_limits<int>::max();
  constexpr int kMin = std::numeric_limits<int>::min();
  struct Case {
    const char* name;
    DWORD style;
    bool child;
    std::optional<POINT> maxTrack;
    RECT asked;  // x, y, width, height
    RECT expected;
  };
  const Case cases[] = {
      {"popup wider than 16 bits",
       WS_POPUP,
       false,
       {},
       {0, 0, 70000, 300},
       {0, 0, 32767, 300}},
      {"popup just past 64K",
       WS_POPUP,
       false,
       {},
       {0, 0, 65537, 300},
       {0, 0, 32767, 300}},
      {"popup at the cap",
       WS_POPUP,
       false,
       {},
       {0, 0, 32767, 32767},
       {0, 0, 32767, 32767}},
      {"sizing frame, procedure allows more",
       WS_OVERLAPPEDWINDOW,
       false,
       POINT{100000, 100000},
       {0, 0, 90000, 90000},
       {0, 0, 32767, 32767}},
      {"sizing frame, default tracking size first",
       WS_OVERLAPPEDWINDOW,
       false,
       {},
       {0, 0, 90000, 90000},
       {0, 0, 1940, 1100}},
      {"child (its parent at 100, 100)",
       WS_CHILD | WS_VISIBLE,
       true,
       {},
       {10, 10, 70000, 70000},
       {110, 110, 32877, 32877}},
      {"far positions",
       WS_POPUP,
       false,
       {},
       {40000, -40000, 100, 100},
       {32767, -32768, 32867, -32668}},
      {"extreme values",
       WS_POPUP,
       false,
       {},
       {kMax, kMin, kMax, kMax},
       {32767, -32768, 65534, -1}},
      {"negative sizes", WS_POPUP, false, {}, {5, 5, kMin, -1}, {5, 5, 5, 5}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Env env;
    gHandler = [&](HWND, UINT msg, WPARAM,
                   LPARAM lp) -> std::optional<LRESULT> {
      if (msg == WM_GETMINMAXINFO && c.maxTrack) {
        reinterpret_cast<MINMAXINFO*>(lp)->ptMaxTrackSize = *c.maxTrack;
        return 0;
      }
      return std::nullopt;
    };
    const HWND parent = c.child ? env.top(WS_POPUP | WS_VISIBLE) : nullptr;
    const HWND wnd = c.child ? env.child(parent, {0, 0, 10, 10}, c.style)
                             : env.top(c.style | WS_VISIBLE);
    env.d().clearRecords();
    env.d().moveWindow(wnd, c.asked.left, c.asked.top, c.asked.right,
                       c.asked.bottom, TRUE);
    EXPECT_EQ(tie(env.windowRect(wnd)), tie(c.expected));
    const RECT client = env.clientRect(wnd);
    for (const auto& m : env.records(wnd, WM_SIZE)) {
      const auto lp = static_cast<std::uintptr_t>(m.lParam);
      EXPECT_EQ(static_cast<int>(LOWORD(lp)), client.right);
      EXPECT_EQ(static_cast<int>(HIWORD(lp)), client.bottom);
    }
  }
  // Windows made at such a size start at the cap.
  Env env;
  const HWND big = env.d().createWindowEx(0, u"Test", u"big", WS_POPUP, kMax,
                                          kMin, kMax, 70000, nullptr, nullptr);
  EXPECT_EQ(tie(env.windowRect(big)), rect(32767, -32768, 65534, -1));
}

TEST(SimGeometry, DefaultMinMaxInfo) {
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

// ---- Frames

TEST(SimGeometry, NonClientFramePerStyleAndDpi) {
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

TEST(SimGeometry, ChildCoordinatesNest) {
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

}  // namespace
}  // namespace flx::simtest
