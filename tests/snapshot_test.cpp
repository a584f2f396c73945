// The snapshot lists: which controls the component records with their
// base bounds and fonts, under which names, and how controls added or freed
// while the form runs come and go.
#include <string>
#include <vector>

#include "flexarium_fixture.h"

namespace flx {
namespace {

using A = TFlexariumAccess;

// ---- Exclusions

class Snapshot : public FlexTest {};

TEST_F(Snapshot, ExclusionStringsAreCutAtEverySemicolon) {
  struct Case {
    const char* value;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {"", {}},
      {"Button1;Edit1", {"Button1", "Edit1"}},
      {"Button1;", {"Button1"}},
      {";Button1", {"", "Button1"}},
      {"A; B", {"A", " B"}},
      {"a;;b", {"a", "", "b"}},
  };
  TForm form(nullptr);
  auto* f = new TFlexarium(&form);
  for (const Case& c : cases) {
    f->SetNoResizeCtl(c.value);
    f->SetNoResizeFntCtl(c.value);
    for (TStringList* list : {A::NoResizeCtls(*f), A::NoResizeFntCtls(*f)}) {
      std::vector<std::string> got;
      for (int i = 0; i < list->Count(); ++i) got.push_back(list->Strings(i));
      EXPECT_EQ(got, c.names) << c.value;
    }
  }
}

TEST_F(Snapshot, ExclusionIgnoresCaseButNotBlanks) {
  load(FormText(
      Button("Button1", 10, 10, 75, 25) + Button("Button2", 10, 50, 75, 25),
      "    NoResizeCtl = 'button1; Button2'\n"));
  EXPECT_EQ(A::Ctrl(flex(), "Button1"), nullptr);
  EXPECT_NE(A::Ctrl(flex(), "Button2"), nullptr);
}

// The framework accepts names beyond ASCII; their letters' case does not
// matter in the exclusion lists either.
TEST_F(Snapshot, ExclusionIgnoresTheCaseOfEveryLetter) {
  load(FormText(Button("\u00c4rger", 10, 10, 75, 25) +
                    Button("\u0416\u0443\u043a", 10, 50, 75, 25,
                           "    Font.Size = 8\n    ParentFont = False\n"),
                "    NoResizeCtl = '\u00e4rger'\n"
                "    NoResizeFntCtl = '\u0436\u0423\u041a'\n"));
  EXPECT_EQ(A::Ctrl(flex(), "\u00c4rger"), nullptr);
  ASSERT_NE(A::Ctrl(flex(), "\u0416\u0443\u043a"), nullptr);
  form().Show();
  client(1600, 1200);
  EXPECT_EQ(ctl("\u00c4rger").Left(), 10);
  EXPECT_EQ(ctl("\u0416\u0443\u043a").Left(), 20);
  EXPECT_EQ(ctl("\u0416\u0443\u043a").Font().Size(), 8);
}

// ---- Records made and dropped

TEST_F(Snapshot, GeneratedNamesCountEveryRecordMade) {
  load(FormText(Button("B", 10, 10, 75, 25)));
  TFlexarium& f = flex();
  auto* named = new TButton(root.get());
  named->SetName("Named");
  A::AddCtrlInfo(f, named);  // uses up number 0001
  auto* first = new TButton(root.get());
  first->SetText("FlxmAdd0003");
  A::AddCtrlInfo(f, first);
  EXPECT_EQ(first->Name(), "FlxmAdd0002");
  EXPECT_EQ(first->GetText(), "");  // a copied generated caption goes
  auto* keeps = new TButton(root.get());
  keeps->SetText("flxmadd0003");
  A::AddCtrlInfo(f, keeps);
  EXPECT_EQ(keeps->GetText(), "flxmadd0003");
  // A generated name that is taken is skipped, and its number with it.
  auto* squatter = new TButton(root.get());
  squatter->SetName("FlxmAdd0004");
  auto* unlucky = new TButton(root.get());
  int records = A::Ctrls(f)->Count();
  EXPECT_NO_THROW(A::AddCtrlInfo(f, unlucky));
  EXPECT_EQ(unlucky->Name(), "FlxmAdd0005");
  EXPECT_EQ(A::AddCnt(f), 5);
  EXPECT_EQ(A::Ctrls(f)->Count(), records + 1);
  // Controls added at run time skip taken names too, also inside a frame,
  // where the frame is the owner whose names count.
  // Here the squatter takes 0006, `taken` 0007, and 0008 is taken.
  auto* taken = new TButton(root.get());
  taken->SetName("flxmadd0008");
  auto* later = new TButton(root.get());
  later->SetParent(&form());
  f.DynamicAdd();
  EXPECT_EQ(later->Name(), "FlxmAdd0009");
  EXPECT_NE(A::Ctrl(f, "FlxmAdd0009"), nullptr);
  // The frame takes 0010; inside it 0011 is taken by its own control.
  auto* frame = new TFrame(root.get());
  frame->SetName("Frame9");
  frame->SetParent(&form());
  auto* inner = new TButton(frame);
  inner->SetParent(frame);
  auto* owned = new TButton(frame);
  owned->SetName("FlxmAdd0011");
  owned->SetParent(frame);
  f.DynamicAdd();
  EXPECT_EQ(inner->Name(), "FlxmAdd0012");
  EXPECT_NE(A::Child(f, "Frame9", "FlxmAdd0012"), nullptr);
  EXPECT_NE(A::Child(f, "Frame9", "FlxmAdd0011"), nullptr);
}

TEST_F(Snapshot, AddedControlsGetBaseValuesAtTheCurrentFactor) {
  load(FormText(Button("B", 10, 10, 75, 25)));
  TFlexarium& f = flex();
  struct Case {
    double factor;
    int left, width, baseLeft, baseWidth;
  };
  // Half up, then truncation toward zero: -7 / 2 + 0.5 = -3.
  for (Case c : {Case{2.0, 101, 40, 51, 20}, Case{2.0, -7, 3, -3, 2},
                 Case{0.0, 33, 44, 33, 44}}) {
    A::SetPrevScale(f, c.factor, c.factor, c.factor);
    auto* b = new TButton(root.get());
    b->SetParent(&form());
    b->SetBounds(c.left, 0, c.width, 10);
    f.DynamicAdd();
    PCtrlInfo r = A::Ctrl(f, b->Name());
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->Left, c.baseLeft) << c.factor;
    EXPECT_EQ(r->Width, c.baseWidth) << c.factor;
    EXPECT_EQ(r->OldLeft, c.left);
  }
}

const char* kFrameForm = R"(object MainForm: TMainForm
  ClientHeight = 600
  ClientWidth = 800
  object Flexarium1: TFlexarium
    DesignFrmW = 800
    DesignFrmH = 600
    DesignDpiW = 96
    DesignDpiH = 96
  end
end
)";

TFrame* makeFrame(TComponent* owner, TWinControl* parent, const char* name,
                  int controls) {
  auto* frame = new TFrame(owner);
  frame->SetName(name);
  frame->SetParent(parent);
  for (int i = 0; i < controls; ++i) {
    auto* b = new TButton(frame);
    b->SetName("Item" + std::to_string(i));
    b->SetParent(frame);
    b->SetBounds(10, 10 + 30 * i, 75, 25);
  }
  return frame;
}

TEST_F(Snapshot, FramesAreRecordedByTheNextPassPlainControlsOnRequest) {
  load(kFrameForm);
  form().Show();
  TFlexarium& f = flex();
  makeFrame(root.get(), &form(), "Frame1", 3);
  client(900, 700);
  EXPECT_NE(A::Ctrl(f, "Frame1"), nullptr);
  EXPECT_NE(A::Child(f, "Frame1", "Item2"), nullptr);
  // A plain control changes only the top-level count: not picked up.
  auto* button = new TButton(root.get());
  button->SetName("Lone");
  button->SetParent(&form());
  client(1000, 700);
  EXPECT_EQ(A::Ctrl(f, "Lone"), nullptr);
  f.DynamicAdd();
  EXPECT_NE(A::Ctrl(f, "Lone"), nullptr);
  // A control added to a recorded frame is not picked up.
  auto* late = new TButton(root->FindComponent("Frame1"));
  late->SetName("Late");
  f.DynamicAdd();
  EXPECT_EQ(A::Child(f, "Frame1", "Late"), nullptr);
}

TEST_F(Snapshot, DeletingDropsFramesWithTheirControls) {
  load(kFrameForm);
  form().Show();
  TFlexarium& f = flex();
  makeFrame(root.get(), &form(), "Frame1", 3);
  makeFrame(root.get(), &form(), "Frame2", 2);
  f.DynamicAdd();
  EXPECT_EQ(A::ChildCtrls(f)->Count(), 5);
  // One control of a frame: only the owned total changes, so the next pass
  // leaves the lists; DynamicDelete drops the record.
  delete root->FindComponent("Frame1")->FindComponent("Item1");
  A::Sync(f);
  EXPECT_EQ(A::ChildCtrls(f)->Count(), 5);
  f.DynamicDelete();
  EXPECT_EQ(A::ChildCtrls(f)->Count(), 4);
  EXPECT_EQ(A::Ctrl(f, "Frame1")->ChildCtlCnt, 2);
  EXPECT_EQ(A::Child(f, "Frame1", "Item1"), nullptr);
  delete root->FindComponent("Frame2");
  f.DynamicDelete();
  EXPECT_EQ(A::Ctrl(f, "Frame2"), nullptr);
  EXPECT_EQ(A::ChildCtrls(f)->Count(), 2);
}

// A copied generated name is cleared from a published Text just as from a
// Caption.
TEST_F(Snapshot, AGeneratedNameIsClearedFromTextAsFromCaption) {
  load(FormText(Button("B", 10, 10, 75, 25)));
  auto* edit = new TEdit(root.get());
  edit->SetParent(&form());
  edit->SetText("FlxmAdd0007");
  auto* button = new TButton(root.get());
  button->SetParent(&form());
  button->SetText("FlxmAdd0042");
  auto* kept = new TEdit(root.get());
  kept->SetParent(&form());
  kept->SetText("Flxm");
  flex().DynamicAdd();
  EXPECT_EQ(edit->GetText(), "");
  EXPECT_EQ(button->GetText(), "");
  EXPECT_EQ(kept->GetText(), "Flxm");
}

// An empty piece of NoResizeCtl (two ";" in a row) is an empty name: an
// unnamed control matches it and is neither recorded nor named.
TEST_F(Snapshot, AnEmptyExclusionPieceExcludesUnnamedControls) {
  for (const char* value : {"A;;B", ";B", "A;"}) {
    SCOPED_TRACE(value);
    load(FormText(Button("B", 10, 10, 75, 25),
                  std::string("    NoResizeCtl = '") + value + "'\n"));
    auto* unnamed = new TButton(root.get());
    unnamed->SetParent(&form());
    const int records = A::Ctrls(flex())->Count();
    flex().DynamicAdd();
    // "A;" has no empty piece: the unnamed control is named and recorded.
    const bool excluded = std::string(value) != "A;";
    EXPECT_EQ(A::Ctrls(flex())->Count(), records + (excluded ? 0 : 1));
    EXPECT_EQ(unnamed->Name().empty(), excluded);
    root.reset();
  }
}

// A frame freed without DynamicDelete changes both counts: the next pass
// drops its record and its controls' records by itself.
TEST_F(Snapshot, AFreedFrameIsDroppedByTheNextPass) {
  load(kFrameForm);
  form().Show();
  makeFrame(root.get(), &form(), "Frame1", 3);
  client(900, 700);
  ASSERT_NE(A::Ctrl(flex(), "Frame1"), nullptr);
  ASSERT_EQ(A::ChildCtrls(flex())->Count(), 3);
  delete root->FindComponent("Frame1");
  client(800, 600);
  EXPECT_EQ(A::Ctrl(flex(), "Frame1"), nullptr);
  EXPECT_EQ(A::ChildCtrls(flex())->Count(), 0);
}

TEST_F(Snapshot, AnUnannouncedRecordMatchesALaterControlOfTheSameName) {
  load(FormText(Button("B", 100, 100, 75, 25)));
  form().Show();
  delete root->FindComponent("B");
  ASSERT_NE(A::Ctrl(flex(), "B"), nullptr);
  auto* again = new TButton(root.get());
  again->SetName("B");
  again->SetParent(&form());
  client(1200, 900);
  EXPECT_EQ(again->Left(), 150);
  EXPECT_EQ(again->Width(), 113);
}

}  // namespace
}  // namespace flx
