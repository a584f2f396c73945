#include "flexarium/stdctrls.h"

#include "flexarium/winapi.h"
#include "host/framework/rtti_util.h"

namespace flx {

// Shared published properties of the classes that have them.
TPropInfo FontPropInfo() {
  TPropInfo p =
      rtti::ClassProp("Font", TFont::StaticClass(),
                      static_cast<TFont& (TControl::*)()>(&TControl::Font));
  p.Stored = [](const TPersistent& o) {
    return !static_cast<const TControl&>(o).ParentFont();
  };
  return p;
}

TPropInfo ParentFontPropInfo() {
  return rtti::BoolProp("ParentFont", &TControl::ParentFont,
                        &TControl::SetParentFont);
}

TPropInfo CaptionPropInfo() {
  return rtti::StrProp<TControl>(
      "Caption", &TControl::GetText,
      static_cast<void (TControl::*)(const std::string&)>(&TControl::SetText));
}

TPropInfo TextPropInfo() {
  TPropInfo p = CaptionPropInfo();
  p.Name = "Text";
  return p;
}

namespace {

enum Publishes : unsigned { kFont = 1, kCaption = 2, kText = 4 };

TClassInfo MakeInfo(const char* name, const TClassInfo& parent,
                    unsigned publishes, TComponentFactory factory) {
  TClassInfo c{name, &parent, {}, std::move(factory), false};
  if (publishes & kCaption) c.Props.push_back(CaptionPropInfo());
  if (publishes & kFont) {
    c.Props.push_back(FontPropInfo());
    c.Props.push_back(ParentFontPropInfo());
  }
  if (publishes & kText) c.Props.push_back(TextPropInfo());
  return c;
}

template <class T>
TComponentFactory FactoryOf() {
  return [](TComponent* owner) -> TComponent* { return new T(owner); };
}

// Window-class details of a windowed standard control.
constexpr win::DWORD WS_TABSTOP = 0x00010000;
constexpr win::DWORD BS_AUTOCHECKBOX = 0x3;
constexpr win::DWORD BS_AUTORADIOBUTTON = 0x9;
constexpr win::DWORD ES_MULTILINE = 0x4;
constexpr win::DWORD ES_AUTOVSCROLL = 0x40;
constexpr win::DWORD ES_AUTOHSCROLL = 0x80;
constexpr win::DWORD CBS_DROPDOWN = 0x2;
constexpr win::DWORD LBS_NOTIFY = 0x1;
// The framework's list boxes keep the height they are given (IntegralHeight
// is off by default); without it the system trims the height to whole items
// and a rescaled list box ends up shorter than its layout.
constexpr win::DWORD LBS_NOINTEGRALHEIGHT = 0x100;

}  // namespace

#define FLX_STD_INFO(Name, Parent, Publishes)                                 \
  const TClassInfo& Name::StaticClass() {                                     \
    static const TClassInfo info =                                            \
        MakeInfo(#Name, Parent::StaticClass(), Publishes, FactoryOf<Name>()); \
    return info;                                                              \
  }

FLX_STD_INFO(TButton, TWinControl, kFont | kCaption)
FLX_STD_INFO(TBitBtn, TButton, 0)
FLX_STD_INFO(TCheckBox, TWinControl, kFont | kCaption)
FLX_STD_INFO(TRadioButton, TWinControl, kFont | kCaption)
FLX_STD_INFO(TEdit, TWinControl, kFont | kText)
FLX_STD_INFO(TMaskEdit, TEdit, 0)
FLX_STD_INFO(TLabeledEdit, TEdit, 0)
FLX_STD_INFO(TButtonedEdit, TEdit, 0)
FLX_STD_INFO(TMemo, TWinControl, kFont)
FLX_STD_INFO(TRichEdit, TMemo, 0)
FLX_STD_INFO(TComboBox, TWinControl, kFont | kText)
FLX_STD_INFO(TListBox, TWinControl, kFont)
FLX_STD_INFO(TCheckListBox, TListBox, 0)
FLX_STD_INFO(TPanel, TCustomControl, kFont | kCaption)
FLX_STD_INFO(TGroupBox, TCustomControl, kFont | kCaption)
FLX_STD_INFO(TRadioGroup, TGroupBox, 0)
FLX_STD_INFO(TScrollBox, TScrollingWinControl, kFont)
FLX_STD_INFO(TStatusBar, TWinControl, kFont)
FLX_STD_INFO(TToolBar, TWinControl, kFont | kCaption)
FLX_STD_INFO(TListView, TWinControl, kFont)
FLX_STD_INFO(TTreeView, TWinControl, kFont)
FLX_STD_INFO(TStringGrid, TCustomControl, kFont)
FLX_STD_INFO(TUpDown, TWinControl, 0)
FLX_STD_INFO(TTrackBar, TWinControl, 0)
FLX_STD_INFO(TProgressBar, TWinControl, 0)
FLX_STD_INFO(THeaderControl, TWinControl, kFont)
FLX_STD_INFO(TLabel, TGraphicControl, kFont | kCaption)
FLX_STD_INFO(TSpeedButton, TGraphicControl, kFont | kCaption)
FLX_STD_INFO(TPaintBox, TGraphicControl, kFont)
FLX_STD_INFO(TImage, TGraphicControl, 0)
FLX_STD_INFO(TShape, TGraphicControl, 0)
FLX_STD_INFO(TBevel, TGraphicControl, 0)
FLX_STD_INFO(TSplitter, TGraphicControl, 0)
FLX_STD_INFO(TPageControl, TWinControl, kFont)
FLX_STD_INFO(TGenericWinControl, TCustomControl, kFont)
FLX_STD_INFO(TGenericControl, TGraphicControl, kFont)
FLX_STD_INFO(TTimer, TComponent, 0)
FLX_STD_INFO(TActionList, TComponent, 0)
FLX_STD_INFO(TImageList, TComponent, 0)
FLX_STD_INFO(TMainMenu, TComponent, 0)
FLX_STD_INFO(TPopupMenu, TComponent, 0)
FLX_STD_INFO(TMenuItem, TComponent, 0)
FLX_STD_INFO(TOpenDialog, TComponent, 0)
FLX_STD_INFO(TSaveDialog, TComponent, 0)
FLX_STD_INFO(TGenericComponent, TComponent, 0)

#undef FLX_STD_INFO

// A tab sheet's bounds are the page control's to set: never stored.
const TClassInfo& TTabSheet::StaticClass() {
  static const TClassInfo info = [] {
    TClassInfo c = MakeInfo("TTabSheet", TWinControl::StaticClass(),
                            kFont | kCaption, FactoryOf<TTabSheet>());
    for (const char* name : {"Left", "Top", "Width", "Height"}) {
      TPropInfo p = *GetPropInfo(TControl::StaticClass(), name);
      p.NoDefault = false;
      p.Stored = [](const TPersistent&) { return false; };
      c.Props.insert(c.Props.begin(), std::move(p));
    }
    return c;
  }();
  return info;
}

#define FLX_SYSTEM_CTOR(Name, Base, Class, Style, W, H) \
  Name::Name(TComponent* owner) : Base(owner) {         \
    FWindowClass = Class;                               \
    FSystemClass = true;                                \
    FClassStyle = (Style);                              \
    SetBounds(0, 0, W, H);                              \
  }
#define FLX_PLAIN_CTOR(Name, Base, W, H) \
  Name::Name(TComponent* owner) : Base(owner) { SetBounds(0, 0, W, H); }

FLX_SYSTEM_CTOR(TButton, TWinControl, u"BUTTON", WS_TABSTOP, 75, 25)
FLX_PLAIN_CTOR(TBitBtn, TButton, 75, 25)
FLX_SYSTEM_CTOR(TCheckBox, TWinControl, u"BUTTON", WS_TABSTOP | BS_AUTOCHECKBOX,
                97, 17)
FLX_SYSTEM_CTOR(TRadioButton, TWinControl, u"BUTTON",
                WS_TABSTOP | BS_AUTORADIOBUTTON, 113, 17)
FLX_SYSTEM_CTOR(TEdit, TWinControl, u"EDIT", WS_TABSTOP | ES_AUTOHSCROLL, 121,
                21)
FLX_PLAIN_CTOR(TMaskEdit, TEdit, 121, 21)
FLX_PLAIN_CTOR(TLabeledEdit, TEdit, 121, 21)
FLX_PLAIN_CTOR(TButtonedEdit, TEdit, 121, 21)
FLX_SYSTEM_CTOR(TMemo, TWinControl, u"EDIT",
                WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL, 185, 89)
FLX_PLAIN_CTOR(TRichEdit, TMemo, 185, 89)
FLX_SYSTEM_CTOR(TComboBox, TWinControl, u"COMBOBOX", WS_TABSTOP | CBS_DROPDOWN,
                145, 21)
FLX_SYSTEM_CTOR(TListBox, TWinControl, u"LISTBOX",
                WS_TABSTOP | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, 121, 97)
FLX_PLAIN_CTOR(TCheckListBox, TListBox, 121, 97)
FLX_PLAIN_CTOR(TPanel, TCustomControl, 185, 41)
FLX_PLAIN_CTOR(TGroupBox, TCustomControl, 185, 105)
FLX_PLAIN_CTOR(TRadioGroup, TGroupBox, 185, 105)
FLX_PLAIN_CTOR(TScrollBox, TScrollingWinControl, 185, 41)
FLX_PLAIN_CTOR(TToolBar, TWinControl, 150, 29)
FLX_PLAIN_CTOR(TListView, TWinControl, 250, 150)
FLX_PLAIN_CTOR(TTreeView, TWinControl, 121, 97)
FLX_PLAIN_CTOR(TStringGrid, TCustomControl, 320, 120)
FLX_PLAIN_CTOR(TUpDown, TWinControl, 16, 24)
FLX_PLAIN_CTOR(TTrackBar, TWinControl, 150, 45)
FLX_PLAIN_CTOR(TProgressBar, TWinControl, 150, 17)
FLX_PLAIN_CTOR(THeaderControl, TWinControl, 150, 17)
FLX_PLAIN_CTOR(TLabel, TGraphicControl, 65, 13)
FLX_PLAIN_CTOR(TSpeedButton, TGraphicControl, 23, 22)
FLX_PLAIN_CTOR(TPaintBox, TGraphicControl, 105, 105)
FLX_PLAIN_CTOR(TImage, TGraphicControl, 105, 105)
FLX_PLAIN_CTOR(TShape, TGraphicControl, 65, 65)
FLX_PLAIN_CTOR(TBevel, TGraphicControl, 50, 50)
FLX_PLAIN_CTOR(TSplitter, TGraphicControl, 3, 100)
FLX_PLAIN_CTOR(TGenericWinControl, TCustomControl, 100, 100)
FLX_PLAIN_CTOR(TGenericControl, TGraphicControl, 100, 100)

#undef FLX_SYSTEM_CTOR
#undef FLX_PLAIN_CTOR

// ---- Painting of the controls without a window

using namespace win;

namespace {

// "&&" stands for "&"; a single "&" only marks the accelerator.
std::string WithoutAccelerator(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && ++i == text.size()) break;
    out += text[i];
  }
  return out;
}

RECT BoundsOf(const TControl& c) {
  return RECT{c.Left(), c.Top(), HeldInt(std::int64_t{c.Left()} + c.Width()),
              HeldInt(std::int64_t{c.Top()} + c.Height())};
}

// Draws the caption in the control's font, leaving the background as is.
void DrawCaption(TControl& c, HDC dc, RECT rect, UINT format) {
  const HFONT previousFont = SelectObject(dc, c.Font().Handle());
  const int previousMode = SetBkMode(dc, TRANSPARENT);
  DrawTextW(dc, Utf8ToUtf16(WithoutAccelerator(c.GetText())), &rect,
            format | DT_NOPREFIX);
  SetBkMode(dc, previousMode);
  SelectObject(dc, previousFont);
}

void DrawOutline(const TControl& c, HDC dc) {
  RECT rect = BoundsOf(c);
  // A single outer line in the window-frame colour: a 1-pixel outline.
  DrawEdge(dc, &rect, BDR_RAISEDOUTER, BF_RECT | BF_FLAT | BF_MONO);
}

}  // namespace

void TLabel::Paint(HDC dc) { DrawCaption(*this, dc, BoundsOf(*this), 0); }

void TSpeedButton::Paint(HDC dc) {
  RECT rect = BoundsOf(*this);
  DrawEdge(dc, &rect, EDGE_RAISED, BF_RECT);
  DrawCaption(*this, dc, rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void TShape::Paint(HDC dc) { DrawOutline(*this, dc); }

void TBevel::Paint(HDC dc) { DrawOutline(*this, dc); }

TStatusBar::TStatusBar(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 150, 19);
  SetAlign(TAlign::alBottom);
}

TTabSheet::TTabSheet(TComponent* owner) : TWinControl(owner) {
  SetAlign(TAlign::alClient);
}

TPageControl::TPageControl(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 289, 193);
}

TRect TPageControl::DisplayRect() const {
  // The tabs run along the top; the sheets fill the framed area below.
  int w = ClientWidth(), h = ClientHeight();
  return {4, 24, HeldInt(std::max<std::int64_t>(std::int64_t{w} - 4, 4)),
          HeldInt(std::max<std::int64_t>(std::int64_t{h} - 4, 24))};
}

#define FLX_COMPONENT_CTOR(Name) \
  Name::Name(TComponent* owner) : TComponent(owner) {}
FLX_COMPONENT_CTOR(TTimer)
FLX_COMPONENT_CTOR(TActionList)
FLX_COMPONENT_CTOR(TImageList)
FLX_COMPONENT_CTOR(TMainMenu)
FLX_COMPONENT_CTOR(TPopupMenu)
FLX_COMPONENT_CTOR(TMenuItem)
FLX_COMPONENT_CTOR(TOpenDialog)
FLX_COMPONENT_CTOR(TSaveDialog)
FLX_COMPONENT_CTOR(TGenericComponent)
#undef FLX_COMPONENT_CTOR

void RegisterStandardClasses() {
  for (const TClassInfo* c :
       {&TForm::StaticClass(),          &TFrame::StaticClass(),
        &TButton::StaticClass(),        &TBitBtn::StaticClass(),
        &TCheckBox::StaticClass(),      &TRadioButton::StaticClass(),
        &TEdit::StaticClass(),          &TMaskEdit::StaticClass(),
        &TLabeledEdit::StaticClass(),   &TButtonedEdit::StaticClass(),
        &TMemo::StaticClass(),          &TRichEdit::StaticClass(),
        &TComboBox::StaticClass(),      &TListBox::StaticClass(),
        &TCheckListBox::StaticClass(),  &TPanel::StaticClass(),
        &TGroupBox::StaticClass(),      &TRadioGroup::StaticClass(),
        &TScrollBox::StaticClass(),     &TTabSheet::StaticClass(),
        &TStatusBar::StaticClass(),     &TToolBar::StaticClass(),
        &TListView::StaticClass(),      &TTreeView::StaticClass(),
        &TStringGrid::StaticClass(),    &TUpDown::StaticClass(),
        &TTrackBar::StaticClass(),      &TProgressBar::StaticClass(),
        &THeaderControl::StaticClass(), &TLabel::StaticClass(),
        &TSpeedButton::StaticClass(),   &TPaintBox::StaticClass(),
        &TImage::StaticClass(),         &TShape::StaticClass(),
        &TBevel::StaticClass(),         &TSplitter::StaticClass(),
        &TPageControl::StaticClass(),   &TTimer::StaticClass(),
        &TActionList::StaticClass(),    &TImageList::StaticClass(),
        &TMainMenu::StaticClass(),      &TPopupMenu::StaticClass(),
        &TMenuItem::StaticClass(),      &TOpenDialog::StaticClass(),
        &TSaveDialog::StaticClass()}) {
    RegisterClass(*c);
  }
}

}  // namespace flx
