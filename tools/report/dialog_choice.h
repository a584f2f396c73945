// A dialog named on a command line (`FILE:ID`, a language) and found among
// a resource file's entries: what the demo shows.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "flexarium/resources.h"

namespace flexarium_cli {

struct DialogArgument {
  std::string file;
  flx::res::ResourceId id;
};

// "FILE:ID": split at the last colon, so that a drive letter stays with the
// file ("C:\app\app.exe:101"). ID is a number 0..65535 (or "#N", as
// FindResource reads it) for a numeric ID, anything else a name. Nullopt
// when there is no colon or nothing after it that can be an ID (a path).
std::optional<DialogArgument> parseDialogArgument(const std::string& text);

// The dialog template `id` among `resources` (of the file `file`, for the
// messages). With a language, exactly that one; without, the one a program
// gets: the neutral language, else US English, else the lowest. Throws
// flx::Exception "FILE: error: ..." naming what the file has instead.
const flx::res::Resource& pickDialog(
    const std::vector<flx::res::Resource>& resources, const std::string& file,
    const flx::res::ResourceId& id, std::optional<int> language);

}  // namespace flexarium_cli
