// The component attached to a dialog of N controls on real windows, against
// the floor of moving the same windows to the same rectangles.
//
//   attach      a dialog made with CreateDialogIndirectParamW from a
//               template built here (buttons, check boxes, labels, edits and
//               drop-down lists in a grid, 8-point MS Shell Dlg), shown;
//               then timed: flx::Attach and the first pass, a resize to
//               1.5x the outer size with MoveWindow, and the repaint
//   resize      on a dialog attached already, one pass: a resize with
//               MoveWindow, alternating between the size as made and 1.25x,
//               and the repaint
//   floor       the same dialog without the component: redraw suspended
//               (WM_SETREDRAW), the dialog and every control moved to the
//               very rectangles the component gave them, then one repaint
//   floor+font  the same, every control also sent the font the component
//               gave it (WM_SETFONT) before the moves, as a pass does: what
//               scaling the fonts costs the controls themselves (an edit or
//               a combo box measures its text anew)
//
// Each attach is timed on a dialog of its own, made and destroyed outside
// the timing. The component's and the floors' times are taken in rounds,
// one right after the other, so that a shared machine's load falls on all
// alike; the report gives the medians and the ratios (the median of the
// rounds' ratios is the steadiest).
//
//   dialog_bench.exe [controls] [passes]      (300 and 9 when not given)
//
// FLX_BENCH_NOFONT=1 attaches with ResizeFont off (no floor+font then).
#include "flexarium/attach.h"
#include "flexarium/flexarium.h"

// After the framework headers: classes.h declares names that are macros in
// <windows.h>.
#include "flexarium/win32_windows.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "bench_util.h"
#include "flexarium/win32_desktop.h"

namespace {

using bench::median;
using bench::pump;
using bench::rectInParent;
using bench::report;

// ---- The template

class TemplateWriter {
 public:
  void word(unsigned v) {
    bytes_.push_back(static_cast<std::uint8_t>(v & 0xFF));
    bytes_.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
  }
  void dword(unsigned v) {
    word(v & 0xFFFF);
    word(v >> 16);
  }
  void text(std::u16string_view s) {
    for (char16_t c : s) word(c);
    word(0);
  }
  void align() {
    while (bytes_.size() % 4 != 0) bytes_.push_back(0);
  }
  std::vector<std::uint8_t>& bytes() { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
};

constexpr int kCols = 20;

// A sizeable dialog of `controls` items in rows of kCols cells of 32 x 16
// dialog units, the kinds of control taking turns.
std::vector<std::uint8_t> gridDialog(int controls) {
  const int rows = (controls + kCols - 1) / kCols;
  TemplateWriter t;
  t.dword(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | DS_SETFONT);
  t.dword(0);
  t.word(static_cast<unsigned>(controls));
  for (int v : {10, 10, kCols * 32 + 8, rows * 16 + 8}) {
    t.word(static_cast<unsigned>(v));
  }
  t.word(0);  // no menu
  t.word(0);  // the dialog class
  t.text(u"dialog bench");
  t.word(8);
  t.text(u"MS Shell Dlg");
  constexpr unsigned kChild = WS_CHILD | WS_VISIBLE;
  struct Kind {
    unsigned cls;
    unsigned style;
    int cy;
  };
  static constexpr Kind kKinds[] = {
      {0x80, kChild | WS_TABSTOP | BS_PUSHBUTTON, 14},
      {0x80, kChild | WS_TABSTOP | BS_AUTOCHECKBOX, 10},
      {0x82, kChild | SS_LEFT, 8},
      {0x81, kChild | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 12},
      {0x85, kChild | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 60},
  };
  for (int i = 0; i < controls; ++i) {
    const Kind& k = kKinds[i % std::size(kKinds)];
    t.align();
    t.dword(k.style);
    t.dword(0);
    for (int v : {4 + i % kCols * 32, 4 + i / kCols * 16, 30, k.cy}) {
      t.word(static_cast<unsigned>(v));
    }
    t.word(static_cast<unsigned>(1000 + i));
    t.word(0xFFFF);
    t.word(k.cls);
    t.text(k.cls == 0x81 || k.cls == 0x85 ? u"" : u"Item");
    t.word(0);
  }
  return std::move(t.bytes());
}

INT_PTR CALLBACK quietDialogProc(HWND, UINT msg, WPARAM, LPARAM) {
  return msg == WM_INITDIALOG ? TRUE : FALSE;
}

// A shown dialog from the template, its controls painted.
HWND makeDialog(const std::vector<std::uint8_t>& tmpl) {
  // The system wants the template DWORD-aligned, as a resource is.
  std::vector<DWORD> aligned((tmpl.size() + 3) / 4);
  std::copy(tmpl.begin(), tmpl.end(),
            reinterpret_cast<std::uint8_t*>(aligned.data()));
  const HWND dlg = ::CreateDialogIndirectParamW(
      ::GetModuleHandleW(nullptr),
      reinterpret_cast<const DLGTEMPLATE*>(aligned.data()), nullptr,
      &quietDialogProc, 0);
  if (dlg == nullptr) {
    std::fprintf(stderr, "dialog_bench: CreateDialogIndirectParamW failed\n");
    std::exit(1);
  }
  ::ShowWindow(dlg, SW_SHOW);
  ::UpdateWindow(dlg);
  pump();
  return dlg;
}

std::vector<HWND> childrenOf(HWND dlg) {
  std::vector<HWND> out;
  for (HWND c = ::GetWindow(dlg, GW_CHILD); c != nullptr;
       c = ::GetWindow(c, GW_HWNDNEXT)) {
    out.push_back(c);
  }
  return out;
}

// Where the component put everything at one size, and the font each
// control shows.
struct Layout {
  SIZE dialog{};
  std::vector<RECT> controls;
  std::vector<LOGFONTW> fonts;
};

Layout layoutOf(HWND dlg) {
  Layout l;
  RECT r{};
  ::GetWindowRect(dlg, &r);
  l.dialog = SIZE{r.right - r.left, r.bottom - r.top};
  for (HWND c : childrenOf(dlg)) {
    l.controls.push_back(rectInParent(c));
    LOGFONTW lf{};
    const auto font =
        reinterpret_cast<HFONT>(::SendMessageW(c, WM_GETFONT, 0, 0));
    ::GetObjectW(font, sizeof lf, &lf);
    l.fonts.push_back(lf);
  }
  return l;
}

// The fonts of a layout, made once: the floor with fonts shows them.
std::vector<HFONT> fontsOf(const Layout& l) {
  std::vector<HFONT> out;
  std::vector<std::pair<LOGFONTW, HFONT>> made;
  for (const LOGFONTW& lf : l.fonts) {
    auto it = std::find_if(made.begin(), made.end(), [&](const auto& m) {
      return std::memcmp(&m.first, &lf, sizeof lf) == 0;
    });
    if (it == made.end()) {
      made.emplace_back(lf, ::CreateFontIndirectW(&lf));
      it = made.end() - 1;
    }
    out.push_back(it->second);
  }
  return out;
}

void resize(HWND dlg, SIZE to) {
  RECT r{};
  ::GetWindowRect(dlg, &r);
  ::MoveWindow(dlg, r.left, r.top, to.cx, to.cy, TRUE);
  ::UpdateWindow(dlg);
}

// The floor's one pass: redraw suspended, the dialog and its controls to
// `to` (with `fonts`, when given, sent to the controls first, as a pass
// does), then one repaint.
void floorPass(HWND dlg, const std::vector<HWND>& kids, const Layout& to,
               const std::vector<HFONT>* fonts) {
  ::SendMessageW(dlg, WM_SETREDRAW, FALSE, 0);
  ::SetWindowPos(dlg, nullptr, 0, 0, to.dialog.cx, to.dialog.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (fonts != nullptr) {
    for (std::size_t i = 0; i < kids.size(); ++i) {
      ::SendMessageW(kids[i], WM_SETFONT, reinterpret_cast<WPARAM>((*fonts)[i]),
                     FALSE);
    }
  }
  for (std::size_t i = 0; i < kids.size(); ++i) {
    const RECT& r = to.controls[i];
    ::SetWindowPos(kids[i], nullptr, r.left, r.top, r.right - r.left,
                   r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ::SendMessageW(dlg, WM_SETREDRAW, TRUE, 0);
  ::RedrawWindow(
      dlg, nullptr, nullptr,
      RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

// Times f() once the queued messages are handled.
double timed(const auto& f) {
  pump();
  const double t0 = bench::nowMs();
  f();
  return bench::nowMs() - t0;
}

// The component's times and the floors', taken one right after the other,
// so that all see the same load on a shared machine.
struct Rounds {
  std::vector<double> component, floor, fontFloor;

  void add(double c, double f, double ff) {
    component.push_back(c);
    floor.push_back(f);
    fontFloor.push_back(ff);
  }
  static void ratio(const char* name, const char* to,
                    const std::vector<double>& c,
                    const std::vector<double>& f) {
    std::vector<double> pairs;
    for (std::size_t i = 0; i < c.size(); ++i) pairs.push_back(c[i] / f[i]);
    std::printf(
        "ratio %s / %s: median of the rounds %.2f, of the medians %.2f, of "
        "the fastest %.2f\n",
        name, to, median(pairs), median(c) / median(f),
        *std::min_element(c.begin(), c.end()) /
            *std::min_element(f.begin(), f.end()));
  }
  void print(const char* name, int controls, bool fonts) const {
    report(name, controls, component);
    report("floor", controls, floor);
    if (fonts) report("floor+font", controls, fontFloor);
    ratio(name, "floor", component, floor);
    if (fonts) ratio(name, "floor+font", component, fontFloor);
  }
};

}  // namespace

int main(int argc, char** argv) {
  int controls = 0, passes = 0;
  std::tie(controls, passes) = bench::args(argc, argv, 300);
  flx::win32::ScopedDesktop sd;
  flx::FlexariumInitialization();
  const std::vector<std::uint8_t> tmpl = gridDialog(controls);
  flx::AttachOptions options;
  const bool fonts = std::getenv("FLX_BENCH_NOFONT") == nullptr;
  options.ResizeFont = fonts;

  // The outer sizes: as made, 1.5x (the first pass), 1.25x (the resizes
  // alternate between this one and the first).
  SIZE sizes[3]{};
  {
    const HWND dlg = makeDialog(tmpl);
    sizes[0] = layoutOf(dlg).dialog;
    ::DestroyWindow(dlg);
  }
  sizes[1] = SIZE{sizes[0].cx * 3 / 2, sizes[0].cy * 3 / 2};
  sizes[2] = SIZE{sizes[0].cx * 5 / 4, sizes[0].cy * 5 / 4};

  // The component's layouts at the three sizes, from a first dialog that
  // also warms caches up.
  Layout at[3];
  {
    const HWND dlg = makeDialog(tmpl);
    auto attachment = flx::Attach(dlg, options);
    for (int k : {1, 2, 0}) {
      resize(dlg, sizes[k]);
      pump();
      at[k] = layoutOf(dlg);
    }
    attachment.reset();
    ::DestroyWindow(dlg);
    pump();
  }
  // The component, the floor, and the floor with fonts when the
  // component scales them.
  const int kinds = fonts ? 3 : 2;
  std::vector<HFONT> fontsAt[3];
  for (int k = 0; k < 3; ++k) fontsAt[k] = fontsOf(at[k]);
  const RECT& first = at[0].controls[0];
  const RECT& scaled = at[1].controls[0];
  std::printf(
      "dialog of %d controls: %ldx%ld, 1.5x %ldx%ld; first control %ldx%ld, "
      "at 1.5x %ldx%ld, font height %ld, at 1.5x %ld\n",
      controls, sizes[0].cx, sizes[0].cy, sizes[1].cx, sizes[1].cy,
      first.right - first.left, first.bottom - first.top,
      scaled.right - scaled.left, scaled.bottom - scaled.top,
      at[0].fonts[0].lfHeight, at[1].fonts[0].lfHeight);
  std::fflush(stdout);

  // Attach and the first pass, and the floors of the same moves, each on a
  // dialog of its own; which goes first takes turns.
  Rounds attach;
  std::vector<double> attachAlone;
  for (int p = 0; p < passes; ++p) {
    double ms[3]{};
    for (int k = 0; k < kinds; ++k) {
      const int which = (k + p) % kinds;
      const HWND dlg = makeDialog(tmpl);
      if (which == 0) {
        std::unique_ptr<flx::Attachment> attachment;
        double alone = 0;
        ms[0] = timed([&] {
          const double t0 = bench::nowMs();
          attachment = flx::Attach(dlg, options);
          alone = bench::nowMs() - t0;
          resize(dlg, sizes[1]);
        });
        attachAlone.push_back(alone);
        attachment.reset();
      } else {
        const std::vector<HWND> kids = childrenOf(dlg);
        ms[which] = timed([&] {
          floorPass(dlg, kids, at[1], which == 2 ? &fontsAt[1] : nullptr);
        });
      }
      ::DestroyWindow(dlg);
      pump();
    }
    attach.add(ms[0], ms[1], ms[2]);
  }

  // One pass on a dialog attached already, against the floors on two plain
  // ones, the three in one place: the one timed is brought to the top
  // first, so that each is timed whole on screen. The resizes alternate
  // between the size as made and 1.25x. The first round warms up and is
  // not counted.
  Rounds resizes;
  {
    const HWND dlg = makeDialog(tmpl);
    auto attachment = flx::Attach(dlg, options);
    resize(dlg, sizes[2]);
    const HWND plain[2] = {makeDialog(tmpl), makeDialog(tmpl)};
    const std::vector<HWND> kids[2] = {childrenOf(plain[0]),
                                       childrenOf(plain[1])};
    for (int k = 0; k < 2; ++k) {
      floorPass(plain[k], kids[k], at[2], k == 1 ? &fontsAt[2] : nullptr);
    }
    auto toTop = [](HWND wnd) {
      ::SetWindowPos(wnd, HWND_TOP, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      ::UpdateWindow(wnd);
    };
    for (int q = 0; q <= passes; ++q) {
      const int to = q % 2 == 0 ? 0 : 2;
      double ms[3]{};
      for (int k = 0; k < kinds; ++k) {
        const int which = (k + q) % kinds;
        if (which == 0) {
          toTop(dlg);
          ms[0] = timed([&] { resize(dlg, sizes[to]); });
        } else {
          const int i = which - 1;
          toTop(plain[i]);
          ms[which] = timed([&] {
            floorPass(plain[i], kids[i], at[to],
                      which == 2 ? &fontsAt[to] : nullptr);
          });
        }
      }
      if (q > 0) resizes.add(ms[0], ms[1], ms[2]);
    }
    attachment.reset();
    ::DestroyWindow(dlg);
    for (HWND p : plain) ::DestroyWindow(p);
    pump();
  }
  flx::FlexariumFinalization();
  for (auto& list : fontsAt) {
    std::sort(list.begin(), list.end());
    list.erase(std::unique(list.begin(), list.end()), list.end());
    for (HFONT f : list) ::DeleteObject(f);
  }

  attach.print("attach", controls, fonts);
  report("  Attach", controls, attachAlone);
  resizes.print("resize", controls, fonts);
  return 0;
}
