// The aspect-ratio lock (KeepAspect): a dragged edge or corner keeps the
// design client aspect ratio (a side edge drives the height, a top or
// bottom edge the width, a corner the larger change), within the minimum
// and maximum sizes and the usable area; a maximised form keeps it too,
// centred in the usable area. The correction happens in WM_SIZING, so the
// pass sees equal factors on its first WM_SIZE.
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "dpi_fixture.h"
#include "flexarium_fixture.h"

namespace flx {
namespace {

struct Client {
  int width, height;
  bool operator==(const Client& o) const {
    return width == o.width && height == o.height;
  }
};
std::ostream& operator<<(std::ostream& os, const Client& c) {
  return os << c.width << "x" << c.height;
}

// FormText with the component's properties and this design client size.
std::string DesignedAs(const std::string& flexProps, long long w, long long h) {
  std::string text = FormText("", flexProps);
  for (const auto& [line, by] :
       {std::pair{std::string("DesignFrmW = 800"),
                  "DesignFrmW = " + std::to_string(w)},
        std::pair{std::string("DesignFrmH = 600"),
                  "DesignFrmH = " + std::to_string(h)}}) {
    const std::size_t at = text.find(line);
    EXPECT_NE(at, std::string::npos) << line;
    if (at != std::string::npos) text.replace(at, line.size(), by);
  }
  return text;
}

class AspectLock : public OnBothPaths {
 protected:
  Client clientSize() {
    win::RECT c{};
    win::GetClientRect(wnd(), &c);
    return {c.right - c.left, c.bottom - c.top};
  }
  // Records the factors of every pass.
  void watch() {
    flex().SetOnExitResize({[this](TObject*, double x, double y) {
                              factors.push_back({x, y});
                            },
                            ""});
  }
  std::vector<std::pair<double, double>> factors;
};

TEST_P(AspectLock, TheDraggedEdgeDecidesAndTheOppositeEdgesStay) {
  struct Case {
    win::WPARAM edge;
    int dx, dy;
    Client expected;
    bool leftMoves, topMoves;
  } cases[] = {
      {win::WMSZ_RIGHT, 200, 0, {1000, 750}, false, false},
      {win::WMSZ_LEFT, -80, 0, {880, 660}, true, false},
      {win::WMSZ_BOTTOM, 0, 150, {1000, 750}, false, false},
      {win::WMSZ_TOP, 0, -30, {840, 630}, false, true},
      {win::WMSZ_BOTTOMRIGHT, 200, 30, {1000, 750}, false, false},
      {win::WMSZ_BOTTOMRIGHT, 20, 150, {1000, 750}, false, false},
      {win::WMSZ_TOPLEFT, -100, -10, {900, 675}, true, true},
      {win::WMSZ_BOTTOMLEFT, 40, -300, {400, 300}, true, false},
      {win::WMSZ_RIGHT, -399, 0, {401, 301}, false, false},  // half up
  };
  for (const Case& c : cases) {
    load(FormText("", "    KeepAspect = True\n"));
    form().Show();
    watch();
    const win::RECT before = windowRect();
    desktop->dragEdge(wnd(), c.edge, c.dx, c.dy);
    const win::RECT after = windowRect();
    EXPECT_EQ(clientSize(), c.expected) << c.edge << " " << c.dx << "," << c.dy;
    // The edges opposite the dragged ones stay where they were.
    EXPECT_EQ(c.leftMoves ? after.right : after.left,
              c.leftMoves ? before.right : before.left)
        << c.edge;
    EXPECT_EQ(c.topMoves ? after.bottom : after.top,
              c.topMoves ? before.bottom : before.top)
        << c.edge;
    ASSERT_FALSE(factors.empty());
    EXPECT_NEAR(factors.back().first, factors.back().second, 0.002);
    root.reset();
    factors.clear();
  }
}

TEST_P(AspectLock, ADragOfManySmallMovesEndsAsOneLongMove) {
  // The corner goes 200 right and 40 down in ten moves, each proposing the
  // dragged edges where the pointer is: over the whole drag the width
  // changes more, though against the size the moves before gave it the
  // last proposal changes the height more.
  load(FormText("", "    KeepAspect = True\n"));
  form().Show();
  const win::RECT start = windowRect();
  win::SendMessageW(wnd(), win::WM_ENTERSIZEMOVE, 0, 0);
  win::RECT r = start;
  for (int i = 1; i <= 10; ++i) {
    r.right = start.right + (i < 10 ? 20 * i : 200);
    r.bottom = start.bottom + (i < 10 ? 0 : 40);
    win::SendMessageW(wnd(), win::WM_SIZING, win::WMSZ_BOTTOMRIGHT,
                      reinterpret_cast<win::LPARAM>(&r));
    win::MoveWindow(wnd(), r.left, r.top, r.right - r.left, r.bottom - r.top,
                    win::TRUE);
    r = windowRect();
  }
  win::SendMessageW(wnd(), win::WM_EXITSIZEMOVE, 0, 0);
  EXPECT_EQ(clientSize(), (Client{1000, 750}));
}

TEST_P(AspectLock, StaysWithinTheMinimumAndMaximumSizes) {
  // Outer limits: the frame (nc) comes on top of the client.
  load(FormText("",
                "    FormMinWidth = 500\n    FormMinHeight = 300\n"
                "    FormMaxWidth = 1100\n    FormMaxHeight = 900\n"
                "    KeepAspect = True\n"));
  form().Show();
  const win::RECT w = windowRect();
  const Client now = clientSize();
  const int ncx = (w.right - w.left) - now.width;
  const int ncy = (w.bottom - w.top) - now.height;
  desktop->dragEdge(wnd(), win::WMSZ_RIGHT, 2000, 0);
  Client big = clientSize();
  EXPECT_LE(big.width + ncx, 1100);
  EXPECT_LE(big.height + ncy, 900);
  EXPECT_EQ(big.width, 1100 - ncx);  // the width limit is the tighter one
  EXPECT_EQ(big.height, (big.width * 3 + 2) / 4);
  desktop->dragEdge(wnd(), win::WMSZ_BOTTOM, 0, -2000);
  Client small = clientSize();
  EXPECT_GE(small.width + ncx, 500);
  EXPECT_GE(small.height + ncy, 300);
  EXPECT_EQ(small.width * 3, small.height * 4) << small;
}

// Design metrics at the ends of what a form file can hold: the ratio's
// products pass 64 bits and are reduced, never wrapped (the sanitizer
// build stops at an overflow). Here the ratio is 1 to within 10^-8.
TEST_P(AspectLock, DesignMetricsAtTheIntegerLimitsKeepTheirRatio) {
  load(
      "object MainForm: TMainForm\n"
      "  Left = 100\n  Top = 100\n  ClientHeight = 600\n"
      "  ClientWidth = 800\n"
      "  object Flexarium1: TFlexarium\n    KeepAspect = True\n"
      "    DesignFrmW = 2147483647\n    DesignFrmH = 2147483646\n"
      "    DesignDpiW = 2147483647\n    DesignDpiH = 2147483629\n"
      "  end\nend\n");
  form().Show();
  for (const auto& [edge, dx, dy] :
       {std::tuple{win::WMSZ_RIGHT, 200, 0}, std::tuple{win::WMSZ_TOP, 0, -100},
        std::tuple{win::WMSZ_BOTTOMLEFT, -50, 40}}) {
    desktop->dragEdge(wnd(), edge, dx, dy);
    const Client c = clientSize();
    EXPECT_EQ(c.width, c.height) << edge;
    EXPECT_GT(c.width, 1) << edge;
  }
}

TEST_P(AspectLock, WithoutItTheDragIsFree) {
  load(FormText(""));
  form().Show();
  desktop->dragEdge(wnd(), win::WMSZ_RIGHT, 200, 0);
  EXPECT_EQ(clientSize(), (Client{1000, 600}));
}

TEST_P(AspectLock, AMaximisedFormKeepsTheRatioCentredInTheUsableArea) {
  // Where the form goes maximised without the lock.
  load(FormText(""));
  form().Show();
  desktop->maximize(wnd());
  const win::RECT free = windowRect();
  root.reset();
  load(FormText("", "    KeepAspect = True\n"));
  form().Show();
  watch();
  desktop->maximize(wnd());
  const Client c = clientSize();
  const win::RECT w = windowRect();
  // The height decides (1920 x 1040 usable), and the ratio is kept to the
  // pixel.
  EXPECT_EQ(w.bottom - w.top, free.bottom - free.top);
  EXPECT_LT(w.right - w.left, free.right - free.left);
  EXPECT_EQ(c.width, (c.height * 4 + 1) / 3) << c;
  EXPECT_NEAR(w.left + w.right, free.left + free.right, 1);
  EXPECT_EQ(w.top, free.top);
  ASSERT_FALSE(factors.empty());
  EXPECT_NEAR(factors.back().first, factors.back().second, 0.002);
}

TEST_P(AspectLock, AMinimisedFormMaximisedKeepsTheRatio) {
  // Maximised from its normal state and straight from minimised: the same
  // window, at equal factors.
  struct Route {
    const char* name;
    bool viaMinimised;
  } routes[] = {{"from normal", false}, {"from minimised", true}};
  win::RECT fromNormal{};
  for (const Route& r : routes) {
    load(FormText("", "    KeepAspect = True\n"));
    form().Show();
    if (r.viaMinimised) desktop->minimize(wnd());
    watch();
    desktop->maximize(wnd());
    ASSERT_TRUE(win::IsZoomed(wnd())) << r.name;
    ASSERT_FALSE(factors.empty()) << r.name;
    EXPECT_NEAR(factors.back().first, factors.back().second, 0.002) << r.name;
    const win::RECT w = windowRect();
    if (!r.viaMinimised) {
      fromNormal = w;
    } else {
      EXPECT_EQ(w.left, fromNormal.left);
      EXPECT_EQ(w.top, fromNormal.top);
      EXPECT_EQ(w.right, fromNormal.right);
      EXPECT_EQ(w.bottom, fromNormal.bottom);
    }
    root.reset();
    factors.clear();
  }
}

// The smallest window the system allows is one more minimum: a drag down
// to it keeps the ratio rather than being widened or heightened after the
// correction.
TEST_P(AspectLock, TheSystemsMinimumTrackingSizeIsAMinimum) {
  const win::POINT track{win::GetSystemMetrics(win::SM_CXMINTRACK),
                         win::GetSystemMetrics(win::SM_CYMINTRACK)};
  // 8:5, whose smallest window the tracking height decides (a corner drag
  // that shrinks the height more); 8:1, whose smallest the tracking width
  // decides.
  struct Case {
    int designW, designH;
    win::WPARAM edge;
    int dx, dy;
  } cases[] = {{640, 400, win::WMSZ_BOTTOMRIGHT, 466, -341},
               {640, 400, win::WMSZ_TOP, 0, 2000},
               {800, 100, win::WMSZ_BOTTOMRIGHT, -932, -341},
               {800, 100, win::WMSZ_BOTTOMRIGHT, -1000, -1000},
               {800, 100, win::WMSZ_LEFT, 2000, 0},
               {800, 100, win::WMSZ_TOP, 0, 2000}};
  for (const Case& c : cases) {
    load(DesignedAs("    KeepAspect = True\n", c.designW, c.designH));
    form().Show();
    watch();
    desktop->dragEdge(wnd(), c.edge, c.dx, c.dy);
    const win::RECT w = windowRect();
    const Client now = clientSize();
    EXPECT_GE(w.right - w.left, track.x) << c.edge;
    EXPECT_GE(w.bottom - w.top, track.y) << c.edge;
    EXPECT_EQ(now.height,
              (2LL * now.width * c.designH + c.designW) / (2LL * c.designW))
        << now << " " << c.designW << ":" << c.designH << " " << c.edge;
    ASSERT_FALSE(factors.empty());
    EXPECT_NEAR(factors.back().first, factors.back().second, 0.01) << c.edge;
    root.reset();
    factors.clear();
  }
}

// A minimum height whose ratio width falls between two pixels: the width
// is rounded up to the first whose height reaches the minimum, as the
// maximum's is rounded down, over a sweep of drags.
TEST_P(AspectLock, TheMinimumIsNeverUndershotByRounding) {
  struct Design {
    int w, h, minW, minH;
  } designs[] = {{200, 600, 100, 439},
                 {640, 400, 300, 301},
                 {7, 3, 200, 151},
                 {1000, 999, 120, 333}};
  for (const Design& d : designs) {
    const std::string text =
        DesignedAs("    FormMinWidth = " + std::to_string(d.minW) +
                       "\n    FormMinHeight = " + std::to_string(d.minH) +
                       "\n    KeepAspect = True\n",
                   d.w, d.h);
    for (const auto& [edge, dx, dy] :
         {std::tuple{win::WMSZ_BOTTOM, 0, -2000},
          std::tuple{win::WMSZ_TOP, 0, 2000},
          std::tuple{win::WMSZ_RIGHT, -2000, 0},
          std::tuple{win::WMSZ_BOTTOMLEFT, 2000, -1500}}) {
      load(text);
      form().Show();
      desktop->dragEdge(wnd(), edge, dx, dy);
      const win::RECT w = windowRect();
      EXPECT_GE(w.right - w.left, d.minW) << d.w << ":" << d.h << " " << edge;
      EXPECT_GE(w.bottom - w.top, d.minH) << d.w << ":" << d.h << " " << edge;
      // The ratio kept: the height is the width's, half up.
      const Client c = clientSize();
      EXPECT_EQ(c.height, (2LL * c.width * d.h + d.w) / (2LL * d.w))
          << c << " " << d.w << ":" << d.h << " " << edge;
      root.reset();
    }
  }
}

// A ratio no window within the usable area can show (1:5000 on a screen
// 1080 high): the window stays within the area and the ratio is given up,
// the dragged edge going where it was dragged. The products of the largest
// design metrics must not overflow anywhere on the way (the sanitizer
// build stops at an overflow).
TEST_P(AspectLock, ARatioThatCannotFitGivesWayToTheUsableArea) {
  // The usable area: where a form without the lock goes maximised.
  load(FormText(""));
  form().Show();
  desktop->maximize(wnd());
  const Client free = clientSize();
  root.reset();
  struct Case {
    const char* name;
    int designW, designH;
  } cases[] = {{"1:5000", 1, 5000},
               {"1:Integer maximum", 1, 2147483647},
               {"Integer maximum:1", 2147483647, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string text =
        DesignedAs("    KeepAspect = True\n", c.designW, c.designH);
    for (const auto& [edge, dx, dy] :
         {std::tuple{win::WMSZ_TOP, 0, 1}, std::tuple{win::WMSZ_RIGHT, 50, 0},
          std::tuple{win::WMSZ_BOTTOMLEFT, -30, 20}}) {
      load(text);
      form().Show();
      const win::RECT before = windowRect();
      desktop->dragEdge(wnd(), edge, dx, dy);
      const win::RECT w = windowRect();
      EXPECT_LE(w.right - w.left, free.width) << edge;
      EXPECT_LE(w.bottom - w.top, free.height) << edge;
      EXPECT_GE(w.top, 0) << edge;
      EXPECT_LE(w.bottom, free.height) << edge;
      // Given up, the drag is as without the lock.
      const bool l = edge == win::WMSZ_BOTTOMLEFT, t = edge == win::WMSZ_TOP;
      EXPECT_EQ(w.left, before.left + (l ? dx : 0)) << edge;
      EXPECT_EQ(w.top, before.top + (t ? dy : 0)) << edge;
      EXPECT_EQ(w.right, before.right + (edge == win::WMSZ_RIGHT ? dx : 0))
          << edge;
      EXPECT_EQ(w.bottom, before.bottom + (l ? dy : 0)) << edge;
      root.reset();
    }
    // Maximised, the form fills the usable area as without the lock.
    load(text);
    form().Show();
    desktop->maximize(wnd());
    EXPECT_EQ(clientSize(), free);
    root.reset();
  }
}

INSTANTIATE_TEST_SUITE_P(Paths, AspectLock, ::testing::ValuesIn(kBothPaths),
                         PathName);

// ---- On monitors of their own DPI

// file_browser.dfm (KeepAspect, 640 x 400 at 96 DPI) with these property
// lines changed.
std::string Browser(
    const std::vector<std::pair<std::string, std::string>>& lines) {
  std::ifstream in(dpitest::ExampleForm("file_browser.dfm"));
  std::stringstream text;
  text << in.rdbuf();
  std::string s = text.str();
  for (const auto& [name, value] : lines) {
    const std::string key = "    " + name + " = ";
    const std::size_t at = s.find(key);
    EXPECT_NE(at, std::string::npos) << name;
    if (at == std::string::npos) continue;
    s.replace(at, s.find('\n', at) - at, key + value);
  }
  return s;
}

// Out of line: g++ 12 sees the default monitors' list as uninitialised once
// it inlines the configuration into a test.
[[gnu::noinline]] sim::DesktopConfig OneMonitor(int dpi) {
  sim::DesktopConfig c;
  c.dpiX = c.dpiY = dpi;
  c.monitors.clear();
  c.monitors.push_back(dpitest::Monitor(0, 0, 1920, 1080, dpi, true));
  c.awareness = sim::DpiAwareness::PerMonitor;
  return c;
}

[[gnu::noinline]] sim::DesktopConfig TwoMonitors(int firstDpi, int secondDpi,
                                                 int secondW, int secondH) {
  sim::DesktopConfig c;
  c.dpiX = c.dpiY = firstDpi;
  c.monitors.clear();
  c.monitors.push_back(dpitest::Monitor(0, 0, 1920, 1080, firstDpi, true));
  c.monitors.push_back(dpitest::Monitor(1920, 0, secondW, secondH, secondDpi));
  c.awareness = sim::DpiAwareness::PerMonitor;
  return c;
}

// The size limits the lock holds a drag to are those the drag is held to
// without it: pixels at the start-up DPI, scaled to the current one.
TEST(AspectLockDpi, TheLimitsAreScaledForTheCurrentDpi) {
  const std::string text = Browser({{"FormMaxWidth", "1000"},
                                    {"FormMaxHeight", "700"},
                                    {"FormMinWidth", "500"},
                                    {"FormMinHeight", "340"}});
  struct Case {
    const char* name;
    sim::DesktopConfig config;
    win::WPARAM edge;
    int dx;
    int wantW, wantH;  // outer
  } cases[] = {
      // The maximum is 2000 x 1400 at 192 DPI: widening grows the form.
      {"widened at twice the start-up DPI", TwoMonitors(96, 192, 3840, 2160),
       win::WMSZ_RIGHT, 400, 1712, 1128},
      // The minimum is 333 x 227 at 96 DPI, started at 144.
      {"narrowed at two thirds of it", TwoMonitors(144, 96, 1920, 1080),
       win::WMSZ_LEFT, 100, 343, 243},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    dpitest::Desk desk(c.config);
    desk.loadText(text).Show();
    const win::RECT r = desk.windowRect();
    win::MoveWindow(desk.wnd(), 2000, 100, r.right - r.left, r.bottom - r.top,
                    win::TRUE);
    ASSERT_EQ(desk.flex().CurrentDpi(), c.config.monitors[1].dpi);
    desk.d().dragEdge(desk.wnd(), c.edge, c.dx, 0);
    const win::RECT w = desk.windowRect();
    EXPECT_EQ(w.right - w.left, c.wantW);
    EXPECT_EQ(w.bottom - w.top, c.wantH);
  }
}

// A maximised form whose monitor changes its scale is the form maximised
// afresh at the new DPI: the ratio kept, centred in the usable area.
TEST(AspectLockDpi, AMaximisedFormKeepsTheRatioThroughADpiChange) {
  const std::string text = Browser({});
  for (const int dpi : {144, 120, 192}) {
    SCOPED_TRACE(dpi);
    win::RECT fresh{};
    {
      dpitest::Desk desk(OneMonitor(dpi));
      desk.loadText(text).Show();
      desk.d().maximize(desk.wnd());
      fresh = desk.windowRect();
    }
    dpitest::Desk desk(OneMonitor(96));
    desk.loadText(text).Show();
    desk.d().maximize(desk.wnd());
    std::vector<std::pair<double, double>> factors;
    desk.flex().SetOnExitResize({[&](TObject*, double x, double y) {
                                   factors.push_back({x, y});
                                 },
                                 ""});
    ASSERT_TRUE(desk.d().setMonitorDpi(0, dpi));
    ASSERT_TRUE(win::IsZoomed(desk.wnd()));
    const win::RECT w = desk.windowRect();
    EXPECT_EQ(w.left, fresh.left);
    EXPECT_EQ(w.top, fresh.top);
    EXPECT_EQ(w.right, fresh.right);
    EXPECT_EQ(w.bottom, fresh.bottom);
    ASSERT_FALSE(factors.empty());
    EXPECT_NEAR(factors.back().first, factors.back().second, 0.002);
  }
}

}  // namespace
}  // namespace flx
