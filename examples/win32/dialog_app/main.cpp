// A plain Win32 program with a dialog from its own resource script, and the
// component attached in WM_INITDIALOG: drag the frame and every control and
// its font follow; the etched logo (IDC_LOGO) keeps its size.
//
//   dialog_app.exe           shows the dialog until it is closed
//   dialog_app.exe --check   sizes it to 1.5x and 0.75x of its design
//                            client size, checks that the controls
//                            followed, detaches, and prints
//                            "N passed, M failed"
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <span>
#include <vector>

#include "flexarium/attach.h"
#include "flexarium/win32_desktop.h"

// After the framework headers: they declare names that are macros in
// <windows.h>.
#include "flexarium/win32_windows.h"

#include <commctrl.h>

#include "resource.h"

namespace {

std::unique_ptr<flx::Attachment> g_attached;

// The dialog's template as the program's resources hold it.
std::span<const std::uint8_t> DialogResource(int id) {
  const HMODULE module = GetModuleHandleW(nullptr);
  // RT_DIALOG, in its wide spelling whatever UNICODE says.
  HRSRC found =
      FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5));
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (bytes == nullptr) return {};
  return {static_cast<const std::uint8_t*>(bytes),
          SizeofResource(module, found)};
}

void FillControls(HWND dlg) {
  HWND tabs = GetDlgItem(dlg, IDC_TABS);
  const wchar_t* pages[] = {L"Details", L"Notes"};
  for (int i = 0; i < 2; ++i) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(pages[i]);
    SendMessageW(tabs, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
  }
  HWND list = GetDlgItem(dlg, IDC_LIST);
  const wchar_t* titles[] = {L"Name", L"Form", L"House"};
  const int widths[] = {200, 80, 150};
  for (int i = 0; i < 3; ++i) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = const_cast<wchar_t*>(titles[i]);
    column.cx = widths[i];
    SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
  }
  LVITEMW row{};
  row.mask = LVIF_TEXT;
  row.pszText = const_cast<wchar_t*>(L"Ada Lovelace");
  SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&row));
}

INT_PTR CALLBACK DialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG: {
      FillControls(dlg);
      // The few lines a program adds: the size limits in outer pixels and
      // the controls that keep their size, by the resource header's names.
      flx::AttachOptions options;
      options.FormMinWidth = 320;
      options.FormMinHeight = 240;
      options.NoResizeCtl = "IDC_LOGO";
      options.ControlNames = {{"IDC_LOGO", IDC_LOGO}};
      // Moved to a monitor of another DPI, the dialog stands as made there.
      options.DialogTemplate = DialogResource(IDD_PUPILS);
      g_attached = flx::Attach(reinterpret_cast<flx::win::HWND>(dlg), options);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) DestroyWindow(dlg);
      return TRUE;
    case WM_CLOSE:
      DestroyWindow(dlg);
      return TRUE;
    case WM_DESTROY:
      g_attached.reset();  // gives the controls their fonts back
      PostQuitMessage(0);
      return TRUE;
    default:
      return FALSE;
  }
}

// ---- The check the native tests run

int g_passed = 0, g_failed = 0;

void Expect(bool ok, const char* what, int id, long got, long want) {
  if (ok) {
    ++g_passed;
    return;
  }
  ++g_failed;
  std::printf("FAILED: control %d %s: %ld, expected %ld\n", id, what, got,
              want);
}

RECT RectInDialog(HWND dlg, HWND child) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

LONG FontHeight(HWND child) {
  auto font = reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0));
  LOGFONTW lf{};
  if (font == nullptr || GetObjectW(font, sizeof lf, &lf) == 0) return 0;
  return std::labs(lf.lfHeight);
}

void SizeClient(HWND dlg, int width, int height) {
  RECT window, client;
  GetWindowRect(dlg, &window);
  GetClientRect(dlg, &client);
  SetWindowPos(dlg, nullptr, 0, 0,
               width + (window.right - window.left) - client.right,
               height + (window.bottom - window.top) - client.bottom,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int Check(HWND dlg) {
  struct Design {
    HWND wnd;
    int id;
    RECT rect;
    LONG font;
  };
  std::vector<Design> design;
  for (HWND c = GetWindow(dlg, GW_CHILD); c != nullptr;
       c = GetWindow(c, GW_HWNDNEXT)) {
    design.push_back({c, GetDlgCtrlID(c), RectInDialog(dlg, c), FontHeight(c)});
  }
  RECT client;
  GetClientRect(dlg, &client);
  for (double f : {1.5, 0.75}) {
    const int width = static_cast<int>(std::lround(client.right * f));
    const int height = static_cast<int>(std::lround(client.bottom * f));
    SizeClient(dlg, width, height);
    const double fx = double(width) / client.right;
    const double fy = double(height) / client.bottom;
    for (const Design& d : design) {
      const RECT now = RectInDialog(dlg, d.wnd);
      const bool kept = d.id == IDC_LOGO;
      // Each edge at the design edge times the factor, give or take the
      // rounding of a pixel; the logo where it was.
      const long want[4] = {
          kept ? d.rect.left : std::lround(d.rect.left * fx),
          kept ? d.rect.top : std::lround(d.rect.top * fy),
          kept ? d.rect.right : std::lround(d.rect.right * fx),
          kept ? d.rect.bottom : std::lround(d.rect.bottom * fy)};
      const long got[4] = {now.left, now.top, now.right, now.bottom};
      const char* edges[4] = {"left", "top", "right", "bottom"};
      for (int i = 0; i < 4; ++i) {
        Expect(std::labs(got[i] - want[i]) <= 1, edges[i], d.id, got[i],
               want[i]);
      }
      if (d.font != 0 && !kept) {
        const LONG h = FontHeight(d.wnd);
        Expect(f > 1 ? h > d.font : h < d.font, "font height", d.id, h, d.font);
      }
    }
  }
  // Detached, every control shows the font the dialog gave it again.
  g_attached->Detach();
  for (const Design& d : design) {
    Expect(FontHeight(d.wnd) == d.font, "font height after Detach", d.id,
           FontHeight(d.wnd), d.font);
  }
  std::printf("%d passed, %d failed\n", g_passed, g_failed);
  return g_failed == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const bool check = argc > 1 && std::strcmp(argv[1], "--check") == 0;
  INITCOMMONCONTROLSEX controls{sizeof controls,
                                ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES};
  InitCommonControlsEx(&controls);
  flx::win32::ScopedDesktop desktop;
  flx::FlexariumInitialization();
  int status = 0;
  HWND dlg =
      CreateDialogParamW(GetModuleHandleW(nullptr),
                         MAKEINTRESOURCEW(IDD_PUPILS), nullptr, &DialogProc, 0);
  if (dlg == nullptr) {
    std::printf("the dialog could not be made (error %lu)\n", GetLastError());
    status = 1;
  } else if (check) {
    status = Check(dlg);
    DestroyWindow(dlg);
  } else {
    ShowWindow(dlg, SW_SHOW);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
      if (!IsDialogMessageW(dlg, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    }
  }
  flx::FlexariumFinalization();
  return status;
}
