// The component object: defaults, life cycle, Enabled on both paths, the
// unit state, registration, the snapshot lists and the design metrics.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "flexarium_fixture.h"

namespace flx {
namespace {

using A = TFlexariumAccess;

class Component : public FlexTest {};

TEST_F(Component, StartsWithItsPublishedDefaults) {
  TForm form(nullptr);
  auto* f = new TFlexarium(&form);
  EXPECT_EQ(f->FormPos(), rpDefault);
  for (int v : {f->FormWidth(), f->FormHeight(), f->FormMaxWidth(),
                f->FormMaxHeight(), f->FormMinWidth(), f->FormMinHeight()}) {
    EXPECT_EQ(v, 0);
  }
  EXPECT_TRUE(f->ResizeFont());
  EXPECT_TRUE(f->Enabled());
  EXPECT_TRUE(f->ValidTaskbar());
  EXPECT_TRUE(f->NoResizeCtl().empty());
  EXPECT_FALSE(f->OnExitResize());
  ASSERT_NE(A::Ctrls(*f), nullptr);
  EXPECT_EQ(A::Ctrls(*f)->Count(), 0);
  EXPECT_EQ(A::PrevScaleX(*f), 1.0);
  std::vector<std::string> names;
  for (const TPropInfo* p : TFlexarium::StaticClass().AllProps()) {
    if (p->Name != "Name") names.push_back(p->Name);
  }
  EXPECT_EQ(names, (std::vector<std::string>{
                       "FormPos", "FormWidth", "FormHeight", "FormMaxWidth",
                       "FormMaxHeight", "FormMinWidth", "FormMinHeight",
                       "ResizeFont", "NoResizeFntCtl", "NoResizeCtl", "Enabled",
                       "ValidTaskbar", "OnExitResize"}));
}

TEST_F(Component, AtDesignTimeOnlyHoldsValues) {
  for (win::OSVersion v : {win::OSVersion{4, 0}, win::OSVersion{10, 0}}) {
    desktop->mutableConfig().version = v;
    TForm form(nullptr);
    form.SetDesigning(true);
    auto* f = new TFlexarium(&form);
    EXPECT_EQ(A::Ctrls(*f), nullptr);
    desktop->clearRecords();
    f->SetEnabled(false);
    f->SetEnabled(true);
    f->DynamicAdd();
    f->DynamicDelete();
    EXPECT_TRUE(desktop->calls().empty()) << desktop->calls().front().op;
    EXPECT_EQ(HookHandle, nullptr);
    delete f;
  }
}

TEST_F(Component, WritingTheCurrentValueMakesNoWindowSystemCall) {
  load(FormText(Button("B", 10, 10, 75, 25)));
  TFlexarium& f = flex();
  desktop->clearRecords();
  f.SetEnabled(true);
  f.SetResizeFont(true);
  f.SetValidTaskbar(true);
  f.SetResizeFont(false);  // a plain flag: no call either way
  f.SetValidTaskbar(false);
  EXPECT_TRUE(desktop->calls().empty());
  EXPECT_FALSE(f.ResizeFont());
}

TEST_F(Component, DisablingPutsTheFormsProcedureBackAndEnablingRekeys) {
  load(FormText(Button("B", 10, 10, 75, 25)));
  TFlexarium& f = flex();
  auto current = [&] {
    return reinterpret_cast<win::WNDPROC>(
        win::GetWindowLongPtrW(wnd(), win::GWLP_WNDPROC));
  };
  EXPECT_EQ(current(), &FormWndProc);
  win::WNDPROC original = A::PrevWndProc(f);
  ASSERT_NE(original, nullptr);
  f.SetEnabled(false);
  EXPECT_EQ(current(), original);
  EXPECT_EQ(A::PrevWndProc(f), nullptr);
  // The form's window is made anew while the component is off.
  form().DestroyHandle();
  win::HWND fresh = form().Handle();
  f.SetEnabled(true);
  EXPECT_EQ(f.OwnerHandle(), fresh);
  EXPECT_EQ(win::GetWindowLongPtrW(fresh, win::GWLP_WNDPROC),
            reinterpret_cast<win::LONG_PTR>(&FormWndProc));
}

TEST_F(Component, ReadDisabledStillInstallsAndEnablingMakesNoCall) {
  load(FormText(Button("B", 100, 100, 75, 25), "    Enabled = False\n"));
  TFlexarium& f = flex();
  EXPECT_EQ(win::GetWindowLongPtrW(wnd(), win::GWLP_WNDPROC),
            reinterpret_cast<win::LONG_PTR>(&FormWndProc));
  form().Show();
  client(1600, 1200);
  EXPECT_EQ(ctl("B").Left(), 100);  // passed on unchanged
  desktop->clearRecords();
  f.SetEnabled(true);
  for (const auto& c : desktop->calls()) ADD_FAILURE() << c.op;
  client(1200, 900);
  EXPECT_EQ(ctl("B").Left(), 150);
}

TEST_F(Component, DestroyingRemovesOnlyItsOwnEntryAndLeavesTheControls) {
  load(FormText(Button("B", 100, 100, 75, 25)));
  form().Show();
  TForm other(nullptr);
  auto* second = new TFlexarium(&other);
  second->SetName("Flex2");
  second->Start();
  ASSERT_EQ(InstanceList->Count(), 2);
  client(1200, 900);
  EXPECT_EQ(ctl("B").Width(), 113);
  void* mine = A::SelfPointer(flex());
  delete &flex();
  EXPECT_EQ(InstanceList->Count(), 1);
  EXPECT_EQ(InstanceList->IndexOf(mine), -1);
  EXPECT_EQ(ctl("B").Width(), 113);
  EXPECT_EQ(ctl("B").Left(), 150);
}

class HookPath : public FlexTest {
 protected:
  HookPath() : FlexTest(config()) {}
  static sim::DesktopConfig config() {
    sim::DesktopConfig c;
    c.version = {4, 0};
    return c;
  }
};

TEST_F(HookPath, OneHookServesAllComponentsAndGoesWithTheLast) {
  TForm a(nullptr), b(nullptr);
  auto* f1 = new TFlexarium(&a);
  ASSERT_NE(HookHandle, nullptr);
  auto* f2 = new TFlexarium(&b);
  EXPECT_EQ(desktop->hookCount(), 1);
  f1->SetEnabled(false);  // the other component still needs the hook
  EXPECT_NE(HookHandle, nullptr);
  delete f2;
  EXPECT_EQ(HookHandle, nullptr);
  EXPECT_EQ(desktop->hookCount(), 0);
  f1->SetEnabled(true);
  EXPECT_NE(HookHandle, nullptr);
  delete f1;
  EXPECT_EQ(desktop->hookCount(), 0);
}

TEST_F(HookPath, ReadDisabledRemovesTheHookAndInstallsNoProcedure) {
  load(FormText(Button("B", 100, 100, 75, 25), "    Enabled = False\n"));
  EXPECT_EQ(HookHandle, nullptr);
  EXPECT_EQ(A::PrevWndProc(flex()), nullptr);
  EXPECT_NE(win::GetWindowLongPtrW(wnd(), win::GWLP_WNDPROC),
            reinterpret_cast<win::LONG_PTR>(&FormWndProc));
  flex().SetEnabled(true);
  EXPECT_NE(HookHandle, nullptr);
}

TEST_F(Component, UnitStartBindsTheDesktopWindowManagerOnlyFrom6) {
  struct Case {
    win::OSVersion version;
    bool composition;
    win::BOOL expected;
    bool loaded;
  };
  for (Case c : {Case{{5, 1}, true, 0, false}, Case{{6, 0}, true, 1, true},
                 Case{{10, 0}, false, 0, true}}) {
    sim::DesktopConfig config;
    config.version = c.version;
    config.composition = c.composition;
    sim::ScopedDesktop d(config);
    FlexariumInitialization();
    EXPECT_EQ(DwmComposition, c.expected);
    EXPECT_EQ(d->dwmLoaded(), c.loaded);
    EXPECT_NE(InstanceList, nullptr);
    FlexariumFinalization();
    EXPECT_EQ(InstanceList, nullptr);
  }
}

TEST_F(Component, JapaneseIsTheUsersAbbreviatedLanguage) {
  struct Case {
    const char* abbrev;
    bool japanese;
  };
  for (Case c : {Case{"JPN", true}, Case{"jpn", true}, Case{"JPNX", true},
                 Case{"JP", false}, Case{"", false}, Case{"ENU", false}}) {
    desktop->mutableConfig().localeAbbrev = c.abbrev;
    EXPECT_EQ(TFlexarium::CheckJapan(), c.japanese) << c.abbrev;
  }
  desktop->mutableConfig().localeAbbrev = "JPN";
  TForm form(nullptr);
  JapaneseUI = false;
  new TFlexarium(&form);
  EXPECT_TRUE(JapaneseUI);
}

TEST_F(Component, RegistersOnItsPalettePageWithItsBitmap) {
  Register();
  auto classes = PaletteClasses("LxCtrl");
  ASSERT_EQ(classes.size(), 1u);
  EXPECT_EQ(classes[0]->ClassName, "TFlexarium");
  const auto& bmp = PaletteBitmap();
  ASSERT_GE(bmp.size(), 54u);
  auto u32 = [&](std::size_t at) {
    return bmp[at] | bmp[at + 1] << 8 | bmp[at + 2] << 16 | bmp[at + 3] << 24;
  };
  EXPECT_EQ(bmp[0], 'B');
  EXPECT_EQ(u32(18), 24u);               // width
  EXPECT_EQ(u32(22), 24u);               // height
  EXPECT_EQ(bmp[28] | bmp[29] << 8, 4);  // bits per pixel
  EXPECT_EQ(u32(30), 0u);                // uncompressed
  std::ifstream in(std::string(FLEXARIUM_SOURCE_DIR) + "/res/TFLEXARIUM.bmp",
                   std::ios::binary);
  std::vector<std::uint8_t> file((std::istreambuf_iterator<char>(in)),
                                 std::istreambuf_iterator<char>());
  EXPECT_EQ(file, bmp);
}

// ---- Snapshot lists ---------------------------------------------------------

TEST_F(Component, ExclusionStringsAreCutAtEverySemicolon) {
  struct Case {
    const char* value;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {"", {}},
      {"Button1;Edit1", {"Button1", "Edit1"}},
      {"Button1;", {"Button1"}},
      {";Button1", {"", "Button1"}},
      {"A; B", {"A", " B"}},
      {"a;;b", {"a", "", "b"}},
  };
  TForm form(nullptr);
  auto* f = new TFlexarium(&form);
  for (const Case& c : cases) {
    f->SetNoResizeCtl(c.value);
    f->SetNoResizeFntCtl(c.value);
    for (TStringList* list : {A::NoResizeCtls(*f), A::NoResizeFntCtls(*f)}) {
      std::vector<std::string> got;
      for (int i = 0; i < list->Count(); ++i) got.push_back(list->Strings(i));
      EXPECT_EQ(got, c.names) << c.value;
    }
  }
}

TEST_F(Component, ExclusionIgnoresCaseButNotBlanks) {
  load(FormText(
      Button("Button1", 10, 10, 75, 25) + Button("Button2", 10, 50, 75, 25),
      "    NoResizeCtl = 'button1; Button2'\n"));
  EXPECT_EQ(A::Ctrl(flex(), "Button1"), nullptr);
  EXPECT_NE(A::Ctrl(flex(), "Button2"), nullptr);
}

TEST_F(Component, GeneratedNamesCountEveryRecordMade) {
  load(FormText(Button("B", 10, 10, 75, 25)));
  TFlexarium& f = flex();
  auto* named = new TButton(root.get());
  named->SetName("Named");
  A::AddCtrlInfo(f, named);  // uses up number 0001
  auto* first = new TButton(root.get());
  first->SetText("FlxmAdd0003");
  A::AddCtrlInfo(f, first);
  EXPECT_EQ(first->Name(), "FlxmAdd0002");
  EXPECT_EQ(first->GetText(), "");  // a copied generated caption goes
  auto* keeps = new TButton(root.get());
  keeps->SetText("flxmadd0003");
  A::AddCtrlInfo(f, keeps);
  EXPECT_EQ(keeps->GetText(), "flxmadd0003");
  // A generated name that is taken: the framework's error, no record.
  auto* squatter = new TButton(root.get());
  squatter->SetName("FlxmAdd0004");
  auto* unlucky = new TButton(root.get());
  int records = A::Ctrls(f)->Count();
  EXPECT_THROW(A::AddCtrlInfo(f, unlucky), EComponentError);
  EXPECT_EQ(A::AddCnt(f), 4);
  EXPECT_EQ(A::Ctrls(f)->Count(), records);
}

TEST_F(Component, AddedControlsGetBaseValuesAtTheCurrentFactor) {
  load(FormText(Button("B", 10, 10, 75, 25)));
  TFlexarium& f = flex();
  struct Case {
    double factor;
    int left, width, baseLeft, baseWidth;
  };
  // Half up, then truncation toward zero: -7 / 2 + 0.5 = -3.
  for (Case c : {Case{2.0, 101, 40, 51, 20}, Case{2.0, -7, 3, -3, 2},
                 Case{0.0, 33, 44, 33, 44}}) {
    A::SetPrevScale(f, c.factor, c.factor, c.factor);
    auto* b = new TButton(root.get());
    b->SetParent(&form());
    b->SetBounds(c.left, 0, c.width, 10);
    f.DynamicAdd();
    PCtrlInfo r = A::Ctrl(f, b->Name());
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->Left, c.baseLeft) << c.factor;
    EXPECT_EQ(r->Width, c.baseWidth) << c.factor;
    EXPECT_EQ(r->OldLeft, c.left);
  }
}

const char* kFrameForm = R"(object MainForm: TMainForm
  ClientHeight = 600
  ClientWidth = 800
  object Flexarium1: TFlexarium
    DesignFrmW = 800
    DesignFrmH = 600
    DesignDpiW = 96
    DesignDpiH = 96
  end
end
)";

TFrame* makeFrame(TComponent* owner, TWinControl* parent, const char* name,
                  int controls) {
  auto* frame = new TFrame(owner);
  frame->SetName(name);
  frame->SetParent(parent);
  for (int i = 0; i < controls; ++i) {
    auto* b = new TButton(frame);
    b->SetName("Item" + std::to_string(i));
    b->SetParent(frame);
    b->SetBounds(10, 10 + 30 * i, 75, 25);
  }
  return frame;
}

TEST_F(Component, FramesAreRecordedByTheNextPassPlainControlsOnRequest) {
  load(kFrameForm);
  form().Show();
  TFlexarium& f = flex();
  makeFrame(root.get(), &form(), "Frame1", 3);
  client(900, 700);
  EXPECT_NE(A::Ctrl(f, "Frame1"), nullptr);
  EXPECT_NE(A::Child(f, "Frame1", "Item2"), nullptr);
  // A plain control changes only the top-level count: not picked up.
  auto* button = new TButton(root.get());
  button->SetName("Lone");
  button->SetParent(&form());
  client(1000, 700);
  EXPECT_EQ(A::Ctrl(f, "Lone"), nullptr);
  f.DynamicAdd();
  EXPECT_NE(A::Ctrl(f, "Lone"), nullptr);
  // A control added to a recorded frame is not picked up.
  auto* late = new TButton(root->FindComponent("Frame1"));
  late->SetName("Late");
  f.DynamicAdd();
  EXPECT_EQ(A::Child(f, "Frame1", "Late"), nullptr);
}

TEST_F(Component, DeletingDropsFramesWithTheirControls) {
  load(kFrameForm);
  form().Show();
  TFlexarium& f = flex();
  makeFrame(root.get(), &form(), "Frame1", 3);
  makeFrame(root.get(), &form(), "Frame2", 2);
  f.DynamicAdd();
  EXPECT_EQ(A::ChildCtrls(f)->Count(), 5);
  // One control of a frame: only the owned total changes, so the next pass
  // leaves the lists; DynamicDelete drops the record.
  delete root->FindComponent("Frame1")->FindComponent("Item1");
  A::Sync(f);
  EXPECT_EQ(A::ChildCtrls(f)->Count(), 5);
  f.DynamicDelete();
  EXPECT_EQ(A::ChildCtrls(f)->Count(), 4);
  EXPECT_EQ(A::Ctrl(f, "Frame1")->ChildCtlCnt, 2);
  EXPECT_EQ(A::Child(f, "Frame1", "Item1"), nullptr);
  delete root->FindComponent("Frame2");
  f.DynamicDelete();
  EXPECT_EQ(A::Ctrl(f, "Frame2"), nullptr);
  EXPECT_EQ(A::ChildCtrls(f)->Count(), 2);
  EXPECT_EQ(LiveObjectCount() > 0, true);
}

TEST_F(Component, AnUnannouncedRecordMatchesALaterControlOfTheSameName) {
  load(FormText(Button("B", 100, 100, 75, 25)));
  form().Show();
  delete root->FindComponent("B");
  ASSERT_NE(A::Ctrl(flex(), "B"), nullptr);
  auto* again = new TButton(root.get());
  again->SetName("B");
  again->SetParent(&form());
  client(1200, 900);
  EXPECT_EQ(again->Left(), 150);
  EXPECT_EQ(again->Width(), 113);
}

// ---- Design metrics in the form file
// ------------------------------------------

std::string metricsOf(const std::string& text) {
  auto at = text.find("object Flexarium1");
  return at == std::string::npos ? "" : text.substr(at);
}

TEST_F(Component, WritingMeasuresTheClientAndScreenAfresh) {
  const std::string text = R"(object MainForm: TMainForm
  Left = 0
  Top = 0
  ClientHeight = 480
  ClientWidth = 640
  object Flexarium1: TFlexarium
    FormPos = rpDefault
    FormWidth = 0
    FormHeight = 0
    FormMaxWidth = 0
    FormMaxHeight = 0
    FormMinWidth = 0
    FormMinHeight = 0
    ResizeFont = True
    Enabled = True
    ValidTaskbar = True
    Left = 8
    Top = 8
    DesignFrmW = 1
    DesignFrmH = 2
    DesignDpiW = 3
    DesignDpiH = 4
  end
end
)";
  load(text, true);
  EXPECT_EQ(A::DesignFrmW(flex()), 1);
  EXPECT_EQ(A::DesignDpiH(flex()), 4);
  std::string written = WriteFormText(*root);
  EXPECT_NE(written.find("    Left = 8\n    Top = 8\n    DesignFrmW = 640\n"
                         "    DesignFrmH = 480\n    DesignDpiW = 96\n"
                         "    DesignDpiH = 96\n  end\n"),
            std::string::npos)
      << written;
  desktop->mutableConfig().dpiX = 120;
  desktop->mutableConfig().dpiY = 144;
  written = WriteFormText(*root);
  EXPECT_NE(written.find("DesignDpiW = 120\n    DesignDpiH = 144\n"),
            std::string::npos);
}

TEST_F(Component, AHandWrittenFormGetsEveryPropertyAndItsMetrics) {
  load(
      "object MainForm: TMainForm\n  ClientHeight = 300\n  ClientWidth = 400\n"
      "  object Flexarium1: TFlexarium\n    FormPos = rpTopLeft\n  end\nend\n",
      true);
  EXPECT_EQ(A::DesignFrmW(flex()), 0);  // none in the file
  EXPECT_EQ(
      metricsOf(WriteFormText(*root)),
      "object Flexarium1: TFlexarium\n    FormPos = rpTopLeft\n"
      "    FormWidth = 0\n    FormHeight = 0\n    FormMaxWidth = 0\n"
      "    FormMaxHeight = 0\n    FormMinWidth = 0\n    FormMinHeight = 0\n"
      "    ResizeFont = True\n    Enabled = True\n    ValidTaskbar = True\n"
      "    DesignFrmW = 400\n    DesignFrmH = 300\n    DesignDpiW = 96\n"
      "    DesignDpiH = 96\n  end\nend\n");
}

TEST_F(Component, AnInheritedFormStoresTheMetricsEvenWhenEqual) {
  namespace fs = std::filesystem;
  fs::path dir = fs::temp_directory_path() / "flexarium_metrics_test";
  fs::create_directories(dir);
  std::ofstream(dir / "Base.dfm") << FormText("");
  std::ofstream(dir / "Derived.pas") << "TDerived = class(TMainForm)\n";
  std::ofstream(dir / "Derived.dfm")
      << "inherited Derived: TDerived\n  Caption = 'x'\nend\n";
  FormLoadOptions options;
  options.designing = true;
  root = LoadFormFile((dir / "Derived.dfm").string(), options);
  std::string written = WriteFormText(*root);
  EXPECT_NE(written.find("  inherited Flexarium1: TFlexarium\n"
                         "    DesignFrmW = 800\n    DesignFrmH = 600\n"
                         "    DesignDpiW = 96\n    DesignDpiH = 96\n  end\n"),
            std::string::npos)
      << written;
  fs::remove_all(dir);
}

TEST_F(Component, MadeInCodeItKeepsZeroMetrics) {
  TForm form(nullptr);
  auto* f = new TFlexarium(&form);
  EXPECT_EQ(A::DesignFrmW(*f), 0);
  EXPECT_EQ(A::DesignDpiW(*f), 0);
  EXPECT_THROW(load("object F: TForm\n  object X: TFlexarium\n"
                    "    DesignDpiW = 'ninety-six'\n  end\nend\n"),
               EReadError);
}

}  // namespace
}  // namespace flx
