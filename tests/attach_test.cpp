// The component attached to windows made with plain CreateWindowExW: every
// child window stands where the component puts the same layout built as a
// form, with the same font height; limits, DPI changes, exclusions, the
// shared fonts, detaching (also from the callback and by destroying the
// window) and children made or destroyed later.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "flexarium/attach.h"
#include "flexarium/comctrls.h"
#include "flexarium/extctrls.h"
#include "flexarium_fixture.h"

namespace flx {
namespace {

using namespace win;

// ---- A window tree made by other code, and the same layout as a form

// A plain window procedure, as a Win32 program has: counts what reaches it.
int gPlainMessages = 0;
LRESULT FLX_CALLBACK PlainProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  ++gPlainMessages;
  return DefWindowProcW(wnd, msg, wp, lp);
}
constexpr char16_t kPlainClass[] = u"AttachTestWindow";

struct Child {
  const char16_t* cls;
  int id;
  int parent;  // index of the container, -1 for the top-level window
  int left, top, width, height;
  LONG font;  // lfHeight of its Tahoma font; 0: none (the System font)
  DWORD style = 0;
};

constexpr int kClientW = 400;
constexpr int kClientH = 300;

// Buttons, edits, statics, a list view with two columns, and a group box
// holding two controls of its own.
const std::vector<Child> kLayout = {
    {u"Button", 1001, -1, 10, 10, 75, 25, -11},
    {u"Edit", 1002, -1, 100, 10, 200, 21, -11},
    {u"Static", 1003, -1, 10, 50, 80, 13, -13},
    {u"SysListView32", 1004, -1, 10, 80, 180, 120, -11},
    {u"Button", 1005, -1, 200, 80, 190, 150, -11, 0x7 /* BS_GROUPBOX */},
    {u"Button", 1006, 4, 10, 20, 75, 25, -11},
    {u"Edit", 1007, 4, 10, 60, 170, 21, 0},
    {u"Button", 1008, -1, 315, 260, 75, 25, -11},
};
constexpr int kColumns[] = {60, 100};

LOGFONTW Tahoma(LONG height) {
  LOGFONTW lf{};
  lf.lfHeight = height;
  lf.lfWeight = FW_NORMAL;
  const std::u16string_view face = u"Tahoma";
  std::copy(face.begin(), face.end(), lf.lfFaceName);
  return lf;
}

Bounds windowBounds(HWND wnd) {
  WINDOWPLACEMENT wp{};
  wp.length = sizeof wp;
  GetWindowPlacement(wnd, &wp);
  const RECT& r = wp.rcNormalPosition;
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void setClient(HWND wnd, int w, int h) {
  RECT r{}, c{};
  GetWindowRect(wnd, &r);
  GetClientRect(wnd, &c);
  MoveWindow(wnd, r.left, r.top, w + (r.right - r.left) - c.right,
             h + (r.bottom - r.top) - c.bottom, TRUE);
}

// The windows a program made: a top-level window of its own class and the
// children of the layout, each with the font it was given.
struct WindowTree {
  HWND top = nullptr;
  std::vector<HWND> children;
  std::vector<HFONT> fonts;  // each child's own (or none), freed with it

  explicit WindowTree(const std::vector<Child>& layout, int x = 100,
                      int y = 100) {
    RegisterWindowClass(kPlainClass, &PlainProc);
    RECT r{0, 0, kClientW, kClientH};
    AdjustWindowRectEx(&r, WS_OVERLAPPEDWINDOW, FALSE, 0);
    top =
        CreateWindowExW(0, kPlainClass, u"Attached", WS_OVERLAPPEDWINDOW, x, y,
                        r.right - r.left, r.bottom - r.top, nullptr, nullptr);
    for (const Child& c : layout) add(c);
  }
  ~WindowTree() {
    if (IsWindow(top)) DestroyWindow(top);
    for (HFONT f : fonts) {
      if (f != nullptr) DeleteObject(f);
    }
  }
  HWND add(const Child& c, DWORD exStyle = 0) {
    const HWND parent = c.parent < 0 ? top : children[c.parent];
    const HWND wnd =
        CreateWindowExW(exStyle, c.cls, u"", WS_CHILD | WS_VISIBLE | c.style,
                        c.left, c.top, c.width, c.height, parent, nullptr);
    SetWindowLongPtrW(wnd, GWLP_ID, c.id);
    fonts.push_back(nullptr);
    if (c.font != 0) {
      const LOGFONTW lf = Tahoma(c.font);
      fonts.back() = CreateFontIndirectW(&lf);
      SendMessageW(wnd, WM_SETFONT, reinterpret_cast<WPARAM>(fonts.back()),
                   TRUE);
    }
    if (std::u16string_view(c.cls) == u"SysListView32") {
      for (int width : kColumns) {
        LVCOLUMNW column{};
        column.mask = LVCF_WIDTH;
        column.cx = width;
        SendMessageW(wnd, LVM_INSERTCOLUMNW, 99,
                     reinterpret_cast<LPARAM>(&column));
      }
    }
    children.push_back(wnd);
    return wnd;
  }
  HWND byId(int id) const {
    for (HWND c : children) {
      if (GetWindowLongPtrW(c, GWLP_ID) == id) return c;
    }
    return nullptr;
  }
};

// The same layout as a form built in code, with the component started on it.
struct EquivalentForm {
  std::unique_ptr<TForm> form;
  std::vector<TControl*> controls;
  TFlexarium* flex = nullptr;

  explicit EquivalentForm(const std::vector<Child>& layout, int x = 100,
                          int y = 100) {
    form = std::make_unique<TForm>(nullptr);
    form->SetName("Equivalent");
    form->SetBounds(x, y, form->Width(), form->Height());
    form->SetClientWidth(kClientW);
    form->SetClientHeight(kClientH);
    for (const Child& c : layout) add(c);
    flex = new TFlexarium(form.get());
    flex->SetName("Flexarium1");
  }
  // Starts the component and shows the form beside the program's window
  // `top`, which is shown too.
  void showBeside(HWND top) {
    flex->Start();
    form->Show();
    ShowWindow(top, SW_SHOW);
  }
  TControl* add(const Child& c) {
    TWinControl* parent = c.parent < 0
                              ? form.get()
                              : dynamic_cast<TWinControl*>(controls[c.parent]);
    TControl* ctl = nullptr;
    const std::u16string_view cls = c.cls;
    if (cls == u"SysListView32") {
      auto* list = new TListView(form.get());
      FormValue columns = list->ColumnsValue;
      columns.kind = FormValue::Kind::Collection;
      for (int width : kColumns) {
        columns.items.push_back(FormCollectionItem{
            std::nullopt,
            {FormProperty{"Width", FormValue::Int(width), {}}},
            {}});
      }
      list->ColumnsValue = columns;
      ctl = list;
    } else if (c.style == 0x7) {
      ctl = new TGroupBox(form.get());
    } else {
      ctl = new TButton(form.get());
    }
    ctl->SetName("C" + std::to_string(controls.size()));
    ctl->SetParent(parent);
    ctl->SetBounds(c.left, c.top, c.width, c.height);
    ctl->SetParentFont(false);
    if (c.font != 0) {
      ctl->Font().SetName("Tahoma");
      ctl->Font().SetHeight(c.font);
    } else {
      ctl->Font().SetName("System");
      ctl->Font().SetStyle(fsBold);
      ctl->Font().SetHeight(16);
    }
    controls.push_back(ctl);
    return ctl;
  }
  HWND wnd() { return form->Handle(); }
};

// The same client size for the program's window and the form beside it.
void setClients(HWND top, EquivalentForm& eq, int w, int h) {
  setClient(top, w, h);
  setClient(eq.wnd(), w, h);
}

class AttachTest : public FlexTest {
 protected:
  // Every child window against its control of the form: bounds in the
  // parent's client coordinates, and the height of the font it shows.
  void expectSameLayout(const WindowTree& tree, EquivalentForm& eq,
                        const std::string& when) {
    ASSERT_EQ(tree.children.size(), eq.controls.size());
    for (std::size_t i = 0; i < tree.children.size(); ++i) {
      if (!IsWindow(tree.children[i])) continue;
      SCOPED_TRACE(when + ", child " + std::to_string(i));
      EXPECT_EQ(windowBounds(tree.children[i]), boundsOf(*eq.controls[i]));
      const auto font = desktop->windowFont(tree.children[i]);
      const LONG shown = font ? font->lfHeight : 16;  // none: System
      EXPECT_EQ(shown, eq.controls[i]->Font().Height());
    }
  }
  std::vector<int> columnsOf(HWND list) {
    std::vector<int> out;
    for (int i = 0;; ++i) {
      LVCOLUMNW column{};
      column.mask = LVCF_WIDTH;
      if (!SendMessageW(list, LVM_GETCOLUMNW, i,
                        reinterpret_cast<LPARAM>(&column))) {
        return out;
      }
      out.push_back(column.cx);
    }
  }
};

// ---- Resizing: the same answer as the component gives the form

struct ResizeCase {
  const char* name;
  std::vector<std::pair<int, int>> clients;  // in turn
};
void PrintTo(const ResizeCase& c, std::ostream* os) { *os << c.name; }

class AttachResize : public AttachTest,
                     public ::testing::WithParamInterface<ResizeCase> {};

TEST_P(AttachResize, EveryChildAsTheComponentPlacesTheSameForm) {
  WindowTree tree(kLayout);
  auto attached = Attach(tree.top);
  EquivalentForm eq(kLayout);
  eq.showBeside(tree.top);
  expectSameLayout(tree, eq, "shown");
  for (auto [w, h] : GetParam().clients) {
    setClients(tree.top, eq, w, h);
    expectSameLayout(tree, eq, std::to_string(w) + "x" + std::to_string(h));
    auto* list = dynamic_cast<TListView*>(eq.controls[3]);
    std::vector<int> expected;
    for (const TColumnInfo& c : list->Columns()) expected.push_back(c.Width);
    EXPECT_EQ(columnsOf(tree.children[3]), expected);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, AttachResize,
    ::testing::Values(ResizeCase{"Larger", {{600, 450}}},
                      ResizeCase{"Smaller", {{200, 150}}},
                      ResizeCase{"WiderThanTall", {{800, 300}}},
                      ResizeCase{"OddSizes", {{517, 233}, {401, 299}}},
                      ResizeCase{"Tiny", {{30, 20}}},
                      ResizeCase{"BackToTheStart",
                                 {{640, 480}, {123, 456}, {400, 300}}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Size limits in a drag

struct DragCase {
  const char* name;
  WPARAM edge;
  int dx, dy;
  int width, height;  // the outer size the drag ends at; -1: as it was
};
void PrintTo(const DragCase& c, std::ostream* os) { *os << c.name; }

class AttachDrag : public AttachTest,
                   public ::testing::WithParamInterface<DragCase> {};

TEST_P(AttachDrag, SizeLimitsHold) {
  WindowTree tree(kLayout);
  AttachOptions options;
  options.FormMinWidth = 300;
  options.FormMinHeight = 250;
  options.FormMaxWidth = 700;
  options.FormMaxHeight = 500;
  auto attached = Attach(tree.top, options);
  ShowWindow(tree.top, SW_SHOW);
  RECT before{};
  GetWindowRect(tree.top, &before);
  desktop->dragEdge(tree.top, GetParam().edge, GetParam().dx, GetParam().dy);
  RECT r{};
  GetWindowRect(tree.top, &r);
  const auto expect = [](int want, LONG was) { return want < 0 ? was : want; };
  EXPECT_EQ(r.right - r.left,
            expect(GetParam().width, before.right - before.left));
  EXPECT_EQ(r.bottom - r.top,
            expect(GetParam().height, before.bottom - before.top));
}

constexpr WPARAM kRight = 2, kBottomRight = 8, kTopLeft = 4;
INSTANTIATE_TEST_SUITE_P(
    Edges, AttachDrag,
    ::testing::Values(
        DragCase{"PastTheMaximum", kBottomRight, 900, 900, 700, 500},
        DragCase{"BelowTheMinimum", kTopLeft, 300, 300, 300, 250},
        DragCase{"RightEdgeToTheMinimum", kRight, -400, 0, 300, -1}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Exclusions: by control ID, by the program's name, by class

struct ExclusionCase {
  const char* name;
  std::string noResizeCtl;
  std::string noResizeFntCtl;
  std::vector<int> keepBounds;  // IDs whose windows are not moved
  std::vector<int> keepFont;    // IDs whose fonts stay
};
void PrintTo(const ExclusionCase& c, std::ostream* os) { *os << c.name; }

class AttachExclusion : public AttachTest,
                        public ::testing::WithParamInterface<ExclusionCase> {};

TEST_P(AttachExclusion, NamedControlsAreLeftAlone) {
  const ExclusionCase& c = GetParam();
  WindowTree tree(kLayout);
  std::map<int, Bounds> before;
  std::map<int, LONG> fontBefore;
  for (const Child& k : kLayout) {
    before[k.id] = windowBounds(tree.byId(k.id));
    const auto f = desktop->windowFont(tree.byId(k.id));
    fontBefore[k.id] = f ? f->lfHeight : 0;
  }
  AttachOptions options;
  options.NoResizeCtl = c.noResizeCtl;
  options.NoResizeFntCtl = c.noResizeFntCtl;
  options.ControlNames = {{"IDC_OK", 1008}, {"IDC_NAME", 1002}};
  auto attached = Attach(tree.top, options);
  ShowWindow(tree.top, SW_SHOW);
  setClient(tree.top, 2 * kClientW, 2 * kClientH);
  for (const Child& k : kLayout) {
    SCOPED_TRACE(k.id);
    const HWND w = tree.byId(k.id);
    const bool keepBounds =
        std::count(c.keepBounds.begin(), c.keepBounds.end(), k.id) > 0;
    const bool keepFont = keepBounds || std::count(c.keepFont.begin(),
                                                   c.keepFont.end(), k.id) > 0;
    EXPECT_EQ(windowBounds(w) == before[k.id], keepBounds);
    const auto f = desktop->windowFont(w);
    EXPECT_EQ((f ? f->lfHeight : 0) == fontBefore[k.id], keepFont);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Names, AttachExclusion,
    ::testing::Values(
        ExclusionCase{"ById", "1001", "", {1001}, {}},
        ExclusionCase{"ByProgramName", "IDC_OK;idc_name", "", {1008, 1002}, {}},
        ExclusionCase{"ByClass", "edit", "", {1002, 1007}, {}},
        ExclusionCase{"FontsOnly", "", "Static;1006", {}, {1003, 1006}},
        ExclusionCase{
            "UnknownNamesExcludeNothing", "IDC_NONE;;9999", "", {}, {}},
        ExclusionCase{
            "ContainerAloneItsChildrenScale", "1005", "", {1005}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Cost of a pass: one look-up per message in the window system

// A window property is a round trip to the window server on Wine: looked
// up twice at every message of every child, it made a pass cost half again
// what moving the windows does.
TEST_F(AttachTest, APassAsksForOnePropertyPerMessageAtMost) {
  WindowTree tree(kLayout);
  auto attached = Attach(tree.top);
  ShowWindow(tree.top, SW_SHOW);
  const Bounds before = windowBounds(tree.byId(1001));
  desktop->clearRecords();
  setClient(tree.top, 600, 450);
  ASSERT_NE(windowBounds(tree.byId(1001)), before);
  int adoptedMessages = 0;
  for (const auto& m : desktop->messages()) {
    if (m.wnd == tree.top ||
        std::find(tree.children.begin(), tree.children.end(), m.wnd) !=
            tree.children.end()) {
      ++adoptedMessages;
    }
  }
  int lookUps = 0;
  for (const auto& c : desktop->calls()) {
    if (c.op == "GetPropW") ++lookUps;
  }
  ASSERT_GT(adoptedMessages, 0);
  EXPECT_LE(lookUps, adoptedMessages);
}

// Nothing of a window whose drawing is held can be drawn: the fonts a pass
// gives its controls come without a request to redraw, as a pass on real
// windows holds the form's drawing and repaints it whole at the end.
TEST_F(AttachTest, FontsComeWithoutARedrawWhileTheWindowsDrawingIsHeld) {
  WindowTree tree(kLayout);
  auto attached = Attach(tree.top);
  ShowWindow(tree.top, SW_SHOW);
  auto fontsSent = [&](LPARAM redraw) {
    int n = 0;
    for (const auto& m : desktop->messages()) {
      if (m.msg == WM_SETFONT && m.lParam == redraw &&
          std::find(tree.children.begin(), tree.children.end(), m.wnd) !=
              tree.children.end()) {
        ++n;
      }
    }
    return n;
  };
  SendMessageW(tree.top, WM_SETREDRAW, FALSE, 0);
  desktop->clearRecords();
  setClient(tree.top, 600, 450);
  EXPECT_GT(fontsSent(FALSE), 0);
  EXPECT_EQ(fontsSent(TRUE), 0);
  SendMessageW(tree.top, WM_SETREDRAW, TRUE, 0);
  desktop->clearRecords();
  setClient(tree.top, 300, 225);
  EXPECT_GT(fontsSent(TRUE), 0);
  EXPECT_EQ(fontsSent(FALSE), 0);
}

// ---- Names in the model: one of its own for every window

// Dialogs give most labels the ID IDC_STATIC (-1).
TEST_F(AttachTest, WindowsOfOneIdEachGetANameOfTheirOwn) {
  WindowTree tree(std::vector<Child>{});
  constexpr int kLabels = 60;
  for (int i = 0; i < kLabels; ++i) {
    tree.add(
        Child{u"Static", -1, -1, 5 + i % 6 * 60, 5 + i / 6 * 20, 50, 15, -11});
  }
  tree.add(Child{u"Button", 1001, -1, 10, 250, 75, 25, -11});
  AttachOptions options;
  options.NoResizeCtl = "-1";
  auto attached = Attach(tree.top, options);
  TComponent* model = attached->Component()->Owner();
  ASSERT_NE(model->FindComponent("CtlM1"), nullptr);
  for (int n = 2; n <= kLabels; ++n) {
    SCOPED_TRACE(n);
    EXPECT_NE(model->FindComponent("CtlM1_" + std::to_string(n)), nullptr);
  }
  EXPECT_EQ(model->FindComponent("CtlM1_" + std::to_string(kLabels + 1)),
            nullptr);
  // Later windows of the same ID, one of the first gone meanwhile: names
  // stay unique, and the exclusion by ID covers every one of them.
  DestroyWindow(tree.children[3]);
  std::vector<HWND> late;
  for (int i = 0; i < 3; ++i) {
    late.push_back(
        tree.add(Child{u"Static", -1, -1, 200, 250 + i * 15, 50, 15, -11},
                 WS_EX_NOPARENTNOTIFY));
  }
  attached->Refresh();
  // The labels less the one gone, the button and the component.
  EXPECT_EQ(model->ComponentCount(), kLabels + 3 - 1 + 1 + 1);
  const HWND button = tree.byId(1001);
  std::vector<Bounds> labels;
  for (HWND c : tree.children) labels.push_back(windowBounds(c));
  ShowWindow(tree.top, SW_SHOW);
  setClient(tree.top, 2 * kClientW, 2 * kClientH);
  EXPECT_EQ(windowBounds(button), (Bounds{20, 500, 150, 50}));
  for (std::size_t i = 0; i < tree.children.size(); ++i) {
    if (i == 3 || tree.children[i] == button) continue;
    SCOPED_TRACE(i);
    EXPECT_EQ(windowBounds(tree.children[i]), labels[i]);
  }
}

// ---- Fonts: one per base font and size, shared, freed

TEST_F(AttachTest, ScaledFontsAreSharedAndFreedWithTheirLastUser) {
  WindowTree tree(kLayout);
  const int programFonts = desktop->fontCount();
  auto attached = Attach(tree.top);
  ShowWindow(tree.top, SW_SHOW);
  setClient(tree.top, 2 * kClientW, 2 * kClientH);
  // Three base fonts (Tahoma -11 and -13, the System font), each at one
  // new size.
  EXPECT_EQ(desktop->fontCount(), programFonts + 3);
  const auto shown = [](HWND w) { return SendMessageW(w, WM_GETFONT, 0, 0); };
  EXPECT_EQ(shown(tree.byId(1001)), shown(tree.byId(1002)));
  EXPECT_EQ(shown(tree.byId(1001)), shown(tree.byId(1006)));
  EXPECT_NE(shown(tree.byId(1001)), shown(tree.byId(1003)));
  // At the start size every window given a font shows its own again. The
  // System font of the window without one stays one of ours: its size in
  // points is negative (a cell height), which the component's start-up
  // rounding moves a step toward zero, as it does on a form.
  setClient(tree.top, kClientW, kClientH);
  for (std::size_t i = 0; i < kLayout.size(); ++i) {
    if (kLayout[i].font == 0) continue;
    SCOPED_TRACE(kLayout[i].id);
    EXPECT_EQ(shown(tree.children[i]),
              reinterpret_cast<LRESULT>(tree.fonts[i]));
  }
  EXPECT_EQ(desktop->windowFont(tree.byId(1007))->lfHeight, 15);
  EXPECT_EQ(desktop->fontCount(), programFonts + 1);
  setClient(tree.top, kClientW / 2, kClientH / 2);
  EXPECT_EQ(desktop->fontCount(), programFonts + 3);
  attached->Detach();
  EXPECT_EQ(desktop->fontCount(), programFonts);
}

// ---- Detach

TEST_F(AttachTest, DetachGivesFontsAndProceduresBackAndTheWindowWorks) {
  WindowTree tree(kLayout);
  std::vector<LONG_PTR> procs;
  std::vector<LRESULT> fonts;
  procs.push_back(GetWindowLongPtrW(tree.top, GWLP_WNDPROC));
  for (HWND c : tree.children) {
    procs.push_back(GetWindowLongPtrW(c, GWLP_WNDPROC));
    fonts.push_back(SendMessageW(c, WM_GETFONT, 0, 0));
  }
  auto attached = Attach(tree.top);
  ShowWindow(tree.top, SW_SHOW);
  setClient(tree.top, 600, 450);
  const Bounds moved = windowBounds(tree.children[0]);
  attached->Detach();
  EXPECT_FALSE(attached->Attached());
  EXPECT_EQ(attached->Component(), nullptr);
  EXPECT_EQ(GetWindowLongPtrW(tree.top, GWLP_WNDPROC), procs[0]);
  for (std::size_t i = 0; i < tree.children.size(); ++i) {
    EXPECT_EQ(GetWindowLongPtrW(tree.children[i], GWLP_WNDPROC), procs[i + 1]);
    EXPECT_EQ(SendMessageW(tree.children[i], WM_GETFONT, 0, 0), fonts[i]);
  }
  // The window keeps its layout and answers as before; nothing follows a
  // resize any more.
  EXPECT_EQ(windowBounds(tree.children[0]), moved);
  gPlainMessages = 0;
  setClient(tree.top, 300, 200);
  EXPECT_GT(gPlainMessages, 0);
  EXPECT_EQ(windowBounds(tree.children[0]), moved);
  // And it can be attached again.
  auto again = Attach(tree.top);
  EXPECT_TRUE(again->Attached());
}

// A procedure installed over the attachment's stays in front and keeps
// working after Detach; the ones behind it pass every message on.
int gOuterMessages = 0;
WNDPROC gOuterPrev = nullptr;
LRESULT FLX_CALLBACK OuterProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  ++gOuterMessages;
  return CallWindowProcW(gOuterPrev, wnd, msg, wp, lp);
}

TEST_F(AttachTest, DetachLeavesAPassThroughUnderAProcedureInstalledLater) {
  WindowTree tree(kLayout);
  auto attached = Attach(tree.top);
  gOuterPrev = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
      tree.top, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&OuterProc)));
  attached->Detach();
  EXPECT_EQ(GetWindowLongPtrW(tree.top, GWLP_WNDPROC),
            reinterpret_cast<LONG_PTR>(&OuterProc));
  const Bounds before = windowBounds(tree.children[0]);
  gOuterMessages = gPlainMessages = 0;
  ShowWindow(tree.top, SW_SHOW);
  setClient(tree.top, 700, 500);
  EXPECT_GT(gOuterMessages, 0);
  EXPECT_GT(gPlainMessages, 0);
  EXPECT_EQ(windowBounds(tree.children[0]), before);
  // The procedures left behind would serve a second attachment twice.
  EXPECT_THROW(Attach(tree.top), EInvalidOperation);
  DestroyWindow(tree.top);
}

TEST_F(AttachTest, AChildLeftWithAPassThroughIsServedByItAgain) {
  WindowTree tree(kLayout);
  const HWND button = tree.byId(1001);
  auto first = Attach(tree.top);
  gOuterPrev = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
      button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&OuterProc)));
  first->Detach();
  auto second = Attach(tree.top);
  EquivalentForm eq(kLayout);
  eq.showBeside(tree.top);
  gOuterMessages = 0;
  setClients(tree.top, eq, 600, 450);
  EXPECT_GT(gOuterMessages, 0);
  expectSameLayout(tree, eq, "attached again");
  second->Detach();
  EXPECT_EQ(GetWindowLongPtrW(button, GWLP_WNDPROC),
            reinterpret_cast<LONG_PTR>(&OuterProc));
}

TEST_F(AttachTest, DestroyingTheWindowDetaches) {
  auto tree = std::make_unique<WindowTree>(kLayout);
  auto attached = Attach(tree->top);
  ShowWindow(tree->top, SW_SHOW);
  setClient(tree->top, 600, 450);
  DestroyWindow(tree->top);
  EXPECT_FALSE(attached->Attached());
  attached->Refresh();
  attached->Detach();
  tree.reset();
  EXPECT_EQ(desktop->fontCount(), 0);
}

struct CallbackDetach {
  const char* name;
  bool freeTheAttachment;  // reset the handle rather than call Detach
};
void PrintTo(const CallbackDetach& c, std::ostream* os) { *os << c.name; }

class AttachCallbackDetach
    : public AttachTest,
      public ::testing::WithParamInterface<CallbackDetach> {};

TEST_P(AttachCallbackDetach, IsDoneWhenTheMessageReturns) {
  WindowTree tree(kLayout);
  const LONG_PTR proc = GetWindowLongPtrW(tree.top, GWLP_WNDPROC);
  const LRESULT font = SendMessageW(tree.children[0], WM_GETFONT, 0, 0);
  std::unique_ptr<Attachment> attached;
  int calls = 0;
  AttachOptions options;
  options.OnExitResize = [&](double, double) {
    ++calls;
    if (GetParam().freeTheAttachment) {
      attached.reset();
    } else {
      attached->Detach();
    }
  };
  attached = Attach(tree.top, options);
  ShowWindow(tree.top, SW_SHOW);
  setClient(tree.top, 600, 450);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(GetWindowLongPtrW(tree.top, GWLP_WNDPROC), proc);
  EXPECT_EQ(SendMessageW(tree.children[0], WM_GETFONT, 0, 0), font);
  setClient(tree.top, 300, 200);
  EXPECT_EQ(calls, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, AttachCallbackDetach,
    ::testing::Values(CallbackDetach{"Detach", false},
                      CallbackDetach{"FreeTheAttachment", true}),
    [](const auto& info) { return std::string(info.param.name); });

// On Windows 4.x the component sees the window's messages through its
// thread hook, before any window procedure: the same layout, and a detach
// from the callback still waits for the message to be done.
class AttachHookPath : public AttachTest {
 protected:
  void SetUp() override {
    desktop->mutableConfig().version = win::OSVersion{4, 0};
    AttachTest::SetUp();
  }
};

TEST_F(AttachHookPath, SameLayoutAndDetachFromTheCallback) {
  WindowTree tree(kLayout);
  const LONG_PTR proc = GetWindowLongPtrW(tree.top, GWLP_WNDPROC);
  std::unique_ptr<Attachment> attached;
  bool detach = false;
  AttachOptions options;
  options.OnExitResize = [&](double, double) {
    if (detach) attached.reset();
  };
  attached = Attach(tree.top, options);
  EquivalentForm eq(kLayout);
  eq.showBeside(tree.top);
  setClients(tree.top, eq, 600, 450);
  expectSameLayout(tree, eq, "hook path");
  detach = true;
  setClient(tree.top, 500, 400);
  EXPECT_EQ(attached, nullptr);
  EXPECT_EQ(GetWindowLongPtrW(tree.top, GWLP_WNDPROC), proc);
  EXPECT_EQ(SendMessageW(tree.children[0], WM_GETFONT, 0, 0),
            reinterpret_cast<LRESULT>(tree.fonts[0]));
}

// ---- Children destroyed or made later

struct ChildChange {
  const char* name;
  DWORD exStyle;  // of the child made or destroyed
  bool refresh;   // the program calls Refresh
};
void PrintTo(const ChildChange& c, std::ostream* os) { *os << c.name; }

class AttachChildChange : public AttachTest,
                          public ::testing::WithParamInterface<ChildChange> {};

TEST_P(AttachChildChange, ChildDestroyedBetweenTwoPasses) {
  std::vector<Child> layout = kLayout;
  WindowTree tree(std::vector<Child>{});
  for (const Child& c : layout) {
    tree.add(c, c.id == 1002 ? GetParam().exStyle : 0);
  }
  auto attached = Attach(tree.top);
  EquivalentForm eq(layout);
  eq.showBeside(tree.top);
  setClients(tree.top, eq, 600, 450);
  const int records = TFlexariumAccess::Ctrls(*attached->Component())->Count();
  DestroyWindow(tree.byId(1002));
  delete eq.controls[1];
  eq.flex->DynamicDelete();
  if (GetParam().refresh) attached->Refresh();
  setClients(tree.top, eq, 500, 350);
  for (std::size_t i = 0; i < tree.children.size(); ++i) {
    if (i == 1) continue;
    SCOPED_TRACE(i);
    EXPECT_EQ(windowBounds(tree.children[i]), boundsOf(*eq.controls[i]));
  }
  attached->Refresh();
  EXPECT_EQ(TFlexariumAccess::Ctrls(*attached->Component())->Count(),
            records - 1);
}

TEST_P(AttachChildChange, ChildMadeLaterIsPickedUp) {
  WindowTree tree(kLayout);
  auto attached = Attach(tree.top);
  EquivalentForm eq(kLayout);
  eq.showBeside(tree.top);
  setClients(tree.top, eq, 600, 450);
  // Made at the current size (the program's own numbers), as a program
  // adds a control to a window in use.
  const Child late{u"Button", 1100, -1, 30, 400, 90, 30, -16};
  const HWND made = tree.add(late, GetParam().exStyle);
  TControl* twin = eq.add(late);
  eq.flex->DynamicAdd();
  if (GetParam().refresh) attached->Refresh();
  setClients(tree.top, eq, 800, 600);
  const bool pickedUp =
      GetParam().refresh || !(GetParam().exStyle & WS_EX_NOPARENTNOTIFY);
  if (pickedUp) {
    EXPECT_EQ(windowBounds(made), boundsOf(*twin));
    EXPECT_EQ(desktop->windowFont(made)->lfHeight, twin->Font().Height());
  } else {
    EXPECT_EQ(windowBounds(made), (Bounds{30, 400, 90, 30}));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Announced, AttachChildChange,
    ::testing::Values(
        ChildChange{"ParentNotified", 0, false},
        ChildChange{"NoParentNotifyAndRefresh", WS_EX_NOPARENTNOTIFY, true},
        ChildChange{"NoParentNotifyUnannounced", WS_EX_NOPARENTNOTIFY, false}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Per-monitor DPI

class AttachDpi : public AttachTest {
 protected:
  static sim::DesktopConfig TwoMonitors() {
    sim::DesktopConfig c;
    sim::MonitorConfig right;
    right.rect = RECT{1920, 0, 3840, 1080};
    right.primary = false;
    right.dpi = 144;
    c.monitors.push_back(right);
    return c;
  }
  AttachDpi() : AttachTest() { desktop->mutableConfig() = TwoMonitors(); }
};

// With a template that did not make the window (this one is no dialog at
// all) too: the window is scaled by the DPI ratio, as without one.
class AttachDpiMove : public AttachDpi,
                      public ::testing::WithParamInterface<bool> {};

TEST_P(AttachDpiMove, MovedToAnotherDpiAsTheFormMovedThere) {
  WindowTree tree(kLayout);
  AttachOptions options;
  // A DLGTEMPLATE of no items, no font, 100 x 50 dialog units.
  std::vector<std::uint8_t> other(24, 0);
  other[14] = 100;
  other[16] = 50;
  if (GetParam()) options.DialogTemplate = other;
  auto attached = Attach(tree.top, options);
  EquivalentForm eq(kLayout);
  eq.showBeside(tree.top);
  desktop->dragCaption(tree.top, 2100, 100);
  desktop->dragCaption(eq.wnd(), 2100, 100);
  ASSERT_EQ(GetDpiForWindow(tree.top), 144u);
  expectSameLayout(tree, eq, "moved");
  setClients(tree.top, eq, 700, 500);
  expectSameLayout(tree, eq, "moved and resized");
  desktop->dragCaption(tree.top, 100, 100);
  desktop->dragCaption(eq.wnd(), 100, 100);
  expectSameLayout(tree, eq, "back");
  // Windows' own dialog re-layout is off, for the window and each control.
  EXPECT_EQ(desktop->dialogDpiBehavior(tree.top), DDC_DISABLE_ALL);
  EXPECT_EQ(desktop->controlDpiBehavior(tree.children[0]),
            DCDC_DISABLE_FONTUPDATE | DCDC_DISABLE_RELAYOUT);
}

INSTANTIATE_TEST_SUITE_P(Template, AttachDpiMove, ::testing::Bool(),
                         [](const auto& info) {
                           return std::string(info.param ? "OfAnotherWindow"
                                                         : "None");
                         });

// A DLGTEMPLATE of DS_SETFONT | WS_POPUP | WS_CAPTION, `cx` x `cy` dialog
// units, with a font of `points` (0x7FFF: the message font, no face) and a
// visible push button, ID 1, 10 x 10 at 0, 0.
std::vector<std::uint8_t> OneButtonDialog(unsigned points, unsigned cx,
                                          unsigned cy) {
  std::vector<std::uint8_t> t;
  auto word = [&](unsigned v) {
    t.push_back(static_cast<std::uint8_t>(v & 0xFF));
    t.push_back(static_cast<std::uint8_t>(v >> 8));
  };
  auto text = [&](std::u16string_view s) {
    for (char16_t c : s) word(c);
    word(0);
  };
  for (unsigned v : {0x00C0u, 0x8000u, 0u, 0u, 1u, 0u, 0u, cx, cy, 0u, 0u}) {
    word(v);
  }
  text(u"");  // title
  word(points);
  if (points != 0x7FFF) text(u"MS Shell Dlg");
  while (t.size() % 4 != 0) t.push_back(0);
  for (unsigned v :
       {0u, 0x5000u, 0u, 0u, 0u, 0u, 10u, 10u, 1u, 0xFFFFu, 0x80u}) {
    word(v);
  }
  text(u"x");
  word(0);
  return t;
}

// A dialog of no client area, with a child the program made beside the
// template's: a move scales nothing by a client size of 0, and the dialog
// stays as it is.
TEST_F(AttachDpi, ADialogOfNoClientAreaMovesWithoutDividingByIt) {
  const auto t = OneButtonDialog(8, 0, 0);
  const HWND dlg = CreateDialogIndirectParamW(nullptr, t, nullptr, nullptr, 0);
  ASSERT_NE(dlg, nullptr) << desktop->lastDialogError();
  AttachOptions options;
  options.DialogTemplate = t;
  auto attached = Attach(dlg, options);
  const HWND extra = CreateWindowExW(0, u"BUTTON", u"y", WS_CHILD | WS_VISIBLE,
                                     0, 0, 20, 20, dlg, nullptr);
  attached->Refresh();
  ShowWindow(dlg, SW_SHOW);
  desktop->dragCaption(dlg, 2100, 100);
  ASSERT_EQ(GetDpiForWindow(dlg), 144u);
  RECT client{};
  GetClientRect(dlg, &client);
  EXPECT_EQ(client.right, 0);
  EXPECT_EQ(client.bottom, 0);
  EXPECT_TRUE(IsWindow(extra));
  EXPECT_TRUE(attached->Attached());
}

// A dialog of the message font (point size 0x7FFF: 8-point Tahoma at 96
// DPI, scaled, so -17 at 144, which no point size gives there) moved to
// 144 DPI stands as the dialog opened there and attached.
TEST_F(AttachDpi, AMessageFontDialogMovedStandsAsOpenedThere) {
  const auto t = OneButtonDialog(0x7FFF, 100, 50);
  AttachOptions options;
  options.DialogTemplate = t;
  // Placed at its owner's client origin: the owner says which monitor.
  auto open = [&](int x) {
    const HWND owner = CreateWindowExW(0, u"BUTTON", u"", WS_POPUP, x, 100, 50,
                                       50, nullptr, nullptr);
    const HWND dlg = CreateDialogIndirectParamW(nullptr, t, owner, nullptr, 0);
    EXPECT_NE(dlg, nullptr) << desktop->lastDialogError();
    return dlg;
  };
  const HWND moved = open(100);
  const HWND there = open(2100);
  ASSERT_EQ(GetDpiForWindow(there), 144u);
  auto attachedMoved = Attach(moved, options);
  auto attachedThere = Attach(there, options);
  ShowWindow(moved, SW_SHOW);
  ShowWindow(there, SW_SHOW);
  desktop->dragCaption(moved, 2500, 100);
  ASSERT_EQ(GetDpiForWindow(moved), 144u);
  auto layout = [&](HWND dlg) {
    RECT client{}, button{};
    GetClientRect(dlg, &client);
    GetWindowRect(GetDlgItem(dlg, 1), &button);
    return std::vector<LONG>{client.right, client.bottom,
                             button.right - button.left,
                             button.bottom - button.top,
                             desktop->windowFont(GetDlgItem(dlg, 1))->lfHeight};
  };
  EXPECT_EQ(layout(moved), layout(there));
}

// ---- Bad input

TEST_F(AttachTest, RefusalsSayWhatIsWrongAndTouchNothing) {
  WindowTree tree(kLayout);
  const LONG_PTR proc = GetWindowLongPtrW(tree.top, GWLP_WNDPROC);
  const Bounds placed = windowBounds(tree.top);
  auto refused = [&](HWND wnd, const AttachOptions& o, const char* words) {
    try {
      Attach(wnd, o);
      ADD_FAILURE() << "accepted: " << words;
    } catch (const EInvalidOperation& e) {
      EXPECT_NE(std::string(e.what()).find(words), std::string::npos)
          << e.what();
    }
    EXPECT_EQ(GetWindowLongPtrW(tree.top, GWLP_WNDPROC), proc);
    EXPECT_EQ(windowBounds(tree.top), placed);
  };
  AttachOptions none;
  refused(nullptr, none, "is not a window");
  refused(tree.children[0], none, "is a child window");
  AttachOptions limits;
  limits.FormPos = rpMiddleCenter;
  limits.FormMinWidth = 500;
  limits.FormMaxWidth = 400;
  refused(tree.top, limits, "FormMinWidth 500");
  AttachOptions font;
  font.MinFontSize = -1;
  refused(tree.top, font, "MinFontSize -1");
  AttachOptions garbage;
  const std::uint8_t truncated[] = {0x48, 0x00, 0xC8};
  garbage.DialogTemplate = truncated;
  refused(tree.top, garbage, "Attach option DialogTemplate: dialog template");
  FlexariumFinalization();
  refused(tree.top, none, "FlexariumInitialization has not been called");
  FlexariumInitialization();
  {
    auto first = Attach(tree.top);
    try {
      Attach(tree.top);
      ADD_FAILURE() << "attached twice";
    } catch (const EInvalidOperation& e) {
      EXPECT_NE(std::string(e.what()).find("attached already"),
                std::string::npos);
    }
  }
  EXPECT_EQ(GetWindowLongPtrW(tree.top, GWLP_WNDPROC), proc);
}

}  // namespace
}  // namespace flx
