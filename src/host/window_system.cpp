#include "flexarium/window_system.h"

#include <cstring>
#include <stdexcept>

#include "flexarium/winapi.h"

namespace flx::win {

namespace {
// The process's one current window system.
WindowSystem* gCurrent = nullptr;
}  // namespace

WindowSystem& currentWindowSystem() {
  if (gCurrent == nullptr) {
    throw std::logic_error("no window system is installed");
  }
  return *gCurrent;
}

bool hasWindowSystem() { return gCurrent != nullptr; }

WindowSystem* setCurrentWindowSystem(WindowSystem* system) {
  WindowSystem* previous = gCurrent;
  gCurrent = system;
  return previous;
}

BOOL EqualRect(const RECT* a, const RECT* b) {
  if (a == nullptr || b == nullptr) return FALSE;
  return a->left == b->left && a->top == b->top && a->right == b->right &&
                 a->bottom == b->bottom
             ? TRUE
             : FALSE;
}

BOOL OffsetRect(RECT* rect, int dx, int dy) {
  if (rect == nullptr) return FALSE;
  rect->left += dx;
  rect->right += dx;
  rect->top += dy;
  rect->bottom += dy;
  return TRUE;
}

int lstrcmpA(const char* a, const char* b) {
  if (a == nullptr) a = "";
  if (b == nullptr) b = "";
  return std::strcmp(a, b);
}

}  // namespace flx::win
