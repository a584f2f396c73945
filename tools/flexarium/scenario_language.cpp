// The scenario language: commands, their argument forms and the order they
// may come in; see scenario_language.h.
#include "scenario_language.h"

#include "dialog_input.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace flexarium_cli {

namespace {

namespace win = flx::win;

// ---- Commands

enum class When {
  BeforeLoad,  // screen settings read once, when the form is loaded
  Anytime,
  Load,
  AfterLoad,
};

struct CommandInfo {
  const char* name;
  int minArgs;
  int maxArgs;  // -1: no limit
  When when;
  const char* usage;
  bool tolerable = false;  // may follow `try`
};

constexpr const char* kTolerable =
    "show, client, outer, scale, move, drag, maximize, minimize, restore, "
    "monitordpi, "
    "set, create, destroy, dynamicadd, dynamicdelete";

constexpr CommandInfo kCommands[] = {
    {"screen", 1, 1, When::Anytime, "screen WxH"},
    {"dpi", 1, 1, When::BeforeLoad, "dpi N | dpi NxM"},
    {"taskbar", 1, 1, When::Anytime,
     "taskbar EDGE:THICKNESS[:autohide] | taskbar none"},
    {"windows", 1, 1, When::BeforeLoad, "windows MAJOR.MINOR"},
    {"locale", 1, 1, When::BeforeLoad, "locale ABBR"},
    {"composition", 1, 1, When::BeforeLoad, "composition on|off"},
    {"frame", 1, 1, When::BeforeLoad, "frame CAPTION:FRAME[:PADDED]"},
    {"monitor", 1, 1, When::BeforeLoad, "monitor WxH@X,Y:DPI"},
    {"awareness", 1, 1, When::BeforeLoad,
     "awareness unaware|system|permonitor"},
    {"search", 1, 1, When::BeforeLoad, "search DIR"},
    {"ancestor", 1, 1, When::BeforeLoad, "ancestor CLASS=FILE"},
    {"header", 1, 1, When::BeforeLoad, "header FILE"},
    {"include", 1, 1, When::BeforeLoad, "include DIR"},
    {"define", 1, 1, When::BeforeLoad, "define NAME[=VALUE]"},
    {"load", 1, 1, When::Load, "load FILE"},
    {"dialog", 2, 3, When::Load, "dialog FILE ID|NAME [LANGUAGE]"},
    {"show", 0, 0, When::AfterLoad, "show", true},
    {"client", 1, 1, When::AfterLoad, "client WxH", true},
    {"outer", 1, 1, When::AfterLoad, "outer WxH", true},
    {"move", 2, 2, When::AfterLoad, "move X Y", true},
    {"drag", 2, 3, When::AfterLoad,
     "drag left|right DX | drag top|bottom DY | drag CORNER DX DY", true},
    {"scale", 1, 1, When::AfterLoad, "scale F", true},
    {"attach", 0, 0, When::AfterLoad, "attach"},
    {"maximize", 0, 0, When::AfterLoad, "maximize", true},
    {"minimize", 0, 0, When::AfterLoad, "minimize", true},
    {"restore", 0, 0, When::AfterLoad, "restore", true},
    {"monitordpi", 2, 2, When::AfterLoad, "monitordpi INDEX DPI", true},
    {"set", 0, -1, When::AfterLoad, "set NAME.PROPERTY = VALUE", true},
    {"create", 1, 9, When::AfterLoad,
     "create CLASS [NAME] [in PARENT] [at LEFT TOP [WIDTH HEIGHT]]", true},
    {"destroy", 1, 1, When::AfterLoad, "destroy NAME", true},
    {"dynamicadd", 0, 1, When::AfterLoad, "dynamicadd [COMPONENT]", true},
    {"dynamicdelete", 0, 1, When::AfterLoad, "dynamicdelete [COMPONENT]", true},
    {"expect", 2, -1, When::AfterLoad, "expect TARGET KEY=VALUE..."},
    {"print", 0, 1, When::AfterLoad, "print [json]"},
    {"svg", 1, 1, When::AfterLoad, "svg FILE"},
};

const CommandInfo* findCommand(const std::string& name) {
  for (const CommandInfo& s : kCommands) {
    if (name == s.name) return &s;
  }
  return nullptr;
}

constexpr EdgeName kEdges[] = {
    {"left", win::WMSZ_LEFT, 1, false},
    {"right", win::WMSZ_RIGHT, 1, false},
    {"top", win::WMSZ_TOP, 1, true},
    {"bottom", win::WMSZ_BOTTOM, 1, true},
    {"topleft", win::WMSZ_TOPLEFT, 2, false},
    {"topright", win::WMSZ_TOPRIGHT, 2, false},
    {"bottomleft", win::WMSZ_BOTTOMLEFT, 2, false},
    {"bottomright", win::WMSZ_BOTTOMRIGHT, 2, false},
};

}  // namespace

// ---- Parts of a line

const EdgeName* findEdge(std::string name) {
  name.erase(std::remove(name.begin(), name.end(), '-'), name.end());
  for (const EdgeName& e : kEdges) {
    if (flx::SameText(name, e.name)) return &e;
  }
  return nullptr;
}

std::optional<Size> parseDims(const std::string& text) {
  auto x = text.find_first_of("xX");
  if (x == std::string::npos) return std::nullopt;
  auto w = parseInt(text.substr(0, x), 0, kDistanceLimit);
  auto h = parseInt(text.substr(x + 1), 0, kDistanceLimit);
  if (!w || !h) return std::nullopt;
  return Size{*w, *h};
}

std::vector<std::string> splitOn(const std::string& text, char sep) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    std::size_t at = text.find(sep, start);
    parts.push_back(text.substr(start, at - start));
    if (at == std::string::npos) break;
    start = at + 1;
  }
  return parts;
}

std::optional<bool> parseBool(const std::string& text) {
  if (flx::SameText(text, "true") || flx::SameText(text, "yes")) return true;
  if (flx::SameText(text, "false") || flx::SameText(text, "no")) return false;
  return std::nullopt;
}

std::optional<Decimal> parseDecimal(const std::string& text) {
  if (text.empty()) return std::nullopt;
  std::size_t i = 0;
  if (text[i] == '-' || text[i] == '+') ++i;
  std::size_t digits = 0, decimals = 0;
  bool dot = false;
  for (; i < text.size(); ++i) {
    if (text[i] == '.' && !dot) {
      dot = true;
    } else if (text[i] >= '0' && text[i] <= '9') {
      ++digits;
      if (dot) ++decimals;
    } else {
      return std::nullopt;
    }
  }
  if (digits == 0 || decimals > 12) return std::nullopt;
  Decimal d;
  d.value = std::strtod(text.c_str(), nullptr);
  d.decimals = static_cast<int>(decimals);
  d.tolerance = 0.5 * std::pow(10.0, -d.decimals) + 1e-12;
  return d;
}

namespace {

// The keys `expect` knows, by kind of target.
constexpr KeyInfo kKeys[] = {
    {"left", KeyKind::Int, true, true, false},
    {"top", KeyKind::Int, true, true, false},
    {"width", KeyKind::Int, true, true, false},
    {"height", KeyKind::Int, true, true, false},
    {"size", KeyKind::Dims, true, true, false},
    {"bounds", KeyKind::Bounds, true, true, false},
    {"font", KeyKind::FontSize, true, true, false},
    {"fontheight", KeyKind::Int, true, true, false},
    {"dpi", KeyKind::Int, false, true, false},
    {"monitor", KeyKind::Int, false, true, false},
    {"parentfont", KeyKind::Bool, true, false, false},
    {"visible", KeyKind::Bool, true, true, false},
    {"parent", KeyKind::Name, true, false, false},
    {"columns", KeyKind::IntList, true, false, false},
    {"colwidths", KeyKind::IntList, true, false, false},
    {"rowheights", KeyKind::IntList, true, false, false},
    {"client", KeyKind::Dims, false, true, false},
    {"clientwidth", KeyKind::Int, false, true, false},
    {"clientheight", KeyKind::Int, false, true, false},
    {"state", KeyKind::State, false, true, false},
    {"x", KeyKind::Decimal, false, false, true},
    {"y", KeyKind::Decimal, false, false, true},
    {"font", KeyKind::Decimal, false, false, true},
};

}  // namespace

const KeyInfo* findKey(const std::string& name, bool factors) {
  for (const KeyInfo& k : kKeys) {
    if (flx::SameText(name, k.name) && (k.factors == factors)) return &k;
  }
  return nullptr;
}

namespace {

// Whether `value` has the form `kind` asks for; the error text otherwise.
std::string checkValue(KeyKind kind, const std::string& value) {
  switch (kind) {
    case KeyKind::Int:
      if (parseInt(value, -kDistanceLimit, kDistanceLimit)) return {};
      return "a whole number";
    case KeyKind::FontSize:
      if (flx::SameText(value, "none") || parseInt(value, -1000, 1000)) {
        return {};
      }
      return "a size in points or none";
    case KeyKind::Dims:
      if (parseDims(value)) return {};
      return "WxH";
    case KeyKind::Bounds: {
      auto parts = splitOn(value, ',');
      bool ok = parts.size() == 4;
      for (const auto& p : parts) {
        ok = ok && parseInt(p, -kDistanceLimit, kDistanceLimit).has_value();
      }
      return ok ? "" : "LEFT,TOP,WIDTH,HEIGHT";
    }
    case KeyKind::Bool:
      if (parseBool(value)) return {};
      return "true or false";
    case KeyKind::State:
      if (flx::SameText(value, "normal") || flx::SameText(value, "maximized") ||
          flx::SameText(value, "minimized")) {
        return {};
      }
      return "normal, maximized or minimized";
    case KeyKind::Name:
      if (flx::IsValidIdent(value)) return {};
      return "a component name";
    case KeyKind::Decimal:
      if (parseDecimal(value)) return {};
      return "a decimal number";
    case KeyKind::IntList:
      if (parseIntList(value)) return {};
      return "whole numbers separated by commas, such as 120,80,64";
  }
  return "a value";
}

}  // namespace

std::optional<std::vector<int>> parseIntList(const std::string& text) {
  std::vector<int> out;
  for (const std::string& part : splitOn(text, ',')) {
    auto v = parseInt(part, -kDistanceLimit, kDistanceLimit);
    if (!v) return std::nullopt;
    out.push_back(*v);
  }
  return out;
}

flx::FormValue parseValue(const std::string& text) {
  auto doc =
      flx::ParseFormText("object V: TV\n  V = " + text + "\nend\n", "value");
  if (doc->props.size() != 1 || !doc->children.empty()) {
    throw flx::Exception("one value is expected");
  }
  return doc->props[0].value;
}

std::optional<SetLine> splitSet(const std::string& rest) {
  auto eq = rest.find('=');
  if (eq == std::string::npos) return std::nullopt;
  SetLine s{flx::Trim(rest.substr(0, eq)), flx::Trim(rest.substr(eq + 1))};
  if (s.path.empty() || s.value.empty()) return std::nullopt;
  return s;
}

std::optional<CreateLine> parseCreate(const std::vector<std::string>& args,
                                      std::string& error) {
  CreateLine c;
  std::size_t i = 0;
  c.className = args[i++];
  if (!flx::IsValidIdent(c.className)) {
    error = "'" + c.className + "' is not a class name";
    return std::nullopt;
  }
  if (i < args.size() && !flx::SameText(args[i], "in") &&
      !flx::SameText(args[i], "at")) {
    c.name = args[i++];
    if (!flx::IsValidIdent(c.name)) {
      error = "'" + c.name + "' is not a valid component name";
      return std::nullopt;
    }
  }
  if (i < args.size() && flx::SameText(args[i], "in")) {
    if (++i >= args.size()) {
      error = "'in' needs the parent's name";
      return std::nullopt;
    }
    c.parent = args[i++];
  }
  if (i < args.size() && flx::SameText(args[i], "at")) {
    ++i;
    while (i < args.size()) {
      auto v = parseInt(args[i], -kDistanceLimit, kDistanceLimit);
      if (!v) {
        error = "'" + args[i] + "' is not a whole number";
        return std::nullopt;
      }
      c.bounds.push_back(*v);
      ++i;
    }
    if (c.bounds.size() != 2 && c.bounds.size() != 4) {
      error = "'at' takes LEFT TOP or LEFT TOP WIDTH HEIGHT";
      return std::nullopt;
    }
  }
  if (i < args.size()) {
    error = "unexpected '" + args[i] + "'";
    return std::nullopt;
  }
  return c;
}

// ---- Checking the lines

namespace {

// Checks the arguments of a line; the error text, or "".
// What keeps a picture's name from lying inside the --out folder ("" when
// nothing): a scenario file is input and writes nowhere else.
std::string pictureNameProblem(const std::string& name) {
  const std::filesystem::path path(name);
  if (path.has_root_name() || path.has_root_directory()) {
    return "'" + name +
           "' is an absolute path; pictures go into the --out folder: give a "
           "name relative to it";
  }
  for (const auto& part : path) {
    if (part == "..") {
      return "'" + name +
             "' leaves the --out folder ('..'); give a name inside it";
    }
  }
  if (!path.has_filename() || path.filename() == ".") {
    return "'" + name + "' names a folder, not a picture file";
  }
  return {};
}

std::string checkLine(const ScenarioLine& line) {
  const auto& a = line.args;
  const std::string& cmd = line.command;
  auto expected = [&](const char* form, const std::string& got) {
    return std::string("expected ") + form + ", got '" + got + "'";
  };
  if (cmd == "screen") {
    if (!parseSize(a[0])) return expected(kSizeForm, a[0]);
  } else if (cmd == "scale") {
    if (!parseScale(a[0])) return expected(kScaleForm, a[0]);
  } else if (cmd == "client" || cmd == "outer") {
    // An application may ask for nothing at all; the window system's
    // limits apply.
    if (!parseDims(a[0])) {
      return expected("WxH with whole numbers from 0 to 100000", a[0]);
    }
  } else if (cmd == "dpi") {
    if (!parseDpi(a[0])) return expected(kDpiForm, a[0]);
  } else if (cmd == "taskbar") {
    if (!parseTaskbar(a[0])) return expected(kTaskbarForm, a[0]);
  } else if (cmd == "windows") {
    if (!parseWindowsVersion(a[0])) return expected(kWindowsForm, a[0]);
  } else if (cmd == "locale") {
    if (!parseLocale(a[0])) return expected(kLocaleForm, a[0]);
  } else if (cmd == "composition") {
    if (!parseOnOff(a[0])) return expected(kOnOffForm, a[0]);
  } else if (cmd == "frame") {
    if (!parseFrame(a[0])) return expected(kFrameForm, a[0]);
  } else if (cmd == "monitor") {
    if (!parseMonitor(a[0])) return expected(kMonitorForm, a[0]);
  } else if (cmd == "svg") {
    return pictureNameProblem(a[0]);
  } else if (cmd == "define") {
    if (a[0].empty() || a[0].front() == '=') {
      return expected("NAME or NAME=VALUE", a[0]);
    }
  } else if (cmd == "dialog") {
    if (a.size() > 2 && !parseLanguage(a[2])) {
      return expected("a language ID such as 0x0409 or 1033", a[2]);
    }
  } else if (cmd == "awareness") {
    if (!parseAwareness(a[0])) return expected(kAwarenessForm, a[0]);
  } else if (cmd == "monitordpi") {
    if (!parseInt(a[0], 0, 99)) return expected("a monitor number 0..99", a[0]);
    if (!parseInt(a[1], 1, 10000)) return expected("a DPI 1..10000", a[1]);
  } else if (cmd == "ancestor") {
    auto eq = a[0].find('=');
    if (eq == std::string::npos || eq == 0 || eq + 1 == a[0].size()) {
      return expected("CLASS=FILE", a[0]);
    }
  } else if (cmd == "move") {
    for (const auto& v : a) {
      if (!parseInt(v, -kDistanceLimit, kDistanceLimit)) {
        return expected("whole numbers X Y, each -100000 to 100000", v);
      }
    }
  } else if (cmd == "drag") {
    const EdgeName* edge = findEdge(a[0]);
    if (edge == nullptr) {
      return expected(
          "an edge (left, right, top, bottom) or a corner (topleft, "
          "topright, bottomleft, bottomright)",
          a[0]);
    }
    const int distances = static_cast<int>(a.size()) - 1;
    if (distances != edge->distances) {
      return std::string("drag ") + edge->name + " takes " +
             (edge->distances == 1
                  ? (edge->vertical ? "one distance DY" : "one distance DX")
                  : "two distances DX DY");
    }
    for (std::size_t i = 1; i < a.size(); ++i) {
      if (!parseInt(a[i], -kDistanceLimit, kDistanceLimit)) {
        return expected("a distance in pixels from -100000 to 100000", a[i]);
      }
    }
  } else if (cmd == "set") {
    auto s = splitSet(line.rest);
    if (!s) return "expected NAME.PROPERTY = VALUE";
    for (const auto& part : splitOn(s->path, '.')) {
      if (!flx::IsValidIdent(part)) return "'" + s->path + "' is not a name";
    }
    if (s->path.find('.') == std::string::npos) {
      return "name the component and the property: NAME.PROPERTY";
    }
    try {
      parseValue(s->value);
    } catch (const flx::EFilerError& e) {
      return "bad value '" + s->value + "': " + e.detail();
    } catch (const flx::Exception& e) {
      return "bad value '" + s->value + "': " + e.Message();
    }
  } else if (cmd == "create") {
    std::string error;
    if (!parseCreate(a, error)) return error;
  } else if (cmd == "destroy" || cmd == "dynamicadd" ||
             cmd == "dynamicdelete") {
    for (const auto& part :
         a.empty() ? std::vector<std::string>{} : splitOn(a[0], '.')) {
      if (!flx::IsValidIdent(part)) return "'" + a[0] + "' is not a name";
    }
  } else if (cmd == "expect") {
    const bool factors = flx::SameText(a[0], "factors");
    for (std::size_t i = 1; i < a.size(); ++i) {
      auto eq = a[i].find('=');
      if (eq == std::string::npos || eq == 0 || eq + 1 == a[i].size()) {
        return expected("KEY=VALUE", a[i]);
      }
      std::string key = a[i].substr(0, eq);
      const KeyInfo* info = findKey(key, factors);
      if (info == nullptr) {
        return "unknown key '" + key + "'" +
               (factors ? " for factors (x, y, font)"
                        : " (see docs/scenarios.md)");
      }
      std::string error = checkValue(info->kind, a[i].substr(eq + 1));
      if (!error.empty())
        return key + ": " + expected(error.c_str(), a[i].substr(eq + 1));
    }
  } else if (cmd == "print") {
    if (!a.empty() && !flx::SameText(a[0], "json")) {
      return expected("print or print json", "print " + a[0]);
    }
  }
  return {};
}

std::vector<std::string> words(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  std::string w;
  while (in >> w) {
    if (w[0] == '#') break;
    out.push_back(w);
  }
  return out;
}

}  // namespace

std::vector<ScenarioLine> parseScenario(std::string_view text,
                                        const std::string& file) {
  std::vector<ScenarioLine> lines;
  bool loadSeen = false;
  int number = 0;
  std::size_t pos = 0;
  while (pos <= text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string raw(text.substr(pos, end - pos));
    pos = end + 1;
    ++number;
    if (!raw.empty() && raw.back() == '\r') raw.pop_back();
    std::string trimmed = flx::Trim(raw);
    if (trimmed.empty() || trimmed[0] == '#') continue;

    auto fail = [&](const std::string& message) {
      throw ScenarioError(file + ":" + std::to_string(number) + ": " + message);
    };
    ScenarioLine line;
    line.number = number;
    std::size_t space = trimmed.find_first_of(" \t");
    if (flx::SameText(trimmed.substr(0, space), "try")) {
      line.tolerant = true;
      trimmed =
          space == std::string::npos ? "" : flx::Trim(trimmed.substr(space));
      space = trimmed.find_first_of(" \t");
    }
    line.command = flx::LowerCase(trimmed.substr(0, space));
    line.rest =
        space == std::string::npos ? "" : flx::Trim(trimmed.substr(space));
    const CommandInfo* info = findCommand(line.command);
    if (line.tolerant && (info == nullptr || !info->tolerable)) {
      fail("try: expected a step that may be refused (" +
           std::string(kTolerable) + "), got '" + trimmed + "'");
    }
    if (info == nullptr) {
      fail("unknown command '" + trimmed.substr(0, space) +
           "' (run 'flexarium run --help' for the commands)");
    }
    if (line.command != "set") line.args = words(line.rest);
    const int count = static_cast<int>(line.args.size());
    if (count < info->minArgs ||
        (info->maxArgs >= 0 && count > info->maxArgs)) {
      fail("usage: " + std::string(info->usage));
    }
    if (info->when == When::BeforeLoad && loadSeen) {
      fail(line.command +
           " must come before load: it is read once, when "
           "the form is loaded");
    }
    if (info->when == When::Load && loadSeen) {
      fail(
          "a scenario loads one form or dialog; this one is loaded "
          "already");
    }
    if (info->when == When::AfterLoad && !loadSeen) {
      fail(line.command + " needs a form: put a load or dialog line first");
    }
    std::string error = checkLine(line);
    if (!error.empty()) fail(line.command + ": " + error);
    if (info->when == When::Load) loadSeen = true;
    lines.push_back(std::move(line));
    if (end == text.size()) break;
  }
  return lines;
}

}  // namespace flexarium_cli
