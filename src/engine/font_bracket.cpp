// The font bracket around each control of a rescale pass: the control's
// ParentFont choice survives the pass, and its base font is derived anew
// when that choice changed since the base was taken.
#include "unit/unit_private.h"

namespace flx {

void TFlexarium::Impl::ScaleCtrlFont(bool Before, PCtrlInfo Info,
                                     TControl* Control) {
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

void TFlexarium::Impl::DeriveBaseFont(PCtrlInfo Info, TControl* Control) {
  if (FPrevScaleF != 0) {
    Info->Font->SetSize(unit::HalfUpQuotient(
        UnflooredFontSize(Control, Control->Font().Size()), FPrevScaleF));
    Info->OldFontSize = Control->Font().Size();
  }
  Info->OrgParentFont = Info->ParentFont;
  // Taken from what the control shows, no longer from its design.
  Info->FontFromDesign = false;
}

}  // namespace flx
