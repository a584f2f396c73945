// Scenarios: small line-based scripts that drive a form on the simulated
// desktop step by step and check its layout, for users' regression tests.
// The language is documented in docs/scenarios.md.
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "flexarium/sysutils.h"

namespace flexarium_cli {

// A line of a scenario, split into words; `rest` is the text after the
// command word, as written (for `set`).
struct ScenarioLine {
  int number = 0;
  std::string command;  // lower case
  std::vector<std::string> args;
  std::string rest;
};

// "FILE:LINE: MESSAGE".
class ScenarioError : public flx::Exception {
 public:
  using flx::Exception::Exception;
};

// Reads a whole script and checks every line's form before anything runs.
// Throws ScenarioError naming the first bad line.
std::vector<ScenarioLine> parseScenario(std::string_view text,
                                        const std::string& file);

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
