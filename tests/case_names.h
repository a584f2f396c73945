// Readable names for the cases of parameterised tests. gtest accepts only
// letters, digits and underscores in a test name, numbers the cases of a
// suite without a name generator, and prints a parameter it has no printer
// for as its raw bytes; ctest shows the same names.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace flx::testnames {

// A label as a test name: every run of other characters becomes one '_'
// ("latin1 y diaeresis" -> "latin1_y_diaeresis", "$00FF" -> "_00FF").
inline std::string CaseName(std::string_view label) {
  std::string name;
  for (const char ch : label) {
    const bool alnum = (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') ||
                       (ch >= '0' && ch <= '9');
    if (alnum) {
      name += ch;
    } else if (name.empty() || name.back() != '_') {
      name += '_';
    }
  }
  while (name.size() > 1 && name.back() == '_') name.pop_back();
  return name.empty() ? "empty" : name;
}

// The name generator of a table whose cases carry a `name` or a `label`.
struct ByName {
  template <class Case>
  std::string operator()(const ::testing::TestParamInfo<Case>& info) const {
    return CaseName(info.param.name);
  }
};
struct ByLabel {
  template <class Case>
  std::string operator()(const ::testing::TestParamInfo<Case>& info) const {
    return CaseName(info.param.label);
  }
};

// For tables keyed by their source text, which may differ only in
// punctuation: the case's number keeps the names apart.
struct BySource {
  template <class Case>
  std::string operator()(const ::testing::TestParamInfo<Case>& info) const {
    std::string name = CaseName(info.param.source);
    if (name.front() == '_') name.erase(0, 1);
    return std::to_string(info.index) + (name.empty() ? "" : "_" + name);
  }
};

}  // namespace flx::testnames
