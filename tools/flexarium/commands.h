// Subcommands of the flexarium command.
#pragma once

#include <CLI/CLI.hpp>
#include <map>
#include <string>
#include <vector>

#include "flexarium/formfile.h"

namespace flexarium_cli {

// Options that say where ancestor forms and frames are found.
struct SearchOptions {
  std::vector<std::string> searchDirs;
  std::vector<std::string> ancestors;  // CLASS=FILE

  void addTo(CLI::App& app);
  // Throws CLI::ValidationError for a malformed --ancestor.
  flx::FormLoadOptions loadOptions(bool designing) const;
};

void addCheckCommand(CLI::App& app, int& exitCode);
void addFormatCommand(CLI::App& app, int& exitCode);
void addStampCommand(CLI::App& app, int& exitCode);

}  // namespace flexarium_cli
