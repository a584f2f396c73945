// The run-time library below everything: exceptions, string helpers,
// UTF-8/16, MulDiv and the application's exception handler. It knows no
// window system.
#include "flexarium/sysutils.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iostream>

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

std::string AnsiUpperCase(std::string_view s) { return UpperCase(s); }

std::string UpperCase(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

std::string LowerCase(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
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
