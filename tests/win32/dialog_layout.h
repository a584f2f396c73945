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
//
// Asked for sizes, it then attaches the component to each top-level dialog
// (flx::Attach, the design client size the template's) and gives the dialog
// each of those factors of its design client size in turn, with one report
// per factor in the same format; there each control's line ends with the
// lfHeight of the font it shows (0 for none), and a dialog the component
// refused is written "D <key> unattached". Child dialogs (property pages)
// have no frame of their own and are left out of these reports.
#pragma once

#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <ostream>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "flexarium/attach.h"
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

// The lines of a made dialog: its window, then each of its controls, with
// the height of its font when `fonts`.
inline void Write(fw::HWND dlg, const flx::res::DialogTemplate& t,
                  const std::string& key, bool fonts, std::ostream& out) {
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
    std::string line = "C\t" + key + "\t" + std::to_string(index++) + "\t" +
                       std::to_string(id) + "\t" + cls + "\t" + Rect(r);
    if (fonts) {
      const auto font = reinterpret_cast<fw::HFONT>(
          fw::SendMessageW(c, fw::WM_GETFONT, 0, 0));
      fw::LOGFONTW lf{};
      const bool got =
          font != nullptr && fw::GetObjectW(font, sizeof lf, &lf) == sizeof lf;
      line += "\t" + std::to_string(got ? lf.lfHeight : 0);
    }
    lines.push_back(std::move(line));
  }
  out << "D\t" << key << "\twindow\t" << Rect(window) << "\tclient\t"
      << client.right << "\t" << client.bottom << "\tcontrols\t" << index
      << "\n";
  for (const auto& l : lines) out << l << "\n";
}

// A factor of the design client size, and the report of the dialogs at it.
struct Scaled {
  double factor;
  std::ostream* out;
};

// Gives the dialog the client size `width` x `height`, its place kept.
inline void SizeClient(fw::HWND dlg, int width, int height) {
  fw::RECT window{}, client{};
  fw::GetWindowRect(dlg, &window);
  fw::GetClientRect(dlg, &client);
  fw::SetWindowPos(dlg, nullptr, 0, 0,
                   width + (window.right - window.left) - client.right,
                   height + (window.bottom - window.top) - client.bottom,
                   fw::SWP_NOMOVE | fw::SWP_NOZORDER | fw::SWP_NOACTIVATE);
}

// The component attached to the top-level dialog `dlg`, then each factor
// of `scaled` given to its design client size and the dialog written down
// in that factor's report. Call after FlexariumInitialization.
inline void DumpScaled(fw::HWND dlg, const flx::res::DialogTemplate& t,
                       const std::string& key,
                       const std::vector<Scaled>& scaled,
                       std::ostream& errors) {
  std::unique_ptr<flx::Attachment> attached;
  try {
    attached = flx::Attach(dlg);
  } catch (const flx::Exception& e) {
    errors << key << ": not attached: " << e.what() << "\n";
    for (const Scaled& s : scaled) *s.out << "D\t" << key << "\tunattached\n";
    return;
  }
  fw::RECT design{};
  fw::GetClientRect(dlg, &design);
  for (const Scaled& s : scaled) {
    SizeClient(dlg, static_cast<int>(std::lround(design.right * s.factor)),
               static_cast<int>(std::lround(design.bottom * s.factor)));
    Write(dlg, t, key, true, *s.out);
  }
  attached->Detach();
}

// The factors the attached dialogs are given, and where their reports go:
// beside REPORT, "dialogs-96.report" giving "dialogs-96-1.5x.report".
inline constexpr double kFactors[] = {1.5, 0.75};
inline std::string ScaledReportPath(const std::string& report, double factor) {
  std::ostringstream text;
  text << "-" << factor << "x";
  const std::string x = text.str();
  const auto dot = report.rfind('.');
  const auto slash = report.find_last_of("/\\");
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
    return report + x;
  }
  return report.substr(0, dot) + x + report.substr(dot);
}

// Makes every dialog of `files` and writes the report to `out`; the DPI
// goes into the keys; with `scaled`, also the reports of the attached
// dialogs at those factors. Returns the number of dialogs, or -1 when a
// file cannot be read (the reason goes to `errors`).
inline int Dump(const std::vector<std::string>& files, int dpi,
                std::ostream& out, std::ostream& errors,
                const std::vector<Scaled>& scaled = {}) {
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
      Write(dlg, t, key, false, out);
      if (!scaled.empty() && !(t.style & fw::WS_CHILD)) {
        DumpScaled(dlg, t, key, scaled, errors);
      }
      fw::DestroyWindow(dlg);
    }
  }
  if (host != nullptr) fw::DestroyWindow(host);
  return dialogs;
}

}  // namespace dialog_layout
