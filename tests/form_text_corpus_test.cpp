// The form-text parser and writer on the corpus of real form files: each
// file is written back byte for byte (less CRLF and BOM), formatting is
// idempotent, and positions point at the source.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "corpus.h"
#include "flexarium/form_text.h"

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

class FormTextCorpus : public testing::TestWithParam<std::string> {
 protected:
  std::string Load() {
    if (GetParam().empty()) return {};
    return ReadFile(corpus::Dir() / GetParam());
  }
};

TEST_P(FormTextCorpus, RoundTripsByteIdentically) {
  if (GetParam().empty()) GTEST_SKIP() << corpus::Missing();
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
  if (GetParam().empty()) GTEST_SKIP() << corpus::Missing();
  auto doc = ParseFormText(Load(), GetParam());
  const std::string once = FormatFormText(*doc);
  auto again = ParseFormText(once, GetParam());
  EXPECT_EQ(FormatFormText(*again), once);
  ExpectSameDocument(*doc, *again);
}

// CRLF files and the BOM must not shift positions.
TEST_P(FormTextCorpus, PositionsPointAtTheSource) {
  if (GetParam().empty()) GTEST_SKIP() << corpus::Missing();
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
                         testing::ValuesIn(corpus::Files()),
                         [](const testing::TestParamInfo<std::string>& info) {
                           return corpus::TestName(info.param);
                         });

}  // namespace
}  // namespace flx
