// Text metrics forwarded to GDI on real windows: extents, metrics, the
// dialog character dimensions and DrawTextW's measuring, against the
// numbers Wine's GDI gives for its own Tahoma. With FLX_TEXT_CASES set it
// also measures every case of that file (made by `flexarium measure
// --plan`) and writes the answers to FLX_TEXT_REPORT, in the format of
// `flexarium measure --cases`, for text_parity.py to compare.
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "flexarium/winapi.h"
#include "native_env.h"

namespace fw = flx::win;

namespace {

// A screen DC with a font of that face and lfHeight selected.
struct FontDc {
  FontDc(const std::u16string& face, int height, int weight = 400) {
    fw::LOGFONTW lf{};
    lf.lfHeight = height;
    lf.lfWeight = weight;
    face.copy(lf.lfFaceName, 31);
    dc = fw::GetDC(nullptr);
    font = fw::CreateFontIndirectW(&lf);
    previous = fw::SelectObject(dc, font);
  }
  ~FontDc() {
    fw::SelectObject(dc, previous);
    fw::DeleteObject(font);
    fw::ReleaseDC(nullptr, dc);
  }
  int width(std::u16string_view text) const {
    fw::SIZE size{-1, -1};
    fw::GetTextExtentPoint32W(dc, text, &size);
    return size.cx;
  }
  fw::HDC dc;
  fw::HFONT font;
  fw::HFONT previous;
};

TEST(TahomaAsWineMeasuresIt) {
  flx::win32::ScopedDesktop desktop;
  struct Row {
    int height, tmHeight, ok, cancel, apply, baseX;
  };
  const Row rows[] = {{-11, 13, 15, 37, 92, 6},
                      {-12, 14, 16, 38, 98, 7},
                      {-13, 16, 17, 40, 105, 7},
                      {-16, 19, 21, 50, 129, 9}};
  for (const Row& r : rows) {
    SCOPED("lfHeight " + std::to_string(r.height));
    FontDc f(u"Tahoma", r.height);
    fw::TEXTMETRICW tm{};
    CHECK(fw::GetTextMetricsW(f.dc, &tm));
    CHECK_EQ(tm.tmHeight, r.tmHeight);
    CHECK_EQ(f.width(u"OK"), r.ok);
    CHECK_EQ(f.width(u"Cancel"), r.cancel);
    CHECK_EQ(f.width(u"Apply all changes"), r.apply);
    fw::LONG height = 0;
    CHECK_EQ(fw::GdiGetCharDimensions(f.dc, nullptr, &height), r.baseX);
    CHECK_EQ(height, r.tmHeight);
  }
}

TEST(DrawTextBreaksWordsAtTheWidth) {
  flx::win32::ScopedDesktop desktop;
  FontDc f(u"Tahoma", -11);
  fw::RECT rect{0, 0, 60, 0};
  CHECK_EQ(fw::DrawTextW(f.dc, u"Apply all changes", &rect,
                         DT_CALCRECT | DT_WORDBREAK),
           26);
  CHECK_EQ(rect.right, 46);
  CHECK_EQ(rect.bottom, 26);
}

std::u16string FromHex(const std::string& hex) {
  std::u16string out;
  for (std::size_t i = 0; i + 4 <= hex.size(); i += 4) {
    out += static_cast<char16_t>(std::stoul(hex.substr(i, 4), nullptr, 16));
  }
  return out;
}

TEST(MeasuresTheCasesFile) {
  const char* cases = std::getenv("FLX_TEXT_CASES");
  const char* report = std::getenv("FLX_TEXT_REPORT");
  if (cases == nullptr || report == nullptr) return;
  flx::win32::ScopedDesktop desktop;
  std::ifstream in(cases, std::ios::binary);
  REQUIRE(in.good());
  std::ofstream out(report, std::ios::binary | std::ios::trunc);
  std::string line;
  int measured = 0;
  // One DC and font per face and size: the cases come grouped.
  std::string key;
  std::unique_ptr<FontDc> dc;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> f;
    std::size_t start = 0;
    for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos;
         start = tab + 1) {
      f.push_back(line.substr(start, tab - start));
    }
    f.push_back(line.substr(start));
    if (f.size() != 5) continue;
    const std::string k = f[0] + "\t" + f[1] + "\t" + f[2];
    if (k != key) {
      dc.reset();
      std::u16string face(f[0].begin(), f[0].end());
      dc = std::make_unique<FontDc>(face, std::stoi(f[1]), std::stoi(f[2]));
      key = k;
    }
    fw::SIZE size{-1, -1};
    const std::u16string text = FromHex(f[4]);
    const bool ok = fw::GetTextExtentPoint32W(dc->dc, text, &size) != 0;
    out << line << "\t" << (ok ? size.cx : -1) << "\t" << (ok ? size.cy : -1)
        << "\n";
    ++measured;
  }
  CHECK(measured > 0);
}

}  // namespace

MINI_TEST_MAIN()
