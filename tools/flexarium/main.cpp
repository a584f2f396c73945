// flexarium: reads, checks and previews form files on the simulated desktop.
#include <CLI/CLI.hpp>
#include <iostream>

#include "commands.h"
#include "flexarium/flexarium.h"
#include "flexarium/sim_desktop.h"

int main(int argc, char** argv) {
  CLI::App app{
      "flexarium: check, format and preview form files that use the "
      "TFlexarium component, on a simulated Windows desktop."};
  app.require_subcommand(1);
  app.set_help_all_flag("--help-all", "Show the help of every subcommand");
  int exitCode = 0;
  flexarium_cli::addCheckCommand(app, exitCode);
  flexarium_cli::addFormatCommand(app, exitCode);
  flexarium_cli::addStampCommand(app, exitCode);
  flx::sim::ScopedDesktop desktop;
  flx::FlexariumInitialization();
  struct UnitScope {
    ~UnitScope() { flx::FlexariumFinalization(); }
  } unitScope;
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    std::cerr << "flexarium: " << e.what() << "\n";
    std::cerr << "Run with --help for usage.\n";
    return 2;
  } catch (const std::exception& e) {
    std::cerr << "flexarium: " << e.what() << "\n";
    return 1;
  }
  return exitCode;
}
