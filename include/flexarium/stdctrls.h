// The framework's standard control and component classes. Which of them
// publish Font, Caption and Text follows the real framework: TImage, TShape
// and TBevel publish no font; edits and combo boxes publish Text; buttons,
// labels, panels, group boxes, tab sheets and check boxes publish Caption.
#pragma once

#include <string>
#include <vector>

#include "flexarium/forms.h"

namespace flx {

#define FLX_STD_CLASS(Name, Base)     \
  class Name : public Base {          \
    FLX_CLASS(Name)                   \
   public:                            \
    explicit Name(TComponent* owner); \
  };

// A control without a window that draws itself on its parent.
#define FLX_PAINTED_CLASS(Name)         \
  class Name : public TGraphicControl { \
    FLX_CLASS(Name)                     \
   public:                              \
    explicit Name(TComponent* owner);   \
    void Paint(win::HDC dc) override;   \
  };

// Windowed controls on system window classes.
FLX_STD_CLASS(TButton, TWinControl)
FLX_STD_CLASS(TBitBtn, TButton)
FLX_STD_CLASS(TCheckBox, TWinControl)
FLX_STD_CLASS(TRadioButton, TWinControl)
FLX_STD_CLASS(TEdit, TWinControl)
FLX_STD_CLASS(TMaskEdit, TEdit)
FLX_STD_CLASS(TLabeledEdit, TEdit)
FLX_STD_CLASS(TButtonedEdit, TEdit)
FLX_STD_CLASS(TMemo, TWinControl)
FLX_STD_CLASS(TRichEdit, TMemo)
FLX_STD_CLASS(TComboBox, TWinControl)
FLX_STD_CLASS(TListBox, TWinControl)
FLX_STD_CLASS(TCheckListBox, TListBox)

// Windowed controls on the framework's container class.
FLX_STD_CLASS(TPanel, TCustomControl)
FLX_STD_CLASS(TGroupBox, TCustomControl)
FLX_STD_CLASS(TRadioGroup, TGroupBox)
FLX_STD_CLASS(TScrollBox, TScrollingWinControl)
FLX_STD_CLASS(TTabSheet, TWinControl)
FLX_STD_CLASS(TStatusBar, TWinControl)
FLX_STD_CLASS(TToolBar, TWinControl)
FLX_STD_CLASS(TTreeView, TWinControl)
FLX_STD_CLASS(TUpDown, TWinControl)
FLX_STD_CLASS(TTrackBar, TWinControl)
FLX_STD_CLASS(TProgressBar, TWinControl)

// Controls without a window.
FLX_PAINTED_CLASS(TLabel)
FLX_PAINTED_CLASS(TSpeedButton)
FLX_STD_CLASS(TPaintBox, TGraphicControl)
FLX_STD_CLASS(TImage, TGraphicControl)
FLX_PAINTED_CLASS(TShape)
FLX_PAINTED_CLASS(TBevel)
FLX_STD_CLASS(TSplitter, TGraphicControl)

// Non-visual components.
FLX_STD_CLASS(TTimer, TComponent)
FLX_STD_CLASS(TActionList, TComponent)
FLX_STD_CLASS(TImageList, TComponent)
FLX_STD_CLASS(TMainMenu, TComponent)
FLX_STD_CLASS(TPopupMenu, TComponent)
FLX_STD_CLASS(TMenuItem, TComponent)
FLX_STD_CLASS(TOpenDialog, TComponent)
FLX_STD_CLASS(TSaveDialog, TComponent)

// ---- Columns and rows

// Sizes a control keeps apart from its bounds that scale with it: column
// widths (with the horizontal factor) and row heights (with the vertical
// one), each in a fixed order. A negative width is an automatic one (the
// list view's "fit the text" and "fit the header" widths) and means no
// pixel size.
class TColumnSizes {
 public:
  virtual ~TColumnSizes() = default;
  virtual std::vector<int> ColumnSizes() const = 0;
  virtual void SetColumnSizes(const std::vector<int>& sizes) = 0;
  virtual std::vector<int> RowSizes() const { return {}; }
  virtual void SetRowSizes(const std::vector<int>& /*sizes*/) {}
};

// A collection of items with a Width (list-view columns, header sections).
// Each item is kept as read, so that a form file reads and writes back
// without loss; only the widths are the model's.
class TWidthCollection {
 public:
  explicit TWidthCollection(int defaultWidth) : FDefaultWidth(defaultWidth) {}
  int Count() const { return static_cast<int>(FValue.items.size()); }
  // An item without a Width has the collection's default.
  int Width(int i) const;
  void SetWidth(int i, int width);
  void Add(const std::string& caption, int width);
  const FormValue& Value() const { return FValue; }
  // Throws EConvertError for a value that is not a collection or an item
  // whose Width is not an integer.
  void SetValue(const FormValue& value);
  std::vector<int> Widths() const;

 private:
  int FDefaultWidth;
  FormValue FValue = EmptyCollection();
  static FormValue EmptyCollection();
};

// A list view: its report-style columns.
class TListView : public TWinControl, public TColumnSizes {
  FLX_CLASS(TListView)
 public:
  explicit TListView(TComponent* owner);
  TWidthCollection& Columns() { return FColumns; }
  const TWidthCollection& Columns() const { return FColumns; }
  std::vector<int> ColumnSizes() const override { return FColumns.Widths(); }
  void SetColumnSizes(const std::vector<int>& sizes) override;

 private:
  TWidthCollection FColumns{50};
};

// A header control: its sections.
class THeaderControl : public TWinControl, public TColumnSizes {
  FLX_CLASS(THeaderControl)
 public:
  explicit THeaderControl(TComponent* owner);
  TWidthCollection& Sections() { return FSections; }
  const TWidthCollection& Sections() const { return FSections; }
  std::vector<int> ColumnSizes() const override { return FSections.Widths(); }
  void SetColumnSizes(const std::vector<int>& sizes) override;

 private:
  TWidthCollection FSections{50};
};

// A string grid: ColCount x RowCount cells, each column DefaultColWidth
// wide unless ColWidths says otherwise, each row DefaultRowHeight high
// unless RowHeights does. ColWidths and RowHeights hold what the form file
// gave, which need not be one per column or row.
class TStringGrid : public TCustomControl, public TColumnSizes {
  FLX_CLASS(TStringGrid)
 public:
  explicit TStringGrid(TComponent* owner);
  int ColCount() const { return FColCount; }
  void SetColCount(int v);
  int RowCount() const { return FRowCount; }
  void SetRowCount(int v);
  int DefaultColWidth() const { return FDefaultColWidth; }
  void SetDefaultColWidth(int v);
  int DefaultRowHeight() const { return FDefaultRowHeight; }
  void SetDefaultRowHeight(int v);
  const std::vector<int>& ColWidths() const { return FColWidths; }
  void SetColWidths(std::vector<int> v);
  const std::vector<int>& RowHeights() const { return FRowHeights; }
  void SetRowHeights(std::vector<int> v);
  // The width of every column and the height of every row, in order.
  std::vector<int> EffectiveColWidths() const;
  std::vector<int> EffectiveRowHeights() const;
  // The default first, then the list.
  std::vector<int> ColumnSizes() const override;
  void SetColumnSizes(const std::vector<int>& sizes) override;
  std::vector<int> RowSizes() const override;
  void SetRowSizes(const std::vector<int>& sizes) override;

 private:
  int FColCount = 5;
  int FRowCount = 5;
  int FDefaultColWidth = 64;
  int FDefaultRowHeight = 24;
  std::vector<int> FColWidths;
  std::vector<int> FRowHeights;
};

// The page control lays its tab sheets over its display area.
class TPageControl : public TWinControl {
  FLX_CLASS(TPageControl)
 public:
  explicit TPageControl(TComponent* owner);
  TRect DisplayRect() const override;
};

// Classes the library does not know, kept as read: a control with a window
// (for unknown classes with child objects or windowed looks), a control
// without one, and a non-visual component.
FLX_STD_CLASS(TGenericWinControl, TCustomControl)
FLX_STD_CLASS(TGenericControl, TGraphicControl)
FLX_STD_CLASS(TGenericComponent, TComponent)

#undef FLX_STD_CLASS
#undef FLX_PAINTED_CLASS

// Registers the classes above (idempotent; called before reading forms).
void RegisterStandardClasses();

}  // namespace flx
