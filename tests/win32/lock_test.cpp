// lockWindowUpdate on real windows: moves of the locked window's
// descendants are queued and read back at once, nothing paints during the
// pass, the queue is applied at the unlock and the window repaints once.
#include "flexarium/forms.h"
#include "flexarium/stdctrls.h"

// After the framework headers: classes.h declares names that are macros in
// <windows.h>.
#include "native_env.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

using flx::win32::Desktop;
using flx::win32::ScopedDesktop;
using native::rect;
using native::rectInParent;

namespace {

struct Counts {
  int paint = 0;
  int erase = 0;
  int moved = 0;  // WM_WINDOWPOSCHANGED
};

std::map<HWND, Counts>& counts() {
  static std::map<HWND, Counts> c;
  return c;
}

LRESULT CALLBACK countingProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  switch (m) {
    case WM_PAINT: {
      ++counts()[w].paint;
      PAINTSTRUCT ps;
      ::BeginPaint(w, &ps);
      ::EndPaint(w, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      ++counts()[w].erase;
      break;
    case WM_WINDOWPOSCHANGED:
      ++counts()[w].moved;
      break;
    default:
      break;
  }
  return ::DefWindowProcW(w, m, wp, lp);
}

// A top-level window with a row of children, a panel holding a grandchild
// and an edit with a client edge.
struct Scene {
  ScopedDesktop sd;
  Desktop& d = sd.desktop();
  HWND top = nullptr;
  HWND panel = nullptr;
  HWND grandchild = nullptr;
  HWND edit = nullptr;
  std::vector<HWND> row;

  explicit Scene(bool show = true, int children = 3) {
    d.registerClass(u"FlxLockTest", &countingProc);
    top = d.createWindowEx(0, u"FlxLockTest", u"lock",
                           WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 100, 80, 640,
                           420, nullptr, nullptr);
    panel = child(u"FlxLockTest", top, 300, 20, 200, 150, 0);
    grandchild = child(u"FlxLockTest", panel, 10, 10, 50, 30, 0);
    edit = child(u"EDIT", top, 20, 300, 120, 24, WS_EX_CLIENTEDGE);
    for (int i = 0; i < children; ++i) {
      row.push_back(child(u"FlxLockTest", top, 10 + 40 * i, 20, 30, 30, 0));
    }
    if (show) {
      d.showWindow(top, SW_SHOW);
      ::UpdateWindow(top);
      native::pump();
    }
    counts().clear();
  }
  ~Scene() {
    d.lockWindowUpdate(nullptr);
    if (::IsWindow(top)) d.destroyWindow(top);
    counts().clear();
  }
  Scene(const Scene&) = delete;
  Scene& operator=(const Scene&) = delete;

  HWND child(const char16_t* cls, HWND parent, int x, int y, int w, int h,
             DWORD exStyle) {
    return d.createWindowEx(exStyle, cls, u"",
                            WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, x, y, w, h,
                            parent, nullptr);
  }

  // Where a rectangle in `parent`'s client area lies on the screen, as the
  // system has the parent now.
  static RECT onScreen(HWND parent, RECT r) {
    POINT origin{0, 0};
    ::ClientToScreen(parent, &origin);
    ::OffsetRect(&r, origin.x, origin.y);
    return r;
  }

  RECT seen(HWND wnd) {
    flx::win::RECT r{};
    d.getWindowRect(wnd, &r);
    return native::ours(r);
  }
};

constexpr UINT kMove = SWP_NOZORDER | SWP_NOACTIVATE;

TEST(MovesWaitForTheUnlockAndReadBackAtOnce) {
  Scene s;
  const RECT before = rectInParent(s.row[0]);
  CHECK(s.d.lockWindowUpdate(s.top));
  CHECK(s.d.lockedWindow() == s.top);
  CHECK(s.d.setWindowPos(s.row[0], nullptr, 50, 60, 70, 80, kMove));
  CHECK_EQ(s.d.queuedMoves(), 1);
  CHECK_EQ(s.seen(s.row[0]), Scene::onScreen(s.top, rect(50, 60, 70, 80)));
  CHECK_EQ(rectInParent(s.row[0]), before);
  CHECK_EQ(counts()[s.row[0]].moved, 0);
  CHECK(s.d.lockWindowUpdate(nullptr));
  CHECK(s.d.lockedWindow() == nullptr);
  CHECK_EQ(s.d.queuedMoves(), 0);
  CHECK_EQ(rectInParent(s.row[0]), rect(50, 60, 70, 80));
  CHECK_EQ(counts()[s.row[0]].moved, 1);
}

TEST(TheLastRectangleOfAWindowWins) {
  struct Step {
    int x, y, cx, cy;
    UINT flags;
  };
  struct Row {
    const char* name;
    std::vector<Step> steps;
    RECT expected;  // from (10, 20, 30, 30)
    int moves;      // WM_WINDOWPOSCHANGED at the unlock
  };
  const Row rows[] = {
      {"last of three",
       {{1, 2, 3, 4, kMove}, {5, 6, 7, 8, kMove}, {40, 50, 60, 70, kMove}},
       rect(40, 50, 60, 70),
       1},
      {"move then size",
       {{30, 40, 0, 0, kMove | SWP_NOSIZE}, {0, 0, 90, 50, kMove | SWP_NOMOVE}},
       rect(30, 40, 90, 50),
       1},
      {"back where it was",
       {{70, 80, 10, 10, kMove}, {10, 20, 30, 30, kMove}},
       rect(10, 20, 30, 30),
       0},
      {"negative extent", {{10, 20, -5, 12, kMove}}, rect(10, 20, 0, 12), 1},
      {"drawing flags are only hints",
       {{11, 21, 31, 31, kMove | SWP_NOREDRAW | SWP_NOCOPYBITS}},
       rect(11, 21, 31, 31),
       1},
  };
  for (const Row& r : rows) {
    SCOPED(r.name);
    Scene s;
    const HWND wnd = s.row[0];
    s.d.lockWindowUpdate(s.top);
    for (const Step& st : r.steps) {
      CHECK(s.d.setWindowPos(wnd, nullptr, st.x, st.y, st.cx, st.cy, st.flags));
    }
    CHECK_EQ(s.d.queuedMoves(), 1);
    CHECK_EQ(s.seen(wnd), Scene::onScreen(s.top, r.expected));
    s.d.lockWindowUpdate(nullptr);
    CHECK_EQ(rectInParent(wnd), r.expected);
    CHECK_EQ(counts()[wnd].moved, r.moves);
  }
}

TEST(MoveWindowJoinsTheSameQueue) {
  Scene s;
  s.d.lockWindowUpdate(s.top);
  CHECK(s.d.moveWindow(s.row[1], 5, 6, 7, 8, TRUE));
  CHECK(s.d.setWindowPos(s.row[1], nullptr, 0, 0, 70, 80, kMove | SWP_NOMOVE));
  CHECK_EQ(s.d.queuedMoves(), 1);
  s.d.lockWindowUpdate(nullptr);
  CHECK_EQ(rectInParent(s.row[1]), rect(5, 6, 70, 80));
}

TEST(QueriesSeeQueuedParentsAndClientAreas) {
  Scene s;
  const RECT editClient = native::clientRect(s.edit);
  const RECT editOuter = rectInParent(s.edit);
  const int frameX = (editOuter.right - editOuter.left) - editClient.right;
  const int frameY = (editOuter.bottom - editOuter.top) - editClient.bottom;
  REQUIRE(frameX > 0);
  s.d.lockWindowUpdate(s.top);
  s.d.setWindowPos(s.panel, nullptr, 320, 40, 220, 160, kMove);
  // Not queued itself, the grandchild goes where its parent goes.
  CHECK_EQ(s.seen(s.grandchild), Scene::onScreen(s.top, rect(330, 50, 50, 30)));
  s.d.setWindowPos(s.grandchild, nullptr, 15, 25, 40, 20, kMove);
  CHECK_EQ(s.seen(s.grandchild), Scene::onScreen(s.top, rect(335, 65, 40, 20)));
  s.d.setWindowPos(s.edit, nullptr, 20, 300, 150, 40, kMove);
  flx::win::RECT client{};
  CHECK(s.d.getClientRect(s.edit, &client));
  CHECK_EQ(native::ours(client), rect(0, 0, 150 - frameX, 40 - frameY));
  flx::win::WINDOWPLACEMENT wp{};
  CHECK(s.d.getWindowPlacement(s.panel, &wp));
  CHECK_EQ(native::ours(wp.rcNormalPosition), rect(320, 40, 220, 160));
  s.d.lockWindowUpdate(nullptr);
  CHECK_EQ(rectInParent(s.grandchild), rect(15, 25, 40, 20));
  CHECK_EQ(rectInParent(s.panel), rect(320, 40, 220, 160));
  CHECK_EQ(native::clientRect(s.edit), rect(0, 0, 150 - frameX, 40 - frameY));
}

TEST(NothingPaintsDuringThePassAndAllRepaintsAfter) {
  Scene s(true, 12);
  s.d.lockWindowUpdate(s.top);
  // Suspended for the system, still visible for the caller.
  CHECK(!::IsWindowVisible(s.top));
  CHECK(s.d.isWindowVisible(s.top));
  CHECK(s.d.isWindowVisible(s.row[0]));
  CHECK(s.d.getWindowLongPtr(s.top, GWL_STYLE) & WS_VISIBLE);
  for (std::size_t i = 0; i < s.row.size(); ++i) {
    const int x = 20 + 45 * static_cast<int>(i);
    s.d.setWindowPos(s.row[i], nullptr, x, 200, 40, 40, kMove);
  }
  native::pump();
  int paintsDuring = 0;
  for (const auto& [wnd, c] : counts()) paintsDuring += c.paint + c.erase;
  CHECK_EQ(paintsDuring, 0);
  s.d.lockWindowUpdate(nullptr);
  CHECK(::IsWindowVisible(s.top));
  for (HWND wnd : s.row) {
    CHECK_EQ(counts()[wnd].paint, 1);
    CHECK_EQ(counts()[wnd].moved, 1);
  }
  CHECK_EQ(counts()[s.top].paint, 1);
  RECT pending{};
  CHECK(!::GetUpdateRect(s.top, &pending, FALSE));
}

TEST(AWindowHiddenWhenLockedStaysHidden) {
  struct Row {
    const char* name;
    bool showTop;
    bool lockPanel;
  };
  for (const Row& r :
       {Row{"hidden form", false, false}, Row{"hidden panel", true, true}}) {
    SCOPED(r.name);
    Scene s(r.showTop);
    const HWND root = r.lockPanel ? s.panel : s.top;
    if (r.lockPanel) s.d.showWindow(s.panel, SW_HIDE);
    CHECK(s.d.lockWindowUpdate(root));
    CHECK(!s.d.isWindowVisible(root));
    s.d.setWindowPos(s.grandchild, nullptr, 1, 2, 3, 4, kMove);
    CHECK(s.d.lockWindowUpdate(nullptr));
    CHECK(!(::GetWindowLongPtrW(root, GWL_STYLE) & WS_VISIBLE));
    CHECK_EQ(rectInParent(s.grandchild), rect(1, 2, 3, 4));
  }
}

TEST(ShowingOrHidingTheLockedWindowIsHonoured) {
  struct Row {
    const char* name;
    void (*act)(Desktop&, HWND);
    bool visibleAfter;
  };
  const Row rows[] = {
      {"ShowWindow hide", [](Desktop& d, HWND w) { d.showWindow(w, SW_HIDE); },
       false},
      {"SetWindowPos hide",
       [](Desktop& d, HWND w) {
         d.setWindowPos(
             w, nullptr, 0, 0, 0, 0,
             SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
       },
       false},
      {"style rewritten as read",
       [](Desktop& d, HWND w) {
         d.setWindowLongPtr(w, GWL_STYLE, d.getWindowLongPtr(w, GWL_STYLE));
       },
       true},
      {"ShowWindow show", [](Desktop& d, HWND w) { d.showWindow(w, SW_SHOW); },
       true},
  };
  for (const Row& r : rows) {
    SCOPED(r.name);
    Scene s;
    s.d.lockWindowUpdate(s.top);
    r.act(s.d, s.top);
    CHECK_EQ(s.d.isWindowVisible(s.top) != 0, r.visibleAfter);
    s.d.setWindowPos(s.row[0], nullptr, 3, 4, 5, 6, kMove);
    s.d.lockWindowUpdate(nullptr);
    CHECK_EQ(::IsWindowVisible(s.top) != 0, r.visibleAfter);
    CHECK_EQ(rectInParent(s.row[0]), rect(3, 4, 5, 6));
  }
}

TEST(CallsThatCannotWaitApplyTheQueuedMoveFirst) {
  struct Row {
    const char* name;
    UINT flags;
    bool visibleAfter;
  };
  for (const Row& r :
       {Row{"z-order", SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE, true},
        Row{"hide", SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER,
            false},
        Row{"frame changed",
            SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER, true}}) {
    SCOPED(r.name);
    Scene s;
    const HWND wnd = s.row[2];
    s.d.lockWindowUpdate(s.top);
    s.d.setWindowPos(wnd, nullptr, 7, 8, 9, 10, kMove);
    s.d.setWindowPos(s.row[0], nullptr, 1, 1, 1, 1, kMove);
    CHECK(s.d.setWindowPos(wnd, HWND_TOP, 0, 0, 0, 0, r.flags));
    CHECK_EQ(rectInParent(wnd), rect(7, 8, 9, 10));
    CHECK_EQ(s.d.queuedMoves(), 1);
    CHECK_EQ(s.d.isWindowVisible(wnd) != 0, r.visibleAfter);
    s.d.lockWindowUpdate(nullptr);
    CHECK_EQ(rectInParent(s.row[0]), rect(1, 1, 1, 1));
  }
}

TEST(OneLockAtATime) {
  Scene s;
  Scene other;
  CHECK(s.d.lockWindowUpdate(nullptr));
  CHECK(s.d.lockWindowUpdate(s.top));
  CHECK(!s.d.lockWindowUpdate(s.top));
  CHECK(!s.d.lockWindowUpdate(s.panel));
  // Windows outside the locked one move at once.
  CHECK(s.d.setWindowPos(other.row[0], nullptr, 2, 3, 4, 5, kMove));
  CHECK_EQ(rectInParent(other.row[0]), rect(2, 3, 4, 5));
  CHECK_EQ(s.d.queuedMoves(), 0);
  CHECK(s.d.lockWindowUpdate(nullptr));
  CHECK(!s.d.lockWindowUpdate(reinterpret_cast<HWND>(0x7FFF0)));
  CHECK(s.d.lockedWindow() == nullptr);
}

TEST(DestroyedWindowsLeaveTheQueue) {
  Scene s;
  s.d.lockWindowUpdate(s.top);
  s.d.setWindowPos(s.grandchild, nullptr, 1, 2, 3, 4, kMove);
  s.d.setWindowPos(s.row[0], nullptr, 1, 2, 3, 4, kMove);
  s.d.setWindowPos(s.row[1], nullptr, 5, 6, 7, 8, kMove);
  CHECK(s.d.destroyWindow(s.panel));
  CHECK_EQ(s.d.queuedMoves(), 2);
  CHECK(s.d.destroyWindow(s.row[0]));
  CHECK_EQ(s.d.queuedMoves(), 1);
  s.d.lockWindowUpdate(nullptr);
  CHECK_EQ(rectInParent(s.row[1]), rect(5, 6, 7, 8));
  // Destroying the locked window ends the lock.
  s.d.lockWindowUpdate(s.top);
  s.d.setWindowPos(s.row[1], nullptr, 9, 9, 9, 9, kMove);
  CHECK(s.d.destroyWindow(s.top));
  CHECK(s.d.lockedWindow() == nullptr);
  CHECK_EQ(s.d.queuedMoves(), 0);
  CHECK(s.d.lockWindowUpdate(nullptr));
}

TEST(ADesktopGoingAwayEndsItsLock) {
  flx::win32::Desktop outer;
  outer.registerClass(u"FlxLockTest", &countingProc);
  const HWND top = outer.createWindowEx(0, u"FlxLockTest", u"", WS_POPUP, 0, 0,
                                        200, 100, nullptr, nullptr);
  const HWND child =
      outer.createWindowEx(0, u"FlxLockTest", u"", WS_CHILD | WS_VISIBLE, 0, 0,
                           10, 10, top, nullptr);
  outer.showWindow(top, SW_SHOWNOACTIVATE);
  {
    flx::win32::Desktop d;
    d.lockWindowUpdate(top);
    d.setWindowPos(child, nullptr, 5, 6, 7, 8, kMove);
    CHECK(!::IsWindowVisible(top));
  }
  CHECK(::IsWindowVisible(top));
  CHECK_EQ(rectInParent(child), rect(5, 6, 7, 8));
  outer.destroyWindow(top);
}

TEST(FrameworkPassInsideTheLock) {
  ScopedDesktop sd;
  Desktop& d = sd.desktop();
  flx::TForm form(nullptr);
  form.SetClientWidth(600);
  form.SetClientHeight(400);
  std::vector<flx::TButton*> buttons;
  for (int i = 0; i < 20; ++i) {
    auto* b = new flx::TButton(&form);
    b->SetParent(&form);
    b->SetBounds(10 + 25 * i, 10, 20, 20);
    buttons.push_back(b);
  }
  form.Show();
  const HWND wnd = form.Handle();
  d.lockWindowUpdate(wnd);
  for (int i = 0; i < 20; ++i) {
    buttons[i]->SetBounds(15 + 28 * i, 40, 26, 24);
    CHECK_EQ(buttons[i]->Left(), 15 + 28 * i);
  }
  CHECK_EQ(d.queuedMoves(), 20);
  flx::win::RECT r{};
  d.getWindowRect(buttons[19]->Handle(), &r);
  CHECK_EQ(native::ours(r), Scene::onScreen(wnd, rect(547, 40, 26, 24)));
  CHECK_EQ(form.ClientWidth(), 600);
  d.lockWindowUpdate(nullptr);
  for (int i = 0; i < 20; ++i) {
    SCOPED(std::to_string(i));
    CHECK_EQ(rectInParent(buttons[i]->Handle()), rect(15 + 28 * i, 40, 26, 24));
  }
}

}  // namespace

MINI_TEST_MAIN()
