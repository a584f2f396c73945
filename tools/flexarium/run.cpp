// flexarium run: scenario scripts for users' regression tests.
#include <iostream>

#include "commands.h"
#include "scenario_runner.h"

namespace flexarium_cli {

void addRunCommand(CLI::App& app, int& exitCode) {
  auto* cmd = app.add_subcommand(
      "run",
      "Run scenario scripts: each loads a form on a simulated screen, drives "
      "it step by step (sizes, drags, maximise, properties, controls made "
      "and freed at run time) and checks the layout with expect lines. A "
      "failed expect prints SCENARIO:LINE: expected ..., got ...; the run "
      "exits 1 when an expect failed or a script has an error.");
  cmd->footer(
      "Commands (one a line, # starts a comment; see docs/scenarios.md):\n"
      "  screen WxH | dpi N[xM] | taskbar EDGE:THICKNESS[:autohide]|none\n"
      "  monitor WxH@X,Y:DPI | awareness unaware|system|permonitor\n"
      "  windows MAJOR.MINOR | locale ABBR | composition on|off\n"
      "  search DIR | ancestor CLASS=FILE | load FILE\n"
      "  header FILE | include DIR | define NAME[=VALUE] (a script's -I, -D)\n"
      "  dialog FILE ID|NAME [LANGUAGE] (instead of load)\n"
      "  attach | show | client WxH | outer WxH | move X Y\n"
      "  drag left|right DX | drag top|bottom DY | drag CORNER DX DY\n"
      "  maximize | minimize | restore | monitordpi INDEX DPI\n"
      "  set NAME.PROPERTY = VALUE\n"
      "  create CLASS [NAME] [in PARENT] [at LEFT TOP [WIDTH HEIGHT]]\n"
      "  destroy NAME | dynamicadd [COMPONENT] | dynamicdelete [COMPONENT]\n"
      "  try STEP (a step from show to dynamicdelete; goes on if refused)\n"
      "  expect NAME|form|factors KEY=VALUE...\n"
      "  print [json] | svg FILE\n"
      "Files named in a scenario are relative to its folder; svg pictures "
      "go to --out.");
  struct Args {
    std::vector<std::string> files;
    std::string out = ".";
    bool quiet = false;
  };
  auto args = std::make_shared<Args>();
  cmd->add_option("SCENARIO", args->files, "Scenario files (.scn) to run")
      ->required()
      ->type_name("FILE");
  cmd->add_option("--out", args->out,
                  "Where svg lines write their pictures (default: the current "
                  "folder)")
      ->type_name("DIR");
  cmd->add_flag("-q,--quiet", args->quiet,
                "Print nothing for a scenario that passes");
  cmd->callback([args, &exitCode] {
    ScenarioOptions options;
    options.outputDir = args->out;
    for (const std::string& file : args->files) {
      ScenarioResult r = runScenario(file, options, std::cout, std::cerr);
      if (r.passed()) {
        if (!args->quiet) {
          std::cout << file << ": ok, " << r.expects << " expect"
                    << (r.expects == 1 ? "" : "s") << "\n";
        }
        continue;
      }
      exitCode = 1;
      // An error has said all on its own line already.
      if (r.failed > 0) {
        std::cerr << file << ": " << r.failed << " of " << r.expects
                  << " expects failed" << (r.error ? " before an error" : "")
                  << "\n";
      }
    }
  });
}

}  // namespace flexarium_cli
