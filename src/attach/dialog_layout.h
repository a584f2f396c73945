// The layout of an attached dialog at any DPI, from the template it was
// made from: what the dialog manager would make there.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "flexarium/adopted.h"

namespace flx::attach_detail {

// The layout of `form` (adopted around `dialog`, its children adopted) at
// any DPI, from the template `dialog` was made from. Null when the
// template does not describe the window as it stands: not one window
// matches its items, or this system's dialog manager does not map dialog
// units to pixels as worked out here. Throws EResourceError for a
// template that does not read.
std::unique_ptr<TDpiLayout> MakeDialogLayout(
    std::span<const std::uint8_t> dialogTemplate, win::HWND dialog,
    const TAdoptedForm& form);

}  // namespace flx::attach_detail
