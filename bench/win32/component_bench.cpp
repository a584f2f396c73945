// One rescale pass of TFlexarium on real windows against the floor.
//
//   component  a visible form of N TButtons with a started TFlexarium,
//              resized with MoveWindow: WM_SIZE, the component's pass and
//              the repaint, as a person dragging the frame causes it
//   floor      a plain window of N BUTTON children resized with redrawing
//              suspended (WM_SETREDRAW), the same children moved to the very
//              rectangles the component gave them, then one repaint
//
// Both alternate between two sizes, so that every window really moves, and
// print the median of the passes and the ratio component / floor (also of
// the fastest passes, steadier on a busy machine).
//
//   component_bench.exe [children] [passes]
//
// FLX_BENCH_NOFONT=1 turns the font scaling off, FLX_BENCH_NOREPAINT=1 resizes
// the form without the system's repaint, to see where the time goes.
#include "flexarium/flexarium.h"
#include "flexarium/forms.h"
#include "flexarium/stdctrls.h"

// After the framework headers: classes.h declares names that are macros in
// <windows.h>.
#include "flexarium/win32_windows.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <tuple>
#include <vector>

#include "bench_util.h"
#include "flexarium/win32_desktop.h"

namespace {

using bench::median;
using bench::pump;
using bench::rectInParent;
using bench::report;
using bench::timePasses;

}  // namespace

int main(int argc, char** argv) {
  int children = 0, passes = 0;
  std::tie(children, passes) = bench::args(argc, argv);
  flx::win32::ScopedDesktop sd;
  flx::FlexariumInitialization();
  const int cols = 25;
  const SIZE outer[2] = {{1000, 720}, {1200, 860}};
  // The component's rectangles for each size, for the floor.
  std::vector<RECT> rects[2];
  std::vector<double> component;
  {
    flx::TForm form(nullptr);
    form.SetText("component");
    form.SetClientWidth(cols * 38 + 8);
    form.SetClientHeight((children + cols - 1) / cols * 26 + 8);
    std::vector<flx::TButton*> buttons;
    for (int i = 0; i < children; ++i) {
      auto* b = new flx::TButton(&form);
      b->SetParent(&form);
      b->SetBounds(4 + (i % cols) * 38, 4 + (i / cols) * 26, 35, 23);
      buttons.push_back(b);
    }
    auto* flex = new flx::TFlexarium(&form);
    flex->Start();
    if (std::getenv("FLX_BENCH_NOFONT") != nullptr) flex->SetResizeFont(false);
    const BOOL repaint = std::getenv("FLX_BENCH_NOREPAINT") == nullptr;
    form.Show();
    pump();
    const HWND wnd = form.Handle();
    RECT at{};
    ::GetWindowRect(wnd, &at);
    component = timePasses(passes, 1, [&](int p) {
      const SIZE s = outer[p % 2];
      ::MoveWindow(wnd, at.left, at.top, s.cx, s.cy, repaint);
      ::UpdateWindow(wnd);
    });
    for (int k = 0; k < 2; ++k) {
      ::MoveWindow(wnd, at.left, at.top, outer[k].cx, outer[k].cy, TRUE);
      pump();
      for (auto* b : buttons) rects[k].push_back(rectInParent(b->Handle()));
    }
    std::printf("component pass: %d buttons, first at %ldx%ld and %ldx%ld\n",
                children, rects[0][0].right - rects[0][0].left,
                rects[0][0].bottom - rects[0][0].top,
                rects[1][0].right - rects[1][0].left,
                rects[1][0].bottom - rects[1][0].top);
  }
  flx::FlexariumFinalization();

  flx::win32::Desktop& d = sd.desktop();
  d.registerClass(u"FlxBenchPlain", &bench::plainProc);
  const HWND plain = d.createWindowEx(
      0, u"FlxBenchPlain", u"floor", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 20,
      20, outer[1].cx, outer[1].cy, nullptr, nullptr);
  std::vector<HWND> kids;
  for (int i = 0; i < children; ++i) {
    const RECT r = rects[1][static_cast<std::size_t>(i)];
    kids.push_back(::CreateWindowExW(
        0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, r.left,
        r.top, r.right - r.left, r.bottom - r.top, plain, nullptr, nullptr,
        nullptr));
  }
  ::ShowWindow(plain, SW_SHOW);
  ::UpdateWindow(plain);
  pump();
  const std::vector<double> floor = timePasses(passes, 1, [&](int p) {
    const SIZE s = outer[p % 2];
    const std::vector<RECT>& to = rects[p % 2];
    ::SendMessageW(plain, WM_SETREDRAW, FALSE, 0);
    ::SetWindowPos(plain, nullptr, 0, 0, s.cx, s.cy,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (int i = 0; i < children; ++i) {
      const RECT& r = to[static_cast<std::size_t>(i)];
      ::SetWindowPos(kids[static_cast<std::size_t>(i)], nullptr, r.left, r.top,
                     r.right - r.left, r.bottom - r.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ::SendMessageW(plain, WM_SETREDRAW, TRUE, 0);
    ::RedrawWindow(plain, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN |
                       RDW_UPDATENOW);
  });
  ::DestroyWindow(plain);

  report("component", children, component);
  report("floor", children, floor);
  std::printf(
      "ratio component / floor: median %.2f, fastest %.2f (target <= 1.2)\n",
      median(component) / median(floor),
      *std::min_element(component.begin(), component.end()) /
          *std::min_element(floor.begin(), floor.end()));
  return 0;
}
