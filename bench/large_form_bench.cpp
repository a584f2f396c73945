// A large form from its form file to the screen, as `flexarium preview`
// takes it: read as a running application, shown on the simulated desktop
// (the component gives it its start size) and sized once. Forms of 1,000 to
// 20,000 controls; the time must grow linearly with the count. Besides the
// time, two figures per control: the heap at its peak (the form text and
// its document included) and the heap the shown form holds.
#include <malloc.h>

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <string>

#include "flexarium/flexarium.h"
#include "flexarium/formfile.h"
#include "flexarium/forms.h"
#include "flexarium/sim_desktop.h"
#include "flexarium/winapi.h"

// ---- Heap accounting: every operator new and delete of the program

namespace {

std::atomic<std::int64_t> gLive{0};
std::atomic<std::int64_t> gPeak{0};

void* allocate(std::size_t size) {
  void* p = std::malloc(size == 0 ? 1 : size);
  if (p == nullptr) throw std::bad_alloc();
  const auto now = gLive += static_cast<std::int64_t>(malloc_usable_size(p));
  std::int64_t peak = gPeak.load();
  while (now > peak && !gPeak.compare_exchange_weak(peak, now)) {
  }
  return p;
}

void release(void* p) noexcept {
  if (p == nullptr) return;
  gLive -= static_cast<std::int64_t>(malloc_usable_size(p));
  std::free(p);
}

}  // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void operator delete(void* p) noexcept { release(p); }
void operator delete[](void* p) noexcept { release(p); }
void operator delete(void* p, std::size_t) noexcept { release(p); }
void operator delete[](void* p, std::size_t) noexcept { release(p); }

namespace {

using namespace flx;

// ---- The form

// `count` controls of four classes on an 800 x 600 client area, with a
// TFlexarium that scales fonts too.
std::string LargeFormText(int count) {
  static const char* const kClasses[] = {"TButton", "TEdit", "TLabel",
                                         "TCheckBox"};
  std::string text =
      "object BigForm: TForm\n  Left = 0\n  Top = 0\n  Caption = 'Big'\n"
      "  ClientHeight = 600\n  ClientWidth = 800\n  Font.Height = -11\n"
      "  Font.Name = 'Tahoma'\n  PixelsPerInch = 96\n  TextHeight = 13\n";
  for (int i = 0; i < count; ++i) {
    const std::string cls = kClasses[i % 4];
    text += "  object C" + std::to_string(i) + ": " + cls + "\n";
    text += "    Left = " + std::to_string(i * 7 % 760) + "\n";
    text += "    Top = " + std::to_string(i * 3 % 580) + "\n";
    text += "    Width = 40\n    Height = 20\n";
    if (cls != "TEdit") text += "    Caption = 'c" + std::to_string(i) + "'\n";
    text += "  end\n";
  }
  text +=
      "  object Flexarium1: TFlexarium\n    ResizeFont = True\n  end\nend\n";
  return text;
}

void BM_PreviewLargeForm(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  const std::string text = LargeFormText(count);
  sim::ScopedDesktop desktop;
  desktop->setRecording(false);
  FlexariumInitialization();
  std::int64_t peak = 0, held = 0;
  for (auto _ : state) {
    const std::int64_t before = gLive.load();
    gPeak = before;
    FormLoadOptions options;
    options.designing = false;
    auto root = LoadFormText(text, "big.dfm", options);
    auto& form = dynamic_cast<TCustomForm&>(*root);
    form.Show();
    win::RECT outer{};
    win::GetWindowRect(form.Handle(), &outer);
    win::MoveWindow(form.Handle(), outer.left, outer.top,
                    (outer.right - outer.left) * 5 / 4,
                    (outer.bottom - outer.top) * 5 / 4, win::TRUE);
    held = gLive.load() - before;
    root.reset();
    peak = gPeak.load() - before;
  }
  FlexariumFinalization();
  state.counters["heap_peak_per_control"] = static_cast<double>(peak) / count;
  state.counters["heap_held_per_control"] = static_cast<double>(held) / count;
  state.counters["time_per_control"] =
      benchmark::Counter(static_cast<double>(count),
                         benchmark::Counter::kIsIterationInvariantRate |
                             benchmark::Counter::kInvert,
                         benchmark::Counter::OneK::kIs1000);
}

BENCHMARK(BM_PreviewLargeForm)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(20000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace
