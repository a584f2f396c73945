// Form-file values: the constructors and the equality the reader and the
// writer compare with.
#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "flexarium/form_text.h"

namespace flx {

namespace {

std::vector<std::string> normalisedSet(const std::vector<std::string>& set) {
  std::vector<std::string> out;
  out.reserve(set.size());
  for (const std::string& e : set) out.push_back(UpperCase(e));
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
  return out;
}

bool sameProps(const std::vector<FormProperty>& a,
               const std::vector<FormProperty>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (!SameText(a[i].name, b[i].name) || a[i].value != b[i].value) {
      return false;
    }
  }
  return true;
}

}  // namespace

FormValue FormValue::Int(std::int64_t v) {
  FormValue r;
  r.kind = Kind::Integer;
  r.integer = v;
  return r;
}

FormValue FormValue::Real(long double v) {
  FormValue r;
  r.kind = Kind::Float;
  r.real = v;
  return r;
}

FormValue FormValue::Str(std::u16string v) {
  FormValue r;
  r.kind = Kind::String;
  r.str = std::move(v);
  return r;
}

FormValue FormValue::Utf8(std::string_view v) { return Str(Utf8ToUtf16(v)); }

FormValue FormValue::Identifier(std::string v) {
  FormValue r;
  r.kind = Kind::Ident;
  r.text = std::move(v);
  return r;
}

FormValue FormValue::SetOf(std::vector<std::string> elements) {
  FormValue r;
  r.kind = Kind::Set;
  r.set = std::move(elements);
  return r;
}

// Names in form files are case-insensitive and set elements unordered, so
// equality follows the framework rather than the spelling.
bool FormValue::operator==(const FormValue& other) const {
  if (kind != other.kind) return false;
  switch (kind) {
    case Kind::Integer:
      return integer == other.integer;
    case Kind::Float:
      return real == other.real || (std::isnan(real) && std::isnan(other.real));
    case Kind::String:
      return str == other.str;
    case Kind::Ident:
      return SameText(text, other.text);
    case Kind::Set:
      return normalisedSet(set) == normalisedSet(other.set);
    case Kind::List:
      return list == other.list;
    case Kind::Collection:
      if (items.size() != other.items.size()) return false;
      for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i].index != other.items[i].index ||
            !sameProps(items[i].props, other.items[i].props)) {
          return false;
        }
      }
      return true;
    case Kind::Binary:
      return bytes == other.bytes;
  }
  return false;
}

}  // namespace flx
