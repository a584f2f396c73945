// What a dialog's control window shows, read from the window for the
// reports and pictures: its window class, control ID, text, and the look
// of the form control that matches it (a BS_AUTOCHECKBOX button draws as a
// check box, an SS_ETCHEDHORZ static as a bevel line).
#pragma once

#include <string>

#include "flexarium/win_types.h"
#include "layout.h"

namespace flexarium_cli {

// Fills in `layout` (read from the control's framework object: bounds and
// font) with what the window `wnd` of class `windowClass` shows.
void readDialogControl(flx::win::HWND wnd, const std::u16string& windowClass,
                       ControlLayout& layout);

}  // namespace flexarium_cli
