// The folder of real form files the corpus tests read: the CMake cache
// variable FLEXARIUM_CORPUS_DIR, or the environment variable of that name
// when it is set (to try other forms without configuring again).
#pragma once

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace flx::corpus {

inline std::filesystem::path Dir() {
  const char* env = std::getenv("FLEXARIUM_CORPUS_DIR");
  return env != nullptr && *env != '\0'
             ? std::filesystem::path(env)
             : std::filesystem::path(FLEXARIUM_CORPUS_DIR);
}

// Why a corpus test skips: the variable, its value and how to set it.
inline std::string Missing() {
  return "no .dfm files in FLEXARIUM_CORPUS_DIR = " + Dir().string() +
         " (configure with -DFLEXARIUM_CORPUS_DIR=<folder of form files>)";
}

// Every .dfm file below the folder, relative to it and sorted; one empty
// entry when there is none, so that a suite reports a skip instead of
// vanishing.
inline std::vector<std::string> Files() {
  namespace fs = std::filesystem;
  std::vector<std::string> files;
  std::error_code ec;
  const fs::path dir = Dir();
  if (fs::is_directory(dir, ec)) {
    for (auto it = fs::recursive_directory_iterator(dir, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
      if (it->is_regular_file(ec) && it->path().extension() == ".dfm") {
        files.push_back(fs::relative(it->path(), dir).generic_string());
      }
    }
  }
  std::sort(files.begin(), files.end());
  if (files.empty()) files.push_back("");
  return files;
}

// A test name from a file's relative path.
inline std::string TestName(const std::string& file) {
  std::string name = file.empty() ? "missing" : file;
  for (char& c : name) {
    const bool alnum = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                       (c >= '0' && c <= '9');
    if (!alnum) c = '_';
  }
  return name;
}

}  // namespace flx::corpus
