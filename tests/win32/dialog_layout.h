// Every dialog of some resource files made with CreateDialogIndirectParamW
// on the current window system, and what came of it written down: the
// dialog's window and client rectangles, then each control's rectangle in
// the dialog's client coordinates, in creation order. The native test runs
// it on real windows under Wine, flexarium_dialog_layout on the simulated
// desktop; dialog_parity.py compares the two reports line by line.
//
// Report lines (tab-separated, the key first: file name, dialog name,
// language, DPI):
//   D <key> window L T R B client W H controls N
//   D <key> refused           (CreateDialogIndirectParamW returned 0)
//   C <key> <index> <id> <class> L T R B
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "flexarium/resources.h"
#include "flexarium/sysutils.h"
#include "flexarium/winapi.h"

namespace dialog_layout {

namespace fw = flx::win;

inline fw::LRESULT FLX_CALLBACK StandInProc(fw::HWND wnd, fw::UINT msg,
                                            fw::WPARAM wp, fw::LPARAM lp) {
  return fw::DefWindowProcW(wnd, msg, wp, lp);
}

inline fw::LONG_PTR FLX_CALLBACK QuietDialogProc(fw::HWND, fw::UINT msg,
                                                 fw::WPARAM, fw::LPARAM) {
  return msg == fw::WM_INITDIALOG ? 1 : 0;
}

// The dialogs of one file the way a program finds them: per dialog name,
// the language-neutral one, else US English, else the lowest language.
inline std::vector<const flx::res::Resource*> Pick(
    const std::vector<flx::res::Resource>& all) {
  std::vector<const flx::res::Resource*> out;
  for (const auto& r : all) {
    if (!r.type.isOrdinal || r.type.ordinal != flx::res::kRtDialog) continue;
    const flx::res::Resource** same = nullptr;
    for (auto& o : out) {
      if (o->name.matches(r.name) && o->name.isOrdinal == r.name.isOrdinal) {
        same = &o;
      }
    }
    if (same == nullptr) {
      out.push_back(&r);
      continue;
    }
    auto rank = [](std::uint16_t lang) {
      return lang == 0 ? 0 : lang == 0x409 ? 1 : 2;
    };
    const auto a = rank(r.language), b = rank((*same)->language);
    if (a < b || (a == b && r.language < (*same)->language)) *same = &r;
  }
  return out;
}

inline std::string BaseName(const std::string& path) {
  const auto slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

inline std::string Rect(const fw::RECT& r) {
  return std::to_string(r.left) + "\t" + std::to_string(r.top) + "\t" +
         std::to_string(r.right) + "\t" + std::to_string(r.bottom);
}

inline std::string ClassOf(const flx::res::ResourceId& cls) {
  if (!cls.isOrdinal) return cls.toString();
  const std::string_view name = flx::res::PredefinedClassName(cls.ordinal);
  return name.empty() ? "#" + std::to_string(cls.ordinal) : std::string(name);
}

// Makes every dialog of `files` and writes the report to `out`; the DPI
// goes into the keys. Returns the number of dialogs, or -1 when a file
// cannot be read (the reason goes to `errors`).
inline int Dump(const std::vector<std::string>& files, int dpi,
                std::ostream& out, std::ostream& errors) {
  int dialogs = 0;
  // Child dialogs (property pages) go into a bare pop-up of their own.
  const fw::HWND host = fw::CreateWindowExW(0, u"STATIC", u"host", fw::WS_POPUP,
                                            0, 0, 1000, 800, nullptr, nullptr);
  for (const std::string& file : files) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
      errors << file << ": error: cannot open the file\n";
      return -1;
    }
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                          {});
    std::vector<flx::res::Resource> resources;
    try {
      resources = flx::res::ReadResources(bytes, file);
    } catch (const flx::Exception& e) {
      errors << e.what() << "\n";
      return -1;
    }
    for (const flx::res::Resource* r : Pick(resources)) {
      const auto data = std::span(bytes).subspan(r->offset, r->size);
      const std::string key = BaseName(file) + "\t" + r->name.toString() +
                              "\t" + std::to_string(r->language) + "\t" +
                              std::to_string(dpi);
      flx::res::DialogTemplate t;
      try {
        t = flx::res::ParseDialogTemplate(data, file, r->offset);
      } catch (const flx::Exception& e) {
        errors << e.what() << "\n";
        out << "D\t" << key << "\trefused\n";
        continue;
      }
      ++dialogs;
      // The program's own control classes, registered as it would.
      for (const auto& item : t.items) {
        if (!item.windowClass.isOrdinal) {
          fw::RegisterWindowClass(item.windowClass.name, &StandInProc);
        }
      }
      const fw::HWND owner = (t.style & fw::WS_CHILD) ? host : nullptr;
      const fw::HWND dlg = fw::CreateDialogIndirectParamW(nullptr, data, owner,
                                                          &QuietDialogProc, 0);
      if (dlg == nullptr) {
        out << "D\t" << key << "\trefused\n";
        continue;
      }
      fw::RECT window{}, client{};
      fw::GetWindowRect(dlg, &window);
      fw::GetClientRect(dlg, &client);
      fw::POINT origin{0, 0};
      fw::ClientToScreen(dlg, &origin);
      std::vector<std::string> lines;
      int index = 0;
      for (fw::HWND c = fw::GetWindow(dlg, fw::GW_CHILD); c != nullptr;
           c = fw::GetWindow(c, fw::GW_HWNDNEXT)) {
        fw::RECT r{};
        fw::GetWindowRect(c, &r);
        fw::OffsetRect(&r, -origin.x, -origin.y);
        const int id = fw::GetDlgCtrlID(c);
        // The template's class name (controls a dialog may leave out come
        // last in no template of the corpus).
        const std::string cls =
            static_cast<std::size_t>(index) < t.items.size()
                ? ClassOf(t.items[static_cast<std::size_t>(index)].windowClass)
                : "?";
        lines.push_back("C\t" + key + "\t" + std::to_string(index++) + "\t" +
                        std::to_string(id) + "\t" + cls + "\t" + Rect(r));
      }
      out << "D\t" << key << "\twindow\t" << Rect(window) << "\tclient\t"
          << client.right << "\t" << client.bottom << "\tcontrols\t" << index
          << "\n";
      for (const auto& l : lines) out << l << "\n";
      fw::DestroyWindow(dlg);
    }
  }
  if (host != nullptr) fw::DestroyWindow(host);
  return dialogs;
}

}  // namespace dialog_layout
