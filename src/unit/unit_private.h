// What the unit's subsystems (component/, engine/, placement/) share: the
// look-up index, the rounding rules, the walk over the recorded controls and
// the generated names of unnamed controls.
#pragma once

#include <cstdio>
#include <limits>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "flexarium/flexarium.h"
#include "flexarium/forms.h"
#include "unit/rounding.h"

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

// What a change of DPI starts from, kept from start-up on.
struct TFlexarium::DpiState {
  int StartDpiW = 0;  // FRunDpiW and FRunDpiH at start-up
  int StartDpiH = 0;
  // The form file stored no design DPI, so it follows the run-time DPI.
  bool DesignDpiFromRun = false;
  // Start-up's border-style rule kept the designed bounds (divisor 1.0).
  bool KeepDesignedBounds = false;
  int DesignFontHeight = 0;  // the form's font as designed, in pixels
  // The client size last given (by the user or the application) and the
  // DPI it was given at: a change of DPI scales it from here, so that no
  // rounding builds up however often the form crosses monitors.
  int ClientWidth = 0;
  int ClientHeight = 0;
  int ClientDpiW = 0;
  int ClientDpiH = 0;
  bool Changing = false;  // inside WM_DPICHANGED
  int Passes = 0;         // rescale passes run so far
};

}  // namespace flx

namespace flx::placement_detail {

// The monitor that shows the window, in screen coordinates (measure.cpp).
// Rules that keep a form on the screen work relative to its origin.
win::RECT MonitorRect(win::HWND Wnd);

}  // namespace flx::placement_detail

namespace flx::unit {

// Start-up's DPI ratio, design DPI over run-time DPI (1.0 without a
// run-time DPI), and its scaling rule: half-up of the value over the ratio.
inline double DpiRatio(int designDpi, int runDpi) {
  return runDpi > 0 ? RatioNearest(designDpi, runDpi) : 1.0;
}
inline int DpiScaled(int v, double ratio) { return HalfUpQuotient(v, ratio); }

// Half-up of v * num / den, computed exactly in integers (den > 0): the
// quotient (2 v num + den) / (2 den) truncates toward zero as half-up does.
inline int ScaleHalfUp(int v, int num, int den) {
  return Saturate((2LL * v * num + den) / (2LL * den));
}

// The window property that keeps the form's own procedure, the one found
// before FormWndProc was first installed on it.
inline constexpr char16_t kPrevProcProp[] = u"FlexariumFormProc";

// The component whose FOwnerHandle is `wnd` (first in InstanceList).
TFlexarium* FindInstance(win::HWND wnd);

// Only a frame's own components get records of their own (under the
// frame's name); what other components own is left alone.
inline bool isFrame(const TComponent* c) {
  return dynamic_cast<const TCustomFrame*>(c) != nullptr;
}

// Sum of the components owned by the owner's first `count` components: with
// the owner's own count, what tells the lists that controls came or went.
inline int OwnedSum(const TComponent& owner, int count) {
  int sum = 0;
  for (int i = 0; i < count && i < owner.ComponentCount(); ++i) {
    sum += owner.Components(i)->ComponentCount();
  }
  return sum;
}

// Names an unnamed control "FlxmAdd" and the four-digit number `serial`:
// records are found by name, so every control needs one. A name that
// another component of the control's owner already bears (in any letter
// case) is skipped, and `serial` moves on with it, so that a form that
// loads without the component loads with it.
inline void GiveGeneratedName(TControl& control, int& serial) {
  const TComponent* owner = control.Owner();
  char name[32];
  for (;;) {
    std::snprintf(name, sizeof name, "FlxmAdd%.4d", serial);
    const TComponent* other =
        owner != nullptr ? owner->FindComponent(name) : nullptr;
    if (other == nullptr || other == &control) break;
    if (serial == std::numeric_limits<int>::max()) break;  // the error says
    ++serial;
  }
  control.SetName(name);
}

// Clears a caption or text the framework copied from a generated name.
inline void ClearGeneratedCaption(TControl& control) {
  for (const char* prop : {"Caption", "Text"}) {
    if (GetPropInfo(control, prop) != nullptr &&
        control.GetText().compare(0, 7, "FlxmAdd") == 0) {
      control.SetText("");
    }
  }
}

}  // namespace flx::unit

namespace flx {

// The walk over the controls the snapshot lists are about, in list order:
// each control among the owner's first `Count` components that is not
// excluded and, right after a frame among them, each control the frame owns
// that is not excluded. `visit(control, frame)` gets nullptr as the frame of
// the form's own controls and then returns whether to go on into that
// control's frame children (its return is ignored for those). Counts are
// read again at every step: a handler may free components. WithExcluded
// visits the excluded controls too, for work on the records that must not
// wait until a control is no longer excluded.
template <class Visit>
void TFlexarium::ForEachRecordedControl(int Count, Visit&& visit,
                                        bool WithExcluded) const {
  TComponent* owner = Owner();
  if (owner == nullptr) return;
  auto skipped = [&](const TComponent* c) {
    return !WithExcluded && Excluded(c->Name());
  };
  for (int i = 0; i < Count && i < owner->ComponentCount(); ++i) {
    TComponent* C = owner->Components(i);
    auto* control = dynamic_cast<TControl*>(C);
    if (control == nullptr || skipped(C)) continue;
    if (!visit(control, static_cast<TComponent*>(nullptr))) continue;
    if (C->ComponentCount() == 0 || !unit::isFrame(C)) continue;
    for (int j = 0; j < C->ComponentCount(); ++j) {
      auto* child = dynamic_cast<TControl*>(C->Components(j));
      if (child != nullptr && !skipped(child)) visit(child, C);
    }
  }
}

}  // namespace flx
