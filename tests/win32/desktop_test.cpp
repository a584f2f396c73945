// The native window system's forwarding on real windows: classes and
// creation, subclass chains, thread hooks, window longs and properties,
// monitors, the taskbar, DWM bound on first use, fonts and placement.
#include "native_env.h"

#include <string>
#include <vector>

using flx::win32::Desktop;
using flx::win32::ScopedDesktop;
using native::rect;

namespace {

LRESULT CALLBACK plainProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  return ::DefWindowProcW(w, m, wp, lp);
}

LRESULT CALLBACK otherPlainProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  return ::DefWindowProcW(w, m, wp, lp);
}

HWND topWindow(Desktop& d, const char16_t* cls = u"FlxTestPlain") {
  d.registerClass(u"FlxTestPlain", &plainProc);
  return d.createWindowEx(0, cls, u"test", WS_OVERLAPPEDWINDOW, 40, 30, 300,
                          200, nullptr, nullptr);
}

// ---- Subclassing

std::vector<std::string>& trail() {
  static std::vector<std::string> t;
  return t;
}

WNDPROC gBase = nullptr;
const void* gSeenRecord = nullptr;

LRESULT CALLBACK sizingBase(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_SIZING) {
    trail().push_back("base");
    reinterpret_cast<RECT*>(lp)->right = 111;
    return TRUE;
  }
  return ::DefWindowProcW(w, m, wp, lp);
}

LRESULT CALLBACK sizingSubclass(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_SIZING || m == WM_SETTEXT) {
    trail().push_back(m == WM_SIZING ? "subclass" : "subclass settext");
    gSeenRecord = reinterpret_cast<const void*>(lp);
    if (m == WM_SIZING) reinterpret_cast<RECT*>(lp)->bottom = 222;
  }
  return flx::win::currentWindowSystem().callWindowProc(gBase, w, m, wp, lp);
}

TEST(SubclassChainSharesTheSendersRecord) {
  ScopedDesktop sd;
  Desktop& d = sd.desktop();
  REQUIRE(d.registerClass(u"FlxTestSizing", &sizingBase));
  const HWND wnd = d.createWindowEx(0, u"FlxTestSizing", u"", WS_OVERLAPPED, 0,
                                    0, 200, 100, nullptr, nullptr);
  REQUIRE(wnd != nullptr);
  gBase = reinterpret_cast<WNDPROC>(d.setWindowLongPtr(
      wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&sizingSubclass)));
  CHECK(gBase == &sizingBase);
  CHECK_EQ(d.getWindowLongPtr(wnd, GWLP_WNDPROC),
           reinterpret_cast<LONG_PTR>(&sizingSubclass));
  trail().clear();
  RECT r{1, 2, 3, 4};
  const LRESULT result = d.sendMessage(wnd, WM_SIZING, WMSZ_BOTTOMRIGHT,
                                       reinterpret_cast<LPARAM>(&r));
  CHECK_EQ(result, 1);
  CHECK(gSeenRecord == &r);
  CHECK_EQ(r, (RECT{1, 2, 111, 222}));
  CHECK(trail() == (std::vector<std::string>{"subclass", "base"}));
  CHECK_EQ(
      d.setWindowLongPtr(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gBase)),
      reinterpret_cast<LONG_PTR>(&sizingSubclass));
  d.destroyWindow(wnd);
}

TEST(SubclassedSystemControlKeepsItsClassBehaviour) {
  ScopedDesktop sd;
  Desktop& d = sd.desktop();
  const HWND top = topWindow(d);
  const HWND button =
      d.createWindowEx(0, u"BUTTON", u"before", WS_CHILD | WS_VISIBLE, 5, 5, 80,
                       24, top, nullptr);
  REQUIRE(button != nullptr);
  // A system class's procedure may come back as a handle that only
  // CallWindowProcW understands; the chain must work either way.
  gBase = reinterpret_cast<WNDPROC>(d.setWindowLongPtr(
      button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&sizingSubclass)));
  REQUIRE(gBase != nullptr);
  trail().clear();
  CHECK(d.setWindowText(button, u"after \u00E9t\u00E9"));
  CHECK(trail() == (std::vector<std::string>{"subclass settext"}));
  CHECK(d.getWindowText(button) == u"after \u00E9t\u00E9");
  d.destroyWindow(top);
}

// ---- Thread hooks

struct HookSeen {
  UINT message;
  LPARAM lParam;
  WPARAM sentByThisThread;
  HWND wnd;
};

std::vector<HookSeen>& hookLog() {
  static std::vector<HookSeen> log;
  return log;
}
std::vector<UINT>& windowLog() {
  static std::vector<UINT> log;
  return log;
}
std::vector<int>& order() {
  static std::vector<int> o;
  return o;
}
HHOOK gFirstHook = nullptr;
HHOOK gSecondHook = nullptr;

LRESULT CALLBACK firstHook(int code, WPARAM wp, LPARAM lp) {
  const auto* cwp = reinterpret_cast<const CWPSTRUCT*>(lp);
  if (code == HC_ACTION && cwp->message >= WM_APP) {
    order().push_back(1);
    hookLog().push_back(HookSeen{cwp->message, cwp->lParam, wp, cwp->hwnd});
  }
  if (code == HC_ACTION && cwp->message == WM_SIZE) order().push_back(1);
  return flx::win::currentWindowSystem().callNextHookEx(gFirstHook, code, wp,
                                                        lp);
}

LRESULT CALLBACK secondHook(int code, WPARAM wp, LPARAM lp) {
  const auto* cwp = reinterpret_cast<const CWPSTRUCT*>(lp);
  if (code == HC_ACTION && cwp->message >= WM_APP) order().push_back(2);
  return flx::win::currentWindowSystem().callNextHookEx(gSecondHook, code, wp,
                                                        lp);
}

LRESULT CALLBACK loggingProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m >= WM_APP || m == WM_SIZE) {
    windowLog().push_back(m);
    order().push_back(0);
  }
  return ::DefWindowProcW(w, m, wp, lp);
}

TEST(ThreadHookSeesSentMessagesFirstWithTheSameRecord) {
  ScopedDesktop sd;
  Desktop& d = sd.desktop();
  REQUIRE(d.registerClass(u"FlxTestLogging", &loggingProc));
  const HWND wnd =
      d.createWindowEx(0, u"FlxTestLogging", u"", WS_OVERLAPPEDWINDOW, 0, 0,
                       200, 100, nullptr, nullptr);
  REQUIRE(wnd != nullptr);
  gFirstHook = d.setWindowsHookEx(WH_CALLWNDPROC, &firstHook, nullptr,
                                  d.getCurrentThreadId());
  REQUIRE(gFirstHook != nullptr);
  hookLog().clear();
  windowLog().clear();
  order().clear();
  int record = 7;
  d.sendMessage(wnd, WM_APP + 1, 0, reinterpret_cast<LPARAM>(&record));
  REQUIRE(hookLog().size() == 1);
  CHECK_EQ(hookLog()[0].message, WM_APP + 1);
  CHECK(hookLog()[0].lParam == reinterpret_cast<LPARAM>(&record));
  CHECK(hookLog()[0].sentByThisThread != 0);
  CHECK(hookLog()[0].wnd == wnd);
  CHECK(order() == (std::vector<int>{1, 0}));

  // Messages the system sends itself pass the hook first too.
  order().clear();
  d.moveWindow(wnd, 0, 0, 260, 140, TRUE);
  REQUIRE(order().size() >= 2);
  CHECK(order() == (std::vector<int>{1, 0}));

  // The hook installed last runs first and passes on.
  gSecondHook = d.setWindowsHookEx(WH_CALLWNDPROC, &secondHook, nullptr,
                                   d.getCurrentThreadId());
  order().clear();
  d.sendMessage(wnd, WM_APP + 2, 0, 0);
  CHECK(order() == (std::vector<int>{2, 1, 0}));

  CHECK(d.unhookWindowsHookEx(gSecondHook));
  CHECK(d.unhookWindowsHookEx(gFirstHook));
  order().clear();
  d.sendMessage(wnd, WM_APP + 3, 0, 0);
  CHECK(order() == (std::vector<int>{0}));
  d.destroyWindow(wnd);
}

// ---- Creation

enum class Refuse { Nothing, NcCreate, Create };
Refuse gRefuse = Refuse::Nothing;
std::vector<void*> gCreateParams;

LRESULT CALLBACK creationProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_NCCREATE || m == WM_CREATE) {
    gCreateParams.push_back(
        reinterpret_cast<const CREATESTRUCTW*>(lp)->lpCreateParams);
    if (m == WM_NCCREATE && gRefuse == Refuse::NcCreate) return FALSE;
    if (m == WM_CREATE && gRefuse == Refuse::Create) return -1;
  }
  return ::DefWindowProcW(w, m, wp, lp);
}

TEST(CreationHandsOverTheParamAndMayBeRefused) {
  ScopedDesktop sd;
  Desktop& d = sd.desktop();
  REQUIRE(d.registerClass(u"FlxTestCreation", &creationProc));
  int param = 0;
  struct Row {
    const char* name;
    Refuse refuse;
    bool created;
    std::size_t messages;
  };
  for (const Row& r :
       {Row{"accepted", Refuse::Nothing, true, 2},
        Row{"refused at WM_NCCREATE", Refuse::NcCreate, false, 1},
        Row{"refused at WM_CREATE", Refuse::Create, false, 2}}) {
    SCOPED(r.name);
    gRefuse = r.refuse;
    gCreateParams.clear();
    const HWND wnd = d.createWindowEx(0, u"FlxTestCreation", u"", WS_OVERLAPPED,
                                      0, 0, 50, 50, nullptr, &param);
    CHECK_EQ(wnd != nullptr, r.created);
    CHECK_EQ(gCreateParams.size(), r.messages);
    for (void* p : gCreateParams) CHECK(p == &param);
    if (wnd != nullptr) d.destroyWindow(wnd);
  }
  gRefuse = Refuse::Nothing;
  CHECK(d.createWindowEx(0, u"FlxNoSuchClass", u"", WS_OVERLAPPED, 0, 0, 5, 5,
                         nullptr, nullptr) == nullptr);
}

TEST(RegisteringAClassAgain) {
  ScopedDesktop sd;
  Desktop& d = sd.desktop();
  const HINSTANCE self = ::GetModuleHandleW(nullptr);
  auto procOf = [&](const wchar_t* name) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    return ::GetClassInfoExW(self, name, &wc) ? wc.lpfnWndProc : nullptr;
  };
  CHECK(d.registerClass(u"FlxTestAgain", &plainProc));
  CHECK(d.registerClass(u"FlxTestAgain", &plainProc));
  CHECK(procOf(L"FlxTestAgain") == &plainProc);
  // No window of the class lives: the new procedure takes over.
  CHECK(d.registerClass(u"FlxTestAgain", &otherPlainProc));
  CHECK(procOf(L"FlxTestAgain") == &otherPlainProc);
  // Names compare without regard to case, as the system's do.
  CHECK(d.registerClass(u"FLXTESTAGAIN", &otherPlainProc));
  // While windows of the class live, they keep their procedure and later
  // windows get the new one.
  struct Row {
    const char* name;
    HWND parent;
  };
  const HWND top = topWindow(d);
  for (const Row& r : {Row{"top-level", nullptr}, Row{"child", top}}) {
    SCOPED(r.name);
    const WNDPROC before = procOf(L"FlxTestAgain");
    const WNDPROC after = before == &plainProc ? &otherPlainProc : &plainProc;
    const HWND wnd = d.createWindowEx(0, u"FlxTestAgain", u"",
                                      r.parent ? WS_CHILD : WS_OVERLAPPED, 0, 0,
                                      5, 5, r.parent, nullptr);
    REQUIRE(wnd != nullptr);
    CHECK(d.registerClass(u"FlxTestAgain", after));
    CHECK(procOf(L"FlxTestAgain") == after);
    CHECK(reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(wnd, GWLP_WNDPROC)) ==
          before);
    const HWND later = d.createWindowEx(0, u"FlxTestAgain", u"", WS_OVERLAPPED,
                                        0, 0, 5, 5, nullptr, nullptr);
    CHECK(reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(later, GWLP_WNDPROC)) ==
          after);
    d.destroyWindow(later);
    d.destroyWindow(wnd);
  }
  d.destroyWindow(top);
  // A system class is never shadowed.
  CHECK(!d.registerClass(u"BUTTON", &plainProc));
  const HWND button = d.createWindowEx(0, u"BUTTON", u"", WS_OVERLAPPED, 0, 0,
                                       5, 5, nullptr, nullptr);
  CHECK(button != nullptr);
  CHECK(reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(button, GWLP_WNDPROC)) !=
        &plainProc);
  d.destroyWindow(button);
  CHECK(!d.registerClass(u"", &plainProc));
  CHECK(!d.registerClass(u"FlxTestNull", nullptr));
}

// ---- Window data

TEST(WindowLongsAndPropertiesKeepPointerSizedValues) {
  ScopedDesktop sd;
  Desktop& d = sd.desktop();
  const HWND wnd = topWindow(d);
  REQUIRE(wnd != nullptr);
  const auto big = static_cast<LONG_PTR>(0x123456789ABCDEF0LL);
  d.setWindowLongPtr(wnd, GWLP_USERDATA, big);
  CHECK_EQ(d.getWindowLongPtr(wnd, GWLP_USERDATA), big);
  CHECK_EQ(d.setWindowLongPtr(wnd, GWLP_USERDATA, 5), big);
  CHECK_EQ(static_cast<DWORD>(d.getWindowLongPtr(wnd, GWL_STYLE)) &
               WS_OVERLAPPEDWINDOW,
           static_cast<DWORD>(WS_OVERLAPPEDWINDOW));

  auto* data = reinterpret_cast<HANDLE>(big);
  CHECK(d.getProp(wnd, u"FlxTest") == nullptr);
  CHECK(d.setProp(wnd, u"FlxTest", data));
  CHECK(d.getProp(wnd, u"FlxTest") == data);
  CHECK(d.getProp(wnd, u"FlxOther") == nullptr);
  CHECK(d.removeProp(wnd, u"FlxTest") == data);
  CHECK(d.getProp(wnd, u"FlxTest") == nullptr);
  CHECK(!d.setProp(wnd, u"", data));
  d.destroyWindow(wnd);
}

TEST(GetParentNamesParentsAndOwnersOfPopupsOnly) {
  ScopedDesktop sd;
  Desktop& d = sd.desktop();
  const HWND top = topWindow(d);
  struct Row {
    const char* name;
    DWORD style;
    bool expectTop;
  };
  for (const Row& r :
       {Row{"child", WS_CHILD, true}, Row{"owned pop-up", WS_POPUP, true},
        Row{"owned overlapped", WS_OVERLAPPED, false}}) {
    SCOPED(r.name);
    const HWND wnd = d.createWindowEx(0, u"FlxTestPlain", u"", r.style, 0, 0,
                                      10, 10, top, nullptr);
    REQUIRE(wnd != nullptr);
    CHECK(d.getParent(wnd) == (r.expectTop ? top : nullptr));
    d.destroyWindow(wnd);
  }
  CHECK(d.getParent(top) == nullptr);
  d.destroyWindow(top);
}

TEST(ClientAreaFromAdjustWindowRectEx) {
  ScopedDesktop sd;
  Desktop& d = sd.desktop();
  d.registerClass(u"FlxTestPlain", &plainProc);
  struct Row {
    const char* name;
    DWORD style;
    DWORD exStyle;
  };
  for (const Row& r :
       {Row{"sizeable", WS_OVERLAPPEDWINDOW, 0},
        Row{"dialog", WS_POPUP | WS_CAPTION | WS_SYSMENU,
            WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE},
        Row{"tool window", WS_CAPTION | WS_SYSMENU, WS_EX_TOOLWINDOW},
        Row{"no frame", WS_POPUP, 0}}) {
    SCOPED(r.name);
    flx::win::RECT frame{0, 0, 320, 240};
    CHECK(d.adjustWindowRectEx(&frame, r.style, FALSE, r.exStyle));
    const HWND wnd = d.createWindowEx(
        r.exStyle, u"FlxTestPlain", u"", r.style, 0, 0,
        frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr);
    REQUIRE(wnd != nullptr);
    flx::win::RECT client{};
    CHECK(d.getClientRect(wnd, &client));
    CHECK_EQ(native::ours(client), rect(0, 0, 320, 240));
    d.destroyWindow(wnd);
  }
}

TEST(PlacementKeepsTheNormalRectangle) {
  ScopedDesktop sd;
  Desktop& d = sd.desktop();
  const HWND wnd = topWindow(d);
  d.showWindow(wnd, SW_SHOW);
  struct Row {
    const char* name;
    int command;
    bool zoomed;
    bool iconic;
    UINT showCmd;
  };
  for (const Row& r :
       {Row{"maximized", SW_MAXIMIZE, true, false, SW_SHOWMAXIMIZED},
        Row{"minimized", SW_MINIMIZE, false, true, SW_SHOWMINIMIZED},
        Row{"restored", SW_RESTORE, true, false, SW_SHOWMAXIMIZED},
        Row{"normal", SW_SHOWNORMAL, false, false, SW_SHOWNORMAL}}) {
    SCOPED(r.name);
    d.showWindow(wnd, r.command);
    CHECK_EQ(d.isZoomed(wnd) != 0, r.zoomed);
    CHECK_EQ(d.isIconic(wnd) != 0, r.iconic);
    flx::win::WINDOWPLACEMENT wp{};
    CHECK(d.getWindowPlacement(wnd, &wp));
    CHECK_EQ(wp.length, sizeof(WINDOWPLACEMENT));
    CHECK_EQ(wp.showCmd, r.showCmd);
    CHECK_EQ(native::ours(wp.rcNormalPosition), rect(40, 30, 300, 200));
  }
  d.destroyWindow(wnd);
}

// ---- Screen

TEST(MonitorOfAWindowIsTheScreen) {
  ScopedDesktop sd;
  Desktop& d = sd.desktop();
  const HWND wnd = topWindow(d);
  const int width = native::envInt("FLX_SCREEN_WIDTH", 0);
  const int height = native::envInt("FLX_SCREEN_HEIGHT", 0);
  REQUIRE(width > 0 && height > 0);
  CHECK_EQ(d.getSystemMetrics(SM_CXSCREEN), width);
  CHECK_EQ(d.getSystemMetrics(SM_CYSCREEN), height);
  const HMONITOR monitor = d.monitorFromWindow(wnd, MONITOR_DEFAULTTONEAREST);
  REQUIRE(monitor != nullptr);
  flx::win::MONITORINFO info{};
  info.cbSize = sizeof info;
  CHECK(d.getMonitorInfo(monitor, &info));
  CHECK_EQ(native::ours(info.rcMonitor), rect(0, 0, width, height));
  CHECK_EQ(info.dwFlags, static_cast<DWORD>(MONITORINFOF_PRIMARY));
  CHECK(!d.getMonitorInfo(monitor, nullptr));
  d.destroyWindow(wnd);
}

TEST(TaskbarQueriesAnswerWithOrWithoutARecord) {
  ScopedDesktop sd;
  Desktop& d = sd.desktop();
  const int width = d.getSystemMetrics(SM_CXSCREEN);
  const int height = d.getSystemMetrics(SM_CYSCREEN);
  flx::win::APPBARDATA bar{};
  bar.cbSize = 0;  // left unset by a careless caller
  const auto found = d.shAppBarMessage(ABM_GETTASKBARPOS, &bar);
  if (found != 0) {
    CHECK(bar.rc.left >= 0 && bar.rc.right <= width);
    CHECK(bar.rc.top >= 0 && bar.rc.bottom <= height);
    CHECK(bar.rc.right > bar.rc.left && bar.rc.bottom > bar.rc.top);
    CHECK(bar.uEdge <= ABE_BOTTOM);
  }
  CHECK_EQ(bar.cbSize, 0u);
  flx::win::APPBARDATA any{};
  any.cbSize = sizeof any;
  CHECK_EQ(d.shAppBarMessage(ABM_GETSTATE, nullptr),
           d.shAppBarMessage(ABM_GETSTATE, &any));
}

TEST(DwmIsBoundOnFirstUseOnly) {
  // The library is never linked: nothing has loaded it yet.
  CHECK(::GetModuleHandleW(L"dwmapi.dll") == nullptr);
  {
    ScopedDesktop sd;
    Desktop& d = sd.desktop();
    const HWND wnd = topWindow(d);
    d.getSystemMetrics(SM_CXSCREEN);
    CHECK(!d.dwmLoaded());
    BOOL enabled = 2;
    const flx::win::HRESULT hr = d.dwmIsCompositionEnabled(&enabled);
    CHECK(d.dwmLoaded());
    CHECK(::GetModuleHandleW(L"dwmapi.dll") != nullptr);
    CHECK(hr != 0 || enabled == TRUE || enabled == FALSE);
    // Wine answers E_NOTIMPL here and must leave the record alone.
    RECT bounds{-1, -1, -1, -1};
    if (d.dwmGetWindowAttribute(wnd, 9, &bounds, sizeof bounds) != 0) {
      CHECK_EQ(bounds, (RECT{-1, -1, -1, -1}));
    } else {
      CHECK(bounds.right > bounds.left);
    }
    d.destroyWindow(wnd);
  }
  CHECK(::GetModuleHandleW(L"dwmapi.dll") == nullptr);
}

// ---- Fonts

TEST(FontsAreRealisedAsDescribed) {
  ScopedDesktop sd;
  Desktop& d = sd.desktop();
  struct Row {
    const char* name;
    LONG height;
    LONG weight;
    BYTE italic;
    const char16_t* face;
  };
  for (const Row& r : {Row{"8 pt at 96", -11, 400, 0, u"Tahoma"},
                       Row{"12 pt bold", -16, 700, 0, u"MS Shell Dlg"},
                       Row{"cell height", 20, 400, 1, u"Arial"},
                       Row{"default height", 0, 400, 0, u""}}) {
    SCOPED(r.name);
    flx::win::LOGFONTW in{};
    in.lfHeight = r.height;
    in.lfWeight = r.weight;
    in.lfItalic = r.italic;
    std::u16string face(r.face);
    face.copy(in.lfFaceName, 31);
    const HFONT font = d.createFontIndirect(&in);
    REQUIRE(font != nullptr);
    LOGFONTW out{};
    CHECK_EQ(::GetObjectW(font, sizeof out, &out),
             static_cast<int>(sizeof out));
    CHECK_EQ(out.lfHeight, r.height);
    CHECK_EQ(out.lfWeight, r.weight);
    CHECK_EQ(out.lfItalic, r.italic);
    CHECK(std::u16string(reinterpret_cast<const char16_t*>(out.lfFaceName)) ==
          face);
    CHECK(d.deleteFont(font));
  }
  CHECK(d.createFontIndirect(nullptr) == nullptr);
}

TEST(InstallsItselfAsTheCurrentSystemForItsScope) {
  CHECK(!flx::win::hasWindowSystem());
  {
    ScopedDesktop outer;
    CHECK(&flx::win::currentWindowSystem() == &outer.desktop());
    {
      ScopedDesktop inner;
      CHECK(&flx::win::currentWindowSystem() == &inner.desktop());
    }
    CHECK(&flx::win::currentWindowSystem() == &outer.desktop());
    CHECK(!outer->isCustomStyleActive());
  }
  CHECK(!flx::win::hasWindowSystem());
}

}  // namespace

MINI_TEST_MAIN()
