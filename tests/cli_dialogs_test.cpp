// The command on dialogs: the dialogs of resource files, programs and
// scripts, made, attached and checked.
//
// Sections:
//   flexarium dialogs        the listing, bad files, scripts without windres
//   Dialogs in scenarios     dialog/attach lines, exclusions by ID and name
//   Moving to another DPI    a moved dialog as the dialog opened there
//   preview --dialog         JSON, looks, options, pictures, refusals
//   lint on dialogs          findings named by dialog and control
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

// ---- flexarium dialogs

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

// A .res file of one standard dialog template (ID 7, US English) of
// `style`, without a font, whose only control (16-bit ID `itemId`) has the
// class ordinal `classOrdinal`.
std::string ResWithOneDialog(unsigned style, unsigned classOrdinal,
                             unsigned itemId = 5) {
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
  word(itemId);
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
    std::ofstream(dir_ / "unknown.res", std::ios::binary)
        << ResWithUnknownClassOrdinal();
    // A popup with a static text of ID -1, kept in 16 bits (0xFFFF).
    std::ofstream(dir_ / "static.res", std::ios::binary)
        << ResWithOneDialog(0x80C80000, 0x82, 0xFFFF);
    // A script whose width comes from a header in another folder and a
    // define.
    fs::create_directories(dir_ / "inc");
    std::ofstream(dir_ / "inc" / "sizes.h") << "#ifdef WIDE\n"
                                               "#define DLG_WIDTH 200\n"
                                               "#else\n"
                                               "#define DLG_WIDTH 100\n"
                                               "#endif\n";
    std::ofstream(dir_ / "sized.rc") << "#include \"sizes.h\"\n"
                                        "1 DIALOGEX 0, 0, DLG_WIDTH, 50\n"
                                        "STYLE 0x80C80000\n"
                                        "FONT 8, \"MS Shell Dlg\"\n"
                                        "{\n}\n";
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
        // 200 x 50 dialog units at 6 x 13.
        ScenarioCase{"AScriptWithIncludeFoldersAndDefines",
                     "include $DIR/inc\ndefine WIDE=1\ndialog $DIR/sized.rc 1\n"
                     "attach\nshow\nexpect form client=300x81\n",
                     0, "ok, 1 expect"},
        ScenarioCase{"NoSuchIncludeFolder", "include $DIR/none\n", 1,
                     "none: no such folder"},
        ScenarioCase{"ADefineWithoutAName", "define =1\n", 1,
                     "dialog.scn:1: define: expected NAME or NAME=VALUE, got "
                     "'=1'"},
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

// Each `print json` document of a run's output.
std::vector<nlohmann::json> PrintedSteps(const std::string& out) {
  std::vector<nlohmann::json> steps;
  std::istringstream in(out);
  for (;;) {
    nlohmann::json step;
    try {
      in >> step;
    } catch (const nlohmann::json::exception&) {
      break;
    }
    steps.push_back(std::move(step));
  }
  return steps;
}

// The bounds of every control in each `print json` of a run's output.
std::vector<std::map<std::string, std::vector<int>>> PrintedBounds(
    const std::string& out) {
  std::vector<std::map<std::string, std::vector<int>>> steps;
  for (const nlohmann::json& step : PrintedSteps(out)) {
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
  const char* dialog = "$RES SETTINGS";
  std::size_t controls = 3;
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
      scenario.run(std::string("header $DIR/ids.h\ndialog ") + c.dialog + "\n" +
                   (c.afterAttach ? "attach\n" + set : set + "attach\n") +
                   "show\nprint json\nscale 2\nprint json\n");
  ASSERT_EQ(o.status, 0) << o.err;
  const auto steps = PrintedBounds(o.out);
  ASSERT_EQ(steps.size(), 2u) << o.out;
  ASSERT_EQ(steps[0].size(), c.controls);
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
        ExclusionCase{"NamesNothing", "IDC_NONE;4711;Edit", false, {}},
        // IDC_STATIC: a 32-bit -1 in an extended template, 0xFFFF in a
        // standard one.
        ExclusionCase{"StaticTextsOfAnExtendedTemplate",
                      "-1",
                      false,
                      {"CtlM1"},
                      "$RES 101",
                      6},
        ExclusionCase{"StaticTextsOfAStandardTemplate",
                      "-1",
                      true,
                      {"Ctl65535"},
                      "$DIR/static.res 7",
                      1}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Moving to another DPI

// Every printed step's form (client size, font) and controls (bounds,
// font), as one comparable text per step.
std::vector<std::string> PrintedLayouts(const std::string& out) {
  std::vector<std::string> steps;
  for (const nlohmann::json& step : PrintedSteps(out)) {
    const auto& f = step.at("form");
    std::ostringstream text;
    text << "client " << f.at("client_width") << "x" << f.at("client_height")
         << " font " << f.at("font_height") << "\n";
    for (const auto& c : step.at("controls")) {
      text << c.at("name").get<std::string>() << " " << c.at("left") << ","
           << c.at("top") << "," << c.at("width") << "," << c.at("height")
           << " font " << c.value("font_height", 0) << "\n";
    }
    steps.push_back(text.str());
  }
  return steps;
}

struct DpiMove {
  const char* name;
  const char* dialog;
  int from, to;
};
void PrintTo(const DpiMove& c, std::ostream* os) { *os << c.name; }

class CliDialogScenarioDpi : public ::testing::TestWithParam<DpiMove> {};

// An attached dialog moved onto a monitor of another DPI stands as the
// dialog opened there: the dialog manager's layout at that DPI (base units
// of its font measured there, which do not scale with the DPI), its font
// made there. Moved back, it stands as it first stood.
TEST_P(CliDialogScenarioDpi, MovedEqualsOpenedThere) {
  if (kRes.empty()) GTEST_SKIP() << "no resource compiler at configure time";
  const DpiMove& c = GetParam();
  DialogScenario scenario;
  const std::string from = std::to_string(c.from), to = std::to_string(c.to);
  const std::string dialog = std::string("dialog $RES ") + c.dialog + "\n";
  const Outcome moved =
      scenario.run("monitor 1920x1080@0,0:" + from +
                   "\nmonitor 1920x1080@1920,0:" + to + "\n" + dialog +
                   "attach\nshow\nprint json\nmove 2200 100\nprint json\n"
                   "move 100 100\nprint json\n");
  const Outcome opened = scenario.run("monitor 1920x1080@0,0:" + to + "\n" +
                                      dialog + "attach\nshow\nprint json\n");
  ASSERT_EQ(moved.status, 0) << moved.err;
  ASSERT_EQ(opened.status, 0) << opened.err;
  const auto steps = PrintedLayouts(moved.out);
  const auto there = PrintedLayouts(opened.out);
  ASSERT_EQ(steps.size(), 3u) << moved.out;
  ASSERT_EQ(there.size(), 1u) << opened.out;
  EXPECT_EQ(steps[1], there[0]);
  EXPECT_EQ(steps[2], steps[0]);
  EXPECT_NE(steps[1], steps[0]);
}

INSTANTIATE_TEST_SUITE_P(
    Moves, CliDialogScenarioDpi,
    ::testing::Values(
        // 8-point MS Shell Dlg: base units 6 x 13 at 96 DPI, 9 x 19 at 144
        // (not 9 x 19.5), with a drop-down list that fits itself to its
        // font.
        DpiMove{"StandardTemplate96To144", "SETTINGS", 96, 144},
        DpiMove{"StandardTemplate144To96", "SETTINGS", 144, 96},
        // 9-point Segoe UI, bold italic, with a list view and an icon.
        DpiMove{"ExtendedTemplate96To120", "101", 96, 120},
        DpiMove{"ExtendedTemplate192To144", "101", 192, 144}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- preview --dialog

class CliDialogPreview : public ::testing::Test {
 protected:
  void SetUp() override {
    if (kRes.empty()) GTEST_SKIP() << "no resource compiler at configure time";
  }
  DialogScenario scratch;
};

TEST_F(CliDialogPreview, JsonGivesEveryControlsIdClassAndLookInCreationOrder) {
  const Outcome o = RunCli({"preview", kRes, "--dialog", "101", "--json"});
  ASSERT_EQ(o.status, 0) << o.err;
  const auto doc = nlohmann::json::parse(o.out);
  EXPECT_EQ(doc.at("file"), kRes + ": dialog 101");
  const auto& step = doc.at("steps").at(0);
  EXPECT_EQ(step.at("form").at("class"), "#32770");
  EXPECT_EQ(step.at("form").at("caption"), "Find a pupil");
  struct Want {
    const char* name;
    int id;
    const char* cls;
    const char* look;
  };
  // The template's order; the resource compiler writes the list view's
  // class as it stands in the script, the system's spelling is reported.
  // The list view has no columns yet: its white area, as a list box's.
  const Want want[] = {{"CtlM1", -1, "Static", "static"},
                       {"Ctl1001", 1001, "Edit", "edit"},
                       {"Ctl1002", 1002, "SysListView32", "list"},
                       {"Ctl1", 1, "Button", "button"},
                       {"Ctl2", 2, "Button", "button"},
                       {"Ctl3", 3, "Static", "image"}};
  const auto& controls = step.at("controls");
  ASSERT_EQ(controls.size(), std::size(want));
  for (std::size_t i = 0; i < std::size(want); ++i) {
    EXPECT_EQ(controls[i].at("name"), want[i].name) << i;
    EXPECT_EQ(controls[i].at("id"), want[i].id) << i;
    EXPECT_EQ(controls[i].at("class"), want[i].cls) << i;
    EXPECT_EQ(controls[i].at("look"), want[i].look) << i;
  }
  // A form's controls have no id.
  const Outcome form =
      RunCli({"preview",
              std::string(FLEXARIUM_SOURCE_DIR) + "/examples/forms/contact.dfm",
              "--json"});
  ASSERT_EQ(form.status, 0) << form.err;
  const auto formDoc = nlohmann::json::parse(form.out);
  EXPECT_FALSE(formDoc.at("steps").at(0).at("controls").at(0).contains("id"));
}

// Each standard control and common control of a template, by its window
// class and styles, reported and drawn as the matching form control.
TEST_F(CliDialogPreview, EachControlLooksAsTheMatchingFormControl) {
  const std::string script = scratch.path("looks.rc");
  std::ofstream(script)
      << "1 DIALOGEX 0, 0, 300, 200\n"
         "STYLE 0x80C80048\n"
         "FONT 8, \"MS Shell Dlg\"\n"
         "{\n"
         "  CONTROL \"Push\", 10, \"Button\", 0x50010000, 5, 5, 50, 14\n"
         "  CONTROL \"Default\", 11, \"Button\", 0x50010001, 60, 5, 50, 14\n"
         "  CONTROL \"Check\", 12, \"Button\", 0x50010003, 5, 25, 50, 10\n"
         "  CONTROL \"Three\", 13, \"Button\", 0x50010006, 60, 25, 50, 10\n"
         "  CONTROL \"Radio\", 14, \"Button\", 0x50010009, 5, 40, 50, 10\n"
         "  CONTROL \"Left\", 15, \"Button\", 0x50010023, 60, 40, 50, 10\n"
         "  CONTROL \"Group\", 16, \"Button\", 0x50000007, 5, 55, 100, 40\n"
         "  CONTROL \"Owner\", 17, \"Button\", 0x5000000B, 110, 5, 20, 14\n"
         "  CONTROL \"\", 20, \"Edit\", 0x50810080, 110, 25, 60, 14\n"
         "  CONTROL \"\", 21, \"Edit\", 0x50810004, 110, 45, 60, 30\n"
         "  CONTROL \"Left\", 30, \"Static\", 0x50000000, 180, 5, 40, 8\n"
         "  CONTROL \"Middle\", 31, \"Static\", 0x50000001, 180, 15, 40, 8\n"
         "  CONTROL \"Right\", 32, \"Static\", 0x50000002, 180, 25, 40, 8\n"
         "  CONTROL \"\", 33, \"Static\", 0x50000010, 180, 35, 40, 1\n"
         "  CONTROL \"\", 34, \"Static\", 0x50000012, 180, 40, 40, 20\n"
         "  CONTROL \"\", 35, \"Static\", 0x50000004, 230, 40, 20, 20\n"
         "  CONTROL \"\", 36, \"Static\", 0x50000003, 255, 40, 20, 20\n"
         "  CONTROL \"\", 40, \"ListBox\", 0x50A10001, 5, 100, 60, 40\n"
         "  CONTROL \"\", 41, \"ComboBox\", 0x50010003, 70, 100, 60, 60\n"
         "  CONTROL \"\", 42, \"ScrollBar\", 0x50000000, 135, 100, 60, 10\n"
         "  CONTROL \"\", 50, \"SysTabControl32\", 0x50000000, 5, 145, 80, "
         "40\n"
         "  CONTROL \"\", 51, \"msctls_progress32\", 0x50000000, 90, 145, "
         "60, 10\n"
         "  CONTROL \"\", 52, \"msctls_trackbar32\", 0x50000000, 90, 160, "
         "60, 15\n"
         "  CONTROL \"\", 53, \"msctls_updown32\", 0x50000000, 155, 145, 10, "
         "14\n"
         "  CONTROL \"\", 54, \"SysTreeView32\", 0x50800000, 170, 145, 50, "
         "40\n"
         "  CONTROL \"\", 55, \"SysDateTimePick32\", 0x50000000, 225, 145, "
         "60, 14\n"
         "  CONTROL \"\", 56, \"MyGauge\", 0x50000000, 225, 165, 60, 14\n"
         "}\n";
  const Outcome o = RunCli({"preview", script, "--dialog", "1", "--json"});
  ASSERT_EQ(o.status, 0) << o.err;
  const auto doc = nlohmann::json::parse(o.out);
  const auto& controls = doc.at("steps").at(0).at("controls");
  std::map<int, std::string> looks;
  std::map<int, std::string> classes;
  for (const auto& c : controls) {
    looks[c.at("id").get<int>()] = c.at("look").get<std::string>();
    classes[c.at("id").get<int>()] = c.at("class").get<std::string>();
  }
  const std::map<int, std::string> want = {
      {10, "button"}, {11, "button"},   {12, "check"},  {13, "check"},
      {14, "radio"},  {15, "check"},    {16, "group"},  {17, "blank"},
      {20, "edit"},   {21, "memo"},     {30, "static"}, {31, "static"},
      {32, "static"}, {33, "bevel"},    {34, "bevel"},  {35, "shape"},
      {36, "image"},  {40, "list"},     {41, "combo"},  {42, "generic"},
      {50, "tabs"},   {51, "progress"}, {52, "track"},  {53, "up-down"},
      {54, "tree"},   {55, "date"},     {56, "generic"}};
  EXPECT_EQ(looks, want);
  // The system's classes as registered, whatever the template's spelling;
  // the program's own as the compiled template spells it (the resource
  // compiler writes class names in capitals).
  EXPECT_EQ(classes[50], "SysTabControl32");
  EXPECT_EQ(classes[51], "msctls_progress32");
  EXPECT_EQ(classes[56], "MYGAUGE");
}

TEST_F(CliDialogPreview, SetOptionsAndHeaderNamesTakeEffect) {
  const Outcome o =
      RunCli({"preview", kRes, "--dialog", "SETTINGS", "--header",
              scratch.path("ids.h"), "--set", "NoResizeCtl=IDC_WRAP", "--set",
              "FormPos=rpTopLeft", "--scale", "2", "--json"});
  ASSERT_EQ(o.status, 0) << o.err;
  const auto doc = nlohmann::json::parse(o.out);
  const auto& steps = doc.at("steps");
  ASSERT_EQ(steps.size(), 2u);
  EXPECT_EQ(steps[0].at("form").at("left"), 0);
  EXPECT_EQ(steps[0].at("form").at("top"), 0);
  const auto bounds = [](const nlohmann::json& c) {
    return std::vector<int>{c.at("left"), c.at("top"), c.at("width"),
                            c.at("height")};
  };
  const auto& before = steps[0].at("controls");
  const auto& after = steps[1].at("controls");
  EXPECT_EQ(bounds(after[0]), bounds(before[0]));  // IDC_WRAP
  EXPECT_NE(bounds(after[2]), bounds(before[2]));
}

TEST_F(CliDialogPreview, PicturesDrawTheDialogsControls) {
  const std::string dir = scratch.path("svg");
  const Outcome o =
      RunCli({"preview", kRes, "--dialog", "SETTINGS", "--svg", dir});
  ASSERT_EQ(o.status, 0) << o.err;
  std::ifstream in(fs::path(dir) / "01-show.svg");
  std::stringstream svg;
  svg << in.rdbuf();
  // The check box's and the button's captions; no control drawn as an
  // unknown one, by its name (which only its title gives).
  EXPECT_NE(svg.str().find("Wrap lines"), std::string::npos);
  EXPECT_NE(svg.str().find(">Close<"), std::string::npos);
  EXPECT_NE(svg.str().find(">Ctl200 (Button)<"), std::string::npos);
  EXPECT_EQ(svg.str().find(">Ctl200<"), std::string::npos);
}

struct CliCase {
  const char* name;
  std::vector<std::string> args;  // after the command and the file
  int status;
  const char* message;  // in standard error
};
void PrintTo(const CliCase& c, std::ostream* os) { *os << c.name; }

class CliDialogPreviewRefuses : public ::testing::TestWithParam<CliCase> {};

TEST_P(CliDialogPreviewRefuses, NamesTheFileTheDialogOrTheOption) {
  if (kRes.empty()) GTEST_SKIP() << "no resource compiler at configure time";
  const CliCase& c = GetParam();
  std::vector<std::string> args = {"preview", kRes};
  args.insert(args.end(), c.args.begin(), c.args.end());
  const Outcome o = RunCli(args);
  EXPECT_EQ(o.status, c.status) << o.err;
  EXPECT_NE(o.err.find(c.message), std::string::npos) << o.err;
  EXPECT_TRUE(o.out.empty()) << o.out;
}

INSTANTIATE_TEST_SUITE_P(
    Options, CliDialogPreviewRefuses,
    ::testing::Values(
        CliCase{"NoDialogNamed",
                {},
                1,
                ": error: name the dialog (--dialog ID or NAME); its "
                "dialogs: SETTINGS (0409), 101 (0409)"},
        CliCase{"NoSuchDialog",
                {"--dialog", "9"},
                1,
                ": error: dialog 9: no such dialog; its dialogs: "},
        CliCase{"NoSuchLanguage",
                {"--dialog", "101", "--lang", "0x0407"},
                1,
                ": error: dialog 101: no language 0407; the dialog has 0409"},
        CliCase{"NotALanguage",
                {"--dialog", "101", "--lang", "de"},
                2,
                "--lang: expected a language ID"},
        CliCase{"UnknownProperty",
                {"--dialog", "101", "--set", "Bogus=1"},
                2,
                "--set Bogus=1: 'Bogus' is no property of an attached "
                "dialog's TFlexarium"},
        CliCase{"ValueOfTheWrongKind",
                {"--dialog", "101", "--set", "FormMinWidth=wide"},
                2,
                "--set FormMinWidth=wide: expected a whole number, got wide"},
        CliCase{"NoValue",
                {"--dialog", "101", "--set", "KeepAspect"},
                2,
                "--set KeepAspect: expected PROPERTY=VALUE"},
        CliCase{"RefusedByTheComponent",
                {"--dialog", "101", "--set", "FormMinWidth=600", "--set",
                 "FormMaxWidth=500"},
                1,
                ": dialog 101: Attach option FormMinWidth 600: "},
        CliCase{"AttachIsForForms",
                {"--dialog", "101", "--attach"},
                2,
                "--attach: a dialog always has the component attached"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CliDialogPreviewOfAForm, RefusesTheDialogOptions) {
  const Outcome o =
      RunCli({"preview",
              std::string(FLEXARIUM_SOURCE_DIR) + "/examples/forms/contact.dfm",
              "--set", "KeepAspect=True"});
  EXPECT_EQ(o.status, 2);
  EXPECT_NE(o.err.find("--set, --lang, --header, -I and -D go with --dialog"),
            std::string::npos)
      << o.err;
}

// ---- lint on dialogs

struct LintCase {
  const char* name;
  std::vector<std::string> args;  // after "lint"; $RES, $DIR as above
  int status;
  std::vector<std::string> present;  // in standard output or error
  std::vector<std::string> absent;
};
void PrintTo(const LintCase& c, std::ostream* os) { *os << c.name; }

class CliDialogLint : public ::testing::TestWithParam<LintCase> {};

TEST_P(CliDialogLint, ChecksDialogsAsForms) {
  if (kRes.empty()) GTEST_SKIP() << "no resource compiler at configure time";
  const LintCase& c = GetParam();
  DialogScenario scratch;
  std::vector<std::string> args = {"lint", "-j", "1"};
  for (std::string a : c.args) {
    if (a == "$RES") a = kRes;
    if (a.rfind("$DIR/", 0) == 0) a = scratch.path(a.substr(5).c_str());
    args.push_back(a);
  }
  const Outcome o = RunCli(args);
  EXPECT_EQ(o.status, c.status) << o.out << o.err;
  const std::string all = o.out + o.err;
  for (const std::string& p : c.present) {
    EXPECT_NE(all.find(p), std::string::npos) << p << "\n" << all;
  }
  for (const std::string& a : c.absent) {
    EXPECT_EQ(all.find(a), std::string::npos) << a << "\n" << all;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Files, CliDialogLint,
    ::testing::Values(
        LintCase{"AsDesigned",
                 {"$RES", "--dpi", "96", "--scale", "1"},
                 0,
                 {},
                 {"warning"}},
        // At three quarters the 8- and 9-point fonts are 6 points:
        // both dialogs are checked, each finding named after its dialog.
        LintCase{"EveryDialog",
                 {"$RES", "--dpi", "96", "--scale", "0.75", "--rules",
                  "small-font", "--min-font", "8"},
                 1,
                 {"SETTINGS.Ctl200 font of 6 pt is under 8 pt at 96 DPI",
                  "101.Ctl1001 font of 6 pt is under 8 pt"},
                 {}},
        LintCase{"OneDialog",
                 {"$RES", "--dialog", "SETTINGS", "--dpi", "144", "--scale",
                  "0.75", "--rules", "small-font"},
                 1,
                 {"SETTINGS.Ctl200"},
                 {"101."}},
        LintCase{"NoSuchDialog",
                 {"$RES", "--dialog", "7"},
                 2,
                 {": error: dialog 7: no such dialog"},
                 {}},
        LintCase{
            "ADialogOfAForm",
            {std::string(FLEXARIUM_SOURCE_DIR) + "/examples/forms/contact.dfm",
             "--dialog", "7"},
            2,
            {"contact.dfm: error: --dialog names a dialog of a resource "
             "file"},
            {}},
        LintCase{"ALanguageWithoutADialog",
                 {"$RES", "--lang", "0x409"},
                 2,
                 {"--lang picks the language of the dialog --dialog names"},
                 {}},
        LintCase{"ADialogThatCannotBeMade",
                 {"$DIR/unknown.res"},
                 2,
                 {"unknown.res: dialog 7: error: cannot be made: dialog "
                  "template: item 1 (ID 5, at byte 0x18): class ordinal 134"},
                 {}},
        // A property page has no window of its own to attach to: noted,
        // not an error.
        LintCase{"AChildDialog",
                 {"$DIR/page.res"},
                 0,
                 {"a child dialog (WS_CHILD", "; not checked"},
                 {}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace flexarium_cli
