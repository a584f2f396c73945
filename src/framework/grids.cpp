// String grids and value list editors, painted as cells by the framework.
#include "flexarium/grids.h"

#include <algorithm>
#include <cstdint>

#include "framework/std_classes.h"

namespace flx {

using namespace std_classes;
using rtti::IntProp;

namespace {

// Entry `i` of a stored list of sizes, if it is one.
std::optional<int> StoredSize(const FormValue& list, int i) {
  if (list.kind != FormValue::Kind::List || i < 0 ||
      i >= static_cast<int>(list.list.size())) {
    return std::nullopt;
  }
  const FormValue& v = list.list[static_cast<std::size_t>(i)];
  if (v.kind != FormValue::Kind::Integer) return std::nullopt;
  return static_cast<int>(std::clamp<std::int64_t>(v.integer, 0, 1 << 16));
}

// The sizes of single columns and rows: a list of integers, kept as read.
TPropInfo SizesProp(const char* name, FormValue TCustomGrid::*member) {
  TPropInfo p;
  p.Name = name;
  p.Kind = TTypeKind::List;
  p.Get = [member](const TPersistent& o) {
    return static_cast<const TCustomGrid&>(o).*member;
  };
  p.Set = [member](TPersistent& o, const FormValue& v) {
    if (v.kind != FormValue::Kind::List) {
      throw EConvertError("a list of sizes ( ... ) is expected");
    }
    static_cast<TCustomGrid&>(o).*member = v;
  };
  return p;
}

std::vector<TPropInfo> GridSizeProps() {
  return {
      SizesProp("ColWidths", &TCustomGrid::ColWidthsValue),
      IntProp("DefaultColWidth", &TCustomGrid::DefaultColWidth,
              &TCustomGrid::SetDefaultColWidth),
      IntProp("DefaultRowHeight", &TCustomGrid::DefaultRowHeight,
              &TCustomGrid::SetDefaultRowHeight),
      IntProp("FixedCols", &TCustomGrid::FixedCols, &TCustomGrid::SetFixedCols),
      SizesProp("RowHeights", &TCustomGrid::RowHeightsValue)};
}

}  // namespace

const TClassInfo& TCustomGrid::StaticClass() {
  static const TClassInfo info =
      MakeInfo("TCustomGrid", TBorderedControl::StaticClass(), kFont, {});
  return info;
}

TCustomGrid::TCustomGrid(TComponent* owner) : TBorderedControl(owner) {
  FClassStyle = win::WS_TABSTOP;
  ColWidthsValue.kind = FormValue::Kind::List;
  RowHeightsValue.kind = FormValue::Kind::List;
}

int TCustomGrid::ColWidth(int col) const {
  return StoredSize(ColWidthsValue, col).value_or(FDefaultColWidth);
}

int TCustomGrid::RowHeight(int row) const {
  return StoredSize(RowHeightsValue, row).value_or(FDefaultRowHeight);
}

std::string TCustomGrid::CellText(int, int) const { return {}; }

void TCustomGrid::PaintWindow(win::HDC dc) {
  using namespace win;
  FillSys(dc, RECT{0, 0, Width(), Height()}, COLOR_WINDOW);
  const COLORREF line = GetSysColor(COLOR_BTNFACE);
  // Sizes come from the form file: the cells are laid out in 64 bits and
  // end where the window does.
  auto at = [](std::int64_t v) { return HeldInt(v); };
  std::int64_t y = 0;
  for (int row = 0; row < FRowCount && y < Height(); ++row) {
    const std::int64_t h = std::max(RowHeight(row), 1);
    std::int64_t x = 0;
    for (int col = 0; col < FColCount && x < Width(); ++col) {
      const std::int64_t w = std::max(ColWidth(col), 1);
      RECT cell{at(x), at(y), at(x + w), at(y + h)};
      if (row < FFixedRows || col < FFixedCols) {
        FillSys(dc, cell, COLOR_BTNFACE);
        RECT edge{at(x), at(y), at(x + w - 1), at(y + h - 1)};
        DrawEdge(dc, &edge, BDR_RAISEDINNER, BF_RECT);
      }
      // One-pixel grid lines right and below each cell.
      FillSolid(dc, RECT{at(x + w - 1), at(y), at(x + w), at(y + h)}, line);
      FillSolid(dc, RECT{at(x), at(y + h - 1), at(x + w), at(y + h)}, line);
      const std::string text = CellText(col, row);
      if (!text.empty()) {
        RECT inner{at(x + 2), at(y), at(x + w - 3), at(y + h - 1)};
        DrawCaption(*this, dc, inner,
                    DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS, text);
      }
      x += w;
    }
    y += h;
  }
}

const TClassInfo& TStringGrid::StaticClass() {
  static const TClassInfo info = [] {
    std::vector<TPropInfo> props = {
        IntProp("ColCount", &TCustomGrid::ColCount, &TCustomGrid::SetColCount)};
    for (TPropInfo& p : GridSizeProps()) props.push_back(std::move(p));
    props.push_back(IntProp("FixedRows", &TCustomGrid::FixedRows,
                            &TCustomGrid::SetFixedRows));
    props.push_back(
        IntProp("RowCount", &TCustomGrid::RowCount, &TCustomGrid::SetRowCount));
    return MakeInfo("TStringGrid", TCustomGrid::StaticClass(), 0,
                    FactoryOf<TStringGrid>(), std::move(props));
  }();
  return info;
}

TStringGrid::TStringGrid(TComponent* owner) : TCustomGrid(owner) {
  SetBounds(0, 0, 320, 120);
}

const TClassInfo& TValueListEditor::StaticClass() {
  static const TClassInfo info = [] {
    std::vector<TPropInfo> props = GridSizeProps();
    props.push_back(
        StringsProp("Strings", static_cast<TStrings& (TValueListEditor::*)()>(
                                   &TValueListEditor::Strings)));
    props.push_back(StringsProp("TitleCaptions",
                                static_cast<TStrings& (TValueListEditor::*)()>(
                                    &TValueListEditor::TitleCaptions)));
    return MakeInfo("TValueListEditor", TCustomGrid::StaticClass(), 0,
                    FactoryOf<TValueListEditor>(), std::move(props));
  }();
  return info;
}

TValueListEditor::TValueListEditor(TComponent* owner)
    : TCustomGrid(owner),
      FStrings(std::make_unique<TStrings>()),
      FTitleCaptions(std::make_unique<TStrings>()) {
  // A key column and a value column under one title row.
  FColCount = 2;
  FFixedCols = 0;
  FDefaultColWidth = 150;
  FDefaultRowHeight = 18;
  FTitleCaptions->SetLines({u"Key", u"Value"});
  FStrings->OnChange = [this] { StringsChanged(); };
  StringsChanged();
  SetBounds(0, 0, 306, 300);
}

void TValueListEditor::StringsChanged() {
  FRowCount = 1 + std::max(FStrings->Count(), 1);
  if (HandleAllocated()) win::InvalidateRect(FHandle, nullptr, win::TRUE);
}

std::string TValueListEditor::CellText(int col, int row) const {
  if (row == 0) {
    return col < FTitleCaptions->Count() ? FTitleCaptions->Strings(col) : "";
  }
  if (row - 1 >= FStrings->Count()) return {};
  const std::string line = FStrings->Strings(row - 1);
  const auto eq = line.find('=');
  if (col == 0) return line.substr(0, eq);
  return eq == std::string::npos ? std::string() : line.substr(eq + 1);
}

}  // namespace flx
