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
void take(TAxisBases& a, const std::vector<int>& sizes, double factor,
          int dpi) {
  a.Bases.clear();
  for (int v : sizes) a.Bases.push_back(toBase(v, factor));
  a.Design = a.Bases;
  a.Dpis.assign(sizes.size(), dpi);
  a.Old = sizes;
}

// Entries added or removed: an entry that still has the size the last pass
// gave it keeps its base (and what a change of DPI derives it from), so
// that it does not drift by the rounding of that size; any other is a new
// base taken at `factor`, as `take` takes it.
void rebase(TAxisBases& a, const std::vector<int>& sizes, double factor,
            int dpi) {
  std::vector<int> bases, design, dpis;
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    if (i < a.Old.size() && i < a.Bases.size() && i < a.Design.size() &&
        i < a.Dpis.size() && sizes[i] == a.Old[i]) {
      bases.push_back(a.Bases[i]);
      design.push_back(a.Design[i]);
      dpis.push_back(a.Dpis[i]);
    } else {
      bases.push_back(toBase(sizes[i], factor));
      design.push_back(bases.back());
      dpis.push_back(dpi);
    }
  }
  a.Bases = std::move(bases);
  a.Design = std::move(design);
  a.Dpis = std::move(dpis);
  a.Old = sizes;
}

// The bases at the DPI `dpi`: an entry as designed (0) the way start-up
// scales it, one taken at run time from the DPI it was taken at.
void derive(TAxisBases& a, int dpi, double scale) {
  a.Bases.clear();
  for (std::size_t i = 0; i < a.Design.size(); ++i) {
    const int v = a.Design[i];
    const int at = i < a.Dpis.size() ? a.Dpis[i] : 0;
    if (v <= 0) {
      a.Bases.push_back(v);
    } else if (at > 0) {
      a.Bases.push_back(unit::ScaleHalfUp(v, dpi, at));
    } else {
      a.Bases.push_back(unit::DpiScaled(v, scale));
    }
  }
}

}  // namespace

void TFlexarium::Impl::TakeColumnBases(TControl* Ctl, PCtrlInfo Info, double fx,
                                       double fy) {
  if (!HasColumnSizes(*Ctl)) return;
  take(Info->Cols, ColumnSizes(*Ctl), fx, FRunDpiW);
  take(Info->Rows, RowSizes(*Ctl), fy, FRunDpiH);
}

void TFlexarium::Impl::DesignColumnBases(TControl* Ctl, PCtrlInfo Info,
                                         double ScaleX, double ScaleY) {
  if (!HasColumnSizes(*Ctl)) return;
  TakeColumnBases(Ctl, Info, ScaleX, ScaleY);
  Info->Cols.Design = ColumnSizes(*Ctl);
  Info->Rows.Design = RowSizes(*Ctl);
  Info->Cols.Dpis.assign(Info->Cols.Design.size(), 0);
  Info->Rows.Dpis.assign(Info->Rows.Design.size(), 0);
}

void TFlexarium::Impl::DeriveColumnBases(PCtrlInfo Info, int DpiX, int DpiY,
                                         double ScaleX, double ScaleY) {
  derive(Info->Cols, DpiX, ScaleX);
  derive(Info->Rows, DpiY, ScaleY);
}

void TFlexarium::Impl::SyncColumnBases(TControl* Ctl, PCtrlInfo Info) {
  if (!FResizeColumns || !HasColumnSizes(*Ctl)) return;
  // Columns or rows added or removed since the bases were taken: the sizes
  // the control has now stand at the factors of the last pass and at the
  // DPI the form has before any change.
  const std::vector<int> cols = ColumnSizes(*Ctl);
  const std::vector<int> rows = RowSizes(*Ctl);
  if (cols.size() != Info->Cols.Bases.size() ||
      rows.size() != Info->Rows.Bases.size()) {
    rebase(Info->Cols, cols, FPrevScaleX, FRunDpiW);
    rebase(Info->Rows, rows, FPrevScaleY, FRunDpiH);
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
  SetColumnSizes(*Ctl, scaledBy(Info->Cols.Bases, sx));
  SetRowSizes(*Ctl, scaledBy(Info->Rows.Bases, sy));
  Info->Cols.Old = ColumnSizes(*Ctl);
  Info->Rows.Old = RowSizes(*Ctl);
}

}  // namespace flx
