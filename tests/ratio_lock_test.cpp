// The aspect-ratio lock (KeepAspect): a dragged edge or corner keeps the
// design client aspect ratio (a side edge drives the height, a top or
// bottom edge the width, a corner the larger change), within the minimum
// and maximum sizes and the usable area; a maximised form keeps it too,
// centred in the usable area. The correction happens in WM_SIZING, so the
// pass sees equal factors on its first WM_SIZE.
#include <string>
#include <tuple>
#include <vector>

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

INSTANTIATE_TEST_SUITE_P(Paths, AspectLock, ::testing::ValuesIn(kBothPaths),
                         PathName);

}  // namespace
}  // namespace flx
