// The flexarium command driven in-process.
//
// Sections:
//   Running the command   RunCli, a scratch folder per test
//   Option parsers        sizes, DPI, taskbar, version, locale, frame
//   Exit statuses         bad usage and bad input, help
//   Preview               JSON, table, screen options, pictures and page
//   Standard input        "-" for each subcommand, errors, a real pipe
//   Line endings          CRLF and the byte-order mark kept (corpus)
//   Pictures              SVG nesting, escaping, file names
//   Scenarios             the language's errors, the runner, `run`
//   Monitors and DPI      --monitor, --awareness, --move; scenario lines
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "cli_run.h"
#include "commands.h"
#include "corpus.h"
#include "flexarium/sim_desktop.h"
#include "flexarium/winapi.h"
#include "options.h"
#include "render.h"
#include "scenario_language.h"
#include "scenario_runner.h"
#include "scratch_root.h"
#include "simulation.h"

namespace flexarium_cli {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

// ---- Running the command

const std::string kSource = FLEXARIUM_SOURCE_DIR;
const std::string kForms = kSource + "/examples/forms/";

int Lines(const std::string& text) {
  return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

// A scratch folder of its own for each test.
class Scratch {
 public:
  Scratch() {
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    dir_ = flx::testing_support::ScratchRoot() /
           (std::string("flexarium_cli_") + info->test_suite_name() + "_" +
            info->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  ~Scratch() { fs::remove_all(dir_); }
  std::string Write(const std::string& name, const std::string& text) const {
    std::ofstream(dir_ / name, std::ios::binary) << text;
    return (dir_ / name).string();
  }
  std::string Path(const std::string& name) const {
    return (dir_ / name).string();
  }

 private:
  fs::path dir_;
};

// ---- Option parsers

TEST(CliOptions, SizesAndDpi) {
  struct Case {
    const char* text;
    bool dpi;
    bool ok;
    int w, h;
  };
  const Case cases[] = {
      {"800x600", false, true, 800, 600}, {"800X600", false, true, 800, 600},
      {"0x-5", false, false, 0, 0},       {"0x600", false, false, 0, 0},
      {"800", false, false, 0, 0},        {"800x", false, false, 0, 0},
      {"x600", false, false, 0, 0},       {"800x600x2", false, false, 0, 0},
      {" 800x600", false, false, 0, 0},   {"100001x5", false, false, 0, 0},
      {"144", true, true, 144, 144},      {"144x120", true, true, 144, 120},
      {"abc", true, false, 0, 0},         {"0", true, false, 0, 0},
      {"96.5", true, false, 0, 0},        {"10001", true, false, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    auto v = c.dpi ? parseDpi(c.text) : parseSize(c.text);
    ASSERT_EQ(v.has_value(), c.ok);
    if (c.ok) {
      EXPECT_EQ(v->width, c.w);
      EXPECT_EQ(v->height, c.h);
    }
  }
}

TEST(CliOptions, Taskbar) {
  using flx::sim::TaskbarEdge;
  struct Case {
    const char* text;
    bool ok;
    TaskbarEdge edge;
    int thickness;
    bool autoHide;
  };
  const Case cases[] = {
      {"bottom:40", true, TaskbarEdge::Bottom, 40, false},
      {"LEFT:62", true, TaskbarEdge::Left, 62, false},
      {"top:30:autohide", true, TaskbarEdge::Top, 30, true},
      {"right:48:AutoHide", true, TaskbarEdge::Right, 48, true},
      {"none", true, TaskbarEdge::None, 0, false},
      {"bottom", false, TaskbarEdge::None, 0, false},
      {"bottom:0", false, TaskbarEdge::None, 0, false},
      {"bottom:-4", false, TaskbarEdge::None, 0, false},
      {"middle:40", false, TaskbarEdge::None, 0, false},
      {"top:30:hidden", false, TaskbarEdge::None, 0, false},
      {"top:30:autohide:x", false, TaskbarEdge::None, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    auto t = parseTaskbar(c.text);
    ASSERT_EQ(t.has_value(), c.ok);
    if (!c.ok) continue;
    EXPECT_EQ(t->edge, c.edge);
    EXPECT_EQ(t->thickness, c.thickness);
    EXPECT_EQ(t->autoHide, c.autoHide);
    if (c.edge != TaskbarEdge::None) {
      EXPECT_EQ(flx::LowerCase(describeTaskbar(*t)), flx::LowerCase(c.text));
    }
  }
}

TEST(CliOptions, VersionLocaleOnOff) {
  struct Case {
    const char* text;
    bool ok;
    int major, minor;
  };
  const Case versions[] = {
      {"10.0", true, 10, 0}, {"6.1", true, 6, 1},    {"4.10", true, 4, 10},
      {"10", true, 10, 0},   {"10.", false, 0, 0},   {".1", false, 0, 0},
      {"x", false, 0, 0},    {"0.5", false, 0, 0},   {"+6.1", false, 0, 0},
      {"6.-1", false, 0, 0}, {"6.1.2", false, 0, 0},
  };
  for (const Case& c : versions) {
    SCOPED_TRACE(c.text);
    auto v = parseWindowsVersion(c.text);
    ASSERT_EQ(v.has_value(), c.ok);
    if (c.ok) {
      EXPECT_EQ(v->major, c.major);
      EXPECT_EQ(v->minor, c.minor);
    }
  }
  EXPECT_EQ(parseLocale("jpn").value_or(""), "JPN");
  EXPECT_FALSE(parseLocale("J"));
  EXPECT_FALSE(parseLocale("EN1"));
  EXPECT_FALSE(parseLocale("ABCDEFGHI"));
  EXPECT_EQ(parseOnOff("ON"), std::optional<bool>(true));
  EXPECT_EQ(parseOnOff("off"), std::optional<bool>(false));
  EXPECT_FALSE(parseOnOff("yes"));
}

TEST(CliOptions, FrameMetricsAreTakenAsTheyAre) {
  struct Case {
    const char* text;
    bool ok;
    int caption, frame, padded;
  };
  for (Case c : {Case{"19:4:0", true, 19, 4, 0}, Case{"23:4", true, 23, 4, 0},
                 Case{"19:-4", false, 0, 0, 0}, Case{"19:x", false, 0, 0, 0},
                 Case{":4", false, 0, 0, 0}, Case{"300:4", false, 0, 0, 0}}) {
    auto f = parseFrame(c.text);
    ASSERT_EQ(f.has_value(), c.ok) << c.text;
    if (!f) continue;
    EXPECT_EQ(f->caption, c.caption);
    EXPECT_EQ(f->frame, c.frame);
    EXPECT_EQ(f->padded, c.padded);
  }
  ScreenSettings s;
  s.dpi = {144, 144};
  s.frame = FrameMetrics{19, 4, 0};
  flx::sim::DesktopConfig config = s.desktopConfig();
  EXPECT_EQ(config.captionHeight, 19);
  EXPECT_EQ(config.sizeFrame, 4);
  EXPECT_EQ(config.paddedBorder, 0);
  EXPECT_FALSE(config.scaleMetricsWithDpi);
}

TEST(CliOptions, MarginsOnlyFromWindows10) {
  ScreenSettings s;
  EXPECT_EQ(s.desktopConfig().margins.left, 7);
  EXPECT_EQ(s.desktopConfig().margins.top, 0);
  s.windows = {6, 1};
  EXPECT_EQ(s.desktopConfig().margins.left, 0);
  EXPECT_EQ(s.desktopConfig().margins.bottom, 0);
}

// ---- Exit statuses

TEST(CliStatus, BadUsageAndBadInput) {
  Scratch scratch;
  const std::string broken =
      scratch.Write("broken.dfm", "object F: TForm\n  Left = \nend\n");
  const std::string contact = kForms + "contact.dfm";
  struct Case {
    std::vector<std::string> args;
    int status;
    const char* message;
  };
  const std::vector<Case> cases = {
      {{"preview", contact, "--client", "0x-5"}, 2, "--client"},
      {{"preview", contact, "--outer", "800"}, 2, "--outer"},
      {{"preview", contact, "--dpi", "abc"}, 2, "--dpi"},
      {{"preview", contact, "--screen", "0x0"}, 2, "--screen"},
      {{"preview", contact, "--taskbar", "middle:3"}, 2, "--taskbar"},
      {{"preview", contact, "--windows", "ten"}, 2, "--windows"},
      {{"preview", contact, "--locale", "J1"}, 2, "--locale"},
      {{"preview", contact, "--composition", "maybe"}, 2, "--composition"},
      {{"preview", contact, "--frame", "19"}, 2, "--frame"},
      {{"preview", contact, "--frame", "19:4:0:1"}, 2, "--frame"},
      {{"preview", contact, "--bogus"}, 2, "--bogus"},
      {{"preview"}, 2, "FORM"},
      {{"run"}, 2, "SCENARIO"},
      {{"nonsense"}, 2, "unknown subcommand 'nonsense'"},
      {{"preview", scratch.Path("missing.dfm")}, 1, "cannot open"},
      {{"preview", broken}, 1, "broken.dfm:4:1: error:"},
      {{"preview", kForms + "address_frame.dfm"}, 1, "not a form"},
      {{"run", scratch.Path("missing.scn")}, 1, "cannot open"},
      {{"run", kSource + "/examples"}, 1, "is a folder"},
      {{"preview", kSource + "/examples"}, 1, "is a folder"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.back());
    Outcome o = RunCli(c.args);
    EXPECT_EQ(o.status, c.status);
    EXPECT_NE(o.err.find(c.message), std::string::npos) << o.err;
    EXPECT_EQ(Lines(o.err), 1) << o.err;
  }
}

// check reports each error in a property and goes on after it, as its help
// says; an error that ends the reading comes after the ones before it.
TEST(CliStatus, CheckReportsEveryErrorItGetsPast) {
  Scratch scratch;
  const std::string bad = scratch.Write(
      "bad.dfm",
      "object F: TForm\n  Left = @\n  Top = 1\n  Caption = 'open\nend\n");
  const std::string worse = scratch.Write(
      "worse.dfm", "object F: TForm\n  Left = @\n  Items = (\n    'a'\n");
  Outcome o = RunCli({"check", bad, worse, kForms + "contact.dfm"});
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err, bad + ":2:10: error: expected a value, found '@'\n" + bad +
                       ":4:13: error: unterminated string\n" + worse +
                       ":2:10: error: expected a value, found '@'\n" + worse +
                       ":5:1: error: unexpected end of file inside list\n");
  EXPECT_EQ(o.out,
            kForms + "contact.dfm: ok, TContactForm with 9 components\n");
  Outcome help = RunCli({"check", "--help"});
  EXPECT_NE(help.out.find("report every error"), std::string::npos);
  EXPECT_NE(help.out.find("goes on after that property"), std::string::npos)
      << help.out;
}

// An option out of range says the range; every message of the command
// itself starts with "flexarium:".
TEST(CliStatus, OptionErrorsSayTheAllowedRange) {
  const std::string contact = kForms + "contact.dfm";
  struct Case {
    std::vector<std::string> args;
    const char* range;
  };
  const std::vector<Case> cases = {
      {{"preview", contact, "--move", "100001,0"}, "each -100000 to 100000"},
      {{"preview", contact, "--dpi", "2147483647"}, "each 1 to 10000"},
      {{"preview", contact, "--client", "100001x5"}, "each 1 to 100000"},
      {{"preview", contact, "--screen", "0x600"}, "each 1 to 100000"},
      {{"preview", contact, "--taskbar", "left:0"}, "THICKNESS 1 to 10000"},
      {{"preview", contact, "--frame", "19:201"}, "each 0 to 200"},
      {{"preview", contact, "--windows", "100.0"}, "MAJOR 1 to 99"},
      {{"preview", contact, "--monitor", "800x600@0,0:0"}, "DPI 1 to 10000"},
      {{"stamp", contact, "--client", "0x5", "-o", "-"}, "each 1 to 100000"},
      {{"stamp", contact, "--client", "5x5", "--dpi", "0", "-o", "-"},
       "each 1 to 10000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[2] + " " + c.args[3]);
    Outcome o = RunCli(c.args);
    EXPECT_EQ(o.status, 2);
    EXPECT_EQ(o.err.rfind("flexarium: ", 0), 0u) << o.err;
    EXPECT_NE(o.err.find(c.range), std::string::npos) << o.err;
  }
}

// A step that fails is named with its option and says what would do; the
// steps before it are still reported, as a table or as JSON.
TEST(CliStatus, AFailedStepKeepsTheStepsBeforeIt) {
  const std::string contact = kForms + "contact.dfm";
  const std::vector<std::string> args = {"preview", contact,    "--dpi",
                                         "480",     "--client", "600x400",
                                         "--scale", "50"};
  Outcome o = RunCli(args);
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err.rfind("flexarium: --scale 50 (step 3): scale: 50 times the "
                        "design client size 2400x1500 is 120000x75000",
                        0),
            0u)
      << o.err;
  EXPECT_NE(o.err.find("the factor lies between 0.0004 and 41.6667"),
            std::string::npos)
      << o.err;
  EXPECT_EQ(Lines(o.err), 1) << o.err;
  EXPECT_NE(o.out.find("Step 2: client 600x400"), std::string::npos) << o.out;
  std::vector<std::string> withJson = args;
  withJson.push_back("--json");
  Outcome j = RunCli(withJson);
  EXPECT_EQ(j.status, 1);
  ASSERT_EQ(j.err, o.err);
  EXPECT_EQ(json::parse(j.out)["steps"].size(), 2u);
}

TEST(CliStatus, EverySubcommandHasHelp) {
  for (const char* sub : {"check", "format", "stamp", "preview", "run"}) {
    SCOPED_TRACE(sub);
    Outcome o = RunCli({sub, "--help"});
    EXPECT_EQ(o.status, 0);
    EXPECT_NE(o.out.find("Usage"), std::string::npos) << o.out;
  }
  for (const char* sub : {"check", "format", "stamp", "preview"}) {
    SCOPED_TRACE(sub);
    EXPECT_NE(RunCli({sub, "--help"}).out.find("- reads"), std::string::npos);
  }
  EXPECT_NE(RunCli({"preview", "--help"}).out.find("--maximize"),
            std::string::npos);
  EXPECT_NE(RunCli({"run", "--help"}).out.find("expect NAME|form|factors"),
            std::string::npos);
}

// ---- Preview

json PreviewJson(std::vector<std::string> args) {
  args.insert(args.begin(), "preview");
  args.push_back("--json");
  Outcome o = RunCli(args);
  EXPECT_EQ(o.status, 0) << o.err;
  return json::parse(o.out);
}

const json& Control(const json& step, const std::string& name) {
  for (const json& c : step["controls"]) {
    if (c["name"] == name) return c;
  }
  static const json none;
  ADD_FAILURE() << "no control " << name;
  return none;
}

// A size step restores the form first, and a minimised form that was
// maximised restores to maximised: it takes a second restore to be sized.
TEST(CliPreview, SizeStepsEndInTheNormalState) {
  for (const char* size : {"--client", "--outer"}) {
    json doc = PreviewJson(
        {kForms + "contact.dfm", "--maximize", "--minimize", size, "440x292"});
    const json& last = doc["steps"].back();
    EXPECT_EQ(last["form"]["window_state"], "normal") << size;
    if (std::string(size) == "--client") {
      EXPECT_EQ(last["form"]["client_width"], 440);
      EXPECT_EQ(last["form"]["client_height"], 292);
    } else {
      EXPECT_EQ(last["form"]["width"], 440);
    }
  }
}

// Preview and run read the layout, never the desktop's records of calls
// and messages, so they keep none.
TEST(CliPreview, SessionKeepsNoRecordsOfTheDesktop) {
  Session session{ScreenSettings{}};
  session.load(kForms + "contact.dfm", flx::FormLoadOptions{});
  session.show();
  for (int i = 0; i < 20; ++i) session.setClientSize({400 + i, 300});
  EXPECT_TRUE(session.desktop().calls().empty());
  EXPECT_TRUE(session.desktop().messages().empty());
  EXPECT_EQ(session.capture("client").form.clientWidth, 419);
}

TEST(CliPreview, JsonHasEveryStepInOrder) {
  json doc =
      PreviewJson({kForms + "contact.dfm", "--maximize", "--client", "960x600",
                   "--restore", "--outer", "800x600", "--client", "720x450"});
  std::vector<std::string> actions;
  for (const json& s : doc["steps"]) actions.push_back(s["action"]);
  EXPECT_EQ(actions, (std::vector<std::string>{
                         "show", "maximize", "client 960x600", "restore",
                         "outer 800x600", "client 720x450"}));
  EXPECT_EQ(doc["component"], "Flexarium1");
  const json& shown = doc["steps"][0];
  for (const char* key :
       {"name", "left", "top", "width", "height", "client_width",
        "client_height", "font_size", "window_state"}) {
    EXPECT_TRUE(shown["form"].contains(key)) << key;
  }
  EXPECT_EQ(shown["form"]["window_state"], "normal");
  EXPECT_EQ(doc["steps"][1]["form"]["window_state"], "maximized");
  const json& doubled = doc["steps"][2];
  EXPECT_EQ(doubled["form"]["window_state"], "normal");
  EXPECT_DOUBLE_EQ(doubled["xscale"].get<double>(), 2.0);
  EXPECT_DOUBLE_EQ(doubled["yscale"].get<double>(), 2.0);
  EXPECT_EQ(doubled["form"]["client_width"], 960);
  // The outer rectangle is the client plus the frame (8 a side and a 23
  // pixel caption at 96 DPI).
  EXPECT_EQ(doubled["form"]["width"], 976);
  EXPECT_EQ(doubled["form"]["height"], 639);
  const json& memo = Control(doubled, "memMessage");
  EXPECT_EQ(memo["parent"], "grpMessage");
  EXPECT_EQ(memo["owner"], "ContactForm");
  EXPECT_EQ(memo["left"], 24);
  EXPECT_EQ(memo["width"], 848);
  EXPECT_EQ(memo["font_size"], 18);
  EXPECT_EQ(memo["parent_font"], true);
  const json& outer = doc["steps"][4];
  EXPECT_EQ(outer["form"]["width"], 800);
  EXPECT_EQ(outer["form"]["client_width"], 784);
  EXPECT_EQ(doc["steps"][5]["form"]["client_height"], 450);
}

TEST(CliPreview, AFontFloorHoldsAtTheSmallestScale) {
  // file_browser has MinFontSize 7: at 0.05 every font would reach 0.
  const json tiny =
      PreviewJson({kForms + "file_browser.dfm", "--scale", "0.05"})["steps"][1];
  EXPECT_EQ(tiny["form"]["font_size"], 7);
  for (const json& c : tiny["controls"]) {
    EXPECT_EQ(c["font_size"], 7) << c["name"];
  }
}

TEST(CliPreview, ControlsWithoutFontAndFramesChildren) {
  json product = PreviewJson({kForms + "product_form.dfm"});
  EXPECT_TRUE(Control(product["steps"][0], "imgLogo")["font_size"].is_null());
  EXPECT_TRUE(Control(product["steps"][0], "imgLogo")["parent_font"].is_null());
  json order = PreviewJson({kForms + "order_dialog.dfm"});
  int streets = 0;
  for (const json& c : order["steps"][0]["controls"]) {
    if (c["name"] == "edStreet") {
      ++streets;
      EXPECT_TRUE(c["owner"] == "BillTo" || c["owner"] == "ShipTo");
      EXPECT_EQ(c["parent"], c["owner"]);
    }
  }
  EXPECT_EQ(streets, 2);
}

TEST(CliPreview, ControlsReportWhatTheyShow) {
  const json settings = PreviewJson({kForms + "settings_form.dfm"})["steps"][0];
  const json& combo = Control(settings, "cbLanguage");
  EXPECT_EQ(combo["look"], "combo");
  EXPECT_EQ(combo["items"].size(), 4u);
  EXPECT_EQ(combo["items"][2], "Fran\u00e7ais");
  EXPECT_EQ(combo["item_index"], 0);
  EXPECT_EQ(Control(settings, "rbRestore")["checked"], 1);
  EXPECT_EQ(Control(settings, "rbBlank")["checked"], 0);
  EXPECT_EQ(Control(settings, "trkZoom")["look"], "track");
  const json gallery = PreviewJson({kForms + "gallery.dfm"})["steps"][0];
  struct Case {
    const char* name;
    const char* look;
    bool drawn;
  };
  for (const Case& c :
       {Case{"pnlInfo", "panel", true}, Case{"pbxCanvas", "blank", false},
        Case{"tsFirst", "sheet", false}, Case{"imgLogo", "image", true},
        Case{"synCode", "generic", true}, Case{"chkGrayed", "check", true}}) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Control(gallery, c.name)["look"], c.look);
    EXPECT_EQ(Control(gallery, c.name)["drawn"], c.drawn);
  }
  EXPECT_EQ(Control(gallery, "chkGrayed")["checked"], 2);
  EXPECT_EQ(Control(gallery, "pcPages")["items"],
            json::array({"First page", "Second page"}));
  EXPECT_EQ(Control(gallery, "tsSecond")["visible"], false);
}

TEST(CliPreview, HighDpiStartsAtTwoThirds) {
  json doc = PreviewJson(
      {kForms + "contact.dfm", "--dpi", "144", "--client", "720x450"});
  const json& shown = doc["steps"][0];
  EXPECT_NEAR(shown["xscale"].get<double>(), 2.0 / 3.0, 1e-9);
  EXPECT_EQ(shown["form"]["font_size"], 6);
  EXPECT_EQ(Control(shown, "edName")["width"], 368);
  const json& sized = doc["steps"][1];
  EXPECT_DOUBLE_EQ(sized["xscale"].get<double>(), 1.0);
  EXPECT_EQ(Control(sized, "edName")["width"], 552);
  EXPECT_EQ(sized["form"]["font_size"], 9);
  EXPECT_EQ(doc["screen"]["dpi_x"], 144);
}

TEST(CliPreview, ScreenOptionsReachTheDesktop) {
  // The visible frame is centred in what the taskbar leaves: 1280 x 680.
  json doc = PreviewJson({kForms + "contact.dfm", "--screen", "1280x720",
                          "--taskbar", "bottom:40"});
  const json& form = doc["steps"][0]["form"];
  EXPECT_EQ(form["visible_frame"]["left"], (1280 - 482) / 2);
  EXPECT_EQ(form["visible_frame"]["top"], (680 - 332) / 2);
  // Without composition there are no invisible margins to allow for.
  json plain = PreviewJson(
      {kForms + "contact.dfm", "--composition", "off", "--taskbar", "none"});
  EXPECT_EQ(plain["steps"][0]["form"]["left"], (1920 - 496) / 2);
  EXPECT_EQ(plain["steps"][0]["form"]["top"], (1080 - 339) / 2);
  // Windows 95 drives the component through the message hook.
  json hooked = PreviewJson(
      {kForms + "contact.dfm", "--windows", "4.0", "--client", "960x600"});
  EXPECT_DOUBLE_EQ(hooked["steps"][1]["xscale"].get<double>(), 2.0);
  EXPECT_EQ(Control(hooked["steps"][1], "edName")["width"], 736);
}

TEST(CliPreview, FormWithoutComponentIsShownUnscaled) {
  Scratch scratch;
  const std::string form = scratch.Write("plain.dfm", R"(object Plain: TPlain
  Caption = 'No component'
  ClientHeight = 100
  ClientWidth = 200
  object Button1: TButton
    Left = 10
    Top = 10
    Width = 80
    Height = 24
    Caption = 'OK'
  end
end
)");
  Outcome text = RunCli({"preview", form, "--client", "400x200"});
  EXPECT_EQ(text.status, 0) << text.err;
  EXPECT_NE(text.out.find("has no TFlexarium: nothing rescales"),
            std::string::npos);
  json doc = PreviewJson({form, "--client", "400x200"});
  EXPECT_TRUE(doc["component"].is_null());
  EXPECT_TRUE(doc["steps"][1]["xscale"].is_null());
  EXPECT_EQ(doc["steps"][1]["form"]["client_width"], 400);
  EXPECT_EQ(Control(doc["steps"][1], "Button1")["width"], 80);
}

TEST(CliPreview, TableNamesEveryControl) {
  Outcome o =
      RunCli({"preview", kForms + "contact.dfm", "--client", "960x600"});
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_NE(o.out.find("Step 2: client 960x600"), std::string::npos);
  EXPECT_NE(o.out.find("factors: x 2.0000, y 2.0000, font 2.0000"),
            std::string::npos);
  // Indented under its group box, with its bounds and font.
  EXPECT_NE(o.out.find("    memMessage  TMemo        24   40    848     256  "
                       "18 pt (parent)"),
            std::string::npos)
      << o.out;
}

// Fonts and bounds at the ends of the Integer range are reported and drawn
// without overflow (the sanitizer build stops at any).
TEST(CliPreview, ExtremeFontsAndBoundsAreReported) {
  Scratch scratch;
  const std::string form =
      "object F: TForm\n  Font.Height = -2147483648\n"
      "  object B: TButton\n    Left = 2147483647\n    Top = -2147483648\n"
      "    Width = 2147483647\n    Height = 2147483647\n"
      "    Font.Height = 2147483647\n    ParentFont = False\n  end\n"
      "  object L: TLabel\n    Caption = 'x'\n"
      "    Font.Height = -2147483648\n    ParentFont = False\n  end\n"
      "  object Flexarium1: TFlexarium\n  end\nend\n";
  Outcome o = RunCli({"preview", "-", "--json", "--client", "70000x300",
                      "--svg", scratch.Path("svg")},
                     form);
  ASSERT_EQ(o.status, 0) << o.err;
  json doc = json::parse(o.out);
  ASSERT_EQ(doc["steps"].size(), 2u);
  EXPECT_GT(Control(doc["steps"][0], "L")["font_size"].get<int>(), 0);
  EXPECT_LT(Control(doc["steps"][0], "B")["font_size"].get<int>(), 0);
}

TEST(CliPreview, WritesPicturesAndPage) {
  Scratch scratch;
  Outcome o = RunCli({"preview", kForms + "order_dialog.dfm", "--client",
                      "800x720", "--svg", scratch.Path("svg"), "--html",
                      scratch.Path("page/index.html")});
  ASSERT_EQ(o.status, 0) << o.err;
  for (const char* name : {"01-show.svg", "02-client-800x720.svg"}) {
    std::ifstream in(scratch.Path("svg") + "/" + name);
    ASSERT_TRUE(in) << name;
  }
  std::ifstream in(scratch.Path("page/index.html"));
  std::stringstream page;
  page << in.rdbuf();
  const std::string html = page.str();
  EXPECT_EQ(html.rfind("<!DOCTYPE html>", 0), 0u);
  std::size_t pictures = 0;
  for (auto at = html.find("<svg xmlns"); at != std::string::npos;
       at = html.find("<svg xmlns", at + 1)) {
    ++pictures;
  }
  EXPECT_EQ(pictures, 2u);
  EXPECT_NE(html.find("x 2.0000, y 2.0000, font 2.0000"), std::string::npos);
}

// Valid UTF-8 with every lone surrogate (and any other byte that is not
// UTF-8) shown as U+FFFD, as each output must write text.
bool ValidUtf8(const std::string& s) {
  for (std::size_t i = 0; i < s.size();) {
    const auto b = static_cast<unsigned char>(s[i]);
    std::size_t n = b < 0x80                ? 1
                    : b >= 0xC2 && b < 0xE0 ? 2
                    : b >= 0xE0 && b < 0xF0 ? 3
                    : b >= 0xF0 && b < 0xF5 ? 4
                                            : 0;
    if (n == 0 || i + n > s.size()) return false;
    for (std::size_t k = 1; k < n; ++k) {
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    }
    const auto b1 = static_cast<unsigned char>(n > 1 ? s[i + 1] : 0);
    if ((b == 0xE0 && b1 < 0xA0) || (b == 0xED && b1 >= 0xA0) ||
        (b == 0xF0 && b1 < 0x90) || (b == 0xF4 && b1 >= 0x90)) {
      return false;
    }
    i += n;
  }
  return true;
}

const std::string kReplacement = "\xEF\xBF\xBD";

// A caption, a control's text and a font name holding lone surrogates (high
// and low): the form file keeps them, every output shows U+FFFD.
const std::string kSurrogateForm =
    "object F: TForm\n  Caption = 'A'#55296'B'\n  ClientWidth = 200\n"
    "  ClientHeight = 100\n  object L: TLabel\n    Left = 8\n    Top = 8\n"
    "    Width = 50\n    Height = 14\n    Caption = #56320\n"
    "    Font.Name = 'X'#55296\n  end\n  object Flexarium1: TFlexarium\n"
    "  end\nend\n";

TEST(CliOutputText, LoneSurrogatesShowAsReplacementCharacter) {
  Scratch scratch;
  const std::string form = scratch.Write("lone.dfm", kSurrogateForm);
  EXPECT_EQ(RunCli({"check", form}).status, 0);

  Outcome doc = RunCli({"preview", form, "--json", "--client", "300x150"});
  ASSERT_EQ(doc.status, 0) << doc.err;
  ASSERT_TRUE(ValidUtf8(doc.out));
  EXPECT_EQ(json::parse(doc.out)["steps"][0]["form"]["caption"],
            "A" + kReplacement + "B");

  Outcome table = RunCli({"preview", form});
  ASSERT_EQ(table.status, 0) << table.err;
  EXPECT_TRUE(ValidUtf8(table.out));

  const std::string page = scratch.Path("page.html");
  Outcome pictures =
      RunCli({"preview", form, "--svg", scratch.Path("svg"), "--html", page});
  ASSERT_EQ(pictures.status, 0) << pictures.err;
  std::vector<std::string> files{page};
  for (const auto& e : fs::directory_iterator(scratch.Path("svg"))) {
    files.push_back(e.path().string());
  }
  ASSERT_GE(files.size(), 2u);
  for (const std::string& file : files) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    EXPECT_TRUE(ValidUtf8(text.str())) << file;
    EXPECT_NE(text.str().find("A" + kReplacement + "B"), std::string::npos)
        << file;
  }

  const std::string script =
      scratch.Write("lone.scn",
                    "load lone.dfm\nshow\nprint\nprint json\n"
                    "set L.Caption = 'c'#56320\nprint json\n");
  Outcome run = RunCli({"run", script});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(ValidUtf8(run.out));
  EXPECT_NE(run.out.find("c" + kReplacement), std::string::npos) << run.out;

  // The form file itself keeps the surrogates for a loss-free round trip.
  Outcome formatted = RunCli({"format", form});
  EXPECT_NE(formatted.out.find("#55296"), std::string::npos) << formatted.err;
}

// ---- Standard input

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string ReplaceAll(std::string text, const std::string& from,
                       const std::string& to) {
  for (auto at = text.find(from); at != std::string::npos;
       at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

std::vector<std::string> WithForm(std::vector<std::string> args,
                                  const std::string& form) {
  for (std::string& a : args) {
    if (a == "FORM") a = form;
  }
  return args;
}

TEST(CliStdin, EverySubcommandReadsTheFormFromStandardInput) {
  const std::string contact = kForms + "contact.dfm";
  const std::string text = ReadFile(contact);
  struct Case {
    std::vector<std::string> byName;
    std::vector<std::string> fromStdin;
  };
  const std::vector<Case> cases = {
      {{"check", "FORM"}, {"check", "FORM"}},
      {{"format", "FORM"}, {"format", "FORM"}},
      {{"stamp", "FORM", "--client", "960x600", "--dpi", "120", "-o", "-"},
       {"stamp", "FORM", "--client", "960x600", "--dpi", "120", "-o", "-"}},
      // With nothing to replace, stamp writes standard output.
      {{"stamp", "FORM", "--client", "960x600", "-o", "-"},
       {"stamp", "FORM", "--client", "960x600"}},
      {{"preview", "FORM", "--dpi", "144", "--client", "720x450"},
       {"preview", "FORM", "--dpi", "144", "--client", "720x450"}},
      {{"preview", "FORM", "--maximize", "--json"},
       {"preview", "FORM", "--maximize", "--json"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fromStdin[0] + " " + c.fromStdin.back());
    Outcome byName = RunCli(WithForm(c.byName, contact));
    Outcome fromStdin = RunCli(WithForm(c.fromStdin, "-"), text);
    ASSERT_EQ(byName.status, 0) << byName.err;
    EXPECT_EQ(fromStdin.status, 0) << fromStdin.err;
    EXPECT_EQ(fromStdin.err, "");
    EXPECT_NE(fromStdin.out.find("ContactForm"), std::string::npos);
    EXPECT_EQ(fromStdin.out, ReplaceAll(byName.out, contact, "<stdin>"));
  }
}

TEST(CliStdin, ErrorsNameStandardInput) {
  const std::string broken = "object F: TForm\n  Left = 1\n  Top = @\nend\n";
  const std::string contact = kForms + "contact.dfm";
  struct Case {
    std::vector<std::string> args;
    std::string input;
    int status;
    const char* message;
  };
  const std::vector<Case> cases = {
      {{"check", "-"},
       broken,
       1,
       "<stdin>:3:9: error: expected a value, found '@'"},
      {{"format", "-"}, broken, 1, "<stdin>:3:9: error:"},
      {{"stamp", "-", "--client", "10x10"}, broken, 1, "<stdin>:3:9: error:"},
      {{"preview", "-", "--client", "10x10"}, broken, 1, "<stdin>:3:9: error:"},
      {{"check", "-"}, "", 1, "<stdin>:1:1: error: unexpected end of file"},
      {{"preview", "-"},
       ReadFile(kForms + "address_frame.dfm"),
       1,
       "<stdin>: the root is TAddressFrame, not a form"},
      {{"check", "-", contact, "-"},
       ReadFile(contact),
       2,
       "standard input (-) can be read only once"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + c.message);
    Outcome o = RunCli(c.args, c.input);
    EXPECT_EQ(o.status, c.status);
    EXPECT_NE(o.err.find(c.message), std::string::npos) << o.err;
    EXPECT_EQ(Lines(o.err), 1) << o.err;
  }
}

// Standard input (descriptor 0) reads from `fd` while this lives.
class StdinFrom {
 public:
  explicit StdinFrom(int fd) : saved_(::dup(0)) { ::dup2(fd, 0); }
  ~StdinFrom() {
    ::dup2(saved_, 0);
    ::close(saved_);
    std::clearerr(stdin);
    std::cin.clear();
  }
  StdinFrom(const StdinFrom&) = delete;
  StdinFrom& operator=(const StdinFrom&) = delete;

 private:
  int saved_;
};

// A pipe whose other end a thread fills with `text`, more than the pipe
// holds at once, so that the reader has to keep reading.
class FilledPipe {
 public:
  explicit FilledPipe(std::string text) {
    int fds[2];
    if (::pipe(fds) != 0) throw std::runtime_error("no pipe");
    read_ = fds[0];
    // A reader that stops early must not kill the test.
    std::signal(SIGPIPE, SIG_IGN);
    writer_ = std::thread([fd = fds[1], text = std::move(text)] {
      std::size_t done = 0;
      while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
      }
      ::close(fd);
    });
  }
  ~FilledPipe() {
    ::close(read_);
    writer_.join();
  }
  FilledPipe(const FilledPipe&) = delete;
  FilledPipe& operator=(const FilledPipe&) = delete;
  int readEnd() const { return read_; }

 private:
  int read_ = -1;
  std::thread writer_;
};

TEST(CliStdin, ReadsARealPipe) {
  std::string form = "object Big: TBigForm\n  ClientWidth = 400\n";
  for (int i = 0; i < 1000; ++i) {
    const std::string n = std::to_string(i);
    form += "  object Button" + n + ": TButton\n    Left = " + n +
            "\n    Width = 75\n    Caption = 'Button " + n + "'\n  end\n";
  }
  form += "end\n";
  ASSERT_GT(form.size(), 65536u);
  // A pipe named by path has no canonical path of its own.
  for (const char* name : {"-", "/dev/stdin"}) {
    SCOPED_TRACE(name);
    FilledPipe pipe(form);
    StdinFrom in(pipe.readEnd());
    Outcome o = RunCli({"check", name});
    EXPECT_EQ(o.status, 0) << o.err;
    const std::string shown = std::string(name) == "-" ? "<stdin>" : name;
    EXPECT_EQ(o.out, shown + ": ok, TBigForm with 1000 components\n");
  }
}

TEST(CliStdin, FolderAsStandardInputIsRefused) {
  const int dir = ::open(kForms.c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(dir, 0);
  Outcome o;
  {
    StdinFrom in(dir);
    o = RunCli({"check", "-"});
  }
  ::close(dir);
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err, "<stdin>: error: is a folder, not a form file\n");
}

// The current folder is `dir` while this lives.
class InFolder {
 public:
  explicit InFolder(const fs::path& dir) : saved_(fs::current_path()) {
    fs::current_path(dir);
  }
  ~InFolder() { fs::current_path(saved_); }
  InFolder(const InFolder&) = delete;
  InFolder& operator=(const InFolder&) = delete;

 private:
  fs::path saved_;
};

TEST(CliStdin, FramesAreLookedForInTheCurrentAndSearchFolders) {
  Scratch scratch;
  const std::string empty = scratch.Path("");
  const std::string text = ReadFile(kForms + "order_dialog.dfm");
  struct Case {
    std::string folder;
    std::vector<std::string> args;
    bool found;
  };
  const std::vector<Case> cases = {
      {kForms, {}, true},
      {empty, {"--search", kForms}, true},
      {empty, {}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder + (c.args.empty() ? "" : " --search"));
    std::vector<std::string> args = {"check", "-"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    Outcome o;
    {
      InFolder in(c.folder);
      o = RunCli(args, text);
    }
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out.rfind("<stdin>: ok, TOrderDialog", 0), 0u) << o.out;
    EXPECT_EQ(o.err.empty(), c.found) << o.err;
    if (!c.found) {
      EXPECT_NE(o.err.find("<stdin>: the form file of frame class "
                           "TAddressFrame was not found"),
                std::string::npos);
    }
  }
}

// ---- Line endings

// The line break of every line and the byte-order mark of a text.
struct Layout {
  bool bom = false;
  int crlf = 0;  // line breaks that are CRLF
  int lf = 0;    // line breaks that are a bare LF
};

Layout LayoutOf(const std::string& text) {
  Layout l;
  l.bom = text.rfind("\xEF\xBB\xBF", 0) == 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\n') continue;
    (i > 0 && text[i - 1] == '\r' ? l.crlf : l.lf)++;
  }
  return l;
}

// The text without BOM and with LF line breaks.
std::string Plain(std::string text) {
  if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
  return ReplaceAll(text, "\r\n", "\n");
}

class CliLineEndingsCorpus : public testing::TestWithParam<std::string> {};

// Each corpus file, by name and from standard input, formatted and stamped:
// the output keeps the file's line break and BOM, and differs from the
// output for the same text with LF and no BOM in nothing else.
TEST_P(CliLineEndingsCorpus, FormatAndStampKeepLineBreaksAndBom) {
  if (GetParam().empty()) GTEST_SKIP() << flx::corpus::Missing();
  const std::string path = (flx::corpus::Dir() / GetParam()).string();
  const std::string dir = fs::path(path).parent_path().string();
  const std::string text = ReadFile(path);
  const Layout in = LayoutOf(text);
  const auto firstBreak = text.find('\n');
  const bool crlf = firstBreak != std::string::npos && firstBreak > 0 &&
                    text[firstBreak - 1] == '\r';
  const std::vector<std::vector<std::string>> commands = {
      {"format", "FORM", "--search", dir},
      {"stamp", "FORM", "--client", "640x480", "-o", "-", "--search", dir},
  };
  for (const auto& command : commands) {
    SCOPED_TRACE(command[0]);
    Outcome byName = RunCli(WithForm(command, path));
    Outcome fromStdin = RunCli(WithForm(command, "-"), text);
    Outcome plain = RunCli(WithForm(command, "-"), Plain(text));
    if (byName.status != 0) {
      // A form the library does not read is refused the same way each time.
      EXPECT_EQ(fromStdin.status, byName.status);
      continue;
    }
    ASSERT_EQ(fromStdin.status, 0) << fromStdin.err;
    ASSERT_EQ(plain.status, 0) << plain.err;
    // (Read by name, an ancestor may be found through the unit source
    // beside the file, which standard input has not: only the layouts of
    // the two are compared.)
    for (const Outcome* o : {&byName, &fromStdin}) {
      const Layout out = LayoutOf(o->out);
      EXPECT_EQ(out.bom, in.bom);
      EXPECT_EQ(crlf ? out.lf : out.crlf, 0);
      EXPECT_GT(crlf ? out.crlf : out.lf, 0);
    }
    EXPECT_EQ(Plain(fromStdin.out), plain.out);
    EXPECT_EQ(LayoutOf(plain.out).crlf, 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Corpus, CliLineEndingsCorpus,
                         testing::ValuesIn(flx::corpus::Files()),
                         [](const testing::TestParamInfo<std::string>& info) {
                           return flx::corpus::TestName(info.param);
                         });

// A form written back in place keeps the layout of the file it replaces.
TEST(CliLineEndings, StampReplacesAFileInItsOwnLayout) {
  Scratch scratch;
  const std::string lf = ReadFile(kForms + "contact.dfm");
  const std::string crlfBom = "\xEF\xBB\xBF" + ReplaceAll(lf, "\n", "\r\n");
  for (const std::string& text : {lf, crlfBom}) {
    const std::string file = scratch.Write("form.dfm", text);
    Outcome o = RunCli({"stamp", file, "--client", "480x300"});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(ReadFile(file), text);
  }
}

// ---- Pictures

StepLayout SampleStep() {
  StepLayout s;
  s.action = "client 300x200";
  s.factors = Factors{1.5, 2.0};
  s.form.name = "F";
  s.form.caption = "Tom & Jerry <3";
  s.form.window = flx::win::RECT{100, 50, 416, 289};
  s.form.visible = flx::win::RECT{107, 50, 409, 282};
  s.form.clientWidth = 300;
  s.form.clientHeight = 200;
  s.form.clientLeft = 8;
  s.form.clientTop = 31;
  s.form.captionHeight = 23;
  s.form.state = "normal";
  auto control = [](const char* name, Look look, int depth, bool visible) {
    ControlLayout c;
    c.name = name;
    c.className = "TX";
    c.parent = "P";
    c.text = std::string(name) + " \"caption\"";
    c.left = 10;
    c.top = 10;
    c.width = 100;
    c.height = 30;
    c.fontSize = 9;
    c.fontPixels = 12;
    c.look = look;
    c.depth = depth;
    c.visible = visible;
    return c;
  };
  s.controls = {control("grp", Look::Group, 0, true),
                control("btn", Look::Button, 1, true),
                control("hidden", Look::Panel, 0, false),
                control("underHidden", Look::Edit, 1, true),
                control("pic", Look::Image, 0, true)};
  s.controls.back().fontSize.reset();
  return s;
}

TEST(CliPictures, SvgNestsControlsAndEscapesText) {
  const std::string svg = renderSvg(SampleStep(), 3);
  EXPECT_EQ(svg.rfind("<svg xmlns=\"http://www.w3.org/2000/svg\"", 0), 0u);
  auto count = [&](const std::string& what) {
    std::size_t n = 0;
    for (auto at = svg.find(what); at != std::string::npos;
         at = svg.find(what, at + 1)) {
      ++n;
    }
    return n;
  };
  EXPECT_EQ(count("<svg"), count("</svg>"));
  // The root, the client area and the three controls drawn.
  EXPECT_EQ(count("<svg"), 5u);
  EXPECT_NE(svg.find("Tom &amp; Jerry &lt;3"), std::string::npos);
  EXPECT_NE(svg.find("btn &quot;caption&quot;"), std::string::npos);
  EXPECT_EQ(svg.find("Tom & Jerry"), std::string::npos);
  // A hidden control and what it holds are not drawn.
  EXPECT_EQ(svg.find("underHidden"), std::string::npos);
  EXPECT_NE(svg.find("Step 3: client 300x200"), std::string::npos);
  EXPECT_NE(svg.find("x 1.5000, y 2.0000, font 1.5000"), std::string::npos);
  // The composition margins show as a dashed outline of the whole window.
  EXPECT_NE(svg.find("width=\"315\" height=\"238\" fill=\"none\""),
            std::string::npos);
}

// One control alone on a form without a caption bar.
std::string SvgOf(ControlLayout c) {
  StepLayout s;
  s.action = "show";
  s.form.name = "F";
  s.form.window = flx::win::RECT{0, 0, 300, 200};
  s.form.visible = s.form.window;
  s.form.clientWidth = 300;
  s.form.clientHeight = 200;
  c.parent = "F";
  c.width = c.width ? c.width : 200;
  c.height = c.height ? c.height : 100;
  c.fontSize = 9;
  c.fontPixels = 12;
  s.controls = {c};
  SvgOptions options;
  options.footer = false;
  return renderSvg(s, 1, options);
}

TEST(CliPictures, SvgShowsWhatTheControlsShow) {
  struct Case {
    const char* name;
    ControlLayout control;
    std::vector<const char*> present;
    std::vector<const char*> absent;
  };
  auto make = [](Look look, std::vector<std::string> items = {},
                 int index = -1) {
    ControlLayout c;
    c.name = "C";
    c.look = look;
    c.items = std::move(items);
    c.itemIndex = index;
    return c;
  };
  ControlLayout checked = make(Look::Check);
  checked.text = "On";
  checked.check = 1;
  ControlLayout unchecked = checked;
  unchecked.check = 0;
  ControlLayout group = make(Look::RadioGroup, {"Small", "Large"}, 1);
  group.text = "&Size";
  group.itemRects = {Box{8, 14, 90, 20}, Box{8, 40, 90, 20}};
  ControlLayout bare = make(Look::Panel);
  ControlLayout raised = make(Look::Panel);
  raised.bevel = "raised";
  raised.text = "Panel";
  ControlLayout picture = make(Look::Image);
  picture.image = "data:image/bmp;base64,Qk0=";
  picture.imageRect = Box{0, 0, 32, 32};
  ControlLayout grid = make(Look::Grid, {"Key\tValue", "Width\t760"});
  grid.columns = {80, 100};
  grid.rows = {18, 18};
  grid.fixedRows = 1;
  const Case cases[] = {
      {"a combo box shows its selected item",
       make(Look::Combo, {"Japan", "Germany"}, 1),
       {">Germany<"},
       {">Japan<"}},
      {"a list shows its items and the selection",
       make(Look::List, {"Apple", "Cherry"}, 1),
       {">Apple<", ">Cherry<", "#0078d7"},
       {}},
      {"a checked box has a tick",
       checked,
       {"fill=\"none\" stroke=\"#000000\""},
       {}},
      {"an unchecked box has none",
       unchecked,
       {">On<"},
       {"fill=\"none\" stroke=\"#000000\""}},
      {"a radio group's items, the selected one filled",
       group,
       {">Size<", ">Small<", ">Large<", "fill=\"#000000\""},
       {"&amp;"}},
      {"a panel without bevels or caption draws no line",
       bare,
       {},
       {"<line", "<text"}},
      {"a raised panel", raised, {"<line", ">Panel<"}, {}},
      {"a bitmap", picture, {"<image", "data:image/bmp;base64,Qk0="}, {}},
      {"a grid's cells", grid, {">Key<", ">760<"}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string svg = SvgOf(c.control);
    for (const char* p : c.present) {
      EXPECT_NE(svg.find(p), std::string::npos) << p;
    }
    for (const char* a : c.absent) {
      EXPECT_EQ(svg.find(a), std::string::npos) << a;
    }
  }
}

// A text element of an SVG and the rectangle of the clip path it names.
struct PlacedText {
  double x = 0, y = 0;
  std::string clip;  // "x y width height"; "" without a clip path
  std::string length;
};

std::optional<PlacedText> FindText(const std::string& svg,
                                   const std::string& content) {
  const auto end = svg.find(">" + content + "</text>");
  if (end == std::string::npos) return std::nullopt;
  const auto start = svg.rfind("<text ", end);
  const std::string tag = svg.substr(start, end - start);
  auto attr = [&tag](const std::string& name) {
    const auto at = tag.find(" " + name + "=\"");
    if (at == std::string::npos) return std::string();
    const auto from = at + name.size() + 3;
    return tag.substr(from, tag.find('"', from) - from);
  };
  PlacedText t;
  t.x = std::stod(attr("x"));
  t.y = std::stod(attr("y"));
  t.length = attr("textLength");
  const std::string ref = attr("clip-path");
  if (ref.size() > 6) {
    const std::string id = ref.substr(5, ref.size() - 6);
    const auto path = svg.find("<clipPath id=\"" + id + "\">");
    if (path != std::string::npos) {
      const auto rect = svg.find("<rect ", path);
      auto value = [&](const char* name) {
        const auto at = svg.find(std::string(" ") + name + "=\"", rect);
        const auto from = at + std::strlen(name) + 3;
        return svg.substr(from, svg.find('"', from) - from);
      };
      t.clip = value("x") + " " + value("y") + " " + value("width") + " " +
               value("height");
    }
  }
  return t;
}

// Where the text of each class stands, as measured on screenshots of real
// windows under Wine (Tahoma at 11 and 16 pixels, 96 DPI): the left end of
// the text and its baseline, in the control's own pixels, and the
// rectangle it is clipped at.
TEST(CliPictures, TextStandsAndClipsWhereWindowsDrawsIt) {
  const flx::sim::ScopedDesktop desktop;
  {
    flx::win::LOGFONTW lf{};
    lf.lfHeight = -11;
    std::copy_n(u"Tahoma", 6, lf.lfFaceName);
    const flx::win::HDC dc = flx::win::GetDC(nullptr);
    const flx::win::HFONT font = flx::win::CreateFontIndirectW(&lf);
    const flx::win::HFONT previous = flx::win::SelectObject(dc, font);
    flx::win::SIZE size{};
    const bool measured = flx::win::GetTextExtentPoint32W(dc, u"OK", &size);
    flx::win::SelectObject(dc, previous);
    flx::win::DeleteObject(font);
    flx::win::ReleaseDC(nullptr, dc);
    if (!measured) GTEST_SKIP() << "no text metrics in this build";
  }
  struct Case {
    const char* name;
    Look look;
    int width, height, font;
    const char* text;
    const char* align;
    double x, baseline;
    const char* clip;
    std::vector<std::string> items = {};  // tabs, sections, panels
    std::vector<int> columns = {};
  };
  const Case cases[] = {
      {"push button: centred both ways", Look::Button, 75, 25, 11, "OK", "", 30,
       17, "0 0 75 25"},
      {"push button wider caption: centred past both edges, clipped at them",
       Look::Button, 60, 25, 11, "Apply all changes", "", -16, 17, "0 0 60 25"},
      {"push button, larger font", Look::Button, 75, 25, 16, "OK", "", 27, 19,
       "0 0 75 25"},
      {"check box: after the box and half a '0', centred down", Look::Check,
       120, 17, 11, "Check me", "", 17, 13, "16 0 104 17"},
      {"check box caption clipped at its right edge", Look::Check, 70, 17, 11,
       "Match whole words", "", 17, 13, "16 0 54 17"},
      {"check box, larger font", Look::Check, 120, 17, 16, "Check me", "", 18,
       15, "17 0 103 17"},
      {"radio button", Look::Radio, 120, 17, 11, "Radio me", "", 17, 13,
       "16 0 104 17"},
      {"check box with its text before the box", Look::Check, 120, 17, 11,
       "Check me", "left", 1, 13, "0 0 104 17"},
      {"the first tab's caption",
       Look::Tabs,
       300,
       100,
       11,
       "General",
       "",
       8,
       14,
       "2 0 54 22",
       {"General", "Advanced"}},
      {"a later tab's caption, after the tabs before it",
       Look::Tabs,
       300,
       100,
       11,
       "Advanced",
       "",
       62,
       14,
       "56 2 65 20",
       {"General", "Advanced"}},
      {"a header section's text",
       Look::Header,
       300,
       20,
       11,
       "Size",
       "",
       106,
       15,
       "106 0 88 20",
       {"Name", "Size"},
       {100, 100}},
      {"a status panel's text, 2 px after the panel before",
       Look::Status,
       600,
       20,
       11,
       "Mode",
       "",
       125,
       15,
       "123 3 126 16",
       {"Ready", "Mode", "Last"},
       {120, 130}},
      {"the last status panel's, to the bar's end",
       Look::Status,
       600,
       20,
       11,
       "Last",
       "",
       255,
       15,
       "253 3 346 16",
       {"Ready", "Mode", "Last"},
       {120, 130}},
      {"static text centred from the top", Look::Static, 120, 30, 11, "Centred",
       "center", 38, 11, "0 0 120 30"},
      {"static text right-aligned", Look::Static, 120, 30, 11, "Right", "right",
       92, 11, "0 0 120 30"},
      {"label left-aligned", Look::Label, 120, 30, 11, "Static left", "left", 0,
       11, "0 0 120 30"},
      {"group box caption on the top edge, 8 px in", Look::Group, 150, 60, 11,
       "Group caption", "", 8, 11, "8 0 136 13"},
      {"edit text at its margin, a pixel below the edge", Look::Edit, 120, 21,
       11, "Edit text", "", 6, 14, "6 3 108 13"},
      {"edit text, larger font", Look::Edit, 120, 30, 16, "Edit text", "", 7,
       19, "7 3 106 19"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ControlLayout control;
    control.name = "C";
    control.look = c.look;
    control.width = c.width;
    control.height = c.height;
    control.text = c.text;
    control.align = c.align;
    control.fontName = "Tahoma";
    control.fontHeight = -c.font;
    control.bordered = c.look == Look::Edit;
    control.items = c.items;
    control.columns = c.columns;
    control.itemIndex = c.look == Look::Tabs ? 0 : -1;
    ControlLayout& shown = control;
    StepLayout s;
    s.action = "show";
    s.form.name = "F";
    s.form.window = flx::win::RECT{0, 0, 300, 200};
    s.form.visible = s.form.window;
    s.form.clientWidth = 300;
    s.form.clientHeight = 200;
    s.dpi = 96;
    shown.parent = "F";
    shown.fontSize = c.font * 72 / 96;
    shown.fontPixels = c.font;
    s.controls = {shown};
    SvgOptions options;
    options.footer = false;
    const std::string svg = renderSvg(s, 1, options);
    const auto t = FindText(svg, c.text);
    ASSERT_TRUE(t) << svg;
    EXPECT_EQ(t->x, c.x);
    EXPECT_EQ(t->y, c.baseline);
    EXPECT_EQ(t->clip, c.clip) << svg;
    // As wide as measured, whatever font the viewer has.
    EXPECT_FALSE(t->length.empty());
  }
}

TEST(CliPictures, FileNames) {
  struct Case {
    const char* action;
    int number;
    const char* name;
  };
  const Case cases[] = {
      {"show", 1, "01-show.svg"},
      {"client 800x600", 2, "02-client-800x600.svg"},
      {"set A.B = 'x y' (line 4)", 12, "12-set-A-B-x-y-line-4.svg"}};
  for (const Case& c : cases) {
    StepLayout s;
    s.action = c.action;
    EXPECT_EQ(svgFileName(s, c.number), c.name);
  }
}

// ---- Scenarios

TEST(CliScenario, ReadingErrorsNameTheLine) {
  struct Case {
    const char* script;
    const char* message;
  };
  const Case cases[] = {
      {"show\n", "x.scn:1: show needs a form"},
      {"# c\n\nfrobnicate 3\n", "x.scn:3: unknown command 'frobnicate'"},
      {"load a.dfm\ndpi 120\n", "x.scn:2: dpi must come before load"},
      {"load a.dfm\nload b.dfm\n", "x.scn:2: a scenario loads one form"},
      {"screen 10x\n", "x.scn:1: screen: expected WxH"},
      {"load a.dfm\nclient 0x-5\n", "x.scn:2: client: expected WxH"},
      {"load a.dfm\nclient\n", "x.scn:2: usage: client WxH"},
      {"load a.dfm\ndrag right 10 10\n", "drag right takes one distance DX"},
      {"load a.dfm\ndrag bottom x\n", "expected a distance in pixels"},
      {"load a.dfm\ndrag middle 3\n", "expected an edge"},
      {"load a.dfm\ndrag topleft 3\n", "two distances DX DY"},
      {"load a.dfm\nset A.B\n", "expected NAME.PROPERTY = VALUE"},
      {"load a.dfm\nset Width = 3\n", "NAME.PROPERTY"},
      {"load a.dfm\nset A.B = 'open\n", "bad value"},
      {"load a.dfm\nexpect edName\n", "usage: expect TARGET"},
      {"load a.dfm\nexpect edName wide=3\n", "unknown key 'wide'"},
      {"load a.dfm\nexpect edName width=abc\n", "width: expected a whole"},
      {"load a.dfm\nexpect factors width=3\n", "for factors"},
      {"load a.dfm\nexpect factors x=1.2.3\n", "x: expected a decimal"},
      {"load a.dfm\nexpect form state=tall\n", "state: expected normal"},
      {"load a.dfm\ncreate TButton b at 1\n", "'at' takes LEFT TOP"},
      {"load a.dfm\ncreate TButton b in\n", "'in' needs the parent"},
      {"load a.dfm\nprint yaml\n", "print: expected print or print json"},
      {"taskbar top\n", "taskbar: expected EDGE:THICKNESS"},
      {"ancestor TFoo\n", "ancestor: expected CLASS=FILE"},
      {"frame 19x4\n", "frame: expected CAPTION:FRAME[:PADDED]"},
      {"load a.dfm\nframe 19:4:0\n", "frame must come before load"},
      {"load a.dfm\nsvg ../escaped.svg\n",
       "x.scn:2: svg: '../escaped.svg' leaves the --out folder"},
      {"load a.dfm\nsvg pics/../../x.svg\n",
       "x.scn:2: svg: 'pics/../../x.svg'"},
      {"load a.dfm\nsvg /tmp/x/y.svg\n", "x.scn:2: svg: '/tmp/x/y.svg' is an "},
      {"load a.dfm\nsvg pics/\n", "x.scn:2: svg: 'pics/' names a folder"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    try {
      parseScenario(c.script, "x.scn");
      ADD_FAILURE() << "no error";
    } catch (const ScenarioError& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos)
          << e.what();
    }
  }
}

TEST(CliScenario, CommentsBlankLinesAndCase) {
  auto lines = parseScenario(
      "# a comment\r\n\r\n  LOAD f.dfm   # trailing\r\nShow\r\nset "
      "A.Caption = 'a # b'\n",
      "x.scn");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].number, 3);
  EXPECT_EQ(lines[0].command, "load");
  EXPECT_EQ(lines[0].args, std::vector<std::string>{"f.dfm"});
  EXPECT_EQ(lines[1].command, "show");
  EXPECT_EQ(lines[2].rest, "A.Caption = 'a # b'");
}

struct ScenarioRun {
  ScenarioResult result;
  std::string out;
  std::string err;
};

ScenarioRun RunScript(const Scratch& scratch, const std::string& script) {
  const std::string file = scratch.Write("t.scn", script);
  std::ostringstream out, err;
  ScenarioOptions options;
  options.outputDir = scratch.Path("out");
  ScenarioRun r;
  r.result = runScenario(file, options, out, err);
  r.out = out.str();
  r.err = err.str();
  return r;
}

TEST(CliScenario, FailedExpectNamesLineAndGoesOn) {
  Scratch scratch;
  ScenarioRun r = RunScript(scratch, "load " + kForms +
                                         "contact.dfm\nshow\nclient "
                                         "960x600\nexpect edName width=700 "
                                         "height=44 left=190\nexpect edName "
                                         "width=736\nexpect factors x=2.1\n");
  EXPECT_EQ(r.result.expects, 3);
  EXPECT_EQ(r.result.failed, 2);
  EXPECT_FALSE(r.result.error);
  EXPECT_FALSE(r.result.passed());
  EXPECT_NE(r.err.find("t.scn:4: expected edName width=700 left=190, got "
                       "width=736 left=192\n"),
            std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("t.scn:6: expected factors x=2.1, got x=2.0000"),
            std::string::npos)
      << r.err;
}

TEST(CliScenario, FactorsMatchToTheWrittenPrecision) {
  Scratch scratch;
  ScenarioRun r = RunScript(
      scratch, "dpi 144\nload " + kForms +
                   "contact.dfm\nshow\nexpect factors x=0.6667 y=0.667 "
                   "font=0.67\nexpect factors x=0.66\nexpect factors "
                   "x=0.66667\n");
  EXPECT_EQ(r.result.expects, 3);
  EXPECT_EQ(r.result.failed, 1) << r.err;
  EXPECT_NE(r.err.find("t.scn:5:"), std::string::npos) << r.err;
}

TEST(CliScenario, ErrorsStopTheRunAtTheirLine) {
  Scratch scratch;
  const std::string load = "load " + kForms + "contact.dfm\n";
  struct Case {
    std::string script;
    const char* message;
  };
  const std::vector<Case> cases = {
      {"load missing.dfm\n", "t.scn:1: "},
      {load + "show\nset edNope.Width = 3\n",
       "t.scn:3: no component named 'edNope'"},
      {load + "set edName.Wide = 3\n",
       "t.scn:2: TEdit has no published property 'Wide'"},
      {load + "set edName.Width = 'x'\n", "t.scn:2: edName.Width:"},
      {load + "set edName.Font = 3\n", "set one of its properties"},
      {load + "set Flexarium1.FormMaxWidth = 100\n",
       "t.scn:2: Flexarium1.FormMaxWidth: Set this value equal to or "
       "greater than the FormMinWidth"},
      {"locale JPN\n" + load + "set Flexarium1.FormMaxWidth = 100\n",
       "FormMinWidth 以上の値を入れてください"},
      {load + "drag right 10\n", "t.scn:2: drag: the form is not shown"},
      {load + "show\nmaximize\ndrag right 10\n", "has no edge to drag"},
      {load + "destroy ContactForm\n", "cannot be destroyed"},
      {load + "create TNoSuchThing x\n", "and the class is unknown"},
      {load + "create TButton b in lblName\n", "cannot hold controls"},
      {load + "create TButton edName\n", "edName"},
      {load + "dynamicadd edName\n", "'edName' is not a TFlexarium"},
      {load + "expect Flexarium1 left=1\n", "not a control"},
      {load + "expect edName client=1x1\n", "is for the form"},
      {load + "expect form parent=x\n", "is for a control"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    ScenarioRun r = RunScript(scratch, c.script + "expect form left=1\n");
    EXPECT_TRUE(r.result.error);
    EXPECT_EQ(r.result.expects, 0);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(Lines(r.err), 1) << r.err;
  }
}

TEST(CliScenario, ControlsMadeAndFreedAtRunTime) {
  Scratch scratch;
  ScenarioRun r = RunScript(scratch, "load " + kForms +
                                         "order_dialog.dfm\nshow\nclient "
                                         "800x720\n"
                                         // Made at twice the design size, so
                                         // its base is half what it is given.
                                         "create TButton btnHelp at 16 640 "
                                         "152 56\n"
                                         "set btnHelp.Caption = 'Help'\n"
                                         "dynamicadd\n"
                                         "client 400x360\n"
                                         "expect btnHelp bounds=8,320,76,28 "
                                         "parent=OrderDialog\n"
                                         // A frame from its own file.
                                         "create TAddressFrame Gift in grpShip "
                                         "at 12 18\n"
                                         "dynamicadd\n"
                                         "client 800x720\n"
                                         "expect Gift bounds=24,36,720,216 "
                                         "parent=grpShip\n"
                                         "expect Gift.edZip "
                                         "bounds=560,80,144,44 font=18\n"
                                         "destroy Gift\n"
                                         "dynamicdelete\n"
                                         "client 400x360\n"
                                         "expect Gift left=12\n"
                                         "create TFlexarium Second\n"
                                         "expect factors x=1 y=1\n");
  EXPECT_FALSE(r.result.error) << r.err;
  EXPECT_EQ(r.result.expects, 5);
  EXPECT_EQ(r.result.failed, 1) << r.err;
  EXPECT_NE(r.err.find("t.scn:17: expected Gift left=12, got no component "
                       "named Gift"),
            std::string::npos)
      << r.err;
}

TEST(CliScenario, ScreenChangesWhileRunning) {
  Scratch scratch;
  ScenarioRun r = RunScript(
      scratch, "screen 1280x720\nload " + kForms +
                   "settings_form.dfm\nshow\nexpect form left=-7 top=0\n"
                   "taskbar top:50\nscreen 1920x1080\nmaximize\n"
                   "expect form state=maximized top=50\n");
  EXPECT_TRUE(r.result.passed()) << r.err;
}

// A real system's frame (Wine's: a 19-pixel caption, 4-pixel sizing
// frames, no padding) around the same client area.
TEST(CliScenario, TheFrameOfARealSystem) {
  Scratch scratch;
  ScenarioRun r = RunScript(scratch, "frame 19:4:0\nload " + kForms +
                                         "contact.dfm\nshow\n"
                                         "expect form size=488x327 "
                                         "client=480x300\n");
  EXPECT_TRUE(r.result.passed()) << r.err << r.out;
}

TEST(CliScenario, PrintAndSvg) {
  Scratch scratch;
  ScenarioRun r = RunScript(
      scratch, "load " + kForms +
                   "contact.dfm\nshow\nclient 960x600\nprint\nprint json\n"
                   "svg pics/wide.svg\n");
  ASSERT_TRUE(r.result.passed()) << r.err;
  EXPECT_NE(r.out.find("Step 1: client 960x600 (line 3)"), std::string::npos)
      << r.out;
  const std::string jsonText = r.out.substr(r.out.find("{\n"));
  json step = json::parse(jsonText);
  EXPECT_EQ(step["action"], "client 960x600 (line 3)");
  EXPECT_EQ(step["passes"], 1);
  std::ifstream svg(scratch.Path("out/pics/wide.svg"));
  EXPECT_TRUE(svg);
}

// A scenario's pictures land in --out and nowhere else: a line that names
// another place is refused before anything runs, and no folder is made.
TEST(CliScenario, PicturesStayInsideTheOutFolder) {
  Scratch scratch;
  const std::string load = "load " + kForms + "contact.dfm\nshow\n";
  const std::string outside = scratch.Path("elsewhere/deep/x.svg");
  for (const std::string& name : {std::string("../escaped.svg"), outside}) {
    SCOPED_TRACE(name);
    const std::string scn = scratch.Write("t.scn", load + "svg " + name + "\n");
    Outcome o = RunCli({"run", "--out", scratch.Path("out"), scn});
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("t.scn:3: svg: '" + name + "'"), std::string::npos)
        << o.err;
    EXPECT_FALSE(fs::exists(scratch.Path("escaped.svg")));
    EXPECT_FALSE(fs::exists(scratch.Path("elsewhere")));
    EXPECT_FALSE(fs::exists(scratch.Path("out")));
  }
}

// `try` lets a script go on past what the framework or the script refuses,
// never past an error inside the window procedure; a size of 0 is asked
// for as an application may, and the window system's limits hold.
TEST(CliScenario, TryGoesOnPastRefusals) {
  Scratch scratch;
  ScenarioRun r = RunScript(
      scratch, "load " + kForms +
                   "contact.dfm\nshow\nmaximize\ntry drag left 10\n"
                   "try set Flexarium1.FormPos = rpNowhere\n"
                   "try destroy nothing\ntry set edName.Left = 'x'\n"
                   "client 0x0\nexpect form state=normal\n"
                   "try client 500x300\nexpect form client=500x300\n");
  EXPECT_TRUE(r.result.passed()) << r.err;
  EXPECT_EQ(r.result.expects, 2);

  ScenarioRun stops = RunScript(
      scratch, "load " + kForms + "contact.dfm\nshow\ndestroy nothing\n");
  EXPECT_FALSE(stops.result.passed());
  EXPECT_NE(stops.err.find(":3: no component named 'nothing'"),
            std::string::npos)
      << stops.err;
  ScenarioRun bad = RunScript(scratch, "load " + kForms +
                                           "contact.dfm\ntry expect form "
                                           "state=normal\n");
  EXPECT_NE(bad.err.find(":2: try: expected a step that may be refused"),
            std::string::npos)
      << bad.err;
}

TEST(CliScenario, RunCommandExitStatus) {
  Scratch scratch;
  const std::string good =
      scratch.Write("good.scn", "load " + kForms + "contact.dfm\nshow\n");
  const std::string bad =
      scratch.Write("bad.scn", "load " + kForms +
                                   "contact.dfm\nshow\nexpect form "
                                   "client=1x1\n");
  Outcome ok = RunCli({"run", good});
  EXPECT_EQ(ok.status, 0) << ok.err;
  EXPECT_NE(ok.out.find("good.scn: ok, 0 expects"), std::string::npos);
  EXPECT_TRUE(RunCli({"run", "-q", good}).out.empty());
  Outcome failed = RunCli({"run", good, bad});
  EXPECT_EQ(failed.status, 1);
  EXPECT_NE(failed.err.find("bad.scn:3: expected form client=1x1, got "
                            "client=480x300"),
            std::string::npos)
      << failed.err;
  EXPECT_NE(failed.err.find("bad.scn: 1 of 1 expects failed"),
            std::string::npos);
}

// ---- Monitors and DPI

TEST(CliDpi, MonitorAwarenessAndPointParse) {
  struct Row {
    const char* text;
    bool ok;
    flx::win::RECT rect;
    int dpi;
  };
  const Row rows[] = {
      {"1920x1080@0,0:144", true, {0, 0, 1920, 1080}, 144},
      {"1280x1024@-1280,56:96", true, {-1280, 56, 0, 1080}, 96},
      {"1920x1080@1920,0", false, {}, 0},
      {"1920x1080:96", false, {}, 0},
      {"1920x1080@1920,0:0", false, {}, 0},
      {"1920x1080@a,0:96", false, {}, 0},
      {"0x1080@0,0:96", false, {}, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    auto m = parseMonitor(row.text);
    ASSERT_EQ(m.has_value(), row.ok);
    if (!m) continue;
    EXPECT_EQ(m->rect.left, row.rect.left);
    EXPECT_EQ(m->rect.top, row.rect.top);
    EXPECT_EQ(m->rect.right, row.rect.right);
    EXPECT_EQ(m->rect.bottom, row.rect.bottom);
    EXPECT_EQ(m->dpi, row.dpi);
    EXPECT_EQ(describeMonitor(*m), row.text);
  }
  EXPECT_EQ(parseAwareness("System"), flx::sim::DpiAwareness::System);
  EXPECT_EQ(parseAwareness("permonitor"), flx::sim::DpiAwareness::PerMonitor);
  EXPECT_FALSE(parseAwareness("permonitorv2"));
  auto p = parsePoint("-20,+300");
  ASSERT_TRUE(p);
  EXPECT_EQ(p->x, -20);
  EXPECT_EQ(p->y, 300);
  EXPECT_FALSE(parsePoint("20"));
  EXPECT_FALSE(parsePoint("20,200000"));
}

TEST(CliDpi, TheIssuesExampleComesBackToItsFirstLayout) {
  Outcome o = RunCli({"preview", kForms + "contact.dfm", "--monitor",
                      "1920x1080@0,0:144", "--monitor", "1920x1080@1920,0:96",
                      "--move", "2300,200", "--move", "300,200", "--json"});
  ASSERT_EQ(o.status, 0) << o.err;
  json doc = json::parse(o.out);
  EXPECT_EQ(doc["screen"]["monitors"],
            json::array({"1920x1080@0,0:144", "1920x1080@1920,0:96"}));
  EXPECT_EQ(doc["screen"]["awareness"], "permonitor");
  const json& steps = doc["steps"];
  ASSERT_EQ(steps.size(), 3u);
  EXPECT_EQ(steps[0]["dpi"], 144);
  EXPECT_EQ(steps[0]["monitor"], 0);
  EXPECT_EQ(steps[1]["action"], "move 2300,200");
  EXPECT_EQ(steps[1]["dpi"], 96);
  EXPECT_EQ(steps[1]["monitor"], 1);
  EXPECT_EQ(steps[1]["form"]["left"], 2300);
  EXPECT_EQ(steps[1]["form"]["client_width"], 320);
  EXPECT_EQ(steps[1]["passes"], 1);
  EXPECT_EQ(steps[2]["dpi"], 144);
  EXPECT_EQ(steps[2]["monitor"], 0);
  for (const char* key : {"client_width", "client_height", "width", "height",
                          "font_size", "font_height"}) {
    EXPECT_EQ(steps[2]["form"][key], steps[0]["form"][key]) << key;
  }
  EXPECT_EQ(steps[2]["controls"], steps[0]["controls"]);
  EXPECT_NE(steps[1]["controls"], steps[0]["controls"]);
  EXPECT_EQ(steps[0]["controls"][0]["font_height"], -12);
}

TEST(CliDpi, AMoveGivesWhatPreviewAtThatDpiReports) {
  Outcome moved =
      RunCli({"preview", kForms + "order_dialog.dfm", "--monitor",
              "1920x1080@0,0:144", "--monitor", "1600x900@1920,0:120",
              "--client", "700x600", "--move", "2000,100", "--json"});
  ASSERT_EQ(moved.status, 0) << moved.err;
  const json step = json::parse(moved.out)["steps"][2];
  const std::string client =
      std::to_string(step["form"]["client_width"].get<int>()) + "x" +
      std::to_string(step["form"]["client_height"].get<int>());
  EXPECT_EQ(client, "583x500");
  Outcome direct = RunCli({"preview", kForms + "order_dialog.dfm", "--dpi",
                           "120", "--client", client, "--json"});
  ASSERT_EQ(direct.status, 0) << direct.err;
  const json want = json::parse(direct.out)["steps"][1];
  EXPECT_EQ(step["controls"], want["controls"]);
  EXPECT_EQ(step["form"]["font_height"], want["form"]["font_height"]);
}

TEST(CliDpi, ScaleWithoutAComponentIsAtTheWindowsDpi) {
  // The form file's client size at the DPI of the monitor the form is on,
  // as on a screen of that DPI alone.
  struct Row {
    std::vector<std::string> screen;
    std::string client;
  };
  const Row rows[] = {
      {{"--dpi", "192"}, "720x240"},
      {{"--monitor", "1920x1080@0,0:96", "--monitor", "1920x1080@1920,0:192",
        "--move", "2000,100"},
       "720x240"},
      {{"--monitor", "1920x1080@0,0:192", "--monitor", "1920x1080@1920,0:96",
        "--move", "2000,100"},
       "360x120"},
  };
  for (const Row& row : rows) {
    std::vector<std::string> args = {"preview", kForms + "plain_dialog.dfm"};
    args.insert(args.end(), row.screen.begin(), row.screen.end());
    for (const char* more : {"--scale", "1", "--json"}) args.push_back(more);
    SCOPED_TRACE(row.screen.back());
    const Outcome o = RunCli(args);
    ASSERT_EQ(o.status, 0) << o.err;
    const json step = json::parse(o.out)["steps"].back();
    EXPECT_EQ(std::to_string(step["form"]["client_width"].get<int>()) + "x" +
                  std::to_string(step["form"]["client_height"].get<int>()),
              row.client);
  }
}

TEST(CliDpi, UnawareAndSystemAwareNeverChange) {
  for (const char* awareness : {"unaware", "system"}) {
    SCOPED_TRACE(awareness);
    Outcome o =
        RunCli({"preview", kForms + "contact.dfm", "--monitor",
                "1920x1080@0,0:144", "--monitor", "1920x1080@1920,0:96",
                "--awareness", awareness, "--move", "2300,200", "--json"});
    ASSERT_EQ(o.status, 0) << o.err;
    const json steps = json::parse(o.out)["steps"];
    EXPECT_EQ(steps[1]["passes"], 0);
    EXPECT_EQ(steps[1]["dpi"], steps[0]["dpi"]);
    EXPECT_EQ(steps[1]["controls"], steps[0]["controls"]);
  }
}

TEST(CliDpi, BadMonitorsAreBadUsage) {
  struct Row {
    std::vector<std::string> args;
    const char* message;
  };
  const Row rows[] = {
      {{"--monitor", "1920x1080@1920,0:96"}, "lies at 0,0"},
      {{"--monitor", "1920x1080@0,0:96", "--monitor", "800x600@1000,0:96"},
       "overlap"},
      {{"--monitor", "1920x1080@0,0:96", "--dpi", "120"},
       "leave out --screen and --dpi"},
      {{"--monitor", "1920x1080"}, "expected WxH@X,Y:DPI"},
      {{"--awareness", "some"}, "expected unaware, system or permonitor"},
      {{"--move", "3"}, "expected X,Y"},
  };
  for (const Row& row : rows) {
    std::vector<std::string> args{"preview", kForms + "contact.dfm"};
    args.insert(args.end(), row.args.begin(), row.args.end());
    SCOPED_TRACE(args.back());
    Outcome o = RunCli(args);
    EXPECT_EQ(o.status, 2);
    EXPECT_NE(o.err.find(row.message), std::string::npos) << o.err;
  }
}

TEST(CliDpi, OneMonitorReportsAsBefore) {
  Outcome table = RunCli({"preview", kForms + "contact.dfm"});
  ASSERT_EQ(table.status, 0);
  EXPECT_EQ(table.out.find("DPI on monitor"), std::string::npos);
  EXPECT_NE(table.out.find("screen 1920x1080, 96 DPI, taskbar bottom:40"),
            std::string::npos);
  Outcome two =
      RunCli({"preview", kForms + "contact.dfm", "--monitor",
              "1920x1080@0,0:96", "--monitor", "1920x1080@0,1080:96"});
  EXPECT_NE(two.out.find(", 96 DPI on monitor 0"), std::string::npos);
  EXPECT_NE(two.out.find("screen 1920x1080@0,0:96 (primary), "
                         "1920x1080@0,1080:96, taskbar"),
            std::string::npos)
      << two.out;
}

TEST(CliDpi, PicturesDrawTheMonitorsAndTheFormOnThem) {
  StepLayout step;
  step.form.name = "F";
  step.form.window = flx::win::RECT{2300, 200, 2636, 439};
  step.form.visible = step.form.window;
  step.dpi = 96;
  step.monitor = 1;
  EXPECT_EQ(renderSvg(step, 1).find("monitor 0"), std::string::npos);
  step.monitors = {MonitorLayout{{0, 0, 1920, 1080}, 144, true},
                   MonitorLayout{{1920, 0, 3840, 1080}, 96, false}};
  const std::string svg = renderSvg(step, 1);
  EXPECT_NE(svg.find("monitor 0, 144 DPI, primary"), std::string::npos);
  EXPECT_NE(svg.find("monitor 1, 96 DPI"), std::string::npos);
  EXPECT_NE(svg.find("<title>F</title></rect>"), std::string::npos);
  EXPECT_NE(svg.find("96 DPI on monitor 1"), std::string::npos);
}

TEST(CliDpi, ScenarioLinesForMonitors) {
  Scratch scratch;
  const std::string load = "load " + kForms + "contact.dfm\n";
  const std::string two =
      "monitor 1920x1080@0,0:144\nmonitor 1920x1080@1920,0:96\n";
  ScenarioRun ok = RunScript(
      scratch, two + load +
                   "show\nexpect form dpi=144 monitor=0 fontheight=-12\n"
                   "move 2300 200\nexpect form dpi=96 monitor=1 "
                   "fontheight=-8\nexpect edName fontheight=-8\n"
                   "monitordpi 1 120\nexpect form dpi=120 monitor=1\n");
  EXPECT_TRUE(ok.result.passed()) << ok.err;
  EXPECT_EQ(ok.result.expects, 4);
  struct Case {
    std::string script;
    const char* message;
  };
  const Case cases[] = {
      {"dpi 120\nmonitor 1920x1080@0,0:96\n", "t.scn:2: monitor: each"},
      {"monitor 1920x1080@0,0:96\ndpi 120\n", "t.scn:2: dpi: each monitor"},
      {"monitor 1920x1080@10,0:96\n", "t.scn:1: monitor: the first"},
      {two + "screen 800x600\n", "t.scn:3: screen: the monitors"},
      {two + load + "monitordpi 2 120\n", "t.scn:4: there is no monitor 2"},
      {load + "awareness system\n", "awareness must come before load"},
      {"monitor 1920x1080\n", "t.scn:1: monitor: expected WxH@X,Y:DPI"},
      {load + "monitordpi 0 0\n", "monitordpi: expected a DPI"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    ScenarioRun r = RunScript(scratch, c.script);
    EXPECT_TRUE(r.result.error);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  }
}

}  // namespace
}  // namespace flexarium_cli
