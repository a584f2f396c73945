// The simulated desktop's DPI: what each awareness sees, the non-client
// metrics at a DPI, and the DPI change a per-monitor aware window gets when
// a move, a drag or its monitor's new scale carries it to another DPI.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim_desktop_fixture.h"

namespace flx::simtest {
namespace {

using sim::DpiAwareness;

MonitorConfig Monitor(int left, int width, int dpi, bool primary = false) {
  MonitorConfig m;
  m.rect = RECT{left, 0, left + width, 1080};
  m.primary = primary;
  m.dpi = dpi;
  return m;
}

// A 144 DPI primary monitor (the system DPI) with a 96 DPI one to its
// right.
DesktopConfig TwoDpis(DpiAwareness awareness = DpiAwareness::PerMonitor) {
  DesktopConfig c;
  c.dpiX = c.dpiY = 144;
  c.monitors = {Monitor(0, 1920, 0, true), Monitor(1920, 1920, 96)};
  c.awareness = awareness;
  return c;
}

constexpr DWORD kSizeable = WS_OVERLAPPEDWINDOW;

// ---- What each awareness sees

TEST(SimDpi, EachAwarenessSeesItsOwnDpi) {
  struct Row {
    DpiAwareness awareness;
    win::OSVersion version;
    UINT onPrimary, onSecond, system;
    int logPixels, screenWidth;
    DPI_AWARENESS reported;
  };
  // One row a line.
  // clang-format off
  const Row rows[] = {
      {DpiAwareness::PerMonitor, {10, 0}, 144, 96, 144, 144, 1920,
       DPI_AWARENESS_PER_MONITOR_AWARE},
      {DpiAwareness::System, {10, 0}, 144, 144, 144, 144, 1920,
       DPI_AWARENESS_SYSTEM_AWARE},
      // Unaware: 96 everywhere, and the 144 DPI monitor virtualised to
      // 1280 x 720.
      {DpiAwareness::Unaware, {10, 0}, 96, 96, 96, 96, 1280,
       DPI_AWARENESS_UNAWARE},
      // Per-monitor v2 needs Windows 10; before, the manifest's dpiAware
      // fallback makes the process system aware.
      {DpiAwareness::PerMonitor, {6, 1}, 144, 144, 144, 144, 1920,
       DPI_AWARENESS_SYSTEM_AWARE},
  };
  // clang-format on
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(sim::toString(row.awareness)) + " on " +
                 std::to_string(row.version.major));
    DesktopConfig config = TwoDpis(row.awareness);
    config.version = row.version;
    Env env(config);
    const HWND primary = env.top(kSizeable, {100, 100, 700, 500});
    const HWND second = env.top(kSizeable, {2100, 100, 2700, 500});
    EXPECT_EQ(env.d().getDpiForWindow(primary), row.onPrimary);
    EXPECT_EQ(env.d().getDpiForWindow(second), row.onSecond);
    EXPECT_EQ(env.d().getDpiForSystem(), row.system);
    const HDC dc = env.d().getDC(nullptr);
    EXPECT_EQ(env.d().getDeviceCaps(dc, LOGPIXELSX), row.logPixels);
    EXPECT_EQ(env.d().getSystemMetrics(SM_CXSCREEN), row.screenWidth);
    EXPECT_EQ(env.d().getAwarenessFromDpiAwarenessContext(
                  env.d().getThreadDpiAwarenessContext()),
              row.reported);
    // A child has its top-level window's DPI.
    const HWND child = env.child(second, {10, 10, 50, 30});
    EXPECT_EQ(env.d().getDpiForWindow(child), row.onSecond);
  }
}

TEST(SimDpi, AwarenessContextsMapAsWindowsMapsThem) {
  Env env;
  struct Row {
    DPI_AWARENESS_CONTEXT context;
    DPI_AWARENESS awareness;
  };
  for (const Row& row :
       {Row{DPI_AWARENESS_CONTEXT_UNAWARE, DPI_AWARENESS_UNAWARE},
        Row{DPI_AWARENESS_CONTEXT_SYSTEM_AWARE, DPI_AWARENESS_SYSTEM_AWARE},
        Row{DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE,
            DPI_AWARENESS_PER_MONITOR_AWARE},
        Row{DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2,
            DPI_AWARENESS_PER_MONITOR_AWARE},
        Row{DpiAwarenessContextOf(7), DPI_AWARENESS_INVALID}}) {
    EXPECT_EQ(env.d().getAwarenessFromDpiAwarenessContext(row.context),
              row.awareness);
  }
}

TEST(SimDpi, AnUnknownWindowHasNoDpi) {
  Env env;
  EXPECT_EQ(env.d().getDpiForWindow(nullptr), 0u);
}

// ---- Non-client metrics per DPI

TEST(SimDpi, NonClientMetricsScaleWithTheDpiAskedFor) {
  // Windows 10's metrics at 96 DPI: caption 23, sizing frame 4 plus a
  // padded border of 4; MulDiv rounds halves away from zero.
  struct Row {
    UINT dpi;
    int caption, frame;
  };
  Env env(TwoDpis());
  for (const Row& row :
       {Row{96, 23, 8}, Row{120, 29, 10}, Row{144, 35, 12}, Row{192, 46, 16}}) {
    SCOPED_TRACE(row.dpi);
    EXPECT_EQ(env.d().getSystemMetricsForDpi(SM_CYCAPTION, row.dpi),
              row.caption);
    RECT r{0, 0, 400, 300};
    ASSERT_TRUE(
        env.d().adjustWindowRectExForDpi(&r, kSizeable, FALSE, 0, row.dpi));
    EXPECT_EQ(tie(r), rect(-row.frame, -row.frame - row.caption,
                           400 + row.frame, 300 + row.frame));
  }
  // Without a DPI: the system DPI's, as before.
  EXPECT_EQ(env.d().getSystemMetrics(SM_CYCAPTION), 35);
  EXPECT_EQ(env.d().getSystemMetricsForDpi(SM_CXSCREEN, 96), 1920);
}

TEST(SimDpi, AWindowsFrameIsAtItsOwnDpi) {
  Env env(TwoDpis());
  const HWND primary = env.top(kSizeable, {100, 100, 700, 500});
  const HWND second = env.top(kSizeable, {2100, 100, 2700, 500});
  EXPECT_EQ(tie(env.clientRect(primary)), rect(0, 0, 600 - 24, 400 - 24 - 35));
  EXPECT_EQ(tie(env.clientRect(second)), rect(0, 0, 600 - 16, 400 - 16 - 23));
}

TEST(SimDpi, FrameMetricsGivenAtTheSystemDpiScaleFromIt) {
  // As `--frame` gives them: the metrics at the system DPI, as they are.
  DesktopConfig config = TwoDpis();
  config.captionHeight = 30;
  config.sizeFrame = 6;
  config.paddedBorder = 6;
  config.scaleMetricsWithDpi = false;
  Env env(config);
  EXPECT_EQ(env.d().getSystemMetrics(SM_CYCAPTION), 30);
  EXPECT_EQ(env.d().getSystemMetricsForDpi(SM_CYCAPTION, 96), 20);
}

// ---- A change of DPI

struct DpiMessages {
  std::vector<std::string> names;
  UINT scaledDpi = 0;
  SIZE pending{};
  WPARAM changedDpi = 0;
  RECT suggested{};
};

// Records the window's DPI messages; `answer` (when set) is written into
// WM_GETDPISCALEDSIZE, `apply` applies the suggested rectangle.
void Track(DpiMessages& seen, std::optional<SIZE> answer, bool apply) {
  gHandler = [&seen, answer, apply](HWND wnd, UINT msg, WPARAM wp,
                                    LPARAM lp) -> std::optional<LRESULT> {
    if (msg == WM_GETDPISCALEDSIZE) {
      seen.names.push_back("GETDPISCALEDSIZE");
      seen.scaledDpi = static_cast<UINT>(wp);
      auto* size = reinterpret_cast<SIZE*>(lp);
      seen.pending = *size;
      if (!answer) return FALSE;
      *size = *answer;
      return TRUE;
    }
    if (msg == WM_DPICHANGED) {
      seen.names.push_back("DPICHANGED");
      seen.changedDpi = wp;
      seen.suggested = *reinterpret_cast<RECT*>(lp);
      if (apply) {
        const RECT& r = seen.suggested;
        SetWindowPos(wnd, nullptr, r.left, r.top, r.right - r.left,
                     r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
      }
      return 0;
    }
    return std::nullopt;
  };
}

TEST(SimDpiChange, AMoveOntoAnotherDpiAsksForTheSizeThenSuggestsIt) {
  // From 144 to 96 DPI. Unanswered, the client area scales linearly (576
  // x 341 at 144 is 384 x 227 at 96) and the frame is 96 DPI's.
  struct Row {
    const char* how;
    std::optional<SIZE> answer;
    RECT suggested;
  };
  const Row rows[] = {
      {"linear", std::nullopt, {2100, 150, 2100 + 384 + 16, 150 + 227 + 39}},
      {"answered", SIZE{450, 333}, {2100, 150, 2100 + 450, 150 + 333}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.how);
    Env env(TwoDpis());
    const HWND wnd = env.top(kSizeable, {100, 100, 700, 500});
    DpiMessages seen;
    Track(seen, row.answer, true);
    env.d().moveWindow(wnd, 2100, 150, 600, 400, TRUE);
    EXPECT_EQ(seen.names,
              (std::vector<std::string>{"GETDPISCALEDSIZE", "DPICHANGED"}));
    EXPECT_EQ(seen.scaledDpi, 96u);
    EXPECT_EQ(seen.pending.cx, 600);
    EXPECT_EQ(seen.pending.cy, 400);
    EXPECT_EQ(seen.changedDpi, MAKEWPARAM(96, 96));
    EXPECT_EQ(tie(seen.suggested), tie(row.suggested));
    EXPECT_EQ(tie(env.windowRect(wnd)), tie(row.suggested));
    EXPECT_EQ(env.d().getDpiForWindow(wnd), 96u);
  }
}

TEST(SimDpiChange, TheFrameFollowsTheDpiWhenTheWindowIgnoresTheMessage) {
  Env env(TwoDpis());
  const HWND wnd = env.top(kSizeable, {100, 100, 700, 500});
  DpiMessages seen;
  Track(seen, std::nullopt, false);
  env.d().moveWindow(wnd, 2100, 150, 600, 400, TRUE);
  EXPECT_EQ(tie(env.windowRect(wnd)), rect(2100, 150, 2700, 550));
  EXPECT_EQ(tie(env.clientRect(wnd)), rect(0, 0, 600 - 16, 400 - 16 - 23));
  // The client grew with the thinner frame: the window was told.
  const auto sizes = env.records(wnd, WM_SIZE);
  ASSERT_FALSE(sizes.empty());
  EXPECT_EQ(sizes.back().lParam, lparamOf(584, 361));
}

TEST(SimDpiChange, OnlyAPerMonitorAwareWindowCrossingToAnotherDpiIsTold) {
  struct Row {
    const char* what;
    DesktopConfig config;
    RECT to;
    bool told;
  };
  DesktopConfig oneDpi;
  oneDpi.monitors = {Monitor(0, 1920, 0, true), Monitor(1920, 1920, 0)};
  DesktopConfig sameDpi = TwoDpis();
  sameDpi.monitors[1].dpi = 144;
  // clang-format off
  const Row rows[] = {
      {"per-monitor, to 96", TwoDpis(), {2100, 100, 2700, 500}, true},
      {"per-monitor, on its monitor", TwoDpis(), {900, 100, 1500, 500}, false},
      {"per-monitor, less than half over", TwoDpis(), {1500, 100, 2100, 500},
       false},
      {"same DPI", sameDpi, {2100, 100, 2700, 500}, false},
      {"one DPI", oneDpi, {2100, 100, 2700, 500}, false},
      {"system", TwoDpis(DpiAwareness::System), {2100, 100, 2700, 500}, false},
      {"unaware", TwoDpis(DpiAwareness::Unaware), {2100, 100, 2700, 500},
       false},
  };
  // clang-format on
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Env env(row.config);
    const HWND wnd = env.top(kSizeable, {100, 100, 700, 500});
    DpiMessages seen;
    Track(seen, std::nullopt, true);
    env.d().moveWindow(wnd, row.to.left, row.to.top, 600, 400, TRUE);
    EXPECT_EQ(!seen.names.empty(), row.told);
  }
}

TEST(SimDpiChange, ACaptionDragKeepsTheCornerUnderTheCursor) {
  Env env(TwoDpis());
  const HWND wnd = env.top(kSizeable, {100, 100, 700, 500});
  DpiMessages seen;
  Track(seen, std::nullopt, true);
  env.d().clearRecords();
  env.d().dragCaption(wnd, 2300, 200);
  const Names names = env.names(wnd);
  auto at = [&](const std::string& n) {
    return std::find(names.begin(), names.end(), n) - names.begin();
  };
  EXPECT_EQ(names.front(), "ENTERSIZEMOVE");
  EXPECT_EQ(names.back(), "EXITSIZEMOVE");
  EXPECT_LT(at("0x" + std::to_string(WM_MOVING)),
            at("0x" + std::to_string(WM_DPICHANGED)));
  EXPECT_EQ(env.windowRect(wnd).left, 2300);
  EXPECT_EQ(env.windowRect(wnd).top, 200);
  EXPECT_EQ(env.d().getDpiForWindow(wnd), 96u);
  EXPECT_EQ(env.d().monitorOf(wnd), 1u);
}

TEST(SimDpiChange, AnEdgeDragCanCarryTheWindowOver) {
  Env env(TwoDpis());
  const HWND wnd = env.top(kSizeable, {1500, 100, 2000, 500});
  DpiMessages seen;
  Track(seen, std::nullopt, true);
  env.d().dragEdge(wnd, WMSZ_RIGHT, 1000, 0);
  EXPECT_EQ(seen.changedDpi, MAKEWPARAM(96, 96));
}

TEST(SimDpiChange, ANewScaleOfTheMonitorTellsTheWindowsOnIt) {
  Env env(TwoDpis());
  const HWND primary = env.top(kSizeable, {100, 100, 700, 500});
  const HWND second = env.top(kSizeable, {2100, 100, 2700, 500});
  DpiMessages seen;
  Track(seen, std::nullopt, true);
  EXPECT_TRUE(env.d().setMonitorDpi(1, 120));
  EXPECT_EQ(seen.changedDpi, MAKEWPARAM(120, 120));
  EXPECT_EQ(env.d().getDpiForWindow(second), 120u);
  EXPECT_EQ(env.d().getDpiForWindow(primary), 144u);
  EXPECT_EQ(env.d().monitorDpi(1), 120);
  EXPECT_FALSE(env.d().setMonitorDpi(2, 120));
  EXPECT_FALSE(env.d().setMonitorDpi(0, 0));
}

TEST(SimDpiChange, AMaximisedWindowIsOfferedItsMonitorAtTheNewDpi) {
  Env env(TwoDpis());
  const HWND wnd = env.top(kSizeable, {2100, 100, 2700, 500});
  env.d().maximize(wnd);
  DpiMessages seen;
  Track(seen, std::nullopt, true);
  EXPECT_TRUE(env.d().setMonitorDpi(1, 192));
  // No size to ask about: straight to the maximised rectangle (the work
  // area and a 16-pixel frame at 192 DPI).
  EXPECT_EQ(seen.names, (std::vector<std::string>{"DPICHANGED"}));
  EXPECT_EQ(tie(seen.suggested), rect(1920 - 16, -16, 3840 + 16, 1080 + 16));
}

TEST(SimDpiChange, AMoveInsideTheChangeStartsNoOther) {
  // The window puts itself back on the 144 DPI monitor while told of 96:
  // the DPI is decided once per move. Moved without a size, its frame is
  // still the old DPI's when the handler returns; fitting the new frame
  // must not start another change either (the two monitors would hand the
  // window back and forth without end).
  for (const UINT flags :
       {UINT{SWP_NOZORDER}, UINT{SWP_NOZORDER | SWP_NOSIZE}}) {
    SCOPED_TRACE(flags);
    Env env(TwoDpis());
    const HWND wnd = env.top(kSizeable, {100, 100, 700, 500});
    int changes = 0;
    gHandler = [&](HWND w, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
      if (msg != WM_DPICHANGED) return std::nullopt;
      ++changes;
      SetWindowPos(w, nullptr, 100, 100, 600, 400, flags);
      return 0;
    };
    env.d().moveWindow(wnd, 2100, 150, 600, 400, TRUE);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(env.d().getDpiForWindow(wnd), 96u);
    // The next move decides afresh.
    env.d().moveWindow(wnd, 110, 100, 600, 400, TRUE);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(env.d().getDpiForWindow(wnd), 144u);
  }
}

}  // namespace
}  // namespace flx::simtest
