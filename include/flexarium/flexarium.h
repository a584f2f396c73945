// Unit Flexarium: the TFlexarium component. Dropped on a form, it rescales
// every control's bounds and font in proportion to the form's client size
// and to the ratio of design DPI to run-time DPI, gives the form its start
// size and position when first shown, and holds minimum and maximum sizes.
//
// This header holds what an application calls. The component's state and
// logic live behind it, in the library's sources, split by subsystem:
// component/ (object, control snapshots, start-up, design metrics), engine/
// (window procedure, rescale pass, font bracket and floor, message hook) and
// placement/ (monitor, taskbar and frame measures, form placement, size
// properties).
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

class TFlexarium : public TComponent {
  FLX_CLASS(TFlexarium)
 public:
  // At design time only property values are held; at run time the lists
  // are made and, on Windows 4.x, the thread message hook is installed.
  explicit TFlexarium(TComponent* AOwner);
  ~TFlexarium() override;

  // Published properties (all without a stored default).
  TResizeFormPos FormPos() const;
  void SetFormPos(TResizeFormPos Value);
  // Outer form sizes in pixels; 0 is "not set". The write methods refuse
  // inconsistent values with EInvalidOperation (Japanese or English text).
  int FormWidth() const;
  void SetFormWidth(int Value);
  int FormHeight() const;
  void SetFormHeight(int Value);
  int FormMaxWidth() const;
  void SetFormMaxWidth(int Value);
  int FormMaxHeight() const;
  void SetFormMaxHeight(int Value);
  int FormMinWidth() const;
  void SetFormMinWidth(int Value);
  int FormMinHeight() const;
  void SetFormMinHeight(int Value);
  bool ResizeFont() const;
  void SetResizeFont(bool Value);
  // Control names separated by ";": never font-scaled / never resized.
  const std::string& NoResizeFntCtl() const;
  void SetNoResizeFntCtl(const std::string& Value);
  const std::string& NoResizeCtl() const;
  void SetNoResizeCtl(const std::string& Value);
  bool Enabled() const;
  void SetEnabled(bool Value);
  bool ValidTaskbar() const;
  void SetValidTaskbar(bool Value);
  const TExitResizeEvent& OnExitResize() const;
  void SetOnExitResize(TExitResizeEvent Value);
  // Published after the ones above and, unlike them, stored only when they
  // differ from their defaults, so forms that leave them alone never carry
  // them.
  // List-view columns, grid columns and rows and header sections follow the
  // factors (default True).
  bool ResizeColumns() const;
  void SetResizeColumns(bool Value);
  // The smallest font, in points, the component sets (0: no floor). A
  // negative value is refused with EInvalidOperation.
  int MinFontSize() const;
  void SetMinFontSize(int Value);
  // Dragging an edge or maximising keeps the design client aspect ratio.
  bool KeepAspect() const;
  void SetKeepAspect(bool Value);

  // The application announces controls it created or destroyed at run time.
  void DynamicAdd();
  void DynamicDelete();

  // True when the user's default locale is Japanese.
  static bool CheckJapan();

  // The owner form's window this component serves (0 before start-up).
  win::HWND OwnerHandle() const;

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
  int CurrentDpi() const;

  // The machinery behind this interface: the component's state and its
  // start-up, engine and placement methods (src/unit/unit_private.h).
  struct Impl;

 private:
  std::unique_ptr<Impl> FImpl;
};

// ---- Unit start and stop, registration

// Unit initialization and finalization: run once per process after the
// window system is installed, and before it goes.
void FlexariumInitialization();
void FlexariumFinalization();
// True between the two: a component made outside it never starts.
bool FlexariumInitialized();
// Puts TFlexarium on the palette page "LxCtrl".
void Register();

// The palette bitmap "TFLEXARIUM" (24 x 24, 4 bits per pixel, uncompressed)
// as a BMP file image.
const std::vector<std::uint8_t>& PaletteBitmap();

}  // namespace flx
