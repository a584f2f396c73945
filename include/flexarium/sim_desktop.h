// The simulated desktop: an in-memory, deterministic window system with
// monitors, a taskbar, screen DPI, desktop-composition frame margins, a user
// locale, a Windows version and a visual-style flag. Messages are delivered
// synchronously in Windows' order, through subclass chains and
// WH_CALLWNDPROC thread hooks. Window positions are held to -32768..32767
// and sizes to 0..32767 (after the maximum tracking size of windows that
// get WM_GETMINMAXINFO), as SetWindowPos does under Wine, so that WM_MOVE
// and WM_SIZE always carry what a window has. It is the default window
// system of the CLI, the tests and the benchmarks.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "flexarium/window_system.h"

namespace flx::sim {

using win::HWND;
using win::RECT;

enum class TaskbarEdge { None, Left, Top, Right, Bottom };
std::string_view toString(TaskbarEdge edge);

struct MonitorConfig {
  RECT rect{0, 0, 1920, 1080};  // screen coordinates, physical pixels
  bool primary = true;
  // The monitor's DPI (the same on both axes); 0 takes the desktop's
  // dpiX and dpiY, the system DPI.
  int dpi = 0;
};

// How the process handles DPI, as its manifest declares it.
//  - Unaware: sees 96 DPI everywhere; the system would stretch its windows
//    as bitmaps, and a monitor of another DPI appears to it with its
//    coordinates scaled by 96 / the monitor's DPI.
//  - System: sees the system DPI everywhere; monitors of another DPI appear
//    scaled by the system DPI / theirs. Never told of a DPI change.
//  - PerMonitor (per-monitor v2, Windows 10 and later; on older versions
//    it acts as System): each top-level window has the DPI of the monitor
//    that holds the larger part of it, and a move or a drag that carries it
//    onto a monitor of another DPI, or a new DPI of its monitor, sends it
//    WM_GETDPISCALEDSIZE and then WM_DPICHANGED.
enum class DpiAwareness { Unaware, System, PerMonitor };
std::string_view toString(DpiAwareness awareness);

struct TaskbarConfig {
  TaskbarEdge edge = TaskbarEdge::Bottom;
  int thickness = 40;  // pixels, on the primary monitor
  bool autoHide = false;
  // When set, ABM_GETTASKBARPOS reports this rectangle instead of the one
  // derived from edge and thickness (to model odd reports, e.g. overhangs).
  std::optional<RECT> reportedRect;
};

// Invisible frame margins that desktop composition adds around a top-level
// window with a sizing frame, in pixels at the current DPI.
struct FrameMargins {
  int left = 7;
  int top = 0;
  int right = 7;
  int bottom = 7;
};

struct DesktopConfig {
  std::vector<MonitorConfig> monitors{MonitorConfig{}};
  // The system DPI: what the screen DC reports (LOGPIXELSX/Y), and the DPI
  // of every monitor without one of its own.
  int dpiX = 96;
  int dpiY = 96;
  DpiAwareness awareness = DpiAwareness::PerMonitor;
  TaskbarConfig taskbar;
  bool composition = true;
  // Margins reported by DWMWA_EXTENDED_FRAME_BOUNDS for windows with a
  // sizing frame; windows without one report no margin.
  FrameMargins margins;
  // Non-client metrics at 96 DPI, scaled with the DPI unless overridden
  // (then they are the metrics at the system DPI, and scale from it).
  int captionHeight = 23;  // SM_CYCAPTION
  // SM_CYSMCAPTION, a tool window's caption; 0: three quarters of the
  // caption height.
  int smallCaptionHeight = 0;
  int sizeFrame = 4;     // SM_CXFRAME / SM_CYFRAME
  int paddedBorder = 4;  // SM_CXPADDEDBORDER (added to a sizing frame)
  int fixedFrame = 3;    // SM_CXDLGFRAME / SM_CYDLGFRAME
  int border = 1;        // SM_CXBORDER / SM_CYBORDER
  bool scaleMetricsWithDpi = true;
  std::string localeAbbrev = "ENU";  // LOCALE_SABBREVLANGNAME
  win::OSVersion version{10, 0};
  bool customStyle = false;  // TStyleManager.IsCustomStyleActive
  // Where the mouse pointer is (screen coordinates; DS_CENTERMOUSE puts a
  // dialog there); none: the primary monitor's centre, where X puts it.
  std::optional<win::POINT> cursor;
};

// One recorded window-system call (the operation's Win32 name and the window
// it concerned, if any).
struct CallRecord {
  std::string op;
  HWND wnd = nullptr;
};

// A message as the simulation delivered it to a window's procedure chain.
struct MessageRecord {
  HWND wnd;
  win::UINT msg;
  win::WPARAM wParam;
  win::LPARAM lParam;
};

// A drawing call made during BeginPaint/EndPaint (DrawTextW, DrawEdge,
// ExtTextOutW, StretchDIBits), with the window painted and the DC's font,
// background mode and colours then.
struct PaintRecord {
  std::string op;
  HWND wnd = nullptr;
  std::u16string text;
  RECT rect{};  // StretchDIBits: the destination
  // DrawTextW format, DrawEdge edge, ExtTextOutW options, StretchDIBits the
  // source width.
  win::UINT format = 0;
  win::UINT flags = 0;  // DrawEdge flags; StretchDIBits the source height
  win::HFONT font = nullptr;
  int bkMode = 0;
  win::COLORREF textColor = 0;
  win::COLORREF bkColor = 0;
};

class Desktop final : public win::WindowSystem {
 public:
  explicit Desktop(DesktopConfig config = {});
  ~Desktop() override;
  Desktop(const Desktop&) = delete;
  Desktop& operator=(const Desktop&) = delete;

  const DesktopConfig& config() const;
  // Changes take effect for later calls (e.g. a new DPI for the next query).
  DesktopConfig& mutableConfig();

  // Primary monitor work area: the monitor less the (non-auto-hide) taskbar.
  RECT workArea() const;
  // The taskbar rectangle as the shell reports it, clamped to nothing.
  RECT taskbarRect() const;

  // ---- User actions (what a person does with the mouse)
  // Drags an edge or corner (WMSZ_* code) by (dx, dy) pixels: the proposed
  // frame is clamped to the tracking limits of WM_GETMINMAXINFO, handed to
  // the window as WM_SIZING (which may change it), then applied.
  void dragEdge(HWND wnd, win::WPARAM edge, int dx, int dy);
  void maximize(HWND wnd);  // ShowWindow(SW_MAXIMIZE)
  void minimize(HWND wnd);  // ShowWindow(SW_MINIMIZE)
  void restore(HWND wnd);   // ShowWindow(SW_RESTORE)
  // Drags the caption of a top-level window in its normal state so that
  // its top-left corner lands on screen point (x, y): WM_ENTERSIZEMOVE,
  // WM_MOVING (which may change the rectangle), the move, WM_EXITSIZEMOVE.
  // The cursor holds the corner, so a change of DPI on arrival keeps the
  // corner where it is.
  void dragCaption(HWND wnd, int x, int y);
  // The user sets monitor `index`'s scale to `dpi` (a monitor without a DPI
  // of its own gets one). Per-monitor aware windows on it are told. False
  // for an index beyond the monitors or a DPI outside 1..10000.
  bool setMonitorDpi(std::size_t index, int dpi);

  // ---- Inspection
  // Calls, messages and drawing calls are recorded while recording is on
  // (the default, for tests). Each list keeps at least the latest
  // kRecordLimit records and never more than twice that: a long run stays
  // bounded. A program that reads no records turns recording off.
  static constexpr std::size_t kRecordLimit = std::size_t{1} << 16;
  void setRecording(bool on);
  const std::vector<CallRecord>& calls() const;
  const std::vector<MessageRecord>& messages() const;
  // Drawing calls; cleared with the other records.
  const std::vector<PaintRecord>& paints() const;
  void clearRecords();
  int windowCount() const;
  bool dwmLoaded() const;     // a DWM function has been called
  HWND lockedWindow() const;  // LockWindowUpdate holder, or 0
  int hookCount() const;      // installed WH_CALLWNDPROC hooks
  // The font handed to the window by WM_SETFONT, if any.
  std::optional<win::LOGFONTW> windowFont(HWND wnd) const;
  // Fonts made by CreateFontIndirectW and not deleted yet.
  int fontCount() const;
  // What SetDialogDpiChangeBehavior (DDC_ flags) or
  // SetDialogControlDpiChangeBehavior (DCDC_ flags) last set for the
  // window; nullopt when it was never asked.
  std::optional<win::DWORD> dialogDpiBehavior(HWND wnd) const;
  std::optional<win::DWORD> controlDpiBehavior(HWND wnd) const;
  // The index (in the configuration's order) of the monitor that holds
  // the larger part of the window, and that monitor's rectangle as the
  // process sees it.
  std::size_t monitorOf(HWND wnd) const;
  RECT monitorRect(std::size_t index) const;
  // The DPI each monitor has now (its own, or the system DPI).
  int monitorDpi(std::size_t index) const;
  // The awareness in effect: PerMonitor acts as System before Windows 10.
  DpiAwareness effectiveAwareness() const;
  // Why the latest CreateDialogIndirectParamW returned 0 (the template's
  // fault with its byte offset, or the item and class that failed); empty
  // after a dialog was made.
  const std::string& lastDialogError() const;

  // ---- WindowSystem
  bool registerClass(std::u16string_view className, win::WNDPROC proc) override;
  HWND createWindowEx(win::DWORD exStyle, std::u16string_view className,
                      std::u16string_view windowName, win::DWORD style, int x,
                      int y, int width, int height, HWND parent,
                      void* createParam) override;
  win::BOOL destroyWindow(HWND wnd) override;
  win::BOOL isWindow(HWND wnd) override;
  HWND getParent(HWND wnd) override;
  HWND getWindow(HWND wnd, win::UINT cmd) override;
  std::u16string getClassName(HWND wnd) override;
  win::BOOL showWindow(HWND wnd, int cmdShow) override;
  win::BOOL isWindowVisible(HWND wnd) override;
  win::BOOL setWindowPos(HWND wnd, HWND insertAfter, int x, int y, int cx,
                         int cy, win::UINT flags) override;
  win::BOOL moveWindow(HWND wnd, int x, int y, int width, int height,
                       win::BOOL repaint) override;
  win::BOOL getWindowRect(HWND wnd, RECT* rect) override;
  win::BOOL getClientRect(HWND wnd, RECT* rect) override;
  win::BOOL getWindowPlacement(HWND wnd,
                               win::WINDOWPLACEMENT* placement) override;
  win::BOOL adjustWindowRectEx(RECT* rect, win::DWORD style, win::BOOL menu,
                               win::DWORD exStyle) override;
  win::BOOL isIconic(HWND wnd) override;
  win::BOOL isZoomed(HWND wnd) override;
  win::BOOL setWindowText(HWND wnd, std::u16string_view text) override;
  std::u16string getWindowText(HWND wnd) override;
  win::LONG_PTR getWindowLongPtr(HWND wnd, int index) override;
  win::LONG_PTR setWindowLongPtr(HWND wnd, int index,
                                 win::LONG_PTR value) override;
  win::BOOL setProp(HWND wnd, std::u16string_view name,
                    win::HANDLE data) override;
  win::HANDLE getProp(HWND wnd, std::u16string_view name) override;
  win::HANDLE removeProp(HWND wnd, std::u16string_view name) override;
  win::BOOL invalidateRect(HWND wnd, const RECT* rect,
                           win::BOOL erase) override;
  win::BOOL lockWindowUpdate(HWND wnd) override;
  HWND createDialogIndirectParam(std::span<const std::uint8_t> tmpl, HWND owner,
                                 win::DLGPROC proc,
                                 win::LPARAM initParam) override;
  win::BOOL mapDialogRect(HWND dialog, RECT* rect) override;
  win::LONG getDialogBaseUnits() override;
  HWND getDlgItem(HWND dialog, int id) override;
  int getDlgCtrlID(HWND wnd) override;
  win::BOOL clientToScreen(HWND wnd, win::POINT* point) override;
  win::LRESULT sendMessage(HWND wnd, win::UINT msg, win::WPARAM wParam,
                           win::LPARAM lParam) override;
  win::LRESULT callWindowProc(win::WNDPROC proc, HWND wnd, win::UINT msg,
                              win::WPARAM wParam, win::LPARAM lParam) override;
  win::LRESULT defWindowProc(HWND wnd, win::UINT msg, win::WPARAM wParam,
                             win::LPARAM lParam) override;
  win::HHOOK setWindowsHookEx(int idHook, win::HOOKPROC proc,
                              win::HINSTANCE module,
                              win::DWORD threadId) override;
  win::BOOL unhookWindowsHookEx(win::HHOOK hook) override;
  win::LRESULT callNextHookEx(win::HHOOK hook, int code, win::WPARAM wParam,
                              win::LPARAM lParam) override;
  win::DWORD getCurrentThreadId() override;
  win::HDC getDC(HWND wnd) override;
  int releaseDC(HWND wnd, win::HDC dc) override;
  int getDeviceCaps(win::HDC dc, int index) override;
  int getSystemMetrics(int index) override;
  win::HMONITOR monitorFromWindow(HWND wnd, win::DWORD flags) override;
  win::HMONITOR monitorFromRect(const RECT* rect, win::DWORD flags) override;
  win::BOOL getMonitorInfo(win::HMONITOR monitor,
                           win::MONITORINFO* info) override;
  win::UINT_PTR shAppBarMessage(win::DWORD message,
                                win::APPBARDATA* data) override;
  win::HRESULT dwmIsCompositionEnabled(win::BOOL* enabled) override;
  win::HRESULT dwmGetWindowAttribute(HWND wnd, win::DWORD attribute,
                                     void* value, win::DWORD size) override;
  win::UINT getDpiForWindow(HWND wnd) override;
  win::UINT getDpiForSystem() override;
  win::BOOL adjustWindowRectExForDpi(RECT* rect, win::DWORD style,
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
  win::BOOL setDialogDpiChangeBehavior(HWND dialog, win::DWORD mask,
                                       win::DWORD values) override;
  win::BOOL setDialogControlDpiChangeBehavior(HWND control, win::DWORD mask,
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
  // Windows 10's default colours.
  win::COLORREF getSysColor(int index) override;
  int getLocaleInfoA(win::LCID locale, win::LCTYPE type, char* data,
                     int size) override;
  win::OSVersion getVersion() override;
  bool isCustomStyleActive() override;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// A simulated desktop installed as the current window system for its
// lifetime (see win::ScopedWindowSystem).
class ScopedDesktop : public win::ScopedWindowSystem<Desktop> {
 public:
  explicit ScopedDesktop(DesktopConfig config = {})
      : ScopedWindowSystem(std::move(config)) {}
};

}  // namespace flx::sim
