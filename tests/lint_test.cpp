// flexarium lint: each rule on a form built to trigger it and on the same
// form corrected; the reports' formats, the baseline and the exit statuses.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli_run.h"
#include "lint.h"
#include "scratch_root.h"

namespace flexarium_cli {
namespace {

namespace fs = std::filesystem;

// A form of 300x200 client pixels designed at 96 DPI with `controls` (form
// text) on it and, when `component` is given, a TFlexarium with those
// property lines.
std::string Form(const std::string& controls, const std::string& component = "",
                 int fontHeight = -11) {
  std::string text =
      "object LintForm: TLintForm\n"
      "  Left = 0\n  Top = 0\n  Caption = 'Lint'\n"
      "  ClientHeight = 200\n  ClientWidth = 300\n"
      "  Font.Height = " +
      std::to_string(fontHeight) +
      "\n  Font.Name = 'Tahoma'\n  PixelsPerInch = 96\n" + controls;
  if (!component.empty()) {
    text += "  object Flexarium1: TFlexarium\n" + component +
            "    DesignFrmW = 300\n    DesignFrmH = 200\n"
            "    DesignDpiW = 96\n    DesignDpiH = 96\n  end\n";
  }
  return text + "end\n";
}

std::string Control(const std::string& cls, const std::string& name, int left,
                    int top, int width, int height,
                    const std::string& more = "") {
  return "  object " + name + ": " + cls +
         "\n    Left = " + std::to_string(left) +
         "\n    Top = " + std::to_string(top) +
         "\n    Width = " + std::to_string(width) +
         "\n    Height = " + std::to_string(height) + "\n" + more + "  end\n";
}

class LintFiles : public ::testing::Test {
 protected:
  LintFiles() {
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    dir_ = flx::testing_support::ScratchRoot() /
           (std::string("flexarium_lint_") + info->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  ~LintFiles() override { fs::remove_all(dir_); }
  std::string Write(const std::string& name, const std::string& text) {
    std::ofstream(dir_ / name, std::ios::binary) << text;
    return (dir_ / name).string();
  }
  fs::path dir_;
};

// ---- Each rule: triggered, then corrected

struct RuleCase {
  const char* name;
  LintRule rule;
  std::string triggering;
  std::string corrected;
  int dpi;
  double scale;
  const char* control;  // the control the finding names
};

class LintRules : public LintFiles,
                  public ::testing::WithParamInterface<RuleCase> {};

TEST_P(LintRules, FiresOnTheFormAndNotOnItsCorrection) {
  const auto& c = GetParam();
  LintSettings settings;
  settings.dpis = {c.dpi};
  settings.scales = {c.scale};
  settings.rules = {c.rule};
  const auto bad = lintFile(Write("bad.dfm", c.triggering), settings);
  ASSERT_EQ(bad.error, "");
  ASSERT_EQ(bad.findings.size(), 1u) << lintToText({bad});
  const LintFinding& f = bad.findings[0];
  EXPECT_EQ(f.rule, c.rule);
  EXPECT_EQ(f.control, c.control);
  EXPECT_EQ(f.where.dpi, c.dpi);
  EXPECT_GT(f.pixels, 0);
  // The control's object line, so that an editor jumps to it.
  std::istringstream lines(c.triggering);
  std::string line;
  int number = 0;
  while (std::getline(lines, line) &&
         line.find(std::string("object ") + c.control + ":") ==
             std::string::npos) {
    ++number;
  }
  EXPECT_EQ(f.line, number + 1);
  EXPECT_EQ(f.column, 3);
  const auto good = lintFile(Write("good.dfm", c.corrected), settings);
  EXPECT_EQ(good.error, "");
  EXPECT_TRUE(good.findings.empty()) << lintToText({good});
}

const std::string kKeepBox = "    NoResizeCtl = 'pnlKept'\n";

INSTANTIATE_TEST_SUITE_P(
    Lint, LintRules,
    ::testing::Values(
        // "Apply all changes" needs 92 px; a 60 px button leaves 52.
        RuleCase{"clipped_button_caption", LintRule::ClippedText,
                 Form(Control("TButton", "btnApply", 8, 8, 60, 25,
                              "    Caption = 'Apply all changes'\n")),
                 Form(Control("TButton", "btnApply", 8, 8, 110, 25,
                              "    Caption = 'Apply all changes'\n")),
                 96, 1, "btnApply"},
        RuleCase{"clipped_check_box_caption", LintRule::ClippedText,
                 Form(Control("TCheckBox", "chkCase", 8, 8, 70, 17,
                              "    Caption = 'Match whole words'\n")),
                 Form(Control("TCheckBox", "chkCase", 8, 8, 140, 17,
                              "    Caption = 'Match whole words'\n")),
                 96, 1, "chkCase"},
        // A panel kept at its size while the form halves runs into the
        // button beside it, and out of the form.
        RuleCase{"overlap_of_a_kept_control", LintRule::Overlap,
                 Form(Control("TPanel", "pnlKept", 8, 8, 100, 40) +
                          Control("TPanel", "pnlNext", 116, 8, 100, 40),
                      kKeepBox),
                 Form(Control("TPanel", "pnlKept", 8, 8, 100, 40) +
                          Control("TPanel", "pnlNext", 116, 8, 100, 40),
                      "    NoResizeCtl = ''\n"),
                 96, 0.5, "pnlKept"},
        RuleCase{"outside_of_a_kept_control", LintRule::Outside,
                 Form(Control("TPanel", "pnlKept", 8, 8, 280, 40), kKeepBox),
                 Form(Control("TPanel", "pnlKept", 8, 8, 280, 40),
                      "    NoResizeCtl = ''\n"),
                 96, 0.5, "pnlKept"},
        // 3+3 touches 6 at design; halved, 2+2 passes 3 (halves round up).
        RuleCase{"seam_of_touching_controls", LintRule::Seam,
                 Form(Control("TPanel", "pnlLeft", 3, 8, 3, 40) +
                          Control("TPanel", "pnlRight", 6, 8, 40, 40),
                      "    NoResizeCtl = ''\n"),
                 Form(Control("TPanel", "pnlLeft", 2, 8, 4, 40) +
                          Control("TPanel", "pnlRight", 6, 8, 40, 40),
                      "    NoResizeCtl = ''\n"),
                 96, 0.5, "pnlLeft"},
        // 5 pt at 96 DPI is under the 6 pt floor.
        RuleCase{"small_font", LintRule::SmallFont,
                 Form(Control("TLabel", "lblNote", 8, 8, 100, 13,
                              "    Caption = 'x'\n    ParentFont = False\n"
                              "    Font.Height = -7\n"
                              "    Font.Name = 'Tahoma'\n")),
                 Form(Control("TLabel", "lblNote", 8, 8, 100, 13,
                              "    Caption = 'x'\n    ParentFont = False\n"
                              "    Font.Height = -11\n"
                              "    Font.Name = 'Tahoma'\n")),
                 96, 1, "lblNote"},
        // A font given by its cell height (a positive height, as the
        // System font): 7 px is 5 pt, 15 px is 11 pt, not -11.
        RuleCase{"small_font_by_cell_height", LintRule::SmallFont,
                 Form(Control("TLabel", "lblNote", 8, 8, 100, 13,
                              "    Caption = 'x'\n    ParentFont = False\n"
                              "    Font.Height = 7\n"
                              "    Font.Name = 'Tahoma'\n")),
                 Form(Control("TLabel", "lblNote", 8, 8, 100, 13,
                              "    Caption = 'x'\n    ParentFont = False\n"
                              "    Font.Height = 15\n"
                              "    Font.Name = 'Tahoma'\n")),
                 96, 1, "lblNote"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- The command

Outcome RunLint(std::vector<std::string> args) {
  args.insert(args.begin(), "lint");
  return RunCli(std::move(args));
}

const std::string kClipped =
    Form(Control("TButton", "btnApply", 8, 8, 60, 25,
                 "    Caption = 'Apply all changes'\n"));

TEST_F(LintFiles, ExitStatusSaysCleanFindingsOrErrors) {
  const std::string clean = Write(
      "clean.dfm",
      Form(Control("TButton", "btnOk", 8, 8, 75, 25, "    Caption = 'OK'\n")));
  const std::string clipped = Write("clipped.dfm", kClipped);
  const std::string broken =
      Write("broken.dfm", "object X: TForm\n  Left = \n");
  EXPECT_EQ(RunLint({clean, "--dpi", "96", "--scale", "1"}).status, 0);
  const Outcome found = RunLint({clipped, "--dpi", "96", "--scale", "1"});
  EXPECT_EQ(found.status, 1);
  EXPECT_NE(found.out.find(clipped + ":10:3: warning: btnApply caption "
                                     "'Apply all changes' needs 40 px more "
                                     "width at 96 DPI, scale 1 [clipped-text]"),
            std::string::npos)
      << found.out;
  // A form that cannot be read is an error with its position; the other
  // files are still checked, in parallel too.
  const Outcome error =
      RunLint({broken, clipped, "--dpi", "96", "--scale", "1", "-j", "2"});
  EXPECT_EQ(error.status, 2);
  EXPECT_NE(error.out.find(broken + ":"), std::string::npos) << error.out;
  EXPECT_NE(error.out.find("btnApply"), std::string::npos);
  EXPECT_EQ(RunLint({clean, "--rules", "no-such-rule"}).status, 2);
}

TEST_F(LintFiles, ParallelRunsReportWhatOneProcessReports) {
  std::vector<std::string> args;
  for (int i = 0; i < 4; ++i) {
    args.push_back(Write("f" + std::to_string(i) + ".dfm", kClipped));
  }
  args.insert(args.end(), {"--dpi", "96,144", "--scale", "1,0.75", "--json"});
  auto one = args;
  one.insert(one.end(), {"-j", "1"});
  auto two = args;
  two.insert(two.end(), {"-j", "3"});
  const Outcome a = RunLint(one);
  const Outcome b = RunLint(two);
  EXPECT_EQ(a.status, 1);
  EXPECT_EQ(a.out, b.out);
}

TEST_F(LintFiles, BaselineKeepsOnlyNewFindings) {
  const std::string file = Write("form.dfm", kClipped);
  const Outcome first =
      RunLint({file, "--dpi", "96", "--scale", "1", "--json"});
  ASSERT_EQ(first.status, 1);
  const std::string baseline = Write("baseline.json", first.out);
  const Outcome again = RunLint({file, "--dpi", "96,144", "--scale", "1",
                                 "--baseline", baseline, "--json"});
  const auto doc = nlohmann::json::parse(again.out);
  for (const auto& f : doc["findings"]) EXPECT_EQ(f["dpi"], 144);
  const Outcome none =
      RunLint({file, "--dpi", "96", "--scale", "1", "--baseline", baseline});
  EXPECT_EQ(none.status, 0);
  EXPECT_EQ(none.out, "");
  const std::string bad = Write("bad.json", "{\"findings\": [{}]}");
  const Outcome refused = RunLint({file, "--baseline", bad});
  EXPECT_EQ(refused.status, 2);
  EXPECT_NE(refused.err.find(bad + ": finding 0 lacks"), std::string::npos);
}

TEST_F(LintFiles, SarifNamesEveryRuleAndLocatesEachResult) {
  const std::string file = Write("form.dfm", kClipped);
  const Outcome o = RunLint({file, "--dpi", "96", "--scale", "1", "--sarif"});
  const auto doc = nlohmann::json::parse(o.out);
  EXPECT_EQ(doc["version"], "2.1.0");
  const auto& run = doc["runs"][0];
  EXPECT_EQ(run["tool"]["driver"]["rules"].size(), allLintRules().size());
  ASSERT_EQ(run["results"].size(), 1u);
  const auto& loc = run["results"][0]["locations"][0]["physicalLocation"];
  EXPECT_EQ(loc["artifactLocation"]["uri"], file);
  EXPECT_EQ(loc["region"]["startLine"], 10);
  EXPECT_EQ(run["results"][0]["ruleId"], "clipped-text");
}

TEST_F(LintFiles, HtmlOutlinesEachFindingInItsCase) {
  const std::string file = Write("form.dfm", kClipped);
  const std::string page = (dir_ / "lint.html").string();
  const Outcome o =
      RunLint({file, "--dpi", "96", "--scale", "1", "--html", page});
  EXPECT_EQ(o.status, 1);
  std::ifstream in(page);
  std::stringstream html;
  html << in.rdbuf();
  EXPECT_NE(html.str().find("96 DPI, scale 1"), std::string::npos);
  EXPECT_NE(html.str().find("stroke=\"#d0021b\""), std::string::npos);
  EXPECT_NE(html.str().find("btnApply"), std::string::npos);
}

// ---- A move between monitors

// Findings as they compare across cases: what fired, where and by how much.
std::multiset<std::string> Compared(const LintFileResult& r) {
  std::multiset<std::string> out;
  for (const auto& f : r.findings) {
    out.insert(std::string(toString(f.rule)) + " " + f.control + " " + f.other +
               " " + std::to_string(f.pixels));
  }
  return out;
}

flx::sim::MonitorConfig Monitor(int left, int dpi) {
  return *parseMonitor("1920x1080@" + std::to_string(left) +
                       ",0:" + std::to_string(dpi));
}

struct MoveCase {
  const char* name;
  int from;  // the primary's DPI, where the form opens
  int to;    // the DPI of the monitor it is moved onto
  double scale;
};

class LintMoves : public LintFiles,
                  public ::testing::WithParamInterface<MoveCase> {};

// A form moved onto a monitor of another DPI is laid out as the same form
// opened there at that client size: lint finds there what it finds on a
// screen of that DPI, and says where it found it.
TEST_P(LintMoves, FindingsAfterAMoveAreThoseOfTheFormOpenedThere) {
  const auto& c = GetParam();
  // Captions that clip at some DPIs, panels that touch and a kept panel:
  // every rule has something to say somewhere.
  const std::string file = Write(
      "form.dfm", Form(Control("TButton", "btnApply", 8, 8, 90, 25,
                               "    Caption = 'Apply all changes'\n") +
                           Control("TCheckBox", "chkCase", 8, 40, 110, 17,
                                   "    Caption = 'Match whole words'\n") +
                           Control("TPanel", "pnlLeft", 3, 100, 3, 40) +
                           Control("TPanel", "pnlRight", 6, 100, 40, 40) +
                           Control("TPanel", "pnlKept", 120, 100, 170, 40),
                       "    NoResizeCtl = 'pnlKept'\n"));
  LintSettings moved;
  moved.scales = {c.scale};
  moved.monitors = {Monitor(0, c.from), Monitor(1920, c.to)};
  moved.moves = {flx::win::POINT{2300, 200}};
  const auto there = lintFile(file, moved);
  ASSERT_EQ(there.error, "");
  LintFileResult after, before;
  for (const auto& f : there.findings) {
    (f.where.move ? after : before).findings.push_back(f);
    EXPECT_EQ(f.where.dpi, f.where.move ? c.to : c.from);
    EXPECT_EQ(f.where.monitor, f.where.move ? 1 : 0);
  }
  // Opened there at the same client size: the move carried the client
  // size the scale gives there.
  // (One desktop at a time: the process has one window system.)
  FormLayout a, b;
  {
    ScreenSettings desk;
    desk.monitors = moved.monitors;
    desk.dpi = Size{c.from, c.from};
    Session form(desk);
    form.load(file, {});
    form.show();
    form.setScale(c.scale);
    form.dragCaption(2300, 200);
    a = form.capture("moved").form;
  }
  {
    ScreenSettings screen;
    screen.dpi = Size{c.to, c.to};
    Session form(screen);
    form.load(file, {});
    form.show();
    form.setScale(c.scale);
    b = form.capture("opened").form;
  }
  ASSERT_EQ(a.clientWidth, b.clientWidth);
  ASSERT_EQ(a.clientHeight, b.clientHeight);
  LintSettings opened;
  opened.scales = {c.scale};
  opened.dpis = {c.to};
  const auto atTarget = lintFile(file, opened);
  opened.dpis = {c.from};
  const auto atStart = lintFile(file, opened);
  EXPECT_FALSE(atTarget.findings.empty());
  EXPECT_EQ(Compared(after), Compared(atTarget)) << lintToText({there});
  EXPECT_EQ(Compared(before), Compared(atStart)) << lintToText({there});
  for (const auto& f : after.findings) {
    EXPECT_NE(f.message.find(" at " + std::to_string(c.to) +
                             " DPI on monitor 1, scale "),
              std::string::npos)
        << f.message;
    EXPECT_NE(f.message.find(", after a move to 2300,200"), std::string::npos)
        << f.message;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Lint, LintMoves,
    ::testing::Values(MoveCase{"from_150_percent_to_100", 144, 96, 0.75},
                      MoveCase{"from_100_percent_to_150", 96, 144, 0.75},
                      MoveCase{"from_125_percent_to_200", 120, 192, 1},
                      MoveCase{"from_200_percent_to_100", 192, 96, 1.5}),
    [](const auto& info) { return std::string(info.param.name); });

// The client size a move carries is the old one times the new DPI over
// the old, rounded: a pixel off the size the scale gives a form opened
// there. A form clean at every DPI opened there may then show a seam.
TEST_F(LintFiles, AMoveFindsTheSeamItsCarriedClientSizeOpens) {
  const std::string file = Write(
      "form.dfm",
      "object F: TF\n  ClientHeight = 200\n  ClientWidth = 298\n"
      "  Font.Height = -11\n  Font.Name = 'Tahoma'\n  PixelsPerInch = 96\n" +
          Control("TPanel", "pnlA", 6, 8, 7, 40) +
          Control("TPanel", "pnlB", 13, 8, 60, 40) +
          "  object Flexarium1: TFlexarium\n    DesignFrmW = 298\n"
          "    DesignFrmH = 200\n    DesignDpiW = 96\n    DesignDpiH = 96\n"
          "  end\nend\n");
  LintSettings opened;
  opened.scales = {0.75};
  const auto everywhere = lintFile(file, opened);
  ASSERT_EQ(everywhere.error, "");
  EXPECT_TRUE(everywhere.findings.empty()) << lintToText({everywhere});
  LintSettings moved = opened;
  moved.monitors = {Monitor(0, 144), Monitor(1920, 96)};
  moved.moves = {flx::win::POINT{2300, 200}};
  const auto after = lintFile(file, moved);
  ASSERT_EQ(after.findings.size(), 1u) << lintToText({after});
  const LintFinding& f = after.findings[0];
  EXPECT_EQ(f.rule, LintRule::Seam);
  EXPECT_EQ(f.control, "pnlA");
  EXPECT_EQ(f.other, "pnlB");
  EXPECT_EQ(caseName(f.where),
            "96 DPI on monitor 1, scale 0.75, after a move to 2300,200");
}

TEST_F(LintFiles, MovesTravelThroughChildProcessesAndBaselines) {
  std::vector<std::string> args;
  for (int i = 0; i < 3; ++i) {
    args.push_back(Write("f" + std::to_string(i) + ".dfm", kClipped));
  }
  args.insert(args.end(), {"--monitor", "1920x1080@0,0:96", "--monitor",
                           "1920x1080@1920,0:144", "--move", "2300,200",
                           "--move", "100,100", "--scale", "1", "--json"});
  auto one = args;
  one.insert(one.end(), {"-j", "1"});
  auto two = args;
  two.insert(two.end(), {"-j", "2"});
  const Outcome a = RunLint(one);
  ASSERT_EQ(a.status, 1) << a.err;
  EXPECT_EQ(a.out, RunLint(two).out);
  const auto doc = nlohmann::json::parse(a.out);
  std::set<std::string> places;
  for (const auto& f : doc["findings"]) {
    places.insert(std::to_string(f["dpi"].get<int>()) + "@" +
                  std::to_string(f["monitor"].get<int>()) + " " +
                  f.value("move", std::string("opened")));
  }
  EXPECT_EQ(places, (std::set<std::string>{"96@0 opened", "144@1 2300,200",
                                           "96@0 100,100"}));
  // The same findings once more are all in the baseline.
  const std::string baseline = Write("baseline.json", a.out);
  auto again = one;
  again.insert(again.end(), {"--baseline", baseline});
  const Outcome none = RunLint(again);
  EXPECT_EQ(none.status, 0) << none.out;
}

TEST_F(LintFiles, BadMonitorsAndMovesAreRefusedWithTheReason) {
  const std::string file = Write("form.dfm", kClipped);
  struct Case {
    std::vector<std::string> args;
    const char* says;
  };
  const Case cases[] = {
      {{"--monitor", "1920x1080"}, "expected WxH@X,Y:DPI"},
      {{"--monitor", "1920x1080@0,0:0"}, "got '1920x1080@0,0:0'"},
      {{"--move", "2300"}, "expected X,Y in pixels"},
      {{"--monitor", "1920x1080@0,0:96", "--monitor", "1920x1080@1000,0:144"},
       "overlap"},
      {{"--monitor", "1920x1080@10,0:96"}, "primary one and lies at 0,0"},
      {{"--monitor", "1920x1080@0,0:96", "--dpi", "144"}, "leave out --dpi"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args{file};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const Outcome o = RunLint(args);
    SCOPED_TRACE(c.says);
    EXPECT_EQ(o.status, 2);
    EXPECT_NE(o.err.find(c.says), std::string::npos) << o.err;
    EXPECT_EQ(o.out, "");
  }
}

}  // namespace
}  // namespace flexarium_cli
