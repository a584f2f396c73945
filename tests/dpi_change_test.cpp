// The component on a desktop whose monitors have DPIs of their own: the DPI
// it starts at, the layout after a move onto a monitor of another DPI (the
// layout of a form shown there directly), round trips without drift, the
// size limits at the new DPI, a maximised form, the passes and events a
// change makes, and the modes and paths that never see a change.
//
// Sections:
//   Start-up                       the DPI a form starts at, its client size
//   A move onto a monitor ...      the layout of the form shown there
//   No drift                       round trips; changes a component missed
//   Size limits                    held at the new DPI
//   A maximised form               maximised and minimised across a change
//   Passes and events              one pass a change, WM_GETDPISCALEDSIZE
//   Where no change arrives        unaware processes, the Windows 4.x hook
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "case_names.h"
#include "dpi_fixture.h"
#include "flexarium/stdctrls.h"

namespace flx::dpitest {
namespace {

using sim::DpiAwareness;

// v * num / den, half up, for the positive sizes of these tests.
int Scaled(int v, int num, int den) { return (2 * v * num + den) / (2 * den); }

const char* const kForms[] = {"contact.dfm", "order_dialog.dfm",
                              "notes_form.dfm", "product_form.dfm",
                              "settings_form.dfm"};

// A form with the cases start-up treats apart: a font of its own, one that
// follows the form, one excluded from resizing, a control excluded whole, a
// control held by constraints, a negative position.
std::string MixedForm(const std::string& flexProps = "",
                      const std::string& formProps = "") {
  auto button = [](const std::string& name, int l, int t, int w, int h,
                   const std::string& extra) {
    return "  object " + name + ": TButton\n    Left = " + std::to_string(l) +
           "\n    Top = " + std::to_string(t) +
           "\n    Width = " + std::to_string(w) +
           "\n    Height = " + std::to_string(h) + "\n" + extra + "  end\n";
  };
  return "object MixedForm: TForm\n  Left = 100\n  Top = 100\n"
         "  ClientHeight = 360\n  ClientWidth = 480\n"
         "  Font.Height = -11\n  Font.Name = 'Tahoma'\n" +
         formProps +
         button("Own", 100, 20, 75, 21,
                "    Font.Height = -13\n    ParentFont = False\n") +
         button("Follows", 10, 60, 75, 21, "") +
         button("Fixed", 10, 100, 75, 21,
                "    Font.Height = -12\n    ParentFont = False\n") +
         button("Alone", 200, 100, 75, 21, "") +
         button("Held", 10, 140, 175, 21, "    Constraints.MaxWidth = 200\n") +
         button("Minus", -8, 180, 75, 21,
                "    Font.Height = -9\n    ParentFont = False\n") +
         "  object Flexarium1: TFlexarium\n" + flexProps +
         "    NoResizeFntCtl = 'Fixed'\n    NoResizeCtl = 'Alone'\n"
         "    DesignFrmW = 480\n    DesignFrmH = 360\n"
         "    DesignDpiW = 96\n    DesignDpiH = 96\n  end\nend\n";
}

// ---- Start-up

TEST(DpiStartup, IsTheWindowsMonitorDpiInPerMonitorModeElseTheSystems) {
  // The form file puts the window on the 96 DPI monitor of a 144 DPI
  // system; a process that is not per-monitor aware sees one DPI.
  struct Row {
    DpiAwareness awareness;
    int startup;
  };
  const std::string text = MixedForm("", "  Left = 2100\n  Top = 100\n");
  for (const Row& row :
       {Row{DpiAwareness::PerMonitor, 96}, Row{DpiAwareness::System, 144},
        Row{DpiAwareness::Unaware, 96}}) {
    SCOPED_TRACE(toString(row.awareness));
    Layout got;
    {
      Desk desk(Laptop(row.awareness));
      desk.loadText(text).Show();
      EXPECT_EQ(desk.flex().StartupDpi(), row.startup);
      EXPECT_EQ(desk.flex().CurrentDpi(), row.startup);
      got = desk.layout();
    }
    EXPECT_EQ(got, ReferenceText(text, row.startup, got.clientWidth,
                                 got.clientHeight));
  }
}

TEST(DpiStartup, KeepsTheClientSizeOfTheFormFileOnAMonitorOfAnotherDpi) {
  Desk desk(Laptop());
  desk.loadText(MixedForm("", "  Left = 2100\n  Top = 100\n"));
  EXPECT_EQ(desk.form().CurrentPPI(), 96);
  EXPECT_EQ(desk.clientRect().right, 480);
  EXPECT_EQ(desk.clientRect().bottom, 360);
}

// ---- A move onto a monitor of another DPI

class MoveAcrossMonitors : public ::testing::TestWithParam<const char*> {};

TEST_P(MoveAcrossMonitors, GivesTheLayoutOfTheFormShownThere) {
  const std::string path = ExampleForm(GetParam());
  struct Leg {
    win::POINT to;
    int dpi;
  };
  for (const Leg& leg : {Leg{kOnMonitor96, 96}, Leg{kOnMonitor120, 120}}) {
    SCOPED_TRACE(leg.dpi);
    Layout got;
    int wantW = 0, wantH = 0;
    {
      Desk desk(Laptop());
      desk.load(path).Show();
      const win::RECT c = desk.clientRect();
      wantW = Scaled(c.right, leg.dpi, 144);
      wantH = Scaled(c.bottom, leg.dpi, 144);
      desk.drag(leg.to);
      EXPECT_EQ(desk.windowRect().left, leg.to.x);
      EXPECT_EQ(desk.windowRect().top, leg.to.y);
      EXPECT_EQ(desk.flex().CurrentDpi(), leg.dpi);
      got = desk.layout();
    }
    EXPECT_EQ(got.clientWidth, wantW);
    EXPECT_EQ(got.clientHeight, wantH);
    EXPECT_EQ(got, Reference(path, leg.dpi, got.clientWidth, got.clientHeight));
  }
}

INSTANTIATE_TEST_SUITE_P(ExampleForms, MoveAcrossMonitors,
                         ::testing::ValuesIn(kForms),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           return testnames::CaseName(info.param);
                         });

TEST(DpiChange, EveryKindOfControlTakesTheLayoutOfTheFormShownThere) {
  // Fonts of their own, followed, excluded from resizing (still scaled for
  // the DPI, as start-up does), controls held by constraints.
  struct Row {
    const char* name;
    std::string flex;
  };
  for (const Row& row : {Row{"ResizeFont", ""},
                         Row{"NoResizeFont", "    ResizeFont = False\n"}}) {
    SCOPED_TRACE(row.name);
    const std::string text = MixedForm(row.flex);
    Layout got;
    {
      Desk desk(Laptop());
      desk.loadText(text).Show();
      desk.client(700, 500);
      desk.drag(kOnMonitor96);
      got = desk.layout();
    }
    EXPECT_EQ(got.clientWidth, Scaled(700, 96, 144));
    EXPECT_EQ(got, ReferenceText(text, 96, got.clientWidth, got.clientHeight));
  }
}

TEST(DpiChange, AlignedAndAnchoredControlsTakeTheLayoutOfTheFormShownThere) {
  const std::string text =
      "object Aligned: TForm\n  Left = 100\n  Top = 100\n"
      "  ClientHeight = 300\n  ClientWidth = 400\n"
      "  Font.Height = -11\n  Font.Name = 'Tahoma'\n"
      "  object Top1: TPanel\n    Left = 0\n    Top = 0\n    Width = 400\n"
      "    Height = 41\n    Align = alTop\n"
      "    object Inner: TButton\n      Left = 8\n      Top = 8\n"
      "      Width = 75\n      Height = 25\n    end\n  end\n"
      "  object Body: TMemo\n    Left = 0\n    Top = 41\n    Width = 400\n"
      "    Height = 218\n    Align = alClient\n  end\n"
      "  object Ok: TButton\n    Left = 317\n    Top = 267\n    Width = 75\n"
      "    Height = 25\n    Anchors = [akRight, akBottom]\n  end\n"
      "  object Flexarium1: TFlexarium\n"
      "    DesignFrmW = 400\n    DesignFrmH = 300\n"
      "    DesignDpiW = 96\n    DesignDpiH = 96\n  end\nend\n";
  for (win::POINT to : {kOnMonitor96, kOnMonitor120}) {
    SCOPED_TRACE(to.x);
    Layout got;
    int dpi = 0;
    {
      Desk desk(Laptop());
      desk.loadText(text).Show();
      desk.client(650, 470);
      desk.drag(to);
      dpi = desk.flex().CurrentDpi();
      got = desk.layout();
    }
    EXPECT_EQ(got, ReferenceText(text, dpi, got.clientWidth, got.clientHeight));
  }
}

TEST(DpiChange, AFormWithoutDesignMetricsKeepsFollowingTheRunTimeDpi) {
  // Without a design DPI start-up takes the run-time DPI for it: a form
  // read on the new monitor does the same there.
  std::string text = MixedForm();
  for (const char* metric :
       {"    DesignDpiW = 96\n", "    DesignDpiH = 96\n",
        "    DesignFrmW = 480\n", "    DesignFrmH = 360\n"}) {
    text.erase(text.find(metric), std::string(metric).size());
  }
  Layout got;
  {
    Desk desk(Laptop());
    desk.loadText(text).Show();
    desk.drag(kOnMonitor120);
    got = desk.layout();
  }
  EXPECT_EQ(got, ReferenceText(text, 120, got.clientWidth, got.clientHeight));
}

// A form file gives a font as a height in pixels, as a size in points
// (Font.Size), or not at all: a form that follows its parent's font, or an
// inherited form whose ancestor is not found, has the framework's 8 points.
// Points are another height at another DPI; a start there and a move there
// derive the same from them, and a move back gives the first layout.
TEST(DpiChange, FontsGivenInPointsOrNotAtAllTakeTheLayoutOfTheFormShownThere) {
  struct Row {
    const char* name;
    const char* root;
    const char* formFont;
    const char* ownFont;
  };
  const Row rows[] = {
      {"pixel heights", "object", "  Font.Height = -12\n",
       "    Font.Height = -16\n    ParentFont = False\n"},
      {"sizes in points", "object", "  Font.Size = 9\n",
       "    Font.Size = 12\n    ParentFont = False\n"},
      {"the parent's font", "object", "  ParentFont = True\n",
       "    Font.Size = 12\n    ParentFont = False\n"},
      {"an ancestor not found", "inherited", "", ""},
  };
  struct Leg {
    const char* place;
    int startDpi;
    win::POINT to;
    int dpi;
  };
  const Leg legs[] = {
      {"  Left = 200\n  Top = 120\n", 144, kOnMonitor96, 96},
      {"  Left = 200\n  Top = 120\n", 144, kOnMonitor120, 120},
      {"  Left = 2300\n  Top = 200\n", 96, kOnLaptop, 144},
  };
  for (const Row& row : rows) {
    for (const Leg& leg : legs) {
      SCOPED_TRACE(std::string(row.name) + ", " + std::to_string(leg.startDpi) +
                   " to " + std::to_string(leg.dpi) + " DPI");
      const std::string text =
          std::string(row.root) + " FontForm: TFontForm\n" + leg.place +
          "  ClientHeight = 300\n  ClientWidth = 480\n" + row.formFont +
          "  object lblName: TLabel\n    Left = 16\n    Top = 20\n"
          "    Width = 60\n    Height = 14\n  end\n"
          "  object btnOwn: TButton\n    Left = 96\n    Top = 16\n"
          "    Width = 120\n    Height = 25\n" +
          row.ownFont +
          "  end\n  object Flexarium1: TFlexarium\n"
          "    DesignFrmW = 480\n    DesignFrmH = 300\n"
          "    DesignDpiW = 96\n    DesignDpiH = 96\n  end\nend\n";
      Layout first, moved, back;
      {
        Desk desk(Laptop());
        desk.loadText(text).Show();
        first = desk.layout();
        const win::RECT at = desk.windowRect();
        desk.drag(leg.to);
        moved = desk.layout();
        desk.drag({at.left, at.top});
        back = desk.layout();
      }
      EXPECT_EQ(first, ReferenceText(text, leg.startDpi, first.clientWidth,
                                     first.clientHeight));
      EXPECT_EQ(moved, ReferenceText(text, leg.dpi, moved.clientWidth,
                                     moved.clientHeight));
      EXPECT_EQ(back, first);
    }
  }
}

TEST(DpiChange, AParentFontChangedSinceTheLastPassIsTakenAtTheOldDpi) {
  // The application gives a control that followed the form a font of its
  // own: its base is taken from that font before the DPI changes, and it
  // keeps its size in points through the change.
  Desk desk(Laptop());
  desk.loadText(MixedForm()).Show();
  desk.client(720, 540);
  auto& follows = *dynamic_cast<TControl*>(desk.root->FindComponent("Follows"));
  follows.Font().SetSize(12);
  desk.drag(kOnMonitor96);
  EXPECT_FALSE(follows.ParentFont());
  EXPECT_EQ(follows.Font().PixelsPerInch(), 96);
  EXPECT_EQ(follows.Font().Size(), 12);
  desk.drag(kOnLaptop);
  EXPECT_EQ(follows.Font().Size(), 12);
  EXPECT_EQ(follows.Font().Height(), -24);
}

TEST(DpiChange, MoveWindowAndAScaleChangeOfTheMonitorDoTheSame) {
  const std::string path = ExampleForm("order_dialog.dfm");
  struct Row {
    const char* how;
    int dpi;
  };
  for (const Row& row : {Row{"MoveWindow", 96}, Row{"monitor scale", 192}}) {
    SCOPED_TRACE(row.how);
    Layout got;
    {
      Desk desk(Laptop());
      desk.load(path).Show();
      if (row.dpi == 96) {
        const win::RECT r = desk.windowRect();
        win::MoveWindow(desk.wnd(), kOnMonitor96.x, kOnMonitor96.y,
                        r.right - r.left, r.bottom - r.top, win::TRUE);
      } else {
        ASSERT_TRUE(desk.d().setMonitorDpi(0, row.dpi));
      }
      EXPECT_EQ(desk.flex().CurrentDpi(), row.dpi);
      got = desk.layout();
    }
    EXPECT_EQ(got, Reference(path, row.dpi, got.clientWidth, got.clientHeight));
  }
}

// ---- No drift

TEST(DpiRoundTrip, HundredRoundTripsGiveTheFirstLayoutBack) {
  // 96 -> 144 -> 120 -> 96, starting on the 100 % monitor.
  for (const char* file : {"contact.dfm", "order_dialog.dfm"}) {
    SCOPED_TRACE(file);
    Desk desk(Laptop());
    desk.load(ExampleForm(file));
    win::MoveWindow(desk.wnd(), kOnMonitor96.x, kOnMonitor96.y, 500, 400,
                    win::TRUE);
    desk.form().Show();
    desk.client(517, 389);
    const Layout first = desk.layout();
    ASSERT_EQ(desk.flex().CurrentDpi(), 96);
    for (int i = 0; i < 100; ++i) {
      desk.drag(kOnLaptop);
      desk.drag(kOnMonitor120);
      desk.drag(kOnMonitor96);
      if (desk.layout() != first) {
        ADD_FAILURE() << "after round trip " << i + 1 << ":\n"
                      << desk.layout() << "\nfirst:\n"
                      << first;
        break;
      }
    }
    EXPECT_EQ(desk.flex().CurrentDpi(), 96);
  }
}

TEST(DpiRoundTrip, ASizeGivenOnTheWayIsTheOneKept) {
  Desk desk(Laptop());
  desk.load(ExampleForm("contact.dfm")).Show();
  desk.drag(kOnMonitor96);
  desk.client(601, 377);  // the user sizes the form at 96 DPI
  desk.drag(kOnLaptop);
  EXPECT_EQ(desk.clientRect().right, Scaled(601, 144, 96));
  EXPECT_EQ(desk.clientRect().bottom, Scaled(377, 144, 96));
  desk.drag(kOnMonitor120);
  EXPECT_EQ(desk.clientRect().right, Scaled(601, 120, 96));
  desk.drag(kOnMonitor96);
  EXPECT_EQ(desk.clientRect().right, 601);
  EXPECT_EQ(desk.clientRect().bottom, 377);
}

TEST(DpiRoundTrip, AControlAddedLaterKeepsItsBaseAndConvertsFromIt) {
  Desk desk(Laptop());
  desk.load(ExampleForm("contact.dfm")).Show();
  auto* extra = new TButton(&desk.form());
  extra->SetName("btnExtra");
  extra->SetParent(&desk.form());
  extra->SetBounds(33, 201, 77, 29);
  // Made at the factor 2/3 of the form shown at 144 DPI: its base is
  // 116 (77 / (2/3), half up) at 144 DPI.
  desk.flex().DynamicAdd();
  desk.client(500, 310);
  const ControlState first = StateOf(*extra, "btnExtra");
  for (int i = 0; i < 20; ++i) {
    desk.drag(kOnMonitor96);
    desk.drag(kOnMonitor120);
    desk.drag(kOnLaptop);
  }
  EXPECT_EQ(StateOf(*extra, "btnExtra"), first);
  // At 96 DPI the base is 116 * 96/144 = 77 (half up) and the client
  // 333 wide: 77 * 333/480 = 53.4.
  desk.drag(kOnMonitor96);
  EXPECT_EQ(desk.clientRect().right, 333);
  EXPECT_EQ(extra->Width(), 53);
}

TEST(DpiRoundTrip, AControlMadeAtRunTimeTakesTheFormsDpi) {
  // Made in code at the system DPI (144) and put on the form on the 96
  // DPI monitor: it keeps its points at the form's DPI, as one made there.
  Desk desk(Laptop());
  desk.load(ExampleForm("contact.dfm")).Show();
  desk.drag(kOnMonitor96);
  auto* own = new TButton(&desk.form());
  own->SetName("btnOwn");
  own->Font().SetSize(9);
  auto* follows = new TButton(&desk.form());
  follows->SetName("btnFollows");
  EXPECT_EQ(own->Font().PixelsPerInch(), 144);
  own->SetParent(&desk.form());
  follows->SetParent(&desk.form());
  EXPECT_EQ(own->Font().PixelsPerInch(), 96);
  EXPECT_EQ(own->Font().Size(), 9);
  EXPECT_EQ(own->Font().Height(), -12);
  EXPECT_EQ(follows->Font().Height(), desk.form().Font().Height());
}

// A component that did not serve the form while it changed DPI takes the
// form's DPI when it serves it again.
enum class Missed {
  TurnedOffAndOn,
  // A second component on the form takes over when the first is freed.
  SecondComponent,
  // The first one, switched off, took the component procedure out of the
  // window's chain: the second serves again once a third puts it back, and
  // its next message is a change of DPI.
  Rehooked
};

class DpiMissed : public ::testing::TestWithParam<Missed> {};

TEST_P(DpiMissed, TheComponentThatServesNextTakesTheDpiItMissed) {
  const Missed way = GetParam();
  const std::string path = ExampleForm("contact.dfm");
  // Moves while the component does not serve the form (`missed`), or only
  // once it serves it again; either way the form ends on the 96 DPI monitor.
  auto served = [&](bool missed) {
    Desk desk(Laptop());
    desk.load(path).Show();
    const Layout shown = desk.layout();
    TFlexarium* first = &desk.flex();
    auto another = [&](const char* name) {
      auto* f = new TFlexarium(nullptr);
      f->SetName(name);
      desk.form().InsertComponent(f);
      f->Start();
      return f;
    };
    TFlexarium* serving = first;
    switch (way) {
      case Missed::TurnedOffAndOn:
        first->SetEnabled(false);
        if (missed) desk.drag(kOnMonitor96);
        first->SetEnabled(true);
        break;
      case Missed::SecondComponent:
        serving = another("Flex2");
        if (missed) desk.drag(kOnMonitor96);
        delete first;
        break;
      case Missed::Rehooked:
        serving = another("Flex2");
        first->SetEnabled(false);
        delete first;
        if (missed) desk.drag(kOnMonitor96);
        another("Flex3");
        if (missed) {
          // Its first message, the move back: the form as it was shown.
          desk.drag(kOnLaptop);
          EXPECT_EQ(desk.layout(), shown);
        }
        break;
    }
    desk.drag(kOnMonitor96);
    EXPECT_EQ(serving->CurrentDpi(), 96);
    desk.client(500, 320);
    return desk.layout();
  };
  const Layout got = served(true);
  EXPECT_EQ(got, served(false));
  // Turned off and on, the component is the form file's: its layout is the
  // form's shown there.
  if (way == Missed::TurnedOffAndOn) {
    EXPECT_EQ(got, Reference(path, 96, 500, 320));
  }
}

constexpr const char* kMissedNames[] = {"TurnedOffAndOn", "SecondComponent",
                                        "Rehooked"};
INSTANTIATE_TEST_SUITE_P(Ways, DpiMissed,
                         ::testing::Values(Missed::TurnedOffAndOn,
                                           Missed::SecondComponent,
                                           Missed::Rehooked),
                         [](const auto& info) {
                           return std::string(
                               kMissedNames[static_cast<int>(info.param)]);
                         });

TEST(DpiRoundTrip, AControlExcludedAcrossAChangeTakesTheDpiItMissed) {
  struct Case {
    const char* form;
    const char* control;
  };
  for (const Case& c :
       {Case{"contact.dfm", "edName"}, Case{"file_browser.dfm", "lvFiles"}}) {
    SCOPED_TRACE(c.control);
    const std::string path = ExampleForm(c.form);
    Layout got;
    win::RECT client{};
    {
      Desk desk(Laptop());
      desk.load(path).Show();
      client = desk.clientRect();
      desk.drag(kOnMonitor96);
      desk.flex().SetNoResizeCtl(c.control);
      desk.drag(kOnLaptop);
      desk.flex().SetNoResizeCtl("");
      desk.client(client.right + 1, client.bottom);
      desk.client(client.right, client.bottom);
      got = desk.layout();
    }
    EXPECT_EQ(got, Reference(path, 144, client.right, client.bottom));
  }
}

// ---- Size limits

TEST(DpiLimits, HoldAtTheNewDpiWhileDraggingAndMaximising) {
  // 640 x 480 to 800 x 600 outer pixels at the start-up DPI (144).
  const std::string limits =
      "    FormMaxWidth = 800\n    FormMaxHeight = 600\n"
      "    FormMinWidth = 640\n    FormMinHeight = 480\n";
  struct Row {
    const char* gesture;
    win::WPARAM edge;
    int dx, dy;
    int width, height;  // expected at 96 DPI
  };
  const Row rows[] = {
      {"drag smaller", win::WMSZ_BOTTOMRIGHT, -400, -400, Scaled(640, 96, 144),
       Scaled(480, 96, 144)},
      {"drag larger", win::WMSZ_BOTTOMRIGHT, 900, 900, Scaled(800, 96, 144),
       Scaled(600, 96, 144)},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.gesture);
    Desk desk(Laptop());
    desk.loadText(MixedForm(limits)).Show();
    desk.client(520, 400);
    desk.drag(kOnMonitor96);
    desk.d().dragEdge(desk.wnd(), row.edge, row.dx, row.dy);
    const win::RECT r = desk.windowRect();
    EXPECT_EQ(r.right - r.left, row.width);
    EXPECT_EQ(r.bottom - r.top, row.height);
  }
  // Maximised on the 125 % monitor, or on the laptop set to 125 %.
  for (bool moved : {true, false}) {
    SCOPED_TRACE(moved ? "moved" : "laptop at 125 %");
    Desk desk(Laptop());
    desk.loadText(MixedForm(limits)).Show();
    if (moved) {
      desk.drag(kOnMonitor120);
    } else {
      ASSERT_TRUE(desk.d().setMonitorDpi(0, 120));
    }
    desk.d().maximize(desk.wnd());
    EXPECT_EQ(desk.flex().CurrentDpi(), 120);
    const win::RECT r = desk.windowRect();
    EXPECT_EQ(r.right - r.left, Scaled(800, 120, 144));
    EXPECT_EQ(r.bottom - r.top, Scaled(600, 120, 144));
  }
}

TEST(DpiLimits, ScaleHalfUp) {
  // A minimum width set at 144 DPI, held at 120 or 96 DPI: 641 * 5/6 =
  // 534.17, 645 * 5/6 = 537.5 (a half, up), 641 * 2/3 = 427.33, 644 * 2/3 =
  // 429.33.
  struct Row {
    int min;
    win::POINT to;
    int width;
  };
  for (const Row& row :
       {Row{641, kOnMonitor120, 534}, Row{645, kOnMonitor120, 538},
        Row{641, kOnMonitor96, 427}, Row{644, kOnMonitor96, 429}}) {
    SCOPED_TRACE(std::to_string(row.min) + " to " + std::to_string(row.to.x));
    Desk desk(Laptop());
    desk.loadText(MixedForm("    FormMinWidth = " + std::to_string(row.min) +
                            "\n    FormMinHeight = 100\n"))
        .Show();
    desk.client(720, 540);
    desk.drag(row.to);
    desk.d().dragEdge(desk.wnd(), win::WMSZ_RIGHT, -2000, 0);
    EXPECT_EQ(desk.windowRect().right - desk.windowRect().left, row.width);
  }
}

TEST(DpiLimits, AtStartUpAreThePixelsAsSet) {
  Desk desk(Laptop());
  desk.loadText(MixedForm("    FormMinWidth = 640\n    FormMinHeight = 480\n"))
      .Show();
  desk.d().dragEdge(desk.wnd(), win::WMSZ_BOTTOMRIGHT, -500, -500);
  const win::RECT r = desk.windowRect();
  EXPECT_EQ(r.right - r.left, 640);
  EXPECT_EQ(r.bottom - r.top, 480);
}

// ---- A maximised form

TEST(DpiMaximised, IsMaximisedOnItsMonitorAtTheNewDpi) {
  // The monitor's scale goes to 200 % while the form is maximised on it:
  // maximised again as maximising there does, to the usable area (the
  // taskbar is on the laptop, 40 pixels at its bottom) at the position the
  // system offers (the work area less the frame of 16 pixels at 192 DPI),
  // or to the maximum size at the new DPI.
  struct Row {
    const char* limits;
    std::size_t monitor;
    win::POINT at;
    win::RECT want;
  };
  const Row rows[] = {
      {"", 1, kOnMonitor96, {1920 - 16, -16, 1920 - 16 + 1920, -16 + 1080}},
      {"", 0, kOnLaptop, {-16, -16, -16 + 1920, -16 + 1040}},
      {"    FormMaxWidth = 600\n    FormMaxHeight = 400\n",
       0,
       kOnLaptop,
       {200, 120, 200 + Scaled(600, 192, 144), 120 + Scaled(400, 192, 144)}},
      {"    FormMaxWidth = 600\n    FormMaxHeight = 400\n",
       1,
       kOnMonitor96,
       {2300, 200, 2300 + Scaled(600, 192, 144), 200 + Scaled(400, 192, 144)}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.limits) + " on monitor " +
                 std::to_string(row.monitor));
    Desk desk(Laptop());
    desk.loadText(MixedForm(row.limits)).Show();
    desk.drag(row.at);
    desk.d().maximize(desk.wnd());
    ASSERT_TRUE(desk.d().setMonitorDpi(row.monitor, 192));
    EXPECT_TRUE(win::IsZoomed(desk.wnd()));
    EXPECT_EQ(desk.flex().CurrentDpi(), 192);
    const win::RECT r = desk.windowRect();
    EXPECT_EQ(r.left, row.want.left);
    EXPECT_EQ(r.top, row.want.top);
    EXPECT_EQ(r.right, row.want.right);
    EXPECT_EQ(r.bottom, row.want.bottom);
  }
}

TEST(DpiMaximised, AMinimisedFormTakesTheNewDpiWhenRestored) {
  const std::string path = ExampleForm("order_dialog.dfm");
  Layout got;
  {
    Desk desk(Laptop());
    desk.load(path).Show();
    desk.d().minimize(desk.wnd());
    ASSERT_TRUE(desk.d().setMonitorDpi(0, 120));
    EXPECT_EQ(desk.flex().CurrentDpi(), 120);
    desk.d().restore(desk.wnd());
    got = desk.layout();
  }
  EXPECT_EQ(got, Reference(path, 120, got.clientWidth, got.clientHeight));
}

TEST(DpiMaximised, ARoundTripMaximisedOrMinimisedKeepsTheClientSize) {
  // 1201 x 801 at 192 DPI is 600.5 x 400.5 at 96: kept as given, the size
  // comes back exactly; the system's restore rectangle, scaled each way and
  // rounded each time, would come back a pixel larger.
  for (const bool minimise : {false, true}) {
    SCOPED_TRACE(minimise ? "minimised" : "maximised");
    sim::DesktopConfig config = OneDpi(192);
    config.monitors = {Monitor(0, 0, 3840, 2160, 192, true)};
    Desk desk(config);
    desk.loadText(MixedForm()).Show();
    desk.client(1201, 801);
    const Layout first = desk.layout();
    for (const int dpi : {96, 192}) {
      if (minimise) {
        desk.d().minimize(desk.wnd());
      } else {
        desk.d().maximize(desk.wnd());
      }
      ASSERT_TRUE(desk.d().setMonitorDpi(0, dpi));
      desk.d().restore(desk.wnd());
      EXPECT_EQ(desk.clientRect().right, Scaled(1201, dpi, 192));
      EXPECT_EQ(desk.clientRect().bottom, Scaled(801, dpi, 192));
    }
    EXPECT_EQ(desk.layout(), first);
  }
}

// ---- Passes and events

TEST(DpiPasses, AChangeRaisesOnePassWithTheFactorsOfThatPass) {
  Desk desk(Laptop());
  desk.loadText(MixedForm()).Show();
  desk.client(720, 540);
  std::vector<std::pair<double, double>> events;
  TExitResizeEvent event;
  event.Code = [&](TObject*, double x, double y) { events.emplace_back(x, y); };
  desk.flex().SetOnExitResize(event);
  desk.drag(kOnMonitor96);
  ASSERT_EQ(events.size(), 1u);
  // 720 x 540 at 144 is 480 x 360 at 96: the design size at the design DPI.
  EXPECT_DOUBLE_EQ(events[0].first, 1.0);
  EXPECT_DOUBLE_EQ(events[0].second, 1.0);
  events.clear();
  // WM_DPICHANGED for the DPI the form has: its size stays, and the pass
  // runs all the same, once.
  win::RECT r = desk.windowRect();
  win::SendMessageW(desk.wnd(), win::WM_DPICHANGED, win::MAKEWPARAM(96, 96),
                    reinterpret_cast<win::LPARAM>(&r));
  EXPECT_EQ(events.size(), 1u);
}

TEST(DpiPasses, TheScaledSizeIsTheAnswerToWmGetDpiScaledSize) {
  Desk desk(Laptop());
  desk.loadText(MixedForm()).Show();
  desk.client(600, 420);
  win::SIZE size{1, 1};
  const win::LRESULT answered =
      win::SendMessageW(desk.wnd(), win::WM_GETDPISCALEDSIZE, 120,
                        reinterpret_cast<win::LPARAM>(&size));
  EXPECT_EQ(answered, win::TRUE);
  win::RECT outer{0, 0, Scaled(600, 120, 144), Scaled(420, 120, 144)};
  win::AdjustWindowRectExForDpi(&outer,
                                win::WS_OVERLAPPEDWINDOW | win::WS_CLIPCHILDREN,
                                win::FALSE, 0, 120);
  EXPECT_EQ(size.cx, outer.right - outer.left);
  EXPECT_EQ(size.cy, outer.bottom - outer.top);
  // Maximised, the size is the monitor's: the system scales.
  desk.d().maximize(desk.wnd());
  EXPECT_EQ(win::SendMessageW(desk.wnd(), win::WM_GETDPISCALEDSIZE, 120,
                              reinterpret_cast<win::LPARAM>(&size)),
            win::FALSE);
}

TEST(DpiPasses, OnlyAPerMonitorAwareProcessAnswers) {
  // A message sent by hand to a system-aware process's form: no answer,
  // no new layout.
  Desk desk(Laptop(DpiAwareness::System));
  desk.loadText(MixedForm()).Show();
  const Layout before = desk.layout();
  win::SIZE size{1, 1};
  EXPECT_EQ(win::SendMessageW(desk.wnd(), win::WM_GETDPISCALEDSIZE, 96,
                              reinterpret_cast<win::LPARAM>(&size)),
            win::FALSE);
  win::RECT r = desk.windowRect();
  win::SendMessageW(desk.wnd(), win::WM_DPICHANGED, win::MAKEWPARAM(96, 96),
                    reinterpret_cast<win::LPARAM>(&r));
  EXPECT_EQ(desk.flex().CurrentDpi(), 144);
  EXPECT_EQ(desk.layout().controls, before.controls);
}

// ---- Where no change arrives

TEST(DpiNoChange, UnawareAndSystemAwareFormsKeepTodaysLayout) {
  for (DpiAwareness a : {DpiAwareness::System, DpiAwareness::Unaware}) {
    SCOPED_TRACE(toString(a));
    const std::string path = ExampleForm("contact.dfm");
    Layout got;
    int dpi = 0;
    {
      Desk desk(Laptop(a));
      desk.load(path).Show();
      dpi = desk.flex().StartupDpi();
      desk.d().clearRecords();
      desk.drag(win::POINT{1700, 200});
      desk.d().setMonitorDpi(0, 192);
      for (const auto& m : desk.d().messages()) {
        EXPECT_NE(m.msg, win::WM_DPICHANGED);
        EXPECT_NE(m.msg, win::WM_GETDPISCALEDSIZE);
      }
      EXPECT_EQ(desk.flex().CurrentDpi(), dpi);
      got = desk.layout();
    }
    EXPECT_EQ(got, Reference(path, dpi, got.clientWidth, got.clientHeight));
  }
}

TEST(DpiNoChange, TheHookPathOfWindows4NeverSeesOne) {
  sim::DesktopConfig config = Laptop();
  config.version = win::OSVersion{4, 10};
  Desk desk(config);
  desk.load(ExampleForm("contact.dfm")).Show();
  desk.drag(kOnMonitor96);
  EXPECT_EQ(desk.flex().CurrentDpi(), 144);
  // Even a message sent by hand leaves the layout alone.
  const Layout before = desk.layout();
  win::RECT r = desk.windowRect();
  win::SendMessageW(desk.wnd(), win::WM_DPICHANGED, win::MAKEWPARAM(96, 96),
                    reinterpret_cast<win::LPARAM>(&r));
  EXPECT_EQ(desk.layout(), before);
}

TEST(DpiNoChange, OnOneDpiTheComponentMakesNoCallOfItsOwnForDpi) {
  // The framework asks for the window's DPI once when it makes the window
  // (Windows 10 only); the component asks nothing more, and below
  // Windows 10 nobody does.
  for (win::OSVersion v : {win::OSVersion{10, 0}, win::OSVersion{6, 1}}) {
    SCOPED_TRACE(v.major);
    sim::DesktopConfig config = OneDpi(120);
    config.version = v;
    Desk desk(config);
    desk.loadText(MixedForm());
    const win::HWND wnd = desk.wnd();
    desk.d().clearRecords();
    desk.form().Show();
    desk.client(700, 500);
    desk.d().dragEdge(wnd, win::WMSZ_RIGHT, 50, 0);
    desk.d().dragCaption(wnd, 10, 10);
    desk.d().maximize(wnd);
    for (const auto& c : desk.d().calls()) {
      EXPECT_EQ(c.op.find("Dpi"), std::string::npos) << c.op;
    }
  }
}

}  // namespace
}  // namespace flx::dpitest
