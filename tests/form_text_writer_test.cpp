// Writing form text as the form designer does: the layout of each kind of
// value, of objects and their headers, a stable layout after one pass, and
// refusal of what could not be read back.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "form_text_fixture.h"

namespace flx::formtest {
namespace {

// ---- Values

struct FormatCase {
  std::string label;
  FormValue value;
  std::string expected;  // at an indent of 2
};

void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.label; }

class FormTextWriterValues : public testing::TestWithParam<FormatCase> {};

TEST_P(FormTextWriterValues, WritesLikeTheDesigner) {
  const FormatCase& c = GetParam();
  const std::string written = FormatFormValue(c.value, 2);
  EXPECT_EQ(written, c.expected);
  // What is written must read back as the same value.
  EXPECT_EQ(ParseValue(written), c.value) << written;
}

std::vector<FormatCase> FormatCases() {
  const std::string x64(64, 'x');
  std::vector<std::uint8_t> bytes33(33);
  for (std::size_t i = 0; i < bytes33.size(); ++i) {
    bytes33[i] = static_cast<std::uint8_t>(i * 7);
  }
  FormValue hexText = FormValue::Int(255);
  hexText.text = "$00FF";
  FormValue staleHex = FormValue::Int(256);
  staleHex.text = "$00FF";
  FormValue floatText = FormValue::Real(1.5L);
  floatText.text = "1.5s";
  FormValue staleFloat = FormValue::Real(2.5L);
  staleFloat.text = "1.5";
  FormValue notAFloat = FormValue::Real(3.0L);
  notAFloat.text = "3";
  return {
      {"EmptyString", FormValue::Str(u""), "''"},
      {"PlainString", FormValue::Utf8("Button1"), "'Button1'"},
      {"QuoteAsCode", FormValue::Utf8("can't"), "'can'#39't'"},
      {"ControlCodes", FormValue::Str(u"a\r\nb\t"), "'a'#13#10'b'#9"},
      {"NonAscii", FormValue::Utf8("h\xC3\xA9!"), "'h'#233'!'"},
      {"Delete", FormValue::Str(u"\x7f"), "#127"},
      {"SurrogatePair", FormValue::Str(u"\U0001F600"), "#55357#56832"},
      {"Exactly64", FormValue::Utf8(x64), "'" + x64 + "'"},
      {"SplitAfter64", FormValue::Utf8(x64 + "yz"),
       "\n    '" + x64 + "' +\n    'yz'"},
      {"SplitCountsCodes",
       FormValue::Str(u"ab\r\n" + std::u16string(62, u'c') + u"\x100"),
       "\n    'ab'#13#10'" + std::string(60, 'c') + "' +\n    'cc'#256"},
      {"SplitAfterCode",
       FormValue::Str(std::u16string(63, u'a') + u"\r" + u"b"),
       "\n    '" + std::string(63, 'a') + "'#13 +\n    'b'"},
      {"SplitThreeLines", FormValue::Utf8(std::string(130, 'q')),
       "\n    '" + std::string(64, 'q') + "' +\n    '" + std::string(64, 'q') +
           "' +\n    'qq'"},
      {"Integer", FormValue::Int(-12), "-12"},
      {"IntegerLimits", FormValue::Int(INT64_MIN), "-9223372036854775808"},
      {"HexSpellingKept", hexText, "$00FF"},
      {"StaleHexSpellingDropped", staleHex, "256"},
      {"FloatDesignerStyle", FormValue::Real(0.75L), "0.750000000000000000"},
      {"FloatWhole", FormValue::Real(5.0L), "5.000000000000000000"},
      {"FloatNegativeZero", FormValue::Real(-0.0L), "-0.000000000000000000"},
      {"FloatTiny", FormValue::Real(1e-30L), "1e-30"},
      {"FloatHuge", FormValue::Real(1e300L), "1e+300"},
      {"FloatSpellingKept", floatText, "1.5s"},
      {"StaleFloatSpellingDropped", staleFloat, "2.500000000000000000"},
      {"IntegerSpellingOnFloatDropped", notAFloat, "3.000000000000000000"},
      {"Ident", FormValue::Identifier("Form1.Button1"), "Form1.Button1"},
      {"EmptySet", FormValue::SetOf({}), "[]"},
      {"Set", FormValue::SetOf({"akLeft", "akTop", "akRight"}),
       "[akLeft, akTop, akRight]"},
      {"EmptyList", ListOf({}), "()"},
      {"List", ListOf({FormValue::Utf8("a"), FormValue::Int(2)}),
       "(\n    'a'\n    2)"},
      {"NestedList", ListOf({ListOf({FormValue::Int(1)}), ListOf({})}),
       "(\n    (\n      1)\n    ())"},
      {"LongStringInList", ListOf({FormValue::Utf8(x64 + "z")}),
       "(\n    \n      '" + x64 + "' +\n      'z')"},
      {"EmptyCollection", CollectionOf({}), "<>"},
      {"Collection",
       CollectionOf({Item({Prop("Width", FormValue::Int(65)),
                           Prop("Text", FormValue::Utf8("a"))}),
                     Item({}, 3)}),
       "<\n    item\n      Width = 65\n      Text = 'a'\n    end\n"
       "    item [3]\n    end>"},
      {"LongStringInItem",
       CollectionOf({Item({Prop("Caption", FormValue::Utf8(x64 + "z"))})}),
       "<\n    item\n      Caption = \n        '" + x64 +
           "' +\n        'z'\n    end>"},
      {"ItemPropertyNamedLikeAKeyword",
       CollectionOf({Item({Prop("inherited", FormValue::Int(65))})}),
       "<\n    item\n      inherited = 65\n    end>"},
      {"EmptyBinary", Bytes({}), "{}"},
      {"Binary", Bytes({0x07, 0x54, 0xAB}), "{\n    0754AB}"},
      {"BinaryWraps32", Bytes(bytes33),
       [&] {
         static const char kHex[] = "0123456789ABCDEF";
         std::string s = "{\n    ";
         for (std::size_t i = 0; i < bytes33.size(); ++i) {
           if (i == 32) s += "\n    ";
           s += kHex[bytes33[i] >> 4];
           s += kHex[bytes33[i] & 15];
         }
         return s + "}";
       }()},
  };
}

INSTANTIATE_TEST_SUITE_P(Table, FormTextWriterValues,
                         testing::ValuesIn(FormatCases()),
                         [](const testing::TestParamInfo<FormatCase>& info) {
                           return info.param.label;
                         });

// ---- Documents

TEST(FormTextWriter, FormatsObjectHeadersAndLayout) {
  FormObject root;
  root.kind = FormObject::Kind::Inherited;
  root.name = "Dlg";
  root.className = "TDlg";
  root.props.push_back(Prop("Caption", FormValue::Utf8("Hi")));
  auto label = std::make_unique<FormObject>();
  label->name = "Label2";
  label->className = "TLabel";
  label->index = 1;
  label->props.push_back(Prop("Font.Style", FormValue::SetOf({"fsBold"})));
  auto font = std::make_unique<FormObject>();
  font->className = "TFont";
  label->children.push_back(std::move(font));
  root.children.push_back(std::move(label));
  auto frame = std::make_unique<FormObject>();
  frame->kind = FormObject::Kind::Inline;
  frame->name = "Frame1";
  frame->className = "TFrame1";
  root.children.push_back(std::move(frame));

  EXPECT_EQ(FormatFormText(root),
            "inherited Dlg: TDlg\n"
            "  Caption = 'Hi'\n"
            "  object Label2: TLabel [1]\n"
            "    Font.Style = [fsBold]\n"
            "    object TFont\n"
            "    end\n"
            "  end\n"
            "  inline Frame1: TFrame1\n"
            "  end\n"
            "end\n");
}

// Inputs written loosely must settle on one layout after the first pass.
TEST(FormTextWriter, FormattingIsIdempotentOnLooseInput) {
  const std::string inputs[] = {
      "OBJECT F : TF Left=1 Caption='a'+'b' + #67 end",
      "object F: TF\n  L = ( ( 1 ) 'x' +\n 'y' [ a , b ] )\n  C = < item [ 1 ] "
      "A = 1 end item end >\nend",
      "object F: TF\n  S = '" + std::string(200, 'w') + "'#10'" +
          std::string(70, 'v') + "'\n  L = ('" + std::string(100, 'z') +
          "')\nend",
      "object F: TF\n  D = {" + std::string(300, 'A') +
          "}\n  X = 0.5e1\n"
          "  H = $0a\n  N = -0.0\nend",
      "object F: TF\n  P = <item Q = <item R = ({0102} <>) end> end>\nend",
  };
  for (const std::string& input : inputs) {
    const std::string once = Reformat(input);
    EXPECT_EQ(Reformat(once), once) << input;
  }
}

TEST(FormTextWriter, FormatRefusesWhatCannotBeReadBack) {
  auto check = [](FormObject& obj, const char* what) {
    EXPECT_THROW(FormatFormText(obj), EFilerError) << what;
  };
  {
    FormObject o;
    o.className = "";
    check(o, "empty class name");
  }
  {
    FormObject o;
    o.className = "TA";
    o.name = "has space";
    check(o, "bad object name");
  }
  {
    FormObject o;
    o.className = "TA";
    o.props.push_back(Prop("End", FormValue::Int(1)));
    check(o, "keyword property name");
  }
  {
    FormObject o;
    o.className = "TA";
    o.props.push_back(Prop("inherited", FormValue::Int(1)));
    check(o, "property name that starts a child");
  }
  {
    FormObject o;
    o.className = "TA";
    o.props.push_back(
        Prop("P", CollectionOf({Item({Prop("end", FormValue::Int(1))})})));
    check(o, "item property name that ends the item");
  }
  {
    FormObject o;
    o.className = "TA";
    o.props.push_back(Prop("P", FormValue::Identifier("1abc")));
    check(o, "bad identifier value");
  }
  {
    FormObject o;
    o.className = "TA";
    o.props.push_back(Prop("P", FormValue::SetOf({"a", "b c"})));
    check(o, "bad set element");
  }
  {
    FormObject o;
    o.className = "TA";
    o.props.push_back(Prop(
        "P", FormValue::Real(std::numeric_limits<long double>::infinity())));
    check(o, "infinite float");
  }
  {
    FormObject o;
    o.className = "TA";
    o.props.push_back(Prop(
        "P", FormValue::Real(std::numeric_limits<long double>::quiet_NaN())));
    check(o, "NaN");
  }
  {
    FormValue deep = FormValue::Int(1);
    for (int i = 0; i < kMaxFormNesting + 5; ++i) deep = ListOf({deep});
    FormObject o;
    o.className = "TA";
    o.props.push_back(Prop("P", deep));
    check(o, "lists nested too deep");
  }
  {
    FormObject root;
    root.className = "T";
    FormObject* leaf = &root;
    for (int i = 0; i < kMaxFormNesting; ++i) {
      leaf->children.push_back(std::make_unique<FormObject>());
      leaf = leaf->children.back().get();
      leaf->className = "T";
    }
    check(root, "objects nested too deep");
  }
}

}  // namespace
}  // namespace flx::formtest
