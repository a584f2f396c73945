#include "layout.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <iterator>
#include <set>

#include "flexarium/adopted.h"
#include "flexarium/column_sizes.h"
#include "flexarium/flexarium.h"
#include "flexarium/stdctrls.h"
#include "flexarium/winapi.h"

namespace flexarium_cli {

namespace {

// A grid's sizes from its count, its default and the sizes it stores (at
// most one per stored entry, whatever the count).
GridSizes gridSizes(int count, int defaultSize, const flx::FormValue& stored,
                    const std::function<int(int)>& sizeOf) {
  GridSizes g;
  g.count = std::max(count, 0);
  g.defaultSize = defaultSize;
  const int listed = std::min<std::int64_t>(
      g.count, static_cast<std::int64_t>(stored.list.size()));
  for (int i = 0; i < listed; ++i) g.leading.push_back(sizeOf(i));
  while (!g.leading.empty() && g.leading.back() == defaultSize) {
    g.leading.pop_back();
  }
  return g;
}

bool publishes(const flx::TControl& control, const char* property) {
  return flx::GetPropInfo(control, property) != nullptr;
}

void walkControls(flx::TWinControl& parent, int depth,
                  std::vector<std::pair<flx::TControl*, int>>& out,
                  std::set<flx::TControl*>& seen) {
  for (int i = 0; i < parent.ControlCount(); ++i) {
    flx::TControl* c = parent.Controls(i);
    if (!seen.insert(c).second) continue;
    out.emplace_back(c, depth);
    if (auto* w = dynamic_cast<flx::TWinControl*>(c)) {
      walkControls(*w, depth + 1, out, seen);
    }
  }
}

void ownedInCreationOrder(flx::TComponent& owner,
                          std::vector<flx::TComponent*>& out) {
  for (int i = 0; i < owner.ComponentCount(); ++i) {
    out.push_back(owner.Components(i));
    ownedInCreationOrder(*owner.Components(i), out);
  }
}

// The system colours as Windows 10 shows them by default, for pictures
// that do not ask a window system.
constexpr std::uint32_t kSystemColors[] = {
    0xC8C8C8, 0x000000, 0x99B4D1, 0xBFCDDB, 0xF0F0F0, 0xFFFFFF, 0x646464,
    0x000000, 0x000000, 0x000000, 0xB4B4B4, 0xF4F7FC, 0xABABAB, 0x0078D7,
    0xFFFFFF, 0xF0F0F0, 0xA0A0A0, 0x6D6D6D, 0x000000, 0x000000, 0xFFFFFF,
    0x696969, 0xE3E3E3, 0x000000, 0xFFFFE1, 0x000000, 0x0066CC, 0xB9D1EA,
    0xD7E4F2, 0x3399FF, 0xF0F0F0};

// "#rrggbb" of a colour as the form file gives it; "" for clNone,
// clDefault and names the library does not know.
std::string cssColor(const flx::TIdentInt& color) {
  const auto v = static_cast<std::uint32_t>(color.Value);
  std::uint32_t rgb = 0;
  if ((v & 0xFF000000u) == 0xFF000000u) {
    const std::uint32_t i = v & 0xFF;
    if (i >= std::size(kSystemColors)) return {};
    rgb = kSystemColors[i];
  } else if ((v & 0xFF000000u) != 0 ||
             (v == 0 && !color.Ident.empty() && color.Ident != "clBlack")) {
    return {};
  } else {
    // Form files hold 0x00BBGGRR.
    rgb = ((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF);
  }
  char text[8];
  std::snprintf(text, sizeof text, "#%06x", static_cast<unsigned>(rgb));
  return text;
}

std::string base64(const std::vector<std::uint8_t>& bytes) {
  static constexpr char kDigits[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::uint32_t n = (bytes[i] << 16) |
                            (i + 1 < bytes.size() ? bytes[i + 1] << 8 : 0) |
                            (i + 2 < bytes.size() ? bytes[i + 2] : 0);
    out += kDigits[(n >> 18) & 63];
    out += kDigits[(n >> 12) & 63];
    out += i + 1 < bytes.size() ? kDigits[(n >> 6) & 63] : '=';
    out += i + 2 < bytes.size() ? kDigits[n & 63] : '=';
  }
  return out;
}

std::string alignName(flx::TAlignment a) {
  return a == flx::TAlignment::taCenter         ? "center"
         : a == flx::TAlignment::taRightJustify ? "right"
                                                : "left";
}

std::vector<std::string> linesOf(const flx::TStrings& strings) {
  std::vector<std::string> lines;
  for (int i = 0; i < strings.Count(); ++i) lines.push_back(strings.Strings(i));
  return lines;
}

// Whether a caption shows any ink once its accelerator marks are gone.
bool visibleText(const std::string& text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size() && text[i + 1] != '&') continue;
    if (text[i] != ' ' && text[i] != '\t' && text[i] != '\r' &&
        text[i] != '\n') {
      return true;
    }
  }
  return false;
}

// What the framework gives the control's window to show.
void readContent(flx::TControl& c, ControlLayout& l) {
  using namespace flx;
  const std::string color = cssColor(c.Font().Color());
  if (color != "#000000" && !color.empty()) l.textColor = color;
  if (auto* b = dynamic_cast<TBorderedControl*>(&c)) {
    l.bordered = b->BorderStyle() == TBorderStyle::bsSingle;
  }
  switch (l.look) {
    case Look::Check:
      l.check = static_cast<int>(static_cast<TCheckBox&>(c).State());
      // "left": the text stands before the box (BS_LEFTTEXT).
      l.align = alignName(static_cast<TCheckBox&>(c).Alignment());
      break;
    case Look::Radio:
      l.check = static_cast<TRadioButton&>(c).Checked() ? 1 : 0;
      l.align = alignName(static_cast<TRadioButton&>(c).Alignment());
      break;
    case Look::Edit:
      l.drawn = l.bordered || visibleText(l.text);
      break;
    case Look::Memo:
      l.items = linesOf(static_cast<TMemo&>(c).Lines());
      l.drawn = l.bordered || !l.items.empty();
      break;
    case Look::Combo:
      if (auto* box = dynamic_cast<TComboBox*>(&c)) {
        l.items = linesOf(box->Items());
        l.itemIndex = box->ItemIndex();
      } else if (auto* colors = dynamic_cast<TColorBox*>(&c)) {
        l.items = TColorBox::ColorNames();
        const auto at =
            std::find(l.items.begin(), l.items.end(), colors->SelectedName());
        if (at != l.items.end()) l.itemIndex = at - l.items.begin();
      }
      break;
    case Look::List: {
      auto& list = static_cast<TListBox&>(c);
      l.items = linesOf(list.Items());
      l.itemIndex = list.ItemIndex();
      break;
    }
    case Look::Label:
      l.align = alignName(static_cast<TLabel&>(c).Alignment());
      l.wordWrap = static_cast<TLabel&>(c).WordWrap();
      l.autoSize = c.AutoSize();
      l.drawn = visibleText(l.text);
      break;
    case Look::Static: {
      auto& text = static_cast<TStaticText&>(c);
      l.align = alignName(text.Alignment());
      l.bordered = text.BorderStyle() != TStaticBorderStyle::sbsNone;
      l.drawn = l.bordered || visibleText(l.text);
      break;
    }
    case Look::RadioGroup: {
      auto& group = static_cast<TRadioGroup&>(c);
      l.items = linesOf(group.Items());
      l.itemIndex = group.ItemIndex();
      for (int i = 0; i < group.Items().Count(); ++i) {
        const TRect r = group.ButtonRect(i);
        l.itemRects.push_back(Box{r.Left, r.Top, r.Width(), r.Height()});
      }
      break;
    }
    case Look::Panel: {
      auto& panel = static_cast<TPanel&>(c);
      auto bevel = [](TPanelBevel b) -> std::string {
        return b == TPanelBevel::bvRaised    ? "raised"
               : b == TPanelBevel::bvLowered ? "lowered"
                                             : "";
      };
      l.bevel = bevel(panel.BevelOuter());
      l.innerBevel = bevel(panel.BevelInner());
      l.align = alignName(panel.Alignment());
      if (!panel.ShowCaption()) l.text.clear();
      l.drawn =
          !l.bevel.empty() || !l.innerBevel.empty() || visibleText(l.text);
      break;
    }
    case Look::Tabs: {
      auto& pages = static_cast<TPageControl&>(c);
      const std::vector<TTabSheet*> sheets = pages.Pages();
      for (std::size_t i = 0; i < sheets.size(); ++i) {
        l.items.push_back(sheets[i]->GetText());
        if (sheets[i] == pages.ActivePage()) l.itemIndex = static_cast<int>(i);
      }
      break;
    }
    case Look::Track:
    case Look::Progress:
    case Look::UpDown: {
      auto& range = static_cast<TRangeControl&>(c);
      l.rangeMin = range.Min();
      l.rangeMax = range.Max();
      l.position = range.Position();
      if (auto* track = dynamic_cast<TTrackBar*>(&c)) {
        l.vertical = track->Orientation() == TTrackBarOrientation::trVertical;
      } else if (auto* bar = dynamic_cast<TProgressBar*>(&c)) {
        l.vertical = bar->Orientation() == TProgressBarOrientation::pbVertical;
      } else {
        l.vertical = static_cast<TUpDown&>(c).Orientation() ==
                     TUDOrientation::udVertical;
      }
      break;
    }
    case Look::Status: {
      auto& bar = static_cast<TStatusBar&>(c);
      const std::vector<TStatusBar::Panel> panels = bar.Panels();
      if (bar.SimplePanel() || panels.empty()) {
        l.items.push_back(bar.SimpleText());
      } else {
        for (const TStatusBar::Panel& p : panels) {
          l.items.push_back(p.Text);
          l.columns.push_back(p.Width);
        }
      }
      break;
    }
    case Look::Header: {
      std::vector<TColumnInfo> columns;
      if (auto* view = dynamic_cast<TListView*>(&c)) {
        if (view->ViewStyle() == TViewStyle::vsReport) {
          columns = view->Columns();
        }
      } else {
        columns = static_cast<THeaderControl&>(c).Sections();
        l.bordered = false;
      }
      for (const TColumnInfo& col : columns) {
        l.items.push_back(col.Caption);
        l.columns.push_back(col.Width);
      }
      break;
    }
    case Look::Grid: {
      auto& grid = static_cast<TCustomGrid&>(c);
      l.fixedCols = grid.FixedCols();
      l.fixedRows = grid.FixedRows();
      // The cells that show; as the grid paints them, each at least a
      // pixel, so that a grid of 2147483647 empty rows ends at its edge.
      std::int64_t width = 0, height = 0;
      for (int col = 0; col < grid.ColCount() && width < c.Width(); ++col) {
        l.columns.push_back(grid.ColWidth(col));
        width += std::max(grid.ColWidth(col), 1);
      }
      for (int row = 0; row < grid.RowCount() && height < c.Height(); ++row) {
        l.rows.push_back(grid.RowHeight(row));
        height += std::max(grid.RowHeight(row), 1);
        std::string line;
        for (std::size_t col = 0; col < l.columns.size(); ++col) {
          if (col > 0) line += '\t';
          line += grid.CellText(static_cast<int>(col), row);
        }
        l.items.push_back(line);
      }
      break;
    }
    case Look::Image: {
      auto& image = static_cast<TImage&>(c);
      const std::vector<std::uint8_t> bmp = image.Picture().Bitmap();
      const TRect r = image.BitmapRect();
      l.drawn = r.Width() > 0 && r.Height() > 0;
      if (l.drawn) {
        l.image = "data:image/bmp;base64," + base64(bmp);
        l.imageRect = Box{r.Left, r.Top, r.Width(), r.Height()};
      }
      break;
    }
    case Look::Shape: {
      auto& shape = static_cast<TShape&>(c);
      if (shape.Brush().Style != TBrushStyle::bsClear) {
        l.fill = cssColor(shape.Brush().Color);
      }
      if (shape.Pen().Style != TPenStyle::psClear && shape.Pen().Width > 0) {
        l.stroke = cssColor(shape.Pen().Color);
      }
      l.drawn = !l.fill.empty() || !l.stroke.empty();
      break;
    }
    case Look::Bevel: {
      auto& bevel = static_cast<TBevel&>(c);
      static constexpr const char* kShapes[] = {
          "box", "frame", "top", "bottom", "left", "right", ""};
      l.bevel = kShapes[static_cast<int>(bevel.Shape())];
      l.raised = bevel.Style() == TBevelStyle::bsRaised;
      l.drawn = !l.bevel.empty();
      break;
    }
    case Look::ToolButton: {
      const TToolButtonStyle style = static_cast<TToolButton&>(c).Style();
      if (style == TToolButtonStyle::tbsSeparator) l.bevel = "separator";
      if (style == TToolButtonStyle::tbsDivider) l.bevel = "divider";
      l.drawn = style != TToolButtonStyle::tbsSeparator;
      break;
    }
    case Look::Date: {
      // As Windows shows it for the English (United States) locale.
      auto& picker = static_cast<TDateTimePicker&>(c);
      if (std::optional<win::SYSTEMTIME> t = picker.Shown()) {
        static constexpr const char* kMonths[] = {
            "January",   "February", "March",    "April",
            "May",       "June",     "July",     "August",
            "September", "October",  "November", "December"};
        char text[64];
        if (picker.Kind() == TDateTimeKind::dtkTime) {
          std::snprintf(text, sizeof text, "%d:%02d:%02d %s",
                        (t->wHour + 11) % 12 + 1, t->wMinute, t->wSecond,
                        t->wHour < 12 ? "AM" : "PM");
        } else if (picker.DateFormat() == TDTDateFormat::dfLong) {
          static constexpr const char* kDays[] = {
              "Sunday",   "Monday", "Tuesday", "Wednesday",
              "Thursday", "Friday", "Saturday"};
          std::snprintf(text, sizeof text, "%s, %s %d, %d",
                        kDays[t->wDayOfWeek % 7],
                        kMonths[(t->wMonth + 11) % 12], t->wDay, t->wYear);
        } else {
          std::snprintf(text, sizeof text, "%d/%d/%d", t->wMonth, t->wDay,
                        t->wYear);
        }
        l.text = text;
      }
      break;
    }
    case Look::Frame:
    case Look::Sheet:
    case Look::Blank:
      l.drawn = false;
      break;
    default:
      break;
  }
}

}  // namespace

std::string_view toString(Look look) {
  static constexpr std::string_view kNames[] = {
      "button",      "check",  "radio",    "edit",        "memo",    "combo",
      "list",        "label",  "group",    "panel",       "frame",   "generic",
      "radio-group", "static", "track",    "progress",    "up-down", "status",
      "header",      "tree",   "grid",     "image",       "shape",   "bevel",
      "tabs",        "sheet",  "tool-bar", "tool-button", "blank",   "date"};
  return kNames[static_cast<std::size_t>(look)];
}

Look lookOf(const flx::TControl& control) {
  using namespace flx;
  auto is = [&](const TClassInfo& c) { return control.InheritsFrom(c); };
  if (is(TButton::StaticClass()) || is(TSpeedButton::StaticClass())) {
    return Look::Button;
  }
  if (is(TToolButton::StaticClass())) return Look::ToolButton;
  if (is(TCheckBox::StaticClass())) return Look::Check;
  if (is(TRadioButton::StaticClass())) return Look::Radio;
  if (is(TMemo::StaticClass())) return Look::Memo;
  if (is(TEdit::StaticClass())) return Look::Edit;
  if (is(TComboBox::StaticClass()) || is(TColorBox::StaticClass())) {
    return Look::Combo;
  }
  if (is(TListBox::StaticClass())) return Look::List;
  if (is(TListView::StaticClass()) || is(THeaderControl::StaticClass())) {
    return Look::Header;
  }
  if (is(TTreeView::StaticClass())) return Look::Tree;
  if (is(TCustomGrid::StaticClass())) return Look::Grid;
  if (is(TLabel::StaticClass())) return Look::Label;
  if (is(TStaticText::StaticClass())) return Look::Static;
  if (is(TRadioGroup::StaticClass())) return Look::RadioGroup;
  if (is(TGroupBox::StaticClass())) return Look::Group;
  if (is(TCustomFrame::StaticClass())) return Look::Frame;
  if (is(TPageControl::StaticClass())) return Look::Tabs;
  if (is(TTabSheet::StaticClass())) return Look::Sheet;
  if (is(TTrackBar::StaticClass())) return Look::Track;
  if (is(TProgressBar::StaticClass())) return Look::Progress;
  if (is(TDateTimePicker::StaticClass())) return Look::Date;
  if (is(TUpDown::StaticClass())) return Look::UpDown;
  if (is(TStatusBar::StaticClass())) return Look::Status;
  if (is(TToolBar::StaticClass())) return Look::ToolBar;
  if (is(TImage::StaticClass())) return Look::Image;
  if (is(TShape::StaticClass())) return Look::Shape;
  if (is(TBevel::StaticClass())) return Look::Bevel;
  if (is(TPaintBox::StaticClass()) || is(TSplitter::StaticClass())) {
    return Look::Blank;
  }
  if (is(TPanel::StaticClass())) return Look::Panel;
  if (is(TScrollBox::StaticClass())) return Look::Blank;
  return Look::Generic;
}

int fontPixels(const flx::TFont& font) {
  // A negative height is the character height; a cell height includes the
  // internal leading, about a fifth of it.
  const std::int64_t height = font.Height();
  return flx::HeldInt(height < 0 ? -height : height * 4 / 5);
}

ShownBounds shownBounds(const flx::TControl& c) {
  namespace win = flx::win;
  if (const auto* a = dynamic_cast<const flx::TAdoptedControl*>(&c)) {
    const win::HWND wnd = a->Window();
    win::RECT r{};
    if (wnd != nullptr && win::GetWindowRect(wnd, &r)) {
      const win::HWND parent = win::GetParent(wnd);
      win::POINT origin{0, 0};
      if (parent != nullptr) win::ClientToScreen(parent, &origin);
      return {r.left - origin.x, r.top - origin.y, r.right - r.left,
              r.bottom - r.top};
    }
  }
  return {c.Left(), c.Top(), c.Width(), c.Height()};
}

ControlLayout readControlLayout(flx::TControl& c, int depth) {
  ControlLayout l;
  l.name = c.Name();
  l.className = c.ClassName();
  l.owner = c.Owner() != nullptr ? c.Owner()->Name() : "";
  l.parent = c.Parent() != nullptr ? c.Parent()->Name() : "";
  if (publishes(c, "Caption") || publishes(c, "Text")) l.text = c.GetText();
  const ShownBounds shown = shownBounds(c);
  l.left = shown.left;
  l.top = shown.top;
  l.width = shown.width;
  l.height = shown.height;
  if (publishes(c, "Font")) {
    l.fontSize = c.Font().Size();
    l.fontHeight = c.Font().Height();
    l.parentFont = c.ParentFont();
  }
  const flx::TFont& font = c.Font();
  l.fontPixels = fontPixels(font);
  l.fontName = font.Name();
  l.bold = (font.Style() & flx::fsBold) != 0;
  l.italic = (font.Style() & flx::fsItalic) != 0;
  l.visible = c.Visible();
  l.depth = depth;
  l.look = lookOf(c);
  readContent(c, l);
  if (auto* grid = dynamic_cast<flx::TCustomGrid*>(&c)) {
    l.colWidths = gridSizes(grid->ColCount(), grid->DefaultColWidth(),
                            grid->ColWidthsValue,
                            [grid](int i) { return grid->ColWidth(i); });
    l.rowHeights = gridSizes(grid->RowCount(), grid->DefaultRowHeight(),
                             grid->RowHeightsValue,
                             [grid](int i) { return grid->RowHeight(i); });
  } else if (flx::HasColumnSizes(c)) {
    l.columnWidths = flx::ColumnSizes(c);
  }
  return l;
}

std::vector<std::pair<flx::TControl*, int>> controlsInReportOrder(
    flx::TWinControl& form) {
  std::vector<std::pair<flx::TControl*, int>> out;
  std::set<flx::TControl*> seen;
  walkControls(form, 0, out, seen);
  std::vector<flx::TComponent*> owned;
  ownedInCreationOrder(form, owned);
  for (flx::TComponent* c : owned) {
    auto* control = dynamic_cast<flx::TControl*>(c);
    if (control == nullptr || control->Parent() != nullptr ||
        !seen.insert(control).second) {
      continue;
    }
    out.emplace_back(control, 0);
    if (auto* w = dynamic_cast<flx::TWinControl*>(control)) {
      walkControls(*w, 1, out, seen);
    }
  }
  return out;
}

flx::TFlexarium* firstFlexarium(flx::TComponent& root) {
  for (int i = 0; i < root.ComponentCount(); ++i) {
    if (auto* f = dynamic_cast<flx::TFlexarium*>(root.Components(i))) {
      return f;
    }
  }
  return nullptr;
}

void watchRescalePasses(flx::TComponent& root,
                        std::function<void(const Factors&)> pass) {
  for (int i = 0; i < root.ComponentCount(); ++i) {
    auto* f = dynamic_cast<flx::TFlexarium*>(root.Components(i));
    if (f == nullptr) continue;
    // The handler name stays, so the component still reads as written.
    flx::TExitResizeEvent event;
    event.Name = f->OnExitResize().Name;
    event.Code = [pass](flx::TObject*, double x, double y) {
      pass(Factors{x, y});
    };
    f->SetOnExitResize(std::move(event));
  }
}

int GridSizes::at(int i) const {
  return static_cast<std::size_t>(i) < leading.size()
             ? leading[static_cast<std::size_t>(i)]
             : defaultSize;
}

std::optional<std::vector<int>> GridSizes::all(std::size_t limit) const {
  if (static_cast<std::size_t>(count) > limit) return std::nullopt;
  std::vector<int> sizes;
  for (int i = 0; i < count; ++i) sizes.push_back(at(i));
  return sizes;
}

std::string GridSizes::describe(std::size_t limit) const {
  std::string text;
  if (auto sizes = all(limit)) {
    for (std::size_t i = 0; i < sizes->size(); ++i) {
      text += (i ? "," : "") + std::to_string((*sizes)[i]);
    }
    return text;
  }
  text = std::to_string(count) + " sizes: ";
  for (std::size_t i = 0; i < leading.size(); ++i) {
    text += (i ? "," : "") + std::to_string(leading[i]);
  }
  return text + (leading.empty() ? "" : " then ") +
         std::to_string(defaultSize) + " each";
}

}  // namespace flexarium_cli
