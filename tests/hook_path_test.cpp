// The thread hook through which the component serves forms on Windows 4.x:
// one hook for all components, and the rules of its own that hold on
// Windows 98.
#include "flexarium_fixture.h"

namespace flx {
namespace {

using A = TFlexariumAccess;
using win::RECT;

// ---- The hook

class HookPath : public FlexTest {
 protected:
  HookPath() : FlexTest(config()) {}
  static sim::DesktopConfig config() {
    sim::DesktopConfig c;
    c.version = {4, 0};
    return c;
  }
};

TEST_F(HookPath, OneHookServesAllComponentsAndGoesWithTheLast) {
  TForm a(nullptr), b(nullptr);
  auto* f1 = new TFlexarium(&a);
  ASSERT_NE(HookHandle, nullptr);
  auto* f2 = new TFlexarium(&b);
  EXPECT_EQ(desktop->hookCount(), 1);
  f1->SetEnabled(false);  // the other component still needs the hook
  EXPECT_NE(HookHandle, nullptr);
  delete f2;
  EXPECT_EQ(HookHandle, nullptr);
  EXPECT_EQ(desktop->hookCount(), 0);
  f1->SetEnabled(true);
  EXPECT_NE(HookHandle, nullptr);
  delete f1;
  EXPECT_EQ(desktop->hookCount(), 0);
}

TEST_F(HookPath, ReadDisabledRemovesTheHookAndInstallsNoProcedure) {
  load(FormText(Button("B", 100, 100, 75, 25), "    Enabled = False\n"));
  EXPECT_EQ(HookHandle, nullptr);
  EXPECT_EQ(A::PrevWndProc(flex()), nullptr);
  EXPECT_NE(win::GetWindowLongPtrW(wnd(), win::GWLP_WNDPROC),
            reinterpret_cast<win::LONG_PTR>(&FormWndProc));
  flex().SetEnabled(true);
  EXPECT_NE(HookHandle, nullptr);
}

TEST_F(HookPath, EnablingRekeysToARecreatedWindowWhileAnotherHoldsTheHook) {
  load(FormText(Button("B", 100, 100, 75, 25)));
  TForm other(nullptr);
  auto* keeper = new TFlexarium(&other);  // keeps the hook alive
  keeper->SetName("Keeper");
  keeper->Start();
  TFlexarium& f = flex();
  f.SetEnabled(false);
  ASSERT_NE(HookHandle, nullptr);
  // The form's window is made anew while the component is off.
  form().DestroyHandle();
  win::HWND fresh = form().Handle();
  f.SetEnabled(true);
  EXPECT_EQ(f.OwnerHandle(), fresh);
  form().Show();
  client(1200, 900);
  EXPECT_EQ(ctl("B").Left(), 150);
}

// ---- Windows 98

class Windows98 : public FlexTest {
 protected:
  void SetUp() override {
    desktop->mutableConfig().version = {4, 10};
    desktop->mutableConfig().composition = false;
    FlexTest::SetUp();
  }
  win::MINMAXINFO ask(win::POINT maxSize, win::POINT maxPosition) {
    win::MINMAXINFO info{};
    info.ptMaxSize = maxSize;
    info.ptMaxPosition = maxPosition;
    win::SendMessageW(wnd(), win::WM_GETMINMAXINFO, 0,
                      reinterpret_cast<win::LPARAM>(&info));
    return info;
  }
};

TEST_F(Windows98, MaximisedPositionMovesUnderATopOrLeftTaskbar) {
  struct Case {
    sim::TaskbarEdge edge;
    int thickness;
    const char* flexProps;
    win::POINT proposed, expected;
  };
  const Case cases[] = {
      // A maximum in force, the form at Top 100 inside the area: 100 - 30.
      {sim::TaskbarEdge::Top,
       30,
       "    FormMaxWidth = 600\n    FormMaxHeight = 400\n",
       {-4, -4},
       {100, 70}},
      // No maximum: the system's proposal less the taskbar, not clamped.
      {sim::TaskbarEdge::Left, 60, "", {-4, -4}, {-64, -4}},
  };
  for (const Case& c : cases) {
    desktop->mutableConfig().taskbar.edge = c.edge;
    desktop->mutableConfig().taskbar.thickness = c.thickness;
    load(FormText("", c.flexProps));
    form().Show();
    win::MoveWindow(wnd(), 100, 100, 500, 300, win::TRUE);
    win::MINMAXINFO info = ask({1928, 1088}, c.proposed);
    EXPECT_EQ(info.ptMaxPosition.x, c.expected.x) << c.thickness;
    EXPECT_EQ(info.ptMaxPosition.y, c.expected.y) << c.thickness;
    root.reset();
  }
}

TEST_F(Windows98, AMaximisedFormWithoutAMaximumIsStillLimited) {
  load(FormText(""));
  form().Show();
  desktop->maximize(wnd());
  win::MINMAXINFO info = ask({1928, 1088}, {-4, -4});
  EXPECT_EQ(info.ptMaxSize.x, 1920);
  EXPECT_EQ(info.ptMaxSize.y, 1040);
}

TEST_F(Windows98, TheScreenSizeIsRecordedAtFirstShowAndOnPaint) {
  load(FormText(""));
  form().Show();
  EXPECT_EQ(LastScreenWidth, 1920);
  EXPECT_EQ(LastScreenHeight, 1080);
  desktop->mutableConfig().monitors[0].rect = {0, 0, 1600, 900};
  win::SendMessageW(wnd(), win::WM_NCPAINT, 1, 0);
  EXPECT_EQ(LastScreenWidth, 1600);
  EXPECT_EQ(LastScreenHeight, 900);
}

TEST_F(Windows98, ACustomStyleDoesNotResizeAMaximisedForm) {
  desktop->mutableConfig().customStyle = true;
  load(FormText(Button("B", 10, 10, 75, 25)));
  form().Show();
  desktop->maximize(wnd());
  RECT r = windowRect();
  win::RECT c{};
  win::GetClientRect(wnd(), &c);
  win::SendMessageW(wnd(), win::WM_SIZE, win::SIZE_MAXIMIZED,
                    win::MAKELPARAM(c.right, c.bottom));
  RECT after = windowRect();
  EXPECT_TRUE(win::EqualRect(&r, &after));
}

TEST_F(Windows98, AWindowOfNoComponentIsLeftAlone) {
  load(FormText(""));
  TForm other(nullptr);
  other.HandleNeeded();
  win::CWPSTRUCT m{0, 0, win::WM_SIZE, other.Handle()};
  EXPECT_EQ(CallWndHookProc(0, 1, reinterpret_cast<win::LPARAM>(&m)), 0);
  win::CWPSTRUCT mine{win::MAKELPARAM(400, 300), win::SIZE_RESTORED,
                      win::WM_SIZE, wnd()};
  EXPECT_EQ(CallWndHookProc(0, 1, reinterpret_cast<win::LPARAM>(&mine)), 0);
  EXPECT_TRUE(TFlexariumAccess::IsResized(flex()));
  // A negative code goes to the next hook only.
  EXPECT_EQ(CallWndHookProc(-1, 0, 0), 0);
}

// A code other than HC_ACTION is answered with 0 and handled no further.
TEST_F(Windows98, ACodeOtherThanActionIsNotHandled) {
  load(FormText(Button("B", 100, 100, 75, 25)));
  win::CWPSTRUCT m{win::MAKELPARAM(1600, 1200), win::SIZE_RESTORED,
                   win::WM_SIZE, wnd()};
  EXPECT_EQ(CallWndHookProc(1, 1, reinterpret_cast<win::LPARAM>(&m)), 0);
  EXPECT_FALSE(TFlexariumAccess::IsResized(flex()));
  EXPECT_EQ(ctl("B").Left(), 100);
  EXPECT_EQ(CallWndHookProc(0, 1, reinterpret_cast<win::LPARAM>(&m)), 0);
  EXPECT_EQ(ctl("B").Left(), 200);
}

// WM_NCPAINT records a changed primary screen size on Windows 98, but only
// after the first pass and not while the form is minimised.
TEST_F(Windows98, PaintingRecordsTheScreenOnlyAfterTheFirstPass) {
  struct Case {
    const char* name;
    bool afterPass;
    bool minimised;
    bool screenChanged;
    int expectedWidth;
  };
  const Case cases[] = {
      {"changed screen after the first pass", true, false, true, 1600},
      {"unchanged screen", true, false, false, 1920},
      {"before the first pass", false, false, true, 1920},
      {"while minimised", true, true, true, 1920},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    desktop->mutableConfig().monitors[0].rect = {0, 0, 1920, 1080};
    load(FormText(""));
    LastScreenWidth = LastScreenHeight = 0;
    if (c.afterPass) {
      form().Show();  // records 1920 x 1080 and runs the first pass
      ASSERT_TRUE(TFlexariumAccess::IsResized(flex()));
    } else {
      LastScreenWidth = 1920;
      LastScreenHeight = 1080;
    }
    if (c.minimised) desktop->minimize(wnd());
    if (c.screenChanged) {
      desktop->mutableConfig().monitors[0].rect = {0, 0, 1600, 900};
    }
    win::SendMessageW(wnd(), win::WM_NCPAINT, 1, 0);
    EXPECT_EQ(LastScreenWidth, c.expectedWidth);
    root.reset();
  }
}

}  // namespace
}  // namespace flx
