// Shared set-up of the component's tests: a fresh simulated desktop and
// unit per test (on both message paths where a suite asks), forms read from
// text, and a look at the component's state.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>

#include "flexarium/flexarium.h"
#include "flexarium/formfile.h"
#include "flexarium/sim_desktop.h"
#include "flexarium/stdctrls.h"
#include "flexarium/winapi.h"
#include "unit/unit_private.h"

namespace flx::win {
// What gtest prints for GetParam() of the suites run on each Windows path.
inline void PrintTo(const OSVersion& v, std::ostream* os) {
  *os << "Windows " << v.major << "." << v.minor;
}
}  // namespace flx::win

namespace flx {

// Reads the component's private state for the tests.
struct TFlexariumAccess {
  static TFlexarium::Impl& of(TFlexarium& f) { return TFlexarium::Impl::Of(f); }
  static TList* Ctrls(TFlexarium& f) { return of(f).FCtrls.get(); }
  static TList* ChildCtrls(TFlexarium& f) { return of(f).FChildCtrls.get(); }
  static PCtrlInfo Ctrl(TFlexarium& f, const std::string& name) {
    return of(f).FindCtrl(name);
  }
  static PCtrlInfo Child(TFlexarium& f, const std::string& parent,
                         const std::string& name) {
    return of(f).FindChildCtrl(parent, name);
  }
  static TStringList* NoResizeCtls(TFlexarium& f) {
    return of(f).FNoResizeCtls.get();
  }
  static TStringList* NoResizeFntCtls(TFlexarium& f) {
    return of(f).FNoResizeFntCtls.get();
  }
  static win::WNDPROC PrevWndProc(TFlexarium& f) { return of(f).lpPrevWndProc; }
  static void* SelfPointer(TFlexarium& f) { return of(f).FSelfPointer; }
  static int AddCnt(TFlexarium& f) { return of(f).FAddCnt; }
  static double PrevScaleX(TFlexarium& f) { return of(f).FPrevScaleX; }
  static double PrevScaleF(TFlexarium& f) { return of(f).FPrevScaleF; }
  static void SetPrevScale(TFlexarium& f, double x, double y, double s) {
    of(f).FPrevScaleX = x;
    of(f).FPrevScaleY = y;
    of(f).FPrevScaleF = s;
  }
  static bool IsResized(TFlexarium& f) { return of(f).FIsResized; }
  static int DesignFrmW(TFlexarium& f) { return of(f).FDesignFrmW; }
  static int DesignFrmH(TFlexarium& f) { return of(f).FDesignFrmH; }
  static int DesignDpiW(TFlexarium& f) { return of(f).FDesignDpiW; }
  static int DesignDpiH(TFlexarium& f) { return of(f).FDesignDpiH; }
  static int OwnerWidth(TFlexarium& f) { return of(f).FOwnerWidth; }
  static int RunDpiW(TFlexarium& f) { return of(f).FRunDpiW; }
  static win::POINT MaxSize(TFlexarium& f) { return of(f).FMaxSize; }
  static TFont* OwnerFont(TFlexarium& f) { return of(f).FOwnerFont.get(); }
  static const std::string& LastError(TFlexarium& f) {
    return of(f).FLastError;
  }
  static void AddCtrlInfo(TFlexarium& f, TComponent* c) {
    of(f).AddCtrlInfo(c, "", 0);
  }
  static void Sync(TFlexarium& f) { of(f).SyncCtrlList(); }
};

class FlexTest : public ::testing::Test {
 protected:
  explicit FlexTest(sim::DesktopConfig config = {}) : desktop(config) {}
  void SetUp() override {
    liveObjects_ = LiveObjectCount();
    FlexariumInitialization();
  }
  // Every test leaves as many framework objects alive as it found: the
  // component frees its records and font copies, the form its controls.
  void TearDown() override {
    root.reset();
    FlexariumFinalization();
    EXPECT_EQ(LiveObjectCount(), liveObjects_) << "framework objects leaked";
  }

  // Reads a form (as a running application unless `designing`).
  TCustomForm& load(const std::string& text, bool designing = false) {
    FormLoadOptions options;
    options.designing = designing;
    root = LoadFormText(text, "test.dfm", options);
    auto* form = dynamic_cast<TCustomForm*>(root.get());
    EXPECT_NE(form, nullptr);
    return *form;
  }
  TCustomForm& form() { return *dynamic_cast<TCustomForm*>(root.get()); }
  TFlexarium& flex(const char* name = "Flexarium1") {
    auto* f = dynamic_cast<TFlexarium*>(root->FindComponent(name));
    EXPECT_NE(f, nullptr) << name;
    return *f;
  }
  TControl& ctl(const std::string& name, TComponent* owner = nullptr) {
    auto* c = dynamic_cast<TControl*>(
        (owner ? owner : root.get())->FindComponent(name));
    EXPECT_NE(c, nullptr) << name;
    return *c;
  }
  win::HWND wnd() { return form().Handle(); }
  // Gives the form's window this client size (keeping its position).
  void client(int w, int h) {
    win::RECT r{}, c{};
    win::GetWindowRect(wnd(), &r);
    win::GetClientRect(wnd(), &c);
    int dx = (r.right - r.left) - c.right, dy = (r.bottom - r.top) - c.bottom;
    win::MoveWindow(wnd(), r.left, r.top, w + dx, h + dy, win::TRUE);
  }
  win::RECT windowRect() {
    win::RECT r{};
    win::GetWindowRect(wnd(), &r);
    return r;
  }

  sim::ScopedDesktop desktop;
  std::unique_ptr<TComponent> root;

 private:
  std::int64_t liveObjects_ = 0;
};

// Both ways the component reaches the form's messages: the subclassed
// procedure (Windows 10) and the thread hook (Windows 4.0 and 98).
class OnBothPaths : public FlexTest,
                    public ::testing::WithParamInterface<win::OSVersion> {
 protected:
  void SetUp() override {
    desktop->mutableConfig().version = GetParam();
    desktop->mutableConfig().composition = GetParam().major >= 6;
    FlexTest::SetUp();
  }
};

inline const win::OSVersion kBothPaths[] = {
    win::OSVersion{10, 0}, win::OSVersion{4, 0}, win::OSVersion{4, 10}};

inline std::string PathName(
    const ::testing::TestParamInfo<win::OSVersion>& info) {
  return "Windows" + std::to_string(info.param.major) + "_" +
         std::to_string(info.param.minor);
}

// A control's bounds, compared and printed as one value.
// The states in which the component leaves a form alone at WM_SHOWWINDOW
// and WM_GETMINMAXINFO (a minimised form, an MDI child not in its normal
// state), with the states beside them that it does serve.
struct BusyState {
  const char* name;
  bool minimised;
  TFormStyle style;
  TWindowState state;
  bool busy;
};
inline const BusyState kBusyStates[] = {
    {"normal form", false, TFormStyle::fsNormal, TWindowState::wsNormal, false},
    {"minimised", true, TFormStyle::fsNormal, TWindowState::wsNormal, true},
    {"MDI child, normal", false, TFormStyle::fsMDIChild, TWindowState::wsNormal,
     false},
    {"MDI child, maximised", false, TFormStyle::fsMDIChild,
     TWindowState::wsMaximized, true},
    {"MDI child, minimised", false, TFormStyle::fsMDIChild,
     TWindowState::wsMinimized, true},
};

struct Bounds {
  int left, top, width, height;
  bool operator==(const Bounds& o) const {
    return left == o.left && top == o.top && width == o.width &&
           height == o.height;
  }
};
inline std::ostream& operator<<(std::ostream& os, const Bounds& b) {
  return os << "(" << b.left << "," << b.top << " " << b.width << "x"
            << b.height << ")";
}
inline Bounds boundsOf(const TControl& c) {
  return {c.Left(), c.Top(), c.Width(), c.Height()};
}

// A form file with a TFlexarium, design client 800 x 600 at 96 DPI.
inline std::string FormText(const std::string& controls,
                            const std::string& flexProps = "",
                            const std::string& formProps = "") {
  return "object MainForm: TMainForm\n"
         "  Left = 100\n  Top = 100\n"
         "  ClientHeight = 600\n  ClientWidth = 800\n"
         "  Font.Height = -11\n  Font.Name = 'Tahoma'\n" +
         formProps + controls + "  object Flexarium1: TFlexarium\n" +
         flexProps +
         "    DesignFrmW = 800\n    DesignFrmH = 600\n"
         "    DesignDpiW = 96\n    DesignDpiH = 96\n  end\nend\n";
}

inline std::string Button(const std::string& name, int l, int t, int w, int h,
                          const std::string& extra = "") {
  return "  object " + name + ": TButton\n    Left = " + std::to_string(l) +
         "\n    Top = " + std::to_string(t) +
         "\n    Width = " + std::to_string(w) +
         "\n    Height = " + std::to_string(h) + "\n" + extra + "  end\n";
}

}  // namespace flx
