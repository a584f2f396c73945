// The simulated dialog manager against what Wine's user32 made of the same
// templates (measured with MinGW probes under Wine 8, fonts-wine's fonts in
// the prefix): base units per font and DPI, dialog units to pixels, the
// frame and the place of the window, the font every control is sent, the
// WM_INITDIALOG parameter, and templates that cannot be made.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "flexarium/sim_desktop.h"
#include "flexarium/winapi.h"

namespace flx {
namespace {

using namespace win;

// ---- Templates written in memory

struct Item {
  DWORD style = WS_VISIBLE;
  short x = 0, y = 0, cx = 10, cy = 10;
  WORD id = 0;
  std::variant<WORD, std::u16string> cls = WORD{0x82};  // Static
  std::u16string title;
};

// A control: style, place and size in dialog units, ID, class.
Item Ctl(DWORD style, short x, short y, short cx, short cy, WORD id,
         std::variant<WORD, std::u16string> cls = WORD{0x82},
         std::u16string title = {}) {
  Item item;
  item.style = style;
  item.x = x;
  item.y = y;
  item.cx = cx;
  item.cy = cy;
  item.id = id;
  item.cls = std::move(cls);
  item.title = std::move(title);
  return item;
}

struct Font {
  WORD points;
  std::u16string face;
};

struct Dialog {
  DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  DWORD exStyle = 0;
  short x = 0, y = 0, cx = 150, cy = 80;
  std::optional<Font> font = Font{8, u"MS Shell Dlg"};
  std::vector<Item> items;
};

class Writer {
 public:
  void word(WORD v) {
    bytes.push_back(static_cast<std::uint8_t>(v & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(v >> 8));
  }
  void dword(DWORD v) {
    word(static_cast<WORD>(v & 0xFFFF));
    word(static_cast<WORD>(v >> 16));
  }
  void text(const std::u16string& s) {
    for (char16_t c : s) word(c);
    word(0);
  }
  void align4() {
    while (bytes.size() % 4 != 0) bytes.push_back(0);
  }
  std::vector<std::uint8_t> bytes;
};

// A standard DLGTEMPLATE (DS_SETFONT added when there is a font).
std::vector<std::uint8_t> Bytes(const Dialog& d) {
  Writer w;
  w.dword(d.style | (d.font ? DS_SETFONT : 0));
  w.dword(d.exStyle);
  w.word(static_cast<WORD>(d.items.size()));
  for (short v : {d.x, d.y, d.cx, d.cy}) w.word(static_cast<WORD>(v));
  w.word(0);  // no menu
  w.word(0);  // the dialog class
  w.text(u"Dialog");
  if (d.font) {
    w.word(d.font->points);
    if (d.font->points != 0x7FFF) w.text(d.font->face);
  }
  for (const Item& item : d.items) {
    w.align4();
    w.dword(item.style);
    w.dword(0);
    for (short v : {item.x, item.y, item.cx, item.cy}) {
      w.word(static_cast<WORD>(v));
    }
    w.word(item.id);
    if (const WORD* ordinal = std::get_if<WORD>(&item.cls)) {
      w.word(0xFFFF);
      w.word(*ordinal);
    } else {
      w.text(std::get<std::u16string>(item.cls));
    }
    w.text(item.title);
    w.word(0);  // no creation data
  }
  return w.bytes;
}

// A desktop with Wine's frame metrics (caption 19, 24 or 28 px, tool
// window caption 16 or 24, sizing frame 4 or 5, dialog frame 3) at one DPI,
// per-monitor aware, no taskbar: what the native tests run on.
sim::DesktopConfig WineDesktop(int dpi, int width = 1920, int height = 1080) {
  sim::DesktopConfig c;
  c.monitors = {sim::MonitorConfig{RECT{0, 0, width, height}, true}};
  c.dpiX = c.dpiY = dpi;
  c.taskbar.edge = sim::TaskbarEdge::None;
  c.captionHeight = dpi == 144 ? 28 : dpi == 120 ? 24 : 19;
  c.smallCaptionHeight = dpi == 144 ? 24 : dpi == 120 ? 20 : 16;
  c.sizeFrame = dpi == 144 ? 5 : 4;
  c.paddedBorder = 0;
  c.fixedFrame = 3;
  c.scaleMetricsWithDpi = false;
  return c;
}

HWND Make(const Dialog& d, HWND owner = nullptr, DLGPROC proc = nullptr,
          LPARAM param = 0) {
  const auto bytes = Bytes(d);
  return CreateDialogIndirectParamW(nullptr, bytes, owner, proc, param);
}

RECT WindowRect(HWND wnd) {
  RECT r{};
  GetWindowRect(wnd, &r);
  return r;
}

RECT ClientRect(HWND wnd) {
  RECT r{};
  GetClientRect(wnd, &r);
  return r;
}

std::string Show(const RECT& r) {
  return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
         std::to_string(r.right) + "," + std::to_string(r.bottom) + ")";
}

// ---- Base units: the dialog font's character dimensions at the DPI

struct BaseCase {
  const char* name;
  std::optional<Font> font;
  int dpi;
  int baseX, baseY;
};

void PrintTo(const BaseCase& c, std::ostream* os) { *os << c.name; }

class DialogBaseUnits : public ::testing::TestWithParam<BaseCase> {};

TEST_P(DialogBaseUnits, ComeFromTheFontAtTheDpi) {
  const BaseCase& c = GetParam();
  sim::ScopedDesktop desktop(WineDesktop(c.dpi));
  Dialog d;
  d.font = c.font;
  // Dialog units of 4 and 8 are one base unit each.
  d.cx = 400;
  d.cy = 800;
  const HWND dlg = Make(d);
  ASSERT_NE(dlg, nullptr) << desktop->lastDialogError();
  RECT r{4, 8, 400, 800};
  ASSERT_TRUE(MapDialogRect(dlg, &r));
  EXPECT_EQ(r.left, c.baseX);
  EXPECT_EQ(r.top, c.baseY);
  const RECT client = ClientRect(dlg);
  EXPECT_EQ(client.right, 100 * c.baseX);
  EXPECT_EQ(client.bottom, 100 * c.baseY);
}

INSTANTIATE_TEST_SUITE_P(
    Fonts, DialogBaseUnits,
    ::testing::Values(
        BaseCase{"ShellDlg8_96", Font{8, u"MS Shell Dlg"}, 96, 6, 13},
        BaseCase{"ShellDlg8_120", Font{8, u"MS Shell Dlg 2"}, 120, 7, 16},
        BaseCase{"ShellDlg8_144", Font{8, u"MS Shell Dlg"}, 144, 9, 19},
        BaseCase{"MsSansSerif8_96", Font{8, u"MS Sans Serif"}, 96, 6, 13},
        BaseCase{"MsSansSerif8_144", Font{8, u"MS Sans Serif"}, 144, 9, 20},
        BaseCase{"Tahoma9_96", Font{9, u"Tahoma"}, 96, 7, 14},
        BaseCase{"Tahoma12_144", Font{12, u"Tahoma"}, 144, 14, 29},
        BaseCase{"SegoeUi9_120", Font{9, u"Segoe UI"}, 120, 9, 17},
        BaseCase{"System8_144_DoesNotScale", Font{8, u"System"}, 144, 8, 16},
        BaseCase{"System14_96_DoesNotScale", Font{14, u"System"}, 96, 8, 16},
        BaseCase{"System14_144_Doubles", Font{14, u"System"}, 144, 17, 32},
        BaseCase{"MessageFont_96", Font{0x7FFF, u""}, 96, 6, 13},
        BaseCase{"NoFont_96", std::nullopt, 96, 8, 16},
        BaseCase{"NoFont_144", std::nullopt, 144, 12, 24}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DialogBaseUnits, WithoutAFontAreGetDialogBaseUnits) {
  for (int dpi : {96, 120, 144}) {
    sim::ScopedDesktop desktop(WineDesktop(dpi));
    const LONG units = GetDialogBaseUnits();
    EXPECT_EQ(LOWORD(static_cast<DWORD>(units)), dpi / 12) << dpi;
    EXPECT_EQ(HIWORD(static_cast<DWORD>(units)), dpi / 6) << dpi;
  }
}

// ---- Dialog units to pixels

struct MapCase {
  const char* name;
  RECT dlu;
  RECT px;
};

void PrintTo(const MapCase& c, std::ostream* os) { *os << c.name; }

class MapDialogRectAt6x13 : public ::testing::TestWithParam<MapCase> {};

TEST_P(MapDialogRectAt6x13, MapsEachEdgeRoundingHalvesAwayFromZero) {
  sim::ScopedDesktop desktop(WineDesktop(96));
  const HWND dlg = Make(Dialog{});
  ASSERT_NE(dlg, nullptr) << desktop->lastDialogError();
  RECT r = GetParam().dlu;
  ASSERT_TRUE(MapDialogRect(dlg, &r));
  EXPECT_EQ(Show(r), Show(GetParam().px));
}

INSTANTIATE_TEST_SUITE_P(
    Edges, MapDialogRectAt6x13,
    ::testing::Values(
        MapCase{"small", {1, 1, 3, 3}, {2, 2, 5, 5}},
        MapCase{"negative_left", {-1, -1, 5, 4}, {-2, -2, 8, 7}},
        MapCase{"halves", {3, 4, 7, 12}, {5, 7, 11, 20}},
        MapCase{"above_half", {5, 5, 11, 13}, {8, 8, 17, 21}},
        MapCase{"all_negative", {-3, -4, -5, -12}, {-5, -7, -8, -20}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MapDialogRect, RefusesAWindowThatIsNoDialog) {
  sim::ScopedDesktop desktop(WineDesktop(96));
  const HWND wnd = CreateWindowExW(0, u"STATIC", u"", WS_POPUP, 0, 0, 10, 10,
                                   nullptr, nullptr);
  RECT r{1, 1, 1, 1};
  EXPECT_FALSE(MapDialogRect(wnd, &r));
  EXPECT_EQ(Show(r), "(1,1,1,1)");
}

// A control's width and height are mapped on their own, not as the
// difference of two mapped edges.
struct ControlCase {
  const char* name;
  int dpi;
  Item item;
  RECT rect;  // in the dialog's client area
};

void PrintTo(const ControlCase& c, std::ostream* os) { *os << c.name; }

class DialogControls : public ::testing::TestWithParam<ControlCase> {};

TEST_P(DialogControls, StandWhereTheTemplateSaysInPixels) {
  const ControlCase& c = GetParam();
  sim::ScopedDesktop desktop(WineDesktop(c.dpi));
  Dialog d;
  d.cx = 300;
  d.cy = 200;
  d.items = {c.item};
  const HWND dlg = Make(d);
  ASSERT_NE(dlg, nullptr) << desktop->lastDialogError();
  const HWND ctl = GetDlgItem(dlg, c.item.id);
  ASSERT_NE(ctl, nullptr);
  EXPECT_EQ(GetDlgCtrlID(ctl), c.item.id);
  // Children's rectangles are kept in the parent's client coordinates.
  RECT r = WindowRect(ctl);
  const RECT dialog = WindowRect(dlg);
  const RECT client = ClientRect(dlg);
  const int frameX = (dialog.right - dialog.left - client.right) / 2;
  const int top = dialog.bottom - dialog.top - client.bottom - frameX;
  OffsetRect(&r, -(dialog.left + frameX), -(dialog.top + top));
  EXPECT_EQ(Show(r), Show(c.rect));
}

constexpr DWORD kListBox = WS_VISIBLE | WS_BORDER | WS_VSCROLL;
constexpr DWORD kCombo = WS_VISIBLE | CBS_DROPDOWNLIST | WS_VSCROLL;

INSTANTIATE_TEST_SUITE_P(
    Items, DialogControls,
    ::testing::Values(
        ControlCase{
            "tiny_6x13", 96, Ctl(WS_VISIBLE, 1, 1, 1, 1, 10), {2, 2, 4, 4}},
        ControlCase{"button_9x19",
                    144,
                    Ctl(WS_VISIBLE, 7, 5, 50, 14, 11, WORD{0x80}, u"OK"),
                    {16, 12, 129, 45}},
        ControlCase{"negative_width_is_none",
                    96,
                    Ctl(WS_VISIBLE, 4, 4, -8, 8, 12),
                    {6, 7, 6, 20}},
        ControlCase{"combo_is_as_high_as_its_edit",
                    96,
                    Ctl(kCombo, 7, 22, 100, 60, 13, WORD{0x85}),
                    {11, 36, 161, 57}},
        ControlCase{"combo_at_144",
                    144,
                    Ctl(kCombo, 7, 22, 100, 60, 13, WORD{0x85}),
                    {16, 52, 241, 79}},
        // Whole rows of the System font's 16 pixels, inside a 2-pixel
        // border: 81 - 4 = 77 pixels hold 4 rows.
        ControlCase{"list_box_shows_whole_rows",
                    96,
                    Ctl(kListBox, 7, 7, 100, 50, 14, WORD{0x83}),
                    {11, 11, 161, 79}},
        ControlCase{"list_box_without_border",
                    96,
                    Ctl(WS_VISIBLE, 7, 7, 100, 50, 14, WORD{0x83}),
                    {11, 11, 161, 91}},
        ControlCase{"list_box_at_144",
                    144,
                    Ctl(kListBox, 7, 7, 100, 50, 14, WORD{0x83}),
                    {16, 17, 241, 133}},
        ControlCase{"etched_line_is_2_wider",
                    96,
                    Ctl(WS_VISIBLE | 0x10, 5, 30, 230, 1, 17),
                    {8, 49, 355, 51}},
        ControlCase{"up_down_is_16_wide",
                    144,
                    Ctl(WS_VISIBLE | 0x02, 87, 7, 11, 12, 16,
                        std::u16string(u"msctls_updown32")),
                    {196, 17, 212, 46}},
        ControlCase{
            "list_box_without_integral_height",
            96,
            Ctl(kListBox | LBS_NOINTEGRALHEIGHT, 7, 7, 100, 50, 14, WORD{0x83}),
            {11, 11, 161, 92}},
        ControlCase{"class_by_name_any_case",
                    96,
                    Ctl(WS_VISIBLE, 2, 2, 20, 8, 15, std::u16string(u"bUtToN")),
                    {3, 3, 33, 16}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DialogControls, AnUpDownTakesTheEditBeforeItAsItsBuddy) {
  sim::ScopedDesktop desktop(WineDesktop(96));
  Dialog d;
  // UDS_AUTOBUDDY | UDS_ALIGNRIGHT | UDS_SETBUDDYINT
  d.items = {Ctl(WS_VISIBLE | WS_BORDER, 7, 7, 40, 12, 50, WORD{0x81}),
             Ctl(WS_VISIBLE | 0x16, 47, 7, 10, 12, 51,
                 std::u16string(u"msctls_updown32"))};
  const HWND dlg = Make(d);
  ASSERT_NE(dlg, nullptr) << desktop->lastDialogError();
  POINT origin{0, 0};
  ClientToScreen(dlg, &origin);
  RECT edit = WindowRect(GetDlgItem(dlg, 50));
  RECT upDown = WindowRect(GetDlgItem(dlg, 51));
  OffsetRect(&edit, -origin.x, -origin.y);
  OffsetRect(&upDown, -origin.x, -origin.y);
  // The edit (11, 11, 71, 31) gives up 16 pixels; the up-down stands over
  // its 2-pixel border.
  EXPECT_EQ(Show(edit), "(11,11,55,31)");
  EXPECT_EQ(Show(upDown), "(53,11,69,31)");
}

TEST(DialogControls, AComboBoxExIsOnePixelHigherThanACombo) {
  sim::ScopedDesktop desktop(WineDesktop(144));
  Dialog d;
  d.items = {Ctl(kCombo, 7, 22, 100, 60, 60, std::u16string(u"ComboBoxEx32"))};
  const HWND dlg = Make(d);
  ASSERT_NE(dlg, nullptr) << desktop->lastDialogError();
  const RECT r = WindowRect(GetDlgItem(dlg, 60));
  EXPECT_EQ(r.bottom - r.top, 28);
}

// Made, the controls go on fitting themselves as the real ones do: a
// drop-down combo box to its font on each new font or size; a list box to
// whole rows of its font's height on each new size (an owner-drawn one
// keeps the System font's rows it was made with).
TEST(DialogControls, CombosAndListBoxesRefitToEachNewFontAndSize) {
  sim::ScopedDesktop desktop(WineDesktop(96));
  constexpr DWORD kOwnerDrawn = 0x10;  // LBS_OWNERDRAWFIXED
  Dialog d;
  d.cx = 300;
  d.cy = 200;
  d.items = {Ctl(kCombo, 7, 7, 100, 60, 1, WORD{0x85}),
             Ctl(kCombo, 7, 27, 100, 60, 2, std::u16string(u"ComboBoxEx32")),
             Ctl(kListBox, 120, 7, 80, 50, 3, WORD{0x83}),
             Ctl(kListBox | kOwnerDrawn, 120, 67, 80, 50, 4, WORD{0x83})};
  const HWND dlg = Make(d);
  ASSERT_NE(dlg, nullptr) << desktop->lastDialogError();
  LOGFONTW lf{};
  lf.lfHeight = -24;
  const std::u16string face = u"Tahoma";
  std::copy(face.begin(), face.end(), lf.lfFaceName);
  const HFONT big = CreateFontIndirectW(&lf);
  const HDC dc = GetDC(nullptr);
  const HFONT old = SelectObject(dc, big);
  TEXTMETRICW tm{};
  ASSERT_TRUE(GetTextMetricsW(dc, &tm));
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  const int row = tm.tmHeight;
  ASSERT_GT(row, 16);
  auto height = [&](int id) {
    const RECT r = WindowRect(GetDlgItem(dlg, id));
    return r.bottom - r.top;
  };
  auto size = [&](int id, int h) {
    SetWindowPos(GetDlgItem(dlg, id), nullptr, 0, 0, 100, h,
                 SWP_NOMOVE | SWP_NOZORDER);
  };
  const int list = height(3), ownerDrawn = height(4);
  for (int id = 1; id <= 4; ++id) {
    SendMessageW(GetDlgItem(dlg, id), WM_SETFONT, reinterpret_cast<WPARAM>(big),
                 0);
  }
  EXPECT_EQ(height(1), row + 8);
  EXPECT_EQ(height(2), row + 9);
  EXPECT_EQ(height(3), list);
  EXPECT_EQ(height(4), ownerDrawn);
  for (int id = 1; id <= 4; ++id) size(id, 4 + 5 * row + 3);
  EXPECT_EQ(height(1), row + 8);
  EXPECT_EQ(height(2), row + 9);
  // Inside their 2-pixel border: 5 rows of the font, or whole rows of 16.
  EXPECT_EQ(height(3), 4 + 5 * row);
  EXPECT_EQ(height(4), 4 + (5 * row + 3) / 16 * 16);
  // A list box no taller than one row is left as it is given.
  size(3, 4 + row - 1);
  EXPECT_EQ(height(3), 4 + row - 1);
  DeleteObject(big);
}

TEST(DialogControls, BorderedEditsAndStaticsGetASunkenEdgeInstead) {
  sim::ScopedDesktop desktop(WineDesktop(96));
  Dialog d;
  d.items = {Ctl(WS_VISIBLE | WS_BORDER, 7, 7, 40, 12, 20, WORD{0x81}),
             Ctl(WS_VISIBLE | WS_BORDER, 7, 27, 40, 12, 21, WORD{0x82}),
             Ctl(WS_VISIBLE | WS_BORDER, 7, 47, 40, 12, 22, WORD{0x80})};
  const HWND dlg = Make(d);
  ASSERT_NE(dlg, nullptr) << desktop->lastDialogError();
  for (int id : {20, 21}) {
    const HWND ctl = GetDlgItem(dlg, id);
    EXPECT_EQ(GetWindowLongPtrW(ctl, GWL_STYLE) & WS_BORDER, 0) << id;
    EXPECT_NE(GetWindowLongPtrW(ctl, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0) << id;
    // The same window, a client area 4 px smaller.
    EXPECT_EQ(ClientRect(ctl).right, 60 - 4) << id;
  }
  EXPECT_NE(GetWindowLongPtrW(GetDlgItem(dlg, 22), GWL_STYLE) & WS_BORDER, 0);
}

// ---- The window: frame and place

struct PlaceCase {
  const char* name;
  int screenW, screenH;
  DWORD style;
  short x, y;
  RECT window;
};

void PrintTo(const PlaceCase& c, std::ostream* os) { *os << c.name; }

class DialogPlacement : public ::testing::TestWithParam<PlaceCase> {};

TEST_P(DialogPlacement, FollowsTheStyles) {
  const PlaceCase& c = GetParam();
  sim::DesktopConfig config = WineDesktop(96, c.screenW, c.screenH);
  config.cursor = POINT{100, 200};
  sim::ScopedDesktop desktop(config);
  Dialog d;
  d.style = c.style;
  d.x = c.x;
  d.y = c.y;
  const HWND dlg = Make(d);
  ASSERT_NE(dlg, nullptr) << desktop->lastDialogError();
  EXPECT_EQ(Show(WindowRect(dlg)), Show(c.window));
  // Whatever the frame, the client area is the template's size.
  EXPECT_EQ(Show(ClientRect(dlg)), "(0,0,225,130)");
}

constexpr DWORD kCaption = WS_POPUP | WS_CAPTION | WS_SYSMENU;

INSTANTIATE_TEST_SUITE_P(
    Styles, DialogPlacement,
    ::testing::Values(
        // The template's x, y are the client origin.
        PlaceCase{"caption",
                  1920,
                  1080,
                  kCaption | DS_MODALFRAME,
                  10,
                  20,
                  {12, 11, 243, 166}},
        PlaceCase{"centred_1024",
                  1024,
                  768,
                  kCaption | DS_MODALFRAME | DS_CENTER,
                  10,
                  20,
                  {396, 306, 627, 461}},
        PlaceCase{"centred_1920",
                  1920,
                  1080,
                  kCaption | DS_MODALFRAME | DS_CENTER,
                  0,
                  0,
                  {844, 462, 1075, 617}},
        PlaceCase{"top_left_at_the_cursor",
                  1920,
                  1080,
                  kCaption | DS_CENTERMOUSE,
                  0,
                  0,
                  {100, 200, 331, 355}},
        PlaceCase{"popup_border",
                  1920,
                  1080,
                  WS_POPUP | WS_BORDER,
                  10,
                  20,
                  {14, 32, 241, 164}},
        PlaceCase{"popup_modal_frame",
                  1920,
                  1080,
                  WS_POPUP | DS_MODALFRAME,
                  10,
                  20,
                  {12, 30, 243, 166}},
        PlaceCase{
            "bare_popup", 1920, 1080, WS_POPUP, 10, 20, {15, 33, 240, 163}},
        PlaceCase{"sizing_frame",
                  1920,
                  1080,
                  kCaption | WS_THICKFRAME,
                  10,
                  20,
                  {11, 10, 244, 167}},
        // Past the right and bottom edges: moved 3 px inside.
        PlaceCase{"kept_on_the_screen",
                  1024,
                  768,
                  kCaption | DS_MODALFRAME,
                  650,
                  500,
                  {790, 610, 1021, 765}},
        PlaceCase{"off_the_top_left",
                  1024,
                  768,
                  kCaption | DS_MODALFRAME,
                  -50,
                  -50,
                  {0, 0, 231, 155}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DialogPlacement, AnOwnedDialogIsPlacedInItsOwnersClientArea) {
  sim::ScopedDesktop desktop(WineDesktop(96));
  const HWND owner =
      CreateWindowExW(0, u"STATIC", u"", WS_POPUP | WS_CAPTION | WS_SYSMENU,
                      300, 200, 400, 300, nullptr, nullptr);
  Dialog d;
  d.style = WS_POPUP;
  d.x = 10;
  d.y = 20;
  const HWND dlg = Make(d, owner);
  ASSERT_NE(dlg, nullptr) << desktop->lastDialogError();
  // The owner's client origin (303, 222) plus (15, 33).
  EXPECT_EQ(Show(WindowRect(dlg)), "(318,255,543,385)");
  EXPECT_EQ(GetParent(dlg), owner);

  d.style = WS_POPUP | DS_ABSALIGN;
  const HWND absolute = Make(d, owner);
  EXPECT_EQ(Show(WindowRect(absolute)), "(15,33,240,163)");
}

TEST(DialogPlacement, AChildPageWithACaptionHasItsFrame) {
  sim::ScopedDesktop desktop(WineDesktop(96));
  const HWND host = CreateWindowExW(0, u"STATIC", u"", WS_POPUP, 100, 100, 800,
                                    600, nullptr, nullptr);
  Dialog d;
  d.style = WS_CHILD | WS_CAPTION | DS_MODALFRAME;
  const HWND page = Make(d, host);
  ASSERT_NE(page, nullptr) << desktop->lastDialogError();
  // The client origin at the template's (0, 0); the frame and caption
  // reach out of the parent's client area.
  EXPECT_EQ(Show(WindowRect(page)), "(97,78,328,233)");
  EXPECT_EQ(Show(ClientRect(page)), "(0,0,225,130)");
}

TEST(DialogPlacement, OnAMonitorOfAnotherDpiTheFontIsMadeForThatDpi) {
  sim::DesktopConfig config = WineDesktop(96);
  config.monitors.push_back(
      sim::MonitorConfig{RECT{1920, 0, 3840, 1080}, false, 144});
  sim::ScopedDesktop desktop(config);
  const HWND owner = CreateWindowExW(0, u"STATIC", u"", WS_POPUP, 2000, 100,
                                     400, 300, nullptr, nullptr);
  ASSERT_EQ(GetDpiForWindow(owner), 144u);
  const HWND dlg = Make(Dialog{}, owner);
  ASSERT_NE(dlg, nullptr) << desktop->lastDialogError();
  RECT r{4, 8, 4, 8};
  MapDialogRect(dlg, &r);
  EXPECT_EQ(Show(r), "(9,19,9,19)");
  EXPECT_EQ(desktop->windowFont(dlg)->lfHeight, -16);
  EXPECT_EQ(GetDpiForWindow(dlg), 144u);
}

// ---- Messages: the font, WM_INITDIALOG

struct Seen {
  std::vector<UINT> messages;
  WPARAM initFocus = 0;
  LPARAM initParam = 0;
};
Seen* g_seen = nullptr;

LONG_PTR FLX_CALLBACK RecordingProc(HWND, UINT msg, WPARAM wp, LPARAM lp) {
  if (g_seen == nullptr) return FALSE;
  g_seen->messages.push_back(msg);
  if (msg == WM_INITDIALOG) {
    g_seen->initFocus = wp;
    g_seen->initParam = lp;
    return TRUE;
  }
  return FALSE;
}

TEST(DialogMessages, FontToTheDialogThenEachControlThenInitDialog) {
  sim::ScopedDesktop desktop(WineDesktop(96));
  Seen seen;
  g_seen = &seen;
  Dialog d;
  d.style |= WS_VISIBLE;
  d.items = {Ctl(WS_VISIBLE, 7, 7, 40, 8, 30),
             Ctl(WS_VISIBLE | WS_TABSTOP, 7, 20, 40, 14, 31, WORD{0x81}),
             Ctl(WS_VISIBLE | WS_TABSTOP, 7, 40, 40, 14, 32, WORD{0x80})};
  int value = 0;
  const HWND dlg =
      Make(d, nullptr, &RecordingProc, reinterpret_cast<LPARAM>(&value));
  g_seen = nullptr;
  ASSERT_NE(dlg, nullptr) << desktop->lastDialogError();

  // The dialog procedure sees the dialog's font, then WM_INITDIALOG with the
  // parameter and the first tab stop.
  ASSERT_GE(seen.messages.size(), 2u);
  EXPECT_EQ(seen.messages.front(), WM_SETFONT);
  EXPECT_EQ(seen.initParam, reinterpret_cast<LPARAM>(&value));
  EXPECT_EQ(seen.initFocus, reinterpret_cast<WPARAM>(GetDlgItem(dlg, 31)));

  // Every control got the dialog's font, before WM_INITDIALOG.
  const auto font = desktop->windowFont(dlg);
  ASSERT_TRUE(font.has_value());
  EXPECT_EQ(font->lfHeight, -11);
  EXPECT_EQ(std::u16string(font->lfFaceName), u"MS Shell Dlg");
  std::vector<HWND> fontTo;
  std::size_t init = 0;
  const auto& messages = desktop->messages();
  for (std::size_t i = 0; i < messages.size(); ++i) {
    if (messages[i].msg == WM_SETFONT) fontTo.push_back(messages[i].wnd);
    if (messages[i].msg == WM_INITDIALOG) init = fontTo.size();
  }
  const std::vector<HWND> expected = {dlg, GetDlgItem(dlg, 30),
                                      GetDlgItem(dlg, 31), GetDlgItem(dlg, 32)};
  EXPECT_EQ(fontTo, expected);
  EXPECT_EQ(init, expected.size());
  for (HWND c : expected) {
    EXPECT_EQ(SendMessageW(c, WM_GETFONT, 0, 0),
              SendMessageW(dlg, WM_GETFONT, 0, 0));
  }
  EXPECT_TRUE(IsWindowVisible(dlg));
}

TEST(DialogMessages, WithoutAFontNoControlIsSentOne) {
  sim::ScopedDesktop desktop(WineDesktop(96));
  Dialog d;
  d.font.reset();
  d.items = {Ctl(WS_VISIBLE, 7, 7, 40, 8, 30)};
  const HWND dlg = Make(d);
  ASSERT_NE(dlg, nullptr) << desktop->lastDialogError();
  for (const auto& m : desktop->messages()) EXPECT_NE(m.msg, WM_SETFONT);
  EXPECT_FALSE(IsWindowVisible(dlg));
}

// ---- Templates that cannot be made

TEST(DialogRefusals, AControlOfAnUnknownClassFailsTheDialog) {
  sim::ScopedDesktop desktop(WineDesktop(96));
  Dialog d;
  d.items = {Ctl(WS_VISIBLE, 7, 7, 40, 8, 40),
             Ctl(WS_VISIBLE, 7, 20, 40, 8, 41, std::u16string(u"NoSuchClass"))};
  const int before = desktop->windowCount();
  EXPECT_EQ(Make(d), nullptr);
  EXPECT_EQ(desktop->windowCount(), before);
  const std::string& why = desktop->lastDialogError();
  EXPECT_NE(why.find("item 2 (ID 41, at byte 0x"), std::string::npos) << why;
  EXPECT_NE(why.find("class \"NoSuchClass\""), std::string::npos) << why;

  // Unless the dialog may go without it; a class the program registers
  // is made.
  d.style |= DS_NOFAILCREATE;
  HWND dlg = Make(d);
  ASSERT_NE(dlg, nullptr) << desktop->lastDialogError();
  EXPECT_NE(GetDlgItem(dlg, 40), nullptr);
  EXPECT_EQ(GetDlgItem(dlg, 41), nullptr);
  d.style &= ~DS_NOFAILCREATE;
  RegisterWindowClass(u"nosuchclass", &DefWindowProcW);
  dlg = Make(d);
  ASSERT_NE(dlg, nullptr) << desktop->lastDialogError();
  EXPECT_NE(GetDlgItem(dlg, 41), nullptr);
  EXPECT_TRUE(desktop->lastDialogError().empty());
}

TEST(DialogRefusals, AMalformedTemplateIsRefusedWithItsOffset) {
  sim::ScopedDesktop desktop(WineDesktop(96));
  Dialog d;
  d.items = {Item{}, Item{}};
  auto bytes = Bytes(d);
  bytes.resize(bytes.size() - 10);
  EXPECT_EQ(CreateDialogIndirectParamW(nullptr, bytes, nullptr, nullptr, 0),
            nullptr);
  const std::string& why = desktop->lastDialogError();
  EXPECT_EQ(why.rfind("dialog template: byte 0x", 0), 0u) << why;
  EXPECT_EQ(desktop->windowCount(), 0);
}

}  // namespace
}  // namespace flx
