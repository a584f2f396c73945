// Every dialog of the corpus of resource scripts (compiled with windres when
// the project is configured, as for the native dialog parity check) made on
// the simulated desktop and previewed at three sizes, as a preview of each
// would: a desktop of its own, the template read from the .res data, the
// dialog made as CreateDialogIndirectParamW makes it (a property page
// inside a window of its own), the component attached, the dialog shown and
// its client area sized to 0.75x, 1.5x and 2x its size as made, every
// control's rectangle read after each step. One iteration is the whole
// corpus (131 dialogs from 8 applications).
//
// Without the compiled corpus (no windres, no python3 or no corpus folder
// when the project was configured) the benchmark says so and measures
// nothing.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "flexarium/attach.h"
#include "flexarium/flexarium.h"
#include "flexarium/resources.h"
#include "flexarium/sim_desktop.h"
#include "flexarium/winapi.h"

namespace {

using namespace flx;
using namespace flx::win;

struct ResFile {
  std::string name;
  std::vector<std::uint8_t> bytes;
};

// The compiled corpus: the files the build's list names, read once.
std::vector<ResFile> corpus(std::string& why) {
  const std::string list = FLEXARIUM_DIALOG_CORPUS_LIST;
  std::ifstream in(list);
  if (list.empty() || !in) {
    why =
        "no compiled dialog corpus: it needs windres, python3 and "
        "FLEXARIUM_RC_CORPUS_DIR when the project is configured";
    return {};
  }
  std::vector<ResFile> files;
  for (std::string path; std::getline(in, path);) {
    if (path.empty()) continue;
    std::ifstream file(path, std::ios::binary);
    if (!file) {
      why = path + ": cannot open the file (build flexarium_dialog_corpus)";
      return {};
    }
    files.push_back({path, std::vector<std::uint8_t>(
                               std::istreambuf_iterator<char>(file), {})});
  }
  if (files.empty()) why = list + ": names no file";
  return files;
}

LRESULT FLX_CALLBACK StandInProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  return DefWindowProcW(wnd, msg, wp, lp);
}

LONG_PTR FLX_CALLBACK QuietDialogProc(HWND, UINT msg, WPARAM, LPARAM) {
  return msg == WM_INITDIALOG ? 1 : 0;
}

constexpr char16_t kHostClass[] = u"FlxBenchPageHost";

void setClient(HWND wnd, int w, int h) {
  RECT r{}, c{};
  GetWindowRect(wnd, &r);
  GetClientRect(wnd, &c);
  MoveWindow(wnd, r.left, r.top, w + (r.right - r.left) - c.right,
             h + (r.bottom - r.top) - c.bottom, TRUE);
}

struct Tally {
  int dialogs = 0;
  int controls = 0;
  // Controls whose rectangle at 2x is not the one as made: the component
  // really served the dialogs.
  int scaled = 0;
};

// The rectangles of the window's children and theirs, in their parents'
// client coordinates, as a preview reports them.
void readLayout(HWND wnd, std::vector<RECT>& out) {
  POINT origin{0, 0};
  ClientToScreen(wnd, &origin);
  for (HWND c = GetWindow(wnd, GW_CHILD); c != nullptr;
       c = GetWindow(c, GW_HWNDNEXT)) {
    RECT r{};
    GetWindowRect(c, &r);
    out.push_back(RECT{r.left - origin.x, r.top - origin.y, r.right - origin.x,
                       r.bottom - origin.y});
    readLayout(c, out);
  }
}

// One dialog, as its own preview takes it. Throws what the library throws.
void previewDialog(std::span<const std::uint8_t> data, const std::string& file,
                   std::size_t offset, Tally& tally) {
  sim::ScopedDesktop desktop;
  desktop->setRecording(false);
  FlexariumInitialization();
  struct Finalize {
    ~Finalize() { FlexariumFinalization(); }
  } finalize;
  const res::DialogTemplate t = res::ParseDialogTemplate(data, file, offset);
  // The program's own control classes, registered as it would.
  for (const auto& item : t.items) {
    if (!item.windowClass.isOrdinal) {
      RegisterWindowClass(item.windowClass.name, &StandInProc);
    }
  }
  HWND host = nullptr;
  if (t.style & WS_CHILD) {
    RegisterWindowClass(kHostClass, &StandInProc);
    host = CreateWindowExW(0, kHostClass, u"page", WS_OVERLAPPEDWINDOW, 100,
                           100, 800, 600, nullptr, nullptr);
  }
  const HWND dlg =
      CreateDialogIndirectParamW(nullptr, data, host, &QuietDialogProc, 0);
  if (dlg == nullptr) {
    throw Exception(file + ": dialog at byte " + std::to_string(offset) +
                    " not made: " + desktop->lastDialogError());
  }
  const HWND top = host != nullptr ? host : dlg;
  if (host != nullptr) {
    RECT page{};
    GetWindowRect(dlg, &page);
    POINT origin{0, 0};
    ClientToScreen(host, &origin);
    setClient(host, page.right - origin.x, page.bottom - origin.y);
  }
  RECT client{};
  GetClientRect(top, &client);
  auto attached = Attach(top);
  ShowWindow(top, SW_SHOW);
  std::vector<RECT> made, now;
  readLayout(top, made);
  for (const double scale : {0.75, 1.5, 2.0}) {
    setClient(top, static_cast<int>(client.right * scale + 0.5),
              static_cast<int>(client.bottom * scale + 0.5));
    now.clear();
    readLayout(top, now);
  }
  tally.controls += static_cast<int>(made.size());
  for (std::size_t i = 0; i < made.size() && i < now.size(); ++i) {
    const RECT& a = made[i];
    const RECT& b = now[i];
    if (a.left != b.left || a.top != b.top || a.right != b.right ||
        a.bottom != b.bottom) {
      ++tally.scaled;
    }
  }
  attached.reset();
  DestroyWindow(top);
  ++tally.dialogs;
}

void BM_PreviewDialogCorpus(benchmark::State& state) {
  std::string why;
  const std::vector<ResFile> files = corpus(why);
  if (files.empty()) {
    state.SkipWithError(why.c_str());
    return;
  }
  Tally tally;
  try {
    for (auto _ : state) {
      tally = Tally{};
      for (const ResFile& f : files) {
        for (const res::Resource& r : res::ReadResources(f.bytes, f.name)) {
          if (!r.type.isOrdinal || r.type.ordinal != res::kRtDialog) continue;
          previewDialog(std::span(f.bytes).subspan(r.offset, r.size), f.name,
                        r.offset, tally);
        }
      }
      benchmark::DoNotOptimize(tally.scaled);
    }
  } catch (const std::exception& e) {
    state.SkipWithError(e.what());
    return;
  }
  state.counters["dialogs"] = tally.dialogs;
  state.counters["controls"] = tally.controls;
  state.counters["scaled"] = tally.scaled;
  state.counters["per_dialog"] = benchmark::Counter(
      tally.dialogs, benchmark::Counter::kIsIterationInvariantRate |
                         benchmark::Counter::kInvert);
}
BENCHMARK(BM_PreviewDialogCorpus)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();

}  // namespace
