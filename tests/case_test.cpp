// Letter case in the run-time library: names compare without regard to case
// for every letter the framework accepts in a name, not only for ASCII.
#include <gtest/gtest.h>

#include <string>

#include "case_names.h"
#include "flexarium/sysutils.h"

namespace flx {
namespace {

struct CaseFoldCase {
  const char* name;
  const char* a;
  const char* b;
  bool same;
};

void PrintTo(const CaseFoldCase& c, std::ostream* os) { *os << c.name; }

class SameTextIgnoresCase : public ::testing::TestWithParam<CaseFoldCase> {};

TEST_P(SameTextIgnoresCase, ForEveryLetterOfAName) {
  const CaseFoldCase& c = GetParam();
  EXPECT_EQ(SameText(c.a, c.b), c.same);
  EXPECT_EQ(SameText(c.b, c.a), c.same);
  EXPECT_EQ(UpperCase(c.a) == UpperCase(c.b), c.same);
  EXPECT_EQ(LowerCase(c.a) == LowerCase(c.b), c.same);
}

INSTANTIATE_TEST_SUITE_P(
    Letters, SameTextIgnoresCase,
    ::testing::Values(
        CaseFoldCase{"ascii", "Button1", "BUTTON1", true},
        CaseFoldCase{"ascii differs", "Button1", "Button2", false},
        CaseFoldCase{"latin1 umlaut", "\u00e4rger", "\u00c4rger", true},
        CaseFoldCase{"latin1 thorn", "\u00fe", "\u00de", true},
        CaseFoldCase{"latin1 y diaeresis to Latin A", "\u00ff", "\u0178", true},
        CaseFoldCase{"multiply and divide signs are no pair", "\u00d7",
                     "\u00f7", false},
        CaseFoldCase{"sharp s has no single capital", "\u00df", "SS", false},
        CaseFoldCase{"latin extended-a", "\u0142\u00f3d\u017a",
                     "\u0141\u00d3D\u0179", true},
        CaseFoldCase{"latin extended-a odd pairs", "\u013e", "\u013d", true},
        CaseFoldCase{"latin extended-b", "\u01ce\u0219", "\u01cd\u0218", true},
        CaseFoldCase{"greek", "\u03b1\u03b2\u03b3\u03ac",
                     "\u0391\u0392\u0393\u0386", true},
        CaseFoldCase{"greek final sigma", "\u03c2", "\u03a3", true},
        CaseFoldCase{"cyrillic", "\u0434\u043e\u043c\u0451",
                     "\u0414\u041e\u041c\u0401", true},
        CaseFoldCase{"cyrillic extended", "\u0491\u04e9", "\u0490\u04e8", true},
        CaseFoldCase{"different letters", "\u00e4", "\u00e5", false},
        CaseFoldCase{"letter and its ascii base", "\u00e4", "a", false},
        CaseFoldCase{"different lengths", "\u00c4", "\u00e4x", false}),
    testnames::ByName());

TEST(UpperCase, AsciiAndBrokenBytesStayAsTheyWere) {
  std::string all;
  for (int c = 1; c < 0x80; ++c) all.push_back(static_cast<char>(c));
  std::string expected = all;
  for (char& c : expected) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  EXPECT_EQ(UpperCase(all), expected);
  EXPECT_EQ(UpperCase("\u00e4rger"), "\u00c4RGER");
  // Bytes that are no UTF-8 are kept, the letters around them folded.
  EXPECT_EQ(UpperCase("a\xff\xc3z"), "A\xff\xc3Z");
  EXPECT_EQ(UpperCase("\xe4rger"), "\xe4RGER");
  EXPECT_TRUE(SameText("a\xff", "A\xff"));
  EXPECT_FALSE(SameText("\xe4", "\xc4"));
  // The locale test upper-cases ASCII only, as it always did.
  EXPECT_EQ(AnsiUpperCase("jpn\u00e4"), "JPN\u00e4");
}

// Window class names: only ASCII letters fold, as Windows compares them.
TEST(SameAsciiText, FoldsAsciiLettersOnly) {
  struct Case {
    const char16_t* a;
    const char16_t* b;
    bool same;
  };
  for (const Case& c : {
           Case{u"SysListView32", u"SYSLISTVIEW32", true},
           Case{u"#32770", u"#32770", true},
           Case{u"", u"", true},
           Case{u"Edit", u"Edit ", false},
           Case{u"Edit", u"Edir", false},
           Case{u"\u00e9dit", u"\u00c9DIT", false},
           Case{u"[", u"{", false},
       }) {
    SCOPED_TRACE(Utf16ToUtf8(c.a) + " ~ " + Utf16ToUtf8(c.b));
    EXPECT_EQ(SameAsciiText(c.a, c.b), c.same);
    EXPECT_EQ(SameAsciiText(c.b, c.a), c.same);
  }
}

}  // namespace
}  // namespace flx
