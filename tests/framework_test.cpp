// The framework model: ownership and naming, fonts that follow their
// parent, alignment, anchors and constraints, windows made on first use.
#include <gtest/gtest.h>

#include <climits>

#include "flexarium/adopted.h"
#include "flexarium/sim_desktop.h"
#include "flexarium/stdctrls.h"
#include "flexarium/winapi.h"

namespace flx {
namespace {

class Framework : public ::testing::Test {
 protected:
  void SetUp() override { liveObjects_ = LiveObjectCount(); }
  void TearDown() override {
    EXPECT_EQ(LiveObjectCount(), liveObjects_) << "framework objects leaked";
  }
  sim::ScopedDesktop desktop;

 private:
  std::int64_t liveObjects_ = 0;
};

TEST_F(Framework, OwnerFreesWhatItOwnsAndForgetsWhatGoes) {
  std::int64_t before = LiveObjectCount();
  {
    TForm form(nullptr);
    auto* a = new TButton(&form);
    auto* b = new TPanel(&form);
    auto* c = new TLabel(b);  // owned by the panel
    EXPECT_EQ(form.ComponentCount(), 2);
    EXPECT_EQ(b->ComponentCount(), 1);
    EXPECT_EQ(c->Owner(), b);
    delete a;
    EXPECT_EQ(form.ComponentCount(), 1);
    EXPECT_EQ(form.Components(0), b);
  }
  EXPECT_EQ(LiveObjectCount(), before);
}

TEST_F(Framework, NamesAreValidatedAndUniqueIgnoringCase) {
  TForm form(nullptr);
  auto* a = new TButton(&form);
  auto* b = new TButton(&form);
  a->SetName("Button1");
  EXPECT_THROW(b->SetName("button1"), EComponentError);
  EXPECT_TRUE(b->Name().empty());
  struct Case {
    const char* name;
    bool valid;
  };
  for (Case c : {Case{"1abc", false}, Case{"a b", false}, Case{"a-b", false},
                 Case{"_x9", true}, Case{"", true}}) {
    if (c.valid) {
      EXPECT_NO_THROW(b->SetName(c.name)) << c.name;
    } else {
      EXPECT_THROW(b->SetName(c.name), EComponentError) << c.name;
    }
  }
  try {
    b->SetName("BUTTON1");
    FAIL();
  } catch (const EComponentError& e) {
    EXPECT_STREQ(e.what(), "A component named BUTTON1 already exists");
  }
  // Names with letters beyond ASCII ignore their case as well.
  auto* c = new TButton(&form);
  c->SetName("\u00c4rger");
  EXPECT_EQ(form.FindComponent("\u00e4RGER"), c);
  EXPECT_THROW(b->SetName("\u00e4rger"), EComponentError);
  EXPECT_NO_THROW(b->SetName("\u00c5rger"));
}

TEST_F(Framework, PublishedFieldFollowsTheComponentsLife) {
  TForm form(nullptr);
  TComponent** field = form.DeclareField("Flexible1");
  ASSERT_NE(field, nullptr);
  EXPECT_EQ(form.FieldAddress("flexible1"), field);
  EXPECT_EQ(form.FieldAddress("Other"), nullptr);
  auto* c = new TButton(&form);
  c->SetName("Flexible1");
  EXPECT_EQ(*field, c);
  c->SetName("Renamed");  // the field names the old name only
  EXPECT_EQ(*field, nullptr);
  c->SetName("Flexible1");
  EXPECT_EQ(*field, c);
  delete c;
  EXPECT_EQ(*field, nullptr);
}

// Real list boxes trim their height to whole items unless the style says
// otherwise; the framework's keep the height they are given.
TEST_F(Framework, ListBoxWindowsKeepAnyHeight) {
  TForm form(nullptr);
  auto* list = new TListBox(&form);
  list->SetParent(&form);
  const auto style = win::GetWindowLongPtrW(list->Handle(), win::GWL_STYLE);
  EXPECT_NE(style & 0x100, 0) << "LBS_NOINTEGRALHEIGHT";
}

TEST_F(Framework, FontSizeAndHeightFollowTheScreenDpi) {
  struct Case {
    int dpi;
    int height;
    int size;
  };
  for (Case c : {Case{96, -11, 8}, Case{96, -12, 9}, Case{144, -12, 6},
                 Case{120, -15, 9}, Case{96, 11, -8}, Case{96, 0, 0}}) {
    desktop->mutableConfig().dpiY = c.dpi;
    TFont f;
    f.SetHeight(c.height);
    EXPECT_EQ(f.Size(), c.size) << c.dpi << " " << c.height;
    f.SetSize(c.size);
    EXPECT_EQ(f.Size(), c.size);
  }
  desktop->mutableConfig().dpiY = 96;
  TFont f;
  f.SetSize(-8);  // a cell height stays a cell height
  EXPECT_EQ(f.Size(), -8);
  EXPECT_GT(f.Height(), 0);
}

TEST_F(Framework, ParentFontFlowsToFollowersOnly) {
  TForm form(nullptr);
  auto* panel = new TPanel(&form);
  panel->SetParent(&form);
  auto* follower = new TButton(&form);
  follower->SetParent(panel);
  auto* own = new TButton(&form);
  own->SetParent(panel);
  own->Font().SetSize(20);
  EXPECT_FALSE(own->ParentFont());
  form.Font().SetSize(12);
  EXPECT_EQ(panel->Font().Size(), 12);
  EXPECT_EQ(follower->Font().Size(), 12);
  EXPECT_TRUE(follower->ParentFont());
  EXPECT_EQ(own->Font().Size(), 20);
  own->SetParentFont(true);
  EXPECT_EQ(own->Font().Size(), 12);
  follower->Font().SetSize(7);  // a font of its own ends the following
  EXPECT_FALSE(follower->ParentFont());
  form.Font().SetSize(14);
  EXPECT_EQ(follower->Font().Size(), 7);
}

TEST_F(Framework, AlignmentFillsTheParentInOrder) {
  TForm form(nullptr);
  form.SetClientWidth(400);
  form.SetClientHeight(300);
  auto make = [&](TAlign a, int size) {
    auto* p = new TPanel(&form);
    p->SetBounds(5, 5, size, size);
    p->SetParent(&form);
    p->SetAlign(a);
    return p;
  };
  TPanel* top = make(TAlign::alTop, 30);
  TPanel* bottom = make(TAlign::alBottom, 20);
  TPanel* left = make(TAlign::alLeft, 50);
  TPanel* client = make(TAlign::alClient, 10);
  struct Case {
    TControl* c;
    TRect r;
  };
  for (Case k :
       {Case{top, {0, 0, 400, 30}}, Case{bottom, {0, 280, 400, 300}},
        Case{left, {0, 30, 50, 280}}, Case{client, {50, 30, 400, 280}}}) {
    TRect r = k.c->BoundsRect();
    EXPECT_EQ(r.Left, k.r.Left);
    EXPECT_EQ(r.Top, k.r.Top);
    EXPECT_EQ(r.Right, k.r.Right);
    EXPECT_EQ(r.Bottom, k.r.Bottom);
  }
  form.SetClientWidth(600);
  EXPECT_EQ(top->Width(), 600);
  EXPECT_EQ(client->Width(), 550);
}

TEST_F(Framework, AnchorsFollowTheParentsSize) {
  TForm form(nullptr);
  form.SetClientWidth(400);
  form.SetClientHeight(300);
  struct Case {
    TAnchors anchors;
    TRect after;  // after the client grows by 100 x 50
  };
  const Case cases[] = {
      {akLeft | akTop, {100, 100, 150, 120}},
      {akRight | akBottom, {200, 150, 250, 170}},
      {akLeft | akRight | akTop, {100, 100, 250, 120}},
      {akLeft | akTop | akBottom, {100, 100, 150, 170}},
      // Neither edge: the centre keeps its relative place.
      {0, {131, 118, 181, 138}},
  };
  std::vector<TButton*> buttons;
  for (const Case& c : cases) {
    auto* b = new TButton(&form);
    b->SetParent(&form);
    b->SetBounds(100, 100, 50, 20);
    b->SetAnchors(c.anchors);
    buttons.push_back(b);
  }
  form.SetClientWidth(500);
  form.SetClientHeight(350);
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    TRect r = buttons[i]->BoundsRect();
    EXPECT_EQ(r.Left, cases[i].after.Left) << i;
    EXPECT_EQ(r.Top, cases[i].after.Top) << i;
    EXPECT_EQ(r.Right, cases[i].after.Right) << i;
    EXPECT_EQ(r.Bottom, cases[i].after.Bottom) << i;
  }
}

TEST_F(Framework, ConstraintsClampEveryBoundsChange) {
  TForm form(nullptr);
  auto* b = new TButton(&form);
  b->Constraints().MinWidth = 50;
  b->Constraints().MaxHeight = 30;
  b->SetWidth(10);
  b->SetHeight(100);
  EXPECT_EQ(b->Width(), 50);
  EXPECT_EQ(b->Height(), 30);
  b->SetWidth(-5);
  EXPECT_EQ(b->Width(), 50);
}

TEST_F(Framework, FormWindowIsMadeOnFirstUseAndItsClientFollowsIt) {
  TForm form(nullptr);
  form.SetClientWidth(640);
  form.SetClientHeight(480);
  auto* b = new TButton(&form);
  b->SetParent(&form);
  auto* l = new TLabel(&form);
  l->SetParent(&form);
  EXPECT_FALSE(form.HandleAllocated());
  win::HWND wnd = form.Handle();
  ASSERT_NE(wnd, nullptr);
  EXPECT_TRUE(b->HandleAllocated());
  EXPECT_EQ(win::GetParent(b->Handle()), wnd);
  EXPECT_EQ(form.ClientWidth(), 640);
  EXPECT_EQ(form.ClientHeight(), 480);
  win::RECT r{};
  win::GetWindowRect(wnd, &r);
  EXPECT_EQ(r.right - r.left, form.Width());
  win::MoveWindow(wnd, 10, 20, form.Width() + 100, form.Height() + 50, 1);
  EXPECT_EQ(form.ClientWidth(), 740);
  EXPECT_EQ(form.ClientHeight(), 530);
  EXPECT_EQ(form.Left(), 10);
  EXPECT_EQ(form.Top(), 20);
  b->SetBounds(7, 8, 90, 30);
  win::GetWindowRect(b->Handle(), &r);
  win::RECT fr{};
  win::GetWindowRect(wnd, &fr);
  EXPECT_EQ(r.right - r.left, 90);
}

win::LRESULT FLX_CALLBACK PlainWindowProc(win::HWND wnd, win::UINT msg,
                                          win::WPARAM wp, win::LPARAM lp) {
  return win::DefWindowProcW(wnd, msg, wp, lp);
}

// WM_SIZE with SIZE_MAXHIDE or SIZE_MAXSHOW tells of another window being
// maximised or restored: a form's own state stays, for a form and for a
// window made by other code alike.
TEST_F(Framework, WindowStateFollowsOnlyTheFormsOwnSizeChanges) {
  using namespace win;
  TForm form(nullptr);
  RegisterWindowClass(u"FrameworkTestPlain", &PlainWindowProc);
  const HWND plain =
      CreateWindowExW(0, u"FrameworkTestPlain", u"Plain", WS_OVERLAPPEDWINDOW,
                      0, 0, 400, 300, nullptr, nullptr);
  ASSERT_NE(plain, nullptr);
  TAdoptedForm adopted(nullptr);
  adopted.Adopt(plain);
  adopted.Subclass();
  for (TCustomForm* f : {static_cast<TCustomForm*>(&form),
                         static_cast<TCustomForm*>(&adopted)}) {
    SCOPED_TRACE(f->ClassName());
    const HWND wnd = f->Handle();
    ShowWindow(wnd, SW_MAXIMIZE);
    EXPECT_EQ(f->WindowState(), TWindowState::wsMaximized);
    SendMessageW(wnd, WM_SIZE, SIZE_MAXHIDE, 0);
    SendMessageW(wnd, WM_SIZE, SIZE_MAXSHOW, 0);
    EXPECT_EQ(f->WindowState(), TWindowState::wsMaximized);
    ShowWindow(wnd, SW_RESTORE);
    EXPECT_EQ(f->WindowState(), TWindowState::wsNormal);
    ShowWindow(wnd, SW_MINIMIZE);
    EXPECT_EQ(f->WindowState(), TWindowState::wsMinimized);
    SendMessageW(wnd, WM_SIZE, SIZE_MAXSHOW, 0);
    EXPECT_EQ(f->WindowState(), TWindowState::wsMinimized);
  }
  adopted.Release();
  DestroyWindow(plain);
}

TEST_F(Framework, FormConstraintsLimitTheWindowsTrackingSize) {
  TForm form(nullptr);
  form.Constraints().MinWidth = 300;
  form.Constraints().MinHeight = 200;
  form.HandleNeeded();
  win::MoveWindow(form.Handle(), 0, 0, 100, 100, 1);
  EXPECT_EQ(form.Width(), 300);
  EXPECT_EQ(form.Height(), 200);
}

TEST_F(Framework, PublishedPropertiesMatchTheRealFramework) {
  RegisterStandardClasses();
  struct Case {
    const char* cls;
    bool font, caption, text;
  };
  for (Case c :
       {Case{"TButton", true, true, false}, Case{"TLabel", true, true, false},
        Case{"TEdit", true, false, true}, Case{"TComboBox", true, false, true},
        Case{"TMemo", true, false, false}, Case{"TPanel", true, true, false},
        Case{"TGroupBox", true, true, false},
        Case{"TImage", false, false, false},
        Case{"TShape", false, false, false},
        Case{"TBevel", false, false, false}, Case{"TForm", true, true, false},
        Case{"TFrame", true, false, false}}) {
    const TClassInfo* info = FindClass(c.cls);
    ASSERT_NE(info, nullptr) << c.cls;
    EXPECT_EQ(GetPropInfo(*info, "Font") != nullptr, c.font) << c.cls;
    EXPECT_EQ(GetPropInfo(*info, "Caption") != nullptr, c.caption) << c.cls;
    EXPECT_EQ(GetPropInfo(*info, "Text") != nullptr, c.text) << c.cls;
  }
  EXPECT_TRUE(FindClass("tbutton")->InheritsFrom(TControl::StaticClass()));
  EXPECT_FALSE(FindClass("TTimer")->InheritsFrom(TControl::StaticClass()));
}

TEST_F(Framework, StringListLooksUpIgnoringCaseAndKeepsDuplicates) {
  TStringList list;
  list.Add("Button1");
  list.Add("");
  list.Add("button1");
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list.IndexOf("BUTTON1"), 0);
  EXPECT_EQ(list.IndexOf(""), 1);
  EXPECT_EQ(list.IndexOf(" Button1"), -1);
  list.Add("\u0434\u043e\u043c");
  EXPECT_EQ(list.IndexOf("\u0414\u041e\u041c"), 3);
  TList pointers;
  int a = 0, b = 0;
  pointers.Add(&a);
  pointers.Add(nullptr);
  pointers.Add(&b);
  pointers.Pack();
  ASSERT_EQ(pointers.Count(), 2);
  EXPECT_EQ(pointers.Items(1), &b);
  EXPECT_EQ(pointers.Remove(&a), 0);
  EXPECT_EQ(pointers.Remove(&a), -1);
}

TEST_F(Framework, VersionAndStyleComeFromTheWindowSystem) {
  desktop->mutableConfig().version = {4, 10};
  EXPECT_EQ(Win32MajorVersion(), 4);
  EXPECT_EQ(Win32MinorVersion(), 10);
  EXPECT_FALSE(CheckWin32Version(6, 0));
  EXPECT_TRUE(CheckWin32Version(4, 10));
  desktop->mutableConfig().version = {6, 0};
  EXPECT_TRUE(CheckWin32Version(6, 0));
  EXPECT_FALSE(TStyleManager::IsCustomStyleActive());
  desktop->mutableConfig().customStyle = true;
  EXPECT_TRUE(TStyleManager::IsCustomStyleActive());
}

TEST(MulDiv, RoundsHalfAwayFromZero) {
  struct Case {
    int a, b, c, want;
  };
  for (Case k : {Case{9, 144, 72, 18}, Case{8, 96, 72, 11},
                 Case{-11, 72, 96, -8}, Case{11, 72, 96, 8}, Case{3, 1, 2, 2},
                 Case{-3, 1, 2, -2}, Case{1, 1, 0, -1},
                 // Beyond an int Windows answers -1, as for a zero divisor.
                 Case{INT_MAX, 96, 72, -1}, Case{INT_MIN, 2, 1, -1},
                 Case{INT_MAX, 72, 96, 1610612735}, Case{INT_MIN, -1, 1, -1}}) {
    EXPECT_EQ(MulDiv(k.a, k.b, k.c), k.want) << k.a << "*" << k.b << "/" << k.c;
  }
}

// A font's size and height convert wide: the largest sizes and heights
// saturate instead of wrapping around to a small or positive value.
TEST_F(Framework, FontSizeAndHeightConvertWithoutWrapping) {
  struct Case {
    int points, ppi, height, size;
  };
  for (Case k : {Case{8, 96, -11, 8}, Case{-8, 96, 11, -8},
                 Case{INT_MAX, 96, -INT_MAX, 1610612735},
                 Case{INT_MIN, 96, INT_MAX, -1610612735},
                 Case{INT_MAX, 144, -INT_MAX, 1073741824},
                 Case{INT_MAX, 72, -INT_MAX, INT_MAX}}) {
    EXPECT_EQ(TFont::HeightOfSize(k.points, k.ppi), k.height) << k.points;
    EXPECT_EQ(TFont::SizeOfHeight(k.height, k.ppi), k.size) << k.height;
  }
  EXPECT_EQ(TFont::SizeOfHeight(INT_MIN, 96), 1610612736);
  TFont font;
  font.SetSize(INT_MAX);
  EXPECT_LT(font.Height(), 0);
  EXPECT_GT(font.Size(), 0);
  font.SetHeight(INT_MIN);
  EXPECT_GT(font.Size(), 0);
}

TEST_F(Framework, AParentTakesItsControlsWithItWhoeverOwnsThem) {
  std::int64_t before = LiveObjectCount();
  {
    TForm form(nullptr);
    auto* panel = new TPanel(&form);
    panel->SetParent(&form);
    auto* child = new TButton(&form);  // owned by the form
    child->SetName("Child");
    child->SetParent(panel);
    form.HandleNeeded();
    delete panel;
    EXPECT_EQ(form.FindComponent("Child"), nullptr);
    EXPECT_EQ(form.ComponentCount(), 0);
  }
  EXPECT_EQ(LiveObjectCount(), before);
}

TEST_F(Framework, ParentPaintsItsControlsWithoutAWindow) {
  using namespace win;
  TForm form(nullptr);
  form.SetBounds(0, 0, 300, 200);
  auto* label = new TLabel(&form);
  label->SetParent(&form);
  label->SetBounds(10, 20, 80, 15);
  label->SetText("&Name && more");
  label->SetTransparent(true);
  auto* panel = new TPanel(&form);
  panel->SetParent(&form);
  panel->SetBounds(100, 100, 150, 80);
  auto* bevel = new TBevel(&form);
  bevel->SetParent(panel);
  bevel->SetBounds(5, 6, 40, 30);
  auto* button = new TSpeedButton(&form);
  button->SetParent(panel);
  button->SetBounds(50, 6, 23, 22);
  button->SetText("&Go");
  auto* hidden = new TLabel(&form);
  hidden->SetParent(&form);
  hidden->SetText("hidden");
  hidden->SetVisible(false);
  const HWND wnd = form.Handle();
  const HWND panelWnd = panel->Handle();
  desktop->clearRecords();

  SendMessageW(wnd, WM_PAINT, 0, 0);
  const auto& paints = desktop->paints();
  ASSERT_EQ(paints.size(), 1u);
  EXPECT_EQ(paints[0].op, "DrawTextW");
  EXPECT_EQ(paints[0].wnd, wnd);
  EXPECT_EQ(paints[0].text, u"Name & more");
  EXPECT_EQ(paints[0].rect.left, 10);
  EXPECT_EQ(paints[0].rect.top, 20);
  EXPECT_EQ(paints[0].rect.right, 90);
  EXPECT_EQ(paints[0].rect.bottom, 35);
  EXPECT_EQ(paints[0].font, label->Font().Handle());
  EXPECT_EQ(paints[0].bkMode, TRANSPARENT);
  // The default painting runs inside the parent's own BeginPaint/EndPaint.
  std::vector<std::string> ops;
  for (const auto& c : desktop->calls()) {
    if (c.wnd == wnd && (c.op == "BeginPaint" || c.op == "EndPaint" ||
                         c.op == "DefWindowProcW" || c.op == "DrawTextW")) {
      ops.push_back(c.op);
    }
  }
  EXPECT_EQ(ops, (std::vector<std::string>{"BeginPaint", "DefWindowProcW",
                                           "DrawTextW", "EndPaint"}));

  desktop->clearRecords();
  SendMessageW(panelWnd, WM_PAINT, 0, 0);
  // The panel's own bevel first, then its controls in order.
  ASSERT_EQ(paints.size(), 4u);
  EXPECT_EQ(paints[0].op, "DrawEdge");
  EXPECT_EQ(paints[0].wnd, panelWnd);
  EXPECT_EQ(paints[0].rect.right, 150);
  EXPECT_EQ(paints[1].op, "DrawEdge");
  EXPECT_EQ(paints[1].rect.left, 5);
  EXPECT_EQ(paints[1].rect.bottom, 36);
  EXPECT_EQ(paints[2].op, "DrawEdge");
  EXPECT_EQ(paints[2].format, EDGE_RAISED);
  EXPECT_EQ(paints[3].op, "DrawTextW");
  EXPECT_EQ(paints[3].text, u"Go");
  EXPECT_EQ(paints[3].rect.left, 50);
  EXPECT_EQ(paints[3].rect.right, 73);
  EXPECT_NE(paints[3].format & DT_CENTER, 0u);
}

}  // namespace
}  // namespace flx
