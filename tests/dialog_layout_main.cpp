// flexarium_dialog_layout: the simulated desktop's side of the dialog parity
// check. Makes every dialog of the files named on a desktop set up as Wine
// runs the native tests (one 1920x1080 monitor at the DPI given, Wine's
// frame metrics, no taskbar, a per-monitor aware process) and writes the
// report the native test writes on real windows, and the reports of the
// same dialogs with the component attached at 1.5x and 0.75x their size.
//
//   flexarium_dialog_layout DPI REPORT FILE...
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "dialog_layout.h"
#include "flexarium/sim_desktop.h"

int main(int argc, char** argv) {
  if (argc < 4) {
    std::cerr << "usage: flexarium_dialog_layout DPI REPORT FILE...\n";
    return 2;
  }
  const int dpi = std::atoi(argv[1]);
  if (dpi != 96 && dpi != 120 && dpi != 144) {
    std::cerr << "flexarium_dialog_layout: DPI " << argv[1]
              << " is not one Wine's frame metrics are known for (96, 120, "
                 "144)\n";
    return 2;
  }
  flx::sim::DesktopConfig config;
  config.monitors = {flx::sim::MonitorConfig{{0, 0, 1920, 1080}, true}};
  config.dpiX = config.dpiY = dpi;
  // Wine's work area is the whole screen; its caption is 19 px at 96 DPI,
  // 24 at 120 and 28 at 144 (a tool window's 16 and 24), its sizing frame
  // 4 (5 at 144), its dialog frame 3.
  config.taskbar.edge = flx::sim::TaskbarEdge::None;
  config.captionHeight = dpi == 144 ? 28 : dpi == 120 ? 24 : 19;
  config.smallCaptionHeight = dpi == 144 ? 24 : dpi == 120 ? 20 : 16;
  config.sizeFrame = dpi == 144 ? 5 : 4;
  config.paddedBorder = 0;
  config.fixedFrame = 3;
  config.scaleMetricsWithDpi = false;
  flx::sim::ScopedDesktop desktop(config);
  desktop->setRecording(false);
  std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
  if (!out) {
    std::cerr << argv[2] << ": error: cannot write the report\n";
    return 1;
  }
  // The same dialogs with the component attached, at each factor.
  std::vector<std::ofstream> reports;
  std::vector<dialog_layout::Scaled> scaled;
  for (double f : dialog_layout::kFactors) {
    const std::string path = dialog_layout::ScaledReportPath(argv[2], f);
    reports.emplace_back(path, std::ios::binary | std::ios::trunc);
    if (!reports.back()) {
      std::cerr << path << ": error: cannot write the report\n";
      return 1;
    }
  }
  for (std::size_t i = 0; i < reports.size(); ++i) {
    scaled.push_back({dialog_layout::kFactors[i], &reports[i]});
  }
  flx::FlexariumInitialization();
  const std::vector<std::string> files(argv + 3, argv + argc);
  const int n = dialog_layout::Dump(files, dpi, out, std::cerr, scaled);
  flx::FlexariumFinalization();
  return n < 0 ? 1 : 0;
}
