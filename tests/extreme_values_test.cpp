// Extreme values that a form file, a property write or a window message can
// carry. Every arithmetic on bounds, sizes and fonts stays defined (the
// sanitizer build stops at the first overflow), and what reaches a window
// is what the window system can hold.
#include <climits>
#include <string>
#include <vector>

#include "flexarium_fixture.h"

namespace flx {
namespace {

using A = TFlexariumAccess;

constexpr int kMax = INT_MAX;
constexpr int kMin = INT_MIN;

std::string Int(int v) { return std::to_string(v); }

struct ExtremeCase {
  const char* name;
  std::string text;
  // The property the reader refuses, with its place; nullptr: it loads.
  const char* refused = nullptr;
};

void PrintTo(const ExtremeCase& c, std::ostream* os) { *os << c.name; }

std::string Ctl(const std::string& props) {
  return "  object B: TButton\n" + props + "  end\n";
}
std::string Sized(int l, int t, int w, int h, const std::string& more = "") {
  return Ctl("    Left = " + Int(l) + "\n    Top = " + Int(t) +
             "\n    Width = " + Int(w) + "\n    Height = " + Int(h) + "\n" +
             more);
}
std::string Flex(const std::string& props) { return FormText("", props); }
std::string Metrics(int frmW, int frmH, int dpiW, int dpiH) {
  return "object MainForm: TMainForm\n  ClientHeight = 600\n"
         "  ClientWidth = 800\n" +
         Sized(10, 10, 75, 25) +
         "  object Flexarium1: TFlexarium\n    DesignFrmW = " + Int(frmW) +
         "\n    DesignFrmH = " + Int(frmH) + "\n    DesignDpiW = " + Int(dpiW) +
         "\n    DesignDpiH = " + Int(dpiH) + "\n  end\nend\n";
}

const ExtremeCase kForms[] = {
    {"control at the largest position", FormText(Sized(kMax, kMax, 75, 25))},
    {"control at the smallest position", FormText(Sized(kMin, kMin, 75, 25))},
    {"control of the largest size", FormText(Sized(10, 10, kMax, kMax))},
    {"control of the smallest size", FormText(Sized(10, 10, kMin, kMin))},
    {"everything largest", FormText(Sized(kMax, kMax, kMax, kMax))},
    {"anchored all round at the largest left",
     FormText(Sized(kMax, 10, 75, 25,
                    "    Anchors = [akLeft, akTop, akRight, akBottom]\n"))},
    {"anchored right and bottom at the smallest left",
     FormText(
         Sized(kMin, kMin, kMax, kMax, "    Anchors = [akRight, akBottom]\n"))},
    {"anchored nowhere, largest",
     FormText(Sized(kMax, kMax, kMax, kMax, "    Anchors = []\n"))},
    {"client aligned, largest",
     FormText(Sized(kMax, kMax, kMax, kMax, "    Align = alClient\n"))},
    {"aligned to every edge",
     FormText(Sized(0, 0, kMax, kMax, "    Align = alTop\n") +
              "  object C: TButton\n    Height = " + Int(kMax) +
              "\n    Align = alBottom\n  end\n" +
              "  object D: TButton\n    Width = " + Int(kMax) +
              "\n    Align = alLeft\n  end\n" +
              "  object E: TButton\n    Width = " + Int(kMax) +
              "\n    Align = alRight\n  end\n")},
    {"form client of the largest size",
     FormText("", "",
              "  ClientWidth = " + Int(kMax) +
                  "\n  ClientHeight = " + Int(kMax) + "\n")},
    {"form client of the smallest size",
     FormText("", "",
              "  ClientWidth = " + Int(kMin) +
                  "\n  ClientHeight = " + Int(kMin) + "\n")},
    {"form at the extremes, outer size",
     "object MainForm: TMainForm\n  Left = " + Int(kMin) + "\n  Top = " +
         Int(kMax) + "\n  Width = " + Int(kMax) + "\n  Height = " + Int(kMin) +
         "\n  object Flexarium1: TFlexarium\n  end\nend\n"},
    {"fonts of the largest height",
     FormText(
         Ctl("    Font.Height = " + Int(kMax) + "\n    ParentFont = False\n"),
         "", "  Font.Height = " + Int(kMax) + "\n")},
    {"fonts of the smallest height",
     FormText(
         Ctl("    Font.Height = " + Int(kMin) + "\n    ParentFont = False\n"),
         "", "  Font.Height = " + Int(kMin) + "\n")},
    {"fonts of the largest size",
     FormText(
         Ctl("    Font.Size = " + Int(kMax) + "\n    ParentFont = False\n"), "",
         "  Font.Size = " + Int(kMax) + "\n")},
    {"fonts of the smallest size",
     FormText(
         Ctl("    Font.Size = " + Int(kMin) + "\n    ParentFont = False\n"), "",
         "  Font.Size = " + Int(kMin) + "\n")},
    {"largest start size, bottom right",
     Flex("    FormPos = rpBottomRight\n    FormWidth = " + Int(kMax) +
          "\n    FormHeight = " + Int(kMax) + "\n")},
    {"largest start size, centred",
     Flex("    FormPos = rpMiddleCenter\n    FormWidth = " + Int(kMax) +
          "\n    FormHeight = " + Int(kMax) + "\n")},
    {"largest maximum", Flex("    FormMaxWidth = " + Int(kMax) +
                             "\n    FormMaxHeight = " + Int(kMax) + "\n")},
    {"largest minimum", Flex("    FormMinWidth = " + Int(kMax) +
                             "\n    FormMinHeight = " + Int(kMax) + "\n")},
    {"largest of everything",
     Flex("    FormWidth = " + Int(kMax) + "\n    FormHeight = " + Int(kMax) +
          "\n    FormMaxWidth = " + Int(kMax) + "\n    FormMaxHeight = " +
          Int(kMax) + "\n    FormMinWidth = " + Int(kMax) +
          "\n    FormMinHeight = " + Int(kMax) + "\n")},
    {"design metrics zero", Metrics(0, 0, 0, 0)},
    {"design metrics negative", Metrics(-1, -1, -1, -1), "DesignFrmW"},
    {"design DPI negative", Metrics(800, 600, -96, 96), "DesignDpiW"},
    {"design metrics smallest", Metrics(kMin, kMin, kMin, kMin), "DesignFrmW"},
    {"design metrics largest", Metrics(kMax, kMax, kMax, kMax)},
    {"design size one, DPI largest", Metrics(1, 1, kMax, kMax)},
    {"design size largest, DPI one", Metrics(kMax, kMax, 1, 1)},
    {"constraints at the extremes",
     FormText(Sized(10, 10, 75, 25,
                    "    Constraints.MaxWidth = " + Int(kMax) +
                        "\n    Constraints.MinWidth = " + Int(kMax) +
                        "\n    Constraints.MinHeight = " + Int(kMin) +
                        "\n    Constraints.MaxHeight = " + Int(kMin) + "\n"),
              "",
              "  Constraints.MinWidth = " + Int(kMax) +
                  "\n  Constraints.MaxHeight = " + Int(kMax) + "\n")},
    {"a frame's control at the extremes",
     FormText("  inline Frame1: TFrame\n    Left = " + Int(kMax) +
              "\n    Width = " + Int(kMax) + "\n" +
              "    object Inner: TButton\n      Left = " + Int(kMin) +
              "\n      Top = " + Int(kMax) + "\n      Width = " + Int(kMax) +
              "\n      Height = " + Int(kMax) + "\n    end\n  end\n")},
};

// What the window system can hold: positions in 16 signed bits, sizes from
// 0 to 32767.
void ExpectHeld(win::HWND wnd) {
  win::RECT r{};
  ASSERT_TRUE(win::GetWindowRect(wnd, &r));
  EXPECT_GE(r.left, -32768);
  EXPECT_LE(r.left, 32767);
  EXPECT_GE(r.top, -32768);
  EXPECT_LE(r.top, 32767);
  EXPECT_GE(static_cast<long long>(r.right) - r.left, 0);
  EXPECT_LE(static_cast<long long>(r.right) - r.left, 32767);
  EXPECT_GE(static_cast<long long>(r.bottom) - r.top, 0);
  EXPECT_LE(static_cast<long long>(r.bottom) - r.top, 32767);
}

// ---- Form files

class ExtremeForms
    : public FlexTest,
      public ::testing::WithParamInterface<std::tuple<ExtremeCase, bool>> {
 protected:
  void SetUp() override {
    if (std::get<1>(GetParam())) desktop->mutableConfig().version = {4, 10};
    FlexTest::SetUp();
  }
  // One user step, then what must hold after any step.
  template <class Step>
  void Do(const char* what, Step step) {
    SCOPED_TRACE(what);
    step();
    ExpectHeld(wnd());
  }
};

TEST_P(ExtremeForms, LoadAndUseWithoutOverflow) {
  const ExtremeCase& c = std::get<0>(GetParam());
  if (c.refused != nullptr) {
    try {
      root = LoadFormText(c.text, "test.dfm");
      ADD_FAILURE() << "loaded";
    } catch (const EReadError& e) {
      // Refused with the place and the property.
      EXPECT_GT(e.pos().line, 0) << e.what();
      EXPECT_EQ(e.detail().rfind(std::string(c.refused) + ": ", 0), 0u)
          << e.what();
    }
    return;
  }
  load(c.text);
  const win::HWND w = wnd();
  Do("show", [&] { form().Show(); });
  for (int size : {kMax, kMin, 0, 65535, 65536, 70000}) {
    Do("move", [&] { win::MoveWindow(w, size, size, size, size, win::TRUE); });
  }
  for (int d : {kMax, kMin}) {
    for (win::WPARAM edge : {win::WMSZ_LEFT, win::WMSZ_TOPLEFT,
                             win::WMSZ_BOTTOMRIGHT, win::WMSZ_TOP}) {
      Do("drag", [&] { desktop->dragEdge(w, edge, d, d); });
    }
  }
  Do("maximise", [&] { desktop->maximize(w); });
  Do("minimise", [&] { desktop->minimize(w); });
  Do("restore", [&] { desktop->restore(w); });
  Do("restore again", [&] { desktop->restore(w); });
  for (int pos = rpDefault; pos <= rpBottomRight; ++pos) {
    Do("FormPos", [&] { flex().SetFormPos(static_cast<TResizeFormPos>(pos)); });
  }
  Do("largest client message", [&] {
    win::SendMessageW(w, win::WM_SIZE, win::SIZE_MAXIMIZED,
                      win::MAKELPARAM(0xFFFF, 0xFFFF));
  });
  Do("a control added at run time", [&] {
    auto* b = new TButton(root.get());
    b->SetParent(&form());
    b->SetBounds(kMax, kMin, kMax, kMax);
    flex().DynamicAdd();
    win::SendMessageW(w, win::WM_SIZE, win::SIZE_RESTORED,
                      win::MAKELPARAM(1, 1));
  });
}

INSTANTIATE_TEST_SUITE_P(
    Values, ExtremeForms,
    ::testing::Combine(::testing::ValuesIn(kForms), ::testing::Bool()),
    [](const ::testing::TestParamInfo<std::tuple<ExtremeCase, bool>>& info) {
      std::string name;
      for (const char* p = std::get<0>(info.param).name; *p != '\0'; ++p) {
        const char ch = *p;
        const bool alnum = (ch >= 'a' && ch <= 'z') ||
                           (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9');
        if (alnum) {
          name += ch;
        } else if (!name.empty() && name.back() != '_') {
          name += '_';
        }
      }
      return name + (std::get<1>(info.param) ? "_hook" : "_subclass");
    });

// ---- Property writes and window messages

class ExtremeMessages : public OnBothPaths {};

TEST_P(ExtremeMessages, SizingLimitsSaturateInsteadOfWrapping) {
  load(FormText(Button("B", 10, 10, 75, 25)));
  form().Show();
  TFlexarium& f = flex();
  struct Case {
    const char* name;
    int maxW, maxH, minW, minH;
    win::RECT proposed, expected;
  };
  const Case cases[] = {
      {"largest minimum from the left edge",
       0,
       0,
       kMax,
       kMax,
       {100, 100, 200, 200},
       {100, 100, kMax, kMax}},
      {"largest minimum from a far edge",
       0,
       0,
       kMax,
       kMax,
       {kMax - 5, kMax - 5, kMax, kMax},
       {kMax - 5, kMax - 5, kMax, kMax}},
      {"largest maximum, widest frame",
       kMax,
       kMax,
       0,
       0,
       {kMin, kMin, kMax, kMax},
       {kMin, kMin, -1, -1}},
      {"a frame turned inside out",
       100,
       100,
       50,
       50,
       {kMax, kMax, kMin, kMin},
       {kMax, kMax, kMax, kMax}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    f.SetFormMinWidth(0);
    f.SetFormMinHeight(0);
    f.SetFormMaxWidth(c.maxW);
    f.SetFormMaxHeight(c.maxH);
    f.SetFormMinWidth(c.minW);
    f.SetFormMinHeight(c.minH);
    win::RECT r = c.proposed;
    win::SendMessageW(wnd(), win::WM_SIZING, win::WMSZ_LEFT,
                      reinterpret_cast<win::LPARAM>(&r));
    EXPECT_EQ(r.left, c.expected.left);
    EXPECT_EQ(r.top, c.expected.top);
    EXPECT_EQ(r.right, c.expected.right);
    EXPECT_EQ(r.bottom, c.expected.bottom);
  }
}

TEST_P(ExtremeMessages, MinMaxInfoProposalsOfAnyValue) {
  load(FormText(Button("B", 10, 10, 75, 25)));
  form().Show();
  for (int v : {kMin, kMax, -1, 0}) {
    SCOPED_TRACE(v);
    win::MINMAXINFO info{};
    info.ptMaxSize = {v, v};
    info.ptMaxPosition = {v, v};
    win::SendMessageW(wnd(), win::WM_GETMINMAXINFO, 0,
                      reinterpret_cast<win::LPARAM>(&info));
    // The usable area less a negative proposal: wider, never wrapped.
    EXPECT_GE(info.ptMaxTrackSize.x, 0);
    EXPECT_GE(info.ptMaxTrackSize.y, 0);
  }
  flex().SetFormMaxWidth(kMax);
  flex().SetFormMaxHeight(kMax);
  win::MoveWindow(wnd(), 30000, 30000, 500, 400, win::TRUE);
  win::MINMAXINFO info{};
  win::SendMessageW(wnd(), win::WM_GETMINMAXINFO, 0,
                    reinterpret_cast<win::LPARAM>(&info));
  EXPECT_EQ(info.ptMaxSize.x, 1920);
  EXPECT_GE(info.ptMaxPosition.x, 0);
}

// Bounds and fonts written at the extremes between passes: the next pass
// gives the control its base bounds times the factors again, and a control
// added at such bounds gets base values held in the Integer range.
TEST_P(ExtremeMessages, ControlsWrittenAtTheExtremesRescale) {
  load(FormText(Button("B", 10, 10, 75, 25)));
  form().Show();
  TControl& b = ctl("B");
  for (int v : {kMax, kMin}) {
    SCOPED_TRACE(v);
    b.SetBounds(v, v, v, v);
    b.Font().SetSize(v);
    b.Font().SetHeight(v);
    client(1200, 900);
    EXPECT_EQ(boundsOf(b), (Bounds{15, 15, 113, 38}));
    auto* added = new TButton(root.get());
    added->SetParent(&form());
    added->SetBounds(v, v, v, v);
    flex().DynamicAdd();
    PCtrlInfo r = A::Ctrl(flex(), added->Name());
    ASSERT_NE(r, nullptr);
    // Divided by the factor 1.5 and rounded half up, on the exact values.
    EXPECT_EQ(r->Left, v == kMax ? 1431655765 : -1431655764);
    EXPECT_EQ(r->Width, v == kMax ? 1431655765 : 0);
    client(800, 600);
    EXPECT_EQ(boundsOf(b), (Bounds{10, 10, 75, 25}));
  }
}

INSTANTIATE_TEST_SUITE_P(Paths, ExtremeMessages,
                         ::testing::ValuesIn(kBothPaths), PathName);

}  // namespace
}  // namespace flx
