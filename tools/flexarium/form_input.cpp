#include "form_input.h"

#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

namespace flexarium_cli {

namespace {

std::string readStandardInput() {
  // `flexarium check - < folder` opens fine and fails only on reading.
  struct stat info {};
  if (::fstat(::fileno(stdin), &info) == 0 && S_ISDIR(info.st_mode)) {
    throw flx::EReadError(kStdinName, {}, "is a folder, not a form file");
  }
  std::ostringstream text;
  text << std::cin.rdbuf();
  if (std::ferror(stdin)) {
    std::clearerr(stdin);
    throw flx::EReadError(kStdinName, {}, "cannot read standard input");
  }
  return text.str();
}

}  // namespace

std::filesystem::path pathOf(const std::string& name) {
  return std::filesystem::path(std::u8string(name.begin(), name.end()));
}

std::string nameOf(const std::filesystem::path& path) {
  const std::u8string name = path.u8string();
  return std::string(name.begin(), name.end());
}

std::string inputName(const std::string& file) {
  return isStdin(file) ? kStdinName : file;
}

std::unique_ptr<flx::TComponent> loadForm(const std::string& file,
                                          const flx::FormLoadOptions& options,
                                          std::string* text) {
  if (!isStdin(file)) {
    auto root = flx::LoadFormFile(file, options);
    if (text != nullptr) {
      std::ifstream in(pathOf(file), std::ios::binary);
      std::ostringstream read;
      read << in.rdbuf();
      *text = read.str();
    }
    return root;
  }
  // Named without a folder, the form's neighbours are the current folder's.
  std::string read = readStandardInput();
  auto root = flx::LoadFormText(read, kStdinName, options);
  if (text != nullptr) *text = std::move(read);
  return root;
}

TextLayout layoutOf(std::string_view text) {
  TextLayout layout;
  layout.bom = text.substr(0, 3) == "\xEF\xBB\xBF";
  const auto lf = text.find('\n');
  layout.crlf = lf != std::string_view::npos && lf > 0 && text[lf - 1] == '\r';
  return layout;
}

std::string applyLayout(const std::string& text, const TextLayout& layout) {
  std::string out;
  out.reserve(text.size() + (layout.crlf ? text.size() / 16 : 0) + 3);
  if (layout.bom) out += "\xEF\xBB\xBF";
  for (char c : text) {
    if (c == '\n' && layout.crlf) out += '\r';
    out += c;
  }
  return out;
}

std::unique_ptr<flx::TComponent> loadForm(const std::string& file,
                                          const flx::FormLoadOptions& options,
                                          TextLayout& layout) {
  if (isStdin(file)) {
    std::string text;
    auto root = loadForm(file, options, &text);
    layout = layoutOf(text);
    return root;
  }
  auto root = flx::LoadFormFile(file, options);
  // The first line tells the layout; the file read whole is the library's.
  std::ifstream in(pathOf(file), std::ios::binary);
  std::string first;
  std::getline(in, first);
  if (!in.eof()) first += '\n';
  layout = layoutOf(first);
  return root;
}

std::string freeComponentName(const flx::TComponent& owner,
                              const std::string& base) {
  for (int n = 1;; ++n) {
    std::string name = base + std::to_string(n);
    if (owner.FindComponent(name) == nullptr) return name;
  }
}

}  // namespace flexarium_cli
