// The framework's common controls: windows of the system's common control
// library (tab controls, track bars, progress bars, up-downs, status bars,
// list views, tree views, header controls) and tool bars, which the
// framework paints itself.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "flexarium/controls.h"

namespace flx {

class TTabSheet;

// A page control: its tab sheets are pages of a tab control, one tab each
// (their captions), and only ActivePage is visible.
class TPageControl : public TWinControl {
  FLX_CLASS(TPageControl)
 public:
  explicit TPageControl(TComponent* owner);
  TRect DisplayRect() const override;
  // The tab sheets in page order (the order they were added).
  std::vector<TTabSheet*> Pages() const;
  // The visible page: the one ActivePage names, else the first.
  TTabSheet* ActivePage() const;
  // By name, as the form file has it (resolved against the page control's
  // owner when needed); "" for none.
  const std::string& ActivePageName() const { return FActivePage; }
  void SetActivePageName(const std::string& name);
  void SetActivePage(TTabSheet* page);
  void Loaded() override;

 protected:
  win::DWORD WindowStyle() const override;
  void WindowCreated() override;
  void Notify(win::UINT code) override;

 private:
  friend class TTabSheet;
  // Shows the active page and hides the others.
  void ShowActivePage();
  void PagesChanged();

  std::string FActivePage;
};

// A page of a page control; its bounds are the page control's to set and
// its visibility follows the page control's ActivePage.
class TTabSheet : public TWinControl {
  FLX_CLASS(TTabSheet)
 public:
  explicit TTabSheet(TComponent* owner);
  TPageControl* PageControl() const;
  void SetParent(TWinControl* parent) override;
  void SetText(const std::string& v) override;
};

enum class TTrackBarOrientation { trHorizontal, trVertical };
extern const TEnumInfo TrackBarOrientationInfo;

// A position in a range: track bars, progress bars and up-downs.
class TRangeControl : public TWinControl {
  FLX_CLASS(TRangeControl)
 public:
  using TWinControl::TWinControl;
  int Position() const { return FPosition; }
  void SetPosition(int v);
  int Min() const { return FMin; }
  void SetMin(int v) { FMin = v; }
  int Max() const { return FMax; }
  void SetMax(int v) { FMax = v; }

 protected:
  // Sends the range and the position to the window.
  virtual void SendRange() = 0;
  void WindowCreated() override { SendRange(); }

  int FPosition = 0;
  int FMin = 0;
  int FMax = 100;
};

class TTrackBar : public TRangeControl {
  FLX_CLASS(TTrackBar)
 public:
  explicit TTrackBar(TComponent* owner);
  TTrackBarOrientation Orientation() const { return FOrientation; }
  void SetOrientation(TTrackBarOrientation v) { FOrientation = v; }
  int Frequency() const { return FFrequency; }
  void SetFrequency(int v) { FFrequency = v; }

 protected:
  win::DWORD WindowStyle() const override;
  void SendRange() override;

 private:
  TTrackBarOrientation FOrientation = TTrackBarOrientation::trHorizontal;
  int FFrequency = 1;
};

enum class TProgressBarOrientation { pbHorizontal, pbVertical };
extern const TEnumInfo ProgressBarOrientationInfo;

class TProgressBar : public TRangeControl {
  FLX_CLASS(TProgressBar)
 public:
  explicit TProgressBar(TComponent* owner);
  TProgressBarOrientation Orientation() const { return FOrientation; }
  void SetOrientation(TProgressBarOrientation v) { FOrientation = v; }
  bool Smooth() const { return FSmooth; }
  void SetSmooth(bool v) { FSmooth = v; }

 protected:
  win::DWORD WindowStyle() const override;
  void SendRange() override;

 private:
  TProgressBarOrientation FOrientation = TProgressBarOrientation::pbHorizontal;
  bool FSmooth = false;
};

enum class TUDOrientation { udHorizontal, udVertical };
extern const TEnumInfo UDOrientationInfo;

// An up-down; with Associate (an edit, by name) its clicks write the
// position into that edit. It stays where the form file puts it.
class TUpDown : public TRangeControl {
  FLX_CLASS(TUpDown)
 public:
  explicit TUpDown(TComponent* owner);
  TUDOrientation Orientation() const { return FOrientation; }
  void SetOrientation(TUDOrientation v) { FOrientation = v; }
  bool Wrap() const { return FWrap; }
  void SetWrap(bool v) { FWrap = v; }
  const std::string& AssociateName() const { return FAssociate; }
  void SetAssociateName(const std::string& v) { FAssociate = v; }

 protected:
  win::DWORD WindowStyle() const override;
  void SendRange() override;

 private:
  TUDOrientation FOrientation = TUDOrientation::udVertical;
  bool FWrap = false;
  std::string FAssociate;
};

enum class TDateTimeKind { dtkDate, dtkTime };
extern const TEnumInfo DateTimeKindInfo;
enum class TDTDateFormat { dfShort, dfLong };
extern const TEnumInfo DTDateFormatInfo;

// A date and time picker (the system's) set to what the form file says:
// Date and Time are days since 30 December 1899, the date from Date's
// whole part and the time from Time's fraction. Without either the picker
// shows the system's own today.
class TDateTimePicker : public TWinControl {
  FLX_CLASS(TDateTimePicker)
 public:
  explicit TDateTimePicker(TComponent* owner);
  FormValue DateValue;  // a float as read, or nothing
  FormValue TimeValue;
  TDateTimeKind Kind() const { return FKind; }
  void SetKind(TDateTimeKind v) { FKind = v; }
  TDTDateFormat DateFormat() const { return FDateFormat; }
  void SetDateFormat(TDTDateFormat v) { FDateFormat = v; }
  bool ShowCheckbox() const { return FShowCheckbox; }
  void SetShowCheckbox(bool v) { FShowCheckbox = v; }
  // The moment the picker shows, if the form file gives one.
  std::optional<win::SYSTEMTIME> Shown() const;

 protected:
  win::DWORD WindowStyle() const override;
  void WindowCreated() override;

 private:
  TDateTimeKind FKind = TDateTimeKind::dtkDate;
  TDTDateFormat FDateFormat = TDTDateFormat::dfShort;
  bool FShowCheckbox = false;
};

// The status bar: Panels (each with Text and Width), or SimpleText alone
// when SimplePanel is set. It sits where the layout puts it.
class TStatusBar : public TWinControl {
  FLX_CLASS(TStatusBar)
 public:
  explicit TStatusBar(TComponent* owner);
  struct Panel {
    std::string Text;
    int Width = 50;
  };
  // The Panels collection as the form file has it, read as panels.
  std::vector<Panel> Panels() const;
  FormValue PanelsValue;  // < item Text = ... Width = ... end >
  bool SimplePanel() const { return FSimplePanel; }
  void SetSimplePanel(bool v) { FSimplePanel = v; }
  const std::string& SimpleText() const { return FSimpleText; }
  void SetSimpleText(const std::string& v) { FSimpleText = v; }

 protected:
  void WindowCreated() override;

 private:
  bool FSimplePanel = false;
  std::string FSimpleText;
};

// A column of a list view or a section of a header control, as read from
// a collection (Caption or Text, Width).
struct TColumnInfo {
  std::string Caption;
  int Width = 50;
  TAlignment Alignment = TAlignment::taLeftJustify;
};

enum class TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };
extern const TEnumInfo ViewStyleInfo;

// A list view; in report view its Columns are shown as header sections
// (list items are not read from form files).
class TListView : public TBorderedControl {
  FLX_CLASS(TListView)
 public:
  explicit TListView(TComponent* owner);
  TViewStyle ViewStyle() const { return FViewStyle; }
  void SetViewStyle(TViewStyle v) { FViewStyle = v; }
  bool RowSelect() const { return FRowSelect; }
  void SetRowSelect(bool v) { FRowSelect = v; }
  FormValue ColumnsValue;  // < item Caption = ... Width = ... end >
  std::vector<TColumnInfo> Columns() const;

 protected:
  win::DWORD WindowStyle() const override;
  void WindowCreated() override;

 private:
  TViewStyle FViewStyle = TViewStyle::vsIcon;
  bool FRowSelect = false;
};

// A tree view with lines and buttons (its nodes, stored as binary data,
// are not read).
class TTreeView : public TBorderedControl {
  FLX_CLASS(TTreeView)
 public:
  explicit TTreeView(TComponent* owner);
  bool ShowLines() const { return FShowLines; }
  void SetShowLines(bool v) { FShowLines = v; }
  bool ShowRoot() const { return FShowRoot; }
  void SetShowRoot(bool v) { FShowRoot = v; }
  bool ShowButtons() const { return FShowButtons; }
  void SetShowButtons(bool v) { FShowButtons = v; }

 protected:
  win::DWORD WindowStyle() const override;

 private:
  bool FShowLines = true;
  bool FShowRoot = true;
  bool FShowButtons = true;
};

// A header control showing its Sections.
class THeaderControl : public TWinControl {
  FLX_CLASS(THeaderControl)
 public:
  explicit THeaderControl(TComponent* owner);
  FormValue SectionsValue;  // < item Text = ... Width = ... end >
  std::vector<TColumnInfo> Sections() const;

 protected:
  void WindowCreated() override;
};

// A tool bar: a flat strip on which tool buttons are drawn.
class TToolBar : public TCustomControl {
  FLX_CLASS(TToolBar)
 public:
  explicit TToolBar(TComponent* owner);

 protected:
  bool PaintsItself() const override { return true; }
  void PaintWindow(win::HDC dc) override;
};

enum class TToolButtonStyle {
  tbsButton,
  tbsCheck,
  tbsDropDown,
  tbsSeparator,
  tbsDivider,
  tbsTextButton
};
extern const TEnumInfo ToolButtonStyleInfo;

// A button of a tool bar, drawn by the bar: flat with its caption, or a
// separator line (its image, from an image list, is not drawn).
class TToolButton : public TGraphicControl {
  FLX_CLASS(TToolButton)
 public:
  explicit TToolButton(TComponent* owner);
  TToolButtonStyle Style() const { return FStyle; }
  void SetStyle(TToolButtonStyle v) { FStyle = v; }
  void Paint(win::HDC dc) override;

 private:
  TToolButtonStyle FStyle = TToolButtonStyle::tbsButton;
};

}  // namespace flx
