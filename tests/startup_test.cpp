// Start-up: what the component does to a form read from its form file
// before it is first shown, from design to run-time DPI, and which controls
// it records.
#include <string>
#include <vector>

#include "flexarium_fixture.h"

namespace flx {
namespace {

using A = TFlexariumAccess;

// ---- At a higher run-time DPI

class StartupAt144Dpi : public FlexTest {
 protected:
  StartupAt144Dpi() : FlexTest(config()) {}
  static sim::DesktopConfig config() {
    sim::DesktopConfig c;
    c.dpiX = c.dpiY = 144;
    return c;
  }
};

const std::string kDpiControls =
    Button("Own", 100, 20, 75, 21,
           "    Font.Size = 9\n    ParentFont = False\n") +
    Button("Follows", 10, 60, 75, 21) +
    Button("Keep", 10, 100, 75, 21,
           "    Font.Size = 9\n    ParentFont = False\n") +
    Button("Minus", -8, 140, 75, 21,
           "    Font.Size = -8\n    ParentFont = False\n");

TEST_F(StartupAt144Dpi, ScalesFontsAndBoundsFromDesignToRunTimeDpi) {
  load(FormText(kDpiControls,
                "    NoResizeCtl = 'Keep'\n    NoResizeFntCtl = 'Own'\n",
                "  Font.Size = 9\n"));
  EXPECT_EQ(form().Font().Size(), 14);  // 9 points at 96 grow by half
  EXPECT_EQ(A::OwnerFont(flex())->Size(), 14);
  EXPECT_EQ(ctl("Own").Font().Size(), 14);  // excluded fonts still follow DPI
  EXPECT_EQ(boundsOf(ctl("Own")), (Bounds{150, 30, 113, 32}));
  PCtrlInfo own = A::Ctrl(flex(), "Own");
  EXPECT_EQ((Bounds{own->Left, own->Top, own->Width, own->Height}),
            (Bounds{150, 30, 113, 32}));
  EXPECT_EQ((Bounds{own->OldLeft, own->OldTop, own->OldWidth, own->OldHeight}),
            (Bounds{150, 30, 113, 32}));
  EXPECT_EQ(own->Font->Size(), 14);
  // A follower keeps following: its record holds a copy, ParentFont True.
  PCtrlInfo follows = A::Ctrl(flex(), "Follows");
  ASSERT_TRUE(follows->Font);
  EXPECT_TRUE(follows->ParentFont);
  EXPECT_TRUE(ctl("Follows").ParentFont());
  EXPECT_EQ(ctl("Follows").Font().Size(), 14);
  // An excluded control: no record, nothing touched.
  EXPECT_EQ(A::Ctrl(flex(), "Keep"), nullptr);
  EXPECT_EQ(ctl("Keep").Font().Size(), 9);
  EXPECT_EQ(boundsOf(ctl("Keep")), (Bounds{10, 100, 75, 21}));
  // Half-up on negatives: -8 / (96/144) + 0.5 = -11.5 truncates to -11.
  EXPECT_EQ(ctl("Minus").Left(), -11);
  EXPECT_EQ(ctl("Minus").Font().Size(), -11);
  EXPECT_EQ(A::RunDpiW(flex()), 144);
  EXPECT_EQ(A::OwnerWidth(flex()), 800);
  EXPECT_EQ(A::MaxSize(flex()).x, 1920);
}

TEST_F(StartupAt144Dpi, DialogsWithoutAStartSizeKeepTheirDesignedBounds) {
  struct Case {
    const char* border;
    const char* state;
    const char* flexProps;
    Bounds expected;
  };
  const Case cases[] = {
      {"bsDialog", "wsNormal", "", {100, 20, 75, 21}},
      {"bsNone", "wsNormal", "", {100, 20, 75, 21}},
      {"bsNone", "wsMaximized", "", {150, 30, 113, 32}},
      {"bsDialog",
       "wsNormal",
       "    FormWidth = 500\n    FormHeight = 400\n",
       {150, 30, 113, 32}},
      {"bsSizeable", "wsNormal", "", {150, 30, 113, 32}},
  };
  for (const Case& c : cases) {
    load(FormText(kDpiControls, c.flexProps,
                  std::string("  BorderStyle = ") + c.border +
                      "\n  WindowState = " + c.state + "\n"));
    EXPECT_EQ(boundsOf(ctl("Own")), c.expected) << c.border << " " << c.state;
    EXPECT_EQ(ctl("Own").Font().Size(), 14) << c.border;
    root.reset();
  }
}

// ResizeFont False acts in the rescale pass only: start-up still takes
// every font of its own from the design to the run-time DPI.
TEST_F(StartupAt144Dpi, FontsFollowTheDpiEvenWithoutResizeFont) {
  load(FormText(kDpiControls, "    ResizeFont = False\n", "  Font.Size = 9\n"));
  EXPECT_EQ(form().Font().Size(), 14);
  EXPECT_EQ(ctl("Own").Font().Size(), 14);
  EXPECT_EQ(ctl("Keep").Font().Size(), 14);
  EXPECT_EQ(A::Ctrl(flex(), "Own")->Font->Size(), 14);
  form().Show();
  client(1200, 900);  // the pass itself leaves the fonts alone
  EXPECT_EQ(ctl("Own").Font().Size(), 14);
}

// ---- At the design DPI

class Startup : public FlexTest {};

TEST_F(Startup, EqualDpiKeepsEverythingButMovesNegativesOneStep) {
  load(FormText(kDpiControls, "", "  Font.Size = 9\n"));
  EXPECT_EQ(form().Font().Size(), 9);
  EXPECT_EQ(boundsOf(ctl("Own")), (Bounds{100, 20, 75, 21}));
  // Trunc(-8 + 0.5) is -7: a negative value moves one step toward zero.
  EXPECT_EQ(ctl("Minus").Left(), -7);
  EXPECT_EQ(ctl("Minus").Font().Size(), -7);
}

TEST_F(Startup, DesignTimeAndMissingFieldsLeaveTheFormAlone) {
  load(FormText(kDpiControls), true);
  EXPECT_EQ(A::Ctrls(flex()), nullptr);
  EXPECT_EQ(ctl("Minus").Left(), -8);
  EXPECT_EQ(InstanceList->Count(), 0);
  root.reset();
  // A component renamed in code no longer has its field: inactive.
  TForm form(nullptr);
  auto* f = new TFlexarium(&form);
  f->SetName("Other");
  form.DeclareField("Flexarium1");
  f->Loaded();
  EXPECT_EQ(A::SelfPointer(*f), nullptr);
  EXPECT_EQ(InstanceList->Count(), 0);
}

TEST_F(Startup, MissingMetricsTakeTheFormAsItIs) {
  load(
      "object MainForm: TMainForm\n  ClientHeight = 300\n  ClientWidth = "
      "400\n" +
      Button("B", 10, 20, 75, 25) +
      "  object Flexarium1: TFlexarium\n  end\nend\n");
  EXPECT_EQ(A::DesignDpiW(flex()), 96);
  EXPECT_EQ(A::OwnerWidth(flex()), 400);
  form().Show();
  EXPECT_EQ(boundsOf(ctl("B")), (Bounds{10, 20, 75, 25}));
  client(800, 600);
  EXPECT_EQ(boundsOf(ctl("B")), (Bounds{20, 40, 150, 50}));
}

TEST_F(Startup, FrameControlsAreRecordedUnderTheFrameOnly) {
  TForm form(nullptr);
  form.SetClientWidth(400);
  form.SetClientHeight(300);
  auto* frame = new TFrame(&form);
  frame->SetName("Frame1");
  frame->SetParent(&form);
  auto* inner = new TButton(frame);
  inner->SetName("Inner");
  inner->SetParent(frame);
  auto* nested = new TFrame(frame);
  nested->SetName("Nested");
  nested->SetParent(frame);
  auto* deep = new TButton(nested);
  deep->SetName("Deep");
  deep->SetParent(nested);
  auto* f = new TFlexarium(&form);
  f->Start();
  EXPECT_NE(A::Child(*f, "Frame1", "Inner"), nullptr);
  EXPECT_NE(A::Child(*f, "Frame1", "Nested"), nullptr);
  EXPECT_EQ(A::Child(*f, "Nested", "Deep"), nullptr);
  EXPECT_EQ(A::Ctrl(*f, "Inner"), nullptr);
}

// A form built in code may leave its controls unnamed: each keeps its own
// layout, none takes another's.
TEST_F(Startup, UnnamedControlsKeepTheirOwnBounds) {
  TForm form(nullptr);
  form.SetClientWidth(400);
  form.SetClientHeight(300);
  auto* a = new TButton(&form);
  a->SetParent(&form);
  a->SetBounds(10, 10, 75, 25);
  a->SetText("A");
  auto* b = new TEdit(&form);
  b->SetParent(&form);
  b->SetBounds(100, 50, 120, 21);
  auto* f = new TFlexarium(&form);
  f->Start();
  form.Show();
  win::MoveWindow(form.Handle(), 0, 0, form.Width() + 400, form.Height() + 300,
                  1);
  ASSERT_EQ(form.ClientWidth(), 800);
  ASSERT_EQ(form.ClientHeight(), 600);
  auto bounds = [](const TControl* c) {
    return std::vector<int>{c->Left(), c->Top(), c->Width(), c->Height()};
  };
  EXPECT_EQ(bounds(a), (std::vector<int>{20, 20, 150, 50}));
  EXPECT_EQ(bounds(b), (std::vector<int>{200, 100, 240, 42}));
  EXPECT_EQ(a->GetText(), "A");
  EXPECT_EQ(b->GetText(), "");
}

// A generated name skips every name already taken by a component of the
// same owner, in any letter case: a form that loads without the component
// loads with it.
TEST_F(Startup, GeneratedNamesSkipNamesAlreadyTaken) {
  struct Case {
    const char* name;
    std::string controls;
    const char* expected;  // the unnamed control's name after start-up
  };
  const std::string unnamed =
      "  object TButton\n    Left = 10\n    Top = 10\n"
      "    Width = 75\n    Height = 25\n  end\n";
  const Case cases[] = {
      {"nothing taken", unnamed, "FlxmAdd0001"},
      {"the first number taken by a later control",
       unnamed + Button("FlxmAdd0001", 100, 10, 75, 25), "FlxmAdd0002"},
      {"taken in another letter case, before it",
       Button("FLXMADD0001", 100, 10, 75, 25) + unnamed, "FlxmAdd0002"},
      {"two numbers in a row taken",
       unnamed + Button("FlxmAdd0001", 100, 10, 75, 25) +
           Button("FlxmAdd0002", 200, 10, 75, 25),
       "FlxmAdd0003"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // Without the component the form loads as it is.
    const std::string bare =
        "object MainForm: TMainForm\n" + c.controls + "end\n";
    ASSERT_NO_THROW(root = LoadFormText(bare, "bare.dfm"));
    ASSERT_NO_THROW(load(FormText(c.controls)));
    TComponent* named = root->FindComponent(c.expected);
    ASSERT_NE(named, nullptr);
    EXPECT_EQ(named->Name(), c.expected);
    EXPECT_EQ(dynamic_cast<TControl*>(named)->Left(), 10);
    EXPECT_NE(A::Ctrl(flex(), c.expected), nullptr);
    EXPECT_EQ(A::AddCnt(flex()), std::stoi(c.expected + 7));
  }
}

TEST_F(Startup, OnWindows4NoProcedureIsInstalled) {
  desktop->mutableConfig().version = {4, 0};
  load(FormText(Button("B", 10, 10, 75, 25)));
  EXPECT_EQ(A::PrevWndProc(flex()), nullptr);
  EXPECT_NE(win::GetWindowLongPtrW(wnd(), win::GWLP_WNDPROC),
            reinterpret_cast<win::LONG_PTR>(&FormWndProc));
}

}  // namespace
}  // namespace flx
