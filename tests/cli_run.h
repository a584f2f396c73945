// Runs the flexarium command in-process for the command's tests, with its
// standard streams captured.
#pragma once

#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "commands.h"

namespace flexarium_cli {

struct Outcome {
  int status = 0;
  std::string out;
  std::string err;
};

// Runs `flexarium ARGS...`; with `input`, standard input reads that text.
inline Outcome RunCli(std::vector<std::string> args,
                      const std::optional<std::string>& input = std::nullopt) {
  args.insert(args.begin(), "flexarium");
  std::vector<const char*> argv;
  for (const auto& a : args) argv.push_back(a.c_str());
  std::ostringstream out, err;
  std::istringstream in(input.value_or(""));
  auto* oldOut = std::cout.rdbuf(out.rdbuf());
  auto* oldErr = std::cerr.rdbuf(err.rdbuf());
  auto* oldIn = input ? std::cin.rdbuf(in.rdbuf()) : std::cin.rdbuf();
  auto restore = [&] {
    std::cout.rdbuf(oldOut);
    std::cerr.rdbuf(oldErr);
    std::cin.rdbuf(oldIn);
    std::cin.clear();
  };
  Outcome o;
  try {
    o.status = Main(static_cast<int>(argv.size()), argv.data());
  } catch (...) {
    restore();
    throw;
  }
  restore();
  o.out = out.str();
  o.err = err.str();
  return o;
}

}  // namespace flexarium_cli
