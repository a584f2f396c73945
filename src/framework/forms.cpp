#include "flexarium/forms.h"

#include "flexarium/winapi.h"
#include "framework/rtti_util.h"
#include "framework/std_classes.h"

namespace flx {

const TEnumInfo FormBorderStyleInfo{
    "TFormBorderStyle",
    {"bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow",
     "bsSizeToolWin"}};
const TEnumInfo WindowStateInfo{"TWindowState",
                                {"wsNormal", "wsMinimized", "wsMaximized"}};
const TEnumInfo FormStyleInfo{
    "TFormStyle", {"fsNormal", "fsMDIChild", "fsMDIForm", "fsStayOnTop"}};

using std_classes::CaptionPropInfo;
using std_classes::FontPropInfo;
using std_classes::ParentFontPropInfo;

const TClassInfo& TScrollingWinControl::StaticClass() {
  static const TClassInfo info{
      "TScrollingWinControl", &TWinControl::StaticClass(), {}, {}, false};
  return info;
}

const TClassInfo& TCustomForm::StaticClass() {
  static const TClassInfo info = [] {
    using namespace rtti;
    TClassInfo c{
        "TCustomForm", &TScrollingWinControl::StaticClass(), {}, {}, false};
    // Forms keep their client size; the outer size only in old files.
    for (const char* name : {"Width", "Height"}) {
      TPropInfo p = *GetPropInfo(TControl::StaticClass(), name);
      p.NoDefault = false;
      p.Stored = [](const TPersistent& o) {
        return static_cast<const TCustomForm&>(o).StoresOuterSize;
      };
      c.Props.push_back(std::move(p));
    }
    c.Props.push_back(EnumProp("BorderStyle", FormBorderStyleInfo,
                               &TCustomForm::BorderStyle,
                               &TCustomForm::SetBorderStyle));
    c.Props.push_back(CaptionPropInfo());
    for (auto [name, get, set] :
         {std::tuple{"ClientHeight", &TCustomForm::ClientHeight,
                     &TCustomForm::SetClientHeight},
          std::tuple{"ClientWidth", &TCustomForm::ClientWidth,
                     &TCustomForm::SetClientWidth}}) {
      TPropInfo p;
      p.Name = name;
      p.Kind = TTypeKind::Integer;
      p.NoDefault = true;
      p.Get = [get = get](const TPersistent& o) {
        return FormValue::Int((static_cast<const TCustomForm&>(o).*get)());
      };
      p.Set = [set = set](TPersistent& o, const FormValue& v) {
        (static_cast<TCustomForm&>(o).*set)(ToInt(v));
      };
      p.Stored = [](const TPersistent& o) {
        return !static_cast<const TCustomForm&>(o).StoresOuterSize;
      };
      c.Props.push_back(std::move(p));
    }
    c.Props.push_back(FontPropInfo());
    c.Props.push_back(EnumProp("FormStyle", FormStyleInfo,
                               &TCustomForm::FormStyle,
                               &TCustomForm::SetFormStyle));
    c.Props.push_back(ParentFontPropInfo());
    c.Props.push_back(
        BoolProp("Scaled", &TCustomForm::Scaled, &TCustomForm::SetScaled));
    c.Props.push_back(EnumProp("WindowState", WindowStateInfo,
                               &TCustomForm::WindowState,
                               &TCustomForm::SetWindowState));
    return c;
  }();
  return info;
}

const TClassInfo& TForm::StaticClass() {
  static const TClassInfo info{
      "TForm",
      &TCustomForm::StaticClass(),
      {},
      [](TComponent* owner) -> TComponent* { return new TForm(owner); },
      false};
  return info;
}

TCustomForm::TCustomForm(TComponent* owner) : TScrollingWinControl(owner) {
  FWindowClass = u"FlxForm";
  FLeft = 0;
  FTop = 0;
  SetClientWidth(300);
  SetClientHeight(200);
}

TCustomForm::~TCustomForm() {
  DestroyComponents();
  DestroyHandle();
}

void TCustomForm::DefineProperties(TFiler& filer) {
  TScrollingWinControl::DefineProperties(filer);
  filer.DefineProperty(
      "PixelsPerInch", [this](TReader& r) { FPixelsPerInch = r.ReadInteger(); },
      [this](TWriter& w) { w.WriteInteger(FPixelsPerInch); }, false);
}

void TCustomForm::FrameSize(int& dx, int& dy) const {
  dx = dy = 0;
  if (!win::hasWindowSystem()) return;
  win::RECT r{0, 0, 0, 0};
  if (FCurrentPPI > 0) {
    win::AdjustWindowRectExForDpi(&r, WindowStyle(), win::FALSE,
                                  WindowExStyle(),
                                  static_cast<win::UINT>(FCurrentPPI));
  } else {
    win::AdjustWindowRectEx(&r, WindowStyle(), win::FALSE, WindowExStyle());
  }
  dx = HeldInt(std::int64_t{r.right} - r.left);
  dy = HeldInt(std::int64_t{r.bottom} - r.top);
}

win::DWORD TCustomForm::WindowStyle() const {
  using namespace win;
  DWORD style = WS_CLIPCHILDREN;
  switch (FBorderStyle) {
    case TFormBorderStyle::bsNone:
      return style | WS_POPUP;
    case TFormBorderStyle::bsSingle:
      return style | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
    case TFormBorderStyle::bsSizeable:
      return style | WS_OVERLAPPEDWINDOW;
    case TFormBorderStyle::bsDialog:
      return style | WS_POPUP | WS_CAPTION | WS_SYSMENU;
    case TFormBorderStyle::bsToolWindow:
      return style | WS_CAPTION | WS_SYSMENU;
    case TFormBorderStyle::bsSizeToolWin:
      return style | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
  }
  return style | WS_OVERLAPPEDWINDOW;
}

win::DWORD TCustomForm::WindowExStyle() const {
  using namespace win;
  switch (FBorderStyle) {
    case TFormBorderStyle::bsDialog:
      return WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
    case TFormBorderStyle::bsToolWindow:
    case TFormBorderStyle::bsSizeToolWin:
      return WS_EX_TOOLWINDOW;
    default:
      return 0;
  }
}

void TCustomForm::SetBorderStyle(TFormBorderStyle v) {
  if (FBorderStyle == v) return;
  int cw = ClientWidth(), ch = ClientHeight();
  FBorderStyle = v;
  if (FHandle == nullptr) {
    SetClientWidth(cw);
    SetClientHeight(ch);
  }
}

void TCustomForm::SetWindowState(TWindowState v) {
  if (FWindowState == v) return;
  FWindowState = v;
  if (FHandle != nullptr && win::IsWindowVisible(FHandle)) {
    int cmd = v == TWindowState::wsMaximized   ? win::SW_MAXIMIZE
              : v == TWindowState::wsMinimized ? win::SW_MINIMIZE
                                               : win::SW_RESTORE;
    win::ShowWindow(FHandle, cmd);
  }
}

int TCustomForm::ClientWidth() const {
  if (FHandle != nullptr) {
    win::RECT r{};
    if (win::GetClientRect(FHandle, &r)) {
      return HeldInt(std::int64_t{r.right} - r.left);
    }
  }
  return FClientWidth;
}

int TCustomForm::ClientHeight() const {
  if (FHandle != nullptr) {
    win::RECT r{};
    if (win::GetClientRect(FHandle, &r)) {
      return HeldInt(std::int64_t{r.bottom} - r.top);
    }
  }
  return FClientHeight;
}

void TCustomForm::SetClientWidth(int v) {
  int dx, dy;
  FrameSize(dx, dy);
  if (FHandle == nullptr) FClientWidth = v;
  SetBounds(FLeft, FTop, HeldInt(std::int64_t{v} + dx), FHeight);
}

void TCustomForm::SetClientHeight(int v) {
  int dx, dy;
  FrameSize(dx, dy);
  if (FHandle == nullptr) FClientHeight = v;
  SetBounds(FLeft, FTop, FWidth, HeldInt(std::int64_t{v} + dy));
}

void TCustomForm::SetBounds(int left, int top, int width, int height) {
  if (FHandle != nullptr && !FSyncing) {
    Constraints().Apply(width, height);
    // The window decides; WM_SIZE and WM_MOVE bring the result back.
    win::MoveWindow(FHandle, left, top, width, height, win::TRUE);
    UpdateBoundsFromWindow();
    return;
  }
  TScrollingWinControl::SetBounds(left, top, width, height);
  if (FHandle == nullptr) {
    int dx, dy;
    FrameSize(dx, dy);
    FClientWidth = HeldInt(std::int64_t{FWidth} - dx);
    FClientHeight = HeldInt(std::int64_t{FHeight} - dy);
  }
}

void TCustomForm::BoundsChanged() {
  // The form's own window is moved by SetBounds, not from here.
}

void TCustomForm::UpdateBoundsFromWindow() {
  if (FHandle == nullptr || FSyncing) return;
  win::RECT r{};
  if (win::IsIconic(FHandle)) {
    win::WINDOWPLACEMENT wp{};
    wp.length = sizeof(wp);
    if (!win::GetWindowPlacement(FHandle, &wp)) return;
    r = wp.rcNormalPosition;
  } else if (!win::GetWindowRect(FHandle, &r)) {
    return;
  }
  FSyncing = true;
  try {
    TScrollingWinControl::SetBounds(r.left, r.top,
                                    HeldInt(std::int64_t{r.right} - r.left),
                                    HeldInt(std::int64_t{r.bottom} - r.top));
  } catch (...) {
    FSyncing = false;
    throw;
  }
  FSyncing = false;
}

void TCustomForm::SetCurrentPPI(int ppi) {
  if (ppi <= 0) return;
  FCurrentPPI = ppi;
  ChangePixelsPerInch(ppi);
}

void TCustomForm::CreateWnd() {
  using namespace win;
  RegisterWindowClass(FWindowClass, &MainWndProc);
  HWND wnd = CreateWindowExW(WindowExStyle(), FWindowClass, Utf8ToUtf16(FText),
                             WindowStyle(), FLeft, FTop, FWidth, FHeight,
                             nullptr, this);
  if (wnd == nullptr) {
    throw EInvalidOperation("Error creating window for " + Name());
  }
  FHandle = wnd;
  // A per-monitor aware window made on a monitor of another DPI than the
  // system's has its frame, and its fonts, at that monitor's DPI: the
  // client size stays as given.
  if (Win32MajorVersion() >= 10) {
    const int dpi = static_cast<int>(GetDpiForWindow(wnd));
    if (dpi > 0 && dpi != static_cast<int>(GetDpiForSystem())) {
      SetCurrentPPI(dpi);
      int dx, dy;
      FrameSize(dx, dy);
      MoveWindow(wnd, FLeft, FTop, FClientWidth + dx, FClientHeight + dy,
                 FALSE);
    }
  }
  SendMessageW(wnd, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), 0);
  UpdateBoundsFromWindow();
  CreateChildHandles();
}

void TCustomForm::Show() {
  HandleNeeded();
  int cmd = FWindowState == TWindowState::wsMaximized   ? win::SW_SHOWMAXIMIZED
            : FWindowState == TWindowState::wsMinimized ? win::SW_SHOWMINIMIZED
                                                        : win::SW_SHOW;
  win::ShowWindow(FHandle, cmd);
}

void TCustomForm::Hide() {
  if (FHandle != nullptr) win::ShowWindow(FHandle, win::SW_HIDE);
}

TRect TCustomForm::DisplayRect() const {
  return {0, 0, ClientWidth(), ClientHeight()};
}

bool TCustomForm::FollowWindow(win::UINT msg, win::WPARAM wParam) {
  using namespace win;
  switch (msg) {
    case WM_SIZE:
      // SIZE_MAXSHOW and SIZE_MAXHIDE tell of another window: the state
      // stays.
      if (wParam == SIZE_MINIMIZED) {
        FWindowState = TWindowState::wsMinimized;
      } else if (wParam == SIZE_MAXIMIZED) {
        FWindowState = TWindowState::wsMaximized;
      } else if (wParam == SIZE_RESTORED) {
        FWindowState = TWindowState::wsNormal;
      }
      UpdateBoundsFromWindow();
      return true;
    case WM_MOVE:
    case WM_WINDOWPOSCHANGED:
      UpdateBoundsFromWindow();
      return true;
    case WM_DPICHANGED:
      // Taken when the window is at that DPI now (Windows 8.1 and later,
      // a per-monitor aware window). Sizing the form for the new DPI is
      // the application's part.
      if (CheckWin32Version(6, 3) &&
          GetDpiForWindow(FHandle) == LOWORD(wParam)) {
        SetCurrentPPI(LOWORD(wParam));
      }
      return true;
    default:
      return false;
  }
}

win::LRESULT TCustomForm::WndProc(win::UINT msg, win::WPARAM wParam,
                                  win::LPARAM lParam) {
  using namespace win;
  switch (msg) {
    case WM_SIZE:
      FollowWindow(msg, wParam);
      // The client area changed even when the outer size did not.
      Realign();
      break;
    case WM_GETMINMAXINFO: {
      LRESULT result = DefaultHandler(msg, wParam, lParam);
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      const TSizeConstraints& c = Constraints();
      if (info != nullptr) {
        if (c.MinWidth > 0) info->ptMinTrackSize.x = c.MinWidth;
        if (c.MinHeight > 0) info->ptMinTrackSize.y = c.MinHeight;
        if (c.MaxWidth > 0) info->ptMaxTrackSize.x = c.MaxWidth;
        if (c.MaxHeight > 0) info->ptMaxTrackSize.y = c.MaxHeight;
      }
      return result;
    }
    default:
      // A move or a new DPI; FollowWindow passes over other messages.
      FollowWindow(msg, wParam);
      break;
  }
  // The form's controls without a window are painted there.
  return TWinControl::WndProc(msg, wParam, lParam);
}

// ---- Frames, style manager

const TClassInfo& TCustomFrame::StaticClass() {
  static const TClassInfo info = [] {
    TClassInfo c{
        "TCustomFrame", &TScrollingWinControl::StaticClass(), {}, {}, false};
    c.Props.push_back(FontPropInfo());
    c.Props.push_back(ParentFontPropInfo());
    return c;
  }();
  return info;
}

const TClassInfo& TFrame::StaticClass() {
  static const TClassInfo info{
      "TFrame",
      &TCustomFrame::StaticClass(),
      {},
      [](TComponent* owner) -> TComponent* { return new TFrame(owner); },
      false};
  return info;
}

TCustomFrame::TCustomFrame(TComponent* owner) : TScrollingWinControl(owner) {
  SetBounds(0, 0, 320, 240);
}

bool TStyleManager::IsCustomStyleActive() {
  return win::currentWindowSystem().isCustomStyleActive();
}

}  // namespace flx
