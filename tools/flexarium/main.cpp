// flexarium: reads, checks and previews form files on the simulated desktop.
#include "commands.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>
#include <vector>

#include "flexarium/sysutils.h"

// After the framework headers: they declare names that are macros in
// <windows.h>.
#include "flexarium/win32_windows.h"

namespace {

// The console shows what the command writes, UTF-8, whatever its own code
// page; the old one comes back at exit.
class Utf8Console {
 public:
  Utf8Console() : old_(GetConsoleOutputCP()) {
    if (old_ != 0) SetConsoleOutputCP(CP_UTF8);
  }
  ~Utf8Console() {
    if (old_ != 0) SetConsoleOutputCP(old_);
  }
  Utf8Console(const Utf8Console&) = delete;
  Utf8Console& operator=(const Utf8Console&) = delete;

 private:
  UINT old_;
};

}  // namespace

// Windows hands the arguments over as UTF-16: taken to UTF-8 here, every
// file name arrives whole, whatever the ANSI code page. The standard streams
// in binary mode read and write the same bytes as elsewhere: no CR added
// before each LF, no end of input at a Ctrl-Z in a piped form file.
int wmain(int argc, wchar_t** argv) {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  Utf8Console console;
  std::vector<std::string> args;
  for (int i = 0; i < argc; ++i) {
    args.push_back(
        flx::Utf16ToUtf8(reinterpret_cast<const char16_t*>(argv[i])));
  }
  std::vector<const char*> pointers;
  for (const std::string& arg : args) pointers.push_back(arg.c_str());
  pointers.push_back(nullptr);
  return flexarium_cli::Main(argc, pointers.data());
}
#else
int main(int argc, char** argv) { return flexarium_cli::Main(argc, argv); }
#endif
