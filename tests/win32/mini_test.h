// A minimal test runner for the native tests (no GoogleTest is built for
// MinGW-w64). TEST registers a case, CHECK and CHECK_EQ record failures and
// go on, REQUIRE stops the case. MINI_TEST_MAIN() runs every case (or those
// whose name contains argv[1]) and prints "N passed, M failed".
#pragma once

#include <cstdio>
#include <exception>
#include <ostream>
#include <sstream>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace mini {

struct Case {
  const char* name;
  void (*body)();
};

inline std::vector<Case>& cases() {
  static std::vector<Case> all;
  return all;
}

struct Registrar {
  Registrar(const char* name, void (*body)()) {
    cases().push_back(Case{name, body});
  }
};

// Failures of the running case.
inline int& failures() {
  static int n = 0;
  return n;
}

// A labelled row of a table-driven case, printed with its failures.
inline std::vector<std::string>& scopes() {
  static std::vector<std::string> s;
  return s;
}

struct Scope {
  explicit Scope(std::string label) { scopes().push_back(std::move(label)); }
  ~Scope() { scopes().pop_back(); }
  Scope(const Scope&) = delete;
  Scope& operator=(const Scope&) = delete;
};

// Thrown by REQUIRE to end the running case.
struct Stop {};

template <typename T>
std::string show(const T& v) {
  if constexpr (std::is_pointer_v<T>) {
    std::ostringstream out;
    out << static_cast<const void*>(v);
    return out.str();
  } else if constexpr (std::is_enum_v<T>) {
    return std::to_string(static_cast<long long>(v));
  } else if constexpr (requires(std::ostream & o) { o << v; }) {
    std::ostringstream out;
    out << v;
    return out.str();
  } else {
    return "(value)";
  }
}

inline std::string show(const std::u16string& v) {
  std::string s;
  for (char16_t c : v) {
    if (c < 0x80) {
      s += static_cast<char>(c);
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(c));
      s += buf;
    }
  }
  return s;
}

// Integers of different signedness compare by value.
template <typename A, typename B>
bool equal(const A& a, const B& b) {
  if constexpr (std::is_integral_v<A> && std::is_integral_v<B> &&
                !std::is_same_v<A, bool> && !std::is_same_v<B, bool>) {
    return std::cmp_equal(a, b);
  } else {
    return a == b;
  }
}

inline void fail(const char* file, int line, const std::string& what) {
  ++failures();
  std::printf("%s:%d: FAILED: %s", file, line, what.c_str());
  for (const std::string& s : scopes()) std::printf(" [%s]", s.c_str());
  std::printf("\n");
}

inline int run(int argc, char** argv) {
  const std::string_view filter = argc > 1 ? argv[1] : "";
  int passed = 0;
  int failed = 0;
  for (const Case& c : cases()) {
    if (!filter.empty() &&
        std::string_view(c.name).find(filter) == std::string_view::npos) {
      continue;
    }
    failures() = 0;
    try {
      c.body();
    } catch (const Stop&) {
    } catch (const std::exception& e) {
      fail(c.name, 0, std::string("exception: ") + e.what());
    } catch (...) {
      fail(c.name, 0, "unknown exception");
    }
    scopes().clear();
    if (failures() == 0) {
      ++passed;
    } else {
      ++failed;
      std::printf("[ FAILED ] %s\n", c.name);
    }
    std::fflush(stdout);
  }
  std::printf("%d passed, %d failed\n", passed, failed);
  std::fflush(stdout);
  return failed == 0 ? 0 : 1;
}

}  // namespace mini

#define MINI_CAT2(a, b) a##b
#define MINI_CAT(a, b) MINI_CAT2(a, b)

#define TEST(name)                                          \
  static void MINI_CAT(mini_test_, name)();                 \
  static const ::mini::Registrar MINI_CAT(mini_reg_, name){ \
      #name, &MINI_CAT(mini_test_, name)};                  \
  static void MINI_CAT(mini_test_, name)()

#define CHECK(cond)                                                    \
  do {                                                                 \
    if (!(cond)) ::mini::fail(__FILE__, __LINE__, "CHECK(" #cond ")"); \
  } while (0)

#define CHECK_EQ(a, b)                                                    \
  do {                                                                    \
    const auto& mini_a_ = (a);                                            \
    const auto& mini_b_ = (b);                                            \
    if (!::mini::equal(mini_a_, mini_b_)) {                               \
      ::mini::fail(__FILE__, __LINE__,                                    \
                   "CHECK_EQ(" #a ", " #b "): " + ::mini::show(mini_a_) + \
                       " vs " + ::mini::show(mini_b_));                   \
    }                                                                     \
  } while (0)

#define REQUIRE(cond)                                         \
  do {                                                        \
    if (!(cond)) {                                            \
      ::mini::fail(__FILE__, __LINE__, "REQUIRE(" #cond ")"); \
      throw ::mini::Stop{};                                   \
    }                                                         \
  } while (0)

#define SCOPED(label) const ::mini::Scope MINI_CAT(mini_scope_, __LINE__)(label)

#define MINI_TEST_MAIN() \
  int main(int argc, char** argv) { return ::mini::run(argc, argv); }
