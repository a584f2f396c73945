// The system's control classes on the simulated desktop: a list, combo box,
// tab control, list view or header keeps the items it is given and its
// selection; a button its check state; a track bar, progress bar or
// up-down its position; a status bar the texts of its parts. What a
// program reads back is what it set, as from the real controls; nothing is
// drawn.
#include <algorithm>

#include "flexarium/sysutils.h"
#include "host/sim/desktop_impl.h"
#include "host/sim/text_metrics.h"

namespace flx::sim {

namespace {

std::u16string textAt(LPARAM lp) {
  return lp ? std::u16string(reinterpret_cast<const char16_t*>(lp))
            : std::u16string();
}

constexpr LRESULT kError = -1;  // CB_ERR, LB_ERR

constexpr DWORD kCbsType = 0x3;  // CBS_SIMPLE, CBS_DROPDOWN, ...
constexpr DWORD kLbsOwnerDrawFixed = 0x10;
constexpr DWORD kLbsOwnerDrawVariable = 0x20;

// Whether a static control of this style shows text: left, centred, right,
// simple, left without wrapping, or drawn by its owner (SS_TYPEMASK).
bool staticShowsText(DWORD style) {
  switch (style & 0x1F) {
    case 0x0:  // SS_LEFT
    case 0x1:  // SS_CENTER
    case 0x2:  // SS_RIGHT
    case 0xB:  // SS_SIMPLE
    case 0xC:  // SS_LEFTNOWORDWRAP
    case 0xD:  // SS_OWNERDRAW
      return true;
    default:
      return false;
  }
}

}  // namespace

LRESULT Desktop::Impl::control(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  Window* w = find(wnd);
  if (w == nullptr) return 0;
  auto& items = w->items;
  const auto count = static_cast<LRESULT>(items.size());
  const auto is = [&](std::u16string_view cls) {
    return SameAsciiText(w->className, cls);
  };
  // Windows that draw no text keep no font, as Wine's measured: a static
  // control of a picture, frame or rectangle type, a track bar and an
  // up-down control ignore WM_SETFONT and answer WM_GETFONT with none.
  if (msg == WM_SETFONT || msg == WM_GETFONT) {
    const bool keepsNone = (is(u"STATIC") && !staticShowsText(w->style)) ||
                           is(u"msctls_trackbar32") || is(u"msctls_updown32") ||
                           is(u"SCROLLBAR");
    if (keepsNone) return 0;
    if (msg == WM_GETFONT) return reinterpret_cast<LRESULT>(w->font);
    w->font = reinterpret_cast<HFONT>(wp);
    // A list box takes its font's rows, unless its owner draws them; it
    // keeps its height until it is next sized.
    if (is(u"LISTBOX")) {
      if (!(w->style & (kLbsOwnerDrawFixed | kLbsOwnerDrawVariable))) {
        w->itemHeight = textHeightOf(w->font);
      }
    } else {
      fitHeight(wnd);
    }
    return 0;
  }
  if (msg == WM_CREATE || msg == WM_SIZE) fitHeight(wnd);
  // The classes share message numbers (WM_USER and up): each answers its
  // own.
  if (is(u"COMBOBOX") || is(u"LISTBOX")) {
    const bool combo = is(u"COMBOBOX");
    const UINT add = combo ? CB_ADDSTRING : LB_ADDSTRING;
    const UINT reset = combo ? CB_RESETCONTENT : LB_RESETCONTENT;
    const UINT setSel = combo ? CB_SETCURSEL : LB_SETCURSEL;
    const UINT getSel = combo ? CB_GETCURSEL : LB_GETCURSEL;
    const UINT getCount = combo ? CB_GETCOUNT : LB_GETCOUNT;
    if (msg == add) {
      items.push_back(textAt(lp));
      return count;
    }
    if (msg == reset) {
      items.clear();
      w->selection = -1;
      return TRUE;
    }
    if (msg == getCount) return count;
    if (msg == setSel) {
      // Out of range clears the selection, and says so.
      const auto at = static_cast<LRESULT>(wp);
      w->selection = at >= 0 && at < count ? at : -1;
      return w->selection < 0 && at != -1 ? kError : w->selection;
    }
    if (msg == getSel) return w->selection;
    if (combo && msg == CB_FINDSTRINGEXACT) {
      const std::u16string wanted = textAt(lp);
      // The search starts after item WParam and wraps round.
      const LRESULT start = static_cast<LRESULT>(wp) + 1;
      for (LRESULT n = 0; n < count; ++n) {
        const LRESULT i = (start + n) % count;
        if (SameAsciiText(items[static_cast<std::size_t>(i)], wanted)) return i;
      }
      return kError;
    }
    if (combo && msg == CB_GETITEMHEIGHT) return 16;
  } else if (is(u"SysTabControl32") || is(u"SysListView32") ||
             is(u"SysHeader32")) {
    const char16_t* text = nullptr;
    bool insert = false;
    int widthGiven = 0;  // a column inserted without a width starts at 0
    if (msg == TCM_INSERTITEMW && is(u"SysTabControl32") && lp != 0) {
      const auto* item = reinterpret_cast<const TCITEMW*>(lp);
      insert = true;
      if (item->mask & TCIF_TEXT) text = item->pszText;
    } else if (msg == LVM_INSERTCOLUMNW && is(u"SysListView32") && lp != 0) {
      const auto* column = reinterpret_cast<const LVCOLUMNW*>(lp);
      insert = true;
      if (column->mask & LVCF_TEXT) text = column->pszText;
      if (column->mask & LVCF_WIDTH) widthGiven = column->cx;
    } else if (msg == HDM_INSERTITEMW && is(u"SysHeader32") && lp != 0) {
      const auto* item = reinterpret_cast<const HDITEMW*>(lp);
      insert = true;
      if (item->mask & HDI_TEXT) text = item->pszText;
      if (item->mask & HDI_WIDTH) widthGiven = item->cxy;
    }
    auto& widths = w->widths;
    widths.resize(items.size(), 0);
    if (insert) {
      const std::size_t i = std::min<std::size_t>(wp, items.size());
      items.insert(items.begin() + static_cast<std::ptrdiff_t>(i),
                   text ? std::u16string(text) : std::u16string());
      widths.insert(widths.begin() + static_cast<std::ptrdiff_t>(i),
                    widthGiven);
      return static_cast<LRESULT>(i);
    }
    if ((msg == LVM_DELETECOLUMN && is(u"SysListView32")) ||
        (msg == HDM_DELETEITEM && is(u"SysHeader32"))) {
      if (static_cast<LRESULT>(wp) >= count) return FALSE;
      items.erase(items.begin() + static_cast<std::ptrdiff_t>(wp));
      widths.erase(widths.begin() + static_cast<std::ptrdiff_t>(wp));
      return TRUE;
    }
    const bool inRange = static_cast<LRESULT>(wp) < count;
    if (is(u"SysListView32")) {
      // A list view without a column reports none (0, as for a failure).
      if (msg == LVM_GETCOLUMNWIDTH) return inRange ? widths[wp] : 0;
      if (msg == LVM_GETCOLUMNW && lp != 0) {
        if (!inRange) return FALSE;
        auto* column = reinterpret_cast<LVCOLUMNW*>(lp);
        if (column->mask & LVCF_WIDTH) column->cx = widths[wp];
        return TRUE;
      }
      if (msg == LVM_SETCOLUMNWIDTH) {
        if (!inRange) return FALSE;
        widths[wp] = static_cast<int>(lp);
        return TRUE;
      }
    }
    if (is(u"SysHeader32")) {
      if (msg == HDM_GETITEMCOUNT) return count;
      if ((msg == HDM_GETITEMW || msg == HDM_SETITEMW) && lp != 0) {
        auto* item = reinterpret_cast<HDITEMW*>(lp);
        if (!inRange) return FALSE;
        if (item->mask & HDI_WIDTH) {
          if (msg == HDM_GETITEMW) {
            item->cxy = widths[wp];
          } else {
            widths[wp] = item->cxy;
          }
        }
        return TRUE;
      }
    }
    if (is(u"SysTabControl32")) {
      switch (msg) {
        case TCM_DELETEALLITEMS:
          items.clear();
          w->selection = -1;
          return TRUE;
        case TCM_GETITEMCOUNT:
          return count;
        case TCM_SETCURSEL: {
          const LRESULT previous = w->selection;
          const auto at = static_cast<LRESULT>(wp);
          w->selection = at >= 0 && at < count ? at : -1;
          return previous;
        }
        case TCM_GETCURSEL:
          return w->selection;
        default:
          break;
      }
    }
  } else if (is(u"msctls_statusbar32") && msg == SB_SETTEXTW) {
    // The part's number is the low byte (SB_SIMPLEID for the simple one).
    const std::size_t part = wp & 0xFF;
    if (items.size() <= part) items.resize(part + 1);
    items[part] = textAt(lp);
    return TRUE;
  } else if (is(u"BUTTON")) {
    if (msg == BM_SETCHECK) {
      w->check = wp;
      return 0;
    }
    if (msg == BM_GETCHECK) return static_cast<LRESULT>(w->check);
  } else if (is(u"msctls_trackbar32")) {
    if (msg == TBM_SETPOS) {
      w->position = lp;
      return 0;
    }
    if (msg == TBM_GETPOS) return w->position;
  } else if (is(u"msctls_progress32") || is(u"msctls_updown32")) {
    const bool progress = is(u"msctls_progress32");
    if (msg == (progress ? PBM_SETPOS : UDM_SETPOS32)) {
      const LRESULT previous = w->position;
      w->position = progress ? static_cast<LRESULT>(wp) : lp;
      return previous;
    }
    if (msg == (progress ? PBM_GETPOS : UDM_GETPOS32)) return w->position;
  }
  return def(wnd, msg, wp, lp);
}

int Desktop::Impl::textHeightOf(HFONT font) const {
  const std::size_t serial = handleSerial(font, kTagFont);
  if (serial == 0 || serial >= fonts.size() || !fonts[serial]) {
    return kSystemFontHeight;
  }
  const auto m =
      TextMeasurer::Instance().Metrics(FontRequest::Of(*fonts[serial]));
  return m ? static_cast<int>(m->tm.tmHeight) : kSystemFontHeight;
}

// What the controls make of the height they are given, as Wine's measured,
// each time they are made, sized or given a font:
// - a drop-down combo box is as high as its edit field, its font's height
//   and 8 (a ComboBoxEx one more), whatever it is given;
// - a list box of whole rows keeps whole rows of its row height inside a
//   2-pixel border when it has one.
void Desktop::Impl::fitHeight(HWND wnd) {
  const Window* w = find(wnd);
  if (w == nullptr) return;
  const auto is = [&](std::u16string_view cls) {
    return SameAsciiText(w->className, cls);
  };
  const int h = height(w->rect);
  int fitted = h;
  if ((is(u"COMBOBOX") || is(u"ComboBoxEx32")) &&
      (w->style & kCbsType) != CBS_SIMPLE) {
    fitted = textHeightOf(w->font) + (is(u"COMBOBOX") ? 8 : 9);
  } else if (is(u"LISTBOX") &&
             !(w->style & (LBS_NOINTEGRALHEIGHT | kLbsOwnerDrawVariable))) {
    const int border =
        (w->style & WS_BORDER) || (w->exStyle & WS_EX_CLIENTEDGE) ? 2 : 0;
    const int client = h - 2 * border;
    const int row = std::max(w->itemHeight, 1);
    if (client > row) fitted = h - client % row;
  }
  if (fitted != h) {
    position(wnd, nullptr, 0, 0, width(w->rect), fitted,
             SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

}  // namespace flx::sim
