// Resources as data: the entries of .res files and PE images, dialog
// templates read from them, and bad input refused with its byte offset.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "flexarium/resources.h"

namespace {

using namespace flx::res;
using Bytes = std::vector<std::uint8_t>;

Bytes readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

const Resource* find(const std::vector<Resource>& all, std::uint16_t type,
                     const ResourceId& name) {
  for (const Resource& r : all) {
    if (r.type.matches(ResourceId::Ordinal(type)) && r.name.matches(name)) {
      return &r;
    }
  }
  return nullptr;
}

DialogTemplate dialogOf(const Bytes& file, const Resource& r) {
  return ParseDialogTemplate(std::span(file).subspan(r.offset, r.size),
                             "dialogs.res", r.offset);
}

// ---- Little builders for bad input: bytes as the formats lay them out.

void put16(Bytes& b, unsigned v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put32(Bytes& b, std::uint32_t v) {
  put16(b, v & 0xFFFF);
  put16(b, v >> 16);
}
void putString(Bytes& b, std::u16string_view s) {
  for (char16_t c : s) put16(b, c);
  put16(b, 0);
}
void set32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> 8 * i);
}

// A standard template of `items` buttons, with a font.
Bytes standardTemplate(int items) {
  Bytes b;
  put32(b, 0x80C800C0);  // DS_SETFONT | DS_MODALFRAME | popup, caption
  put32(b, 0);
  put16(b, static_cast<unsigned>(items));
  for (int v : {0, 0, 100, 50}) put16(b, static_cast<unsigned>(v));
  put16(b, 0);  // menu
  put16(b, 0);  // class
  putString(b, u"T");
  put16(b, 8);
  putString(b, u"MS Shell Dlg");
  for (int i = 0; i < items; ++i) {
    while (b.size() % 4 != 0) b.push_back(0);
    put32(b, 0x50010000);
    put32(b, 0);
    for (int v : {4, 4 + 16 * i, 40, 14}) put16(b, static_cast<unsigned>(v));
    put16(b, 100 + static_cast<unsigned>(i));
    put16(b, 0xFFFF);
    put16(b, 0x80);
    putString(b, u"OK");
    put16(b, 0);  // no creation data
  }
  return b;
}

// A .res file: the empty first entry, then one dialog (type 5, id 7).
Bytes resFile(const Bytes& dialog) {
  Bytes b(32, 0);
  set32(b, 4, 32);
  b[8] = b[9] = 0xFF;
  b[12] = b[13] = 0xFF;
  put32(b, static_cast<std::uint32_t>(dialog.size()));
  put32(b, 32);
  put16(b, 0xFFFF);
  put16(b, kRtDialog);
  put16(b, 0xFFFF);
  put16(b, 7);
  put32(b, 0);
  put16(b, 0x1030);
  put16(b, 0x0409);
  put32(b, 0);
  put32(b, 0);
  b.insert(b.end(), dialog.begin(), dialog.end());
  while (b.size() % 4 != 0) b.push_back(0);
  return b;
}

// A PE32+ (or PE32) image whose resource section holds `rsrc` (directory
// offsets are from its start; its data's RVA is 0x1000 + offset).
Bytes peImage(const Bytes& rsrc, bool pe32 = false) {
  Bytes b(0x200, 0);
  b[0] = 'M';
  b[1] = 'Z';
  set32(b, 0x3C, 0x40);
  set32(b, 0x40, 0x00004550);
  b[0x44 + 2] = 1;  // one section
  const std::size_t optSize = pe32 ? 224 : 240;
  b[0x44 + 16] = static_cast<std::uint8_t>(optSize);
  const std::size_t opt = 0x58;
  b[opt] = 0x0B;
  b[opt + 1] = pe32 ? 0x01 : 0x02;
  const std::size_t dirs = opt + (pe32 ? 96 : 112);
  set32(b, dirs - 4, 16);       // data directories
  set32(b, dirs + 16, 0x1000);  // resource directory RVA
  set32(b, dirs + 20, 0x100);   // and size
  const std::size_t section = opt + optSize;
  std::memcpy(&b[section], ".rsrc", 5);
  set32(b, section + 8, 0x200);    // virtual size
  set32(b, section + 12, 0x1000);  // virtual address
  set32(b, section + 16, 0x200);   // raw size
  set32(b, section + 20, 0x200);   // raw offset
  Bytes data = rsrc;
  data.resize(0x200, 0);
  b.insert(b.end(), data.begin(), data.end());
  return b;
}

// A directory at `at` with one id entry (`id`, `target`).
void directory(Bytes& b, std::size_t at, std::uint32_t id,
               std::uint32_t target) {
  if (b.size() < at + 24) b.resize(at + 24, 0);
  b[at + 14] = 1;
  set32(b, at + 16, id);
  set32(b, at + 20, target);
}

// Type 5 / name 7 / language 0x409 / data at 0x60 (RVA 0x1060), `size`
// bytes of `dialog`.
Bytes rsrcWithDialog(const Bytes& dialog) {
  Bytes r;
  directory(r, 0x00, kRtDialog, 0x80000018);
  directory(r, 0x18, 7, 0x80000030);
  directory(r, 0x30, 0x409, 0x48);
  r.resize(0x60, 0);
  set32(r, 0x48, 0x1060);
  set32(r, 0x4C, static_cast<std::uint32_t>(dialog.size()));
  r.insert(r.end(), dialog.begin(), dialog.end());
  return r;
}

// ---- What a resource compiler writes

TEST(ResourceFile, ReadsTheDialogsOfACompiledScript) {
  if (std::string(FLEXARIUM_TEST_RES).empty()) {
    GTEST_SKIP() << "no resource compiler (windres) found at configure time";
  }
  const Bytes file = readFile(FLEXARIUM_TEST_RES);
  const auto all = ReadResFile(file, "dialogs.res");
  ASSERT_EQ(all.size(), 2u);

  const Resource* find101 = find(all, kRtDialog, ResourceId::Ordinal(101));
  ASSERT_NE(find101, nullptr);
  EXPECT_EQ(find101->language, 0x0409);
  const DialogTemplate ex = dialogOf(file, *find101);
  EXPECT_TRUE(ex.extended);
  EXPECT_EQ(ex.style, 0x80C80048u);
  EXPECT_EQ(ex.exStyle, 0x100u);
  EXPECT_EQ(ex.x, 10);
  EXPECT_EQ(ex.y, 20);
  EXPECT_EQ(ex.cx, 200);
  EXPECT_EQ(ex.cy, 120);
  EXPECT_TRUE(ex.menu.empty());
  EXPECT_TRUE(ex.windowClass.empty());
  EXPECT_TRUE(ex.hasFont);
  EXPECT_EQ(ex.pointSize, 9);
  EXPECT_EQ(ex.weight, 700);
  EXPECT_TRUE(ex.italic);
  EXPECT_EQ(ex.charset, 0xCC);
  EXPECT_EQ(ex.face, u"Segoe UI");
  ASSERT_EQ(ex.items.size(), 6u);

  struct Want {
    std::uint32_t id;
    int x, y, cx, cy;
    const char* cls;
    const char* title;
  };
  const Want want[] = {
      {0xFFFFFFFF, 7, 9, 30, 8, "130", "&Name:"},
      {1001, 40, 7, 150, 14, "129", ""},
      {1002, 7, 28, 186, 60, "SYSLISTVIEW32", ""},
      {1, 89, 98, 50, 14, "128", "OK"},
      {2, 143, 98, 50, 14, "128", "Cancel"},
      {3, 7, 98, 0, 0, "130", "32512"},  // an icon takes its own size
  };
  for (std::size_t i = 0; i < ex.items.size(); ++i) {
    SCOPED_TRACE("item " + std::to_string(i + 1));
    const DialogItem& item = ex.items[i];
    EXPECT_EQ(item.id, want[i].id);
    EXPECT_EQ(item.x, want[i].x);
    EXPECT_EQ(item.y, want[i].y);
    EXPECT_EQ(item.cx, want[i].cx);
    EXPECT_EQ(item.cy, want[i].cy);
    EXPECT_EQ(item.windowClass.toString(), want[i].cls);
    EXPECT_EQ(item.title.toString(), want[i].title);
  }
  EXPECT_EQ(ex.items[2].style, 0x50010001u);
  EXPECT_TRUE(ex.items[5].title.isOrdinal);  // an icon's resource id

  // A named dialog is found in any letter case.
  const Resource* settings =
      find(all, kRtDialog, ResourceId::Parse("settings"));
  ASSERT_NE(settings, nullptr);
  const DialogTemplate std = dialogOf(file, *settings);
  EXPECT_FALSE(std.extended);
  EXPECT_EQ(std.title, u"Settings");
  EXPECT_EQ(std.pointSize, 8);
  EXPECT_EQ(std.face, u"MS Shell Dlg");
  ASSERT_EQ(std.items.size(), 3u);
  EXPECT_EQ(std.items[0].id, 200u);
  EXPECT_EQ(std.items[1].windowClass.ordinal, 0x85);
  EXPECT_EQ(PredefinedClassName(std.items[1].windowClass.ordinal), "ComboBox");
  EXPECT_EQ(std.items[2].title.toString(), "Close");
}

TEST(ResourceId, ParsesNumbersAsFindResourceDoes) {
  struct Case {
    const char* text;
    bool ordinal;
    int number;
  } cases[] = {{"#258", true, 258},     {"#0", true, 0},
               {"#65535", true, 65535}, {"#65536", false, 0},
               {"#12a", false, 0},      {"258", false, 0},
               {"#", false, 0},         {"IDD_ABOUT", false, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const ResourceId id = ResourceId::Parse(c.text);
    EXPECT_EQ(id.isOrdinal, c.ordinal);
    if (c.ordinal) {
      EXPECT_EQ(id.ordinal, c.number);
    } else {
      EXPECT_EQ(id.toString(), c.text);
    }
  }
  EXPECT_TRUE(
      ResourceId::Parse("idd_About").matches(ResourceId::Name(u"IDD_ABOUT")));
  EXPECT_FALSE(ResourceId::Ordinal(5).matches(ResourceId::Name(u"5")));
}

// ---- Real PE images: Wine's own programs and DLLs

TEST(PeResources, EveryDialogOfWinesProgramsReads) {
  const std::filesystem::path dir =
      "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows";
  int files = 0;
  for (const char* name : {"notepad.exe", "regedit.exe", "winecfg.exe",
                           "comdlg32.dll", "shell32.dll"}) {
    if (!std::filesystem::exists(dir / name)) continue;
    SCOPED_TRACE(name);
    ++files;
    const Bytes file = readFile(dir / name);
    const auto all = ReadPeResources(file, name);
    int dialogs = 0;
    for (const Resource& r : all) {
      if (!r.type.matches(ResourceId::Ordinal(kRtDialog))) continue;
      ++dialogs;
      const DialogTemplate t = ParseDialogTemplate(
          std::span(file).subspan(r.offset, r.size), name, r.offset);
      EXPECT_GT(t.cx, 0) << r.name.toString();
      for (const DialogItem& item : t.items) {
        EXPECT_FALSE(item.windowClass.empty()) << r.name.toString();
      }
    }
    EXPECT_GT(dialogs, 0);
  }
  if (files == 0)
    GTEST_SKIP() << "Wine's PE files are not installed in " << dir;
}

TEST(PeResources, ReadsHandMadeImagesOfBothWidths) {
  for (bool pe32 : {false, true}) {
    SCOPED_TRACE(pe32 ? "PE32" : "PE32+");
    const Bytes dialog = standardTemplate(2);
    const Bytes pe = peImage(rsrcWithDialog(dialog), pe32);
    const auto all = ReadResources(pe, "tiny.exe");
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].name.ordinal, 7);
    EXPECT_EQ(all[0].language, 0x409);
    EXPECT_EQ(all[0].offset, 0x260u);
    const DialogTemplate t = ParseDialogTemplate(
        std::span(pe).subspan(all[0].offset, all[0].size), "tiny.exe");
    ASSERT_EQ(t.items.size(), 2u);
    EXPECT_EQ(t.items[1].y, 20);
  }
}

// ---- Bad input: refused with the byte offset, never read past the end

struct BadInput {
  const char* name;
  Bytes bytes;
  const char* message;  // part of the error's text
  bool pe = false;
};

void PrintTo(const BadInput& c, std::ostream* os) { *os << c.name; }

class ResourceBadInput : public ::testing::TestWithParam<BadInput> {};

TEST_P(ResourceBadInput, IsRefusedWithItsOffset) {
  const BadInput& c = GetParam();
  try {
    const auto all = ReadResources(c.bytes, "bad.res");
    for (const Resource& r : all) {
      ParseDialogTemplate(std::span(c.bytes).subspan(r.offset, r.size),
                          "bad.res", r.offset);
    }
    FAIL() << "accepted";
  } catch (const EResourceError& e) {
    EXPECT_NE(std::string(e.what()).find("bad.res: byte 0x"),
              std::string::npos);
    EXPECT_NE(e.detail().find(c.message), std::string::npos) << e.what();
    EXPECT_LE(e.offset(), c.bytes.size());
  }
}

std::vector<BadInput> badInputs() {
  std::vector<BadInput> out;
  {
    Bytes t = standardTemplate(3);
    t[8] = 200;  // 200 items in the bytes of 3
    out.push_back({"more_items_than_data", resFile(t), "cannot fit"});
  }
  {
    Bytes t = standardTemplate(2);
    t.resize(t.size() - 6);  // the second item's title and data cut off
    out.push_back({"truncated_item", resFile(t), "item 2 of 2"});
  }
  {
    Bytes t = standardTemplate(0);
    t.resize(18 + 4 + 2);  // the title's NUL cut off
    out.push_back({"unterminated_title", resFile(t), "no terminating NUL"});
  }
  {
    Bytes f = resFile(standardTemplate(1));
    set32(f, 32, 0x7FFFFFF0);  // data size
    out.push_back({"data_past_the_end", f, "runs past the end of the file"});
  }
  {
    Bytes f = resFile(standardTemplate(1));
    set32(f, 36, 12);  // header size
    out.push_back({"header_too_small", f, "does not fit"});
  }
  {
    Bytes r;
    directory(r, 0x00, kRtDialog, 0x80000000);  // the type points at itself
    out.push_back({"directory_loop", peImage(r), "a loop", true});
  }
  {
    Bytes r = rsrcWithDialog(standardTemplate(1));
    set32(r, 0x48, 0x11F0);  // the data runs past the section's data
    out.push_back({"data_rva_outside", peImage(r), "runs past"});
  }
  {
    Bytes r;
    directory(r, 0x00, kRtDialog, 0x80000018);
    directory(r, 0x18, 7, 0x80000030);
    directory(r, 0x30, 0x409, 0x80000048);  // a fourth level
    directory(r, 0x48, 1, 0x60);
    out.push_back({"too_deep", peImage(r), "deeper than"});
  }
  {
    Bytes r;
    directory(r, 0x00, kRtDialog, 0x80000018);
    r[0x0E] = 0xFF;  // 255 entries in a few bytes
    out.push_back({"entries_past_the_end", peImage(r), "entries"});
  }
  {
    Bytes pe = peImage(rsrcWithDialog(standardTemplate(1)));
    set32(pe, 0x3C, 0xFFFFFF00);  // the PE header far past the end
    out.push_back({"pe_header_past_the_end", pe, "PE header"});
  }
  return out;
}

INSTANTIATE_TEST_SUITE_P(Resources, ResourceBadInput,
                         ::testing::ValuesIn(badInputs()),
                         [](const ::testing::TestParamInfo<BadInput>& info) {
                           return std::string(info.param.name);
                         });

// Every prefix of a good file either reads or is refused: nothing in
// between reads past the end (the sanitizer build checks the reads).
TEST(ResourceBadInput, EveryTruncationIsReadOrRefused) {
  for (const Bytes& whole : {resFile(standardTemplate(3)),
                             peImage(rsrcWithDialog(standardTemplate(2)))}) {
    for (std::size_t n = 0; n < whole.size(); ++n) {
      const Bytes part(whole.begin(), whole.begin() + static_cast<long>(n));
      try {
        for (const Resource& r : ReadResources(part, "cut.res")) {
          ASSERT_LE(r.offset + r.size, part.size());
          ParseDialogTemplate(std::span(part).subspan(r.offset, r.size),
                              "cut.res", r.offset);
        }
      } catch (const EResourceError& e) {
        EXPECT_LE(e.offset(), part.size()) << e.what();
      }
    }
  }
}

}  // namespace
