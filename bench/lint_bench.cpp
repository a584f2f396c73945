// flexarium lint over many forms, as a team's CI runs it: each form read,
// shown and sized at every DPI and scale of the defaults (5 x 4 cases), its
// layout checked and its texts measured. The time must grow linearly with
// the number of files (the text measurements are cached per face, size and
// character, so later forms measure cheaper). One process, one file after
// another: `-j N` divides the wall-clock time by up to N.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "lint.h"

namespace {

namespace fs = std::filesystem;

// The corpus forms when the folder is there, else the example forms.
std::vector<std::string> Forms() {
  std::vector<std::string> files;
  for (const fs::path& dir :
       {fs::path(FLEXARIUM_CORPUS_DIR),
        fs::path(FLEXARIUM_SOURCE_DIR) / "examples/forms"}) {
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) continue;
    for (const auto& e : fs::recursive_directory_iterator(dir, ec)) {
      if (e.path().extension() == ".dfm") files.push_back(e.path().string());
    }
    if (!files.empty()) break;
  }
  std::sort(files.begin(), files.end());
  return files;
}

void BM_LintForms(benchmark::State& state) {
  const auto all = Forms();
  if (all.empty()) {
    state.SkipWithError("no form files");
    return;
  }
  std::vector<std::string> files;
  for (int i = 0; i < state.range(0); ++i) {
    files.push_back(all[static_cast<std::size_t>(i) % all.size()]);
  }
  flexarium_cli::LintSettings settings;
  settings.attach = true;
  settings.load.warn = [](const std::string&) {};
  std::size_t findings = 0;
  for (auto _ : state) {
    for (const auto& f : files) {
      findings += flexarium_cli::lintFile(f, settings).findings.size();
    }
  }
  benchmark::DoNotOptimize(findings);
  const double cases = static_cast<double>(files.size()) *
                       settings.dpis.size() * settings.scales.size();
  state.counters["cases"] = cases;
  state.counters["per_case"] =
      benchmark::Counter(cases, benchmark::Counter::kIsIterationInvariantRate |
                                    benchmark::Counter::kInvert);
}
BENCHMARK(BM_LintForms)
    ->Arg(9)
    ->Arg(18)
    ->Arg(36)
    ->Unit(benchmark::kMillisecond);

}  // namespace
