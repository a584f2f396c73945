// Measuring the screen around a form (monitor, taskbar, invisible frame
// margins) and placing the form on it, on the simulated desktop: where its
// FormPos says, and at its start size when it is first shown.
//
// Sections:
//   Desktops         one monitor or several, taskbars, margins, versions
//   GetMonitorSize   the monitor that shows the window
//   GetTaskbarArea   the bar off its own edge, on the monitor holding it
//   GetFrameBounds   the invisible margins of desktop composition
//   PlaceForm        the nine positions, margins, taskbars, secondaries
//   SetFormPos       placing at run time, at design time, from the file
//   First show       the start size, once, and not for a busy form
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "flexarium/flexarium.h"
#include "flexarium/formfile.h"
#include "flexarium/forms.h"
#include "flexarium/sim_desktop.h"
#include "flexarium/sysutils.h"
#include "flexarium/winapi.h"
#include "flexarium_fixture.h"

namespace flx::win {
bool operator==(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right &&
         a.bottom == b.bottom;
}
std::ostream& operator<<(std::ostream& os, const RECT& r) {
  return os << "(" << r.left << ", " << r.top << ", " << r.right << ", "
            << r.bottom << ")";
}
bool operator==(const POINT& a, const POINT& b) {
  return a.x == b.x && a.y == b.y;
}
std::ostream& operator<<(std::ostream& os, const POINT& p) {
  return os << "(" << p.x << ", " << p.y << ")";
}
}  // namespace flx::win

namespace flx {
namespace {

using A = TFlexariumAccess;
using sim::DesktopConfig;
using sim::MonitorConfig;
using sim::TaskbarEdge;
using win::POINT;
using win::RECT;

// The unit runs for the lifetime of one desktop: started once the desktop
// is installed, stopped before it goes.
class UnitSession {
 public:
  explicit UnitSession(DesktopConfig config)
      : desktop_(std::move(config)), liveObjects_(LiveObjectCount()) {
    FlexariumInitialization();
  }
  // The forms of a session are gone by now: nothing may be left alive.
  ~UnitSession() {
    FlexariumFinalization();
    EXPECT_EQ(LiveObjectCount(), liveObjects_) << "framework objects leaked";
  }
  UnitSession(const UnitSession&) = delete;
  UnitSession& operator=(const UnitSession&) = delete;
  sim::Desktop& desktop() { return desktop_.desktop(); }

  // Recorded calls of `op`, on `wnd` when one is given.
  int Count(const std::string& op, win::HWND wnd = nullptr) {
    const auto& calls = desktop().calls();
    return static_cast<int>(
        std::count_if(calls.begin(), calls.end(), [&](const auto& c) {
          return c.op == op && (wnd == nullptr || c.wnd == wnd);
        }));
  }

 private:
  sim::ScopedDesktop desktop_;
  std::int64_t liveObjects_;
};

// A form that records every move or size its window is asked for, before
// the window system applies its tracking limits.
class ProbeForm : public TForm {
 public:
  using TForm::TForm;
  std::vector<RECT> Requests;

  win::LRESULT WndProc(win::UINT msg, win::WPARAM wParam,
                       win::LPARAM lParam) override {
    if (msg == win::WM_WINDOWPOSCHANGING) {
      const auto* pos = reinterpret_cast<const win::WINDOWPOS*>(lParam);
      Requests.push_back(
          RECT{pos->x, pos->y, pos->x + pos->cx, pos->y + pos->cy});
    }
    return TForm::WndProc(msg, wParam, lParam);
  }
};

// The form's window, put at `at`, with the records cleared.
win::HWND Open(UnitSession& session, ProbeForm& form, TFormBorderStyle border,
               const RECT& at) {
  form.SetBorderStyle(border);
  win::HWND wnd = form.Handle();
  win::MoveWindow(wnd, at.left, at.top, at.right - at.left, at.bottom - at.top,
                  win::TRUE);
  form.Requests.clear();
  session.desktop().clearRecords();
  return wnd;
}

RECT WindowRectOf(win::HWND wnd) {
  RECT r{0, 0, 0, 0};
  win::GetWindowRect(wnd, &r);
  return r;
}

RECT Bounds(int x, int y, int w, int h) { return RECT{x, y, x + w, y + h}; }

// ---- Desktops

// One 1920 x 1080 monitor, Windows 10.
DesktopConfig Desk(TaskbarEdge edge = TaskbarEdge::Bottom, int thickness = 40,
                   bool composition = true) {
  DesktopConfig c;
  c.monitors = {MonitorConfig{RECT{0, 0, 1920, 1080}, true}};
  c.taskbar.edge = edge;
  c.taskbar.thickness = thickness;
  c.composition = composition;
  return c;
}
DesktopConfig Plain(TaskbarEdge edge = TaskbarEdge::Bottom,
                    int thickness = 40) {
  return Desk(edge, thickness, false);
}
DesktopConfig WithMonitor(DesktopConfig c, RECT rect) {
  c.monitors.push_back(MonitorConfig{rect, false});
  return c;
}
DesktopConfig OnWindows(DesktopConfig c, int major, int minor) {
  c.version = win::OSVersion{major, minor};
  return c;
}
DesktopConfig AutoHidden(DesktopConfig c) {
  c.taskbar.autoHide = true;
  return c;
}
DesktopConfig Reporting(DesktopConfig c, RECT reported) {
  c.taskbar.reportedRect = reported;
  return c;
}
DesktopConfig WithMargins(DesktopConfig c, sim::FrameMargins m) {
  c.margins = m;
  return c;
}

const RECT kRight1280{1920, 0, 3200, 1024};  // secondary right of primary
const RECT kLeft1280{-1280, 0, 0, 1024};     // secondary left of primary
const RECT kBelow1600{0, 1080, 1600, 1980};  // secondary below primary

// ---- GetMonitorSize

TEST(Measure, MonitorSizeIsThatOfTheMonitorShowingTheWindow) {
  struct Case {
    const char* name;
    DesktopConfig config;
    RECT window;
    int width, height;
    bool asksMonitorInfo;
  };
  const Case cases[] = {
      {"one monitor: the screen metrics", Desk(), Bounds(100, 100, 800, 600),
       1920, 1080, false},
      {"two monitors, on the primary", WithMonitor(Desk(), kRight1280),
       Bounds(100, 100, 800, 600), 1920, 1080, true},
      {"on a secondary right of the primary", WithMonitor(Desk(), kRight1280),
       Bounds(2000, 100, 800, 600), 1280, 1024, true},
      {"on a secondary left of the primary", WithMonitor(Desk(), kLeft1280),
       Bounds(-1000, 100, 800, 600), 1280, 1024, true},
      {"on a secondary below the primary", WithMonitor(Desk(), kBelow1600),
       Bounds(100, 1200, 800, 600), 1600, 900, true},
      {"mostly on the secondary", WithMonitor(Desk(), kRight1280),
       Bounds(1700, 100, 800, 600), 1280, 1024, true},
      {"off every monitor: the nearest one", WithMonitor(Desk(), kRight1280),
       Bounds(3500, 100, 800, 600), 1280, 1024, true},
      {"Windows 4.0 knows the primary screen only",
       OnWindows(WithMonitor(Desk(), kRight1280), 4, 0),
       Bounds(2000, 100, 800, 600), 1920, 1080, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UnitSession session(c.config);
    ProbeForm form(nullptr);
    win::HWND wnd = Open(session, form, TFormBorderStyle::bsSizeable, c.window);
    int width = -1, height = -1;
    GetMonitorSize(wnd, width, height);
    EXPECT_EQ(width, c.width);
    EXPECT_EQ(height, c.height);
    EXPECT_EQ(session.Count("MonitorFromWindow") > 0, c.asksMonitorInfo);
  }
}

// ---- GetTaskbarArea

TEST(Measure, TaskbarAreaTakesTheBarOffItsOwnEdge) {
  struct Case {
    const char* name;
    DesktopConfig config;
    bool validTaskbar;
    RECT window;
    int width, height, edge;
    RECT bar;
  };
  const RECT onPrimary = Bounds(100, 100, 800, 600);
  const Case cases[] = {
      {"bottom bar", Desk(), true, onPrimary, 1920, 1040, teBottom,
       RECT{0, 1040, 1920, 1080}},
      {"overhanging report is clamped",
       Reporting(Desk(), RECT{-2, 1040, 1922, 1082}), true, onPrimary, 1920,
       1040, teBottom, RECT{0, 1040, 1920, 1080}},
      {"auto-hide bottom bar takes nothing",
       AutoHidden(Reporting(Desk(), RECT{-2, 1040, 1922, 1082})), true,
       onPrimary, 1920, 1080, teBottom, RECT{0, 1080, 1920, 1080}},
      {"left bar 62 wide", Desk(TaskbarEdge::Left, 62), true, onPrimary, 1858,
       1080, teLeft, RECT{0, 0, 62, 1080}},
      {"left bar not honoured: edge and rectangle still told",
       Desk(TaskbarEdge::Left, 62), false, onPrimary, 1920, 1080, teLeft,
       RECT{0, 0, 62, 1080}},
      {"top bar", Desk(TaskbarEdge::Top, 40), true, onPrimary, 1920, 1040,
       teTop, RECT{0, 0, 1920, 40}},
      {"right bar", Desk(TaskbarEdge::Right, 50), true, onPrimary, 1870, 1080,
       teRight, RECT{1870, 0, 1920, 1080}},
      {"auto-hide top bar", AutoHidden(Desk(TaskbarEdge::Top, 40)), true,
       onPrimary, 1920, 1080, teTop, RECT{0, 0, 1920, 0}},
      {"auto-hide left bar", AutoHidden(Desk(TaskbarEdge::Left, 62)), true,
       onPrimary, 1920, 1080, teLeft, RECT{0, 0, 0, 1080}},
      {"auto-hide right bar", AutoHidden(Desk(TaskbarEdge::Right, 50)), true,
       onPrimary, 1920, 1080, teRight, RECT{1920, 0, 1920, 1080}},
      {"no position reported reads as a left bar of no width",
       Desk(TaskbarEdge::None), true, onPrimary, 1920, 1080, teLeft,
       RECT{0, 0, 0, 0}},
      {"before Windows 4 the shell is not asked", OnWindows(Desk(), 3, 51),
       true, onPrimary, 1920, 1080, teNone, RECT{0, 0, 0, 0}},
      {"on a secondary, the primary's bar takes nothing",
       WithMonitor(Desk(), kRight1280), true, Bounds(2000, 100, 800, 600), 1280,
       1024, teNone, RECT{1920, 0, 1920, 0}},
      {"left of the primary, its left bar takes nothing",
       WithMonitor(Desk(TaskbarEdge::Left, 62), kLeft1280), true,
       Bounds(-1000, 100, 800, 600), 1280, 1024, teNone,
       RECT{-1280, 0, -1280, 0}},
      {"below the primary, its bottom bar takes nothing",
       WithMonitor(Desk(), kBelow1600), true, Bounds(100, 1200, 800, 600), 1600,
       900, teNone, RECT{0, 1080, 0, 1080}},
      {"secondary without any bar",
       WithMonitor(Desk(TaskbarEdge::None), kLeft1280), true,
       Bounds(-1000, 100, 800, 600), 1280, 1024, teLeft,
       RECT{-1280, 0, -1280, 0}},
      {"the primary, with a secondary beside it",
       WithMonitor(Desk(TaskbarEdge::Top, 40), kRight1280), true, onPrimary,
       1920, 1040, teTop, RECT{0, 0, 1920, 40}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UnitSession session(c.config);
    ProbeForm form(nullptr);
    win::HWND wnd = Open(session, form, TFormBorderStyle::bsSizeable, c.window);
    int width = -1, height = -1, edge = -2;
    win::APPBARDATA data;
    std::memset(&data, 0xA5, sizeof data);
    GetTaskbarArea(wnd, width, height, edge, c.validTaskbar, data);
    EXPECT_EQ(width, c.width);
    EXPECT_EQ(height, c.height);
    EXPECT_EQ(edge, c.edge);
    EXPECT_EQ(data.rc, c.bar);
    const bool asked = c.config.version.major >= 4;
    EXPECT_EQ(session.Count("SHAppBarMessage"), asked ? 2 : 0);
    EXPECT_EQ(data.cbSize, asked ? sizeof(win::APPBARDATA) : 0u);
    EXPECT_EQ(data.hWnd, nullptr);
  }
}

// The shell reports one taskbar, often a few pixels past its monitor. It
// belongs to the monitor that holds the larger part of that report, and
// counts (clamped to it) on that monitor only.
TEST(Measure, TaskbarCountsOnTheMonitorHoldingMostOfItsReport) {
  struct Case {
    const char* name;
    DesktopConfig config;
    RECT window;
    int width, height, edge;
    RECT bar;
  };
  const RECT kLeft{-1920, 0, 0, 1200};
  const RECT kAbove{0, -1080, 1920, 0};
  const RECT kRight{1920, 0, 3200, 1024};
  const RECT kBelow{0, 1080, 1600, 1980};
  const RECT bottomOver{-2, 1040, 1922, 1082};
  const RECT leftOver{-2, -2, 62, 1082};
  const RECT topOver{-2, -2, 1922, 42};
  const RECT rightOver{1878, -2, 1922, 1082};
  const RECT onPrimary = Bounds(100, 100, 800, 600);
  const Case cases[] = {
      {"bottom bar, form on a monitor left of it",
       Reporting(WithMonitor(Desk(), kLeft), bottomOver),
       Bounds(-1500, 100, 800, 500), 1920, 1200, teNone,
       RECT{-1920, 0, -1920, 0}},
      {"left bar, form on a monitor left of it",
       Reporting(WithMonitor(Desk(TaskbarEdge::Left, 64), kLeft), leftOver),
       Bounds(-1500, 100, 800, 500), 1920, 1200, teNone,
       RECT{-1920, 0, -1920, 0}},
      {"top bar, form on a monitor above it",
       Reporting(WithMonitor(Desk(TaskbarEdge::Top, 44), kAbove), topOver),
       Bounds(100, -900, 800, 500), 1920, 1080, teNone,
       RECT{0, -1080, 0, -1080}},
      {"right bar, form on a monitor right of it",
       Reporting(WithMonitor(Desk(TaskbarEdge::Right, 44), kRight), rightOver),
       Bounds(2000, 100, 800, 500), 1280, 1024, teNone, RECT{1920, 0, 1920, 0}},
      {"bottom bar, form on a monitor below it",
       Reporting(WithMonitor(Desk(), kBelow), bottomOver),
       Bounds(100, 1200, 800, 500), 1600, 900, teNone, RECT{0, 1080, 0, 1080}},
      {"auto-hidden bottom bar, form on a monitor below it",
       AutoHidden(Reporting(WithMonitor(Desk(), kBelow), bottomOver)),
       Bounds(100, 1200, 800, 500), 1600, 900, teNone, RECT{0, 1080, 0, 1080}},
      {"bottom bar on the primary beside a left monitor is clamped",
       Reporting(WithMonitor(Desk(), kLeft), bottomOver), onPrimary, 1920, 1040,
       teBottom, RECT{0, 1040, 1920, 1080}},
      {"left bar on the primary beside a left monitor is clamped",
       Reporting(WithMonitor(Desk(TaskbarEdge::Left, 64), kLeft), leftOver),
       onPrimary, 1858, 1080, teLeft, RECT{0, 0, 62, 1080}},
      {"top bar on the primary below a monitor is clamped",
       Reporting(WithMonitor(Desk(TaskbarEdge::Top, 44), kAbove), topOver),
       onPrimary, 1920, 1038, teTop, RECT{0, 0, 1920, 42}},
      {"right bar on the primary beside a right monitor is clamped",
       Reporting(WithMonitor(Desk(TaskbarEdge::Right, 44), kRight), rightOver),
       onPrimary, 1878, 1080, teRight, RECT{1878, 0, 1920, 1080}},
      {"a report off the only monitor takes nothing",
       Reporting(Desk(TaskbarEdge::Right, 44), RECT{3000, 0, 3044, 1080}),
       onPrimary, 1920, 1080, teNone, RECT{0, 0, 0, 0}},
      {"auto-hidden bottom bar on the primary above a monitor",
       AutoHidden(Reporting(WithMonitor(Desk(), kBelow), bottomOver)),
       onPrimary, 1920, 1080, teBottom, RECT{0, 1080, 1920, 1080}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UnitSession session(c.config);
    ProbeForm form(nullptr);
    win::HWND wnd = Open(session, form, TFormBorderStyle::bsSizeable, c.window);
    int width = -1, height = -1, edge = -2;
    win::APPBARDATA data{};
    GetTaskbarArea(wnd, width, height, edge, true, data);
    EXPECT_EQ(width, c.width);
    EXPECT_EQ(height, c.height);
    EXPECT_EQ(edge, c.edge);
    EXPECT_EQ(data.rc, c.bar);
  }
}

// ---- GetFrameBounds

TEST(Measure, FrameBoundsReportTheInvisibleMargins) {
  struct Case {
    const char* name;
    DesktopConfig config;
    TFormBorderStyle border;
    bool compositionOffLater;  // switched off after the unit started
    POINT offset, extra;
    bool asksDwm;
  };
  const Case cases[] = {
      {"composition, sizing frame", Desk(), TFormBorderStyle::bsSizeable, false,
       POINT{7, 0}, POINT{14, 7}, true},
      {"other margins", WithMargins(Desk(), sim::FrameMargins{8, 1, 8, 8}),
       TFormBorderStyle::bsSizeable, false, POINT{8, 1}, POINT{16, 9}, true},
      {"composition, no invisible frame", Desk(), TFormBorderStyle::bsSingle,
       false, POINT{0, 0}, POINT{0, 0}, true},
      {"no composition", Plain(), TFormBorderStyle::bsSizeable, false,
       POINT{0, 0}, POINT{0, 0}, false},
      {"the bounds cannot be read", Desk(), TFormBorderStyle::bsSizeable, true,
       POINT{0, 0}, POINT{0, 0}, true},
      {"Windows XP never binds the DWM", OnWindows(Desk(), 5, 1),
       TFormBorderStyle::bsSizeable, false, POINT{0, 0}, POINT{0, 0}, false},
  };
  const RECT window{100, 100, 916, 639};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UnitSession session(c.config);
    ProbeForm form(nullptr);
    win::HWND wnd = Open(session, form, c.border, window);
    if (c.compositionOffLater)
      session.desktop().mutableConfig().composition = false;
    POINT offset{-1, -1}, extra{-1, -1};
    RECT rect{-1, -1, -1, -1};
    GetFrameBounds(wnd, offset, extra, rect);
    EXPECT_EQ(rect, window);
    EXPECT_EQ(offset, c.offset);
    EXPECT_EQ(extra, c.extra);
    EXPECT_EQ(session.Count("DwmGetWindowAttribute") > 0, c.asksDwm);
    if (c.config.version.major < 6) {
      EXPECT_FALSE(session.desktop().dwmLoaded());
    }
  }
}

// ---- PlaceForm

struct PlaceCase {
  const char* name;
  DesktopConfig config;
  bool validTaskbar;
  RECT start;  // the window before
  int width, height;
  TResizeFormPos pos;
  POINT expected;  // where MoveWindow puts the window
};

void PrintTo(const PlaceCase& c, std::ostream* os) { *os << c.name; }

class PlaceFormAt : public ::testing::TestWithParam<PlaceCase> {};

TEST_P(PlaceFormAt, MovesOnceToThePositionWithTheGivenSize) {
  const PlaceCase& c = GetParam();
  UnitSession session(c.config);
  ProbeForm form(nullptr);
  win::HWND wnd = Open(session, form, TFormBorderStyle::bsSizeable, c.start);
  PlaceForm(&form, c.pos, c.validTaskbar, c.width, c.height);
  EXPECT_EQ(session.Count("MoveWindow", wnd), 1);
  ASSERT_FALSE(form.Requests.empty());
  EXPECT_EQ(form.Requests.front(),
            Bounds(c.expected.x, c.expected.y, c.width, c.height));
}

// 1920 x 1080 with a bottom bar 40 high, honoured: 1920 x 1040 to use.
INSTANTIATE_TEST_SUITE_P(
    PlaceForm, PlaceFormAt,
    ::testing::Values(
        PlaceCase{"plain middle center", Plain(), true,
                  Bounds(100, 100, 400, 300), 800, 600, rpMiddleCenter,
                  POINT{560, 220}},
        PlaceCase{"plain bottom right", Plain(), true,
                  Bounds(100, 100, 400, 300), 800, 600, rpBottomRight,
                  POINT{1120, 440}},
        PlaceCase{"plain top center", Plain(), true, Bounds(100, 100, 400, 300),
                  800, 600, rpTopCenter, POINT{560, 0}},
        PlaceCase{"plain top left", Plain(), true, Bounds(300, 300, 400, 300),
                  800, 600, rpTopLeft, POINT{0, 0}},
        PlaceCase{"plain top right", Plain(), true, Bounds(100, 100, 400, 300),
                  800, 600, rpTopRight, POINT{1120, 0}},
        PlaceCase{"plain middle left", Plain(), true,
                  Bounds(100, 100, 400, 300), 800, 600, rpMiddleLeft,
                  POINT{0, 220}},
        PlaceCase{"plain middle right", Plain(), true,
                  Bounds(100, 100, 400, 300), 800, 600, rpMiddleRight,
                  POINT{1120, 220}},
        PlaceCase{"plain bottom left", Plain(), true,
                  Bounds(100, 100, 400, 300), 800, 600, rpBottomLeft,
                  POINT{0, 440}},
        PlaceCase{"plain bottom center", Plain(), true,
                  Bounds(100, 100, 400, 300), 800, 600, rpBottomCenter,
                  POINT{560, 440}},
        PlaceCase{"odd remainder halves toward zero", Plain(), true,
                  Bounds(100, 100, 400, 300), 801, 601, rpMiddleCenter,
                  POINT{559, 219}},
        PlaceCase{"margins middle center", Desk(), true,
                  Bounds(100, 100, 400, 300), 800, 600, rpMiddleCenter,
                  POINT{560, 223}},
        PlaceCase{"margins top left", Desk(), true, Bounds(100, 100, 400, 300),
                  800, 600, rpTopLeft, POINT{-7, 0}},
        PlaceCase{"margins bottom right", Desk(), true,
                  Bounds(100, 100, 400, 300), 800, 600, rpBottomRight,
                  POINT{1127, 447}},
        PlaceCase{"margins top right", Desk(), true, Bounds(100, 100, 400, 300),
                  800, 600, rpTopRight, POINT{1127, 0}},
        PlaceCase{"default pulled back inside", Plain(), true,
                  Bounds(1500, 700, 400, 300), 800, 600, rpDefault,
                  POINT{1120, 440}},
        PlaceCase{"default inside stays", Plain(), true,
                  Bounds(100, 100, 400, 300), 800, 600, rpDefault,
                  POINT{100, 100}},
        PlaceCase{"default with margins pulled back", Desk(), true,
                  Bounds(1500, 700, 400, 300), 800, 600, rpDefault,
                  POINT{1120, 440}},
        PlaceCase{"default partly above the screen comes down", Plain(), true,
                  Bounds(-50, -30, 400, 300), 800, 600, rpDefault, POINT{0, 0}},
        PlaceCase{"ordinal beyond the enumeration keeps the position", Plain(),
                  true, Bounds(100, 100, 400, 300), 800, 600,
                  static_cast<TResizeFormPos>(10), POINT{100, 100}},
        PlaceCase{"top bar pushes out", Plain(TaskbarEdge::Top), true,
                  Bounds(100, 100, 400, 300), 800, 600, rpTopLeft,
                  POINT{0, 40}},
        PlaceCase{"top bar, bottom left ends 40 above the bottom",
                  Plain(TaskbarEdge::Top), true, Bounds(100, 100, 400, 300),
                  800, 600, rpBottomLeft, POINT{0, 440}},
        PlaceCase{"top bar, margins top center", Desk(TaskbarEdge::Top), true,
                  Bounds(100, 100, 400, 300), 800, 600, rpTopCenter,
                  POINT{560, 40}},
        PlaceCase{"Windows 98 keeps the top left under a top bar",
                  OnWindows(Plain(TaskbarEdge::Top), 4, 10), true,
                  Bounds(100, 100, 400, 300), 800, 600, rpTopLeft, POINT{0, 0}},
        PlaceCase{"Windows 95 pushes out",
                  OnWindows(Plain(TaskbarEdge::Top), 4, 0), true,
                  Bounds(100, 100, 400, 300), 800, 600, rpTopLeft,
                  POINT{0, 40}},
        PlaceCase{"left bar not honoured still pushes out",
                  Plain(TaskbarEdge::Left, 62), false,
                  Bounds(100, 100, 400, 300), 800, 600, rpTopLeft,
                  POINT{62, 0}},
        PlaceCase{"left bar honoured, right column",
                  Plain(TaskbarEdge::Left, 62), true,
                  Bounds(100, 100, 400, 300), 800, 600, rpTopRight,
                  POINT{1058, 0}},
        PlaceCase{"right bar honoured, no push-out",
                  Plain(TaskbarEdge::Right, 50), true,
                  Bounds(100, 100, 400, 300), 800, 600, rpMiddleRight,
                  POINT{1070, 240}},
        PlaceCase{"auto-hidden top bar takes no room",
                  AutoHidden(Plain(TaskbarEdge::Top)), true,
                  Bounds(100, 100, 400, 300), 800, 600, rpTopLeft, POINT{0, 0}},
        PlaceCase{"wider than the screen, plain", Plain(), true,
                  Bounds(100, 100, 400, 300), 2000, 600, rpMiddleCenter,
                  POINT{0, 220}},
        PlaceCase{"larger than the screen, plain, bottom right", Plain(), true,
                  Bounds(100, 100, 400, 300), 2000, 1200, rpBottomRight,
                  POINT{0, 0}},
        PlaceCase{"larger than the screen, margins: only the margin hangs out",
                  Desk(), true, Bounds(100, 100, 400, 300), 2000, 1200,
                  rpMiddleCenter, POINT{-7, 0}},
        PlaceCase{"larger than the screen, margins, bottom right", Desk(), true,
                  Bounds(100, 100, 400, 300), 2000, 1200, rpBottomRight,
                  POINT{-7, 0}},
        PlaceCase{"larger than the screen, margins, default", Desk(), true,
                  Bounds(100, 100, 400, 300), 2000, 1200, rpDefault,
                  POINT{-7, 0}},
        PlaceCase{"secondary right: top left of its own monitor",
                  WithMonitor(Plain(), kRight1280), false,
                  Bounds(2000, 100, 400, 300), 800, 600, rpTopLeft,
                  POINT{1920, 0}},
        PlaceCase{"secondary right: default stays",
                  WithMonitor(Plain(), kRight1280), false,
                  Bounds(2000, 100, 400, 300), 800, 600, rpDefault,
                  POINT{2000, 100}},
        PlaceCase{"secondary right: default pulled back onto it",
                  WithMonitor(Plain(), kRight1280), false,
                  Bounds(2900, 100, 300, 300), 800, 600, rpDefault,
                  POINT{2400, 100}},
        PlaceCase{"secondary right: primary's bar takes nothing",
                  WithMonitor(Plain(), kRight1280), true,
                  Bounds(2000, 100, 400, 300), 800, 600, rpBottomRight,
                  POINT{2400, 424}},
        PlaceCase{"secondary right with margins",
                  WithMonitor(Desk(), kRight1280), true,
                  Bounds(2000, 100, 400, 300), 800, 600, rpMiddleCenter,
                  POINT{2160, 215}},
        PlaceCase{"secondary left: top left of its own monitor",
                  WithMonitor(Plain(), kLeft1280), true,
                  Bounds(-1000, 100, 400, 300), 800, 600, rpTopLeft,
                  POINT{-1280, 0}},
        PlaceCase{"secondary left: default stays",
                  WithMonitor(Plain(), kLeft1280), true,
                  Bounds(-1000, 100, 400, 300), 800, 600, rpDefault,
                  POINT{-1000, 100}},
        PlaceCase{"secondary left: middle center",
                  WithMonitor(Plain(TaskbarEdge::Left, 62), kLeft1280), true,
                  Bounds(-1000, 100, 400, 300), 800, 600, rpMiddleCenter,
                  POINT{-1040, 212}},
        PlaceCase{"secondary left without a bar: zero-width bar pushes "
                  "nothing off the monitor",
                  WithMonitor(Plain(TaskbarEdge::None), kLeft1280), true,
                  Bounds(-1000, 100, 400, 300), 800, 600, rpBottomLeft,
                  POINT{-1280, 424}},
        PlaceCase{"secondary below: bottom center",
                  WithMonitor(Plain(), kBelow1600), true,
                  Bounds(100, 1200, 400, 300), 800, 600, rpBottomCenter,
                  POINT{400, 1380}},
        PlaceCase{"secondary left: the primary's overhanging bottom bar "
                  "takes nothing",
                  Reporting(WithMonitor(Plain(), RECT{-1920, 0, 0, 1200}),
                            RECT{-2, 1040, 1922, 1082}),
                  true, Bounds(-1500, 100, 400, 300), 800, 500, rpBottomLeft,
                  POINT{-1920, 700}},
        PlaceCase{"secondary left: the primary's overhanging left bar "
                  "pushes nothing onto the primary",
                  Reporting(WithMonitor(Plain(TaskbarEdge::Left, 64),
                                        RECT{-1920, 0, 0, 1200}),
                            RECT{-2, -2, 62, 1082}),
                  true, Bounds(-1500, 100, 400, 300), 800, 500, rpTopLeft,
                  POINT{-1920, 0}},
        PlaceCase{"secondary above: the primary's overhanging top bar "
                  "pushes nothing onto the primary",
                  Reporting(WithMonitor(Plain(TaskbarEdge::Top, 44),
                                        RECT{0, -1080, 1920, 0}),
                            RECT{-2, -2, 1922, 42}),
                  true, Bounds(100, -900, 400, 300), 800, 500, rpBottomLeft,
                  POINT{0, -500}},
        PlaceCase{"primary with a secondary beside it",
                  WithMonitor(Plain(), kLeft1280), true,
                  Bounds(100, 100, 400, 300), 800, 600, rpBottomRight,
                  POINT{1120, 440}}),
    [](const ::testing::TestParamInfo<PlaceCase>& info) {
      std::string name;
      for (const char* p = info.param.name; *p != '\0'; ++p) {
        const char ch = *p;
        const bool alnum = (ch >= 'a' && ch <= 'z') ||
                           (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9');
        if (alnum) {
          name += ch;
        } else if (!name.empty() && name.back() != '_') {
          name += '_';
        }
      }
      while (!name.empty() && name.back() == '_') name.pop_back();
      return name;
    });

TEST(PlaceForm, MaximisedFormIsNeitherMovedNorSized) {
  for (bool composition : {false, true}) {
    SCOPED_TRACE(composition ? "composition" : "no composition");
    UnitSession session(Desk(TaskbarEdge::Bottom, 40, composition));
    ProbeForm form(nullptr);
    win::HWND wnd = Open(session, form, TFormBorderStyle::bsSizeable,
                         Bounds(100, 100, 800, 600));
    session.desktop().maximize(wnd);
    ASSERT_TRUE(win::IsZoomed(wnd));
    const RECT before = WindowRectOf(wnd);
    session.desktop().clearRecords();
    form.Requests.clear();
    PlaceForm(&form, rpTopLeft, true, 640, 480);
    EXPECT_EQ(session.Count("MoveWindow"), 0);
    EXPECT_TRUE(form.Requests.empty());
    EXPECT_EQ(WindowRectOf(wnd), before);
  }
}

TEST(PlaceForm, ComposedWindowWithoutInvisibleFrameUsesPlainColumns) {
  struct Case {
    TResizeFormPos pos;
    POINT expected;
  };
  for (const Case& c :
       {Case{rpTopLeft, POINT{0, 0}}, Case{rpMiddleCenter, POINT{560, 220}},
        Case{rpBottomRight, POINT{1120, 440}}}) {
    SCOPED_TRACE(static_cast<int>(c.pos));
    UnitSession session(Desk());
    ProbeForm form(nullptr);
    Open(session, form, TFormBorderStyle::bsSingle, Bounds(100, 100, 400, 300));
    PlaceForm(&form, c.pos, true, 800, 600);
    ASSERT_EQ(form.Requests.size(), 1u);
    EXPECT_EQ(form.Requests.front(),
              Bounds(c.expected.x, c.expected.y, 800, 600));
  }
}

// ---- SetFormPos

TEST(PlaceForm, FormPosAtRunTimePlacesTheFormAtItsCurrentSize) {
  struct Case {
    const char* name;
    DesktopConfig config;
    RECT start;
    TResizeFormPos pos;
    RECT expected;
  };
  const Case cases[] = {
      {"middle center", Plain(), Bounds(100, 100, 800, 600), rpMiddleCenter,
       Bounds(560, 220, 800, 600)},
      {"bottom right with margins", Desk(), Bounds(100, 100, 800, 600),
       rpBottomRight, Bounds(1127, 447, 800, 600)},
      {"top left under a top bar", Plain(TaskbarEdge::Top),
       Bounds(300, 300, 640, 480), rpTopLeft, Bounds(0, 40, 640, 480)},
      {"on a secondary monitor", WithMonitor(Plain(), kRight1280),
       Bounds(2000, 300, 640, 480), rpBottomRight, Bounds(2560, 544, 640, 480)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UnitSession session(c.config);
    ProbeForm form(nullptr);
    auto* flex = new TFlexarium(&form);
    win::HWND wnd = Open(session, form, TFormBorderStyle::bsSizeable, c.start);
    flex->SetFormPos(c.pos);
    EXPECT_EQ(flex->FormPos(), c.pos);
    EXPECT_EQ(session.Count("MoveWindow", wnd), 1);
    EXPECT_EQ(WindowRectOf(wnd), c.expected);
  }
}

TEST(PlaceForm, AssigningTheCurrentFormPosAgainDoesNothing) {
  for (TResizeFormPos pos : {rpDefault, rpMiddleCenter}) {
    SCOPED_TRACE(static_cast<int>(pos));
    UnitSession session(Plain());
    ProbeForm form(nullptr);
    auto* flex = new TFlexarium(&form);
    win::HWND wnd = Open(session, form, TFormBorderStyle::bsSizeable,
                         Bounds(100, 100, 800, 600));
    flex->SetFormPos(pos);
    // Moved by hand since: assigning the same value does not put it back.
    win::MoveWindow(wnd, 5, 5, 800, 600, win::TRUE);
    session.desktop().clearRecords();
    flex->SetFormPos(pos);
    EXPECT_TRUE(session.desktop().calls().empty());
    EXPECT_EQ(WindowRectOf(wnd), Bounds(5, 5, 800, 600));
  }
}

TEST(PlaceForm, FormPosAtDesignTimeIsOnlyStored) {
  UnitSession session(Plain());
  ProbeForm form(nullptr);
  form.SetDesigning(true);
  auto* flex = new TFlexarium(&form);
  session.desktop().clearRecords();
  flex->SetFormPos(rpBottomRight);
  EXPECT_EQ(flex->FormPos(), rpBottomRight);
  EXPECT_FALSE(form.HandleAllocated());
  EXPECT_TRUE(session.desktop().calls().empty());
}

TEST(PlaceForm, FormPosReadFromAFormFilePlacesTheFormAtOnce) {
  struct Case {
    const char* pos;
    bool placed;
  };
  for (const Case& c :
       {Case{"rpBottomRight", true}, Case{"rpDefault", false}}) {
    SCOPED_TRACE(c.pos);
    UnitSession session(Plain());
    const std::string text = std::string(R"(object PlacedForm: TPlacedForm
  Left = 40
  Top = 30
  BorderStyle = bsSingle
  ClientHeight = 400
  ClientWidth = 600
  object Flexarium1: TFlexarium
    FormPos = )") + c.pos + R"(
    FormWidth = 0
    FormHeight = 0
  end
end
)";
    auto root = LoadFormText(text, "placed.dfm");
    auto* form = dynamic_cast<TForm*>(root.get());
    ASSERT_NE(form, nullptr);
    const RECT r = WindowRectOf(form->Handle());
    if (c.placed) {
      EXPECT_EQ(r.right, 1920);
      EXPECT_EQ(r.bottom, 1040);
    } else {
      EXPECT_EQ(r.left, 40);
      EXPECT_EQ(r.top, 30);
    }
  }
}

TEST(PlaceForm, FormPosOnAnOwnerWithoutAWindowOnlyStores) {
  UnitSession session(Desk());
  TComponent owner(nullptr);
  auto* f = new TFlexarium(&owner);
  session.desktop().clearRecords();
  f->SetFormPos(rpMiddleCenter);
  EXPECT_EQ(f->FormPos(), rpMiddleCenter);
  EXPECT_EQ(session.Count("MoveWindow"), 0);
  EXPECT_EQ(session.Count("GetWindowRect"), 0);
}

// ---- First show

class FirstShow : public FlexTest {};

TEST_F(FirstShow, PlacesTheFormAtItsStartSizeOnce) {
  load(FormText("",
                "    FormPos = rpMiddleCenter\n    FormWidth = 800\n"
                "    FormHeight = 600\n"));
  form().Show();
  RECT r = windowRect();
  EXPECT_EQ(r.right - r.left, 800);
  EXPECT_EQ(r.bottom - r.top, 600);
  EXPECT_TRUE(A::IsResized(flex()));
  // Hidden and shown again after a pass: not placed again.
  win::MoveWindow(wnd(), 5, 5, 700, 500, win::TRUE);
  form().Hide();
  form().Show();
  r = windowRect();
  EXPECT_EQ(r.left, 5);
  EXPECT_EQ(r.right - r.left, 700);
}

// The start size goes no further than the usable area; it is FormWidth x
// FormHeight only when both are set, the window's own size otherwise.
TEST_F(FirstShow, StartSizeNeedsBothValuesAndIsCappedToTheUsableArea) {
  struct Case {
    const char* name;
    int formWidth, formHeight;
    RECT before;  // the window's outer size before the first show
    int width, height;
  };
  const Case cases[] = {
      {"both set", 800, 600, Bounds(0, 0, 500, 400), 800, 600},
      {"both larger than the area", 3000, 2000, Bounds(0, 0, 500, 400), 1920,
       1040},
      {"only the width set", 800, 0, Bounds(0, 0, 500, 400), 500, 400},
      {"only the height set", 0, 600, Bounds(0, 0, 500, 400), 500, 400},
      {"none set, the window wider than the area", 0, 0,
       Bounds(0, 0, 2500, 300), 1920, 300},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    load(FormText("", "    FormWidth = " + std::to_string(c.formWidth) +
                          "\n    FormHeight = " + std::to_string(c.formHeight) +
                          "\n"));
    // Sized with the component off: a pass would count as the first.
    flex().SetEnabled(false);
    win::MoveWindow(wnd(), c.before.left, c.before.top,
                    c.before.right - c.before.left,
                    c.before.bottom - c.before.top, win::TRUE);
    flex().SetEnabled(true);
    form().Show();
    const RECT r = windowRect();
    EXPECT_EQ(r.right - r.left, c.width);
    EXPECT_EQ(r.bottom - r.top, c.height);
    root.reset();
  }
}

// A minimised form, or an MDI child that is not in its normal state, is
// neither sized nor placed when shown.
TEST_F(FirstShow, ABusyFormIsNotPlaced) {
  for (const BusyState& c : kBusyStates) {
    SCOPED_TRACE(c.name);
    load(FormText("",
                  "    FormPos = rpTopLeft\n    FormWidth = 800\n"
                  "    FormHeight = 600\n"));
    flex().SetEnabled(false);  // no pass before the first show
    win::MoveWindow(wnd(), 300, 200, 500, 400, win::TRUE);
    if (c.minimised) desktop->minimize(wnd());
    flex().SetEnabled(true);
    form().SetFormStyle(c.style);
    form().SetWindowState(c.state);  // not shown yet: only the flag
    desktop->clearRecords();
    win::SendMessageW(wnd(), win::WM_SHOWWINDOW, win::TRUE, 0);
    int moves = 0;
    for (const auto& call : desktop->calls()) {
      moves += call.op == "MoveWindow" ? 1 : 0;
    }
    EXPECT_EQ(moves, c.busy ? 0 : 1);
    root.reset();
  }
}

}  // namespace
}  // namespace flx
