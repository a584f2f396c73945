// A dialog named on the demo's command line and found in a file's
// resources.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialog_choice.h"
#include "options.h"

namespace flexarium_cli {
namespace {

using flx::res::Resource;
using flx::res::ResourceId;

struct ArgumentCase {
  const char* label;
  const char* text;
  bool valid;
  const char* file;
  bool ordinal;
  unsigned number;
  const char* name;
};

class DialogArguments : public testing::TestWithParam<ArgumentCase> {};

TEST_P(DialogArguments, SplitAtTheLastColon) {
  const ArgumentCase& c = GetParam();
  const auto argument = parseDialogArgument(c.text);
  ASSERT_EQ(argument.has_value(), c.valid);
  if (!c.valid) return;
  EXPECT_EQ(argument->file, c.file);
  EXPECT_EQ(argument->id.isOrdinal, c.ordinal);
  if (c.ordinal) {
    EXPECT_EQ(argument->id.ordinal, c.number);
  } else {
    EXPECT_EQ(argument->id.toString(), c.name);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Demo, DialogArguments,
    testing::Values(
        ArgumentCase{"number", "app.res:101", true, "app.res", true, 101, ""},
        ArgumentCase{"hash_number", "app.res:#7", true, "app.res", true, 7, ""},
        ArgumentCase{"name", "app.exe:ABOUTBOX", true, "app.exe", false, 0,
                     "ABOUTBOX"},
        ArgumentCase{"drive_letter", "C:\\apps\\app.exe:101", true,
                     "C:\\apps\\app.exe", true, 101, ""},
        ArgumentCase{"number_past_16_bits_is_a_name", "a.res:65536", true,
                     "a.res", false, 0, "65536"},
        ArgumentCase{"largest_number", "a.res:65535", true, "a.res", true,
                     65535, ""},
        ArgumentCase{"no_colon", "app.res", false, "", false, 0, ""},
        ArgumentCase{"nothing_after_the_colon", "app.res:", false, "", false, 0,
                     ""},
        ArgumentCase{"drive_letter_without_id", "C:\\apps\\app.exe", false, "",
                     false, 0, ""},
        ArgumentCase{"no_file", ":101", false, "", false, 0, ""}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(DialogLanguages, DecimalOrHexadecimalWithinSixteenBits) {
  const struct {
    const char* text;
    std::optional<int> want;
  } cases[] = {
      {"1033", 1033},       {"0x409", 0x409},
      {"0X0407", 0x407},    {"0", 0},
      {"65535", 65535},     {"65536", std::nullopt},
      {"0x", std::nullopt}, {"0x1g", std::nullopt},
      {"-1", std::nullopt}, {"", std::nullopt},
      {"en", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(parseLanguage(c.text), c.want) << c.text;
  }
}

Resource dialog(ResourceId name, std::uint16_t language, std::size_t offset) {
  Resource r;
  r.type = ResourceId::Ordinal(flx::res::kRtDialog);
  r.name = std::move(name);
  r.language = language;
  r.offset = offset;
  return r;
}

std::vector<Resource> sample() {
  Resource icon;
  icon.type = ResourceId::Ordinal(3);
  icon.name = ResourceId::Ordinal(101);
  icon.offset = 1;
  return {icon,
          dialog(ResourceId::Ordinal(101), 0x407, 10),
          dialog(ResourceId::Ordinal(101), 0x409, 11),
          dialog(ResourceId::Ordinal(101), 0x40C, 12),
          dialog(ResourceId::Name(u"ABOUT"), 0x411, 20),
          dialog(ResourceId::Name(u"ABOUT"), 0x407, 21),
          dialog(ResourceId::Ordinal(102), 0x409, 30),
          dialog(ResourceId::Ordinal(102), 0, 31),
          dialog(ResourceId::Name(u"102"), 0, 40)};
}

TEST(PickDialog, PicksTheLanguageAProgramGets) {
  const auto all = sample();
  const struct {
    const char* label;
    ResourceId id;
    std::optional<int> language;
    std::size_t offset;
  } cases[] = {
      {"US English before others", ResourceId::Ordinal(101), std::nullopt, 11},
      {"neutral before US English", ResourceId::Ordinal(102), std::nullopt, 31},
      {"else the lowest", ResourceId::Name(u"about"), std::nullopt, 21},
      {"the language asked for", ResourceId::Ordinal(101), 0x40C, 12},
      {"a name is not the number", ResourceId::Name(u"102"), std::nullopt, 40},
      {"not the icon of that number", ResourceId::Ordinal(101), 0x407, 10},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(pickDialog(all, "app.exe", c.id, c.language).offset, c.offset)
        << c.label;
  }
}

TEST(PickDialog, NamesWhatTheFileHasInstead) {
  const auto all = sample();
  const struct {
    ResourceId id;
    std::optional<int> language;
    std::vector<Resource> resources;
    const char* message;
  } cases[] = {
      {ResourceId::Ordinal(7), std::nullopt, all,
       "app.exe: error: no dialog 7; the file's dialogs are 101, 'ABOUT', "
       "102, '102'"},
      {ResourceId::Ordinal(101), 0x411, all,
       "app.exe: error: dialog 101 has no language 1041 (0x0411); it has "
       "1031 (0x0407), 1033 (0x0409), 1036 (0x040C)"},
      {ResourceId::Ordinal(101),
       std::nullopt,
       {all[0]},
       "app.exe: error: the file holds no dialog template"},
  };
  for (const auto& c : cases) {
    try {
      pickDialog(c.resources, "app.exe", c.id, c.language);
      ADD_FAILURE() << "found: " << c.message;
    } catch (const flx::Exception& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
    }
  }
}

}  // namespace
}  // namespace flexarium_cli
