// The layout of a form after a step, as `flexarium preview` and
// flexarium-demo report it, and the readers both share: a control's
// layout from the framework, the order the reports list the controls in,
// and the rescale passes of the form's components.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
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
  Generic,
  RadioGroup,  // a group box with radio buttons (`itemRects`)
  Static,      // a caption with a window of its own
  Track,       // a track bar's channel and thumb (`range`)
  Progress,    // a progress bar's filled part (`range`)
  UpDown,      // two arrow buttons
  Status,      // status bar parts (`items`, `columns`)
  Header,      // header sections, or a list view's columns
  Tree,        // a tree view: a sunken, white box
  Grid,        // cells (`items`: rows of tab-separated texts)
  Image,       // a bitmap (`image`, `imageRect`), or nothing
  Shape,       // a filled, outlined rectangle (`fill`, `stroke`)
  Bevel,       // a box, frame or line (`bevel`: its shape)
  Tabs,        // a page control's tabs (`items`, `itemIndex`)
  Sheet,       // a tab sheet: nothing of its own
  ToolBar,     // a strip with an etched top line
  ToolButton,  // a flat button, or a divider (`bevel` "divider")
  Blank,       // drawn by the application: nothing of the framework's
  Date,        // a date picker: its date (`text`) and a drop-down button
};
std::string_view toString(Look look);

// A rectangle in a control's own coordinates.
struct Box {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

// A grid's column widths or row heights. A grid may have 2147483647 rows:
// the sizes are kept as how many there are, the default size, and the sizes
// of the first ones up to the last that differs from the default (every
// later one has the default), never one entry per row.
struct GridSizes {
  int count = 0;
  int defaultSize = 0;
  std::vector<int> leading;

  // The size of column or row `i` (0 <= i < count).
  int at(int i) const;
  // Every size, when there are at most `limit`; nullopt otherwise.
  std::optional<std::vector<int>> all(std::size_t limit) const;
  // "45,96,96", or "2147483647 sizes: 45 then 96 each" for more than `limit`.
  std::string describe(std::size_t limit) const;
};

struct ControlLayout {
  std::string name;
  std::string className;  // a dialog's control: its window class
  // A dialog's control: its control ID; none for a form's control.
  std::optional<long long> controlId;
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
  // List-view columns or header sections, in order, as stored (negative
  // for an automatic width); none for other classes.
  std::optional<std::vector<int>> columnWidths;
  // A grid's column widths and row heights; none for other classes.
  std::optional<GridSizes> colWidths;
  std::optional<GridSizes> rowHeights;

  // What the control shows, as the framework hands it to the window.
  // Whether anything of it can be seen: a frame, a caption, a text or an
  // item (false for an empty caption without a frame, a panel without
  // bevels or caption, a paint box, an image without a bitmap...).
  bool drawn = true;
  // List and combo items, memo lines, radio group items, tab captions,
  // status bar parts, header sections, grid rows (cells split by tabs).
  std::vector<std::string> items;
  int itemIndex = -1;          // the selected item or the active page
  int check = 0;               // 0 unchecked, 1 checked, 2 grayed
  std::vector<Box> itemRects;  // radio group buttons
  std::vector<int> columns;    // widths of parts, sections, grid columns
  std::vector<int> rows;       // grid row heights
  int fixedCols = 0;
  int fixedRows = 0;
  std::string align;      // "left", "center", "right" for captions; a
                          // check box's or radio button's "left" puts its
                          // text before the box
  bool wordWrap = false;  // labels: lines broken at the width
  bool autoSize = false;  // labels: sized to their text
  std::string textColor;  // "#rrggbb" when not the system's text colour
  // Panels: outer and inner bevel ("raised", "lowered", "" for none);
  // bevels: their shape ("box", "frame", "top", "bottom", "left",
  // "right") and `raised`.
  std::string bevel;
  std::string innerBevel;
  bool raised = false;
  bool bordered = true;  // edits, memos and lists: a sunken frame
  bool vertical = false;
  int rangeMin = 0, rangeMax = 0, position = 0;
  std::string image;  // "data:image/bmp;base64,..." of a bitmap
  Box imageRect;
  std::string fill;    // "#rrggbb", "" when not filled
  std::string stroke;  // "#rrggbb", "" when not outlined
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

// Where a control stands in its parent's client area: for a window made by
// other code (an attached dialog's control) its window's rectangle, which
// a control that fits itself to its font (a combo box) decides, as on real
// windows; else the framework's bounds.
struct ShownBounds {
  int left = 0, top = 0, width = 0, height = 0;
};
ShownBounds shownBounds(const flx::TControl& control);

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
