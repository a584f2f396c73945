// The monitors of a desktop with several, drawn small under a step's
// picture: each monitor with its number and DPI, and the form's window on
// them.
#include <algorithm>
#include <cstdio>
#include <sstream>

#include "number.h"
#include "render.h"

namespace flexarium_cli {

std::string renderMonitorMap(const StepLayout& step, double width,
                             double& height) {
  height = 0;
  if (step.monitors.size() < 2) return {};
  flx::win::RECT all = step.monitors.front().rect;
  for (const MonitorLayout& m : step.monitors) {
    all.left = std::min(all.left, m.rect.left);
    all.top = std::min(all.top, m.rect.top);
    all.right = std::max(all.right, m.rect.right);
    all.bottom = std::max(all.bottom, m.rect.bottom);
  }
  const double spanW = std::max(1L, static_cast<long>(all.right - all.left));
  const double spanH = std::max(1L, static_cast<long>(all.bottom - all.top));
  const double scale = std::min(width / spanW, 160.0 / spanH);
  height = spanH * scale + 4;
  auto x = [&](long v) { return fixedNumber((v - all.left) * scale, 1); };
  auto y = [&](long v) { return fixedNumber((v - all.top) * scale, 1); };
  auto w = [&](long v) { return fixedNumber(v * scale, 1); };
  std::ostringstream out;
  out << "<g font-size=\"11\">\n";
  for (std::size_t i = 0; i < step.monitors.size(); ++i) {
    const MonitorLayout& m = step.monitors[i];
    const bool here = static_cast<int>(i) == step.monitor;
    out << "<rect x=\"" << x(m.rect.left) << "\" y=\"" << y(m.rect.top)
        << "\" width=\"" << w(m.rect.right - m.rect.left) << "\" height=\""
        << w(m.rect.bottom - m.rect.top) << "\" fill=\""
        << (here ? "#e3ecf7" : "#f4f4f4") << "\" stroke=\"#7d8a99\"/>\n";
    out << "<text x=\"" << fixedNumber((m.rect.left - all.left) * scale + 4, 1)
        << "\" y=\"" << fixedNumber((m.rect.top - all.top) * scale + 13, 1)
        << "\" fill=\"#333333\">"
        << xmlEscape("monitor " + std::to_string(i) + ", " +
                     std::to_string(m.dpi) + " DPI" +
                     (m.primary ? ", primary" : ""))
        << "</text>\n";
  }
  const flx::win::RECT& f = step.form.window;
  out << "<rect x=\"" << x(f.left) << "\" y=\"" << y(f.top) << "\" width=\""
      << w(f.right - f.left) << "\" height=\"" << w(f.bottom - f.top)
      << "\" fill=\"#5b6b80\" fill-opacity=\"0.35\" stroke=\"#5b6b80\">"
      << "<title>" << xmlEscape(step.form.name) << "</title></rect>\n";
  out << "</g>\n";
  return out.str();
}

}  // namespace flexarium_cli
