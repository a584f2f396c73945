// Screen DPI as the system reports it (the runner sets LogPixels in the
// registry and passes the value in FLX_EXPECT_DPI), and the framework's
// fonts that follow it onto real windows.
#include "flexarium/forms.h"
#include "flexarium/stdctrls.h"

// After the framework headers: classes.h declares names that are macros in
// <windows.h>.
#include "native_env.h"

using flx::win32::ScopedDesktop;

namespace {

int expectedDpi() { return native::envInt("FLX_EXPECT_DPI", 0); }

TEST(ScreenDpiIsTheSystems) {
  ScopedDesktop sd;
  const int dpi = expectedDpi();
  REQUIRE(dpi > 0);
  const flx::win::HDC dc = sd->getDC(nullptr);
  REQUIRE(dc != nullptr);
  CHECK_EQ(sd->getDeviceCaps(dc, LOGPIXELSX), dpi);
  CHECK_EQ(sd->getDeviceCaps(dc, LOGPIXELSY), dpi);
  CHECK_EQ(sd->releaseDC(nullptr, dc), 1);
  CHECK_EQ(flx::ScreenPixelsPerInch(), dpi);
}

TEST(DefaultFontIsEightPointAtTheScreenDpi) {
  ScopedDesktop sd;
  const int dpi = expectedDpi();
  REQUIRE(dpi > 0);
  flx::TForm form(nullptr);
  auto* button = new flx::TButton(&form);
  button->SetParent(&form);
  auto* edit = new flx::TEdit(&form);
  edit->SetParent(&form);
  edit->Font().SetSize(10);
  form.Show();
  CHECK_EQ(form.Font().Height(), -::MulDiv(8, dpi, 72));
  CHECK_EQ(form.Font().Size(), 8);
  struct Row {
    const char* name;
    HWND wnd;
    int points;
  };
  for (const Row& r :
       {Row{"button", button->Handle(), 8}, Row{"edit", edit->Handle(), 10}}) {
    SCOPED(r.name);
    CHECK_EQ(native::windowFont(r.wnd).lfHeight, -::MulDiv(r.points, dpi, 72));
  }
}

}  // namespace

MINI_TEST_MAIN()
