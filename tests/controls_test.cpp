// What the standard controls show: the form file's items, check states,
// ranges, pages and borders handed to their windows, and the framework's
// own painting of containers, pictures and controls of unknown classes.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "flexarium/formfile.h"
#include "flexarium/sim_desktop.h"
#include "flexarium/stdctrls.h"
#include "flexarium/winapi.h"

namespace flx {
namespace {

using namespace win;

class Controls : public ::testing::Test {
 public:
  sim::ScopedDesktop desktop;
  std::unique_ptr<TComponent> root;

  // A form holding `controls`; its windows are made.
  TCustomForm& load(const std::string& controls, const std::string& head = "") {
    root = LoadFormText(
        "object F: TForm\n  ClientHeight = 300\n"
        "  ClientWidth = 400\n" +
            head + controls + "end\n",
        "controls.dfm");
    auto& form = static_cast<TCustomForm&>(*root);
    form.HandleNeeded();
    return form;
  }
  HWND window(const char* name) {
    auto* c = dynamic_cast<TWinControl*>(root->FindComponent(name));
    EXPECT_NE(c, nullptr) << name;
    return c != nullptr ? c->Handle() : nullptr;
  }
  LRESULT send(const char* name, UINT msg, WPARAM wp = 0, LPARAM lp = 0) {
    return SendMessageW(window(name), msg, wp, lp);
  }
  DWORD style(const char* name) {
    return static_cast<DWORD>(GetWindowLongPtrW(window(name), GWL_STYLE));
  }
  DWORD exStyle(const char* name) {
    return static_cast<DWORD>(GetWindowLongPtrW(window(name), GWL_EXSTYLE));
  }
};

std::string Object(const std::string& name, const std::string& cls,
                   const std::string& props) {
  return "  object " + name + ": " + cls + "\n" + props + "  end\n";
}

TEST_F(Controls, WindowsGetWhatTheFormFileSays) {
  struct Case {
    const char* name;
    std::string object;
    std::function<void(Controls&)> check;
  };
  const Case cases[] = {
      {"combo box items and the selected one",
       Object("C", "TComboBox",
              "    ItemIndex = 1\n    Items.Strings = (\n      'Japan'\n"
              "      'Germany'\n      'France')\n"),
       [](Controls& t) {
         EXPECT_EQ(t.send("C", CB_GETCOUNT), 3);
         EXPECT_EQ(t.send("C", CB_GETCURSEL), 1);
       }},
      {"a drop-down combo box shows its text",
       Object("C", "TComboBox", "    Text = 'English'\n"),
       [](Controls& t) {
         EXPECT_EQ(t.desktop->getWindowText(t.window("C")), u"English");
         EXPECT_EQ(t.style("C") & 0x3, CBS_DROPDOWN);
       }},
      {"a drop-down list selects the item equal to its text",
       Object("C", "TComboBox",
              "    Style = csDropDownList\n    Text = 'beta'\n"
              "    Items.Strings = (\n      'Alpha'\n      'Beta')\n"),
       [](Controls& t) {
         EXPECT_EQ(t.style("C") & 0x3, CBS_DROPDOWNLIST);
         EXPECT_EQ(t.send("C", CB_GETCURSEL), 1);
       }},
      {"a colour box lists the colours and selects its own",
       Object("C", "TColorBox", "    Selected = clNavy\n"),
       [](Controls& t) {
         EXPECT_EQ(t.send("C", CB_GETCOUNT), 16);
         EXPECT_EQ(t.send("C", CB_GETCURSEL), 4);
       }},
      {"list box items",
       Object("L", "TListBox",
              "    Items.Strings = (\n      'a'\n      'b')\n"
              "    ItemIndex = 0\n"),
       [](Controls& t) {
         EXPECT_EQ(t.send("L", LB_GETCOUNT), 2);
         EXPECT_EQ(t.send("L", LB_GETCURSEL), 0);
         EXPECT_NE(t.exStyle("L") & WS_EX_CLIENTEDGE, 0u);
       }},
      {"a checked check box",
       Object("K", "TCheckBox", "    Checked = True\n    State = cbChecked\n"),
       [](Controls& t) {
         EXPECT_EQ(t.send("K", BM_GETCHECK), static_cast<LRESULT>(BST_CHECKED));
       }},
      {"a grayed check box is a three-state button",
       Object("K", "TCheckBox", "    State = cbGrayed\n"),
       [](Controls& t) {
         EXPECT_EQ(t.send("K", BM_GETCHECK),
                   static_cast<LRESULT>(BST_INDETERMINATE));
         EXPECT_EQ(t.style("K") & 0xF, BS_AUTO3STATE);
       }},
      {"a check box with its text on the left",
       Object("K", "TCheckBox", "    Alignment = taLeftJustify\n"),
       [](Controls& t) { EXPECT_NE(t.style("K") & BS_LEFTTEXT, 0u); }},
      {"a checked radio button",
       Object("R", "TRadioButton", "    Checked = True\n"),
       [](Controls& t) {
         EXPECT_EQ(t.send("R", BM_GETCHECK), static_cast<LRESULT>(BST_CHECKED));
       }},
      {"memo lines",
       Object("M", "TMemo",
              "    Lines.Strings = (\n      'first'\n      'second')\n"
              "    ScrollBars = ssVertical\n"),
       [](Controls& t) {
         EXPECT_EQ(t.desktop->getWindowText(t.window("M")), u"first\r\nsecond");
         EXPECT_NE(t.style("M") & WS_VSCROLL, 0u);
         EXPECT_EQ(t.style("M") & ES_AUTOHSCROLL, 0u);  // word wrap
       }},
      {"an edit without a border",
       Object("E", "TEdit", "    BorderStyle = bsNone\n    ReadOnly = True\n"),
       [](Controls& t) {
         EXPECT_EQ(t.exStyle("E") & WS_EX_CLIENTEDGE, 0u);
         EXPECT_EQ(t.style("E") & WS_BORDER, 0u);
         EXPECT_NE(t.style("E") & ES_READONLY, 0u);
       }},
      {"an edit without Ctl3D has a flat line",
       Object("E", "TEdit", "    Ctl3D = False\n"),
       [](Controls& t) {
         EXPECT_EQ(t.exStyle("E") & WS_EX_CLIENTEDGE, 0u);
         EXPECT_NE(t.style("E") & WS_BORDER, 0u);
       }},
      {"track bar position and range",
       Object("T", "TTrackBar",
              "    Max = 20\n    Position = 7\n    Orientation = trVertical\n"),
       [](Controls& t) {
         EXPECT_EQ(t.send("T", TBM_GETPOS), 7);
         EXPECT_NE(t.style("T") & TBS_VERT, 0u);
       }},
      {"progress bar position",
       Object("P", "TProgressBar", "    Position = 60\n"),
       [](Controls& t) { EXPECT_EQ(t.send("P", PBM_GETPOS), 60); }},
      {"an up-down with its edit",
       Object("E", "TEdit", "") +
           Object("U", "TUpDown", "    Associate = E\n    Position = 42\n"),
       [](Controls& t) {
         EXPECT_EQ(t.send("U", UDM_GETPOS32), 42);
         // It stays where the layout puts it.
         EXPECT_EQ(t.style("U") & 0xC, 0u);  // no UDS_ALIGNRIGHT/LEFT
       }},
      {"page control tabs and the active page",
       Object("PC", "TPageControl",
              "    ActivePage = Two\n" +
                  Object("One", "TTabSheet", "    Caption = '&First'\n") +
                  Object("Two", "TTabSheet", "    Caption = 'Second'\n")),
       [](Controls& t) {
         EXPECT_EQ(t.send("PC", TCM_GETITEMCOUNT), 2);
         EXPECT_EQ(t.send("PC", TCM_GETCURSEL), 1);
         EXPECT_EQ(t.style("One") & WS_VISIBLE, 0u);
         EXPECT_NE(t.style("Two") & WS_VISIBLE, 0u);
       }},
      {"a static text with a sunken border",
       Object("S", "TStaticText",
              "    Alignment = taCenter\n    BorderStyle = sbsSunken\n"),
       [](Controls& t) {
         EXPECT_NE(t.style("S") & SS_CENTER, 0u);
         EXPECT_NE(t.style("S") & SS_SUNKEN, 0u);
       }},
      {"a list view's columns",
       Object("V", "TListView",
              "    Columns = <\n      item\n        Caption = 'Name'\n"
              "        Width = 120\n      end\n      item\n"
              "        Caption = 'Size'\n      end>\n"
              "    ViewStyle = vsReport\n"),
       [](Controls& t) {
         EXPECT_EQ(t.style("V") & 0x3, LVS_REPORT);
         // A second delete finds nothing: exactly two columns went in.
         EXPECT_EQ(t.send("V", LVM_DELETECOLUMN, 1), TRUE);
         EXPECT_EQ(t.send("V", LVM_DELETECOLUMN, 1), FALSE);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    load(c.object);
    c.check(*this);
  }
}

TEST_F(Controls, ARadioGroupMakesAButtonPerItemInItsColumns) {
  load(Object("G", "TRadioGroup",
              "    Left = 0\n    Top = 0\n    Width = 210\n    Height = 90\n"
              "    Caption = 'Size'\n    Columns = 2\n    ItemIndex = 2\n"
              "    Items.Strings = (\n      'S'\n      'M'\n      'L')\n"),
       "  Font.Height = -10\n");
  auto& group = static_cast<TRadioGroup&>(*root->FindComponent("G"));
  const auto& buttons = group.ButtonWindows();
  ASSERT_EQ(buttons.size(), 3u);
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    EXPECT_EQ(GetParent(buttons[i]), group.Handle());
    EXPECT_EQ(SendMessageW(buttons[i], BM_GETCHECK, 0, 0),
              i == 2 ? static_cast<LRESULT>(BST_CHECKED) : 0);
  }
  // Two per column, 100 wide; the rows share the 73 pixels below a caption
  // 12 high (-10 pixels and its leading), the odd one split round them.
  struct Row {
    int item;
    TRect expected;
  };
  for (Row r : {Row{0, {8, 13, 108, 49}}, Row{1, {8, 49, 108, 85}},
                Row{2, {108, 13, 208, 49}}}) {
    const TRect b = group.ButtonRect(r.item);
    EXPECT_EQ(b.Left, r.expected.Left) << r.item;
    EXPECT_EQ(b.Top, r.expected.Top) << r.item;
    EXPECT_EQ(b.Right, r.expected.Right) << r.item;
    EXPECT_EQ(b.Bottom, r.expected.Bottom) << r.item;
  }
  // A click selects; the group follows its size.
  SendMessageW(group.Handle(), WM_COMMAND, 0,
               reinterpret_cast<LPARAM>(buttons[0]));
  EXPECT_EQ(group.ItemIndex(), 0);
  group.SetBounds(0, 0, 410, 90);
  RECT r{};
  GetWindowRect(buttons[2], &r);
  EXPECT_EQ(r.right - r.left, 200);
}

TEST_F(Controls, ChangesAtRunTimeReachTheWindows) {
  load(Object("C", "TComboBox", "") + Object("K", "TCheckBox", "") +
       Object("T", "TTrackBar", ""));
  auto& combo = static_cast<TComboBox&>(*root->FindComponent("C"));
  combo.Items().Add("one");
  combo.Items().Add("two");
  EXPECT_EQ(send("C", CB_GETCOUNT), 2);
  static_cast<TCheckBox&>(*root->FindComponent("K")).SetChecked(true);
  EXPECT_EQ(send("K", BM_GETCHECK), static_cast<LRESULT>(BST_CHECKED));
  static_cast<TTrackBar&>(*root->FindComponent("T")).SetPosition(4);
  EXPECT_EQ(send("T", TBM_GETPOS), 4);
}

// A component that places the form as it is read (FormPos) makes the
// windows before the controls after it are read: they get what the file
// says once it is read through.
TEST_F(Controls, AWindowMadeWhileTheFileIsReadGetsItsProperties) {
  const std::string flex =
      "  object Flexarium1: TFlexarium\n    FormPos = rpMiddleCenter\n"
      "    DesignFrmW = 400\n    DesignFrmH = 300\n"
      "    DesignDpiW = 96\n    DesignDpiH = 96\n  end\n";
  load(flex +
       Object("C", "TComboBox",
              "    ItemIndex = 1\n    Items.Strings = (\n      'a'\n"
              "      'b')\n") +
       Object("PC", "TPageControl",
              "    Width = 200\n    Height = 100\n    ActivePage = B\n" +
                  Object("A", "TTabSheet", "") + Object("B", "TTabSheet", "")));
  EXPECT_EQ(send("C", CB_GETCOUNT), 2);
  EXPECT_EQ(send("C", CB_GETCURSEL), 1);
  EXPECT_EQ(send("PC", TCM_GETITEMCOUNT), 2);
  // Every sheet fills the page control's display area, the hidden one too.
  for (const char* sheet : {"A", "B"}) {
    auto& s = static_cast<TControl&>(*root->FindComponent(sheet));
    EXPECT_EQ(s.Left(), 4) << sheet;
    EXPECT_EQ(s.Width(), 192) << sheet;
    EXPECT_GT(s.Height(), 0) << sheet;
  }
}

TEST_F(Controls, TheFrameworkPaintsContainersPicturesAndUnknownClasses) {
  // A 2x1 bitmap of 24 bits, as a form file stores it.
  const std::string bitmap =
      "    Picture.Data = {\n"
      "      07544269746D61703E000000424D3E0000000000000036000000280000000200\n"
      "      0000010000000100180000000000080000000000000000000000000000000000\n"
      "      00000000FF00FF000000}\n";
  struct Case {
    const char* name;
    std::string object;
    std::vector<std::string> ops;  // the paint records, in order
    std::function<void(const std::vector<sim::PaintRecord>&)> check;
  };
  const Case cases[] = {
      {"a group box: an etched frame and its caption on the face colour",
       Object("G", "TGroupBox",
              "    Left = 0\n    Top = 0\n    Width = 100\n    Height = 50\n"
              "    Caption = '&Group'\n"),
       {"DrawEdge", "ExtTextOutW", "DrawTextW"},
       [](const std::vector<sim::PaintRecord>& p) {
         EXPECT_EQ(p[0].format, EDGE_ETCHED);
         EXPECT_EQ(p[1].bkColor, GetSysColor(COLOR_BTNFACE));
         EXPECT_EQ(p[2].text, u"Group");
       }},
      {"a panel: outer and inner bevels, the caption in the middle",
       Object("P", "TPanel",
              "    Width = 100\n    Height = 40\n    BevelInner = bvLowered\n"
              "    BevelWidth = 2\n    Caption = 'Panel'\n"),
       {"DrawEdge", "DrawEdge", "DrawEdge", "DrawEdge", "DrawTextW"},
       [](const std::vector<sim::PaintRecord>& p) {
         EXPECT_EQ(p[0].format, BDR_RAISEDINNER);
         EXPECT_EQ(p[1].rect.left, 1);
         EXPECT_EQ(p[2].format, BDR_SUNKENINNER);
         EXPECT_EQ(p[3].rect.left, 3);
         EXPECT_NE(p[4].format & DT_CENTER, 0u);
         EXPECT_EQ(p[4].rect.left, 4);
       }},
      {"a panel without bevels or caption draws nothing",
       Object("P", "TPanel", "    BevelOuter = bvNone\n"),
       {},
       nullptr},
      {"an opaque label in the font's colour, right-aligned",
       Object("L", "TLabel",
              "    Alignment = taRightJustify\n    Caption = 'Text'\n"
              "    Font.Color = clNavy\n"),
       {"ExtTextOutW", "DrawTextW"},
       [](const std::vector<sim::PaintRecord>& p) {
         EXPECT_EQ(p[1].textColor, 0x800000u);
         EXPECT_NE(p[1].format & DT_RIGHT, 0u);
       }},
      {"a shape filled with its brush and outlined with its pen",
       Object("S", "TShape",
              "    Width = 40\n    Height = 20\n    Brush.Color = clRed\n"
              "    Pen.Width = 2\n"),
       {"ExtTextOutW", "ExtTextOutW", "ExtTextOutW", "ExtTextOutW",
        "ExtTextOutW"},
       [](const std::vector<sim::PaintRecord>& p) {
         EXPECT_EQ(p[0].bkColor, 0x0000FFu);
         EXPECT_EQ(p[1].bkColor, 0u);
         EXPECT_EQ(p[1].rect.bottom - p[1].rect.top, 2);
       }},
      {"a shape without pen and brush draws nothing",
       Object("S", "TShape",
              "    Brush.Style = bsClear\n    Pen.Style = psClear\n"),
       {},
       nullptr},
      {"a bevel's top line",
       Object("B", "TBevel", "    Shape = bsTopLine\n"),
       {"DrawEdge"},
       [](const std::vector<sim::PaintRecord>& p) {
         EXPECT_EQ(p[0].format, EDGE_ETCHED);
         EXPECT_EQ(p[0].flags, BF_TOP);
       }},
      {"a bitmap stretched to the image",
       Object("I", "TImage",
              "    Left = 5\n    Top = 6\n    Width = 40\n    Height = 20\n" +
                  bitmap + "    Stretch = True\n"),
       {"StretchDIBits"},
       [](const std::vector<sim::PaintRecord>& p) {
         EXPECT_EQ(p[0].rect.left, 5);
         EXPECT_EQ(p[0].rect.right, 45);
         EXPECT_EQ(p[0].rect.bottom, 26);
         EXPECT_EQ(p[0].format, 2u);  // the bitmap's width
         EXPECT_EQ(p[0].flags, 1u);   // and height
       }},
      {"a bitmap at its own size, centred",
       Object("I", "TImage",
              "    Width = 40\n    Height = 20\n" + bitmap +
                  "    Center = True\n"),
       {"StretchDIBits"},
       [](const std::vector<sim::PaintRecord>& p) {
         EXPECT_EQ(p[0].rect.left, 19);
         EXPECT_EQ(p[0].rect.right, 21);
         EXPECT_EQ(p[0].rect.top, 9);
       }},
      {"an image without a picture draws nothing",
       Object("I", "TImage", ""),
       {},
       nullptr},
      {"a class the library does not know: a labelled placeholder",
       Object("X", "TSomethingElse",
              "    Width = 30\n    Height = 10\n    TabOrder = 0\n"),
       {},
       [](const std::vector<sim::PaintRecord>& p) {
         ASSERT_FALSE(p.empty());
         EXPECT_EQ(p.back().op, "DrawTextW");
         EXPECT_EQ(p.back().text, u"X: TSomethingElse");
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TCustomForm& form = load(c.object);
    desktop->clearRecords();
    SendMessageW(form.Handle(), WM_PAINT, 0, 0);
    for (int i = 0; i < form.ControlCount(); ++i) {
      if (auto* w = dynamic_cast<TWinControl*>(form.Controls(i))) {
        SendMessageW(w->Handle(), WM_PAINT, 0, 0);
      }
    }
    const auto& paints = desktop->paints();
    if (!c.ops.empty() || !c.check) {
      std::vector<std::string> ops;
      for (const auto& p : paints) ops.push_back(p.op);
      EXPECT_EQ(ops, c.ops);
    }
    if (c.check && paints.size() >= c.ops.size()) c.check(paints);
  }
}

// TBitmap data around a .bmp file of 2 x 2 pixels at `bits` per pixel,
// with the colour table that needs.
std::vector<std::uint8_t> BitmapData(int bits) {
  const std::uint32_t table = bits <= 8 ? (1u << bits) * 4 : 0;
  const std::uint32_t stride = (2 * bits + 31) / 32 * 4;
  const std::uint32_t offset = 14 + 40 + table;
  const std::uint32_t size = offset + 2 * stride;
  std::vector<std::uint8_t> data = {7, 'T', 'B', 'i', 't', 'm', 'a', 'p'};
  data.resize(12 + size, 0);
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
      data[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
  };
  put32(8, size);  // TBitmap's own count of the file's bytes
  std::uint8_t* bmp = data.data() + 12;
  bmp[0] = 'B';
  bmp[1] = 'M';
  put32(12 + 2, size);
  put32(12 + 10, offset);
  put32(12 + 14, 40);
  put32(12 + 18, 2);
  put32(12 + 22, 2);
  bmp[26] = 1;
  bmp[28] = static_cast<std::uint8_t>(bits);
  return data;
}

// The same data with the file cut `bytes` short (TBitmap's count too).
std::vector<std::uint8_t> CutShort(std::vector<std::uint8_t> data,
                                   std::size_t bytes) {
  data.resize(data.size() - bytes);
  const auto n = static_cast<std::uint32_t>(data.size() - 12);
  for (int i = 0; i < 4; ++i) {
    data[8 + i] = static_cast<std::uint8_t>(n >> (8 * i));
  }
  return data;
}

// Painting and laying out at any position and size the form file can give
// stays within the integers (the sanitizer build stops at an overflow).
TEST_F(Controls, PaintingAtTheExtremesStaysDefined) {
  const std::string bounds[] = {
      "    Left = 2147483647\n    Top = 2147483647\n"
      "    Width = 2147483647\n    Height = 2147483647\n",
      "    Left = -2147483648\n    Top = -2147483648\n"
      "    Width = 2147483647\n    Height = 2147483647\n",
      "    Left = 0\n    Top = 0\n    Width = 0\n    Height = 0\n"};
  const std::pair<const char*, const char*> classes[] = {
      {"TPanel", "    Caption = 'P'\n    BevelWidth = 3\n"},
      {"TGroupBox", "    Caption = 'G'\n"},
      {"TGroupBox",
       "    Caption = 'G'\n    Font.Height = -2147483648\n"
       "    ParentFont = False\n"},
      {"TRadioGroup",
       "    Columns = 16\n    Items.Strings = (\n      'a'\n"
       "      'b')\n"},
      {"TLabel", "    Caption = 'L'\n    Layout = tlBottom\n"},
      {"TShape", "    Shape = stCircle\n    Pen.Width = 2147483647\n"},
      {"TBevel", "    Shape = bsRightLine\n"},
      {"TStringGrid",
       "    DefaultColWidth = 2147483647\n    DefaultRowHeight = 2147483647\n"},
      {"TPageControl", ""},
      {"TSomethingUnknown", "    TabOrder = 0\n"},
      {"TToolButton", "    Style = tbsDivider\n"},
  };
  for (const std::string& b : bounds) {
    for (auto [cls, props] : classes) {
      SCOPED_TRACE(std::string(cls) + "\n" + b);
      TCustomForm& form = load(Object("X", cls, b + props));
      SendMessageW(form.Handle(), WM_PAINT, 0, 0);
      if (auto* w = dynamic_cast<TWinControl*>(root->FindComponent("X"))) {
        SendMessageW(w->Handle(), WM_PAINT, 0, 0);
        w->SetBounds(w->Left(), w->Top(), w->Width(), w->Height() / 2);
      }
    }
  }
}

TEST_F(Controls, PicturesThatAreNotBitmapsOrAreCutShortShowNothing) {
  // The whole bitmaps are drawn: 2 x 2 pixels.
  for (int bits : {1, 4, 8, 24, 32}) {
    TImage image(nullptr);
    image.Picture().Data.bytes = BitmapData(bits);
    EXPECT_EQ(image.BitmapRect().Width(), 2) << bits;
  }
  struct Case {
    const char* name;
    std::vector<std::uint8_t> data;
  };
  std::vector<std::uint8_t> compressed = BitmapData(8);
  compressed[12 + 30] = 1;  // BI_RLE8: only decoding tells its length
  std::vector<std::uint8_t> tableCut = BitmapData(8);
  tableCut[12 + 10] = 14 + 40 + 100;  // the pixels inside the colour table
  tableCut[12 + 11] = 0;
  tableCut = CutShort(tableCut, tableCut.size() - 12 - (14 + 40 + 100 + 8));
  std::vector<std::uint8_t> oddBits = BitmapData(24);
  oddBits[12 + 28] = 7;
  const Case cases[] = {
      {"no data", {}},
      {"a name longer than the data", {9, 'T', 'B'}},
      {"a PNG", {9, 'T', 'P', 'n', 'g', 'I', 'm', 'a', 'g', 'e', 1, 2, 3}},
      {"a size beyond the data",
       [] {
         auto d = BitmapData(24);
         d[8] = 0xFF;  // TBitmap's count of the file's bytes
         return d;
       }()},
      {"not a .bmp file",
       [] {
         auto d = BitmapData(24);
         d[12] = 'X';
         return d;
       }()},
      {"rows of pixels cut short", CutShort(BitmapData(24), 4)},
      {"a colour table cut short", tableCut},
      {"compressed pixels", compressed},
      {"seven bits a pixel", oddBits},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TImage image(nullptr);
    image.Picture().Data.bytes = c.data;
    const TRect r = image.BitmapRect();
    EXPECT_EQ(r.Width(), 0);
    EXPECT_EQ(r.Height(), 0);
  }
}

TEST_F(Controls, ADatePickerShowsTheDateAndTimeOfTheFormFile) {
  struct Case {
    const char* date;  // as the form file writes it; "" for none
    const char* time;
    int year, month, day, hour, minute, second;
  };
  const Case cases[] = {
      {"0.000000000000000000", "", 1899, 12, 30, 0, 0, 0},
      {"2.000000000000000000", "", 1900, 1, 1, 0, 0, 0},
      {"60.000000000000000000", "", 1900, 2, 28, 0, 0, 0},
      {"61.000000000000000000", "", 1900, 3, 1, 0, 0, 0},
      {"36526.750000000000000000", "", 2000, 1, 1, 18, 0, 0},
      {"46364.000000000000000000", "46364.512500000000000000", 2026, 12, 8, 12,
       18, 0},
      {"", "0.999988425925926000", 1899, 12, 30, 23, 59, 59},
      {"-1.250000000000000000", "", 1899, 12, 29, 6, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.date) + " " + c.time);
    std::string props;
    if (*c.date) props += std::string("    Date = ") + c.date + "\n";
    if (*c.time) props += std::string("    Time = ") + c.time + "\n";
    load(Object("D", "TDateTimePicker", props));
    const auto shown =
        static_cast<TDateTimePicker&>(*root->FindComponent("D")).Shown();
    ASSERT_TRUE(shown.has_value());
    EXPECT_EQ(shown->wYear, c.year);
    EXPECT_EQ(shown->wMonth, c.month);
    EXPECT_EQ(shown->wDay, c.day);
    EXPECT_EQ(shown->wHour, c.hour);
    EXPECT_EQ(shown->wMinute, c.minute);
    EXPECT_EQ(shown->wSecond, c.second);
  }
  // 8 December 2026 is a Tuesday, 29 December 1899 a Friday.
  for (auto [date, weekday] : {std::pair{"46364.0", 2}, {"-1.25", 5}}) {
    load(Object("D", "TDateTimePicker",
                std::string("    Date = ") + date + "\n"));
    EXPECT_EQ(static_cast<TDateTimePicker&>(*root->FindComponent("D"))
                  .Shown()
                  ->wDayOfWeek,
              weekday)
        << date;
  }
  load(Object("D", "TDateTimePicker", "    Date = 1.0E9\n"));
  EXPECT_FALSE(static_cast<TDateTimePicker&>(*root->FindComponent("D"))
                   .Shown()
                   .has_value());
}

TEST_F(Controls, WrongValuesAreRefusedWithTheirPlace) {
  struct Case {
    std::string object;
    const char* message;
  };
  const Case cases[] = {
      {Object("K", "TCheckBox", "    Checked = 5\n"),
       "controls.dfm:5:5: error: Checked: True or False is expected"},
      {Object("K", "TCheckBox", "    State = cbMaybe\n"),
       "controls.dfm:5:5: error: State: 'cbMaybe' is not a TCheckBoxState "
       "value"},
      {Object("C", "TComboBox", "    Items.Strings = (\n      1)\n"),
       "controls.dfm:5:5: error: Items.Strings: a list of strings ( ... ) is "
       "expected"},
      {Object("A", "TPageControl", "    ActivePage = 'One'\n"),
       "controls.dfm:5:5: error: ActivePage: a component name is expected"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    try {
      load(c.object);
      ADD_FAILURE() << "read without an error";
    } catch (const Exception& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
    }
  }
}

}  // namespace
}  // namespace flx
