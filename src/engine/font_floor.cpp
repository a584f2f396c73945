// The font floor: MinFontSize, the smallest font the component sets, the
// rule that holds every font size the rescale pass and a change of DPI set,
// and the size without the floor that a base font is derived from.
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "unit/unit_private.h"

namespace flx {

void TFlexarium::Impl::SetMinFontSize(int Value) {
  unit::RequireNotNegative(Value);
  FMinFontSize = Value;
}

// Sizes are points, which the framework turns into pixels with the font's
// own PixelsPerInch: the floor holds at any DPI. A negative size (a font
// given by its cell height) compares by magnitude and keeps the sign of its
// base. A base of 0 (the system's default height) is left to the pass's
// own rule; a size scaled down to 0 from any other base is the smallest
// size of all and is held like any other.
int TFlexarium::Impl::FloorFontSize(int Size, int DesignSize) const {
  if (FMinFontSize <= 0 || DesignSize == 0) return Size;
  const std::int64_t magnitude = std::llabs(std::int64_t{Size});
  const std::int64_t floor = std::min<std::int64_t>(
      FMinFontSize, std::llabs(std::int64_t{DesignSize}));
  if (magnitude >= floor) return Size;
  return static_cast<int>(DesignSize < 0 ? -floor : floor);
}

// The font a control follows stood at the previous factors, where the
// floor may have lifted it; the size it would have had without the floor
// is what a base is derived from, or every base taken while the form is
// small would be inflated by the floor and keep growing. `Shown` is what
// the control shows; anything but the floored size of the font it follows
// (a size the application gave it) is taken as it is.
int TFlexarium::Impl::UnflooredFontSize(TControl* Control, int Shown) {
  if (FMinFontSize <= 0 || !FResizeFont || FPrevScaleF == 0) return Shown;
  const TComponent* form = Owner();
  int base = 0;
  bool formFont = false;
  for (TWinControl* p = Control->Parent();; p = p->Parent()) {
    if (p == nullptr) return Shown;
    if (p == form) {
      if (!FOwnerFont || FontExcluded(form->Name())) return Shown;
      base = FOwnerFont->Size();
      formFont = true;
      break;
    }
    PCtrlInfo Info = RecordOf(p);
    if (Info != nullptr && Info->Font && !Info->OrgParentFont) {
      if (Excluded(p->Name()) || FontExcluded(p->Name())) return Shown;
      base = Info->Font->Size();
      break;
    }
    if (!p->ParentFont()) return Shown;
  }
  // The form's font rounds half up, a control's truncates (rescale_pass).
  const int computed = formFont ? unit::HalfUpProduct(base, FPrevScaleF)
                                : unit::TruncProduct(base, FPrevScaleF);
  const int floored = FloorFontSize(computed, base);
  if (computed == floored || computed == 0) return Shown;
  const int ppi = Control->Font().PixelsPerInch();
  auto readBack = [ppi](int points) {
    return TFont::SizeOfHeight(TFont::HeightOfSize(points, ppi), ppi);
  };
  return Shown == readBack(floored) ? readBack(computed) : Shown;
}

}  // namespace flx
