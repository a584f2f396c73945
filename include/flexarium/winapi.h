// Win32-named operations and constants over the current window system.
//
// The framework model and the component call these exactly as they would call
// user32/gdi32/shell32/dwmapi; each forwards to currentWindowSystem(). Never
// include this header together with <windows.h>: the constants here are
// macros there.
#pragma once

#include <string>
#include <string_view>

#include "flexarium/window_system.h"

namespace flx::win {

inline constexpr BOOL FALSE = 0;
inline constexpr BOOL TRUE = 1;

// Window messages.
inline constexpr UINT WM_NULL = 0x0000;
inline constexpr UINT WM_CREATE = 0x0001;
inline constexpr UINT WM_DESTROY = 0x0002;
inline constexpr UINT WM_MOVE = 0x0003;
inline constexpr UINT WM_SIZE = 0x0005;
inline constexpr UINT WM_SETREDRAW = 0x000B;
inline constexpr UINT WM_SETTEXT = 0x000C;
inline constexpr UINT WM_GETTEXT = 0x000D;
inline constexpr UINT WM_PAINT = 0x000F;
inline constexpr UINT WM_CLOSE = 0x0010;
inline constexpr UINT WM_ERASEBKGND = 0x0014;
inline constexpr UINT WM_SHOWWINDOW = 0x0018;
inline constexpr UINT WM_GETMINMAXINFO = 0x0024;
inline constexpr UINT WM_SETFONT = 0x0030;
inline constexpr UINT WM_GETFONT = 0x0031;
inline constexpr UINT WM_WINDOWPOSCHANGING = 0x0046;
inline constexpr UINT WM_WINDOWPOSCHANGED = 0x0047;
inline constexpr UINT WM_NOTIFY = 0x004E;
inline constexpr UINT WM_NCCREATE = 0x0081;
inline constexpr UINT WM_NCDESTROY = 0x0082;
inline constexpr UINT WM_NCCALCSIZE = 0x0083;
inline constexpr UINT WM_NCPAINT = 0x0085;
inline constexpr UINT WM_GETDLGCODE = 0x0087;
inline constexpr UINT WM_INITDIALOG = 0x0110;
inline constexpr UINT WM_COMMAND = 0x0111;
inline constexpr UINT WM_SYSCOMMAND = 0x0112;
inline constexpr UINT WM_CTLCOLOREDIT = 0x0133;
inline constexpr UINT WM_CTLCOLORLISTBOX = 0x0134;
inline constexpr UINT WM_CTLCOLORBTN = 0x0135;
inline constexpr UINT WM_CTLCOLORSTATIC = 0x0138;
inline constexpr UINT WM_SIZING = 0x0214;
inline constexpr UINT WM_ENTERSIZEMOVE = 0x0231;
inline constexpr UINT WM_EXITSIZEMOVE = 0x0232;
inline constexpr UINT WM_MOVING = 0x0216;
inline constexpr UINT WM_DPICHANGED = 0x02E0;
inline constexpr UINT WM_GETDPISCALEDSIZE = 0x02E4;
inline constexpr UINT WM_PARENTNOTIFY = 0x0210;
inline constexpr UINT WM_USER = 0x0400;
inline constexpr UINT WM_APP = 0x8000;

// WM_SIZE kinds.
inline constexpr WPARAM SIZE_RESTORED = 0;
inline constexpr WPARAM SIZE_MINIMIZED = 1;
inline constexpr WPARAM SIZE_MAXIMIZED = 2;
inline constexpr WPARAM SIZE_MAXSHOW = 3;
inline constexpr WPARAM SIZE_MAXHIDE = 4;

// WM_SIZING edges.
inline constexpr WPARAM WMSZ_LEFT = 1;
inline constexpr WPARAM WMSZ_RIGHT = 2;
inline constexpr WPARAM WMSZ_TOP = 3;
inline constexpr WPARAM WMSZ_TOPLEFT = 4;
inline constexpr WPARAM WMSZ_TOPRIGHT = 5;
inline constexpr WPARAM WMSZ_BOTTOM = 6;
inline constexpr WPARAM WMSZ_BOTTOMLEFT = 7;
inline constexpr WPARAM WMSZ_BOTTOMRIGHT = 8;

// The edges a WM_SIZING code moves; none for a code that names no edge.
struct SizingEdges {
  bool left = false;
  bool right = false;
  bool top = false;
  bool bottom = false;

  explicit constexpr SizingEdges(WPARAM edge)
      : left(edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT ||
             edge == WMSZ_BOTTOMLEFT),
        right(edge == WMSZ_RIGHT || edge == WMSZ_TOPRIGHT ||
              edge == WMSZ_BOTTOMRIGHT),
        top(edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT),
        bottom(edge == WMSZ_BOTTOM || edge == WMSZ_BOTTOMLEFT ||
               edge == WMSZ_BOTTOMRIGHT) {}
};

// Window-long slots. The procedure slot is pointer-sized everywhere.
inline constexpr int GWLP_WNDPROC = -4;
inline constexpr int GCLP_WNDPROC = -24;
inline constexpr int GWL_WNDPROC = -4;
inline constexpr int GWLP_USERDATA = -21;
inline constexpr int GWL_STYLE = -16;
inline constexpr int GWL_EXSTYLE = -20;
inline constexpr int GWLP_ID = -12;

// GetWindow.
inline constexpr UINT GW_HWNDNEXT = 2;
inline constexpr UINT GW_CHILD = 5;

// Styles.
inline constexpr DWORD WS_OVERLAPPED = 0x00000000;
inline constexpr DWORD WS_POPUP = 0x80000000;
inline constexpr DWORD WS_CHILD = 0x40000000;
inline constexpr DWORD WS_MINIMIZE = 0x20000000;
inline constexpr DWORD WS_VISIBLE = 0x10000000;
inline constexpr DWORD WS_DISABLED = 0x08000000;
inline constexpr DWORD WS_CLIPSIBLINGS = 0x04000000;
inline constexpr DWORD WS_CLIPCHILDREN = 0x02000000;
inline constexpr DWORD WS_MAXIMIZE = 0x01000000;
inline constexpr DWORD WS_CAPTION = 0x00C00000;
inline constexpr DWORD WS_BORDER = 0x00800000;
inline constexpr DWORD WS_DLGFRAME = 0x00400000;
inline constexpr DWORD WS_VSCROLL = 0x00200000;
inline constexpr DWORD WS_HSCROLL = 0x00100000;
inline constexpr DWORD WS_SYSMENU = 0x00080000;
inline constexpr DWORD WS_THICKFRAME = 0x00040000;
inline constexpr DWORD WS_MINIMIZEBOX = 0x00020000;
inline constexpr DWORD WS_MAXIMIZEBOX = 0x00010000;
inline constexpr DWORD WS_GROUP = 0x00020000;
inline constexpr DWORD WS_TABSTOP = 0x00010000;
inline constexpr DWORD WS_OVERLAPPEDWINDOW = 0x00CF0000;
inline constexpr DWORD WS_EX_DLGMODALFRAME = 0x00000001;
inline constexpr DWORD WS_EX_NOPARENTNOTIFY = 0x00000004;
inline constexpr DWORD WS_EX_TOPMOST = 0x00000008;
inline constexpr DWORD WS_EX_TOOLWINDOW = 0x00000080;
inline constexpr DWORD WS_EX_WINDOWEDGE = 0x00000100;
inline constexpr DWORD WS_EX_CLIENTEDGE = 0x00000200;
inline constexpr DWORD WS_EX_CONTROLPARENT = 0x00010000;
inline constexpr DWORD WS_EX_APPWINDOW = 0x00040000;

// Dialog styles.
inline constexpr DWORD DS_ABSALIGN = 0x01;
inline constexpr DWORD DS_SYSMODAL = 0x02;
inline constexpr DWORD DS_3DLOOK = 0x04;
inline constexpr DWORD DS_FIXEDSYS = 0x08;
inline constexpr DWORD DS_NOFAILCREATE = 0x10;
inline constexpr DWORD DS_SETFONT = 0x40;
inline constexpr DWORD DS_MODALFRAME = 0x80;
inline constexpr DWORD DS_CONTROL = 0x400;
inline constexpr DWORD DS_CENTER = 0x800;
inline constexpr DWORD DS_CENTERMOUSE = 0x1000;
inline constexpr DWORD DS_SHELLFONT = DS_SETFONT | DS_FIXEDSYS;
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

// Styles and messages of the system's control classes (the low 16 bits of
// a style are the class's own).
inline constexpr DWORD BS_AUTOCHECKBOX = 0x3;
inline constexpr DWORD BS_AUTO3STATE = 0x6;
inline constexpr DWORD BS_AUTORADIOBUTTON = 0x9;
inline constexpr DWORD BS_LEFTTEXT = 0x20;
inline constexpr UINT BM_GETCHECK = 0x00F0;
inline constexpr UINT BM_SETCHECK = 0x00F1;
inline constexpr WPARAM BST_UNCHECKED = 0;
inline constexpr WPARAM BST_CHECKED = 1;
inline constexpr WPARAM BST_INDETERMINATE = 2;
inline constexpr DWORD ES_CENTER = 0x1;
inline constexpr DWORD ES_RIGHT = 0x2;
inline constexpr DWORD ES_MULTILINE = 0x4;
inline constexpr DWORD ES_AUTOVSCROLL = 0x40;
inline constexpr DWORD ES_AUTOHSCROLL = 0x80;
inline constexpr DWORD ES_READONLY = 0x800;
inline constexpr DWORD ES_WANTRETURN = 0x1000;
inline constexpr DWORD SS_CENTER = 0x1;
inline constexpr DWORD SS_RIGHT = 0x2;
inline constexpr DWORD SS_NOPREFIX = 0x80;
inline constexpr DWORD SS_SUNKEN = 0x1000;
inline constexpr DWORD CBS_SIMPLE = 0x1;
inline constexpr DWORD CBS_DROPDOWN = 0x2;
inline constexpr DWORD CBS_DROPDOWNLIST = 0x3;
inline constexpr DWORD CBS_AUTOHSCROLL = 0x40;
inline constexpr DWORD CBS_SORT = 0x100;
inline constexpr UINT CB_ADDSTRING = 0x0143;
inline constexpr UINT CB_GETCOUNT = 0x0146;
inline constexpr UINT CB_RESETCONTENT = 0x014B;
inline constexpr UINT CB_GETCURSEL = 0x0147;
inline constexpr UINT CB_SETCURSEL = 0x014E;
inline constexpr UINT CB_GETITEMHEIGHT = 0x0154;
inline constexpr UINT CB_FINDSTRINGEXACT = 0x0158;
inline constexpr WORD CBN_DROPDOWN = 7;
inline constexpr DWORD LBS_NOTIFY = 0x1;
inline constexpr DWORD LBS_SORT = 0x2;
inline constexpr DWORD LBS_NOINTEGRALHEIGHT = 0x100;
inline constexpr UINT LB_ADDSTRING = 0x0180;
inline constexpr UINT LB_RESETCONTENT = 0x0184;
inline constexpr UINT LB_SETCURSEL = 0x0186;
inline constexpr UINT LB_GETCURSEL = 0x0188;
inline constexpr UINT LB_GETCOUNT = 0x018B;

// Common controls (comctl32).
inline constexpr DWORD CCS_NORESIZE = 0x4;
inline constexpr DWORD CCS_NOPARENTALIGN = 0x8;
inline constexpr DWORD CCS_NODIVIDER = 0x40;
inline constexpr DWORD TBS_AUTOTICKS = 0x1;
inline constexpr DWORD TBS_VERT = 0x2;
inline constexpr DWORD TBS_BOTH = 0x8;
inline constexpr DWORD TBS_NOTICKS = 0x10;
inline constexpr UINT TBM_GETPOS = WM_USER;
inline constexpr UINT TBM_SETPOS = WM_USER + 5;
inline constexpr UINT TBM_SETRANGEMIN = WM_USER + 7;
inline constexpr UINT TBM_SETRANGEMAX = WM_USER + 8;
inline constexpr UINT TBM_SETTICFREQ = WM_USER + 20;
inline constexpr DWORD PBS_SMOOTH = 0x1;
inline constexpr DWORD PBS_VERTICAL = 0x4;
inline constexpr UINT PBM_SETPOS = WM_USER + 2;
inline constexpr UINT PBM_SETRANGE32 = WM_USER + 6;
inline constexpr UINT PBM_GETPOS = WM_USER + 8;
inline constexpr DWORD UDS_WRAP = 0x1;
inline constexpr DWORD UDS_SETBUDDYINT = 0x2;
inline constexpr DWORD UDS_ARROWKEYS = 0x20;
inline constexpr DWORD UDS_HORZ = 0x40;
inline constexpr DWORD UDS_NOTHOUSANDS = 0x80;
inline constexpr UINT UDM_SETBUDDY = WM_USER + 105;
inline constexpr UINT UDM_SETRANGE32 = WM_USER + 111;
inline constexpr UINT UDM_SETPOS32 = WM_USER + 113;
inline constexpr UINT UDM_GETPOS32 = WM_USER + 114;
inline constexpr DWORD TCS_MULTILINE = 0x200;
inline constexpr UINT TCM_GETITEMCOUNT = 0x1300 + 4;
inline constexpr UINT TCM_DELETEALLITEMS = 0x1300 + 9;
inline constexpr UINT TCM_GETCURSEL = 0x1300 + 11;
inline constexpr UINT TCM_SETCURSEL = 0x1300 + 12;
inline constexpr UINT TCM_INSERTITEMW = 0x1300 + 62;
inline constexpr UINT TCIF_TEXT = 0x1;
inline constexpr UINT TCN_SELCHANGE = 0u - 551u;
inline constexpr DWORD SBARS_SIZEGRIP = 0x100;
inline constexpr UINT SB_SETPARTS = WM_USER + 4;
inline constexpr UINT SB_SIMPLE = WM_USER + 9;
inline constexpr UINT SB_SETTEXTW = WM_USER + 11;
inline constexpr WPARAM SB_SIMPLEID = 0xFF;
inline constexpr DWORD LVS_ICON = 0x0;
inline constexpr DWORD LVS_REPORT = 0x1;
inline constexpr DWORD LVS_SMALLICON = 0x2;
inline constexpr DWORD LVS_LIST = 0x3;
inline constexpr DWORD LVS_SHOWSELALWAYS = 0x8;
inline constexpr UINT LVM_DELETECOLUMN = 0x1000 + 28;
inline constexpr UINT LVM_SETEXTENDEDLISTVIEWSTYLE = 0x1000 + 54;
inline constexpr UINT LVM_INSERTCOLUMNW = 0x1000 + 97;
inline constexpr UINT LVM_SETCOLUMNWIDTH = 0x1000 + 30;
inline constexpr UINT LVM_GETCOLUMNWIDTH = 0x1000 + 29;
inline constexpr UINT LVM_GETCOLUMNW = 0x1000 + 95;
inline constexpr LPARAM LVS_EX_FULLROWSELECT = 0x20;
inline constexpr UINT LVCF_FMT = 0x1;
inline constexpr UINT LVCF_WIDTH = 0x2;
inline constexpr UINT LVCF_TEXT = 0x4;
inline constexpr DWORD TVS_HASBUTTONS = 0x1;
inline constexpr DWORD TVS_HASLINES = 0x2;
inline constexpr DWORD TVS_LINESATROOT = 0x4;
inline constexpr DWORD DTS_SHOWNONE = 0x2;
inline constexpr DWORD DTS_LONGDATEFORMAT = 0x4;
inline constexpr DWORD DTS_TIMEFORMAT = 0x9;
inline constexpr UINT DTM_SETSYSTEMTIME = 0x1000 + 2;
inline constexpr WPARAM GDT_VALID = 0;
inline constexpr DWORD HDS_BUTTONS = 0x2;
inline constexpr UINT HDM_DELETEITEM = 0x1200 + 2;
inline constexpr UINT HDM_INSERTITEMW = 0x1200 + 10;
inline constexpr UINT HDM_SETITEMW = 0x1200 + 12;
inline constexpr UINT HDM_GETITEMCOUNT = 0x1200 + 0;
inline constexpr UINT HDM_GETITEMW = 0x1200 + 11;
inline constexpr UINT HDI_WIDTH = 0x1;
inline constexpr UINT HDI_TEXT = 0x2;
inline constexpr UINT HDI_FORMAT = 0x4;
inline constexpr int HDF_STRING = 0x4000;

// ShowWindow commands.
inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_SHOWMINIMIZED = 2;
inline constexpr int SW_MAXIMIZE = 3;
inline constexpr int SW_SHOWMAXIMIZED = 3;
inline constexpr int SW_SHOWNOACTIVATE = 4;
inline constexpr int SW_SHOW = 5;
inline constexpr int SW_MINIMIZE = 6;
inline constexpr int SW_SHOWMINNOACTIVE = 7;
inline constexpr int SW_SHOWNA = 8;
inline constexpr int SW_RESTORE = 9;
inline constexpr int SW_SHOWDEFAULT = 10;
inline constexpr int SW_FORCEMINIMIZE = 11;
// WINDOWPLACEMENT flags.
inline constexpr UINT WPF_RESTORETOMAXIMIZED = 0x0002;

// SetWindowPos flags.
inline constexpr UINT SWP_NOSIZE = 0x0001;
inline constexpr UINT SWP_NOMOVE = 0x0002;
inline constexpr UINT SWP_NOZORDER = 0x0004;
inline constexpr UINT SWP_NOREDRAW = 0x0008;
inline constexpr UINT SWP_NOACTIVATE = 0x0010;
inline constexpr UINT SWP_FRAMECHANGED = 0x0020;
inline constexpr UINT SWP_SHOWWINDOW = 0x0040;
inline constexpr UINT SWP_HIDEWINDOW = 0x0080;

// Hooks.
inline constexpr int WH_CALLWNDPROC = 4;
inline constexpr int HC_ACTION = 0;

// System metrics.
inline constexpr int SM_CXSCREEN = 0;
inline constexpr int SM_CYSCREEN = 1;
inline constexpr int SM_CYCAPTION = 4;
inline constexpr int SM_CXBORDER = 5;
inline constexpr int SM_CYBORDER = 6;
inline constexpr int SM_CXDLGFRAME = 7;
inline constexpr int SM_CYDLGFRAME = 8;
inline constexpr int SM_CXFRAME = 32;
inline constexpr int SM_CYFRAME = 33;
inline constexpr int SM_CXMINTRACK = 34;
inline constexpr int SM_CYMINTRACK = 35;
inline constexpr int SM_CYSMCAPTION = 51;
inline constexpr int SM_CXMAXTRACK = 59;
inline constexpr int SM_CYMAXTRACK = 60;
inline constexpr int SM_CXMAXIMIZED = 61;
inline constexpr int SM_CYMAXIMIZED = 62;
inline constexpr int SM_CMONITORS = 80;
inline constexpr int SM_CXPADDEDBORDER = 92;

// DPI awareness (the values of GetAwarenessFromDpiAwarenessContext), and
// the pseudo contexts of a process's awareness.
inline constexpr DPI_AWARENESS DPI_AWARENESS_INVALID = -1;
inline constexpr DPI_AWARENESS DPI_AWARENESS_UNAWARE = 0;
inline constexpr DPI_AWARENESS DPI_AWARENESS_SYSTEM_AWARE = 1;
inline constexpr DPI_AWARENESS DPI_AWARENESS_PER_MONITOR_AWARE = 2;
inline DPI_AWARENESS_CONTEXT DpiAwarenessContextOf(std::intptr_t value) {
  return reinterpret_cast<DPI_AWARENESS_CONTEXT>(value);
}
inline const DPI_AWARENESS_CONTEXT DPI_AWARENESS_CONTEXT_UNAWARE =
    DpiAwarenessContextOf(-1);
inline const DPI_AWARENESS_CONTEXT DPI_AWARENESS_CONTEXT_SYSTEM_AWARE =
    DpiAwarenessContextOf(-2);
inline const DPI_AWARENESS_CONTEXT DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE =
    DpiAwarenessContextOf(-3);
inline const DPI_AWARENESS_CONTEXT DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2 =
    DpiAwarenessContextOf(-4);
// The DPI Windows calls 100 %.
inline constexpr UINT USER_DEFAULT_SCREEN_DPI = 96;

// Device capabilities.
inline constexpr int LOGPIXELSX = 88;
inline constexpr int LOGPIXELSY = 90;

// Monitors.
inline constexpr DWORD MONITOR_DEFAULTTONULL = 0;
inline constexpr DWORD MONITOR_DEFAULTTOPRIMARY = 1;
inline constexpr DWORD MONITOR_DEFAULTTONEAREST = 2;
inline constexpr DWORD MONITORINFOF_PRIMARY = 1;

// Application bars (the taskbar).
inline constexpr DWORD ABM_GETSTATE = 4;
inline constexpr DWORD ABM_GETTASKBARPOS = 5;
inline constexpr UINT_PTR ABS_AUTOHIDE = 1;
inline constexpr UINT_PTR ABS_ALWAYSONTOP = 2;
inline constexpr UINT ABE_LEFT = 0;
inline constexpr UINT ABE_TOP = 1;
inline constexpr UINT ABE_RIGHT = 2;
inline constexpr UINT ABE_BOTTOM = 3;

// Desktop window manager.
inline constexpr DWORD DWMWA_EXTENDED_FRAME_BOUNDS = 9;
inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);

// Locale.
inline constexpr LCID LOCALE_USER_DEFAULT = 0x0400;
inline constexpr LCTYPE LOCALE_SABBREVLANGNAME = 0x0003;

// Fonts.
inline constexpr LONG FW_NORMAL = 400;
inline constexpr LONG FW_BOLD = 700;
inline constexpr BYTE DEFAULT_CHARSET = 1;
// Stock fonts (GetStockObject).
inline constexpr int SYSTEM_FONT = 13;

// Per-monitor dialog scaling (SetDialogDpiChangeBehavior,
// SetDialogControlDpiChangeBehavior).
inline constexpr DWORD DDC_DEFAULT = 0x0000;
inline constexpr DWORD DDC_DISABLE_ALL = 0x0001;
inline constexpr DWORD DDC_DISABLE_RESIZE = 0x0002;
inline constexpr DWORD DDC_DISABLE_CONTROL_RELAYOUT = 0x0004;
inline constexpr DWORD DCDC_DEFAULT = 0x0000;
inline constexpr DWORD DCDC_DISABLE_FONTUPDATE = 0x0001;
inline constexpr DWORD DCDC_DISABLE_RELAYOUT = 0x0002;
// lfHeight of a font of `points` at `dpi` (a negative height asks for the
// character height, as the framework and dialogs ask).
constexpr LONG FontHeightOfPoints(int points, int dpi) {
  const long long product = static_cast<long long>(points) * dpi;
  // MulDiv: halves away from zero.
  const long long h = product >= 0 ? (product + 36) / 72 : (product - 36) / 72;
  return static_cast<LONG>(-h);
}

// Painting.
inline constexpr int TRANSPARENT = 1;
inline constexpr int OPAQUE = 2;
inline constexpr UINT DT_LEFT = 0x0000;
inline constexpr UINT DT_TOP = 0x0000;
inline constexpr UINT DT_CENTER = 0x0001;
inline constexpr UINT DT_RIGHT = 0x0002;
inline constexpr UINT DT_BOTTOM = 0x0008;
inline constexpr UINT DT_EXPANDTABS = 0x0040;
inline constexpr UINT DT_CALCRECT = 0x0400;
inline constexpr UINT DT_END_ELLIPSIS = 0x8000;
inline constexpr UINT DT_VCENTER = 0x0004;
inline constexpr UINT DT_WORDBREAK = 0x0010;
inline constexpr UINT DT_SINGLELINE = 0x0020;
inline constexpr UINT DT_NOPREFIX = 0x0800;
inline constexpr UINT BDR_RAISEDOUTER = 0x0001;
inline constexpr UINT BDR_SUNKENOUTER = 0x0002;
inline constexpr UINT BDR_RAISEDINNER = 0x0004;
inline constexpr UINT BDR_SUNKENINNER = 0x0008;
inline constexpr UINT EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER;
inline constexpr UINT EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER;
inline constexpr UINT EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER;
inline constexpr UINT BF_LEFT = 0x0001;
inline constexpr UINT BF_TOP = 0x0002;
inline constexpr UINT BF_RIGHT = 0x0004;
inline constexpr UINT BF_BOTTOM = 0x0008;
inline constexpr UINT BF_RECT = 0x000F;
inline constexpr UINT BF_FLAT = 0x4000;
inline constexpr UINT BF_MONO = 0x8000;
inline constexpr UINT ETO_OPAQUE = 0x0002;
inline constexpr UINT ETO_CLIPPED = 0x0004;
inline constexpr UINT DIB_RGB_COLORS = 0;
inline constexpr DWORD SRCCOPY = 0x00CC0020;

// Display elements (GetSysColor).
inline constexpr int COLOR_WINDOW = 5;
inline constexpr int COLOR_WINDOWFRAME = 6;
inline constexpr int COLOR_WINDOWTEXT = 8;
inline constexpr int COLOR_BTNFACE = 15;
inline constexpr int COLOR_BTNSHADOW = 16;
inline constexpr int COLOR_GRAYTEXT = 17;
inline constexpr int COLOR_BTNTEXT = 18;
inline constexpr int COLOR_BTNHIGHLIGHT = 20;

inline constexpr COLORREF RGB(int r, int g, int b) {
  return static_cast<COLORREF>((r & 0xFF) | ((g & 0xFF) << 8) |
                               ((b & 0xFF) << 16));
}

inline WORD LOWORD(std::uintptr_t v) { return static_cast<WORD>(v & 0xFFFF); }
inline WORD HIWORD(std::uintptr_t v) {
  return static_cast<WORD>((v >> 16) & 0xFFFF);
}
inline WPARAM MAKEWPARAM(int low, int high) {
  return static_cast<WPARAM>(
      static_cast<DWORD>((static_cast<DWORD>(low) & 0xFFFF) |
                         ((static_cast<DWORD>(high) & 0xFFFF) << 16)));
}
inline LPARAM MAKELPARAM(int low, int high) {
  return static_cast<LPARAM>(
      static_cast<DWORD>((static_cast<DWORD>(low) & 0xFFFF) |
                         ((static_cast<DWORD>(high) & 0xFFFF) << 16)));
}

// Forwarders with the system's names.
inline bool RegisterWindowClass(std::u16string_view name, WNDPROC proc) {
  return currentWindowSystem().registerClass(name, proc);
}
inline HWND CreateWindowExW(DWORD exStyle, std::u16string_view className,
                            std::u16string_view windowName, DWORD style, int x,
                            int y, int width, int height, HWND parent,
                            void* param) {
  return currentWindowSystem().createWindowEx(exStyle, className, windowName,
                                              style, x, y, width, height,
                                              parent, param);
}
inline BOOL DestroyWindow(HWND wnd) {
  return currentWindowSystem().destroyWindow(wnd);
}
inline BOOL IsWindow(HWND wnd) { return currentWindowSystem().isWindow(wnd); }
inline HWND GetParent(HWND wnd) { return currentWindowSystem().getParent(wnd); }
inline HWND GetWindow(HWND wnd, UINT cmd) {
  return currentWindowSystem().getWindow(wnd, cmd);
}
inline std::u16string GetClassNameW(HWND wnd) {
  return currentWindowSystem().getClassName(wnd);
}
inline BOOL ShowWindow(HWND wnd, int cmd) {
  return currentWindowSystem().showWindow(wnd, cmd);
}
inline BOOL IsWindowVisible(HWND wnd) {
  return currentWindowSystem().isWindowVisible(wnd);
}
inline BOOL SetWindowPos(HWND wnd, HWND after, int x, int y, int cx, int cy,
                         UINT flags) {
  return currentWindowSystem().setWindowPos(wnd, after, x, y, cx, cy, flags);
}
inline BOOL MoveWindow(HWND wnd, int x, int y, int w, int h, BOOL repaint) {
  return currentWindowSystem().moveWindow(wnd, x, y, w, h, repaint);
}
inline BOOL GetWindowRect(HWND wnd, RECT* rect) {
  return currentWindowSystem().getWindowRect(wnd, rect);
}
inline BOOL GetClientRect(HWND wnd, RECT* rect) {
  return currentWindowSystem().getClientRect(wnd, rect);
}
inline BOOL GetWindowPlacement(HWND wnd, WINDOWPLACEMENT* placement) {
  return currentWindowSystem().getWindowPlacement(wnd, placement);
}
inline BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL menu,
                               DWORD exStyle) {
  return currentWindowSystem().adjustWindowRectEx(rect, style, menu, exStyle);
}
inline BOOL IsIconic(HWND wnd) { return currentWindowSystem().isIconic(wnd); }
inline BOOL IsZoomed(HWND wnd) { return currentWindowSystem().isZoomed(wnd); }
inline BOOL SetWindowTextW(HWND wnd, std::u16string_view text) {
  return currentWindowSystem().setWindowText(wnd, text);
}
inline LONG_PTR GetWindowLongPtrW(HWND wnd, int index) {
  return currentWindowSystem().getWindowLongPtr(wnd, index);
}
inline LONG_PTR SetWindowLongPtrW(HWND wnd, int index, LONG_PTR value) {
  return currentWindowSystem().setWindowLongPtr(wnd, index, value);
}
inline BOOL SetPropW(HWND wnd, std::u16string_view name, HANDLE data) {
  return currentWindowSystem().setProp(wnd, name, data);
}
inline LONG_PTR GetClassLongPtrW(HWND wnd, int index) {
  return currentWindowSystem().getClassLongPtr(wnd, index);
}
inline HANDLE GetPropW(HWND wnd, std::u16string_view name) {
  return currentWindowSystem().getProp(wnd, name);
}
inline HANDLE RemovePropW(HWND wnd, std::u16string_view name) {
  return currentWindowSystem().removeProp(wnd, name);
}
inline BOOL InvalidateRect(HWND wnd, const RECT* rect, BOOL erase) {
  return currentWindowSystem().invalidateRect(wnd, rect, erase);
}
inline BOOL LockWindowUpdate(HWND wnd) {
  return currentWindowSystem().lockWindowUpdate(wnd);
}
inline HWND CreateDialogIndirectParamW(HINSTANCE /*instance*/,
                                       std::span<const std::uint8_t> tmpl,
                                       HWND owner, DLGPROC proc,
                                       LPARAM initParam) {
  return currentWindowSystem().createDialogIndirectParam(tmpl, owner, proc,
                                                         initParam);
}
inline BOOL MapDialogRect(HWND dialog, RECT* rect) {
  return currentWindowSystem().mapDialogRect(dialog, rect);
}
inline LONG GetDialogBaseUnits() {
  return currentWindowSystem().getDialogBaseUnits();
}
inline HWND GetDlgItem(HWND dialog, int id) {
  return currentWindowSystem().getDlgItem(dialog, id);
}
inline int GetDlgCtrlID(HWND wnd) {
  return currentWindowSystem().getDlgCtrlID(wnd);
}
inline BOOL ClientToScreen(HWND wnd, POINT* point) {
  return currentWindowSystem().clientToScreen(wnd, point);
}
inline LRESULT SendMessageW(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  return currentWindowSystem().sendMessage(wnd, msg, wp, lp);
}
inline LRESULT CallWindowProcW(WNDPROC proc, HWND wnd, UINT msg, WPARAM wp,
                               LPARAM lp) {
  return currentWindowSystem().callWindowProc(proc, wnd, msg, wp, lp);
}
inline LRESULT DefWindowProcW(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  return currentWindowSystem().defWindowProc(wnd, msg, wp, lp);
}
inline HHOOK SetWindowsHookExW(int id, HOOKPROC proc, HINSTANCE module,
                               DWORD thread) {
  return currentWindowSystem().setWindowsHookEx(id, proc, module, thread);
}
inline BOOL UnhookWindowsHookEx(HHOOK hook) {
  return currentWindowSystem().unhookWindowsHookEx(hook);
}
inline LRESULT CallNextHookEx(HHOOK hook, int code, WPARAM wp, LPARAM lp) {
  return currentWindowSystem().callNextHookEx(hook, code, wp, lp);
}
inline DWORD GetCurrentThreadId() {
  return currentWindowSystem().getCurrentThreadId();
}
inline HDC GetDC(HWND wnd) { return currentWindowSystem().getDC(wnd); }
inline int ReleaseDC(HWND wnd, HDC dc) {
  return currentWindowSystem().releaseDC(wnd, dc);
}
inline int GetDeviceCaps(HDC dc, int index) {
  return currentWindowSystem().getDeviceCaps(dc, index);
}
inline int GetSystemMetrics(int index) {
  return currentWindowSystem().getSystemMetrics(index);
}
inline HMONITOR MonitorFromWindow(HWND wnd, DWORD flags) {
  return currentWindowSystem().monitorFromWindow(wnd, flags);
}
inline HMONITOR MonitorFromRect(const RECT* rect, DWORD flags) {
  return currentWindowSystem().monitorFromRect(rect, flags);
}
inline BOOL GetMonitorInfoW(HMONITOR monitor, MONITORINFO* info) {
  return currentWindowSystem().getMonitorInfo(monitor, info);
}
inline UINT_PTR SHAppBarMessage(DWORD msg, APPBARDATA* data) {
  return currentWindowSystem().shAppBarMessage(msg, data);
}
inline HRESULT DwmIsCompositionEnabled(BOOL* enabled) {
  return currentWindowSystem().dwmIsCompositionEnabled(enabled);
}
inline HRESULT DwmGetWindowAttribute(HWND wnd, DWORD attr, void* value,
                                     DWORD size) {
  return currentWindowSystem().dwmGetWindowAttribute(wnd, attr, value, size);
}
inline UINT GetDpiForWindow(HWND wnd) {
  return currentWindowSystem().getDpiForWindow(wnd);
}
inline UINT GetDpiForSystem() {
  return currentWindowSystem().getDpiForSystem();
}
inline BOOL AdjustWindowRectExForDpi(RECT* rect, DWORD style, BOOL menu,
                                     DWORD exStyle, UINT dpi) {
  return currentWindowSystem().adjustWindowRectExForDpi(rect, style, menu,
                                                        exStyle, dpi);
}
inline int GetSystemMetricsForDpi(int index, UINT dpi) {
  return currentWindowSystem().getSystemMetricsForDpi(index, dpi);
}
inline DPI_AWARENESS_CONTEXT GetThreadDpiAwarenessContext() {
  return currentWindowSystem().getThreadDpiAwarenessContext();
}
inline DPI_AWARENESS GetAwarenessFromDpiAwarenessContext(
    DPI_AWARENESS_CONTEXT context) {
  return currentWindowSystem().getAwarenessFromDpiAwarenessContext(context);
}
inline HFONT CreateFontIndirectW(const LOGFONTW* font) {
  return currentWindowSystem().createFontIndirect(font);
}
inline BOOL DeleteObject(HFONT font) {
  return currentWindowSystem().deleteFont(font);
}
// GetObjectW for a font: the bytes written (sizeof(LOGFONTW)), 0 on failure.
inline int GetObjectW(HFONT font, int size, LOGFONTW* out) {
  if (out == nullptr || size < static_cast<int>(sizeof(LOGFONTW))) return 0;
  return currentWindowSystem().getFontObject(font, out)
             ? static_cast<int>(sizeof(LOGFONTW))
             : 0;
}
inline HFONT GetStockObject(int index) {
  return currentWindowSystem().getStockFont(index);
}
inline BOOL SetDialogDpiChangeBehavior(HWND dialog, DWORD mask, DWORD values) {
  return currentWindowSystem().setDialogDpiChangeBehavior(dialog, mask, values);
}
inline BOOL SetDialogControlDpiChangeBehavior(HWND control, DWORD mask,
                                              DWORD values) {
  return currentWindowSystem().setDialogControlDpiChangeBehavior(control, mask,
                                                                 values);
}
inline HDC BeginPaint(HWND wnd, PAINTSTRUCT* paint) {
  return currentWindowSystem().beginPaint(wnd, paint);
}
inline BOOL EndPaint(HWND wnd, const PAINTSTRUCT* paint) {
  return currentWindowSystem().endPaint(wnd, paint);
}
inline HFONT SelectObject(HDC dc, HFONT font) {
  return currentWindowSystem().selectFont(dc, font);
}
inline int SetBkMode(HDC dc, int mode) {
  return currentWindowSystem().setBkMode(dc, mode);
}
inline int DrawTextW(HDC dc, std::u16string_view text, RECT* rect,
                     UINT format) {
  return currentWindowSystem().drawText(dc, text, rect, format);
}
inline BOOL GetTextExtentPoint32W(HDC dc, std::u16string_view text,
                                  SIZE* size) {
  return currentWindowSystem().getTextExtentPoint32(dc, text, size);
}
inline BOOL GetTextMetricsW(HDC dc, TEXTMETRICW* metrics) {
  return currentWindowSystem().getTextMetrics(dc, metrics);
}
inline LONG GdiGetCharDimensions(HDC dc, TEXTMETRICW* metrics, LONG* height) {
  return currentWindowSystem().gdiGetCharDimensions(dc, metrics, height);
}
inline BOOL DrawEdge(HDC dc, RECT* rect, UINT edge, UINT flags) {
  return currentWindowSystem().drawEdge(dc, rect, edge, flags);
}
inline COLORREF SetTextColor(HDC dc, COLORREF color) {
  return currentWindowSystem().setTextColor(dc, color);
}
inline COLORREF SetBkColor(HDC dc, COLORREF color) {
  return currentWindowSystem().setBkColor(dc, color);
}
inline BOOL ExtTextOutW(HDC dc, int x, int y, UINT options, const RECT* rect,
                        std::u16string_view text) {
  return currentWindowSystem().extTextOut(dc, x, y, options, rect, text);
}
inline int StretchDIBits(HDC dc, int x, int y, int w, int h, int sx, int sy,
                         int sw, int sh, const void* bits, const void* info,
                         UINT usage, DWORD rop) {
  return currentWindowSystem().stretchDIBits(dc, x, y, w, h, sx, sy, sw, sh,
                                             bits, info, usage, rop);
}
inline COLORREF GetSysColor(int index) {
  return currentWindowSystem().getSysColor(index);
}
inline int GetLocaleInfoA(LCID locale, LCTYPE type, char* data, int size) {
  return currentWindowSystem().getLocaleInfoA(locale, type, data, size);
}

// Pure helpers of user32/kernel32 that need no window system.
BOOL EqualRect(const RECT* a, const RECT* b);
BOOL OffsetRect(RECT* rect, int dx, int dy);
// Compares two ANSI strings: <0, 0 or >0, case-sensitive.
int lstrcmpA(const char* a, const char* b);

}  // namespace flx::win
