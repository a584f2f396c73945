// The simulated desktop as a test harness: installing it as the current
// window system, and the records it keeps of calls and messages.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "sim_desktop_fixture.h"

namespace flx::simtest {
namespace {

TEST(SimHarness, CallRecordsNameClientCallsOnly) {
  Env env;
  const HWND wnd = env.top();
  env.d().clearRecords();
  EXPECT_TRUE(env.d().calls().empty());
  EXPECT_TRUE(env.d().messages().empty());
  env.d().setWindowLongPtr(wnd, GWLP_USERDATA, 1);
  env.d().moveWindow(wnd, 0, 0, 300, 300, TRUE);
  HDC dc = env.d().getDC(nullptr);
  env.d().getDeviceCaps(dc, LOGPIXELSX);
  APPBARDATA data{};
  env.d().shAppBarMessage(ABM_GETSTATE, &data);
  RECT r{};
  env.d().dwmGetWindowAttribute(wnd, DWMWA_EXTENDED_FRAME_BOUNDS, &r, sizeof r);
  env.d().sendMessage(wnd, WM_APP, 0, 0);
  env.d().maximize(wnd);  // a user action, not a client call
  EXPECT_EQ(env.ops(),
            (std::vector<std::string>{
                "SetWindowLongPtrW", "MoveWindow", "GetDC", "GetDeviceCaps",
                "SHAppBarMessage", "DwmGetWindowAttribute", "SendMessageW"}));
  EXPECT_EQ(env.d().calls()[0].wnd, wnd);
  EXPECT_EQ(env.d().calls()[1].wnd, wnd);
  // Generated messages are recorded although they are not calls.
  EXPECT_FALSE(env.records(wnd, WM_GETMINMAXINFO).empty());
  EXPECT_EQ(env.records(wnd, WM_APP).size(), 1u);

  env.d().setRecording(false);
  env.d().clearRecords();
  env.d().moveWindow(wnd, 5, 5, 200, 200, TRUE);
  env.d().sendMessage(wnd, WM_APP, 0, 0);
  EXPECT_TRUE(env.d().calls().empty());
  EXPECT_TRUE(env.d().messages().empty());
  env.d().setRecording(true);
  const HWND made = env.top();
  ASSERT_FALSE(env.d().calls().empty());
  EXPECT_EQ(env.d().calls()[0].op, "CreateWindowExW");
  EXPECT_EQ(env.d().calls()[0].wnd, made);
}

// A long run under test keeps the latest records and no more than twice the
// limit, and what creation patches in still lands on its own record.
TEST(SimHarness, RecordsStayBoundedAndKeepTheLatest) {
  Env env;
  const HWND wnd = env.top();
  constexpr std::size_t kLimit = sim::Desktop::kRecordLimit;
  const std::size_t sends = 2 * kLimit + 100;
  for (std::size_t i = 0; i < sends; ++i) {
    env.d().sendMessage(wnd, WM_APP, i, 0);
  }
  for (std::size_t size : {env.d().calls().size(), env.d().messages().size()}) {
    EXPECT_GE(size, kLimit);
    EXPECT_LE(size, 2 * kLimit);
  }
  EXPECT_EQ(env.d().messages().back().wParam, sends - 1);
  env.d().getDC(nullptr);
  EXPECT_EQ(env.d().calls().back().op, "GetDC");
  const HWND made = env.top();
  const auto& calls = env.d().calls();
  auto created = std::find_if(calls.rbegin(), calls.rend(), [](const auto& c) {
    return c.op == "CreateWindowExW";
  });
  ASSERT_NE(created, calls.rend());
  EXPECT_EQ(created->wnd, made);
}

TEST(SimHarness, ScopedDesktopInstallsAndRestores) {
  const bool had = hasWindowSystem();
  WindowSystem* before = had ? &currentWindowSystem() : nullptr;
  {
    ScopedDesktop outer;
    EXPECT_EQ(&currentWindowSystem(), &outer.desktop());
    {
      ScopedDesktop inner;
      EXPECT_EQ(&currentWindowSystem(), &inner.desktop());
      EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1920);
      EXPECT_EQ(inner->calls().back().op, "GetSystemMetrics");
      EXPECT_TRUE(outer->calls().empty());
    }
    EXPECT_EQ(&currentWindowSystem(), &outer.desktop());
  }
  EXPECT_EQ(hasWindowSystem(), had);
  if (had) {
    EXPECT_EQ(&currentWindowSystem(), before);
  }
}

TEST(SimHarness, ManyChildMovesWithRecordingOff) {
  Env env;
  env.d().setRecording(false);
  const HWND parent = env.top(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  std::vector<HWND> kids;
  for (int i = 0; i < 2000; ++i) {
    kids.push_back(env.child(parent, {i, i, i + 10, i + 10}));
  }
  for (int pass = 0; pass < 5; ++pass) {
    for (std::size_t i = 0; i < kids.size(); ++i) {
      env.d().setWindowPos(kids[i], nullptr, pass, static_cast<int>(i),
                           20 + pass, 10, SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  EXPECT_EQ(tie(env.clientRect(kids.back())), rect(0, 0, 24, 10));
  EXPECT_EQ(env.d().windowCount(), 2001);
  EXPECT_TRUE(env.d().messages().empty());
  env.d().destroyWindow(parent);
  EXPECT_EQ(env.d().windowCount(), 0);
}

}  // namespace
}  // namespace flx::simtest
