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
  // Name or number, language, size in dialog units, controls, caption.
  EXPECT_NE(o.out.find("  SETTINGS                0409  160x60      3         "
                       "Settings\n"),
            std::string::npos)
      << o.out;
  EXPECT_NE(o.out.find("  101                     0409  200x120     6         "
                       "Find a pupil\n"),
            std::string::npos)
      << o.out;

  const Outcome j = RunCli({"dialogs", "--json", kRes});
  ASSERT_EQ(j.status, 0) << j.err;
  const auto doc = nlohmann::json::parse(j.out);
  const auto& dialogs = doc.at(0).at("dialogs");
  ASSERT_EQ(dialogs.size(), 2u);
  EXPECT_EQ(dialogs[1].at("id"), 101);
  EXPECT_EQ(dialogs[1].at("font").at("face"), "Segoe UI");
  EXPECT_EQ(dialogs[0].at("name"), "SETTINGS");
  EXPECT_EQ(dialogs[0].at("dlu").at("width"), 160);
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
