// Controls: bounds relative to the parent (one setter each, values read
// back because alignment, anchors and constraints may adjust them), fonts
// that follow the parent's while ParentFont is set, and windowed controls
// whose window is created on first use through the window system.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "flexarium/classes.h"
#include "flexarium/graphics.h"
#include "flexarium/win_types.h"

namespace flx {

class TWinControl;

enum class TAlign {
  alNone,
  alTop,
  alBottom,
  alLeft,
  alRight,
  alClient,
  alCustom
};
extern const TEnumInfo AlignInfo;

enum TAnchorKind : std::uint8_t {
  akLeft = 1,
  akTop = 2,
  akRight = 4,
  akBottom = 8
};
using TAnchors = std::uint8_t;
extern const TEnumInfo AnchorKindInfo;

// Horizontal alignment of captions (labels, panels, static texts, check
// boxes: taLeftJustify puts a check box's text left of the box).
enum class TAlignment { taLeftJustify, taRightJustify, taCenter };
extern const TEnumInfo AlignmentInfo;
// The two values a check box or radio button takes.
extern const TEnumInfo LeftRightInfo;

// The frame of an edit, memo or list box: bsSingle is a sunken client edge
// (a flat line without Ctl3D).
enum class TBorderStyle { bsNone, bsSingle };
extern const TEnumInfo BorderStyleInfo;

// Sums and differences of bounds are worked out in 64 bits; a result beyond
// the Integer range saturates rather than wraps.
inline int HeldInt(std::int64_t v) {
  if (v < INT32_MIN) return INT32_MIN;
  if (v > INT32_MAX) return INT32_MAX;
  return static_cast<int>(v);
}

struct TRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  // Held within the Integer range when the edges lie further apart.
  int Width() const { return HeldInt(std::int64_t{Right} - Left); }
  int Height() const { return HeldInt(std::int64_t{Bottom} - Top); }
};

// Minimum and maximum width and height of a control; 0 is no limit.
class TSizeConstraints : public TPersistent {
  FLX_CLASS(TSizeConstraints)
 public:
  int MinWidth = 0;
  int MinHeight = 0;
  int MaxWidth = 0;
  int MaxHeight = 0;
  std::function<void()> OnChange;  // after a property write
  void Assign(const TPersistent& source) override;
  // Clamps a proposed size into the limits.
  void Apply(int& width, int& height) const;
};

class TControl : public TComponent {
  FLX_CLASS(TControl)
 public:
  explicit TControl(TComponent* owner);
  // With a font for `pixelsPerInch` rather than the screen's: a caller
  // making many controls for a DPI it knows asks the screen once.
  TControl(TComponent* owner, int pixelsPerInch);
  ~TControl() override;

  TWinControl* Parent() const { return FParent; }
  virtual void SetParent(TWinControl* parent);

  // Bounds in pixels relative to the parent's client area.
  int Left() const { return FLeft; }
  int Top() const { return FTop; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  void SetLeft(int v) { SetBounds(v, FTop, FWidth, FHeight); }
  void SetTop(int v) { SetBounds(FLeft, v, FWidth, FHeight); }
  void SetWidth(int v) { SetBounds(FLeft, FTop, v, FHeight); }
  void SetHeight(int v) { SetBounds(FLeft, FTop, FWidth, v); }
  // Applies constraints, then alignment of the parent; the result is what
  // the getters read back.
  virtual void SetBounds(int left, int top, int width, int height);
  TRect BoundsRect() const {
    return {FLeft, FTop, FLeft + FWidth, FTop + FHeight};
  }

  virtual int ClientWidth() const { return FWidth; }
  virtual int ClientHeight() const { return FHeight; }
  virtual void SetClientWidth(int v) { SetWidth(v); }
  virtual void SetClientHeight(int v) { SetHeight(v); }

  TAlign Align() const { return FAlign; }
  void SetAlign(TAlign v);
  TAnchors Anchors() const { return FAnchors; }
  void SetAnchors(TAnchors v);
  TSizeConstraints& Constraints() { return *FConstraints; }
  const TSizeConstraints& Constraints() const { return *FConstraints; }
  void ConstraintsChanged();
  bool Visible() const { return FVisible; }
  virtual void SetVisible(bool v);
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool v) { FAutoSize = v; }

  // The font; a change of it switches ParentFont off.
  TFont& Font() { return *FFont; }
  const TFont& Font() const { return *FFont; }
  bool ParentFont() const { return FParentFont; }
  // True takes the parent's font (now and whenever the parent's changes).
  void SetParentFont(bool v);
  // The DPI this control's font is for, and its children's: their heights
  // in pixels stay, their sizes in points read at the new DPI.
  virtual void ChangePixelsPerInch(int ppi) { FFont->SetPixelsPerInch(ppi); }

  // Caption or text.
  virtual std::string GetText() const { return FText; }
  virtual void SetText(const std::string& v);

  void Loaded() override;
  // Records where the anchors hold the control relative to the parent.
  void UpdateAnchorRules();
  // Aligned, or anchored other than left and top: the parent places it.
  bool NeedsLayout() const {
    return FAlign != TAlign::alNone || FAnchors != (akLeft | akTop);
  }
  // Places the control by its anchors after the parent's client changed.
  void ApplyAnchors(int parentWidth, int parentHeight);

 protected:
  // After the bounds changed (windowed controls move their window).
  virtual void BoundsChanged() {}
  // After the client area changed size (containers realign).
  virtual void Resized() {}
  virtual void FontChanged();
  void ParentFontChanged();  // the parent's font changed

  TWinControl* FParent = nullptr;
  int FLeft = 0;
  int FTop = 0;
  int FWidth = 0;
  int FHeight = 0;
  std::string FText;

 private:
  friend class TWinControl;
  void LayoutNeedChanged(bool before);
  struct AnchorRules {
    bool Valid = false;
    int Left = 0, Top = 0, Right = 0, Bottom = 0;  // distances to the edges
    int Width = 0, Height = 0;
    int ParentWidth = 0, ParentHeight = 0;
  };
  TAlign FAlign = TAlign::alNone;
  TAnchors FAnchors = akLeft | akTop;
  std::unique_ptr<TSizeConstraints> FConstraints;
  bool FVisible = true;
  bool FAutoSize = false;
  std::unique_ptr<TFont> FFont;
  bool FParentFont = true;
  bool FAdoptingFont = false;
  bool FAnchoring = false;
  AnchorRules FAnchorRules;
};

// A control without a window of its own (labels, shapes, images).
class TGraphicControl : public TControl {
  FLX_CLASS(TGraphicControl)
 public:
  using TControl::TControl;
  // Draws the control at its bounds on the parent's paint DC (the parent
  // calls it on WM_PAINT); draws nothing by default.
  virtual void Paint(win::HDC /*dc*/) {}
};

// A control with a window, created on first use, and child controls.
class TWinControl : public TControl {
  FLX_CLASS(TWinControl)
 public:
  explicit TWinControl(TComponent* owner);
  TWinControl(TComponent* owner, int pixelsPerInch);
  ~TWinControl() override;

  int ControlCount() const { return static_cast<int>(FControls.size()); }
  TControl* Controls(int i) const { return FControls[i]; }
  void InsertControl(TControl* c);
  void RemoveControl(TControl* c);

  // The window, created (with those of the parents and children) on first
  // use through the window system.
  win::HWND Handle();
  bool HandleAllocated() const { return FHandle != nullptr; }
  void HandleNeeded() { Handle(); }
  // Destroys the window (an adopted window is given back instead).
  virtual void DestroyHandle();

  // The area in which children are aligned, in client coordinates.
  virtual TRect DisplayRect() const;
  // Places aligned and anchored children.
  void Realign();

  // The framework's window procedure, installed on every window it makes.
  static win::LRESULT FLX_CALLBACK MainWndProc(win::HWND wnd, win::UINT msg,
                                               win::WPARAM wParam,
                                               win::LPARAM lParam);
  // This control's message handling; ends in DefaultHandler.
  virtual win::LRESULT WndProc(win::UINT msg, win::WPARAM wParam,
                               win::LPARAM lParam);
  win::LRESULT DefaultHandler(win::UINT msg, win::WPARAM wParam,
                              win::LPARAM lParam);
  // Paints the visible controls without a window onto `dc`.
  void PaintControls(win::HDC dc);

  void SetText(const std::string& v) override;
  void SetVisible(bool v) override;
  void Loaded() override;
  void ChangePixelsPerInch(int ppi) override;

  // The child control whose window is `wnd`, or nullptr.
  TWinControl* ChildOfWindow(win::HWND wnd) const;

 protected:
  // Window class and styles of the window to make. Standard controls use
  // the system's classes (subclassed by MainWndProc); containers use the
  // framework's own class.
  virtual std::u16string WindowClassName() const { return FWindowClass; }
  virtual win::DWORD WindowStyle() const;
  virtual win::DWORD WindowExStyle() const { return 0; }
  virtual void CreateWnd();
  // After the window is made and given its font, before the children's
  // are: hands the window what the form file says (items, check state,
  // range...).
  virtual void WindowCreated() {}
  // Whether the framework paints this window's face (PaintWindow) on
  // WM_PAINT, after the system's own painting.
  virtual bool PaintsItself() const { return false; }
  virtual void PaintWindow(win::HDC /*dc*/) {}
  // A notification from this control's window to its parent (WM_COMMAND's
  // code, WM_NOTIFY's code), handed back to the control.
  virtual void Notify(win::UINT /*code*/) {}
  void CreateChildHandles();
  void BoundsChanged() override;
  void Resized() override;
  void FontChanged() override;
  void AlignControls();
  // WM_PAINT: the default painting, then the controls without a window.
  win::LRESULT PaintHandler(win::WPARAM wParam, win::LPARAM lParam);

  win::HWND FHandle = nullptr;
  win::WNDPROC FDefWndProc = nullptr;
  std::u16string FWindowClass = u"FlxContainer";
  bool FSystemClass = false;
  win::DWORD FClassStyle = 0;  // class-specific style bits (BS_, ES_...)

 private:
  friend class TControl;
  std::vector<TControl*> FControls;
  int FLayoutChildren = 0;  // children for which NeedsLayout() holds
  bool FAligning = false;
};

// A windowed control that paints itself (panels, grids, frames).
class TCustomControl : public TWinControl {
  FLX_CLASS(TCustomControl)
 public:
  using TWinControl::TWinControl;
};

// A windowed control with a frame: BorderStyle bsSingle gives a sunken
// client edge with Ctl3D (the default) and a flat line without (edits,
// memos, list boxes, list and tree views, grids).
class TBorderedControl : public TWinControl {
  FLX_CLASS(TBorderedControl)
 public:
  using TWinControl::TWinControl;
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle v) { FBorderStyle = v; }
  bool Ctl3D() const { return FCtl3D; }
  void SetCtl3D(bool v) { FCtl3D = v; }

 protected:
  win::DWORD WindowStyle() const override;
  win::DWORD WindowExStyle() const override;

 private:
  TBorderStyle FBorderStyle = TBorderStyle::bsSingle;
  bool FCtl3D = true;
};

}  // namespace flx
