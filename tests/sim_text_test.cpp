// Text metrics on the simulated desktop against what Wine's GDI answered
// for the same fonts (measured with MinGW probes, Wine 8 with fonts-wine's
// fonts in the prefix): extents, metrics, dialog base units, DrawTextW's
// measuring. The native tests hold the two desktops against each other on
// many more strings.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "flexarium/sim_desktop.h"
#include "flexarium/winapi.h"

namespace flx {
namespace {

using namespace win;

struct Font {
  const char16_t* face;
  int points;
  int dpi;
  bool bold = false;
};

std::string Name(const Font& f) {
  std::string n;
  for (const char16_t* p = f.face; *p; ++p) {
    if (std::isalnum(static_cast<unsigned char>(*p))) n += char(*p);
  }
  return n + "_" + std::to_string(f.points) + "pt_" + std::to_string(f.dpi) +
         (f.bold ? "_bold" : "");
}

// A screen DC with the font selected, released with the fixture.
class Measure {
 public:
  explicit Measure(const Font& f) {
    LOGFONTW lf{};
    lf.lfHeight = FontHeightOfPoints(f.points, f.dpi);
    lf.lfWeight = f.bold ? FW_BOLD : FW_NORMAL;
    std::u16string_view face = f.face;
    std::copy(face.begin(), face.end(), lf.lfFaceName);
    dc_ = GetDC(nullptr);
    font_ = CreateFontIndirectW(&lf);
    previous_ = SelectObject(dc_, font_);
  }
  ~Measure() {
    SelectObject(dc_, previous_);
    DeleteObject(font_);
    ReleaseDC(nullptr, dc_);
  }
  HDC dc() const { return dc_; }
  int width(std::u16string_view text) const {
    SIZE size{-1, -1};
    EXPECT_TRUE(GetTextExtentPoint32W(dc_, text, &size));
    return size.cx;
  }

 private:
  HDC dc_;
  HFONT font_;
  HFONT previous_;
};

class SimText : public ::testing::Test {
 protected:
  sim::ScopedDesktop desktop_;
};

// ---- Metrics and extents, Wine's numbers

struct MetricsCase {
  Font font;
  int height, ascent, descent, leading, average;
  int ok, cancel, apply, objectType;
};

class SimTextMetrics : public SimText,
                       public ::testing::WithParamInterface<MetricsCase> {};

TEST_P(SimTextMetrics, AsWinesGdiMeasuresThem) {
  const auto& c = GetParam();
  Measure m(c.font);
  TEXTMETRICW tm{};
  ASSERT_TRUE(GetTextMetricsW(m.dc(), &tm));
  if (c.ascent >= 0) {
    EXPECT_EQ(tm.tmAscent, c.ascent);
    EXPECT_EQ(tm.tmDescent, c.descent);
    EXPECT_EQ(tm.tmInternalLeading, c.leading);
    EXPECT_EQ(tm.tmAveCharWidth, c.average);
  }
  EXPECT_EQ(tm.tmHeight, c.height);
  EXPECT_EQ(m.width(u"OK"), c.ok);
  EXPECT_EQ(m.width(u"Cancel"), c.cancel);
  EXPECT_EQ(m.width(u"Apply all changes"), c.apply);
  EXPECT_EQ(m.width(u"Object Type:"), c.objectType);
  // An extent is as high as the font, whatever the text.
  SIZE size{};
  ASSERT_TRUE(GetTextExtentPoint32W(m.dc(), u"", &size));
  EXPECT_EQ(size.cx, 0);
  EXPECT_EQ(size.cy, c.height);
}

INSTANTIATE_TEST_SUITE_P(
    Wine, SimTextMetrics,
    ::testing::Values(
        MetricsCase{{u"Tahoma", 8, 96}, 13, 11, 2, 2, 7, 15, 37, 92, 65},
        MetricsCase{{u"Tahoma", 9, 96}, 14, 12, 2, 2, 7, 16, 38, 98, 71},
        MetricsCase{{u"Tahoma", 10, 96}, 16, 13, 3, 3, 8, 17, 40, 105, 80},
        MetricsCase{{u"Tahoma", 12, 96}, 19, 16, 3, 3, 10, 21, 50, 129, 96},
        // MS Shell Dlg is Tahoma by Wine's substitutes.
        MetricsCase{{u"MS Shell Dlg", 8, 96}, 13, 11, 2, 2, 7, 15, 37, 92, 65},
        MetricsCase{
            {u"Liberation Sans", 8, 96}, 12, -1, 0, 0, 0, 16, 34, 85, 63},
        MetricsCase{
            {u"Liberation Sans", 9, 96}, 14, -1, 0, 0, 0, 17, 39, 97, 68},
        MetricsCase{
            {u"Liberation Sans", 10, 96}, 15, -1, 0, 0, 0, 19, 40, 103, 75},
        MetricsCase{
            {u"Liberation Sans", 12, 96}, 17, -1, 0, 0, 0, 23, 51, 127, 90}),
    [](const auto& info) { return Name(info.param.font); });

// ---- Dialog base units: (A..Za..z / 26 + 1) / 2 by the text height

struct BaseUnitsCase {
  Font font;
  int x, y;
};

class SimTextBaseUnits : public SimText,
                         public ::testing::WithParamInterface<BaseUnitsCase> {};

TEST_P(SimTextBaseUnits, AsTheDialogManagerComputesThem) {
  const auto& c = GetParam();
  Measure m(c.font);
  LONG height = 0;
  TEXTMETRICW tm{};
  EXPECT_EQ(GdiGetCharDimensions(m.dc(), &tm, &height), c.x);
  EXPECT_EQ(height, c.y);
  EXPECT_EQ(tm.tmHeight, c.y);
}

INSTANTIATE_TEST_SUITE_P(
    Wine, SimTextBaseUnits,
    ::testing::Values(BaseUnitsCase{{u"Tahoma", 8, 96}, 6, 13},
                      BaseUnitsCase{{u"Tahoma", 8, 120}, 7, 16},
                      BaseUnitsCase{{u"Tahoma", 8, 144}, 9, 19},
                      BaseUnitsCase{{u"MS Shell Dlg 2", 8, 144}, 9, 19},
                      BaseUnitsCase{{u"Tahoma", 9, 120}, 8, 18},
                      BaseUnitsCase{{u"Tahoma", 10, 144}, 11, 24},
                      BaseUnitsCase{{u"Tahoma", 12, 144}, 14, 29},
                      BaseUnitsCase{{u"MS Sans Serif", 8, 96}, 6, 13},
                      BaseUnitsCase{{u"MS Sans Serif", 8, 120}, 8, 16},
                      BaseUnitsCase{{u"MS Sans Serif", 8, 144}, 9, 20},
                      BaseUnitsCase{{u"Segoe UI", 9, 96}, 7, 14},
                      BaseUnitsCase{{u"Segoe UI", 9, 120}, 9, 17},
                      BaseUnitsCase{{u"Segoe UI", 9, 144}, 11, 20},
                      BaseUnitsCase{{u"Arial", 8, 96}, 6, 12},
                      BaseUnitsCase{{u"Microsoft Sans Serif", 8, 120}, 8, 15},
                      BaseUnitsCase{{u"Arial", 8, 144}, 9, 17}),
    [](const auto& info) { return Name(info.param.font); });

// ---- DrawTextW with DT_CALCRECT

struct DrawTextCase {
  const char* name;
  Font font;
  const char16_t* text;
  UINT format;
  int width;  // of the rectangle given
  int needWidth, needHeight;
};

class SimTextDrawText : public SimText,
                        public ::testing::WithParamInterface<DrawTextCase> {};

TEST_P(SimTextDrawText, CalcRectSaysWhatTheTextNeeds) {
  const auto& c = GetParam();
  Measure m(c.font);
  RECT rect{10, 20, 10 + c.width, 20};
  const int height = DrawTextW(m.dc(), c.text, &rect, c.format | DT_CALCRECT);
  EXPECT_EQ(height, c.needHeight);
  EXPECT_EQ(rect.left, 10);
  EXPECT_EQ(rect.top, 20);
  EXPECT_EQ(rect.right - rect.left, c.needWidth);
  EXPECT_EQ(rect.bottom - rect.top, c.needHeight);
}

INSTANTIATE_TEST_SUITE_P(
    Wine, SimTextDrawText,
    ::testing::Values(
        // The '&' marks a mnemonic and takes no room.
        DrawTextCase{"prefix_removed",
                     {u"Tahoma", 8, 96},
                     u"&Cancel",
                     DT_SINGLELINE,
                     0,
                     37,
                     13},
        DrawTextCase{"two_words_a_line",
                     {u"Tahoma", 8, 96},
                     u"Apply all changes",
                     DT_WORDBREAK,
                     60,
                     46,
                     26},
        // "changes" is wider than 60 px at 12 pt: it widens the rectangle.
        DrawTextCase{"long_word_widens",
                     {u"Tahoma", 12, 96},
                     u"Apply all changes",
                     DT_WORDBREAK,
                     60,
                     62,
                     57},
        DrawTextCase{"fits_on_one_line",
                     {u"Tahoma", 8, 96},
                     u"Apply all changes",
                     DT_WORDBREAK,
                     200,
                     92,
                     13},
        DrawTextCase{"line_breaks_without_wordbreak",
                     {u"Tahoma", 8, 96},
                     u"OK\nApply all changes",
                     0,
                     10,
                     92,
                     26}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- What cannot be measured

TEST_F(SimText, AnUnknownFaceIsWinesDefaultSansFace) {
  Measure unknown({u"No Such Face", 9, 96});
  Measure fallback({u"Liberation Sans", 9, 96});
  EXPECT_EQ(unknown.width(u"Object Type:"), fallback.width(u"Object Type:"));
}

// One at a time: the simulated desktop has one screen DC.
int WidthIn(const Font& font, std::u16string_view text) {
  return Measure(font).width(text);
}

TEST_F(SimText, BoldIsWiderThanRegular) {
  EXPECT_GT(WidthIn({u"Tahoma", 9, 96, true}, u"Apply all changes"),
            WidthIn({u"Tahoma", 9, 96}, u"Apply all changes"));
  EXPECT_GT(WidthIn({u"Segoe UI", 9, 96, true}, u"Apply all changes"),
            WidthIn({u"Segoe UI", 9, 96}, u"Apply all changes"));
}

TEST_F(SimText, PrefixesTakeNoRoomUnlessDtNoprefix) {
  const int ampersandCancel = WidthIn({u"Tahoma", 8, 96}, u"&Cancel");
  EXPECT_GT(ampersandCancel, 37);
  Measure m({u"Tahoma", 8, 96});
  struct Row {
    const char16_t* text;
    UINT format;
    int width;
  };
  for (const Row& r :
       {Row{u"&Cancel", DT_SINGLELINE, 37},
        Row{u"&&Cancel", DT_SINGLELINE, ampersandCancel},
        Row{u"&Cancel", DT_SINGLELINE | DT_NOPREFIX, ampersandCancel}}) {
    RECT rect{0, 0, 0, 0};
    DrawTextW(m.dc(), r.text, &rect, r.format | DT_CALCRECT);
    EXPECT_EQ(rect.right, r.width);
  }
}

TEST_F(SimText, ADcThatIsNotOneFails) {
  SIZE size{7, 7};
  TEXTMETRICW tm{};
  const HDC bogus = reinterpret_cast<HDC>(static_cast<std::uintptr_t>(0x1234));
  EXPECT_FALSE(GetTextExtentPoint32W(bogus, u"x", &size));
  EXPECT_EQ(size.cx, 7);
  EXPECT_FALSE(GetTextMetricsW(bogus, &tm));
  EXPECT_EQ(GdiGetCharDimensions(bogus, nullptr, nullptr), 0);
  RECT rect{0, 0, 5, 5};
  EXPECT_EQ(DrawTextW(bogus, u"x", &rect, DT_CALCRECT), 0);
  EXPECT_EQ(rect.right, 5);
}

TEST_F(SimText, ANewDcMeasuresWithTheStockSystemFont) {
  const HDC dc = GetDC(nullptr);
  TEXTMETRICW tm{};
  ASSERT_TRUE(GetTextMetricsW(dc, &tm));
  EXPECT_EQ(tm.tmHeight, 16);
  ReleaseDC(nullptr, dc);
}

}  // namespace
}  // namespace flx
