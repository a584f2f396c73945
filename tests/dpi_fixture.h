// Shared set-up of the per-monitor DPI tests: desktops with monitors of
// their own DPI, a form running on one for the life of a scope, and the
// layout read back in a form that compares whole.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "flexarium/flexarium.h"
#include "flexarium/formfile.h"
#include "flexarium/forms.h"
#include "flexarium/sim_desktop.h"
#include "flexarium/winapi.h"

namespace flx::dpitest {

inline std::string ExampleForm(const std::string& name) {
  return std::string(FLEXARIUM_SOURCE_DIR) + "/examples/forms/" + name;
}

inline sim::MonitorConfig Monitor(int left, int top, int width, int height,
                                  int dpi, bool primary = false) {
  sim::MonitorConfig m;
  m.rect = win::RECT{left, top, left + width, top + height};
  m.primary = primary;
  m.dpi = dpi;
  return m;
}

// One monitor of one DPI: the desktop `flexarium preview --dpi N` runs on.
inline sim::DesktopConfig OneDpi(int dpi) {
  sim::DesktopConfig c;
  c.dpiX = c.dpiY = dpi;
  return c;
}

// A laptop at 150 % with a 100 % monitor to its right and a 125 % one to
// the right of that; the system DPI is the laptop's.
inline sim::DesktopConfig Laptop(
    sim::DpiAwareness awareness = sim::DpiAwareness::PerMonitor) {
  sim::DesktopConfig c;
  c.dpiX = c.dpiY = 144;
  c.monitors = {Monitor(0, 0, 1920, 1080, 0, true),
                Monitor(1920, 0, 1920, 1080, 96),
                Monitor(3840, 0, 1920, 1080, 120)};
  c.awareness = awareness;
  return c;
}

// Top-left corners on each monitor of Laptop().
inline constexpr win::POINT kOnLaptop{200, 120};
inline constexpr win::POINT kOnMonitor96{2300, 200};
inline constexpr win::POINT kOnMonitor120{4100, 150};

// What a control shows: its bounds and its font's height in pixels.
struct ControlState {
  std::string name;
  int left, top, width, height;
  int fontHeight;
  int fontPpi;
  bool operator==(const ControlState& o) const {
    return name == o.name && left == o.left && top == o.top &&
           width == o.width && height == o.height &&
           fontHeight == o.fontHeight && fontPpi == o.fontPpi;
  }
};

inline std::ostream& operator<<(std::ostream& os, const ControlState& c) {
  return os << c.name << " (" << c.left << "," << c.top << " " << c.width << "x"
            << c.height << ", font " << c.fontHeight << " px at " << c.fontPpi
            << ")";
}

struct Layout {
  int clientWidth = 0;
  int clientHeight = 0;
  ControlState form{};
  std::vector<ControlState> controls;
  bool operator==(const Layout& o) const {
    return clientWidth == o.clientWidth && clientHeight == o.clientHeight &&
           form == o.form && controls == o.controls;
  }
};

inline std::ostream& operator<<(std::ostream& os, const Layout& l) {
  os << "client " << l.clientWidth << "x" << l.clientHeight << ", form "
     << l.form;
  for (const auto& c : l.controls) os << "\n  " << c;
  return os;
}

inline ControlState StateOf(const TControl& c, const std::string& name) {
  return {name,
          c.Left(),
          c.Top(),
          c.Width(),
          c.Height(),
          c.Font().Height(),
          c.Font().PixelsPerInch()};
}

inline void CollectControls(const TComponent& owner, const std::string& prefix,
                            std::vector<ControlState>& out) {
  for (int i = 0; i < owner.ComponentCount(); ++i) {
    const TComponent* c = owner.Components(i);
    const std::string name = prefix + c->Name();
    if (const auto* control = dynamic_cast<const TControl*>(c)) {
      out.push_back(StateOf(*control, name));
    }
    CollectControls(*c, name + ".", out);
  }
}

// A form read from a file and running on its own desktop for the life of
// the object (one at a time: the unit's state is the process's).
class Desk {
 public:
  explicit Desk(sim::DesktopConfig config) : desktop(std::move(config)) {
    FlexariumInitialization();
  }
  ~Desk() {
    root.reset();
    FlexariumFinalization();
  }
  Desk(const Desk&) = delete;
  Desk& operator=(const Desk&) = delete;

  TCustomForm& load(const std::string& path) {
    FormLoadOptions options;
    options.designing = false;
    root = LoadFormFile(path, options);
    return form();
  }
  TCustomForm& loadText(const std::string& text) {
    FormLoadOptions options;
    options.designing = false;
    root = LoadFormText(text, "test.dfm", options);
    return form();
  }
  TCustomForm& form() { return *dynamic_cast<TCustomForm*>(root.get()); }
  TFlexarium& flex() {
    for (int i = 0; i < root->ComponentCount(); ++i) {
      if (auto* f = dynamic_cast<TFlexarium*>(root->Components(i))) return *f;
    }
    throw std::logic_error("the form has no TFlexarium");
  }
  win::HWND wnd() { return form().Handle(); }
  sim::Desktop& d() { return desktop.desktop(); }

  void client(int w, int h) {
    win::RECT r{}, c{};
    win::GetWindowRect(wnd(), &r);
    win::GetClientRect(wnd(), &c);
    win::MoveWindow(wnd(), r.left, r.top, w + (r.right - r.left) - c.right,
                    h + (r.bottom - r.top) - c.bottom, win::TRUE);
  }
  win::RECT windowRect() {
    win::RECT r{};
    win::GetWindowRect(wnd(), &r);
    return r;
  }
  win::RECT clientRect() {
    win::RECT r{};
    win::GetClientRect(wnd(), &r);
    return r;
  }
  void drag(win::POINT to) { d().dragCaption(wnd(), to.x, to.y); }

  Layout layout() {
    Layout l;
    const win::RECT c = clientRect();
    l.clientWidth = c.right;
    l.clientHeight = c.bottom;
    // The form's size and font; where it is differs by monitor.
    l.form = StateOf(form(), form().Name());
    l.form.left = l.form.top = 0;
    CollectControls(form(), "", l.controls);
    return l;
  }

  sim::ScopedDesktop desktop;
  std::unique_ptr<TComponent> root;
};

// The layout of the form read and shown on a one-DPI desktop at `dpi`, at
// this client size: what `flexarium preview --dpi N --client WxH` reports.
inline Layout Reference(const std::string& path, int dpi, int clientWidth,
                        int clientHeight) {
  Desk desk(OneDpi(dpi));
  desk.load(path).Show();
  desk.client(clientWidth, clientHeight);
  return desk.layout();
}

inline Layout ReferenceText(const std::string& text, int dpi, int clientWidth,
                            int clientHeight) {
  Desk desk(OneDpi(dpi));
  desk.loadText(text).Show();
  desk.client(clientWidth, clientHeight);
  return desk.layout();
}

}  // namespace flx::dpitest
