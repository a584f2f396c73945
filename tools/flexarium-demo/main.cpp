// flexarium-demo: a form file shown on real windows.
//
//   flexarium-demo FORM.dfm [--client WxH]... [--outer WxH]... [--maximize]
//                  [--minimize] [--restore] [--json] [--linger MS]
//
// Without a step it runs a message loop until the form is closed, so that a
// person can drag the frame and watch the form rescale. With steps it runs
// them in the order given, after the form is first shown, and reports the
// layout after each one as `flexarium preview` does (a table, or with --json
// the same JSON document). Every number is read back from the real windows;
// only controls without a window of their own (labels, shapes) report the
// framework's bounds. --linger keeps the form on the screen, answering
// messages, for MS milliseconds after the report (for screenshots).
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "flexarium/flexarium.h"
#include "flexarium/formfile.h"
#include "flexarium/forms.h"
#include "flexarium/stdctrls.h"
#include "flexarium/sysutils.h"
#include "layout.h"
#include "options.h"
#include "report.h"

// After the framework headers: classes.h declares names that are macros in
// <windows.h>.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

// Needs <windows.h> first.
#include <shellapi.h>

#include "flexarium/win32_desktop.h"

namespace cli = flexarium_cli;

namespace {

struct Step {
  enum Kind { Client, Outer, Maximize, Minimize, Restore } kind;
  cli::Size size;
  std::string action;
};

struct Args {
  std::string file;
  std::vector<Step> steps;
  bool json = false;
  int lingerMs = 0;
};

const char* kUsage =
    "usage: flexarium-demo FORM.dfm [--client WxH]... [--outer WxH]... "
    "[--maximize] [--minimize] [--restore] [--json] [--linger MS]\n";

bool parseArgs(int argc, char** argv, Args& args, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--client" || a == "--outer") {
      if (i + 1 >= argc) {
        error = a + " needs a size WxH";
        return false;
      }
      const std::string text = argv[++i];
      auto size = cli::parseSize(text);
      if (!size) {
        error = a + ": expected " + cli::kSizeForm + ", got '" + text + "'";
        return false;
      }
      const bool client = a == "--client";
      args.steps.push_back({client ? Step::Client : Step::Outer, *size,
                            (client ? "client " : "outer ") + text});
    } else if (a == "--maximize") {
      args.steps.push_back({Step::Maximize, {}, "maximize"});
    } else if (a == "--minimize") {
      args.steps.push_back({Step::Minimize, {}, "minimize"});
    } else if (a == "--restore") {
      args.steps.push_back({Step::Restore, {}, "restore"});
    } else if (a == "--json") {
      args.json = true;
    } else if (a == "--linger") {
      auto ms =
          i + 1 < argc ? cli::parseInt(argv[i + 1], 0, 600000) : std::nullopt;
      if (!ms) {
        error = "--linger needs milliseconds 0..600000";
        return false;
      }
      args.lingerMs = *ms;
      ++i;
    } else if (!a.empty() && a[0] == '-') {
      error = "unknown option " + a;
      return false;
    } else if (args.file.empty()) {
      args.file = a;
    } else {
      error = "more than one form file";
      return false;
    }
  }
  if (args.file.empty()) {
    error = "no form file";
    return false;
  }
  return true;
}

void pump() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

std::string utf8(const std::wstring& w) {
  if (w.empty()) return {};
  const int n =
      ::WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()),
                            nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<std::size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()),
                        s.data(), n, nullptr, nullptr);
  return s;
}

HWND hwndOf(flx::win::HWND h) { return reinterpret_cast<HWND>(h); }

int screenDpi() {
  HDC dc = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(dc, LOGPIXELSY);
  ::ReleaseDC(nullptr, dc);
  return dpi;
}

// The font the window draws with, in points at the screen DPI; none when
// the window was given no font.
std::optional<int> windowFontPoints(HWND wnd, int dpi) {
  auto font = reinterpret_cast<HFONT>(::SendMessageW(wnd, WM_GETFONT, 0, 0));
  if (font == nullptr) return std::nullopt;
  LOGFONTW lf{};
  if (::GetObjectW(font, sizeof lf, &lf) != sizeof lf) return std::nullopt;
  int pixels = -lf.lfHeight;
  if (lf.lfHeight > 0) {
    // A cell height: the character height leaves the internal leading out.
    HDC dc = ::GetDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, font);
    TEXTMETRICW tm{};
    ::GetTextMetricsW(dc, &tm);
    ::SelectObject(dc, old);
    ::ReleaseDC(nullptr, dc);
    pixels = tm.tmHeight - tm.tmInternalLeading;
  }
  return ::MulDiv(pixels, 72, dpi);
}

// The window's rectangle in its parent's client area.
RECT rectInParent(HWND wnd) {
  RECT r{};
  ::GetWindowRect(wnd, &r);
  HWND parent = ::GetAncestor(wnd, GA_PARENT);
  if (parent != nullptr && parent != ::GetDesktopWindow()) {
    ::MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
  }
  return r;
}

// The framework's layout, with what the real window says where the control
// has one.
cli::ControlLayout layoutOf(flx::TControl& c, int depth, int dpi) {
  cli::ControlLayout l = cli::readControlLayout(c, depth);
  auto* w = dynamic_cast<flx::TWinControl*>(&c);
  if (w != nullptr && w->HandleAllocated()) {
    HWND wnd = hwndOf(w->Handle());
    const RECT r = rectInParent(wnd);
    l.left = r.left;
    l.top = r.top;
    l.width = r.right - r.left;
    l.height = r.bottom - r.top;
    l.visible = (::GetWindowLongPtrW(wnd, GWL_STYLE) & WS_VISIBLE) != 0;
    if (l.fontSize) {
      if (auto pt = windowFontPoints(wnd, dpi)) l.fontSize = *pt;
    }
  }
  return l;
}

class Demo {
 public:
  explicit Demo(flx::win32::Desktop& desktop) : desktop_(desktop) {
    flx::FlexariumInitialization();
    previousHandler_ = flx::SetExceptionHandler(
        [this](const std::exception& e) { errors_.push_back(e.what()); });
  }
  ~Demo() {
    // The form goes while its window system is still there.
    root_.reset();
    flx::FlexariumFinalization();
    flx::SetExceptionHandler(previousHandler_);
  }
  Demo(const Demo&) = delete;
  Demo& operator=(const Demo&) = delete;

  void load(const std::string& path) {
    root_ = flx::LoadFormFile(path);
    form_ = dynamic_cast<flx::TCustomForm*>(root_.get());
    if (form_ == nullptr) {
      throw flx::Exception(path + ": the root is " + root_->ClassName() +
                           ", not a form; load a form that uses it");
    }
    if (flx::TFlexarium* f = cli::firstFlexarium(*root_)) {
      component_ = f->Name();
    }
    cli::watchRescalePasses(*root_, [this](const cli::Factors& factors) {
      last_ = factors;
      ++passes_;
    });
  }

  const std::optional<std::string>& component() const { return component_; }
  HWND window() { return hwndOf(form_->Handle()); }

  void beginStep() {
    passes_ = 0;
    errors_.clear();
  }

  void show() {
    form_->Show();
    ::UpdateWindow(window());
    pump();
  }

  void run(const Step& step) {
    HWND wnd = window();
    switch (step.kind) {
      case Step::Client:
      case Step::Outer: {
        // A size step on a maximised or minimised form restores it first.
        if (::IsIconic(wnd) || ::IsZoomed(wnd)) {
          ::ShowWindow(wnd, SW_RESTORE);
          pump();
        }
        RECT outer{}, client{};
        ::GetWindowRect(wnd, &outer);
        ::GetClientRect(wnd, &client);
        int w = step.size.width, h = step.size.height;
        if (step.kind == Step::Client) {
          w += (outer.right - outer.left) - client.right;
          h += (outer.bottom - outer.top) - client.bottom;
        }
        ::MoveWindow(wnd, outer.left, outer.top, w, h, TRUE);
        break;
      }
      case Step::Maximize:
        ::ShowWindow(wnd, SW_MAXIMIZE);
        break;
      case Step::Minimize:
        ::ShowWindow(wnd, SW_MINIMIZE);
        break;
      case Step::Restore:
        ::ShowWindow(wnd, SW_RESTORE);
        break;
    }
    pump();
  }

  cli::StepLayout capture(const std::string& action) {
    cli::StepLayout step;
    step.action = action;
    step.factors = last_;
    step.passes = passes_;
    step.errors = errors_;
    const int dpi = screenDpi();
    flx::TCustomForm& f = *form_;
    HWND wnd = window();
    cli::FormLayout& fl = step.form;
    fl.name = f.Name();
    fl.className = f.ClassName();
    const int n = ::GetWindowTextLengthW(wnd);
    std::wstring caption(static_cast<std::size_t>(n) + 1, L'\0');
    caption.resize(
        static_cast<std::size_t>(::GetWindowTextW(wnd, caption.data(), n + 1)));
    fl.caption = utf8(caption);
    fl.fontSize = windowFontPoints(wnd, dpi).value_or(f.Font().Size());
    RECT r{};
    ::GetWindowRect(wnd, &r);
    fl.window = flx::win::RECT{r.left, r.top, r.right, r.bottom};
    fl.visible = fl.window;
    flx::win::RECT extended{};
    if (desktop_.dwmGetWindowAttribute(form_->Handle(),
                                       9 /* DWMWA_EXTENDED_FRAME_BOUNDS */,
                                       &extended, sizeof extended) == 0) {
      fl.visible = extended;
    }
    RECT client{};
    ::GetClientRect(wnd, &client);
    fl.clientWidth = client.right;
    fl.clientHeight = client.bottom;
    fl.state = ::IsIconic(wnd)   ? "minimized"
               : ::IsZoomed(wnd) ? "maximized"
                                 : "normal";
    fl.shown = ::IsWindowVisible(wnd) != FALSE;

    for (auto [control, depth] : cli::controlsInReportOrder(f)) {
      step.controls.push_back(layoutOf(*control, depth, dpi));
    }
    return step;
  }

  // Answers messages for `ms` milliseconds, or less if the form is closed.
  void linger(int ms) {
    HWND wnd = window();
    const ULONGLONG end = ::GetTickCount64() + static_cast<ULONGLONG>(ms);
    while (::IsWindow(wnd) && ::IsWindowVisible(wnd)) {
      const ULONGLONG now = ::GetTickCount64();
      if (now >= end) break;
      ::MsgWaitForMultipleObjects(0, nullptr, FALSE,
                                  static_cast<DWORD>(end - now), QS_ALLINPUT);
      pump();
    }
  }

  // Until the person closes the form.
  void loop() {
    HWND wnd = window();
    MSG msg;
    while (::IsWindow(wnd) && ::IsWindowVisible(wnd) &&
           ::GetMessageW(&msg, nullptr, 0, 0) > 0) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }

 private:
  flx::win32::Desktop& desktop_;
  std::unique_ptr<flx::TComponent> root_;
  flx::TCustomForm* form_ = nullptr;
  std::optional<std::string> component_;
  flx::TExceptionHandler previousHandler_;
  std::vector<std::string> errors_;
  std::optional<cli::Factors> last_;
  int passes_ = 0;
};

// The screen as the system reports it, in the preview's terms.
cli::ScreenSettings realScreen(flx::win32::Desktop& desktop) {
  cli::ScreenSettings s;
  s.screen = {::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
  HDC dc = ::GetDC(nullptr);
  s.dpi = {::GetDeviceCaps(dc, LOGPIXELSX), ::GetDeviceCaps(dc, LOGPIXELSY)};
  ::ReleaseDC(nullptr, dc);
  APPBARDATA bar{};
  bar.cbSize = sizeof bar;
  if (::SHAppBarMessage(ABM_GETTASKBARPOS, &bar) != 0) {
    const RECT& r = bar.rc;
    switch (bar.uEdge) {
      case ABE_LEFT:
        s.taskbar.edge = flx::sim::TaskbarEdge::Left;
        s.taskbar.thickness = r.right - r.left;
        break;
      case ABE_TOP:
        s.taskbar.edge = flx::sim::TaskbarEdge::Top;
        s.taskbar.thickness = r.bottom - r.top;
        break;
      case ABE_RIGHT:
        s.taskbar.edge = flx::sim::TaskbarEdge::Right;
        s.taskbar.thickness = r.right - r.left;
        break;
      default:
        s.taskbar.edge = flx::sim::TaskbarEdge::Bottom;
        s.taskbar.thickness = r.bottom - r.top;
        break;
    }
    APPBARDATA state{};
    state.cbSize = sizeof state;
    s.taskbar.autoHide =
        (::SHAppBarMessage(ABM_GETSTATE, &state) & ABS_AUTOHIDE) != 0;
  } else {
    s.taskbar.thickness = 0;
  }
  s.windows = desktop.getVersion();
  char abbr[16] = {};
  if (::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SABBREVLANGNAME, abbr,
                       sizeof abbr) > 0) {
    s.locale = abbr;
  }
  flx::win::BOOL on = 0;
  s.composition = desktop.dwmIsCompositionEnabled(&on) == 0 && on != 0;
  // The frame as this system draws it, so a preview can be set up alike.
  s.frame = cli::FrameMetrics{::GetSystemMetrics(SM_CYCAPTION),
                              ::GetSystemMetrics(SM_CXFRAME),
                              ::GetSystemMetrics(SM_CXPADDEDBORDER)};
  return s;
}

void print(const Args& args, const cli::PreviewReport& report) {
  if (args.json) {
    std::cout << cli::reportToJson(report).dump(2) << "\n";
  } else {
    std::cout << cli::formatHeader(report);
    for (std::size_t i = 0; i < report.steps.size(); ++i) {
      std::cout << "\n"
                << cli::formatStep(report.steps[i], static_cast<int>(i) + 1);
    }
  }
  std::cout.flush();
}

}  // namespace

int main(int argc, char** argv) {
  Args args;
  std::string error;
  if (!parseArgs(argc, argv, args, error)) {
    std::cerr << "flexarium-demo: " << error << "\n" << kUsage;
    return 2;
  }
  flx::win32::ScopedDesktop desktop;
  cli::PreviewReport report;
  report.file = args.file;
  report.screen = realScreen(desktop.desktop());
  try {
    Demo demo(desktop.desktop());
    demo.load(args.file);
    report.component = demo.component();
    demo.beginStep();
    demo.show();
    if (args.steps.empty() && !args.json && args.lingerMs == 0) {
      demo.loop();
      return 0;
    }
    report.steps.push_back(demo.capture("show"));
    for (const Step& step : args.steps) {
      demo.beginStep();
      demo.run(step);
      report.steps.push_back(demo.capture(step.action));
    }
    print(args, report);
    demo.linger(args.lingerMs);
  } catch (const flx::Exception& e) {
    std::cerr << e.what() << "\n";
    return 1;
  }
  return 0;
}
