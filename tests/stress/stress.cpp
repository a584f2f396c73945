// flexarium_stress: random use of forms on the simulated desktop, with the
// component's invariants checked after every step.
//
// Each scenario is a script in the scenario language (docs/scenarios.md),
// made up as it runs from a seed: a form (an example or a generated one)
// on a random screen, then hundreds of random steps. After each step:
//   - no window or control has a negative size;
//   - the last rescale pass's factors are those of the form's client size;
//   - after a rescale pass, every control the pass sets stands at its
//     recorded base times the pass's factors, rounded half up, a 0 lifted
//     to 1;
//   - when those factors are exactly 1, every control of the form file
//     stands at its design bounds (with the same lift of a 0);
//   - a form moved onto a monitor of another DPI, changed only in its
//     size, place and state since it was loaded, equals the same form
//     opened on a screen of that DPI at that client size;
// and when the form is freed, no framework object is left (LiveObjectCount)
// and no window.
// Controls whose bounds the framework changes by itself after the pass are
// not compared: aligned ones, those anchored other than left and top, those
// with size constraints, and what an aligned or constrained control holds
// is compared as it stands relative to its parent, which the pass sets.
//
// Every scenario runs in a child process, so that a crash or a sanitizer
// report is a failure like any other. A failing script is cut down by delta
// debugging over its steps (each try in a child of its own) and written as
// a scenario file that `flexarium run` replays and `flexarium_stress
// --replay FILE` checks.
//
// Sections:
//   Options            the command line
//   Random choices     a seeded generator and its helpers
//   Forms              the example forms and the generated ones
//   Invariants         the checks after each step
//   Running a script   one scenario in-process, line by line
//   Making steps       the random steps, from the state of the form
//   Child processes    a scenario or a replay in a child, its outcome
//   Shrinking          delta debugging over the steps
//   Main
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "flexarium/column_sizes.h"
#include "flexarium/comctrls.h"
#include "flexarium/flexarium.h"
#include "flexarium/forms.h"
#include "flexarium/stdctrls.h"
#include "flexarium/winapi.h"
#include "scenario_language.h"
#include "scenario_runner.h"
#include "simulation.h"
#include "unit/rounding.h"
#include "unit/unit_private.h"

namespace flx {

// The component's records and factors, as the checks read them.
struct TFlexariumAccess {
  static TFlexarium::Impl& of(TFlexarium& f) { return TFlexarium::Impl::Of(f); }
  // A size limit at the current DPI, as the drag is held to it.
  static int LimitW(TFlexarium& f, int v) { return of(f).LimitW(v); }
  static int LimitH(TFlexarium& f, int v) { return of(f).LimitH(v); }
  static PCtrlInfo Record(TFlexarium& f, const TComponent* c) {
    return of(f).FindCtrlOf(c);
  }
  static PCtrlInfo ChildRecord(TFlexarium& f, const TComponent& frame,
                               const TComponent& c) {
    return of(f).FindChildCtrl(frame.Name(), c.Name());
  }
  static bool Excluded(TFlexarium& f, const std::string& name) {
    return of(f).Excluded(name);
  }
  static double ScaleX(TFlexarium& f) { return of(f).FPrevScaleX; }
  static double ScaleY(TFlexarium& f) { return of(f).FPrevScaleY; }
  static int OwnerWidth(TFlexarium& f) { return of(f).FOwnerWidth; }
  static int OwnerHeight(TFlexarium& f) { return of(f).FOwnerHeight; }
  static int DesignDpiW(TFlexarium& f) { return of(f).FDesignDpiW; }
  static int DesignDpiH(TFlexarium& f) { return of(f).FDesignDpiH; }
  static int RunDpiW(TFlexarium& f) { return of(f).FRunDpiW; }
  static int RunDpiH(TFlexarium& f) { return of(f).FRunDpiH; }
  static bool FontExcluded(TFlexarium& f, const std::string& name) {
    return of(f).FontExcluded(name);
  }
  static int OwnerFontSize(TFlexarium& f) {
    return of(f).FOwnerFont ? of(f).FOwnerFont->Size() : 0;
  }
};

}  // namespace flx

namespace flexarium_stress {

namespace fs = std::filesystem;
namespace win = flx::win;
using flexarium_cli::ScenarioLine;
using flx::TFlexariumAccess;

// Whether the session has a form the checks can look at: a dialog only once
// the component is attached to it (its windows enter the framework then).
bool hasForm(const flexarium_cli::Session& s) {
  return s.loaded() && (!s.isDialog() || s.dialogAttached());
}

// ---- Options

struct Options {
  std::uint64_t seed = 1;
  int scenarios = 20;
  int steps = 300;
  std::string forms;  // the example forms
  std::string work;   // generated forms and reproducers
  std::string replay;
  bool verbose = false;
};

constexpr const char* kUsage =
    "usage: flexarium_stress --forms DIR [--seed N] [--scenarios N] "
    "[--steps N] [--work DIR] [--verbose]\n"
    "       flexarium_stress --replay FILE\n";

[[noreturn]] void usage(const std::string& error) {
  std::cerr << "flexarium_stress: " << error << "\n" << kUsage;
  std::exit(2);
}

[[noreturn]] void help() {
  std::cout
      << "flexarium_stress: random scenarios on the simulated desktop, with "
         "the invariants\nchecked after every step\n\n"
      << kUsage
      << "\n  --forms DIR      the form files to load (and generated ones)\n"
         "  --seed N         seed of the run; scenario i takes one made "
         "from N and i\n"
         "                   (default 1)\n"
         "  --scenarios N    how many scenarios to run (default 20)\n"
         "  --steps N        random steps in each scenario (default "
         "300)\n"
         "  --work DIR       where generated forms and reproducers go "
         "(default: a\n"
         "                   folder in the temporary directory)\n"
         "  --verbose        name every scenario as it runs\n"
         "  --replay FILE    run a reproducer (a scenario file) with the "
         "invariants\n"
         "                   checked\n\n"
         "A failure is shrunk to a short scenario, written under "
         "DIR/failures and\nprinted; the exit status is 1 when any "
         "scenario failed.\n";
  std::exit(0);
}

Options parseOptions(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) usage(a + " needs a value");
      return argv[++i];
    };
    auto number = [&]() -> long long {
      const std::string v = value();
      char* end = nullptr;
      const long long n = std::strtoll(v.c_str(), &end, 10);
      if (v.empty() || *end != '\0' || n < 0) {
        usage(a + ": '" + v + "' is not a whole number");
      }
      return n;
    };
    if (a == "--seed") {
      o.seed = static_cast<std::uint64_t>(number());
    } else if (a == "--scenarios") {
      o.scenarios = static_cast<int>(number());
    } else if (a == "--steps") {
      o.steps = static_cast<int>(number());
    } else if (a == "--forms") {
      o.forms = value();
    } else if (a == "--work") {
      o.work = value();
    } else if (a == "--replay") {
      o.replay = value();
    } else if (a == "--verbose") {
      o.verbose = true;
    } else if (a == "--help" || a == "-h") {
      help();
    } else {
      usage("unknown option '" + a + "'");
    }
  }
  if (o.replay.empty() && o.forms.empty()) usage("--forms is required");
  if (o.work.empty()) {
    o.work = (fs::temp_directory_path() /
              ("flexarium_stress_" + std::to_string(::getpid())))
                 .string();
  }
  return o;
}

// ---- Random choices

class Random {
 public:
  explicit Random(std::uint64_t seed) : engine_(seed) {}
  int between(int lo, int hi) {
    return std::uniform_int_distribution<int>(lo, hi)(engine_);
  }
  bool chance(int percent) { return between(1, 100) <= percent; }
  template <typename T>
  const T& pick(const std::vector<T>& items) {
    return items[static_cast<std::size_t>(
        between(0, static_cast<int>(items.size()) - 1))];
  }
  // A size from nothing to the largest a script may give, mostly ordinary.
  int size() {
    switch (between(0, 9)) {
      case 0:
        return between(0, 8);
      case 1:
        return between(9, 120);
      case 2:
        return between(20000, flexarium_cli::kDistanceLimit);
      default:
        return between(120, 2600);
    }
  }
  // A value a form file or a property write may carry: now and then one
  // at the ends of the Integer range.
  int extreme(int usual) {
    if (!chance(4)) return usual;
    return pick(
        std::vector<int>{2147483647, -2147483647 - 1, 65535, 65536, -65536});
  }
  int distance() {
    return chance(10) ? between(-5000, 5000) : between(-300, 300);
  }

 private:
  std::mt19937_64 engine_;
};

std::uint64_t scenarioSeed(std::uint64_t seed, int index) {
  // splitmix64: neighbouring indexes give unrelated generators.
  std::uint64_t z = seed * 0x9E3779B97F4A7C15ull + static_cast<unsigned>(index);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

// ---- Forms

void writeFile(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  if (!out) {
    std::cerr << "flexarium_stress: cannot write " << path << "\n";
    std::exit(2);
  }
}

std::string control(const std::string& cls, const std::string& name, int l,
                    int t, int w, int h, const std::string& extra = "",
                    const std::string& indent = "  ") {
  return indent + "object " + name + (name.empty() ? "" : ": ") + cls + "\n" +
         indent + "  Left = " + std::to_string(l) + "\n" + indent +
         "  Top = " + std::to_string(t) + "\n" + indent +
         "  Width = " + std::to_string(w) + "\n" + indent +
         "  Height = " + std::to_string(h) + "\n" + extra + indent + "end\n";
}

// Generated forms beside the examples: what the examples lack (zero and
// odd bounds, unnamed controls, alignment, anchors, constraints, a frame in
// a frame, a form designed at 144 DPI, fonts in points or the parent's, an
// inherited form without its ancestor, no component at all).
void writeGeneratedForms(const fs::path& dir) {
  fs::create_directories(dir);
  writeFile(dir / "gen_frame.dfm",
            "object GenFrame: TGenFrame\n  Left = 0\n  Top = 0\n"
            "  Width = 200\n  Height = 60\n" +
                control("TEdit", "edInner", 4, 4, 120, 21) +
                control("TButton", "btInner", 130, 4, 60, 25) + "end\n");
  std::string odd =
      "object OddForm: TOddForm\n  Left = 10\n  Top = 10\n"
      "  Caption = 'Odd'\n  ClientHeight = 301\n  ClientWidth = 397\n"
      "  Font.Height = -11\n  Font.Name = 'Tahoma'\n  PixelsPerInch = 96\n"
      "  TextHeight = 13\n";
  odd += control("TButton", "btZero", 0, 0, 0, 0);
  odd += control("TLabel", "lbTiny", 1, 1, 1, 1, "    Caption = 'x'\n");
  odd += control("TEdit", "", 5, 40, 100, 21);
  odd += control("TEdit", "", 5, 70, 100, 21);
  odd += control("TPanel", "pnTop", 0, 0, 397, 41,
                 "    Align = alTop\n    Caption = ''\n" +
                     control("TButton", "btInPanel", 300, 8, 75, 25,
                             "      Anchors = [akTop, akRight]\n", "    "));
  odd += control("TMemo", "mmAnchored", 8, 100, 380, 150,
                 "    Anchors = [akLeft, akTop, akRight, akBottom]\n");
  odd += control("TListBox", "lbLimited", 8, 255, 180, 40,
                 "    Constraints.MinWidth = 150\n"
                 "    Constraints.MaxHeight = 60\n");
  odd += control("TCheckBox", "cbBig", 200, 255, 190, 40,
                 "    Caption = 'Big font'\n    Font.Height = -21\n"
                 "    ParentFont = False\n");
  odd +=
      "  inline GenFrame1: TGenFrame\n    Left = 8\n    Top = 140\n"
      "    Width = 200\n    Height = 60\n  end\n";
  odd +=
      control("TFrame", "Outer", 210, 140, 180, 100,
              control("TFrame", "Inner", 4, 4, 120, 60,
                      control("TButton", "btDeep", 2, 2, 50, 20, "", "      "),
                      "    "));
  odd +=
      "  object Flexarium1: TFlexarium\n    ResizeFont = True\n"
      "    NoResizeCtl = 'lbTiny'\n    NoResizeFntCtl = 'cbBig'\n"
      "  end\nend\n";
  writeFile(dir / "gen_odd.dfm", odd);

  std::string hi =
      "object HiDpiForm: THiDpiForm\n  Left = 0\n  Top = 0\n"
      "  ClientHeight = 450\n  ClientWidth = 720\n  Font.Height = -17\n"
      "  Font.Name = 'Tahoma'\n  PixelsPerInch = 144\n  TextHeight = 21\n";
  for (int i = 0; i < 40; ++i) {
    hi += control(i % 3 == 0 ? "TLabel" : "TButton", "c" + std::to_string(i),
                  (i * 37) % 700, (i * 53) % 430, 30 + i % 50, 12 + i % 25,
                  i % 4 == 0 ? "    ParentFont = False\n    Font.Height = "
                               "-13\n"
                             : "");
  }
  hi +=
      "  object Flexarium1: TFlexarium\n    ResizeFont = True\n"
      "    FormMinWidth = 300\n    FormMinHeight = 200\n"
      "    FormMaxWidth = 1600\n    FormMaxHeight = 1000\n"
      "    DesignFrmW = 720\n    DesignFrmH = 450\n"
      "    DesignDpiW = 144\n    DesignDpiH = 144\n  end\nend\n";
  writeFile(dir / "gen_hidpi.dfm", hi);

  // Fonts the file gives in points, or not at all (the form follows its
  // parent's font; an inherited form whose ancestor is not found): points
  // are another height on a monitor of another DPI.
  std::string points =
      "object PointsForm: TPointsForm\n  Left = 40\n  Top = 40\n"
      "  ClientHeight = 300\n  ClientWidth = 480\n  ParentFont = True\n";
  for (int i = 0; i < 8; ++i) {
    points +=
        control(i % 2 == 0 ? "TLabel" : "TButton", "p" + std::to_string(i),
                16 + (i % 4) * 110, 20 + (i / 4) * 60, 100, 25,
                i % 3 == 0 ? "    ParentFont = False\n    Font.Size = " +
                                 std::to_string(7 + i) + "\n"
                           : "");
  }
  points +=
      control("TPanel", "pnSized", 16, 150, 440, 120,
              "    ParentFont = False\n    Font.Size = 11\n" +
                  control("TButton", "btInSized", 8, 8, 90, 25, "", "    "));
  const std::string metrics =
      "  object Flexarium1: TFlexarium\n    DesignFrmW = 480\n"
      "    DesignFrmH = 300\n    DesignDpiW = 96\n    DesignDpiH = 96\n"
      "  end\nend\n";
  writeFile(dir / "gen_points.dfm", points + metrics);
  writeFile(dir / "gen_orphan.dfm",
            "inherited OrphanForm: TOrphanForm\n  ClientHeight = 300\n"
            "  ClientWidth = 480\n" +
                control("TButton", "btOrphan", 16, 20, 100, 25) +
                control("TEdit", "edOrphan", 16, 60, 200, 21,
                        "    ParentFont = False\n    Font.Size = 10\n") +
                metrics);

  writeFile(dir / "gen_plain.dfm",
            "object PlainForm: TForm\n  ClientHeight = 200\n"
            "  ClientWidth = 300\n" +
                control("TButton", "btPlain", 10, 10, 80, 25) + "end\n");
}

// The forms a scenario may load: every form (not frame) among the examples
// and the generated ones.
std::vector<std::string> formFiles(const Options& o) {
  std::vector<std::string> files;
  for (const fs::path& dir : {fs::path(o.forms), fs::path(o.work) / "forms"}) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(dir, ec)) {
      if (entry.path().extension() != ".dfm") continue;
      std::ifstream in(entry.path());
      std::string first;
      std::getline(in, first);
      if (first.find("Frame") != std::string::npos) continue;
      files.push_back(fs::absolute(entry.path()).string());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

// ---- Invariants

int lifted(int v) { return v == 0 ? 1 : v; }

struct Bounds {
  int left = 0, top = 0, width = 0, height = 0;
  bool operator==(const Bounds&) const = default;
};

std::string describe(const Bounds& b) {
  return "(" + std::to_string(b.left) + "," + std::to_string(b.top) + " " +
         std::to_string(b.width) + "x" + std::to_string(b.height) + ")";
}

Bounds boundsOf(const flx::TControl& c) {
  return {c.Left(), c.Top(), c.Width(), c.Height()};
}

// Whether the framework may move the control by itself after the pass has
// set it.
bool movedByFramework(flx::TControl& c) {
  const auto& k = c.Constraints();
  return c.Align() != flx::TAlign::alNone ||
         c.Anchors() != (flx::akLeft | flx::akTop) || k.MinWidth != 0 ||
         k.MinHeight != 0 || k.MaxWidth != 0 || k.MaxHeight != 0;
}

// The path of a control as scripts name it: "name" or "Frame.name".
std::string pathOf(const flx::TComponent& c, const flx::TComponent& form) {
  if (c.Owner() == nullptr || c.Owner() == &form) return c.Name();
  return pathOf(*c.Owner(), form) + "." + c.Name();
}

// The controls a rescale pass sets, with their records, as the pass walks
// them: the form's own controls, and the controls of a recorded frame.
template <typename Visit>
void forEachScaled(flx::TFlexarium& f, flx::TComponent& form, Visit visit) {
  for (int i = 0; i < form.ComponentCount(); ++i) {
    auto* c = dynamic_cast<flx::TControl*>(form.Components(i));
    if (c == nullptr || TFlexariumAccess::Excluded(f, c->Name())) continue;
    flx::PCtrlInfo info = TFlexariumAccess::Record(f, c);
    if (info == nullptr) continue;
    visit(*c, *info);
    if (dynamic_cast<flx::TCustomFrame*>(c) == nullptr) continue;
    for (int j = 0; j < c->ComponentCount(); ++j) {
      auto* child = dynamic_cast<flx::TControl*>(c->Components(j));
      if (child == nullptr || TFlexariumAccess::Excluded(f, child->Name())) {
        continue;
      }
      if (flx::PCtrlInfo ci = TFlexariumAccess::ChildRecord(f, *c, *child)) {
        visit(*child, *ci);
      }
    }
  }
}

// The last pass's factors are those of the client size the form has now
// (when it is not minimised, which no pass follows): the client size over
// the reference size, times design DPI over run-time DPI.
std::string checkFactors(flx::TFlexarium& f, flx::TCustomForm& form, double sx,
                         double sy) {
  if (!form.HandleAllocated() || win::IsIconic(form.Handle())) return {};
  win::RECT c{};
  win::GetClientRect(form.Handle(), &c);
  auto factor = [](int client, int reference, int design, int run) {
    if (reference <= 0 || run == 0) return 1.0;
    return static_cast<double>((static_cast<long double>(client) / reference) *
                               (static_cast<long double>(design) / run));
  };
  const double wx =
      factor(c.right, TFlexariumAccess::OwnerWidth(f),
             TFlexariumAccess::DesignDpiW(f), TFlexariumAccess::RunDpiW(f));
  const double wy =
      factor(c.bottom, TFlexariumAccess::OwnerHeight(f),
             TFlexariumAccess::DesignDpiH(f), TFlexariumAccess::RunDpiH(f));
  // Within a part in 10^12: the pass may compute the same ratio in
  // another order.
  auto near = [](double a, double b) {
    return std::fabs(a - b) <= 1e-12 * std::max(1.0, std::fabs(b));
  };
  if (near(sx, wx) && near(sy, wy)) return {};
  return "wrong factors: x " + std::to_string(sx) + ", y " +
         std::to_string(sy) + " for a client area of " +
         std::to_string(c.right) + "x" + std::to_string(c.bottom) +
         ", which gives x " + std::to_string(wx) + ", y " + std::to_string(wy);
}

// After a pass, the columns and rows of every control the pass set stand
// at their bases times the factors (half up; automatic and hidden entries
// as they are), and with a font floor no font the component sets is 0.
std::string checkColumnsAndFloor(flx::TFlexarium& f, flx::TCustomForm& form,
                                 double sx, double sy) {
  auto scaled = [](const std::vector<int>& bases, double factor) {
    std::vector<int> out;
    for (int v : bases) {
      out.push_back(v > 0 ? flx::unit::HalfUpProduct(v, factor) : v);
    }
    return out;
  };
  auto list = [](const std::vector<int>& v) {
    std::string text;
    for (int x : v) text += (text.empty() ? "" : ",") + std::to_string(x);
    return text;
  };
  const bool floored = f.MinFontSize() > 0 && f.ResizeFont();
  std::string error;
  forEachScaled(f, form, [&](flx::TControl& c, flx::TCtrlInfo& info) {
    if (!error.empty()) return;
    if (f.ResizeColumns() && flx::HasColumnSizes(c)) {
      const auto cols = flx::ColumnSizes(c);
      const auto rows = flx::RowSizes(c);
      const auto wantCols = scaled(info.Cols.Bases, sx);
      const auto wantRows = scaled(info.Rows.Bases, sy);
      if (cols != wantCols || rows != wantRows) {
        error = "after a rescale pass: " + pathOf(c, form) + " has columns " +
                list(cols) + " and rows " + list(rows) + ", its bases times " +
                "the factors are " + list(wantCols) + " and " + list(wantRows);
        return;
      }
    }
    if (floored && info.Font && info.Font->Size() != 0 && !c.ParentFont() &&
        !TFlexariumAccess::FontExcluded(f, c.Name()) && c.Font().Size() == 0) {
      error = "a font of 0 points under MinFontSize " +
              std::to_string(f.MinFontSize()) + ": " + pathOf(c, form) +
              ", its base " + std::to_string(info.Font->Size());
    }
  });
  if (error.empty() && floored && TFlexariumAccess::OwnerFontSize(f) != 0 &&
      !TFlexariumAccess::FontExcluded(f, form.Name()) &&
      form.Font().Size() == 0) {
    error = "a font of 0 points under MinFontSize " +
            std::to_string(f.MinFontSize()) + ": the form, its base " +
            std::to_string(TFlexariumAccess::OwnerFontSize(f));
  }
  return error;
}

// A column the application leaves at the width the last pass gave it keeps
// its base when the application adds or removes others, at one DPI: the
// sizes after each pass are compared with what the steps after it left.
class ColumnWatch {
 public:
  // After every step; `passed` when the step ran a rescale pass.
  std::string step(flx::TFlexarium& f, flx::TCustomForm& form, bool passed) {
    std::string error;
    const int dpi = TFlexariumAccess::RunDpiW(f);
    // A record not seen in a step may have been freed, and a new one may
    // take its address: what was seen of it is forgotten.
    std::set<Key> present;
    forEachScaled(f, form, [&](flx::TControl& c, flx::TCtrlInfo& info) {
      if (!flx::HasColumnSizes(c)) return;
      present.insert({&c, &info});
      Seen& w = seen_[{&c, &info}];
      const std::vector<int> now = flx::ColumnSizes(c);
      if (passed && f.ResizeColumns()) {
        const bool added = w.left.size() != w.sizes.size();
        for (std::size_t i = 0;
             error.empty() && added && w.dpi == dpi && i < w.left.size() &&
             i < w.sizes.size() && i < info.Cols.Bases.size();
             ++i) {
          if (w.left[i] > 0 && w.left[i] == w.sizes[i] &&
              info.Cols.Bases[i] != w.bases[i]) {
            error = pathOf(c, form) + ": column " + std::to_string(i) +
                    " kept the width " + std::to_string(w.sizes[i]) +
                    " the last pass gave it while columns were added or " +
                    "removed, yet its base went from " +
                    std::to_string(w.bases[i]) + " to " +
                    std::to_string(info.Cols.Bases[i]);
          }
        }
        w.sizes = now;
        w.bases = info.Cols.Bases;
        w.dpi = dpi;
      }
      w.left = now;
    });
    std::erase_if(seen_,
                  [&](const auto& e) { return !present.count(e.first); });
    return error;
  }
  void clear() { seen_.clear(); }

 private:
  struct Seen {
    std::vector<int> sizes;  // after the last pass
    std::vector<int> bases;  // then
    int dpi = 0;             // then
    std::vector<int> left;   // what the last step left
  };
  using Key = std::pair<const void*, const void*>;  // control, record
  std::map<Key, Seen> seen_;
};

class Checker {
 public:
  // Design bounds of every control of the form file the component took a
  // record of when it started, by path. A control recorded later (made at
  // run time, or no longer excluded) has a base of its own.
  void recordDesign(flx::TCustomForm& form, flx::TFlexarium* f) {
    design_.clear();
    if (f == nullptr) return;
    designDpi_ = dpiOf(form);
    forEachScaled(*f, form, [&](flx::TControl& c, flx::TCtrlInfo& info) {
      design_.push_back({pathOf(c, form), boundsOf(c), &info});
    });
  }

  // The script changed what the design check compares: a control of that
  // name is no longer the one of the form file, or the component that
  // holds the design metrics is not the one loaded.
  void forget(const std::string& path) {
    std::erase_if(design_, [&](const auto& d) {
      return flx::SameText(d.path, path) ||
             flx::SameText(d.path.substr(0, path.size() + 1), path + ".");
    });
  }
  void forgetAll() {
    design_.clear();
    columns_.clear();
  }

  // The checks after a step; the first failure, or "".
  std::string check(flexarium_cli::Session& s) {
    if (!hasForm(s)) return {};
    flx::TCustomForm& form = s.form();
    if (form.HandleAllocated()) {
      win::RECT r{}, c{};
      win::GetWindowRect(form.Handle(), &r);
      win::GetClientRect(form.Handle(), &c);
      if (r.right < r.left || r.bottom < r.top || c.right < 0 || c.bottom < 0) {
        return "negative size: the form's window is " +
               std::to_string(r.right - r.left) + "x" +
               std::to_string(r.bottom - r.top) + ", its client area " +
               std::to_string(c.right) + "x" + std::to_string(c.bottom);
      }
    }
    std::string error;
    std::function<void(flx::TComponent&)> sizes = [&](flx::TComponent& owner) {
      for (int i = 0; i < owner.ComponentCount() && error.empty(); ++i) {
        auto* c = dynamic_cast<flx::TControl*>(owner.Components(i));
        if (c != nullptr && (c->Width() < 0 || c->Height() < 0)) {
          error = "negative size: " + pathOf(*c, form) + " is " +
                  describe(boundsOf(*c));
        }
        sizes(*owner.Components(i));
      }
    };
    sizes(form);
    if (!error.empty()) return error;

    flx::TFlexarium* f = s.component();
    if (f != nullptr) error = columns_.step(*f, form, s.passes() != 0);
    if (!error.empty()) return error;
    if (f == nullptr || s.passes() == 0) return {};
    const double sx = TFlexariumAccess::ScaleX(*f);
    const double sy = TFlexariumAccess::ScaleY(*f);
    // The factors the passes of the step reported; the component's own
    // stay where the controls stand, which a pass without a recorded
    // control leaves. A pass that moves the form (the maximised keep-inside
    // rule) runs a nested one and reports after it, so the client size's
    // factors may come from any pass of the step, not only the last.
    if (!s.stepFactors().empty()) {
      const auto& reported = s.stepFactors();
      for (auto it = reported.rbegin(); it != reported.rend(); ++it) {
        error = checkFactors(*f, form, it->x, it->y);
        if (error.empty()) break;
      }
      if (!error.empty()) {
        return checkFactors(*f, form, reported.back().x, reported.back().y);
      }
    }
    forEachScaled(*f, form, [&](flx::TControl& c, flx::TCtrlInfo& info) {
      if (!error.empty() || movedByFramework(c)) return;
      // Half up on the exact product, as the pass rounds.
      const Bounds want{lifted(flx::unit::HalfUpProduct(info.Left, sx)),
                        lifted(flx::unit::HalfUpProduct(info.Top, sy)),
                        lifted(flx::unit::HalfUpProduct(info.Width, sx)),
                        lifted(flx::unit::HalfUpProduct(info.Height, sy))};
      if (boundsOf(c) != want) {
        error = "after a rescale pass at x " + std::to_string(sx) + ", y " +
                std::to_string(sy) + ": " + pathOf(c, form) + " is " +
                describe(boundsOf(c)) + ", its base " +
                describe({info.Left, info.Top, info.Width, info.Height}) +
                " times the factors is " + describe(want);
      }
    });
    if (error.empty()) error = checkColumnsAndFloor(*f, form, sx, sy);
    if (!error.empty() || sx != 1.0 || sy != 1.0) return error;
    // At factors of exactly 1 the form looks as designed, at the DPI the
    // design was taken at (a monitor of another DPI has layouts of its own).
    if (dpiOf(form) != designDpi_) return {};
    for (const auto& [path, bounds, record] : design_) {
      auto* c = dynamic_cast<flx::TControl*>(s.find(path));
      if (c == nullptr || movedByFramework(*c)) continue;
      flx::TComponent* owner = c->Owner();
      const bool framed = owner != &form;
      if (TFlexariumAccess::Excluded(*f, c->Name())) continue;
      if (framed && TFlexariumAccess::Excluded(*f, owner->Name())) continue;
      flx::PCtrlInfo info = framed
                                ? TFlexariumAccess::ChildRecord(*f, *owner, *c)
                                : TFlexariumAccess::Record(*f, c);
      if (info == nullptr || info != record) continue;
      const Bounds want{lifted(bounds.left), lifted(bounds.top),
                        lifted(bounds.width), lifted(bounds.height)};
      if (boundsOf(*c) != want) {
        return "at factors 1: " + path + " is " + describe(boundsOf(*c)) +
               ", designed " + describe(bounds);
      }
    }
    return {};
  }

 private:
  struct Design {
    std::string path;
    Bounds bounds;
    const flx::TCtrlInfo* record;
  };
  static unsigned dpiOf(flx::TCustomForm& form) {
    return form.HandleAllocated() ? win::GetDpiForWindow(form.Handle()) : 0;
  }

  std::vector<Design> design_;
  ColumnWatch columns_;
  unsigned designDpi_ = 0;
};

// ---- Aspect lock

// With KeepAspect, after a person's drag or a maximise (also straight from
// minimised, or a DPI change while maximised): where client sizes of the
// design ratio fit the limits with room to spare, the client area has the
// ratio (its height the width's to half a pixel); where none comes near
// fitting, the window stays within the usable area (the ratio given up).
// Borderline limits are not judged, nor a drag that takes the form onto
// another monitor (the lock measured the one it left; at another DPI the
// size is the kept one at that DPI).
class AspectChecker {
 public:
  std::string check(flexarium_cli::Session& s, const std::string& cmd) {
    const unsigned before = dpi_;
    const win::HMONITOR was = monitor_;
    const bool shown = hasForm(s) && s.form().HandleAllocated();
    dpi_ = shown ? win::GetDpiForWindow(s.form().Handle()) : 0;
    monitor_ = shown ? win::MonitorFromWindow(s.form().Handle(),
                                              win::MONITOR_DEFAULTTONEAREST)
                     : nullptr;
    if (cmd == "drag" && (dpi_ != before || monitor_ != was)) return {};
    return judge(s, cmd);
  }

 private:
  static std::string judge(flexarium_cli::Session& s, const std::string& cmd);
  unsigned dpi_ = 0;
  win::HMONITOR monitor_ = nullptr;
};

std::string AspectChecker::judge(flexarium_cli::Session& s,
                                 const std::string& cmd) {
  flx::TFlexarium* f = s.component();
  if (f == nullptr || !f->KeepAspect() || !f->Enabled() || !hasForm(s) ||
      s.stepFactors().empty() || !s.form().HandleAllocated()) {
    return {};
  }
  flx::TCustomForm& form = s.form();
  const win::HWND wnd = form.Handle();
  const bool zoomed = win::IsZoomed(wnd) != 0;
  const bool dragged = cmd == "drag" && !zoomed;
  if (win::IsIconic(wnd) || form.FormStyle() == flx::TFormStyle::fsMDIChild ||
      !(dragged || (zoomed && (cmd == "maximize" || cmd == "monitordpi")))) {
    return {};
  }
  const flx::TSizeConstraints& k = form.Constraints();
  if (k.MinWidth > 0 || k.MinHeight > 0 || k.MaxWidth > 0 || k.MaxHeight > 0) {
    return {};
  }
  const long double num = 1.0L * TFlexariumAccess::OwnerWidth(*f) *
                          TFlexariumAccess::RunDpiW(*f) *
                          TFlexariumAccess::DesignDpiH(*f);
  const long double den = 1.0L * TFlexariumAccess::OwnerHeight(*f) *
                          TFlexariumAccess::RunDpiH(*f) *
                          TFlexariumAccess::DesignDpiW(*f);
  if (!(num > 0) || !(den > 0)) return {};
  const long double ratio = num / den;  // width over height
  win::RECT r{}, c{};
  win::GetWindowRect(wnd, &r);
  win::GetClientRect(wnd, &c);
  const int ncx = (r.right - r.left) - c.right;
  const int ncy = (r.bottom - r.top) - c.bottom;
  if (std::max({std::abs(r.left), std::abs(r.top), std::abs(r.right),
                std::abs(r.bottom)}) > 30000) {
    return {};  // edges held by the window system's coordinate range
  }
  // The usable area of the window's monitor: no larger than the work area
  // where sizes are to fit, no smaller than the monitor where they are
  // not to outgrow it (the taskbar counts or not by ValidTaskbar).
  win::MONITORINFO mi{};
  mi.cbSize = sizeof mi;
  if (!win::GetMonitorInfoW(
          win::MonitorFromWindow(wnd, win::MONITOR_DEFAULTTONEAREST), &mi)) {
    return {};
  }
  const long double areaW = mi.rcWork.right - mi.rcWork.left;
  const long double areaH = mi.rcWork.bottom - mi.rcWork.top;
  const long double screenW = mi.rcMonitor.right - mi.rcMonitor.left;
  const long double screenH = mi.rcMonitor.bottom - mi.rcMonitor.top;
  // The smallest window: the larger of what the system DPI and the
  // window's DPI allow, a stricter minimum than either.
  const win::UINT dpi = win::GetDpiForWindow(wnd);
  long double minW =
      std::max({1, win::GetSystemMetrics(win::SM_CXMINTRACK) - ncx,
                win::GetSystemMetricsForDpi(win::SM_CXMINTRACK, dpi) - ncx});
  long double minH =
      std::max({1, win::GetSystemMetrics(win::SM_CYMINTRACK) - ncy,
                win::GetSystemMetricsForDpi(win::SM_CYMINTRACK, dpi) - ncy});
  long double maxW = areaW - ncx, maxH = areaH - ncy;
  if (dragged && f->FormMinWidth() > 0 && f->FormMinHeight() > 0) {
    minW = std::max<long double>(
        minW, TFlexariumAccess::LimitW(*f, f->FormMinWidth()) - ncx);
    minH = std::max<long double>(
        minH, TFlexariumAccess::LimitH(*f, f->FormMinHeight()) - ncy);
  }
  if (f->FormMaxWidth() > 0 && f->FormMaxHeight() > 0) {
    if (zoomed) return {};  // maximised to the maximum size, elsewhere
    maxW = std::min<long double>(
        maxW, TFlexariumAccess::LimitW(*f, f->FormMaxWidth()) - ncx);
    maxH = std::min<long double>(
        maxH, TFlexariumAccess::LimitH(*f, f->FormMaxHeight()) - ncy);
  }
  if (maxW < 1 || maxH < 1) return {};
  const long double lo = std::max(minW, (minH - 0.5L) * ratio);
  const long double hi = std::min(maxW, (maxH + 0.5L) * ratio);
  const std::string size = std::to_string(c.right) + "x" +
                           std::to_string(c.bottom) + " after " + cmd;
  if (hi - lo > 2) {
    const long double off = std::fabs(c.bottom - c.right / ratio);
    if (off > 0.5L + 1e-6L) {
      return "aspect lock: client area " + size + " is not of the ratio " +
             std::to_string(static_cast<double>(ratio)) +
             " though sizes of it fit";
    }
  } else if (lo - hi > 2 && dragged && minW + ncx <= areaW &&
             minH + ncy <= areaH) {
    if (r.right - r.left > screenW || r.bottom - r.top > screenH) {
      return "aspect lock: window " + std::to_string(r.right - r.left) + "x" +
             std::to_string(r.bottom - r.top) + " outgrows its monitor " +
             std::to_string(static_cast<int>(screenW)) + "x" +
             std::to_string(static_cast<int>(screenH)) + " (" + size + ")";
    }
  }
  return {};
}

// ---- Running a script

struct Outcome {
  bool failed = false;
  std::string message;
  int step = -1;  // index of the failing line
};

// A form moved to a monitor of another DPI equals the same form opened
// there: after a step that carries a form onto another DPI, in its normal
// state and changed since it was loaded only in its size, place and state,
// its layout is the one the form file gives loaded and shown on a screen
// of that DPI at that client size. The desktop is the process's, so the
// forms opened there are compared once the scenario's is gone.
class MoveCheck {
 public:
  void note(const ScenarioLine& line, flexarium_cli::Session& s, int step) {
    static const char* const kGeometry[] = {
        "show",  "client",   "outer",    "scale",   "move",
        "drag",  "maximize", "minimize", "restore", "monitordpi",
        "print", "svg",      "expect",   "screen",  "taskbar"};
    if (line.command == "load") {
      file_ = line.args.at(0);
    } else if (std::none_of(std::begin(kGeometry), std::end(kGeometry),
                            [&](const char* c) { return line.command == c; })) {
      file_.clear();
    }
    flx::TCustomForm& form = s.form();
    const unsigned dpi =
        form.HandleAllocated() ? win::GetDpiForWindow(form.Handle()) : 0;
    const bool changed = dpi != dpi_ && dpi_ != 0;
    dpi_ = dpi;
    if (!changed || file_.empty() || s.component() == nullptr ||
        moved_.size() >= 4 || win::IsIconic(form.Handle()) ||
        win::IsZoomed(form.Handle())) {
      return;
    }
    moved_.push_back({step, file_, dpi, form.ClientWidth(), form.ClientHeight(),
                      layoutOf(form)});
  }

  std::optional<Outcome> verify() const {
    for (const Moved& m : moved_) {
      std::ostringstream printed, errors;
      flexarium_cli::ScenarioStepper stepper("opened.scn", {}, printed, errors);
      const std::string script = "dpi " + std::to_string(m.dpi) +
                                 "\nscreen 7680x4320\nload " + m.file +
                                 "\nshow\nclient " + std::to_string(m.width) +
                                 "x" + std::to_string(m.height) + "\n";
      for (const ScenarioLine& line :
           flexarium_cli::parseScenario(script, "opened.scn")) {
        if (!stepper.step(line)) {
          return Outcome{true,
                         "moved: the form opened there fails: " + errors.str(),
                         m.step};
        }
      }
      flx::TCustomForm& form = stepper.session()->form();
      // A size the form there refuses (its limits, unscaled) is another
      // layout, not a different one.
      if (form.ClientWidth() != m.width || form.ClientHeight() != m.height) {
        continue;
      }
      const std::string there = layoutOf(form);
      if (there != m.layout) {
        return Outcome{true,
                       "moved: at " + std::to_string(m.dpi) + " DPI, " +
                           std::to_string(m.width) + "x" +
                           std::to_string(m.height) + ", the moved form\n" +
                           m.layout + "is not the form opened there\n" + there,
                       m.step};
      }
    }
    return std::nullopt;
  }

 private:
  // Every control's bounds and font, the form's font; what the framework
  // moves by itself after a pass aside.
  static std::string layoutOf(flx::TCustomForm& form) {
    std::string text = "form font " + std::to_string(form.Font().Height()) +
                       " px at " + std::to_string(form.Font().PixelsPerInch()) +
                       "\n";
    std::function<void(flx::TComponent&)> visit = [&](flx::TComponent& owner) {
      for (int i = 0; i < owner.ComponentCount(); ++i) {
        auto* c = dynamic_cast<flx::TControl*>(owner.Components(i));
        if (c != nullptr && !movedByFramework(*c)) {
          text += "  " + pathOf(*c, form) + " " + describe(boundsOf(*c)) +
                  " font " + std::to_string(c->Font().Height()) + " px at " +
                  std::to_string(c->Font().PixelsPerInch()) + "\n";
        }
        visit(*owner.Components(i));
      }
    };
    visit(form);
    return text;
  }

  struct Moved {
    int step;
    std::string file;
    unsigned dpi;
    int width, height;
    std::string layout;
  };
  std::string file_;  // the form loaded, while it is unchanged
  unsigned dpi_ = 0;
  std::vector<Moved> moved_;
};

// Runs the lines in this process. `made` (when given) is asked for more
// lines once the given ones are done, until it returns none; every line run
// goes to `ran` first, so that a crash leaves the script behind it.
Outcome runScript(std::vector<std::string> lines,
                  const std::function<std::optional<std::string>(
                      flexarium_cli::Session*, int)>& made,
                  const std::function<void(const std::string&)>& ran,
                  const std::string& name) {
  const std::int64_t objectsBefore = flx::LiveObjectCount();
  Outcome out;
  MoveCheck moves;
  {
    std::ostringstream printed, errors;
    flexarium_cli::ScenarioOptions options;
    options.outputDir =
        (fs::temp_directory_path() / "flexarium_stress_svg").string();
    flexarium_cli::ScenarioStepper stepper(name, options, printed, errors);
    Checker checker;
    AspectChecker aspect;
    bool designKnown = false;
    bool loadSeen = false;
    for (std::size_t i = 0;; ++i) {
      if (i == lines.size()) {
        std::optional<std::string> next =
            made ? made(stepper.session(), static_cast<int>(i)) : std::nullopt;
        if (!next) break;
        lines.push_back(*next);
      }
      const std::string& text = lines[i];
      if (ran) ran(text);
      std::vector<ScenarioLine> parsed;
      try {
        // A line is read alone, after a stand-in load once the script has
        // loaded, so that its place in the script is checked too.
        parsed = flexarium_cli::parseScenario(
            (loadSeen ? "load -\n" : "") + text, name);
      } catch (const flx::Exception& e) {
        return {true, std::string("a line that does not read: ") + e.what(),
                static_cast<int>(i)};
      }
      if (parsed.empty() || (loadSeen && parsed.size() < 2)) continue;
      ScenarioLine line = parsed.back();
      line.number = static_cast<int>(i) + 1;
      // A dialog line takes a load's place (the lines after it read alike).
      if (line.command == "load" || line.command == "dialog") loadSeen = true;
      if (!stepper.step(line)) {
        out = {true, "the script stopped: " + errors.str(),
               static_cast<int>(i)};
        break;
      }
      errors.str("");
      flexarium_cli::Session* s = stepper.session();
      if (s == nullptr || !hasForm(*s)) continue;
      if (!designKnown) {
        checker.recordDesign(s->form(), s->component());
        designKnown = true;
      }
      const std::string& cmd = line.command;
      if (cmd == "destroy" || cmd == "create") {
        const std::string& what = cmd == "destroy" ? line.args[0]
                                  : line.args.size() > 1 &&
                                          !flx::SameText(line.args[1], "in") &&
                                          !flx::SameText(line.args[1], "at")
                                      ? line.args[1]
                                      : std::string();
        if (!what.empty()) checker.forget(what);
        if (s->component() == nullptr ||
            flx::SameText(line.args[0], "TFlexarium")) {
          checker.forgetAll();
        }
      }
      std::string broken = checker.check(*s);
      if (broken.empty()) broken = aspect.check(*s, cmd);
      if (!broken.empty()) {
        out = {true, broken, static_cast<int>(i)};
        break;
      }
      moves.note(line, *s, static_cast<int>(i));
    }
  }
  if (!out.failed) out = moves.verify().value_or(out);
  if (!out.failed) {
    const std::int64_t left = flx::LiveObjectCount() - objectsBefore;
    if (left != 0) {
      out = {true,
             "leak: " + std::to_string(left) +
                 " framework objects outlive the form",
             static_cast<int>(lines.size()) - 1};
    }
  }
  return out;
}

// ---- Making steps

class StepMaker {
 public:
  StepMaker(std::uint64_t seed, int steps, std::vector<std::string> forms)
      : random_(seed),
        steps_(steps),
        forms_(std::move(forms)),
        aspect_(Random(seed ^ kAspectSalt).chance(15)) {}

  std::vector<std::string> setup() {
    if (aspect_) return aspectSetup();
    std::vector<std::string> lines;
    monitors_ = 0;
    if (random_.chance(20)) {
      // Monitors of their own DPI instead of one screen: moves, drags and
      // new scales carry the form from one DPI to another.
      monitors_ = random_.between(2, 3);
      int x = 0;
      std::vector<int> lefts;
      for (int i = 0; i < monitors_; ++i) {
        const int w = random_.between(640, 2560);
        lines.push_back("monitor " + std::to_string(w) + "x" +
                        std::to_string(random_.between(480, 1440)) + "@" +
                        std::to_string(x) + ",0:" + dpi());
        lefts.push_back(x);
        x += w;
      }
      if (random_.chance(20)) {
        lines.push_back("awareness " + random_.pick(std::vector<std::string>{
                                           "unaware", "system"}));
      }
      // Often a form whose fonts are in points or its parent's, which are
      // another height at another DPI.
      std::vector<std::string> points;
      std::copy_if(forms_.begin(), forms_.end(), std::back_inserter(points),
                   [](const std::string& f) {
                     return f.find("gen_points") != std::string::npos ||
                            f.find("gen_orphan") != std::string::npos;
                   });
      lines.push_back("load " +
                      random_.pick(!points.empty() && random_.chance(30)
                                       ? points
                                       : forms_));
      if (random_.chance(90)) {
        lines.push_back("show");
        // Onto another monitor as it is, to be compared with the form
        // opened there.
        if (random_.chance(50)) {
          lines.push_back(
              "move " +
              std::to_string(lefts[random_.between(1, monitors_ - 1)] + 40) +
              " 60");
        }
      }
      return lines;
    }
    if (random_.chance(30)) {
      lines.push_back("dpi " + random_.pick(std::vector<std::string>{
                                   "120", "144", "192", "72", "96x120"}));
    }
    if (random_.chance(25)) {
      lines.push_back("windows " + random_.pick(std::vector<std::string>{
                                       "4.0", "4.10", "5.1", "6.1"}));
    }
    if (random_.chance(20)) lines.push_back("composition off");
    if (random_.chance(30)) lines.push_back(screen());
    if (random_.chance(30)) lines.push_back(taskbar());
    lines.push_back("load " + random_.pick(forms_));
    if (random_.chance(90)) lines.push_back("show");
    return lines;
  }

  std::optional<std::string> next(flexarium_cli::Session* s, int index) {
    if (s == nullptr || !hasForm(*s) || index >= steps_) return std::nullopt;
    flx::TCustomForm& form = s->form();
    names_.clear();
    framed_.clear();
    for (int i = 0; i < form.ComponentCount(); ++i) {
      flx::TComponent* c = form.Components(i);
      if (c->Name().empty()) continue;
      if (dynamic_cast<flx::TControl*>(c) != nullptr)
        names_.push_back(c->Name());
      for (int j = 0; j < c->ComponentCount(); ++j) {
        if (!c->Components(j)->Name().empty()) {
          framed_.push_back(c->Name() + "." + c->Components(j)->Name());
        }
      }
    }
    flexName_.clear();
    design_.clear();
    if (flx::TFlexarium* f = s->component()) {
      flexName_ = f->Name();
      // The client size at which the factors are exactly 1, if whole.
      const long long w = 1LL * TFlexariumAccess::OwnerWidth(*f) *
                          TFlexariumAccess::RunDpiW(*f);
      const long long h = 1LL * TFlexariumAccess::OwnerHeight(*f) *
                          TFlexariumAccess::RunDpiH(*f);
      const int dw = TFlexariumAccess::DesignDpiW(*f);
      const int dh = TFlexariumAccess::DesignDpiH(*f);
      if (dw > 0 && dh > 0 && w % dw == 0 && h % dh == 0 && w / dw > 0 &&
          h / dh > 0 && w / dw <= flexarium_cli::kDistanceLimit &&
          h / dh <= flexarium_cli::kDistanceLimit) {
        design_ =
            "client " + std::to_string(w / dw) + "x" + std::to_string(h / dh);
      }
    }
    return aspect_ ? aspectStep() : step(form);
  }

 private:
  // ---- Aspect-lock scenarios: a form with KeepAspect and, now and then,
  // size limits, on monitors of their own DPI, dragged, maximised (also
  // from minimised), rescaled while maximised and moved between monitors.
  // Chosen apart from the other random draws, so that they stay as they
  // were.
  static constexpr std::uint64_t kAspectSalt = 0xA5BEC7ull;
  std::vector<std::string> aspectSetup() {
    std::vector<std::string> lines;
    monitors_ = random_.between(1, 3);
    lefts_.clear();
    int x = 0;
    for (int i = 0; i < monitors_; ++i) {
      const int w = random_.between(800, 3840);
      lefts_.push_back(x);
      lines.push_back("monitor " + std::to_string(w) + "x" +
                      std::to_string(random_.between(600, 2160)) + "@" +
                      std::to_string(x) + ",0:" + dpi());
      x += w;
    }
    lefts_.push_back(x);
    if (random_.chance(30)) lines.push_back(taskbar());
    lines.push_back("load " + random_.pick(forms_));
    lines.push_back("try set Flexarium1.KeepAspect = True");
    if (random_.chance(50)) {
      const int minW = random_.between(100, 900),
                minH = random_.between(60, 700);
      lines.push_back("try set Flexarium1.FormMinWidth = " +
                      std::to_string(minW));
      lines.push_back("try set Flexarium1.FormMinHeight = " +
                      std::to_string(minH));
      if (random_.chance(60)) {
        lines.push_back("try set Flexarium1.FormMaxWidth = " +
                        std::to_string(minW + random_.between(0, 2500)));
        lines.push_back("try set Flexarium1.FormMaxHeight = " +
                        std::to_string(minH + random_.between(0, 1500)));
      }
    }
    lines.push_back("show");
    return lines;
  }
  // A drag of a random edge or corner (a corner by two distances).
  std::string dragLine() {
    const std::string edge = random_.pick(
        std::vector<std::string>{"left", "right", "top", "bottom", "topleft",
                                 "topright", "bottomleft", "bottomright"});
    std::string line =
        "try drag " + edge + " " + std::to_string(random_.distance());
    if (edge.size() > 6) line += " " + std::to_string(random_.distance());
    return line;
  }
  std::string aspectStep() {
    const int roll = random_.between(0, 99);
    if (roll < 40) {
      return dragLine();
    }
    if (roll < 52) return "minimize";
    if (roll < 68) return "maximize";
    if (roll < 76) return "restore";
    if (roll < 88) {
      return "monitordpi " + std::to_string(random_.between(0, monitors_ - 1)) +
             " " + dpi();
    }
    if (roll < 92) {
      return "client " + std::to_string(random_.between(1, 2000)) + "x" +
             std::to_string(random_.between(1, 1400));
    }
    if (roll < 95) {
      return "try set Flexarium1." +
             random_.pick(
                 std::vector<std::string>{"FormMinWidth", "FormMinHeight",
                                          "FormMaxWidth", "FormMaxHeight"}) +
             " = " + std::to_string(random_.between(0, 2500));
    }
    // Onto a monitor, where a drag can follow.
    const int m = random_.between(0, monitors_ - 1);
    return "move " +
           std::to_string(
               lefts_[m] +
               random_.between(0,
                               std::min(400, lefts_[m + 1] - lefts_[m] - 1))) +
           " " + std::to_string(random_.between(0, 300));
  }

  std::string screen() {
    return "screen " + std::to_string(random_.between(320, 3840)) + "x" +
           std::to_string(random_.between(240, 2160));
  }
  std::string dpi() {
    return random_.pick(
        std::vector<std::string>{"96", "120", "144", "168", "192", "72"});
  }
  std::string taskbar() {
    if (random_.chance(15)) return "taskbar none";
    return "taskbar " +
           random_.pick(
               std::vector<std::string>{"left", "top", "right", "bottom"}) +
           ":" + std::to_string(random_.between(1, 200)) +
           (random_.chance(20) ? ":autohide" : "");
  }
  std::string dims() {
    return std::to_string(random_.size()) + "x" +
           std::to_string(random_.size());
  }
  std::string anyControl() {
    if (!framed_.empty() && random_.chance(20)) return random_.pick(framed_);
    return names_.empty() ? "form" : random_.pick(names_);
  }
  // Names as exclusion strings hold them: odd case, blanks, empty pieces,
  // names that name nothing, paths into frames.
  std::string exclusions() {
    std::string text;
    const int pieces = random_.between(0, 4);
    for (int i = 0; i < pieces; ++i) {
      if (i > 0) text += random_.chance(80) ? ";" : " ; ";
      switch (random_.between(0, 5)) {
        case 0:
          text += "";
          break;
        case 1:
          text += flx::UpperCase(anyControl());
          break;
        case 2:
          text += random_.pick(std::vector<std::string>{
              "nothing", "Flexarium1", "form", "\xC3\xA4rger", "a b"});
          break;
        default:
          text += anyControl();
      }
    }
    std::string quoted = "'";
    for (char c : text) {
      quoted += c;
      if (c == '\'') quoted += '\'';
    }
    return quoted + "'";
  }
  std::string componentProperty() {
    const std::string& f = flexName_;
    switch (random_.between(0, 7)) {
      case 0:
        return f + "." +
               random_.pick(std::vector<std::string>{
                   "FormWidth", "FormHeight", "FormMaxWidth", "FormMaxHeight",
                   "FormMinWidth", "FormMinHeight"}) +
               " = " +
               std::to_string(random_.extreme(
                   random_.chance(15)   ? random_.between(-500, -1)
                   : random_.chance(20) ? 0
                                        : random_.size()));
      case 1:
        return f + ".FormPos = " +
               random_.pick(std::vector<std::string>{
                   "rpDefault", "rpTopLeft", "rpTopCenter", "rpTopRight",
                   "rpMiddleLeft", "rpMiddleCenter", "rpMiddleRight",
                   "rpBottomLeft", "rpBottomCenter", "rpBottomRight"});
      case 2:
        return f + ".NoResizeCtl = " + exclusions();
      case 3:
        return f + ".NoResizeFntCtl = " + exclusions();
      case 4:
        return f + ".ResizeFont = " + (random_.chance(50) ? "True" : "False");
      case 5:
        return f + ".Enabled = " + (random_.chance(75) ? "True" : "False");
      case 6:
        return f + ".ValidTaskbar = " + (random_.chance(50) ? "True" : "False");
      default:
        return f + ".FormPos = rpNowhere";
    }
  }
  std::string controlProperty() {
    const std::string c = anyControl();
    switch (random_.between(0, 6)) {
      case 0:
        return c + "." +
               random_.pick(
                   std::vector<std::string>{"Left", "Top", "Width", "Height"}) +
               " = " +
               std::to_string(random_.extreme(random_.between(-50, 900)));
      case 1:
        return c + ".Font.Size = " + std::to_string(random_.between(-4, 40));
      case 2:
        return c + ".ParentFont = " + (random_.chance(50) ? "True" : "False");
      case 3:
        return c + ".Visible = " + (random_.chance(70) ? "True" : "False");
      case 4:
        return c + ".Caption = 'step'#55296";
      case 5:
        return c + ".Anchors = [akLeft, akTop]";
      default:
        return c + ".Name = '" +
               random_.pick(std::vector<std::string>{"Renamed", "", "1bad"}) +
               "'";
    }
  }
  std::string create(flx::TCustomForm& form) {
    std::string line = "create ";
    const int kind = random_.between(0, 9);
    std::string name = "New" + std::to_string(++made_);
    if (kind == 0 && flexName_.empty()) return "create TFlexarium Flexarium1";
    if (kind == 1) {
      line +=
          random_.pick(std::vector<std::string>{"TAddressFrame", "TGenFrame"});
      line += " Frame" + std::to_string(made_);
    } else {
      line += random_.pick(std::vector<std::string>{
          "TButton", "TEdit", "TLabel", "TPanel", "TCheckBox", "TMemo"});
      if (random_.chance(85)) line += " " + name;
      std::vector<std::string> holders;
      for (int i = 0; i < form.ComponentCount(); ++i) {
        if (dynamic_cast<flx::TWinControl*>(form.Components(i)) != nullptr &&
            !form.Components(i)->Name().empty()) {
          holders.push_back(form.Components(i)->Name());
        }
      }
      if (!holders.empty() && random_.chance(30)) {
        line += " in " + random_.pick(holders);
      }
    }
    if (random_.chance(80)) {
      line += " at " + std::to_string(random_.between(0, 600)) + " " +
              std::to_string(random_.between(0, 400));
      if (random_.chance(70)) {
        line += " " + std::to_string(random_.between(0, 300)) + " " +
                std::to_string(random_.between(0, 120));
      }
    }
    return line;
  }

  // Run-time columns, the font floor and exclusions, set between the moves
  // across monitors, the DPI changes and the ParentFont changes of the
  // other steps.
  std::string columnsAndFloor(flx::TCustomForm& form) {
    std::vector<std::string> lists;
    for (int i = 0; i < form.ComponentCount(); ++i) {
      flx::TComponent* c = form.Components(i);
      if (dynamic_cast<flx::TListView*>(c) != nullptr && !c->Name().empty()) {
        lists.push_back(c->Name());
      }
    }
    const bool flex = !flexName_.empty();
    switch (random_.between(0, 6)) {
      case 0:
        if (!lists.empty()) {
          // The columns it has, one more or one fewer.
          const std::string& name = random_.pick(lists);
          std::vector<int> widths = flx::ColumnSizes(
              *dynamic_cast<flx::TControl*>(form.FindComponent(name)));
          if (!widths.empty() && random_.chance(30)) {
            widths.pop_back();
          } else {
            widths.push_back(random_.between(1, 400));
          }
          std::string items;
          for (int w : widths) {
            items += "item Width = " + std::to_string(w) + " end ";
          }
          return "try set " + name + ".Columns = <" + items + ">";
        }
        break;
      case 1:
        if (!lists.empty()) {
          std::string items;
          for (int n = random_.between(0, 6); n > 0; --n) {
            const int width = random_.chance(10) ? random_.between(-2, 0)
                                                 : random_.between(1, 400);
            items += "item Width = " + std::to_string(width) + " end ";
          }
          return "try set " + random_.pick(lists) + ".Columns = <" + items +
                 ">";
        }
        break;
      case 2:
        if (flex) {
          return "try set " + flexName_ +
                 ".ResizeColumns = " + (random_.chance(70) ? "True" : "False");
        }
        break;
      case 3:
        if (flex) {
          return "try set " + flexName_ +
                 ".MinFontSize = " + std::to_string(random_.between(0, 12));
        }
        break;
      case 4:
        if (flex) {
          const std::string name = !lists.empty() && random_.chance(50)
                                       ? random_.pick(lists)
                                       : anyControl();
          return "try set " + flexName_ + ".NoResizeCtl = '" +
                 (random_.chance(40) ? std::string() : name) + "'";
        }
        break;
      default:
        if (monitors_ > 0) {
          return "monitordpi " +
                 std::to_string(random_.between(0, monitors_ - 1)) + " " +
                 dpi();
        }
    }
    return "try set " + anyControl() +
           ".ParentFont = " + (random_.chance(50) ? "True" : "False");
  }

  std::string step(flx::TCustomForm& form) {
    if (random_.chance(6)) return columnsAndFloor(form);
    const int roll = random_.between(0, 99);
    if (roll < 16) return "client " + dims();
    if (roll < 20) return "outer " + dims();
    if (roll < 24) return designClient();
    if (roll < 28) {
      return "move " + std::to_string(random_.between(-3000, 5000)) + " " +
             std::to_string(random_.between(-3000, 3000));
    }
    if (roll < 42) {
      return dragLine();
    }
    if (roll < 46) return "maximize";
    if (roll < 49) return "minimize";
    if (roll < 53) return "restore";
    if (roll < 55) {
      if (monitors_ > 0) {
        return "monitordpi " +
               std::to_string(random_.between(0, monitors_ - 1)) + " " + dpi();
      }
      return screen();
    }
    if (roll < 57) return taskbar();
    if (roll < 66 && !flexName_.empty()) {
      return "try set " + componentProperty();
    }
    if (roll < 72) return "try set " + controlProperty();
    if (roll < 80) return "try " + create(form);
    if (roll < 86) {
      if (!flexName_.empty() && random_.chance(15)) {
        return "try destroy " + flexName_;
      }
      return "try destroy " + anyControl();
    }
    if (roll < 92) return "try dynamicadd";
    if (roll < 96) return "try dynamicdelete";
    if (roll < 98) return "show";
    return "try create TFlexarium Flex" + std::to_string(++made_);
  }

  std::string designClient() {
    return design_.empty() ? "client " + dims() : design_;
  }

  Random random_;
  int steps_;
  std::vector<std::string> forms_;
  std::vector<std::string> names_;
  std::vector<std::string> framed_;
  std::string flexName_;
  std::string design_;
  int monitors_ = 0;  // of the setup; 0: one screen
  int made_ = 0;
  bool aspect_ = false;     // an aspect-lock scenario
  std::vector<int> lefts_;  // its monitors' left edges, then the right end
};

// ---- Child processes

// What a child reports through its pipe: each line as it starts to run
// ("L" + text), then at the end "F" + step + " " + message for a failure.
struct ChildResult {
  std::vector<std::string> lines;
  Outcome outcome;
};

void send(int fd, const std::string& record) {
  // One record per line; a newline in a message would split it.
  std::string text = record;
  std::replace(text.begin(), text.end(), '\n', ' ');
  text += '\n';
  const char* p = text.data();
  std::size_t left = text.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n <= 0) return;
    p += n;
    left -= static_cast<std::size_t>(n);
  }
}

// Runs `body` in a child that writes its records to a pipe; a child that
// dies or exits non-zero without a failure record failed all the same (a
// crash, a sanitizer report, a leak found at exit).
ChildResult inChild(const std::function<Outcome(int fd)>& body) {
  int fds[2];
  if (::pipe(fds) != 0) {
    std::perror("flexarium_stress: pipe");
    std::exit(2);
  }
  std::cout.flush();
  std::cerr.flush();
  const pid_t pid = ::fork();
  if (pid < 0) {
    std::perror("flexarium_stress: fork");
    std::exit(2);
  }
  if (pid == 0) {
    ::close(fds[0]);
    Outcome o = body(fds[1]);
    if (o.failed) {
      send(fds[1], "F" + std::to_string(o.step) + " " + o.message);
    }
    ::close(fds[1]);
    // A normal exit, so that the leak checker of a sanitizer build runs.
    std::exit(o.failed ? 1 : 0);
  }
  ::close(fds[1]);
  std::string data;
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
    if (n <= 0) break;
    data.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  ChildResult r;
  std::istringstream in(data);
  std::string record;
  while (std::getline(in, record)) {
    if (record.empty()) continue;
    if (record[0] == 'L') {
      r.lines.push_back(record.substr(1));
    } else if (record[0] == 'F') {
      const std::size_t space = record.find(' ');
      r.outcome.failed = true;
      r.outcome.step = std::atoi(record.substr(1, space - 1).c_str());
      r.outcome.message = record.substr(space + 1);
    }
  }
  if (!r.outcome.failed && !(WIFEXITED(status) && WEXITSTATUS(status) == 0)) {
    r.outcome.failed = true;
    r.outcome.step = static_cast<int>(r.lines.size()) - 1;
    r.outcome.message =
        WIFSIGNALED(status)
            ? "crash: signal " + std::to_string(WTERMSIG(status))
            : "crash: exit status " + std::to_string(WEXITSTATUS(status)) +
                  " (a sanitizer report or a leak; see the output above)";
  }
  return r;
}

// The kind of a failure, which a shrunk script must keep: the text up to
// the first colon ("negative size", "leak", "crash", "after a rescale
// pass at x 2.000000, y 1.000000" is cut at "after a rescale pass").
std::string kindOf(const std::string& message) {
  std::string kind = message.substr(0, message.find(':'));
  const std::size_t at = kind.find(" at ");
  return at == std::string::npos ? kind : kind.substr(0, at);
}

Outcome replayInChild(const std::vector<std::string>& lines, bool quiet) {
  return inChild([&](int fd) {
           if (quiet) {
             // A sanitizer report of a try is noise: the outcome says it.
             std::freopen("/dev/null", "w", stderr);
           }
           return runScript(
               lines, nullptr,
               [fd](const std::string& l) { send(fd, "L" + l); }, "replay.scn");
         })
      .outcome;
}

// ---- Shrinking

// Delta debugging (ddmin) over the lines after the load: the smallest set
// of steps found that still fails in the same way.
std::vector<std::string> shrink(std::vector<std::string> lines,
                                const std::string& kind) {
  std::size_t fixed = 0;  // setup lines up to the load stay
  while (fixed < lines.size() && lines[fixed].rfind("load ", 0) != 0) ++fixed;
  ++fixed;
  auto fails = [&](const std::vector<std::string>& candidate) {
    Outcome o = replayInChild(candidate, true);
    return o.failed && kindOf(o.message) == kind;
  };
  std::size_t parts = 2;
  while (lines.size() > fixed) {
    const std::size_t n = lines.size() - fixed;
    parts = std::min(parts, n);
    bool reduced = false;
    for (std::size_t k = 0; k < parts && !reduced; ++k) {
      const std::size_t begin = fixed + n * k / parts;
      const std::size_t end = fixed + n * (k + 1) / parts;
      // Without chunk k.
      std::vector<std::string> rest(lines.begin(),
                                    lines.begin() + static_cast<long>(begin));
      rest.insert(rest.end(), lines.begin() + static_cast<long>(end),
                  lines.end());
      if (fails(rest)) {
        lines = std::move(rest);
        parts = std::max<std::size_t>(parts - 1, 2);
        reduced = true;
      }
    }
    if (reduced) continue;
    if (parts >= n) break;
    parts = std::min(n, parts * 2);
  }
  // The setup lines before the load, one at a time.
  for (std::size_t i = 0; i + 1 < fixed;) {
    std::vector<std::string> without = lines;
    without.erase(without.begin() + static_cast<long>(i));
    if (fails(without)) {
      lines = std::move(without);
      --fixed;
    } else {
      ++i;
    }
  }
  return lines;
}

// Writes the reproducer beside the forms it needs; returns its path.
std::string writeReproducer(const Options& o, const std::string& name,
                            std::vector<std::string> lines,
                            const std::string& message, std::uint64_t seed) {
  const fs::path dir = fs::path(o.work) / "failures";
  fs::create_directories(dir);
  std::string text = "# flexarium_stress: " + message + "\n" + "# seed " +
                     std::to_string(seed) + "; replay with: flexarium run " +
                     name + ", check with: flexarium_stress --replay " + name +
                     "\n";
  for (std::string& line : lines) {
    if (line.rfind("load ", 0) == 0) {
      const fs::path form = line.substr(5);
      // Its frames are looked for beside it.
      for (const auto& e : fs::directory_iterator(form.parent_path())) {
        if (e.path().extension() == ".dfm") {
          fs::copy_file(e.path(), dir / e.path().filename(),
                        fs::copy_options::overwrite_existing);
        }
      }
      line = "load " + form.filename().string();
    }
    text += line + "\n";
  }
  writeFile(dir / name, text);
  std::cout << "---- " << (dir / name).string() << "\n" << text << "----\n";
  return (dir / name).string();
}

// ---- Main

int replayFile(const Options& o) {
  std::ifstream in(o.replay);
  if (!in) usage(o.replay + ": cannot open the file");
  std::vector<std::string> lines;
  std::string line;
  const fs::path dir = fs::absolute(o.replay).parent_path();
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::string trimmed = flx::Trim(line);
    if (trimmed.empty() || trimmed[0] == '#') continue;
    if (trimmed.rfind("load ", 0) == 0) {
      lines.push_back("load " + (dir / flx::Trim(trimmed.substr(5))).string());
    } else {
      lines.push_back(trimmed);
    }
  }
  Outcome out = runScript(lines, nullptr, nullptr, o.replay);
  if (out.failed) {
    std::cout << o.replay << ": step " << out.step + 1 << " ("
              << (out.step >= 0 && out.step < static_cast<int>(lines.size())
                      ? lines[static_cast<std::size_t>(out.step)]
                      : std::string("end"))
              << "): " << out.message << "\n";
    return 1;
  }
  std::cout << o.replay << ": " << lines.size()
            << " lines, every invariant holds\n";
  return 0;
}

int run(const Options& o) {
  writeGeneratedForms(fs::path(o.work) / "forms");
  const std::vector<std::string> forms = formFiles(o);
  if (forms.empty()) usage("no forms in " + o.forms);
  const auto start = std::chrono::steady_clock::now();
  int failures = 0;
  long steps = 0;
  for (int i = 0; i < o.scenarios; ++i) {
    const std::uint64_t seed = scenarioSeed(o.seed, i);
    ChildResult r = inChild([&](int fd) {
      StepMaker maker(seed, o.steps, forms);
      return runScript(
          maker.setup(),
          [&](flexarium_cli::Session* s, int index) {
            return maker.next(s, index);
          },
          [fd](const std::string& l) { send(fd, "L" + l); },
          "scenario-" + std::to_string(i) + ".scn");
    });
    steps += static_cast<long>(r.lines.size());
    if (o.verbose) {
      std::cout << "scenario " << i << " (seed " << seed
                << "): " << r.lines.size() << " lines, "
                << (r.outcome.failed ? r.outcome.message : "ok") << "\n";
    }
    if (!r.outcome.failed) continue;
    ++failures;
    std::cout << "scenario " << i << " (seed " << seed << ") failed at line "
              << r.outcome.step + 1 << ": " << r.outcome.message << "\n";
    std::vector<std::string> lines = r.lines;
    if (r.outcome.step >= 0 &&
        r.outcome.step + 1 < static_cast<int>(lines.size())) {
      lines.resize(static_cast<std::size_t>(r.outcome.step) + 1);
    }
    std::vector<std::string> small = shrink(lines, kindOf(r.outcome.message));
    Outcome again = replayInChild(small, true);
    writeReproducer(
        o,
        "stress-" + std::to_string(o.seed) + "-" + std::to_string(i) + ".scn",
        small, again.failed ? again.message : r.outcome.message, seed);
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
          .count();
  std::printf("%d passed, %d failed\n", o.scenarios - failures, failures);
  std::printf("%ld steps in %.1f s (seed %llu)\n", steps, seconds,
              static_cast<unsigned long long>(o.seed));
  if (failures == 0) {
    std::error_code ec;
    fs::remove_all(fs::path(o.work) / "forms", ec);
  }
  return failures == 0 ? 0 : 1;
}

}  // namespace flexarium_stress

int main(int argc, char** argv) {
  const flexarium_stress::Options o =
      flexarium_stress::parseOptions(argc, argv);
  if (!o.replay.empty()) return flexarium_stress::replayFile(o);
  return flexarium_stress::run(o);
}
