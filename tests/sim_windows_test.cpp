// Windows of the simulated desktop: creation and the messages it sends,
// window classes, handles, per-window data, destruction, and calls made on
// handles that are stale or were never valid.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "flexarium/sysutils.h"
#include "sim_desktop_fixture.h"

namespace flx::simtest {
namespace {

// ---- Creation

TEST(SimWindows, CreationSendsMessagesInWindowsOrder) {
  Env env;
  const HWND parent = env.top();
  struct Case {
    const char* name;
    DWORD style;
    bool child;
    Names expected;
  };
  const Case cases[] = {
      {"overlapped",
       WS_OVERLAPPEDWINDOW,
       false,
       {"GETMINMAXINFO", "NCCREATE", "NCCALCSIZE", "CREATE"}},
      {"popup", WS_POPUP, false, {"NCCREATE", "NCCALCSIZE", "CREATE"}},
      {"child", WS_CHILD, true, {"NCCREATE", "NCCALCSIZE", "CREATE"}},
      {"visible child",
       WS_CHILD | WS_VISIBLE,
       true,
       {"NCCREATE", "NCCALCSIZE", "CREATE", "SHOWWINDOW", "POSCHANGING",
        "POSCHANGED", "SIZE", "MOVE"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    env.d().clearRecords();
    int tag = 42;
    void* seenParam = nullptr;
    std::u16string seenName;
    gHandler = [&](HWND, UINT msg, WPARAM,
                   LPARAM lp) -> std::optional<LRESULT> {
      if (msg == WM_NCCREATE || msg == WM_CREATE) {
        const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lp);
        seenParam = cs->lpCreateParams;
        seenName = cs->lpszName;
      }
      return std::nullopt;
    };
    const HWND wnd =
        env.d().createWindowEx(0, u"Test", u"caption", c.style, 10, 20, 300,
                               200, c.child ? parent : nullptr, &tag);
    ASSERT_NE(wnd, nullptr);
    EXPECT_EQ(env.names(wnd), c.expected);
    EXPECT_EQ(seenParam, &tag);
    EXPECT_EQ(seenName, u"caption");
    EXPECT_EQ(env.d().getWindowText(wnd), u"caption");
  }
}

TEST(SimWindows, CreationCanBeRefused) {
  struct Case {
    const char* name;
    UINT refusedAt;
    LRESULT refusal;
  };
  const Case cases[] = {{"NCCREATE returns 0", WM_NCCREATE, 0},
                        {"CREATE returns -1", WM_CREATE, -1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Env env;
    HWND seen = nullptr;
    gHandler = [&](HWND wnd, UINT msg, WPARAM,
                   LPARAM) -> std::optional<LRESULT> {
      seen = wnd;
      if (msg == c.refusedAt) return c.refusal;
      return std::nullopt;
    };
    EXPECT_EQ(env.top(), nullptr);
    EXPECT_EQ(env.d().windowCount(), 0);
    EXPECT_FALSE(env.d().isWindow(seen));
    // The framework frees per-window state on WM_NCDESTROY.
    EXPECT_EQ(env.names(seen).back(), "NCDESTROY");
  }
}

TEST(SimWindows, CreationFailsForBadClassOrParent) {
  Env env;
  const HWND top = env.top();
  const HWND gone = env.top();
  env.d().destroyWindow(gone);
  EXPECT_EQ(env.d().createWindowEx(0, u"NoSuchClass", u"", WS_POPUP, 0, 0, 10,
                                   10, nullptr, nullptr),
            nullptr);
  EXPECT_EQ(env.child(nullptr, {0, 0, 10, 10}), nullptr);
  EXPECT_EQ(env.child(gone, {0, 0, 10, 10}), nullptr);
  EXPECT_NE(env.child(top, {0, 0, 10, 10}), nullptr);
  EXPECT_EQ(env.d().windowCount(), 2);
}

TEST(SimWindows, SystemClassesExistAndActLikeDefWindowProc) {
  Env env;
  const HWND parent = env.top();
  for (const char16_t* cls : {u"Button", u"EDIT", u"STATIC", u"LISTBOX",
                              u"COMBOBOX", u"SCROLLBAR", u"#32770"}) {
    SCOPED_TRACE(flx::Utf16ToUtf8(cls));
    const HWND wnd = env.d().createWindowEx(0, cls, u"x", WS_CHILD, 0, 0, 50,
                                            20, parent, nullptr);
    ASSERT_NE(wnd, nullptr);
    EXPECT_TRUE(env.d().setWindowText(wnd, u"hello"));
    EXPECT_EQ(env.d().getWindowText(wnd), u"hello");
    // A scroll bar draws no text and keeps no font.
    const bool keeps = flx::Utf16ToUtf8(cls) != "SCROLLBAR";
    const auto font = reinterpret_cast<HFONT>(0x1236);
    env.d().sendMessage(wnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
    EXPECT_EQ(env.d().sendMessage(wnd, WM_GETFONT, 0, 0),
              keeps ? reinterpret_cast<LRESULT>(font) : 0);
  }
}

// Only a control that draws text keeps the font it is sent, as on Wine:
// the component adopts the others with the System font on both desktops.
// DefWindowProc keeps none, so neither does a program's own class that
// leaves WM_SETFONT to it.
TEST(SimWindows, ControlsWithoutTextKeepNoFont) {
  Env env;
  const HWND parent = env.top();
  ASSERT_TRUE(env.d().registerClass(u"ProgramOwn", &DefWindowProcW));
  // Static control types (SS_TYPEMASK).
  constexpr DWORD kLeft = 0x0, kIcon = 0x3, kBlackRect = 0x4, kSimple = 0xB,
                  kOwnerDraw = 0xD, kBitmap = 0xE, kEtchedHorz = 0x10,
                  kEtchedFrame = 0x12;
  const struct {
    const char* label;
    const char16_t* cls;
    DWORD style;
    bool keeps;
  } cases[] = {
      {"static text", u"Static", kLeft, true},
      {"centred static", u"STATIC", SS_CENTER, true},
      {"simple static", u"Static", kSimple, true},
      {"owner-drawn static", u"Static", kOwnerDraw, true},
      {"static with a sunken edge", u"Static", kLeft | SS_SUNKEN, true},
      {"etched frame", u"Static", kEtchedFrame, false},
      {"etched line", u"Static", kEtchedHorz, false},
      {"icon", u"Static", kIcon, false},
      {"black rectangle", u"Static", kBlackRect, false},
      {"bitmap", u"Static", kBitmap, false},
      {"track bar", u"msctls_trackbar32", 0, false},
      {"up-down", u"msctls_updown32", 0, false},
      {"button", u"Button", 0, true},
      {"list view", u"SysListView32", 0, true},
      {"scroll bar", u"ScrollBar", 0, false},
      {"ComboBoxEx", u"ComboBoxEx32", 0, true},
      {"tool bar", u"ToolbarWindow32", 0, true},
      {"dialog", u"#32770", 0, true},
      {"a program's own class", u"ProgramOwn", 0, false},
  };
  const auto font = reinterpret_cast<HFONT>(0x1236);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    const HWND wnd = env.d().createWindowEx(0, c.cls, u"x", WS_CHILD | c.style,
                                            0, 0, 50, 20, parent, nullptr);
    ASSERT_NE(wnd, nullptr);
    env.d().sendMessage(wnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
    EXPECT_EQ(env.d().sendMessage(wnd, WM_GETFONT, 0, 0),
              c.keeps ? reinterpret_cast<LRESULT>(font) : 0);
  }
}

TEST(SimWindows, ASystemClassIsNeverShadowed) {
  Env env;
  const HWND parent = env.top();
  // Still the system's control, which keeps what it is told where the
  // stand-in's DefWindowProcW would keep nothing: a static's font, a track
  // bar's position, a button's check.
  const auto font = reinterpret_cast<HFONT>(0x1236);
  const struct {
    const char16_t* cls;
    UINT set, get;
    WPARAM wp;
    LPARAM lp;
    LRESULT kept;
  } cases[] = {
      {u"Static", WM_SETFONT, WM_GETFONT, reinterpret_cast<WPARAM>(font), 0,
       reinterpret_cast<LRESULT>(font)},
      {u"msctls_trackbar32", TBM_SETPOS, TBM_GETPOS, TRUE, 7, 7},
      {u"BUTTON", BM_SETCHECK, BM_GETCHECK, 1, 0, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(flx::Utf16ToUtf8(c.cls));
    EXPECT_FALSE(env.d().registerClass(c.cls, &DefWindowProcW));
    const HWND wnd = env.d().createWindowEx(0, c.cls, u"", WS_CHILD, 0, 0, 50,
                                            20, parent, nullptr);
    ASSERT_NE(wnd, nullptr);
    env.d().sendMessage(wnd, c.set, c.wp, c.lp);
    EXPECT_EQ(env.d().sendMessage(wnd, c.get, 0, 0), c.kept);
  }
  EXPECT_TRUE(env.d().registerClass(u"ProgramOwn", &DefWindowProcW));
}

// The one table of system classes: found in any letter case, named with
// the registered spelling, and only the simulated ones made by this desktop
// (another stays unknown until a program registers it).
TEST(SimWindows, SystemClassesAreFoundInAnyCaseAndOnlySimulatedOnesAreMade) {
  Env env;
  const HWND parent = env.top();
  struct Case {
    const char16_t* asked;
    const char16_t* registered;  // nullptr: no system class
    bool ownChildren;
    bool simulated;
  };
  for (const Case& c : {
           Case{u"BUTTON", u"Button", false, true},
           Case{u"combobox", u"ComboBox", true, true},
           Case{u"SYSHEADER32", u"SysHeader32", true, true},
           Case{u"#32770", u"#32770", false, true},
           Case{u"sysmonthcal32", u"SysMonthCal32", true, false},
           Case{u"RICHEDIT50W", u"RICHEDIT50W", true, false},
           Case{u"Buttons", nullptr, false, false},
           Case{u"Édit", nullptr, false, false},
       }) {
    SCOPED_TRACE(flx::Utf16ToUtf8(c.asked));
    const SystemClass* found = FindSystemClass(c.asked);
    ASSERT_EQ(found != nullptr, c.registered != nullptr);
    if (found != nullptr) {
      EXPECT_EQ(found->name, std::u16string_view(c.registered));
      EXPECT_EQ(found->ownChildren, c.ownChildren);
      EXPECT_EQ(found->simulated, c.simulated);
    }
    const HWND wnd = env.d().createWindowEx(0, c.asked, u"", WS_CHILD, 0, 0, 50,
                                            20, parent, nullptr);
    EXPECT_EQ(wnd != nullptr, c.simulated);
  }
}

TEST(SimWindows, ReRegisteringAClassReplacesItsProcedure) {
  Env env;
  static int hits = 0;
  hits = 0;
  struct P {
    static LRESULT FLX_CALLBACK proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
      if (m == WM_APP) ++hits;
      return DefWindowProcW(w, m, wp, lp);
    }
  };
  EXPECT_TRUE(env.d().registerClass(u"TEST", &P::proc));
  const HWND wnd = env.top();
  env.d().sendMessage(wnd, WM_APP, 0, 0);
  EXPECT_EQ(hits, 1);
}

TEST(SimWindows, HandlesAreDistinctAndNeverReused) {
  Env env;
  std::vector<HWND> seen;
  for (int i = 0; i < 20; ++i) {
    const HWND wnd = env.top(WS_POPUP);
    ASSERT_NE(wnd, nullptr);
    for (HWND s : seen) EXPECT_NE(s, wnd);
    seen.push_back(wnd);
    if (i % 2 == 0) env.d().destroyWindow(wnd);
  }
  EXPECT_EQ(env.d().windowCount(), 10);
}

// ---- Window data

TEST(SimWindows, WindowLongSlots) {
  Env env;
  const HWND wnd =
      env.top(WS_OVERLAPPEDWINDOW, {0, 0, 300, 200}, WS_EX_APPWINDOW);
  EXPECT_EQ(env.d().getWindowLongPtr(wnd, GWL_STYLE),
            static_cast<LONG_PTR>(WS_OVERLAPPEDWINDOW));
  EXPECT_EQ(env.d().getWindowLongPtr(wnd, GWL_EXSTYLE),
            static_cast<LONG_PTR>(WS_EX_APPWINDOW));
  EXPECT_EQ(env.d().setWindowLongPtr(wnd, GWLP_USERDATA, 77), 0);
  EXPECT_EQ(env.d().setWindowLongPtr(wnd, GWLP_USERDATA, 78), 77);
  EXPECT_EQ(env.d().getWindowLongPtr(wnd, GWLP_USERDATA), 78);
  EXPECT_EQ(env.d().setWindowLongPtr(wnd, GWL_STYLE, WS_POPUP),
            static_cast<LONG_PTR>(WS_OVERLAPPEDWINDOW));
  EXPECT_EQ(static_cast<DWORD>(env.d().getWindowLongPtr(wnd, GWL_STYLE)),
            WS_POPUP);
  EXPECT_EQ(env.d().getWindowLongPtr(wnd, 12345), 0);
  // The client area follows the new frame once it is recalculated.
  EXPECT_EQ(tie(env.clientRect(wnd)), rect(0, 0, 284, 161));
  env.d().setWindowPos(wnd, nullptr, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_FRAMECHANGED);
  EXPECT_EQ(tie(env.clientRect(wnd)), rect(0, 0, 300, 200));
}

TEST(SimWindows, TextAndProperties) {
  Env env;
  const HWND wnd = env.top();
  env.d().clearRecords();
  EXPECT_TRUE(env.d().setWindowText(wnd, u"Hello"));
  EXPECT_EQ(env.names(wnd), (Names{"SETTEXT"}));
  EXPECT_EQ(env.d().getWindowText(wnd), u"Hello");
  char16_t small[4] = {u'x', u'x', u'x', u'x'};
  EXPECT_EQ(
      env.d().sendMessage(wnd, WM_GETTEXT, 4, reinterpret_cast<LPARAM>(small)),
      3);
  EXPECT_EQ(std::u16string(small), u"Hel");

  const auto h1 = reinterpret_cast<HANDLE>(0x100);
  const auto h2 = reinterpret_cast<HANDLE>(0x200);
  EXPECT_TRUE(env.d().setProp(wnd, u"A", h1));
  EXPECT_TRUE(env.d().setProp(wnd, u"B", h2));
  EXPECT_TRUE(env.d().setProp(wnd, u"A", h2));
  EXPECT_EQ(env.d().getProp(wnd, u"A"), h2);
  EXPECT_EQ(env.d().removeProp(wnd, u"A"), h2);
  EXPECT_EQ(env.d().getProp(wnd, u"A"), nullptr);
  EXPECT_EQ(env.d().getProp(wnd, u"B"), h2);
  EXPECT_TRUE(env.d().invalidateRect(wnd, nullptr, TRUE));
}

// ---- Destruction

TEST(SimWindows, DestroyOrderForATree) {
  Env env;
  const HWND top = env.top();
  const HWND a = env.child(top, {0, 0, 50, 50});
  const HWND a1 = env.child(a, {0, 0, 5, 5});
  const HWND b = env.child(top, {0, 0, 50, 50});
  env.d().setProp(a, u"prop", reinterpret_cast<HANDLE>(0x10));
  std::vector<std::pair<UINT, HWND>> seen;
  gHandler = [&](HWND w, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (msg == WM_DESTROY || msg == WM_NCDESTROY) seen.emplace_back(msg, w);
    return std::nullopt;
  };
  EXPECT_TRUE(env.d().destroyWindow(top));
  const std::vector<std::pair<UINT, HWND>> expected{
      {WM_DESTROY, top}, {WM_DESTROY, a},    {WM_DESTROY, a1},
      {WM_DESTROY, b},   {WM_NCDESTROY, a1}, {WM_NCDESTROY, a},
      {WM_NCDESTROY, b}, {WM_NCDESTROY, top}};
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(env.d().windowCount(), 0);
  for (HWND w : {top, a, a1, b}) EXPECT_FALSE(env.d().isWindow(w));
  EXPECT_EQ(env.d().getProp(a, u"prop"), nullptr);
  EXPECT_FALSE(env.d().destroyWindow(top));
}

TEST(SimWindows, DestroyingOwnerDestroysOwnedWindowsFirst) {
  Env env;
  const HWND owner = env.top();
  const HWND owned = env.d().createWindowEx(0, u"Test", u"", WS_POPUP, 0, 0, 50,
                                            50, owner, nullptr);
  ASSERT_NE(owned, nullptr);
  EXPECT_EQ(env.d().getParent(owned), owner);
  std::vector<HWND> destroyed;
  gHandler = [&](HWND w, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (msg == WM_DESTROY) destroyed.push_back(w);
    return std::nullopt;
  };
  env.d().destroyWindow(owner);
  EXPECT_EQ(destroyed, (std::vector<HWND>{owned, owner}));
  EXPECT_EQ(env.d().windowCount(), 0);
}

TEST(SimWindows, StaleAndUnknownHandlesFailGracefully) {
  Env env;
  const HWND gone = env.top();
  env.d().destroyWindow(gone);
  const HWND bogus = reinterpret_cast<HWND>(0x12345);
  for (HWND wnd : {gone, bogus, static_cast<HWND>(nullptr)}) {
    RECT r{1, 2, 3, 4};
    WINDOWPLACEMENT wp{};
    EXPECT_FALSE(env.d().isWindow(wnd));
    EXPECT_FALSE(env.d().getWindowRect(wnd, &r));
    EXPECT_FALSE(env.d().getClientRect(wnd, &r));
    EXPECT_EQ(tie(r), rect(1, 2, 3, 4));
    EXPECT_FALSE(env.d().getWindowPlacement(wnd, &wp));
    EXPECT_FALSE(env.d().showWindow(wnd, SW_SHOW));
    EXPECT_FALSE(env.d().setWindowPos(wnd, nullptr, 0, 0, 1, 1, 0));
    EXPECT_FALSE(env.d().moveWindow(wnd, 0, 0, 1, 1, TRUE));
    EXPECT_FALSE(env.d().destroyWindow(wnd));
    EXPECT_FALSE(env.d().isIconic(wnd));
    EXPECT_FALSE(env.d().isZoomed(wnd));
    EXPECT_FALSE(env.d().isWindowVisible(wnd));
    EXPECT_FALSE(env.d().setWindowText(wnd, u"x"));
    EXPECT_EQ(env.d().getWindowText(wnd), u"");
    EXPECT_EQ(env.d().getWindowLongPtr(wnd, GWLP_WNDPROC), 0);
    EXPECT_EQ(env.d().setWindowLongPtr(wnd, GWLP_USERDATA, 5), 0);
    EXPECT_FALSE(env.d().setProp(wnd, u"p", nullptr));
    EXPECT_EQ(env.d().removeProp(wnd, u"p"), nullptr);
    EXPECT_EQ(env.d().sendMessage(wnd, WM_APP, 0, 0), 0);
    EXPECT_EQ(env.d().defWindowProc(wnd, WM_NCCREATE, 0, 0), 0);
    EXPECT_EQ(env.d().getParent(wnd), nullptr);
    EXPECT_FALSE(env.d().windowFont(wnd).has_value());
    env.d().dragEdge(wnd, WMSZ_LEFT, 1, 1);
    env.d().maximize(wnd);
    DWORD dummy[4];
    EXPECT_EQ(env.d().dwmGetWindowAttribute(wnd, DWMWA_EXTENDED_FRAME_BOUNDS,
                                            dummy, sizeof dummy),
              E_FAIL);
  }
  EXPECT_EQ(env.d().monitorFromWindow(bogus, MONITOR_DEFAULTTONULL), nullptr);
  EXPECT_EQ(env.d().callNextHookEx(reinterpret_cast<HHOOK>(0x77), 0, 0, 0), 0);
  EXPECT_FALSE(env.d().unhookWindowsHookEx(nullptr));
  EXPECT_EQ(env.d().getDC(bogus), nullptr);
  EXPECT_EQ(env.d().getDeviceCaps(nullptr, LOGPIXELSX), 0);
}

}  // namespace
}  // namespace flx::simtest
