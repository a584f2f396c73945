// Numbers as every output of the tools writes them, whatever the locale:
// the report's factors, the pictures' coordinates and the scenario checks.
#pragma once

#include <cstdio>
#include <string>

namespace flexarium_cli {

// v with `decimals` digits after the point ("1.5000" for 4).
inline std::string fixedNumber(double v, int decimals) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, v);
  return buffer;
}

// v with one decimal at most, the ".0" left out and never "-0": the
// coordinates of the pictures.
inline std::string shortNumber(double v) {
  std::string s = fixedNumber(v, 1);
  if (s.size() > 2 && s.compare(s.size() - 2, 2, ".0") == 0) {
    s.resize(s.size() - 2);
  }
  return s == "-0" ? "0" : s;
}

}  // namespace flexarium_cli
