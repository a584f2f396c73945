// The options several subcommands share: where ancestors are found, the
// simulated screen, moves between monitors, and the dialogs of resource
// files. Each value a parser checks is refused with the form it should
// have.
#include <filesystem>
#include <iostream>

#include "commands.h"
#include "dialog_input.h"
#include "form_input.h"
#include "options.h"

namespace flexarium_cli {

// ---- Ancestors and frames

void SearchOptions::addTo(CLI::App& app) {
  app.add_option("--search", searchDirs,
                 "Folder where ancestor forms and frames are looked for, after "
                 "the form file's own folder (the current folder for standard "
                 "input) (repeatable)")
      // CLI11's own check reads the name in the ANSI code page on Windows.
      ->check(
          [](const std::string& dir) -> std::string {
            std::error_code ec;
            if (std::filesystem::is_directory(pathOf(dir), ec)) return "";
            return "Directory does not exist: " + dir;
          },
          "DIR");
  app.add_option("--ancestor", ancestors,
                 "CLASS=FILE: the form file of the ancestor of the form class "
                 "CLASS, when no unit source beside the form names it "
                 "(repeatable)");
}

flx::FormLoadOptions SearchOptions::loadOptions(bool designing) const {
  flx::FormLoadOptions options;
  options.searchDirs = searchDirs;
  options.designing = designing;
  for (const std::string& a : ancestors) {
    auto eq = a.find('=');
    if (eq == std::string::npos || eq == 0 || eq + 1 == a.size()) {
      throw CLI::ValidationError("--ancestor",
                                 "expected CLASS=FILE, got '" + a + "'");
    }
    options.ancestors[a.substr(0, eq)] = a.substr(eq + 1);
  }
  options.warn = [](const std::string& message) {
    std::cerr << message << " (warning)\n";
  };
  return options;
}

// ---- The screen

void addScreenOptions(CLI::App& cmd, ScreenStrings& s) {
  addParsedOption(cmd, "--screen", s.screen,
                  "The primary monitor in pixels (default 1920x1080)",
                  parseSize, kSizeForm, "WxH");
  addParsedOption(cmd, "--dpi", s.dpi,
                  "The screen's pixels per inch at run time (default 96)",
                  parseDpi, kDpiForm, "N|NxM");
  addParsedOption(
      cmd, "--taskbar", s.taskbar,
      "Where the taskbar is and how thick, in pixels (default bottom:40)",
      parseTaskbar, kTaskbarForm, "EDGE:N[:autohide]|none");
  addParsedOption(cmd, "--windows", s.windows,
                  "The Windows version reported (default 10.0; "
                  "4.x uses the message hook, below 10.0 there are no "
                  "invisible frame margins)",
                  parseWindowsVersion, kWindowsForm, "MAJOR.MINOR");
  addParsedOption(cmd, "--locale", s.locale,
                  "The user's language abbreviation (default ENU; JPN "
                  "gives Japanese messages)",
                  parseLocale, kLocaleForm, "ABBR");
  addParsedOption(cmd, "--composition", s.composition,
                  "Desktop composition, with the invisible frame "
                  "margins of Windows 10 (7 pixels left, right and bottom at "
                  "96 DPI, scaled with the DPI) (default on)",
                  parseOnOff, kOnOffForm, "on|off");
  addParsedOption(cmd, "--frame", s.frame,
                  "The window frame's metrics in pixels, as they are at the "
                  "run-time DPI: caption height, sizing frame, padded border "
                  "(default Windows 10's 23:4:4 at 96 DPI, scaled)",
                  parseFrame, kFrameForm, "CAPTION:FRAME[:PADDED]");
  addMonitorOption(cmd, s.monitors, "--screen and --dpi");
  addParsedOption(cmd, "--awareness", s.awareness,
                  "How the application handles DPI, as its manifest declares "
                  "(default permonitor: each window has its monitor's DPI and "
                  "follows it from monitor to monitor)",
                  parseAwareness, kAwarenessForm, "unaware|system|permonitor");
}

std::string ScreenStrings::problem() const {
  if (monitors.empty()) return {};
  if (!screen.empty() || !dpi.empty()) {
    return "--monitor gives each monitor's size and DPI: leave out --screen "
           "and --dpi";
  }
  return monitorsProblem(monitors);
}

ScreenSettings ScreenStrings::settings() const {
  ScreenSettings s;
  if (!screen.empty()) s.screen = *parseSize(screen);
  if (!dpi.empty()) s.dpi = *parseDpi(dpi);
  if (!taskbar.empty()) s.taskbar = *parseTaskbar(taskbar);
  if (!windows.empty()) s.windows = *parseWindowsVersion(windows);
  if (!locale.empty()) s.locale = *parseLocale(locale);
  if (!composition.empty()) s.composition = *parseOnOff(composition);
  if (!frame.empty()) s.frame = parseFrame(frame);
  for (const std::string& m : monitors) s.monitors.push_back(*parseMonitor(m));
  if (!s.monitors.empty()) {
    const auto& primary = s.monitors[0];
    s.screen = Size{primary.rect.right - primary.rect.left,
                    primary.rect.bottom - primary.rect.top};
    s.dpi = Size{primary.dpi, primary.dpi};
  }
  if (!awareness.empty()) s.awareness = *parseAwareness(awareness);
  return s;
}

// ---- Monitors and moves

CLI::Option* addMonitorOption(CLI::App& cmd, std::vector<std::string>& monitors,
                              const std::string& instead) {
  return addParsedOption(
      cmd, "--monitor", monitors,
      "A monitor of this size, top-left corner and DPI "
      "(repeatable; the first is the primary, at 0,0, and its DPI "
      "is the system DPI); instead of " +
          instead,
      parseMonitor, kMonitorForm, "WxH@X,Y:DPI");
}

CLI::Option* addMoveOption(CLI::App& cmd, std::vector<std::string>& moves,
                           const std::string& then) {
  return stepOption(
      addParsedOption(cmd, "--move", moves,
                      "Drag the form by its caption so that its top-left "
                      "corner lands on this screen point; onto a monitor of "
                      "another DPI it takes that DPI (repeatable)" +
                          then,
                      parsePoint, kPointForm, "X,Y"));
}

CLI::Option* stepOption(CLI::Option* option) {
  // One value per occurrence, so that the order of the steps is kept.
  return option->expected(1)->multi_option_policy(
      CLI::MultiOptionPolicy::TakeAll);
}

std::string monitorsProblem(const std::vector<std::string>& monitors) {
  std::vector<flx::sim::MonitorConfig> list;
  for (const std::string& m : monitors) list.push_back(*parseMonitor(m));
  return checkMonitors(list);
}

// ---- Dialogs of resource files

void addScriptOptions(CLI::App& cmd, ScriptOptions& script) {
  cmd.add_option("-I,--include", script.includeDirs,
                 "Include folder for a resource script (repeatable)");
  cmd.add_option("-D,--define", script.defines,
                 "NAME or NAME=VALUE defined for a resource script "
                 "(repeatable)");
}

void DialogOptions::addTo(CLI::App& cmd, const std::string& dialogHelp,
                          const std::string& languageHelp,
                          const std::string& headerHelp) {
  cmd.add_option("--dialog", dialog, dialogHelp)->type_name("ID|NAME");
  addParsedOption(cmd, "--lang", language, languageHelp, parseLanguage,
                  "a language ID such as 0x0409 or 1033", "N");
  addScriptOptions(cmd, script);
  cmd.add_option("--header", headers, headerHelp)->type_name("FILE");
}

bool DialogOptions::given() const {
  return !language.empty() || !headers.empty() || !script.includeDirs.empty() ||
         !script.defines.empty();
}

}  // namespace flexarium_cli
