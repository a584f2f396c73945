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

std::string inputName(const std::string& file) {
  return isStdin(file) ? kStdinName : file;
}

std::unique_ptr<flx::TComponent> loadForm(const std::string& file,
                                          const flx::FormLoadOptions& options,
                                          std::string* text) {
  if (!isStdin(file)) {
    auto root = flx::LoadFormFile(file, options);
    if (text != nullptr) {
      std::ifstream in(file, std::ios::binary);
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

std::string freeComponentName(const flx::TComponent& owner,
                              const std::string& base) {
  for (int n = 1;; ++n) {
    std::string name = base + std::to_string(n);
    if (owner.FindComponent(name) == nullptr) return name;
  }
}

}  // namespace flexarium_cli
