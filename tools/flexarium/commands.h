// Subcommands of the flexarium command.
#pragma once

#include <CLI/CLI.hpp>
#include <map>
#include <string>
#include <vector>

#include "dialog_input.h"
#include "flexarium/formfile.h"
#include "options.h"

namespace flexarium_cli {

// An option whose value one of the parsers of options.h checks: a value it
// refuses is refused with `form`, the form the value should have.
template <typename Value, typename Parser>
CLI::Option* addParsedOption(CLI::App& cmd, const std::string& name,
                             Value& value, const std::string& description,
                             Parser parse, const char* form,
                             const std::string& typeName) {
  auto check = [parse, form](std::string& text) -> std::string {
    if (parse(text)) return {};
    return std::string("expected ") + form + ", got '" + text + "'";
  };
  return cmd.add_option(name, value, description)
      ->check(CLI::Validator(check, ""))
      ->type_name(typeName);
}
// A repeatable step option (a size, a move): one value per occurrence, so
// that the order of the steps is kept.
CLI::Option* stepOption(CLI::Option* option);

// Options that say where ancestor forms and frames are found.
struct SearchOptions {
  std::vector<std::string> searchDirs;
  std::vector<std::string> ancestors;  // CLASS=FILE

  void addTo(CLI::App& app);
  // Throws CLI::ValidationError for a malformed --ancestor.
  flx::FormLoadOptions loadOptions(bool designing) const;
};

// The screen options as given (each checked by its parser); empty ones
// keep their defaults.
struct ScreenStrings {
  std::string screen;
  std::string dpi;
  std::string taskbar;
  std::string windows;
  std::string locale;
  std::string composition;
  std::string frame;
  std::vector<std::string> monitors;
  std::string awareness;
  ScreenSettings settings() const;
  // What is wrong with the options together ("" when nothing).
  std::string problem() const;
};
void addScreenOptions(CLI::App& cmd, ScreenStrings& screen);
// The options of a move between monitors, shared by preview and lint:
// --monitor WxH@X,Y:DPI (repeatable) and --move X,Y (repeatable, one point
// per occurrence so that the order of the moves is kept). Each value is
// checked by its parser, and refused with the form it should have.
CLI::Option* addMonitorOption(CLI::App& cmd, std::vector<std::string>& monitors,
                              const std::string& instead);
CLI::Option* addMoveOption(CLI::App& cmd, std::vector<std::string>& moves,
                           const std::string& then);
// How a resource script is compiled (-I,--include DIR and -D,--define
// NAME[=VALUE], repeatable), shared by dialogs, preview and lint.
void addScriptOptions(CLI::App& cmd, ScriptOptions& script);
// The options that pick a dialog of a resource file and name its controls,
// shared by preview and lint: --dialog ID|NAME, --lang N (checked by its
// parser), the script options, and --header FILE (repeatable).
struct DialogOptions {
  std::string dialog;
  std::string language;
  ScriptOptions script;
  std::vector<std::string> headers;

  void addTo(CLI::App& cmd, const std::string& dialogHelp,
             const std::string& languageHelp, const std::string& headerHelp);
  // Whether any option but --dialog is given.
  bool given() const;
};
// What is wrong with these --monitor values as a desktop ("" when
// nothing); each value has passed its check.
std::string monitorsProblem(const std::vector<std::string>& monitors);

void addCheckCommand(CLI::App& app, int& exitCode);
void addFormatCommand(CLI::App& app, int& exitCode);
void addStampCommand(CLI::App& app, int& exitCode);
void addPreviewCommand(CLI::App& app, int& exitCode);
void addRunCommand(CLI::App& app, int& exitCode);
void addDialogsCommand(CLI::App& app, int& exitCode);
void addLintCommand(CLI::App& app, int& exitCode);
void addMeasureCommand(CLI::App& app, int& exitCode);

// "flexarium VERSION (commit HASH)"; the commit only when the build knew it.
std::string versionText();

// The whole command: exit 0 on success, 1 for bad input (files, forms,
// failed scenarios), 2 for bad usage.
int Main(int argc, const char* const* argv);

}  // namespace flexarium_cli
