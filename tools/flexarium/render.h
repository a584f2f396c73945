// Pictures of the layout: one SVG per step (frame, caption, client area and
// every control to scale, named or captioned at its font size) and one
// self-contained HTML page with every step side by side. Hand-written SVG,
// no library.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "simulation.h"

namespace flexarium_cli {

struct SvgOptions {
  bool footer = true;          // the step and its factors under the window
  double scale = 1.0;          // of the picture's width and height attributes
  std::string idPrefix = "f";  // keeps ids apart when pictures share a page
  // Rectangles outlined over the controls, in the form's client
  // coordinates, each with its label (lint's findings).
  std::vector<std::pair<flx::win::RECT, std::string>> outlines;
};

std::string renderSvg(const StepLayout& step, int number,
                      const SvgOptions& options = {});
std::string renderHtml(const PreviewReport& report);

// The monitors of a desktop with several, with the form's window on them,
// scaled into `width` pixels; its height goes to `height`. Empty (and 0)
// for one monitor.
std::string renderMonitorMap(const StepLayout& step, double width,
                             double& height);

// "01-show.svg", "02-client-800x600.svg".
std::string svgFileName(const StepLayout& step, int number);

// Text for XML content and attribute values.
std::string xmlEscape(const std::string& text);

}  // namespace flexarium_cli
