// A folder of this test process's own under the system's temporary folder,
// so that two test runs on one machine (two build trees, or CI beside a
// developer) never write into each other's scratch files.
#pragma once

#include <filesystem>
#include <random>
#include <string>
#include <system_error>

namespace flx::testing_support {

inline const std::filesystem::path& ScratchRoot() {
  struct Root {
    std::filesystem::path dir;
    Root() {
      std::random_device random;
      dir = std::filesystem::temp_directory_path() /
            ("flexarium-tests-" + std::to_string(random()) + "-" +
             std::to_string(random()));
      std::filesystem::create_directories(dir);
    }
    // What the tests left behind goes with the process.
    ~Root() {
      std::error_code ignored;
      std::filesystem::remove_all(dir, ignored);
    }
  };
  static const Root root;
  return root.dir;
}

}  // namespace flx::testing_support
