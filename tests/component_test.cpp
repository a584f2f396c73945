// The component object: published defaults, life cycle, Enabled, the
// unit's state, registration, and its event bound by name in the form file.
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "flexarium_fixture.h"

namespace flx {
namespace {

using A = TFlexariumAccess;

// ---- Defaults and life

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

// ---- Enabled

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

// The destructor frees every record with its font copy, the form's font
// copy and the lists; the controls stay as the last pass left them.
TEST_F(Component, DestroyingFreesEveryRecordAndFontCopy) {
  load(FormText(Button("A", 10, 10, 75, 25) + Button("B", 10, 50, 75, 25) +
                "  object Line: TBevel\n    Left = 10\n    Top = 90\n"
                "    Width = 75\n    Height = 2\n  end\n"));
  auto* frame = new TFrame(root.get());
  frame->SetName("Frame1");
  frame->SetParent(&form());
  auto* inner = new TButton(frame);
  inner->SetName("Inner");
  inner->SetParent(frame);
  flex().DynamicAdd();
  ASSERT_EQ(A::Ctrls(flex())->Count(), 4);
  ASSERT_EQ(A::ChildCtrls(flex())->Count(), 1);
  // Font copies: A, B, the frame and Inner (the bevel has no font), and
  // the form's; with the component itself, six objects go.
  const std::int64_t before = LiveObjectCount();
  delete &flex();
  EXPECT_EQ(LiveObjectCount(), before - 6);
  EXPECT_EQ(ctl("A").Left(), 10);
}

// ---- Unit state and registration

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

// ---- Event

TEST_F(Component, AnEventHandlerIsBoundByItsNameInTheFormFile) {
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
