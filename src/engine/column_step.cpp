// Columns and rows of list views, header controls and grids: like bounds,
// each pass sets them from their base sizes times the factors (widths with
// the horizontal one, heights with the vertical one), rounding half up, so
// that they never drift.
#include "flexarium/stdctrls.h"
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

void TFlexarium::TakeColumnBases(TControl* Ctl, PCtrlInfo Info, double fx,
                                 double fy) {
  const auto* sizes = dynamic_cast<const TColumnSizes*>(Ctl);
  if (sizes == nullptr) return;
  Info->ColWidths = scaledBy(sizes->ColumnSizes(), fx, true);
  Info->RowHeights = scaledBy(sizes->RowSizes(), fy, true);
}

void TFlexarium::ColumnStep(TControl* Ctl, PCtrlInfo Info, double sx,
                            double sy) {
  if (!FResizeColumns) return;
  auto* sizes = dynamic_cast<TColumnSizes*>(Ctl);
  if (sizes == nullptr) return;
  // Columns or rows added or removed since the bases were taken: the sizes
  // the control has now, at the factors it stands at, are the new bases.
  if (sizes->ColumnSizes().size() != Info->ColWidths.size() ||
      sizes->RowSizes().size() != Info->RowHeights.size()) {
    TakeColumnBases(Ctl, Info, FPrevScaleX, FPrevScaleY);
  }
  sizes->SetColumnSizes(scaledBy(Info->ColWidths, sx, false));
  sizes->SetRowSizes(scaledBy(Info->RowHeights, sy, false));
}

}  // namespace flx
