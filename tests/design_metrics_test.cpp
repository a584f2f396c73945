// The design metrics the component stores in the form file: the client
// size and screen DPI measured afresh at every write, and what a form
// without them gets.
#include <filesystem>
#include <fstream>
#include <string>

#include "flexarium_fixture.h"
#include "scratch_root.h"

namespace flx {
namespace {

using A = TFlexariumAccess;

class DesignMetrics : public FlexTest {};

std::string metricsOf(const std::string& text) {
  auto at = text.find("object Flexarium1");
  return at == std::string::npos ? "" : text.substr(at);
}

TEST_F(DesignMetrics, WritingMeasuresTheClientAndScreenAfresh) {
  const std::string text = R"(object MainForm: TMainForm
  Left = 0
  Top = 0
  ClientHeight = 480
  ClientWidth = 640
  object Flexarium1: TFlexarium
    FormPos = rpDefault
    FormWidth = 0
    FormHeight = 0
    FormMaxWidth = 0
    FormMaxHeight = 0
    FormMinWidth = 0
    FormMinHeight = 0
    ResizeFont = True
    Enabled = True
    ValidTaskbar = True
    Left = 8
    Top = 8
    DesignFrmW = 1
    DesignFrmH = 2
    DesignDpiW = 3
    DesignDpiH = 4
  end
end
)";
  load(text, true);
  EXPECT_EQ(A::DesignFrmW(flex()), 1);
  EXPECT_EQ(A::DesignDpiH(flex()), 4);
  std::string written = WriteFormText(*root);
  EXPECT_NE(written.find("    Left = 8\n    Top = 8\n    DesignFrmW = 640\n"
                         "    DesignFrmH = 480\n    DesignDpiW = 96\n"
                         "    DesignDpiH = 96\n  end\n"),
            std::string::npos)
      << written;
  desktop->mutableConfig().dpiX = 120;
  desktop->mutableConfig().dpiY = 144;
  written = WriteFormText(*root);
  EXPECT_NE(written.find("DesignDpiW = 120\n    DesignDpiH = 144\n"),
            std::string::npos);
}

TEST_F(DesignMetrics, AHandWrittenFormGetsEveryPropertyAndItsMetrics) {
  load(
      "object MainForm: TMainForm\n  ClientHeight = 300\n  ClientWidth = 400\n"
      "  object Flexarium1: TFlexarium\n    FormPos = rpTopLeft\n  end\nend\n",
      true);
  EXPECT_EQ(A::DesignFrmW(flex()), 0);  // none in the file
  EXPECT_EQ(
      metricsOf(WriteFormText(*root)),
      "object Flexarium1: TFlexarium\n    FormPos = rpTopLeft\n"
      "    FormWidth = 0\n    FormHeight = 0\n    FormMaxWidth = 0\n"
      "    FormMaxHeight = 0\n    FormMinWidth = 0\n    FormMinHeight = 0\n"
      "    ResizeFont = True\n    Enabled = True\n    ValidTaskbar = True\n"
      "    DesignFrmW = 400\n    DesignFrmH = 300\n    DesignDpiW = 96\n"
      "    DesignDpiH = 96\n  end\nend\n");
}

TEST_F(DesignMetrics, AnInheritedFormStoresTheMetricsEvenWhenEqual) {
  namespace fs = std::filesystem;
  fs::path dir = flx::testing_support::ScratchRoot() / "flexarium_metrics_test";
  fs::create_directories(dir);
  std::ofstream(dir / "Base.dfm") << FormText("");
  std::ofstream(dir / "Derived.pas") << "TDerived = class(TMainForm)\n";
  std::ofstream(dir / "Derived.dfm")
      << "inherited Derived: TDerived\n  Caption = 'x'\nend\n";
  FormLoadOptions options;
  options.designing = true;
  root = LoadFormFile((dir / "Derived.dfm").string(), options);
  std::string written = WriteFormText(*root);
  EXPECT_NE(written.find("  inherited Flexarium1: TFlexarium\n"
                         "    DesignFrmW = 800\n    DesignFrmH = 600\n"
                         "    DesignDpiW = 96\n    DesignDpiH = 96\n  end\n"),
            std::string::npos)
      << written;
  fs::remove_all(dir);
}

TEST_F(DesignMetrics, MadeInCodeItKeepsZeroMetrics) {
  TForm form(nullptr);
  auto* f = new TFlexarium(&form);
  EXPECT_EQ(A::DesignFrmW(*f), 0);
  EXPECT_EQ(A::DesignDpiW(*f), 0);
  EXPECT_THROW(load("object F: TForm\n  object X: TFlexarium\n"
                    "    DesignDpiW = 'ninety-six'\n  end\nend\n"),
               EReadError);
}

// A running form streamed out carries the client size it has now and the
// screen DPI of the moment, not the metrics it was read with.
TEST_F(DesignMetrics, ARunningFormWritesItsCurrentClientAndDpi) {
  load(FormText(Button("B", 10, 10, 75, 25)));
  form().Show();
  client(1000, 700);
  desktop->mutableConfig().dpiX = 120;
  desktop->mutableConfig().dpiY = 144;
  const std::string written = WriteFormText(*root);
  EXPECT_NE(written.find("    DesignFrmW = 1000\n    DesignFrmH = 700\n"
                         "    DesignDpiW = 120\n    DesignDpiH = 144\n"),
            std::string::npos)
      << written;
  EXPECT_EQ(A::DesignFrmW(flex()), 800);  // the fields keep what was read
}

}  // namespace
}  // namespace flx
