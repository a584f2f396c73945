#include "attach_options.h"

#include <variant>

#include "flexarium/sysutils.h"
#include "options.h"

namespace flexarium_cli {

namespace {

using Options = flx::AttachOptions;

struct IntOption {
  int Options::*field;
};
struct BoolOption {
  bool Options::*field;
};
struct TextOption {
  std::string Options::*field;
};
struct PosOption {};

struct OptionInfo {
  const char* name;
  std::variant<IntOption, BoolOption, TextOption, PosOption> kind;
};

const OptionInfo kOptions[] = {
    {"FormPos", PosOption{}},
    {"FormWidth", IntOption{&Options::FormWidth}},
    {"FormHeight", IntOption{&Options::FormHeight}},
    {"FormMaxWidth", IntOption{&Options::FormMaxWidth}},
    {"FormMaxHeight", IntOption{&Options::FormMaxHeight}},
    {"FormMinWidth", IntOption{&Options::FormMinWidth}},
    {"FormMinHeight", IntOption{&Options::FormMinHeight}},
    {"ResizeFont", BoolOption{&Options::ResizeFont}},
    {"NoResizeCtl", TextOption{&Options::NoResizeCtl}},
    {"NoResizeFntCtl", TextOption{&Options::NoResizeFntCtl}},
    {"ValidTaskbar", BoolOption{&Options::ValidTaskbar}},
    {"ResizeColumns", BoolOption{&Options::ResizeColumns}},
    {"MinFontSize", IntOption{&Options::MinFontSize}},
    {"KeepAspect", BoolOption{&Options::KeepAspect}},
};

const OptionInfo* findOption(const std::string& name) {
  for (const OptionInfo& o : kOptions) {
    if (flx::SameText(name, o.name)) return &o;
  }
  return nullptr;
}

std::string known() {
  std::string out;
  for (const OptionInfo& o : kOptions) {
    out += (out.empty() ? "" : ", ") + std::string(o.name);
  }
  return out;
}

std::string spelled(const flx::FormValue& v) {
  switch (v.kind) {
    case flx::FormValue::Kind::Integer:
      return v.text.empty() ? std::to_string(v.integer) : v.text;
    case flx::FormValue::Kind::Ident:
    case flx::FormValue::Kind::Float:
      return v.text;
    case flx::FormValue::Kind::String:
      return "'" + flx::Utf16ToUtf8(v.str) + "'";
    default:
      return "this value";
  }
}

}  // namespace

void setAttachOption(Options& options, const std::string& name,
                     const flx::FormValue& value) {
  const OptionInfo* info = findOption(name);
  if (info == nullptr) {
    throw flx::Exception("'" + name +
                         "' is no property of an attached dialog's "
                         "TFlexarium; it has " +
                         known());
  }
  const std::string what;
  using Kind = flx::FormValue::Kind;
  if (const auto* i = std::get_if<IntOption>(&info->kind)) {
    if (value.kind != Kind::Integer || value.integer < -2147483647 ||
        value.integer > 2147483647) {
      throw flx::Exception(what + "expected a whole number, got " +
                           spelled(value));
    }
    options.*(i->field) = static_cast<int>(value.integer);
  } else if (const auto* b = std::get_if<BoolOption>(&info->kind)) {
    const bool isTrue =
        value.kind == Kind::Ident && flx::SameText(value.text, "True");
    const bool isFalse =
        value.kind == Kind::Ident && flx::SameText(value.text, "False");
    if (!isTrue && !isFalse) {
      throw flx::Exception(what + "expected True or False, got " +
                           spelled(value));
    }
    options.*(b->field) = isTrue;
  } else if (const auto* t = std::get_if<TextOption>(&info->kind)) {
    if (value.kind != Kind::String) {
      throw flx::Exception(what + "expected a text in quotes, got " +
                           spelled(value));
    }
    options.*(t->field) = flx::Utf16ToUtf8(value.str);
  } else {
    const int index = value.kind == Kind::Ident
                          ? flx::ResizeFormPosInfo.IndexOf(value.text)
                          : -1;
    if (index < 0) {
      std::string names;
      for (const std::string& n : flx::ResizeFormPosInfo.Names) {
        names += (names.empty() ? "" : ", ") + n;
      }
      throw flx::Exception(what + "expected one of " + names + ", got " +
                           spelled(value));
    }
    options.FormPos = static_cast<flx::TResizeFormPos>(index);
  }
}

void setAttachOption(Options& options, const std::string& assignment) {
  const auto eq = assignment.find('=');
  if (eq == std::string::npos || eq == 0) {
    throw flx::Exception("expected PROPERTY=VALUE, got '" + assignment + "'");
  }
  const std::string name = flx::Trim(assignment.substr(0, eq));
  const std::string text = flx::Trim(assignment.substr(eq + 1));
  const OptionInfo* info = findOption(name);
  flx::FormValue value;
  if (info != nullptr && std::holds_alternative<TextOption>(info->kind)) {
    value = flx::FormValue::Utf8(text);
  } else if (auto n = parseInt(text, -2147483647, 2147483647)) {
    value = flx::FormValue::Int(*n);
  } else if (flx::IsValidIdent(text)) {
    value = flx::FormValue::Identifier(text);
  } else {
    value = flx::FormValue::Utf8(text);
  }
  setAttachOption(options, name, value);
}

}  // namespace flexarium_cli
