// A form running on its own simulated desktop, driven step by step as a
// person and the application would, and the layout read back after each
// step. Shared by `flexarium preview` and `flexarium run`.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "flexarium/flexarium.h"
#include "flexarium/formfile.h"
#include "flexarium/forms.h"
#include "flexarium/sim_desktop.h"
#include "options.h"

namespace flexarium_cli {

// How a control is drawn.
enum class Look {
  Button,
  Check,
  Radio,
  Edit,
  Memo,
  Combo,
  List,
  Label,
  Group,
  Panel,
  Frame,
  Page,
  Bar,
  Picture,
  Generic,
};

struct ControlLayout {
  std::string name;
  std::string className;
  std::string owner;   // the owning form or frame
  std::string parent;  // "" for a control without a parent
  std::string text;    // caption or text, "" when it publishes neither
  int left = 0;        // relative to the parent's client area
  int top = 0;
  int width = 0;
  int height = 0;
  std::optional<int> fontSize;  // points; none for a control without a font
  std::optional<bool> parentFont;
  int fontPixels = 0;
  std::string fontName;
  bool bold = false;
  bool italic = false;
  bool visible = true;
  int depth = 0;  // 0 for the form's own children
  Look look = Look::Generic;
};

struct FormLayout {
  std::string name;
  std::string className;
  std::string caption;
  flx::win::RECT window{};   // outer window rectangle, screen pixels
  flx::win::RECT visible{};  // without the invisible composition margins
  int clientWidth = 0;
  int clientHeight = 0;
  int clientLeft = 0;  // client origin within the window rectangle
  int clientTop = 0;
  int captionHeight = 0;
  int fontSize = 0;
  int fontPixels = 0;
  std::string fontName;
  std::string state;  // normal, maximized or minimized
  bool shown = false;
};

struct Factors {
  double x = 1.0;
  double y = 1.0;
  double font() const { return x < y ? x : y; }
};

struct StepLayout {
  std::string action;
  // Factors of the last rescale pass so far; none before the first.
  std::optional<Factors> factors;
  int passes = 0;  // rescale passes during this step
  FormLayout form;
  std::vector<ControlLayout> controls;
  std::vector<std::string> errors;  // raised inside the window procedure
};

struct PreviewReport {
  std::string file;
  ScreenSettings screen;
  std::optional<std::string> component;  // the TFlexarium on the form
  std::vector<StepLayout> steps;
};

// Thrown for a step that cannot be carried out (no form loaded, a name that
// names nothing...). Its message is one line.
class StepError : public flx::Exception {
 public:
  using flx::Exception::Exception;
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

  // Reads the form as a running application does. Throws flx::Exception
  // (the reader's FILE:LINE:COL message) or StepError for a root that is
  // not a form.
  void load(const std::string& path, const flx::FormLoadOptions& options);
  bool loaded() const { return root_ != nullptr; }
  flx::TCustomForm& form();
  flx::win::HWND window();

  void show();
  // A size step on a maximised or minimised form restores it first.
  void setClientSize(Size size);
  void setOuterSize(Size size);
  void moveTo(int x, int y);
  // A person dragging an edge or corner (WMSZ_* code) of the shown form.
  void drag(flx::win::WPARAM edge, int dx, int dy);
  void maximize();
  void minimize();
  void restore();

  // The first TFlexarium owned by the form, if any.
  flx::TFlexarium* component();
  // Starts reporting the rescale passes of every TFlexarium on the form
  // (again after one was created).
  void watchComponents();
  std::optional<Factors> lastFactors() const { return last_; }

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
  int passes_ = 0;
};

// How a control of this class is drawn.
Look lookOf(const flx::TControl& control);

}  // namespace flexarium_cli
