// The framework's run-time library: exception classes, string helpers,
// version queries and the internal-invariant check.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace flx {

// Base of every framework exception. Message is UTF-8.
class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message)
      : std::runtime_error(message) {}
  std::string Message() const { return what(); }
};

// A refused operation or property value (the framework's EInvalidOperation).
class EInvalidOperation : public Exception {
 public:
  using Exception::Exception;
};

// Component naming errors: an invalid identifier or a duplicate name.
class EComponentError : public Exception {
 public:
  using Exception::Exception;
};

// A value that cannot be converted (bad property value type, bad number).
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

// Position in a form file: 1-based line and column (in bytes).
struct SourcePos {
  int line = 0;
  int column = 0;
};

// Errors while reading or writing a form file. what() is
// "FILE:LINE:COL: error: MESSAGE" when a position is known.
class EFilerError : public Exception {
 public:
  EFilerError(std::string file, SourcePos pos, std::string message);
  const std::string& file() const { return file_; }
  SourcePos pos() const { return pos_; }
  const std::string& detail() const { return detail_; }

 private:
  std::string file_;
  SourcePos pos_;
  std::string detail_;
};

// Syntax errors of the text form-file format.
class EParserError : public EFilerError {
 public:
  using EFilerError::EFilerError;
};

// Errors while building components from a form file (unknown ancestor, a
// refused property value, a bad property type...).
class EReadError : public EFilerError {
 public:
  using EFilerError::EFilerError;
};

// Raised by FLX_ASSERT when tests turn assertions into exceptions.
class EAssertionFailed : public Exception {
 public:
  using Exception::Exception;
};

namespace detail {
[[noreturn]] void assertionFailed(const char* expr, const char* file, int line);
}

// Internal invariants. Define FLX_ASSERT before including to override.
#ifndef FLX_ASSERT
#define FLX_ASSERT(cond) \
  ((cond) ? (void)0 : ::flx::detail::assertionFailed(#cond, __FILE__, __LINE__))
#endif

// ASCII upper-casing (the framework's AnsiUpperCase for the characters the
// locale test can meet).
std::string AnsiUpperCase(std::string_view s);
// Upper and lower case of UTF-8 text: ASCII letters and the letters of
// Latin-1, Latin Extended-A/B, Greek and Cyrillic; other bytes are kept.
// The length never changes.
std::string UpperCase(std::string_view s);
std::string LowerCase(std::string_view s);
// Comparison without regard to letter case (as UpperCase folds it): the
// one the framework uses for names.
bool SameText(std::string_view a, std::string_view b);
// UTF-16 texts compared without regard to the case of ASCII letters, as
// Windows compares window class names.
bool SameAsciiText(std::u16string_view a, std::u16string_view b);
// Removes leading and trailing characters <= ' '.
std::string Trim(std::string_view s);
// Letters, digits and '_' not starting with a digit (UTF-8 letters allowed).
bool IsValidIdent(std::string_view s);

// UTF-8 <-> UTF-16. Lone surrogates round-trip (encoded as three bytes).
std::u16string Utf8ToUtf16(std::string_view s);
std::string Utf16ToUtf8(std::u16string_view s);
// Appends one code point (at most U+10FFFF) as UTF-16: a surrogate pair
// above U+FFFF, else one code unit.
void AppendUtf16(std::u16string& out, char32_t cp);

// Windows' MulDiv: a * b / c rounded half away from zero; -1 when c is 0
// or the result does not fit an int.
int MulDiv(int a, int b, int c);

// The running Windows version, read from the current window system (so
// defined by the window-system layer, src/host/version.cpp).
int Win32MajorVersion();
int Win32MinorVersion();
bool CheckWin32Version(int major, int minor = 0);

// The application's handler for errors that must not propagate (inside a
// window procedure). Without one the message goes to standard error.
using TExceptionHandler = std::function<void(const std::exception&)>;
TExceptionHandler SetExceptionHandler(TExceptionHandler handler);
void HandleException(const std::exception& e);

// Number of live framework objects (TObject descendants); tests use it to
// catch leaks.
std::int64_t LiveObjectCount();

}  // namespace flx
