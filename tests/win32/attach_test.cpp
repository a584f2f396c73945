// The component attached to windows made with CreateWindowExW, on real
// windows and on the simulated desktop: the same program, run once on each
// (it reaches the window system only through the Win32-named forwarders),
// must leave every child window at the same rectangle with a font of the
// same height, and every list-view column at the same width, at each size.
//
// No <windows.h> here: the forwarders of winapi.h carry the Win32 names.
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "flexarium/flexarium_all.h"
#include "mini_test.h"

namespace {

using namespace flx::win;

LRESULT FLX_CALLBACK PlainProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  return DefWindowProcW(wnd, msg, wp, lp);
}

struct Child {
  const char16_t* cls;
  int id;
  int parent;  // index of the container, -1 for the top-level window
  int left, top, width, height;
  LONG font;  // lfHeight of a Tahoma font; 0: none
  DWORD style;
};

const std::vector<Child> kLayout = {
    {u"Button", 1001, -1, 10, 10, 75, 25, -11, 0},
    {u"Edit", 1002, -1, 100, 10, 200, 21, -11, 0},
    {u"Static", 1003, -1, 10, 50, 80, 13, -13, 0},
    {u"SysListView32", 1004, -1, 10, 80, 180, 120, -11, 1 /* LVS_REPORT */},
    {u"Button", 1005, -1, 200, 80, 190, 150, -11, 7 /* BS_GROUPBOX */},
    {u"Button", 1006, 4, 10, 20, 75, 25, -11, 0},
    {u"Button", 1008, -1, 315, 260, 75, 25, -11, 0},
};

// What one step leaves: each child's rectangle in its parent's client
// coordinates and font height, and the list's column widths.
struct Step {
  std::vector<RECT> bounds;
  std::vector<LONG> fonts;
  std::vector<int> columns;
};

void setClient(HWND wnd, int w, int h) {
  RECT r{}, c{};
  GetWindowRect(wnd, &r);
  GetClientRect(wnd, &c);
  MoveWindow(wnd, r.left, r.top, w + (r.right - r.left) - c.right,
             h + (r.bottom - r.top) - c.bottom, TRUE);
}

Step read(const std::vector<HWND>& children) {
  Step s;
  for (HWND c : children) {
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    GetWindowPlacement(c, &wp);
    s.bounds.push_back(wp.rcNormalPosition);
    LOGFONTW lf{};
    const auto font =
        reinterpret_cast<HFONT>(SendMessageW(c, WM_GETFONT, 0, 0));
    s.fonts.push_back(GetObjectW(font, sizeof lf, &lf) ? lf.lfHeight : 0);
  }
  for (int i = 0;; ++i) {
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH;
    if (!SendMessageW(children[3], LVM_GETCOLUMNW, static_cast<WPARAM>(i),
                      reinterpret_cast<LPARAM>(&column))) {
      break;
    }
    s.columns.push_back(column.cx);
  }
  return s;
}

// The program: its windows, attached, shown, resized; the layout after
// each step.
std::vector<Step> runProgram() {
  RegisterWindowClass(u"FlxAttachNative", &PlainProc);
  RECT r{0, 0, 400, 300};
  AdjustWindowRectEx(&r, WS_OVERLAPPEDWINDOW, FALSE, 0);
  const HWND top = CreateWindowExW(
      0, u"FlxAttachNative", u"Attached", WS_OVERLAPPEDWINDOW, 100, 100,
      r.right - r.left, r.bottom - r.top, nullptr, nullptr);
  std::vector<HWND> children;
  std::vector<HFONT> fonts;
  for (const Child& c : kLayout) {
    const HWND parent = c.parent < 0 ? top : children[c.parent];
    const HWND wnd =
        CreateWindowExW(0, c.cls, u"", WS_CHILD | WS_VISIBLE | c.style, c.left,
                        c.top, c.width, c.height, parent, nullptr);
    SetWindowLongPtrW(wnd, GWLP_ID, c.id);
    LOGFONTW lf{};
    lf.lfHeight = c.font;
    lf.lfWeight = FW_NORMAL;
    const std::u16string_view face = u"Tahoma";
    std::copy(face.begin(), face.end(), lf.lfFaceName);
    fonts.push_back(CreateFontIndirectW(&lf));
    SendMessageW(wnd, WM_SETFONT, reinterpret_cast<WPARAM>(fonts.back()), TRUE);
    children.push_back(wnd);
  }
  for (int width : {60, 100}) {
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH;
    column.cx = width;
    SendMessageW(children[3], LVM_INSERTCOLUMNW, 99,
                 reinterpret_cast<LPARAM>(&column));
  }
  std::vector<Step> steps;
  {
    auto attached = flx::Attach(top);
    ShowWindow(top, SW_SHOW);
    steps.push_back(read(children));
    const std::vector<std::pair<int, int>> sizes = {
        {600, 450}, {300, 225}, {517, 333}};
    for (auto [w, h] : sizes) {
      setClient(top, w, h);
      steps.push_back(read(children));
    }
    attached->Detach();
    CHECK(!attached->Attached());
    // Every window shows its own font again.
    for (std::size_t i = 0; i < children.size(); ++i) {
      CHECK_EQ(SendMessageW(children[i], WM_GETFONT, 0, 0),
               reinterpret_cast<LRESULT>(fonts[i]));
    }
  }
  DestroyWindow(top);
  for (HFONT f : fonts) DeleteObject(f);
  return steps;
}

// ---- Procedures given back and left behind

int gOuterMessages = 0;
WNDPROC gOuterPrev = nullptr;
LRESULT FLX_CALLBACK OuterProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  ++gOuterMessages;
  return CallWindowProcW(gOuterPrev, wnd, msg, wp, lp);
}

RECT placed(HWND wnd) {
  WINDOWPLACEMENT wp{};
  wp.length = sizeof wp;
  GetWindowPlacement(wnd, &wp);
  return wp.rcNormalPosition;
}

std::u16string textOf(HWND wnd) {
  return currentWindowSystem().getWindowText(wnd);
}

bool sameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right &&
         a.bottom == b.bottom;
}

// Children with their class's own procedure, as a dialog's controls have:
// on real windows the attachment passes their messages on without looking
// anything up. Each keeps answering through the chain, a child destroyed
// while attached is let go, a procedure installed over the attachment's
// keeps it as a pass-through that serves the next attachment, and the
// class's procedure comes back once the chain is the attachment's alone.
void runChains() {
  RegisterWindowClass(u"FlxAttachChains", &PlainProc);
  const HWND top =
      CreateWindowExW(0, u"FlxAttachChains", u"Chains", WS_OVERLAPPEDWINDOW,
                      100, 100, 416, 338, nullptr, nullptr);
  const HWND button =
      CreateWindowExW(0, u"Button", u"one", WS_CHILD | WS_VISIBLE, 10, 10, 75,
                      25, top, nullptr);
  const HWND doomed =
      CreateWindowExW(0, u"Static", u"gone", WS_CHILD | WS_VISIBLE, 10, 50, 80,
                      13, top, nullptr);
  const LONG_PTR classProc = GetWindowLongPtrW(button, GWLP_WNDPROC);
  const auto outer = reinterpret_cast<LONG_PTR>(&OuterProc);
  {
    auto first = flx::Attach(top);
    ShowWindow(top, SW_SHOW);
    CHECK(GetWindowLongPtrW(button, GWLP_WNDPROC) != classProc);
    SetWindowTextW(button, u"two");
    CHECK_EQ(textOf(button), std::u16string(u"two"));
    DestroyWindow(doomed);
    first->Refresh();
    const RECT before = placed(button);
    setClient(top, 600, 450);
    CHECK(!sameRect(placed(button), before));
    gOuterPrev = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(button, GWLP_WNDPROC, outer));
    first->Detach();
  }
  CHECK_EQ(GetWindowLongPtrW(button, GWLP_WNDPROC), outer);
  gOuterMessages = 0;
  SetWindowTextW(button, u"three");
  CHECK_EQ(textOf(button), std::u16string(u"three"));
  CHECK(gOuterMessages > 0);
  {
    auto second = flx::Attach(top);
    const RECT before = placed(button);
    setClient(top, 300, 225);
    CHECK(!sameRect(placed(button), before));
    second->Detach();
  }
  CHECK_EQ(GetWindowLongPtrW(button, GWLP_WNDPROC), outer);
  // The later procedure taken off: what is left passes on to the class's.
  SetWindowLongPtrW(button, GWLP_WNDPROC,
                    reinterpret_cast<LONG_PTR>(gOuterPrev));
  SetWindowTextW(button, u"four");
  CHECK_EQ(textOf(button), std::u16string(u"four"));
  {
    auto third = flx::Attach(top);
    setClient(top, 500, 400);
    third->Detach();
  }
  CHECK_EQ(GetWindowLongPtrW(button, GWLP_WNDPROC), classProc);
  DestroyWindow(top);
}

TEST(ProceduresAreGivenBackOrLeftAsPassThroughs) {
  {
    SCOPED("real windows");
    flx::win32::ScopedDesktop desktop;
    flx::FlexariumInitialization();
    runChains();
    flx::FlexariumFinalization();
  }
  {
    SCOPED("simulated desktop");
    flx::sim::ScopedDesktop desktop;
    flx::FlexariumInitialization();
    runChains();
    flx::FlexariumFinalization();
  }
}

TEST(AttachedWindowsStandWhereTheSimulationPutsThem) {
  std::vector<Step> real, simulated;
  int dpi = 96;
  {
    flx::win32::ScopedDesktop desktop;
    HDC dc = GetDC(nullptr);
    dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    flx::FlexariumInitialization();
    real = runProgram();
    flx::FlexariumFinalization();
  }
  {
    flx::sim::DesktopConfig config;
    config.dpiX = config.dpiY = dpi;
    flx::sim::ScopedDesktop desktop(config);
    flx::FlexariumInitialization();
    simulated = runProgram();
    flx::FlexariumFinalization();
  }
  REQUIRE(real.size() == simulated.size());
  for (std::size_t s = 0; s < real.size(); ++s) {
    mini::Scope step("step " + std::to_string(s));
    for (std::size_t i = 0; i < real[s].bounds.size(); ++i) {
      mini::Scope child("child " + std::to_string(i));
      const RECT& a = real[s].bounds[i];
      const RECT& b = simulated[s].bounds[i];
      CHECK_EQ(a.left, b.left);
      CHECK_EQ(a.top, b.top);
      CHECK_EQ(a.right, b.right);
      CHECK_EQ(a.bottom, b.bottom);
      CHECK_EQ(real[s].fonts[i], simulated[s].fonts[i]);
    }
    CHECK(real[s].columns == simulated[s].columns);
  }
  // The steps did something: the larger size moved the first button.
  CHECK(real[1].bounds[0].right != real[0].bounds[0].right);
}

}  // namespace

MINI_TEST_MAIN()
