// Grids of the framework: string grids and value list editors, painted by
// the framework as cells with grid lines (fixed rows and columns raised).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "flexarium/controls.h"

namespace flx {

// Columns and rows of default or stored (ColWidths, RowHeights) sizes, the
// first FixedCols and FixedRows drawn as headings.
class TCustomGrid : public TBorderedControl {
  FLX_CLASS(TCustomGrid)
 public:
  explicit TCustomGrid(TComponent* owner);
  int ColCount() const { return FColCount; }
  void SetColCount(int v) { FColCount = v; }
  int RowCount() const { return FRowCount; }
  void SetRowCount(int v) { FRowCount = v; }
  int FixedCols() const { return FFixedCols; }
  void SetFixedCols(int v) { FFixedCols = v; }
  int FixedRows() const { return FFixedRows; }
  void SetFixedRows(int v) { FFixedRows = v; }
  int DefaultColWidth() const { return FDefaultColWidth; }
  void SetDefaultColWidth(int v) { FDefaultColWidth = v; }
  int DefaultRowHeight() const { return FDefaultRowHeight; }
  void SetDefaultRowHeight(int v) { FDefaultRowHeight = v; }
  // Widths of the columns: stored ones where the form file has them, the
  // default for the rest.
  int ColWidth(int col) const;
  int RowHeight(int row) const;
  // The text of a cell ("" unless the grid has texts of its own).
  virtual std::string CellText(int col, int row) const;
  // ColWidths and RowHeights as the form file has them, ( 64 64 ).
  FormValue ColWidthsValue;
  FormValue RowHeightsValue;

 protected:
  bool PaintsItself() const override { return true; }
  void PaintWindow(win::HDC dc) override;

  int FColCount = 5;
  int FRowCount = 5;
  int FFixedCols = 1;
  int FFixedRows = 1;
  int FDefaultColWidth = 64;
  int FDefaultRowHeight = 24;
};

class TStringGrid : public TCustomGrid {
  FLX_CLASS(TStringGrid)
 public:
  explicit TStringGrid(TComponent* owner);
};

// Key and value pairs (Strings, "key=value" lines) under the two column
// titles (TitleCaptions).
class TValueListEditor : public TCustomGrid {
  FLX_CLASS(TValueListEditor)
 public:
  explicit TValueListEditor(TComponent* owner);
  TStrings& Strings() { return *FStrings; }
  const TStrings& Strings() const { return *FStrings; }
  TStrings& TitleCaptions() { return *FTitleCaptions; }
  const TStrings& TitleCaptions() const { return *FTitleCaptions; }
  std::string CellText(int col, int row) const override;

 private:
  void StringsChanged();
  std::unique_ptr<TStrings> FStrings;
  std::unique_ptr<TStrings> FTitleCaptions;
};

}  // namespace flx
