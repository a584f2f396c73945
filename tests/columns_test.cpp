// Columns and rows that follow the factors: list-view columns, header
// sections and grid column widths and row heights read and write back
// without loss, scale from their bases with the form (half up, no drift),
// are DPI-scaled at start-up as bounds are, and are left alone for excluded
// controls and when ResizeColumns is off.
#include <random>
#include <string>
#include <vector>

#include "dpi_fixture.h"
#include "flexarium/column_sizes.h"
#include "flexarium/comctrls.h"
#include "flexarium/grids.h"
#include "flexarium_fixture.h"

namespace flx {
namespace {

const std::string kListView =
    "  object List: TListView\n"
    "    Left = 8\n    Top = 8\n    Width = 300\n    Height = 150\n"
    "    Columns = <\n"
    "      item\n        Caption = 'Name'\n        Width = 120\n      end\n"
    "      item\n        Alignment = taRightJustify\n"
    "        Caption = 'Size'\n        Width = $51\n      end\n"
    "      item\n        Caption = 'Auto'\n        Width = -2\n      end\n"
    "      item\n        Caption = 'Hidden'\n        Width = 0\n      end\n"
    "      item\n        Caption = 'Default'\n      end>\n"
    "    TabOrder = 0\n    ViewStyle = vsReport\n  end\n";

const std::string kGrid =
    "  object Grid: TStringGrid\n"
    "    Left = 320\n    Top = 8\n    Width = 400\n    Height = 200\n"
    "    ColCount = 4\n    DefaultColWidth = 50\n    DefaultRowHeight = 19\n"
    "    RowCount = 3\n    ColWidths = (\n      70\n      41)\n"
    "    RowHeights = (\n      25)\n  end\n";

const std::string kHeader =
    "  object Header: THeaderControl\n"
    "    Left = 8\n    Top = 170\n    Width = 300\n    Height = 17\n"
    "    Sections = <\n"
    "      item\n        ImageIndex = -1\n        Text = 'One'\n"
    "        Width = 75\n      end\n"
    "      item\n        ImageIndex = -1\n        Width = 33\n      end>\n"
    "  end\n";

std::vector<int> columns(TControl& c) { return ColumnSizes(c); }

// Every column's width and every row's height, as the grid draws them.
struct GridSizes {
  TCustomGrid& g;
  std::vector<int> EffectiveColWidths() const {
    std::vector<int> out;
    for (int i = 0; i < g.ColCount(); ++i) out.push_back(g.ColWidth(i));
    return out;
  }
  std::vector<int> EffectiveRowHeights() const {
    std::vector<int> out;
    for (int i = 0; i < g.RowCount(); ++i) out.push_back(g.RowHeight(i));
    return out;
  }
  std::vector<int> ColumnSizes() const { return flx::ColumnSizes(g); }
  std::vector<int> RowSizes() const { return flx::RowSizes(g); }
  int DefaultRowHeight() const { return g.DefaultRowHeight(); }
};
GridSizes grid(TControl& c) { return {dynamic_cast<TCustomGrid&>(c)}; }

void addColumn(TListView& list, const std::string& caption, int width) {
  FormCollectionItem item;
  item.props.push_back(FormProperty{"Caption", FormValue::Utf8(caption), {}});
  item.props.push_back(FormProperty{"Width", FormValue::Int(width), {}});
  list.ColumnsValue.items.push_back(std::move(item));
}

// ---- Reading and writing

class Columns : public FlexTest {};

TEST_F(Columns, ReadAndWrittenBackWithoutLoss) {
  const std::string text = FormText(kListView + kGrid + kHeader);
  load(text, true);
  EXPECT_EQ(columns(ctl("List")), (std::vector<int>{120, 81, -2, 0, 50}));
  EXPECT_EQ(columns(ctl("Header")), (std::vector<int>{75, 33}));
  EXPECT_EQ(grid(ctl("Grid")).EffectiveColWidths(),
            (std::vector<int>{70, 41, 50, 50}));
  EXPECT_EQ(grid(ctl("Grid")).EffectiveRowHeights(),
            (std::vector<int>{25, 19, 19}));
  const std::string written = WriteFormText(*root);
  for (const std::string& part : {kListView, kGrid, kHeader}) {
    EXPECT_NE(written.find(part), std::string::npos) << written;
  }
}

TEST_F(Columns, AWrongValueIsReportedAtItsProperty) {
  struct Case {
    std::string control;
    std::string said;  // expected in the message
  } cases[] = {
      {"  object L: TListView\n    Columns = 3\n  end\n", "Columns"},
      {"  object G: TStringGrid\n    RowHeights = 5\n  end\n", "RowHeights"},
      {"  object H: THeaderControl\n    Sections = (1)\n  end\n", "Sections"},
  };
  for (const Case& c : cases) {
    try {
      load(FormText(c.control));
      ADD_FAILURE() << "read without error: " << c.control;
    } catch (const EReadError& e) {
      EXPECT_NE(std::string(e.what()).find(c.said), std::string::npos)
          << e.what();
      EXPECT_NE(std::string(e.what()).find("test.dfm:"), std::string::npos)
          << e.what();
    }
  }
}

TEST_F(Columns, EntriesThatAreNoSizesAreKeptAsReadAndLeftAlone) {
  const std::string odd =
      "  object L: TListView\n    Columns = <\n      item\n"
      "        Width = 'wide'\n      end\n      item\n        Width = 80\n"
      "      end>\n  end\n"
      "  object G: TStringGrid\n    ColWidths = (\n      64\n      'x')\n"
      "  end\n";
  load(FormText(odd));
  form().Show();
  client(1200, 900);
  EXPECT_EQ(columns(ctl("L")), (std::vector<int>{50, 120}));
  EXPECT_EQ(grid(ctl("G")).ColumnSizes(), (std::vector<int>{96, 96, 96}));
  const std::string written = WriteFormText(*root);
  EXPECT_NE(written.find("        Width = 'wide'\n"), std::string::npos);
  EXPECT_NE(written.find("      96\n      'x')\n"), std::string::npos)
      << written;
}

// ---- The rescale pass

class ColumnPass : public OnBothPaths {};

TEST_P(ColumnPass, WidthsFollowTheHorizontalAndHeightsTheVerticalFactor) {
  load(FormText(kListView + kGrid + kHeader));
  form().Show();
  client(1000, 900);  // sx 1.25, sy 1.5
  // Half up: 81 x 1.25 = 101.25, 33 x 1.25 = 41.25, 41 x 1.25 = 51.25,
  // 19 x 1.5 = 28.5 -> 29; automatic and hidden columns stay as they are.
  EXPECT_EQ(columns(ctl("List")), (std::vector<int>{150, 101, -2, 0, 63}));
  EXPECT_EQ(columns(ctl("Header")), (std::vector<int>{94, 41}));
  EXPECT_EQ(grid(ctl("Grid")).EffectiveColWidths(),
            (std::vector<int>{88, 51, 63, 63}));
  EXPECT_EQ(grid(ctl("Grid")).EffectiveRowHeights(),
            (std::vector<int>{38, 29, 29}));
  client(400, 300);  // 0.5 both ways
  EXPECT_EQ(columns(ctl("List")), (std::vector<int>{60, 41, -2, 0, 25}));
  EXPECT_EQ(grid(ctl("Grid")).EffectiveRowHeights(),
            (std::vector<int>{13, 10, 10}));
}

TEST_P(ColumnPass, NoDriftAfterManyRandomResizes) {
  load(FormText(kListView + kGrid + kHeader));
  form().Show();
  std::mt19937 rng(11);
  std::uniform_int_distribution<int> w(150, 1900), h(120, 1000);
  for (int step = 0; step < 300; ++step) client(w(rng), h(rng));
  client(800, 600);
  EXPECT_EQ(columns(ctl("List")), (std::vector<int>{120, 81, -2, 0, 50}));
  EXPECT_EQ(columns(ctl("Header")), (std::vector<int>{75, 33}));
  EXPECT_EQ(grid(ctl("Grid")).ColumnSizes(), (std::vector<int>{50, 70, 41}));
  EXPECT_EQ(grid(ctl("Grid")).RowSizes(), (std::vector<int>{19, 25}));
}

TEST_P(ColumnPass, ExcludedControlsAndResizeColumnsOffKeepTheirColumns) {
  struct Case {
    std::string flexProps;
    bool listFollows, gridFollows;
  } cases[] = {
      {"", true, true},
      {"    NoResizeCtl = 'list'\n", false, true},
      {"    ResizeColumns = False\n", false, false},
  };
  for (const Case& c : cases) {
    load(FormText(kListView + kGrid, c.flexProps));
    form().Show();
    client(1200, 900);
    EXPECT_EQ(columns(ctl("List"))[0], c.listFollows ? 180 : 120)
        << c.flexProps;
    EXPECT_EQ(grid(ctl("Grid")).DefaultRowHeight(), c.gridFollows ? 29 : 19)
        << c.flexProps;
    root.reset();
  }
}

TEST_P(ColumnPass, AListViewAddedLaterTakesItsBasesFromItsCurrentWidths) {
  load(FormText(kGrid));
  form().Show();
  client(1200, 900);
  auto* list = new TListView(&form());
  list->SetName("Later");
  list->SetParent(&form());
  addColumn(*list, "A", 150);  // made at 1.5
  addColumn(*list, "B", 75);
  flex().DynamicAdd();
  client(800, 600);
  EXPECT_EQ(columns(*list), (std::vector<int>{100, 50}));
  // A column added after the bases were taken: the bases are taken anew.
  addColumn(*list, "C", 30);
  client(1000, 750);
  EXPECT_EQ(columns(*list), (std::vector<int>{125, 63, 38}));
}

TEST_P(ColumnPass, ColumnsKeptWhenOthersAreAddedKeepTheirBases) {
  load(FormText(kListView));
  form().Show();
  client(400, 300);  // 0.5: 81 shows 41, which is no base of 81 again
  ASSERT_EQ(columns(ctl("List")), (std::vector<int>{60, 41, -2, 0, 25}));
  addColumn(dynamic_cast<TListView&>(ctl("List")), "New", 30);
  client(800, 600);
  EXPECT_EQ(columns(ctl("List")), (std::vector<int>{120, 81, -2, 0, 50, 60}));
}

TEST_P(ColumnPass, SwitchedOnLaterTheyFollowFromTheirDesignSizes) {
  load(FormText(kListView + kGrid, "    ResizeColumns = False\n"));
  form().Show();
  client(1200, 900);
  EXPECT_EQ(columns(ctl("List")), (std::vector<int>{120, 81, -2, 0, 50}));
  flex().SetResizeColumns(true);
  struct Step {
    int w, h;
    std::vector<int> list, gridRows;
  } steps[] = {
      {800, 600, {120, 81, -2, 0, 50}, {19, 25}},
      {1200, 900, {180, 122, -2, 0, 75}, {29, 38}},
  };
  for (const Step& st : steps) {
    client(st.w, st.h);
    EXPECT_EQ(columns(ctl("List")), st.list) << st.w;
    EXPECT_EQ(grid(ctl("Grid")).RowSizes(), st.gridRows) << st.w;
  }
  // Off again: the columns stay as the last pass left them.
  flex().SetResizeColumns(false);
  client(800, 600);
  EXPECT_EQ(columns(ctl("List")), (std::vector<int>{180, 122, -2, 0, 75}));
}

INSTANTIATE_TEST_SUITE_P(Paths, ColumnPass, ::testing::ValuesIn(kBothPaths),
                         PathName);

// ---- Start-up DPI

class ColumnDpi : public FlexTest {
 protected:
  ColumnDpi() : FlexTest(config()) {}
  static sim::DesktopConfig config() {
    sim::DesktopConfig c;
    c.dpiX = c.dpiY = 144;
    return c;
  }
};

TEST_F(ColumnDpi, ScaledAtStartUpAsBoundsAreBorderStyleRuleIncluded) {
  struct Case {
    std::string formProps;
    int firstColumn, rowHeight;
  } cases[] = {
      {"", 180, 29},                            // 120 x 1.5, 19 x 1.5
      {"  BorderStyle = bsDialog\n", 120, 19},  // designed bounds kept
      {"  BorderStyle = bsSizeable\n", 180, 29},
  };
  for (const Case& c : cases) {
    load(FormText(kListView + kGrid, "", c.formProps));
    EXPECT_EQ(columns(ctl("List"))[0], c.firstColumn) << c.formProps;
    EXPECT_EQ(grid(ctl("Grid")).DefaultRowHeight(), c.rowHeight) << c.formProps;
    EXPECT_EQ(ctl("List").Width(), c.firstColumn == 180 ? 450 : 300);
    root.reset();
  }
}

TEST_F(ColumnDpi, SwitchedOnLaterTheyAreScaledForTheDpiAsAtStartUp) {
  load(FormText(kListView, "    ResizeColumns = False\n"));
  form().Show();
  client(600, 450);                         // factor 0.5
  EXPECT_EQ(columns(ctl("List"))[0], 120);  // not scaled while off
  flex().SetResizeColumns(true);
  client(1200, 900);  // factor 1 at 144 DPI
  EXPECT_EQ(columns(ctl("List")), (std::vector<int>{180, 122, -2, 0, 75}));
}

// ---- A change of the form's DPI

TEST(ColumnDpiChange, BasesFollowTheMonitorsDpiWithoutDrift) {
  // A laptop at 150 % with a 100 % monitor beside it: the form, designed at
  // 96 DPI, is dragged across and back.
  dpitest::Desk desk(dpitest::Laptop());
  desk.loadText(FormText(kListView + kGrid)).Show();
  auto list = [&] {
    return ColumnSizes(
        *dynamic_cast<TControl*>(desk.form().FindComponent("List")));
  };
  auto rows = [&] {
    return RowSizes(
        *dynamic_cast<TControl*>(desk.form().FindComponent("Grid")));
  };
  desk.client(1200, 900);  // factor 1 at 144 DPI
  EXPECT_EQ(list(), (std::vector<int>{180, 122, -2, 0, 75}));
  EXPECT_EQ(rows(), (std::vector<int>{29, 38}));
  for (int round = 0; round < 3; ++round) {
    desk.drag(dpitest::kOnMonitor96);
    EXPECT_EQ(desk.flex().CurrentDpi(), 96);
    desk.client(800, 600);
    EXPECT_EQ(list(), (std::vector<int>{120, 81, -2, 0, 50}));
    EXPECT_EQ(rows(), (std::vector<int>{19, 25}));
    desk.drag(dpitest::kOnLaptop);
    desk.client(1200, 900);
    EXPECT_EQ(list(), (std::vector<int>{180, 122, -2, 0, 75}));
  }
}

TEST(ColumnDpiChange, AColumnAddedJustBeforeTheChangeIsScaledForIt) {
  dpitest::Desk desk(dpitest::Laptop());
  desk.loadText(FormText(kListView)).Show();
  auto& list = *dynamic_cast<TListView*>(desk.form().FindComponent("List"));
  desk.client(1200, 900);
  addColumn(list, "New", 45);  // at 144 DPI, factor 1: 30 at 96 DPI
  for (int round = 0; round < 2; ++round) {
    desk.drag(dpitest::kOnMonitor96);
    EXPECT_EQ(ColumnSizes(list), (std::vector<int>{120, 81, -2, 0, 50, 30}));
    desk.drag(dpitest::kOnLaptop);
    EXPECT_EQ(ColumnSizes(list), (std::vector<int>{180, 122, -2, 0, 75, 45}));
  }
}

TEST(ColumnDpiChange, AnExcludedListViewGetsTheNewDpisColumnsBack) {
  dpitest::Desk desk(dpitest::Laptop());
  desk.loadText(FormText(kListView)).Show();
  auto& list = *dynamic_cast<TListView*>(desk.form().FindComponent("List"));
  desk.client(1200, 900);
  desk.drag(dpitest::kOnMonitor96);
  desk.flex().SetNoResizeCtl("List");
  desk.drag(dpitest::kOnLaptop);
  desk.flex().SetNoResizeCtl("");
  desk.client(1201, 900);
  desk.client(1200, 900);
  EXPECT_EQ(ColumnSizes(list), (std::vector<int>{180, 122, -2, 0, 75}));
  EXPECT_EQ(list.Width(), 450);
}

}  // namespace
}  // namespace flx
