// The font floor: MinFontSize, the smallest font the component sets, and the
// rule that holds every font size the rescale pass and a change of DPI set.
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
// given by its cell height) compares by magnitude and stays negative; a
// size of 0 (the system's default height) is left to the pass's own rule.
int TFlexarium::Impl::FloorFontSize(int Size, int DesignSize) const {
  if (FMinFontSize <= 0) return Size;
  const std::int64_t magnitude = std::llabs(std::int64_t{Size});
  const std::int64_t floor = std::min<std::int64_t>(
      FMinFontSize, std::llabs(std::int64_t{DesignSize}));
  if (Size == 0 || magnitude >= floor) return Size;
  return static_cast<int>(Size < 0 ? -floor : floor);
}

}  // namespace flx
