// What the form-file reader and writer share: the state the reader stores on
// each component (what its file said, and the values it was read with) and
// the published leaf properties both compare.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "flexarium/classes.h"
#include "flexarium/form_text.h"

namespace flx {

struct StoredEntry {
  enum class Kind { Published, Hidden, Unknown };
  std::string name;
  Kind kind = Kind::Unknown;
  // As read, where the writer may have to write it back (a property it
  // cannot read live); none for a published leaf, whose live value is
  // written, so that a form of many controls keeps no second copy.
  std::unique_ptr<const FormValue> value;
};

struct TStoredState {
  bool fromAncestor = false;  // declared by an ancestor's or a frame's file
  bool isInline = false;      // a frame placed with its own file
  FormObject::Kind rootKind = FormObject::Kind::Object;
  std::optional<int> index;
  std::vector<StoredEntry> entries;  // the outermost file's, in its order
  // After reading, the values of the leaves the file did not store, where
  // they differ from the reference they were read against (the ancestor's
  // values, else the class defaults): every other value read is that
  // reference's, which keeps a form of many controls lean.
  std::map<std::string, FormValue> readValues;
  bool readAgainstAncestor = false;
  std::map<std::string, FormValue> ancestorValues;  // before the last file
  // The design-surface place the ancestor gave a non-visual component.
  std::optional<std::pair<int, int>> ancestorDesign;
  TComponent* writeParent = nullptr;
  long serial = 0;
};

namespace formfile {

// Property names compare without regard to case.
inline std::string lower(std::string_view s) { return LowerCase(s); }

// One published leaf property reachable from a component: "Left",
// "Font.Height", "Constraints.MinWidth".
struct Leaf {
  std::string path;
  const TPropInfo* info = nullptr;
  const TPropInfo* owner = nullptr;  // the class-typed property, if any
  TPersistent* object = nullptr;
  int order = 0;
};

std::vector<Leaf> publishedLeaves(TComponent& c);

// The published leaf values of a component, by lower-cased path.
std::map<std::string, FormValue> snapshot(TComponent& c);

// Every component of a tree: the root, what it owns, what those own.
void collect(TComponent* c, std::vector<TComponent*>& out);

// The published leaf values of a fresh instance of the class (none for a
// class that cannot be made).
std::map<std::string, FormValue> classDefaults(const TClassInfo& cls);

// What the writer compares a component's values with: the ancestor's
// values where there is an ancestor (or an inline frame), else the class
// defaults (`defaults`).
inline bool comparesWithAncestor(const TStoredState* s) {
  return s != nullptr &&
         (s->fromAncestor || s->isInline || !s->ancestorValues.empty());
}

}  // namespace formfile

}  // namespace flx
