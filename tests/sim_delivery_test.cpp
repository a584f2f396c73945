// How the simulated desktop delivers a sent message: through the thread's
// hooks, then the window's subclass chain, to its class procedure; and what
// happens when a procedure sends again or destroys the window meanwhile.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "sim_desktop_fixture.h"

namespace flx::simtest {
namespace {

// ---- Subclassing

WNDPROC gOriginal = nullptr;
std::vector<std::string> gTrail;

LRESULT FLX_CALLBACK SubclassProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_SIZING) {
    gTrail.push_back("subclass");
    reinterpret_cast<RECT*>(lp)->bottom = 222;
  }
  return CallWindowProcW(gOriginal, wnd, msg, wp, lp);
}

TEST(SimDelivery, SubclassChainSharesTheSendersRecord) {
  Env env;
  gTrail.clear();
  const HWND wnd = env.top();
  gHandler = [](HWND, UINT msg, WPARAM, LPARAM lp) -> std::optional<LRESULT> {
    if (msg == WM_SIZING) {
      gTrail.push_back("original");
      reinterpret_cast<RECT*>(lp)->right = 111;
      return TRUE;
    }
    return std::nullopt;
  };
  const LONG_PTR subclass = reinterpret_cast<LONG_PTR>(&SubclassProc);
  gOriginal = reinterpret_cast<WNDPROC>(
      env.d().setWindowLongPtr(wnd, GWLP_WNDPROC, subclass));
  EXPECT_EQ(gOriginal, &TestProc);
  EXPECT_EQ(env.d().getWindowLongPtr(wnd, GWLP_WNDPROC), subclass);
  RECT r{1, 2, 3, 4};
  EXPECT_EQ(env.d().sendMessage(wnd, WM_SIZING, WMSZ_BOTTOMRIGHT,
                                reinterpret_cast<LPARAM>(&r)),
            TRUE);
  EXPECT_EQ(tie(r), rect(1, 2, 111, 222));
  EXPECT_EQ(gTrail, (std::vector<std::string>{"subclass", "original"}));
  // Putting the original back returns the subclass.
  EXPECT_EQ(env.d().setWindowLongPtr(wnd, GWLP_WNDPROC,
                                     reinterpret_cast<LONG_PTR>(gOriginal)),
            subclass);
  EXPECT_EQ(env.d().callWindowProc(nullptr, wnd, WM_APP, 0, 0), 0);
}

TEST(SimDelivery, SubclassedSystemClassReachesTheDefaultProcedure) {
  Env env;
  const HWND parent = env.top();
  const HWND button = env.d().createWindowEx(0, u"BUTTON", u"", WS_CHILD, 0, 0,
                                             80, 24, parent, nullptr);
  gTrail.clear();
  gOriginal = reinterpret_cast<WNDPROC>(env.d().setWindowLongPtr(
      button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassProc)));
  ASSERT_NE(gOriginal, nullptr);
  EXPECT_TRUE(env.d().setWindowText(button, u"OK"));
  EXPECT_EQ(env.d().getWindowText(button), u"OK");
  char16_t buf[8] = {};
  EXPECT_EQ(
      env.d().sendMessage(button, WM_GETTEXT, 8, reinterpret_cast<LPARAM>(buf)),
      2);
  EXPECT_EQ(std::u16string(buf), u"OK");
}

// ---- Hooks

struct HookLog {
  HHOOK handles[3] = {};
  bool passOn[3] = {true, true, true};
  std::vector<std::string> order;
  std::vector<const CWPSTRUCT*> records;
  std::vector<CWPSTRUCT> copies;
  std::vector<std::pair<int, WPARAM>> codes;
  UINT watch = WM_APP;
  std::function<void(CWPSTRUCT*)> edit;
  LRESULT nextResult = -1;
};
HookLog* gHooks = nullptr;

template <int N>
LRESULT FLX_CALLBACK HookN(int code, WPARAM wp, LPARAM lp) {
  auto* cwp = reinterpret_cast<CWPSTRUCT*>(lp);
  if (cwp->message == gHooks->watch) {
    gHooks->order.push_back("hook" + std::to_string(N));
    gHooks->records.push_back(cwp);
    gHooks->copies.push_back(*cwp);
    gHooks->codes.emplace_back(code, wp);
    if (gHooks->edit) gHooks->edit(cwp);
  }
  if (!gHooks->passOn[N]) return 0;
  const LRESULT r = CallNextHookEx(gHooks->handles[N], code, wp, lp);
  if (N == 0) gHooks->nextResult = r;
  return r;
}

struct HookEnv : Env {
  HookLog log;
  HookEnv() { gHooks = &log; }
  ~HookEnv() { gHooks = nullptr; }
  void install(int count) {
    const HOOKPROC procs[] = {&HookN<0>, &HookN<1>, &HookN<2>};
    for (int i = 0; i < count; ++i) {
      log.handles[i] = d().setWindowsHookEx(WH_CALLWNDPROC, procs[i], nullptr,
                                            d().getCurrentThreadId());
      ASSERT_NE(log.handles[i], nullptr);
    }
  }
};

TEST(SimDelivery, HooksRunLastInstalledFirstAndShareTheRecord) {
  HookEnv env;
  const HWND wnd = env.top();
  env.install(3);
  EXPECT_EQ(env.d().hookCount(), 3);
  int payload = 5;
  const LPARAM lp = reinterpret_cast<LPARAM>(&payload);
  std::vector<std::string> procSaw;
  gHandler = [&](HWND, UINT msg, WPARAM, LPARAM l) -> std::optional<LRESULT> {
    if (msg == WM_APP) {
      procSaw.push_back("proc");
      env.log.order.push_back("proc");
      EXPECT_EQ(l, lp);
      return 9;
    }
    return std::nullopt;
  };
  EXPECT_EQ(env.d().sendMessage(wnd, WM_APP, 3, lp), 9);
  EXPECT_EQ(env.log.order,
            (std::vector<std::string>{"hook2", "hook1", "hook0", "proc"}));
  ASSERT_EQ(env.log.records.size(), 3u);
  EXPECT_EQ(env.log.records[0], env.log.records[1]);
  EXPECT_EQ(env.log.records[1], env.log.records[2]);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(env.log.copies[i].lParam, lp);
    EXPECT_EQ(env.log.copies[i].wParam, 3u);
    EXPECT_EQ(env.log.copies[i].message, WM_APP);
    EXPECT_EQ(env.log.copies[i].hwnd, wnd);
    EXPECT_EQ(env.log.codes[i].first, HC_ACTION);
    EXPECT_EQ(env.log.codes[i].second, 1u);
  }
  EXPECT_EQ(env.log.nextResult, 0);  // nothing was installed before hook0
}

TEST(SimDelivery, HookThatDoesNotCallNextStopsTheChainButNotTheProcedure) {
  HookEnv env;
  const HWND wnd = env.top();
  env.install(3);
  env.log.passOn[1] = false;
  bool procSaw = false;
  gHandler = [&](HWND, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (msg == WM_APP) procSaw = true;
    return std::nullopt;
  };
  env.d().sendMessage(wnd, WM_APP, 0, 0);
  EXPECT_EQ(env.log.order, (std::vector<std::string>{"hook2", "hook1"}));
  EXPECT_TRUE(procSaw);
}

TEST(SimDelivery, UnhookedHooksAreNoLongerCalled) {
  HookEnv env;
  const HWND wnd = env.top();
  env.install(3);
  EXPECT_TRUE(env.d().unhookWindowsHookEx(env.log.handles[1]));
  EXPECT_FALSE(env.d().unhookWindowsHookEx(env.log.handles[1]));
  EXPECT_EQ(env.d().hookCount(), 2);
  env.d().sendMessage(wnd, WM_APP, 0, 0);
  EXPECT_EQ(env.log.order, (std::vector<std::string>{"hook2", "hook0"}));
  EXPECT_TRUE(env.d().unhookWindowsHookEx(env.log.handles[2]));
  EXPECT_TRUE(env.d().unhookWindowsHookEx(env.log.handles[0]));
  env.log.order.clear();
  env.d().sendMessage(wnd, WM_APP, 0, 0);
  EXPECT_TRUE(env.log.order.empty());
  EXPECT_EQ(env.d().hookCount(), 0);
}

TEST(SimDelivery, HookEditOfMinMaxInfoReachesTheProcedure) {
  HookEnv env;
  const HWND wnd = env.top();
  env.install(1);
  env.log.watch = WM_GETMINMAXINFO;
  env.log.edit = [](CWPSTRUCT* cwp) {
    reinterpret_cast<MINMAXINFO*>(cwp->lParam)->ptMaxTrackSize =
        POINT{300, 200};
  };
  std::optional<POINT> procSaw;
  gHandler = [&](HWND, UINT msg, WPARAM, LPARAM lp) -> std::optional<LRESULT> {
    if (msg == WM_GETMINMAXINFO) {
      procSaw = reinterpret_cast<MINMAXINFO*>(lp)->ptMaxTrackSize;
    }
    return std::nullopt;
  };
  env.d().moveWindow(wnd, 0, 0, 900, 900, TRUE);
  ASSERT_TRUE(procSaw.has_value());
  EXPECT_EQ(procSaw->x, 300);
  EXPECT_EQ(procSaw->y, 200);
  EXPECT_EQ(tie(env.windowRect(wnd)), rect(0, 0, 300, 200));
}

TEST(SimDelivery, HooksSeeGeneratedMessagesAndRefuseOtherKinds) {
  HookEnv env;
  const HWND wnd = env.top();
  env.install(1);
  env.log.watch = WM_SIZE;
  env.d().moveWindow(wnd, 0, 0, 300, 300, TRUE);
  EXPECT_EQ(env.log.order, (std::vector<std::string>{"hook0"}));
  EXPECT_EQ(env.d().setWindowsHookEx(99, &HookN<1>, nullptr, 1), nullptr);
  EXPECT_EQ(env.d().setWindowsHookEx(WH_CALLWNDPROC, nullptr, nullptr, 1),
            nullptr);
  EXPECT_EQ(env.d().setWindowsHookEx(WH_CALLWNDPROC, &HookN<1>, nullptr, 777),
            nullptr);
  EXPECT_EQ(env.d().hookCount(), 1);
}

// A hook that sends the next message (WM_APP + n + 1) for each WM_APP + n
// below `gSendUpTo`, and notes how deep in hook calls each one arrived.
int gSendUpTo = 0;
int gHookDepth = 0;
std::vector<std::pair<UINT, int>> gHookSeen;
LRESULT FLX_CALLBACK SendingHook(int code, WPARAM wp, LPARAM lp) {
  auto* cwp = reinterpret_cast<CWPSTRUCT*>(lp);
  ++gHookDepth;
  gHookSeen.emplace_back(cwp->message, gHookDepth);
  if (cwp->message >= WM_APP &&
      cwp->message < WM_APP + static_cast<UINT>(gSendUpTo)) {
    SendMessageW(cwp->hwnd, cwp->message + 1, 0, 0);
  }
  --gHookDepth;
  return CallNextHookEx(nullptr, code, wp, lp);
}

// Measured under Wine (Windows 98 and 7 alike): a message sent from inside
// the hook procedure reaches the hook again, until 25 hook calls are in
// progress; the window receives every message, the innermost first.
TEST(SimDelivery, MessagesSentFromAHookReachItAgainUpToADepth) {
  struct Case {
    const char* name;
    int sends;      // messages the hook sends, each from the previous one's
    int hookCalls;  // of them, those the hook sees (the first included)
  };
  const Case cases[] = {{"one nested send", 1, 2},
                        {"a chain of ten", 10, 11},
                        {"a hook that would recurse forever", 100, 25}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Env env;
    const HWND wnd = env.top();
    gSendUpTo = c.sends;
    gHookSeen.clear();
    ASSERT_NE(
        env.d().setWindowsHookEx(WH_CALLWNDPROC, &SendingHook, nullptr, 0),
        nullptr);
    env.d().sendMessage(wnd, WM_APP, 0, 0);
    std::vector<std::pair<UINT, int>> expected;
    for (int i = 0; i < c.hookCalls; ++i) {
      expected.emplace_back(WM_APP + static_cast<UINT>(i), i + 1);
    }
    EXPECT_EQ(gHookSeen, expected);
    // Past the limit the hook is skipped, not the window: it gets the
    // messages the last hook call sent.
    const int delivered = std::min(c.sends, c.hookCalls) + 1;
    for (int i = 0; i < delivered; ++i) {
      EXPECT_EQ(env.records(wnd, WM_APP + static_cast<UINT>(i)).size(), 1u);
    }
    EXPECT_TRUE(
        env.records(wnd, WM_APP + static_cast<UINT>(delivered)).empty());
  }
}

// ---- Re-entrancy

TEST(SimDelivery, NestedSendsWork) {
  Env env;
  HWND kid = nullptr;
  HWND self = nullptr;
  gHandler = [&](HWND w, UINT msg, WPARAM,
                 LPARAM lp) -> std::optional<LRESULT> {
    if (msg == WM_CREATE && kid == nullptr && self == nullptr) {
      self = w;
      kid = CreateWindowExW(0, u"Test", u"kid", WS_CHILD | WS_VISIBLE, 0, 0, 10,
                            10, w, nullptr);
    }
    if (w == self && msg == WM_SIZE && kid != nullptr) {
      MoveWindow(kid, 0, 0, LOWORD(static_cast<std::uintptr_t>(lp)),
                 HIWORD(static_cast<std::uintptr_t>(lp)), TRUE);
    }
    if (w == self && msg == WM_WINDOWPOSCHANGED) {
      // Re-entering SetWindowPos on the same window from its own
      // notification.
      const auto* pos = reinterpret_cast<const WINDOWPOS*>(lp);
      if (pos->cx == 500) {
        SetWindowPos(w, nullptr, 0, 0, 510, 310, SWP_NOMOVE | SWP_NOZORDER);
      }
    }
    if (msg == WM_APP) return SendMessageW(kid, WM_APP + 1, 0, 0) + 1;
    if (msg == WM_APP + 1) return 41;
    return std::nullopt;
  };
  const HWND wnd = env.top();
  ASSERT_NE(kid, nullptr);
  EXPECT_EQ(env.d().getParent(kid), wnd);
  EXPECT_EQ(env.d().sendMessage(wnd, WM_APP, 0, 0), 42);
  env.d().clearRecords();
  env.d().moveWindow(wnd, 0, 0, 500, 300, TRUE);
  EXPECT_EQ(tie(env.windowRect(wnd)), rect(0, 0, 510, 310));
  // The outer call must not follow up with its own, stale size.
  const auto sizes = env.records(wnd, WM_SIZE);
  ASSERT_EQ(sizes.size(), 1u);
  EXPECT_EQ(sizes[0].lParam, lparamOf(494, 271));
  EXPECT_EQ(env.records(wnd, WM_MOVE).size(), 1u);
  EXPECT_EQ(tie(env.clientRect(kid)), rect(0, 0, 494, 271));
}

TEST(SimDelivery, WindowDestroyedDuringItsOwnMessages) {
  struct Case {
    const char* name;
    UINT killAt;
    std::function<void(Env&, HWND)> act;
  };
  const auto move = [](Env& e, HWND w) {
    e.d().moveWindow(w, 1, 2, 300, 300, TRUE);
  };
  const Case cases[] = {
      {"POSCHANGING of a move", WM_WINDOWPOSCHANGING, move},
      {"GETMINMAXINFO of a move", WM_GETMINMAXINFO, move},
      {"NCCALCSIZE of a move", WM_NCCALCSIZE, move},
      {"MOVE of a move", WM_MOVE, move},
      {"SIZE of a move", WM_SIZE, move},
      {"SHOWWINDOW", WM_SHOWWINDOW,
       [](Env& e, HWND w) { e.d().showWindow(w, SW_SHOW); }},
      {"SIZE of a first show", WM_SIZE,
       [](Env& e, HWND w) { e.d().showWindow(w, SW_SHOW); }},
      {"GETMINMAXINFO of maximize", WM_GETMINMAXINFO,
       [](Env& e, HWND w) { e.d().maximize(w); }},
      {"SIZE of minimize", WM_SIZE, [](Env& e, HWND w) { e.d().minimize(w); }},
      {"SIZING of a drag", WM_SIZING,
       [](Env& e, HWND w) { e.d().dragEdge(w, WMSZ_RIGHT, 10, 0); }},
      {"ENTERSIZEMOVE", WM_ENTERSIZEMOVE,
       [](Env& e, HWND w) { e.d().dragEdge(w, WMSZ_RIGHT, 10, 0); }},
      {"CLOSE", WM_CLOSE,
       [](Env& e, HWND w) { e.d().sendMessage(w, WM_CLOSE, 0, 0); }},
      {"DESTROY itself", WM_DESTROY,
       [](Env& e, HWND w) { e.d().destroyWindow(w); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Env env;
    HWND victim = env.top();
    const HWND kid = env.child(victim, {0, 0, 10, 10});
    bool armed = true;
    gHandler = [&](HWND w, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
      if (w == victim && msg == c.killAt && armed) {
        armed = false;
        DestroyWindow(w);
      }
      return std::nullopt;
    };
    c.act(env, victim);
    EXPECT_FALSE(armed);
    EXPECT_FALSE(env.d().isWindow(victim));
    EXPECT_FALSE(env.d().isWindow(kid));
    EXPECT_EQ(env.d().windowCount(), 0);
  }
}

TEST(SimDelivery, WindowDestroyedDuringCreationOrByAHook) {
  {
    Env env;
    gHandler = [](HWND w, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
      if (msg == WM_GETMINMAXINFO) DestroyWindow(w);
      return std::nullopt;
    };
    EXPECT_EQ(env.top(), nullptr);
    EXPECT_EQ(env.d().windowCount(), 0);
  }
  {
    Env env;
    gHandler = [](HWND w, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
      if (msg == WM_CREATE) DestroyWindow(w);
      return std::nullopt;
    };
    EXPECT_EQ(env.top(WS_OVERLAPPEDWINDOW | WS_VISIBLE), nullptr);
    EXPECT_EQ(env.d().windowCount(), 0);
  }
  {
    HookEnv env;
    const HWND wnd = env.top();
    env.install(1);
    env.log.edit = [](CWPSTRUCT* cwp) { DestroyWindow(cwp->hwnd); };
    bool procSaw = false;
    gHandler = [&](HWND, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
      if (msg == WM_APP) procSaw = true;
      return std::nullopt;
    };
    EXPECT_EQ(env.d().sendMessage(wnd, WM_APP, 0, 0), 0);
    EXPECT_FALSE(procSaw);
    EXPECT_FALSE(env.d().isWindow(wnd));
  }
}

}  // namespace
}  // namespace flx::simtest
