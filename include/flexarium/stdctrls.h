// The framework's standard control and component classes. Which of them
// publish Font, Caption and Text follows the real framework: TImage, TShape
// and TBevel publish no font; edits and combo boxes publish Text; buttons,
// labels, panels, group boxes, tab sheets and check boxes publish Caption.
#pragma once

#include "flexarium/forms.h"

namespace flx {

#define FLX_STD_CLASS(Name, Base)     \
  class Name : public Base {          \
    FLX_CLASS(Name)                   \
   public:                            \
    explicit Name(TComponent* owner); \
  };

// A control without a window that draws itself on its parent.
#define FLX_PAINTED_CLASS(Name)         \
  class Name : public TGraphicControl { \
    FLX_CLASS(Name)                     \
   public:                              \
    explicit Name(TComponent* owner);   \
    void Paint(win::HDC dc) override;   \
  };

// Windowed controls on system window classes.
FLX_STD_CLASS(TButton, TWinControl)
FLX_STD_CLASS(TBitBtn, TButton)
FLX_STD_CLASS(TCheckBox, TWinControl)
FLX_STD_CLASS(TRadioButton, TWinControl)
FLX_STD_CLASS(TEdit, TWinControl)
FLX_STD_CLASS(TMaskEdit, TEdit)
FLX_STD_CLASS(TLabeledEdit, TEdit)
FLX_STD_CLASS(TButtonedEdit, TEdit)
FLX_STD_CLASS(TMemo, TWinControl)
FLX_STD_CLASS(TRichEdit, TMemo)
FLX_STD_CLASS(TComboBox, TWinControl)
FLX_STD_CLASS(TListBox, TWinControl)
FLX_STD_CLASS(TCheckListBox, TListBox)

// Windowed controls on the framework's container class.
FLX_STD_CLASS(TPanel, TCustomControl)
FLX_STD_CLASS(TGroupBox, TCustomControl)
FLX_STD_CLASS(TRadioGroup, TGroupBox)
FLX_STD_CLASS(TScrollBox, TScrollingWinControl)
FLX_STD_CLASS(TTabSheet, TWinControl)
FLX_STD_CLASS(TStatusBar, TWinControl)
FLX_STD_CLASS(TToolBar, TWinControl)
FLX_STD_CLASS(TListView, TWinControl)
FLX_STD_CLASS(TTreeView, TWinControl)
FLX_STD_CLASS(TStringGrid, TCustomControl)
FLX_STD_CLASS(TUpDown, TWinControl)
FLX_STD_CLASS(TTrackBar, TWinControl)
FLX_STD_CLASS(TProgressBar, TWinControl)
FLX_STD_CLASS(THeaderControl, TWinControl)

// Controls without a window.
FLX_PAINTED_CLASS(TLabel)
FLX_PAINTED_CLASS(TSpeedButton)
FLX_STD_CLASS(TPaintBox, TGraphicControl)
FLX_STD_CLASS(TImage, TGraphicControl)
FLX_PAINTED_CLASS(TShape)
FLX_PAINTED_CLASS(TBevel)
FLX_STD_CLASS(TSplitter, TGraphicControl)

// Non-visual components.
FLX_STD_CLASS(TTimer, TComponent)
FLX_STD_CLASS(TActionList, TComponent)
FLX_STD_CLASS(TImageList, TComponent)
FLX_STD_CLASS(TMainMenu, TComponent)
FLX_STD_CLASS(TPopupMenu, TComponent)
FLX_STD_CLASS(TMenuItem, TComponent)
FLX_STD_CLASS(TOpenDialog, TComponent)
FLX_STD_CLASS(TSaveDialog, TComponent)

// The page control lays its tab sheets over its display area.
class TPageControl : public TWinControl {
  FLX_CLASS(TPageControl)
 public:
  explicit TPageControl(TComponent* owner);
  TRect DisplayRect() const override;
};

// Classes the library does not know, kept as read: a control with a window
// (for unknown classes with child objects or windowed looks), a control
// without one, and a non-visual component.
FLX_STD_CLASS(TGenericWinControl, TCustomControl)
FLX_STD_CLASS(TGenericControl, TGraphicControl)
FLX_STD_CLASS(TGenericComponent, TComponent)

#undef FLX_STD_CLASS
#undef FLX_PAINTED_CLASS

// Registers the classes above (idempotent; called before reading forms).
void RegisterStandardClasses();

}  // namespace flx
