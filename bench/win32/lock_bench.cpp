// One rescale pass on real windows: 500 child windows of a visible form
// moved and resized, timed with QueryPerformanceCounter.
//
//   queued   lockWindowUpdate(form), setWindowPos x500, lockWindowUpdate(0)
//   floor    WM_SETREDRAW FALSE, SetWindowPos x500, WM_SETREDRAW TRUE and one
//            RedrawWindow (the least a pass that repaints can cost)
//   floor+NR the same with SWP_NOREDRAW on every move
//   framework  the same pass through TControl::SetBounds inside the lock,
//            as the component does it
//   plain    SetWindowPos x500 with drawing on (what the lock avoids)
//
//   lock_bench.exe [children] [passes]
#include "flexarium/forms.h"
#include "flexarium/stdctrls.h"

// After the framework headers: classes.h declares names that are macros in
// <windows.h>.
#include "flexarium/win32_windows.h"

#include <cstdio>
#include <tuple>
#include <vector>

#include "bench_util.h"
#include "flexarium/win32_desktop.h"

namespace {

using bench::pump;
using bench::report;
using bench::timePasses;

constexpr UINT kMove = SWP_NOZORDER | SWP_NOACTIVATE;

// Two layouts a pass alternates between, so that every window really moves.
RECT layout(int i, int pass) {
  const int cols = 25;
  const int w = pass % 2 == 0 ? 40 : 44;
  const int h = pass % 2 == 0 ? 22 : 26;
  const int x = 4 + (i % cols) * (w + 3);
  const int y = 4 + (i / cols) * (h + 3);
  return RECT{x, y, x + w, y + h};
}

}  // namespace

int main(int argc, char** argv) {
  int children = 0, passes = 0;
  std::tie(children, passes) = bench::args(argc, argv);
  flx::win32::ScopedDesktop sd;
  flx::win32::Desktop& d = sd.desktop();

  d.registerClass(u"FlxBenchForm", &bench::plainProc);
  const HWND form = d.createWindowEx(0, u"FlxBenchForm", u"bench",
                                     WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 20,
                                     20, 1240, 900, nullptr, nullptr);
  std::vector<HWND> kids;
  for (int i = 0; i < children; ++i) {
    const RECT r = layout(i, 1);
    kids.push_back(d.createWindowEx(
        0, u"BUTTON", u"b", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, r.left,
        r.top, r.right - r.left, r.bottom - r.top, form, nullptr));
  }
  d.showWindow(form, SW_SHOW);
  ::UpdateWindow(form);
  pump();
  std::printf("form visible: %s, screen %dx%d\n",
              ::IsWindowVisible(form) ? "yes" : "no",
              ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));

  report("queued", children, timePasses(passes, passes, [&](int p) {
           d.lockWindowUpdate(form);
           for (int i = 0; i < children; ++i) {
             const RECT r = layout(i, p);
             d.setWindowPos(kids[i], nullptr, r.left, r.top, r.right - r.left,
                            r.bottom - r.top, kMove);
           }
           d.lockWindowUpdate(nullptr);
         }));

  report("floor", children, timePasses(passes, passes, [&](int p) {
           ::SendMessageW(form, WM_SETREDRAW, FALSE, 0);
           for (int i = 0; i < children; ++i) {
             const RECT r = layout(i, p + 1);
             ::SetWindowPos(kids[i], nullptr, r.left, r.top, r.right - r.left,
                            r.bottom - r.top, kMove);
           }
           ::SendMessageW(form, WM_SETREDRAW, TRUE, 0);
           ::RedrawWindow(form, nullptr, nullptr,
                          RDW_INVALIDATE | RDW_ERASE | RDW_FRAME |
                              RDW_ALLCHILDREN | RDW_UPDATENOW);
         }));

  report("floor+NR", children, timePasses(passes, passes, [&](int p) {
           ::SendMessageW(form, WM_SETREDRAW, FALSE, 0);
           for (int i = 0; i < children; ++i) {
             const RECT r = layout(i, p);
             ::SetWindowPos(kids[i], nullptr, r.left, r.top, r.right - r.left,
                            r.bottom - r.top, kMove | SWP_NOREDRAW);
           }
           ::SendMessageW(form, WM_SETREDRAW, TRUE, 0);
           ::RedrawWindow(form, nullptr, nullptr,
                          RDW_INVALIDATE | RDW_ERASE | RDW_FRAME |
                              RDW_ALLCHILDREN | RDW_UPDATENOW);
         }));

  report("plain", children, timePasses(1, 1, [&](int p) {
           for (int i = 0; i < children; ++i) {
             const RECT r = layout(i, p);
             ::SetWindowPos(kids[i], nullptr, r.left, r.top, r.right - r.left,
                            r.bottom - r.top, kMove);
           }
         }));
  d.destroyWindow(form);

  {
    flx::TForm f(nullptr);
    f.SetBounds(20, 20, 1240, 900);
    std::vector<flx::TButton*> buttons;
    for (int i = 0; i < children; ++i) {
      auto* b = new flx::TButton(&f);
      b->SetParent(&f);
      const RECT r = layout(i, 1);
      b->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
      buttons.push_back(b);
    }
    f.Show();
    pump();
    report("framework", children, timePasses(passes, passes, [&](int p) {
             d.lockWindowUpdate(f.Handle());
             for (int i = 0; i < children; ++i) {
               const RECT r = layout(i, p);
               buttons[i]->SetBounds(r.left, r.top, r.right - r.left,
                                     r.bottom - r.top);
             }
             d.lockWindowUpdate(nullptr);
           }));
  }
  return 0;
}
