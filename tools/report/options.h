// The screen a layout is reported for, and the parsing of the size, DPI
// and screen options of the command (and of the demo's sizes).
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "flexarium/sim_desktop.h"

namespace flexarium_cli {

struct Size {
  int width = 0;
  int height = 0;
};

// "WxH" with both numbers positive (at most 100000); nullopt otherwise.
std::optional<Size> parseSize(const std::string& text);
// "N" (both axes) or "NxM", each 1..10000; nullopt otherwise.
std::optional<Size> parseDpi(const std::string& text);
// "EDGE:THICKNESS[:autohide]" (EDGE left, top, right or bottom; THICKNESS
// 1..10000) or "none"; nullopt otherwise.
std::optional<flx::sim::TaskbarConfig> parseTaskbar(const std::string& text);
// "MAJOR.MINOR" (e.g. 10.0, 6.1 or 4.10) or "MAJOR"; nullopt otherwise.
std::optional<flx::win::OSVersion> parseWindowsVersion(const std::string& text);
// A language abbreviation such as ENU or JPN: 2 to 8 ASCII letters.
std::optional<std::string> parseLocale(const std::string& text);
// "on" or "off".
std::optional<bool> parseOnOff(const std::string& text);

// "WxH@X,Y:DPI": a monitor of that size in pixels with its top-left corner
// at screen point X,Y and that DPI (1..10000); nullopt otherwise.
std::optional<flx::sim::MonitorConfig> parseMonitor(const std::string& text);
std::string describeMonitor(const flx::sim::MonitorConfig& monitor);
// What is wrong with these monitors as a desktop ("" when nothing): the
// first is the primary, at 0,0, and no two overlap.
std::string checkMonitors(const std::vector<flx::sim::MonitorConfig>& list);
// "unaware", "system" or "permonitor".
std::optional<flx::sim::DpiAwareness> parseAwareness(const std::string& text);
// "X,Y", each within +-100000.
std::optional<flx::win::POINT> parsePoint(const std::string& text);

// Non-client metrics of the screen in pixels: caption height, sizing-frame
// width and padded border (SM_CYCAPTION, SM_CXFRAME, SM_CXPADDEDBORDER).
struct FrameMetrics {
  int caption = 0;
  int frame = 0;
  int padded = 0;
};
// "CAPTION:FRAME[:PADDED]", each 0..200; nullopt otherwise.
std::optional<FrameMetrics> parseFrame(const std::string& text);
std::string describeFrame(const FrameMetrics& frame);
// A size factor: a decimal number above 0 and at most 100 ("1.5", "0.75");
// nullopt otherwise.
std::optional<double> parseScale(const std::string& text);
// A whole number, optionally signed, within [lo, hi].
std::optional<int> parseInt(const std::string& text, int lo, int hi);
// A language ID: decimal (1033) or hexadecimal (0x0409), 0 to 0xFFFF.
std::optional<int> parseLanguage(const std::string& text);

// What each parser accepts, for error messages.
inline constexpr const char* kSizeForm = "WxH, each 1 to 100000";
inline constexpr const char* kDpiForm = "N or NxM, each 1 to 10000";
inline constexpr const char* kTaskbarForm =
    "EDGE:THICKNESS[:autohide] (EDGE left, top, right or bottom, THICKNESS "
    "1 to 10000) or none";
inline constexpr const char* kWindowsForm =
    "MAJOR.MINOR such as 10.0 or 6.1 (MAJOR 1 to 99, MINOR 0 to 99)";
inline constexpr const char* kLocaleForm = "2 to 8 letters such as ENU or JPN";
inline constexpr const char* kOnOffForm = "on or off";
inline constexpr const char* kScaleForm =
    "a factor above 0 and at most 100 such as 1.5";
inline constexpr const char* kFrameForm =
    "CAPTION:FRAME[:PADDED] in pixels, each 0 to 200";
inline constexpr const char* kMonitorForm =
    "WxH@X,Y:DPI such as 1920x1080@1920,0:96 (W and H 1 to 100000, X and Y "
    "-100000 to 100000, DPI 1 to 10000)";
inline constexpr const char* kAwarenessForm = "unaware, system or permonitor";
inline constexpr const char* kPointForm =
    "X,Y in pixels, each -100000 to 100000";

// "bottom:40", "left:60:autohide", "none".
std::string describeTaskbar(const flx::sim::TaskbarConfig& taskbar);

// The screen a preview or scenario runs on.
struct ScreenSettings {
  Size screen{1920, 1080};
  Size dpi{96, 96};
  flx::sim::TaskbarConfig taskbar;
  flx::win::OSVersion windows{10, 0};
  std::string locale = "ENU";
  bool composition = true;
  // When set, the frame metrics at the run-time DPI as they are, instead of
  // Windows 10's scaled with the DPI.
  std::optional<FrameMetrics> frame;
  // Monitors of their own size, place and DPI (the first is the primary,
  // its DPI the system DPI); empty: one monitor of `screen` at `dpi`.
  std::vector<flx::sim::MonitorConfig> monitors;
  flx::sim::DpiAwareness awareness = flx::sim::DpiAwareness::PerMonitor;

  // The desktop for these settings. Only Windows 10 and later draw the
  // invisible frame margins; earlier versions report none.
  flx::sim::DesktopConfig desktopConfig() const;
  // "1920x1080, 96 DPI, taskbar bottom:40, Windows 10.0, locale ENU,
  // composition on"
  std::string describe() const;
};

}  // namespace flexarium_cli
