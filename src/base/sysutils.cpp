// The run-time library below everything: exceptions, string helpers,
// UTF-8/16, MulDiv and the application's exception handler. It knows no
// window system.
#include "flexarium/sysutils.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <limits>

namespace flx {

namespace {
std::string filerWhat(const std::string& file, SourcePos pos,
                      const std::string& message) {
  std::string out = file;
  if (pos.line > 0) {
    out += ':' + std::to_string(pos.line) + ':' + std::to_string(pos.column);
  }
  if (!out.empty()) out += ": ";
  out += "error: " + message;
  return out;
}
}  // namespace

EFilerError::EFilerError(std::string file, SourcePos pos, std::string message)
    : Exception(filerWhat(file, pos, message)),
      file_(std::move(file)),
      pos_(pos),
      detail_(std::move(message)) {}

namespace detail {
void assertionFailed(const char* expr, const char* file, int line) {
  throw EAssertionFailed(std::string("assertion failed: ") + expr + " at " +
                         file + ":" + std::to_string(line));
}
}  // namespace detail

// ---- Letter case

namespace {

// Upper and lower case of the letters a name may hold beyond ASCII: Latin-1,
// the Latin Extended-A and -B pairs, Greek and Cyrillic. Every one of them,
// and its partner, lies between U+0080 and U+07FF, so folding keeps a
// character's two UTF-8 bytes and a string's length.

// Blocks where the lower-case letter lies `delta` above its capital.
struct Shifted {
  char32_t first, last;  // the lower-case letters
  char32_t delta;
};
constexpr Shifted kShifted[] = {{0x00E0, 0x00F6, 0x20}, {0x00F8, 0x00FE, 0x20},
                                {0x03AD, 0x03AF, 0x25}, {0x03B1, 0x03C1, 0x20},
                                {0x03C3, 0x03CB, 0x20}, {0x03CD, 0x03CE, 0x3F},
                                {0x0430, 0x044F, 0x20}, {0x0450, 0x045F, 0x50}};

// Blocks of alternating pairs, each capital followed by its small letter.
struct Alternating {
  char32_t first, last;  // first is a capital
};
constexpr Alternating kAlternating[] = {
    {0x0100, 0x012F}, {0x0132, 0x0137}, {0x0139, 0x0148}, {0x014A, 0x0177},
    {0x0179, 0x017E}, {0x01CD, 0x01DC}, {0x01DE, 0x01EF}, {0x01F4, 0x01F5},
    {0x01F8, 0x021F}, {0x0222, 0x0233}, {0x0246, 0x024F}, {0x03D8, 0x03EF},
    {0x0460, 0x0481}, {0x048A, 0x04BF}, {0x04C1, 0x04CE}, {0x04D0, 0x052F}};

// Pairs outside any block: small letter, capital.
struct Single {
  char32_t lower, upper;
};
constexpr Single kSingles[] = {
    {0x00FF, 0x0178}, {0x03AC, 0x0386}, {0x03CC, 0x038C}, {0x04CF, 0x04C0},
    {0x01C6, 0x01C4}, {0x01C9, 0x01C7}, {0x01CC, 0x01CA}, {0x01F3, 0x01F1}};

char32_t upperOf(char32_t c) {
  for (const Shifted& b : kShifted) {
    if (c >= b.first && c <= b.last) return c - b.delta;
  }
  for (const Alternating& b : kAlternating) {
    if (c > b.first && c <= b.last && (c - b.first) % 2 == 1) return c - 1;
  }
  for (const Single& p : kSingles) {
    if (c == p.lower) return p.upper;
  }
  switch (c) {
    case 0x03C2:  // final sigma
      return 0x03A3;
    case 0x01C5:  // the title-case digraphs Dz, Lj, Nj, Dz
    case 0x01C8:
    case 0x01CB:
    case 0x01F2:
      return c - 1;
    default:
      return c;
  }
}

char32_t lowerOf(char32_t c) {
  for (const Shifted& b : kShifted) {
    if (c >= b.first - b.delta && c <= b.last - b.delta) return c + b.delta;
  }
  for (const Alternating& b : kAlternating) {
    if (c >= b.first && c < b.last && (c - b.first) % 2 == 0) return c + 1;
  }
  for (const Single& p : kSingles) {
    if (c == p.upper) return p.lower;
  }
  switch (c) {
    case 0x01C5:
    case 0x01C8:
    case 0x01CB:
    case 0x01F2:
      return c + 1;
    default:
      return c;
  }
}

// Folds every ASCII letter and every well-formed two-byte UTF-8 letter of
// `s` with `fold`; all other bytes stay as they are.
std::string foldCase(std::string_view s, char32_t (*fold)(char32_t)) {
  std::string out(s);
  for (std::size_t i = 0; i < out.size(); ++i) {
    const auto lead = static_cast<unsigned char>(out[i]);
    if (lead < 0x80) {
      out[i] = static_cast<char>(fold(lead));
      continue;
    }
    if (lead < 0xC2 || lead > 0xDF || i + 1 == out.size()) continue;
    const auto trail = static_cast<unsigned char>(out[i + 1]);
    if ((trail & 0xC0) != 0x80) continue;
    const char32_t c = fold(static_cast<char32_t>((lead & 0x1F) << 6) |
                            static_cast<char32_t>(trail & 0x3F));
    out[i] = static_cast<char>(0xC0 | (c >> 6));
    out[i + 1] = static_cast<char>(0x80 | (c & 0x3F));
    ++i;
  }
  return out;
}

char32_t asciiUpper(char32_t c) {
  return (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c;
}
char32_t asciiLower(char32_t c) {
  return (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c;
}
char32_t fullUpper(char32_t c) { return c < 0x80 ? asciiUpper(c) : upperOf(c); }
// Through the capital, so that lower-cased names compare as upper-cased ones
// do (final sigma meets sigma).
char32_t fullLower(char32_t c) {
  return c < 0x80 ? asciiLower(c) : lowerOf(upperOf(c));
}

}  // namespace

std::string AnsiUpperCase(std::string_view s) {
  return foldCase(s, &asciiUpper);
}

std::string UpperCase(std::string_view s) { return foldCase(s, &fullUpper); }

std::string LowerCase(std::string_view s) { return foldCase(s, &fullLower); }

bool SameAsciiText(std::u16string_view a, std::u16string_view b) {
  auto upper = [](char16_t c) {
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
  };
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [&](char16_t x, char16_t y) {
           return upper(x) == upper(y);
         });
}

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  // Folding keeps the length, so ASCII can be compared in place up to the
  // first byte beyond it.
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto x = static_cast<unsigned char>(a[i]);
    const auto y = static_cast<unsigned char>(b[i]);
    if (x >= 0x80 || y >= 0x80) {
      return UpperCase(a.substr(i)) == UpperCase(b.substr(i));
    }
    if (asciiUpper(x) != asciiUpper(y)) return false;
  }
  return true;
}

std::string Trim(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return std::string(s.substr(b, e - b));
}

bool IsValidIdent(std::string_view s) {
  if (s.empty()) return false;
  auto letter = [](unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' ||
           c >= 0x80;
  };
  if (!letter(static_cast<unsigned char>(s[0]))) return false;
  for (char ch : s) {
    auto c = static_cast<unsigned char>(ch);
    if (!letter(c) && !(c >= '0' && c <= '9')) return false;
  }
  return true;
}

std::u16string Utf8ToUtf16(std::string_view s) {
  std::u16string out;
  out.reserve(s.size());
  std::size_t i = 0;
  while (i < s.size()) {
    auto c = static_cast<unsigned char>(s[i]);
    char32_t cp;
    std::size_t len;
    if (c < 0x80) {
      cp = c;
      len = 1;
    } else if ((c & 0xE0) == 0xC0) {
      cp = c & 0x1F;
      len = 2;
    } else if ((c & 0xF0) == 0xE0) {
      cp = c & 0x0F;
      len = 3;
    } else if ((c & 0xF8) == 0xF0) {
      cp = c & 0x07;
      len = 4;
    } else {
      out.push_back(u'\uFFFD');
      ++i;
      continue;
    }
    // A lead byte without its continuation bytes stands alone: what follows
    // it is read again, so a character after a broken one is not lost.
    const std::size_t have = std::min(len, s.size() - i);
    bool ok = true;
    for (std::size_t k = 1; k < have; ++k) {
      auto cc = static_cast<unsigned char>(s[i + k]);
      if ((cc & 0xC0) != 0x80) {
        ok = false;
        break;
      }
      cp = (cp << 6) | (cc & 0x3F);
    }
    if (!ok) {
      out.push_back(u'\uFFFD');
      ++i;
      continue;
    }
    if (have < len) {  // cut off at the end
      out.push_back(u'\uFFFD');
      break;
    }
    i += len;
    // Beyond U+10FFFF there is no UTF-16 for it.
    AppendUtf16(out, cp <= 0x10FFFF ? cp : char32_t{0xFFFD});
  }
  return out;
}

void AppendUtf16(std::u16string& out, char32_t cp) {
  if (cp >= 0x10000) {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  } else {
    out.push_back(static_cast<char16_t>(cp));
  }
}

std::string Utf16ToUtf8(std::u16string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    char32_t cp = s[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < s.size() &&
        s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    }
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      // Lone surrogates land here too and come back unchanged.
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

int MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  long long p = static_cast<long long>(a) * b;
  long long q = p / c;
  long long r = p % c;
  // Round half away from zero.
  if (2 * std::llabs(r) >= std::llabs(static_cast<long long>(c))) {
    q += ((p < 0) != (c < 0)) ? -1 : 1;
  }
  if (q < std::numeric_limits<int>::min() ||
      q > std::numeric_limits<int>::max()) {
    return -1;
  }
  return static_cast<int>(q);
}

namespace {
TExceptionHandler& exceptionHandler() {
  static TExceptionHandler handler;
  return handler;
}
}  // namespace

TExceptionHandler SetExceptionHandler(TExceptionHandler handler) {
  TExceptionHandler previous = std::move(exceptionHandler());
  exceptionHandler() = std::move(handler);
  return previous;
}

void HandleException(const std::exception& e) {
  if (exceptionHandler()) {
    exceptionHandler()(e);
  } else {
    std::cerr << "flexarium: " << e.what() << '\n';
  }
}

}  // namespace flx
