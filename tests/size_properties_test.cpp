// The start, maximum and minimum outer sizes: which values are refused, with
// which text in which language, and that a refusal leaves everything as it
// was.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <functional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "flexarium/flexarium.h"
#include "flexarium/formfile.h"
#include "flexarium/forms.h"
#include "flexarium/sim_desktop.h"
#include "flexarium/sysutils.h"
#include "flexarium/winapi.h"
#include "unit/unit_private.h"

namespace flx {
namespace {

// The unit runs for the lifetime of one desktop.
class UnitSession {
 public:
  explicit UnitSession(sim::DesktopConfig config)
      : desktop_(std::move(config)) {
    FlexariumInitialization();
  }
  ~UnitSession() { FlexariumFinalization(); }
  UnitSession(const UnitSession&) = delete;
  UnitSession& operator=(const UnitSession&) = delete;
  sim::Desktop& desktop() { return desktop_.desktop(); }

 private:
  sim::ScopedDesktop desktop_;
};

sim::DesktopConfig Locale(const std::string& abbrev) {
  sim::DesktopConfig c;
  c.localeAbbrev = abbrev;
  return c;
}

enum Prop { Width, Height, MaxWidth, MaxHeight, MinWidth, MinHeight };
const char* const kPropNames[] = {"FormWidth",    "FormHeight",
                                  "FormMaxWidth", "FormMaxHeight",
                                  "FormMinWidth", "FormMinHeight"};

// The six values in published order: FormWidth, FormHeight, FormMaxWidth,
// FormMaxHeight, FormMinWidth, FormMinHeight.
using Sizes = std::array<int, 6>;

void Write(TFlexarium& f, Prop p, int v) {
  switch (p) {
    case Width:
      return f.SetFormWidth(v);
    case Height:
      return f.SetFormHeight(v);
    case MaxWidth:
      return f.SetFormMaxWidth(v);
    case MaxHeight:
      return f.SetFormMaxHeight(v);
    case MinWidth:
      return f.SetFormMinWidth(v);
    case MinHeight:
      return f.SetFormMinHeight(v);
  }
}

Sizes Read(const TFlexarium& f) {
  return {f.FormWidth(),     f.FormHeight(),   f.FormMaxWidth(),
          f.FormMaxHeight(), f.FormMinWidth(), f.FormMinHeight()};
}

// Assigns a consistent set in published order, as a form file does.
void Assign(TFlexarium& f, const Sizes& s) {
  for (int p = Width; p <= MinHeight; ++p) Write(f, Prop(p), s[p]);
}

// The refusal text of a write, or "" when it is accepted.
std::string Outcome(TFlexarium& f, Prop p, int v) {
  try {
    Write(f, p, v);
    return "";
  } catch (const EInvalidOperation& e) {
    return e.what();
  }
}

// The message pairs, in the words the user reads.
struct Texts {
  const char* english;
  const char* japanese;
};
const Texts kNegative{"Set this value equal to or greater than 0",
                      "0 以上の値を入れてください"};
const Texts kBelowMinWidth{
    "Set this value equal to or greater than the FormMinWidth",
    "FormMinWidth 以上の値を入れてください"};
const Texts kAboveMaxWidth{
    "Set this value equal to or less than the FormMaxWidth",
    "FormMaxWidth 以下の値を入れてください"};
const Texts kBelowMinHeight{
    "Set this value equal to or greater than the FormMinHeight",
    "FormMinHeight 以上の値を入れてください"};
const Texts kAboveMaxHeight{
    "Set this value equal to or less than the FormMaxHeight",
    "FormMaxHeight 以下の値を入れてください"};
const Texts kMaxBelowWidth{
    "Set this value equal to or greater than the FormWidth",
    "FormWidth 以上の値を入れてください"};
const Texts kMaxBelowHeight{
    "Set this value equal to or greater than the FormHeight",
    "FormHeight 以上の値を入れてください"};
const Texts kMinAboveWidth{"Set this value equal to or less than the FormWidth",
                           "FormWidth 以下の値を入れてください"};
const Texts kMinAboveHeight{
    "Set this value equal to or less than the FormHeight",
    "FormHeight 以下の値を入れてください"};
const Texts kAccepted{"", ""};

struct WriteCase {
  const char* name;
  Sizes before;
  Prop prop;
  int value;
  Texts refusal;  // kAccepted when the value is stored
};

const WriteCase kWriteCases[] = {
    // Clearing always succeeds.
    {"width cleared under a minimum",
     {400, 0, 0, 0, 300, 0},
     Width,
     0,
     kAccepted},
    {"maximum cleared over a start size",
     {800, 600, 1024, 768, 640, 480},
     MaxWidth,
     0,
     kAccepted},
    {"minimum height cleared",
     {800, 600, 1024, 768, 640, 480},
     MinHeight,
     0,
     kAccepted},
    // Negative values, with or without partners.
    {"negative width", {0, 0, 0, 0, 0, 0}, Width, -1, kNegative},
    {"negative height", {0, 0, 0, 0, 0, 0}, Height, -1, kNegative},
    {"negative maximum width", {0, 0, 0, 0, 0, 0}, MaxWidth, -1, kNegative},
    {"negative maximum height", {0, 0, 0, 0, 0, 0}, MaxHeight, -1, kNegative},
    {"negative minimum width", {0, 0, 0, 0, 0, 0}, MinWidth, -1, kNegative},
    {"negative minimum height",
     {0, 0, 0, 0, 0, 0},
     MinHeight,
     INT_MIN,
     kNegative},
    {"negative before the partners",
     {400, 0, 0, 0, 350, 0},
     MaxWidth,
     -300,
     kNegative},
    // Start size against the limits.
    {"width below the minimum",
     {0, 0, 0, 0, 640, 0},
     Width,
     639,
     kBelowMinWidth},
    {"width above the maximum",
     {0, 0, 1024, 0, 0, 0},
     Width,
     1025,
     kAboveMaxWidth},
    {"height below the minimum",
     {0, 0, 0, 0, 0, 480},
     Height,
     479,
     kBelowMinHeight},
    {"height above the maximum",
     {0, 0, 0, 768, 0, 0},
     Height,
     769,
     kAboveMaxHeight},
    {"width between the limits",
     {0, 0, 1024, 0, 640, 0},
     Width,
     800,
     kAccepted},
    {"largest width without limits",
     {0, 0, 0, 0, 0, 0},
     Width,
     INT_MAX,
     kAccepted},
    // Maximum against the minimum first, then the start size.
    {"maximum below minimum and width: minimum first",
     {400, 0, 0, 0, 350, 0},
     MaxWidth,
     300,
     kBelowMinWidth},
    {"maximum below the width",
     {500, 0, 0, 0, 0, 0},
     MaxWidth,
     499,
     kMaxBelowWidth},
    {"maximum equal to the width",
     {500, 0, 0, 0, 0, 0},
     MaxWidth,
     500,
     kAccepted},
    {"maximum height below minimum and height",
     {0, 600, 0, 0, 0, 480},
     MaxHeight,
     400,
     kBelowMinHeight},
    {"maximum height below the height",
     {0, 600, 0, 0, 0, 0},
     MaxHeight,
     599,
     kMaxBelowHeight},
    {"width does not bind the maximum height",
     {900, 0, 0, 0, 0, 0},
     MaxHeight,
     10,
     kAccepted},
    // Minimum against the maximum first, then the start size.
    {"minimum above maximum and width: maximum first",
     {380, 0, 400, 0, 0, 0},
     MinWidth,
     500,
     kAboveMaxWidth},
    {"minimum above the width",
     {800, 0, 0, 0, 0, 0},
     MinWidth,
     801,
     kMinAboveWidth},
    {"minimum height above maximum and height",
     {0, 600, 0, 768, 0, 0},
     MinHeight,
     800,
     kAboveMaxHeight},
    {"minimum height above the height",
     {0, 600, 0, 0, 0, 0},
     MinHeight,
     601,
     kMinAboveHeight},
    {"minimum equal to the maximum",
     {0, 0, 640, 0, 0, 0},
     MinWidth,
     640,
     kAccepted},
};

TEST(SizeProperties, RefusalsNameTheFirstFailedTestAndChangeNothing) {
  struct Language {
    const char* locale;
    bool japanese;
  };
  for (Language lang : {Language{"ENU", false}, Language{"JPN", true}}) {
    UnitSession session(Locale(lang.locale));
    for (const WriteCase& c : kWriteCases) {
      SCOPED_TRACE(std::string(lang.locale) + ": " + c.name);
      TForm form(nullptr);
      auto* flex = new TFlexarium(&form);
      Assign(*flex, c.before);
      ASSERT_EQ(Read(*flex), c.before);
      const std::string text = Outcome(*flex, c.prop, c.value);
      EXPECT_EQ(text, lang.japanese ? c.refusal.japanese : c.refusal.english);
      Sizes after = c.before;
      if (text.empty()) after[c.prop] = c.value;
      EXPECT_EQ(Read(*flex), after) << kPropNames[c.prop];
    }
  }
}

TEST(SizeProperties, EqualLimitsAreAcceptedInEveryOrder) {
  UnitSession session(Locale("ENU"));
  for (const auto& [props, value] :
       {std::pair{std::array<Prop, 3>{Width, MaxWidth, MinWidth}, 640},
        std::pair{std::array<Prop, 3>{Height, MaxHeight, MinHeight}, 480}}) {
    std::array<Prop, 3> order = props;
    std::sort(order.begin(), order.end());
    do {
      SCOPED_TRACE(std::string(kPropNames[order[0]]) + ", " +
                   kPropNames[order[1]] + ", " + kPropNames[order[2]]);
      TForm form(nullptr);
      auto* flex = new TFlexarium(&form);
      for (Prop p : order) EXPECT_EQ(Outcome(*flex, p, value), "");
      for (Prop p : order) EXPECT_EQ(Read(*flex)[p], value);
    } while (std::next_permutation(order.begin(), order.end()));
  }
}

TEST(SizeProperties, LanguageIsTheUsersAtEveryWriteAlsoInTheDesigner) {
  struct Case {
    const char* locale;  // "" models a failing locale query
    bool designing;
    bool japanese;
  };
  const Case cases[] = {
      {"JPN", true, true},  {"JPN", false, true},  {"jpn", true, true},
      {"ENU", true, false}, {"ENU", false, false}, {"DEU", true, false},
      {"", true, false},    {"JP", true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("'") + c.locale + "'" +
                 (c.designing ? " designing" : " running"));
    UnitSession session(Locale(c.locale));
    TForm form(nullptr);
    if (c.designing) form.SetDesigning(true);
    auto* flex = new TFlexarium(&form);
    ASSERT_EQ(flex->ComponentState().Contains(csDesigning), c.designing);
    // Stale from elsewhere: the write must look the language up itself.
    JapaneseUI = !c.japanese;
    EXPECT_EQ(Outcome(*flex, MinHeight, -5),
              c.japanese ? kNegative.japanese : kNegative.english);
    EXPECT_EQ(JapaneseUI, c.japanese);
    JapaneseUI = !c.japanese;
    EXPECT_EQ(Outcome(*flex, Width, 0), "");
    EXPECT_EQ(JapaneseUI, c.japanese);
  }
}

TEST(SizeProperties, ALocaleChangedWhileRunningIsSeenAtTheNextWrite) {
  UnitSession session(Locale("ENU"));
  TForm form(nullptr);
  auto* flex = new TFlexarium(&form);
  flex->SetFormMaxWidth(800);
  for (const char* locale : {"JPN", "ENU", "JPN"}) {
    SCOPED_TRACE(locale);
    session.desktop().mutableConfig().localeAbbrev = locale;
    const bool japanese = std::string(locale) == "JPN";
    EXPECT_EQ(Outcome(*flex, Width, 801),
              japanese ? kAboveMaxWidth.japanese : kAboveMaxWidth.english);
  }
}

TEST(SizeProperties, WritesNeverMoveOrSizeTheForm) {
  UnitSession session(Locale("ENU"));
  TForm form(nullptr);
  auto* flex = new TFlexarium(&form);
  win::HWND wnd = form.Handle();
  win::MoveWindow(wnd, 100, 100, 700, 500, win::TRUE);
  win::RECT before{};
  win::GetWindowRect(wnd, &before);
  session.desktop().clearRecords();
  Assign(*flex, {800, 600, 1024, 768, 640, 480});
  Outcome(*flex, MinWidth, 900);
  Assign(*flex, {0, 0, 0, 0, 0, 0});
  for (const auto& call : session.desktop().calls()) {
    EXPECT_NE(call.op, "MoveWindow");
    EXPECT_NE(call.op, "SetWindowPos");
  }
  win::RECT after{};
  win::GetWindowRect(wnd, &after);
  EXPECT_EQ(std::tie(after.left, after.top, after.right, after.bottom),
            std::tie(before.left, before.top, before.right, before.bottom));
}

TEST(SizeProperties, ConsistentValuesReadBackFromAFormFile) {
  struct Case {
    const char* name;
    Sizes sizes;
  };
  const Case cases[] = {
      {"all six", {800, 600, 1024, 768, 640, 480}},
      {"all equal", {640, 480, 640, 480, 640, 480}},
      {"limits only", {0, 0, 1024, 768, 640, 480}},
      {"start size and minimum", {800, 600, 0, 0, 800, 600}},
  };
  for (bool designing : {false, true}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.name) + (designing ? " designing" : ""));
      UnitSession session(Locale("JPN"));
      std::string text =
          "object SizedForm: TSizedForm\n"
          "  ClientHeight = 300\n"
          "  ClientWidth = 400\n"
          "  object Flexarium1: TFlexarium\n";
      for (int p = Width; p <= MinHeight; ++p) {
        text += std::string("    ") + kPropNames[p] + " = " +
                std::to_string(c.sizes[p]) + "\n";
      }
      text += "  end\nend\n";
      FormLoadOptions options;
      options.designing = designing;
      std::unique_ptr<TComponent> root;
      ASSERT_NO_THROW(root = LoadFormText(text, "sized.dfm", options));
      auto* flex = dynamic_cast<TFlexarium*>(root->FindComponent("Flexarium1"));
      ASSERT_NE(flex, nullptr);
      EXPECT_EQ(Read(*flex), c.sizes);
    }
  }
}

TEST(SizeProperties, AnInconsistentFormFileIsRefusedWithTheMessage) {
  UnitSession session(Locale("ENU"));
  const char* text =
      "object SizedForm: TSizedForm\n"
      "  object Flexarium1: TFlexarium\n"
      "    FormWidth = 800\n"
      "    FormMaxWidth = 640\n"
      "  end\n"
      "end\n";
  try {
    LoadFormText(text, "bad.dfm");
    FAIL() << "read without a refusal";
  } catch (const EFilerError& e) {
    EXPECT_NE(std::string(e.what()).find(kMaxBelowWidth.english),
              std::string::npos)
        << e.what();
  }
}

}  // namespace
}  // namespace flx
