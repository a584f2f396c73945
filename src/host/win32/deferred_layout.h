// Position changes queued while a window is locked for a bulk layout pass.
//
// Under Wine each SetWindowPos of a visible child costs milliseconds that
// grow with the number of siblings (about 10 ms with 1000), and it paints.
// While a window is locked its redrawing is suspended with WM_SETREDRAW and
// the moves of its descendants only update a queue (the last rectangle of a
// window wins), which queries read back. Unlocking applies the queue without
// drawing and repaints the window once.
#pragma once

#include <unordered_map>
#include <vector>

#include "host/win32/records.h"

namespace flx::win32::detail {

class DeferredLayout {
 public:
  HWND root() const { return root_; }
  int size() const { return static_cast<int>(entries_.size()); }

  // Locks `wnd`; false when a window is locked already or `wnd` is none.
  bool lock(HWND wnd);
  // Applies the queue, resumes redrawing and repaints the locked window.
  void unlock();

  // `wnd` lies strictly inside the locked window: its moves are queued.
  bool covers(HWND wnd) const;
  // A SetWindowPos that changes geometry only can wait for the unlock.
  static bool queueable(UINT flags);
  // Queues a SetWindowPos of a covered window (see queueable()).
  BOOL enqueue(HWND wnd, int x, int y, int cx, int cy, UINT flags);
  // Applies the queued move of `wnd` now, if it has one.
  void flush(HWND wnd);
  // Drops what `dying` and its descendants hold, before it is destroyed.
  void forget(HWND dying);

  // Geometry as it will be after the unlock.
  BOOL windowRect(HWND wnd, RECT* rect) const;
  BOOL clientRect(HWND wnd, RECT* rect) const;
  // The queued rectangle of `wnd` in its parent's client coordinates.
  const RECT* queued(HWND wnd) const;

  // The locked window whose redrawing is suspended (WM_SETREDRAW FALSE
  // clears its WS_VISIBLE bit, which queries must not see).
  bool suspends(HWND wnd) const { return suspended_ && wnd == root_; }
  BOOL isVisible(HWND wnd) const;
  // Lets the system see the true visibility of the locked window around a
  // call that shows or hides it, then suspends again if it is visible.
  void resumeRedraw();
  void suspendRedrawIfVisible();
  // A style written to the locked window while suspended: WS_VISIBLE stays
  // off until the unlock; without it, the unlock must not turn it on.
  LONG_PTR styleToWrite(LONG_PTR style);

 private:
  struct Entry {
    HWND wnd;
    RECT rect;  // parent client coordinates
  };

  void apply(const Entry& e) const;
  void reindex();

  HWND root_ = nullptr;
  bool suspended_ = false;
  std::vector<Entry> entries_;
  std::unordered_map<HWND, std::size_t> index_;
};

}  // namespace flx::win32::detail
