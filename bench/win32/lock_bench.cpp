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
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "flexarium/win32_desktop.h"

namespace {

constexpr UINT kMove = SWP_NOZORDER | SWP_NOACTIVATE;

void pump() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

double nowMs() {
  static const double freq = [] {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER t;
  ::QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) * 1000.0 / freq;
}

// Two layouts a pass alternates between, so that every window really moves.
RECT layout(int i, int pass) {
  const int cols = 25;
  const int w = pass % 2 == 0 ? 40 : 44;
  const int h = pass % 2 == 0 ? 22 : 26;
  const int x = 4 + (i % cols) * (w + 3);
  const int y = 4 + (i / cols) * (h + 3);
  return RECT{x, y, x + w, y + h};
}

void report(const char* name, int children, std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  std::printf(
      "%-10s %4d children: median %8.1f ms  min %8.1f  max %8.1f  "
      "(%zu passes)\n",
      name, children, ms[ms.size() / 2], ms.front(), ms.back(), ms.size());
  std::fflush(stdout);
}

// The first pass warms caches up and is not counted.
std::vector<double> timePasses(int passes, const std::function<void(int)>& f) {
  std::vector<double> ms;
  pump();
  f(passes);
  for (int p = 0; p < passes; ++p) {
    pump();
    const double t0 = nowMs();
    f(p);
    ms.push_back(nowMs() - t0);
  }
  pump();
  return ms;
}

LRESULT CALLBACK formProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  return ::DefWindowProcW(w, m, wp, lp);
}

}  // namespace

int main(int argc, char** argv) {
  const int children = argc > 1 ? std::max(1, std::atoi(argv[1])) : 500;
  const int passes = argc > 2 ? std::max(1, std::atoi(argv[2])) : 9;
  flx::win32::ScopedDesktop sd;
  flx::win32::Desktop& d = sd.desktop();

  d.registerClass(u"FlxBenchForm", &formProc);
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

  report("queued", children, timePasses(passes, [&](int p) {
           d.lockWindowUpdate(form);
           for (int i = 0; i < children; ++i) {
             const RECT r = layout(i, p);
             d.setWindowPos(kids[i], nullptr, r.left, r.top, r.right - r.left,
                            r.bottom - r.top, kMove);
           }
           d.lockWindowUpdate(nullptr);
         }));

  report("floor", children, timePasses(passes, [&](int p) {
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

  report("floor+NR", children, timePasses(passes, [&](int p) {
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

  report("plain", children, timePasses(1, [&](int p) {
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
    report("framework", children, timePasses(passes, [&](int p) {
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
