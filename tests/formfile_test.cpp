// Reading components from form files and writing them back.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "corpus.h"
#include "flexarium/formfile.h"
#include "flexarium/sim_desktop.h"
#include "flexarium/stdctrls.h"
#include "scratch_root.h"

namespace flx {
namespace {

namespace fs = std::filesystem;

const fs::path kCorpus = corpus::Dir();

std::string slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// The ancestors of the corpus forms whose unit sources are not included.
FormLoadOptions corpusOptions() {
  FormLoadOptions o;
  o.designing = true;
  const fs::path cs = kCorpus / "codesnip";
  o.ancestors = {
      {"THelpAwareForm", (cs / "FmBase.dfm").string()},
      {"TGenericDlg", (cs / "FmHelpAware.dfm").string()},
      {"TGenericModalDlg", (cs / "FmGenericDlg.dfm").string()},
      {"TGenericOKDlg", (cs / "FmGenericModalDlg.dfm").string()},
      {"TCompilersDlg", (cs / "FmGenericOKDlg.dfm").string()},
      {"TToolProperties",
       (kCorpus / "pyscripter" / "dlgPyIDEBase.dfm").string()},
  };
  for (const char* frame :
       {"TCompilersDlgCompilerFrame", "TCompilersDlgSwitchesFrame",
        "TCompilersDlgNamespacesFrame", "TCompilersDlgSearchDirsFrame",
        "TCompilersDlgLogFrame"}) {
    o.ancestors[frame] = (cs / "FmCompilersDlg.FrBase.dfm").string();
  }
  return o;
}

class FormFileCorpus : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override { liveObjects_ = LiveObjectCount(); }
  void TearDown() override {
    EXPECT_EQ(LiveObjectCount(), liveObjects_) << "framework objects leaked";
  }
  sim::ScopedDesktop desktop;

 private:
  std::int64_t liveObjects_ = 0;
};

// Reading a corpus form into components and writing it back gives exactly
// the document the file holds.
TEST_P(FormFileCorpus, ReadsAndWritesBackEveryObjectAndProperty) {
  if (GetParam().empty()) GTEST_SKIP() << corpus::Missing();
  fs::path path = kCorpus / GetParam();
  std::vector<std::string> warnings;
  FormLoadOptions options = corpusOptions();
  options.warn = [&](const std::string& w) { warnings.push_back(w); };
  std::unique_ptr<TComponent> root;
  ASSERT_NO_THROW(root = LoadFormFile(path.string(), options));
  EXPECT_TRUE(warnings.empty()) << warnings.front();
  std::string expected =
      FormatFormText(*ParseFormText(slurp(path), path.string()));
  std::string written = WriteFormText(*root);
  EXPECT_EQ(written, expected);
  // Writing is stable: what was written reads back to the same text.
  auto again = LoadFormText(written, path.string(), options);
  EXPECT_EQ(WriteFormText(*again), written);
}

INSTANTIATE_TEST_SUITE_P(Corpus, FormFileCorpus,
                         ::testing::ValuesIn(corpus::Files()),
                         [](const auto& info) {
                           return corpus::TestName(info.param);
                         });

class FormFile : public ::testing::Test {
 protected:
  void SetUp() override { liveObjects_ = LiveObjectCount(); }
  void TearDown() override {
    EXPECT_EQ(LiveObjectCount(), liveObjects_) << "framework objects leaked";
  }
  sim::ScopedDesktop desktop;

 private:
  std::int64_t liveObjects_ = 0;
};

TEST_F(FormFile, RootKeepsItsClassAndGetsAFieldPerComponent) {
  auto root = LoadFormText(R"(object MainForm: TMainForm
  Left = 10
  Top = 20
  Caption = 'Main'
  ClientHeight = 300
  ClientWidth = 400
  object Panel1: TPanel
    Left = 8
    Top = 8
    Width = 200
    Height = 100
    object Button1: TButton
      Left = 4
      Top = 4
      Width = 75
      Height = 25
      Caption = 'OK'
    end
  end
  object Timer1: TTimer
    Left = 100
    Top = 200
  end
end
)",
                           "main.dfm");
  EXPECT_EQ(root->ClassName(), "TMainForm");
  EXPECT_TRUE(root->InheritsFrom(TForm::StaticClass()));
  auto* form = dynamic_cast<TForm*>(root.get());
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->ClientWidth(), 400);
  EXPECT_EQ(form->GetText(), "Main");
  ASSERT_EQ(form->ComponentCount(), 3);  // the form owns all three
  auto* button = dynamic_cast<TButton*>(form->FindComponent("Button1"));
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->Parent(), form->FindComponent("Panel1"));
  for (const char* name : {"Panel1", "Button1", "Timer1"}) {
    TComponent** field = form->FieldAddress(name);
    ASSERT_NE(field, nullptr) << name;
    EXPECT_EQ(*field, form->FindComponent(name));
  }
  EXPECT_EQ(form->FindComponent("Timer1")->DesignLeft, 100);
}

TEST_F(FormFile, UnknownClassesAndPropertiesSurviveAndChangesAreWritten) {
  const char* text = R"(object F: TForm
  ClientHeight = 100
  ClientWidth = 200
  Tag = 7
  object X: TFancyGrid
    Left = 1
    Top = 2
    Width = 30
    Height = 40
    Caption = 'fancy'
    Exotic.Deep = <
      item
        Kind = fkOne
      end>
    TabOrder = 0
  end
  object L: TLabel
    Left = 5
    Top = 6
    Width = 20
    Height = 13
    Caption = 'x'
  end
end
)";
  auto root = LoadFormText(text, "f.dfm");
  auto* x = dynamic_cast<TControl*>(root->FindComponent("X"));
  ASSERT_NE(x, nullptr);
  EXPECT_EQ(x->ClassName(), "TFancyGrid");
  EXPECT_EQ(x->GetText(), "fancy");
  auto* label = dynamic_cast<TLabel*>(root->FindComponent("L"));
  label->SetLeft(50);
  label->Font().SetSize(12);  // switches ParentFont off: the font is stored
  std::string out = WriteFormText(*root);
  EXPECT_NE(out.find("Exotic.Deep = <"), std::string::npos);
  EXPECT_NE(out.find("Tag = 7"), std::string::npos);
  EXPECT_NE(out.find("    Left = 50\n"), std::string::npos);
  EXPECT_NE(out.find("    Font.Height = -16\n"), std::string::npos);
  EXPECT_NE(out.find("    ParentFont = False\n"), std::string::npos);
  EXPECT_LT(out.find("    Caption = 'x'\n"), out.find("    Font.Charset"));
}

TEST_F(FormFile, InheritedFormReadsItsAncestorAndWritesOnlyDifferences) {
  fs::path dir = flx::testing_support::ScratchRoot() / "flexarium_inherit_test";
  fs::create_directories(dir);
  std::ofstream(dir / "Base.dfm") << R"(object BaseForm: TBaseForm
  Left = 0
  Top = 0
  Caption = 'Base'
  ClientHeight = 200
  ClientWidth = 300
  object Ok: TButton
    Left = 10
    Top = 10
    Width = 75
    Height = 25
    Caption = 'OK'
  end
end
)";
  std::ofstream(dir / "Derived.pas")
      << "type\n  TDerivedForm = class(TBaseForm)\n  end;\n";
  const std::string derived = R"(inherited DerivedForm: TDerivedForm
  Caption = 'Derived'
  inherited Ok: TButton
    Left = 20
  end
  object Cancel: TButton
    Left = 100
    Top = 10
    Width = 75
    Height = 25
    Caption = 'Cancel'
  end
end
)";
  std::ofstream(dir / "Derived.dfm") << derived;
  auto root = LoadFormFile((dir / "Derived.dfm").string());
  EXPECT_EQ(root->ClassName(), "TDerivedForm");
  EXPECT_EQ(root->ClassType().Parent->ClassName, "TBaseForm");
  auto* ok = dynamic_cast<TButton*>(root->FindComponent("Ok"));
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(ok->Left(), 20);
  EXPECT_EQ(ok->Top(), 10);
  EXPECT_EQ(ok->GetText(), "OK");
  EXPECT_EQ(dynamic_cast<TForm*>(root.get())->ClientWidth(), 300);
  EXPECT_EQ(WriteFormText(*root), derived);
  ok->SetTop(40);
  std::string out = WriteFormText(*root);
  EXPECT_NE(out.find("  inherited Ok: TButton\n    Left = 20\n    Top = 40\n"),
            std::string::npos)
      << out;
  fs::remove_all(dir);
}

TEST_F(FormFile, InlineFrameReadsTheFramesOwnFile) {
  fs::path dir = flx::testing_support::ScratchRoot() / "flexarium_inline_test";
  fs::create_directories(dir);
  std::ofstream(dir / "Frame.dfm") << R"(object AddressFrame: TAddressFrame
  Left = 0
  Top = 0
  Width = 200
  Height = 80
  object Street: TEdit
    Left = 8
    Top = 8
    Width = 150
    Height = 21
  end
end
)";
  const std::string form = R"(object F: TForm
  Left = 0
  Top = 0
  ClientHeight = 200
  ClientWidth = 300
  inline Home: TAddressFrame
    Left = 10
    Top = 10
    inherited Street: TEdit
      Width = 180
    end
  end
end
)";
  std::ofstream(dir / "Form.dfm") << form;
  auto root = LoadFormFile((dir / "Form.dfm").string());
  auto* frame = dynamic_cast<TFrame*>(root->FindComponent("Home"));
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->ClassName(), "TAddressFrame");
  EXPECT_EQ(frame->Width(), 200);
  EXPECT_EQ(frame->Left(), 10);
  auto* street = dynamic_cast<TEdit*>(frame->FindComponent("Street"));
  ASSERT_NE(street, nullptr);
  EXPECT_EQ(street->Owner(), frame);
  EXPECT_EQ(street->Parent(), frame);
  EXPECT_EQ(street->Width(), 180);
  EXPECT_EQ(root->FindComponent("Street"), nullptr);
  EXPECT_EQ(WriteFormText(*root), form);
  fs::remove_all(dir);
}

// Frames and ancestors are found by the class a file's heading declares,
// whatever its byte-order mark, line breaks and creation index; a file whose
// heading names the class but that does not read is passed over.
TEST_F(FormFile, FramesAreFoundByTheClassTheirHeadingDeclares) {
  fs::path dir = flx::testing_support::ScratchRoot() / "flexarium_index_test";
  fs::remove_all(dir);
  fs::create_directories(dir);
  // The rest of a frame file after its heading, with CRLF line breaks.
  auto body = [](int width) {
    return "\r\n  Left = 0\r\n  Top = 0\r\n  Width = " + std::to_string(width) +
           "\r\n  Height = 80\r\nend\r\n";
  };
  std::ofstream(dir / "a_broken.dfm")
      << "object AddressFrame: TAddressFrame\n  Width = @\nend\n";
  std::ofstream(dir / "b_other.dfm")
      << "\xEF\xBB\xBFobject AddressFrame: TOtherFrame" << body(300);
  std::ofstream(dir / "c_frame.dfm")
      << "\xEF\xBB\xBF\r\n  object   AddressFrame :TAddressFrame [0]"
      << body(240);
  std::ofstream(dir / "d_later.dfm")
      << "object AddressFrame: TAddressFrame" << body(10);
  std::ofstream(dir / "Form.dfm")
      << "object F: TForm\n  inline Home: TAddressFrame\n    Left = 10\n"
         "  end\n  inline Other: TOtherFrame\n  end\nend\n";
  auto root = LoadFormFile((dir / "Form.dfm").string());
  auto* home = dynamic_cast<TFrame*>(root->FindComponent("Home"));
  auto* other = dynamic_cast<TFrame*>(root->FindComponent("Other"));
  ASSERT_NE(home, nullptr);
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(home->Width(), 240);
  EXPECT_EQ(home->Left(), 10);
  EXPECT_EQ(other->Width(), 300);
  fs::remove_all(dir);
}

TEST_F(FormFile, AFolderIsNoFormFile) {
  std::string dir = fs::temp_directory_path().string();
  try {
    LoadFormFile(dir);
    ADD_FAILURE();
  } catch (const EReadError& e) {
    EXPECT_NE(std::string(e.what()).find("is a folder"), std::string::npos);
  }
}

TEST_F(FormFile, ErrorsNameTheFileLineAndColumn) {
  struct Case {
    const char* text;
    const char* where;
    const char* what;
  };
  const Case cases[] = {
      {"object F: TForm\n  Left = 'x'\nend\n", "e.dfm:2:3", "Left"},
      {"object F: TForm\n  object B: TButton\n    Align = alSideways\n  "
       "end\nend\n",
       "e.dfm:3:5", "alSideways"},
      {"object F: TForm\n  object B: TButton\n  end\n  object b: TButton\n  "
       "end\nend\n",
       "e.dfm:4:3", "already exists"},
      {"object B: TButton\nend\n", "e.dfm:1:1", "form or a frame"},
      {"object F: TForm\n  object 1B: TButton\n  end\nend\n", "e.dfm:2:", ""},
      {"object F: TForm\n  Left = 2147483648\nend\n", "e.dfm:2:3", "range"},
  };
  for (const Case& c : cases) {
    std::int64_t live = LiveObjectCount();
    try {
      LoadFormText(c.text, "e.dfm");
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const EFilerError& e) {
      std::string what = e.what();
      EXPECT_EQ(what.rfind(c.where, 0), 0u) << what;
      EXPECT_NE(what.find(c.what), std::string::npos) << what;
    }
    EXPECT_EQ(LiveObjectCount(), live) << "left objects behind: " << c.text;
  }
}

// A component with hidden integer properties, as components define them.
class THidden : public TComponent {
  FLX_CLASS(THidden)
 public:
  explicit THidden(TComponent* owner) : TComponent(owner) {}
  int Stored = 0;
  int Measured = 42;
  void DefineProperties(TFiler& filer) override {
    TComponent::DefineProperties(filer);
    filer.DefineProperty(
        "Measure", [this](TReader& r) { Stored = r.ReadInteger(); },
        [this](TWriter& w) { w.WriteInteger(Measured); }, true);
  }
};

const TClassInfo& THidden::StaticClass() {
  static const TClassInfo info{
      "THidden",
      &TComponent::StaticClass(),
      {},
      [](TComponent* o) -> TComponent* { return new THidden(o); },
      false};
  return info;
}

TEST_F(FormFile, HiddenPropertiesGoThroughTheComponentsFiler) {
  RegisterClass(THidden::StaticClass());
  auto root = LoadFormText(
      "object F: TForm\n  object H: THidden\n    Left = 3\n    Top = 4\n"
      "    Measure = 7\n  end\n  object G: THidden\n  end\nend\n",
      "h.dfm");
  auto* h = dynamic_cast<THidden*>(root->FindComponent("H"));
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(h->Stored, 7);
  EXPECT_EQ(h->DesignLeft, 3);
  std::string out = WriteFormText(*root);
  // Written afresh, after the inherited hidden properties.
  EXPECT_NE(out.find("    Left = 3\n    Top = 4\n    Measure = 42\n"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("  object G: THidden\n    Measure = 42\n"),
            std::string::npos)
      << out;
  EXPECT_THROW(LoadFormText("object F: TForm\n  object H: THidden\n"
                            "    Measure = 'seven'\n  end\nend\n",
                            "h.dfm"),
               EReadError);
}

}  // namespace
}  // namespace flx
