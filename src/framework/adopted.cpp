// Windows made by other code in the framework model: the fonts shared by
// adopted windows, a control around a child window and a form around a
// top-level one, each with the window procedure it puts in front and gives
// back.
#include "flexarium/adopted.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <utility>

#include "flexarium/winapi.h"
#include "framework/std_classes.h"

namespace flx {

using namespace win;

namespace {

// Window properties of an adopted window. While adopted: the framework
// object serving it, which keeps the procedure the adoption replaced, so
// that a message costs one look-up (a property is a round trip to the
// window server on some systems, Wine's). A procedure of ours that other
// code installed a procedure over cannot leave the chain: once its object
// is gone it stays as a pass-through, with the procedure it calls in a
// property of its own.
constexpr char16_t kControlProp[] = u"FlexariumAdopted";
constexpr char16_t kPassThroughProp[] = u"FlexariumAdoptedProc";

WNDPROC passThroughOf(HWND wnd) {
  return reinterpret_cast<WNDPROC>(GetPropW(wnd, kPassThroughProp));
}

LRESULT passOn(WNDPROC prev, HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return prev != nullptr ? CallWindowProcW(prev, wnd, msg, wParam, lParam)
                         : DefWindowProcW(wnd, msg, wParam, lParam);
}

// Makes `object` serve the window through `proc`, and returns the procedure
// its messages go on to. A pass-through of ours already in the chain (left
// by an earlier adoption, under a procedure installed later) serves it: a
// second `proc` in front would find the object and call itself. A window
// with its class's procedure in front has no procedure of ours in its
// chain (`chained` false), which saves asking.
WNDPROC subclass(HWND wnd, WNDPROC proc, void* object, bool chained = true) {
  SetPropW(wnd, kControlProp, object);
  if (const WNDPROC kept = chained ? passThroughOf(wnd) : nullptr) {
    RemovePropW(wnd, kPassThroughProp);
    return kept;
  }
  return reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc)));
}

// Takes the procedure out again when one of `procs` (ours) is still in
// front; otherwise it stays, as a pass-through to `previous`, until the
// window goes.
void unsubclass(HWND wnd, std::initializer_list<WNDPROC> procs,
                WNDPROC previous) {
  RemovePropW(wnd, kControlProp);
  const LONG_PTR front = GetWindowLongPtrW(wnd, GWLP_WNDPROC);
  if (std::none_of(procs.begin(), procs.end(), [&](WNDPROC p) {
        return front == reinterpret_cast<LONG_PTR>(p);
      })) {
    SetPropW(wnd, kPassThroughProp, reinterpret_cast<HANDLE>(previous));
    return;
  }
  SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
}

// The procedure a window of this class starts with, 0 where the window
// system does not say.
LONG_PTR classProcOf(HWND wnd) { return GetClassLongPtrW(wnd, GCLP_WNDPROC); }

// Runs `f`, handing what it throws to the application's handler: nothing
// may unwind through a window procedure into the window system.
template <class F>
void guarded(F&& f) {
  try {
    f();
  } catch (const std::exception& e) {
    HandleException(e);
  } catch (...) {
    HandleException(Exception("unknown error in an adopted window"));
  }
}

// The window's last message: the adoption's properties go with it.
void forgetWindow(HWND wnd) {
  RemovePropW(wnd, kControlProp);
  RemovePropW(wnd, kPassThroughProp);
}

TAdoptedControl* adoptedControlOf(HWND wnd) {
  return static_cast<TAdoptedControl*>(GetPropW(wnd, kControlProp));
}

}  // namespace

bool AdoptsChildrenOf(std::u16string_view className) {
  const SystemClass* system = FindSystemClass(className);
  return system == nullptr || !system->ownChildren;
}

// ---- TAdoptedFonts

TAdoptedFonts::~TAdoptedFonts() {
  if (!hasWindowSystem()) return;
  for (const Entry& e : FEntries) DeleteObject(e.Handle);
}

HFONT TAdoptedFonts::Acquire(const LOGFONTW& font) {
  for (Entry& e : FEntries) {
    if (std::memcmp(&e.Font, &font, sizeof font) == 0) {
      ++e.Users;
      return e.Handle;
    }
  }
  const HFONT handle = CreateFontIndirectW(&font);
  if (handle == nullptr) return nullptr;
  FEntries.push_back(Entry{font, handle, 1});
  return handle;
}

void TAdoptedFonts::Release(HFONT font) {
  auto it = std::find_if(FEntries.begin(), FEntries.end(),
                         [&](const Entry& e) { return e.Handle == font; });
  if (it == FEntries.end() || --it->Users > 0) return;
  DeleteObject(it->Handle);
  FEntries.erase(it);
}

// ---- TAdoptedControl

const TClassInfo& TAdoptedControl::StaticClass() {
  // Its font is published, as a standard control's: the component scales
  // the fonts of the controls that publish one.
  static const TClassInfo info = [] {
    TClassInfo c{"TAdoptedControl", &TWinControl::StaticClass(), {}, {}, false};
    c.Props.push_back(std_classes::FontPropInfo());
    c.Props.push_back(std_classes::ParentFontPropInfo());
    return c;
  }();
  return info;
}

TAdoptedControl::TAdoptedControl(TComponent* owner) : TWinControl(owner) {}

TAdoptedControl::TAdoptedControl(TComponent* owner, int pixelsPerInch)
    : TWinControl(owner, pixelsPerInch) {}

TAdoptedControl::~TAdoptedControl() { Release(); }

void TAdoptedControl::Adopt(HWND wnd, TAdoptedFonts& fonts, int ppi) {
  FFonts = &fonts;
  FClassName = GetClassNameW(wnd);
  // A child's normal position is in its parent's client coordinates.
  WINDOWPLACEMENT wp{};
  wp.length = sizeof wp;
  if (GetWindowPlacement(wnd, &wp)) {
    const RECT& r = wp.rcNormalPosition;
    FLeft = r.left;
    FTop = r.top;
    FWidth = HeldInt(std::int64_t{r.right} - r.left);
    FHeight = HeldInt(std::int64_t{r.bottom} - r.top);
  }
  FOriginalFont = reinterpret_cast<HFONT>(SendMessageW(wnd, WM_GETFONT, 0, 0));
  FShownFont = FOriginalFont;
  LOGFONTW lf{};
  // A window that was given no font draws with the System font.
  if (FOriginalFont == nullptr ||
      GetObjectW(FOriginalFont, sizeof lf, &lf) == 0) {
    lf = LOGFONTW{};
    if (GetObjectW(GetStockObject(SYSTEM_FONT), sizeof lf, &lf) == 0) {
      lf.lfHeight = 16;
      lf.lfWeight = FW_BOLD;
    }
  }
  FBaseFont = lf;
  SetParentFont(false);
  FAdopting = true;
  try {
    TFont& f = Font();
    f.SetPixelsPerInch(ppi);
    const auto* face = lf.lfFaceName;
    f.SetName(Utf16ToUtf8(
        std::u16string_view(face, std::find(face, face + 32, u'\0') - face)));
    TFontStyles style = 0;
    if (lf.lfWeight >= FW_BOLD) style |= fsBold;
    if (lf.lfItalic) style |= fsItalic;
    if (lf.lfUnderline) style |= fsUnderline;
    if (lf.lfStrikeOut) style |= fsStrikeOut;
    f.SetStyle(style);
    f.SetCharset(TIdentInt{lf.lfCharSet, ""});
    f.SetHeight(lf.lfHeight);
  } catch (...) {
    FAdopting = false;
    throw;
  }
  FAdopting = false;
  FHandle = wnd;
  // A window that still has its class's procedure (a dialog's controls,
  // as a rule) gets the procedure that passes its messages on to that one
  // without looking the object up: a look-up is a round trip to the window
  // server under Wine, and a pass sends each control a dozen messages.
  const LONG_PTR classProc = classProcOf(wnd);
  const bool classDefault =
      classProc != 0 && GetWindowLongPtrW(wnd, GWLP_WNDPROC) == classProc;
  FPrevious = classDefault ? subclass(wnd, &ClassDefaultWndProc, this, false)
                           : subclass(wnd, &AdoptedWndProc, this);
  FSubclassed = true;
}

LONG_PTR TAdoptedControl::ControlId() const {
  return FHandle != nullptr ? GetWindowLongPtrW(FHandle, GWLP_ID) : 0;
}

void TAdoptedControl::CreateWnd() {
  throw EInvalidOperation("No window to make for " + Name() +
                          ": its window was made by other code and is gone");
}

void TAdoptedControl::ShowFont(HFONT font, bool pooled) {
  const HFONT was = FShownFont;
  const bool wasPooled = FShownPooled;
  FShownFont = font;
  FShownPooled = pooled;
  // While the form's drawing is held nothing of it can be drawn, and
  // whoever releases it repaints the whole (a pass does): a control told
  // to redraw would only do the work of asking for it.
  const auto* form = dynamic_cast<const TAdoptedForm*>(Owner());
  const BOOL redraw = form == nullptr || !form->RedrawHeld();
  SendMessageW(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw);
  // The window lets go of the old font only once it shows the new one.
  if (wasPooled && FFonts != nullptr) FFonts->Release(was);
}

void TAdoptedControl::FontChanged() {
  TControl::FontChanged();
  if (FAdopting || FHandle == nullptr || FFonts == nullptr) return;
  if (Font().Height() == FBaseFont.lfHeight) {
    if (FShownFont != FOriginalFont || FShownPooled) {
      ShowFont(FOriginalFont, false);
    }
    return;
  }
  LOGFONTW lf = FBaseFont;
  lf.lfHeight = Font().Height();
  const HFONT font = FFonts->Acquire(lf);
  if (font == nullptr) return;  // the window keeps what it shows
  if (font == FShownFont && FShownPooled) {
    FFonts->Release(font);
    return;
  }
  ShowFont(font, true);
}

void TAdoptedControl::WindowDestroyed() {
  FGone = true;
  FHandle = nullptr;
  FSubclassed = false;
  // The window went with the font it showed.
  if (FShownPooled && FFonts != nullptr) FFonts->Release(FShownFont);
  FShownPooled = false;
  FShownFont = nullptr;
  if (OnWindowGone) OnWindowGone();
}

void TAdoptedControl::WindowDestroying() {
  Release();
  FGone = true;
  if (OnWindowGone) OnWindowGone();
}

void TAdoptedControl::Release() {
  if (FHandle == nullptr) return;
  const HWND wnd = FHandle;
  if (hasWindowSystem() && IsWindow(wnd)) {
    if (FShownFont != FOriginalFont || FShownPooled) {
      ShowFont(FOriginalFont, false);
    }
    if (FSubclassed) {
      unsubclass(wnd, {&AdoptedWndProc, &ClassDefaultWndProc}, FPrevious);
    }
  }
  FSubclassed = false;
  FHandle = nullptr;
  if (FShownPooled && FFonts != nullptr) FFonts->Release(FShownFont);
  FShownPooled = false;
}

bool TAdoptedControl::HasColumns() const {
  return SameAsciiText(FClassName, u"SysListView32") ||
         SameAsciiText(FClassName, u"SysHeader32");
}

std::vector<int> TAdoptedControl::ColumnWidths() const {
  std::vector<int> widths;
  if (FHandle == nullptr) return widths;
  // More columns than any list has: a window that answers every index
  // must not keep the loop going.
  constexpr int kMaxColumns = 4096;
  if (SameAsciiText(FClassName, u"SysHeader32")) {
    const auto n = SendMessageW(FHandle, HDM_GETITEMCOUNT, 0, 0);
    for (LRESULT i = 0; i < n && i < kMaxColumns; ++i) {
      HDITEMW item{};
      item.mask = HDI_WIDTH;
      if (!SendMessageW(FHandle, HDM_GETITEMW, static_cast<WPARAM>(i),
                        reinterpret_cast<LPARAM>(&item))) {
        break;
      }
      widths.push_back(item.cxy);
    }
  } else if (SameAsciiText(FClassName, u"SysListView32")) {
    for (int i = 0; i < kMaxColumns; ++i) {
      LVCOLUMNW column{};
      column.mask = LVCF_WIDTH;
      if (!SendMessageW(FHandle, LVM_GETCOLUMNW, static_cast<WPARAM>(i),
                        reinterpret_cast<LPARAM>(&column))) {
        break;
      }
      widths.push_back(column.cx);
    }
  }
  return widths;
}

void TAdoptedControl::SetColumnWidths(const std::vector<int>& widths) {
  if (FHandle == nullptr) return;
  const std::vector<int> now = ColumnWidths();
  const bool header = SameAsciiText(FClassName, u"SysHeader32");
  for (std::size_t i = 0; i < widths.size() && i < now.size(); ++i) {
    if (widths[i] == now[i]) continue;
    if (header) {
      HDITEMW item{};
      item.mask = HDI_WIDTH;
      item.cxy = widths[i];
      SendMessageW(FHandle, HDM_SETITEMW, i, reinterpret_cast<LPARAM>(&item));
    } else {
      SendMessageW(FHandle, LVM_SETCOLUMNWIDTH, i,
                   static_cast<LPARAM>(widths[i]));
    }
  }
}

LRESULT FLX_CALLBACK TAdoptedControl::AdoptedWndProc(HWND wnd, UINT msg,
                                                     WPARAM wParam,
                                                     LPARAM lParam) {
  // One look-up a message: the object, which keeps the procedure it
  // replaced, or the procedure a pass-through calls.
  const auto* adopted =
      static_cast<const TAdoptedControl*>(GetPropW(wnd, kControlProp));
  const WNDPROC previous =
      adopted != nullptr ? adopted->FPrevious : passThroughOf(wnd);
  const LRESULT result = passOn(previous, wnd, msg, wParam, lParam);
  if (msg != WM_PARENTNOTIFY && msg != WM_NCDESTROY) return result;
  AfterMessage(wnd, msg, wParam, lParam);
  return result;
}

LRESULT FLX_CALLBACK TAdoptedControl::ClassDefaultWndProc(HWND wnd, UINT msg,
                                                          WPARAM wParam,
                                                          LPARAM lParam) {
  // Installed only over the class's own procedure, which is therefore the
  // one replaced, for the adoption and for a pass-through left behind
  // alike: no look-up but for the two messages the control acts on.
  const auto previous = reinterpret_cast<WNDPROC>(classProcOf(wnd));
  const LRESULT result = passOn(previous, wnd, msg, wParam, lParam);
  if (msg != WM_PARENTNOTIFY && msg != WM_NCDESTROY) return result;
  AfterMessage(wnd, msg, wParam, lParam);
  return result;
}

void TAdoptedControl::AfterMessage(HWND wnd, UINT msg, WPARAM wParam,
                                   LPARAM lParam) {
  // Looked up after the message: handling it may have released the
  // control, or freed it.
  if (TAdoptedControl* self = adoptedControlOf(wnd)) {
    guarded([&] {
      if (msg == WM_PARENTNOTIFY) {
        const HWND child = reinterpret_cast<HWND>(lParam);
        if (LOWORD(wParam) == WM_CREATE && self->OnChildCreated) {
          self->OnChildCreated(child);
        } else if (LOWORD(wParam) == WM_DESTROY) {
          if (TAdoptedControl* c = adoptedControlOf(child)) {
            c->WindowDestroying();
          }
        }
      } else if (msg == WM_NCDESTROY) {
        self->WindowDestroyed();
      }
    });
  }
  if (msg == WM_NCDESTROY) forgetWindow(wnd);
}

// ---- TAdoptedForm

const TClassInfo& TAdoptedForm::StaticClass() {
  static const TClassInfo info{
      "TAdoptedForm", &TCustomForm::StaticClass(), {}, {}, false};
  return info;
}

TAdoptedForm::TAdoptedForm(TComponent* owner) : TCustomForm(owner) {}

TAdoptedForm::~TAdoptedForm() {
  // The controls give their windows back before anything may destroy one.
  for (int i = 0; i < ComponentCount(); ++i) {
    if (auto* c = dynamic_cast<TAdoptedControl*>(Components(i))) c->Release();
  }
  Release();
}

void TAdoptedForm::Adopt(HWND wnd) {
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(wnd, GWL_STYLE));
  const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(wnd, GWL_EXSTYLE));
  TFormBorderStyle border = TFormBorderStyle::bsSingle;
  const bool sizing = (style & WS_THICKFRAME) != 0;
  constexpr DWORD kDsModalFrame = 0x80;
  if (exStyle & WS_EX_TOOLWINDOW) {
    border = sizing ? TFormBorderStyle::bsSizeToolWin
                    : TFormBorderStyle::bsToolWindow;
  } else if (sizing) {
    border = TFormBorderStyle::bsSizeable;
  } else if ((style & WS_CAPTION) == 0) {
    border = TFormBorderStyle::bsNone;
  } else if ((exStyle & WS_EX_DLGMODALFRAME) || (style & kDsModalFrame)) {
    border = TFormBorderStyle::bsDialog;
  }
  SetBorderStyle(border);
  FHandle = wnd;
  FWindowState = IsZoomed(wnd)   ? TWindowState::wsMaximized
                 : IsIconic(wnd) ? TWindowState::wsMinimized
                                 : TWindowState::wsNormal;
  // Per-monitor aware: the window may be at another DPI than the system's.
  if (Win32MajorVersion() >= 10) {
    const int dpi = static_cast<int>(GetDpiForWindow(wnd));
    if (dpi > 0 && dpi != static_cast<int>(GetDpiForSystem())) {
      SetCurrentPPI(dpi);
    }
  }
  UpdateBoundsFromWindow();
}

win::DWORD TAdoptedForm::WindowStyle() const {
  if (FHandle == nullptr) return TCustomForm::WindowStyle();
  return static_cast<DWORD>(GetWindowLongPtrW(FHandle, GWL_STYLE)) &
         ~(WS_MAXIMIZE | WS_MINIMIZE);
}

win::DWORD TAdoptedForm::WindowExStyle() const {
  if (FHandle == nullptr) return TCustomForm::WindowExStyle();
  return static_cast<DWORD>(GetWindowLongPtrW(FHandle, GWL_EXSTYLE));
}

void TAdoptedForm::CreateWnd() {
  throw EInvalidOperation("No window to make for " + Name() +
                          ": its window was made by other code and is gone");
}

void TAdoptedForm::FontChanged() {
  // The window's own font is the program's: the controls show theirs.
  TControl::FontChanged();
}

bool TAdoptedForm::HoldsPassThrough(HWND wnd) {
  return passThroughOf(wnd) != nullptr;
}

void TAdoptedForm::Subclass() {
  if (FHandle == nullptr || FSubclassed) return;
  FPrevious = subclass(FHandle, &AdoptedFormProc, this);
  FSubclassed = true;
}

void TAdoptedForm::Unsubclass() {
  if (!FSubclassed) return;
  FSubclassed = false;
  if (FHandle != nullptr && hasWindowSystem() && IsWindow(FHandle)) {
    unsubclass(FHandle, {&AdoptedFormProc}, FPrevious);
  }
}

void TAdoptedForm::Release() {
  Unsubclass();
  FHandle = nullptr;
}

void TAdoptedForm::AfterMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SIZE:
    case WM_MOVE:
    case WM_WINDOWPOSCHANGED:
    case WM_DPICHANGED:
      FollowWindow(msg, wParam);
      break;
    case WM_PARENTNOTIFY: {
      const HWND child = reinterpret_cast<HWND>(lParam);
      if (LOWORD(wParam) == WM_CREATE && OnChildCreated) {
        OnChildCreated(child);
      } else if (LOWORD(wParam) == WM_DESTROY) {
        if (TAdoptedControl* c = adoptedControlOf(child)) {
          c->WindowDestroying();
        }
      }
      break;
    }
    case WM_SETREDRAW:
      FRedrawHeld = wParam == 0;
      break;
    case WM_DESTROY:
      if (OnWindowDestroy) OnWindowDestroy();
      break;
    case WM_NCDESTROY:
      FSubclassed = false;
      FHandle = nullptr;
      break;
    default:
      break;
  }
}

LRESULT FLX_CALLBACK TAdoptedForm::AdoptedFormProc(HWND wnd, UINT msg,
                                                   WPARAM wParam,
                                                   LPARAM lParam) {
  auto* self = static_cast<TAdoptedForm*>(GetPropW(wnd, kControlProp));
  if (self == nullptr) {
    // Left as a pass-through after the adoption ended.
    const LRESULT result = passOn(passThroughOf(wnd), wnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) forgetWindow(wnd);
    return result;
  }
  // The form outlives every message in progress: OnIdle, the only place
  // that may free it, runs when the outermost one is done.
  LRESULT result = 0;
  guarded([&] {
    if (self->FDepth == 0 && self->OnEnter) {
      ++self->FDepth;
      self->OnEnter();
    } else {
      ++self->FDepth;
    }
    result = passOn(self->FPrevious, wnd, msg, wParam, lParam);
    if (self->FHandle == wnd) self->AfterMessage(msg, wParam, lParam);
  });
  if (msg == WM_NCDESTROY) forgetWindow(wnd);
  if (--self->FDepth == 0) {
    // A copy: the call may free the form and its members with it.
    const std::function<void()> idle = self->OnIdle;
    if (idle) guarded(idle);
  }
  return result;
}

}  // namespace flx
