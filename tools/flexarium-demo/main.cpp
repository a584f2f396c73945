// flexarium-demo: a form file, or a dialog from a resource template with the
// component attached, shown on real windows.
//
//   flexarium-demo FORM.dfm [STEP]... [--json] [--linger MS [--until FILE]]
//   (STEP: --client WxH, --outer WxH, --move X Y, --maximize, --minimize,
//   --restore)
//   flexarium-demo FORM.dfm [--watch]
//   flexarium-demo --dialog FILE:ID [--lang N] [--set NAME=VALUE]... and the
//   same steps and reports
//
// Without a step the form stays on the screen until it is closed, so that a
// person can drag the frame and watch the form rescale; the caption shows
// the component's factors and the screen DPI after every rescale pass.
// --watch also prints the layout after each gesture (a drag of the frame,
// maximise, restore) as one line of JSON. With steps it runs them in the
// order given, after the form is first shown, and reports the layout after
// each one as `flexarium preview` does (a table, or with --json the same
// JSON document). Every number is read back from the real windows; only
// controls without a window of their own (labels, shapes) report the
// framework's bounds. --linger keeps the form on the screen, answering
// messages, for MS milliseconds after the report (for screenshots), or
// until FILE exists.
//
// --dialog makes the dialog from its template (in a .res file, an .exe or a
// .dll) with CreateDialogIndirectParamW and attaches the component in
// WM_INITDIALOG, as a Win32 program would (flx::Attach); --set gives the
// component's properties, as the attach options of that name.
//
// Sections:
//   The command line   steps, reports and the dialog's options
//   Reading windows    fonts, rectangles and the layout the report shows
//   Watching           the hook that reports a person's gestures
//   Dialogs            the dialog procedure that attaches the component
//   The demo           the form or dialog on the screen, stepped and reported
//   main
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "attach_options.h"
#include "dialog_choice.h"
#include "flexarium/attach.h"
#include "flexarium/flexarium.h"
#include "flexarium/formfile.h"
#include "flexarium/forms.h"
#include "flexarium/resources.h"
#include "flexarium/stdctrls.h"
#include "flexarium/sysutils.h"
#include "layout.h"
#include "options.h"
#include "report.h"

// After the framework headers: classes.h declares names that are macros in
// <windows.h>.
#include "flexarium/win32_windows.h"

// Need <windows.h> first.
#include <commctrl.h>
#include <shellapi.h>

#include "flexarium/win32_desktop.h"

namespace cli = flexarium_cli;

namespace {

// ---- The command line

struct Step {
  enum Kind { Client, Outer, Move, Maximize, Minimize, Restore } kind;
  cli::Size size;  // the size, or the top-left corner of a move
  std::string action;
};

struct Args {
  std::string file;
  // --dialog FILE:ID: the file is the resource file, the form the dialog.
  std::optional<cli::DialogArgument> dialog;
  std::optional<int> language;
  flx::AttachOptions attach;
  std::vector<Step> steps;
  bool json = false;
  int lingerMs = 0;
  std::string until;
  bool watch = false;
  bool help = false;
};

const char* kUsage =
    "usage: flexarium-demo FORM.dfm [--client WxH]... [--outer WxH]... "
    "[--move X Y]... [--maximize] [--minimize] [--restore] [--json] "
    "[--linger MS "
    "[--until FILE]]\n"
    "       flexarium-demo FORM.dfm [--watch]\n"
    "       flexarium-demo --dialog FILE:ID [--lang N] [--set NAME=VALUE]... "
    "[the same steps and reports, or --watch]\n"
    "       flexarium-demo --help\n";

const char* kHelp =
    "Shows a form file on real windows with its TFlexarium at work.\n"
    "\n"
    "Or a dialog from a resource template with the component attached:\n"
    "  --dialog FILE:ID  the dialog ID (a number, or a name) of FILE (a\n"
    "                 compiled .res file, an .exe or a .dll), made with\n"
    "                 CreateDialogIndirectParamW and attached to in\n"
    "                 WM_INITDIALOG as a Win32 program would\n"
    "  --lang N       the template of that language (1033 or 0x409); by\n"
    "                 default the neutral one, else US English, else the\n"
    "                 lowest\n"
    "  --set NAME=VALUE  a property of the component, as an attach option\n"
    "                 (FormMinWidth=400, KeepAspect=True, NoResizeCtl=1007;\n"
    "                 repeatable)\n"
    "\n"
    "Without a step the form stays until it is closed: drag its frame,\n"
    "maximise and restore it, and watch it rescale. The caption shows the\n"
    "component's last factors (x, y and the font's) and the screen DPI.\n"
    "\n"
    "Steps, run in the order given after the form is first shown:\n"
    "  --client WxH   give the form this client size (repeatable)\n"
    "  --outer WxH    give the form this outer window size (repeatable)\n"
    "  --move X Y     move the window's top-left corner to this screen\n"
    "                 point (repeatable)\n"
    "  --maximize     maximise the form\n"
    "  --minimize     minimise the form\n"
    "  --restore      restore it from maximised or minimised\n"
    "A size or move step on a maximised or minimised form restores it\n"
    "first.\n"
    "\n"
    "Reports (with steps, or with --json or --linger alone):\n"
    "  (none)         the layout after each step as a table, as `flexarium\n"
    "                 preview` prints it, every number read from the real\n"
    "                 windows\n"
    "  --json         the same as one JSON document (`flexarium preview\n"
    "                 --json`'s)\n"
    "  --linger MS    afterwards keep the form on the screen for MS\n"
    "                 milliseconds (0..600000), e.g. for a screenshot\n"
    "  --until FILE   stop lingering as soon as FILE exists\n"
    "\n"
    "Interactive:\n"
    "  --watch        as without steps, and after each gesture (a drag of\n"
    "                 the frame ending, maximise, restore) print the layout\n"
    "                 as one line of JSON (a step of --json's document) with\n"
    "                 where the frame's edges and caption buttons are\n"
    "  -h, --help     this text\n"
    "\n"
    "Exit status: 0, 1 when the form or the dialog cannot be read or made\n"
    "(or the component refuses a --set value), 2 for a wrong command line.\n";

bool parseArgs(int argc, char** argv, Args& args, std::string& error) {
  bool sets = false;
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
    } else if (a == "--move") {
      std::optional<int> x, y;
      if (i + 2 < argc) {
        x = cli::parseInt(argv[i + 1], -100000, 100000);
        y = cli::parseInt(argv[i + 2], -100000, 100000);
      }
      if (!x || !y) {
        error = "--move needs a screen position X Y";
        return false;
      }
      args.steps.push_back(
          {Step::Move,
           {*x, *y},
           std::string("move ") + argv[i + 1] + " " + argv[i + 2]});
      i += 2;
    } else if (a == "--maximize") {
      args.steps.push_back({Step::Maximize, {}, "maximize"});
    } else if (a == "--minimize") {
      args.steps.push_back({Step::Minimize, {}, "minimize"});
    } else if (a == "--restore") {
      args.steps.push_back({Step::Restore, {}, "restore"});
    } else if (a == "--dialog") {
      if (i + 1 >= argc) {
        error = "--dialog needs FILE:ID";
        return false;
      }
      const std::string text = argv[++i];
      args.dialog = cli::parseDialogArgument(text);
      if (!args.dialog) {
        error =
            "--dialog: expected FILE:ID (a dialog's number or name after "
            "the last ':'), got '" +
            text + "'";
        return false;
      }
    } else if (a == "--lang") {
      const std::string text = i + 1 < argc ? argv[i + 1] : "";
      args.language = cli::parseLanguage(text);
      if (!args.language) {
        error =
            "--lang: expected a language ID 0..65535 (1033 or 0x409), "
            "got '" +
            text + "'";
        return false;
      }
      ++i;
    } else if (a == "--set") {
      const std::string text = i + 1 < argc ? argv[i + 1] : "";
      try {
        cli::setAttachOption(args.attach, text);
      } catch (const flx::Exception& e) {
        error = "--set " + text + ": " + e.what();
        return false;
      }
      sets = true;
      ++i;
    } else if (a == "--json") {
      args.json = true;
    } else if (a == "--watch") {
      args.watch = true;
    } else if (a == "--help" || a == "-h") {
      args.help = true;
      return true;
    } else if (a == "--until") {
      if (i + 1 >= argc) {
        error = "--until needs a file name";
        return false;
      }
      args.until = argv[++i];
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
  if (args.dialog && !args.file.empty()) {
    error = "a form file or --dialog, not both";
    return false;
  }
  if (!args.dialog && (args.language || sets)) {
    error =
        std::string(args.language ? "--lang" : "--set") + " goes with --dialog";
    return false;
  }
  if (args.dialog) args.file = args.dialog->file;
  if (args.file.empty()) {
    error = "no form file";
    return false;
  }
  if (args.watch && (!args.steps.empty() || args.json || args.lingerMs > 0)) {
    error = "--watch takes no steps, --json or --linger";
    return false;
  }
  if (!args.until.empty() && args.lingerMs == 0) {
    error = "--until goes with --linger";
    return false;
  }
  return true;
}

// ---- Reading windows

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

std::wstring wide(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int n = ::MultiByteToWideChar(
      CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring w(static_cast<std::size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                        w.data(), n);
  return w;
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
    // The widths the list view's columns or the header's sections have on
    // the window; an automatic width stays as stored, the window measures it.
    if (l.columnWidths) {
      wchar_t cls[32] = {};
      ::GetClassNameW(wnd, cls, 32);
      const bool list = ::lstrcmpiW(cls, L"SysListView32") == 0;
      const bool header = ::lstrcmpiW(cls, L"SysHeader32") == 0;
      for (std::size_t i = 0; i < l.columnWidths->size(); ++i) {
        if ((*l.columnWidths)[i] < 0) continue;
        if (list) {
          (*l.columnWidths)[i] =
              static_cast<int>(::SendMessageW(wnd, LVM_GETCOLUMNWIDTH, i, 0));
        } else if (header) {
          HDITEMW item{};
          item.mask = HDI_WIDTH;
          if (::SendMessageW(wnd, HDM_GETITEMW, i,
                             reinterpret_cast<LPARAM>(&item))) {
            (*l.columnWidths)[i] = item.cxy;
          }
        }
      }
    }
  }
  return l;
}

// ---- Watching

// The message the watch hook posts to the form when a gesture has ended;
// WParam says which.
constexpr UINT kGestureEnded = WM_APP + 0x2F0;
enum Gesture : WPARAM { kSize, kMaximize, kRestore, kMinimize };
const char* const kGestureNames[] = {"size", "maximize", "restore", "minimize"};

// What the watch hook sees of the form's messages, after its procedures
// have handled them.
struct WatchState {
  HWND form = nullptr;
  bool sizing = false;      // inside the system's move and size loop
  std::vector<SIZE> sizes;  // window sizes during that loop
};
WatchState gWatch;
HHOOK gWatchHook = nullptr;

LRESULT CALLBACK watchHook(int code, WPARAM wParam, LPARAM lParam) {
  const auto* m = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
  if (code == HC_ACTION && m != nullptr && m->hwnd == gWatch.form) {
    switch (m->message) {
      case WM_ENTERSIZEMOVE:
        gWatch.sizing = true;
        gWatch.sizes.clear();
        break;
      case WM_EXITSIZEMOVE:
        gWatch.sizing = false;
        // Posted: the report is made once the system's loop has ended.
        ::PostMessageW(gWatch.form, kGestureEnded, kSize, 0);
        break;
      case WM_SIZE: {
        RECT r{};
        ::GetWindowRect(gWatch.form, &r);
        if (gWatch.sizing) {
          gWatch.sizes.push_back(SIZE{r.right - r.left, r.bottom - r.top});
        } else if (m->wParam == SIZE_MAXIMIZED) {
          ::PostMessageW(gWatch.form, kGestureEnded, kMaximize, 0);
        } else if (m->wParam == SIZE_RESTORED) {
          ::PostMessageW(gWatch.form, kGestureEnded, kRestore, 0);
        } else if (m->wParam == SIZE_MINIMIZED) {
          ::PostMessageW(gWatch.form, kGestureEnded, kMinimize, 0);
        }
        break;
      }
      default:
        break;
    }
  }
  return ::CallNextHookEx(gWatchHook, code, wParam, lParam);
}

// Screen points where a person's mouse finds each part of the frame, found
// by asking the window (WM_NCHITTEST) along its edges and caption.
nlohmann::ordered_json frameTargets(HWND wnd) {
  RECT r{};
  ::GetWindowRect(wnd, &r);
  auto hit = [&](LONG x, LONG y) {
    return ::SendMessageW(wnd, WM_NCHITTEST, 0, MAKELPARAM(x, y));
  };
  nlohmann::ordered_json targets = nlohmann::ordered_json::object();
  auto point = [&](const char* name, LONG x, LONG y, LRESULT code) {
    if (hit(x, y) == code) targets[name] = {x, y};
  };
  const LONG midX = (r.left + r.right) / 2, midY = (r.top + r.bottom) / 2;
  point("left", r.left + 1, midY, HTLEFT);
  point("right", r.right - 2, midY, HTRIGHT);
  point("top", midX, r.top + 1, HTTOP);
  point("bottom", midX, r.bottom - 2, HTBOTTOM);
  point("topleft", r.left + 1, r.top + 1, HTTOPLEFT);
  point("topright", r.right - 2, r.top + 1, HTTOPRIGHT);
  point("bottomleft", r.left + 1, r.bottom - 2, HTBOTTOMLEFT);
  point("bottomright", r.right - 2, r.bottom - 2, HTBOTTOMRIGHT);
  // Down the middle to the caption, then along it from the right to the
  // maximise (or restore) button.
  for (LONG y = r.top; y < midY; ++y) {
    if (hit(midX, y) != HTCAPTION) continue;
    const LONG captionY = y + ::GetSystemMetrics(SM_CYCAPTION) / 2;
    point("caption", midX, captionY, HTCAPTION);
    auto button = [&](const char* name, LRESULT code) {
      LONG first = 0, last = 0;
      for (LONG x = r.right - 1; x > midX; --x) {
        if (hit(x, captionY) == code) {
          if (last == 0) last = x;
          first = x;
        } else if (last != 0) {
          break;
        }
      }
      if (last != 0) targets[name] = {(first + last) / 2, captionY};
    };
    button("maxbutton", HTMAXBUTTON);
    button("closebutton", HTCLOSE);
    break;
  }
  return targets;
}

// ---- Dialogs

// What the dialog's procedure needs: the options to attach with, and the
// attachment (or why there is none) once WM_INITDIALOG has come.
struct DialogContext {
  flx::AttachOptions options;
  std::unique_ptr<flx::Attachment> attached;
  std::string error;
};

// A program's own control classes, which the demo cannot have: plain
// windows in their place.
flx::win::LRESULT FLX_CALLBACK standInProc(flx::win::HWND wnd,
                                           flx::win::UINT msg,
                                           flx::win::WPARAM wp,
                                           flx::win::LPARAM lp) {
  return ::DefWindowProcW(hwndOf(wnd), msg, wp, lp);
}

// The dialog's procedure, as a Win32 program writes it: the component
// attached in WM_INITDIALOG, before the dialog is first shown; closing it,
// or its OK or Cancel button, ends the demo.
flx::win::LONG_PTR FLX_CALLBACK demoDialogProc(flx::win::HWND wnd,
                                               flx::win::UINT msg,
                                               flx::win::WPARAM wp,
                                               flx::win::LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG: {
      auto* context = reinterpret_cast<DialogContext*>(lp);
      // Nothing may be thrown through the system's frames.
      try {
        context->attached = flx::Attach(wnd, context->options);
      } catch (const std::exception& e) {
        context->error = e.what();
      }
      return TRUE;
    }
    case WM_CLOSE:
      ::DestroyWindow(hwndOf(wnd));
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) {
        ::DestroyWindow(hwndOf(wnd));
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

std::vector<std::uint8_t> readFile(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw flx::Exception(file + ": error: cannot open the file");
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
  if (in.bad()) throw flx::Exception(file + ": error: cannot read the file");
  return bytes;
}

std::wstring windowText(HWND wnd) {
  const int n = ::GetWindowTextLengthW(wnd);
  std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(::GetWindowTextW(wnd, text.data(), n + 1)));
  return text;
}

// ---- The demo

class Demo {
 public:
  explicit Demo(flx::win32::Desktop& desktop) : desktop_(desktop) {
    flx::FlexariumInitialization();
    previousHandler_ = flx::SetExceptionHandler(
        [this](const std::exception& e) { errors_.push_back(e.what()); });
  }
  ~Demo() {
    // The form goes while its window system is still there; destroying the
    // dialog detaches the component from it.
    root_.reset();
    if (dialog_ != nullptr && ::IsWindow(dialog_)) ::DestroyWindow(dialog_);
    context_.attached.reset();
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
    caption_ = form_->GetText();
    watchPasses(*root_);
  }

  // The dialog `argument` names, made from its template with the component
  // attached in WM_INITDIALOG (hidden unless the template says WS_VISIBLE).
  void loadDialog(const cli::DialogArgument& argument,
                  std::optional<int> language,
                  const flx::AttachOptions& options) {
    bytes_ = readFile(argument.file);
    const auto resources = flx::res::ReadResources(bytes_, argument.file);
    const flx::res::Resource& r =
        cli::pickDialog(resources, argument.file, argument.id, language);
    const auto data =
        std::span<const std::uint8_t>(bytes_).subspan(r.offset, r.size);
    const flx::res::DialogTemplate t =
        flx::res::ParseDialogTemplate(data, argument.file, r.offset);
    const std::string where = argument.file + ": dialog " + r.name.toString();
    if (t.style & WS_CHILD) {
      throw flx::Exception(
          where +
          ": error: a child dialog (WS_CHILD: a property page or a pane) has "
          "no frame of its own to drag; the component attaches to top-level "
          "windows");
    }
    // The control classes a program's dialogs use: the common controls
    // and rich edit, then stand-ins for the program's own.
    INITCOMMONCONTROLSEX icc{sizeof(INITCOMMONCONTROLSEX),
                             ICC_WIN95_CLASSES | ICC_DATE_CLASSES |
                                 ICC_USEREX_CLASSES | ICC_STANDARD_CLASSES |
                                 ICC_LINK_CLASS};
    ::InitCommonControlsEx(&icc);
    ::LoadLibraryW(L"riched20.dll");
    ::LoadLibraryW(L"msftedit.dll");
    for (const flx::res::DialogItem& item : t.items) {
      if (!item.windowClass.isOrdinal) {
        flx::win::RegisterWindowClass(item.windowClass.name, &standInProc);
      }
    }
    context_.options = options;
    context_.options.DialogTemplate = data;
    const flx::win::HWND dlg = flx::win::CreateDialogIndirectParamW(
        nullptr, data, nullptr, &demoDialogProc,
        reinterpret_cast<flx::win::LPARAM>(&context_));
    if (dlg == nullptr) {
      const DWORD code = ::GetLastError();
      throw flx::Exception(
          where + ": error: the system made no dialog of it (error " +
          std::to_string(code) +
          (t.windowClass.empty()
               ? ""
               : "; it names the window class " + t.windowClass.toString()) +
          ")");
    }
    dialog_ = hwndOf(dlg);
    if (!context_.attached) {
      ::DestroyWindow(dialog_);
      dialog_ = nullptr;
      throw flx::Exception(where + ": error: " + context_.error);
    }
    flx::TFlexarium* component = context_.attached->Component();
    form_ = dynamic_cast<flx::TCustomForm*>(component->Owner());
    component_ = component->Name();
    caption_ = utf8(windowText(dialog_));
    watchPasses(*form_);
  }

  // From now on the caption also shows the factors and the screen DPI.
  void putFactorsInCaption() {
    factorsInCaption_ = true;
    showFactorsInCaption();
  }

  // Prints the layout as one line of JSON after each gesture (see the hook),
  // the first (the form shown) with the screen.
  void watchGestures(const cli::PreviewReport& report) {
    screen_ = cli::reportToJson(report)["screen"];
    gWatch.form = window();
    gWatchHook = ::SetWindowsHookExW(WH_CALLWNDPROCRET, &watchHook, nullptr,
                                     ::GetCurrentThreadId());
    printWatched("show");
  }

  const std::optional<std::string>& component() const { return component_; }
  HWND window() {
    return dialog_ != nullptr ? dialog_ : hwndOf(form_->Handle());
  }

  void beginStep() {
    passes_ = 0;
    errors_.clear();
  }

  void show() {
    // A dialog is shown as its program shows it.
    if (dialog_ != nullptr) {
      ::ShowWindow(dialog_, SW_SHOW);
    } else {
      form_->Show();
    }
    ::UpdateWindow(window());
    pump();
  }

  void run(const Step& step) {
    HWND wnd = window();
    switch (step.kind) {
      case Step::Move: {
        if (::IsIconic(wnd) || ::IsZoomed(wnd)) {
          ::ShowWindow(wnd, SW_RESTORE);
          pump();
        }
        RECT outer{};
        ::GetWindowRect(wnd, &outer);
        ::MoveWindow(wnd, step.size.width, step.size.height,
                     outer.right - outer.left, outer.bottom - outer.top, TRUE);
        break;
      }
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
    fl.caption = utf8(windowText(wnd));
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
    POINT origin{0, 0};
    ::ClientToScreen(wnd, &origin);
    fl.clientLeft = origin.x - r.left;
    fl.clientTop = origin.y - r.top;
    if ((::GetWindowLongPtrW(wnd, GWL_STYLE) & WS_CAPTION) == WS_CAPTION) {
      fl.captionHeight = ::GetSystemMetrics(SM_CYCAPTION);
    }
    fl.state = ::IsIconic(wnd)   ? "minimized"
               : ::IsZoomed(wnd) ? "maximized"
                                 : "normal";
    fl.shown = ::IsWindowVisible(wnd) != FALSE;

    for (auto [control, depth] : cli::controlsInReportOrder(f)) {
      step.controls.push_back(layoutOf(*control, depth, dpi));
    }
    return step;
  }

  // Until the person closes the form.
  void loop() {
    HWND wnd = window();
    MSG msg;
    while (::IsWindow(wnd) && ::IsWindowVisible(wnd) &&
           ::GetMessageW(&msg, nullptr, 0, 0) > 0) {
      if (msg.hwnd == wnd && msg.message == kGestureEnded) {
        printWatched(kGestureNames[msg.wParam & 3]);
        continue;
      }
      if (dialog_ != nullptr && ::IsDialogMessageW(dialog_, &msg)) continue;
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    if (gWatchHook != nullptr) ::UnhookWindowsHookEx(gWatchHook);
    gWatchHook = nullptr;
  }

  // Answers messages for `ms` milliseconds, or until the form is closed or
  // `until` names a file that exists.
  void linger(int ms, const std::string& until) {
    HWND wnd = window();
    const ULONGLONG end = ::GetTickCount64() + static_cast<ULONGLONG>(ms);
    const std::wstring file = wide(until);
    while (::IsWindow(wnd) && ::IsWindowVisible(wnd)) {
      const ULONGLONG now = ::GetTickCount64();
      if (now >= end) break;
      if (!file.empty() &&
          ::GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES) {
        break;
      }
      ::MsgWaitForMultipleObjects(
          0, nullptr, FALSE,
          static_cast<DWORD>(std::min<ULONGLONG>(end - now, 50)), QS_ALLINPUT);
      pump();
    }
  }

 private:
  void watchPasses(flx::TComponent& root) {
    cli::watchRescalePasses(root, [this](const cli::Factors& factors) {
      last_ = factors;
      ++passes_;
      if (factorsInCaption_) showFactorsInCaption();
    });
  }

  void showFactorsInCaption() {
    const std::string& caption = caption_;
    char text[96];
    if (last_) {
      std::snprintf(text, sizeof text,
                    "  [x %.3f, y %.3f, font %.3f at %d DPI]", last_->x,
                    last_->y, last_->font(), screenDpi());
    } else {
      std::snprintf(text, sizeof text, "  [%s at %d DPI]",
                    component_ ? "no rescale pass yet" : "no TFlexarium",
                    screenDpi());
    }
    ::SetWindowTextW(window(), wide(caption + text).c_str());
  }

  void printWatched(const char* gesture) {
    cli::StepLayout step = capture(gesture);
    nlohmann::ordered_json line = cli::stepToJson(step);
    line["gesture"] = gesture;
    nlohmann::ordered_json sizes = nlohmann::ordered_json::array();
    for (const SIZE& size : gWatch.sizes) sizes.push_back({size.cx, size.cy});
    line["sizes_while_dragging"] = std::move(sizes);
    line["targets"] = frameTargets(window());
    if (!screen_.is_null()) line["screen"] = std::exchange(screen_, nullptr);
    gWatch.sizes.clear();
    std::cout << line.dump() << std::endl;
  }

  flx::win32::Desktop& desktop_;
  std::unique_ptr<flx::TComponent> root_;
  flx::TCustomForm* form_ = nullptr;
  // A dialog: its template's file, its window and the attachment.
  std::vector<std::uint8_t> bytes_;
  HWND dialog_ = nullptr;
  DialogContext context_;
  std::string caption_;  // before the factors were added to it
  std::optional<std::string> component_;
  flx::TExceptionHandler previousHandler_;
  std::vector<std::string> errors_;
  std::optional<cli::Factors> last_;
  int passes_ = 0;
  bool factorsInCaption_ = false;
  nlohmann::ordered_json screen_;
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

// ---- main

int main(int argc, char** argv) {
  Args args;
  std::string error;
  if (!parseArgs(argc, argv, args, error)) {
    std::cerr << "flexarium-demo: " << error << "\n" << kUsage;
    return 2;
  }
  if (args.help) {
    std::cout << kUsage << "\n" << kHelp;
    return 0;
  }
  flx::win32::ScopedDesktop desktop;
  cli::PreviewReport report;
  report.file = args.file;
  report.screen = realScreen(desktop.desktop());
  try {
    Demo demo(desktop.desktop());
    if (args.dialog) {
      demo.loadDialog(*args.dialog, args.language, args.attach);
    } else {
      demo.load(args.file);
    }
    report.component = demo.component();
    demo.beginStep();
    demo.show();
    if (args.steps.empty() && !args.json && args.lingerMs == 0) {
      demo.putFactorsInCaption();
      if (args.watch) demo.watchGestures(report);
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
    demo.linger(args.lingerMs, args.until);
  } catch (const flx::Exception& e) {
    std::cerr << e.what() << "\n";
    return 1;
  }
  return 0;
}
