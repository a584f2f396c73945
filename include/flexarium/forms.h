// Forms and frames. A form is a top-level window whose window procedure is
// the framework's own; its client size follows the window on WM_SIZE.
#pragma once

#include <string>

#include "flexarium/controls.h"

namespace flx {

enum class TFormBorderStyle {
  bsNone,
  bsSingle,
  bsSizeable,
  bsDialog,
  bsToolWindow,
  bsSizeToolWin
};
extern const TEnumInfo FormBorderStyleInfo;

enum class TWindowState { wsNormal, wsMinimized, wsMaximized };
extern const TEnumInfo WindowStateInfo;

enum class TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
extern const TEnumInfo FormStyleInfo;

// A windowed container that may scroll (forms, frames, scroll boxes).
class TScrollingWinControl : public TWinControl {
  FLX_CLASS(TScrollingWinControl)
 public:
  using TWinControl::TWinControl;
};

class TCustomForm : public TScrollingWinControl {
  FLX_CLASS(TCustomForm)
 public:
  explicit TCustomForm(TComponent* owner);
  ~TCustomForm() override;

  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle v);
  // wsMaximized before the first showing makes the form show maximised;
  // afterwards it follows the window.
  TWindowState WindowState() const { return FWindowState; }
  void SetWindowState(TWindowState v);
  TFormStyle FormStyle() const { return FFormStyle; }
  void SetFormStyle(TFormStyle v) { FFormStyle = v; }
  int PixelsPerInch() const { return FPixelsPerInch; }
  void SetPixelsPerInch(int v) { FPixelsPerInch = v; }
  bool Scaled() const { return FScaled; }
  void SetScaled(bool v) { FScaled = v; }
  // The DPI of the form's window when it is not the system DPI the screen
  // DC reports (a per-monitor aware process with the window on a monitor
  // of another DPI, or after WM_DPICHANGED); 0 otherwise. The frame is
  // measured at it.
  int CurrentPPI() const { return FCurrentPPI; }
  // Takes `ppi` as the window's DPI: the form's font and the fonts of every
  // control it holds, at any depth, are for that DPI from now on (their
  // heights in pixels stay; their sizes in points read at the new DPI).
  void SetCurrentPPI(int ppi);

  // Client size in pixels: read from the window once it exists.
  int ClientWidth() const override;
  int ClientHeight() const override;
  void SetClientWidth(int v) override;
  void SetClientHeight(int v) override;
  void SetBounds(int left, int top, int width, int height) override;

  // The form file gave Width and Height (old style) rather than the client
  // size; the writer then keeps to that.
  bool StoresOuterSize = false;

  // Creates the window if needed and shows it (maximised for wsMaximized).
  void Show();
  void Hide();

  win::LRESULT WndProc(win::UINT msg, win::WPARAM wParam,
                       win::LPARAM lParam) override;
  TRect DisplayRect() const override;

 protected:
  std::u16string WindowClassName() const override { return u"FlxForm"; }
  win::DWORD WindowStyle() const override;
  win::DWORD WindowExStyle() const override;
  void CreateWnd() override;
  void BoundsChanged() override;
  void DefineProperties(TFiler& filer) override;
  // The bounds (and, minimised, the normal ones) as the window has them.
  void UpdateBoundsFromWindow();
  // What the form takes from its window's WM_SIZE (the window state and
  // the bounds), WM_MOVE, WM_WINDOWPOSCHANGED and WM_DPICHANGED; false for
  // any other message.
  bool FollowWindow(win::UINT msg, win::WPARAM wParam);

  TWindowState FWindowState = TWindowState::wsNormal;

 private:
  // Outer size for a client size with this form's frame.
  void FrameSize(int& dx, int& dy) const;

  TFormBorderStyle FBorderStyle = TFormBorderStyle::bsSizeable;
  TFormStyle FFormStyle = TFormStyle::fsNormal;
  int FPixelsPerInch = 96;
  int FCurrentPPI = 0;
  bool FScaled = true;
  int FClientWidth = 0;
  int FClientHeight = 0;
  bool FSyncing = false;
};

class TForm : public TCustomForm {
  FLX_CLASS(TForm)
 public:
  using TCustomForm::TCustomForm;
};

// A frame: a container with a form file of its own, placed on forms.
class TCustomFrame : public TScrollingWinControl {
  FLX_CLASS(TCustomFrame)
 public:
  explicit TCustomFrame(TComponent* owner);
};

class TFrame : public TCustomFrame {
  FLX_CLASS(TFrame)
 public:
  using TCustomFrame::TCustomFrame;
};

// Visual styles of the application.
struct TStyleManager {
  // True when a custom style (not the system's) draws the forms.
  static bool IsCustomStyleActive();
};

}  // namespace flx
