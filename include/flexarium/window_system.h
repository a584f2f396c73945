// The window-system interface: every window, message, monitor, taskbar, DPI,
// composition, locale and version service the framework model and the
// component use. Two implementations exist: the simulated desktop
// (host/sim, the default everywhere) and the real Win32 services
// (host/win32, Windows only).
//
// The process has one current window system, as a process has one OS. The
// component and the framework reach it through the Win32-named functions of
// winapi.h, which forward to the current one.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "flexarium/win_types.h"

namespace flx::win {

class WindowSystem {
 public:
  virtual ~WindowSystem() = default;

  // Windows and window classes.
  virtual bool registerClass(std::u16string_view className, WNDPROC proc) = 0;
  // Sends WM_NCCREATE and WM_CREATE (CREATESTRUCTW in LParam, createParam in
  // lpCreateParams) to the class's procedure; returns 0 when either refuses.
  virtual HWND createWindowEx(DWORD exStyle, std::u16string_view className,
                              std::u16string_view windowName, DWORD style,
                              int x, int y, int width, int height, HWND parent,
                              void* createParam) = 0;
  // Sends WM_DESTROY and WM_NCDESTROY, children first destroyed.
  virtual BOOL destroyWindow(HWND wnd) = 0;
  virtual BOOL isWindow(HWND wnd) = 0;
  virtual HWND getParent(HWND wnd) = 0;
  // GW_CHILD: the first child in Z order (children made by CreateWindowEx
  // go to the bottom, so that is the first made); GW_HWNDNEXT: the sibling
  // below. 0 when there is none.
  virtual HWND getWindow(HWND wnd, UINT cmd) = 0;
  // The window's class name as it was registered or asked for.
  virtual std::u16string getClassName(HWND wnd) = 0;
  virtual BOOL showWindow(HWND wnd, int cmdShow) = 0;
  virtual BOOL isWindowVisible(HWND wnd) = 0;
  virtual BOOL setWindowPos(HWND wnd, HWND insertAfter, int x, int y, int cx,
                            int cy, UINT flags) = 0;
  virtual BOOL moveWindow(HWND wnd, int x, int y, int width, int height,
                          BOOL repaint) = 0;
  virtual BOOL getWindowRect(HWND wnd, RECT* rect) = 0;
  virtual BOOL getClientRect(HWND wnd, RECT* rect) = 0;
  virtual BOOL getWindowPlacement(HWND wnd, WINDOWPLACEMENT* placement) = 0;
  virtual BOOL adjustWindowRectEx(RECT* rect, DWORD style, BOOL menu,
                                  DWORD exStyle) = 0;
  virtual BOOL isIconic(HWND wnd) = 0;
  virtual BOOL isZoomed(HWND wnd) = 0;
  virtual BOOL setWindowText(HWND wnd, std::u16string_view text) = 0;
  virtual std::u16string getWindowText(HWND wnd) = 0;
  virtual LONG_PTR getWindowLongPtr(HWND wnd, int index) = 0;
  virtual LONG_PTR setWindowLongPtr(HWND wnd, int index, LONG_PTR value) = 0;
  // GetClassLongPtrW of GCLP_WNDPROC: the procedure windows of `wnd`'s
  // class start with. 0 where the window system does not say (the default):
  // callers then take the way that needs no class.
  virtual LONG_PTR getClassLongPtr(HWND /*wnd*/, int /*index*/) { return 0; }
  virtual BOOL setProp(HWND wnd, std::u16string_view name, HANDLE data) = 0;
  virtual HANDLE getProp(HWND wnd, std::u16string_view name) = 0;
  virtual HANDLE removeProp(HWND wnd, std::u16string_view name) = 0;
  virtual BOOL invalidateRect(HWND wnd, const RECT* rect, BOOL erase) = 0;
  virtual BOOL lockWindowUpdate(HWND wnd) = 0;

  // The dialog manager.
  // CreateDialogIndirectParamW: a modeless dialog made from a template in
  // memory (DLGTEMPLATE or DLGTEMPLATEEX, as a dialog resource holds it;
  // Windows takes a bare pointer, the span's length lets a malformed
  // template be refused instead of read past). The template's x, y are the
  // client origin in `owner`'s client coordinates (screen coordinates
  // without an owner or with DS_ABSALIGN); `proc` (may be null) gets every
  // message, WM_INITDIALOG with `initParam` once the controls exist.
  // Returns 0 for a malformed template, a control of an unknown class
  // (unless DS_NOFAILCREATE: then it is left out) or a refused creation.
  virtual HWND createDialogIndirectParam(std::span<const std::uint8_t> tmpl,
                                         HWND owner, DLGPROC proc,
                                         LPARAM initParam) = 0;
  // Dialog units to pixels with the dialog's base units: x edges times
  // baseX / 4, y edges times baseY / 8, each rounded half away from zero.
  // FALSE for a window that is not a dialog.
  virtual BOOL mapDialogRect(HWND dialog, RECT* rect) = 0;
  // The base units of a dialog without a font of its own (the system font
  // at the system DPI): baseX in the low word, baseY in the high word.
  virtual LONG getDialogBaseUnits() = 0;
  // The first child of `dialog` with that control ID, or 0.
  virtual HWND getDlgItem(HWND dialog, int id) = 0;
  // A child window's control ID (0 for a top-level window or none).
  virtual int getDlgCtrlID(HWND wnd) = 0;
  // A point in the window's client coordinates to screen coordinates.
  virtual BOOL clientToScreen(HWND wnd, POINT* point) = 0;

  // Messages and hooks.
  virtual LRESULT sendMessage(HWND wnd, UINT msg, WPARAM wParam,
                              LPARAM lParam) = 0;
  virtual LRESULT callWindowProc(WNDPROC proc, HWND wnd, UINT msg,
                                 WPARAM wParam, LPARAM lParam) = 0;
  virtual LRESULT defWindowProc(HWND wnd, UINT msg, WPARAM wParam,
                                LPARAM lParam) = 0;
  virtual HHOOK setWindowsHookEx(int idHook, HOOKPROC proc, HINSTANCE module,
                                 DWORD threadId) = 0;
  virtual BOOL unhookWindowsHookEx(HHOOK hook) = 0;
  virtual LRESULT callNextHookEx(HHOOK hook, int code, WPARAM wParam,
                                 LPARAM lParam) = 0;
  virtual DWORD getCurrentThreadId() = 0;

  // Screen, monitors, taskbar, composition.
  virtual HDC getDC(HWND wnd) = 0;
  virtual int releaseDC(HWND wnd, HDC dc) = 0;
  virtual int getDeviceCaps(HDC dc, int index) = 0;
  virtual int getSystemMetrics(int index) = 0;
  virtual HMONITOR monitorFromWindow(HWND wnd, DWORD flags) = 0;
  // The monitor holding the largest part of the rectangle (else as flags).
  virtual HMONITOR monitorFromRect(const RECT* rect, DWORD flags) = 0;
  virtual BOOL getMonitorInfo(HMONITOR monitor, MONITORINFO* info) = 0;
  virtual UINT_PTR shAppBarMessage(DWORD message, APPBARDATA* data) = 0;
  // Bound on first use: neither is reached on a system older than 6.0.
  virtual HRESULT dwmIsCompositionEnabled(BOOL* enabled) = 0;
  virtual HRESULT dwmGetWindowAttribute(HWND wnd, DWORD attribute, void* value,
                                        DWORD size) = 0;

  // Per-monitor DPI (Windows 10 1607 and later; the native desktop binds
  // them on first use and falls back to the screen DC's LOGPIXELSX/Y, the
  // one DPI of every window, where they are missing). DPI values are
  // pixels per inch, the same on both axes.
  // The window's DPI: its monitor's for a per-monitor aware process, the
  // system DPI for a system-aware one, 96 for an unaware one.
  virtual UINT getDpiForWindow(HWND wnd) = 0;
  // The system DPI as the process sees it (96 when unaware).
  virtual UINT getDpiForSystem() = 0;
  // AdjustWindowRectEx with the non-client metrics of `dpi`.
  virtual BOOL adjustWindowRectExForDpi(RECT* rect, DWORD style, BOOL menu,
                                        DWORD exStyle, UINT dpi) = 0;
  // GetSystemMetrics as at `dpi` (the metrics that scale with the DPI).
  virtual int getSystemMetricsForDpi(int index, UINT dpi) = 0;
  // The calling thread's awareness, and the DPI_AWARENESS it stands for.
  virtual DPI_AWARENESS_CONTEXT getThreadDpiAwarenessContext() = 0;
  virtual DPI_AWARENESS getAwarenessFromDpiAwarenessContext(
      DPI_AWARENESS_CONTEXT context) = 0;

  // Fonts (the native backend realises them; the simulation records them).
  virtual HFONT createFontIndirect(const LOGFONTW* font) = 0;
  virtual BOOL deleteFont(HFONT font) = 0;
  // GetObjectW for a font: its LOGFONTW; FALSE for a handle that is none.
  virtual BOOL getFontObject(HFONT font, LOGFONTW* out) = 0;
  // GetStockObject for the stock fonts (SYSTEM_FONT...); never deleted.
  virtual HFONT getStockFont(int index) = 0;

  // Windows 10 1703's per-monitor dialog scaling, switched off or on per
  // dialog (DDC_ flags) and per control (DCDC_ flags). FALSE where the
  // functions are missing (bound on first use on the native desktop).
  virtual BOOL setDialogDpiChangeBehavior(HWND dialog, DWORD mask,
                                          DWORD values) = 0;
  virtual BOOL setDialogControlDpiChangeBehavior(HWND control, DWORD mask,
                                                 DWORD values) = 0;

  // Painting, for the controls without a window that their parent draws.
  virtual HDC beginPaint(HWND wnd, PAINTSTRUCT* paint) = 0;
  virtual BOOL endPaint(HWND wnd, const PAINTSTRUCT* paint) = 0;
  // SelectObject for a font: returns the font it replaces.
  virtual HFONT selectFont(HDC dc, HFONT font) = 0;
  virtual int setBkMode(HDC dc, int mode) = 0;
  // Draws text; with DT_CALCRECT draws nothing and sets rect's right and
  // bottom to what the text needs (lines broken at rect's width with
  // DT_WORDBREAK, a word longer than that widening it). Returns the height.
  virtual int drawText(HDC dc, std::u16string_view text, RECT* rect,
                       UINT format) = 0;
  // Text measured with the font selected into `dc`, as GDI measures it:
  // the sum of the characters' advances (no kerning) by the font's height,
  // in pixels. FALSE when the DC or its font cannot measure.
  virtual BOOL getTextExtentPoint32(HDC dc, std::u16string_view text,
                                    SIZE* size) = 0;
  // The metrics of the font selected into `dc`, in pixels.
  virtual BOOL getTextMetrics(HDC dc, TEXTMETRICW* metrics) = 0;
  // The character dimensions dialog base units come from: returns the
  // average width of 'A'..'Z' and 'a'..'z' as Windows rounds it
  // ((width of the 52 letters / 26 + 1) / 2), sets *height to the text
  // height and *metrics (either may be null); 0 on failure.
  virtual LONG gdiGetCharDimensions(HDC dc, TEXTMETRICW* metrics,
                                    LONG* height) = 0;
  virtual BOOL drawEdge(HDC dc, RECT* rect, UINT edge, UINT flags) = 0;
  // Colour of text, and of the text background in OPAQUE mode; each
  // returns the previous colour.
  virtual COLORREF setTextColor(HDC dc, COLORREF color) = 0;
  virtual COLORREF setBkColor(HDC dc, COLORREF color) = 0;
  // Text at (x, y); with ETO_OPAQUE `rect` is first filled with the
  // background colour, which is how a solid rectangle is drawn.
  virtual BOOL extTextOut(HDC dc, int x, int y, UINT options, const RECT* rect,
                          std::u16string_view text) = 0;
  // A device-independent bitmap (`info` is its BITMAPINFO: header and
  // colour table, as in a .bmp file) drawn into the destination rectangle.
  virtual int stretchDIBits(HDC dc, int x, int y, int width, int height,
                            int srcX, int srcY, int srcWidth, int srcHeight,
                            const void* bits, const void* info, UINT usage,
                            DWORD rop) = 0;
  // The colour of a display element (COLOR_BTNFACE...).
  virtual COLORREF getSysColor(int index) = 0;

  // Locale, version, visual style.
  virtual int getLocaleInfoA(LCID locale, LCTYPE type, char* data,
                             int size) = 0;
  virtual OSVersion getVersion() = 0;
  virtual bool isCustomStyleActive() = 0;
};

// The process's current window system. Throws std::logic_error when none is
// installed.
WindowSystem& currentWindowSystem();
bool hasWindowSystem();
// Installs `system` (not owned; nullptr uninstalls) and returns the previous.
WindowSystem* setCurrentWindowSystem(WindowSystem* system);

// A window class of user32 or the common controls, as it is registered.
struct SystemClass {
  std::u16string_view name;  // the registered spelling, as GetClassName has it
  // Its windows make and place children of their own (the edit of a combo
  // box, the header of a list view): those children are the control's
  // business.
  bool ownChildren;
  // The simulated desktop makes windows of it; it knows no other system
  // class.
  bool simulated;
};
// The system class of this name in any letter case, as templates and
// programs may spell it; nullptr for any other class.
const SystemClass* FindSystemClass(std::u16string_view name);

// Owns a desktop D (a WindowSystem), installs it as the current window
// system for its lifetime and puts the previous one back afterwards, unless
// another system was installed after it (that one stays).
template <class D>
class ScopedWindowSystem {
 public:
  // The arguments go to D's constructor.
  template <class... Args>
  explicit ScopedWindowSystem(Args&&... args)
      : desktop_(std::forward<Args>(args)...),
        previous_(setCurrentWindowSystem(&desktop_)) {}
  ~ScopedWindowSystem() {
    if (hasWindowSystem() && &currentWindowSystem() == &desktop_) {
      setCurrentWindowSystem(previous_);
    }
  }
  ScopedWindowSystem(const ScopedWindowSystem&) = delete;
  ScopedWindowSystem& operator=(const ScopedWindowSystem&) = delete;

  D& desktop() { return desktop_; }
  D* operator->() { return &desktop_; }

 private:
  D desktop_;
  WindowSystem* previous_;
};

}  // namespace flx::win
