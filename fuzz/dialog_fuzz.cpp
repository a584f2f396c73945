// Fuzzes dialogs made from arbitrary templates with the component attached:
// the input is a .res file or PE image whose dialogs are made (the first
// few), or else one template. Each dialog the simulated dialog manager
// makes is attached with its template, resized, dragged by an edge,
// maximised, moved to a monitor of another DPI and back, then detached:
// nothing may crash, read out of bounds or leak, and a dialog that was
// attached must still be a window after the detach.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <vector>

#include "flexarium/attach.h"
#include "flexarium/flexarium.h"
#include "flexarium/resources.h"
#include "flexarium/sim_desktop.h"
#include "flexarium/winapi.h"

namespace {

using namespace flx::win;

// More would spend the run on one input's dialogs.
constexpr std::size_t kMaxDialogs = 4;

[[noreturn]] void die(const char* what) {
  std::fprintf(stderr, "dialog_fuzz: %s\n", what);
  std::abort();
}

// A 96 DPI primary monitor and a 144 DPI one to its right.
flx::sim::DesktopConfig TwoMonitors() {
  flx::sim::DesktopConfig c;
  flx::sim::MonitorConfig right;
  right.rect = RECT{1920, 0, 3840, 1080};
  right.primary = false;
  right.dpi = 144;
  c.monitors.push_back(right);
  return c;
}

void resize(HWND dlg, double factor) {
  RECT r{};
  GetWindowRect(dlg, &r);
  const int w = static_cast<int>((r.right - r.left) * factor);
  const int h = static_cast<int>((r.bottom - r.top) * factor);
  SetWindowPos(dlg, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER);
}

void exercise(flx::sim::ScopedDesktop& desktop,
              std::span<const std::uint8_t> bytes) {
  const HWND dlg =
      CreateDialogIndirectParamW(nullptr, bytes, nullptr, nullptr, 0);
  if (dlg == nullptr) return;  // refused, as the dialog manager refuses
  flx::AttachOptions options;
  options.DialogTemplate = bytes;
  try {
    auto attached = flx::Attach(dlg, options);
    ShowWindow(dlg, SW_SHOW);
    for (double factor : {1.5, 0.75, 0.01, 3.0}) resize(dlg, factor);
    desktop->dragEdge(dlg, WMSZ_BOTTOMRIGHT, -40, 25);
    desktop->maximize(dlg);
    desktop->restore(dlg);
    desktop->dragCaption(dlg, 2100, 100);
    desktop->dragCaption(dlg, 100, 100);
    attached->Detach();
    if (!IsWindow(dlg)) die("a detached dialog is no longer a window");
  } catch (const flx::Exception&) {
    // Refused with a message (a child dialog, a template that does not
    // read): the window is left as it was.
  }
  DestroyWindow(dlg);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  flx::sim::ScopedDesktop desktop(TwoMonitors());
  desktop->setRecording(false);
  flx::FlexariumInitialization();
  const std::span<const std::uint8_t> input(data, size);
  std::vector<std::span<const std::uint8_t>> dialogs;
  try {
    for (const flx::res::Resource& r :
         flx::res::ReadResources(input, "fuzz.res")) {
      if (r.type.isOrdinal && r.type.ordinal == flx::res::kRtDialog &&
          dialogs.size() < kMaxDialogs) {
        dialogs.push_back(input.subspan(r.offset, r.size));
      }
    }
  } catch (const flx::res::EResourceError&) {
    dialogs = {input};
  }
  if (dialogs.empty()) dialogs = {input};
  for (const auto& bytes : dialogs) exercise(desktop, bytes);
  flx::FlexariumFinalization();
  return 0;
}
