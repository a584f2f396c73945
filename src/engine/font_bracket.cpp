// The font bracket around each control of a rescale pass: the control's
// ParentFont choice survives the pass, and its base font is derived anew
// when that choice changed since the base was taken.
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "unit/unit_private.h"

namespace flx {

// Sizes are points, which the framework turns into pixels with the font's
// own PixelsPerInch: the floor holds at any DPI. A negative size (a font
// given by its cell height) compares by magnitude and stays negative; a
// size of 0 (the system's default height) is left to the pass's own rule.
int TFlexarium::FloorFontSize(int Size, int DesignSize) const {
  if (FMinFontSize <= 0) return Size;
  const std::int64_t magnitude = std::llabs(std::int64_t{Size});
  const std::int64_t floor = std::min<std::int64_t>(
      FMinFontSize, std::llabs(std::int64_t{DesignSize}));
  if (Size == 0 || magnitude >= floor) return Size;
  return static_cast<int>(Size < 0 ? -floor : floor);
}

void TFlexarium::ScaleCtrlFont(bool Before, PCtrlInfo Info, TControl* Control) {
  if (!Info->Font) return;
  if (!Before) {
    Control->SetParentFont(Info->ParentFont);
    return;
  }
  Info->ParentFont = Control->ParentFont();
  // The pass sets the control's own font size, which needs this off.
  Control->SetParentFont(false);
  if (Info->ParentFont == Info->OrgParentFont) return;
  DeriveBaseFont(Info, Control);
}

void TFlexarium::DeriveBaseFont(PCtrlInfo Info, TControl* Control) {
  if (FPrevScaleF != 0) {
    Info->Font->SetSize(
        unit::HalfUpQuotient(Control->Font().Size(), FPrevScaleF));
    Info->OldFontSize = Control->Font().Size();
  }
  Info->OrgParentFont = Info->ParentFont;
  // Taken from what the control shows, no longer from its design.
  Info->FontFromDesign = false;
}

}  // namespace flx
