#include "flexarium/window_system.h"

#include <cstring>
#include <stdexcept>

#include "flexarium/sysutils.h"
#include "flexarium/winapi.h"

namespace flx::win {

namespace {
// The process's one current window system.
WindowSystem* gCurrent = nullptr;

// name, ownChildren, simulated
constexpr SystemClass kSystemClasses[] = {
    {u"Button", false, true},
    {u"Edit", true, true},
    {u"Static", false, true},
    {u"ListBox", true, true},
    {u"ComboBox", true, true},
    {u"ScrollBar", true, true},
    {u"#32770", false, true},
    {u"ComboBoxEx32", true, true},
    {u"SysListView32", true, true},
    {u"SysHeader32", true, true},
    {u"SysTabControl32", false, true},
    {u"SysTreeView32", true, true},
    {u"SysDateTimePick32", true, true},
    {u"SysMonthCal32", true, false},
    {u"SysIPAddress32", true, false},
    {u"SysLink", true, false},
    {u"SysAnimate32", true, false},
    {u"msctls_progress32", true, true},
    {u"msctls_trackbar32", true, true},
    {u"msctls_updown32", true, true},
    {u"msctls_statusbar32", true, true},
    {u"msctls_hotkey32", true, false},
    {u"ToolbarWindow32", true, true},
    {u"ReBarWindow32", true, false},
    {u"RichEdit20W", true, false},
    {u"RICHEDIT50W", true, false},
};
}  // namespace

const SystemClass* FindSystemClass(std::u16string_view name) {
  for (const SystemClass& c : kSystemClasses) {
    if (SameAsciiText(c.name, name)) return &c;
  }
  return nullptr;
}

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
