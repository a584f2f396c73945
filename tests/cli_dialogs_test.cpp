// flexarium dialogs: the dialogs of resource files, programs and scripts.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <vector>

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

// A .res file of one dialog (ID 7, US English) of `style`, without a font,
// whose only control (ID 5) has the class ordinal `classOrdinal`.
std::string ResWithOneDialog(unsigned style, unsigned classOrdinal) {
  std::string t;
  auto word = [&t](unsigned v) {
    t += static_cast<char>(v & 0xFF);
    t += static_cast<char>((v >> 8) & 0xFF);
  };
  auto dword = [&](unsigned v) {
    word(v & 0xFFFF);
    word(v >> 16);
  };
  dword(style);
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
  word(classOrdinal);
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

// WS_POPUP | WS_CAPTION | WS_SYSMENU, and a class no system class has.
std::string ResWithUnknownClassOrdinal() {
  return ResWithOneDialog(0x80C80000, 0x86);
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

// ---- Dialogs in scenarios

// A scratch folder with a header naming the SETTINGS dialog's controls and
// the other dialog's ID, a .res of one child dialog, and the scenario.
class DialogScenario {
 public:
  DialogScenario()
      : dir_(flx::testing_support::ScratchRoot() /
             "flexarium_cli_dialog_scenario") {
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    std::ofstream(dir_ / "ids.h") << "#pragma once\n"
                                     "#define IDC_WRAP 200\n"
                                     "#define IDC_MODE (0xC9)\n"
                                     "#define IDD_FIND 101\n";
    // WS_CHILD | WS_VISIBLE, a button.
    std::ofstream(dir_ / "page.res", std::ios::binary)
        << ResWithOneDialog(0x50000000, 0x80);
  }
  ~DialogScenario() { fs::remove_all(dir_); }

  std::string path(const char* name) const { return (dir_ / name).string(); }

  // Runs the scenario `text`, where $RES, $RC and $DIR stand for the
  // compiled test dialogs, their script and the scratch folder.
  Outcome run(std::string text) const {
    const std::pair<const char*, std::string> vars[] = {
        {"$RES", kRes}, {"$RC", kScript}, {"$DIR", dir_.string()}};
    for (const auto& [var, value] : vars) {
      for (auto at = text.find(var); at != std::string::npos;
           at = text.find(var)) {
        text.replace(at, std::string(var).size(), value);
      }
    }
    const std::string file = path("dialog.scn");
    std::ofstream(file) << text;
    return RunCli({"run", file});
  }

 private:
  fs::path dir_;
};

struct ScenarioCase {
  const char* name;
  const char* text;
  int status;
  const char* message;  // in standard error, or "ok, N expects" in out
};
void PrintTo(const ScenarioCase& c, std::ostream* os) { *os << c.name; }

class CliDialogScenario : public ::testing::TestWithParam<ScenarioCase> {};

TEST_P(CliDialogScenario, RunsOrSaysWhatIsWrong) {
  if (kRes.empty()) GTEST_SKIP() << "no resource compiler at configure time";
  const ScenarioCase& c = GetParam();
  DialogScenario scenario;
  const Outcome o = scenario.run(c.text);
  EXPECT_EQ(o.status, c.status) << o.out << o.err;
  const std::string& where = c.status == 0 ? o.out : o.err;
  EXPECT_NE(where.find(c.message), std::string::npos) << o.out << o.err;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CliDialogScenario,
    ::testing::Values(
        // 8-point MS Shell Dlg: base units 6 x 13. The check box at 7, 7,
        // 80 x 10 dialog units; the drop-down list as high as its edit
        // field (13 + 8).
        ScenarioCase{"ControlsByHeaderNameAndId",
                     "header $DIR/ids.h\ndialog $RES SETTINGS\nattach\nshow\n"
                     "expect form client=240x98\n"
                     "expect IDC_WRAP bounds=11,11,120,16\n"
                     "expect idc_mode bounds=11,36,150,21\n"
                     "expect Ctl2 bounds=155,65,75,23\n"
                     "scale 2\nexpect Ctl200 bounds=22,22,240,32 font=16\n",
                     0, "ok, 5 expects"},
        ScenarioCase{"DialogByHeaderName",
                     "header $DIR/ids.h\ndialog $RES IDD_FIND 0x409\nattach\n"
                     "show\nexpect form visible=true\n",
                     0, "ok, 1 expect"},
        // The script's own #define lines name its controls.
        ScenarioCase{"AScriptNamesItsControls",
                     "dialog $RC 101\nattach\nshow\n"
                     "expect IDC_NAME visible=true\n"
                     "expect IDC_LIST visible=true\n",
                     0, "ok, 2 expects"},
        ScenarioCase{"AttachedWithTheOptionsSetBefore",
                     "dialog $RES SETTINGS\n"
                     "set Flexarium1.FormMinWidth = 300\n"
                     "set Flexarium1.FormMinHeight = 200\n"
                     "set Flexarium1.FormPos = rpTopLeft\n"
                     "attach\nshow\nexpect form left=0 top=0\n"
                     "drag bottomright -100 -100\n"
                     "expect form size=300x200\n",
                     0, "ok, 2 expects"},
        ScenarioCase{"NoSuchDialog", "dialog $RES 999\n", 1,
                     ": error: dialog 999: no such dialog; its dialogs: "
                     "SETTINGS (0409), 101 (0409)"},
        ScenarioCase{"NoSuchLanguage", "dialog $RES 101 0x0407\n", 1,
                     ": error: dialog 101: no language 0407; the dialog "
                     "has 0409"},
        ScenarioCase{"NotALanguage", "dialog $RES 101 German\n", 1,
                     "dialog.scn:1: dialog: expected a language ID such as "
                     "0x0409 or 1033, got 'German'"},
        ScenarioCase{"AStepBeforeAttach", "dialog $RES 101\nshow\n", 1,
                     "dialog 101 is not attached yet: put an attach line "
                     "after the dialog line"},
        ScenarioCase{"AControlSetBeforeAttach",
                     "dialog $RES 101\nset Ctl1.Width = 5\n", 1,
                     "dialog.scn:2: set: the dialog is not attached yet"},
        ScenarioCase{"AnOptionTheComponentHasNot",
                     "dialog $RES 101\nset Flexarium1.Color = 5\n", 1,
                     "dialog.scn:2: Flexarium1.Color: 'Color' is no "
                     "property of an attached dialog's TFlexarium"},
        ScenarioCase{"AnOptionOfTheWrongKind",
                     "dialog $RES 101\nset Flexarium1.KeepAspect = 1\n", 1,
                     "dialog.scn:2: Flexarium1.KeepAspect: expected True or "
                     "False, got 1"},
        ScenarioCase{"OptionsTheComponentRefuses",
                     "dialog $RES 101\n"
                     "set Flexarium1.FormMinWidth = 600\n"
                     "set Flexarium1.FormMaxWidth = 500\nattach\n",
                     1, "dialog.scn:4: Attach option FormMinWidth 600: "},
        ScenarioCase{"AttachedTwice", "dialog $RES 101\nattach\nattach\n", 1,
                     "dialog.scn:3: the dialog is attached already"},
        ScenarioCase{"ControlsAreNotMade",
                     "dialog $RES 101\nattach\ncreate TButton\n", 1,
                     "dialog.scn:3: create: a dialog's controls are its "
                     "template's windows"},
        ScenarioCase{"AChildDialog", "dialog $DIR/page.res 7\n", 1,
                     "page.res: dialog 7: a child dialog (WS_CHILD"},
        ScenarioCase{"AFormAfterADialog", "dialog $RES 101\nload form.dfm\n", 1,
                     "dialog.scn:2: a scenario loads one form or dialog"}),
    [](const auto& info) { return std::string(info.param.name); });

// The bounds of every control in each `print json` of a run's output.
std::vector<std::map<std::string, std::vector<int>>> PrintedBounds(
    const std::string& out) {
  std::vector<std::map<std::string, std::vector<int>>> steps;
  std::istringstream in(out);
  for (;;) {
    nlohmann::json step;
    try {
      in >> step;
    } catch (const nlohmann::json::exception&) {
      break;
    }
    auto& bounds = steps.emplace_back();
    for (const auto& c : step.at("controls")) {
      bounds[c.at("name")] = {c.at("left"), c.at("top"), c.at("width"),
                              c.at("height")};
    }
  }
  return steps;
}

struct ExclusionCase {
  const char* name;
  const char* list;
  bool afterAttach;
  std::set<std::string> kept;  // controls whose bounds stay at scale 2
};
void PrintTo(const ExclusionCase& c, std::ostream* os) { *os << c.name; }

class CliDialogExclusion : public ::testing::TestWithParam<ExclusionCase> {};

TEST_P(CliDialogExclusion, NamesControlsAsAttachNamesThem) {
  if (kRes.empty()) GTEST_SKIP() << "no resource compiler at configure time";
  const ExclusionCase& c = GetParam();
  const std::string set =
      std::string("set Flexarium1.NoResizeCtl = '") + c.list + "'\n";
  DialogScenario scenario;
  const Outcome o =
      scenario.run("header $DIR/ids.h\ndialog $RES SETTINGS\n" +
                   (c.afterAttach ? "attach\n" + set : set + "attach\n") +
                   "show\nprint json\nscale 2\nprint json\n");
  ASSERT_EQ(o.status, 0) << o.err;
  const auto steps = PrintedBounds(o.out);
  ASSERT_EQ(steps.size(), 2u) << o.out;
  ASSERT_EQ(steps[0].size(), 3u);
  std::set<std::string> kept;
  for (const auto& [name, bounds] : steps[0]) {
    if (steps[1].at(name) == bounds) kept.insert(name);
  }
  EXPECT_EQ(kept, c.kept);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, CliDialogExclusion,
    ::testing::Values(
        ExclusionCase{"ById", "201", false, {"Ctl201"}},
        ExclusionCase{"ByHeaderName", "IDC_WRAP", false, {"Ctl200"}},
        ExclusionCase{"ByWindowClass", "button", false, {"Ctl200", "Ctl2"}},
        ExclusionCase{"EmptyPiecesAndLetterCase",
                      "2;;idc_mode",
                      false,
                      {"Ctl2", "Ctl201"}},
        ExclusionCase{"SetAfterAttach", "IDC_WRAP;2", true, {"Ctl200", "Ctl2"}},
        ExclusionCase{"NamesNothing", "IDC_NONE;4711;Edit", false, {}}),
    [](const auto& info) { return std::string(info.param.name); });

// An attached dialog moved onto a monitor of another DPI stands as the same
// dialog given the DPI ratio times its client size where it was opened: its
// design is what the dialog manager made there.
TEST(CliDialogScenarioDpi, MovedEqualsScaledByTheDpiRatio) {
  if (kRes.empty()) GTEST_SKIP() << "no resource compiler at configure time";
  DialogScenario scenario;
  for (const char* dialog : {"SETTINGS", "101"}) {
    const std::string start =
        std::string(
            "monitor 1920x1080@0,0:96\nmonitor 1920x1080@1920,0:144\n"
            "dialog $RES ") +
        dialog + "\nattach\nshow\n";
    const Outcome moved = scenario.run(start + "move 2200 100\nprint json\n");
    const Outcome scaled = scenario.run(start + "scale 1.5\nprint json\n");
    ASSERT_EQ(moved.status, 0) << moved.err;
    ASSERT_EQ(scaled.status, 0) << scaled.err;
    const auto a = PrintedBounds(moved.out);
    const auto b = PrintedBounds(scaled.out);
    ASSERT_EQ(a.size(), 1u);
    ASSERT_EQ(b.size(), 1u);
    EXPECT_EQ(a[0], b[0]) << dialog;
    EXPECT_NE(moved.out.find("\"dpi\": 144"), std::string::npos) << dialog;
  }
}

}  // namespace
}  // namespace flexarium_cli
