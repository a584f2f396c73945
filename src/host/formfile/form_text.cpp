#include "flexarium/form_text.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <string>
#include <system_error>
#include <utility>

namespace flx {

namespace {

// The design environment breaks string values after this many characters
// (UTF-16 code units) and writes this many bytes per line of binary data.
constexpr std::size_t kStringLineLength = 64;
constexpr std::size_t kBinaryBytesPerLine = 32;

bool isDigit(unsigned char c) { return c >= '0' && c <= '9'; }

bool isHexDigit(unsigned char c) {
  return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int hexValue(unsigned char c) {
  if (isDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return c - 'A' + 10;
}

// Bytes >= 0x80 are accepted so that UTF-8 names survive unchanged.
bool isIdentStart(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' ||
         c >= 0x80;
}

bool isIdentChar(unsigned char c) { return isIdentStart(c) || isDigit(c); }

bool isSpace(unsigned char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' ||
         c == '\f';
}

// Length of the dotted identifier starting at `p`, or 0 when there is none
// or a dot is not followed by another segment.
std::size_t scanIdent(std::string_view s, std::size_t p, bool dotted) {
  std::size_t q = p;
  for (;;) {
    if (q >= s.size() || !isIdentStart(static_cast<unsigned char>(s[q]))) {
      return 0;
    }
    ++q;
    while (q < s.size() && isIdentChar(static_cast<unsigned char>(s[q]))) ++q;
    if (!dotted || q >= s.size() || s[q] != '.') return q - p;
    ++q;
  }
}

bool isIdent(std::string_view s, bool dotted) {
  return !s.empty() && scanIdent(s, 0, dotted) == s.size();
}

// Words that would be read back as structure instead of a property name:
// objects end at 'end' or start children with the other three, while
// collection items only end at 'end'.
bool isStructureKeyword(std::string_view s, bool inItem) {
  return SameText(s, "end") ||
         (!inItem && (SameText(s, "object") || SameText(s, "inherited") ||
                      SameText(s, "inline")));
}

enum class NumError { None, Bad, IntRange, FloatRange };

struct NumScan {
  NumError error = NumError::None;
  std::size_t end = 0;
  bool isFloat = false;
  bool isHex = false;
  std::int64_t integer = 0;
  long double real = 0;
};

// Decides whether an out-of-range float literal overflowed or merely
// underflowed, from its decimal exponent.
bool floatUnderflows(std::string_view digits) {
  long long intDigits = 0;
  long long firstNonZero = -1;
  long long index = 0;
  bool inFraction = false;
  std::size_t i = 0;
  if (i < digits.size() && digits[i] == '-') ++i;
  for (; i < digits.size(); ++i) {
    char c = digits[i];
    if (c == '.') {
      inFraction = true;
      continue;
    }
    if (!isDigit(static_cast<unsigned char>(c))) break;
    if (!inFraction) ++intDigits;
    if (c != '0' && firstNonZero < 0) firstNonZero = index;
    ++index;
  }
  long long exponent = 0;
  if (i < digits.size() && (digits[i] == 'e' || digits[i] == 'E')) {
    ++i;
    bool negative = false;
    if (i < digits.size() && (digits[i] == '+' || digits[i] == '-')) {
      negative = digits[i] == '-';
      ++i;
    }
    for (; i < digits.size(); ++i) {
      if (exponent < 1000000000) exponent = exponent * 10 + (digits[i] - '0');
    }
    if (negative) exponent = -exponent;
  }
  if (firstNonZero < 0) return true;
  return intDigits - 1 - firstNonZero + exponent < 0;
}

// Reads an integer or float literal at `p` ('-', a digit or '$').
NumScan scanNumber(std::string_view s, std::size_t p) {
  NumScan r;
  auto at = [&](std::size_t i) -> unsigned char {
    return i < s.size() ? static_cast<unsigned char>(s[i]) : 0;
  };
  auto fail = [&](NumError e, std::size_t end) {
    r.error = e;
    r.end = end;
    return r;
  };
  std::size_t q = p;
  if (at(q) == '$') {
    ++q;
    std::size_t start = q;
    std::uint64_t value = 0;
    int significant = 0;
    while (isHexDigit(at(q))) {
      if ((significant > 0 || at(q) != '0') && significant <= 16) {
        ++significant;
      }
      value = (value << 4) | static_cast<std::uint64_t>(hexValue(at(q)));
      ++q;
    }
    if (q == start || isIdentChar(at(q)) || at(q) == '.') {
      return fail(NumError::Bad, q);
    }
    if (significant > 16) return fail(NumError::IntRange, q);
    r.isHex = true;
    r.integer = static_cast<std::int64_t>(value);
    r.end = q;
    return r;
  }
  bool negative = at(q) == '-';
  if (negative) ++q;
  if (!isDigit(at(q))) return fail(NumError::Bad, q);
  while (isDigit(at(q))) ++q;
  std::size_t intEnd = q;
  if (at(q) == '.') {
    r.isFloat = true;
    ++q;
    while (isDigit(at(q))) ++q;
  }
  if (at(q) == 'e' || at(q) == 'E') {
    r.isFloat = true;
    ++q;
    if (at(q) == '+' || at(q) == '-') ++q;
    if (!isDigit(at(q))) return fail(NumError::Bad, q);
    while (isDigit(at(q))) ++q;
  }
  std::size_t numberEnd = q;
  switch (at(q)) {
    case 's':
    case 'S':
    case 'c':
    case 'C':
    case 'd':
    case 'D':
      r.isFloat = true;
      ++q;
      break;
    default:
      break;
  }
  if (isIdentChar(at(q)) || at(q) == '.') return fail(NumError::Bad, q);
  r.end = q;
  if (!r.isFloat) {
    std::uint64_t magnitude = 0;
    const std::uint64_t limit =
        negative ? static_cast<std::uint64_t>(INT64_MAX) + 1 : INT64_MAX;
    for (std::size_t i = p + (negative ? 1 : 0); i < intEnd; ++i) {
      auto d = static_cast<std::uint64_t>(s[i] - '0');
      if (magnitude > (limit - d) / 10) return fail(NumError::IntRange, q);
      magnitude = magnitude * 10 + d;
    }
    r.integer = negative ? static_cast<std::int64_t>(0 - magnitude)
                         : static_cast<std::int64_t>(magnitude);
    return r;
  }
  const char* first = s.data() + p;
  const char* last = s.data() + numberEnd;
  long double value = 0;
  auto [ptr, ec] = std::from_chars(first, last, value);
  if (ec == std::errc::result_out_of_range) {
    if (!floatUnderflows(std::string_view(first, last - first))) {
      return fail(NumError::FloatRange, q);
    }
    value = negative ? -0.0L : 0.0L;
  } else if (ec != std::errc() || ptr != last) {
    return fail(NumError::Bad, q);
  }
  r.real = value;
  return r;
}

// Decodes one UTF-8 sequence; surrogate code points are let through so that
// lone surrogates written by Utf16ToUtf8 come back unchanged.
bool decodeUtf8(std::string_view s, std::size_t& p, std::u16string& out) {
  auto c = static_cast<unsigned char>(s[p]);
  std::size_t len;
  char32_t cp;
  char32_t min;
  if (c >= 0xC2 && c <= 0xDF) {
    len = 2;
    cp = c & 0x1F;
    min = 0x80;
  } else if (c >= 0xE0 && c <= 0xEF) {
    len = 3;
    cp = c & 0x0F;
    min = 0x800;
  } else if (c >= 0xF0 && c <= 0xF4) {
    len = 4;
    cp = c & 0x07;
    min = 0x10000;
  } else {
    return false;
  }
  if (s.size() - p < len) return false;
  for (std::size_t k = 1; k < len; ++k) {
    auto cc = static_cast<unsigned char>(s[p + k]);
    if ((cc & 0xC0) != 0x80) return false;
    cp = (cp << 6) | (cc & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF) return false;
  if (cp >= 0x10000) {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  } else {
    out.push_back(static_cast<char16_t>(cp));
  }
  p += len;
  return true;
}

std::string describeChar(unsigned char c) {
  if (c > ' ' && c < 0x7F) return std::string("'") + static_cast<char>(c) + "'";
  static const char kHex[] = "0123456789ABCDEF";
  return std::string("byte 0x") + kHex[c >> 4] + kHex[c & 15];
}

class Parser {
 public:
  Parser(std::string_view text, const std::string& fileName)
      : text_(text), fileName_(fileName) {}

  std::unique_ptr<FormObject> parseDocument() {
    if (text_.size() >= 2 && ((text_[0] == '\xFF' && text_[1] == '\xFE') ||
                              (text_[0] == '\xFE' && text_[1] == '\xFF'))) {
      fail(here(), "UTF-16 form files are not supported");
    }
    if (text_.substr(0, 3) == "\xEF\xBB\xBF") {
      p_ = 3;
      lineStart_ = 3;
    }
    if (text_.substr(p_, 4) == "TPF0") {
      fail(here(), "binary form files are not supported");
    }
    skipSpace();
    if (atEnd()) {
      fail(here(),
           "unexpected end of file: expected 'object', 'inherited' or "
           "'inline'");
    }
    if (SameText(peekWord(), "end")) fail(here(), "'end' without object");
    auto root = parseObject(1);
    skipSpace();
    if (!atEnd()) {
      if (SameText(peekWord(), "end")) fail(here(), "'end' without object");
      fail(here(), "unexpected text after the end of the root object");
    }
    return root;
  }

 private:
  std::string_view text_;
  const std::string& fileName_;
  std::size_t p_ = 0;
  int line_ = 1;
  std::size_t lineStart_ = 0;

  [[noreturn]] void fail(SourcePos pos, const std::string& message) const {
    throw EParserError(fileName_, pos, message);
  }

  SourcePos here() const { return posAt(p_); }

  SourcePos posAt(std::size_t p) const {
    std::size_t column = p - lineStart_ + 1;
    return SourcePos{line_, static_cast<int>(std::min<std::size_t>(
                                column, static_cast<std::size_t>(INT_MAX)))};
  }

  bool atEnd() const { return p_ >= text_.size(); }
  unsigned char cur() const {
    return atEnd() ? 0 : static_cast<unsigned char>(text_[p_]);
  }

  void skipSpace() {
    while (!atEnd() && isSpace(cur())) {
      if (cur() == '\n') {
        if (line_ < INT_MAX) ++line_;
        lineStart_ = p_ + 1;
      }
      ++p_;
    }
  }

  std::string_view peekWord() const {
    return text_.substr(p_, scanIdent(text_, p_, true));
  }

  // Reads an identifier; `what` names it in the error message.
  std::string readIdent(bool dotted, const char* what) {
    std::size_t len = scanIdent(text_, p_, dotted);
    if (len == 0) {
      if (atEnd())
        fail(here(), std::string("unexpected end of file: expected ") + what);
      if (isIdentStart(cur())) {
        // A dotted name that ends in '.', or a dot where none may be.
        std::size_t q = p_;
        while (q < text_.size() &&
               (isIdentChar(static_cast<unsigned char>(text_[q])) ||
                text_[q] == '.')) {
          ++q;
        }
        fail(posAt(q), std::string("bad ") + what);
      }
      fail(here(),
           std::string("expected ") + what + ", found " + describeChar(cur()));
    }
    std::string word(text_.substr(p_, len));
    p_ += len;
    if (!dotted && cur() == '.') fail(here(), std::string("bad ") + what);
    return word;
  }

  void checkDepth(int depth, SourcePos pos) const {
    if (depth > kMaxFormNesting) {
      fail(pos, "nesting deeper than " + std::to_string(kMaxFormNesting) +
                    " levels");
    }
  }

  std::unique_ptr<FormObject> parseObject(int depth) {
    auto obj = std::make_unique<FormObject>();
    obj->pos = here();
    checkDepth(depth, obj->pos);
    std::string keyword = readIdent(true, "'object', 'inherited' or 'inline'");
    if (SameText(keyword, "object")) {
      obj->kind = FormObject::Kind::Object;
    } else if (SameText(keyword, "inherited")) {
      obj->kind = FormObject::Kind::Inherited;
    } else if (SameText(keyword, "inline")) {
      obj->kind = FormObject::Kind::Inline;
    } else {
      fail(obj->pos, "expected 'object', 'inherited' or 'inline', found '" +
                         keyword + "'");
    }
    skipSpace();
    SourcePos firstPos = here();
    std::string first = readIdent(true, "object name or class name");
    skipSpace();
    if (cur() == ':') {
      if (first.find('.') != std::string::npos)
        fail(firstPos, "bad object name");
      obj->name = std::move(first);
      ++p_;
      skipSpace();
      obj->className = readIdent(true, "class name");
      skipSpace();
    } else {
      obj->className = std::move(first);
    }
    if (cur() == '[') {
      ++p_;
      skipSpace();
      SourcePos indexPos = here();
      std::int64_t index = readIndex("creation index");
      if (index < INT_MIN || index > INT_MAX) {
        fail(indexPos, "creation index out of range");
      }
      obj->index = static_cast<int>(index);
    }
    bool inChildren = false;
    for (;;) {
      skipSpace();
      if (atEnd()) {
        fail(here(), "unexpected end of file inside " + describe(*obj));
      }
      std::string_view word = peekWord();
      if (SameText(word, "end")) {
        p_ += word.size();
        return obj;
      }
      if (SameText(word, "object") || SameText(word, "inherited") ||
          SameText(word, "inline")) {
        inChildren = true;
        obj->children.push_back(parseObject(depth + 1));
        continue;
      }
      if (word.empty() && !isIdentStart(cur())) {
        fail(here(), "expected property name, child object or 'end', found " +
                         describeChar(cur()));
      }
      if (inChildren && !word.empty()) {
        fail(here(),
             "property '" + std::string(word) + "' after child objects");
      }
      obj->props.push_back(parseProperty(depth));
    }
  }

  static std::string describe(const FormObject& obj) {
    if (obj.name.empty()) return "unnamed object '" + obj.className + "'";
    return "object '" + obj.name + "'";
  }

  // Reads "n]" after an opening '['.
  std::int64_t readIndex(const char* what) {
    SourcePos pos = here();
    if (atEnd())
      fail(pos, std::string("unexpected end of file: expected ") + what);
    if (cur() != '-' && cur() != '$' && !isDigit(cur())) {
      fail(pos,
           std::string("expected ") + what + ", found " + describeChar(cur()));
    }
    FormValue v = parseNumber();
    if (v.kind != FormValue::Kind::Integer) {
      fail(pos, std::string(what) + " must be an integer");
    }
    skipSpace();
    if (cur() != ']') fail(here(), std::string("expected ']' after ") + what);
    ++p_;
    return v.integer;
  }

  FormProperty parseProperty(int depth) {
    FormProperty prop;
    prop.pos = here();
    prop.name = readIdent(true, "property name");
    skipSpace();
    if (cur() != '=') fail(here(), "expected '=' after property name");
    ++p_;
    skipSpace();
    prop.value = parseValue(depth);
    return prop;
  }

  FormValue parseValue(int depth) {
    SourcePos pos = here();
    if (atEnd()) fail(pos, "unexpected end of file: expected a value");
    unsigned char c = cur();
    FormValue v;
    if (c == '-' || c == '$' || isDigit(c)) {
      v = parseNumber();
    } else if (c == '\'' || c == '#') {
      v = parseString();
    } else if (c == '[') {
      v = parseSet();
    } else if (c == '(') {
      checkDepth(depth + 1, pos);
      v = parseList(depth + 1);
    } else if (c == '<') {
      checkDepth(depth + 1, pos);
      v = parseCollection(depth + 1);
    } else if (c == '{') {
      v = parseBinary();
    } else if (isIdentStart(c)) {
      v.kind = FormValue::Kind::Ident;
      v.text = readIdent(true, "identifier");
    } else {
      fail(pos, "expected a value, found " + describeChar(c));
    }
    v.pos = pos;
    return v;
  }

  FormValue parseNumber() {
    SourcePos pos = here();
    NumScan n = scanNumber(text_, p_);
    switch (n.error) {
      case NumError::Bad:
        fail(pos, "bad number");
      case NumError::IntRange:
        fail(pos, "integer out of range");
      case NumError::FloatRange:
        fail(pos, "float out of range");
      case NumError::None:
        break;
    }
    FormValue v;
    if (n.isFloat) {
      v.kind = FormValue::Kind::Float;
      v.real = n.real;
      v.text = std::string(text_.substr(p_, n.end - p_));
    } else {
      v.kind = FormValue::Kind::Integer;
      v.integer = n.integer;
      if (n.isHex) v.text = std::string(text_.substr(p_, n.end - p_));
    }
    p_ = n.end;
    return v;
  }

  // One run of quoted parts and #codes, then further runs joined by '+'.
  FormValue parseString() {
    FormValue v;
    v.kind = FormValue::Kind::String;
    for (;;) {
      while (cur() == '\'' || cur() == '#') {
        if (cur() == '\'') {
          readQuoted(v.str);
        } else {
          readCharCode(v.str);
        }
      }
      std::size_t saveP = p_, saveStart = lineStart_;
      int saveLine = line_;
      skipSpace();
      if (cur() != '+') {
        p_ = saveP;
        lineStart_ = saveStart;
        line_ = saveLine;
        return v;
      }
      ++p_;
      skipSpace();
      if (cur() != '\'' && cur() != '#') {
        if (atEnd())
          fail(here(), "unexpected end of file: expected a string after '+'");
        fail(here(), "expected a string after '+'");
      }
    }
  }

  void readQuoted(std::u16string& out) {
    SourcePos start = here();
    ++p_;
    for (;;) {
      if (atEnd() || cur() == '\n' || cur() == '\r') {
        fail(start, "unterminated string");
      }
      unsigned char c = cur();
      if (c == '\'') {
        if (p_ + 1 < text_.size() && text_[p_ + 1] == '\'') {
          out.push_back(u'\'');
          p_ += 2;
          continue;
        }
        ++p_;
        return;
      }
      if (c < 0x80) {
        out.push_back(c);
        ++p_;
      } else if (!decodeUtf8(text_, p_, out)) {
        fail(here(), "invalid UTF-8 in string");
      }
    }
  }

  void readCharCode(std::u16string& out) {
    SourcePos start = here();
    ++p_;
    std::uint32_t code = 0;
    bool any = false;
    bool tooBig = false;
    if (cur() == '$') {
      ++p_;
      while (isHexDigit(cur())) {
        code = code * 16 + static_cast<std::uint32_t>(hexValue(cur()));
        if (code > 0xFFFF) {
          tooBig = true;
          code = 0xFFFF;
        }
        any = true;
        ++p_;
      }
    } else {
      while (isDigit(cur())) {
        code = code * 10 + (cur() - '0');
        if (code > 0xFFFF) {
          tooBig = true;
          code = 0xFFFF;
        }
        any = true;
        ++p_;
      }
    }
    if (!any || isIdentChar(cur())) fail(start, "bad character code");
    if (tooBig) fail(start, "bad character code: above 65535");
    out.push_back(static_cast<char16_t>(code));
  }

  FormValue parseSet() {
    FormValue v;
    v.kind = FormValue::Kind::Set;
    ++p_;
    skipSpace();
    if (cur() == ']') {
      ++p_;
      return v;
    }
    for (;;) {
      skipSpace();
      if (atEnd()) fail(here(), "unexpected end of file inside set");
      v.set.push_back(readIdent(false, "set element"));
      skipSpace();
      if (cur() == ']') {
        ++p_;
        return v;
      }
      if (atEnd()) fail(here(), "unexpected end of file inside set");
      if (cur() != ',') {
        fail(here(),
             "expected ',' or ']' in set, found " + describeChar(cur()));
      }
      ++p_;
    }
  }

  FormValue parseList(int depth) {
    FormValue v;
    v.kind = FormValue::Kind::List;
    ++p_;
    for (;;) {
      skipSpace();
      if (atEnd()) fail(here(), "unexpected end of file inside list");
      if (cur() == ')') {
        ++p_;
        return v;
      }
      v.list.push_back(parseValue(depth));
    }
  }

  FormValue parseCollection(int depth) {
    FormValue v;
    v.kind = FormValue::Kind::Collection;
    ++p_;
    for (;;) {
      skipSpace();
      if (atEnd()) fail(here(), "unexpected end of file inside collection");
      if (cur() == '>') {
        ++p_;
        return v;
      }
      std::string_view word = peekWord();
      if (!SameText(word, "item")) {
        fail(here(), "expected 'item' or '>' in collection");
      }
      FormCollectionItem item;
      item.pos = here();
      p_ += word.size();
      skipSpace();
      if (cur() == '[') {
        ++p_;
        skipSpace();
        item.index = readIndex("item index");
      }
      for (;;) {
        skipSpace();
        if (atEnd()) {
          fail(here(), "unexpected end of file inside collection item");
        }
        std::string_view name = peekWord();
        if (SameText(name, "end")) {
          p_ += name.size();
          break;
        }
        if (name.empty() && !isIdentStart(cur())) {
          fail(here(),
               "expected property name or 'end' in collection item, "
               "found " +
                   describeChar(cur()));
        }
        item.props.push_back(parseProperty(depth));
      }
      v.items.push_back(std::move(item));
    }
  }

  FormValue parseBinary() {
    FormValue v;
    v.kind = FormValue::Kind::Binary;
    ++p_;
    int pending = -1;
    SourcePos pendingPos;
    for (;;) {
      skipSpace();
      if (atEnd()) fail(here(), "unexpected end of file inside binary data");
      unsigned char c = cur();
      if (c == '}') {
        if (pending >= 0) fail(pendingPos, "odd number of hex digits");
        ++p_;
        return v;
      }
      if (!isHexDigit(c)) {
        fail(here(), "bad hex digit " + describeChar(c) + " in binary data");
      }
      if (pending < 0) {
        pending = hexValue(c);
        pendingPos = here();
      } else {
        v.bytes.push_back(
            static_cast<std::uint8_t>(pending * 16 + hexValue(c)));
        pending = -1;
      }
      ++p_;
    }
  }
};

// ---- Writing

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

std::vector<std::string> normalisedSet(const std::vector<std::string>& set) {
  std::vector<std::string> out;
  out.reserve(set.size());
  for (const std::string& e : set) out.push_back(UpperCase(e));
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
  return out;
}

bool sameProps(const std::vector<FormProperty>& a,
               const std::vector<FormProperty>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (!SameText(a[i].name, b[i].name) || a[i].value != b[i].value) {
      return false;
    }
  }
  return true;
}

}  // namespace

FormValue FormValue::Int(std::int64_t v) {
  FormValue r;
  r.kind = Kind::Integer;
  r.integer = v;
  return r;
}

FormValue FormValue::Real(long double v) {
  FormValue r;
  r.kind = Kind::Float;
  r.real = v;
  return r;
}

FormValue FormValue::Str(std::u16string v) {
  FormValue r;
  r.kind = Kind::String;
  r.str = std::move(v);
  return r;
}

FormValue FormValue::Utf8(std::string_view v) { return Str(Utf8ToUtf16(v)); }

FormValue FormValue::Identifier(std::string v) {
  FormValue r;
  r.kind = Kind::Ident;
  r.text = std::move(v);
  return r;
}

FormValue FormValue::SetOf(std::vector<std::string> elements) {
  FormValue r;
  r.kind = Kind::Set;
  r.set = std::move(elements);
  return r;
}

// Names in form files are case-insensitive and set elements unordered, so
// equality follows the framework rather than the spelling.
bool FormValue::operator==(const FormValue& other) const {
  if (kind != other.kind) return false;
  switch (kind) {
    case Kind::Integer:
      return integer == other.integer;
    case Kind::Float:
      return real == other.real || (std::isnan(real) && std::isnan(other.real));
    case Kind::String:
      return str == other.str;
    case Kind::Ident:
      return SameText(text, other.text);
    case Kind::Set:
      return normalisedSet(set) == normalisedSet(other.set);
    case Kind::List:
      return list == other.list;
    case Kind::Collection:
      if (items.size() != other.items.size()) return false;
      for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i].index != other.items[i].index ||
            !sameProps(items[i].props, other.items[i].props)) {
          return false;
        }
      }
      return true;
    case Kind::Binary:
      return bytes == other.bytes;
  }
  return false;
}

std::unique_ptr<FormObject> ParseFormText(std::string_view text,
                                          const std::string& fileName) {
  return Parser(text, fileName).parseDocument();
}

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
