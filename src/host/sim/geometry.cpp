// Geometry of the simulated desktop's windows: frames and client areas,
// SetWindowPos with its messages, the show states (shown, hidden, maximised,
// minimised, restored) and the user's drag of an edge.
#include <limits>

#include "host/sim/desktop_impl.h"

namespace flx::sim {

namespace {

constexpr int kMinimizedPos = -32000;
constexpr UINT kStateFlags = SWP_NOZORDER | SWP_NOACTIVATE;

}  // namespace

// ---- Frames and client areas

Desktop::Impl::Frame Desktop::Impl::frameFor(bool child, DWORD style,
                                             DWORD exStyle,
                                             const Dpi& dpi) const {
  Frame f;
  // A child with a caption or a dialog or sizing frame (a property page
  // of a dialog template) has the frame a top-level window of those styles
  // has; other children a border at most.
  if (child && !(style & (WS_DLGFRAME | WS_THICKFRAME)) &&
      !(exStyle & WS_EX_DLGMODALFRAME)) {
    const int b =
        ((style & WS_BORDER) ? 1 : 0) + ((exStyle & WS_EX_CLIENTEDGE) ? 2 : 0);
    f.x = f.y = b;
    return f;
  }
  if ((style & WS_CAPTION) == WS_CAPTION) {
    f.caption = (exStyle & WS_EX_TOOLWINDOW)
                    ? smallCaptionHeight(dpi)
                    : metricY(config.captionHeight, dpi);
  }
  if (style & WS_THICKFRAME) {
    f.x = metricX(config.sizeFrame, dpi) + metricX(config.paddedBorder, dpi);
    f.y = metricY(config.sizeFrame, dpi) + metricY(config.paddedBorder, dpi);
  } else if ((style & WS_DLGFRAME) || (exStyle & WS_EX_DLGMODALFRAME)) {
    f.x = metricX(config.fixedFrame, dpi);
    f.y = metricY(config.fixedFrame, dpi);
  } else if (style & WS_BORDER) {
    f.x = metricX(config.border, dpi);
    f.y = metricY(config.border, dpi);
  }
  // A sunken client edge inside the frame (a dialog's extended style).
  if (exStyle & WS_EX_CLIENTEDGE) {
    f.x += 2;
    f.y += 2;
  }
  return f;
}

void Desktop::Impl::recalcFrame(Window& w) {
  // A child's border does not scale; only a top-level window's frame does.
  const Frame f =
      frameFor(w.child, w.style, w.exStyle, w.child ? appSystemDpi() : w.dpi);
  w.frameX = f.x;
  w.frameY = f.y;
  w.caption = f.caption;
}

bool Desktop::Impl::clampable(const Window& w) {
  if (w.child) return false;
  return !((w.style & WS_POPUP) && !(w.style & WS_THICKFRAME));
}

int Desktop::Impl::clientWidth(const Window& w) const {
  if (w.state == State::Minimized) return 0;
  return std::max(0, width(w.rect) - 2 * w.frameX);
}

int Desktop::Impl::clientHeight(const Window& w) const {
  if (w.state == State::Minimized) return 0;
  return std::max(0, height(w.rect) - 2 * w.frameY - w.caption);
}

// Client origin in the coordinates the window's rect is kept in.
POINT Desktop::Impl::clientOrigin(const Window& w) const {
  return POINT{w.rect.left + w.frameX, w.rect.top + w.frameY + w.caption};
}

void Desktop::Impl::markReported(Window& w) const {
  w.reportedOrigin = clientOrigin(w);
  w.reportedCw = clientWidth(w);
  w.reportedCh = clientHeight(w);
}

// Sends WM_MOVE / WM_SIZE for whatever differs from what the window was
// last told, reading the geometry as it is now.
void Desktop::Impl::announce(HWND wnd, bool forceSize) {
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
POINT Desktop::Impl::screenOffset(const Window& w) const {
  long long x = 0, y = 0;
  const Window* cur = &w;
  int guard = 0;
  while (cur->child && guard++ < 100000) {
    const Window* p = find(cur->parent);
    if (p == nullptr) break;
    const POINT o = clientOrigin(*p);
    x += o.x;
    y += o.y;
    cur = p;
  }
  // Deep nests of far children lie beyond any screen; held in range.
  constexpr long long lo = std::numeric_limits<int>::min() / 2;
  constexpr long long hi = std::numeric_limits<int>::max() / 2;
  return POINT{static_cast<int>(std::clamp(x, lo, hi)),
               static_cast<int>(std::clamp(y, lo, hi))};
}

RECT Desktop::Impl::screenRect(const Window& w) const {
  RECT r = w.rect;
  const POINT off = screenOffset(w);
  OffsetRect(&r, off.x, off.y);
  return r;
}

// ---- Positions and show states

WPARAM Desktop::Impl::sizeKind(const Window& w) const {
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
BOOL Desktop::Impl::position(HWND wnd, HWND after, int x, int y, int cx, int cy,
                             UINT flags, bool forceSize) {
  Window* w = find(wnd);
  if (w == nullptr) return FALSE;

  WINDOWPOS pos{wnd,        after,          heldPos(x),
                heldPos(y), heldExtent(cx), heldExtent(cy),
                flags};
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
  // A procedure may have asked for more than a window can have.
  pos.x = heldPos(pos.x);
  pos.y = heldPos(pos.y);
  pos.cx = heldExtent(pos.cx);
  pos.cy = heldExtent(pos.cy);

  const bool sizing = !(pos.flags & SWP_NOSIZE);
  if (sizing && clampable(*w)) {
    MINMAXINFO mmi = defaultMinMax(*w);
    deliverPtr(wnd, WM_GETMINMAXINFO, 0, &mmi);
    w = find(wnd);
    if (w == nullptr) return FALSE;
    // A minimized window keeps its icon size whatever the tracking limits.
    if (w->state != State::Minimized) {
      pos.cx = heldExtent(
          clampTrack(pos.cx, mmi.ptMinTrackSize.x, mmi.ptMaxTrackSize.x));
      pos.cy = heldExtent(
          clampTrack(pos.cy, mmi.ptMinTrackSize.y, mmi.ptMaxTrackSize.y));
    }
  }

  RECT next = w->rect;
  if (!(pos.flags & SWP_NOMOVE)) {
    next = RECT{pos.x, pos.y, pos.x + width(next), pos.y + height(next)};
  }
  if (sizing) {
    next.right = next.left + pos.cx;
    next.bottom = next.top + pos.cy;
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
  // Only top-level windows have a DPI of their own.
  if (const Window* moved = find(wnd); moved != nullptr && !moved->child) {
    checkDpi(wnd);
  }
  return TRUE;
}

// Shows a hidden window the way ShowWindow does before any state change.
// WM_SHOWWINDOW and the WINDOWPOS pair of a show or hide that neither moves
// nor sizes. False when the window is gone.
bool Desktop::Impl::setVisible(HWND wnd, bool visible) {
  deliver(wnd, WM_SHOWWINDOW, visible ? TRUE : FALSE, 0);
  Window* w = find(wnd);
  if (w == nullptr) return false;
  WINDOWPOS pos{
      wnd,
      nullptr,
      w->rect.left,
      w->rect.top,
      width(w->rect),
      height(w->rect),
      SWP_NOSIZE | SWP_NOMOVE | (visible ? SWP_SHOWWINDOW : SWP_HIDEWINDOW)};
  deliverPtr(wnd, WM_WINDOWPOSCHANGING, 0, &pos);
  w = find(wnd);
  if (w == nullptr) return false;
  if (visible) {
    w->style |= WS_VISIBLE;
    w->shownOnce = true;
  } else {
    w->style &= ~WS_VISIBLE;
  }
  deliverPtr(wnd, WM_WINDOWPOSCHANGED, 0, &pos);
  return true;
}

void Desktop::Impl::reveal(HWND wnd, bool sizeMessages) {
  Window* w = find(wnd);
  if (w == nullptr || (w->style & WS_VISIBLE)) return;
  const bool first = !w->shownOnce;
  if (!setVisible(wnd, true) || !first || !sizeMessages) return;
  w = find(wnd);
  if (w == nullptr) return;
  markReported(*w);
  deliver(wnd, WM_SIZE, sizeKind(*w), MAKELPARAM(w->reportedCw, w->reportedCh));
  w = find(wnd);
  if (w == nullptr) return;
  const POINT o = w->reportedOrigin;
  deliver(wnd, WM_MOVE, 0, MAKELPARAM(o.x, o.y));
}

void Desktop::Impl::conceal(HWND wnd) {
  const Window* w = find(wnd);
  if (w != nullptr && (w->style & WS_VISIBLE)) setVisible(wnd, false);
}

// The start of a maximise or minimise: the window is shown, and a window
// already in the `target` state is left at that. Otherwise returns the
// window with its normal rectangle saved when it had one.
Desktop::Impl::Window* Desktop::Impl::enterState(HWND wnd, State target) {
  const Window* w = find(wnd);
  if (w == nullptr) return nullptr;
  const bool already = w->state == target;
  reveal(wnd, false);
  if (already) return nullptr;
  Window* now = find(wnd);
  if (now != nullptr && now->state == State::Normal)
    now->normalRect = now->rect;
  return now;
}

void Desktop::Impl::maximizeWindow(HWND wnd) {
  Window* w = enterState(wnd, State::Maximized);
  if (w == nullptr) return;
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

void Desktop::Impl::minimizeWindow(HWND wnd) {
  Window* w = enterState(wnd, State::Minimized);
  if (w == nullptr) return;
  if (w->state == State::Maximized) w->maximizedRect = w->rect;
  w->stateBeforeMinimize = w->state;
  w->state = State::Minimized;
  position(wnd, nullptr, kMinimizedPos, kMinimizedPos, sx(160), sy(28),
           kStateFlags, true);
}

void Desktop::Impl::restoreWindow(HWND wnd) {
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
  position(wnd, nullptr, target.left, target.top, width(target), height(target),
           kStateFlags, true);
}

BOOL Desktop::Impl::show(HWND wnd, int cmd) {
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

void Desktop::Impl::drag(HWND wnd, WPARAM edge, int dx, int dy) {
  const Window* w = find(wnd);
  if (w == nullptr || w->child || w->state != State::Normal) return;
  const auto [left, right, top, bottom] = SizingEdges(edge);
  if (!left && !right && !top && !bottom) return;

  deliver(wnd, WM_ENTERSIZEMOVE, 0, 0);
  w = find(wnd);
  if (w == nullptr) return;
  // The pointer cannot take an edge past what a window may hold.
  RECT r = w->rect;
  if (left) r.left = heldPos(static_cast<long long>(r.left) + dx);
  if (right) r.right = heldPos(static_cast<long long>(r.right) + dx);
  if (top) r.top = heldPos(static_cast<long long>(r.top) + dy);
  if (bottom) r.bottom = heldPos(static_cast<long long>(r.bottom) + dy);

  MINMAXINFO mmi = defaultMinMax(*w);
  deliverPtr(wnd, WM_GETMINMAXINFO, 0, &mmi);
  if (find(wnd) == nullptr) return;
  // Tracking limits of any value give a size a window can have.
  const int cw = heldExtent(
      clampTrack(width(r), mmi.ptMinTrackSize.x, mmi.ptMaxTrackSize.x));
  const int ch = heldExtent(
      clampTrack(height(r), mmi.ptMinTrackSize.y, mmi.ptMaxTrackSize.y));
  if (cw != width(r)) {
    if (left) {
      r.left = heldPos(static_cast<long long>(r.right) - cw);
    } else {
      r.right = heldPos(static_cast<long long>(r.left) + cw);
    }
  }
  if (ch != height(r)) {
    if (top) {
      r.top = heldPos(static_cast<long long>(r.bottom) - ch);
    } else {
      r.bottom = heldPos(static_cast<long long>(r.top) + ch);
    }
  }

  deliverPtr(wnd, WM_SIZING, edge, &r);
  if (find(wnd) == nullptr) return;
  position(wnd, nullptr, r.left, r.top, width(r), height(r), kStateFlags);
  deliver(wnd, WM_EXITSIZEMOVE, 0, 0);
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
  const auto f = impl_->frameFor((style & WS_CHILD) != 0, style, exStyle,
                                 impl_->appSystemDpi());
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

// ---- User actions

void Desktop::dragEdge(HWND wnd, WPARAM edge, int dx, int dy) {
  impl_->drag(wnd, edge, dx, dy);
}

void Desktop::maximize(HWND wnd) { impl_->show(wnd, SW_MAXIMIZE); }

void Desktop::minimize(HWND wnd) { impl_->show(wnd, SW_MINIMIZE); }

void Desktop::restore(HWND wnd) { impl_->show(wnd, SW_RESTORE); }

}  // namespace flx::sim
