// The simulated desktop's state, shared by its parts: windows.cpp (creation,
// destruction, window data), geometry.cpp (positions, frames, show states and
// the user's drag), messages.cpp (delivery, hooks, the default procedure),
// screen.cpp (monitors, taskbar, metrics, composition), dpi.cpp (the DPI of
// the process and of each window, and DPI changes), painting.cpp
// (fonts and paint DCs), dialogs.cpp (the dialog manager) and desktop.cpp
// (the object, records, locale and version).
//
// Re-entrancy rule: a window procedure may create, move or destroy any window
// (itself included) while it handles a message. No reference, pointer or
// iterator into the window table is therefore kept across a call into a
// procedure; every step looks the window up again by handle.
#pragma once

#include <algorithm>
#include <climits>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "flexarium/sim_desktop.h"
#include "flexarium/sysutils.h"
#include "flexarium/winapi.h"

namespace flx::sim {

using namespace flx::win;

// Fake handles carry a kind tag in the low nibble so that a handle of one
// kind is never mistaken for another, and the serial number above it.
enum HandleTag : std::uintptr_t {
  kTagWindow = 0x4,
  kTagHook = 0x8,
  kTagMonitor = 0xC,
  kTagFont = 0x6,
  kTagDc = 0xA,
};

template <typename H>
H makeHandle(std::size_t serial, HandleTag tag) {
  return reinterpret_cast<H>((static_cast<std::uintptr_t>(serial) << 4) | tag);
}

template <typename H>
std::size_t handleSerial(H handle, HandleTag tag) {
  const auto v = reinterpret_cast<std::uintptr_t>(handle);
  if ((v & 0xF) != tag) return 0;
  return static_cast<std::size_t>(v >> 4);
}

// The two device contexts: the screen's (GetDC) and the one paint DC.
inline constexpr std::size_t kScreenDc = 1;
inline constexpr std::size_t kPaintDc = 2;

// A rectangle's extents, held within the Integer range: a procedure may
// hand back any edges (a WM_SIZING answer of opposite Integer limits).
inline int width(const RECT& r) {
  return static_cast<int>(std::clamp<long long>(
      static_cast<long long>(r.right) - r.left, INT_MIN, INT_MAX));
}
inline int height(const RECT& r) {
  return static_cast<int>(std::clamp<long long>(
      static_cast<long long>(r.bottom) - r.top, INT_MIN, INT_MAX));
}

// What SetWindowPos and CreateWindowEx let through (as measured under
// Wine): a position within 16 signed bits, a size from 0 to 32767. So every
// WM_MOVE and WM_SIZE carries what the window really has, and no edge
// overflows.
inline constexpr int kMinPos = -32768;
inline constexpr int kMaxPos = 32767;
inline constexpr int kMaxExtent = 32767;

// The stock System font's tmHeight: a bitmap font that does not scale.
inline constexpr int kSystemFontHeight = 16;
inline int heldPos(long long v) {
  return static_cast<int>(std::clamp<long long>(v, kMinPos, kMaxPos));
}
inline int heldExtent(long long v) {
  return static_cast<int>(std::clamp<long long>(v, 0, kMaxExtent));
}

// A DPI pair. Windows has one DPI for both axes; a desktop configured with
// two (dpiX, dpiY) keeps them apart for its system DPI.
struct Dpi {
  int x = 96;
  int y = 96;
  bool operator==(const Dpi& o) const { return x == o.x && y == o.y; }
  bool operator!=(const Dpi& o) const { return !(*this == o); }
};

struct Desktop::Impl {
  enum class State { Normal, Minimized, Maximized };

  struct Window {
    HWND handle = nullptr;
    std::u16string className;
    WNDPROC proc = nullptr;
    DWORD style = 0;  // WS_MAXIMIZE / WS_MINIMIZE live in `state`
    DWORD exStyle = 0;
    bool child = false;
    HWND parent = nullptr;  // parent (child) or owner (top-level)
    std::vector<HWND> children;
    std::vector<HWND> owned;
    // Outer rectangle: screen coordinates for top-level windows, parent
    // client coordinates for children.
    RECT rect{};
    // Non-client insets as of the last WM_NCCALCSIZE, as Windows caches the
    // client rectangle until the frame is recalculated.
    int frameX = 0;
    int frameY = 0;
    int caption = 0;
    State state = State::Normal;
    State stateBeforeMinimize = State::Normal;
    RECT normalRect{};
    RECT maximizedRect{};
    bool shownOnce = false;
    // A top-level window's DPI: decided when it is made and changed by a
    // DPI change (children take their top-level window's).
    Dpi dpi;
    bool dpiChanging = false;  // inside its WM_GETDPISCALEDSIZE/WM_DPICHANGED
    // Client geometry as last announced by WM_MOVE / WM_SIZE (or creation),
    // so that a SetWindowPos nested in WM_WINDOWPOSCHANGED neither repeats
    // nor contradicts what the nested call already announced.
    POINT reportedOrigin{};
    int reportedCw = 0;
    int reportedCh = 0;
    bool destroying = false;
    std::u16string text;
    LONG_PTR userData = 0;
    LONG_PTR id = 0;  // GWLP_ID
    HFONT font = nullptr;
    std::vector<std::pair<std::u16string, HANDLE>> props;
    // What a window of one of the system's control classes was told to
    // show, kept as the control keeps it (controls.cpp).
    std::vector<std::u16string> items;
    // A list view's column widths, a header's section widths, beside items.
    std::vector<int> widths;
    LRESULT selection = -1;
    WPARAM check = 0;
    LRESULT position = 0;
    // A list box's row height: the System font's when it is made.
    int itemHeight = kSystemFontHeight;
    // A window the dialog manager made: its dialog procedure, its base
    // units, and the font it made for it (deleted with the window).
    bool dialog = false;
    DLGPROC dlgProc = nullptr;
    int baseX = 0;
    int baseY = 0;
    HFONT dialogFont = nullptr;
  };

  struct Hook {
    std::size_t serial;
    HOOKPROC proc;
  };

  struct Frame {
    int x = 0;
    int y = 0;
    int caption = 0;
  };

  DesktopConfig config;
  std::vector<std::unique_ptr<Window>> windows{1};  // slot 0 is never used
  int liveWindows = 0;
  std::vector<std::pair<std::u16string, WNDPROC>> classes;
  std::vector<Hook> hooks;
  std::size_t nextHookSerial = 1;
  int hookDepth = 0;
  std::vector<std::optional<LOGFONTW>> fonts{1};
  // Slots of deleted fonts: GDI reuses font handles, and a program that
  // changes fonts all day must not grow without end.
  std::vector<std::size_t> freeFonts;
  // The slot of the stock System font once asked for (GetStockObject): it
  // is never deleted and not counted among the fonts made.
  std::size_t stockSystemFont = 0;
  // Per-monitor dialog scaling as last set per window (DDC_, DCDC_ values).
  std::vector<std::pair<HWND, DWORD>> dialogDpiBehavior;
  std::vector<std::pair<HWND, DWORD>> controlDpiBehavior;
  HWND lockHolder = nullptr;
  bool recording = true;
  bool dwmLoaded = false;
  std::vector<CallRecord> calls;
  std::size_t callsDropped = 0;  // since the desktop was made
  std::vector<MessageRecord> messages;
  std::vector<PaintRecord> paints;
  // The one paint DC: the window it paints and its selected state, as
  // BeginPaint gives it.
  struct PaintDc {
    HWND wnd = nullptr;
    HFONT font = nullptr;
    int bkMode = OPAQUE;
    COLORREF textColor = 0;
    COLORREF bkColor = 0xFFFFFF;
  } paint;
  // The font selected into the screen DC, for measuring outside painting.
  HFONT screenFont = nullptr;
  // Why the latest dialog could not be made (dialogs.cpp).
  std::string dialogError;

  // The desktop whose procedure call is in progress on this thread, so that
  // the built-in class procedure reaches the right desktop.
  static thread_local Impl* active;

  struct ActiveScope {
    Impl* saved;
    explicit ActiveScope(Impl* impl) : saved(active) { active = impl; }
    ~ActiveScope() { active = saved; }
    ActiveScope(const ActiveScope&) = delete;
    ActiveScope& operator=(const ActiveScope&) = delete;
  };

  struct DepthScope {
    int& depth;
    explicit DepthScope(int& d) : depth(d) { ++depth; }
    ~DepthScope() { --depth; }
    DepthScope(const DepthScope&) = delete;
    DepthScope& operator=(const DepthScope&) = delete;
  };

  explicit Impl(DesktopConfig c) : config(std::move(c)) {}

  // The font a DC measures with: the one selected into it, else GDI's
  // stock System font; nullopt for a DC that is not one of ours.
  std::optional<LOGFONTW> dcFont(HDC dc) const;
  // GDI's stock System font.
  static LOGFONTW systemFont();

  // A drawing call on the paint DC, with its state now.
  void recordPaint(const char* op, std::u16string_view text, const RECT& rect,
                   UINT format, UINT flags);

  // Keeps the latest records: past twice the limit the older half goes, so
  // that a long run under test stays bounded at an amortised constant cost.
  // Returns how many were dropped.
  template <typename Record>
  static std::size_t keep(std::vector<Record>& records, Record record) {
    std::size_t dropped = 0;
    if (records.size() >= 2 * kRecordLimit) {
      dropped = records.size() - kRecordLimit;
      records.erase(records.begin(),
                    records.begin() + static_cast<std::ptrdiff_t>(dropped));
    }
    records.push_back(std::move(record));
    return dropped;
  }

  void recordCall(const char* op, HWND wnd) {
    if (recording) callsDropped += keep(calls, CallRecord{op, wnd});
  }

  Window* find(HWND wnd) const {
    const std::size_t serial = handleSerial(wnd, kTagWindow);
    if (serial == 0 || serial >= windows.size()) return nullptr;
    return windows[serial].get();
  }

  // ---- DPI (dpi.cpp)
  DpiAwareness awareness() const;
  Dpi systemDpi() const;     // the configured one
  Dpi appSystemDpi() const;  // as the process sees it (96 when unaware)
  Dpi monitorDpiAt(std::size_t i) const;
  // The DPI the process sees for things on monitor i.
  Dpi appDpiAt(std::size_t i) const;
  Dpi dpiOf(const Window& w) const;  // a child's is its top-level window's
  // The DPI a top-level window at `r` (screen) gets.
  Dpi decideDpi(const RECT& r) const;
  // A metric given at 96 DPI (or, with scaleMetricsWithDpi off, at the
  // system DPI) on one axis at `dpi`.
  int metricX(int v, const Dpi& dpi) const;
  int metricY(int v, const Dpi& dpi) const;
  // Tells a per-monitor aware top-level window that its DPI is now `next`.
  void changeDpi(HWND wnd, Dpi next);
  // After a position change: the DPI change, if the move calls for one.
  void checkDpi(HWND wnd);
  void moveByCaption(HWND wnd, int x, int y);

  // System metrics at 96 DPI scaled to the system DPI the process sees.
  int sx(int v) const { return metricX(v, appSystemDpi()); }
  int sy(int v) const { return metricY(v, appSystemDpi()); }

  static int clampTrack(int v, LONG lo, LONG hi) {
    return std::max<int>(std::min<int>(v, hi), lo);
  }

  // ---- Windows (windows.cpp)
  WNDPROC classProc(std::u16string_view name, bool& found) const;
  static LONG_PTR styleWord(const Window& w);
  void link(Window& w);
  void unlink(const Window& w);
  void release(HWND wnd);
  HWND create(DWORD exStyle, std::u16string_view className,
              std::u16string_view windowName, DWORD style, int x, int y, int cx,
              int cy, HWND parent, void* param, UINT_PTR id = 0);
  // WM_PARENTNOTIFY to the parent of a child without WS_EX_NOPARENTNOTIFY
  // (only the parent is told, as under Wine).
  void notifyParent(HWND wnd, UINT event);
  void sendDestroy(HWND wnd);
  void sendNcDestroy(HWND wnd);
  BOOL destroy(HWND wnd);

  // ---- Geometry and show states (geometry.cpp)
  Frame frameFor(bool child, DWORD style, DWORD exStyle, const Dpi& dpi) const;
  void recalcFrame(Window& w);
  static bool clampable(const Window& w);
  int clientWidth(const Window& w) const;
  int clientHeight(const Window& w) const;
  POINT clientOrigin(const Window& w) const;
  void markReported(Window& w) const;
  void announce(HWND wnd, bool forceSize);
  POINT screenOffset(const Window& w) const;
  RECT screenRect(const Window& w) const;
  WPARAM sizeKind(const Window& w) const;
  BOOL position(HWND wnd, HWND after, int x, int y, int cx, int cy, UINT flags,
                bool forceSize = false);
  bool setVisible(HWND wnd, bool visible);
  void reveal(HWND wnd, bool sizeMessages);
  void conceal(HWND wnd);
  Window* enterState(HWND wnd, State target);
  void maximizeWindow(HWND wnd);
  void minimizeWindow(HWND wnd);
  void restoreWindow(HWND wnd);
  BOOL show(HWND wnd, int cmd);
  void drag(HWND wnd, WPARAM edge, int dx, int dy);

  // ---- Delivery (messages.cpp)
  // The window procedure of a system class: `Handler` of the desktop in
  // charge (control() for the controls, defDialog() for the dialog class),
  // or the plain default when no simulated desktop is.
  template <LRESULT (Impl::*Handler)(HWND, UINT, WPARAM, LPARAM)>
  static LRESULT FLX_CALLBACK systemProc(HWND wnd, UINT msg, WPARAM wp,
                                         LPARAM lp) {
    if (active != nullptr) return (active->*Handler)(wnd, msg, wp, lp);
    if (hasWindowSystem()) {
      return currentWindowSystem().defWindowProc(wnd, msg, wp, lp);
    }
    return 0;
  }
  // The dialog class's defaults (DefDlgProc): the dialog procedure first,
  // then the dialog manager's own handling (dialogs.cpp).
  LRESULT defDialog(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
  // An up-down control made by the dialog manager takes its width, and its
  // buddy's edge when it aligns to the control before it.
  void placeUpDown(HWND ctl, DWORD style);
  LRESULT invoke(WNDPROC proc, HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT deliver(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
  template <typename T>
  LRESULT deliverPtr(HWND wnd, UINT msg, WPARAM wp, T* p) {
    return deliver(wnd, msg, wp, reinterpret_cast<LPARAM>(p));
  }
  LRESULT callNext(HHOOK hook, int code, WPARAM wp, LPARAM lp);
  LRESULT def(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
  // The part of a system control class's procedure that keeps its items,
  // selection, check state and position; the rest is def's.
  LRESULT control(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
  // A font's tmHeight; the System font's for none or one not of ours.
  int textHeightOf(HFONT font) const;
  // Holds a drop-down combo box or a list box of whole rows at the height
  // it makes of the one it was given (controls.cpp).
  void fitHeight(HWND wnd);

  // ---- Monitors, taskbar, metrics (screen.cpp)
  int smallCaptionHeight(const Dpi& dpi) const;
  std::vector<MonitorConfig> monitorList() const;
  std::size_t primaryIndex() const;
  MonitorConfig monitorAt(std::size_t i) const;
  std::size_t monitorCount() const;
  RECT primaryRect() const;
  RECT virtualScreen() const;
  RECT taskbarStrip() const;
  RECT reportedTaskbar() const;
  RECT workAreaOf(std::size_t i) const;
  long long bestIntersecting(const RECT& r) const;
  std::size_t nearestMonitor(const RECT& r) const;
  // The monitor a rectangle is on (most of it), else as the
  // MONITOR_DEFAULTTO... flags say; no rectangle is on no monitor.
  HMONITOR monitorForRect(const RECT* r, DWORD flags) const;
  RECT monitorProbeRect(const Window& w) const;
  POINT minTrack(const Dpi& dpi) const;
  POINT maxTrack(const Dpi& dpi) const;
  int systemMetric(int index, const Dpi& dpi) const;
  MINMAXINFO defaultMinMax(const Window& w) const;
  POINT workspaceOffset(const Window& w) const;
};

}  // namespace flx::sim
