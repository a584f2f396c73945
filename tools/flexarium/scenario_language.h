// The scenario language: a script's lines read into commands with their
// line numbers, every line's form checked before anything runs, and the
// pieces of a line (edges, expect keys, set and create lines) that the
// runner takes apart again when it carries a command out. The language is
// documented in docs/scenarios.md.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "flexarium/form_text.h"
#include "flexarium/sysutils.h"
#include "flexarium/winapi.h"
#include "options.h"

namespace flexarium_cli {

// A line of a scenario, split into words; `rest` is the text after the
// command word, as written (for `set`).
struct ScenarioLine {
  int number = 0;
  std::string command;  // lower case
  std::vector<std::string> args;
  std::string rest;
  // Written `try COMMAND ...`: a refusal does not stop the script.
  bool tolerant = false;
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

// ---- Parts of a checked line

// The largest distance or position a scenario may give, in pixels.
inline constexpr int kDistanceLimit = 100000;

struct EdgeName {
  const char* name;
  flx::win::WPARAM code;
  int distances;  // 1: along the edge's own axis, 2: a corner
  bool vertical;  // a one-distance edge that moves up or down
};

// "left", "bottomright", "bottom-right"; nullptr for anything else.
const EdgeName* findEdge(std::string name);

// Width and height that may be 0, for expectations.
std::optional<Size> parseDims(const std::string& text);
std::vector<std::string> splitOn(const std::string& text, char sep);
// "120,81,-2": whole numbers separated by commas; nullopt otherwise.
std::optional<std::vector<int>> parseIntList(const std::string& text);
// true, yes, false or no.
std::optional<bool> parseBool(const std::string& text);

// A decimal number and the tolerance its written precision implies: 0.667
// matches anything that rounds to it.
struct Decimal {
  double value = 0;
  double tolerance = 0;
  int decimals = 0;
};
std::optional<Decimal> parseDecimal(const std::string& text);

// The keys `expect` knows, by kind of target.
enum class KeyKind {
  Int,
  FontSize,
  Dims,
  Bounds,
  Bool,
  State,
  Name,
  Decimal,
  IntList,  // 120,81,50: column widths or row heights in order
};

struct KeyInfo {
  const char* name;
  KeyKind kind;
  bool control;  // applies to a control
  bool form;     // applies to the form
  bool factors;  // applies to `factors`
};

const KeyInfo* findKey(const std::string& name, bool factors);

// The value of a `set` line, in the form file's own syntax. Throws
// flx::Exception (EFilerError for a value that does not parse).
flx::FormValue parseValue(const std::string& text);

struct SetLine {
  std::string path;
  std::string value;
};

// "NAME.PROPERTY = VALUE"; nullopt without a path or a value.
std::optional<SetLine> splitSet(const std::string& rest);

struct CreateLine {
  std::string className;
  std::string name;
  std::string parent;
  std::vector<int> bounds;  // none, LEFT TOP, or LEFT TOP WIDTH HEIGHT
};

// `create CLASS [NAME] [in PARENT] [at LEFT TOP [WIDTH HEIGHT]]`; the error
// text on a bad line.
std::optional<CreateLine> parseCreate(const std::vector<std::string>& args,
                                      std::string& error);

}  // namespace flexarium_cli
