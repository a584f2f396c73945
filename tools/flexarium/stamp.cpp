// flexarium stamp: saves a form as the design environment would on a screen
// of a given DPI with the form's client area at a given size, so that the
// form file carries its design metrics.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "commands.h"
#include "flexarium/flexarium.h"
#include "flexarium/forms.h"
#include "flexarium/sim_desktop.h"
#include "flexarium/winapi.h"
#include "form_input.h"
#include "options.h"

namespace flexarium_cli {

namespace {

// Replaces `path` only once the new text is completely written.
void writeAtomically(const std::string& path, const std::string& text) {
  std::string temp = path + ".flexarium-tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out) {
      std::remove(temp.c_str());
      throw flx::Exception(path + ": cannot write the file");
    }
  }
  std::error_code ec;
  std::filesystem::rename(temp, path, ec);
  if (ec) {
    std::remove(temp.c_str());
    throw flx::Exception(path + ": cannot replace the file: " + ec.message());
  }
}

}  // namespace

void addStampCommand(CLI::App& app, int& exitCode) {
  auto* cmd = app.add_subcommand(
      "stamp",
      "Load a form as the design environment does, on a screen of --dpi with "
      "the form's client area at --client, and save it back as the design "
      "environment would: every TFlexarium on it gets its design metrics "
      "(DesignFrmW, DesignFrmH, DesignDpiW, DesignDpiH).");
  struct Args {
    std::string file;
    std::string client;
    std::string dpi = "96";
    std::string output;
    SearchOptions search;
  };
  auto args = std::make_shared<Args>();
  cmd->add_option("FILE", args->file,
                  "Form file (.dfm) to stamp; - reads it from standard input "
                  "and writes the result to standard output")
      ->required();
  cmd->add_option("--client", args->client,
                  "WxH: the form's client size in pixels at design time")
      ->required();
  cmd->add_option("--dpi", args->dpi,
                  "N or NxM: the design screen's pixels per inch (default 96)");
  cmd->add_option("-o,--output", args->output,
                  "Write here instead of replacing FILE ('-' for standard "
                  "output)");
  args->search.addTo(*cmd);
  cmd->callback([args, &exitCode] {
    auto client = parseSize(args->client);
    if (!client) {
      throw CLI::ValidationError(
          "--client",
          "expected WxH with positive numbers, got '" + args->client + "'");
    }
    auto dpi = parseDpi(args->dpi);
    if (!dpi) {
      throw CLI::ValidationError(
          "--dpi",
          "expected N or NxM with positive numbers, got '" + args->dpi + "'");
    }
    auto& desktop =
        static_cast<flx::sim::Desktop&>(flx::win::currentWindowSystem());
    desktop.mutableConfig().dpiX = dpi->width;
    desktop.mutableConfig().dpiY = dpi->height;
    try {
      auto root = loadForm(args->file, args->search.loadOptions(true));
      auto* control = dynamic_cast<flx::TControl*>(root.get());
      if (control == nullptr) {
        throw flx::Exception(inputName(args->file) +
                             ": the root is not a control");
      }
      control->SetClientWidth(client->width);
      control->SetClientHeight(client->height);
      std::string text = flx::WriteFormText(*root);
      // Standard input has no file to replace.
      const std::string output =
          args->output.empty() && isStdin(args->file) ? "-" : args->output;
      if (output == "-") {
        std::cout << text;
      } else {
        writeAtomically(output.empty() ? args->file : output, text);
      }
    } catch (const flx::Exception& e) {
      std::cerr << e.what() << "\n";
      exitCode = 1;
    }
  });
}

}  // namespace flexarium_cli
