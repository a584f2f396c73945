// An attached dialog's layout at any DPI, worked out as the dialog manager
// works it out from the template: the template's font made at that DPI,
// its base units measured (GdiGetCharDimensions), every rectangle mapped
// from dialog units with them. What differs at the DPI the dialog was
// opened at between that mapping and the window as it stands (a combo box
// fitted to its font, an up-down control beside its buddy, a control the
// program moved before attaching) is kept in pixels and added at every DPI.
#include "attach/dialog_layout.h"

#include <algorithm>
#include <map>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "flexarium/resources.h"
#include "flexarium/winapi.h"

namespace flx::attach_detail {

using namespace win;

namespace {

constexpr std::uint32_t kUdsAlignRight = 0x04;
constexpr std::uint32_t kUdsAlignLeft = 0x08;
constexpr std::uint32_t kUdsAutoBuddy = 0x10;

struct BaseUnits {
  int x = 0;
  int y = 0;
};

// The font the dialog manager makes for the template at `dpi`; none
// without DS_SETFONT.
std::optional<LOGFONTW> fontAt(const res::DialogTemplate& t, int dpi) {
  const auto font = res::DialogFontAt(t, dpi);
  if (!font) return std::nullopt;
  LOGFONTW f{};
  f.lfHeight = font->height;
  f.lfWeight = font->weight;
  f.lfItalic = font->italic ? 1 : 0;
  f.lfCharSet = DEFAULT_CHARSET;
  std::copy_n(font->face.begin(), std::min<std::size_t>(font->face.size(), 31),
              f.lfFaceName);
  return f;
}

BaseUnits baseUnitsAt(const res::DialogTemplate& t, int dpi) {
  if (const auto f = fontAt(t, dpi)) {
    const HFONT font = CreateFontIndirectW(&*f);
    const HDC dc = GetDC(nullptr);
    const HFONT old = SelectObject(dc, font);
    LONG height = 0;
    const LONG width = GdiGetCharDimensions(dc, nullptr, &height);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    DeleteObject(font);
    if (width > 0 && height > 0) return {width, height};
  }
  // The System font's, which scale with the DPI.
  return {MulDiv(8, dpi, 96), MulDiv(16, dpi, 96)};
}

// A window's control ID is the item's: 16 bits in a standard template, so
// that -1 reads 0xFFFF there.
bool sameItemId(LONG_PTR windowId, std::uint32_t itemId) {
  const auto id = static_cast<std::uint32_t>(
      static_cast<unsigned long long>(windowId) & 0xFFFFFFFFu);
  return id == itemId || (itemId <= 0xFFFF && (id & 0xFFFF) == itemId &&
                          (id >> 16 == 0 || id >> 16 == 0xFFFF));
}

class DialogLayout final : public TDpiLayout {
 public:
  struct Item {
    int x, y, cx, cy;  // dialog units
    // Pixels the window stands off the mapping where it was opened.
    int left, top, width, height;
    // An up-down control: as wide as it made itself at every DPI; one
    // that placed itself at its buddy's edge takes its buddy's place.
    bool fixedWidth = false;
    const TControl* buddy = nullptr;
    bool alignLeft = false;
  };

  DialogLayout(res::DialogTemplate t, int dpi, BaseUnits base, SIZE client)
      : FTemplate(std::move(t)), FDpi(dpi), FClient(client) {
    FBases.emplace(dpi, base);
    FClientOff = {client.cx - mapX(FTemplate.cx, base),
                  client.cy - mapY(FTemplate.cy, base)};
  }

  void AddItem(const TControl& c, const res::DialogItem& item) {
    const BaseUnits b = FBases.at(FDpi);
    FItems.emplace(
        &c, Item{item.x, item.y, item.cx, item.cy, c.Left() - mapX(item.x, b),
                 c.Top() - mapY(item.y, b), c.Width() - mapX(item.cx, b),
                 c.Height() - mapY(item.cy, b)});
  }
  void SetFixedWidth(const TControl& c) {
    if (const auto it = FItems.find(&c); it != FItems.end()) {
      it->second.fixedWidth = true;
      it->second.width = c.Width();
    }
  }
  // An up-down control beside `buddy`, made before it.
  void AddBuddied(const TControl& c, const TControl& buddy, bool alignLeft) {
    const auto it = FItems.find(&c);
    const auto b = FItems.find(&buddy);
    if (it == FItems.end() || b == FItems.end()) return;
    // Held where it stands against its buddy where it was opened.
    TRect at;
    Bounds(buddy, FDpi, at);
    Item& i = it->second;
    i.buddy = &buddy;
    i.alignLeft = alignLeft;
    i.left = c.Left() - (alignLeft ? at.Left : at.Right);
    i.top = c.Top() - at.Top;
    i.width = c.Width();
    i.height = c.Height() - at.Height();
  }
  void AddDialogFontUser(const TControl& c) { FFontUsers.insert(&c); }
  void AddSystemFontUser(const TControl& c) { FSystemFontUsers.insert(&c); }
  bool Empty() const { return FItems.empty(); }

  SIZE ClientSize(int dpi) const override {
    if (dpi == FDpi) return FClient;
    const BaseUnits b = Base(dpi);
    return {std::max(mapX(FTemplate.cx, b) + FClientOff.cx, 0),
            std::max(mapY(FTemplate.cy, b) + FClientOff.cy, 0)};
  }

  bool Bounds(const TControl& control, int dpi, TRect& bounds) const override {
    const auto it = FItems.find(&control);
    if (it == FItems.end()) return false;
    const Item& i = it->second;
    if (i.buddy != nullptr) {
      TRect at;
      Bounds(*i.buddy, dpi, at);
      const int left = (i.alignLeft ? at.Left : at.Right) + i.left;
      const int top = at.Top + i.top;
      bounds = TRect{left, top, left + i.width, top + at.Height() + i.height};
      return true;
    }
    const BaseUnits b = Base(dpi);
    const int left = mapX(i.x, b) + i.left;
    const int top = mapY(i.y, b) + i.top;
    const int width = i.fixedWidth ? i.width : mapX(i.cx, b) + i.width;
    bounds = TRect{left, top, left + width, top + mapY(i.cy, b) + i.height};
    return true;
  }

  int FontHeight(int dpi) const override {
    const auto font = res::DialogFontAt(FTemplate, dpi);
    return font ? font->height : 0;
  }

  bool ShowsDialogFont(const TControl& control) const override {
    return FFontUsers.count(&control) != 0;
  }
  bool ShowsSystemFont(const TControl& control) const override {
    return FSystemFontUsers.count(&control) != 0;
  }

 private:
  static int mapX(int du, BaseUnits b) { return MulDiv(du, b.x, 4); }
  static int mapY(int du, BaseUnits b) { return MulDiv(du, b.y, 8); }

  BaseUnits Base(int dpi) const {
    auto it = FBases.find(dpi);
    if (it == FBases.end()) {
      it = FBases.emplace(dpi, baseUnitsAt(FTemplate, dpi)).first;
    }
    return it->second;
  }

  res::DialogTemplate FTemplate;
  int FDpi;
  SIZE FClient;
  SIZE FClientOff{};
  std::unordered_map<const TControl*, Item> FItems;
  std::unordered_set<const TControl*> FFontUsers;
  std::unordered_set<const TControl*> FSystemFontUsers;
  // Measured once per DPI.
  mutable std::map<int, BaseUnits> FBases;
};

}  // namespace

std::unique_ptr<TDpiLayout> MakeDialogLayout(
    std::span<const std::uint8_t> dialogTemplate, HWND dialog,
    const TAdoptedForm& form) {
  res::DialogTemplate t =
      res::ParseDialogTemplate(dialogTemplate, "dialog template");
  const int dpi = static_cast<int>(GetDpiForWindow(dialog));
  if (dpi <= 0) return nullptr;
  // This system's dialog manager must map dialog units as worked out here,
  // or no other DPI can be worked out either.
  const BaseUnits base = baseUnitsAt(t, dpi);
  RECT probe{0, 0, 4, 8};
  if (!MapDialogRect(dialog, &probe) || probe.right != base.x ||
      probe.bottom != base.y) {
    return nullptr;
  }
  std::unordered_map<HWND, const TAdoptedControl*> byWindow;
  for (int i = 0; i < form.ComponentCount(); ++i) {
    if (const auto* c =
            dynamic_cast<const TAdoptedControl*>(form.Components(i));
        c != nullptr && c->Window() != nullptr) {
      byWindow.emplace(c->Window(), c);
    }
  }
  auto layout = std::make_unique<DialogLayout>(
      t, dpi, base, SIZE{form.ClientWidth(), form.ClientHeight()});
  const auto dialogFont = SendMessageW(dialog, WM_GETFONT, 0, 0);
  // The items in template order against the children in creation order;
  // an item the dialog manager left out (DS_NOFAILCREATE) has no window.
  HWND child = GetWindow(dialog, GW_CHILD);
  const TControl* previous = nullptr;
  for (const res::DialogItem& item : t.items) {
    HWND match = child;
    while (match != nullptr &&
           !sameItemId(GetWindowLongPtrW(match, GWLP_ID), item.id)) {
      match = GetWindow(match, GW_HWNDNEXT);
    }
    if (match == nullptr) continue;
    child = GetWindow(match, GW_HWNDNEXT);
    const auto it = byWindow.find(match);
    if (it == byWindow.end()) continue;
    layout->AddItem(*it->second, item);
    // An up-down control that takes the control before it as its buddy and
    // aligns to it.
    const bool upDown =
        !item.windowClass.isOrdinal &&
        SameAsciiText(item.windowClass.name, u"msctls_updown32");
    if (upDown) layout->SetFixedWidth(*it->second);
    if (upDown && previous != nullptr && (item.style & kUdsAutoBuddy) &&
        (item.style & (kUdsAlignRight | kUdsAlignLeft))) {
      layout->AddBuddied(*it->second, *previous,
                         (item.style & kUdsAlignLeft) != 0);
    }
    previous = it->second;
    const auto font = SendMessageW(match, WM_GETFONT, 0, 0);
    if (font == 0) {
      layout->AddSystemFontUser(*it->second);
    } else if (font == dialogFont) {
      layout->AddDialogFontUser(*it->second);
    }
  }
  // Items and not one window of them: a template of another dialog.
  if (!t.items.empty() && layout->Empty()) return nullptr;
  return layout;
}

}  // namespace flx::attach_detail
