// The framework's component model: objects with run-time type information
// (published properties per class, a class registry by name), plain
// containers, components with owners and names, and the filer interface for
// hidden form-file properties.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "flexarium/form_text.h"
#include "flexarium/sysutils.h"

// <windows.h> defines RegisterClass and GetObject as macros; programs that
// include it first must still reach the framework's names.
#pragma push_macro("RegisterClass")
#pragma push_macro("GetObject")
#undef RegisterClass
#undef GetObject

namespace flx {

class TObject;
class TPersistent;
class TComponent;
class TFiler;
class TReader;
class TWriter;
struct TClassInfo;
struct TStoredState;
struct TStoredStateDeleter {
  void operator()(TStoredState* state) const;
};

// ---- Run-time type information

// An enumeration type: its identifiers by ordinal.
struct TEnumInfo {
  std::string TypeName;
  std::vector<std::string> Names;
  // Ordinal of `name` (case-insensitive), -1 when absent.
  int IndexOf(std::string_view name) const;
};

enum class TTypeKind {
  Integer,
  Boolean,
  Enumeration,
  Set,
  String,
  Float,
  Method,      // an event: stored as the handler's name
  Class,       // a sub-object such as Font or Constraints
  List,        // ( ... ): the lines of a TStrings, column widths
  Collection,  // < item ... end >: status bar panels, list view columns
  Binary,      // { hex }: a picture's data
  Reference,   // another component, by name (ActivePage = TabSheet1)
};

// One published property. Values travel as FormValue, the form file's own
// value type, so reading, writing and comparing need no other conversion.
struct TPropInfo {
  std::string Name;
  TTypeKind Kind = TTypeKind::Integer;
  const TEnumInfo* EnumType = nullptr;    // Enumeration, and Set elements
  const TClassInfo* ClassType = nullptr;  // Class
  // No default value: written to a form file whatever the value is.
  bool NoDefault = false;
  std::function<FormValue(const TPersistent&)> Get;
  // Runs the property's write method; throws on a value of the wrong kind.
  std::function<void(TPersistent&, const FormValue&)> Set;
  std::function<TPersistent*(TPersistent&)> GetObject;  // Class kind
  // Whether the value is stored at all (e.g. Font only without ParentFont).
  std::function<bool(const TPersistent&)> Stored;
};

using TComponentFactory = std::function<TComponent*(TComponent* owner)>;

struct TClassInfo {
  std::string ClassName;
  const TClassInfo* Parent = nullptr;
  std::vector<TPropInfo> Props;  // own published properties, in order
  TComponentFactory Factory;     // empty for abstract classes
  // A class made at run time for a class name the library does not know.
  bool Dynamic = false;

  bool InheritsFrom(const TClassInfo& other) const;
  // Published properties, ancestors' first, in declaration order.
  std::vector<const TPropInfo*> AllProps() const;
};

// The published property `name` of a class or its ancestors
// (case-insensitive), or nullptr.
const TPropInfo* GetPropInfo(const TClassInfo& classInfo,
                             std::string_view name);
const TPropInfo* GetPropInfo(const TObject& object, std::string_view name);

// Class registry by name (case-insensitive).
void RegisterClass(const TClassInfo& classInfo);
const TClassInfo* FindClass(std::string_view name);
// The class named `name`; when unknown, a dynamic class deriving from
// `parent` is made and registered (it keeps the name).
const TClassInfo& FindOrMakeClass(std::string_view name,
                                  const TClassInfo& parent);

// Palette registration of the design environment.
void RegisterComponents(const std::string& page,
                        const std::vector<const TClassInfo*>& classes);
std::vector<const TClassInfo*> PaletteClasses(const std::string& page);

// ---- Objects

class TObject {
 public:
  TObject();
  virtual ~TObject();
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;

  static const TClassInfo& StaticClass();
  // The object's class: its C++ class, or the dynamic class it was made as.
  const TClassInfo& ClassType() const;
  const std::string& ClassName() const { return ClassType().ClassName; }
  bool InheritsFrom(const TClassInfo& c) const {
    return ClassType().InheritsFrom(c);
  }
  void SetDynamicClass(const TClassInfo* c) { FDynamicClass = c; }

 protected:
  virtual const TClassInfo& StaticType() const { return StaticClass(); }

 private:
  const TClassInfo* FDynamicClass = nullptr;
};

// Declares a class's type information.
#define FLX_CLASS(Name)                                  \
 public:                                                 \
  static const ::flx::TClassInfo& StaticClass();         \
                                                         \
 protected:                                              \
  const ::flx::TClassInfo& StaticType() const override { \
    return StaticClass();                                \
  }                                                      \
                                                         \
 private:

class TPersistent : public TObject {
  FLX_CLASS(TPersistent)
 public:
  // Copies another object's state; throws EConvertError when the classes do
  // not match.
  virtual void Assign(const TPersistent& source);
  // Hidden form-file properties (see TFiler::DefineProperty).
  virtual void DefineProperties(TFiler& filer);
};

// The framework's TList: a list of untyped pointers.
class TList {
 public:
  int Count() const { return static_cast<int>(FItems.size()); }
  void* Items(int i) const;
  void SetItem(int i, void* p);
  int Add(void* p);
  int IndexOf(const void* p) const;
  // Removes the first entry equal to p; returns its index or -1.
  int Remove(const void* p);
  void Delete(int i);
  void Clear() { FItems.clear(); }
  // Drops the nil entries, keeping the order of the rest.
  void Pack();
  std::vector<void*>& Data() { return FItems; }

 private:
  std::vector<void*> FItems;
};

// The framework's TStringList: unsorted, duplicates kept, case-insensitive
// look-up.
class TStringList {
 public:
  int Count() const { return static_cast<int>(FStrings.size()); }
  const std::string& Strings(int i) const;
  int Add(const std::string& s);
  void Clear() { FStrings.clear(); }
  // Index of the first string equal to s ignoring ASCII case, or -1.
  int IndexOf(std::string_view s) const;

 private:
  std::vector<std::string> FStrings;
};

// The framework's TStrings as form files store it: the lines of a list
// ("Items.Strings = ( 'a' 'b' )"), kept as the UTF-16 code units read.
class TStrings : public TPersistent {
  FLX_CLASS(TStrings)
 public:
  int Count() const { return static_cast<int>(FLines.size()); }
  // Line i as UTF-8.
  std::string Strings(int i) const;
  const std::vector<std::u16string>& Lines() const { return FLines; }
  void SetLines(std::vector<std::u16string> lines);
  void Add(const std::string& line);
  void Clear() { SetLines({}); }
  // The lines joined with CR LF, as a multi-line edit shows them.
  std::u16string Text() const;
  void Assign(const TPersistent& source) override;

  // Called after every change.
  std::function<void()> OnChange;

 private:
  std::vector<std::u16string> FLines;
};

// ---- Components

enum TComponentStateFlag : std::uint32_t {
  csLoading = 1u << 0,
  csReading = 1u << 1,
  csWriting = 1u << 2,
  csDestroying = 1u << 3,
  csDesigning = 1u << 4,
  csAncestor = 1u << 5,
  csInline = 1u << 6,
};

class TComponentState {
 public:
  bool Contains(TComponentStateFlag f) const { return (FBits & f) != 0; }
  void Include(TComponentStateFlag f) { FBits |= f; }
  void Exclude(TComponentStateFlag f) {
    FBits &= ~static_cast<std::uint32_t>(f);
  }

 private:
  std::uint32_t FBits = 0;
};

enum class TOperation { opInsert, opRemove };

class TComponent : public TPersistent {
  FLX_CLASS(TComponent)
 public:
  // Inserts the component into `owner` (which then owns and frees it); a
  // component of an owner being designed is designing too.
  explicit TComponent(TComponent* owner);
  ~TComponent() override;

  TComponent* Owner() const { return FOwner; }
  const std::string& Name() const { return FName; }
  // Renames; throws EComponentError for an invalid identifier or a name
  // another component of the same owner bears (ignoring case).
  virtual void SetName(const std::string& newName);
  int ComponentCount() const { return static_cast<int>(FComponents.size()); }
  TComponent* Components(int i) const;
  const TComponentState& ComponentState() const { return FComponentState; }
  // The owned component named `name` (case-insensitive), or nullptr.
  TComponent* FindComponent(std::string_view name) const;

  void InsertComponent(TComponent* c);
  void RemoveComponent(TComponent* c);
  // Frees every owned component, last first.
  void DestroyComponents();

  // Design-time state of this component and everything it owns.
  void SetDesigning(bool value, bool includeOwned = true);
  // Marks reading from a form file (csLoading, csReading).
  void BeginLoading();
  // Called once after the form file is read.
  virtual void Loaded();

  void DefineProperties(TFiler& filer) override;
  virtual void Notification(TComponent* component, TOperation operation);

  // Published fields of a root (form, frame): a slot per named component,
  // found by FieldAddress as the application's class would have them.
  TComponent** DeclareField(const std::string& name);
  // Address of the published field `name` (case-insensitive), or nullptr.
  TComponent** FieldAddress(std::string_view name);

  // Position of a non-visual component on the design surface, stored as the
  // hidden properties Left and Top.
  int DesignLeft = 0;
  int DesignTop = 0;

  // What the form file said about this component (formfile.h), if it was
  // read from one.
  TStoredState* StoredState() const { return FStoredState.get(); }
  TStoredState& MakeStoredState();

 protected:
  TComponentState FComponentState;

 private:
  void SetReference(bool enable);
  void ValidateRename(TComponent* c, const std::string& newName) const;

  TComponent* FOwner = nullptr;
  std::string FName;
  std::vector<TComponent*> FComponents;
  // Owned components by upper-cased name: names are unique ignoring case.
  std::unordered_map<std::string, TComponent*> FNames;
  struct Field {
    std::string Name;
    TComponent* Value = nullptr;
  };
  // Each field on its own, so that its address stays valid; only roots
  // have fields, and an empty vector costs a component nothing on the heap.
  std::vector<std::unique_ptr<Field>> FFields;
  // FFields by upper-cased name, as FNames: a form of many controls must
  // not search its fields from the start for each one.
  std::unordered_map<std::string, Field*> FFieldIndex;
  std::unique_ptr<TStoredState, TStoredStateDeleter> FStoredState;
};

// ---- Filers: hidden properties in form files

using TReaderProc = std::function<void(TReader&)>;
using TWriterProc = std::function<void(TWriter&)>;

class TFiler {
 public:
  virtual ~TFiler() = default;
  // Declares a hidden property: the reader calls `read` when the form file
  // holds `name`; the writer calls `write` when `hasData` is true.
  virtual void DefineProperty(const std::string& name, TReaderProc read,
                              TWriterProc write, bool hasData) = 0;
  // The component this one inherits its stored values from, or nullptr.
  virtual const TComponent* Ancestor() const { return nullptr; }
};

class TReader : public TFiler {
 public:
  // The value of the property being read as a 32-bit integer; throws
  // EReadError (with the file position) when it is not one.
  virtual std::int32_t ReadInteger() = 0;
  virtual const FormValue& ReadValue() = 0;
};

class TWriter : public TFiler {
 public:
  virtual void WriteInteger(std::int64_t value) = 0;
  virtual void WriteValue(const FormValue& value) = 0;
};

}  // namespace flx

#pragma pop_macro("GetObject")
#pragma pop_macro("RegisterClass")
