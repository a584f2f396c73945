// The rescale pass, driven as a user drives a form: shown, its client
// resized, minimised and restored. Bounds round half up, fonts down, and
// repeated passes never drift.
#include <random>
#include <string>
#include <vector>

#include "flexarium_fixture.h"

namespace flx {
namespace {

using A = TFlexariumAccess;

// ---- On both paths

class Rescale : public OnBothPaths {};

TEST_P(Rescale, WorkedExampleRoundsBoundsHalfUpAndFontsDown) {
  load(FormText(Button("B", 10, 20, 75, 21,
                       "    Font.Size = 8\n    ParentFont = False\n"),
                "", "  Font.Size = 8\n"));
  form().Show();
  double gotX = 0, gotY = 0;
  int events = 0;
  flex().SetOnExitResize({[&](TObject* sender, double x, double y) {
                            EXPECT_EQ(sender, &flex());
                            gotX = x;
                            gotY = y;
                            ++events;
                          },
                          ""});
  client(1200, 900);
  EXPECT_EQ(boundsOf(ctl("B")), (Bounds{15, 30, 113, 32}));
  EXPECT_EQ(ctl("B").Font().Size(), 12);
  EXPECT_EQ(gotX, 1.5);
  EXPECT_EQ(gotY, 1.5);
  EXPECT_GE(events, 1);
  // At 1.45 the form's font is rounded (11.6 -> 12), a control's truncated.
  client(1160, 870);
  EXPECT_EQ(form().Font().Size(), 12);
  EXPECT_EQ(ctl("B").Font().Size(), 11);
  EXPECT_TRUE(A::IsResized(flex()));
}

TEST_P(Rescale, NoDriftAfterAThousandRandomResizes) {
  std::string controls;
  for (int i = 0; i < 12; ++i) {
    controls += Button(
        "B" + std::to_string(i), 7 + 61 * i % 700, 13 + 47 * i % 500, 33 + i,
        21 + i % 5, i % 3 ? "" : "    Font.Size = 9\n    ParentFont = False\n");
  }
  load(FormText(controls));
  form().Show();
  client(800, 600);
  std::vector<Bounds> base;
  std::vector<int> fonts;
  for (int i = 0; i < 12; ++i) {
    base.push_back(boundsOf(ctl("B" + std::to_string(i))));
    fonts.push_back(ctl("B" + std::to_string(i)).Font().Size());
  }
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> w(150, 1900), h(120, 1000);
  for (int step = 0; step < 1000; ++step) client(w(rng), h(rng));
  client(800, 600);
  for (int i = 0; i < 12; ++i) {
    EXPECT_EQ(boundsOf(ctl("B" + std::to_string(i))), base[i]) << i;
    EXPECT_EQ(ctl("B" + std::to_string(i)).Font().Size(), fonts[i]) << i;
  }
}

TEST_P(Rescale, ZeroGuardAndFontFloor) {
  load(FormText(Button("Edge", 0, 0, 1, 10,
                       "    Font.Size = 8\n    ParentFont = False\n") +
                Button("Neg", 10, 50, 75, 21,
                       "    Font.Size = -8\n    ParentFont = False\n")));
  form().Show();
  client(320, 60);  // sx 0.4, sy 0.1
  EXPECT_EQ(boundsOf(ctl("Edge")), (Bounds{1, 1, 1, 1}));
  EXPECT_EQ(ctl("Edge").Font().Size(), 1);  // Trunc(0.8) = 0, lifted to 1
  // Start-up moved -8 one step to -7; Trunc(-7 * 1.5) = -10.
  ASSERT_EQ(A::Ctrl(flex(), "Neg")->Font->Size(), -7);
  client(1200, 900);
  EXPECT_EQ(ctl("Neg").Font().Size(), -10);
}

TEST_P(Rescale, MinimisingChangesNothingAndRestoringRescales) {
  load(FormText(Button("B", 100, 100, 75, 25)));
  form().Show();
  client(1200, 900);
  int events = 0;
  flex().SetOnExitResize({[&](TObject*, double, double) { ++events; }, ""});
  desktop->minimize(wnd());
  EXPECT_EQ(events, 0);
  EXPECT_EQ(ctl("B").Left(), 150);
  desktop->restore(wnd());
  EXPECT_EQ(events, 1);
  EXPECT_EQ(ctl("B").Left(), 150);
}

TEST_P(Rescale, EventIsRaisedEvenWithoutSnapshots) {
  load(FormText("", "    NoResizeCtl = 'Nothing'\n"));
  int events = 0;
  flex().SetOnExitResize({[&](TObject*, double, double) { ++events; }, ""});
  form().Show();
  client(400, 300);
  EXPECT_GE(events, 1);
}

TEST_P(Rescale, FramesControlsFollowTheirFrameOnly) {
  TCustomForm& f = load(FormText(""));
  auto* frame = new TFrame(&f);
  frame->SetName("Frame1");
  frame->SetParent(&f);
  frame->SetBounds(100, 100, 200, 100);
  auto* inner = new TButton(frame);
  inner->SetName("Inner");
  inner->SetParent(frame);
  inner->SetBounds(10, 10, 50, 20);
  flex().DynamicAdd();
  f.Show();
  client(1200, 900);
  EXPECT_EQ(boundsOf(*frame), (Bounds{150, 150, 300, 150}));
  EXPECT_EQ(boundsOf(*inner), (Bounds{15, 15, 75, 30}));
}

TEST_P(Rescale, ParentFontSurvivesThePass) {
  load(FormText(Button("Follows", 10, 10, 75, 25)));
  form().Show();
  client(1200, 900);
  EXPECT_TRUE(ctl("Follows").ParentFont());
  EXPECT_EQ(ctl("Follows").Font().Size(), form().Font().Size());
  // The application gives it a font of its own: the base is derived anew.
  ctl("Follows").Font().SetSize(15);
  EXPECT_FALSE(ctl("Follows").ParentFont());
  client(800, 600);
  PCtrlInfo r = A::Ctrl(flex(), "Follows");
  EXPECT_EQ(r->Font->Size(), 10);  // half-up(15 / 1.5)
  EXPECT_FALSE(r->OrgParentFont);
  EXPECT_EQ(ctl("Follows").Font().Size(), 10);
  EXPECT_FALSE(ctl("Follows").ParentFont());
}

// Another window holds the drawing lock: the pass runs all the same, and
// its closing release leaves no window locked.
TEST_P(Rescale, ALockHeldByAnotherWindowDoesNotStopThePass) {
  load(FormText(Button("B", 100, 100, 75, 25)));
  form().Show();
  TForm other(nullptr);
  other.HandleNeeded();
  ASSERT_TRUE(win::LockWindowUpdate(other.Handle()));
  client(1200, 900);
  EXPECT_EQ(boundsOf(ctl("B")), (Bounds{150, 150, 113, 38}));
  EXPECT_EQ(desktop->lockedWindow(), nullptr);
}

// The form's own name in NoResizeFntCtl keeps the form's font; the
// controls' own fonts are still rescaled.
TEST_P(Rescale, TheFormsOwnNameKeepsItsFont) {
  load(FormText(Button("B", 10, 10, 75, 25,
                       "    Font.Size = 8\n    ParentFont = False\n"),
                "    NoResizeFntCtl = 'mainform'\n", "  Font.Size = 8\n"));
  form().Show();
  client(1200, 900);
  EXPECT_EQ(form().Font().Size(), 8);
  EXPECT_EQ(ctl("B").Font().Size(), 12);
}

// A frame inside a frame is a control of the outer frame; the controls
// inside it are not visited.
TEST_P(Rescale, AFrameInsideAFrameIsNotVisited) {
  TCustomForm& f = load(FormText(""));
  auto* outer = new TFrame(&f);
  outer->SetName("Outer");
  outer->SetParent(&f);
  outer->SetBounds(100, 100, 400, 300);
  auto* nested = new TFrame(outer);
  nested->SetName("Nested");
  nested->SetParent(outer);
  nested->SetBounds(10, 10, 200, 100);
  auto* deep = new TButton(nested);
  deep->SetName("Deep");
  deep->SetParent(nested);
  deep->SetBounds(20, 20, 50, 20);
  f.Show();
  client(1200, 900);  // frames come with their controls on the next pass
  client(1600, 900);
  EXPECT_EQ(boundsOf(*outer), (Bounds{200, 150, 800, 450}));
  EXPECT_EQ(boundsOf(*nested), (Bounds{20, 15, 400, 150}));
  EXPECT_EQ(boundsOf(*deep), (Bounds{20, 20, 50, 20}));
}

// WM_SIZE carries the client size in 16 bits. The window system never makes
// a window larger than it can report, so on a screen wide enough for any
// size the factors still follow the client size the form really has.
TEST_P(Rescale, ClientSizesAtTheWindowSystemsCapGiveTheirOwnFactors) {
  desktop->mutableConfig().monitors = {
      sim::MonitorConfig{{0, 0, 80000, 80000}, true}};
  load(FormText(Button("B", 100, 100, 75, 25)));
  form().Show();
  double gotX = 0, gotY = 0;
  flex().SetOnExitResize({[&](TObject*, double x, double y) {
                            gotX = x;
                            gotY = y;
                          },
                          ""});
  for (int width : {70000, 65537, 40000}) {
    SCOPED_TRACE(width);
    client(width, 300);
    const int cw = form().ClientWidth();
    EXPECT_LE(cw, 32767);
    EXPECT_GT(cw, 32000);  // at the cap, not wrapped around
    EXPECT_EQ(gotX, cw / 800.0);
    EXPECT_EQ(gotY, 0.5);
    EXPECT_EQ(ctl("B").Left(), (200 * cw + 800) / 1600);  // half up
  }
}

INSTANTIATE_TEST_SUITE_P(Paths, Rescale, ::testing::ValuesIn(kBothPaths),
                         PathName);

// ---- Base fonts

class RescaleFontBase : public FlexTest {};

// A follower made independent between two passes: its base font is derived
// from the size it shows, by the factor that size was produced at.
TEST_F(RescaleFontBase, IsDerivedWithThePreviousPassesFactor) {
  load(FormText(Button("First", 10, 10, 75, 25,
                       "    Font.Size = 8\n    ParentFont = False\n") +
                Button("Follows", 10, 50, 75, 25)));
  form().Show();
  client(1200, 900);  // factor 1.5: the form's font 8 -> 12
  ASSERT_EQ(ctl("Follows").Font().Size(), 12);
  ctl("Follows").SetParentFont(false);
  client(1600, 1200);  // factor 2.0 (the work area allows 1200 x 1001: 1.668)
  PCtrlInfo r = TFlexariumAccess::Ctrl(flex(), "Follows");
  EXPECT_EQ(r->Font->Size(), 8);  // 12 / 1.5, not 12 / the new factor
  EXPECT_FALSE(r->OrgParentFont);
}

// The font bracket around each control: a control without a font is left
// alone, and a changed ParentFont derives the base font anew from the size
// the control shows, by the factor that size was made at.
TEST_F(RescaleFontBase, FollowsAChangedParentFontFlag) {
  load(FormText(Button("Own", 10, 10, 75, 25,
                       "    Font.Size = 10\n    ParentFont = False\n") +
                    "  object Line: TBevel\n    Left = 10\n    Top = 50\n"
                    "    Width = 75\n    Height = 2\n  end\n",
                "", "  Font.Size = 8\n"));
  form().Show();
  client(1200, 900);  // factor 1.5: Own 15, the form's font 12
  ASSERT_EQ(ctl("Own").Font().Size(), 15);
  EXPECT_EQ(A::Ctrl(flex(), "Line")->Font, nullptr);
  // False to True: the base comes from the parent's font it now shows (a
  // pass at the same size, so that the form's font stays where it is).
  ctl("Own").SetParentFont(true);
  ASSERT_EQ(ctl("Own").Font().Size(), 12);
  win::SendMessageW(wnd(), win::WM_SIZE, win::SIZE_RESTORED,
                    win::MAKELPARAM(1200, 900));
  PCtrlInfo r = A::Ctrl(flex(), "Own");
  EXPECT_EQ(r->Font->Size(), 8);  // half-up(12 / 1.5)
  EXPECT_TRUE(r->OrgParentFont);
  EXPECT_TRUE(ctl("Own").ParentFont());
  // A control without a font keeps the font it was given, flag and all.
  ctl("Line").Font().SetSize(20);
  client(1200, 900);
  EXPECT_EQ(ctl("Line").Font().Size(), 20);
  EXPECT_FALSE(ctl("Line").ParentFont());
}

TEST_F(RescaleFontBase, DerivationRoundsHalfUpAndSkipsAZeroFactor) {
  struct Case {
    const char* name;
    double prevFactor;
    int shown;     // the size the control shows after leaving its parent
    int expected;  // the base font the pass derives
  };
  const Case cases[] = {
      {"7.5 gives 8", 2.0, 15, 8},
      {"-7.5 gives -7", 2.0, -15, -7},
      {"a factor of 0 derives nothing", 0.0, 15, 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    load(FormText(Button("B", 10, 10, 75, 25), "", "  Font.Size = 8\n"));
    form().Show();
    A::SetPrevScale(flex(), 1.0, 1.0, c.prevFactor);
    ctl("B").Font().SetSize(c.shown);  // no longer follows the form
    win::SendMessageW(wnd(), win::WM_SIZE, win::SIZE_RESTORED,
                      win::MAKELPARAM(800, 600));
    PCtrlInfo r = A::Ctrl(flex(), "B");
    EXPECT_EQ(r->Font->Size(), c.expected);
    EXPECT_FALSE(r->OrgParentFont);  // recorded even when nothing derived
    root.reset();
  }
}

}  // namespace
}  // namespace flx
