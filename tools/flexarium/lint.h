// flexarium lint: every form file shown at each DPI and size a team ships
// for, its layout checked against the form as designed and its texts
// measured with the font metrics real windows have.
#pragma once

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "flexarium/formfile.h"
#include "simulation.h"

namespace flexarium_cli {

enum class LintRule { ClippedText, Overlap, Outside, Seam, SmallFont };
std::string_view toString(LintRule rule);
std::optional<LintRule> parseLintRule(std::string_view name);
// Every rule, in the order reports list them.
const std::vector<LintRule>& allLintRules();
// One line on what the rule reports.
std::string_view describe(LintRule rule);

// One case a form is checked in: the form's DPI and its client size as a
// factor of the design client size at the DPI it was given that size at.
// On monitors of their own (--monitor), the monitor the form is on, and
// after a move (--move) the point it was dragged to: the form keeps its
// client size times the new DPI over the old.
struct LintCase {
  int dpi = 96;
  double scale = 1.0;
  int monitor = -1;  // counted from 0; -1 for one screen of that DPI
  std::optional<flx::win::POINT> move;
  bool operator==(const LintCase& o) const;
};
// "144 DPI, scale 0.75"; "96 DPI on monitor 1, scale 0.75, after a move to
// 2300,200"
std::string caseName(const LintCase& c);
std::string pointName(const flx::win::POINT& p);  // "2300,200"

struct LintFinding {
  std::string file;
  int line = 0;  // of the control's object line; 0 when not found
  int column = 0;
  LintRule rule = LintRule::ClippedText;
  LintCase where;
  std::string control;
  std::string other;  // the sibling an overlap or seam is with
  std::string message;
  int pixels = 0;  // missing, overlapping or apart; points for a font
  // The control in the form's client coordinates, for pictures.
  flx::win::RECT box{};
  // Identifies the finding across runs (no numbers that move with fixes).
  std::string key() const;
};

struct LintSettings {
  std::vector<int> dpis{96, 120, 144, 168, 192};
  // Monitors of their own DPI instead of one screen per DPI of `dpis` (the
  // form opens where Windows puts it, on the primary). With `moves`, each
  // scale is checked where the form opened and again after each move in
  // turn.
  std::vector<flx::sim::MonitorConfig> monitors;
  std::vector<flx::win::POINT> moves;
  std::vector<double> scales{0.75, 1, 1.5, 2};
  std::set<LintRule> rules;  // empty: every rule
  int minFont = 6;
  bool attach = false;
  bool pictures = false;  // keep the layouts of failing cases
  flx::FormLoadOptions load;
  // Resource files: the one dialog to check (all of each file's dialogs
  // when empty), its language, what a script is compiled with, and headers
  // naming control IDs.
  std::string dialog;
  std::optional<int> language;
  ScriptOptions script;
  std::vector<std::string> headers;
  bool enabled(LintRule rule) const {
    return rules.empty() || rules.count(rule) != 0;
  }
};

// A case that has findings, pictured with each finding outlined (SVG).
struct LintPicture {
  LintCase where;
  std::string svg;
};

struct LintFileResult {
  std::string file;
  std::vector<LintFinding> findings;
  std::string error;  // the form could not be read: FILE:LINE:COL: ...
  // What does not stop the check (the reader's warnings), and why a file
  // was not checked (a frame's file: no form to show).
  std::vector<std::string> notes;
  std::vector<LintPicture> pictures;
};

// Checks one form file in every case; never throws for a bad form (the
// error goes into the result). A resource file (.res, .exe, .dll, .rc):
// its dialogs (or settings.dialog), each with the component attached,
// their findings naming the control after the dialog ("101.Ctl1001").
LintFileResult lintFile(const std::string& path, const LintSettings& settings);

// The checks of one case: `now` against `design` (the form at its design
// DPI and size). Measures text through the current window system.
std::vector<LintFinding> checkLayout(const StepLayout& now,
                                     const StepLayout& design,
                                     const LintCase& where,
                                     const LintSettings& settings,
                                     int formMinFont);

// Reports.
nlohmann::json lintToJson(const std::vector<LintFileResult>& results);
nlohmann::json lintToSarif(const std::vector<LintFileResult>& results);
std::string lintToText(const std::vector<LintFileResult>& results);
std::string lintToHtml(const std::vector<LintFileResult>& results);
// The keys of the findings of an earlier JSON report; throws flx::Exception
// naming the file for one that is not such a report.
std::set<std::string> readBaseline(const std::string& path);

void addLintCommand(CLI::App& app, int& exitCode);

}  // namespace flexarium_cli
