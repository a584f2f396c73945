// The lexical rules the parser and the writer share (form_text_scan.h).
#include "formtext/form_text_scan.h"

#include <charconv>
#include <system_error>

#include "flexarium/sysutils.h"

namespace flx::formtext {

namespace {

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

}  // namespace

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

bool isStructureKeyword(std::string_view s, bool inItem) {
  return SameText(s, "end") ||
         (!inItem && (SameText(s, "object") || SameText(s, "inherited") ||
                      SameText(s, "inline")));
}

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

}  // namespace flx::formtext
