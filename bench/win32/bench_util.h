// What the native benchmarks share: the message pump, the clock, and the
// timing loop with its one-line report.
#pragma once

#include "flexarium/win32_windows.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <utility>
#include <vector>

namespace bench {

// The command line the benchmarks take: [children] [passes], each at
// least 1 (`children` and 9 when not given).
inline std::pair<int, int> args(int argc, char** argv, int children = 500) {
  return {argc > 1 ? std::max(1, std::atoi(argv[1])) : children,
          argc > 2 ? std::max(1, std::atoi(argv[2])) : 9};
}

// A window that does what DefWindowProc does: the floor's form.
inline LRESULT CALLBACK plainProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  return ::DefWindowProcW(w, m, wp, lp);
}

// A child window's rectangle in its parent's client coordinates.
inline RECT rectInParent(HWND wnd) {
  RECT r{};
  ::GetWindowRect(wnd, &r);
  ::MapWindowPoints(HWND_DESKTOP, ::GetParent(wnd),
                    reinterpret_cast<POINT*>(&r), 2);
  return r;
}

inline void pump() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

// Milliseconds from QueryPerformanceCounter.
inline double nowMs() {
  static const double freq = [] {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER t;
  ::QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) * 1000.0 / freq;
}

inline double median(std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  return ms[ms.size() / 2];
}

inline void report(const char* name, int children,
                   const std::vector<double>& ms) {
  std::printf(
      "%-10s %4d children: median %8.1f ms  min %8.1f  max %8.1f  "
      "(%zu passes)\n",
      name, children, median(ms), *std::min_element(ms.begin(), ms.end()),
      *std::max_element(ms.begin(), ms.end()), ms.size());
  std::fflush(stdout);
}

// Times f(0) ... f(passes - 1), each after the queued messages are handled.
// A first pass f(warmUp) warms caches up and is not counted.
inline std::vector<double> timePasses(int passes, int warmUp,
                                      const std::function<void(int)>& f) {
  std::vector<double> ms;
  pump();
  f(warmUp);
  for (int p = 0; p < passes; ++p) {
    pump();
    const double t0 = nowMs();
    f(p);
    ms.push_back(nowMs() - t0);
  }
  pump();
  return ms;
}

}  // namespace bench
