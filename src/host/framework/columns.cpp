// Controls with columns and rows that scale with them: list views (Columns),
// header controls (Sections) and string grids (column widths and row
// heights). Collections keep each item as read, so that a form file reads
// and writes back without loss.
#include "flexarium/stdctrls.h"
#include "host/framework/rtti_util.h"

namespace flx {

TPropInfo FontPropInfo();
TPropInfo ParentFontPropInfo();

// ---- TWidthCollection

namespace {

FormProperty* findProp(FormCollectionItem& item, const char* name) {
  for (FormProperty& p : item.props) {
    if (SameText(p.name, name)) return &p;
  }
  return nullptr;
}

const FormProperty* findProp(const FormCollectionItem& item, const char* name) {
  return findProp(const_cast<FormCollectionItem&>(item), name);
}

}  // namespace

FormValue TWidthCollection::EmptyCollection() {
  FormValue v;
  v.kind = FormValue::Kind::Collection;
  return v;
}

int TWidthCollection::Width(int i) const {
  const FormProperty* p = findProp(FValue.items.at(i), "Width");
  // SetValue let only 32-bit integers in.
  return p != nullptr ? static_cast<int>(p->value.integer) : FDefaultWidth;
}

void TWidthCollection::SetWidth(int i, int width) {
  FormCollectionItem& item = FValue.items.at(i);
  if (Width(i) == width) return;
  if (FormProperty* p = findProp(item, "Width")) {
    p->value = FormValue::Int(width);
  } else {
    item.props.push_back(FormProperty{"Width", FormValue::Int(width), {}});
  }
}

void TWidthCollection::Add(const std::string& caption, int width) {
  FormCollectionItem item;
  item.props.push_back(FormProperty{"Caption", FormValue::Utf8(caption), {}});
  item.props.push_back(FormProperty{"Width", FormValue::Int(width), {}});
  FValue.items.push_back(std::move(item));
}

void TWidthCollection::SetValue(const FormValue& value) {
  if (value.kind != FormValue::Kind::Collection) {
    throw EConvertError("a collection <item ... end> is expected");
  }
  for (std::size_t i = 0; i < value.items.size(); ++i) {
    if (const FormProperty* p = findProp(value.items[i], "Width")) {
      try {
        rtti::ToInt(p->value);
      } catch (const EConvertError& e) {
        throw EConvertError("item " + std::to_string(i) +
                            ": Width: " + e.Message());
      }
    }
  }
  FValue = value;
}

std::vector<int> TWidthCollection::Widths() const {
  std::vector<int> out;
  out.reserve(FValue.items.size());
  for (int i = 0; i < Count(); ++i) out.push_back(Width(i));
  return out;
}

namespace {

template <class T>
TPropInfo CollectionProp(const char* name, TWidthCollection& (T::*get)()) {
  TPropInfo p;
  p.Name = name;
  p.Kind = TTypeKind::Collection;
  p.Get = [get](const TPersistent& o) {
    return (const_cast<T&>(static_cast<const T&>(o)).*get)().Value();
  };
  p.Set = [get](TPersistent& o, const FormValue& v) {
    (static_cast<T&>(o).*get)().SetValue(v);
  };
  return p;
}

// Sizes the scaling hands back, one per item, into the collection.
void setWidths(TWidthCollection& c, const std::vector<int>& sizes) {
  for (int i = 0; i < c.Count() && i < static_cast<int>(sizes.size()); ++i) {
    c.SetWidth(i, sizes[i]);
  }
}

template <class T>
TComponentFactory FactoryOf() {
  return [](TComponent* owner) -> TComponent* { return new T(owner); };
}

}  // namespace

// ---- TListView and THeaderControl

const TClassInfo& TListView::StaticClass() {
  static const TClassInfo info = [] {
    TClassInfo c{"TListView",
                 &TWinControl::StaticClass(),
                 {},
                 FactoryOf<TListView>(),
                 false};
    c.Props.push_back(CollectionProp("Columns", &TListView::Columns));
    c.Props.push_back(FontPropInfo());
    c.Props.push_back(ParentFontPropInfo());
    return c;
  }();
  return info;
}

TListView::TListView(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 250, 150);
}

void TListView::SetColumnSizes(const std::vector<int>& sizes) {
  setWidths(FColumns, sizes);
}

const TClassInfo& THeaderControl::StaticClass() {
  static const TClassInfo info = [] {
    TClassInfo c{"THeaderControl",
                 &TWinControl::StaticClass(),
                 {},
                 FactoryOf<THeaderControl>(),
                 false};
    c.Props.push_back(FontPropInfo());
    c.Props.push_back(ParentFontPropInfo());
    c.Props.push_back(CollectionProp("Sections", &THeaderControl::Sections));
    return c;
  }();
  return info;
}

THeaderControl::THeaderControl(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 150, 17);
}

void THeaderControl::SetColumnSizes(const std::vector<int>& sizes) {
  setWidths(FSections, sizes);
}

// ---- TStringGrid

namespace {

// A list of integers ( 64 64 ) as a grid's ColWidths or RowHeights.
template <class T>
TPropInfo IntListProp(const char* name,
                      const std::vector<int>& (T::*get)() const,
                      void (T::*set)(std::vector<int>)) {
  TPropInfo p;
  p.Name = name;
  p.Kind = TTypeKind::List;
  p.Get = [get](const TPersistent& o) {
    FormValue v;
    v.kind = FormValue::Kind::List;
    for (int x : (static_cast<const T&>(o).*get)()) {
      v.list.push_back(FormValue::Int(x));
    }
    return v;
  };
  p.Set = [get, set, name](TPersistent& o, const FormValue& v) {
    if (v.kind != FormValue::Kind::List) {
      throw EConvertError("a list ( ... ) of integers is expected");
    }
    std::vector<int> values;
    values.reserve(v.list.size());
    for (std::size_t i = 0; i < v.list.size(); ++i) {
      try {
        values.push_back(rtti::ToInt(v.list[i]));
      } catch (const EConvertError& e) {
        throw EConvertError("element " + std::to_string(i) + ": " +
                            e.Message());
      }
    }
    (static_cast<T&>(o).*set)(std::move(values));
  };
  return p;
}

// A count or size the grid cannot take.
void refuseNegative(int v, const char* what) {
  if (v < 0) {
    throw EConvertError(std::string(what) + " cannot be negative (" +
                        std::to_string(v) + ")");
  }
}

}  // namespace

const TClassInfo& TStringGrid::StaticClass() {
  static const TClassInfo info = [] {
    using namespace rtti;
    using T = TStringGrid;
    TClassInfo c{"TStringGrid",
                 &TCustomControl::StaticClass(),
                 {},
                 FactoryOf<TStringGrid>(),
                 false};
    c.Props.push_back(IntProp("ColCount", &T::ColCount, &T::SetColCount));
    c.Props.push_back(IntProp("DefaultColWidth", &T::DefaultColWidth,
                              &T::SetDefaultColWidth));
    c.Props.push_back(IntProp("DefaultRowHeight", &T::DefaultRowHeight,
                              &T::SetDefaultRowHeight));
    c.Props.push_back(FontPropInfo());
    c.Props.push_back(ParentFontPropInfo());
    c.Props.push_back(IntProp("RowCount", &T::RowCount, &T::SetRowCount));
    c.Props.push_back(
        IntListProp("ColWidths", &T::ColWidths, &T::SetColWidths));
    c.Props.push_back(
        IntListProp("RowHeights", &T::RowHeights, &T::SetRowHeights));
    return c;
  }();
  return info;
}

TStringGrid::TStringGrid(TComponent* owner) : TCustomControl(owner) {
  SetBounds(0, 0, 320, 120);
}

void TStringGrid::SetColCount(int v) {
  refuseNegative(v, "ColCount");
  FColCount = v;
}

void TStringGrid::SetRowCount(int v) {
  refuseNegative(v, "RowCount");
  FRowCount = v;
}

void TStringGrid::SetDefaultColWidth(int v) { FDefaultColWidth = v; }

void TStringGrid::SetDefaultRowHeight(int v) { FDefaultRowHeight = v; }

void TStringGrid::SetColWidths(std::vector<int> v) {
  FColWidths = std::move(v);
}

void TStringGrid::SetRowHeights(std::vector<int> v) {
  FRowHeights = std::move(v);
}

namespace {

std::vector<int> effective(int count, int fallback,
                           const std::vector<int>& given) {
  std::vector<int> out;
  out.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    out.push_back(i < static_cast<int>(given.size()) ? given[i] : fallback);
  }
  return out;
}

}  // namespace

std::vector<int> TStringGrid::EffectiveColWidths() const {
  return effective(FColCount, FDefaultColWidth, FColWidths);
}

std::vector<int> TStringGrid::EffectiveRowHeights() const {
  return effective(FRowCount, FDefaultRowHeight, FRowHeights);
}

std::vector<int> TStringGrid::ColumnSizes() const {
  std::vector<int> out{FDefaultColWidth};
  out.insert(out.end(), FColWidths.begin(), FColWidths.end());
  return out;
}

void TStringGrid::SetColumnSizes(const std::vector<int>& sizes) {
  if (sizes.empty()) return;
  FDefaultColWidth = sizes.front();
  FColWidths.assign(sizes.begin() + 1, sizes.end());
}

std::vector<int> TStringGrid::RowSizes() const {
  std::vector<int> out{FDefaultRowHeight};
  out.insert(out.end(), FRowHeights.begin(), FRowHeights.end());
  return out;
}

void TStringGrid::SetRowSizes(const std::vector<int>& sizes) {
  if (sizes.empty()) return;
  FDefaultRowHeight = sizes.front();
  FRowHeights.assign(sizes.begin() + 1, sizes.end());
}

}  // namespace flx
