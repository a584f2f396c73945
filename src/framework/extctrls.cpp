// Panels, group boxes, radio groups, images, shapes and bevels: what the
// framework paints itself.
#include "flexarium/extctrls.h"

#include <algorithm>
#include <cstdint>

#include "framework/std_classes.h"

namespace flx {

using namespace std_classes;
using rtti::BoolProp;
using rtti::EnumProp;
using rtti::IntProp;

const TEnumInfo PanelBevelInfo{"TPanelBevel",
                               {"bvNone", "bvLowered", "bvRaised", "bvSpace"}};
const TEnumInfo ShapeTypeInfo{"TShapeType",
                              {"stRectangle", "stSquare", "stRoundRect",
                               "stRoundSquare", "stEllipse", "stCircle"}};
const TEnumInfo BevelShapeInfo{"TBevelShape",
                               {"bsBox", "bsFrame", "bsTopLine", "bsBottomLine",
                                "bsLeftLine", "bsRightLine", "bsSpacer"}};
const TEnumInfo BevelStyleInfo{"TBevelStyle", {"bsLowered", "bsRaised"}};

// ---- TPanel

const TClassInfo& TPanel::StaticClass() {
  static const TClassInfo info = MakeInfo(
      "TPanel", TCustomControl::StaticClass(), kFont | kCaption,
      FactoryOf<TPanel>(),
      {EnumProp("Alignment", AlignmentInfo, &TPanel::Alignment,
                &TPanel::SetAlignment),
       EnumProp("BevelInner", PanelBevelInfo, &TPanel::BevelInner,
                &TPanel::SetBevelInner),
       EnumProp("BevelOuter", PanelBevelInfo, &TPanel::BevelOuter,
                &TPanel::SetBevelOuter),
       IntProp("BevelWidth", &TPanel::BevelWidth, &TPanel::SetBevelWidth),
       IntProp("BorderWidth", &TPanel::BorderWidth, &TPanel::SetBorderWidth),
       BoolProp("ShowCaption", &TPanel::ShowCaption, &TPanel::SetShowCaption)});
  return info;
}

TPanel::TPanel(TComponent* owner) : TCustomControl(owner) {
  SetBounds(0, 0, 185, 41);
}

void TPanel::PaintWindow(win::HDC dc) {
  using namespace win;
  RECT rect{0, 0, Width(), Height()};
  // Each pixel of a bevel's width is one highlight and shadow line pair.
  auto bevel = [&](TPanelBevel b) {
    if (b == TPanelBevel::bvNone) return;
    for (int i = 0; i < FBevelWidth; ++i) {
      if (b != TPanelBevel::bvSpace) {
        DrawEdge(dc, &rect,
                 b == TPanelBevel::bvRaised ? BDR_RAISEDINNER : BDR_SUNKENINNER,
                 BF_RECT);
      }
      rect = RECT{rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom - 1};
    }
  };
  bevel(FBevelOuter);
  rect = RECT{rect.left + FBorderWidth, rect.top + FBorderWidth,
              rect.right - FBorderWidth, rect.bottom - FBorderWidth};
  bevel(FBevelInner);
  if (!FShowCaption || GetText().empty()) return;
  UINT format = DT_SINGLELINE | DT_VCENTER | DT_EXPANDTABS;
  if (FAlignment == TAlignment::taCenter) format |= DT_CENTER;
  if (FAlignment == TAlignment::taRightJustify) format |= DT_RIGHT;
  DrawCaption(*this, dc, rect, format, GetText());
}

// ---- TGroupBox

const TClassInfo& TGroupBox::StaticClass() {
  static const TClassInfo info =
      MakeInfo("TGroupBox", TCustomControl::StaticClass(), kFont | kCaption,
               FactoryOf<TGroupBox>());
  return info;
}

TGroupBox::TGroupBox(TComponent* owner) : TCustomControl(owner) {
  SetBounds(0, 0, 185, 105);
}

void TGroupBox::PaintWindow(win::HDC dc) {
  using namespace win;
  // The frame's top line runs through the middle of the caption.
  const int line = LineHeight(Font());
  RECT frame{0, line / 2 - 1, Width(), Height()};
  DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
  const std::string caption = GetText();
  if (caption.empty()) return;
  RECT text{8, 0, std::max(Width() - 8, 8), line};
  const HFONT previous = SelectObject(dc, Font().Handle());
  DrawTextW(dc, Utf8ToUtf16(WithoutAccelerator(caption)), &text,
            DT_SINGLELINE | DT_CALCRECT | DT_NOPREFIX);
  SelectObject(dc, previous);
  text.right = HeldInt(std::min<std::int64_t>(text.right + 2LL, Width() - 6));
  text.left -= 2;
  FillSys(dc, text, COLOR_BTNFACE);
  text.left += 2;
  DrawCaption(*this, dc, text, DT_SINGLELINE, caption);
}

// ---- TRadioGroup

const TClassInfo& TRadioGroup::StaticClass() {
  static const TClassInfo info = MakeInfo(
      "TRadioGroup", TGroupBox::StaticClass(), 0, FactoryOf<TRadioGroup>(),
      {IntProp("Columns", &TRadioGroup::Columns, &TRadioGroup::SetColumns),
       IntProp("ItemIndex", &TRadioGroup::ItemIndex,
               &TRadioGroup::SetItemIndex),
       StringsProp("Items", static_cast<TStrings& (TRadioGroup::*)()>(
                                &TRadioGroup::Items))});
  return info;
}

TRadioGroup::TRadioGroup(TComponent* owner)
    : TGroupBox(owner), FItems(std::make_unique<TStrings>()) {
  FItems->OnChange = [this] {
    if (HandleAllocated()) MakeButtons();
  };
}

TRadioGroup::~TRadioGroup() = default;

void TRadioGroup::SetItemIndex(int v) {
  FItemIndex = v;
  using namespace win;
  for (std::size_t i = 0; i < FButtons.size(); ++i) {
    SendMessageW(FButtons[i], BM_SETCHECK,
                 static_cast<int>(i) == v ? BST_CHECKED : BST_UNCHECKED, 0);
  }
}

void TRadioGroup::SetColumns(int v) {
  FColumns = std::clamp(v, 1, 16);
  ArrangeButtons();
}

TRect TRadioGroup::ButtonRect(int i) const {
  const int count = FItems->Count();
  if (i < 0 || i >= count) return {};
  // Columns of equal width; the rows share the height below the caption,
  // the odd pixels split above and below.
  const std::int64_t perColumn = (count + FColumns - 1) / FColumns;
  const std::int64_t width =
      std::max<std::int64_t>((Width() - 10LL) / FColumns, 0);
  const std::int64_t line = LineHeight(Font());
  const std::int64_t spare = Height() - line - 5;
  const std::int64_t height = std::max<std::int64_t>(spare / perColumn, 0);
  const std::int64_t top = line + 1 + (spare % perColumn) / 2;
  const std::int64_t left = (i / perColumn) * width + 8;
  const std::int64_t y = (i % perColumn) * height + top;
  return {HeldInt(left), HeldInt(y), HeldInt(left + width),
          HeldInt(y + height)};
}

void TRadioGroup::WindowCreated() { MakeButtons(); }

void TRadioGroup::MakeButtons() {
  using namespace win;
  // Those of an earlier window went with it; a handle the system gave out
  // again since belongs to someone else.
  for (HWND button : FButtons) {
    if (IsWindow(button) && GetParent(button) == FHandle) {
      DestroyWindow(button);
    }
  }
  FButtons.clear();
  for (int i = 0; i < FItems->Count(); ++i) {
    const TRect r = ButtonRect(i);
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS |
                        BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP : 0);
    HWND button =
        CreateWindowExW(0, u"BUTTON", Utf8ToUtf16(FItems->Strings(i)), style,
                        r.Left, r.Top, r.Width(), r.Height(), FHandle, nullptr);
    if (button == nullptr) continue;
    FButtons.push_back(button);
    SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()),
                 0);
  }
  SetItemIndex(FItemIndex);
}

void TRadioGroup::ArrangeButtons() {
  if (!HandleAllocated() ||
      static_cast<int>(FButtons.size()) != FItems->Count()) {
    return;
  }
  for (std::size_t i = 0; i < FButtons.size(); ++i) {
    const TRect r = ButtonRect(static_cast<int>(i));
    win::SetWindowPos(FButtons[i], nullptr, r.Left, r.Top, r.Width(),
                      r.Height(), win::SWP_NOZORDER | win::SWP_NOACTIVATE);
  }
}

void TRadioGroup::Resized() {
  TGroupBox::Resized();
  ArrangeButtons();
}

void TRadioGroup::FontChanged() {
  TGroupBox::FontChanged();
  if (!HandleAllocated()) return;
  for (win::HWND button : FButtons) {
    win::SendMessageW(button, win::WM_SETFONT,
                      reinterpret_cast<win::WPARAM>(Font().Handle()), 1);
  }
  ArrangeButtons();
}

win::LRESULT TRadioGroup::WndProc(win::UINT msg, win::WPARAM wParam,
                                  win::LPARAM lParam) {
  if (msg == win::WM_COMMAND && win::HIWORD(wParam) == 0 /* BN_CLICKED */) {
    const auto it = std::find(FButtons.begin(), FButtons.end(),
                              reinterpret_cast<win::HWND>(lParam));
    if (it != FButtons.end()) {
      FItemIndex = static_cast<int>(it - FButtons.begin());
    }
  }
  return TGroupBox::WndProc(msg, wParam, lParam);
}

// ---- TImage

namespace {

std::uint32_t ReadU32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at]) |
         (static_cast<std::uint32_t>(b[at + 1]) << 8) |
         (static_cast<std::uint32_t>(b[at + 2]) << 16) |
         (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

// What a .bmp file holds that drawing needs, checked against its size.
struct BitmapView {
  int width = 0;
  int height = 0;  // rows; negative in the file for top-down bitmaps
  const std::uint8_t* info = nullptr;
  const std::uint8_t* bits = nullptr;
};

constexpr std::size_t kFileHeader = 14;

std::uint16_t ReadU16(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

// The system reads the header, the colour table and every row of pixels
// from these pointers: a file that is short of any of them is refused, and
// so are compressed pixels (whose length only their decoding tells).
bool ViewBitmap(const std::vector<std::uint8_t>& file, BitmapView& view) {
  if (file.size() < kFileHeader + 12 || file[0] != 'B' || file[1] != 'M') {
    return false;
  }
  const std::uint32_t bitsAt = ReadU32(file, 10);
  const std::uint32_t headerSize = ReadU32(file, kFileHeader);
  if (bitsAt >= file.size() || headerSize > file.size() - kFileHeader) {
    return false;
  }
  const bool core = headerSize == 12;
  if (!core && headerSize < 40) return false;
  const std::int64_t w =
      core ? ReadU16(file, 18) : static_cast<std::int32_t>(ReadU32(file, 18));
  const std::int64_t h =
      core ? ReadU16(file, 20) : static_cast<std::int32_t>(ReadU32(file, 22));
  const unsigned bits = ReadU16(file, core ? 24 : 28);
  const std::uint32_t compression = core ? 0 : ReadU32(file, 30);
  if (w <= 0 || h == 0 || w > 65535 || h > 65535 || h < -65535) return false;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 &&
      bits != 32) {
    return false;
  }
  // BI_RGB, or BI_BITFIELDS with its three masks after the header.
  if (compression != 0 && !(compression == 3 && (bits == 16 || bits == 32))) {
    return false;
  }
  std::uint64_t table = compression == 3 ? 12 : 0;
  if (bits <= 8) {
    const std::uint32_t used = core ? 0 : ReadU32(file, 46);
    const std::uint64_t entries = used != 0 ? used : (1u << bits);
    table = entries * (core ? 3 : 4);
  }
  if (kFileHeader + headerSize + table > file.size()) return false;
  const std::uint64_t stride =
      (static_cast<std::uint64_t>(w) * bits + 31) / 32 * 4;
  const std::uint64_t rows = static_cast<std::uint64_t>(h < 0 ? -h : h);
  if (stride * rows > file.size() - bitsAt) return false;
  view = BitmapView{static_cast<int>(w), static_cast<int>(h),
                    file.data() + kFileHeader, file.data() + bitsAt};
  return true;
}

}  // namespace

const TClassInfo& TPicture::StaticClass() {
  static const TClassInfo info = [] {
    TClassInfo c{"TPicture", &TPersistent::StaticClass(), {}, {}, false};
    c.Props.push_back(rtti::ValueProp(
        "Data", TTypeKind::Binary, FormValue::Kind::Binary, &TPicture::Data));
    return c;
  }();
  return info;
}

TPicture::TPicture() { Data.kind = FormValue::Kind::Binary; }

void TPicture::Assign(const TPersistent& source) {
  const auto* p = dynamic_cast<const TPicture*>(&source);
  if (p == nullptr) {
    TPersistent::Assign(source);
    return;
  }
  Data = p->Data;
}

std::string TPicture::GraphicClass() const {
  const auto& b = Data.bytes;
  if (b.empty() || b[0] == 0 || b.size() < 1u + b[0]) return {};
  return std::string(b.begin() + 1, b.begin() + 1 + b[0]);
}

std::vector<std::uint8_t> TPicture::Bitmap() const {
  if (GraphicClass() != "TBitmap") return {};
  // After the class name: the size of the .bmp file, then the file.
  const auto& b = Data.bytes;
  const std::size_t at = 1u + b[0];
  if (b.size() < at + 4) return {};
  const std::uint32_t size = ReadU32(b, at);
  if (size > b.size() - at - 4) return {};
  return std::vector<std::uint8_t>(b.begin() + at + 4,
                                   b.begin() + at + 4 + size);
}

const TClassInfo& TImage::StaticClass() {
  static const TClassInfo info = MakeInfo(
      "TImage", TGraphicControl::StaticClass(), 0, FactoryOf<TImage>(),
      {BoolProp("Center", &TImage::Center, &TImage::SetCenter),
       rtti::ClassProp("Picture", TPicture::StaticClass(),
                       static_cast<TPicture& (TImage::*)()>(&TImage::Picture)),
       BoolProp("Proportional", &TImage::Proportional,
                &TImage::SetProportional),
       BoolProp("Stretch", &TImage::Stretch, &TImage::SetStretch),
       BoolProp("Transparent", &TImage::Transparent, &TImage::SetTransparent)});
  return info;
}

TImage::TImage(TComponent* owner)
    : TGraphicControl(owner), FPicture(std::make_unique<TPicture>()) {
  SetBounds(0, 0, 105, 105);
}

TRect TImage::BitmapRect() const {
  BitmapView view;
  const std::vector<std::uint8_t> file = FPicture->Bitmap();
  if (!ViewBitmap(file, view)) return {};
  int w = view.width, h = std::abs(view.height);
  const int cw = Width(), ch = Height();
  if (FStretch || (FProportional && (w > cw || h > ch))) {
    if (FProportional) {
      // The longer side fills the bounds; the other keeps the aspect.
      const double aspect = static_cast<double>(w) / h;
      if (w > h) {
        w = cw;
        h = static_cast<int>(cw / aspect);
        if (h > ch) {
          h = ch;
          w = static_cast<int>(ch * aspect);
        }
      } else {
        h = ch;
        w = static_cast<int>(ch * aspect);
        if (w > cw) {
          w = cw;
          h = static_cast<int>(cw / aspect);
        }
      }
    } else {
      w = cw;
      h = ch;
    }
  }
  TRect r{0, 0, w, h};
  if (FCenter) {
    r.Left += (cw - w) / 2;
    r.Right += (cw - w) / 2;
    r.Top += (ch - h) / 2;
    r.Bottom += (ch - h) / 2;
  }
  return r;
}

void TImage::Paint(win::HDC dc) {
  using namespace win;
  const std::vector<std::uint8_t> file = FPicture->Bitmap();
  BitmapView view;
  if (!ViewBitmap(file, view)) return;
  const TRect r = BitmapRect();
  StretchDIBits(dc, HeldInt(std::int64_t{Left()} + r.Left),
                HeldInt(std::int64_t{Top()} + r.Top), r.Width(), r.Height(), 0,
                0, view.width, std::abs(view.height), view.bits, view.info,
                DIB_RGB_COLORS, SRCCOPY);
}

// ---- TShape, TBevel, TPaintBox, TSplitter

const TClassInfo& TShape::StaticClass() {
  static const TClassInfo info = MakeInfo(
      "TShape", TGraphicControl::StaticClass(), 0, FactoryOf<TShape>(),
      {rtti::ClassProp("Brush", TBrush::StaticClass(),
                       static_cast<TBrush& (TShape::*)()>(&TShape::Brush)),
       rtti::ClassProp("Pen", TPen::StaticClass(),
                       static_cast<TPen& (TShape::*)()>(&TShape::Pen)),
       EnumProp("Shape", ShapeTypeInfo, &TShape::Shape, &TShape::SetShape)});
  return info;
}

TShape::TShape(TComponent* owner)
    : TGraphicControl(owner),
      FBrush(std::make_unique<TBrush>()),
      FPen(std::make_unique<TPen>()) {
  SetBounds(0, 0, 65, 65);
}

void TShape::Paint(win::HDC dc) {
  using namespace win;
  RECT r = BoundsOf(*this);
  if (FShape == TShapeType::stSquare || FShape == TShapeType::stRoundSquare ||
      FShape == TShapeType::stCircle) {
    // Squares and circles take the shorter side, centred.
    const std::int64_t side = std::min(Width(), Height());
    r.left = HeldInt(r.left + (Width() - side) / 2);
    r.top = HeldInt(r.top + (Height() - side) / 2);
    r.right = HeldInt(r.left + side);
    r.bottom = HeldInt(r.top + side);
  }
  if (FBrush->Style != TBrushStyle::bsClear) {
    FillSolid(dc, r, ColorToRGB(FBrush->Color, RGB(255, 255, 255)));
  }
  if (FPen->Style == TPenStyle::psClear || FPen->Width <= 0) return;
  const COLORREF pen = ColorToRGB(FPen->Color, RGB(0, 0, 0));
  const std::int64_t w = std::min<std::int64_t>(
      FPen->Width, (std::int64_t{r.right} - r.left + 1) / 2);
  FillSolid(dc, RECT{r.left, r.top, r.right, HeldInt(r.top + w)}, pen);
  FillSolid(dc, RECT{r.left, HeldInt(r.bottom - w), r.right, r.bottom}, pen);
  FillSolid(dc, RECT{r.left, r.top, HeldInt(r.left + w), r.bottom}, pen);
  FillSolid(dc, RECT{HeldInt(r.right - w), r.top, r.right, r.bottom}, pen);
}

const TClassInfo& TBevel::StaticClass() {
  static const TClassInfo info = MakeInfo(
      "TBevel", TGraphicControl::StaticClass(), 0, FactoryOf<TBevel>(),
      {EnumProp("Shape", BevelShapeInfo, &TBevel::Shape, &TBevel::SetShape),
       EnumProp("Style", BevelStyleInfo, &TBevel::Style, &TBevel::SetStyle)});
  return info;
}

TBevel::TBevel(TComponent* owner) : TGraphicControl(owner) {
  SetBounds(0, 0, 50, 50);
}

void TBevel::Paint(win::HDC dc) {
  using namespace win;
  RECT r = BoundsOf(*this);
  const bool lowered = FStyle == TBevelStyle::bsLowered;
  // A line or frame is a shadow and a highlight side by side: etched when
  // lowered, bumped when raised.
  const UINT pair = lowered ? EDGE_ETCHED : (BDR_RAISEDOUTER | BDR_SUNKENINNER);
  switch (FShape) {
    case TBevelShape::bsBox:
      DrawEdge(dc, &r, lowered ? BDR_SUNKENINNER : BDR_RAISEDINNER, BF_RECT);
      break;
    case TBevelShape::bsFrame:
      DrawEdge(dc, &r, pair, BF_RECT);
      break;
    case TBevelShape::bsTopLine:
      DrawEdge(dc, &r, pair, BF_TOP);
      break;
    case TBevelShape::bsBottomLine:
      DrawEdge(dc, &r, pair, BF_BOTTOM);
      break;
    case TBevelShape::bsLeftLine:
      DrawEdge(dc, &r, pair, BF_LEFT);
      break;
    case TBevelShape::bsRightLine:
      DrawEdge(dc, &r, pair, BF_RIGHT);
      break;
    case TBevelShape::bsSpacer:
      break;
  }
}

const TClassInfo& TPaintBox::StaticClass() {
  static const TClassInfo info =
      MakeInfo("TPaintBox", TGraphicControl::StaticClass(), kFont,
               FactoryOf<TPaintBox>());
  return info;
}

TPaintBox::TPaintBox(TComponent* owner) : TGraphicControl(owner) {
  SetBounds(0, 0, 105, 105);
}

const TClassInfo& TSplitter::StaticClass() {
  static const TClassInfo info = MakeInfo(
      "TSplitter", TGraphicControl::StaticClass(), 0, FactoryOf<TSplitter>());
  return info;
}

TSplitter::TSplitter(TComponent* owner) : TGraphicControl(owner) {
  SetBounds(0, 0, 3, 100);
}

}  // namespace flx
