// The component's roundings decide on exact values: half-up and truncation
// of int x factor and int / factor, and factors as the Double nearest to a
// ratio of integers. The results must not depend on the width of long
// double: this file is also built with -mlong-double-64 where the compiler
// allows it (flexarium_rounding_ld64_tests), and must pass there too.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>

#include "case_names.h"
#include "unit/rounding.h"

namespace flx::unit {
namespace {

constexpr int kMin = std::numeric_limits<int>::min();
constexpr int kMax = std::numeric_limits<int>::max();

struct Case {
  const char* name;
  int a;
  double f;
  int expected;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

const double kTwoThirds = RatioNearest(2, 3);  // just below 2/3
const double kSixth = RatioNearest(1, 6);      // just below 1/6
const double kThird = RatioNearest(1, 3);      // just below 1/3

class HalfUpOfAProduct : public ::testing::TestWithParam<Case> {};
TEST_P(HalfUpOfAProduct, RoundsTheExactValue) {
  EXPECT_EQ(HalfUpProduct(GetParam().a, GetParam().f), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(
    Rounding, HalfUpOfAProduct,
    ::testing::Values(
        Case{"112.5 gives 113", 75, 1.5, 113},
        Case{"31.5 gives 32", 21, 1.5, 32}, Case{"2.49 gives 2", 249, 0.01, 2},
        Case{"-7.5 gives -7", -15, 0.5, -7},
        Case{"-2.7 gives -2", -27, 0.1, -2}, Case{"-0.7 gives 0", -7, 0.1, 0},
        Case{"just below a half gives 0", 3, kSixth, 0},
        Case{"just above a half gives 1", 5, 0.1, 1},
        Case{"just below -1.5 gives 0", -9, kSixth, 0},
        Case{"just above 11.5 gives 12", 23, std::nextafter(0.5, 1.0), 12},
        Case{"just below 11.5 gives 11", 23, std::nextafter(0.5, 0.0), 11},
        Case{"zero factor", 1234, 0.0, 0},
        Case{"beyond the Integer range", kMax, 2.0, kMax},
        Case{"below the Integer range", kMin, 2.0, kMin},
        Case{"an infinite factor", 3, HUGE_VAL, kMax}),
    testnames::ByName());

class TruncationOfAProduct : public ::testing::TestWithParam<Case> {};
TEST_P(TruncationOfAProduct, TruncatesTheExactValue) {
  EXPECT_EQ(TruncProduct(GetParam().a, GetParam().f), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(
    Rounding, TruncationOfAProduct,
    ::testing::Values(
        Case{"a font of 12 at 2/3 gives 7", 12, kTwoThirds, 7},
        Case{"11.6 gives 11", 8, 1.45, 11}, Case{"0.8 gives 0", 8, 0.1, 0},
        Case{"-12 stays", -8, 1.5, -12},
        Case{"just below 1 gives 0", 3, kThird, 0},
        Case{"just above -1 gives 0", -3, kThird, 0},
        Case{"just above 3 gives 3", 3, std::nextafter(1.0, 2.0), 3},
        Case{"just below -3 gives -3", -3, std::nextafter(1.0, 2.0), -3},
        Case{"beyond the Integer range", kMax, 1.5, kMax},
        Case{"not a number", 3, std::nan(""), 0}),
    testnames::ByName());

class HalfUpOfAQuotient : public ::testing::TestWithParam<Case> {};
TEST_P(HalfUpOfAQuotient, RoundsTheExactValue) {
  EXPECT_EQ(HalfUpQuotient(GetParam().a, GetParam().f), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(
    Rounding, HalfUpOfAQuotient,
    ::testing::Values(
        Case{"15 / 2 gives 8", 15, 2.0, 8},
        Case{"-15 / 2 gives -7", -15, 2.0, -7},
        Case{"-3.7 gives -3", -37, 10.0, -3},
        Case{"96 to 144 DPI: 100 gives 150", 100, RatioNearest(96, 144), 150},
        Case{"96 to 144 DPI: 75 gives 113", 75, RatioNearest(96, 144), 113},
        Case{"96 to 144 DPI: 9 gives 14", 9, RatioNearest(96, 144), 14},
        Case{"96 to 120 DPI: 9 gives 11", 9, RatioNearest(96, 120), 11},
        Case{"just below a half gives 0", 1, std::nextafter(2.0, 3.0), 0},
        Case{"just above a half gives 1", 1, std::nextafter(2.0, 1.0), 1},
        Case{"15 at 1.5 gives 10", 15, 1.5, 10},
        Case{"a negative factor", 15, -2.0, -7},
        Case{"a tiny factor saturates", 5, 1e-300, kMax}),
    testnames::ByName());

TEST(RatioNearest, IsTheCorrectlyRoundedQuotient) {
  // Below 2^53 both numbers are exact Doubles, and IEEE division rounds
  // correctly: the two must agree.
  for (std::int64_t num = -300; num <= 3000; num += 7) {
    for (std::int64_t den : {1, 3, 7, 96, 144, 600, 800 * 96, 1280 * 120}) {
      EXPECT_EQ(RatioNearest(num, den),
                static_cast<double>(num) / static_cast<double>(den))
          << num << " / " << den;
      EXPECT_EQ(RatioNearest(num, -den),
                -static_cast<double>(num) / static_cast<double>(den));
    }
  }
  const std::int64_t big = std::int64_t{1} << 62;
  // Doubles lie 1024 apart there; ties go to the even neighbour.
  EXPECT_EQ(RatioNearest(big + 1, 1), std::ldexp(1.0, 62));
  EXPECT_EQ(RatioNearest(big + 512, 1), std::ldexp(1.0, 62));
  EXPECT_EQ(RatioNearest(big + 513, 1), std::ldexp(1.0, 62) + 1024);
  EXPECT_EQ(RatioNearest(big + 1536, 1), std::ldexp(1.0, 62) + 2048);
  EXPECT_EQ(RatioNearest(3, big), std::ldexp(3.0, -62));
  EXPECT_EQ(RatioNearest(std::int64_t{65535} * kMax, 3),
            static_cast<double>(std::int64_t{65535} * kMax / 3));
  EXPECT_EQ(RatioNearest(0, 5), 0.0);
  EXPECT_EQ(RatioNearest(5, 0), 0.0);
}

// With an 80-bit long double the old extended-precision arithmetic gave
// these results; the exact one gives the same for every bound and font of
// typical forms (the factors themselves may differ in the last bit, where
// three roundings fall differently from one).
TEST(RatioNearest, AgreesWithExtendedPrecisionOnEveryResult) {
  if (LDBL_MANT_DIG < 64) GTEST_SKIP() << "long double is no wider here";
  const int dpi[][2] = {{96, 96}, {96, 144}, {144, 96}, {96, 120}};
  int differing = 0;
  for (int design : {800, 640, 437}) {
    for (const auto& d : dpi) {
      for (int cw = 1; cw <= 2000; cw += 3) {
        const double extended =
            static_cast<double>((static_cast<long double>(cw) / design) *
                                (static_cast<long double>(d[0]) / d[1]));
        const double exact =
            RatioNearest(std::int64_t{cw} * d[0], std::int64_t{design} * d[1]);
        for (int base = -20; base <= 800; ++base) {
          const long double v = base * static_cast<long double>(extended);
          differing += HalfUpProduct(base, exact) != static_cast<int>(v + 0.5L);
          if (base <= 72) {
            differing += TruncProduct(base, exact) != static_cast<int>(v);
          }
        }
      }
    }
  }
  EXPECT_EQ(differing, 0);
}

}  // namespace
}  // namespace flx::unit
