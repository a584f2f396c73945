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
  std::error_code ec;
  {
    std::ofstream out(pathOf(temp), std::ios::binary | std::ios::trunc);
    out << text;
    if (!out) {
      std::filesystem::remove(pathOf(temp), ec);
      throw flx::Exception(path + ": cannot write the file");
    }
  }
  std::filesystem::rename(pathOf(temp), pathOf(path), ec);
  if (ec) {
    std::error_code ignored;
    std::filesystem::remove(pathOf(temp), ignored);
    throw flx::Exception(path + ": cannot replace the file: " + ec.message());
  }
}

// Puts a TFlexarium with default properties on the form, after everything
// the form file has; its name.
std::string addComponent(flx::TComponent& root, const std::string& file) {
  for (int i = 0; i < root.ComponentCount(); ++i) {
    if (auto* f = dynamic_cast<flx::TFlexarium*>(root.Components(i))) {
      throw flx::EReadError(file, {},
                            "the form has a TFlexarium already (" + f->Name() +
                                "); nothing added");
    }
  }
  // A frame is laid out by the component of each form that uses it: one of
  // its own would rescale it a second time.
  if (dynamic_cast<flx::TCustomForm*>(&root) == nullptr) {
    throw flx::EReadError(file, {},
                          "the root is " + root.ClassName() +
                              ", not a form; add the TFlexarium to the forms "
                              "that use it; nothing added");
  }
  // Made with the designing form as its owner, as the designer drops it.
  auto* made = new flx::TFlexarium(&root);
  made->SetName(freeComponentName(root, "Flexarium"));
  return made->Name();
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
    std::string dpi;  // 96, or with --add the form file's PixelsPerInch
    std::string output;
    bool add = false;
    SearchOptions search;
  };
  auto args = std::make_shared<Args>();
  cmd->add_option("FILE", args->file,
                  "Form file (.dfm) to stamp; - reads it from standard input "
                  "and writes the result to standard output")
      ->required();
  cmd->add_option("--client", args->client,
                  "WxH: the form's client size in pixels at design time "
                  "(required, except with --add, where it defaults to the "
                  "form file's client size)");
  cmd->add_flag("--add", args->add,
                "Put a TFlexarium with default properties on a form that has "
                "none (at the end of the root object, named Flexarium1 or the "
                "first free name) and say which field the form's unit must "
                "declare");
  cmd->add_option("--dpi", args->dpi,
                  "N or NxM: the design screen's pixels per inch (default 96; "
                  "with --add the form file's PixelsPerInch)");
  cmd->add_option("-o,--output", args->output,
                  "Write here instead of replacing FILE ('-' for standard "
                  "output)");
  args->search.addTo(*cmd);
  cmd->callback([args, &exitCode] {
    if (args->client.empty() && !args->add) {
      throw CLI::RequiredError("--client");
    }
    auto client =
        args->client.empty() ? std::optional<Size>() : parseSize(args->client);
    if (!client && !args->client.empty()) {
      throw CLI::ValidationError("--client", std::string("expected ") +
                                                 kSizeForm + ", got '" +
                                                 args->client + "'");
    }
    auto dpi = args->dpi.empty() ? parseDpi("96") : parseDpi(args->dpi);
    if (!dpi) {
      throw CLI::ValidationError("--dpi", std::string("expected ") + kDpiForm +
                                              ", got '" + args->dpi + "'");
    }
    auto& desktop =
        static_cast<flx::sim::Desktop&>(flx::win::currentWindowSystem());
    desktop.mutableConfig().dpiX = dpi->width;
    desktop.mutableConfig().dpiY = dpi->height;
    try {
      TextLayout layout;
      flx::FormLoadOptions options = args->search.loadOptions(true);
      // The design size of a form is its ancestor's unless it says otherwise:
      // never guessed.
      options.requireAncestors = args->add;
      auto root = loadForm(args->file, options, layout);
      auto* control = dynamic_cast<flx::TControl*>(root.get());
      if (control == nullptr) {
        throw flx::Exception(inputName(args->file) +
                             ": the root is not a control");
      }
      std::string added;
      if (args->add) {
        added = addComponent(*root, inputName(args->file));
        // The component is designed for the screen the form file was.
        auto* form = dynamic_cast<flx::TCustomForm*>(root.get());
        if (args->dpi.empty() && form != nullptr && form->PixelsPerInch() > 0) {
          desktop.mutableConfig().dpiX = form->PixelsPerInch();
          desktop.mutableConfig().dpiY = form->PixelsPerInch();
        }
      }
      if (client) {
        control->SetClientWidth(client->width);
        control->SetClientHeight(client->height);
      }
      std::string text = applyLayout(flx::WriteFormText(*root), layout);
      // Standard input has no file to replace.
      const std::string output =
          args->output.empty() && isStdin(args->file) ? "-" : args->output;
      // The form's unit needs the field, or the component is not started.
      if (!added.empty()) {
        (output == "-" ? std::cerr : std::cout)
            << inputName(args->file) << ": added " << added << ": TFlexarium; "
            << "declare the published field '" << added << ": TFlexarium;' in "
            << root->ClassName() << " and add Flexarium to its uses clause\n";
      }
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
