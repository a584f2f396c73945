// flexarium preview: a form on a simulated screen, shown, then sized,
// maximised, minimised or restored step by step, with the layout after
// each step as a table, a JSON document, SVG pictures or an HTML page.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>

#include "attach_options.h"
#include "commands.h"
#include "dialog_input.h"
#include "form_input.h"
#include "options.h"
#include "render.h"
#include "report.h"
#include "simulation.h"

namespace flexarium_cli {

namespace {

namespace fs = std::filesystem;

void writeFile(const std::string& path, const std::string& text) {
  std::error_code ec;
  fs::path parent = pathOf(path).parent_path();
  if (!parent.empty()) fs::create_directories(parent, ec);
  std::ofstream out(pathOf(path), std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out) throw flx::Exception(path + ": cannot write the file");
}

}  // namespace

void addPreviewCommand(CLI::App& app, int& exitCode) {
  auto* cmd = app.add_subcommand(
      "preview",
      "Load a form as a running application does, on a simulated screen, "
      "show it, apply each size step in the order given and report the "
      "layout after each step: every control's bounds (relative to its "
      "parent) and font size, and the component's factors.");
  cmd->footer(
      "Steps (--client, --outer, --scale, --move, --maximize, --minimize, "
      "--restore) run in the order given, after the form is first shown; a "
      "size or move step on a maximised or minimised form restores it "
      "first. Without a step the form is shown and reported once.\n\n"
      "Examples:\n  flexarium preview examples/forms/contact.dfm --dpi 144 "
      "--client 720x450 --client 1080x675 --html contact.html\n"
      "  flexarium preview examples/forms/contact.dfm --monitor "
      "1920x1080@0,0:144 --monitor 1920x1080@1920,0:96 --move 2300,200 "
      "--move 300,200 --json\n"
      "  flexarium preview some_dialog.dfm --attach --scale 1.5 --scale 0.75\n"
      "  flexarium preview app.rc --dialog IDD_MAIN --set FormMinWidth=400 "
      "--set NoResizeCtl=IDC_LOGO --scale 1.5\n\n"
      "A dialog (--dialog, from a .res, .exe, .dll or .rc file) is made from "
      "its template as CreateDialogIndirectParamW makes it, and the "
      "component attached to it with the --set options, as a program does "
      "in WM_INITDIALOG; its controls are named by the names of the "
      "script's headers (and --header files) or Ctl1001 by control ID.");
  struct Args {
    std::string file;
    ScreenStrings screen;
    std::vector<std::string> clients;
    std::vector<std::string> outers;
    std::vector<std::string> scales;
    bool attach = false;
    std::vector<std::string> moves;
    bool json = false;
    std::string svgDir;
    std::string htmlFile;
    SearchOptions search;
    DialogOptions dialog;
    std::vector<std::string> sets;
  };
  auto args = std::make_shared<Args>();
  cmd->add_option("FORM", args->file,
                  "Form file (.dfm) to preview; - reads it from standard "
                  "input. Or a resource file, program, DLL or resource script "
                  "(.res, .exe, .dll, .rc) with --dialog")
      ->required()
      ->type_name("FILE");
  addScreenOptions(*cmd, args->screen);
  auto* client =
      stepOption(addParsedOption(*cmd, "--client", args->clients,
                                 "Give the form this client size (repeatable)",
                                 parseSize, kSizeForm, "WxH"));
  auto* outer = stepOption(
      addParsedOption(*cmd, "--outer", args->outers,
                      "Give the form this outer window size (repeatable)",
                      parseSize, kSizeForm, "WxH"));
  auto* scale = stepOption(addParsedOption(
      *cmd, "--scale", args->scales,
      "Give the form F times its design client size (repeatable)", parseScale,
      kScaleForm, "F"));
  cmd->add_flag("--attach", args->attach,
                "Put a started TFlexarium with default properties on a form "
                "that has none, designed for the form file's client size and "
                "PixelsPerInch (96 without one)");
  auto* move = addMoveOption(*cmd, args->moves, "");
  CLI::Option* maximize =
      cmd->add_flag("--maximize")->description("Maximise the form");
  CLI::Option* minimize =
      cmd->add_flag("--minimize")->description("Minimise the form");
  CLI::Option* restore =
      cmd->add_flag("--restore")
          ->description("Restore the form from maximised or minimised");
  cmd->add_flag("--json", args->json,
                "Print one JSON document with every step instead of tables");
  cmd->add_option("--svg", args->svgDir,
                  "Write one SVG picture per step into DIR (made if missing)")
      ->type_name("DIR");
  cmd->add_option("--html", args->htmlFile,
                  "Write one HTML page with every step side by side")
      ->type_name("FILE");
  args->search.addTo(*cmd);
  args->dialog.addTo(
      *cmd,
      "Preview this dialog of a .res, .exe, .dll or .rc file, by ID, resource "
      "name or a name its header defines, with the component attached",
      "The dialog's language when it has several (default: neutral, else US "
      "English)",
      "A C header whose #define lines name the dialog's control IDs "
      "(repeatable; a script's own headers are read anyway)");
  cmd->add_option("--set", args->sets,
                  "A property of the component attached to the dialog "
                  "(repeatable): FormPos, FormWidth, FormHeight, FormMaxWidth, "
                  "FormMaxHeight, FormMinWidth, FormMinHeight, ResizeFont, "
                  "NoResizeCtl, NoResizeFntCtl (control IDs, header names or "
                  "window classes, separated by ;), ValidTaskbar, "
                  "ResizeColumns, MinFontSize, KeepAspect")
      ->type_name("PROP=VALUE");

  cmd->callback([cmd, args, client, outer, scale, move, maximize, minimize,
                 restore, &exitCode] {
    if (std::string problem = args->screen.problem(); !problem.empty()) {
      throw CLI::ValidationError(problem);
    }
    const bool dialog =
        !args->dialog.dialog.empty() || isResourceFile(args->file);
    flx::AttachOptions attachOptions;
    if (dialog) {
      if (args->attach) {
        throw CLI::ValidationError(
            "--attach: a dialog always has the component attached; leave it "
            "out");
      }
      if (!args->search.searchDirs.empty() || !args->search.ancestors.empty()) {
        throw CLI::ValidationError(
            "--search and --ancestor find a form's ancestors and frames; a "
            "dialog has none");
      }
      for (const std::string& set : args->sets) {
        try {
          setAttachOption(attachOptions, set);
        } catch (const flx::Exception& e) {
          throw CLI::ValidationError("--set " + set + ": " + e.Message());
        }
      }
    } else if (!args->sets.empty() || args->dialog.given()) {
      throw CLI::ValidationError(
          "--set, --lang, --header, -I and -D go with --dialog: a form "
          "file's properties are in the form file");
    }
    flx::FormLoadOptions options = args->search.loadOptions(false);
    PreviewReport report;
    // The step being made, once the form is shown: a step that fails ends
    // the steps, and those done before it are reported.
    std::optional<std::string> current;
    report.file = inputName(args->file);
    report.screen = args->screen.settings();
    try {
      Session session(report.screen);
      if (dialog) {
        DialogRequest request;
        request.file = args->file;
        request.dialog = args->dialog.dialog;
        if (!args->dialog.language.empty()) {
          request.language = parseLanguage(args->dialog.language);
        }
        request.script = args->dialog.script;
        request.headers = args->dialog.headers;
        session.loadDialog(request);
        report.file = session.dialogLabel();
        session.dialogOptions() = attachOptions;
        try {
          session.attachDialog();
        } catch (const flx::Exception& e) {
          throw flx::Exception(session.dialogLabel() + ": " + e.Message());
        }
      } else {
        session.load(args->file, options);
      }
      if (args->attach) {
        try {
          session.attach();
        } catch (const StepError& e) {
          // A refusal about the form file, said as its other errors are.
          throw flx::EReadError(report.file, {}, e.Message());
        }
      }
      if (auto* f = session.component()) report.component = f->Name();
      session.beginStep();
      session.show();
      report.steps.push_back(session.capture("show"));
      std::size_t nextClient = 0, nextOuter = 0, nextScale = 0, nextMove = 0;
      for (const CLI::Option* opt : cmd->parse_order()) {
        current = opt->get_name();
        const auto value = [&current](const std::string& text) {
          *current += " " + text;
          return text;
        };
        session.beginStep();
        if (opt == client) {
          const std::string text = value(args->clients.at(nextClient++));
          Size size = *parseSize(text);
          session.setClientSize(size);
          report.steps.push_back(session.capture("client " + text));
        } else if (opt == outer) {
          const std::string text = value(args->outers.at(nextOuter++));
          Size size = *parseSize(text);
          session.setOuterSize(size);
          report.steps.push_back(session.capture("outer " + text));
        } else if (opt == scale) {
          const std::string text = value(args->scales.at(nextScale++));
          session.setScale(*parseScale(text));
          report.steps.push_back(session.capture("scale " + text));
        } else if (opt == move) {
          const std::string text = value(args->moves.at(nextMove++));
          const flx::win::POINT to = *parsePoint(text);
          session.dragCaption(to.x, to.y);
          report.steps.push_back(session.capture("move " + text));
        } else if (opt == maximize) {
          session.maximize();
          report.steps.push_back(session.capture("maximize"));
        } else if (opt == minimize) {
          session.minimize();
          report.steps.push_back(session.capture("minimize"));
        } else if (opt == restore) {
          session.restore();
          report.steps.push_back(session.capture("restore"));
        }
      }
    } catch (const flx::Exception& e) {
      exitCode = 1;
      if (!current) {
        std::cerr << e.what() << "\n";
        return;
      }
      std::cerr << "flexarium: " << *current << " (step "
                << report.steps.size() + 1 << "): " << e.what()
                << "; the steps before it are reported\n";
    }

    try {
      if (!args->svgDir.empty()) {
        std::error_code ec;
        fs::create_directories(pathOf(args->svgDir), ec);
        if (ec) {
          throw flx::Exception(args->svgDir +
                               ": cannot make the folder: " + ec.message());
        }
        for (std::size_t i = 0; i < report.steps.size(); ++i) {
          const int number = static_cast<int>(i) + 1;
          writeFile(nameOf(pathOf(args->svgDir) /
                           pathOf(svgFileName(report.steps[i], number))),
                    renderSvg(report.steps[i], number));
        }
      }
      if (!args->htmlFile.empty()) {
        writeFile(args->htmlFile, renderHtml(report));
      }
    } catch (const flx::Exception& e) {
      std::cerr << e.what() << "\n";
      exitCode = 1;
    }

    if (args->json) {
      std::cout << reportToJson(report).dump(2) << "\n";
      return;
    }
    std::cout << formatHeader(report);
    for (std::size_t i = 0; i < report.steps.size(); ++i) {
      std::cout << "\n" << formatStep(report.steps[i], static_cast<int>(i) + 1);
    }
    if (!args->svgDir.empty() && exitCode == 0) {
      std::cout << "\nWrote " << report.steps.size() << " SVG picture"
                << (report.steps.size() == 1 ? "" : "s") << " to "
                << args->svgDir << "\n";
    }
    if (!args->htmlFile.empty() && exitCode == 0) {
      std::cout << (args->svgDir.empty() ? "\n" : "") << "Wrote "
                << args->htmlFile << "\n";
    }
  });
}

}  // namespace flexarium_cli
