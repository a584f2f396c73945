// Writing components back as the design environment saves them: the
// properties read from their file in their order (known ones with their
// current values), what changed or was added since, hidden properties, then
// child objects.
#include <algorithm>
#include <set>

#include "flexarium/formfile.h"
#include "flexarium/stdctrls.h"
#include "formfile/formfile_private.h"

namespace flx {

using namespace formfile;

namespace {

// A component's hidden properties (DefineProperties) and their values as
// the component writes them.
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
    return defaults_[&cls] = classDefaults(cls);
  }

  // The value a leaf the file did not store had when it was read: kept
  // where it differed from the reference it was read against, else that
  // reference's.
  const FormValue* readValue(TComponent& c, const TStoredState& s,
                             const std::string& key) {
    auto read = s.readValues.find(key);
    if (read != s.readValues.end()) return &read->second;
    const auto& ref =
        s.readAgainstAncestor ? s.ancestorValues : defaults(c.ClassType());
    auto it = ref.find(key);
    return it == ref.end() ? nullptr : &it->second;
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
        FormProperty p{e.name, e.value ? *e.value : FormValue{}, {}};
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
    const bool hasReference = comparesWithAncestor(s);
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
          // Unchanged since it was read: the file chose not to store it.
          const FormValue* read = readValue(c, *s, key);
          if (read != nullptr && *read == live) include = false;
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

std::string WriteFormText(TComponent& root) {
  Writer writer;
  writer.index(root);
  FormObject doc = writer.build(root, true);
  return FormatFormText(doc);
}

}  // namespace flx
