// Windows of the simulated desktop: classes, creation and destruction in
// Windows' message order, and the data a window carries (text, long values,
// properties, the update lock).
#include <string>

#include "flexarium/sysutils.h"
#include "host/sim/desktop_impl.h"

namespace flx::sim {

namespace {

bool isSystemClass(std::u16string_view name) {
  const SystemClass* system = FindSystemClass(name);
  return system != nullptr && system->simulated;
}

}  // namespace

// ---- Creation and destruction

WNDPROC Desktop::Impl::classProc(std::u16string_view name, bool& found) const {
  for (const auto& [n, p] : classes) {
    if (SameAsciiText(n, name)) {
      found = true;
      return p;
    }
  }
  found = isSystemClass(name);
  if (found && SameAsciiText(name, u"#32770"))
    return &systemProc<&Impl::defDialog>;
  return found ? &systemProc<&Impl::control> : nullptr;
}

void Desktop::Impl::link(Window& w) {
  if (Window* p = find(w.parent)) {
    (w.child ? p->children : p->owned).push_back(w.handle);
  }
}

void Desktop::Impl::unlink(const Window& w) {
  if (Window* p = find(w.parent)) {
    auto& list = w.child ? p->children : p->owned;
    list.erase(std::remove(list.begin(), list.end(), w.handle), list.end());
  }
}

// Forgets a window and whatever still hangs below it, without messages.
void Desktop::Impl::release(HWND wnd) {
  Window* w = find(wnd);
  if (w == nullptr) return;
  unlink(*w);
  std::vector<HWND> below = w->children;
  below.insert(below.end(), w->owned.begin(), w->owned.end());
  if (lockHolder == wnd) lockHolder = nullptr;
  // The dialog manager's font goes with its dialog.
  const std::size_t font = handleSerial(w->dialogFont, kTagFont);
  if (font != 0 && font < fonts.size() && fonts[font]) {
    fonts[font].reset();
    freeFonts.push_back(font);
  }
  for (auto* table : {&dialogDpiBehavior, &controlDpiBehavior}) {
    table->erase(std::remove_if(table->begin(), table->end(),
                                [&](const auto& e) { return e.first == wnd; }),
                 table->end());
  }
  windows[handleSerial(wnd, kTagWindow)].reset();
  --liveWindows;
  for (HWND c : below) release(c);
}

HWND Desktop::Impl::create(DWORD exStyle, std::u16string_view className,
                           std::u16string_view windowName, DWORD style, int x,
                           int y, int cx, int cy, HWND parent, void* param,
                           UINT_PTR id) {
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
    x = heldPos(x);
    y = heldPos(y);
    w->rect = RECT{x, y, x + heldExtent(cx), y + heldExtent(cy)};
    w->normalRect = w->rect;
    w->text = std::u16string(windowName);
    if (child) w->id = static_cast<LONG_PTR>(id);
    if (!child) w->dpi = decideDpi(w->rect);
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
    w->rect.right = w->rect.left +
                    heldExtent(clampTrack(width(w->rect), mmi.ptMinTrackSize.x,
                                          mmi.ptMaxTrackSize.x));
    w->rect.bottom = w->rect.top + heldExtent(clampTrack(height(w->rect),
                                                         mmi.ptMinTrackSize.y,
                                                         mmi.ptMaxTrackSize.y));
    w->normalRect = w->rect;
    markReported(*w);
  }
  const Window* w = find(wnd);
  if (w == nullptr) return nullptr;

  const std::u16string name(windowName);
  const std::u16string cls(className);
  CREATESTRUCTW cs{};
  cs.lpCreateParams = param;
  // A child's menu slot carries its control ID.
  cs.hMenu = reinterpret_cast<void*>(child ? id : 0);
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
  notifyParent(wnd, WM_CREATE);
  if (find(wnd) == nullptr) return nullptr;

  if (style & WS_VISIBLE) {
    const int cmd = (style & WS_MAXIMIZE)   ? SW_SHOWMAXIMIZED
                    : (style & WS_MINIMIZE) ? SW_SHOWMINIMIZED
                                            : SW_SHOW;
    show(wnd, cmd);
  }
  return find(wnd) != nullptr ? wnd : nullptr;
}

void Desktop::Impl::notifyParent(HWND wnd, UINT event) {
  const Window* w = find(wnd);
  if (w == nullptr || !w->child || (w->exStyle & WS_EX_NOPARENTNOTIFY)) return;
  const HWND parent = w->parent;
  const Window* p = find(parent);
  if (p == nullptr || p->destroying) return;
  deliver(parent, WM_PARENTNOTIFY,
          MAKEWPARAM(static_cast<int>(event), static_cast<int>(w->id)),
          reinterpret_cast<LPARAM>(wnd));
}

void Desktop::Impl::sendDestroy(HWND wnd) {
  // The parent hears of it before anything of the window goes.
  notifyParent(wnd, WM_DESTROY);
  if (find(wnd) == nullptr) return;
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

void Desktop::Impl::sendNcDestroy(HWND wnd) {
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

BOOL Desktop::Impl::destroy(HWND wnd) {
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

bool Desktop::registerClass(std::u16string_view className, WNDPROC proc) {
  impl_->recordCall("RegisterClassW", nullptr);
  if (className.empty()) return false;
  // A system class is never shadowed, as on the native desktop: a program's
  // stand-in for a class its dialogs name leaves the system's in place.
  if (isSystemClass(className)) return false;
  for (auto& [name, p] : impl_->classes) {
    if (SameAsciiText(name, className)) {
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
  const std::size_t serial = impl_->callsDropped + impl_->calls.size();
  impl_->recordCall("CreateWindowExW", nullptr);
  HWND wnd = impl_->create(exStyle, className, windowName, style, x, y, width,
                           height, parent, createParam);
  // Calls made during creation follow the record; patch in the handle
  // (unless the record has been dropped since).
  const std::size_t slot = serial - std::min(serial, impl_->callsDropped);
  if (rec && serial >= impl_->callsDropped && slot < impl_->calls.size() &&
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

HWND Desktop::getWindow(HWND wnd, UINT cmd) {
  impl_->recordCall("GetWindow", wnd);
  const auto* w = impl_->find(wnd);
  if (w == nullptr) return nullptr;
  if (cmd == GW_CHILD) {
    return w->children.empty() ? nullptr : w->children.front();
  }
  if (cmd != GW_HWNDNEXT || !w->child) return nullptr;
  const auto* p = impl_->find(w->parent);
  if (p == nullptr) return nullptr;
  auto it = std::find(p->children.begin(), p->children.end(), wnd);
  if (it == p->children.end() || ++it == p->children.end()) return nullptr;
  return *it;
}

std::u16string Desktop::getClassName(HWND wnd) {
  impl_->recordCall("GetClassNameW", wnd);
  const auto* w = impl_->find(wnd);
  return w != nullptr ? w->className : std::u16string();
}

// ---- Window data

LONG_PTR Desktop::Impl::styleWord(const Window& w) {
  DWORD s = w.style;
  if (w.state == State::Maximized) s |= WS_MAXIMIZE;
  if (w.state == State::Minimized) s |= WS_MINIMIZE;
  return static_cast<LONG_PTR>(static_cast<LONG>(s));
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
    case GWLP_ID:
      return w->id;
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
    case GWLP_ID:
      previous = w->id;
      w->id = value;
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

}  // namespace flx::sim
