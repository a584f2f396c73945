// Parsing the text form-file format into a document: every object,
// property and value with its position; errors name the line and column.
#include <algorithm>
#include <climits>
#include <string>
#include <utility>
#include <vector>

#include "flexarium/form_text.h"
#include "formtext/form_text_scan.h"

namespace flx {

using namespace formtext;

namespace {

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
  AppendUtf16(out, cp);
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
  Parser(std::string_view text, const std::string& fileName,
         std::vector<EParserError>* recovered)
      : text_(text), fileName_(fileName), recovered_(recovered) {}

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
  std::vector<EParserError>* recovered_;
  std::size_t p_ = 0;
  int line_ = 1;
  std::size_t lineStart_ = 0;

  // Where a property starts, to skip it whole when it has an error.
  struct Mark {
    std::size_t p;
    int line;
    std::size_t lineStart;
  };

  // Moves from `start` past the end of the property there: the first line
  // break outside brackets, strings and binary data at or after `failedAt`.
  // False when the file ends first (nothing after it can be read).
  bool skipProperty(const Mark& start, std::size_t failedAt) {
    p_ = start.p;
    line_ = start.line;
    lineStart_ = start.lineStart;
    int depth = 0;
    bool quoted = false;
    for (; !atEnd(); ++p_) {
      const char c = text_[p_];
      if (c == '\n') {
        if (line_ < INT_MAX) ++line_;
        lineStart_ = p_ + 1;
        quoted = false;  // a string ends with its line
        if (depth == 0 && p_ >= failedAt) {
          ++p_;
          return true;
        }
      } else if (c == '\'') {
        quoted = !quoted;  // '' inside a string toggles twice
      } else if (!quoted && (c == '(' || c == '<' || c == '{' || c == '[')) {
        ++depth;
      } else if (!quoted && (c == ')' || c == '>' || c == '}' || c == ']')) {
        depth = std::max(depth - 1, 0);
      }
    }
    return false;
  }

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
        if (!inChildren) obj->props.shrink_to_fit();
        return obj;
      }
      if (SameText(word, "object") || SameText(word, "inherited") ||
          SameText(word, "inline")) {
        // A property is large and a form may hold thousands of objects: no
        // room to spare once the properties are all read.
        if (!inChildren) obj->props.shrink_to_fit();
        inChildren = true;
        obj->children.push_back(parseObject(depth + 1));
        continue;
      }
      const Mark start{p_, line_, lineStart_};
      try {
        if (word.empty() && !isIdentStart(cur())) {
          fail(here(), "expected property name, child object or 'end', found " +
                           describeChar(cur()));
        }
        if (inChildren && !word.empty()) {
          fail(here(),
               "property '" + std::string(word) + "' after child objects");
        }
        obj->props.push_back(parseProperty(depth));
      } catch (const EParserError& e) {
        if (recovered_ == nullptr || !skipProperty(start, p_)) throw;
        recovered_->push_back(e);
      }
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
    const bool hex = cur() == '$';
    if (hex) ++p_;
    while (hex ? isHexDigit(cur()) : isDigit(cur())) {
      code =
          code * (hex ? 16 : 10) + static_cast<std::uint32_t>(hexValue(cur()));
      if (code > 0xFFFF) {
        tooBig = true;
        code = 0xFFFF;
      }
      any = true;
      ++p_;
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

}  // namespace

std::unique_ptr<FormObject> ParseFormText(std::string_view text,
                                          const std::string& fileName) {
  return Parser(text, fileName, nullptr).parseDocument();
}

std::unique_ptr<FormObject> ParseFormText(
    std::string_view text, const std::string& fileName,
    std::vector<EParserError>& recovered) {
  return Parser(text, fileName, &recovered).parseDocument();
}

}  // namespace flx
