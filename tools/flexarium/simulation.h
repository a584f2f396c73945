// A form running on its own simulated desktop, driven step by step as a
// person and the application would, and the layout read back after each
// step. Shared by `flexarium preview` and `flexarium run`.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "dialog_input.h"
#include "flexarium/attach.h"
#include "flexarium/flexarium.h"
#include "flexarium/formfile.h"
#include "flexarium/forms.h"
#include "flexarium/sim_desktop.h"
#include "layout.h"
#include "options.h"

namespace flexarium_cli {

// Thrown for a step that cannot be carried out (no form loaded, a name that
// names nothing...). Its message is one line.
class StepError : public flx::Exception {
 public:
  using flx::Exception::Exception;
};

// A dialog to load: the file (.res, .exe, .dll, or a .rc script compiled
// with `script`), the dialog's ID or name and its language, and headers
// whose #define lines name control IDs (a script's own headers are read
// without being named here).
struct DialogRequest {
  std::string file;
  std::string dialog;
  std::optional<int> language;
  ScriptOptions script;
  std::vector<std::string> headers;
  // The file read already, for many dialogs of one file (a script is
  // compiled once); nullptr: read `file`.
  std::shared_ptr<const ResourceInput> input;
};

class Session {
 public:
  // Installs a desktop for `screen` and starts the component's unit on it.
  explicit Session(const ScreenSettings& screen);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  flx::sim::Desktop& desktop() { return desktop_.desktop(); }
  const ScreenSettings& screen() const { return screen_; }
  // The screen size and taskbar may change while the form runs.
  void setScreenSize(Size size);
  void setTaskbar(const flx::sim::TaskbarConfig& taskbar);

  // Reads the form as a running application does ("-": from standard
  // input). Throws flx::Exception (the reader's FILE:LINE:COL message) or
  // StepError for a root that is not a form.
  void load(const std::string& path, const flx::FormLoadOptions& options);
  bool loaded() const { return root_ != nullptr || dialogWnd_ != nullptr; }

  // Makes the dialog as CreateDialogIndirectParamW does, hidden (the
  // template's WS_VISIBLE waits for show, as if the program attached in
  // WM_INITDIALOG); the program's own window classes get stand-ins.
  // Throws flx::Exception naming the file and the dialog for a dialog that
  // cannot be read or made, StepError for a child dialog (nothing to
  // attach to).
  void loadDialog(const DialogRequest& request);
  bool isDialog() const { return dialogWnd_ != nullptr; }
  // "FILE: dialog ID", for messages and reports.
  const std::string& dialogLabel() const { return dialogLabel_; }
  bool dialogAttached() const { return attachment_ != nullptr; }
  // The options the component is attached with, gathered before attach.
  flx::AttachOptions& dialogOptions() { return dialogOptions_; }
  // Attaches the component to the loaded dialog with dialogOptions() and
  // the control names of the headers. StepError when attached already or
  // shown; flx::Exception for a refused option.
  flx::TFlexarium& attachDialog();
  // The names of the adopted controls that an exclusion list of control
  // IDs, header names and window classes ("1001;IDC_LOGO;Static") names,
  // as the component's NoResizeCtl takes them.
  std::string dialogExclusions(const std::string& list);
  flx::TCustomForm& form();
  flx::win::HWND window();

  void show();
  // A size step on a maximised or minimised form restores it first.
  void setClientSize(Size size);
  void setOuterSize(Size size);
  void moveTo(int x, int y);
  // A person drags the caption of the shown form so that its top-left
  // corner lands on screen point (x, y); a maximised or minimised form is
  // restored first.
  void dragCaption(int x, int y);
  // The user sets the scale of monitor `index` (from 0, in the order given)
  // to `dpi`.
  void setMonitorDpi(int index, int dpi);
  // A person dragging an edge or corner (WMSZ_* code) of the shown form.
  void drag(flx::win::WPARAM edge, int dx, int dy);
  void maximize();
  void minimize();
  void restore();

  // Puts a started TFlexarium with default properties on a loaded form
  // that has none, designed for the client size and PixelsPerInch the form
  // file gives (96 without one). StepError on a form that has one.
  flx::TFlexarium& attach();
  // Gives the form `factor` times its design client size (the component's
  // design metrics, or the form file's client size and PixelsPerInch), at
  // this screen's DPI. StepError for a factor that is not positive or a
  // size beyond what a window may have.
  void setScale(double factor);

  // The first TFlexarium owned by the form, if any.
  flx::TFlexarium* component();
  // Starts reporting the rescale passes of every TFlexarium on the form
  // (again after one was created).
  void watchComponents();
  std::optional<Factors> lastFactors() const { return last_; }
  // Rescale passes since the step began, and the factors each reported (a
  // pass nested in another reports before the one it is nested in).
  int passes() const { return passes_; }
  const std::vector<Factors>& stepFactors() const { return stepFactors_; }

  // A component of the form by dotted path: "edName", "Frame1.edName", the
  // form's own name or "form".
  flx::TComponent* find(const std::string& path);

  // A step begins: its rescale passes and errors are counted from here.
  void beginStep();
  // The layout now, with the passes and errors since the step began.
  StepLayout capture(const std::string& action);
  // Errors raised inside the window procedure since the last call (or
  // capture).
  std::vector<std::string> takeErrors();

 private:
  void requireShown(const char* what);
  void restoreForSizing();

  ScreenSettings screen_;
  flx::sim::ScopedDesktop desktop_;
  std::unique_ptr<flx::TComponent> root_;
  flx::TExceptionHandler previousHandler_;
  std::vector<std::string> errors_;
  std::optional<Factors> last_;
  std::vector<Factors> stepFactors_;
  int passes_ = 0;
  // The client size the form file means, at the file's PixelsPerInch.
  Size designClient();

  // A dialog and the component on it.
  flx::win::HWND dialogWnd_ = nullptr;
  std::vector<std::uint8_t> dialogTemplate_;  // what the dialog was made of
  std::string dialogLabel_;                   // "FILE: dialog ID", for messages
  std::map<std::string, int> controlNames_;
  flx::AttachOptions dialogOptions_;
  std::unique_ptr<flx::Attachment> attachment_;

  // The form file's client size and PixelsPerInch, as loaded; its outer
  // size where the file gives that instead of the client size.
  Size fileClient_;
  Size fileOuter_;
  bool outerWidth_ = false;
  bool outerHeight_ = false;
  int fileDpi_ = 96;
};

}  // namespace flexarium_cli
