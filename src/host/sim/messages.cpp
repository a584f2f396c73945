// Message delivery on the simulated desktop: sent messages go through the
// WH_CALLWNDPROC thread hooks and then the window's procedure chain,
// synchronously, as Windows delivers them within one thread; DefWindowProc
// for the messages the framework relies on.
#include "host/sim/desktop_impl.h"

namespace flx::sim {

namespace {

constexpr DWORD kThreadId = 1;
constexpr int kHookDepthLimit = 25;
constexpr UINT WM_GETTEXTLENGTH = 0x000E;

}  // namespace

thread_local Desktop::Impl* Desktop::Impl::active = nullptr;

LRESULT Desktop::Impl::invoke(WNDPROC proc, HWND wnd, UINT msg, WPARAM wp,
                              LPARAM lp) {
  if (proc == nullptr) return 0;
  ActiveScope scope(this);
  return proc(wnd, msg, wp, lp);
}

LRESULT Desktop::Impl::deliver(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (find(wnd) == nullptr) return 0;
  if (recording) keep(messages, MessageRecord{wnd, msg, wp, lp});
  // A message sent from inside a hook procedure reaches the hooks again, as
  // on the real system. Wine skips the hooks once 25 hook calls are in
  // progress, so a hook that sends a message for each one it sees ends.
  if (!hooks.empty() && hookDepth < kHookDepthLimit) {
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

LRESULT Desktop::Impl::callNext(HHOOK hook, int code, WPARAM wp, LPARAM lp) {
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

// DefWindowProc. It keeps no font: WM_SETFONT is lost on a window whose
// class does not keep one, and WM_GETFONT answers none.
LRESULT Desktop::Impl::def(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
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
    default:
      return 0;
  }
}

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

}  // namespace flx::sim
