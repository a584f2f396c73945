// Start-up and the rescale engine, driven as a user drives a form: read it
// from its form file, show it, drag its frame, maximise, restore, minimise.
#include <random>
#include <vector>

#include "flexarium_fixture.h"

namespace flx {
namespace {

using A = TFlexariumAccess;
using win::RECT;

struct Bounds {
  int left, top, width, height;
  bool operator==(const Bounds& o) const {
    return left == o.left && top == o.top && width == o.width &&
           height == o.height;
  }
};
std::ostream& operator<<(std::ostream& os, const Bounds& b) {
  return os << "(" << b.left << "," << b.top << " " << b.width << "x"
            << b.height << ")";
}
Bounds boundsOf(const TControl& c) {
  return {c.Left(), c.Top(), c.Width(), c.Height()};
}

// ---- Start-up
// ------------------------------------------------------------------

class Startup : public FlexTest {
 protected:
  Startup() : FlexTest(config()) {}
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

TEST_F(Startup, ScalesFontsAndBoundsFromDesignToRunTimeDpi) {
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

TEST_F(Startup, DialogsWithoutAStartSizeKeepTheirDesignedBounds) {
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

class StartupEqualDpi : public FlexTest {};

TEST_F(StartupEqualDpi, EqualDpiKeepsEverythingButMovesNegativesOneStep) {
  load(FormText(kDpiControls, "", "  Font.Size = 9\n"));
  EXPECT_EQ(form().Font().Size(), 9);
  EXPECT_EQ(boundsOf(ctl("Own")), (Bounds{100, 20, 75, 21}));
  // Trunc(-8 + 0.5) is -7: a negative value moves one step toward zero.
  EXPECT_EQ(ctl("Minus").Left(), -7);
  EXPECT_EQ(ctl("Minus").Font().Size(), -7);
}

TEST_F(StartupEqualDpi, DesignTimeAndMissingFieldsLeaveTheFormAlone) {
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

TEST_F(StartupEqualDpi, MissingMetricsTakeTheFormAsItIs) {
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

TEST_F(StartupEqualDpi, FrameControlsAreRecordedUnderTheFrameOnly) {
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
TEST_F(StartupEqualDpi, UnnamedControlsKeepTheirOwnBounds) {
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

TEST_F(StartupEqualDpi, OnWindows4NoProcedureIsInstalled) {
  desktop->mutableConfig().version = {4, 0};
  load(FormText(Button("B", 10, 10, 75, 25)));
  EXPECT_EQ(A::PrevWndProc(flex()), nullptr);
  EXPECT_NE(win::GetWindowLongPtrW(wnd(), win::GWLP_WNDPROC),
            reinterpret_cast<win::LONG_PTR>(&FormWndProc));
}

// ---- The rescale pass
// ------------------------------------------------------------

// Both paths: the subclassed procedure (Windows 10) and the thread hook
// (Windows 4.0 and 98).
class Rescale : public FlexTest,
                public ::testing::WithParamInterface<win::OSVersion> {
 protected:
  void SetUp() override {
    desktop->mutableConfig().version = GetParam();
    desktop->mutableConfig().composition = GetParam().major >= 6;
    FlexTest::SetUp();
  }
};

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

TEST_P(Rescale, DragLimitsMoveOnlyTheRightAndBottomEdges) {
  load(FormText(Button("B", 10, 10, 75, 25),
                "    FormMaxWidth = 1000\n    FormMaxHeight = 800\n"
                "    FormMinWidth = 400\n    FormMinHeight = 300\n"));
  form().Show();
  RECT r = windowRect();
  int width = r.right - r.left;
  desktop->dragEdge(wnd(), win::WMSZ_LEFT, width - 300, 0);
  RECT after = windowRect();
  EXPECT_EQ(after.left, r.left + width - 300);  // where the user put it
  EXPECT_EQ(after.right - after.left, 400);     // the right edge pushed out
  // The system stops a drag at the tracking limits the form reports...
  desktop->dragEdge(wnd(), win::WMSZ_BOTTOMRIGHT, 2000, 2000);
  after = windowRect();
  EXPECT_EQ(after.right - after.left, 1000);
  EXPECT_EQ(after.bottom - after.top, 800);
  // ...and WM_SIZING itself always moves the right and bottom edges.
  struct Case {
    win::RECT proposed, expected;
  };
  for (Case c : {Case{{500, 50, 1800, 900}, {500, 50, 1500, 850}},
                 Case{{500, 50, 700, 200}, {500, 50, 900, 350}},
                 Case{{500, 50, 1100, 500}, {500, 50, 1100, 500}}}) {
    win::RECT rc = c.proposed;
    win::SendMessageW(wnd(), win::WM_SIZING, win::WMSZ_LEFT,
                      reinterpret_cast<win::LPARAM>(&rc));
    EXPECT_TRUE(win::EqualRect(&rc, &c.expected))
        << rc.left << "," << rc.top << "," << rc.right << "," << rc.bottom;
  }
}

TEST_P(Rescale, AMaximumNeedsBothValues) {
  load(FormText(Button("B", 10, 10, 75, 25), "    FormMaxWidth = 500\n"));
  form().Show();
  desktop->dragEdge(wnd(), win::WMSZ_RIGHT, 900, 0);
  RECT r = windowRect();
  EXPECT_GT(r.right - r.left, 500);
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

INSTANTIATE_TEST_SUITE_P(Paths, Rescale,
                         ::testing::Values(win::OSVersion{10, 0},
                                           win::OSVersion{4, 0},
                                           win::OSVersion{4, 10}),
                         [](const auto& info) {
                           return "Windows" + std::to_string(info.param.major) +
                                  "_" + std::to_string(info.param.minor);
                         });

// ---- Maximised forms
// -------------------------------------------------------------

class Maximise : public FlexTest {};

TEST_F(Maximise, MinMaxInfoWorkedExample) {
  load(FormText("", "    FormMaxWidth = 800\n    FormMaxHeight = 600\n"));
  form().Show();
  win::MoveWindow(wnd(), 1500, 100, 500, 400, win::TRUE);
  win::MINMAXINFO info{};
  info.ptMaxSize = {1936, 1056};
  info.ptMaxPosition = {-8, -8};
  win::SendMessageW(wnd(), win::WM_GETMINMAXINFO, 0,
                    reinterpret_cast<win::LPARAM>(&info));
  EXPECT_EQ(info.ptMaxSize.x, 800);
  EXPECT_EQ(info.ptMaxSize.y, 600);
  EXPECT_EQ(info.ptMaxTrackSize.x, 800);
  EXPECT_EQ(info.ptMaxPosition.x, 1120);
  EXPECT_EQ(info.ptMaxPosition.y, 100);
}

TEST_F(Maximise, WithoutAMaximumTheUsableAreaIsTheLimit) {
  load(FormText(""));
  form().Show();
  win::MINMAXINFO info{};
  info.ptMaxSize = {1936, 1056};
  info.ptMaxPosition = {-8, -8};
  win::SendMessageW(wnd(), win::WM_GETMINMAXINFO, 0,
                    reinterpret_cast<win::LPARAM>(&info));
  EXPECT_EQ(info.ptMaxSize.x, 1920);
  EXPECT_EQ(info.ptMaxSize.y, 1040);
  EXPECT_EQ(info.ptMaxPosition.x, -8);  // the system's proposal stays
}

TEST_F(Maximise, AMaximisedFormIsKeptInsideTheUsableArea) {
  load(FormText("", "    FormMaxWidth = 600\n    FormMaxHeight = 500\n"));
  form().Show();
  win::MoveWindow(wnd(), 1500, 100, 600, 500, win::TRUE);
  win::RECT c{};
  win::GetClientRect(wnd(), &c);
  win::SendMessageW(wnd(), win::WM_SIZE, win::SIZE_MAXIMIZED,
                    win::MAKELPARAM(c.right, c.bottom));
  RECT r = windowRect();
  EXPECT_EQ(r.left, 1320);
  EXPECT_EQ(r.top, 100);
  EXPECT_EQ(r.right - r.left, 600);
}

TEST_F(Maximise, MaximiseAndRestoreRescaleAndComeBack) {
  load(FormText(Button("B", 100, 100, 75, 25)));
  form().Show();
  Bounds before = boundsOf(ctl("B"));
  desktop->maximize(wnd());
  EXPECT_TRUE(win::IsZoomed(wnd()));
  EXPECT_GT(ctl("B").Width(), 75);
  desktop->restore(wnd());
  EXPECT_EQ(boundsOf(ctl("B")), before);
}

// ---- Several components, freed components, failing passes
// ------------------------

// Counts the messages that reach the form's own procedure.
int gOwnCalls = 0;
win::WNDPROC gOwnNext = nullptr;
win::LRESULT FLX_CALLBACK CountingProc(win::HWND w, win::UINT m, win::WPARAM wp,
                                       win::LPARAM lp) {
  if (m == win::WM_SIZE) ++gOwnCalls;
  return win::CallWindowProcW(gOwnNext, w, m, wp, lp);
}

class Robustness : public FlexTest {
 protected:
  // A form whose own procedure counts WM_SIZE, with `n` components.
  void build(int n) {
    form_ = new TForm(nullptr);
    form_->SetClientWidth(400);
    form_->SetClientHeight(300);
    root.reset(form_);
    auto* b = new TButton(form_);
    b->SetName("B");
    b->SetParent(form_);
    b->SetBounds(40, 30, 80, 20);
    gOwnCalls = 0;
    gOwnNext = reinterpret_cast<win::WNDPROC>(
        win::SetWindowLongPtrW(form_->Handle(), win::GWLP_WNDPROC,
                               reinterpret_cast<win::LONG_PTR>(&CountingProc)));
    for (int i = 0; i < n; ++i) {
      auto* f = new TFlexarium(form_);
      f->SetName("Flex" + std::to_string(i));
      f->Start();
    }
    form_->Show();
  }
  TForm* form_ = nullptr;
};

TEST_F(Robustness, SeveralComponentsServeEachMessageOnce) {
  build(3);
  gOwnCalls = 0;
  client(800, 600);
  EXPECT_EQ(gOwnCalls, 1);
  EXPECT_EQ(ctl("B").Left(), 80);
  // The first one goes: the next one serves, without recursion.
  delete form_->FindComponent("Flex0");
  gOwnCalls = 0;
  client(400, 300);
  EXPECT_EQ(gOwnCalls, 1);
  EXPECT_EQ(ctl("B").Left(), 40);
}

TEST_F(Robustness, AFreedComponentLeavesTheFormWorking) {
  build(1);
  delete form_->FindComponent("Flex0");
  gOwnCalls = 0;
  client(700, 500);
  EXPECT_EQ(gOwnCalls, 1);
  EXPECT_EQ(form_->ClientWidth(), 700);
  EXPECT_EQ(ctl("B").Left(), 40);  // nothing rescales any more
}

// A control whose bounds cannot be set.
class TBrokenButton : public TButton {
 public:
  using TButton::TButton;
  void SetBounds(int l, int t, int w, int h) override {
    if (Parent() != nullptr && Parent()->HandleAllocated() && w > 500) {
      throw EInvalidOperation("broken control");
    }
    TButton::SetBounds(l, t, w, h);
  }
};

TEST_F(Robustness, AFailingPassReleasesTheLockAndStaysInside) {
  build(1);
  auto* broken = new TBrokenButton(form_);
  broken->SetName("Broken");
  broken->SetParent(form_);
  broken->SetBounds(10, 10, 300, 20);
  auto& f = *dynamic_cast<TFlexarium*>(form_->FindComponent("Flex0"));
  f.DynamicAdd();
  std::vector<std::string> errors;
  auto previous = SetExceptionHandler(
      [&](const std::exception& e) { errors.push_back(e.what()); });
  gOwnCalls = 0;
  EXPECT_NO_THROW(client(800, 600));
  SetExceptionHandler(previous);
  EXPECT_EQ(desktop->lockedWindow(), nullptr);
  EXPECT_EQ(gOwnCalls, 1);  // the message still reached the form
  ASSERT_FALSE(errors.empty());
  EXPECT_EQ(errors.front(), "broken control");
  EXPECT_EQ(A::LastError(f), "broken control");
}

// ---- First showing
// ----------------------------------------------------------------

class FirstShow : public FlexTest {};

TEST_F(FirstShow, PlacesTheFormAtItsStartSizeOnce) {
  load(FormText("",
                "    FormPos = rpMiddleCenter\n    FormWidth = 800\n"
                "    FormHeight = 600\n"));
  form().Show();
  RECT r = windowRect();
  EXPECT_EQ(r.right - r.left, 800);
  EXPECT_EQ(r.bottom - r.top, 600);
  EXPECT_TRUE(A::IsResized(flex()));
  // Hidden and shown again after a pass: not placed again.
  win::MoveWindow(wnd(), 5, 5, 700, 500, win::TRUE);
  form().Hide();
  form().Show();
  r = windowRect();
  EXPECT_EQ(r.left, 5);
  EXPECT_EQ(r.right - r.left, 700);
}

TEST_F(FirstShow, AnEventHandlerIsBoundByItsNameInTheFormFile) {
  int calls = 0;
  RegisterExitResizeHandler(
      "TMainForm", "FormExitResize",
      [&](TComponent* form, TObject* sender, double x, double) {
        EXPECT_EQ(form, root.get());
        EXPECT_NE(sender, nullptr);
        EXPECT_GT(x, 0);
        ++calls;
      });
  load(FormText("", "    OnExitResize = FormExitResize\n"));
  EXPECT_EQ(flex().OnExitResize().Name, "FormExitResize");
  form().Show();
  client(500, 400);
  EXPECT_GE(calls, 2);
  std::string written = WriteFormText(*root);
  EXPECT_NE(written.find("    OnExitResize = FormExitResize\n"),
            std::string::npos);
}

}  // namespace
}  // namespace flx

namespace flx {
namespace {

// ---- The hook path's own rules (Windows 4.x)
// ----------------------------------

class Windows98 : public FlexTest {
 protected:
  void SetUp() override {
    desktop->mutableConfig().version = {4, 10};
    desktop->mutableConfig().composition = false;
    FlexTest::SetUp();
  }
  win::MINMAXINFO ask(win::POINT maxSize, win::POINT maxPosition) {
    win::MINMAXINFO info{};
    info.ptMaxSize = maxSize;
    info.ptMaxPosition = maxPosition;
    win::SendMessageW(wnd(), win::WM_GETMINMAXINFO, 0,
                      reinterpret_cast<win::LPARAM>(&info));
    return info;
  }
};

TEST_F(Windows98, MaximisedPositionMovesUnderATopOrLeftTaskbar) {
  struct Case {
    sim::TaskbarEdge edge;
    int thickness;
    const char* flexProps;
    win::POINT proposed, expected;
  };
  const Case cases[] = {
      // A maximum in force, the form at Top 100 inside the area: 100 - 30.
      {sim::TaskbarEdge::Top,
       30,
       "    FormMaxWidth = 600\n    FormMaxHeight = 400\n",
       {-4, -4},
       {100, 70}},
      // No maximum: the system's proposal less the taskbar, not clamped.
      {sim::TaskbarEdge::Left, 60, "", {-4, -4}, {-64, -4}},
  };
  for (const Case& c : cases) {
    desktop->mutableConfig().taskbar.edge = c.edge;
    desktop->mutableConfig().taskbar.thickness = c.thickness;
    load(FormText("", c.flexProps));
    form().Show();
    win::MoveWindow(wnd(), 100, 100, 500, 300, win::TRUE);
    win::MINMAXINFO info = ask({1928, 1088}, c.proposed);
    EXPECT_EQ(info.ptMaxPosition.x, c.expected.x) << c.thickness;
    EXPECT_EQ(info.ptMaxPosition.y, c.expected.y) << c.thickness;
    root.reset();
  }
}

TEST_F(Windows98, AMaximisedFormWithoutAMaximumIsStillLimited) {
  load(FormText(""));
  form().Show();
  desktop->maximize(wnd());
  win::MINMAXINFO info = ask({1928, 1088}, {-4, -4});
  EXPECT_EQ(info.ptMaxSize.x, 1920);
  EXPECT_EQ(info.ptMaxSize.y, 1040);
}

TEST_F(Windows98, TheScreenSizeIsRecordedAtFirstShowAndOnPaint) {
  load(FormText(""));
  form().Show();
  EXPECT_EQ(LastScreenWidth, 1920);
  EXPECT_EQ(LastScreenHeight, 1080);
  desktop->mutableConfig().monitors[0].rect = {0, 0, 1600, 900};
  win::SendMessageW(wnd(), win::WM_NCPAINT, 1, 0);
  EXPECT_EQ(LastScreenWidth, 1600);
  EXPECT_EQ(LastScreenHeight, 900);
}

TEST_F(Windows98, ACustomStyleDoesNotResizeAMaximisedForm) {
  desktop->mutableConfig().customStyle = true;
  load(FormText(Button("B", 10, 10, 75, 25)));
  form().Show();
  desktop->maximize(wnd());
  RECT r = windowRect();
  win::RECT c{};
  win::GetClientRect(wnd(), &c);
  win::SendMessageW(wnd(), win::WM_SIZE, win::SIZE_MAXIMIZED,
                    win::MAKELPARAM(c.right, c.bottom));
  RECT after = windowRect();
  EXPECT_TRUE(win::EqualRect(&r, &after));
}

TEST_F(Windows98, AWindowOfNoComponentIsLeftAlone) {
  load(FormText(""));
  TForm other(nullptr);
  other.HandleNeeded();
  win::CWPSTRUCT m{0, 0, win::WM_SIZE, other.Handle()};
  EXPECT_EQ(CallWndHookProc(0, 1, reinterpret_cast<win::LPARAM>(&m)), 0);
  win::CWPSTRUCT mine{win::MAKELPARAM(400, 300), win::SIZE_RESTORED,
                      win::WM_SIZE, wnd()};
  EXPECT_EQ(CallWndHookProc(0, 1, reinterpret_cast<win::LPARAM>(&mine)), 0);
  EXPECT_TRUE(TFlexariumAccess::IsResized(flex()));
  // A negative code goes to the next hook only.
  EXPECT_EQ(CallWndHookProc(-1, 0, 0), 0);
}

}  // namespace
}  // namespace flx

namespace flx {
namespace {

class FontBase : public FlexTest {};

// A follower made independent between two passes: its base font is derived
// from the size it shows, by the factor that size was produced at.
TEST_F(FontBase, IsDerivedWithThePreviousPassesFactor) {
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
