// The form's size limits in force: a drag stops at the minimum and maximum
// outer sizes, and a maximised form takes the maximum size and stays inside
// the usable area.
#include <vector>

#include "flexarium_fixture.h"

namespace flx {
namespace {

using A = TFlexariumAccess;
using win::RECT;

// ---- Dragging

class SizeLimits : public OnBothPaths {};

TEST_P(SizeLimits, DragLimitsMoveOnlyTheRightAndBottomEdges) {
  load(FormText(Button("B", 10, 10, 75, 25),
                "    FormMaxWidth = 1000\n    FormMaxHeight = 800\n"
                "    FormMinWidth = 400\n    FormMinHeight = 300\n"));
  form().Show();
  RECT r = windowRect();
  int width = r.right - r.left;
  desktop->dragEdge(wnd(), win::WMSZ_LEFT, width - 300, 0);
  RECT after = windowRect();
  EXPECT_EQ(after.left, r.left + width - 300);  // where the user put it
  EXPECT_EQ(after.right - after.left, 400);     // the right edge pushed out
  // The system stops a drag at the tracking limits the form reports...
  desktop->dragEdge(wnd(), win::WMSZ_BOTTOMRIGHT, 2000, 2000);
  after = windowRect();
  EXPECT_EQ(after.right - after.left, 1000);
  EXPECT_EQ(after.bottom - after.top, 800);
  // ...and WM_SIZING itself always moves the right and bottom edges.
  struct Case {
    win::RECT proposed, expected;
  };
  for (Case c : {Case{{500, 50, 1800, 900}, {500, 50, 1500, 850}},
                 Case{{500, 50, 700, 200}, {500, 50, 900, 350}},
                 Case{{500, 50, 1100, 500}, {500, 50, 1100, 500}}}) {
    win::RECT rc = c.proposed;
    win::SendMessageW(wnd(), win::WM_SIZING, win::WMSZ_LEFT,
                      reinterpret_cast<win::LPARAM>(&rc));
    EXPECT_TRUE(win::EqualRect(&rc, &c.expected))
        << rc.left << "," << rc.top << "," << rc.right << "," << rc.bottom;
  }
}

TEST_P(SizeLimits, AMaximumNeedsBothValues) {
  load(FormText(Button("B", 10, 10, 75, 25), "    FormMaxWidth = 500\n"));
  form().Show();
  desktop->dragEdge(wnd(), win::WMSZ_RIGHT, 900, 0);
  RECT r = windowRect();
  EXPECT_GT(r.right - r.left, 500);
}

// A form larger than its maximum when first shown: the component places it
// while WM_SHOWWINDOW is handled, and the limit comes with the
// WM_GETMINMAXINFO sent from inside that handling (on Windows 4.x from
// inside the hook, which the message reaches again). The size change made
// there is rescaled too.
TEST_P(SizeLimits, TheFirstShowIsHeldToTheMaximumSize) {
  load(FormText(Button("B", 100, 100, 80, 20),
                "    FormPos = rpTopLeft\n"
                "    FormMaxWidth = 600\n    FormMaxHeight = 400\n"));
  form().Show();
  RECT r = windowRect();
  EXPECT_EQ(r.right - r.left, 600);
  EXPECT_EQ(r.bottom - r.top, 400);
  RECT c{};
  win::GetClientRect(wnd(), &c);
  EXPECT_EQ(ctl("B").Left(), (100 * c.right + 400) / 800);
  EXPECT_EQ(ctl("B").Width(), (80 * c.right + 400) / 800);
}

// An application that resizes its form from OnExitResize, which the
// component raises inside the WM_SIZE it handles: the nested size change
// gets a pass of its own, and the controls follow the final size.
TEST_P(SizeLimits, ASizeChangeMadeInsideAHandledMessageIsRescaled) {
  load(FormText(Button("B", 100, 100, 80, 20)));
  form().Show();
  int passes = 0;
  TExitResizeEvent keepAspect;
  keepAspect.Code = [&](TObject*, double, double) {
    if (++passes == 1) client(800, 600);
  };
  flex().SetOnExitResize(std::move(keepAspect));
  client(1000, 600);
  RECT c{};
  win::GetClientRect(wnd(), &c);
  EXPECT_EQ(c.right, 800);
  EXPECT_EQ(passes, 2);
  EXPECT_EQ(ctl("B").Left(), 100);
  EXPECT_EQ(ctl("B").Width(), 80);
}

INSTANTIATE_TEST_SUITE_P(Paths, SizeLimits, ::testing::ValuesIn(kBothPaths),
                         PathName);

// ---- Maximised forms

// Sends WM_GETMINMAXINFO with the system's proposal (maximised size and
// position, and the maximum tracking size when given); returns the record
// as the form's procedures left it.
win::MINMAXINFO AskMinMax(win::HWND wnd, win::POINT maxSize,
                          win::POINT maxPosition,
                          win::POINT maxTrack = {0, 0}) {
  win::MINMAXINFO info{};
  info.ptMaxSize = maxSize;
  info.ptMaxPosition = maxPosition;
  info.ptMaxTrackSize = maxTrack;
  win::SendMessageW(wnd, win::WM_GETMINMAXINFO, 0,
                    reinterpret_cast<win::LPARAM>(&info));
  return info;
}

class Maximise : public FlexTest {};

TEST_F(Maximise, MinMaxInfoWorkedExample) {
  load(FormText("", "    FormMaxWidth = 800\n    FormMaxHeight = 600\n"));
  form().Show();
  win::MoveWindow(wnd(), 1500, 100, 500, 400, win::TRUE);
  const win::MINMAXINFO info = AskMinMax(wnd(), {1936, 1056}, {-8, -8});
  EXPECT_EQ(info.ptMaxSize.x, 800);
  EXPECT_EQ(info.ptMaxSize.y, 600);
  EXPECT_EQ(info.ptMaxTrackSize.x, 800);
  EXPECT_EQ(info.ptMaxPosition.x, 1120);
  EXPECT_EQ(info.ptMaxPosition.y, 100);
}

TEST_F(Maximise, WithoutAMaximumTheUsableAreaIsTheLimit) {
  load(FormText(""));
  form().Show();
  const win::MINMAXINFO info = AskMinMax(wnd(), {1936, 1056}, {-8, -8});
  EXPECT_EQ(info.ptMaxSize.x, 1920);
  EXPECT_EQ(info.ptMaxSize.y, 1040);
  EXPECT_EQ(info.ptMaxPosition.x, -8);  // the system's proposal stays
}

TEST_F(Maximise, AMaximisedFormIsKeptInsideTheUsableArea) {
  load(FormText("", "    FormMaxWidth = 600\n    FormMaxHeight = 500\n"));
  form().Show();
  win::MoveWindow(wnd(), 1500, 100, 600, 500, win::TRUE);
  win::RECT c{};
  win::GetClientRect(wnd(), &c);
  win::SendMessageW(wnd(), win::WM_SIZE, win::SIZE_MAXIMIZED,
                    win::MAKELPARAM(c.right, c.bottom));
  RECT r = windowRect();
  EXPECT_EQ(r.left, 1320);
  EXPECT_EQ(r.top, 100);
  EXPECT_EQ(r.right - r.left, 600);
}

TEST_F(Maximise, MaximiseAndRestoreRescaleAndComeBack) {
  load(FormText(Button("B", 100, 100, 75, 25)));
  form().Show();
  Bounds before = boundsOf(ctl("B"));
  desktop->maximize(wnd());
  EXPECT_TRUE(win::IsZoomed(wnd()));
  EXPECT_GT(ctl("B").Width(), 75);
  desktop->restore(wnd());
  EXPECT_EQ(boundsOf(ctl("B")), before);
}

// A minimised form, or an MDI child not in its normal state, gets the
// system's proposal untouched.
TEST_F(Maximise, ABusyFormLeavesMinMaxInfoAlone) {
  for (const BusyState& c : kBusyStates) {
    SCOPED_TRACE(c.name);
    load(FormText("", "    FormMaxWidth = 800\n    FormMaxHeight = 600\n"));
    form().Show();
    if (c.minimised) desktop->minimize(wnd());
    form().SetFormStyle(c.style);
    if (!c.minimised) {
      form().Hide();  // the state is only stored while hidden
      form().SetWindowState(c.state);
    }
    const win::MINMAXINFO info =
        AskMinMax(wnd(), {1936, 1056}, {-8, -8}, {5000, 5000});
    EXPECT_EQ(info.ptMaxSize.x, c.busy ? 1936 : 800);
    EXPECT_EQ(info.ptMaxTrackSize.x, c.busy ? 5000 : 800);
    root.reset();
  }
}

// A negative proposed size widens the usable area by as much.
TEST_F(Maximise, ANegativeProposalWidensTheLimit) {
  load(FormText(""));
  form().Show();
  const win::MINMAXINFO info = AskMinMax(wnd(), {-10, -20}, {-8, -8});
  EXPECT_EQ(info.ptMaxSize.x, 1930);
  EXPECT_EQ(info.ptMaxSize.y, 1060);
  EXPECT_EQ(info.ptMaxTrackSize.x, 1930);
  EXPECT_EQ(info.ptMaxTrackSize.y, 1060);
}

// While maximised without a maximum size, the monitor size is measured
// afresh at every WM_GETMINMAXINFO (and only then).
TEST_F(Maximise, TheMonitorSizeIsRefreshedWhileMaximised) {
  load(FormText(""));
  form().Show();
  EXPECT_EQ(A::MaxSize(flex()).x, 1920);
  desktop->mutableConfig().monitors[0].rect = {0, 0, 1600, 900};
  win::MINMAXINFO info{};
  win::SendMessageW(wnd(), win::WM_GETMINMAXINFO, 0,
                    reinterpret_cast<win::LPARAM>(&info));
  EXPECT_EQ(A::MaxSize(flex()).x, 1920);  // not maximised: kept
  desktop->maximize(wnd());
  EXPECT_EQ(A::MaxSize(flex()).x, 1600);
  EXPECT_EQ(A::MaxSize(flex()).y, 900);
  desktop->mutableConfig().monitors[0].rect = {0, 0, 1280, 1024};
  info = {};
  info.ptMaxSize = {7, 7};
  win::SendMessageW(wnd(), win::WM_GETMINMAXINFO, 0,
                    reinterpret_cast<win::LPARAM>(&info));
  EXPECT_EQ(A::MaxSize(flex()).x, 1280);
  EXPECT_EQ(A::MaxSize(flex()).y, 1024);
  EXPECT_EQ(info.ptMaxSize.x, 7);  // the record itself is left alone
}

// The custom-style correction resizes the maximised form from inside the
// pass: the size message it causes runs a whole nested pass, which leaves
// the controls and the factors at the final client size; the outer pass
// then raises its own event.
TEST_F(Maximise, TheCustomStyleCorrectionRunsANestedPass) {
  desktop->mutableConfig().customStyle = true;
  load(FormText(Button("B", 100, 100, 75, 25)));
  form().Show();
  std::vector<double> factors;
  flex().SetOnExitResize(
      {[&](TObject*, double x, double) { factors.push_back(x); }, ""});
  desktop->maximize(wnd());
  const int cw = form().ClientWidth();
  ASSERT_EQ(factors.size(), 2u);
  EXPECT_EQ(factors[0], cw / 800.0);  // the nested pass ends first
  EXPECT_NE(factors[1], factors[0]);  // then the outer one, at its size
  EXPECT_EQ(A::PrevScaleX(flex()), cw / 800.0);
  EXPECT_EQ(ctl("B").Left(), (200 * cw + 800) / 1600);
}

// The keep-inside MoveWindow keeps the size, so it causes no pass of its
// own; where the window system changes the size on the way (here the
// form's own constraints), the size message runs a nested pass, and the
// controls end at the final client size.
TEST_F(Maximise, KeepingInsideRunsANestedPassOnlyWhenTheSizeChanges) {
  for (int constraint : {0, 550}) {
    SCOPED_TRACE(constraint);
    load(FormText(Button("B", 100, 100, 75, 25),
                  "    FormMaxWidth = 600\n    FormMaxHeight = 500\n"));
    form().Show();
    win::MoveWindow(wnd(), 1500, 100, 600, 500, win::TRUE);
    form().Constraints().MaxWidth = constraint;  // in force from now on
    int events = 0;
    flex().SetOnExitResize({[&](TObject*, double, double) { ++events; }, ""});
    win::RECT c{};
    win::GetClientRect(wnd(), &c);
    win::SendMessageW(wnd(), win::WM_SIZE, win::SIZE_MAXIMIZED,
                      win::MAKELPARAM(c.right, c.bottom));
    const RECT r = windowRect();
    EXPECT_EQ(r.left, 1320);
    EXPECT_EQ(r.right - r.left, constraint == 0 ? 600 : 550);
    EXPECT_EQ(events, constraint == 0 ? 1 : 2);
    const int cw = form().ClientWidth();
    EXPECT_EQ(ctl("B").Width(), (150 * cw + 800) / 1600);  // half up
    root.reset();
  }
}

// ---- Maximised on a monitor beside the primary

// Every rule that keeps a maximised form inside the usable area works
// relative to the monitor that shows the form, as placement does.
class MaximiseBeside : public FlexTest {
 protected:
  void SetUp() override {
    desktop->mutableConfig().monitors = {
        sim::MonitorConfig{{0, 0, 1920, 1080}, true},
        sim::MonitorConfig{{1920, 0, 3200, 1024}, false},
        sim::MonitorConfig{{-1280, 0, 0, 1024}, false}};
    FlexTest::SetUp();
  }
};

TEST_F(MaximiseBeside, MinMaxInfoPlacesTheFormOnItsOwnMonitor) {
  struct Case {
    const char* name;
    RECT frame;
    win::POINT position;
  };
  const Case cases[] = {
      {"right monitor, inside", {2000, 100, 2500, 500}, {2000, 100}},
      {"right monitor, past its right edge",
       {2900, 100, 3400, 500},
       {2400, 100}},
      {"right monitor, past its bottom edge",
       {2000, 700, 2500, 1100},
       {2000, 424}},
      {"left monitor, inside", {-1000, 100, -500, 500}, {-1000, 100}},
      {"left monitor, above its top", {-1000, -50, -500, 350}, {-1000, 0}},
      {"primary, past its right edge", {1500, 100, 2000, 500}, {1120, 100}},
  };
  load(FormText("", "    FormMaxWidth = 800\n    FormMaxHeight = 600\n"));
  form().Show();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    win::MoveWindow(wnd(), c.frame.left, c.frame.top,
                    c.frame.right - c.frame.left, c.frame.bottom - c.frame.top,
                    win::TRUE);
    const win::MINMAXINFO info = AskMinMax(wnd(), {1296, 1040}, {1912, -8});
    EXPECT_EQ(info.ptMaxSize.x, 800);
    EXPECT_EQ(info.ptMaxSize.y, 600);
    EXPECT_EQ(info.ptMaxPosition.x, c.position.x);
    EXPECT_EQ(info.ptMaxPosition.y, c.position.y);
  }
}

TEST_F(MaximiseBeside, KeepingInsideMovesWithinTheFormsMonitor) {
  struct Case {
    const char* name;
    RECT frame;
    RECT after;
  };
  const Case cases[] = {
      {"right monitor, past its right edge",
       {2900, 100, 3500, 600},
       {2600, 100, 3200, 600}},
      {"right monitor, past its bottom edge",
       {2000, 700, 2600, 1200},
       {2000, 524, 2600, 1024}},
      {"right monitor, inside: not moved",
       {2000, 100, 2600, 600},
       {2000, 100, 2600, 600}},
      {"left monitor, past its right edge",
       {-400, 100, 200, 600},
       {-600, 100, 0, 600}},
      {"primary, past its right edge",
       {1500, 100, 2100, 600},
       {1320, 100, 1920, 600}},
  };
  load(FormText("", "    FormMaxWidth = 600\n    FormMaxHeight = 500\n"));
  form().Show();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    win::MoveWindow(wnd(), c.frame.left, c.frame.top,
                    c.frame.right - c.frame.left, c.frame.bottom - c.frame.top,
                    win::TRUE);
    win::RECT client{};
    win::GetClientRect(wnd(), &client);
    win::SendMessageW(wnd(), win::WM_SIZE, win::SIZE_MAXIMIZED,
                      win::MAKELPARAM(client.right, client.bottom));
    const RECT r = windowRect();
    EXPECT_EQ(r.left, c.after.left);
    EXPECT_EQ(r.top, c.after.top);
    EXPECT_EQ(r.right, c.after.right);
    EXPECT_EQ(r.bottom, c.after.bottom);
  }
}

TEST_F(MaximiseBeside, AMaximumSizeKeepsAMaximisedFormOnItsMonitor) {
  load(FormText(Button("B", 100, 100, 75, 25),
                "    FormMaxWidth = 800\n    FormMaxHeight = 600\n"));
  form().Show();
  win::MoveWindow(wnd(), 2900, 100, 300, 300, win::TRUE);
  desktop->maximize(wnd());
  ASSERT_TRUE(win::IsZoomed(wnd()));
  const RECT r = windowRect();
  EXPECT_EQ(r.left, 2400);
  EXPECT_EQ(r.top, 100);
  EXPECT_EQ(r.right - r.left, 800);
  EXPECT_EQ(r.bottom - r.top, 600);
}

// Under a custom style a maximised form without a maximum size reaches to
// the right and bottom edges of its own monitor.
TEST_F(MaximiseBeside, CustomStyleFillsTheFormsOwnMonitor) {
  struct Case {
    const char* name;
    RECT frame;
    RECT after;
  };
  const Case cases[] = {
      {"right monitor", {2000, 100, 2500, 500}, {1912, -8, 3200, 1024}},
      {"left monitor", {-1000, 100, -500, 500}, {-1288, -8, 0, 1024}},
      {"primary", {100, 100, 600, 500}, {-8, -8, 1920, 1080}},
  };
  desktop->mutableConfig().customStyle = true;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    load(FormText(Button("B", 100, 100, 75, 25)));
    form().Show();
    win::MoveWindow(wnd(), c.frame.left, c.frame.top,
                    c.frame.right - c.frame.left, c.frame.bottom - c.frame.top,
                    win::TRUE);
    desktop->maximize(wnd());
    const RECT r = windowRect();
    EXPECT_EQ(r.left, c.after.left);
    EXPECT_EQ(r.top, c.after.top);
    EXPECT_EQ(r.right, c.after.right);
    EXPECT_EQ(r.bottom, c.after.bottom);
    root.reset();
  }
}

}  // namespace
}  // namespace flx
