#include "flexarium/classes.h"

#include <algorithm>
#include <atomic>
#include <map>

namespace flx {

namespace {

std::atomic<std::int64_t> gLiveObjects{0};

struct ClassRegistry {
  // Keyed by the upper-cased name: class names are case-insensitive.
  std::map<std::string, const TClassInfo*> byName;
  std::vector<std::unique_ptr<TClassInfo>> dynamicClasses;
  std::map<std::string, std::vector<const TClassInfo*>> palette;
};

ClassRegistry& registry() {
  static ClassRegistry r;
  return r;
}

}  // namespace

std::int64_t LiveObjectCount() { return gLiveObjects.load(); }

// ---- RTTI

int TEnumInfo::IndexOf(std::string_view name) const {
  for (std::size_t i = 0; i < Names.size(); ++i) {
    if (SameText(Names[i], name)) return static_cast<int>(i);
  }
  return -1;
}

bool TClassInfo::InheritsFrom(const TClassInfo& other) const {
  for (const TClassInfo* c = this; c != nullptr; c = c->Parent) {
    if (c == &other) return true;
  }
  return false;
}

std::vector<const TPropInfo*> TClassInfo::AllProps() const {
  std::vector<const TClassInfo*> chain;
  for (const TClassInfo* c = this; c != nullptr; c = c->Parent) {
    chain.push_back(c);
  }
  std::vector<const TPropInfo*> out;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    for (const TPropInfo& p : (*it)->Props) {
      // A redeclared property keeps its ancestor's place.
      auto same = std::find_if(out.begin(), out.end(), [&](const TPropInfo* q) {
        return SameText(q->Name, p.Name);
      });
      if (same != out.end()) {
        *same = &p;
      } else {
        out.push_back(&p);
      }
    }
  }
  return out;
}

const TPropInfo* GetPropInfo(const TClassInfo& classInfo,
                             std::string_view name) {
  for (const TClassInfo* c = &classInfo; c != nullptr; c = c->Parent) {
    for (const TPropInfo& p : c->Props) {
      if (SameText(p.Name, name)) return &p;
    }
  }
  return nullptr;
}

const TPropInfo* GetPropInfo(const TObject& object, std::string_view name) {
  return GetPropInfo(object.ClassType(), name);
}

void RegisterClass(const TClassInfo& classInfo) {
  registry().byName[UpperCase(classInfo.ClassName)] = &classInfo;
}

const TClassInfo* FindClass(std::string_view name) {
  auto& r = registry();
  auto it = r.byName.find(UpperCase(name));
  return it == r.byName.end() ? nullptr : it->second;
}

const TClassInfo& FindOrMakeClass(std::string_view name,
                                  const TClassInfo& parent) {
  if (const TClassInfo* known = FindClass(name)) return *known;
  auto& r = registry();
  auto made = std::make_unique<TClassInfo>();
  made->ClassName = std::string(name);
  made->Parent = &parent;
  made->Factory = parent.Factory;
  made->Dynamic = true;
  const TClassInfo& result = *made;
  r.dynamicClasses.push_back(std::move(made));
  RegisterClass(result);
  return result;
}

void RegisterComponents(const std::string& page,
                        const std::vector<const TClassInfo*>& classes) {
  auto& list = registry().palette[page];
  for (const TClassInfo* c : classes) {
    if (std::find(list.begin(), list.end(), c) == list.end()) {
      list.push_back(c);
    }
    RegisterClass(*c);
  }
}

std::vector<const TClassInfo*> PaletteClasses(const std::string& page) {
  auto& r = registry();
  auto it = r.palette.find(page);
  return it == r.palette.end() ? std::vector<const TClassInfo*>{} : it->second;
}

// ---- TObject, TPersistent

TObject::TObject() { ++gLiveObjects; }
TObject::~TObject() { --gLiveObjects; }

const TClassInfo& TObject::StaticClass() {
  static const TClassInfo info{"TObject", nullptr, {}, {}, false};
  return info;
}

const TClassInfo& TObject::ClassType() const {
  return FDynamicClass != nullptr ? *FDynamicClass : StaticType();
}

const TClassInfo& TPersistent::StaticClass() {
  static const TClassInfo info{
      "TPersistent", &TObject::StaticClass(), {}, {}, false};
  return info;
}

void TPersistent::Assign(const TPersistent& source) {
  throw EConvertError("Cannot assign a " + source.ClassName() + " to a " +
                      ClassName());
}

void TPersistent::DefineProperties(TFiler&) {}

// ---- TList, TStringList

void* TList::Items(int i) const {
  FLX_ASSERT(i >= 0 && i < Count());
  return FItems[static_cast<std::size_t>(i)];
}

void TList::SetItem(int i, void* p) {
  FLX_ASSERT(i >= 0 && i < Count());
  FItems[static_cast<std::size_t>(i)] = p;
}

int TList::Add(void* p) {
  FItems.push_back(p);
  return Count() - 1;
}

int TList::IndexOf(const void* p) const {
  auto it = std::find(FItems.begin(), FItems.end(), p);
  return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

int TList::Remove(const void* p) {
  int i = IndexOf(p);
  if (i >= 0) Delete(i);
  return i;
}

void TList::Delete(int i) {
  FLX_ASSERT(i >= 0 && i < Count());
  FItems.erase(FItems.begin() + i);
}

void TList::Pack() {
  FItems.erase(std::remove(FItems.begin(), FItems.end(), nullptr),
               FItems.end());
}

const std::string& TStringList::Strings(int i) const {
  FLX_ASSERT(i >= 0 && i < Count());
  return FStrings[static_cast<std::size_t>(i)];
}

int TStringList::Add(const std::string& s) {
  FStrings.push_back(s);
  return Count() - 1;
}

int TStringList::IndexOf(std::string_view s) const {
  for (std::size_t i = 0; i < FStrings.size(); ++i) {
    if (SameText(FStrings[i], s)) return static_cast<int>(i);
  }
  return -1;
}

// ---- TStrings

const TClassInfo& TStrings::StaticClass() {
  static const TClassInfo info = [] {
    TClassInfo c{"TStrings", &TPersistent::StaticClass(), {}, {}, false};
    TPropInfo lines;
    lines.Name = "Strings";
    lines.Kind = TTypeKind::List;
    lines.Get = [](const TPersistent& o) {
      FormValue v;
      v.kind = FormValue::Kind::List;
      for (const std::u16string& line : static_cast<const TStrings&>(o).FLines)
        v.list.push_back(FormValue::Str(line));
      return v;
    };
    lines.Set = [](TPersistent& o, const FormValue& v) {
      if (v.kind != FormValue::Kind::List) {
        throw EConvertError("a list of strings ( ... ) is expected");
      }
      std::vector<std::u16string> read;
      for (const FormValue& e : v.list) {
        if (e.kind != FormValue::Kind::String) {
          throw EConvertError("a list of strings ( ... ) is expected");
        }
        read.push_back(e.str);
      }
      static_cast<TStrings&>(o).SetLines(std::move(read));
    };
    c.Props.push_back(std::move(lines));
    return c;
  }();
  return info;
}

std::string TStrings::Strings(int i) const {
  FLX_ASSERT(i >= 0 && i < Count());
  return Utf16ToUtf8(FLines[static_cast<std::size_t>(i)]);
}

void TStrings::SetLines(std::vector<std::u16string> lines) {
  FLines = std::move(lines);
  if (OnChange) OnChange();
}

void TStrings::Add(const std::string& line) {
  FLines.push_back(Utf8ToUtf16(line));
  if (OnChange) OnChange();
}

std::u16string TStrings::Text() const {
  std::u16string text;
  for (std::size_t i = 0; i < FLines.size(); ++i) {
    if (i > 0) text += u"\r\n";
    text += FLines[i];
  }
  return text;
}

void TStrings::Assign(const TPersistent& source) {
  const auto* s = dynamic_cast<const TStrings*>(&source);
  if (s == nullptr) {
    TPersistent::Assign(source);
    return;
  }
  SetLines(s->FLines);
}

// ---- TComponent

const TClassInfo& TComponent::StaticClass() {
  static const TClassInfo info = [] {
    TClassInfo c{"TComponent", &TPersistent::StaticClass(), {}, {}, false};
    TPropInfo name;
    name.Name = "Name";
    name.Kind = TTypeKind::String;
    name.Get = [](const TPersistent& o) {
      return FormValue::Utf8(static_cast<const TComponent&>(o).Name());
    };
    name.Set = [](TPersistent& o, const FormValue& v) {
      if (v.kind != FormValue::Kind::String) {
        throw EConvertError("a string is expected");
      }
      static_cast<TComponent&>(o).SetName(Utf16ToUtf8(v.str));
    };
    // The name travels in the object header, never as a property line.
    name.Stored = [](const TPersistent&) { return false; };
    c.Props.push_back(std::move(name));
    return c;
  }();
  return info;
}

TComponent::TComponent(TComponent* owner) {
  if (owner != nullptr) owner->InsertComponent(this);
}

TComponent::~TComponent() {
  FComponentState.Include(csDestroying);
  DestroyComponents();
  if (FOwner != nullptr) FOwner->RemoveComponent(this);
}

TComponent* TComponent::Components(int i) const {
  FLX_ASSERT(i >= 0 && i < ComponentCount());
  return FComponents[static_cast<std::size_t>(i)];
}

TComponent* TComponent::FindComponent(std::string_view name) const {
  if (name.empty()) return nullptr;
  auto it = FNames.find(UpperCase(name));
  return it == FNames.end() ? nullptr : it->second;
}

void TComponent::ValidateRename(TComponent* c,
                                const std::string& newName) const {
  if (newName.empty()) return;
  TComponent* other = FindComponent(newName);
  if (other != nullptr && other != c) {
    throw EComponentError("A component named " + newName + " already exists");
  }
}

void TComponent::SetName(const std::string& newName) {
  if (FName == newName) return;
  if (!newName.empty() && !IsValidIdent(newName)) {
    throw EComponentError("'" + newName + "' is not a valid component name");
  }
  if (FOwner != nullptr) FOwner->ValidateRename(this, newName);
  SetReference(false);
  if (FOwner != nullptr && !FName.empty())
    FOwner->FNames.erase(UpperCase(FName));
  FName = newName;
  if (FOwner != nullptr && !FName.empty())
    FOwner->FNames[UpperCase(FName)] = this;
  SetReference(true);
}

void TComponent::SetReference(bool enable) {
  if (FOwner == nullptr || FName.empty()) return;
  if (TComponent** field = FOwner->FieldAddress(FName)) {
    *field = enable ? this : nullptr;
  }
}

void TComponent::InsertComponent(TComponent* c) {
  FLX_ASSERT(c != nullptr && c->FOwner == nullptr);
  ValidateRename(c, c->FName);
  FComponents.push_back(c);
  if (!c->FName.empty()) FNames[UpperCase(c->FName)] = c;
  c->FOwner = this;
  if (FComponentState.Contains(csDesigning)) c->SetDesigning(true);
  c->SetReference(true);
  Notification(c, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent* c) {
  // Searched from the end: components are mostly freed last first.
  auto rit = std::find(FComponents.rbegin(), FComponents.rend(), c);
  if (rit == FComponents.rend()) return;
  Notification(c, TOperation::opRemove);
  c->SetReference(false);
  if (!c->FName.empty()) FNames.erase(UpperCase(c->FName));
  rit = std::find(FComponents.rbegin(), FComponents.rend(), c);
  FComponents.erase(std::next(rit).base());
  c->FOwner = nullptr;
}

void TComponent::DestroyComponents() {
  while (!FComponents.empty()) {
    TComponent* c = FComponents.back();
    RemoveComponent(c);
    delete c;
  }
}

void TComponent::SetDesigning(bool value, bool includeOwned) {
  if (value) {
    FComponentState.Include(csDesigning);
  } else {
    FComponentState.Exclude(csDesigning);
  }
  if (includeOwned) {
    for (TComponent* c : FComponents) c->SetDesigning(value, true);
  }
}

void TComponent::BeginLoading() {
  FComponentState.Include(csLoading);
  FComponentState.Include(csReading);
}

void TComponent::Loaded() {
  FComponentState.Exclude(csLoading);
  FComponentState.Exclude(csReading);
}

void TComponent::DefineProperties(TFiler& filer) {
  // A non-visual component's place on the design surface.
  const TComponent* ancestor = filer.Ancestor();
  int ancestorLeft = ancestor != nullptr ? ancestor->DesignLeft : 0;
  int ancestorTop = ancestor != nullptr ? ancestor->DesignTop : 0;
  filer.DefineProperty(
      "Left", [this](TReader& r) { DesignLeft = r.ReadInteger(); },
      [this](TWriter& w) { w.WriteInteger(DesignLeft); },
      DesignLeft != ancestorLeft);
  filer.DefineProperty(
      "Top", [this](TReader& r) { DesignTop = r.ReadInteger(); },
      [this](TWriter& w) { w.WriteInteger(DesignTop); },
      DesignTop != ancestorTop);
}

void TComponent::Notification(TComponent*, TOperation) {}

TComponent** TComponent::DeclareField(const std::string& name) {
  if (TComponent** existing = FieldAddress(name)) return existing;
  FFields.push_back(std::make_unique<Field>(Field{name, nullptr}));
  Field& f = *FFields.back();
  FFieldIndex.emplace(UpperCase(name), &f);
  if (TComponent* c = FindComponent(name)) f.Value = c;
  return &f.Value;
}

TComponent** TComponent::FieldAddress(std::string_view name) {
  auto it = FFieldIndex.find(UpperCase(name));
  return it == FFieldIndex.end() ? nullptr : &it->second->Value;
}

}  // namespace flx
