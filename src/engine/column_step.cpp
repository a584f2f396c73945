// Columns and rows of list views, header controls and grids: like bounds,
// each pass sets them from their base sizes times the factors (widths with
// the horizontal one, heights with the vertical one), rounding half up, so
// that they never drift.
#include "flexarium/column_sizes.h"
#include "unit/unit_private.h"

namespace flx {

namespace {

// One axis of a control's bases: widths with the horizontal factor and DPI,
// heights with the vertical ones.
struct Axis {
  std::vector<int>& bases;
  std::vector<int>& from;
  std::vector<int>& dpis;
  std::vector<int>& last;
};

Axis columnsOf(TCtrlInfo& R) {
  return {R.ColWidths, R.DesignColWidths, R.ColDpis, R.OldColWidths};
}
Axis rowsOf(TCtrlInfo& R) {
  return {R.RowHeights, R.DesignRowHeights, R.RowDpis, R.OldRowHeights};
}

// An automatic (negative) width stands for no pixel size and stays as it is;
// a hidden (zero) one stays hidden.
int toBase(int v, double factor) {
  return v > 0 && factor != 0 ? unit::HalfUpQuotient(v, factor) : v;
}

std::vector<int> scaledBy(const std::vector<int>& sizes, double factor) {
  std::vector<int> out;
  out.reserve(sizes.size());
  for (int v : sizes) out.push_back(v > 0 ? unit::HalfUpProduct(v, factor) : v);
  return out;
}

// Every entry anew from the sizes the control has at `factor`, a base at
// the run-time DPI `dpi`.
void take(const Axis& a, const std::vector<int>& sizes, double factor,
          int dpi) {
  a.bases.clear();
  for (int v : sizes) a.bases.push_back(toBase(v, factor));
  a.from = a.bases;
  a.dpis.assign(sizes.size(), dpi);
  a.last = sizes;
}

// Entries added or removed: an entry that still has the size the last pass
// gave it keeps its base (and what a change of DPI derives it from), so
// that it does not drift by the rounding of that size; any other is a new
// base taken at `factor`, as `take` takes it.
void rebase(const Axis& a, const std::vector<int>& sizes, double factor,
            int dpi) {
  std::vector<int> bases, from, dpis;
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    if (i < a.last.size() && i < a.bases.size() && i < a.from.size() &&
        i < a.dpis.size() && sizes[i] == a.last[i]) {
      bases.push_back(a.bases[i]);
      from.push_back(a.from[i]);
      dpis.push_back(a.dpis[i]);
    } else {
      bases.push_back(toBase(sizes[i], factor));
      from.push_back(bases.back());
      dpis.push_back(dpi);
    }
  }
  a.bases = std::move(bases);
  a.from = std::move(from);
  a.dpis = std::move(dpis);
  a.last = sizes;
}

// The bases at the DPI `dpi`: an entry as designed (0) the way start-up
// scales it, one taken at run time from the DPI it was taken at.
void derive(const Axis& a, int dpi, double scale) {
  a.bases.clear();
  for (std::size_t i = 0; i < a.from.size(); ++i) {
    const int v = a.from[i];
    const int at = i < a.dpis.size() ? a.dpis[i] : 0;
    if (v <= 0) {
      a.bases.push_back(v);
    } else if (at > 0) {
      a.bases.push_back(unit::ScaleHalfUp(v, dpi, at));
    } else {
      a.bases.push_back(unit::DpiScaled(v, scale));
    }
  }
}

}  // namespace

void TFlexarium::Impl::TakeColumnBases(TControl* Ctl, PCtrlInfo Info, double fx,
                                       double fy) {
  if (!HasColumnSizes(*Ctl)) return;
  take(columnsOf(*Info), ColumnSizes(*Ctl), fx, FRunDpiW);
  take(rowsOf(*Info), RowSizes(*Ctl), fy, FRunDpiH);
}

void TFlexarium::Impl::DesignColumnBases(TControl* Ctl, PCtrlInfo Info,
                                         double ScaleX, double ScaleY) {
  if (!HasColumnSizes(*Ctl)) return;
  TakeColumnBases(Ctl, Info, ScaleX, ScaleY);
  Info->DesignColWidths = ColumnSizes(*Ctl);
  Info->DesignRowHeights = RowSizes(*Ctl);
  Info->ColDpis.assign(Info->DesignColWidths.size(), 0);
  Info->RowDpis.assign(Info->DesignRowHeights.size(), 0);
}

void TFlexarium::Impl::DeriveColumnBases(PCtrlInfo Info, int DpiX, int DpiY,
                                         double ScaleX, double ScaleY) {
  derive(columnsOf(*Info), DpiX, ScaleX);
  derive(rowsOf(*Info), DpiY, ScaleY);
}

void TFlexarium::Impl::SyncColumnBases(TControl* Ctl, PCtrlInfo Info) {
  if (!FResizeColumns || !HasColumnSizes(*Ctl)) return;
  // Columns or rows added or removed since the bases were taken: the sizes
  // the control has now stand at the factors of the last pass and at the
  // DPI the form has before any change.
  const std::vector<int> cols = ColumnSizes(*Ctl);
  const std::vector<int> rows = RowSizes(*Ctl);
  if (cols.size() != Info->ColWidths.size() ||
      rows.size() != Info->RowHeights.size()) {
    rebase(columnsOf(*Info), cols, FPrevScaleX, FRunDpiW);
    rebase(rowsOf(*Info), rows, FPrevScaleY, FRunDpiH);
  }
}

void TFlexarium::Impl::SyncAllColumnBases() {
  if (!FResizeColumns) return;
  ForEachRecordedControl(
      std::numeric_limits<int>::max(), [&](TControl* C, TComponent* frame) {
        PCtrlInfo R = frame != nullptr ? FindChildCtrl(frame->Name(), C->Name())
                                       : FindCtrlOf(C);
        if (R != nullptr) SyncColumnBases(C, R);
        return R != nullptr || frame != nullptr;
      });
}

void TFlexarium::Impl::ColumnStep(TControl* Ctl, PCtrlInfo Info, double sx,
                                  double sy) {
  if (!FResizeColumns || !HasColumnSizes(*Ctl)) return;
  SyncColumnBases(Ctl, Info);
  SetColumnSizes(*Ctl, scaledBy(Info->ColWidths, sx));
  SetRowSizes(*Ctl, scaledBy(Info->RowHeights, sy));
  Info->OldColWidths = ColumnSizes(*Ctl);
  Info->OldRowHeights = RowSizes(*Ctl);
}

}  // namespace flx
