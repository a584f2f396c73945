// The layout of a form after a step, as `flexarium preview` and
// flexarium-demo report it, and the readers both share: a control's
// layout from the framework, the order the reports list the controls in,
// and the rescale passes of the form's components.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "flexarium/winapi.h"
#include "options.h"

namespace flx {
class TComponent;
class TControl;
class TFlexarium;
class TFont;
class TWinControl;
}  // namespace flx

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
  std::optional<int> fontSize;    // points; none for a control without a font
  std::optional<int> fontHeight;  // pixels, as the framework keeps it
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
  int fontHeight = 0;  // as the framework keeps it (negative: character)
  std::string fontName;
  std::string state;  // normal, maximized or minimized
  bool shown = false;
};

struct Factors {
  double x = 1.0;
  double y = 1.0;
  double font() const { return x < y ? x : y; }
};

// A monitor of the desktop, as the process sees it.
struct MonitorLayout {
  flx::win::RECT rect{};
  int dpi = 0;
  bool primary = false;
};

struct StepLayout {
  std::string action;
  // Factors of the last rescale pass so far; none before the first.
  std::optional<Factors> factors;
  int passes = 0;  // rescale passes during this step
  FormLayout form;
  std::vector<ControlLayout> controls;
  std::vector<std::string> errors;  // raised inside the window procedure
  int dpi = 0;                      // the form's DPI (its window's)
  int monitor = -1;                 // the monitor that holds it, counted from 0
  std::vector<MonitorLayout> monitors;
};

struct PreviewReport {
  std::string file;
  ScreenSettings screen;
  std::optional<std::string> component;  // the TFlexarium on the form
  std::vector<StepLayout> steps;
};

// How a control of this class is drawn.
Look lookOf(const flx::TControl& control);

// The character height of the font in pixels.
int fontPixels(const flx::TFont& font);

// A control as the framework holds it: bounds relative to its parent, font,
// caption, visibility. A reader of real windows overrides what the windows
// say otherwise.
ControlLayout readControlLayout(flx::TControl& control, int depth);

// The form's controls in the order the reports list them, each with its
// nesting depth: depth first by parent, then controls without a parent in
// creation order (with their children).
std::vector<std::pair<flx::TControl*, int>> controlsInReportOrder(
    flx::TWinControl& form);

// The first TFlexarium the root owns, if any.
flx::TFlexarium* firstFlexarium(flx::TComponent& root);

// Calls `pass` with the factors after every rescale pass of each TFlexarium
// the root owns; call again for a component created since.
void watchRescalePasses(flx::TComponent& root,
                        std::function<void(const Factors&)> pass);

}  // namespace flexarium_cli
