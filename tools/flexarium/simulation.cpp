#include "simulation.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <sstream>

#include "dialog_controls.h"
#include "flexarium/adopted.h"
#include "flexarium/form_text.h"
#include "flexarium/winapi.h"
#include "form_input.h"

namespace flexarium_cli {

namespace win = flx::win;

namespace {

std::vector<std::string> splitPath(const std::string& path) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    std::size_t dot = path.find('.', start);
    parts.push_back(path.substr(start, dot - start));
    if (dot == std::string::npos) break;
    start = dot + 1;
  }
  return parts;
}

win::LRESULT FLX_CALLBACK standInProc(win::HWND wnd, win::UINT msg,
                                      win::WPARAM wp, win::LPARAM lp) {
  return win::DefWindowProcW(wnd, msg, wp, lp);
}

// Whether a dialog control's ID is `wanted`, as Attach compares them: the
// ID as the program reads it (32 bits, signed), and -1 (IDC_STATIC) also
// as the 0xFFFF of a standard template's 16-bit IDs.
bool sameId(win::LONG_PTR have, long long wanted) {
  const long long id = static_cast<std::int32_t>(
      static_cast<std::uint32_t>(static_cast<unsigned long long>(have)));
  return id == wanted ||
         (wanted < 0 && wanted >= -0x8000 && id == (wanted & 0xFFFF));
}

std::vector<flx::TAdoptedControl*> adoptedControls(flx::TComponent& form) {
  std::vector<flx::TAdoptedControl*> out;
  for (int i = 0; i < form.ComponentCount(); ++i) {
    if (auto* c = dynamic_cast<flx::TAdoptedControl*>(form.Components(i))) {
      out.push_back(c);
    }
  }
  return out;
}

}  // namespace

Session::Session(const ScreenSettings& screen)
    : screen_(screen), desktop_(screen.desktopConfig()) {
  // Nothing here reads the desktop's records: a long scenario must not
  // grow with them.
  desktop().setRecording(false);
  flx::FlexariumInitialization();
  previousHandler_ = flx::SetExceptionHandler(
      [this](const std::exception& e) { errors_.push_back(e.what()); });
}

Session::~Session() {
  // The form goes while its window system is still there; the dialog's
  // component is detached before its window goes.
  root_.reset();
  attachment_.reset();
  if (dialogWnd_ != nullptr && win::IsWindow(dialogWnd_)) {
    win::DestroyWindow(dialogWnd_);
  }
  flx::FlexariumFinalization();
  flx::SetExceptionHandler(previousHandler_);
}

void Session::setScreenSize(Size size) {
  screen_.screen = size;
  desktop().mutableConfig().monitors = screen_.desktopConfig().monitors;
}

void Session::setTaskbar(const flx::sim::TaskbarConfig& taskbar) {
  screen_.taskbar = taskbar;
  desktop().mutableConfig().taskbar = taskbar;
}

void Session::loadDialog(const DialogRequest& request) {
  if (loaded()) throw StepError("a form is loaded already");
  const std::shared_ptr<const ResourceInput> input =
      request.input ? request.input
                    : std::make_shared<const ResourceInput>(
                          readResourceInput(request.file, request.script));
  std::map<std::string, int> names;
  std::string ext = flx::LowerCase(nameOf(pathOf(request.file).extension()));
  if (ext == ".rc")
    names = readDefines(request.file, request.script.includeDirs);
  for (const std::string& header : request.headers) {
    for (const auto& [name, value] : readDefines(header, {})) {
      names[name] = value;
    }
  }
  const flx::res::Resource& r =
      findDialog(*input, request.dialog, request.language, names);
  const flx::res::DialogTemplate t = input->dialog(r);
  dialogLabel_ = request.file + ": dialog " + r.name.toString();
  if (t.style & win::WS_CHILD) {
    throw StepError(dialogLabel_ +
                    ": a child dialog (WS_CHILD, a property page or a "
                    "dialog in a dialog) has no window of its own to "
                    "attach to; open the dialog that holds it");
  }
  // The program registers its own control classes before it makes its
  // dialogs; plain windows stand in for them here.
  for (const auto& item : t.items) {
    if (!item.windowClass.isOrdinal) {
      win::RegisterWindowClass(item.windowClass.name, &standInProc);
    }
  }
  std::vector<std::uint8_t> bytes(
      input->bytes.begin() + static_cast<std::ptrdiff_t>(r.offset),
      input->bytes.begin() + static_cast<std::ptrdiff_t>(r.offset + r.size));
  // Shown by the show step, once the component is attached: the style
  // is the first field of a DLGTEMPLATE, the fourth of a DLGTEMPLATEEX.
  const std::size_t styleAt = t.extended ? 12 : 0;
  if (bytes.size() >= styleAt + 4) bytes[styleAt + 3] &= 0xEF;
  dialogWnd_ =
      win::CreateDialogIndirectParamW(nullptr, bytes, nullptr, nullptr, 0);
  if (dialogWnd_ == nullptr) {
    // Something wrong with the file, not a step: an error of the file.
    throw flx::Exception(dialogLabel_ + ": error: cannot be made: " +
                         desktop().lastDialogError());
  }
  controlNames_ = std::move(names);
  dialogTemplate_ = std::move(bytes);
}

flx::TFlexarium& Session::attachDialog() {
  if (!dialogWnd_) throw StepError("no dialog is loaded");
  if (attachment_) {
    throw StepError("the dialog is attached already; attach comes once");
  }
  if (win::IsWindowVisible(dialogWnd_)) {
    throw StepError("attach: the dialog is shown already; attach before show");
  }
  flx::AttachOptions options = dialogOptions_;
  for (const auto& [name, value] : controlNames_) {
    options.ControlNames.emplace(name, value);
  }
  // As a program attaches with the template it made the dialog from.
  options.DialogTemplate = dialogTemplate_;
  attachment_ = flx::Attach(dialogWnd_, options);
  flx::TFlexarium* c = attachment_->Component();
  // What setScale and the outer sizes measure from.
  auto& f = form();
  fileClient_ = Size{f.ClientWidth(), f.ClientHeight()};
  fileOuter_ = Size{f.Width(), f.Height()};
  fileDpi_ = static_cast<int>(win::GetDpiForWindow(dialogWnd_));
  outerWidth_ = outerHeight_ = false;
  watchComponents();
  return *c;
}

std::string Session::dialogExclusions(const std::string& list) {
  std::string out;
  flx::TCustomForm& f = form();
  // Cut at ";" as the component cuts its exclusion strings.
  std::vector<std::string> pieces;
  std::size_t start = 0;
  for (std::size_t at = list.find(';'); at != std::string::npos;
       at = list.find(';', start)) {
    pieces.push_back(list.substr(start, at - start));
    start = at + 1;
  }
  pieces.push_back(list.substr(start));
  for (const std::string& piece : pieces) {
    if (piece.empty()) continue;
    std::optional<long long> id;
    if (auto n = parseInt(piece, -65536, 0x7FFFFFFF)) id = *n;
    if (!id) {
      for (const auto& [name, value] : controlNames_) {
        if (flx::SameText(name, piece)) id = value;
      }
    }
    for (flx::TAdoptedControl* c : adoptedControls(f)) {
      if (c->Gone()) continue;
      const bool match =
          id ? sameId(c->ControlId(), *id)
             : flx::SameText(flx::Utf16ToUtf8(c->ClassName()), piece);
      if (match) out += c->Name() + ";";
    }
  }
  return out;
}

void Session::load(const std::string& path,
                   const flx::FormLoadOptions& options) {
  if (loaded()) throw StepError("a form is loaded already");
  std::error_code ec;
  if (!isStdin(path) && std::filesystem::is_directory(pathOf(path), ec)) {
    throw StepError(path + ": is a folder, not a form file");
  }
  std::string text;
  auto root = loadForm(path, options, &text);
  if (dynamic_cast<flx::TCustomForm*>(root.get()) == nullptr) {
    throw StepError(inputName(path) + ": the root is " + root->ClassName() +
                    ", not a form; load a form that uses it");
  }
  root_ = std::move(root);
  auto& f = form();
  fileClient_ = Size{f.ClientWidth(), f.ClientHeight()};
  fileOuter_ = Size{f.Width(), f.Height()};
  fileDpi_ = f.PixelsPerInch() > 0 ? f.PixelsPerInch() : 96;
  // Which of the two sizes the file gives (the last one read wins): an
  // outer size was the design client size plus the frame at the file's
  // DPI, not at the DPI the form is loaded at.
  outerWidth_ = outerHeight_ = false;
  const auto document = flx::ParseFormText(text, inputName(path));
  for (const flx::FormProperty& p : document->props) {
    if (flx::SameText(p.name, "Width")) outerWidth_ = true;
    if (flx::SameText(p.name, "ClientWidth")) outerWidth_ = false;
    if (flx::SameText(p.name, "Height")) outerHeight_ = true;
    if (flx::SameText(p.name, "ClientHeight")) outerHeight_ = false;
  }
  watchComponents();
}

Size Session::designClient() {
  if (!outerWidth_ && !outerHeight_) return fileClient_;
  // The frame the form's window has, at the file's DPI.
  win::HWND wnd = window();
  const auto style = static_cast<win::DWORD>(
      win::GetWindowLongPtrW(wnd, win::GWL_STYLE) &
      ~static_cast<win::LONG_PTR>(win::WS_MAXIMIZE | win::WS_MINIMIZE));
  const auto exStyle =
      static_cast<win::DWORD>(win::GetWindowLongPtrW(wnd, win::GWL_EXSTYLE));
  win::RECT frame{0, 0, 0, 0};
  win::AdjustWindowRectExForDpi(&frame, style, win::FALSE, exStyle,
                                static_cast<win::UINT>(fileDpi_));
  return Size{
      outerWidth_ ? std::max(0, fileOuter_.width - (frame.right - frame.left))
                  : fileClient_.width,
      outerHeight_ ? std::max(0, fileOuter_.height - (frame.bottom - frame.top))
                   : fileClient_.height};
}

flx::TFlexarium& Session::attach() {
  flx::TCustomForm& f = form();
  if (flx::TFlexarium* existing = component()) {
    throw StepError("the form has a TFlexarium already (" + existing->Name() +
                    "); attach is for a form without one");
  }
  if (f.HandleAllocated() && win::IsWindowVisible(f.Handle())) {
    throw StepError("attach: the form is shown already; attach before show");
  }
  auto made = std::make_unique<flx::TFlexarium>(nullptr);
  made->SetName(freeComponentName(f, "Flexarium"));
  const Size design = designClient();
  made->SetDesignMetrics(design.width, design.height, fileDpi_, fileDpi_);
  f.InsertComponent(made.get());
  flx::TFlexarium* c = made.release();
  c->Start();
  watchComponents();
  return *c;
}

namespace {

// Why `factor` times a design client size of w x h is no client size, with
// the factors that give one: 1 to 100000 pixels each way.
std::string scaleRangeProblem(double factor, int w, int h) {
  std::ostringstream text;
  text << "scale: " << factor << " times the design client size " << w << "x"
       << h;
  if (w < 1 || h < 1) {
    text << " is no client size: there is nothing to scale";
    return text.str();
  }
  // Half a pixel rounds up to 1; 100000.5 would round beyond the limit.
  const double least = std::ceil(std::max(0.5 / w, 0.5 / h) * 1e4) / 1e4;
  const double most =
      std::floor(std::min(100000.5 / w, 100000.5 / h) * 1e4 - 1) / 1e4;
  text << " is " << std::floor(w * factor + 0.5) << "x"
       << std::floor(h * factor + 0.5)
       << ", and a client size is 1 to 100000 pixels each way; for this form "
          "and DPI the factor lies between "
       << least << " and " << most;
  return text.str();
}

}  // namespace

void Session::setScale(double factor) {
  if (!(factor > 0) || factor > 100) {
    throw StepError("scale: expected a factor above 0 and at most 100");
  }
  int w = 0, h = 0;
  flx::TFlexarium* c = component();
  if (c == nullptr || !c->UnscaledClientSize(w, h)) {
    // At the DPI of the window, which a monitor of its own may give it.
    const Size design = designClient();
    const double dpi = win::GetDpiForWindow(window());
    w = static_cast<int>(
        std::lround(static_cast<double>(design.width) * dpi / fileDpi_));
    h = static_cast<int>(
        std::lround(static_cast<double>(design.height) * dpi / fileDpi_));
  }
  const double cw = std::floor(w * factor + 0.5);
  const double ch = std::floor(h * factor + 0.5);
  if (cw < 1 || ch < 1 || cw > 100000 || ch > 100000) {
    throw StepError(scaleRangeProblem(factor, w, h));
  }
  setClientSize(Size{static_cast<int>(cw), static_cast<int>(ch)});
}

flx::TCustomForm& Session::form() {
  if (dialogWnd_ != nullptr) {
    flx::TFlexarium* c = attachment_ ? attachment_->Component() : nullptr;
    if (c == nullptr) {
      throw StepError(attachment_ ? dialogLabel_ + " is detached"
                                  : dialogLabel_ +
                                        " is not attached yet: put an attach "
                                        "line after the dialog line");
    }
    return static_cast<flx::TCustomForm&>(*c->Owner());
  }
  if (!root_) throw StepError("no form is loaded");
  return static_cast<flx::TCustomForm&>(*root_);
}

win::HWND Session::window() {
  if (dialogWnd_ != nullptr) {
    form();  // attached
    return dialogWnd_;
  }
  return form().Handle();
}

void Session::show() {
  if (dialogWnd_ != nullptr) {
    // As the program shows its dialog.
    win::ShowWindow(window(), win::SW_SHOWNORMAL);
    return;
  }
  form().Show();
}

void Session::restoreForSizing() {
  win::HWND wnd = window();
  // A minimised form that was maximised restores to maximised; one more
  // restore gives the normal state. Bounded, in case a procedure keeps
  // maximising the form.
  for (int i = 0; i < 2 && (win::IsIconic(wnd) || win::IsZoomed(wnd)); ++i) {
    desktop().restore(wnd);
  }
}

void Session::setClientSize(Size size) {
  restoreForSizing();
  win::HWND wnd = window();
  win::RECT outer{}, client{};
  win::GetWindowRect(wnd, &outer);
  win::GetClientRect(wnd, &client);
  const int dx = (outer.right - outer.left) - client.right;
  const int dy = (outer.bottom - outer.top) - client.bottom;
  win::MoveWindow(wnd, outer.left, outer.top, size.width + dx, size.height + dy,
                  win::TRUE);
}

void Session::setOuterSize(Size size) {
  restoreForSizing();
  win::HWND wnd = window();
  win::RECT outer{};
  win::GetWindowRect(wnd, &outer);
  win::MoveWindow(wnd, outer.left, outer.top, size.width, size.height,
                  win::TRUE);
}

void Session::moveTo(int x, int y) {
  restoreForSizing();
  win::HWND wnd = window();
  win::RECT outer{};
  win::GetWindowRect(wnd, &outer);
  win::MoveWindow(wnd, x, y, outer.right - outer.left, outer.bottom - outer.top,
                  win::TRUE);
}

void Session::dragCaption(int x, int y) {
  restoreForSizing();
  requireShown("move");
  desktop().dragCaption(window(), x, y);
}

void Session::setMonitorDpi(int index, int dpi) {
  const int count = static_cast<int>(desktop().config().monitors.size());
  if (index < 0 || index >= std::max(count, 1)) {
    throw StepError("there is no monitor " + std::to_string(index) +
                    ": the monitors are counted from 0 to " +
                    std::to_string(std::max(count, 1) - 1));
  }
  if (!desktop().setMonitorDpi(static_cast<std::size_t>(index), dpi)) {
    throw StepError("a DPI is 1 to 10000, not " + std::to_string(dpi));
  }
}

void Session::requireShown(const char* what) {
  win::HWND wnd = window();
  if (!win::IsWindowVisible(wnd)) {
    throw StepError(std::string(what) + ": the form is not shown");
  }
  if (win::IsIconic(wnd) || win::IsZoomed(wnd)) {
    throw StepError(std::string(what) + ": the form is " +
                    (win::IsIconic(wnd) ? "minimized" : "maximized") +
                    " and has no edge to drag; restore it first");
  }
}

void Session::drag(win::WPARAM edge, int dx, int dy) {
  requireShown("drag");
  desktop().dragEdge(window(), edge, dx, dy);
}

void Session::maximize() { desktop().maximize(window()); }
void Session::minimize() { desktop().minimize(window()); }
void Session::restore() { desktop().restore(window()); }

flx::TFlexarium* Session::component() {
  if (dialogWnd_ != nullptr) {
    return attachment_ ? attachment_->Component() : nullptr;
  }
  return root_ ? firstFlexarium(*root_) : nullptr;
}

void Session::watchComponents() {
  flx::TComponent* root = root_.get();
  if (dialogWnd_ != nullptr) {
    flx::TFlexarium* c = component();
    root = c != nullptr ? c->Owner() : nullptr;
  }
  if (root == nullptr) return;
  watchRescalePasses(*root, [this](const Factors& factors) {
    last_ = factors;
    stepFactors_.push_back(factors);
    ++passes_;
  });
}

flx::TComponent* Session::find(const std::string& path) {
  flx::TComponent* root = root_.get();
  if (dialogWnd_ != nullptr) {
    flx::TFlexarium* f = component();
    root = f != nullptr ? f->Owner() : nullptr;
  }
  if (root == nullptr || path.empty()) return nullptr;
  std::vector<std::string> parts = splitPath(path);
  flx::TComponent* c = nullptr;
  if (flx::SameText(parts[0], "form") ||
      flx::SameText(parts[0], root->Name())) {
    c = root;
  } else {
    c = root->FindComponent(parts[0]);
  }
  // A dialog's control by the name a header gives its ID: the first
  // control with that ID.
  if (c == nullptr && dialogWnd_ != nullptr) {
    for (const auto& [name, value] : controlNames_) {
      if (!flx::SameText(name, parts[0])) continue;
      for (flx::TAdoptedControl* a : adoptedControls(*root)) {
        if (!a->Gone() && sameId(a->ControlId(), value)) {
          c = a;
          break;
        }
      }
      break;
    }
  }
  for (std::size_t i = 1; c != nullptr && i < parts.size(); ++i) {
    c = c->FindComponent(parts[i]);
  }
  return c;
}

void Session::beginStep() {
  passes_ = 0;
  stepFactors_.clear();
  errors_.clear();
}

std::vector<std::string> Session::takeErrors() {
  std::vector<std::string> errors;
  errors.swap(errors_);
  return errors;
}

StepLayout Session::capture(const std::string& action) {
  StepLayout step;
  step.action = action;
  step.factors = last_;
  step.passes = passes_;
  step.errors = errors_;

  flx::TCustomForm& f = form();
  FormLayout& fl = step.form;
  fl.name = f.Name();
  fl.className = f.ClassName();
  fl.caption = f.GetText();
  if (dialogWnd_ != nullptr) {
    fl.className = flx::Utf16ToUtf8(win::GetClassNameW(dialogWnd_));
    fl.caption = flx::Utf16ToUtf8(desktop().getWindowText(dialogWnd_));
  }
  fl.fontSize = f.Font().Size();
  fl.fontPixels = fontPixels(f.Font());
  fl.fontHeight = f.Font().Height();
  fl.fontName = f.Font().Name();
  if (f.HandleAllocated()) {
    win::HWND wnd = f.Handle();
    win::GetWindowRect(wnd, &fl.window);
    fl.visible = fl.window;
    if (screen_.composition && screen_.windows.major >= 6) {
      win::RECT r{};
      if (win::DwmGetWindowAttribute(wnd, win::DWMWA_EXTENDED_FRAME_BOUNDS, &r,
                                     sizeof r) == win::S_OK) {
        fl.visible = r;
      }
    }
    win::RECT client{};
    win::GetClientRect(wnd, &client);
    fl.clientWidth = client.right;
    fl.clientHeight = client.bottom;
    const auto style = static_cast<win::DWORD>(
        win::GetWindowLongPtrW(wnd, win::GWL_STYLE) &
        ~static_cast<win::LONG_PTR>(win::WS_MAXIMIZE | win::WS_MINIMIZE));
    const auto exStyle =
        static_cast<win::DWORD>(win::GetWindowLongPtrW(wnd, win::GWL_EXSTYLE));
    win::RECT insets{0, 0, 0, 0};
    // The frame as it is at the window's own DPI.
    step.dpi = static_cast<int>(win::GetDpiForWindow(wnd));
    const auto dpi = static_cast<win::UINT>(step.dpi);
    win::AdjustWindowRectExForDpi(&insets, style, win::FALSE, exStyle, dpi);
    fl.clientLeft = -insets.left;
    fl.clientTop = -insets.top;
    if ((style & win::WS_CAPTION) == win::WS_CAPTION) {
      fl.captionHeight = win::GetSystemMetricsForDpi(
          (exStyle & win::WS_EX_TOOLWINDOW) ? win::SM_CYSMCAPTION
                                            : win::SM_CYCAPTION,
          dpi);
    }
    fl.state = win::IsIconic(wnd)   ? "minimized"
               : win::IsZoomed(wnd) ? "maximized"
                                    : "normal";
    fl.shown = win::IsWindowVisible(wnd) != win::FALSE;
    step.monitor = static_cast<int>(desktop().monitorOf(wnd));
  } else {
    fl.window = win::RECT{f.Left(), f.Top(), f.Left() + f.Width(),
                          f.Top() + f.Height()};
    fl.visible = fl.window;
    fl.clientWidth = f.ClientWidth();
    fl.clientHeight = f.ClientHeight();
    fl.state = f.WindowState() == flx::TWindowState::wsMaximized   ? "maximized"
               : f.WindowState() == flx::TWindowState::wsMinimized ? "minimized"
                                                                   : "normal";
  }

  const std::size_t count =
      std::max<std::size_t>(desktop().config().monitors.size(), 1);
  for (std::size_t i = 0; i < count; ++i) {
    step.monitors.push_back(
        MonitorLayout{desktop().monitorRect(i), desktop().monitorDpi(i),
                      i < desktop().config().monitors.size()
                          ? desktop().config().monitors[i].primary
                          : true});
  }
  for (auto [control, depth] : controlsInReportOrder(f)) {
    step.controls.push_back(readControlLayout(*control, depth));
    // A dialog's control as its window shows it.
    auto* adopted = dynamic_cast<flx::TAdoptedControl*>(control);
    if (adopted != nullptr && adopted->Window() != nullptr) {
      readDialogControl(adopted->Window(), adopted->ClassName(),
                        step.controls.back());
    }
  }
  return step;
}

}  // namespace flexarium_cli
