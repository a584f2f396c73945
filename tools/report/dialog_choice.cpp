#include "dialog_choice.h"

#include <algorithm>
#include <cstdio>

#include "flexarium/sysutils.h"
#include "options.h"

namespace flexarium_cli {

namespace {

std::optional<unsigned> parseUnsigned(const std::string& text, int base,
                                      unsigned max) {
  if (text.empty() || text.size() > 8) return std::nullopt;
  unsigned n = 0;
  for (char c : text) {
    int digit = -1;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    }
    if (digit < 0 || digit >= base) return std::nullopt;
    n = n * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
  }
  if (n > max) return std::nullopt;
  return n;
}

std::string describeLanguage(std::uint16_t language) {
  char text[24];
  std::snprintf(text, sizeof text, "%u (0x%04X)", language, language);
  return text;
}

// "101", or 'ABOUT' for a name.
std::string describeId(const flx::res::ResourceId& id) {
  return id.isOrdinal ? id.toString() : "'" + id.toString() + "'";
}

bool sameId(const flx::res::ResourceId& a, const flx::res::ResourceId& b) {
  return a.isOrdinal == b.isOrdinal && a.matches(b);
}

std::optional<bool> parseBool(const std::string& text) {
  if (flx::SameText(text, "true") || text == "1") return true;
  if (flx::SameText(text, "false") || text == "0") return false;
  return std::nullopt;
}

}  // namespace

std::optional<DialogSpec> parseDialogSpec(const std::string& text) {
  const std::size_t colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0) return std::nullopt;
  const std::string id = text.substr(colon + 1);
  // What follows a drive letter's colon is a path, never an ID.
  if (id.empty() || id.find_first_of("/\\") != std::string::npos) {
    return std::nullopt;
  }
  DialogSpec spec;
  spec.file = text.substr(0, colon);
  if (auto n = parseUnsigned(id, 10, 0xFFFF)) {
    spec.id = flx::res::ResourceId::Ordinal(static_cast<std::uint16_t>(*n));
  } else {
    spec.id = flx::res::ResourceId::Parse(id);
  }
  return spec;
}

std::optional<std::uint16_t> parseLanguage(const std::string& text) {
  std::optional<unsigned> n;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    n = parseUnsigned(text.substr(2), 16, 0xFFFF);
  } else {
    n = parseUnsigned(text, 10, 0xFFFF);
  }
  if (!n) return std::nullopt;
  return static_cast<std::uint16_t>(*n);
}

const flx::res::Resource& findDialog(
    const std::vector<flx::res::Resource>& resources, const std::string& file,
    const flx::res::ResourceId& id, std::optional<std::uint16_t> language) {
  std::vector<const flx::res::Resource*> dialogs, named;
  for (const flx::res::Resource& r : resources) {
    if (!r.type.isOrdinal || r.type.ordinal != flx::res::kRtDialog) continue;
    dialogs.push_back(&r);
    if (sameId(r.name, id)) named.push_back(&r);
  }
  if (dialogs.empty()) {
    throw flx::Exception(file + ": error: the file holds no dialog template");
  }
  if (named.empty()) {
    std::string list;
    std::vector<std::string> seen;
    for (const flx::res::Resource* r : dialogs) {
      const std::string d = describeId(r->name);
      if (std::find(seen.begin(), seen.end(), d) != seen.end()) continue;
      seen.push_back(d);
      if (seen.size() > 12) {
        list += ", ...";
        break;
      }
      list += (list.empty() ? "" : ", ") + d;
    }
    throw flx::Exception(file + ": error: no dialog " + describeId(id) +
                         "; the file's dialogs are " + list);
  }
  if (language) {
    std::string list;
    for (const flx::res::Resource* r : named) {
      if (r->language == *language) return *r;
      list += (list.empty() ? "" : ", ") + describeLanguage(r->language);
    }
    throw flx::Exception(file + ": error: dialog " + describeId(id) +
                         " has no language " + describeLanguage(*language) +
                         "; it has " + list);
  }
  auto rank = [](const flx::res::Resource* r) {
    return std::pair(r->language == 0       ? 0
                     : r->language == 0x409 ? 1
                                            : 2,
                     r->language);
  };
  return **std::min_element(
      named.begin(), named.end(),
      [&](const auto* a, const auto* b) { return rank(a) < rank(b); });
}

std::string setAttachOption(flx::AttachOptions& options,
                            const std::string& name, const std::string& value) {
  struct IntOption {
    const char* name;
    int flx::AttachOptions::*field;
  };
  static const IntOption ints[] = {
      {"FormWidth", &flx::AttachOptions::FormWidth},
      {"FormHeight", &flx::AttachOptions::FormHeight},
      {"FormMaxWidth", &flx::AttachOptions::FormMaxWidth},
      {"FormMaxHeight", &flx::AttachOptions::FormMaxHeight},
      {"FormMinWidth", &flx::AttachOptions::FormMinWidth},
      {"FormMinHeight", &flx::AttachOptions::FormMinHeight},
      {"MinFontSize", &flx::AttachOptions::MinFontSize},
  };
  struct BoolOption {
    const char* name;
    bool flx::AttachOptions::*field;
  };
  static const BoolOption bools[] = {
      {"ResizeFont", &flx::AttachOptions::ResizeFont},
      {"ValidTaskbar", &flx::AttachOptions::ValidTaskbar},
      {"ResizeColumns", &flx::AttachOptions::ResizeColumns},
      {"KeepAspect", &flx::AttachOptions::KeepAspect},
  };
  for (const IntOption& o : ints) {
    if (!flx::SameText(name, o.name)) continue;
    auto n = parseInt(value, -100000, 100000);
    if (!n) {
      return std::string(o.name) + " takes a whole number (-100000 to " +
             "100000), not '" + value + "'";
    }
    options.*o.field = *n;
    return "";
  }
  for (const BoolOption& o : bools) {
    if (!flx::SameText(name, o.name)) continue;
    auto b = parseBool(value);
    if (!b) {
      return std::string(o.name) + " takes True or False, not '" + value + "'";
    }
    options.*o.field = *b;
    return "";
  }
  if (flx::SameText(name, "NoResizeCtl")) {
    options.NoResizeCtl = value;
    return "";
  }
  if (flx::SameText(name, "NoResizeFntCtl")) {
    options.NoResizeFntCtl = value;
    return "";
  }
  if (flx::SameText(name, "FormPos")) {
    const int i = flx::ResizeFormPosInfo.IndexOf(value);
    if (i < 0) {
      std::string names;
      for (const std::string& n : flx::ResizeFormPosInfo.Names) {
        names += (names.empty() ? "" : ", ") + n;
      }
      return "FormPos takes one of " + names + ", not '" + value + "'";
    }
    options.FormPos = static_cast<flx::TResizeFormPos>(i);
    return "";
  }
  return "no option " + name +
         " (FormPos, FormWidth, FormHeight, FormMaxWidth, FormMaxHeight, "
         "FormMinWidth, FormMinHeight, ResizeFont, NoResizeCtl, "
         "NoResizeFntCtl, ValidTaskbar, ResizeColumns, MinFontSize, "
         "KeepAspect)";
}

}  // namespace flexarium_cli
