// The framework's text form-file format as a document: objects, properties
// and values exactly as written, with their positions. Parsing and
// formatting at this level lose nothing; building components from a
// document is the business of formfile.h.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "flexarium/sysutils.h"

namespace flx {

struct FormCollectionItem;

// One property value.
struct FormValue {
  enum class Kind {
    Integer,     // 12, -11, $00FF
    Float,       // 1.5, 0.750000000000000000, 1.0E5 (optional suffix s/c/d)
    String,      // 'a'#13#10'b' (UTF-16 code units)
    Ident,       // bsDialog, True, clBtnFace, Form1.Button1
    Set,         // [akLeft, akTop]
    List,        // ( ... )
    Collection,  // < item ... end >
    Binary,      // { hex }
  };

  Kind kind = Kind::Integer;
  std::int64_t integer = 0;
  long double real = 0;
  // Integer: the source spelling when it was hexadecimal ("$00FF"), else
  // empty. Float: the source spelling ("0.750000000000000000", "1.5s").
  // Ident: the identifier.
  std::string text;
  std::u16string str;                     // String
  std::vector<std::string> set;           // Set elements
  std::vector<FormValue> list;            // List elements
  std::vector<FormCollectionItem> items;  // Collection items
  std::vector<std::uint8_t> bytes;        // Binary
  SourcePos pos;

  static FormValue Int(std::int64_t v);
  static FormValue Real(long double v);
  static FormValue Str(std::u16string v);
  static FormValue Utf8(std::string_view v);
  static FormValue Identifier(std::string v);
  static FormValue SetOf(std::vector<std::string> elements);
  static FormValue Bool(bool v);

  // Value equality: kind and content; positions and spellings are ignored
  // (an integer written as $10 equals 16).
  bool operator==(const FormValue& other) const;
  bool operator!=(const FormValue& other) const { return !(*this == other); }
};

struct FormProperty {
  std::string name;  // possibly dotted: Font.Height
  FormValue value;
  SourcePos pos;
};

struct FormCollectionItem {
  std::optional<std::int64_t> index;  // "item [2]"
  std::vector<FormProperty> props;
  SourcePos pos;
};

inline FormValue FormValue::Bool(bool v) {
  return Identifier(v ? "True" : "False");
}

struct FormObject {
  enum class Kind { Object, Inherited, Inline };
  Kind kind = Kind::Object;
  std::string name;          // empty for "object TClass"
  std::string className;     // TButton
  std::optional<int> index;  // creation-order index "[1]"
  std::vector<FormProperty> props;
  std::vector<std::unique_ptr<FormObject>> children;
  SourcePos pos;
};

// Deepest nesting of objects, lists and collections that a file may have.
inline constexpr int kMaxFormNesting = 256;

// Parses one form file. `fileName` is used in error messages only.
// Throws EParserError "FILE:LINE:COL: error: MESSAGE" on bad input.
std::unique_ptr<FormObject> ParseFormText(std::string_view text,
                                          const std::string& fileName);
// As above, and an error in a property (its name, its value, a property
// after child objects, a stray character) is appended to `recovered` while
// the parsing goes on after the property's last line, without it: for a
// checker that reports every error at once. Errors that leave the rest
// unreadable (an object's heading, the end of the file inside an object or
// a value) are still thrown.
std::unique_ptr<FormObject> ParseFormText(std::string_view text,
                                          const std::string& fileName,
                                          std::vector<EParserError>& recovered);

// Writes a document the way the design environment writes form files
// (two-space indent, LF line ends, long strings split with +).
std::string FormatFormText(const FormObject& root);
// Writes one value as it would appear after "Name = " at `indent` spaces.
std::string FormatFormValue(const FormValue& value, int indent);

}  // namespace flx
