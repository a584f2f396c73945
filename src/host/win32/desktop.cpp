#include "flexarium/win32_desktop.h"

#include <algorithm>
#include <string>
#include <vector>

#include "flexarium/resources.h"
#include "host/win32/deferred_layout.h"
#include "host/win32/records.h"

namespace flx::win32 {

using namespace detail;

namespace {

using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
using DwmIsCompositionEnabledFn = HRESULT(WINAPI*)(BOOL*);
using DwmGetWindowAttributeFn = HRESULT(WINAPI*)(HWND, DWORD, void*, DWORD);
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetDpiForSystemFn = UINT(WINAPI*)();
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD,
                                                 UINT);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
using GetThreadDpiAwarenessContextFn = DPI_AWARENESS_CONTEXT(WINAPI*)();
using GetAwarenessFromDpiAwarenessContextFn =
    int(WINAPI*)(DPI_AWARENESS_CONTEXT);
using IsProcessDPIAwareFn = BOOL(WINAPI*)();
using SetDialogDpiChangeBehaviorFn = BOOL(WINAPI*)(HWND, int, int);
using SetDialogControlDpiChangeBehaviorFn = BOOL(WINAPI*)(HWND, int, int);

constexpr HRESULT kNotImplemented = static_cast<HRESULT>(0x80004001u);

fw::OSVersion trueVersion() {
  // GetVersionEx reports what the exe's manifest allows (6.2 at most
  // without one); ntdll's RtlGetVersion is not shimmed.
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
  const auto rtl = procAddress<RtlGetVersionFn>(
      ::GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion");
  if (rtl != nullptr && rtl(&info) == 0) {
    return fw::OSVersion{static_cast<int>(info.dwMajorVersion),
                         static_cast<int>(info.dwMinorVersion)};
  }
  info = OSVERSIONINFOW{};
  info.dwOSVersionInfoSize = sizeof info;
  if (::GetVersionExW(&info)) {
    return fw::OSVersion{static_cast<int>(info.dwMajorVersion),
                         static_cast<int>(info.dwMinorVersion)};
  }
  return fw::OSVersion{};
}

// Looks for a window of this process whose class is `atom`.
struct ClassSearch {
  ATOM atom;
  HWND found;
};

BOOL CALLBACK matchClass(HWND wnd, LPARAM param) {
  auto* search = reinterpret_cast<ClassSearch*>(param);
  if (::GetClassLongPtrW(wnd, GCW_ATOM) != search->atom) return TRUE;
  search->found = wnd;
  return FALSE;
}

BOOL CALLBACK matchClassInTree(HWND top, LPARAM param) {
  DWORD process = 0;
  ::GetWindowThreadProcessId(top, &process);
  if (process != ::GetCurrentProcessId()) return TRUE;
  if (!matchClass(top, param)) return FALSE;
  ::EnumChildWindows(top, &matchClass, param);
  return reinterpret_cast<ClassSearch*>(param)->found == nullptr;
}

HWND windowOfClass(ATOM atom) {
  ClassSearch search{atom, nullptr};
  ::EnumWindows(&matchClassInTree, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The one DPI of every window where Windows has no per-monitor DPI.
UINT screenDpi() {
  HDC dc = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(dc, LOGPIXELSY);
  ::ReleaseDC(nullptr, dc);
  return dpi > 0 ? static_cast<UINT>(dpi) : 96u;
}

bool sizeOrPositionCommand(int cmdShow) {
  return cmdShow != SW_HIDE && cmdShow != SW_SHOW && cmdShow != SW_SHOWNA &&
         cmdShow != SW_SHOWNOACTIVATE;
}

}  // namespace

struct Desktop::Impl {
  DeferredLayout layout;
  HMODULE dwm = nullptr;
  bool dwmTried = false;
  DwmIsCompositionEnabledFn dwmIsCompositionEnabled = nullptr;
  DwmGetWindowAttributeFn dwmGetWindowAttribute = nullptr;
  bool versionKnown = false;
  fw::OSVersion version;
  // user32's DPI functions of Windows 10 1607 (null where missing).
  bool dpiTried = false;
  GetDpiForWindowFn getDpiForWindow = nullptr;
  GetDpiForSystemFn getDpiForSystem = nullptr;
  AdjustWindowRectExForDpiFn adjustWindowRectExForDpi = nullptr;
  GetSystemMetricsForDpiFn getSystemMetricsForDpi = nullptr;
  GetThreadDpiAwarenessContextFn getThreadDpiAwarenessContext = nullptr;
  GetAwarenessFromDpiAwarenessContextFn getAwarenessFromDpiAwarenessContext =
      nullptr;
  IsProcessDPIAwareFn isProcessDpiAware = nullptr;
  // user32's per-monitor dialog scaling of Windows 10 1703.
  bool dialogDpiTried = false;
  SetDialogDpiChangeBehaviorFn setDialogDpiChangeBehavior = nullptr;
  SetDialogControlDpiChangeBehaviorFn setDialogControlDpiChangeBehavior =
      nullptr;

  ~Impl() {
    // A lock left behind would keep its window from ever drawing again.
    layout.unlock();
    if (dwm != nullptr) ::FreeLibrary(dwm);
  }

  void bindDwm() {
    if (dwmTried) return;
    dwmTried = true;
    // By full path: a dwmapi.dll beside the exe or in the current folder
    // must not be the one loaded.
    wchar_t dir[MAX_PATH];
    const UINT n = ::GetSystemDirectoryW(dir, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return;
    std::wstring path(dir, n);
    path += L"\\dwmapi.dll";
    dwm = ::LoadLibraryW(path.c_str());
    dwmIsCompositionEnabled =
        procAddress<DwmIsCompositionEnabledFn>(dwm, "DwmIsCompositionEnabled");
    dwmGetWindowAttribute =
        procAddress<DwmGetWindowAttributeFn>(dwm, "DwmGetWindowAttribute");
  }

  void bindDpi() {
    if (dpiTried) return;
    dpiTried = true;
    // user32 is linked, so it is loaded already.
    const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    getDpiForWindow = procAddress<GetDpiForWindowFn>(user32, "GetDpiForWindow");
    getDpiForSystem = procAddress<GetDpiForSystemFn>(user32, "GetDpiForSystem");
    adjustWindowRectExForDpi = procAddress<AdjustWindowRectExForDpiFn>(
        user32, "AdjustWindowRectExForDpi");
    getSystemMetricsForDpi =
        procAddress<GetSystemMetricsForDpiFn>(user32, "GetSystemMetricsForDpi");
    getThreadDpiAwarenessContext = procAddress<GetThreadDpiAwarenessContextFn>(
        user32, "GetThreadDpiAwarenessContext");
    getAwarenessFromDpiAwarenessContext =
        procAddress<GetAwarenessFromDpiAwarenessContextFn>(
            user32, "GetAwarenessFromDpiAwarenessContext");
    isProcessDpiAware =
        procAddress<IsProcessDPIAwareFn>(user32, "IsProcessDPIAware");
  }

  void bindDialogDpi() {
    if (dialogDpiTried) return;
    dialogDpiTried = true;
    const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    setDialogDpiChangeBehavior = procAddress<SetDialogDpiChangeBehaviorFn>(
        user32, "SetDialogDpiChangeBehavior");
    setDialogControlDpiChangeBehavior =
        procAddress<SetDialogControlDpiChangeBehaviorFn>(
            user32, "SetDialogControlDpiChangeBehavior");
  }

  // Suspended redrawing hides the locked window's WS_VISIBLE from the
  // system; around a call that shows or hides it, the true bit is back.
  template <typename Call>
  BOOL withTrueVisibility(HWND wnd, Call call) {
    if (!layout.suspends(wnd)) return call();
    layout.resumeRedraw();
    const BOOL result = call();
    layout.suspendRedrawIfVisible();
    return result;
  }
};

Desktop::Desktop() : impl_(std::make_unique<Impl>()) {
  // The framework's track bars, page controls, up-downs, status bars, list
  // and tree views are windows of these classes.
  INITCOMMONCONTROLSEX classes{};
  classes.dwSize = sizeof classes;
  classes.dwICC = ICC_WIN95_CLASSES | ICC_DATE_CLASSES;
  ::InitCommonControlsEx(&classes);
}

Desktop::~Desktop() = default;

bool Desktop::dwmLoaded() const { return impl_->dwm != nullptr; }
HWND Desktop::lockedWindow() const { return impl_->layout.root(); }
int Desktop::queuedMoves() const { return impl_->layout.size(); }

// ---- Windows

bool Desktop::registerClass(std::u16string_view className, fw::WNDPROC proc) {
  if (className.empty() || proc == nullptr) return false;
  const std::wstring name = wide(className);
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  // A class of the exe's own would hide the system's of that name from
  // every later window of the exe.
  if (::GetClassInfoExW(nullptr, name.c_str(), &existing)) return false;
  if (const ATOM atom = ::GetClassInfoExW(instance, name.c_str(), &existing)) {
    if (existing.lpfnWndProc == proc) return true;
    if (!::UnregisterClassW(name.c_str(), instance)) {
      // Windows of the class are alive: they keep their procedure, and the
      // class takes the new one for later windows, set through one of them.
      const HWND any = windowOfClass(atom);
      return any != nullptr &&
             ::SetClassLongPtrW(any, GCLP_WNDPROC,
                                reinterpret_cast<LONG_PTR>(proc)) != 0;
    }
  }
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = name.c_str();
  return ::RegisterClassExW(&wc) != 0;
}

HWND Desktop::createWindowEx(fw::DWORD exStyle, std::u16string_view className,
                             std::u16string_view windowName, fw::DWORD style,
                             int x, int y, int width, int height, HWND parent,
                             void* createParam) {
  const std::wstring cls = wide(className);
  const std::wstring text = wide(windowName);
  return ::CreateWindowExW(exStyle, cls.c_str(), text.c_str(), style, x, y,
                           width, height, parent, nullptr,
                           ::GetModuleHandleW(nullptr), createParam);
}

BOOL Desktop::destroyWindow(HWND wnd) {
  if (::IsWindow(wnd)) impl_->layout.forget(wnd);
  return ::DestroyWindow(wnd);
}

BOOL Desktop::isWindow(HWND wnd) { return ::IsWindow(wnd); }

HWND Desktop::getParent(HWND wnd) { return ::GetParent(wnd); }

HWND Desktop::getWindow(HWND wnd, fw::UINT cmd) {
  return ::GetWindow(wnd, cmd);
}

std::u16string Desktop::getClassName(HWND wnd) {
  // A class name has at most 256 characters.
  wchar_t buffer[257];
  const int n = ::GetClassNameW(wnd, buffer, 257);
  return std::u16string(buffer, buffer + std::max(n, 0));
}

BOOL Desktop::showWindow(HWND wnd, int cmdShow) {
  if (sizeOrPositionCommand(cmdShow)) impl_->layout.flush(wnd);
  return impl_->withTrueVisibility(wnd,
                                   [&] { return ::ShowWindow(wnd, cmdShow); });
}

BOOL Desktop::isWindowVisible(HWND wnd) { return impl_->layout.isVisible(wnd); }

BOOL Desktop::setWindowPos(HWND wnd, HWND insertAfter, int x, int y, int cx,
                           int cy, UINT flags) {
  DeferredLayout& layout = impl_->layout;
  if (layout.covers(wnd)) {
    if (DeferredLayout::queueable(flags)) {
      return layout.enqueue(wnd, x, y, cx, cy, flags);
    }
    layout.flush(wnd);
  }
  if (flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW)) {
    return impl_->withTrueVisibility(wnd, [&] {
      return ::SetWindowPos(wnd, insertAfter, x, y, cx, cy, flags);
    });
  }
  return ::SetWindowPos(wnd, insertAfter, x, y, cx, cy, flags);
}

BOOL Desktop::moveWindow(HWND wnd, int x, int y, int width, int height,
                         BOOL repaint) {
  // MoveWindow is this SetWindowPos; going through it keeps the queue's
  // order when both are used on one window.
  return setWindowPos(
      wnd, nullptr, x, y, width, height,
      SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0u : UINT{SWP_NOREDRAW}));
}

BOOL Desktop::getWindowRect(HWND wnd, fw::RECT* rect) {
  return impl_->layout.windowRect(wnd, sys(rect));
}

BOOL Desktop::getClientRect(HWND wnd, fw::RECT* rect) {
  return impl_->layout.clientRect(wnd, sys(rect));
}

BOOL Desktop::getWindowPlacement(HWND wnd, fw::WINDOWPLACEMENT* placement) {
  if (placement == nullptr) return FALSE;
  placement->length = sizeof(WINDOWPLACEMENT);
  if (!::GetWindowPlacement(wnd, sys(placement))) return FALSE;
  // A child's normal position is in its parent's client coordinates, as
  // the queue keeps it.
  if (const RECT* q = impl_->layout.queued(wnd)) {
    placement->rcNormalPosition = ours(*q);
  }
  return TRUE;
}

BOOL Desktop::adjustWindowRectEx(fw::RECT* rect, fw::DWORD style, BOOL menu,
                                 fw::DWORD exStyle) {
  return ::AdjustWindowRectEx(sys(rect), style, menu, exStyle);
}

BOOL Desktop::isIconic(HWND wnd) { return ::IsIconic(wnd); }

BOOL Desktop::isZoomed(HWND wnd) { return ::IsZoomed(wnd); }

BOOL Desktop::setWindowText(HWND wnd, std::u16string_view text) {
  return ::SetWindowTextW(wnd, wide(text).c_str());
}

std::u16string Desktop::getWindowText(HWND wnd) {
  const int length = ::GetWindowTextLengthW(wnd);
  if (length <= 0) return {};
  std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1);
  const int copied =
      ::GetWindowTextW(wnd, buffer.data(), static_cast<int>(buffer.size()));
  return std::u16string(buffer.begin(), buffer.begin() + std::max(copied, 0));
}

fw::LONG_PTR Desktop::getWindowLongPtr(HWND wnd, int index) {
  LONG_PTR value = ::GetWindowLongPtrW(wnd, index);
  if (index == GWL_STYLE && impl_->layout.suspends(wnd)) value |= WS_VISIBLE;
  return value;
}

fw::LONG_PTR Desktop::setWindowLongPtr(HWND wnd, int index,
                                       fw::LONG_PTR value) {
  if (index == GWL_STYLE && impl_->layout.suspends(wnd)) {
    const LONG_PTR previous =
        ::SetWindowLongPtrW(wnd, index, impl_->layout.styleToWrite(value));
    return previous | WS_VISIBLE;
  }
  return ::SetWindowLongPtrW(wnd, index, value);
}

fw::LONG_PTR Desktop::getClassLongPtr(HWND wnd, int index) {
  // Only the class's procedure is asked for; user32 keeps classes in the
  // process.
  if (index != GCLP_WNDPROC) return 0;
  return static_cast<fw::LONG_PTR>(::GetClassLongPtrW(wnd, index));
}

BOOL Desktop::setProp(HWND wnd, std::u16string_view name, fw::HANDLE data) {
  if (name.empty()) return FALSE;
  return ::SetPropW(wnd, wide(name).c_str(), data);
}

fw::HANDLE Desktop::getProp(HWND wnd, std::u16string_view name) {
  if (name.empty()) return nullptr;
  return ::GetPropW(wnd, wide(name).c_str());
}

fw::HANDLE Desktop::removeProp(HWND wnd, std::u16string_view name) {
  if (name.empty()) return nullptr;
  return ::RemovePropW(wnd, wide(name).c_str());
}

BOOL Desktop::invalidateRect(HWND wnd, const fw::RECT* rect, BOOL erase) {
  return ::InvalidateRect(wnd, sys(rect), erase);
}

BOOL Desktop::lockWindowUpdate(HWND wnd) {
  // The system's LockWindowUpdate is not called: it is one lock for the
  // whole desktop (and does nothing under Wine); the queue does its job.
  if (wnd == nullptr) {
    impl_->layout.unlock();
    return TRUE;
  }
  return impl_->layout.lock(wnd) ? TRUE : FALSE;
}

// ---- Messages and hooks

// ---- The dialog manager

HWND Desktop::createDialogIndirectParam(std::span<const std::uint8_t> tmpl,
                                        HWND owner, fw::DLGPROC proc,
                                        fw::LPARAM initParam) {
  // user32 reads a template up to whatever its counts say: one that the
  // reader refuses would be read past its end.
  try {
    flx::res::ParseDialogTemplate(tmpl, "dialog template");
  } catch (const flx::res::EResourceError&) {
    return nullptr;
  }
  // The system wants the template DWORD-aligned, as a resource is.
  std::vector<DWORD> aligned((tmpl.size() + 3) / 4);
  std::copy(tmpl.begin(), tmpl.end(),
            reinterpret_cast<std::uint8_t*>(aligned.data()));
  return ::CreateDialogIndirectParamW(
      ::GetModuleHandleW(nullptr),
      reinterpret_cast<const DLGTEMPLATE*>(aligned.data()), owner,
      reinterpret_cast<DLGPROC>(proc), static_cast<LPARAM>(initParam));
}

BOOL Desktop::mapDialogRect(HWND dialog, fw::RECT* rect) {
  return ::MapDialogRect(dialog, reinterpret_cast<::RECT*>(rect));
}

fw::LONG Desktop::getDialogBaseUnits() {
  return static_cast<fw::LONG>(::GetDialogBaseUnits());
}

HWND Desktop::getDlgItem(HWND dialog, int id) {
  return ::GetDlgItem(dialog, id);
}

int Desktop::getDlgCtrlID(HWND wnd) { return ::GetDlgCtrlID(wnd); }

BOOL Desktop::clientToScreen(HWND wnd, fw::POINT* point) {
  return ::ClientToScreen(wnd, reinterpret_cast<::POINT*>(point));
}

fw::LRESULT Desktop::sendMessage(HWND wnd, UINT msg, fw::WPARAM wParam,
                                 fw::LPARAM lParam) {
  return ::SendMessageW(wnd, msg, wParam, lParam);
}

fw::LRESULT Desktop::callWindowProc(fw::WNDPROC proc, HWND wnd, UINT msg,
                                    fw::WPARAM wParam, fw::LPARAM lParam) {
  return ::CallWindowProcW(proc, wnd, msg, wParam, lParam);
}

fw::LRESULT Desktop::defWindowProc(HWND wnd, UINT msg, fw::WPARAM wParam,
                                   fw::LPARAM lParam) {
  return ::DefWindowProcW(wnd, msg, wParam, lParam);
}

HHOOK Desktop::setWindowsHookEx(int idHook, fw::HOOKPROC proc, HINSTANCE module,
                                fw::DWORD threadId) {
  return ::SetWindowsHookExW(idHook, proc, module, threadId);
}

BOOL Desktop::unhookWindowsHookEx(HHOOK hook) {
  return ::UnhookWindowsHookEx(hook);
}

fw::LRESULT Desktop::callNextHookEx(HHOOK hook, int code, fw::WPARAM wParam,
                                    fw::LPARAM lParam) {
  return ::CallNextHookEx(hook, code, wParam, lParam);
}

fw::DWORD Desktop::getCurrentThreadId() { return ::GetCurrentThreadId(); }

// ---- Screen, monitors, taskbar, composition

HDC Desktop::getDC(HWND wnd) { return ::GetDC(wnd); }

int Desktop::releaseDC(HWND wnd, HDC dc) { return ::ReleaseDC(wnd, dc); }

int Desktop::getDeviceCaps(HDC dc, int index) {
  return ::GetDeviceCaps(dc, index);
}

int Desktop::getSystemMetrics(int index) { return ::GetSystemMetrics(index); }

HMONITOR Desktop::monitorFromWindow(HWND wnd, fw::DWORD flags) {
  return ::MonitorFromWindow(wnd, flags);
}

HMONITOR Desktop::monitorFromRect(const fw::RECT* rect, fw::DWORD flags) {
  return ::MonitorFromRect(sys(rect), flags);
}

BOOL Desktop::getMonitorInfo(HMONITOR monitor, fw::MONITORINFO* info) {
  if (info == nullptr) return FALSE;
  return ::GetMonitorInfoW(monitor, sys(info));
}

fw::UINT_PTR Desktop::shAppBarMessage(fw::DWORD message, fw::APPBARDATA* data) {
  // The shell reads cbSize and may write the record back even for
  // messages that take no data, so it always gets a complete one.
  APPBARDATA local{};
  if (data != nullptr) local = *sys(data);
  local.cbSize = sizeof local;
  const UINT_PTR result = ::SHAppBarMessage(message, &local);
  if (data != nullptr) {
    const fw::DWORD callerSize = data->cbSize;
    *sys(data) = local;
    data->cbSize = callerSize;
  }
  return result;
}

fw::HRESULT Desktop::dwmIsCompositionEnabled(BOOL* enabled) {
  impl_->bindDwm();
  if (impl_->dwmIsCompositionEnabled == nullptr) {
    if (enabled != nullptr) *enabled = FALSE;
    return kNotImplemented;
  }
  return impl_->dwmIsCompositionEnabled(enabled);
}

fw::HRESULT Desktop::dwmGetWindowAttribute(HWND wnd, fw::DWORD attribute,
                                           void* value, fw::DWORD size) {
  impl_->bindDwm();
  if (impl_->dwmGetWindowAttribute == nullptr) return kNotImplemented;
  return impl_->dwmGetWindowAttribute(wnd, attribute, value, size);
}

// ---- DPI

UINT Desktop::getDpiForWindow(HWND wnd) {
  impl_->bindDpi();
  if (impl_->getDpiForWindow != nullptr) return impl_->getDpiForWindow(wnd);
  return ::IsWindow(wnd) ? screenDpi() : 0u;
}

UINT Desktop::getDpiForSystem() {
  impl_->bindDpi();
  if (impl_->getDpiForSystem != nullptr) return impl_->getDpiForSystem();
  return screenDpi();
}

BOOL Desktop::adjustWindowRectExForDpi(fw::RECT* rect, fw::DWORD style,
                                       BOOL menu, fw::DWORD exStyle, UINT dpi) {
  impl_->bindDpi();
  if (impl_->adjustWindowRectExForDpi != nullptr) {
    return impl_->adjustWindowRectExForDpi(sys(rect), style, menu, exStyle,
                                           dpi);
  }
  return ::AdjustWindowRectEx(sys(rect), style, menu, exStyle);
}

int Desktop::getSystemMetricsForDpi(int index, UINT dpi) {
  impl_->bindDpi();
  if (impl_->getSystemMetricsForDpi != nullptr) {
    return impl_->getSystemMetricsForDpi(index, dpi);
  }
  return ::GetSystemMetrics(index);
}

fw::DPI_AWARENESS_CONTEXT Desktop::getThreadDpiAwarenessContext() {
  impl_->bindDpi();
  if (impl_->getThreadDpiAwarenessContext != nullptr) {
    return impl_->getThreadDpiAwarenessContext();
  }
  // Before Windows 10 1607 a process is DPI aware for the system or not.
  const bool aware = impl_->isProcessDpiAware != nullptr &&
                     impl_->isProcessDpiAware() != FALSE;
  return aware ? DPI_AWARENESS_CONTEXT_SYSTEM_AWARE
               : DPI_AWARENESS_CONTEXT_UNAWARE;
}

fw::DPI_AWARENESS Desktop::getAwarenessFromDpiAwarenessContext(
    fw::DPI_AWARENESS_CONTEXT context) {
  impl_->bindDpi();
  if (impl_->getAwarenessFromDpiAwarenessContext != nullptr) {
    return impl_->getAwarenessFromDpiAwarenessContext(context);
  }
  if (context == DPI_AWARENESS_CONTEXT_UNAWARE) return DPI_AWARENESS_UNAWARE;
  if (context == DPI_AWARENESS_CONTEXT_SYSTEM_AWARE) {
    return DPI_AWARENESS_SYSTEM_AWARE;
  }
  return DPI_AWARENESS_INVALID;
}

// ---- Fonts

HFONT Desktop::createFontIndirect(const fw::LOGFONTW* font) {
  if (font == nullptr) return nullptr;
  return ::CreateFontIndirectW(sys(font));
}

BOOL Desktop::deleteFont(HFONT font) { return ::DeleteObject(font); }

BOOL Desktop::getFontObject(HFONT font, fw::LOGFONTW* out) {
  if (out == nullptr) return FALSE;
  // The records share the system's layout (records.h).
  return ::GetObjectW(font, sizeof(::LOGFONTW),
                      reinterpret_cast<::LOGFONTW*>(out)) ==
                 static_cast<int>(sizeof(::LOGFONTW))
             ? TRUE
             : FALSE;
}

HFONT Desktop::getStockFont(int index) {
  return static_cast<HFONT>(::GetStockObject(index));
}

BOOL Desktop::setDialogDpiChangeBehavior(HWND dialog, fw::DWORD mask,
                                         fw::DWORD values) {
  impl_->bindDialogDpi();
  if (impl_->setDialogDpiChangeBehavior == nullptr) return FALSE;
  return impl_->setDialogDpiChangeBehavior(dialog, static_cast<int>(mask),
                                           static_cast<int>(values));
}

BOOL Desktop::setDialogControlDpiChangeBehavior(HWND control, fw::DWORD mask,
                                                fw::DWORD values) {
  impl_->bindDialogDpi();
  if (impl_->setDialogControlDpiChangeBehavior == nullptr) return FALSE;
  return impl_->setDialogControlDpiChangeBehavior(
      control, static_cast<int>(mask), static_cast<int>(values));
}

// ---- Painting

HDC Desktop::beginPaint(HWND wnd, fw::PAINTSTRUCT* paint) {
  return ::BeginPaint(wnd, sys(paint));
}

BOOL Desktop::endPaint(HWND wnd, const fw::PAINTSTRUCT* paint) {
  return ::EndPaint(wnd, sys(paint));
}

HFONT Desktop::selectFont(HDC dc, HFONT font) {
  return static_cast<HFONT>(::SelectObject(dc, font));
}

int Desktop::setBkMode(HDC dc, int mode) { return ::SetBkMode(dc, mode); }

int Desktop::drawText(HDC dc, std::u16string_view text, fw::RECT* rect,
                      fw::UINT format) {
  // Counted, so the text needs no terminator.
  return ::DrawTextW(dc, reinterpret_cast<const wchar_t*>(text.data()),
                     static_cast<int>(text.size()), sys(rect), format);
}

BOOL Desktop::getTextExtentPoint32(HDC dc, std::u16string_view text,
                                   fw::SIZE* size) {
  return ::GetTextExtentPoint32W(dc,
                                 reinterpret_cast<const wchar_t*>(text.data()),
                                 static_cast<int>(text.size()), sys(size));
}

BOOL Desktop::getTextMetrics(HDC dc, fw::TEXTMETRICW* metrics) {
  return ::GetTextMetricsW(dc, reinterpret_cast<::TEXTMETRICW*>(metrics));
}

fw::LONG Desktop::gdiGetCharDimensions(HDC dc, fw::TEXTMETRICW* metrics,
                                       fw::LONG* height) {
  // GDI exports it without a declaration in the SDK headers; bound on
  // first use, as the dialog manager calls it.
  using Fn = LONG(WINAPI*)(HDC, ::TEXTMETRICW*, LONG*);
  static const Fn fn =
      reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(
          ::GetModuleHandleW(L"gdi32.dll"), "GdiGetCharDimensions")));
  if (fn != nullptr) {
    ::LONG h = 0;  // Windows' LONG is a long, ours a 32-bit int
    const ::LONG x = fn(dc, reinterpret_cast<::TEXTMETRICW*>(metrics), &h);
    if (height != nullptr) *height = static_cast<fw::LONG>(h);
    return static_cast<fw::LONG>(x);
  }
  ::TEXTMETRICW tm{};
  ::SIZE size{};
  if (!::GetTextMetricsW(dc, &tm) ||
      !::GetTextExtentPoint32W(
          dc, L"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ", 52,
          &size)) {
    return 0;
  }
  if (metrics != nullptr) *reinterpret_cast<::TEXTMETRICW*>(metrics) = tm;
  if (height != nullptr) *height = static_cast<fw::LONG>(size.cy);
  return static_cast<fw::LONG>((size.cx / 26 + 1) / 2);
}

BOOL Desktop::drawEdge(HDC dc, fw::RECT* rect, fw::UINT edge, fw::UINT flags) {
  return ::DrawEdge(dc, sys(rect), edge, flags);
}

fw::COLORREF Desktop::setTextColor(HDC dc, fw::COLORREF color) {
  return ::SetTextColor(dc, color);
}

fw::COLORREF Desktop::setBkColor(HDC dc, fw::COLORREF color) {
  return ::SetBkColor(dc, color);
}

BOOL Desktop::extTextOut(HDC dc, int x, int y, fw::UINT options,
                         const fw::RECT* rect, std::u16string_view text) {
  return ::ExtTextOutW(dc, x, y, options, sys(rect),
                       reinterpret_cast<const wchar_t*>(text.data()),
                       static_cast<UINT>(text.size()), nullptr);
}

int Desktop::stretchDIBits(HDC dc, int x, int y, int width, int height,
                           int srcX, int srcY, int srcWidth, int srcHeight,
                           const void* bits, const void* info, fw::UINT usage,
                           fw::DWORD rop) {
  return ::StretchDIBits(dc, x, y, width, height, srcX, srcY, srcWidth,
                         srcHeight, bits, static_cast<const BITMAPINFO*>(info),
                         usage, rop);
}

fw::COLORREF Desktop::getSysColor(int index) { return ::GetSysColor(index); }

// ---- Locale, version, visual style

int Desktop::getLocaleInfoA(fw::LCID locale, fw::LCTYPE type, char* data,
                            int size) {
  return ::GetLocaleInfoA(locale, type, data, size);
}

fw::OSVersion Desktop::getVersion() {
  if (!impl_->versionKnown) {
    impl_->version = trueVersion();
    impl_->versionKnown = true;
  }
  return impl_->version;
}

bool Desktop::isCustomStyleActive() { return false; }

}  // namespace flx::win32
