// The stored state of a component read from a form file, and the published
// leaf properties that the reader and the writer compare.
#include "formfile/formfile_private.h"

#include "flexarium/formfile.h"

namespace flx {

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

namespace formfile {

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

std::map<std::string, FormValue> classDefaults(const TClassInfo& cls) {
  const TClassInfo* make = &cls;
  while (!make->Factory && make->Parent != nullptr) make = make->Parent;
  if (!make->Factory) return {};
  // A designing owner keeps the instance free of run-time effects.
  TComponent owner(nullptr);
  owner.SetDesigning(true);
  TComponent* instance = make->Factory(&owner);
  instance->SetDynamicClass(&cls);
  return snapshot(*instance);
}

void collect(TComponent* c, std::vector<TComponent*>& out) {
  out.push_back(c);
  for (int i = 0; i < c->ComponentCount(); ++i) collect(c->Components(i), out);
}

}  // namespace formfile

}  // namespace flx
