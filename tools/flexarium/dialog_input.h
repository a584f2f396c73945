// Dialog templates named on the command line: from a compiled resource file
// (.res), an executable or DLL, or a resource script (.rc) compiled first by
// MinGW's resource compiler.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "flexarium/resources.h"

namespace flexarium_cli {

// What the resource compiler gets for a script: include folders and
// definitions (NAME or NAME=VALUE).
struct ScriptOptions {
  std::vector<std::string> includeDirs;
  std::vector<std::string> defines;
};

// A file's bytes and its resources.
struct ResourceInput {
  std::string name;  // the file as named on the command line
  std::vector<std::uint8_t> bytes;
  std::vector<flx::res::Resource> resources;

  // Its dialogs, in file order.
  std::vector<const flx::res::Resource*> dialogs() const;
  flx::res::DialogTemplate dialog(const flx::res::Resource& r) const;
};

// Reads FILE; a .rc file goes through the resource compiler (windres, or
// the program FLEXARIUM_WINDRES names). Throws flx::Exception with the file
// and what went wrong: unreadable, no resource compiler, a compile error,
// malformed data (with the byte offset).
ResourceInput readResourceInput(const std::string& file,
                                const ScriptOptions& script);

}  // namespace flexarium_cli
