// One rescale pass on the simulated desktop against its floor: the same
// controls given the same bounds and font sizes through their setters, with
// no look-up at all. Forms of 10 to 10,000 controls, a tenth of them inside
// frames of ten. And the pass a change of DPI makes (the user switching the
// monitor between 100 % and 150 %) against a resize of the same form
// between the same two client sizes.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "flexarium/flexarium.h"
#include "flexarium/sim_desktop.h"
#include "flexarium/stdctrls.h"
#include "flexarium/winapi.h"

namespace {

using namespace flx;

struct Target {
  TControl* control;
  int left[2], top[2], width[2], height[2], font[2];
};

struct Scene {
  sim::ScopedDesktop desktop;
  std::unique_ptr<TForm> form;
  TFlexarium* flex = nullptr;
  std::vector<Target> targets;
  win::LPARAM sizes[2];

  explicit Scene(int controls, sim::DesktopConfig config = {})
      : desktop(std::move(config)) {
    desktop->setRecording(false);
    FlexariumInitialization();
    form = std::make_unique<TForm>(nullptr);
    form->SetClientWidth(1000);
    form->SetClientHeight(800);
    std::vector<TControl*> all;
    int framed = controls / 10;
    for (int f = 0; f < framed / 10; ++f) {
      auto* frame = new TFrame(form.get());
      frame->SetName("Frame" + std::to_string(f));
      frame->SetParent(form.get());
      frame->SetBounds(5 + f % 50 * 19, 5 + f / 50 * 7, 190, 100);
      all.push_back(frame);
      for (int i = 0; i < 10; ++i) {
        auto* b = new TButton(frame);
        b->SetName("Item" + std::to_string(i));
        b->SetParent(frame);
        b->SetBounds(3 + i * 18, 3 + i * 9, 40, 17);
        all.push_back(b);
      }
    }
    for (int i = static_cast<int>(all.size()); i < controls; ++i) {
      TControl* c = i % 4 == 0 ? static_cast<TControl*>(new TLabel(form.get()))
                               : new TButton(form.get());
      c->SetName("C" + std::to_string(i));
      c->SetParent(form.get());
      c->SetBounds(i * 7 % 950, i * 13 % 760, 30 + i % 40, 15 + i % 10);
      if (i % 3 == 0) c->Font().SetSize(9);
      all.push_back(c);
    }
    flex = new TFlexarium(form.get());
    flex->SetName("Flexarium1");
    flex->Start();
    form->Show();
    // The two client sizes the benchmark alternates between, and what each
    // gives every control (read from a real pass).
    const int cw[2] = {1100, 1300}, ch[2] = {880, 1000};
    for (int k = 0; k < 2; ++k) {
      sizes[k] = win::MAKELPARAM(cw[k], ch[k]);
    }
    targets.resize(all.size());
    for (int k = 0; k < 2; ++k) {
      win::SendMessageW(form->Handle(), win::WM_SIZE, win::SIZE_RESTORED,
                        sizes[k]);
      for (std::size_t i = 0; i < all.size(); ++i) {
        Target& t = targets[i];
        t.control = all[i];
        t.left[k] = all[i]->Left();
        t.top[k] = all[i]->Top();
        t.width[k] = all[i]->Width();
        t.height[k] = all[i]->Height();
        t.font[k] = all[i]->Font().Size();
      }
    }
  }
  ~Scene() {
    form.reset();
    FlexariumFinalization();
  }
};

// One pass and one floor round, kept out of line so that an instruction
// counter (valgrind --tool=callgrind --toggle-collect=...) can measure each.
[[gnu::noinline]] void RescalePassOnce(Scene& scene, int k) {
  win::SendMessageW(scene.form->Handle(), win::WM_SIZE, win::SIZE_RESTORED,
                    scene.sizes[k]);
}

[[gnu::noinline]] void SetterFloorOnce(Scene& scene, int k) {
  for (const Target& t : scene.targets) {
    TControl* c = t.control;
    c->Font().SetSize(t.font[k]);
    c->SetTop(t.top[k]);
    c->SetLeft(t.left[k]);
    c->SetWidth(t.width[k]);
    c->SetHeight(t.height[k]);
  }
}

void BM_RescalePass(benchmark::State& state) {
  Scene scene(static_cast<int>(state.range(0)));
  int k = 0;
  for (auto _ : state) {
    RescalePassOnce(scene, k);
    k ^= 1;
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_SetterFloor(benchmark::State& state) {
  Scene scene(static_cast<int>(state.range(0)));
  int k = 0;
  for (auto _ : state) {
    SetterFloorOnce(scene, k);
    k ^= 1;
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The pass of a change of DPI and a resize pass between the same client
// sizes: the monitor alternates between 96 and 144 DPI under the form, or
// the form between its client sizes at those DPIs.
struct DpiScene {
  Scene scene;
  win::RECT outer[2]{};
  explicit DpiScene(int controls) : scene(controls) {
    const win::HWND wnd = scene.form->Handle();
    // 800 x 600 at 100 % is 1200 x 900 at 150 %: both fit the monitor, so
    // every bound and font changes between the two.
    win::RECT r{}, c{};
    win::GetWindowRect(wnd, &r);
    win::GetClientRect(wnd, &c);
    win::MoveWindow(wnd, 0, 0, 800 + (r.right - r.left) - c.right,
                    600 + (r.bottom - r.top) - c.bottom, win::TRUE);
    scene.desktop->setMonitorDpi(0, 144);
    win::GetWindowRect(wnd, &outer[1]);
    scene.desktop->setMonitorDpi(0, 96);
    win::GetWindowRect(wnd, &outer[0]);
  }
};

[[gnu::noinline]] void DpiChangePassOnce(DpiScene& s, int k) {
  s.scene.desktop->setMonitorDpi(0, k == 0 ? 96 : 144);
}

[[gnu::noinline]] void ResizePassOnce(DpiScene& s, int k) {
  const win::RECT& r = s.outer[k];
  win::MoveWindow(s.scene.form->Handle(), r.left, r.top, r.right - r.left,
                  r.bottom - r.top, win::TRUE);
}

void BM_DpiChangePass(benchmark::State& state) {
  DpiScene scene(static_cast<int>(state.range(0)));
  int k = 1;
  for (auto _ : state) {
    DpiChangePassOnce(scene, k);
    k ^= 1;
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_ResizePass(benchmark::State& state) {
  DpiScene scene(static_cast<int>(state.range(0)));
  int k = 1;
  for (auto _ : state) {
    ResizePassOnce(scene, k);
    k ^= 1;
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(BM_DpiChangePass)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ResizePass)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

BENCHMARK(BM_RescalePass)
    ->Arg(10)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SetterFloor)
    ->Arg(10)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
