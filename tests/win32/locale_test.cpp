// The size-property refusals on real windows come in the user's language:
// Japanese when Wine reports the Japanese locale (the runner starts this exe
// with LC_ALL=ja_JP.UTF-8), English otherwise. The runner passes the
// expected language in FLX_EXPECT_LANGUAGE (ja or en).
#include "flexarium/flexarium.h"
#include "flexarium/forms.h"
#include "flexarium/sysutils.h"
#include "unit/unit_private.h"

// After the framework headers: classes.h declares names that are macros in
// <windows.h>.
#include "native_env.h"

#include <string>

using flx::win32::ScopedDesktop;

namespace {

// The refusal of the write, or "" when it is accepted.
template <typename Write>
std::string refusalOf(Write write) {
  try {
    write();
  } catch (const flx::EInvalidOperation& e) {
    return e.what();
  }
  return "";
}

TEST(SizeRefusalsComeInTheUsersLanguage) {
  ScopedDesktop sd;
  const std::string language = native::envString("FLX_EXPECT_LANGUAGE", "");
  REQUIRE(language == "ja" || language == "en");
  const bool japanese = language == "ja";
  flx::FlexariumInitialization();
  {
    flx::TForm form{nullptr};
    auto* flex = new flx::TFlexarium(&form);
    flex->SetFormMinWidth(400);
    // Stale on purpose: each write looks the language up again.
    flx::JapaneseUI = !japanese;
    const std::string message = refusalOf([&] { flex->SetFormMaxWidth(300); });
    CHECK_EQ(
        message,
        std::string(japanese ? "FormMinWidth 以上の値を入れてください"
                             : "Set this value equal to or greater than the "
                               "FormMinWidth"));
    CHECK_EQ(flx::JapaneseUI, japanese);
    CHECK_EQ(flex->FormMaxWidth(), 0);
    // Accepted at the limit.
    CHECK_EQ(refusalOf([&] { flex->SetFormMaxWidth(400); }), std::string());
    CHECK_EQ(flex->FormMaxWidth(), 400);
  }
  flx::FlexariumFinalization();
}

}  // namespace

MINI_TEST_MAIN()
