// flexarium dialogs: the dialogs of resource files, programs and scripts.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

#include "cli_run.h"
#include "scratch_root.h"

namespace flexarium_cli {
namespace {

namespace fs = std::filesystem;

const std::string kRes = FLEXARIUM_TEST_RES;
const std::string kScript =
    std::string(FLEXARIUM_SOURCE_DIR) + "/tests/data/dialogs.rc";

// Sets an environment variable for one test.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    ::setenv(name, value, 1);
  }
  ~ScopedEnv() {
    if (old_) {
      ::setenv(name_, old_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(CliDialogs, ListsEachDialogWithItsSizeControlsAndCaption) {
  if (kRes.empty()) GTEST_SKIP() << "no resource compiler at configure time";
  const Outcome o = RunCli({"dialogs", kRes});
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_NE(o.out.find(kRes + ": 2 dialogs\n"), std::string::npos) << o.out;
  // Name or number, language, size in dialog units and in pixels at 96
  // DPI (8-point MS Shell Dlg: base units 6 x 13), controls, caption.
  EXPECT_NE(o.out.find("  SETTINGS                0409  160x60      240x98     "
                       "3         Settings\n"),
            std::string::npos)
      << o.out;
  const auto row = o.out.find("  101                     0409  200x120     ");
  ASSERT_NE(row, std::string::npos) << o.out;
  const std::string line = o.out.substr(row, o.out.find('\n', row) - row);
  EXPECT_EQ(line.substr(line.size() - 22), "6         Find a pupil") << line;

  const Outcome j = RunCli({"dialogs", "--json", kRes});
  ASSERT_EQ(j.status, 0) << j.err;
  const auto doc = nlohmann::json::parse(j.out);
  const auto& dialogs = doc.at(0).at("dialogs");
  ASSERT_EQ(dialogs.size(), 2u);
  EXPECT_EQ(dialogs[1].at("id"), 101);
  EXPECT_EQ(dialogs[1].at("font").at("face"), "Segoe UI");
  EXPECT_EQ(dialogs[0].at("name"), "SETTINGS");
  EXPECT_EQ(dialogs[0].at("dlu").at("width"), 160);
  // The client area in pixels, and the window around it: a dialog frame
  // of 3 px a side and a caption.
  const auto& px = dialogs[0].at("pixels");
  EXPECT_EQ(px.at("width"), 240);
  EXPECT_EQ(px.at("height"), 98);
  EXPECT_EQ(px.at("window_width").get<int>() - 240, 6);
  EXPECT_GT(px.at("window_height").get<int>() - 98, 6);
  // The 9-point bold italic Segoe UI of the other one asks for larger
  // base units than 8-point MS Shell Dlg.
  EXPECT_GT(dialogs[1].at("pixels").at("width").get<int>(), 200 * 6 / 4);
}

TEST(CliDialogs, AScriptGoesThroughTheResourceCompiler) {
  if (kRes.empty()) GTEST_SKIP() << "no resource compiler at configure time";
  const Outcome fromScript = RunCli({"dialogs", "--json", kScript});
  ASSERT_EQ(fromScript.status, 0) << fromScript.err;
  const Outcome fromRes = RunCli({"dialogs", "--json", kRes});
  auto script = nlohmann::json::parse(fromScript.out);
  auto res = nlohmann::json::parse(fromRes.out);
  EXPECT_EQ(script.at(0).at("dialogs"), res.at(0).at("dialogs"));
}

struct BadFile {
  const char* name;
  std::string bytes;  // written to the file; empty: the file is missing
  const char* file;
  const char* message;
};

void PrintTo(const BadFile& c, std::ostream* os) { *os << c.name; }

class CliDialogsBadInput : public ::testing::TestWithParam<BadFile> {};

TEST_P(CliDialogsBadInput, SaysWhatAndWhereAndGoesOn) {
  const BadFile& c = GetParam();
  const fs::path dir =
      flx::testing_support::ScratchRoot() / "flexarium_cli_dialogs";
  fs::create_directories(dir);
  const std::string path = (dir / c.file).string();
  fs::remove(path);
  if (!c.bytes.empty()) std::ofstream(path, std::ios::binary) << c.bytes;
  // A good file after the bad one is still listed.
  std::vector<std::string> args = {"dialogs", path};
  if (!kRes.empty()) args.push_back(kRes);
  const Outcome o = RunCli(args);
  EXPECT_EQ(o.status, 1);
  EXPECT_NE(o.err.find(path + c.message), std::string::npos) << o.err;
  if (!kRes.empty()) {
    EXPECT_NE(o.out.find("2 dialogs"), std::string::npos);
  }
  fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(
    Files, CliDialogsBadInput,
    ::testing::Values(
        BadFile{"missing", "", "none.res", ": error: cannot open the file"},
        BadFile{"truncated_res", std::string("\0\0\0\0 \0\0\0\xff\xff", 10),
                "cut.res", ": byte 0x"},
        BadFile{"not_a_pe", "MZ", "cut.exe", ": byte 0x2: error: "}),
    [](const auto& info) { return std::string(info.param.name); });

// A .res file of one dialog (ID 7, US English) whose only control has the
// class ordinal 0x86, which no system class has.
std::string ResWithUnknownClassOrdinal() {
  std::string t;
  auto word = [&t](unsigned v) {
    t += static_cast<char>(v & 0xFF);
    t += static_cast<char>((v >> 8) & 0xFF);
  };
  auto dword = [&](unsigned v) {
    word(v & 0xFFFF);
    word(v >> 16);
  };
  dword(0x80C80000);  // WS_POPUP | WS_CAPTION | WS_SYSMENU, no font
  dword(0);
  word(1);
  for (unsigned v : {0u, 0u, 100u, 50u}) word(v);
  word(0);  // menu
  word(0);  // class
  word(0);  // title
  while (t.size() % 4 != 0) t += '\0';
  dword(0x50000000);
  dword(0);
  for (unsigned v : {5u, 5u, 20u, 10u}) word(v);
  word(5);  // ID
  word(0xFFFF);
  word(0x86);
  word(0);  // title
  word(0);  // no creation data
  std::string res;
  auto put = [&res](unsigned v, int bytes) {
    for (int i = 0; i < bytes; ++i)
      res += static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  put(static_cast<unsigned>(t.size()), 4);
  put(32, 4);  // header size
  put(0xFFFF, 2);
  put(5, 2);  // RT_DIALOG
  put(0xFFFF, 2);
  put(7, 2);
  put(0, 4);       // data version
  put(0x1030, 2);  // memory flags
  put(0x0409, 2);  // language
  put(0, 4);       // version
  put(0, 4);       // characteristics
  return res + t;
}

TEST(CliDialogs, ADialogThatCannotBeMadeHasNoPixelSizeAndSaysWhy) {
  const fs::path dir = fs::temp_directory_path() / "flexarium_cli_dialogs_px";
  fs::create_directories(dir);
  const std::string path = (dir / "unknown_class.res").string();
  std::ofstream(path, std::ios::binary) << ResWithUnknownClassOrdinal();
  const Outcome o = RunCli({"dialogs", path});
  // The file reads: the dialog is listed, only its pixel size is missing.
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_NE(o.out.find("  7                       0409  100x50      -          "
                       "1         \n"),
            std::string::npos)
      << o.out;
  EXPECT_NE(o.err.find(path + ": dialog 7 (template at byte 0x20): no size "
                              "in pixels: dialog template: item 1 (ID 5, at "
                              "byte 0x18): class ordinal 134"),
            std::string::npos)
      << o.err;
  const Outcome j = RunCli({"dialogs", "--json", path});
  const auto doc = nlohmann::json::parse(j.out);
  EXPECT_TRUE(doc.at(0).at("dialogs").at(0).at("pixels").is_null());
  fs::remove_all(dir);
}

TEST(CliDialogs, AScriptWithoutAResourceCompilerIsRefusedWithAWayOut) {
  ScopedEnv path("PATH", "/nonexistent");
  ScopedEnv windres("FLEXARIUM_WINDRES", "");
  const Outcome o = RunCli({"dialogs", kScript});
  EXPECT_EQ(o.status, 1);
  EXPECT_NE(o.err.find(kScript + ": error: reading a resource script needs "
                                 "MinGW-w64's resource compiler"),
            std::string::npos)
      << o.err;
  EXPECT_NE(o.err.find("FLEXARIUM_WINDRES"), std::string::npos);
}

}  // namespace
}  // namespace flexarium_cli
