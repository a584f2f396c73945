// Building components from form-file documents and writing them back.
//
// Sections: stored state; ancestor and frame look-up; reading (levels,
// objects, properties, hidden properties); writing (property lists against
// the reference values, child objects).
#include "flexarium/formfile.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "flexarium/forms.h"
#include "flexarium/stdctrls.h"

namespace flx {

// ---- Stored state

struct StoredEntry {
  enum class Kind { Published, Hidden, Unknown };
  std::string name;
  Kind kind = Kind::Unknown;
  FormValue value;  // as read; written back for unknown properties
};

struct TStoredState {
  bool fromAncestor = false;  // declared by an ancestor's or a frame's file
  bool isInline = false;      // a frame placed with its own file
  FormObject::Kind rootKind = FormObject::Kind::Object;
  std::optional<int> index;
  std::vector<StoredEntry> entries;  // the outermost file's, in its order
  std::map<std::string, FormValue> readValues;      // after reading
  std::map<std::string, FormValue> ancestorValues;  // before the last file
  // The design-surface place the ancestor gave a non-visual component.
  std::optional<std::pair<int, int>> ancestorDesign;
  TComponent* writeParent = nullptr;
  long serial = 0;
};

void TStoredStateDeleter::operator()(TStoredState* state) const {
  delete state;
}

TStoredState& TComponent::MakeStoredState() {
  if (!FStoredState) FStoredState.reset(new TStoredState());
  return *FStoredState;
}

void SetInheritedFromAncestor(TComponent& component, bool value) {
  component.MakeStoredState().fromAncestor = value;
}

namespace {

namespace fs = std::filesystem;

std::string lower(std::string_view s) { return LowerCase(s); }

// One published leaf property reachable from a component: "Left",
// "Font.Height", "Constraints.MinWidth".
struct Leaf {
  std::string path;
  const TPropInfo* info = nullptr;
  const TPropInfo* owner = nullptr;  // the class-typed property, if any
  TPersistent* object = nullptr;
  int order = 0;
};

std::vector<Leaf> publishedLeaves(TComponent& c) {
  std::vector<Leaf> out;
  int order = 0;
  for (const TPropInfo* p : c.ClassType().AllProps()) {
    if (p->Kind == TTypeKind::Class) {
      if (!p->GetObject) continue;
      TPersistent* sub = p->GetObject(c);
      if (sub == nullptr) continue;
      for (const TPropInfo* q : sub->ClassType().AllProps()) {
        if (q->Kind == TTypeKind::Class || !q->Get) continue;
        out.push_back(Leaf{p->Name + "." + q->Name, q, p, sub, order++});
      }
    } else if (p->Get) {
      out.push_back(Leaf{p->Name, p, nullptr, &c, order++});
    }
  }
  return out;
}

std::map<std::string, FormValue> snapshot(TComponent& c) {
  std::map<std::string, FormValue> values;
  for (const Leaf& leaf : publishedLeaves(c)) {
    values[lower(leaf.path)] = leaf.info->Get(*leaf.object);
  }
  return values;
}

// Every component of a tree: the root, what it owns, what those own.
void collect(TComponent* c, std::vector<TComponent*>& out) {
  out.push_back(c);
  for (int i = 0; i < c->ComponentCount(); ++i) collect(c->Components(i), out);
}

std::string readFileText(const std::string& path) {
  std::error_code ec;
  if (fs::is_directory(path, ec)) {
    throw EReadError(path, {}, "is a folder, not a form file");
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) throw EReadError(path, {}, "cannot open the file");
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// ---- Hidden properties

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

struct HiddenDef {
  std::string name;
  TWriterProc write;
  bool hasData = false;
};

class DefinitionCollector final : public TFiler {
 public:
  explicit DefinitionCollector(const TComponent* ancestor = nullptr)
      : ancestor_(ancestor) {}
  const TComponent* Ancestor() const override { return ancestor_; }
  void DefineProperty(const std::string& name, TReaderProc, TWriterProc write,
                      bool hasData) override {
    defs.push_back(HiddenDef{name, std::move(write), hasData});
  }
  std::vector<HiddenDef> defs;

 private:
  const TComponent* ancestor_;
};

class ValueWriter final : public TWriter {
 public:
  void DefineProperty(const std::string&, TReaderProc, TWriterProc,
                      bool) override {}
  void WriteInteger(std::int64_t v) override { value = FormValue::Int(v); }
  void WriteValue(const FormValue& v) override { value = v; }
  FormValue value;
};

// ---- Reading

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
      if (TStoredState* s = c->StoredState()) s->readValues = snapshot(*c);
    }
    return root;
  }

  const Doc& parseFile(const std::string& path) {
    // A pipe (/dev/stdin, a shell's <(...)) has no canonical path.
    std::error_code ec;
    std::string key = fs::weakly_canonical(path, ec).string();
    if (ec) key = path;
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
    fs::path p(nearPath);
    dirs.push_back(p.has_parent_path() ? p.parent_path().string() : ".");
    for (const std::string& d : options_.searchDirs) dirs.push_back(d);
    return dirs;
  }

  // Every parsable form file in the search folders (unparsable neighbours
  // are skipped: they are not the file being read).
  std::vector<const Doc*> neighbours(const std::string& nearPath) {
    std::vector<const Doc*> out;
    std::set<std::string> seen;
    for (const std::string& dir : searchDirs(nearPath)) {
      std::error_code ec;
      std::vector<fs::path> files;
      for (const auto& entry : fs::directory_iterator(dir, ec)) {
        std::string ext = lower(entry.path().extension().string());
        if (ext == ".dfm" || ext == ".fmx" || ext == ".lfm") {
          files.push_back(entry.path());
        }
      }
      std::sort(files.begin(), files.end());
      for (const fs::path& f : files) {
        std::string key = fs::weakly_canonical(f, ec).string();
        if (!seen.insert(key).second) continue;
        try {
          out.push_back(&parseFile(f.string()));
        } catch (const Exception&) {
        }
      }
    }
    return out;
  }

  const Doc* findByClass(const std::string& className,
                         const std::string& nearPath, const Doc* except) {
    for (const Doc* d : neighbours(nearPath)) {
      if (d != except && SameText(d->root->className, className)) return d;
    }
    return nullptr;
  }

  // The ancestor class named by the unit source beside the form file.
  std::string ancestorFromSource(const Doc& doc) {
    fs::path p(doc.path);
    const std::string& cls = doc.root->className;
    for (const char* ext : {".pas", ".h", ".hpp"}) {
      fs::path src = p;
      src.replace_extension(ext);
      std::error_code ec;
      if (!fs::exists(src, ec)) continue;
      std::string text;
      try {
        text = readFileText(src.string());
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

  // Before the outermost file: what is there so far came from ancestors.
  void markAncestorLevel(TComponent* root) {
    std::vector<TComponent*> all;
    collect(root, all);
    for (TComponent* c : all) {
      TStoredState& s = stored(c);
      s.entries.clear();
      s.index.reset();
      if (c != root) s.fromAncestor = true;
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
    if (info != nullptr && info->Kind != TTypeKind::Class && info->Set) {
      try {
        info->Set(*object, prop.value);
      } catch (const EFilerError&) {
        throw;
      } catch (const Exception& e) {
        throw EReadError(file, prop.pos, prop.name + ": " + e.Message());
      }
      s.entries.push_back(
          StoredEntry{prop.name, StoredEntry::Kind::Published, prop.value});
      return;
    }
    if (parts.size() == 1) {
      PropertyReader reader(file, prop);
      try {
        c->DefineProperties(reader);
      } catch (const EFilerError&) {
        throw;
      } catch (const Exception& e) {
        throw EReadError(file, prop.pos, prop.name + ": " + e.Message());
      }
      if (reader.consumed()) {
        s.entries.push_back(
            StoredEntry{prop.name, StoredEntry::Kind::Hidden, prop.value});
        return;
      }
    }
    s.entries.push_back(
        StoredEntry{prop.name, StoredEntry::Kind::Unknown, prop.value});
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
    std::vector<TComponent*> all;
    collect(frame, all);
    for (TComponent* c : all) {
      TStoredState& s = stored(c);
      s.entries.clear();
      s.index.reset();
      s.fromAncestor = c != frame;
      s.ancestorValues = snapshot(*c);
      s.ancestorDesign = std::make_pair(c->DesignLeft, c->DesignTop);
    }
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
    const TClassInfo* known = FindClass(node.className);
    const TClassInfo* cls = known;
    if (cls == nullptr || !cls->InheritsFrom(TCustomFrame::StaticClass())) {
      cls = &FindOrMakeClass(node.className, TFrame::StaticClass());
    }
    if (!cls->InheritsFrom(TCustomFrame::StaticClass())) {
      throw EReadError(file, node.pos,
                       node.className + " is placed inline but is not a frame");
    }
    const TClassInfo* make = cls;
    while (!make->Factory && make->Parent != nullptr) make = make->Parent;
    if (!node.name.empty() && ctx.createOwner->FindComponent(node.name)) {
      throw EReadError(file, node.pos,
                       "A component named " + node.name + " already exists");
    }
    if (!node.name.empty()) ctx.createOwner->DeclareField(node.name);
    TComponent* frame = make->Factory(ctx.createOwner);
    if (cls->Dynamic) frame->SetDynamicClass(cls);
    frame->BeginLoading();
    created_.push_back(frame);
    try {
      frame->SetName(node.name);
    } catch (const Exception& e) {
      delete frame;
      created_.pop_back();
      throw EReadError(file, node.pos, e.Message());
    }
    if (TWinControl* parent = windowedParent(enclosing)) {
      static_cast<TControl*>(frame)->SetParent(parent);
    }
    return frame;
  }

  const FormLoadOptions& options_;
  std::map<std::string, std::unique_ptr<Doc>> docs_;
  std::vector<TComponent*> created_;
  long serial_ = 0;
};

// ---- Writing

class Writer {
 public:
  FormObject build(TComponent& c, bool isRoot) {
    FormObject node;
    TStoredState* s = c.StoredState();
    if (isRoot) {
      node.kind = s != nullptr ? s->rootKind : FormObject::Kind::Object;
    } else if (s != nullptr && s->isInline) {
      node.kind = FormObject::Kind::Inline;
    } else if (s != nullptr && s->fromAncestor) {
      node.kind = FormObject::Kind::Inherited;
    }
    node.name = c.Name();
    node.className = c.ClassName();
    if (s != nullptr) node.index = s->index;
    node.props = properties(c);
    for (TComponent* child : writeChildren(c)) {
      FormObject sub = build(*child, false);
      TStoredState* cs = child->StoredState();
      bool inherited = cs != nullptr && cs->fromAncestor && !cs->isInline;
      if (inherited && sub.props.empty() && sub.children.empty() &&
          !cs->index) {
        continue;
      }
      node.children.push_back(std::make_unique<FormObject>(std::move(sub)));
    }
    return node;
  }

  void index(TComponent& root) {
    std::vector<TComponent*> all;
    collect(&root, all);
    for (TComponent* c : all) {
      if (c == &root) continue;
      TComponent* parent = nullptr;
      if (TStoredState* s = c->StoredState(); s && s->writeParent) {
        parent = s->writeParent;
      } else if (auto* control = dynamic_cast<TControl*>(c);
                 control && control->Parent()) {
        parent = control->Parent();
      } else {
        parent = c->Owner();
      }
      children_[parent].push_back(c);
    }
  }

 private:
  std::vector<TComponent*> writeChildren(TComponent& c) {
    std::vector<TComponent*> list = children_[&c];
    std::stable_sort(list.begin(), list.end(),
                     [](TComponent* a, TComponent* b) {
                       TStoredState* sa = a->StoredState();
                       TStoredState* sb = b->StoredState();
                       if ((sa != nullptr) != (sb != nullptr))
                         return sa != nullptr;
                       return sa != nullptr && sa->serial < sb->serial;
                     });
    return list;
  }

  const std::map<std::string, FormValue>& defaults(const TClassInfo& cls) {
    auto it = defaults_.find(&cls);
    if (it != defaults_.end()) return it->second;
    std::map<std::string, FormValue> values;
    const TClassInfo* make = &cls;
    while (!make->Factory && make->Parent != nullptr) make = make->Parent;
    if (make->Factory) {
      // A designing owner keeps the instance free of run-time effects.
      TComponent owner(nullptr);
      owner.SetDesigning(true);
      TComponent* instance = make->Factory(&owner);
      instance->SetDynamicClass(&cls);
      values = snapshot(*instance);
    }
    return defaults_[&cls] = std::move(values);
  }

  struct Out {
    FormProperty prop;
    int order;  // canonical place, -1 for unknown properties
  };

  std::vector<FormProperty> properties(TComponent& c) {
    TStoredState* s = c.StoredState();
    std::vector<Leaf> leaves = publishedLeaves(c);
    // Hidden properties compare themselves with the ancestor's values.
    TComponent ancestor(nullptr);
    bool hasAncestor = s != nullptr && s->ancestorDesign.has_value();
    if (hasAncestor) {
      ancestor.DesignLeft = s->ancestorDesign->first;
      ancestor.DesignTop = s->ancestorDesign->second;
    }
    DefinitionCollector hidden(hasAncestor ? &ancestor : nullptr);
    c.DefineProperties(hidden);
    int hiddenBase = static_cast<int>(leaves.size());
    std::vector<Out> out;
    std::set<std::string> present;
    auto findLeaf = [&](const std::string& name) -> const Leaf* {
      for (const Leaf& l : leaves) {
        if (SameText(l.path, name)) return &l;
      }
      return nullptr;
    };
    auto hiddenIndex = [&](const std::string& name) {
      for (std::size_t i = 0; i < hidden.defs.size(); ++i) {
        if (SameText(hidden.defs[i].name, name)) return static_cast<int>(i);
      }
      return -1;
    };
    if (s != nullptr) {
      for (const StoredEntry& e : s->entries) {
        present.insert(lower(e.name));
        FormProperty p{e.name, e.value, {}};
        int order = -1;
        if (e.kind == StoredEntry::Kind::Published) {
          if (const Leaf* l = findLeaf(e.name)) {
            p.value = l->info->Get(*l->object);
            order = l->order;
          }
        } else if (e.kind == StoredEntry::Kind::Hidden) {
          int h = hiddenIndex(e.name);
          if (h >= 0 && hidden.defs[h].write) {
            ValueWriter w;
            hidden.defs[h].write(w);
            p.value = w.value;
            order = hiddenBase + h;
          }
        }
        out.push_back(Out{std::move(p), order});
      }
    }
    bool hasReference = s != nullptr && (s->fromAncestor || s->isInline ||
                                         !s->ancestorValues.empty());
    // What the library does not know it does not add.
    bool unknownClass = c.InheritsFrom(TGenericControl::StaticClass()) ||
                        c.InheritsFrom(TGenericWinControl::StaticClass()) ||
                        c.InheritsFrom(TGenericComponent::StaticClass());
    for (const Leaf& l : leaves) {
      if (present.count(lower(l.path))) continue;
      if (l.info->Stored && !l.info->Stored(*l.object)) continue;
      if (l.owner != nullptr && l.owner->Stored && !l.owner->Stored(c))
        continue;
      FormValue live = l.info->Get(*l.object);
      std::string key = lower(l.path);
      bool include;
      if (!hasReference && l.info->NoDefault && !unknownClass) {
        include = true;
      } else {
        const auto& ref =
            hasReference ? s->ancestorValues : defaults(c.ClassType());
        auto it = ref.find(key);
        include = it == ref.end() || it->second != live;
        if (include && s != nullptr) {
          auto read = s->readValues.find(key);
          // Unchanged since it was read: the file chose not to store it.
          if (read != s->readValues.end() && read->second == live) {
            include = false;
          }
        }
      }
      if (include) insert(out, Out{FormProperty{l.path, live, {}}, l.order});
    }
    for (std::size_t h = 0; h < hidden.defs.size(); ++h) {
      const HiddenDef& d = hidden.defs[h];
      if (!d.hasData || !d.write || present.count(lower(d.name))) continue;
      ValueWriter w;
      d.write(w);
      insert(out, Out{FormProperty{d.name, w.value, {}},
                      hiddenBase + static_cast<int>(h)});
    }
    std::vector<FormProperty> props;
    props.reserve(out.size());
    for (Out& o : out) props.push_back(std::move(o.prop));
    return props;
  }

  // Inserts after the last property that comes before it in declaration
  // order, so additions land where the design environment puts them.
  static void insert(std::vector<Out>& out, Out item) {
    std::size_t at = 0;
    for (std::size_t i = out.size(); i-- > 0;) {
      if (out[i].order >= 0 && out[i].order < item.order) {
        at = i + 1;
        break;
      }
    }
    if (at == 0 && !out.empty()) {
      bool anyKnown = false;
      for (const Out& o : out) anyKnown = anyKnown || o.order >= 0;
      if (!anyKnown) at = out.size();
    }
    out.insert(out.begin() + static_cast<std::ptrdiff_t>(at), std::move(item));
  }

  std::map<TComponent*, std::vector<TComponent*>> children_;
  std::map<const TClassInfo*, std::map<std::string, FormValue>> defaults_;
};

}  // namespace

std::unique_ptr<TComponent> LoadFormFile(const std::string& path,
                                         const FormLoadOptions& options) {
  Loader loader(options);
  const Doc& doc = loader.parseFile(path);
  return loader.load(doc);
}

std::unique_ptr<TComponent> LoadFormText(std::string_view text,
                                         const std::string& fileName,
                                         const FormLoadOptions& options) {
  Loader loader(options);
  const Doc& doc = loader.adopt(ParseFormText(text, fileName), fileName);
  return loader.load(doc);
}

std::string WriteFormText(TComponent& root) {
  Writer writer;
  writer.index(root);
  FormObject doc = writer.build(root, true);
  return FormatFormText(doc);
}

}  // namespace flx
