// Parses arbitrary bytes; whatever parses must format, parse back to the same
// document and format to the same text again.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "flexarium/form_text.h"

namespace {

[[noreturn]] void die(const char* what, const std::string& detail) {
  std::fprintf(stderr, "form_text_fuzz: %s\n%s\n", what, detail.c_str());
  std::abort();
}

bool sameProps(const std::vector<flx::FormProperty>& a,
               const std::vector<flx::FormProperty>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].name != b[i].name || a[i].value != b[i].value) return false;
  }
  return true;
}

bool sameObject(const flx::FormObject& a, const flx::FormObject& b) {
  if (a.kind != b.kind || a.name != b.name || a.className != b.className ||
      a.index != b.index || !sameProps(a.props, b.props) ||
      a.children.size() != b.children.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.children.size(); ++i) {
    if (!sameObject(*a.children[i], *b.children[i])) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::unique_ptr<flx::FormObject> doc;
  try {
    doc = flx::ParseFormText(input, "fuzz.dfm");
  } catch (const flx::EParserError&) {
    return 0;
  }
  std::string first;
  try {
    first = flx::FormatFormText(*doc);
  } catch (const flx::Exception& e) {
    die("an accepted document could not be written", e.what());
  }
  std::unique_ptr<flx::FormObject> again;
  try {
    again = flx::ParseFormText(first, "formatted.dfm");
  } catch (const flx::EParserError& e) {
    die("formatted text does not parse", std::string(e.what()) + "\n" + first);
  }
  if (!sameObject(*doc, *again)) die("formatting changed the document", first);
  std::string second = flx::FormatFormText(*again);
  if (second != first)
    die("formatting is not idempotent", first + "\n---\n" + second);
  return 0;
}
