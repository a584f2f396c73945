#include <gtest/gtest.h>

#include <string>

#include "flexarium/sysutils.h"

namespace {

struct Utf8Case {
  const char* name;
  std::string utf8;
  std::u16string utf16;
};

void PrintTo(const Utf8Case& c, std::ostream* os) { *os << c.name; }

class Utf8ToUtf16 : public ::testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8ToUtf16, DecodesOrReplacesWithFFFD) {
  EXPECT_EQ(flx::Utf8ToUtf16(GetParam().utf8), GetParam().utf16);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Utf8ToUtf16,
    ::testing::Values(
        Utf8Case{"Ascii", "Ab1", u"Ab1"},
        Utf8Case{"TwoBytes", "\xC3\xA9", u"\u00E9"},
        Utf8Case{"ThreeBytes", "\xE2\x82\xAC", u"\u20AC"},
        Utf8Case{"FourBytesMakeASurrogatePair", "\xF0\x9F\x98\x80",
                 u"\xD83D\xDE00"},
        Utf8Case{"LastCodePoint", "\xF4\x8F\xBF\xBF", u"\xDBFF\xDFFF"},
        Utf8Case{"BeyondU10FFFF", "a\xF4\x90\x80\x80z", u"a\uFFFDz"},
        Utf8Case{"LargestFourByteForm", "\xF7\xBF\xBF\xBF", u"\uFFFD"},
        Utf8Case{"StrayContinuationByte", "a\x80z", u"a\uFFFDz"},
        Utf8Case{"LeadByteWithoutContinuation", "a\xC3z", u"a\uFFFDz"},
        Utf8Case{"ShortSequenceBeforeTheEnd", "x\xE2y", u"x\uFFFDy"},
        Utf8Case{"CutOffAtTheEnd", "x\xE2\x82", u"x\uFFFD"},
        Utf8Case{"InvalidLeadByte", "\xFFok", u"\uFFFDok"}),
    [](const auto& info) { return std::string(info.param.name); });

// Lone surrogates are kept (three bytes each) so that any window text
// survives a trip through UTF-8.
TEST(Utf, RoundTripsEveryUtf16String) {
  const std::u16string texts[] = {
      u"",       u"plain",    u"\u00E9\u20AC", u"\xD83D\xDE00",
      u"\xD800", u"a\xDC00z", u"\xDBFF\xDFFF"};
  for (const std::u16string& text : texts) {
    EXPECT_EQ(flx::Utf8ToUtf16(flx::Utf16ToUtf8(text)), text);
  }
  EXPECT_EQ(flx::Utf16ToUtf8(u"\xD800"), "\xED\xA0\x80");
}

}  // namespace
