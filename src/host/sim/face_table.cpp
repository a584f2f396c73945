// The one table of faces: what Wine's GDI (Wine 8, with the fonts of the
// fonts-wine package in the prefix's Fonts folder, as the native tests set
// it up) takes for each face a form names. Fontconfig alone would answer
// differently (DejaVu Sans for Tahoma and MS Shell Dlg), so the simulated
// desktop follows this table, not fontconfig's own substitutions.
#include <array>

#include "host/sim/text_metrics.h"

namespace flx::sim {

namespace {

constexpr std::array kFaces{
    // Wine's own Tahoma (fonts-wine), which GDI loads from the prefix's
    // Fonts folder; fontconfig would give DejaVu Sans.
    FaceMapping{"Tahoma", "Tahoma", "tahoma.ttf", "tahomabd.ttf", 0},
    // Wine's FontSubstitutes: MS Shell Dlg (2) -> Tahoma.
    FaceMapping{"MS Shell Dlg", "Tahoma", "", "", 0},
    FaceMapping{"MS Shell Dlg 2", "Tahoma", "", "", 0},
    // Wine's bitmap MS Sans Serif (fonts-wine): strikes of 13, 16 and 20
    // pixels, no outlines; bold is emboldened.
    FaceMapping{"MS Sans Serif", "MS Sans Serif", "ms_sans_serif.ttf", "", 0},
    // Wine's FontSubstitutes: Helv -> MS Sans Serif.
    FaceMapping{"Helv", "MS Sans Serif", "", "", 0},
    // Wine's bitmap System font (fonts-wine): GDI takes its 16-pixel strike
    // alone (the file's taller one never: 8 x 16 dialog base units from 8 to
    // 14 points at 96 and 144 DPI, twice that at 28 pixels), the same at
    // every size up to twice it.
    FaceMapping{"System", "System", "system.ttf", "", 16},
    // Installed with fonts-liberation2, found through fontconfig.
    FaceMapping{"Liberation Sans", "Liberation Sans", "", "", 0},
    // Not installed: Wine falls back to its default sans face, or, for
    // Arial, takes Liberation Sans, its metric twin (Helvetica is a
    // FontSubstitute for Arial). Courier New too, as measured under Wine:
    // forms ask no pitch, so no fixed-pitch face is looked for.
    FaceMapping{"Segoe UI", "Liberation Sans", "", "", 0},
    FaceMapping{"Arial", "Liberation Sans", "", "", 0},
    FaceMapping{"Helvetica", "Liberation Sans", "", "", 0},
    FaceMapping{"Microsoft Sans Serif", "Liberation Sans", "", "", 0},
    FaceMapping{"Courier New", "Liberation Sans", "", "", 0},
    // Any face not listed: Wine's default sans face.
    FaceMapping{"", "Liberation Sans", "", "", 0},
};

}  // namespace

std::span<const FaceMapping> FaceTable() { return kFaces; }

}  // namespace flx::sim
