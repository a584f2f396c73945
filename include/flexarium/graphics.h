// Fonts as the framework keeps them: the height in pixels of the screen they
// were made for is primary, the size in points is derived from it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "flexarium/classes.h"
#include "flexarium/win_types.h"

namespace flx {

enum TFontStyle : std::uint8_t {
  fsBold = 1,
  fsItalic = 2,
  fsUnderline = 4,
  fsStrikeOut = 8
};
using TFontStyles = std::uint8_t;

// An integer that the form file may name with an identifier (colours,
// character sets); an identifier the library does not know is kept as is.
struct TIdentInt {
  std::int64_t Value = 0;
  std::string Ident;  // empty when the value is written as a number
  bool operator==(const TIdentInt& o) const {
    return Value == o.Value && Ident == o.Ident;
  }
};

// The screen's logical pixels per inch (LOGPIXELSY of the screen DC).
int ScreenPixelsPerInch();

// A colour as the form file gives it (clBtnFace, clNavy, $00FF8000,
// -16777201) as the system's 0x00BBGGRR: system colours (clBtnFace,
// clWindowText...) are read from the window system; clNone, clDefault and
// unknown names give `fallback`.
win::COLORREF ColorToRGB(const TIdentInt& color, win::COLORREF fallback);
// A colour value read from a form file: a known name keeps its name, a
// number its value; throws EConvertError for anything else.
TIdentInt ColorFromValue(const FormValue& value);
FormValue ColorToValue(const TIdentInt& color);
// clWindowText, clBtnFace, clWhite, clBlack as TIdentInt.
TIdentInt NamedColor(const char* name);

enum class TBrushStyle {
  bsSolid,
  bsClear,
  bsHorizontal,
  bsVertical,
  bsFDiagonal,
  bsBDiagonal,
  bsCross,
  bsDiagCross
};
extern const TEnumInfo BrushStyleInfo;

// The fill of a shape: white and solid by default.
class TBrush : public TPersistent {
  FLX_CLASS(TBrush)
 public:
  TIdentInt Color = NamedColor("clWhite");
  TBrushStyle Style = TBrushStyle::bsSolid;
  void Assign(const TPersistent& source) override;
};

enum class TPenStyle {
  psSolid,
  psDash,
  psDot,
  psDashDot,
  psDashDotDot,
  psClear,
  psInsideFrame,
  psUserStyle,
  psAlternate
};
extern const TEnumInfo PenStyleInfo;

// The outline of a shape: black, solid, one pixel wide by default.
class TPen : public TPersistent {
  FLX_CLASS(TPen)
 public:
  TIdentInt Color = NamedColor("clBlack");
  TPenStyle Style = TPenStyle::psSolid;
  int Width = 1;
  void Assign(const TPersistent& source) override;
};

class TFont : public TPersistent {
  FLX_CLASS(TFont)
 public:
  // A font for the current screen: "Tahoma", 8 points, default charset,
  // clWindowText, no style.
  TFont();
  // The same for a screen of `pixelsPerInch`, without asking the screen.
  explicit TFont(int pixelsPerInch);
  ~TFont() override;

  const std::string& Name() const { return FName; }
  void SetName(const std::string& v);
  // Pixels; negative: character height, positive: cell height.
  int Height() const { return FHeight; }
  void SetHeight(int v);
  // Whole points: -MulDiv(Height, 72, PixelsPerInch). A negative size (a
  // cell height) stays negative.
  int Size() const;
  void SetSize(int points);
  // The two conversions, computed wide and held within -INT_MAX..INT_MAX
  // (so either can be negated): the height a size in points sets, and the
  // size in points a height reads as.
  static int HeightOfSize(int points, int pixelsPerInch);
  static int SizeOfHeight(int height, int pixelsPerInch);
  int PixelsPerInch() const { return FPixelsPerInch; }
  void SetPixelsPerInch(int v) { FPixelsPerInch = v; }
  // Whether the font was last given a size in points (Size, or the 8
  // points of a new font) rather than a height in pixels, and that size:
  // the two mean different fonts at another pixel density.
  bool SizeGiven() const { return FSizeGiven; }
  int GivenSize() const { return FGivenSize; }
  TFontStyles Style() const { return FStyle; }
  void SetStyle(TFontStyles v);
  const TIdentInt& Color() const { return FColor; }
  void SetColor(const TIdentInt& v);
  const TIdentInt& Charset() const { return FCharset; }
  void SetCharset(const TIdentInt& v);

  // Copies name, style, colour and charset; the size in points is kept
  // when the two fonts are for different pixel densities.
  void Assign(const TPersistent& source) override;
  bool SameAs(const TFont& other) const;

  // Called after every change.
  std::function<void()> OnChange;

  // The font realised on the current window system (created on first use,
  // dropped on change).
  win::HFONT Handle();

 private:
  void Changed();
  void ReleaseHandle();

  std::string FName = "Tahoma";
  int FHeight = -11;
  int FPixelsPerInch = 96;
  bool FSizeGiven = true;
  int FGivenSize = 8;
  TFontStyles FStyle = 0;
  TIdentInt FColor;
  TIdentInt FCharset;
  win::HFONT FHandle = nullptr;
};

}  // namespace flx
