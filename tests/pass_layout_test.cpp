// How the rescale pass meets the framework's own alignment and anchoring:
// aligned controls are placed by their parent, anchored ones end where the
// pass puts them (whatever order their parents took their sizes in).
#include <string>

#include "flexarium_fixture.h"

namespace flx {
namespace {

// A page control with one sheet; a button anchored to the sheet's bottom
// left corner ends 8 pixels above the sheet's bottom at design size.
const std::string kPages =
    "  object Pages: TPageControl\n"
    "    Left = 8\n    Top = 8\n    Width = 400\n    Height = 300\n"
    "    object Sheet: TTabSheet\n      Caption = 'One'\n"
    "      object Bottom: TButton\n        Left = 8\n        Top = 243\n"
    "        Width = 75\n        Height = 21\n"
    "        Anchors = [akLeft, akBottom]\n      end\n"
    "      object Fill: TPanel\n        Left = 0\n        Top = 0\n"
    "        Width = 392\n        Height = 40\n        Align = alTop\n"
    "      end\n    end\n  end\n";

class PassLayout : public OnBothPaths {};

TEST_P(PassLayout, AnchoredControlsEndWhereThePassPutsThem) {
  load(FormText(kPages));
  form().Show();
  for (auto [w, h] : {std::pair{600, 450}, std::pair{1200, 900},
                      std::pair{640, 480}, std::pair{800, 600}}) {
    client(w, h);
    const double s = w / 800.0;
    TControl& b = ctl("Bottom");
    EXPECT_EQ(b.Top(), static_cast<int>(243 * s + 0.5)) << w;
    EXPECT_LE(b.Top() + b.Height(), ctl("Sheet").Height()) << w;
    // Aligned: the parent places it; only its height is the pass's.
    EXPECT_EQ(ctl("Fill").Width(), ctl("Sheet").Width()) << w;
    EXPECT_EQ(ctl("Fill").Height(), static_cast<int>(40 * s + 0.5)) << w;
  }
  // Between passes the framework's anchors act: the application growing the
  // sheet's page control moves the button with the sheet's bottom.
  client(800, 600);
  const int before = ctl("Bottom").Top();
  ctl("Pages").SetHeight(ctl("Pages").Height() + 30);
  EXPECT_EQ(ctl("Bottom").Top(), before + 30);
}

INSTANTIATE_TEST_SUITE_P(Paths, PassLayout, ::testing::ValuesIn(kBothPaths),
                         PathName);

}  // namespace
}  // namespace flx
