// Scenarios: small line-based scripts that drive a form on the simulated
// desktop step by step and check its layout, for users' regression tests.
// The language (scenario_language.h) reads and checks a script; the runner
// carries it out here. Both are documented in docs/scenarios.md.
#pragma once

#include <iosfwd>
#include <string>

namespace flexarium_cli {

struct ScenarioResult {
  int expects = 0;
  int failed = 0;
  bool error = false;  // the script stopped at an error
  bool passed() const { return failed == 0 && !error; }
};

struct ScenarioOptions {
  std::string outputDir = ".";  // where `svg` writes
};

// Runs one scenario file: failed expects and errors go to `err` as
// "FILE:LINE: ...", `print` goes to `out`.
ScenarioResult runScenario(const std::string& file,
                           const ScenarioOptions& options, std::ostream& out,
                           std::ostream& err);

}  // namespace flexarium_cli
