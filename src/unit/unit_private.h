// What the unit's subsystems (component/, engine/, placement/) share: the
// engine object behind TFlexarium with the component's state, the snapshot
// record, the unit-global state, the window procedure and the hook, the
// measuring and placing routines, the look-up index, the rounding rules, the
// walk over the recorded controls and the generated names of unnamed
// controls. Only the unit and the tests include it; editing it recompiles
// no user code.
#pragma once

#include <cstdint>
#include <cstdio>
#include <limits>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "flexarium/flexarium.h"
#include "flexarium/forms.h"
#include "unit/rounding.h"

namespace flx {

// ---- The snapshot record

// A font as the form file gave it: a height in pixels, or a size in points
// (Font.Size, or the default font of a form or control that names none),
// which is another height at another DPI.
struct TDesignFont {
  int Height = 0;
  int Size = 0;
  bool InPoints = false;
};

// The column widths or the row heights of a control, kept as its bounds
// are kept.
struct TAxisBases {
  // At scale 1.0; a negative width is an automatic one, kept as is.
  std::vector<int> Bases;
  // What a change of the form's DPI derives the bases from, entry by entry
  // as for the bounds: the size as designed (its Dpis entry 0), or a base
  // taken at run time at the DPI its entry holds.
  std::vector<int> Design;
  std::vector<int> Dpis;
  // The sizes the last pass gave (or those found when the bases were
  // taken): an entry that still has it keeps its base when entries are
  // added or removed.
  std::vector<int> Old;
};

// One control's snapshot: its base geometry at scale 1.0, what it was last
// given, and a private copy of its font whose size is the base font size.
struct TCtrlInfo {
  std::string Name;
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
  int OldLeft = 0;
  int OldTop = 0;
  int OldWidth = 0;
  int OldHeight = 0;
  int OldFontSize = 0;
  std::unique_ptr<TFont> Font;  // nil for a control that publishes no font
  bool ParentFont = false;
  bool OrgParentFont = false;
  std::string ParentName;  // owning frame's name, for frame children
  int ChildCtlCnt = 0;
  // Column widths (with the horizontal factor and DPI) and row heights
  // (with the vertical ones), for a control that has them (TColumnSizes).
  TAxisBases Cols;
  TAxisBases Rows;
  // What a change of the form's DPI derives the base from, so that already
  // scaled values are never scaled again: the bounds as designed (for a
  // control recorded later: its base at BoundsDpiW x BoundsDpiH) and the
  // font as designed.
  int DesignLeft = 0;
  int DesignTop = 0;
  int DesignWidth = 0;
  int DesignHeight = 0;
  int BoundsDpiW = 0;  // 0: designed bounds, scaled as start-up scales them
  int BoundsDpiH = 0;
  TDesignFont DesignFont;
  bool FontFromDesign = false;  // the base font is start-up's, from design
};
using PCtrlInfo = TCtrlInfo*;

// TaskbarEdge codes.
inline constexpr int teNone = -1;
inline constexpr int teTop = 0;
inline constexpr int teLeft = 1;
inline constexpr int teRight = 2;
inline constexpr int teBottom = 3;

// ---- Unit-global state and routines of unit Flexarium

// One entry per started component: the address of the owner form's field
// that refers to it.
extern TList* InstanceList;
// The thread message hook of the Windows 4.x path, 0 when there is none.
extern win::HHOOK HookHandle;
// Message language of the size properties: True for a Japanese user locale.
extern bool JapaneseUI;
// Whether desktop composition was on when the unit started.
extern win::BOOL DwmComposition;
// Primary screen size last recorded by the hook path.
extern int LastScreenWidth;
extern int LastScreenHeight;

// The window procedure installed on the owner form, and the thread hook.
win::LRESULT FLX_CALLBACK FormWndProc(win::HWND Wnd, win::UINT Msg,
                                      win::WPARAM WParam, win::LPARAM LParam);
win::LRESULT FLX_CALLBACK CallWndHookProc(int Code, win::WPARAM WParam,
                                          win::LPARAM LParam);

// Size of the monitor that shows the window (its full area).
void GetMonitorSize(win::HWND Wnd, int& Width, int& Height);
// Monitor size less the taskbar when ValidTaskbar, the TaskbarEdge code and
// the taskbar record with its rectangle clamped and auto-hide collapsed.
void GetTaskbarArea(win::HWND Wnd, int& Width, int& Height, int& Edge,
                    bool ValidTaskbar, win::APPBARDATA& TaskbarData);
// Window rectangle and the invisible margins composition draws around it.
void GetFrameBounds(win::HWND Wnd, win::POINT& FrameOffset,
                    win::POINT& FrameExtra, win::RECT& WindowRect);
// Gives the form the outer size Width x Height at the position FormPos.
void PlaceForm(TWinControl* Form, TResizeFormPos FormPos, bool ValidTaskbar,
               int Width, int Height);

// ---- The engine object

// The component's state and the methods behind its published interface. The
// component owns one from construction on; its public methods forward here.
struct TFlexarium::Impl {
  // Runs the component's construction and destruction: at design time only
  // property values are held.
  explicit Impl(TFlexarium& Component);
  ~Impl();
  Impl(const Impl&) = delete;
  Impl& operator=(const Impl&) = delete;

  // The engine of a component (tests read its state through this too).
  static Impl& Of(TFlexarium& Component) { return *Component.FImpl; }
  static const Impl& Of(const TFlexarium& Component) {
    return *Component.FImpl;
  }

  // The component served, and what the methods call of it.
  TFlexarium& Self;
  TComponent* Owner() const { return Self.Owner(); }
  const TComponentState& ComponentState() const {
    return Self.ComponentState();
  }
  const std::string& Name() const { return Self.Name(); }

  // Published properties' write methods and public methods that do more
  // than store a value.
  void SetFormPos(TResizeFormPos Value);
  void SetFormWidth(int Value);
  void SetFormHeight(int Value);
  void SetFormMaxWidth(int Value);
  void SetFormMaxHeight(int Value);
  void SetFormMinWidth(int Value);
  void SetFormMinHeight(int Value);
  void SetResizeFont(bool Value);
  void SetNoResizeFntCtl(const std::string& Value);
  void SetNoResizeCtl(const std::string& Value);
  void SetEnabled(bool Value);
  void SetValidTaskbar(bool Value);
  void SetMinFontSize(int Value);
  void DynamicAdd();
  void DynamicDelete();
  // What follows the framework's own part of DefineProperties and Loaded.
  void DefineProperties(TFiler& Filer);
  void Loaded();
  void Start();
  void SetDesignMetrics(int ClientWidth, int ClientHeight, int DpiW, int DpiH);
  bool UnscaledClientSize(int& Width, int& Height) const;
  int StartupDpi() const;

  // Snapshot list.
  void SetNoResizeFntCtls();
  void SetNoResizeCtls();
  void GetFontSetting(std::unique_ptr<TFont>& Font, TComponent* Component);
  void AddCtrlInfo(TComponent* Control, const std::string& ParentName,
                   int ChildCtlCnt);
  void AddNewCtrls(int CompCount, int ChildSum);
  void DeleteGoneCtrls(int CompCount, int ChildSum);
  void SyncCtrlList();
  PCtrlInfo FindCtrl(const std::string& Name) const;
  PCtrlInfo FindCtrlOf(const TComponent* Control);
  // The record of a control of the form or of a frame on it (nullptr for
  // any other control, or one without a record).
  PCtrlInfo RecordOf(const TControl* Control);
  PCtrlInfo FindChildCtrl(const std::string& ParentName,
                          const std::string& Name) const;
  void IndexCtrls();
  void ClearCtrls();
  void AppendRecord(PCtrlInfo R);
  // Membership of the exclusion lists (letter case ignored).
  bool Excluded(const std::string& Name) const;
  bool FontExcluded(const std::string& Name) const;
  // Calls visit(control, frame) for each control the lists are about, in
  // their order (defined below).
  template <class Visit>
  void ForEachRecordedControl(int Count, Visit&& visit,
                              bool WithExcluded = false) const;

  // Design metrics.
  void ReadDesignFrmW(TReader& Reader);
  void WriteDesignFrmW(TWriter& Writer);
  void ReadDesignFrmH(TReader& Reader);
  void WriteDesignFrmH(TWriter& Writer);
  void ReadDesignDpiW(TReader& Reader);
  void WriteDesignDpiW(TWriter& Writer);
  void ReadDesignDpiH(TReader& Reader);
  void WriteDesignDpiH(TWriter& Writer);

  // Engine.
  win::LRESULT PassOn(win::HWND Wnd, win::UINT Msg, win::WPARAM WParam,
                      win::LPARAM LParam);
  bool BusyForm(win::HWND Wnd);
  bool BusyMdiChild();
  // True when the message's answer is TRUE (a size written into
  // WM_GETDPISCALEDSIZE's record).
  bool HandleMessage(win::HWND Wnd, win::UINT Msg, win::WPARAM WParam,
                     win::LPARAM LParam, bool HookPath);
  void HandleShowWindow(win::HWND Wnd, win::WPARAM WParam, bool HookPath);
  // Maximising: as for a form about to be maximised, also when it is
  // maximised already. Iconic: a minimised form served too (the ratio
  // lock's box for a form maximised straight from minimised).
  void HandleGetMinMaxInfo(win::HWND Wnd, win::LPARAM LParam, bool HookPath,
                           bool Maximising = false, bool Iconic = false);
  void HandleSizing(win::LPARAM LParam);
  // The client size WM_SIZE gives, kept for a change of DPI to scale from.
  void NoteClientSize(win::WPARAM WParam, win::LPARAM LParam);
  // A size limit (FormMinWidth...) at the current DPI.
  int LimitW(int Value) const;
  int LimitH(int Value) const;
  // KeepAspect: the dragged rectangle and the maximised size and position
  // corrected to the design client aspect ratio (ratio_lock.cpp).
  void KeepAspectSizing(win::HWND Wnd, win::WPARAM Edge, win::LPARAM LParam);
  // Dpi: the frame at that DPI rather than the window's present one.
  void KeepAspectMaxInfo(win::HWND Wnd, win::LPARAM LParam, bool HookPath,
                         win::UINT Dpi = 0);
  static win::POINT ClientSizeOf(win::HWND Wnd);
  void HandleSize(win::HWND Wnd, win::WPARAM WParam, win::LPARAM LParam,
                  bool HookPath);
  void ControlStep(TControl* Ctl, PCtrlInfo Info, double sx, double sy,
                   double sf, bool UpdateFactors);
  void ScaleCtrlFont(bool Before, PCtrlInfo Info, TControl* Control);
  void SettleAnchored(std::vector<std::pair<TControl*, PCtrlInfo>>& Anchored);
  // A font size the component is about to set, held at MinFontSize (or at
  // the design size when that is smaller).
  int FloorFontSize(int Size, int DesignSize) const;
  // Columns and rows: the bases taken from the control's current sizes at
  // the factors it stands at, and one pass's step.
  void TakeColumnBases(TControl* Ctl, PCtrlInfo Info, double fx, double fy);
  // Start-up's bases: the sizes as designed, DPI-scaled by ScaleX x ScaleY.
  void DesignColumnBases(TControl* Ctl, PCtrlInfo Info, double ScaleX,
                         double ScaleY);
  // Entries added or removed since the bases were taken: bases for them
  // at the last pass's factors (for every recorded control: All).
  void SyncColumnBases(TControl* Ctl, PCtrlInfo Info);
  void SyncAllColumnBases();
  void ColumnStep(TControl* Ctl, PCtrlInfo Info, double sx, double sy);
  // The bases for a new DPI, from what they were taken from.
  void DeriveColumnBases(PCtrlInfo Info, int DpiX, int DpiY, double ScaleX,
                         double ScaleY);
  // The base font anew from the size the control shows now, when its
  // ParentFont changed since the base was taken.
  void DeriveBaseFont(PCtrlInfo Info, TControl* Control);
  // What a control showing `Shown` points would show without the floor,
  // when it shows the floored size of the font it follows.
  int UnflooredFontSize(TControl* Control, int Shown);

  // Per-monitor DPI (dpi_change.cpp).
  void StartDpi(int DesignDpiW, int DesignDpiH);
  bool PerMonitorAware();
  win::SIZE KeptClientSize(int DpiX, int DpiY) const;
  win::SIZE ScaledOuterSize(win::HWND Wnd, int DpiX, int DpiY);
  void HandleWindowPosChanging(win::HWND Wnd, win::LPARAM LParam);
  bool HandleGetDpiScaledSize(win::HWND Wnd, win::WPARAM WParam,
                              win::LPARAM LParam);
  void HandleDpiChanged(win::HWND Wnd, win::WPARAM WParam, win::LPARAM LParam);
  void DeriveForDpi(int DpiX, int DpiY);
  // Derives the records for the form's DPI when the form changed DPI while
  // this component did not serve it: switched off, a second component on
  // the form while the first served it, or no component procedure in the
  // window's chain (the first one, switched off, took it out).
  void CatchUpDpi();
  int FollowedFontSize(TControl* Control);
  void InstallWndProc();
  void RefreshOwnerHandle();
  TWinControl* OwnerForm() const;

  // Hook bookkeeping: one hook per thread for all enabled components.
  void AcquireHook();
  void ReleaseHook();

  // The published properties' values.
  TResizeFormPos FFormPos = rpDefault;
  int FFormWidth = 0;
  int FFormHeight = 0;
  int FFormMaxWidth = 0;
  int FFormMaxHeight = 0;
  int FFormMinWidth = 0;
  int FFormMinHeight = 0;
  bool FResizeFont = false;
  std::string FNoResizeFntCtl;
  std::string FNoResizeCtl;
  TExitResizeEvent FOnExitResize;
  bool FEnabled = false;
  bool FValidTaskbar = false;
  bool FResizeColumns = true;
  int FMinFontSize = 0;
  bool FKeepAspect = false;

  // The owner form, the snapshot and the state between passes.
  std::string FOwnerFormName;  // set at start-up; nothing reads it
  int FOwnerWidth = 0;
  int FOwnerHeight = 0;
  win::HWND FOwnerHandle = nullptr;
  std::unique_ptr<TFont> FOwnerFont;
  std::unique_ptr<TList> FCtrls;
  int FCtlCnt = 0;
  std::unique_ptr<TList> FChildCtrls;
  int FChildCtlCnt = 0;
  void* FSelfPointer = nullptr;
  std::unique_ptr<TStringList> FNoResizeFntCtls;
  std::unique_ptr<TStringList> FNoResizeCtls;
  int FAddCnt = 0;
  double FPrevScaleX = 0;
  double FPrevScaleY = 0;
  double FPrevScaleF = 0;
  int FDesignFrmW = 0;
  int FDesignFrmH = 0;
  int FDesignDpiW = 0;
  int FDesignDpiH = 0;
  int FRunDpiW = 0;
  int FRunDpiH = 0;
  bool FIsResized = false;
  win::WNDPROC lpPrevWndProc = nullptr;
  win::POINT FMaxSize{0, 0};
  // The client size when the user began to drag the frame ({0, 0} outside
  // a drag): the aspect lock's corner rule compares with it, so that a drag
  // made of many small moves ends as one long move would.
  win::POINT FDragStart{0, 0};

  // Look-up indexes over FCtrls and FChildCtrls (first record per key) and
  // over the exclusion lists, so a pass costs time linear in the controls.
  struct Index;
  std::unique_ptr<Index> FIndex;
  // What a change of DPI starts from.
  struct DpiState;
  std::unique_ptr<DpiState> FDpi;
  bool FHoldsHook = false;      // counted among the hook's users
  bool FactorsPending = false;  // a control of this pass had a snapshot
  std::string FLastError;       // last error caught inside a message handler
};

// Look-ups by name over the snapshot and exclusion lists. The lists stay
// the truth; the maps are rebuilt whenever a list changes, keeping the
// first record per key as a scan of the list would find it.
struct TFlexarium::Impl::Index {
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
struct TFlexarium::Impl::DpiState {
  int StartDpiW = 0;  // FRunDpiW and FRunDpiH at start-up
  int StartDpiH = 0;
  // The form file stored no design DPI, so it follows the run-time DPI.
  bool DesignDpiFromRun = false;
  // Start-up's border-style rule kept the designed bounds (divisor 1.0).
  bool KeepDesignedBounds = false;
  TDesignFont DesignFont;  // the form's font as designed
  // The client size last given (by the user or the application) and the
  // DPI it was given at: a change of DPI scales it from here, so that no
  // rounding builds up however often the form crosses monitors.
  int ClientWidth = 0;
  int ClientHeight = 0;
  int ClientDpiW = 0;
  int ClientDpiH = 0;
  // The DPI changed while the form was maximised or minimised: restored,
  // it takes the kept size at its DPI, not the system's restore rectangle.
  bool RestoreKept = false;
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

// Refuses a negative value of a size property or the font floor with
// EInvalidOperation, in the user's language looked up anew as the designer
// never runs the run-time constructor (size_properties.cpp).
void RequireNotNegative(int Value);

// A font as the form file gave it, and that font at the font's current
// pixel density: a size in points is another height there, a height is not.
inline TDesignFont DesignFontOf(const TFont& font) {
  return {font.Height(), font.GivenSize(), font.SizeGiven()};
}
inline void SetDesignFont(TFont& font, const TDesignFont& design) {
  if (design.InPoints) {
    font.SetSize(design.Size);
  } else {
    font.SetHeight(design.Height);
  }
}

// The window property that keeps the form's own procedure, the one found
// before FormWndProc was first installed on it.
inline constexpr char16_t kPrevProcProp[] = u"FlexariumFormProc";

// The engine of the component whose FOwnerHandle is `wnd` (first in
// InstanceList).
TFlexarium::Impl* FindInstance(win::HWND wnd);

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
void TFlexarium::Impl::ForEachRecordedControl(int Count, Visit&& visit,
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
