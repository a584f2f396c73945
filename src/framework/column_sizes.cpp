// Column widths and row heights of list views, header controls and grids,
// read from and written into the values the form file gave them.
#include "flexarium/column_sizes.h"

#include "flexarium/adopted.h"
#include "flexarium/comctrls.h"
#include "flexarium/grids.h"
#include "flexarium/winapi.h"

namespace flx {

namespace {

// The system's default width of a list-view column or header section.
constexpr int kDefaultItemWidth = 50;

FormValue* collectionOf(TControl& c) {
  if (auto* list = dynamic_cast<TListView*>(&c)) return &list->ColumnsValue;
  if (auto* header = dynamic_cast<THeaderControl*>(&c)) {
    return &header->SectionsValue;
  }
  return nullptr;
}

FormProperty* widthOf(FormCollectionItem& item) {
  for (FormProperty& p : item.props) {
    if (SameText(p.name, "Width")) return &p;
  }
  return nullptr;
}

int asInt(const FormValue& v, int fallback) {
  if (v.kind != FormValue::Kind::Integer || v.integer < INT32_MIN ||
      v.integer > INT32_MAX) {
    return fallback;
  }
  return static_cast<int>(v.integer);
}

std::vector<int> itemWidths(const FormValue& collection) {
  std::vector<int> out;
  if (collection.kind != FormValue::Kind::Collection) return out;
  for (const FormCollectionItem& item : collection.items) {
    const FormProperty* w = widthOf(const_cast<FormCollectionItem&>(item));
    out.push_back(w != nullptr ? asInt(w->value, kDefaultItemWidth)
                               : kDefaultItemWidth);
  }
  return out;
}

std::vector<int> listSizes(int first, const FormValue& list) {
  std::vector<int> out{first};
  if (list.kind != FormValue::Kind::List) return out;
  for (const FormValue& v : list.list) out.push_back(asInt(v, first));
  return out;
}

// Replaces the integer entries of `list` by sizes[1...].
void setListSizes(FormValue& list, const std::vector<int>& sizes) {
  if (list.kind != FormValue::Kind::List) return;
  for (std::size_t i = 0; i < list.list.size() && i + 1 < sizes.size(); ++i) {
    FormValue& v = list.list[i];
    if (v.kind == FormValue::Kind::Integer && v.integer != sizes[i + 1]) {
      v = FormValue::Int(sizes[i + 1]);
    }
  }
}

}  // namespace

bool HasColumnSizes(const TControl& c) {
  if (const auto* adopted = dynamic_cast<const TAdoptedControl*>(&c)) {
    return adopted->HasColumns();
  }
  return dynamic_cast<const TListView*>(&c) != nullptr ||
         dynamic_cast<const THeaderControl*>(&c) != nullptr ||
         dynamic_cast<const TCustomGrid*>(&c) != nullptr;
}

std::vector<int> ColumnSizes(const TControl& c) {
  // An adopted window's columns are what the window has.
  if (const auto* adopted = dynamic_cast<const TAdoptedControl*>(&c)) {
    return adopted->ColumnWidths();
  }
  auto& control = const_cast<TControl&>(c);
  if (const FormValue* items = collectionOf(control)) return itemWidths(*items);
  if (const auto* grid = dynamic_cast<const TCustomGrid*>(&c)) {
    return listSizes(grid->DefaultColWidth(), grid->ColWidthsValue);
  }
  return {};
}

std::vector<int> RowSizes(const TControl& c) {
  if (const auto* grid = dynamic_cast<const TCustomGrid*>(&c)) {
    return listSizes(grid->DefaultRowHeight(), grid->RowHeightsValue);
  }
  return {};
}

void SetColumnSizes(TControl& c, const std::vector<int>& sizes) {
  using namespace win;
  if (auto* adopted = dynamic_cast<TAdoptedControl*>(&c)) {
    adopted->SetColumnWidths(sizes);
    return;
  }
  if (FormValue* items = collectionOf(c)) {
    if (items->kind != FormValue::Kind::Collection) return;
    auto* window = dynamic_cast<TWinControl*>(&c);
    const bool header = dynamic_cast<THeaderControl*>(&c) != nullptr;
    for (std::size_t i = 0; i < items->items.size() && i < sizes.size(); ++i) {
      FormProperty* w = widthOf(items->items[i]);
      const int was =
          w != nullptr ? asInt(w->value, kDefaultItemWidth) : kDefaultItemWidth;
      if (was == sizes[i] ||
          (w != nullptr && w->value.kind != FormValue::Kind::Integer)) {
        continue;
      }
      if (w != nullptr) {
        w->value = FormValue::Int(sizes[i]);
      } else {
        items->items[i].props.push_back(
            FormProperty{"Width", FormValue::Int(sizes[i]), {}});
      }
      if (window == nullptr || !window->HandleAllocated()) continue;
      if (header) {
        HDITEMW item{};
        item.mask = HDI_WIDTH;
        item.cxy = sizes[i];
        SendMessageW(window->Handle(), HDM_SETITEMW, i,
                     reinterpret_cast<LPARAM>(&item));
      } else {
        SendMessageW(window->Handle(), LVM_SETCOLUMNWIDTH, i,
                     static_cast<LPARAM>(sizes[i]));
      }
    }
    return;
  }
  if (auto* grid = dynamic_cast<TCustomGrid*>(&c); grid && !sizes.empty()) {
    grid->SetDefaultColWidth(sizes.front());
    setListSizes(grid->ColWidthsValue, sizes);
    if (grid->HandleAllocated()) InvalidateRect(grid->Handle(), nullptr, TRUE);
  }
}

void SetRowSizes(TControl& c, const std::vector<int>& sizes) {
  if (auto* grid = dynamic_cast<TCustomGrid*>(&c); grid && !sizes.empty()) {
    grid->SetDefaultRowHeight(sizes.front());
    setListSizes(grid->RowHeightsValue, sizes);
    if (grid->HandleAllocated()) {
      win::InvalidateRect(grid->Handle(), nullptr, win::TRUE);
    }
  }
}

}  // namespace flx
