// Form files named on the command line, where "-" is standard input.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

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
// message names "<stdin>" for standard input. `text`, when given, receives
// the form text read.
std::unique_ptr<flx::TComponent> loadForm(const std::string& file,
                                          const flx::FormLoadOptions& options,
                                          std::string* text = nullptr);

// How a form file lays its text down: the line break and the UTF-8
// byte-order mark, which a form written back keeps (a file from Windows
// stays CRLF, so that version control shows only what changed).
struct TextLayout {
  bool bom = false;
  bool crlf = false;
};
// The layout of this text: the BOM when it starts with one, CRLF when its
// first line break is one (a file without a line break is LF).
TextLayout layoutOf(std::string_view text);
// `text` as written by the library (LF, no BOM) laid down as `layout` says.
std::string applyLayout(const std::string& text, const TextLayout& layout);

// As loadForm, and tells the layout of the text it read.
std::unique_ptr<flx::TComponent> loadForm(const std::string& file,
                                          const flx::FormLoadOptions& options,
                                          TextLayout& layout);

// `base` and the first number from 1 on that no component of `owner`
// bears (in any letter case): "Flexarium1".
std::string freeComponentName(const flx::TComponent& owner,
                              const std::string& base);

}  // namespace flexarium_cli
