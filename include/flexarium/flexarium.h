// Unit Flexarium: the TFlexarium component. Dropped on a form, it rescales
// every control's bounds and font in proportion to the form's client size
// and to the ratio of design DPI to run-time DPI, gives the form its start
// size and position when first shown, and holds minimum and maximum sizes.
//
// The component's logic is split by subsystem: component/ (object, control
// snapshots, start-up, design metrics), engine/ (window procedure, rescale
// pass, font bracket, message hook) and placement/ (monitor, taskbar and
// frame measures, form placement, size properties).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "flexarium/classes.h"
#include "flexarium/controls.h"
#include "flexarium/graphics.h"
#include "flexarium/win_types.h"

namespace flx {

// Where the form is placed when first shown (or when FormPos changes).
enum TResizeFormPos : std::uint8_t {
  rpDefault,
  rpTopLeft,
  rpTopCenter,
  rpTopRight,
  rpMiddleLeft,
  rpMiddleCenter,
  rpMiddleRight,
  rpBottomLeft,
  rpBottomCenter,
  rpBottomRight
};
extern const TEnumInfo ResizeFormPosInfo;

// OnExitResize(Sender, XScale, YScale): raised after every rescale pass.
// Name is the handler's name in the form file ("" when bound in code).
struct TExitResizeEvent {
  std::function<void(TObject* Sender, double XScale, double YScale)> Code;
  std::string Name;
  explicit operator bool() const { return static_cast<bool>(Code); }
};

// Registers an OnExitResize handler of a form class by name, so that a form
// file naming it binds it. `handler` receives the form as its first argument.
using TFormExitResizeHandler = std::function<void(
    TComponent* Form, TObject* Sender, double XScale, double YScale)>;
void RegisterExitResizeHandler(const std::string& formClass,
                               const std::string& handlerName,
                               TFormExitResizeHandler handler);

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
  // Column widths and row heights at scale 1.0, for a control that has
  // them (TColumnSizes); a negative width is an automatic one, kept as is.
  std::vector<int> ColWidths;
  std::vector<int> RowHeights;
  // What a change of the form's DPI derives those bases from, entry by
  // entry as for the bounds: the size as designed (its ColDpis entry 0), or
  // a base taken at run time at the DPI its entry holds.
  std::vector<int> DesignColWidths;
  std::vector<int> DesignRowHeights;
  std::vector<int> ColDpis;
  std::vector<int> RowDpis;
  // The sizes the last pass gave (or those found when the bases were
  // taken): an entry that still has it keeps its base when entries are
  // added or removed.
  std::vector<int> OldColWidths;
  std::vector<int> OldRowHeights;
  // What a change of the form's DPI derives the base from, so that already
  // scaled values are never scaled again: the bounds as designed (for a
  // control recorded later: its base at BoundsDpiW x BoundsDpiH) and the
  // font's height in pixels as designed.
  int DesignLeft = 0;
  int DesignTop = 0;
  int DesignWidth = 0;
  int DesignHeight = 0;
  int BoundsDpiW = 0;  // 0: designed bounds, scaled as start-up scales them
  int BoundsDpiH = 0;
  int DesignFontHeight = 0;
  bool FontFromDesign = false;  // the base font is start-up's, from design
};
using PCtrlInfo = TCtrlInfo*;

// TaskbarEdge codes.
inline constexpr int teNone = -1;
inline constexpr int teTop = 0;
inline constexpr int teLeft = 1;
inline constexpr int teRight = 2;
inline constexpr int teBottom = 3;

class TFlexarium : public TComponent {
  FLX_CLASS(TFlexarium)
 public:
  // At design time only property values are held; at run time the lists
  // are made and, on Windows 4.x, the thread message hook is installed.
  explicit TFlexarium(TComponent* AOwner);
  ~TFlexarium() override;

  // Published properties (all without a stored default).
  TResizeFormPos FormPos() const { return FFormPos; }
  void SetFormPos(TResizeFormPos Value);
  // Outer form sizes in pixels; 0 is "not set". The write methods refuse
  // inconsistent values with EInvalidOperation (Japanese or English text).
  int FormWidth() const { return FFormWidth; }
  void SetFormWidth(int Value);
  int FormHeight() const { return FFormHeight; }
  void SetFormHeight(int Value);
  int FormMaxWidth() const { return FFormMaxWidth; }
  void SetFormMaxWidth(int Value);
  int FormMaxHeight() const { return FFormMaxHeight; }
  void SetFormMaxHeight(int Value);
  int FormMinWidth() const { return FFormMinWidth; }
  void SetFormMinWidth(int Value);
  int FormMinHeight() const { return FFormMinHeight; }
  void SetFormMinHeight(int Value);
  bool ResizeFont() const { return FResizeFont; }
  void SetResizeFont(bool Value);
  // Control names separated by ";": never font-scaled / never resized.
  const std::string& NoResizeFntCtl() const { return FNoResizeFntCtl; }
  void SetNoResizeFntCtl(const std::string& Value);
  const std::string& NoResizeCtl() const { return FNoResizeCtl; }
  void SetNoResizeCtl(const std::string& Value);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  bool ValidTaskbar() const { return FValidTaskbar; }
  void SetValidTaskbar(bool Value);
  const TExitResizeEvent& OnExitResize() const { return FOnExitResize; }
  void SetOnExitResize(TExitResizeEvent Value) {
    FOnExitResize = std::move(Value);
  }
  // Published after the ones above and, unlike them, stored only when they
  // differ from their defaults, so forms that leave them alone never carry
  // them.
  // List-view columns, grid columns and rows and header sections follow the
  // factors (default True).
  bool ResizeColumns() const { return FResizeColumns; }
  void SetResizeColumns(bool Value) { FResizeColumns = Value; }
  // The smallest font, in points, the component sets (0: no floor). A
  // negative value is refused with EInvalidOperation.
  int MinFontSize() const { return FMinFontSize; }
  void SetMinFontSize(int Value);
  // Dragging an edge or maximising keeps the design client aspect ratio.
  bool KeepAspect() const { return FKeepAspect; }
  void SetKeepAspect(bool Value) { FKeepAspect = Value; }

  // The application announces controls it created or destroyed at run time.
  void DynamicAdd();
  void DynamicDelete();

  // True when the user's default locale is Japanese.
  static bool CheckJapan();

  // The owner form's window this component serves (0 before start-up).
  win::HWND OwnerHandle() const { return FOwnerHandle; }

  void DefineProperties(TFiler& Filer) override;
  // Start-up once the form file has been read.
  void Loaded() override;
  // Start-up for a component made in code on a form that already exists:
  // design metrics default to the current client size and screen DPI.
  void Start();
  // Before Start: the client size and screen DPI the form was designed for
  // (what a form file stores as DesignFrmW, DesignFrmH, DesignDpiW and
  // DesignDpiH; 0 leaves one to its default). EInvalidOperation for a
  // negative value.
  void SetDesignMetrics(int ClientWidth, int ClientHeight, int DpiW, int DpiH);
  // The client size at which both factors are 1, in run-time pixels: the
  // design client size at this screen's DPI. False before start-up.
  bool UnscaledClientSize(int& Width, int& Height) const;

  // The DPI the layout is for: the run-time DPI at start-up (the window's
  // own in a per-monitor aware process), then each DPI WM_DPICHANGED
  // brings. FormMinWidth... are pixels at StartupDpi() and hold scaled by
  // CurrentDpi() / StartupDpi() (half-up).
  int StartupDpi() const;
  int CurrentDpi() const { return FRunDpiH; }

 private:
  friend struct TFlexariumAccess;  // tests and tools inspect the state
  friend win::LRESULT FLX_CALLBACK FormWndProc(win::HWND, win::UINT,
                                               win::WPARAM, win::LPARAM);
  friend win::LRESULT FLX_CALLBACK CallWndHookProc(int, win::WPARAM,
                                                   win::LPARAM);

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
  PCtrlInfo FindChildCtrl(const std::string& ParentName,
                          const std::string& Name) const;
  void IndexCtrls();
  void ClearCtrls();
  void AppendRecord(PCtrlInfo R);
  // Membership of the exclusion lists (letter case ignored).
  bool Excluded(const std::string& Name) const;
  bool FontExcluded(const std::string& Name) const;
  // Calls visit(control, frame) for each control the lists are about, in
  // their order (defined in src/unit/unit_private.h).
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
  // True when the message's answer is TRUE (a size written into
  // WM_GETDPISCALEDSIZE's record).
  bool HandleMessage(win::HWND Wnd, win::UINT Msg, win::WPARAM WParam,
                     win::LPARAM LParam, bool HookPath);
  void HandleShowWindow(win::HWND Wnd, win::WPARAM WParam, bool HookPath);
  // Maximising: as for a form about to be maximised, also when it is
  // maximised already.
  void HandleGetMinMaxInfo(win::HWND Wnd, win::LPARAM LParam, bool HookPath,
                           bool Maximising = false);
  void HandleSizing(win::LPARAM LParam);
  // KeepAspect: the dragged rectangle and the maximised size and position
  // corrected to the design client aspect ratio (ratio_lock.cpp).
  void KeepAspectSizing(win::HWND Wnd, win::WPARAM Edge, win::LPARAM LParam);
  void KeepAspectMaxInfo(win::HWND Wnd, win::LPARAM LParam);
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
  void NoteClientSize(win::WPARAM WParam, win::LPARAM LParam);
  bool PerMonitorAware();
  win::SIZE ScaledOuterSize(win::HWND Wnd, int DpiX, int DpiY);
  bool HandleGetDpiScaledSize(win::HWND Wnd, win::WPARAM WParam,
                              win::LPARAM LParam);
  void HandleDpiChanged(win::HWND Wnd, win::WPARAM WParam, win::LPARAM LParam);
  void DeriveForDpi(int DpiX, int DpiY);
  int FollowedFontSize(TControl* Control);
  // A size limit (FormMinWidth...) at the current DPI.
  int LimitW(int Value) const;
  int LimitH(int Value) const;
  void InstallWndProc();
  void RefreshOwnerHandle();
  TWinControl* OwnerForm() const;

  // Hook bookkeeping: one hook per thread for all enabled components.
  void AcquireHook();
  void ReleaseHook();

  std::string FOwnerFormName;  // set at start-up; nothing reads it
  int FOwnerWidth = 0;
  int FOwnerHeight = 0;
  win::HWND FOwnerHandle = nullptr;
  std::unique_ptr<TFont> FOwnerFont;
  std::unique_ptr<TList> FCtrls;
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
  int FCtlCnt = 0;
  TExitResizeEvent FOnExitResize;
  bool FEnabled = false;
  bool FValidTaskbar = false;
  bool FResizeColumns = true;
  int FMinFontSize = 0;
  bool FKeepAspect = false;
  win::WNDPROC lpPrevWndProc = nullptr;
  std::unique_ptr<TList> FChildCtrls;
  int FChildCtlCnt = 0;
  win::POINT FMaxSize{0, 0};
  // The client size when the user began to drag the frame ({0, 0} outside
  // a drag): the aspect lock's corner rule compares with it, so that a drag
  // made of many small moves ends as one long move would.
  win::POINT FDragStart{0, 0};

  // Look-up indexes over FCtrls and FChildCtrls (first record per key) and
  // over the exclusion lists, so a pass costs time linear in the controls.
  struct Index;
  std::unique_ptr<Index> FIndex;
  // What a change of DPI starts from (unit_private.h).
  struct DpiState;
  std::unique_ptr<DpiState> FDpi;
  bool FHoldsHook = false;      // counted among the hook's users
  bool FactorsPending = false;  // a control of this pass had a snapshot
  std::string FLastError;       // last error caught inside a message handler
};

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

// Unit initialization and finalization: run once per process after the
// window system is installed, and before it goes.
void FlexariumInitialization();
void FlexariumFinalization();
// Puts TFlexarium on the palette page "LxCtrl".
void Register();

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

// The palette bitmap "TFLEXARIUM" (24 x 24, 4 bits per pixel, uncompressed)
// as a BMP file image.
const std::vector<std::uint8_t>& PaletteBitmap();

}  // namespace flx
