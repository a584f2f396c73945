// flexarium dialogs FILE: the dialogs a resource file, program or script
// holds.
#include <iostream>
#include <nlohmann/json.hpp>

#include "commands.h"
#include "dialog_input.h"
#include "flexarium/sysutils.h"

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

}  // namespace

void addDialogsCommand(CLI::App& app, int& exitCode) {
  auto* cmd = app.add_subcommand(
      "dialogs",
      "List the dialogs of a compiled resource file (.res), a program or DLL "
      "(.exe, .dll), or a resource script (.rc, compiled with MinGW's "
      "windres): ID or name, language, size in dialog units, control count "
      "and caption.");
  auto files = std::make_shared<std::vector<std::string>>();
  auto script = std::make_shared<ScriptOptions>();
  auto json = std::make_shared<bool>(false);
  cmd->add_option("FILE", *files, "Resource files, programs, DLLs or scripts")
      ->required();
  cmd->add_option("-I,--include", script->includeDirs,
                  "Include folder for a resource script (repeatable)");
  cmd->add_option("-D,--define", script->defines,
                  "NAME or NAME=VALUE defined for a resource script "
                  "(repeatable)");
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
                      << padded("SIZE (DLU)", 12) << padded("CONTROLS", 10)
                      << "CAPTION\n";
          }
        }
        for (const flx::res::Resource* r : dialogs) {
          const flx::res::DialogTemplate t = input.dialog(*r);
          const std::string size =
              std::to_string(t.cx) + "x" + std::to_string(t.cy);
          const std::string caption = flx::Utf16ToUtf8(t.title);
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
