// The lexical rules of the text form-file format that the parser and the
// writer share: character classes, identifiers and number literals. The
// writer checks with them that what it writes reads back the same.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace flx::formtext {

inline bool isDigit(unsigned char c) { return c >= '0' && c <= '9'; }

inline bool isHexDigit(unsigned char c) {
  return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

inline int hexValue(unsigned char c) {
  if (isDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return c - 'A' + 10;
}

// Bytes >= 0x80 are accepted so that UTF-8 names survive unchanged.
inline bool isIdentStart(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' ||
         c >= 0x80;
}

inline bool isIdentChar(unsigned char c) {
  return isIdentStart(c) || isDigit(c);
}

inline bool isSpace(unsigned char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' ||
         c == '\f';
}

// Length of the dotted identifier starting at `p`, or 0 when there is none
// or a dot is not followed by another segment.
std::size_t scanIdent(std::string_view s, std::size_t p, bool dotted);

bool isIdent(std::string_view s, bool dotted);

// Words that would be read back as structure instead of a property name:
// objects end at 'end' or start children with the other three, while
// collection items only end at 'end'.
bool isStructureKeyword(std::string_view s, bool inItem);

enum class NumError { None, Bad, IntRange, FloatRange };

struct NumScan {
  NumError error = NumError::None;
  std::size_t end = 0;
  bool isFloat = false;
  bool isHex = false;
  std::int64_t integer = 0;
  long double real = 0;
};

// Reads an integer or float literal at `p` ('-', a digit or '$').
NumScan scanNumber(std::string_view s, std::size_t p);

}  // namespace flx::formtext
