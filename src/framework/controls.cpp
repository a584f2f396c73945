#include "flexarium/controls.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "flexarium/forms.h"
#include "flexarium/winapi.h"
#include "framework/rtti_util.h"

namespace flx {

const TEnumInfo AlignInfo{"TAlign",
                          {"alNone", "alTop", "alBottom", "alLeft", "alRight",
                           "alClient", "alCustom"}};
const TEnumInfo AnchorKindInfo{"TAnchorKind",
                               {"akLeft", "akTop", "akRight", "akBottom"}};
const TEnumInfo AlignmentInfo{"TAlignment",
                              {"taLeftJustify", "taRightJustify", "taCenter"}};
const TEnumInfo LeftRightInfo{"TLeftRight",
                              {"taLeftJustify", "taRightJustify"}};
const TEnumInfo BorderStyleInfo{"TBorderStyle", {"bsNone", "bsSingle"}};

// ---- TSizeConstraints

const TClassInfo& TSizeConstraints::StaticClass() {
  static const TClassInfo info = [] {
    TClassInfo c{
        "TSizeConstraints", &TPersistent::StaticClass(), {}, {}, false};
    auto field = [](const char* name, int TSizeConstraints::*member) {
      TPropInfo p;
      p.Name = name;
      p.Kind = TTypeKind::Integer;
      p.Get = [member](const TPersistent& o) {
        return FormValue::Int(static_cast<const TSizeConstraints&>(o).*member);
      };
      p.Set = [member](TPersistent& o, const FormValue& v) {
        auto& c = static_cast<TSizeConstraints&>(o);
        int value = rtti::ToInt(v);
        if (c.*member == value) return;
        c.*member = value;
        if (c.OnChange) c.OnChange();
      };
      return p;
    };
    c.Props.push_back(field("MaxHeight", &TSizeConstraints::MaxHeight));
    c.Props.push_back(field("MaxWidth", &TSizeConstraints::MaxWidth));
    c.Props.push_back(field("MinHeight", &TSizeConstraints::MinHeight));
    c.Props.push_back(field("MinWidth", &TSizeConstraints::MinWidth));
    return c;
  }();
  return info;
}

void TSizeConstraints::Assign(const TPersistent& source) {
  const auto* s = dynamic_cast<const TSizeConstraints*>(&source);
  if (s == nullptr) {
    TPersistent::Assign(source);
    return;
  }
  MinWidth = s->MinWidth;
  MinHeight = s->MinHeight;
  MaxWidth = s->MaxWidth;
  MaxHeight = s->MaxHeight;
  if (OnChange) OnChange();
}

void TSizeConstraints::Apply(int& width, int& height) const {
  if (MaxWidth > 0 && width > MaxWidth) width = MaxWidth;
  if (MinWidth > 0 && width < MinWidth) width = MinWidth;
  if (MaxHeight > 0 && height > MaxHeight) height = MaxHeight;
  if (MinHeight > 0 && height < MinHeight) height = MinHeight;
}

// ---- TControl

const TClassInfo& TControl::StaticClass() {
  static const TClassInfo info = [] {
    using namespace rtti;
    TClassInfo c{"TControl", &TComponent::StaticClass(), {}, {}, false};
    c.Props.push_back(
        IntProp("Left", &TControl::Left, &TControl::SetLeft, true));
    c.Props.push_back(IntProp("Top", &TControl::Top, &TControl::SetTop, true));
    c.Props.push_back(
        IntProp("Width", &TControl::Width, &TControl::SetWidth, true));
    c.Props.push_back(
        IntProp("Height", &TControl::Height, &TControl::SetHeight, true));
    c.Props.push_back(
        EnumProp("Align", AlignInfo, &TControl::Align, &TControl::SetAlign));
    c.Props.push_back(SetProp("Anchors", AnchorKindInfo, &TControl::Anchors,
                              &TControl::SetAnchors));
    c.Props.push_back(
        BoolProp("AutoSize", &TControl::AutoSize, &TControl::SetAutoSize));
    c.Props.push_back(ClassProp("Constraints", TSizeConstraints::StaticClass(),
                                static_cast<TSizeConstraints& (TControl::*)()>(
                                    &TControl::Constraints)));
    c.Props.push_back(
        BoolProp("Visible", &TControl::Visible, &TControl::SetVisible));
    return c;
  }();
  return info;
}

TControl::TControl(TComponent* owner)
    : TComponent(owner),
      FConstraints(std::make_unique<TSizeConstraints>()),
      FFont(std::make_unique<TFont>()) {
  FFont->OnChange = [this] { FontChanged(); };
  FConstraints->OnChange = [this] { ConstraintsChanged(); };
}

TControl::TControl(TComponent* owner, int pixelsPerInch)
    : TComponent(owner),
      FConstraints(std::make_unique<TSizeConstraints>()),
      FFont(std::make_unique<TFont>(pixelsPerInch)) {
  FFont->OnChange = [this] { FontChanged(); };
  FConstraints->OnChange = [this] { ConstraintsChanged(); };
}

TControl::~TControl() {
  DestroyComponents();
  if (FParent != nullptr) FParent->RemoveControl(this);
}

void TControl::SetParent(TWinControl* parent) {
  if (FParent == parent) return;
  if (parent == this)
    throw EInvalidOperation("A control cannot be its own parent");
  if (FParent != nullptr) FParent->RemoveControl(this);
  if (parent != nullptr) {
    parent->InsertControl(this);
    // On a parent for another DPI (a form on a monitor of its own DPI) the
    // control takes that DPI: its own font keeps its size in points.
    const int ppi = parent->Font().PixelsPerInch();
    if (FFont->PixelsPerInch() != ppi) {
      const int size = FFont->Size();
      FFont->SetPixelsPerInch(ppi);
      if (!FParentFont) FFont->SetSize(size);
    }
    if (FParentFont) ParentFontChanged();
    if (!ComponentState().Contains(csLoading)) UpdateAnchorRules();
  }
}

void TControl::SetBounds(int left, int top, int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  FConstraints->Apply(width, height);
  if (left == FLeft && top == FTop && width == FWidth && height == FHeight) {
    return;
  }
  bool sized = width != FWidth || height != FHeight;
  FLeft = left;
  FTop = top;
  FWidth = width;
  FHeight = height;
  BoundsChanged();
  // Rules matter only for anchors other than the default; SetAnchors takes
  // them afresh when that changes.
  if (!FAnchoring && FAnchors != (akLeft | akTop) &&
      !ComponentState().Contains(csLoading)) {
    UpdateAnchorRules();
  }
  if (FParent != nullptr && FAlign != TAlign::alNone) FParent->Realign();
  if (sized) Resized();
}

void TControl::LayoutNeedChanged(bool before) {
  if (FParent != nullptr && before != NeedsLayout()) {
    FParent->FLayoutChildren += NeedsLayout() ? 1 : -1;
  }
}

void TControl::SetAlign(TAlign v) {
  if (FAlign == v) return;
  bool before = NeedsLayout();
  FAlign = v;
  LayoutNeedChanged(before);
  if (FParent != nullptr) FParent->Realign();
}

void TControl::SetAnchors(TAnchors v) {
  if (FAnchors == v) return;
  bool before = NeedsLayout();
  FAnchors = v;
  LayoutNeedChanged(before);
  if (!ComponentState().Contains(csLoading)) UpdateAnchorRules();
}

void TControl::ConstraintsChanged() {
  // Stored bounds are kept as the design environment saved them; the limits
  // act from the first change after loading.
  if (ComponentState().Contains(csLoading)) return;
  SetBounds(FLeft, FTop, FWidth, FHeight);
}

void TControl::SetVisible(bool v) {
  if (FVisible == v) return;
  FVisible = v;
  if (FParent != nullptr && FAlign != TAlign::alNone) FParent->Realign();
}

void TControl::SetParentFont(bool v) {
  if (FParentFont == v) return;
  FParentFont = v;
  if (v) ParentFontChanged();
}

void TControl::ParentFontChanged() {
  if (!FParentFont || FParent == nullptr) return;
  FAdoptingFont = true;
  try {
    FFont->Assign(FParent->Font());
  } catch (...) {
    FAdoptingFont = false;
    throw;
  }
  FAdoptingFont = false;
}

void TControl::FontChanged() {
  // A font of its own: the control no longer follows its parent's.
  if (!FAdoptingFont) FParentFont = false;
}

void TControl::SetText(const std::string& v) { FText = v; }

void TControl::Loaded() {
  TComponent::Loaded();
  UpdateAnchorRules();
}

void TControl::UpdateAnchorRules() {
  if (FParent == nullptr) {
    FAnchorRules.Valid = false;
    return;
  }
  TRect r = FParent->DisplayRect();
  FAnchorRules.Valid = true;
  FAnchorRules.Left = FLeft;
  FAnchorRules.Top = FTop;
  FAnchorRules.Width = FWidth;
  FAnchorRules.Height = FHeight;
  FAnchorRules.Right =
      HeldInt(std::int64_t{r.Width()} - (std::int64_t{FLeft} + FWidth));
  FAnchorRules.Bottom =
      HeldInt(std::int64_t{r.Height()} - (std::int64_t{FTop} + FHeight));
  FAnchorRules.ParentWidth = r.Width();
  FAnchorRules.ParentHeight = r.Height();
}

namespace {
// The centre's relative place: MulDiv(centre, parent, was) less half the
// size, rounded as MulDiv does, on the exact values.
std::int64_t centred(int start, int size, int parent, int was) {
  const std::int64_t p = (std::int64_t{start} + size / 2) * parent;
  std::int64_t q = p / was;
  if (2 * std::llabs(p % was) >= was) q += p < 0 ? -1 : 1;
  return q - size / 2;
}
}  // namespace

void TControl::ApplyAnchors(int parentWidth, int parentHeight) {
  const AnchorRules& a = FAnchorRules;
  if (!a.Valid || FAnchors == (akLeft | akTop)) return;
  std::int64_t left = FLeft, top = FTop, width = FWidth, height = FHeight;
  if (FAnchors & akRight) {
    if (FAnchors & akLeft) {
      left = a.Left;
      width = std::int64_t{parentWidth} - a.Left - a.Right;
    } else {
      width = a.Width;
      left = std::int64_t{parentWidth} - a.Right - a.Width;
    }
  } else if (!(FAnchors & akLeft) && a.ParentWidth > 0) {
    // Neither edge: the control keeps its centre's relative place.
    left = centred(a.Left, a.Width, parentWidth, a.ParentWidth);
    width = a.Width;
  }
  if (FAnchors & akBottom) {
    if (FAnchors & akTop) {
      top = a.Top;
      height = std::int64_t{parentHeight} - a.Top - a.Bottom;
    } else {
      height = a.Height;
      top = std::int64_t{parentHeight} - a.Bottom - a.Height;
    }
  } else if (!(FAnchors & akTop) && a.ParentHeight > 0) {
    top = centred(a.Top, a.Height, parentHeight, a.ParentHeight);
    height = a.Height;
  }
  FAnchoring = true;
  try {
    SetBounds(HeldInt(left), HeldInt(top), HeldInt(width), HeldInt(height));
  } catch (...) {
    FAnchoring = false;
    throw;
  }
  FAnchoring = false;
}

// ---- TGraphicControl, TWinControl

const TClassInfo& TGraphicControl::StaticClass() {
  static const TClassInfo info{
      "TGraphicControl", &TControl::StaticClass(), {}, {}, false};
  return info;
}

const TClassInfo& TWinControl::StaticClass() {
  static const TClassInfo info{
      "TWinControl", &TControl::StaticClass(), {}, {}, false};
  return info;
}

const TClassInfo& TCustomControl::StaticClass() {
  static const TClassInfo info{
      "TCustomControl", &TWinControl::StaticClass(), {}, {}, false};
  return info;
}

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::TWinControl(TComponent* owner, int pixelsPerInch)
    : TControl(owner, pixelsPerInch) {}

TWinControl::~TWinControl() {
  DestroyComponents();
  DestroyHandle();
  // A control goes with its parent, whoever owns it (it leaves its owner
  // as it goes).
  while (!FControls.empty()) {
    TControl* c = FControls.back();
    RemoveControl(c);
    delete c;
  }
}

void TWinControl::InsertControl(TControl* c) {
  FControls.push_back(c);
  if (c->NeedsLayout()) ++FLayoutChildren;
  c->FParent = this;
  if (FHandle != nullptr) {
    if (auto* w = dynamic_cast<TWinControl*>(c)) w->HandleNeeded();
  }
  if (c->Align() != TAlign::alNone) Realign();
}

void TWinControl::RemoveControl(TControl* c) {
  auto it = std::find(FControls.rbegin(), FControls.rend(), c);
  if (it == FControls.rend()) return;
  FControls.erase(std::next(it).base());
  if (c->NeedsLayout()) --FLayoutChildren;
  c->FParent = nullptr;
  if (auto* w = dynamic_cast<TWinControl*>(c)) w->DestroyHandle();
  if (c->Align() != TAlign::alNone) Realign();
}

win::DWORD TWinControl::WindowStyle() const {
  win::DWORD style = win::WS_CHILD | win::WS_CLIPSIBLINGS | FClassStyle;
  if (Visible()) style |= win::WS_VISIBLE;
  if (!FSystemClass) style |= win::WS_CLIPCHILDREN;
  return style;
}

win::HWND TWinControl::Handle() {
  if (FHandle == nullptr) {
    // A child's window lives in its parent's: make the parent's first
    // (which makes this one too).
    if (FParent != nullptr) FParent->HandleNeeded();
    if (FHandle == nullptr) CreateWnd();
  }
  return FHandle;
}

void TWinControl::CreateWnd() {
  using namespace win;
  if (!FSystemClass) RegisterWindowClass(FWindowClass, &MainWndProc);
  HWND parent = FParent != nullptr ? FParent->FHandle : nullptr;
  HWND wnd = CreateWindowExW(WindowExStyle(), FWindowClass, Utf8ToUtf16(FText),
                             WindowStyle(), FLeft, FTop, FWidth, FHeight,
                             parent, this);
  if (wnd == nullptr) {
    throw EInvalidOperation("Error creating window for " + Name());
  }
  if (FSystemClass) {
    // System controls keep their class procedure behind the framework's.
    SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    FDefWndProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
        wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MainWndProc)));
  }
  FHandle = wnd;
  SendMessageW(wnd, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), 0);
  WindowCreated();
  CreateChildHandles();
}

TWinControl* TWinControl::ChildOfWindow(win::HWND wnd) const {
  if (wnd == nullptr) return nullptr;
  for (TControl* c : FControls) {
    auto* w = dynamic_cast<TWinControl*>(c);
    if (w != nullptr && w->FHandle == wnd) return w;
  }
  return nullptr;
}

void TWinControl::CreateChildHandles() {
  // Copy: creating a window may run handlers that add controls.
  std::vector<TControl*> children = FControls;
  for (TControl* c : children) {
    if (auto* w = dynamic_cast<TWinControl*>(c)) {
      if (w->FHandle == nullptr) w->CreateWnd();
    }
  }
}

void TWinControl::DestroyHandle() {
  if (FHandle == nullptr) return;
  win::HWND wnd = FHandle;
  if (win::hasWindowSystem()) win::DestroyWindow(wnd);
  FHandle = nullptr;
  // Children's windows went with this one.
  for (TControl* c : FControls) {
    if (auto* w = dynamic_cast<TWinControl*>(c)) w->DestroyHandle();
  }
}

win::LRESULT FLX_CALLBACK TWinControl::MainWndProc(win::HWND wnd, win::UINT msg,
                                                   win::WPARAM wParam,
                                                   win::LPARAM lParam) {
  using namespace win;
  auto* self =
      reinterpret_cast<TWinControl*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
  if (self == nullptr && msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
    self = static_cast<TWinControl*>(cs->lpCreateParams);
    if (self != nullptr) {
      SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
      self->FHandle = wnd;
    }
  }
  if (self == nullptr) return DefWindowProcW(wnd, msg, wParam, lParam);
  // No exception may cross into the window system.
  try {
    LRESULT result = self->WndProc(msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
      SetWindowLongPtrW(wnd, GWLP_USERDATA, 0);
      if (self->FHandle == wnd) self->FHandle = nullptr;
    }
    return result;
  } catch (const std::exception& e) {
    HandleException(e);
  } catch (...) {
    HandleException(Exception("unknown error in a window procedure"));
  }
  return 0;
}

win::LRESULT TWinControl::WndProc(win::UINT msg, win::WPARAM wParam,
                                  win::LPARAM lParam) {
  using namespace win;
  switch (msg) {
    case WM_PAINT:
      return PaintHandler(wParam, lParam);
    case WM_COMMAND:
      // A child's notification goes back to the child that sent it.
      if (TWinControl* c = ChildOfWindow(reinterpret_cast<HWND>(lParam))) {
        c->Notify(HIWORD(wParam));
      }
      break;
    case WM_NOTIFY:
      if (const auto* header = reinterpret_cast<const NMHDR*>(lParam)) {
        if (TWinControl* c = ChildOfWindow(header->hwndFrom)) {
          c->Notify(header->code);
        }
      }
      break;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC: {
      // The system's colours and brush, then the text in the child's font
      // colour.
      const LRESULT brush = DefaultHandler(msg, wParam, lParam);
      if (TWinControl* c = ChildOfWindow(reinterpret_cast<HWND>(lParam))) {
        const COLORREF standard = GetSysColor(COLOR_WINDOWTEXT);
        const COLORREF color = ColorToRGB(c->Font().Color(), standard);
        if (color != standard) {
          SetTextColor(reinterpret_cast<HDC>(wParam), color);
        }
      }
      return brush;
    }
    default:
      break;
  }
  return DefaultHandler(msg, wParam, lParam);
}

win::LRESULT TWinControl::PaintHandler(win::WPARAM wParam, win::LPARAM lParam) {
  using namespace win;
  const bool painted =
      PaintsItself() ||
      std::any_of(FControls.begin(), FControls.end(), [](TControl* c) {
        return c->Visible() && dynamic_cast<TGraphicControl*>(c) != nullptr;
      });
  // Nothing of the framework's own to draw: the window paints as it always
  // did.
  if (!painted) return DefaultHandler(WM_PAINT, wParam, lParam);
  auto paintInto = [&](HDC dc) {
    const LRESULT result =
        DefaultHandler(WM_PAINT, reinterpret_cast<WPARAM>(dc), lParam);
    if (PaintsItself()) PaintWindow(dc);
    PaintControls(dc);
    return result;
  };
  // A DC handed in with the message: paint into it.
  if (wParam != 0) return paintInto(reinterpret_cast<HDC>(wParam));
  PAINTSTRUCT paint{};
  const HDC dc = BeginPaint(FHandle, &paint);
  if (dc == nullptr) return DefaultHandler(WM_PAINT, wParam, lParam);
  LRESULT result = 0;
  try {
    result = paintInto(dc);
  } catch (...) {
    EndPaint(FHandle, &paint);  // the window must not stay mid-paint
    throw;
  }
  EndPaint(FHandle, &paint);
  return result;
}

void TWinControl::PaintControls(win::HDC dc) {
  // Copy: painting may run handlers that change the children.
  const std::vector<TControl*> children = FControls;
  for (TControl* c : children) {
    auto* g = dynamic_cast<TGraphicControl*>(c);
    if (g != nullptr && g->Visible()) g->Paint(dc);
  }
}

win::LRESULT TWinControl::DefaultHandler(win::UINT msg, win::WPARAM wParam,
                                         win::LPARAM lParam) {
  if (FDefWndProc != nullptr) {
    return win::CallWindowProcW(FDefWndProc, FHandle, msg, wParam, lParam);
  }
  return win::DefWindowProcW(FHandle, msg, wParam, lParam);
}

void TWinControl::SetText(const std::string& v) {
  TControl::SetText(v);
  if (FHandle != nullptr) win::SetWindowTextW(FHandle, Utf8ToUtf16(v));
}

void TWinControl::SetVisible(bool v) {
  if (Visible() == v) return;
  TControl::SetVisible(v);
  if (FHandle != nullptr && FParent != nullptr) {
    win::ShowWindow(FHandle, v ? win::SW_SHOWNOACTIVATE : win::SW_HIDE);
  }
}

void TWinControl::Loaded() {
  // The stored bounds are the design environment's own alignment result;
  // children are realigned when this control's size next changes.
  TControl::Loaded();
  // A window made while the form file was still being read (a component
  // placing the form as it reads) gets what the file says now.
  if (FHandle != nullptr) WindowCreated();
}

void TWinControl::ChangePixelsPerInch(int ppi) {
  TControl::ChangePixelsPerInch(ppi);
  for (TControl* c : FControls) c->ChangePixelsPerInch(ppi);
}

void TWinControl::BoundsChanged() {
  if (FHandle != nullptr) {
    win::SetWindowPos(FHandle, nullptr, FLeft, FTop, FWidth, FHeight,
                      win::SWP_NOZORDER | win::SWP_NOACTIVATE);
  }
}

void TWinControl::Resized() { Realign(); }

void TWinControl::FontChanged() {
  TControl::FontChanged();
  if (FHandle != nullptr) {
    win::SendMessageW(FHandle, win::WM_SETFONT,
                      reinterpret_cast<win::WPARAM>(Font().Handle()), 1);
  }
  for (TControl* c : FControls) c->ParentFontChanged();
}

TRect TWinControl::DisplayRect() const {
  return {0, 0, ClientWidth(), ClientHeight()};
}

void TWinControl::Realign() { AlignControls(); }

void TWinControl::AlignControls() {
  if (FLayoutChildren == 0 || FAligning ||
      ComponentState().Contains(csLoading) ||
      ComponentState().Contains(csDestroying)) {
    return;
  }
  FAligning = true;
  try {
    std::vector<TControl*> byAlign[7];
    bool anchored = false;
    for (TControl* c : FControls) {
      if (c->Align() == TAlign::alNone) {
        anchored = anchored || c->Anchors() != (akLeft | akTop);
      } else if (c->Visible()) {
        byAlign[static_cast<int>(c->Align())].push_back(c);
      }
    }
    TRect rect = DisplayRect();
    auto byKey = [](std::vector<TControl*>& v, auto key) {
      std::stable_sort(v.begin(), v.end(), [&](TControl* a, TControl* b) {
        return key(a) < key(b);
      });
    };
    // Edges move wide and saturate: sizes may lie anywhere in the range.
    auto moved = [](int edge, int by) {
      return HeldInt(std::int64_t{edge} + by);
    };
    auto& tops = byAlign[static_cast<int>(TAlign::alTop)];
    byKey(tops, [](TControl* c) { return std::int64_t{c->Top()}; });
    for (TControl* c : tops) {
      c->SetBounds(rect.Left, rect.Top, std::max(rect.Width(), 0), c->Height());
      rect.Top = moved(rect.Top, c->Height());
    }
    auto& bottoms = byAlign[static_cast<int>(TAlign::alBottom)];
    byKey(bottoms,
          [](TControl* c) { return -(std::int64_t{c->Top()} + c->Height()); });
    for (TControl* c : bottoms) {
      c->SetBounds(rect.Left, moved(rect.Bottom, -c->Height()),
                   std::max(rect.Width(), 0), c->Height());
      rect.Bottom = moved(rect.Bottom, -c->Height());
    }
    auto& lefts = byAlign[static_cast<int>(TAlign::alLeft)];
    byKey(lefts, [](TControl* c) { return std::int64_t{c->Left()}; });
    for (TControl* c : lefts) {
      c->SetBounds(rect.Left, rect.Top, c->Width(), std::max(rect.Height(), 0));
      rect.Left = moved(rect.Left, c->Width());
    }
    auto& rights = byAlign[static_cast<int>(TAlign::alRight)];
    byKey(rights,
          [](TControl* c) { return -(std::int64_t{c->Left()} + c->Width()); });
    for (TControl* c : rights) {
      c->SetBounds(moved(rect.Right, -c->Width()), rect.Top, c->Width(),
                   std::max(rect.Height(), 0));
      rect.Right = moved(rect.Right, -c->Width());
    }
    for (TControl* c : byAlign[static_cast<int>(TAlign::alClient)]) {
      c->SetBounds(rect.Left, rect.Top, std::max(rect.Width(), 0),
                   std::max(rect.Height(), 0));
    }
    if (!anchored) {
      FAligning = false;
      return;
    }
    TRect display = DisplayRect();
    std::vector<TControl*> children = FControls;
    for (TControl* c : children) {
      if (c->Align() == TAlign::alNone) {
        c->ApplyAnchors(display.Width(), display.Height());
      }
    }
  } catch (...) {
    FAligning = false;
    throw;
  }
  FAligning = false;
}

}  // namespace flx
