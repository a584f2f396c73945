// flexarium lint: each form file shown at each DPI and size, checked by the
// rules of lint_rules.cpp, reported as compiler-style text, JSON, SARIF or
// an HTML page. Files are checked in parallel by child processes: the
// process has one current window system, so threads cannot share it.
//
// Sections:
//   One file                one form, or each dialog of a resource file,
//                           shown at every case and checked
//   Reports                 text, JSON, SARIF, HTML and the baseline
//   Running over many files child processes, and their results read back
//   The command             options, their lists, and the subcommand
#include <algorithm>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <thread>

#include "commands.h"
#include "dialog_input.h"
#include "flexarium/form_text.h"
#include "form_input.h"
#include "lint.h"
#include "render.h"

#if defined(__unix__) || defined(__APPLE__)
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#define FLEXARIUM_LINT_FORK 1
#endif

namespace flexarium_cli {

namespace {

using nlohmann::json;

// ---- One file

// Where each object of the file starts, by name, and the design DPI.
struct FileFacts {
  std::map<std::string, flx::SourcePos> objects;
  int pixelsPerInch = 96;
  // Objects that say AutoSize = False: the design environment's labels
  // size themselves to their text unless told not to.
  std::set<std::string> fixedSize;
};

void Collect(const flx::FormObject& object, FileFacts& facts) {
  if (!object.name.empty()) facts.objects.emplace(object.name, object.pos);
  for (const auto& p : object.props) {
    if (p.name == "AutoSize" && p.value.kind == flx::FormValue::Kind::Ident &&
        p.value.text == "False") {
      facts.fixedSize.insert(object.name);
    }
  }
  for (const auto& child : object.children) Collect(*child, facts);
}

FileFacts ReadFacts(const std::string& path) {
  std::ifstream in(pathOf(path), std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  FileFacts facts;
  // The reader reports a bad file with its position; this parse only finds
  // positions, so a file that does not parse here fails there.
  try {
    const auto root = flx::ParseFormText(text.str(), path);
    Collect(*root, facts);
    for (const auto& p : root->props) {
      if (p.name == "PixelsPerInch" &&
          p.value.kind == flx::FormValue::Kind::Integer &&
          p.value.integer > 0 && p.value.integer <= 10000) {
        facts.pixelsPerInch = static_cast<int>(p.value.integer);
      }
    }
  } catch (const flx::Exception&) {
  }
  return facts;
}

ScreenSettings ScreenAt(int dpi) {
  ScreenSettings s;
  // Big enough that no size a case asks for is held by the screen.
  s.screen = Size{16384, 16384};
  s.dpi = Size{dpi, dpi};
  return s;
}

// Loads the form, or makes the dialog and attaches the component.
void Start(Session& session, const std::string& path,
           const DialogRequest* dialog, const LintSettings& settings) {
  if (dialog != nullptr) {
    session.loadDialog(*dialog);
    session.attachDialog();
  } else {
    session.load(path, settings.load);
    if (settings.attach && session.component() == nullptr) session.attach();
  }
  session.beginStep();
  session.show();
}

LintFileResult lintOne(const std::string& path, const DialogRequest* dialog,
                       const LintSettings& settings);

// A file whose reading or showing failed: its error, and none of the
// findings and pictures of the cases before it.
void Failed(LintFileResult& result, const std::string& error) {
  result.error = error;
  result.findings.clear();
  result.pictures.clear();
}

// Every dialog of a resource file (or the one named), checked as a form.
LintFileResult lintDialogs(const std::string& path,
                           const LintSettings& settings) {
  LintFileResult result;
  result.file = path;
  try {
    auto input = std::make_shared<const ResourceInput>(
        readResourceInput(path, settings.script));
    std::vector<std::pair<std::string, std::optional<int>>> dialogs;
    if (!settings.dialog.empty()) {
      dialogs.emplace_back(settings.dialog, settings.language);
    } else {
      for (const flx::res::Resource* r : input->dialogs()) {
        dialogs.emplace_back(r->name.toString(), r->language);
      }
      if (dialogs.empty())
        result.notes.push_back(path + ": no dialog to check");
    }
    for (const auto& [id, language] : dialogs) {
      DialogRequest request;
      request.file = path;
      request.dialog = id;
      request.language = language;
      request.script = settings.script;
      request.headers = settings.headers;
      request.input = input;
      LintFileResult one = lintOne(path, &request, settings);
      if (!one.error.empty()) {
        result.error += (result.error.empty() ? "" : "\n") + one.error;
      }
      for (LintFinding& f : one.findings) {
        f.control = id + "." + f.control;
        result.findings.push_back(std::move(f));
      }
      for (LintPicture& p : one.pictures) {
        result.pictures.push_back(std::move(p));
      }
      for (std::string& note : one.notes) {
        result.notes.push_back(std::move(note));
      }
    }
  } catch (const flx::Exception& e) {
    Failed(result, e.what());
  }
  return result;
}

}  // namespace

LintFileResult lintFile(const std::string& path, const LintSettings& settings) {
  if (!settings.dialog.empty() || isResourceFile(path)) {
    if (!isResourceFile(path)) {
      LintFileResult result;
      result.file = path;
      result.error = path +
                     ": error: --dialog names a dialog of a resource file "
                     "(.res, .exe, .dll or .rc); this is not one";
      return result;
    }
    return lintDialogs(path, settings);
  }
  return lintOne(path, nullptr, settings);
}

namespace {

LintFileResult lintOne(const std::string& path, const DialogRequest* dialog,
                       const LintSettings& settings) {
  LintFileResult result;
  result.file = path;
  // Each case reads the file again: its warnings are said once.
  LintSettings quiet = settings;
  quiet.load.warn = [&result](const std::string& message) {
    if (std::find(result.notes.begin(), result.notes.end(), message) ==
        result.notes.end()) {
      result.notes.push_back(message);
    }
  };
  const LintSettings& own = quiet;
  try {
    const FileFacts facts = dialog ? FileFacts{} : ReadFacts(path);
    StepLayout design;
    int formMinFont = 0;
    {
      Session session(ScreenAt(facts.pixelsPerInch));
      Start(session, path, dialog, own);
      design = session.capture("design");
      if (auto* c = session.component()) formMinFont = c->MinFontSize();
    }
    int pictures = 0;
    // One case: the layout now against the design.
    auto check = [&](Session& session, double scale,
                     const std::optional<flx::win::POINT>& move) {
      StepLayout now = session.capture("scale");
      for (auto& c : now.controls) {
        if (c.look == Look::Label) c.autoSize = !facts.fixedSize.count(c.name);
      }
      // On one screen its DPI; on monitors of their own the DPI the form's
      // window has where it is.
      const LintCase where =
          settings.monitors.empty()
              ? LintCase{session.screen().dpi.width, scale, -1, move}
              : LintCase{now.dpi, scale, now.monitor, move};
      auto found = checkLayout(now, design, where, settings, formMinFont);
      if (found.empty()) return;
      for (auto& f : found) {
        f.file = path;
        // A frame's control is found at its frame's object line.
        const std::string own = f.control.substr(f.control.rfind('.') + 1);
        const std::string frame = f.control.substr(
            0,
            f.control.find('.') == std::string::npos ? 0 : f.control.find('.'));
        auto p = facts.objects.find(own);
        if (!frame.empty() || p == facts.objects.end()) {
          if (auto q = facts.objects.find(frame); q != facts.objects.end()) {
            p = q;
          }
        }
        if (p != facts.objects.end()) {
          f.line = p->second.line;
          f.column = p->second.column;
        }
      }
      if (settings.pictures) {
        SvgOptions options;
        options.footer = false;
        options.idPrefix = "p" + std::to_string(++pictures);
        for (const auto& f : found) {
          options.outlines.emplace_back(
              f.box, std::string(toString(f.rule)) + ": " + f.message);
        }
        result.pictures.push_back({where, renderSvg(now, 1, options)});
      }
      result.findings.insert(result.findings.end(),
                             std::make_move_iterator(found.begin()),
                             std::make_move_iterator(found.end()));
    };
    std::vector<ScreenSettings> screens;
    if (settings.monitors.empty()) {
      for (const int dpi : settings.dpis) screens.push_back(ScreenAt(dpi));
    } else {
      ScreenSettings s;
      s.monitors = settings.monitors;
      const auto& primary = s.monitors.front();
      s.screen = Size{primary.rect.right - primary.rect.left,
                      primary.rect.bottom - primary.rect.top};
      s.dpi = Size{primary.dpi, primary.dpi};
      screens.push_back(s);
    }
    for (const ScreenSettings& screen : screens) {
      if (settings.moves.empty()) {
        Session session(screen);
        Start(session, path, dialog, own);
        for (const double scale : settings.scales) {
          session.beginStep();
          session.setScale(scale);
          check(session, scale, std::nullopt);
        }
        continue;
      }
      // Each scale is given where the form opened, then carried along the
      // moves: a form of its own for each.
      for (const double scale : settings.scales) {
        Session session(screen);
        Start(session, path, dialog, own);
        session.beginStep();
        session.setScale(scale);
        check(session, scale, std::nullopt);
        for (const flx::win::POINT& to : settings.moves) {
          session.beginStep();
          session.dragCaption(to.x, to.y);
          check(session, scale, to);
        }
      }
    }
  } catch (const StepError& e) {
    // A frame's file, or a form that cannot take a case's size: nothing to
    // check, and nothing wrong with the file.
    result.notes.push_back(std::string(e.what()) + "; not checked");
    result.findings.clear();
    result.pictures.clear();
  } catch (const flx::Exception& e) {
    Failed(result, e.what());
  }
  return result;
}

}  // namespace

// ---- Reports

namespace {

// The case's fields of a finding or picture; the monitor and the move only
// where there are some, so that other reports read as before.
void CaseToJson(const LintCase& c, json& j) {
  j["dpi"] = c.dpi;
  j["scale"] = c.scale;
  if (c.monitor >= 0) j["monitor"] = c.monitor;
  if (c.move) j["move"] = pointName(*c.move);
}

// nullopt for a move that is no point.
std::optional<LintCase> CaseFromJson(const json& j) {
  LintCase c;
  c.dpi = j.at("dpi").get<int>();
  c.scale = j.at("scale").get<double>();
  c.monitor = j.value("monitor", -1);
  if (j.contains("move")) {
    c.move = parsePoint(j.at("move").get<std::string>());
    if (!c.move) return std::nullopt;
  }
  return c;
}

json FindingToJson(const LintFinding& f) {
  json j{{"file", f.file},
         {"line", f.line},
         {"column", f.column},
         {"rule", std::string(toString(f.rule))}};
  CaseToJson(f.where, j);
  j["control"] = f.control;
  j["message"] = f.message;
  j["pixels"] = f.pixels;
  if (!f.other.empty()) j["other"] = f.other;
  return j;
}

std::optional<LintFinding> FindingFromJson(const json& j) {
  if (!j.is_object() || !j.contains("file") || !j.contains("rule") ||
      !j.contains("control") || !j.contains("dpi") || !j.contains("scale")) {
    return std::nullopt;
  }
  LintFinding f;
  const auto rule = parseLintRule(j.at("rule").get<std::string>());
  if (!rule) return std::nullopt;
  f.rule = *rule;
  f.file = j.at("file").get<std::string>();
  f.control = j.at("control").get<std::string>();
  f.other = j.value("other", std::string());
  const auto where = CaseFromJson(j);
  if (!where) return std::nullopt;
  f.where = *where;
  return f;
}

}  // namespace

json lintToJson(const std::vector<LintFileResult>& results) {
  json files = json::array();
  json findings = json::array();
  for (const auto& r : results) {
    json file{{"file", r.file}, {"findings", r.findings.size()}};
    if (!r.error.empty()) file["error"] = r.error;
    if (!r.notes.empty()) file["notes"] = r.notes;
    files.push_back(file);
    for (const auto& f : r.findings) findings.push_back(FindingToJson(f));
  }
  return json{
      {"tool", "flexarium lint"}, {"files", files}, {"findings", findings}};
}

json lintToSarif(const std::vector<LintFileResult>& results) {
  json rules = json::array();
  for (const LintRule rule : allLintRules()) {
    rules.push_back(
        {{"id", std::string(toString(rule))},
         {"shortDescription", {{"text", std::string(describe(rule))}}},
         {"defaultConfiguration", {{"level", "warning"}}}});
  }
  json sarifResults = json::array();
  json notifications = json::array();
  auto location = [](const std::string& file, int line, int column) {
    json region = json::object();
    if (line > 0) {
      region["startLine"] = line;
      region["startColumn"] = std::max(column, 1);
    }
    json physical{{"artifactLocation", {{"uri", file}}}};
    if (!region.empty()) physical["region"] = region;
    return json{{"physicalLocation", physical}};
  };
  for (const auto& r : results) {
    if (!r.error.empty()) {
      notifications.push_back({{"level", "error"},
                               {"message", {{"text", r.error}}},
                               {"locations", {location(r.file, 0, 0)}}});
    }
    for (const auto& f : r.findings) {
      sarifResults.push_back(
          {{"ruleId", std::string(toString(f.rule))},
           {"level", "warning"},
           {"message", {{"text", f.control + ": " + f.message}}},
           {"locations", {location(f.file, f.line, f.column)}},
           {"partialFingerprints", {{"flexariumLint/v1", f.key()}}}});
    }
  }
  json run{{"tool",
            {{"driver",
              {{"name", "flexarium lint"},
               {"informationUri", "https://example.invalid/flexarium"},
               {"rules", rules}}}}},
           {"results", sarifResults}};
  if (!notifications.empty()) {
    run["invocations"] =
        json::array({{{"executionSuccessful", false},
                      {"toolExecutionNotifications", notifications}}});
  }
  return json{{"$schema", "https://json.schemastore.org/sarif-2.1.0.json"},
              {"version", "2.1.0"},
              {"runs", json::array({run})}};
}

std::string lintToText(const std::vector<LintFileResult>& results) {
  std::ostringstream out;
  for (const auto& r : results) {
    if (!r.error.empty()) out << r.error << "\n";
    for (const auto& f : r.findings) {
      out << f.file << ":" << f.line << ":" << f.column
          << ": warning: " << f.control << " " << f.message << " ["
          << toString(f.rule) << "]\n";
    }
  }
  return out.str();
}

std::string lintToHtml(const std::vector<LintFileResult>& results) {
  std::ostringstream out;
  out << "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">"
         "<title>flexarium lint</title><style>"
         "body{font-family:sans-serif;margin:1em}"
         ".case{display:flex;gap:1em;align-items:flex-start;margin:1em 0}"
         ".case ul{font-size:90%}.error{color:#b00}"
         "</style></head><body>\n<h1>flexarium lint</h1>\n";
  for (const auto& r : results) {
    out << "<h2>" << xmlEscape(r.file) << "</h2>\n";
    if (!r.error.empty()) {
      out << "<p class=\"error\">" << xmlEscape(r.error) << "</p>\n";
      continue;
    }
    if (r.findings.empty()) out << "<p>No findings.</p>\n";
    for (const auto& p : r.pictures) {
      out << "<div class=\"case\"><div><h3>" << xmlEscape(caseName(p.where))
          << "</h3>" << p.svg << "</div><ul>\n";
      for (const auto& f : r.findings) {
        if (!(f.where == p.where)) continue;
        out << "<li><b>" << toString(f.rule) << "</b> " << xmlEscape(f.control)
            << " " << xmlEscape(f.message) << " (line " << f.line << ")</li>\n";
      }
      out << "</ul></div>\n";
    }
  }
  out << "</body></html>\n";
  return out.str();
}

std::set<std::string> readBaseline(const std::string& path) {
  std::ifstream in(pathOf(path), std::ios::binary);
  if (!in) throw flx::Exception(path + ": cannot read the baseline file");
  json doc;
  try {
    doc = json::parse(in);
  } catch (const json::parse_error& e) {
    throw flx::Exception(path + ": not a JSON document (" +
                         std::string(e.what()) + ")");
  }
  if (!doc.is_object() || !doc.contains("findings") ||
      !doc.at("findings").is_array()) {
    throw flx::Exception(path +
                         ": not a report of 'flexarium lint --json' (no "
                         "findings array)");
  }
  std::set<std::string> keys;
  std::size_t index = 0;
  for (const auto& item : doc.at("findings")) {
    std::optional<LintFinding> f;
    try {
      f = FindingFromJson(item);
    } catch (const json::exception&) {
    }
    if (!f) {
      throw flx::Exception(path + ": finding " + std::to_string(index) +
                           " lacks file, rule, control, dpi or scale, or "
                           "names a rule or move that does not exist");
    }
    keys.insert(f->key());
    ++index;
  }
  return keys;
}

// ---- Running over many files

namespace {

#if FLEXARIUM_LINT_FORK
// A child's results travel to the parent as JSON.
json ResultToJson(const LintFileResult& r) {
  json pictures = json::array();
  for (const auto& p : r.pictures) {
    json j{{"svg", p.svg}};
    CaseToJson(p.where, j);
    pictures.push_back(j);
  }
  json findings = json::array();
  for (const auto& f : r.findings) {
    json j = FindingToJson(f);
    j["box"] = {f.box.left, f.box.top, f.box.right, f.box.bottom};
    findings.push_back(j);
  }
  return json{{"file", r.file},
              {"error", r.error},
              {"notes", r.notes},
              {"findings", findings},
              {"pictures", pictures}};
}

LintFileResult ResultFromJson(const json& j) {
  LintFileResult r;
  r.file = j.at("file").get<std::string>();
  r.error = j.at("error").get<std::string>();
  r.notes = j.at("notes").get<std::vector<std::string>>();
  for (const auto& item : j.at("findings")) {
    LintFinding f = *FindingFromJson(item);
    f.line = item.at("line").get<int>();
    f.column = item.at("column").get<int>();
    f.message = item.at("message").get<std::string>();
    f.pixels = item.at("pixels").get<int>();
    const auto& box = item.at("box");
    f.box = flx::win::RECT{box[0].get<int>(), box[1].get<int>(),
                           box[2].get<int>(), box[3].get<int>()};
    r.findings.push_back(std::move(f));
  }
  for (const auto& p : j.at("pictures")) {
    r.pictures.push_back({*CaseFromJson(p), p.at("svg").get<std::string>()});
  }
  return r;
}
#endif

std::vector<LintFileResult> LintAll(const std::vector<std::string>& files,
                                    const LintSettings& settings, int jobs) {
  std::vector<LintFileResult> results(files.size());
  jobs = std::clamp(jobs, 1, std::max<int>(1, static_cast<int>(files.size())));
#if FLEXARIUM_LINT_FORK
  if (jobs > 1) {
    // Each child checks every jobs-th file on a desktop of its own and
    // hands its results back as one JSON document through a pipe.
    struct Child {
      pid_t pid;
      int fd;
    };
    std::vector<Child> children;
    std::cout.flush();
    std::cerr.flush();
    for (int k = 0; k < jobs; ++k) {
      int fds[2];
      if (pipe(fds) != 0) break;
      const pid_t pid = fork();
      if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        break;
      }
      if (pid == 0) {
        close(fds[0]);
        json part = json::array();
        for (std::size_t i = k; i < files.size();
             i += static_cast<std::size_t>(jobs)) {
          part.push_back(ResultToJson(lintFile(files[i], settings)));
        }
        const std::string text = part.dump();
        std::size_t done = 0;
        while (done < text.size()) {
          const ssize_t n =
              write(fds[1], text.data() + done, text.size() - done);
          if (n < 0 && errno == EINTR) continue;
          if (n <= 0) _exit(3);
          done += static_cast<std::size_t>(n);
        }
        close(fds[1]);
        _exit(0);
      }
      close(fds[1]);
      children.push_back({pid, fds[0]});
    }
    if (static_cast<int>(children.size()) == jobs) {
      bool failed = false;
      for (int k = 0; k < jobs; ++k) {
        std::string text;
        char buffer[65536];
        for (;;) {
          const ssize_t n = read(children[k].fd, buffer, sizeof buffer);
          if (n < 0 && errno == EINTR) continue;
          if (n <= 0) break;
          text.append(buffer, static_cast<std::size_t>(n));
        }
        close(children[k].fd);
        int status = 0;
        waitpid(children[k].pid, &status, 0);
        try {
          const json part = json::parse(text);
          std::size_t i = k;
          for (const auto& item : part) {
            results[i] = ResultFromJson(item);
            i += static_cast<std::size_t>(jobs);
          }
        } catch (const json::exception&) {
          failed = true;
        }
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) failed = true;
      }
      if (!failed) return results;
    } else {
      for (auto& c : children) {
        close(c.fd);
        waitpid(c.pid, nullptr, 0);
      }
    }
    // A child that crashed: check the files here instead, one at a time.
  }
#endif
  for (std::size_t i = 0; i < files.size(); ++i) {
    results[i] = lintFile(files[i], settings);
  }
  return results;
}

// ---- The command

template <typename T, typename Parse>
std::vector<T> ParseList(const std::string& text, const char* option,
                         Parse parse) {
  std::vector<T> out;
  std::stringstream in(text);
  std::string item;
  while (std::getline(in, item, ',')) {
    const auto v = parse(item);
    if (!v) {
      throw CLI::ValidationError(std::string(option) + ": '" + item +
                                 "' is not valid in '" + text + "'");
    }
    out.push_back(*v);
  }
  if (out.empty()) {
    throw CLI::ValidationError(std::string(option) + ": no value given");
  }
  return out;
}

std::optional<int> ParseDpiValue(const std::string& s) {
  try {
    std::size_t used = 0;
    const int v = std::stoi(s, &used);
    if (used == s.size() && v >= 48 && v <= 960) return v;
  } catch (const std::exception&) {
  }
  return std::nullopt;
}

std::optional<double> ParseScaleValue(const std::string& s) {
  try {
    std::size_t used = 0;
    const double v = std::stod(s, &used);
    if (used == s.size() && v > 0 && v <= 16) return v;
  } catch (const std::exception&) {
  }
  return std::nullopt;
}

}  // namespace

void addLintCommand(CLI::App& app, int& exitCode) {
  auto* cmd = app.add_subcommand(
      "lint",
      "Show each form at each DPI and size and report text that does not "
      "fit, controls that overlap or leave their parent, seams that rounding "
      "opens and fonts too small to read.");
  cmd->footer(
      "Rules: clipped-text, overlap, outside, seam, small-font.\n"
      "Exit status: 0 no findings, 1 findings, 2 a file could not be read or "
      "bad usage (the other files are still checked).\n\n"
      "With --monitor the form opens on the monitors given (the first is "
      "the primary) instead of one screen per --dpi; with --move each scale "
      "is checked where the form opened and again after each move (the "
      "form keeps its client size times the new DPI over the old), and each "
      "finding names the DPI and monitor it was found at.\n\n"
      "A resource file (.res, .exe, .dll, .rc) is checked dialog by "
      "dialog, each made from its template with the component attached "
      "with default properties, its findings naming the dialog and the "
      "control (101.Ctl1001).\n\n"
      "Examples:\n  flexarium lint examples/forms/*.dfm\n"
      "  flexarium lint app.rc --dialog IDD_MAIN\n"
      "  flexarium lint forms/*.dfm --sarif > lint.sarif\n"
      "  flexarium lint forms/*.dfm --baseline old.json --rules "
      "clipped-text,overlap\n"
      "  flexarium lint forms/*.dfm --monitor 1920x1080@0,0:144 --monitor "
      "1920x1080@1920,0:96 --move 2300,200");
  struct Args {
    std::vector<std::string> files;
    std::string dpis = "96,120,144,168,192";
    std::string scales = "0.75,1,1.5,2";
    std::string rules;
    int minFont = 6;
    bool attach = false;
    bool json = false;
    bool sarif = false;
    std::string html;
    std::string baseline;
    int jobs = 0;
    std::vector<std::string> monitors;
    std::vector<std::string> moves;
    SearchOptions search;
    DialogOptions dialog;
  };
  auto args = std::make_shared<Args>();
  cmd->add_option("FILE", args->files,
                  "Form files (.dfm) to check; resource files, programs, DLLs "
                  "and resource scripts (.res, .exe, .dll, .rc): their "
                  "dialogs, with the component attached")
      ->required()
      ->type_name("FILE...");
  auto* dpi = cmd->add_option("--dpi", args->dpis,
                              "Screen DPIs to check at, comma-separated "
                              "(default 96,120,144,168,192)")
                  ->type_name("N,...");
  addMonitorOption(*cmd, args->monitors,
                   "--dpi: each scale is checked "
                   "on the monitor the form opens on");
  addMoveOption(*cmd, args->moves,
                "; each scale is checked again after each move, at the DPI "
                "of the monitor the form is then on");
  cmd->add_option("--scale", args->scales,
                  "Client sizes as factors of the design client size at each "
                  "DPI, comma-separated (default 0.75,1,1.5,2)")
      ->type_name("F,...");
  cmd->add_option("--rules", args->rules,
                  "Only these rules, comma-separated (default all)")
      ->type_name("RULE,...");
  cmd->add_option("--min-font", args->minFont,
                  "Smallest font size in points the small-font rule allows; "
                  "the form's MinFontSize when that is larger (default 6)")
      ->check(CLI::Range(1, 1000));
  cmd->add_flag("--attach", args->attach,
                "Put a TFlexarium with default properties on a form that has "
                "none");
  auto* json = cmd->add_flag("--json", args->json, "Print one JSON document");
  auto* sarif =
      cmd->add_flag("--sarif", args->sarif, "Print a SARIF 2.1.0 document");
  json->excludes(sarif);
  cmd->add_option("--html", args->html,
                  "Also write an HTML page: each failing case pictured with "
                  "its findings outlined")
      ->type_name("FILE");
  cmd->add_option("--baseline", args->baseline,
                  "Report only findings that an earlier --json report does "
                  "not have")
      ->type_name("FILE");
  cmd->add_option("-j,--jobs", args->jobs,
                  "Files checked in parallel (default: the number of cores)")
      ->check(CLI::Range(1, 256));
  args->search.addTo(*cmd);
  args->dialog.addTo(
      *cmd,
      "Only this dialog of each resource file, by ID, resource name or a name "
      "its header defines (default: every dialog)",
      "The dialog's language when it has several",
      "A C header whose #define lines name control and dialog IDs "
      "(repeatable)");

  cmd->callback([args, dpi, &exitCode] {
    LintSettings settings;
    settings.dpis = ParseList<int>(args->dpis, "--dpi", ParseDpiValue);
    if (!args->monitors.empty()) {
      if (dpi->count() > 0) {
        throw CLI::ValidationError(
            "--monitor gives each monitor's DPI: leave out --dpi");
      }
      if (const std::string problem = monitorsProblem(args->monitors);
          !problem.empty()) {
        throw CLI::ValidationError(problem);
      }
      for (const auto& m : args->monitors) {
        settings.monitors.push_back(*parseMonitor(m));
      }
    }
    for (const auto& m : args->moves) settings.moves.push_back(*parsePoint(m));
    settings.scales =
        ParseList<double>(args->scales, "--scale", ParseScaleValue);
    if (!args->rules.empty()) {
      for (const LintRule r : ParseList<LintRule>(
               args->rules, "--rules",
               [](const auto& s) { return parseLintRule(s); })) {
        settings.rules.insert(r);
      }
    }
    settings.minFont = args->minFont;
    settings.attach = args->attach;
    settings.pictures = !args->html.empty();
    settings.load = args->search.loadOptions(false);
    settings.dialog = args->dialog.dialog;
    if (!args->dialog.language.empty()) {
      if (args->dialog.dialog.empty()) {
        throw CLI::ValidationError(
            "--lang picks the language of the dialog --dialog names");
      }
      settings.language = parseLanguage(args->dialog.language);
    }
    settings.script = args->dialog.script;
    settings.headers = args->dialog.headers;
    std::set<std::string> baseline;
    if (!args->baseline.empty()) {
      try {
        baseline = readBaseline(args->baseline);
      } catch (const flx::Exception& e) {
        std::cerr << e.what() << "\n";
        exitCode = 2;
        return;
      }
    }
    const int jobs =
        args->jobs > 0
            ? args->jobs
            : std::max(1,
                       static_cast<int>(std::thread::hardware_concurrency()));
    auto results = LintAll(args->files, settings, jobs);
    bool errors = false;
    bool findings = false;
    for (auto& r : results) {
      if (!baseline.empty()) {
        std::erase_if(r.findings, [&](const LintFinding& f) {
          return baseline.count(f.key()) != 0;
        });
      }
      errors = errors || !r.error.empty();
      findings = findings || !r.findings.empty();
    }
    if (args->json) {
      std::cout << lintToJson(results).dump(2) << "\n";
    } else if (args->sarif) {
      std::cout << lintToSarif(results).dump(2) << "\n";
    } else {
      std::cout << lintToText(results);
    }
    for (const auto& r : results) {
      for (const auto& note : r.notes) std::cerr << note << "\n";
      if (!r.error.empty() && (args->json || args->sarif)) {
        std::cerr << r.error << "\n";
      }
    }
    if (!args->html.empty()) {
      std::ofstream out(args->html, std::ios::binary | std::ios::trunc);
      out << lintToHtml(results);
      out.close();
      if (!out) {
        std::cerr << args->html << ": cannot write the file\n";
        errors = true;
      }
    }
    exitCode = errors ? 2 : findings ? 1 : 0;
  });
}

}  // namespace flexarium_cli
