// Form values themselves: equality as the form designer sees it (spelling
// and set order aside), and the helpers that make values.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "form_text_fixture.h"

namespace flx::formtest {
namespace {

struct EqualityCase {
  std::string label;
  FormValue a;
  FormValue b;
  bool equal;
};

void PrintTo(const EqualityCase& c, std::ostream* os) { *os << c.label; }

class FormValueEquality : public testing::TestWithParam<EqualityCase> {};

TEST_P(FormValueEquality, Compares) {
  const EqualityCase& c = GetParam();
  EXPECT_EQ(c.a == c.b, c.equal);
  EXPECT_EQ(c.b == c.a, c.equal);
  EXPECT_EQ(c.a != c.b, !c.equal);
}

std::vector<EqualityCase> EqualityCases() {
  FormValue hex = FormValue::Int(16);
  hex.text = "$10";
  hex.pos = SourcePos{3, 4};
  FormValue spelled = FormValue::Real(0.75L);
  spelled.text = "0.750000000000000000";
  return {
      {"HexEqualsDecimal", hex, FormValue::Int(16), true},
      {"IntegersDiffer", FormValue::Int(1), FormValue::Int(2), false},
      {"IntegerIsNotFloat", FormValue::Int(1), FormValue::Real(1.0L), false},
      {"FloatSpellingIgnored", spelled, FormValue::Real(0.75L), true},
      {"FloatsDiffer", FormValue::Real(0.75L), FormValue::Real(0.5L), false},
      {"Utf8MatchesUtf16", FormValue::Utf8("\xC3\xA9"), FormValue::Str(u"\xE9"),
       true},
      {"StringsDiffer", FormValue::Utf8("a"), FormValue::Utf8("A"), false},
      {"StringIsNotIdent", FormValue::Utf8("True"), FormValue::Bool(true),
       false},
      {"IdentCaseIgnored", FormValue::Identifier("TRUE"), FormValue::Bool(true),
       true},
      {"IdentsDiffer", FormValue::Bool(true), FormValue::Bool(false), false},
      {"SetOrderIgnored", FormValue::SetOf({"akTop", "akLeft"}),
       FormValue::SetOf({"akLeft", "akTop"}), true},
      {"SetsDiffer", FormValue::SetOf({"akTop"}),
       FormValue::SetOf({"akTop", "akLeft"}), false},
      {"ListsEqual", ListOf({FormValue::Int(1), hex}),
       ListOf({FormValue::Int(1), FormValue::Int(16)}), true},
      {"ListOrderMatters", ListOf({FormValue::Int(1), FormValue::Int(2)}),
       ListOf({FormValue::Int(2), FormValue::Int(1)}), false},
      {"ItemIndexMatters", CollectionOf({Item({}, 1)}),
       CollectionOf({Item({})}), false},
      {"ItemPropsMatter", CollectionOf({Item({Prop("A", FormValue::Int(1))})}),
       CollectionOf({Item({Prop("A", FormValue::Int(2))})}), false},
      {"ItemsEqual", CollectionOf({Item({Prop("A", hex)}, 2)}),
       CollectionOf({Item({Prop("A", FormValue::Int(16))}, 2)}), true},
      {"BinaryDiffers", Bytes({1}), Bytes({1, 0}), false},
      {"BinaryEqual", Bytes({1, 2}), Bytes({1, 2}), true},
  };
}

INSTANTIATE_TEST_SUITE_P(Table, FormValueEquality,
                         testing::ValuesIn(EqualityCases()),
                         [](const testing::TestParamInfo<EqualityCase>& info) {
                           return info.param.label;
                         });

TEST(FormValue, HelpersSetKindAndContent) {
  EXPECT_EQ(FormValue::Int(-5).kind, FormValue::Kind::Integer);
  EXPECT_EQ(FormValue::Int(-5).integer, -5);
  EXPECT_EQ(FormValue::Real(2.5L).kind, FormValue::Kind::Float);
  EXPECT_EQ(FormValue::Real(2.5L).real, 2.5L);
  EXPECT_TRUE(FormValue::Real(2.5L).text.empty());
  EXPECT_EQ(FormValue::Str(u"x").kind, FormValue::Kind::String);
  EXPECT_EQ(FormValue::Utf8("\xE2\x8F\xB7").str, u"\u23F7");
  EXPECT_EQ(FormValue::Identifier("alClient").kind, FormValue::Kind::Ident);
  EXPECT_EQ(FormValue::Identifier("alClient").text, "alClient");
  EXPECT_EQ(FormValue::Bool(false).text, "False");
  FormValue set = FormValue::SetOf({"a", "b"});
  EXPECT_EQ(set.kind, FormValue::Kind::Set);
  EXPECT_EQ(set.set, (std::vector<std::string>{"a", "b"}));
}

}  // namespace
}  // namespace flx::formtest
