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

}  // namespace
}  // namespace flx
