#include "form_input.h"

#include <sys/stat.h>

#include <cstdio>
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
                                          const flx::FormLoadOptions& options) {
  if (!isStdin(file)) return flx::LoadFormFile(file, options);
  // Named without a folder, the form's neighbours are the current folder's.
  return flx::LoadFormText(readStandardInput(), kStdinName, options);
}

std::string freeComponentName(const flx::TComponent& owner,
                              const std::string& base) {
  for (int n = 1;; ++n) {
    std::string name = base + std::to_string(n);
    if (owner.FindComponent(name) == nullptr) return name;
  }
}

}  // namespace flexarium_cli
