// The component's properties given as PROPERTY=VALUE on a command line
// (the demo's and preview's --set), as the options a dialog is attached
// with.
#include <gtest/gtest.h>

#include <string>

#include "attach_options.h"

namespace flexarium_cli {
namespace {

TEST(AttachOptionAssignments, SetTheOptionOfThatName) {
  flx::AttachOptions o;
  for (const char* assignment :
       {"FormMinWidth=400", "formmaxheight = 800", "KeepAspect=True",
        "ResizeFont=false", "FormPos=rpMiddleCenter",
        "NoResizeCtl=1007;IDC_LOGO;Static", "MinFontSize=6"}) {
    EXPECT_NO_THROW(setAttachOption(o, assignment)) << assignment;
  }
  EXPECT_EQ(o.FormMinWidth, 400);
  EXPECT_EQ(o.FormMaxHeight, 800);
  EXPECT_TRUE(o.KeepAspect);
  EXPECT_FALSE(o.ResizeFont);
  EXPECT_EQ(o.FormPos, flx::rpMiddleCenter);
  EXPECT_EQ(o.NoResizeCtl, "1007;IDC_LOGO;Static");
  EXPECT_EQ(o.MinFontSize, 6);
  // What no assignment named keeps its default.
  EXPECT_EQ(o.FormMinHeight, 0);
  EXPECT_TRUE(o.ValidTaskbar);
  EXPECT_TRUE(o.ResizeColumns);
}

TEST(AttachOptionAssignments, RefuseWhatTheOptionsCannotTake) {
  const struct {
    const char* assignment;
    const char* message;
  } cases[] = {
      {"FormMinWidth=wide", "expected a whole number, got wide"},
      {"KeepAspect=yes", "expected True or False, got yes"},
      {"FormPos=centre", "expected one of rpDefault, rpTopLeft"},
      {"Colour=red", "'Colour' is no property of an attached dialog's"},
      {"FormMinWidth", "expected PROPERTY=VALUE, got 'FormMinWidth'"},
      {"=400", "expected PROPERTY=VALUE, got '=400'"},
  };
  for (const auto& c : cases) {
    flx::AttachOptions o;
    try {
      setAttachOption(o, c.assignment);
      ADD_FAILURE() << c.assignment << " was taken";
    } catch (const flx::Exception& e) {
      EXPECT_EQ(std::string(e.what()).rfind(c.message, 0), 0u) << e.what();
    }
    EXPECT_EQ(o.FormMinWidth, 0) << c.assignment;
    EXPECT_FALSE(o.KeepAspect) << c.assignment;
    EXPECT_EQ(o.FormPos, flx::rpDefault) << c.assignment;
  }
}

}  // namespace
}  // namespace flexarium_cli
