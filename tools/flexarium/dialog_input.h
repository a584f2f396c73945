// Dialog templates named on the command line: from a compiled resource file
// (.res), an executable or DLL, or a resource script (.rc) compiled first by
// MinGW's resource compiler.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
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

// Whether the file holds Windows resources rather than a form: a .res,
// .exe, .dll or .rc file (by its extension, in any letter case).
bool isResourceFile(const std::string& file);

// The dialog `id` of `input`: a number, a resource name (any letter case),
// or a name `names` gives a number for (IDD_MAIN from the script's header).
// In `language`, or without one the language a program would load: neutral,
// else US English, else the only one. Throws flx::Exception naming the file
// and the dialog, with the choices: no such dialog, no such language, or
// several languages and none of those two.
const flx::res::Resource& findDialog(const ResourceInput& input,
                                     const std::string& id,
                                     std::optional<int> language,
                                     const std::map<std::string, int>& names);

// The file's dialogs for a message: "101 (0409), SETTINGS (0409)".
std::string dialogChoices(const ResourceInput& input);

// Names of numbers a C header defines (`#define IDC_NAME 1001`, hexadecimal
// and in parentheses too), for naming controls and dialogs. For a resource
// script: those of the script and of the headers it includes with quotes
// (looked for beside the including file, then in `includeDirs`), followed
// to any depth. Throws flx::Exception for a file that cannot be read.
std::map<std::string, int> readDefines(
    const std::string& file, const std::vector<std::string>& includeDirs);

}  // namespace flexarium_cli
