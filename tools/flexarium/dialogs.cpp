// flexarium dialogs FILE: the dialogs a resource file, program or script
// holds.
#include <cstdio>
#include <iostream>
#include <nlohmann/json.hpp>
#include <span>

#include "commands.h"
#include "dialog_input.h"
#include "flexarium/sim_desktop.h"
#include "flexarium/sysutils.h"
#include "flexarium/winapi.h"

namespace flexarium_cli {

namespace {

std::string hex4(unsigned v) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "%04x", v & 0xFFFF);
  return buffer;
}

std::string padded(std::string s, std::size_t width) {
  if (s.size() < width) s.append(width - s.size(), ' ');
  return s;
}

flx::win::LRESULT FLX_CALLBACK standInProc(flx::win::HWND wnd,
                                           flx::win::UINT msg,
                                           flx::win::WPARAM wp,
                                           flx::win::LPARAM lp) {
  return flx::win::DefWindowProcW(wnd, msg, wp, lp);
}

// The dialog made by the simulated dialog manager at 96 DPI: its client
// and window sizes in pixels, or why it could not be made.
struct PixelSize {
  int width = 0, height = 0;
  int windowWidth = 0, windowHeight = 0;
  std::string error;
};

PixelSize pixelSize(std::span<const std::uint8_t> tmpl,
                    const flx::res::DialogTemplate& t) {
  flx::sim::ScopedDesktop desktop;
  desktop->setRecording(false);
  // The program registers its own control classes before it makes its
  // dialogs; plain windows stand in for them here.
  for (const auto& item : t.items) {
    if (!item.windowClass.isOrdinal) {
      flx::win::RegisterWindowClass(item.windowClass.name, &standInProc);
    }
  }
  // A child dialog (a property page) needs a parent.
  flx::win::HWND host = nullptr;
  if (t.style & flx::win::WS_CHILD) {
    host = flx::win::CreateWindowExW(0, u"STATIC", u"", flx::win::WS_POPUP, 0,
                                     0, 1000, 800, nullptr, nullptr);
  }
  PixelSize size;
  const flx::win::HWND dlg =
      flx::win::CreateDialogIndirectParamW(nullptr, tmpl, host, nullptr, 0);
  if (dlg == nullptr) {
    size.error = desktop->lastDialogError();
    return size;
  }
  flx::win::RECT client{}, window{};
  flx::win::GetClientRect(dlg, &client);
  flx::win::GetWindowRect(dlg, &window);
  size.width = client.right;
  size.height = client.bottom;
  size.windowWidth = window.right - window.left;
  size.windowHeight = window.bottom - window.top;
  return size;
}

}  // namespace

void addDialogsCommand(CLI::App& app, int& exitCode) {
  auto* cmd = app.add_subcommand(
      "dialogs",
      "List the dialogs of a compiled resource file (.res), a program or DLL "
      "(.exe, .dll), or a resource script (.rc, compiled with MinGW's "
      "windres): ID or name, language, size in dialog units and in pixels at "
      "96 DPI (the client area, as the simulated dialog manager makes it), "
      "control count and caption.");
  auto files = std::make_shared<std::vector<std::string>>();
  auto script = std::make_shared<ScriptOptions>();
  auto json = std::make_shared<bool>(false);
  cmd->add_option("FILE", *files, "Resource files, programs, DLLs or scripts")
      ->required();
  addScriptOptions(*cmd, *script);
  cmd->add_flag("--json", *json, "One JSON document instead of a table");
  cmd->callback([files, script, json, &exitCode] {
    nlohmann::ordered_json all = nlohmann::ordered_json::array();
    for (const std::string& file : *files) {
      try {
        const ResourceInput input = readResourceInput(file, *script);
        const auto dialogs = input.dialogs();
        nlohmann::ordered_json list = nlohmann::ordered_json::array();
        if (!*json) {
          std::cout << file << ": " << dialogs.size()
                    << (dialogs.size() == 1 ? " dialog\n" : " dialogs\n");
          if (!dialogs.empty()) {
            std::cout << "  " << padded("ID", 24) << padded("LANG", 6)
                      << padded("SIZE (DLU)", 12) << padded("SIZE (PX)", 11)
                      << padded("CONTROLS", 10) << "CAPTION\n";
          }
        }
        for (const flx::res::Resource* r : dialogs) {
          const flx::res::DialogTemplate t = input.dialog(*r);
          const std::string size =
              std::to_string(t.cx) + "x" + std::to_string(t.cy);
          const std::string caption = flx::Utf16ToUtf8(t.title);
          const PixelSize px =
              pixelSize(std::span(input.bytes).subspan(r->offset, r->size), t);
          if (!px.error.empty()) {
            char at[24];
            std::snprintf(at, sizeof at, "0x%zx", r->offset);
            std::cerr << file << ": dialog " << r->name.toString()
                      << " (template at byte " << at
                      << "): no size in pixels: " << px.error << "\n";
          }
          const std::string pixels =
              px.error.empty()
                  ? std::to_string(px.width) + "x" + std::to_string(px.height)
                  : "-";
          if (*json) {
            nlohmann::ordered_json d;
            if (r->name.isOrdinal) {
              d["id"] = r->name.ordinal;
            } else {
              d["name"] = r->name.toString();
            }
            d["language"] = r->language;
            d["extended"] = t.extended;
            d["dlu"] = {{"width", t.cx}, {"height", t.cy}};
            if (px.error.empty()) {
              d["pixels"] = {{"width", px.width},
                             {"height", px.height},
                             {"window_width", px.windowWidth},
                             {"window_height", px.windowHeight}};
            } else {
              d["pixels"] = nullptr;
              d["pixels_error"] = px.error;
            }
            d["controls"] = t.items.size();
            d["caption"] = caption;
            if (t.hasFont) {
              d["font"] = {{"face", flx::Utf16ToUtf8(t.face)},
                           {"points", t.pointSize}};
            }
            list.push_back(std::move(d));
          } else {
            std::cout << "  " << padded(r->name.toString(), 24)
                      << padded(hex4(r->language), 6) << padded(size, 12)
                      << padded(pixels, 11)
                      << padded(std::to_string(t.items.size()), 10) << caption
                      << "\n";
          }
        }
        if (*json) all.push_back({{"file", file}, {"dialogs", list}});
      } catch (const flx::Exception& e) {
        std::cerr << e.what() << "\n";
        exitCode = 1;
      }
    }
    if (*json) std::cout << all.dump(2) << "\n";
  });
}

}  // namespace flexarium_cli
