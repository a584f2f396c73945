// Page controls and tab sheets, track bars, progress bars, up-downs, status
// bars, list and tree views, header controls and tool bars.
#include "flexarium/comctrls.h"

#include <algorithm>
#include <cmath>

#include "framework/std_classes.h"

namespace flx {

using namespace std_classes;
using rtti::BoolProp;
using rtti::EnumProp;
using rtti::IntProp;

const TEnumInfo TrackBarOrientationInfo{"TTrackBarOrientation",
                                        {"trHorizontal", "trVertical"}};
const TEnumInfo ProgressBarOrientationInfo{"TProgressBarOrientation",
                                           {"pbHorizontal", "pbVertical"}};
const TEnumInfo UDOrientationInfo{"TUDOrientation",
                                  {"udHorizontal", "udVertical"}};
const TEnumInfo ViewStyleInfo{"TViewStyle",
                              {"vsIcon", "vsSmallIcon", "vsList", "vsReport"}};
const TEnumInfo ToolButtonStyleInfo{
    "TToolButtonStyle",
    {"tbsButton", "tbsCheck", "tbsDropDown", "tbsSeparator", "tbsDivider",
     "tbsTextButton"}};

namespace {

// The items of a collection property (Panels, Columns, Sections) with the
// properties this library reads.
std::vector<TColumnInfo> ReadColumns(const FormValue& collection,
                                     const char* textName) {
  std::vector<TColumnInfo> columns;
  if (collection.kind != FormValue::Kind::Collection) return columns;
  for (const FormCollectionItem& item : collection.items) {
    TColumnInfo c;
    for (const FormProperty& p : item.props) {
      if (SameText(p.name, textName) &&
          p.value.kind == FormValue::Kind::String) {
        c.Caption = Utf16ToUtf8(p.value.str);
      } else if (SameText(p.name, "Width") &&
                 p.value.kind == FormValue::Kind::Integer) {
        c.Width = static_cast<int>(
            std::clamp<std::int64_t>(p.value.integer, 0, 1 << 20));
      } else if (SameText(p.name, "Alignment") &&
                 p.value.kind == FormValue::Kind::Ident) {
        const int a = AlignmentInfo.IndexOf(p.value.text);
        if (a >= 0) c.Alignment = static_cast<TAlignment>(a);
      }
    }
    columns.push_back(std::move(c));
  }
  return columns;
}

FormValue EmptyCollection() {
  FormValue v;
  v.kind = FormValue::Kind::Collection;
  return v;
}

TPropInfo CollectionProp(const char* name, auto member) {
  return rtti::ValueProp(name, TTypeKind::Collection,
                         FormValue::Kind::Collection, member);
}

}  // namespace

// ---- TPageControl, TTabSheet

const TClassInfo& TPageControl::StaticClass() {
  static const TClassInfo info =
      MakeInfo("TPageControl", TWinControl::StaticClass(), kFont,
               FactoryOf<TPageControl>(),
               {rtti::RefProp("ActivePage", &TPageControl::ActivePageName,
                              &TPageControl::SetActivePageName)});
  return info;
}

TPageControl::TPageControl(TComponent* owner) : TWinControl(owner) {
  FWindowClass = u"SysTabControl32";
  FSystemClass = true;
  FClassStyle = win::WS_TABSTOP;
  SetBounds(0, 0, 289, 193);
}

TRect TPageControl::DisplayRect() const {
  // Below the row of tabs, whose height follows the font (the system's tab
  // control gives its display area a top of the text height plus 9).
  const int top = HeldInt(LineHeight(Font()) + 9LL);
  const std::int64_t w = ClientWidth(), h = ClientHeight();
  return {4, top, HeldInt(std::max<std::int64_t>(w - 4, 4)),
          HeldInt(std::max<std::int64_t>(h - 4, top))};
}

std::vector<TTabSheet*> TPageControl::Pages() const {
  std::vector<TTabSheet*> pages;
  for (int i = 0; i < ControlCount(); ++i) {
    if (auto* page = dynamic_cast<TTabSheet*>(Controls(i))) {
      pages.push_back(page);
    }
  }
  return pages;
}

TTabSheet* TPageControl::ActivePage() const {
  const std::vector<TTabSheet*> pages = Pages();
  for (TTabSheet* page : pages) {
    if (!FActivePage.empty() && SameText(page->Name(), FActivePage)) {
      return page;
    }
  }
  return pages.empty() ? nullptr : pages.front();
}

void TPageControl::SetActivePageName(const std::string& name) {
  FActivePage = name;
  if (!ComponentState().Contains(csLoading)) ShowActivePage();
}

void TPageControl::SetActivePage(TTabSheet* page) {
  SetActivePageName(page != nullptr ? page->Name() : std::string());
}

void TPageControl::Loaded() {
  TWinControl::Loaded();
  // Tab sheets store no bounds: every one fills the display area from the
  // start (a window made while the form was read may have hidden some).
  for (TTabSheet* page : Pages()) page->SetVisible(true);
  Realign();
  ShowActivePage();
}

void TPageControl::ShowActivePage() {
  TTabSheet* active = ActivePage();
  const std::vector<TTabSheet*> pages = Pages();
  // The new page shows before the old one hides, so the area never shows
  // through.
  if (active != nullptr) active->SetVisible(true);
  for (TTabSheet* page : pages) {
    if (page != active) page->SetVisible(false);
  }
  if (HandleAllocated() && active != nullptr) {
    const auto at = std::find(pages.begin(), pages.end(), active);
    win::SendMessageW(FHandle, win::TCM_SETCURSEL,
                      static_cast<win::WPARAM>(at - pages.begin()), 0);
  }
}

void TPageControl::PagesChanged() {
  if (HandleAllocated()) WindowCreated();
}

win::DWORD TPageControl::WindowStyle() const {
  // The sheets are child windows of the tab control, which must not paint
  // over them.
  return TWinControl::WindowStyle() | win::WS_CLIPCHILDREN;
}

void TPageControl::WindowCreated() {
  using namespace win;
  SendMessageW(FHandle, TCM_DELETEALLITEMS, 0, 0);
  const std::vector<TTabSheet*> pages = Pages();
  for (std::size_t i = 0; i < pages.size(); ++i) {
    std::u16string text = Utf8ToUtf16(WithoutAccelerator(pages[i]->GetText()));
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text.data();
    SendMessageW(FHandle, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
  }
  ShowActivePage();
}

void TPageControl::Notify(win::UINT code) {
  if (code != win::TCN_SELCHANGE) return;
  const auto index =
      static_cast<int>(win::SendMessageW(FHandle, win::TCM_GETCURSEL, 0, 0));
  const std::vector<TTabSheet*> pages = Pages();
  if (index >= 0 && index < static_cast<int>(pages.size())) {
    SetActivePage(pages[static_cast<std::size_t>(index)]);
  }
}

// A tab sheet's bounds and visibility are the page control's to set: never
// stored.
const TClassInfo& TTabSheet::StaticClass() {
  static const TClassInfo info = [] {
    TClassInfo c = MakeInfo("TTabSheet", TWinControl::StaticClass(),
                            kFont | kCaption, FactoryOf<TTabSheet>());
    for (const char* name : {"Left", "Top", "Width", "Height", "Visible"}) {
      TPropInfo p = *GetPropInfo(TControl::StaticClass(), name);
      p.NoDefault = false;
      p.Stored = [](const TPersistent&) { return false; };
      c.Props.insert(c.Props.begin(), std::move(p));
    }
    return c;
  }();
  return info;
}

TTabSheet::TTabSheet(TComponent* owner) : TWinControl(owner) {
  SetAlign(TAlign::alClient);
}

TPageControl* TTabSheet::PageControl() const {
  return dynamic_cast<TPageControl*>(Parent());
}

void TTabSheet::SetParent(TWinControl* parent) {
  TPageControl* before = PageControl();
  TWinControl::SetParent(parent);
  if (before != nullptr) before->PagesChanged();
  if (TPageControl* after = PageControl()) after->PagesChanged();
}

void TTabSheet::SetText(const std::string& v) {
  TWinControl::SetText(v);
  if (TPageControl* pages = PageControl()) pages->PagesChanged();
}

// ---- Ranges: track bars, progress bars, up-downs

const TClassInfo& TRangeControl::StaticClass() {
  static const TClassInfo info =
      MakeInfo("TRangeControl", TWinControl::StaticClass(), 0, {},
               {IntProp("Max", &TRangeControl::Max, &TRangeControl::SetMax),
                IntProp("Min", &TRangeControl::Min, &TRangeControl::SetMin),
                IntProp("Position", &TRangeControl::Position,
                        &TRangeControl::SetPosition)});
  return info;
}

void TRangeControl::SetPosition(int v) {
  FPosition = v;
  if (HandleAllocated()) SendRange();
}

const TClassInfo& TTrackBar::StaticClass() {
  static const TClassInfo info = MakeInfo(
      "TTrackBar", TRangeControl::StaticClass(), 0, FactoryOf<TTrackBar>(),
      {IntProp("Frequency", &TTrackBar::Frequency, &TTrackBar::SetFrequency),
       EnumProp("Orientation", TrackBarOrientationInfo, &TTrackBar::Orientation,
                &TTrackBar::SetOrientation)});
  return info;
}

TTrackBar::TTrackBar(TComponent* owner) : TRangeControl(owner) {
  FWindowClass = u"msctls_trackbar32";
  FSystemClass = true;
  FClassStyle = win::WS_TABSTOP | win::TBS_AUTOTICKS;
  FMax = 10;
  SetBounds(0, 0, 150, 45);
}

win::DWORD TTrackBar::WindowStyle() const {
  return TRangeControl::WindowStyle() |
         (FOrientation == TTrackBarOrientation::trVertical ? win::TBS_VERT : 0);
}

void TTrackBar::SendRange() {
  using namespace win;
  SendMessageW(FHandle, TBM_SETRANGEMIN, FALSE, FMin);
  SendMessageW(FHandle, TBM_SETRANGEMAX, FALSE, FMax);
  SendMessageW(FHandle, TBM_SETTICFREQ, static_cast<WPARAM>(FFrequency), 0);
  SendMessageW(FHandle, TBM_SETPOS, TRUE, FPosition);
}

const TClassInfo& TProgressBar::StaticClass() {
  static const TClassInfo info = MakeInfo(
      "TProgressBar", TRangeControl::StaticClass(), 0,
      FactoryOf<TProgressBar>(),
      {EnumProp("Orientation", ProgressBarOrientationInfo,
                &TProgressBar::Orientation, &TProgressBar::SetOrientation),
       BoolProp("Smooth", &TProgressBar::Smooth, &TProgressBar::SetSmooth)});
  return info;
}

TProgressBar::TProgressBar(TComponent* owner) : TRangeControl(owner) {
  FWindowClass = u"msctls_progress32";
  FSystemClass = true;
  SetBounds(0, 0, 150, 17);
}

win::DWORD TProgressBar::WindowStyle() const {
  using namespace win;
  DWORD style = TRangeControl::WindowStyle();
  if (FSmooth) style |= PBS_SMOOTH;
  if (FOrientation == TProgressBarOrientation::pbVertical) {
    style |= PBS_VERTICAL;
  }
  return style;
}

void TProgressBar::SendRange() {
  using namespace win;
  SendMessageW(FHandle, PBM_SETRANGE32, static_cast<WPARAM>(FMin), FMax);
  SendMessageW(FHandle, PBM_SETPOS, static_cast<WPARAM>(FPosition), 0);
}

const TClassInfo& TUpDown::StaticClass() {
  static const TClassInfo info =
      MakeInfo("TUpDown", TRangeControl::StaticClass(), 0, FactoryOf<TUpDown>(),
               {rtti::RefProp("Associate", &TUpDown::AssociateName,
                              &TUpDown::SetAssociateName),
                EnumProp("Orientation", UDOrientationInfo,
                         &TUpDown::Orientation, &TUpDown::SetOrientation),
                BoolProp("Wrap", &TUpDown::Wrap, &TUpDown::SetWrap)});
  return info;
}

TUpDown::TUpDown(TComponent* owner) : TRangeControl(owner) {
  FWindowClass = u"msctls_updown32";
  FSystemClass = true;
  FClassStyle = win::UDS_SETBUDDYINT | win::UDS_ARROWKEYS;
  SetBounds(0, 0, 16, 24);
}

win::DWORD TUpDown::WindowStyle() const {
  using namespace win;
  // No UDS_ALIGNRIGHT: the up-down stays where the layout puts it rather
  // than moving itself onto its edit and narrowing it.
  DWORD style = TRangeControl::WindowStyle();
  if (FOrientation == TUDOrientation::udHorizontal) style |= UDS_HORZ;
  if (FWrap) style |= UDS_WRAP;
  return style;
}

void TUpDown::SendRange() {
  using namespace win;
  if (!FAssociate.empty() && Owner() != nullptr) {
    auto* buddy =
        dynamic_cast<TWinControl*>(Owner()->FindComponent(FAssociate));
    if (buddy != nullptr && buddy->Parent() != nullptr) {
      SendMessageW(FHandle, UDM_SETBUDDY,
                   reinterpret_cast<WPARAM>(buddy->Handle()), 0);
    }
  }
  SendMessageW(FHandle, UDM_SETRANGE32, static_cast<WPARAM>(FMin), FMax);
  SendMessageW(FHandle, UDM_SETPOS32, 0, FPosition);
}

// ---- TDateTimePicker

const TEnumInfo DateTimeKindInfo{"TDateTimeKind", {"dtkDate", "dtkTime"}};
const TEnumInfo DTDateFormatInfo{"TDTDateFormat", {"dfShort", "dfLong"}};

const TClassInfo& TDateTimePicker::StaticClass() {
  static const TClassInfo info = MakeInfo(
      "TDateTimePicker", TWinControl::StaticClass(), kFont,
      FactoryOf<TDateTimePicker>(),
      {rtti::ValueProp("Date", TTypeKind::Float, FormValue::Kind::Float,
                       &TDateTimePicker::DateValue),
       EnumProp("DateFormat", DTDateFormatInfo, &TDateTimePicker::DateFormat,
                &TDateTimePicker::SetDateFormat),
       EnumProp("Kind", DateTimeKindInfo, &TDateTimePicker::Kind,
                &TDateTimePicker::SetKind),
       BoolProp("ShowCheckbox", &TDateTimePicker::ShowCheckbox,
                &TDateTimePicker::SetShowCheckbox),
       rtti::ValueProp("Time", TTypeKind::Float, FormValue::Kind::Float,
                       &TDateTimePicker::TimeValue)});
  return info;
}

TDateTimePicker::TDateTimePicker(TComponent* owner) : TWinControl(owner) {
  FWindowClass = u"SysDateTimePick32";
  FSystemClass = true;
  FClassStyle = win::WS_TABSTOP;
  // Nothing read yet: not a number, so neither is written back.
  DateValue.kind = FormValue::Kind::String;
  TimeValue.kind = FormValue::Kind::String;
  SetBounds(0, 0, 186, 21);
}

std::optional<win::SYSTEMTIME> TDateTimePicker::Shown() const {
  const bool date = DateValue.kind == FormValue::Kind::Float;
  const bool time = TimeValue.kind == FormValue::Kind::Float;
  if (!date && !time) return std::nullopt;
  const long double d = date ? DateValue.real : TimeValue.real;
  const long double t = time ? TimeValue.real : d;
  // Years 1 to 9999 (the system's range), beyond which nothing is sent.
  if (!(d > -693594.0L && d < 2958466.0L)) return std::nullopt;
  // Days since 30 December 1899, the whole part toward zero and the time
  // the fraction's size whatever the sign (-1.25 is 29 December, 6:00).
  // Counted from 1 March of year 0, the civil date needs no leap tables.
  const long days = static_cast<long>(std::trunc(d)) - 25569 + 719468;
  const long era = (days >= 0 ? days : days - 146096) / 146097;
  const long doe = days - era * 146097;
  const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long mp = (5 * doy + 2) / 153;
  const long month = mp < 10 ? mp + 3 : mp - 9;
  const long year = yoe + era * 400 + (month <= 2 ? 1 : 0);
  win::SYSTEMTIME s{};
  s.wYear = static_cast<win::WORD>(year);
  s.wMonth = static_cast<win::WORD>(month);
  s.wDay = static_cast<win::WORD>(doy - (153 * mp + 2) / 5 + 1);
  // Day 0 was a Saturday; Sunday is 0.
  const long weekday = (static_cast<long>(std::trunc(d)) + 6) % 7;
  s.wDayOfWeek = static_cast<win::WORD>(weekday < 0 ? weekday + 7 : weekday);
  const long seconds =
      std::lround(std::fabs(t - std::trunc(t)) * 86400.0L) % 86400;
  s.wHour = static_cast<win::WORD>(seconds / 3600);
  s.wMinute = static_cast<win::WORD>(seconds / 60 % 60);
  s.wSecond = static_cast<win::WORD>(seconds % 60);
  return s;
}

win::DWORD TDateTimePicker::WindowStyle() const {
  using namespace win;
  DWORD style = TWinControl::WindowStyle();
  if (FKind == TDateTimeKind::dtkTime) {
    style |= DTS_TIMEFORMAT;
  } else if (FDateFormat == TDTDateFormat::dfLong) {
    style |= DTS_LONGDATEFORMAT;
  }
  if (FShowCheckbox) style |= DTS_SHOWNONE;
  return style;
}

void TDateTimePicker::WindowCreated() {
  if (std::optional<win::SYSTEMTIME> t = Shown()) {
    win::SendMessageW(FHandle, win::DTM_SETSYSTEMTIME, win::GDT_VALID,
                      reinterpret_cast<win::LPARAM>(&*t));
  }
}

// ---- TStatusBar

const TClassInfo& TStatusBar::StaticClass() {
  static const TClassInfo info = MakeInfo(
      "TStatusBar", TWinControl::StaticClass(), kFont, FactoryOf<TStatusBar>(),
      {CollectionProp("Panels", &TStatusBar::PanelsValue),
       BoolProp("SimplePanel", &TStatusBar::SimplePanel,
                &TStatusBar::SetSimplePanel),
       rtti::StrProp<TStatusBar>("SimpleText", &TStatusBar::SimpleText,
                                 &TStatusBar::SetSimpleText)});
  return info;
}

TStatusBar::TStatusBar(TComponent* owner)
    : TWinControl(owner), PanelsValue(EmptyCollection()) {
  FWindowClass = u"msctls_statusbar32";
  FSystemClass = true;
  // The layout places the bar (alBottom); the system must not.
  FClassStyle = win::CCS_NOPARENTALIGN | win::CCS_NORESIZE;
  SetBounds(0, 0, 150, 19);
  SetAlign(TAlign::alBottom);
}

std::vector<TStatusBar::Panel> TStatusBar::Panels() const {
  std::vector<Panel> panels;
  for (const TColumnInfo& c : ReadColumns(PanelsValue, "Text")) {
    panels.push_back(Panel{c.Caption, c.Width});
  }
  return panels;
}

void TStatusBar::WindowCreated() {
  using namespace win;
  const std::vector<Panel> panels = Panels();
  if (FSimplePanel || panels.empty()) {
    SendMessageW(FHandle, SB_SIMPLE, TRUE, 0);
    const std::u16string text = Utf8ToUtf16(FSimpleText);
    SendMessageW(FHandle, SB_SETTEXTW, SB_SIMPLEID,
                 reinterpret_cast<LPARAM>(text.c_str()));
    return;
  }
  // Each part ends where the next begins; the last runs to the right end.
  std::vector<int> ends;
  int right = 0;
  for (const Panel& p : panels) ends.push_back(right += p.Width);
  ends.back() = -1;
  SendMessageW(FHandle, SB_SETPARTS, ends.size(),
               reinterpret_cast<LPARAM>(ends.data()));
  for (std::size_t i = 0; i < panels.size(); ++i) {
    const std::u16string text = Utf8ToUtf16(panels[i].Text);
    SendMessageW(FHandle, SB_SETTEXTW, i,
                 reinterpret_cast<LPARAM>(text.c_str()));
  }
}

// ---- TListView, TTreeView, THeaderControl

const TClassInfo& TListView::StaticClass() {
  static const TClassInfo info = MakeInfo(
      "TListView", TBorderedControl::StaticClass(), kFont,
      FactoryOf<TListView>(),
      {CollectionProp("Columns", &TListView::ColumnsValue),
       BoolProp("RowSelect", &TListView::RowSelect, &TListView::SetRowSelect),
       EnumProp("ViewStyle", ViewStyleInfo, &TListView::ViewStyle,
                &TListView::SetViewStyle)});
  return info;
}

TListView::TListView(TComponent* owner)
    : TBorderedControl(owner), ColumnsValue(EmptyCollection()) {
  FWindowClass = u"SysListView32";
  FSystemClass = true;
  FClassStyle = win::WS_TABSTOP | win::LVS_SHOWSELALWAYS;
  SetBounds(0, 0, 250, 150);
}

std::vector<TColumnInfo> TListView::Columns() const {
  return ReadColumns(ColumnsValue, "Caption");
}

win::DWORD TListView::WindowStyle() const {
  using namespace win;
  const DWORD view[] = {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};
  return TBorderedControl::WindowStyle() | view[static_cast<int>(FViewStyle)];
}

void TListView::WindowCreated() {
  using namespace win;
  // Columns from an earlier call go first (at most as many as there are).
  for (std::size_t i = 0; i < 256; ++i) {
    if (SendMessageW(FHandle, LVM_DELETECOLUMN, 0, 0) == 0) break;
  }
  if (FRowSelect) {
    SendMessageW(FHandle, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT,
                 LVS_EX_FULLROWSELECT);
  }
  const std::vector<TColumnInfo> columns = Columns();
  for (std::size_t i = 0; i < columns.size(); ++i) {
    std::u16string text = Utf8ToUtf16(columns[i].Caption);
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    // LVCFMT_LEFT, LVCFMT_RIGHT, LVCFMT_CENTER are 0, 1, 2.
    column.fmt = static_cast<int>(columns[i].Alignment);
    column.cx = columns[i].Width;
    column.pszText = text.data();
    SendMessageW(FHandle, LVM_INSERTCOLUMNW, i,
                 reinterpret_cast<LPARAM>(&column));
  }
}

const TClassInfo& TTreeView::StaticClass() {
  static const TClassInfo info = MakeInfo(
      "TTreeView", TBorderedControl::StaticClass(), kFont,
      FactoryOf<TTreeView>(),
      {BoolProp("ShowButtons", &TTreeView::ShowButtons,
                &TTreeView::SetShowButtons),
       BoolProp("ShowLines", &TTreeView::ShowLines, &TTreeView::SetShowLines),
       BoolProp("ShowRoot", &TTreeView::ShowRoot, &TTreeView::SetShowRoot)});
  return info;
}

TTreeView::TTreeView(TComponent* owner) : TBorderedControl(owner) {
  FWindowClass = u"SysTreeView32";
  FSystemClass = true;
  FClassStyle = win::WS_TABSTOP;
  SetBounds(0, 0, 121, 97);
}

win::DWORD TTreeView::WindowStyle() const {
  using namespace win;
  DWORD style = TBorderedControl::WindowStyle();
  if (FShowLines) style |= TVS_HASLINES;
  if (FShowButtons) style |= TVS_HASBUTTONS;
  if (FShowRoot) style |= TVS_LINESATROOT;
  return style;
}

const TClassInfo& THeaderControl::StaticClass() {
  static const TClassInfo info =
      MakeInfo("THeaderControl", TWinControl::StaticClass(), kFont,
               FactoryOf<THeaderControl>(),
               {CollectionProp("Sections", &THeaderControl::SectionsValue)});
  return info;
}

THeaderControl::THeaderControl(TComponent* owner)
    : TWinControl(owner), SectionsValue(EmptyCollection()) {
  FWindowClass = u"SysHeader32";
  FSystemClass = true;
  FClassStyle = win::HDS_BUTTONS;
  SetBounds(0, 0, 150, 17);
}

std::vector<TColumnInfo> THeaderControl::Sections() const {
  return ReadColumns(SectionsValue, "Text");
}

void THeaderControl::WindowCreated() {
  using namespace win;
  for (std::size_t i = 0; i < 256; ++i) {
    if (SendMessageW(FHandle, HDM_DELETEITEM, 0, 0) == 0) break;
  }
  const std::vector<TColumnInfo> sections = Sections();
  for (std::size_t i = 0; i < sections.size(); ++i) {
    std::u16string text = Utf8ToUtf16(sections[i].Caption);
    HDITEMW item{};
    item.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
    item.cxy = sections[i].Width;
    item.pszText = text.data();
    // HDF_LEFT, HDF_RIGHT, HDF_CENTER are 0, 1, 2.
    item.fmt = HDF_STRING | static_cast<int>(sections[i].Alignment);
    SendMessageW(FHandle, HDM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
  }
}

// ---- TToolBar, TToolButton

const TClassInfo& TToolBar::StaticClass() {
  static const TClassInfo info =
      MakeInfo("TToolBar", TCustomControl::StaticClass(), kFont | kCaption,
               FactoryOf<TToolBar>());
  return info;
}

TToolBar::TToolBar(TComponent* owner) : TCustomControl(owner) {
  SetBounds(0, 0, 150, 29);
}

void TToolBar::PaintWindow(win::HDC dc) {
  using namespace win;
  // The framework's bar has an etched line along its top (EdgeBorders).
  RECT r{0, 0, Width(), Height()};
  DrawEdge(dc, &r, EDGE_ETCHED, BF_TOP);
}

// The bar sets its buttons' heights, and the widths of all but separators
// and dividers: the form file stores neither.
const TClassInfo& TToolButton::StaticClass() {
  static const TClassInfo info = [] {
    TClassInfo c =
        MakeInfo("TToolButton", TGraphicControl::StaticClass(), kCaption,
                 FactoryOf<TToolButton>(),
                 {EnumProp("Style", ToolButtonStyleInfo, &TToolButton::Style,
                           &TToolButton::SetStyle)});
    TPropInfo height = *GetPropInfo(TControl::StaticClass(), "Height");
    height.NoDefault = false;
    height.Stored = [](const TPersistent&) { return false; };
    TPropInfo width = *GetPropInfo(TControl::StaticClass(), "Width");
    width.NoDefault = false;
    width.Stored = [](const TPersistent& o) {
      const TToolButtonStyle s = static_cast<const TToolButton&>(o).Style();
      return s == TToolButtonStyle::tbsSeparator ||
             s == TToolButtonStyle::tbsDivider;
    };
    c.Props.insert(c.Props.begin(), {std::move(width), std::move(height)});
    return c;
  }();
  return info;
}

TToolButton::TToolButton(TComponent* owner) : TGraphicControl(owner) {
  SetBounds(0, 0, 23, 22);
}

void TToolButton::Paint(win::HDC dc) {
  using namespace win;
  RECT r = BoundsOf(*this);
  if (FStyle == TToolButtonStyle::tbsSeparator) return;
  if (FStyle == TToolButtonStyle::tbsDivider) {
    const std::int64_t middle = (std::int64_t{r.left} + r.right) / 2;
    RECT line{HeldInt(middle - 1), r.top, HeldInt(middle + 1), r.bottom};
    DrawEdge(dc, &line, EDGE_ETCHED, BF_LEFT);
    return;
  }
  // The button's image is not drawn: its caption (or its name) stands in.
  DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
  std::string text = GetText();
  if (text.empty()) text = Name();
  DrawCaption(*this, dc, r, DT_CENTER | DT_VCENTER | DT_SINGLELINE, text);
}

}  // namespace flx
