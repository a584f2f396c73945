#include <algorithm>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "commands.h"
#include "flexarium/forms.h"
#include "form_input.h"

namespace flexarium_cli {

namespace {

// Reads one form file as check does and says how it went: every error the
// parser gets past, then what stopped the reading (unless it is the first
// of those). False when the file could not be read.
bool checkFile(const std::string& file, flx::FormLoadOptions options) {
  std::vector<std::string> said;
  options.recovered = [&said](const flx::EParserError& e) {
    std::cerr << e.what() << "\n";
    said.push_back(e.what());
  };
  try {
    auto root = loadForm(file, options);
    std::cout << inputName(file) << ": ok, " << root->ClassName() << " with "
              << root->ComponentCount() << " components\n";
    return true;
  } catch (const flx::Exception& e) {
    if (std::find(said.begin(), said.end(), e.what()) == said.end()) {
      std::cerr << e.what() << "\n";
    }
    return false;
  }
}

}  // namespace

void addCheckCommand(CLI::App& app, int& exitCode) {
  auto* cmd = app.add_subcommand(
      "check",
      "Read form files as the design environment does; report every error "
      "as FILE:LINE:COL: error: MESSAGE: each error in a property (its "
      "value, a stray character, a property after child objects) and the "
      "reading goes on after that property; an error that leaves the rest "
      "unreadable (an object's heading, the file ending inside an object) or "
      "one in building the components ends the file's report. Exit 0 when "
      "all read, 1 otherwise.");
  auto files = std::make_shared<std::vector<std::string>>();
  auto search = std::make_shared<SearchOptions>();
  cmd->add_option("FILE", *files,
                  "Form files (.dfm) to check; - reads one from standard "
                  "input")
      ->required();
  search->addTo(*cmd);
  cmd->callback([files, search, &exitCode] {
    if (std::count_if(files->begin(), files->end(), isStdin) > 1) {
      throw CLI::ValidationError("FILE",
                                 "standard input (-) can be read only once");
    }
    const flx::FormLoadOptions options = search->loadOptions(true);
    for (const std::string& file : *files) {
      if (!checkFile(file, options)) exitCode = 1;
    }
  });
}

void addFormatCommand(CLI::App& app, int& exitCode) {
  auto* cmd = app.add_subcommand(
      "format",
      "Read a form file and write it to standard output as the design "
      "environment writes it.");
  auto file = std::make_shared<std::string>();
  auto search = std::make_shared<SearchOptions>();
  cmd->add_option("FILE", *file,
                  "Form file (.dfm); - reads it from standard input")
      ->required();
  search->addTo(*cmd);
  cmd->callback([file, search, &exitCode] {
    try {
      TextLayout layout;
      auto root = loadForm(*file, search->loadOptions(true), layout);
      std::cout << applyLayout(flx::WriteFormText(*root), layout);
    } catch (const flx::Exception& e) {
      std::cerr << e.what() << "\n";
      exitCode = 1;
    }
  });
}

}  // namespace flexarium_cli
