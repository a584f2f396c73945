// The simulated desktop: windows, messages, hooks, monitors, taskbar, DWM,
// fonts and locale, all in memory and deterministic.
//
// Re-entrancy rule: a window procedure may create, move or destroy any window
// (itself included) while it handles a message. No reference, pointer or
// iterator into the window table is therefore kept across a call into a
// procedure; every step looks the window up again by handle.
#include "flexarium/sim_desktop.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>

#include "flexarium/sysutils.h"
#include "flexarium/winapi.h"

namespace flx::sim {

using namespace flx::win;

std::string_view toString(TaskbarEdge edge) {
  switch (edge) {
    case TaskbarEdge::None:
      return "None";
    case TaskbarEdge::Left:
      return "Left";
    case TaskbarEdge::Top:
      return "Top";
    case TaskbarEdge::Right:
      return "Right";
    case TaskbarEdge::Bottom:
      return "Bottom";
  }
  return "?";
}

namespace {

constexpr DWORD kThreadId = 1;
constexpr UINT WM_GETTEXTLENGTH = 0x000E;
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
constexpr int SW_SHOWMINNOACTIVE = 7;
constexpr int SW_SHOWNA = 8;
constexpr int SW_SHOWDEFAULT = 10;
constexpr int SW_FORCEMINIMIZE = 11;
constexpr UINT WPF_RESTORETOMAXIMIZED = 0x0002;
constexpr int kMinimizedPos = -32000;

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

int width(const RECT& r) { return r.right - r.left; }
int height(const RECT& r) { return r.bottom - r.top; }

long long intersectionArea(const RECT& a, const RECT& b) {
  const long long w = std::min<long long>(a.right, b.right) -
                      std::max<long long>(a.left, b.left);
  const long long h = std::min<long long>(a.bottom, b.bottom) -
                      std::max<long long>(a.top, b.top);
  return (w > 0 && h > 0) ? w * h : 0;
}

long long gapSquared(const RECT& a, const RECT& b) {
  auto gap = [](long long lo1, long long hi1, long long lo2,
                long long hi2) -> long long {
    if (hi1 < lo2) return lo2 - hi1;
    if (hi2 < lo1) return lo1 - hi2;
    return 0;
  };
  const long long dx = gap(a.left, a.right, b.left, b.right);
  const long long dy = gap(a.top, a.bottom, b.top, b.bottom);
  return dx * dx + dy * dy;
}

// Window class names compare without regard to ASCII case, as in Windows.
bool sameClassName(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  auto upper = [](char16_t c) {
    return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - u'a' + u'A')
                                    : c;
  };
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (upper(a[i]) != upper(b[i])) return false;
  }
  return true;
}

bool isSystemClass(std::u16string_view name) {
  static constexpr std::u16string_view kNames[] = {
      u"BUTTON",   u"EDIT",      u"STATIC", u"LISTBOX",
      u"COMBOBOX", u"SCROLLBAR", u"#32770"};
  for (auto n : kNames) {
    if (sameClassName(n, name)) return true;
  }
  return false;
}

}  // namespace

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
    // Client geometry as last announced by WM_MOVE / WM_SIZE (or creation),
    // so that a SetWindowPos nested in WM_WINDOWPOSCHANGED neither repeats
    // nor contradicts what the nested call already announced.
    POINT reportedOrigin{};
    int reportedCw = 0;
    int reportedCh = 0;
    bool destroying = false;
    std::u16string text;
    LONG_PTR userData = 0;
    HFONT font = nullptr;
    std::vector<std::pair<std::u16string, HANDLE>> props;
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
  HWND lockHolder = nullptr;
  bool recording = true;
  bool dwmLoaded = false;
  std::vector<CallRecord> calls;
  std::vector<MessageRecord> messages;
  std::vector<PaintRecord> paints;
  // The one paint DC: the window it paints and its selected state.
  HWND paintWnd = nullptr;
  HFONT paintFont = nullptr;
  int paintBkMode = OPAQUE;

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

  static LRESULT FLX_CALLBACK systemClassProc(HWND wnd, UINT msg, WPARAM wp,
                                              LPARAM lp) {
    if (active != nullptr) return active->def(wnd, msg, wp, lp);
    if (hasWindowSystem()) {
      return currentWindowSystem().defWindowProc(wnd, msg, wp, lp);
    }
    return 0;
  }

  explicit Impl(DesktopConfig c) : config(std::move(c)) {}

  // ---- Records
  void recordCall(const char* op, HWND wnd) {
    if (recording) calls.push_back(CallRecord{op, wnd});
  }

  // ---- Lookup
  Window* find(HWND wnd) const {
    const std::size_t serial = handleSerial(wnd, kTagWindow);
    if (serial == 0 || serial >= windows.size()) return nullptr;
    return windows[serial].get();
  }

  // ---- Metrics
  int sx(int v) const {
    return config.scaleMetricsWithDpi ? MulDiv(v, config.dpiX, 96) : v;
  }
  int sy(int v) const {
    return config.scaleMetricsWithDpi ? MulDiv(v, config.dpiY, 96) : v;
  }
  int smallCaptionHeight() const { return sy(config.captionHeight * 3 / 4); }

  Frame frameFor(bool child, DWORD style, DWORD exStyle) const {
    Frame f;
    if (child) {
      const int b = ((style & WS_BORDER) ? 1 : 0) +
                    ((exStyle & WS_EX_CLIENTEDGE) ? 2 : 0);
      f.x = f.y = b;
      return f;
    }
    if ((style & WS_CAPTION) == WS_CAPTION) {
      f.caption = (exStyle & WS_EX_TOOLWINDOW) ? smallCaptionHeight()
                                               : sy(config.captionHeight);
    }
    if (style & WS_THICKFRAME) {
      f.x = sx(config.sizeFrame) + sx(config.paddedBorder);
      f.y = sy(config.sizeFrame) + sy(config.paddedBorder);
    } else if ((style & WS_DLGFRAME) || (exStyle & WS_EX_DLGMODALFRAME)) {
      f.x = sx(config.fixedFrame);
      f.y = sy(config.fixedFrame);
    } else if (style & WS_BORDER) {
      f.x = sx(config.border);
      f.y = sy(config.border);
    }
    return f;
  }

  void recalcFrame(Window& w) {
    const Frame f = frameFor(w.child, w.style, w.exStyle);
    w.frameX = f.x;
    w.frameY = f.y;
    w.caption = f.caption;
  }

  static LONG_PTR styleWord(const Window& w) {
    DWORD s = w.style;
    if (w.state == State::Maximized) s |= WS_MAXIMIZE;
    if (w.state == State::Minimized) s |= WS_MINIMIZE;
    return static_cast<LONG_PTR>(static_cast<LONG>(s));
  }

  static bool clampable(const Window& w) {
    if (w.child) return false;
    return !((w.style & WS_POPUP) && !(w.style & WS_THICKFRAME));
  }

  int clientWidth(const Window& w) const {
    if (w.state == State::Minimized) return 0;
    return std::max(0, width(w.rect) - 2 * w.frameX);
  }
  int clientHeight(const Window& w) const {
    if (w.state == State::Minimized) return 0;
    return std::max(0, height(w.rect) - 2 * w.frameY - w.caption);
  }

  // Client origin in the coordinates the window's rect is kept in.
  POINT clientOrigin(const Window& w) const {
    return POINT{w.rect.left + w.frameX, w.rect.top + w.frameY + w.caption};
  }

  void markReported(Window& w) const {
    w.reportedOrigin = clientOrigin(w);
    w.reportedCw = clientWidth(w);
    w.reportedCh = clientHeight(w);
  }

  // Sends WM_MOVE / WM_SIZE for whatever differs from what the window was
  // last told, reading the geometry as it is now.
  void announce(HWND wnd, bool forceSize) {
    Window* w = find(wnd);
    if (w == nullptr) return;
    const POINT origin = clientOrigin(*w);
    if (origin.x != w->reportedOrigin.x || origin.y != w->reportedOrigin.y) {
      w->reportedOrigin = origin;
      deliver(wnd, WM_MOVE, 0, MAKELPARAM(origin.x, origin.y));
      w = find(wnd);
      if (w == nullptr) return;
    }
    const int cw = clientWidth(*w);
    const int ch = clientHeight(*w);
    if (forceSize || cw != w->reportedCw || ch != w->reportedCh) {
      w->reportedCw = cw;
      w->reportedCh = ch;
      deliver(wnd, WM_SIZE, sizeKind(*w), MAKELPARAM(cw, ch));
    }
  }

  // Offset that turns the window's stored coordinates into screen ones.
  POINT screenOffset(const Window& w) const {
    POINT off{0, 0};
    const Window* cur = &w;
    int guard = 0;
    while (cur->child && guard++ < 100000) {
      const Window* p = find(cur->parent);
      if (p == nullptr) break;
      const POINT o = clientOrigin(*p);
      off.x += o.x;
      off.y += o.y;
      cur = p;
    }
    return off;
  }

  RECT screenRect(const Window& w) const {
    RECT r = w.rect;
    const POINT off = screenOffset(w);
    OffsetRect(&r, off.x, off.y);
    return r;
  }

  // ---- Monitors
  std::vector<MonitorConfig> monitorList() const {
    if (config.monitors.empty()) return {MonitorConfig{}};
    return config.monitors;
  }

  std::size_t primaryIndex() const {
    const auto& m = config.monitors;
    for (std::size_t i = 0; i < m.size(); ++i) {
      if (m[i].primary) return i;
    }
    return 0;
  }

  MonitorConfig monitorAt(std::size_t i) const {
    if (config.monitors.empty()) return MonitorConfig{};
    return config.monitors[i];
  }

  std::size_t monitorCount() const {
    return config.monitors.empty() ? 1 : config.monitors.size();
  }

  RECT primaryRect() const { return monitorAt(primaryIndex()).rect; }

  RECT virtualScreen() const {
    const auto list = monitorList();
    RECT v = list.front().rect;
    for (const auto& m : list) {
      v.left = std::min(v.left, m.rect.left);
      v.top = std::min(v.top, m.rect.top);
      v.right = std::max(v.right, m.rect.right);
      v.bottom = std::max(v.bottom, m.rect.bottom);
    }
    return v;
  }

  // The strip the taskbar occupies on the primary monitor.
  RECT taskbarStrip() const {
    const RECT m = primaryRect();
    const int tx =
        std::clamp(config.taskbar.thickness, 0, std::max(0, width(m)));
    const int ty =
        std::clamp(config.taskbar.thickness, 0, std::max(0, height(m)));
    RECT r = m;
    switch (config.taskbar.edge) {
      case TaskbarEdge::None:
        return RECT{0, 0, 0, 0};
      case TaskbarEdge::Left:
        r.right = m.left + tx;
        break;
      case TaskbarEdge::Top:
        r.bottom = m.top + ty;
        break;
      case TaskbarEdge::Right:
        r.left = m.right - tx;
        break;
      case TaskbarEdge::Bottom:
        r.top = m.bottom - ty;
        break;
    }
    return r;
  }

  RECT reportedTaskbar() const {
    if (config.taskbar.edge == TaskbarEdge::None) return RECT{0, 0, 0, 0};
    if (config.taskbar.reportedRect) return *config.taskbar.reportedRect;
    return taskbarStrip();
  }

  RECT workAreaOf(std::size_t i) const {
    RECT w = monitorAt(i).rect;
    if (i != primaryIndex() || config.taskbar.edge == TaskbarEdge::None ||
        config.taskbar.autoHide) {
      return w;
    }
    const RECT s = taskbarStrip();
    switch (config.taskbar.edge) {
      case TaskbarEdge::Left:
        w.left = s.right;
        break;
      case TaskbarEdge::Top:
        w.top = s.bottom;
        break;
      case TaskbarEdge::Right:
        w.right = s.left;
        break;
      case TaskbarEdge::Bottom:
        w.bottom = s.top;
        break;
      case TaskbarEdge::None:
        break;
    }
    return w;
  }

  // -1 when no monitor intersects the rectangle.
  long long bestIntersecting(const RECT& r) const {
    long long best = -1;
    long long bestArea = 0;
    for (std::size_t i = 0; i < monitorCount(); ++i) {
      const long long a = intersectionArea(r, monitorAt(i).rect);
      if (a > bestArea) {
        bestArea = a;
        best = static_cast<long long>(i);
      }
    }
    return best;
  }

  std::size_t nearestMonitor(const RECT& r) const {
    const long long hit = bestIntersecting(r);
    if (hit >= 0) return static_cast<std::size_t>(hit);
    std::size_t best = 0;
    long long bestGap = LLONG_MAX;
    for (std::size_t i = 0; i < monitorCount(); ++i) {
      const long long g = gapSquared(r, monitorAt(i).rect);
      if (g < bestGap) {
        bestGap = g;
        best = i;
      }
    }
    return best;
  }

  // A minimized window belongs to the monitor of its restored position, as
  // Windows does, not to wherever (-32000, -32000) happens to be nearest.
  RECT monitorProbeRect(const Window& w) const {
    if (w.state == State::Minimized) {
      RECT r = w.normalRect;
      const POINT off = screenOffset(w);
      OffsetRect(&r, off.x, off.y);
      return r;
    }
    return screenRect(w);
  }

  POINT minTrack() const { return POINT{sx(136), sy(39)}; }
  POINT maxTrack() const {
    const RECT v = virtualScreen();
    return POINT{
        width(v) + 2 * (sx(config.sizeFrame) + sx(config.paddedBorder)) + 4,
        height(v) + 2 * (sy(config.sizeFrame) + sy(config.paddedBorder)) + 4};
  }

  MINMAXINFO defaultMinMax(const Window& w) const {
    const RECT work = workAreaOf(nearestMonitor(monitorProbeRect(w)));
    MINMAXINFO mmi{};
    mmi.ptMaxSize =
        POINT{width(work) + 2 * w.frameX, height(work) + 2 * w.frameY};
    mmi.ptMaxPosition = POINT{work.left - w.frameX, work.top - w.frameY};
    mmi.ptMinTrackSize = minTrack();
    mmi.ptMaxTrackSize = maxTrack();
    return mmi;
  }

  static int clampTrack(int v, LONG lo, LONG hi) {
    return std::max<int>(std::min<int>(v, hi), lo);
  }

  // ---- Delivery
  LRESULT invoke(WNDPROC proc, HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (proc == nullptr) return 0;
    ActiveScope scope(this);
    return proc(wnd, msg, wp, lp);
  }

  LRESULT deliver(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (find(wnd) == nullptr) return 0;
    if (recording) messages.push_back(MessageRecord{wnd, msg, wp, lp});
    // A hook that sends messages itself is not re-entered, which keeps a
    // logging hook from recursing without end.
    if (!hooks.empty() && hookDepth == 0) {
      const HOOKPROC hook = hooks.back().proc;
      CWPSTRUCT cwp{lp, wp, msg, wnd};
      {
        DepthScope depth(hookDepth);
        ActiveScope scope(this);
        hook(HC_ACTION, 1, reinterpret_cast<LPARAM>(&cwp));
      }
    }
    const Window* w = find(wnd);
    if (w == nullptr) return 0;
    return invoke(w->proc, wnd, msg, wp, lp);
  }

  template <typename T>
  LRESULT deliverPtr(HWND wnd, UINT msg, WPARAM wp, T* p) {
    return deliver(wnd, msg, wp, reinterpret_cast<LPARAM>(p));
  }

  LRESULT callNext(HHOOK hook, int code, WPARAM wp, LPARAM lp) {
    const std::size_t serial = handleSerial(hook, kTagHook);
    for (auto it = hooks.rbegin(); it != hooks.rend(); ++it) {
      if (it->serial < serial) {
        const HOOKPROC proc = it->proc;
        ActiveScope scope(this);
        return proc(code, wp, lp);
      }
    }
    return 0;
  }

  // ---- Default procedure
  LRESULT def(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    Window* w = find(wnd);
    if (w == nullptr) return 0;
    switch (msg) {
      case WM_NCCREATE:
        return TRUE;
      case WM_CLOSE:
        destroy(wnd);
        return 0;
      case WM_SETTEXT:
        w->text = lp ? std::u16string(reinterpret_cast<const char16_t*>(lp))
                     : std::u16string();
        return TRUE;
      case WM_GETTEXT: {
        auto* buf = reinterpret_cast<char16_t*>(lp);
        if (buf == nullptr || wp == 0) return 0;
        const std::size_t n = std::min<std::size_t>(wp - 1, w->text.size());
        std::copy_n(w->text.data(), n, buf);
        buf[n] = u'\0';
        return static_cast<LRESULT>(n);
      }
      case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(w->text.size());
      case WM_SETFONT:
        w->font = reinterpret_cast<HFONT>(wp);
        return 0;
      case WM_GETFONT:
        return reinterpret_cast<LRESULT>(w->font);
      default:
        return 0;
    }
  }

  // ---- Creation
  WNDPROC classProc(std::u16string_view name, bool& found) const {
    for (const auto& [n, p] : classes) {
      if (sameClassName(n, name)) {
        found = true;
        return p;
      }
    }
    found = isSystemClass(name);
    return found ? &systemClassProc : nullptr;
  }

  void link(Window& w) {
    if (Window* p = find(w.parent)) {
      (w.child ? p->children : p->owned).push_back(w.handle);
    }
  }

  void unlink(const Window& w) {
    if (Window* p = find(w.parent)) {
      auto& list = w.child ? p->children : p->owned;
      list.erase(std::remove(list.begin(), list.end(), w.handle), list.end());
    }
  }

  // Forgets a window and whatever still hangs below it, without messages.
  void release(HWND wnd) {
    Window* w = find(wnd);
    if (w == nullptr) return;
    unlink(*w);
    std::vector<HWND> below = w->children;
    below.insert(below.end(), w->owned.begin(), w->owned.end());
    if (lockHolder == wnd) lockHolder = nullptr;
    windows[handleSerial(wnd, kTagWindow)].reset();
    --liveWindows;
    for (HWND c : below) release(c);
  }

  HWND create(DWORD exStyle, std::u16string_view className,
              std::u16string_view windowName, DWORD style, int x, int y, int cx,
              int cy, HWND parent, void* param) {
    bool found = false;
    const WNDPROC proc = classProc(className, found);
    if (!found) return nullptr;
    const bool child = (style & WS_CHILD) != 0;
    if (child && find(parent) == nullptr) return nullptr;
    if (!child && parent != nullptr && find(parent) == nullptr) return nullptr;

    const HWND wnd = makeHandle<HWND>(windows.size(), kTagWindow);
    {
      auto w = std::make_unique<Window>();
      w->handle = wnd;
      w->className = std::u16string(className);
      w->proc = proc;
      w->style = style & ~(WS_VISIBLE | WS_MAXIMIZE | WS_MINIMIZE);
      w->exStyle = exStyle;
      w->child = child;
      w->parent = parent;
      w->rect = RECT{x, y, x + std::max(0, cx), y + std::max(0, cy)};
      w->normalRect = w->rect;
      w->text = std::u16string(windowName);
      recalcFrame(*w);
      markReported(*w);
      windows.push_back(std::move(w));
      ++liveWindows;
      link(*windows.back());
    }

    if (Window* w = find(wnd); w != nullptr && clampable(*w)) {
      MINMAXINFO mmi = defaultMinMax(*w);
      deliverPtr(wnd, WM_GETMINMAXINFO, 0, &mmi);
      w = find(wnd);
      if (w == nullptr) return nullptr;
      w->rect.right =
          w->rect.left + clampTrack(width(w->rect), mmi.ptMinTrackSize.x,
                                    mmi.ptMaxTrackSize.x);
      w->rect.bottom =
          w->rect.top + clampTrack(height(w->rect), mmi.ptMinTrackSize.y,
                                   mmi.ptMaxTrackSize.y);
      w->normalRect = w->rect;
      markReported(*w);
    }
    const Window* w = find(wnd);
    if (w == nullptr) return nullptr;

    const std::u16string name(windowName);
    const std::u16string cls(className);
    CREATESTRUCTW cs{};
    cs.lpCreateParams = param;
    cs.hwndParent = parent;
    cs.x = w->rect.left;
    cs.y = w->rect.top;
    cs.cx = width(w->rect);
    cs.cy = height(w->rect);
    cs.style = static_cast<LONG>(style);
    cs.lpszName = name.c_str();
    cs.lpszClass = cls.c_str();
    cs.dwExStyle = exStyle;

    auto fail = [&]() -> HWND {
      if (Window* dead = find(wnd); dead != nullptr && !dead->destroying) {
        dead->destroying = true;
        deliver(wnd, WM_NCDESTROY, 0, 0);
      }
      release(wnd);
      return nullptr;
    };

    if (deliverPtr(wnd, WM_NCCREATE, 0, &cs) == 0) return fail();
    w = find(wnd);
    if (w == nullptr) return nullptr;
    RECT calc = w->rect;
    deliverPtr(wnd, WM_NCCALCSIZE, FALSE, &calc);
    if (find(wnd) == nullptr) return nullptr;
    if (deliverPtr(wnd, WM_CREATE, 0, &cs) == -1) return fail();
    if (find(wnd) == nullptr) return nullptr;

    if (style & WS_VISIBLE) {
      const int cmd = (style & WS_MAXIMIZE)   ? SW_SHOWMAXIMIZED
                      : (style & WS_MINIMIZE) ? SW_SHOWMINIMIZED
                                              : SW_SHOW;
      show(wnd, cmd);
    }
    return find(wnd) != nullptr ? wnd : nullptr;
  }

  // ---- Destruction
  void sendDestroy(HWND wnd) {
    deliver(wnd, WM_DESTROY, 0, 0);
    const Window* w = find(wnd);
    if (w == nullptr) return;
    const std::vector<HWND> kids = w->children;
    for (HWND c : kids) {
      Window* cw = find(c);
      if (cw == nullptr || cw->destroying) continue;
      cw->destroying = true;
      sendDestroy(c);
    }
  }

  void sendNcDestroy(HWND wnd) {
    const Window* w = find(wnd);
    if (w == nullptr) return;
    const std::vector<HWND> kids = w->children;
    for (HWND c : kids) {
      const Window* cw = find(c);
      if (cw != nullptr && cw->destroying) sendNcDestroy(c);
    }
    deliver(wnd, WM_NCDESTROY, 0, 0);
    release(wnd);
  }

  BOOL destroy(HWND wnd) {
    Window* w = find(wnd);
    if (w == nullptr || w->destroying) return FALSE;
    w->destroying = true;
    // Windows destroys the windows a top-level window owns before it.
    const std::vector<HWND> owned = w->owned;
    for (HWND o : owned) destroy(o);
    if (find(wnd) == nullptr) return TRUE;
    if (lockHolder == wnd) lockHolder = nullptr;
    sendDestroy(wnd);
    sendNcDestroy(wnd);
    return TRUE;
  }

  // ---- Positioning
  WPARAM sizeKind(const Window& w) const {
    switch (w.state) {
      case State::Maximized:
        return SIZE_MAXIMIZED;
      case State::Minimized:
        return SIZE_MINIMIZED;
      case State::Normal:
        break;
    }
    return SIZE_RESTORED;
  }

  // SetWindowPos. `forceSize` makes WM_SIZE go out even with an unchanged
  // client size, as a state change (maximize, minimize, restore) does.
  BOOL position(HWND wnd, HWND after, int x, int y, int cx, int cy, UINT flags,
                bool forceSize = false) {
    Window* w = find(wnd);
    if (w == nullptr) return FALSE;

    WINDOWPOS pos{wnd, after, x, y, std::max(0, cx), std::max(0, cy), flags};
    if (flags & SWP_NOMOVE) {
      pos.x = w->rect.left;
      pos.y = w->rect.top;
    }
    if (flags & SWP_NOSIZE) {
      pos.cx = width(w->rect);
      pos.cy = height(w->rect);
    }
    deliverPtr(wnd, WM_WINDOWPOSCHANGING, 0, &pos);
    w = find(wnd);
    if (w == nullptr) return FALSE;

    const bool sizing = !(pos.flags & SWP_NOSIZE);
    if (sizing && clampable(*w)) {
      MINMAXINFO mmi = defaultMinMax(*w);
      deliverPtr(wnd, WM_GETMINMAXINFO, 0, &mmi);
      w = find(wnd);
      if (w == nullptr) return FALSE;
      // A minimized window keeps its icon size whatever the tracking limits.
      if (w->state != State::Minimized) {
        pos.cx = clampTrack(pos.cx, mmi.ptMinTrackSize.x, mmi.ptMaxTrackSize.x);
        pos.cy = clampTrack(pos.cy, mmi.ptMinTrackSize.y, mmi.ptMaxTrackSize.y);
      }
    }

    RECT next = w->rect;
    if (!(pos.flags & SWP_NOMOVE)) {
      next = RECT{pos.x, pos.y, pos.x + width(next), pos.y + height(next)};
    }
    if (sizing) {
      next.right = next.left + std::max(0, pos.cx);
      next.bottom = next.top + std::max(0, pos.cy);
    }

    if (sizing || (pos.flags & SWP_FRAMECHANGED)) {
      RECT calc = next;
      deliverPtr(wnd, WM_NCCALCSIZE, FALSE, &calc);
      w = find(wnd);
      if (w == nullptr) return FALSE;
      recalcFrame(*w);
    }
    w->rect = next;
    if (pos.flags & SWP_SHOWWINDOW) {
      w->style |= WS_VISIBLE;
      w->shownOnce = true;
    }
    if (pos.flags & SWP_HIDEWINDOW) w->style &= ~WS_VISIBLE;
    pos.x = next.left;
    pos.y = next.top;
    pos.cx = width(next);
    pos.cy = height(next);

    deliverPtr(wnd, WM_WINDOWPOSCHANGED, 0, &pos);
    announce(wnd, forceSize);
    return TRUE;
  }

  // Shows a hidden window the way ShowWindow does before any state change.
  void reveal(HWND wnd, bool sizeMessages) {
    Window* w = find(wnd);
    if (w == nullptr || (w->style & WS_VISIBLE)) return;
    const bool first = !w->shownOnce;
    deliver(wnd, WM_SHOWWINDOW, TRUE, 0);
    w = find(wnd);
    if (w == nullptr) return;
    WINDOWPOS pos{wnd,
                  nullptr,
                  w->rect.left,
                  w->rect.top,
                  width(w->rect),
                  height(w->rect),
                  SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW};
    deliverPtr(wnd, WM_WINDOWPOSCHANGING, 0, &pos);
    w = find(wnd);
    if (w == nullptr) return;
    w->style |= WS_VISIBLE;
    w->shownOnce = true;
    deliverPtr(wnd, WM_WINDOWPOSCHANGED, 0, &pos);
    if (!first || !sizeMessages) return;
    w = find(wnd);
    if (w == nullptr) return;
    markReported(*w);
    deliver(wnd, WM_SIZE, sizeKind(*w),
            MAKELPARAM(w->reportedCw, w->reportedCh));
    w = find(wnd);
    if (w == nullptr) return;
    const POINT o = w->reportedOrigin;
    deliver(wnd, WM_MOVE, 0, MAKELPARAM(o.x, o.y));
  }

  void conceal(HWND wnd) {
    Window* w = find(wnd);
    if (w == nullptr || !(w->style & WS_VISIBLE)) return;
    deliver(wnd, WM_SHOWWINDOW, FALSE, 0);
    w = find(wnd);
    if (w == nullptr) return;
    WINDOWPOS pos{wnd,
                  nullptr,
                  w->rect.left,
                  w->rect.top,
                  width(w->rect),
                  height(w->rect),
                  SWP_NOSIZE | SWP_NOMOVE | SWP_HIDEWINDOW};
    deliverPtr(wnd, WM_WINDOWPOSCHANGING, 0, &pos);
    w = find(wnd);
    if (w == nullptr) return;
    w->style &= ~WS_VISIBLE;
    deliverPtr(wnd, WM_WINDOWPOSCHANGED, 0, &pos);
  }

  constexpr static UINT kStateFlags = SWP_NOZORDER | SWP_NOACTIVATE;

  void maximizeWindow(HWND wnd) {
    Window* w = find(wnd);
    if (w == nullptr) return;
    if (w->state == State::Maximized) {
      reveal(wnd, false);
      return;
    }
    reveal(wnd, false);
    w = find(wnd);
    if (w == nullptr) return;
    if (w->state == State::Normal) w->normalRect = w->rect;
    if (w->child) {
      // A child fills its parent's client area.
      const Window* p = find(w->parent);
      const RECT target =
          p ? RECT{-w->frameX, -w->frameY - w->caption,
                   clientWidth(*p) + w->frameX, clientHeight(*p) + w->frameY}
            : w->rect;
      w->state = State::Maximized;
      position(wnd, nullptr, target.left, target.top, width(target),
               height(target), kStateFlags, true);
      return;
    }
    MINMAXINFO mmi = defaultMinMax(*w);
    deliverPtr(wnd, WM_GETMINMAXINFO, 0, &mmi);
    w = find(wnd);
    if (w == nullptr) return;
    w->state = State::Maximized;
    position(wnd, nullptr, mmi.ptMaxPosition.x, mmi.ptMaxPosition.y,
             mmi.ptMaxSize.x, mmi.ptMaxSize.y, kStateFlags, true);
  }

  void minimizeWindow(HWND wnd) {
    Window* w = find(wnd);
    if (w == nullptr) return;
    if (w->state == State::Minimized) {
      reveal(wnd, false);
      return;
    }
    reveal(wnd, false);
    w = find(wnd);
    if (w == nullptr) return;
    if (w->state == State::Normal) w->normalRect = w->rect;
    if (w->state == State::Maximized) w->maximizedRect = w->rect;
    w->stateBeforeMinimize = w->state;
    w->state = State::Minimized;
    position(wnd, nullptr, kMinimizedPos, kMinimizedPos, sx(160), sy(28),
             kStateFlags, true);
  }

  void restoreWindow(HWND wnd) {
    Window* w = find(wnd);
    if (w == nullptr) return;
    reveal(wnd, w->state == State::Normal);
    w = find(wnd);
    if (w == nullptr) return;
    RECT target{};
    if (w->state == State::Minimized &&
        w->stateBeforeMinimize == State::Maximized) {
      w->state = State::Maximized;
      target = w->maximizedRect;
    } else if (w->state != State::Normal) {
      w->state = State::Normal;
      target = w->normalRect;
    } else {
      return;
    }
    position(wnd, nullptr, target.left, target.top, width(target),
             height(target), kStateFlags, true);
  }

  BOOL show(HWND wnd, int cmd) {
    const Window* w = find(wnd);
    if (w == nullptr) return FALSE;
    const BOOL wasVisible = (w->style & WS_VISIBLE) ? TRUE : FALSE;
    switch (cmd) {
      case SW_HIDE:
        conceal(wnd);
        break;
      case SW_SHOWNORMAL:
      case SW_SHOWDEFAULT:
        // SW_SHOWNORMAL restores a minimized or maximized window.
        if (w->state != State::Normal) {
          restoreWindow(wnd);
        } else {
          reveal(wnd, true);
        }
        break;
      case SW_SHOW:
      case SW_SHOWNOACTIVATE:
      case SW_SHOWNA:
        reveal(wnd, true);
        break;
      case SW_MAXIMIZE:
        maximizeWindow(wnd);
        break;
      case SW_MINIMIZE:
      case SW_SHOWMINIMIZED:
      case SW_SHOWMINNOACTIVE:
      case SW_FORCEMINIMIZE:
        minimizeWindow(wnd);
        break;
      case SW_RESTORE:
        restoreWindow(wnd);
        break;
      default:
        return FALSE;
    }
    return wasVisible;
  }

  void drag(HWND wnd, WPARAM edge, int dx, int dy) {
    const Window* w = find(wnd);
    if (w == nullptr || w->child || w->state != State::Normal) return;
    const bool left =
        edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT || edge == WMSZ_BOTTOMLEFT;
    const bool right =
        edge == WMSZ_RIGHT || edge == WMSZ_TOPRIGHT || edge == WMSZ_BOTTOMRIGHT;
    const bool top =
        edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT;
    const bool bottom = edge == WMSZ_BOTTOM || edge == WMSZ_BOTTOMLEFT ||
                        edge == WMSZ_BOTTOMRIGHT;
    if (!left && !right && !top && !bottom) return;

    deliver(wnd, WM_ENTERSIZEMOVE, 0, 0);
    w = find(wnd);
    if (w == nullptr) return;
    RECT r = w->rect;
    if (left) r.left += dx;
    if (right) r.right += dx;
    if (top) r.top += dy;
    if (bottom) r.bottom += dy;

    MINMAXINFO mmi = defaultMinMax(*w);
    deliverPtr(wnd, WM_GETMINMAXINFO, 0, &mmi);
    if (find(wnd) == nullptr) return;
    const int cw =
        clampTrack(width(r), mmi.ptMinTrackSize.x, mmi.ptMaxTrackSize.x);
    const int ch =
        clampTrack(height(r), mmi.ptMinTrackSize.y, mmi.ptMaxTrackSize.y);
    if (cw != width(r)) {
      if (left) {
        r.left = r.right - cw;
      } else {
        r.right = r.left + cw;
      }
    }
    if (ch != height(r)) {
      if (top) {
        r.top = r.bottom - ch;
      } else {
        r.bottom = r.top + ch;
      }
    }

    deliverPtr(wnd, WM_SIZING, edge, &r);
    if (find(wnd) == nullptr) return;
    position(wnd, nullptr, r.left, r.top, width(r), height(r), kStateFlags);
    deliver(wnd, WM_EXITSIZEMOVE, 0, 0);
  }

  // Workspace coordinates: screen coordinates less the offset of the work
  // area within its monitor, which WINDOWPLACEMENT uses for top-level windows.
  POINT workspaceOffset(const Window& w) const {
    if (w.child || (w.exStyle & WS_EX_TOOLWINDOW)) return POINT{0, 0};
    const std::size_t m = nearestMonitor(monitorProbeRect(w));
    const RECT mon = monitorAt(m).rect;
    const RECT work = workAreaOf(m);
    return POINT{work.left - mon.left, work.top - mon.top};
  }
};

thread_local Desktop::Impl* Desktop::Impl::active = nullptr;

// ---------------------------------------------------------------------------

Desktop::Desktop(DesktopConfig config)
    : impl_(std::make_unique<Impl>(std::move(config))) {}

Desktop::~Desktop() = default;

const DesktopConfig& Desktop::config() const { return impl_->config; }
DesktopConfig& Desktop::mutableConfig() { return impl_->config; }

RECT Desktop::workArea() const {
  return impl_->workAreaOf(impl_->primaryIndex());
}
RECT Desktop::taskbarRect() const { return impl_->reportedTaskbar(); }

void Desktop::dragEdge(HWND wnd, WPARAM edge, int dx, int dy) {
  impl_->drag(wnd, edge, dx, dy);
}
void Desktop::maximize(HWND wnd) { impl_->show(wnd, SW_MAXIMIZE); }
void Desktop::minimize(HWND wnd) { impl_->show(wnd, SW_MINIMIZE); }
void Desktop::restore(HWND wnd) { impl_->show(wnd, SW_RESTORE); }

void Desktop::setRecording(bool on) { impl_->recording = on; }
const std::vector<CallRecord>& Desktop::calls() const { return impl_->calls; }
const std::vector<MessageRecord>& Desktop::messages() const {
  return impl_->messages;
}
const std::vector<PaintRecord>& Desktop::paints() const {
  return impl_->paints;
}
void Desktop::clearRecords() {
  impl_->calls.clear();
  impl_->messages.clear();
  impl_->paints.clear();
}
int Desktop::windowCount() const { return impl_->liveWindows; }
bool Desktop::dwmLoaded() const { return impl_->dwmLoaded; }
HWND Desktop::lockedWindow() const { return impl_->lockHolder; }
int Desktop::hookCount() const { return static_cast<int>(impl_->hooks.size()); }

std::optional<LOGFONTW> Desktop::windowFont(HWND wnd) const {
  const auto* w = impl_->find(wnd);
  if (w == nullptr) return std::nullopt;
  const std::size_t serial = handleSerial(w->font, kTagFont);
  if (serial == 0 || serial >= impl_->fonts.size()) return std::nullopt;
  return impl_->fonts[serial];
}

// ---- Windows

bool Desktop::registerClass(std::u16string_view className, WNDPROC proc) {
  impl_->recordCall("RegisterClassW", nullptr);
  if (className.empty()) return false;
  for (auto& [name, p] : impl_->classes) {
    if (sameClassName(name, className)) {
      p = proc;
      return true;
    }
  }
  impl_->classes.emplace_back(std::u16string(className), proc);
  return true;
}

HWND Desktop::createWindowEx(DWORD exStyle, std::u16string_view className,
                             std::u16string_view windowName, DWORD style, int x,
                             int y, int width, int height, HWND parent,
                             void* createParam) {
  const bool rec = impl_->recording;
  const std::size_t slot = impl_->calls.size();
  impl_->recordCall("CreateWindowExW", nullptr);
  HWND wnd = impl_->create(exStyle, className, windowName, style, x, y, width,
                           height, parent, createParam);
  // Calls made during creation follow the record; patch in the handle.
  if (rec && slot < impl_->calls.size() &&
      impl_->calls[slot].op == "CreateWindowExW" &&
      impl_->calls[slot].wnd == nullptr) {
    impl_->calls[slot].wnd = wnd;
  }
  return wnd;
}

BOOL Desktop::destroyWindow(HWND wnd) {
  impl_->recordCall("DestroyWindow", wnd);
  return impl_->destroy(wnd);
}

BOOL Desktop::isWindow(HWND wnd) {
  impl_->recordCall("IsWindow", wnd);
  return impl_->find(wnd) != nullptr ? TRUE : FALSE;
}

HWND Desktop::getParent(HWND wnd) {
  impl_->recordCall("GetParent", wnd);
  const auto* w = impl_->find(wnd);
  if (w == nullptr) return nullptr;
  // GetParent reports the owner of a pop-up, and nothing for an overlapped
  // window.
  if (w->child || (w->style & WS_POPUP)) return w->parent;
  return nullptr;
}

BOOL Desktop::showWindow(HWND wnd, int cmdShow) {
  impl_->recordCall("ShowWindow", wnd);
  return impl_->show(wnd, cmdShow);
}

BOOL Desktop::isWindowVisible(HWND wnd) {
  impl_->recordCall("IsWindowVisible", wnd);
  const auto* w = impl_->find(wnd);
  while (w != nullptr) {
    if (!(w->style & WS_VISIBLE)) return FALSE;
    if (!w->child) return TRUE;
    w = impl_->find(w->parent);
  }
  return FALSE;
}

BOOL Desktop::setWindowPos(HWND wnd, HWND insertAfter, int x, int y, int cx,
                           int cy, UINT flags) {
  impl_->recordCall("SetWindowPos", wnd);
  return impl_->position(wnd, insertAfter, x, y, cx, cy, flags);
}

BOOL Desktop::moveWindow(HWND wnd, int x, int y, int width, int height,
                         BOOL repaint) {
  impl_->recordCall("MoveWindow", wnd);
  return impl_->position(wnd, nullptr, x, y, width, height,
                         SWP_NOZORDER | (repaint ? 0u : SWP_NOREDRAW));
}

BOOL Desktop::getWindowRect(HWND wnd, RECT* rect) {
  impl_->recordCall("GetWindowRect", wnd);
  const auto* w = impl_->find(wnd);
  if (w == nullptr || rect == nullptr) return FALSE;
  *rect = impl_->screenRect(*w);
  return TRUE;
}

BOOL Desktop::getClientRect(HWND wnd, RECT* rect) {
  impl_->recordCall("GetClientRect", wnd);
  const auto* w = impl_->find(wnd);
  if (w == nullptr || rect == nullptr) return FALSE;
  *rect = RECT{0, 0, impl_->clientWidth(*w), impl_->clientHeight(*w)};
  return TRUE;
}

BOOL Desktop::getWindowPlacement(HWND wnd, WINDOWPLACEMENT* placement) {
  impl_->recordCall("GetWindowPlacement", wnd);
  const auto* w = impl_->find(wnd);
  if (w == nullptr || placement == nullptr) return FALSE;
  using State = Impl::State;
  WINDOWPLACEMENT p{};
  p.length = sizeof(WINDOWPLACEMENT);
  p.showCmd = w->state == State::Minimized   ? SW_SHOWMINIMIZED
              : w->state == State::Maximized ? SW_SHOWMAXIMIZED
                                             : SW_SHOWNORMAL;
  if (w->state == State::Minimized &&
      w->stateBeforeMinimize == State::Maximized) {
    p.flags = WPF_RESTORETOMAXIMIZED;
  }
  p.ptMinPosition = POINT{-1, -1};
  p.ptMaxPosition = POINT{-1, -1};
  p.rcNormalPosition = w->state == State::Normal ? w->rect : w->normalRect;
  const POINT off = impl_->workspaceOffset(*w);
  OffsetRect(&p.rcNormalPosition, -off.x, -off.y);
  *placement = p;
  return TRUE;
}

BOOL Desktop::adjustWindowRectEx(RECT* rect, DWORD style, BOOL /*menu*/,
                                 DWORD exStyle) {
  impl_->recordCall("AdjustWindowRectEx", nullptr);
  if (rect == nullptr) return FALSE;
  const auto f = impl_->frameFor((style & WS_CHILD) != 0, style, exStyle);
  rect->left -= f.x;
  rect->right += f.x;
  rect->top -= f.y + f.caption;
  rect->bottom += f.y;
  return TRUE;
}

BOOL Desktop::isIconic(HWND wnd) {
  impl_->recordCall("IsIconic", wnd);
  const auto* w = impl_->find(wnd);
  return (w != nullptr && w->state == Impl::State::Minimized) ? TRUE : FALSE;
}

BOOL Desktop::isZoomed(HWND wnd) {
  impl_->recordCall("IsZoomed", wnd);
  const auto* w = impl_->find(wnd);
  return (w != nullptr && w->state == Impl::State::Maximized) ? TRUE : FALSE;
}

BOOL Desktop::setWindowText(HWND wnd, std::u16string_view text) {
  impl_->recordCall("SetWindowTextW", wnd);
  if (impl_->find(wnd) == nullptr) return FALSE;
  const std::u16string copy(text);
  return impl_->deliver(wnd, WM_SETTEXT, 0,
                        reinterpret_cast<LPARAM>(copy.c_str())) != 0
             ? TRUE
             : FALSE;
}

std::u16string Desktop::getWindowText(HWND wnd) {
  impl_->recordCall("GetWindowTextW", wnd);
  const auto* w = impl_->find(wnd);
  return w != nullptr ? w->text : std::u16string();
}

LONG_PTR Desktop::getWindowLongPtr(HWND wnd, int index) {
  impl_->recordCall("GetWindowLongPtrW", wnd);
  const auto* w = impl_->find(wnd);
  if (w == nullptr) return 0;
  switch (index) {
    case GWLP_WNDPROC:
      return reinterpret_cast<LONG_PTR>(w->proc);
    case GWLP_USERDATA:
      return w->userData;
    case GWL_STYLE:
      return Impl::styleWord(*w);
    case GWL_EXSTYLE:
      return static_cast<LONG_PTR>(static_cast<LONG>(w->exStyle));
    default:
      return 0;
  }
}

LONG_PTR Desktop::setWindowLongPtr(HWND wnd, int index, LONG_PTR value) {
  impl_->recordCall("SetWindowLongPtrW", wnd);
  auto* w = impl_->find(wnd);
  if (w == nullptr) return 0;
  LONG_PTR previous = 0;
  switch (index) {
    case GWLP_WNDPROC:
      // A null procedure would leave the window deaf; Windows refuses it.
      if (value == 0) return 0;
      previous = reinterpret_cast<LONG_PTR>(w->proc);
      w->proc = reinterpret_cast<WNDPROC>(value);
      return previous;
    case GWLP_USERDATA:
      previous = w->userData;
      w->userData = value;
      return previous;
    case GWL_STYLE:
      previous = Impl::styleWord(*w);
      // The state bits follow ShowWindow, not the style word.
      w->style = static_cast<DWORD>(value) & ~(WS_MAXIMIZE | WS_MINIMIZE);
      return previous;
    case GWL_EXSTYLE:
      previous = static_cast<LONG_PTR>(static_cast<LONG>(w->exStyle));
      w->exStyle = static_cast<DWORD>(value);
      return previous;
    default:
      return 0;
  }
}

BOOL Desktop::setProp(HWND wnd, std::u16string_view name, HANDLE data) {
  impl_->recordCall("SetPropW", wnd);
  auto* w = impl_->find(wnd);
  if (w == nullptr || name.empty()) return FALSE;
  for (auto& [n, d] : w->props) {
    if (n == name) {
      d = data;
      return TRUE;
    }
  }
  w->props.emplace_back(std::u16string(name), data);
  return TRUE;
}

HANDLE Desktop::getProp(HWND wnd, std::u16string_view name) {
  impl_->recordCall("GetPropW", wnd);
  const auto* w = impl_->find(wnd);
  if (w == nullptr) return nullptr;
  for (const auto& [n, d] : w->props) {
    if (n == name) return d;
  }
  return nullptr;
}

HANDLE Desktop::removeProp(HWND wnd, std::u16string_view name) {
  impl_->recordCall("RemovePropW", wnd);
  auto* w = impl_->find(wnd);
  if (w == nullptr) return nullptr;
  for (auto it = w->props.begin(); it != w->props.end(); ++it) {
    if (it->first == name) {
      HANDLE d = it->second;
      w->props.erase(it);
      return d;
    }
  }
  return nullptr;
}

BOOL Desktop::invalidateRect(HWND wnd, const RECT* /*rect*/, BOOL /*erase*/) {
  impl_->recordCall("InvalidateRect", wnd);
  if (wnd != nullptr && impl_->find(wnd) == nullptr) return FALSE;
  return TRUE;
}

BOOL Desktop::lockWindowUpdate(HWND wnd) {
  impl_->recordCall("LockWindowUpdate", wnd);
  if (wnd == nullptr) {
    impl_->lockHolder = nullptr;
    return TRUE;
  }
  if (impl_->find(wnd) == nullptr || impl_->lockHolder != nullptr) {
    return FALSE;
  }
  impl_->lockHolder = wnd;
  return TRUE;
}

// ---- Messages and hooks

LRESULT Desktop::sendMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  impl_->recordCall("SendMessageW", wnd);
  return impl_->deliver(wnd, msg, wParam, lParam);
}

LRESULT Desktop::callWindowProc(WNDPROC proc, HWND wnd, UINT msg, WPARAM wParam,
                                LPARAM lParam) {
  impl_->recordCall("CallWindowProcW", wnd);
  return impl_->invoke(proc, wnd, msg, wParam, lParam);
}

LRESULT Desktop::defWindowProc(HWND wnd, UINT msg, WPARAM wParam,
                               LPARAM lParam) {
  impl_->recordCall("DefWindowProcW", wnd);
  return impl_->def(wnd, msg, wParam, lParam);
}

HHOOK Desktop::setWindowsHookEx(int idHook, HOOKPROC proc, HINSTANCE /*module*/,
                                DWORD threadId) {
  impl_->recordCall("SetWindowsHookExW", nullptr);
  // Only thread hooks of the one simulated thread (or global ones) can see
  // its messages.
  if (idHook != WH_CALLWNDPROC || proc == nullptr ||
      (threadId != 0 && threadId != kThreadId)) {
    return nullptr;
  }
  const std::size_t serial = impl_->nextHookSerial++;
  impl_->hooks.push_back(Impl::Hook{serial, proc});
  return makeHandle<HHOOK>(serial, kTagHook);
}

BOOL Desktop::unhookWindowsHookEx(HHOOK hook) {
  impl_->recordCall("UnhookWindowsHookEx", nullptr);
  const std::size_t serial = handleSerial(hook, kTagHook);
  auto& hooks = impl_->hooks;
  for (auto it = hooks.begin(); it != hooks.end(); ++it) {
    if (it->serial == serial) {
      hooks.erase(it);
      return TRUE;
    }
  }
  return FALSE;
}

LRESULT Desktop::callNextHookEx(HHOOK hook, int code, WPARAM wParam,
                                LPARAM lParam) {
  impl_->recordCall("CallNextHookEx", nullptr);
  return impl_->callNext(hook, code, wParam, lParam);
}

DWORD Desktop::getCurrentThreadId() {
  impl_->recordCall("GetCurrentThreadId", nullptr);
  return kThreadId;
}

// ---- Screen, monitors, taskbar, composition

HDC Desktop::getDC(HWND wnd) {
  impl_->recordCall("GetDC", wnd);
  if (wnd != nullptr && impl_->find(wnd) == nullptr) return nullptr;
  return makeHandle<HDC>(1, kTagDc);
}

int Desktop::releaseDC(HWND wnd, HDC /*dc*/) {
  impl_->recordCall("ReleaseDC", wnd);
  return 1;
}

int Desktop::getDeviceCaps(HDC dc, int index) {
  impl_->recordCall("GetDeviceCaps", nullptr);
  if (handleSerial(dc, kTagDc) != 1) return 0;
  if (index == LOGPIXELSX) return impl_->config.dpiX;
  if (index == LOGPIXELSY) return impl_->config.dpiY;
  return 0;
}

int Desktop::getSystemMetrics(int index) {
  impl_->recordCall("GetSystemMetrics", nullptr);
  const auto& c = impl_->config;
  const Impl& m = *impl_;
  switch (index) {
    case SM_CXSCREEN:
      return width(m.primaryRect());
    case SM_CYSCREEN:
      return height(m.primaryRect());
    case SM_CMONITORS:
      return static_cast<int>(m.monitorCount());
    case SM_CYCAPTION:
      return m.sy(c.captionHeight);
    case SM_CYSMCAPTION:
      return m.smallCaptionHeight();
    case SM_CXFRAME:
      return m.sx(c.sizeFrame);
    case SM_CYFRAME:
      return m.sy(c.sizeFrame);
    case SM_CXPADDEDBORDER:
      return m.sx(c.paddedBorder);
    case SM_CXDLGFRAME:
      return m.sx(c.fixedFrame);
    case SM_CYDLGFRAME:
      return m.sy(c.fixedFrame);
    case SM_CXBORDER:
      return m.sx(c.border);
    case SM_CYBORDER:
      return m.sy(c.border);
    case SM_CXMINTRACK:
      return m.minTrack().x;
    case SM_CYMINTRACK:
      return m.minTrack().y;
    case SM_CXMAXTRACK:
      return m.maxTrack().x;
    case SM_CYMAXTRACK:
      return m.maxTrack().y;
    case SM_CXMAXIMIZED:
      return width(m.workAreaOf(m.primaryIndex())) +
             2 * (m.sx(c.sizeFrame) + m.sx(c.paddedBorder));
    case SM_CYMAXIMIZED:
      return height(m.workAreaOf(m.primaryIndex())) +
             2 * (m.sy(c.sizeFrame) + m.sy(c.paddedBorder));
    default:
      return 0;
  }
}

HMONITOR Desktop::monitorFromWindow(HWND wnd, DWORD flags) {
  impl_->recordCall("MonitorFromWindow", wnd);
  const auto* w = impl_->find(wnd);
  long long hit = -1;
  RECT probe{};
  if (w != nullptr) {
    probe = impl_->monitorProbeRect(*w);
    hit = impl_->bestIntersecting(probe);
  }
  std::size_t index = 0;
  if (hit >= 0) {
    index = static_cast<std::size_t>(hit);
  } else if (flags == MONITOR_DEFAULTTONEAREST && w != nullptr) {
    index = impl_->nearestMonitor(probe);
  } else if (flags == MONITOR_DEFAULTTONEAREST ||
             flags == MONITOR_DEFAULTTOPRIMARY) {
    index = impl_->primaryIndex();
  } else {
    return nullptr;
  }
  return makeHandle<HMONITOR>(index + 1, kTagMonitor);
}

BOOL Desktop::getMonitorInfo(HMONITOR monitor, MONITORINFO* info) {
  impl_->recordCall("GetMonitorInfoW", nullptr);
  const std::size_t serial = handleSerial(monitor, kTagMonitor);
  if (info == nullptr || info->cbSize < sizeof(MONITORINFO) || serial == 0 ||
      serial > impl_->monitorCount()) {
    return FALSE;
  }
  const std::size_t i = serial - 1;
  info->rcMonitor = impl_->monitorAt(i).rect;
  info->rcWork = impl_->workAreaOf(i);
  info->dwFlags = i == impl_->primaryIndex() ? MONITORINFOF_PRIMARY : 0;
  return TRUE;
}

UINT_PTR Desktop::shAppBarMessage(DWORD message, APPBARDATA* data) {
  impl_->recordCall("SHAppBarMessage", nullptr);
  const auto& tb = impl_->config.taskbar;
  switch (message) {
    case ABM_GETSTATE:
      if (tb.edge == TaskbarEdge::None) return 0;
      return ABS_ALWAYSONTOP | (tb.autoHide ? ABS_AUTOHIDE : 0);
    case ABM_GETTASKBARPOS: {
      if (tb.edge == TaskbarEdge::None || data == nullptr) return 0;
      data->rc = impl_->reportedTaskbar();
      data->uEdge = tb.edge == TaskbarEdge::Left    ? ABE_LEFT
                    : tb.edge == TaskbarEdge::Top   ? ABE_TOP
                    : tb.edge == TaskbarEdge::Right ? ABE_RIGHT
                                                    : ABE_BOTTOM;
      return 1;
    }
    default:
      return 0;
  }
}

HRESULT Desktop::dwmIsCompositionEnabled(BOOL* enabled) {
  impl_->recordCall("DwmIsCompositionEnabled", nullptr);
  impl_->dwmLoaded = true;
  if (enabled == nullptr) return E_INVALIDARG;
  *enabled = impl_->config.composition ? TRUE : FALSE;
  return S_OK;
}

HRESULT Desktop::dwmGetWindowAttribute(HWND wnd, DWORD attribute, void* value,
                                       DWORD size) {
  impl_->recordCall("DwmGetWindowAttribute", wnd);
  impl_->dwmLoaded = true;
  if (attribute != DWMWA_EXTENDED_FRAME_BOUNDS) return E_NOTIMPL;
  if (value == nullptr || size < sizeof(RECT)) return E_INVALIDARG;
  if (!impl_->config.composition) return E_FAIL;
  const auto* w = impl_->find(wnd);
  if (w == nullptr) return E_FAIL;
  RECT r = impl_->screenRect(*w);
  if (!w->child && (w->style & WS_THICKFRAME) &&
      w->state == Impl::State::Normal) {
    const auto& m = impl_->config.margins;
    r.left += impl_->sx(m.left);
    r.top += impl_->sy(m.top);
    r.right -= impl_->sx(m.right);
    r.bottom -= impl_->sy(m.bottom);
  }
  std::memcpy(value, &r, sizeof r);
  return S_OK;
}

// ---- Fonts

HFONT Desktop::createFontIndirect(const LOGFONTW* font) {
  impl_->recordCall("CreateFontIndirectW", nullptr);
  if (font == nullptr) return nullptr;
  if (!impl_->freeFonts.empty()) {
    std::size_t slot = impl_->freeFonts.back();
    impl_->freeFonts.pop_back();
    impl_->fonts[slot] = *font;
    return makeHandle<HFONT>(slot, kTagFont);
  }
  impl_->fonts.emplace_back(*font);
  return makeHandle<HFONT>(impl_->fonts.size() - 1, kTagFont);
}

BOOL Desktop::deleteFont(HFONT font) {
  impl_->recordCall("DeleteObject", nullptr);
  const std::size_t serial = handleSerial(font, kTagFont);
  if (serial == 0 || serial >= impl_->fonts.size() ||
      !impl_->fonts[serial].has_value()) {
    return FALSE;
  }
  impl_->fonts[serial].reset();
  impl_->freeFonts.push_back(serial);
  return TRUE;
}

// ---- Painting

namespace {
constexpr std::size_t kPaintDc = 2;  // 1 is the screen DC of GetDC
}  // namespace

HDC Desktop::beginPaint(HWND wnd, PAINTSTRUCT* paint) {
  impl_->recordCall("BeginPaint", wnd);
  const auto* w = impl_->find(wnd);
  if (w == nullptr || paint == nullptr) return nullptr;
  // Nothing is drawn: the whole client counts as needing paint.
  *paint = PAINTSTRUCT{};
  paint->hdc = makeHandle<HDC>(kPaintDc, kTagDc);
  paint->rcPaint = RECT{0, 0, impl_->clientWidth(*w), impl_->clientHeight(*w)};
  impl_->paintWnd = wnd;
  impl_->paintFont = nullptr;
  impl_->paintBkMode = OPAQUE;
  return paint->hdc;
}

BOOL Desktop::endPaint(HWND wnd, const PAINTSTRUCT* paint) {
  impl_->recordCall("EndPaint", wnd);
  if (paint == nullptr || handleSerial(paint->hdc, kTagDc) != kPaintDc) {
    return FALSE;
  }
  impl_->paintWnd = nullptr;
  return TRUE;
}

HFONT Desktop::selectFont(HDC dc, HFONT font) {
  impl_->recordCall("SelectObject", impl_->paintWnd);
  if (handleSerial(dc, kTagDc) != kPaintDc) return nullptr;
  const HFONT previous = impl_->paintFont;
  impl_->paintFont = font;
  return previous;
}

int Desktop::setBkMode(HDC dc, int mode) {
  impl_->recordCall("SetBkMode", impl_->paintWnd);
  if (handleSerial(dc, kTagDc) != kPaintDc) return 0;
  const int previous = impl_->paintBkMode;
  impl_->paintBkMode = mode;
  return previous;
}

int Desktop::drawText(HDC dc, std::u16string_view text, RECT* rect,
                      UINT format) {
  impl_->recordCall("DrawTextW", impl_->paintWnd);
  if (handleSerial(dc, kTagDc) != kPaintDc || rect == nullptr) return 0;
  if (impl_->recording) {
    impl_->paints.push_back(PaintRecord{"DrawTextW", impl_->paintWnd,
                                        std::u16string(text), *rect, format, 0,
                                        impl_->paintFont, impl_->paintBkMode});
  }
  return 1;  // a height; nothing is measured
}

BOOL Desktop::drawEdge(HDC dc, RECT* rect, UINT edge, UINT flags) {
  impl_->recordCall("DrawEdge", impl_->paintWnd);
  if (handleSerial(dc, kTagDc) != kPaintDc || rect == nullptr) return FALSE;
  if (impl_->recording) {
    impl_->paints.push_back(PaintRecord{"DrawEdge",
                                        impl_->paintWnd,
                                        {},
                                        *rect,
                                        edge,
                                        flags,
                                        impl_->paintFont,
                                        impl_->paintBkMode});
  }
  return TRUE;
}

// ---- Locale, version, visual style

int Desktop::getLocaleInfoA(LCID /*locale*/, LCTYPE type, char* data,
                            int size) {
  impl_->recordCall("GetLocaleInfoA", nullptr);
  if (type != LOCALE_SABBREVLANGNAME || size < 0) return 0;
  const std::string& abbrev = impl_->config.localeAbbrev;
  const int needed = static_cast<int>(abbrev.size()) + 1;
  if (size == 0) return needed;
  if (data == nullptr || size < needed) return 0;
  std::memcpy(data, abbrev.c_str(), static_cast<std::size_t>(needed));
  return needed;
}

OSVersion Desktop::getVersion() {
  // The framework's Win32MajorVersion is a value read at start-up, not a
  // call the program makes: it is not recorded.
  return impl_->config.version;
}

bool Desktop::isCustomStyleActive() {
  impl_->recordCall("IsCustomStyleActive", nullptr);
  return impl_->config.customStyle;
}

}  // namespace flx::sim
