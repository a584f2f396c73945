#include "options.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "flexarium/sysutils.h"

namespace flexarium_cli {

namespace {
std::optional<int> parsePositive(const std::string& text, int limit) {
  int value = 0;
  const char* first = text.data();
  const char* last = first + text.size();
  auto [end, ec] = std::from_chars(first, last, value);
  if (ec != std::errc() || end != last || value <= 0 || value > limit) {
    return std::nullopt;
  }
  return value;
}

std::optional<Size> parsePair(const std::string& text, int limit, bool single) {
  auto x = text.find_first_of("xX");
  if (x == std::string::npos) {
    if (!single) return std::nullopt;
    auto v = parsePositive(text, limit);
    if (!v) return std::nullopt;
    return Size{*v, *v};
  }
  auto w = parsePositive(text.substr(0, x), limit);
  auto h = parsePositive(text.substr(x + 1), limit);
  if (!w || !h) return std::nullopt;
  return Size{*w, *h};
}
}  // namespace

std::optional<Size> parseSize(const std::string& text) {
  return parsePair(text, 100000, false);
}

std::optional<Size> parseDpi(const std::string& text) {
  return parsePair(text, 10000, true);
}

std::optional<double> parseScale(const std::string& text) {
  // Digits with at most one decimal point, read without the locale (a
  // decimal comma would otherwise read differently on some systems).
  double value = 0, unit = 1;
  bool point = false, digits = false;
  for (char ch : text) {
    if (ch == '.' && !point) {
      point = true;
    } else if (ch >= '0' && ch <= '9') {
      digits = true;
      if (point) {
        unit /= 10;
        value += (ch - '0') * unit;
      } else {
        value = value * 10 + (ch - '0');
      }
      if (value > 100) return std::nullopt;
    } else {
      return std::nullopt;
    }
  }
  if (!digits || !(value > 0)) return std::nullopt;
  return value;
}

std::optional<int> parseInt(const std::string& text, int lo, int hi) {
  std::string digits = text;
  // from_chars takes no '+', which people write for distances.
  if (!digits.empty() && digits[0] == '+') digits.erase(0, 1);
  if (digits.empty() || digits[0] == '+') return std::nullopt;
  int value = 0;
  const char* first = digits.data();
  const char* last = first + digits.size();
  auto [end, ec] = std::from_chars(first, last, value);
  if (ec != std::errc() || end != last || value < lo || value > hi) {
    return std::nullopt;
  }
  return value;
}

std::optional<flx::sim::TaskbarConfig> parseTaskbar(const std::string& text) {
  using flx::sim::TaskbarEdge;
  flx::sim::TaskbarConfig taskbar;
  if (flx::SameText(text, "none")) {
    taskbar.edge = TaskbarEdge::None;
    taskbar.thickness = 0;
    return taskbar;
  }
  auto colon = text.find(':');
  if (colon == std::string::npos) return std::nullopt;
  std::string edge = text.substr(0, colon);
  std::string rest = text.substr(colon + 1);
  if (flx::SameText(edge, "left")) {
    taskbar.edge = TaskbarEdge::Left;
  } else if (flx::SameText(edge, "top")) {
    taskbar.edge = TaskbarEdge::Top;
  } else if (flx::SameText(edge, "right")) {
    taskbar.edge = TaskbarEdge::Right;
  } else if (flx::SameText(edge, "bottom")) {
    taskbar.edge = TaskbarEdge::Bottom;
  } else {
    return std::nullopt;
  }
  auto second = rest.find(':');
  if (second != std::string::npos) {
    if (!flx::SameText(rest.substr(second + 1), "autohide")) {
      return std::nullopt;
    }
    taskbar.autoHide = true;
    rest = rest.substr(0, second);
  }
  auto thickness = parsePositive(rest, 10000);
  if (!thickness) return std::nullopt;
  taskbar.thickness = *thickness;
  return taskbar;
}

std::optional<flx::win::OSVersion> parseWindowsVersion(
    const std::string& text) {
  auto dot = text.find('.');
  if (dot == std::string::npos) {
    auto major = parseInt(text, 1, 99);
    if (!major || text[0] == '+') return std::nullopt;
    return flx::win::OSVersion{*major, 0};
  }
  auto major = parseInt(text.substr(0, dot), 1, 99);
  auto minor = parseInt(text.substr(dot + 1), 0, 99);
  if (!major || !minor || text[0] == '+' || dot + 1 >= text.size() ||
      text[dot + 1] == '+') {
    return std::nullopt;
  }
  return flx::win::OSVersion{*major, *minor};
}

std::optional<std::string> parseLocale(const std::string& text) {
  if (text.size() < 2 || text.size() > 8) return std::nullopt;
  for (char c : text) {
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) {
      return std::nullopt;
    }
  }
  return flx::UpperCase(text);
}

std::optional<bool> parseOnOff(const std::string& text) {
  if (flx::SameText(text, "on")) return true;
  if (flx::SameText(text, "off")) return false;
  return std::nullopt;
}

std::string describeTaskbar(const flx::sim::TaskbarConfig& taskbar) {
  if (taskbar.edge == flx::sim::TaskbarEdge::None) return "none";
  std::string text = flx::LowerCase(flx::sim::toString(taskbar.edge)) + ":" +
                     std::to_string(taskbar.thickness);
  if (taskbar.autoHide) text += ":autohide";
  return text;
}

std::optional<FrameMetrics> parseFrame(const std::string& text) {
  int values[3] = {0, 0, 0};
  std::size_t start = 0;
  int count = 0;
  for (;;) {
    std::size_t colon = text.find(':', start);
    std::string part = text.substr(
        start, colon == std::string::npos ? std::string::npos : colon - start);
    int v = 0;
    auto [end, ec] = std::from_chars(part.data(), part.data() + part.size(), v);
    if (part.empty() || ec != std::errc() || end != part.data() + part.size() ||
        v < 0 || v > 200 || count == 3) {
      return std::nullopt;
    }
    values[count++] = v;
    if (colon == std::string::npos) break;
    start = colon + 1;
  }
  if (count < 2) return std::nullopt;
  return FrameMetrics{values[0], values[1], values[2]};
}

std::string describeFrame(const FrameMetrics& f) {
  return std::to_string(f.caption) + ":" + std::to_string(f.frame) + ":" +
         std::to_string(f.padded);
}

std::optional<flx::sim::MonitorConfig> parseMonitor(const std::string& text) {
  const auto at = text.find('@');
  const auto colon = text.rfind(':');
  if (at == std::string::npos || colon == std::string::npos || colon < at) {
    return std::nullopt;
  }
  auto size = parseSize(text.substr(0, at));
  auto origin = parsePoint(text.substr(at + 1, colon - at - 1));
  auto dpi = parsePositive(text.substr(colon + 1), 10000);
  if (!size || !origin || !dpi) return std::nullopt;
  flx::sim::MonitorConfig m;
  m.rect = flx::win::RECT{origin->x, origin->y, origin->x + size->width,
                          origin->y + size->height};
  m.primary = false;
  m.dpi = *dpi;
  return m;
}

std::string describeMonitor(const flx::sim::MonitorConfig& m) {
  return std::to_string(m.rect.right - m.rect.left) + "x" +
         std::to_string(m.rect.bottom - m.rect.top) + "@" +
         std::to_string(m.rect.left) + "," + std::to_string(m.rect.top) + ":" +
         std::to_string(m.dpi);
}

std::string checkMonitors(const std::vector<flx::sim::MonitorConfig>& list) {
  if (list.empty()) return {};
  if (list[0].rect.left != 0 || list[0].rect.top != 0) {
    return "the first --monitor is the primary one and lies at 0,0, not at " +
           std::to_string(list[0].rect.left) + "," +
           std::to_string(list[0].rect.top);
  }
  for (std::size_t i = 0; i < list.size(); ++i) {
    for (std::size_t j = i + 1; j < list.size(); ++j) {
      const auto& a = list[i].rect;
      const auto& b = list[j].rect;
      if (std::max(a.left, b.left) < std::min(a.right, b.right) &&
          std::max(a.top, b.top) < std::min(a.bottom, b.bottom)) {
        return "monitors " + std::to_string(i + 1) + " (" +
               describeMonitor(list[i]) + ") and " + std::to_string(j + 1) +
               " (" + describeMonitor(list[j]) + ") overlap";
      }
    }
  }
  return {};
}

std::optional<flx::sim::DpiAwareness> parseAwareness(const std::string& text) {
  using flx::sim::DpiAwareness;
  for (DpiAwareness a : {DpiAwareness::Unaware, DpiAwareness::System,
                         DpiAwareness::PerMonitor}) {
    if (flx::SameText(text, std::string(flx::sim::toString(a)))) return a;
  }
  return std::nullopt;
}

std::optional<flx::win::POINT> parsePoint(const std::string& text) {
  const auto comma = text.find(',');
  if (comma == std::string::npos) return std::nullopt;
  auto x = parseInt(text.substr(0, comma), -100000, 100000);
  auto y = parseInt(text.substr(comma + 1), -100000, 100000);
  if (!x || !y) return std::nullopt;
  return flx::win::POINT{*x, *y};
}

flx::sim::DesktopConfig ScreenSettings::desktopConfig() const {
  flx::sim::DesktopConfig config;
  config.monitors = {flx::sim::MonitorConfig{
      flx::win::RECT{0, 0, screen.width, screen.height}, true}};
  config.dpiX = dpi.width;
  config.dpiY = dpi.height;
  if (!monitors.empty()) {
    config.monitors = monitors;
    for (auto& m : config.monitors) m.primary = false;
    config.monitors[0].primary = true;
    // The primary monitor's DPI is the system DPI.
    config.dpiX = config.dpiY = monitors[0].dpi;
  }
  config.awareness = awareness;
  config.taskbar = taskbar;
  config.composition = composition;
  if (windows.major < 10) config.margins = flx::sim::FrameMargins{0, 0, 0, 0};
  config.version = windows;
  config.localeAbbrev = locale;
  if (frame) {
    config.captionHeight = frame->caption;
    config.sizeFrame = frame->frame;
    config.paddedBorder = frame->padded;
    config.scaleMetricsWithDpi = false;
  }
  return config;
}

std::string ScreenSettings::describe() const {
  std::string text;
  if (monitors.empty()) {
    text = std::to_string(screen.width) + "x" + std::to_string(screen.height) +
           ", ";
    text += dpi.width == dpi.height
                ? std::to_string(dpi.width)
                : std::to_string(dpi.width) + "x" + std::to_string(dpi.height);
    text += " DPI";
  } else {
    for (std::size_t i = 0; i < monitors.size(); ++i) {
      text += (i == 0 ? "" : ", ") + describeMonitor(monitors[i]) +
              (i == 0 ? " (primary)" : "");
    }
  }
  text += ", taskbar " + describeTaskbar(taskbar) + ", Windows " +
          std::to_string(windows.major) + "." + std::to_string(windows.minor) +
          ", locale " + locale + ", composition " +
          (composition ? "on" : "off");
  if (frame) text += ", frame " + describeFrame(*frame);
  if (awareness == flx::sim::DpiAwareness::System) text += ", system DPI aware";
  if (awareness == flx::sim::DpiAwareness::Unaware) text += ", DPI unaware";
  return text;
}

std::optional<int> parseLanguage(const std::string& text) {
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    if (text.size() > 6) return std::nullopt;
    int v = 0;
    for (std::size_t i = 2; i < text.size(); ++i) {
      const char c = static_cast<char>(std::tolower(text[i]));
      if (c >= '0' && c <= '9') {
        v = v * 16 + (c - '0');
      } else if (c >= 'a' && c <= 'f') {
        v = v * 16 + (c - 'a' + 10);
      } else {
        return std::nullopt;
      }
    }
    return v;
  }
  return parseInt(text, 0, 0xFFFF);
}

}  // namespace flexarium_cli
