// The framework's standard control and component classes: buttons, check
// boxes, edits, lists, labels (here), containers and pictures
// (extctrls.h), common controls (comctrls.h) and grids (grids.h).
//
// Which classes publish Font, Caption and Text follows the real framework:
// TImage, TShape and TBevel publish no font; edits and combo boxes publish
// Text; buttons, labels, panels, group boxes, tab sheets and check boxes
// publish Caption. The properties that decide what a control shows (items,
// check state, borders, alignment...) are read from the form file and given
// to the control's window when it is made; docs/controls.md lists what each
// class shows on real windows.
#pragma once

#include "flexarium/comctrls.h"
#include "flexarium/extctrls.h"
#include "flexarium/forms.h"
#include "flexarium/grids.h"

namespace flx {

#define FLX_STD_CLASS(Name, Base)     \
  class Name : public Base {          \
    FLX_CLASS(Name)                   \
   public:                            \
    explicit Name(TComponent* owner); \
  };

// ---- Buttons

FLX_STD_CLASS(TButton, TWinControl)
FLX_STD_CLASS(TBitBtn, TButton)

// A button without a window of its own, drawn by its parent.
class TSpeedButton : public TGraphicControl {
  FLX_CLASS(TSpeedButton)
 public:
  explicit TSpeedButton(TComponent* owner);
  void Paint(win::HDC dc) override;
};

enum class TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
extern const TEnumInfo CheckBoxStateInfo;

// A check box: State (and Checked, which is State == cbChecked) sets the
// box when the window is made.
class TCheckBox : public TWinControl {
  FLX_CLASS(TCheckBox)
 public:
  explicit TCheckBox(TComponent* owner);
  bool Checked() const { return FState == TCheckBoxState::cbChecked; }
  void SetChecked(bool v);
  TCheckBoxState State() const { return FState; }
  void SetState(TCheckBoxState v);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment v) { FAlignment = v; }

 protected:
  win::DWORD WindowStyle() const override;
  void WindowCreated() override;

 private:
  TCheckBoxState FState = TCheckBoxState::cbUnchecked;
  TAlignment FAlignment = TAlignment::taRightJustify;
};

class TRadioButton : public TWinControl {
  FLX_CLASS(TRadioButton)
 public:
  explicit TRadioButton(TComponent* owner);
  bool Checked() const { return FChecked; }
  void SetChecked(bool v);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment v) { FAlignment = v; }

 protected:
  win::DWORD WindowStyle() const override;
  void WindowCreated() override;

 private:
  bool FChecked = false;
  TAlignment FAlignment = TAlignment::taRightJustify;
};

// ---- Edits

class TEdit : public TBorderedControl {
  FLX_CLASS(TEdit)
 public:
  explicit TEdit(TComponent* owner);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool v) { FReadOnly = v; }

 protected:
  win::DWORD WindowStyle() const override;

 private:
  bool FReadOnly = false;
};

FLX_STD_CLASS(TMaskEdit, TEdit)
FLX_STD_CLASS(TButtonedEdit, TEdit)

// An edit with a caption above it (EditLabel.Caption); the caption is not
// shown on real windows (docs/controls.md).
class TLabeledEdit : public TEdit {
  FLX_CLASS(TLabeledEdit)
 public:
  explicit TLabeledEdit(TComponent* owner);
};

enum class TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
extern const TEnumInfo ScrollStyleInfo;

// A multi-line edit showing Lines.
class TMemo : public TBorderedControl {
  FLX_CLASS(TMemo)
 public:
  explicit TMemo(TComponent* owner);
  TStrings& Lines() { return *FLines; }
  const TStrings& Lines() const { return *FLines; }
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool v) { FWordWrap = v; }
  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle v) { FScrollBars = v; }
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool v) { FReadOnly = v; }

 protected:
  win::DWORD WindowStyle() const override;
  void WindowCreated() override;

 private:
  std::unique_ptr<TStrings> FLines;
  bool FWordWrap = true;
  TScrollStyle FScrollBars = TScrollStyle::ssNone;
  bool FReadOnly = false;
};

FLX_STD_CLASS(TRichEdit, TMemo)

// ---- Lists

enum class TComboBoxStyle {
  csDropDown,
  csSimple,
  csDropDownList,
  csOwnerDrawFixed,
  csOwnerDrawVariable
};
extern const TEnumInfo ComboBoxStyleInfo;

// A combo box with Items; ItemIndex selects one, else Text stands in the
// edit part (a drop-down list selects the item equal to Text).
class TComboBox : public TWinControl {
  FLX_CLASS(TComboBox)
 public:
  explicit TComboBox(TComponent* owner);
  TStrings& Items() { return *FItems; }
  const TStrings& Items() const { return *FItems; }
  int ItemIndex() const { return FItemIndex; }
  void SetItemIndex(int v) { FItemIndex = v; }
  TComboBoxStyle Style() const { return FStyle; }
  void SetStyle(TComboBoxStyle v) { FStyle = v; }
  bool Sorted() const { return FSorted; }
  void SetSorted(bool v) { FSorted = v; }
  // What the closed box shows: the selected item, else Text.
  std::string DisplayText() const;

 protected:
  win::DWORD WindowStyle() const override;
  void WindowCreated() override;
  void Notify(win::UINT code) override;

 private:
  std::unique_ptr<TStrings> FItems;
  int FItemIndex = -1;
  TComboBoxStyle FStyle = TComboBoxStyle::csDropDown;
  bool FSorted = false;
};

// A drop-down list of colours by name with Selected chosen (the colour
// swatches of the real framework are not drawn).
class TColorBox : public TWinControl {
  FLX_CLASS(TColorBox)
 public:
  explicit TColorBox(TComponent* owner);
  const TIdentInt& Selected() const { return FSelected; }
  void SetSelected(const TIdentInt& v) { FSelected = v; }
  // "Black", "Maroon"... the names the list shows, and the selected one.
  static std::vector<std::string> ColorNames();
  std::string SelectedName() const;

 protected:
  void WindowCreated() override;

 private:
  TIdentInt FSelected = NamedColor("clBlack");
};

class TListBox : public TBorderedControl {
  FLX_CLASS(TListBox)
 public:
  explicit TListBox(TComponent* owner);
  TStrings& Items() { return *FItems; }
  const TStrings& Items() const { return *FItems; }
  int ItemIndex() const { return FItemIndex; }
  void SetItemIndex(int v) { FItemIndex = v; }
  bool Sorted() const { return FSorted; }
  void SetSorted(bool v) { FSorted = v; }

 protected:
  win::DWORD WindowStyle() const override;
  void WindowCreated() override;

 private:
  std::unique_ptr<TStrings> FItems;
  int FItemIndex = -1;
  bool FSorted = false;
};

FLX_STD_CLASS(TCheckListBox, TListBox)

// ---- Texts

enum class TTextLayout { tlTop, tlCenter, tlBottom };
extern const TEnumInfo TextLayoutInfo;

// A caption drawn by the parent: Alignment, Layout (vertical place),
// WordWrap, Transparent (else the parent's colour is filled behind it) and
// the font's colour.
class TLabel : public TGraphicControl {
  FLX_CLASS(TLabel)
 public:
  explicit TLabel(TComponent* owner);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment v) { FAlignment = v; }
  TTextLayout Layout() const { return FLayout; }
  void SetLayout(TTextLayout v) { FLayout = v; }
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool v) { FWordWrap = v; }
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool v) { FTransparent = v; }
  void Paint(win::HDC dc) override;

 private:
  TAlignment FAlignment = TAlignment::taLeftJustify;
  TTextLayout FLayout = TTextLayout::tlTop;
  bool FWordWrap = false;
  bool FTransparent = false;
};

enum class TStaticBorderStyle { sbsNone, sbsSingle, sbsSunken };
extern const TEnumInfo StaticBorderStyleInfo;

// A caption with a window of its own (the system's STATIC class).
class TStaticText : public TWinControl {
  FLX_CLASS(TStaticText)
 public:
  explicit TStaticText(TComponent* owner);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment v) { FAlignment = v; }
  TStaticBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TStaticBorderStyle v) { FBorderStyle = v; }

 protected:
  win::DWORD WindowStyle() const override;

 private:
  TAlignment FAlignment = TAlignment::taLeftJustify;
  TStaticBorderStyle FBorderStyle = TStaticBorderStyle::sbsNone;
};

// ---- Others

FLX_STD_CLASS(TScrollBox, TScrollingWinControl)

// Non-visual components (a dialog's font is its own business, not a sign of
// a control).
FLX_STD_CLASS(TTimer, TComponent)
FLX_STD_CLASS(TActionList, TComponent)
FLX_STD_CLASS(TImageList, TComponent)
FLX_STD_CLASS(TMainMenu, TComponent)
FLX_STD_CLASS(TPopupMenu, TComponent)
FLX_STD_CLASS(TMenuItem, TComponent)
FLX_STD_CLASS(TOpenDialog, TComponent)
FLX_STD_CLASS(TSaveDialog, TComponent)
FLX_STD_CLASS(TFontDialog, TComponent)
FLX_STD_CLASS(TColorDialog, TComponent)
FLX_STD_CLASS(TPrintDialog, TComponent)
FLX_STD_CLASS(TPrinterSetupDialog, TComponent)
FLX_STD_CLASS(TPageSetupDialog, TComponent)
FLX_STD_CLASS(TFindDialog, TComponent)
FLX_STD_CLASS(TReplaceDialog, TComponent)

// Classes the library does not know, kept as read: a control with a window
// (for unknown classes with child objects or windowed looks), a control
// without one, and a non-visual component. The controls are drawn as
// labelled placeholders: a dashed frame with their name and class.
class TGenericWinControl : public TCustomControl {
  FLX_CLASS(TGenericWinControl)
 public:
  explicit TGenericWinControl(TComponent* owner);

 protected:
  bool PaintsItself() const override { return true; }
  void PaintWindow(win::HDC dc) override;
};

class TGenericControl : public TGraphicControl {
  FLX_CLASS(TGenericControl)
 public:
  explicit TGenericControl(TComponent* owner);
  void Paint(win::HDC dc) override;
};

FLX_STD_CLASS(TGenericComponent, TComponent)

#undef FLX_STD_CLASS

// Registers the classes above (idempotent; called before reading forms).
void RegisterStandardClasses();

}  // namespace flx
