// The standard controls (buttons, check boxes, edits, lists, labels), the
// type information the standard classes share, the painting helpers of the
// controls the framework draws, and the class registry.
//
// Sections: shared published properties; TBorderedControl; buttons; edits;
// lists; texts; others; painting helpers; registry.
#include "flexarium/stdctrls.h"

#include <algorithm>

#include "framework/std_classes.h"

namespace flx {

using namespace std_classes;

// ---- Shared published properties

namespace std_classes {

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

TClassInfo MakeInfo(const char* name, const TClassInfo& parent,
                    unsigned publishes, TComponentFactory factory,
                    std::vector<TPropInfo> own) {
  TClassInfo c{name, &parent, {}, std::move(factory), false};
  if (publishes & kCaption) c.Props.push_back(CaptionPropInfo());
  if (publishes & kFont) {
    c.Props.push_back(FontPropInfo());
    c.Props.push_back(ParentFontPropInfo());
  }
  if (publishes & kText) c.Props.push_back(TextPropInfo());
  for (TPropInfo& p : own) c.Props.push_back(std::move(p));
  return c;
}

}  // namespace std_classes

const TEnumInfo CheckBoxStateInfo{"TCheckBoxState",
                                  {"cbUnchecked", "cbChecked", "cbGrayed"}};
const TEnumInfo ScrollStyleInfo{
    "TScrollStyle", {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"}};
const TEnumInfo ComboBoxStyleInfo{"TComboBoxStyle",
                                  {"csDropDown", "csSimple", "csDropDownList",
                                   "csOwnerDrawFixed", "csOwnerDrawVariable"}};
const TEnumInfo TextLayoutInfo{"TTextLayout",
                               {"tlTop", "tlCenter", "tlBottom"}};
const TEnumInfo StaticBorderStyleInfo{"TStaticBorderStyle",
                                      {"sbsNone", "sbsSingle", "sbsSunken"}};

namespace {

using rtti::BoolProp;
using rtti::EnumProp;
using rtti::IntProp;

std::u16string Unicode(const std::string& text) { return Utf8ToUtf16(text); }

// Fills a list window: its lines, then the selection.
void FillList(win::HWND wnd, win::UINT reset, win::UINT add,
              const std::vector<std::u16string>& lines) {
  using namespace win;
  SendMessageW(wnd, reset, 0, 0);
  for (const std::u16string& line : lines) {
    SendMessageW(wnd, add, 0, reinterpret_cast<LPARAM>(line.c_str()));
  }
}

}  // namespace

// ---- TBorderedControl

const TClassInfo& TBorderedControl::StaticClass() {
  static const TClassInfo info = MakeInfo(
      "TBorderedControl", TWinControl::StaticClass(), 0, {},
      {EnumProp("BorderStyle", BorderStyleInfo, &TBorderedControl::BorderStyle,
                &TBorderedControl::SetBorderStyle),
       BoolProp("Ctl3D", &TBorderedControl::Ctl3D,
                &TBorderedControl::SetCtl3D)});
  return info;
}

win::DWORD TBorderedControl::WindowStyle() const {
  win::DWORD style = TWinControl::WindowStyle();
  if (FBorderStyle == TBorderStyle::bsSingle && !FCtl3D) {
    style |= win::WS_BORDER;
  }
  return style;
}

win::DWORD TBorderedControl::WindowExStyle() const {
  return FBorderStyle == TBorderStyle::bsSingle && FCtl3D
             ? win::WS_EX_CLIENTEDGE
             : 0;
}

// ---- Buttons

const TClassInfo& TButton::StaticClass() {
  static const TClassInfo info =
      MakeInfo("TButton", TWinControl::StaticClass(), kFont | kCaption,
               FactoryOf<TButton>());
  return info;
}

TButton::TButton(TComponent* owner) : TWinControl(owner) {
  FWindowClass = u"BUTTON";
  FSystemClass = true;
  FClassStyle = win::WS_TABSTOP;
  SetBounds(0, 0, 75, 25);
}

const TClassInfo& TBitBtn::StaticClass() {
  static const TClassInfo info =
      MakeInfo("TBitBtn", TButton::StaticClass(), 0, FactoryOf<TBitBtn>());
  return info;
}

TBitBtn::TBitBtn(TComponent* owner) : TButton(owner) {}

const TClassInfo& TSpeedButton::StaticClass() {
  static const TClassInfo info =
      MakeInfo("TSpeedButton", TGraphicControl::StaticClass(), kFont | kCaption,
               FactoryOf<TSpeedButton>());
  return info;
}

TSpeedButton::TSpeedButton(TComponent* owner) : TGraphicControl(owner) {
  SetBounds(0, 0, 23, 22);
}

void TSpeedButton::Paint(win::HDC dc) {
  using namespace win;
  RECT rect = BoundsOf(*this);
  DrawEdge(dc, &rect, EDGE_RAISED, BF_RECT);
  DrawCaption(*this, dc, rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE,
              GetText());
}

const TClassInfo& TCheckBox::StaticClass() {
  static const TClassInfo info = MakeInfo(
      "TCheckBox", TWinControl::StaticClass(), kFont | kCaption,
      FactoryOf<TCheckBox>(),
      {EnumProp("Alignment", LeftRightInfo, &TCheckBox::Alignment,
                &TCheckBox::SetAlignment),
       BoolProp("Checked", &TCheckBox::Checked, &TCheckBox::SetChecked),
       EnumProp("State", CheckBoxStateInfo, &TCheckBox::State,
                &TCheckBox::SetState)});
  return info;
}

TCheckBox::TCheckBox(TComponent* owner) : TWinControl(owner) {
  FWindowClass = u"BUTTON";
  FSystemClass = true;
  FClassStyle = win::WS_TABSTOP;
  SetBounds(0, 0, 97, 17);
}

void TCheckBox::SetChecked(bool v) {
  SetState(v ? TCheckBoxState::cbChecked : TCheckBoxState::cbUnchecked);
}

void TCheckBox::SetState(TCheckBoxState v) {
  FState = v;
  if (HandleAllocated()) WindowCreated();
}

win::DWORD TCheckBox::WindowStyle() const {
  using namespace win;
  // A grayed box needs the three-state kind of button to show it.
  DWORD style =
      TWinControl::WindowStyle() |
      (FState == TCheckBoxState::cbGrayed ? BS_AUTO3STATE : BS_AUTOCHECKBOX);
  if (FAlignment == TAlignment::taLeftJustify) style |= BS_LEFTTEXT;
  return style;
}

void TCheckBox::WindowCreated() {
  using namespace win;
  const WPARAM check = FState == TCheckBoxState::cbChecked  ? BST_CHECKED
                       : FState == TCheckBoxState::cbGrayed ? BST_INDETERMINATE
                                                            : BST_UNCHECKED;
  SendMessageW(FHandle, BM_SETCHECK, check, 0);
}

const TClassInfo& TRadioButton::StaticClass() {
  static const TClassInfo info = MakeInfo(
      "TRadioButton", TWinControl::StaticClass(), kFont | kCaption,
      FactoryOf<TRadioButton>(),
      {EnumProp("Alignment", LeftRightInfo, &TRadioButton::Alignment,
                &TRadioButton::SetAlignment),
       BoolProp("Checked", &TRadioButton::Checked, &TRadioButton::SetChecked)});
  return info;
}

TRadioButton::TRadioButton(TComponent* owner) : TWinControl(owner) {
  FWindowClass = u"BUTTON";
  FSystemClass = true;
  FClassStyle = win::WS_TABSTOP;
  SetBounds(0, 0, 113, 17);
}

void TRadioButton::SetChecked(bool v) {
  FChecked = v;
  if (HandleAllocated()) WindowCreated();
}

win::DWORD TRadioButton::WindowStyle() const {
  using namespace win;
  DWORD style = TWinControl::WindowStyle() | BS_AUTORADIOBUTTON;
  if (FAlignment == TAlignment::taLeftJustify) style |= BS_LEFTTEXT;
  return style;
}

void TRadioButton::WindowCreated() {
  using namespace win;
  SendMessageW(FHandle, BM_SETCHECK, FChecked ? BST_CHECKED : BST_UNCHECKED, 0);
}

// ---- Edits

const TClassInfo& TEdit::StaticClass() {
  static const TClassInfo info =
      MakeInfo("TEdit", TBorderedControl::StaticClass(), kFont | kText,
               FactoryOf<TEdit>(),
               {BoolProp("ReadOnly", &TEdit::ReadOnly, &TEdit::SetReadOnly)});
  return info;
}

TEdit::TEdit(TComponent* owner) : TBorderedControl(owner) {
  FWindowClass = u"EDIT";
  FSystemClass = true;
  FClassStyle = win::WS_TABSTOP | win::ES_AUTOHSCROLL;
  SetBounds(0, 0, 121, 21);
}

win::DWORD TEdit::WindowStyle() const {
  return TBorderedControl::WindowStyle() | (FReadOnly ? win::ES_READONLY : 0);
}

#define FLX_DERIVED_CLASS(Name, Base)                               \
  const TClassInfo& Name::StaticClass() {                           \
    static const TClassInfo info =                                  \
        MakeInfo(#Name, Base::StaticClass(), 0, FactoryOf<Name>()); \
    return info;                                                    \
  }                                                                 \
  Name::Name(TComponent* owner) : Base(owner) {}
FLX_DERIVED_CLASS(TMaskEdit, TEdit)
FLX_DERIVED_CLASS(TButtonedEdit, TEdit)
FLX_DERIVED_CLASS(TLabeledEdit, TEdit)
FLX_DERIVED_CLASS(TRichEdit, TMemo)
FLX_DERIVED_CLASS(TCheckListBox, TListBox)
#undef FLX_DERIVED_CLASS

const TClassInfo& TMemo::StaticClass() {
  static const TClassInfo info = MakeInfo(
      "TMemo", TBorderedControl::StaticClass(), kFont, FactoryOf<TMemo>(),
      {StringsProp("Lines", static_cast<TStrings& (TMemo::*)()>(&TMemo::Lines)),
       BoolProp("ReadOnly", &TMemo::ReadOnly, &TMemo::SetReadOnly),
       EnumProp("ScrollBars", ScrollStyleInfo, &TMemo::ScrollBars,
                &TMemo::SetScrollBars),
       BoolProp("WordWrap", &TMemo::WordWrap, &TMemo::SetWordWrap)});
  return info;
}

TMemo::TMemo(TComponent* owner)
    : TBorderedControl(owner), FLines(std::make_unique<TStrings>()) {
  FWindowClass = u"EDIT";
  FSystemClass = true;
  FClassStyle = win::WS_TABSTOP;
  FLines->OnChange = [this] {
    if (HandleAllocated()) WindowCreated();
  };
  SetBounds(0, 0, 185, 89);
}

win::DWORD TMemo::WindowStyle() const {
  using namespace win;
  DWORD style = TBorderedControl::WindowStyle() | ES_MULTILINE |
                ES_AUTOVSCROLL | ES_WANTRETURN;
  // Without word wrap the lines run on to the right.
  if (!FWordWrap) style |= ES_AUTOHSCROLL;
  if (FScrollBars == TScrollStyle::ssVertical ||
      FScrollBars == TScrollStyle::ssBoth) {
    style |= WS_VSCROLL;
  }
  if (FScrollBars == TScrollStyle::ssHorizontal ||
      FScrollBars == TScrollStyle::ssBoth) {
    style |= WS_HSCROLL;
  }
  if (FReadOnly) style |= ES_READONLY;
  return style;
}

void TMemo::WindowCreated() { win::SetWindowTextW(FHandle, FLines->Text()); }

// ---- Lists

const TClassInfo& TComboBox::StaticClass() {
  static const TClassInfo info = MakeInfo(
      "TComboBox", TWinControl::StaticClass(), kFont | kText,
      FactoryOf<TComboBox>(),
      {StringsProp("Items",
                   static_cast<TStrings& (TComboBox::*)()>(&TComboBox::Items)),
       IntProp("ItemIndex", &TComboBox::ItemIndex, &TComboBox::SetItemIndex),
       BoolProp("Sorted", &TComboBox::Sorted, &TComboBox::SetSorted),
       EnumProp("Style", ComboBoxStyleInfo, &TComboBox::Style,
                &TComboBox::SetStyle)});
  return info;
}

TComboBox::TComboBox(TComponent* owner)
    : TWinControl(owner), FItems(std::make_unique<TStrings>()) {
  FWindowClass = u"COMBOBOX";
  FSystemClass = true;
  FClassStyle = win::WS_TABSTOP;
  FItems->OnChange = [this] {
    if (HandleAllocated()) WindowCreated();
  };
  SetBounds(0, 0, 145, 21);
}

std::string TComboBox::DisplayText() const {
  if (FItemIndex >= 0 && FItemIndex < FItems->Count()) {
    return FItems->Strings(FItemIndex);
  }
  return GetText();
}

win::DWORD TComboBox::WindowStyle() const {
  using namespace win;
  DWORD style = TWinControl::WindowStyle() | WS_VSCROLL;
  switch (FStyle) {
    case TComboBoxStyle::csDropDown:
      style |= CBS_DROPDOWN | CBS_AUTOHSCROLL;
      break;
    case TComboBoxStyle::csSimple:
      style |= CBS_SIMPLE | CBS_AUTOHSCROLL;
      break;
    default:
      // Owner-drawn lists show their items as text.
      style |= CBS_DROPDOWNLIST;
      break;
  }
  if (FSorted) style |= CBS_SORT;
  return style;
}

void TComboBox::WindowCreated() {
  using namespace win;
  FillList(FHandle, CB_RESETCONTENT, CB_ADDSTRING, FItems->Lines());
  if (FItemIndex >= 0 && FItemIndex < FItems->Count()) {
    SendMessageW(FHandle, CB_SETCURSEL, static_cast<WPARAM>(FItemIndex), 0);
    return;
  }
  const std::u16string text = Unicode(GetText());
  if (text.empty()) return;
  // The system's combo box ignores the text it is created with; a list
  // without an edit shows the item equal to the text.
  if (FStyle == TComboBoxStyle::csDropDown ||
      FStyle == TComboBoxStyle::csSimple) {
    SetWindowTextW(FHandle, text);
  } else {
    const LRESULT found =
        SendMessageW(FHandle, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(text.c_str()));
    if (found >= 0) {
      SendMessageW(FHandle, CB_SETCURSEL, static_cast<WPARAM>(found), 0);
    }
  }
}

void TComboBox::Notify(win::UINT code) {
  using namespace win;
  if (code != CBN_DROPDOWN) return;
  // The height a combo box is given is that of its list when dropped: as
  // tall as eight items (the framework's DropDownCount), while the closed
  // box keeps the height its font gives it.
  const int items = std::clamp(FItems->Count(), 1, 8);
  const auto itemHeight =
      static_cast<int>(SendMessageW(FHandle, CB_GETITEMHEIGHT, 0, 0));
  SetWindowPos(
      FHandle, nullptr, 0, 0, Width(),
      HeldInt(Height() + std::int64_t{items} * std::clamp(itemHeight, 1, 1000) +
              2),
      SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

namespace {

// The colours a colour box lists, with their names.
struct NamedEntry {
  const char* ident;
  const char* name;
};
const NamedEntry kBoxColors[] = {
    {"clBlack", "Black"}, {"clMaroon", "Maroon"},   {"clGreen", "Green"},
    {"clOlive", "Olive"}, {"clNavy", "Navy"},       {"clPurple", "Purple"},
    {"clTeal", "Teal"},   {"clGray", "Gray"},       {"clSilver", "Silver"},
    {"clRed", "Red"},     {"clLime", "Lime"},       {"clYellow", "Yellow"},
    {"clBlue", "Blue"},   {"clFuchsia", "Fuchsia"}, {"clAqua", "Aqua"},
    {"clWhite", "White"},
};

}  // namespace

const TClassInfo& TColorBox::StaticClass() {
  static const TClassInfo info = [] {
    TPropInfo selected;
    selected.Name = "Selected";
    selected.Kind = TTypeKind::Integer;
    selected.Get = [](const TPersistent& o) {
      return ColorToValue(static_cast<const TColorBox&>(o).Selected());
    };
    selected.Set = [](TPersistent& o, const FormValue& v) {
      static_cast<TColorBox&>(o).SetSelected(ColorFromValue(v));
    };
    return MakeInfo("TColorBox", TWinControl::StaticClass(), kFont,
                    FactoryOf<TColorBox>(), {std::move(selected)});
  }();
  return info;
}

TColorBox::TColorBox(TComponent* owner) : TWinControl(owner) {
  FWindowClass = u"COMBOBOX";
  FSystemClass = true;
  FClassStyle = win::WS_TABSTOP | win::WS_VSCROLL | win::CBS_DROPDOWNLIST;
  SetBounds(0, 0, 145, 22);
}

std::vector<std::string> TColorBox::ColorNames() {
  std::vector<std::string> names;
  for (const NamedEntry& e : kBoxColors) names.emplace_back(e.name);
  return names;
}

std::string TColorBox::SelectedName() const {
  for (const NamedEntry& e : kBoxColors) {
    if (NamedColor(e.ident).Value == FSelected.Value) return e.name;
  }
  return {};
}

void TColorBox::WindowCreated() {
  using namespace win;
  std::vector<std::u16string> lines;
  for (const std::string& name : ColorNames()) lines.push_back(Unicode(name));
  FillList(FHandle, CB_RESETCONTENT, CB_ADDSTRING, lines);
  const std::string selected = SelectedName();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i] == Unicode(selected)) {
      SendMessageW(FHandle, CB_SETCURSEL, i, 0);
    }
  }
}

const TClassInfo& TListBox::StaticClass() {
  static const TClassInfo info = MakeInfo(
      "TListBox", TBorderedControl::StaticClass(), kFont, FactoryOf<TListBox>(),
      {StringsProp("Items",
                   static_cast<TStrings& (TListBox::*)()>(&TListBox::Items)),
       IntProp("ItemIndex", &TListBox::ItemIndex, &TListBox::SetItemIndex),
       BoolProp("Sorted", &TListBox::Sorted, &TListBox::SetSorted)});
  return info;
}

TListBox::TListBox(TComponent* owner)
    : TBorderedControl(owner), FItems(std::make_unique<TStrings>()) {
  FWindowClass = u"LISTBOX";
  FSystemClass = true;
  // The framework's list boxes keep the height they are given
  // (IntegralHeight is off by default); without it the system trims the
  // height to whole items and a rescaled list box ends up shorter than its
  // layout.
  FClassStyle = win::WS_TABSTOP | win::WS_VSCROLL | win::LBS_NOTIFY |
                win::LBS_NOINTEGRALHEIGHT;
  FItems->OnChange = [this] {
    if (HandleAllocated()) WindowCreated();
  };
  SetBounds(0, 0, 121, 97);
}

win::DWORD TListBox::WindowStyle() const {
  return TBorderedControl::WindowStyle() | (FSorted ? win::LBS_SORT : 0);
}

void TListBox::WindowCreated() {
  using namespace win;
  FillList(FHandle, LB_RESETCONTENT, LB_ADDSTRING, FItems->Lines());
  if (FItemIndex >= 0 && FItemIndex < FItems->Count()) {
    SendMessageW(FHandle, LB_SETCURSEL, static_cast<WPARAM>(FItemIndex), 0);
  }
}

// ---- Texts

const TClassInfo& TLabel::StaticClass() {
  static const TClassInfo info = MakeInfo(
      "TLabel", TGraphicControl::StaticClass(), kFont | kCaption,
      FactoryOf<TLabel>(),
      {EnumProp("Alignment", AlignmentInfo, &TLabel::Alignment,
                &TLabel::SetAlignment),
       EnumProp("Layout", TextLayoutInfo, &TLabel::Layout, &TLabel::SetLayout),
       BoolProp("Transparent", &TLabel::Transparent, &TLabel::SetTransparent),
       BoolProp("WordWrap", &TLabel::WordWrap, &TLabel::SetWordWrap)});
  return info;
}

TLabel::TLabel(TComponent* owner) : TGraphicControl(owner) {
  SetBounds(0, 0, 65, 13);
}

void TLabel::Paint(win::HDC dc) {
  using namespace win;
  RECT rect = BoundsOf(*this);
  // An opaque label covers what lies under it with its parent's colour.
  if (!FTransparent) FillSys(dc, rect, COLOR_BTNFACE);
  UINT format = DT_EXPANDTABS | (FWordWrap ? DT_WORDBREAK : 0);
  if (FAlignment == TAlignment::taCenter) format |= DT_CENTER;
  if (FAlignment == TAlignment::taRightJustify) format |= DT_RIGHT;
  const std::string text = GetText();
  if (FLayout != TTextLayout::tlTop) {
    RECT measured = rect;
    const HFONT previous = SelectObject(dc, Font().Handle());
    DrawTextW(dc, Unicode(WithoutAccelerator(text)), &measured,
              format | DT_CALCRECT | DT_NOPREFIX);
    SelectObject(dc, previous);
    const int spare =
        (rect.bottom - rect.top) - (measured.bottom - measured.top);
    rect.top += FLayout == TTextLayout::tlCenter ? spare / 2 : spare;
  }
  DrawCaption(*this, dc, rect, format, text);
}

const TClassInfo& TStaticText::StaticClass() {
  static const TClassInfo info = MakeInfo(
      "TStaticText", TWinControl::StaticClass(), kFont | kCaption,
      FactoryOf<TStaticText>(),
      {EnumProp("Alignment", AlignmentInfo, &TStaticText::Alignment,
                &TStaticText::SetAlignment),
       EnumProp("BorderStyle", StaticBorderStyleInfo, &TStaticText::BorderStyle,
                &TStaticText::SetBorderStyle)});
  return info;
}

TStaticText::TStaticText(TComponent* owner) : TWinControl(owner) {
  FWindowClass = u"STATIC";
  FSystemClass = true;
  SetBounds(0, 0, 65, 17);
}

win::DWORD TStaticText::WindowStyle() const {
  using namespace win;
  DWORD style = TWinControl::WindowStyle();
  if (FAlignment == TAlignment::taCenter) style |= SS_CENTER;
  if (FAlignment == TAlignment::taRightJustify) style |= SS_RIGHT;
  if (FBorderStyle == TStaticBorderStyle::sbsSingle) style |= WS_BORDER;
  if (FBorderStyle == TStaticBorderStyle::sbsSunken) style |= SS_SUNKEN;
  return style;
}

// ---- Others

const TClassInfo& TScrollBox::StaticClass() {
  static const TClassInfo info =
      MakeInfo("TScrollBox", TScrollingWinControl::StaticClass(), kFont,
               FactoryOf<TScrollBox>());
  return info;
}

TScrollBox::TScrollBox(TComponent* owner) : TScrollingWinControl(owner) {
  SetBounds(0, 0, 185, 41);
}

const TClassInfo& TGenericWinControl::StaticClass() {
  static const TClassInfo info =
      MakeInfo("TGenericWinControl", TCustomControl::StaticClass(), kFont,
               FactoryOf<TGenericWinControl>());
  return info;
}

TGenericWinControl::TGenericWinControl(TComponent* owner)
    : TCustomControl(owner) {
  SetBounds(0, 0, 100, 100);
}

void TGenericWinControl::PaintWindow(win::HDC dc) {
  DrawPlaceholder(*this, dc, win::RECT{0, 0, Width(), Height()});
}

const TClassInfo& TGenericControl::StaticClass() {
  static const TClassInfo info =
      MakeInfo("TGenericControl", TGraphicControl::StaticClass(), kFont,
               FactoryOf<TGenericControl>());
  return info;
}

TGenericControl::TGenericControl(TComponent* owner) : TGraphicControl(owner) {
  SetBounds(0, 0, 100, 100);
}

void TGenericControl::Paint(win::HDC dc) {
  DrawPlaceholder(*this, dc, BoundsOf(*this));
}

#define FLX_COMPONENT_CLASS(Name)                                         \
  const TClassInfo& Name::StaticClass() {                                 \
    static const TClassInfo info =                                        \
        MakeInfo(#Name, TComponent::StaticClass(), 0, FactoryOf<Name>()); \
    return info;                                                          \
  }                                                                       \
  Name::Name(TComponent* owner) : TComponent(owner) {}
FLX_COMPONENT_CLASS(TTimer)
FLX_COMPONENT_CLASS(TActionList)
FLX_COMPONENT_CLASS(TImageList)
FLX_COMPONENT_CLASS(TMainMenu)
FLX_COMPONENT_CLASS(TPopupMenu)
FLX_COMPONENT_CLASS(TMenuItem)
FLX_COMPONENT_CLASS(TOpenDialog)
FLX_COMPONENT_CLASS(TSaveDialog)
FLX_COMPONENT_CLASS(TFontDialog)
FLX_COMPONENT_CLASS(TColorDialog)
FLX_COMPONENT_CLASS(TPrintDialog)
FLX_COMPONENT_CLASS(TPrinterSetupDialog)
FLX_COMPONENT_CLASS(TPageSetupDialog)
FLX_COMPONENT_CLASS(TFindDialog)
FLX_COMPONENT_CLASS(TReplaceDialog)
FLX_COMPONENT_CLASS(TGenericComponent)
#undef FLX_COMPONENT_CLASS

// ---- Painting helpers

namespace std_classes {

using namespace win;

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

COLORREF TextColorOf(const TControl& c) {
  return ColorToRGB(c.Font().Color(), GetSysColor(COLOR_WINDOWTEXT));
}

void FillSolid(HDC dc, const RECT& rect, COLORREF color) {
  if (rect.right <= rect.left || rect.bottom <= rect.top) return;
  const COLORREF previous = SetBkColor(dc, color);
  ExtTextOutW(dc, rect.left, rect.top, ETO_OPAQUE, &rect, u"");
  SetBkColor(dc, previous);
}

void FillSys(HDC dc, const RECT& rect, int colorIndex) {
  FillSolid(dc, rect, GetSysColor(colorIndex));
}

void DrawCaption(TControl& c, HDC dc, RECT rect, UINT format,
                 const std::string& text) {
  const HFONT previousFont = SelectObject(dc, c.Font().Handle());
  const int previousMode = SetBkMode(dc, TRANSPARENT);
  const COLORREF previousColor = SetTextColor(dc, TextColorOf(c));
  DrawTextW(dc, Utf8ToUtf16(WithoutAccelerator(text)), &rect,
            format | DT_NOPREFIX);
  SetTextColor(dc, previousColor);
  SetBkMode(dc, previousMode);
  SelectObject(dc, previousFont);
}

int LineHeight(const TFont& font) {
  // The system's fonts keep about a fifth of the character height above
  // the characters (Tahoma at -12 pixels: cells of 14), rounded.
  const std::int64_t h = font.Height();
  return h < 0 ? HeldInt((-h * 6 + 2) / 5) : static_cast<int>(h);
}

void DrawPlaceholder(TControl& c, HDC dc, RECT rect) {
  FillSys(dc, rect, COLOR_WINDOW);
  const COLORREF gray = RGB(0x99, 0x99, 0x99);
  // Dashes of three pixels and gaps of two along each edge (at most the
  // screen's worth: the rest is never seen).
  const std::int64_t right =
      std::min<std::int64_t>(rect.right, rect.left + 8192);
  const std::int64_t bottom =
      std::min<std::int64_t>(rect.bottom, rect.top + 8192);
  for (std::int64_t x = rect.left; x < right; x += 5) {
    const auto l = static_cast<LONG>(x);
    const auto r = static_cast<LONG>(std::min<std::int64_t>(x + 3, rect.right));
    FillSolid(dc, RECT{l, rect.top, r, HeldInt(rect.top + 1LL)}, gray);
    FillSolid(dc, RECT{l, HeldInt(rect.bottom - 1LL), r, rect.bottom}, gray);
  }
  for (std::int64_t y = rect.top; y < bottom; y += 5) {
    const auto t = static_cast<LONG>(y);
    const auto b =
        static_cast<LONG>(std::min<std::int64_t>(y + 3, rect.bottom));
    FillSolid(dc, RECT{rect.left, t, HeldInt(rect.left + 1LL), b}, gray);
    FillSolid(dc, RECT{HeldInt(rect.right - 1LL), t, rect.right, b}, gray);
  }
  std::string text = c.GetText();
  if (text.empty()) text = c.Name() + ": " + c.ClassName();
  RECT inner{HeldInt(rect.left + 4LL), HeldInt(rect.top + 2LL),
             HeldInt(rect.right - 2LL), HeldInt(rect.bottom - 2LL)};
  DrawCaption(c, dc, inner, DT_WORDBREAK | DT_END_ELLIPSIS, text);
}

}  // namespace std_classes

// ---- Registry

void RegisterStandardClasses() {
  for (const TClassInfo* c : {&TForm::StaticClass(),
                              &TFrame::StaticClass(),
                              &TButton::StaticClass(),
                              &TBitBtn::StaticClass(),
                              &TSpeedButton::StaticClass(),
                              &TCheckBox::StaticClass(),
                              &TRadioButton::StaticClass(),
                              &TEdit::StaticClass(),
                              &TMaskEdit::StaticClass(),
                              &TLabeledEdit::StaticClass(),
                              &TButtonedEdit::StaticClass(),
                              &TMemo::StaticClass(),
                              &TRichEdit::StaticClass(),
                              &TComboBox::StaticClass(),
                              &TColorBox::StaticClass(),
                              &TListBox::StaticClass(),
                              &TCheckListBox::StaticClass(),
                              &TLabel::StaticClass(),
                              &TStaticText::StaticClass(),
                              &TScrollBox::StaticClass(),
                              &TPanel::StaticClass(),
                              &TGroupBox::StaticClass(),
                              &TRadioGroup::StaticClass(),
                              &TImage::StaticClass(),
                              &TShape::StaticClass(),
                              &TBevel::StaticClass(),
                              &TPaintBox::StaticClass(),
                              &TSplitter::StaticClass(),
                              &TPageControl::StaticClass(),
                              &TTabSheet::StaticClass(),
                              &TTrackBar::StaticClass(),
                              &TProgressBar::StaticClass(),
                              &TDateTimePicker::StaticClass(),
                              &TUpDown::StaticClass(),
                              &TStatusBar::StaticClass(),
                              &TListView::StaticClass(),
                              &TTreeView::StaticClass(),
                              &THeaderControl::StaticClass(),
                              &TToolBar::StaticClass(),
                              &TToolButton::StaticClass(),
                              &TStringGrid::StaticClass(),
                              &TValueListEditor::StaticClass(),
                              &TTimer::StaticClass(),
                              &TActionList::StaticClass(),
                              &TImageList::StaticClass(),
                              &TMainMenu::StaticClass(),
                              &TPopupMenu::StaticClass(),
                              &TMenuItem::StaticClass(),
                              &TOpenDialog::StaticClass(),
                              &TSaveDialog::StaticClass(),
                              &TFontDialog::StaticClass(),
                              &TColorDialog::StaticClass(),
                              &TPrintDialog::StaticClass(),
                              &TPrinterSetupDialog::StaticClass(),
                              &TPageSetupDialog::StaticClass(),
                              &TFindDialog::StaticClass(),
                              &TReplaceDialog::StaticClass()}) {
    RegisterClass(*c);
  }
}

}  // namespace flx
