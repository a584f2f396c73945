// The dialog manager of the simulated desktop: CreateDialogIndirectParamW,
// MapDialogRect, GetDialogBaseUnits, GetDlgItem and GetDlgCtrlID, as Wine 8's
// user32 makes a dialog from a template (the facts in docs/dialogs.md).
//
// A dialog is made in this order: the dialog font at the dialog's DPI and
// the base units from its character dimensions; the window (hidden) with
// the client size the template asks for, placed as the styles say; the
// dialog procedure; WM_SETFONT to the dialog; each control in template
// order (created, then WM_SETFONT); WM_INITDIALOG; shown if WS_VISIBLE.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "flexarium/resources.h"
#include "flexarium/sysutils.h"
#include "host/sim/desktop_impl.h"

namespace flx::sim {

namespace {

constexpr DWORD kSsTypeMask = 0x1F;
constexpr DWORD kSsEtchedHorz = 0x10;
constexpr DWORD UDS_ALIGNRIGHT = 0x04;
constexpr DWORD UDS_ALIGNLEFT = 0x08;
constexpr DWORD UDS_AUTOBUDDY = 0x10;
// An up-down control's own width, and how far it overlaps an edit buddy's
// border (Wine's comctl32, unthemed).
constexpr int kUpDownWidth = 16;
constexpr int kBuddyBorder = 2;

std::u16string className(const res::ResourceId& cls) {
  if (!cls.isOrdinal) return cls.name;
  const std::string_view name = res::PredefinedClassName(cls.ordinal);
  return std::u16string(name.begin(), name.end());
}

// "item 3 (ID 1001, at byte 0x4c)", for the messages.
std::string describeItem(std::size_t index, const res::DialogItem& item) {
  char offset[32];
  std::snprintf(offset, sizeof offset, "0x%zx", item.offset);
  return "item " + std::to_string(index + 1) + " (ID " +
         std::to_string(item.id) + ", at byte " + offset + ")";
}

// What the dialog is laid out with at one DPI.
struct DialogLayout {
  Dpi dpi;
  bool hasFont = false;
  LOGFONTW font{};
  int baseX = 0;
  int baseY = 0;
  DWORD style = 0;
  DWORD exStyle = 0;
  RECT window{};  // screen (top-level) or parent client coordinates
};

}  // namespace

// ---- What controls do when they are made

void Desktop::Impl::placeUpDown(HWND ctl, DWORD style) {
  const Window* c = find(ctl);
  if (c == nullptr) return;
  RECT own = c->rect;
  const Window* buddy = nullptr;
  if ((style & UDS_AUTOBUDDY) && (style & (UDS_ALIGNLEFT | UDS_ALIGNRIGHT))) {
    if (const Window* p = find(c->parent)) {
      const auto at = std::find(p->children.begin(), p->children.end(), ctl);
      if (at != p->children.begin() && at != p->children.end()) {
        buddy = find(*(at - 1));
      }
    }
  }
  if (buddy == nullptr) {
    position(ctl, nullptr, 0, 0, kUpDownWidth, height(own),
             SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return;
  }
  const HWND buddyWnd = buddy->handle;
  const bool edit = SameAsciiText(buddy->className, u"Edit");
  RECT b = buddy->rect;
  int x = 0;
  int w = kUpDownWidth;
  if (style & UDS_ALIGNLEFT) {
    x = b.left;
    b.left += kUpDownWidth;
    if (edit) w += kBuddyBorder;
  } else {
    b.right -= kUpDownWidth;
    x = b.right;
    if (edit) x -= kBuddyBorder;
  }
  position(buddyWnd, nullptr, b.left, b.top, width(b), height(b),
           SWP_NOZORDER | SWP_NOACTIVATE);
  position(ctl, nullptr, x, b.top, w, height(b), SWP_NOZORDER | SWP_NOACTIVATE);
}

// ---- The dialog procedure

LRESULT Desktop::Impl::defDialog(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  const Window* w = find(wnd);
  if (w == nullptr) return 0;
  if (const DLGPROC proc = w->dlgProc) {
    ActiveScope scope(this);
    // A handled message answers with the procedure's value (the message
    // result slot of a real dialog is not modelled).
    if (const LONG_PTR handled = proc(wnd, msg, wp, lp)) return handled;
    if (find(wnd) == nullptr) return 0;
  }
  switch (msg) {
    case WM_SETFONT:
      // The dialog keeps the font it is given (DefWindowProc keeps none).
      if (Window* kept = find(wnd)) kept->font = reinterpret_cast<HFONT>(wp);
      return 0;
    case WM_GETFONT: {
      const Window* kept = find(wnd);
      return kept != nullptr ? reinterpret_cast<LRESULT>(kept->font) : 0;
    }
    case WM_CLOSE:
      // A dialog is not destroyed by closing: it is told to cancel.
      deliver(wnd, WM_COMMAND, IDCANCEL, reinterpret_cast<LPARAM>(nullptr));
      return 0;
    default:
      return def(wnd, msg, wp, lp);
  }
}

// ---- Creation

const std::string& Desktop::lastDialogError() const {
  return impl_->dialogError;
}

HWND Desktop::createDialogIndirectParam(std::span<const std::uint8_t> tmpl,
                                        HWND owner, DLGPROC proc,
                                        LPARAM initParam) {
  impl_->recordCall("CreateDialogIndirectParamW", nullptr);
  Impl& d = *impl_;
  d.dialogError.clear();
  res::DialogTemplate t;
  try {
    t = res::ParseDialogTemplate(tmpl, "dialog template");
  } catch (const res::EResourceError& e) {
    d.dialogError = e.what();
    return nullptr;
  }
  const bool child = (t.style & WS_CHILD) != 0;
  if (child && d.find(owner) == nullptr) {
    d.dialogError = "dialog template: a child dialog (WS_CHILD) needs a parent";
    return nullptr;
  }
  // A pop-up's owner is the top-level window of the one named.
  if (!child) {
    int guard = 0;
    for (const Impl::Window* o = d.find(owner);
         o != nullptr && o->child && guard++ < 100000; o = d.find(owner)) {
      owner = o->parent;
    }
    if (d.find(owner) == nullptr) owner = nullptr;
  }

  // The layout at one DPI: font, base units, styles and window rectangle.
  auto layoutAt = [&](Dpi dpi) {
    DialogLayout l;
    l.dpi = dpi;
    l.style = t.style;
    l.exStyle = t.exStyle;
    if (const auto font = res::DialogFontAt(t, dpi.y)) {
      l.hasFont = true;
      l.font.lfHeight = font->height;
      l.font.lfWeight = font->weight;
      l.font.lfItalic = font->italic ? 1 : 0;
      const std::size_t n = std::min<std::size_t>(font->face.size(), 31);
      std::copy_n(font->face.begin(), n, l.font.lfFaceName);
      // The template's character set is not used: Wine asks DEFAULT_CHARSET.
      l.font.lfCharSet = DEFAULT_CHARSET;
      const HFONT probe = createFontIndirect(&l.font);
      const HDC dc = getDC(nullptr);
      const HFONT old = selectFont(dc, probe);
      LONG height = 0;
      l.baseX = gdiGetCharDimensions(dc, nullptr, &height);
      l.baseY = height;
      selectFont(dc, old);
      releaseDC(nullptr, dc);
      deleteFont(probe);
    }
    if (!l.hasFont || l.baseX <= 0 || l.baseY <= 0) {
      // The system font's base units, which scale with the DPI.
      l.baseX = MulDiv(8, dpi.x, 96);
      l.baseY = MulDiv(16, dpi.y, 96);
    }
    if (l.style & DS_MODALFRAME) l.exStyle |= WS_EX_DLGMODALFRAME;
    if (l.style & DS_CONTROL) {
      l.style &= ~(WS_CAPTION | WS_SYSMENU);
      l.exStyle |= WS_EX_CONTROLPARENT;
    }
    if (!child) {
      l.style |= DS_3DLOOK | WS_CLIPSIBLINGS;
      l.exStyle |= WS_EX_CONTROLPARENT;
      if ((l.style & WS_CAPTION) == WS_CAPTION || (l.style & DS_MODALFRAME)) {
        l.exStyle |= WS_EX_WINDOWEDGE;
      }
    }
    RECT r{0, 0, MulDiv(t.cx, l.baseX, 4), MulDiv(t.cy, l.baseY, 8)};
    adjustWindowRectExForDpi(&r, l.style, FALSE, l.exStyle,
                             static_cast<UINT>(dpi.y));
    POINT pos{r.left, r.top};
    const SIZE size{width(r), height(r)};
    if (child) {
      pos.x += MulDiv(t.x, l.baseX, 4);
      pos.y += MulDiv(t.y, l.baseY, 8);
    } else {
      std::size_t monitor = d.primaryIndex();
      if (t.style & DS_CENTER) {
        if (const Impl::Window* o = d.find(owner)) {
          monitor = d.nearestMonitor(d.screenRect(*o));
        }
        const RECT work = d.workAreaOf(monitor);
        pos.x = (work.left + work.right - size.cx) / 2;
        pos.y = (work.top + work.bottom - size.cy) / 2;
      } else if (t.style & DS_CENTERMOUSE) {
        const RECT primary = d.primaryRect();
        pos =
            d.config.cursor.value_or(POINT{(primary.left + primary.right) / 2,
                                           (primary.top + primary.bottom) / 2});
        monitor = d.nearestMonitor(RECT{pos.x, pos.y, pos.x + 1, pos.y + 1});
      } else {
        pos.x += MulDiv(t.x, l.baseX, 4);
        pos.y += MulDiv(t.y, l.baseY, 8);
        if (!(t.style & DS_ABSALIGN)) {
          if (const Impl::Window* o = d.find(owner)) {
            const POINT origin = d.clientOrigin(*o);
            pos.x += origin.x;
            pos.y += origin.y;
          }
        }
        monitor = d.nearestMonitor(RECT{pos.x, pos.y, pos.x + 1, pos.y + 1});
      }
      // Kept on its monitor's work area: past the right or bottom edge it
      // moves in (to the dialog frame's width inside), then a left or top
      // edge off the area comes back to it; a dialog larger than the area
      // is not shrunk.
      const RECT work = d.workAreaOf(monitor);
      const int dx = pos.x + size.cx +
                     d.systemMetric(SM_CXDLGFRAME, d.appSystemDpi()) -
                     work.right;
      if (dx > 0) pos.x -= dx;
      const int dy = pos.y + size.cy +
                     d.systemMetric(SM_CYDLGFRAME, d.appSystemDpi()) -
                     work.bottom;
      if (dy > 0) pos.y -= dy;
      pos.x = std::max<int>(pos.x, work.left);
      pos.y = std::max<int>(pos.y, work.top);
    }
    l.window = RECT{pos.x, pos.y, pos.x + size.cx, pos.y + size.cy};
    return l;
  };

  // Laid out at the DPI of the owner's monitor (the primary one without an
  // owner); if that lands the dialog on a monitor of another DPI, laid out
  // again at that one, as a per-monitor aware process sees the dialog.
  Dpi dpi = d.appDpiAt(d.primaryIndex());
  if (const Impl::Window* o = d.find(owner)) dpi = d.dpiOf(*o);
  DialogLayout l = layoutAt(dpi);
  if (!child) {
    const Dpi landed = d.decideDpi(l.window);
    if (landed != dpi) l = layoutAt(landed);
  }

  std::u16string dialogClass = u"#32770";
  if (!t.windowClass.empty()) dialogClass = className(t.windowClass);
  const HWND dlg = d.create(l.exStyle, dialogClass, t.title,
                            l.style & ~WS_VISIBLE, l.window.left, l.window.top,
                            width(l.window), height(l.window), owner, nullptr);
  if (dlg == nullptr) {
    d.dialogError = "dialog template: the dialog window (class \"" +
                    Utf16ToUtf8(dialogClass) + "\") could not be made";
    return nullptr;
  }
  if (Impl::Window* w = d.find(dlg)) {
    w->dialog = true;
    w->dlgProc = proc;
    w->baseX = l.baseX;
    w->baseY = l.baseY;
  }
  HFONT font = nullptr;
  if (l.hasFont) {
    font = createFontIndirect(&l.font);
    if (Impl::Window* w = d.find(dlg)) w->dialogFont = font;
    d.deliver(dlg, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
  }
  auto fail = [&](std::string why) -> HWND {
    d.destroy(dlg);
    d.dialogError = std::move(why);
    return nullptr;
  };

  for (std::size_t i = 0; i < t.items.size(); ++i) {
    if (d.find(dlg) == nullptr) return fail("the dialog was destroyed");
    const res::DialogItem& item = t.items[i];
    const std::u16string cls = className(item.windowClass);
    DWORD style = item.style | WS_CHILD;
    DWORD exStyle = item.exStyle | WS_EX_NOPARENTNOTIFY;
    // An edit or static control's flat border becomes a sunken edge.
    if ((style & WS_BORDER) &&
        (SameAsciiText(cls, u"Edit") || SameAsciiText(cls, u"Static"))) {
      style &= ~WS_BORDER;
      exStyle |= WS_EX_CLIENTEDGE;
    }
    const std::u16string title =
        item.title.isOrdinal ? std::u16string() : item.title.name;
    // The control's creation parameters point at the data's byte count.
    std::vector<std::uint8_t> data;
    if (!item.creationData.empty()) {
      const auto n = static_cast<std::uint16_t>(item.creationData.size());
      data.push_back(static_cast<std::uint8_t>(n & 0xFF));
      data.push_back(static_cast<std::uint8_t>(n >> 8));
      data.insert(data.end(), item.creationData.begin(),
                  item.creationData.end());
    }
    const HWND ctl =
        cls.empty()
            ? nullptr
            : d.create(exStyle, cls, title, style, MulDiv(item.x, l.baseX, 4),
                       MulDiv(item.y, l.baseY, 8), MulDiv(item.cx, l.baseX, 4),
                       MulDiv(item.cy, l.baseY, 8), dlg,
                       data.empty() ? nullptr : data.data(), item.id);
    if (ctl == nullptr) {
      if (t.style & DS_NOFAILCREATE) continue;
      const std::string what =
          cls.empty()
              ? "class ordinal " + std::to_string(item.windowClass.ordinal)
              : "class \"" + Utf16ToUtf8(cls) + "\"";
      return fail("dialog template: " + describeItem(i, item) + ": " + what +
                  (d.find(dlg) == nullptr ? " destroyed the dialog"
                                          : " is not a window class or "
                                            "refused the control"));
    }
    if (font != nullptr) {
      d.deliver(ctl, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
    }
    const Impl::Window* c = d.find(ctl);
    if (c == nullptr) continue;
    // What the controls make of their place, as Wine's measured (combo
    // and list boxes fit themselves: controls.cpp):
    // - an up-down control is 16 pixels wide; one that takes the control
    //   before it as its buddy and aligns to it shrinks the buddy by its
    //   width and stands at the buddy's edge, over an edit's border;
    // - an etched horizontal line (a static control) is 2 pixels wider.
    if (SameAsciiText(cls, u"Static") &&
        (style & kSsTypeMask) == kSsEtchedHorz) {
      d.position(ctl, nullptr, 0, 0, width(c->rect) + 2, height(c->rect),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (SameAsciiText(cls, u"msctls_updown32")) {
      d.placeUpDown(ctl, style);
    }
  }
  if (d.find(dlg) == nullptr) return fail("the dialog was destroyed");

  // WM_INITDIALOG names the control the focus would go to.
  HWND focus = nullptr;
  if (const Impl::Window* w = d.find(dlg)) {
    for (HWND c : w->children) {
      const Impl::Window* cw = d.find(c);
      if (cw != nullptr && (cw->style & WS_TABSTOP) &&
          !(cw->style & WS_DISABLED)) {
        focus = c;
        break;
      }
    }
  }
  d.deliver(dlg, WM_INITDIALOG, reinterpret_cast<WPARAM>(focus), initParam);
  if (d.find(dlg) == nullptr) {
    d.dialogError = "the dialog was destroyed by WM_INITDIALOG";
    return nullptr;
  }
  if (t.style & WS_VISIBLE) d.show(dlg, SW_SHOWNORMAL);
  return d.find(dlg) != nullptr ? dlg : nullptr;
}

// ---- Dialog units and controls

BOOL Desktop::mapDialogRect(HWND dialog, RECT* rect) {
  impl_->recordCall("MapDialogRect", dialog);
  const Impl::Window* w = impl_->find(dialog);
  if (w == nullptr || !w->dialog || rect == nullptr) return FALSE;
  rect->left = MulDiv(rect->left, w->baseX, 4);
  rect->right = MulDiv(rect->right, w->baseX, 4);
  rect->top = MulDiv(rect->top, w->baseY, 8);
  rect->bottom = MulDiv(rect->bottom, w->baseY, 8);
  return TRUE;
}

LONG Desktop::getDialogBaseUnits() {
  impl_->recordCall("GetDialogBaseUnits", nullptr);
  const Dpi dpi = impl_->appSystemDpi();
  const int x = MulDiv(8, dpi.x, 96);
  const int y = MulDiv(16, dpi.y, 96);
  return static_cast<LONG>((x & 0xFFFF) | ((y & 0xFFFF) << 16));
}

HWND Desktop::getDlgItem(HWND dialog, int id) {
  impl_->recordCall("GetDlgItem", dialog);
  const Impl::Window* w = impl_->find(dialog);
  if (w == nullptr) return nullptr;
  for (HWND c : w->children) {
    const Impl::Window* cw = impl_->find(c);
    if (cw != nullptr && cw->id == static_cast<LONG_PTR>(id)) return c;
  }
  return nullptr;
}

int Desktop::getDlgCtrlID(HWND wnd) {
  impl_->recordCall("GetDlgCtrlID", wnd);
  const Impl::Window* w = impl_->find(wnd);
  return w != nullptr && w->child ? static_cast<int>(w->id) : 0;
}

BOOL Desktop::clientToScreen(HWND wnd, POINT* point) {
  impl_->recordCall("ClientToScreen", wnd);
  const Impl::Window* w = impl_->find(wnd);
  if (w == nullptr || point == nullptr) return FALSE;
  const POINT origin = impl_->clientOrigin(*w);
  const POINT offset = impl_->screenOffset(*w);
  point->x += origin.x + offset.x;
  point->y += origin.y + offset.y;
  return TRUE;
}

}  // namespace flx::sim
