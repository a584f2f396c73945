// What painting needs from the simulated desktop: the fonts a window is
// given, and the update lock.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "sim_desktop_fixture.h"

namespace flx::simtest {
namespace {

TEST(SimPainting, FontsFollowWmSetFont) {
  Env env;
  // A control that keeps its font (DefWindowProc keeps none).
  const HWND wnd = env.d().createWindowEx(0, u"BUTTON", u"", WS_CHILD, 0, 0, 50,
                                          20, env.top(), nullptr);
  LOGFONTW lf{};
  lf.lfHeight = -12;
  lf.lfWeight = FW_BOLD;
  const std::u16string face = u"Tahoma";
  std::copy(face.begin(), face.end(), lf.lfFaceName);
  const HFONT font = env.d().createFontIndirect(&lf);
  const HFONT other = env.d().createFontIndirect(&lf);
  ASSERT_NE(font, nullptr);
  EXPECT_NE(font, other);
  EXPECT_FALSE(env.d().windowFont(wnd).has_value());
  lf.lfHeight = -99;  // the desktop keeps its own copy
  env.d().sendMessage(wnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  const auto got = env.d().windowFont(wnd);
  ASSERT_TRUE(got.has_value());
  EXPECT_EQ(got->lfHeight, -12);
  EXPECT_EQ(got->lfWeight, FW_BOLD);
  EXPECT_EQ(std::u16string(got->lfFaceName), face);
  EXPECT_EQ(env.d().sendMessage(wnd, WM_GETFONT, 0, 0),
            reinterpret_cast<LRESULT>(font));
  EXPECT_TRUE(env.d().deleteFont(font));
  EXPECT_FALSE(env.d().deleteFont(font));
  EXPECT_FALSE(env.d().windowFont(wnd).has_value());
  EXPECT_EQ(env.d().createFontIndirect(nullptr), nullptr);
}

TEST(SimPainting, LockWindowUpdate) {
  Env env;
  const HWND a = env.top();
  const HWND b = env.top();
  struct Step {
    HWND wnd;
    BOOL result;
    HWND holder;
  };
  const Step steps[] = {
      {a, TRUE, a},
      {b, FALSE, a},
      {a, FALSE, a},
      {nullptr, TRUE, nullptr},
      {nullptr, TRUE, nullptr},
      {b, TRUE, b},
  };
  for (const auto& s : steps) {
    EXPECT_EQ(env.d().lockWindowUpdate(s.wnd), s.result);
    EXPECT_EQ(env.d().lockedWindow(), s.holder);
  }
  env.d().destroyWindow(b);
  EXPECT_EQ(env.d().lockedWindow(), nullptr);
  EXPECT_TRUE(env.d().lockWindowUpdate(a));
}

}  // namespace
}  // namespace flx::simtest
