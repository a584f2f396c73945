// Reading components from form files and writing them back.
//
// A form file's root is of the application's own class (TMainForm,
// TFrame2), which the library cannot know: it becomes a form or a frame that
// keeps that class name, with a published field for every named component
// it owns. Inherited forms read their ancestors' files first; inline frames
// read the frame's own file. Classes the library does not know become
// generic controls or components; properties it does not know are kept as
// written, so a read followed by a write loses nothing.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "flexarium/classes.h"
#include "flexarium/form_text.h"

namespace flx {

struct FormLoadOptions {
  // Folders searched for ancestor forms and frames after the file's own.
  std::vector<std::string> searchDirs;
  // Ancestor form files by derived class name (case-insensitive), for
  // projects whose unit sources are not beside the form files.
  std::map<std::string, std::string> ancestors;
  // Read as the design environment does (csDesigning on every component).
  bool designing = false;
  // An inherited form whose ancestor file is not found is an error
  // (EReadError) instead of a warning: for tools that write the form back
  // and must not guess what the ancestor gives.
  bool requireAncestors = false;
  // When set, the errors the parser can recover from in the file being read
  // (not in its ancestors' or frames' files) are handed here one by one and
  // the parsing goes on to find the rest; the load then throws the first
  // of them, so that no half-read form is returned.
  std::function<void(const EParserError&)> recovered;
  // Called for problems that do not stop the reading (e.g. an ancestor that
  // could not be determined).
  std::function<void(const std::string&)> warn;
};

// Reads a form file into a new root component (a form or a frame).
// Throws EParserError or EReadError ("FILE:LINE:COL: error: MESSAGE"); on
// error nothing is left behind.
std::unique_ptr<TComponent> LoadFormFile(const std::string& path,
                                         const FormLoadOptions& options = {});
std::unique_ptr<TComponent> LoadFormText(std::string_view text,
                                         const std::string& fileName,
                                         const FormLoadOptions& options = {});

// Writes a root component as the design environment saves it: the
// properties read from its file (known ones with their current values,
// unknown ones as written) in their order, properties changed or added
// since, hidden properties (DefineProperties), then child objects.
std::string WriteFormText(TComponent& root);

// Marks (or clears) a component as inherited from an ancestor file: such a
// component is written as "inherited" and only with its differences.
void SetInheritedFromAncestor(TComponent& component, bool value);

}  // namespace flx
