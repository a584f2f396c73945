// What the user does to a window on the simulated desktop: maximise,
// minimise and restore, and drags of each edge and corner of its frame.
#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <optional>
#include <tuple>

#include "sim_desktop_fixture.h"

namespace flx::simtest {
namespace {

// ---- Maximize, minimize, restore

TEST(SimUserActions, MaximizeAndRestore) {
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

TEST(SimUserActions, MaximizeAlwaysSendsSizeAndHonoursMinMaxInfo) {
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

TEST(SimUserActions, MinimizeAndRestoreReturnToThePreviousState) {
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

TEST(SimUserActions, ShowNormalRestoresAndRestoreOfNormalWindowIsQuiet) {
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

// ---- Dragging

TEST(SimUserActions, DragEachEdgeAndCorner) {
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

TEST(SimUserActions, DragHonoursSizingEdits) {
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

// A window's answers at the Integer limits (a WM_SIZING rectangle of
// opposite limits, tracking sizes of the most negative Integer) still give
// a window a size it can have, and no extent on the way overflows (the
// sanitizer build stops at an overflow).
TEST(SimUserActions, DragAnswersAtTheIntegerLimitsAreHeld) {
  constexpr LONG lo = std::numeric_limits<LONG>::min();
  constexpr LONG hi = std::numeric_limits<LONG>::max();
  struct Case {
    const char* name;
    WPARAM edge;
    std::optional<RECT> sizing;
    std::optional<LONG> track;
    std::tuple<int, int, int, int> expected;
  };
  const Case cases[] = {
      // Held to the most a window can be: 32767 wide and high.
      {"sizing of opposite limits", WMSZ_BOTTOMRIGHT, RECT{lo, lo, hi, hi},
       std::nullopt, rect(-32768, -32768, -1, -1)},
      {"sizing upside down", WMSZ_TOPLEFT, RECT{hi, hi, lo, lo}, std::nullopt,
       rect(32767, 32767, 32767, 32767)},
      // A negative tracking size is a window of no size.
      {"tracking sizes at the minimum, left edge", WMSZ_LEFT, std::nullopt, lo,
       rect(700, 100, 700, 100)},
      {"tracking sizes at the minimum, top edge", WMSZ_TOP, std::nullopt, lo,
       rect(100, 500, 100, 500)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Env env;
    const HWND wnd = env.top(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    gHandler = [&](HWND, UINT msg, WPARAM,
                   LPARAM lp) -> std::optional<LRESULT> {
      if (msg == WM_SIZING && c.sizing) {
        *reinterpret_cast<RECT*>(lp) = *c.sizing;
        return TRUE;
      }
      if (msg == WM_GETMINMAXINFO) {
        auto* mmi = reinterpret_cast<MINMAXINFO*>(lp);
        if (c.track) {
          mmi->ptMinTrackSize = {*c.track, *c.track};
          mmi->ptMaxTrackSize = {*c.track, *c.track};
        } else {
          mmi->ptMinTrackSize = {0, 0};
          mmi->ptMaxTrackSize = {hi, hi};
        }
        return 0;
      }
      return std::nullopt;
    };
    env.d().dragEdge(wnd, c.edge, -10, -10);
    EXPECT_EQ(tie(env.windowRect(wnd)), c.expected);
  }
}

TEST(SimUserActions, DragIgnoresWindowsThatCannotBeDragged) {
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

}  // namespace
}  // namespace flx::simtest
