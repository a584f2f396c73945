// The component on a window tree that other code made: a top-level window
// from CreateWindowEx, or a dialog, with its child windows. Attach adopts
// the tree into the framework model (a form object around the window, a
// control object around each child window, nested containers included) and
// starts a TFlexarium on it, so that the window behaves as a form with the
// component does: bounds and fonts follow the client size and the DPI, the
// start size and position, the size limits, the aspect lock, the font
// floor and list-view columns. The caller makes no framework object.
//
//   auto attached = flx::Attach(hwnd, options);  // in WM_INITDIALOG, say
//   ...
//   attached->Detach();  // or let it go: the destructor detaches
//
// Call after FlexariumInitialization, on the thread that owns the window.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>

#include "flexarium/flexarium.h"
#include "flexarium/win_types.h"

namespace flx {

// The component's properties, as a form file would give them, and the
// names the program gives its control IDs.
struct AttachOptions {
  // Start position and outer size in pixels (0: not set), applied when the
  // window is first shown after Attach; a FormPos other than rpDefault also
  // places the window at once, at its size then.
  TResizeFormPos FormPos = rpDefault;
  int FormWidth = 0;
  int FormHeight = 0;
  // Outer size limits in pixels at the window's DPI when attached; 0: none.
  int FormMaxWidth = 0;
  int FormMaxHeight = 0;
  int FormMinWidth = 0;
  int FormMinHeight = 0;
  bool ResizeFont = true;
  // Controls named by control ID ("1001"), by a name of ControlNames
  // ("IDC_LOGO") or by window class ("Static"), separated by ";" as in the
  // component's properties; letter case does not matter. NoResizeCtl:
  // never moved, sized or refonted; NoResizeFntCtl: never refonted.
  std::string NoResizeCtl;
  std::string NoResizeFntCtl;
  bool ValidTaskbar = true;
  bool ResizeColumns = true;
  int MinFontSize = 0;  // points; 0: no floor
  bool KeepAspect = false;
  // Names of control IDs (a resource header's IDC_ names, say).
  std::map<std::string, int> ControlNames;
  // The dialog template the window was made from (what
  // CreateDialogIndirectParamW was given, or the RT_DIALOG resource as
  // LockResource gives it), read during Attach only. With it, the dialog
  // moved to a monitor of another DPI stands as the dialog made there;
  // without it, as its layout scaled by the ratio of the two DPIs.
  std::span<const std::uint8_t> DialogTemplate;
  // After every rescale pass, with the horizontal and vertical factors. It
  // may call Detach (the detach is done once the message that caused the
  // pass has returned).
  std::function<void(double XScale, double YScale)> OnExitResize;
};

// The component on one window. Destroying it detaches.
class Attachment {
 public:
  ~Attachment();
  Attachment(const Attachment&) = delete;
  Attachment& operator=(const Attachment&) = delete;

  // Gives every window its font and window procedure back (a procedure
  // that another was installed over stays as a pass-through), deletes the
  // fonts made for it and frees the component; the windows keep their
  // bounds and go on working. Called inside a message of the window (or
  // from OnExitResize), it is done when the outermost message returns.
  // Destroying the window detaches by itself.
  void Detach();
  // Picks up child windows made since Attach and drops those destroyed, as
  // DynamicAdd and DynamicDelete do for a form. Windows whose parent is
  // told (WM_PARENTNOTIFY, without WS_EX_NOPARENTNOTIFY) are picked up by
  // themselves at the next message of the window.
  void Refresh();

  // True until detached (or the window is destroyed).
  bool Attached() const;
  win::HWND Window() const;
  // The component serving the window, for its properties and methods;
  // nullptr once detached.
  TFlexarium* Component() const;

  struct State;

 private:
  friend std::unique_ptr<Attachment> Attach(win::HWND, const AttachOptions&);
  explicit Attachment(std::shared_ptr<State> state);
  std::shared_ptr<State> FState;
};

// Attaches the component to the top-level window `wnd` and its child
// windows, with the design client size and DPI those of the window now.
// Throws EInvalidOperation, leaving the window untouched, when
// FlexariumInitialization has not been called, when `wnd` is no window, is
// a child window or is attached already, or when an option is refused (the
// size properties' own messages, with the option named).
std::unique_ptr<Attachment> Attach(win::HWND wnd,
                                   const AttachOptions& options = {});

}  // namespace flx
