// Reads arbitrary bytes as a .res file or PE image and every resource in it
// as a dialog template, and the bytes themselves as a template: whatever is
// accepted must lie within the input; anything else must be refused with
// EResourceError at an offset within it.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>

#include "flexarium/resources.h"

namespace {

[[noreturn]] void die(const char* what) {
  std::fprintf(stderr, "resource_fuzz: %s\n", what);
  std::abort();
}

void parse(std::span<const std::uint8_t> bytes, std::size_t at,
           std::size_t fileSize) {
  try {
    flx::res::ParseDialogTemplate(bytes, "fuzz.res", at);
  } catch (const flx::res::EResourceError& e) {
    if (e.offset() > fileSize) die("a template error lies past the input");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  const std::span<const std::uint8_t> input(data, size);
  parse(input, 0, size);
  try {
    for (const flx::res::Resource& r :
         flx::res::ReadResources(input, "fuzz.res")) {
      if (r.offset > size || r.size > size - r.offset) {
        die("a resource lies past the input");
      }
      parse(input.subspan(r.offset, r.size), r.offset, size);
    }
  } catch (const flx::res::EResourceError& e) {
    if (e.offset() > size) die("a resource error lies past the input");
  }
  return 0;
}
