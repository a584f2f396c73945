// Form files named on the command line, where "-" is standard input.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "flexarium/formfile.h"

namespace flexarium_cli {

// What messages and reports call standard input.
inline constexpr const char* kStdinName = "<stdin>";

inline bool isStdin(const std::string& file) { return file == "-"; }

// File names are UTF-8 strings. A path made from a plain string would read
// it in the ANSI code page on Windows, so names go through char8_t both
// ways (the same bytes elsewhere).
std::filesystem::path pathOf(const std::string& name);
std::string nameOf(const std::filesystem::path& path);

// "<stdin>" for "-", the file name otherwise.
std::string inputName(const std::string& file);

// Reads a form from the file, or from standard input for "-". A form read
// from standard input has no folder of its own: its ancestors and frames
// are looked for in the current folder, then in the search folders (or
// named outright by the options' ancestors). Throws flx::Exception, whose
// message names "<stdin>" for standard input.
std::unique_ptr<flx::TComponent> loadForm(const std::string& file,
                                          const flx::FormLoadOptions& options);

// `base` and the first number from 1 on that no component of `owner`
// bears (in any letter case): "Flexarium1".
std::string freeComponentName(const flx::TComponent& owner,
                              const std::string& base);

}  // namespace flexarium_cli
