#include <iostream>

#include "commands.h"
#include "flexarium/flexarium.h"
#include "flexarium/sim_desktop.h"
#include "flexarium_version.h"

namespace flexarium_cli {

std::string versionText() {
  std::string text = "flexarium " FLEXARIUM_VERSION;
  const std::string commit = FLEXARIUM_COMMIT;
  if (!commit.empty()) text += " (commit " + commit + ")";
  return text;
}

int Main(int argc, const char* const* argv) {
  CLI::App app{
      "flexarium: check, format, stamp, preview and lint form files that use "
      "the "
      "TFlexarium component, and run scenarios, on a simulated Windows "
      "desktop."};
  app.name("flexarium");
  app.require_subcommand(1);
  app.set_help_all_flag("--help-all", "Show the help of every subcommand");
  app.set_version_flag("--version", versionText(),
                       "Show the version and the commit it was built from");
  app.footer(
      "Run 'flexarium SUBCOMMAND --help' for a subcommand's options. Exit "
      "status: 0 success, 1 bad input (a file, a form, a failed scenario), "
      "2 bad usage.");
  int exitCode = 0;
  addCheckCommand(app, exitCode);
  addFormatCommand(app, exitCode);
  addStampCommand(app, exitCode);
  addPreviewCommand(app, exitCode);
  addRunCommand(app, exitCode);
  addDialogsCommand(app, exitCode);
  addLintCommand(app, exitCode);
  addMeasureCommand(app, exitCode);
  flx::sim::ScopedDesktop desktop;
  flx::FlexariumInitialization();
  struct UnitScope {
    ~UnitScope() { flx::FlexariumFinalization(); }
  } unitScope;
  // CLI11 would only say that a subcommand is required.
  auto known = [&app](const std::string& name) {
    for (const CLI::App* sub : app.get_subcommands({})) {
      if (sub->check_name(name)) return true;
    }
    return false;
  };
  if (argc > 1 && argv[1][0] != '-' && !known(argv[1])) {
    std::cerr << "flexarium: unknown subcommand '" << argv[1]
              << "': choose check, format, stamp, preview, run, lint, "
                 "measure or dialogs (run with --help for usage)\n";
    return 2;
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    // One line, so that scripts and people see the whole story at once.
    std::cerr << "flexarium: " << e.what() << " (run with --help for usage)\n";
    return 2;
  } catch (const std::exception& e) {
    std::cerr << "flexarium: " << e.what() << "\n";
    return 1;
  }
  return exitCode;
}

}  // namespace flexarium_cli
