// Windows made by other code, adopted into the framework model: a form
// object around an existing top-level window and a windowed control object
// around each child window, so that whatever works on the model (the
// component above all) serves them unchanged. Adoption never makes or
// destroys a window; releasing gives back the window procedure and the font
// each window had.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "flexarium/forms.h"

namespace flx {

// Whether the children of a window of this class are adopted with it: not
// for the classes whose windows make and place children of their own (the
// edit of a combo box, the header of a list view).
bool AdoptsChildrenOf(std::u16string_view className);

// The scaled fonts adopted windows show: one font per LOGFONTW (a base font
// at one height), made with CreateFontIndirectW on first use, shared by
// every window that shows it and deleted when the last one lets it go.
class TAdoptedFonts {
 public:
  TAdoptedFonts() = default;
  ~TAdoptedFonts();  // deletes whatever is left
  TAdoptedFonts(const TAdoptedFonts&) = delete;
  TAdoptedFonts& operator=(const TAdoptedFonts&) = delete;

  // The font for `font`, one more user of it; nullptr when it cannot be
  // made.
  win::HFONT Acquire(const win::LOGFONTW& font);
  // One user fewer; the font is deleted with its last one.
  void Release(win::HFONT font);
  // Fonts made and not deleted yet.
  int Count() const { return static_cast<int>(FEntries.size()); }

 private:
  struct Entry {
    win::LOGFONTW Font;
    win::HFONT Handle;
    int Users;
  };
  std::vector<Entry> FEntries;
};

// A child window made by other code. Its bounds are its rectangle in its
// parent's client coordinates, its font the one it shows (WM_GETFONT; GDI's
// stock System font for none), with ParentFont off. A font size given later
// is shown as a font of the pool (the base LOGFONTW at the new height); the
// base height itself is shown as the window's own font again.
class TAdoptedControl : public TWinControl {
  FLX_CLASS(TAdoptedControl)
 public:
  explicit TAdoptedControl(TComponent* owner);
  // Its font for `pixelsPerInch` from the start, the DPI it is adopted at.
  TAdoptedControl(TComponent* owner, int pixelsPerInch);
  ~TAdoptedControl() override;

  // Wraps `wnd`: reads its bounds, class, control ID and font (at `ppi`
  // pixels per inch) and subclasses its window procedure. `fonts` makes
  // the fonts of later sizes and must outlive the adoption.
  void Adopt(win::HWND wnd, TAdoptedFonts& fonts, int ppi);
  // Gives the window its font and window procedure back. A procedure that
  // another one was installed over stays as a pass-through to the one it
  // replaced. The window is left alone afterwards, never destroyed.
  void Release();
  void DestroyHandle() override { Release(); }

  // The window is being destroyed: released, and gone from now on.
  void WindowDestroying();
  // The window, 0 once released or destroyed.
  win::HWND Window() const { return FHandle; }
  // The window is destroyed (or being destroyed): nothing is shown on it
  // any more.
  bool Gone() const { return FGone; }
  const std::u16string& ClassName() const { return FClassName; }
  // The control ID as the window has it now (GWLP_ID).
  win::LONG_PTR ControlId() const;

  // List-view columns and header sections, read from and set on the
  // window (LVM_GETCOLUMNW / LVM_SETCOLUMNWIDTH, HDM_GETITEMW /
  // HDM_SETITEMW).
  bool HasColumns() const;
  std::vector<int> ColumnWidths() const;
  void SetColumnWidths(const std::vector<int>& widths);

  // Told when a child of this window is made (WM_PARENTNOTIFY).
  std::function<void(win::HWND child)> OnChildCreated;
  // Told when this control's window goes (Gone() becomes true).
  std::function<void()> OnWindowGone;

 protected:
  void CreateWnd() override;
  void FontChanged() override;

 private:
  static win::LRESULT FLX_CALLBACK AdoptedWndProc(win::HWND wnd, win::UINT msg,
                                                  win::WPARAM wParam,
                                                  win::LPARAM lParam);
  static win::LRESULT FLX_CALLBACK ClassDefaultWndProc(win::HWND wnd,
                                                       win::UINT msg,
                                                       win::WPARAM wParam,
                                                       win::LPARAM lParam);
  // What a control does after WM_PARENTNOTIFY and WM_NCDESTROY.
  static void AfterMessage(win::HWND wnd, win::UINT msg, win::WPARAM wParam,
                           win::LPARAM lParam);
  void ShowFont(win::HFONT font, bool pooled);
  void WindowDestroyed();

  TAdoptedFonts* FFonts = nullptr;
  std::u16string FClassName;
  win::LOGFONTW FBaseFont{};
  win::HFONT FOriginalFont = nullptr;  // what WM_GETFONT answered
  win::HFONT FShownFont = nullptr;     // what the window shows now
  bool FShownPooled = false;           // FShownFont is one of the pool's
  bool FSubclassed = false;
  // The procedure the adoption replaced, which messages go on to.
  win::WNDPROC FPrevious = nullptr;
  bool FAdopting = false;
  bool FGone = false;
};

// How a window made from a dialog template stands when the dialog manager
// makes it at a DPI. Its layout comes from dialog units and the base units
// of its font measured at that DPI, so it is not its layout at another DPI
// scaled: the component takes this one on a change of DPI, and a dialog
// moved to a monitor stands as the dialog opened there.
class TDpiLayout {
 public:
  virtual ~TDpiLayout() = default;
  // The client size the window has at `dpi`.
  virtual win::SIZE ClientSize(int dpi) const = 0;
  // `control`'s bounds in its parent at `dpi`; false for a control the
  // template did not make.
  virtual bool Bounds(const TControl& control, int dpi,
                      TRect& bounds) const = 0;
  // The height (lfHeight) of the font the dialog manager gives the window
  // and its controls at `dpi`; 0 for none (the System font).
  virtual int FontHeight(int dpi) const = 0;
  // Whether `control` shows that font (was given it when made). The
  // window's own is that font when FontHeight() is not 0.
  virtual bool ShowsDialogFont(const TControl& control) const = 0;
  // Whether `control` shows none (GDI's stock System font, a bitmap font
  // the same at every DPI).
  virtual bool ShowsSystemFont(const TControl& control) const = 0;
};

// A top-level window made by other code. Its window procedure is
// subclassed by Subclass(), meant to be called once the component has put
// its own in place, so that this one stands in front of it: it counts the
// messages in progress, so that work that must not happen in the middle of
// one (freeing the component) waits for the outermost one to return.
class TAdoptedForm : public TCustomForm {
  FLX_CLASS(TAdoptedForm)
 public:
  explicit TAdoptedForm(TComponent* owner);
  ~TAdoptedForm() override;

  // Wraps `wnd`: its bounds, client size, border style (from its styles),
  // window state and DPI. The window procedure is left alone.
  void Adopt(win::HWND wnd);
  void Subclass();
  // Takes this procedure out of the window's chain (or leaves it as a
  // pass-through when another was installed over it); keeps the window.
  void Unsubclass();
  // Unsubclass, and the form no longer refers to the window.
  void Release();
  void DestroyHandle() override { Release(); }

  // Whether an earlier adoption left its procedure in the window's chain,
  // behind one installed over it later.
  static bool HoldsPassThrough(win::HWND wnd);
  // Messages of the window in progress (nested ones counted).
  int MessageDepth() const { return FDepth; }
  // The window's drawing is held (WM_SETREDRAW FALSE, as a pass on real
  // windows holds it): nothing in it is drawn until it is released.
  bool RedrawHeld() const { return FRedrawHeld; }

  // The layout of a window made from a dialog template at any DPI; null
  // for a window the component scales by the DPI ratio.
  const TDpiLayout* DpiLayout() const { return FDpiLayout.get(); }
  void SetDpiLayout(std::unique_ptr<TDpiLayout> layout) {
    FDpiLayout = std::move(layout);
  }

  // Told when a child of the window is made (WM_PARENTNOTIFY).
  std::function<void(win::HWND child)> OnChildCreated;
  // Told when the window receives WM_DESTROY.
  std::function<void()> OnWindowDestroy;
  // Called as a message of the window begins while no other is in
  // progress, before the message goes on.
  std::function<void()> OnEnter;
  // Called when the outermost message of the window in progress has
  // returned; it may free this form.
  std::function<void()> OnIdle;

 protected:
  win::DWORD WindowStyle() const override;
  win::DWORD WindowExStyle() const override;
  void CreateWnd() override;
  void FontChanged() override;

 private:
  static win::LRESULT FLX_CALLBACK AdoptedFormProc(win::HWND wnd, win::UINT msg,
                                                   win::WPARAM wParam,
                                                   win::LPARAM lParam);
  void AfterMessage(win::UINT msg, win::WPARAM wParam, win::LPARAM lParam);

  bool FSubclassed = false;
  // The procedure the adoption replaced, which messages go on to.
  win::WNDPROC FPrevious = nullptr;
  int FDepth = 0;
  bool FRedrawHeld = false;
  std::unique_ptr<TDpiLayout> FDpiLayout;
};

}  // namespace flx
