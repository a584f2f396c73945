// Writing a form-file document as the design environment writes it: two-space
// indent, LF line ends, long strings split with +, binary data in lines.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

#include "flexarium/form_text.h"
#include "formtext/form_text_scan.h"

namespace flx {

using namespace formtext;

namespace {

// The design environment breaks string values after this many characters
// (UTF-16 code units) and writes this many bytes per line of binary data.
constexpr std::size_t kStringLineLength = 64;
constexpr std::size_t kBinaryBytesPerLine = 32;

[[noreturn]] void writeError(const std::string& message) {
  throw EFilerError(std::string(), SourcePos{}, message);
}

void checkWriteDepth(int depth) {
  if (depth > kMaxFormNesting) {
    writeError("cannot write nesting deeper than " +
               std::to_string(kMaxFormNesting) + " levels");
  }
}

bool isQuotable(char16_t c) { return c >= 0x20 && c < 0x7F && c != u'\''; }

void writeString(std::string& out, const std::u16string& s, int indent) {
  if (s.empty()) {
    out += "''";
    return;
  }
  const std::string breakIndent(static_cast<std::size_t>(indent) + 2, ' ');
  if (s.size() > kStringLineLength) {
    out += '\n';
    out += breakIndent;
  }
  std::size_t i = 0;
  std::size_t lineStart = 0;
  while (i < s.size()) {
    bool lineFull = false;
    if (isQuotable(s[i])) {
      out += '\'';
      do {
        out += static_cast<char>(s[i]);
        ++i;
      } while (i < s.size() && isQuotable(s[i]) &&
               i - lineStart < kStringLineLength);
      out += '\'';
    } else {
      out += '#';
      out += std::to_string(static_cast<unsigned>(s[i]));
      ++i;
    }
    lineFull = i - lineStart >= kStringLineLength;
    if (lineFull && i < s.size()) {
      out += " +\n";
      out += breakIndent;
      lineStart = i;
    }
  }
}

std::string canonicalFloat(long double v) {
  if (!std::isfinite(v)) writeError("cannot write a float that is not finite");
  char buf[128];
  // The design environment's own spelling, when it keeps the value exactly.
  if (std::fabs(v) < 1e18L) {
    auto [end, ec] =
        std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 18);
    if (ec == std::errc()) {
      std::string_view text(buf, end - buf);
      NumScan n = scanNumber(text, 0);
      if (n.error == NumError::None && n.end == text.size() && n.real == v) {
        return std::string(text);
      }
    }
  }
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
  if (ec != std::errc()) writeError("cannot write float");
  std::string text(buf, end - buf);
  if (text.find_first_of(".eE") == std::string::npos) text += ".0";
  return text;
}

void writeValue(std::string& out, const FormValue& v, int indent, int depth);

void writeProps(std::string& out, const std::vector<FormProperty>& props,
                int indent, int depth, bool inItem) {
  const std::string pad(static_cast<std::size_t>(indent), ' ');
  for (const FormProperty& prop : props) {
    if (!isIdent(prop.name, true) || isStructureKeyword(prop.name, inItem)) {
      writeError("cannot write property name '" + prop.name + "'");
    }
    out += pad;
    out += prop.name;
    out += " = ";
    writeValue(out, prop.value, indent, depth);
    out += '\n';
  }
}

void writeValue(std::string& out, const FormValue& v, int indent, int depth) {
  static const char kHex[] = "0123456789ABCDEF";
  switch (v.kind) {
    case FormValue::Kind::Integer: {
      if (!v.text.empty()) {
        NumScan n = scanNumber(v.text, 0);
        if (n.error == NumError::None && n.end == v.text.size() && n.isHex &&
            n.integer == v.integer) {
          out += v.text;
          return;
        }
      }
      out += std::to_string(v.integer);
      return;
    }
    case FormValue::Kind::Float: {
      if (!v.text.empty()) {
        NumScan n = scanNumber(v.text, 0);
        if (n.error == NumError::None && n.end == v.text.size() && n.isFloat &&
            n.real == v.real) {
          out += v.text;
          return;
        }
      }
      out += canonicalFloat(v.real);
      return;
    }
    case FormValue::Kind::String:
      writeString(out, v.str, indent);
      return;
    case FormValue::Kind::Ident:
      if (!isIdent(v.text, true)) {
        writeError("cannot write identifier '" + v.text + "'");
      }
      out += v.text;
      return;
    case FormValue::Kind::Set: {
      out += '[';
      bool first = true;
      for (const std::string& e : v.set) {
        if (!isIdent(e, false))
          writeError("cannot write set element '" + e + "'");
        if (!first) out += ", ";
        first = false;
        out += e;
      }
      out += ']';
      return;
    }
    case FormValue::Kind::List: {
      checkWriteDepth(depth + 1);
      const std::string pad(static_cast<std::size_t>(indent) + 2, ' ');
      out += '(';
      for (const FormValue& e : v.list) {
        out += '\n';
        out += pad;
        writeValue(out, e, indent + 2, depth + 1);
      }
      out += ')';
      return;
    }
    case FormValue::Kind::Collection: {
      checkWriteDepth(depth + 1);
      const std::string pad(static_cast<std::size_t>(indent) + 2, ' ');
      out += '<';
      for (const FormCollectionItem& item : v.items) {
        out += '\n';
        out += pad;
        out += "item";
        if (item.index) {
          out += " [";
          out += std::to_string(*item.index);
          out += ']';
        }
        out += '\n';
        writeProps(out, item.props, indent + 4, depth + 1, true);
        out += pad;
        out += "end";
      }
      out += '>';
      return;
    }
    case FormValue::Kind::Binary: {
      const std::string pad(static_cast<std::size_t>(indent) + 2, ' ');
      out += '{';
      for (std::size_t i = 0; i < v.bytes.size(); ++i) {
        if (i % kBinaryBytesPerLine == 0) {
          out += '\n';
          out += pad;
        }
        out += kHex[v.bytes[i] >> 4];
        out += kHex[v.bytes[i] & 15];
      }
      out += '}';
      return;
    }
  }
  writeError("cannot write a value of unknown kind");
}

void writeObject(std::string& out, const FormObject& obj, int indent,
                 int depth) {
  checkWriteDepth(depth);
  if (!obj.name.empty() && !isIdent(obj.name, false)) {
    writeError("cannot write object name '" + obj.name + "'");
  }
  if (!isIdent(obj.className, true)) {
    writeError("cannot write class name '" + obj.className + "'");
  }
  const std::string pad(static_cast<std::size_t>(indent), ' ');
  out += pad;
  switch (obj.kind) {
    case FormObject::Kind::Object:
      out += "object ";
      break;
    case FormObject::Kind::Inherited:
      out += "inherited ";
      break;
    case FormObject::Kind::Inline:
      out += "inline ";
      break;
  }
  if (!obj.name.empty()) {
    out += obj.name;
    out += ": ";
  }
  out += obj.className;
  if (obj.index) {
    out += " [";
    out += std::to_string(*obj.index);
    out += ']';
  }
  out += '\n';
  writeProps(out, obj.props, indent + 2, depth, false);
  for (const auto& child : obj.children) {
    if (!child) writeError("cannot write a missing child object");
    writeObject(out, *child, indent + 2, depth + 1);
  }
  out += pad;
  out += "end\n";
}

}  // namespace

std::string FormatFormText(const FormObject& root) {
  std::string out;
  writeObject(out, root, 0, 1);
  return out;
}

std::string FormatFormValue(const FormValue& value, int indent) {
  std::string out;
  writeValue(out, value, std::max(indent, 0), 1);
  return out;
}

}  // namespace flx
