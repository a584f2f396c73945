// Builders for published properties from a class's getters and setters.
#pragma once

#include <limits>
#include <string>

#include "flexarium/classes.h"

namespace flx::rtti {

inline std::int32_t ToInt(const FormValue& v) {
  if (v.kind != FormValue::Kind::Integer) {
    throw EConvertError("an integer is expected");
  }
  if (v.integer < std::numeric_limits<std::int32_t>::min() ||
      v.integer > std::numeric_limits<std::int32_t>::max()) {
    throw EConvertError("integer out of range");
  }
  return static_cast<std::int32_t>(v.integer);
}

inline bool ToBool(const FormValue& v) {
  if (v.kind == FormValue::Kind::Ident) {
    if (SameText(v.text, "True")) return true;
    if (SameText(v.text, "False")) return false;
  }
  throw EConvertError("True or False is expected");
}

inline int ToEnum(const FormValue& v, const TEnumInfo& info) {
  if (v.kind == FormValue::Kind::Ident) {
    int i = info.IndexOf(v.text);
    if (i >= 0) return i;
    throw EConvertError("'" + v.text + "' is not a " + info.TypeName +
                        " value");
  }
  throw EConvertError("a " + info.TypeName + " identifier is expected");
}

inline std::uint32_t ToSet(const FormValue& v, const TEnumInfo& info) {
  if (v.kind != FormValue::Kind::Set) {
    throw EConvertError("a set [...] is expected");
  }
  std::uint32_t bits = 0;
  for (const std::string& e : v.set) {
    int i = info.IndexOf(e);
    if (i < 0) {
      throw EConvertError("'" + e + "' is not a " + info.TypeName + " value");
    }
    bits |= 1u << i;
  }
  return bits;
}

inline FormValue FromSet(std::uint32_t bits, const TEnumInfo& info) {
  std::vector<std::string> names;
  for (std::size_t i = 0; i < info.Names.size(); ++i) {
    if (bits & (1u << i)) names.push_back(info.Names[i]);
  }
  return FormValue::SetOf(std::move(names));
}

inline std::string ToStr(const FormValue& v) {
  if (v.kind != FormValue::Kind::String) {
    throw EConvertError("a string is expected");
  }
  return Utf16ToUtf8(v.str);
}

template <class T>
TPropInfo IntProp(std::string name, int (T::*get)() const, void (T::*set)(int),
                  bool noDefault = false) {
  TPropInfo p;
  p.Name = std::move(name);
  p.Kind = TTypeKind::Integer;
  p.NoDefault = noDefault;
  p.Get = [get](const TPersistent& o) {
    return FormValue::Int((static_cast<const T&>(o).*get)());
  };
  p.Set = [set](TPersistent& o, const FormValue& v) {
    (static_cast<T&>(o).*set)(ToInt(v));
  };
  return p;
}

template <class T>
TPropInfo BoolProp(std::string name, bool (T::*get)() const,
                   void (T::*set)(bool), bool noDefault = false) {
  TPropInfo p;
  p.Name = std::move(name);
  p.Kind = TTypeKind::Boolean;
  p.NoDefault = noDefault;
  p.Get = [get](const TPersistent& o) {
    return FormValue::Bool((static_cast<const T&>(o).*get)());
  };
  p.Set = [set](TPersistent& o, const FormValue& v) {
    (static_cast<T&>(o).*set)(ToBool(v));
  };
  return p;
}

template <class T, class G, class S>
TPropInfo StrProp(std::string name, G get, S set) {
  TPropInfo p;
  p.Name = std::move(name);
  p.Kind = TTypeKind::String;
  p.Get = [get](const TPersistent& o) {
    return FormValue::Utf8((static_cast<const T&>(o).*get)());
  };
  p.Set = [set](TPersistent& o, const FormValue& v) {
    (static_cast<T&>(o).*set)(ToStr(v));
  };
  return p;
}

template <class T, class E>
TPropInfo EnumProp(std::string name, const TEnumInfo& info, E (T::*get)() const,
                   void (T::*set)(E), bool noDefault = false) {
  TPropInfo p;
  p.Name = std::move(name);
  p.Kind = TTypeKind::Enumeration;
  p.EnumType = &info;
  p.NoDefault = noDefault;
  p.Get = [get, &info](const TPersistent& o) {
    auto i = static_cast<std::size_t>((static_cast<const T&>(o).*get)());
    return FormValue::Identifier(i < info.Names.size() ? info.Names[i]
                                                       : std::to_string(i));
  };
  p.Set = [set, &info](TPersistent& o, const FormValue& v) {
    (static_cast<T&>(o).*set)(static_cast<E>(ToEnum(v, info)));
  };
  return p;
}

// A set stored as bit i for ordinal i.
template <class T, class B>
TPropInfo SetProp(std::string name, const TEnumInfo& info, B (T::*get)() const,
                  void (T::*set)(B)) {
  TPropInfo p;
  p.Name = std::move(name);
  p.Kind = TTypeKind::Set;
  p.EnumType = &info;
  p.Get = [get, &info](const TPersistent& o) {
    return FromSet(
        static_cast<std::uint32_t>((static_cast<const T&>(o).*get)()), info);
  };
  p.Set = [set, &info](TPersistent& o, const FormValue& v) {
    (static_cast<T&>(o).*set)(static_cast<B>(ToSet(v, info)));
  };
  return p;
}

template <class T, class C>
TPropInfo ClassProp(std::string name, const TClassInfo& info, C& (T::*get)()) {
  TPropInfo p;
  p.Name = std::move(name);
  p.Kind = TTypeKind::Class;
  p.ClassType = &info;
  p.GetObject = [get](TPersistent& o) -> TPersistent* {
    return &(static_cast<T&>(o).*get)();
  };
  return p;
}

// Another component by name (ActivePage = TabSheet1), kept as the name.
template <class T>
TPropInfo RefProp(std::string name, const std::string& (T::*get)() const,
                  void (T::*set)(const std::string&)) {
  TPropInfo p;
  p.Name = std::move(name);
  p.Kind = TTypeKind::Reference;
  p.Get = [get](const TPersistent& o) {
    return FormValue::Identifier((static_cast<const T&>(o).*get)());
  };
  p.Set = [set](TPersistent& o, const FormValue& v) {
    if (v.kind != FormValue::Kind::Ident) {
      throw EConvertError("a component name is expected");
    }
    (static_cast<T&>(o).*set)(v.text);
  };
  return p;
}

// A value kept as the form file has it (collections, binary data), for the
// control to read when it needs it.
template <class T>
TPropInfo ValueProp(std::string name, TTypeKind kind, FormValue::Kind stored,
                    FormValue T::*member) {
  TPropInfo p;
  p.Name = std::move(name);
  p.Kind = kind;
  p.Get = [member](const TPersistent& o) {
    return static_cast<const T&>(o).*member;
  };
  p.Set = [member, stored](TPersistent& o, const FormValue& v) {
    if (v.kind != stored) {
      throw EConvertError(stored == FormValue::Kind::Collection
                              ? "a collection < ... > is expected"
                          : stored == FormValue::Kind::Float
                              ? "a number such as 45000.5 is expected"
                              : "binary data { ... } is expected");
    }
    static_cast<T&>(o).*member = v;
  };
  return p;
}

}  // namespace flx::rtti
