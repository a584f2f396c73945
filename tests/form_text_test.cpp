#include "flexarium/form_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace flx {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)),
                     std::istreambuf_iterator<char>());
}

// What the designer would have written: LF line ends and no BOM.
std::string Normalise(std::string text) {
  if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      continue;
    }
    out += text[i];
  }
  return out;
}

std::string Reformat(const std::string& text) {
  return FormatFormText(*ParseFormText(text, "test.dfm"));
}

// Parses `value` as the one property of a one-object form.
FormValue ParseValue(const std::string& value) {
  auto doc =
      ParseFormText("object F: TF\n  P = " + value + "\nend\n", "value.dfm");
  EXPECT_EQ(doc->props.size(), 1u);
  if (doc->props.empty()) return {};
  return doc->props[0].value;
}

FormValue ListOf(std::vector<FormValue> elements) {
  FormValue v;
  v.kind = FormValue::Kind::List;
  v.list = std::move(elements);
  return v;
}

FormValue Bytes(std::vector<std::uint8_t> bytes) {
  FormValue v;
  v.kind = FormValue::Kind::Binary;
  v.bytes = std::move(bytes);
  return v;
}

FormCollectionItem Item(std::vector<FormProperty> props,
                        std::optional<std::int64_t> index = std::nullopt) {
  FormCollectionItem item;
  item.props = std::move(props);
  item.index = index;
  return item;
}

FormValue CollectionOf(std::vector<FormCollectionItem> items) {
  FormValue v;
  v.kind = FormValue::Kind::Collection;
  v.items = std::move(items);
  return v;
}

FormProperty Prop(std::string name, FormValue value) {
  FormProperty p;
  p.name = std::move(name);
  p.value = std::move(value);
  return p;
}

// ---------------------------------------------------------------------------
// Corpus

std::vector<std::string> CorpusFiles() {
  std::vector<std::string> files;
  std::error_code ec;
  const fs::path dir(FLEXARIUM_CORPUS_DIR);
  if (fs::is_directory(dir, ec)) {
    for (const auto& entry : fs::recursive_directory_iterator(dir, ec)) {
      if (entry.is_regular_file() && entry.path().extension() == ".dfm") {
        files.push_back(fs::relative(entry.path(), dir).generic_string());
      }
    }
  }
  std::sort(files.begin(), files.end());
  // An empty entry lets the suite report a skip instead of vanishing.
  if (files.empty()) files.push_back("");
  return files;
}

class FormTextCorpus : public testing::TestWithParam<std::string> {
 protected:
  std::string Load() {
    if (GetParam().empty()) return {};
    return ReadFile(fs::path(FLEXARIUM_CORPUS_DIR) / GetParam());
  }
};

TEST_P(FormTextCorpus, RoundTripsByteIdentically) {
  if (GetParam().empty()) GTEST_SKIP() << "no corpus at " FLEXARIUM_CORPUS_DIR;
  const std::string raw = Load();
  ASSERT_FALSE(raw.empty());
  auto doc = ParseFormText(raw, GetParam());
  EXPECT_EQ(FormatFormText(*doc), Normalise(raw));
}

void ExpectSameDocument(const FormObject& a, const FormObject& b) {
  EXPECT_EQ(a.kind, b.kind) << a.name;
  EXPECT_EQ(a.name, b.name);
  EXPECT_EQ(a.className, b.className) << a.name;
  EXPECT_EQ(a.index, b.index) << a.name;
  ASSERT_EQ(a.props.size(), b.props.size()) << a.name;
  for (std::size_t i = 0; i < a.props.size(); ++i) {
    EXPECT_EQ(a.props[i].name, b.props[i].name) << a.name;
    EXPECT_EQ(a.props[i].value, b.props[i].value)
        << a.name << "." << a.props[i].name;
  }
  ASSERT_EQ(a.children.size(), b.children.size()) << a.name;
  for (std::size_t i = 0; i < a.children.size(); ++i) {
    ExpectSameDocument(*a.children[i], *b.children[i]);
  }
}

TEST_P(FormTextCorpus, FormattingIsIdempotentAndKeepsValues) {
  if (GetParam().empty()) GTEST_SKIP() << "no corpus at " FLEXARIUM_CORPUS_DIR;
  auto doc = ParseFormText(Load(), GetParam());
  const std::string once = FormatFormText(*doc);
  auto again = ParseFormText(once, GetParam());
  EXPECT_EQ(FormatFormText(*again), once);
  ExpectSameDocument(*doc, *again);
}

// CRLF files and the BOM must not shift positions.
TEST_P(FormTextCorpus, PositionsPointAtTheSource) {
  if (GetParam().empty()) GTEST_SKIP() << "no corpus at " FLEXARIUM_CORPUS_DIR;
  const std::string raw = Load();
  const std::string text = Normalise(raw);
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t nl = text.find('\n', start);
    if (nl == std::string::npos) nl = text.size();
    lines.push_back(text.substr(start, nl - start));
    start = nl + 1;
  }
  auto doc = ParseFormText(raw, GetParam());
  auto at = [&](SourcePos pos) -> std::string {
    if (pos.line < 1 || pos.line > static_cast<int>(lines.size())) return "";
    const std::string& line = lines[pos.line - 1];
    if (pos.column < 1 || pos.column > static_cast<int>(line.size())) return "";
    return line.substr(pos.column - 1);
  };
  EXPECT_EQ(doc->pos.line, 1);
  EXPECT_EQ(doc->pos.column, 1);
  for (const FormProperty& prop : doc->props) {
    EXPECT_EQ(at(prop.pos).rfind(prop.name + " = ", 0), 0u) << prop.name;
    EXPECT_EQ(prop.value.pos.line, prop.pos.line) << prop.name;
  }
  for (const auto& child : doc->children) {
    std::string expected = child->name.empty() ? child->className : child->name;
    EXPECT_NE(at(child->pos).find(expected), std::string::npos) << expected;
  }
}

INSTANTIATE_TEST_SUITE_P(Files, FormTextCorpus,
                         testing::ValuesIn(CorpusFiles()),
                         [](const testing::TestParamInfo<std::string>& info) {
                           std::string name =
                               info.param.empty() ? "missing" : info.param;
                           for (char& c : name) {
                             if (!std::isalnum(static_cast<unsigned char>(c)))
                               c = '_';
                           }
                           return name;
                         });

// ---------------------------------------------------------------------------
// Reading values

struct ValueCase {
  std::string source;
  FormValue expected;
};

class FormTextValues : public testing::TestWithParam<ValueCase> {};

TEST_P(FormTextValues, DecodesTo) {
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

INSTANTIATE_TEST_SUITE_P(Table, FormTextValues, testing::ValuesIn(kValueCases));

struct SpellingCase {
  std::string source;
  FormValue::Kind kind;
  std::string text;
};

class FormTextSpelling : public testing::TestWithParam<SpellingCase> {};

TEST_P(FormTextSpelling, KeepsSourceSpelling) {
  const SpellingCase& c = GetParam();
  FormValue v = ParseValue(c.source);
  EXPECT_EQ(v.kind, c.kind) << c.source;
  EXPECT_EQ(v.text, c.text) << c.source;
  EXPECT_EQ(FormatFormValue(v, 2), c.source);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FormTextSpelling,
    testing::Values(SpellingCase{"12", FormValue::Kind::Integer, ""},
                    SpellingCase{"$00FF", FormValue::Kind::Integer, "$00FF"},
                    SpellingCase{"$abc", FormValue::Kind::Integer, "$abc"},
                    SpellingCase{"0.750000000000000000", FormValue::Kind::Float,
                                 "0.750000000000000000"},
                    SpellingCase{"1.0E5", FormValue::Kind::Float, "1.0E5"},
                    SpellingCase{"-2.5d", FormValue::Kind::Float, "-2.5d"},
                    SpellingCase{"1.5s", FormValue::Kind::Float, "1.5s"},
                    SpellingCase{"clBtnFace", FormValue::Kind::Ident,
                                 "clBtnFace"}));

TEST(FormText, FloatKeepsExtendedPrecision) {
  FormValue v = ParseValue("0.1");
  EXPECT_EQ(v.real, 0.1L);
  if (std::numeric_limits<long double>::digits >
      std::numeric_limits<double>::digits) {
    EXPECT_NE(v.real, static_cast<long double>(0.1));
  }
}

TEST(FormText, ReadsDocumentStructure) {
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

TEST(FormText, CollectionItemPositions) {
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

TEST(FormText, AcceptsNestingUpToTheLimit) {
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

// ---------------------------------------------------------------------------
// Errors

struct ErrorCase {
  std::string label;
  std::string source;
  int line;
  int column;
  std::string message;
};

class FormTextErrors : public testing::TestWithParam<ErrorCase> {};

TEST_P(FormTextErrors, ReportsWhereAndWhat) {
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

INSTANTIATE_TEST_SUITE_P(Table, FormTextErrors, testing::ValuesIn(ErrorCases()),
                         [](const testing::TestParamInfo<ErrorCase>& info) {
                           return info.param.label;
                         });

TEST(FormText, ErrorTextNamesFileLineAndColumn) {
  try {
    ParseFormText("object F: TF\n  Left 1\nend\n", "Unit1.dfm");
    FAIL() << "accepted a property without '='";
  } catch (const EParserError& e) {
    EXPECT_STREQ(e.what(),
                 "Unit1.dfm:2:8: error: expected '=' after property name");
  }
}

// ---------------------------------------------------------------------------
// Writing

struct FormatCase {
  std::string label;
  FormValue value;
  std::string expected;  // at an indent of 2
};

class FormTextFormat : public testing::TestWithParam<FormatCase> {};

TEST_P(FormTextFormat, WritesLikeTheDesigner) {
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

INSTANTIATE_TEST_SUITE_P(Table, FormTextFormat,
                         testing::ValuesIn(FormatCases()),
                         [](const testing::TestParamInfo<FormatCase>& info) {
                           return info.param.label;
                         });

TEST(FormText, FormatsObjectHeadersAndLayout) {
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
TEST(FormText, FormattingIsIdempotentOnLooseInput) {
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

TEST(FormText, FormatRefusesWhatCannotBeReadBack) {
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

// ---------------------------------------------------------------------------
// Value helpers and equality

struct EqualityCase {
  std::string label;
  FormValue a;
  FormValue b;
  bool equal;
};

class FormTextEquality : public testing::TestWithParam<EqualityCase> {};

TEST_P(FormTextEquality, Compares) {
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

INSTANTIATE_TEST_SUITE_P(Table, FormTextEquality,
                         testing::ValuesIn(EqualityCases()),
                         [](const testing::TestParamInfo<EqualityCase>& info) {
                           return info.param.label;
                         });

TEST(FormText, HelpersSetKindAndContent) {
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
}  // namespace flx
