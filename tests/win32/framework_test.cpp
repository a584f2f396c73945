// The framework model on real windows: forms and controls create system
// windows at their bounds, follow the form's real WM_SIZE, hand their fonts
// to the windows and take them down with them.
//
// The framework headers come before <windows.h>: classes.h declares names
// that are macros there (RegisterClass, GetObject).
#include "flexarium/forms.h"
#include "flexarium/stdctrls.h"
#include "flexarium/sysutils.h"

// After the framework headers (see above).
#include "native_env.h"

#include <memory>
#include <string>
#include <vector>

using native::rect;
using native::rectInParent;

namespace {

int screenDpi() {
  HDC dc = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(dc, LOGPIXELSY);
  ::ReleaseDC(nullptr, dc);
  return dpi;
}

// A form with a button, an edit, a panel holding a button, and a label,
// as a design environment would lay them out.
struct SampleForm {
  flx::TForm form{nullptr};
  flx::TButton* button;
  flx::TEdit* edit;
  flx::TPanel* panel;
  flx::TButton* inner;
  flx::TLabel* label;

  SampleForm() {
    form.SetText("Sample");
    form.SetClientWidth(400);
    form.SetClientHeight(300);
    button = place(new flx::TButton(&form), &form, 10, 10, 75, 25);
    button->SetText("OK");
    edit = place(new flx::TEdit(&form), &form, 10, 50, 121, 21);
    panel = place(new flx::TPanel(&form), &form, 150, 10, 200, 100);
    inner = place(new flx::TButton(&form), panel, 5, 5, 60, 20);
    label = place(new flx::TLabel(&form), &form, 10, 90, 65, 13);
  }

  template <typename C>
  static C* place(C* c, flx::TWinControl* parent, int l, int t, int w, int h) {
    c->SetParent(parent);
    c->SetBounds(l, t, w, h);
    return c;
  }
};

BOOL CALLBACK countChild(HWND, LPARAM counter) {
  ++*reinterpret_cast<int*>(counter);
  return TRUE;
}

TEST(ControlsGetSystemWindowsAtTheirBounds) {
  flx::win32::ScopedDesktop desktop;
  SampleForm s;
  s.form.Show();
  const HWND form = s.form.Handle();
  REQUIRE(::IsWindow(form));
  CHECK(native::sameClass(form, L"FlxForm"));
  CHECK(::IsWindowVisible(form));
  struct Row {
    const char* name;
    flx::TWinControl* control;
    const wchar_t* cls;
    HWND parent;
    RECT bounds;
  };
  const Row rows[] = {
      {"button", s.button, L"Button", form, rect(10, 10, 75, 25)},
      {"edit", s.edit, L"Edit", form, rect(10, 50, 121, 21)},
      {"panel", s.panel, L"FlxContainer", form, rect(150, 10, 200, 100)},
      {"inner", s.inner, L"Button", s.panel->Handle(), rect(5, 5, 60, 20)},
  };
  for (const Row& r : rows) {
    SCOPED(r.name);
    const HWND wnd = r.control->Handle();
    REQUIRE(::IsWindow(wnd));
    CHECK(native::sameClass(wnd, r.cls));
    CHECK_EQ(::GetParent(wnd), r.parent);
    CHECK_EQ(rectInParent(wnd), r.bounds);
    CHECK(::IsWindowVisible(wnd));
  }
  // The label draws on the form: no window of its own.
  int children = 0;
  ::EnumChildWindows(form, &countChild, reinterpret_cast<LPARAM>(&children));
  CHECK_EQ(children, 4);
  wchar_t text[16] = {};
  ::GetWindowTextW(s.button->Handle(), text, 16);
  CHECK(std::wstring(text) == L"OK");
}

// The system trims a list box to whole items unless told not to; the
// framework's list boxes keep any height, or a rescale pass would shrink
// them (230 instead of 240 pixels in the product form at 1.5x).
TEST(ListBoxesKeepTheirHeight) {
  flx::win32::ScopedDesktop desktop;
  flx::TForm form(nullptr);
  form.SetClientWidth(300);
  form.SetClientHeight(300);
  auto* list = new flx::TListBox(&form);
  list->SetParent(&form);
  list->SetBounds(10, 10, 121, 97);
  form.Show();
  CHECK_EQ(rectInParent(list->Handle()), rect(10, 10, 121, 97));
  for (int height : {120, 133, 241}) {
    SCOPED(std::to_string(height));
    list->SetBounds(10, 10, 150, height);
    CHECK_EQ(rectInParent(list->Handle()), rect(10, 10, 150, height));
  }
}

TEST(FormSizeIsTheClientSizePlusTheRealFrame) {
  flx::win32::ScopedDesktop desktop;
  SampleForm s;
  s.form.Show();
  const HWND form = s.form.Handle();
  CHECK_EQ(native::clientRect(form), rect(0, 0, 400, 300));
  RECT outer{};
  ::GetWindowRect(form, &outer);
  CHECK_EQ(s.form.Width(), static_cast<int>(outer.right - outer.left));
  CHECK_EQ(s.form.Height(), static_cast<int>(outer.bottom - outer.top));
  CHECK_EQ(s.form.ClientWidth(), 400);
  CHECK_EQ(s.form.ClientHeight(), 300);
}

TEST(BoundsSettersMoveTheWindows) {
  flx::win32::ScopedDesktop desktop;
  SampleForm s;
  s.form.Show();
  struct Row {
    const char* name;
    flx::TWinControl* control;
    void (*change)(flx::TWinControl*);
    RECT expected;
  };
  const Row rows[] = {
      {"left", s.button, [](flx::TWinControl* c) { c->SetLeft(20); },
       rect(20, 10, 75, 25)},
      {"top", s.button, [](flx::TWinControl* c) { c->SetTop(30); },
       rect(20, 30, 75, 25)},
      {"width", s.edit, [](flx::TWinControl* c) { c->SetWidth(90); },
       rect(10, 50, 90, 21)},
      {"height", s.edit, [](flx::TWinControl* c) { c->SetHeight(40); },
       rect(10, 50, 90, 40)},
      {"bounds", s.panel,
       [](flx::TWinControl* c) { c->SetBounds(160, 20, 180, 120); },
       rect(160, 20, 180, 120)},
      {"inner", s.inner,
       [](flx::TWinControl* c) { c->SetBounds(7, 8, 50, 30); },
       rect(7, 8, 50, 30)},
  };
  for (const Row& r : rows) {
    SCOPED(r.name);
    r.change(r.control);
    CHECK_EQ(rectInParent(r.control->Handle()), r.expected);
  }
}

TEST(AlignmentAndAnchorsFollowTheRealClientArea) {
  flx::win32::ScopedDesktop desktop;
  flx::TForm form(nullptr);
  form.SetClientWidth(400);
  form.SetClientHeight(300);
  auto* top = SampleForm::place(new flx::TPanel(&form), &form, 0, 0, 400, 40);
  top->SetAlign(flx::TAlign::alTop);
  auto* corner =
      SampleForm::place(new flx::TButton(&form), &form, 300, 250, 75, 25);
  corner->SetAnchors(flx::akRight | flx::akBottom);
  form.Show();
  struct Row {
    const char* name;
    void (*change)(flx::TForm&);
    int clientWidth;
    int clientHeight;
  };
  const Row rows[] = {
      {"client size",
       [](flx::TForm& f) {
         f.SetClientWidth(500);
         f.SetClientHeight(360);
       },
       500, 360},
      {"outer bounds",
       [](flx::TForm& f) {
         f.SetBounds(f.Left(), f.Top(), f.Width() - 60, f.Height() - 30);
       },
       440, 330},
      {"window moved by the system",
       [](flx::TForm& f) {
         RECT r{};
         ::GetWindowRect(f.Handle(), &r);
         ::MoveWindow(f.Handle(), r.left, r.top, r.right - r.left + 20,
                      r.bottom - r.top + 10, TRUE);
       },
       460, 340},
  };
  for (const Row& r : rows) {
    SCOPED(r.name);
    r.change(form);
    CHECK_EQ(native::clientRect(form.Handle()),
             rect(0, 0, r.clientWidth, r.clientHeight));
    CHECK_EQ(form.ClientWidth(), r.clientWidth);
    CHECK_EQ(rectInParent(top->Handle()), rect(0, 0, r.clientWidth, 40));
    CHECK_EQ(rectInParent(corner->Handle()),
             rect(r.clientWidth - 100, r.clientHeight - 50, 75, 25));
  }
}

TEST(MaximizeAndRestoreReachTheFrameworkThroughWmSize) {
  flx::win32::ScopedDesktop desktop;
  flx::TForm form(nullptr);
  form.SetBounds(50, 60, 420, 320);
  auto* fill = SampleForm::place(new flx::TPanel(&form), &form, 0, 0, 10, 10);
  fill->SetAlign(flx::TAlign::alClient);
  form.Show();
  const HWND wnd = form.Handle();
  form.SetWindowState(flx::TWindowState::wsMaximized);
  CHECK(::IsZoomed(wnd));
  CHECK(form.WindowState() == flx::TWindowState::wsMaximized);
  const RECT maxClient = native::clientRect(wnd);
  CHECK(maxClient.right > 420);
  CHECK_EQ(rectInParent(fill->Handle()), maxClient);
  form.SetWindowState(flx::TWindowState::wsNormal);
  CHECK(!::IsZoomed(wnd));
  CHECK(form.WindowState() == flx::TWindowState::wsNormal);
  RECT restored{};
  ::GetWindowRect(wnd, &restored);
  CHECK_EQ(restored, rect(50, 60, 420, 320));
  CHECK_EQ(form.Left(), 50);
  CHECK_EQ(form.Width(), 420);
  CHECK_EQ(rectInParent(fill->Handle()), native::clientRect(wnd));
}

TEST(SizeConstraintsClampThroughTheRealMinMaxInfo) {
  flx::win32::ScopedDesktop desktop;
  flx::TForm form(nullptr);
  form.SetBounds(0, 0, 400, 300);
  form.Constraints().MaxWidth = 450;
  form.Constraints().MinHeight = 200;
  form.Show();
  const HWND wnd = form.Handle();
  struct Row {
    const char* name;
    int width;
    int height;
    int expectWidth;
    int expectHeight;
  };
  for (const Row& r :
       {Row{"too wide", 900, 300, 450, 300}, Row{"too low", 400, 50, 400, 200},
        Row{"inside", 420, 250, 420, 250}}) {
    SCOPED(r.name);
    // The system's own move (as a user's drag would be) asks the form.
    ::MoveWindow(wnd, 0, 0, r.width, r.height, TRUE);
    RECT got{};
    ::GetWindowRect(wnd, &got);
    CHECK_EQ(got, rect(0, 0, r.expectWidth, r.expectHeight));
    CHECK_EQ(form.Width(), r.expectWidth);
    CHECK_EQ(form.Height(), r.expectHeight);
  }
}

TEST(FontsReachTheWindows) {
  flx::win32::ScopedDesktop desktop;
  const int dpi = screenDpi();
  SampleForm s;
  s.form.Font().SetName("Tahoma");
  s.form.Font().SetSize(12);
  s.button->Font().SetSize(9);
  s.button->Font().SetStyle(flx::fsBold);
  s.form.Show();
  struct Row {
    const char* name;
    HWND wnd;
    int points;
    LONG weight;
  };
  // Only system controls keep a font: DefWindowProc, behind the form's and
  // the panel's own classes, ignores WM_SETFONT and answers WM_GETFONT with
  // 0. The inner button shows that the panel passed the form's font on.
  const Row rows[] = {
      {"edit follows the form", s.edit->Handle(), 12, FW_NORMAL},
      {"inner follows the panel", s.inner->Handle(), 12, FW_NORMAL},
      {"button has its own", s.button->Handle(), 9, FW_BOLD},
  };
  for (const Row& r : rows) {
    SCOPED(r.name);
    const LOGFONTW lf = native::windowFont(r.wnd);
    CHECK_EQ(lf.lfHeight, -::MulDiv(r.points, dpi, 72));
    CHECK_EQ(lf.lfWeight, r.weight);
    CHECK(std::wstring(lf.lfFaceName) == L"Tahoma");
  }
  // A change after creation reaches the live windows too.
  s.form.Font().SetSize(14);
  CHECK_EQ(native::windowFont(s.edit->Handle()).lfHeight,
           -::MulDiv(14, dpi, 72));
  CHECK_EQ(native::windowFont(s.inner->Handle()).lfHeight,
           -::MulDiv(14, dpi, 72));
  CHECK_EQ(native::windowFont(s.button->Handle()).lfHeight,
           -::MulDiv(9, dpi, 72));
}

// Pixels of the window's client in `r` that differ from the one at `bg`.
int pixelsUnlike(HWND wnd, POINT bg, RECT r) {
  HDC dc = ::GetDC(wnd);
  const COLORREF background = ::GetPixel(dc, bg.x, bg.y);
  int count = 0;
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) {
      if (::GetPixel(dc, x, y) != background) ++count;
    }
  }
  ::ReleaseDC(wnd, dc);
  return count;
}

TEST(ControlsWithoutAWindowArePaintedByTheirParent) {
  flx::win32::ScopedDesktop desktop;
  flx::TForm form{nullptr};
  form.SetText("Paint");
  form.SetClientWidth(320);
  form.SetClientHeight(160);
  auto* label =
      SampleForm::place(new flx::TLabel(&form), &form, 20, 20, 240, 30);
  label->Font().SetSize(16);
  label->SetText("&WMW MWM");
  auto* bevel =
      SampleForm::place(new flx::TBevel(&form), &form, 20, 80, 100, 50);
  form.Show();
  const HWND wnd = form.Handle();
  ::UpdateWindow(wnd);
  const POINT bg{300, 150};
  CHECK(pixelsUnlike(wnd, bg, RECT{20, 20, 260, 50}) > 50);
  // The outline: its top edge is drawn, its inside is not.
  CHECK(pixelsUnlike(wnd, bg, RECT{20, 80, 120, 81}) > 50);
  CHECK_EQ(pixelsUnlike(wnd, bg, RECT{30, 90, 110, 120}), 0);
  // A hidden label leaves the background alone.
  label->SetVisible(false);
  ::InvalidateRect(wnd, nullptr, TRUE);
  ::UpdateWindow(wnd);
  CHECK_EQ(pixelsUnlike(wnd, bg, RECT{20, 20, 260, 50}), 0);
  (void)bevel;
}

TEST(TextReachesTheWindowAsUtf16) {
  flx::win32::ScopedDesktop desktop;
  SampleForm s;
  struct Row {
    const char* name;
    const char* utf8;
    std::wstring utf16;
  };
  const Row rows[] = {
      {"ascii", "Save", L"Save"},
      {"latin", "Gr\xC3\xBC\xC3\x9F\x65",
       L"Gr\u00FC\u00DF"
       L"e"},
      {"kana", "\xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88", L"\u30C6\u30B9\u30C8"},
      {"astral", "\xF0\x9F\x98\x80", L"\xD83D\xDE00"},
      {"empty", "", L""},
  };
  for (const Row& r : rows) {
    SCOPED(r.name);
    s.button->SetText(r.utf8);
    wchar_t text[32] = {};
    ::GetWindowTextW(s.button->Handle(), text, 32);
    CHECK(std::wstring(text) == r.utf16);
  }
}

TEST(VisibleShowsAndHidesTheWindow) {
  flx::win32::ScopedDesktop desktop;
  SampleForm s;
  s.form.Show();
  const HWND wnd = s.panel->Handle();
  s.panel->SetVisible(false);
  CHECK(!::IsWindowVisible(wnd));
  CHECK(!::IsWindowVisible(s.inner->Handle()));
  s.panel->SetVisible(true);
  CHECK(::IsWindowVisible(wnd));
  CHECK(::IsWindowVisible(s.inner->Handle()));
}

TEST(WindowsGoWithTheirControls) {
  flx::win32::ScopedDesktop desktop;
  auto s = std::make_unique<SampleForm>();
  s->form.Show();
  const HWND form = s->form.Handle();
  const HWND button = s->button->Handle();
  const HWND panel = s->panel->Handle();
  const HWND inner = s->inner->Handle();
  delete s->button;
  CHECK(!::IsWindow(button));
  CHECK(::IsWindow(panel));
  s->panel->SetParent(nullptr);
  CHECK(!::IsWindow(panel));
  CHECK(!::IsWindow(inner));
  CHECK(!s->inner->HandleAllocated());
  s.reset();
  CHECK(!::IsWindow(form));
}

}  // namespace

MINI_TEST_MAIN()
