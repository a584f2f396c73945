#include "host/win32/deferred_layout.h"

#include <algorithm>
#include <utility>

namespace flx::win32::detail {

namespace {

// The window's rectangle in its parent's client coordinates.
bool localRect(HWND wnd, RECT* rect) {
  if (!::GetWindowRect(wnd, rect)) return false;
  HWND parent = ::GetAncestor(wnd, GA_PARENT);
  if (parent != nullptr && parent != ::GetDesktopWindow()) {
    ::MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(rect), 2);
  }
  return true;
}

bool hasVisibleStyle(HWND wnd) {
  return (::GetWindowLongPtrW(wnd, GWL_STYLE) & WS_VISIBLE) != 0;
}

}  // namespace

bool DeferredLayout::lock(HWND wnd) {
  if (root_ != nullptr || wnd == nullptr || !::IsWindow(wnd)) return false;
  root_ = wnd;
  suspendRedrawIfVisible();
  return true;
}

void DeferredLayout::unlock() {
  const HWND root = std::exchange(root_, nullptr);
  const bool suspended = std::exchange(suspended_, false);
  // Taken out first: the moves send messages whose handlers may lock anew.
  const std::vector<Entry> entries = std::move(entries_);
  entries_.clear();
  index_.clear();
  for (const Entry& e : entries) apply(e);
  if (suspended && ::IsWindow(root)) {
    ::SendMessageW(root, WM_SETREDRAW, TRUE, 0);
    // RDW_FRAME: the locked window itself may have moved while the system
    // took it for hidden, which leaves its frame unpainted.
    ::RedrawWindow(root, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN |
                       RDW_UPDATENOW);
  }
}

bool DeferredLayout::covers(HWND wnd) const {
  return root_ != nullptr && wnd != nullptr && wnd != root_ &&
         ::IsChild(root_, wnd);
}

bool DeferredLayout::queueable(UINT flags) {
  return (flags & SWP_NOZORDER) != 0 &&
         (flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW | SWP_FRAMECHANGED)) == 0;
}

BOOL DeferredLayout::enqueue(HWND wnd, int x, int y, int cx, int cy,
                             UINT flags) {
  RECT base;
  if (const RECT* q = queued(wnd)) {
    base = *q;
  } else if (!localRect(wnd, &base)) {
    return FALSE;
  }
  RECT next = base;
  if (!(flags & SWP_NOMOVE)) {
    ::OffsetRect(&next, x - base.left, y - base.top);
  }
  if (!(flags & SWP_NOSIZE)) {
    // SetWindowPos takes a negative extent as 0.
    next.right = next.left + std::max(cx, 0);
    next.bottom = next.top + std::max(cy, 0);
  }
  if (const auto it = index_.find(wnd); it != index_.end()) {
    entries_[it->second].rect = next;
  } else {
    index_.emplace(wnd, entries_.size());
    entries_.push_back(Entry{wnd, next});
  }
  return TRUE;
}

void DeferredLayout::flush(HWND wnd) {
  const auto it = index_.find(wnd);
  if (it == index_.end()) return;
  const Entry e = entries_[it->second];
  entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(it->second));
  reindex();
  apply(e);
}

void DeferredLayout::forget(HWND dying) {
  if (root_ == nullptr) return;
  if (dying == root_ || ::IsChild(dying, root_)) {
    root_ = nullptr;
    suspended_ = false;
    entries_.clear();
    index_.clear();
    return;
  }
  const auto gone = [dying](const Entry& e) {
    return e.wnd == dying || ::IsChild(dying, e.wnd);
  };
  const auto tail = std::remove_if(entries_.begin(), entries_.end(), gone);
  if (tail == entries_.end()) return;
  entries_.erase(tail, entries_.end());
  reindex();
}

const RECT* DeferredLayout::queued(HWND wnd) const {
  const auto it = index_.find(wnd);
  return it == index_.end() ? nullptr : &entries_[it->second].rect;
}

BOOL DeferredLayout::windowRect(HWND wnd, RECT* rect) const {
  if (rect == nullptr) return FALSE;
  if (entries_.empty() || !covers(wnd)) return ::GetWindowRect(wnd, rect);
  RECT local;
  if (const RECT* q = queued(wnd)) {
    local = *q;
  } else if (!localRect(wnd, &local)) {
    return FALSE;
  }
  // The parent's client origin on the screen, after its own queued move.
  const HWND parent = ::GetAncestor(wnd, GA_PARENT);
  POINT origin{0, 0};
  if (!::ClientToScreen(parent, &origin)) return FALSE;
  if (covers(parent)) {
    RECT now, then;
    if (!::GetWindowRect(parent, &now) || !windowRect(parent, &then)) {
      return FALSE;
    }
    origin.x += then.left - now.left;
    origin.y += then.top - now.top;
  }
  ::OffsetRect(&local, origin.x, origin.y);
  *rect = local;
  return TRUE;
}

BOOL DeferredLayout::clientRect(HWND wnd, RECT* rect) const {
  const RECT* q = queued(wnd);
  if (q == nullptr || rect == nullptr) return ::GetClientRect(wnd, rect);
  RECT outer, client;
  if (!::GetWindowRect(wnd, &outer) || !::GetClientRect(wnd, &client)) {
    return FALSE;
  }
  // The frame keeps its thickness; the client area takes the change.
  const int frameX = (outer.right - outer.left) - client.right;
  const int frameY = (outer.bottom - outer.top) - client.bottom;
  *rect = RECT{0, 0, std::max(0L, q->right - q->left - frameX),
               std::max(0L, q->bottom - q->top - frameY)};
  return TRUE;
}

BOOL DeferredLayout::isVisible(HWND wnd) const {
  if (!suspended_ || (wnd != root_ && !::IsChild(root_, wnd))) {
    return ::IsWindowVisible(wnd);
  }
  for (HWND w = wnd; w != root_; w = ::GetAncestor(w, GA_PARENT)) {
    if (!hasVisibleStyle(w)) return FALSE;
  }
  if (!(::GetWindowLongPtrW(root_, GWL_STYLE) & WS_CHILD)) return TRUE;
  return ::IsWindowVisible(::GetAncestor(root_, GA_PARENT));
}

void DeferredLayout::resumeRedraw() {
  if (!suspended_) return;
  suspended_ = false;
  ::SendMessageW(root_, WM_SETREDRAW, TRUE, 0);
}

void DeferredLayout::suspendRedrawIfVisible() {
  // WM_SETREDRAW TRUE sets WS_VISIBLE: a window that was hidden when locked
  // must never be sent it, so only a visible one is suspended.
  if (suspended_ || root_ == nullptr || !hasVisibleStyle(root_)) return;
  ::SendMessageW(root_, WM_SETREDRAW, FALSE, 0);
  suspended_ = true;
}

LONG_PTR DeferredLayout::styleToWrite(LONG_PTR style) {
  if (!suspended_) return style;
  if (!(style & WS_VISIBLE)) suspended_ = false;
  return style & ~static_cast<LONG_PTR>(WS_VISIBLE);
}

void DeferredLayout::apply(const Entry& e) const {
  if (!::IsWindow(e.wnd)) return;
  RECT now;
  if (!localRect(e.wnd, &now)) return;
  UINT flags = SWP_NOREDRAW | SWP_NOZORDER | SWP_NOACTIVATE;
  if (now.left == e.rect.left && now.top == e.rect.top) flags |= SWP_NOMOVE;
  if (now.right - now.left == e.rect.right - e.rect.left &&
      now.bottom - now.top == e.rect.bottom - e.rect.top) {
    flags |= SWP_NOSIZE;
  }
  if ((flags & SWP_NOMOVE) && (flags & SWP_NOSIZE)) return;
  ::SetWindowPos(e.wnd, nullptr, e.rect.left, e.rect.top,
                 e.rect.right - e.rect.left, e.rect.bottom - e.rect.top, flags);
}

void DeferredLayout::reindex() {
  index_.clear();
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    index_.emplace(entries_[i].wnd, i);
  }
}

}  // namespace flx::win32::detail
