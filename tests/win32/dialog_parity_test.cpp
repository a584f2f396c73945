// Dialogs made from templates on real windows: the dialog manager
// forwarded to user32 (base units, dialog units to pixels, control IDs), and
// with FLX_DIALOG_FILES set (a file of resource file paths, one a line)
// every dialog of those files made and written down in FLX_DIALOG_REPORT,
// for dialog_parity.py to hold against the simulated desktop's report.
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "dialog_layout.h"
#include "native_env.h"

// Needs <windows.h> first.
#include <commctrl.h>

namespace fw = flx::win;

namespace {

int ExpectedDpi() {
  const char* dpi = std::getenv("FLX_EXPECT_DPI");
  return dpi != nullptr ? std::atoi(dpi) : 96;
}

// A standard template: a WS_POPUP | DS_SETFONT dialog of 100 x 50 dialog
// units in 8-point MS Shell Dlg with one button (ID 7) at (10, 10, 40, 14).
std::vector<std::uint8_t> OneButton() {
  std::vector<std::uint8_t> b;
  auto word = [&](unsigned v) {
    b.push_back(static_cast<std::uint8_t>(v & 0xFF));
    b.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
  };
  auto dword = [&](unsigned v) {
    word(v & 0xFFFF);
    word(v >> 16);
  };
  auto text = [&](std::u16string_view s) {
    for (char16_t c : s) word(c);
    word(0);
  };
  dword(0x80000040);  // WS_POPUP | DS_SETFONT
  dword(0);
  word(1);
  for (unsigned v : {0u, 0u, 100u, 50u}) word(v);
  word(0);
  word(0);
  text(u"One button");
  word(8);
  text(u"MS Shell Dlg");
  while (b.size() % 4 != 0) b.push_back(0);
  dword(0x50010000);  // WS_CHILD | WS_VISIBLE | WS_TABSTOP
  dword(0);
  for (unsigned v : {10u, 10u, 40u, 14u}) word(v);
  word(7);
  word(0xFFFF);
  word(0x80);
  text(u"OK");
  word(0);
  return b;
}

TEST(TheDialogManagerIsUser32s) {
  flx::win32::ScopedDesktop desktop;
  const int dpi = ExpectedDpi();
  const auto bytes = OneButton();
  const fw::HWND dlg = fw::CreateDialogIndirectParamW(
      nullptr, bytes, nullptr, &dialog_layout::QuietDialogProc, 0);
  REQUIRE(dlg != nullptr);
  // Tahoma 8 pt (MS Shell Dlg's substitute) at 96 and 144 DPI.
  const int baseX = dpi == 144 ? 9 : 6;
  const int baseY = dpi == 144 ? 19 : 13;
  fw::RECT r{4, 8, 4, 8};
  CHECK(fw::MapDialogRect(dlg, &r));
  CHECK_EQ(r.left, baseX);
  CHECK_EQ(r.top, baseY);
  const fw::HWND button = fw::GetDlgItem(dlg, 7);
  CHECK(button != nullptr);
  CHECK_EQ(fw::GetWindow(dlg, GW_CHILD), button);
  CHECK_EQ(fw::GetDlgCtrlID(button), 7);
  const RECT placed = native::rectInParent(button);
  CHECK_EQ(placed.left, (10 * baseX + 2) / 4);
  const fw::LONG units = fw::GetDialogBaseUnits();
  CHECK_EQ(units & 0xFFFF, dpi / 12);
  fw::DestroyWindow(dlg);

  // A template cut short is refused before user32 reads it.
  const std::vector<std::uint8_t> cut(bytes.begin(), bytes.begin() + 30);
  CHECK(fw::CreateDialogIndirectParamW(nullptr, cut, nullptr, nullptr, 0) ==
        nullptr);
}

TEST(MakesEveryDialogOfTheFiles) {
  const char* list = std::getenv("FLX_DIALOG_FILES");
  const char* report = std::getenv("FLX_DIALOG_REPORT");
  if (list == nullptr || report == nullptr) return;
  // The control classes a program of the corpus would have: the common
  // controls and rich edit.
  INITCOMMONCONTROLSEX icc{sizeof(INITCOMMONCONTROLSEX),
                           ICC_WIN95_CLASSES | ICC_DATE_CLASSES |
                               ICC_USEREX_CLASSES | ICC_STANDARD_CLASSES |
                               ICC_LINK_CLASS};
  ::InitCommonControlsEx(&icc);
  ::LoadLibraryW(L"riched20.dll");
  flx::win32::ScopedDesktop desktop;
  std::ifstream in(list, std::ios::binary);
  REQUIRE(in.good());
  std::vector<std::string> files;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) files.push_back(line);
  }
  std::ofstream out(report, std::ios::binary | std::ios::trunc);
  // The same dialogs with the component attached, at each factor.
  std::vector<std::ofstream> reports;
  std::vector<dialog_layout::Scaled> scaled;
  for (double f : dialog_layout::kFactors) {
    reports.emplace_back(dialog_layout::ScaledReportPath(report, f),
                         std::ios::binary | std::ios::trunc);
  }
  for (std::size_t i = 0; i < reports.size(); ++i) {
    REQUIRE(reports[i].good());
    scaled.push_back({dialog_layout::kFactors[i], &reports[i]});
  }
  flx::FlexariumInitialization();
  std::ostringstream errors;
  const int made =
      dialog_layout::Dump(files, ExpectedDpi(), out, errors, scaled);
  flx::FlexariumFinalization();
  SCOPED(errors.str());
  CHECK(made > 0);
}

}  // namespace

MINI_TEST_MAIN()
