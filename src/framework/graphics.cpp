#include "flexarium/graphics.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "flexarium/winapi.h"
#include "framework/rtti_util.h"

namespace flx {

namespace {

struct IdentEntry {
  const char* name;
  std::int64_t value;
};

constexpr std::int64_t kSys = 0xFF000000;

const IdentEntry kColors[] = {
    {"clBlack", 0x000000},
    {"clMaroon", 0x000080},
    {"clGreen", 0x008000},
    {"clOlive", 0x008080},
    {"clNavy", 0x800000},
    {"clPurple", 0x800080},
    {"clTeal", 0x808000},
    {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0},
    {"clRed", 0x0000FF},
    {"clLime", 0x00FF00},
    {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},
    {"clFuchsia", 0xFF00FF},
    {"clAqua", 0xFFFF00},
    {"clWhite", 0xFFFFFF},
    {"clMoneyGreen", 0xC0DCC0},
    {"clSkyBlue", 0xF0CAA6},
    {"clCream", 0xF0FBFF},
    {"clMedGray", 0xA4A0A0},
    {"clNone", 0x1FFFFFFF},
    {"clDefault", 0x20000000},
    {"clScrollBar", kSys | 0},
    {"clBackground", kSys | 1},
    {"clActiveCaption", kSys | 2},
    {"clInactiveCaption", kSys | 3},
    {"clMenu", kSys | 4},
    {"clWindow", kSys | 5},
    {"clWindowFrame", kSys | 6},
    {"clMenuText", kSys | 7},
    {"clWindowText", kSys | 8},
    {"clCaptionText", kSys | 9},
    {"clActiveBorder", kSys | 10},
    {"clInactiveBorder", kSys | 11},
    {"clAppWorkSpace", kSys | 12},
    {"clHighlight", kSys | 13},
    {"clHighlightText", kSys | 14},
    {"clBtnFace", kSys | 15},
    {"clBtnShadow", kSys | 16},
    {"clGrayText", kSys | 17},
    {"clBtnText", kSys | 18},
    {"clInactiveCaptionText", kSys | 19},
    {"clBtnHighlight", kSys | 20},
    {"cl3DDkShadow", kSys | 21},
    {"cl3DLight", kSys | 22},
    {"clInfoText", kSys | 23},
    {"clInfoBk", kSys | 24},
    {"clHotLight", kSys | 26},
    {"clGradientActiveCaption", kSys | 27},
    {"clGradientInactiveCaption", kSys | 28},
    {"clMenuHighlight", kSys | 29},
    {"clMenuBar", kSys | 30},
};

const IdentEntry kCharsets[] = {
    {"ANSI_CHARSET", 0},          {"DEFAULT_CHARSET", 1},
    {"SYMBOL_CHARSET", 2},        {"MAC_CHARSET", 77},
    {"SHIFTJIS_CHARSET", 128},    {"HANGEUL_CHARSET", 129},
    {"JOHAB_CHARSET", 130},       {"GB2312_CHARSET", 134},
    {"CHINESEBIG5_CHARSET", 136}, {"GREEK_CHARSET", 161},
    {"TURKISH_CHARSET", 162},     {"VIETNAMESE_CHARSET", 163},
    {"HEBREW_CHARSET", 177},      {"ARABIC_CHARSET", 178},
    {"BALTIC_CHARSET", 186},      {"RUSSIAN_CHARSET", 204},
    {"THAI_CHARSET", 222},        {"EASTEUROPE_CHARSET", 238},
    {"OEM_CHARSET", 255},
};

template <std::size_t N>
TIdentInt ToIdentInt(const FormValue& v, const IdentEntry (&table)[N]) {
  if (v.kind == FormValue::Kind::Integer) return TIdentInt{v.integer, {}};
  if (v.kind == FormValue::Kind::Ident) {
    for (const IdentEntry& e : table) {
      if (SameText(e.name, v.text)) return TIdentInt{e.value, e.name};
    }
    // Kept as written so that the form file reads back unchanged.
    return TIdentInt{0, v.text};
  }
  throw EConvertError("an identifier or an integer is expected");
}

FormValue FromIdentInt(const TIdentInt& v) {
  return v.Ident.empty() ? FormValue::Int(v.Value)
                         : FormValue::Identifier(v.Ident);
}

const TEnumInfo kFontStyleInfo{
    "TFontStyle", {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"}};

// A colour property of a sub-object (Brush.Color, Pen.Color).
template <class T>
TPropInfo ColorField(TIdentInt T::*member) {
  TPropInfo p;
  p.Name = "Color";
  p.Kind = TTypeKind::Integer;
  p.Get = [member](const TPersistent& o) {
    return ColorToValue(static_cast<const T&>(o).*member);
  };
  p.Set = [member](TPersistent& o, const FormValue& v) {
    static_cast<T&>(o).*member = ColorFromValue(v);
  };
  return p;
}

template <class T, class E>
TPropInfo EnumField(const char* name, const TEnumInfo& info, E T::*member) {
  TPropInfo p;
  p.Name = name;
  p.Kind = TTypeKind::Enumeration;
  p.EnumType = &info;
  p.Get = [member, &info](const TPersistent& o) {
    auto i = static_cast<std::size_t>(static_cast<const T&>(o).*member);
    return FormValue::Identifier(info.Names[i]);
  };
  p.Set = [member, &info](TPersistent& o, const FormValue& v) {
    static_cast<T&>(o).*member = static_cast<E>(rtti::ToEnum(v, info));
  };
  return p;
}

}  // namespace

TIdentInt ColorFromValue(const FormValue& value) {
  return ToIdentInt(value, kColors);
}

FormValue ColorToValue(const TIdentInt& color) { return FromIdentInt(color); }

TIdentInt NamedColor(const char* name) {
  for (const IdentEntry& e : kColors) {
    if (SameText(e.name, name)) return TIdentInt{e.value, e.name};
  }
  FLX_ASSERT(false);
  return {};
}

win::COLORREF ColorToRGB(const TIdentInt& color, win::COLORREF fallback) {
  if (!color.Ident.empty()) {
    bool known = false;
    for (const IdentEntry& e : kColors) known = known || e.name == color.Ident;
    if (!known) return fallback;
  }
  // System colours are 0xFF0000nn (negative when read as a 32-bit number).
  const auto value = static_cast<std::uint32_t>(color.Value);
  if ((value & 0xFF000000u) == 0xFF000000u) {
    return win::hasWindowSystem()
               ? win::GetSysColor(static_cast<int>(value & 0xFF))
               : fallback;
  }
  if ((value & 0xFF000000u) != 0) return fallback;  // clNone, clDefault
  return static_cast<win::COLORREF>(value);
}

const TEnumInfo BrushStyleInfo{
    "TBrushStyle",
    {"bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal",
     "bsBDiagonal", "bsCross", "bsDiagCross"}};

const TEnumInfo PenStyleInfo{
    "TPenStyle",
    {"psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear",
     "psInsideFrame", "psUserStyle", "psAlternate"}};

const TClassInfo& TBrush::StaticClass() {
  static const TClassInfo info = [] {
    TClassInfo c{"TBrush", &TPersistent::StaticClass(), {}, {}, false};
    c.Props.push_back(ColorField(&TBrush::Color));
    c.Props.push_back(EnumField("Style", BrushStyleInfo, &TBrush::Style));
    return c;
  }();
  return info;
}

void TBrush::Assign(const TPersistent& source) {
  const auto* b = dynamic_cast<const TBrush*>(&source);
  if (b == nullptr) {
    TPersistent::Assign(source);
    return;
  }
  Color = b->Color;
  Style = b->Style;
}

const TClassInfo& TPen::StaticClass() {
  static const TClassInfo info = [] {
    TClassInfo c{"TPen", &TPersistent::StaticClass(), {}, {}, false};
    c.Props.push_back(ColorField(&TPen::Color));
    c.Props.push_back(EnumField("Style", PenStyleInfo, &TPen::Style));
    TPropInfo width;
    width.Name = "Width";
    width.Kind = TTypeKind::Integer;
    width.Get = [](const TPersistent& o) {
      return FormValue::Int(static_cast<const TPen&>(o).Width);
    };
    width.Set = [](TPersistent& o, const FormValue& v) {
      static_cast<TPen&>(o).Width = rtti::ToInt(v);
    };
    c.Props.push_back(std::move(width));
    return c;
  }();
  return info;
}

void TPen::Assign(const TPersistent& source) {
  const auto* p = dynamic_cast<const TPen*>(&source);
  if (p == nullptr) {
    TPersistent::Assign(source);
    return;
  }
  Color = p->Color;
  Style = p->Style;
  Width = p->Width;
}

int ScreenPixelsPerInch() {
  using namespace win;
  HDC dc = GetDC(nullptr);
  int dpi = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(nullptr, dc);
  return dpi > 0 ? dpi : 96;
}

const TClassInfo& TFont::StaticClass() {
  static const TClassInfo info = [] {
    using namespace rtti;
    TClassInfo c{"TFont", &TPersistent::StaticClass(), {}, {}, false};
    TPropInfo charset;
    charset.Name = "Charset";
    charset.Kind = TTypeKind::Integer;
    charset.NoDefault = true;
    charset.Get = [](const TPersistent& o) {
      return FromIdentInt(static_cast<const TFont&>(o).Charset());
    };
    charset.Set = [](TPersistent& o, const FormValue& v) {
      static_cast<TFont&>(o).SetCharset(ToIdentInt(v, kCharsets));
    };
    c.Props.push_back(std::move(charset));
    TPropInfo color;
    color.Name = "Color";
    color.Kind = TTypeKind::Integer;
    color.NoDefault = true;
    color.Get = [](const TPersistent& o) {
      return FromIdentInt(static_cast<const TFont&>(o).Color());
    };
    color.Set = [](TPersistent& o, const FormValue& v) {
      static_cast<TFont&>(o).SetColor(ToIdentInt(v, kColors));
    };
    c.Props.push_back(std::move(color));
    c.Props.push_back(
        IntProp("Height", &TFont::Height, &TFont::SetHeight, true));
    TPropInfo name = StrProp<TFont>(
        "Name", &TFont::Name,
        static_cast<void (TFont::*)(const std::string&)>(&TFont::SetName));
    name.NoDefault = true;
    c.Props.push_back(std::move(name));
    // Read when a file has it, never written: Height carries the size.
    TPropInfo size = IntProp("Size", &TFont::Size, &TFont::SetSize);
    size.Stored = [](const TPersistent&) { return false; };
    c.Props.push_back(std::move(size));
    TPropInfo style =
        SetProp("Style", kFontStyleInfo, &TFont::Style, &TFont::SetStyle);
    style.NoDefault = true;
    c.Props.push_back(std::move(style));
    return c;
  }();
  return info;
}

namespace {
// MulDiv's rounding on the exact product, held within -INT_MAX..INT_MAX;
// -1 for a zero divisor, as MulDiv.
int mulDivHeld(int a, int b, int c) {
  if (c == 0) return -1;
  const long long p = static_cast<long long>(a) * b;
  long long q = p / c;
  if (2 * std::llabs(p % c) >= std::llabs(static_cast<long long>(c))) {
    q += ((p < 0) != (c < 0)) ? -1 : 1;
  }
  constexpr long long kLimit = std::numeric_limits<int>::max();
  return static_cast<int>(std::clamp(q, -kLimit, kLimit));
}
}  // namespace

int TFont::HeightOfSize(int points, int pixelsPerInch) {
  return -mulDivHeld(points, pixelsPerInch, 72);
}

int TFont::SizeOfHeight(int height, int pixelsPerInch) {
  return -mulDivHeld(height, 72, pixelsPerInch);
}

TFont::TFont() : TFont(win::hasWindowSystem() ? ScreenPixelsPerInch() : 96) {}

TFont::TFont(int pixelsPerInch)
    : FPixelsPerInch(pixelsPerInch),
      FColor{kSys | 8, "clWindowText"},
      FCharset{1, "DEFAULT_CHARSET"} {
  FHeight = HeightOfSize(8, FPixelsPerInch);
}

TFont::~TFont() { ReleaseHandle(); }

void TFont::SetName(const std::string& v) {
  if (FName == v) return;
  FName = v;
  Changed();
}

void TFont::SetHeight(int v) {
  FSizeGiven = false;
  if (FHeight == v) return;
  FHeight = v;
  Changed();
}

int TFont::Size() const { return SizeOfHeight(FHeight, FPixelsPerInch); }

void TFont::SetSize(int points) {
  const int height = HeightOfSize(points, FPixelsPerInch);
  FSizeGiven = true;
  FGivenSize = points;
  if (FHeight == height) return;
  FHeight = height;
  Changed();
}

void TFont::SetStyle(TFontStyles v) {
  if (FStyle == v) return;
  FStyle = v;
  Changed();
}

void TFont::SetColor(const TIdentInt& v) {
  if (FColor == v) return;
  FColor = v;
  Changed();
}

void TFont::SetCharset(const TIdentInt& v) {
  if (FCharset == v) return;
  FCharset = v;
  Changed();
}

void TFont::Assign(const TPersistent& source) {
  const auto* f = dynamic_cast<const TFont*>(&source);
  if (f == nullptr) {
    TPersistent::Assign(source);
    return;
  }
  bool changed = !SameAs(*f);
  FName = f->FName;
  FStyle = f->FStyle;
  FColor = f->FColor;
  FCharset = f->FCharset;
  FSizeGiven = f->FSizeGiven;
  FGivenSize = f->FGivenSize;
  if (f->FPixelsPerInch == FPixelsPerInch) {
    FHeight = f->FHeight;
  } else {
    int h = HeightOfSize(f->Size(), FPixelsPerInch);
    changed = changed || h != FHeight;
    FHeight = h;
  }
  if (changed) Changed();
}

bool TFont::SameAs(const TFont& o) const {
  return FName == o.FName && FStyle == o.FStyle && FColor == o.FColor &&
         FCharset == o.FCharset &&
         (FPixelsPerInch == o.FPixelsPerInch ? FHeight == o.FHeight
                                             : Size() == o.Size());
}

void TFont::Changed() {
  // Windows still showing the old font get the new one first; only then
  // does the old one go.
  win::HFONT old = FHandle;
  FHandle = nullptr;
  try {
    if (OnChange) OnChange();
  } catch (...) {
    if (old != nullptr && win::hasWindowSystem()) win::DeleteObject(old);
    throw;
  }
  if (old != nullptr && win::hasWindowSystem()) win::DeleteObject(old);
}

void TFont::ReleaseHandle() {
  if (FHandle != nullptr && win::hasWindowSystem()) {
    win::DeleteObject(FHandle);
  }
  FHandle = nullptr;
}

win::HFONT TFont::Handle() {
  if (FHandle != nullptr) return FHandle;
  win::LOGFONTW lf{};
  lf.lfHeight = FHeight;
  lf.lfWeight = (FStyle & fsBold) ? win::FW_BOLD : win::FW_NORMAL;
  lf.lfItalic = (FStyle & fsItalic) ? 1 : 0;
  lf.lfUnderline = (FStyle & fsUnderline) ? 1 : 0;
  lf.lfStrikeOut = (FStyle & fsStrikeOut) ? 1 : 0;
  lf.lfCharSet = static_cast<win::BYTE>(FCharset.Value);
  std::u16string face = Utf8ToUtf16(FName);
  std::size_t n = std::min<std::size_t>(face.size(), 31);
  std::memcpy(lf.lfFaceName, face.data(), n * sizeof(char16_t));
  lf.lfFaceName[n] = 0;
  FHandle = win::CreateFontIndirectW(&lf);
  return FHandle;
}

}  // namespace flx
