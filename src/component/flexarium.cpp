// The component object: published properties, life cycle, Enabled, the
// unit-global state and registration.
#include "flexarium/flexarium.h"

#include <cstring>
#include <map>

#include "flexarium/forms.h"
#include "flexarium/winapi.h"
#include "framework/rtti_util.h"
#include "unit/unit_private.h"

namespace flx {

TList* InstanceList = nullptr;
win::HHOOK HookHandle = nullptr;
bool JapaneseUI = false;
win::BOOL DwmComposition = 0;
int LastScreenWidth = 0;
int LastScreenHeight = 0;

namespace {

// Components that need the thread hook; the hook goes with the last one.
int HookUsers = 0;

std::map<std::pair<std::string, std::string>, TFormExitResizeHandler>&
exitResizeHandlers() {
  static std::map<std::pair<std::string, std::string>, TFormExitResizeHandler>
      handlers;
  return handlers;
}

// Binds a handler name read from a form file to the handler the owner's
// form class (or an ancestor class) registered under that name.
TExitResizeEvent bindExitResize(TComponent* owner, const std::string& name) {
  TExitResizeEvent event;
  event.Name = name;
  if (owner == nullptr) return event;
  for (const TClassInfo* c = &owner->ClassType(); c != nullptr; c = c->Parent) {
    auto it =
        exitResizeHandlers().find({UpperCase(c->ClassName), UpperCase(name)});
    if (it != exitResizeHandlers().end()) {
      TFormExitResizeHandler handler = it->second;
      event.Code = [handler, owner](TObject* sender, double x, double y) {
        handler(owner, sender, x, y);
      };
      break;
    }
  }
  return event;
}

}  // namespace

const TEnumInfo ResizeFormPosInfo{
    "TResizeFormPos",
    {"rpDefault", "rpTopLeft", "rpTopCenter", "rpTopRight", "rpMiddleLeft",
     "rpMiddleCenter", "rpMiddleRight", "rpBottomLeft", "rpBottomCenter",
     "rpBottomRight"}};

void RegisterExitResizeHandler(const std::string& formClass,
                               const std::string& handlerName,
                               TFormExitResizeHandler handler) {
  exitResizeHandlers()[{UpperCase(formClass), UpperCase(handlerName)}] =
      std::move(handler);
}

const TClassInfo& TFlexarium::StaticClass() {
  static const TClassInfo info = [] {
    using namespace rtti;
    using T = TFlexarium;
    TClassInfo c{
        "TFlexarium",
        &TComponent::StaticClass(),
        {},
        [](TComponent* owner) -> TComponent* { return new TFlexarium(owner); },
        false};
    // None of the first thirteen has a stored default: each is always
    // written. The three after OnExitResize are written only when they
    // differ from their defaults.
    c.Props.push_back(EnumProp("FormPos", ResizeFormPosInfo, &T::FormPos,
                               &T::SetFormPos, true));
    c.Props.push_back(
        IntProp("FormWidth", &T::FormWidth, &T::SetFormWidth, true));
    c.Props.push_back(
        IntProp("FormHeight", &T::FormHeight, &T::SetFormHeight, true));
    c.Props.push_back(
        IntProp("FormMaxWidth", &T::FormMaxWidth, &T::SetFormMaxWidth, true));
    c.Props.push_back(IntProp("FormMaxHeight", &T::FormMaxHeight,
                              &T::SetFormMaxHeight, true));
    c.Props.push_back(
        IntProp("FormMinWidth", &T::FormMinWidth, &T::SetFormMinWidth, true));
    c.Props.push_back(IntProp("FormMinHeight", &T::FormMinHeight,
                              &T::SetFormMinHeight, true));
    c.Props.push_back(
        BoolProp("ResizeFont", &T::ResizeFont, &T::SetResizeFont, true));
    c.Props.push_back(StrProp<T>("NoResizeFntCtl", &T::NoResizeFntCtl,
                                 &T::SetNoResizeFntCtl));
    c.Props.push_back(
        StrProp<T>("NoResizeCtl", &T::NoResizeCtl, &T::SetNoResizeCtl));
    c.Props.push_back(BoolProp("Enabled", &T::Enabled, &T::SetEnabled, true));
    c.Props.push_back(
        BoolProp("ValidTaskbar", &T::ValidTaskbar, &T::SetValidTaskbar, true));
    TPropInfo event;
    event.Name = "OnExitResize";
    event.Kind = TTypeKind::Method;
    event.Get = [](const TPersistent& o) {
      return FormValue::Identifier(
          TFlexarium::Impl::Of(static_cast<const TFlexarium&>(o))
              .FOnExitResize.Name);
    };
    event.Set = [](TPersistent& o, const FormValue& v) {
      if (v.kind != FormValue::Kind::Ident) {
        throw EConvertError("an event handler name is expected");
      }
      auto& self = TFlexarium::Impl::Of(static_cast<TFlexarium&>(o));
      self.FOnExitResize = bindExitResize(self.Owner(), v.text);
    };
    event.Stored = [](const TPersistent& o) {
      return !TFlexarium::Impl::Of(static_cast<const TFlexarium&>(o))
                  .FOnExitResize.Name.empty();
    };
    c.Props.push_back(std::move(event));
    c.Props.push_back(
        BoolProp("ResizeColumns", &T::ResizeColumns, &T::SetResizeColumns));
    c.Props.push_back(
        IntProp("MinFontSize", &T::MinFontSize, &T::SetMinFontSize));
    c.Props.push_back(
        BoolProp("KeepAspect", &T::KeepAspect, &T::SetKeepAspect));
    return c;
  }();
  return info;
}

TFlexarium::TFlexarium(TComponent* AOwner)
    : TComponent(AOwner), FImpl(std::make_unique<Impl>(*this)) {}

TFlexarium::~TFlexarium() = default;

TFlexarium::Impl::Impl(TFlexarium& Component) : Self(Component) {
  FFormPos = rpDefault;
  FFormWidth = FFormHeight = 0;
  FFormMaxWidth = FFormMaxHeight = 0;
  FFormMinWidth = FFormMinHeight = 0;
  FResizeFont = true;
  FEnabled = true;
  FValidTaskbar = true;
  FDesignFrmW = FDesignFrmH = FDesignDpiW = FDesignDpiH = 0;
  if (ComponentState().Contains(csDesigning)) return;
  JapaneseUI = CheckJapan();
  FIsResized = false;
  FAddCnt = 0;
  FCtlCnt = 0;
  FPrevScaleX = FPrevScaleY = FPrevScaleF = 1.0;
  FCtrls = std::make_unique<TList>();
  FNoResizeFntCtls = std::make_unique<TStringList>();
  SetNoResizeFntCtls();
  FNoResizeCtls = std::make_unique<TStringList>();
  SetNoResizeCtls();
  lpPrevWndProc = nullptr;
  FChildCtrls = std::make_unique<TList>();
  FChildCtlCnt = 0;
  if (Win32MajorVersion() == 4) AcquireHook();
}

TFlexarium::Impl::~Impl() {
  if (!ComponentState().Contains(csDesigning)) {
    ClearCtrls();
    FCtrls.reset();
    FOwnerFont.reset();
    FNoResizeFntCtls.reset();
    FNoResizeCtls.reset();
    if (FSelfPointer != nullptr && InstanceList != nullptr) {
      InstanceList->Remove(FSelfPointer);
      // Another component on the form serves it from here on; the form may
      // have changed DPI while this one served it.
      const TComponent* owner = Owner();
      TFlexarium::Impl* next = unit::FindInstance(FOwnerHandle);
      if (next != nullptr && owner != nullptr &&
          !owner->ComponentState().Contains(csDestroying)) {
        // Nothing may leave a destructor: errors go to the application.
        try {
          next->CatchUpDpi();
        } catch (const std::exception& e) {
          HandleException(e);
        }
      }
    }
    FChildCtrls.reset();
  }
  // The form keeps working after this: FormWndProc hands its messages to
  // the form's own procedure when it finds no component for the window.
  ReleaseHook();
}

// ---- The published interface, served by the engine object

TResizeFormPos TFlexarium::FormPos() const { return FImpl->FFormPos; }
void TFlexarium::SetFormPos(TResizeFormPos Value) { FImpl->SetFormPos(Value); }
int TFlexarium::FormWidth() const { return FImpl->FFormWidth; }
void TFlexarium::SetFormWidth(int Value) { FImpl->SetFormWidth(Value); }
int TFlexarium::FormHeight() const { return FImpl->FFormHeight; }
void TFlexarium::SetFormHeight(int Value) { FImpl->SetFormHeight(Value); }
int TFlexarium::FormMaxWidth() const { return FImpl->FFormMaxWidth; }
void TFlexarium::SetFormMaxWidth(int Value) { FImpl->SetFormMaxWidth(Value); }
int TFlexarium::FormMaxHeight() const { return FImpl->FFormMaxHeight; }
void TFlexarium::SetFormMaxHeight(int Value) { FImpl->SetFormMaxHeight(Value); }
int TFlexarium::FormMinWidth() const { return FImpl->FFormMinWidth; }
void TFlexarium::SetFormMinWidth(int Value) { FImpl->SetFormMinWidth(Value); }
int TFlexarium::FormMinHeight() const { return FImpl->FFormMinHeight; }
void TFlexarium::SetFormMinHeight(int Value) { FImpl->SetFormMinHeight(Value); }
bool TFlexarium::ResizeFont() const { return FImpl->FResizeFont; }
void TFlexarium::SetResizeFont(bool Value) { FImpl->SetResizeFont(Value); }
const std::string& TFlexarium::NoResizeFntCtl() const {
  return FImpl->FNoResizeFntCtl;
}
void TFlexarium::SetNoResizeFntCtl(const std::string& Value) {
  FImpl->SetNoResizeFntCtl(Value);
}
const std::string& TFlexarium::NoResizeCtl() const {
  return FImpl->FNoResizeCtl;
}
void TFlexarium::SetNoResizeCtl(const std::string& Value) {
  FImpl->SetNoResizeCtl(Value);
}
bool TFlexarium::Enabled() const { return FImpl->FEnabled; }
void TFlexarium::SetEnabled(bool Value) { FImpl->SetEnabled(Value); }
bool TFlexarium::ValidTaskbar() const { return FImpl->FValidTaskbar; }
void TFlexarium::SetValidTaskbar(bool Value) { FImpl->SetValidTaskbar(Value); }
const TExitResizeEvent& TFlexarium::OnExitResize() const {
  return FImpl->FOnExitResize;
}
void TFlexarium::SetOnExitResize(TExitResizeEvent Value) {
  FImpl->FOnExitResize = std::move(Value);
}
bool TFlexarium::ResizeColumns() const { return FImpl->FResizeColumns; }
void TFlexarium::SetResizeColumns(bool Value) { FImpl->FResizeColumns = Value; }
int TFlexarium::MinFontSize() const { return FImpl->FMinFontSize; }
void TFlexarium::SetMinFontSize(int Value) { FImpl->SetMinFontSize(Value); }
bool TFlexarium::KeepAspect() const { return FImpl->FKeepAspect; }
void TFlexarium::SetKeepAspect(bool Value) { FImpl->FKeepAspect = Value; }

void TFlexarium::DynamicAdd() { FImpl->DynamicAdd(); }
void TFlexarium::DynamicDelete() { FImpl->DynamicDelete(); }
win::HWND TFlexarium::OwnerHandle() const { return FImpl->FOwnerHandle; }

void TFlexarium::DefineProperties(TFiler& Filer) {
  TComponent::DefineProperties(Filer);
  FImpl->DefineProperties(Filer);
}
void TFlexarium::Loaded() {
  TComponent::Loaded();
  FImpl->Loaded();
}
void TFlexarium::Start() { FImpl->Start(); }
void TFlexarium::SetDesignMetrics(int ClientWidth, int ClientHeight, int DpiW,
                                  int DpiH) {
  FImpl->SetDesignMetrics(ClientWidth, ClientHeight, DpiW, DpiH);
}
bool TFlexarium::UnscaledClientSize(int& Width, int& Height) const {
  return FImpl->UnscaledClientSize(Width, Height);
}
int TFlexarium::StartupDpi() const { return FImpl->StartupDpi(); }
int TFlexarium::CurrentDpi() const { return FImpl->FRunDpiH; }

// ---- Construction, Enabled and the hook

void TFlexarium::Impl::AcquireHook() {
  if (FHoldsHook) return;
  FHoldsHook = true;
  ++HookUsers;
  if (HookHandle == nullptr) {
    HookHandle = win::SetWindowsHookExW(win::WH_CALLWNDPROC, &CallWndHookProc,
                                        nullptr, win::GetCurrentThreadId());
  }
}

void TFlexarium::Impl::ReleaseHook() {
  if (!FHoldsHook) return;
  FHoldsHook = false;
  if (--HookUsers > 0) return;
  HookUsers = 0;
  if (HookHandle != nullptr && win::hasWindowSystem()) {
    win::UnhookWindowsHookEx(HookHandle);
  }
  HookHandle = nullptr;
}

TWinControl* TFlexarium::Impl::OwnerForm() const {
  return dynamic_cast<TWinControl*>(Owner());
}

void TFlexarium::Impl::RefreshOwnerHandle() {
  if (TWinControl* form = OwnerForm()) {
    win::HWND wnd = form->Handle();
    if (wnd != FOwnerHandle) FOwnerHandle = wnd;
  }
}

void TFlexarium::Impl::InstallWndProc() {
  TWinControl* form = OwnerForm();
  if (form == nullptr) return;
  win::HWND wnd = form->Handle();
  auto previous = reinterpret_cast<win::WNDPROC>(win::SetWindowLongPtrW(
      wnd, win::GWLP_WNDPROC, reinterpret_cast<win::LONG_PTR>(&FormWndProc)));
  lpPrevWndProc = previous;
  // Keep the procedure FormWndProc stands in front of, so the form's
  // messages still reach it when no component serves the window.
  if (previous != nullptr && previous != &FormWndProc) {
    win::SetPropW(wnd, unit::kPrevProcProp,
                  reinterpret_cast<win::HANDLE>(previous));
  }
}

void TFlexarium::Impl::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  if (ComponentState().Contains(csDesigning)) return;
  if (Win32MajorVersion() == 4) {
    if (Value) {
      AcquireHook();
      // The form's window may have been made anew while this component was
      // off, also while another component kept the hook.
      RefreshOwnerHandle();
    } else {
      ReleaseHook();
    }
    return;
  }
  TWinControl* form = OwnerForm();
  if (lpPrevWndProc != nullptr) {
    if (!Value && form != nullptr) {
      win::SetWindowLongPtrW(form->Handle(), win::GWLP_WNDPROC,
                             reinterpret_cast<win::LONG_PTR>(lpPrevWndProc));
      lpPrevWndProc = nullptr;
    }
  } else if (Value) {
    InstallWndProc();
    RefreshOwnerHandle();
    CatchUpDpi();
  }
}

void TFlexarium::Impl::CatchUpDpi() {
  auto* f = dynamic_cast<TCustomForm*>(OwnerForm());
  if (FDpi != nullptr && f != nullptr && f->CurrentPPI() > 0 &&
      (f->CurrentPPI() != FRunDpiW || f->CurrentPPI() != FRunDpiH)) {
    DeriveForDpi(f->CurrentPPI(), f->CurrentPPI());
  }
}

void TFlexarium::Impl::SetResizeFont(bool Value) {
  if (Value != FResizeFont) FResizeFont = Value;
}

void TFlexarium::Impl::SetValidTaskbar(bool Value) {
  if (Value != FValidTaskbar) FValidTaskbar = Value;
}

bool TFlexarium::CheckJapan() {
  char buffer[16];
  std::memset(buffer, 0, sizeof buffer);
  win::GetLocaleInfoA(win::LOCALE_USER_DEFAULT, win::LOCALE_SABBREVLANGNAME,
                      buffer, static_cast<int>(sizeof buffer));
  buffer[3] = 0;  // the first three characters are the language
  std::string name = AnsiUpperCase(buffer);
  return win::lstrcmpA(name.c_str(), "JPN") == 0;
}

// ---- Unit start and stop, registration

void FlexariumInitialization() {
  delete InstanceList;
  InstanceList = new TList();
  DwmComposition = 0;
  LastScreenWidth = LastScreenHeight = 0;
  RegisterClass(TFlexarium::StaticClass());
  // The desktop window manager exists from Windows 6.0 on; below that its
  // library is never bound.
  if (CheckWin32Version(6, 0)) win::DwmIsCompositionEnabled(&DwmComposition);
}

void FlexariumFinalization() {
  delete InstanceList;
  InstanceList = nullptr;
}

bool FlexariumInitialized() { return InstanceList != nullptr; }

void Register() { RegisterComponents("LxCtrl", {&TFlexarium::StaticClass()}); }

namespace unit {

TFlexarium::Impl* FindInstance(win::HWND wnd) {
  if (InstanceList == nullptr || wnd == nullptr) return nullptr;
  for (int i = 0; i < InstanceList->Count(); ++i) {
    auto* field = static_cast<TComponent**>(InstanceList->Items(i));
    if (field == nullptr || *field == nullptr) continue;
    auto* component = dynamic_cast<TFlexarium*>(*field);
    if (component != nullptr && component->OwnerHandle() == wnd) {
      return &TFlexarium::Impl::Of(*component);
    }
  }
  return nullptr;
}

}  // namespace unit

}  // namespace flx
