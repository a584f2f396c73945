// The screen of the simulated desktop: system metrics and the device
// context per DPI, monitors, the taskbar on each edge, and the frame bounds
// desktop composition reports.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>

#include "sim_desktop_fixture.h"

namespace flx::simtest {
namespace {

// ---- Metrics and device context

TEST(SimScreen, SystemMetricsFollowDpi) {
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

TEST(SimScreen, ScreenDeviceContext) {
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

// ---- Monitors

TEST(SimScreen, MonitorsPickTheLargestOverlapOrTheNearest) {
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
    // The rectangle alone gives the same monitor.
    EXPECT_EQ(env.d().monitorFromRect(&c.r, c.flags), m);
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

TEST(SimScreen, MonitorInfoRejectsBadArguments) {
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

// ---- Taskbar

TEST(SimScreen, TaskbarOnEachEdge) {
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

TEST(SimScreen, TaskbarReportedRectAndLiveChanges) {
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

TEST(SimScreen, WindowPlacementUsesWorkspaceCoordinates) {
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

TEST(SimScreen, TaskbarEdgeNames) {
  EXPECT_EQ(flx::sim::toString(TaskbarEdge::None), "None");
  EXPECT_EQ(flx::sim::toString(TaskbarEdge::Left), "Left");
  EXPECT_EQ(flx::sim::toString(TaskbarEdge::Top), "Top");
  EXPECT_EQ(flx::sim::toString(TaskbarEdge::Right), "Right");
  EXPECT_EQ(flx::sim::toString(TaskbarEdge::Bottom), "Bottom");
}

// ---- Composition

TEST(SimScreen, DwmExtendedFrameBounds) {
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

TEST(SimScreen, DwmCompositionQueryLoadsTheLibrary) {
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

}  // namespace
}  // namespace flx::simtest
