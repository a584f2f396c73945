// Building components from form-file documents: the chain of ancestor forms
// and inline frames, the objects of each level, their properties and hidden
// properties.
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "flexarium/formfile.h"
#include "flexarium/forms.h"
#include "flexarium/stdctrls.h"
#include "formfile/formfile_private.h"

namespace flx {

using namespace formfile;

namespace {

namespace fs = std::filesystem;

// File names are UTF-8 strings. A path made from a plain string would read
// it in the ANSI code page on Windows, so names go through char8_t both
// ways (the same bytes elsewhere).
fs::path pathOf(const std::string& name) {
  return fs::path(std::u8string(name.begin(), name.end()));
}
std::string nameOf(const fs::path& path) {
  const std::u8string name = path.u8string();
  return std::string(name.begin(), name.end());
}

std::string readFileText(const std::string& path) {
  std::error_code ec;
  if (fs::is_directory(pathOf(path), ec)) {
    throw EReadError(path, {}, "is a folder, not a form file");
  }
  std::ifstream in(pathOf(path), std::ios::binary);
  if (!in) throw EReadError(path, {}, "cannot open the file");
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// Hands a hidden property's value to the component's reader procedure.
class PropertyReader final : public TReader {
 public:
  PropertyReader(const std::string& file, const FormProperty& prop)
      : file_(file), prop_(prop) {}
  void DefineProperty(const std::string& name, TReaderProc read, TWriterProc,
                      bool) override {
    if (consumed_ || !read || !SameText(name, prop_.name)) return;
    consumed_ = true;
    read(*this);
  }
  std::int32_t ReadInteger() override {
    const FormValue& v = prop_.value;
    if (v.kind != FormValue::Kind::Integer) {
      throw EReadError(file_, v.pos, prop_.name + ": an integer is expected");
    }
    if (v.integer < INT32_MIN || v.integer > INT32_MAX) {
      throw EReadError(file_, v.pos, prop_.name + ": integer out of range");
    }
    return static_cast<std::int32_t>(v.integer);
  }
  const FormValue& ReadValue() override { return prop_.value; }
  bool consumed() const { return consumed_; }

 private:
  const std::string& file_;
  const FormProperty& prop_;
  bool consumed_ = false;
};

struct Doc {
  std::string path;
  std::unique_ptr<FormObject> root;
};

class Loader {
 public:
  explicit Loader(const FormLoadOptions& options) : options_(options) {
    RegisterStandardClasses();
  }

  std::unique_ptr<TComponent> load(const Doc& doc) {
    std::vector<const Doc*> chain = chainOf(doc);
    std::unique_ptr<TComponent> root = createRoot(*chain.front());
    FLX_ASSERT(root != nullptr);
    Ctx ctx{root.get(), root.get(), root.get()};
    for (std::size_t i = 0; i < chain.size(); ++i) {
      bool last = i + 1 == chain.size();
      if (last && chain.size() > 1) markAncestorLevel(root.get());
      const Doc& level = *chain[i];
      if (i > 0) {
        root->SetDynamicClass(
            &FindOrMakeClass(level.root->className, root->ClassType()));
      }
      setName(root.get(), *level.root, level.path);
      applyObject(root.get(), *level.root, ctx, nullptr, level.path);
    }
    TStoredState& rs = root->MakeStoredState();
    rs.rootKind = doc.root->kind;
    rs.fromAncestor = false;
    if (auto* form = dynamic_cast<TCustomForm*>(root.get())) {
      for (const StoredEntry& e : rs.entries) {
        if (SameText(e.name, "Width") || SameText(e.name, "Height")) {
          form->StoresOuterSize = true;
        }
      }
    }
    for (TComponent* c : created_) c->Loaded();
    std::vector<TComponent*> all;
    collect(root.get(), all);
    for (TComponent* c : all) {
      if (TStoredState* s = c->StoredState()) keepReadValues(*c, *s);
    }
    return root;
  }

  // What the writer will need to know of the values read (see
  // TStoredState::readValues).
  void keepReadValues(TComponent& c, TStoredState& s) {
    s.readAgainstAncestor = comparesWithAncestor(&s);
    const std::map<std::string, FormValue>* ref = &s.ancestorValues;
    if (!s.readAgainstAncestor) {
      auto it = defaults_.find(&c.ClassType());
      if (it == defaults_.end()) {
        it = defaults_.emplace(&c.ClassType(), classDefaults(c.ClassType()))
                 .first;
      }
      ref = &it->second;
    }
    std::set<std::string> stored;
    for (const StoredEntry& e : s.entries) stored.insert(lower(e.name));
    s.readValues.clear();
    for (auto& [key, value] : snapshot(c)) {
      if (stored.count(key) != 0) continue;
      auto it = ref->find(key);
      if (it != ref->end() && it->second == value) continue;
      s.readValues.emplace(key, std::move(value));
    }
  }

  // The document of the file being read, with every error the parser can
  // recover from handed to the options first.
  const Doc& parseMain(std::string_view text, const std::string& path,
                       bool named) {
    std::unique_ptr<FormObject> root;
    if (options_.recovered) {
      std::vector<EParserError> errors;
      try {
        root = ParseFormText(text, path, errors);
      } catch (const EParserError&) {
        // What stopped the parsing comes after the errors before it.
        for (const EParserError& e : errors) options_.recovered(e);
        throw;
      }
      for (const EParserError& e : errors) options_.recovered(e);
      if (!errors.empty()) throw errors.front();
    } else {
      root = ParseFormText(text, path);
    }
    if (!named) return adopt(std::move(root), path);
    auto doc = std::make_unique<Doc>();
    doc->path = path;
    doc->root = std::move(root);
    const Doc& ref = *doc;
    docs_[docKey(path)] = std::move(doc);
    return ref;
  }

  static std::string docKey(const std::string& path) {
    // A pipe (/dev/stdin, a shell's <(...)) has no canonical path.
    std::error_code ec;
    std::string key = nameOf(fs::weakly_canonical(pathOf(path), ec));
    return ec ? path : key;
  }

  const Doc& parseFile(const std::string& path) {
    const std::string key = docKey(path);
    auto it = docs_.find(key);
    if (it != docs_.end()) return *it->second;
    auto doc = std::make_unique<Doc>();
    doc->path = path;
    doc->root = ParseFormText(readFileText(path), path);
    const Doc& ref = *doc;
    docs_[key] = std::move(doc);
    return ref;
  }

  const Doc& adopt(std::unique_ptr<FormObject> root, const std::string& name) {
    auto doc = std::make_unique<Doc>();
    doc->path = name;
    doc->root = std::move(root);
    const Doc& ref = *doc;
    docs_["\n" + name] = std::move(doc);
    return ref;
  }

 private:
  struct Ctx {
    TComponent* lookupOwner;  // where "inherited X" is found
    TComponent* createOwner;  // who owns new objects
    TComponent* root;
  };

  // -- Finding ancestors and frames --

  std::vector<std::string> searchDirs(const std::string& nearPath) const {
    std::vector<std::string> dirs;
    fs::path p = pathOf(nearPath);
    dirs.push_back(p.has_parent_path() ? nameOf(p.parent_path()) : ".");
    for (const std::string& d : options_.searchDirs) dirs.push_back(d);
    return dirs;
  }

  // Every parsable form file in the search folders (unparsable neighbours
  // are skipped: they are not the file being read).
  std::vector<const Doc*> neighbours(const std::string& nearPath) {
    std::vector<const Doc*> out;
    std::set<std::string> seen;
    for (const std::string& dir : searchDirs(nearPath)) {
      for (const Indexed& f : indexOf(dir)) {
        if (!seen.insert(docKey(nameOf(f.path))).second) continue;
        if (const Doc* d = tryParse(f.path)) out.push_back(d);
      }
    }
    return out;
  }

  // A form file of a search folder and the class its first line declares
  // ("object Name: TClass", "inherited...", "inline..."); empty when that
  // line says no class, and the file must be parsed to tell.
  struct Indexed {
    fs::path path;
    std::string className;
  };

  // The class a form file's heading declares (its first line that is not
  // blank), or "".
  static std::string declaredClass(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::string line;
    // A heading is short; a file without line breaks is read no further.
    char c = 0;
    while (line.size() < 1024 && in.get(c)) {
      if (c != '\n') {
        line += c;
      } else if (line.find_first_not_of(" \t\r\xEF\xBB\xBF") !=
                 std::string::npos) {
        break;
      }
    }
    if (line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
    std::istringstream words(line);
    std::string keyword, first;
    words >> keyword;
    if (!SameText(keyword, "object") && !SameText(keyword, "inherited") &&
        !SameText(keyword, "inline")) {
      return {};
    }
    std::getline(words, first);
    // "Name: TClass [2]" or "TClass": the class follows the colon, if any.
    auto colon = first.find(':');
    std::string cls =
        colon == std::string::npos ? first : first.substr(colon + 1);
    std::size_t begin = 0;
    while (begin < cls.size() &&
           std::isspace(static_cast<unsigned char>(cls[begin]))) {
      ++begin;
    }
    std::size_t end = begin;
    while (end < cls.size() &&
           (std::isalnum(static_cast<unsigned char>(cls[end])) ||
            cls[end] == '_' || cls[end] == '.')) {
      ++end;
    }
    return cls.substr(begin, end - begin);
  }

  // A neighbour's document, or null when it does not parse (tried once).
  const Doc* tryParse(const fs::path& path) {
    const std::string key = docKey(nameOf(path));
    if (unreadable_.count(key) != 0) return nullptr;
    try {
      return &parseFile(nameOf(path));
    } catch (const Exception&) {
      unreadable_.insert(key);
      return nullptr;
    }
  }

  // The form files of a folder with their classes, read once per load.
  const std::vector<Indexed>& indexOf(const std::string& dir) {
    auto it = index_.find(dir);
    if (it != index_.end()) return it->second;
    std::vector<Indexed> files;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(pathOf(dir), ec)) {
      std::string ext = lower(nameOf(entry.path().extension()));
      // A pipe or a device is no form file, and reading it could wait
      // forever.
      std::error_code kind;
      if ((ext == ".dfm" || ext == ".fmx" || ext == ".lfm") &&
          entry.is_regular_file(kind)) {
        files.push_back({entry.path(), {}});
      }
    }
    std::sort(
        files.begin(), files.end(),
        [](const Indexed& a, const Indexed& b) { return a.path < b.path; });
    for (Indexed& f : files) f.className = declaredClass(f.path);
    return index_.emplace(dir, std::move(files)).first->second;
  }

  // The first form file of the search folders that declares `className`;
  // only the files whose first line names it (or names no class) are
  // parsed, and an unparsable one is skipped: it is not the file being read.
  const Doc* findByClass(const std::string& className,
                         const std::string& nearPath, const Doc* except) {
    std::set<std::string> seen;
    for (const std::string& dir : searchDirs(nearPath)) {
      for (const Indexed& f : indexOf(dir)) {
        if (!f.className.empty() && !SameText(f.className, className)) continue;
        if (!seen.insert(docKey(nameOf(f.path))).second) continue;
        const Doc* d = tryParse(f.path);
        if (d != nullptr && d != except &&
            SameText(d->root->className, className)) {
          return d;
        }
      }
    }
    return nullptr;
  }

  // The ancestor class named by the unit source beside the form file.
  std::string ancestorFromSource(const Doc& doc) {
    fs::path p = pathOf(doc.path);
    const std::string& cls = doc.root->className;
    for (const char* ext : {".pas", ".h", ".hpp"}) {
      fs::path src = p;
      src.replace_extension(ext);
      std::error_code ec;
      if (!fs::exists(src, ec)) continue;
      std::string text;
      try {
        text = readFileText(nameOf(src));
      } catch (const Exception&) {
        continue;
      }
      std::regex pas(
          "\\b" + cls + "\\s*=\\s*class\\s*\\(\\s*([A-Za-z_][A-Za-z0-9_.]*)",
          std::regex::icase);
      std::regex cpp("class\\s+(?:PACKAGE\\s+)?" + cls +
                     "\\s*:\\s*public\\s+([A-Za-z_][A-Za-z0-9_]*)");
      std::smatch m;
      if (std::regex_search(text, m, pas) || std::regex_search(text, m, cpp)) {
        std::string base = m[1].str();
        auto dot = base.rfind('.');
        return dot == std::string::npos ? base : base.substr(dot + 1);
      }
    }
    return {};
  }

  // Names declared by a document's objects (its whole tree).
  static void declared(const FormObject& o, std::set<std::string>& out) {
    for (const auto& c : o.children) {
      if (!c->name.empty()) out.insert(lower(c->name));
      declared(*c, out);
    }
  }

  // Names a document expects from its ancestor: its "inherited" objects
  // outside inline frames.
  static void referenced(const FormObject& o, std::set<std::string>& out) {
    for (const auto& c : o.children) {
      if (c->kind == FormObject::Kind::Inherited) out.insert(lower(c->name));
      if (c->kind != FormObject::Kind::Inline) referenced(*c, out);
    }
  }

  static bool needsAncestor(const FormObject& root) {
    if (root.kind == FormObject::Kind::Inherited) return true;
    std::set<std::string> refs;
    referenced(root, refs);
    return !refs.empty();
  }

  const Doc* findAncestor(const Doc& doc, std::vector<const Doc*>& stack) {
    const std::string& cls = doc.root->className;
    for (const auto& [derived, file] : options_.ancestors) {
      if (SameText(derived, cls)) return &parseFile(file);
    }
    std::string base = ancestorFromSource(doc);
    if (!base.empty()) {
      if (const Doc* d = findByClass(base, doc.path, &doc)) return d;
    }
    // Otherwise the one file whose objects provide every inherited name.
    std::set<std::string> refs;
    referenced(*doc.root, refs);
    if (refs.empty()) return nullptr;
    std::vector<const Doc*> candidates;
    for (const Doc* d : neighbours(doc.path)) {
      if (d == &doc || SameText(d->root->className, cls)) continue;
      if (std::find(stack.begin(), stack.end(), d) != stack.end()) continue;
      std::set<std::string> names;
      std::vector<const Doc*> chain = chainOf(*d, stack, /*quiet=*/true);
      bool cyclic = false;
      for (const Doc* level : chain) {
        if (SameText(level->root->className, cls)) cyclic = true;
        declared(*level->root, names);
      }
      if (cyclic) continue;
      if (std::includes(names.begin(), names.end(), refs.begin(), refs.end())) {
        candidates.push_back(d);
      }
    }
    // Prefer the most derived: a candidate no other candidate builds on.
    std::vector<const Doc*> maximal;
    for (const Doc* c : candidates) {
      bool base = false;
      for (const Doc* other : candidates) {
        if (other == c) continue;
        for (const Doc* level : chainOf(*other, stack, true)) {
          if (level == c) base = true;
        }
      }
      if (!base) maximal.push_back(c);
    }
    return maximal.size() == 1 ? maximal.front() : nullptr;
  }

  std::vector<const Doc*> chainOf(const Doc& doc) {
    std::vector<const Doc*> stack;
    return chainOf(doc, stack, false);
  }

  std::vector<const Doc*> chainOf(const Doc& doc,
                                  std::vector<const Doc*>& stack, bool quiet) {
    std::vector<const Doc*> chain{&doc};
    if (!needsAncestor(*doc.root)) return chain;
    if (stack.size() > 64 ||
        std::find(stack.begin(), stack.end(), &doc) != stack.end()) {
      return chain;
    }
    stack.push_back(&doc);
    const Doc* ancestor = findAncestor(doc, stack);
    std::vector<const Doc*> before;
    if (ancestor != nullptr) before = chainOf(*ancestor, stack, quiet);
    stack.pop_back();
    if (ancestor == nullptr) {
      if (!quiet && options_.requireAncestors) {
        throw EReadError(doc.path, doc.root->pos,
                         "the ancestor of " + doc.root->className +
                             " was not found: without its form file, what "
                             "the form inherits is unknown");
      }
      if (!quiet && options_.warn) {
        options_.warn(doc.path + ": the ancestor of " + doc.root->className +
                      " was not found; its inherited objects are read as "
                      "declared here");
      }
      return chain;
    }
    for (const Doc* level : before) {
      if (level == &doc) return chain;  // a cycle: ignore the ancestor
    }
    before.push_back(&doc);
    return before;
  }

  static bool looksLikeFrame(const FormObject& root) {
    std::string name = lower(root.className);
    if (name.find("frame") != std::string::npos) return true;
    const std::string& cls = root.className;
    return cls.size() > 3 && cls.compare(0, 3, "Tfr") == 0 &&
           std::isupper(static_cast<unsigned char>(cls[3]));
  }

  std::unique_ptr<TComponent> createRoot(const Doc& first) {
    const FormObject& node = *first.root;
    const TClassInfo* known = FindClass(node.className);
    const TClassInfo* base = nullptr;
    if (known != nullptr && !known->Dynamic) {
      if (!known->InheritsFrom(TCustomForm::StaticClass()) &&
          !known->InheritsFrom(TCustomFrame::StaticClass())) {
        throw EReadError(first.path, node.pos,
                         "the root object must be a form or a frame, not a " +
                             node.className);
      }
      base = known;
    } else {
      base =
          looksLikeFrame(node) ? &TFrame::StaticClass() : &TForm::StaticClass();
    }
    const TClassInfo& cls = FindOrMakeClass(node.className, *base);
    const TClassInfo* make = &cls;
    while (!make->Factory && make->Parent != nullptr) make = make->Parent;
    std::unique_ptr<TComponent> root(make->Factory(nullptr));
    if (cls.Dynamic) root->SetDynamicClass(&cls);
    if (options_.designing) root->SetDesigning(true);
    root->BeginLoading();
    created_.push_back(root.get());
    stored(root.get()).serial = serial_++;
    return root;
  }

  TStoredState& stored(TComponent* c) { return c->MakeStoredState(); }

  static void setName(TComponent* c, const FormObject& node,
                      const std::string& file) {
    try {
      c->SetName(node.name);
    } catch (const Exception& e) {
      throw EReadError(file, node.pos, e.Message());
    }
  }

  // Before the outermost file of a form, and after a frame's own files:
  // what is there so far below `top` came from an ancestor's file, and its
  // values are the reference the writer compares with.
  void markAncestorLevel(TComponent* top) {
    std::vector<TComponent*> all;
    collect(top, all);
    for (TComponent* c : all) {
      TStoredState& s = stored(c);
      s.entries.clear();
      s.index.reset();
      if (c != top) s.fromAncestor = true;
      s.ancestorValues = snapshot(*c);
      s.ancestorDesign = std::make_pair(c->DesignLeft, c->DesignTop);
    }
  }

  void readProperty(TComponent* c, const FormProperty& prop,
                    const std::string& file) {
    TStoredState& s = stored(c);
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
      std::size_t dot = prop.name.find('.', start);
      parts.push_back(prop.name.substr(start, dot - start));
      if (dot == std::string::npos) break;
      start = dot + 1;
    }
    TPersistent* object = c;
    const TPropInfo* info = nullptr;
    for (std::size_t i = 0; i < parts.size(); ++i) {
      info = GetPropInfo(*object, parts[i]);
      if (info == nullptr) break;
      if (i + 1 < parts.size()) {
        if (info->Kind != TTypeKind::Class || !info->GetObject) {
          info = nullptr;
          break;
        }
        object = info->GetObject(*object);
        if (object == nullptr) {
          info = nullptr;
          break;
        }
      }
    }
    // A refused value is reported at the property, by its name.
    auto atProperty = [&](auto&& apply) {
      try {
        apply();
      } catch (const EFilerError&) {
        throw;
      } catch (const Exception& e) {
        throw EReadError(file, prop.pos, prop.name + ": " + e.Message());
      }
    };
    if (info != nullptr && info->Kind != TTypeKind::Class && info->Set) {
      atProperty([&] { info->Set(*object, prop.value); });
      // publishedLeaves reaches one level of sub-object: a deeper path
      // keeps its value for the writer.
      const bool leaf = parts.size() <= 2;
      s.entries.push_back(StoredEntry{
          prop.name, StoredEntry::Kind::Published,
          leaf ? nullptr : std::make_unique<const FormValue>(prop.value)});
      return;
    }
    if (parts.size() == 1) {
      PropertyReader reader(file, prop);
      atProperty([&] { c->DefineProperties(reader); });
      if (reader.consumed()) {
        s.entries.push_back(
            StoredEntry{prop.name, StoredEntry::Kind::Hidden,
                        std::make_unique<const FormValue>(prop.value)});
        return;
      }
    }
    s.entries.push_back(
        StoredEntry{prop.name, StoredEntry::Kind::Unknown,
                    std::make_unique<const FormValue>(prop.value)});
  }

  // The generic class for a class name the library does not know.
  const TClassInfo& genericClass(const FormObject& node,
                                 TComponent* enclosing) {
    const TClassInfo* base = &TGenericComponent::StaticClass();
    bool visualEnclosing =
        dynamic_cast<TControl*>(enclosing) != nullptr || enclosing == nullptr;
    if (visualEnclosing) {
      bool control = false, windowed = !node.children.empty();
      for (const FormProperty& p : node.props) {
        const std::string& n = p.name;
        if (SameText(n, "Width") || SameText(n, "Height") ||
            SameText(n, "Align") || SameText(n, "Anchors") ||
            SameText(n, "ParentFont") || n.rfind("Font.", 0) == 0) {
          control = true;
        }
        if (SameText(n, "TabOrder") || SameText(n, "TabStop")) windowed = true;
      }
      if (control || (windowed && dynamic_cast<TControl*>(enclosing))) {
        base = windowed ? &TGenericWinControl::StaticClass()
                        : &TGenericControl::StaticClass();
      }
    }
    auto& cls = const_cast<TClassInfo&>(FindOrMakeClass(node.className, *base));
    if (cls.Dynamic) {
      // Publish what the file shows the class to have.
      for (const FormProperty& p : node.props) {
        for (const char* name : {"Caption", "Text"}) {
          if (SameText(p.name, name) && GetPropInfo(cls, name) == nullptr &&
              cls.InheritsFrom(TControl::StaticClass())) {
            TPropInfo info = *GetPropInfo(TButton::StaticClass(), "Caption");
            info.Name = name;
            cls.Props.push_back(std::move(info));
          }
        }
      }
    }
    return cls;
  }

  static TWinControl* windowedParent(TComponent* enclosing) {
    return dynamic_cast<TWinControl*>(enclosing);
  }

  TComponent* createObject(const FormObject& node, const Ctx& ctx,
                           TComponent* enclosing, const std::string& file) {
    const TClassInfo* known = FindClass(node.className);
    const TClassInfo& cls = (known != nullptr && !known->Dynamic)
                                ? *known
                                : genericClass(node, enclosing);
    return instantiate(cls, node, ctx, enclosing, file);
  }

  // A component of class `cls` (made by its nearest ancestor with a
  // factory) in the creating owner, named and parented as `node` says. It is
  // listed in created_ at once, so that a failed read frees it.
  TComponent* instantiate(const TClassInfo& cls, const FormObject& node,
                          const Ctx& ctx, TComponent* enclosing,
                          const std::string& file) {
    const TClassInfo* make = &cls;
    while (!make->Factory && make->Parent != nullptr) make = make->Parent;
    if (!make->Factory) {
      throw EReadError(file, node.pos,
                       "class " + node.className + " cannot be created");
    }
    if (!node.name.empty() && ctx.createOwner->FindComponent(node.name)) {
      throw EReadError(file, node.pos,
                       "A component named " + node.name + " already exists");
    }
    if (!node.name.empty()) ctx.createOwner->DeclareField(node.name);
    TComponent* c = make->Factory(ctx.createOwner);
    if (cls.Dynamic) c->SetDynamicClass(&cls);
    c->BeginLoading();
    created_.push_back(c);
    try {
      c->SetName(node.name);
    } catch (const Exception& e) {
      delete c;
      created_.pop_back();
      throw EReadError(file, node.pos, e.Message());
    }
    if (auto* control = dynamic_cast<TControl*>(c)) {
      if (TWinControl* parent = windowedParent(enclosing)) {
        control->SetParent(parent);
      }
    }
    return c;
  }

  void placeInline(TComponent* frame, const FormObject& node, const Ctx& ctx,
                   const std::string& file) {
    const Doc* frameDoc = findByClass(node.className, file, nullptr);
    if (frameDoc == nullptr) {
      if (options_.warn) {
        options_.warn(file + ": the form file of frame class " +
                      node.className + " was not found");
      }
      return;
    }
    std::vector<const Doc*> chain = chainOf(*frameDoc);
    Ctx inner{frame, frame, ctx.root};
    for (const Doc* level : chain) {
      applyObject(frame, *level->root, inner, nullptr, level->path);
    }
    markAncestorLevel(frame);
  }

  void applyObject(TComponent* c, const FormObject& node, const Ctx& ctx,
                   TComponent* writeParent, const std::string& file) {
    TStoredState& s = stored(c);
    if (writeParent != nullptr) s.writeParent = writeParent;
    if (node.index) s.index = node.index;
    for (const FormProperty& p : node.props) readProperty(c, p, file);
    for (const auto& childPtr : node.children) {
      const FormObject& child = *childPtr;
      TComponent* target = nullptr;
      Ctx childCtx = ctx;
      switch (child.kind) {
        case FormObject::Kind::Inherited: {
          target = ctx.lookupOwner->FindComponent(child.name);
          if (target == nullptr)
            target = ctx.createOwner->FindComponent(child.name);
          if (target == nullptr) {
            // No ancestor told us about it: read it as declared here.
            target = createObject(child, ctx, c, file);
            stored(target).fromAncestor = true;
            stored(target).serial = serial_++;
          }
          break;
        }
        case FormObject::Kind::Inline: {
          target = ctx.lookupOwner->FindComponent(child.name);
          if (target == nullptr) {
            Ctx frameCtx = ctx;
            target = createFrame(child, frameCtx, c, file);
            stored(target).serial = serial_++;
            stored(target).isInline = true;
            placeInline(target, child, ctx, file);
          }
          childCtx.lookupOwner = target;
          break;
        }
        case FormObject::Kind::Object:
          target = createObject(child, ctx, c, file);
          stored(target).serial = serial_++;
          break;
      }
      // Children are written back in the order the last file gave them.
      stored(target).serial = serial_++;
      applyObject(target, child, childCtx, c, file);
    }
  }

  TComponent* createFrame(const FormObject& node, const Ctx& ctx,
                          TComponent* enclosing, const std::string& file) {
    const TClassInfo* cls = FindClass(node.className);
    if (cls == nullptr || !cls->InheritsFrom(TCustomFrame::StaticClass())) {
      cls = &FindOrMakeClass(node.className, TFrame::StaticClass());
    }
    if (!cls->InheritsFrom(TCustomFrame::StaticClass())) {
      throw EReadError(file, node.pos,
                       node.className + " is placed inline but is not a frame");
    }
    return instantiate(*cls, node, ctx, enclosing, file);
  }

  const FormLoadOptions& options_;
  std::map<std::string, std::unique_ptr<Doc>> docs_;
  std::map<std::string, std::vector<Indexed>> index_;
  std::set<std::string> unreadable_;
  std::vector<TComponent*> created_;
  std::map<const TClassInfo*, std::map<std::string, FormValue>> defaults_;
  long serial_ = 0;
};

}  // namespace

std::unique_ptr<TComponent> LoadFormFile(const std::string& path,
                                         const FormLoadOptions& options) {
  Loader loader(options);
  const Doc& doc = loader.parseMain(readFileText(path), path, true);
  return loader.load(doc);
}

std::unique_ptr<TComponent> LoadFormText(std::string_view text,
                                         const std::string& fileName,
                                         const FormLoadOptions& options) {
  Loader loader(options);
  const Doc& doc = loader.parseMain(text, fileName, false);
  return loader.load(doc);
}

}  // namespace flx
