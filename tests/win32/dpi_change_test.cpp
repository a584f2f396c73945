// A change of DPI on real windows. Wine gives every monitor one DPI, so a
// move never brings one: the test sends WM_GETDPISCALEDSIZE and then
// WM_DPICHANGED to a real form itself, with the rectangle Windows would
// suggest, and compares what the windows show with the same form shown
// directly at that DPI on the simulated desktop, the engine of `flexarium
// preview`. It also writes what it measured (FLX_DPI_REPORT) for the runner
// to hold against `flexarium preview --dpi N --client WxH` itself.
#include "flexarium/flexarium.h"
#include "flexarium/formfile.h"
#include "flexarium/forms.h"
#include "flexarium/sim_desktop.h"
#include "flexarium/stdctrls.h"

// After the framework headers: classes.h declares names that are macros in
// <windows.h>.
#include "native_env.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

struct ControlState {
  std::string name;
  RECT bounds;
  int fontHeight;
  // A drop-down combo box's height is the system's, from its font: as in
  // the parity check, it is not held against the simulation.
  bool heightBySystem;
};

struct Layout {
  int clientWidth = 0;
  int clientHeight = 0;
  int formFontHeight = 0;
  std::vector<ControlState> controls;
};

// Each control of the form as its window shows it (a control without a
// window: as the framework holds it).
void collect(flx::TComponent& owner, const std::string& prefix, bool native,
             std::vector<ControlState>& out) {
  for (int i = 0; i < owner.ComponentCount(); ++i) {
    flx::TComponent* c = owner.Components(i);
    const std::string name = prefix + c->Name();
    if (auto* control = dynamic_cast<flx::TControl*>(c)) {
      ControlState s{name,
                     native::rect(control->Left(), control->Top(),
                                  control->Width(), control->Height()),
                     control->Font().Height(),
                     control->InheritsFrom(flx::TComboBox::StaticClass())};
      auto* w = dynamic_cast<flx::TWinControl*>(control);
      if (native && w != nullptr && w->HandleAllocated()) {
        const HWND wnd = reinterpret_cast<HWND>(w->Handle());
        s.bounds = native::rectInParent(wnd);
        const LOGFONTW font = native::windowFont(wnd);
        if (font.lfHeight != 0) s.fontHeight = font.lfHeight;
      }
      out.push_back(s);
    }
    collect(*c, name + ".", native, out);
  }
}

Layout layoutOf(flx::TCustomForm& form, bool native) {
  Layout l;
  l.clientWidth = form.ClientWidth();
  l.clientHeight = form.ClientHeight();
  l.formFontHeight = form.Font().Height();
  collect(form, "", native, l.controls);
  return l;
}

std::unique_ptr<flx::TComponent> load(const std::string& path) {
  flx::FormLoadOptions options;
  options.designing = false;
  return flx::LoadFormFile(path, options);
}

// What `flexarium preview --dpi DPI --client WxH` shows.
Layout preview(const std::string& path, int dpi, int width, int height) {
  flx::sim::DesktopConfig config;
  config.dpiX = config.dpiY = dpi;
  flx::sim::ScopedDesktop desktop(config);
  flx::FlexariumInitialization();
  Layout l;
  {
    auto root = load(path);
    auto& form = static_cast<flx::TCustomForm&>(*root);
    form.Show();
    const flx::win::HWND wnd = form.Handle();
    flx::win::RECT r{}, c{};
    desktop->getWindowRect(wnd, &r);
    desktop->getClientRect(wnd, &c);
    desktop->moveWindow(wnd, r.left, r.top,
                        width + (r.right - r.left) - c.right,
                        height + (r.bottom - r.top) - c.bottom, 1);
    l = layoutOf(form, false);
  }
  flx::FlexariumFinalization();
  return l;
}

void report(std::FILE* out, const std::string& file, int dpi, const Layout& l) {
  if (out == nullptr) return;
  std::fprintf(out, "form %s %d %d %d %d\n", file.c_str(), dpi, l.clientWidth,
               l.clientHeight, l.formFontHeight);
  for (const ControlState& c : l.controls) {
    std::fprintf(out, "control %s %ld %ld %ld %ld %d\n", c.name.c_str(),
                 c.bounds.left, c.bounds.top, c.bounds.right - c.bounds.left,
                 c.bounds.bottom - c.bounds.top, c.fontHeight);
  }
}

int halfUp(int v, int num, int den) { return (2 * v * num + den) / (2 * den); }

TEST(DpiChangedGivesTheLayoutOfTheFormShownAtThatDpi) {
  const std::string dir = native::envString("FLX_FORMS", "");
  REQUIRE(!dir.empty());
  const std::string reportPath = native::envString("FLX_DPI_REPORT", "");
  std::FILE* out =
      reportPath.empty() ? nullptr : std::fopen(reportPath.c_str(), "w");
  for (const char* file : {"contact.dfm", "order_dialog.dfm"}) {
    for (int dpi : {144, 120}) {
      SCOPED(std::string(file) + " at " + std::to_string(dpi));
      const std::string path = dir + "\\" + file;
      Layout got;
      {
        flx::win32::ScopedDesktop sd;
        flx::FlexariumInitialization();
        {
          auto root = load(path);
          auto& form = static_cast<flx::TCustomForm&>(*root);
          form.Show();
          native::pump();
          const HWND wnd = reinterpret_cast<HWND>(form.Handle());
          const RECT before = native::clientRect(wnd);
          RECT window{};
          ::GetWindowRect(wnd, &window);
          const LONG_PTR style = ::GetWindowLongPtrW(wnd, GWL_STYLE) &
                                 ~static_cast<LONG_PTR>(WS_MAXIMIZE);
          const LONG_PTR exStyle = ::GetWindowLongPtrW(wnd, GWL_EXSTYLE);
          // The size the form asks for: its client size times the DPIs'
          // ratio, with the frame as it is at the new DPI.
          RECT want{0, 0, halfUp(before.right, dpi, 96),
                    halfUp(before.bottom, dpi, 96)};
          ::AdjustWindowRectExForDpi(&want, static_cast<DWORD>(style), FALSE,
                                     static_cast<DWORD>(exStyle),
                                     static_cast<UINT>(dpi));
          SIZE size{window.right - window.left, window.bottom - window.top};
          CHECK_EQ(
              ::SendMessageW(wnd, WM_GETDPISCALEDSIZE, static_cast<WPARAM>(dpi),
                             reinterpret_cast<LPARAM>(&size)),
              TRUE);
          CHECK_EQ(size.cx, want.right - want.left);
          CHECK_EQ(size.cy, want.bottom - want.top);
          // What Windows suggests then: the answered size where the window
          // is.
          RECT suggested{window.left, window.top, window.left + size.cx,
                         window.top + size.cy};
          ::SendMessageW(wnd, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                         reinterpret_cast<LPARAM>(&suggested));
          native::pump();
          RECT now{};
          ::GetWindowRect(wnd, &now);
          CHECK_EQ(now, suggested);
          CHECK_EQ(form.CurrentPPI(), dpi);
          got = layoutOf(form, true);
        }
        flx::FlexariumFinalization();
      }
      report(out, file, dpi, got);
      const Layout want = preview(path, dpi, got.clientWidth, got.clientHeight);
      CHECK_EQ(got.clientWidth, want.clientWidth);
      CHECK_EQ(got.clientHeight, want.clientHeight);
      CHECK_EQ(got.formFontHeight, want.formFontHeight);
      REQUIRE(got.controls.size() == want.controls.size());
      for (std::size_t i = 0; i < got.controls.size(); ++i) {
        SCOPED(got.controls[i].name);
        CHECK_EQ(got.controls[i].name, want.controls[i].name);
        RECT bounds = got.controls[i].bounds;
        if (got.controls[i].heightBySystem) {
          bounds.bottom = bounds.top + (want.controls[i].bounds.bottom -
                                        want.controls[i].bounds.top);
        }
        CHECK_EQ(bounds, want.controls[i].bounds);
        CHECK_EQ(got.controls[i].fontHeight, want.controls[i].fontHeight);
      }
    }
  }
  if (out != nullptr) std::fclose(out);
}

}  // namespace

MINI_TEST_MAIN()
