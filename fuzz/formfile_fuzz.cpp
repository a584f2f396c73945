// Fuzzes building components from form files and writing them back: any
// input must either be refused with the framework's error or give a tree
// that writes, reads back and writes the same text, with nothing leaked.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "flexarium/flexarium.h"
#include "flexarium/formfile.h"
#include "flexarium/sim_desktop.h"

namespace {

// The reader looks for the form files of frames and ancestors beside the
// form: the input's folder is an empty one of its own, so that no run reads
// whatever lies in the current folder.
const std::string& InputName() {
  static const std::string name = [] {
    namespace fs = std::filesystem;
    std::string dir = (fs::temp_directory_path() / "formfile_fuzz.XXXXXX");
    if (::mkdtemp(dir.data()) == nullptr) std::abort();
    return (fs::path(dir) / "fuzz.dfm").string();
  }();
  return name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  flx::sim::ScopedDesktop desktop;
  desktop->setRecording(false);
  flx::FlexariumInitialization();
  std::string text(reinterpret_cast<const char*>(data), size);
  for (bool designing : {true, false}) {
    flx::FormLoadOptions options;
    options.designing = designing;
    try {
      auto root = flx::LoadFormText(text, InputName(), options);
      std::string written = flx::WriteFormText(*root);
      auto again = flx::LoadFormText(written, InputName(), options);
      (void)flx::WriteFormText(*again);
    } catch (const flx::Exception&) {
      // Refused with a message: that is the expected outcome for most input.
    }
  }
  flx::FlexariumFinalization();
  return 0;
}
