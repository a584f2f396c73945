// The scenario runner: a checked script's commands carried out one by one
// against a form on its own simulated desktop (a Session), with the
// expectations compared, the layouts printed and the pictures written.
#include "scenario_runner.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <ostream>
#include <sstream>

#include "attach_options.h"
#include "flexarium/form_text.h"
#include "flexarium/formfile.h"
#include "flexarium/stdctrls.h"
#include "form_input.h"
#include "number.h"
#include "options.h"
#include "render.h"
#include "report.h"
#include "scenario_language.h"
#include "simulation.h"

namespace flexarium_cli {

namespace fs = std::filesystem;

// The name Attach gives the component on a dialog.
constexpr const char* kDialogComponent = "Flexarium1";

class Runner {
 public:
  Runner(std::string file, const ScenarioOptions& options, std::ostream& out,
         std::ostream& err)
      : file_(std::move(file)), options_(options), out_(out), err_(err) {
    fs::path dir = pathOf(file_).parent_path();
    dir_ = dir.empty() ? fs::path(".") : dir;
  }

  // Stops at the first error; failed expects only count.
  ScenarioResult run(const std::vector<ScenarioLine>& lines) {
    for (const ScenarioLine& line : lines) {
      if (!step(line)) break;
    }
    return result_;
  }

  // One line; false when the script stops at an error there. A `try` line
  // goes on past what the script or the framework refuses, never past an
  // error inside the window procedure.
  bool step(const ScenarioLine& line) {
    line_ = line.number;
    std::string error;
    try {
      execute(line);
    } catch (const ScenarioError& e) {
      if (!line.tolerant) {
        err_ << e.what() << "\n";
        result_.error = true;
        return false;
      }
    } catch (const flx::Exception& e) {
      if (!line.tolerant) error = e.what();
    } catch (const std::exception& e) {
      error = std::string("internal error: ") + e.what();
    }
    if (error.empty() && session_) {
      for (const std::string& e : session_->takeErrors()) {
        error = "error inside the form's window procedure: " + e;
        break;
      }
    }
    if (!error.empty()) {
      err_ << where() << error << "\n";
      result_.error = true;
      return false;
    }
    return true;
  }

  Session* current() const { return session_.get(); }
  const ScenarioResult& result() const { return result_; }

 private:
  [[noreturn]] void fail(const std::string& message) {
    throw ScenarioError(where() + message);
  }

  std::string where() const {
    return file_ + ":" + std::to_string(line_) + ": ";
  }

  std::string resolve(const std::string& path) const {
    fs::path p = pathOf(path);
    if (p.is_absolute()) return nameOf(p);
    return nameOf((dir_ / p).lexically_normal());
  }

  Session& session() {
    if (!session_) fail("no form is loaded");
    return *session_;
  }

  void execute(const ScenarioLine& line) {
    const std::string& cmd = line.command;
    const auto& a = line.args;
    const bool step = cmd != "expect" && cmd != "print" && cmd != "svg";
    if (step && session_) session_->beginStep();
    if (cmd == "screen") {
      if (!settings_.monitors.empty()) {
        fail("screen: the monitors are given by monitor lines");
      }
      Size size = *parseSize(a[0]);
      settings_.screen = size;
      if (session_) session_->setScreenSize(size);
    } else if (cmd == "dpi") {
      if (!settings_.monitors.empty()) {
        fail("dpi: each monitor line gives its monitor's DPI");
      }
      settings_.dpi = *parseDpi(a[0]);
      dpiSet_ = true;
    } else if (cmd == "monitor") {
      if (dpiSet_)
        fail("monitor: each monitor line gives its DPI; leave out dpi");
      settings_.monitors.push_back(*parseMonitor(a[0]));
      const std::string problem = checkMonitors(settings_.monitors);
      if (!problem.empty()) fail("monitor: " + problem);
      const auto& primary = settings_.monitors[0];
      settings_.screen = Size{primary.rect.right - primary.rect.left,
                              primary.rect.bottom - primary.rect.top};
      settings_.dpi = Size{primary.dpi, primary.dpi};
    } else if (cmd == "awareness") {
      settings_.awareness = *parseAwareness(a[0]);
    } else if (cmd == "monitordpi") {
      session().setMonitorDpi(*parseInt(a[0], 0, 99),
                              *parseInt(a[1], 1, 10000));
    } else if (cmd == "taskbar") {
      settings_.taskbar = *parseTaskbar(a[0]);
      if (session_) session_->setTaskbar(settings_.taskbar);
    } else if (cmd == "windows") {
      settings_.windows = *parseWindowsVersion(a[0]);
    } else if (cmd == "locale") {
      settings_.locale = *parseLocale(a[0]);
    } else if (cmd == "composition") {
      settings_.composition = *parseOnOff(a[0]);
    } else if (cmd == "frame") {
      settings_.frame = *parseFrame(a[0]);
    } else if (cmd == "search") {
      std::string dir = resolve(a[0]);
      std::error_code ec;
      if (!fs::is_directory(pathOf(dir), ec)) fail(dir + ": no such folder");
      loadOptions_.searchDirs.push_back(dir);
    } else if (cmd == "ancestor") {
      auto eq = a[0].find('=');
      loadOptions_.ancestors[a[0].substr(0, eq)] = resolve(a[0].substr(eq + 1));
    } else if (cmd == "header") {
      headers_.push_back(resolve(a[0]));
    } else if (cmd == "include") {
      std::string dir = resolve(a[0]);
      std::error_code ec;
      if (!fs::is_directory(pathOf(dir), ec)) fail(dir + ": no such folder");
      script_.includeDirs.push_back(dir);
    } else if (cmd == "define") {
      script_.defines.push_back(a[0]);
    } else if (cmd == "dialog") {
      formFile_ = resolve(a[0]);
      session_ = std::make_unique<Session>(settings_);
      DialogRequest request;
      request.file = formFile_;
      request.dialog = a[1];
      if (a.size() > 2) request.language = parseLanguage(a[2]);
      request.headers = headers_;
      request.script = script_;
      session_->loadDialog(request);
    } else if (cmd == "load") {
      formFile_ = resolve(a[0]);
      session_ = std::make_unique<Session>(settings_);
      loadOptions_.designing = false;
      loadOptions_.warn = [this](const std::string& message) {
        err_ << where() << message << " (warning)\n";
      };
      session_->load(formFile_, loadOptions_);
    } else if (cmd == "show") {
      session().show();
    } else if (cmd == "client") {
      session().setClientSize(*parseDims(a[0]));
    } else if (cmd == "outer") {
      session().setOuterSize(*parseDims(a[0]));
    } else if (cmd == "move") {
      session().moveTo(*parseInt(a[0], -kDistanceLimit, kDistanceLimit),
                       *parseInt(a[1], -kDistanceLimit, kDistanceLimit));
    } else if (cmd == "drag") {
      const EdgeName* edge = findEdge(a[0]);
      int d1 = *parseInt(a[1], -kDistanceLimit, kDistanceLimit);
      int d2 =
          a.size() > 2 ? *parseInt(a[2], -kDistanceLimit, kDistanceLimit) : 0;
      if (edge->distances == 1 && edge->vertical) std::swap(d1, d2);
      session().drag(edge->code, d1, d2);
    } else if (cmd == "scale") {
      session().setScale(*parseScale(a[0]));
    } else if (cmd == "attach") {
      if (session().isDialog()) {
        session().attachDialog();
      } else {
        session().attach();
      }
    } else if (cmd == "maximize") {
      session().maximize();
    } else if (cmd == "minimize") {
      session().minimize();
    } else if (cmd == "restore") {
      session().restore();
    } else if (cmd == "set") {
      setProperty(*splitSet(line.rest));
    } else if (cmd == "create") {
      std::string error;
      create(*parseCreate(a, error));
    } else if (cmd == "destroy") {
      destroy(a[0]);
    } else if (cmd == "dynamicadd" || cmd == "dynamicdelete") {
      flx::TFlexarium& f = flexarium(a.empty() ? "" : a[0]);
      if (cmd == "dynamicadd") {
        f.DynamicAdd();
      } else {
        f.DynamicDelete();
      }
    } else if (cmd == "expect") {
      expect(line);
    } else if (cmd == "print") {
      StepLayout step = session().capture(action_);
      ++prints_;
      if (!a.empty()) {
        out_ << stepToJson(step).dump(2) << "\n";
      } else {
        out_ << formatStep(step, prints_);
      }
    } else if (cmd == "svg") {
      writeSvg(a[0]);
    }
    if (step) {
      action_ = line.command + (line.rest.empty() ? "" : " " + line.rest) +
                " (line " + std::to_string(line.number) + ")";
    }
  }

  // ---- set

  void setProperty(const SetLine& s) {
    std::vector<std::string> parts = splitOn(s.path, '.');
    if (session().isDialog() && !session().dialogAttached()) {
      // The options the component will be attached with.
      if (parts.size() != 2 || !flx::SameText(parts[0], kDialogComponent)) {
        fail(std::string("set: the dialog is not attached yet; before attach "
                         "only the component's properties are set (") +
             kDialogComponent +
             ".PROPERTY), as the options it is attached "
             "with");
      }
      try {
        setAttachOption(session().dialogOptions(), parts[1],
                        parseValue(s.value));
      } catch (const flx::Exception& e) {
        fail(s.path + ": " + e.Message());
      }
      return;
    }
    flx::TComponent* c = component(parts[0]);
    std::size_t i = 1;
    while (i + 1 < parts.size()) {
      flx::TComponent* owned = c->FindComponent(parts[i]);
      if (owned == nullptr) break;
      c = owned;
      ++i;
    }
    flx::TPersistent* object = c;
    const flx::TPropInfo* info = nullptr;
    for (; i < parts.size(); ++i) {
      info = flx::GetPropInfo(*object, parts[i]);
      if (info == nullptr) {
        fail(object->ClassName() + " has no published property '" + parts[i] +
             "'");
      }
      if (i + 1 < parts.size()) {
        if (info->Kind != flx::TTypeKind::Class || !info->GetObject) {
          fail(s.path + ": " + parts[i] + " has no properties of its own");
        }
        object = info->GetObject(*object);
        if (object == nullptr) fail(s.path + ": " + parts[i] + " is nil");
      }
    }
    if (info->Kind == flx::TTypeKind::Class) {
      fail(s.path + ": set one of its properties, e.g. " + s.path + ".Size");
    }
    if (info->Kind == flx::TTypeKind::Method) {
      fail(s.path + ": an event cannot be set from a scenario");
    }
    if (!info->Set) fail(s.path + " is read-only");
    flx::FormValue value = parseValue(s.value);
    // A dialog's controls are named in the exclusion lists as when the
    // component was attached: by control ID, header name or window class.
    if (session().isDialog() && dynamic_cast<flx::TFlexarium*>(object) &&
        (flx::SameText(info->Name, "NoResizeCtl") ||
         flx::SameText(info->Name, "NoResizeFntCtl")) &&
        value.kind == flx::FormValue::Kind::String) {
      value = flx::FormValue::Utf8(
          session().dialogExclusions(flx::Utf16ToUtf8(value.str)));
    }
    try {
      info->Set(*object, value);
    } catch (const flx::Exception& e) {
      fail(s.path + ": " + e.Message());
    }
  }

  // ---- create and destroy

  flx::TComponent* component(const std::string& path) {
    flx::TComponent* c = session().find(path);
    if (c == nullptr) fail("no component named '" + path + "' on the form");
    return c;
  }

  flx::TFlexarium& flexarium(const std::string& name) {
    if (name.empty()) {
      flx::TFlexarium* f = session().component();
      if (f == nullptr) fail("the form has no TFlexarium");
      return *f;
    }
    auto* f = dynamic_cast<flx::TFlexarium*>(component(name));
    if (f == nullptr) fail("'" + name + "' is not a TFlexarium");
    return *f;
  }

  // The form file beside the form (or in a search folder) whose root is of
  // class `className`.
  std::string frameFile(const std::string& className) {
    std::vector<fs::path> dirs{pathOf(formFile_).parent_path()};
    if (dirs[0].empty()) dirs[0] = ".";
    for (const auto& d : loadOptions_.searchDirs) dirs.push_back(pathOf(d));
    for (const fs::path& dir : dirs) {
      std::error_code ec;
      std::vector<fs::path> files;
      for (const auto& entry : fs::directory_iterator(dir, ec)) {
        // Opening a named pipe would wait for a writer.
        if (!entry.is_regular_file(ec)) continue;
        std::string ext = flx::LowerCase(nameOf(entry.path().extension()));
        if (ext == ".dfm" || ext == ".lfm" || ext == ".fmx") {
          files.push_back(entry.path());
        }
      }
      std::sort(files.begin(), files.end());
      for (const fs::path& f : files) {
        std::ifstream in(f, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        try {
          auto doc = flx::ParseFormText(text.str(), nameOf(f));
          if (flx::SameText(doc->className, className)) return nameOf(f);
        } catch (const flx::Exception&) {
          // A file that does not parse is not the frame asked for.
        }
      }
    }
    return {};
  }

  void create(const CreateLine& c) {
    if (session().isDialog()) {
      fail(
          "create: a dialog's controls are its template's windows; "
          "nothing is added to it");
    }
    flx::TCustomForm& form = session().form();
    flx::RegisterStandardClasses();
    const flx::TClassInfo* cls = flx::FindClass(c.className);
    if (cls != nullptr && cls->InheritsFrom(flx::TFlexarium::StaticClass())) {
      if (!c.parent.empty() || !c.bounds.empty()) {
        fail("a TFlexarium takes no parent and no bounds");
      }
      std::unique_ptr<flx::TComponent> made(cls->Factory(nullptr));
      if (!c.name.empty()) made->SetName(c.name);
      form.InsertComponent(made.get());
      auto* f = static_cast<flx::TFlexarium*>(made.release());
      f->Start();
      session().watchComponents();
      return;
    }
    std::unique_ptr<flx::TComponent> made;
    const bool frame =
        cls == nullptr || cls->InheritsFrom(flx::TCustomFrame::StaticClass());
    if (frame) {
      std::string path = frameFile(c.className);
      if (path.empty()) {
        fail("no form file beside the form or in a search folder declares " +
             c.className +
             (cls == nullptr ? ", and the class is unknown" : ""));
      }
      flx::FormLoadOptions options = loadOptions_;
      made = flx::LoadFormFile(path, options);
      if (dynamic_cast<flx::TCustomFrame*>(made.get()) == nullptr) {
        fail(path + " declares " + c.className + " but it is not a frame");
      }
    } else {
      if (!cls->InheritsFrom(flx::TControl::StaticClass())) {
        fail(c.className + " is not a control");
      }
      const flx::TClassInfo* make = cls;
      while (!make->Factory && make->Parent != nullptr) make = make->Parent;
      if (!make->Factory) fail(c.className + " cannot be created");
      made.reset(make->Factory(nullptr));
    }
    if (!c.name.empty()) made->SetName(c.name);
    flx::TWinControl* parent = &form;
    if (!c.parent.empty()) {
      parent = dynamic_cast<flx::TWinControl*>(component(c.parent));
      if (parent == nullptr) fail("'" + c.parent + "' cannot hold controls");
    }
    // Owned by the form, as Create(Self) in the form's code does.
    form.InsertComponent(made.get());
    auto* control = static_cast<flx::TControl*>(made.release());
    control->SetParent(parent);
    if (!c.bounds.empty()) {
      const int w = c.bounds.size() == 4 ? c.bounds[2] : control->Width();
      const int h = c.bounds.size() == 4 ? c.bounds[3] : control->Height();
      control->SetBounds(c.bounds[0], c.bounds[1], w, h);
    }
  }

  void destroy(const std::string& name) {
    if (session().isDialog()) {
      fail(
          "destroy: a dialog's controls are its template's windows; none "
          "is destroyed");
    }
    flx::TComponent* c = component(name);
    if (c == &session().form()) fail("the form itself cannot be destroyed");
    delete c;
  }

  // ---- expect

  struct Check {
    std::string key;
    std::string want;
    std::string got;
    bool ok = true;
  };

  static std::string dims(int w, int h) {
    return std::to_string(w) + "x" + std::to_string(h);
  }

  void expect(const ScenarioLine& line) {
    const std::string& target = line.args[0];
    std::vector<Check> checks;
    std::optional<std::string> missing;
    if (flx::SameText(target, "factors")) {
      checks = factorChecks(line);
    } else {
      flx::TComponent* c = session().find(target);
      if (c == nullptr) {
        missing = "no component named " + target;
      } else if (c == &session().form()) {
        checks = formChecks(line);
      } else if (auto* control = dynamic_cast<flx::TControl*>(c)) {
        checks = controlChecks(line, *control);
      } else {
        fail(target + " is a " + c->ClassName() +
             ", not a control; expect checks controls, the form and factors");
      }
    }
    ++result_.expects;
    std::string want, got;
    bool ok = !missing;
    for (const Check& k : checks) {
      if (k.ok) continue;
      ok = false;
      want += " " + k.key + "=" + k.want;
      got += (got.empty() ? "" : " ") + k.key + "=" + k.got;
    }
    if (ok) return;
    ++result_.failed;
    if (missing) {
      std::string all;
      for (std::size_t i = 1; i < line.args.size(); ++i) {
        all += " " + line.args[i];
      }
      err_ << where() << "expected " << target << all << ", got " << *missing
           << "\n";
      return;
    }
    err_ << where() << "expected " << target << want << ", got " << got << "\n";
  }

  template <typename Value>
  void eachKey(const ScenarioLine& line, bool factors, Value value,
               std::vector<Check>& out) {
    for (std::size_t i = 1; i < line.args.size(); ++i) {
      const std::string& arg = line.args[i];
      auto eq = arg.find('=');
      Check k;
      k.key = flx::LowerCase(arg.substr(0, eq));
      k.want = arg.substr(eq + 1);
      const KeyInfo* info = findKey(k.key, factors);
      value(*info, k);
      out.push_back(std::move(k));
    }
  }

  static void compareInt(Check& k, int got) {
    k.got = std::to_string(got);
    k.ok = *parseInt(k.want, -kDistanceLimit, kDistanceLimit) == got;
  }

  // Sizes in order; "none" for a control that has no such sizes.
  static void compareList(Check& k,
                          const std::optional<std::vector<int>>& got) {
    if (!got) {
      k.got = "none";
      k.ok = false;
      return;
    }
    k.got.clear();
    for (std::size_t i = 0; i < got->size(); ++i) {
      k.got += (i ? "," : "") + std::to_string((*got)[i]);
    }
    k.ok = *parseIntList(k.want) == *got;
  }

  static void compareText(Check& k, const std::string& got) {
    k.got = got;
    k.ok = flx::SameText(k.want, got);
  }

  static void compareBounds(Check& k, int l, int t, int w, int h) {
    k.got = std::to_string(l) + "," + std::to_string(t) + "," +
            std::to_string(w) + "," + std::to_string(h);
    // Compared as numbers, so that "+5" or "05" match 5.
    auto parts = splitOn(k.want, ',');
    const int got[] = {l, t, w, h};
    k.ok = parts.size() == 4;
    for (std::size_t i = 0; k.ok && i < 4; ++i) {
      k.ok = *parseInt(parts[i], -kDistanceLimit, kDistanceLimit) == got[i];
    }
  }

  static void compareDims(Check& k, int w, int h) {
    Size want = *parseDims(k.want);
    k.got = dims(w, h);
    k.ok = want.width == w && want.height == h;
  }

  static void compareFont(Check& k, std::optional<int> got) {
    k.got = got ? std::to_string(*got) : "none";
    k.ok = flx::SameText(k.want, "none")
               ? !got
               : got && *parseInt(k.want, -1000, 1000) == *got;
  }

  std::vector<Check> controlChecks(const ScenarioLine& line, flx::TControl& c) {
    std::vector<Check> out;
    const bool hasFont = flx::GetPropInfo(c, "Font") != nullptr;
    eachKey(
        line, false,
        [&](const KeyInfo& info, Check& k) {
          if (!info.control) {
            fail("expect: '" + k.key + "' is for the form, not for a control");
          }
          const std::string key = info.name;
          const ShownBounds b = shownBounds(c);
          if (key == "left") compareInt(k, b.left);
          if (key == "top") compareInt(k, b.top);
          if (key == "width") compareInt(k, b.width);
          if (key == "height") compareInt(k, b.height);
          if (key == "size") compareDims(k, b.width, b.height);
          if (key == "bounds") {
            compareBounds(k, b.left, b.top, b.width, b.height);
          }
          if (key == "font") {
            compareFont(k, hasFont ? std::optional<int>(c.Font().Size())
                                   : std::nullopt);
          }
          if (key == "fontheight") compareInt(k, c.Font().Height());
          if (key == "parentfont") {
            compareText(k, c.ParentFont() ? "true" : "false");
            k.ok = *parseBool(k.want) == c.ParentFont();
          }
          if (key == "visible") {
            compareText(k, c.Visible() ? "true" : "false");
            k.ok = *parseBool(k.want) == c.Visible();
          }
          if (key == "parent") {
            compareText(k, c.Parent() != nullptr ? c.Parent()->Name() : "none");
          }
          if (key == "columns") {
            compareList(k, readControlLayout(c, 0).columnWidths);
          }
          if (key == "colwidths" || key == "rowheights") {
            // Every size is expected: as many as the grid has.
            const ControlLayout l = readControlLayout(c, 0);
            const auto& sizes = key == "colwidths" ? l.colWidths : l.rowHeights;
            const std::size_t wanted = parseIntList(k.want)->size();
            if (sizes && !sizes->all(wanted)) {
              k.got = sizes->describe(wanted);
              k.ok = false;
            } else {
              compareList(k, sizes ? sizes->all(wanted) : std::nullopt);
            }
          }
        },
        out);
    return out;
  }

  std::vector<Check> formChecks(const ScenarioLine& line) {
    std::vector<Check> out;
    StepLayout now = session().capture(action_);
    const FormLayout& f = now.form;
    const int w = f.window.right - f.window.left;
    const int h = f.window.bottom - f.window.top;
    eachKey(
        line, false,
        [&](const KeyInfo& info, Check& k) {
          if (!info.form) {
            fail("expect: '" + k.key + "' is for a control, not for the form");
          }
          const std::string key = info.name;
          if (key == "left") compareInt(k, f.window.left);
          if (key == "top") compareInt(k, f.window.top);
          if (key == "width") compareInt(k, w);
          if (key == "height") compareInt(k, h);
          if (key == "size") compareDims(k, w, h);
          if (key == "bounds")
            compareBounds(k, f.window.left, f.window.top, w, h);
          if (key == "client") compareDims(k, f.clientWidth, f.clientHeight);
          if (key == "clientwidth") compareInt(k, f.clientWidth);
          if (key == "clientheight") compareInt(k, f.clientHeight);
          if (key == "font") compareFont(k, f.fontSize);
          if (key == "fontheight") compareInt(k, f.fontHeight);
          if (key == "dpi") compareInt(k, now.dpi);
          if (key == "monitor") compareInt(k, now.monitor);
          if (key == "state") compareText(k, f.state);
          if (key == "visible") {
            compareText(k, f.shown ? "true" : "false");
            k.ok = *parseBool(k.want) == f.shown;
          }
        },
        out);
    return out;
  }

  std::vector<Check> factorChecks(const ScenarioLine& line) {
    std::vector<Check> out;
    std::optional<Factors> factors =
        session_ ? session_->lastFactors() : std::nullopt;
    eachKey(
        line, true,
        [&](const KeyInfo& info, Check& k) {
          const std::string key = info.name;
          if (!factors) {
            k.got = "none (no rescale pass yet)";
            k.ok = false;
            return;
          }
          const double got = key == "x"   ? factors->x
                             : key == "y" ? factors->y
                                          : factors->font();
          Decimal want = *parseDecimal(k.want);
          k.got = fixedNumber(got, std::max(want.decimals, 4));
          k.ok = std::fabs(got - want.value) <= want.tolerance;
        },
        out);
    return out;
  }

  // ---- svg

  void writeSvg(const std::string& name) {
    StepLayout step = session().capture(action_);
    ++pictures_;
    fs::path path = pathOf(options_.outputDir) / pathOf(name);
    std::error_code ec;
    if (path.has_parent_path()) fs::create_directories(path.parent_path(), ec);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << renderSvg(step, pictures_);
    out.close();
    if (!out) fail(nameOf(path) + ": cannot write the file");
  }

  std::string file_;
  ScenarioOptions options_;
  std::ostream& out_;
  std::ostream& err_;
  fs::path dir_;
  int line_ = 0;
  ScreenSettings settings_;
  bool dpiSet_ = false;
  flx::FormLoadOptions loadOptions_;
  std::vector<std::string> headers_;
  ScriptOptions script_;  // a resource script's -I and -D
  std::string formFile_;
  std::unique_ptr<Session> session_;
  std::string action_ = "start";
  int prints_ = 0;
  int pictures_ = 0;
  ScenarioResult result_;
};

ScenarioStepper::ScenarioStepper(std::string file,
                                 const ScenarioOptions& options,
                                 std::ostream& out, std::ostream& err)
    : runner_(std::make_unique<Runner>(std::move(file), options, out, err)) {}

ScenarioStepper::~ScenarioStepper() = default;

bool ScenarioStepper::step(const ScenarioLine& line) {
  return runner_->step(line);
}

Session* ScenarioStepper::session() { return runner_->current(); }

const ScenarioResult& ScenarioStepper::result() const {
  return runner_->result();
}

ScenarioResult runScenario(const std::string& file,
                           const ScenarioOptions& options, std::ostream& out,
                           std::ostream& err) {
  ScenarioResult result;
  std::error_code ec;
  if (fs::is_directory(pathOf(file), ec)) {
    err << file << ": is a folder, not a scenario file\n";
    result.error = true;
    return result;
  }
  std::ifstream in(pathOf(file), std::ios::binary);
  if (!in) {
    err << file << ": cannot open the file\n";
    result.error = true;
    return result;
  }
  std::ostringstream text;
  text << in.rdbuf();
  try {
    std::vector<ScenarioLine> lines = parseScenario(text.str(), file);
    Runner runner(file, options, out, err);
    result = runner.run(lines);
  } catch (const ScenarioError& e) {
    err << e.what() << "\n";
    result.error = true;
  }
  return result;
}

}  // namespace flexarium_cli
