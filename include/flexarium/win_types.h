// Window-system types and records with the names and layouts of Win32.
//
// On Windows these are layout-compatible with <windows.h> (handle types are
// the very same types), so FormWndProc and CallWndHookProc are real window and
// hook procedures there. This header declares no constants and no macros, so
// the native backend can include it after <windows.h>.
#pragma once

#include <cstddef>
#include <cstdint>

// The handle tags of <windows.h> (STRICT): declaring them here keeps HWND and
// friends the same types as the system's on Windows.
struct HWND__;
struct HHOOK__;
struct HMONITOR__;
struct HDC__;
struct HFONT__;
struct HINSTANCE__;
struct DPI_AWARENESS_CONTEXT__;

#if defined(_WIN32) && !defined(_WIN64)
#define FLX_CALLBACK __stdcall
#else
#define FLX_CALLBACK
#endif

namespace flx::win {

using BOOL = int;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using LONG = std::int32_t;
using LCID = DWORD;
using LCTYPE = DWORD;
using HRESULT = std::int32_t;
using ATOM = WORD;
using LONG_PTR = std::intptr_t;
using UINT_PTR = std::uintptr_t;
using WPARAM = UINT_PTR;
using LPARAM = LONG_PTR;
using LRESULT = LONG_PTR;
using HANDLE = void*;
using COLORREF = DWORD;  // 0x00BBGGRR

using HWND = ::HWND__*;
using HHOOK = ::HHOOK__*;
using HMONITOR = ::HMONITOR__*;
using HDC = ::HDC__*;
using HFONT = ::HFONT__*;
using HINSTANCE = ::HINSTANCE__*;
// A thread's or window's DPI awareness; compare only through
// GetAwarenessFromDpiAwarenessContext, as Windows asks.
using DPI_AWARENESS_CONTEXT = ::DPI_AWARENESS_CONTEXT__*;
// DPI_AWARENESS_INVALID (-1), _UNAWARE (0), _SYSTEM_AWARE (1),
// _PER_MONITOR_AWARE (2).
using DPI_AWARENESS = int;

using WNDPROC = LRESULT(FLX_CALLBACK*)(HWND, UINT, WPARAM, LPARAM);
using HOOKPROC = LRESULT(FLX_CALLBACK*)(int, WPARAM, LPARAM);
// A dialog procedure: TRUE for a message it handled (the answer to
// WM_INITDIALOG: TRUE to let the system set the focus).
using DLGPROC = LONG_PTR(FLX_CALLBACK*)(HWND, UINT, WPARAM, LPARAM);

struct POINT {
  LONG x;
  LONG y;
};

struct SIZE {
  LONG cx;
  LONG cy;
};

struct RECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};

struct MINMAXINFO {
  POINT ptReserved;
  POINT ptMaxSize;
  POINT ptMaxPosition;
  POINT ptMinTrackSize;
  POINT ptMaxTrackSize;
};

// What a WH_CALLWNDPROC hook receives through its LParam.
struct CWPSTRUCT {
  LPARAM lParam;
  WPARAM wParam;
  UINT message;
  HWND hwnd;
};

struct APPBARDATA {
  DWORD cbSize;
  HWND hWnd;
  UINT uCallbackMessage;
  UINT uEdge;
  RECT rc;
  LPARAM lParam;
};

struct MONITORINFO {
  DWORD cbSize;
  RECT rcMonitor;
  RECT rcWork;
  DWORD dwFlags;
};

struct WINDOWPOS {
  HWND hwnd;
  HWND hwndInsertAfter;
  int x;
  int y;
  int cx;
  int cy;
  UINT flags;
};

struct WINDOWPLACEMENT {
  UINT length;
  UINT flags;
  UINT showCmd;
  POINT ptMinPosition;
  POINT ptMaxPosition;
  RECT rcNormalPosition;
};

// Handed to WM_NCCREATE and WM_CREATE through LParam.
struct CREATESTRUCTW {
  void* lpCreateParams;
  HINSTANCE hInstance;
  void* hMenu;
  HWND hwndParent;
  int cy;
  int cx;
  int y;
  int x;
  LONG style;
  const char16_t* lpszName;
  const char16_t* lpszClass;
  DWORD dwExStyle;
};

struct LOGFONTW {
  LONG lfHeight;
  LONG lfWidth;
  LONG lfEscapement;
  LONG lfOrientation;
  LONG lfWeight;
  BYTE lfItalic;
  BYTE lfUnderline;
  BYTE lfStrikeOut;
  BYTE lfCharSet;
  BYTE lfOutPrecision;
  BYTE lfClipPrecision;
  BYTE lfQuality;
  BYTE lfPitchAndFamily;
  char16_t lfFaceName[32];
};

// What GetTextMetricsW reports of the font selected into a DC (pixels).
struct TEXTMETRICW {
  LONG tmHeight;
  LONG tmAscent;
  LONG tmDescent;
  LONG tmInternalLeading;
  LONG tmExternalLeading;
  LONG tmAveCharWidth;
  LONG tmMaxCharWidth;
  LONG tmWeight;
  LONG tmOverhang;
  LONG tmDigitizedAspectX;
  LONG tmDigitizedAspectY;
  char16_t tmFirstChar;
  char16_t tmLastChar;
  char16_t tmDefaultChar;
  char16_t tmBreakChar;
  BYTE tmItalic;
  BYTE tmUnderlined;
  BYTE tmStruckOut;
  BYTE tmPitchAndFamily;
  BYTE tmCharSet;
};

// What BeginPaint fills in: the DC and the part of the client to paint.
struct PAINTSTRUCT {
  HDC hdc;
  BOOL fErase;
  RECT rcPaint;
  BOOL fRestore;
  BOOL fIncUpdate;
  BYTE rgbReserved[32];
};

// The common header of WM_NOTIFY.
struct NMHDR {
  HWND hwndFrom;
  UINT_PTR idFrom;
  UINT code;
};

// A tab of a tab control (TCM_INSERTITEMW).
struct TCITEMW {
  UINT mask;
  DWORD dwState;
  DWORD dwStateMask;
  char16_t* pszText;
  int cchTextMax;
  int iImage;
  LPARAM lParam;
};

// A column of a list view in report view (LVM_INSERTCOLUMNW), as Windows
// Vista and later have it.
struct LVCOLUMNW {
  UINT mask;
  int fmt;
  int cx;
  char16_t* pszText;
  int cchTextMax;
  int iSubItem;
  int iImage;
  int iOrder;
  int cxMin;
  int cxDefault;
  int cxIdeal;
};

// A section of a header control (HDM_INSERTITEMW), as Windows Vista and
// later have it.
struct HDITEMW {
  UINT mask;
  int cxy;
  char16_t* pszText;
  HANDLE hbm;
  int cchTextMax;
  int fmt;
  LPARAM lParam;
  int iImage;
  int iOrder;
  UINT type;
  void* pvFilter;
  UINT state;
};

// A date and time as its parts (DTM_SETSYSTEMTIME).
struct SYSTEMTIME {
  WORD wYear;
  WORD wMonth;
  WORD wDayOfWeek;
  WORD wDay;
  WORD wHour;
  WORD wMinute;
  WORD wSecond;
  WORD wMilliseconds;
};

// The running Windows version as the system reports it (not shimmed).
struct OSVersion {
  int major = 10;
  int minor = 0;
};

}  // namespace flx::win
