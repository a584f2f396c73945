// The form's size limits in force: a drag stops at the minimum and maximum
// outer sizes, and a maximised form takes the maximum size and stays inside
// the usable area.
#include "flexarium_fixture.h"

namespace flx {
namespace {

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

class Maximise : public FlexTest {};

TEST_F(Maximise, MinMaxInfoWorkedExample) {
  load(FormText("", "    FormMaxWidth = 800\n    FormMaxHeight = 600\n"));
  form().Show();
  win::MoveWindow(wnd(), 1500, 100, 500, 400, win::TRUE);
  win::MINMAXINFO info{};
  info.ptMaxSize = {1936, 1056};
  info.ptMaxPosition = {-8, -8};
  win::SendMessageW(wnd(), win::WM_GETMINMAXINFO, 0,
                    reinterpret_cast<win::LPARAM>(&info));
  EXPECT_EQ(info.ptMaxSize.x, 800);
  EXPECT_EQ(info.ptMaxSize.y, 600);
  EXPECT_EQ(info.ptMaxTrackSize.x, 800);
  EXPECT_EQ(info.ptMaxPosition.x, 1120);
  EXPECT_EQ(info.ptMaxPosition.y, 100);
}

TEST_F(Maximise, WithoutAMaximumTheUsableAreaIsTheLimit) {
  load(FormText(""));
  form().Show();
  win::MINMAXINFO info{};
  info.ptMaxSize = {1936, 1056};
  info.ptMaxPosition = {-8, -8};
  win::SendMessageW(wnd(), win::WM_GETMINMAXINFO, 0,
                    reinterpret_cast<win::LPARAM>(&info));
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

}  // namespace
}  // namespace flx
