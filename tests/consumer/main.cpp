// Loads a form file on a simulated desktop at its design DPI, shows it,
// grows its client area by half and checks that a control's bounds grew
// with it (half-up rounding, as the rescale pass rounds).
//
//   consumer FORM.dfm CONTROL
#include <cstdio>
#include <exception>
#include <memory>

#include "flexarium/flexarium.h"
#include "flexarium/formfile.h"
#include "flexarium/forms.h"
#include "flexarium/sim_desktop.h"
#include "flexarium/winapi.h"

namespace {

struct Bounds {
  int left, top, width, height;
};

Bounds boundsOf(const flx::TControl& c) {
  return {c.Left(), c.Top(), c.Width(), c.Height()};
}

Bounds grown(const Bounds& b) {
  auto half = [](int v) { return v + (v + 1) / 2; };
  return {half(b.left), half(b.top), half(b.width), half(b.height)};
}

int run(const char* path, const char* name) {
  flx::sim::ScopedDesktop desktop;
  flx::FlexariumInitialization();
  std::unique_ptr<flx::TComponent> root = flx::LoadFormFile(path);
  auto* form = dynamic_cast<flx::TForm*>(root.get());
  auto* control =
      form ? dynamic_cast<flx::TControl*>(form->FindComponent(name)) : nullptr;
  if (control == nullptr) {
    std::fprintf(stderr, "%s: no form with a control %s\n", path, name);
    return 1;
  }
  form->Show();
  const Bounds before = boundsOf(*control);
  flx::win::RECT window{}, client{};
  flx::win::GetWindowRect(form->Handle(), &window);
  flx::win::GetClientRect(form->Handle(), &client);
  flx::win::MoveWindow(form->Handle(), window.left, window.top,
                       window.right - window.left + client.right / 2,
                       window.bottom - window.top + client.bottom / 2, 1);
  const Bounds after = boundsOf(*control);
  const Bounds want = grown(before);
  std::printf("%s: %s %d,%d %dx%d -> %d,%d %dx%d\n", path, name, before.left,
              before.top, before.width, before.height, after.left, after.top,
              after.width, after.height);
  root.reset();
  flx::FlexariumFinalization();
  if (after.left != want.left || after.top != want.top ||
      after.width != want.width || after.height != want.height) {
    std::fprintf(stderr, "expected %d,%d %dx%d\n", want.left, want.top,
                 want.width, want.height);
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: consumer FORM.dfm CONTROL\n");
    return 2;
  }
  try {
    return run(argv[1], argv[2]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
}
