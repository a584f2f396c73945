// The font floor (MinFontSize): no font the component sets, the form's or a
// control's, goes below it; a font designed smaller keeps its design size;
// cell-height (negative) sizes compare by magnitude; it holds at any DPI.
#include <string>

#include "flexarium_fixture.h"

namespace flx {
namespace {

std::string floorProp(int points) {
  return points != 0 ? "    MinFontSize = " + std::to_string(points) + "\n"
                     : "";
}

std::string sized(const std::string& name, int size, int top,
                  const std::string& extra = "") {
  return Button(name, 10, top, 75, 21,
                "    Font.Size = " + std::to_string(size) +
                    "\n    ParentFont = False\n" + extra);
}

class FontFloor : public OnBothPaths {};

TEST_P(FontFloor, HoldsEveryFontTheComponentSets) {
  struct Case {
    int floor;
    int controlSize;  // designed
    int formSize;
    int clientW, clientH;
    int expectControl, expectForm;
  } cases[] = {
      {0, 10, 10, 400, 300, 5, 5},     // no floor
      {8, 10, 10, 400, 300, 8, 8},     // lifted to the floor
      {8, 6, 7, 400, 300, 6, 7},       // designed smaller: design size
      {8, 10, 10, 1200, 900, 15, 15},  // above the floor: untouched
      {8, -10, 10, 400, 300, -8, 8},   // cell height: by magnitude
      {8, 10, 10, 800, 150, 8, 8},     // the smaller factor decides
      {8, 10, 10, 32, 24, 8, 8},       // scaled down to 0: held all the same
      {8, -10, 10, 32, 24, -8, 8},     // to 0 from a cell height
      {0, 10, 10, 32, 24, 1, 0},       // no floor: a control's 0 is lifted
  };
  for (const Case& c : cases) {
    load(FormText(
        sized("B", c.controlSize, 20) + Button("Follows", 10, 60, 75, 21),
        floorProp(c.floor),
        "  Font.Size = " + std::to_string(c.formSize) + "\n"));
    form().Show();
    const int designed = ctl("B").Font().Size();  // as the framework reads it
    client(c.clientW, c.clientH);
    EXPECT_EQ(ctl("B").Font().Size(), c.expectControl)
        << c.floor << " " << c.controlSize;
    EXPECT_EQ(form().Font().Size(), c.expectForm)
        << c.floor << " " << c.formSize;
    // A control that follows the form's font follows the floored one.
    EXPECT_EQ(ctl("Follows").Font().Size(), c.expectForm);
    // Back at the design size every font is its design size again.
    client(800, 600);
    EXPECT_EQ(ctl("B").Font().Size(), designed);
    root.reset();
  }
}

TEST_P(FontFloor, LeavesFontsTheComponentDoesNotSetAndBounds) {
  load(FormText(sized("Kept", 10, 20) + sized("B", 10, 60),
                floorProp(9) + "    NoResizeFntCtl = 'Kept'\n"));
  form().Show();
  client(400, 300);
  EXPECT_EQ(ctl("Kept").Font().Size(), 10);
  EXPECT_EQ(ctl("B").Font().Size(), 9);
  EXPECT_EQ(boundsOf(ctl("B")), (Bounds{5, 30, 38, 11}));
}

// A control that stops following a font the floor lifted derives its base
// from the size that font had before the floor, as it would without one.
TEST_P(FontFloor, BasesAreDerivedFromTheSizeBeforeTheFloor) {
  struct Case {
    int floor;
    int ownSize;  // the size the application gives it, 0: only ParentFont
    int expect;   // at factor 1 afterwards
  } cases[] = {
      {0, 0, 10},   // 9 x 0.5 = 4.5 -> 5, then 5 / 0.5
      {7, 0, 10},   // shows 7 from the floor, derived from 5 all the same
      {0, 15, 30},  // a size of its own is taken as it is
      {7, 15, 30},
      {7, 7, 10},  // the floored size itself cannot be told from it
  };
  for (const Case& c : cases) {
    load(FormText(Button("Follows", 10, 60, 75, 21), floorProp(c.floor),
                  "  Font.Size = 9\n"));
    form().Show();
    client(400, 300);
    if (c.ownSize != 0) {
      ctl("Follows").Font().SetSize(c.ownSize);
    }
    ctl("Follows").SetParentFont(false);
    client(401, 300);
    client(800, 600);
    EXPECT_EQ(ctl("Follows").Font().Size(), c.expect)
        << c.floor << " " << c.ownSize;
    root.reset();
  }
}

INSTANTIATE_TEST_SUITE_P(Paths, FontFloor, ::testing::ValuesIn(kBothPaths),
                         PathName);

class FontFloorDpi : public FlexTest {
 protected:
  FontFloorDpi() : FlexTest(config()) {}
  static sim::DesktopConfig config() {
    sim::DesktopConfig c;
    c.dpiX = c.dpiY = 144;
    return c;
  }
};

TEST_F(FontFloorDpi, IsInPointsAtTheRunTimeDpi) {
  load(FormText(sized("B", 10, 20), floorProp(8)));
  form().Show();
  // At 144 DPI the design client of 800 x 600 is 1200 x 900; a quarter of
  // that is a factor of 0.25.
  client(300, 225);
  EXPECT_EQ(ctl("B").Font().Size(), 8);
  EXPECT_EQ(ctl("B").Font().Height(), -16);  // 8 points at 144 DPI
}

}  // namespace
}  // namespace flx
