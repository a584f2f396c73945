// What the system says about itself: the true Windows version (not the
// compatibility shim's) and the user locale. The runner starts this exe
// with the version Wine should report (its AppDefaults entry) and a locale,
// and passes the expectations in FLX_EXPECT_VERSION and FLX_EXPECT_LOCALE.
#include "native_env.h"

#include <cstdio>
#include <string>

using flx::win32::ScopedDesktop;

namespace {

TEST(VersionIsTheTrueOneNotTheShimmedOne) {
  ScopedDesktop sd;
  const std::string expected = native::envString("FLX_EXPECT_VERSION", "");
  REQUIRE(!expected.empty());
  const flx::win::OSVersion v = sd->getVersion();
  CHECK_EQ(std::to_string(v.major) + "." + std::to_string(v.minor), expected);
  // An exe without a manifest is told 6.2 at most by GetVersionExW.
  OSVERSIONINFOW shimmed{};
  shimmed.dwOSVersionInfoSize = sizeof shimmed;
  REQUIRE(::GetVersionExW(&shimmed));
  if (v.major >= 10 || (v.major == 6 && v.minor >= 3)) {
    CHECK(shimmed.dwMajorVersion != static_cast<DWORD>(v.major) ||
          shimmed.dwMinorVersion != static_cast<DWORD>(v.minor));
  }
  CHECK_EQ(sd->getVersion().major, v.major);
}

TEST(LocaleAbbreviationComesFromTheUserLocale) {
  ScopedDesktop sd;
  const std::string expected = native::envString("FLX_EXPECT_LOCALE", "");
  REQUIRE(!expected.empty());
  char buf[16] = {};
  const int n = sd->getLocaleInfoA(0x0400, 0x0003, buf, sizeof buf);
  CHECK_EQ(n, static_cast<int>(expected.size()) + 1);
  CHECK_EQ(std::string(buf), expected);
  CHECK_EQ(sd->getLocaleInfoA(0x0400, 0x0003, nullptr, 0), n);
  char tiny[2] = {};
  CHECK_EQ(sd->getLocaleInfoA(0x0400, 0x0003, tiny, sizeof tiny), 0);
}

}  // namespace

MINI_TEST_MAIN()
