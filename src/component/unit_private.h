// Helpers shared by the component's subsystems.
#pragma once

#include <cmath>
#include <limits>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "flexarium/flexarium.h"

namespace flx {

// Look-ups by name over the snapshot and exclusion lists. The lists stay
// the truth; the maps are rebuilt whenever a list changes, keeping the
// first record per key as a scan of the list would find it.
struct TFlexarium::Index {
  std::unordered_map<std::string, PCtrlInfo> ctrls;
  std::unordered_map<std::string, PCtrlInfo> childCtrls;  // parent\0name
  bool dirty = true;
  // The record last found for a control, checked by name on every use.
  std::unordered_map<const TComponent*, PCtrlInfo> byControl;
  // Exclusion names, upper-cased: their look-up ignores case.
  std::unordered_set<std::string> noResize;
  std::unordered_set<std::string> noResizeFont;
};

}  // namespace flx

namespace flx::unit {

// Truncation toward zero of an extended-precision value, held inside the
// Integer range (a wild factor must not overflow into undefined behaviour).
inline int TruncInt(long double v) {
  if (std::isnan(v)) return 0;
  constexpr long double lo = std::numeric_limits<int>::min();
  constexpr long double hi = std::numeric_limits<int>::max();
  if (v <= lo) return std::numeric_limits<int>::min();
  if (v >= hi) return std::numeric_limits<int>::max();
  return static_cast<int>(v);
}

// Half-up: add 0.5, then truncate toward zero (so -2.7 gives -2).
inline int HalfUp(long double v) { return TruncInt(v + 0.5L); }

// The window property that keeps the form's own procedure, the one found
// before FormWndProc was first installed on it.
inline constexpr char16_t kPrevProcProp[] = u"FlexariumFormProc";

// The component whose FOwnerHandle is `wnd` (first in InstanceList).
TFlexarium* FindInstance(win::HWND wnd);

}  // namespace flx::unit
