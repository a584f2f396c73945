// The simulated desktop's answers about the system: the user's locale, the
// Windows version, the visual style and the thread.
#include <gtest/gtest.h>

#include "sim_desktop_fixture.h"

namespace flx::simtest {
namespace {

TEST(SimSystem, LocaleBufferRules) {
  struct Case {
    const char* name;
    LCTYPE type;
    int size;
    int result;
    const char* buffer;
  };
  const Case cases[] = {
      {"size query", LOCALE_SABBREVLANGNAME, 0, 4, "########"},
      {"too small", LOCALE_SABBREVLANGNAME, 3, 0, "########"},
      {"exact", LOCALE_SABBREVLANGNAME, 4, 4, "JPN"},
      {"roomy", LOCALE_SABBREVLANGNAME, 8, 4, "JPN"},
      {"other type", 0x1001, 8, 0, "########"},
  };
  DesktopConfig config;
  config.localeAbbrev = "JPN";
  Env env(config);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    char buf[9] = "########";
    EXPECT_EQ(env.d().getLocaleInfoA(LOCALE_USER_DEFAULT, c.type,
                                     c.size ? buf : nullptr, c.size),
              c.result);
    EXPECT_STREQ(buf, c.buffer);
  }
  env.d().mutableConfig().localeAbbrev = "DEU";
  char buf[8] = {};
  EXPECT_EQ(env.d().getLocaleInfoA(0x407, LOCALE_SABBREVLANGNAME, buf, 8), 4);
  EXPECT_STREQ(buf, "DEU");
}

TEST(SimSystem, VersionStyleAndThread) {
  DesktopConfig config;
  config.version = OSVersion{6, 1};
  config.customStyle = true;
  Env env(config);
  EXPECT_EQ(env.d().getVersion().major, 6);
  EXPECT_EQ(env.d().getVersion().minor, 1);
  EXPECT_TRUE(env.d().isCustomStyleActive());
  env.d().mutableConfig().version = OSVersion{4, 10};
  env.d().mutableConfig().customStyle = false;
  EXPECT_EQ(env.d().getVersion().major, 4);
  EXPECT_FALSE(env.d().isCustomStyleActive());
  EXPECT_EQ(env.d().getCurrentThreadId(), env.d().getCurrentThreadId());
  EXPECT_NE(env.d().getCurrentThreadId(), 0u);
}

}  // namespace
}  // namespace flx::simtest
