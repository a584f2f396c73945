#include "dialog_input.h"
#include "form_input.h"
#include "options.h"

#include <algorithm>
#include <cctype>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <sstream>

namespace flexarium_cli {

namespace fs = std::filesystem;

namespace {

std::string utf8(const fs::path& path) {
  const std::u8string s = path.u8string();
  return std::string(s.begin(), s.end());
}

std::vector<std::uint8_t> readBytes(const std::string& file) {
  std::ifstream in(pathOf(file), std::ios::binary);
  if (!in) throw flx::Exception(file + ": error: cannot open the file");
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
  if (in.bad()) throw flx::Exception(file + ": error: cannot read the file");
  return bytes;
}

bool isScript(const std::string& file) {
  std::string ext = nameOf(pathOf(file).extension());
  for (char& c : ext) c = static_cast<char>(std::tolower(c));
  return ext == ".rc";
}

// A command-line word for the shell: quoted, with the characters the
// shell would still read inside quotes refused rather than guessed at.
std::string quoted(const std::string& word, const std::string& file) {
#ifdef _WIN32
  const char* special = "\"%\n";
#else
  const char* special = "\"$`\\\n";
#endif
  if (word.find_first_of(special) != std::string::npos) {
    throw flx::Exception(file + ": error: cannot pass '" + word +
                         "' to the resource compiler: it holds a quote, a "
                         "line break or a character the shell reads");
  }
  return "\"" + word + "\"";
}

bool onPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return false;
  std::string all = path;
#ifdef _WIN32
  const char sep = ';';
  const char* suffix = ".exe";
#else
  const char sep = ':';
  const char* suffix = "";
#endif
  std::size_t start = 0;
  while (start <= all.size()) {
    const std::size_t end = std::min(all.find(sep, start), all.size());
    const fs::path dir = all.substr(start, end - start);
    std::error_code ec;
    if (!dir.empty() && fs::exists(dir / (program + suffix), ec)) return true;
    start = end + 1;
  }
  return false;
}

std::string findCompiler(const std::string& file) {
  if (const char* named = std::getenv("FLEXARIUM_WINDRES")) {
    if (*named != '\0') return named;
  }
  for (const char* program : {"x86_64-w64-mingw32-windres", "windres"}) {
    if (onPath(program)) return program;
  }
  throw flx::Exception(
      file +
      ": error: reading a resource script needs MinGW-w64's resource "
      "compiler (windres), which is not on the PATH; install it (Debian: "
      "binutils-mingw-w64-x86-64) or name it in FLEXARIUM_WINDRES, or give "
      "the compiled .res file");
}

// Compiles the script into a .res file in the temporary folder and reads
// that; the compiler's messages go to standard error as they come.
std::vector<std::uint8_t> compileScript(const std::string& file,
                                        const ScriptOptions& script) {
  std::error_code ec;
  if (!fs::is_regular_file(pathOf(file), ec)) {
    throw flx::Exception(file + ": error: cannot open the file");
  }
  const std::string compiler = findCompiler(file);
  std::random_device random;
  const fs::path out = fs::temp_directory_path() /
                       ("flexarium-" + std::to_string(random()) + ".res");
  const fs::path source = pathOf(file);
  std::string command = quoted(compiler, file) + " -O res";
  // The script's own folder first, as the compiler of a project does.
  const fs::path folder = source.parent_path();
  command +=
      " -I " + quoted(folder.empty() ? std::string(".") : utf8(folder), file);
  for (const std::string& dir : script.includeDirs) {
    command += " -I " + quoted(dir, file);
  }
  for (const std::string& define : script.defines) {
    command += " -D " + quoted(define, file);
  }
  command += " -i " + quoted(file, file) + " -o " + quoted(utf8(out), file);
#ifdef _WIN32
  // cmd.exe takes the whole line in one more pair of quotes.
  command = "\"" + command + "\"";
#endif
#ifdef _WIN32
  const std::u16string wide = flx::Utf8ToUtf16(command);
  const int status = _wsystem(reinterpret_cast<const wchar_t*>(wide.c_str()));
#else
  const int status = std::system(command.c_str());
#endif
  struct Remove {
    fs::path path;
    ~Remove() {
      std::error_code ec;
      fs::remove(path, ec);
    }
  } remove{out};
  if (status != 0) {
    throw flx::Exception(file + ": error: the resource compiler (" + compiler +
                         ") failed; its messages are above");
  }
  return readBytes(utf8(out));
}

}  // namespace

std::vector<const flx::res::Resource*> ResourceInput::dialogs() const {
  std::vector<const flx::res::Resource*> out;
  for (const flx::res::Resource& r : resources) {
    if (r.type.isOrdinal && r.type.ordinal == flx::res::kRtDialog) {
      out.push_back(&r);
    }
  }
  return out;
}

flx::res::DialogTemplate ResourceInput::dialog(
    const flx::res::Resource& r) const {
  return flx::res::ParseDialogTemplate(
      std::span(bytes).subspan(r.offset, r.size), name, r.offset);
}

bool isResourceFile(const std::string& file) {
  std::string ext = nameOf(pathOf(file).extension());
  for (char& c : ext) c = static_cast<char>(std::tolower(c));
  return ext == ".res" || ext == ".exe" || ext == ".dll" || ext == ".rc";
}

namespace {

std::string hexLanguage(int language) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "%04x", language & 0xFFFF);
  return buffer;
}

}  // namespace

std::string dialogChoices(const ResourceInput& input) {
  std::string out;
  for (const flx::res::Resource* r : input.dialogs()) {
    out += (out.empty() ? "" : ", ") + r->name.toString() + " (" +
           hexLanguage(r->language) + ")";
  }
  return out.empty() ? "the file has no dialog" : "its dialogs: " + out;
}

const flx::res::Resource& findDialog(const ResourceInput& input,
                                     const std::string& id,
                                     std::optional<int> language,
                                     const std::map<std::string, int>& names) {
  if (id.empty()) {
    throw flx::Exception(input.name + ": error: name the dialog (--dialog ID " +
                         "or NAME); " + dialogChoices(input));
  }
  const std::string what = input.name + ": error: dialog " + id;
  flx::res::ResourceId wanted;
  if (auto number = parseInt(id, 0, 0xFFFF)) {
    wanted = flx::res::ResourceId::Ordinal(static_cast<std::uint16_t>(*number));
  } else {
    wanted = flx::res::ResourceId::Parse(id);
  }
  std::vector<const flx::res::Resource*> found;
  for (const flx::res::Resource* r : input.dialogs()) {
    if (r->name.matches(wanted)) found.push_back(r);
  }
  // A name the header gives a number for, when no resource has that name.
  if (found.empty() && !wanted.isOrdinal) {
    for (const auto& [name, value] : names) {
      if (flx::SameText(name, id) && value >= 0 && value <= 0xFFFF) {
        const auto ordinal =
            flx::res::ResourceId::Ordinal(static_cast<std::uint16_t>(value));
        for (const flx::res::Resource* r : input.dialogs()) {
          if (r->name.matches(ordinal)) found.push_back(r);
        }
        break;
      }
    }
  }
  if (found.empty()) {
    throw flx::Exception(what + ": no such dialog; " + dialogChoices(input));
  }
  std::string languages;
  for (const flx::res::Resource* r : found) {
    languages += (languages.empty() ? "" : ", ") + hexLanguage(r->language);
  }
  if (language) {
    for (const flx::res::Resource* r : found) {
      if (r->language == *language) return *r;
    }
    throw flx::Exception(what + ": no language " + hexLanguage(*language) +
                         "; the dialog has " + languages);
  }
  if (found.size() == 1) return *found[0];
  for (int preferred : {0, 0x0409}) {
    for (const flx::res::Resource* r : found) {
      if (r->language == preferred) return *r;
    }
  }
  throw flx::Exception(what + ": in several languages (" + languages +
                       "); choose one with --lang");
}

namespace {

// The numbers `#define NAME VALUE` lines give, and the files included with
// quotes.
void readDefinesOf(const fs::path& file, const std::vector<fs::path>& dirs,
                   std::set<fs::path>& seen, std::map<std::string, int>& out) {
  std::error_code ec;
  const fs::path canonical = fs::weakly_canonical(file, ec);
  if (!seen.insert(ec ? file : canonical).second) return;
  std::ifstream in(file, std::ios::binary);
  if (!in) throw flx::Exception(utf8(file) + ": error: cannot open the file");
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    std::string directive;
    words >> directive;
    if (directive == "#include") {
      std::string name;
      words >> name;
      if (name.size() < 3 || name.front() != '"' || name.back() != '"') {
        continue;
      }
      const fs::path header = pathOf(name.substr(1, name.size() - 2));
      std::vector<fs::path> where{file.parent_path()};
      where.insert(where.end(), dirs.begin(), dirs.end());
      for (const fs::path& dir : where) {
        const fs::path candidate = dir / header;
        if (fs::is_regular_file(candidate, ec)) {
          readDefinesOf(candidate, dirs, seen, out);
          break;
        }
      }
      continue;
    }
    if (directive != "#define") continue;
    std::string name, value;
    words >> name >> value;
    while (value.size() > 2 && value.front() == '(' && value.back() == ')') {
      value = value.substr(1, value.size() - 2);
    }
    if (name.empty() || !flx::IsValidIdent(name)) continue;
    const bool negative = !value.empty() && value[0] == '-';
    if (negative) value.erase(0, 1);
    std::optional<int> number;
    if (value.size() > 2 && value[0] == '0' &&
        (value[1] == 'x' || value[1] == 'X')) {
      number = parseLanguage(value);
    } else {
      number = parseInt(value, 0, 0x7FFFFFFF);
    }
    if (number) out[name] = negative ? -*number : *number;
  }
}

}  // namespace

std::map<std::string, int> readDefines(
    const std::string& file, const std::vector<std::string>& includeDirs) {
  std::vector<fs::path> dirs;
  for (const std::string& d : includeDirs) dirs.push_back(pathOf(d));
  std::set<fs::path> seen;
  std::map<std::string, int> out;
  readDefinesOf(pathOf(file), dirs, seen, out);
  return out;
}

ResourceInput readResourceInput(const std::string& file,
                                const ScriptOptions& script) {
  ResourceInput input;
  input.name = file;
  input.bytes = isScript(file) ? compileScript(file, script) : readBytes(file);
  input.resources = flx::res::ReadResources(input.bytes, file);
  return input;
}

}  // namespace flexarium_cli
