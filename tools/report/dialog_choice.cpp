#include "dialog_choice.h"

#include <algorithm>
#include <cstdio>

#include "flexarium/sysutils.h"

namespace flexarium_cli {

namespace {

std::optional<unsigned> parseDecimal(const std::string& text, unsigned max) {
  if (text.empty() || text.size() > 8) return std::nullopt;
  unsigned n = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    n = n * 10 + static_cast<unsigned>(c - '0');
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

}  // namespace

std::optional<DialogArgument> parseDialogArgument(const std::string& text) {
  const std::size_t colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0) return std::nullopt;
  const std::string id = text.substr(colon + 1);
  // What follows a drive letter's colon is a path, never an ID.
  if (id.empty() || id.find_first_of("/\\") != std::string::npos) {
    return std::nullopt;
  }
  DialogArgument argument;
  argument.file = text.substr(0, colon);
  if (auto n = parseDecimal(id, 0xFFFF)) {
    argument.id = flx::res::ResourceId::Ordinal(static_cast<std::uint16_t>(*n));
  } else {
    argument.id = flx::res::ResourceId::Parse(id);
  }
  return argument;
}

const flx::res::Resource& pickDialog(
    const std::vector<flx::res::Resource>& resources, const std::string& file,
    const flx::res::ResourceId& id, std::optional<int> language) {
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
    throw flx::Exception(
        file + ": error: dialog " + describeId(id) + " has no language " +
        describeLanguage(static_cast<std::uint16_t>(*language)) + "; it has " +
        list);
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

}  // namespace flexarium_cli
