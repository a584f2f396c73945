// Scenarios: small line-based scripts that drive a form on the simulated
// desktop step by step and check its layout, for users' regression tests.
// The language (scenario_language.h) reads and checks a script; the runner
// carries it out here. Both are documented in docs/scenarios.md.
#pragma once

#include <iosfwd>
#include <memory>
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

class Runner;
class Session;
struct ScenarioLine;

// A checked script carried out one line at a time, for a driver that looks
// at the form between lines (the stress harness).
class ScenarioStepper {
 public:
  // `file` names the script in messages; its folder is where relative
  // paths start.
  ScenarioStepper(std::string file, const ScenarioOptions& options,
                  std::ostream& out, std::ostream& err);
  ~ScenarioStepper();
  ScenarioStepper(const ScenarioStepper&) = delete;
  ScenarioStepper& operator=(const ScenarioStepper&) = delete;

  // Carries one line out; false when the script stops there (the error goes
  // to `err` as FILE:LINE: MESSAGE).
  bool step(const ScenarioLine& line);
  // The form's session once a load line has run, else nullptr.
  Session* session();
  const ScenarioResult& result() const;

 private:
  std::unique_ptr<Runner> runner_;
};

// Runs one scenario file: failed expects and errors go to `err` as
// "FILE:LINE: ...", `print` goes to `out`.
ScenarioResult runScenario(const std::string& file,
                           const ScenarioOptions& options, std::ostream& out,
                           std::ostream& err);

}  // namespace flexarium_cli
