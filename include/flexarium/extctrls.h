// Containers and pictures of the framework: panels, group boxes, radio
// groups, images, shapes, bevels. The framework paints them itself (the
// windowed ones on WM_PAINT, the others through their parent).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "flexarium/controls.h"

namespace flx {

enum class TPanelBevel { bvNone, bvLowered, bvRaised, bvSpace };
extern const TEnumInfo PanelBevelInfo;

// A panel: BevelOuter, then BevelInner, each BevelWidth pixels wide (a
// BorderWidth gap between them), and its caption in the middle.
class TPanel : public TCustomControl {
  FLX_CLASS(TPanel)
 public:
  explicit TPanel(TComponent* owner);
  TPanelBevel BevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TPanelBevel v) { FBevelOuter = v; }
  TPanelBevel BevelInner() const { return FBevelInner; }
  void SetBevelInner(TPanelBevel v) { FBevelInner = v; }
  int BevelWidth() const { return FBevelWidth; }
  void SetBevelWidth(int v) { FBevelWidth = v; }
  int BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(int v) { FBorderWidth = v; }
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment v) { FAlignment = v; }
  bool ShowCaption() const { return FShowCaption; }
  void SetShowCaption(bool v) { FShowCaption = v; }

 protected:
  bool PaintsItself() const override { return true; }
  void PaintWindow(win::HDC dc) override;

 private:
  TPanelBevel FBevelOuter = TPanelBevel::bvRaised;
  TPanelBevel FBevelInner = TPanelBevel::bvNone;
  int FBevelWidth = 1;
  int FBorderWidth = 0;
  TAlignment FAlignment = TAlignment::taCenter;
  bool FShowCaption = true;
};

// A group box: an etched frame with the caption in its top line.
class TGroupBox : public TCustomControl {
  FLX_CLASS(TGroupBox)
 public:
  explicit TGroupBox(TComponent* owner);

 protected:
  bool PaintsItself() const override { return true; }
  void PaintWindow(win::HDC dc) override;
};

// A group box whose Items are radio buttons in Columns, ItemIndex checked.
// The buttons are windows of the group (not controls of the form): they
// are laid out as the framework does, the rows sharing the height below
// the caption, and follow the group's size and font.
class TRadioGroup : public TGroupBox {
  FLX_CLASS(TRadioGroup)
 public:
  explicit TRadioGroup(TComponent* owner);
  ~TRadioGroup() override;
  TStrings& Items() { return *FItems; }
  const TStrings& Items() const { return *FItems; }
  int ItemIndex() const { return FItemIndex; }
  void SetItemIndex(int v);
  int Columns() const { return FColumns; }
  void SetColumns(int v);
  // Where item i's button lies in the group's client area.
  TRect ButtonRect(int i) const;
  // The buttons' windows (empty until the group's window is made).
  const std::vector<win::HWND>& ButtonWindows() const { return FButtons; }
  // A click on a button selects its item.
  win::LRESULT WndProc(win::UINT msg, win::WPARAM wParam,
                       win::LPARAM lParam) override;

 protected:
  void WindowCreated() override;
  void Resized() override;
  void FontChanged() override;

 private:
  void MakeButtons();
  void ArrangeButtons();

  std::unique_ptr<TStrings> FItems;
  int FItemIndex = -1;
  int FColumns = 1;
  std::vector<win::HWND> FButtons;
};

// An image: Picture.Data as the form file stores it. A bitmap (TBitmap
// data) is drawn at the top left, centred (Center) or stretched to the
// bounds (Stretch, Proportional); other picture formats are not drawn.
class TPicture : public TPersistent {
  FLX_CLASS(TPicture)
 public:
  // The stored data ({ hex }): the picture class name (a length byte and
  // the name), then the class's own data (for TBitmap its size and a .bmp
  // file).
  FormValue Data;
  TPicture();
  void Assign(const TPersistent& source) override;
  // "TBitmap", "TPngImage"... or "" without data.
  std::string GraphicClass() const;
  // The .bmp file of TBitmap data, or empty.
  std::vector<std::uint8_t> Bitmap() const;
};

class TImage : public TGraphicControl {
  FLX_CLASS(TImage)
 public:
  explicit TImage(TComponent* owner);
  TPicture& Picture() { return *FPicture; }
  const TPicture& Picture() const { return *FPicture; }
  bool Stretch() const { return FStretch; }
  void SetStretch(bool v) { FStretch = v; }
  bool Center() const { return FCenter; }
  void SetCenter(bool v) { FCenter = v; }
  bool Proportional() const { return FProportional; }
  void SetProportional(bool v) { FProportional = v; }
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool v) { FTransparent = v; }
  // Where the bitmap goes within the bounds (left, top, width, height
  // relative to the image), or an empty rectangle without a bitmap.
  TRect BitmapRect() const;
  void Paint(win::HDC dc) override;

 private:
  std::unique_ptr<TPicture> FPicture;
  bool FStretch = false;
  bool FCenter = false;
  bool FProportional = false;
  bool FTransparent = false;
};

enum class TShapeType {
  stRectangle,
  stSquare,
  stRoundRect,
  stRoundSquare,
  stEllipse,
  stCircle
};
extern const TEnumInfo ShapeTypeInfo;

// A shape filled with Brush and outlined with Pen; every shape is drawn as
// its bounding rectangle (or square).
class TShape : public TGraphicControl {
  FLX_CLASS(TShape)
 public:
  explicit TShape(TComponent* owner);
  TShapeType Shape() const { return FShape; }
  void SetShape(TShapeType v) { FShape = v; }
  TBrush& Brush() { return *FBrush; }
  const TBrush& Brush() const { return *FBrush; }
  TPen& Pen() { return *FPen; }
  const TPen& Pen() const { return *FPen; }
  void Paint(win::HDC dc) override;

 private:
  TShapeType FShape = TShapeType::stRectangle;
  std::unique_ptr<TBrush> FBrush;
  std::unique_ptr<TPen> FPen;
};

enum class TBevelShape {
  bsBox,
  bsFrame,
  bsTopLine,
  bsBottomLine,
  bsLeftLine,
  bsRightLine,
  bsSpacer
};
extern const TEnumInfo BevelShapeInfo;
enum class TBevelStyle { bsLowered, bsRaised };
extern const TEnumInfo BevelStyleInfo;

// A bevel: a sunken or raised box, frame or line.
class TBevel : public TGraphicControl {
  FLX_CLASS(TBevel)
 public:
  explicit TBevel(TComponent* owner);
  TBevelShape Shape() const { return FShape; }
  void SetShape(TBevelShape v) { FShape = v; }
  TBevelStyle Style() const { return FStyle; }
  void SetStyle(TBevelStyle v) { FStyle = v; }
  void Paint(win::HDC dc) override;

 private:
  TBevelShape FShape = TBevelShape::bsBox;
  TBevelStyle FStyle = TBevelStyle::bsLowered;
};

// Drawn by the application at run time: nothing of the framework's.
class TPaintBox : public TGraphicControl {
  FLX_CLASS(TPaintBox)
 public:
  explicit TPaintBox(TComponent* owner);
};

class TSplitter : public TGraphicControl {
  FLX_CLASS(TSplitter)
 public:
  explicit TSplitter(TComponent* owner);
};

}  // namespace flx
