#include "scenario.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <sstream>

#include "flexarium/form_text.h"
#include "flexarium/formfile.h"
#include "flexarium/stdctrls.h"
#include "flexarium/winapi.h"
#include "options.h"
#include "render.h"
#include "report.h"
#include "simulation.h"

namespace flexarium_cli {

namespace {

namespace fs = std::filesystem;
namespace win = flx::win;

// ---- Reading ----------------------------------------------------------------

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
};

constexpr CommandInfo kCommands[] = {
    {"screen", 1, 1, When::Anytime, "screen WxH"},
    {"dpi", 1, 1, When::BeforeLoad, "dpi N | dpi NxM"},
    {"taskbar", 1, 1, When::Anytime,
     "taskbar EDGE:THICKNESS[:autohide] | taskbar none"},
    {"windows", 1, 1, When::BeforeLoad, "windows MAJOR.MINOR"},
    {"locale", 1, 1, When::BeforeLoad, "locale ABBR"},
    {"composition", 1, 1, When::BeforeLoad, "composition on|off"},
    {"search", 1, 1, When::BeforeLoad, "search DIR"},
    {"ancestor", 1, 1, When::BeforeLoad, "ancestor CLASS=FILE"},
    {"load", 1, 1, When::Load, "load FILE"},
    {"show", 0, 0, When::AfterLoad, "show"},
    {"client", 1, 1, When::AfterLoad, "client WxH"},
    {"outer", 1, 1, When::AfterLoad, "outer WxH"},
    {"move", 2, 2, When::AfterLoad, "move X Y"},
    {"drag", 2, 3, When::AfterLoad,
     "drag left|right DX | drag top|bottom DY | drag CORNER DX DY"},
    {"maximize", 0, 0, When::AfterLoad, "maximize"},
    {"minimize", 0, 0, When::AfterLoad, "minimize"},
    {"restore", 0, 0, When::AfterLoad, "restore"},
    {"set", 0, -1, When::AfterLoad, "set NAME.PROPERTY = VALUE"},
    {"create", 1, 9, When::AfterLoad,
     "create CLASS [NAME] [in PARENT] [at LEFT TOP [WIDTH HEIGHT]]"},
    {"destroy", 1, 1, When::AfterLoad, "destroy NAME"},
    {"dynamicadd", 0, 1, When::AfterLoad, "dynamicadd [COMPONENT]"},
    {"dynamicdelete", 0, 1, When::AfterLoad, "dynamicdelete [COMPONENT]"},
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

constexpr int kDistanceLimit = 100000;

struct EdgeName {
  const char* name;
  win::WPARAM code;
  int distances;  // 1: along the edge's own axis, 2: a corner
  bool vertical;  // a one-distance edge that moves up or down
};

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

const EdgeName* findEdge(std::string name) {
  name.erase(std::remove(name.begin(), name.end(), '-'), name.end());
  for (const EdgeName& e : kEdges) {
    if (flx::SameText(name, e.name)) return &e;
  }
  return nullptr;
}

// Width and height that may be 0, for expectations.
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

// A decimal number and the tolerance its written precision implies: 0.667
// matches anything that rounds to it.
struct Decimal {
  double value = 0;
  double tolerance = 0;
  int decimals = 0;
};

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

// The keys `expect` knows, by kind of target.
enum class KeyKind { Int, FontSize, Dims, Bounds, Bool, State, Name, Decimal };

struct KeyInfo {
  const char* name;
  KeyKind kind;
  bool control;  // applies to a control
  bool form;     // applies to the form
  bool factors;  // applies to `factors`
};

constexpr KeyInfo kKeys[] = {
    {"left", KeyKind::Int, true, true, false},
    {"top", KeyKind::Int, true, true, false},
    {"width", KeyKind::Int, true, true, false},
    {"height", KeyKind::Int, true, true, false},
    {"size", KeyKind::Dims, true, true, false},
    {"bounds", KeyKind::Bounds, true, true, false},
    {"font", KeyKind::FontSize, true, true, false},
    {"parentfont", KeyKind::Bool, true, false, false},
    {"visible", KeyKind::Bool, true, true, false},
    {"parent", KeyKind::Name, true, false, false},
    {"client", KeyKind::Dims, false, true, false},
    {"clientwidth", KeyKind::Int, false, true, false},
    {"clientheight", KeyKind::Int, false, true, false},
    {"state", KeyKind::State, false, true, false},
    {"x", KeyKind::Decimal, false, false, true},
    {"y", KeyKind::Decimal, false, false, true},
    {"font", KeyKind::Decimal, false, false, true},
};

const KeyInfo* findKey(const std::string& name, bool factors) {
  for (const KeyInfo& k : kKeys) {
    if (flx::SameText(name, k.name) && (k.factors == factors)) return &k;
  }
  return nullptr;
}

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
  }
  return "a value";
}

// The value of a `set` line, in the form file's own syntax.
flx::FormValue parseValue(const std::string& text) {
  auto doc =
      flx::ParseFormText("object V: TV\n  V = " + text + "\nend\n", "value");
  if (doc->props.size() != 1 || !doc->children.empty()) {
    throw flx::Exception("one value is expected");
  }
  return doc->props[0].value;
}

struct SetLine {
  std::string path;
  std::string value;
};

std::optional<SetLine> splitSet(const std::string& rest) {
  auto eq = rest.find('=');
  if (eq == std::string::npos) return std::nullopt;
  SetLine s{flx::Trim(rest.substr(0, eq)), flx::Trim(rest.substr(eq + 1))};
  if (s.path.empty() || s.value.empty()) return std::nullopt;
  return s;
}

struct CreateLine {
  std::string className;
  std::string name;
  std::string parent;
  std::vector<int> bounds;  // none, LEFT TOP, or LEFT TOP WIDTH HEIGHT
};

// `create CLASS [NAME] [in PARENT] [at LEFT TOP [WIDTH HEIGHT]]`; the error
// text on a bad line.
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

// Checks the arguments of a line; the error text, or "".
std::string checkLine(const ScenarioLine& line) {
  const auto& a = line.args;
  const std::string& cmd = line.command;
  auto expected = [&](const char* form, const std::string& got) {
    return std::string("expected ") + form + ", got '" + got + "'";
  };
  if (cmd == "screen" || cmd == "client" || cmd == "outer") {
    if (!parseSize(a[0])) return expected(kSizeForm, a[0]);
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
  } else if (cmd == "ancestor") {
    auto eq = a[0].find('=');
    if (eq == std::string::npos || eq == 0 || eq + 1 == a[0].size()) {
      return expected("CLASS=FILE", a[0]);
    }
  } else if (cmd == "move") {
    for (const auto& v : a) {
      if (!parseInt(v, -kDistanceLimit, kDistanceLimit)) {
        return expected("whole numbers X Y", v);
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
        return expected("a distance in pixels", a[i]);
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
    line.command = flx::LowerCase(trimmed.substr(0, space));
    line.rest =
        space == std::string::npos ? "" : flx::Trim(trimmed.substr(space));
    const CommandInfo* info = findCommand(line.command);
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
      fail("a scenario loads one form; this one is loaded already");
    }
    if (info->when == When::AfterLoad && !loadSeen) {
      fail(line.command + " needs a form: put a load line first");
    }
    std::string error = checkLine(line);
    if (!error.empty()) fail(line.command + ": " + error);
    if (info->when == When::Load) loadSeen = true;
    lines.push_back(std::move(line));
    if (end == text.size()) break;
  }
  return lines;
}

namespace {

// ---- Running ----------------------------------------------------------------

class Runner {
 public:
  Runner(std::string file, const ScenarioOptions& options, std::ostream& out,
         std::ostream& err)
      : file_(std::move(file)), options_(options), out_(out), err_(err) {
    fs::path dir = fs::path(file_).parent_path();
    dir_ = dir.empty() ? fs::path(".") : dir;
  }

  // Stops at the first error; failed expects only count.
  ScenarioResult run(const std::vector<ScenarioLine>& lines) {
    for (const ScenarioLine& line : lines) {
      line_ = line.number;
      std::string error;
      try {
        execute(line);
        if (session_) {
          for (const std::string& e : session_->takeErrors()) {
            error = "error inside the form's window procedure: " + e;
            break;
          }
        }
      } catch (const ScenarioError& e) {
        err_ << e.what() << "\n";
        result_.error = true;
        break;
      } catch (const flx::Exception& e) {
        error = e.what();
      } catch (const std::exception& e) {
        error = std::string("internal error: ") + e.what();
      }
      if (!error.empty()) {
        err_ << where() << error << "\n";
        result_.error = true;
        break;
      }
    }
    return result_;
  }

 private:
  [[noreturn]] void fail(const std::string& message) {
    throw ScenarioError(where() + message);
  }

  std::string where() const {
    return file_ + ":" + std::to_string(line_) + ": ";
  }

  std::string resolve(const std::string& path) const {
    fs::path p(path);
    if (p.is_absolute()) return p.string();
    return (dir_ / p).lexically_normal().string();
  }

  Session& session() {
    if (!session_) fail("no form is loaded");
    return *session_;
  }

  void execute(const ScenarioLine& line) {
    const std::string& cmd = line.command;
    const auto& a = line.args;
    const bool step = cmd != "expect" && cmd != "print" && cmd != "svg";
    if (step && session_) session_->beginStep();
    if (cmd == "screen") {
      Size size = *parseSize(a[0]);
      settings_.screen = size;
      if (session_) session_->setScreenSize(size);
    } else if (cmd == "dpi") {
      settings_.dpi = *parseDpi(a[0]);
    } else if (cmd == "taskbar") {
      settings_.taskbar = *parseTaskbar(a[0]);
      if (session_) session_->setTaskbar(settings_.taskbar);
    } else if (cmd == "windows") {
      settings_.windows = *parseWindowsVersion(a[0]);
    } else if (cmd == "locale") {
      settings_.locale = *parseLocale(a[0]);
    } else if (cmd == "composition") {
      settings_.composition = *parseOnOff(a[0]);
    } else if (cmd == "search") {
      std::string dir = resolve(a[0]);
      std::error_code ec;
      if (!fs::is_directory(dir, ec)) fail(dir + ": no such folder");
      loadOptions_.searchDirs.push_back(dir);
    } else if (cmd == "ancestor") {
      auto eq = a[0].find('=');
      loadOptions_.ancestors[a[0].substr(0, eq)] = resolve(a[0].substr(eq + 1));
    } else if (cmd == "load") {
      formFile_ = resolve(a[0]);
      session_ = std::make_unique<Session>(settings_);
      loadOptions_.designing = false;
      loadOptions_.warn = [this](const std::string& message) {
        err_ << where() << message << " (warning)\n";
      };
      session_->load(formFile_, loadOptions_);
    } else if (cmd == "show") {
      session().show();
    } else if (cmd == "client") {
      session().setClientSize(*parseSize(a[0]));
    } else if (cmd == "outer") {
      session().setOuterSize(*parseSize(a[0]));
    } else if (cmd == "move") {
      session().moveTo(*parseInt(a[0], -kDistanceLimit, kDistanceLimit),
                       *parseInt(a[1], -kDistanceLimit, kDistanceLimit));
    } else if (cmd == "drag") {
      const EdgeName* edge = findEdge(a[0]);
      int d1 = *parseInt(a[1], -kDistanceLimit, kDistanceLimit);
      int d2 =
          a.size() > 2 ? *parseInt(a[2], -kDistanceLimit, kDistanceLimit) : 0;
      if (edge->distances == 1 && edge->vertical) std::swap(d1, d2);
      session().drag(edge->code, d1, d2);
    } else if (cmd == "maximize") {
      session().maximize();
    } else if (cmd == "minimize") {
      session().minimize();
    } else if (cmd == "restore") {
      session().restore();
    } else if (cmd == "set") {
      setProperty(*splitSet(line.rest));
    } else if (cmd == "create") {
      std::string error;
      create(*parseCreate(a, error));
    } else if (cmd == "destroy") {
      destroy(a[0]);
    } else if (cmd == "dynamicadd" || cmd == "dynamicdelete") {
      flx::TFlexarium& f = flexarium(a.empty() ? "" : a[0]);
      if (cmd == "dynamicadd") {
        f.DynamicAdd();
      } else {
        f.DynamicDelete();
      }
    } else if (cmd == "expect") {
      expect(line);
    } else if (cmd == "print") {
      StepLayout step = session().capture(action_);
      ++prints_;
      if (!a.empty()) {
        out_ << stepToJson(step).dump(2) << "\n";
      } else {
        out_ << formatStep(step, prints_);
      }
    } else if (cmd == "svg") {
      writeSvg(a[0]);
    }
    if (step) {
      action_ = line.command + (line.rest.empty() ? "" : " " + line.rest) +
                " (line " + std::to_string(line.number) + ")";
    }
  }

  // ---- set ----

  void setProperty(const SetLine& s) {
    std::vector<std::string> parts = splitOn(s.path, '.');
    flx::TComponent* c = component(parts[0]);
    std::size_t i = 1;
    while (i + 1 < parts.size()) {
      flx::TComponent* owned = c->FindComponent(parts[i]);
      if (owned == nullptr) break;
      c = owned;
      ++i;
    }
    flx::TPersistent* object = c;
    const flx::TPropInfo* info = nullptr;
    for (; i < parts.size(); ++i) {
      info = flx::GetPropInfo(*object, parts[i]);
      if (info == nullptr) {
        fail(object->ClassName() + " has no published property '" + parts[i] +
             "'");
      }
      if (i + 1 < parts.size()) {
        if (info->Kind != flx::TTypeKind::Class || !info->GetObject) {
          fail(s.path + ": " + parts[i] + " has no properties of its own");
        }
        object = info->GetObject(*object);
        if (object == nullptr) fail(s.path + ": " + parts[i] + " is nil");
      }
    }
    if (info->Kind == flx::TTypeKind::Class) {
      fail(s.path + ": set one of its properties, e.g. " + s.path + ".Size");
    }
    if (info->Kind == flx::TTypeKind::Method) {
      fail(s.path + ": an event cannot be set from a scenario");
    }
    if (!info->Set) fail(s.path + " is read-only");
    flx::FormValue value = parseValue(s.value);
    try {
      info->Set(*object, value);
    } catch (const flx::Exception& e) {
      fail(s.path + ": " + e.Message());
    }
  }

  // ---- create and destroy ----

  flx::TComponent* component(const std::string& path) {
    flx::TComponent* c = session().find(path);
    if (c == nullptr) fail("no component named '" + path + "' on the form");
    return c;
  }

  flx::TFlexarium& flexarium(const std::string& name) {
    if (name.empty()) {
      flx::TFlexarium* f = session().component();
      if (f == nullptr) fail("the form has no TFlexarium");
      return *f;
    }
    auto* f = dynamic_cast<flx::TFlexarium*>(component(name));
    if (f == nullptr) fail("'" + name + "' is not a TFlexarium");
    return *f;
  }

  // The form file beside the form (or in a search folder) whose root is of
  // class `className`.
  std::string frameFile(const std::string& className) {
    std::vector<fs::path> dirs{fs::path(formFile_).parent_path()};
    if (dirs[0].empty()) dirs[0] = ".";
    for (const auto& d : loadOptions_.searchDirs) dirs.emplace_back(d);
    for (const fs::path& dir : dirs) {
      std::error_code ec;
      std::vector<fs::path> files;
      for (const auto& entry : fs::directory_iterator(dir, ec)) {
        std::string ext = flx::LowerCase(entry.path().extension().string());
        if (ext == ".dfm" || ext == ".lfm" || ext == ".fmx") {
          files.push_back(entry.path());
        }
      }
      std::sort(files.begin(), files.end());
      for (const fs::path& f : files) {
        std::ifstream in(f, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        try {
          auto doc = flx::ParseFormText(text.str(), f.string());
          if (flx::SameText(doc->className, className)) return f.string();
        } catch (const flx::Exception&) {
          // A file that does not parse is not the frame asked for.
        }
      }
    }
    return {};
  }

  void create(const CreateLine& c) {
    flx::TCustomForm& form = session().form();
    flx::RegisterStandardClasses();
    const flx::TClassInfo* cls = flx::FindClass(c.className);
    if (cls != nullptr && cls->InheritsFrom(flx::TFlexarium::StaticClass())) {
      if (!c.parent.empty() || !c.bounds.empty()) {
        fail("a TFlexarium takes no parent and no bounds");
      }
      std::unique_ptr<flx::TComponent> made(cls->Factory(nullptr));
      if (!c.name.empty()) made->SetName(c.name);
      form.InsertComponent(made.get());
      auto* f = static_cast<flx::TFlexarium*>(made.release());
      f->Start();
      session().watchComponents();
      return;
    }
    std::unique_ptr<flx::TComponent> made;
    const bool frame =
        cls == nullptr || cls->InheritsFrom(flx::TCustomFrame::StaticClass());
    if (frame) {
      std::string path = frameFile(c.className);
      if (path.empty()) {
        fail("no form file beside the form or in a search folder declares " +
             c.className +
             (cls == nullptr ? ", and the class is unknown" : ""));
      }
      flx::FormLoadOptions options = loadOptions_;
      made = flx::LoadFormFile(path, options);
      if (dynamic_cast<flx::TCustomFrame*>(made.get()) == nullptr) {
        fail(path + " declares " + c.className + " but it is not a frame");
      }
    } else {
      if (!cls->InheritsFrom(flx::TControl::StaticClass())) {
        fail(c.className + " is not a control");
      }
      const flx::TClassInfo* make = cls;
      while (!make->Factory && make->Parent != nullptr) make = make->Parent;
      if (!make->Factory) fail(c.className + " cannot be created");
      made.reset(make->Factory(nullptr));
    }
    if (!c.name.empty()) made->SetName(c.name);
    flx::TWinControl* parent = &form;
    if (!c.parent.empty()) {
      parent = dynamic_cast<flx::TWinControl*>(component(c.parent));
      if (parent == nullptr) fail("'" + c.parent + "' cannot hold controls");
    }
    // Owned by the form, as Create(Self) in the form's code does.
    form.InsertComponent(made.get());
    auto* control = static_cast<flx::TControl*>(made.release());
    control->SetParent(parent);
    if (!c.bounds.empty()) {
      const int w = c.bounds.size() == 4 ? c.bounds[2] : control->Width();
      const int h = c.bounds.size() == 4 ? c.bounds[3] : control->Height();
      control->SetBounds(c.bounds[0], c.bounds[1], w, h);
    }
  }

  void destroy(const std::string& name) {
    flx::TComponent* c = component(name);
    if (c == &session().form()) fail("the form itself cannot be destroyed");
    delete c;
  }

  // ---- expect ----

  struct Check {
    std::string key;
    std::string want;
    std::string got;
    bool ok = true;
  };

  static std::string dims(int w, int h) {
    return std::to_string(w) + "x" + std::to_string(h);
  }

  void expect(const ScenarioLine& line) {
    const std::string& target = line.args[0];
    std::vector<Check> checks;
    std::optional<std::string> missing;
    if (flx::SameText(target, "factors")) {
      checks = factorChecks(line);
    } else {
      flx::TComponent* c = session().find(target);
      if (c == nullptr) {
        missing = "no component named " + target;
      } else if (c == &session().form()) {
        checks = formChecks(line);
      } else if (auto* control = dynamic_cast<flx::TControl*>(c)) {
        checks = controlChecks(line, *control);
      } else {
        fail(target + " is a " + c->ClassName() +
             ", not a control; expect checks controls, the form and factors");
      }
    }
    ++result_.expects;
    std::string want, got;
    bool ok = !missing;
    for (const Check& k : checks) {
      if (k.ok) continue;
      ok = false;
      want += " " + k.key + "=" + k.want;
      got += (got.empty() ? "" : " ") + k.key + "=" + k.got;
    }
    if (ok) return;
    ++result_.failed;
    if (missing) {
      std::string all;
      for (std::size_t i = 1; i < line.args.size(); ++i) {
        all += " " + line.args[i];
      }
      err_ << where() << "expected " << target << all << ", got " << *missing
           << "\n";
      return;
    }
    err_ << where() << "expected " << target << want << ", got " << got << "\n";
  }

  template <typename Value>
  void eachKey(const ScenarioLine& line, bool factors, Value value,
               std::vector<Check>& out) {
    for (std::size_t i = 1; i < line.args.size(); ++i) {
      const std::string& arg = line.args[i];
      auto eq = arg.find('=');
      Check k;
      k.key = flx::LowerCase(arg.substr(0, eq));
      k.want = arg.substr(eq + 1);
      const KeyInfo* info = findKey(k.key, factors);
      value(*info, k);
      out.push_back(std::move(k));
    }
  }

  static void compareInt(Check& k, int got) {
    k.got = std::to_string(got);
    k.ok = *parseInt(k.want, -kDistanceLimit, kDistanceLimit) == got;
  }

  static void compareText(Check& k, const std::string& got) {
    k.got = got;
    k.ok = flx::SameText(k.want, got);
  }

  static void compareBounds(Check& k, int l, int t, int w, int h) {
    k.got = std::to_string(l) + "," + std::to_string(t) + "," +
            std::to_string(w) + "," + std::to_string(h);
    // Compared as numbers, so that "+5" or "05" match 5.
    auto parts = splitOn(k.want, ',');
    const int got[] = {l, t, w, h};
    k.ok = parts.size() == 4;
    for (std::size_t i = 0; k.ok && i < 4; ++i) {
      k.ok = *parseInt(parts[i], -kDistanceLimit, kDistanceLimit) == got[i];
    }
  }

  static void compareDims(Check& k, int w, int h) {
    Size want = *parseDims(k.want);
    k.got = dims(w, h);
    k.ok = want.width == w && want.height == h;
  }

  static void compareFont(Check& k, std::optional<int> got) {
    k.got = got ? std::to_string(*got) : "none";
    k.ok = flx::SameText(k.want, "none")
               ? !got
               : got && *parseInt(k.want, -1000, 1000) == *got;
  }

  std::vector<Check> controlChecks(const ScenarioLine& line, flx::TControl& c) {
    std::vector<Check> out;
    const bool hasFont = flx::GetPropInfo(c, "Font") != nullptr;
    eachKey(
        line, false,
        [&](const KeyInfo& info, Check& k) {
          if (!info.control) {
            fail("expect: '" + k.key + "' is for the form, not for a control");
          }
          const std::string key = info.name;
          if (key == "left") compareInt(k, c.Left());
          if (key == "top") compareInt(k, c.Top());
          if (key == "width") compareInt(k, c.Width());
          if (key == "height") compareInt(k, c.Height());
          if (key == "size") compareDims(k, c.Width(), c.Height());
          if (key == "bounds") {
            compareBounds(k, c.Left(), c.Top(), c.Width(), c.Height());
          }
          if (key == "font") {
            compareFont(k, hasFont ? std::optional<int>(c.Font().Size())
                                   : std::nullopt);
          }
          if (key == "parentfont") {
            compareText(k, c.ParentFont() ? "true" : "false");
            k.ok = *parseBool(k.want) == c.ParentFont();
          }
          if (key == "visible") {
            compareText(k, c.Visible() ? "true" : "false");
            k.ok = *parseBool(k.want) == c.Visible();
          }
          if (key == "parent") {
            compareText(k, c.Parent() != nullptr ? c.Parent()->Name() : "none");
          }
        },
        out);
    return out;
  }

  std::vector<Check> formChecks(const ScenarioLine& line) {
    std::vector<Check> out;
    StepLayout now = session().capture(action_);
    const FormLayout& f = now.form;
    const int w = f.window.right - f.window.left;
    const int h = f.window.bottom - f.window.top;
    eachKey(
        line, false,
        [&](const KeyInfo& info, Check& k) {
          if (!info.form) {
            fail("expect: '" + k.key + "' is for a control, not for the form");
          }
          const std::string key = info.name;
          if (key == "left") compareInt(k, f.window.left);
          if (key == "top") compareInt(k, f.window.top);
          if (key == "width") compareInt(k, w);
          if (key == "height") compareInt(k, h);
          if (key == "size") compareDims(k, w, h);
          if (key == "bounds")
            compareBounds(k, f.window.left, f.window.top, w, h);
          if (key == "client") compareDims(k, f.clientWidth, f.clientHeight);
          if (key == "clientwidth") compareInt(k, f.clientWidth);
          if (key == "clientheight") compareInt(k, f.clientHeight);
          if (key == "font") compareFont(k, f.fontSize);
          if (key == "state") compareText(k, f.state);
          if (key == "visible") {
            compareText(k, f.shown ? "true" : "false");
            k.ok = *parseBool(k.want) == f.shown;
          }
        },
        out);
    return out;
  }

  std::vector<Check> factorChecks(const ScenarioLine& line) {
    std::vector<Check> out;
    std::optional<Factors> factors =
        session_ ? session_->lastFactors() : std::nullopt;
    eachKey(
        line, true,
        [&](const KeyInfo& info, Check& k) {
          const std::string key = info.name;
          if (!factors) {
            k.got = "none (no rescale pass yet)";
            k.ok = false;
            return;
          }
          const double got = key == "x"   ? factors->x
                             : key == "y" ? factors->y
                                          : factors->font();
          Decimal want = *parseDecimal(k.want);
          char buffer[48];
          std::snprintf(buffer, sizeof buffer, "%.*f",
                        std::max(want.decimals, 4), got);
          k.got = buffer;
          k.ok = std::fabs(got - want.value) <= want.tolerance;
        },
        out);
    return out;
  }

  // ---- svg ----

  void writeSvg(const std::string& name) {
    StepLayout step = session().capture(action_);
    ++pictures_;
    fs::path path = fs::path(options_.outputDir) / name;
    std::error_code ec;
    if (path.has_parent_path()) fs::create_directories(path.parent_path(), ec);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << renderSvg(step, pictures_);
    out.close();
    if (!out) fail(path.string() + ": cannot write the file");
  }

  std::string file_;
  ScenarioOptions options_;
  std::ostream& out_;
  std::ostream& err_;
  fs::path dir_;
  int line_ = 0;
  ScreenSettings settings_;
  flx::FormLoadOptions loadOptions_;
  std::string formFile_;
  std::unique_ptr<Session> session_;
  std::string action_ = "start";
  int prints_ = 0;
  int pictures_ = 0;
  ScenarioResult result_;
};

}  // namespace

ScenarioResult runScenario(const std::string& file,
                           const ScenarioOptions& options, std::ostream& out,
                           std::ostream& err) {
  ScenarioResult result;
  std::error_code ec;
  if (fs::is_directory(file, ec)) {
    err << file << ": is a folder, not a scenario file\n";
    result.error = true;
    return result;
  }
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    err << file << ": cannot open the file\n";
    result.error = true;
    return result;
  }
  std::ostringstream text;
  text << in.rdbuf();
  try {
    std::vector<ScenarioLine> lines = parseScenario(text.str(), file);
    Runner runner(file, options, out, err);
    result = runner.run(lines);
  } catch (const ScenarioError& e) {
    err << e.what() << "\n";
    result.error = true;
  }
  return result;
}

}  // namespace flexarium_cli
