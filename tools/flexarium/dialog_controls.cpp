#include "dialog_controls.h"

#include <cstdint>

#include "flexarium/sysutils.h"
#include "flexarium/winapi.h"
#include "flexarium/window_system.h"

namespace flexarium_cli {

namespace {

namespace win = flx::win;

// Button types (the low four bits of a button's style).
constexpr win::DWORD kBsPushButton = 0x0;
constexpr win::DWORD kBsDefPushButton = 0x1;
constexpr win::DWORD kBsCheckBox = 0x2;
constexpr win::DWORD kBsRadioButton = 0x4;
constexpr win::DWORD kBs3State = 0x5;
constexpr win::DWORD kBsGroupBox = 0x7;
constexpr win::DWORD kBsOwnerDraw = 0xB;
constexpr win::DWORD kBsTypeMask = 0xF;
// Static types (the low five bits of a static's style).
constexpr win::DWORD kSsTypeMask = 0x1F;
constexpr win::DWORD kSsIcon = 0x3;
constexpr win::DWORD kSsBlackRect = 0x4;
constexpr win::DWORD kSsGrayRect = 0x5;
constexpr win::DWORD kSsWhiteRect = 0x6;
constexpr win::DWORD kSsBlackFrame = 0x7;
constexpr win::DWORD kSsGrayFrame = 0x8;
constexpr win::DWORD kSsWhiteFrame = 0x9;
constexpr win::DWORD kSsSimple = 0xB;
constexpr win::DWORD kSsLeftNoWordWrap = 0xC;
constexpr win::DWORD kSsOwnerDraw = 0xD;
constexpr win::DWORD kSsBitmap = 0xE;
constexpr win::DWORD kSsEnhMetaFile = 0xF;
constexpr win::DWORD kSsEtchedHorz = 0x10;
constexpr win::DWORD kSsEtchedVert = 0x11;
constexpr win::DWORD kSsEtchedFrame = 0x12;
constexpr win::DWORD kWsExStaticEdge = 0x00020000;
constexpr win::DWORD kPbsVertical = 0x4;
constexpr win::DWORD kLvsTypeMask = 0x3;
constexpr int kMaxColumns = 256;

bool is(const std::string& cls, const char* name) {
  return flx::SameText(cls, name);
}

void readButton(win::HWND wnd, win::DWORD style, ControlLayout& l) {
  const win::DWORD type = style & kBsTypeMask;
  if (type == kBsGroupBox) {
    l.look = Look::Group;
  } else if (type == kBsOwnerDraw) {
    l.look = Look::Blank;
    l.drawn = false;
  } else if (type == kBsRadioButton || type == win::BS_AUTORADIOBUTTON) {
    l.look = Look::Radio;
  } else if (type == kBsCheckBox || type == win::BS_AUTOCHECKBOX ||
             type == kBs3State || type == win::BS_AUTO3STATE) {
    l.look = Look::Check;
  } else {
    // Push buttons, default push buttons, and the user, split and command
    // link buttons, which draw as push buttons too.
    static_assert(kBsPushButton == 0 && kBsDefPushButton == 1);
    l.look = Look::Button;
  }
  if (l.look == Look::Check || l.look == Look::Radio) {
    l.check = static_cast<int>(win::SendMessageW(wnd, win::BM_GETCHECK, 0, 0));
    if (style & win::BS_LEFTTEXT) l.align = "left";
  }
}

// The static types that draw a filled rectangle, a frame or an etched
// line, and what each draws: its fill, its outline or its bevel.
struct StaticShape {
  win::DWORD type;
  Look look;
  const char* fill;
  const char* stroke;
  const char* bevel;
};
constexpr StaticShape kStaticShapes[] = {
    {kSsBlackRect, Look::Shape, "#696969", "", ""},
    {kSsGrayRect, Look::Shape, "#a0a0a0", "", ""},
    {kSsWhiteRect, Look::Shape, "#ffffff", "", ""},
    {kSsBlackFrame, Look::Shape, "", "#696969", ""},
    {kSsGrayFrame, Look::Shape, "", "#a0a0a0", ""},
    {kSsWhiteFrame, Look::Shape, "", "#ffffff", ""},
    {kSsEtchedHorz, Look::Bevel, "", "", "top"},
    {kSsEtchedVert, Look::Bevel, "", "", "left"},
    {kSsEtchedFrame, Look::Bevel, "", "", "frame"},
};

void readStatic(win::DWORD style, ControlLayout& l) {
  const win::DWORD type = style & kSsTypeMask;
  for (const StaticShape& shape : kStaticShapes) {
    if (shape.type != type) continue;
    l.look = shape.look;
    if (*shape.fill) l.fill = shape.fill;
    if (*shape.stroke) l.stroke = shape.stroke;
    if (*shape.bevel) l.bevel = shape.bevel;
    return;
  }
  switch (type) {
    case kSsIcon:
    case kSsBitmap:
    case kSsEnhMetaFile:
      // The picture is the program's resource; the hatched box marks it.
      l.look = Look::Image;
      l.drawn = false;
      return;
    case kSsOwnerDraw:
      l.look = Look::Blank;
      l.drawn = false;
      return;
    default:
      l.look = Look::Static;
      l.align = type == win::SS_CENTER  ? "center"
                : type == win::SS_RIGHT ? "right"
                                        : "left";
      l.wordWrap = type != kSsSimple && type != kSsLeftNoWordWrap;
      if (style & win::SS_SUNKEN) l.bordered = true;
      return;
  }
}

// A list view's column captions and widths, in report view; a list view
// without columns shows its empty white area, as a list box does.
void readListView(win::HWND wnd, win::DWORD style, ControlLayout& l) {
  l.look = Look::List;
  if ((style & kLvsTypeMask) != win::LVS_REPORT) return;
  for (int i = 0; i < kMaxColumns; ++i) {
    char16_t text[260] = {};
    win::LVCOLUMNW column{};
    column.mask = win::LVCF_WIDTH | win::LVCF_TEXT;
    column.pszText = text;
    column.cchTextMax = 259;
    if (!win::SendMessageW(wnd, win::LVM_GETCOLUMNW,
                           static_cast<win::WPARAM>(i),
                           reinterpret_cast<win::LPARAM>(&column))) {
      break;
    }
    l.items.push_back(flx::Utf16ToUtf8(text));
    l.columns.push_back(column.cx);
  }
  if (!l.columns.empty()) l.look = Look::Header;
}

}  // namespace

void readDialogControl(win::HWND wnd, const std::u16string& windowClass,
                       ControlLayout& l) {
  const auto style =
      static_cast<win::DWORD>(win::GetWindowLongPtrW(wnd, win::GWL_STYLE));
  const auto exStyle =
      static_cast<win::DWORD>(win::GetWindowLongPtrW(wnd, win::GWL_EXSTYLE));
  // A template may spell a system class in any letter case (a resource
  // compiler writes them in capitals); GetClassName gives the registered
  // spelling.
  const win::SystemClass* system = win::FindSystemClass(windowClass);
  const std::string cls =
      flx::Utf16ToUtf8(system != nullptr ? system->name : windowClass);
  l.className = cls;
  l.controlId = static_cast<std::int32_t>(
      static_cast<std::uint32_t>(static_cast<unsigned long long>(
          win::GetWindowLongPtrW(wnd, win::GWLP_ID))));
  l.text = flx::Utf16ToUtf8(win::currentWindowSystem().getWindowText(wnd));
  l.bordered = (style & win::WS_BORDER) || (exStyle & win::WS_EX_CLIENTEDGE) ||
               (exStyle & kWsExStaticEdge);
  l.drawn = true;
  if (is(cls, "Button")) {
    readButton(wnd, style, l);
  } else if (is(cls, "Static")) {
    readStatic(style, l);
  } else if (is(cls, "Edit")) {
    l.look = (style & win::ES_MULTILINE) ? Look::Memo : Look::Edit;
  } else if (is(cls, "ListBox")) {
    l.look = Look::List;
  } else if (is(cls, "ComboBox") || is(cls, "ComboBoxEx32")) {
    l.look = Look::Combo;
  } else if (is(cls, "SysListView32")) {
    readListView(wnd, style, l);
  } else if (is(cls, "SysHeader32")) {
    l.look = Look::Header;
  } else if (is(cls, "SysTabControl32")) {
    l.look = Look::Tabs;
    l.itemIndex =
        static_cast<int>(win::SendMessageW(wnd, win::TCM_GETCURSEL, 0, 0));
  } else if (is(cls, "SysTreeView32")) {
    l.look = Look::Tree;
  } else if (is(cls, "SysDateTimePick32")) {
    l.look = Look::Date;
  } else if (is(cls, "msctls_progress32")) {
    l.look = Look::Progress;
    l.rangeMin = 0;
    l.rangeMax = 100;
    l.position =
        static_cast<int>(win::SendMessageW(wnd, win::PBM_GETPOS, 0, 0));
    l.vertical = (style & kPbsVertical) != 0;
  } else if (is(cls, "msctls_trackbar32")) {
    l.look = Look::Track;
    l.rangeMin = 0;
    l.rangeMax = 100;
    l.position =
        static_cast<int>(win::SendMessageW(wnd, win::TBM_GETPOS, 0, 0));
    l.vertical = (style & win::TBS_VERT) != 0;
  } else if (is(cls, "msctls_updown32")) {
    l.look = Look::UpDown;
    l.vertical = (style & win::UDS_HORZ) == 0;
  } else if (is(cls, "msctls_statusbar32")) {
    l.look = Look::Status;
  } else if (is(cls, "ToolbarWindow32")) {
    l.look = Look::ToolBar;
  } else {
    // A scroll bar, and the program's own classes: as the form's generic
    // controls.
    l.look = Look::Generic;
  }
}

}  // namespace flexarium_cli
