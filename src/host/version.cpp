// The framework's version queries: the running Windows version is whatever
// the current window system reports, so they sit above the run-time library.
#include "flexarium/sysutils.h"
#include "flexarium/window_system.h"

namespace flx {

int Win32MajorVersion() {
  return win::currentWindowSystem().getVersion().major;
}
int Win32MinorVersion() {
  return win::currentWindowSystem().getVersion().minor;
}
bool CheckWin32Version(int major, int minor) {
  auto v = win::currentWindowSystem().getVersion();
  return v.major > major || (v.major == major && v.minor >= minor);
}

}  // namespace flx
