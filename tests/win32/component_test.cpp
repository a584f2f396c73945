// TFlexarium on real windows: a form read from text rescales its controls'
// windows and fonts when the system resizes it. The runner starts this exe
// twice: as Windows 7 (the form's procedure is subclassed) and, through a
// copy named for an AppDefaults entry, as Windows 98 (the thread hook).
#include "flexarium/flexarium.h"
#include "flexarium/formfile.h"
#include "flexarium/forms.h"
#include "flexarium/stdctrls.h"
#include "unit/unit_private.h"

// After the framework headers: classes.h declares names that are macros in
// <windows.h>.
#include "native_env.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

using flx::win32::ScopedDesktop;
using native::rect;
using native::rectInParent;

namespace {

// The unit lives as long as one desktop: started once it is installed,
// stopped before it goes.
struct Session {
  ScopedDesktop sd;
  std::unique_ptr<flx::TComponent> root;
  Session() { flx::FlexariumInitialization(); }
  ~Session() {
    root.reset();
    flx::FlexariumFinalization();
  }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  flx::TCustomForm& load(const std::string& text) {
    root = flx::LoadFormText(text, "native.dfm");
    auto* form = dynamic_cast<flx::TCustomForm*>(root.get());
    REQUIRE(form != nullptr);
    return *form;
  }
  HWND handleOf(const char* name) {
    auto* c = dynamic_cast<flx::TWinControl*>(root->FindComponent(name));
    REQUIRE(c != nullptr);
    return c->Handle();
  }
};

// Design client 800 x 600 at 96 DPI, 8 pt Tahoma.
const char* const kForm =
    "object MainForm: TMainForm\n"
    "  Left = 100\n  Top = 100\n"
    "  ClientHeight = 600\n  ClientWidth = 800\n"
    "  Font.Height = -11\n  Font.Name = 'Tahoma'\n"
    "  object B: TButton\n"
    "    Left = 10\n    Top = 20\n    Width = 75\n    Height = 21\n"
    "  end\n"
    "  object P: TPanel\n"
    "    Left = 400\n    Top = 300\n    Width = 200\n    Height = 100\n"
    "    object E: TEdit\n"
    "      Left = 8\n      Top = 8\n      Width = 121\n      Height = 21\n"
    "    end\n"
    "  end\n"
    "  object Flexarium1: TFlexarium\n"
    "    DesignFrmW = 800\n    DesignFrmH = 600\n"
    "    DesignDpiW = 96\n    DesignDpiH = 96\n"
    "  end\n"
    "end\n";

// Resizes the form's window as the system would (a user's drag ends in the
// same WM_SIZE) to this client size.
void resizeClient(HWND form, int width, int height) {
  RECT outer{}, client{};
  ::GetWindowRect(form, &outer);
  ::GetClientRect(form, &client);
  const int dx = (outer.right - outer.left) - client.right;
  const int dy = (outer.bottom - outer.top) - client.bottom;
  ::MoveWindow(form, outer.left, outer.top, width + dx, height + dy, TRUE);
}

TEST(TheSystemVersionPicksThePath) {
  Session s;
  const std::string expected = native::envString("FLX_EXPECT_VERSION", "");
  REQUIRE(!expected.empty());
  const flx::win::OSVersion v = s.sd->getVersion();
  CHECK_EQ(std::to_string(v.major) + "." + std::to_string(v.minor), expected);
  flx::TCustomForm& form = s.load(kForm);
  form.Show();
  // Windows 4.x: the form keeps the framework's procedure and a thread hook
  // stands in; later versions subclass the form.
  const auto proc = reinterpret_cast<flx::win::WNDPROC>(
      ::GetWindowLongPtrW(form.Handle(), GWLP_WNDPROC));
  CHECK_EQ(proc == &flx::TWinControl::MainWndProc, v.major == 4);
}

TEST(RescalesTheWindowsAndFontsOfItsForm) {
  Session s;
  flx::TCustomForm& form = s.load(kForm);
  form.Show();
  const HWND wnd = form.Handle();
  REQUIRE(::IsWindowVisible(wnd));
  CHECK_EQ(native::clientRect(wnd), rect(0, 0, 800, 600));
  struct Row {
    const char* name;
    int width;
    int height;
    RECT button;
    RECT panel;
    RECT edit;
    int points;
  };
  const Row rows[] = {
      {"x1.5", 1200, 900, rect(15, 30, 113, 32), rect(600, 450, 300, 150),
       rect(12, 12, 182, 32), 12},
      {"x0.75", 600, 450, rect(8, 15, 56, 16), rect(300, 225, 150, 75),
       rect(6, 6, 91, 16), 6},
      {"back", 800, 600, rect(10, 20, 75, 21), rect(400, 300, 200, 100),
       rect(8, 8, 121, 21), 8},
  };
  for (const Row& r : rows) {
    SCOPED(r.name);
    resizeClient(wnd, r.width, r.height);
    CHECK_EQ(native::clientRect(wnd), rect(0, 0, r.width, r.height));
    CHECK_EQ(rectInParent(s.handleOf("B")), r.button);
    CHECK_EQ(rectInParent(s.handleOf("P")), r.panel);
    CHECK_EQ(rectInParent(s.handleOf("E")), r.edit);
    CHECK_EQ(native::windowFont(s.handleOf("B")).lfHeight,
             -::MulDiv(r.points, 96, 72));
    // The pass released its lock and let the form draw again.
    CHECK(s.sd->lockedWindow() == nullptr);
    CHECK(::IsWindowVisible(wnd));
  }
}

TEST(MaximizeRescalesAndRestoreComesBack) {
  Session s;
  flx::TCustomForm& form = s.load(kForm);
  form.Show();
  const HWND wnd = form.Handle();
  ::ShowWindow(wnd, SW_MAXIMIZE);
  REQUIRE(::IsZoomed(wnd));
  const RECT client = native::clientRect(wnd);
  const RECT panel = rectInParent(s.handleOf("P"));
  // The panel keeps its place in proportion to the client area (1 px of
  // rounding either way).
  CHECK(std::abs(panel.left - ::MulDiv(400, client.right, 800)) <= 1);
  CHECK(std::abs(panel.top - ::MulDiv(300, client.bottom, 600)) <= 1);
  ::ShowWindow(wnd, SW_RESTORE);
  CHECK(!::IsZoomed(wnd));
  CHECK_EQ(native::clientRect(wnd), rect(0, 0, 800, 600));
  CHECK_EQ(rectInParent(s.handleOf("P")), rect(400, 300, 200, 100));
  CHECK_EQ(rectInParent(s.handleOf("B")), rect(10, 20, 75, 21));
}

// The button's rectangle as the rescale pass gives it for this client size
// (bounds scale half up with the client's factors against 800 x 600).
RECT scaledButton(const RECT& client) {
  // As the pass computes them: the factor a double from an extended
  // quotient, each bound rounded in extended precision.
  const double fx = static_cast<long double>(client.right) / 800;
  const double fy = static_cast<long double>(client.bottom) / 600;
  auto halfUp = [](int v, double f) {
    return static_cast<int>(v * static_cast<long double>(f) + 0.5L);
  };
  return rect(halfUp(10, fx), halfUp(20, fy), halfUp(75, fx), halfUp(21, fy));
}

// Records, for the form's window, how deeply nested each WM_GETMINMAXINFO
// arrives at the thread's hooks, and hands every message on to the hook
// installed before it (the component's, on Windows 4.x).
struct HookProbe {
  static HWND form;
  static HHOOK hook;
  static int depth;
  static std::vector<int> minMaxDepths;
  static LRESULT CALLBACK proc(int code, WPARAM wParam, LPARAM lParam) {
    const auto* m = reinterpret_cast<const CWPSTRUCT*>(lParam);
    ++depth;
    if (code == HC_ACTION && m->hwnd == form &&
        m->message == WM_GETMINMAXINFO) {
      minMaxDepths.push_back(depth);
    }
    const LRESULT result = ::CallNextHookEx(hook, code, wParam, lParam);
    --depth;
    return result;
  }
};
HWND HookProbe::form = nullptr;
HHOOK HookProbe::hook = nullptr;
int HookProbe::depth = 0;
std::vector<int> HookProbe::minMaxDepths;

bool underWine() {
  return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"),
                          "wine_get_version") != nullptr;
}

// A form larger than its maximum when first shown. The component places it
// while the system shows it (WM_SHOWWINDOW); the size limit comes with the
// WM_GETMINMAXINFO that this placement causes, which on Windows 4.x only the
// hook sees: a message sent from inside the hook reaches it again.
TEST(TheFirstShowIsHeldToTheMaximumSize) {
  Session s;
  std::string text = kForm;
  const std::string limits =
      "    FormPos = rpTopLeft\n"
      "    FormMaxWidth = 600\n    FormMaxHeight = 400\n";
  text.insert(text.find("    DesignFrmW"), limits);
  flx::TCustomForm& form = s.load(text);
  const HWND wnd = form.Handle();
  HookProbe::form = wnd;
  HookProbe::minMaxDepths.clear();
  HookProbe::hook = ::SetWindowsHookExW(WH_CALLWNDPROC, &HookProbe::proc,
                                        nullptr, ::GetCurrentThreadId());
  REQUIRE(HookProbe::hook != nullptr);
  form.Show();
  ::UnhookWindowsHookEx(HookProbe::hook);
  const bool hookPath = flx::Win32MajorVersion() == 4;
  // The placement's WM_GETMINMAXINFO reached the hooks: on the hook path
  // while WM_SHOWWINDOW was still at them (nested), on the subclass path
  // from the window procedure, after them.
  const int depth = hookPath ? 2 : 1;
  CHECK(std::find(HookProbe::minMaxDepths.begin(),
                  HookProbe::minMaxDepths.end(),
                  depth) != HookProbe::minMaxDepths.end());
  RECT window{};
  ::GetWindowRect(wnd, &window);
  // Wine hands a hook a copy of the MINMAXINFO that the system sends, so
  // the hook's limit does not reach the system there (Windows 4.x passes
  // the record itself).
  const bool limited = !(hookPath && underWine());
  CHECK_EQ(
      window.right - window.left == 600 && window.bottom - window.top == 400,
      limited);
  // Whatever size the form took, its controls follow it.
  const RECT client = native::clientRect(wnd);
  CHECK_EQ(rectInParent(s.handleOf("B")), scaledButton(client));
}

// An application that resizes its form from OnExitResize, which the
// component raises inside the WM_SIZE it handles: the size change made
// there is rescaled as well, on the hook path as on the subclass path.
TEST(ASizeChangeMadeInsideAHandledMessageIsRescaled) {
  Session s;
  flx::TCustomForm& form = s.load(kForm);
  form.Show();
  const HWND wnd = form.Handle();
  auto* flex =
      dynamic_cast<flx::TFlexarium*>(s.root->FindComponent("Flexarium1"));
  REQUIRE(flex != nullptr);
  int passes = 0;
  bool corrected = false;
  flx::TExitResizeEvent event;
  event.Code = [&](flx::TObject*, double, double) {
    ++passes;
    // Keeps the width to four thirds of the height, once.
    if (corrected) return;
    corrected = true;
    const RECT c = native::clientRect(wnd);
    resizeClient(wnd, c.bottom * 4 / 3, c.bottom);
  };
  flex->SetOnExitResize(std::move(event));
  resizeClient(wnd, 1000, 600);
  const RECT client = native::clientRect(wnd);
  CHECK_EQ(client, rect(0, 0, 800, 600));
  CHECK(passes >= 2);
  CHECK_EQ(rectInParent(s.handleOf("B")), scaledButton(client));
  CHECK_EQ(rectInParent(s.handleOf("P")), rect(400, 300, 200, 100));
}

// Disabling, enabling again and freeing the component leave the form's own
// procedure in the chain: it still resizes, paints and closes.
TEST(TheSubclassChainStaysIntact) {
  Session s;
  flx::TCustomForm& form = s.load(kForm);
  form.Show();
  const HWND wnd = form.Handle();
  auto* flex =
      dynamic_cast<flx::TFlexarium*>(s.root->FindComponent("Flexarium1"));
  REQUIRE(flex != nullptr);
  const bool subclassed = flx::Win32MajorVersion() >= 5;
  auto current = [&] {
    return reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(wnd, GWLP_WNDPROC));
  };
  if (subclassed) CHECK(current() == &flx::FormWndProc);
  flex->SetEnabled(false);
  CHECK(current() != &flx::FormWndProc);
  resizeClient(wnd, 900, 700);
  CHECK_EQ(native::clientRect(wnd), rect(0, 0, 900, 700));
  CHECK_EQ(form.ClientWidth(), 900);
  CHECK_EQ(rectInParent(s.handleOf("B")), rect(10, 20, 75, 21));
  flex->SetEnabled(true);
  if (subclassed) CHECK(current() == &flx::FormWndProc);
  resizeClient(wnd, 1200, 900);
  CHECK_EQ(rectInParent(s.handleOf("B")), rect(15, 30, 113, 32));
  delete flex;
  resizeClient(wnd, 800, 600);
  CHECK_EQ(form.ClientWidth(), 800);
  CHECK_EQ(rectInParent(s.handleOf("B")), rect(15, 30, 113, 32));
  // It paints: the whole client area is validated by the form's procedure.
  ::InvalidateRect(wnd, nullptr, TRUE);
  CHECK(::UpdateWindow(wnd) != FALSE);
  RECT pending{};
  CHECK(::GetUpdateRect(wnd, &pending, FALSE) == FALSE);
  // It closes.
  ::SendMessageW(wnd, WM_CLOSE, 0, 0);
  CHECK(::IsWindow(wnd) == FALSE);
}

}  // namespace

MINI_TEST_MAIN()
