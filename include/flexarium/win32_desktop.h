// The native window system: every operation of win::WindowSystem forwarded
// to the real user32/gdi32/shell32/comctl32 services (dwmapi, and user32's
// DPI functions of Windows 10, bound on first use). Making one registers the
// common control classes (track bars, tab controls, up-down controls, list
// and tree views...).
// Built on Windows only; a program installs it once at start, for instance
// with a ScopedDesktop in main().
//
// Drawing during a bulk layout pass: while a window is locked with
// lockWindowUpdate, its redrawing is suspended and position changes of its
// descendants are queued (the last rectangle of each window wins) and read
// back as queued; unlocking applies them without drawing and repaints the
// window once. Moving children one by one with redrawing on costs about 10 ms
// each under Wine once there are hundreds of siblings.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "flexarium/window_system.h"

namespace flx::win32 {

class Desktop final : public win::WindowSystem {
 public:
  Desktop();
  ~Desktop() override;
  Desktop(const Desktop&) = delete;
  Desktop& operator=(const Desktop&) = delete;

  // ---- State, for tests and tools
  // dwmapi.dll has been loaded (by the first DWM call).
  bool dwmLoaded() const;
  // The window locked by lockWindowUpdate, or 0.
  win::HWND lockedWindow() const;
  // Windows whose queued rectangle is waiting for the unlock.
  int queuedMoves() const;

  // ---- WindowSystem
  bool registerClass(std::u16string_view className, win::WNDPROC proc) override;
  win::HWND createWindowEx(win::DWORD exStyle, std::u16string_view className,
                           std::u16string_view windowName, win::DWORD style,
                           int x, int y, int width, int height,
                           win::HWND parent, void* createParam) override;
  win::BOOL destroyWindow(win::HWND wnd) override;
  win::BOOL isWindow(win::HWND wnd) override;
  win::HWND getParent(win::HWND wnd) override;
  win::HWND getWindow(win::HWND wnd, win::UINT cmd) override;
  std::u16string getClassName(win::HWND wnd) override;
  win::BOOL showWindow(win::HWND wnd, int cmdShow) override;
  win::BOOL isWindowVisible(win::HWND wnd) override;
  win::BOOL setWindowPos(win::HWND wnd, win::HWND insertAfter, int x, int y,
                         int cx, int cy, win::UINT flags) override;
  win::BOOL moveWindow(win::HWND wnd, int x, int y, int width, int height,
                       win::BOOL repaint) override;
  win::BOOL getWindowRect(win::HWND wnd, win::RECT* rect) override;
  win::BOOL getClientRect(win::HWND wnd, win::RECT* rect) override;
  win::BOOL getWindowPlacement(win::HWND wnd,
                               win::WINDOWPLACEMENT* placement) override;
  win::BOOL adjustWindowRectEx(win::RECT* rect, win::DWORD style,
                               win::BOOL menu, win::DWORD exStyle) override;
  win::BOOL isIconic(win::HWND wnd) override;
  win::BOOL isZoomed(win::HWND wnd) override;
  win::BOOL setWindowText(win::HWND wnd, std::u16string_view text) override;
  std::u16string getWindowText(win::HWND wnd) override;
  win::LONG_PTR getWindowLongPtr(win::HWND wnd, int index) override;
  win::LONG_PTR setWindowLongPtr(win::HWND wnd, int index,
                                 win::LONG_PTR value) override;
  win::LONG_PTR getClassLongPtr(win::HWND wnd, int index) override;
  win::BOOL setProp(win::HWND wnd, std::u16string_view name,
                    win::HANDLE data) override;
  win::HANDLE getProp(win::HWND wnd, std::u16string_view name) override;
  win::HANDLE removeProp(win::HWND wnd, std::u16string_view name) override;
  win::BOOL invalidateRect(win::HWND wnd, const win::RECT* rect,
                           win::BOOL erase) override;
  win::BOOL lockWindowUpdate(win::HWND wnd) override;
  // Validated with the template reader first (a malformed template is
  // refused, never handed to the system), then user32's own.
  win::HWND createDialogIndirectParam(std::span<const std::uint8_t> tmpl,
                                      win::HWND owner, win::DLGPROC proc,
                                      win::LPARAM initParam) override;
  win::BOOL mapDialogRect(win::HWND dialog, win::RECT* rect) override;
  win::LONG getDialogBaseUnits() override;
  win::HWND getDlgItem(win::HWND dialog, int id) override;
  int getDlgCtrlID(win::HWND wnd) override;
  win::BOOL clientToScreen(win::HWND wnd, win::POINT* point) override;
  win::LRESULT sendMessage(win::HWND wnd, win::UINT msg, win::WPARAM wParam,
                           win::LPARAM lParam) override;
  win::LRESULT callWindowProc(win::WNDPROC proc, win::HWND wnd, win::UINT msg,
                              win::WPARAM wParam, win::LPARAM lParam) override;
  win::LRESULT defWindowProc(win::HWND wnd, win::UINT msg, win::WPARAM wParam,
                             win::LPARAM lParam) override;
  win::HHOOK setWindowsHookEx(int idHook, win::HOOKPROC proc,
                              win::HINSTANCE module,
                              win::DWORD threadId) override;
  win::BOOL unhookWindowsHookEx(win::HHOOK hook) override;
  win::LRESULT callNextHookEx(win::HHOOK hook, int code, win::WPARAM wParam,
                              win::LPARAM lParam) override;
  win::DWORD getCurrentThreadId() override;
  win::HDC getDC(win::HWND wnd) override;
  int releaseDC(win::HWND wnd, win::HDC dc) override;
  int getDeviceCaps(win::HDC dc, int index) override;
  int getSystemMetrics(int index) override;
  win::HMONITOR monitorFromWindow(win::HWND wnd, win::DWORD flags) override;
  win::HMONITOR monitorFromRect(const win::RECT* rect,
                                win::DWORD flags) override;
  win::BOOL getMonitorInfo(win::HMONITOR monitor,
                           win::MONITORINFO* info) override;
  win::UINT_PTR shAppBarMessage(win::DWORD message,
                                win::APPBARDATA* data) override;
  win::HRESULT dwmIsCompositionEnabled(win::BOOL* enabled) override;
  win::HRESULT dwmGetWindowAttribute(win::HWND wnd, win::DWORD attribute,
                                     void* value, win::DWORD size) override;
  win::UINT getDpiForWindow(win::HWND wnd) override;
  win::UINT getDpiForSystem() override;
  win::BOOL adjustWindowRectExForDpi(win::RECT* rect, win::DWORD style,
                                     win::BOOL menu, win::DWORD exStyle,
                                     win::UINT dpi) override;
  int getSystemMetricsForDpi(int index, win::UINT dpi) override;
  win::DPI_AWARENESS_CONTEXT getThreadDpiAwarenessContext() override;
  win::DPI_AWARENESS getAwarenessFromDpiAwarenessContext(
      win::DPI_AWARENESS_CONTEXT context) override;
  win::HFONT createFontIndirect(const win::LOGFONTW* font) override;
  win::BOOL deleteFont(win::HFONT font) override;
  win::BOOL getFontObject(win::HFONT font, win::LOGFONTW* out) override;
  win::HFONT getStockFont(int index) override;
  win::BOOL setDialogDpiChangeBehavior(win::HWND dialog, win::DWORD mask,
                                       win::DWORD values) override;
  win::BOOL setDialogControlDpiChangeBehavior(win::HWND control,
                                              win::DWORD mask,
                                              win::DWORD values) override;
  win::HDC beginPaint(win::HWND wnd, win::PAINTSTRUCT* paint) override;
  win::BOOL endPaint(win::HWND wnd, const win::PAINTSTRUCT* paint) override;
  win::HFONT selectFont(win::HDC dc, win::HFONT font) override;
  int setBkMode(win::HDC dc, int mode) override;
  win::BOOL getTextExtentPoint32(win::HDC dc, std::u16string_view text,
                                 win::SIZE* size) override;
  win::BOOL getTextMetrics(win::HDC dc, win::TEXTMETRICW* metrics) override;
  win::LONG gdiGetCharDimensions(win::HDC dc, win::TEXTMETRICW* metrics,
                                 win::LONG* height) override;
  int drawText(win::HDC dc, std::u16string_view text, win::RECT* rect,
               win::UINT format) override;
  win::BOOL drawEdge(win::HDC dc, win::RECT* rect, win::UINT edge,
                     win::UINT flags) override;
  win::COLORREF setTextColor(win::HDC dc, win::COLORREF color) override;
  win::COLORREF setBkColor(win::HDC dc, win::COLORREF color) override;
  win::BOOL extTextOut(win::HDC dc, int x, int y, win::UINT options,
                       const win::RECT* rect,
                       std::u16string_view text) override;
  int stretchDIBits(win::HDC dc, int x, int y, int width, int height, int srcX,
                    int srcY, int srcWidth, int srcHeight, const void* bits,
                    const void* info, win::UINT usage, win::DWORD rop) override;
  win::COLORREF getSysColor(int index) override;
  int getLocaleInfoA(win::LCID locale, win::LCTYPE type, char* data,
                     int size) override;
  win::OSVersion getVersion() override;
  bool isCustomStyleActive() override;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// A native desktop installed as the current window system for its lifetime
// (see win::ScopedWindowSystem).
using ScopedDesktop = win::ScopedWindowSystem<Desktop>;

}  // namespace flx::win32
