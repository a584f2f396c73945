// A form with two inline frames read beside 0 to 8 unrelated forms of
// 1.8 MB each, as `flexarium check` reads a form in a project folder. The
// frame's file is found by the class its heading declares, so the time
// must not grow with the size or number of the other forms in the folder
// (parsing them all made checking each form of a folder quadratic).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>

#include "flexarium/formfile.h"
#include "flexarium/sim_desktop.h"

namespace {

namespace fs = std::filesystem;

// An unrelated form of `buttons` buttons.
std::string LargeForm(int index, int buttons) {
  std::string text = "object Big" + std::to_string(index) + ": TBig" +
                     std::to_string(index) + "\n  ClientWidth = 800\n";
  for (int i = 0; i < buttons; ++i) {
    const std::string n = std::to_string(i);
    text += "  object Button" + n + ": TButton\n    Left = " + n +
            "\n    Top = 8\n    Width = 75\n    Height = 25\n    Caption = "
            "'Button " +
            n + "'\n  end\n";
  }
  return text + "end\n";
}

const char* const kFrame = R"(object AddressFrame: TAddressFrame
  Width = 280
  Height = 120
  object edStreet: TEdit
    Left = 80
    Top = 8
    Width = 180
    Height = 21
  end
end
)";

// The order dialog, with the address frame inline twice.
std::string OrderForm() {
  std::string text =
      "object OrderDialog: TOrderDialog\n  ClientHeight = 360\n"
      "  ClientWidth = 400\n";
  for (const auto& [name, top] :
       {std::pair{"BillTo", 40}, std::pair{"ShipTo", 180}}) {
    text += std::string("  inline ") + name +
            ": TAddressFrame\n    Left = 8\n" +
            "    Top = " + std::to_string(top) + "\n  end\n";
  }
  return text + "end\n";
}

void BM_FindFramesBesideLargeForms(benchmark::State& state) {
  const int others = static_cast<int>(state.range(0));
  const fs::path dir = fs::temp_directory_path() / "flexarium_find_frame_bench";
  fs::remove_all(dir);
  fs::create_directories(dir);
  std::ofstream(dir / "address_frame.dfm") << kFrame;
  std::ofstream(dir / "order_dialog.dfm") << OrderForm();
  std::uintmax_t bytes = 0;
  for (int i = 0; i < others; ++i) {
    // Named to sort before the frame's file, which a search by parsing
    // would reach last.
    const fs::path path = dir / ("a_big" + std::to_string(i) + ".dfm");
    std::ofstream(path) << LargeForm(i, 20000);
    bytes += fs::file_size(path);
  }
  const std::string form = (dir / "order_dialog.dfm").string();
  flx::sim::ScopedDesktop desktop;
  for (auto _ : state) {
    auto root = flx::LoadFormFile(form);
    benchmark::DoNotOptimize(root.get());
  }
  state.counters["neighbour_bytes"] = static_cast<double>(bytes);
  fs::remove_all(dir);
}

}  // namespace

BENCHMARK(BM_FindFramesBesideLargeForms)
    ->Arg(0)
    ->Arg(1)
    ->Arg(8)
    ->Unit(benchmark::kMillisecond);
