// Reading form text: every kind of value, the source spelling kept for
// writing back, the document's objects and their positions, and errors
// that name the file, line and column.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "case_names.h"
#include "form_text_fixture.h"

namespace flx::formtest {
namespace {

// ---- Values

struct ValueCase {
  std::string source;
  FormValue expected;
};

void PrintTo(const ValueCase& c, std::ostream* os) { *os << c.source; }

class FormTextParserValues : public testing::TestWithParam<ValueCase> {};

TEST_P(FormTextParserValues, DecodesTo) {
  const ValueCase& c = GetParam();
  FormValue v = ParseValue(c.source);
  EXPECT_EQ(v, c.expected) << c.source << "\nformats as "
                           << FormatFormValue(v, 2);
}

const ValueCase kValueCases[] = {
    // Strings
    {"'abc'", FormValue::Utf8("abc")},
    {"''", FormValue::Str(u"")},
    {"'It''s'", FormValue::Utf8("It's")},
    {"''''", FormValue::Utf8("'")},
    {"'Line'#13#10'Next'", FormValue::Str(u"Line\r\nNext")},
    {"#9207", FormValue::Str(u"\u23F7")},
    {"#0", FormValue::Str(std::u16string(1, u'\0'))},
    {"#65535", FormValue::Str(u"\uFFFF")},
    {"#$41'b'", FormValue::Utf8("Ab")},
    {"#55357#56832", FormValue::Str(u"\U0001F600")},
    {"#55357", FormValue::Str(std::u16string(1, char16_t(0xD83D)))},
    {"#65325#65331' '#12468", FormValue::Str(u"\uFF2D\uFF33 \u30B4")},
    {"'ab' +\n    'cd'", FormValue::Utf8("abcd")},
    {"'ab' +\r\n    #67 +\n  'd'", FormValue::Utf8("abCd")},
    {"'a'+'b'", FormValue::Utf8("ab")},
    {"'h\xC3\xA9'", FormValue::Utf8("h\xC3\xA9")},
    {"'\xF0\x9F\x98\x80'", FormValue::Str(u"\U0001F600")},
    {"'tab\there'", FormValue::Utf8("tab\there")},
    // Integers
    {"0", FormValue::Int(0)},
    {"-11", FormValue::Int(-11)},
    {"007", FormValue::Int(7)},
    {"$00FF", FormValue::Int(255)},
    {"$ff", FormValue::Int(255)},
    {"9223372036854775807", FormValue::Int(INT64_MAX)},
    {"-9223372036854775808", FormValue::Int(INT64_MIN)},
    {"$7FFFFFFFFFFFFFFF", FormValue::Int(INT64_MAX)},
    {"$8000000000000000", FormValue::Int(INT64_MIN)},
    {"$FFFFFFFFFFFFFFFF", FormValue::Int(-1)},
    {"$0000FFFFFFFFFFFFFFFF", FormValue::Int(-1)},
    // Floats
    {"1.5", FormValue::Real(1.5L)},
    {"0.750000000000000000", FormValue::Real(0.75L)},
    {"1.0E5", FormValue::Real(100000.0L)},
    {"1e5", FormValue::Real(100000.0L)},
    {"2.5e-3", FormValue::Real(0.0025L)},
    {"-2.5", FormValue::Real(-2.5L)},
    {"1.5s", FormValue::Real(1.5L)},
    {"12.25c", FormValue::Real(12.25L)},
    {"45000.5d", FormValue::Real(45000.5L)},
    {"3.", FormValue::Real(3.0L)},
    {"1e-99999", FormValue::Real(0.0L)},
    // Identifiers
    {"True", FormValue::Bool(true)},
    {"bsDialog", FormValue::Identifier("bsDialog")},
    {"Form1.Button1", FormValue::Identifier("Form1.Button1")},
    {"_x9", FormValue::Identifier("_x9")},
    {"\xC3\xA9t\xC3\xA9", FormValue::Identifier("\xC3\xA9t\xC3\xA9")},
    {"end", FormValue::Identifier("end")},
    // Sets
    {"[]", FormValue::SetOf({})},
    {"[akLeft, akTop]", FormValue::SetOf({"akLeft", "akTop"})},
    {"[ fsBold ,\n  fsItalic ]", FormValue::SetOf({"fsBold", "fsItalic"})},
    // Lists
    {"()", ListOf({})},
    {"(\n  20\n  278)", ListOf({FormValue::Int(20), FormValue::Int(278)})},
    {"( 'a' 'b' )", ListOf({FormValue::Utf8("a"), FormValue::Utf8("b")})},
    {"('a''b')", ListOf({FormValue::Utf8("a'b")})},
    {"('a' +\n 'b' 'c')",
     ListOf({FormValue::Utf8("ab"), FormValue::Utf8("c")})},
    {"((1) (2 3) ())",
     ListOf({ListOf({FormValue::Int(1)}),
             ListOf({FormValue::Int(2), FormValue::Int(3)}), ListOf({})})},
    {"(True [a] <> {00} 1.5)",
     ListOf({FormValue::Bool(true), FormValue::SetOf({"a"}), CollectionOf({}),
             Bytes({0}), FormValue::Real(1.5L)})},
    // Collections
    {"<>", CollectionOf({})},
    {"<\n  item\n    Width = 65\n  end\n  item\n  end>",
     CollectionOf({Item({Prop("Width", FormValue::Int(65))}), Item({})})},
    {"<item [2] A = 1 end item [$10] end>",
     CollectionOf({Item({Prop("A", FormValue::Int(1))}, 2), Item({}, 16)})},
    {"< item Sub = < item end > end >",
     CollectionOf({Item({Prop("Sub", CollectionOf({Item({})}))})})},
    {"<item object = 1 Inline = 2 end>",
     CollectionOf({Item({Prop("object", FormValue::Int(1)),
                         Prop("Inline", FormValue::Int(2))})})},
    {"<item Font.Style = [fsBold] Items.Strings = ('x') end>",
     CollectionOf(
         {Item({Prop("Font.Style", FormValue::SetOf({"fsBold"})),
                Prop("Items.Strings", ListOf({FormValue::Utf8("x")}))})})},
    // Binary
    {"{}", Bytes({})},
    {"{0aFf}", Bytes({0x0A, 0xFF})},
    {"{\n  0102\n  03}", Bytes({1, 2, 3})},
    {"{ 0 1 }", Bytes({1})},
};

INSTANTIATE_TEST_SUITE_P(Table, FormTextParserValues,
                         testing::ValuesIn(kValueCases), testnames::BySource());

TEST(FormTextParser, FloatKeepsExtendedPrecision) {
  FormValue v = ParseValue("0.1");
  EXPECT_EQ(v.real, 0.1L);
  if (std::numeric_limits<long double>::digits >
      std::numeric_limits<double>::digits) {
    EXPECT_NE(v.real, static_cast<long double>(0.1));
  }
}

// ---- Source spelling

struct SpellingCase {
  std::string source;
  FormValue::Kind kind;
  std::string text;
};

void PrintTo(const SpellingCase& c, std::ostream* os) { *os << c.source; }

class FormTextParserSpelling : public testing::TestWithParam<SpellingCase> {};

TEST_P(FormTextParserSpelling, KeepsSourceSpelling) {
  const SpellingCase& c = GetParam();
  FormValue v = ParseValue(c.source);
  EXPECT_EQ(v.kind, c.kind) << c.source;
  EXPECT_EQ(v.text, c.text) << c.source;
  EXPECT_EQ(FormatFormValue(v, 2), c.source);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FormTextParserSpelling,
    testing::Values(SpellingCase{"12", FormValue::Kind::Integer, ""},
                    SpellingCase{"$00FF", FormValue::Kind::Integer, "$00FF"},
                    SpellingCase{"$abc", FormValue::Kind::Integer, "$abc"},
                    SpellingCase{"0.750000000000000000", FormValue::Kind::Float,
                                 "0.750000000000000000"},
                    SpellingCase{"1.0E5", FormValue::Kind::Float, "1.0E5"},
                    SpellingCase{"-2.5d", FormValue::Kind::Float, "-2.5d"},
                    SpellingCase{"1.5s", FormValue::Kind::Float, "1.5s"},
                    SpellingCase{"clBtnFace", FormValue::Kind::Ident,
                                 "clBtnFace"}),
    testnames::BySource());

// ---- Documents

TEST(FormTextParser, ReadsDocumentStructure) {
  auto doc = ParseFormText(
      "\xEF\xBB\xBFinherited Dlg: TDlg\r\n"
      "  Caption = 'x'\r\n"
      "  inherited Label1: TLabel\r\n"
      "  end\r\n"
      "  object Label2: TLabel [1]\r\n"
      "    Left = 8\r\n"
      "  end\r\n"
      "  OBJECT TFont\r\n"
      "  End\r\n"
      "  inline Frame1: TFrame1 [$2]\r\n"
      "    inherited Btn: TButton\r\n"
      "    end\r\n"
      "  end\r\n"
      "end\r\n",
      "doc.dfm");
  EXPECT_EQ(doc->kind, FormObject::Kind::Inherited);
  EXPECT_EQ(doc->name, "Dlg");
  EXPECT_EQ(doc->className, "TDlg");
  EXPECT_FALSE(doc->index.has_value());
  ASSERT_EQ(doc->children.size(), 4u);
  const FormObject& label2 = *doc->children[1];
  EXPECT_EQ(label2.kind, FormObject::Kind::Object);
  EXPECT_EQ(label2.index, 1);
  EXPECT_EQ(label2.pos.line, 5);
  EXPECT_EQ(label2.pos.column, 3);
  ASSERT_EQ(label2.props.size(), 1u);
  EXPECT_EQ(label2.props[0].pos.line, 6);
  EXPECT_EQ(label2.props[0].pos.column, 5);
  EXPECT_EQ(label2.props[0].value.pos.column, 12);
  const FormObject& font = *doc->children[2];
  EXPECT_TRUE(font.name.empty());
  EXPECT_EQ(font.className, "TFont");
  const FormObject& frame = *doc->children[3];
  EXPECT_EQ(frame.kind, FormObject::Kind::Inline);
  EXPECT_EQ(frame.index, 2);
  ASSERT_EQ(frame.children.size(), 1u);
  EXPECT_EQ(frame.children[0]->kind, FormObject::Kind::Inherited);
  // The BOM is not counted in the first line's columns.
  EXPECT_EQ(doc->pos.column, 1);
  EXPECT_EQ(doc->props[0].pos.line, 2);
  EXPECT_EQ(doc->props[0].pos.column, 3);
}

TEST(FormTextParser, CollectionItemPositions) {
  FormValue v = ParseValue("<\n    item [4]\n      A = 1\n    end>");
  ASSERT_EQ(v.items.size(), 1u);
  EXPECT_EQ(v.pos.line, 2);
  EXPECT_EQ(v.pos.column, 7);
  EXPECT_EQ(v.items[0].pos.line, 3);
  EXPECT_EQ(v.items[0].pos.column, 5);
  ASSERT_EQ(v.items[0].props.size(), 1u);
  EXPECT_EQ(v.items[0].props[0].pos.line, 4);
  EXPECT_EQ(v.items[0].props[0].pos.column, 7);
}

TEST(FormTextParser, AcceptsNestingUpToTheLimit) {
  std::string text;
  for (int i = 0; i < kMaxFormNesting; ++i) text += "object T\n";
  for (int i = 0; i < kMaxFormNesting; ++i) text += "end\n";
  auto doc = ParseFormText(text, "deep.dfm");
  int depth = 1;
  for (const FormObject* o = doc.get(); !o->children.empty();
       o = o->children[0].get()) {
    ++depth;
  }
  EXPECT_EQ(depth, kMaxFormNesting);
  EXPECT_EQ(Reformat(FormatFormText(*doc)), FormatFormText(*doc));

  const int lists = kMaxFormNesting - 1;
  std::string value = std::string(lists, '(') + std::string(lists, ')');
  EXPECT_EQ(ParseValue(value).kind, FormValue::Kind::List);
}

// ---- Errors

struct ErrorCase {
  std::string label;
  std::string source;
  int line;
  int column;
  std::string message;
};

void PrintTo(const ErrorCase& c, std::ostream* os) { *os << c.label; }

class FormTextParserErrors : public testing::TestWithParam<ErrorCase> {};

TEST_P(FormTextParserErrors, ReportsWhereAndWhat) {
  const ErrorCase& c = GetParam();
  try {
    ParseFormText(c.source, "bad.dfm");
    FAIL() << "accepted: " << c.source.substr(0, 200);
  } catch (const EParserError& e) {
    EXPECT_EQ(e.file(), "bad.dfm");
    EXPECT_EQ(e.pos().line, c.line) << e.what();
    EXPECT_EQ(e.pos().column, c.column) << e.what();
    EXPECT_NE(e.detail().find(c.message), std::string::npos) << e.what();
  }
}

std::string Nested(int depth, const std::string& open,
                   const std::string& close) {
  std::string s;
  for (int i = 0; i < depth; ++i) s += open;
  for (int i = 0; i < depth; ++i) s += close;
  return s;
}

const std::string kHead = "object F: TF\n";

std::vector<ErrorCase> ErrorCases() {
  return {
      {"EmptyFile", "", 1, 1, "unexpected end of file"},
      {"OnlyBlanks", "\n  \n", 3, 1, "unexpected end of file"},
      {"NotAnObject", "form F: TF\nend\n", 1, 1, "expected 'object'"},
      {"Utf16", std::string("\xFF\xFE", 2) + "o", 1, 1, "UTF-16"},
      {"TruncatedBody", kHead + "  Left = 1\n", 3, 1,
       "unexpected end of file inside object 'F'"},
      {"TruncatedChild", kHead + "  object TFont\n    Size = 3", 3, 13,
       "unexpected end of file inside unnamed object 'TFont'"},
      {"TruncatedHeader", "object F:", 1, 10, "expected class name"},
      {"TruncatedValue", kHead + "  Left =", 2, 9,
       "unexpected end of file: expected a value"},
      {"MissingEquals", kHead + "  Left 1\nend\n", 2, 8,
       "expected '=' after property name"},
      {"UnknownToken", kHead + "  Left = @\nend\n", 2, 10,
       "expected a value, found '@'"},
      {"ControlByte", kHead + "  Left = \x01\nend\n", 2, 10, "found byte 0x01"},
      {"StrayTokenInBody", kHead + "  = 1\nend\n", 2, 3,
       "expected property name, child object or 'end'"},
      {"PropertyAfterChild", kHead + "  object A: TA\n  end\n  Left = 1\nend\n",
       4, 3, "property 'Left' after child objects"},
      {"TrailingDot", kHead + "  Font. = 1\nend\n", 2, 8, "bad property name"},
      {"UnterminatedString", kHead + "  Caption = 'abc\nend\n", 2, 13,
       "unterminated string"},
      {"UnterminatedStringAtEof", kHead + "  Caption = 'abc", 2, 13,
       "unterminated string"},
      {"CodeWithoutDigits", kHead + "  Caption = #x\nend\n", 2, 13,
       "bad character code"},
      {"CodeAbove16Bits", kHead + "  Caption = 'a'#65536\nend\n", 2, 16,
       "bad character code"},
      {"HugeCode", kHead + "  Caption = #99999999999999999999\nend\n", 2, 13,
       "bad character code"},
      {"PlusWithoutString", kHead + "  Caption = 'a' +\n  Left = 1\nend\n", 3,
       3, "expected a string after '+'"},
      {"InvalidUtf8", kHead + "  Caption = 'a\xC3'\nend\n", 2, 15,
       "invalid UTF-8"},
      {"OverlongUtf8", kHead + "  Caption = '\xC0\x80'\nend\n", 2, 14,
       "invalid UTF-8"},
      {"OverlongUtf8ThreeBytes", kHead + "  Caption = '\xE0\x80\x80'\nend\n", 2,
       14, "invalid UTF-8"},
      {"Utf8BeyondUnicode", kHead + "  Caption = '\xF4\x90\x80\x80'\nend\n", 2,
       14, "invalid UTF-8"},
      {"EndWithoutObject", "end\n", 1, 1, "'end' without object"},
      {"ExtraEnd", kHead + "end\nend\n", 3, 1, "'end' without object"},
      {"GarbageAfterRoot", kHead + "end\n  x", 3, 3,
       "after the end of the root object"},
      {"SecondRoot", kHead + "end\nobject G: TG\nend\n", 3, 1,
       "after the end of the root object"},
      {"IntTooBig", kHead + "  Tag = 9223372036854775808\nend\n", 2, 9,
       "integer out of range"},
      {"IntTooSmall", kHead + "  Tag = -9223372036854775809\nend\n", 2, 9,
       "integer out of range"},
      {"HexTooBig", kHead + "  Tag = $10000000000000000\nend\n", 2, 9,
       "integer out of range"},
      {"HugeDigits", kHead + "  Tag = " + std::string(500, '9') + "\nend\n", 2,
       9, "integer out of range"},
      {"FloatTooBig", kHead + "  X = 1.5e99999\nend\n", 2, 7,
       "float out of range"},
      {"TwoPoints", kHead + "  X = 1.2.3\nend\n", 2, 7, "bad number"},
      {"DigitsThenLetters", kHead + "  X = 12abc\nend\n", 2, 7, "bad number"},
      {"LoneMinus", kHead + "  X = -\nend\n", 2, 7, "bad number"},
      {"EmptyExponent", kHead + "  X = 1e\nend\n", 2, 7, "bad number"},
      {"OddHexDigits", kHead + "  Data = {\n    ABC}\nend\n", 3, 7,
       "odd number of hex digits"},
      {"BadHexDigit", kHead + "  Data = {AG}\nend\n", 2, 12, "bad hex digit"},
      {"UnterminatedBinary", kHead + "  Data = {00", 2, 13,
       "unexpected end of file inside binary data"},
      {"UnterminatedSet", kHead + "  S = [a,", 2, 10,
       "unexpected end of file inside set"},
      {"SetWithoutComma", kHead + "  S = [a b]\nend\n", 2, 10,
       "expected ',' or ']'"},
      {"EmptySetElement", kHead + "  S = [a,,b]\nend\n", 2, 10,
       "expected set element"},
      {"UnterminatedList", kHead + "  L = (1 2\n", 3, 1,
       "unexpected end of file inside list"},
      {"UnterminatedCollection", kHead + "  C = <item end", 2, 16,
       "unexpected end of file inside collection"},
      {"UnterminatedItem", kHead + "  C = <item A = 1", 2, 18,
       "unexpected end of file inside collection item"},
      {"NotAnItem", kHead + "  C = <A = 1>\nend\n", 2, 8,
       "expected 'item' or '>'"},
      {"IndexTooBig", kHead + "  object B: TB [2147483648]\n  end\nend\n", 2,
       17, "creation index out of range"},
      {"IndexNotInteger", kHead + "  object B: TB [1.5]\n  end\nend\n", 2, 17,
       "must be an integer"},
      {"IndexUnclosed", kHead + "  object B: TB [1\n  end\nend\n", 3, 3,
       "expected ']'"},
      {"ObjectsTooDeep", Nested(kMaxFormNesting + 1, "object T\n", "end\n"),
       kMaxFormNesting + 1, 1, "nesting deeper than 256 levels"},
      {"ObjectsAbsurdlyDeep", Nested(100000, "object T\n", "end\n"),
       kMaxFormNesting + 1, 1, "nesting deeper than 256 levels"},
      // The root is level 1, so the 256th bracket is the 257th level.
      {"ListsTooDeep", kHead + "  L = " + Nested(100000, "(", ")") + "\nend\n",
       2, 6 + kMaxFormNesting, "nesting deeper than 256 levels"},
      {"CollectionsTooDeep",
       kHead + "  C = " + Nested(100000, "<item C = ", "end>") + "\nend\n", 2,
       7 + 10 * (kMaxFormNesting - 1), "nesting deeper than 256 levels"},
      {"MixedTooDeep",
       kHead + "  C = " + Nested(20000, "<item L = (", ") end>") + "\nend\n", 2,
       7 + 11 * 127 + 10, "nesting deeper than 256 levels"},
  };
}

INSTANTIATE_TEST_SUITE_P(Table, FormTextParserErrors,
                         testing::ValuesIn(ErrorCases()),
                         [](const testing::TestParamInfo<ErrorCase>& info) {
                           return info.param.label;
                         });

TEST(FormTextParser, ErrorTextNamesFileLineAndColumn) {
  try {
    ParseFormText("object F: TF\n  Left 1\nend\n", "Unit1.dfm");
    FAIL() << "accepted a property without '='";
  } catch (const EParserError& e) {
    EXPECT_STREQ(e.what(),
                 "Unit1.dfm:2:8: error: expected '=' after property name");
  }
}

// ---- Errors a checker gets past

struct RecoveryCase {
  std::string label;
  std::string text;
  std::vector<std::string> errors;  // every error, in order
  std::string thrown;               // "" when the document is returned
  std::vector<std::string> kept;    // the root's properties then
};

void PrintTo(const RecoveryCase& c, std::ostream* os) { *os << c.label; }

class FormTextParserRecovery : public testing::TestWithParam<RecoveryCase> {};

// Each property with an error is left out and reported; the parsing goes
// on after its last line. An error that leaves the rest unreadable still
// ends it, after the errors before it.
TEST_P(FormTextParserRecovery, ReportsEveryErrorInAProperty) {
  const RecoveryCase& c = GetParam();
  std::vector<EParserError> recovered;
  std::unique_ptr<FormObject> root;
  std::string thrown;
  try {
    root = ParseFormText(c.text, "f.dfm", recovered);
  } catch (const EParserError& e) {
    thrown = e.what();
  }
  std::vector<std::string> errors;
  for (const EParserError& e : recovered) errors.push_back(e.what());
  EXPECT_EQ(errors, c.errors);
  EXPECT_EQ(thrown, c.thrown);
  if (root) {
    std::vector<std::string> kept;
    for (const FormProperty& p : root->props) kept.push_back(p.name);
    EXPECT_EQ(kept, c.kept);
  }
  // Without the list, the first error is thrown as ever.
  try {
    ParseFormText(c.text, "f.dfm");
    ADD_FAILURE() << "no error";
  } catch (const EParserError& e) {
    EXPECT_EQ(e.what(), errors.empty() ? thrown : errors.front());
  }
}

const RecoveryCase kRecoveryCases[] = {
    {"ThreeBadValues",
     "object F: TF\n  Left = @\n  Top = 1\n  Width = 99999999999999999999\n"
     "  Height = 'open\n  Tag = 2\nend\n",
     {"f.dfm:2:10: error: expected a value, found '@'",
      "f.dfm:4:11: error: integer out of range",
      "f.dfm:5:12: error: unterminated string"},
     "",
     {"Top", "Tag"}},
    {"AListSpanningLinesIsSkippedWhole",
     "object F: TF\n  Items = (\n    'a'\n    @\n    'c')\n  Tag = 2\nend\n",
     {"f.dfm:4:5: error: expected a value, found '@'"},
     "",
     {"Tag"}},
    {"ACollectionIsSkippedWhole",
     "object F: TF\n  Columns = <\n    item\n      Width = $\n    end>\n"
     "  Tag = 2\nend\n",
     {"f.dfm:4:15: error: bad number"},
     "",
     {"Tag"}},
    {"StrayCharacterAndPropertyAfterChildren",
     "object F: TF\n  ! junk\n  object B: TB\n  end\n  Tag = 1\n"
     "  Left = 2\nend\n",
     {"f.dfm:2:3: error: expected property name, child object or 'end', "
      "found '!'",
      "f.dfm:5:3: error: property 'Tag' after child objects",
      "f.dfm:6:3: error: property 'Left' after child objects"},
     "",
     {}},
    {"AnUnclosedListEndsTheFile",
     "object F: TF\n  Left = @\n  Items = (\n    'a'\nend\n",
     {"f.dfm:2:10: error: expected a value, found '@'"},
     "f.dfm:6:1: error: unexpected end of file inside list",
     {}},
    {"ABadHeadingEndsTheFile",
     "object F: TF\n  Left = @\n  object : TB\n  end\nend\n",
     {"f.dfm:2:10: error: expected a value, found '@'"},
     "f.dfm:3:10: error: expected object name or class name, found ':'",
     {}},
};

INSTANTIATE_TEST_SUITE_P(Table, FormTextParserRecovery,
                         testing::ValuesIn(kRecoveryCases),
                         [](const testing::TestParamInfo<RecoveryCase>& info) {
                           return info.param.label;
                         });

}  // namespace
}  // namespace flx::formtest
