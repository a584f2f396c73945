// Columns and rows of list views, header controls and grids: like bounds,
// each pass sets them from their base sizes times the factors (widths with
// the horizontal one, heights with the vertical one), rounding half up, so
// that they never drift.
#include "flexarium/column_sizes.h"
#include "unit/unit_private.h"

namespace flx {

namespace {

// An automatic (negative) width stands for no pixel size and stays as it is;
// a hidden (zero) one stays hidden.
std::vector<int> scaledBy(const std::vector<int>& sizes, double factor,
                          bool toBase) {
  std::vector<int> out;
  out.reserve(sizes.size());
  for (int v : sizes) {
    if (v <= 0) {
      out.push_back(v);
    } else if (toBase) {
      out.push_back(factor != 0 ? unit::HalfUpQuotient(v, factor) : v);
    } else {
      out.push_back(unit::HalfUpProduct(v, factor));
    }
  }
  return out;
}

}  // namespace

void TFlexarium::Impl::TakeColumnBases(TControl* Ctl, PCtrlInfo Info, double fx,
                                       double fy) {
  if (!HasColumnSizes(*Ctl)) return;
  Info->ColWidths = scaledBy(ColumnSizes(*Ctl), fx, true);
  Info->RowHeights = scaledBy(RowSizes(*Ctl), fy, true);
  // Bases taken at run time are at the run-time DPI.
  Info->DesignColWidths = Info->ColWidths;
  Info->DesignRowHeights = Info->RowHeights;
  Info->ColDpiW = FRunDpiW;
  Info->ColDpiH = FRunDpiH;
}

void TFlexarium::Impl::DeriveColumnBases(PCtrlInfo Info, int DpiX, int DpiY,
                                         double ScaleX, double ScaleY) {
  auto derive = [](const std::vector<int>& design, int dpi, int from,
                   double scale) {
    std::vector<int> out;
    out.reserve(design.size());
    for (int v : design) {
      if (v <= 0) {
        out.push_back(v);
      } else if (from > 0) {
        out.push_back(unit::ScaleHalfUp(v, dpi, from));
      } else {
        out.push_back(unit::DpiScaled(v, scale));
      }
    }
    return out;
  };
  Info->ColWidths = derive(Info->DesignColWidths, DpiX, Info->ColDpiW, ScaleX);
  Info->RowHeights =
      derive(Info->DesignRowHeights, DpiY, Info->ColDpiH, ScaleY);
}

void TFlexarium::Impl::ColumnStep(TControl* Ctl, PCtrlInfo Info, double sx,
                                  double sy) {
  if (!FResizeColumns) return;
  if (!HasColumnSizes(*Ctl)) return;
  // Columns or rows added or removed since the bases were taken: the sizes
  // the control has now, at the factors it stands at, are the new bases.
  if (ColumnSizes(*Ctl).size() != Info->ColWidths.size() ||
      RowSizes(*Ctl).size() != Info->RowHeights.size()) {
    TakeColumnBases(Ctl, Info, FPrevScaleX, FPrevScaleY);
  }
  SetColumnSizes(*Ctl, scaledBy(Info->ColWidths, sx, false));
  SetRowSizes(*Ctl, scaledBy(Info->RowHeights, sy, false));
}

}  // namespace flx
